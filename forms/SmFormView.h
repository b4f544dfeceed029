#pragma once
// The printable form grid every table document is shown in. A page is a stack of seven regions:
// "TOPIC" (the title line), "HEAD" (head notes), "FORMHEAD" (the table's header lines), "TEXT"
// (the data rows), "FORMFOOT" (lines inside the table below the data), "FOOT" (foot notes) and
// "TAIL" (another name of FOOT for fonts and hit testing). The view owns no cell data: cells are
// read and written through the virtual cell operations, which derived views route to their
// document. One draw routine serves the screen and the printer through a `CSmFormDC`.
// Vertical scrolling is by whole text rows; horizontal scrolling by pixels.
#include <QFont>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "forms/SmFormDef.h"
#include "platform/SmDocument.h"
#include "ui/SmPrintInfo.h"

class QFontMetrics;
class QMouseEvent;
class QPainter;
class QPaintDevice;
class QScrollBar;
struct CSmPrintState;
class CSmDatabase;

// The commands of the vertical scroll bar.
enum class SmScroll { kLineUp, kLineDown, kPageUp, kPageDown, kThumb, kTop, kBottom };

// The device a page is measured and drawn on: the view's screen or one printer page. It holds
// what the geometry needs of the device (resolution, the region fonts measured on it, the line
// width, the printer's unprintable offsets) and the text row shown at the top of the table.
class CSmFormDC {
 public:
  // A region font as drawn on the device: its height and the width of "T" (the character unit).
  struct RegionFont {
    QFont font;
    int height = 0;
    int ascent = 0;
    int unit = 1;
    bool measured = false;
  };

  // `painter` may be null when the device is only measured.
  CSmFormDC(const QPaintDevice* device, QPainter* painter, bool printing);

  const QPaintDevice* device;
  QPainter* painter;
  bool printing;
  int dpiX;
  int dpiY;
  int lineWidth;    // one thin line: a quarter millimetre, at least a pixel
  int offsetX = 0;  // the printer's unprintable offsets, 0.1 mm
  int offsetY = 0;
  int firstRow = 0;     // the text row at the top of the table band
  int clientWidth = 0;  // screen only: the client area
  int clientHeight = 0;
  int scrollX = 0;                  // screen only: the horizontal scroll position
  std::array<RegionFont, 4> fonts;  // TOPIC, HEAD, TEXT and TAIL groups
};

// A cell address: row, column, region and the caret as a GBK byte offset into the text.
struct SmGridCell {
  int row = 0;
  int column = 0;
  std::string region = "TEXT";
  int caret = 0;

  bool SameCell(const SmGridCell& other) const {
    return row == other.row && column == other.column && region == other.region;
  }
};

// One cell as it was before a change: what undo and redo put back.
struct UndoRecord {
  int caret = 0;
  int row = 0;
  int column = 0;
  std::string region;
  std::string text;

  bool operator==(const UndoRecord&) const = default;
};

// A rectangle of TEXT cells drawn as one cell.
struct SmCellBlock {
  int col1 = 0;
  int row1 = 0;
  int col2 = 0;
  int row2 = 0;
};

// One head or foot note cell: its position in per mille of the printable width and its width
// in character units.
struct SmNoteCell {
  int position = 0;
  int width = 0;
};

// The lines of a cell text: split at each "\n" and, with `wrap`, a new line where the line would
// grow wider than `width`; a character is never split; always at least one (maybe empty) line.
std::vector<std::string> SmSplitCellLines(const std::string& text, bool wrap, int width,
                                          const QFontMetrics& metrics);

class CSmFormView : public CSmView {
  Q_OBJECT
 public:
  explicit CSmFormView(QWidget* parent = nullptr);
  ~CSmFormView() override;

  // The grid view hands itself over to its table document.
  void OnAddedToDocument() override;

  // ---- overridden class-library operations
  // When printing, the page's first text row: page n starts at (n - 1) x page rows. Run before
  // each page is started; a view may stop the printing there (`continuePrinting`).
  virtual void OnPrepareDC(CSmFormDC& dc, CSmPrintState* info);
  virtual void OnDraw(CSmFormDC& dc);
  // Gets the printer ready and the pages counted; false when printing does not start.
  virtual bool OnPreparePrinting(CSmPrintState& info);

