// The report window: geometry by zoom, scrolling by whole cells, painting checked on grabs of
// the view, the current cell with its caret, the area selection, F1's keyword, and the frame
// with its bars and splitter panes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStatusBar>
#include <QWheelEvent>

#include <array>
#include <functional>
#include <optional>

#include "app/SmApp.h"
#include "core/SmClipboard.h"
#include "designer/BbDataType.h"
#include "designer/RiloCalcDlg.h"
#include "designer/RiloChildFrm.h"
#include "designer/RiloDoc.h"
#include "designer/RiloView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"
#include "tests/designer/rilo_focus.h"
#include "tests/designer/rilo_view_fixture.h"

namespace {

// ---------------------------------------------------------------- geometry

TEST_F(RiloViewTest, ExtentsAreTruncatedPerColumnAtEveryZoom) {
  CRiloData sheet = Sheet(4, 2);
  sheet.m_colWidths = {200, 33, 33, 33};
  sheet.m_rowHeights = {70, 45};
  Open(sheet);
  struct Case {
    int zoom, rowHeader, columnHeader, font, column0, column1, farX, row1;
  };
  const Case cases[] = {
      {100, 30, 20, 16, 75, 12, 30 + 75 + 3 * 12, 17},  // 75.8 and 12.5 truncated
      {50, 15, 10, 6, 37, 6, 15 + 37 + 3 * 6, 8},
      {200, 60, 40, 36, 151, 25, 60 + 151 + 3 * 25, 34},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    m_doc->m_sheet.m_screenFactor = c.zoom;
    EXPECT_EQ(m_view->RowHeaderWidth(), c.rowHeader);
    EXPECT_EQ(m_view->ColumnHeaderHeight(), c.columnHeader);
    EXPECT_EQ(m_view->HeaderFontHeight(), c.font);
    EXPECT_EQ(m_view->ColumnExtent(0), c.column0);
    EXPECT_EQ(m_view->ColumnExtent(1), c.column1);
    EXPECT_EQ(m_view->RowExtent(1), c.row1);
    EXPECT_EQ(m_view->CellOrigin(4, 0).x(), c.farX);
  }
}

TEST_F(RiloViewTest, HeadersOnlyInTheFirstRowAndColumnOfPanes) {
  Open(Sheet(3, 3));
  CRiloSplitter* splitter = m_childFrame->Splitter();
  EXPECT_EQ(m_doc->Views().size(), 4u);
  const CRiloView* right = splitter->Pane(0, 1);
  const CRiloView* below = splitter->Pane(1, 0);
  EXPECT_EQ(right->RowHeaderWidth(), 0);
  EXPECT_EQ(right->ColumnHeaderHeight(), 20);
  EXPECT_EQ(below->RowHeaderWidth(), 30);
  EXPECT_EQ(below->ColumnHeaderHeight(), 0);
  EXPECT_EQ(splitter->Pane(1, 1)->CellOrigin(0, 0), QPoint(0, 0));
}

// ---------------------------------------------------------------- scrolling

TEST_F(RiloViewTest, ScrollingWithoutRowsOrColumnsDoesNothing) {
  for (const auto& [cols, rows] : {std::pair{0, 5}, std::pair{5, 0}}) {
    Open(Sheet(cols, rows));
    for (int code : {SM_SB_LINEDOWN, SM_SB_PAGEDOWN, SM_SB_BOTTOM, SM_SB_THUMBTRACK}) {
      m_view->OnHScroll(code, 500);
      m_view->OnVScroll(code, 500);
    }
    QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_view, &wheel);
    EXPECT_EQ(m_view->FirstColumn(), 0);
    EXPECT_EQ(m_view->FirstRow(), 0);
    ReportTemplate()->CloseAllDocuments();
  }
}

TEST_F(RiloViewTest, LinesAndPagesMoveByWholeCells) {
  CRiloData sheet = Sheet(12, 40);
  sheet.m_colWidths = {200, 900, 100, 100, 1500, 300, 300, 300, 300, 300, 300, 300};
  Open(sheet);
  // Line right and line down stop at the last column and row.
  m_view->OnHScroll(SM_SB_BOTTOM);
  m_view->OnVScroll(SM_SB_BOTTOM);
  m_view->OnHScroll(SM_SB_LINEDOWN);
  m_view->OnVScroll(SM_SB_LINEDOWN);
  EXPECT_EQ(m_view->FirstColumn(), 11);
  EXPECT_EQ(m_view->FirstRow(), 39);
  // Page right moves at least one column from any column but the last.
  for (int from = 0; from < 11; ++from) {
    m_view->OnHScroll(SM_SB_TOP);
    for (int i = 0; i < from; ++i) m_view->OnHScroll(SM_SB_LINEDOWN);
    m_view->OnHScroll(SM_SB_PAGEDOWN);
    EXPECT_GT(m_view->FirstColumn(), from) << from;
  }
  // Page left steps back over the columns that fit into the pane less its row header.
  const int room = m_view->ClientRect().width() - m_view->RowHeaderWidth();
  m_view->OnHScroll(SM_SB_BOTTOM);
  m_view->OnHScroll(SM_SB_PAGEUP);
  int back = 0;
  for (int c = 10; c >= m_view->FirstColumn(); --c) back += m_view->ColumnExtent(c);
  EXPECT_LE(back, room);
  EXPECT_GT(back + m_view->ColumnExtent(m_view->FirstColumn() - 1), room);
  // A thumb dragged anywhere stops on a whole column.
  for (int thumb : {1, 80, 400, 700}) {
    m_view->OnHScroll(SM_SB_THUMBTRACK, thumb);
    const int first = m_view->FirstColumn();
    EXPECT_EQ(m_view->ScrollPosition().x(), m_view->CellOrigin(first, 0).x() - 30);
    EXPECT_GT(m_view->CellOrigin(first + 1, 0).x() - 30, thumb);
  }
}

