// The backup and restore dialog: the backup name, the unload and the copies with their log
// lines, the search for backups under a folder, and restores that succeed, are declined or fail.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "admin/SmAdminCommands.h"
#include "admin/SmBackupDlg.h"
#include "admin/SmMDBBak.h"
#include "app/SmOpLog.h"
#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "tests/admin/test_admin_fixture.h"
#include "ui/SmFolderDlg.h"

namespace {

TEST(BackupName, UnitDateYearAndTypeCode) {
  EXPECT_EQ(CSmBackupDlg::MakeDefaultName("某单位", QDate(2016, 12, 7), 2016, "tsd"),
            "某单位20161207_2016_tsd.bak");
  EXPECT_EQ(CSmBackupDlg::MakeDefaultName("某单位", QDate(2017, 1, 5), 2016, "tsd"),
            "某单位20170105_2016_tsd.bak");
}

// A module table whose rows show what a restore brought back.
class TicketModule : public CSmDataType {
 public:
  void CreateTables(CSmDatabase* db) override {
    if (!db->TableExists("Ticket")) db->ExecuteSQL("Create Table Ticket(N Long,T Char(20))");
  }
};

class BackupDlgTest : public AdminFileTest {
 protected:
  void SetUp() override {
    m_app.m_dataTypes = {&m_tickets};
    AdminFileTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(m_db->ExecuteSQL("Update SysTab Set AN='ID42'"));
    ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Ticket(N,T) Values(1,'甘蔗')"));
    m_folder = SmTestHome() + "/media" + std::to_string(GetParam());
    QDir(QString::fromStdString(m_folder)).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_folder + "/sub")));
  }

  long Tickets() { return m_db->QueryInt("Select Count(*) From Ticket"); }
  QPushButton* Button(CSmBackupDlg& dlg, int id) {
    return dlg.findChild<QPushButton*>(QString::number(id));
  }
  std::string Text(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
    if (auto* hint = qobject_cast<QPlainTextEdit*>(widget))
      return hint->toPlainText().toStdString();
    return qobject_cast<QPushButton*>(widget)->text().toStdString();
  }
  // A backup made through the dialog's unload and copy, at `folder`/`name`.
  void Backup(const std::string& folder, const std::string& name) {
    CSmBackupDlg dlg(m_app, CSmBackupDlg::kBackup);
    dlg.show();
    ASSERT_FALSE(dlg.OnConfirm());
    dlg.BrowseTo(folder);
    dlg.findChild<QLineEdit*>(QString::number(CSmBackupDlg::kTargetEdit))
        ->setText(QString::fromStdString(folder + "/" + name));
    ASSERT_FALSE(dlg.OnConfirm());
    ASSERT_EQ(dlg.GetState(), CSmBackupDlg::kCopied) << CSmMessageService::Instance().LastText();
  }

  TicketModule m_tickets;
  std::string m_folder;
};

