// The format dialogs of the report window driven through their controls: cell layout, table
// lines, row heights and column widths, and number formats.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "designer/RiloAlignDlg.h"
#include "designer/RiloLineDlg.h"
#include "designer/RiloNumFmtDlg.h"
#include "designer/RiloSizeDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmDialogChecks.h"
#include "tests/common/SmModalScript.h"
#include "tests/designer/rilo_view_fixture.h"

namespace {

class RiloFormatDlgTest : public RiloViewTest {
 protected:
  CRiloData& S() { return m_doc->m_sheet; }
  size_t Index(int column, int row) { return static_cast<size_t>(column + row * S().m_cols); }
  void SelectArea(int left, int top, int right, int bottom) {
    S().m_selectMode = 2;
    S().m_selectRect = {left, top, right, bottom};
  }
  // Runs the command with the action on its dialog; false when the dialog never showed.
  bool RunWith(int command, int dialog, std::function<void(QWidget*)> action) {
    CModalScript script;
    script.Then(dialog, std::move(action));
    m_view->OnCommand(command);
    return script.Done();
  }
  static bool Checked(QWidget* dlg, int id) { return Find<QRadioButton>(dlg, id)->isChecked(); }
};

TEST_F(RiloFormatDlgTest, AlignDialogKeepsAMixedVerticalCodeAndOffersNoSpanForCtrlAreas) {
  Open(Sheet(4, 4));
  S().m_layout3[Index(0, 0)] = {1, 0};
  S().m_layout3[Index(1, 0)] = {1, 2};
  SelectArea(0, 0, 1, 0);
  ASSERT_TRUE(RunWith(SM_ID_RILO_CELL_LAYOUT, 826, [](QWidget* dlg) {
    EXPECT_TRUE(Checked(dlg, CRiloAlignDlg::kRight));
    for (int id = CRiloAlignDlg::kMiddle; id <= CRiloAlignDlg::kSpanRows; ++id)
      EXPECT_FALSE(Checked(dlg, id)) << id;
    Find<QRadioButton>(dlg, CRiloAlignDlg::kCenter)->click();
    Press(dlg, SM_ID_OK);
  }));
  EXPECT_EQ(S().m_layout3[Index(0, 0)], SmIntPair(2, 0));
  EXPECT_EQ(S().m_layout3[Index(1, 0)], SmIntPair(2, 2));
  EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_FORMATS);

  S().m_areas = {{3, 3, 3, 3}};
  ASSERT_TRUE(RunWith(SM_ID_RILO_CELL_LAYOUT, 826, [](QWidget* dlg) {
    for (int id : {CRiloAlignDlg::kSpanLeft, CRiloAlignDlg::kSpanRight, CRiloAlignDlg::kSpanCenter,
                   CRiloAlignDlg::kSpanSpread, CRiloAlignDlg::kSpanRows})
      EXPECT_FALSE(Find<QRadioButton>(dlg, id)->isEnabled()) << id;
    EXPECT_TRUE(Find<QRadioButton>(dlg, CRiloAlignDlg::kSpread)->isEnabled());
    Press(dlg, SM_ID_CANCEL);
  }));
  // A span of a single cell opens with no horizontal choice; codes above 6 select kSpanSpread.
  CRiloAlignDlg single(6, false, 4, true, false);
  EXPECT_FALSE(Checked(&single, CRiloAlignDlg::kSpanCenter));
  EXPECT_TRUE(Checked(&single, CRiloAlignDlg::kSpanRows));
  CRiloAlignDlg wide(7, true, 1, true, false);
  EXPECT_TRUE(Checked(&wide, CRiloAlignDlg::kSpanSpread));
  EXPECT_TRUE(Checked(&wide, CRiloAlignDlg::kBottom));
}