TEST_F(RiloViewTest, OneWheelNotchMovesOneRowAndTheHeadersStay) {
  Open(Sheet(12, 40));
  const auto wheel = [this](int delta) {
    QWheelEvent event(QPointF(50, 50), QPointF(50, 50), {}, QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_view, &event);
    EXPECT_TRUE(event.isAccepted());
  };
  wheel(-120);
  wheel(0);
  EXPECT_EQ(m_view->FirstRow(), 2);
  wheel(120);
  EXPECT_EQ(m_view->FirstRow(), 1);
  m_view->OnHScroll(SM_SB_LINEDOWN);
  const QImage image = Grab();
  const QRgb face = m_view->palette().color(QPalette::Button).rgb();
  EXPECT_EQ(image.pixel(100, 10), face);  // column header still at the top
  EXPECT_EQ(image.pixel(10, 100), face);  // row header still at the left
  EXPECT_EQ(m_view->CellRect(1, 1).topLeft() - m_view->ScrollPosition(), QPoint(30, 20));
}

// ---------------------------------------------------------------- painting

TEST_F(RiloViewTest, ThickLeftLineMovesTheTextOnePixelRight) {
  CRiloData sheet = Sheet(3, 3);
  sheet.m_texts[0] = "III";
  sheet.m_texts[1] = "III";
  sheet.m_lineColors.assign(sheet.m_lineColors.size(), {kRed, kRed});
  sheet.m_lineStyles[1] = {2, 1};  // left line of B1 thick
  Open(sheet);
  m_doc->m_sheet.m_currentCell = {2, 2};
  m_view->OnHScroll(SM_SB_TOP);
  const QImage image = Grab();
  const int thin = TextStart(image, 0, 0) - Pane(m_view->CellOrigin(0, 0)).x();
  const int thick = TextStart(image, 1, 0) - Pane(m_view->CellOrigin(1, 0)).x();
  EXPECT_EQ(thick, thin + 1);
  // The thick line covers the border pixel and the two left of it.
  const QPoint border = Pane(m_view->CellOrigin(1, 0)) + QPoint(0, 10);
  EXPECT_EQ(image.pixel(border), Rgb(kRed));
  EXPECT_EQ(image.pixel(border - QPoint(2, 0)), Rgb(kRed));
  EXPECT_NE(image.pixel(border + QPoint(1, 0)), Rgb(kRed));
}

TEST_F(RiloViewTest, RightAlignedTextWiderThanItsCellStartsAtTheLeftEdge) {
  CRiloData sheet = Sheet(3, 3);
  sheet.m_colWidths = {120, 120, 200};
  sheet.m_texts[0] = "MMMMMMMMMM";
  sheet.m_texts[1] = "MMMMMMMMMM";
  sheet.m_layout3[1] = {1, 0};  // right
  Open(sheet);
  const QImage image = Grab();
  const int left = TextStart(image, 0, 0) - Pane(m_view->CellOrigin(0, 0)).x();
  const int right = TextStart(image, 1, 0) - Pane(m_view->CellOrigin(1, 0)).x();
  EXPECT_EQ(right, left);
  // Clipped 5 pixels inside the cell: nothing spills into the next one.
  const QRect cell = m_view->CellRect(1, 0).translated(-m_view->ScrollPosition());
  for (int y = cell.top() + 1; y < cell.bottom(); ++y) {
    EXPECT_EQ(FirstX(image, qRgb(0, 0, 0), cell.right() - 4, cell.right() + 1, y), -1) << y;
  }
}

TEST_F(RiloViewTest, BlocksShowOneTextAcrossColumnsAndOneLinePerRow) {
  CRiloData sheet = Sheet(4, 5);
  // A1:C1 one block centred across its columns.
  for (int c = 0; c < 3; ++c) {
    sheet.m_layout3[static_cast<size_t>(c)] = {6, 0};
    sheet.m_layout4[static_cast<size_t>(c)] = {0, 0};
    sheet.m_layout5[static_cast<size_t>(c)] = {2, 0};
  }
  sheet.m_texts[0] = "合计金额";
  // A2:A4 one block across three rows.
  for (int r = 1; r <= 3; ++r) {
    const size_t cell = static_cast<size_t>(r * 4);
    sheet.m_layout3[cell] = {0, 4};
    sheet.m_layout4[cell] = {0, 1};
    sheet.m_layout5[cell] = {0, 3};
    sheet.m_texts[cell] = "行" + std::to_string(r);
  }
  Open(sheet);
  const QImage image = Grab();
  const QRect a1 = m_view->CellRect(0, 0).translated(-m_view->ScrollPosition());
  const QRect b1 = m_view->CellRect(1, 0).translated(-m_view->ScrollPosition());
  // The text stands in the middle column, and no line parts the block.
  EXPECT_EQ(TextStart(image, 0, 0), -1);
  EXPECT_GE(TextStart(image, 1, 0), b1.left());
  EXPECT_NE(image.pixel(b1.left(), b1.top() + 2), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(a1.left(), a1.top() + 2), qRgb(0, 0, 0));
  // Three bands of text down the three-row block, one per row, with no line between rows.
  const QRect block =
      m_view->CellRect(0, 1).united(m_view->CellRect(0, 3)).translated(-m_view->ScrollPosition());
  int bands = 0;
  bool inText = false;
  for (int y = block.top() + 2; y < block.bottom() - 1; ++y) {
    const bool text = FirstX(image, qRgb(0, 0, 0), block.left() + 3, block.right() - 3, y) >= 0;
    if (text && !inText) ++bands;
    inText = text;
  }
  image.save("/tmp/issue63_blocks.png");
  EXPECT_EQ(bands, 3);
  const QRect a3 = m_view->CellRect(0, 2).translated(-m_view->ScrollPosition());
  EXPECT_NE(image.pixel(a3.right() - 2, a3.top()), qRgb(0, 0, 0));
}

