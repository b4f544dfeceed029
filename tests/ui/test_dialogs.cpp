#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "ui/SmCalcDlg.h"
#include "ui/SmEdit.h"
#include "ui/SmFindDlg.h"
#include "ui/SmProgressDlg.h"

namespace {
void SetExpression(CSmCalcDlg& calc, const char* expr) {
  static_cast<QLineEdit*>(calc.Control(CSmCalcDlg::kExpression))->setText(QString::fromUtf8(expr));
}
}  // namespace

TEST(CalcDlg, SendEndsWithTheResultOnlyWhenItEvaluates) {
  struct Case {
    const char* expr;
    bool sends;
    const char* result;
  } cases[] = {
      {"1+2*3", true, "7"},           {"(1.5+1)/4", true, "0.625"},  {"10/3", true, "3.333333"},
      {"1000*1000", true, "1000000"}, {"(1+2", false, "括号出错！"}, {"1/0", false, "除数为零！"},
  };
  for (const Case& c : cases) {
    CSmCalcDlg calc(true, "", nullptr);
    calc.show();
    SetExpression(calc, c.expr);
    calc.OnCommand(CSmCalcDlg::kSend);
    EXPECT_EQ(calc.isVisible(), !c.sends) << c.expr;
    if (c.sends) {
      EXPECT_EQ(calc.result(), QDialog::Accepted);
    }
    EXPECT_EQ(static_cast<QLineEdit*>(calc.Control(CSmCalcDlg::kResult))->text().toStdString(),
              c.result);
    EXPECT_EQ(calc.ResultText(), c.result);
  }
}

TEST(CalcDlg, WithoutSendingTheResultNeverGoesBack) {
  CSmCalcDlg calc(false, "", nullptr);
  calc.show();
  EXPECT_FALSE(calc.Control(CSmCalcDlg::kSend)->isEnabled());
  SetExpression(calc, "2+2");
  calc.OnCommand(CSmCalcDlg::kSend);
  EXPECT_TRUE(calc.isVisible());
  calc.OnCommand(CSmCalcDlg::kCompute);
  EXPECT_EQ(static_cast<QLineEdit*>(calc.Control(CSmCalcDlg::kResult))->text(), "4");
  calc.OnCommand(CSmCalcDlg::kClear);
  EXPECT_TRUE(static_cast<QLineEdit*>(calc.Control(CSmCalcDlg::kExpression))->text().isEmpty());
}

TEST(CalcDlg, F12InATypedFieldSendsTheValueIntoIt) {
  CSmEdit edit;
  edit.SetInputType("NUMBER", -1, 2);
  edit.setText("12.5");
  edit.show();
  std::string startExpression;
  QTimer::singleShot(0, [&] {
    auto* calc = qobject_cast<CSmCalcDlg*>(QApplication::activeModalWidget());
    if (!calc) return;
    startExpression =
        static_cast<QLineEdit*>(calc->Control(CSmCalcDlg::kExpression))->text().toStdString();
    SetExpression(*calc, "12.5*2+0.25");
    calc->OnCommand(CSmCalcDlg::kSend);
  });
  QKeyEvent f12(QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier);
  QApplication::sendEvent(&edit, &f12);
  EXPECT_EQ(startExpression, "12.5");
  EXPECT_EQ(edit.text(), "25.25");
}

TEST(ListFindDlg, HistoryKeepsAtMostFiftyEntriesPerOwnerCaption) {
  QWidget owner;
  owner.setWindowTitle("农户目录");
  const std::string key = "Software\\reduvor\\SmListCtrl\\农户目录";
  CSmRegKey().DeleteValues(SM_HKEY_CURRENT_USER, key);
  for (int i = 0; i < 52; ++i) {
    CSmListFindDlg dlg(1, &owner);
    dlg.show();
    EXPECT_EQ(dlg.HistoryKey(), key);
    static_cast<QComboBox*>(dlg.Control(CSmListFindDlg::kTextCombo))
        ->setEditText(QString("t%1").arg(i));
    dlg.OnCommand(SM_ID_OK);
    EXPECT_FALSE(dlg.isVisible());
  }
  CSmListFindDlg dlg(2, &owner);
  dlg.show();
  const std::vector<std::string> history = dlg.ReadHistory();
  ASSERT_EQ(history.size(), 50u);
  EXPECT_EQ(history.front(), "t0");
  EXPECT_EQ(history.back(), "t49");
  EXPECT_EQ(static_cast<QComboBox*>(dlg.Control(CSmListFindDlg::kTextCombo))->count(), 50);

  // An empty text keeps the dialog open.
  static_cast<QComboBox*>(dlg.Control(CSmListFindDlg::kTextCombo))->setEditText("");
  dlg.OnCommand(SM_ID_OK);
  EXPECT_TRUE(dlg.isVisible());
  CSmRegKey().DeleteValues(SM_HKEY_CURRENT_USER, key);
}

TEST(ListFindDlg, OwnerWithoutCaptionUsesTheCommonKey) {
  CSmListFindDlg dlg(0, nullptr);
  EXPECT_EQ(dlg.HistoryKey(), "Software\\reduvor\\SmListCtrl\\Vornel列表框");
  dlg.SetText("甘蔗");
  dlg.show();
  dlg.OnCommand(SM_ID_OK);
  EXPECT_EQ(dlg.ReadHistory().back(), "甘蔗");
  EXPECT_EQ(dlg.Text(), "甘蔗");
}

TEST(ProgressDlg, StepCountOfZeroAndTooManyStepsKeepTheBarFull) {
  CSmProgressDlg progress;
  ASSERT_TRUE(progress.Create(0));
  EXPECT_EQ(progress.Steps(), 1);
  progress.Show();
  EXPECT_EQ(progress.Percent(), 100);
  progress.Step();
  EXPECT_EQ(progress.Position(), 1);

  CSmProgressDlg four;
  four.Create(4);
  four.Show();
  EXPECT_EQ(four.Percent(), 25);
  for (int i = 0; i < 10; ++i) four.Step();
  EXPECT_EQ(four.Position(), 4);
  EXPECT_EQ(four.Percent(), 100);
  EXPECT_FALSE(four.grab().isNull());
  four.Hide();
  EXPECT_FALSE(four.isVisible());
}
