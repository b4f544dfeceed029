#pragma once
// Base of the program's trees: the right-click menu 302, the command keys, commands that run
// only when the tree allows them, leaves opened by a double click or Enter, and the lists'
// private clipboard text for copying, cutting and pasting nodes. Derived trees fill in the
// commands they support.
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class CSmDatabase;

class CSmTreeCtrl : public QTreeWidget {
  Q_OBJECT
 public:
  explicit CSmTreeCtrl(CSmDatabase* db = nullptr, QWidget* parent = nullptr);

  CSmDatabase* Database() const { return m_db; }
  // The connection the tree reads from now on (a tree made before the log-in takes the open
  // data file's connection this way).
  void SetDatabase(CSmDatabase* db) { m_db = db; }
  // Takes the tree's clipboard format; call once from the host's initialisation.
  virtual void Initialize();
  unsigned ClipboardFormat() const { return m_clipboardFormat; }
  // Menu 302 with every command enabled as `IsCommandEnabled` says, after `CustomizeContextMenu`.
  std::unique_ptr<QMenu> CreateContextMenu();
  // Runs a command when the tree allows it; false when it was not run.
  bool RunCommand(int id);

  virtual void ShowCalculator();
  virtual unsigned GetClipboardFormat() { return 512; }
  virtual void CustomizeContextMenu(QMenu* /*popup*/) {}
  // Open, modify, delete, copy and cut need a selected item; paste needs the tree's rows on
  // the clipboard.
  virtual bool IsCommandEnabled(int id);
  virtual bool IsCommandAvailable(int /*id*/) { return true; }
  // The texts of the item (the selected one when none is given) and of all its following
  // siblings, the last sibling first; the count.
  int GetSiblingTexts(std::vector<std::string>& texts, const QTreeWidgetItem* item = nullptr) const;
  // The selected item's text; false when nothing is selected.
  bool GetCaretText(std::string& text) const;
  virtual bool CopyToClipboard(bool cut);
  virtual int GetClipboardRows(std::vector<std::string>& rows) const;
  // The rows on the clipboard; `source` is set to the kind and, with a source name, opened on
  // where the rows were copied from.
  virtual int ReadClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                            CSmDatabase& source);
  virtual void InsertPastedRows(const std::vector<std::string>& /*rows*/, bool /*cut*/,
                                bool /*sameSource*/, CSmDatabase& /*source*/) {}
  virtual void OnCheckChanged(QTreeWidgetItem* item, bool checked);
  // Gives every descendant of the item the check state.
  static void SetDescendantsCheck(QTreeWidgetItem* item, bool checked);

  virtual void Delete() {}
  virtual void Add() {}
  virtual void Modify() {}
  virtual void Open() {}
  virtual void Copy() { CopyToClipboard(false); }
  virtual void Cut() { CopyToClipboard(true); }
  virtual void Paste();
  // Commands of derived menus (refresh, search ...).
  virtual bool OnCommand(int /*id*/) { return false; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // The command of a key, or 0.
  static int CommandOfKey(const QKeyEvent* event);
  // Enter: opens the selected leaf, or expands or collapses the selected branch.
  bool OpenOrToggleSelected();

  CSmDatabase* m_db;
  unsigned m_clipboardFormat = 512;
};
