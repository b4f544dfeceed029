// The voucher list of the advance document: months of the accounting year, the kind, party and
// review-filter buttons, and delete, review and its cancel in place with their log lines.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>

#include "cane/TsParams.h"
#include "platform/SmCommandIds.h"
#include "tests/cane/TsDirTest.h"
#include "tests/common/SmModalScript.h"
#include "weighing/TsYfOpenDlg.h"
#include "weighing/TsjsRec.h"

namespace {

class TsYfOpenDlgTest : public TsDirTest {
 protected:
  void SetUp() override {
    TsDirTest::SetUp();
    m_app.m_env.ReadSysTab(false);    // the business year of the file
    m_type->m_strParams[48] = "010";  // the year begins on 1 October of the year before
    ASSERT_EQ(TsGetYearStartDate(), "20151001");
    m_app.m_env.SetOperatorNo("101");
    m_app.m_env.SetRights("1652 1654 ");
    // Advances of farmers: 0001 and 0002 open, 0003 reviewed by this operator, 0004 by another.
    Voucher(2, "0001", "20160205", "101", "");
    Voucher(2, "0002", "20160210", "102", "");
    Voucher(2, "0003", "20151110", "101", "101");
    Voucher(2, "0004", "20151120", "102", "104");
    Voucher(2, "0005", "20160205", "101", "", 1);  // a driver's
    Voucher(5, "0006", "20160205", "101", "");
  }

  void Voucher(int kind, const char* dh, const char* t, const char* maker, const char* reviewer,
               int party = 0) {
    CTsjsRec rec;
    rec.LB = party;
    rec.DB = kind;
    rec.T = t;
    rec.DH = dh;
    rec.KNO = party ? "003" : "10101001";
    rec.OPR[0] = maker;
    rec.OPR[1] = reviewer;
    rec.MY[1] = kind == 5 ? 0 : -100;
    rec.MU[0] = kind == 5 ? 2.5 : 0;
    ASSERT_EQ(rec.Insert(1, m_db), 1);
  }

