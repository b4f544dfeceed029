#pragma once
// The log-in dialog "打开Vornel数据文件" (815): software module, back end, account set and year
// file in the account-set tree, operator and password. It checks the file on a copy of the
// data environment with its own connection and hands the copy back after OK.
#include <string>
#include <vector>

#include "app/SmBookStore.h"
#include "app/SmEnvironment.h"
#include "app/SmNewYearFileHook.h"
#include "app/SmOperator.h"
#include "ui/SmDlg.h"
#include "ui/SmTreeCtrl.h"

class QComboBox;
class QLineEdit;
class CSmOpenDataFileDlg;

// The account sets under the root folder and their year files ("%d.<ext>", four digits); for
// the server kind the data sources under the top node "数据源" with their account sets and years.
class CBookDirTree : public CSmTreeCtrl {
  Q_OBJECT
 public:
  // Account set (a folder, or a data source of the server kind), year file, server account set.
  enum Level { kTop = 0, kAccountSet = 1, kYearFile = 2, kServerSet = 3 };
  explicit CBookDirTree(CSmOpenDataFileDlg* dlg, QWidget* parent = nullptr);

  // Refills the tree, keeping the expanded nodes and the selection.
  void Fill(int kind, const std::string& root, const std::string& ext);
  // Selects the node of a year file (path compared ignoring case and slash direction); on a
  // server, under the data source `source` when one is named.
  bool SelectFile(const std::string& file, const std::string& source = {});
  // The selected year file; false when the selection is not a valid one.
  bool GetSelection(std::string& folder, std::string& file) const;
  // The account set of the selection (its folder name), or empty.
  std::string SelectedAccountSet() const;
  // Server kind: whether a data-source node is selected; the data source of the selection
  // (empty on the top node); the code of the selected account set or year (or empty).
  bool IsDataSourceSelected() const;
  std::string SelectedDataSource() const;
  std::string SelectedServerCode() const;
  // The codes of the account sets listed under the data source.
  std::vector<std::string> ServerCodes(const std::string& source) const;
  static int LevelOf(const QTreeWidgetItem* item);
  static std::string PathOf(const QTreeWidgetItem* item);

  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(int id) override;
  void Add() override;
  void Open() override;
  void Modify() override;
  void Delete() override;
  bool OnCommand(int id) override;

 private:
  void FillFolders(QTreeWidgetItem* top, const std::string& root, const std::string& ext);
  // Per data source its account sets ("%s %s" of code and name) and their years ("%d 年").
  void FillServer(QTreeWidgetItem* top, const std::string& ext);

  CSmOpenDataFileDlg* m_dlg;
  int m_kind = 0;
  std::string m_root;
  std::string m_ext;
};

class CSmOpenDataFileDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kPasswordEdit = 1049,
    kTree = 1050,
    kOperatorCombo = 1051,
    kNewButton = 1075,
    kKindCombo = 1090,
    kModuleCombo = 1093,
    kSearchButton = 1141,
    kRootButton = 1303,
  };

  CSmOpenDataFileDlg(const CSmEnvironment& env, int moduleId, CSmApp* app,
                     QWidget* parent = nullptr);

  const CSmEnvironment& GetEnvironment() const { return m_env; }
  int GetModuleId() const { return m_moduleId; }
  const std::string& GetRootDir() const { return m_rootDir; }
  CBookDirTree* Tree() const { return m_tree; }

  bool ValidateAndSave() override;
  bool OnCommand(unsigned id) override;

  // Back end changed (0 Access, 1 server).
  void OnKindChanged(int kind);
  // A year file was selected: its operators fill the operator combo.
  void OnSelectionChanged();
  // "&N.新建": a new data source on the top node of the server kind, else the new-yearly-data-
  // file dialog for the selected place.
  void OnNewFile();
  // The selected year file into a new file of the other back end (tree command 43161).
  void OnConvert();
  void OnRootFolder();
  // "&F.搜索" and the tree's "搜索 ...": the account-set search (data files only), its file
  // selected in the tree.
  bool CanSearchBooks() const;
  void OnSearchBooks();
  void RefillTree();
  // Server kind: a new data source of the driver named "MQIS", "MQIS1" ..., leading to the
  // server and with the login the user gives.
  void OnNewDataSource();
  // The server and login of the selected data source.
  void OnConfigureDataSource();
  // The user and password the selected data source is reached with.
  void OnSetDataSourceUser();
  // Deletes the selected data source or year file.
  void OnDelete();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::string ModuleExt() const;
  // The new-yearly-data-file dialog; the new file is selected after it, in the other back
  // end after a conversion.
  void RunNewYearFile(const SmNewYearFileRequest& request);
  static std::string FirstReachableDataSource();
  // The first numbered folder ("001", "002" ...) not yet under the root folder.
  std::string NewAccountSetFolder() const;
  void DeleteDataSource();
  void DeleteYearFile();
  // The number of the chosen operator (the entry up to its first blank), or empty.
  std::string ChosenOperator() const;
  // The server and login of data source `name`, asked until the server answers; false when
  // the user cancels.
  bool AskSetup(const std::string& name, SmDataSourceSetup& setup);
  static void ShowConnectFailure(const std::string& reason);

  CSmEnvironment m_env;
  int m_moduleId;
  std::string m_rootDir;
  std::string m_opno;
  CSmOperator m_startOp;
  std::string m_loadedFile;
  QComboBox* m_kindCombo = nullptr;
  QComboBox* m_moduleCombo = nullptr;
  QComboBox* m_operatorCombo = nullptr;
  QLineEdit* m_password = nullptr;
  CBookDirTree* m_tree = nullptr;
};
