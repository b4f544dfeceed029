#pragma once
// The settlement statistics (template 259 "甘蔗结算统计表", one row per farmer or region, and
// template 263 "运费结算统计表", one row per driver): the settled tickets and the deduction rows
// of the slips of a period with the number of slips, weight, amount, every money item and what
// was finally paid.
#include <string>
#include <vector>

#include "reports/TsReportDoc.h"
#include "reports/TsReportQueryDlg.h"
#include "reports/TsReportRow.h"

class CSmDatabase;
class CSmQuery;
class QCheckBox;

// The money items of a settlement kind as the settlement rows lay them out: ticket items of
// categories 0 and 1, slip items of categories 1 and 2. A row's values are the slip count,
// weight, average price, amount, the category-0 ticket items, the payable (only with such
// items), the category-1 ticket items, the slip items and the paid amount.
struct TsSettlementItems {
  explicit TsSettlementItems(int kind);
  int FirstLaterItem() const { return 4 + c00 + (c00 > 0 ? 1 : 0); }
  int FirstSlipItem() const { return FirstLaterItem() + c01; }
  int ValueCount() const { return FirstSlipItem() + c11 + c12 + 1; }

  int c00 = 0, c01 = 0, c11 = 0, c12 = 0;
};

// What the settlement report sums: the kind (0 cane, 1 freight), the period of the slips, the
// settler and the payer (empty = any), the farmer region (sFilter[0]) and level (cane only) and
// whether only unpaid slips count (the payer then does not matter).
struct TsSettlementQuery : TsReportQuery {
  int bUnpaidOnly = 0;
};

// The pieces the settlement reports share: the select list of the ticket sums ("sum(MY<n>),"
// of the amount and of each category-0 and category-1 ticket item) and of the deduction-row
// sums (category-1 and category-2 slip items), and reading a row of either query into `work`.
std::string TsSettlementTicketSums(int kind);
std::string TsSettlementSlipSums(int kind);
void TsReadSettlementTicket(CSmQuery& query, const TsSettlementItems& items, CTsReportRow& work);
void TsReadSettlementSlip(CSmQuery& query, const TsSettlementItems& items, CTsReportRow& work);

// Appends to `rows` the farmer rows down to the level (drivers for freight), each with the sums
// of its settled tickets and deduction rows, `work` (TsSettlementItems::ValueCount values)
// being the template row. The number of rows; 0 when a query cannot run (the rows then keep
// what was added before).
int FillSettlement(const TsSettlementQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
                   CSmDatabase* db);
// The average price, the payable (amount with the signed category-0 ticket items) and the paid
// amount (the payable less every later item) of one row.
void ComputeSettlementTotals(CTsReportRow& row, int kind);

class CTsReportDoc2 : public CTsReportDoc {
 public:
  CTsReportDoc2();
  void OnInitDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  bool LoadRows(int openMode) override;
  void Refresh() override;

  // What the report sums, edited by the query dialog; its shared part is the base's.
  TsSettlementQuery& query = QueryOf<TsSettlementQuery>();

 protected:
  // A report of settled tickets whose query extends the settlement query.
  explicit CTsReportDoc2(std::unique_ptr<TsSettlementQuery> query);

  // The columns without applying their visibility.
  void DefineSettlementColumns(CSmFormDef& def);
  // Value v of a row goes to the column of field code 110 (v = 0) or 113 + v.
  std::vector<int> SettlementValueCodes() const;
};

// "打开统计表" (template 966) of the settlement statistics: the period, the settler and the
// payer, the farmer region and level (cane only), unpaid slips only, empty rows.
class CTsReportQueryDlg2 : public CTsReportQueryDlg {
  Q_OBJECT
 public:
  // Control id (object name) of the unpaid-only box.
  enum ControlId : int { kUnpaidOnly = 1039 };

  CTsReportQueryDlg2(CSmDatabase* db, const std::string& title, const std::string& dateFrom,
                     const std::string& dateTo, const std::string (&oprCode)[2],
                     const std::string (&filter)[4], int rowKind, int level, int skipEmpty,
                     int unpaidOnly, QWidget* parent = nullptr);
  // The same on a query; the rows follow its settlement kind.
  CTsReportQueryDlg2(CSmDatabase* db, const std::string& title, const TsSettlementQuery& q,
                     int skipEmpty, QWidget* parent = nullptr);

  bool ValidateAndSave() override;

  TsSettlementQuery m_query;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  QCheckBox* m_unpaid;
};
