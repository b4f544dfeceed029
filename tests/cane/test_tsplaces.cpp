// Places and drivers on the data file and on the server: reading, inserting, renaming and
// merging with the tickets and money documents following, deleting while referenced, the next
// code and the place-linked parameters.
#include <gtest/gtest.h>

#include "cane/TsAdrRec.h"
#include "cane/TsDriverRec.h"
#include "cane/TsItems.h"
#include "tests/cane/TsFileTest.h"

namespace {

const char* const kFail = "数据操作失败！";

class TsPlacesTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_type->m_intParams[5] = 3;  // driver code length
    m_type->m_intParams[6] = 3;  // place code length
  }

  static CTsAdrRec Place(const std::string& code, const std::string& name, double jl) {
    CTsAdrRec rec;
    rec.KNO = code;
    rec.NA = name;
    rec.jl = jl;
    rec.ypr = jl * 10;
    return rec;
  }

  static CTsDriverRec Driver(const std::string& code, const std::string& name) {
    CTsDriverRec rec;
    rec.KNO = code;
    rec.NA = name;
    return rec;
  }

  // A tared ticket with its driver and place.
  void Ticket(const std::string& number, const std::string& driver, const std::string& place) {
    Run({"Insert Into gbSheet(DH,KNO1,KNO2,OPR1,JN0,JN1) Values('" + number + "','" + driver +
         "','" + place + "','101','','')"});
  }

  // A money row of a party; an empty number makes it the opening row.
  void Money(char party, const std::string& code, const std::string& number, double my2) {
    Run({FormatStr("Insert Into jsSheet(LB,DB,DH,KNO,MY2) Values('%c','2','%s','%s',%.2f)", party,
                   number.c_str(), code.c_str(), my2)});
  }

  std::string Places() {
    return Rows("Select rtrim(KNO)||':'||rtrim(NA) From AdrDir Order By KNO");
  }
  std::string Drivers() { return Rows("Select rtrim(KNO) From DriverDir Order By KNO"); }
  std::string TicketPlaces() { return Rows("Select rtrim(KNO2) From gbSheet Order By DH"); }
  std::string TicketDrivers() { return Rows("Select rtrim(KNO1) From gbSheet Order By DH"); }
  std::string MoneyRows() {
    return Rows(
        "Select rtrim(LB)||rtrim(KNO)||'/'||rtrim(DH)||'/'||Cast(Cast(MY2 As Integer) As "
        "varchar(12)) From jsSheet Order By LB,KNO,DH");
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsPlacesTest, testing::Values(0, 2));

TEST_P(TsPlacesTest, PlaceIsStoredAndReadBackWithItsTexts) {
  CTsAdrRec rec = Place("001", "甘蔗砍运地很长的名字：东风农场第三生产队南坡老蔗地", 12.5);
  rec.QY = "01";
  rec.NT = "O'Neil的地";
  rec.cs = {1.25, 0, 0, 3.5};
  ASSERT_TRUE(TsAdrInsert(rec, &m_db));
  CTsAdrRec read;
  ASSERT_EQ(TsAdrLoad(read, "001", &m_db), 1);
  EXPECT_EQ(read.NA, "甘蔗砍运地很长的名字：东风农场第三生产队");  // 40 bytes
  EXPECT_EQ(read.NT, rec.NT);
  EXPECT_EQ(read.QY, "01");
  EXPECT_DOUBLE_EQ(read.jl, 12.5);
  EXPECT_DOUBLE_EQ(read.ypr, 125);
  EXPECT_DOUBLE_EQ(read.cs[0], 1.25);
  EXPECT_DOUBLE_EQ(read.cs[3], 3.5);

  // A missing place leaves the record as it was.
  EXPECT_EQ(TsAdrLoad(read, "009", &m_db), 0);
  EXPECT_EQ(read.KNO, "001");

  // An existing code is refused without a box and adds nothing.
  SmResetMessages();
  EXPECT_FALSE(TsAdrInsert(Place("001", "另一个", 1), &m_db));
  EXPECT_TRUE(Shown().empty());
  ASSERT_TRUE(TsAdrInsert(Place("002", "乙", 1), &m_db));
  std::vector<CTsAdrRec> all;
  EXPECT_EQ(TsAdrLoadAll(all, &m_db), 2);
  EXPECT_EQ(all[1].KNO, "002");
  EXPECT_EQ(Places(), "001:" + read.NA + "|002:乙");
}

