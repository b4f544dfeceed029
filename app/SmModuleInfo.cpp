#include "app/SmModuleInfo.h"

void CSmModuleInfo::SetTypes(std::initializer_list<int> numbers) {
  m_types = " ";
  for (int n : numbers) m_types += std::to_string(n) + " ";
}

bool CSmModuleInfo::ShowsType(int number) const {
  return m_types.find(" " + std::to_string(number) + " ") != std::string::npos;
}
