// The statements that find a season's open tickets by ticket, farmer, driver, place, variety or
// date, on a season file in the middle of the season (most tickets on no slip yet): each is
// served by the index of what it names, never by a slip-number index, which would visit every
// open ticket.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/SmApp.h"
#include "cane/TsDataType.h"
#include "core/SmDatabase.h"
#include "reports/TsReportDoc7.h"
#include "tests/common/SmTestMain.h"
#include "tools/season_file/TsSeasonFile.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsgbStore.h"

namespace {

const int kYear = 2016;

class TsOpenTicketPlansTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_app = std::make_unique<CSmApp>();
    static_cast<CTsDataType*>(s_app->AdoptDataType(std::make_unique<CTsDataType>()))->Init();
    TsSeasonShape shape;
    shape.tickets = 6000;
    shape.farmers = 300;
    shape.drivers = 20;
    shape.places = 10;
    s_path = TsMakeSeasonFile(*s_app, SmTestHome() + "/open-plans", kYear, shape);
  }
  static void TearDownTestSuite() { s_app.reset(); }

  void SetUp() override {
    ASSERT_FALSE(s_path.empty());
    ASSERT_TRUE(m_db.Open(s_path));
    for (const char* index : {"gbSheet8", "gbSheet9"}) ASSERT_TRUE(m_db.IndexExists(index));
    // Most of the tickets are open: the case the slip-number index serves worst.
    ASSERT_GT(m_db.QueryInt("Select Count(*) From gbSheet Where JN0=''"),
              m_db.QueryInt("Select Count(*) From gbSheet") / 2);
  }

  // The engine's plan of a statement, its steps joined by "; ".
  std::string Plan(const std::string& sql) {
    std::vector<std::string> columns[4];
    m_db.QueryStrings("EXPLAIN QUERY PLAN " + sql, columns, 4);
    std::string plan;
    for (const std::string& step : columns[3]) plan += (plan.empty() ? "" : "; ") + step;
    return plan;
  }

  static std::unique_ptr<CSmApp> s_app;
  static std::string s_path;
  CSmDatabase m_db;
};

std::unique_ptr<CSmApp> TsOpenTicketPlansTest::s_app;
std::string TsOpenTicketPlansTest::s_path;

}  // namespace

TEST_F(TsOpenTicketPlansTest, OpenTicketsAreFoundThroughWhatTheStatementNames) {
  CTsgbRec slip;
  slip.JN[0] = slip.JN[1] = "900001";
  slip.JT[0] = slip.JT[1] = TsSeasonDay(kYear, 119);
  slip.OPR[2] = slip.OPR[3] = "102";
  TsSlipQuery week;
  week.sDateFrom = TsSeasonDay(kYear, 100);
  week.sDateTo = TsSeasonDay(kYear, 106);
  week.nSettleState[0] = 0;
  TsSlipQuery bothOpen = week;
  bothOpen.nSettleState[1] = 0;
  const std::string ticket = "005999";
  struct Case {
    const char* name;
    std::string sql;
    const char* index;
  };
  const Case cases[] = {
      {"a cane slip takes a ticket", TsSlipAssignText(slip, 0, ticket, &m_db), "gbSheet7"},
      {"a freight slip takes a ticket", TsSlipAssignText(slip, 1, ticket, &m_db), "gbSheet7"},
      {"a farmer's open tickets",
       "Select * From gbSheet " + TsSlipOpenTicketsWhere(0, "10102003", &m_db) + " Order by DH",
       "gbSheet1"},
      {"a driver's open tickets",
       "Select * From gbSheet " + TsSlipOpenTicketsWhere(1, "007", &m_db) + " Order by DH",
       "gbSheet2"},
      {"a gross ticket deleted", TsgbDeleteText(0, ticket, &m_db), "gbSheet7"},
      {"a tare taken back", TsgbDeleteText(1, ticket, &m_db), "gbSheet7"},
      {"a ticket rewritten", TsgbDeleteText(2, ticket, &m_db), "gbSheet7"},
      {"the prices of a variety",
       "Select Count(*),Min(PR0),Max(PR0) From gbSheet " + TsgbPricedWhere(0, "103", &m_db),
       "gbSheet4"},
      {"the freight prices of a place",
       "Select Count(*),Min(PR1),Max(PR1) From gbSheet " + TsgbPricedWhere(1, "004", &m_db),
       "gbSheet3"},
      {"a week's tickets open in cane",
       "Select * From gbSheet " + TsSlipConditions(week, &m_db) + " Order By T,DH", "gbSheet0"},
      {"a week's tickets open in both kinds",
       "Select * From gbSheet " + TsSlipConditions(bothOpen, &m_db) + " Order By T,DH", "gbSheet0"},
  };
  for (const Case& c : cases) {
    const std::string plan = Plan(c.sql);
    EXPECT_NE(plan.find(std::string("USING INDEX ") + c.index + " "), std::string::npos)
        << c.name << ": " << plan;
    EXPECT_EQ(plan.find("gbSheet8"), std::string::npos) << c.name << ": " << plan;
    EXPECT_EQ(plan.find("gbSheet9"), std::string::npos) << c.name << ": " << plan;
  }
}
