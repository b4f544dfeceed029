// The year-end carry-over: the items of the modules, the search for the previous year's file,
// the check and copy passes and the dialog.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

#include "admin/SmCarryOver.h"
#include "admin/SmCarryOverDlg.h"
#include "app/SmOpLog.h"
#include "tests/admin/test_admin_fixture.h"

namespace {

// Items over small tables of its own: 1 and 101 are carried by copying their table, 201 repeats
// 101's item number, 2 asks first and 3 fails to copy when told to.
class CarryType : public CSmDataType {
 public:
  CarryType() { m_number = 16; }
  void CreateTables(CSmDatabase* db) override {
    for (const char* table : {"CoA", "CoB", "CoC"}) {
      if (!db->TableExists(table))
        db->ExecuteSQL(std::string("Create Table ") + table + "(K Long)");
    }
  }
  void ListCarryOverItems(std::vector<int>& codes, CSmStringList& captions,
                          CSmStringList& tables) override {
    codes = {1, 101, 201, 2};
    captions = {"农户目录", "甲", "乙", "问"};
    tables = {"CoA", "CoB", "CoA", "CoC"};
  }
  int CanCarryOver(int subCode, int item, const std::string& caption, const std::string& tables,
                   CSmDatabase* source, CSmDatabase* target, std::string& message) override {
    if (item == 2) {
      message = caption + "：要问";
      return 1;
    }
    return CSmDataType::CanCarryOver(subCode, item, caption, tables, source, target, message);
  }
  bool CarryOver(int subCode, int item, CSmDatabase* source, CSmDatabase* target,
                 QLabel*) override {
    carried.push_back(subCode * 100 + item);
    if (failing == item) return false;
    const char* table = item == 2 ? "CoC" : (subCode ? "CoB" : "CoA");
    return CSmDatabase::CopyTable(source, target, table);
  }
  std::vector<int> carried;
  int failing = -1;
};

class CarryOverTest : public AdminFileTest {
 protected:
  void SetUp() override {
    m_app.m_dataTypes = {&m_type};
    AdminFileTest::SetUp();
  }
  // A file of the year beside the open one (on the server: of the same account set).
  void MakeFile(int year) {
    if (GetParam() == 0) {
      const std::string folder = m_path.substr(0, m_path.find_last_of('/'));
      ASSERT_FALSE(SmCreateTestDataFile(year, folder).empty());
      return;
    }
    DropServerFile(year);
    ASSERT_TRUE(SmCreateServerYearFile(m_app, GetParam(), m_login, m_code, year));
  }
  void DropOlderFiles() {
    if (GetParam() == 0) return;
    for (int year = 2006; year < 2016; ++year) DropServerFile(year);
  }
  SmCarryOverSource Find() { return SmFindCarryOverSource(m_app.m_env, 2015, kExt); }
  CarryType m_type;
};

std::vector<size_t> AllRows(const SmCarryOverItems& items) {
  std::vector<size_t> rows;
  for (size_t i = 0; i < items.size(); ++i) rows.push_back(i);
  return rows;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, CarryOverTest, testing::Values(0, 2));

TEST_P(CarryOverTest, SourceIsTheNewestOfTheTenYearsBefore) {
  DropOlderFiles();
  EXPECT_EQ(Find().env, nullptr);
  MakeFile(2014);
  SmCarryOverSource source = Find();
  ASSERT_NE(source.env, nullptr);
  EXPECT_EQ(source.yearText, "2014");
  EXPECT_EQ(source.env->GetYear(), 2014);
  MakeFile(2015);
  EXPECT_EQ(Find().yearText, "2015");
  DropOlderFiles();
}

TEST_P(CarryOverTest, ItemsAreCheckedAllBeforeAnyIsCopied) {
  DropOlderFiles();
  MakeFile(2015);
  SmCarryOverSource source = Find();
  ASSERT_NE(source.env, nullptr);
  CSmDatabase* from = source.env->GetDatabase();
  ASSERT_TRUE(from->ExecuteSQL("Insert Into CoA(K) Values(1)"));
  ASSERT_TRUE(from->ExecuteSQL("Insert Into CoB(K) Values(2)"));
  ASSERT_TRUE(from->ExecuteSQL("Insert Into CoC(K) Values(3)"));

  SmCarryOverItems items;
  items.Load(m_app);
  EXPECT_EQ(items.codes, (std::vector<int>{16001, 16101, 16002}));  // 201 listed once
  EXPECT_EQ(items.captions, (CSmStringList{"农户目录", "甲", "问"}));

  // An item whose target already holds rows stops the whole run.
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into CoB(K) Values(9)"));
  SmResetMessages();
  EXPECT_EQ(SmRunCarryOver(m_app, items, AllRows(items), from, m_db, nullptr, 0),
            SmCarryOverResult::Refused);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "甲：已有记录，不能结转！\n问：要问\n不能执行结转！");
  EXPECT_TRUE(m_type.carried.empty());
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From CoA"), 0);

