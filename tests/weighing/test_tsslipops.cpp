// Settlement slips on the tickets: listing, making, cancelling, payment and review by hand and
// through bank batches, and the repair, on the data file and on the server.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/cane/TsFileTest.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbRec.h"

namespace {

// The columns of kind 0 that tell a ticket's state: JN0|OPR4|OPR6|FK.
struct State {
  const char* name;
  const char* jn;
  const char* payer;
  const char* reviewer;
  int batch;
};

const State kStates[] = {
    {"unsettled", "", "", "", 0},         {"settled", "00001", "", "", 0},
    {"paid", "00001", "102", "", 0},      {"reviewed", "00001", "102", "103", 0},
    {"bank paid", "00001", "102", "", 5}, {"bank reviewed", "00001", "102", "103", 5},
};

const State& StateNamed(const std::string& name) {
  for (const State& state : kStates)
    if (name == state.name) return state;
  ADD_FAILURE() << name;
  return kStates[0];
}

CTsgbRec TaredTicket(const std::string& dh, const std::string& farmer = "10101001") {
  CTsgbRec rec;
  rec.T = "20161203";
  rec.TH = "080000";
  rec.DH = dh;
  rec.OPR[0] = "101";
  rec.OPR[1] = "101";
  rec.KNO[0] = farmer;
  rec.KNO[1] = "003";
  rec.MU[0] = 30;
  rec.MU[1] = 10;
  return rec;
}

}  // namespace

class TsSlipOpsTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run(
        {"Insert Into NHDir(KNO,NA,BkNO,BkHO,BkNA,cs0,cs1,cs2,cs3) "
         "Values('10101001','张三','01','6222','张三',0,0,0,0)",
         "Insert Into NHDir(KNO,NA,BkNO,BkHO,BkNA,cs0,cs1,cs2,cs3) "
         "Values('10201001','李四','02','6223','李四',0,0,0,0)",
         "Insert Into NHDir(KNO,NA,BkNO,BkHO,BkNA,cs0,cs1,cs2,cs3) "
         "Values('10101002','王五','','','',0,0,0,0)"});
  }

  // A tared ticket in `state` of kind 0 (and the same in kind 1 when `freight`).
  void Store(const std::string& dh, const State& state, const std::string& farmer = "10101001",
             const std::string& date = "20161210") {
    CTsgbRec rec = TaredTicket(dh, farmer);
    for (int k = 0; k < 2; ++k) {
      rec.JN[k] = state.jn;
      rec.JT[k] = *state.jn ? date : "";
      rec.OPR[2 + k] = *state.jn ? "101" : "";
      rec.OPR[4 + k] = state.payer;
      rec.OPR[6 + k] = state.reviewer;
    }
    rec.FK = state.batch;
    ASSERT_EQ(rec.Insert(&m_db), 1);
  }

  std::string StateOf(const std::string& dh, int kind = 0) {
    return Rows(
        FormatStr("Select rtrim(JN%d)||'|'||rtrim(OPR%d)||'|'||rtrim(OPR%d)||'|'||"
                  "Cast(FK As varchar(6)) From gbSheet Where DH='%s'",
                  kind, 4 + kind, 6 + kind, dh.c_str()));
  }

  static std::string Render(const State& state) {
    return FormatStr("%s|%s|%s|%d", state.jn, state.payer, state.reviewer, state.batch);
  }

  void As(const char* opr) { m_app.m_env.SetOperatorNo(opr); }

  CTsgbRec Slip(const std::string& number) {
    CTsgbRec slip;
    slip.JN[0] = number;
    slip.JT[0] = "20161211";
    slip.OPR[2] = "104";
    return slip;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsSlipOpsTest, testing::Values(0, 2));

