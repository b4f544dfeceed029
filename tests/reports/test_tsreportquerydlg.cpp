// The report query dialog: the checks of OK with the field each one focuses, the level combo
// box following the row kind, the operators and the quantity range of the purchase report.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "cane/TsRecordDirDlg.h"
#include "platform/SmCommandIds.h"
#include "reports/TsReportDoc2.h"
#include "reports/TsReportDoc3.h"
#include "reports/TsReportDoc4.h"
#include "reports/TsReportDoc8.h"
#include "reports/TsReportQueryDlg.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmDialogChecks.h"
#include "tests/common/SmModalScript.h"

namespace {

// Business year 2016, accounting year 20151101-20161031.
class TsReportQueryDlgTest : public TsAppConnected<TsFileTest> {
 protected:
  void SetUp() override {
    TsAppConnected::SetUp();
    if (HasFatalFailure()) return;
    Run({"Update Opr Set Na='王磅' Where Opno='102'",
         "Insert Into Opr(Opno,Na,Psd) Values('103','李皮','')"});
  }
  std::unique_ptr<CTsReportQueryDlg1> Open(int rowKind = 0, int level = 2,
                                           const std::string (&range)[2] = {"", ""}) {
    const std::string operators[2] = {"102", ""};
    const std::string filters[4] = {"01", "", "", ""};
    auto dlg =
        std::make_unique<CTsReportQueryDlg1>(&m_db, "甘蔗收购统计表", "20151101", "20161031",
                                             operators, filters, rowKind, level, 1, 0, range);
    dlg->show();
    return dlg;
  }
};

INSTANTIATE_TEST_SUITE_P(DataFile, TsReportQueryDlgTest, testing::Values(0));

}  // namespace

TEST_P(TsReportQueryDlgTest, DatesAreCheckedEndFirstWithinTheAccountingYearAndInOrder) {
  // A refused year says which days the accounting year holds.
  const char* const kOutOfYear = "年度超界！\n本蔗年：2015年11月01日～2016年10月31日";
  struct Case {
    const char* from[3];
    const char* to[3];
    const char* message;  // empty: accepted
    int focus;
  } cases[] = {
      {{"2018", "13", "01"}, {"2016", "03", "31"}, kOutOfYear, CTsReportQueryDlg::kDateFrom},
      {{"2016", "13", "01"},
       {"2016", "03", "31"},
       "月份不合理！",
       CTsReportQueryDlg::kDateFromMonth},
      {{"2016", "02", "30"}, {"2016", "03", "31"}, "日期不合理！", CTsReportQueryDlg::kDateFromDay},
      {{"2015", "10", "31"}, {"2016", "03", "31"}, kOutOfYear, CTsReportQueryDlg::kDateFrom},
      {{"2016", "02", "30"}, {"2016", "00", "31"}, "月份不合理！", CTsReportQueryDlg::kDateToMonth},
      {{"2016", "03", "10"}, {"2016", "11", "01"}, kOutOfYear, CTsReportQueryDlg::kDateTo},
      {{"2016", "03", "10"}, {"2016", "03", "01"}, "起止时间倒置！", CTsReportQueryDlg::kDateFrom},
      {{"2016", "03", "10"}, {"2016", "03", "10"}, "", 0},
  };
  for (const Case& c : cases) {
    auto dlg = Open();
    TypeDate(dlg.get(), CTsReportQueryDlg::kDateFrom, c.from[0], c.from[1], c.from[2]);
    TypeDate(dlg.get(), CTsReportQueryDlg::kDateTo, c.to[0], c.to[1], c.to[2]);
    const auto [message, closed] = Confirm(*dlg);
    EXPECT_EQ(message, c.message) << c.from[0] << c.from[1] << c.from[2];
    EXPECT_EQ(closed, *c.message == 0) << c.message;
    if (*c.message) {
      EXPECT_EQ(Focused(*dlg), IdName(c.focus)) << c.message;
    }
  }
  auto dlg = Open();
  TypeDate(dlg.get(), CTsReportQueryDlg::kDateFrom, "2016", "3", "5");
  TypeDate(dlg.get(), CTsReportQueryDlg::kDateTo, "2016", "03", "31");
  ASSERT_TRUE(Confirm(*dlg).second);
  EXPECT_EQ(dlg->m_dateFrom, "20160305");
  EXPECT_EQ(dlg->m_dateTo, "20160331");
}

