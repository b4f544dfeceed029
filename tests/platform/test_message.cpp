#include <gtest/gtest.h>

#include <QApplication>
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

// A window manager centres the title in its bar between the window's icon and three buttons,
// and cuts it short when the box is narrower: the box is as wide as its title needs, and a box
// whose text is wider keeps the width of its text.
TEST(MessageService, BoxIsWideEnoughForItsTitle) {
  const QString title = QString::fromUtf8("Vornel糖厂甘蔗结算软件");
  std::unique_ptr<QMessageBox> box =
      SmCreateMessageBox("结转完毕！", SM_MB_OK, title.toStdString());
  box->show();
  QApplication::processEvents();
  QFont bold = QApplication::font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  const int needed = metrics.horizontalAdvance(title) + 6 * metrics.height();
  EXPECT_GE(box->width(), needed);

  const std::string wide(300, 'x');
  QMessageBox plain(QMessageBox::Warning, "t", QString::fromStdString(wide));
  plain.show();
  std::unique_ptr<QMessageBox> ours = SmCreateMessageBox(wide, SM_MB_OK, "t");
  ours->show();
  QApplication::processEvents();
  EXPECT_EQ(ours->width(), plain.width());
}
