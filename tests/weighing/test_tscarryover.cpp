// The cane module's year-end carry-over as the carry-over run calls it: from a data file of
// 2015 into a new one of 2016 (the application's open file), on the data file and the server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "admin/SmCarryOver.h"
#include "cane/TsDataType.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmStations.h"
#include "weighing/TsWeighingDocs.h"
#include "weighing/TsjsRec.h"

namespace {

using testing::HasSubstr;

// Item texts of the old year: cane slip items 1-4 and freight slip items 2-4 are advances.
const int kCaneItem = 10;     // text parameter of cane slip item 0
const int kFreightItem = 25;  // text parameter of freight slip item 0

class TsCarryOverTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_type->SetWeighingService(std::make_unique<CTsWeighingDocs>());
    ASSERT_NO_FATAL_FAILURE(OpenAppOnNewFile());
    ASSERT_NO_FATAL_FAILURE(CreateOldFile());
    m_items.Load(m_app);
  }

  void OpenAppOnNewFile() {
    if (GetParam() != 0) {
      m_app.m_env.SetKind(GetParam());
      ASSERT_TRUE(m_app.m_env.WriteDbLogin(SmPgLogin(GetParam())));
    }
    const std::string server = GetParam() == 0 ? "" : SmPgLogin(GetParam()).server;
    ASSERT_TRUE(m_app.m_env.OpenFile(server, m_db.GetFileName(), "101", true))
        << CSmMessageService::Instance().LastText();
    m_new = m_app.GetDatabase();
  }

  void CreateOldFile() {
    if (GetParam() == 0) {
      const std::string path = SmCreateTestDataFile(2015);
      ASSERT_FALSE(path.empty());
      ASSERT_TRUE(m_old.Open(path));
      return;
    }
    const CSmConnInfo login = SmPgLogin(GetParam());
    std::string name = SmServerDatabaseName(m_app.GetDataFileExt(), "0001", 2015);
    {
      CSmDatabase master(GetParam());
      ASSERT_TRUE(master.Open("master", login));
      master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
    }
    ASSERT_TRUE(SmCreateServerYearFile(m_app, GetParam(), login, "0001", 2015, &name));
    m_old.SetKind(GetParam());
    ASSERT_TRUE(m_old.Open(name, login)) << m_old.LastError();
  }

  void RunOld(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) ASSERT_TRUE(m_old.ExecuteSQL(sql)) << sql;
  }

  // Stores text parameter i of a file.
  static void SetTextParam(CSmDatabase& db, int i, const std::string& text) {
    db.ExecuteSQL(FormatStr("Delete From SysCsTab Where CS=9130 And CSN=%d", 200 + i));
    ASSERT_TRUE(
        db.ExecuteSQL(FormatStr("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) "
                                "Values(9130,%d,'','%s')",
                                200 + i, db.SqlText(text).c_str())));
  }

  // A ticket of the old year settled, paid and reviewed in both kinds, but for the operator
  // column left empty.
  void OldTicket(const char* t, const char* dh, const char* jt, const char* jn,
                 const char* open = "") {
    std::string oprs;
    for (int n = 1; n < 8; ++n)
      oprs += FormatStr(",'%s'", FormatStr("OPR%d", n) == open ? "" : "101");
    RunOld(
        {FormatStr("Insert Into gbSheet(T,DH,KNO0,KNO1,JT0,JN0,JT1,JN1,OPR1,OPR2,OPR3,OPR4,"
                   "OPR5,OPR6,OPR7,FK) Values('%s','%s','0101001','D01','%s','%s','%s','%s'"
                   "%s,0)",
                   t, dh, jt, jn, jt, jn, oprs.c_str())});
  }

  // A money row of the old year.
  void OldMoney(char lb, char db, const char* t, const char* dh, const char* kno, int item,
                double amount, const char* reviewer = "101") {
    RunOld({FormatStr(
        "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1,%s,FK) "
        "Values('%c','%c','%s','000000','%s','%s','','101','%s',0,0,%s,0)",
        TsjsItemColumns().c_str(), lb, db, t, dh, kno, reviewer, Amounts(item, amount).c_str())});
  }

  static std::string Amounts(int item, double amount) {
    std::string text;
    for (int i = 0; i < 15; ++i) text += FormatStr("%s%.2f", i ? "," : "", i == item ? amount : 0);
    return text;
  }

  // The answer and message of the check of item n, as the run asks it.
  int Check(int n, std::string& message) {
    return m_type->CanCarryOver(0, n, m_items.captions[n], m_items.tables[n], &m_old, m_new,
                                message);
  }

  SmCarryOverResult Carry(std::vector<size_t> rows) {
    return SmRunCarryOver(m_app, m_items, rows, &m_old, m_new, nullptr, 0);
  }

  CSmDatabase m_old;
  CSmDatabase* m_new = nullptr;
  SmCarryOverItems m_items;
};

