// The table document: its definition's first and later openings, formula columns, rescaling,
// cell checks, rows, the title and the close question.
#include <gtest/gtest.h>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "core/SmVarCaculate.h"
#include "forms/SmDoc.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

struct ColDef {
  int type;
  int more;
  const char* spec;
};

// A document whose built-in default has the given columns; "坏" is a bad cell.
class TestDoc : public CSmDoc {
 public:
  explicit TestDoc(std::vector<ColDef> cols, int form = 1) : m_cols(std::move(cols)) {
    nFlag = 260;
    m_kind.nNumber = form;
    m_kind.sName = "收购统计表";
  }
  void DefineTitle(CSmFormDef& def) override {
    def.sFna = "收购统计表";
    def.nTopNum = 1;
  }
  void DefineColumns(CSmFormDef& def) override {
    for (const ColDef& col : m_cols) {
      def.InsertCol(static_cast<int>(def.m_cols.size()), col.type, 1010, 0, col.more, col.spec);
    }
  }
  void DefineHeadNotes(CSmFormDef& def) override { def.m_headNotes = m_notes; }
  bool ValidateCell(int, int, const std::string& text, std::string&) override {
    return text != "坏";
  }
  bool IsReadOnly() override { return m_readOnlyDoc; }
  bool GetSavePrompt(std::string& prompt) override {
    prompt.clear();
    return true;
  }
  bool Save(int) override {
    ++m_saves;
    return m_saveWorks;
  }

  // What the template does when it opens a document.
  void Open() {
    InitDocument();
    LoadRows(1);
    LoadFormDef();
    if (m_rows.empty()) AppendRow();
  }
  void Fill(const std::vector<std::vector<std::string>>& rows) {
    AddRows(static_cast<int>(rows.size()) - static_cast<int>(m_rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
      for (size_t c = 0; c < rows[r].size(); ++c) SetCell(r, c, "TEXT", rows[r][c]);
    }
  }
  std::string Cell(int row, int col) const { return m_rows[row][col]; }

  std::vector<ColDef> m_cols;
  std::vector<CSmFormHeadNote> m_notes;
  bool m_readOnlyDoc = false;
  bool m_saveWorks = true;
  int m_saves = 0;
};

class DocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    m_db = m_app.m_env.GetDatabase();
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const auto& box : CSmMessageService::Instance().Shown()) texts.push_back(box.text);
    return texts;
  }

  CSmApp m_app;
  CSmDatabase* m_db = nullptr;
};

const std::vector<ColDef> kNumbers = {
    {101, 2, "甲/NUMBER/RIGHT"}, {102, 2, "乙/NUMBER/RIGHT"}, {103, 2, "丙/NUMBER/RIGHT"}};

TEST_F(DocTest, FirstOpeningStoresTheDefaultAndTheNextLoadsIt) {
  TestDoc first(kNumbers);
  first.Open();
  EXPECT_EQ(m_app.OpeningTemplates, " 260 ");
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmFormList Where nFlag=260 And nForm=1"), 1);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmFormTopWord Where nFlag=260 And nForm=1"), 3);

  TestDoc second({{101, 0, "另一栏/STRING/LEFT"}});
  second.Open();
  EXPECT_TRUE(second.m_formDef == first.m_formDef);
  EXPECT_EQ(second.m_shownCount, 3);
  EXPECT_EQ(second.m_rows.size(), 1u);
}

TEST_F(DocTest, RescalesNumberColumns) {
  TestDoc doc({{101, 2, "千元/NUMBER/RIGHT/010/-3"}, {102, 0, "名/STRING/LEFT/000/-3"}});
  doc.Open();
  doc.Fill({{"1,234.5", "1,234.5"}, {"", ""}});
  doc.RescaleNumberColumns();
  EXPECT_EQ(doc.Cell(0, 0), "1.23");
  EXPECT_EQ(doc.Cell(0, 1), "1,234.5");  // text columns stay
  EXPECT_EQ(doc.Cell(1, 0), "");
}