TEST_P(TsPlacesTest, NextCodesArePaddedAndKeepTheRightMostDigits) {
  EXPECT_EQ(TsAdrNextCode(&m_db), "001");
  EXPECT_EQ(TsDriverNextCode(&m_db), "001");
  ASSERT_TRUE(TsAdrInsert(Place("041", "甲", 1), &m_db));
  ASSERT_TRUE(TsDriverInsert(Driver("009", "张三"), &m_db));
  EXPECT_EQ(TsAdrNextCode(&m_db), "042");
  EXPECT_EQ(TsDriverNextCode(&m_db), "010");
  ASSERT_TRUE(TsAdrInsert(Place("999", "乙", 1), &m_db));
  EXPECT_EQ(TsAdrNextCode(&m_db), "000");
}

TEST_P(TsPlacesTest, PlaceRenamedOntoAnotherIsMergedOnlyAfterYes) {
  ASSERT_TRUE(TsAdrInsert(Place("001", "甲", 1), &m_db));
  ASSERT_TRUE(TsAdrInsert(Place("002", "乙", 2), &m_db));
  Ticket("0001", "", "001");
  Ticket("0002", "", "002");
  Ticket("0003", "", "001");
  const CTsAdrRec edited = Place("002", "改名", 7);

  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  bool merged = true;
  EXPECT_FALSE(TsAdrUpdate(edited, "001", &m_db, &merged));
  EXPECT_FALSE(merged);
  EXPECT_EQ(Shown(), std::vector<std::string>{"要将甘蔗砍运地<001>与<002>合并吗？"});
  EXPECT_EQ(Places(), "001:甲|002:乙");
  EXPECT_EQ(TicketPlaces(), "001|002|001");

  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_TRUE(TsAdrUpdate(edited, "001", &m_db, &merged));
  EXPECT_TRUE(merged);
  EXPECT_EQ(Places(), "002:乙");
  CTsAdrRec survivor;
  ASSERT_EQ(TsAdrLoad(survivor, "002", &m_db), 1);
  EXPECT_DOUBLE_EQ(survivor.jl, 2);
  EXPECT_DOUBLE_EQ(survivor.ypr, 20);
  EXPECT_EQ(TicketPlaces(), "002|002|002");
}

TEST_P(TsPlacesTest, PlaceRenamedToAFreeCodeTakesItsTickets) {
  ASSERT_TRUE(TsAdrInsert(Place("001", "甲", 1), &m_db));
  Ticket("0001", "", "001");
  Ticket("0002", "", "003");
  bool merged = true;
  EXPECT_TRUE(TsAdrUpdate(Place("005", "新甲", 4), "001", &m_db, &merged));
  EXPECT_FALSE(merged);
  EXPECT_EQ(Places(), "005:新甲");
  EXPECT_EQ(TicketPlaces(), "005|003");
  // The same code keeps the tickets and stores the edits.
  EXPECT_TRUE(TsAdrUpdate(Place("005", "再改", 4), "005", &m_db));
  EXPECT_EQ(Places(), "005:再改");
  EXPECT_TRUE(Shown().empty());
}

