#pragma once
// The report designer's data type (module 3): its number, resource, tab label, registration,
// operation names and default report variables.
#include "app/SmDataType.h"

class CRiloDoc;

class CBbDataType : public CSmDataType {
 public:
  void Init() override;
  void GetItemNames(std::vector<int>& codes, CSmStringList& names) override;
  // The report tree of the open data file.
  bool CreatePage(CSmTemplateBox* box) override;
  // Refills the report tree from the data file now open (after each log-in).
  void RefreshPage() override;
  // 新建 and 打开 of the File menu: the report tree's add and open on its chosen entry.
  void OnFileNew() override;
  void OnFileOpen() override;
  // A report's variables are written with the report; a new data file gets none.
  void SetDefaultVariables(CSmDatabase* /*db*/, int /*year*/) override {}
  // The default report variables, in the form of the application's back end; the two that
  // name the unit follow only when the data file holds the table BmYs.
  void GetDefaultVars(CSmVarTable& vars) override;
  // Creates the report tables in a data file that has none, or brings the single-level layout
  // of older files up to child paths and a catalogue; the tables of the oldest storage go.
  void CreateTables(CSmDatabase* db) override;
  // One item, the report layouts ("报表表样"): every report table but the child tables' cells.
  void ListCarryOverItems(std::vector<int>& codes, CSmStringList& captions,
                          CSmStringList& tables) override;
  // Copies the report layouts and the whole catalogue in one transaction for item 0; nothing
  // for any other item. False when a table could not be copied (nothing is kept then).
  bool CarryOver(int subCode, int item, CSmDatabase* source, CSmDatabase* target,
                 QLabel* status) override;
  // The report module's formula functions, for a report evaluator (CCaculateChild): 1 done,
  // -1 failed with the evaluator's error set, 0 not one of them (also for other evaluators).
  int CallFunction(CCaculate* calc, const std::string& name, const std::string& args,
                   std::string& result, int& type) override;

  // Opens a report in its own window: the file at `path`, or with `fromDb` the data file's
  // report `nNo` and child `subNo`. Null when none opened, or no report template is registered.
  static CRiloDoc* OpenReport(const std::string& path, bool fromDb, int nNo,
                              const std::string& subNo, bool readOnly);
  // The open dialog of report files: every file chosen opens in its own window, in order.
  static void OpenReportFiles();
};
