#include "admin/SmNewBookDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStorageInfo>

#include "app/SmApp.h"
#include "app/SmEnvironment.h"
#include "app/SmOpLog.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFolderDlg.h"

namespace {

constexpr int kPositionId = 1105;
constexpr int kBooksId = 1159;
constexpr int kSearchId = 1160;
constexpr int kYearsId = 1162;
constexpr int kOpenId = 1009;
constexpr int kBrowseId = 1048;
constexpr int kLogCode = 4;
constexpr int kFrameSize = 47;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

int FindText(const QListWidget* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text().compare(text, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

// Adds the text unless the list holds it (case ignored).
void AddOnce(QListWidget* list, const QString& text) {
  if (FindText(list, text) < 0) list->addItem(text);
}

bool IsOptical(const QStorageInfo& volume) {
  const QByteArray type = volume.fileSystemType().toLower();
  return type == "iso9660" || type == "udf" || type == "cdfs";
}

}  // namespace

CSmNewBookDlg::CSmNewBookDlg(CSmApp& app, int openMode, QWidget* parent)
    : CSmDlg(808, parent), m_app(app), m_openMode(openMode) {
  setWindowTitle(QStringLiteral("建立新账套"));
  m_positionEdit = new CSmEdit(this);
  m_positionEdit->setObjectName(QString::number(kPositionId));
  m_books = new QListWidget(this);
  m_books->setObjectName(QString::number(kBooksId));
  m_books->setMinimumSize(360, 160);
  m_years = new QListWidget(this);
  m_years->setObjectName(QString::number(kYearsId));
  m_years->setMinimumHeight(100);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("&N.搜索位置："), this), 0, 0);
  grid->addWidget(m_positionEdit, 0, 1);
  grid->addWidget(AddButton(kBrowseId, QStringLiteral("浏览...")), 0, 2);
  grid->addWidget(m_books, 1, 0, 2, 2);
  grid->addWidget(AddButton(kSearchId, QStringLiteral("搜索")), 1, 2, Qt::AlignTop);
  grid->addWidget(m_years, 3, 0, 1, 1);
  grid->addWidget(AddButton(kOpenId, QStringLiteral("打开")), 3, 2, Qt::AlignTop);
  grid->addWidget(AddButton(SM_IDCANCEL, QStringLiteral("取消")), 4, 2);
  grid->setRowMinimumHeight(4, kFrameSize + 6);
  connect(m_books, &QListWidget::currentRowChanged, this, [this] { OnSelectBook(); });
  connect(m_years, &QListWidget::itemDoubleClicked, this, [this] { OnOK(); });
  connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(); });
}

void CSmNewBookDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  // "/" separates folders here, so the position takes it.
  m_positionEdit->SetInputType("STRING NOT *?\"><|", 260);
  if (QWidget* open = Control(kOpenId)) open->setEnabled(m_openMode == 1);
}

std::string CSmNewBookDlg::Ext() const {
  return m_app.GetDataFileExt();
}

bool CSmNewBookDlg::OnCommand(unsigned id) {
  switch (id) {
    case kSearchId:
      OnSearch();
      return true;
    case kBrowseId:
      OnBrowse();
      return true;
    case kOpenId:
      OnOK();
      return true;
    default:
      return CSmDlg::OnCommand(id);
  }
}

void CSmNewBookDlg::SetPosition(const std::string& position) {
  m_position = position;
  m_positionEdit->setText(Q(position));
}

bool CSmNewBookDlg::IsYearFile(const std::string& path, bool checkTitle) const {
  const QFileInfo info(Q(path));
  if (info.isDir() || info.suffix().compare(Q(Ext()), Qt::CaseInsensitive) != 0) return false;
  if (checkTitle && m_app.HasYearFiles() && info.completeBaseName().size() != 4) return false;
  CSmEnvironment probe(0);
  const bool opens = probe.OpenFile(info.absolutePath().toStdString(), path, "101", false);
  probe.Close();
  return opens;
}

void CSmNewBookDlg::SetSearching(bool on) {
  for (int id : {kSearchId, kOpenId, static_cast<int>(SM_IDCANCEL)})
    if (QWidget* button = Control(id))
      button->setEnabled(!on && (id != kOpenId || m_openMode == 1));
  m_positionEdit->setReadOnly(on);
  if (on) {
    m_timer.start(5000);
  } else {
    m_timer.stop();
  }
}

