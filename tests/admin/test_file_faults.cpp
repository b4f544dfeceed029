// A clerk's data file meets a fault: a damaged page or a file that is no data file at the
// log-in, a nearly full disk while a new year's file is made, and backup archives whose texts
// hold a byte of the code page's own or one that means nothing. Each says what happened in one
// box and leaves the data file as it was, with nothing beside it that was not there before.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "admin/SmBackupDlg.h"
#include "admin/SmMDBBak.h"
#include "admin/SmNewYearFileDlg.h"
#include "cane/TsDataType.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "platform/SmCommandIds.h"
#include "tests/admin/test_admin_fixture.h"
#include "tests/app/test_login_fixture.h"

namespace {

std::string Bytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  const QDir dir(QString::fromStdString(folder));
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
    names.push_back(name.toStdString());
  }
  return names;
}

std::vector<std::string> ShownTexts() {
  std::vector<std::string> texts;
  for (const auto& box : CSmMessageService::Instance().Shown()) texts.push_back(box.text);
  return texts;
}

// Files of this process grow no further than `bytes` while it lives, as on a disk with no more
// room: a write past it is refused ("File too large") instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    m_handler = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limited = m_old;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    signal(SIGXFSZ, m_handler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit m_old{};
  sighandler_t m_handler;
};

// The page of the data file that holds the first rows of `table`, overwritten with bytes that
// make no page.
void DamagePageOf(const std::string& file, const std::string& table) {
  long page = 0;
  long size = 0;
  {
    CSmDatabase db(0);
    ASSERT_TRUE(db.Open(file));
    page = db.QueryInt("Select rootpage From sqlite_master Where name='" + table + "'");
    size = db.QueryInt("PRAGMA page_size");
  }
  ASSERT_GT(page, 1);
  QFile data(QString::fromStdString(file));
  ASSERT_TRUE(data.open(QIODevice::ReadWrite));
  ASSERT_TRUE(data.seek((page - 1) * size));
  data.write(QByteArray(static_cast<int>(size), '\xA5'));
}

// The log-in to the file through the open-data-file dialog as operator 101; the dialog is
// cancelled when it refuses the file.
bool LogInTo(LoginApp& app, const std::string& file) {
  QObject timers;
  app.m_env.SetRootDir(file.substr(0, file.rfind("/001/")));
  OnModalOf(&timers, 815, [&](QWidget* dlg) {
    static_cast<CSmOpenDataFileDlg*>(dlg)->Tree()->SelectFile(file);
    ChooseOperator(dlg, "101");
    Click(dlg, SM_ID_OK);
    if (dlg->isVisible()) Click(dlg, SM_ID_CANCEL);
  });
  return app.LogIn("");
}

// The year after the data file's, made beside it while files may grow to 8 KB at most.
bool MakeNextYearOnAFullDisk(LoginApp& app, const std::string& file) {
  CTsDataType cane;
  cane.m_number = 16;
  cane.SetDefaultParams();
  app.m_dataTypes = {&cane};
  const std::string folder = file.substr(0, file.rfind('/'));
  CSmNewYearFileDlg dlg(app, 1, 0, file, {});
  dlg.findChild<QLineEdit*>(QString::number(CSmNewYearFileDlg::kPlaceEdit))
      ->setText(QString::fromStdString(folder));
  dlg.findChild<QLineEdit*>(QString::number(CSmNewYearFileDlg::kYearEdit))->setText("2017");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // 真的要创建吗？
  bool made = false;
  {
    FileSizeLimit full(8192);
    made = dlg.CreateDataFile();
  }
  app.m_dataTypes.clear();
  return made;
}

