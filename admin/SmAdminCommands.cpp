#include "admin/SmAdminCommands.h"

#include "app/SmApp.h"

void SmInstallAdminCommands(CSmApp& app) {
  (void)app;
}
