// The report document and view: the remembered query, rows into the grid with empty rows
// dropped or kept, the total row over top-level rows, the heading values and the context menu.
#include <gtest/gtest.h>

#include <QMenu>

#include "app/SmApp.h"
#include "app/SmWorkstation.h"
#include "cane/TsParams.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "reports/TsReportDoc.h"
#include "reports/TsReportDoc1.h"
#include "reports/TsReportDoc2.h"
#include "reports/TsReportDoc3.h"
#include "reports/TsReportDoc4.h"
#include "reports/TsReportDoc5.h"
#include "reports/TsReportDoc6.h"
#include "reports/TsReportDoc7.h"
#include "reports/TsReportDoc8.h"
#include "tests/cane/TsTestApp.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

class ReportDoc : public CTsReportDoc {
 public:
  explicit ReportDoc(int templateNumber) {
    nFlag = templateNumber;
    m_kind.nNumber = 0;
    m_kind.sName = "甘蔗收购统计表";
  }
  void DefineTitle(CSmFormDef& def) override { def.sFna = "甘蔗收购统计表"; }
};

class ReportView : public CTsReportView {
 public:
  explicit ReportView(CTsReportDoc& doc) {
    doc.AddView(this);
    ResetViewState();
    ResetLayout();
  }
  ~ReportView() override {
    if (GetDocument()) GetDocument()->RemoveView(this);
  }
  // The total of every shown column over all rows, as the total row adds them.
  std::vector<double> Totals() {
    CSmDoc* doc = GetFormDoc();
    std::vector<double> totals(doc->m_shownCount, 0.0);
    for (int row = 0; row < static_cast<int>(doc->m_rows.size()); ++row)
      AddRowToTotals(row, totals);
    return totals;
  }
  std::string Note(const std::string& name) {
    CSmFormHeadNote note;
    note.sNote = name;
    note.sWords = "系统生成";
    GetNoteValue(note);
    return note.sWords;
  }
};

CTsReportRow Row(const std::string& code, const std::string& name, double count, double weight) {
  CTsReportRow row(7);
  row.sCode = code;
  row.sName = name;
  row.Values[0] = count;
  row.Values[4] = weight;
  return row;
}

const std::vector<int> kValueCodes = {0, 1, 2, 3, 4, 5, 6};

class TsReportDocTest : public TsAppTest {
 protected:
  void SetUp() override {
    TsAppTest::SetUp();
    SmResetMessages();
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
  }
  // The document opened on its definition, without rows.
  static void Open(CTsReportDoc& doc) {
    doc.InitDocument();
    doc.LoadFormDef();
  }
  // The shown column of a field code in each grid row.
  static std::vector<std::string> Column(const CTsReportDoc& doc, int code) {
    const int k = doc.FindShownColumn(code);
    std::vector<std::string> cells;
    for (const auto& row : doc.m_rows) cells.push_back(k < 0 ? "?" : row[k]);
    return cells;
  }
};

}  // namespace

TEST_F(TsReportDocTest, FirstOpeningTakesTheDefaultsAndClosingRemembersTheChoices) {
  {
    ReportDoc doc(257);
    doc.InitDocument();
    EXPECT_EQ(doc.m_openModes.size(), 28u);
    EXPECT_EQ(doc.sDateFrom, TsGetYearStartDate());
    EXPECT_EQ(doc.sDateTo, TsGetYearEndDate());
    EXPECT_EQ(doc.sDateFrom.size(), 8u);
    EXPECT_EQ(doc.nRowKind, 0);
    EXPECT_EQ(doc.nLevel, 2);
    EXPECT_EQ(doc.bSkipEmpty, 1);
    EXPECT_EQ(doc.m_openModes[16], "100");
    EXPECT_TRUE(doc.sOprCode[0].empty() && doc.sFilter[3].empty());
    doc.sDateFrom = "20151201";
    doc.sDateTo = "20160131";
    doc.sOprCode[1] = "102";
    doc.sFilter[2] = "01";
    doc.nRowKind = 2;
    doc.nLevel = 0;
    doc.bSkipEmpty = 0;
    doc.m_openModes[12] = "20";  // a derived report's own entry rides along
    doc.OnCloseDocument();
  }
  ReportDoc doc(257);
  doc.InitDocument();
  EXPECT_EQ(doc.sDateFrom, "20151201");
  EXPECT_EQ(doc.sDateTo, "20160131");
  EXPECT_EQ(doc.sOprCode[1], "102");
  EXPECT_EQ(doc.sFilter[2], "01");
  EXPECT_EQ(doc.nRowKind, 2);
  EXPECT_EQ(doc.nLevel, 0);
  EXPECT_EQ(doc.bSkipEmpty, 0);
  EXPECT_EQ(doc.m_openModes[12], "20");
  EXPECT_EQ(doc.bPeriodCaption, 1);
  // Another report keeps its own choices.
  ReportDoc other(259);
  other.InitDocument();
  EXPECT_EQ(other.nRowKind, 0);
}

