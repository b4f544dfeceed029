// Two workstations on the cane master data and the tickets, on one data file and on one server
// database: each race run with both stations' own store paths, the one that comes second
// stepping in while the first holds its transaction (on the server the first lingers there);
// the cards saving over a row another station changed; stations running free side by side;
// and a server connection that is cut or whose server stops and starts again.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <thread>

#include "app/SmServerYearFile.h"
#include "cane/TsAdrRec.h"
#include "cane/TsCodeTable.h"
#include "cane/TsDriverDirDlg.h"
#include "cane/TsDriverRec.h"
#include "cane/TsFarmerCardDlg.h"
#include "cane/TsGp.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsPlaceDirDlg.h"
#include "cane/TsVarietyCardDlg.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmStations.h"
#include "ui/SmEdit.h"
#include "weighing/TsWeighingDocs.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsRec.h"

namespace {

using namespace std::chrono_literals;

const char* const kCodeTaken = "产生重码，不能插入！";

std::vector<int> Sorted(std::vector<int> v) {
  std::sort(v.begin(), v.end());
  return v;
}

std::string LastText() {
  return CSmMessageService::Instance().LastText();
}

// A gross ticket of the day for the farmer, with driver 003 and place 012.
CTsgbRec NewTicket(const std::string& farmer) {
  CTsgbRec rec;
  rec.T = "20160315";
  rec.OPR[0] = "101";
  rec.KNO[0] = farmer;
  rec.KNO[1] = "003";
  rec.KNO[2] = "012";
  rec.MU[0] = 30;
  return rec;
}

class TsStationsTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    m_type->SetWeighingService(std::make_unique<CTsWeighingDocs>());
    TsBuildItemTables();
    Run(
        {"Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
         "Values('1','东区','','','','','',0,0,0,0)",
         "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
         "Values('101','一村','','','','','',0,0,0,0)",
         "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
         "Values('10101','一组','','','','','',0,0,0,0)",
         "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
         "Values('10101001','张三','','01','','张三','',0,0,0,0)",
         "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
         "Values('10101002','李四','','02','','李四','',0,0,0,0)",
         "Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) "
         "Values('003','王五','','','','','','')",
         "Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
         "Values('012','北坡','','',12.5,20,0,0,0,0)",
         "Insert Into GP(KNO,NA,NT,PR) Values('1','桂糖','',0)",
         "Insert Into GP(KNO,NA,NT,PR) Values('101','桂糖11号','',300)"});
  }

  // Another workstation's connection to the same file or database.
  std::unique_ptr<CSmDatabase> Station() {
    auto db = std::make_unique<CSmDatabase>(GetParam());
    EXPECT_TRUE(db->Open(m_db.GetFileName(), m_db.GetConnInfo())) << db->LastError();
    return db;
  }

  // On the server, every `event` on `table` holds its transaction half a second longer, so that
  // the other station steps in while it is open.
  void Linger(const std::string& event, const std::string& table, const std::string& each) {
    if (GetParam() != 0) Run(SmPgLingerAfter(event, table, each));
  }
  void EndLinger(const std::string& table) {
    if (GetParam() != 0) Run({"Drop Trigger sm_linger On " + table});
  }

  // Two stations on connections of their own: station 1 starts a little after station 0, so that
  // on the server it steps in while station 0 lingers in its transaction.
  std::vector<int> RunTwo(const std::function<int(int station, CSmDatabase& db)>& work) {
    return SmRunStations(2, [&](int n, const std::function<bool()>& go) {
      CSmDatabase db(GetParam());
      if (!db.Open(m_db.GetFileName(), m_db.GetConnInfo())) return 99;
      SmResetMessages();
      if (!go()) return 98;
      if (n == 1) std::this_thread::sleep_for(150ms);
      return work(n, db);
    });
  }

  long Count(const std::string& sql) { return m_db.QueryInt(sql); }
  long Orphans() {
    return Count("Select Count(*) From gbSheet Where KNO0 Not In (Select KNO From NHDir)");
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsStationsTest, testing::Values(0, 2));