INSTANTIATE_TEST_SUITE_P(Engines, TsCarryOverTest, testing::Values(0, 2));

const char* const kDefaultMapping =
    "\n农户预付款余额结转对应关系："
    "\n2.预付款 ---> 2.预付款\n3.周转金 ---> 3.周转金\n4.蔗种款 ---> 4.蔗种款"
    "\n5.化肥款 ---> %s"
    "\n运户预付款余额结转对应关系："
    "\n3.预付款 ---> 3.预付款\n4.油款 ---> 4.油款\n5.修理费 ---> 5.修理费";

TEST_P(TsCarryOverTest, ClosedYearPassesWithTheMappingOfTheOldItems) {
  EXPECT_EQ(m_items.codes, (std::vector<int>{16000, 16001, 16002, 16003, 16004}));
  EXPECT_EQ(m_items.captions, (CSmStringList{"农户目录", "甘蔗砍运地目录", "驾驶员目录",
                                             "甘蔗品种目录", "预付款余额"}));
  EXPECT_EQ(m_items.tables, (CSmStringList{"NHDir", "AdrDir", "DriverDir", "GP", "jsSheet"}));
  OldTicket("20151202", "00000001", "20151210", "000001");
  OldMoney('0', '2', "20151105", "000001", "0101001", 1, -100);
  OldMoney('0', '0', "20151210", "000001", "0101001", 1, 100, "");  // deduction rows need none
  const std::string newText = m_type->m_strParams[kCaneItem + 4];

  // The formula of cane item 5 in the old file: where its balance goes.
  const struct {
    const char* formula;
    const char* mapped;
    int answer;
  } cases[] = {
      {"", "5.化肥款", 1},           {" 3\t", "3.周转金", 1},
      {"1", "1.无效的项目号", -1},  // a withholding item
      {"99", "99.无效的项目号", -1}, {"3a", ".定义错误", -1},
  };
  for (const auto& c : cases) {
    SetTextParam(m_old, kCaneItem + 4, std::string("化肥款\t21\t") + c.formula);
    std::string message;
    EXPECT_EQ(Check(4, message), c.answer) << c.formula;
    EXPECT_EQ(message, FormatStr(kDefaultMapping, c.mapped)) << c.formula;
    EXPECT_EQ(m_type->m_strParams[kCaneItem + 4], newText) << "the new file's items again";
  }
  for (int n = 0; n < 4; ++n) {
    std::string message = "x";
    EXPECT_EQ(Check(n, message), 0) << n;
    EXPECT_EQ(message, "");
  }
}

TEST_P(TsCarryOverTest, OnlyRowsInTheNewFileRefuseADirectory) {
  RunOld(
      {"Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
       "Values('001','河边','01','',1,2,0,0,0,0)"});
  std::string message;
  EXPECT_EQ(Check(1, message), 0);
  Run(
      {"Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
       "Values('009','新','01','',1,2,0,0,0,0)",
       "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1,MY1,FK) "
       "Values('0','2','20160101','000000','','0101001','','101','101',0,0,-5,0)"});
  EXPECT_EQ(Check(1, message), -1);
  EXPECT_EQ(message, "甘蔗砍运地目录：已有记录，不能结转！");
  EXPECT_EQ(Check(4, message), -1) << "opening rows already in the new file";
  EXPECT_EQ(message.substr(0, message.find('\n')), "预付款余额：已有记录，不能结转！");
  EXPECT_EQ(Check(2, message), 0);

  SmResetMessages();
  EXPECT_EQ(Carry({1, 2}), SmCarryOverResult::Refused);
  EXPECT_EQ(Rows("Select rtrim(KNO) From AdrDir Order By KNO"), "009");
}

