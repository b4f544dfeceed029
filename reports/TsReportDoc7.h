#pragma once
// The weighing-ticket detail list (template 271, "过榜单明细表"): one row per ticket chosen by
// period, code prefixes, a net-weight range, the weighing and settlement states and the
// operators of every step, with its weights, prices, amounts and ticket items of both kinds.
// The chosen ticket items of the listed tickets can be recomputed from their formulas in one
// go; the changed cells are marked and saving writes the new amounts into the tickets.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "reports/TsReportDoc.h"
#include "reports/TsReportQueryDlg.h"
#include "ui/SmDlg.h"
#include "weighing/TsgbRec.h"

class QCheckBox;
class QComboBox;
class QRadioButton;
class CSmEdit;

// The choices of the detail list: the period and the code filters of the shared part with the
// operators of every step, kept by their OPR column number (the shared operator pair is not
// used), the states and a net-weight range.
struct TsSlipQuery : TsReportQuery {
  std::string sOperator[8];      // empty = any operator
  int nWeighState = 2;           // 0 untared, 1 tared, 2 all
  int nSettleState[2] = {4, 4};  // cane, freight: 0 unsettled, 1 unpaid, 2 unreviewed,
                                 // 3 reviewed, 4 all
  std::string sQtyRange[2];      // net weight limits; empty = none
};

// The operator columns in the order the dialog and the header variables keep them: gross,
// tare; cane settlement, payment, review; freight settlement, payment, review.
inline constexpr int kTsSlipOperatorOrder[8] = {0, 1, 2, 4, 6, 3, 5, 7};

// The where clause of the tickets of a query, from "Where T>=" on.
std::string TsSlipConditions(const TsSlipQuery& q, CSmDatabase* db);
// The names of a ticket's farmer, driver, place and variety, by the number of the code column.
using TsSlipNames = std::array<std::string, 4>;
// Reads the tickets of the query by date and number, with the names of their codes, in one
// statement and hands each to `onTicket`; their count (0 when the query cannot run).
int ReadSlipTickets(const TsSlipQuery& q, CSmDatabase* db,
                    const std::function<void(const CTsgbRec&, const TsSlipNames&)>& onTicket);
// The same into `tickets` and `names` (emptied first).
int LoadSlipTickets(const TsSlipQuery& q, std::vector<CTsgbRec>& tickets,
                    std::vector<TsSlipNames>& names, CSmDatabase* db);
// The row of one ticket in `work` (14 texts, TsSlipValueCount values); an empty operator of
// settlement, payment or review reads as three blanks.
void TsSlipDetailRow(const CTsgbRec& t, const TsSlipNames& names, CTsReportRow& work);
// 18 values and one per ticket item of both kinds and categories.
int TsSlipValueCount();

// A ticket whose chosen items came out different from what it stores: its number, weights,
// prices and money columns MY0-MY11 (as recomputed, and as stored before).
struct TsRecomputedTicket {
  static constexpr size_t kAmounts = 12;
  std::string DH;
  std::array<double, 4> MU{};
  std::array<double, 2> PR{};
  std::array<double, kAmounts> MY{};
  std::array<double, kAmounts> storedMY{};
};

class CTsReportDoc7 : public CTsReportDoc {
 public:
  CTsReportDoc7();
  void OnInitDocument() override;
  void OnCloseDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  // Gross, tare, impurity, net and the freight's net weight with the impurity.
  std::vector<int> WeightCodes() const override { return {30, 31, 32, 34, 50}; }
  // The query dialog; Cancel leaves the report unopened.
  bool LoadRows(int openMode) override;
  void Refresh() override;
  // Editable exactly while recalculated tickets wait to be saved.
  bool IsReadOnly() override;
  bool GetSavePrompt(std::string& prompt) override;
  // Writes the recalculated items of the changed tickets in one transaction, through one
  // statement; a kind settled since is left alone, a ticket gone since fails the whole save.
  bool Save(int saveAs) override;
  std::string GetCountText() override;