TEST_F(RiloViewTest, SelectedCellsAndHeadersShowInComplementaryColours) {
  CRiloData sheet = Sheet(3, 4);
  sheet.m_backColors[1] = kRed;  // B1 red, its partner teal
  Open(sheet);
  const QImage before = Grab();
  m_doc->m_sheet.m_selectMode = 2;
  m_doc->m_sheet.m_selectRect = {1, 0, 1, 3};  // the whole column B
  const QImage after = Grab();
  const QPoint b1 = Pane(m_view->CellOrigin(1, 0)) + QPoint(10, 10);
  const QPoint b2 = Pane(m_view->CellOrigin(1, 1)) + QPoint(10, 10);
  const QPoint a2 = Pane(m_view->CellOrigin(0, 1)) + QPoint(10, 10);
  EXPECT_EQ(before.pixel(b1), Rgb(kRed));
  EXPECT_EQ(after.pixel(b1), qRgb(0, 128, 128));
  EXPECT_EQ(after.pixel(b2), qRgb(0, 0, 0));  // white's partner
  EXPECT_EQ(after.pixel(a2), qRgb(255, 255, 255));
  const QPoint headerB =
      Pane(m_view->CellOrigin(1, 0)) + QPoint(4, -m_view->ColumnHeaderHeight() + 4);
  const QPoint headerA =
      Pane(m_view->CellOrigin(0, 0)) + QPoint(4, -m_view->ColumnHeaderHeight() + 4);
  EXPECT_NE(after.pixel(headerB), before.pixel(headerB));
  EXPECT_EQ(after.pixel(headerA), before.pixel(headerA));
}

TEST_F(RiloViewTest, HeadersAreSelectedOnlyByAreasSpanningTheSheet) {
  Open(Sheet(3, 4));
  CRiloData& s = m_doc->m_sheet;
  struct Case {
    std::vector<SmIntRect> areas;
    SmIntRect dragged;
    bool corner, columnB, row2, cellB2;
  };
  const Case cases[] = {
      {{}, {0, 0, 2, 3}, true, true, true, true},
      {{}, {2, 3, 0, 0}, true, true, true, true},  // corners in any order
      {{}, {1, 0, 1, 3}, false, true, false, true},
      {{}, {0, 1, 2, 1}, false, false, true, true},
      {{{0, 0, 1, 3}}, {2, 0, 2, 3}, false, true, false, true},  // two areas cover it together
      {{}, {0, 0, 0, 0}, false, false, false, false},
  };
  for (const Case& c : cases) {
    s.m_selectMode = 2;
    s.m_areas = c.areas;
    s.m_selectRect = c.dragged;
    EXPECT_EQ(m_doc->IsCellSelected(-1, -1), c.corner);
    EXPECT_EQ(m_doc->IsCellSelected(1, -1), c.columnB);
    EXPECT_EQ(m_doc->IsCellSelected(-1, 1), c.row2);
    EXPECT_EQ(m_doc->IsCellSelected(1, 1), c.cellB2);
    s.m_selectMode = 0;
    EXPECT_FALSE(m_doc->IsCellSelected(1, 1));
  }
}

// ---------------------------------------------------------------- current cell and caret

TEST_F(RiloViewTest, ReadOnlyReportsNeverShowACaret) {
  Open(Sheet(3, 3), true);
  QFocusEvent in(QEvent::FocusIn);
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(m_view, &in);
  m_view->SetCurrentCell(1, 1);
  EXPECT_FALSE(m_view->IsCaretShown());
  QApplication::sendEvent(m_view, &out);
  QApplication::sendEvent(m_view, &in);
  Grab();
  EXPECT_FALSE(m_view->IsCaretShown());
  EXPECT_EQ(m_doc->m_sheet.m_currentCell, (SmIntPair{1, 1}));

  ReportTemplate()->CloseAllDocuments();
  Open(Sheet(3, 3));
  QApplication::sendEvent(m_view, &in);
  m_view->SetCurrentCell(1, 1);
  EXPECT_TRUE(m_view->IsCaretShown());
  QApplication::sendEvent(m_view, &out);
  EXPECT_FALSE(m_view->IsCaretShown());
}

TEST_F(RiloViewTest, LongTextsScrollInsideTheCellToKeepTheCaretInSight) {
  CRiloData sheet = Sheet(3, 3);
  sheet.m_texts[4] = "甘蔗收购结算单位合计金额一二三四五六七八九十";
  Open(sheet);
  const int length = 44;
  m_doc->m_sheet.m_caret = {length, 0};
  m_view->SetCurrentCell(1, 1);
  const QRect cell = m_view->CellRect(1, 1).translated(-m_view->ScrollPosition());
  EXPECT_GT(m_doc->m_sheet.m_caret.second, 0);
  EXPECT_EQ(m_doc->m_sheet.m_caret.second % 2, 0);  // never half a character
  EXPECT_TRUE(cell.contains(m_view->CaretRect().topLeft())) << m_view->CaretRect().x();
  m_doc->m_sheet.m_caret.first = 0;
  m_view->SetCurrentCell(1, 1);
  EXPECT_EQ(m_doc->m_sheet.m_caret.second, 0);
  EXPECT_EQ(m_view->CaretRect().x(), cell.x() + 3);
}

TEST_F(RiloViewTest, ClicksPutTheCaretBeforeTheCharacterUnderTheMouse) {
  CRiloData sheet = Sheet(3, 3);
  sheet.m_colWidths[1] = 500;
  sheet.m_texts[4] = "abcdef";
  Open(sheet);
  m_view->SetCurrentCell(1, 1);
  // Measure "ab" as the view draws it.
  m_doc->m_sheet.m_caret = {2, 0};
  m_view->SetCurrentCell(1, 1);
  const int caretAtC = m_view->CaretRect().x();
  const QPoint onC(caretAtC + 2, m_view->CaretRect().center().y());
  m_doc->m_sheet.m_caret = {0, 0};
  Click(Qt::NoModifier, onC);
  EXPECT_EQ(m_doc->m_sheet.m_caret.first, 2);
  EXPECT_EQ(m_doc->m_sheet.m_textSelect, (SmIntPair{2, 2}));
  // A click on another cell makes it current.
  const QPoint a3 = Pane(m_view->CellOrigin(0, 2)) + QPoint(5, 5);
  Click(Qt::NoModifier, a3);
  EXPECT_EQ(m_doc->m_sheet.m_currentCell, (SmIntPair{0, 2}));
}

