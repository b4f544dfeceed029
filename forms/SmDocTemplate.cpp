#include "forms/SmDocTemplate.h"

#include "app/SmApp.h"
#include "app/SmAppCommands.h"
#include "app/SmMainFrm.h"
#include "app/SmOpLog.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDoc.h"
#include "forms/SmPublicSheet.h"
#include "platform/SmMessage.h"

CSmDocTemplate::CSmDocTemplate(int resourceId, DocumentFactory document, FrameFactory frame,
                               ViewFactory view, int templateNumber, int userForms)
    : CSmMultiDocTemplate(resourceId, std::move(document), std::move(view), std::move(frame)),
      m_number(templateNumber),
      m_userForms(userForms) {}

void CSmDocTemplate::AddKind(int number, const std::string& name, const std::string& shortName,
                             int openOnly, const std::string& right, int icon, int userForm) {
  CSmDocKind kind;
  kind.nNumber = number;
  kind.sName = name;
  kind.sShortName = shortName.empty() ? name : shortName;
  kind.bOpenOnly = openOnly != 0;
  kind.sRight = right;
  kind.nIcon = icon;
  kind.bEnabled = true;
  kind.bUserForm = userForm != 0;
  m_kinds.push_back(kind);
}

CSmChildFrame* CSmDocTemplate::CreateNewFrame(CSmDocument* doc) {
  CSmChildFrame* frame = MakeFrame();
  if (auto* child = dynamic_cast<CSmChildFrm*>(frame)) child->m_resourceId = GetResourceId();
  return AttachFrame(frame, doc);
}

CSmChildFrame* CSmDocTemplate::OpenDocumentOfKind(const CSmDocKind& kind, int openMode,
                                                  bool visible, bool propertiesOnly) {
  std::unique_ptr<CSmDocument> made = CreateNewDocument();
  if (!dynamic_cast<CSmDoc*>(made.get())) {
    SmMessageBox(kSmFailedToCreateDoc, SM_MB_OK | SM_MB_ICONERROR);
    return nullptr;
  }
  std::unique_ptr<CSmDoc> doc(static_cast<CSmDoc*>(made.release()));
  doc->m_module = m_module;
  doc->m_kind = kind;
  doc->nFlag = m_number;
  doc->m_openMode = openMode;
  doc->SetTitle(kind.sName);
  doc->InitDocument();
  if (!propertiesOnly && !doc->LoadRows(openMode)) return nullptr;
  doc->LoadFormDef();
  if (!propertiesOnly) return CreateFrameForDoc(openMode, std::move(doc), visible);
  // The settings sheet of the kind's form ("文档属性").
  if (doc->AllowPropertySheet()) CSmPublicSheet(*doc, "文档属性", CSmFrameWnd::Main()).DoModal();
  return nullptr;
}

CSmChildFrame* CSmDocTemplate::CreateFrameForDoc(int openMode, std::unique_ptr<CSmDoc> doc,
                                                 bool visible) {
  const bool firstWindow = !SmDocumentWindowsOpen();
  CSmDoc* raw = doc.get();
  CSmChildFrame* frame = CreateNewFrame(raw);
  if (!frame) {
    SmMessageBox(kSmFailedToCreateDoc, SM_MB_OK | SM_MB_ICONERROR);
    return nullptr;
  }
  AddDocument(std::move(doc));
  if (!raw->OnNewDocument()) {
    // Nothing was shown yet: the views let go of the document before the frame goes.
    for (CSmView* view : std::vector<CSmView*>(raw->Views())) raw->RemoveView(view);
    delete frame;
    RemoveDocument(raw);
    return nullptr;
  }
  FillRows(*raw, openMode);
  CheckTopWords(*raw);
  auto* main = qobject_cast<CSmMainFrm*>(CSmFrameWnd::Main());
  if (firstWindow && main) main->HideOwnBars();
  InitialUpdateFrame(frame, raw, visible);
  if (main && main->GetActiveChild() == frame) frame->OnUpdateFrameMenu(main->menuBar());
  CSmOpLog(openMode + 13,
           FormatStr("%s文档：%s", openMode ? "打开" : "新建", raw->m_kind.sName.c_str()));
  return frame;
}

void CSmDocTemplate::FillRows(CSmDoc& doc, int openMode) {
  if (openMode) {
    doc.Refresh();
  } else {
    doc.AppendBlankRow();
  }
  if (doc.m_rows.empty()) doc.AppendRow();
  if (!openMode) return;
  doc.ComputeFormulaColumns();
  doc.RescaleNumberColumns();
}

// Faulty header blocks are kept for this opening unless the user restores the default ones.
void CSmDocTemplate::CheckTopWords(CSmDoc& doc) {
  std::string message;
  if (doc.m_formDef.CheckTopWords(message)) return;
  const int answer =
      SmMessageBox(message + "\n要恢复默认栏头吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION);
  if (answer != SM_IDYES) return;
  doc.MakeDefaultTopWords(doc.m_formDef);
  doc.m_formDef.SaveTopWords();
}
