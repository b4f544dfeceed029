// The system parameter table and the edit of one parameter, on the data file and on the server:
// the rows and the edit's controls per kind of parameter, the checks that refuse a value, and the
// rewrite of the stored rows that structural parameters carry, saved and logged in one step.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <memory>

#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "cane/TsSysParamEditDlg.h"
#include "cane/TsSysParamListDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmModalScript.h"

namespace {

const char* const kConfirm =
    "    系统参数值不要随意改动，确需改动时，\n应停止其他所有人的操作，否则，将会导致系\n"
    "统混乱、修改失败或修改不完整！继续吗？";

class TsSysParamTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    // The dialogs work on the application's connection, where the log is written too.
    CSmDatabase* app = m_app.m_env.Connection();
    app->SetKind(GetParam());
    ASSERT_TRUE(app->Open(m_db.GetFileName(), m_db.GetConnInfo())) << app->LastError();
    m_app.m_env.GetYear(true);
    m_app.m_env.SetLogOn(1);
    m_app.m_opLog.m_enabled = 1;
    m_type->SetDefaultParams();
  }
  void TearDown() override {
    m_app.m_env.Close();
    TsFileTest::TearDown();
  }

  std::unique_ptr<CTsSysParamEditDlg> Edit(int kind, int number) {
    CSmStringList names[3];
    m_type->GetParamNames(names[0], names[1], names[2]);
    const std::string value = kind == 0   ? std::to_string(TsGetIntParam(number))
                              : kind == 1 ? std::to_string(TsGetDblParam(number))
                                          : TsGetStrParam(number);
    auto dlg = std::make_unique<CTsSysParamEditDlg>(kind, number, names[kind][number], value);
    dlg->show();
    return dlg;
  }
  // Presses OK with the answers queued; true when the dialog closed with OK.
  static bool Save(CTsSysParamEditDlg& dlg, std::initializer_list<int> answers = {}) {
    for (int answer : answers) CSmMessageService::Instance().QueueAnswer(answer);
    dlg.OnOK();
    return dlg.result() == QDialog::Accepted;
  }
  static void Pick(QWidget* dlg, int id, int index) {
    Control<QComboBox>(dlg, id)->setCurrentIndex(index);
  }

  void SetInt(int number, int value) {
    Run({FormatStr("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9130,%d,'','%d')", number,
                   value)});
    m_type->SetDefaultParams();
    m_type->LoadParams(&m_db);
  }
  // The stored parameter rows of group 9130 as "CsN=value", in order.
  std::string Stored() {
    return Rows(
        "Select Cast(CsN As varchar(6))||'='||rtrim(CsVal) From SysCsTab Where Cs=9130 "
        "Order By CsN");
  }
  std::string Logged() { return Rows("Select sNote From SmLog Where nTaskID=1600 Order By sT"); }
  std::string Codes(const std::string& column, const std::string& table,
                    const std::string& where = {}) {
    return Rows("Select rtrim(" + column + ") From " + table + " " + where + " Order By " + column);
  }
  std::string Amounts(const std::string& columns, const std::string& table,
                      const std::string& where = {}) {
    return Rows("Select " + columns + " From " + table + " " + where + " Order By DH");
  }
  static std::string LastBox() { return CSmMessageService::Instance().LastText(); }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsSysParamTest, testing::Values(0, 2));

// ---------------------------------------------------------------- the parameter table

// Closes every modal dialog that opens while `work` runs; the template ids in order.
std::string ModalsOpenedBy(const std::function<void()>& work) {
  std::string opened;
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&opened] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      opened += modal->objectName().toStdString() + " ";
      modal->close();
    }
  });
  timer.start();
  work();
  return opened;
}