TEST_P(BackupDlgTest, UnloadThenCopiesWithTheirLogLines) {
  CSmBackupDlg dlg(m_app, CSmBackupDlg::kBackup);
  dlg.show();
  EXPECT_EQ(dlg.windowTitle().toStdString(), "数据备份");
  EXPECT_EQ(Text(Button(dlg, SM_ID_OK)), "&S.卸出数据");
  EXPECT_FALSE(Button(dlg, CSmBackupDlg::kBrowseButton)->isEnabled());
  EXPECT_FALSE(dlg.findChild<QComboBox*>(QString::number(CSmBackupDlg::kBackupList))->isVisible());
  // The work file lies beside the data file, or in the program's data folder for a database.
  const std::string work = dlg.GetWorkFile();
  EXPECT_EQ(Text(dlg.Control(CSmBackupDlg::kTargetEdit)), work);
  if (GetParam() == 0) {
    EXPECT_EQ(work, m_path + ".bak");
  }
  EXPECT_EQ(Text(dlg.Control(CSmBackupDlg::kHintEdit)),
            "    备份数据前应当先从数据库中卸出数据，请按“卸出数据”按扭卸出数据。");

  Button(dlg, SM_ID_OK)->click();
  ASSERT_EQ(dlg.GetState(), CSmBackupDlg::kUnloaded) << CSmMessageService::Instance().LastText();
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(QFile::exists(QString::fromStdString(work)));
  EXPECT_EQ(Text(Button(dlg, SM_ID_OK)), "&S.拷贝");
  EXPECT_TRUE(Button(dlg, CSmBackupDlg::kBrowseButton)->isEnabled());
  EXPECT_NE(
      Text(dlg.Control(CSmBackupDlg::kHintEdit)).find("    已成功地卸出数据！\n    备份件长度为："),
      std::string::npos);
  EXPECT_TRUE(LogNotes(22).empty());  // an unload is not logged

  // A position that is not there: nothing copied, nothing logged.
  dlg.BrowseTo(m_folder + "/missing");
  SmResetMessages();
  dlg.OnConfirm();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "“" + m_folder + "/missing/”不存在！");
  EXPECT_TRUE(LogNotes(22).empty());

  dlg.BrowseTo(m_folder);
  const std::string target = m_folder + "/" + dlg.GetDefaultName();
  EXPECT_EQ(Text(dlg.Control(CSmBackupDlg::kTargetEdit)), target);
  EXPECT_FALSE(dlg.OnConfirm());
  EXPECT_EQ(dlg.GetState(), CSmBackupDlg::kCopied);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(target)));
  EXPECT_EQ(LogNotes(22), std::vector<std::string>{"成功地进行了数据备份。"});

  // A second copy over the first asks; No leaves it.
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  dlg.OnConfirm();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "“" + target + "”已存在，覆盖它吗？");
  EXPECT_EQ(LogNotes(22).size(), 1u);
  // A target that cannot be written fails and is logged so.
  dlg.findChild<QLineEdit*>(QString::number(CSmBackupDlg::kTargetEdit))
      ->setText(QString::fromStdString(m_folder + "/sub"));
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  dlg.OnConfirm();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "拷贝失败！");
  EXPECT_EQ(LogNotes(22), (std::vector<std::string>{"成功地进行了数据备份。", "数据备份失败。"}));
  EXPECT_EQ(dlg.GetState(), CSmBackupDlg::kCopied);
  // The typed name refuses characters a file name cannot hold.
  auto* edit = dlg.findChild<QLineEdit*>(QString::number(CSmBackupDlg::kTargetEdit));
  edit->setText("a");
  edit->insert("b|*?");
  EXPECT_EQ(edit->text().toStdString(), "a");
}

// Before a position is chosen, the copy is proposed in the home folder: not beside the data
// file nor in the program's own hidden folder, where a server database's unload lies.
TEST_P(BackupDlgTest, WithNoPositionChosenTheCopyGoesToTheHomeFolder) {
  CSmRegKey().DeleteValue(SM_HKEY_CURRENT_USER, m_app.GetSmRegKey(), "BakFilePos");
  const std::string home = QDir::homePath().toStdString() + "/";
  CSmBackupDlg dlg(m_app, CSmBackupDlg::kBackup);
  dlg.show();
  ASSERT_FALSE(dlg.OnConfirm());
  ASSERT_EQ(dlg.GetState(), CSmBackupDlg::kUnloaded) << CSmMessageService::Instance().LastText();
  EXPECT_EQ(dlg.GetPosition(), home);
  EXPECT_EQ(Text(dlg.Control(CSmBackupDlg::kTargetEdit)), home + dlg.GetDefaultName());
  EXPECT_NE(QFileInfo(QString::fromStdString(dlg.GetWorkFile())).path().toStdString() + "/", home);
  ASSERT_FALSE(dlg.OnConfirm());
  EXPECT_EQ(dlg.GetState(), CSmBackupDlg::kCopied) << CSmMessageService::Instance().LastText();
  EXPECT_TRUE(QFile::exists(QString::fromStdString(home + dlg.GetDefaultName())));

  CSmBackupDlg restore(m_app, CSmBackupDlg::kRestore);
  restore.show();
  EXPECT_EQ(restore.GetPosition(), home);
  QFile::remove(QString::fromStdString(home + dlg.GetDefaultName()));
}

