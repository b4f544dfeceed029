// The money arithmetic of a ticket: weights, item formulas over the ticket and its master
// data, totals, prices, and the re-pricing of the open tickets of a variety or place.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>

#include "tests/cane/TsFileTest.h"
#include "weighing/TsgbRec.h"

namespace {

// Gross 30.5, tare 10.2, impurity 0.3 (net 20.0, freight 20.3 with the impurity), farmer
// 10102001, driver 003, place 012.
CTsgbRec Delivery() {
  CTsgbRec rec;
  rec.T = "20161203";
  rec.TH = "080000";
  rec.DH = "0001";
  rec.OPR[0] = "101";
  rec.OPR[1] = "102";
  rec.KNO[0] = "10102001";
  rec.KNO[1] = "003";
  rec.KNO[2] = "012";
  rec.KNO[3] = "11";
  rec.MU[0] = 30.5;
  rec.MU[1] = 10.2;
  rec.MU[2] = 0.3;
  return rec;
}

// Counts the showings of the busy indicator (window 802).
class CBusyWatch : public QObject {
 public:
  CBusyWatch() { qApp->installEventFilter(this); }
  ~CBusyWatch() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Show && object->objectName() == "802") ++m_shown;
    return false;
  }
  int m_shown = 0;
};

}  // namespace

class TsgbComputeTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run({"Insert Into NHDir(KNO,NA,cs0,cs1,cs2,cs3) Values('10102001','张三',2,0.123456,0,7)",
         "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('003','李四','25','30')",
         "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('004','王五','','')",
         "Insert Into AdrDir(KNO,NA,jl,ypr,cs0,cs1,cs2,cs3) Values('012','北坡',12.34567,20,1.5,"
         "0.5,0,0)"});
  }

  // Cane ticket item 0 with this formula only.
  void Formula(const std::string& formula) {
    for (int i = 0; i < 10; ++i) m_type->m_strParams[i].clear();
    m_type->m_strParams[0] = "试算\t0+\t" + formula;
    m_type->BuildItemTables();
  }
};

INSTANTIATE_TEST_SUITE_P(DataFile, TsgbComputeTest, testing::Values(0));

TEST_P(TsgbComputeTest, FormulaVariablesInTheirTextForms) {
  struct Case {
    const char* formula;
    double expected;
  };
  // The factors show how many decimals each variable reaches the formula with.
  const Case cases[] = {
      {"#mz*1000", 30500},  // quantity decimals (3)
      {"#pz*1000", 10235},
      {"#zz*100000", 31230},
      {"#zb*100000", 123460},
      {"#sl*100000", 1995350},  // 30.5004 - 10.23456 - 0.312345, four decimals
      {"#ysl*100000", 2026580},
      {"#djz*1000", 500560},
      {"#djy*1000", 20130},
      {"#jez*1000", 1230},
      {"#jey*1000", 4570},
      {"#ncs1+#ncs2*100000+#ncs4", 12359},
      {"#xzx*2+#xzs", 80},
      {"#ccs1*10+#ccs2+#yj*10000", 123472.5},
  };
  for (const Case& c : cases) {
    Formula(c.formula);
    CTsgbRec rec = Delivery();
    rec.MU[0] = 30.5004;
    rec.MU[1] = 10.23456;
    rec.MU[2] = 0.312345;
    rec.MU[3] = 1.234567;
    rec.PR[0] = 500.556;
    rec.PR[1] = 20.126;
    rec.MY[0] = 1.234;
    rec.MY[6] = 4.567;
    rec.ComputeItem(0, 0, &m_db);
    EXPECT_NEAR(rec.MY[1], c.expected, 1e-9) << c.formula;
  }
}

TEST_P(TsgbComputeTest, MissingMasterDataAndUnreadableFormulasKeepTheAmount) {
  struct Case {
    const char* formula;
    const char* driver;
    double expected;
  };
  const Case cases[] = {
      {"#xzx", "004", -1000000000},                    // a driver without limits: open at both ends
      {"#xzs", "004", 1000000000},  {"#xzs", "", 77},  // no driver: the variable stays unread
      {"#xzs", "009", 77},                             // a driver that is not on file
      {"3*(2", "003", 77},          {"nofunc(1)", "003", 77}, {"", "003", 77},  // no formula
  };
  for (const Case& c : cases) {
    Formula(c.formula);
    CTsgbRec rec = Delivery();
    rec.KNO[1] = c.driver;
    rec.MY[1] = 77;
    rec.ComputeItem(0, 0, &m_db);
    EXPECT_DOUBLE_EQ(rec.MY[1], c.expected) << c.formula << " " << c.driver;
  }
  EXPECT_TRUE(Shown().empty());
}

