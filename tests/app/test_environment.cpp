// The data environment over a new yearly data file: the rows a new file starts with, the checks
// and messages of opening, the program stamp and the settings kept for the next log-in.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "app/SmApp.h"
#include "app/SmDateArray.h"
#include "app/SmOperator.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmRegKey.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

class ExtraRightsType : public CSmDataType {
 public:
  explicit ExtraRightsType(int number) { m_number = number; }
  void GetExtraRights(CSmStringList& codes, CSmStringList& names) override {
    codes.push_back("0008");
    names.push_back("串口参数");
  }
  void GetDocumentRights(CSmStringList& codes, CSmStringList& names) override {
    codes.push_back("01");
    names.push_back("过磅单");
  }
};

class EnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.m_moduleInfo.m_id = 9;
    m_app.m_moduleInfo.m_ext = "tsd";
  }
  std::vector<std::string> Strings(CSmDatabase& db, const std::string& sql) {
    std::vector<std::string> rows;
    db.QueryStrings(sql, &rows, 1);
    return rows;
  }
  CSmApp m_app;
};

TEST_F(EnvironmentTest, NewDataFileHoldsTheFirstRows) {
  const std::string path = SmCreateTestDataFile(2016);
  ASSERT_FALSE(path.empty());
  CSmDatabase db(0);
  ASSERT_TRUE(db.Open(path));
  EXPECT_EQ(Strings(db,
                    "Select rtrim(NA)||'/'||rtrim(KJ)||'/'||PY||'/'||MM||'/'||rtrim(JT)||"
                    "'/'||rtrim(T1) From SYSTAB"),
            std::vector<std::string>{"××单位/×××/2016/0/031/×××"});
  CSmOperatorArray ops;
  ASSERT_EQ(LoadOperatorList(&ops, &db, true), 2);
  EXPECT_EQ(ops[0].Opno, "101");
  EXPECT_EQ(ops[0].Na, "管理员");
  EXPECT_EQ(ops[1].Opno, "102");
  EXPECT_EQ(ops[1].Na, "×××");
  EXPECT_EQ(ops[0].Psd, "");
  EXPECT_EQ(Strings(db, "Select rtrim(PWR) From PWR Where OPNO='101'"),
            std::vector<std::string>{"0001"});
  EXPECT_EQ(Strings(db, "Select rtrim(PWR) From PWR Where OPNO='102' Order By PWR"),
            (std::vector<std::string>{"0003", "0004", "0005", "0006", "0007"}));
  CSmDateArray months;
  months.Load(&db);
  ASSERT_EQ(months.size(), 13u);
  EXPECT_EQ(months[0].sName, "一月起始日");
  EXPECT_EQ(months[0].sValue, "20160101");
  EXPECT_EQ(months[11].sName, "十二月起始日");
  EXPECT_EQ(months[11].sValue, "20161201");
  EXPECT_EQ(months[12].sName, "十二月结束日");
  EXPECT_EQ(months[12].sValue, "20161231");
  EXPECT_EQ(Strings(db, "Select rtrim(CsNa)||'/'||rtrim(CsVal) From SysCsTab Where Cs=9133"),
            std::vector<std::string>{"0/8"});
  for (const char* table : {"SmTask", "SmLog", "SmLogOp", "SMVAR", "SmFormHeadNote"}) {
    EXPECT_TRUE(db.TableExists(table)) << table;
  }
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(EnvironmentTest, OpenFillsTheEnvironmentAndTheFirstOperatorStandsIn) {
  const std::string path = SmCreateTestDataFile(2016);
  CSmEnvironment env;
  ASSERT_TRUE(env.OpenFile("", path.substr(0, path.size() - 4), "", true));
  EXPECT_EQ(env.GetDataFileName(), path);
  EXPECT_EQ(env.GetYear(), 2016);
  EXPECT_EQ(env.GetUnitName(), "××单位");
  EXPECT_EQ(env.GetOperatorNo(), "101");
  EXPECT_EQ(env.GetOperatorName(), "管理员");
  EXPECT_TRUE(env.IsLogOn());
  ASSERT_TRUE(env.LoadRights());
  EXPECT_EQ(env.GetRights(), "0001 ");

  // A copy takes the values, never the open connection.
  const CSmEnvironment copy(env);
  EXPECT_EQ(copy.GetDatabase(), nullptr);
  EXPECT_EQ(copy.GetOperatorName(), "管理员");
  EXPECT_EQ(copy.GetDataFileName(), path);
  EXPECT_NE(env.GetDatabase(), nullptr);

  // The log switch lives in the file.
  env.SetLogOn(0);
  ASSERT_TRUE(env.SaveLogSwitch());
  env.SetLogOn(1);
  env.ReadLogSwitch();
  EXPECT_FALSE(env.IsLogOn());

  // The unit's values are written back with quotes kept as typed.
  env.SetFileInfo("O'Brien糖厂", "张三", "李四", "");
  ASSERT_TRUE(env.WriteSysTab());
  EXPECT_EQ(env.GetUnitName(true), "O'Brien糖厂");
  EXPECT_EQ(env.GetSysTabT1(), "李四");
  EXPECT_EQ(env.GetYear(true), 2016);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

struct OpenCase {
  const char* name;
  std::function<std::string(const std::string& folder)> prepare;  // the path to open
  const char* message;                                            // null: no message
};

TEST_F(EnvironmentTest, OpenChecksTellTheRealCause) {
  const std::vector<OpenCase> cases = {
      {"empty", [](const std::string&) { return std::string(); }, "文件名为空！"},
      {"missing", [](const std::string& f) { return f + "/2017.tsd"; }, "该文件不存在！"},
      {"other extension", [](const std::string& f) { return f + "/2016.mdb"; }, nullptr},
      {"year before 1990",
       [](const std::string& f) {
         QFile::copy(QString::fromStdString(f + "/2016.tsd"),
                     QString::fromStdString(f + "/1989.tsd"));
         return f + "/1989.tsd";
       },
       "文件名不是由有效年度构成！"},
      {"not a year",
       [](const std::string& f) {
         QFile::copy(QString::fromStdString(f + "/2016.tsd"),
                     QString::fromStdString(f + "/abcd.tsd"));
         return f + "/abcd.tsd";
       },
       "文件名不是由有效年度构成！"},
      {"folder",
       [](const std::string& f) {
         QDir().mkpath(QString::fromStdString(f + "/2018.tsd"));
         return f + "/2018.tsd";
       },
       "Vornel账务数据文件不能是文件夹！"},
      {"year differs",
       [](const std::string& f) {
         QFile::copy(QString::fromStdString(f + "/2016.tsd"),
                     QString::fromStdString(f + "/2015.tsd"));
         return f + "/2015.tsd";
       },
       "文件名中的年度与实际账务年度不相符！\n文件名应当改为：“2016.tsd”"},
      {"not a data file",
       [](const std::string& f) {
         QFile file(QString::fromStdString(f + "/2019.tsd"));
         file.open(QIODevice::WriteOnly);
         file.write("this is not a data file at all, only some text");
         return f + "/2019.tsd";
       },
       "无法打开此文件！"},
      {"no operator",
       [](const std::string& f) {
         const std::string made = SmCreateTestDataFile(2021, f);
         CSmDatabase db(0);
         db.Open(made);
         db.ExecuteSQL("Delete From OPR");
         return made;
       },
       nullptr},
      {"no header row",
       [](const std::string& f) {
         CSmDatabase db(0);
         db.CreateDatabase(CSmConnInfo(0), f + "/2020.tsd");
         return f + "/2020.tsd";
       },
       "无环境信息！"},
  };
  const std::string path = SmCreateTestDataFile(2016);
  const std::string folder = path.substr(0, path.rfind('/'));
  for (const OpenCase& c : cases) {
    SmResetMessages();
    CSmEnvironment env;
    const std::string target = c.prepare(folder);
    EXPECT_FALSE(env.OpenFile("", target, "101", true)) << c.name;
    EXPECT_EQ(env.GetDatabase(), nullptr) << c.name;
    const auto& shown = CSmMessageService::Instance().Shown();
    if (c.message) {
      ASSERT_EQ(shown.size(), 1u) << c.name;
      EXPECT_EQ(shown[0].text, c.message) << c.name;
    } else {
      EXPECT_TRUE(shown.empty()) << c.name;
    }
  }
}

TEST_F(EnvironmentTest, ServerDatabaseNameOfWrongLengthFailsBeforeConnecting) {
  CSmEnvironment env(1);
  for (const char* name : {"sugtsd2016", "sugartsd20166"}) {
    SmResetMessages();
    EXPECT_FALSE(env.OpenFile("nosuchsource", name, "101", true));
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "数据库名长度不合适！");
  }
}

TEST_F(EnvironmentTest, ProgramStampIsRewrittenAndReadBack) {
  const std::string path = SmCreateTestDataFile(2016);
  CSmEnvironment env;
  ASSERT_TRUE(env.OpenFile("", path, "101", false));
  CSmDatabase* db = env.GetDatabase();
  int backEnd = -1, product = -1, version = -1;
  // The new file's row 1 names only the back end: it differs and is rewritten.
  env.CheckVersionStamp(nullptr, &backEnd, &product, &version);
  EXPECT_EQ(backEnd, 0);
  std::vector<std::string> row1;
  db->QueryStrings("Select rtrim(CsNa)||'/'||rtrim(CsVal) From SysCsTab Where Cs=9133 And CsN=1",
                   &row1, 1);
  EXPECT_EQ(row1, std::vector<std::string>{"90/8   5"});
  EXPECT_EQ(env.ReadVersionStamp(db, &backEnd, &product, &version), 1);
  EXPECT_EQ(product, 8);
  EXPECT_EQ(version, 5);

  // A stamp of a newer program reads as such; the log-in compares it with the running one.
  db->ExecuteSQL("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(9133,1,'91','8   16')");
  EXPECT_EQ(env.ReadVersionStamp(db, &backEnd, &product, &version), 2);
  EXPECT_EQ(version, 16);
  EXPECT_EQ(backEnd, 1);
}

TEST_F(EnvironmentTest, StampDecidesWhetherTheProgramTakesTheFile) {
  const std::string path = SmCreateTestDataFile(2016);
  CSmEnvironment env;
  ASSERT_TRUE(env.OpenFile("", path, "101", false));
  CSmDatabase* db = env.GetDatabase();
  env.CheckVersionStamp(db, nullptr, nullptr, nullptr);
  const std::string title =
      db->QueryCountString("Max(rtrim(CsVal)) From SysCsTab Where Cs=9133 And CsN=2");
  struct Case {
    const char* value;  // of stamp row 1; null: no stamp
    int answer;
    bool taken;
    const char* message;
  };
  const Case cases[] = {
      {"8   5", SM_IDYES, true, nullptr},
      {"8   6", SM_IDYES, false, "这是高版本软件“%s”创建的数据文件,不能打开！"},
      {"9   1", SM_IDYES, false, "这是高版本软件“%s”创建的数据文件,不能打开！"},
      {"8   4", SM_IDNO, false, "这是低版本软件“%s”创建的数据文件，要升级数据吗？"},
      {"8   4", SM_IDYES, true, "这是低版本软件“%s”创建的数据文件，要升级数据吗？"},
      {nullptr, SM_IDYES, true, "这是低版本软件“%s”创建的数据文件，要升级数据吗？"},
  };
  for (const Case& c : cases) {
    SmResetMessages();
    db->ExecuteSQL("Delete From SysCsTab Where Cs=9133 And CsN=1");
    if (c.value) {
      db->ExecuteSQL(std::string("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(9133,1,'90','") +
                     c.value + "')");
    }
    CSmMessageService::Instance().QueueAnswer(c.answer);
    EXPECT_EQ(env.CheckFileStamp(db), c.taken) << (c.value ? c.value : "none");
    std::string expected;
    if (c.message) {
      expected = c.message;
      expected.replace(expected.find("%s"), 2, title);
    }
    EXPECT_EQ(CSmMessageService::Instance().LastText(), expected);
  }
  // A file of the other back end is taken with a note.
  SmResetMessages();
  db->ExecuteSQL("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(9133,1,'91','8   5')");
  EXPECT_TRUE(env.CheckFileStamp(db));
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "此文件中的数据原来是SQL Server数据库格式的，用此版软件打开后，需要手工修改部份公式，"
            "方可正常使用！");
}

