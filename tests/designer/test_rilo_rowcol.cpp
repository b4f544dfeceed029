// Rows and columns inserted and deleted: the sheet's lists kept in step, spans and the current
// cell moved, the row and column dialog's checks and spins, and the command with its undo.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "designer/RiloRowColDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmModalScript.h"
#include "tests/designer/rilo_view_fixture.h"

namespace {

constexpr int kGrey = 0xC0C0C0;

size_t At(const CRiloData& s, int column, int row) {
  return static_cast<size_t>(column + row * s.m_cols);
}
size_t Point(const CRiloData& s, int column, int row) {
  return static_cast<size_t>(column + row * (s.m_cols + 1));
}

// Every list as long as the counts ask.
void ExpectListsFit(const CRiloData& s) {
  const size_t cells = static_cast<size_t>(s.m_cols * s.m_rows);
  const size_t points = static_cast<size_t>((s.m_cols + 1) * (s.m_rows + 1));
  EXPECT_EQ(s.m_rowHeights.size(), static_cast<size_t>(s.m_rows));
  EXPECT_EQ(s.m_colWidths.size(), static_cast<size_t>(s.m_cols));
  EXPECT_EQ(s.m_lineStyles.size(), points);
  EXPECT_EQ(s.m_lineColors.size(), points);
  for (size_t size : {s.m_backColors.size(), s.m_layout3.size(), s.m_layout4.size(),
                      s.m_layout5.size(), s.m_numberFormats.size(), s.m_texts.size()})
    EXPECT_EQ(size, cells);
}

// A 4 x 4 sheet whose cells read "<column><row>" and whose last row has its own formats.
CRiloData Marked() {
  CRiloData s = Sheet(4, 4);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) s.m_texts[At(s, c, r)] = std::to_string(c) + std::to_string(r);
  s.m_rowHeights[3] = 120;
  s.m_colWidths[3] = 450;
  for (int c = 0; c < 4; ++c) {
    s.m_backColors[At(s, c, 3)] = kRed;
    s.m_layout3[At(s, c, 3)] = {1, 2};
    s.m_lineStyles[Point(s, c, 3)] = {2, 3};
  }
  s.m_numberFormats[At(s, 0, 3)] = {0, 4};
  return s;
}

TEST(RiloRowColSheet, RowsAppendedBeyondTheLastCopyItsFormatsAndStartEmpty) {
  CRiloData s = Marked();
  s.InsertRows(99, 2);
  ExpectListsFit(s);
  ASSERT_EQ(s.m_rows, 6);
  for (int r = 4; r < 6; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(s.m_rowHeights[static_cast<size_t>(r)], 120);
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(s.m_backColors[At(s, c, r)], kRed);
      EXPECT_EQ(s.m_layout3[At(s, c, r)], SmIntPair(1, 2));
      EXPECT_EQ(s.m_lineStyles[Point(s, c, r)], SmIntPair(2, 3));
      EXPECT_EQ(s.m_numberFormats[At(s, c, r)], SmIntPair(2, 2));
      EXPECT_EQ(s.m_texts[At(s, c, r)], "");
    }
  }
  EXPECT_EQ(s.m_texts[At(s, 3, 3)], "33");
  EXPECT_EQ(s.m_numberFormats[At(s, 0, 3)], SmIntPair(0, 4));
  // The bottom edge of the sheet stays the bottom edge.
  EXPECT_EQ(s.m_lineStyles[Point(s, 0, 6)], SmIntPair(1, 1));
}

TEST(RiloRowColSheet, AnEmptySheetGrowsWithDefaultSizesLinesAndColours) {
  CRiloData s;
  s.InsertColumns(0, 2);
  s.InsertRows(0, 3);
  ExpectListsFit(s);
  EXPECT_EQ(s.m_rowHeights, (std::vector<int>{70, 70, 70}));
  EXPECT_EQ(s.m_colWidths, (std::vector<int>{300, 300}));
  EXPECT_EQ(s.m_lineStyles, std::vector<SmIntPair>(12, {1, 1}));
  EXPECT_EQ(s.m_lineColors, std::vector<SmIntPair>(12, {kGrey, kGrey}));
  const QColor window = QGuiApplication::palette().color(QPalette::Base);
  EXPECT_EQ(
      s.m_backColors,
      std::vector<int>(6, static_cast<int>(SmRgb(window.red(), window.green(), window.blue()))));
  EXPECT_EQ(s.m_numberFormats, std::vector<SmIntPair>(6, {2, 2}));
}

