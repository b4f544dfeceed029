// The rules of a ticket and a slip without their cards: the checks before a ticket is saved,
// what a keyed field works out on a ticket, and the deductions of a new slip.
#include <gtest/gtest.h>

#include "cane/TsDataType.h"
#include "cane/TsParams.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "tests/cane/TsFileTest.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsRec.h"

namespace {

// "S<field>:<text>" for a stop, "W<field>:<text>" for a warning, joined with "|"; none is "".
std::string Describe(const std::vector<SmRefusal>& refusals) {
  std::string text;
  for (const SmRefusal& r : refusals) {
    if (!r) continue;
    if (!text.empty()) text += "|";
    text += FormatStr("%c%d:%s", r.IsStop() ? 'S' : 'W', r.field, r.text.c_str());
  }
  return text;
}

}  // namespace

class TsgbRulesTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_type->m_intParams[15] = 0;  // the weigher may not tare his own ticket
    Run({"Insert Into NHDir(KNO,NA) Values('10102','西村')",
         "Insert Into NHDir(KNO,NA) Values('10102001','张三')",
         "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('003','李四','','')",
         "Insert Into AdrDir(KNO,NA,jl,ypr) Values('012','北坡',12.5,20)",
         "Insert Into GP(KNO,NA,pr) Values('1','糖蔗',0)",
         "Insert Into GP(KNO,NA,pr) Values('101','桂糖',300)"});
  }

  // A tared ticket that passes every check: 30 gross, 10 tare, priced 300 and 20.
  static CTsgbRec Tared() {
    CTsgbRec rec;
    rec.DH = "00001";
    rec.OPR[0] = "101";
    rec.KNO[0] = "10102001";
    rec.KNO[1] = "003";
    rec.KNO[2] = "012";
    rec.KNO[3] = "101";
    rec.MU[0] = 30;
    rec.MU[1] = 10;
    rec.PR[0] = 300;
    rec.PR[1] = 20;
    return rec;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsgbRulesTest, testing::Values(0, 2));

