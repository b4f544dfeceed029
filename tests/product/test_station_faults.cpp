// The product as an unlucky site runs it, each workstation a process of its own: killed at many
// points while it makes a new year's data file, and given a full disk or a read-only folder
// while it backs up, makes a year file or logs in.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <map>
#include <string>
#include <vector>

#include "app/SmServerYearFile.h"
#include "app/SmSystemTables.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "tests/common/SmTestMain.h"
#include "tests/core/test_server_fixture.h"
#include "tests/product/TsStationApp.h"

namespace {

struct StationRun {
  bool killed = false;
  int exitCode = -1;
  qint64 workedMs = 0;             // from "begin" to the end
  std::vector<std::string> boxes;  // the boxes that told something
  std::vector<std::string> asked;  // the questions
};

// Runs the product's station on a task; with `killAfterMs` it is killed that long after it
// said it begins (unless it has ended by then).
StationRun RunStation(const QStringList& task, const std::map<QString, QString>& env = {},
                      int killAfterMs = -1) {
  QProcess station;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const auto& [name, value] : env) environment.insert(name, value);
  station.setProcessEnvironment(environment);
  station.start(SM_PRODUCT_STATION, task);
  StationRun run;
  if (!station.waitForStarted(10000)) return run;
  QByteArray out;
  while (!out.contains("begin\n") && station.state() == QProcess::Running) {
    station.waitForReadyRead(100);
    out += station.readAllStandardOutput();
  }
  QElapsedTimer clock;
  clock.start();
  if (killAfterMs >= 0 && !station.waitForFinished(killAfterMs)) {
    station.kill();
    run.killed = true;
  }
  station.waitForFinished(120000);
  run.workedMs = clock.elapsed();
  out += station.readAllStandardOutput();
  if (!run.killed && station.exitStatus() == QProcess::NormalExit)
    run.exitCode = station.exitCode();
  for (const QByteArray& line : out.split('\n')) {
    const std::string text = ReplaceAll(line.mid(5).toStdString(), "\\n", "\n");
    if (line.startsWith("box: ")) run.boxes.push_back(text);
    if (line.startsWith("ask: ")) run.asked.push_back(text);
  }
  return run;
}

// Every table of a data file with its row count: what a whole new year's file holds.
std::map<std::string, long> Contents(CSmDatabase& db) {
  std::map<std::string, long> rows;
  std::vector<std::string> tables;
  db.GetUserTables(&tables);
  for (const std::string& table : tables)
    rows[MakeUpperCopy(table)] = db.QueryInt("Select Count(*) From " + table);
  return rows;
}

std::string Bytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const QString& name : QDir(QString::fromStdString(folder)).entryList(QDir::Files))
    names.push_back(name.toStdString());
  return names;
}

// The year 2017 of an account set whose 2016 file exists, as a data file in a folder or as a
// server database.
class YearFileKillTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    if (Server()) {
      ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
      m_login = SmPgLogin(2);
      m_app.m_env.SetKind(2);
      ASSERT_TRUE(m_app.m_env.WriteDbLogin(m_login));
      DropServer(SmServerDatabaseName("tsd", kCode, 2016));
      DropServer(Made());
      DropServer(Work());
      ASSERT_TRUE(SmCreateServerYearFile(m_app, 2, m_login, kCode, 2016));
      return;
    }
    m_folder = SmTestHome() + "/kill";
    QDir(QString::fromStdString(m_folder)).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_folder)));
    ASSERT_TRUE(SmCreateYearFile(m_app, m_folder, 2016, nullptr));
  }
  void TearDown() override {
    if (!Server()) return;
    DropServer(SmServerDatabaseName("tsd", kCode, 2016));
    DropServer(Made());
    DropServer(Work());
  }

  bool Server() const { return GetParam() != 0; }
  std::string Made() const {
    return Server() ? SmServerDatabaseName("tsd", kCode, 2017) : m_folder + "/2017.tsd";
  }
  std::string Work() const { return Made() + (Server() ? "_new" : ".new"); }
  QStringList Task() const {
    return Server() ? QStringList{"yearfile-server", kCode, "2017"}
                    : QStringList{"yearfile", QString::fromStdString(m_folder), "2017"};
  }
  bool Exists(const std::string& name) const {
    if (!Server()) return QFile::exists(QString::fromStdString(name));
    CSmDatabase master(2);
    return master.Open("master", m_login) && master.DatabaseExists(name);
  }
  std::map<std::string, long> ContentsOf(const std::string& name) const {
    CSmDatabase db(GetParam());
    if (!db.Open(name, Server() ? m_login : CSmConnInfo(0))) return {};
    return Contents(db);
  }
  void DropServer(const std::string& name) const {
    CSmDatabase master(2);
    if (master.Open("master", m_login))
      master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
  }
  void Remove(const std::string& name) const {
    if (Server()) {
      DropServer(name);
    } else {
      CSmDatabase(0).DropDatabase(CSmConnInfo(0), name);
    }
  }

  static constexpr const char* kCode = "0979";
  TsStationApp m_app;
  std::string m_folder;
  CSmConnInfo m_login;
};

