// The log-in as a clerk works it from the keyboard and mouse: Enter and double clicks on a
// year file, Enter after the password, a password holding any character the password dialog
// takes, a file that is not a data file, and year files in use that are never deleted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <filesystem>

#include "app/SmEnvironment.h"
#include "app/SmOperatorDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/app/test_login_fixture.h"
#include "tests/common/SmTestDataFile.h"

namespace {

void PressKey(QWidget* widget, int key, const QString& text = {}) {
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &event);
}

// Types the text into the widget one key at a time, as the keyboard would.
void Type(QWidget* widget, const QString& text) {
  for (QChar c : text) PressKey(widget, 0, QString(c));
}

// Press, release, double click and release on the item, as the mouse sends them.
void DoubleClick(CBookDirTree* tree, QTreeWidgetItem* item) {
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

class LoginKeysTest : public testing::Test {
 protected:
  void SetUp() override { SmResetMessages(); }

  // A fresh account set with one year file.
  static std::string YearFile(const std::string& name) {
    const std::string root = SmTestHome() + "/" + name;
    QDir(QString::fromStdString(root)).removeRecursively();
    return SmCreateTestDataFile(2026, root + "/001");
  }

  QObject m_timers;
};

TEST_F(LoginKeysTest, EnterAndDoubleClickOnAYearFileLogIn) {
  const std::string file = YearFile("keys-open");
  // How the year file is opened in the tree.
  const std::vector<std::function<void(CBookDirTree*)>> ways = {
      [](CBookDirTree* tree) { PressKey(tree, Qt::Key_Return); },
      [](CBookDirTree* tree) { DoubleClick(tree, tree->currentItem()); },
  };
  for (size_t k = 0; k < ways.size(); ++k) {
    LoginApp app("LoginKeysOpen");
    OnModalOf(&m_timers, 815, [&](QWidget* dlg) {
      auto* tree = static_cast<CSmOpenDataFileDlg*>(dlg)->Tree();
      ASSERT_TRUE(tree->SelectFile(file));
      ChooseOperator(dlg, "101");
      ways[k](tree);
      if (dlg->isVisible()) Click(dlg, SM_ID_CANCEL);
    });
    EXPECT_TRUE(app.LogIn(file)) << k << CSmMessageService::Instance().LastText();
    EXPECT_EQ(app.m_env.GetDataFileName(), file);
    app.ExitInstance();
  }

  // On an account set, Enter and double clicks only open or close it.
  LoginApp app("LoginKeysOpen");
  OnModalOf(&m_timers, 815, [&](QWidget* dlg) {
    auto* tree = static_cast<CSmOpenDataFileDlg*>(dlg)->Tree();
    ASSERT_TRUE(tree->SelectFile(file));
    QTreeWidgetItem* set = tree->currentItem()->parent();
    tree->setCurrentItem(set);
    PressKey(tree, Qt::Key_Return);
    EXPECT_FALSE(set->isExpanded());
    DoubleClick(tree, set);
    EXPECT_TRUE(set->isExpanded());
    EXPECT_TRUE(dlg->isVisible());
    Click(dlg, SM_ID_CANCEL);
  });
  EXPECT_FALSE(app.LogIn(file));
  EXPECT_FALSE(Shown("不是有效的年度数据文件！"));
}

TEST_F(LoginKeysTest, APasswordOfAnyCharactersIsTypedAndEnterLogsIn) {
  const std::string file = YearFile("keys-password");
  const QString password = "a'|[]\"z";
  {
    LoginApp app("LoginKeysPassword");
    OnModalOf(&m_timers, 815, [](QWidget* dlg) {
      ChooseOperator(dlg, "101");
      Click(dlg, SM_ID_OK);
    });
    ASSERT_TRUE(app.LogIn(file));
    OnModalOf(&m_timers, 812, [&](QWidget* dlg) {
      Click(dlg, SM_ID_OK);  // the old password is empty
      Type(Find<QLineEdit>(dlg, CSmPasswordDlg::kFirstEdit), password);
      Type(Find<QLineEdit>(dlg, CSmPasswordDlg::kSecondEdit), password);
      Click(dlg, SM_ID_OK);
    });
    app.OnPassword();
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "您的口令设置成功，请牢记之！");
    app.ExitInstance();
  }
  SmResetMessages();
  LoginApp app("LoginKeysPassword");
  QString typed;
  OnModalOf(&m_timers, 815, [&](QWidget* dlg) {
    ChooseOperator(dlg, "101");
    auto* edit = Find<QLineEdit>(dlg, CSmOpenDataFileDlg::kPasswordEdit);
    edit->setFocus();
    Type(edit, password);
    typed = edit->text();
    PressKey(edit, Qt::Key_Return);  // Enter after the password logs in
    if (dlg->isVisible()) Click(dlg, SM_ID_CANCEL);
  });
  EXPECT_TRUE(app.LogIn(file)) << CSmMessageService::Instance().LastText();
  EXPECT_EQ(typed, password);
  app.ExitInstance();
}

