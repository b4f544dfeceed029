// The application's commands of the File and System menus and the rules that enable them:
// rights of the logged-in operator, the administrator "101", and no document window open for
// the maintenance commands.
#include "app/SmAppCommands.h"

#include "app/SmApp.h"
#include "app/SmInterfaceExport.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmCalcDlg.h"
#include "ui/SmDlg.h"
#include "ui/SmPrintSetDlg.h"
#include "ui/SmPrinterService.h"

namespace {

// Commands whose dialogs are not part of this program yet, with their menu names.
struct PendingCommand {
  int id;
  const char* name;
};
constexpr PendingCommand kPending[] = {
    {SM_ID_NEW_YEAR_FILE, "建立新数据文件"},
    {SM_ID_CARRY_OVER, "年末转账"},
    {SM_ID_BIZ_MONTHS, "设置业务月"},
};

const char* PendingName(int id) {
  for (const PendingCommand& command : kPending) {
    if (command.id == id) return command.name;
  }
  return nullptr;
}

void NewOrOpen(CSmApp& app, bool open) {
  if (!app.IsTemplateBoxVisible()) {
    app.FocusTemplateBox();
    return;
  }
  CSmDataType* type = GetActiveSmModule();
  if (!type) return;
  if (open) {
    type->OnFileOpen();
  } else {
    type->OnFileNew();
  }
}

void ViewLog(CSmApp& app) {
  for (CSmDataType* type : app.m_dataTypes) {
    if (type->OpenLogView()) return;
  }
  SmFunctionNotBuilt("查看日志");
}

}  // namespace

void SmFunctionNotBuilt(const std::string& name) {
  SmMessageBox("该功能尚未提供。", SM_MB_OK | SM_MB_ICONINFORMATION, name);
}

bool CSmApp::RunNewYearFile(const SmNewYearFileRequest& request, QWidget* parent,
                            SmNewYearFileResult* result) {
  if (!m_newYearFileHook) {
    SmFunctionNotBuilt("建立新数据文件");
    return false;
  }
  return m_newYearFileHook(*this, request, parent, result);
}

bool CSmApp::OnCommand(int id) {
  if (const auto hook = m_commandHooks.find(id); hook != m_commandHooks.end()) {
    const SmCommandHook run = hook->second;
    run(*this);
    return true;
  }
  if (const char* name = PendingName(id)) {
    SmFunctionNotBuilt(name);
    return true;
  }
  switch (id) {
    case SM_ID_LOGIN:
      LogIn({});
      return true;
    case SM_ID_FILE_PRINT_SETUP:
      CSmPrinterService::Instance().Setup();
      return true;
    case SM_ID_OPERATORS:
      OnOperators();
      return true;
    case SM_ID_PASSWORD:
      OnPassword();
      return true;
    case SM_ID_FILE_NEW:
    case SM_ID_FILE_OPEN:
      NewOrOpen(*this, id == SM_ID_FILE_OPEN);
      return true;
    case SM_ID_CALCULATOR: {
      CSmCalcDlg calc(false, {}, GetMainWnd());
      calc.DoModal();
      return true;
    }
    case SM_ID_VIEW_LOG:
      ViewLog(*this);
      return true;
    case SM_ID_SPECIAL_PRINT:
      if (GetDatabase()) {
        CSmPrintSetDlg dlg(GetDatabase(), GetMainWnd());
        dlg.DoModal();
      }
      return true;
    case SM_ID_EXPORT_INTERFACE:
      SmRunInterfaceExport(*this);
      return true;
    case SM_ID_HELP:
      SmShowHelp();
      return true;
    default:
      return false;
  }
}

bool CSmApp::OnUpdateCommand(int id, CSmCmdUI& ui) {
  const bool admin = IsAdministrator();
  switch (id) {
    case SM_ID_LOGIN:
      ui.Enable(!IsSmDocumentOpen());
      return true;
    case SM_ID_FILE_NEW: {
      // Without the template box New shows it; with it, New needs something to make.
      CSmDataType* type = GetActiveSmModule();
      ui.Enable(!IsTemplateBoxVisible() || (type && type->CanFileNew()));
      return true;
    }
    case SM_ID_DATA_CHECK:
      ui.Enable(HasRightCode("0003") || HasRightCode("0004"));
      return true;
    case SM_ID_SPECIAL_PRINT:
      ui.Enable(HasRightCode("0005"));
      return true;
    case SM_ID_YEAR_FILE_INFO:
    case SM_ID_NEW_YEAR_FILE:
    case SM_ID_CARRY_OVER:
    case SM_ID_BIZ_MONTHS:
    case SM_ID_OPERATORS:
    case SM_ID_VIEW_LOG:
    case SM_ID_RESTORE:
    case SM_ID_EXPORT_INTERFACE:
      ui.Enable(admin);
      return true;
    case SM_ID_BACKUP:
      ui.Enable(!IsSmDocumentOpen() && (admin || HasRightCode("0006")));
      return true;
    case SM_ID_SQL_MAINTENANCE:
      ui.Enable(!IsSmDocumentOpen() && (admin || HasRightCode("0007")));
      return true;
    default:
      return false;
  }
}
