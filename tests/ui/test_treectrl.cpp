// The tree base's menu, keys and checks, the folder dialog's confirmation and the busy window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"
#include "ui/SmFolderDlg.h"
#include "ui/SmTreeCtrl.h"
#include "ui/SmWaitWnd.h"

namespace {

class CountingTree : public CSmTreeCtrl {
 public:
  void Delete() override { ++deletes; }
  void Add() override { ++adds; }
  int deletes = 0;
  int adds = 0;
};

void Press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(widget, &event);
}

TEST(TreeCtrl, MenuAndKeysNeedASelectionWhereTheyActOnAnItem) {
  CountingTree tree;
  auto* top = new QTreeWidgetItem(&tree, {"top"});
  auto* child = new QTreeWidgetItem(top, {"child"});
  std::unique_ptr<QMenu> menu = tree.CreateContextMenu();
  EXPECT_EQ(menu->title().toStdString(), "树视右键菜单");
  std::map<int, bool> enabled;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) enabled[action->data().toInt()] = action->isEnabled();
  }
  EXPECT_EQ(enabled.size(), 9u);
  EXPECT_TRUE(enabled[SM_ID_LIST_ADD]);
  EXPECT_FALSE(enabled[SM_ID_LIST_DELETE]);
  EXPECT_FALSE(enabled[SM_ID_EDIT_PASTE]);

  Press(&tree, Qt::Key_Delete);
  EXPECT_EQ(tree.deletes, 0);
  tree.setCurrentItem(child);
  Press(&tree, Qt::Key_Delete);
  Press(&tree, Qt::Key_N, Qt::ControlModifier);
  Press(&tree, Qt::Key_N);  // the letter alone is no command
  EXPECT_EQ(tree.deletes, 1);
  EXPECT_EQ(tree.adds, 1);
  std::string text;
  ASSERT_TRUE(tree.GetCaretText(text));
  EXPECT_EQ(text, "child");
}

// Account sets with their year files; pasted rows become year files of the selected set.
class BookTree : public CSmTreeCtrl {
 public:
  BookTree() {
    for (const char* set : {"001", "002"}) new QTreeWidgetItem(this, {set});
    for (const char* year : {"2024.tsd", "2025.tsd", "2026.tsd"})
      new QTreeWidgetItem(topLevelItem(0), {year});
    Initialize();
  }
  void InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool /*sameSource*/,
                        CSmDatabase& /*source*/) override {
    QTreeWidgetItem* set = currentItem()->parent() ? currentItem()->parent() : currentItem();
    for (const std::string& row : rows) new QTreeWidgetItem(set, {QString::fromStdString(row)});
    pastedCut = cut;
  }
  void Open() override { opened.push_back(currentItem()->text(0).toStdString()); }
  bool IsCommandAvailable(int id) override { return id != SM_ID_LIST_OPEN || openAllowed; }
  std::vector<std::string> opened;
  bool openAllowed = true;
  bool pastedCut = false;
};

std::vector<std::string> Children(QTreeWidgetItem* item) {
  std::vector<std::string> texts;
  for (int i = 0; i < item->childCount(); ++i)
    texts.push_back(item->child(i)->text(0).toStdString());
  return texts;
}

void DoubleClick(CSmTreeCtrl* tree, QTreeWidgetItem* item) {
  const QPoint at = tree->visualItemRect(item).center();
  const QPoint global = tree->viewport()->mapToGlobal(at);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &event);
  }
}

TEST(TreeCtrl, CopiedNodesArePastedIntoAnotherBranch) {
  QApplication::clipboard()->clear();
  BookTree tree;
  QTreeWidgetItem* first = tree.topLevelItem(0);
  QTreeWidgetItem* second = tree.topLevelItem(1);
  tree.setCurrentItem(second);
  EXPECT_FALSE(tree.IsCommandEnabled(SM_ID_EDIT_PASTE));  // nothing of the tree's copied yet

  // The selected node and the siblings after it, the last first.
  tree.setCurrentItem(first->child(1));
  std::vector<std::string> texts;
  EXPECT_EQ(tree.GetSiblingTexts(texts), 2);
  EXPECT_EQ(texts, (std::vector<std::string>{"2026.tsd", "2025.tsd"}));
  Press(&tree, Qt::Key_C, Qt::ControlModifier);
  tree.setCurrentItem(second);
  ASSERT_TRUE(tree.IsCommandEnabled(SM_ID_EDIT_PASTE));
  Press(&tree, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Children(second), (std::vector<std::string>{"2026.tsd", "2025.tsd"}));
  EXPECT_FALSE(tree.pastedCut);
  EXPECT_TRUE(tree.IsCommandEnabled(SM_ID_EDIT_PASTE));  // a copy can be pasted again

  // Cut through the menu's command: pasted once, then the clipboard is empty.
  tree.setCurrentItem(first->child(2));
  ASSERT_TRUE(tree.RunCommand(SM_ID_EDIT_CUT));
  tree.setCurrentItem(second->child(0));
  ASSERT_TRUE(tree.RunCommand(SM_ID_EDIT_PASTE));
  EXPECT_TRUE(tree.pastedCut);
  EXPECT_EQ(Children(second).back(), "2026.tsd");
  EXPECT_FALSE(tree.IsCommandEnabled(SM_ID_EDIT_PASTE));

  // Another kind of tree does not take these rows.
  class OtherTree : public BookTree {
    unsigned GetClipboardFormat() override { return 600; }
  };
  tree.setCurrentItem(first->child(0));
  tree.RunCommand(SM_ID_EDIT_COPY);
  OtherTree other;
  other.Initialize();  // the format of its own kind
  other.setCurrentItem(other.topLevelItem(1));
  EXPECT_FALSE(other.IsCommandEnabled(SM_ID_EDIT_PASTE));
}