TEST_F(RiloViewTest, CtrlPressKeepsTheAreasAndAPlainPressClearsThem) {
  Open(Sheet(4, 4));
  CRiloData& s = m_doc->m_sheet;
  s.m_selectMode = 2;
  s.m_selectRect = {2, 2, 0, 0};
  const QPoint d4 = Pane(m_view->CellOrigin(3, 3)) + QPoint(5, 5);
  Click(Qt::ControlModifier, d4);
  ASSERT_EQ(s.m_areas.size(), 1u);
  EXPECT_EQ(s.m_areas[0], (SmIntRect{0, 0, 2, 2}));
  EXPECT_TRUE(m_doc->IsCellSelected(1, 1));
  EXPECT_TRUE(m_doc->IsCellSelected(3, 3));
  EXPECT_FALSE(m_doc->IsCellSelected(3, 2));
  // Shift leaves the areas alone.
  EXPECT_FALSE(m_doc->AddAreaOnCtrl(1, 1, true, false));
  EXPECT_EQ(s.m_areas.size(), 1u);
  Click(Qt::NoModifier, d4);
  EXPECT_TRUE(s.m_areas.empty());
  EXPECT_FALSE(m_doc->IsCellSelected(1, 1));
  EXPECT_EQ(s.m_currentCell, (SmIntPair{3, 3}));
}

TEST_F(RiloViewTest, ClampKeepsTheDraggedCornersInTheSheet) {
  Open(Sheet(4, 3));
  m_doc->m_sheet.m_selectRect = {-1, 5, 9, -3};
  m_doc->ClampCurrentCell();
  EXPECT_EQ(m_doc->m_sheet.m_selectRect, (SmIntRect{0, 2, 3, 0}));
}

TEST_F(RiloViewTest, HelpAsksForTheWordAtTheCaret) {
  struct Case {
    const char* text;
    int caret;
    int mode;
    std::optional<std::string> word;
  };
  const Case cases[] = {
      {"sum(A1:B2)", 1, 0, "sum"},     {"sum(A1:B2)", 3, 0, "sum"},
      {"a1+avg(B1:B3)", 5, 0, "avg"},  {"#ym+1", 2, 0, "#"},
      {"100+#rate", 8, 0, "#"},        {"12345", 2, 0, std::nullopt},
      {"sum(A1)", 1, 2, std::nullopt},  // cells selected
  };
  Open(Sheet(2, 2));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    m_doc->m_sheet.m_texts[0] = c.text;
    m_doc->m_sheet.m_currentCell = {0, 0};
    m_doc->m_sheet.m_caret = {c.caret, 0};
    m_doc->m_sheet.m_selectMode = c.mode;
    EXPECT_EQ(m_view->HelpKeyword(), c.word);
  }
  // Without rows or columns the help finder opens; the program has no help file.
  m_doc->m_sheet = Sheet(0, 0);
  EXPECT_EQ(m_view->HelpKeyword(), std::nullopt);
  EXPECT_TRUE(m_view->OnCommand(SM_ID_HELP));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "本系统没有帮助文件。");
}

// The rows (relative to the cell's top) holding the cell's black ink, leaving out the caret's
// columns; none for a cell without ink.
std::optional<std::pair<int, int>> InkRows(const QImage& image, const QRect& cell,
                                           const QRect& caret) {
  std::optional<std::pair<int, int>> rows;
  for (int y = cell.top() + 3; y < cell.bottom() - 2; ++y) {
    for (int x = cell.left() + 3; x < cell.right() - 2; ++x) {
      if (x >= caret.left() - 1 && x <= caret.right() + 1) continue;
      if (image.pixel(x, y) != qRgb(0, 0, 0)) continue;
      const int row = y - cell.top();
      rows = rows ? std::pair{rows->first, row} : std::pair{row, row};
      break;
    }
  }
  return rows;
}

// The current cell's text stands on the line the same text has in a cell that is not current,
// for every vertical alignment; a current cell whose edited layer is empty (a child table value
// where the master text stands) shows the cell's text instead of an empty box.
TEST_F(RiloViewTest, TheCurrentCellShowsItsTextOnTheBaselineOfTheOthers) {
  CRiloData sheet = Sheet(3, 2);
  sheet.m_rowHeights = {110, 110};  // room for the alignments to differ
  sheet.m_texts = {"Hello", "Hello", "", "Hello\x01\x01\x01", "Hello\x01\x01\x01", ""};
  Open(sheet);
  const auto cellOf = [this](int column, int row) {
    return m_view->CellRect(column, row).translated(-m_view->ScrollPosition());
  };
  for (int vertical : {0, 1, 2}) {
    SCOPED_TRACE(vertical);
    m_doc->m_sheet.m_layout3.assign(6, {0, vertical});
    m_doc->m_editMode = 0;
    m_doc->m_sheet.m_caret = {5, 0};
    m_view->SetCurrentCell(0, 0);
    QImage image = Grab();
    const auto shown = InkRows(image, cellOf(1, 0), {});
    ASSERT_TRUE(shown);
    EXPECT_EQ(InkRows(image, cellOf(0, 0), m_view->CaretRect()), shown);

    // A child table is open: the master text cannot take a child value, and stays in sight.
    m_doc->m_childOpen = 1;
    m_doc->m_editMode = 3;
    m_view->SetCurrentCell(0, 1);
    image = Grab();
    EXPECT_EQ(InkRows(image, cellOf(0, 1), m_view->CaretRect()), shown);
    EXPECT_EQ(InkRows(image, cellOf(1, 1), {}), shown);
    m_doc->m_childOpen = 0;
  }
}

// ---------------------------------------------------------------- the frame

