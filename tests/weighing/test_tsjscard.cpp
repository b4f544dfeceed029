// The settlement card: opened through its template after the open dialog, a slip made from a
// household's tared tickets with its default deductions, the checks of each step, the keyboard
// road, two cards on one household, and paying, deleting and printing through the card.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/SmApp.h"
#include "cane/TsDataType.h"
#include "cane/TsDocTemplates.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "forms/SmDocTemplate.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "tests/common/SmTestRows.h"
#include "tests/common/TsCaneTestApp.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"
#include "weighing/TsSheetOpenDlg.h"
#include "weighing/TsSlipLayout.h"
#include "weighing/TsgbDoc.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsDoc.h"
#include "weighing/TsjsFrmView.h"

namespace {

// Farmer 10102001 has tickets 00001 (20 t at 300) and 00002 (10 t at 310) tared, 00003 not
// tared, and owes 扣贷款 100 and 预付款 500; farmer 10102002 has ticket 00004 tared. Driver
// 003 carried 00001 and 00002 (freight 406 and 203).
struct DayTicket {
  const char* dh;
  const char* farmer;
  const char* driver;
  bool tared;
  double gross, tare, canePrice, freightPrice, cane, freight;
};
const DayTicket kDay[] = {
    {"00001", "10102001", "003", true, 30, 10, 300, 20, 6000, 406},
    {"00002", "10102001", "003", true, 20, 10, 310, 20, 3100, 203},
    {"00003", "10102001", "003", false, 30, 0, 0, 0, 0, 0},
    {"00004", "10102002", "", true, 30, 10, 300, 0, 6000, 0},
};

class TsjsCardTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmPrinterService::Instance().Reset();
    TsInstallSettlementCard();
    ASSERT_TRUE(m_app.Start(2016, "1630 1631 1632 1633 1634 1640 1641 1642 1643 1644 ", Kind()));
    m_app.m_opLog.m_enabled = 1;
    m_db = m_app.m_env.GetDatabase();
    Run({"Insert Into NHDir(KNO,NA) Values('1','某镇')",
         "Insert Into NHDir(KNO,NA) Values('101','东乡')",
         "Insert Into NHDir(KNO,NA) Values('10102','西村')",
         "Insert Into NHDir(KNO,NA) Values('10102001','张三')",
         "Insert Into NHDir(KNO,NA) Values('10102002','王五')",
         "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('003','李四','','')"});
    for (const DayTicket& d : kDay) {
      CTsgbRec t;
      t.T = "20160315";
      t.TH = "080000";
      t.DH = d.dh;
      t.OPR[0] = "102";
      t.OPR[1] = d.tared ? "103" : "";
      t.KNO[0] = d.farmer;
      t.KNO[1] = d.driver;
      t.MU[0] = d.gross;
      t.MU[1] = d.tare;
      t.PR[0] = d.canePrice;
      t.PR[1] = d.freightPrice;
      t.MY[0] = d.cane;
      t.MY[6] = d.freight;
      ASSERT_EQ(t.Insert(m_db), 1);
    }
    Owe("10102001", 0, 100);
    Owe("10102001", 1, 500);
  }
  void TearDown() override { m_app.Stop({256}); }
  // The data file, or a server year file.
  virtual int Kind() const { return 0; }
  void Run(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) ASSERT_TRUE(m_db->ExecuteSQL(sql)) << sql;
  }
  // An advance voucher of the farmer: the balance of slip item `item` grows by `amount`.
  void Owe(const std::string& farmer, int item, double amount) {
    static int number = 0;
    CTsjsRec row;
    row.DB = 2;
    row.T = "20160301";
    row.DH = FormatStr("%05d", ++number);
    row.KNO = farmer;
    row.OPR[0] = "101";
    row.MY[static_cast<size_t>(item)] = -amount;
    ASSERT_EQ(row.Insert(1, m_db), 1);
  }
  std::string Rows(const std::string& query) { return SmJoinedRows(m_db, query); }
  std::string Logged(int code = 1606) {
    return Rows(FormatStr("Select sNote From SmLog Where nTaskID=%d Order By sT", code));
  }

  // Opens a kind of the settlement card on 20160315.
  CTsjsFrmView* Open(int kind) {
    CSmChildFrame* frame =
        m_app.OpenFromTemplate(256, static_cast<size_t>(kind), 0, 960, [](QWidget* dlg) {
          Type(dlg, CTsSheetOpenDlg::kYear, "2016");
          Type(dlg, CTsSheetOpenDlg::kMonth, "03");
          Type(dlg, CTsSheetOpenDlg::kDay, "15");
          Press(dlg, SM_ID_OK);
        });
    return frame ? frame->findChild<CTsjsFrmView*>() : nullptr;
  }
  static CTsjsListView* List(CTsjsFrmView* form) {
    return form->Doc()->FindViewOfClass<CTsjsListView>();
  }
  static std::vector<std::string> Rows(CTsjsListView* list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list->List()->RowCount(); ++i)
      rows.push_back(list->List()->topLevelItem(i)->text(0).toStdString());
    return rows;
  }
  static std::vector<std::string> Picked(CTsjsFrmView* form) {
    std::vector<std::string> rows;
    for (int i = 0; i < form->Picker()->RowCount(); ++i) {
      QTreeWidgetItem* item = form->Picker()->topLevelItem(i);
      rows.push_back(item->text(0).toStdString() + (item->isSelected() ? "*" : ""));
    }
    return rows;
  }
  // The deduction field of slip item `item`.
  static constexpr int Item(int item) { return CTsjsFrmView::kItemBase + item; }
  static void Field(CTsjsFrmView* form, int id, const std::string& text) {
    auto* edit = qobject_cast<QLineEdit*>(form->Control(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(QString::fromStdString(text));
  }
  static std::string Text(CTsjsFrmView* form, int id) {
    auto* edit = qobject_cast<QLineEdit*>(form->Control(id));
    return edit ? edit->text().toStdString() : "?";
  }
  static std::string Cell(CTsjsFrmView* form, int cell) {
    return form->Doc()->m_layout.m_items[static_cast<size_t>(cell)].sText;
  }
  static void Step(CTsjsFrmView* form, std::initializer_list<int> answers = {}) {
    SmResetMessages();
    for (int answer : answers) CSmMessageService::Instance().QueueAnswer(answer);
    form->OnCommand(SM_ID_OK);
  }
  static int Focused(CTsjsFrmView* form) {
    QWidget* focus = form->window()->focusWidget();
    for (QWidget* w = focus; w; w = w->parentWidget()) {
      bool ok = false;
      const int id = w->objectName().toInt(&ok);
      if (ok) return id;
    }
    return 0;
  }
  static void Enter(CTsjsFrmView* form) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(form->window()->focusWidget(), &press);
  }
  static void Keys(CTsjsFrmView* form, const std::string& text) {
    for (QChar c : QString::fromStdString(text)) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(form->window()->focusWidget(), &press);
    }
  }

  TsCaneTestApp m_app{"SettleCardTest"};
  CSmDatabase* m_db = nullptr;
};

}  // namespace

