#include "app/SmDataType.h"

#include <QWidget>

#include "app/SmApp.h"
#include "app/SmVar.h"
#include "core/SmRegKey.h"
#include "platform/SmDocument.h"

// The page window may sit in the template box by now; deleting it takes it out of there.
CSmDataType::~CSmDataType() {
  delete m_page.data();
}

std::string CSmDataType::TabLabelValueName() const {
  return "tablabel_" + std::to_string(m_number);
}

// The label lives under the selected module's program key: before a descriptor is chosen there
// is nothing to read (start-up reads the labels again once it is).
void CSmDataType::LoadTabLabel() {
  CSmApp* app = SmGetApp();
  if (!app || app->GetDocType().empty()) return;
  std::string label;
  if (CSmRegKey().Open(SM_HKEY_CURRENT_USER, app->GetSmRegKey(), TabLabelValueName(), label)) {
    m_tabLabel = label;
  }
}

// Stored under the program key, where LoadTabLabel reads it, so that a renamed tab keeps its
// label at the next start.
bool CSmDataType::SaveTabLabel() {
  CSmApp* app = SmGetApp();
  if (!app) return false;
  return CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, app->GetSmRegKey(), TabLabelValueName(),
                              m_tabLabel);
}

void CSmDataType::Register(std::unique_ptr<CSmMultiDocTemplate> docTemplate) {
  CSmApp* app = SmGetApp();
  if (!app) return;
  app->m_dataTypes.push_back(this);
  if (docTemplate) app->m_docManager.AddDocTemplate(std::move(docTemplate));
}

// The variables of this module's group 0 are replaced by the module's defaults.
void CSmDataType::SetDefaultVariables(CSmDatabase* db, int /*year*/) {
  CSmVarTable vars;
  vars.m_nSoft = m_number;
  vars.m_nNo = 0;
  vars.SetDefaults();
  vars.SaveToDb(db);
}

int CSmDataType::CanCarryOver(const std::string& name, const std::string& tables, CSmDatabase* db,
                              std::string& message) {
  message.clear();
  CSmApp* app = SmGetApp();
  if (!app) return 0;
  size_t start = 0;
  while (start < tables.size()) {
    size_t end = tables.find(' ', start);
    if (end == std::string::npos) end = tables.size();
    const std::string table = tables.substr(start, end - start);
    start = end + 1;
    if (table.empty() || !app->TableHasRows(db, table)) continue;
    message = name + "：已有记录，不能结转！";
    return -1;
  }
  return 0;
}
