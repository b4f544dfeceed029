#pragma once
// The maintenance and picker dialog of a hierarchical code table (codes carry their parent's
// code as a prefix). It shows the children of one parent code at a time and moves down and up
// between levels; add, open, modify, delete, cut, copy and paste run through the virtual
// operations below, which a directory fills in with what it knows of its table. Opened in a
// pick mode the dialog ends with OK and leaves the picked code in `CurrentCode`.
#include <string>
#include <vector>

#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

class QMenu;
class CSmDatabase;
class CSmCodeListDlg;

// The list of the dialog: every hook asks the dialog.
class CSmCodeList : public CSmListCtrl {
  Q_OBJECT
 public:
  CSmCodeList(CSmCodeListDlg* dlg, QWidget* parent);

  // The dialog may handle or refuse a command before the list runs it.
  bool OnCommand(unsigned id) override;
  int GetClipboardRows(std::vector<std::string>& rows) const override;
  void InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool sameSource,
                        CSmDatabase& source) override;
  // Back and forward before the cut entry, then the dialog's own entries.
  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  unsigned GetClipboardFormat() override;
  Qt::Alignment GetColumnFormat(int column) override;
  std::vector<unsigned> GetIconIds() override;
  void Add() override;
  void Open() override;
  void Modify() override;
  void Delete() override;
  void Back() override;
  void Forward() override;

 protected:
  // Ctrl+Left goes back, Ctrl+Right forward.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CSmCodeListDlg* m_dlg;
};

class CSmCodeListDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  // Mode 0 maintenance, 1 pick a lowest-level code, 2 or more pick any code.
  CSmCodeListDlg(unsigned templateId, int listId, CSmDatabase* db, int pickMode,
                 QWidget* parent = nullptr);

  CSmCodeList* List() const { return m_list; }
  CSmDatabase* Database() const { return m_db; }
  int PickMode() const { return m_pickMode; }
  // The parent whose children are shown; before the dialog opens, the code to preselect; after
  // a pick, the picked code.
  const std::string& CurrentCode() const { return m_current; }
  void SetCurrentCode(const std::string& code) { m_current = code; }
  void SetSeparator(const std::string& separator) { m_separator = separator; }

  // The list's commands.
  void OnAdd();
  void OnOpen();
  void OnModify();
  void OnDelete();
  void OnBack();
  void OnForward();
  // The list's availability rules, then `IsCommandEnabled`.
  bool IsListCommandEnabled(unsigned id);
  // Enter runs open when `OnExtraCommand` allows it.
  void OnOK() override;

  // Operations of a directory, in this order.
  virtual bool OnExtraCommand(unsigned /*id*/) { return true; }
  virtual void SetupColumns() {}
  virtual void FillList() {}
  virtual void AddContextMenuItems(QMenu* /*popup*/) {}
  virtual bool IsCommandEnabled(unsigned /*id*/) { return true; }
  virtual std::vector<unsigned> GetIconIds() { return {}; }
  virtual Qt::Alignment GetColumnFormat(int /*column*/) { return Qt::AlignLeft; }
  virtual unsigned GetClipboardFormat() { return 512; }
  virtual void Pick() { EndOK(); }
  virtual bool CodeExists(const std::string& /*code*/) { return true; }
  virtual bool IsCodeReferenced(const std::string& /*code*/) { return true; }
  virtual bool IsLowestLevel(const std::string& /*code*/) { return true; }
  virtual bool CanGoDown(const std::string& /*code*/) { return true; }
  // The part before the last "-".
  virtual std::string GetParentCode(const std::string& code);
  // Adds (the selected code, or empty, on entry; the new code on return) or modifies a code;
  // true when a record was saved.
  virtual bool EditCode(std::string& /*code*/, bool /*add*/) { return false; }
  virtual bool CanDelete(const std::string& /*code*/) { return false; }
  virtual void DeleteCode(const std::string& /*code*/) {}
  virtual int GetClipboardRows(std::vector<std::string>& rows);
  // Replaces codes by the codes of the records they stand for; their count.
  virtual int ExpandCodes(CSmDatabase* /*db*/, std::vector<std::string>& /*codes*/) { return 0; }
  // Puts rows read from the clipboard under the current parent code.
  virtual void Paste(std::vector<std::string> rows, bool cut, bool sameDatabase,
                     CSmDatabase& source);
  // The own part a pasted code gets under the target parent; empty skips the row.
  virtual std::string MakePastedCode(const std::string& /*targetParent*/,
                                     const std::string& ownPart) {
    return ownPart;
  }
  // Copies or moves the record of oldCode from `source` under newCode with all that belongs to
  // it; newCode becomes the code it got.
  virtual bool CopyOrMoveCode(CSmDatabase* /*source*/, const std::string& /*oldCode*/,
                              std::string& /*newCode*/, bool /*move*/) {
    return false;
  }
  virtual bool CheckCutTarget() { return true; }
  virtual void OnInitBegin() {}
  virtual void OnInitEnd() {}

 protected:
  void OnInitDialog() override;
  // The code of the first selected row, or empty.
  std::string SelectedCode() const;
  // Selects and shows the row of the code; false when it is not listed.
  bool SelectCode(const std::string& code);
  // Selects, shows and focuses the row.
  void SelectRow(int row);

 private:
  // Whether a cut row may go to the new code under the target parent; says why not.
  bool CheckCut(const std::string& oldCode, const std::string& newCode,
                const std::string& targetParent);

  CSmDatabase* m_db;
  int m_listId;
  CSmCodeList* m_list;  // owned as a child window
  int m_pickMode;
  std::string m_current;
  std::string m_separator = "-";
};