TEST_P(BackupDlgTest, SearchListsUsableBackupsOfTheYear) {
  Backup(m_folder + "/sub", "x_2016_" + std::string(kExt) + ".bak");
  ASSERT_TRUE(QFile::copy(QString::fromStdString(m_folder + "/sub/x_2016_tsa.bak"),
                          QString::fromStdString(m_folder + "/NOTE.BAK")));
  // A backup of another business year.
  ASSERT_TRUE(m_db->ExecuteSQL("Update SysTab Set PY=2017"));
  m_app.m_env.GetYear(true);
  Backup(m_folder, "y_2017_TSA.BAK");
  ASSERT_TRUE(m_db->ExecuteSQL("Update SysTab Set PY=2016"));
  m_app.m_env.GetYear(true);

  CSmBackupDlg dlg(m_app, CSmBackupDlg::kRestore);
  dlg.show();
  EXPECT_EQ(dlg.windowTitle().toStdString(), "数据恢复");
  EXPECT_FALSE(Button(dlg, SM_ID_OK)->isEnabled());
  EXPECT_FALSE(dlg.Control(CSmBackupDlg::kTargetEdit)->isVisible());
  // The position chosen at the backup is remembered.
  EXPECT_EQ(dlg.GetPosition(), m_folder + "/");
  std::vector<std::string> found;
  dlg.ListBackupFiles(m_folder, found);
  EXPECT_EQ(found, (std::vector<std::string>{m_folder + "/sub/x_2016_tsa.bak",
                                             m_folder + "/y_2017_TSA.BAK"}));

  SmResetMessages();
  dlg.BrowseTo(m_folder);
  auto* list = dlg.findChild<QComboBox*>(QString::number(CSmBackupDlg::kBackupList));
  ASSERT_EQ(list->count(), 1);  // the other year's backup is dropped
  EXPECT_EQ(list->itemText(0).toStdString(), m_folder + "/sub/x_2016_tsa.bak");
  EXPECT_EQ(Text(Button(dlg, SM_ID_OK)), "&S.恢复数据");
  EXPECT_TRUE(Button(dlg, SM_ID_OK)->isEnabled());
  EXPECT_FALSE(Button(dlg, CSmBackupDlg::kBrowseButton)->isEnabled());
  const std::string hint = Text(dlg.Control(CSmBackupDlg::kHintEdit));
  EXPECT_EQ(hint.rfind("    这是一个可用备份件：\n    备份件长度为：", 0), 0u) << hint;
  EXPECT_NE(hint.find("    数据文件的主体：" + m_app.m_env.GetUnitName() + "\n"),
            std::string::npos);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_P(BackupDlgTest, RestoreBringsTheBackupBackAndClosesWithOk) {
  Backup(m_folder, "x_tsa.bak");
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Ticket(N,T) Values(2,'after')"));
  CSmBackupDlg dlg(m_app, CSmBackupDlg::kRestore);
  dlg.show();
  dlg.BrowseTo(m_folder);
  SmResetMessages();
  EXPECT_FALSE(dlg.OnConfirm());
  ASSERT_EQ(dlg.GetState(), CSmBackupDlg::kRestored) << CSmMessageService::Instance().LastText();
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);  // equal codes: no question
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "数据恢复成功！\n  请退出重新注册。");
  EXPECT_EQ(Tickets(), 1);
  EXPECT_EQ(LogNotes(23), std::vector<std::string>{"成功地进行了数据恢复"});
  if (GetParam() == 0) {
    EXPECT_TRUE(QFile::exists(QString::fromStdString(CSmBackupDlg::KeptCopyOf(m_path))));
  }
  EXPECT_EQ(Text(Button(dlg, SM_ID_OK)), "&S.重新注册");
  EXPECT_FALSE(Button(dlg, SM_ID_CANCEL)->isEnabled());
  EXPECT_FALSE(dlg.Control(CSmBackupDlg::kBackupList)->isEnabled());
  Button(dlg, SM_ID_OK)->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  // Closing the window now leads to the log-in as well.
  dlg.setResult(QDialog::Rejected);
  dlg.reject();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_P(BackupDlgTest, DeclinedOrFailedRestoreLeavesTheDataFile) {
  Backup(m_folder, "x_tsa.bak");
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Ticket(N,T) Values(2,'after')"));
  // Another data file's backup asks first; No changes nothing and says nothing more.
  ASSERT_TRUE(m_db->ExecuteSQL("Update SysTab Set AN='OTHER'"));
  CSmBackupDlg dlg(m_app, CSmBackupDlg::kRestore);
  dlg.show();
  dlg.BrowseTo(m_folder);
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  dlg.OnConfirm();
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().LastText().rfind("当前数据文件的标识码为：“OTHER”", 0),
            0u);
  EXPECT_EQ(dlg.GetState(), CSmBackupDlg::kBeforeRestore);
  EXPECT_EQ(Tickets(), 2);
  EXPECT_TRUE(LogNotes(23).empty());

  // A table no module makes again cannot take its rows: the restore fails as a whole.
  ASSERT_TRUE(m_db->ExecuteSQL("Update SysTab Set AN='ID42'"));
  ASSERT_TRUE(m_db->ExecuteSQL("Create Table Stray(K Long)"));
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Stray(K) Values(5)"));
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // replace the earlier backup
  Backup(m_folder, "x_tsa.bak");
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Ticket(N,T) Values(3,'later')"));
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDOK);  // the statement's error box
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);  // "继续报错吗？"
  dlg.OnConfirm();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "数据恢复失败！\n  当前数据文件没有改动。");
  EXPECT_EQ(dlg.GetState(), CSmBackupDlg::kBeforeRestore);
  EXPECT_EQ(Tickets(), 3);
  EXPECT_TRUE(m_db->IsOpen());
  EXPECT_EQ(LogNotes(23), std::vector<std::string>{"数据恢复失败。"});
}

