// The backup archive on the data file: what its header holds, a backup restored row for row,
// and archives that are cut, damaged or of another year leaving the data file as it was.
#include <gtest/gtest.h>

#include <QFile>
#include <string>
#include <vector>

#include "admin/SmMDBBak.h"
#include "app/SmApp.h"
#include "core/SmArchive.h"
#include "core/SmDatabase.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

class BackupApp : public CSmApp {
 public:
  bool InitInstance(const std::vector<std::string>&) override { return true; }
};

// A module whose table the restore makes again before it fills it.
class TicketModule : public CSmDataType {
 public:
  void CreateTables(CSmDatabase* db) override {
    if (!db->TableExists("Ticket"))
      db->ExecuteSQL("Create Table Ticket(N Long,W Double,T Char(20))");
  }
};

class MDBBakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    app.m_moduleInfo.m_ext = "tsd";
    app.m_moduleInfo.m_id = 9;
    app.m_dataTypes = {&tickets};
    path = SmCreateTestDataFile(2016);
    ASSERT_TRUE(app.m_env.OpenFile("", path, "101", true));
    db = app.m_env.GetDatabase();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->ExecuteSQL("Update SysTab Set AN='ID42',NA='某单位'"));
    app.m_env.GetUnitName(true);
    ASSERT_TRUE(db->ExecuteSQL("Insert Into Ticket(N,W,T) Values(1,12.12345678,'甘蔗''s|1')"));
    ASSERT_TRUE(db->ExecuteSQL("Insert Into Ticket(N,W,T) Values(-2,123456789012345678901.5,'')"));
    archive = path + ".bak";
  }

  std::vector<std::string> Rows() {
    std::vector<std::string> rows[1];
    db->QueryStrings(
        "Select Cast(N As Char(12))+'/'+Cast(W As Char(40))+'/'+T From Ticket Order By N", rows, 1);
    return rows[0];
  }

  std::string Bytes() {
    QFile file(QString::fromStdString(archive));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
  }
  void WriteBytes(const std::string& bytes) {
    QFile file(QString::fromStdString(archive));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  void TearDown() override { app.m_dataTypes.clear(); }

  TicketModule tickets;
  BackupApp app;
  std::string path;
  std::string archive;
  CSmDatabase* db = nullptr;
};

TEST_F(MDBBakTest, HeaderAndTableListOrder) {
  CSmMDBBak bak(*db);
  bak.m_time = "2016年12月07日10时30分";
  std::vector<std::string> tables;
  EXPECT_GT(bak.GetTableList(tables), 3);
  ASSERT_GE(tables.size(), 2u);
  EXPECT_EQ(tables[0], "SysTab");
  EXPECT_EQ(tables[1], "SysCsTab");
  ASSERT_TRUE(bak.SaveBackup(archive));

  const std::string bytes = Bytes();
  // The marker and the identification code: one length byte, then the text in the code page.
  const std::string first = std::string("\x0E", 1) + CSmMDBBak::kMarker + "/ID42";
  EXPECT_EQ(bytes.substr(0, first.size()), first);
  CSmArchiveReader in(bytes);
  std::string text, file, unit, oper, time;
  int32_t module = 0, year = 0, count = 0;
  ASSERT_TRUE(in.ReadText(text) && in.ReadText(file) && in.ReadInt(module) && in.ReadInt(year) &&
              in.ReadText(unit) && in.ReadText(oper) && in.ReadText(time) && in.ReadInt(count));
  EXPECT_EQ(file, path);
  EXPECT_EQ(module, 9);
  EXPECT_EQ(year, 2016);
  EXPECT_EQ(unit, "某单位");
  EXPECT_EQ(time, "2016年12月07日10时30分");
  EXPECT_EQ(count, static_cast<int32_t>(tables.size()));
  // The unit name is two bytes a character in the file.
  EXPECT_NE(bytes.find(std::string("\x06\xC4\xB3\xB5\xA5\xCE\xBB", 7)), std::string::npos);

  CSmMDBBak reader(*db);
  EXPECT_TRUE(reader.LoadBackup(archive, 0));
  EXPECT_TRUE(reader.LoadBackup(archive, 1));
  EXPECT_EQ(reader.m_unitName, "某单位");
  EXPECT_EQ(reader.m_archiveCode, "ID42");
}

