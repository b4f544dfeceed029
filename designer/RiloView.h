#pragma once
// The grid view of a report window. It shows the sheet being edited with a row-number column
// and a column-letter row, scrolls by whole cells with the headers fixed, paints backgrounds,
// rich texts, blocks spanning columns or rows, table lines and the area selection, marks the
// current cell and draws the text caret itself.
//
// Coordinates: lengths of the sheet are tenths of a millimetre; pixels come from the screen
// scale and the zoom, each column and row truncated on its own. Logical coordinates are the
// pane's pixels plus the scroll position, which is the sum of the extents of the columns (rows)
// before the first visible one.
#include <QLine>
#include <QRect>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "designer/RiloDoc.h"
#include "platform/SmDocument.h"

class QMenu;
class QPaintDevice;
class QPainter;
class QScrollBar;

// Scroll codes of the scroll bars, the keyboard and the wheel.
enum : int {
  SM_SB_LINEUP = 0,  // line left for the horizontal bar
  SM_SB_LINEDOWN = 1,
  SM_SB_PAGEUP = 2,
  SM_SB_PAGEDOWN = 3,
  SM_SB_THUMBPOSITION = 4,
  SM_SB_THUMBTRACK = 5,
  SM_SB_TOP = 6,
  SM_SB_BOTTOM = 7,
  SM_SB_ENDSCROLL = 8,
};

// What an empty sheet shows until it has rows and columns.
inline constexpr const char* kRiloEmptySheetHint =
    "这是一张空表。请用菜单 格式 ▸ 增加行、栏 给表加上行和栏，再输入表的内容。";

class CRiloView : public CSmView {
  Q_OBJECT
 public:
  explicit CRiloView(QWidget* parent = nullptr);

  CRiloDoc* GetDocument() const;

  void OnInitialUpdate() override;
  // The sheet changed: scroll sizes again and a repaint of every pane.
  void OnUpdate(CSmView* sender, long hint) override;

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // --- Place in the report frame's splitter: the row header shows only in the first column
  // of panes, the column header only in the first row, the corner only in pane 0.
  void SetPanePosition(int row, int column);
  int PaneRow() const { return m_paneRow; }
  int PaneColumn() const { return m_paneColumn; }
  // Every view of the same frame, this one included.
  std::vector<CRiloView*> Panes();

  // --- Geometry (pixels).
  int ColumnExtent(int column) const;
  int RowExtent(int row) const;
  int RowHeaderWidth() const;
  int ColumnHeaderHeight() const;
  // Pixel height of the header labels' font.
  int HeaderFontHeight() const { return Zoom() * 20 / 100 - 4; }
  // Origin of a cell in logical coordinates; the column and row counts give the far corner.
  QPoint CellOrigin(int column, int row) const;
  QRect CellRect(int column, int row) const;
  QPoint ScrollPosition() const;
  // The pane less its scroll bars.
  QRect ClientRect() const;
  // The client area less the headers, in logical coordinates.
  QRect GridArea() const;
  // The cell under a logical point inside the grid area; none elsewhere.
  std::optional<SmIntPair> HitCell(const QPoint& logical) const;

  // --- Scrolling by whole cells (SM_SB_ codes; `thumb` is a pixel offset).
  void OnHScroll(int code, int thumb = 0);
  void OnVScroll(int code, int thumb = 0);
  int FirstColumn() const { return m_firstColumn; }
  int FirstRow() const { return m_firstRow; }
  void UpdateScrollSizes();

  // --- Painting, all in logical coordinates.
  void DrawHeaders(QPainter& painter);
  void DrawGrid(QPainter& painter);
  // Background and text of a cell that is not the current cell.
  void DrawCellText(QPainter& painter, int column, int row);
  // The left and top lines of a cell, and its right and bottom lines in the last column and row.
  void DrawCellEdges(QPainter& painter, int column, int row);
  // The lines around a cell (its block) repainted alone.
  void DrawBlockEdges(QPainter& painter, int column, int row);
  // A cell in its ordinary look, or in the current cell's look with the edited text.
  void DrawCell(QPainter& painter, int column, int row, bool current);

  // --- Current cell and caret.
  // Mode 0 repaints the old and new current cell and places the caret, mode 1 only the new one
  // (painting), mode 2 moves without touching the caret. From a point, the cell and the caret
  // index come from the logical point.
  void SetCurrentCell(int column, int row, const QPoint* point = nullptr, int mode = 0);
  bool IsCaretShown() const { return m_caret.created && m_caret.shown; }
  // The caret in the pane's pixels; (-100, -100) when it is out of sight.
  QRect CaretRect() const { return QRect(m_caret.pos, m_caret.size); }