TEST_P(TsPlacesTest, FailingStatementsChangeNothing) {
  ASSERT_TRUE(TsAdrInsert(Place("001", "甲", 1), &m_db));
  ASSERT_TRUE(TsAdrInsert(Place("002", "乙", 2), &m_db));
  Ticket("0001", "", "001");
  ASSERT_NO_FATAL_FAILURE(FailEvery("UPDATE", "gbSheet"));

  SmResetMessages();
  EXPECT_FALSE(TsAdrUpdate(Place("005", "新甲", 4), "001", &m_db));
  std::vector<std::string> shown = Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[0].find("执行下列SQL语句时出错！"), std::string::npos);
  EXPECT_EQ(shown[1], kFail);

  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  bool merged = true;
  EXPECT_FALSE(TsAdrUpdate(Place("002", "乙", 2), "001", &m_db, &merged));
  EXPECT_FALSE(merged);
  EXPECT_EQ(Shown().back(), kFail);
  EXPECT_EQ(Places(), "001:甲|002:乙");
  EXPECT_EQ(TicketPlaces(), "001");

  ASSERT_NO_FATAL_FAILURE(FailEvery("INSERT", "AdrDir"));
  SmResetMessages();
  EXPECT_FALSE(TsAdrInsert(Place("003", "丙", 1), &m_db));
  EXPECT_EQ(Shown().back(), kFail);
  EXPECT_EQ(Places(), "001:甲|002:乙");
}

TEST_P(TsPlacesTest, ReferencedPlaceIsNotDeleted) {
  ASSERT_TRUE(TsAdrInsert(Place("001", "甲", 1), &m_db));
  ASSERT_TRUE(TsAdrInsert(Place("002", "乙", 2), &m_db));
  Ticket("0001", "", "001");
  EXPECT_FALSE(TsAdrDelete("001", &m_db));
  EXPECT_TRUE(TsAdrDelete("002", &m_db));
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Places(), "001:甲");
}

TEST_P(TsPlacesTest, LinkedParameterRangeAndSetting) {
  // Two named place parameters: the first in cs1, the second in cs3.
  m_type->m_strParams[44] = "";
  m_type->m_strParams[45] = "坡度";
  m_type->m_strParams[46] = "";
  m_type->m_strParams[47] = "路况";
  m_type->BuildItemTables();
  ASSERT_EQ(TsGetLinkParamIndex(1, 0), 1);
  ASSERT_EQ(TsGetLinkParamIndex(1, 1), 3);
  const std::pair<const char*, double> places[] = {
      {"00A", 1.5}, {"00B", 3}, {"00C", 2}, {"00D", 2}, {"00E", 2}};
  for (const auto& [code, value] : places) {
    CTsAdrRec rec = Place(code, "地", 1);
    rec.cs[1] = value;
    ASSERT_TRUE(TsAdrInsert(rec, &m_db));
  }
  struct Case {
    std::vector<std::string> codes;
    double lowest, highest;
  };
  const Case cases[] = {{{"00A", "00B", "00C"}, 1.5, 3},
                        {{"00C", "00X", "00B"}, 2, 3},
                        {{"00D", "00E"}, 2, 2},
                        {{"00X", "00Y"}, 0, 0},
                        {{}, 0, 0}};
  for (const Case& c : cases) {
    std::pair<double, double> range{-1, -1};
    TsAdrLinkParamRange(0, c.codes, range, &m_db);
    EXPECT_DOUBLE_EQ(range.first, c.lowest) << c.codes.size();
    EXPECT_DOUBLE_EQ(range.second, c.highest) << c.codes.size();
  }

  TsAdrSetLinkParam(1, {"00A", "00X", "00C"}, 0.12345678, &m_db);
  // Six decimals reach the statement; the server's column keeps four of them.
  const double stored = GetParam() == 0 ? 0.123457 : 0.1235;
  CTsAdrRec rec;
  for (const char* code : {"00A", "00C"}) {
    ASSERT_EQ(TsAdrLoad(rec, code, &m_db), 1);
    EXPECT_DOUBLE_EQ(rec.cs[3], stored) << code;
    EXPECT_DOUBLE_EQ(rec.cs[1], code[2] == 'A' ? 1.5 : 2) << code;
  }
  ASSERT_EQ(TsAdrLoad(rec, "00B", &m_db), 1);
  EXPECT_DOUBLE_EQ(rec.cs[3], 0);
}

