#pragma once
// The statistical reports' document and grid view. The document keeps a report's query
// (period, operators, code filters, row kind, level, options) in the form definition's 28
// header variables from one opening to the next, defines the columns and notes every report
// starts from and turns an array of report rows into grid rows. The view adds "刷新", a total
// row over the top-level rows and the printed heading values.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/SmDoc.h"
#include "forms/SmForthView.h"
#include "reports/TsReportQuery.h"
#include "reports/TsReportRow.h"

inline constexpr int kTsReportVarCount = 28;
inline constexpr int kTsGenerateAdvances = 44609;
inline constexpr int kTsBankReportKind = 272;  // "银行代付蔗款报表"

class QAction;
class QMenu;
class CSmDatabase;

// The first action of `menu` carrying command `id`; null when there is none.
QAction* TsFindMenuAction(QMenu& menu, int id);

// " And <column> Like '<prefix>*'" for a code prefix typed in a query dialog; empty when
// `prefix` is.
std::string TsPrefixCondition(const std::string& column, const std::string& prefix,
                              CSmDatabase* db);

// Up to `count` bytes of `text` from `from`; empty past its end.
std::string TsTextPart(const std::string& text, size_t from, size_t count = std::string::npos);

// A printed group heading with each "%*s" gap filled with `blanks` blanks.
std::string TsSpreadCaption(const char* format, int blanks);

// The columns of `def` whose field code is one of `weightCodes` take every decimal of the
// quantity precision as their least and most decimals, whatever a stored definition says: the
// grid, its total row and its printout show weights as TsWeightText writes them ("8.700").
void TsShowWeightColumns(CSmFormDef& def, const std::vector<int>& weightCodes);

// What a report document tells its views (the hint of UpdateAllViews).
enum TsReportHint : long {
  kTsReportReread = 1,  // the stored data changed: the view reads the report again
};

class CTsReportDoc : public CSmDoc {
 public:
  CTsReportDoc();
  void OnCloseDocument() override;
  void OnInitDocument() override;
  void DefineColumns(CSmFormDef& def) override;
  // The name column is always shown; every other column stays as defined.
  int GetColumnVisibility(const CSmFormDef& def, int column) override;
  void DefineHeadNotes(CSmFormDef& def) override;
  // The weight columns (WeightCodes) of a defined or a stored definition show weights as
  // tickets and slips do.
  void AdjustFormDef(CSmFormDef& def) override;
  // The field codes of the report's weight columns: the base's cane weight.
  virtual std::vector<int> WeightCodes() const { return {14}; }
  // One grid row per report row: texts into the columns of `textCodes`, values into the
  // columns of `valueCodes` + 10, the code into the key cell after the shown columns.
  virtual void FillFromRows(const std::vector<int>& textCodes, const std::vector<int>& valueCodes,
                            const std::vector<CTsReportRow>& rows);
  // The same one row at a time, for a builder that makes its rows one by one: the shown columns
  // of the codes once, then each row appended (the grid emptied first by the caller).
  struct RowColumns {
    int code = -1;
    int name = -1;
    std::vector<int> texts;
    std::vector<int> values;
  };
  RowColumns FindRowColumns(const std::vector<int>& textCodes,
                            const std::vector<int>& valueCodes) const;
  void AppendFromRow(const RowColumns& columns, const CTsReportRow& row);
  // The cells and flags of one row made anew in place (their room kept); the number of value
  // cells that are not blank.
  int FillRowCells(const RowColumns& columns, const CTsReportRow& row,
                   std::vector<std::string>& cells, std::string& flags);
  // Only the value cells of a row made anew; its texts and flags stay.
  int FillRowValues(const RowColumns& columns, const CTsReportRow& row,
                    std::vector<std::string>& cells);

 private:
  // The report's query, held once: a report with choices of its own passes its own query type
  // to the constructor and reads it through QueryOf. Declared before the names of its parts.
  std::unique_ptr<TsReportQuery> m_query;

 public:
  // The shared part of the query under the names the document and its views read.
  std::string& sDateFrom = m_query->sDateFrom;
  std::string& sDateTo = m_query->sDateTo;
  std::string (&sOprCode)[2] = m_query->sOprCode;
  std::string (&sFilter)[4] = m_query->sFilter;
  int& nRowKind = m_query->nRowKind;
  int& nLevel = m_query->nLevel;
  int& nSettleKind = m_query->nSettleKind;
  int bSkipEmpty = 1;
  int bPeriodCaption = 1;
  std::string sHeading[4];

 protected:
  explicit CTsReportDoc(std::unique_ptr<TsReportQuery> query);
  // The query as the report's own type, the one its constructor passed.
  template <class Query>
  Query& QueryOf() {
    return static_cast<Query&>(*m_query);
  }
  // The columns of the base without applying their visibility: code, name, ticket count,
  // weight, average price, amount, the settlement kind's ticket items and the payable.
  void DefineBaseColumns(CSmFormDef& def);
  // Appends a column (field code, width code, decimals, spec string) to the definition.
  static void AppendColumn(CSmFormDef& def, int type, int fact, int less, int more,
                           const std::string& spec);
  // A heading block over every heading row above the shown column of field code `code`.
  void AddFullTopWord(CSmFormDef& def, int code);
  // The heading blocks of a group of columns: with two or more of them shown, `heading` (each
  // "%*s" filled with `blanks` blanks per shown column) over them in the upper half of the
  // heading rows and each shown column's `word` below it; else a full-height block over each.
  void AddGroupTopWords(CSmFormDef& def, const std::vector<int>& codes, const char* heading,
                        int blanks, const std::function<std::string(int code)>& word);
};

class CTsReportView : public CForthView {
  Q_OBJECT
 public:
  explicit CTsReportView(QWidget* parent = nullptr) : CForthView(parent) {}
  void ResetLayout() override;
  void GetNoteValue(CSmFormHeadNote& note) override;
  void AddContextMenuItems(QMenu& menu) override;
  // Only rows whose code is as long as the first row's count, so subtotals are not added
  // twice; rows of drivers and places have flat codes and all count.
  void AddRowToTotals(int row, std::vector<double>& totals) override;
  // "生成预付款单据" and the bank report's "保存为文本文档 ..." of the context menu go to the
  // document.
  bool OnCommand(int id) override;
  void OnUpdate(CSmView* sender, long hint) override;

  CTsReportDoc* ReportDoc() const;
};
