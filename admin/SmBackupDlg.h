#pragma once
// "数据备份" and "数据恢复" (template 817): the backup of the open data file in two steps (the
// archive unloaded to a work file, then copied to the backup position, as often as wanted) and
// the restore of the data file from a backup found under a chosen folder.
#include <QFileDialog>
#include <string>
#include <vector>

#include "ui/SmDlg.h"

class QComboBox;
class QDate;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class CSmEdit;
class CSmDatabase;

// The open-file box of button "&F.文件框": only for looking at and managing files, so its Open
// button stays disabled and nothing is ever chosen.
class CCommonFileBox : public QFileDialog {
  Q_OBJECT
 public:
  CCommonFileBox(const QString& folder, QWidget* parent);
  void accept() override {}

 private:
  void DisableOpen();
};

class CSmBackupDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  enum Mode { kBackup = 0, kRestore = 1 };
  // Control ids (object names of the controls).
  enum ControlId : int {
    kBrowseButton = 3,
    kFileBoxButton = 4,
    kHintEdit = 1058,
    kTargetEdit = 1059,
    kBackupList = 1060,
    kPositionLabel = 1061,
  };
  // The step the confirm button runs next.
  enum State {
    kBeforeUnload = 0,
    kUnloaded = 1,
    kCopied = 2,
    kBeforeRestore = 10,
    kRestored = 11,
  };

  CSmBackupDlg(CSmApp& app, int mode, QWidget* parent = nullptr);

  // Unit name, calendar year, month and day, business year and type code:
  // "某单位20161207_2016_tsd.bak".
  static std::string MakeDefaultName(const std::string& unit, const QDate& today, int year,
                                     const std::string& ext);

  int GetState() const { return m_state; }
  const std::string& GetPosition() const { return m_position; }
  const std::string& GetWorkFile() const { return m_workFile; }
  const std::string& GetDefaultName() const { return m_defaultName; }
  const std::string& GetHint() const { return m_hint; }

  bool OnCommand(unsigned id) override;
  bool ValidateAndSave() override { return OnConfirm(); }
  // After a restore, closing the window also leads to the log-in.
  void OnCancel() override;
  // Runs the step of the state; true only after a restore, which closes the dialog with OK.
  bool OnConfirm();
  void OnBrowse();
  void OnFileBox();
  // The chosen folder becomes the position (and is remembered); in restore mode the usable
  // backups under it are listed.
  void BrowseTo(const std::string& folder);
  void ShowBackupInfo();
  // The copy of the data file a restore keeps: "<data file>.before-restore".
  static std::string KeptCopyOf(const std::string& file);
  // Every file under the folder and its subfolders named "<...type code>.bak".
  void ListBackupFiles(const std::string& folder, std::vector<std::string>& files) const;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  bool Unload();
  bool CopyToMedia();
  bool Restore();
  void SetConfirm(const std::string& caption, bool enabled);
  // The backup selected in the list; says so when none is.
  bool SelectedBackup(std::string& path);
  // Whether the file is a backup of this data file's year.
  bool IsUsableBackup(const std::string& path);
  // The data file copied to a name of its own before it is replaced (never that of a backup,
  // which ends in ".bak").
  bool KeepCopy();
  // The position chosen last, else the user's home folder.
  std::string ReadPosition() const;
  // The unload's work file: beside the data file, or in the program's data folder for a server
  // database.
  static std::string WorkFileOf(CSmDatabase* db);

  CSmApp& m_app;
  int m_mode;
  int m_state;
  std::string m_hint;
  std::string m_target;
  std::string m_position;
  std::string m_workFile;
  std::string m_defaultName;
  QPlainTextEdit* m_hintEdit;
  CSmEdit* m_targetEdit;
  QComboBox* m_list;
  QLabel* m_positionLabel;
  QPushButton* m_confirm;
  QPushButton* m_browse;
  QPushButton* m_cancel;
};
