#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

#include "core/SmRegKey.h"
#include "core/SmShell.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmDialogChecks.h"
#include "tests/common/SmTestMain.h"
#include "ui/SmDlgPosStore.h"
#include "ui/SmListCtrl.h"
#include "ui/SmPosDlg.h"
#include "ui/SmToolTip.h"
#include "ui/SmWordCB.h"

namespace {

// A dialog with two text fields and OK/Cancel; counts how often OnOK ran.
class TwoFieldDlg : public CSmPosDlg {
 public:
  explicit TwoFieldDlg(unsigned id = 900) : CSmPosDlg(id) {
    auto* layout = new QVBoxLayout(this);
    first = new QLineEdit(this);
    first->setObjectName("1000");
    second = new QLineEdit(this);
    second->setObjectName("1001");
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addWidget(AddButton(1, "确定"));
    layout->addWidget(AddButton(2, "取消"));
  }
  void OnOK() override {
    ++okCalls;
    CSmPosDlg::OnOK();
  }
  bool ValidateAndSave() override { return allowClose; }

  QLineEdit* first;
  QLineEdit* second;
  int okCalls = 0;
  bool allowClose = true;
};

void PressEnter(QWidget* target) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QApplication::sendEvent(target, &press);
}

void ShowActive(QWidget* w) {
  w->show();
  w->activateWindow();
  QApplication::processEvents();
}

}  // namespace

TEST(SmDlg, EnterMovesToNextFieldAndClosesOnOk) {
  TwoFieldDlg dlg;
  ShowActive(&dlg);
  dlg.first->setFocus();
  PressEnter(dlg.first);
  EXPECT_EQ(ActiveFocus(&dlg), dlg.second);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.okCalls, 0);

  auto* ok = static_cast<QPushButton*>(dlg.Control(SM_ID_OK));
  ok->setFocus();
  PressEnter(ok);
  EXPECT_EQ(dlg.okCalls, 1);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

// Tab follows where the fields stand, whatever order they were made in: a list beside a column
// of fields comes first, a field and its picker button share a row, a button under the fields
// follows them, and the column of OK and Cancel on the right comes last.
TEST(SmDlg, TabFollowsTheFieldsAsTheyStand) {
  CSmDlg dlg(901);
  auto* grid = new QGridLayout(&dlg);
  const auto field = [&dlg, grid](QWidget* widget, const char* id, int row, int column,
                                  int rows = 1) {
    widget->setObjectName(id);
    grid->addWidget(widget, row, column, rows, 1);
  };
  field(new QPushButton("取消", &dlg), "2", 1, 4);
  field(new QPushButton("确定", &dlg), "1", 0, 4);
  field(new QComboBox(&dlg), "1003", 2, 2);
  field(new QPushButton("...", &dlg), "1004", 1, 3);
  field(new QPushButton("清除", &dlg), "1005", 3, 0);
  field(new QLineEdit(&dlg), "1002", 1, 2);
  field(new QLineEdit(&dlg), "1001", 0, 2);
  field(new CSmListCtrl(&dlg), "1000", 0, 0, 3);
  ShowActive(&dlg);
  dlg.Control(1000)->setFocus();
  std::vector<std::string> road;
  for (int i = 0; i < 8; ++i) {
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
    QApplication::sendEvent(dlg.focusWidget(), &tab);
    road.push_back(dlg.focusWidget()->objectName().toStdString());
  }
  EXPECT_EQ(road,
            (std::vector<std::string>{"1001", "1002", "1004", "1003", "1005", "1", "2", "1000"}));
}

TEST(SmDlg, EnterWithFocusMovingOffClosesThroughOnOk) {
  TwoFieldDlg dlg;
  dlg.SetEnterMovesFocus(false);
  ShowActive(&dlg);
  dlg.first->setFocus();
  PressEnter(dlg.first);
  EXPECT_EQ(dlg.okCalls, 1);
  EXPECT_FALSE(dlg.isVisible());
}

