// The money-row store: vouchers and deduction rows under guarded numbers, deleting, review and
// the bank batch marks of deduction rows, household sums, on the data file and on the server.
#include <gtest/gtest.h>

#include "tests/cane/TsFileTest.h"
#include "weighing/TsjsRec.h"

namespace {

// A row of party 0: type `db`, number, household and the amount of item 1.
CTsjsRec Row(int db, const std::string& dh, const std::string& kno, double my1) {
  CTsjsRec rec;
  rec.DB = db;
  rec.T = "20161205";
  rec.DH = dh;
  rec.KNO = kno;
  rec.OPR[0] = "102";
  rec.MY[1] = my1;
  return rec;
}

}  // namespace

class TsjsStoreTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_app.m_env.SetOperatorNo("103");
    Run(
        {"Insert Into NHDir(KNO,NA,BkNO,BkHO,BkNA,cs0,cs1,cs2,cs3) "
         "Values('10101001','张三','01','6222','张三',0,0,0,0)",
         "Insert Into NHDir(KNO,NA,BkNO,BkHO,BkNA,cs0,cs1,cs2,cs3) "
         "Values('10101002','王五','','','',0,0,0,0)"});
  }

  // "DB/DH/KNO/OPR1/FK/MY1" of every row.
  std::string Stored() {
    return Rows(
        "Select rtrim(DB)||'/'||rtrim(DH)||'/'||rtrim(KNO)||'/'||rtrim(OPR1)||'/'||Cast(FK As "
        "varchar(4))||'/'||Cast(Cast(MY1 As Integer) As varchar(12)) From jsSheet Order By "
        "DB,DH,KNO");
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsjsStoreTest, testing::Values(0, 2));

TEST_P(TsjsStoreTest, VouchersRoundTripAndTakenNumbersAreRefused) {
  std::vector<CTsjsRec> voucher = {Row(2, "0001", "10101001", -500), Row(2, "0001", "10101002", 0),
                                   Row(2, "0001", "10101002", -20)};
  voucher[0].MRY = "O'Neil 借款｜春耕";
  voucher[1].MU[0] = 3.5;  // an area alone is worth a row
  EXPECT_TRUE(CTsjsRec::InsertDocument(voucher, &m_db));
  CTsjsRec rec;
  std::vector<CTsjsRec> rows;
  ASSERT_EQ(rec.Query("Where DB='2'", "Order By KNO,MU0", rows, &m_db), 3);
  EXPECT_EQ(rows[0].MRY, "O'Neil 借款｜春耕");
  EXPECT_EQ(rows[0].TH.size(), 6u);
  EXPECT_DOUBLE_EQ(rows[0].MY[1], -500);
  EXPECT_DOUBLE_EQ(rows[2].MU[0], 3.5);
  ASSERT_TRUE(rec.TsjsSelect("Where KNO='10101001'", &m_db));
  EXPECT_EQ(rec.DH, "0001");
  EXPECT_FALSE(rec.TsjsSelect("Where KNO='none'", &m_db));

  std::vector<CTsjsRec> again = {Row(2, "0001", "10101001", -7)};
  EXPECT_FALSE(CTsjsRec::InsertDocument(again, &m_db));
  EXPECT_EQ(Shown(), std::vector<std::string>{"单号重号！"});
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From jsSheet"), 3);

  // Nothing to write is no failure; a failing row leaves nothing.
  SmResetMessages();
  std::vector<CTsjsRec> zero = {Row(1, "0002", "10101001", 0)};
  EXPECT_TRUE(CTsjsRec::InsertDocument(zero, &m_db));
  std::vector<CTsjsRec> none;
  EXPECT_TRUE(CTsjsRec::InsertDocument(none, &m_db));
  EXPECT_TRUE(Shown().empty());
  ASSERT_NO_FATAL_FAILURE(FailEvery("INSERT", "jsSheet"));
  std::vector<CTsjsRec> failing = {Row(1, "0003", "10101001", 5)};
  EXPECT_FALSE(CTsjsRec::InsertDocument(failing, &m_db));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From jsSheet"), 3);
}