TEST_P(TsCarryOverTest, OpenBusinessNamesItsFirstDocument) {
  const struct {
    const char* open;  // the operator column left empty, or a money document
    const char* message;
  } cases[] = {
      {"OPR1", "还有未除皮的过磅单，如：20151202-00000015"},
      {"OPR2", "还有未结蔗款的过磅单，如：20151202-00000015"},
      {"OPR3", "还有未结运费的过磅单，如：20151202-00000015"},
      {"OPR4", "还有未付蔗款的结算单，如：20151209-000014"},
      {"OPR5", "还有未付运费的结算单，如：20151209-000014"},
      {"OPR6", "还有未复核的蔗款结算单，如：20151209-000014"},
      {"OPR7", "还有未复核的运费结算单，如：20151209-000014"},
      {"js", "还有未复核的运户代扣款单，如：20151105-7"},
  };
  for (const auto& c : cases) {
    RunOld({"Delete From gbSheet", "Delete From jsSheet"});
    OldTicket("20151201", "00000001", "20151201", "000001");  // closed
    if (std::string(c.open) == "js") {
      OldMoney('1', '3', "20151106", "000002", "D01", 0, -1, "");
      OldMoney('1', '3', "20151105", "7", "D01", 0, -1, "");
      OldMoney('0', '2', "20151101", "000003", "0101001", 1, -1);
    } else {
      OldTicket("20151203", "00000002", "20151210", "000013", c.open);
      OldTicket("20151202", "00000015", "20151209", "000014", c.open);
    }
    std::string message;
    EXPECT_EQ(Check(4, message), -1) << c.open;
    EXPECT_EQ(message, c.message) << c.open;
  }
}

TEST_P(TsCarryOverTest, BalancesBecomeOpeningRowsOfTheNewYear) {
  // Old items: cane 4 and 5 feed 3, freight 4 is not an item number; the year starts in
  // January of the file's year.
  SetTextParam(m_old, kCaneItem + 3, "蔗种款\t20\t3");
  SetTextParam(m_old, kCaneItem + 4, "化肥款\t21\t3");
  SetTextParam(m_old, kFreightItem + 3, "油款\t21\tx");
  SetTextParam(m_old, 48, "101");
  OldMoney('0', '2', "20151101", "000001", "0101001", 1, -100);
  OldMoney('0', '1', "20151102", "000001", "0101001", 1, 30);
  OldMoney('0', '2', "20151103", "000002", "0101001", 2, -10);
  OldMoney('0', '2', "20151103", "000003", "0101001", 3, -5);
  OldMoney('0', '4', "20151104", "000001", "0101001", 4, -7.25);
  OldMoney('0', '3', "20151104", "000001", "0101001", 0, -50);  // withholding: not carried
  OldMoney('0', '2', "20151101", "000004", "0101002", 1, -100);
  OldMoney('0', '1', "20151102", "000002", "0101002", 1, 100);  // settled: no row
  OldMoney('1', '2', "20151101", "000005", "D01", 2, -40);
  OldMoney('1', '2', "20151101", "000006", "D01", 3, -9);  // dropped
  OldMoney('1', '2', "20151101", "000007", "D02", 3, -9);

  // The check refuses the freight formula; the copy on its own drops that item.
  ASSERT_TRUE(m_type->CarryOver(0, 4, &m_old, m_new, nullptr));
  EXPECT_EQ(Rows("Select rtrim(LB)||rtrim(DB)||' '||rtrim(T)||' ['||rtrim(DH)||'] '||rtrim(KNO)||"
                 "' '||rtrim(OPR0)||rtrim(OPR1)||' '||Cast(Cast(MY1*100 As Integer) As varchar(12))"
                 "||' '||Cast(Cast(MY2*100 As Integer) As varchar(12))||' '||"
                 "Cast(Cast((MY0+MY3+MY4+MY5+MY6+MY7+MY8+MY9+MY10+MY11+MY12+MY13+MY14)*100 As "
                 "Integer) As varchar(12))||' '||Cast(Length(rtrim(TH)) As varchar(2)) "
                 "From jsSheet Order By LB,KNO"),
            "02 20160101 [] 0101001 101101 -7000 -2225 0 6|"
            "12 20160101 [] D01 101101 0 -4000 0 6");
  EXPECT_EQ(m_type->m_strParams[48], "011") << "the new file's parameters again";
}

