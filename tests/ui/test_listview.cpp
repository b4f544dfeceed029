// The list view base: opening by Modify, refreshing with the selection kept, its shorter menu
// with F3 still finding the next row, and its commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmTestMain.h"
#include "ui/SmFindDlg.h"
#include "ui/SmListView.h"

namespace {

class NameView : public CSmListView {
 public:
  void LoadRows() override {
    List()->clear();
    for (const std::string& name : names) SetItems({name, "名称" + name, ""});
  }
  void Modify() override { ++modified; }

  std::vector<std::string> names{"001", "002", "003", "004"};
  int modified = 0;
};

void Key(QWidget* widget, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods);
  QApplication::sendEvent(widget, &press);
}

}  // namespace

TEST(ListView, OpeningARowModifiesItUnlessOverridden) {
  NameView view;
  view.OnInitialUpdate();
  ASSERT_EQ(view.List()->RowCount(), 4);
  EXPECT_EQ(view.List()->headerItem()->text(2), "地址");
  view.List()->topLevelItem(1)->setSelected(true);
  Key(view.List(), Qt::Key_Return);
  EXPECT_TRUE(view.OnCommand(SM_ID_LIST_OPEN));
  EXPECT_EQ(view.modified, 2);
}

TEST(ListView, RefreshKeepsTheSelectedRowsThatStillExist) {
  NameView view;
  view.OnInitialUpdate();
  view.List()->topLevelItem(1)->setSelected(true);
  view.List()->topLevelItem(3)->setSelected(true);
  view.names = {"000", "002", "003"};
  view.Refresh();
  ASSERT_EQ(view.List()->RowCount(), 3);
  std::vector<std::string> selected;
  view.GetSelectedTexts(selected);
  EXPECT_EQ(selected, std::vector<std::string>{"002"});
}

TEST(ListView, MenuHasNoFindNextButF3FindsTheNextRow) {
  NameView view;
  view.OnInitialUpdate();
  std::unique_ptr<QMenu> menu = view.List()->CreateContextMenu();
  QStringList texts;
  for (QAction* action : menu->actions()) texts << action->text();
  for (const char* gone : {"查找下一个(&E)\tF3", "帮助(&H)\tF1", "计算器(&B)\tF12",
                           "打印 ...\tCtrl+P", "打印页面设置 ..."}) {
    EXPECT_FALSE(texts.contains(QString::fromUtf8(gone))) << gone;
  }
  EXPECT_TRUE(texts.contains("打印机设置 ..."));
  EXPECT_TRUE(texts.contains("详细资料(&D)"));

  view.show();
  QTimer::singleShot(0, [] {
    auto* dlg = qobject_cast<CSmListFindDlg*>(QApplication::activeModalWidget());
    if (!dlg) return;
    static_cast<QComboBox*>(dlg->Control(CSmListFindDlg::kTextCombo))->setEditText("00");
    dlg->OnCommand(SM_ID_OK);
  });
  Key(view.List(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(view.List()->SearchText(), "00");
  const int first = view.List()->LastFoundRow();
  Key(view.List(), Qt::Key_F3);
  EXPECT_EQ(view.List()->LastFoundRow(), (first + 1) % 4);
  // Typed letters do not search.
  Key(view.List(), Qt::Key_Z);
  EXPECT_EQ(view.List()->SearchText(), "00");
}

TEST(ListView, PrintingNeedsThePrintInformation) {
  NameView view;
  view.OnInitialUpdate();
  CSmCmdUI print(SM_ID_FILE_PRINT);
  EXPECT_TRUE(view.OnUpdateCommand(SM_ID_FILE_PRINT, print));
  EXPECT_FALSE(print.Enabled());
  view.List()->topLevelItem(0)->setSelected(true);
  CSmCmdUI modify(SM_ID_LIST_MODIFY);
  EXPECT_TRUE(view.OnUpdateCommand(SM_ID_LIST_MODIFY, modify));
  EXPECT_TRUE(modify.Enabled());
}