TEST_F(TsjsCardTest, CaneSlipFromHouseholdToPaidAndDeleted) {
  CTsjsFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  CTsjsDoc* doc = form->Doc();
  EXPECT_EQ(doc->m_date, "20160315");
  EXPECT_EQ(Rows(List(form)), std::vector<std::string>{"新单"});
  ASSERT_TRUE(doc->IsNew());
  const int c = TsSlipGridColumns(0);
  ASSERT_EQ(doc->m_layout.m_items.size(), static_cast<size_t>(4 * c + 27));

  // A region is no household; the farmer is.
  Field(form, CTsjsFrmView::kHousehold, "10102");
  Step(form);
  EXPECT_EQ(doc->m_step, 0);
  Field(form, CTsjsFrmView::kHousehold, "10102001");
  Step(form);
  ASSERT_EQ(doc->m_step, 1);
  EXPECT_EQ(Picked(form), (std::vector<std::string>{"00001*", "00002*"}));

  // Default deductions: the whole open balance of each item; two prices give their average.
  Step(form);
  ASSERT_EQ(doc->m_step, 2);
  EXPECT_EQ(form->ItemIds(), (std::vector<int>{Item(0), Item(1), Item(2), Item(4)}));
  EXPECT_EQ(Text(form, Item(0)), "100.00");
  EXPECT_EQ(Text(form, Item(1)), "500.00");
  EXPECT_EQ(Text(form, Item(2)), "0.00");
  EXPECT_EQ(Cell(form, c + 7), "303.33");
  EXPECT_EQ(Cell(form, 4 * c + 9), "8500.00");
  EXPECT_EQ(Cell(form, 4 * c + 20) + Cell(form, 4 * c + 22) + Cell(form, 4 * c + 24), "20160315");
  // The preview follows the typing.
  auto* advance = qobject_cast<QLineEdit*>(form->Control(Item(1)));
  advance->setText("300");
  emit advance->textEdited("300");
  EXPECT_EQ(Cell(form, 4 * c + 9), "8700.00");

  Step(form);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(Rows("Select JN0"
                 " From gbSheet Where OPR2='101' Order By DH"),
            "00001|00001");
  EXPECT_EQ(Rows("Select JT0 From gbSheet Where JN0='00001'"), "20160315|20160315");
  EXPECT_EQ(Rows("Select DH From jsSheet Where LB='0' And DB='0' And OPR0='101'"), "00001");
  EXPECT_EQ(Rows("Select OPR0 From jsSheet Where DB='0' And MY1>299.99 And MY1<300.01"), "101");
  EXPECT_EQ(Logged(), "新增：00001");
  EXPECT_EQ(Rows(List(form)), (std::vector<std::string>{"00001", "新单"}));
  EXPECT_TRUE(doc->IsNew());
  EXPECT_EQ(doc->m_step, 0);

  // Browsing the slip: its tickets, weight, price and stored deductions; the slip's weight and
  // its tickets' read as a ticket writes them.
  List(form)->SelectNumber("00001");
  EXPECT_TRUE(doc->IsBrowsing());
  ASSERT_EQ(Picked(form).size(), 2u);
  EXPECT_EQ(form->Picker()->topLevelItem(0)->text(2).toStdString(), "20.000");
  EXPECT_EQ(form->Picker()->topLevelItem(1)->text(2).toStdString(), "10.000");
  EXPECT_EQ(Cell(form, c + 6), "30.000");
  EXPECT_EQ(Cell(form, c + 7), "303.33");
  EXPECT_EQ(Cell(form, 4 * c + 9), "8700.00");
  EXPECT_EQ(qobject_cast<QPushButton*>(form->Control(SM_ID_OK))->text(), QString("浏览状态"));
  EXPECT_TRUE(form->Control(CTsjsFrmView::kPayButton)->isEnabled());

  // Paying marks the deduction row; a paid slip cannot be deleted; taking it back unmarks.
  CTsjsListView* list = List(form);
  list->OnCommand(44607);
  EXPECT_EQ(Rows("Select OPR4 From gbSheet Where JN0='00001'"), "101|101");
  EXPECT_EQ(Rows("Select OPR1 From jsSheet Where DB='0'"), "101");
  EXPECT_FALSE(list->IsCommandAvailable(SM_ID_LIST_DELETE));
  list->OnCommand(44607);  // nothing changes: nothing logged
  list->OnCommand(44608);
  EXPECT_EQ(Rows("Select OPR1 From jsSheet Where DB='0'"), "");
  EXPECT_EQ(Logged(), "新增：00001|付款：00001|取消付款：00001");

  ASSERT_TRUE(list->IsCommandAvailable(SM_ID_LIST_DELETE));
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  list->Delete();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "真的要删除第00001号蔗款结算单吗？");
  EXPECT_EQ(Rows("Select count(*) From jsSheet Where DB='0'"), "1");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  list->Delete();
  EXPECT_EQ(Rows("Select count(*) From gbSheet Where JN0<>''"), "0");
  EXPECT_EQ(Rows("Select count(*) From jsSheet Where DB='0'"), "0");
  EXPECT_EQ(Rows(list), std::vector<std::string>{"新单"});
}