// The clerk's road: a backup, a new log-in, and the restore from that same archive through the
// dialogs. The archive is still the archive afterwards, the restore leaves no work files, and
// its log line stands under the session that made it, also after the next log-in.
TEST_P(BackupDlgTest, RestoreFromTheBackupJustMadeKeepsTheArchiveAndItsLogLine) {
  // A session is known by its thread and its starting second: each log-in here waits for the
  // next second, as a clerk's would.
  const auto newLogIn = [this] {
    m_app.m_opLog.EndWork();
    const qint64 second = QDateTime::currentSecsSinceEpoch();
    while (QDateTime::currentSecsSinceEpoch() == second) QThread::msleep(20);
    m_app.m_opLog.StartWork();
    return m_app.m_opLog.nTask;
  };
  CSmRegKey().DeleteValue(SM_HKEY_CURRENT_USER, m_app.GetSmRegKey(), "BakFilePos");
  std::string archive;
  {
    CSmBackupDlg backup(m_app, CSmBackupDlg::kBackup);
    backup.show();
    Button(backup, SM_ID_OK)->click();
    ASSERT_EQ(backup.GetState(), CSmBackupDlg::kUnloaded);
    // The data file's unload lies beside it under a backup's name; a database's is copied.
    archive = backup.GetWorkFile();
    if (GetParam() != 0) {
      backup.BrowseTo(m_folder);
      Button(backup, SM_ID_OK)->click();
      ASSERT_EQ(backup.GetState(), CSmBackupDlg::kCopied);
      archive = m_folder + "/" + backup.GetDefaultName();
    }
  }
  const QString archiveName = QString::fromStdString(archive);
  QFile file(archiveName);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  file.close();
  const int restoring = newLogIn();
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Ticket(N,T) Values(2,'after')"));

  CSmBackupDlg restore(m_app, CSmBackupDlg::kRestore);
  restore.show();
  // Nothing chosen yet, 浏览 starts at home; else at the position chosen.
  const std::string folder = QFileInfo(archiveName).path().toStdString();
  EXPECT_EQ(restore.GetPosition(),
            (GetParam() == 0 ? QDir::homePath().toStdString() : folder) + "/");
  restore.BrowseTo(folder);
  auto* list = restore.findChild<QComboBox*>(QString::number(CSmBackupDlg::kBackupList));
  ASSERT_GE(list->findText(archiveName), 0);
  list->setCurrentIndex(list->findText(archiveName));
  SmResetMessages();
  Button(restore, SM_ID_OK)->click();
  ASSERT_EQ(restore.GetState(), CSmBackupDlg::kRestored)
      << CSmMessageService::Instance().LastText();
  EXPECT_EQ(Tickets(), 1);

  // The archive is untouched and still loads.
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), bytes);
  CSmMDBBak again(*m_db);
  EXPECT_TRUE(again.LoadBackup(archive, 0) && again.LoadBackup(archive, 1));
  // No work file of the restore stays behind, beside the data file or on the server.
  const std::string name = m_db->GetFileName(true);
  if (GetParam() == 0) {
    const QString data = QFileInfo(QString::fromStdString(m_path)).path();
    EXPECT_TRUE(QDir(data).entryList({"*_restore*"}, QDir::Files).isEmpty());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(CSmBackupDlg::KeptCopyOf(m_path))));
  } else {
    CSmDatabase master(GetParam());
    ASSERT_TRUE(master.Open("master", m_login));
    EXPECT_FALSE(master.DatabaseExists(name + "_restore"));
    EXPECT_FALSE(master.DatabaseExists(name + "_old"));
  }

  // The restore's line is listed under its own session after the next log-in.
  const int next = newLogIn();
  EXPECT_NE(next, restoring);
  CSmOpLogArray sessions;
  CSmOpLog::QueryTasks("", "", m_db, &sessions);
  EXPECT_EQ(std::count_if(sessions.begin(), sessions.end(),
                          [&](const CSmOpLog& s) { return s.nTask == restoring; }),
            1);
  CSmLogRowArray rows;
  CSmLogRow::QueryTask(restoring, m_db, &rows);
  std::vector<std::string> notes;
  for (const CSmLogRow& row : rows) notes.push_back(TrimChars(row.sNote));
  EXPECT_NE(std::find(notes.begin(), notes.end(), "成功地进行了数据恢复"), notes.end());
  EXPECT_EQ(notes.back().rfind("操作员：", 0), 0u) << notes.back();  // its end
  rows.clear();
  CSmLogRow::QueryTask(next, m_db, &rows);
  for (const CSmLogRow& row : rows) EXPECT_NE(TrimChars(row.sNote), "成功地进行了数据恢复");
}

