#include "forms/SmCardDoc.h"

#include "forms/SmCardView.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "ui/SmListView.h"

bool CSmCardDoc::IsReadOnly() {
  CSmCardFrmView* form = CardForm();
  return form ? form->IsReadOnly() : true;
}

bool CSmCardDoc::Save(int saveAs) {
  CSmCardFrmView* form = CardForm();
  return form ? form->Save(saveAs) : true;
}

bool CSmCardDoc::GetSavePrompt(std::string& prompt) {
  prompt.clear();
  CSmCardFrmView* form = CardForm();
  return form ? form->GetSavePrompt(prompt) : false;
}

namespace {

bool IsPrintCommand(int id) {
  return id == SM_ID_FILE_PRINT || id == SM_ID_FILE_PRINT_DIRECT ||
         id == SM_ID_FILE_PRINT_PREVIEW || id == SM_ID_FILE_PAGE_SETUP;
}

}  // namespace

// Reached when the active view (the list) left a print command alone.
bool CSmCardDoc::OnCommand(int id) {
  CSmCardFrmView* form = IsPrintCommand(id) ? CardForm() : nullptr;
  if (form) return form->OnCommand(id);
  return CSmDoc::OnCommand(id);
}

bool CSmCardDoc::OnUpdateCommand(int id, CSmCmdUI& ui) {
  if (IsPrintCommand(id)) {
    CSmCardFrmView* form = CardForm();
    if (!form) return CSmDoc::OnUpdateCommand(id, ui);
    if (!form->OnUpdateCommand(id, ui)) ui.Enable(true);
    return true;
  }
  if (id != SM_ID_DOC_SAVE_AS_TEXT) return CSmDoc::OnUpdateCommand(id, ui);
  ui.Enable(false);
  return true;
}

void CSmCardDoc::OnListContextMenu(const QPoint& globalPos) {
  if (CSmListView* list = ListView()) list->List()->ShowContextMenu(globalPos);
}

void CSmCardDoc::SetCardForm(CSmCardFrmView* form) {
  if (!m_cardForm) m_cardForm = form;
}

void CSmCardDoc::SetListView(CSmListView* list) {
  if (!m_listView) m_listView = list;
}

void CSmCardDoc::OnViewRemoved(CSmView* view) {
  CSmDoc::OnViewRemoved(view);
  if (view == m_cardForm) m_cardForm = nullptr;
  if (view == m_listView) m_listView = nullptr;
}