TEST_F(DocTest, FormulaColumns) {
  struct Case {
    const char* name;
    std::vector<ColDef> cols;
    std::vector<std::string> row;
    int column;
    const char* expected;
  };
  const Case cases[] = {
      {"a range sums the first to the third column",
       {kNumbers[0], kNumbers[1], kNumbers[2], {100, 2, "和/NUMBER/RIGHT/012/0/#c1:3"}},
       {"1", "2", "3", ""},
       3,
       "6"},
      {"a range written with both marks",
       {kNumbers[0], kNumbers[1], kNumbers[2], {100, 2, "和/NUMBER/RIGHT/012/0/#c2:#c3*2"}},
       {"1", "2", "3", ""},
       3,
       "10"},
      {"group 1 sees what group 0 of a later column wrote",
       {kNumbers[0],
        {100, 2, "乙/NUMBER/RIGHT/012/0/1:#c3*2"},
        {100, 2, "丙/NUMBER/RIGHT/012/0/#c1+1 // 注"}},
       {"4", "", ""},
       1,
       "10"},
      {"thousands separators are read",
       {kNumbers[0], {100, 2, "乙/NUMBER/RIGHT/012/0/#c1/*半*/ / 2"}},
       {"1,000", ""},
       1,
       "500"},
      {"text columns are quoted",
       {{101, 0, "名/STRING/LEFT"}, {100, 0, "全名/STRING/LEFT/002/0/#c1+\"甘蔗\""}},
       {"红", ""},
       1,
       "红甘蔗"},
      {"@nn stands for a column's formula",
       {kNumbers[0],
        {100, 2, "乙/NUMBER/RIGHT/011/0/#c1*3"},
        {100, 2, "丙/NUMBER/RIGHT/012/0/@02+1"}},
       {"2", "", ""},
       2,
       "7"},
  };
  for (const Case& c : cases) {
    TestDoc doc(c.cols, 10 + static_cast<int>(&c - cases));
    doc.Open();
    doc.Fill({c.row});
    doc.ComputeFormulaColumns();
    EXPECT_EQ(doc.Cell(0, c.column), c.expected) << c.name;
  }
  EXPECT_TRUE(Shown().empty());
}

TEST_F(DocTest, BrokenFormulaLeavesTheCells) {
  TestDoc doc({kNumbers[0], {100, 2, "乙/NUMBER/RIGHT/012/0/#c1 /* 未完"}});
  doc.Open();
  doc.Fill({{"4", "旧"}});
  doc.ComputeFormulaColumns();
  EXPECT_EQ(Shown(), std::vector<std::string>{"栏公式：“#c1 /* 未完”出错！"});
  EXPECT_EQ(doc.Cell(0, 1), "旧");
}

TEST_F(DocTest, ColumnsReferringToEachOtherStop) {
  // Each column refers eight times to the one before: the fifth would pass 8,000 bytes.
  std::vector<std::string> specs = {"甲/NUMBER/RIGHT/012/0/1"};
  for (int k = 2; k <= 6; ++k) {
    std::string formula = FormatStr("@%02d", k - 1);
    for (int i = 1; i < 8; ++i) formula += FormatStr("+@%02d", k - 1);
    specs.push_back("乙/NUMBER/RIGHT/012/0/" + formula);
  }
  std::vector<ColDef> cols;
  for (int k = 0; k < 6; ++k) cols.push_back({100, 2, specs[k].c_str()});
  TestDoc doc(cols);
  doc.Open();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].rfind("栏公式：“@04+@04", 0), 0u);
  for (const CSmDoc::Column& col : doc.m_columns)
    EXPECT_LE(col.formula.size(), kSmMaxColumnFormula);
}