TEST_P(TsCarryOverTest, ItemNumberOutsideTheItemsIsNotCarried) {
  SetTextParam(m_old, kCaneItem + 1, "预付款\t21\t16");
  SetTextParam(m_old, kCaneItem + 2, "周转金\t21\t0");
  OldMoney('0', '2', "20151101", "000001", "0101001", 1, -100);
  OldMoney('0', '2', "20151101", "000002", "0101001", 2, -10);
  OldMoney('0', '2', "20151101", "000003", "0101002", 4, -3);
  std::string message;
  EXPECT_EQ(Check(4, message), -1);
  EXPECT_THAT(message, HasSubstr("\n2.预付款 ---> 16.无效的项目号\n3.周转金 ---> 0.无效的项目号"));
  ASSERT_TRUE(CTsjsRec::CarryOverBalances(&m_old, m_new));
  EXPECT_EQ(Rows("Select rtrim(KNO) From jsSheet"), "0101002");
}

TEST_P(TsCarryOverTest, DirectoriesArriveWhole) {
  const char* const farmer =
      "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) Values('%s','%s',"
      "'13800138000','6222','62220001','%s户','长备注',1.5,2,0,3.25)";
  for (const char* code : {"1", "101", "10101", "10101001", "10101002"})
    RunOld({FormatStr(farmer, code, (std::string("农户") + code).c_str(), code)});
  RunOld(
      {"Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
       "Values('001','河边','10101','备',12.5,3.5,1,2,3,4)",
       "Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) "
       "Values('D01','赵六','桂A123','139','某街','备','30','40')",
       "Insert Into GP(KNO,NA,PR,NT) Values('101','新台糖',450.5,'良种')"});
  OldMoney('0', '2', "20151101", "000001", "10101001", 1, -100);
  SmResetMessages();
  // Places and balances first: the farmers arriving later leave their references alone.
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_EQ(Carry({1, 4}), SmCarryOverResult::Done) << CSmMessageService::Instance().LastText();
  EXPECT_EQ(Carry({0, 2, 3}), SmCarryOverResult::Done) << CSmMessageService::Instance().LastText();
  const struct {
    const char* table;
    const char* columns;
  } tables[] = {
      {"NHDir", "KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3"},
      {"AdrDir", "KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3"},
      {"DriverDir", "KNO,NA,PNO,TEL,ADR,NT,WG0,WG1"},
      {"GP", "KNO,NA,PR,NT"},
  };
  for (const auto& t : tables) {
    std::vector<std::string> oldRows[11], newRows[11];
    const int columns = CountChar(t.columns, ',');
    const std::string sql = FormatStr("Select %s From %s Order By KNO", t.columns, t.table);
    EXPECT_GT(m_old.QueryStrings(sql, oldRows, columns), 0) << t.table;
    m_new->QueryStrings(sql, newRows, columns);
    for (int c = 0; c < columns; ++c) EXPECT_EQ(newRows[c], oldRows[c]) << t.table << " " << c;
  }
  EXPECT_EQ(Rows("Select rtrim(KNO) From jsSheet"), "10101001");
}

TEST_P(TsCarryOverTest, FailedItemLeavesNothingAndCanBeCarriedAgain) {
  // An old file whose farmer code appears twice (made before its key): the second insert fails.
  RunOld({"Drop Index NHDir_KNO",
          "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
          "Values('0101001','张三','','','','','',0,0,0,0)",
          "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
          "Values('0101002','李四','','','','','',0,0,0,0)",
          "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
          "Values('0101002','李四','','','','','',0,0,0,0)"});
  SmResetMessages();
  EXPECT_EQ(Carry({0}), SmCarryOverResult::Failed);
  EXPECT_THAT(Shown(), testing::Contains("产生重码，不能插入！"));
  EXPECT_EQ(Rows("Select Count(*) From NHDir"), "0");
  std::string message;
  EXPECT_EQ(Check(0, message), 0) << message;

  RunOld({"Delete From NHDir Where KNO='0101002'"});
  EXPECT_EQ(Carry({0}), SmCarryOverResult::Done);
  EXPECT_EQ(Rows("Select rtrim(KNO) From NHDir"), "0101001");
}

