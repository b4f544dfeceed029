#pragma once
// The document of one report window: the sheet being edited and its saved copy, where the
// report lives (a file or the data file), which table is open (the master, or one child table
// laid over it as the fourth cell layer), the layer being edited and the change flags. The
// template opens reports with their passwords; the file dialog takes several files at once.
#include <array>
#include <string>
#include <vector>

#include "designer/RiloData.h"
#include "platform/SmDocument.h"

// Commands of the report window.
enum : int {
  SM_ID_RILO_STORE_FILE = 43349,  // "表保存格式：文件"
  SM_ID_RILO_STORE_DB = 32850,    // "表保存格式：数据库"
};

// Where a report is kept.
enum : int { SM_RILO_FILE = 0, SM_RILO_DB = 1 };

// The painting data of one cell.
struct SmRiloCellFormat {
  std::array<int, 4> lineStyles{};  // left, top, right, bottom
  std::array<int, 4> lineColors{};
  int backColor = 0;
  SmIntPair layout3;
  SmIntPair layout4;
  SmIntPair layout5;
};

class CRiloDoc : public CSmDocument {
 public:
  bool OnNewDocument() override;
  bool OnOpenDocument(const std::string& path) override;
  // Saving a report is the report window's business; until it has it, nothing is written
  // and the save fails.
  bool OnSaveDocument(const std::string& path) override;
  void OnCloseDocument() override;
  // Titles over 30 GBK bytes keep their first 28 bytes and "...".
  void SetTitle(const std::string& title) override;
  // Titles the window by where the report lives.
  void SetPathName(const std::string& path, bool addToRecent = false);
  bool IsModified() const override;

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // By storage: the data file's report numbered m_nNo, or the file at `path`.
  bool OpenReport(const std::string& path);
  bool OpenFromDb();
  bool OpenFromFile(const std::string& path);
  // Edit mode 0, no child table, the report defaults as variables, nothing changed.
  void ResetForNew();
  void ResetEditState();
  // Replaces one layer (0 to 3) of a cell's string.
  void SetCellLayer(int cell, int layer, const std::string& text);
  SmRiloCellFormat GetCellFormat(int column, int row) const;

  CRiloData m_sheet;
  CRiloData m_saved;    // the sheet as last loaded or saved, variables included
  int m_copyValid = 1;  // 0: the next save writes everything (a new number was chosen)
  int m_editMode = 0;   // 0 master text, 1 fetch formula, 2 audit formula, 3 child values
  std::array<int, 10> m_changes{};
  std::string m_path;       // the .QLN file; empty for a new report
  std::string m_childPath;  // the open child table's .BSJ file
  int m_childOpen = 0;
  int m_readOnly = 0;
  int m_storage = SM_RILO_FILE;
  int m_nNo = -1;       // the report's number in the data file; -1 not yet stored
  std::string m_subNo;  // the open child table's number in the data file
  // Row and column insertions (positive counts) and deletions since the last save: first
  // column, first row, column count, row count.
  std::vector<SmIntRect> m_structureChanges;

 private:
  bool AskPassword(const std::string& password, const std::string& name);
  bool AskDbPasswords();
  bool OpenChildFile();
  void SaveCopy();
};

// One request to open a report window.
struct SmRiloOpenRequest {
  std::string path;  // file storage: the .QLN or .BSJ file; empty for a new report
  int storage = SM_RILO_FILE;
  int nNo = -1;
  std::string subNo;
  int readOnly = 0;
  bool visible = true;
};

class CRiloDocTemplate : public CSmMultiDocTemplate {
 public:
  static constexpr int kResourceId = 304;
  static constexpr const char* kDocTypeName = "Rilo.Document";

  CRiloDocTemplate();

  // Opens an existing report (data file with a number, or file with a path) or makes a new
  // one, in its own window. Null when nothing was opened; the open windows stay as they were.
  CRiloDoc* OpenReportDocument(const SmRiloOpenRequest& request);

  int m_untitledCount = 0;
};

// The report designer's open dialog: several files and the box "以只读方式打开".
class CRiloFileDialog {
 public:
  CRiloFileDialog(const std::string& title, const std::string& filter)
      : m_title(title), m_filter(filter) {}
  // True when the user chose files.
  bool DoModal();

  int m_readOnly = 0;
  std::vector<std::string> m_names;

 private:
  std::string m_title;
  std::string m_filter;
};

// A filter of the class library's form ("text|patterns|...||") in Qt's form.
std::string SmQtFileFilter(const std::string& filter);
