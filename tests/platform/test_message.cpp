#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>

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

// The file dialogs as the program makes them, with Qt's translation loaded as at start-up on a
// system that is not set to Chinese: labels, buttons, headers and the listed entries' sizes,
// types (a folder's too) and dates all read in Chinese, and no column is narrower than its
// texts.
TEST(MessageService, FileDialogReadsInChineseWithColumnsThatFit) {
  ASSERT_TRUE(SmLoadQtTranslation(QLocale(QLocale::English, QLocale::UnitedStates)));
  QTemporaryDir folder;
  QFile empty(folder.filePath("说明.txt"));
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  ASSERT_TRUE(QDir(folder.path()).mkdir("资料"));
  QFileDialog dialog(nullptr, "打开", folder.path(), "所有文件 (*)");
  SmPrepareFileDialog(dialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setViewMode(QFileDialog::Detail);
  dialog.show();
  auto* view = dialog.findChild<QTreeView*>("treeView");
  ASSERT_NE(view, nullptr);
  QAbstractItemModel* model = view->model();
  const QModelIndex root = view->rootIndex();
  for (int wait = 0; wait < 500 && model->rowCount(root) < 2; ++wait) {
    QApplication::processEvents();
    QThread::msleep(10);
  }
  ASSERT_EQ(model->rowCount(root), 2);
  QApplication::processEvents();

  const auto text = [&](const char* name) {
    return dialog.findChild<QLabel*>(name)->text().toStdString();
  };
  EXPECT_EQ(text("lookInLabel"), "查找范围：");
  EXPECT_EQ(text("fileNameLabel"), "文件名称(&N)：");
  EXPECT_EQ(text("fileTypeLabel"), "文件类型：");
  auto* buttons = dialog.findChild<QDialogButtonBox*>();
  EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->text().toStdString(), "打开(&O)");
  EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text().toStdString(), "取消");
  std::vector<std::string> headers;
  for (int column = 0; column < 4; ++column)
    headers.push_back(model->headerData(column, Qt::Horizontal).toString().toStdString());
  EXPECT_EQ(headers, (std::vector<std::string>{"名称", "体积", "类型", "修改日期"}));

  // The folder comes first.
  const auto cell = [&](int row, int column) {
    return model->index(row, column, root).data().toString();
  };
  EXPECT_EQ(cell(0, 0).toStdString(), "资料");
  EXPECT_EQ(cell(0, 2).toStdString(), "文件夹");
  EXPECT_EQ(cell(1, 0).toStdString(), "说明.txt");
  EXPECT_EQ(cell(1, 1).toStdString(), "0 字节");
  const QRegularExpression latin("[A-Za-z]");
  EXPECT_FALSE(cell(1, 2).contains(latin)) << cell(1, 2).toStdString();
  const QString year = QString::number(QFileInfo(empty).lastModified().date().year());
  for (int row = 0; row < 2; ++row) {
    EXPECT_FALSE(cell(row, 3).contains(latin)) << cell(row, 3).toStdString();
    EXPECT_TRUE(cell(row, 3).startsWith(year)) << cell(row, 3).toStdString();
  }
  QHeaderView* header = view->header();
  const QAbstractItemView* entries = view;
  for (int column = 1; column < 4; ++column) {
    EXPECT_GE(header->sectionSize(column), entries->sizeHintForColumn(column)) << column;
    EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
  }
  EXPECT_LE(header->length(), view->viewport()->width());
}
