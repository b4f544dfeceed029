#include "forms/SmTemplateList.h"

#include <QApplication>
#include <QIconEngine>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cstdio>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "forms/SmFormDef.h"
#include "forms/SmFormStructure.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "ui/SmPrintJob.h"

namespace {

const char* const kCopyPrefix = "复件_";

// The list's view commands in the order of the view modes.
constexpr unsigned kViewCommands[] = {SM_ID_VIEW_LARGEICON, SM_ID_VIEW_DETAILS,
                                      SM_ID_VIEW_SMALLICON, SM_ID_VIEW_LIST};

std::string CopyTitle(const std::string& title) {
  return title.starts_with(kCopyPrefix) ? title : kCopyPrefix + title;
}

// A kind's icon drawn in one mode (greyed for a kind without the right) at whatever size a view
// asks: a theme that has only the small picture of an icon has it enlarged, so that every row of
// the large view shows its icon at one size. The pictures are made when the list first paints
// them, not when it is filled, and the theme is looked up then too.
class CKindIconEngine : public QIconEngine {
 public:
  CKindIconEngine(int id, QIcon::Mode look) : m_id(id), m_look(look) {}

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/) override {
    const int side = std::min(size.width(), size.height());
    if (m_icon.isNull()) m_icon = SmLoadKindIcon(m_id);
    QPixmap picture = m_icon.pixmap(side, side, m_look);
    if (!picture.isNull() && picture.width() < side)
      picture = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (mode == QIcon::Normal || picture.isNull()) return picture;
    // Selected and disabled looks are made from the drawn picture, as for any other icon.
    QStyleOption option;
    option.palette = QGuiApplication::palette();
    return QApplication::style()->generatedIconPixmap(mode, picture, &option);
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
  }

  QSize actualSize(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
    const int side = std::min(size.width(), size.height());
    return {side, side};
  }

  QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
    return {QSize(16, 16), QSize(32, 32)};
  }

  QIconEngine* clone() const override { return new CKindIconEngine(m_id, m_look); }

 private:
  int m_id;
  QIcon::Mode m_look;
  QIcon m_icon;  // the kind's icon once a picture was asked for
};

QIcon SizedKindIcon(int id, QIcon::Mode mode) {
  return QIcon(new CKindIconEngine(id, mode));
}

}  // namespace

int SmNextFreeKindNumber(CSmDatabase* db, int templateNumber, int last) {
  std::vector<std::string> used;
  if (db) {
    db->QueryStrings(FormatStr("SELECT nForm FROM SmFormList WHERE nFlag=%d", templateNumber),
                     &used, 1);
  }
  int number = last + 1;
  while (std::find(used.begin(), used.end(), std::to_string(number)) != used.end()) ++number;
  return number;
}

CSmTemplateList::CSmTemplateList(CFormDataType* type, QWidget* parent)
    : CSmListCtrl(parent), m_type(type), m_module(type->m_number) {
  setObjectName(QString::number(kControlId));
  Initialize();
  SetColumns({250, 60, 40, 600}, {"文档模板", "模板号", "序号", "功能说明"});
  SetViewMode(0);
}

void CSmTemplateList::SetViewMode(int mode) {
  m_viewMode = mode & 3;
  CSmListCtrl::OnCommand(kViewCommands[m_viewMode]);
}

bool CSmTemplateList::OnCommand(unsigned id) {
  for (int mode = 0; mode < 4; ++mode) {
    if (kViewCommands[mode] != id) continue;
    SetViewMode(mode);
    return true;
  }
  switch (id) {
    case SM_ID_ADD_TEMPLATE:
      AddTemplate();
      return true;
    case SM_ID_DOC_PROPERTIES:
      m_type->EditSelectedKind();
      return true;
    case SM_ID_EXPORT_STRUCTURE:
      ExportStructure();
      return true;
    case SM_ID_IMPORT_STRUCTURE:
      SmImportFormStructure(*m_type);
      return true;
    case SM_ID_RENAME_PAGE:
    case SM_ID_TEMPLATE_BOX:
      CSmCommandManager::Instance().SendToMain(static_cast<int>(id));
      return true;
    default:
      return CSmListCtrl::OnCommand(id);
  }
}

int CSmTemplateList::RowOf(int templateNumber, int kindNumber) const {
  for (size_t row = 0; row < m_templates.size(); ++row) {
    if (m_templates[row] == templateNumber && m_kinds[row] == kindNumber) {
      return static_cast<int>(row);
    }
  }
  return -1;
}

