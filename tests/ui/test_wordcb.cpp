#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>

#include "core/SmDatabase.h"
#include "tests/common/SmTestMain.h"
#include "ui/SmWordCB.h"

namespace {

// A data file with the parameter table; words of group 3, sub-number 2.
class WordCombo : public ::testing::Test {
 protected:
  void SetUp() override {
    m_path = SmTestHome() + "/words.tsd";
    QFile::remove(QString::fromStdString(m_path));
    QFile file(QString::fromStdString(m_path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(m_db.Open(m_path));
    ASSERT_TRUE(
        m_db.ExecuteSQL("CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(200),CSVAL CHAR(200))"));
    m_combo.SetWordStore(&m_db, 3, 2);
  }
  void Save(const QString& text) {
    m_combo.setEditText(text);
    m_combo.OnCommand(43023);
  }
  void Delete(const QString& text) {
    m_combo.setEditText(text);
    m_combo.OnCommand(43024);
  }
  long Rows(const std::string& word) {
    return m_db.QueryCountInt(
        "Count(*) From SysCsTab Where Cs=9007 And CsN=3 And CsNa='2' And "
        "CsVal='" +
        m_db.SqlText(word) + "'");
  }
  QStringList Listed() const {
    QStringList items;
    for (int i = 0; i < m_combo.count(); ++i) items << m_combo.itemText(i);
    return items;
  }

  std::string m_path;
  CSmDatabase m_db{0};
  CSmWordCB m_combo;
};

}  // namespace

TEST_F(WordCombo, SavedWordsComeBackAfterARestartAndQuotesAreKept) {
  Save("甘蔗's 品种");
  Save("abc");
  EXPECT_EQ(Listed(), QStringList({"甘蔗's 品种", "abc"}));
  EXPECT_EQ(m_combo.currentText(), "abc");
  EXPECT_EQ(Rows("甘蔗's 品种"), 1);

  m_db.Close();
  CSmDatabase reopened(0);
  ASSERT_TRUE(reopened.Open(m_path));
  CSmWordCB again;
  again.SetWordStore(&reopened, 3, 2);
  ASSERT_EQ(again.count(), 2);
  EXPECT_EQ(again.itemText(0), "甘蔗's 品种");
  CSmWordCB otherField;
  otherField.SetWordStore(&reopened, 3, 5);
  EXPECT_EQ(otherField.count(), 0);
}

TEST_F(WordCombo, SavingAPrefixOfAListedWordDoesNothing) {
  Save("abc");
  Save("ab");
  Save("ABC");
  EXPECT_EQ(Listed(), QStringList({"abc"}));
  EXPECT_EQ(Rows("ab"), 0);
  Save("");
  EXPECT_EQ(m_combo.count(), 1);
}

TEST_F(WordCombo, DeleteTakesOnlyAnExactWordAndEveryRowOfIt) {
  Save("abc");
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9007,3,'2','abc')"));
  Delete("ab");
  EXPECT_EQ(Listed(), QStringList({"abc"}));
  EXPECT_EQ(Rows("abc"), 2);
  Delete("abc");
  EXPECT_TRUE(Listed().isEmpty());
  EXPECT_EQ(Rows("abc"), 0);
}

TEST_F(WordCombo, MenuOffersSaveAndDeleteOnlyWithAStore) {
  auto menu = m_combo.CreateContextMenu();
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), "保存词语");
  EXPECT_EQ(menu->actions()[1]->text(), "删除词条");
  EXPECT_TRUE(menu->actions()[0]->isEnabled());
  CSmWordCB loose;
  EXPECT_FALSE(loose.CreateContextMenu()->actions()[0]->isEnabled());
}
