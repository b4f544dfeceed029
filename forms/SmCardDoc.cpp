#include "forms/SmCardDoc.h"

#include "forms/SmCardView.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "ui/SmListView.h"

bool CSmCardDoc::IsReadOnly() {
  CSmCardFrmView* form = FindViewOfClass<CSmCardFrmView>();
  return form ? form->IsReadOnly() : true;
}

bool CSmCardDoc::Save(int saveAs) {
  CSmCardFrmView* form = FindViewOfClass<CSmCardFrmView>();
  return form ? form->Save(saveAs) : true;
}

bool CSmCardDoc::GetSavePrompt(std::string& prompt) {
  prompt.clear();
  CSmCardFrmView* form = FindViewOfClass<CSmCardFrmView>();
  return form ? form->GetSavePrompt(prompt) : false;
}

bool CSmCardDoc::OnUpdateCommand(int id, CSmCmdUI& ui) {
  if (id != SM_ID_DOC_SAVE_AS_TEXT) return CSmDoc::OnUpdateCommand(id, ui);
  ui.Enable(false);
  return true;
}

void CSmCardDoc::OnListContextMenu(const QPoint& globalPos) {
  if (CSmListView* list = FindViewOfClass<CSmListView>()) list->List()->ShowContextMenu(globalPos);
}