TEST_P(TsReportQueryDlgTest, LevelIsNeededForFarmersAndVarietiesOnly) {
  auto dlg = Open(0, -1);
  auto* levels = Control<QComboBox>(dlg.get(), CTsReportQueryDlg::kLevel);
  ASSERT_EQ(levels->count(), 5);
  EXPECT_EQ(levels->itemText(2).toStdString(), "3 级");
  EXPECT_TRUE(levels->isEnabled());
  EXPECT_EQ(Confirm(*dlg).first, "未选择有效级次！");
  EXPECT_EQ(Focused(*dlg), IdName(CTsReportQueryDlg::kLevel));
  Control<QRadioButton>(dlg.get(), CTsReportQueryDlg::kKindPlace)->click();
  EXPECT_FALSE(levels->isEnabled());
  EXPECT_EQ(Confirm(*dlg).first, "");
  EXPECT_EQ(dlg->m_rowKind, 2);
  EXPECT_EQ(dlg->m_level, -1);

  dlg = Open(1, 2);
  EXPECT_FALSE(Control<QComboBox>(dlg.get(), CTsReportQueryDlg::kLevel)->isEnabled());
  Control<QRadioButton>(dlg.get(), CTsReportQueryDlg::kKindVariety)->click();
  EXPECT_TRUE(Control<QComboBox>(dlg.get(), CTsReportQueryDlg::kLevel)->isEnabled());
  ASSERT_TRUE(Confirm(*dlg).second);
  EXPECT_EQ(dlg->m_rowKind, 3);
  EXPECT_EQ(dlg->m_level, 2);
}

TEST_P(TsReportQueryDlgTest, OperatorsFiltersAndOptionsComeBackOnOk) {
  auto dlg = Open();
  auto* gross = Control<QComboBox>(dlg.get(), CTsReportQueryDlg::kGrossOperator);
  auto* tare = Control<QComboBox>(dlg.get(), CTsReportQueryDlg::kTareOperator);
  EXPECT_EQ(gross->currentText().toStdString(), "102王磅");
  EXPECT_EQ(tare->currentText().toStdString(), "");
  EXPECT_EQ(Control<QLineEdit>(dlg.get(), CTsReportQueryDlg::kFarmerFilter)->text().toStdString(),
            "01");
  tare->setCurrentIndex(tare->findText(QStringLiteral("103李皮")));
  Type(dlg.get(), CTsReportQueryDlg::kPlaceFilter, "007");
  Control<QCheckBox>(dlg.get(), CTsReportQueryDlg::kUntaredOnly)->setChecked(true);
  ASSERT_TRUE(Confirm(*dlg).second);
  EXPECT_EQ(dlg->m_oprCode[0], "102");
  EXPECT_EQ(dlg->m_oprCode[1], "103");
  EXPECT_EQ(dlg->m_filter[2], "007");
  EXPECT_EQ(dlg->m_query.bUntaredOnly, 1);
  // No operator chosen in either box: any operator.
  dlg = Open();
  Control<QComboBox>(dlg.get(), CTsReportQueryDlg::kGrossOperator)->setCurrentIndex(0);
  ASSERT_TRUE(Confirm(*dlg).second);
  EXPECT_TRUE(dlg->m_oprCode[0].empty() && dlg->m_oprCode[1].empty());
}

TEST_P(TsReportQueryDlgTest, QuantityRangeIsNormalisedAndPutInOrder) {
  struct Case {
    const char* in[2];
    const char* out[2];
  } cases[] = {
      {{"100", "20"}, {"20", "100"}},
      {{"12.50", ""}, {"12.5", ""}},
      {{"", "abc"}, {"", "0"}},
      {{"0.00000001", "3"}, {"0", "3"}},
      {{"1234567.5", ""}, {"1234567.5", ""}},
      {{"", ""}, {"", ""}},
  };
  for (const Case& c : cases) {
    std::string lower = c.in[0], upper = c.in[1];
    NormalizeRange(lower, upper);
    EXPECT_EQ(lower, c.out[0]) << c.in[0] << ".." << c.in[1];
    EXPECT_EQ(upper, c.out[1]) << c.in[0] << ".." << c.in[1];
  }
  const std::string range[2] = {"100", "20"};
  auto dlg = Open(0, 2, range);
  ASSERT_TRUE(Confirm(*dlg).second);
  EXPECT_EQ(dlg->m_query.sQtyRange[0], "20");
  EXPECT_EQ(dlg->m_query.sQtyRange[1], "100");
}

