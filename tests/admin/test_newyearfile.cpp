// The new yearly data file: proposals, checks, the new year after the previous one (identity,
// operators, business months moved on, carry-over), a fresh file, and the conversion between a
// data file and a server database from the log-in's account-set tree.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QThread>
#include <algorithm>

#include "admin/SmAdminCommands.h"
#include "admin/SmNewYearFileDlg.h"
#include "app/SmSystemTables.h"
#include "cane/TsDataType.h"
#include "core/SmDatabase.h"
#include "platform/SmCommandIds.h"
#include "tests/admin/test_admin_fixture.h"
#include "tests/app/test_login_fixture.h"
#include "tests/common/SmStations.h"

namespace {

// One carry-over item: the rows of table CoA.
class YearType : public CSmDataType {
 public:
  YearType() { m_number = 16; }
  void CreateTables(CSmDatabase* db) override {
    if (!db->TableExists("CoA")) db->ExecuteSQL("Create Table CoA(K Long)");
  }
  void ListCarryOverItems(std::vector<int>& codes, CSmStringList& captions,
                          CSmStringList& tables) override {
    codes = {1};
    captions = {"农户目录"};
    tables = {"CoA"};
  }
  bool CarryOver(int, int, CSmDatabase* source, CSmDatabase* target, QLabel*) override {
    return CSmDatabase::CopyTable(source, target, "CoA");
  }
};

class NewYearFileTest : public AdminFileTest {
 protected:
  void SetUp() override {
    m_app.m_dataTypes = {&m_type};
    AdminFileTest::SetUp();
    if (GetParam() != 0) DropServerFile(2017);
  }
  void TearDown() override {
    if (GetParam() != 0) DropServerFile(2017);
    AdminFileTest::TearDown();
  }

  std::unique_ptr<CSmNewYearFileDlg> Dialog() {
    const std::string current = GetParam() == 0 ? m_path : m_app.m_env.GetDataFileName();
    return std::make_unique<CSmNewYearFileDlg>(m_app, 1, GetParam(), current, m_login.server);
  }
  static std::string Field(QWidget* dlg, int id) {
    return Find<QLineEdit>(dlg, id)->text().toStdString();
  }
  static void SetField(QWidget* dlg, int id, const std::string& text) {
    Find<QLineEdit>(dlg, id)->setText(QString::fromStdString(text));
  }
  std::string FileOf(int year) const {
    return GetParam() == 0 ? Folder() + FormatStr("/%d.%s", year, kExt)
                           : SmServerDatabaseName(kExt, m_code, year);
  }
  std::string Folder() const { return m_path.substr(0, m_path.find_last_of('/')); }
  bool Exists(const std::string& file) const {
    if (GetParam() == 0) return QFileInfo::exists(QString::fromStdString(file));
    CSmDatabase master(GetParam());
    return master.Open("master", m_login) && master.DatabaseExists(file);
  }
  // Opens a file of this test's engine.
  bool Open(CSmDatabase& db, const std::string& file) const {
    return db.Open(file, GetParam() == 0 ? CSmConnInfo(0) : m_login);
  }
  static std::vector<std::string> Column(CSmDatabase& db, const std::string& sql) {
    std::vector<std::string> rows;
    db.QueryStrings(sql, &rows, 1);
    return rows;
  }

