// The log-in: at start-up, from "操作环境注册 ..." and after a restore.
#include <cstdlib>

#include "app/SmApp.h"
#include "app/SmDateArray.h"
#include "app/SmMainFrm.h"
#include "app/SmOpenDataDlg.h"
#include "core/SmDatabase.h"
#include "core/SmOdbcBackend.h"
#include "platform/SmMessage.h"

bool CSmApp::LogIn(const std::string& file) {
  const bool switching = m_env.GetDatabase() != nullptr;
  int moduleId = m_moduleInfo.m_id;
  if (!switching) {
    m_env.LoadFromRegistry(&moduleId);
    if (!file.empty()) {
      m_env.SetDatabaseKind(0);
      // A file named to the program that does not open is reported, and the start-up ends
      // with a failure code rather than silently.
      if (!m_env.OpenFile("", file, "", true)) {
        m_exitCode = 1;
        return false;
      }
    }
  }
  // While switching, the running session's file stays open behind the dialog: it is in use,
  // and nobody deletes it, here or on another workstation.
  if (!switching) m_env.Close();

  CSmOpenDataFileDlg dlg(m_env, moduleId, this, GetMainWnd());
  if (dlg.DoModal() == SM_IDOK) {
    if (switching) m_opLog.EndWork();
    m_env.Close();
    m_env = dlg.GetEnvironment();
    m_moduleInfo.m_id = dlg.GetModuleId();
    SelectModuleInfo();
  } else if (!switching) {
    return false;
  }

  if (!m_env.Open(false)) {
    if (switching) EndForLostFile();
    return false;
  }
  CSmDatabase* db = m_env.GetDatabase();
  // The log-in's writes stop at the first one a full disk or a read-only file refuses: the
  // user reads why once, and no session begins.
  CSmStopAtFirstFailure run(*db);
  m_env.LoadRights();
  m_env.SaveToRegistry(m_moduleInfo.m_id);
  m_env.CheckVersionStamp(db, nullptr, nullptr, nullptr);
  ShowModulePages();
  CSmDateArray::CheckBizMonths(db, m_env.GetYear());
  ApplyTemplateBoxState();
  AfterOpen(db);
  for (CSmDataType* type : m_dataTypes) {
    type->LoadListStyle();
    type->RefreshPage();
  }
  FocusTemplateBox();
  m_opLog.StartWork();
  if (run.Stopped()) {
    m_env.Close();
    // No data file is open any more: the program cannot go on.
    if (switching) ExitProcess(1);
    return false;
  }
  if (auto* frame = dynamic_cast<CSmMainFrm*>(GetMainWnd())) frame->UpdateTitle(true);
  return true;
}

void CSmApp::EndForLostFile() {
  // No data file is open any more: the program cannot go on, and says so before it ends.
  const std::string file = m_env.GetDataFileName();
  SmMessageBox("无法打开数据文件：\n" + file + "\n它可能已被删除或移走，程序将结束！",
               SM_MB_OK | SM_MB_ICONERROR);
  ExitProcess(1);
}

void CSmApp::ExitProcess(int code) {
  std::exit(code);
}

void CSmApp::LoadDialogPositions() {
  SmSetProgramKey(GetSmRegKey());
  SmSetOdbcSettingsKey(GetSmRegKey());
  CSmDlgPosStore::SetCurrent(&m_dlgPos);
  m_dlgPos.Load();
}

void CSmApp::SaveDialogPositions() {
  if (&CSmDlgPosStore::Current() == &m_dlgPos) m_dlgPos.Save();
}