TEST(RiloRowColSheet, InsertedRowsAndColumnsMoveTextsAndKeepFormulaTexts) {
  CRiloData s = Marked();
  s.m_texts[At(s, 1, 2)] =
      "x\x01"
      "A3+B4";  // a fetch formula naming cells below
  s.InsertRows(1, 1);
  s.InsertColumns(0, 1);
  ExpectListsFit(s);
  EXPECT_EQ(s.m_texts[At(s, 2, 3)],
            "x\x01"
            "A3+B4");
  EXPECT_EQ(s.m_texts[At(s, 1, 0)], "00");
  EXPECT_EQ(s.m_texts[At(s, 1, 2)], "01");
  EXPECT_EQ(s.m_texts[At(s, 1, 1)], "");
  EXPECT_EQ(s.m_texts[At(s, 0, 0)], "");
  EXPECT_EQ(s.m_colWidths, (std::vector<int>{200, 200, 200, 200, 450}));
}

TEST(RiloRowColSheet, SpansGrowOverTheReferenceAndShrinkWithDeletedColumns) {
  // Columns B to D span, centred (code 6); rows 2 to 3 of column A span (vertical code 4).
  CRiloData base = Sheet(5, 5);
  for (int c = 1; c <= 3; ++c) {
    base.m_layout3[At(base, c, 0)] = {6, 0};
    base.m_layout4[At(base, c, 0)] = {1, 0};
    base.m_layout5[At(base, c, 0)] = {3, 0};
  }
  for (int r = 1; r <= 2; ++r) {
    base.m_layout3[At(base, 0, r)] = {0, 4};
    base.m_layout4[At(base, 0, r)] = {0, 1};
    base.m_layout5[At(base, 0, r)] = {0, 2};
  }
  CRiloData grown = base;
  grown.InsertColumns(2, 2);
  grown.InsertRows(2, 1);
  EXPECT_EQ(grown.m_layout5[At(grown, 1, 0)], SmIntPair(5, 0));
  EXPECT_EQ(grown.m_layout4[At(grown, 5, 0)], SmIntPair(1, 0));
  EXPECT_EQ(grown.m_layout3[At(grown, 3, 0)], SmIntPair(6, 0));  // a copy of column C
  EXPECT_EQ(grown.m_layout5[At(grown, 0, 3)], SmIntPair(0, 3));
  EXPECT_EQ(grown.m_layout3[At(grown, 0, 2)], SmIntPair(0, 4));

  struct Case {
    int column;
    int count;
    SmIntPair code;  // of the span's first cell, B
    int end;
  };
  const Case cases[] = {
      {3, 1, {6, 0}, 2},  // D deleted: B to C
      {2, 2, {2, 0}, 1},  // C and D: one column left, plain centred
      {0, 1, {6, 0}, 2},  // A deleted: the span moves left whole
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    CRiloData s = base;
    s.DeleteRowsColumns(c.column, 0, c.count, 0);
    ExpectListsFit(s);
    const int first = c.column == 0 ? 0 : 1;
    EXPECT_EQ(s.m_layout3[At(s, first, 0)], c.code);
    EXPECT_EQ(s.m_layout5[At(s, first, 0)].first, c.end);
    EXPECT_EQ(s.m_layout4[At(s, first, 0)].first, first);
  }
}

TEST(RiloRowColSheet, DeletedRowsMoveTheCurrentCellAndAreaWithTheirCells) {
  struct Case {
    int row;
    int count;
    int current;
    int moved;
  };
  const Case cases[] = {
      {0, 2, 3, 1},  // above: up with its row
      {1, 2, 2, 1},  // inside the block: to the block's first row
      {1, 1, 1, 1},  // the block's first row itself stays
      {2, 2, 3, 1},  // the last rows: kept in the sheet
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row * 10 + c.current);
    CRiloData s = Marked();
    s.m_currentCell = {2, c.current};
    s.m_selectRect = {0, c.current, 1, c.current};
    s.DeleteRowsColumns(0, c.row, 0, c.count);
    ExpectListsFit(s);
    EXPECT_EQ(s.m_currentCell, SmIntPair(2, c.moved));
    EXPECT_EQ(s.m_selectRect, (SmIntRect{0, c.moved, 1, c.moved}));
  }
  CRiloData s = Marked();
  s.DeleteRowsColumns(1, 1, 2, 2);
  EXPECT_EQ(s.m_texts, (std::vector<std::string>{"00", "30", "03", "33"}));
  EXPECT_EQ(s.m_rowHeights, (std::vector<int>{70, 120}));
  EXPECT_EQ(s.m_lineStyles[Point(s, 0, 1)], SmIntPair(2, 3));  // the top of the old last row
}

