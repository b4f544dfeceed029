#pragma once
// The list pane of a weighing or settlement card: rows chosen by their number, and a refresh that
// keeps the selection and shows it in the card.
#include <string>

#include "forms/SmCardDoc.h"
#include "forms/SmChildFrm.h"
#include "ui/SmListView.h"

// What a card's document tells its list and its form (the hint of UpdateAllViews).
enum TsCardHint : long {
  kTsHintShowRecord = 1,  // the current record changed: the form shows it
  kTsHintRowsStored,      // records were stored: the list reads its rows and selects the number
  kTsHintSelectNumber,    // the list selects the number's row (the last row when there is none)
  kTsHintSelectLastRow,   // both views are set up: the list chooses its last row
  kTsHintStartTyping,     // then the form puts the focus where a new record is typed
  kTsHintReread,          // 刷新: the list reads its rows again, keeping its selection
  kTsHintShowSelection,   // the list shows its selected rows again (中止 of a slip)
  kTsHintFocusList,       // the clerk goes back to the list
  kTsHintTakeFields,      // the form's fields go into the current record
  kTsHintPay,             // the list pays the selected slips (付款 on the form)
};

// The document of a weighing or settlement card: it tells its list and form what changed
// through named hints; an answer it needs (whether the form stored the record) it asks the form
// that handed itself over (CSmCardDoc::CardForm).
class CTsCardDoc : public CSmCardDoc {
 public:
  // UpdateAllViews with the hint; `number` is the row a list selects.
  void Notify(CSmView* sender, TsCardHint hint, const std::string& number = {});
  // Each view says when it is set up; once both are, the list chooses its last row (the new
  // record's row when there is one) and the form takes the focus.
  void ViewReady();

  std::string m_hintNumber;  // the number of the last hint that selects a row

 private:
  int m_viewsReady = 0;
};

class CTsCardListView : public CSmListView {
 public:
  void Refresh() override;
  // Print, preview and page setup are the card's: the list leaves them to its document.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // Selects only the row of the number (the last row when there is none) and shows it.
  void SelectNumber(const std::string& number);
  void SelectRow(int row);
  // The card's hints (TsCardHint) that concern the list.
  void OnUpdate(CSmView* sender, long hint) override;
};

// The frame of a card: the list pane on the left, one part in `parts` of the width, the form on
// the right; the document windows' menus, keys and toolbar.
class CTsCardChildFrm : public CFormChildFrm1 {
 public:
  explicit CTsCardChildFrm(int parts) : m_parts(parts) {}
  bool Create() override;
  void SetContent(QWidget* content) override;

 private:
  int m_parts;
};
