#include "forms/SmSaveAsText.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryFile>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/SmOpLog.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "core/SmTextFile.h"
#include "forms/SmDoc.h"
#include "forms/SmPublicPages.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmWaitWnd.h"

namespace {

// The folder of the last file written in this run; empty until then.
std::string& LastTextFolder() {
  static std::string folder;
  return folder;
}

// The commands the first nine entries of the list's menu run: none of them applies here.
constexpr unsigned kRemovedCommands[] = {SM_ID_LIST_ADD,    SM_ID_LIST_OPEN,      SM_ID_LIST_MODIFY,
                                         SM_ID_LIST_DELETE, SM_ID_EDIT_CUT,       SM_ID_EDIT_COPY,
                                         SM_ID_EDIT_PASTE,  SM_ID_EDIT_SELECT_ALL};
constexpr int kRemovedMenuEntries = 9;

bool IsRemoved(unsigned id) {
  return std::find(std::begin(kRemovedCommands), std::end(kRemovedCommands), id) !=
         std::end(kRemovedCommands);
}

// The column's caption in its row of the list.
constexpr size_t kCaptionText = 1;

// A caption as words on one line: where the grid's heading breaks a line (a "\" mark) stands a
// blank.
std::string CaptionWords(const std::string& caption) {
  return ReplaceAll(ReplaceAll(caption, "\\", " "), "\n", " ");
}

const char* const kTips =
    "\r\n\t操 作 提 示\r\n\r\n"
    "    请在本页对话框下方的编辑框中录入即将生成的文本文件的"
    "全路径名，然后单击“完成”按扭即可。\r\n"
    "    这里生成的文本文件可以用Windows的“记事本”程序（或其他"
    "能打开文本文件的程序）来打开。\r\n";

}  // namespace

std::string SmTextFileFolder() {
  return LastTextFolder().empty() ? QDir::homePath().toStdString() : LastTextFolder();
}

std::string SmTextColumnChoice(const std::vector<int>& columns) {
  std::string choice = " ";
  for (int column : columns) choice += std::to_string(column) + " ";
  return choice;
}

bool SmTextColumnChosen(const std::string& choice, int index) {
  return (" " + choice + " ").find(" " + std::to_string(index) + " ") != std::string::npos;
}

std::string SmBuildSaveAsText(const CSmDoc& doc, const std::vector<int>& columns,
                              const std::string& lineEnd) {
  std::vector<bool> number;
  for (int column : columns) {
    number.push_back(doc.m_columns[doc.m_shownColumns[column]].type.starts_with("NUMBER"));
  }
  std::string text;
  for (const std::vector<std::string>& row : doc.m_rows) {
    for (size_t k = 0; k < columns.size(); ++k) {
      if (k > 0) text += '\t';
      const std::string& cell = row[columns[k]];
      text += cell.empty() && number[k] ? "0" : cell;
    }
    text += lineEnd;
  }
  return text;
}

int SmWriteTextFileSafely(const std::string& path, const std::string& text,
                          const std::function<bool()>& agree) {
  const QFileInfo target(QString::fromStdString(path));
  // The temporary file only reserves a name beside the target; the text file writes it.
  QTemporaryFile reserved(target.absolutePath() + "/.~" + target.fileName() + ".XXXXXX");
  if (!reserved.open()) return 1;
  const std::string temporary = reserved.fileName().toStdString();
  reserved.close();
  CSmTextFile file;
  if (!file.Open(temporary, CSmTextFile::modeCreate | CSmTextFile::modeWrite)) return 1;
  if (!agree()) return 2;
  file.WriteString(text);
  if (!file.Close()) return 1;
  // The new file keeps the permissions of the one it replaces, or gets the usual ones.
  QFile::setPermissions(
      QString::fromStdString(temporary),
      target.exists() ? target.permissions()
                      : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) return 1;
  reserved.setAutoRemove(false);
  return 0;
}

// ---------------------------------------------------------------- column list

CSaveAsTextColList::CSaveAsTextColList(CSmDoc& doc, QWidget* parent)
    : CSmListCtrl(parent), m_doc(doc) {
  setObjectName("1002");
  SetDatabase(doc.m_db);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAllColumnsShowFocus(true);
  setFrameShadow(QFrame::Sunken);
  Initialize();
  SetColumns({50, 100, 100, 50, 50, 60, 60, 60, 75, 75, 75, 70, 70},
             {"栏序", "栏名称", "栏公式", "栏类型", "值类型", "对齐方式", "显示宽度", "编辑宽度",
              "至少小数位", "至多小数位", "放缩因子", "合计栏", "折行"});
  connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
    if (column == 0) emit ChecksChanged();
  });
}