TEST_P(TsSysParamTest, TableListsEveryParameterAndModifiesOnlyOneSelectedRow) {
  Run({"Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9130,250,'','12')",
       "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9130,101,'','12.5')"});
  CTsSysParamListDlg dlg;
  dlg.show();
  CTsSysParamList* list = dlg.List();
  ASSERT_EQ(list->RowCount(), 70);
  EXPECT_EQ(list->topLevelItem(0)->text(1), "1");
  EXPECT_EQ(list->topLevelItem(17)->text(0), "浮动运费(元/吨)");
  EXPECT_EQ(list->topLevelItem(17)->text(1), "12.5");
  EXPECT_EQ(list->topLevelItem(18)->text(1), "补助款\t0+\t10*#sl");
  EXPECT_EQ(list->topLevelItem(18 + 49)->text(1), "00");
  EXPECT_EQ(list->topLevelItem(18 + 50)->text(1), "12");
  EXPECT_EQ(list->topLevelItem(18 + 51)->text(1), "00");

  list->clearSelection();
  EXPECT_EQ(ModalsOpenedBy([&] { dlg.ModifyParam(); }), "");
  list->topLevelItem(3)->setSelected(true);
  list->topLevelItem(4)->setSelected(true);
  EXPECT_EQ(ModalsOpenedBy([&] { dlg.ModifyParam(); }), "");

  std::unique_ptr<QMenu> menu = list->CreateContextMenu();
  std::vector<int> ids;
  for (QAction* action : menu->actions()) ids.push_back(action->data().toInt());
  for (int gone :
       std::initializer_list<int>{SM_ID_LIST_ADD, SM_ID_LIST_DELETE, SM_ID_EDIT_CUT,
                                  SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE, SM_ID_EDIT_SELECT_ALL}) {
    EXPECT_EQ(std::count(ids.begin(), ids.end(), gone), 0) << gone;
  }
  EXPECT_EQ(std::count(ids.begin(), ids.end(), SM_ID_LIST_MODIFY), 1);
}

TEST_P(TsSysParamTest, EnterAndOkOpenTheEditAndOnlyASavedEditRefillsTheTable) {
  CTsSysParamListDlg dlg;
  dlg.show();
  CTsSysParamList* list = dlg.List();
  list->clearSelection();
  list->topLevelItem(13)->setSelected(true);  // quantity decimals
  list->topLevelItem(13)->setText(1, "marked");

  CModalScript script;
  script.Then(951, Cancel);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(list, &enter);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(list->topLevelItem(13)->text(1), "marked");

  script.Then(951, [](QWidget* edit) {
    Type(edit, CTsSysParamEditDlg::kNumberEdit, "2");
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);
    Press(edit, SM_ID_OK);
  });
  dlg.OnOK();
  EXPECT_TRUE(script.Done());
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(list->topLevelItem(13)->text(1), "2");
  EXPECT_TRUE(list->topLevelItem(13)->isSelected());
  EXPECT_EQ(Stored(), "13=2");
}

// ---------------------------------------------------------------- the edit's layout

