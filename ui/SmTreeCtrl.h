#pragma once
// Base of the program's trees: the right-click menu 302, the command keys, and commands that
// run only when the tree allows them. Derived trees fill in the commands they support.
#include <QTreeWidget>
#include <memory>

class QMenu;
class CSmDatabase;

class CSmTreeCtrl : public QTreeWidget {
  Q_OBJECT
 public:
  explicit CSmTreeCtrl(CSmDatabase* db = nullptr, QWidget* parent = nullptr);

  CSmDatabase* Database() const { return m_db; }
  // Menu 302 with every command enabled as `IsCommandEnabled` says, after `CustomizeContextMenu`.
  std::unique_ptr<QMenu> CreateContextMenu();
  // Runs a command when the tree allows it; false when it was not run.
  bool RunCommand(int id);

  virtual void ShowCalculator();
  virtual void CustomizeContextMenu(QMenu* /*popup*/) {}
  // Open, modify, delete, copy and cut need a selected item; paste is not offered by the base.
  virtual bool IsCommandEnabled(int id);
  virtual bool IsCommandAvailable(int /*id*/) { return true; }
  // The selected item's text; false when nothing is selected.
  bool GetCaretText(std::string& text) const;
  virtual void OnCheckChanged(QTreeWidgetItem* item, bool checked);
  // Gives every descendant of the item the check state.
  static void SetDescendantsCheck(QTreeWidgetItem* item, bool checked);

  virtual void Delete() {}
  virtual void Add() {}
  virtual void Modify() {}
  virtual void Open() {}
  // Commands of derived menus (refresh, search ...).
  virtual bool OnCommand(int /*id*/) { return false; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  CSmDatabase* m_db;
};
