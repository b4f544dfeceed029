// The money-document record's opening balances, the price range of the open tickets and the
// repair of disagreeing slips, on the data file and on the server.
#include <gtest/gtest.h>

#include "cane/TsParams.h"
#include "core/SmQuery.h"
#include "tests/cane/TsFileTest.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbStore.h"
#include "weighing/TsjsRec.h"

namespace {

const char* const kAsk = "此户异常：增加前已有预付款期初余额，要清除原余额吗？";

class TsjsRecTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_app.m_env.SetOperatorNo("102");
  }

  // The opening rows as "LB DB T DH KNO OPR0 OPR1 MY1 MY2", and TH's width.
  std::string Openings() {
    return Rows(
        "Select rtrim(LB)||' '||rtrim(DB)||' '||rtrim(T)||' '||rtrim(DH)||'/'||rtrim(KNO)||' '||"
        "rtrim(OPR0)||' '||rtrim(OPR1)||' '||Cast(Cast(MY1 As Integer) As varchar(12))||' '||"
        "Cast(Cast(MY2 As Integer) As varchar(12))||' '||Cast(Length(rtrim(TH)) As varchar(2)) "
        "From jsSheet Where DH='' Order By LB,KNO");
  }

  static CTsjsRec Advance(double item1, double item2 = 0) {
    CTsjsRec rec;
    rec.MY[1] = item1;
    rec.MY[2] = item2;
    return rec;
  }

  // A ticket: its number, variety (KNO3), place (KNO2), tare operator, cane and freight slip
  // numbers and prices.
  void Ticket(const char* dh, const char* variety, const char* place, const char* tare,
              const char* jn0, const char* jn1, double pr0, double pr1) {
    Run(
        {FormatStr("Insert Into gbSheet(DH,KNO2,KNO3,OPR1,JN0,JN1,PR0,PR1,FK) "
                   "Values('%s','%s','%s','%s','%s','%s',%.2f,%.2f,0)",
                   dh, place, variety, tare, jn0, jn1, pr0, pr1)});
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsjsRecTest, testing::Values(0, 2));

TEST(TsjsRec, ColumnListsAndClearedRecord) {
  EXPECT_EQ(TsjsItemColumns(), "MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,MY11,MY12,MY13,MY14");
  EXPECT_EQ(TsjsSumColumnList().substr(0, 25), "sum(MY0),sum(MY1),sum(MY2");
  EXPECT_EQ(CTsjsRec::ColumnList(),
            "FK," + TsjsItemColumns() + ",MU0,MU1,LB,DB,T,DH,KNO,MRY,OPR0,OPR1,TH");
  CTsjsRec rec;
  rec.MY[0] = 1.005;
  rec.MY[14] = -2.5;
  EXPECT_EQ(rec.TsjsItemValues(-1),
            "-1.00,0.00,0.00,0.00,0.00,0.00,0.00,0.00,0.00,0.00,0.00,"
            "0.00,0.00,0.00,2.50");
  rec.KNO = "x";
  rec.LB = 1;
  CTsjsRec copy = rec;
  rec.Clear();
  EXPECT_EQ(rec.MY, std::vector<double>(15, 0.0));
  EXPECT_EQ(rec.KNO, "");
  EXPECT_EQ(copy.KNO, "x");
  EXPECT_EQ(copy.MY[14], -2.5);
}

TEST_P(TsjsRecTest, WholeRowsAreReadInColumnOrder) {
  Run({"Insert Into jsSheet(" + CTsjsRec::ColumnList() +
       ") Values(7,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,1.5,2.5,'1','3','20160105','0009','005',"
       "'摘要','101','102','101112')"});
  CSmQuery query(1, 17, 9, &m_db);
  CTsjsRec::BindColumns(query);
  ASSERT_TRUE(query.Open("Select " + CTsjsRec::ColumnList() + " From jsSheet"));
  ASSERT_FALSE(query.IsEOF());
  CTsjsRec rec;
  rec.ReadRow(query);
  EXPECT_EQ(rec.FK, 7);
  EXPECT_DOUBLE_EQ(rec.MY[14], 14);
  EXPECT_DOUBLE_EQ(rec.MU[1], 2.5);
  EXPECT_EQ(rec.LB, 1);
  EXPECT_EQ(rec.DB, 3);
  EXPECT_EQ(TrimChars(rec.MRY), "摘要");
  EXPECT_EQ(TrimChars(rec.OPR[1]), "102");
  EXPECT_EQ(TrimChars(rec.TH), "101112");
}

