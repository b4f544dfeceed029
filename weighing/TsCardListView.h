#pragma once
// The list pane of a weighing or settlement card: rows chosen by their number, and a refresh that
// keeps the selection and shows it in the card.
#include <string>

#include "ui/SmListView.h"

class CTsCardListView : public CSmListView {
 public:
  void Refresh() override;

  // Selects only the row of the number (the last row when there is none) and shows it.
  void SelectNumber(const std::string& number);
  void SelectRow(int row);
};
