#pragma once
// The households with their advance balances (templates 269 "农户及其预付款余额表" and 270
// "运户及其预付款余额表"): every farmer down to a level, or every transporter, with the
// directory details, how many households there are and how many delivered cane, and the
// balance of each advance item at the opening of the year or now.
#include <string>
#include <vector>

#include "reports/TsReportDoc.h"
#include "reports/TsReportQueryDlg.h"
#include "reports/TsReportRow.h"

class CSmDatabase;
class QCheckBox;
class QRadioButton;

// What the balances report lists: the households (nRowKind: 0 farmers or 1 transporters),
// 0 opening or 1 closing balances, whether unreviewed documents count, and for farmers a region
// code prefix (sFilter[0]) and the zero-based level of the listed rows.
struct TsBalanceQuery : TsReportQuery {
  int nBalanceType = 1;
  int bIncludeUnreviewed = 0;
};

// The number of texts and values of a balances row of the household kind.
int TsBalanceTextCount(int kind);
int TsBalanceValueCount(int kind);

// Appends to `rows` one row per household (farmers also per region above them) with its
// counts, linked parameters and advance balances, `work` (sized by the two counts above) being
// the template row. The number of rows; what a failed query would have added stays 0.
int FillHouseholdBalance(const TsBalanceQuery& q, CTsReportRow& work,
                         std::vector<CTsReportRow>& rows, CSmDatabase* db);

class CTsReportDoc6 : public CTsReportDoc {
 public:
  CTsReportDoc6();
  void OnInitDocument() override;
  void OnCloseDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  void DefineHeadNotes(CSmFormDef& def) override;
  bool LoadRows(int openMode) override;
  void Refresh() override;

  // What the report lists, edited by the query dialog; its shared part is the base's.
  TsBalanceQuery& query = QueryOf<TsBalanceQuery>();
};

// "打开预付款余额表" (template 973): opening or closing balances, the region and level of
// farmers, unreviewed documents, empty rows.
class CTsReportQueryDlg6 : public CTsReportQueryDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int { kOpeningBalance = 1117, kClosingBalance = 1118 };

  CTsReportQueryDlg6(CSmDatabase* db, const std::string& title, const TsBalanceQuery& q,
                     int skipEmpty, QWidget* parent = nullptr);

  bool ValidateAndSave() override;

  TsBalanceQuery m_query;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  void KeepOwnControls();

  QRadioButton* m_types[2];
  QCheckBox* m_unreviewed;
};