void CSaveAsTextColList::Fill(const std::string& choice) {
  const QSignalBlocker blocker(this);
  clear();
  for (int k = 0; k < m_doc.m_shownCount; ++k) {
    std::vector<std::string> texts =
        CSmColumnList::RowTexts(m_doc.m_formDef.m_cols[m_doc.m_shownColumns[k]], k);
    texts[kCaptionText] = CaptionWords(texts[kCaptionText]);
    AddRow(texts, 0);
    SetCheck(k, SmTextColumnChosen(choice, k));
  }
  if (RowCount() > 0) setCurrentItem(topLevelItem(0));
}

std::vector<int> CSaveAsTextColList::CheckedColumns() const {
  std::vector<int> columns;
  for (int row = 0; row < RowCount(); ++row) {
    if (GetCheck(row)) columns.push_back(row);
  }
  return columns;
}

bool CSaveAsTextColList::IsCommandEnabled(unsigned id) {
  return !IsRemoved(id) && CSmListCtrl::IsCommandEnabled(id);
}

bool CSaveAsTextColList::OnCommand(unsigned id) {
  if (IsRemoved(id)) return true;
  return CSmListCtrl::OnCommand(id);
}

void CSaveAsTextColList::CustomizeContextMenu(QMenu* popup) {
  const QList<QAction*> actions = popup->actions();
  for (int i = 0; i < kRemovedMenuEntries && i < actions.size(); ++i) {
    popup->removeAction(actions[i]);
  }
}

Qt::Alignment CSaveAsTextColList::GetColumnFormat(int column) {
  return column <= 2 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter;
}

// ---------------------------------------------------------------- pages

CSaveAsTextPage1::CSaveAsTextPage1(CSmDoc& doc, QWidget* parent)
    : QWizardPage(parent), m_doc(doc), m_list(new CSaveAsTextColList(doc, this)) {
  setObjectName("847");
  setTitle("选择输出栏");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list);
  CSmCsRecord stored(doc.m_db);
  m_list->Fill(
      stored.LoadByName(kSmTextColumnsCs, doc.nFlag, FormatStr("%d", doc.m_formDef.nForm)));
  connect(m_list, &CSaveAsTextColList::ChecksChanged, this, &QWizardPage::completeChanged);
}

bool CSaveAsTextPage1::isComplete() const {
  return !m_doc.m_rows.empty() && !m_list->CheckedColumns().empty();
}

CSaveAsTextPage2::CSaveAsTextPage2(CSmDoc& doc, QWidget* parent)
    : QWizardPage(parent), m_doc(doc), m_preview(new QPlainTextEdit(this)) {
  setObjectName("848");
  setTitle("预览");
  m_preview->setObjectName("1003");
  m_preview->setReadOnly(true);
  m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_preview);
}

void CSaveAsTextPage2::BuildText(const std::vector<int>& columns, std::string& fileText) {
  CSmWaitWnd busy;
  busy.Show();
  m_preview->clear();
  // The preview shows the file's lines; the edit needs no CR of its own.
  fileText = SmBuildSaveAsText(m_doc, columns, "\n");
  m_preview->setPlainText(QString::fromStdString(fileText));
}

CSaveAsTextPage3::CSaveAsTextPage3(CSmDoc& doc, QWidget* parent)
    : QWizardPage(parent), m_doc(doc), m_name(new CSmEdit(this)) {
  setObjectName("849");
  setTitle("保存");
  auto* tips = new QPlainTextEdit(this);
  tips->setObjectName(QString::number(CSaveAsTextSheet::kTips));
  tips->setReadOnly(true);
  m_tips = kTips;
  tips->setPlainText(QString::fromStdString(m_tips));
  m_name->setObjectName(QString::number(CSaveAsTextSheet::kFileName));
  m_name->SetInputType("STRING NOT ?*\"<>|");
  auto* browse = new QPushButton(QStringLiteral("…"), this);
  browse->setObjectName(QString::number(CSaveAsTextSheet::kBrowse));
  browse->setAutoDefault(false);
  auto* label = new QLabel(QStringLiteral("保存成："), this);
  label->setBuddy(m_name);
  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(m_name, 1);
  row->addWidget(browse);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tips, 1);
  layout->addLayout(row);
  connect(browse, &QPushButton::clicked, this, &CSaveAsTextPage3::OnBrowse);
}

std::string CSaveAsTextPage3::ProposedFileName() const {
  CSmCsRecord stored(m_doc.m_db);
  if (stored.Load(kSmLastTextFileCs, kSmLastTextFileCsN)) return stored.CsVal;
  std::string name = m_doc.GetTextFileName();
  while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.erase(0, 1);
  return (QDir(QString::fromStdString(SmTextFileFolder())).filePath(QString::fromStdString(name)))
      .toStdString();
}

void CSaveAsTextPage3::initializePage() {
  if (!m_named) m_fileName = ProposedFileName();
  m_named = true;
  m_name->setText(QString::fromStdString(m_fileName));
}