TEST(TreeCtrl, EnterAndDoubleClickOpenALeafWhenOpeningIsAllowed) {
  BookTree tree;
  tree.show();
  tree.expandAll();
  QTreeWidgetItem* set = tree.topLevelItem(0);
  QTreeWidgetItem* leaf = set->child(0);
  tree.setCurrentItem(leaf);
  Press(&tree, Qt::Key_Return);
  DoubleClick(&tree, leaf);
  EXPECT_EQ(tree.opened, (std::vector<std::string>{"2024.tsd", "2024.tsd"}));

  tree.openAllowed = false;
  Press(&tree, Qt::Key_Return);
  DoubleClick(&tree, leaf);
  EXPECT_EQ(tree.opened.size(), 2u);

  // A branch only opens and closes.
  tree.openAllowed = true;
  tree.setCurrentItem(set);
  Press(&tree, Qt::Key_Return);
  EXPECT_FALSE(set->isExpanded());
  EXPECT_EQ(tree.opened.size(), 2u);
}

TEST(TreeCtrl, ACheckPassesDownToTheWholeSubtree) {
  CSmTreeCtrl tree;
  auto* top = new QTreeWidgetItem(&tree, {"top"});
  auto* child = new QTreeWidgetItem(top, {"child"});
  auto* grandchild = new QTreeWidgetItem(child, {"grandchild"});
  for (QTreeWidgetItem* item : {top, child, grandchild}) {
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
  }
  top->setCheckState(0, Qt::Checked);
  EXPECT_EQ(grandchild->checkState(0), Qt::Checked);
  child->setCheckState(0, Qt::Unchecked);
  EXPECT_EQ(grandchild->checkState(0), Qt::Unchecked);
  EXPECT_EQ(top->checkState(0), Qt::Checked);
}

TEST(FolderDlg, ConfirmationChecksTheNameAndOffersToCreateAMissingFolder) {
  struct Case {
    std::string typed;
    int answer;
    bool accepted;
    bool created;
    std::string message;
  };
  const std::string missing = SmTestHome() + "/folders/a/b";
  QDir(QString::fromStdString(SmTestHome() + "/folders")).removeRecursively();
  const Case cases[] = {
      {"", SM_IDOK, false, false, "没有指定文件夹名！"},
      {missing, SM_IDNO, true, false, "文件夹“" + missing + "”不存在，要创建它吗？"},
      {missing, SM_IDYES, true, true, "文件夹“" + missing + "”不存在，要创建它吗？"},
  };
  for (const Case& c : cases) {
    SmResetMessages();
    CSmMessageService::Instance().QueueAnswer(c.answer);
    CSmFolderDlg dlg(SmTestHome());
    dlg.findChild<QLineEdit*>(QString::number(CSmFolderDlg::kFolderEdit))
        ->setText(QString::fromStdString(c.typed));
    dlg.findChild<QPushButton*>(QString::number(SM_ID_OK))->click();
    EXPECT_EQ(dlg.result() == QDialog::Accepted, c.accepted) << c.typed;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
    EXPECT_EQ(QDir(QString::fromStdString(missing)).exists(), c.created);
    if (c.accepted) {
      EXPECT_EQ(dlg.GetFolder(), c.typed);
    }
  }
}

TEST(FolderDlg, OpensOnTheGivenFolderExpandedAndSelected) {
  const QString deep = QString::fromStdString(SmTestHome() + "/start/甘蔗/2024");
  ASSERT_TRUE(QDir().mkpath(deep));
  struct Case {
    QString given;
    QString shown;
  } cases[] = {
      {deep, deep}, {deep + "/missing/more", deep},  // the nearest folder that exists
  };
  for (const Case& c : cases) {
    CSmFolderDlg dlg(c.given.toStdString());
    auto* tree = dlg.findChild<QTreeView*>(QString::number(CSmFolderDlg::kFolderTree));
    ASSERT_NE(tree, nullptr);
    const auto* model = qobject_cast<const QFileSystemModel*>(tree->model());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->filePath(tree->currentIndex()), c.shown) << c.given.toStdString();
    EXPECT_TRUE(tree->isExpanded(tree->currentIndex().parent()));
    // The edit keeps the folder as it was given.
    EXPECT_EQ(dlg.findChild<QLineEdit*>(QString::number(CSmFolderDlg::kFolderEdit))->text(),
              c.given);
  }
}

TEST(WaitWnd, ShowsTheWaitCursorForItsLifetime) {
  {
    CSmWaitWnd wait;
    EXPECT_TRUE(wait.Window()->isVisible());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    wait.Hide();
    EXPECT_FALSE(wait.Window()->isVisible());
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