TEST_F(EnvironmentTest, RegistryKeepsTheLastLogInAndHidesThePassword) {
  CSmEnvironment env(1);
  CSmConnInfo settings(1);
  settings.server = "mill";
  settings.user = "clerk";
  settings.password = "s3cret";
  env.SetConnInfo(settings);
  env.SetDataFileName("sugartsd2016");
  env.SetOperatorNo("102");
  env.SetRootDir("/data/");
  ASSERT_TRUE(env.SaveToRegistry(9));
  std::string stored;
  ASSERT_TRUE(
      CSmRegKey().Open(SM_HKEY_CURRENT_USER, m_app.GetSmRegKey() + "\\mill", "PWD", stored));
  EXPECT_NE(stored, "s3cret");
  // No keyring runs here: the settings file that holds it is the user's alone.
  EXPECT_EQ(QFile::permissions(QString::fromStdString(CSmRegKey::StoreFile(SM_HKEY_CURRENT_USER))),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                QFileDevice::WriteUser);

  CSmEnvironment back;
  int module = 0;
  ASSERT_TRUE(back.LoadFromRegistry(&module));
  EXPECT_EQ(module, 9);
  EXPECT_EQ(back.GetDatabaseKind(), 1);
  EXPECT_EQ(back.GetDataFileName(), "sugartsd2016");
  EXPECT_EQ(back.GetOperatorNo(), "102");
  EXPECT_EQ(back.GetConnInfo().password, "s3cret");
  EXPECT_EQ(back.GetConnInfo().database, "sugartsd2016");
}