std::vector<int> CSmTemplateList::SelectedRows() const {
  std::vector<int> rows;
  for (int row = 0; row < RowCount(); ++row) {
    if (topLevelItem(row)->isSelected()) rows.push_back(row);
  }
  return rows;
}

void CSmTemplateList::SelectRows(const std::vector<int>& rows) {
  clearSelection();
  for (int row : rows) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) continue;
    item->setSelected(true);
    scrollToItem(item);
    selectionModel()->setCurrentIndex(indexFromItem(item), QItemSelectionModel::NoUpdate);
  }
}

CSmDocTemplate* CSmTemplateList::SelectedKind(CSmDocKind& kind) const {
  const int row = FirstSelected();
  if (row < 0 || row >= static_cast<int>(m_templates.size())) return nullptr;
  return m_type->FindKind(m_templates[row], m_kinds[row], kind);
}

bool CSmTemplateList::IsUserFormRow(int row) const {
  CSmDocKind kind;
  return m_type->FindKind(m_templates[row], m_kinds[row], kind) && kind.bUserForm;
}

// ------------------------------------------------------------------ rows

void CSmTemplateList::LoadUserForms() {
  CSmDatabase* db = GetSmDatabase();
  for (CSmDocTemplate* docTemplate : m_type->Templates()) {
    auto& kinds = docTemplate->m_kinds;
    std::erase_if(kinds, [](const CSmDocKind& kind) { return kind.bUserForm; });
    if (!docTemplate->m_userForms || !db || !db->IsOpen() || kinds.empty()) continue;
    // A user form is a further form of the template's documents: it takes the right, icon and
    // open-only flag of the template's first kind.
    const CSmDocKind model = kinds.front();
    CSmQuery query(1, 0, 1, db);
    if (!query.Open(FormatStr("SELECT nForm,rtrim(sFna) FROM SmFormList WHERE nFlag=%d And "
                              "nOpen<>0 ORDER BY nForm",
                              docTemplate->m_number))) {
      continue;
    }
    for (; !query.IsEOF(); query.MoveNext()) {
      const int number = static_cast<int>(query.GetInt(0));
      const bool known = std::any_of(kinds.begin(), kinds.end(), [&](const CSmDocKind& kind) {
        return kind.nNumber == number;
      });
      if (known) continue;
      std::string name = query.GetString(0);
      if (name.starts_with('\n')) name.erase(0, 1);
      docTemplate->AddKind(number, name, "", model.bOpenOnly, model.sRight, model.nIcon, 1);
    }
  }
}

void CSmTemplateList::Refresh() {
  std::vector<int> chosen = SelectedRows();
  LoadUserForms();
  SetDatabase(GetSmDatabase());
  clear();
  m_templates.clear();
  m_kinds.clear();
  CSmApp* app = SmGetApp();
  for (CSmDocTemplate* docTemplate : m_type->Templates()) {
    for (CSmDocKind& kind : docTemplate->m_kinds) {
      AddRow({kind.sName, std::to_string(docTemplate->m_number), std::to_string(kind.nNumber),
              kind.sShortName});
      m_templates.push_back(docTemplate->m_number);
      m_kinds.push_back(kind.nNumber);
      kind.bEnabled = app && app->HasRightCode(kind.sRight);
      ShowRight(topLevelItem(RowCount() - 1), kind);
    }
  }
  // The rows chosen before stay chosen, else the first: the focus shows on a row Enter opens.
  std::erase_if(chosen, [this](int row) { return row >= RowCount(); });
  if (chosen.empty() && RowCount() > 0) chosen.push_back(0);
  SelectRows(chosen);
}

// A kind the operator holds no right to is greyed, its icon dimmed: a look to read, nothing
// to click.
void CSmTemplateList::ShowRight(QTreeWidgetItem* item, const CSmDocKind& kind) {
  item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
  item->setData(0, kRightRole, kind.bEnabled);
  item->setIcon(0, SizedKindIcon(kind.nIcon, kind.bEnabled ? QIcon::Normal : QIcon::Disabled));
  if (kind.bEnabled) return;
  const QBrush grey = palette().brush(QPalette::Disabled, QPalette::Text);
  for (int column = 0; column < columnCount(); ++column) {
    item->setForeground(column, grey);
    item->setToolTip(column, "没有使用此文档的权限");
  }
}