TEST_P(TsgbComputeTest, DefaultItemsWorkedOutByHand) {
  CTsgbRec rec = Delivery();
  rec.SetPrice(false, 0, 500, &m_db);
  rec.SetPrice(false, 1, 20, &m_db);
  // Net 20: cane 20 x 500; freight 20.3 x 20 (impurity kept for freight).
  EXPECT_DOUBLE_EQ(rec.MY[0], 10000);
  EXPECT_DOUBLE_EQ(rec.MY[6], 406);
  // 补助款 10 x 20; 扣义运 20 x 1.5; 扣限载 under the lower limit 25: (25 - 20) x 20;
  // 扣修路费 20 x 2; 放空补助 (25 - 20) x 20; 超载扣运费 none.
  const double items[12] = {10000, 200, 30, 100, 40, 0, 406, 100, 0, 0, 0, 0};
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(rec.MY[i], items[i], 1e-9) << "MY" << i;
  EXPECT_NEAR(rec.GetTotal(0), 10000 + 200 - 30 - 100 - 40, 1e-9);
  EXPECT_NEAR(rec.GetTotal(1), 406 + 100, 1e-9);
  EXPECT_NEAR(rec.SumItems(0, 0), 70, 1e-9);
  EXPECT_NEAR(rec.SumItems(0, 1), -40, 1e-9);
  EXPECT_NEAR(rec.SumItems(1, 0), 100, 1e-9);

  // Raising a price adds to the ticket's own.
  rec.SetPrice(true, 0, 12.5, &m_db);
  EXPECT_DOUBLE_EQ(rec.PR[0], 512.5);
  EXPECT_DOUBLE_EQ(rec.MY[0], 10250);
}

TEST_P(TsgbComputeTest, NetWeightsAndParameter14) {
  CTsgbRec rec = Delivery();
  for (int net : {0, 1}) {
    m_type->m_intParams[14] = net;
    EXPECT_NEAR(rec.GetWeight(0), 20.0, 1e-9) << net;
    EXPECT_NEAR(rec.GetWeight(1), net ? 20.0 : 20.3, 1e-9) << net;
  }
}

TEST_P(TsgbComputeTest, SetPriceLeavesTheItemsOfAKindOnASlip) {
  CTsgbRec rec = Delivery();
  rec.JN[1] = "00003";
  rec.PR[1] = 20;
  rec.MY[7] = 55;  // what the freight slip paid
  rec.MY[1] = 1;
  rec.SetPrice(false, 0, 500, &m_db);
  EXPECT_DOUBLE_EQ(rec.MY[7], 55);
  EXPECT_DOUBLE_EQ(rec.MY[1], 200);
  rec.ComputeItems(&m_db);
  EXPECT_DOUBLE_EQ(rec.MY[7], 100) << "computing the items on purpose still reaches every kind";
}

TEST_P(TsgbComputeTest, OneCalculationForManyTicketsKeepsEachTicketsMasterData) {
  Run({"Insert Into NHDir(KNO,NA,cs0,cs1,cs2,cs3) Values('10102002','赵六',3,0,0,0)",
       "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('005','孙七','15','18')",
       "Insert Into AdrDir(KNO,NA,jl,ypr,cs0,cs1,cs2,cs3) Values('013','南坡',3,20,2.5,0,0,0)"});
  // The default items read the farmer's, the driver's and the place's parameters; codes on
  // file, kept twice in a row, missing, and empty.
  struct Codes {
    const char* farmer;
    const char* driver;
    const char* place;
  };
  const Codes codes[] = {{"10102001", "003", "012"}, {"10102002", "005", "013"},
                         {"10102002", "005", "013"}, {"10102001", "004", "012"},
                         {"10109999", "009", "099"}, {"10102001", "", ""},
                         {"10102002", "003", "012"}};
  std::vector<CTsgbRec> batch;
  std::vector<CTsgbRec> alone;
  for (size_t i = 0; i < std::size(codes); ++i) {
    CTsgbRec rec = Delivery();
    rec.KNO[0] = codes[i].farmer;
    rec.KNO[1] = codes[i].driver;
    rec.KNO[2] = codes[i].place;
    rec.MU[0] = 28.5 + static_cast<double>(i);
    rec.PR[0] = 500;
    rec.PR[1] = 20;
    rec.SetBaseAmounts(true);
    for (int m = 1; m < 12; ++m) {
      if (m != 6) rec.MY[m] = 77;  // kept where a formula cannot be read
    }
    batch.push_back(rec);
    alone.push_back(rec);
  }
  CTsgbItemCalc calc(TsCaneContextFromApp(&m_db));
  for (CTsgbRec& rec : batch) {
    for (int kind = 0; kind < 2; ++kind)
      for (int item = 0; item < 5; ++item) calc.Compute(rec, kind, item);
  }
  for (size_t i = 0; i < batch.size(); ++i) {
    alone[i].ComputeItems(&m_db);
    for (int m = 0; m < 12; ++m)
      EXPECT_DOUBLE_EQ(batch[i].MY[m], alone[i].MY[m]) << i << " MY" << m;
  }
  // Each ticket with its own parameters (net 18 + i): 扣义运 is net x the place's first
  // parameter, 扣修路费 net x the farmer's.
  EXPECT_NEAR(batch[0].MY[2], 18 * 1.5, 1e-9);
  EXPECT_NEAR(batch[1].MY[2], 19 * 2.5, 1e-9);
  EXPECT_NEAR(batch[0].MY[4], 18 * 2, 1e-9);
  EXPECT_NEAR(batch[1].MY[4], 19 * 3, 1e-9);
  EXPECT_NEAR(batch[6].MY[2], 24 * 1.5, 1e-9);
  EXPECT_NEAR(batch[6].MY[4], 24 * 3, 1e-9);
  EXPECT_DOUBLE_EQ(batch[4].MY[4], 77);  // a farmer not on file: the amount stays
}

