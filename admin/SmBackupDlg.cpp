#include "admin/SmBackupDlg.h"

#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <algorithm>

#include "admin/SmMDBBak.h"
#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmRegKey.h"
#include "core/SmShell.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFolderDlg.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr unsigned kTemplate = 817;
constexpr int kBackupLog = 22;
constexpr int kRestoreLog = 23;
constexpr int kMaxPath = 260;
const char* const kPositionValue = "BakFilePos";
// Every hint line starts with four blanks.
const char* const kIndent = "    ";

std::string Line(const std::string& text) {
  return kIndent + text + "\n";
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder;
}

// The size in kilobytes as the program writes numbers; 0 for a file that is not there.
std::string KiloBytes(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  return FormatNumber(static_cast<double>(info.exists() ? info.size() / 1024 : 0), 0, 0, 0, true);
}

// Copies through a temporary file in the target's folder renamed over the target, so that a
// failed copy leaves whatever the target was. `why` receives the plain words for a full disk
// or a read-only folder, and stays empty for other failures.
bool CopyFileOver(const std::string& from, const std::string& to, std::string* why) {
  QFile source(QString::fromStdString(from));
  QSaveFile target(QString::fromStdString(to));
  const auto failed = [&] {
    *why = SmFailureMessage(SmFileFailure(target), target.errorString().toStdString());
    target.cancelWriting();
    return false;
  };
  if (!source.open(QIODevice::ReadOnly)) return false;
  // Unbuffered: a write the disk refuses fails at once, with the system's reason.
  if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return failed();
  constexpr qint64 kChunk = 1 << 20;
  while (!source.atEnd()) {
    const QByteArray chunk = source.read(kChunk);
    if (chunk.isEmpty()) return failed();
    // A disk at the end of its room takes part of a chunk and refuses the rest.
    for (qint64 done = 0; done < chunk.size();) {
      const qint64 written = target.write(chunk.constData() + done, chunk.size() - done);
      if (written <= 0) return failed();
      done += written;
    }
  }
  return target.commit() || failed();
}

}  // namespace

// ---------------------------------------------------------------- the file box

CCommonFileBox::CCommonFileBox(const QString& folder, QWidget* parent)
    : QFileDialog(parent, QString(), folder) {
  SmPrepareFileDialog(*this);
  setFileMode(QFileDialog::ExistingFile);
  // The box enables Open again whenever the selection changes.
  connect(this, &QFileDialog::currentChanged, this, &CCommonFileBox::DisableOpen,
          Qt::QueuedConnection);
  connect(this, &QFileDialog::directoryEntered, this, &CCommonFileBox::DisableOpen,
          Qt::QueuedConnection);
  DisableOpen();
}

void CCommonFileBox::DisableOpen() {
  if (auto* buttons = findChild<QDialogButtonBox*>()) {
    if (QPushButton* open = buttons->button(QDialogButtonBox::Open)) open->setEnabled(false);
  }
}

// ---------------------------------------------------------------- the dialog

