#include "forms/SmPublicSheet.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmDoc.h"
#include "forms/SmDocKind.h"
#include "forms/SmFormDataType.h"
#include "forms/SmPropertyPage.h"
#include "forms/SmPublicPages.h"
#include "forms/SmTemplateList.h"
#include "platform/SmMessage.h"
#include "ui/SmPrintInfo.h"
#include "ui/SmSpinCtrl.h"

namespace {

enum FormChange {
  kAnyChange = -1,
  kColumns = 0,
  kTopWords = 1,
  kHeadNotes = 2,
  kTitle = 3,
  kHeaderRows = 4,
  kFormNumber = 5,
  kPageSum = 6
};

// The first index where the two arrays differ, -1 when their sizes differ, -2 when equal.
template <class T>
int FirstDifference(const std::vector<T>& before, const std::vector<T>& after) {
  if (before.size() != after.size()) return -1;
  for (size_t i = 0; i < before.size(); ++i) {
    if (!(before[i] == after[i])) return static_cast<int>(i);
  }
  return -2;
}

CFormDataType* DataTypeOf(const CSmDoc& doc) {
  CSmApp* app = SmGetApp();
  return app ? dynamic_cast<CFormDataType*>(app->FindDataType(doc.m_module)) : nullptr;
}

}  // namespace

CSmPublicSheet::CSmPublicSheet(CSmDoc& doc, const std::string& caption, QWidget* parent,
                               int firstPage)
    : QDialog(parent), m_doc(doc) {
  setWindowTitle(QString::fromStdString(caption));
  const CSmFormDef& own = doc.m_formDef;
  m_def.Attach(doc.m_db, own.nFlag, own.nForm);
  if (doc.m_db && m_def.LoadList()) {
    m_def.LoadCols();
    m_def.LoadTopWords();
    m_def.LoadHeadNotes();
    doc.ApplyColumnVisibility(m_def);
  } else {
    m_def = own;
  }
  m_oldDef = m_def;

  m_tabs = new QTabWidget(this);
  m_page1 = new CSmPublicPage1(doc, m_def);
  m_page2 = new CSmPublicPage2(doc, m_def);
  m_page3 = new CSmPublicPage3(doc, m_def);
  m_page4 = new CSmPublicPage4(doc, m_def);
  for (CSmPropertyPage* page :
       std::initializer_list<CSmPropertyPage*>{m_page1, m_page2, m_page3, m_page4}) {
    m_tabs->addTab(page, page->Caption());
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setObjectName("1");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  cancel->setObjectName("2");
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

  // The general page is always set up: OK reads its header-row field.
  m_current = 0;
  m_page1->OnSetActive();
  connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) { OnPageChanged(index); });
  SetActivePage(firstPage);
  resize(960, 440);
}

CSmPublicSheet::~CSmPublicSheet() = default;

int CSmPublicSheet::DoModal() {
  return exec() == QDialog::Accepted ? SM_IDOK : SM_IDCANCEL;
}

CSmPropertyPage* CSmPublicSheet::Page(int index) const {
  return qobject_cast<CSmPropertyPage*>(m_tabs->widget(index));
}

void CSmPublicSheet::SetActivePage(int index) {
  if (index >= 0 && index < m_tabs->count()) m_tabs->setCurrentIndex(index);
}

void CSmPublicSheet::OnPageChanged(int index) {
  if (CSmPropertyPage* left = Page(m_current)) left->OnKillActive();
  m_current = index;
  if (CSmPropertyPage* page = Page(index)) page->OnSetActive();
}

