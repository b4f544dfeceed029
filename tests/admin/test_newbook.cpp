// The account-set search on a folder tree: which folders are account sets, the years of one,
// the current set and year preselected, and the log-in dialog taking the file chosen.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include "admin/SmNewBookDlg.h"
#include "app/SmApp.h"
#include "app/SmOpenDataDlg.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

class NewBookTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.m_moduleInfo.m_ext = "tsd";
    m_root = m_dir.path().toStdString();
    for (const char* folder : {"A", "A/sub", "B", "C", "D"})
      ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_root + "/" + folder)));
    m_current = SmCreateTestDataFile(2016, m_root + "/A");
    ASSERT_FALSE(SmCreateTestDataFile(2015, m_root + "/A").empty());
    ASSERT_FALSE(SmCreateTestDataFile(2010, m_root + "/A/sub").empty());
    const std::string readOnly = SmCreateTestDataFile(2013, m_root + "/B");
    QFile::setPermissions(QString::fromStdString(readOnly), QFile::ReadOwner | QFile::ReadUser);
    // Not a data file of this program, named like one; and a data file with a long title.
    QFile foreign(QString::fromStdString(m_root + "/C/2014.tsd"));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("not a data file");
    foreign.close();
    const std::string longTitle = SmCreateTestDataFile(2012, m_root + "/D");
    QFile::rename(QString::fromStdString(longTitle),
                  QString::fromStdString(m_root + "/D/x2012.tsd"));
    ASSERT_TRUE(m_app.m_env.OpenFile("", m_current, "101", true));
    m_app.m_opLog.StartWork();
    SmResetMessages();
  }
  static std::vector<std::string> Texts(const QListWidget* list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list->count(); ++i) texts.push_back(list->item(i)->text().toStdString());
    return texts;
  }

  QTemporaryDir m_dir;
  std::string m_root;
  std::string m_current;
  CSmApp m_app;
};

}  // namespace

TEST_F(NewBookTest, SearchFindsAccountSetsAndPreselectsTheCurrentOne) {
  CSmNewBookDlg dlg(m_app, 1);
  dlg.show();
  dlg.SetPosition(m_root);
  dlg.OnSearch();
  EXPECT_EQ(Texts(dlg.Books()),
            (std::vector<std::string>{m_root + "/A", m_root + "/A/sub", m_root + "/B"}));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(Texts(dlg.Years()), (std::vector<std::string>{"2015", "2016"}));
  ASSERT_NE(dlg.Years()->currentItem(), nullptr);
  EXPECT_EQ(dlg.Years()->currentItem()->text().toStdString(), "2016");
  std::vector<std::string> notes;
  m_app.GetDatabase()->QueryStrings("Select rtrim(sNote) From SmLog Where nTaskID=4", &notes, 1);
  EXPECT_EQ(notes, std::vector<std::string>{"搜索账套"});

  // The read-only file made its folder a set but is no year to open.
  dlg.Books()->setCurrentRow(2);
  EXPECT_TRUE(Texts(dlg.Years()).empty());
  EXPECT_FALSE(dlg.OnConfirm());
  EXPECT_TRUE(dlg.Result().empty());

  dlg.Books()->setCurrentRow(0);
  dlg.Years()->setCurrentRow(0);
  EXPECT_TRUE(dlg.OnConfirm());
  EXPECT_EQ(dlg.Result(), m_root + "/A/2015.tsd");

  CSmNewBookDlg closed(m_app, 0);
  closed.show();
  closed.SetPosition(m_root);
  closed.OnSearch();
  EXPECT_FALSE(closed.OnConfirm());
}

TEST_F(NewBookTest, TheLogInDialogSelectsTheFileChosen) {
  const std::string chosen = m_root + "/A/2015.tsd";
  m_app.SetBookSearchHook([&](CSmApp&, QWidget*) { return chosen; });
  CSmEnvironment env(0);
  CSmOpenDataFileDlg dlg(env, 1, &m_app);
  dlg.show();
  ASSERT_TRUE(dlg.CanSearchBooks());
  dlg.OnSearchBooks();
  std::string folder;
  std::string file;
  ASSERT_TRUE(dlg.Tree()->GetSelection(folder, file));
  EXPECT_EQ(QDir::cleanPath(QString::fromStdString(file)).toStdString(), chosen);

  CSmApp bare;
  CSmOpenDataFileDlg without(env, 1, &bare);
  EXPECT_FALSE(without.CanSearchBooks());
}