TEST_P(TsSlipOpsTest, EveryTransitionOfTheTicketStates) {
  enum Op { Pay, Unpay, Review, Unreview, BankPay, BankUnpay, BankReview, BankUnreview };
  struct Case {
    const char* from;
    Op op;
    const char* opr;
    const char* to;
  };
  const Case cases[] = {
      {"settled", Pay, "102", "paid"},
      {"unsettled", Pay, "102", "unsettled"},
      {"paid", Pay, "105", "paid"},
      {"bank paid", Pay, "102", "bank paid"},  // a slip in a batch is paid through it only
      {"paid", Unpay, "102", "settled"},
      {"paid", Unpay, "105", "paid"},  // another operator's mark stays
      {"reviewed", Unpay, "102", "reviewed"},
      {"bank paid", Unpay, "102", "bank paid"},
      {"paid", Review, "103", "reviewed"},
      {"settled", Review, "103", "settled"},
      {"bank paid", Review, "103", "bank paid"},
      {"reviewed", Unreview, "103", "paid"},
      {"reviewed", Unreview, "105", "reviewed"},
      {"bank reviewed", Unreview, "103", "bank reviewed"},
      {"settled", BankPay, "102", "bank paid"},
      {"paid", BankPay, "105", "paid"},
      {"unsettled", BankPay, "102", "unsettled"},
      {"bank paid", BankUnpay, "102", "settled"},
      {"bank paid", BankUnpay, "105", "bank paid"},
      {"bank reviewed", BankUnpay, "102", "bank reviewed"},
      {"paid", BankUnpay, "102", "paid"},
      {"bank paid", BankReview, "103", "bank reviewed"},
      {"paid", BankReview, "103", "paid"},
      {"bank reviewed", BankUnreview, "103", "bank paid"},
      {"bank reviewed", BankUnreview, "105", "bank reviewed"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(FormatStr("%s, operation %d by %s", c.from, c.op, c.opr));
    const std::string dh = FormatStr("%04d", ++n);
    ASSERT_NO_FATAL_FAILURE(Store(dh, StateNamed(c.from)));
    As(c.opr);
    long long changed = -1;
    bool ok = false;
    const char* const day[] = {"20161201", "20161231"};
    switch (c.op) {
      case Pay:
      case Review:
        ok = TsSlipSetStep(0, c.op == Review, "00001", &m_db, &changed);
        break;
      case Unpay:
      case Unreview:
        ok = TsSlipClearStep(0, c.op == Unreview, "00001", &m_db, &changed);
        break;
      case BankPay:
      case BankReview:
        ok = TsSlipBankMark(0, c.op == BankReview, 5, day[0], day[1], "", &m_db);
        changed = m_db.RowsChanged();
        break;
      case BankUnpay:
      case BankUnreview:
        ok = TsSlipBankUnmark(0, c.op == BankUnreview, 5, day[0], day[1], "", &m_db);
        changed = m_db.RowsChanged();
        break;
    }
    EXPECT_TRUE(ok);
    const bool moves = std::string(c.from) != c.to;
    EXPECT_EQ(changed, moves ? 1 : 0);
    EXPECT_EQ(StateOf(dh), Render(StateNamed(c.to)));
    Run({"Delete From gbSheet"});
  }
  EXPECT_TRUE(Shown().empty());
}

TEST_P(TsSlipOpsTest, BankMarksFollowTheBankAccountAndPrefixForCaneOnly) {
  const State& settled = StateNamed("settled");
  ASSERT_NO_FATAL_FAILURE(Store("0001", settled, "10101001"));
  ASSERT_NO_FATAL_FAILURE(Store("0002", settled, "10201001"));
  ASSERT_NO_FATAL_FAILURE(Store("0003", settled, "10101002"));              // no bank account
  ASSERT_NO_FATAL_FAILURE(Store("0004", settled, "10101001", "20170105"));  // out of range
  As("102");
  ASSERT_TRUE(TsSlipBankMark(0, 0, 7, "20161201", "20161231", "101", &m_db));
  EXPECT_EQ(Rows("Select Cast(FK As varchar(4)) From gbSheet Order By DH"), "7|0|0|0");
  ASSERT_TRUE(TsSlipBankMark(0, 0, 8, "20161201", "20161231", "", &m_db));
  EXPECT_EQ(Rows("Select Cast(FK As varchar(4)) From gbSheet Order By DH"), "7|8|0|0");
  // Freight: every household and no prefix.
  ASSERT_TRUE(TsSlipBankMark(1, 0, 9, "20161201", "20161231", "999", &m_db));
  EXPECT_EQ(Rows("Select rtrim(OPR5) From gbSheet Order By DH"), "102|102|102|");
}

TEST_P(TsSlipOpsTest, MakingASlipIsAllOrNothing) {
  const State& open = StateNamed("unsettled");
  for (const char* dh : {"0001", "0002", "0003"}) ASSERT_NO_FATAL_FAILURE(Store(dh, open));
  EXPECT_EQ(TsSlipMakeCheck(Slip("00007"), 0, {}, &m_db), 0);
  EXPECT_EQ(Shown(), std::vector<std::string>{"未选择供结算的过磅单！"});

  // Settled or deleted through another station after listing.
  CSmDatabase other(GetParam());
  ASSERT_TRUE(other.Open(m_db.GetFileName(), SmPgLogin(2)));
  ASSERT_TRUE(other.ExecuteSQL("Update gbSheet Set JN0='00005' Where DH='0002'"));
  ASSERT_TRUE(other.ExecuteSQL("Delete From gbSheet Where DH='0003'"));
  for (const char* gone : {"0002", "0003"}) {
    SmResetMessages();
    EXPECT_EQ(TsSlipMakeCheck(Slip("00007"), 0, {"0001", gone}, &m_db), 0);
    EXPECT_EQ(Shown(), std::vector<std::string>{FormatStr("过磅单<%s>已结算或被删除！", gone)});
    EXPECT_EQ(StateOf("0001"), "|||0");
  }

  // A number two rows carry.
  ASSERT_NO_FATAL_FAILURE(Store("0003", open));
  ASSERT_TRUE(m_db.ExecuteSQL("Update gbSheet Set DH='0001' Where DH='0003'"));
  SmResetMessages();
  EXPECT_EQ(TsSlipMakeCheck(Slip("00007"), 0, {"0001"}, &m_db), 0);
  EXPECT_EQ(Shown(), std::vector<std::string>{"结算单号重号！"});
  EXPECT_EQ(Rows("Select Count(*) From gbSheet Where JN0<>''"), "1");

  // A slip number another station has used already: the tickets do not join its slip.
  ASSERT_TRUE(m_db.ExecuteSQL("Delete From gbSheet Where DH='0001'"));
  ASSERT_NO_FATAL_FAILURE(Store("0001", open));
  ASSERT_NO_FATAL_FAILURE(Store("0004", open));
  ASSERT_TRUE(other.ExecuteSQL("Update gbSheet Set JN0='00007',JT0='20161211' Where DH='0004'"));
  SmResetMessages();
  EXPECT_EQ(TsSlipMakeCheck(Slip("00007"), 0, {"0001"}, &m_db), 0);
  EXPECT_EQ(Shown(), std::vector<std::string>{"结算单号重号！"});
  EXPECT_EQ(StateOf("0001"), "|||0");

  SmResetMessages();
  EXPECT_EQ(TsSlipMakeCheck(Slip("00008"), 0, {"0001"}, &m_db), 1);
  EXPECT_EQ(Rows("Select rtrim(JN0)||rtrim(JT0)||rtrim(OPR2) From gbSheet Where DH='0001'"),
            "0000820161211104");
  EXPECT_TRUE(Shown().empty());
}

// Another station holds the ticket in an open transaction while this one makes its slip: the
// ticket goes to the first committed slip only.
TEST_P(TsSlipOpsTest, ATicketHeldByAnotherStationJoinsOneSlipOnly) {
  ASSERT_NO_FATAL_FAILURE(Store("0001", StateNamed("unsettled")));
  int held[2];
  ASSERT_EQ(pipe(held), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    CSmDatabase db(GetParam());
    const bool ok = db.Open(m_db.GetFileName(), SmPgLogin(2)) && db.BeginTrans() &&
                    db.ExecuteSQL(
                        "Update gbSheet Set JN0='00009',JT0='20161211',OPR2='105' "
                        "Where DH='0001' And OPR1<>'' And JN0=''");
    const char mark = ok ? 1 : 0;
    if (write(held[1], &mark, 1) != 1) _exit(98);
    usleep(800 * 1000);
    _exit(ok && db.CommitTrans() ? 0 : 1);
  }
  char mark = 0;
  ASSERT_EQ(read(held[0], &mark, 1), 1);
  ASSERT_EQ(mark, 1);
  EXPECT_EQ(TsSlipMakeCheck(Slip("00007"), 0, {"0001"}, &m_db), 0);
  int status = 0;
  waitpid(pid, &status, 0);
  close(held[0]);
  close(held[1]);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Shown(), std::vector<std::string>{"过磅单<0001>已结算或被删除！"});
  EXPECT_EQ(StateOf("0001"), "00009|||0");
}

