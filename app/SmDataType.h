#pragma once
// A module plugs into the shell as a data type: created once by the application, registered in
// its list with its document templates, shown as one page of the template box and called by the
// application's broadcasts in registration order.
#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/SmDocument.h"
#include "ui/SmPrintHooks.h"

class QLabel;
class QMenu;
class CCaculate;
class CSmDatabase;
class CSmVarTable;

class CSmTemplateBox;

using CSmStringList = std::vector<std::string>;

class CSmDataType {
 public:
  CSmDataType() = default;
  virtual ~CSmDataType();
  CSmDataType(const CSmDataType&) = delete;
  CSmDataType& operator=(const CSmDataType&) = delete;

  // Runs once right after creation; derived classes register their templates and call Register.
  virtual void Init() { LoadTabLabel(); }
  // The tab label from the value "tablabel_%d" under the program key, when it exists.
  virtual void LoadTabLabel();
  // Makes the template-box page window; false fails the creation of the box.
  virtual bool CreatePage(CSmTemplateBox* /*box*/) { return true; }
  virtual void RefreshPage() {}
  virtual void LoadListStyle() {}
  virtual void SaveListStyle() {}
  virtual void CreateTables(CSmDatabase* /*db*/) {}
  // Writes the module's default report variables into a new data file.
  virtual void SetDefaultVariables(CSmDatabase* db, int year);
  // The module's document kinds as item codes (made into rights with the module number).
  virtual void GetDocumentRights(CSmStringList& /*codes*/, CSmStringList& /*names*/) {}
  // Complete 4-character right codes with their names.
  virtual void GetExtraRights(CSmStringList& /*codes*/, CSmStringList& /*names*/) {}
  // One entry per place that stores a code of the column: table, column, Jet condition and
  // server condition (empty means the Jet one).
  virtual void GetCodeReferences(const std::string& /*column*/, CSmStringList& /*tables*/,
                                 CSmStringList& /*columns*/, CSmStringList& /*jetConditions*/,
                                 CSmStringList& /*serverConditions*/) {}
  // `data` is the caller's record (a print settings record for the print defaults).
  virtual void OnNotify(int /*flag*/, const std::string& /*text*/, void* /*data*/) {}
  virtual void AfterCopySystemTables(CSmDatabase* /*source*/, CSmDatabase* /*target*/) {}
  // Year-end carry-over. The type's items: a code (item number 0 to 99, optionally a sub-code
  // in the hundreds), the caption shown and the blank-separated tables the item fills.
  virtual void ListCarryOverItems(std::vector<int>& /*codes*/, CSmStringList& /*captions*/,
                                  CSmStringList& /*tables*/) {}
  // -1 when the item cannot be carried now, 1 when only after a question, 0 when it can; a
  // non-zero answer may set a message line. By default: 0 while every table of the item is
  // empty in the target, else -1 with "%s：已有记录，不能结转！".
  virtual int CanCarryOver(int subCode, int item, const std::string& caption,
                           const std::string& tables, CSmDatabase* source, CSmDatabase* target,
                           std::string& message);
  // Copies the item from the previous year's file into the new one; progress text may go to
  // `status`. False when the copy failed (the type has said why).
  virtual bool CarryOver(int /*subCode*/, int /*item*/, CSmDatabase* /*source*/,
                         CSmDatabase* /*target*/, QLabel* /*status*/) {
    return true;
  }
  virtual bool CheckText(int /*kind*/, const std::string& /*text*/, const std::string& /*other*/) {
    return true;
  }
  virtual void OnNotifyText(int /*kind*/, const std::string& /*text*/,
                            const std::string& /*other*/) {}
  // A business month (1 to 12 start days, 13 the year end) about to change, as yyyymmdd.
  virtual bool CanChangeBizMonth(int /*month*/, const std::string& /*newValue*/,
                                 const std::string& /*oldValue*/) {
    return true;
  }
  virtual void OnBizMonthChanged(int /*month*/, const std::string& /*newValue*/,
                                 const std::string& /*oldValue*/) {}
  // A formula function of the module (`args` without the brackets): non-zero when handled,
  // with the result and its type (4 number, 5 text) set.
  virtual int CallFunction(CCaculate* /*calc*/, const std::string& /*name*/,
                           const std::string& /*args*/, std::string& /*result*/, int& /*type*/) {
    return 0;
  }
  virtual void GetPrintVariables(int /*group*/, CSmPrintVarList& /*rows*/) {}
  virtual std::string GetFormatText() { return {}; }
  // Writes the module's interface data files into the current directory.
  virtual void ExportData() {}
  // Appends the module's default report variables to a variable table.
  virtual void GetDefaultVars(CSmVarTable& /*vars*/) {}
  // The module's Settings menu, or null.
  virtual QMenu* GetContextMenu() { return nullptr; }
  virtual bool OpenLogView() { return false; }
  virtual void OnFileNew() {}
  // Whether 文件 ▸ 新建 makes something from what the page has chosen; it is greyed otherwise.
  virtual bool CanFileNew() { return true; }
  virtual void OnFileOpen() {}
  // Operation names of the shell's group 0 and of the module's own group.
  virtual void GetLogTaskNames(std::vector<int>& /*codes*/, CSmStringList& /*names*/) {}
  virtual void GetItemNames(std::vector<int>& /*codes*/, CSmStringList& /*names*/) {}
  virtual void OnBusyHook(int /*kind*/, const std::string& /*text*/) {}

  // Appends this data type to the application's list and its template (may be null) to the
  // application's document templates.
  void Register(std::unique_ptr<CSmMultiDocTemplate> docTemplate);
  // Stores the tab label after a rename.
  bool SaveTabLabel();

  int m_number = -1;     // module number
  int m_resourceId = 0;  // icon of the tab, menu of the Settings menu
  std::string m_tabLabel;
  int m_pageCount = 1;       // 1 with a template-box page, 0 without
  QPointer<QWidget> m_page;  // the template-box page window, once made

 protected:
  std::string TabLabelValueName() const;
};
