#include <gtest/gtest.h>

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