TEST_F(TsReportDocTest, BaseColumnsAndNotes) {
  ReportDoc doc(257);
  Open(doc);
  // The code column stays hidden, the name shows; the number columns follow.
  EXPECT_EQ(doc.FindShownColumn(1), -1);
  EXPECT_EQ(doc.FindShownColumn(2), 0);
  EXPECT_EQ(doc.FindShownColumn(10), 1);
  EXPECT_EQ(doc.FindShownColumn(14), 2);
  ASSERT_EQ(doc.m_formDef.m_headNotes.size(), 9u);
  EXPECT_EQ(doc.m_formDef.m_headNotes[0].sNote, "报告期");
  EXPECT_EQ(doc.m_formDef.m_headNotes[8].sNote, "编表单位");
  EXPECT_EQ(doc.m_formDef.m_headNotes[4].sWords, "会计主管：");
}

TEST_F(TsReportDocTest, RowsFillTheGridAndEmptyRowsAreDroppedOnlyWhenAsked) {
  const std::vector<CTsReportRow> rows = {Row("1", "东镇", 3, 30.5), Row("101", "  一村", 3, 30.5),
                                          Row("2", "西镇", 0, 0), Row("3", "南镇", 1, 2)};
  for (int skip : {1, 0}) {
    ReportDoc doc(257);
    Open(doc);
    doc.bSkipEmpty = skip;
    doc.FillFromRows({}, kValueCodes, rows);
    if (skip) {
      EXPECT_EQ(Column(doc, 2), (std::vector<std::string>{"东镇", "  一村", "南镇"}));
      EXPECT_EQ(Column(doc, 14), (std::vector<std::string>{"30.500", "30.500", "2.000"}));
    } else {
      EXPECT_EQ(Column(doc, 2), (std::vector<std::string>{"东镇", "  一村", "西镇", "南镇"}));
      EXPECT_EQ(Column(doc, 10), (std::vector<std::string>{"3", "3", "", "1"}));
    }
    // The code sits in the key cell after the shown columns.
    EXPECT_EQ(doc.m_rows[1][doc.m_shownCount], "101");
  }
}

TEST_F(TsReportDocTest, TotalRowSumsTheFirstRowsLevelButEveryDriverOrPlace) {
  ReportDoc doc(257);
  Open(doc);
  ReportView view(doc);
  const int count = doc.FindShownColumn(10);
  const int weight = doc.FindShownColumn(14);
  doc.nRowKind = 0;
  doc.FillFromRows({}, kValueCodes,
                   {Row("1", "东镇", 3, 30), Row("101", "一村", 2, 20), Row("102", "二村", 1, 10),
                    Row("2", "西镇", 4, 7)});
  std::vector<double> totals = view.Totals();
  EXPECT_DOUBLE_EQ(totals[count], 7);
  EXPECT_DOUBLE_EQ(totals[weight], 37);
  // Driver codes are flat and may differ in length: every row counts.
  doc.nRowKind = 1;
  doc.FillFromRows({}, kValueCodes,
                   {Row("1", "李四", 1, 5), Row("12", "王五", 2, 6), Row("3", "赵六", 1, 1)});
  totals = view.Totals();
  EXPECT_DOUBLE_EQ(totals[count], 4);
  EXPECT_DOUBLE_EQ(totals[weight], 12);
}

TEST_F(TsReportDocTest, HeadingValues) {
  ReportDoc doc(257);
  Open(doc);
  ReportView view(doc);
  doc.sDateFrom = "20160305";
  doc.sDateTo = "20160331";
  doc.bPeriodCaption = 0;
  EXPECT_EQ(view.Note("报告期"), "截止时间：2016年 03月 05日");
  doc.bPeriodCaption = 1;
  EXPECT_NE(view.Note("报告期").find("2016"), std::string::npos);
  EXPECT_EQ(view.Note("编表单位"), "编表单位：" + m_app.m_env.GetUnitName());
  doc.sHeading[0] = "农户";
  EXPECT_EQ(view.Note("表头1"), "农户");
  EXPECT_EQ(view.Note("主管前导"), "系统生成");
}