TEST_F(LoginKeysTest, AFileThatIsNotADataFileIsRefusedAsSuch) {
  const std::string good = YearFile("keys-notdata");
  const std::string bad = std::filesystem::path(good).parent_path().string() + "/2025.tsd";
  {
    QFile junk(QString::fromStdString(bad));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("these are not the tables of a year file, nor any database at all\n");
  }
  LoginApp app("LoginKeysNotData");
  OnModalOf(&m_timers, 815, [&](QWidget* dlg) {
    ASSERT_TRUE(static_cast<CSmOpenDataFileDlg*>(dlg)->Tree()->SelectFile(bad));
    Click(dlg, SM_ID_OK);
    EXPECT_TRUE(dlg->isVisible());
    Click(dlg, SM_ID_CANCEL);
  });
  EXPECT_FALSE(app.LogIn(good));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), SmOpenErrorText(0, SM_FILE_CANNOT_OPEN, ""));
  EXPECT_FALSE(Shown("未选择操作员！"));
}

TEST_F(LoginKeysTest, TheRunningSessionsFileIsNotDeletedAndALostFileIsNamedBeforeTheEnd) {
  const std::string file = YearFile("keys-own");
  LoginApp app("LoginKeysOwn");
  OnModalOf(&m_timers, 815, [](QWidget* dlg) {
    ChooseOperator(dlg, "101");
    Click(dlg, SM_ID_OK);
  });
  ASSERT_TRUE(app.LogIn(file));

  // Switching: the administrator tries to delete the file he works in, then cancels.
  OnModalOf(&m_timers, 815, [&](QWidget* dlg) {
    ChooseOperator(dlg, "101");
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);
    ASSERT_TRUE(static_cast<CSmOpenDataFileDlg*>(dlg)->Tree()->RunCommand(SM_ID_LIST_DELETE));
    EXPECT_EQ(CSmMessageService::Instance().LastText(),
              "删除数据文件失败，可能是别人正在使用该数据文件！");
    Click(dlg, SM_ID_CANCEL);
  });
  EXPECT_TRUE(app.LogIn({}));
  EXPECT_EQ(app.exitedWith, -1);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(file)));
  EXPECT_NE(app.m_env.GetDatabase(), nullptr);

  // The file vanishes behind the program's back: the switch ends the program, saying why.
  SmResetMessages();
  std::filesystem::remove(file);
  OnModalOf(&m_timers, 815, [](QWidget* dlg) { Click(dlg, SM_ID_CANCEL); });
  EXPECT_FALSE(app.LogIn({}));
  EXPECT_EQ(app.exitedWith, 1);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "无法打开数据文件：\n" + file + "\n它可能已被删除或移走，程序将结束！");
}

}  // namespace
