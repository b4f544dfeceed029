// The ticket store: whole rows in and out, the guarded deletes, the numbering, the batch item
// update and the slip print counters, on the data file and on the server.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/cane/TsFileTest.h"
#include "tests/common/SmStations.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbRec.h"

namespace {

const char* const kDuplicate = "单号重，不能修改！";

// A ticket with every column set apart from the others.
CTsgbRec FullTicket(const std::string& dh) {
  CTsgbRec rec;
  rec.T = "20161203";
  rec.TH = "081502";
  rec.DH = dh;
  for (int i = 0; i < 8; ++i) rec.OPR[i] = FormatStr("1%02d", i);
  rec.JT[0] = "20161210";
  rec.JT[1] = "20161211";
  rec.JN[0] = "00007";
  rec.JN[1] = "00008";
  rec.KNO[0] = "10102001";
  rec.KNO[1] = "003";
  rec.KNO[2] = "012";
  rec.KNO[3] = "101";
  for (int i = 0; i < 4; ++i) rec.MU[i] = 30.1234 - i * 7.5;
  rec.PR[0] = 512.35;
  rec.PR[1] = 21.5;
  for (int i = 0; i < 12; ++i) rec.MY[i] = 1000.25 - i * 91.5;
  rec.FK = 4;
  rec.PRT[0] = 2;
  rec.PRT[1] = 3;
  return rec;
}

// A ticket in one of the states the store tells apart.
CTsgbRec Ticket(const std::string& dh, bool tared, const std::string& jn0 = {},
                const std::string& jn1 = {}) {
  CTsgbRec rec;
  rec.T = "20161203";
  rec.TH = "080000";
  rec.DH = dh;
  rec.OPR[0] = "101";
  rec.KNO[0] = "10102001";
  rec.KNO[2] = "001";
  rec.MU[0] = 30;
  rec.PR[0] = 500;
  if (tared) {
    rec.OPR[1] = "102";
    rec.KNO[3] = "11";
    rec.MU[1] = 10;
    rec.MU[2] = 0.5;
    rec.PR[1] = 20;
    for (double& my : rec.MY) my = 12.5;
  }
  rec.JN[0] = jn0;
  rec.JN[1] = jn1;
  return rec;
}

}  // namespace

TEST(TsgbRec, ColumnListsAndComparison) {
  EXPECT_EQ(CTsgbRec::ItemColumnList(), "MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,MY11");
  EXPECT_EQ(CTsgbRec::ColumnList(),
            "PRT0,PRT1,FK,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,MY10,"
            "MY11,T,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,KNO0,KNO1,KNO2,"
            "KNO3,TH");
  const CTsgbRec a = FullTicket("0001");
  EXPECT_EQ(a.ItemValueList().substr(0, 24), "1000.25,908.75,817.25,72");
  CTsgbRec b = a;
  EXPECT_TRUE(a.IsEqual(b));
  b.MY[11] += 1e-7;
  b.MU[3] -= 1e-7;
  EXPECT_TRUE(a.IsEqual(b)) << "differences within 1e-6 count as equal";

  struct Change {
    const char* what;
    void (*apply)(CTsgbRec&);
  };
  const Change changes[] = {
      {"DH padded", [](CTsgbRec& r) { r.DH += " "; }},
      {"OPR7", [](CTsgbRec& r) { r.OPR[7] = "999"; }},
      {"KNO3", [](CTsgbRec& r) { r.KNO[3].clear(); }},
      {"TH", [](CTsgbRec& r) { r.TH = "081503"; }},
      {"MU2", [](CTsgbRec& r) { r.MU[2] += 2e-6; }},
      {"PR1", [](CTsgbRec& r) { r.PR[1] = 0; }},
      {"MY6", [](CTsgbRec& r) { r.MY[6] += 0.01; }},
      {"FK", [](CTsgbRec& r) { r.FK = 0; }},
      {"PRT1", [](CTsgbRec& r) { r.PRT[1] = 0; }},
      {"eleven amounts", [](CTsgbRec& r) { r.MY.pop_back(); }},
      {"thirteen amounts", [](CTsgbRec& r) { r.MY.push_back(0); }},
  };
  for (const Change& change : changes) {
    CTsgbRec c = a;
    change.apply(c);
    EXPECT_FALSE(a.IsEqual(c)) << change.what;
    EXPECT_TRUE(a != c) << change.what;
  }
  CTsgbRec wrong = a;
  wrong.MY.pop_back();
  EXPECT_FALSE(wrong.IsEqual(wrong)) << "a record without twelve amounts equals nothing";
}