void CSaveAsTextPage3::OnBrowse() {
  m_fileName = m_name->text().toStdString();
  std::string chosen = SmGetSaveFileName("另存为", m_fileName, "文本文档 (*.[Tt][Xx][Tt])");
  if (chosen.empty()) return;
  if (QFileInfo(QString::fromStdString(chosen)).suffix().isEmpty()) chosen += ".TXT";
  m_fileName = chosen;
  m_name->setText(QString::fromStdString(m_fileName));
}

bool CSaveAsTextPage3::validatePage() {
  m_fileName = m_name->text().trimmed().toStdString();
  CSmWaitWnd busy;
  const QFileInfo target(QString::fromStdString(m_fileName));
  if (m_fileName.empty()) {
    SmMessageBox("创建文件失败！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  if (target.isDir()) {
    SmMessageBox("文件名对应一个存在的文件夹！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  if (target.exists() && SmMessageBox("该文件名对应的文件已存在，覆盖吗？",
                                      SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES) {
    return false;
  }
  busy.Show();
  const int written = SmWriteTextFileSafely(m_fileName, m_fileText,
                                            [this] { return m_doc.OnSaveAsText(m_fileName); });
  busy.Hide();
  if (written == 1) SmMessageBox("创建文件失败！", SM_MB_OK | SM_MB_ICONERROR);
  if (written != 0) return false;
  LastTextFolder() = target.absolutePath().toStdString();
  SmMessageBox("保存完毕！", SM_MB_OK | SM_MB_ICONINFORMATION);
  StoreChoiceAndPath();
  CSmOpLog(27, FormatStr("将“%s”保存成文本文档：%s", m_doc.GetTitle().c_str(), m_fileName.c_str()));
  return true;
}

void CSaveAsTextPage3::StoreChoiceAndPath() {
  CSmDatabase* db = m_doc.m_db;
  if (!db) return;
  const std::string form = FormatStr("%d", m_doc.m_formDef.nForm);
  SmRunInTransaction(db, [&] {
    return db->ExecuteSQL(FormatStr("Delete From SysCsTab Where Cs=%ld And CsN=%d And CsNa='%s'",
                                    kSmTextColumnsCs, m_doc.nFlag, form.c_str())) &&
           db->ExecuteSQL(FormatStr(
               "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(%ld,%d,'%s','%s')", kSmTextColumnsCs,
               m_doc.nFlag, form.c_str(), db->SqlText(m_choice, 200).c_str()));
  });
  SmRunInTransaction(db, [&] {
    return db->ExecuteSQL(FormatStr("Delete From SysCsTab Where Cs=%ld And CsN=%ld",
                                    kSmLastTextFileCs, kSmLastTextFileCsN)) &&
           db->ExecuteSQL(FormatStr(
               "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(%ld,%ld,'','%s')", kSmLastTextFileCs,
               kSmLastTextFileCsN, db->SqlText(m_fileName, 200).c_str()));
  });
}

// ---------------------------------------------------------------- the wizard

CSaveAsTextSheet::CSaveAsTextSheet(CSmDoc& doc, QWidget* parent)
    : QWizard(parent),
      m_page1(new CSaveAsTextPage1(doc, this)),
      m_page2(new CSaveAsTextPage2(doc, this)),
      m_page3(new CSaveAsTextPage3(doc, this)) {
  setObjectName("847");
  setWindowTitle(QStringLiteral("保存为文本文档"));
  setWizardStyle(QWizard::ClassicStyle);
  setOption(QWizard::NoBackButtonOnStartPage, false);
  setButtonLayout({QWizard::Stretch, QWizard::BackButton, QWizard::NextButton,
                   QWizard::FinishButton, QWizard::CancelButton});
  setButtonText(QWizard::BackButton, QStringLiteral("< 上一步(&B)"));
  setButtonText(QWizard::NextButton, QStringLiteral("下一步(&N) >"));
  setButtonText(QWizard::FinishButton, QStringLiteral("完成"));
  setButtonText(QWizard::CancelButton, QStringLiteral("取消"));
  button(QWizard::BackButton)->setObjectName("12323");
  button(QWizard::NextButton)->setObjectName(QString::number(kNext));
  button(QWizard::FinishButton)->setObjectName(QString::number(kFinish));
  button(QWizard::CancelButton)->setObjectName("2");
  addPage(m_page1);
  addPage(m_page2);
  addPage(m_page3);
  connect(this, &QWizard::currentIdChanged, this, [this] {
    if (currentPage() != m_page2) return;
    const std::vector<int> columns = m_page1->List()->CheckedColumns();
    m_page3->m_choice = SmTextColumnChoice(columns);
    m_page2->BuildText(columns, m_page3->m_fileText);
  });
  resize(640, 420);
}