TEST_F(TsjsCardTest, EachStepRefusesWhatCannotBeSettled) {
  CTsjsFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  CTsjsDoc* doc = form->Doc();
  Field(form, CTsjsFrmView::kHousehold, "10102001");
  Step(form);
  form->Picker()->clearSelection();
  Step(form);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "未选择过磅单!");
  EXPECT_EQ(doc->m_step, 1);
  form->Picker()->selectAll();
  Step(form);
  ASSERT_EQ(doc->m_step, 2);

  struct Case {
    const char* loan;
    const char* advance;
    const char* message;
    int focus;
  };
  const Case cases[] = {
      {"100", "500.01", "“预付款”扣多了！", Item(1)},
      {"-5", "0", "数据不正确！", Item(0)},
      {"100.01", "0", "“扣贷款”扣多了！", Item(0)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.message);
    Field(form, Item(0), k.loan);
    Field(form, Item(1), k.advance);
    Step(form);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), k.message);
    EXPECT_EQ(Focused(form), k.focus);
  }
  EXPECT_EQ(Rows("Select count(*) From gbSheet Where JN0<>''"), "0");

  // A balance larger than the slip: the default payment would be negative.
  Owe("10102001", 0, 20000);
  form->OnCommand(SM_ID_CANCEL);
  Field(form, CTsjsFrmView::kHousehold, "10102001");
  Step(form);
  Step(form);
  Step(form);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "实付款不能为负数！");
  EXPECT_EQ(Rows("Select count(*) From jsSheet Where DB='0'"), "0");
  EXPECT_EQ(Logged(), "");
}

