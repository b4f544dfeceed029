#pragma once
// The detail ledger of one household (template 261 "农户明细账" for a farmer's cane payments,
// 262 "运户明细账" for a transport household's freight): every ticket, settlement and money
// document of the year in date order with the opening balance and the year-to-date total, and
// the columns of quantity, price, amount, money items, payable, withholdings, advances, actual
// payment and unpaid balance.
#include <string>
#include <vector>

#include "forms/SmDoc.h"
#include "forms/SmForthView.h"
#include "reports/TsReportRow.h"

class CSmDatabase;

// The value positions of a ledger row of settlement kind 0 (cane) or 1 (freight): quantity 0,
// price 1, amount 2, then from P0 the category-0 ticket items, the payable P1 (only with such
// items), from P2 the category-1 ticket items, from P3 the withholding slip items, the advance
// deducted P4 (only with advance items), the actual payment P5, from P6 the advance items, their
// total P7 (only with two or more) and the unpaid balance P8, the last.
struct TsLedgerLayout {
  explicit TsLedgerLayout(int kind);
  int Count() const { return P8 + 1; }

  int nKind = 0;
  int nTicketItems = 0;   // category-0 ticket items
  int nTicketHeld = 0;    // category-1 ticket items
  int nSlipHeld = 0;      // category-1 slip items
  int nAdvanceItems = 0;  // category-2 slip items
  bool bPayable = false;
  bool bAdvanceDeducted = false;
  bool bAdvanceTotal = false;
  int P0 = 3, P1 = 0, P2 = 0, P3 = 0, P4 = 0, P5 = 0, P6 = 0, P7 = 0, P8 = 0;
};

// Entry kinds of a ledger row (its nTag): the opening balance and the year's total, a ticket,
// a settlement, then the money documents by their type.
enum TsLedgerEntry { kTsLedgerBalance = -2, kTsLedgerTicket = -1, kTsLedgerSettlement = 0 };

// Fills `rows` (emptied first) with the ledger of household `code` in settlement kind `kind`:
// the tickets, one row per settlement after its latest ticket, the advances, returns and
// interest, the opening balance and, with more than one row, the year's total. A settlement
// deduction whose tickets are gone is offered for deletion; kept, it is listed as "异常记录".
// The number of rows.
int FillLedger(int kind, const std::string& code, std::vector<CTsReportRow>& rows, CSmDatabase* db);

class CTsBookDoc : public CSmDoc {
 public:
  void OnInitDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  // The quantity column shows weights as tickets and slips do.
  void AdjustFormDef(CSmFormDef& def) override;
  // The four text columns are always shown; the value columns stay as stored.
  int GetColumnVisibility(const CSmFormDef& def, int column) override;
  void DefineHeadNotes(CSmFormDef& def) override;
  // One non-empty household code opens its ledger without the picker.
  int ApplyParams(const std::vector<std::string>& params) override;
  // The household picker, starting at the last household; Cancel opens nothing.
  bool LoadRows(int openMode) override;
  void Refresh() override;
  void MakeDefaultTopWords(CSmFormDef& def) override;

  std::string sHouseCode;
  std::string sHouseName;
  int nLedgerKind = 0;  // 0 farmer, 1 transport household; also the settlement kind
};

class CTsBookView : public CForthView {
  Q_OBJECT
 public:
  explicit CTsBookView(QWidget* parent = nullptr) : CForthView(parent) {}
  void GetNoteValue(CSmFormHeadNote& note) override;
  void AddContextMenuItems(QMenu& menu) override;
};
