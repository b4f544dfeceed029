#pragma once
// The framework's application: the data environment with the one connection, the registered
// module data types, the selected software-module descriptor, the dialog positions and the
// current work session, the start-up and shutdown orders and the broadcasts to the modules.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/SmArchiveHook.h"
#include "app/SmDataType.h"
#include "app/SmEnvironment.h"
#include "app/SmModuleInfo.h"
#include "app/SmNewYearFileHook.h"
#include "app/SmOpLog.h"
#include "app/SmWinApp.h"
#include "core/SmVarCaculate.h"
#include "ui/SmDlgPosStore.h"

class QMenu;
class QDialog;

class CSmApp : public CSmWinApp {
 public:
  CSmApp();
  ~CSmApp() override;

  // Start-up: splash, data types, descriptor, dialog positions, main frame, command line,
  // main window shown, updater, file association, engine test, log-in.
  bool InitInstance(const std::vector<std::string>& args) override;
  // Shutdown: dialog positions saved, work session ended, connection closed.
  int ExitInstance() override;

  // ---- accessors
  virtual CSmDatabase* GetDatabase() { return m_env.GetDatabase(); }
  // 0 Access/Jet file, 1 ODBC, 2 server by name.
  virtual int GetDatabaseKind() { return m_env.GetDatabaseKind(); }

  // ---- broadcasts to the data types, in registration order
  int GetPrintVariables(int group, CSmPrintVarList& rows) override;
  virtual void NotifyTypes(int flag, const std::string& text, void* data);
  virtual bool ApproveText(int /*kind*/, const std::string& /*text*/) { return true; }
  virtual bool AllTypesAgree(int kind, const std::string& text, const std::string& other);
  virtual void NotifyTypesText(int kind, const std::string& text, const std::string& other);
  // Asks every data type until one refuses; then tells them all.
  bool CanChangeBizMonth(int month, const std::string& newValue, const std::string& oldValue);
  void OnBizMonthChanged(int month, const std::string& newValue, const std::string& oldValue);
  // "pzt(1)", the business month that holds today, and then the data types' functions.
  virtual int CallFunction(CCaculate* calc, const std::string& name, const std::string& args,
                           std::string& result, int& type);
  // Every data type runs its busy hook under the wait cursor.
  virtual void RunTypesBusy(int kind, const std::string& text);
  virtual std::string GetFormatText();

  // ---- product hooks
  virtual void GetModuleInfos(std::vector<CSmModuleInfo>& /*infos*/) {}
  virtual void CreateDataTypes() {}
  virtual void OnTemplateBoxRebuilt(CSmTemplateBox* /*box*/) {}
  virtual std::string GetFormatFileName() { return "GSSM.TXT"; }
  virtual int GetDataVersion() { return 8; }
  virtual std::string GetVersion() { return "5.0"; }
  virtual int GetModuleNumber() { return 5; }
  virtual bool HasYearFiles() { return true; }
  virtual void AdjustSystemMenu(QMenu* /*menu*/) {}

  // ---- system tables and the broadcasts over every data file
  // The shell's tables of a data file, when SYSTAB is missing.
  virtual void CreateSystemTables(CSmDatabase* db);
  // After every opening: system, print and log tables, then every data type's tables.
  virtual void AfterOpen(CSmDatabase* db);
  // The rows a new data file of the year starts with.
  virtual void InsertDefaultRows(CSmDatabase* db, int year);
  virtual void GetRightList(CSmStringList& codes, CSmStringList& names);
  // False when some module still stores the code (a number when `value` is given).
  virtual bool CountWhere(CSmDatabase* db, const std::string& column, const std::string& text,
                          const int* value = nullptr);
  virtual void UpdateWhere(CSmDatabase* db, const std::string& column, const std::string& oldText,
                           const std::string& newText, const int* oldValue = nullptr,
                           const int* newValue = nullptr);
  // False when a table could not be copied whole.
  virtual bool CopySystemTables(CSmDatabase* source, CSmDatabase* target);
  // The carry-over items of every data type in registration order, each code raised by its
  // type's number x 1000; within a type, an item of code 100 or more whose item number an earlier
  // such item had is left out.
  virtual void ListCarryOverItems(std::vector<int>& codes, CSmStringList& captions,
                                  CSmStringList& tables);
  // Operation names of group 0 and every data type's; the number of entries.
  virtual int GetLogTaskNames(std::vector<int>& codes, CSmStringList& names);