  static QAbstractButton* Button(CTsYfOpenDlg& dlg, int id) {
    return Find<QAbstractButton>(&dlg, id);
  }
  static std::string Listed(CTsYfOpenDlg& dlg) {
    std::string text;
    for (int row = 0; row < dlg.List()->RowCount(); ++row) {
      const QTreeWidgetItem* item = dlg.List()->topLevelItem(row);
      text += (text.empty() ? "" : " ") + item->text(0).toStdString();
      if (!item->text(3).isEmpty()) text += "*";
    }
    return text;
  }
  static std::string LastBox() { return CSmMessageService::Instance().LastText(); }
  static std::string Caption(CTsYfOpenDlg& dlg) { return dlg.windowTitle().toStdString(); }
  static void Select(CTsYfOpenDlg& dlg, std::vector<std::string> numbers) {
    dlg.List()->clearSelection();
    dlg.List()->SelectTexts(numbers);
  }
  static std::string Selected(CTsYfOpenDlg& dlg) {
    std::vector<std::string> texts;
    dlg.List()->GetSelectedTexts(texts);
    std::string text;
    for (const std::string& t : texts) text += (text.empty() ? "" : " ") + t;
    return text;
  }
};

TEST_F(TsYfOpenDlgTest, MonthsButtonsAndCaptionsDecideTheList) {
  CTsYfOpenDlg dlg(1, 2, false, false, "02", {}, m_db);
  dlg.show();
  auto* months = Find<QComboBox>(&dlg, CTsYfOpenDlg::kMonthId);
  std::string entries;
  for (int i = 0; i < months->count(); ++i) entries += months->itemText(i).toStdString() + ",";
  EXPECT_EQ(entries, ",11月,12月,01月,02月,03月,04月,05月,06月,07月,08月,09月,10月,");
  EXPECT_EQ(months->currentText().toStdString(), "02月");
  EXPECT_EQ(Caption(dlg), "打开预付运户款单");
  EXPECT_EQ(Listed(dlg), "0005");

  Button(dlg, CTsYfOpenDlg::kFarmersId)->click();  // farmers
  EXPECT_EQ(dlg.Party(), 0);
  EXPECT_EQ(Caption(dlg), "打开预付农户款单");
  EXPECT_EQ(Listed(dlg), "0001 0002");
  months->setCurrentIndex(0);
  emit months->activated(0);
  EXPECT_EQ(dlg.Month(), "");
  EXPECT_EQ(Listed(dlg), "0001 0002 0003* 0004*");

  // The review filters exclude each other; another change clears "未核".
  auto* unreviewed = Find<QCheckBox>(&dlg, CTsYfOpenDlg::kUnreviewedId);
  auto* reviewed = Find<QCheckBox>(&dlg, CTsYfOpenDlg::kReviewedId);
  reviewed->click();
  EXPECT_EQ(Listed(dlg), "0003* 0004*");
  unreviewed->click();
  EXPECT_FALSE(reviewed->isChecked());
  EXPECT_EQ(Listed(dlg), "0001 0002");
  reviewed->click();
  EXPECT_FALSE(unreviewed->isChecked());
  EXPECT_TRUE(dlg.ReviewedOnly());
  reviewed->click();
  unreviewed->click();
  Button(dlg, CTsYfOpenDlg::kReceiptId)->click();
  EXPECT_FALSE(unreviewed->isChecked());
  EXPECT_EQ(Caption(dlg), "打开农户退预付款单");

  // Estimates belong to farmers.
  Button(dlg, CTsYfOpenDlg::kDriversId)->click();
  EXPECT_EQ(Caption(dlg), "打开运户退预付款单");
  Button(dlg, CTsYfOpenDlg::kAreaId)->click();
  EXPECT_EQ(dlg.Party(), 0);
  EXPECT_TRUE(Button(dlg, CTsYfOpenDlg::kFarmersId)->isChecked());
  EXPECT_EQ(Caption(dlg), "打开甘蔗种植面积预估单");
  EXPECT_EQ(Listed(dlg), "0006");
}

TEST_F(TsYfOpenDlgTest, CommandsFollowRightsMakerAndReviewer) {
  CTsYfOpenDlg dlg(0, 2, false, false, "", {"0001"}, m_db);
  dlg.show();
  CSmListCtrl* list = dlg.List();
  const struct {
    std::vector<std::string> rows;
    const char* rights;
    bool del, review, cancel;
  } cases[] = {
      {{"0001"}, "1652 1654 ", true, true, false},
      {{"0002"}, "1652 1654 ", false, true, false},  // made by another operator
      {{"0003"}, "1652 1654 ", false, false, true},
      {{"0004"}, "1652 1654 ", false, false, false},  // reviewed by another operator
      {{"0001", "0002"}, "1652 1654 ", false, false, false},
      {{"0001"}, "1654 ", false, true, false},
      {{"0003"}, "1652 ", false, false, false},
  };
  for (const auto& c : cases) {
    m_app.m_env.SetRights(c.rights);
    Select(dlg, c.rows);
    SCOPED_TRACE(c.rows[0] + " " + c.rights);
    EXPECT_EQ(list->IsCommandEnabled(SM_ID_LIST_DELETE), c.del);
    EXPECT_EQ(list->IsCommandEnabled(CTsYfOpenDlg::kReview), c.review);
    EXPECT_EQ(list->IsCommandEnabled(CTsYfOpenDlg::kCancelReview), c.cancel);
    EXPECT_TRUE(list->IsCommandEnabled(SM_ID_LIST_OPEN));
  }
  std::vector<std::string> ids;
  const std::unique_ptr<QMenu> menu = list->CreateContextMenu();
  for (QAction* action : menu->actions()) ids.push_back(action->objectName().toStdString());
  const unsigned removed[] = {SM_ID_LIST_ADD, SM_ID_LIST_MODIFY, SM_ID_EDIT_CUT, SM_ID_EDIT_COPY,
                              SM_ID_EDIT_PASTE};
  for (unsigned id : removed)
    EXPECT_EQ(std::count(ids.begin(), ids.end(), std::to_string(id)), 0) << id;
  for (unsigned id : {CTsYfOpenDlg::kReview, CTsYfOpenDlg::kCancelReview})
    EXPECT_EQ(std::count(ids.begin(), ids.end(), std::to_string(id)), 1) << id;
}

TEST_F(TsYfOpenDlgTest, DeleteReviewAndCancelAreLoggedWhenTheyChangeTheVoucher) {
  CTsYfOpenDlg dlg(0, 2, false, false, "", {}, m_db);
  dlg.show();
  Select(dlg, {"0001"});
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  dlg.OnDelete();
  EXPECT_EQ(Listed(dlg), "0001 0002 0003* 0004*");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  dlg.OnDelete();
  EXPECT_EQ(LastBox(), "真的要删除吗？");
  EXPECT_EQ(Listed(dlg), "0002 0003* 0004*");
  EXPECT_EQ(Selected(dlg), "0002") << "the row that took its place";

  Select(dlg, {"0002"});
  dlg.OnReview(false);
  Select(dlg, {"0003"});
  dlg.OnReview(true);
  EXPECT_EQ(Listed(dlg), "0002* 0003 0004*");
  EXPECT_EQ(Selected(dlg), "0003");
  EXPECT_EQ(Logged(1608),
            "修改预付农户款单：0001|复核预付农户款单：0002|取消复核预付农户款单：0003");

  // Another station reviews 0003 after this list was filled.
  CSmDatabase other;
  ASSERT_TRUE(other.Open(m_db->GetFileName()));
  ASSERT_TRUE(other.ExecuteSQL("Update jsSheet Set OPR1='104' Where DH='0003'"));
  Select(dlg, {"0003"});
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  dlg.OnDelete();
  EXPECT_EQ(LastBox(), "该单已被复核，或已被删除！");
  dlg.OnReview(false);
  EXPECT_EQ(Listed(dlg), "0002* 0003* 0004*");
  EXPECT_EQ(Selected(dlg), "");
  EXPECT_EQ(Logged(1608),
            "修改预付农户款单：0001|复核预付农户款单：0002|取消复核预付农户款单：0003");
}

TEST_F(TsYfOpenDlgTest, OpenNeedsAChosenVoucher) {
  CTsYfOpenDlg dlg(0, 2, false, false, "", {}, m_db);
  dlg.show();
  dlg.List()->clearSelection();
  dlg.OnOK();
  EXPECT_EQ(LastBox(), "未选择单据！");
  EXPECT_TRUE(dlg.isVisible());
  Select(dlg, {"0004", "0002"});
  dlg.List()->OnCommand(SM_ID_LIST_OPEN);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Numbers(), (std::vector<std::string>{"0002", "0004"}));
}

}  // namespace