bool CSmTemplateList::HasRight(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item && item->data(0, kRightRole).toBool();
}

// ------------------------------------------------------------------ commands

bool CSmTemplateList::CommandAllowed(unsigned id) {
  const std::vector<int> rows = SelectedRows();
  CSmDocKind kind;
  CSmDocTemplate* docTemplate = SelectedKind(kind);
  switch (id) {
    case SM_ID_LIST_ADD:
      return rows.size() == 1 && docTemplate && kind.bEnabled && !kind.bOpenOnly;
    case SM_ID_LIST_OPEN:
    case SM_ID_DOC_PROPERTIES:
    case SM_ID_EDIT_COPY:
      return docTemplate && kind.bEnabled;
    case SM_ID_LIST_DELETE:
      return rows.size() > 1 || (rows.size() == 1 && IsUserFormRow(rows.front()));
    case SM_ID_ADD_TEMPLATE:
      return rows.size() == 1 && docTemplate && docTemplate->m_userForms;
    case SM_ID_EXPORT_STRUCTURE:
      return !rows.empty();
    case SM_ID_IMPORT_STRUCTURE:
    case SM_ID_RENAME_PAGE:
    case SM_ID_TEMPLATE_BOX:
      return true;
    case SM_ID_LIST_MODIFY:
    case SM_ID_EDIT_CUT:
      return false;
    default:
      return CSmListCtrl::IsCommandEnabled(id);
  }
}

bool CSmTemplateList::IsCommandEnabled(unsigned id) {
  return m_type->IsListCommandEnabled(static_cast<int>(id)) && CommandAllowed(id);
}

void CSmTemplateList::CustomizeContextMenu(QMenu* popup) {
  QAction* cut = nullptr;
  for (QAction* action : popup->actions()) {
    const unsigned id = action->data().toUInt();
    if (id == SM_ID_EDIT_CUT) cut = action;
    if (id == SM_ID_LIST_MODIFY) popup->removeAction(action);
  }
  struct Entry {
    unsigned id;
    const char* text;
  };
  static const Entry kEntries[] = {
      {SM_ID_ADD_TEMPLATE, "增加文档模板(&A)"},
      {SM_ID_DOC_PROPERTIES, "文档属性 ..."},
      {SM_ID_EXPORT_STRUCTURE, "卸出文档结构 ..."},
      {SM_ID_IMPORT_STRUCTURE, "载入文档结构 ..."},
      {0, nullptr},
      {SM_ID_RENAME_PAGE, "修改模块标签标题 ..."},
      {SM_ID_TEMPLATE_BOX, "关闭文档模板框(&X)"},
      {0, nullptr},
  };
  for (const Entry& entry : kEntries) {
    if (entry.id == 0) {
      popup->insertSeparator(cut);
      continue;
    }
    auto* action = new QAction(QString::fromUtf8(entry.text), popup);
    action->setObjectName(QString::number(entry.id));
    action->setData(entry.id);
    popup->insertAction(cut, action);
  }
  if (cut) popup->removeAction(cut);
}

void CSmTemplateList::Add() {
  if (IsCommandEnabled(SM_ID_LIST_ADD)) m_type->NewSelectedKind();
}

void CSmTemplateList::Open() {
  if (IsCommandEnabled(SM_ID_LIST_OPEN)) m_type->OpenSelectedKind();
}

int CSmTemplateList::GetClipboardRows(std::vector<std::string>& rows) const {
  rows.clear();
  for (int row : SelectedRows()) {
    rows.push_back(FormatStr("%d %d", m_templates[row], m_kinds[row]));
  }
  return static_cast<int>(rows.size());
}

// ------------------------------------------------------------------ add, delete, paste

void CSmTemplateList::AddTemplate() {
  CSmDocKind selected;
  CSmDocTemplate* docTemplate = SelectedKind(selected);
  CSmDatabase* db = GetSmDatabase();
  if (!docTemplate || docTemplate->m_kinds.empty() || !db) return;
  const CSmDocKind& last = docTemplate->m_kinds.back();
  CSmStoredForm form;
  if (!SmLoadStoredForm(db, docTemplate->m_number, last.nNumber, form)) return;
  const int number = SmNextFreeKindNumber(db, docTemplate->m_number, last.nNumber);
  form.def.sFna = CopyTitle(form.def.sFna);
  form.def.nOpen = 1;
  if (!SmStoreForm(db, docTemplate->m_number, number, form)) return;
  Refresh();
  SelectRows({RowOf(docTemplate->m_number, number)});
  CSmOpLog(14, "增加文档模板：" + form.def.sFna);
}

