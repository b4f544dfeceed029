#pragma once
// "年度文件信息" (template 816): which data file is open, the identity of the open yearly file
// (its SYSTAB row), the operation log switch of the file and the main frame's background scheme.
// Everything is written on OK.
#include <string>

#include "ui/SmDlg.h"

class QLabel;
class QRadioButton;
class CSmApp;
class CSmEdit;

class CSmYearFileInfoDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kLogOn = 1067,
    kLogOff = 1068,
    kPicture = 1094,
    kWebPage = 1095,
    kPictureFileEdit = 1096,
    kPageEdit = 1097,
    kBrowseButton = 1098,
    kUnitEdit = 1105,
    kFileLabel = 1147,
    kYearLabel = 1148,
    kSupervisorEdit = 1150,
    kIdCodeEdit = 1151,
    kT1Edit = 1152,
  };

  explicit CSmYearFileInfoDlg(CSmApp& app, QWidget* parent = nullptr);

  // Checks the fields and writes what changed; false keeps the dialog open with the focus on
  // the field concerned.
  bool SaveInfo();
  bool ValidateAndSave() override { return SaveInfo(); }
  bool OnCommand(unsigned id) override;
  // "…" (kBrowseButton): a picture file for the background.
  void OnBrowse();

 protected:
  void OnInitDialog() override;

 private:
  void UpdateBackgroundControls();
  // Writes the SYSTAB row; on failure the environment keeps its old values.
  bool WriteFileInfo(const std::string& unit, const std::string& t1, const std::string& kj,
                     const std::string& code);
  CSmEdit* AddEdit(int id, int limit);
  QRadioButton* AddRadio(int id, const QString& text);

  CSmApp& m_app;
  QLabel* m_file;
  QLabel* m_year;
  CSmEdit* m_unit;
  CSmEdit* m_t1;
  CSmEdit* m_supervisor;
  CSmEdit* m_idCode;
  QRadioButton* m_logOn;
  QRadioButton* m_logOff;
  QRadioButton* m_picture;
  QRadioButton* m_webPage;
  CSmEdit* m_pictureFile;
  CSmEdit* m_pageAddress;
  QWidget* m_browse;
  int m_oldMode = 0;
  std::string m_oldPicture;
  std::string m_oldPage;
};