TEST_F(RiloFormatDlgTest, LineDialogKeepsMixedAndInnerLinesAndACancelledBackground) {
  CRiloData sheet = Sheet(4, 4);
  sheet.m_lineStyles[static_cast<size_t>(2 + 1 * 5)].second =
      2;  // the top edge of (1,1)-(2,2) mixes
  Open(sheet);
  SelectArea(1, 1, 2, 2);
  ASSERT_TRUE(RunWith(SM_ID_RILO_LINES, 828, [](QWidget* dlg) {
    auto* lines = qobject_cast<CRiloLineDlg*>(dlg);
    EXPECT_EQ(lines->Side(), 0);
    EXPECT_TRUE(Checked(dlg, CRiloLineDlg::kKeepStyle));  // the mixed top edge
    Find<QRadioButton>(dlg, CRiloLineDlg::kBottomSide)->click();
    EXPECT_TRUE(Checked(dlg, CRiloLineDlg::kThinLine));
    Find<QRadioButton>(dlg, CRiloLineDlg::kThickLine)->click();  // a thick bottom edge
    lines->TakePopupResult(true, false, 0);                      // the background popup cancelled
    Press(dlg, SM_ID_OK);
  }));
  for (int c = 1; c <= 2; ++c) {
    EXPECT_EQ(S().m_lineStyles[static_cast<size_t>(c + 3 * 5)].second, 2) << c;
    EXPECT_EQ(S().m_lineStyles[static_cast<size_t>(c + 1 * 5)].second, c == 2 ? 2 : 1) << c;
  }
  EXPECT_EQ(S().m_backColors, sheet.m_backColors);
  ASSERT_EQ(m_doc->m_undo.size(), 1u);
  m_view->ApplyHistory(true);
  EXPECT_EQ(S().m_lineStyles, sheet.m_lineStyles);

  // A single cell: the inner lines start on "保持原状"; a picked background reaches the cell.
  S().m_selectMode = 0;
  S().m_currentCell = {0, 0};
  ASSERT_TRUE(RunWith(SM_ID_RILO_LINES, 828, [](QWidget* dlg) {
    Find<QRadioButton>(dlg, CRiloLineDlg::kInnerLines)->click();
    EXPECT_TRUE(Checked(dlg, CRiloLineDlg::kKeepStyle));
    qobject_cast<CRiloLineDlg*>(dlg)->TakePopupResult(true, true, kRed);
    Press(dlg, SM_ID_OK);
  }));
  EXPECT_EQ(S().m_backColors[0], kRed);
  EXPECT_EQ(S().m_backColors[1], kWhite);
  EXPECT_EQ(S().m_lineStyles, sheet.m_lineStyles);
}

TEST_F(RiloFormatDlgTest, SizeDialogChecksItsFieldsAndAppliesThePartsNotKept) {
  Open(Sheet(4, 4));
  SelectArea(1, 0, 2, 1);
  const auto widthOnly = [](const QString& width) {
    return [width](QWidget* dlg) {
      EXPECT_FALSE(Find<QCheckBox>(dlg, CRiloSizeDlg::kKeepHeights)->isChecked());
      Find<QCheckBox>(dlg, CRiloSizeDlg::kKeepHeights)->setChecked(true);
      EXPECT_FALSE(Find<QLineEdit>(dlg, CRiloSizeDlg::kFirstRow)->isEnabled());
      EXPECT_TRUE(Find<QLineEdit>(dlg, CRiloSizeDlg::kFirstRow)->text().isEmpty());
      Type(dlg, CRiloSizeDlg::kColumnWidth, width);
      Press(dlg, SM_ID_OK);
      if (QApplication::activeModalWidget() == dlg) Press(dlg, SM_ID_CANCEL);
    };
  };
  ASSERT_TRUE(RunWith(SM_ID_RILO_SIZES, 829, widthOnly("200.1")));
  EXPECT_TRUE(Shown("栏宽不合理！"));
  EXPECT_EQ(S().m_colWidths[1], 200);
  SmResetMessages();
  ASSERT_TRUE(RunWith(SM_ID_RILO_SIZES, 829, widthOnly("200.0")));
  EXPECT_FALSE(Shown("栏宽不合理！"));
  EXPECT_EQ(S().m_colWidths[1], 2000);
  EXPECT_EQ(S().m_colWidths[2], 2000);
  EXPECT_EQ(S().m_colWidths[3], 200);
  EXPECT_EQ(S().m_rowHeights[0], 70);
  EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_SIZES);
  m_view->ApplyHistory(true);
  EXPECT_EQ(S().m_colWidths[1], 200);

  struct Case {
    int field;
    QString value;
    bool keepWidths;
    const char* message;
    int focus;
  };
  const Case cases[] = {
      {CRiloSizeDlg::kLastRow, "9", false, "开始行或终止行不合理！", CRiloSizeDlg::kFirstRow},
      {CRiloSizeDlg::kLastColumn, "A", false, "开始栏或终止栏不合理！", CRiloSizeDlg::kFirstColumn},
      {CRiloSizeDlg::kRowHeight, "-1", false, "行高或栏宽不合理！", CRiloSizeDlg::kRowHeight},
      {CRiloSizeDlg::kRowHeight, "300", true, "行高不合理！", CRiloSizeDlg::kRowHeight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    SmResetMessages();
    SelectArea(1, 0, 2, 1);
    ASSERT_TRUE(RunWith(SM_ID_RILO_SIZES, 829, [&](QWidget* dlg) {
      if (c.keepWidths) Find<QCheckBox>(dlg, CRiloSizeDlg::kKeepWidths)->setChecked(true);
      Type(dlg, c.field, c.value);
      Press(dlg, SM_ID_OK);
      EXPECT_TRUE(Shown(c.message));
      EXPECT_EQ(ActiveFocus(dlg), Find<QLineEdit>(dlg, c.focus));
      Press(dlg, SM_ID_CANCEL);
    }));
  }
}

