#pragma once
// "建立新年度数据文件" (template 813): the data file of a new business year of an account set,
// as a file in the account set's folder or as a server database named by the data-file
// extension, the account set's four-digit sequence number and the year. It carries the
// identity, operators and parameters of the previous year over (the business months move on
// by the years between) and offers the carry-over, or seeds a fresh file. In conversion mode
// it copies every table of a file of the other back end into the new one.
#include <string>

#include "admin/SmYearFileMaker.h"
#include "app/SmNewYearFileHook.h"
#include "core/SmConnInfo.h"
#include "ui/SmDlg.h"

class QLabel;
class CSmDatabase;
class CSmEdit;

class CSmNewYearFileDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kBrowseButton = 1074,
    kYearLabel = 1091,
    kPlaceLabel = 1092,
    kYearEdit = 1105,
    kPlaceEdit = 1155,
  };

  // `kind`: 0 data file, else server; `dataFile`: the current file (or a folder), or database;
  // `server`: the data source or server of the server kinds. Mode 0 creates nothing.
  CSmNewYearFileDlg(CSmApp& app, int mode, int kind, const std::string& dataFile,
                    const std::string& server, QWidget* parent = nullptr);

  // Conversion: `sourceFile` of the other back end (under `sourceServer` when it is a database)
  // is copied into the new file. Set before the dialog is shown.
  void SetConversion(const std::string& sourceServer, const std::string& sourceFile);

  const std::string& GetFolder() const { return m_folder; }
  const std::string& GetNewFile() const { return m_newFile; }

  // The check and creation behind "&S.确认"; true closes the dialog.
  bool CreateDataFile();
  bool ValidateAndSave() override { return CreateDataFile(); }

  // SmCopyPreviousYearInfo with this dialog's application.
  bool CopyPreviousYearInfo(CSmDatabase* source, CSmDatabase* target, int year);

  // Proposals: the year after the newest year file in the folder (else this year); on the
  // server the sequence after the newest account set ("0001" without one), the year after the
  // newest of the account set (else this year). Empty when the server cannot be reached.
  std::string NextAccessYear(const std::string& folder) const;
  std::string NextServerSequence() const;
  std::string NextServerYear(const std::string& sequence) const;

 private:
  std::string Ext() const;
  CSmConnInfo Login(int kind, const std::string& server) const;
  void InitAccessFields();
  void InitServerFields();
  void OnBrowse();
  // The names of the new and the previous year's file from the fields; false after a refusal.
  bool BuildNames(int* year);
  // What the fields ask to be made as the file of `year`.
  SmYearFileJob Job(int year) const;
  // A refusal of the making shown on its field; false after a stop.
  bool ShowRefusal(const SmRefusal& refusal);
  void OfferCarryOver(int year);

  CSmApp& m_app;
  int m_mode;
  int m_kind;
  std::string m_dataFile;
  std::string m_server;
  bool m_convert = false;
  std::string m_sourceServer;
  std::string m_sourceFile;

  std::string m_folder;
  std::string m_newFile;
  std::string m_previousFile;
  bool m_previousExists = false;

  QLabel* m_placeLabel = nullptr;
  CSmEdit* m_place = nullptr;  // folder, or sequence number on a server
  QWidget* m_browse = nullptr;
  CSmEdit* m_year = nullptr;
};

// The dialog for the log-in and the System menu: the new file's folder and name come back.
bool SmRunNewYearFileDlg(CSmApp& app, const SmNewYearFileRequest& request, QWidget* parent,
                         SmNewYearFileResult* result);