bool CSmPublicSheet::CheckEdits() {
  if (CSmPropertyPage* page = Page(m_current)) page->OnKillActive();
  m_page1->OnKillActive();
  m_def.sFna = TrimChars(m_def.sFna);
  if (m_def.sFna.empty()) {
    SmMessageBox("标题名称不能为空，返回修改。");
    return false;
  }
  CSmSpinCtrl* spin = m_page1->HeaderRowSpin();
  const int rows = StrToIntDef(spin->Buddy()->text().toStdString(), 0);
  if (!spin->InRange(rows)) {
    SmMessageBox("栏头行数不合适，返回修改。");
    return false;
  }
  m_def.nTopNum = rows;
  std::string message;
  if (!m_def.CheckTopWords(message) &&
      SmMessageBox(message + "\n存盘吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES) {
    return false;
  }
  if (!(m_def == m_oldDef) && !m_doc.AllowFormChange(kAnyChange, -1, m_oldDef, m_def)) {
    return false;
  }
  return CheckFormNumber() && AllowPartChanges();
}

bool CSmPublicSheet::CheckFormNumber() {
  if (m_def.nForm == m_oldDef.nForm) return true;
  CSmFormDef stored;
  stored.Attach(m_doc.m_db, m_def.nFlag, m_def.nForm);
  CSmDocKind kind;
  CFormDataType* type = DataTypeOf(m_doc);
  const bool listed = type && type->FindKind(m_def.nFlag, m_def.nForm, kind);
  if (!stored.LoadList() && !listed) {
    return m_doc.AllowFormChange(kFormNumber, -1, m_oldDef, m_def);
  }
  SmMessageBox("文档模板的序号已被使用，返回修改！", SM_MB_OK | SM_MB_ICONERROR);
  SetActivePage(0);
  if (QWidget* field = m_page1->Control(CSmPublicPage1::kFormNumber)) field->setFocus();
  return false;
}

bool CSmPublicSheet::AllowPartChanges() {
  const std::pair<bool, FormChange> simple[] = {{m_def.sFna != m_oldDef.sFna, kTitle},
                                                {m_def.nTopNum != m_oldDef.nTopNum, kHeaderRows},
                                                {m_def.bPageSum != m_oldDef.bPageSum, kPageSum}};
  for (const auto& [changed, kind] : simple) {
    if (changed && !m_doc.AllowFormChange(kind, -1, m_oldDef, m_def)) return false;
  }
  const std::pair<int, FormChange> parts[] = {
      {FirstDifference(m_oldDef.m_cols, m_def.m_cols), kColumns},
      {FirstDifference(m_oldDef.m_topWords, m_def.m_topWords), kTopWords},
      {FirstDifference(m_oldDef.m_headNotes, m_def.m_headNotes), kHeadNotes}};
  for (const auto& [index, kind] : parts) {
    if (index != -2 && !m_doc.AllowFormChange(kind, index, m_oldDef, m_def)) return false;
  }
  return true;
}

bool CSmPublicSheet::Store() {
  CSmDatabase* db = m_doc.m_db;
  const int flag = m_oldDef.nFlag;
  const int oldForm = m_oldDef.nForm;
  const int form = m_def.nForm;
  const bool changed = !(m_def == m_oldDef);
  if (!db || (!changed && form == oldForm)) return true;
  // The print settings are read before anything changes (they move with the number) and only
  // where their tables were ever made: a failed read would spoil the server's transaction.
  const bool printTables =
      db->TableExists("SMPAGESET") && db->TableExists("SMFONT") && db->TableExists("FIELDWIDTH");
  CSmPrintInfo print;
  if (printTables) print.Load(db, flag, std::to_string(oldForm));
  return SmRunInTransaction(db, [&] {
    if (form != oldForm) {
      for (const char* table : {"SMPAGESET", "SMFONT", "FIELDWIDTH"}) {
        if (!printTables) break;
        if (!db->ExecuteSQL(FormatStr("Update %s Set SFIELDMODE='%d' WHERE nFlag=%d AND "
                                      "SFIELDMODE='%d'",
                                      table, form, flag, oldForm))) {
          return false;
        }
      }
      CSmDatabase* appDb = GetSmDatabase();
      if (!appDb) appDb = db;
      if (!appDb->ExecuteSQL(FormatStr("Update SysCsTab Set CsNa='%d' Where Cs=9000 And CsN=%d "
                                       "And CsNa='%d'",
                                       form, flag, oldForm))) {
        return false;
      }
    }
    if (!changed) return true;
    m_doc.ApplyColumnVisibility(m_def);
    m_def.Attach(db, flag, form);
    return DeleteFormDef(flag, oldForm, db) && m_def.Save() &&
           (!printTables || print.Save(db, flag, std::to_string(form)));
  });
}

void CSmPublicSheet::SelectInTemplateList() {
  CFormDataType* type = DataTypeOf(m_doc);
  if (!type) return;
  type->RefreshPage();
  CSmTemplateList* list = type->TemplateList();
  if (!list) return;
  QTreeWidgetItem* item = list->topLevelItem(list->RowOf(m_def.nFlag, m_def.nForm));
  if (!item) return;
  list->clearSelection();
  list->scrollToItem(item);
  list->setCurrentItem(item);
  item->setSelected(true);
  list->setFocus();
}

void CSmPublicSheet::OnOK() {
  if (!CheckEdits() || !Store()) return;
  if (m_def.nForm != m_oldDef.nForm || m_def.sFna != m_oldDef.sFna) SelectInTemplateList();
  CSmOpLog(15, FormatStr("设置：%d(%d--->%d)", m_def.nFlag, m_oldDef.nForm, m_def.nForm));
  QDialog::accept();
}
