#include "forms/SmFormDataType.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QMenu>
#include <cstdlib>

#include "app/SmApp.h"
#include "app/SmTemplateBox.h"
#include "core/SmRegKey.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmLogDoc.h"
#include "forms/SmTemplateList.h"
#include "platform/SmCommandIds.h"
#include "res/SmResource.h"

CFormDataType::~CFormDataType() = default;

void CFormDataType::Init() {
  LoadTabLabel();
  RegisterLogTemplate();
}

// The log template belongs to no module; the first form module registers it for all.
void CFormDataType::RegisterLogTemplate() {
  CSmApp* app = SmGetApp();
  if (!app) return;
  for (const auto& registered : app->m_docManager.Templates()) {
    auto* found = dynamic_cast<CSmDocTemplate*>(registered.get());
    if (found && found->m_module == 0) return;
  }
  auto log = std::make_unique<CSmDocTemplate>(
      SM_IDR_EMPTY_MENU, [] { return std::make_unique<CSmLogDoc>(); },
      [] { return new CFormChildFrm; }, [](CSmDocument*, CSmChildFrame*) { return new CSmLogView; },
      kSmLogTemplate, 1);
  log->m_module = 0;
  log->AddKind(0, "操作日志", "操作日志查询", 1, "0001", 130, 0);
  app->m_docManager.AddDocTemplate(std::move(log));
}

bool CFormDataType::CreatePage(CSmTemplateBox* box) {
  return CreateTemplateList(box->PageParent());
}

bool CFormDataType::CreateTemplateList(QWidget* parent) {
  auto* list = new CSmTemplateList(this, parent);
  m_page = list;
  list->Refresh();
  return true;
}

CSmTemplateList* CFormDataType::TemplateList() const {
  return dynamic_cast<CSmTemplateList*>(m_page.data());
}

void CFormDataType::RefreshPage() {
  if (CSmTemplateList* list = TemplateList()) list->Refresh();
}

namespace {

std::string ListStyleValueName(int module) {
  return "ListStyle_" + std::to_string(module);
}

}  // namespace

void CFormDataType::LoadListStyle() {
  CSmApp* app = SmGetApp();
  CSmTemplateList* list = TemplateList();
  if (!app || !list) return;
  std::string style;
  if (!CSmRegKey().Open(SM_HKEY_CURRENT_USER, app->GetSmRegKey(), ListStyleValueName(m_number),
                        style)) {
    return;
  }
  list->SetViewMode(std::atoi(style.c_str()));
}

void CFormDataType::SaveListStyle() {
  CSmApp* app = SmGetApp();
  CSmTemplateList* list = TemplateList();
  if (!app || !list) return;
  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, app->GetSmRegKey(), ListStyleValueName(m_number),
                       std::to_string(list->ViewMode()));
}

QMenu* CFormDataType::GetContextMenu() {
  if (!m_contextMenu) {
    std::vector<QMenu*> popups = SmLoadMenu(m_resourceId, nullptr);
    if (popups.empty()) return nullptr;
    m_contextMenu.reset(popups.front());
    for (size_t i = 1; i < popups.size(); ++i) delete popups[i];
  }
  return m_contextMenu.get();
}

bool CFormDataType::OpenLogView() {
  CSmApp* app = SmGetApp();
  if (!app) return false;
  for (const auto& registered : app->m_docManager.Templates()) {
    auto* log = dynamic_cast<CSmDocTemplate*>(registered.get());
    if (!log || log->m_module != 0 || log->m_number != kSmLogTemplate || log->m_kinds.empty()) {
      continue;
    }
    if (!log->CreateNewDocument()) return false;
    if (log->OpenDocumentOfKind(log->m_kinds.front(), 1, true, false)) {
      app->ShowTemplateBox(false);
    }
    return true;
  }
  return false;
}

std::vector<CSmDocTemplate*> CFormDataType::Templates() const {
  std::vector<CSmDocTemplate*> found;
  CSmApp* app = SmGetApp();
  if (!app) return found;
  for (const auto& registered : app->m_docManager.Templates()) {
    auto* docTemplate = dynamic_cast<CSmDocTemplate*>(registered.get());
    if (docTemplate && docTemplate->m_module == m_number) found.push_back(docTemplate);
  }
  return found;
}

CSmDocTemplate* CFormDataType::FindTemplate(int templateNumber) const {
  for (CSmDocTemplate* docTemplate : Templates()) {
    if (docTemplate->m_number == templateNumber) return docTemplate;
  }
  return nullptr;
}

CSmDocTemplate* CFormDataType::FindKind(int templateNumber, int kindNumber,
                                        CSmDocKind& kind) const {
  CSmDocTemplate* docTemplate = FindTemplate(templateNumber);
  if (!docTemplate) return nullptr;
  for (const CSmDocKind& candidate : docTemplate->m_kinds) {
    if (candidate.nNumber != kindNumber) continue;
    kind = candidate;
    return docTemplate;
  }
  return nullptr;
}

CSmDocTemplate* CFormDataType::KindByIndex(int index, int& templateNumber, CSmDocKind& kind) const {
  if (index < 0) return nullptr;
  for (CSmDocTemplate* docTemplate : Templates()) {
    const int count = static_cast<int>(docTemplate->m_kinds.size());
    if (index >= count) {
      index -= count;
      continue;
    }
    templateNumber = docTemplate->m_number;
    kind = docTemplate->m_kinds[index];
    return docTemplate;
  }
  return nullptr;
}

int CFormDataType::IndexOfKind(int templateNumber, int kindNumber) const {
  int index = 0;
  for (CSmDocTemplate* docTemplate : Templates()) {
    for (const CSmDocKind& kind : docTemplate->m_kinds) {
      if (docTemplate->m_number == templateNumber && kind.nNumber == kindNumber) return index;
      ++index;
    }
  }
  return -1;
}

bool CFormDataType::CanFileNew() {
  CSmTemplateList* list = TemplateList();
  return list && list->IsCommandEnabled(SM_ID_LIST_ADD);
}

void CFormDataType::ActOnSelectedKind(int openMode, bool propertiesOnly) {
  auto* list = qobject_cast<QAbstractItemView*>(m_page.data());
  if (!list || !list->selectionModel()) return;
  const QModelIndexList selected = list->selectionModel()->selectedRows();
  if (selected.size() != 1) return;
  int templateNumber = 0;
  CSmDocKind kind;
  CSmDocTemplate* docTemplate = KindByIndex(selected.front().row(), templateNumber, kind);
  if (!docTemplate || !kind.bEnabled || (kind.bOpenOnly && openMode == 0)) return;
  if (!docTemplate->OpenDocumentOfKind(kind, openMode, true, propertiesOnly)) return;
  CSmApp* app = SmGetApp();
  app->ShowTemplateBox(false);
  app->OpeningTemplates.clear();
}