TEST_P(TsSlipOpsTest, CancelListAndRepair) {
  ASSERT_NO_FATAL_FAILURE(Store("0001", StateNamed("paid")));
  ASSERT_NO_FATAL_FAILURE(Store("0002", StateNamed("paid")));
  EXPECT_EQ(TsSlipCancel(0, "00001", &m_db), 0);
  EXPECT_EQ(Shown(), std::vector<std::string>{"该单已付款，或已被删除！"});
  EXPECT_EQ(StateOf("0001"), "00001|102||0");
  SmResetMessages();
  EXPECT_EQ(TsSlipCancel(0, "09999", &m_db), 1);
  EXPECT_TRUE(Shown().empty());

  // A slip made and paid through a batch; one ticket is then moved by hand.
  Run({"Delete From gbSheet"});
  for (const char* dh : {"0001", "0002", "0003"})
    ASSERT_NO_FATAL_FAILURE(Store(dh, StateNamed("unsettled")));
  ASSERT_EQ(TsSlipMakeCheck(Slip("00007"), 0, {"0001", "0002"}, &m_db), 1);
  CTsgbRec other = Slip("00008");
  ASSERT_EQ(TsSlipMakeCheck(other, 0, {"0003"}, &m_db), 1);
  As("102");
  ASSERT_TRUE(TsSlipBankMark(0, 0, 6, "20161211", "20161211", "", &m_db));
  ASSERT_TRUE(TsSlipIncPrintCount(0, "00008", &m_db));
  std::vector<TsSlipLine> lines;
  ASSERT_EQ(TsSlipList(0, "20161211", lines, &m_db), 2);
  EXPECT_EQ(lines[0].number, "00007");
  EXPECT_EQ(lines[0].household, "10101001");
  EXPECT_EQ(lines[0].settler, "104");
  EXPECT_EQ(lines[0].payer, "102(银付6)");
  EXPECT_EQ(lines[1].prints, 1);
  EXPECT_EQ(TsSlipList(1, "20161211", lines, &m_db), 0);

  Run({"Update gbSheet Set FK=0,OPR4='' Where DH='0002'"});
  ASSERT_TRUE(TsSlipRepair(0, &m_db));
  EXPECT_EQ(StateOf("0001"), "00007|102||0");
  EXPECT_EQ(StateOf("0002"), "00007|102||0");
  EXPECT_EQ(StateOf("0003"), "00008|102||6") << "a slip that agrees stays in its batch";
  EXPECT_TRUE(Shown().empty());
}
