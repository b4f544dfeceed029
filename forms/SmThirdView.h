#pragma once
// The printed page of a table document on the form grid: the title with the unit's name, the
// head and foot notes with their variables (page numbers, unit, supervisor, operator, date),
// printing only the odd or the even pages of a range, the grid's right-click menu with its
// enabling rules, the usage tips balloon with the cells' hints, find and replace over the TEXT
// cells, loading rows from a tab-separated text file, and the grid's keyboard shortcuts.
#include <memory>
#include <string>

#include "forms/SmFormView.h"
#include "ui/SmFindDlg.h"

class CSmDoc;
class CSmToolTip;
class QListWidget;
class QMenu;

class CThirdView : public CSmFormView, public CSmFindView {
  Q_OBJECT
 public:
  explicit CThirdView(QWidget* parent = nullptr);
  ~CThirdView() override;

  // ---- overridden operations
  void OnInitialUpdate() override;
  // Page p of a range printed with only its odd or even pages; printing stops after the last.
  void OnPrepareDC(CSmFormDC& dc, CSmPrintState* info) override;
  // Head and foot cells from the editable notes of the document's form definition.
  void ResetLayout() override;
  void DrawHeadFootNotes(CSmFormDC& dc) override { DrawNotes(dc); }
  void DrawTitle(CSmFormDC& dc) override;
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // ---- own operations
  virtual void DrawRegionText(CSmFormDC& dc, int row, const std::string& region,
                              const std::string& text, const std::string& align);
  // A text in a region row at a per-mille position of the printable width.
  virtual void DrawCellString(int row, int position, CSmFormDC& dc, const std::string& text,
                              const std::string& region);
  virtual bool IsCommandEnabled(int id);
  virtual void AddContextMenuItems(QMenu& /*menu*/) {}
  virtual bool IsCommandAllowed(int /*id*/) { return true; }
  virtual void ExpandVariables(CSmFormDC& dc, CSmFormHeadNote& note);
  virtual void ExpandPageNumbers(CSmFormDC& dc, CSmFormHeadNote& note);
  virtual void DrawNotes(CSmFormDC& dc);
  // Shows the usage tips balloon; whether it stays active.
  virtual bool GetTips();
  virtual std::string GetCellHint(int /*row*/, int /*column*/, const std::string& /*region*/) {
    return {};
  }

  // ---- the drop list of a cell's choices (control 1200)
  // Enter on a cell: an empty cell opens its list; true when a list opened.
  virtual bool ValidateCurrentCell();
  // Fills and shows the cell's list under it (above it near the bottom); false without one.
  virtual bool ShowDropList(int row, int column, const std::string& region);
  virtual void HideDropList(bool focusView);
  // Adds the cell's choices to DropList() and may change the list's size; false: no list.
  virtual bool GetDropListItems(QSize& /*size*/, int /*row*/, int /*column*/,
                                const std::string& /*region*/) {
    return false;
  }
  // Puts the item's text before its first blank into the current cell.
  virtual bool SetCurrentCellText(int index, const std::string& text);
  // The current cell's list of choices (43137, a double click).
  virtual void ShowDropListAtCurrent();
  QListWidget* DropList();
  void OnEnterCell(int row, int column, const std::string& region) override;
  void OnLeaveCell(int row, int column, const std::string& region) override;

  // ---- find and replace
  // Find (57636) asks for the text; find next (57640) searches again. The first matching cell
  // after the current one, row by row through the range, becomes current.
  void Find(bool next);
  // Replaces the text in every cell of the selected rectangle (Ctrl+H).
  void Replace();
  std::string GetSelectedText() override;
  CSmDatabase* FindDatabase() override;
  void SetFindState(bool findOnly, const std::string& findText, const std::string& replaceText,
                    bool wholeCell) override;
  const std::string& FindText() const { return m_findText; }

  // Rows from a tab-separated text file, inserted at the current row (43414).
  void LoadTextFile();
  // An empty current cell takes the nearest text above it in its column, else below.
  void FillFromColumn();
  // The current cell takes the nearest text above it in its column.
  void CopyCellFromAbove();

  // The right-click menu as it would show now: checks and greyed items set.
  std::unique_ptr<QMenu> CreateContextMenu();
  // 0 all pages, 1 odd pages only, 2 even pages only.
  int OddEvenMode() const { return m_oddEven; }
  CSmToolTip* Tips() const { return m_tips; }
  CSmDoc* GetFormDoc() const;

  static const char* const kTipsText;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The list's keys: Down into it, Enter takes, Esc hides; true when the key was the list's.
  bool DropListKey(int key);
  void TakeDropItem();
  // Moves the items that hold the typed text (or its letters as pinyin initials) to the front.
  void NarrowDropList();
  // The shortcut's command, or 0 for a key the grid handles itself.
  int ShortcutCommand(int key, Qt::KeyboardModifiers modifiers) const;

  // The hint of the cell under a client point into the balloon's first tool, or that tool
  // moved out of reach.
  void ShowCellHint(QPoint point);

  int m_oddEven = 0;
  std::string m_findText;  // of the last find
  std::string m_replaceText;
  bool m_wholeCell = false;
  SmCellBlock m_findRange;
  bool m_hasFindRange = false;
  QListWidget* m_dropList = nullptr;  // a child of the view
  CSmToolTip* m_tips = nullptr;       // a child of the view
  bool m_tipsActive = false;
};