TEST_F(TsReportDocTest, ContextMenuHasRefreshAndForUnsettledPayablesTheAdvances) {
  struct Case {
    int templateNumber;
    bool advances;
  } cases[] = {{257, false}, {264, true}, {265, true}};
  for (const Case& c : cases) {
    ReportDoc doc(c.templateNumber);
    Open(doc);
    doc.FillFromRows({}, kValueCodes, {Row("1", "东镇", 1, 1)});
    ReportView view(doc);
    std::unique_ptr<QMenu> menu = view.CreateContextMenu();
    std::vector<int> ids;
    for (QAction* action : menu->actions()) ids.push_back(action->data().toInt());
    auto at = [&ids](int id) { return std::find(ids.begin(), ids.end(), id) - ids.begin(); };
    ASSERT_LT(at(SM_ID_DOC_REREAD), static_cast<long>(ids.size())) << c.templateNumber;
    EXPECT_EQ(at(SM_ID_DOC_REREAD) + 1, at(SM_ID_EDIT_SELECT_ALL));
    const bool found = at(kTsGenerateAdvances) < static_cast<long>(ids.size());
    EXPECT_EQ(found, c.advances) << c.templateNumber;
    if (found) {
      EXPECT_EQ(at(kTsGenerateAdvances) + 2, at(SM_ID_EDIT_CUT));
      EXPECT_TRUE(menu->actions()[at(kTsGenerateAdvances) + 1]->isSeparator());
    }
  }
}

namespace {

template <class Doc>
std::unique_ptr<CTsReportDoc> MakeDoc() {
  return std::make_unique<Doc>();
}

}  // namespace

// Each report reads the shared choices into its own query and writes them back as they were
// stored, but for what the report fixes itself: the rows of the settlement kind, the code
// filters it has no use for, the end of a single date, empty rows shown.
TEST_F(TsReportDocTest, EveryReportKeepsTheStoredSharedChoices) {
  const std::vector<std::string> stored = {"20160305", "20160320", "102", "103", "01", "D1",
                                           "P1",       "V1",       "3",   "1",   "1"};
  struct Case {
    int templateNumber;
    std::unique_ptr<CTsReportDoc> (*make)();
    std::vector<std::string> kept;  // entries 0 to 10 after an opening and a closing
  };
  auto with = [&stored](std::initializer_list<std::pair<size_t, const char*>> changes) {
    std::vector<std::string> kept = stored;
    for (const auto& [k, text] : changes) kept[k] = text;
    return kept;
  };
  const Case cases[] = {
      {257, &MakeDoc<CTsReportDoc1>, stored},
      {258, &MakeDoc<CTsReportDoc1>, stored},
      {259, &MakeDoc<CTsReportDoc2>, with({{5, ""}, {6, ""}, {7, ""}, {8, "0"}})},
      {263, &MakeDoc<CTsReportDoc2>, with({{5, ""}, {6, ""}, {7, ""}, {8, "1"}})},
      {264, &MakeDoc<CTsReportDoc3>, with({{1, "20160305"}, {5, ""}, {6, ""}, {7, ""}, {8, "0"}})},
      {265, &MakeDoc<CTsReportDoc3>, with({{1, "20160305"}, {5, ""}, {6, ""}, {7, ""}, {8, "1"}})},
      {266, &MakeDoc<CTsReportDoc4>, with({{5, ""}, {6, ""}, {7, ""}, {8, "0"}})},
      {267, &MakeDoc<CTsReportDoc4>, with({{5, ""}, {6, ""}, {7, ""}, {8, "1"}})},
      {268, &MakeDoc<CTsReportDoc5>, stored},
      {269, &MakeDoc<CTsReportDoc6>, with({{8, "0"}})},
      {270, &MakeDoc<CTsReportDoc6>, with({{8, "1"}})},
      {271, &MakeDoc<CTsReportDoc7>, with({{10, "0"}})},
      {272, &MakeDoc<CTsReportDoc8>, with({{8, "0"}})},
  };
  for (const Case& c : cases) {
    std::vector<std::string> modes = stored;
    modes.resize(kTsReportVarCount);
    ASSERT_TRUE(WriteDocOpenMode(c.templateNumber, 0, modes));
    std::unique_ptr<CTsReportDoc> doc = c.make();
    doc->nFlag = c.templateNumber;
    doc->m_kind.nNumber = 0;
    doc->InitDocument();
    doc->OnCloseDocument();
    ReadDocOpenModes(c.templateNumber, 0, modes);
    modes.resize(c.kept.size());
    EXPECT_EQ(modes, c.kept) << c.templateNumber;
  }
}
