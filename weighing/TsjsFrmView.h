#pragma once
// The slip form of the settlement card (template 961): the household code, the ticket picker,
// one deduction edit per slip item on its cell of the slip preview, and the three steps of
// making a slip (household, tickets, deductions); printing in the slip's print style.
#include <string>
#include <vector>

#include "forms/SmCardView.h"
#include "ui/SmListCtrl.h"

class CTsjsDoc;

// The household's tickets to choose from, or the tickets of the slip shown.
class CTsjsTicketList : public CSmListCtrl {
  Q_OBJECT
 public:
  explicit CTsjsTicketList(QWidget* parent);
  void SetKind(int kind);
};

class CTsjsFrmView : public CSmCardFrmView {
  Q_OBJECT
 public:
  // Control ids (object names of the controls); an item's field is kItemBase + its number.
  enum ControlId : int {
    kHousehold = 1015,
    kPick = 1088,
    kPicker = 1004,
    kPickerLabel = 1005,
    kNumber = 1019,
    kPrint = 1075,
    kPayButton = 1076,
    kItemBase = 1300,
  };

  CTsjsFrmView();

  void OnInitialUpdate() override;
  void OnUpdate(CSmView* sender, long hint) override;
  // The item edits on their cells of the preview; household, picker and buttons below it.
  void PlaceControls() override;
  bool OnCommand(int id) override;
  void OnEnterKey() override;
  // Runs the current step.
  void OnEnterButton() override;
  // Abandons the making: the selected slip again.
  void OnEnterList() override;

  // The selected slip shown: tickets, preview, deductions, enabling.
  void ShowSlip();
  void UpdateControls();
  // The deduction edits typed: amounts, preview.
  void ReadDeductions();
  // Prints the slip shown in its print style (or at custom positions); false when nothing
  // went out.
  bool PrintSlip(bool customPositions);

  CTsjsDoc* Doc() const;
  CTsjsTicketList* Picker() const { return m_picker; }
  const std::vector<int>& ItemIds() const { return m_itemIds; }

 private:
  void LoadPicker();
  bool CheckHousehold();
  void PickHousehold();
  bool ConfirmHousehold();
  bool ConfirmTickets();
  bool Settle();
  void ShowDeductions();
  std::vector<std::string> ChosenTickets() const;

  CTsjsTicketList* m_picker = nullptr;
  std::vector<int> m_itemIds;  // 1300 + slip item, categories 1 then 2
  bool m_updating = false;
};