INSTANTIATE_TEST_SUITE_P(Kinds, YearFileKillTest, testing::Values(0, 2));

// Killed at delays that step through the whole making, the station leaves no file of the year
// or a whole one, and the year is made again after each kill.
TEST_P(YearFileKillTest, AKillLeavesNoFileOrAWholeOneAndTheYearIsMadeAgain) {
  const std::string asked = "年度文件“" + Made() + "” 创建成功！\n\n要执行2016─→2017年数据结转吗？";
  const std::vector<std::string> questions = {"真的要创建吗？", asked};
  const StationRun first = RunStation(Task());
  ASSERT_EQ(first.exitCode, 0);
  ASSERT_EQ(first.asked, questions);
  ASSERT_TRUE(first.boxes.empty());
  const std::map<std::string, long> whole = ContentsOf(Made());
  ASSERT_GT(whole.size(), 20u);
  ASSERT_EQ(whole.at("SYSTAB"), 1);
  Remove(Made());

  const int kKills = Server() ? 8 : 12;
  int midway = 0;
  for (int k = 0; k < kKills; ++k) {
    const int delay = static_cast<int>(first.workedMs * k / kKills);
    SCOPED_TRACE(delay);
    const StationRun killed = RunStation(Task(), {}, delay);
    if (Exists(Made())) {
      EXPECT_EQ(ContentsOf(Made()), whole);
      Remove(Made());
    } else if (killed.killed && Exists(Work())) {
      ++midway;
    }
    const StationRun again = RunStation(Task());
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.asked, questions);
    EXPECT_TRUE(again.boxes.empty());
    EXPECT_EQ(ContentsOf(Made()), whole);
    EXPECT_FALSE(Exists(Work()));
    Remove(Made());
  }
  EXPECT_GT(midway, 0) << "no kill landed while the file was being made";
}

// A full disk (a file-size limit the station cannot pass) and a read-only folder: each task
// stops at its first failed write with one box that says so, the system's reason after it, and
// leaves nothing half written and nothing else changed.
class StationFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    // The station that runs as the unprivileged user must reach the test's files.
    ASSERT_EQ(chmod(SmTestHome().c_str(), 0755), 0);
  }
  std::string Folder(const std::string& name) {
    const std::string folder = SmTestHome() + "/" + name;
    QDir(QString::fromStdString(folder)).removeRecursively();
    EXPECT_TRUE(QDir().mkpath(QString::fromStdString(folder + "/001")));
    return folder;
  }
  static void ExpectOneBox(const StationRun& run, const std::string& first) {
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.boxes.size(), 1u) << (run.boxes.empty() ? "" : run.boxes.back());
    EXPECT_EQ(run.boxes[0].rfind(first + "\n", 0), 0u) << run.boxes[0];
    EXPECT_GT(run.boxes[0].size(), first.size() + 1) << "the system's reason follows";
  }

  TsStationApp m_app;
};

