// The form page setup: the checks of its values, the spin limits, landscape and region fonts.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>

#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"
#include "ui/SmPageSetupDlg.h"

namespace {

// Width, length, spacing, header, footer, left, right.
void Type(CSmPageSetupDlg& dlg, const std::array<const char*, 7>& texts) {
  const int ids[] = {CSmPageSetupDlg::kWidthEdit,   CSmPageSetupDlg::kLengthEdit,
                     CSmPageSetupDlg::kSpacingEdit, CSmPageSetupDlg::kHeaderEdit,
                     CSmPageSetupDlg::kFooterEdit,  CSmPageSetupDlg::kLeftEdit,
                     CSmPageSetupDlg::kRightEdit};
  for (int i = 0; i < 7; ++i) {
    static_cast<QLineEdit*>(dlg.Control(ids[i]))->setText(QString::fromUtf8(texts[i]));
  }
}

QString Text(CSmPageSetupDlg& dlg, int id) {
  return static_cast<QLineEdit*>(dlg.Control(id))->text();
}

}  // namespace

TEST(PageSetupDlg, ValuesAreCheckedInOrder) {
  const char* const kWidthMessage = "无效的页面宽度，\r\r输入另一个数。";
  const char* const kNoLength =
      "所给页面除去页头和页脚长度已没有打印区域，\r\r请重新调整页长、页头和页脚之间的长度。";
  const char* const kNoWidth =
      "所给页面除去左右边距外，已没有打印区域，\r\r请重新调整页宽、页左边距和页右边距之间的长度。";
  struct Case {
    std::array<const char*, 7> texts;
    const char* message;  // null: accepted
    int focus;
  } cases[] = {
      {{"9.9", "297", "5", "20", "20", "20", "20"}, kWidthMessage, CSmPageSetupDlg::kWidthEdit},
      {{"1000", "297", "5", "20", "20", "20", "20"}, kWidthMessage, CSmPageSetupDlg::kWidthEdit},
      {{"1,5", "297", "5", "20", "20", "20", "20"}, kWidthMessage, CSmPageSetupDlg::kWidthEdit},
      {{"", "297", "5", "20", "20", "20", "20"}, kWidthMessage, CSmPageSetupDlg::kWidthEdit},
      {{"80", "-3", "5", "20", "20", "10", "10"},
       "无效的页面长度，\r\r输入另一个数。",
       CSmPageSetupDlg::kLengthEdit},
      {{"80", "297", "0", "20", "20", "10", "10"},
       "打印行间距无效，\r\r输入另一个数。",
       CSmPageSetupDlg::kSpacingEdit},
      {{"80", "100", "5", "100", "0", "10", "10"},
       "无效的页头长度，\r\r输入另一个数。",
       CSmPageSetupDlg::kHeaderEdit},
      {{"80", "100", "5", "50", "41", "10", "10"}, kNoLength, CSmPageSetupDlg::kFooterEdit},
      {{"80", "100", "5", "50", "x", "10", "10"}, kNoLength, CSmPageSetupDlg::kFooterEdit},
      {{"80", "100", "5", "50", "40", "81", "10"},
       "无效的页左边距，\r\r输入另一个数。",
       CSmPageSetupDlg::kLeftEdit},
      {{"80", "100", "5", "50", "40", "10", "80.1"},
       "无效的页右边距，\r\r输入另一个数。",
       CSmPageSetupDlg::kRightEdit},
      {{"100", "100", "5", "50", "40", "25", "25.1"}, kNoWidth, CSmPageSetupDlg::kWidthEdit},
      {{"100", "100", "5", "50", "40", "25", "25"}, nullptr, 0},
      {{"10", "100", "5", "50", "40", "0", "0"},
       kNoWidth,
       CSmPageSetupDlg::kWidthEdit},  // 10 passes the width check
  };
  for (const Case& c : cases) {
    SmResetMessages();
    CSmPrintInfo info;
    const CSmPrintInfo before = info;
    CSmPageSetupDlg dlg(&info, 1);
    dlg.show();
    Type(dlg, c.texts);
    dlg.OnCommand(SM_ID_OK);
    const auto& shown = CSmMessageService::Instance().Shown();
    if (!c.message) {
      EXPECT_TRUE(shown.empty()) << c.texts[0] << " " << shown.front().text;
      EXPECT_EQ(dlg.result(), QDialog::Accepted);
      continue;
    }
    ASSERT_EQ(shown.size(), 1u) << c.texts[0];
    EXPECT_EQ(shown.front().text, c.message) << c.texts[0];
    EXPECT_EQ(shown.front().caption, "Vornel软件-页面设置");
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_NE(dlg.focusWidget(), nullptr);
    EXPECT_EQ(dlg.focusWidget()->objectName().toInt(), c.focus) << c.message;
    EXPECT_TRUE(info == before);
  }
}

