// The open dialog of the cane documents: the working date checked against the business and
// the cane year, the controls and title of each mode and party, and the voucher checks on OK.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "cane/TsParams.h"
#include "platform/SmCommandIds.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmDialogChecks.h"
#include "tests/common/SmModalScript.h"
#include "weighing/TsSheetOpenDlg.h"

namespace {

std::string Title(const QWidget& dlg) {
  return dlg.windowTitle().toStdString();
}

}  // namespace

// The business year comes from the application's connection: 2016, cane year
// 20151101-20161031.
class TsSheetOpenDlgTest : public TsAppConnected<TsFileTest> {
 protected:
  void SetUp() override {
    TsAppConnected::SetUp();
    if (HasFatalFailure()) return;
    Run({"Insert Into NHDir(KNO,NA) Values('101','一乡')",
         "Insert Into NHDir(KNO,NA) Values('10102','二村')",
         "Insert Into NHDir(KNO,NA) Values('10102001','张三')",
         "Insert Into NHDir(KNO,NA) Values('10102002','李四')"});
  }

  std::unique_ptr<CTsSheetOpenDlg> Open(int mode, int party = 0,
                                        const std::string& date = "20160315") {
    auto dlg = std::make_unique<CTsSheetOpenDlg>(date, nullptr, &m_db);
    dlg->m_mode = mode;
    dlg->m_party = party;
    dlg->show();
    return dlg;
  }
};

INSTANTIATE_TEST_SUITE_P(DataFile, TsSheetOpenDlgTest, testing::Values(0));

TEST_P(TsSheetOpenDlgTest, WorkingDateWithinTheBusinessAndTheCaneYear) {
  // The refusal says which days the year holds.
  const char* const kOutOfYear = "时间不在此蔗年内！\n本蔗年：2015年11月01日～2016年10月31日";
  struct Case {
    const char* y;
    const char* m;
    const char* d;
    const char* message;  // empty: accepted
    int focus;
  };
  const Case cases[] = {
      {"2018", "01", "01", "年度不合理！", CTsSheetOpenDlg::kYear},
      {"2016", "13", "01", "月份不合理！", CTsSheetOpenDlg::kMonth},
      {"2016", "02", "31", "日期不合理！", CTsSheetOpenDlg::kDay},
      {"2015", "03", "01", kOutOfYear, CTsSheetOpenDlg::kYear},
      {"2015", "10", "31", kOutOfYear, CTsSheetOpenDlg::kYear},
      {"2016", "11", "01", kOutOfYear, CTsSheetOpenDlg::kYear},
      {"2016", "12", "31", kOutOfYear, CTsSheetOpenDlg::kYear},
      {"2016", "02", "29", "", 0},
      {"2015", "11", "01", "", 0},
      {"2015", "12", "31", "", 0},
      {"2016", "10", "31", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.y) + c.m + c.d);
    auto dlg = Open(-1);
    TypeDate(dlg.get(), CTsSheetOpenDlg::kYear, c.y, c.m, c.d);
    const auto [message, closed] = Confirm(*dlg);
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(closed, *c.message == '\0');
    if (*c.message) {
      EXPECT_EQ(Focused(*dlg), IdName(c.focus));
      EXPECT_EQ(dlg->m_date, "20160315");
    } else {
      EXPECT_EQ(dlg->m_date, std::string(c.y) + c.m + c.d);
    }
  }
}

// A date the dialogs propose lies in the cane year: the day itself, else the nearer end.
TEST_P(TsSheetOpenDlgTest, TheNearestDayOfTheCaneYear) {
  const std::pair<const char*, const char*> cases[] = {
      {"20000101", "20151101"}, {"20151031", "20151101"}, {"20151101", "20151101"},
      {"20151231", "20151231"}, {"20160615", "20160615"}, {"20161031", "20161031"},
      {"20161101", "20161031"}, {"20161231", "20161031"}, {"", "20151101"},
  };
  for (const auto& [day, nearest] : cases) EXPECT_EQ(TsNearestYearDay(day), nearest) << day;
}

TEST_P(TsSheetOpenDlgTest, TitleFollowsModeAndParty) {
  const std::tuple<int, int, const char*> cases[] = {
      {-1, 0, "过磅"},
      {0, 0, "蔗款结算"},
      {0, 1, "运费结算"},
      {1, 0, "农户退预付款"},
      {1, 1, "运户退预付款"},
      {2, 1, "预付运户款"},
      {3, 0, "委托代扣农户款"},
      {4, 1, "运户预付款计息"},
      {5, 1, "甘蔗种植面积预估"},
      {6, 0, "甘蔗种植产量预估"},
  };
  for (const auto& [mode, party, title] : cases) {
    auto dlg = Open(mode, party);
    EXPECT_EQ(Title(*dlg), title) << mode << "/" << party;
  }
  // The weighing and settlement cards offer only the date: the dialog ends below Cancel.
  const int weighing = Open(-1)->height();
  const int advance = Open(2)->height();
  const int interest = Open(4)->height();
  EXPECT_LT(weighing, advance);
  EXPECT_LT(advance, interest);
  // Below the last control, a control either shows whole or not at all (the kind group of
  // the cards' date dialog too).
  for (int mode = -1; mode <= 6; ++mode) {
    auto dlg = Open(mode);
    QWidget* page = dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).value(0);
    ASSERT_NE(page, nullptr);
    for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (!child->isVisibleTo(dlg.get())) continue;
      const QRect place(child->mapTo(dlg.get(), QPoint(0, 0)), child->size());
      EXPECT_TRUE(place.bottom() < dlg->height() || place.top() >= dlg->height())
          << mode << " " << child->metaObject()->className() << " " << place.top() << "-"
          << place.bottom() << " cut at " << dlg->height();
    }
  }
}