  YearType m_type;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, NewYearFileTest, testing::Values(0, 2));

TEST_P(NewYearFileTest, ProposesTheYearAfterTheNewestFileOfTheAccountSet) {
  if (GetParam() == 0) {
    ASSERT_FALSE(SmCreateTestDataFile(2015, Folder()).empty());
  }
  auto dlg = Dialog();
  EXPECT_EQ(Field(dlg.get(), CSmNewYearFileDlg::kYearEdit), "2017");
  EXPECT_EQ(Field(dlg.get(), CSmNewYearFileDlg::kPlaceEdit), GetParam() == 0 ? Folder() : m_code);
  EXPECT_EQ(dlg->NextAccessYear(SmTestHome() + "/no-year-files"),
            std::to_string(QDate::currentDate().year()));
  if (GetParam() == 0) return;
  // A server without any database of the extension starts at the first account set.
  m_app.m_moduleInfo.m_ext = "tsy";
  CSmNewYearFileDlg fresh(m_app, 1, GetParam(), {}, m_login.server);
  EXPECT_EQ(Field(&fresh, CSmNewYearFileDlg::kPlaceEdit), "0001");
  EXPECT_EQ(Field(&fresh, CSmNewYearFileDlg::kYearEdit),
            std::to_string(QDate::currentDate().year()));
}

// A new account set's first file is the business year that holds today by the cane module's
// start month: the year begun on 1 November of the year before is next year's in December.
TEST_P(NewYearFileTest, TheFirstFileOfAnAccountSetIsTheBusinessYearThatHoldsToday) {
  CTsDataType cane;
  cane.m_number = 16;
  cane.SetDefaultParams();
  m_app.m_dataTypes = {&cane};
  const QDate today = QDate::currentDate();
  const std::string month = FormatStr("%02d", today.month());
  const std::pair<std::string, int> cases[] = {
      {"0" + month, today.year() + 1},  // began this month, in the year before its business year
      {"1" + month, today.year()},      // began this month, in its business year
      {"101", today.year()},            // the calendar year
  };
  m_app.m_moduleInfo.m_ext = "tsy";  // a server without any database of the extension
  for (const auto& [start, year] : cases) {
    cane.m_strParams[48] = start;
    const std::string proposed =
        GetParam() == 0
            ? CSmNewYearFileDlg(m_app, 1, 0, {}, {}).NextAccessYear(SmTestHome() + "/no-year-files")
            : Field(std::make_unique<CSmNewYearFileDlg>(m_app, 1, GetParam(), std::string(),
                                                        m_login.server)
                        .get(),
                    CSmNewYearFileDlg::kYearEdit);
    EXPECT_EQ(proposed, std::to_string(year)) << start;
  }
  m_app.m_dataTypes = {&m_type};
}

TEST_P(NewYearFileTest, BadFieldsAndAnExistingFileAreRefusedBeforeAnythingIsMade) {
  struct Case {
    const char* year;
    const char* sequence;  // server only
    std::string message;
  };
  const std::vector<Case> cases = {
      {"1899", "", "年度有误！"},
      {"", "", "年度有误！"},
      {"2017", "0", GetParam() == 0 ? "" : "序号有误！"},
      {"2016", "", "下列数据文件已存在：\n" + FileOf(2016) + "！"},
  };
  auto dlg = Dialog();
  for (const Case& c : cases) {
    if (c.message.empty()) continue;
    SmResetMessages();
    SetField(dlg.get(), CSmNewYearFileDlg::kYearEdit, c.year);
    if (GetParam() != 0)
      SetField(dlg.get(), CSmNewYearFileDlg::kPlaceEdit, *c.sequence ? c.sequence : m_code);
    EXPECT_FALSE(dlg->CreateDataFile()) << c.message;
    EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 1u) << c.message;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
  }
  // Declining the question makes nothing either.
  SmResetMessages();
  SetField(dlg.get(), CSmNewYearFileDlg::kYearEdit, "2017");
  if (GetParam() != 0) SetField(dlg.get(), CSmNewYearFileDlg::kPlaceEdit, m_code);
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  EXPECT_FALSE(dlg->CreateDataFile());
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "真的要创建吗？");
  EXPECT_FALSE(Exists(FileOf(2017)));
}