TEST(RiloRowColSheet, BlocksOutsideTheSheetChangeNothing) {
  const CRiloData base = Marked();
  const SmIntRect blocks[] = {{0, 0, -1, 1}, {0, 0, 0, 0}, {-1, 0, 1, 0},
                              {4, 4, 1, 1},  {3, 0, 2, 0}, {0, 2, 0, 3}};
  for (const SmIntRect& b : blocks) {
    CRiloData s = base;
    s.DeleteRowsColumns(b.left, b.top, b.right, b.bottom);
    EXPECT_TRUE(s.IsTextsEqual(base) && s.IsFormatsEqual(base) && s.IsSizesEqual(base))
        << b.left << " " << b.top << " " << b.right << " " << b.bottom;
  }
  CRiloData s = base;
  s.InsertRows(1, 0);
  s.InsertColumns(1, -2);
  EXPECT_TRUE(s.IsTextsEqual(base) && s.IsFormatsEqual(base) && s.IsSizesEqual(base));
}

// ---------------------------------------------------------------- dialog and commands

class RiloRowColTest : public RiloViewTest {
 protected:
  CRiloData& S() { return m_doc->m_sheet; }
  // Runs the command; the fields typed (start row, start column, row count, column count; null
  // keeps a field) are confirmed. False when the dialog never showed.
  bool Run(int command, std::array<const char*, 4> fields) {
    CModalScript script;
    script.Then(825, [fields](QWidget* dlg) {
      for (size_t f = 0; f < fields.size(); ++f)
        if (fields[f])
          Type(dlg, CRiloRowColDlg::kStartRowEdit + 2 * static_cast<int>(f),
               QString::fromUtf8(fields[f]));
      Press(dlg, SM_ID_OK);
      if (QApplication::activeModalWidget() == dlg) Press(dlg, SM_ID_CANCEL);
    });
    m_view->OnCommand(command);
    return script.Done();
  }
};

TEST_F(RiloRowColTest, DialogOpensOnTheCurrentCellAndSpinsStopAtTheirLimits) {
  Open(Marked());
  S().m_currentCell = {2, 1};
  for (bool insert : {true, false}) {
    CModalScript script;
    script.Then(825, [insert](QWidget* dlg) {
      EXPECT_EQ(Find<QLabel>(dlg, CRiloRowColDlg::kRowLabel)->text(),
                insert ? "行处开始增加" : "行处开始删除");
      EXPECT_EQ(Find<QLabel>(dlg, CRiloRowColDlg::kColumnLabel)->text(),
                insert ? "栏处开始增加" : "栏处开始删除");
      const std::array<QString, 4> shown{"2", "C", "0", "0"};
      for (int f = 0; f < 4; ++f)
        EXPECT_EQ(Find<QLineEdit>(dlg, CRiloRowColDlg::kStartRowEdit + 2 * f)->text(), shown[f]);
      auto* rowCol = qobject_cast<CRiloRowColDlg*>(dlg);
      EXPECT_TRUE(rowCol->Step(CRiloRowColDlg::kStartColumn, true));
      EXPECT_FALSE(rowCol->Step(CRiloRowColDlg::kStartColumn, true));  // D is the last
      EXPECT_FALSE(rowCol->Step(CRiloRowColDlg::kRowCount, false));
      Type(dlg, CRiloRowColDlg::kColumnCountEdit, "56");
      EXPECT_FALSE(rowCol->Step(CRiloRowColDlg::kColumnCount, true));  // 60 - 4
      Type(dlg, CRiloRowColDlg::kStartRowEdit, "4");
      EXPECT_FALSE(rowCol->Step(CRiloRowColDlg::kStartRow, true));
      EXPECT_EQ(Find<QLineEdit>(dlg, CRiloRowColDlg::kStartColumnEdit)->text(), "D");
      Press(dlg, SM_ID_CANCEL);
    });
    m_view->OnCommand(insert ? SM_ID_RILO_INSERT : SM_ID_RILO_DELETE);
    EXPECT_TRUE(script.Done());
  }
  EXPECT_TRUE(m_doc->m_undo.empty());
}