// Both stations add one code at the same moment: the table's key keeps the second out, with the
// record's own refusal (the place and driver records refuse without a message).
TEST_P(TsStationsTest, OneCodeAddedByTwoStationsAtOnceIsStoredOnce) {
  struct Case {
    const char* table;
    const char* code;
    const char* refusal;
    std::function<bool(CSmDatabase*, const std::string& name)> add;
  };
  const Case cases[] = {
      {"NHDir", "10101003", kCodeTaken,
       [](CSmDatabase* db, const std::string& name) {
         CNH rec(db, "10101003");
         rec.NA = name;
         return rec.Insert(true);
       }},
      {"GP", "102", kCodeTaken,
       [](CSmDatabase* db, const std::string& name) {
         CGp rec(db, "102");
         rec.NA = name;
         rec.PR = 310;
         return rec.Insert(true);
       }},
      {"AdrDir", "013", "",
       [](CSmDatabase* db, const std::string& name) {
         CTsAdrRec rec;
         rec.KNO = "013";
         rec.NA = name;
         return TsAdrInsert(rec, db);
       }},
      {"DriverDir", "004", "",
       [](CSmDatabase* db, const std::string& name) {
         CTsDriverRec rec;
         rec.KNO = "004";
         rec.NA = name;
         return TsDriverInsert(rec, db);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    Linger("INSERT", c.table, "ROW");  // both have inserted before either counts
    const std::vector<int> results = SmRunStations(2, [&](int n, const std::function<bool()>& go) {
      CSmDatabase db(GetParam());
      if (!db.Open(m_db.GetFileName(), m_db.GetConnInfo())) return 99;
      SmResetMessages();
      if (!go()) return 98;
      if (c.add(&db, n == 0 ? "甲站" : "乙站")) return 1;
      return LastText() == c.refusal ? 10 : 0;
    });
    EndLinger(c.table);
    EXPECT_EQ(Sorted(results), (std::vector<int>{1, 10}));
    EXPECT_EQ(Count(FormatStr("Select Count(*) From %s Where KNO='%s'", c.table, c.code)), 1);
  }
}

// Both stations read one row and save a change of it: the second finds the first's change
// under the row's lock and saves nothing, saying why; no change is lost unseen.
TEST_P(TsStationsTest, TwoStationsSavingOneRowKeepOneChangeAndSayWhy) {
  CNH farmer(&m_db, "10101001");
  ASSERT_EQ(farmer.Load(0), 1);
  CTsAdrRec place;
  ASSERT_EQ(TsAdrLoad(place, "012", &m_db), 1);
  const std::string refusal012 = TsChangedElsewhereText("012", false);
  const std::string refusal001 = TsChangedElsewhereText("10101001", false);
  struct Case {
    const char* table;
    const char* stored;  // the column the stations write
    std::function<int(CSmDatabase*, int station)> save;
  };
  const Case cases[] = {
      {"NHDir", "Select BkHO From NHDir Where KNO='10101001'",
       [&](CSmDatabase* db, int n) {
         CNH rec = farmer;
         rec.m_db = db;
         rec.BkHO = n == 0 ? "622201" : "622202";
         if (rec.ChangeCode(farmer, true)) return 1;
         return LastText() == refusal001 ? 10 : 0;
       }},
      {"AdrDir", "Select NA From AdrDir Where KNO='012'",
       [&](CSmDatabase* db, int n) {
         CTsAdrRec rec = place;
         rec.NA = n == 0 ? "北坡甲" : "北坡乙";
         if (TsAdrUpdate(rec, "012", db, nullptr, &place)) return 1;
         return LastText() == refusal012 ? 10 : 0;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    Linger("UPDATE", c.table, "STATEMENT");  // the first holds the row's lock a while
    const std::vector<int> results = RunTwo([&](int n, CSmDatabase& db) { return c.save(&db, n); });
    EndLinger(c.table);
    // The station that came first saved; the second was told.
    EXPECT_EQ(results, (std::vector<int>{1, 10}));
    EXPECT_EQ(Rows(c.stored), c.table == std::string("NHDir") ? "622201" : "北坡甲");
  }
}

// One station deletes a farmer while the other saves a ticket for him: the deletion's reference
// check and the ticket's check of its farmer run under the farmer row's lock, in their write
// transactions, so that one of the two loses plainly, whichever comes first.
TEST_P(TsStationsTest, AFarmerIsDeletedOrGetsTheTicketNeverBoth) {
  const std::string inUse = "“10101002”已被引用，不能删除！";
  for (const bool ticketFirst : {true, false}) {
    SCOPED_TRACE(ticketFirst ? "the ticket first" : "the deletion first");
    Run({"Delete From gbSheet"});
    if (Count("Select Count(*) From NHDir Where KNO='10101002'") == 0)
      Run(
          {"Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
           "Values('10101002','李四','','','','','',0,0,0,0)"});
    Linger("UPDATE", "NHDir", "STATEMENT");  // both begin by locking the farmer's row
    const std::vector<int> results = RunTwo([&](int n, CSmDatabase& db) {
      if ((n == 0) == ticketFirst) {
        CTsgbRec ticket = NewTicket("10101002");
        int missing = -1;
        if (ticket.InsertNew(false, &db, &missing)) return 1;
        return missing == 0 && LastText().empty() ? 10 : 0;  // the card says "农户不存在！"
      }
      CNH farmer(&db, "10101002");
      if (farmer.Delete(true)) return 2;
      return LastText() == inUse ? 20 : 0;
    });
    EndLinger("NHDir");
    if (ticketFirst) {
      EXPECT_EQ(results, (std::vector<int>{1, 20}));
      EXPECT_EQ(Count("Select Count(*) From gbSheet Where KNO0='10101002'"), 1);
    } else {
      EXPECT_EQ(results, (std::vector<int>{2, 10}));
      EXPECT_EQ(Count("Select Count(*) From gbSheet"), 0);
    }
    EXPECT_EQ(Orphans(), 0);
  }
}

// Two new tickets saved at the same moment: each takes its number inside its write
// transaction, under the series' lock, so both are stored under two numbers.
TEST_P(TsStationsTest, TwoNewTicketsSavedAtOnceGetTwoNumbers) {
  Linger("INSERT", "gbSheet", "ROW");
  const std::vector<int> results = SmRunStations(2, [&](int, const std::function<bool()>& go) {
    CSmDatabase db(GetParam());
    if (!db.Open(m_db.GetFileName(), m_db.GetConnInfo())) return 99;
    SmResetMessages();
    if (!go()) return 98;
    CTsgbRec ticket = NewTicket("10101001");
    return ticket.InsertNew(false, &db) + (CSmMessageService::Instance().Shown().empty() ? 0 : 10);
  });
  EndLinger("gbSheet");
  EXPECT_EQ(results, (std::vector<int>{1, 1}));
  EXPECT_EQ(Rows("Select DH From gbSheet Order By DH"), "00001|00002");
}

// Two stations running free: both add the same farmers, one saves tickets for them while the
// other deletes them, and both keep writing notes onto one farmer's card.
TEST_P(TsStationsTest, StationsRunningFreeKeepTheDataWhole) {
  constexpr int kRounds = 12;
  const std::vector<int> results = SmRunStations(2, [&](int n, const std::function<bool()>& go) {
    CSmDatabase db(GetParam());
    if (!db.Open(m_db.GetFileName(), m_db.GetConnInfo())) return 99;
    if (!go()) return 98;
    int failures = 0;
    for (int i = 0; i < kRounds; ++i) {
      const std::string code = FormatStr("10101%03d", 100 + i);
      CNH farmer(&db, code);
      farmer.NA = FormatStr("农户%d", i);
      farmer.Insert(true);  // the other station may have added him first
      if (n == 0) {
        CTsgbRec ticket = NewTicket(code);
        int missing = -1;
        if (!ticket.InsertNew(false, &db, &missing) && missing != 0) ++failures;
      } else {
        CNH(&db, code).Delete(true);  // refused once he has a ticket
      }
      // A note of this station's round onto the shared card, read again when refused.
      for (int attempt = 0;; ++attempt) {
        if (attempt == 50) return 90 + n;
        CNH shown(&db, "10101001");
        if (shown.Load(0) != 1) continue;
        CNH rec = shown;
        rec.NT += FormatStr("%c%d", n == 0 ? 'a' : 'b', i % 10);
        if (rec.ChangeCode(shown, true)) break;
      }
    }
    return failures;
  });
  EXPECT_EQ(results, (std::vector<int>{0, 0}));
  // No code stored twice, no ticket without its farmer, no number twice, no note lost.
  EXPECT_EQ(Count("Select Count(*) From NHDir"), Count("Select Count(Distinct KNO) From NHDir"));
  EXPECT_EQ(Orphans(), 0);
  EXPECT_EQ(Count("Select Count(*) From gbSheet"), Count("Select Count(Distinct DH) From gbSheet"));
  const std::string notes = Rows("Select NT From NHDir Where KNO='10101001'");
  for (int n = 0; n < 2; ++n)
    for (int i = 0; i < kRounds; ++i)
      EXPECT_NE(notes.find(FormatStr("%c%d", n == 0 ? 'a' : 'b', i % 10)), std::string::npos)
          << notes;
  EXPECT_EQ(notes.size(), 2u * 2 * kRounds);
}

// ---------------------------------------------------------------- the cards

class TsStationCardsTest : public TsStationsTest {
 protected:
  // The summed opening balance of a household, as a whole number.
  static std::string OpeningSum(const char* code) {
    std::string sum;
    for (int i = 0; i < 15; ++i) sum += FormatStr("%sMY%d", i ? "+" : "", i);
    return FormatStr(
        "Select Cast(Cast(-(%s) As Integer) As varchar(12)) From jsSheet Where "
        "KNO='%s' And DH=''",
        sum.c_str(), code);
  }
  static void Set(QWidget* dlg, int id, const std::string& text) {
    Find<CSmEdit>(dlg, id)->setText(QString::fromStdString(text));
  }
  // Presses OK; true when the card saved and closed.
  static bool Ok(CSmPosDlg& card) {
    SmResetMessages();
    card.OnOK();
    return card.result() == QDialog::Accepted;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsStationCardsTest, testing::Values(0, 2));

// A card opened before another station saved the same row saves nothing over that change and
// says why; opened again, it saves.
TEST_P(TsStationCardsTest, ACardSavesOnlyOverTheRowItShowed) {
  const int advance = TsGetKindItemIndex(0, 1, 2, 0, 0);  // the farmer's first advance item
  const int freight = TsGetKindItemIndex(1, 1, 2, 0, 0);  // the driver's
  struct Case {
    const char* what;
    std::function<std::unique_ptr<CSmPosDlg>()> open;
    int field;  // the field the clerk changes
    std::function<bool(CSmDatabase*)> otherStation;
    const char* code;
    std::string kept;  // what shows that the other station's change stayed
  };
  const auto opening = [](int party, const char* code, int item, double amount) {
    return [=](CSmDatabase* db) {
      CTsjsRec rec;
      rec.MY[static_cast<size_t>(item)] = amount;
      return rec.SetOpening(false, party, code, db);
    };
  };
  const auto sql = [](const char* statement) {
    return [=](CSmDatabase* db) { return db->ExecuteSQL(statement); };
  };
  const Case cases[] = {
      {"a farmer's bank account",
       [&] { return std::make_unique<CTsFarmerCardDlg>(&m_db, "10101", "10101001", false); },
       CTsFarmerCardDlg::kName, sql("Update NHDir Set BkHO='62220001' Where KNO='10101001'"),
       "10101001", "Select BkHO From NHDir Where KNO='10101001'"},
      {"a farmer's opening balance",
       [&] { return std::make_unique<CTsFarmerCardDlg>(&m_db, "10101", "10101001", false); },
       CTsFarmerCardDlg::kName, opening(0, "10101001", advance, 75), "10101001",
       OpeningSum("10101001")},
      {"a variety's price",
       [&] { return std::make_unique<CTsVarietyCardDlg>(&m_db, "1", "101", false); },
       CTsVarietyCardDlg::kName, sql("Update GP Set PR=320 Where KNO='101'"), "101",
       "Select Cast(Cast(PR As Integer) As varchar(12)) From GP Where KNO='101'"},
      {"a place's freight price",
       [&] { return std::make_unique<CTsPlaceCardDlg>(0, "012", &m_db); }, CTsPlaceCardDlg::kName,
       sql("Update AdrDir Set ypr=25 Where KNO='012'"), "012",
       "Select Cast(Cast(ypr As Integer) As varchar(12)) From AdrDir Where KNO='012'"},
      {"a driver's plate", [&] { return std::make_unique<CTsDriverCardDlg>(0, "003", &m_db); },
       CTsDriverCardDlg::kName, sql("Update DriverDir Set PNO='桂A1234' Where KNO='003'"), "003",
       "Select PNO From DriverDir Where KNO='003'"},
      {"a driver's opening balance",
       [&] { return std::make_unique<CTsDriverCardDlg>(0, "003", &m_db); }, CTsDriverCardDlg::kName,
       opening(1, "003", freight, 40), "003", OpeningSum("003")},
  };
  std::unique_ptr<CSmDatabase> other = Station();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<CSmPosDlg> card = c.open();
    card->show();
    const std::string kept = Rows(c.kept);
    ASSERT_TRUE(c.otherStation(other.get()));
    const std::string changed = Rows(c.kept);
    ASSERT_NE(changed, kept);
    Set(card.get(), c.field, "改过的名称");
    EXPECT_FALSE(Ok(*card));
    EXPECT_EQ(LastText(), TsChangedElsewhereText(c.code, false));
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(Rows(c.kept), changed);
    card->reject();

    // Opened again, the card shows the change and saves over it.
    std::unique_ptr<CSmPosDlg> again = c.open();
    again->show();
    Set(again.get(), c.field, "改过的名称");
    EXPECT_TRUE(Ok(*again)) << LastText();
    EXPECT_EQ(Rows(c.kept), changed);
  }
}

// A card whose row another station deleted meanwhile saves nothing.
TEST_P(TsStationCardsTest, ACardOfADeletedRowSavesNothing) {
  CTsPlaceCardDlg place(0, "012", &m_db);
  place.show();
  CTsFarmerCardDlg farmer(&m_db, "10101", "10101002", false);
  farmer.show();
  std::unique_ptr<CSmDatabase> other = Station();
  ASSERT_TRUE(TsAdrDelete("012", other.get()));
  ASSERT_TRUE(CNH(other.get(), "10101002").Delete(true));
  EXPECT_FALSE(Ok(place));
  EXPECT_EQ(LastText(), TsChangedElsewhereText("012", true));
  EXPECT_FALSE(Ok(farmer));
  EXPECT_EQ(LastText(), "源对象“10101002”已不存在，不能修改！");
  EXPECT_EQ(Count("Select Count(*) From AdrDir"), 0);
  EXPECT_EQ(Count("Select Count(*) From NHDir Where KNO='10101002'"), 0);
}

// ---------------------------------------------------------------- a server that goes away

class TsServerStationsTest : public TsStationsTest {
 protected:
  // Ends the session of `db` from outside, as a server restart or an administrator would.
  static void Cut(CSmDatabase& db) {
    CSmDatabase master(2);
    ASSERT_TRUE(master.Open("master", SmPgLogin(2)));
    const long pid = db.QueryInt("Select pg_backend_pid()");
    ASSERT_TRUE(master.ExecuteSQL(FormatStr("Select pg_terminate_backend(%ld)", pid)));
    for (int i = 0; i < 200; ++i) {
      const std::string sql = FormatStr("Select Count(*) From pg_stat_activity Where pid=%ld", pid);
      if (master.QueryInt(sql) == 0) return;
      std::this_thread::sleep_for(10ms);
    }
    FAIL() << "the session did not end";
  }
};

INSTANTIATE_TEST_SUITE_P(Server, TsServerStationsTest, testing::Values(2));

TEST_P(TsServerStationsTest, ACutConnectionIsOpenedAgainForTheNextSave) {
  const long before = m_db.QueryInt("Select pg_backend_pid()");
  ASSERT_NO_FATAL_FAILURE(Cut(m_db));
  // The save finds the connection gone before it sent anything: it opens it again, says so
  // plainly and stores the ticket.
  SmResetMessages();
  CTsgbRec ticket = NewTicket("10101001");
  EXPECT_EQ(ticket.InsertNew(false, &m_db), 1);
  EXPECT_EQ(Shown(), std::vector<std::string>{kSmReconnectedText});
  EXPECT_EQ(Rows("Select DH From gbSheet"), "00001");
  EXPECT_NE(m_db.QueryInt("Select pg_backend_pid()"), before);
  // Opened as the log-in opens it: a lock wait still ends.
  EXPECT_EQ(Rows("Select current_setting('lock_timeout')"), "5s");

  // A connection cut in the middle of a save's transaction: nothing of it is stored, the clerk
  // reads a plain sentence, and the next save goes through.
  Run(
      {"CREATE OR REPLACE FUNCTION sm_cut() RETURNS trigger AS $$ BEGIN PERFORM "
       "pg_terminate_backend(pg_backend_pid()); RETURN NEW; END $$ LANGUAGE plpgsql",
       "CREATE TRIGGER sm_cut AFTER INSERT ON gbSheet FOR EACH ROW EXECUTE FUNCTION sm_cut()"});
  SmResetMessages();
  CTsgbRec cut = NewTicket("10101001");
  EXPECT_EQ(cut.InsertNew(false, &m_db), 0);
  EXPECT_EQ(Shown(),
            std::vector<std::string>{SmFailureMessage(SmDbFailure::LostConnection, {}, true)});
  SmResetMessages();
  Run({"Drop Trigger sm_cut On gbSheet"});
  EXPECT_EQ(Shown(), std::vector<std::string>{kSmReconnectedText});
  EXPECT_EQ(Rows("Select DH From gbSheet"), "00001");
  CTsgbRec next = NewTicket("10101001");
  EXPECT_EQ(next.InsertNew(false, &m_db), 1);
  EXPECT_EQ(Rows("Select DH From gbSheet Order By DH"), "00001|00002");
}

// A server cluster of the test's own (its own port and folder, so that the tests running beside
// it never see it stop): while it is down a save says so plainly; after it is started again the
// next save goes through on the same log-in.
class TsOwnServerTest : public TsAppTest {
 protected:
  void SetUp() override {
    TsAppTest::SetUp();
    SmResetMessages();
    m_dir = FormatStr("/tmp/canemill-pg-own-%d", static_cast<int>(getpid()));
    m_port = FreePort();
    ASSERT_GT(m_port, 0);
    ASSERT_EQ(Cluster("start"), 0);
  }
  void TearDown() override {
    m_db.Close();
    Cluster("stop");
    TsAppTest::TearDown();
  }
  int Cluster(const char* action) {
    const std::string command = FormatStr("SM_PG_PORT=%d bash %s %s %s >/dev/null", m_port,
                                          SM_PG_SCRIPT, action, m_dir.c_str());
    return std::system(command.c_str());
  }
  // A port no one listens on now.
  static int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port = ntohs(address.sin_port);
    close(s);
    return port;
  }
  CSmConnInfo Login() const {
    CSmConnInfo login(2);
    login.server = FormatStr("127.0.0.1,%d", m_port);
    login.user = SmPgEnv("SM_PG_USER");
    login.password = SmPgEnv("SM_PG_PASSWORD");
    return login;
  }
  int Save() {
    SmResetMessages();
    CTsgbRec ticket = NewTicket("10101001");
    return ticket.InsertNew(false, &m_db);
  }
  static std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const SmShownMessage& box : CSmMessageService::Instance().Shown())
      texts.push_back(box.text);
    return texts;
  }

  std::string m_dir;
  int m_port = 0;
  CSmDatabase m_db{2};
};

TEST_F(TsOwnServerTest, AServerStoppedAndStartedAgainNeedsNoNewLogIn) {
  ASSERT_FALSE(SmPgEnv("SM_PG_USER").empty()) << "run the tests through make test";
  std::string name;
  m_app.m_moduleInfo.m_ext = "tsd";
  ASSERT_TRUE(SmCreateServerYearFile(m_app, 2, Login(), "0001", 2016, &name));
  ASSERT_TRUE(m_db.Open(name, Login())) << m_db.LastError();
  for (const char* sql : {"Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
                          "Values('10101001','张三','','','','','',0,0,0,0)",
                          "Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) "
                          "Values('003','王五','','','','','','')",
                          "Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
                          "Values('012','北坡','','',12.5,20,0,0,0,0)"})
    ASSERT_TRUE(m_db.ExecuteSQL(sql));
  ASSERT_EQ(Save(), 1);

  ASSERT_EQ(Cluster("halt"), 0);
  EXPECT_EQ(Save(), 0);
  EXPECT_EQ(Shown(),
            std::vector<std::string>{SmFailureMessage(SmDbFailure::LostConnection, {}, true)});
  EXPECT_EQ(Save(), 0) << "still down";

  ASSERT_EQ(Cluster("start"), 0);
  EXPECT_EQ(Save(), 1);
  EXPECT_EQ(Shown(), std::vector<std::string>{kSmReconnectedText});
  std::vector<std::string> numbers[1];
  m_db.QueryStrings("Select DH From gbSheet Order By DH", numbers, 1);
  EXPECT_EQ(numbers[0], (std::vector<std::string>{"00001", "00002"}));
}

}  // namespace
