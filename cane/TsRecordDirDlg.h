#pragma once
// What the place and the driver directory have in common: one list of every record (control
// 1056), a directory mode that maintains them under a right of the cane module and a picker mode
// that returns one, the add loop through the card, modify, and delete with its refusal and log
// line. The list offers no cut, copy, paste or select all.
#include <string>
#include <vector>

#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

class CTsRecordDirDlg;

// The list of the directory: every hook asks the dialog.
class CTsRecordList : public CSmListCtrl {
  Q_OBJECT
 public:
  CTsRecordList(CTsRecordDirDlg* dlg, QWidget* parent);

  bool OnCommand(unsigned id) override;
  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  Qt::Alignment GetColumnFormat(int column) override;
  std::vector<unsigned> GetIconIds() override;
  void Add() override;
  void Open() override;
  void Modify() override;
  void Delete() override;

 private:
  CTsRecordDirDlg* m_dlg;
};

class CTsRecordDirDlg : public CSmDlg {
  Q_OBJECT
 public:
  // `right` is the cane module's right item that allows changes, `logCode` the operation code of
  // the directory's log lines.
  CTsRecordDirDlg(unsigned templateId, bool picker, CSmDatabase* db, const std::string& code,
                  const char* right, int logCode, QWidget* parent);

  CTsRecordList* List() const { return m_list; }
  CSmDatabase* Database() const { return m_db; }
  bool IsPicker() const { return m_picker; }
  bool CanMaintain() const;
  // The code of the first selected row, or empty.
  std::string SelectedCode() const;
  // Selects, focuses and shows the row of the code.
  void SelectCode(const std::string& code);

  void OnAdd();
  void OnOpen();
  void OnModify();
  void OnDelete();
  // Directory mode: modify, the dialog stays open. Picker mode: the one selected record is
  // loaded and the dialog closes.
  void OnOK() override;

  // What a directory fills in.
  virtual void SetupColumns() = 0;
  virtual void FillList() = 0;
  virtual Qt::Alignment GetColumnFormat(int column) = 0;
  virtual unsigned GetIconId() const = 0;
  // Entries of the context menu of its own, inserted before `before`.
  virtual void AddMenuItems(QMenu* /*popup*/, QAction* /*before*/) {}
  // A command of its own (true when handled).
  virtual bool OnExtraCommand(unsigned /*id*/) { return false; }
  virtual bool IsCommandAvailable(unsigned id);
  // The card: adding starts from the selected record (`code` empty when none) and gives the new
  // code back; modifying may change the code. True when it saved.
  virtual bool RunCard(std::string& code, bool add) = 0;
  // Deletes the record; false when it is still referred to.
  virtual bool DeleteRecord(const std::string& code) = 0;
  virtual std::string DeleteRefusal() const = 0;
  // Picker: loads the record of the code; false when it does not exist.
  virtual bool LoadPicked(const std::string& code) = 0;

 protected:
  void OnInitDialog() override;
  // The code given on entry (the record to select first).
  const std::string& StartCode() const { return m_start; }

 private:
  bool m_picker;
  CSmDatabase* m_db;
  std::string m_start;
  std::string m_right;
  int m_logCode;
  CTsRecordList* m_list;  // owned as a child window
};