  // The keyword F1 asks help for at the caret; none opens the help finder.
  std::optional<std::string> HelpKeyword() const;

  // --- Keyboard editing (designer/RiloViewKeys.cpp).
  // Types text into the edited layer of the current cell at the caret (one undo step per run).
  void TypeText(const std::string& typed);
  // Removes the selected text or cells.
  void DeleteSelection();
  // Copies the selection to the clipboard; false when there was nothing to copy.
  bool Copy();
  void Paste();
  // Undo (true) or redo.
  void ApplyHistory(bool undo);
  // The zoom list's entry `index` chosen: 25 x (index + 1) percent.
  void OnZoomChosen(int index);
  // Whether the whole cell lies in the pane's grid area.
  bool IsCellVisible(int column, int row) const;

  // --- Format commands (designer/RiloViewFormat.cpp).
  bool OnFormatCommand(int id);
  bool OnUpdateFormatCommand(int id, CSmCmdUI& ui);
  // The format bar's face and size lists.
  void OnFaceChosen(const std::string& face);
  void OnSizeChosen(const std::string& size);
  // Applies the codes with the state to the selection and repaints; only the master text keeps
  // them, so nothing happens in the other edit states.
  void ApplyFormat(const SmRiloTextState& state, const std::string& codes);
  // Line settings applied to the selection, recording one step when lines changed.
  void ApplyLines(const SmRiloLineSettings& settings);
  // Layout button code (0 to 7 horizontal, 10 to 14 vertical) or the layout dialog (-1).
  void ApplyLayout(int code);
  // Rows and columns inserted or deleted through the row and column dialog, as one undo step
  // that keeps the whole sheet.
  void ChangeRowsColumns(bool insert);

  // --- Edit states and the Fill menu (designer/RiloViewFill.cpp).
  bool OnFillCommand(int id);
  bool OnUpdateFillCommand(int id, CSmCmdUI& ui);
  // Shows and edits layer `mode` of every cell (0 master, 1 fetch, 2 audit, 3 child).
  void SetEditMode(int mode);
  // Stores what a calculation (values and formulas) or an audit (formulas) handed back, as one
  // undo step of that kind, and shows the master's or the child table's values.
  void StoreRunResults(int kind, const std::vector<std::string>& texts,
                       const std::vector<std::string>* formulas);
  void EditVariables();
  void EditPasswords();
  // The calculator over the selected numbers; OK writes its result into the current cell.
  void OpenCalculator();
  // The current cell's fetch formula in the formula dialog.
  void EditCellFormula();

  // --- Mouse (designer/RiloViewMouse.cpp). Zones of a hit: 0 nothing, 1 a header cell or the
  // corner, 2 a header border, 3 a header border whose next row or column is hidden, 10 a cell,
  // 11 the current cell. Column or row -1 stands for a whole row or column of a header.
  struct SmHit {
    int zone = 0;
    int column = -1;
    int row = -1;
  };
  // The cell under a logical point; while the button is held a point outside the grid still
  // gives its column and row (-1 before the grid, the count after it). Sets the cursor.
  SmHit HitTestCell(const QPoint& logical);
  // The header cell or border under a logical point; a border also gives the tracking line's
  // position and the press's distance from it. Sets the cursor.
  SmHit HitTestHeader(const QPoint& logical, QPoint* track = nullptr, int* offset = nullptr);
  // The view's context menu with its items greyed by the state of the sheet; null without cells.
  std::unique_ptr<QMenu> CreateContextMenu();
  // The line a border drag shows in this pane, in pane pixels; none when no drag shows one here.
  std::optional<QLine> TrackingLine() const;
  QTimer& DragTimer() { return m_dragTimer; }

  static constexpr int kHiddenCaret = -100;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // A sheet without rows or columns tells how to start one.
  void DrawEmptySheetHint(QPainter& painter, const QRect& client);
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  struct Caret {
    bool created = false;
    bool shown = false;
    bool blinkOn = true;
    QPoint pos{kHiddenCaret, kHiddenCaret};
    QSize size;
  };

  const CRiloData* Sheet() const;
  bool HasCells() const;
  bool IsReadOnly() const;
  int Zoom() const;
  void SetFirstColumn(int column);
  void SetFirstRow(int row);
  void UpdateAllPanes();
  void SetScaleFactors();

