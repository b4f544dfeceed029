#include "core/SmConnInfo.h"

void CSmConnInfo::SetDefaults(int kind) {
  server = kind == 0 ? "" : kind == 1 ? "MQIS" : "(local)";
  user = "sa";
  password.clear();
  database = "master";
  host.clear();
}
