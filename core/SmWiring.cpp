#include "core/SmWiring.h"

#include <QtGlobal>

namespace {
SmWiringFaultHandler g_handler = nullptr;
}

void SmWiringFault(const std::string& what) {
  if (g_handler) return g_handler(what);
  Q_ASSERT_X(false, "SmWiringFault", what.c_str());
  qWarning("%s", what.c_str());
}

SmWiringFaultHandler SmSetWiringFaultHandler(SmWiringFaultHandler handler) {
  const SmWiringFaultHandler before = g_handler;
  g_handler = handler;
  return before;
}