TEST_P(TsPlacesTest, DriverIsStoredAndReadBack) {
  CTsDriverRec rec{"001",    "张三", "桂A12345", "0771-1234567", "南宁市某某路1号",
                   "O'Neil", "5",    "30"};
  ASSERT_TRUE(TsDriverInsert(rec, &m_db));
  EXPECT_FALSE(TsDriverInsert(Driver("001", "李四"), &m_db));
  EXPECT_TRUE(Shown().empty());
  CTsDriverRec read;
  ASSERT_EQ(TsDriverLoad(read, "001", &m_db), 1);
  EXPECT_EQ(read.NA, "张三");
  EXPECT_EQ(read.PNO, "桂A12345");
  EXPECT_EQ(read.TEL, rec.TEL);
  EXPECT_EQ(read.ADR, rec.ADR);
  EXPECT_EQ(read.NT, "O'Neil");
  EXPECT_EQ(read.WG0, "5");
  EXPECT_EQ(read.WG1, "30");
  read.Clear();
  EXPECT_EQ(read.KNO, "");
  EXPECT_EQ(TsDriverLoad(read, "002", &m_db), 0);
}

TEST_P(TsPlacesTest, DriverIsDeletedOnlyWhenNoTicketOrDocumentOfHisNamesHim) {
  for (const char* code : {"001", "002", "003"})
    ASSERT_TRUE(TsDriverInsert(Driver(code, "某"), &m_db));
  Ticket("0001", "001", "");
  Money('1', "002", "", -100);    // his opening row
  Money('0', "003", "0007", -5);  // a farmer with the same code
  EXPECT_FALSE(TsDriverDelete("001", &m_db));
  EXPECT_FALSE(TsDriverDelete("002", &m_db));
  EXPECT_TRUE(TsDriverDelete("003", &m_db));
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Drivers(), "001|002");
}

TEST_P(TsPlacesTest, DriverRenameMovesHisTicketsAndDocumentsOnly) {
  ASSERT_TRUE(TsDriverInsert(Driver("001", "张三"), &m_db));
  Ticket("0001", "001", "");
  Ticket("0002", "002", "");
  Money('1', "001", "", -100);
  Money('1', "001", "0003", -20);
  Money('0', "001", "0004", -5);
  bool merged = true;
  EXPECT_TRUE(TsDriverUpdate(Driver("005", "张三"), "001", &m_db, &merged));
  EXPECT_FALSE(merged);
  EXPECT_EQ(Drivers(), "005");
  EXPECT_EQ(TicketDrivers(), "005|002");
  EXPECT_EQ(MoneyRows(), "0001/0004/-5|1005//-100|1005/0003/-20");
}

TEST_P(TsPlacesTest, MergedDriversKeepOneOpeningRowWithBothBalances) {
  ASSERT_TRUE(TsDriverInsert(Driver("001", "张三"), &m_db));
  ASSERT_TRUE(TsDriverInsert(Driver("002", "李四"), &m_db));
  Ticket("0001", "001", "");
  Money('1', "001", "", -100);
  Money('1', "001", "0003", -20);
  Money('1', "002", "", -50);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  bool merged = false;
  EXPECT_TRUE(TsDriverUpdate(Driver("002", "张三"), "001", &m_db, &merged));
  EXPECT_TRUE(merged);
  EXPECT_EQ(Shown(), std::vector<std::string>{"要将驾驶员<001>与<002>合并吗？"});
  EXPECT_EQ(Rows("Select rtrim(KNO)||':'||rtrim(NA) From DriverDir"), "002:李四");
  EXPECT_EQ(TicketDrivers(), "002");
  EXPECT_EQ(MoneyRows(), "1002//-150|1002/0003/-20");
}

