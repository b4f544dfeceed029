#pragma once
// The purchase statistics (template 257, "甘蔗收购统计表") and the freight statistics
// (template 258, "运费统计表"): the tared tickets of a period summed by farmer, driver, place
// or variety at a code level, with the ticket count, net weight, amount, ticket items and
// payable; the cane form also shows the farmers' estimated area and output and by how much the
// delivered weight exceeds the estimate.
#include <string>
#include <vector>

#include "reports/TsReportDoc.h"
#include "reports/TsReportQueryDlg.h"
#include "reports/TsReportRow.h"

class CSmDatabase;

// Appends the directory rows of the query's row kind and level to `rows` (through `work`) and
// gives the grouping key of the tickets: the code cut to the level for farmers and varieties
// without a quantity range, else the whole code.
std::string TsLoadReportNames(const TsPurchaseQuery& q, CTsReportRow& work,
                              std::vector<CTsReportRow>& rows, CSmDatabase* db);
// The conditions of a ticket query after its date condition, up to the order: operators,
// untared only, code filters, the grouping by `key` and the range of `sum(MU0-MU1` + `net`).
std::string TsTicketConditions(const TsPurchaseQuery& q, const std::string& key,
                               const std::string& net, CSmDatabase* db);

// The number of values of a purchase row: count, rate, area, output, weight, price, amount,
// the kind's ticket items and, when there is any item, the payable.
int TsPurchaseValueCount(int kind);

// Appends to `rows` the directory rows of the query's row kind and level, each holding the sums
// of its tickets and of the estimates below it, with `work` (sized by TsPurchaseValueCount) as
// the template row. The number of rows; 0 when the ticket or the estimate query cannot run.
int FillPurchase(const TsPurchaseQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
                 CSmDatabase* db);
// The rate over the estimate, the average price and the payable of one row.
void ComputeRates(CTsReportRow& row, int kind);

class CTsReportDoc1 : public CTsReportDoc {
 public:
  CTsReportDoc1();
  void OnInitDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  // The estimated output and the cane weight.
  std::vector<int> WeightCodes() const override { return {13, 14}; }
  // The query dialog; Cancel leaves the report unopened.
  bool LoadRows(int openMode) override;
  void Refresh() override;

  // What the report sums, edited by the query dialog; its shared part is the base's.
  TsPurchaseQuery& query = QueryOf<TsPurchaseQuery>();

 protected:
  // The dialog's choices after OK, with the own members written to header variables 11 to 13.
  void TakeChoices(const CTsReportQueryDlg1& dlg);
};

// Installs the purchase and freight statistics as the documents of templates 257 and 258,
// the unsettled payables as those of 264 and 265, the advance balances and movements as
// those of 266 and 267, the daily purchase report as that of 268, the households with balances
// as those of 269 and 270, the ticket detail list as that of 271 and the household ledgers as
// those of 261 and 262.
void TsInstallReports();
