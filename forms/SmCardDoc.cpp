#include "forms/SmCardDoc.h"

#include "forms/SmCardView.h"
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

void CSmCardDoc::OnListContextMenu(const QPoint& globalPos) {
  if (CSmListView* list = FindViewOfClass<CSmListView>()) list->List()->ShowContextMenu(globalPos);
}