TEST_P(TsSysParamTest, EditShowsTheControlsOfItsKindOfParameter) {
  struct Case {
    int kind, number;
    const char* label;
    const char* value;  // the number edit, or the selections of the first and second combo
    const char* name;   // the name edit ("-" hidden)
    int choices;        // entries of the second combo (-1 hidden)
    bool note;
  };
  const Case cases[] = {
      {0, 12, "&1.数值：", "5", "-", -1, false},
      {1, 0, "&1.数值：", "0", "-", -1, false},
      {2, 1, "&1.序号：", "2", "扣义运", 2, false},    // ticket cane item 2, deducted
      {2, 12, "&1.序号：", "3", "周转金", 2, true},    // slip cane advance, repaid
      {2, 25, "&1.序号：", "1", "养路费", -1, false},  // slip freight withholding
      {2, 44, "&1.序号：", "1", "义运系数(元/吨)", -1, false},
      {2, 48, "&1.始月：", "0/10", "-", 12, false},
      {2, 50, "&1.方式：", "0/0", "-", 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    auto dlg = Edit(c.kind, c.number);
    EXPECT_EQ(Control<QLabel>(dlg.get(), CTsSysParamEditDlg::kNumberLabel)->text().toStdString(),
              c.label);
    auto* combo1 = Control<QComboBox>(dlg.get(), CTsSysParamEditDlg::kFirstCombo);
    auto* combo2 = Control<QComboBox>(dlg.get(), CTsSysParamEditDlg::kSecondCombo);
    const bool combos = c.kind == 2 && c.number >= 48;
    const std::string value =
        combos
            ? std::to_string(combo1->currentIndex()) + "/" + std::to_string(combo2->currentIndex())
            : Control<QLineEdit>(dlg.get(), CTsSysParamEditDlg::kNumberEdit)->text().toStdString();
    EXPECT_EQ(value, c.value);
    auto* name = Control<QLineEdit>(dlg.get(), CTsSysParamEditDlg::kNameEdit);
    EXPECT_EQ(name->isVisible() ? name->text().toStdString() : "-", c.name);
    EXPECT_EQ(combo2->isVisible() ? combo2->count() : -1, c.choices);
    EXPECT_EQ(Control<QLabel>(dlg.get(), CTsSysParamEditDlg::kNote)->isVisible(), c.note);
  }
  // A money item's category refills the second choice.
  auto item = Edit(2, 1);
  EXPECT_EQ(Control<QComboBox>(item.get(), CTsSysParamEditDlg::kSecondCombo)->currentText(),
            "扣除");
  Pick(item.get(), CTsSysParamEditDlg::kFirstCombo, 1);
  EXPECT_FALSE(Control<QComboBox>(item.get(), CTsSysParamEditDlg::kSecondCombo)->isVisible());
  Pick(item.get(), CTsSysParamEditDlg::kFirstCombo, 2);
  EXPECT_EQ(Control<QComboBox>(item.get(), CTsSysParamEditDlg::kSecondCombo)->itemText(0),
            "本年不偿还");
  EXPECT_TRUE(Control<QLabel>(item.get(), CTsSysParamEditDlg::kNote)->isVisible());
}

// ---------------------------------------------------------------- integers and numbers

TEST_P(TsSysParamTest, NumbersAndIntegersAreCheckedConfirmedLoggedAndSaved) {
  auto number = Edit(1, 0);
  Type(number.get(), CTsSysParamEditDlg::kNumberEdit, "0.0000004");
  EXPECT_TRUE(Save(*number));
  EXPECT_EQ(Stored(), "");
  EXPECT_TRUE(Shown().empty());

  number = Edit(1, 0);
  Type(number.get(), CTsSysParamEditDlg::kNumberEdit, "12.5");
  EXPECT_FALSE(Save(*number, {SM_IDNO}));
  EXPECT_EQ(LastBox(), kConfirm);
  EXPECT_EQ(Stored(), "");
  EXPECT_TRUE(Save(*number, {SM_IDYES}));
  EXPECT_EQ(Stored(), "100=12.500000");
  EXPECT_DOUBLE_EQ(TsGetDblParam(TsDblParam::FloatingCanePrice), 12.5);

  auto integer = Edit(0, 12);
  Type(integer.get(), CTsSysParamEditDlg::kNumberEdit, "9");
  EXPECT_FALSE(Save(*integer, {SM_IDYES}));
  EXPECT_EQ(LastBox(), "过磅单号长度\n\n\t其值范围应在：3～8之间！");
  integer = Edit(0, 13);
  Type(integer.get(), CTsSysParamEditDlg::kNumberEdit, "2");
  EXPECT_TRUE(Save(*integer, {SM_IDYES}));
  EXPECT_EQ(Stored(), "13=2|100=12.500000");
  EXPECT_EQ(TsGetQtyPrecision(), 2);
  EXPECT_EQ(Logged(), "修改浮动蔗价(元/吨)：0 --> 12.5|修改数量精度：3 --> 2");
}

// ---------------------------------------------------------------- code levels

TEST_P(TsSysParamTest, LevelLengthsThatWouldLoseOrOverflowCodesAreRefused) {
  SetInt(4, 3);  // farmer levels 1, 2, 2, 3, 3
  for (const auto& [number, length] : {std::pair{7, 4}, {8, 4}, {9, 2}, {10, 3}})
    SetInt(number, length);  // variety levels 4, 4, 2, 3, 0
  Run({"Insert Into NHDir(KNO,NA) Values('1','镇')", "Insert Into NHDir(KNO,NA) Values('101','村')",
       "Insert Into NHDir(KNO,NA) Values('10123','组')",
       "Insert Into GP(KNO,NA) Values('4444888822333','新台糖')"});
  const std::string before = Stored();
  struct Case {
    int number;
    const char* value;
    const char* message;
  };
  const Case cases[] = {
      {2, "0", "该级代码长不能为0！"},                   // levels 4 and 5 are in use
      {10, "0", "该级代码已被使用，不能为0！"},          // a variety code reaches level 4
      {11, "3", "“甘蔗品种5级代码长度”的码长值过大！"},  // 16 in all
      {2, "1", "“农户3级代码长度”的码长值过小！"},       // "23" needs two digits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    SmResetMessages();
    auto dlg = Edit(0, c.number);
    Type(dlg.get(), CTsSysParamEditDlg::kNumberEdit, c.value);
    EXPECT_FALSE(Save(*dlg, {SM_IDYES}));
    EXPECT_EQ(Shown(), std::vector<std::string>{c.message});
  }
  EXPECT_EQ(Stored(), before);
  EXPECT_EQ(Codes("KNO", "NHDir"), "1|101|10123");
  EXPECT_EQ(Logged(), "");
}

TEST_P(TsSysParamTest, ShrinkingALevelCutsZerosThatAreNotNeeded) {
  SetInt(2, 3);  // farmer levels 1, 2, 3, 3
  Run({"Insert Into NHDir(KNO,NA) Values('101','村')",
       "Insert Into NHDir(KNO,NA) Values('101012','组')",
       "Insert Into NHDir(KNO,NA) Values('101012001','户')",
       "Insert Into gbSheet(DH,KNO0) Values('00001','101012001')"});
  auto dlg = Edit(0, 2);
  Type(dlg.get(), CTsSysParamEditDlg::kNumberEdit, "2");
  EXPECT_TRUE(Save(*dlg, {SM_IDYES}));
  EXPECT_EQ(Codes("KNO", "NHDir"), "101|10112|10112001");
  EXPECT_EQ(Codes("KNO0", "gbSheet"), "10112001");

  Run({"Insert Into NHDir(KNO,NA) Values('10123','组')"});
  dlg = Edit(0, 2);
  Type(dlg.get(), CTsSysParamEditDlg::kNumberEdit, "1");
  EXPECT_FALSE(Save(*dlg, {SM_IDYES}));
  EXPECT_EQ(LastBox(), "“农户3级代码长度”的码长值过小！");
  EXPECT_EQ(Codes("KNO", "NHDir"), "101|10112|10112001|10123");
}

TEST_P(TsSysParamTest, GrowingAFarmerLevelPadsThatLevelWhereverFarmerCodesAreKept) {
  Run({"Insert Into NHDir(KNO,NA) Values('1','镇')", "Insert Into NHDir(KNO,NA) Values('102','村')",
       "Insert Into NHDir(KNO,NA) Values('10203','组')",
       "Insert Into NHDir(KNO,NA) Values('10203004','户')",
       "Insert Into gbSheet(DH,KNO0,KNO1) Values('00001','10203004','001')",
       "Insert Into jsSheet(LB,DH,KNO) Values('0','00001','10203004')",
       "Insert Into jsSheet(LB,DH,KNO) Values('1','00002','001')",
       "Insert Into AdrDir(KNO,NA,QY) Values('001','坡地','102')",
       "Insert Into AdrDir(KNO,NA,QY) Values('002','洼地','1')"});
  auto dlg = Edit(0, 1);
  Type(dlg.get(), CTsSysParamEditDlg::kNumberEdit, "3");
  EXPECT_TRUE(Save(*dlg, {SM_IDYES}));
  EXPECT_EQ(Codes("KNO", "NHDir"), "1|1002|100203|100203004");
  EXPECT_EQ(Codes("KNO0", "gbSheet"), "100203004");
  EXPECT_EQ(Codes("KNO", "jsSheet"), "001|100203004");
  EXPECT_EQ(Codes("QY", "AdrDir"), "1|1002");
  EXPECT_EQ(TsGetFarmerCodeLen(), 9);
  EXPECT_EQ(Logged(), "修改农户2级代码长度：2 --> 3");
}

// ---------------------------------------------------------------- code and number lengths

TEST_P(TsSysParamTest, CodeLengthsRewriteTheirColumnsAndRefuseCodesThatDoNotFit) {
  Run({"Insert Into AdrDir(KNO,NA) Values('123','坡地')",
       "Insert Into DriverDir(KNO,NA) Values('007','张三')",
       "Insert Into gbSheet(DH,JN0,JN1,KNO1,KNO2) Values('00001','00012','','007','123')",
       "Insert Into gbSheet(DH,JN0,JN1,KNO1,KNO2) Values('00002','','','','')",
       "Insert Into jsSheet(LB,DH,KNO) Values('1','00012','007')",
       "Insert Into jsSheet(LB,DH,KNO) Values('0','10013','007')"});
  struct Case {
    int number;
    const char* value;
    const char* refusal;
  };
  const Case cases[] = {
      {6, "2", "“甘蔗砍运地代码长度”的码长值过小！"},
      {6, "5", nullptr},
      {5, "4", nullptr},
      {12, "6", nullptr},
      {12, "4", "“过磅单号长度”的码长值过小！"},  // "10013" needs five digits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    SmResetMessages();
    auto dlg = Edit(0, c.number);
    Type(dlg.get(), CTsSysParamEditDlg::kNumberEdit, c.value);
    EXPECT_EQ(Save(*dlg, {SM_IDYES}), c.refusal == nullptr);
    if (c.refusal) {
      EXPECT_EQ(Shown(), std::vector<std::string>{c.refusal});
    }
  }
  EXPECT_EQ(Codes("KNO", "AdrDir"), "00123");
  EXPECT_EQ(Amounts("rtrim(KNO2)||'/'||rtrim(KNO1)", "gbSheet"), "00123/0007|/");
  EXPECT_EQ(Codes("KNO", "DriverDir"), "0007");
  EXPECT_EQ(Amounts("rtrim(LB)||rtrim(KNO)", "jsSheet"), "10007|0007");
  EXPECT_EQ(Amounts("rtrim(DH)||'/'||rtrim(JN0)||'/'||rtrim(JN1)", "gbSheet"),
            "000001/000012/|000002//");
  EXPECT_EQ(Codes("DH", "jsSheet"), "000012|010013");
  EXPECT_EQ(Stored(), "5=4|6=5|12=6");
}

// ---------------------------------------------------------------- money items

std::string Int(const std::string& column) {
  return "Cast(Cast(" + column + " As Integer) As varchar(12))";
}

TEST_P(TsSysParamTest, AMovedMoneyItemTakesItsAmountsToItsNewColumn) {
  Run({"Insert Into jsSheet(LB,DH,KNO,MY2,MY4) Values('0','00001','101',30,0)",
       "Insert Into jsSheet(LB,DH,KNO,MY2,MY4) Values('1','00002','001',7,0)",
       "Insert Into gbSheet(DH,MY6,MY7,MY9) Values('00003',100,5,0)"});
  auto slip = Edit(2, 12);  // slip cane item 3 becomes item 5
  Type(slip.get(), CTsSysParamEditDlg::kNumberEdit, "5");
  EXPECT_TRUE(Save(*slip, {SM_IDYES}));
  EXPECT_EQ(slip->Number(), 14);
  EXPECT_EQ(Amounts(Int("MY2") + "||'/'||" + Int("MY4"), "jsSheet"), "0/30|7/0");
  EXPECT_EQ(Stored(), "212=|214=周转金\t21");
  EXPECT_EQ(TsGetStrParam(TsStrParam::SlipCaneItem1 + 4).rfind("周转金\t21", 0), 0u);
  EXPECT_EQ(Logged(), "修改按结算单清算的蔗款项目3：化肥款\t21 --> 周转金\t21");

  auto ticket = Edit(2, 5);  // ticket freight item 1 becomes item 3
  Type(ticket.get(), CTsSysParamEditDlg::kNumberEdit, "3");
  EXPECT_TRUE(Save(*ticket, {SM_IDYES}));
  EXPECT_EQ(ticket->Number(), 7);
  EXPECT_EQ(Amounts(Int("MY6") + "||'/'||" + Int("MY7") + "||'/'||" + Int("MY9"), "gbSheet"),
            "100/0/5");
  EXPECT_EQ(TsGetTicketItemSign(1, 2), 1);
  EXPECT_EQ(TsGetTicketItemSign(1, 0), 0);
}

TEST_P(TsSysParamTest, MoneyItemChangesThatWouldStrandAmountsAreRefused) {
  Run({"Insert Into jsSheet(LB,DH,KNO,MY1,MY3) Values('0','00001','101',10,5)",
       "Insert Into gbSheet(DH,MY2) Values('00002',3)"});
  struct Case {
    int number;
    std::function<void(QWidget*)> change;
    const char* message;
  };
  const auto number = [](const char* text) {
    return [text](QWidget* dlg) { Type(dlg, CTsSysParamEditDlg::kNumberEdit, text); };
  };
  const auto pick = [](int id, int index) {
    return [id, index](QWidget* dlg) { Control<QComboBox>(dlg, id)->setCurrentIndex(index); };
  };
  const Case cases[] = {
      {10, number("16"), "序号超界！"},
      {0, number("6"), "序号超界！"},
      {0, number(""), "序号超界！"},
      {0, pick(CTsSysParamEditDlg::kFirstCombo, 2), "按过磅单计算的项目不能选择“预付款”项目！"},
      {10, pick(CTsSysParamEditDlg::kFirstCombo, 0), "按结算单清算的项目不能选择“应扣(补)”项目！"},
      {11, [](QWidget* dlg) { Type(dlg, CTsSysParamEditDlg::kNameEdit, " \t"); },
       "此项目已有数据，不能删除！"},
      {1, pick(CTsSysParamEditDlg::kFirstCombo, 1), "此项目已有数据，不能改变类别！"},
      {1, pick(CTsSysParamEditDlg::kSecondCombo, 0), "此项目已有数据，不能改变类别！"},
      {10, number("4"), "目标项目已有数据，不能改变项目序号！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    SmResetMessages();
    auto dlg = Edit(2, c.number);
    c.change(dlg.get());
    EXPECT_FALSE(Save(*dlg, {SM_IDYES}));
    EXPECT_EQ(Shown(), std::vector<std::string>{c.message});
  }
  EXPECT_EQ(Stored(), "");
  EXPECT_EQ(Amounts(Int("MY1") + "||'/'||" + Int("MY3"), "jsSheet"), "10/5");
}

// ---------------------------------------------------------------- linked parameters, start month

TEST_P(TsSysParamTest, ALinkedParameterOverwritesAnotherOnlyWhenTheUserSaysSo) {
  Run({"Insert Into NHDir(KNO,NA,cs0,cs1) Values('101','村',1.5,2)"});
  auto dlg = Edit(2, 40);
  Type(dlg.get(), CTsSysParamEditDlg::kNumberEdit, "2");
  EXPECT_FALSE(Save(*dlg, {SM_IDNO}));
  EXPECT_EQ(Shown(), std::vector<std::string>{"目标项目已有数据，要覆盖它吗？"});
  EXPECT_FALSE(Save(*dlg, {SM_IDYES, SM_IDNO}));  // no to the warning
  EXPECT_EQ(Stored(), "");
  EXPECT_TRUE(Save(*dlg, {SM_IDYES, SM_IDYES}));
  EXPECT_EQ(dlg->Number(), 41);
  EXPECT_EQ(Rows("Select " + Int("cs0*10") + "||'/'||" + Int("cs1*10") + " From NHDir"), "0/15");
  EXPECT_EQ(Stored(), "240=|241=修路费系数(元/吨)");
  EXPECT_EQ(TsGetLinkParamIndex(0, 0), 1);
}

TEST_P(TsSysParamTest, ANewStartMonthMustPrecedeEveryDocumentAndDatesTheOpeningRows) {
  Run({"Insert Into gbSheet(T,DH) Values('20151101','')",
       "Insert Into jsSheet(LB,T,DH) Values('0','20151101','')",
       "Insert Into gbSheet(T,DH) Values('20151201','00001')"});
  auto dlg = Edit(2, 48);
  Pick(dlg.get(), CTsSysParamEditDlg::kFirstCombo, -1);
  EXPECT_FALSE(Save(*dlg));
  EXPECT_EQ(LastBox(), "未选择所属年！");
  Pick(dlg.get(), CTsSysParamEditDlg::kFirstCombo, 0);
  // December: the ticket is dated on the first day.
  Pick(dlg.get(), CTsSysParamEditDlg::kSecondCombo, 11);
  EXPECT_FALSE(Save(*dlg, {SM_IDYES}));
  EXPECT_EQ(LastBox(), "新指定的年初月前已有单据！");
  EXPECT_EQ(Stored(), "");
  Pick(dlg.get(), CTsSysParamEditDlg::kSecondCombo, 9);  // October
  EXPECT_TRUE(Save(*dlg, {SM_IDYES}));
  EXPECT_EQ(Stored(), "248=010");
  EXPECT_EQ(Rows("Select rtrim(T) From gbSheet Order By DH"), "20151001|20151201");
  EXPECT_EQ(Rows("Select rtrim(T) From jsSheet"), "20151001");
  EXPECT_EQ(TsGetYearStartDate(), "20151001");
}

TEST_P(TsSysParamTest, PrintSettingsTakeTheirTwoChoices) {
  auto dlg = Edit(2, 51);
  Pick(dlg.get(), CTsSysParamEditDlg::kSecondCombo, -1);
  EXPECT_FALSE(Save(*dlg));
  EXPECT_EQ(LastBox(), "未选择打印方式！");
  Pick(dlg.get(), CTsSysParamEditDlg::kFirstCombo, 1);
  Pick(dlg.get(), CTsSysParamEditDlg::kSecondCombo, 2);
  EXPECT_TRUE(Save(*dlg, {SM_IDYES}));
  EXPECT_EQ(TsGetPrintWhen(2), 1);
  EXPECT_EQ(TsGetPrintStyle(2), 2);
  EXPECT_EQ(Logged(), "修改运费结算单打印：00 --> 12");
}

// ---------------------------------------------------------------- one transaction

TEST_P(TsSysParamTest, AFailedStepKeepsTheOldCodesAndTheOldValue) {
  Run({"Insert Into NHDir(KNO,NA) Values('102','村')",
       "Insert Into gbSheet(DH,KNO0) Values('00001','10203004')",
       "Insert Into AdrDir(KNO,NA,QY) Values('001','坡地','102')"});
  for (const auto& [event, table] : {std::pair{"INSERT", "SysCsTab"}, {"UPDATE", "AdrDir"}}) {
    SCOPED_TRACE(table);
    ASSERT_NO_FATAL_FAILURE(FailEvery(event, table));
    SmResetMessages();
    auto dlg = Edit(0, 1);
    Type(dlg.get(), CTsSysParamEditDlg::kNumberEdit, "3");
    EXPECT_FALSE(Save(*dlg, {SM_IDYES}));
    ASSERT_EQ(Shown().size(), 2u);
    EXPECT_NE(Shown()[1].find("执行下列SQL语句时出错！"), std::string::npos) << Shown()[1];
    EXPECT_EQ(Codes("KNO", "NHDir"), "102");
    EXPECT_EQ(Codes("KNO0", "gbSheet"), "10203004");
    EXPECT_EQ(Codes("QY", "AdrDir"), "102");
    EXPECT_EQ(Stored(), "");
    EXPECT_EQ(Logged(), "");
    EXPECT_EQ(TsGetIntParam(TsIntParam::FarmerLevel1Len + 1), 2);
  }
}

}  // namespace