void CSmNewBookDlg::OnSearch() {
  const std::string position = m_positionEdit->text().toStdString();
  SetSearching(true);
  m_books->clear();
  m_years->clear();
  if (!position.empty()) {
    SearchFolder(position);
  } else {
    SearchDrives();
  }
  SetPosition(position);
  SetSearching(false);
  const int book = FindText(m_books, Q(m_app.m_env.GetDataFolder()));
  if (book < 0) return;
  m_books->setCurrentRow(book);
  const int year = FindText(m_years, QString::number(m_app.m_env.GetYear()));
  if (year < 0) return;
  m_years->setCurrentRow(year);
  if (m_app.GetDatabase()) CSmOpLog(kLogCode, "搜索账套");
}

void CSmNewBookDlg::SearchDrives() {
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady() || IsOptical(volume)) continue;
    SearchFolder(volume.rootPath().toStdString());
  }
}

void CSmNewBookDlg::SearchFolder(const std::string& folder) {
  std::string base = folder;
  while (base.size() > 1 && (base.back() == '/' || base.back() == '\\')) base.pop_back();
  const QDir dir(Q(base));
  bool qualified = false;
  const QFileInfoList entries =
      dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  for (const QFileInfo& entry : entries) {
    if (entry.isDir()) {
      if (entry.isSymLink()) continue;  // a link may lead back up the tree
      SetPosition(entry.absoluteFilePath().toStdString());
      OnTimer();
      SearchFolder(entry.absoluteFilePath().toStdString());
    } else if (!qualified && IsYearFile(entry.absoluteFilePath().toStdString(), true)) {
      AddOnce(m_books, entry.absolutePath());
      qualified = true;
    }
  }
}

void CSmNewBookDlg::ListYears(const std::string& folder) {
  m_years->clear();
  const QDir dir(Q(folder));
  const QFileInfoList files =
      dir.entryInfoList({"*." + Q(Ext())}, QDir::Files | QDir::Hidden, QDir::Name);
  for (const QFileInfo& file : files) {
    if (!(file.permissions() & QFile::WriteOwner)) continue;  // read-only
    if (!IsYearFile(file.absoluteFilePath().toStdString(), true)) continue;
    AddOnce(m_years, file.completeBaseName());
  }
  if (m_years->count() > 0) m_years->setCurrentRow(m_years->count() - 1);
}

void CSmNewBookDlg::OnSelectBook() {
  const QListWidgetItem* book = m_books->currentItem();
  if (!book) return;
  SetPosition(book->text().toStdString());
  ListYears(book->text().toStdString());
}

void CSmNewBookDlg::OnBrowse() {
  CSmFolderDlg dlg(m_positionEdit->text().toStdString(), this);
  if (dlg.DoModal() == SM_IDOK) SetPosition(dlg.GetFolder());
}

bool CSmNewBookDlg::OnConfirm() {
  m_result.clear();
  if (m_openMode != 1) return false;
  const QListWidgetItem* book = m_books->currentItem();
  const QListWidgetItem* year = m_years->currentItem();
  if (!book || !year) return false;
  m_result = book->text().toStdString() + "/" + year->text().toStdString() + "." + Ext();
  return true;
}

void CSmNewBookDlg::OnTimer() {
  m_calls = (m_calls + 1) % 100;
  if (m_calls % 5 == 0) m_frame = (m_frame + 1) % 3;
  m_positionEdit->setText(Q(m_position));
  repaint();
}

void CSmNewBookDlg::paintEvent(QPaintEvent* event) {
  CSmDlg::paintEvent(event);
  if (!m_timer.isActive()) return;
  // Three frames of a turning mark below the year list.
  QPainter painter(this);
  const QRect frame(m_years->geometry().left(), m_years->geometry().bottom() + 3, kFrameSize,
                    kFrameSize);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(palette().highlight().color(), 4));
  painter.drawArc(frame.adjusted(6, 6, -6, -6), m_frame * 120 * 16, 240 * 16);
}
