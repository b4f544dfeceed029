#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>

#include "platform/SmDesktop.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

TEST(MessageService, RecordsBoxesAndAnswersFromQueue) {
  SmResetMessages();
  CSmMessageService& svc = CSmMessageService::Instance();
  svc.QueueAnswer(SM_IDNO);
  EXPECT_EQ(SmMessageBox("是否继续？", SM_MB_YESNO | SM_MB_ICONQUESTION), SM_IDNO);
  // An empty queue answers the default button.
  EXPECT_EQ(SmMessageBox("确定？", SM_MB_YESNO | SM_MB_DEFBUTTON2), SM_IDNO);
  EXPECT_EQ(SmMessageBox("数据不正确！"), SM_IDOK);
  ASSERT_EQ(svc.Shown().size(), 3u);
  EXPECT_EQ(svc.Shown()[0].text, "是否继续？");
  EXPECT_EQ(svc.LastText(), "数据不正确！");
}

TEST(MessageService, FileDialogsTakeQueuedNamesOrCancel) {
  SmResetMessages();
  CSmMessageService::Instance().QueueFileName("/tmp/a.txt");
  EXPECT_EQ(SmGetOpenFileName("打开", "/tmp", "*.txt"), "/tmp/a.txt");
  EXPECT_EQ(SmGetSaveFileName("保存", "/tmp", "*.txt"), "");
}

TEST(MessageService, BoxesSpeakChineseAndCarryTheProgramTitle) {
  ASSERT_TRUE(SmLoadQtTranslation(QLocale(QLocale::English, QLocale::UnitedStates)));
  CSmMessageService::Instance().SetDefaultCaption("甘蔗收购");
  std::unique_ptr<QMessageBox> box = SmCreateMessageBox("删除吗？", SM_MB_YESNO | SM_MB_DEFBUTTON2);
  CSmMessageService::Instance().SetDefaultCaption({});
  EXPECT_EQ(box->windowTitle().toStdString(), "甘蔗收购");
  // Qt's button texts carry a mnemonic: "是(&Y)".
  ASSERT_NE(box->button(QMessageBox::Yes), nullptr);
  EXPECT_TRUE(box->button(QMessageBox::Yes)->text().startsWith("是"));
  EXPECT_TRUE(box->button(QMessageBox::No)->text().startsWith("否"));
  EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
  EXPECT_EQ(box->button(QMessageBox::Cancel), nullptr);
  EXPECT_EQ(SmCreateMessageBox("好", SM_MB_OK, "标题")->windowTitle().toStdString(), "标题");
}
