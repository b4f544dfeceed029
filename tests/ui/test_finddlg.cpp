#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>

#include "core/SmDatabase.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmTestMain.h"
#include "ui/SmFindDlg.h"

namespace {

class FakeGridView : public CSmFindView {
 public:
  explicit FakeGridView(CSmDatabase* db) : m_db(db) {}
  std::string GetSelectedText() override { return selected; }
  CSmDatabase* FindDatabase() override { return m_db; }
  void SetFindState(bool findOnly, const std::string& find, const std::string& replace,
                    bool whole) override {
    state = std::string(findOnly ? "find:" : "replace:") + find + "|" + replace + "|" +
            (whole ? "1" : "0");
  }
  std::string selected;
  std::string state;

 private:
  CSmDatabase* m_db;
};

class GridFind : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = SmTestHome() + "/find.tsd";
    QFile::remove(QString::fromStdString(path));
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(m_db.Open(path));
    ASSERT_TRUE(
        m_db.ExecuteSQL("CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(200),CSVAL CHAR(200))"));
  }
  long Rows(int group) {
    return m_db.QueryCountInt("Count(*) From SysCsTab Where Cs=" + std::to_string(group));
  }
  std::string Newest(int group) {
    return m_db.QueryCountString("Max(CsVal) From SysCsTab Where Cs=" + std::to_string(group) +
                                 " And CsN=0");
  }
  CSmDatabase m_db{0};
};

}  // namespace

TEST_F(GridFind, HistoryHoldsAtMost51RowsAndKnownTextsKeepTheirPlace) {
  FakeGridView view(&m_db);
  for (int i = 0; i < 55; ++i) {
    view.selected = "t" + std::to_string(i);
    CSmFindDlg dlg(&view, true);
    dlg.show();
    dlg.OnCommand(SM_ID_OK);
    EXPECT_FALSE(dlg.isVisible());
  }
  EXPECT_EQ(Rows(1000), 51);
  EXPECT_EQ(Newest(1000), "t54");
  EXPECT_EQ(view.state, "find:t54||0");

  view.selected = "t50";  // already in the list: not added again
  CSmFindDlg again(&view, true);
  again.show();
  EXPECT_EQ(static_cast<QComboBox*>(again.Control(CSmFindDlg::kFindCombo))->count(), 51);
  EXPECT_FALSE(again.Control(CSmFindDlg::kReplaceCombo)->isVisible());
  again.OnCommand(SM_ID_OK);
  EXPECT_EQ(Rows(1000), 51);
  EXPECT_EQ(Newest(1000), "t54");
}

TEST_F(GridFind, ReplaceKeepsBothTextsAndTheWholeCellFlag) {
  FakeGridView view(&m_db);
  view.selected = "农户's";
  {
    CSmFindDlg dlg(&view, false);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "替换");
    static_cast<QComboBox*>(dlg.Control(CSmFindDlg::kReplaceCombo))->setEditText("蔗农");
    static_cast<QCheckBox*>(dlg.Control(CSmFindDlg::kWholeCell))->setChecked(true);
    dlg.OnCommand(SM_ID_OK);
  }
  EXPECT_EQ(view.state, "replace:农户's|蔗农|1");
  EXPECT_EQ(Newest(1001), "农户's");
  EXPECT_EQ(Newest(1002), "蔗农");
  EXPECT_EQ(Rows(1003), 1);

  view.selected = "";
  CSmFindDlg dlg(&view, false);
  dlg.show();
  EXPECT_TRUE(static_cast<QCheckBox*>(dlg.Control(CSmFindDlg::kWholeCell))->isChecked());
  EXPECT_EQ(static_cast<QComboBox*>(dlg.Control(CSmFindDlg::kFindCombo))->currentText(), "农户's");
  static_cast<QComboBox*>(dlg.Control(CSmFindDlg::kFindCombo))->setEditText("");
  dlg.OnCommand(SM_ID_OK);
  EXPECT_TRUE(dlg.isVisible());  // an empty find text keeps the dialog open
}
