// The season maker's file as the program meets it: made through the program's application, it
// opens and logs in through the log-in dialog with no upgrade and no slip to repair, every ticket
// as it was made; its slips each hold one household's tickets, and most tickets are still open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <string>
#include <vector>

#include "app/SmOpenDataDlg.h"
#include "core/SmDatabase.h"
#include "platform/SmMessage.h"
#include "product/TsApp.h"
#include "tests/app/test_login_fixture.h"
#include "tests/common/SmTestMain.h"
#include "tools/season_file/TsSeasonFile.h"
#include "weighing/TsgbRec.h"

namespace {

const int kYear = 2016;

class SeasonApp : public CTsApp {
 public:
  void RunUpdater() override {}
};

std::vector<CTsgbRec> Tickets(CSmDatabase* db) {
  std::vector<CTsgbRec> tickets;
  CTsgbRec().Select({}, "Order by DH", tickets, db);
  return tickets;
}

// The tickets whose stored row differs from `made`, by number.
std::vector<std::string> Moved(const std::vector<CTsgbRec>& made,
                               const std::vector<CTsgbRec>& now) {
  std::vector<std::string> moved;
  for (size_t i = 0; i < made.size() && i < now.size(); ++i) {
    if (made[i] != now[i]) moved.push_back(made[i].DH);
  }
  return moved;
}

}  // namespace

TEST(TsSeasonFile, AMadeSeasonLogsInWithoutMovingATicket) {
  SmResetMessages();
  const std::string root = SmTestHome() + "/season";
  QDir(QString::fromStdString(root)).removeRecursively();
  TsSeasonShape shape;
  shape.tickets = 5000;
  shape.farmers = 400;
  shape.drivers = 12;
  shape.places = 8;
  std::string path;
  std::vector<CTsgbRec> made;
  {
    SeasonApp maker;
    maker.SelectModuleInfo();
    maker.CreateDataTypes();
    path = TsMakeSeasonFile(maker, root + "/001", kYear, shape);
    ASSERT_FALSE(path.empty());
    CSmDatabase db;
    ASSERT_TRUE(db.Open(path));
    made = Tickets(&db);
    // One household to a slip of each kind, and a season in progress: most tickets open.
    EXPECT_EQ(db.QueryInt("Select Count(*) From (Select JN0 From gbSheet Where JN0<>'' Group By "
                          "JN0 Having Min(KNO0)<>Max(KNO0))"),
              0);
    EXPECT_EQ(db.QueryInt("Select Count(*) From (Select JN1 From gbSheet Where JN1<>'' Group By "
                          "JN1 Having Min(KNO1)<>Max(KNO1))"),
              0);
    EXPECT_GT(db.QueryInt("Select Count(Distinct JN0) From gbSheet Where JN0<>''"), 0);
    EXPECT_GT(db.QueryInt("Select Count(*) From gbSheet Where JN0=''"), shape.tickets / 2);
  }
  ASSERT_EQ(made.size(), static_cast<size_t>(shape.tickets));

  SeasonApp app;
  QObject timers;
  OnModalOf(&timers, 815, [&](QWidget* dlg) {
    ASSERT_TRUE(static_cast<CSmOpenDataFileDlg*>(dlg)->Tree()->SelectFile(path));
    ChooseOperator(dlg, "102");
    Click(dlg, SM_ID_OK);
  });
  ASSERT_TRUE(app.InitInstance({path}));
  ASSERT_NE(app.GetDatabase(), nullptr);
  EXPECT_EQ(app.m_env.GetOperatorNo(), "102");
  EXPECT_TRUE(app.HasRightCode(SmRightCode(16, "31")));  // operator 102 makes cane slips
  for (const SmShownMessage& shown : CSmMessageService::Instance().Shown())
    ADD_FAILURE() << "shown at the log-in: " << shown.text;
  const std::vector<CTsgbRec> now = Tickets(app.GetDatabase());
  EXPECT_EQ(now.size(), made.size());
  EXPECT_EQ(Moved(made, now), std::vector<std::string>{});
  app.ExitInstance();
}