TEST_F(RiloRowColTest, ItsTwoButtonsHaveOneWidth) {
  Open(Marked());
  for (int command : {SM_ID_RILO_INSERT, SM_ID_RILO_DELETE}) {
    CModalScript script;
    script.Then(825, [](QWidget* dlg) {
      const QPushButton* ok = Find<QPushButton>(dlg, SM_ID_OK);
      const QPushButton* cancel = Find<QPushButton>(dlg, SM_ID_CANCEL);
      EXPECT_EQ(ok->width(), cancel->width());
      EXPECT_GE(ok->width(), std::max(ok->sizeHint().width(), cancel->sizeHint().width()));
      Press(dlg, SM_ID_CANCEL);
    });
    m_view->OnCommand(command);
    EXPECT_TRUE(script.Done());
  }
}

TEST_F(RiloRowColTest, EveryBadFieldIsNamedWithItsFocusAndChangesNothing) {
  struct Case {
    int command;
    std::array<const char*, 4> fields;
    const char* message;
    int focus;
  };
  const Case cases[] = {
      {SM_ID_RILO_INSERT,
       {"0", nullptr, nullptr, nullptr},
       "开始行不合理！",
       CRiloRowColDlg::kStartRowEdit},
      {SM_ID_RILO_DELETE,
       {"6", nullptr, nullptr, nullptr},
       "开始行不合理！",
       CRiloRowColDlg::kStartRowEdit},
      {SM_ID_RILO_INSERT,
       {nullptr, "F", nullptr, nullptr},
       "开始栏不合理！",
       CRiloRowColDlg::kStartColumnEdit},
      {SM_ID_RILO_INSERT,
       {nullptr, "", nullptr, nullptr},
       "开始栏不合理！",
       CRiloRowColDlg::kStartColumnEdit},
      {SM_ID_RILO_INSERT,
       {nullptr, nullptr, "897", nullptr},
       "企图增加的行数太多！",
       CRiloRowColDlg::kRowCountEdit},
      {SM_ID_RILO_INSERT,
       {nullptr, nullptr, nullptr, "57"},
       "企图增加的栏数太多！",
       CRiloRowColDlg::kColumnCountEdit},
      {SM_ID_RILO_DELETE,
       {"3", nullptr, "3", nullptr},
       "企图删除的行数太多！",
       CRiloRowColDlg::kRowCountEdit},
      {SM_ID_RILO_DELETE,
       {nullptr, "B", nullptr, "4"},
       "企图删除的栏数太多！",
       CRiloRowColDlg::kColumnCountEdit},
  };
  Open(Marked());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    SmResetMessages();
    S().m_currentCell = {0, 0};
    CModalScript script;
    script.Then(825, [&c](QWidget* dlg) {
      for (size_t f = 0; f < c.fields.size(); ++f)
        if (c.fields[f])
          Type(dlg, CRiloRowColDlg::kStartRowEdit + 2 * static_cast<int>(f),
               QString::fromUtf8(c.fields[f]));
      Find<QPushButton>(dlg, SM_ID_OK)->setFocus();
      Press(dlg, SM_ID_OK);
      EXPECT_EQ(QApplication::activeModalWidget(), dlg);
      EXPECT_EQ(dlg->focusWidget(), Find<QLineEdit>(dlg, c.focus));
      Press(dlg, SM_ID_CANCEL);
    });
    m_view->OnCommand(c.command);
    ASSERT_TRUE(script.Done());
    const std::vector<SmShownMessage>& shown = CSmMessageService::Instance().Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, c.message);
    EXPECT_EQ(shown[0].caption, "Vornel软件");
    EXPECT_EQ(shown[0].flags, SM_MB_OK | SM_MB_ICONWARNING);
  }
  EXPECT_TRUE(S().IsTextsEqual(Marked()));
  EXPECT_TRUE(m_doc->m_undo.empty());
}

