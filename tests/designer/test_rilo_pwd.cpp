// The report password dialogs driven as a clerk would: asking for a password, setting the two
// passwords with the warning and the confirmation, and the confirmation's refusals.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>

#include "designer/RiloPwdDlg.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"
#include "tests/designer/rilo_pwd_script.h"

namespace {

std::vector<std::string> ShownTexts() {
  std::vector<std::string> texts;
  for (const SmShownMessage& m : CSmMessageService::Instance().Shown()) texts.push_back(m.text);
  return texts;
}

void PressEnter(QWidget* target) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
}

const std::string kWarning =
    "    设置了只读权限密码必须同时设置修改权密码。\r\r若您坚持不设置修改权限密码，则本系统自动为"
    "您设\r\r置修改权限密码与只读权限密码一样样。\r\r\r您愿意这样做吗？";
const std::string kRemember =
    "请牢记密码。存盘时，系统将提示“其他设置”已改变，\r\r您应确保其他设置被选中并存盘，否则设置"
    "无效。";

class RiloPwdTest : public testing::Test {
 protected:
  void SetUp() override { SmResetMessages(); }
};

TEST_F(RiloPwdTest, PasswordEntryWantsTheExactText) {
  CModalScript script;
  script.Then(835, [](QWidget* dlg) {
    EXPECT_EQ(Control<QLabel>(dlg, CRiloPwdDlg::kPrompt)->text().toStdString(), "“月报”有密码保护");
    EXPECT_EQ(dlg->windowTitle(), "密码");
    Press(dlg, SM_ID_OK);  // empty
  });
  script.Then(835, GivePassword("aBc"));
  script.Then(835, GivePassword("Abc"));
  CRiloPwdDlg dlg("月报", "Abc");
  EXPECT_EQ(dlg.DoModal(), SM_IDOK);
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"请输入密码以进行验证。密码应区分大小写字母。",
                                                    "输入的密码不正确。密码应区分大小写字母。"}));
  for (const SmShownMessage& m : CSmMessageService::Instance().Shown()) {
    EXPECT_EQ(m.caption, "Vornel软件");
    EXPECT_EQ(m.flags & 0xF0, SM_MB_ICONERROR);
  }
  // The edit takes letters and digits only.
  auto* edit = Control<QLineEdit>(&dlg, CRiloPwdDlg::kPassword);
  edit->clear();
  for (const char* typed : {"a", "-", " ", "1", "#"}) edit->insert(typed);
  EXPECT_EQ(edit->text(), "a1");
}

TEST_F(RiloPwdTest, ReadPasswordAloneBecomesBothAfterYes) {
  CModalScript script;
  script.Then(836, [](QWidget* dlg) {
    Type(dlg, CRiloPwdSetDlg::kReadPassword, "r1");
    Press(dlg, CRiloPwdSetDlg::kConfirm);  // the warning is answered No: the dialog stays
  });
  script.Then(836, [](QWidget* dlg) {
    EXPECT_EQ(dlg->focusWidget(), Control<QWidget>(dlg, CRiloPwdSetDlg::kModifyPassword));
    Press(dlg, CRiloPwdSetDlg::kConfirm);  // now Yes
  });
  script.Then(837, [](QWidget* dlg) {
    EXPECT_FALSE(Control<QLineEdit>(dlg, CRiloPwdConfirmDlg::kModifyPassword)->isEnabled());
    EXPECT_TRUE(Control<QLineEdit>(dlg, CRiloPwdConfirmDlg::kReadPassword)->isEnabled());
    Type(dlg, CRiloPwdConfirmDlg::kReadPassword, "r1");
    Press(dlg, SM_ID_OK);
  });
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  CRiloPwdSetDlg dlg("月报", "", "");
  ASSERT_EQ(dlg.DoModal(), SM_IDOK);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(dlg.m_newReadPassword, "r1");
  EXPECT_EQ(dlg.m_newModifyPassword, "r1");
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{kWarning, kWarning, kRemember}));
  const auto& shown = CSmMessageService::Instance().Shown();
  EXPECT_EQ(shown[0].caption, "黄牌警告：");
  EXPECT_EQ(shown[0].flags, SM_MB_YESNO | SM_MB_ICONWARNING | SM_MB_DEFBUTTON2);
  EXPECT_EQ(shown[2].caption, "Vornel软件");
}