TEST(FileFaults, EachSaysWhatHappenedOnceAndLeavesTheFilesAsTheyWere) {
  const struct {
    const char* name;
    std::function<void(const std::string& file)> fault;  // done to the data file of 2016
    std::function<bool(LoginApp& app, const std::string& file)> work;
    std::function<std::vector<std::string>(const std::string& file)> boxes;
  } cases[] = {
      {"a damaged page at the log-in", [](const std::string& f) { DamagePageOf(f, "OPR"); },
       LogInTo,
       [](const std::string& f) {
         return std::vector<std::string>{"数据文件“" + f +
                                         "”已损坏，请新建一套账，然后从备份件中恢复数据！"};
       }},
      {"a damaged page that the log-in does not read",
       [](const std::string& f) { DamagePageOf(f, "SMFONT"); }, LogInTo,
       [](const std::string& f) {
         return std::vector<std::string>{"数据文件“" + f +
                                         "”已损坏，请新建一套账，然后从备份件中恢复数据！"};
       }},
      {"no data file at the log-in",
       [](const std::string& f) { WriteBytes(f, "this is not a data file at all, only text"); },
       LogInTo, [](const std::string&) { return std::vector<std::string>{"无法打开此文件！"}; }},
      {"a new year's file on a nearly full disk", nullptr, MakeNextYearOnAFullDisk,
       [](const std::string&) {
         return std::vector<std::string>{
             "真的要创建吗？", "磁盘已满，数据没有写入！\nFile too large (disk I/O error)"};
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string root = SmTestHome() + "/faults";
    QDir(QString::fromStdString(root)).removeRecursively();
    const std::string file = SmCreateTestDataFile(2016, root + "/001");
    if (c.fault) c.fault(file);
    const std::string before = Bytes(file);
    const std::vector<std::string> entries = Entries(root + "/001");
    SmResetMessages();
    {
      LoginApp app("FileFaults");
      EXPECT_FALSE(c.work(app, file));
      EXPECT_EQ(app.GetDatabase(), nullptr);
    }
    EXPECT_EQ(ShownTexts(), c.boxes(file));
    EXPECT_TRUE(Bytes(file) == before) << "the data file changed";
    EXPECT_EQ(Entries(root + "/001"), entries);
  }
}

// A module table whose texts go through the archive.
class TicketModule : public CSmDataType {
 public:
  void CreateTables(CSmDatabase* db) override {
    if (!db->TableExists("Ticket")) db->ExecuteSQL("Create Table Ticket(N Long,T Char(20))");
  }
};

class ArchiveTextTest : public AdminFileTest {
 protected:
  void SetUp() override {
    m_app.m_dataTypes = {&m_tickets};
    AdminFileTest::SetUp();
  }
  std::vector<std::string> Tickets() {
    std::vector<std::string> rows;
    m_db->QueryStrings("Select rtrim(T) From Ticket Order By N", &rows, 1);
    return rows;
  }
  TicketModule m_tickets;
};

INSTANTIATE_TEST_SUITE_P(Kinds, ArchiveTextTest, testing::Values(0, 2));

// The restore reads a text's bytes as the code page has them: 0x80 is the euro sign, and the
// sign the program writes reads back as itself. A text of bytes that mean nothing stops the
// restore with its table and row, and the data file stays as it was.
TEST_P(ArchiveTextTest, TextsReadAsTheCodePageHasThemOrNameTheirRow) {
  // The server gives the names of its catalogue in lower case.
  const std::string table = GetParam() == 0 ? "Ticket" : "ticket";
  const std::string unreadable =
      "备份件中数据表“" + table + "”第2行有不能识别的文字，数据没有恢复！";
  const struct {
    const char* name;
    const char* text;    // the second ticket's text when the backup is made
    std::string stored;  // what the archive holds in place of its bytes (as made when empty)
    const char* back;    // the second ticket's text after the restore; null: nothing restored
  } cases[] = {
      {"the code page's euro sign", "EURO1", "EURO\x80", "EURO€"},
      {"the euro sign as written", "EURO€", "", "EURO€"},
      {"a byte that starts no character", "EURO1", "EURO\xFF", nullptr},
      {"half a character", "EURO1", "EURO\xD5", nullptr},
  };
  const std::string media = SmTestHome() + "/texts" + std::to_string(GetParam());
  const std::string folder = m_path.substr(0, m_path.rfind('/'));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(QString::fromStdString(media)).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(media)));
    ASSERT_TRUE(m_db->ExecuteSQL("Delete From Ticket"));
    ASSERT_TRUE(m_db->ExecuteBound("Insert Into Ticket(N,T) Values(?,?)", {},
                                   {SmDbValue::OfInt(1), SmDbValue::OfText("甘蔗")}));
    ASSERT_TRUE(m_db->ExecuteBound("Insert Into Ticket(N,T) Values(?,?)", {},
                                   {SmDbValue::OfInt(2), SmDbValue::OfText(c.text)}));
    ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Ticket(N,T) Values(3,'c')"));
    const std::string archive = media + "/x_tsa.bak";
    ASSERT_TRUE(CSmMDBBak(*m_db).SaveBackup(archive));
    if (!c.stored.empty()) {
      std::string written;
      ASSERT_TRUE(Utf8ToGbk(c.text, written));
      std::string bytes = Bytes(archive);
      const size_t at = bytes.find(written);
      ASSERT_NE(at, std::string::npos);
      ASSERT_EQ(written.size(), c.stored.size());  // the length before the text stays right
      WriteBytes(archive, bytes.replace(at, written.size(), c.stored));
    }
    ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Ticket(N,T) Values(4,'after')"));
    const std::vector<std::string> now = Tickets();
    CSmBackupDlg dlg(m_app, CSmBackupDlg::kRestore);
    dlg.show();
    dlg.BrowseTo(media);
    std::vector<std::string> entries = Entries(folder);
    SmResetMessages();
    dlg.OnConfirm();
    EXPECT_EQ(ShownTexts(),
              std::vector<std::string>{c.back ? "数据恢复成功！\n  请退出重新注册。" : unreadable});
    const std::vector<std::string> back = {"甘蔗", c.back ? c.back : "", "c"};
    EXPECT_EQ(Tickets(), c.back ? back : now);
    // The restore's outcome is the one line the operation log gains.
    const std::vector<std::string> notes = LogNotes(23);
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back(), c.back ? "成功地进行了数据恢复" : "数据恢复失败。");
    if (GetParam() != 0) continue;
    // Beside the data file only the copy the restore keeps of it, as it was.
    const std::string kept = CSmBackupDlg::KeptCopyOf(m_path);
    entries.push_back(kept.substr(kept.rfind('/') + 1));
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    EXPECT_EQ(Entries(folder), entries);
    QFile::remove(QString::fromStdString(kept));
  }
}

}  // namespace