TEST_P(TsSheetOpenDlgTest, EstimatesTurnThePartyToFarmer) {
  auto dlg = Open(1, 1);
  EXPECT_TRUE(Find<QAbstractButton>(dlg.get(), CTsSheetOpenDlg::kTransporter)->isChecked());
  EXPECT_TRUE(Find<QAbstractButton>(dlg.get(), CTsSheetOpenDlg::kTransporter)->isEnabled());
  EXPECT_FALSE(Find<QWidget>(dlg.get(), CTsSheetOpenDlg::kRegion)
                   ->isVisible());  // the region is the farmers'
  Find<QAbstractButton>(dlg.get(), CTsSheetOpenDlg::kKindArea)->click();  // "&5.面积"
  EXPECT_EQ(dlg->m_mode, 5);
  EXPECT_EQ(dlg->m_party, 0);
  EXPECT_TRUE(Find<QAbstractButton>(dlg.get(), CTsSheetOpenDlg::kFarmer)->isChecked());
  EXPECT_FALSE(Find<QAbstractButton>(dlg.get(), CTsSheetOpenDlg::kFarmer)->isEnabled());
  EXPECT_FALSE(Find<QAbstractButton>(dlg.get(), CTsSheetOpenDlg::kTransporter)->isEnabled());
  EXPECT_FALSE(Find<QWidget>(dlg.get(), CTsSheetOpenDlg::kItems)->isEnabled());
  EXPECT_TRUE(Find<QWidget>(dlg.get(), CTsSheetOpenDlg::kRegion)->isVisible());
  EXPECT_EQ(Title(*dlg), "甘蔗种植面积预估");

  Find<QAbstractButton>(dlg.get(), CTsSheetOpenDlg::kKindEstimate)
      ->click();  // "&6.估产": output per mu
  QWidget* perTon = Find<QWidget>(dlg.get(), CTsSheetOpenDlg::kPerTon);
  EXPECT_TRUE(perTon->isVisible());
  QLabel* label = nullptr;
  for (QLabel* l : dlg->findChildren<QLabel*>()) {
    if (l->buddy() == perTon) label = l;
  }
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text().toStdString(), "&L.按预估面积(吨／亩)：");
  EXPECT_FALSE(Find<QWidget>(dlg.get(), CTsSheetOpenDlg::kTotalFrom)->isVisible());
  Find<QAbstractButton>(dlg.get(), CTsSheetOpenDlg::kKindPayment)
      ->click();  // "&2.付款": the advance limits
  EXPECT_EQ(label->text().toStdString(), "&L.按估产预付(元／吨)：");
  EXPECT_TRUE(Find<QWidget>(dlg.get(), CTsSheetOpenDlg::kTotalFrom)->isVisible());
  EXPECT_TRUE(Find<QWidget>(dlg.get(), CTsSheetOpenDlg::kTransporter)->isEnabled());
  EXPECT_FALSE(
      Find<QWidget>(dlg.get(), CTsSheetOpenDlg::kRate)->isEnabled());  // interest only in mode 4

  // A caller that fixes the kind: no radio can be changed.
  auto fixed = std::make_unique<CTsSheetOpenDlg>("20161203", nullptr, &m_db);
  fixed->m_mode = 2;
  fixed->m_kindChoosable = 0;
  fixed->show();
  EXPECT_FALSE(Find<QWidget>(fixed.get(), CTsSheetOpenDlg::kKindPayment)->isEnabled());
  EXPECT_FALSE(Find<QWidget>(fixed.get(), CTsSheetOpenDlg::kTransporter)->isEnabled());
  EXPECT_FALSE(Find<QWidget>(fixed.get(), CTsSheetOpenDlg::kRegion)->isEnabled());
}