TEST(SmDlg, ContextMenuHasTheDialogItemsAndAsksEachOne) {
  class NoCalcDlg : public CSmDlg {
   public:
    NoCalcDlg() : CSmDlg(901) {}
    bool IsMenuCommandEnabled(unsigned id) override { return id != 43002; }
  } dlg;
  auto menu = dlg.CreateContextMenu();
  ASSERT_EQ(menu->actions().size(), 3);
  EXPECT_EQ(menu->actions()[0]->text(), "帮助(&H)\tF1");
  EXPECT_EQ(menu->actions()[0]->objectName(), "57670");
  EXPECT_TRUE(menu->actions()[0]->isEnabled());
  EXPECT_EQ(menu->actions()[1]->objectName(), "43002");
  EXPECT_FALSE(menu->actions()[1]->isEnabled());
}

TEST(SmPosDlg, ReopensWhereClosedAndRefusedOkIsNotRemembered) {
  CSmDlgPosStore store;
  CSmDlgPosStore::SetCurrent(&store);
  {
    TwoFieldDlg dlg(910);
    ShowActive(&dlg);
    dlg.move(130, 90);
    dlg.allowClose = false;
    dlg.OnCommand(SM_ID_OK);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(store.Find(910), -1);
    dlg.allowClose = true;
    dlg.OnCommand(SM_ID_OK);
    EXPECT_FALSE(dlg.isVisible());
  }
  SmWinRect saved;
  ASSERT_GE(store.Find(910, &saved), 0);
  EXPECT_EQ(saved.left, 130);
  EXPECT_EQ(saved.top, 90);
  {
    TwoFieldDlg dlg(910);
    ShowActive(&dlg);
    EXPECT_EQ(dlg.frameGeometry().topLeft(), QPoint(130, 90));
    // Cancel without saving on cancel keeps the earlier position.
    dlg.SetSaveOnCancel(false);
    dlg.move(150, 100);
    dlg.OnCommand(SM_ID_CANCEL);
  }
  store.Find(910, &saved);
  EXPECT_EQ(saved.left, 130);
  CSmDlgPosStore::SetCurrent(nullptr);
}

TEST(SmPosDlg, PositionOffScreenIsReplacedByACentredDialog) {
  CSmDlgPosStore store;
  CSmDlgPosStore::SetCurrent(&store);
  store.Set(911, {5000, 4000, 5300, 4200});
  TwoFieldDlg dlg(911);
  ShowActive(&dlg);
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(work.contains(dlg.frameGeometry().center()));
  EXPECT_LE(std::abs(dlg.frameGeometry().center().x() - work.center().x()), 1);
  CSmDlgPosStore::SetCurrent(nullptr);
}

TEST(DlgPosStore, SaveWritesMovesButNotSizeChanges) {
  const std::string key = SmDlgPosKey();
  CSmRegKey().DeleteValues(SM_HKEY_CURRENT_USER, key);
  CSmDlgPosStore store;
  store.Set(800, {10, 20, 110, 220});
  store.Set(803, {30, 40, 130, 140});
  store.Save();
  std::string text;
  ASSERT_TRUE(CSmRegKey().Open(SM_HKEY_CURRENT_USER, key, "800", text));
  EXPECT_EQ(text, "10 20 110 220");

  store.Set(800, {10, 20, 510, 520});  // size only
  store.Set(803, {31, 40, 131, 140});  // moved
  store.Save();
  CSmRegKey().Open(SM_HKEY_CURRENT_USER, key, "800", text);
  EXPECT_EQ(text, "10 20 110 220");
  CSmRegKey().Open(SM_HKEY_CURRENT_USER, key, "803", text);
  EXPECT_EQ(text, "31 40 131 140");
  SmWinRect rect;
  ASSERT_GE(store.Find(800, &rect), 0);  // the store holds what was read back
  EXPECT_EQ(rect.right, 110);

  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, key, "x", "1 2");
  CSmDlgPosStore loaded;
  EXPECT_EQ(loaded.Load(), 3);
  ASSERT_GE(loaded.Find(0, &rect), 0);
  EXPECT_EQ(rect, (SmWinRect{1, 2, 0, 0}));
  CSmRegKey().DeleteValues(SM_HKEY_CURRENT_USER, key);
}