TEST_F(RiloPwdTest, ClearingBothClosesWithoutConfirmation) {
  CModalScript script;
  script.Then(836, [](QWidget* dlg) {
    Type(dlg, CRiloPwdSetDlg::kModifyPassword, "");
    Type(dlg, CRiloPwdSetDlg::kReadPassword, "");
    Press(dlg, CRiloPwdSetDlg::kConfirm);
  });
  CRiloPwdSetDlg dlg("月报", "r", "w");
  dlg.m_newReadPassword = dlg.m_newModifyPassword = "x";
  ASSERT_EQ(dlg.DoModal(), SM_IDOK);
  EXPECT_EQ(dlg.m_newReadPassword, "");
  EXPECT_EQ(dlg.m_newModifyPassword, "");
  EXPECT_TRUE(ShownTexts().empty());

  CModalScript unchanged;
  unchanged.Then(836, [](QWidget* dlg) { Press(dlg, CRiloPwdSetDlg::kConfirm); });
  CRiloPwdSetDlg same("月报", "r", "w");
  EXPECT_EQ(same.DoModal(), SM_IDCANCEL);
}

TEST_F(RiloPwdTest, OnlyTheChangedPasswordIsConfirmed) {
  CModalScript script;
  script.Then(836, [](QWidget* dlg) {
    Type(dlg, CRiloPwdSetDlg::kModifyPassword, "W2");
    Press(dlg, CRiloPwdSetDlg::kConfirm);
  });
  script.Then(837, [](QWidget* dlg) {
    EXPECT_TRUE(Control<QLineEdit>(dlg, CRiloPwdConfirmDlg::kModifyPassword)->isEnabled());
    EXPECT_FALSE(Control<QLineEdit>(dlg, CRiloPwdConfirmDlg::kReadPassword)->isEnabled());
    Type(dlg, CRiloPwdConfirmDlg::kModifyPassword, "w2");
    Press(dlg, SM_ID_OK);  // refused, stays
  });
  script.Then(837, Cancel);  // back in the setting dialog, which stays open
  script.Then(836, [](QWidget* dlg) { Press(dlg, CRiloPwdSetDlg::kConfirm); });
  script.Then(837, GivePassword("W2"));
  CRiloPwdSetDlg dlg("月报", "r", "w");
  ASSERT_EQ(dlg.DoModal(), SM_IDOK);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(dlg.m_newReadPassword, "r");
  EXPECT_EQ(dlg.m_newModifyPassword, "W2");
  EXPECT_EQ(ShownTexts(),
            (std::vector<std::string>{"确认的修改密码与先前输入的不一致。", kRemember}));
}

TEST_F(RiloPwdTest, ConfirmationNamesWhatDiffers) {
  const struct {
    const char* modify;
    const char* read;
    const char* message;
    int focus;
  } cases[] = {
      {"x", "y", "确认的密码与先前输入的不一致。", CRiloPwdConfirmDlg::kModifyPassword},
      {"x", "r", "确认的修改密码与先前输入的不一致。", CRiloPwdConfirmDlg::kModifyPassword},
      {"w", "y", "确认的只读密码与先前输入的不一致。", CRiloPwdConfirmDlg::kReadPassword},
  };
  for (const auto& c : cases) {
    SmResetMessages();
    CRiloPwdConfirmDlg dlg("r", "w");
    dlg.show();
    Type(&dlg, CRiloPwdConfirmDlg::kModifyPassword, c.modify);
    Type(&dlg, CRiloPwdConfirmDlg::kReadPassword, c.read);
    Press(&dlg, SM_ID_OK);
    EXPECT_TRUE(dlg.isVisible()) << c.message;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
    EXPECT_EQ(dlg.focusWidget(), Control<QWidget>(&dlg, c.focus)) << c.message;
  }
}

TEST_F(RiloPwdTest, EnterInTheSettingDialogMovesOn) {
  CRiloPwdSetDlg dlg("月报", "", "");
  dlg.show();
  auto* modify = Control<QLineEdit>(&dlg, CRiloPwdSetDlg::kModifyPassword);
  auto* read = Control<QLineEdit>(&dlg, CRiloPwdSetDlg::kReadPassword);
  modify->setFocus();
  PressEnter(modify);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.focusWidget(), read);
  PressEnter(read);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(Control<QPushButton>(&dlg, CRiloPwdSetDlg::kConfirm)->isDefault());
}

}  // namespace
