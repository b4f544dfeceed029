// The report's page setup dialog: units, orientation, the information lines, the break lists
// and the checks before OK.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <vector>

#include "designer/RiloPageSetupDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmModalScript.h"
#include "tests/designer/rilo_view_fixture.h"

namespace {

class RiloPageSetupTest : public RiloViewTest {
 protected:
  CRiloData& S() { return m_doc->m_sheet; }
  bool RunWith(std::function<void(QWidget*)> action) {
    CModalScript script;
    script.Then(831, std::move(action));
    m_view->OnCommand(SM_ID_FILE_PAGE_SETUP);
    return script.Done();
  }
  static QString Text(QWidget* dlg, int id) { return Find<QLineEdit>(dlg, id)->text(); }
  static void Select(QWidget* dlg, int list, const std::vector<int>& rows) {
    for (const int row : rows) Find<QListWidget>(dlg, list)->item(row)->setSelected(true);
  }
};

}  // namespace

TEST_F(RiloPageSetupTest, UnitsGoToCentimetresAndBackToTheSameTexts) {
  CRiloData sheet = Sheet(4, 4);
  sheet.m_margins = {123, 250, 205, 200};
  CRiloPageSetupDlg dlg(RiloPageSettings(sheet), sheet.m_rowHeights, sheet.m_colWidths);
  using D = CRiloPageSetupDlg;
  const std::vector<int> ids{D::kPaperWidth,   D::kPaperLength, D::kTopMargin,
                             D::kBottomMargin, D::kLeftMargin,  D::kRightMargin};
  std::vector<QString> before;
  for (const int id : ids) before.push_back(Text(&dlg, id));
  EXPECT_EQ(before, (std::vector<QString>{"210.00", "297.00", "25.00", "20.00", "12.30", "20.50"}));
  Find<QRadioButton>(&dlg, CRiloPageSetupDlg::kCentimetres)->click();
  EXPECT_EQ(Text(&dlg, CRiloPageSetupDlg::kPaperWidth), "21.00");
  EXPECT_EQ(Text(&dlg, CRiloPageSetupDlg::kLeftMargin), "1.23");
  Find<QRadioButton>(&dlg, CRiloPageSetupDlg::kCentimetres)
      ->click();  // the unit already shown: nothing moves
  EXPECT_EQ(Text(&dlg, CRiloPageSetupDlg::kPaperWidth), "21.00");
  Find<QRadioButton>(&dlg, CRiloPageSetupDlg::kMillimetres)->click();
  for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(Text(&dlg, ids[i]), before[i]) << ids[i];
}

TEST_F(RiloPageSetupTest, WidthLineAndSpinsFollowTheValues) {
  CRiloData sheet = Sheet(3, 4);
  sheet.m_colWidths = {500, 500, 500};
  CRiloPageSetupDlg dlg(RiloPageSettings(sheet), sheet.m_rowHeights, sheet.m_colWidths);
  EXPECT_EQ(Find<QLabel>(&dlg, CRiloPageSetupDlg::kWidthLine)->text(), "表宽+左右边距=19.0(厘米)");
  EXPECT_EQ(Find<QLabel>(&dlg, CRiloPageSetupDlg::kLengthLine)->text(), "表长+上下边距=7.3(厘米)");
  EXPECT_TRUE(dlg.Step(CRiloPageSetupDlg::kLeftMarginSpin,
                       true));  // left margin up: the width line follows
  EXPECT_EQ(Text(&dlg, CRiloPageSetupDlg::kLeftMargin), "20.10");
  EXPECT_EQ(Find<QLabel>(&dlg, CRiloPageSetupDlg::kWidthLine)->text(), "表宽+左右边距=19.0(厘米)");
  EXPECT_TRUE(dlg.Step(CRiloPageSetupDlg::kLeftTitleSpin, false));  // fixed columns left 1 -> 0
  EXPECT_FALSE(dlg.Step(CRiloPageSetupDlg::kLeftTitleSpin, false));
  Type(&dlg, CRiloPageSetupDlg::kRightTitle, "3");
  EXPECT_FALSE(dlg.Step(CRiloPageSetupDlg::kLeftTitleSpin, true));  // 0 + 3 fills every column
  Type(&dlg, CRiloPageSetupDlg::kTopMargin, "0");
  EXPECT_FALSE(dlg.Step(CRiloPageSetupDlg::kTopMarginSpin, false));
}

