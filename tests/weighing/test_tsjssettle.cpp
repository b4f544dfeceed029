// Settling tickets with the slip's deduction row in one transaction, paying and reviewing with
// the deduction row's mark, and cancelling a slip with its deductions, on the data file and on
// the server.
#include <gtest/gtest.h>

#include "tests/cane/TsFileTest.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsDoc.h"
#include "weighing/TsjsRec.h"

namespace {

CTsgbRec Ticket(const std::string& dh, const std::string& farmer, bool tared) {
  CTsgbRec t;
  t.DH = dh;
  t.T = "20161203";
  t.OPR[0] = "102";
  t.OPR[1] = tared ? "103" : "";
  t.KNO[0] = farmer;
  t.MU[0] = 30;
  t.MU[1] = 10;
  t.PR[0] = 300;
  t.MY[0] = 6000;
  return t;
}

// Slip `number` of kind 0 dated 20161203 for the farmer, settled by 101.
CTsgbRec Slip(const std::string& number) {
  CTsgbRec slip;
  slip.JN[0] = number;
  slip.JT[0] = "20161203";
  slip.KNO[0] = "10102001";
  slip.OPR[2] = "101";
  return slip;
}

CTsjsRec Deductions(const std::string& number, double advance) {
  CTsjsRec row;
  row.T = "20161203";
  row.DH = number;
  row.KNO = "10102001";
  row.OPR[0] = "101";
  row.MY[1] = advance;
  return row;
}

}  // namespace

class TsjsSettleTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_app.m_env.SetOperatorNo("101");
    for (const CTsgbRec& t : {Ticket("0001", "10102001", true), Ticket("0002", "10102001", true),
                              Ticket("0003", "10102001", false)})
      ASSERT_EQ(CTsgbRec(t).Insert(&m_db), 1);
  }
  std::string DeductionRows() {
    return Rows("Select DH From jsSheet Where LB='0' And DB='0' Order By DH");
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsjsSettleTest, testing::Values(0, 2));

TEST_P(TsjsSettleTest, TicketsAndDeductionRowAreWrittenTogetherOrNotAtAll) {
  CTsjsRec row = Deductions("0001", 500);
  ASSERT_TRUE(TsjsSettle(Slip("0001"), 0, {"0001", "0002"}, row, &m_db));
  EXPECT_EQ(Rows("Select JN0 From gbSheet Where OPR2='101' Order By DH"), "0001|0001");
  EXPECT_EQ(DeductionRows(), "0001");

  // A ticket settled meanwhile: nothing of the second slip is written.
  ASSERT_EQ(CTsgbRec(Ticket("0004", "10102001", true)).Insert(&m_db), 1);
  SmResetMessages();
  CTsjsRec second = Deductions("0002", 100);
  EXPECT_FALSE(TsjsSettle(Slip("0002"), 0, {"0004", "0001"}, second, &m_db));
  EXPECT_EQ(Shown(), std::vector<std::string>{"过磅单<0001>已结算或被删除！"});
  EXPECT_EQ(Rows("Select JN0 From gbSheet Where DH='0004'"), "");
  EXPECT_EQ(DeductionRows(), "0001");

  // A deduction row that cannot be written takes the tickets back with it.
  FailEvery("INSERT", "jsSheet");
  SmResetMessages();
  EXPECT_FALSE(TsjsSettle(Slip("0002"), 0, {"0004"}, second, &m_db));
  EXPECT_EQ(Rows("Select JN0 From gbSheet Where DH='0004'"), "");
  EXPECT_EQ(DeductionRows(), "0001");

  // Nothing deducted: no row, and no failure.
  CTsjsRec none = Deductions("0002", 0);
  EXPECT_TRUE(TsjsSettle(Slip("0002"), 0, {"0004"}, none, &m_db));
  EXPECT_EQ(Rows("Select JN0 From gbSheet Where DH='0004'"), "0002");
}

TEST_P(TsjsSettleTest, ADeductionRowOfTheNumberAlreadyStoredRefusesTheSlip) {
  CTsjsRec stray = Deductions("0001", 20);
  ASSERT_EQ(stray.Insert(1, &m_db), 1);
  CTsjsRec row = Deductions("0001", 500);
  SmResetMessages();
  EXPECT_FALSE(TsjsSettle(Slip("0001"), 0, {"0001"}, row, &m_db));
  EXPECT_EQ(Shown(), std::vector<std::string>{"结算单号重号！"});
  EXPECT_EQ(Rows("Select JN0 From gbSheet Where DH='0001'"), "");
}

