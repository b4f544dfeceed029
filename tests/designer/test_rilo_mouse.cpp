// The mouse in the report view with synthesized events: header clicks, drags that scroll on the
// view's timer, border drags that size rows and columns, cursors by zone and the right button's
// menu.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QTimerEvent>

#include "core/SmClipboard.h"
#include "platform/SmCommandIds.h"
#include "res/SmResource.h"
#include "tests/designer/rilo_view_fixture.h"

namespace {

constexpr int kIBeam = -1;
constexpr int kArrow = 0;

class RiloMouseTest : public RiloViewTest {
 protected:
  CRiloData& S() { return m_doc->m_sheet; }
  void Send(CRiloView* view, QEvent::Type type, QPoint at, Qt::MouseButton button,
            Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button);
    QMouseEvent event(type, at, view->mapToGlobal(at), button, held, modifiers);
    QApplication::sendEvent(view, &event);
  }
  void Press(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    Send(m_view, QEvent::MouseButtonPress, at, Qt::LeftButton, modifiers);
  }
  void Move(QPoint at, bool held = true) {
    Send(m_view, QEvent::MouseMove, at, held ? Qt::LeftButton : Qt::NoButton);
  }
  void Release(QPoint at) { Send(m_view, QEvent::MouseButtonRelease, at, Qt::LeftButton); }
  // Pane pixels inside a cell and on the borders of the headers.
  QPoint InCell(int column, int row) {
    return Pane(m_view->CellOrigin(column, row)) + QPoint(5, 5);
  }
  QPoint ColumnHeader(int column) { return Pane(m_view->CellOrigin(column, 0)) + QPoint(10, -10); }
  QPoint RowHeader(int row) { return Pane(m_view->CellOrigin(0, row)) + QPoint(-10, 10); }
  QPoint ColumnBorder(int column) {
    return QPoint(Pane(m_view->CellOrigin(column + 1, 0)).x(), 10);
  }
  QPoint RowBorder(int row) { return QPoint(10, Pane(m_view->CellOrigin(0, row + 1)).y()); }
  // One tick of the drag timer.
  void Tick() {
    QTimerEvent tick(m_view->DragTimer().timerId());
    QApplication::sendEvent(&m_view->DragTimer(), &tick);
  }
  QString StatusText() { return m_childFrame->StatusBar()->findChild<QLabel*>("pane0")->text(); }
  // The cursor resource (or I-beam, arrow) the view shows.
  bool ShowsCursor(int id) {
    const QCursor shown = m_view->cursor();
    if (id == kIBeam) return shown.shape() == Qt::IBeamCursor;
    if (id == kArrow) return shown.shape() == Qt::ArrowCursor;
    return shown.shape() == Qt::BitmapCursor &&
           shown.pixmap().toImage() == SmLoadCursor(id).pixmap().toImage();
  }
};

TEST_F(RiloMouseTest, HoldingTheButtonAboveTheGridScrollsARowEachTickAndTheEndFollows) {
  Open(Sheet(4, 40));
  for (int i = 0; i < 5; ++i) m_view->OnVScroll(SM_SB_LINEDOWN);
  ASSERT_EQ(m_view->FirstRow(), 5);
  Press(InCell(1, 7));
  EXPECT_TRUE(m_view->DragTimer().isActive());
  EXPECT_EQ(m_view->DragTimer().interval(), 100);
  Move(QPoint(100, -30));  // above the pane
  EXPECT_EQ(m_view->FirstRow(), 4);
  for (int expected : {3, 2, 1, 0, 0}) {
    Tick();
    EXPECT_EQ(m_view->FirstRow(), expected);
    EXPECT_EQ(S().m_selectRect, (SmIntRect{1, 7, 1, expected}));
  }
  EXPECT_EQ(S().m_selectMode, 2);
  Release(QPoint(100, -30));
  EXPECT_FALSE(m_view->DragTimer().isActive());
  // Below the pane the end follows the last row that shows.
  Press(InCell(2, 3));
  Move(QPoint(100, m_view->height() + 40));
  EXPECT_EQ(m_view->FirstRow(), 1);
  const int last = S().m_selectRect.bottom;
  EXPECT_GT(last, 3);
  EXPECT_TRUE(m_view->GridArea().contains(m_view->CellOrigin(2, last)));
  Release(QPoint(100, m_view->height() + 40));
}