TEST_F(RiloPageSetupTest, LandscapeShowsTheLongSideAsWidthAndStoresPortrait) {
  CRiloData sheet = Sheet(4, 6);
  sheet.m_pageFlags = 2;
  Open(sheet);
  const int changes = m_doc->m_changes[8];
  ASSERT_TRUE(RunWith([](QWidget* dlg) {
    EXPECT_EQ(Text(dlg, CRiloPageSetupDlg::kPaperWidth), "297.00");
    EXPECT_EQ(Text(dlg, CRiloPageSetupDlg::kPaperLength), "210.00");
    EXPECT_TRUE(Find<QRadioButton>(dlg, CRiloPageSetupDlg::kLandscape)->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(dlg, CRiloPageSetupDlg::kRowFirst)->isChecked());
    Press(dlg, SM_ID_OK);
  }));
  EXPECT_EQ(S().m_paper, (SmIntPair{2100, 2970}));
  EXPECT_EQ(S().m_pageFlags, 2);
  EXPECT_EQ(m_doc->m_changes[8], changes + 1);  // OK without a change still counts
  EXPECT_TRUE(m_doc->IsModified());

  ASSERT_TRUE(RunWith([](QWidget* dlg) {
    Find<QRadioButton>(dlg, CRiloPageSetupDlg::kPortrait)->click();
    Find<QRadioButton>(dlg, CRiloPageSetupDlg::kAcrossFirst)->click();
    Type(dlg, CRiloPageSetupDlg::kPaperWidth, "210");
    Type(dlg, CRiloPageSetupDlg::kPaperLength, "297");
    Find<QComboBox>(dlg, CRiloPageSetupDlg::kScale)->setCurrentIndex(8);
    Press(dlg, SM_ID_OK);
  }));
  EXPECT_EQ(S().m_pageFlags, 1);
  EXPECT_EQ(S().m_paper, (SmIntPair{2100, 2970}));
  EXPECT_EQ(S().m_printFactor, 50);
}