  void DrawHeaderCell(QPainter& painter, const QRect& rect, const QString& label, bool selected);
  void DrawBlockText(QPainter& painter, int column, int row);
  // A coded text in `box` by the alignments (horizontal 0 left, 1 right, 2 centre, 3
  // distributed; vertical 0 centre, 2 top, else bottom), clipped to `clip`.
  void DrawAlignedText(QPainter& painter, const QRect& box, const QRect& clip, std::string text,
                       int horizontal, int vertical, bool selected);
  void DrawCurrentCell(QPainter& painter, int column, int row);
  // The cell less its thick left and top lines, where its text is painted; the text is aligned
  // 5 pixels in from either side and 3 from the top and bottom.
  QRect CellInside(int column, int row) const;
  // Where the current cell's edited text, `height` pixels high, stands: on the line of the
  // cell's own text by its vertical alignment.
  SmRiloLine EditedLine(QPaintDevice* device, int height) const;
  void DrawEdge(QPainter& painter, int kind, SmColor color, QPoint from, QPoint to, bool first,
                bool selected);
  void DrawCaret(QPainter& painter);

  // What every key but Backspace and Delete does first: the extra areas by Ctrl, the selection
  // dropped without Shift, the current cell brought into view.
  void Prepare(bool shift, bool ctrl, bool navigation);
  // The next row (column) whose pixel size is above 0 from `from` in direction `step`, or with
  // `toEnd` the last (first) such; -1 none.
  int NextVisible(bool rows, int from, int step, bool toEnd) const;
  void EnsureVisible(int column, int row);
  void MoveCell(bool rows, int step, bool shift, bool ctrl, bool enter);
  bool MoveCaret(bool right, bool shift, bool ctrl);
  void PageMove(bool down, bool shift);
  void HomeEnd(bool home, bool shift, bool ctrl);
  void DeleteChar(bool before);
  // Records a block step of the texts that differ from `before`.
  void RecordBlockChange(const CRiloData& before);
  void ToggleFontAttribute(int attribute);
  void RecordSettingsChange(int kind, const CRiloData& before);
  void ChangeNumFormat();
  void ChangeSizes();
  // Whether calculation, audit or summing may run: cells, writable, a child table open, stored
  // where the data file keeps the report, and not in edit state `excludedMode`.
  bool CanRunFormulas(int excludedMode) const { return WhyNoFormulas(excludedMode).empty(); }
  // What keeps them from running, as the clerk reads it beside the menu item; empty when they can.
  std::string WhyNoFormulas(int excludedMode) const;
  bool OnHistoryCommand(int id);
  bool OnUpdateHistoryCommand(int id, CSmCmdUI& ui);
  // "B栏,3行" in the frame's status bar.
  void UpdateStatusText();

  // Mouse steps.
  void LeftButtonDown(const QPoint& pane, Qt::KeyboardModifiers modifiers);
  void LeftButtonUp(const QPoint& pane);
  void ClickSelect(const SmHit& hit, const QPoint& logical, bool shift, bool ctrl);
  // Extends the selection to the last mouse position and scrolls when it lies outside the grid.
  void DragTo(const QPoint& logical);
  // Moves the end row (column) onto the rows that scrolled into view.
  void FollowScroll(bool rows, bool forward);
  void SetCursorId(int id);
  bool IsRowBorder() const { return m_hitColumn == -1; }
  void ShowTrackingLine(const QPoint& logical, bool move);
  void FinishBorderDrag();
  void ShowSizeText(const QPoint& logical);
  void SetStatusPane(int pane, const std::string& text);

  // Keeps the caret of the edited text inside its cell: the first shown character moves on
  // while the text before the caret is too wide.
  void KeepCaretInCell();
  // Width of the edited text from the first shown character to `stop`.
  int EditedWidth(const std::string& text, int stop) const;
  // Measures the caret at the current cell and, from a point, sets the caret index.
  void PlaceCaret(const QPoint* point);
  void CreateCaret(QSize size);
  void DestroyCaret();
  void ShowCaret();
  void HideCaret();
  void SetCaretPos(QPoint pos);

  int m_firstColumn = 0;
  int m_firstRow = 0;
  int m_paneRow = 0;
  int m_paneColumn = 0;
  QScrollBar* m_hBar;
  QScrollBar* m_vBar;
  Caret m_caret;
  QPoint m_savedCaret{kHiddenCaret, kHiddenCaret};
  QPoint m_pendingCaret{kHiddenCaret, kHiddenCaret};  // where PlaceCaret put it
  QTimer m_blink;
  // Mouse state: the button held, what the press hit, the last position (logical), where the
  // border being dragged is drawn and how far from it the press was.
  int m_buttonHeld = 0;
  int m_hitZone = 0;
  int m_hitColumn = 0;
  int m_hitRow = 0;
  QTimer m_dragTimer;
  QPoint m_lastMouse;
  QPoint m_trackPos;
  int m_pressOffset = 0;
  int m_cursorId = 0;
  // This pane's tracking line: vertical at x or horizontal at y (logical); none when unset.
  std::optional<std::pair<bool, int>> m_trackLine;
};
