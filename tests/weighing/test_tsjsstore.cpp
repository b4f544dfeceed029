// The money-row store: vouchers and deduction rows under guarded numbers, deleting, review and
// the bank batch marks of deduction rows, household sums, on the data file and on the server.
#include <gtest/gtest.h>

#include "cane/TsParams.h"
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

  // The application's own connection on the test file, so that its business year applies.
  CSmDatabase* OpenApp() {
    if (GetParam() != 0) {
      m_app.m_env.SetKind(GetParam());
      if (!m_app.m_env.WriteDbLogin(SmPgLogin(GetParam()))) return nullptr;
    }
    const std::string server = GetParam() == 0 ? "" : SmPgLogin(GetParam()).server;
    if (!m_app.m_env.OpenFile(server, m_db.GetFileName(), "101", true)) return nullptr;
    return m_app.GetDatabase();
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

TEST_P(TsjsStoreTest, InterestFollowsTheBalanceOverThePeriod) {
  // 2016 is a leap year: 31 days of 1000, 29 of 1500, 31 of 1200 at 4/10,000 a day = 44.68.
  const struct {
    int db;
    const char* dh;
    const char* t;
    const char* kno;
    int item;
    double amount;
  } rows[] = {
      {2, "", "20160101", "0101", 1, -1000},    {2, "0001", "20160201", "0101", 1, -500},
      {1, "0002", "20160301", "0101", 1, 300},  {2, "0003", "20160301", "0101", 2, -100},
      {2, "0004", "20160401", "0101", 1, -9e5},  // on the period end: does not count
      {1, "0005", "20160101", "0102", 1, 500},   // a balance below zero earns nothing
  };
  for (const auto& r : rows) {
    CTsjsRec rec = Row(r.db, r.dh, r.kno, 0);
    rec.T = r.t;
    rec.MY[r.item] = r.amount;
    ASSERT_EQ(rec.Insert(1, &m_db), 1);
  }
  const struct {
    int item;
    const char* from;
    bool openingOnly;
    const char* kno;
    double interest;
  } cases[] = {
      {1, "20160101", false, "0101", 44.68},
      {1, "20160201", false, "0101", 32.28},   // earlier rows make the balance, earn nothing
      {1, "20160101", true, "0101", 36.40},    // the opening row alone, 91 days
      {-1, "20160101", false, "0101", 45.92},  // every item: 100 more for 31 days
      {1, "20160101", false, "0102", 0},
      {1, "20160101", false, "0999", 0},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(
        CTsjsRec::QueryHistory(0, c.item, c.from, "20160401", 4, c.openingOnly, c.kno, &m_db),
        c.interest)
        << c.item << " " << c.from << " " << c.openingOnly << " " << c.kno;
  }
}

TEST_P(TsjsStoreTest, VoucherListsFollowTheAccountingYearAndReviewFilters) {
  CSmDatabase* db = OpenApp();
  ASSERT_TRUE(db) << CSmMessageService::Instance().LastText();
  m_type->m_strParams[48] = "010";  // the year begins on 1 October of the year before
  ASSERT_EQ(TsGetYearStartDate(), "20151001");
  const struct {
    int db;
    const char* dh;
    const char* t;
    const char* reviewer;
  } vouchers[] = {
      {2, "0001", "20160205", ""},    {2, "0002", "20151110", "104"}, {2, "0003", "20151001", ""},
      {2, "0004", "20150205", ""},    {1, "0005", "20160205", ""},    {2, "", "20151001", ""},
      {2, "0006", "20160210", "104"},
  };
  for (const auto& v : vouchers) {
    CTsjsRec rec = Row(v.db, v.dh, "10101001", -5);
    rec.T = v.t;
    rec.OPR[1] = v.reviewer;
    ASSERT_EQ(rec.Insert(1, db), 1);
  }
  // Two rows of one voucher are listed once.
  CTsjsRec second = Row(2, "0001", "10101002", -7);
  second.T = "20160205";
  ASSERT_EQ(second.Insert(1, db), 1);
  const struct {
    const char* month;
    bool unreviewed;
    bool reviewed;
    const char* numbers;
  } cases[] = {
      {"02", false, false, "0001 0006"},   {"11", false, false, "0002"},
      {"10", false, false, "0003"},        {"", false, false, "0001 0002 0003 0004 0006"},
      {"", true, false, "0001 0003 0004"}, {"", false, true, "0002 0006"},
  };
  CTsjsRec rec;
  std::vector<CTsjsRec> list;
  for (const auto& c : cases) {
    std::string numbers;
    const int count = rec.QueryDocumentList(c.month, 0, 2, c.unreviewed, c.reviewed, list, db);
    for (const CTsjsRec& v : list) numbers += (numbers.empty() ? "" : " ") + v.DH;
    EXPECT_EQ(numbers, c.numbers) << c.month << c.unreviewed << c.reviewed;
    EXPECT_EQ(count, static_cast<int>(list.size()));
  }
  ASSERT_EQ(rec.QueryDocumentList("11", 0, 2, false, false, list, db), 1);
  EXPECT_EQ(list[0].T, "20151110");
  EXPECT_EQ(list[0].OPR[0], "102");
  EXPECT_EQ(list[0].OPR[1], "104");
}

TEST_P(TsjsStoreTest, SumsExceptLeaveTheEditedVoucherOutAndStopAtTheDate) {
  const struct {
    int db;
    const char* dh;
    const char* t;
    const char* kno;
    int item;
    double amount;
    double area;
  } rows[] = {
      {2, "", "20151101", "10101001", 1, -1000, 0},
      {2, "0001", "20151201", "10101001", 2, -300, 0},
      {1, "0002", "20151205", "10101001", 1, 200, 0},
      {5, "0003", "20151210", "10101001", 1, 0, 4.5},
      {2, "0004", "20160101", "10101001", 1, -50, 0},  // after the date
      {2, "0005", "20151201", "10201001", 1, -70, 0},  // another village
      {3, "0006", "20151201", "10101002", 0, -40, 0},  // a withholding: no advance
  };
  for (const auto& r : rows) {
    CTsjsRec rec = Row(r.db, r.dh, r.kno, 0);
    rec.T = r.t;
    rec.MY[r.item] = r.amount;
    rec.MU[0] = r.area;
    ASSERT_EQ(rec.Insert(1, &m_db), 1);
  }
  CTsjsRec rec;
  std::vector<CTsjsRec> list;
  const auto sums = [&] {
    std::string text;
    for (const CTsjsRec& r : list)
      text += FormatStr("%s%s %.1f %.2f", text.empty() ? "" : "|", TrimChars(r.KNO).c_str(),
                        r.MU[0], r.MY[0]);
    return text;
  };
  ASSERT_EQ(rec.GetSumsExcept(0, 2, "101", "20151231", "0001", list, &m_db), 2);
  EXPECT_EQ(sums(), "10101001 4.5 800.00|10101002 0.0 0.00");
  ASSERT_EQ(rec.GetSumsExcept(0, 2, "", "20151231", "", list, &m_db), 3);
  EXPECT_EQ(sums(), "10101001 4.5 1100.00|10101002 0.0 0.00|10201001 0.0 70.00");
  // Another kind under the same number is not the voucher being edited.
  ASSERT_EQ(rec.GetSumsExcept(0, 1, "101", "20151231", "0001", list, &m_db), 2);
  EXPECT_EQ(sums(), "10101001 4.5 1100.00|10101002 0.0 0.00");

  // Without advance items of the kind the statement still runs and nothing is owed.
  m_type->m_itemLists[CTsDataType::ItemListIndex(0, 1, 2, 0)].clear();
  ASSERT_EQ(rec.GetSumsExcept(0, 2, "101", "20151231", "", list, &m_db), 2);
  EXPECT_EQ(sums(), "10101001 4.5 0.00|10101002 0.0 0.00");
  EXPECT_TRUE(Shown().empty());
}