class TsgbStoreTest : public TsFileTest {
 protected:
  void Store(const std::vector<CTsgbRec>& tickets) {
    for (CTsgbRec rec : tickets) ASSERT_EQ(rec.Insert(&m_db), 1) << rec.DH;
  }

  // "DH:OPR1:KNO3:PR0:MY0" of every ticket in number order.
  std::string Tickets() {
    return Rows(
        "Select rtrim(DH)||':'||rtrim(OPR1)||':'||rtrim(KNO3)||':'||Cast(Cast(PR0 As Integer) As "
        "varchar(12))||':'||Cast(Cast(MY0*100 As Integer) As varchar(12)) From gbSheet Order By "
        "DH");
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsgbStoreTest, testing::Values(0, 2));

TEST_P(TsgbStoreTest, InsertAndLoadRoundTripEveryColumn) {
  CTsgbRec rec = FullTicket("00012");
  rec.KNO[0] = "O'Neil";
  ASSERT_EQ(rec.Insert(&m_db), 1);
  CTsgbRec loaded;
  ASSERT_EQ(loaded.Load("Where DH='00012'", &m_db), 1);
  EXPECT_TRUE(loaded.IsEqual(rec)) << loaded.KNO[0] << " " << loaded.TH;
  EXPECT_EQ(loaded.KNO[0], "O'Neil");

  std::vector<CTsgbRec> list(3);
  CTsgbRec other = FullTicket("00011");
  ASSERT_EQ(other.Insert(&m_db), 1);
  EXPECT_EQ(loaded.Select("", "Order by DH", list, &m_db), 2);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].DH, "00011");
  EXPECT_TRUE(list[1].IsEqual(rec));
  EXPECT_EQ(loaded.Select("Where DH='none'", "", list, &m_db), 0);
  EXPECT_TRUE(list.empty());

  CTsgbRec untouched = FullTicket("x");
  EXPECT_EQ(untouched.Load("Where DH='none'", &m_db), 0);
  EXPECT_EQ(untouched.DH, "x");
  EXPECT_TRUE(Shown().empty());
}

TEST_P(TsgbStoreTest, EmptyTimeIsStampedFromTheConnectionAndAStoredOneKept) {
  CTsgbRec fresh = Ticket("0001", false);
  fresh.TH.clear();
  const std::string before = m_db.GetServerTime("%H%M%S");
  ASSERT_EQ(fresh.Insert(&m_db), 1);
  const std::string after = m_db.GetServerTime("%H%M%S");
  CTsgbRec loaded;
  ASSERT_EQ(loaded.Load("Where DH='0001'", &m_db), 1);
  EXPECT_EQ(loaded.TH.size(), 6u);
  EXPECT_TRUE(loaded.TH >= before && loaded.TH <= after) << before << " " << loaded.TH;

  ASSERT_EQ(TsgbDelete(2, "0001", &m_db), 1);
  loaded.TH = "010203";
  ASSERT_EQ(loaded.Insert(&m_db), 1);
  EXPECT_EQ(Rows("Select TH From gbSheet"), "010203");
}

TEST_P(TsgbStoreTest, DuplicateNumberIsRefusedAndNothingStored) {
  ASSERT_NO_FATAL_FAILURE(Store({Ticket("0005", false)}));
  CTsgbRec second = Ticket("0005", true);
  EXPECT_EQ(second.Insert(&m_db), 0);
  EXPECT_EQ(Shown(), std::vector<std::string>{kDuplicate});
  EXPECT_EQ(Tickets(), "0005:::500:0");

  // A failing insert rolls back and reports the statement.
  SmResetMessages();
  ASSERT_NO_FATAL_FAILURE(FailEvery("INSERT", "gbSheet"));
  CTsgbRec third = Ticket("0006", false);
  EXPECT_EQ(third.Insert(&m_db), 0);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].find("执行下列SQL语句时出错！"), std::string::npos);
  EXPECT_EQ(Tickets(), "0005:::500:0");
}

TEST_P(TsgbStoreTest, TwoStationsSavingOneNumberAtOnce) {
  if (GetParam() != 0) {
    // Each insert lingers, so that both stations have inserted before either counts.
    Run(SmPgLingerAfter("INSERT", "gbSheet", "ROW"));
  }
  // Both stations connect, then save together. Each exits with its insert's result, plus 10
  // when it was told the number is taken.
  std::vector<int> results = SmRunStations(2, [&](int n, const std::function<bool()>& go) {
    CSmDatabase db(GetParam());
    if (!db.Open(m_db.GetFileName(), SmPgLogin(2))) return 99;
    SmResetMessages();
    if (!go()) return 98;
    CTsgbRec rec = Ticket("0009", n == 1);
    const int stored = rec.Insert(&db);
    return stored + (CSmMessageService::Instance().LastText() == kDuplicate ? 10 : 0);
  });
  std::sort(results.begin(), results.end());
  EXPECT_EQ(results, (std::vector<int>{1, 10}));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From gbSheet Where DH='0009'"), 1);
}

