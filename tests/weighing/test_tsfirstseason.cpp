// The first season of a new mill: the date dialogs of the weighing card, the settlement card
// and the advance document propose a day of the open file's cane year (today where the year
// holds it) and take it as proposed, on a file of today's business year, of a past one and of
// a future one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>

#include "cane/TsParams.h"
#include "core/SmDate.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/TsCaneTestApp.h"
#include "weighing/TsSheetOpenDlg.h"
#include "weighing/TsYfDoc.h"
#include "weighing/TsgbDoc.h"
#include "weighing/TsjsDoc.h"

namespace {

// 0 stands for the business year that holds today under the default start month.
class TsFirstSeasonTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    TsInstallWeighingCard();
    TsInstallSettlementCard();
    TsInstallAdvanceDoc();
    m_today = NowText("%Y%m%d");
    m_year = GetParam() != 0 ? GetParam() : TsBusinessYearOf(m_today, "011");
    ASSERT_TRUE(m_app.Start(m_year, "1620 1630 1651 1652 "));
  }
  void TearDown() override { m_app.Stop({255, 256, 260}); }

  // The date the dialog of template `number` proposes; the dialog is confirmed as it comes.
  std::string Proposed(int number, bool& accepted, std::string& refusal) {
    std::string date;
    accepted = false;
    CSmChildFrame* frame = m_app.OpenFromTemplate(number, 0, 0, 960, [&](QWidget* dlg) {
      for (int id : {CTsSheetOpenDlg::kYear, CTsSheetOpenDlg::kMonth, CTsSheetOpenDlg::kDay})
        date += Control<QLineEdit>(dlg, id)->text().toStdString();
      SmResetMessages();
      Press(dlg, SM_ID_OK);
      accepted = !dlg->isVisible();
      refusal = CSmMessageService::Instance().LastText();
      if (!accepted) Press(dlg, SM_ID_CANCEL);
    });
    EXPECT_EQ(frame != nullptr, accepted) << number;
    return date;
  }

  TsCaneTestApp m_app{"FirstSeason"};
  std::string m_today;
  int m_year = 0;
};

INSTANTIATE_TEST_SUITE_P(FileYears, TsFirstSeasonTest, testing::Values(0, 2016, 2099));

}  // namespace

TEST_P(TsFirstSeasonTest, EveryDateDialogProposesADayOfTheFilesYearAndTakesIt) {
  const std::string first = TsYearStartDate(m_year, "011");
  const std::string last = TsYearEndDate(m_year, "011");
  const std::string expected = GetParam() == 0 ? m_today : GetParam() == 2016 ? last : first;
  ASSERT_EQ(TsGetYearStartDate(), first);
  for (int number : {255, 256, 260}) {
    SCOPED_TRACE(number);
    bool accepted = false;
    std::string refusal;
    EXPECT_EQ(Proposed(number, accepted, refusal), expected);
    EXPECT_TRUE(accepted) << refusal;
  }
}