TEST_P(TsjsStoreTest, DeductionRowsDeleteAndReview) {
  CTsjsRec zero = Row(0, "00007", "10101001", 0);
  EXPECT_FALSE(zero.InsertChecked(&m_db));
  EXPECT_TRUE(Shown().empty());
  CTsjsRec deduction = Row(0, "00007", "10101001", 80);
  EXPECT_TRUE(deduction.InsertChecked(&m_db));
  EXPECT_FALSE(deduction.InsertChecked(&m_db));
  EXPECT_EQ(Shown(), std::vector<std::string>{"单号重号！"});
  CTsjsRec freight = Row(0, "00007", "003", 9);
  freight.LB = 1;  // freight slips are numbered apart
  EXPECT_TRUE(freight.InsertChecked(&m_db));

  SmResetMessages();
  std::vector<CTsjsRec> voucher = {Row(1, "0004", "10101001", 30)};
  ASSERT_TRUE(CTsjsRec::InsertDocument(voucher, &m_db));
  EXPECT_TRUE(CTsjsRec::Review(0, 1, "0004", &m_db));
  m_app.m_env.SetOperatorNo("105");
  EXPECT_TRUE(CTsjsRec::CancelReview(0, 1, "0004", &m_db));  // another reviewer's: stays
  EXPECT_EQ(Stored(), "0/00007/003//0/9|0/00007/10101001//0/80|1/0004/10101001/103/0/30");
  EXPECT_FALSE(CTsjsRec::DeleteDocument(0, 1, "0004", &m_db));
  EXPECT_EQ(Shown(), std::vector<std::string>{"该单已被复核，或已被删除！"});
  m_app.m_env.SetOperatorNo("103");
  EXPECT_TRUE(CTsjsRec::CancelReview(0, 1, "0004", &m_db));
  SmResetMessages();
  EXPECT_TRUE(CTsjsRec::DeleteDocument(0, 1, "0004", &m_db));
  EXPECT_FALSE(CTsjsRec::DeleteDocument(0, 1, "0004", &m_db));
  EXPECT_EQ(Shown(), std::vector<std::string>{"该单已被复核，或已被删除！"});

  // The deduction row: paid with its slip, left alone while in a bank batch.
  SmResetMessages();
  EXPECT_TRUE(CTsjsRec::Review(0, 0, "00007", &m_db));
  EXPECT_EQ(Stored(), "0/00007/003//0/9|0/00007/10101001/103/0/80");
  Run({"Update jsSheet Set FK=4 Where LB='0'"});
  EXPECT_TRUE(CTsjsRec::CancelReview(0, 0, "00007", &m_db));
  EXPECT_EQ(Stored(), "0/00007/003//0/9|0/00007/10101001/103/4/80");
  EXPECT_TRUE(CTsjsRec::DeleteDocument(0, 0, "00007", &m_db));
  EXPECT_TRUE(CTsjsRec::DeleteDocument(0, 0, "00009", &m_db)) << "a slip without deductions";
  EXPECT_EQ(Stored(), "0/00007/003//0/9");
  EXPECT_TRUE(Shown().empty());
}

TEST_P(TsjsStoreTest, BankBatchesLeaveRowsOfOtherBatchesAndHandPayments) {
  CTsjsRec rows[] = {Row(0, "00001", "10101001", 10), Row(0, "00002", "10101001", 20),
                     Row(0, "00003", "10101001", 30), Row(0, "00004", "10101002", 40),
                     Row(0, "00005", "10201001", 50)};
  rows[1].FK = 3;  // an earlier batch
  rows[1].OPR[1] = "104";
  rows[2].OPR[1] = "104";  // paid by hand
  rows[4].T = "20170101";  // outside the period
  for (CTsjsRec& row : rows) ASSERT_TRUE(row.InsertChecked(&m_db));
  ASSERT_TRUE(CTsjsRec::MarkBankBatch(0, 6, "20161201", "20161231", "101", &m_db));
  const std::string marked =
      "0/00001/10101001/103/6/10|0/00002/10101001/104/3/20|0/00003/10101001/104/0/30|"
      "0/00004/10101002//0/40|0/00005/10201001//0/50";
  EXPECT_EQ(Stored(), marked);
  ASSERT_TRUE(CTsjsRec::UnmarkBankBatch(0, 6, "20161201", "20161231", "101", &m_db));
  EXPECT_EQ(Stored(),
            "0/00001/10101001//0/10|0/00002/10101001/104/3/20|0/00003/10101001/104/0/30|"
            "0/00004/10101002//0/40|0/00005/10201001//0/50");
  EXPECT_TRUE(Shown().empty());
}

TEST_P(TsjsStoreTest, HouseholdSumsAndTotals) {
  std::vector<CTsjsRec> advance = {Row(2, "0001", "10101001", -500)};
  advance[0].MY[2] = -40;
  ASSERT_TRUE(CTsjsRec::InsertDocument(advance, &m_db));
  std::vector<CTsjsRec> repaid = {Row(1, "0001", "10101001", 120)};
  ASSERT_TRUE(CTsjsRec::InsertDocument(repaid, &m_db));
  CTsjsRec sums;
  sums.MY[5] = 9;
  ASSERT_TRUE(sums.GetHouseholdSums(0, "10101001", &m_db));
  EXPECT_DOUBLE_EQ(sums.MY[1], -380);
  EXPECT_DOUBLE_EQ(sums.MY[2], -40);
  EXPECT_DOUBLE_EQ(sums.MY[5], 0);
  EXPECT_DOUBLE_EQ(sums.GetTotal(), -420);
  // Default slip items of the cane kind: 0 a withholding, 1-4 advances.
  EXPECT_DOUBLE_EQ(sums.SumKind(0, 2), -420);
  EXPECT_DOUBLE_EQ(sums.SumKind(0, 1), 0);

  CTsjsRec untouched;
  untouched.MY[5] = 9;
  ASSERT_TRUE(untouched.GetHouseholdSums(1, "10101001", &m_db));
  EXPECT_DOUBLE_EQ(untouched.MY[5], 9);
}
