#pragma once
// The list pane of a weighing or settlement card: rows chosen by their number, and a refresh that
// keeps the selection and shows it in the card.
#include <string>

#include "forms/SmChildFrm.h"
#include "ui/SmListView.h"

class CTsCardListView : public CSmListView {
 public:
  void Refresh() override;
  // Print, preview and page setup are the card's: the list leaves them to its document.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // Selects only the row of the number (the last row when there is none) and shows it.
  void SelectNumber(const std::string& number);
  void SelectRow(int row);
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