TEST_F(RiloViewTest, FrameCarriesItsBarsAndFillsTheListsOnce) {
  Open(Sheet(3, 3));
  CRiloFormatBar* bar = m_childFrame->FormatBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->objectName(), QString::number(SM_ID_RILO_FORMAT_BAR));
  const int faces = bar->FaceCombo()->count();
  EXPECT_GT(faces, 0);
  EXPECT_EQ(bar->SizeCombo()->count(), 16);
  EXPECT_EQ(bar->SizeCombo()->itemText(0), "8");
  EXPECT_EQ(bar->SizeCombo()->itemText(15), "72");
  ASSERT_EQ(bar->ZoomCombo()->count(), 8);
  EXPECT_EQ(bar->ZoomCombo()->itemText(0), " 25%");
  EXPECT_EQ(bar->ZoomCombo()->itemText(4), "125%");
  EXPECT_EQ(bar->ZoomCombo()->currentText(), "100%");
  EXPECT_EQ(bar->SizeCombo()->currentText(), "12");
  EXPECT_EQ(bar->FaceCombo()->currentText(), "宋体");
  bar->ZoomCombo()->setCurrentIndex(4);
  m_childFrame->Splitter()->Pane(0, 1)->OnInitialUpdate();
  EXPECT_EQ(bar->FaceCombo()->count(), faces);
  EXPECT_EQ(bar->SizeCombo()->count(), 16);
  EXPECT_EQ(bar->ZoomCombo()->count(), 8);
  EXPECT_EQ(bar->ZoomCombo()->currentIndex(), 4);  // the choice stays
  // Buttons by position: bold, italic and underline after the two lists.
  std::vector<int> ids;
  for (QAction* action : bar->actions()) ids.push_back(CSmCommandManager::CommandId(action));
  ASSERT_GE(ids.size(), 28u);
  EXPECT_EQ(ids[4], SM_ID_RILO_BOLD);
  EXPECT_EQ(ids[5], SM_ID_RILO_ITALIC);
  EXPECT_EQ(ids[19], SM_ID_RILO_VERTICAL_CENTER);
  EXPECT_EQ(ids[25], SM_ID_RILO_LINES_FIRST + 2);
  EXPECT_EQ(SmCommandAction(SM_ID_RILO_BOLD)->toolTip(), "字体加粗");
  // Five status panes, the last two for the lock keys.
  QStatusBar* status = m_childFrame->StatusBar();
  EXPECT_EQ(status->findChildren<QLabel*>(QRegularExpression("^pane")).size(), 5);
  EXPECT_EQ(status->findChild<QLabel*>("pane3")->text(), "大写");
  EXPECT_EQ(status->findChild<QLabel*>("pane4")->text(), "数字");
}

TEST_F(RiloViewTest, DialogBarCommandHidesAndShowsTheFormatBarWithItsCheck) {
  Open(Sheet(3, 3));
  CRiloFormatBar* bar = m_childFrame->FormatBar();
  const auto checked = [this] {
    CSmCmdUI ui(SM_ID_RILO_FORMAT_BAR);
    EXPECT_TRUE(m_childFrame->OnUpdateCommand(SM_ID_RILO_FORMAT_BAR, ui));
    return ui.Check().value_or(-1);
  };
  EXPECT_EQ(checked(), 1);
  EXPECT_TRUE(m_childFrame->OnCommand(SM_ID_RILO_FORMAT_BAR));
  EXPECT_TRUE(bar->isHidden());
  EXPECT_EQ(checked(), 0);
  EXPECT_TRUE(m_childFrame->OnCommand(SM_ID_RILO_FORMAT_BAR));
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(checked(), 1);
  // The report menus stand in the main frame's menu bar, "对话栏(&D)" under View.
  QMenuBar bar2;
  m_childFrame->OnUpdateFrameMenu(&bar2);
  const QList<QAction*> menus = bar2.actions();
  ASSERT_EQ(menus.size(), 7);
  EXPECT_EQ(menus[3]->text(), "格式(&O)");
  EXPECT_TRUE(menus[2]->menu()->actions().contains(SmCommandAction(SM_ID_RILO_FORMAT_BAR)));
}

}  // namespace

// ---------------------------------------------------------------- keyboard, undo, clipboard

class RiloKeysTest : public RiloViewTest {
 protected:
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent event(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(m_view, &event);
  }
  void Type(const QString& text) {
    for (QChar c : text) Key(0, Qt::NoModifier, QString(c));
  }
  std::string Cell(int column, int row) const {
    return m_doc->m_sheet.m_texts.at(static_cast<size_t>(column + row * m_doc->m_sheet.m_cols));
  }
  SmIntPair Current() const { return m_doc->m_sheet.m_currentCell; }
  void Go(int column, int row, int caret = 0) {
    m_doc->m_sheet.m_caret = {caret, 0};
    m_view->SetCurrentCell(column, row);
  }
};