TEST_P(TsCarryOverTest, AFailingOpeningRowLeavesNoneInTheNewFile) {
  OldMoney('0', '2', "20151101", "000001", "0101001", 1, -100);
  OldMoney('0', '2', "20151101", "000002", "0101002", 1, -50);
  // The second household's row cannot be written into the new file.
  ASSERT_TRUE(m_new->ExecuteSQL(
      "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1,FK) "
      "Values('0','1','20160105','000000','000009','0101002','','101','',0,0,0)"));
  ASSERT_TRUE(m_new->ExecuteSQL("CREATE UNIQUE INDEX jsSheetKno ON jsSheet(KNO)"));
  SmResetMessages();
  EXPECT_FALSE(CTsjsRec::CarryOverBalances(&m_old, m_new));
  EXPECT_EQ(Rows("Select rtrim(KNO)||'/'||rtrim(DH) From jsSheet"), "0101002/000009");
  EXPECT_EQ(Shown().size(), 1u);
}

// Another station carries the same items into the new year while this one asks whether to go
// on: this station's copy finds the rows there and carries nothing twice.
TEST_P(TsCarryOverTest, ItemsCarriedMeanwhileAreNotCarriedTwice) {
  RunOld(
      {"Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
       "Values('001','河边','01','',1,2,0,0,0,0)"});
  OldMoney('0', '2', "20151101", "000001", "0101001", 1, -100);
  CSmDatabase other(GetParam());
  ASSERT_TRUE(other.Open(m_new->GetFileName(), m_new->GetConnInfo()));
  SmResetMessages();
  SmCarryOverResult otherRun = SmCarryOverResult::Failed;
  CSmMessageService::Instance().WhileNextShown([&](const std::string&) {
    otherRun = SmRunCarryOver(m_app, m_items, {1, 4}, &m_old, &other, nullptr, 0);
  });
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // the other station's question
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // this one's
  EXPECT_EQ(Carry({1, 4}), SmCarryOverResult::Refused);
  EXPECT_EQ(otherRun, SmCarryOverResult::Done);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "甘蔗砍运地目录：已有记录，不能结转！\n预付款余额：已有记录，不能结转！\n"
            "这些项目没有结转！");
  EXPECT_EQ(Rows("Select rtrim(KNO) From AdrDir"), "001");
  EXPECT_EQ(Rows("Select rtrim(KNO) From jsSheet"), "0101001");
}

// Two stations carrying the same items at the same moment: each item is carried once, and the
// station that comes second is told which items were there already.
TEST_P(TsCarryOverTest, TwoCarryOversAtOnceCarryEachItemOnce) {
  RunOld(
      {"Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
       "Values('001','河边','01','',1,2,0,0,0,0)",
       "Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) "
       "Values('D01','赵六','','','','','','')"});
  OldMoney('0', '2', "20151101", "000001", "0101001", 1, -100);
  if (GetParam() != 0) Run(SmPgLingerAfter("INSERT", "AdrDir", "ROW"));
  const std::string oldFile = m_old.GetFileName();
  const std::string newFile = m_new->GetFileName();
  const CSmConnInfo login = m_new->GetConnInfo();
  const std::vector<int> results = SmRunStations(2, [&](int, const std::function<bool()>& go) {
    CSmDatabase source(GetParam()), target(GetParam());
    if (!source.Open(oldFile, login) || !target.Open(newFile, login)) return 99;
    SmResetMessages();
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);
    if (!go()) return 98;
    return static_cast<int>(
        SmRunCarryOver(m_app, m_items, {1, 2, 4}, &source, &target, nullptr, 0));
  });
  // Each item went in once; a station that came second to an item was told so.
  const int done = static_cast<int>(SmCarryOverResult::Done);
  const int refused = static_cast<int>(SmCarryOverResult::Refused);
  EXPECT_THAT(results, testing::Each(testing::AnyOf(done, refused)));
  EXPECT_THAT(results, testing::Contains(refused));
  EXPECT_EQ(Rows("Select rtrim(KNO) From AdrDir"), "001");
  EXPECT_EQ(Rows("Select rtrim(KNO) From DriverDir"), "D01");
  EXPECT_EQ(Rows("Select rtrim(KNO) From jsSheet"), "0101001");
}

}  // namespace