TEST(DlgPosStore, PlaceBottomRightAndBelowTheReference) {
  CSmDlgPosStore store;
  QWidget reference;
  reference.setGeometry(100, 100, 400, 300);
  QWidget window;
  window.resize(100, 50);
  ASSERT_TRUE(store.Place(1, &window, 10, true, &reference));
  const QRect ref = reference.frameGeometry();
  EXPECT_LE(window.frameGeometry().right(), ref.right());
  EXPECT_GE(window.frameGeometry().right(), ref.right() - 10);
  ASSERT_TRUE(store.Place(2, &window, 11, true, &reference));
  EXPECT_EQ(window.frameGeometry().center().x(), ref.center().x());
  EXPECT_FALSE(store.Place(3, &window, 11, true, nullptr));  // no reference, no parent
}

TEST(SmDlg, BackgroundPictureOwnFileWinsAndChangeCopiesOverIt) {
  const std::string base = SmTestHome() + "/prog";
  SmSetProgramFilePath(base + ".exe");
  QImage image(8, 4, QImage::Format_RGB888);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(QString::fromStdString(base + "_Dlg.bmp"), "BMP"));
  image = image.scaled(6, 6);
  ASSERT_TRUE(image.save(QString::fromStdString(base + "_Dlg920.bmp"), "BMP"));
  {
    CSmDlg own(920), common(921);
    own.show();
    common.show();
    EXPECT_EQ(own.Picture().Width(), 6);
    EXPECT_EQ(common.Picture().Width(), 8);
  }
  {
    CSmDlg dlg(921);
    dlg.show();
    SmResetMessages();
    CSmMessageService::Instance().QueueFileName(base + "_Dlg920.bmp");
    dlg.OnCommand(43022);
    EXPECT_EQ(dlg.Picture().Width(), 6);
    // The copy goes to the user's data folder, never beside the program.
    const std::string copy = GetUserDataFolder() + "/prog_Dlg921.bmp";
    EXPECT_TRUE(QFile::exists(QString::fromStdString(copy)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(base + "_Dlg921.bmp")));
    EXPECT_EQ(QImage(QString::fromStdString(base + "_Dlg.bmp")).width(), 8);
    CSmDlg again(921);
    again.show();
    EXPECT_EQ(again.Picture().Width(), 6);
    EXPECT_EQ(
        (QFileInfo(QString::fromStdString(GetUserDataFolder())).permissions() & 0x0077).toInt(), 0);
    CSmMessageService::Instance().QueueFileName(base + "_missing.bmp");
    dlg.OnCommand(43022);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "拷贝文件失败！");
    EXPECT_EQ(dlg.Picture().Width(), 6);
  }
  SmSetProgramFilePath("x.e");  // too short: no picture is looked for
  CSmDlg none(920);
  none.show();
  EXPECT_TRUE(none.Picture().IsNull());
  SmSetProgramFilePath({});
}

TEST(SmDib, ReadsWindowsBitmapsAndRefusesOtherFiles) {
  QImage image(3, 2, QImage::Format_Indexed8);
  image.setColorCount(20);
  for (int i = 0; i < 20; ++i) image.setColor(i, qRgb(i * 10, 0, 0));
  image.fill(1);
  const QString path = QString::fromStdString(SmTestHome() + "/dib8.bmp");
  ASSERT_TRUE(image.save(path, "BMP"));
  CSmDib dib;
  ASSERT_TRUE(dib.Load(path.toStdString()));
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.BitCount(), 8);
  EXPECT_GT(dib.PaletteSize(), 0);

  QByteArray os2("BM");
  os2.append(12, '\0');
  os2.append(char(12)).append(60, '\0');
  EXPECT_FALSE(dib.Read(os2));
  EXPECT_TRUE(dib.IsNull());
  EXPECT_EQ(dib.LastReason(), "Error:OS2 PM BMP Format not supported\n");
  EXPECT_FALSE(dib.Read(QByteArray(80, 'x')));
  EXPECT_EQ(dib.LastReason(), "Error:Unexpected file type, not a DIB\n");
  EXPECT_FALSE(dib.Load(SmTestHome() + "/none.bmp"));
}