TEST_F(RiloPageSetupTest, EveryCheckShowsItsMessageAndFocus) {
  struct Case {
    std::function<void(QWidget*)> edit;
    const char* message;
    int focus;
  };
  const auto type = [](std::vector<std::pair<int, QString>> fields) {
    return [fields](QWidget* dlg) {
      for (const auto& [id, text] : fields) Type(dlg, id, text);
    };
  };
  // The rows are kept in a vector: an initializer list would outlive the array it refers to.
  const auto select = [](int list, std::vector<int> rows) {
    return [list, rows](QWidget* dlg) { Select(dlg, list, rows); };
  };
  const Case cases[] = {
      {type({{CRiloPageSetupDlg::kPaperWidth, "0"}}), "纸张宽度不合理！",
       CRiloPageSetupDlg::kPaperWidth},
      {type({{CRiloPageSetupDlg::kPaperLength, "0"}}), "纸张长度不合理！",
       CRiloPageSetupDlg::kPaperLength},
      {type({{CRiloPageSetupDlg::kTopMargin, "-1"}}), "页面上边距不合理！",
       CRiloPageSetupDlg::kTopMargin},
      {type({{CRiloPageSetupDlg::kBottomMargin, "-1"}}), "页面下边距不合理！",
       CRiloPageSetupDlg::kBottomMargin},
      {type({{CRiloPageSetupDlg::kLeftMargin, "-1"}}), "页面左边距不合理！",
       CRiloPageSetupDlg::kLeftMargin},
      {type({{CRiloPageSetupDlg::kRightMargin, "-1"}}), "页面右边距不合理！",
       CRiloPageSetupDlg::kRightMargin},
      {type({{CRiloPageSetupDlg::kLeftMargin, "150"}, {CRiloPageSetupDlg::kRightMargin, "100"}}),
       "纸张宽、页面左边距、右边距三个数字互相矛盾！", CRiloPageSetupDlg::kPaperWidth},
      {type({{CRiloPageSetupDlg::kTopMargin, "200"}, {CRiloPageSetupDlg::kBottomMargin, "100"}}),
       "纸张长、页面上边距、下边距三个数字互相矛盾！", CRiloPageSetupDlg::kPaperLength},
      {type({{CRiloPageSetupDlg::kTopTitle, "9"}}), "上边固定行数不合理！",
       CRiloPageSetupDlg::kTopTitle},
      {type({{CRiloPageSetupDlg::kBottomTitle, "-1"}}), "下边固定行数不合理！",
       CRiloPageSetupDlg::kBottomTitle},
      {type({{CRiloPageSetupDlg::kTopTitle, "5"}, {CRiloPageSetupDlg::kBottomTitle, "4"}}),
       "上边固定行数、下边固定行数、总行数三个数字互相矛盾！", CRiloPageSetupDlg::kTopTitle},
      {type({{CRiloPageSetupDlg::kLeftTitle, "7"}}), "左边固定栏数不合理！",
       CRiloPageSetupDlg::kLeftTitle},
      {type({{CRiloPageSetupDlg::kRightTitle, "-2"}}), "右边固定栏数不合理！",
       CRiloPageSetupDlg::kRightTitle},
      {type({{CRiloPageSetupDlg::kLeftTitle, "4"}, {CRiloPageSetupDlg::kRightTitle, "3"}}),
       "左边固定栏数、右边固定栏数、总栏数三个数字互相矛盾！", CRiloPageSetupDlg::kLeftTitle},
      {select(CRiloPageSetupDlg::kRowBreaks, {2, 3}), "行分页线不能连续！",
       CRiloPageSetupDlg::kRowBreaks},
      {select(CRiloPageSetupDlg::kColumnBreaks, {2, 3}), "栏分页线不能连续！",
       CRiloPageSetupDlg::kColumnBreaks},
      {select(CRiloPageSetupDlg::kRowBreaks, {1}), "上边固定参照行不能选为行分页线！",
       CRiloPageSetupDlg::kRowBreaks},
      {select(CRiloPageSetupDlg::kRowBreaks, {7}), "下边固定参照行不能选为行分页线！",
       CRiloPageSetupDlg::kRowBreaks},
      {select(CRiloPageSetupDlg::kColumnBreaks, {0}), "左边固定参照栏不能选为栏分页线！",
       CRiloPageSetupDlg::kColumnBreaks},
      {select(CRiloPageSetupDlg::kColumnBreaks, {5}), "右边固定参照栏不能选为栏分页线！",
       CRiloPageSetupDlg::kColumnBreaks},
  };
  Open(Sheet(6, 8));
  const CRiloData before = S();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    SmResetMessages();
    ASSERT_TRUE(RunWith([&](QWidget* dlg) {
      c.edit(dlg);
      Press(dlg, SM_ID_OK);
      ASSERT_TRUE(dlg->isVisible());
      ASSERT_FALSE(CSmMessageService::Instance().Shown().empty());
      const SmShownMessage& shown = CSmMessageService::Instance().Shown().back();
      EXPECT_EQ(shown.text, c.message);
      EXPECT_EQ(shown.caption, "Vornel软件");
      EXPECT_EQ(dlg->focusWidget(), Find<QWidget>(dlg, c.focus));
      Press(dlg, SM_ID_CANCEL);
    }));
  }
  EXPECT_TRUE(S().IsPageEqual(before));
  EXPECT_TRUE(S().IsBreaksEqual(before));

  // Row 3 under two fixed top rows is a break; stored as its zero-based index.
  ASSERT_TRUE(RunWith([](QWidget* dlg) {
    Select(dlg, CRiloPageSetupDlg::kRowBreaks, {2});
    Select(dlg, CRiloPageSetupDlg::kColumnBreaks, {1, 3});
    Press(dlg, SM_ID_OK);
  }));
  EXPECT_EQ(S().m_rowBreaks, std::vector<int>{2});
  EXPECT_EQ(S().m_colBreaks, (std::vector<int>{1, 3}));
}

TEST_F(RiloPageSetupTest, CtrlArrowTogglesTheItemUnderTheCaret) {
  CRiloData sheet = Sheet(4, 6);
  sheet.m_rowBreaks = {3};
  CRiloPageSetupDlg dlg(RiloPageSettings(sheet), sheet.m_rowHeights, sheet.m_colWidths);
  dlg.show();
  auto* list = Find<QListWidget>(&dlg, CRiloPageSetupDlg::kRowBreaks);
  EXPECT_TRUE(list->item(3)->isSelected());
  list->setFocus();
  QApplication::processEvents();
  list->setCurrentRow(3, QItemSelectionModel::NoUpdate);
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::ControlModifier);
  QApplication::sendEvent(list, &down);
  EXPECT_FALSE(list->item(3)->isSelected());
  EXPECT_EQ(list->currentRow(), 4);
  QApplication::sendEvent(list, &down);
  EXPECT_TRUE(list->item(4)->isSelected());
  EXPECT_FALSE(list->item(5)->isSelected());
}
