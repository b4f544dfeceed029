#pragma once
// The settlement card: one window per working date and kind ("蔗款结算", "运费结算") with the
// slips of the date beside the slip form. The document holds the slip being shown or made (its
// tickets summed), its deduction row, the ticket count and the step of the making.
#include <string>
#include <vector>

#include "forms/SmCardDoc.h"
#include "weighing/TsCardListView.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsRec.h"

class CSmView;

inline constexpr const char* kTsNewSlip = "新单";

class CTsjsDoc : public CTsCardDoc {
 public:
  void OnInitDocument() override;
  // The open dialog gives the working date; false (cancelled) drops the document.
  bool LoadRows(int openMode) override;
  // The preview shows the slip as it prints.
  void Refresh() override;
  std::string GetCardTitle(int /*mode*/) override;
  int GetCardTitleHeight(int /*mode*/) override { return 120; }

  // 0 cane payment, 1 freight.
  int Kind() const { return m_kind.nNumber == 1 ? 1 : 0; }
  const std::string& Number() const { return m_sums.JN[Kind()]; }
  bool IsNew() const { return Number() == kTsNewSlip; }
  // A stored slip is shown: nothing of it can be typed.
  bool IsBrowsing() const { return !Number().empty() && !IsNew(); }
  // Takes the selected rows' numbers as the slip shown: empty sums and deductions, step 0.
  void SelectSlip(const std::vector<std::string>& numbers);
  // Whether the operator may pay the slips last chosen in the list (at least one).
  bool CanPayChosen() const;
  // Adds a ticket to the sums; `first` starts them.
  void AddTicket(const CTsgbRec& ticket, bool first);
  // The slip's price: the tickets' common price, else base amount over weight.
  void SetSlipPrice(bool samePrice);

  std::string m_date;
  CTsgbRec m_sums;
  CTsjsRec m_deductions;
  int m_step = 0;
  int m_tickets = 0;

 private:
  size_t m_chosen = 0;  // how many rows the list had selected at the last choice
};

// Puts the tickets on the slip whose number, date and settler `slip` carries and writes its
// deduction row (none when all zero), all in one transaction: both or nothing. False after
// saying why.
bool TsjsSettle(const CTsgbRec& slip, int kind, const std::vector<std::string>& tickets,
                CTsjsRec& deductions, CSmDatabase* db);
// Step 0 payment, 1 review of the slip by the operator at work, or its cancellation; a payment
// marks (unmarks) the slip's deduction row in the same transaction. False when a statement
// failed; `changed` tells whether any ticket changed.
bool TsjsSetSlipStep(int kind, int step, bool cancel, const std::string& number, bool& changed,
                     CSmDatabase* db);
// The same by the operator `operatorNo`.
bool TsjsSetSlipStep(int kind, int step, bool cancel, const std::string& number,
                     const std::string& operatorNo, bool& changed, CSmDatabase* db);
// Releases the slip's tickets and deletes its deduction rows in one transaction.
bool TsjsCancelSlip(int kind, const std::string& number, CSmDatabase* db);

class CTsjsListView : public CTsCardListView {
  Q_OBJECT
 public:
  void OnInitialUpdate() override;
  void GetColumns(std::vector<int>& widths, std::vector<std::string>& captions) override;
  std::vector<unsigned> GetIconIds() override { return {616, 701, 675, 676}; }
  void LoadRows() override;
  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  void Delete() override;
  void OnSelectionChanged() override;
  bool OnCommand(int id) override;
  void OnUpdate(CSmView* sender, long hint) override;

  // Pays or reviews (or takes back) the selected slips.
  void SetStep(int step, bool cancel);
  // Whether the list shows the slip in a state the step (or its cancelling) applies to.
  bool ShownReadyFor(const std::string& number, int step, bool cancel);
  CTsjsDoc* Doc() const;
};

// Installs the settlement card as the documents of template 256.
void TsInstallSettlementCard();