TEST(PageSetupDlg, LandscapeIsStoredExchangedAndShownAsTyped) {
  CSmPrintInfo info;
  {
    CSmPageSetupDlg dlg(&info, 1);
    Type(dlg, {"210", "297", "2.3", "20", "20", "20", "20"});
    static_cast<QRadioButton*>(dlg.Control(CSmPageSetupDlg::kLandscape))->setChecked(true);
    dlg.OnCommand(SM_ID_OK);
  }
  EXPECT_EQ(info.PageCopies, 0);
  EXPECT_EQ(info.PageWidth, 2970);
  EXPECT_EQ(info.PageLength, 2100);
  EXPECT_EQ(info.PageRow, 23);  // not 22 from 2.3 x 10 in binary
  CSmPageSetupDlg again(&info, 1);
  EXPECT_EQ(Text(again, CSmPageSetupDlg::kWidthEdit), "210.0");
  EXPECT_EQ(Text(again, CSmPageSetupDlg::kLengthEdit), "297.0");
  EXPECT_TRUE(static_cast<QRadioButton*>(again.Control(CSmPageSetupDlg::kLandscape))->isChecked());
}

TEST(PageSetupDlg, SpinButtonsStopAtTheirLimits) {
  CSmPrintInfo info;
  CSmPageSetupDlg dlg(&info, 1);
  // Down is allowed while nothing is negative yet.
  Type(dlg, {"40.0", "100", "5", "50", "45.1", "0", "40"});
  EXPECT_TRUE(dlg.Step(CSmPageSetupDlg::kWidth, false));
  EXPECT_EQ(Text(dlg, CSmPageSetupDlg::kWidthEdit), "39.9");
  EXPECT_FALSE(dlg.Step(CSmPageSetupDlg::kWidth, false));
  EXPECT_EQ(Text(dlg, CSmPageSetupDlg::kWidthEdit), "39.9");
  EXPECT_FALSE(dlg.Step(CSmPageSetupDlg::kLeft, false));   // at 0
  EXPECT_FALSE(dlg.Step(CSmPageSetupDlg::kFooter, true));  // no printable length left
  EXPECT_TRUE(dlg.Step(CSmPageSetupDlg::kHeader, false));
  EXPECT_EQ(Text(dlg, CSmPageSetupDlg::kHeaderEdit), "49.9");
}

TEST(PageSetupDlg, RegionFontsAreListedWithTheirColourNames) {
  CSmPrintInfo info;
  CSmPageSetupDlg dlg(&info, 1);
  SmLogFont font = info.m_fonts[2];
  font.faceName = "黑体";
  font.weight = 700;
  font.italic = true;
  font.height = -16;
  font.underline = true;
  dlg.TakeFont(2, font, 0x008080);
  QTreeWidgetItem* row = dlg.FontList()->topLevelItem(2);
  ASSERT_NE(row, nullptr);
  const char* const expected[] = {"正文", "黑体", "粗斜", "16", "×", "√", "橄榄色"};
  for (int c = 0; c < 7; ++c) EXPECT_EQ(row->text(c).toStdString(), expected[c]) << c;
  EXPECT_TRUE(row->isSelected());
  EXPECT_EQ(info.TextColor, 0x008080u);
  EXPECT_EQ(SmColorName(0x123456), "自定义色");
  EXPECT_FALSE(dlg.FontList()->IsCommandAvailable(SM_ID_LIST_ADD));
}