TEST_F(MDBBakTest, RestoreGivesEveryRowBackExactly) {
  const std::vector<std::string> before = Rows();
  ASSERT_EQ(before.size(), 2u);
  ASSERT_TRUE(CSmMDBBak(*db).SaveBackup(archive));
  ASSERT_TRUE(db->ExecuteSQL("Delete From Ticket Where N=1"));
  ASSERT_TRUE(db->ExecuteSQL("Insert Into Ticket(N,W,T) Values(9,9,'junk')"));
  const long operators = db->QueryInt("Select Count(*) From OPR");
  SmResetMessages();
  ASSERT_TRUE(CSmMDBBak(*db).LoadBackup(archive, 2)) << CSmMessageService::Instance().LastText();
  EXPECT_TRUE(
      CSmMessageService::Instance().Shown().empty());  // equal codes and counts: no question
  // The archive keeps texts in the data file's literal form, where "|" is the full-width bar.
  std::vector<std::string> expected = before;
  expected[1] = "1/12.12345678/甘蔗's｜1";
  EXPECT_EQ(Rows(), expected);
  EXPECT_EQ(db->QueryInt("Select Count(*) From OPR"), operators);
  EXPECT_EQ(db->QueryInt("Select Count(*) From SysCsTab Where CS=9133"), 1);
  // More than six decimals come back as they were.
  EXPECT_EQ(db->QueryInt("Select Count(*) From Ticket Where W=12.12345678"), 1);
}

TEST_F(MDBBakTest, DamagedArchivesChangeNothing) {
  ASSERT_TRUE(CSmMDBBak(*db).SaveBackup(archive));
  const std::string whole = Bytes();
  ASSERT_TRUE(db->ExecuteSQL("Insert Into Ticket(N,W,T) Values(7,7,'after')"));
  const std::vector<std::string> now = Rows();
  for (size_t cut : {size_t{5}, size_t{40}, whole.size() / 2, whole.size() - 1}) {
    SCOPED_TRACE(cut);
    WriteBytes(whole.substr(0, cut));
    EXPECT_FALSE(CSmMDBBak(*db).LoadBackup(archive, 2));
    EXPECT_EQ(Rows(), now);
  }
  // Another business year: not loaded, without a word.
  ASSERT_TRUE(db->ExecuteSQL("Update SysTab Set PY=2017"));
  app.m_env.GetYear(true);
  WriteBytes(whole);
  SmResetMessages();
  CSmMDBBak other(*db);
  EXPECT_TRUE(other.LoadBackup(archive, 0));
  EXPECT_FALSE(other.LoadBackup(archive, 1));
  EXPECT_FALSE(other.LoadBackup(archive, 2));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(Rows(), now);
  // An empty file fails the marker test.
  WriteBytes("");
  EXPECT_FALSE(other.LoadBackup(archive, 0));
}

}  // namespace

// The same backup and restore on a server database: the side database is filled, then the
// databases are swapped while no other session uses them.
#include "tests/core/test_server_fixture.h"

namespace {

TEST(MDBBakServer, RestoreSwapsInAFilledSideDatabase) {
  BackupApp app;
  TicketModule tickets;
  app.m_dataTypes = {&tickets};
  CSmDatabase db(2);
  const std::string name = SmServerTestName("bak");
  SmFreshServerDatabase(db, name);
  app.AfterOpen(&db);
  ASSERT_TRUE(db.ExecuteSQL("Insert Into Ticket(N,W,T) Values(1,12.12345678,'甘蔗''s|1')"));
  const std::string archive = SmTestHome() + "/" + name + ".bak";
  SmResetMessages();
  ASSERT_TRUE(CSmMDBBak(db).SaveBackup(archive)) << CSmMessageService::Instance().LastText();
  ASSERT_TRUE(db.ExecuteSQL("Delete From Ticket"));
  ASSERT_TRUE(CSmMDBBak(db).LoadBackup(archive, 2)) << CSmMessageService::Instance().LastText();
  ASSERT_TRUE(db.IsOpen());
  std::vector<std::string> rows[1];
  db.QueryStrings("Select T From Ticket Where W=12.12345678", rows, 1);
  EXPECT_EQ(rows[0], std::vector<std::string>{"甘蔗's|1"});
  app.m_dataTypes.clear();
}

}  // namespace