TEST_P(TsgbStoreTest, DeleteModesTouchOnlyTheTicketsTheyMay) {
  struct Case {
    int mode;
    const char* dh;
    long long changed;
    const char* after;  // the tickets afterwards
  };
  const char* const all = "1:::500:0|2:102:11:500:1250|3:102:11:500:1250|4:102:11:500:1250";
  const Case cases[] = {
      {0, "1", 1, "2:102:11:500:1250|3:102:11:500:1250|4:102:11:500:1250"},
      {0, "2", 0, all},
      {1, "2", 1, "1:::500:0|2:::500:0|3:102:11:500:1250|4:102:11:500:1250"},
      {1, "3", 0, all},
      {1, "4", 0, all},
      {2, "2", 1, "1:::500:0|3:102:11:500:1250|4:102:11:500:1250"},
      {2, "3", 0, all},
      {3, "3", 1, "1:::500:0|2:102:11:500:1250|4:102:11:500:1250"},
      {3, "4", 1, "1:::500:0|2:102:11:500:1250|3:102:11:500:1250"},
      {3, "none", 0, all},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FormatStr("mode %d on %s", c.mode, c.dh));
    ASSERT_TRUE(m_db.ExecuteSQL("Delete From gbSheet"));
    ASSERT_NO_FATAL_FAILURE(Store({Ticket("1", false), Ticket("2", true),
                                   Ticket("3", true, "00001"), Ticket("4", true, {}, "00002")}));
    EXPECT_EQ(TsgbDelete(c.mode, c.dh, &m_db), 1);
    EXPECT_EQ(m_db.RowsChanged(), c.changed);
    EXPECT_EQ(Tickets(), c.after);
  }
  // Taking the tare back keeps the gross step, the slips and the print counts.
  EXPECT_EQ(TsgbDelete(1, "2", &m_db), 1);
  CTsgbRec rec;
  ASSERT_EQ(rec.Load("Where DH='2'", &m_db), 1);
  CTsgbRec expected = Ticket("2", false);
  EXPECT_TRUE(rec.IsEqual(expected)) << rec.MU[1] << " " << rec.PR[1] << " " << rec.MY[11];
  EXPECT_TRUE(Shown().empty());

  ASSERT_NO_FATAL_FAILURE(FailEvery("DELETE", "gbSheet"));
  EXPECT_EQ(TsgbDelete(3, "3", &m_db), 0);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "数据操作失败！");
}

TEST_P(TsgbStoreTest, NextNumbersOfTicketsSlipsAndVouchers) {
  m_type->m_intParams[12] = 4;
  EXPECT_EQ(TsNextDocNo(0, -1, &m_db), "0001");
  EXPECT_EQ(TsNextDocNo(1, 0, &m_db), "0001");
  EXPECT_EQ(TsNextDocNo(0, 2, &m_db), "0001");
  m_type->m_intParams[12] = 6;
  EXPECT_EQ(TsNextDocNo(0, -1, &m_db), "000001");

  m_type->m_intParams[12] = 4;
  ASSERT_NO_FATAL_FAILURE(Store({Ticket("0041", true, "0007", "0003"), Ticket("0040", false)}));
  Run({"Insert Into jsSheet(LB,DB,DH,KNO) Values('0','2','0010','1')",
       "Insert Into jsSheet(LB,DB,DH,KNO) Values('0','4','0002','1')"});
  EXPECT_EQ(TsNextDocNo(0, -1, &m_db), "0042");
  EXPECT_EQ(TsNextDocNo(0, 0, &m_db), "0008");
  EXPECT_EQ(TsNextDocNo(1, 0, &m_db), "0004");
  EXPECT_EQ(TsNextDocNo(0, 2, &m_db), "0011");
  EXPECT_EQ(TsNextDocNo(0, 4, &m_db), "0003");
  EXPECT_EQ(TsNextDocNo(0, 3, &m_db), "0001");
  EXPECT_TRUE(Shown().empty());

  // Past the width the number would wrap to zeros: it is refused instead.
  m_type->m_intParams[12] = 3;
  Run({"Delete From gbSheet"});
  ASSERT_NO_FATAL_FAILURE(Store({Ticket("999", false)}));
  EXPECT_EQ(TsNextDocNo(0, -1, &m_db), "");
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].find("过磅单号长度"), std::string::npos) << Shown()[0];
  EXPECT_EQ(Tickets(), "999:::500:0");
}