TEST_P(TsPlacesTest, FailedDriverMergeLeavesEverythingAsItWas) {
  ASSERT_TRUE(TsDriverInsert(Driver("001", "张三"), &m_db));
  ASSERT_TRUE(TsDriverInsert(Driver("002", "李四"), &m_db));
  Ticket("0001", "001", "");
  Money('1', "001", "", -100);
  Money('1', "001", "0003", -20);
  ASSERT_NO_FATAL_FAILURE(FailEvery("UPDATE", "jsSheet"));
  // The rename's ticket update has run when the documents' update fails.
  EXPECT_FALSE(TsDriverUpdate(Driver("005", "张三"), "001", &m_db));
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_FALSE(TsDriverUpdate(Driver("002", "张三"), "001", &m_db));
  EXPECT_EQ(Shown().back(), kFail);
  EXPECT_EQ(Drivers(), "001|002");
  EXPECT_EQ(TicketDrivers(), "001");
  EXPECT_EQ(MoneyRows(), "1001//-100|1001/0003/-20");
}

}  // namespace

TEST_P(TsPlacesTest, CardChecksOfAPlaceAndADriver) {
  Run({"Insert Into NHDir(KNO,NA) Values('101','东乡')"});
  struct PlaceCase {
    const char* code;
    const char* name;
    const char* region;
    int field;
    const char* text;
    const char* storedCode;
  };
  const PlaceCase places[] = {
      {"7", "北坡", "", kSmNoField, "", "007"},
      {"012", "北坡", "101", kSmNoField, "", "012"},
      {"1234", "北坡", "", kTsAdrFieldCode, "代码不合适，请重输！", nullptr},
      {"", "北坡", "", kTsAdrFieldCode, "代码不合适，请重输！", nullptr},
      {"012", "  ", "", kTsAdrFieldName, "名称不能为空，请重输！", nullptr},
      {"012", "北坡", "999", kTsAdrFieldRegion, "所在区域不存在，请重输！", nullptr},
  };
  for (const PlaceCase& c : places) {
    SCOPED_TRACE(c.code + std::string("/") + c.name + "/" + c.region);
    CTsAdrRec rec = Place(c.code, c.name, 1);
    rec.QY = c.region;
    const SmRefusal refusal = TsAdrCheck(rec, &m_db);
    EXPECT_EQ(refusal.IsStop(), c.field != kSmNoField);
    EXPECT_EQ(refusal.field, c.field);
    EXPECT_EQ(refusal.text, c.text);
    if (c.storedCode) {
      EXPECT_EQ(rec.KNO, c.storedCode);
    }
  }

  struct DriverCase {
    const char* code;
    const char* name;
    const char* low;
    const char* high;
    int field;
    const char* text;
    const char* made;  // code, limits as they are stored
  };
  const DriverCase drivers[] = {
      {"3", "李四", "", "", kSmNoField, "", "003||"},
      {"003", "李四", "25.000", "30.123456", kSmNoField, "", "003|25|30.1235"},
      {"003", "李四", "30", "30", kSmNoField, "", "003|30|30"},
      {"0", "李四", "", "", kTsDriverFieldCode, "代码不合适，请重输！", nullptr},
      {"003", "", "", "", kTsDriverFieldName, "姓名不能为空，请重输！", nullptr},
      {"003", "李四", "0", "", kTsDriverFieldLowLimit, "限载数应大于0，请重输！", "003|0|"},
      {"003", "李四", "", "-2", kTsDriverFieldHighLimit, "限载数应大于0，请重输！", "003||-2"},
      {"003", "李四", "31", "30", kTsDriverFieldLowLimit, "限载数倒置，请重输！", "003|31|30"},
  };
  for (const DriverCase& c : drivers) {
    SCOPED_TRACE(c.code + std::string("/") + c.name + "/" + c.low + "/" + c.high);
    CTsDriverRec rec = Driver(c.code, c.name);
    rec.WG0 = c.low;
    rec.WG1 = c.high;
    const SmRefusal refusal = TsDriverCheck(rec);
    EXPECT_EQ(refusal.IsStop(), c.field != kSmNoField);
    EXPECT_EQ(refusal.field, c.field);
    EXPECT_EQ(refusal.text, c.text);
    if (c.made) {
      EXPECT_EQ(rec.KNO + "|" + rec.WG0 + "|" + rec.WG1, c.made);
    }
  }
}