TEST_P(TsjsRecTest, OpeningBalanceIsStoredNegativeAndLoadedBack) {
  const std::string start = TsGetYearStartDate();
  ASSERT_TRUE(Advance(1000, 20).SetOpening(false, 0, "0101", &m_db));
  ASSERT_TRUE(Advance(0, 8).SetOpening(false, 1, "0101", &m_db));  // a driver's, kept apart
  EXPECT_EQ(Openings(),
            "0 2 " + start + " /0101 102 102 -1000 -20 6|1 2 " + start + " /0101 102 102 0 -8 6");
  CTsjsRec read;
  ASSERT_TRUE(read.LoadOpening(0, "0101", &m_db));
  EXPECT_DOUBLE_EQ(read.MY[1], 1000);
  EXPECT_DOUBLE_EQ(read.MY[2], 20);

  // Without an opening row the record stays as it was.
  read.MY[1] = 3;
  ASSERT_TRUE(read.LoadOpening(0, "0999", &m_db));
  EXPECT_DOUBLE_EQ(read.MY[1], 3);

  // Saving again replaces the row; zero advances leave none. Only advance items count.
  ASSERT_TRUE(Advance(5).SetOpening(false, 0, "0101", &m_db));
  EXPECT_EQ(Openings(),
            "0 2 " + start + " /0101 102 102 -5 0 6|1 2 " + start + " /0101 102 102 0 -8 6");
  CTsjsRec deduction;
  deduction.MY[0] = 50;  // item 0 is no advance of either kind
  ASSERT_TRUE(deduction.SetOpening(false, 1, "0101", &m_db));
  EXPECT_EQ(Openings(), "0 2 " + start + " /0101 102 102 -5 0 6");
  EXPECT_TRUE(Shown().empty());
}

TEST_P(TsjsRecTest, AddingOverAnExistingOpeningAsksFirst) {
  ASSERT_TRUE(Advance(1000).SetOpening(false, 0, "0101", &m_db));
  const std::string before = Openings();
  for (int answer : {SM_IDNO, SM_IDCANCEL}) {
    SmResetMessages();
    CSmMessageService::Instance().QueueAnswer(answer);
    EXPECT_FALSE(Advance(7).SetOpening(true, 0, "0101", &m_db));
    EXPECT_EQ(Shown(), std::vector<std::string>{kAsk});
    EXPECT_EQ(Openings(), before);
  }
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_TRUE(Advance(7).SetOpening(true, 0, "0101", &m_db));
  EXPECT_NE(Openings().find(" -7 0 "), std::string::npos);
  // A household without an opening row is not asked about.
  SmResetMessages();
  EXPECT_TRUE(Advance(7).SetOpening(true, 0, "0102", &m_db));
  EXPECT_TRUE(Shown().empty());
}

TEST_P(TsjsRecTest, FailedOpeningInsertKeepsTheOldBalance) {
  ASSERT_TRUE(Advance(1000).SetOpening(false, 0, "0101", &m_db));
  const std::string before = Openings();
  ASSERT_NO_FATAL_FAILURE(FailEvery("INSERT", "jsSheet"));
  EXPECT_FALSE(Advance(7).SetOpening(false, 0, "0101", &m_db));
  EXPECT_EQ(Openings(), before);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].find("执行下列SQL语句时出错！"), std::string::npos);
}