TEST_P(TsReportQueryDlgTest, PickersSetTheFilterOnOkOnly) {
  Run({"Insert Into DriverDir(KNO,NA,WG0,WG1) Values('003','李四','','')"});
  auto dlg = Open();
  QObject timers;
  OnModalOf(&timers, 952, [](QWidget* picker) { static_cast<QDialog*>(picker)->reject(); });
  Click(dlg.get(), CTsReportQueryDlg::kPickFarmer);
  EXPECT_EQ(Control<QLineEdit>(dlg.get(), CTsReportQueryDlg::kFarmerFilter)->text().toStdString(),
            "01");
  EXPECT_EQ(Focused(*dlg), IdName(CTsReportQueryDlg::kFarmerFilter));
  OnModalOf(&timers, 956, [](QWidget* picker) {
    static_cast<CTsRecordDirDlg*>(picker)->SelectCode("003");
    Press(picker, SM_ID_OK);
  });
  Click(dlg.get(), CTsReportQueryDlg::kPickTransporter);
  EXPECT_EQ(
      Control<QLineEdit>(dlg.get(), CTsReportQueryDlg::kTransporterFilter)->text().toStdString(),
      "003");
  EXPECT_EQ(Focused(*dlg), IdName(CTsReportQueryDlg::kTransporterFilter));
}

// The fields Tab visits in turn, by object name.
std::vector<std::string> TabStops(QWidget& dlg) {
  std::vector<std::string> names;
  for (QWidget* w = dlg.nextInFocusChain(); w != &dlg; w = w->nextInFocusChain()) {
    if (w->isVisibleTo(&dlg) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
      names.push_back(w->objectName().toStdString());
  }
  return names;
}

TEST_P(TsReportQueryDlgTest, TabReachesEveryOptionBeforeOkAndCancel) {
  const std::string operators[2] = {"102", ""};
  const std::string filters[4] = {"01", "", "", ""};
  const std::string range[2] = {"", ""};
  struct Case {
    std::function<std::unique_ptr<CTsReportQueryDlg>()> make;
    int lastOption;
  };
  const Case cases[] = {
      {[&] { return Open(); }, CTsReportQueryDlg::kRangeTo},
      {[&] {
         return std::make_unique<CTsReportQueryDlg5>(&m_db, "甘蔗收购日报表", "20160310", operators,
                                                     filters, 0, 2, 1, 0, range);
       },
       CTsReportQueryDlg5::kRangeTo},
      {[&] {
         return std::make_unique<CTsReportQueryDlg2>(&m_db, "甘蔗结算统计表", "20151101",
                                                     "20161031", operators, filters, 0, 2, 1, 0);
       },
       CTsReportQueryDlg2::kUnpaidOnly},
      {[&] {
         return std::make_unique<CTsReportQueryDlg3>(&m_db, "未结蔗款统计表", "20160310", "", 0, 2,
                                                     1, std::array<int, kTsItemGroups>{}, 0, 100);
       },
       CTsReportQueryDlg3::kCashPercent},
      {[&] {
         return std::make_unique<CTsReportQueryDlg4>(&m_db, "农户预付款余额及发生额表", "20151101",
                                                     "20161031", "", 0, 2, 1, 2, 0, 0);
       },
       CTsReportQueryDlg4::kIncludeUnreviewed},
      {[&] {
         return std::make_unique<CTsReportQueryDlg8>(&m_db, "银行代付蔗款报表", "20151101",
                                                     "20161031", 0, operators, "", 2);
       },
       CTsReportQueryDlg8::kBatchList},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CTsReportQueryDlg> dlg = c.make();
    dlg->show();
    const std::vector<std::string> stops = TabStops(*dlg);
    SCOPED_TRACE(dlg->objectName().toStdString());
    ASSERT_GE(stops.size(), 3u);
    EXPECT_EQ(stops.front(), IdName(CTsReportQueryDlg::kDateFrom));
    EXPECT_EQ(
        std::vector<std::string>(stops.end() - 3, stops.end()),
        (std::vector<std::string>{IdName(c.lastOption), IdName(SM_ID_OK), IdName(SM_ID_CANCEL)}));
  }
}

TEST_P(TsReportQueryDlgTest, DailyReportReachesEachFilterByItsDigit) {
  const std::string operators[2] = {"102", ""};
  const std::string filters[4] = {"01", "", "", ""};
  const std::string range[2] = {"", ""};
  CTsReportQueryDlg5 dlg(&m_db, "甘蔗收购日报表", "20160310", operators, filters, 0, 2, 1, 0,
                         range);
  dlg.show();
  dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  using D = CTsReportQueryDlg5;
  const std::pair<Qt::Key, int> cases[] = {
      {Qt::Key_1, D::kFarmerFilter}, {Qt::Key_2, D::kTransporterFilter},
      {Qt::Key_3, D::kPlaceFilter},  {Qt::Key_4, D::kVarietyFilter},
      {Qt::Key_T, D::kRangeFrom},    {Qt::Key_B, D::kDateFrom},
  };
  for (const auto& [key, field] : cases) {
    QTest::keyClick(dlg.focusWidget(), key, Qt::AltModifier);
    EXPECT_EQ(Focused(dlg), IdName(field)) << QKeySequence(key).toString().toStdString();
  }
}
