#pragma once
// The cane payments paid through the bank (template 272 "银行代付蔗款报表"): per farmer with a
// bank account the settled cane tickets and the slip deduction rows of a period not yet paid,
// or those of a saved bank batch, with the farmer's bank details. Saving it as a text file for
// the bank records a numbered batch that pays those tickets and rows; the query dialog lists the
// batches to reopen, delete, review or take the review back.
#include <string>
#include <vector>

#include "reports/TsReportDoc2.h"

class QComboBox;
class QPushButton;
class CSmDatabase;

inline constexpr long kTsBankBatchCs = 4160;   // CsN batch, CsNa from+to+region, CsVal maker
inline constexpr long kTsBankReviewCs = 4161;  // CsN batch, CsVal reviewer

// What the bank payment report lists: batch 0 or less the settled, unpaid cane tickets and
// deduction rows of the period and farmer region (sFilter[0]), else those of batch `nBatch`.
struct TsBankQuery : TsSettlementQuery {
  TsBankQuery() = default;
  TsBankQuery(int batch, const std::string& dateFrom, const std::string& dateTo,
              const std::string& region);

  int nBatch = 0;
};

// Appends to `rows` one row per farmer with a bank account (his name, bank number, account and
// account name as the three texts), with the sums of his tickets and deduction rows and the
// totals; `work` has 3 texts and TsSettlementItems(0).ValueCount() values. The number of rows;
// 0 when a query cannot run.
int FillBankPayment(const TsBankQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
                    CSmDatabase* db);

// Whether a saved batch with `batchName` (from, to, region as stored) overlaps the period and
// region: the periods share a day and one region begins with the other or either is empty.
bool TsBankBatchOverlaps(const std::string& batchName, const std::string& from,
                         const std::string& to, const std::string& region);

// Records a bank batch in one transaction: the next number, the payment marks of the tickets
// and deduction rows of the period and region, the batch row with the operator at work as the
// maker. The new number; 0 when something failed and nothing was kept.
int TsRecordBankBatch(const std::string& from, const std::string& to, const std::string& region,
                      CSmDatabase* db);

class CTsReportDoc8 : public CTsReportDoc2 {
 public:
  CTsReportDoc8();
  void OnInitDocument() override;
  void OnCloseDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  bool LoadRows(int openMode) override;
  void Refresh() override;
  std::string GetCountText() override;
  // The rows are read again before and after the text wizard, which records the batch.
  void SaveAsText() override;
  // Saving as text records a batch: only with the right to pay cane slips.
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;
  bool OnSaveAsText(const std::string& fileName) override;
  // Asks about every saved batch the report overlaps and records the report as a new batch;
  // false, with nothing written, when empty, refused or failed.
  bool SaveBankBatch();

  // What the report lists, edited by the query dialog; the settlement report's `query` is this
  // query's settlement part.
  TsBankQuery& bankQuery = QueryOf<TsBankQuery>();
};

// "打开银行代付蔗款报表" (template 976): the period and farmer region of a new report, or a
// saved batch with its own period and region; deleting, reviewing and taking back the review
// of the chosen batch.
class CTsReportQueryDlg8 : public CTsReportQueryDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kBatchList = 1132,
    kDeleteBatch = 1133,
    kReviewBatch = 1134,
  };

  CTsReportQueryDlg8(CSmDatabase* db, const std::string& title, const std::string& dateFrom,
                     const std::string& dateTo, int batch, const std::string (&oprCode)[2],
                     const std::string& region, int level, QWidget* parent = nullptr);
  // The same on a query.
  CTsReportQueryDlg8(CSmDatabase* db, const std::string& title, const TsBankQuery& q,
                     QWidget* parent = nullptr);

  bool OnCommand(unsigned id) override;
  bool ValidateAndSave() override;

  TsBankQuery m_query;  // the batch chosen: 0 for "新单"

  void FillBatchList();
  void OnBatchCloseUp();
  void OnDeleteBatch();
  void OnReviewBatch();

 protected:
  void OnInitDialog() override;

 private:
  // Selects the line of `batch` (the first line when there is none) and applies it.
  void SelectBatch(int batch);
  void SelectIndex(int index);
  CSmDatabase* m_db;
  QComboBox* m_batches;
  QPushButton* m_delete;
  QPushButton* m_review;
  int m_current = -1;
  std::string m_maker;
  std::string m_reviewer;
};