TEST_P(NewYearFileTest, ANewYearKeepsTheIdentityAndOperatorsAndMovesTheMonthsOn) {
  // The previous year: January began on 26 December, the unit name holds a quote.
  for (const char* sql :
       {"Update SYSTAB Set NA='O''Neil糖厂',KJ='张三',JT='031'",
        "Update SysCsTab Set CsVal='20151226' Where Cs=4 And CsN=1",
        "Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(6,1,'x','y')",
        "Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(9000,1,'x','y')",
        "Insert Into OPR(OPNO,NA,PSD) Values('103','李四','')",
        "Insert Into PWR(OPNO,PWR) Values('103','0006')", "Insert Into CoA(K) Values(7)"})
    ASSERT_TRUE(m_db->ExecuteSQL(sql)) << sql;
  auto dlg = Dialog();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // create
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // carry over
  ASSERT_TRUE(dlg->CreateDataFile()) << CSmMessageService::Instance().LastText();
  const std::string name = FileOf(2017);
  EXPECT_EQ(dlg->GetNewFile(), name);
  EXPECT_TRUE(Shown("年度文件“" + name + "” 创建成功！\n\n要执行2016─→2017年数据结转吗？"));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "结转完毕！");
  EXPECT_EQ(LogNotes(5), std::vector<std::string>{"建立数据文件：" + name});

  CSmDatabase made(GetParam());
  ASSERT_TRUE(Open(made, name));
  EXPECT_EQ(Column(made, "Select RTrim(NA) From SYSTAB"), std::vector<std::string>{"O'Neil糖厂"});
  EXPECT_EQ(made.QueryInt("Select PY From SYSTAB"), 2017);
  EXPECT_EQ(made.QueryInt("Select MM From SYSTAB"), 0);
  const auto months = Column(made, "Select RTrim(CsVal) From SysCsTab Where Cs=4 Order By CsN");
  ASSERT_EQ(months.size(), 13u);
  EXPECT_EQ(months.front(), "20161226");
  EXPECT_EQ(months[1], "20170201");
  EXPECT_EQ(months.back(), "20171231");
  EXPECT_EQ(made.QueryInt("Select Count(*) From SysCsTab Where Cs=6 Or Cs=9000"), 0);
  EXPECT_EQ(Column(made, "Select RTrim(NA) From OPR Where OPNO='103'"),
            std::vector<std::string>{"李四"});
  EXPECT_EQ(made.QueryInt("Select Count(*) From PWR Where OPNO='103'"), 1);
  EXPECT_EQ(made.QueryInt("Select K From CoA"), 7);
}

TEST_P(NewYearFileTest, AFileWithoutAPreviousYearGetsTheDefaultMonths) {
  auto dlg = Dialog();
  SetField(dlg.get(), CSmNewYearFileDlg::kYearEdit, "2030");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  ASSERT_TRUE(dlg->CreateDataFile()) << CSmMessageService::Instance().LastText();
  const std::string name = FileOf(2030);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "数据文件“" + name + "” 创建成功！");
  EXPECT_FALSE(Shown("继续吗？"));
  CSmDatabase made(GetParam());
  ASSERT_TRUE(Open(made, name));
  EXPECT_EQ(made.QueryInt("Select PY From SYSTAB"), 2030);
  const auto months = Column(made, "Select RTrim(CsVal) From SysCsTab Where Cs=4 Order By CsN");
  ASSERT_EQ(months.size(), 13u);
  EXPECT_EQ(months.front(), "20300101");
  EXPECT_EQ(months.back(), "20301231");
  made.Close();
  if (GetParam() != 0) DropServerFile(2030);
}

TEST_P(NewYearFileTest, AFailedCopyFromThePreviousYearLeavesNoHalfMadeFile) {
  ASSERT_TRUE(m_db->ExecuteSQL("Delete From SYSTAB"));
  auto dlg = Dialog();
  SetField(dlg.get(), CSmNewYearFileDlg::kYearEdit, "2017");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_FALSE(dlg->CreateDataFile());
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "从年度文件“" + FileOf(2016) + "”拷贝信息失败！");
  EXPECT_FALSE(Exists(FileOf(2017)));
  EXPECT_TRUE(LogNotes(5).empty());
}

