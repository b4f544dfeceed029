// The farmer and variety directories: columns per mode, the back button, advance totals,
// picking, the right to change, deleting, moving and copying with their log lines.
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "cane/TsFarmerCardDlg.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsNH.h"
#include "cane/TsVarietyDirDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/cane/TsDirTest.h"

namespace {

class TsDirsTest : public TsDirTest {
 protected:
  void SetUp() override {
    TsDirTest::SetUp();
    AddSampleFarmers();
    TsSlipAmounts amounts{};
    amounts[0] = 100.5;
    m_weighing->openings["10101001"] = amounts;
    amounts[0] = 20;
    m_weighing->openings["10101002"] = amounts;
  }
  template <class Dlg>
  std::unique_ptr<Dlg> Show(int mode, const std::string& start) {
    auto dlg = std::make_unique<Dlg>(m_db, mode, start);
    dlg->show();
    return dlg;
  }
  static std::vector<std::string> Column(CSmListCtrl* list, int column) {
    std::vector<std::string> texts;
    for (int i = 0; i < list->RowCount(); ++i)
      texts.push_back(list->topLevelItem(i)->text(column).toStdString());
    return texts;
  }
  static std::string ButtonText(QWidget* dlg, int id) {
    return Find<QPushButton>(dlg, id)->text().toStdString();
  }
};

TEST_F(TsDirsTest, FarmerListShowsAmountsOnlyWhenMaintaining) {
  auto dlg = Show<CTsFarmerDirDlg>(0, "10101001");
  CSmCodeList* list = dlg->List();
  ASSERT_EQ(list->columnCount(), 11);
  EXPECT_EQ(list->headerItem()->text(7).toStdString(), "化肥款");
  EXPECT_EQ(list->headerItem()->text(9).toStdString(), "修路费");
  EXPECT_EQ(Column(list, 7), (std::vector<std::string>{"100.50", "20.00"}));
  EXPECT_EQ(Column(list, 8), (std::vector<std::string>{"0.00", "0.00"}));
  EXPECT_EQ(Find<QLabel>(dlg.get(), CTsFarmerDirDlg::kParentText)->text().toStdString(),
            "10101  一组");
  EXPECT_EQ(dlg->AdvanceTotalsText(),
            "当前农户预付款合计数为：\n\n    化肥款：120.50元\n    种苗款：\n    合计：120.50元");
  list->OnCommand(SM_ID_FARMER_ADVANCE_TOTALS);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), dlg->AdvanceTotalsText());

  // One level up the rows are summed per child.
  EXPECT_EQ(ButtonText(dlg.get(), CTsFarmerDirDlg::kBack), "&X.后退");
  Click(dlg.get(), CTsFarmerDirDlg::kBack);
  EXPECT_EQ(dlg->CurrentCode(), "101");
  EXPECT_EQ(Column(list, 7), std::vector<std::string>{"120.50"});
  Click(dlg.get(), CTsFarmerDirDlg::kBack);
  Click(dlg.get(), CTsFarmerDirDlg::kBack);
  EXPECT_EQ(ButtonText(dlg.get(), CTsFarmerDirDlg::kBack), "&X.关闭");
  Click(dlg.get(), CTsFarmerDirDlg::kBack);
  EXPECT_EQ(dlg->result(), QDialog::Rejected);

  for (int mode : {1, 2}) {
    auto picker = Show<CTsFarmerDirDlg>(mode, "");
    EXPECT_EQ(picker->List()->columnCount(), 7);
    EXPECT_FALSE(picker->List()->IsCommandEnabled(SM_ID_FARMER_ADVANCE_TOTALS));
    const auto menu = picker->List()->CreateContextMenu();
    for (QAction* action : menu->actions())
      EXPECT_NE(action->data().toUInt(), unsigned(SM_ID_FARMER_ADVANCE_TOTALS));
  }
}

TEST_F(TsDirsTest, PickersEnterRegionsAndPickFarmersOrAnyCode) {
  auto farmer = Show<CTsFarmerDirDlg>(1, "");
  farmer->List()->FindText("1", false);
  farmer->OnOK();
  EXPECT_EQ(farmer->CurrentCode(), "1");
  EXPECT_EQ(Column(farmer->List(), 0), std::vector<std::string>{"101"});
  farmer->List()->clearSelection();
  farmer->List()->FindText("101", false);
  farmer->OnOK();
  farmer->OnOK();  // into 10101
  farmer->OnOK();  // picks 10101001
  EXPECT_EQ(farmer->result(), QDialog::Accepted);
  EXPECT_EQ(farmer->CurrentCode(), "10101001");

  auto any = Show<CTsFarmerDirDlg>(2, "101");
  any->OnOK();
  EXPECT_EQ(any->result(), QDialog::Accepted);
  EXPECT_EQ(any->CurrentCode(), "101");
}

TEST_F(TsDirsTest, VarietyParentsShowNoPrice) {
  AddVarieties({{"01", 0}, {"0101", 300}, {"0102", 310}, {"02", 280}});
  auto dlg = Show<CTsVarietyDirDlg>(0, "");
  EXPECT_EQ(Column(dlg->List(), 2), (std::vector<std::string>{"", "280.00"}));
  EXPECT_EQ(dlg->List()->columnCount(), 4);
  EXPECT_EQ(dlg->List()->GetColumnFormat(2), Qt::AlignRight);
  dlg->List()->FindText("01", false);
  Click(dlg.get(), CTsVarietyDirDlg::kDown);
  EXPECT_EQ(Column(dlg->List(), 2), (std::vector<std::string>{"300.00", "310.00"}));
  EXPECT_EQ(ButtonText(dlg.get(), CTsVarietyDirDlg::kBack), "&X.后退");
}