TEST_P(TsjsSettleTest, PayingMarksTheDeductionRowAndOnlyChangedSlipsCount) {
  CTsjsRec row = Deductions("0001", 500);
  ASSERT_TRUE(TsjsSettle(Slip("0001"), 0, {"0001", "0002"}, row, &m_db));
  bool changed = false;
  ASSERT_TRUE(TsjsSetSlipStep(0, 0, false, "0001", changed, &m_db));
  EXPECT_TRUE(changed);
  EXPECT_EQ(Rows("Select OPR4 From gbSheet Where JN0='0001'"), "101|101");
  EXPECT_EQ(Rows("Select OPR1 From jsSheet Where DH='0001'"), "101");
  // Paid already: nothing changes, nothing to log.
  ASSERT_TRUE(TsjsSetSlipStep(0, 0, false, "0001", changed, &m_db));
  EXPECT_FALSE(changed);

  // Another operator cannot take the payment back.
  m_app.m_env.SetOperatorNo("102");
  ASSERT_TRUE(TsjsSetSlipStep(0, 0, true, "0001", changed, &m_db));
  EXPECT_FALSE(changed);
  EXPECT_EQ(Rows("Select OPR1 From jsSheet Where DH='0001'"), "101");
  // Review, by anyone, leaves the deduction row's mark alone.
  ASSERT_TRUE(TsjsSetSlipStep(0, 1, false, "0001", changed, &m_db));
  EXPECT_TRUE(changed);
  ASSERT_TRUE(TsjsSetSlipStep(0, 1, true, "0001", changed, &m_db));
  EXPECT_TRUE(changed);
  m_app.m_env.SetOperatorNo("101");
  ASSERT_TRUE(TsjsSetSlipStep(0, 0, true, "0001", changed, &m_db));
  EXPECT_TRUE(changed);
  EXPECT_EQ(Rows("Select count(*) From gbSheet Where JN0='0001' And OPR4=''"), "2");
  EXPECT_EQ(Rows("Select OPR1 From jsSheet Where DH='0001'"), "");
}

TEST_P(TsjsSettleTest, TheOperatorHandedOverMarksAndTakesBackThePayment) {
  CTsjsRec row = Deductions("0001", 500);
  ASSERT_TRUE(TsjsSettle(Slip("0001"), 0, {"0001", "0002"}, row, &m_db));
  bool changed = false;
  // The clerk logged in is 101; the payment is made in the name handed over.
  ASSERT_TRUE(TsjsSetSlipStep(0, 0, false, "0001", "105", changed, &m_db));
  EXPECT_TRUE(changed);
  EXPECT_EQ(Rows("Select OPR4 From gbSheet Where JN0='0001'"), "105|105");
  EXPECT_EQ(Rows("Select OPR1 From jsSheet Where DH='0001'"), "105");
  ASSERT_TRUE(TsjsSetSlipStep(0, 0, true, "0001", changed, &m_db));
  EXPECT_FALSE(changed);
  ASSERT_TRUE(TsjsSetSlipStep(0, 0, true, "0001", "105", changed, &m_db));
  EXPECT_TRUE(changed);
  EXPECT_EQ(Rows("Select OPR1 From jsSheet Where DH='0001'"), "");
}

TEST_P(TsjsSettleTest, CancellingReleasesTheTicketsWithTheDeductions) {
  CTsjsRec row = Deductions("0001", 500);
  ASSERT_TRUE(TsjsSettle(Slip("0001"), 0, {"0001", "0002"}, row, &m_db));
  ASSERT_TRUE(TsjsCancelSlip(0, "0001", &m_db));
  EXPECT_EQ(Rows("Select JN0 From gbSheet Where JN0<>''"), "");
  EXPECT_EQ(DeductionRows(), "");

  // A paid slip stays whole.
  CTsjsRec again = Deductions("0002", 500);
  ASSERT_TRUE(TsjsSettle(Slip("0002"), 0, {"0001"}, again, &m_db));
  bool changed = false;
  ASSERT_TRUE(TsjsSetSlipStep(0, 0, false, "0002", changed, &m_db));
  SmResetMessages();
  EXPECT_FALSE(TsjsCancelSlip(0, "0002", &m_db));
  EXPECT_EQ(Shown(), std::vector<std::string>{"该单已付款，或已被删除！"});
  EXPECT_EQ(Rows("Select JN0 From gbSheet Where DH='0001'"), "0002");
  EXPECT_EQ(DeductionRows(), "0002");
}
