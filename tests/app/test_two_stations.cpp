// Two workstations on one data file: a second process holds the file's write lock while this
// one saves, then changes the file information behind this one's back.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "app/SmApp.h"
#include "app/SmEnvironment.h"
#include "app/SmOperator.h"
#include "core/SmDatabase.h"
#include "core/SmSqliteBackend.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

// The other workstation: a child process with a connection of its own. It takes the write lock
// with a change of the unit name, says so on `ready`, and commits once `go` gets a byte.
class COtherStation {
 public:
  explicit COtherStation(const std::string& path) {
    if (pipe(m_ready) != 0 || pipe(m_go) != 0) return;
    m_pid = fork();
    if (m_pid == 0) Run(path);  // never returns
  }
  ~COtherStation() { Finish(); }
  COtherStation(const COtherStation&) = delete;
  COtherStation& operator=(const COtherStation&) = delete;

  bool WaitReady() {
    char byte = 0;
    return m_pid > 0 && read(m_ready[0], &byte, 1) == 1 && byte == 'r';
  }
  // Lets the other station commit and waits for it; its exit status.
  int Finish() {
    if (m_pid <= 0) return -1;
    const char go = 'g';
    [[maybe_unused]] const ssize_t n = write(m_go[1], &go, 1);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  [[noreturn]] void Run(const std::string& path) {
    int rc = 1;
    {
      CSmDatabase db(0);
      if (db.Open(path) && db.BeginTrans() &&
          db.ExecuteSQL("Update SYSTAB Set NA='另一工作站的单位'", {}, 128, false)) {
        const char ready = 'r';
        char go = 0;
        if (write(m_ready[1], &ready, 1) == 1 && read(m_go[0], &go, 1) == 1 && db.CommitTrans())
          rc = 0;
      }
    }
    _exit(rc);
  }

  int m_ready[2] = {-1, -1};
  int m_go[2] = {-1, -1};
  pid_t m_pid = -1;
};

long Count(CSmDatabase* db, const std::string& sql) {
  return db->QueryInt(sql);
}

std::string LastMessage() {
  return CSmMessageService::Instance().LastText();
}

}  // namespace

TEST(TwoStations, BusyFileIsSaidPlainlyAndALostUpdateIsCaught) {
  SmResetMessages();
  SmSetDataFileBusyWait(300);
  CSmApp app;
  app.m_moduleInfo.m_id = 9;
  app.m_moduleInfo.m_ext = "tsd";
  const std::string path = SmCreateTestDataFile(2016);
  CSmEnvironment env;
  ASSERT_TRUE(env.OpenFile("", path.substr(0, path.size() - 4), "101", true));
  CSmDatabase* db = env.GetDatabase();
  const long operators = Count(db, "Select Count(*) From OPR");
  {
    COtherStation other(path);
    ASSERT_TRUE(other.WaitReady());
    // Every save meets the other station's lock: each says so, none saves half.
    env.SetFileInfo("本站的单位", "张三", "", "");
    EXPECT_FALSE(env.WriteSysTab());
    EXPECT_EQ(LastMessage().rfind(kSmBusyText, 0), 0u) << LastMessage();
    EXPECT_NE(LastMessage().find("database is locked"), std::string::npos);
    SmResetMessages();
    CSmOperator op("104", "新来的", "口令");
    EXPECT_FALSE(op.Insert(db));
    EXPECT_EQ(LastMessage().rfind(kSmBusyText, 0), 0u) << LastMessage();
    SmResetMessages();
    EXPECT_FALSE(db->ExecuteSQL("Update OPR Set NA='x' Where OPNO='102'"));
    EXPECT_EQ(LastMessage().rfind(kSmBusyText, 0), 0u) << LastMessage();
    EXPECT_EQ(other.Finish(), 0);
  }
  EXPECT_EQ(Count(db, "Select Count(*) From OPR"), operators);
  EXPECT_EQ(Count(db, "Select Count(*) From OPR Where NA='x'"), 0);

  // The other station's unit name was saved after this one read the row: saving over it is
  // refused and says why, and the other's change stays.
  SmResetMessages();
  env.SetFileInfo("本站的单位", "张三", "", "");
  EXPECT_FALSE(env.WriteSysTab());
  EXPECT_EQ(LastMessage().rfind("文件信息已被另一工作站修改", 0), 0u) << LastMessage();
  EXPECT_EQ(env.GetUnitName(true), "另一工作站的单位");
  // Read again, the change goes through.
  env.SetFileInfo("本站的单位", "张三", "", "");
  EXPECT_TRUE(env.WriteSysTab());
  EXPECT_EQ(env.GetUnitName(true), "本站的单位");
  SmSetDataFileBusyWait(5000);
}