TEST_P(TsSheetOpenDlgTest, RegionMustNotBeOneFarmer) {
  const std::pair<const char*, const char*> cases[] = {
      {"10102001", "未选择一个有效区域！"}, {"10102", ""}, {"999", ""}, {"", ""}};
  for (const auto& [region, message] : cases) {
    auto dlg = Open(2);
    Type(dlg.get(), CTsSheetOpenDlg::kRegion, region);
    const auto [shown, closed] = Confirm(*dlg);
    EXPECT_EQ(shown, message) << region;
    EXPECT_EQ(closed, *message == '\0') << region;
    EXPECT_EQ(closed ? dlg->m_region : Focused(*dlg),
              closed ? region : IdName(CTsSheetOpenDlg::kRegion));
  }
}

TEST_P(TsSheetOpenDlgTest, MoneyItemOfTheKindMustBeChosen) {
  // Advances of farmers: four items; the chosen index comes back.
  auto advance = Open(2);
  auto* items = Find<QComboBox>(advance.get(), CTsSheetOpenDlg::kItems);
  ASSERT_EQ(items->count(), 4);
  EXPECT_EQ(items->itemText(0).toStdString(), "预付款");
  items->setCurrentIndex(2);
  EXPECT_EQ(Confirm(*advance), std::make_pair(std::string(), true));
  EXPECT_EQ(advance->m_item, 2);

  // Withholdings of transport households: their own list.
  auto withholding = Open(3, 1);
  EXPECT_EQ(Find<QComboBox>(withholding.get(), CTsSheetOpenDlg::kItems)->itemText(1).toStdString(),
            "修车费");
  Find<QComboBox>(withholding.get(), CTsSheetOpenDlg::kItems)->setCurrentIndex(-1);
  EXPECT_EQ(Confirm(*withholding).first, "未选择预付或代扣款项目！");
  EXPECT_EQ(Focused(*withholding), IdName(CTsSheetOpenDlg::kItems));

  // Farmers without a withholding item.
  m_type->m_strParams[10].clear();
  m_type->BuildItemTables();
  auto none = Open(3);
  EXPECT_FALSE(Find<QWidget>(none.get(), CTsSheetOpenDlg::kItems)->isEnabled());
  EXPECT_EQ(Confirm(*none), std::make_pair(std::string("无此类预付或代扣款项目！"), false));
}

TEST_P(TsSheetOpenDlgTest, InterestPeriodAndTotalsOnOk) {
  auto dlg = Open(4);
  Type(dlg.get(), CTsSheetOpenDlg::kRate, "2.5");
  TypeDate(dlg.get(), CTsSheetOpenDlg::kInterestFrom, "2016", "03", "01");
  TypeDate(dlg.get(), CTsSheetOpenDlg::kInterestTo, "2016", "02", "01");
  EXPECT_EQ(Confirm(*dlg), std::make_pair(std::string("计息起止时间颠倒！"), false));
  TypeDate(dlg.get(), CTsSheetOpenDlg::kInterestFrom, "2027", "01", "01");
  EXPECT_EQ(Confirm(*dlg).first, "年度不合理！");
  EXPECT_EQ(Focused(*dlg), IdName(CTsSheetOpenDlg::kInterestFrom));
  TypeDate(dlg.get(), CTsSheetOpenDlg::kInterestFrom, "2006", "01",
           "01");  // ten years back is still allowed
  Type(dlg.get(), CTsSheetOpenDlg::kTotalFrom, "-300");
  Type(dlg.get(), CTsSheetOpenDlg::kTotalTo, "100.5");
  EXPECT_EQ(Confirm(*dlg), std::make_pair(std::string(), true));
  EXPECT_EQ(dlg->m_interestFrom, "20060101");
  EXPECT_EQ(dlg->m_interestTo, "20160201");
  EXPECT_DOUBLE_EQ(dlg->m_dailyRate, 2.5);
  EXPECT_EQ(dlg->m_totalFrom, "100.50");
  EXPECT_EQ(dlg->m_totalTo, "300.00");

  // The limits of an advance, where they are shown, are taken the same way.
  auto advance = Open(2);
  Type(advance.get(), CTsSheetOpenDlg::kTotalFrom, "500");
  Type(advance.get(), CTsSheetOpenDlg::kTotalTo, "-100");
  Type(advance.get(), CTsSheetOpenDlg::kPerTon, "80");
  EXPECT_EQ(Confirm(*advance), std::make_pair(std::string(), true));
  EXPECT_EQ(advance->m_totalFrom, "100.00");
  EXPECT_EQ(advance->m_totalTo, "500.00");
  EXPECT_DOUBLE_EQ(advance->m_advancePerTon, 80);
}

TEST_P(TsSheetOpenDlgTest, CancelKeepsTheCallersValues) {
  CTsSheetOpenDlg dlg("20161203", nullptr, &m_db);
  dlg.m_mode = 0;
  OnModalOf(&dlg, 960, [](QWidget* shown) {
    Type(shown, CTsSheetOpenDlg::kYear, "2015");
    Press(shown, SM_ID_CANCEL);
  });
  EXPECT_EQ(dlg.DoModal(), SM_IDCANCEL);
  EXPECT_EQ(dlg.m_date, "20161203");
}