TEST_F(RiloMouseTest, HeadersSelectWholeRowsColumnsAndTheSheet) {
  Open(Sheet(4, 5));
  Press(QPoint(5, 5));  // the corner
  Release(QPoint(5, 5));
  EXPECT_EQ(S().m_selectMode, 2);
  EXPECT_EQ(S().m_selectRect, (SmIntRect{0, 0, 3, 4}));
  EXPECT_TRUE(m_doc->IsCellSelected(-1, -1));

  struct Case {
    QPoint at;
    Qt::KeyboardModifiers modifiers;
    SmIntRect rect;
    size_t areas;
  };
  const Case cases[] = {
      {ColumnHeader(2), Qt::ShiftModifier, {0, 0, 2, 4}, 0},  // from the anchor column
      {ColumnHeader(1), Qt::NoModifier, {1, 0, 1, 4}, 0},     // one column
      {RowHeader(3), Qt::ControlModifier, {0, 3, 3, 3}, 1},   // a row joins, the column kept
      {RowHeader(1), Qt::ShiftModifier, {0, 3, 3, 1}, 1},
      {InCell(0, 0), Qt::NoModifier, {0, 0, 0, 0}, 0},  // a plain click drops them
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rect.right * 10 + c.rect.bottom);
    Press(c.at, c.modifiers);
    Release(c.at);
    EXPECT_EQ(S().m_selectRect, c.rect);
    EXPECT_EQ(S().m_areas.size(), c.areas);
  }
  EXPECT_EQ(S().m_selectMode, 0);
  // Dragging over the row headers moves the end row.
  Press(RowHeader(1));
  EXPECT_EQ(S().m_currentCell, (SmIntPair{0, 1}));
  Move(RowHeader(3));
  Release(RowHeader(3));
  EXPECT_EQ(S().m_selectRect, (SmIntRect{0, 1, 3, 3}));
  EXPECT_TRUE(m_doc->IsCellSelected(-1, 2));
}

TEST_F(RiloMouseTest, DraggingOverCellsSelectsAnAreaAndInTheCurrentCellAText) {
  CRiloData sheet = Sheet(4, 4);
  sheet.m_colWidths[1] = 500;
  sheet.m_texts[5] = "abcdef";
  Open(sheet);
  m_view->SetCurrentCell(1, 1);
  Press(InCell(0, 0));
  Move(InCell(2, 3));
  EXPECT_EQ(S().m_selectMode, 2);
  EXPECT_EQ(S().m_selectRect, (SmIntRect{0, 0, 2, 3}));
  Release(InCell(2, 3));
  EXPECT_EQ(S().m_currentCell, (SmIntPair{0, 0}));

  m_view->SetCurrentCell(1, 1);
  S().m_selectMode = 0;
  const QRect cell = m_view->CellRect(1, 1).translated(-m_view->ScrollPosition());
  const QPoint start(cell.left() + 4, cell.center().y());
  Press(start);
  Move(QPoint(cell.right() - 4, cell.center().y()));
  Release(QPoint(cell.right() - 4, cell.center().y()));
  EXPECT_EQ(S().m_selectMode, 1);
  EXPECT_EQ(S().m_textSelect, (SmIntPair{0, 6}));
  // A double click acts as one click: the caret goes under the mouse, the run is dropped.
  const QPoint onText(cell.left() + 4, cell.center().y());
  Press(onText);
  Release(onText);
  const int single = S().m_caret.first;
  Send(m_view, QEvent::MouseButtonDblClick, onText, Qt::LeftButton);
  Release(onText);
  EXPECT_EQ(S().m_caret.first, single);
  EXPECT_EQ(S().m_selectMode, 0);
  EXPECT_EQ(S().m_currentCell, (SmIntPair{1, 1}));
}