  // Asks for the items, reads the tickets again and recomputes the chosen items of the kinds
  // not yet settled; true when some ticket changed.
  bool Recalculate();
  // The same without the dialog and the messages, on the current choices: the number of
  // changed tickets; `leftAlone` counts the tickets whose chosen items are on a slip.
  int RecalculateTickets(int& leftAlone);
  // Marks the cells of recomputed items that differ from the stored amounts, with the totals
  // of their kind, the ticket number and the farmer name.
  void MarkChangedCells();

  // What the list shows, edited by the query dialog; its shared part is the base's.
  TsSlipQuery& query = QueryOf<TsSlipQuery>();
  TsChosenItems chosen;
  int bReload = 1;
  int nChanged = 0;
  // The recomputed tickets that changed, in the order read, until the next reading.
  std::vector<TsRecomputedTicket> tickets;

 private:
  static constexpr size_t kNoRow = static_cast<size_t>(-1);

  void ForgetTickets();
  // The row of each recomputed ticket among the rows as they were read, by the ticket number
  // shown; false when one is not there or the number is not shown.
  bool FindTicketRows();
  // Through the open rows noted when the rows were read: false when a ticket is not at its
  // row any more, or two tickets have one number.
  bool FindOpenTicketRows(int number);
  // Through every row, in order.
  bool ScanTicketRows(int number);

  std::vector<size_t> m_ticketRows;  // the row of each ticket, or kNoRow
  // The rows of the tickets that were open in some kind when the rows were read, by a hash of
  // their number: only those can be recomputed.
  std::vector<std::pair<uint32_t, uint32_t>> m_openRows;
  // Right after a recalculation the next refresh renews only the rows of the changed tickets,
  // while the other rows show their tickets as stored.
  bool m_renewRows = false;
  bool m_rowsAsStored = false;
};

class CTsReportView7 : public CTsReportView {
  Q_OBJECT
 public:
  explicit CTsReportView7(QWidget* parent = nullptr) : CTsReportView(parent) {}
  void ResetLayout() override;
  void AddContextMenuItems(QMenu& menu) override;
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;
  void OnRecalculate();
};

// "打开过磅单明细表" (template 974): the period, the four code filters, the net-weight range and
// per step group (weighing, cane settlement, freight settlement) its state and operators. OK
// turns choices that exclude each other to "全部", says so and stays open.
class CTsReportQueryDlg7 : public CTsReportQueryDlg {
  Q_OBJECT
 public:
  // Control ids of the step groups (object names): each group's states, then the operators.
  enum GroupControlId : int {
    kUntared = 1118,
    kTared = 1119,
    kWeighAll = 1120,
    kCaneUnsettled = 1121,
    kCaneUnpaid = 1122,
    kCaneUnreviewed = 1123,
    kCaneAll = 1124,
    kCaneReviewed = 1125,
    kFreightUnsettled = 1128,
    kFreightUnpaid = 1129,
    kFreightUnreviewed = 1130,
    kFreightReviewed = 1131,
    kFreightAll = 1132,
    kWeigher = 1126,
    kTarer = 1127,
    kCaneSettler = 1031,
    kCanePayer = 1034,
    kCaneReviewer = 1037,
    kFreightSettler = 1038,
    kFreightPayer = 1039,
    kFreightReviewer = 1041,
  };

  CTsReportQueryDlg7(CSmDatabase* db, const std::string& title, const TsSlipQuery& q,
                     QWidget* parent = nullptr);

  bool ValidateAndSave() override;

  TsSlipQuery m_query;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  void BuildGroups();
  // Turns conflicting states to "全部"; true when something was turned.
  bool AdjustConflicts();

  CSmEdit* m_rangeEdits[2];
  std::vector<QRadioButton*> m_states[3];
  QComboBox* m_operators[8];  // by OPR column
};

// "选择需要重新计算的项目" (template 975): one check box per ticket item under each kind.
class CTsRecalcItemsDlg : public CSmDlg {
  Q_OBJECT
 public:
  explicit CTsRecalcItemsDlg(const TsChosenItems& chosen, QWidget* parent = nullptr);
  bool ValidateAndSave() override;

  TsChosenItems m_chosen;

 protected:
  void OnInitDialog() override;

 private:
  std::vector<QCheckBox*> m_boxes[2][2];
};