// The card opens on the household code; Tab goes on to the picker button beside it and the
// step button (the ticket list waits for its step), Shift+Tab comes back.
TEST_F(TsjsCardTest, KeyboardAloneMakesASlip) {
  CTsjsFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  form->window()->show();
  form->window()->activateWindow();
  QApplication::processEvents();
  EXPECT_EQ(Focused(form), CTsjsFrmView::kHousehold);
  for (int id : {int{CTsjsFrmView::kPick}, int{SM_ID_OK}}) {
    QTest::keyClick(form->window()->focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Focused(form), id);
  }
  for (int i = 0; i < 2; ++i)
    QTest::keyClick(form->window()->focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Focused(form), CTsjsFrmView::kHousehold);
  Keys(form, "10102001");
  Enter(form);
  EXPECT_EQ(Focused(form), SM_ID_OK);
  Enter(form);
  EXPECT_EQ(Focused(form), CTsjsFrmView::kPicker);
  Enter(form);
  EXPECT_EQ(Focused(form), SM_ID_OK);
  Enter(form);
  EXPECT_EQ(form->Doc()->m_step, 2);
  EXPECT_EQ(Focused(form), Item(0));
  for (int id : {Item(1), Item(2), Item(4)}) {
    Enter(form);
    EXPECT_EQ(Focused(form), id);
  }
  Enter(form);
  EXPECT_EQ(Focused(form), SM_ID_OK);
  Enter(form);
  EXPECT_EQ(Logged(), "新增：00001");
  EXPECT_TRUE(form->Doc()->IsNew());
  EXPECT_EQ(Focused(form), CTsjsFrmView::kHousehold);
}

TEST_F(TsjsCardTest, TwoCardsOnOneHouseholdMakeOneSlip) {
  CTsjsFrmView* first = Open(0);
  CTsjsFrmView* second = Open(0);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  for (CTsjsFrmView* form : {first, second}) {
    Field(form, CTsjsFrmView::kHousehold, "10102001");
    Step(form);
    Step(form);
    ASSERT_EQ(form->Doc()->m_step, 2);
  }
  Step(first);
  EXPECT_EQ(Logged(), "新增：00001");
  // The first slip took the balances: the second deducts nothing.
  Field(second, Item(0), "0");
  Field(second, Item(1), "0");
  Step(second);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "过磅单<00001>已结算或被删除！");
  // Back at the ticket choice of a new slip: nothing open is left.
  EXPECT_TRUE(second->Doc()->IsNew());
  EXPECT_EQ(second->Doc()->m_step, 1);
  EXPECT_TRUE(Picked(second).empty());
  EXPECT_EQ(Rows("Select distinct JN0 From gbSheet Where JN0<>''"), "00001");
  EXPECT_EQ(Rows("Select DH From jsSheet Where DB='0'"), "00001");
  EXPECT_EQ(Logged(), "新增：00001");
}

