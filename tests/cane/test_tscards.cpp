// The farmer and variety cards and the batch change of a linked parameter.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

#include "cane/TsBatchParamDlg.h"
#include "cane/TsCardFields.h"
#include "cane/TsFarmerCardDlg.h"
#include "cane/TsVarietyCardDlg.h"
#include "tests/cane/TsDirTest.h"
#include "ui/SmEdit.h"

namespace {

class TsCardsTest : public TsDirTest {
 protected:
  void SetUp() override {
    TsDirTest::SetUp();
    AddSampleFarmers();
  }
  static void Set(QWidget* dlg, int id, const std::string& text) {
    Find<CSmEdit>(dlg, id)->setText(QString::fromStdString(text));
  }
  static std::string Get(QWidget* dlg, int id) {
    return Find<CSmEdit>(dlg, id)->text().toStdString();
  }
  static const std::string& LastBox() {
    static std::string text;
    text = CSmMessageService::Instance().LastText();
    return text;
  }
};

TEST_F(TsCardsTest, OwnPartIsPaddedToTheLengthOfItsLevel) {
  struct Case {
    const char* typed;
    int length;
    const char* fixed;  // null: refused
  };
  const Case cases[] = {{"7", 2, "07"},      {"07", 2, "07"},  {"00", 2, nullptr},
                        {"123", 2, nullptr}, {"", 2, nullptr}, {"5", 0, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    SmResetMessages();
    std::string own = c.typed;
    EXPECT_EQ(TsFixOwnPart(own, c.length), c.fixed != nullptr);
    EXPECT_EQ(c.fixed ? own : LastBox(), c.fixed ? c.fixed : "代码不合适!");
  }

  // Below a parent of three characters (levels 1, 2, 2, 3) the own part has two.
  CTsFarmerCardDlg card(m_db, "101", "10101", true);
  card.show();
  EXPECT_EQ(card.OwnPartLength(), 2);
  EXPECT_EQ(card.windowTitle().toStdString(), "增加");
  EXPECT_EQ(Get(&card, CTsFarmerCardDlg::kOwnPart), "02");  // the next free code
  Set(&card, CTsFarmerCardDlg::kOwnPart, "7");
  card.OnOK();
  EXPECT_EQ(LastBox(), "名称不能为空，请重输!");
  EXPECT_TRUE(card.isVisible());
  Set(&card, CTsFarmerCardDlg::kName, "王五");
  card.OnOK();
  EXPECT_EQ(card.result(), QDialog::Accepted);
  EXPECT_EQ(card.Farmer().KNO, "10107");

  CTsFarmerCardDlg modify(m_db, "101", "10107", false);
  modify.show();
  EXPECT_EQ(modify.windowTitle().toStdString(), "修改");
  EXPECT_EQ(Get(&modify, CTsFarmerCardDlg::kName), "王五");
  Set(&modify, CTsFarmerCardDlg::kOwnPart, "8");
  Set(&modify, CTsFarmerCardDlg::kName, "王六");
  modify.OnOK();
  EXPECT_EQ(Rows("Select NA From NHDir Where KNO='10108'"), "王六");
  EXPECT_EQ(Logged(1601), "新增：10107 - 王五|修改：10107(王五) --> 10108(王六)");
}

TEST_F(TsCardsTest, FarmerFieldsFollowWhereTheFarmerStands) {
  TsSlipAmounts amounts{};
  amounts[0] = 100.5;
  m_weighing->openings["10101001"] = amounts;
  amounts[2] = 30;
  m_weighing->openings["2"] = amounts;
  ASSERT_TRUE(m_db->ExecuteSQL("Update NHDir Set cs2=1.25 Where KNO='10101001'"));

  CTsFarmerCardDlg region(m_db, "1", "101", false);
  region.show();
  EXPECT_EQ(region.AdvanceFieldCount(), 0);
  EXPECT_EQ(region.ParamFieldCount(), 0);

  CTsFarmerCardDlg farmer(m_db, "10101", "10101001", false);
  farmer.show();
  ASSERT_EQ(farmer.AdvanceFieldCount(), 2);
  ASSERT_EQ(farmer.ParamFieldCount(), 2);
  EXPECT_EQ(Get(&farmer, CTsFarmerCardDlg::kFirstAdvance), "100.5");
  EXPECT_EQ(Get(&farmer, CTsFarmerCardDlg::kFirstAdvance + 3), "1.25");  // 补贴 is cs2
  // Enter from the note goes on to the first advance field.
  Find<CSmEdit>(&farmer, CTsFarmerCardDlg::kNote)->setFocus();
  QApplication::processEvents();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&farmer, &enter);
  EXPECT_EQ(farmer.focusWidget(), Find<CSmEdit>(&farmer, CTsFarmerCardDlg::kFirstAdvance));

  // The first child of region 2 shows the region's balances and stores them as its own.
  CTsFarmerCardDlg first(m_db, "2", "", true);
  first.show();
  EXPECT_EQ(Get(&first, CTsFarmerCardDlg::kOwnPart), "01");
  EXPECT_EQ(Get(&first, CTsFarmerCardDlg::kFirstAdvance), "100.5");
  EXPECT_EQ(Get(&first, CTsFarmerCardDlg::kFirstAdvance + 1), "30");
  Set(&first, CTsFarmerCardDlg::kName, "新村");
  Set(&first, CTsFarmerCardDlg::kFirstAdvance + 1, "35");
  first.OnOK();
  EXPECT_EQ(first.result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(m_weighing->openings["201"][2], 35);
}

TEST_F(TsCardsTest, VarietyPriceChangeOffersToRepriceOpenTickets) {
  AddVarieties({{"01", 0}, {"0101", 300}, {"0102", 310}});
  struct Case {
    std::vector<double> prices;  // of the unsettled tickets
    int answer;
    std::vector<TsRepriceCall> calls;
    const char* logged;
  };
  const Case cases[] = {
      {{300, 300}, SM_IDYES, {{false, 0, 320, "0101"}}, "0101(品种0101)调价：调至320.00；"},
      {{300, 300}, SM_IDNO, {}, ""},
      {{300, 310}, SM_IDYES, {{true, 0, 20, "0101"}}, "0101(品种0101)调价：调增20.00；"},
      {{300, 310}, SM_IDNO, {{false, 0, 320, "0101"}}, "0101(品种0101)调价：调至320.00；"},
      {{300, 310}, SM_IDCANCEL, {}, ""},
      {{}, SM_IDYES, {}, ""},  // no open ticket: no question
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(number);
    SmResetMessages();
    m_weighing->reprices.clear();
    Run({"Delete From gbSheet", "Delete From SmLog", "Update GP Set pr=300 Where KNO='0101'",
         // a settled ticket does not count
         "Insert Into gbSheet(DH,KNO3,OPR1,JN0,PR0) Values('99999','0101','101','J1',250)"});
    for (double price : c.prices)
      Run({FormatStr("Insert Into gbSheet(DH,KNO3,OPR1,JN0,PR0) Values('%05d','0101','101','',%g)",
                     ++number, price)});
    CSmMessageService::Instance().QueueAnswer(c.answer);
    CTsVarietyCardDlg card(m_db, "01", "0101", false);
    card.show();
    EXPECT_EQ(Get(&card, CTsVarietyCardDlg::kPrice), "300");
    Set(&card, CTsVarietyCardDlg::kPrice, "320");
    card.OnOK();
    EXPECT_EQ(card.result(), QDialog::Accepted);
    ASSERT_EQ(m_weighing->reprices.size(), c.calls.size());
    for (size_t k = 0; k < c.calls.size(); ++k) {
      EXPECT_EQ(m_weighing->reprices[k].add, c.calls[k].add);
      EXPECT_EQ(m_weighing->reprices[k].kind, c.calls[k].kind);
      EXPECT_DOUBLE_EQ(m_weighing->reprices[k].price, c.calls[k].price);
      EXPECT_EQ(m_weighing->reprices[k].code, c.calls[k].code);
    }
    std::string expected = "修改：0101(品种0101) --> 0101(品种0101)";
    if (*c.logged) expected += std::string("|") + c.logged;
    EXPECT_EQ(Logged(1604), expected);
    const size_t boxes = CSmMessageService::Instance().Shown().size();
    EXPECT_EQ(boxes, c.prices.empty() ? 0u : 1u);
    if (c.prices.empty()) continue;
    const char* asked = c.prices[0] == c.prices[1]
                            ? "是否要将目前所有未结过磅单的该品种的蔗价从300.00元调到320.00元？\n"
                            : "选择“是”，将单价调增20.00；\n选择“否”，将单价统一调成320.00；\n";
    EXPECT_NE(LastBox().find(asked), std::string::npos);
  }

  // A variety with entries below it has no price to change.
  SmResetMessages();
  m_weighing->reprices.clear();
  CTsVarietyCardDlg parent(m_db, "", "01", false);
  parent.show();
  EXPECT_FALSE(Find<CSmEdit>(&parent, CTsVarietyCardDlg::kPrice)->isEnabled());
  Set(&parent, CTsVarietyCardDlg::kName, "新台糖");
  parent.OnOK();
  EXPECT_EQ(parent.result(), QDialog::Accepted);
  EXPECT_TRUE(m_weighing->reprices.empty());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(TsCardsTest, BatchParameterNoteShowsTheRangeOfTheChosenCodes) {
  struct Case {
    std::vector<double> values;
    const char* note;
  };
  const Case cases[] = {{{1.5, 3}, "注：当前参数值 1.5～3"},
                        {{2, 2}, "注：当前参数值 2"},
                        {{0, 0}, "注：当前参数值 "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.note);
    Run({FormatStr("Update NHDir Set cs0=%g Where KNO='10101001'", c.values[0]),
         FormatStr("Update NHDir Set cs0=%g Where KNO='10101002'", c.values[1])});
    CTsBatchParamDlg dlg(0, {"1", "999"}, m_db);
    dlg.show();
    EXPECT_EQ(dlg.Note(), c.note);
    EXPECT_EQ(Find<QLabel>(&dlg, CTsBatchParamDlg::kNote)->text().toStdString(), c.note);
  }
}

TEST_F(TsCardsTest, BatchParameterChangeIsStoredAndLoggedAsAWhole) {
  Run({"Update NHDir Set cs0=2"});
  CTsBatchParamDlg same(0, {"10101"}, m_db);
  same.show();
  Set(&same, CTsBatchParamDlg::kValue, "2");
  same.OnOK();
  EXPECT_EQ(same.result(), QDialog::Accepted);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());

  CTsBatchParamDlg declined(0, {"10101"}, m_db);
  declined.show();
  Set(&declined, CTsBatchParamDlg::kValue, "5");
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  declined.OnOK();
  EXPECT_TRUE(declined.isVisible());
  EXPECT_EQ(LastBox(), "真的要修改吗？");
  declined.reject();

  // A failing update changes nothing and logs nothing.
  std::string error;
  ASSERT_TRUE(m_db->Backend()->Execute(
      "CREATE TRIGGER sm_fail BEFORE UPDATE ON NHDir WHEN NEW.KNO='10101002' BEGIN "
      "SELECT RAISE(ABORT,'injected'); END",
      &error))
      << error;
  CTsBatchParamDlg failing(0, {"10101"}, m_db);
  failing.show();
  Set(&failing, CTsBatchParamDlg::kValue, "5");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  failing.OnOK();
  EXPECT_NE(failing.result(), QDialog::Accepted);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From NHDir Where cs0<>2"), 0);
  EXPECT_EQ(Logged(1601), "");
  failing.reject();
  ASSERT_TRUE(m_db->Backend()->Execute("DROP TRIGGER sm_fail", &error)) << error;

  CTsBatchParamDlg dlg(0, {"10101", "2"}, m_db);
  dlg.show();
  Set(&dlg, CTsBatchParamDlg::kValue, "5.5");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  dlg.OnOK();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(Rows("Select KNO From NHDir Where cs0>5 Order By KNO"), "10101001|10101002|2");
  EXPECT_EQ(Logged(1601), "<修路费>成批改成：5.5，涉及10101,2");
}

TEST_F(TsCardsTest, BatchLogLineEndsWithEtcBeforeItGrowsTooLong) {
  std::vector<std::string> codes;
  for (int i = 0; i < 60; ++i) codes.push_back(FormatStr("%05d", i));
  const std::string line = CTsBatchParamDlg::LogLine("修路费", "1", codes);
  ASSERT_GE(line.size(), 3u);
  EXPECT_EQ(line.substr(line.size() - 3), "等");
  const std::string body = line.substr(0, line.size() - 3);
  EXPECT_LT(body.size(), 237u);
  EXPECT_GE(body.size() + 6, 237u);  // the next ",nnnnn" would not fit
  EXPECT_EQ(CTsBatchParamDlg::LogLine("补贴", "2", {"1", "2"}), "<补贴>成批改成：2，涉及1,2");
}

TEST_F(TsCardsTest, WithoutANamedParameterOnlyAnEmptyValueCloses) {
  for (int i = 40; i < 44; ++i) m_type->m_strParams[i].clear();
  TsBuildItemTables();
  CTsBatchParamDlg empty(0, {"10101"}, m_db);
  empty.show();
  EXPECT_EQ(Find<QComboBox>(&empty, CTsBatchParamDlg::kCombo)->count(), 0);
  empty.OnOK();
  EXPECT_EQ(empty.result(), QDialog::Accepted);

  CTsBatchParamDlg typed(0, {"10101"}, m_db);
  typed.show();
  Set(&typed, CTsBatchParamDlg::kValue, "1");
  typed.OnOK();
  EXPECT_EQ(LastBox(), "未选择要要修改的参数！");
  EXPECT_TRUE(typed.isVisible());
  typed.reject();
}

}  // namespace