TEST_F(RiloMouseTest, ABorderDraggedPastItsColumnHidesItAndShrinksTheOneBefore) {
  Open(Sheet(4, 4));
  const int left = m_view->CellOrigin(1, 0).x();
  Press(ColumnBorder(1));
  EXPECT_EQ(StatusText(), "B 栏宽：19.8毫米");
  Move(Pane(QPoint(left - 10, 10)));
  Release(Pane(QPoint(left - 10, 10)));
  EXPECT_EQ(S().m_colWidths, (std::vector<int>{171, 0, 200, 200}));
  EXPECT_EQ(StatusText(), "");
  ASSERT_EQ(m_doc->m_undo.size(), 1u);
  EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_SIZES);

  // Out from the border of the hidden column: it shows again.
  const QPoint border = ColumnBorder(0);
  Move(border + QPoint(1, 0), false);
  EXPECT_TRUE(ShowsCursor(SM_IDC_COLUMN_WIDTH));
  Press(border + QPoint(1, 0));
  Move(border + QPoint(41, 0));
  Release(border + QPoint(41, 0));
  EXPECT_EQ(S().m_colWidths, (std::vector<int>{171, 105, 200, 200}));

  m_view->ApplyHistory(true);
  m_view->ApplyHistory(true);
  EXPECT_EQ(S().m_colWidths, (std::vector<int>{200, 200, 200, 200}));
  // A release where the border stands records nothing.
  Press(ColumnBorder(2));
  Release(ColumnBorder(2));
  EXPECT_TRUE(m_doc->m_undo.empty());
}

TEST_F(RiloMouseTest, RowBordersShowTheirHeightAndSpreadOverSelectedRows) {
  Open(Sheet(3, 5));
  S().m_selectMode = 2;
  S().m_selectRect = {0, 1, 2, 3};
  const int top = m_view->CellOrigin(0, 1).y();
  Press(RowBorder(1));
  Move(Pane(QPoint(10, top + 38)));
  EXPECT_EQ(StatusText(), "2 行高：10.0毫米");
  Release(Pane(QPoint(10, top + 38)));
  EXPECT_EQ(S().m_rowHeights, (std::vector<int>{70, 100, 100, 100, 70}));
  m_view->ApplyHistory(true);
  EXPECT_EQ(S().m_rowHeights, std::vector<int>(5, 70));
}

TEST_F(RiloMouseTest, TheTrackingLineShowsInEveryPaneSharingTheBorder) {
  Open(Sheet(6, 12));
  CRiloSplitter* splitter = m_childFrame->Splitter();
  splitter->setSizes({300, 300});
  for (int r = 0; r < 2; ++r) splitter->Row(r)->setSizes({400, 400});
  m_view = splitter->Pane(0, 0);
  struct Case {
    QPoint at;
    std::array<bool, 4> shown;  // panes (0,0), (0,1), (1,0), (1,1)
  };
  const Case cases[] = {{ColumnBorder(1), {true, false, true, false}},
                        {RowBorder(2), {true, true, false, false}}};
  for (const Case& c : cases) {
    Press(c.at);
    for (int p = 0; p < 4; ++p) {
      const CRiloView* pane = splitter->Pane(p / 2, p % 2);
      EXPECT_EQ(pane->TrackingLine().has_value(), c.shown[static_cast<size_t>(p)]) << p;
    }
    const QLine line = *m_view->TrackingLine();
    const QPoint on = line.p1() + (line.p2() - line.p1()) / 2;
    const QRgb dragged = Grab().pixel(on);
    Release(c.at);
    for (int p = 0; p < 4; ++p) EXPECT_FALSE(splitter->Pane(p / 2, p % 2)->TrackingLine());
    EXPECT_NE(Grab().pixel(on), dragged);  // the line was drawn over the pane
  }
}

