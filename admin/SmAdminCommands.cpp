#include "admin/SmAdminCommands.h"

#include "admin/SmBackupDlg.h"
#include "admin/SmBizMonthDlg.h"
#include "admin/SmCarryOverDlg.h"
#include "admin/SmDataCheckDlg.h"
#include "admin/SmMDBBak.h"
#include "admin/SmNewBookDlg.h"
#include "admin/SmNewYearFileDlg.h"
#include "admin/SmSqlDlg.h"
#include "admin/SmYearFileInfoDlg.h"
#include "app/SmApp.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"

namespace {

void OnBizMonths(CSmApp& app) {
  if (!app.GetDatabase()) return;
  CSmBizMonthDlg dlg(app.GetDatabase(), app.m_env.GetYear(), app.GetMainWnd());
  dlg.DoModal();
}

void OnBackup(CSmApp& app) {
  if (!app.GetDatabase()) return;
  CSmBackupDlg dlg(app, CSmBackupDlg::kBackup, app.GetMainWnd());
  dlg.DoModal();
}

// After a restore the data file is logged in to again.
void OnRestore(CSmApp& app) {
  if (!app.GetDatabase()) return;
  CSmBackupDlg dlg(app, CSmBackupDlg::kRestore, app.GetMainWnd());
  if (dlg.DoModal() == SM_IDOK) app.LogIn({});
}

void OnNewYearFile(CSmApp& app) {
  SmNewYearFileRequest request;
  request.kind = app.GetDatabaseKind();
  request.dataFile = app.m_env.GetDataFileName();
  request.server = app.m_env.GetConnInfo().server;
  SmRunNewYearFileDlg(app, request, app.GetMainWnd(), nullptr);
}

void OnSqlMaintenance(CSmApp& app) {
  if (!app.GetDatabase()) return;
  CSmSqlDlg dlg(app.GetDatabase(), app.GetMainWnd());
  dlg.DoModal();
}

void OnYearFileInfo(CSmApp& app) {
  if (!app.GetDatabase()) return;
  CSmYearFileInfoDlg dlg(app, app.GetMainWnd());
  dlg.DoModal();
}

void OnDataCheck(CSmApp& app) {
  if (!app.GetDatabase()) return;
  CSmDataCheckDlg dlg(app, app.GetMainWnd());
  dlg.DoModal();
}

std::string SearchBooks(CSmApp& app, QWidget* parent) {
  CSmNewBookDlg dlg(app, 1, parent);
  return dlg.DoModal() == SM_IDOK ? dlg.Result() : std::string();
}

bool SaveArchive(CSmDatabase& db, const std::string& path) {
  return CSmMDBBak(db).SaveBackup(path);
}

bool RestoreArchive(CSmDatabase& db, const std::string& path, bool anyYear) {
  CSmMDBBak bak(db);
  bak.m_checkYear = !anyYear;
  return bak.LoadBackup(path, 2);
}

}  // namespace

void SmInstallAdminCommands(CSmApp& app) {
  app.SetCommandHook(SM_ID_BIZ_MONTHS, OnBizMonths);
  app.SetCommandHook(SM_ID_CARRY_OVER, SmCarryOverCommand);
  app.SetCommandHook(SM_ID_BACKUP, OnBackup);
  app.SetCommandHook(SM_ID_RESTORE, OnRestore);
  app.SetCommandHook(SM_ID_NEW_YEAR_FILE, OnNewYearFile);
  app.SetCommandHook(SM_ID_SQL_MAINTENANCE, OnSqlMaintenance);
  app.SetCommandHook(SM_ID_YEAR_FILE_INFO, OnYearFileInfo);
  app.SetCommandHook(SM_ID_DATA_CHECK, OnDataCheck);
  app.SetNewYearFileHook(SmRunNewYearFileDlg);
  app.SetBookSearchHook(SearchBooks);
  app.SetArchiveHook({SaveArchive, RestoreArchive});
}