  // ---- table documents
  // A fresh evaluator for one computation of a document's formula columns ("#c1" ... are its
  // variables); the report designer gives one that also reaches its own functions.
  virtual std::unique_ptr<CSmVarCaculate> CreateColumnEvaluator() {
    return std::make_unique<CSmVarCaculate>();
  }
  // Templates being opened: each table document appends " %d " with its template number; the
  // template list empties it after each opening.
  std::string OpeningTemplates;

  // ---- log-in
  // Start-up (with the file named on the command line, or empty), "操作环境注册 ..." and after
  // a restore: the open-data-file dialog, then the chosen file on the application's connection
  // with everything that depends on it. True when a data file is open at the end.
  virtual bool LogIn(const std::string& file);
  // "操作员及操作权限 ..." and "设置或更改口令": the operator dialogs on the open data file.
  virtual void OnOperators();
  virtual void OnPassword();

  // ---- derived texts
  // "A" for an Access data file, else "S".
  std::string GetBackEndLetter();
  // "%s%s%s": back-end letter, version, suffix ("A5.0").
  std::string GetProgramKeyText();
  // "%s%s.%d%s": back-end letter, version, module number, suffix ("A5.0.15").
  std::string GetVersionText();
  // "Software\reduvor\%s\%s" with the document type and the version.
  std::string GetSmRegKey();

  // ---- descriptor
  // Copies the descriptor of the current module id, else the first one; none leaves it.
  void SelectModuleInfo();
  int GetSmModuleId() const { return m_moduleInfo.m_id; }
  const std::string& GetDataFileExt() const { return m_moduleInfo.m_ext; }
  const std::string& GetSuffixText() const { return m_moduleInfo.m_suffix; }
  const std::string& GetDataFileCaption() const { return m_moduleInfo.m_fileCaption; }
  const std::string& GetDocType() const { return m_moduleInfo.m_docType; }
  const std::string& GetProductTitle() const { return m_moduleInfo.m_title; }

  // ---- data types
  // Keeps a data type for the life of the application; returns it.
  CSmDataType* AdoptDataType(std::unique_ptr<CSmDataType> type);
  CSmDataType* FindDataType(int number) const;
  // The data type of a template-box page index (types without a page have no tab).
  CSmDataType* DataTypeOfPage(int page) const;
  // The selected template-box page, or -1 (the main frame's template box answers).
  virtual int GetSelectedPage() const;
  virtual void ShowTemplateBox(bool show);
  // Shows the template box with the focus on its current page.
  void FocusTemplateBox();
  // After a log-in: the shown data types get their tabs, the saved page is selected and the
  // title is updated.
  void ShowModulePages();
  // After a log-in: the template box takes its saved size and place ("TemplateBoxState").
  void ApplyTemplateBoxState();

  // ---- rights of the logged-in operator
  bool HasRightCode(const std::string& code) const;
  // Whether the logged-in operator is the administrator "101".
  bool IsAdministrator() const { return m_env.GetOperatorNo() == "101"; }

