// Work sessions and log rows of the operation log, and the operators of a data file.
#include <gtest/gtest.h>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "app/SmOperator.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

class CaneItems : public CSmDataType {
 public:
  CaneItems() { m_number = 16; }
  void GetItemNames(std::vector<int>& codes, CSmStringList& names) override {
    codes = {1, 2, 3};
    names = {"系统参数", "农户目录", "甘蔗砍运地目录"};
  }
};

class OpLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.m_moduleInfo.m_ext = "tsd";
    m_app.m_dataTypes = {&m_cane};
    const std::string path = SmCreateTestDataFile(2016);
    ASSERT_TRUE(m_app.m_env.OpenFile("", path, "101", true));
    m_db = m_app.m_env.GetDatabase();
    ASSERT_NE(m_db, nullptr);
  }
  void TearDown() override { m_app.m_dataTypes.clear(); }

  std::vector<std::string> Strings(const std::string& sql) {
    std::vector<std::string> rows;
    m_db->QueryStrings(sql, &rows, 1);
    return rows;
  }
  CSmLogRowArray Rows() {
    CSmLogRowArray rows;
    CSmLogRow::Query("", "Order By nTaskID", m_db, &rows);
    return rows;
  }

  CaneItems m_cane;
  CSmApp m_app;
  CSmDatabase* m_db = nullptr;
};

TEST_F(OpLogTest, WorkSessionFromLogInToEndOfWork) {
  m_app.m_opLog.StartWork();
  const int task = m_app.m_opLog.nTask;
  EXPECT_EQ(task, 1);
  CSmOpLogArray tasks;
  ASSERT_EQ(CSmOpLog::QueryTasks("", "", m_db, &tasks), 1);
  EXPECT_EQ(tasks[0].sT1.size(), 14u);
  EXPECT_EQ(tasks[0].sT1, m_app.m_opLog.sT1);

  CSmOpLog(10, "增加操作员：103(王五)");
  CSmOpLog(16, 3, "");  // an empty note names the module's item

  m_app.m_opLog.EndWork();
  const CSmLogRowArray rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].nTaskID, 0);
  EXPECT_EQ(rows[0].sNote, "操作员：管理员(101) 开始工作");
  EXPECT_EQ(rows[0].sOp, "管理员(101)");
  EXPECT_EQ(rows[1].nTaskID, 1);
  EXPECT_EQ(rows[1].sNote, "操作员：管理员(101) 结束工作");
  EXPECT_EQ(rows[2].nTaskID, 10);
  EXPECT_EQ(rows[2].sNote, "增加操作员：103(王五)");
  EXPECT_EQ(rows[3].nTaskID, 1603);
  EXPECT_EQ(rows[3].sNote, "甘蔗砍运地目录");
  for (const CSmLogRow& row : rows) EXPECT_EQ(row.nTask, task);
  ASSERT_TRUE(m_app.m_opLog.LoadTask(task, m_db));
  EXPECT_GE(m_app.m_opLog.sT2, m_app.m_opLog.sT1);
  EXPECT_EQ(Strings("Select rtrim(sOp) From SmLogOp"), std::vector<std::string>{"管理员(101)"});

  // The same session started again within the same second keeps its number and its one row;
  // the operator text stays registered once.
  const std::string firstStart = m_app.m_opLog.sT1;
  m_app.m_opLog.StartWork();
  if (m_app.m_opLog.sT1 == firstStart) {
    EXPECT_EQ(m_app.m_opLog.nTask, task);
    EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmTask"), 1);
  }
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmLogOp"), 1);

  std::string numbers;
  EXPECT_EQ(CSmLogRow::ListTaskNumbers("", numbers, m_db), -1);
  EXPECT_EQ(numbers, "all");
  EXPECT_EQ(CSmLogRow::ListTaskNumbers("Where nTaskID=10", numbers, m_db), 1);
  EXPECT_EQ(numbers, " 1 ");
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(OpLogTest, OneSessionIsReadThroughItsIndexAlsoInOlderFiles) {
  auto plan = [&] {
    std::vector<std::string> columns[4];
    m_db->QueryStrings("EXPLAIN QUERY PLAN Select sNote From SmLog Where nTask = 3", columns, 4);
    return columns[3].empty() ? std::string() : columns[3][0];
  };
  EXPECT_NE(plan().find("USING INDEX SmLogTask"), std::string::npos) << plan();
  ASSERT_TRUE(m_db->ExecuteSQL("Drop Index SmLogTask"));
  EXPECT_EQ(plan().find("INDEX"), std::string::npos) << plan();
  CSmOpLog::CreateTables(m_db);  // what opening an older file runs
  EXPECT_NE(plan().find("USING INDEX SmLogTask"), std::string::npos) << plan();
  CSmOpLog::CreateTables(m_db);  // and again: nothing to do, nothing reported
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(OpLogTest, SessionNumberTakenByAnotherWorkstationIsTakenAgain) {
  // Another workstation stores session 1 at the very moment this one does: this one's row is
  // rolled back and the next number taken, and every log row names the session that stays.
  ASSERT_TRUE(m_db->ExecuteSQL(
      "Create Trigger other After Insert On SmTask When new.nTask=1 And new.nThreadID<>7 "
      "Begin Insert Into SmTask(nTask,nThreadID,sT1) Values(1,7,'x'); End"));
  m_app.m_opLog.StartWork();
  EXPECT_EQ(m_app.m_opLog.nTask, 2);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmTask"), 1);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmTask Where nTask=2"), 1);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmLog"), 1);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmLog Where nTask=2"), 1);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(OpLogTest, LongNotesAreCutOnCharacterBoundaries) {
  m_app.m_opLog.StartWork();
  struct Case {
    std::string note;
    std::string stored;
  };
  const std::string han115 = [] {
    std::string s;
    for (int i = 0; i < 115; ++i) s += "蔗";
    return s;
  }();
  const Case cases[] = {
      {std::string(230, 'a'), std::string(230, 'a')},
      {std::string(231, 'a'), std::string(230, 'a') + "..."},
      {han115, han115},
      // 231 bytes whose 230th byte is the first half of a character: that character goes.
      {"a" + han115, "a" + han115.substr(0, han115.size() - 3) + "..."},
      {"O'Neil|\"x\"", "O'Neil|\"x\""},
  };
  for (const Case& c : cases) {
    m_db->ExecuteSQL("Delete From SmLog");
    CSmOpLog(2, c.note);
    const CSmLogRowArray rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].sNote, c.stored);
    EXPECT_LE(GbkSize(rows[0].sNote), 233u);
  }
}