// A new report stays empty and says how to start it; the run commands say why they are greyed;
// Save shows Ctrl+S; 文件 ▸ 关闭 and Ctrl+F4 close the window as its close button does.
TEST_F(RiloKeysTest, AnEmptyReportShowsHowToStartAndClosesByMenuOrKey) {
  Open(CRiloData{});
  ASSERT_EQ(m_doc->m_sheet.m_rows, 0);
  // The hint's text is painted on the empty sheet beside the headers.
  const QImage image = Grab();
  const QRgb base = image.pixel(image.width() - 2, image.height() / 2);
  int inked = 0;
  for (int y = 0; y < image.height() / 3; ++y)
    for (int x = 0; x < image.width() / 2; ++x) inked += image.pixel(x, y) != base ? 1 : 0;
  EXPECT_GT(inked, 100);

  CSmCommandManager& commands = CSmCommandManager::Instance();
  EXPECT_FALSE(commands.Update(SM_ID_RILO_CALCULATE));
  EXPECT_EQ(SmCommandAction(SM_ID_RILO_CALCULATE)->text(), "报表计算(&R)...（表中还没有行、栏）");
  m_doc->m_sheet = Sheet(2, 2);
  EXPECT_FALSE(commands.Update(SM_ID_RILO_SUM));
  EXPECT_EQ(SmCommandAction(SM_ID_RILO_SUM)->toolTip(), "报表汇总(H)...（请先打开子表）");
  m_doc->m_childOpen = 1;
  EXPECT_TRUE(commands.Update(SM_ID_RILO_CALCULATE));
  EXPECT_EQ(SmCommandAction(SM_ID_RILO_CALCULATE)->text(), "报表计算(&R)...");
  {
    QWidget menuHolder;  // the report window's menus, as its frame loads them when activated
    SmLoadMenu(CRiloDocTemplate::kResourceId, &menuHolder);
    EXPECT_EQ(SmCommandAction(SM_ID_FILE_SAVE)->shortcut(), QKeySequence("Ctrl+S"));
  }

  // Ctrl+F4 asks to save the changed report; 取消 keeps the window, 否 closes it.
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDCANCEL);
  Key(Qt::Key_F4, Qt::ControlModifier);
  QApplication::processEvents();
  ASSERT_EQ(ReportTemplate()->Documents().size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  Key(Qt::Key_F4, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_EQ(ReportTemplate()->Documents().size(), 0u);

  Open(Sheet(2, 2));
  m_doc->m_childOpen = 1;
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  EXPECT_TRUE(SmExecuteCommand(SM_ID_FILE_CLOSE));
  QApplication::processEvents();
  EXPECT_EQ(ReportTemplate()->Documents().size(), 0u);
}

TEST_F(RiloKeysTest, TypingMakesOneStepPerRunAndUndoRedoRestoreEverything) {
  Open(Sheet(4, 4));
  Go(1, 1);
  const std::array<int, 10> flags = m_doc->m_changes;
  Type("ab");
  QInputMethodEvent commit;
  commit.setCommitString("甘蔗");  // an input method commits whole characters
  QApplication::sendEvent(m_view, &commit);
  EXPECT_EQ(Cell(1, 1), "ab甘蔗");
  EXPECT_EQ(m_doc->m_sheet.m_caret.first, 6);
  ASSERT_EQ(m_doc->m_undo.size(), 1u);
  Key(Qt::Key_Left);  // a move closes the run
  Type("x");
  EXPECT_EQ(Cell(1, 1), "ab甘x蔗");
  EXPECT_EQ(m_doc->m_undo.size(), 2u);
  EXPECT_TRUE(m_doc->IsModified());
  SmExecuteCommand(SM_ID_EDIT_UNDO);
  EXPECT_EQ(Cell(1, 1), "ab甘蔗");
  m_view->ApplyHistory(true);
  EXPECT_EQ(Cell(1, 1), "");
  EXPECT_EQ(m_doc->m_changes, flags);
  m_view->ApplyHistory(false);
  m_view->ApplyHistory(false);
  EXPECT_EQ(Cell(1, 1), "ab甘x蔗");
  EXPECT_TRUE(m_doc->m_redo.empty());
  // Backspace removes a whole Chinese character and is one step of its own.
  Go(1, 1, 4);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Cell(1, 1), "abx蔗");
  EXPECT_EQ(m_doc->m_sheet.m_caret.first, 2);
  m_view->ApplyHistory(true);
  EXPECT_EQ(Cell(1, 1), "ab甘x蔗");
}

TEST_F(RiloKeysTest, TypingOverSelectionsAndReadOnlyReports) {
  CRiloData sheet = Sheet(4, 4);
  sheet.m_texts[5] = "abcdef";
  Open(sheet);
  // Over selected cells nothing is typed and the selection goes.
  m_doc->m_sheet.m_selectMode = 2;
  m_doc->m_sheet.m_selectRect = {0, 0, 2, 2};
  Go(1, 1, 1);
  Type("Z");
  EXPECT_EQ(Cell(1, 1), "abcdef");
  EXPECT_EQ(m_doc->m_sheet.m_selectMode, 0);
  // Over a run of selected text the typing replaces it.
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(m_doc->m_sheet.m_selectMode, 1);
  Type("X");
  EXPECT_EQ(Cell(1, 1), "aXdef");
  ReportTemplate()->CloseAllDocuments();
  Open(sheet, true);
  Go(1, 1, 1);
  Type("Q");
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Cell(1, 1), "abcdef");
  EXPECT_TRUE(m_doc->m_undo.empty());
  CSmCmdUI ui(SM_ID_EDIT_PASTE);
  EXPECT_TRUE(m_view->OnUpdateCommand(SM_ID_EDIT_PASTE, ui));
  EXPECT_FALSE(ui.Enabled());
}

// A file that kept its current cell far outside the sheet froze the window at the first key.
TEST_F(RiloKeysTest, AReportFileWithItsCursorOutsideTheSheetTakesTheFirstKey) {
  CRiloData stored = Sheet(4, 4);
  stored.m_currentCell = {2000000000, 2000000000};
  stored.m_caret = {70000, 0};
  const std::string path = SmTestHome() + "/far cursor.QLN";
  ASSERT_TRUE(stored.SaveFile(path));
  CRiloData sheet;
  ASSERT_TRUE(sheet.LoadFile(path));
  Open(sheet);
  Type("x");
  EXPECT_EQ(Cell(3, 3), "x");
  EXPECT_EQ(Current(), (SmIntPair{3, 3}));
}

TEST_F(RiloKeysTest, MoveKeysSkipHiddenRowsAndColumns) {
  CRiloData sheet = Sheet(6, 6);
  sheet.m_colWidths[2] = 0;
  sheet.m_rowHeights[2] = 0;
  sheet.m_texts[1 + 1 * 6] = "ab";
  Open(sheet);
  struct Case {
    SmIntPair from;
    int caret;
    int key;
    Qt::KeyboardModifiers mods;
    SmIntPair to;
  };
  const Case cases[] = {
      {{1, 1}, 2, Qt::Key_Right, {}, {3, 1}},  // at the text's end: next visible column
      {{1, 1}, 1, Qt::Key_Right, {}, {1, 1}},  // inside the text: the caret moves
      {{3, 1}, 0, Qt::Key_Left, {}, {1, 1}},
      {{1, 1}, 0, Qt::Key_Down, {}, {1, 3}},
      {{1, 3}, 0, Qt::Key_Up, {}, {1, 1}},
      {{1, 1}, 0, Qt::Key_Tab, {}, {3, 1}},
      {{3, 3}, 0, Qt::Key_Home, Qt::ControlModifier, {0, 0}},
      {{1, 1}, 0, Qt::Key_End, Qt::ControlModifier, {5, 5}},
      {{5, 5}, 0, Qt::Key_Down, {}, {5, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from.first) + "," + std::to_string(c.from.second));
    m_doc->m_sheet.m_selectMode = 0;
    Go(c.from.first, c.from.second, c.caret);
    Key(c.key, c.mods);
    EXPECT_EQ(Current(), c.to);
  }
  // Tab with Shift moves the end of the cell selection, not the current cell.
  Go(1, 1);
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Current(), (SmIntPair{1, 1}));
  EXPECT_EQ(m_doc->m_sheet.m_selectMode, 2);
  EXPECT_EQ(m_doc->m_sheet.m_selectRect, (SmIntRect{1, 1, 3, 1}));
  EXPECT_EQ(m_childFrame->StatusBar()->findChild<QLabel*>("pane2")->text(), "B栏,2行");
}

