// The cane module's Settings menu: system parameters, the master-data directories and the
// serial ports of the weighbridge, each under its right.
#include "app/SmAppCommands.h"
#include "cane/TsDriverDirDlg.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsPlaceDirDlg.h"
#include "cane/TsSysParamListDlg.h"
#include "cane/TsVarietyDirDlg.h"
#include "platform/SmCommandIds.h"
#include "product/TsApp.h"
#include "weighing/SmCommPortDlg.h"

namespace {

constexpr int kCaneModule = 16;

struct SettingsCommand {
  int id;
  const char* item;  // right of the cane module; none for the serial ports
  bool maintenance;  // only with no document window open
  const char* name;
};
constexpr SettingsCommand kSettings[] = {
    {SM_ID_SYS_PARAMS, "01", true, "系统参数"},       {SM_ID_FARMER_DIR, "02", false, "农户目录"},
    {SM_ID_PLACE_DIR, "03", false, "甘蔗砍运地目录"}, {SM_ID_DRIVER_DIR, "04", false, "驾驶员目录"},
    {SM_ID_VARIETY_DIR, "05", false, "甘蔗品种目录"}, {SM_ID_COMM_PORTS, nullptr, true, "串口参数"},
};

const SettingsCommand* FindSettings(int id) {
  for (const SettingsCommand& command : kSettings) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

}  // namespace

bool CTsApp::OnCommand(int id) {
  const SettingsCommand* command = FindSettings(id);
  if (!command) return CSmApp::OnCommand(id);
  if (id == SM_ID_COMM_PORTS) {
    CSmCommPortDlg dlg(GetMainWnd());
    dlg.DoModal();
    return true;
  }
  if (id == SM_ID_FARMER_DIR) {
    CTsFarmerDirDlg dlg(GetSmDatabase(), 0, {}, GetMainWnd());
    dlg.DoModal();
    return true;
  }
  if (id == SM_ID_VARIETY_DIR) {
    CTsVarietyDirDlg dlg(GetSmDatabase(), 0, {}, GetMainWnd());
    dlg.DoModal();
    return true;
  }
  if (id == SM_ID_PLACE_DIR) {
    CTsPlaceDirDlg dlg(false, GetSmDatabase(), {}, GetMainWnd());
    dlg.DoModal();
    return true;
  }
  if (id == SM_ID_DRIVER_DIR) {
    CTsDriverDirDlg dlg(false, GetSmDatabase(), {}, GetMainWnd());
    dlg.DoModal();
    return true;
  }
  if (id == SM_ID_SYS_PARAMS) {
    CTsSysParamListDlg dlg(GetMainWnd());
    dlg.DoModal();
    return true;
  }
  SmFunctionNotBuilt(command->name);
  return true;
}

bool CTsApp::OnUpdateCommand(int id, CSmCmdUI& ui) {
  const SettingsCommand* command = FindSettings(id);
  if (!command) return CSmApp::OnUpdateCommand(id, ui);
  const bool right =
      command->item ? HasSmRight(kCaneModule, command->item) : HasSmRightCode("0008");
  ui.Enable(right && !(command->maintenance && IsSmDocumentOpen()));
  return true;
}