  // ---- own operations, with their defaults
  virtual void ResetLayout();
  virtual void AddRows(int /*n*/) {}
  virtual void DrawHeadFootNotes(CSmFormDC& /*dc*/) {}
  virtual void DrawCell(CSmFormDC& /*dc*/, int /*row*/, int /*column*/,
                        const std::string& /*region*/) {}
  virtual void GetCell(int row, int column, const std::string& region, std::string& text,
                       std::string& type, int& limit1, int& limit2, void* extra = nullptr);
  virtual void SetCell(int /*row*/, int /*column*/, const std::string& /*region*/,
                       const std::string& /*text*/) {}
  virtual bool IsCellEditable(int /*row*/, int /*column*/, const std::string& /*region*/) {
    return true;
  }
  virtual void OnCellChanged(const std::string& /*text*/, int /*row*/, int /*column*/,
                             const std::string& /*region*/) {}
  virtual void InsertRows(int /*at*/, int /*last*/, int /*count*/) {}
  virtual void OnEnterCell(int /*row*/, int /*column*/, const std::string& /*region*/) {}
  virtual void OnLeaveCell(int /*row*/, int /*column*/, const std::string& /*region*/) {}
  virtual int GetPageRows(CSmFormDC& dc);
  virtual int GetColumnX(int column, CSmFormDC& dc, const std::string& region, int row,
                         bool exact = true);
  virtual int GetColumnLineX(int column, CSmFormDC& dc, const std::string& region, int row);
  virtual int GetRowY(int row, CSmFormDC& dc, const std::string& region);
  virtual void DrawTextRows(CSmFormDC& dc);
  virtual void DrawGridLines(CSmFormDC& dc);
  virtual void DrawHeaderText(int row, CSmFormDC& dc, const std::string& text,
                              const std::string& align, const std::string& region);
  // `align` is "LEFT", "MID", "RIGHT" or the input type "PERCENT", which writes the text in one
  // piece at the per-mille position given as the column.
  virtual void DrawCellText(int row, int column, CSmFormDC& dc, const std::string& text,
                            const std::string& align, const std::string& region, int offsetY,
                            bool wrap);
  virtual void ResetViewState();
  virtual void FreeLayout();
  virtual void AutoAppendRow();
  virtual bool CanAppendRow() { return true; }
  virtual void PreparePagination() {}
  virtual void DrawTitle(CSmFormDC& /*dc*/) {}
  // A head or foot note's text as it is to be drawn.
  virtual void GetNoteValue(CSmFormHeadNote& /*note*/) {}
  virtual SmColorRef GetCellTextColor(int column, int row, const std::string& region);
  virtual void OnLayoutReset() {}

  // ---- layout
  // Clears the layout and sets the counts: at least one text row, no count below 0.
  void InitLayout(int textRows, int formHeadLines, int formFootLines, int headRows, int footRows);
  // The number of TEXT columns; new columns are 14 characters wide.
  void SetColumnCount(int columns);
  // The column widths of the print settings (a width of 0 or less is 14 characters).
  void LoadWidthsFromPrintInfo();
  // Sets the scroll bars from the layout and, with `invalidate`, repaints.
  void UpdateScrollSizes(bool invalidate);

  // ---- geometry; "dc" overloads without one measure the screen
  static int RegionGroup(const std::string& region);
  const CSmFormDC::RegionFont& GetRegionFont(const std::string& region, CSmFormDC& dc);
  SmColorRef GetRegionColor(const std::string& region) const;
  int GetTextWidth(const std::string& text, const std::string& region, CSmFormDC& dc);
  int GetCellWidth(int column, CSmFormDC& dc, const std::string& region, int row);
  QMargins GetMargins(const CSmFormDC& dc) const;
  QSize GetPageSize(CSmFormDC& dc);
  int GetPageCount(CSmFormDC& dc);
  int GetRowGap(const CSmFormDC& dc) const;
  int GetFixedHeight(CSmFormDC& dc);
  int GetRowLineY(int row, CSmFormDC& dc, const std::string& region);
  int GetFirstVisibleRow() const { return m_firstRow; }
  // Right and bottom edges excluded.
  QRect GetCellRect(int row, int column, const std::string& region, CSmFormDC& dc);
  int GetPageRows() { return GetPageRows(ScreenDC()); }
  int GetPageCount() { return GetPageCount(ScreenDC()); }
  CSmFormDC& ScreenDC();

  // ---- cells
  void DrawCellFrame(int row, int column, const std::string& region, CSmFormDC& dc, bool on);
  // The cell under a point in view coordinates and its zone: a region name, the name followed
  // by "L" (left of the table), "H" (on a column line) or "V" (on a row line), or "OUTCLIENT".
  // Editing, a point on the row below the last one appends a row there first when the last
  // row holds a value (unless `append` is false).
  std::string HitTest(QPoint point, int& row, int& column, bool append = true);
  // Makes the cell current (only "TEXT", "HEAD" and "FOOT" cells can be).
  void SetCurrentCell(int row, int column, int caret, const std::string& region,
                      bool redraw = true);
  void ScrollToCurrentCell();
  void LoadEditCell();
  // The anchor follows the current cell unless Shift is held or a selection is being extended.
  void UpdateSelection();