TEST_P(TsjsRecTest, ChildAndDriverOpeningsFollowTheirLists) {
  // Farmer levels of 1, 2, 2 and 3 characters: the children of "0" have 3 characters.
  Run({"Insert Into jsSheet(LB,DB,DH,KNO,MY1) Values('0','2','','01101',10)",
       "Insert Into jsSheet(LB,DB,DH,KNO,MY1) Values('0','2','','01102',5)",
       "Insert Into jsSheet(LB,DB,DH,KNO,MY1) Values('0','2','','013',7)",
       "Insert Into jsSheet(LB,DB,DH,KNO,MY1) Values('0','2','','0',100)",
       "Insert Into jsSheet(LB,DB,DH,KNO,MY1) Values('0','2','0005','01101',1000)",
       "Insert Into jsSheet(LB,DB,DH,KNO,MY1) Values('1','2','','011',1000)",
       "Insert Into jsSheet(LB,DB,DH,KNO,MY1) Values('0','2','','121',1000)",
       "Insert Into jsSheet(LB,DB,DH,KNO,MY2) Values('1','2','','003',-40)",
       "Insert Into jsSheet(LB,DB,DH,KNO,MY2) Values('1','2','','001',-12)"});
  std::vector<CTsjsRec> openings(5);
  ASSERT_TRUE(CTsjsRec::GetChildOpenings("0", {"013", "012", "011"}, openings, &m_db));
  ASSERT_EQ(openings.size(), 3u);
  EXPECT_DOUBLE_EQ(openings[0].MY[1], -7);
  EXPECT_DOUBLE_EQ(openings[1].MY[1], 0);
  EXPECT_DOUBLE_EQ(openings[2].MY[1], -15);

  ASSERT_TRUE(CTsjsRec::GetDriverOpenings({"001", "002", "003"}, openings, &m_db));
  ASSERT_EQ(openings.size(), 3u);
  EXPECT_DOUBLE_EQ(openings[0].MY[2], 12);
  EXPECT_DOUBLE_EQ(openings[1].MY[2], 0);
  EXPECT_DOUBLE_EQ(openings[2].MY[2], 40);
}

TEST_P(TsjsRecTest, PriceStatsCountOnlyTaredTicketsOpenInTheKind) {
  Ticket("0001", "V1", "001", "101", "", "", 1.5, 30);
  Ticket("0002", "V1", "001", "101", "", "0001", 2.5, 40);  // in a freight slip only
  Ticket("0003", "V1", "001", "", "", "", 9, 90);           // not tared
  Ticket("0004", "V1", "001", "101", "0002", "", 0.5, 5);   // in a cane slip
  Ticket("0005", "V2", "002", "101", "", "", 7, 70);
  std::pair<double, double> range{-1, -1};
  EXPECT_EQ(TsgbPriceStats(0, "V1", range, &m_db), 2);
  EXPECT_EQ(range, std::make_pair(1.5, 2.5));
  EXPECT_EQ(TsgbPriceStats(1, "001", range, &m_db), 2);
  EXPECT_EQ(range, std::make_pair(5.0, 30.0));
  EXPECT_EQ(TsgbPriceStats(0, "V9", range, &m_db), 0);
  EXPECT_EQ(range, std::make_pair(0.0, 0.0));
  Run({"Drop Table gbSheet"});
  range = {-1, -1};
  EXPECT_EQ(TsgbPriceStats(0, "V1", range, &m_db), -1);
  EXPECT_EQ(range, std::make_pair(0.0, 0.0));
}

TEST_P(TsjsRecTest, RepairMakesADisagreeingSlipUniformAndTakesItOutOfItsBatch) {
  Run(
      {"Insert Into gbSheet(DH,JN0,KNO0,OPR2,OPR4,OPR6,FK,JN1,KNO1,OPR3,OPR5,OPR7) Values"
       "('0001','0001','0101','101','102','',3,'0009','001','101','','')",
       "Insert Into gbSheet(DH,JN0,KNO0,OPR2,OPR4,OPR6,FK,JN1,KNO1,OPR3,OPR5,OPR7) Values"
       "('0002','0001','0101','101','','',0,'0009','001','101','102','')",
       "Insert Into gbSheet(DH,JN0,KNO0,OPR2,OPR4,OPR6,FK,JN1,KNO1,OPR3,OPR5,OPR7) Values"
       "('0003','0002','0102','101','102','103',5,'0008','002','101','102','')",
       "Insert Into gbSheet(DH,JN0,KNO0,OPR2,OPR4,OPR6,FK,JN1,KNO1,OPR3,OPR5,OPR7) Values"
       "('0004','0002','0102','101','102','103',5,'0008','002','101','102','')"});
  const std::string tickets =
      "Select rtrim(DH)||':'||rtrim(OPR4)||'/'||rtrim(OPR5)||'/'||Cast(FK As varchar(4)) From "
      "gbSheet Order By DH";
  ASSERT_TRUE(TsSlipRepair(0, &m_db));
  EXPECT_EQ(Rows(tickets), "0001:102//0|0002:102/102/0|0003:102/102/5|0004:102/102/5");
  ASSERT_TRUE(TsSlipRepair(1, &m_db));
  EXPECT_EQ(Rows(tickets), "0001:102/102/0|0002:102/102/0|0003:102/102/5|0004:102/102/5");
  EXPECT_TRUE(Shown().empty());
}

}  // namespace