TEST_F(RiloRowColTest, InsertAndDeleteAreOneStepThatUndoesAndRedoesTheWholeSheet) {
  Open(Marked());
  S().m_currentCell = {1, 1};
  ASSERT_TRUE(Run(SM_ID_RILO_INSERT, {nullptr, nullptr, "2", "1"}));
  EXPECT_EQ(S().m_rows, 6);
  EXPECT_EQ(S().m_cols, 5);
  EXPECT_EQ(S().m_texts[At(S(), 2, 3)], "11");
  ASSERT_EQ(m_doc->m_undo.size(), 1u);
  EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_STRUCTURE);
  EXPECT_EQ(m_doc->m_undo.back().text, "1 1 1 2 ");
  EXPECT_EQ(m_doc->m_structureChanges, (std::vector<SmIntRect>{{1, 1, 1, 2}}));
  EXPECT_TRUE(m_doc->IsModified());

  ASSERT_TRUE(Run(SM_ID_RILO_DELETE, {"1", "A", "1", "0"}));
  EXPECT_EQ(S().m_rows, 5);
  EXPECT_EQ(m_doc->m_undo.back().text, "0 0 0 -1 ");
  EXPECT_EQ(S().m_texts[At(S(), 0, 0)], "");
  EXPECT_EQ(S().m_texts[At(S(), 0, 2)], "01");

  m_view->ApplyHistory(true);
  m_view->ApplyHistory(true);
  EXPECT_TRUE(S().IsTextsEqual(Marked()) && S().IsFormatsEqual(Marked()) &&
              S().IsSizesEqual(Marked()));
  EXPECT_TRUE(m_doc->m_structureChanges.empty());
  m_view->ApplyHistory(false);
  EXPECT_EQ(S().m_rows, 6);
  EXPECT_EQ(S().m_cols, 5);

  // Counts of 0 change nothing but still record a step.
  const CRiloData before = S();
  ASSERT_TRUE(Run(SM_ID_RILO_INSERT, {nullptr, nullptr, nullptr, nullptr}));
  EXPECT_TRUE(S().IsTextsEqual(before) && S().IsFormatsEqual(before) && S().IsSizesEqual(before));
  EXPECT_EQ(m_doc->m_undo.back().text, "1 1 0 0 ");
  EXPECT_EQ(m_doc->m_undoSheets.size(), 2u);
}

TEST_F(RiloRowColTest, ANewEmptyReportGetsItsFirstRowsAndColumns) {
  Open(CRiloData());
  ASSERT_TRUE(Run(SM_ID_RILO_INSERT, {nullptr, nullptr, "3", "2"}));
  ExpectListsFit(S());
  EXPECT_EQ(S().m_rowHeights, (std::vector<int>{70, 70, 70}));
  EXPECT_EQ(S().m_colWidths, (std::vector<int>{300, 300}));
  EXPECT_EQ(S().m_lineStyles, std::vector<SmIntPair>(12, {1, 1}));
  EXPECT_EQ(S().m_lineColors, std::vector<SmIntPair>(12, {kGrey, kGrey}));
  m_view->ApplyHistory(true);
  EXPECT_EQ(S().m_rows, 0);
  EXPECT_EQ(S().m_cols, 0);
  m_view->ApplyHistory(false);
  EXPECT_EQ(S().m_rows, 3);
}

TEST_F(RiloRowColTest, InsertIsGreyedAtTheLimitsAndOnReadOnlyReports) {
  struct Case {
    int cols;
    int rows;
    bool readOnly;
    bool insert;
    bool remove;
  };
  const Case cases[] = {{0, 0, false, true, false},
                        {4, 4, false, true, true},
                        {60, 2, false, false, true},
                        {2, 900, false, false, true},
                        {4, 4, true, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cols * 1000 + c.rows);
    Open(Sheet(c.cols, c.rows), c.readOnly);
    CSmCmdUI insert(SM_ID_RILO_INSERT);
    CSmCmdUI remove(SM_ID_RILO_DELETE);
    m_view->OnUpdateCommand(SM_ID_RILO_INSERT, insert);
    m_view->OnUpdateCommand(SM_ID_RILO_DELETE, remove);
    EXPECT_EQ(insert.Enabled(), c.insert);
    EXPECT_EQ(remove.Enabled(), c.remove);
    ReportTemplate()->CloseAllDocuments();
  }
}

}  // namespace