TEST_F(EnvironmentTest, RightListRemovesRepeatedExtraRights) {
  ExtraRightsType a(16);
  ExtraRightsType b(3);
  m_app.m_dataTypes = {&a, &b};
  CSmStringList codes, names;
  m_app.GetRightList(codes, names);
  EXPECT_EQ(codes, (CSmStringList{"0001", "0006", "0003", "0004", "0005", "0007", "0008", "1601",
                                  "0301"}));
  EXPECT_EQ(names[6], "串口参数");
  m_app.m_dataTypes.clear();
}

TEST_F(EnvironmentTest, BrokenBusinessMonthsAreRepaired) {
  const std::string path = SmCreateTestDataFile(2016);
  CSmDatabase db(0);
  ASSERT_TRUE(db.Open(path));
  db.ExecuteSQL("Update SysCsTab Set CsVal='2016' Where Cs=4 And CsN=5");
  CSmDateArray::CheckBizMonths(&db, 2016);
  CSmDateArray months;
  months.Load(&db);
  ASSERT_EQ(months.size(), 13u);
  EXPECT_EQ(months[4].sValue, "20160501");
  // Good rows are left as they are.
  db.ExecuteSQL("Update SysCsTab Set CsVal='20160502' Where Cs=4 And CsN=5");
  CSmDateArray::CheckBizMonths(&db, 2016);
  months.Load(&db);
  EXPECT_EQ(months[4].sValue, "20160502");
}

// The business month that holds a day, for a mill whose months begin on the 26th.
TEST(BizMonths, TheMonthThatHoldsADay) {
  CSmDateArray months;
  for (int m = 1; m <= 12; ++m) {
    const int year = m == 1 ? 2015 : 2016;
    const int month = m == 1 ? 12 : m - 1;
    months.push_back({m, "", FormatStr("%d%02d26", year, month)});
  }
  months.push_back({13, "十二月结束日", "20161225"});
  const std::pair<const char*, int> cases[] = {
      {"20151225", 1},  // before the year
      {"20151226", 1},  {"20160125", 1},  {"20160126", 2},  {"20160229", 3},
      {"20161125", 11}, {"20161126", 12}, {"20161225", 12}, {"20161231", 12},  // after the year
  };
  for (const auto& [day, month] : cases) EXPECT_EQ(months.MonthOf(day), month) << day;
  EXPECT_EQ(CSmDateArray().MonthOf("20160101"), 0);
}

}  // namespace