TEST_F(RiloKeysTest, HistoryKeepsTwentyStepsAndDropsTheirSheetCopies) {
  Open(Sheet(3, 3));
  m_doc->m_undoSheets.push_back(m_doc->m_sheet);
  m_doc->RecordStep({0, 0, 0, 0, SM_RILO_STEP_STRUCTURE, "0 1 0 1"}, true, true, true);
  for (int i = 0; i < 20; ++i) {
    Go(0, 0, 0);
    Type("a");
    Key(Qt::Key_Escape);
  }
  EXPECT_EQ(m_doc->m_undo.size(), 20u);
  EXPECT_TRUE(m_doc->m_undoSheets.empty());
  int undone = 0;
  while (m_doc->ApplyStep(true)) ++undone;
  EXPECT_EQ(undone, 20);
  EXPECT_EQ(Cell(0, 0), "");
}

TEST_F(RiloKeysTest, EveryStepKindUndoesAndRedoesExactly) {
  const CRiloData base = Sheet(3, 3);
  struct Case {
    int kind;
    std::function<void(CRiloData&)> change;
    std::string undoText;  // what sets `base` back
  };
  const Case cases[] = {
      {SM_RILO_STEP_SIZES,
       [](CRiloData& s) {
         s.m_colWidths[1] = 500;
         s.m_rowHeights[2] = 90;
       },
       "0 1 200\n1 2 70\n"},
      {SM_RILO_STEP_FORMATS,
       [](CRiloData& s) {
         s.m_layout3[4] = {2, 1};
       },
       "0 4 0 0\n"},
      {SM_RILO_STEP_LINES,
       [](CRiloData& s) {
         s.m_lineStyles[5] = {2, 3};
         s.m_backColors[2] = 255;
       },
       "0 5 1 1\n2 2 16777215 0\n"},
      {SM_RILO_STEP_NUMFORMAT,
       [](CRiloData& s) {
         s.m_numberFormats[4] = {0, 4};
       },
       "1 1 2 2\n"},
      {SM_RILO_STEP_BLOCK,
       [](CRiloData& s) {
         s.m_texts[4] = "x";
         s.m_texts[5] = "y";
       },
       "\t\n"},
      {SM_RILO_STEP_CALCULATE, [](CRiloData& s) { s.m_texts[4] = "1\x01sum"; }, "\n"},
      {SM_RILO_STEP_AUDIT, [](CRiloData& s) { s.m_texts[4] = "\x01\x01ok"; }, "\n"},
      {SM_RILO_STEP_CELL, [](CRiloData& s) { s.m_texts[4] = "new"; }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Open(base);
    CRiloData after = base;
    c.change(after);
    m_doc->m_sheet = after;
    const int column = c.kind == SM_RILO_STEP_BLOCK || c.kind >= 100 || c.kind == 0 ? 1 : 0;
    m_doc->RecordStep({0, column, column, 0, c.kind, c.undoText}, false, true, true);
    const std::array<int, 10> changed = m_doc->m_changes;
    ASSERT_TRUE(m_doc->ApplyStep(true));
    EXPECT_TRUE(m_doc->m_sheet.IsFormatsEqual(base) && m_doc->m_sheet.IsSizesEqual(base) &&
                m_doc->m_sheet.IsTextsEqual(base) &&
                m_doc->m_sheet.m_numberFormats == base.m_numberFormats);
    EXPECT_EQ(m_doc->m_changes, (std::array<int, 10>{}));
    ASSERT_TRUE(m_doc->ApplyStep(false));
    EXPECT_TRUE(m_doc->m_sheet.IsFormatsEqual(after) && m_doc->m_sheet.IsSizesEqual(after) &&
                m_doc->m_sheet.IsTextsEqual(after) &&
                m_doc->m_sheet.m_numberFormats == after.m_numberFormats);
    EXPECT_EQ(m_doc->m_changes, changed);
    ReportTemplate()->CloseAllDocuments();
  }
  // Structure steps swap whole sheets and keep the list of row and column changes.
  Open(base);
  CRiloData bigger = Sheet(3, 4);
  m_doc->m_undoSheets.push_back(base);
  m_doc->m_sheet = bigger;
  m_doc->m_structureChanges.push_back({0, 3, 0, 1});
  m_doc->RecordStep({0, 0, 0, 0, SM_RILO_STEP_STRUCTURE, "0 3 0 1"}, false, true, true);
  ASSERT_TRUE(m_doc->ApplyStep(true));
  EXPECT_EQ(m_doc->m_sheet.m_rows, 3);
  EXPECT_TRUE(m_doc->m_structureChanges.empty());
  ASSERT_TRUE(m_doc->ApplyStep(false));
  EXPECT_EQ(m_doc->m_sheet.m_rows, 4);
  EXPECT_EQ(m_doc->m_structureChanges.size(), 1u);
}

TEST_F(RiloKeysTest, CopyAndPasteKeepFormatsOnlyForTheProgramsOwnCopy) {
  CRiloData sheet = Sheet(4, 4);
  sheet.m_texts[0] = "\x1bGa";
  sheet.m_texts[1] = "b";
  sheet.m_texts[4] = "c";
  sheet.m_texts[5] = "d";
  Open(sheet);
  CRiloData& s = m_doc->m_sheet;
  s.m_selectMode = 2;
  s.m_selectRect = {0, 0, 1, 1};
  ASSERT_TRUE(m_view->Copy());
  std::string clip;
  ASSERT_TRUE(GetClipboardText(clip));
  EXPECT_EQ(clip, "a\tb\nc\td\n");
  Go(2, 2);
  s.m_selectMode = 0;
  m_view->Paste();
  EXPECT_EQ(Cell(2, 2), "\x1bGa");  // the bold code came along
  EXPECT_EQ(Cell(3, 3), "d");       // only the cells that exist
  EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_BLOCK);
  // The same text from another program pastes plain; a last line without its end counts.
  SetClipboardText("a\x01z\tb\nc\td");
  Go(0, 2);
  m_view->Paste();
  EXPECT_EQ(Cell(0, 2), "az");
  EXPECT_EQ(Cell(1, 3), "d");
  // Paste over selected cells only ends the selection; copy and cut are off with extra areas.
  s.m_selectMode = 2;
  s.m_selectRect = {0, 0, 0, 0};
  m_view->Paste();
  EXPECT_EQ(s.m_selectMode, 0);
  EXPECT_EQ(Cell(0, 0), "\x1bGa");
  s.m_selectMode = 2;
  s.m_areas = {{2, 2, 2, 2}};
  for (int id : {SM_ID_EDIT_COPY, SM_ID_EDIT_CUT}) {
    CSmCmdUI ui(id);
    EXPECT_TRUE(m_view->OnUpdateCommand(id, ui));
    EXPECT_FALSE(ui.Enabled());
  }
}