// A data file turned into a server database from the log-in's tree, and back into a file.
TEST(NewYearFileConvertTest, AFileBecomesAServerDatabaseAndBackWithEveryRow) {
  ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
  SmResetMessages();
  LoginApp app("ConvertYearFile", "tsk");  // this test's own names on the shared server
  SmInstallAdminCommands(app);
  ASSERT_TRUE(SmPgWriteTestDsn());
  ASSERT_TRUE(app.m_env.WriteDbLogin(SmPgLogin(1)));
  const std::string server = "tsk00012016";
  {
    CSmDatabase master(1);
    ASSERT_TRUE(master.Open("master", SmPgLogin(1)));
    master.ExecuteSQL("Drop Database If Exists " + server + " With (FORCE)", {}, 128, false);
  }
  const std::string root = SmTestHome() + "/convert";
  QDir(QString::fromStdString(root)).removeRecursively();
  std::string source;
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + "/001")));
  ASSERT_TRUE(SmCreateYearFile(app, root + "/001", 2016, &source));
  {
    CSmDatabase db(0);
    ASSERT_TRUE(db.Open(source, CSmConnInfo(0)));
    ASSERT_TRUE(db.ExecuteSQL("Update SYSTAB Set NA='转换糖厂'"));
  }
  auto counts = [](CSmDatabase& db, const std::vector<std::string>& tables) {
    std::vector<long> rows;
    for (const std::string& table : tables)
      rows.push_back(db.QueryInt("Select Count(*) From " + table));
    return rows;
  };
  std::vector<std::string> tables;
  std::vector<long> before;
  {
    CSmDatabase db(0);
    ASSERT_TRUE(db.Open(source, CSmConnInfo(0)));
    db.GetUserTables(&tables);
    before = counts(db, tables);
  }

  CSmEnvironment env(0);
  env.SetRootDir(root);
  CSmOpenDataFileDlg dlg(env, 1, &app);
  ASSERT_TRUE(dlg.Tree()->SelectFile(source));
  QObject timers;
  std::string proposed;
  OnModalOf(&timers, 813, [&](QWidget* create) {
    proposed = Find<QLineEdit>(create, CSmNewYearFileDlg::kYearEdit)->text().toStdString();
    Click(create, SM_ID_OK);
  });
  ASSERT_TRUE(dlg.Tree()->RunCommand(43161));
  EXPECT_EQ(proposed, "2016");
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "转换完毕！");
  EXPECT_EQ(dlg.GetEnvironment().GetDatabaseKind(), 1);
  EXPECT_EQ(SelectedFile(&dlg), server);
  {
    CSmDatabase db(1);
    ASSERT_TRUE(db.Open(server, SmPgLogin(1)));
    EXPECT_EQ(counts(db, tables), before);
  }

  SmResetMessages();
  OnModalOf(&timers, 813, [&](QWidget* create) { Click(create, SM_ID_OK); });
  ASSERT_TRUE(dlg.Tree()->RunCommand(43161));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "转换完毕！");
  const std::string back = root + "/0001/2016.tsk";
  EXPECT_EQ(dlg.GetEnvironment().GetDatabaseKind(), 0);
  EXPECT_EQ(SelectedFile(&dlg), back);
  CSmDatabase db(0);
  ASSERT_TRUE(db.Open(back, CSmConnInfo(0)));
  EXPECT_EQ(counts(db, tables), before);
  EXPECT_EQ(db.QueryCountString("Max(NA) From SYSTAB"), "转换糖厂");
  db.Close();
  CSmDatabase master(1);
  ASSERT_TRUE(master.Open("master", SmPgLogin(1)));
  master.ExecuteSQL("Drop Database " + server + " With (FORCE)", {}, 128, false);
}

TEST(NewYearFileConvertTest, ATableTheNewDatabaseCannotTakeIsNamedAndNothingStays) {
  ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
  SmResetMessages();
  LoginApp app("ConvertYearFileFails", "tsk");
  ASSERT_TRUE(SmPgWriteTestDsn());
  ASSERT_TRUE(app.m_env.WriteDbLogin(SmPgLogin(1)));
  const std::string server = "tsk00022016";
  CSmDatabase master(1);
  ASSERT_TRUE(master.Open("master", SmPgLogin(1)));
  master.ExecuteSQL("Drop Database If Exists " + server + " With (FORCE)", {}, 128, false);
  const std::string folder = SmTestHome() + "/convert-fails";
  QDir(QString::fromStdString(folder)).removeRecursively();
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  std::string source;
  ASSERT_TRUE(SmCreateYearFile(app, folder, 2016, &source));
  {
    CSmDatabase db(0);
    ASSERT_TRUE(db.Open(source, CSmConnInfo(0)));
    ASSERT_TRUE(db.ExecuteSQL("Create Table Extra(K Long)"));
    ASSERT_TRUE(db.ExecuteSQL("Insert Into Extra(K) Values(1)"));
  }
  CSmNewYearFileDlg dlg(app, 1, 1, {}, kSmTestDsn);
  dlg.SetConversion({}, source);
  Find<QLineEdit>(&dlg, CSmNewYearFileDlg::kPlaceEdit)->setText("0002");
  EXPECT_FALSE(dlg.CreateDataFile());
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "下列数据表转换失败：\nExtra\n");
  EXPECT_FALSE(Shown("转换完毕！"));
  EXPECT_FALSE(master.DatabaseExists(server));
}