TEST_P(TsgbStoreTest, UpdateItemsWritesOnlyChosenItemsThatDiffer) {
  ASSERT_NO_FATAL_FAILURE(Store({Ticket("0001", true)}));
  CTsgbRec rec;
  ASSERT_EQ(rec.Load("Where DH='0001'", &m_db), 1);
  // Default items: cane category 0 items 0-2 (MY1-MY3), category 1 item 3 (MY4); freight
  // category 0 items 0 and 1 (MY7, MY8).
  TsChosenItems chosen;
  chosen[0][0] = {true, false, true};
  chosen[0][1] = {true};
  chosen[1][0] = {false, true};
  rec.MY[1] = 12.500004;  // chosen, yet no real difference
  rec.MY[2] = 99;         // not chosen
  rec.MY[3] = 7.25;
  rec.MY[4] = -3;
  rec.MY[7] = 99;  // not chosen
  rec.MY[8] = 1.5;
  rec.MY[0] = 99;  // base amounts are no items
  EXPECT_EQ(rec.UpdateItems(chosen, &m_db), 1);
  CTsgbRec stored;
  ASSERT_EQ(stored.Load("Where DH='0001'", &m_db), 1);
  const double expected[12] = {12.5, 12.5, 12.5, 7.25, -3, 12.5, 12.5, 12.5, 1.5, 12.5, 12.5, 12.5};
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(stored.MY[i], expected[i], 1e-9) << "MY" << i;
  EXPECT_TRUE(Shown().empty());

  // No update is tried where nothing differs; a failing one is reported.
  ASSERT_NO_FATAL_FAILURE(FailEvery("UPDATE", "gbSheet"));
  rec.MY[3] = 7.250004;
  EXPECT_EQ(rec.UpdateItems(chosen, &m_db), 1);
  EXPECT_TRUE(Shown().empty());
  rec.MY[3] = 8;
  EXPECT_EQ(rec.UpdateItems(chosen, &m_db), 0);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "修改<0001>号单据失败！");

  SmResetMessages();
  rec.DH = "0002";
  EXPECT_EQ(rec.UpdateItems(chosen, &m_db), 0);
  EXPECT_EQ(Shown(), std::vector<std::string>{"<0002>号单据已不存在，修改失败！"});
}

TEST_P(TsgbStoreTest, UpdateItemsLeavesTheKindOnASlipAlone) {
  ASSERT_NO_FATAL_FAILURE(Store({Ticket("0003", true, {}, "00009")}));
  CTsgbRec rec;
  ASSERT_EQ(rec.Load("Where DH='0003'", &m_db), 1);
  TsChosenItems chosen;
  chosen[0][0] = {true};
  chosen[1][0] = {true};
  rec.MY[1] = 7;
  rec.MY[7] = 8;  // freight is on slip 00009
  EXPECT_EQ(rec.UpdateItems(chosen, &m_db), 1);
  CTsgbRec stored;
  ASSERT_EQ(stored.Load("Where DH='0003'", &m_db), 1);
  EXPECT_DOUBLE_EQ(stored.MY[1], 7);
  EXPECT_DOUBLE_EQ(stored.MY[7], 12.5);
}

TEST_P(TsgbStoreTest, SlipPrintCountsOnEveryTicketOfTheSlip) {
  ASSERT_NO_FATAL_FAILURE(Store({Ticket("0001", true, "00001", "00005"),
                                 Ticket("0002", true, "00001"), Ticket("0003", true, "00002")}));
  EXPECT_EQ(TsSlipGetPrintCount(0, "00001", &m_db), 0);
  EXPECT_EQ(TsSlipGetPrintCount(0, "00009", &m_db), 0);
  EXPECT_TRUE(TsSlipIncPrintCount(0, "00001", &m_db));
  EXPECT_TRUE(TsSlipIncPrintCount(0, "00001", &m_db));
  EXPECT_TRUE(TsSlipIncPrintCount(1, "00005", &m_db));
  EXPECT_EQ(TsSlipGetPrintCount(0, "00001", &m_db), 2);
  EXPECT_EQ(TsSlipGetPrintCount(1, "00005", &m_db), 1);
  EXPECT_EQ(TsSlipGetPrintCount(0, "00002", &m_db), 0);
  EXPECT_EQ(Rows("Select Cast(PRT0 As varchar(4))||Cast(PRT1 As varchar(4)) From gbSheet Order "
                 "By DH"),
            "21|20|00");
}