  // ---- keyboard: the key table and the caret moves it runs
  // `key` is a Qt key code; answers whether the key was one of the table's.
  bool OnKeyDown(int key, Qt::KeyboardModifiers modifiers);
  void CaretUp();
  void CaretDown();
  void CaretLeft(bool tab);
  void CaretRight(bool tab, bool enter);
  void CaretHomeEnd(bool home, bool ctrl, bool enter);
  // Left or Right by one whole character inside the current cell's text; false at its ends.
  bool MoveCaretInText(bool right);
  void DeleteChar(bool backspace);
  // Types committed text into the current cell, character by character; a character that has
  // no GBK form or that the cell's input type refuses ends the typing.
  void TypeText(const std::string& utf8);
  // The selected TEXT cells ordered, true; or the whole table and false without a selection of
  // several cells.
  bool GetSelectionRect(SmCellBlock& block) const;

  // ---- mouse; points are client points
  // Selects the row ("TEXTL"), the column ("FORMHEAD") or everything ("FORMHEADL"); false for
  // any other zone. Shift or a drag in progress extends the selection instead.
  bool SelectByHeader(int row, int column, const std::string& zone);
  // Whether the cell lies in the selection (or holds the text selection).
  bool IsInSelection(int row, int column, const std::string& zone) const;
  void OnLButtonDown(QPoint point, Qt::KeyboardModifiers modifiers);
  void OnMouseMove(QPoint point);
  void OnLButtonUp(QPoint point);
  void OnRButtonDown(QPoint point, Qt::KeyboardModifiers modifiers);
  // 0 none, 1 selecting, 2 resizing a column or the row gap.
  int MouseMode() const { return m_mouseMode; }

  // ---- clipboard, bulk edits, calculator and undo
  // False when there is nothing selected or the clipboard could not be written.
  virtual bool CopyToClipboard();
  virtual void CutToClipboard();
  virtual void PasteFromClipboard();
  void DeleteSelectedText();
  void DeleteSelection();
  void PasteIntoSelection();
  void PasteIntoColumn();
  void InsertBlankRow(bool after);
  void ShowCalculator();
  // Appends the record of the cell before a change to the undo list, unless nothing changed
  // or the list already ends with it; a new change empties the redo list.
  void PushUndo(const UndoRecord& before);
  void UndoRedo(bool undo);
  const std::vector<UndoRecord>& UndoList() const { return m_undo; }
  const std::vector<UndoRecord>& RedoList() const { return m_redo; }

  // ---- services for derived views
  void DrawTextBlock(CSmFormDC& dc, const std::vector<CSmFormTopWord>& blocks,
                     const std::string& region);
  void DrawBlockLines(CSmFormDC& dc, const QRect& rect, const std::string& words,
                      const std::string& align);
  void DrawBoxText(CSmFormDC& dc, const std::string& text, int col1, int row1, int col2, int row2,
                   const std::string& region, const std::string& align);

  // ---- scrolling
  void OnVScroll(SmScroll code, int thumbRow = 0);

  // ---- commands
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;
  // The page setup of the view's print settings.
  void OnFilePageSetup();
  // Prints with the command's way (57607 dialog, 57608 directly, 57609 preview).
  bool Print(int commandId);

  // ---- state the tests and the derived views look at
  bool IsCaretVisible();
  QRect GetCaretRect() const { return m_caretRect; }
  const SmGridCell& CurrentCell() const { return m_current; }
  // Whether the view holds edits not yet saved.
  bool IsModified() const { return m_bModified; }
  void SetModified(bool modified) { m_bModified = modified; }
  const CSmPrintInfo* PrintInfo() const { return m_printInfo.get(); }
  const std::vector<int>& ColumnWidths() const { return m_widths; }
  int TextRows() const { return m_nTextRows; }
  int Columns() const { return static_cast<int>(m_widths.size()); }
  QRect ClientRect() const;
  // The document's title, or the window's without a document.
  std::string DocumentTitle() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool focusNextPrevChild(bool next) override;