TEST_F(RiloFormatDlgTest, SizeSpinsStopAtTheirLimits) {
  SmRiloSizeRequest request;
  request.rect = {0, 0, 0, 0};
  request.width = 2000;
  request.height = 70;
  request.widths = {2000, 300};
  request.heights = {70, 70, 70};
  CRiloSizeDlg dialog(request);
  EXPECT_FALSE(dialog.Step(5, true));  // width 200.0
  EXPECT_TRUE(dialog.Step(5, false));
  EXPECT_EQ(Find<QLineEdit>(&dialog, CRiloSizeDlg::kColumnWidth)->text(), "199.9");
  EXPECT_FALSE(dialog.Step(0, false));  // row 1
  EXPECT_TRUE(dialog.Step(1, true));
  EXPECT_TRUE(dialog.Step(1, true));
  EXPECT_FALSE(dialog.Step(1, true));  // row 3 of 3
  EXPECT_TRUE(dialog.Step(4, true));
  EXPECT_EQ(Find<QLineEdit>(&dialog, CRiloSizeDlg::kLastColumn)->text(), "B");
  EXPECT_FALSE(dialog.Step(4, true));
}

TEST_F(RiloFormatDlgTest, NumberFormatPreviewSpinsAndKeptFormats) {
  EXPECT_EQ(CRiloNumFmtDlg::PreviewLines(2, 2, false),
            (std::vector<std::string>{"123 --> 123.00", "123.12-->123.12", "123.123-->123.12"}));
  EXPECT_EQ(CRiloNumFmtDlg::PreviewLines(0, 0, false),
            (std::vector<std::string>{"123 --> 123", "123.1 --> 123"}));
  EXPECT_EQ(CRiloNumFmtDlg::PreviewLines(1, 3, false).size(), 5u);
  CRiloNumFmtDlg dialog(2, 2, true);
  EXPECT_FALSE(dialog.Step(false, true));  // the minimum may not pass the maximum
  EXPECT_TRUE(dialog.Step(true, true));
  EXPECT_TRUE(dialog.Step(false, true));
  EXPECT_EQ(Find<QLineEdit>(&dialog, CRiloNumFmtDlg::kMinDecimals)->text(), "3 位小数");

  Open(Sheet(3, 3));
  S().m_numberFormats[0] = {0, 4};
  S().m_currentCell = {0, 0};
  SelectArea(0, 0, 1, 0);
  ASSERT_TRUE(RunWith(SM_ID_RILO_NUM_FORMAT, 833, [](QWidget* dlg) {
    EXPECT_TRUE(Find<QCheckBox>(dlg, CRiloNumFmtDlg::kKeepFormats)->isChecked());  // mixed formats
    EXPECT_FALSE(Find<QWidget>(dlg, CRiloNumFmtDlg::kMinSpin)->isEnabled());
    Press(dlg, SM_ID_OK);
  }));
  EXPECT_EQ(S().m_numberFormats[0], SmIntPair(0, 4));  // kept, not the current cell's pair
  EXPECT_TRUE(m_doc->m_undo.empty());

  ASSERT_TRUE(RunWith(SM_ID_RILO_NUM_FORMAT, 833, [](QWidget* dlg) {
    Find<QCheckBox>(dlg, CRiloNumFmtDlg::kKeepFormats)->setChecked(false);
    Find<QRadioButton>(dlg, CRiloNumFmtDlg::kText)->click();
    Press(dlg, SM_ID_OK);
  }));
  EXPECT_EQ(S().m_numberFormats[0], SmIntPair(-1, 0));
  EXPECT_EQ(S().m_numberFormats[1], SmIntPair(-1, 0));
  ASSERT_EQ(m_doc->m_undo.size(), 1u);
  // The same format again records nothing.
  SelectArea(0, 0, 1, 0);
  ASSERT_TRUE(RunWith(SM_ID_RILO_NUM_FORMAT, 833, [](QWidget* dlg) { Press(dlg, SM_ID_OK); }));
  EXPECT_EQ(m_doc->m_undo.size(), 1u);
  m_view->ApplyHistory(true);
  EXPECT_EQ(S().m_numberFormats[0], SmIntPair(0, 4));
  EXPECT_EQ(S().m_numberFormats[1], SmIntPair(2, 2));
}

}  // namespace