// Two workstations make the same year's database on the server at once. Both have found it not
// there when they ask "真的要创建吗？"; the server's list of databases is held until both wait
// to add theirs, so that they add them together. The one the server takes second says in one
// sentence that the other has just made the year, and the year's database is whole.
TEST(NewYearFileRaceTest, TheSecondStationSaysTheOtherHasJustMadeTheYear) {
  ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
  SmResetMessages();
  LoginApp app("RaceYearFile", "tsw");  // this test's own names on the shared server
  const CSmConnInfo login = SmPgLogin(2);
  app.m_env.SetKind(2);
  ASSERT_TRUE(app.m_env.WriteDbLogin(login));
  const std::string made = "tsw00012017";
  CSmDatabase master(2);
  ASSERT_TRUE(master.Open("master", login));
  for (const std::string& name : {made, made + "_new"})
    master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
  master.Close();

  const std::vector<std::string> madeBoxes = {"真的要创建吗？",
                                              "数据文件“" + made + "” 创建成功！"};
  const std::vector<std::string> takenBoxes = {
      "真的要创建吗？", "另一工作站刚刚建立了该年度的数据文件“" + made + "”！"};
  const std::vector<int> results = SmRunStations(3, [&](int station, const auto& go) {
    if (station == 2) {
      CSmDatabase holder(2);
      if (!holder.Open("master", login) || !holder.BeginTrans() ||
          !holder.ExecuteSQL("Lock Table pg_database In Share Mode") || !go())
        return 9;
      // The two stations' statements, not those of other tests on the same server.
      const std::string stationsWaiting =
          "Select Count(*) From pg_locks l Join pg_stat_activity a On a.pid=l.pid Where Not "
          "l.granted And l.relation=(Select oid From pg_class Where relname='pg_database') And "
          "position('" +
          made + "' in a.query)>0";
      long waiting = 0;
      for (int step = 0; step < 400 && waiting < 2; ++step) {
        QThread::msleep(50);
        waiting = holder.QueryInt(stationsWaiting);
      }
      holder.CommitTrans();
      return waiting == 2 ? 0 : 8;
    }
    CSmNewYearFileDlg dlg(app, 1, 2, {}, login.server);
    Find<QLineEdit>(&dlg, CSmNewYearFileDlg::kPlaceEdit)->setText("0001");
    Find<QLineEdit>(&dlg, CSmNewYearFileDlg::kYearEdit)->setText("2017");
    SmResetMessages();
    bool went = false;
    CSmMessageService::Instance().WhileNextShown([&](const std::string&) { went = go(); });
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);
    const bool ok = dlg.CreateDataFile();
    std::vector<std::string> boxes;
    for (const auto& box : CSmMessageService::Instance().Shown()) boxes.push_back(box.text);
    if (!went) return 9;
    if (ok) return boxes == madeBoxes ? 0 : 5;
    return boxes == takenBoxes ? 1 : 6;
  });
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[2], 0) << "the stations did not meet at the server";
  std::vector<int> stations = {results[0], results[1]};
  std::sort(stations.begin(), stations.end());
  EXPECT_EQ(stations, (std::vector<int>{0, 1}));
  CSmDatabase year(2);
  ASSERT_TRUE(year.Open(made, login));
  EXPECT_EQ(year.QueryInt("Select Count(*) From SYSTAB"), 1);
  year.Close();
  ASSERT_TRUE(master.Open("master", login));
  EXPECT_FALSE(master.DatabaseExists(made + "_new"));
  master.ExecuteSQL("Drop Database If Exists " + made + " With (FORCE)", {}, 128, false);
}