TEST_F(OpLogTest, LogSwitchOffWritesNoSessionButEndStillClosesIt) {
  m_app.m_opLog.StartWork();
  m_app.m_env.SetLogOn(0);
  const long before = m_db->QueryInt("Select Count(*) From SmLog");
  CSmOpLog(10, "x");
  m_app.m_opLog.sT2.clear();
  m_app.m_opLog.EndWork();
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmLog"), before);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmTask"), 1);

  CSmOpLog fresh;
  m_app.m_opLog = fresh;
  m_app.m_opLog.m_enabled = 1;
  m_db->ExecuteSQL("Delete From SmTask");
  m_app.m_opLog.StartWork();
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmTask"), 0);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmLogOp"), 1);  // from the first session
}

TEST_F(OpLogTest, OperatorsAndTheirRights) {
  // Numbers below "101" are refused; the password is stored hashed, behind the marker.
  CSmOperator low("099", "低", "");
  EXPECT_FALSE(low.Insert(m_db));
  CSmOperator op("103", "O'Brien长名字的操作员", "Ab1|x'9");
  ASSERT_TRUE(op.Insert(m_db));
  const std::string stored = Strings("Select rtrim(Psd) From Opr Where Opno='103'").at(0);
  EXPECT_EQ(stored[0], '\x07');
  EXPECT_TRUE(SmIsHashedPassword(stored));
  EXPECT_EQ(stored.find("Ab1"), std::string::npos);
  CSmOperator back;
  ASSERT_TRUE(back.LoadByCode("103", m_db));
  // The name is cut to its column without splitting a character.
  EXPECT_EQ(back.Na, "O'Brien长名字的操作");
  EXPECT_EQ(back.Psd, "");
  EXPECT_TRUE(back.CheckPassword("aB1|X'9", m_db));  // case ignored
  EXPECT_FALSE(back.CheckPassword("Ab1|x'", m_db));

  // A second operator of the same number is rolled back.
  CSmOperator twin("103", "又一个", "");
  EXPECT_FALSE(twin.Insert(m_db));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "操作员代码重复！");
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From Opr Where Opno='103'"), 1);

  // Renaming moves the rights.
  ASSERT_TRUE(SetRight(true, "103", "0006", m_db));
  EXPECT_TRUE(HasRight("103", "0006", m_db));
  op.Opno = "105";
  ASSERT_TRUE(op.Update("103", m_db));
  EXPECT_TRUE(HasRight("105", "0006", m_db));
  EXPECT_FALSE(HasRight("103", "0006", m_db));
  ASSERT_TRUE(SetRight(false, "105", "0006", m_db));
  EXPECT_FALSE(HasRight("105", "0006", m_db));

  // The administrator keeps his number and rights and stays.
  CSmOperator admin;
  ASSERT_TRUE(admin.LoadByCode("101", m_db));
  admin.Opno = "106";
  EXPECT_FALSE(admin.Update("101", m_db));
  EXPECT_FALSE(SetRight(false, "101", "0001", m_db));
  EXPECT_FALSE(DeleteOperator("101", m_db));
  ASSERT_TRUE(DeleteOperator("105", m_db));
  CSmOperatorArray list;
  EXPECT_EQ(LoadOperatorList(&list, m_db, false), 1);
  EXPECT_EQ(list[0].Opno, "102");
}