  // A question goes on only with Yes.
  const std::vector<size_t> firstAndAsking = {0, 2};
  for (int answer : {SM_IDNO, SM_IDCANCEL}) {
    CSmMessageService::Instance().QueueAnswer(answer);
    EXPECT_EQ(SmRunCarryOver(m_app, items, firstAndAsking, from, m_db, nullptr, 0),
              SmCarryOverResult::Declined);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "问：要问\n继续吗？");
  }
  EXPECT_TRUE(m_type.carried.empty());
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_EQ(SmRunCarryOver(m_app, items, firstAndAsking, from, m_db, nullptr, 0),
            SmCarryOverResult::Done);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "结转完毕！");
  EXPECT_EQ(m_type.carried, (std::vector<int>{1, 2}));
  EXPECT_EQ(m_db->QueryInt("Select Sum(K) From CoA"), 1);
  EXPECT_EQ(m_db->QueryInt("Select Sum(K) From CoC"), 3);

  // A copy that fails is named instead of the end message.
  ASSERT_TRUE(m_db->ExecuteSQL("Delete From CoB"));
  m_type.failing = 1;
  m_type.carried.clear();
  EXPECT_EQ(SmRunCarryOver(m_app, items, {1}, from, m_db, nullptr, 0), SmCarryOverResult::Failed);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "下列项目结转失败：\n甲\n");
  EXPECT_EQ(m_type.carried, std::vector<int>{101});
  source.env->Close();
  DropOlderFiles();
}

// The bar between the years counts the items carried: full when "结转完毕！" shows.
TEST_P(CarryOverTest, ProgressBarIsFullWhenTheRunIsDone) {
  MakeFile(2015);
  SmCarryOverSource source = Find();
  ASSERT_NE(source.env, nullptr);
  CSmCarryOverDlg dlg(m_app, std::move(source));
  dlg.show();
  auto* list = dlg.findChild<QTreeWidget*>(QString::number(CSmCarryOverDlg::kItemList));
  auto* bar = dlg.findChild<QProgressBar*>(QString::number(CSmCarryOverDlg::kProgress));
  ASSERT_NE(bar, nullptr);
  list->topLevelItem(0)->setSelected(true);
  list->topLevelItem(1)->setSelected(true);
  bool shown = false;
  int value = -1, maximum = -1;
  SmResetMessages();
  CSmMessageService::Instance().WhileNextShown([&](const std::string&) {
    shown = bar->isVisible();
    value = bar->value();
    maximum = bar->maximum();
  });
  dlg.OnCarryOver();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "结转完毕！");
  EXPECT_EQ(m_type.carried, (std::vector<int>{1, 101}));
  EXPECT_TRUE(shown);
  EXPECT_EQ(maximum, 2);
  EXPECT_EQ(value, maximum);
  EXPECT_FALSE(bar->isVisible());
  DropOlderFiles();
}

TEST_P(CarryOverTest, DialogMarksCarriedItemsAndLogsTheRun) {
  DropOlderFiles();
  SmResetMessages();
  SmCarryOverCommand(m_app);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "无最近十年内的年度数据文件，无法结转!");

  MakeFile(2014);  // two years back
  SmCarryOverSource source = Find();
  ASSERT_NE(source.env, nullptr);
  source.env->GetDatabase()->ExecuteSQL("Insert Into CoA(K) Values(1)");
  CSmCarryOverDlg dlg(m_app, std::move(source));
  dlg.show();
  EXPECT_EQ(
      dlg.findChild<QLabel*>(QString::number(CSmCarryOverDlg::kSourceYear))->text().toStdString(),
      "2014");
  EXPECT_EQ(
      dlg.findChild<QLabel*>(QString::number(CSmCarryOverDlg::kTargetYear))->text().toStdString(),
      "2016");
  auto* list = dlg.findChild<QTreeWidget*>(QString::number(CSmCarryOverDlg::kItemList));
  ASSERT_EQ(list->topLevelItemCount(), 3);
  const qint64 emptyIcon = list->topLevelItem(0)->icon(0).cacheKey();
  EXPECT_EQ(list->topLevelItem(1)->icon(0).cacheKey(), emptyIcon);
  EXPECT_FALSE(list->topLevelItem(0)->icon(0).pixmap(16).isNull());  // an icon that shows

  SmResetMessages();
  dlg.OnCarryOver();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "未选择结转项目！");
  list->topLevelItem(0)->setSelected(true);
  EXPECT_TRUE(LogNotes(6).empty());
  dlg.OnCarryOver();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "结转完毕！");
  EXPECT_EQ(m_type.carried, std::vector<int>{1});
  EXPECT_EQ(LogNotes(6), std::vector<std::string>{"转账：2014到2016"});
  EXPECT_NE(list->topLevelItem(0)->icon(0).cacheKey(), list->topLevelItem(1)->icon(0).cacheKey());
  EXPECT_FALSE(list->topLevelItem(0)->icon(0).pixmap(16).isNull());

  // A refused run is not logged as a carry-over.
  list->topLevelItem(0)->setSelected(true);
  dlg.OnCarryOver();
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "农户目录：已有记录，不能结转！\n不能执行结转！");
  EXPECT_EQ(LogNotes(6).size(), 1u);
  DropOlderFiles();
}