constexpr const char* kFull = "磁盘已满，数据没有写入！";
constexpr const char* kReadOnly = "文件或文件夹是只读的，数据没有写入！";
const std::map<QString, QString> kFullDisk = {{"SM_FILE_SIZE_LIMIT", "4096"}};
const std::map<QString, QString> kNobody = {{"SM_AS_NOBODY", "1"}};

TEST_F(StationFaultTest, BackupStopsAtTheFullDiskAndSaysAReadOnlyFolderIsReadOnly) {
  const std::string root = Folder("backup");
  std::string file;
  ASSERT_TRUE(SmCreateYearFile(m_app, root + "/001", 2016, &file));
  const std::string before = Bytes(file);
  const QString data = QString::fromStdString(file);
  ExpectOneBox(RunStation({"backup", data}, {{"SM_FILE_SIZE_LIMIT", "1024"}}), kFull);
  EXPECT_EQ(FolderEntries(root + "/001"), std::vector<std::string>{"2016.tsd"});
  EXPECT_EQ(Bytes(file), before);

  // A write-protected medium: the unload beside the data file goes, the copy is refused.
  const std::string medium = root + "/medium";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(medium)));
  ASSERT_EQ(chmod(medium.c_str(), 0555), 0);
  ASSERT_EQ(chmod((root + "/001").c_str(), 0777), 0);
  ASSERT_EQ(chmod(file.c_str(), 0666), 0);
  ExpectOneBox(RunStation({"backup", data, QString::fromStdString(medium)}, kNobody), kReadOnly);
  EXPECT_TRUE(FolderEntries(medium).empty());
  ASSERT_EQ(chmod(medium.c_str(), 0755), 0);
  // With room again the same backup is made.
  EXPECT_EQ(RunStation({"backup", data, QString::fromStdString(medium)}).exitCode, 0);
  EXPECT_EQ(FolderEntries(medium).size(), 1u);
}

TEST_F(StationFaultTest, NewYearFileStopsAtTheFullDiskAndLeavesNothing) {
  const std::string folder = Folder("yearfile") + "/001";
  ASSERT_TRUE(SmCreateYearFile(m_app, folder, 2016, nullptr));
  const QStringList task = {"yearfile", QString::fromStdString(folder), "2017"};
  ExpectOneBox(RunStation(task, {{"SM_FILE_SIZE_LIMIT", "65536"}}), kFull);
  EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"2016.tsd"});

  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  ExpectOneBox(RunStation(task, kNobody), kReadOnly);
  EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"2016.tsd"});
  ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
  EXPECT_EQ(RunStation(task).exitCode, 0);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(folder + "/2017.tsd")));
}

TEST_F(StationFaultTest, LogInStopsAtTheFullDiskAndBeginsNoSession) {
  const std::string root = Folder("login");
  std::string file;
  ASSERT_TRUE(SmCreateYearFile(m_app, root + "/001", 2016, &file));
  const std::string before = Bytes(file);
  const QStringList task = {"login", QString::fromStdString(root), QString::fromStdString(file)};
  // A log-in opens on the folder and file the last one used: the station gets a registry of its
  // own, not the one that the tests before it left.
  const QString registry = QString::fromStdString(SmTestHome() + "/login-registry");
  ExpectOneBox(RunStation(task, {{"SM_FILE_SIZE_LIMIT", "1"}, {"XDG_CONFIG_HOME", registry}}),
               kFull);
  EXPECT_EQ(Bytes(file), before);
  EXPECT_EQ(FolderEntries(root + "/001"), std::vector<std::string>{"2016.tsd"});
  // With room again the log-in begins its session.
  EXPECT_EQ(RunStation(task, {{"XDG_CONFIG_HOME", registry}}).exitCode, 0);
  CSmDatabase db(0);
  ASSERT_TRUE(db.Open(file));
  EXPECT_EQ(db.QueryInt("Select Count(*) From SmTask"), 1);
}

}  // namespace
