#include "weighing/SmScaleModels.h"

int FillScaleModelList(std::vector<std::string>& names) {
  names = {"裸码",   "常州托利多XK3127", "上海耀华XK3190-A9", "上海耀华XK3190-D2+",
           "QDI-11", "四方XK3196G",      "宁波柯力D2008"};
  return static_cast<int>(names.size());
}