TEST_P(TsgbRulesTest, TicketChecksStopOrGatherWarningsInTheClerksOrder) {
  const int gross = kTsgbFieldGross, tare = kTsgbFieldTare, impurity = kTsgbFieldImpurity;
  const int cane = kTsgbFieldCanePrice, freight = kTsgbFieldFreightPrice;
  struct Case {
    const char* what;
    bool tareStep;
    const char* op;
    void (*change)(CTsgbRec&);
    std::string expected;
  };
  const Case cases[] = {
      {"a whole ticket", true, "102", [](CTsgbRec&) {}, ""},
      {"the weigher tares", true, "101", [](CTsgbRec&) {}, "S-1:过磅员和除皮员不能是同一个人！"},
      {"the weigher re-weighs gross", false, "101", [](CTsgbRec&) {}, ""},
      {"no gross", true, "102", [](CTsgbRec& r) { r.MU[0] = 0; },
       FormatStr("S%d:毛重应为正数！", gross)},
      {"negative tare", true, "102", [](CTsgbRec& r) { r.MU[1] = -1; },
       FormatStr("S%d:数量不能为负数！", tare)},
      {"negative impurity", true, "102", [](CTsgbRec& r) { r.MU[2] = -0.5; },
       FormatStr("S%d:数量不能为负数！", impurity)},
      {"no net weight", true, "102", [](CTsgbRec& r) { r.MU[2] = 20; },
       FormatStr("S%d:净重应为正数！", gross)},
      {"negative cane price", false, "102", [](CTsgbRec& r) { r.PR[0] = -1; },
       FormatStr("S%d:单价不能为负数！", cane)},
      {"negative freight price", true, "102", [](CTsgbRec& r) { r.PR[1] = -1; },
       FormatStr("S%d:单价不能为负数！", freight)},
      {"no cane price at tare", true, "102", [](CTsgbRec& r) { r.PR[0] = 0; },
       FormatStr("S%d:蔗价应为正数！", cane)},
      {"no cane price at gross", false, "102", [](CTsgbRec& r) { r.PR[0] = 0; }, ""},
      {"a region for a farmer", true, "102", [](CTsgbRec& r) { r.KNO[0] = "10102"; },
       FormatStr("S%d:农户不存在！", kTsgbFieldFarmer)},
      {"no farmer", true, "102", [](CTsgbRec& r) { r.KNO[0].clear(); },
       FormatStr("S%d:农户不存在！", kTsgbFieldFarmer)},
      {"unknown place", true, "102", [](CTsgbRec& r) { r.KNO[2] = "999"; },
       FormatStr("S%d:甘蔗砍运地不存在！", kTsgbFieldPlace)},
      {"unknown driver", true, "102", [](CTsgbRec& r) { r.KNO[1] = "009"; },
       FormatStr("S%d:驾驶员不存在！", kTsgbFieldDriver)},
      {"a variety with lower levels", true, "102", [](CTsgbRec& r) { r.KNO[3] = "1"; },
       FormatStr("S%d:甘蔗品种不存在！", kTsgbFieldVariety)},
      {"an unknown variety at gross", false, "102", [](CTsgbRec& r) { r.KNO[3] = "9"; }, ""},
      // Warnings: gathered into one box on their first field, dropped for a later stop.
      {"no tare", true, "102", [](CTsgbRec& r) { r.MU[1] = 0; },
       FormatStr("W%d:皮重为零\n继续吗？", tare)},
      {"no tare and no farmer", true, "102",
       [](CTsgbRec& r) {
         r.MU[1] = 0;
         r.KNO[0].clear();
       },
       FormatStr("S%d:农户不存在！", kTsgbFieldFarmer)},
      {"nothing but the farmer", true, "102",
       [](CTsgbRec& r) {
         r.KNO[1].clear();
         r.KNO[2].clear();
         r.KNO[3].clear();
         r.PR[1] = 0;
       },
       FormatStr("W%d:未录入甘蔗砍运地\n未录入承运驾驶员\n未录入甘蔗品种\n继续吗？",
                 kTsgbFieldPlace)},
      {"no variety at gross", false, "102", [](CTsgbRec& r) { r.KNO[3].clear(); }, ""},
      // The checks after the warnings come behind them.
      {"a driver without freight price", true, "102", [](CTsgbRec& r) { r.PR[1] = 0; },
       FormatStr("S%d:运价应为正数！", freight)},
      {"a freight price without driver", false, "102",
       [](CTsgbRec& r) {
         r.KNO[1].clear();
         r.MU[1] = 0;
       },
       FormatStr("W%d:未录入承运驾驶员\n继续吗？|S%d:运价应为0！", kTsgbFieldDriver, freight)},
      {"a number that is no number", true, "102", [](CTsgbRec& r) { r.DH = "x"; },
       FormatStr("S%d:单号不正确！", kTsgbFieldNumber)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTsgbRec rec = Tared();
    c.change(rec);
    EXPECT_EQ(Describe(TsgbCheckTicket(rec, false, c.tareStep, c.op, &m_db)), c.expected);
  }
  // The weigher may tare when the parameter allows it; a new ticket's number is not checked.
  m_type->m_intParams[15] = 1;
  CTsgbRec rec = Tared();
  EXPECT_EQ(Describe(TsgbCheckTicket(rec, false, true, "101", &m_db)), "");
  rec.DH = "x";
  EXPECT_EQ(Describe(TsgbCheckTicket(rec, true, true, "102", &m_db)), "");
  // A stored ticket's number is brought to its length.
  rec.DH = "7";
  EXPECT_EQ(Describe(TsgbCheckTicket(rec, false, true, "102", &m_db)), "");
  EXPECT_EQ(rec.DH, std::string(static_cast<size_t>(TsGetTicketNoLen()) - 1, '0') + "7");
}

TEST_P(TsgbRulesTest, RecomputeWorksOutImpurityAmountsAndItems) {
  // Cane item 0: ten a ton of net weight.
  for (int i = 0; i < 10; ++i) m_type->m_strParams[i].clear();
  m_type->m_strParams[0] = "补助款\t0+\t#sl*10";
  m_type->BuildItemTables();
  const int qty = TsGetQtyPrecision();
  struct Case {
    const char* what;
    bool tare;
    double ratio;     // keyed now; the ticket had none
    double impurity;  // keyed, or what the ratio gives
    double caneBase, freightBase, item;
    bool moved;
  };
  const Case cases[] = {
      {"the ratio gives the impurity", true, 1.5, 0.3, 5910, 400, 197, true},
      {"an impurity keyed as it is", true, 0, 0.5, 5850, 400, 195, true},
      {"a gross ticket has no amounts", false, 1.5, 0.3, 0, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTsgbRec before = Tared();
    CTsgbRec rec = before;
    rec.MU[3] = c.ratio;
    if (c.ratio == 0) rec.MU[2] = c.impurity;
    EXPECT_EQ(rec.Recompute(before, c.tare, &m_db), c.moved);
    EXPECT_NEAR(rec.MU[2], c.impurity, 1e-9);
    EXPECT_NEAR(rec.MY[0], c.caneBase, 1e-9);
    EXPECT_NEAR(rec.MY[6], c.freightBase, 1e-9);
    EXPECT_NEAR(rec.MY[1], c.item, 1e-9);
    // Nothing keyed since: nothing moves.
    const CTsgbRec settled = rec;
    EXPECT_FALSE(rec.Recompute(settled, c.tare, &m_db));
  }
  // The impurity keeps the quantity precision: 20 x 1.2345 % = 0.24690.
  CTsgbRec before = Tared();
  CTsgbRec rec = before;
  rec.MU[3] = 1.2345;
  rec.Recompute(before, true, &m_db);
  EXPECT_NEAR(rec.MU[2], RoundTo(0.2469, qty), 1e-9);
}

class TsjsRulesTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Owe(0, 100);
    Owe(1, 500);
  }
  // An advance voucher of farmer 10102001: his balance of slip item `item` grows by `amount`.
  void Owe(int item, double amount) {
    static int number = 0;
    CTsjsRec row;
    row.DB = 2;
    row.T = "20160301";
    row.DH = FormatStr("%05d", ++number);
    row.KNO = "10102001";
    row.OPR[0] = "101";
    row.MY[static_cast<size_t>(item)] = -amount;
    ASSERT_EQ(row.Insert(1, &m_db), 1);
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsjsRulesTest, testing::Values(0, 2));

TEST_P(TsjsRulesTest, DeductionsOfANewSlip) {
  ASSERT_EQ(TsjsDeductionItems(0), (std::vector<int>{0, 1, 2, 4}));
  struct Case {
    double loan, advance, slipTotal;
    const char* household;
    std::string expected;
  };
  const Case cases[] = {
      {100, 500, 9100, "10102001", ""},
      {0, 0, 0, "10102001", ""},
      {-5, 0, 9100, "10102001", "S0:数据不正确！"},
      {100, -0.01, 9100, "10102001", "S1:数据不正确！"},
      {100.01, 0, 9100, "10102001", "S0:“扣贷款”扣多了！"},
      {100, 500.01, 9100, "10102001", "S1:“预付款”扣多了！"},
      {50, 0, 9100, "10102002", "S0:“扣贷款”扣多了！"},  // he owes nothing
      {100, 500, 599.99, "10102001", "S-1:实付款不能为负数！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    CTsjsRec deductions;
    deductions.MY[0] = c.loan;
    deductions.MY[1] = c.advance;
    EXPECT_EQ(Describe({TsjsCheckDeductions(0, c.household, deductions, c.slipTotal, &m_db)}),
              c.expected);
  }
}
