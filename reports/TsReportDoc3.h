#pragma once
// The unsettled payables (templates 264 "未结蔗款统计表" and 265 "未结运费统计表"): for a
// cut-off date, per household the tared tickets not settled by then, with the chosen groups of
// items (deductions or subsidies and withholdings of the tickets, withholding and advance
// balances of the money documents), and the share of the rest that is paid in cash now. The
// report can turn its cash payables into one advance voucher.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "reports/TsReportDoc.h"
#include "reports/TsReportQueryDlg.h"
#include "reports/TsReportRow.h"
#include "weighing/TsjsRec.h"

class CSmDatabase;
class CSmEdit;
class QCheckBox;

inline constexpr int kTsItemGroups = 4;

// The columns of the item groups of a kind: per group its item count, whether it has a
// subtotal (two or more items), its start among the group columns and its size (0 when the
// group is not shown); `total` is the number of group columns.
struct TsGroupLayout {
  std::array<int, kTsItemGroups> count{};
  std::array<int, kTsItemGroups> subtotal{};
  std::array<int, kTsItemGroups> start{};
  std::array<int, kTsItemGroups> size{};
  int total = 0;
};
TsGroupLayout GetGroupLayout(int kind, const std::array<int, kTsItemGroups>& shown);

// What the unsettled payables report sums: the settlement kind (0 cane, 1 freight), the shown
// item groups, whether settled but unpaid slips count as unsettled, the cash percentage, the
// cut-off date (sDateFrom, with sDateTo kept equal) and, for farmers, a region (sFilter[0]) and
// the level of the rows.
struct TsUnsettledQuery : TsReportQuery {
  std::array<int, kTsItemGroups> bGroups{};
  int bIncludeUnpaid = 0;
  double dCashPercent = 100;
};

// Appends to `rows` the household rows (farmers down to the level) with the ticket count,
// weight, average price, amount, the shown group columns and the cash payable, `work` (5 + the
// layout's total values) being the template row. The number of rows; 0 when a query cannot run.
int FillUnsettled(const TsUnsettledQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
                  CSmDatabase* db);

// The rows of an advance voucher made from `voucher` paying each household of `payables` (code
// and cash payable) its amount in slip item `item`; zero amounts and codes that are not one
// household (regions, unknown codes) are left out.
std::vector<CTsjsRec> TsAdvanceRows(const CTsjsRec& voucher, int item,
                                    const std::vector<std::pair<std::string, double>>& payables,
                                    CSmDatabase* db);

class CTsReportDoc3 : public CTsReportDoc {
 public:
  CTsReportDoc3();
  void OnInitDocument() override;
  void OnCloseDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  void MakeDefaultTopWords(CSmFormDef& def) override;
  // The query dialog; each combination of shown groups keeps a form definition of its own.
  bool LoadRows(int openMode) override;
  void Refresh() override;
  bool OnCommand(int id) override;
  // Writes one advance voucher paying every listed household its cash payable, then shows the
  // report again with the new balances.
  void OnGenerateAdvance();

  TsGroupLayout Layout() const;

  // What the report lists, edited by the query dialog; its shared part is the base's.
  TsUnsettledQuery& query = QueryOf<TsUnsettledQuery>();
};

// "打开统计表" (template 967) of the unsettled payables: the cut-off date, the region and level
// of farmers, the shown item groups, settled but unpaid slips, empty rows, the cash percentage.
class CTsReportQueryDlg3 : public CTsReportQueryDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kFirstGroup = 1035,  // the item groups' boxes, one after another
    kCashPercent = 1110,
  };

  CTsReportQueryDlg3(CSmDatabase* db, const std::string& title, const std::string& date,
                     const std::string& region, int rowKind, int level, int skipEmpty,
                     const std::array<int, kTsItemGroups>& groups, int includeUnpaid,
                     double cashPercent, QWidget* parent = nullptr);
  // The same on a query; the rows follow its settlement kind.
  CTsReportQueryDlg3(CSmDatabase* db, const std::string& title, const TsUnsettledQuery& q,
                     int skipEmpty, QWidget* parent = nullptr);

  bool ValidateAndSave() override;

  TsUnsettledQuery m_query;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  QCheckBox* m_groupChecks[kTsItemGroups];
  QCheckBox* m_unpaid;
  CSmEdit* m_percent;
  std::string m_percentText;
};