TEST_F(DocTest, CheckAllCells) {
  TestDoc doc(kNumbers);
  doc.Open();
  doc.Fill({{" ", "", "\t"}, {"坏", "1", "坏"}, {"", "", ""}});
  EXPECT_FALSE(doc.CheckAllCells(true));
  EXPECT_EQ(Shown(), std::vector<std::string>{"下列单元格出错：\n2行：1栏、3栏\n"});
  EXPECT_EQ(doc.m_rowFlags[1], "101");
  SmResetMessages();
  doc.SetCell(1, 0, "TEXT", "");
  doc.SetCell(1, 2, "TEXT", "");
  EXPECT_TRUE(doc.CheckAllCells(true));
  EXPECT_TRUE(Shown().empty());

  TestDoc blank(kNumbers, 2);
  blank.Open();
  blank.Fill({{"", " ", ""}, {"", "", ""}});
  EXPECT_TRUE(blank.CheckAllCells(true));
  EXPECT_EQ(Shown(), std::vector<std::string>{"空文档！"});
}

TEST_F(DocTest, RowsKeepTheirFlags) {
  TestDoc doc(kNumbers);
  doc.Open();
  doc.Fill({{"a"}, {"b"}, {"c"}, {"d"}, {"e"}});
  doc.m_rowFlags[0] = "100";
  doc.m_rowFlags[4] = "001";
  auto firsts = [&] {
    std::string text;
    for (size_t r = 0; r < doc.m_rows.size(); ++r)
      text += doc.Cell(r, 0).empty() ? "." : doc.Cell(r, 0);
    return text;
  };
  doc.InsertRows(1, 2, 1);  // removes "d", inserts a new row at 1
  EXPECT_EQ(firsts(), "a.bce");
  EXPECT_EQ(doc.m_rowFlags.size(), 5u);
  EXPECT_EQ(doc.m_rowFlags[4], "001");
  doc.InsertRows(2, 0, -2);  // two new rows after "a", then the two rows from 0 go
  EXPECT_EQ(firsts(), "..bce");
  EXPECT_EQ(doc.m_rowFlags[0], "000");
  EXPECT_EQ(doc.m_rowFlags[4], "001");
  doc.AddRows(2);
  EXPECT_EQ(doc.m_rows.size(), 7u);
  doc.AddRows(-100);
  ASSERT_EQ(doc.m_rows.size(), 1u);
  EXPECT_EQ(doc.m_rows[0].size(), 3u);
  EXPECT_EQ(doc.m_rowFlags, std::vector<std::string>{"000"});
}

TEST_F(DocTest, TitleIsTheKindNameCut) {
  struct Case {
    const char* name;
    std::string kind;
    std::string title;
  } const cases[] = {
      {"31 bytes", std::string(31, 'a'), std::string(28, 'a') + "..."},
      {"30 bytes", std::string(30, 'a'), std::string(30, 'a')},
      {"the 28th byte begins a character", std::string(27, 'a') + "甘蔗收购",
       std::string(27, 'a') + "..."},
  };
  for (const Case& c : cases) {
    TestDoc doc(kNumbers);
    doc.m_kind.sName = c.kind;
    doc.SetTitle("anything");
    EXPECT_EQ(doc.GetTitle(), c.title) << c.name;
  }
}

TEST_F(DocTest, ClosingAsksToSave) {
  struct Case {
    const char* name;
    int answer;
    bool saveWorks;
    bool closes;
    int saves;
  } const cases[] = {
      {"yes saves and closes", SM_IDYES, true, true, 1},
      {"yes with a failing save stays", SM_IDYES, false, false, 1},
      {"no closes without saving", SM_IDNO, true, true, 0},
      {"cancel stays", SM_IDCANCEL, true, false, 0},
  };
  for (const Case& c : cases) {
    SmResetMessages();
    TestDoc doc(kNumbers);
    doc.m_saveWorks = c.saveWorks;
    doc.SetModifiedFlag(true);
    CSmMessageService::Instance().QueueAnswer(c.answer);
    EXPECT_EQ(doc.SaveModified(), c.closes) << c.name;
    EXPECT_EQ(Shown(), std::vector<std::string>{"当前文档已发生了变化，存盘吗？"}) << c.name;
    EXPECT_EQ(doc.m_saves, c.saves) << c.name;
    EXPECT_EQ(doc.IsModified(), !c.closes) << c.name;
  }
  SmResetMessages();
  TestDoc readOnly(kNumbers);
  readOnly.m_readOnlyDoc = true;
  EXPECT_TRUE(readOnly.SaveModified());
  EXPECT_TRUE(Shown().empty());
}