TEST_F(OpLogTest, PasswordChangedOutsideTheProgramIsCleared) {
  CSmOperator op;
  ASSERT_TRUE(op.LoadByCode("102", m_db));
  op.Psd = "secret";
  ASSERT_TRUE(op.SetPassword(m_db));
  EXPECT_TRUE(CheckStoredPasswords(m_db));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());

  m_db->ExecuteSQL("Update Opr Set Psd='plain' Where Opno='102'");
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  EXPECT_FALSE(CheckStoredPasswords(m_db));
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "操作员(102)的口令被程序外修改，现将他的口令删除，继续吗？");
  ASSERT_TRUE(op.LoadByCode("102", m_db));
  EXPECT_EQ(op.StoredPassword(), "\x07");
  EXPECT_TRUE(op.CheckPassword("", m_db));
}

TEST_F(OpLogTest, OldFormPasswordLogsInOnceAndIsHashedFromThen) {
  const std::string old = SmEncodePassword("Old pw");
  ASSERT_TRUE(
      m_db->ExecuteBound("Update Opr Set Psd=? Where Opno='102'", {}, {SmDbValue::OfText(old)}));
  CSmOperator op;
  ASSERT_TRUE(op.LoadByCode("102", m_db));
  EXPECT_FALSE(op.CheckPassword("wrong", m_db));
  EXPECT_EQ(Strings("Select Psd From Opr Where Opno='102'").at(0), old);
  EXPECT_TRUE(op.CheckPassword("old PW", m_db));
  // The file holds the hash now: neither the password nor its substitution.
  const std::string stored = Strings("Select rtrim(Psd) From Opr Where Opno='102'").at(0);
  EXPECT_TRUE(SmIsHashedPassword(stored));
  EXPECT_EQ(stored.find(old.substr(1)), std::string::npos);
  EXPECT_EQ(stored.find("Old pw"), std::string::npos);
  CSmOperator again;
  ASSERT_TRUE(again.LoadByCode("102", m_db));
  EXPECT_TRUE(again.CheckPassword("OLD PW", m_db));
  // Trailing blanks belong to a password.
  again.Psd = "pw ";
  ASSERT_TRUE(again.SetPassword(m_db));
  ASSERT_TRUE(again.LoadByCode("102", m_db));
  EXPECT_TRUE(again.CheckPassword("PW ", m_db));
  EXPECT_FALSE(again.CheckPassword("pw", m_db));
  // Two hashes of one password differ by their salt.
  EXPECT_NE(SmHashPassword("x"), SmHashPassword("x"));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(OpLogTest, OperatorSavedFromAStaleDialogOverwritesNothing) {
  CSmOperator mine;
  ASSERT_TRUE(mine.LoadByCode("102", m_db));
  // Another workstation sets a password in between: a rename from the stale record is refused
  // and the password stays.
  CSmOperator other;
  ASSERT_TRUE(other.LoadByCode("102", m_db));
  other.Psd = "neu";
  ASSERT_TRUE(other.SetPassword(m_db));
  mine.Na = "改名";
  EXPECT_FALSE(mine.Update("102", m_db));
  EXPECT_EQ(CSmMessageService::Instance().LastText().rfind("该操作员已被另一工作站修改", 0), 0u);
  ASSERT_TRUE(other.LoadByCode("102", m_db));
  EXPECT_EQ(other.Na, "×××");
  EXPECT_TRUE(other.CheckPassword("neu", m_db));
  // Read again, the rename goes through and keeps the password.
  ASSERT_TRUE(mine.LoadByCode("102", m_db));
  mine.Na = "改名";
  ASSERT_TRUE(mine.Update("102", m_db));
  ASSERT_TRUE(other.LoadByCode("102", m_db));
  EXPECT_TRUE(other.CheckPassword("neu", m_db));
  // Deleted in between: said so, not taken for a duplicate number.
  ASSERT_TRUE(DeleteOperator("102", m_db));
  mine.Na = "再改";
  EXPECT_FALSE(mine.Update("102", m_db));
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "该操作员已被另一工作站删除，本次修改没有保存！");
}