TEST_P(BackupDlgTest, BrowseOpensTheFolderDialogAtThePosition) {
  CSmBackupDlg dlg(m_app, CSmBackupDlg::kRestore);
  dlg.show();
  std::string shownAt;
  QTimer::singleShot(0, [&] {
    auto* folders = qobject_cast<CSmFolderDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(folders, nullptr);
    shownAt = folders->findChild<QLineEdit*>(QString::number(CSmFolderDlg::kFolderEdit))
                  ->text()
                  .toStdString();
    folders->findChild<QLineEdit*>(QString::number(CSmFolderDlg::kFolderEdit))
        ->setText(QString::fromStdString(m_folder));
    folders->findChild<QPushButton*>(QString::number(SM_ID_OK))->click();
  });
  const std::string before = dlg.GetPosition();
  Button(dlg, CSmBackupDlg::kBrowseButton)->click();
  EXPECT_EQ(shownAt, before);
  EXPECT_EQ(dlg.GetPosition(), m_folder + "/");
  EXPECT_EQ(dlg.findChild<QComboBox*>(QString::number(CSmBackupDlg::kBackupList))->count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BackupDlgTest, testing::Values(0, 2));

// The program's menu commands open the dialog in its two modes; only a restore that ends with
// OK logs in again.
class LogInCounter : public CSmApp {
 public:
  bool LogIn(const std::string&) override {
    ++logIns;
    return true;
  }
  int logIns = 0;
};

TEST(BackupCommands, OpenTheDialogInItsModes) {
  SmResetMessages();
  LogInCounter app;
  app.m_moduleInfo.m_ext = "tsd";
  ASSERT_TRUE(app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
  SmInstallAdminCommands(app);
  for (int id : {SM_ID_BACKUP, SM_ID_RESTORE}) {
    for (bool ok : {false, true}) {
      std::string title;
      QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CSmBackupDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        title = dlg->windowTitle().toStdString();
        if (ok) {
          dlg->done(QDialog::Accepted);
        } else {
          dlg->reject();
        }
      });
      EXPECT_TRUE(app.OnCommand(id));
      EXPECT_EQ(title, id == SM_ID_BACKUP ? "数据备份" : "数据恢复");
    }
  }
  EXPECT_EQ(app.logIns, 1);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

}  // namespace