TEST(SmAppDlg, OperatorComboLeavesOut101AndSelectsByCode) {
  QComboBox combo;
  const std::vector<std::pair<std::string, std::string>> operators = {
      {"101", "系统管理员"}, {"102", "张三"}, {"103", "李四"}};
  CSmAppDlg::FillOperatorCombo(&combo, operators, "103", true);
  ASSERT_EQ(combo.count(), 3);
  EXPECT_EQ(combo.itemText(0), "");
  EXPECT_EQ(combo.currentText(), "103李四");
  std::string code;
  EXPECT_TRUE(CSmAppDlg::GetSelectedOperator(&combo, code, false));
  EXPECT_EQ(code, "103");

  // No saved operator: the empty entry where there is one.
  CSmAppDlg::FillOperatorCombo(&combo, operators, "", true);
  EXPECT_EQ(combo.currentIndex(), 0);
  EXPECT_EQ(combo.currentText(), "");

  CSmAppDlg::FillOperatorCombo(&combo, operators, "999", false);
  EXPECT_EQ(combo.currentText(), "102张三");
  combo.setCurrentIndex(-1);
  SmResetMessages();
  EXPECT_FALSE(CSmAppDlg::GetSelectedOperator(&combo, code, false));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "未选择操作员！");
  EXPECT_TRUE(CSmAppDlg::GetSelectedOperator(&combo, code, true));
  EXPECT_EQ(code, "");
}

TEST(SmDlg, InputControlsGetHintBalloonsAndNoPlainTooltips) {
  CSmDlg dlg(930);
  dlg.setGeometry(50, 50, 400, 300);
  auto* words = new CSmWordCB(&dlg);
  words->setObjectName("999");
  words->setGeometry(10, 10, 150, 30);
  auto* combo = new QComboBox(&dlg);
  combo->setObjectName("1000");
  combo->setGeometry(10, 50, 150, 30);
  auto* list = new CSmListCtrl(&dlg);
  list->setObjectName("1001");
  list->setGeometry(10, 90, 150, 100);
  auto* edit = new QLineEdit(&dlg);
  edit->setObjectName("1002");
  edit->setGeometry(10, 200, 150, 30);
  ShowActive(&dlg);

  CSmToolTip* tip = dlg.ToolTip();
  ASSERT_NE(tip, nullptr);
  const std::string head = "<al_c>提示<br><hr=100%><br><al_l>";
  const std::pair<QWidget*, std::string> expected[] = {
      {words, "鼠标指向右边的下拉箭头，按下鼠标右键，调出操作功能菜单，可保存或删除词组。"},
      {combo, "单击右边的下拉箭头，或按下箭头键，可弹出列表框供选择。"},
      {list, "按下鼠标右键，可调出操作功能菜单。"},
  };
  ASSERT_EQ(tip->ToolCount(), 3) << "a plain edit gets no balloon";
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(tip->Tool(i).window, expected[i].first);
    EXPECT_EQ(tip->Tool(i).text, head + expected[i].second);
    EXPECT_EQ(tip->Tool(i).id, expected[i].first->objectName().toInt());
  }
  for (QWidget* widget : dlg.findChildren<QWidget*>())
    EXPECT_TRUE(widget->toolTip().isEmpty()) << widget->objectName().toStdString();

  QCursor::setPos(combo->mapToGlobal(QPoint(40, 15)));
  QDeadlineTimer deadline(3000);
  while (!tip->isVisible() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  EXPECT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->CurrentTip().id, 1000);
}

TEST(SmDlg, HelpFromMenuOrF1AnswersOnce) {
  CSmDlg dlg(931);
  auto* list = new CSmListCtrl(&dlg);
  auto* edit = new QLineEdit(&dlg);
  auto* layout = new QVBoxLayout(&dlg);
  layout->addWidget(list);
  layout->addWidget(edit);
  dlg.show();
  QWidget* const targets[] = {edit, list, &dlg};
  for (QWidget* target : targets) {
    SmResetMessages();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u)
        << target->metaObject()->className();
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "本系统没有帮助文件。");
  }
  SmResetMessages();
  EXPECT_TRUE(dlg.OnCommand(57670));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "本系统没有帮助文件。");
}