void CSmTemplateList::ExportStructure() {
  std::vector<std::pair<int, int>> kinds;
  for (int row : SelectedRows()) kinds.emplace_back(m_templates[row], m_kinds[row]);
  if (!kinds.empty()) SmExportFormStructure(kinds);
}

void CSmTemplateList::Delete() {
  if (!IsCommandEnabled(SM_ID_LIST_DELETE)) return;
  if (SmMessageBox("真的要删除文档模扳吗？", SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return;
  CSmDatabase* db = GetSmDatabase();
  std::vector<int> kept;
  int deleted = 0;
  for (int row : SelectedRows()) {
    CSmDocKind kind;
    const bool userForm = m_type->FindKind(m_templates[row], m_kinds[row], kind) && kind.bUserForm;
    if (!userForm || !db || !DeleteFormDef(m_templates[row], m_kinds[row], db)) {
      kept.push_back(row - deleted);
      continue;
    }
    ++deleted;
    CSmOpLog(14, "删除文档模板：" + kind.sName);
  }
  Refresh();
  SelectRows(kept);
}

void CSmTemplateList::InsertPastedRows(const std::vector<std::string>& rows, bool /*cut*/,
                                       bool sameSource, CSmDatabase& source) {
  if (!source.IsOpen()) return;
  std::vector<std::pair<int, int>> pasted;
  for (const std::string& row : rows) {
    int templateNumber = 0;
    int kindNumber = 0;
    if (std::sscanf(row.c_str(), "%d%d", &templateNumber, &kindNumber) != 2) continue;
    PasteKind(templateNumber, kindNumber, sameSource, source, pasted);
  }
  std::vector<int> selected;
  for (const auto& [templateNumber, kindNumber] : pasted) {
    const int row = RowOf(templateNumber, kindNumber);
    if (row >= 0) selected.push_back(row);
  }
  SelectRows(selected);
}

void CSmTemplateList::PasteKind(int templateNumber, int kindNumber, bool sameSource,
                                CSmDatabase& source, std::vector<std::pair<int, int>>& pasted) {
  const unsigned refusal = SM_MB_OK | SM_MB_ICONERROR;
  CSmStoredForm form;
  if (!SmLoadStoredForm(&source, templateNumber, kindNumber, form)) {
    SmMessageBox(FormatStr("源文档模板(%d-%d)尚未存在盘，无法粘帖！", templateNumber, kindNumber),
                 refusal);
    return;
  }
  CSmDatabase* db = GetSmDatabase();
  if (!db) return;
  CSmDocKind existing;
  const bool exists = m_type->FindKind(templateNumber, kindNumber, existing) != nullptr;
  int number = kindNumber;
  if (!sameSource && exists) {
    if (SmMessageBox("〔" + existing.sName + "〕已存在，覆盖吗？",
                     SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) {
      return;
    }
  } else {
    CSmDocTemplate* docTemplate = m_type->FindTemplate(templateNumber);
    if (!docTemplate) {
      SmMessageBox(FormatStr("系统不能接受该种文档模扳：%d-%d！", templateNumber, kindNumber),
                   refusal);
      return;
    }
    if (!docTemplate->m_userForms) {
      SmMessageBox(FormatStr("系统不能产生该种文档模扳(%d-%d)的复件！", templateNumber, kindNumber),
                   refusal);
      return;
    }
    if (sameSource) {
      if (docTemplate->m_kinds.empty()) {
        SmMessageBox("文档模扳异常！", refusal);
        return;
      }
      number = SmNextFreeKindNumber(db, templateNumber, docTemplate->m_kinds.back().nNumber);
      form.def.sFna = CopyTitle(form.def.sFna);
    }
  }
  // Replacing a definition deletes the old one and writes the new one in one transaction.
  form.def.nOpen = 1;
  if (!SmStoreForm(db, templateNumber, number, form)) return;
  Refresh();
  pasted.emplace_back(templateNumber, number);
  CSmOpLog(14, "从" + source.GetFileName() + "粘贴文档模板：" + form.def.sFna);
}
