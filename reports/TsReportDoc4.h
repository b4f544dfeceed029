#pragma once
// The advance balances and movements (templates 266 "农户预付(代扣)款余额及发生额表" and 267
// "运户预付(代扣)款余额及发生额表"): for one withholding item, one advance item or all advance
// items together, what each household owed at the start of a period, what was advanced or
// withheld in it, what was taken back and what it owes at the end.
#include <string>
#include <vector>

#include "reports/TsReportDoc.h"
#include "reports/TsReportQueryDlg.h"
#include "reports/TsReportRow.h"

class CSmDatabase;
class QCheckBox;
class QComboBox;

// What the movements report follows: the households (nSettleKind: 0 farmers, 1 transporters),
// the item (category 1 withholding or 2 advance, its index; in category 2 the index past the
// advance items means all of them), the period, for farmers a region (sFilter[0]) and the level
// of the rows, and whether unreviewed documents count.
struct TsMovementQuery : TsReportQuery {
  int nItemCategory = 2;
  int nItemIndex = 0;
  int bIncludeUnreviewed = 0;
};

// Appends to `rows` the household rows (farmers down to the level) with four values each:
// opening balance, advanced or withheld, taken back and closing balance of the item, `work`
// (4 values) being the template row. The number of rows; 0 when the query cannot run.
int FillAdvanceMovement(const TsMovementQuery& q, CTsReportRow& work,
                        std::vector<CTsReportRow>& rows, CSmDatabase* db);

class CTsReportDoc4 : public CTsReportDoc {
 public:
  CTsReportDoc4();
  void OnInitDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  // Refused without a withholding or advance item; then the query dialog.
  bool LoadRows(int openMode) override;
  void Refresh() override;

  // What the report sums, edited by the query dialog; its shared part is the base's.
  TsMovementQuery& query = QueryOf<TsMovementQuery>();
};

// "打开统计表" (template 968) of the movements report: the period, the money item, the region
// and level of farmers, unreviewed documents, empty rows.
class CTsReportQueryDlg4 : public CTsReportQueryDlg {
  Q_OBJECT
 public:
  // Control ids (object names) of its own boxes.
  enum ControlId : int { kItemCombo = 1033, kIncludeUnreviewed = 1039 };

  CTsReportQueryDlg4(CSmDatabase* db, const std::string& title, const std::string& dateFrom,
                     const std::string& dateTo, const std::string& region, int rowKind, int level,
                     int skipEmpty, int itemCategory, int itemIndex, int includeUnreviewed,
                     QWidget* parent = nullptr);
  // The same on a query; the rows follow its settlement kind.
  CTsReportQueryDlg4(CSmDatabase* db, const std::string& title, const TsMovementQuery& q,
                     int skipEmpty, QWidget* parent = nullptr);

  bool ValidateAndSave() override;

  TsMovementQuery m_query;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  QComboBox* m_items;
  QCheckBox* m_unreviewed;
};