TEST_F(OpLogTest, KeysRefuseWhatTwoStationsWouldWriteTwice) {
  // Rows written past the program's own count check (as two stations at once would) are
  // refused by the file itself.
  const std::pair<const char*, const char*> twice[] = {
      {"Insert Into OPR(OPNO,NA,PSD) Values('102','x','\x07')", "OPR"},
      {"Insert Into PWR(OPNO,PWR) Values('102','0003')", "PWR"},
  };
  for (const auto& [sql, table] : twice) {
    EXPECT_FALSE(m_db->ExecuteSQL(sql, {}, 128, false)) << table;
    EXPECT_EQ(m_db->LastFailure(), SmDbFailure::Duplicate) << table;
  }
  // A right granted twice is simply there; a session number taken is passed over.
  EXPECT_TRUE(SetRight(true, "102", "0003", m_db));
  m_app.m_opLog.StartWork();
  const int first = m_app.m_opLog.nTask;
  EXPECT_FALSE(m_db->ExecuteBound("Insert Into SmTask(nTask) Values(?)", {},
                                  {SmDbValue::OfInt(first)}, false));
  EXPECT_EQ(m_db->LastFailure(), SmDbFailure::Duplicate);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(OpLogTest, DuplicatesOfAnOlderFileAreNamedWhenItOpens) {
  ASSERT_TRUE(m_db->ExecuteSQL("Drop Index OPR_OPNO"));
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into OPR(OPNO,NA,PSD) Values('102','x','\x07')"));
  m_app.AfterOpen(m_db);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "表OPR中有重复的操作员代码：102\n请删去重复的行，以免两个工作站再写入重复的行。");
  ASSERT_TRUE(m_db->ExecuteSQL("Delete From OPR Where NA='x'"));
  SmResetMessages();
  m_app.AfterOpen(m_db);  // the key is made now
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_FALSE(
      m_db->ExecuteSQL("Insert Into OPR(OPNO,NA,PSD) Values('102','x','\x07')", {}, 128, false));
}

TEST(PasswordSubstitution, RoundTripsAndHidesTheText) {
  for (const std::string plain : {"", "a", "abcdefghij", "~~~~~~~~~~", "!!", "口令1", "a b"}) {
    const std::string stored = SmEncodePassword(plain);
    EXPECT_TRUE(SmIsEncodedPassword(stored));
    EXPECT_EQ(SmDecodePassword(stored), plain);
    EXPECT_LE(stored.size(), plain.size() + 1);
    if (plain.size() > 1 && plain != "a b") {
      EXPECT_EQ(stored.find(plain), std::string::npos);
    }
  }
  EXPECT_EQ(SmEncodePassword(""), "\x07");
}

}  // namespace