  // The last cell of a row in a region that can hold the current cell, -1 when it has none.
  int LastCellOfRow(int row, const std::string& region) const;
  bool CanEditCurrentCell();
  // The multi-cell selection exists: anchor and current cell in one region, different cells.
  bool HasCellSelection() const;
  // Cells or text are selected: anchor and current cell in one region, apart in cell or caret.
  bool HasSelection() const;
  // The text selection exists: anchor and current cell the same cell with different carets.
  bool HasTextSelection() const;
  // The rectangle between anchor and current cell, rows and columns ordered.
  SmCellBlock SelectionBlock() const;
  bool CellExists(int row, int column, const std::string& region) const;
  std::string GetCellText(int row, int column, const std::string& region);
  UndoRecord CurrentRecord();
  // The caret position in a cell's text before the first character whose right edge passes
  // the view x.
  int CaretAtX(int row, int column, const std::string& region, int x);
  // Writes a value into an editable cell when its input type takes it, and reports the change;
  // false when the cell refused it.
  bool WriteCheckedCell(int row, int column, const std::string& region, const std::string& value);
  void WriteCell(int row, int column, const std::string& region, const std::string& text);
  void DeleteWholeRows(const SmCellBlock& block);
  void PasteBlock(const std::string& clip, int rows, int columns);
  void PasteRows(const std::string& clip, int rows);
  void SetMouseCursor(const std::string& zone, int row, int column);
  QPoint ToViewPoint(QPoint client) const;
  QPoint LimitTrackPoint(QPoint point);
  void FinishResize(QPoint point);
  void DrawTrackingLine(QPainter& painter);
  // The commands of the clipboard, bulk edits, calculator and undo; false for other ids.
  bool OnEditCommand(int id);
  bool OnUpdateEditCommand(int id, CSmCmdUI& ui);
  void ScrollToCellX();

  // The column x cache for the device, rebuilt when the device kind or the column count changed.
  const std::vector<int>& ColumnLines(CSmFormDC& dc);
  // The TEXT cell at (row, column) inside a merged block: the block, or null.
  const SmCellBlock* FindBlock(int row, int column) const;
  void DrawEditLine(CSmFormDC& dc);
  // Places the caret in the current cell; the part of the cell's text the edit line shows and,
  // with `start`, where that part begins (a GBK byte offset).
  std::string PlaceCaret(CSmFormDC& dc, size_t* start = nullptr);
  void CreateCaret();
  void SetScrollRow(int row);
  int MaxScrollRow();

  // Layout counts.
  int m_nTextRows = 1;
  int m_nFormHeadLines = 0;
  int m_nFormFootLines = 0;
  int m_nHeadRows = 0;
  int m_nFootRows = 0;
  std::vector<std::vector<SmNoteCell>> m_headCells;
  std::vector<std::vector<SmNoteCell>> m_footCells;
  std::vector<int> m_widths;
  std::vector<SmCellBlock> m_blocks;  // merged TEXT blocks

  SmGridCell m_current;
  SmGridCell m_anchor;
  SmGridCell m_edit;
  std::string m_editText;  // the edit cell's text on entry
  std::string m_editType;
  int m_editLimit1 = 0;
  int m_editLimit2 = 0;

  bool m_bEditable = false;
  bool m_bModified = false;
  bool m_bHasFocus = false;
  bool m_bCaretShown = false;
  bool m_bEnterDown = false;
  bool m_bPrintDirect = false;
  bool m_bOverlay = false;
  bool m_bKeepAnchor = false;
  bool m_bLinesSpanNotes = false;
  bool m_bShiftHeld = false;
  int m_mouseMode = 0;
  std::string m_resizeZone;  // "TEXTH" or "TEXTV" while resizing
  int m_resizeColumn = 0;
  QPoint m_resizeStart;  // view points
  QPoint m_trackPoint;
  std::vector<UndoRecord> m_undo;
  std::vector<UndoRecord> m_redo;

  // Print settings of (connection, document kind, mode key).
  CSmDatabase* m_db = nullptr;
  int m_nFlag = 0;
  std::string m_printMode = "0";
  std::unique_ptr<CSmPrintInfo> m_printInfo;
  std::array<int, 4> m_screenMargins{};  // left, top, right, bottom in pixels

  double m_scaleX = 0.7085;  // printer pixels per 0.1 mm
  double m_scaleY = 0.7085;
  double m_screenGapScale = 0.2;
  double m_fontScale = 1.8;  // printer font height per stored height

 private:
  int m_pageRowsCache = 0;
  int m_firstRowY = -1;  // screen: the first text row's y and the row pitch, -1 when not cached
  int m_rowPitch = 0;
  std::vector<int> m_columnLines;
  bool m_columnLinesPrinting = false;
  int m_columnLinesWidth = -1;
  std::unique_ptr<CSmFormDC> m_screenDC;
  int m_firstRow = 0;
  bool m_caretCreated = false;
  QSize m_caretSize;
  QRect m_caretRect;
  int m_printCommand = 0;
  QScrollBar* m_vbar = nullptr;
  QScrollBar* m_hbar = nullptr;
};
