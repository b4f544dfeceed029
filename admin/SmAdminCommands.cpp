#include "admin/SmAdminCommands.h"

#include "admin/SmBizMonthDlg.h"
#include "admin/SmCarryOverDlg.h"
#include "app/SmApp.h"
#include "platform/SmCommandIds.h"

namespace {

void OnBizMonths(CSmApp& app) {
  if (!app.GetDatabase()) return;
  CSmBizMonthDlg dlg(app.GetDatabase(), app.m_env.GetYear(), app.GetMainWnd());
  dlg.DoModal();
}

}  // namespace

void SmInstallAdminCommands(CSmApp& app) {
  app.SetCommandHook(SM_ID_BIZ_MONTHS, OnBizMonths);
  app.SetCommandHook(SM_ID_CARRY_OVER, SmCarryOverCommand);
}