CSmBackupDlg::CSmBackupDlg(CSmApp& app, int mode, QWidget* parent)
    : CSmAppDlg(kTemplate, &app, parent), m_app(app), m_mode(mode), m_state(mode * 10) {
  m_defaultName = MakeDefaultName(app.m_env.GetUnitName(), QDate::currentDate(),
                                  app.m_env.GetYear(), app.GetDataFileExt());
  auto* hintLabel = new QLabel(QStringLiteral("操作提示"), this);
  m_hintEdit = new QPlainTextEdit(this);
  m_hintEdit->setObjectName(QString::number(kHintEdit));
  m_hintEdit->setReadOnly(true);
  m_hintEdit->setMinimumSize(520, 150);
  auto* targetLabel = new QLabel(QStringLiteral("备份件："), this);
  m_targetEdit = new CSmEdit(this);
  m_targetEdit->setObjectName(QString::number(kTargetEdit));
  m_list = new QComboBox(this);
  m_list->setObjectName(QString::number(kBackupList));
  m_list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_list->setMinimumContentsLength(40);
  targetLabel->setBuddy(m_mode == kRestore ? static_cast<QWidget*>(m_list) : m_targetEdit);
  m_positionLabel = new QLabel(this);
  m_positionLabel->setObjectName(QString::number(kPositionLabel));
  m_positionLabel->setWordWrap(true);
  QPushButton* fileBox = AddButton(kFileBoxButton, QStringLiteral("&F.文件框"));
  m_browse = AddButton(kBrowseButton, QStringLiteral("&B.浏览"));
  m_confirm = AddButton(SM_ID_OK, QStringLiteral("&S.确认"));
  m_cancel = AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消"));
  connect(m_list, &QComboBox::activated, this, [this] { ShowBackupInfo(); });

  auto* grid = new QGridLayout(this);
  grid->addWidget(hintLabel, 0, 0, 1, 2);
  grid->addWidget(m_hintEdit, 1, 0, 1, 2);
  grid->addWidget(targetLabel, 2, 0);
  grid->addWidget(m_targetEdit, 2, 1);
  grid->addWidget(m_list, 2, 1);
  grid->addWidget(m_positionLabel, 3, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(fileBox);
  buttons->addStretch();
  buttons->addWidget(m_browse);
  buttons->addWidget(m_confirm);
  buttons->addWidget(m_cancel);
  grid->addLayout(buttons, 4, 0, 1, 2);
  grid->setColumnStretch(1, 1);
}

std::string CSmBackupDlg::MakeDefaultName(const std::string& unit, const QDate& today, int year,
                                          const std::string& ext) {
  const std::string tail =
      FormatStr("%d_%d_%s.bak", 10000 + today.month() * 100 + today.day(), year, ext.c_str());
  return unit + FormatStr("%d", today.year()) + tail.substr(1);
}

std::string CSmBackupDlg::WorkFileOf(CSmDatabase* db) {
  const std::string name = db ? db->GetFileName(true) : std::string();
  return db && db->GetKind() != 0 ? GetUserDataFolder() + "/" + name + ".bak" : name + ".bak";
}

std::string CSmBackupDlg::ReadPosition() const {
  std::string position;
  if (CSmRegKey().Open(SM_HKEY_CURRENT_USER, m_app.GetSmRegKey(), kPositionValue, position) &&
      QFileInfo(QString::fromStdString(position)).isDir())
    return position;
  // Nothing chosen yet (or no longer there): the user's home folder, where the file dialogs
  // start too; the work file's folder is the program's own and no place for a copy.
  return QDir::homePath().toStdString();
}

void CSmBackupDlg::OnInitDialog() {
  CSmAppDlg::OnInitDialog();
  m_targetEdit->SetInputType("STRING NOT :*?\"<>|", kMaxPath);
  if (m_mode == kRestore) {
    setWindowTitle(QStringLiteral("数据恢复"));
    m_targetEdit->hide();
    m_targetEdit->setEnabled(false);
    m_position = WithSeparator(ReadPosition());
    m_hint =
        kIndent +
        std::string(
            "恢复数据前应当先从存储介质中选择备份文件，请按“浏览”按扭选择备份文件所处的位置（即所处"
            "的文件夹）。");
    SetConfirm("&S.确认", false);
  } else {
    setWindowTitle(QStringLiteral("数据备份"));
    m_list->hide();
    m_list->setEnabled(false);
    m_browse->setEnabled(false);
    SetConfirm("&S.卸出数据", true);
    m_workFile = WorkFileOf(m_app.GetDatabase());
    m_target = m_workFile;
    m_position = WithSeparator(QFileInfo(QString::fromStdString(m_workFile)).path().toStdString());
    m_hint =
        kIndent + std::string("备份数据前应当先从数据库中卸出数据，请按“卸出数据”按扭卸出数据。");
  }
  SetDefaultButton(SM_ID_OK);
  UpdateData(false);
  if (m_confirm->isEnabled()) {
    m_confirm->setFocus();
  } else {
    m_browse->setFocus();
  }
}

void CSmBackupDlg::DoDataExchange(bool save) {
  if (save) {
    m_target = m_targetEdit->text().toStdString();
    return;
  }
  m_hintEdit->setPlainText(QString::fromStdString(m_hint));
  m_targetEdit->setText(QString::fromStdString(m_target));
  m_positionLabel->setText(QString::fromStdString(m_position));
}

void CSmBackupDlg::SetConfirm(const std::string& caption, bool enabled) {
  m_confirm->setText(QString::fromStdString(caption));
  m_confirm->setEnabled(enabled);
}

bool CSmBackupDlg::OnCommand(unsigned id) {
  switch (id) {
    case kBrowseButton:
      OnBrowse();
      return true;
    case kFileBoxButton:
      OnFileBox();
      return true;
    default:
      return CSmAppDlg::OnCommand(id);
  }
}

void CSmBackupDlg::OnCancel() {
  if (m_state == kRestored) {
    EndOK();
    return;
  }
  CSmAppDlg::OnCancel();
}

bool CSmBackupDlg::OnConfirm() {
  switch (m_state) {
    case kBeforeUnload:
      Unload();
      return false;
    case kUnloaded:
    case kCopied:
      CopyToMedia();
      return false;
    case kBeforeRestore:
      Restore();
      return false;
    case kRestored:
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------- backup

bool CSmBackupDlg::Unload() {
  CSmDatabase* db = m_app.GetDatabase();
  if (!db) return false;
  {
    CSmWaitWnd wait;
    if (!CSmMDBBak(*db).SaveBackup(m_workFile)) return false;
  }
  m_browse->setEnabled(true);
  m_targetEdit->setEnabled(true);
  SetConfirm("&S.拷贝", true);
  m_hint = Line("已成功地卸出数据！") +
           Line("备份件长度为：" + KiloBytes(m_workFile) + "千字节。") +
           Line(
               "准备好备份介质，系统为您默认3.5英寸1.4M软盘，"
               "若不是默认备份介质，请按“浏览”按扭找出您的备份文件存放位置。"
               "然后请按“拷贝”按扭拷贝备份文件。") +
           kIndent + "此时您也可以使用其它备份工具将文件“" + m_workFile +
           "”拷贝到您的介质上(如光盘刻录程序)，若这样，现在您即可退出！";
  m_position = WithSeparator(ReadPosition());
  m_target = m_position + m_defaultName;
  m_state = kUnloaded;
  UpdateData(false);
  return true;
}

bool CSmBackupDlg::CopyToMedia() {
  UpdateData(true);
  if (!QFileInfo(QString::fromStdString(m_position)).isDir()) {
    SmMessageBox("“" + m_position + "”不存在！", SM_MB_OK | SM_MB_ICONWARNING);
    return false;
  }
  if (QFileInfo::exists(QString::fromStdString(m_target)) &&
      SmMessageBox("“" + m_target + "”已存在，覆盖它吗？", SM_MB_YESNO | SM_MB_ICONQUESTION) !=
          SM_IDYES)
    return false;
  bool copied = false;
  std::string why;
  {
    CSmWaitWnd wait;
    copied = CopyFileOver(m_workFile, m_target, &why);
  }
  if (!copied) {
    CSmOpLog(kBackupLog, "数据备份失败。");
    SmMessageBox(why.empty() ? "拷贝失败！" : why, SM_MB_OK | SM_MB_ICONWARNING);
    return false;
  }
  CSmOpLog(kBackupLog, "成功地进行了数据备份。");
  m_hint =
      kIndent +
      std::string("备份成功，若还想拷贝一个备件，请更换存储介质(或位置)后，再按“拷贝”按扭拷贝！");
  m_state = kCopied;
  UpdateData(false);
  return true;
}

// ---------------------------------------------------------------- browsing

void CSmBackupDlg::OnBrowse() {
  CSmFolderDlg dlg(m_position, this);
  if (dlg.DoModal() != SM_IDOK) return;
  BrowseTo(dlg.GetFolder());
}

void CSmBackupDlg::OnFileBox() {
  if (CSmMessageService::Instance().TestMode()) return;
  CCommonFileBox box(QString::fromStdString(m_position), this);
  box.exec();
}

void CSmBackupDlg::BrowseTo(const std::string& folder) {
  UpdateData(true);
  m_position = WithSeparator(folder);
  m_target = m_position + m_defaultName;
  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, m_app.GetSmRegKey(), kPositionValue, m_position);
  UpdateData(false);
  if (m_state != kBeforeRestore) return;
  {
    CSmWaitWnd wait;
    m_list->clear();
    std::vector<std::string> files;
    ListBackupFiles(m_position, files);
    for (const std::string& file : files) {
      if (IsUsableBackup(file)) m_list->addItem(QString::fromStdString(file));
    }
  }
  if (m_list->count() == 0) return;
  m_list->setCurrentIndex(0);
  m_browse->setEnabled(false);
  SetConfirm("&S.恢复数据", true);
  // The browse button that had the focus is off now: Enter goes on to the restore.
  m_confirm->setFocus();
  ShowBackupInfo();
}

void CSmBackupDlg::ListBackupFiles(const std::string& folder,
                                   std::vector<std::string>& files) const {
  const std::string code = MakeUpperCopy(m_app.GetDataFileExt());
  const QDir dir(QString::fromStdString(folder));
  const QFileInfoList entries = dir.entryInfoList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QFileInfo& entry : entries) {
    if (entry.isDir()) {
      // A link back up the tree would never end.
      if (!entry.isSymLink()) ListBackupFiles(entry.filePath().toStdString(), files);
      continue;
    }
    const std::string title = MakeUpperCopy(entry.completeBaseName().toStdString());
    if (MakeUpperCopy(entry.suffix().toStdString()) != "BAK" || title.size() < 3 ||
        !title.ends_with(code))
      continue;
    files.push_back(entry.filePath().toStdString());
  }
}

bool CSmBackupDlg::IsUsableBackup(const std::string& path) {
  CSmDatabase* db = m_app.GetDatabase();
  if (!db) return false;
  CSmMDBBak bak(*db);
  return bak.LoadBackup(path, 0) && bak.LoadBackup(path, 1);
}

bool CSmBackupDlg::SelectedBackup(std::string& path) {
  if (m_list->count() == 0) return false;
  if (m_list->currentIndex() < 0) {
    SmMessageBox("未选择源文件！", SM_MB_OK | SM_MB_ICONWARNING);
    return false;
  }
  path = m_list->currentText().toStdString();
  return true;
}

void CSmBackupDlg::ShowBackupInfo() {
  std::string path;
  CSmDatabase* db = m_app.GetDatabase();
  if (!SelectedBackup(path) || !db) return;
  CSmMDBBak bak(*db);
  if (!bak.LoadBackup(path, 0) || !bak.LoadBackup(path, 1)) {
    SmMessageBox("所选择源文件，不是可用备份件！", SM_MB_OK | SM_MB_ICONWARNING);
    return;
  }
  m_hint = Line("这是一个可用备份件：") + Line("备份件长度为：" + KiloBytes(path) + "千字节。") +
           Line("原始数据文件名：" + bak.m_dataFile) + Line("数据文件的主体：" + bak.m_unitName) +
           Line("原备份人：" + bak.m_operator) + Line("备份时间：" + bak.m_time) + kIndent +
           "请按“恢复数据”按扭即可将所选备份件中的数据替换您当前年度文件中的数据！";
  UpdateData(false);
}

// ---------------------------------------------------------------- restore

std::string CSmBackupDlg::KeptCopyOf(const std::string& file) {
  return file + ".before-restore";
}

bool CSmBackupDlg::KeepCopy() {
  CSmDatabase* db = m_app.GetDatabase();
  const std::string file = db->GetFileName(true);
  const std::string kept = KeptCopyOf(file);
  // The write lock keeps other stations from changing the file while it is copied.
  bool copied = db->BeginSnapshot();
  std::string why;
  if (copied) {
    copied = CopyFileOver(file, kept, &why);
    db->Rollback();
  }
  if (!copied) {
    SmMessageBox("复制当前数据文件：\n" + file + "\n\t成\n" + kept +
                     "\n时出错，请退出查看该文件！" + (why.empty() ? "" : "\n" + why),
                 SM_MB_OK | SM_MB_ICONERROR);
  }
  return copied;
}

bool CSmBackupDlg::Restore() {
  std::string path;
  CSmDatabase* db = m_app.GetDatabase();
  if (!SelectedBackup(path) || !db) return false;
  CSmMDBBak bak(*db);
  if (!bak.LoadBackup(path, 0) || !bak.LoadBackup(path, 1)) {
    SmMessageBox("所选择源文件，不是可用备份件！", SM_MB_OK | SM_MB_ICONWARNING);
    return false;
  }
  const std::string file = db->GetFileName(true);
  bool restored = false;
  {
    CSmWaitWnd wait;
    if (db->GetKind() == 0 && !KeepCopy()) return false;
    restored = bak.LoadBackup(path, 2);
  }
  if (restored) {
    SmMessageBox("数据恢复成功！\n  请退出重新注册。", SM_MB_OK | SM_MB_ICONINFORMATION);
    m_state = kRestored;
    m_cancel->setEnabled(false);
    m_list->setEnabled(false);
    SetConfirm("&S.重新注册", true);
    // The restored file knows nothing of this session: it is stored there again, so that the
    // restore's line stands under a session of its own.
    m_app.m_opLog.ResumeWork();
    CSmOpLog(kRestoreLog, "成功地进行了数据恢复");
    return true;
  }
  if (!db->IsOpen()) {
    // The data file was replaced but cannot be opened again: nothing can go on.
    SmMessageBox("数据恢复后不能重新打开数据文件“" + file + "”，程序将退出！",
                 SM_MB_OK | SM_MB_ICONERROR);
    m_app.ExitProcess(1);
    return false;
  }
  // A restore the user declined at the archive's question needs no more words.
  if (bak.m_declined) return false;
  CSmOpLog(kRestoreLog, "数据恢复失败。");
  // An archive refused as it stands has said why, and that the data file is unchanged.
  if (!bak.m_archiveRefused)
    SmMessageBox("数据恢复失败！\n  当前数据文件没有改动。", SM_MB_OK | SM_MB_ICONERROR);
  return false;
}