TEST_F(DocTest, CommandsFollowReadOnlyAndHeaderRows) {
  TestDoc doc(kNumbers);
  doc.Open();
  auto enabled = [&](int id) {
    CSmCmdUI ui(id);
    EXPECT_TRUE(doc.OnUpdateCommand(id, ui));
    return ui.Enabled();
  };
  EXPECT_TRUE(enabled(SM_ID_FILE_SAVE));
  EXPECT_TRUE(enabled(SM_ID_DOC_PROPERTIES));
  doc.m_readOnlyDoc = true;
  doc.m_formDef.nTopNum = 0;
  for (int id : std::vector<int>{SM_ID_FILE_SAVE, SM_ID_FILE_SAVE_AS, SM_ID_DOC_LOAD_TEXT,
                                 SM_ID_DOC_PROPERTIES})
    EXPECT_FALSE(enabled(id)) << id;
}

TEST_F(DocTest, CellsByRegion) {
  TestDoc doc({{101, 2, "千元/NUMBER/RIGHT/010/-3"}});
  doc.m_notes.resize(4);
  doc.m_notes[0].Set(0, 1, 1210, 1, 1, "单位", "");
  doc.m_notes[1].Set(0, 1, 840, 1, 0, "日期", "#日期");  // not the document's: not editable
  doc.m_notes[2].Set(0, 1, 650, 1, 1, "班次", "");
  doc.m_notes[3].Set(1, 0, 300, 0, 1, "制表", "");
  doc.Open();
  ASSERT_EQ(doc.m_noteRows[0].size(), 2u);  // head rows 0 and 1
  EXPECT_TRUE(doc.m_noteRows[0][0].notes.empty());
  EXPECT_EQ(doc.m_noteRows[0][1].flags, "00");
  doc.SetCell(1, 1, "HEAD", "早班");
  doc.SetCell(0, 0, "TAIL", "张三");
  doc.SetCell(0, 0, "TEXT", "12");
  std::string text, type;
  int width = -1, decimals = -1;
  doc.GetCell(1, 1, "HEAD", text, type, width, decimals);
  EXPECT_EQ(text, "早班");
  EXPECT_EQ(type, "STRING");
  EXPECT_EQ(width, 6);
  EXPECT_EQ(decimals, 0);
  doc.GetCell(0, 0, "TAIL", text, type, width, decimals);
  EXPECT_EQ(text, "张三");
  EXPECT_EQ(width, 3);
  doc.GetCell(0, 0, "TEXT", text, type, width, decimals);
  EXPECT_EQ(text, "12");
  EXPECT_EQ(type, "NUMBER");
  EXPECT_EQ(width, 10);
  EXPECT_EQ(decimals, 2);
  doc.GetCell(5, 0, "HEAD", text, type, width, decimals);  // no such note row
  EXPECT_EQ(text, "");
}

TEST_F(DocTest, AnchorAndHints) {
  TestDoc doc(
      {{101, 0, "号/STRING/LEFT"}, {102, 0, "名/STRING/LEFT"}, kNumbers[2], {104, 0, "注/STRING"}});
  doc.Open();
  doc.m_shownWidths = {4, 12, 10, 30};
  EXPECT_EQ(doc.FindAnchorColumn(), 1);
  EXPECT_EQ(doc.ComposeHint("甲", "　乙"), "　　甲<br>　乙");
  EXPECT_EQ(doc.ComposeHint("", "乙"), "　　乙");
  int position = 0;
  std::vector<int> codes;
  EXPECT_FALSE(doc.PickColumns(doc.m_formDef, position, codes, {1, 3}));
  EXPECT_EQ(codes, (std::vector<int>{1, 3}));
  EXPECT_EQ(position, 0);
  EXPECT_TRUE(doc.PickColumns(doc.m_formDef, position, codes, {3, 2}));
  EXPECT_EQ(position, 1);
}

}  // namespace