TEST_F(TsjsCardTest, FreightSlipForADriverAndItsPrints) {
  CTsjsFrmView* form = Open(1);
  ASSERT_NE(form, nullptr);
  Field(form, CTsjsFrmView::kHousehold, "003");
  Step(form);
  EXPECT_EQ(Picked(form), (std::vector<std::string>{"00001*", "00002*"}));
  Step(form);
  Step(form);
  EXPECT_EQ(Rows("Select JN1 From gbSheet Where OPR3='101'"), "00001|00001");
  EXPECT_EQ(Logged(1607), "新增：00001");

  // The first print asks nothing; a second needs the re-print right.
  List(form)->SelectNumber("00001");
  SmResetMessages();
  const std::string pdf = SmQueueTestPdf("freight_slip");
  ASSERT_TRUE(form->PrintSlip(false)) << CSmMessageService::Instance().LastText();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  std::vector<std::string> words;
  for (const SmPdfWord& w : SmPdfWords(pdf)) words.push_back(w.text);
  for (const char* text : {"运费结算单", "李四", "609.00"})
    EXPECT_NE(std::find(words.begin(), words.end(), text), words.end()) << text;
  EXPECT_EQ(Rows("Select PRT1 From gbSheet Where JN1='00001'"), "1|1");
  EXPECT_EQ(List(form)->List()->topLevelItem(0)->text(5), QString("1"));
  EXPECT_FALSE(form->PrintSlip(false));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "不能重复打印结算单！");
  EXPECT_EQ(Logged(1607), "新增：00001|打印：00001");

  // Without a printer the print button offers the print dialog and its PDF output.
  m_app.m_env.SetRights(m_app.m_env.GetRights() + "1645 ");
  SmGetPrintHooks().hasDefaultPrinter = [] { return false; };
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  const std::string again = SmQueueTestPdf("freight_slip_noprinter");
  Press(form, CTsjsFrmView::kPrint);
  SmGetPrintHooks().hasDefaultPrinter = nullptr;
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs().back(), "打印");
  EXPECT_EQ(SmPdfPages(again), 1) << CSmMessageService::Instance().LastText();
  EXPECT_EQ(Logged(1607), "新增：00001|打印：00001|打印：00001");
}

class TsjsCardStationsTest : public TsjsCardTest, public testing::WithParamInterface<int> {
 protected:
  int Kind() const override { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsjsCardStationsTest, testing::Values(0, 2));

// The list shows a slip unpaid that another station has just paid: paying it changes nothing,
// says so and shows the list as it is now.
TEST_P(TsjsCardStationsTest, ASlipPaidByAnotherStationIsSaidAndShown) {
  Run({"Update gbSheet Set JN0='00001',JT0='20160315',OPR2='101' Where DH In ('00001','00002')",
       "Update gbSheet Set JN0='00002',JT0='20160315',OPR2='101' Where DH='00004'"});
  CTsjsFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  CTsjsListView* list = List(form);
  ASSERT_EQ(Rows(list), (std::vector<std::string>{"00001", "00002", "新单"}));
  {
    CSmDatabase other(GetParam());
    ASSERT_TRUE(other.Open(m_db->GetFileName(), m_db->GetConnInfo()));
    ASSERT_TRUE(other.ExecuteSQL("Update gbSheet Set OPR4='102' Where JN0='00001'"));
  }
  EXPECT_TRUE(list->List()->topLevelItem(0)->text(3).isEmpty()) << "the list as it was read";
  SmResetMessages();
  list->SelectTexts({"00001", "00002"});
  list->OnCommand(44607);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "下列结算单已不能付款（可能已被另一工作站处理），没有修改，请看刷新后的列表：\n00001");
  EXPECT_EQ(list->List()->topLevelItem(0)->text(3).toStdString(), "102");
  EXPECT_EQ(list->List()->topLevelItem(1)->text(3).toStdString(), "101");
  EXPECT_EQ(Rows("Select OPR4 From gbSheet Where JN0='00001'"), "102|102");
  EXPECT_EQ(Logged(), "付款：00002");
}