TEST_F(RiloMouseTest, CursorsFollowTheZoneUnderTheMouse) {
  CRiloData sheet = Sheet(5, 5);
  sheet.m_colWidths[3] = 0;
  sheet.m_rowHeights[2] = 0;
  Open(sheet);
  m_view->SetCurrentCell(0, 0);
  struct Case {
    QPoint at;
    int cursor;
  };
  const Case cases[] = {
      {InCell(1, 1), SM_IDC_RILO_CELL},
      {InCell(0, 0), kIBeam},
      {ColumnHeader(1), SM_IDC_RILO_CELL},
      {QPoint(5, 5), SM_IDC_RILO_CELL},
      {ColumnBorder(0) - QPoint(2, 0), SM_IDC_RILO_COLUMN_BORDER},
      {RowBorder(0) + QPoint(0, 2), SM_IDC_RILO_ROW_BORDER},
      {ColumnBorder(2) + QPoint(1, 0), SM_IDC_COLUMN_WIDTH},
      {ColumnBorder(2) - QPoint(1, 0), SM_IDC_RILO_COLUMN_BORDER},
      {RowBorder(1) + QPoint(0, 1), SM_IDC_ROW_GAP},
      {Pane(m_view->CellOrigin(5, 0)) + QPoint(20, 20), kArrow},  // right of the last column
  };
  for (const Case& c : cases) {
    Move(c.at, false);
    EXPECT_TRUE(ShowsCursor(c.cursor)) << c.at.x() << "," << c.at.y() << " " << c.cursor;
  }
}

TEST_F(RiloMouseTest, TheRightButtonKeepsAnAreaAndOffersTheMenuGreyedByState) {
  Open(Sheet(4, 4));
  S().m_selectMode = 2;
  S().m_selectRect = {0, 0, 1, 1};
  Send(m_view, QEvent::MouseButtonPress, InCell(3, 3), Qt::RightButton);
  EXPECT_EQ(S().m_selectRect, (SmIntRect{0, 0, 1, 1}));
  EXPECT_EQ(S().m_selectMode, 2);
  QStringList shown;
  QTimer::singleShot(0, [&shown] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* action : menu->actions())
        if (!action->isSeparator()) shown << action->text();
      menu->close();
    }
  });
  QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, InCell(3, 3),
                              m_view->mapToGlobal(InCell(3, 3)));
  QApplication::sendEvent(m_view, &menuEvent);
  EXPECT_EQ(shown.value(0), "撤消(&U)\tCtrl+Z");  // the menu opened
  // Without a selection the right button makes the cell current first.
  S().m_selectMode = 0;
  Send(m_view, QEvent::MouseButtonPress, InCell(2, 3), Qt::RightButton);
  EXPECT_EQ(S().m_currentCell, (SmIntPair{2, 3}));

  struct Case {
    int selectMode;
    bool extraArea;
    bool undoStep;
    bool readOnly;
    bool clipboard;
    std::vector<int> enabled;
  };
  const std::vector<int> always{SM_ID_RILO_FONT, SM_ID_RILO_LINES, SM_ID_RILO_CELL_LAYOUT,
                                SM_ID_RILO_NUM_FORMAT};
  const auto with = [&always](std::vector<int> more) {
    more.insert(more.end(), always.begin(), always.end());
    return more;
  };
  const Case cases[] = {
      {0, false, false, false, true, with({SM_ID_EDIT_PASTE, SM_ID_RILO_CELL_TEXT})},
      {0, false, false, false, false, with({SM_ID_RILO_CELL_TEXT})},
      {2, false, true, false, false, with({SM_ID_EDIT_UNDO, SM_ID_EDIT_CUT, SM_ID_EDIT_COPY})},
      {2, true, true, false, false, with({SM_ID_EDIT_UNDO})},
      {1, false, true, true, true, with({SM_ID_EDIT_COPY})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selectMode * 100 + c.extraArea * 10 + c.readOnly);
    S().m_selectMode = c.selectMode;
    S().m_areas.clear();
    if (c.extraArea) S().m_areas.push_back({3, 3, 3, 3});
    m_doc->m_undo.clear();
    if (c.undoStep) m_doc->m_undo.push_back({0, 0, 0, 0, SM_RILO_STEP_CELL, ""});
    m_doc->m_readOnly = c.readOnly ? 1 : 0;
    if (c.clipboard) {
      SetClipboardText("x");
    } else {
      QGuiApplication::clipboard()->clear();
    }
    const std::unique_ptr<QMenu> menu = m_view->CreateContextMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<int> enabled;
    for (QAction* action : menu->actions())
      if (!action->isSeparator() && action->isEnabled())
        enabled.push_back(action->objectName().toInt());
    std::vector<int> expected = c.enabled;
    std::sort(enabled.begin(), enabled.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(enabled, expected);
  }
  m_doc->m_readOnly = 0;
}

}  // namespace