class TsgbRepriceTest : public TsgbComputeTest {
 protected:
  void Store(CTsgbRec rec, const char* variety, const char* place, bool tared, const char* jn0 = "",
             const char* jn1 = "") {
    rec.KNO[3] = variety;
    rec.KNO[2] = place;
    if (!tared) rec.OPR[1].clear();
    rec.JN[0] = jn0;
    rec.JN[1] = jn1;
    rec.PR[0] = 400;
    rec.PR[1] = 10;
    ASSERT_EQ(rec.Insert(&m_db), 1);
  }

  void StoreAll() {
    CTsgbRec rec = Delivery();
    const char* const numbers[] = {"0001", "0002", "0003", "0004", "0005"};
    struct Row {
      const char* variety;
      const char* place;
      bool tared;
      const char* jn0;
      const char* jn1;
    };
    const Row rows[] = {{"11", "012", true, "", ""},
                        {"11", "012", true, "00001", ""},
                        {"11", "012", false, "", ""},
                        {"12", "012", true, "", "00002"},
                        {"11", "013", true, "", ""}};
    for (int n = 0; n < 5; ++n) {
      rec.DH = numbers[n];
      ASSERT_NO_FATAL_FAILURE(
          Store(rec, rows[n].variety, rows[n].place, rows[n].tared, rows[n].jn0, rows[n].jn1));
    }
  }

  // "DH:PR0:PR1:MY0:MY6:MY1" in number order.
  std::string Prices() {
    std::vector<CTsgbRec> list;
    CTsgbRec rec;
    rec.Select("", "Order By DH", list, &m_db);
    std::string text;
    for (const CTsgbRec& t : list)
      text += FormatStr("%s%s:%g:%g:%g:%g:%g", text.empty() ? "" : "|", t.DH.c_str(), t.PR[0],
                        t.PR[1], t.MY[0], t.MY[6], t.MY[1]);
    return text;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsgbRepriceTest, testing::Values(0, 2));

TEST_P(TsgbRepriceTest, OnlyTaredTicketsOpenInThatKindUnderTheBusyIndicator) {
  ASSERT_NO_FATAL_FAILURE(StoreAll());
  CBusyWatch busy;
  CTsgbRec::Reprice(false, 0, 500, "11", &m_db);
  EXPECT_EQ(busy.m_shown, 1);
  EXPECT_EQ(Prices(),
            "0001:500:10:10000:0:200|0002:400:10:0:0:0|0003:400:10:0:0:0|0004:400:10:0:0:0|"
            "0005:500:10:10000:0:200");
  CTsgbRec::Reprice(true, 1, 2.5, "012", &m_db);
  EXPECT_EQ(Prices(),
            "0001:500:12.5:10000:253.75:200|0002:400:12.5:0:253.75:0|0003:400:10:0:0:0|"
            "0004:400:10:0:0:0|0005:500:10:10000:0:200");
  EXPECT_TRUE(Shown().empty());
}

TEST_P(TsgbRepriceTest, AFailedReinsertLeavesTheTicketAsItWas) {
  ASSERT_NO_FATAL_FAILURE(StoreAll());
  const std::string before = Prices();
  ASSERT_NO_FATAL_FAILURE(FailEvery("INSERT", "gbSheet"));
  CTsgbRec::Reprice(false, 0, 500, "11", &m_db);
  EXPECT_EQ(Prices(), before);
  EXPECT_FALSE(Shown().empty());
}