  // ---- commands of the File and System menus (SmAppCommands.cpp)
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;
  // Commands whose dialogs live above this layer (the data-file administration): the program
  // installs them at start-up. Without one the command answers that it is not built yet.
  using SmCommandHook = std::function<void(CSmApp&)>;
  void SetCommandHook(int id, SmCommandHook hook) { m_commandHooks[id] = std::move(hook); }
  bool HasCommandHook(int id) const { return m_commandHooks.count(id) != 0; }
  // The new-yearly-data-file dialog of the log-in, installed like the commands; without one
  // it answers that it is not built yet (false).
  void SetNewYearFileHook(SmNewYearFileHook hook) { m_newYearFileHook = std::move(hook); }
  bool RunNewYearFile(const SmNewYearFileRequest& request, QWidget* parent,
                      SmNewYearFileResult* result);
  // The backup archive, installed like the commands; its members are empty until then.
  void SetArchiveHook(SmArchiveHook hook) { m_archiveHook = std::move(hook); }
  const SmArchiveHook& ArchiveHook() const { return m_archiveHook; }
  // The account-set search of the log-in dialog, installed like the commands: the data file
  // chosen, or empty. Without one the log-in dialog offers no search.
  using SmBookSearchHook = std::function<std::string(CSmApp&, QWidget*)>;
  void SetBookSearchHook(SmBookSearchHook hook) { m_bookSearchHook = std::move(hook); }
  bool HasBookSearch() const { return static_cast<bool>(m_bookSearchHook); }
  std::string RunBookSearch(QWidget* parent) {
    return m_bookSearchHook ? m_bookSearchHook(*this, parent) : std::string();
  }
  // Whether the template box is shown (the main frame answers).
  virtual bool IsTemplateBoxVisible() const;

  // ---- start-up pieces
  // Parameter text of the updater: "\n%s\n%s\n%s\n%s\n%s\n%s\n%d\n%d".
  std::string BuildUpdaterParameters(const std::string& programFolder, int updaterFlag);
  virtual void RunUpdater();
  // Tests the embedded data engine on its test database; false ends start-up.
  virtual bool CheckDataEngine();
  // Folder of the engine's test database: a writable folder of the user's data.
  virtual std::string GetEngineTestFolder();

  CSmModuleInfo m_moduleInfo;
  std::vector<CSmDataType*> m_dataTypes;
  CSmEnvironment m_env;
  CSmOpLog m_opLog;
  CSmDlgPosStore m_dlgPos;
  // Exit code of a start-up that failed for a reason to report (a bad file named to it).
  int m_exitCode = 0;
  // Ends the process at once (no data file can be opened any more).
  virtual void ExitProcess(int code);

 protected:
  virtual void ShowSplash();
  virtual void HideSplash();
  // Dialog positions, kept by the dialog toolkit's position store.
  virtual void LoadDialogPositions();
  virtual void SaveDialogPositions();
  // A switch after which no data file opens: says which file was lost and ends with code 1.
  void EndForLostFile();
  virtual std::unique_ptr<CSmFrameWnd> CreateMainFrame();
  virtual void ShowMainWindow();
  virtual bool RegisterDataFileType();
  // Creates or opens the test database and closes it again; false when the engine fails.
  virtual bool TestDataEngine(const std::string& path);

 private:
  int CallBusinessMonth(CCaculate* calc, const std::string& args, std::string& result, int& type);

  std::vector<std::unique_ptr<CSmDataType>> m_ownedTypes;
  std::map<int, SmCommandHook> m_commandHooks;
  SmNewYearFileHook m_newYearFileHook;
  SmArchiveHook m_archiveHook;
  SmBookSearchHook m_bookSearchHook;
  std::unique_ptr<QDialog> m_splash;
};

// The application object as the framework's application, or null.
CSmApp* SmGetApp();
CSmDatabase* GetSmDatabase();
CSmDataType* GetActiveSmModule();
CSmDataType* FindSmDataType(int number);
int GetSmModuleId();
bool IsSmDocumentOpen();

// The right of an item of a module: the right-most four characters of "%d%s" of the module
// number plus 100 and the item ("1601" for module 16, item "01").
std::string SmRightCode(int module, const std::string& item);
bool HasSmRight(int module, const std::string& item);
bool HasSmRightCode(const std::string& code);