TEST_F(TsDirsTest, WithoutTheRightNothingChangesButOpenAndPickWork) {
  m_app.m_env.SetRights("");
  auto dlg = Show<CTsFarmerDirDlg>(1, "10101001");
  CSmCodeList* list = dlg->List();
  for (unsigned id :
       std::initializer_list<unsigned>{SM_ID_LIST_ADD, SM_ID_LIST_MODIFY, SM_ID_LIST_DELETE,
                                       SM_ID_EDIT_CUT, SM_ID_EDIT_PASTE, SM_ID_BATCH_PARAMS})
    EXPECT_FALSE(list->IsCommandEnabled(id)) << id;
  for (int id : {CTsFarmerDirDlg::kAdd, CTsFarmerDirDlg::kModify, CTsFarmerDirDlg::kRemove}) {
    EXPECT_FALSE(Find<QPushButton>(dlg.get(), id)->isEnabled()) << id;
    dlg->OnCommand(id);
  }
  std::string code = "10101001";
  EXPECT_FALSE(dlg->EditCode(code, false));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_TRUE(list->IsCommandEnabled(SM_ID_LIST_OPEN));
  dlg->OnOK();
  EXPECT_EQ(dlg->CurrentCode(), "10101001");
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_EQ(Rows("Select KNO From NHDir Order By KNO"), "1|101|10101|10101001|10101002|2");
}

TEST_F(TsDirsTest, AddingRunsTheCardUntilItIsCancelled) {
  auto dlg = Show<CTsFarmerDirDlg>(0, "10101001");
  CModalScript script;
  script.Then(953, [](QWidget* card) {
    Type(card, CTsFarmerCardDlg::kName, "王五");
    Press(card, SM_ID_OK);
  });
  script.Then(953, Cancel);
  Click(dlg.get(), CTsFarmerDirDlg::kAdd);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(Column(dlg->List(), 0), (std::vector<std::string>{"10101001", "10101002", "10101003"}));
  std::vector<std::string> selected;
  dlg->List()->GetSelectedTexts(selected);
  EXPECT_EQ(selected, std::vector<std::string>{"10101003"});
  EXPECT_EQ(Logged(1601), "新增：10101003 - 王五");
}

TEST_F(TsDirsTest, DeletesAreLoggedPerDirectory) {
  auto farmers = Show<CTsFarmerDirDlg>(0, "10101002");
  farmers->List()->clearSelection();
  farmers->List()->FindText("10101002", false);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  farmers->List()->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(Rows("Select KNO From NHDir Where KNO Like '10101\x07*\x08'"), "10101|10101001");
  EXPECT_EQ(Logged(1601), "删除：10101002");

  AddVarieties({{"01", 0}, {"0101", 300}, {"02", 280}});
  auto varieties = Show<CTsVarietyDirDlg>(0, "02");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  varieties->List()->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(Logged(1604), "删除：02");
  EXPECT_EQ(Rows("Select KNO From GP Order By KNO"), "01|0101");
}

TEST_F(TsDirsTest, PastedCodesTakeTheTargetLevelAndAreLogged) {
  // Cut 10101002 into region 2's first village: the own part is read as a number for the new
  // level, so "10101" becomes "01" below "2".
  auto dlg = Show<CTsFarmerDirDlg>(0, "");
  dlg->SetCurrentCode("2");
  dlg->Paste({"101"}, true, true, *m_db);
  EXPECT_EQ(Rows("Select KNO From NHDir Where KNO Like '2\x07*\x08' Order By KNO"),
            "2|201|20101|20101001|20101002");
  dlg->SetCurrentCode("20101001");
  dlg->Paste({"20101002"}, false, true, *m_db);  // the last level takes no pasted code
  EXPECT_EQ(dlg->MakePastedCode("20101", "123"), "123");
  EXPECT_EQ(dlg->MakePastedCode("20101", "1234"), "");
  EXPECT_EQ(dlg->MakePastedCode("20101001", "1"), "");
  dlg->SetCurrentCode("");
  dlg->Paste({"2"}, false, true, *m_db);  // a copy of region 2 as region 3
  EXPECT_EQ(Rows("Select KNO From NHDir Where KNO Like '3\x07*\x08' Order By KNO"),
            "3|301|30101|30101001|30101002");
  EXPECT_EQ(Logged(1601), "移动：一村(101-->201)|复制：复件：西区(2-->3)");
}

TEST_F(TsDirsTest, RowsPastedFromAnotherDataFileAreCopied) {
  CSmDatabase other;
  ASSERT_TRUE(other.Open(SmCreateTestDataFile(2016)));
  ASSERT_TRUE(
      other.ExecuteSQL("Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
                       "Values('3','南区','','','','','',0,0,0,0)"));
  auto dlg = Show<CTsFarmerDirDlg>(0, "");
  dlg->Paste({"3"}, true, false, other);
  EXPECT_EQ(Rows("Select NA From NHDir Where KNO='3'"), "南区");
  EXPECT_EQ(other.QueryInt("Select Count(*) From NHDir Where KNO='3'"), 1);
  EXPECT_EQ(Logged(1601), "复制：南区(3-->3)");
}

}  // namespace
