#pragma once
// The dialog that gives a report in the data file its catalogue identity: the master's number,
// name and report code and a child table's. Modes 0 to 2 check what the caller is about to save;
// modes 3 and 4 rename or renumber a master or a child themselves.
#include <string>

#include "designer/RiloRptEntry.h"
#include "ui/SmDlg.h"

class CSmEdit;

enum : int {
  SM_RILO_SAVE_MASTER = 0,    // "保存母表"
  SM_RILO_SAVE_BOTH = 1,      // "新增母、子表"
  SM_RILO_SAVE_CHILD = 2,     // "新增子表"
  SM_RILO_MODIFY_MASTER = 3,  // "修改母表"
  SM_RILO_MODIFY_CHILD = 4,   // "修改子表"
};

class CRiloSaveDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kMasterNo = 1045,
    kMasterName = 1046,
    kMasterCode = 1047,
    kChildNo = 1048,
    kChildName = 1049,
    kChildCode = 1050,
  };

  // A child number written with "/" reads as one with "\".
  CRiloSaveDlg(int mode, int nNo, const std::string& subNo, QWidget* parent = nullptr);

  // The next free child number under `parent` (empty: under the master) of the report, and the
  // name of the last direct sibling by name ("" when there is none).
  static std::string NextChildNo(int nNo, const std::string& parent, CSmDatabase* db);
  static std::string LastSiblingName(int nNo, const std::string& parent, CSmDatabase* db);

  int m_mode;
  CRiloRptEntry m_master;
  CRiloRptEntry m_child;
  CRiloRptEntry m_given;
  std::string m_masterNoText;

 protected:
  bool ValidateAndSave() override;

 private:
  void Propose();
  void ShowValues();
  void TakeValues();
  bool CheckMaster();
  bool CheckChild();
  bool Stop(const char* text, CSmEdit* field);

  CSmEdit* m_masterNo;
  CSmEdit* m_masterName;
  CSmEdit* m_masterCode;
  CSmEdit* m_childNo;
  CSmEdit* m_childName;
  CSmEdit* m_childCode;
};