TEST_F(RiloKeysTest, F6MovesBetweenOpenPanesAndCtrlEnterWaitsForNoSelection) {
  Open(Sheet(4, 4));
  CRiloSplitter* splitter = m_childFrame->Splitter();
  splitter->Row(0)->setSizes({300, 300});
  splitter->Row(1)->setSizes({300, 300});
  splitter->setSizes({400, 0});
  EXPECT_TRUE(m_childFrame->OnCommand(SM_ID_NEXT_PANE));
  EXPECT_EQ(m_childFrame->GetActiveView(), splitter->Pane(0, 1));
  EXPECT_TRUE(m_childFrame->OnCommand(SM_ID_NEXT_PANE));  // the closed second row is skipped
  EXPECT_EQ(m_childFrame->GetActiveView(), splitter->Pane(0, 0));
  EXPECT_TRUE(m_childFrame->OnCommand(SM_ID_PREV_PANE));
  EXPECT_EQ(m_childFrame->GetActiveView(), splitter->Pane(0, 1));
  CSmCmdUI ui(SM_ID_RILO_CELL_TEXT);
  EXPECT_TRUE(m_view->OnUpdateCommand(SM_ID_RILO_CELL_TEXT, ui));
  EXPECT_TRUE(ui.Enabled());
  m_doc->m_sheet.m_selectMode = 1;
  EXPECT_TRUE(m_view->OnUpdateCommand(SM_ID_RILO_CELL_TEXT, ui));
  EXPECT_FALSE(ui.Enabled());
}

// A report window that opens gives the keyboard to its sheet, not to the format bar's face
// list, and the sheet has it again when the window comes back from the calculation.
TEST_F(RiloKeysTest, TheSheetHasTheKeyboardWhenAFileOpensAndAfterACalculation) {
  CRiloData sheet = Sheet(3, 2);
  sheet.m_texts[0] = "收购";
  const std::string path = SmTestHome() + "/rilo_keyboard.QLN";
  ASSERT_TRUE(sheet.SaveFile(path));
  CSmMessageService::Instance().QueueFileNames({path}, false);
  CBbDataType::OpenReportFiles();
  ASSERT_EQ(ReportTemplate()->Documents().size(), 1u);
  auto* opened = static_cast<CRiloDoc*>(ReportTemplate()->Documents().front().get());
  ASSERT_NO_FATAL_FAILURE(ExpectKeysReachTheSheet(m_frame, *opened));

  // 报表计算 from the menu of a child table's window just opened.
  Open(sheet);
  m_doc->m_childOpen = 1;
  CModalScript script;
  script.Then(834, [](QWidget* dlg) {
    ::Click(dlg, CRiloCalcDlg::kCalcStart);  // runs to the end
    ::Click(dlg, CRiloCalcDlg::kCalcStart);  // 确认
  });
  ASSERT_TRUE(CSmCommandManager::Instance().Update(SM_ID_RILO_CALCULATE));  // the menu shows
  SmCommandAction(SM_ID_RILO_CALCULATE)->trigger();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(m_doc->m_editMode, 3);
  ExpectKeysReachTheSheet(m_frame, *m_doc);
}

// The Edit menu shows the keys of its commands as the other menus do.
TEST_F(RiloKeysTest, TheEditMenuShowsItsKeys) {
  Open(Sheet(2, 2));
  for (int id :
       {SM_ID_EDIT_UNDO, SM_ID_EDIT_REDO, SM_ID_EDIT_CUT, SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE})
    SmCommandAction(id)->setShortcut({});  // as the report window's menus find them first
  QMenuBar menuBar;
  m_childFrame->OnUpdateFrameMenu(&menuBar);
  ASSERT_GE(menuBar.actions().size(), 2);
  QMenu* edit = menuBar.actions()[1]->menu();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->title(), "编辑(&E)");
  std::vector<std::string> shown;
  for (QAction* action : edit->actions()) {
    if (action->isSeparator()) continue;
    const QString keys = action->shortcut().toString(QKeySequence::NativeText);
    shown.push_back((action->text() + (keys.isEmpty() ? "" : "\t" + keys)).toStdString());
  }
  EXPECT_EQ(shown, (std::vector<std::string>{
                       "撤消(&U)\tCtrl+Z", "恢复撤消(&R)\tCtrl+Y", "剪切(&T)\tCtrl+X",
                       "复制(&C)\tCtrl+C", "粘贴(&P)\tCtrl+V", "单元格文本编辑 ...\tCtrl+Enter",
                       "母表正文编辑状态\tF2", "子表正文编辑状态\tF3", "取数公式编辑状态\tF4",
                       "审核公式编辑状态", "逐行打印状态(&H)", "逐栏打印状态(&L)"}));
}
