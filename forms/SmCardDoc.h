#pragma once
// The card document: a table document holding one card layout, shown in a list view beside a
// card form view. Whether it is read-only, whether it has changes and how it saves are the
// form view's answers; without a form view the card is read-only and has nothing to save.
// The form view and the list view hand themselves over when they join the document, and the
// document forgets each when it leaves, so it never holds a view that is gone.
#include <QPoint>
#include <string>

#include "forms/SmCardLayout.h"
#include "forms/SmDoc.h"
#include "ui/SmListView.h"

class CSmCardFrmView;

class CSmCardDoc : public CSmDoc, public CSmListViewHost {
 public:
  bool IsReadOnly() override;
  bool Save(int saveAs) override;
  bool GetSavePrompt(std::string& prompt) override;
  // A card has no table rows to save as text. Printing prints the card from whichever of the
  // document's views the clerk is in.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;
  // The menu of the document's list view at the point (screen coordinates); nothing without one.
  virtual void OnListContextMenu(const QPoint& globalPos);
  // The card's default title for a card mode: the document's title.
  virtual std::string GetCardTitle(int /*mode*/) { return GetTitle(); }
  // The height of the title band in card coordinates.
  virtual int GetCardTitleHeight(int /*mode*/) { return 30; }

  // The document's card form and list views (the first of each that joined it), or null.
  void SetCardForm(CSmCardFrmView* form);
  void SetListView(CSmListView* list) override;
  CSmCardFrmView* CardForm() const { return m_cardForm; }
  CSmListView* ListView() const { return m_listView; }

  CSmCardLayout m_layout;

 protected:
  void OnViewRemoved(CSmView* view) override;

 private:
  CSmCardFrmView* m_cardForm = nullptr;
  CSmListView* m_listView = nullptr;
};
