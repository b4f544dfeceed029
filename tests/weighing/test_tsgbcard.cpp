// The weighing card: opened through its template after the open dialog, a new ticket weighed
// and stored, its tare taken on the tare card, the checks of saving, and changes and deletes
// that must not write or log when the stored ticket is not what the card shows.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <future>
#include <thread>

#include "app/SmApp.h"
#include "app/SmWorkstation.h"
#include "cane/TsDataType.h"
#include "cane/TsDocTemplates.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmDocTemplate.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "tests/common/SmTestRows.h"
#include "tests/common/TsCaneTestApp.h"
#include "tests/weighing/PtyIndicator.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"
#include "weighing/SmFrameDecoder.h"
#include "weighing/SmMSComm.h"
#include "weighing/TsSheetOpenDlg.h"
#include "weighing/TsgbDoc.h"
#include "weighing/TsgbFrmView.h"
#include "weighing/TsgbRec.h"

namespace {

class TsgbCardTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmPrinterService::Instance().Reset();
    TsInstallWeighingCard();
    ASSERT_TRUE(m_app.Start(2016, "1620 1621 1622 1623 1624 1627 ", Kind()));
    m_path = m_app.DataFile();
    m_app.m_opLog.m_enabled = 1;
    m_db = m_app.m_env.GetDatabase();
    Run({"Insert Into NHDir(KNO,NA) Values('1','某镇')",
         "Insert Into NHDir(KNO,NA) Values('101','东乡')",
         "Insert Into NHDir(KNO,NA) Values('10102','西村')",
         "Insert Into NHDir(KNO,NA) Values('10102001','张三')",
         "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('003','李四','','')",
         "Insert Into AdrDir(KNO,NA,jl,ypr) Values('012','北坡',12.5,20)",
         "Insert Into GP(KNO,NA,pr) Values('101','桂糖',300)"});
  }
  void TearDown() override { m_app.Stop({255}); }
  // The data file, or a server year file.
  virtual int Kind() const { return 0; }
  void Run(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) ASSERT_TRUE(m_db->ExecuteSQL(sql)) << sql;
  }
  std::string Rows(const std::string& query) { return SmJoinedRows(m_db, query); }
  std::string Logged() { return Rows("Select sNote From SmLog Where nTaskID=1605 Order By sT"); }

  // Opens a kind of the weighing card; the open dialog is answered with OK on 20160315.
  // With `byEnter` Enter goes on from the focused field until the dialog accepts.
  CTsgbFrmView* Open(int kind, bool byEnter = false) {
    CSmChildFrame* frame =
        m_app.OpenFromTemplate(255, static_cast<size_t>(kind), 0, 960, [byEnter](QWidget* dlg) {
          Type(dlg, CTsSheetOpenDlg::kYear, "2016");
          Type(dlg, CTsSheetOpenDlg::kMonth, "03");
          Type(dlg, CTsSheetOpenDlg::kDay, "15");
          for (int i = 0; byEnter && i < 6 && dlg->isVisible(); ++i)
            Enter(dlg->focusWidget() ? dlg->focusWidget() : dlg);
          if (byEnter && dlg->isVisible()) ADD_FAILURE() << "Enter left the open dialog open";
          if (dlg->isVisible()) Press(dlg, SM_ID_OK);
        });
    return frame ? frame->findChild<CTsgbFrmView*>() : nullptr;
  }
  static CTsgbListView* List(CTsgbFrmView* form) {
    return form->Doc()->FindViewOfClass<CTsgbListView>();
  }
  static std::vector<std::string> Rows(CTsgbListView* list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list->List()->RowCount(); ++i)
      rows.push_back(list->List()->topLevelItem(i)->text(0).toStdString());
    return rows;
  }
  // Types into a field as the clerk does: the card follows.
  static void Field(CTsgbFrmView* form, int id, const std::string& text) {
    auto* edit = qobject_cast<QLineEdit*>(form->Control(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(QString::fromStdString(text));
    form->Recalc();
  }
  static bool Confirm(CTsgbFrmView* form, std::initializer_list<int> answers = {}) {
    SmResetMessages();
    for (int answer : answers) CSmMessageService::Instance().QueueAnswer(answer);
    return form->SaveTicket(true);
  }

  // The field of the form that has the focus, by its id.
  static int Focused(CTsgbFrmView* form) {
    QWidget* focus = form->window()->focusWidget();
    return focus ? focus->objectName().toInt() : 0;
  }
  // Types into the focused control key by key, as the clerk does.
  static void Keys(CTsgbFrmView* form, const std::string& text) {
    for (QChar c : QString::fromStdString(text)) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(form->window()->focusWidget(), &press);
    }
  }
  static void Enter(QWidget* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(target, &press);
  }
  static void Enter(CTsgbFrmView* form) { Enter(form->window()->focusWidget()); }
  static void Ticket(CTsgbFrmView* form,
                     std::initializer_list<std::pair<int, const char*>> fields) {
    for (const auto& [id, text] : fields) Field(form, id, text);
  }

  TsCaneTestApp m_app{"WeighCardTest"};
  std::string m_path;
  CSmDatabase* m_db = nullptr;
};

// Tickets of 20160315 in every stage: gross only by another operator, tared, tared and
// settled, gross only.
const std::vector<std::string> kDayOfTickets = {
    "Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,KNO1,KNO2,MU0) Values('20160315',"
    "'080000','00001','','','102','','10102001','003','012',30)",
    "Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,KNO1,KNO2,MU0,MU1) Values('20160315',"
    "'080000','00002','','','102','102','10102001','003','012',30,10)",
    "Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,KNO1,KNO2,MU0,MU1) Values('20160315',"
    "'080000','00003','00001','','102','102','10102001','003','012',30,10)",
    "Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,KNO1,KNO2,MU0) Values('20160315',"
    "'080000','00004','','','102','','10102001','003','012',30)"};

}  // namespace

TEST_F(TsgbCardTest, GrossThenTareStoresOneTicket) {
  CTsgbFrmView* gross = Open(0);
  ASSERT_NE(gross, nullptr);
  CTsgbDoc* doc = gross->Doc();
  EXPECT_EQ(doc->m_date, "20160315");
  EXPECT_EQ(Rows(List(gross)), std::vector<std::string>{"新单"});
  EXPECT_TRUE(doc->IsNew());
  EXPECT_FALSE(gross->Control(CTsgbFrmView::kNumber)->isVisible());
  Field(gross, CTsgbFrmView::kFarmer, "10102001");
  Field(gross, CTsgbFrmView::kDriver, "003");
  Field(gross, CTsgbFrmView::kGross, "30.5");
  const QPoint okAt = gross->Control(SM_ID_OK)->pos();
  const QPoint printAt = gross->Control(CTsgbFrmView::kPrint)->pos();
  EXPECT_TRUE(Confirm(gross, {SM_IDYES}));
  // The buttons stay where they were, and the weight shows every decimal of its precision.
  QApplication::processEvents();
  EXPECT_EQ(gross->Control(SM_ID_OK)->pos(), okAt);
  EXPECT_EQ(gross->Control(CTsgbFrmView::kPrint)->pos(), printAt);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "未录入甘蔗砍运地\n继续吗？");
  EXPECT_EQ(Rows("Select DH||' '||T||' '||OPR0||' '||KNO0 From gbSheet"),
            "00001 20160315 101 10102001");
  EXPECT_EQ(Logged(), "新增：00001");
  // The next ticket starts on the new row with the codes of the gross step only.
  EXPECT_EQ(Rows(List(gross)), (std::vector<std::string>{"00001", "新单"}));
  EXPECT_TRUE(doc->IsNew());
  EXPECT_EQ(doc->m_rec.KNO[0], "10102001");
  EXPECT_EQ(doc->m_rec.MU[0], 0);
  EXPECT_EQ(doc->m_rec.OPR[0], "");

  CTsgbFrmView* tare = Open(1);
  ASSERT_NE(tare, nullptr);
  EXPECT_EQ(Rows(List(tare)), std::vector<std::string>{"00001"});
  List(tare)->SelectRow(0);
  EXPECT_EQ(tare->Doc()->m_rec.DH, "00001");
  const int qty = TsGetQtyPrecision();
  ASSERT_GT(qty, 1);
  EXPECT_EQ(qobject_cast<QLineEdit*>(tare->Control(CTsgbFrmView::kGross))->text().toStdString(),
            FormatStr("%.*f", qty, 30.5));  // "30.500", not "30.5"
  Field(tare, CTsgbFrmView::kVariety, "101");
  Field(tare, CTsgbFrmView::kTare, "10.2");
  Field(tare, CTsgbFrmView::kCanePrice, "300");
  Field(tare, CTsgbFrmView::kFreightPrice, "20");
  EXPECT_FALSE(Confirm(tare));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "过磅员和除皮员不能是同一个人！");
  // Allowed by parameter 15; the ticket prints at once when its print setting says so.
  auto* cane = static_cast<CTsDataType*>(m_app.FindDataType(16));
  cane->m_intParams[15] = 1;
  cane->m_strParams[49] = "10";
  SmResetMessages();
  const std::string pdf = SmQueueTestPdf("card_tare");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_TRUE(tare->SaveTicket(true));
  EXPECT_EQ(SmPdfPages(pdf), 1);
  EXPECT_EQ(Rows("Select OPR1||' '||KNO3 From gbSheet"), "101 101");
  // The base amounts and the items of the formulas: 补助款 10 × net.
  EXPECT_EQ(Rows("Select Cast(MY0 As varchar(12))||' '||Cast(MY1 As varchar(12)) From gbSheet"),
            "6090.0 203.0");
  EXPECT_EQ(Logged(), "新增：00001|修改除皮操作：00001|打印：00001");
}

TEST_F(TsgbCardTest, SavingChecksInTheirOrder) {
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  struct Case {
    const char* farmer;
    const char* driver;
    const char* place;
    const char* gross;
    const char* freightPrice;
    const char* message;
    int focus;
  };
  const Case cases[] = {
      {"10102001", "003", "012", "0", "", "毛重应为正数！", CTsgbFrmView::kGross},
      {"10102", "003", "012", "30", "", "农户不存在！", CTsgbFrmView::kFarmer},
      {"10102001", "003", "999", "30", "", "甘蔗砍运地不存在！", CTsgbFrmView::kPlace},
      {"10102001", "009", "012", "30", "", "驾驶员不存在！", CTsgbFrmView::kDriver},
      {"10102001", "", "012", "30", "5", "运价应为0！", 0},  // the price is hidden at gross
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Field(form, CTsgbFrmView::kFarmer, c.farmer);
    Field(form, CTsgbFrmView::kDriver, c.driver);
    Field(form, CTsgbFrmView::kPlace, c.place);
    Field(form, CTsgbFrmView::kGross, c.gross);
    Field(form, CTsgbFrmView::kFreightPrice, c.freightPrice);
    EXPECT_FALSE(Confirm(form, {SM_IDYES}));
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
    QWidget* focus = form->window()->focusWidget();
    if (c.focus) {
      EXPECT_EQ(focus ? focus->objectName().toInt() : 0, c.focus);
    }
  }
  // A warning answered with No stores nothing.
  Field(form, CTsgbFrmView::kDriver, "");
  Field(form, CTsgbFrmView::kFreightPrice, "");
  EXPECT_FALSE(Confirm(form, {SM_IDNO}));
  EXPECT_EQ(Rows("Select DH From gbSheet"), "");
  EXPECT_EQ(Logged(), "");
}

TEST_F(TsgbCardTest, ChangesWriteOnlyOverTheTicketAsSelected) {
  Run(
      {"Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,KNO1,KNO2,MU0) "
       "Values('20160315','080000',"
       "'00001','','','102','','10102001','003','012',30)",
       "Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,KNO1,KNO2,MU0) "
       "Values('20160315','080000',"
       "'00002','','','102','102','10102001','003','012',30)"});
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  CTsgbListView* list = List(form);
  list->SelectNumber("00001");
  EXPECT_TRUE(form->Control(CTsgbFrmView::kNumber)->isVisible());
  // Unchanged: nothing written, nothing logged.
  EXPECT_FALSE(Confirm(form));
  EXPECT_EQ(Logged(), "");
  // A new number.
  Field(form, CTsgbFrmView::kNumber, "7");
  EXPECT_TRUE(Confirm(form));
  EXPECT_EQ(Rows("Select DH From gbSheet Order By DH"), "00002|00007");
  EXPECT_EQ(Logged(), "修改毛重操作：00001 --> 00007");

  // Another station tared the ticket meanwhile: the card writes nothing.
  list->SelectNumber("00007");
  Run({"Update gbSheet Set OPR1='102' Where DH='00007'"});
  Field(form, CTsgbFrmView::kGross, "31");
  EXPECT_FALSE(Confirm(form));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "无法修改！");
  EXPECT_EQ(Rows("Select Cast(MU0 As varchar(12))||OPR1 From gbSheet Where DH='00007'"), "30.0102");

  // Deleting a tared ticket on the gross card matches no row: said, and not logged.
  list->SelectNumber("00002");
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  list->Delete();
  EXPECT_EQ(CSmMessageService::Instance().Shown().front().text, "真的要删除第00002号过磅单吗？");
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "数据操作失败！");
  EXPECT_EQ(Rows("Select DH From gbSheet Order By DH"), "00002|00007");
  EXPECT_EQ(Logged(), "修改毛重操作：00001 --> 00007");
}

TEST_F(TsgbCardTest, ControlsFollowStepStageAndRights) {
  Run(
      {"Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,MU0) Values('20160315','080000',"
       "'00001','','','102','','10102001',30)",
       "Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,MU0,MU1) Values('20160315',"
       "'080000','00002','','','102','102','10102001',30,10)",
       "Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,MU0,MU1) Values('20160315',"
       "'080000','00003','00001','','102','102','10102001',30,10)"});
  struct Case {
    int kind;
    const char* number;
    const char* rights;
    bool numberShown, grossShown, tareShown, stepsShown, canSave;
  };
  const Case cases[] = {
      {0, "新单", "1623 1624 1627", false, true, false, false, true},
      {0, "00001", "1623 1624 1627", true, true, false, false, true},
      {0, "00001", "1623 1627", false, false, false, false, false},
      {0, "00002", "1623 1624 1627", false, false, false, false, false},
      {1, "00001", "1624", false, false, false, false, true},
      {1, "00001", "1624 1627", false, false, true, false, true},
      {1, "00002", "1627", false, false, false, false, false},
      {1, "00003", "1624 1627", false, false, false, false, false},
      {2, "00001", "1623 1624 1627", false, false, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + c.number + " " + c.rights);
    m_app.m_env.SetRights(std::string(c.rights) + " ");
    CTsgbFrmView* form = Open(c.kind);
    ASSERT_NE(form, nullptr);
    List(form)->SelectNumber(c.number);
    EXPECT_EQ(form->Doc()->m_rec.DH, c.number);
    EXPECT_EQ(!form->Control(CTsgbFrmView::kNumber)->isHidden(), c.numberShown);
    EXPECT_EQ(!form->Control(CTsgbFrmView::kGross)->isHidden(), c.grossShown);
    EXPECT_EQ(!form->Control(CTsgbFrmView::kTare)->isHidden(), c.tareShown);
    EXPECT_EQ(!form->Control(CTsgbFrmView::kTareStep)->isHidden(), c.stepsShown);
    EXPECT_EQ(form->Control(SM_ID_OK)->isEnabled(), c.canSave);
  }
  // Without the right to enter tickets there is no new-ticket row.
  m_app.m_env.SetRights("1624 ");
  EXPECT_EQ(Rows(List(Open(0))), (std::vector<std::string>{"00001", "00002", "00003"}));
}

// A card opens on the field its ticket is typed from: a new gross ticket on the farmer, a tare
// on the variety. Tab goes through the shown fields as they stand on the card, row by row:
// the codes under the ticket, then the buttons; the gross weight on the ticket lies above.
TEST_F(TsgbCardTest, ACardOpensOnItsFirstFieldAndTabFollowsTheCard) {
  Run(kDayOfTickets);
  const auto tab = [](CTsgbFrmView* form, Qt::Key key = Qt::Key_Tab) {
    QTest::keyClick(form->window()->focusWidget(), key,
                    key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
    return Focused(form);
  };
  CTsgbFrmView* gross = Open(0);
  ASSERT_NE(gross, nullptr);
  gross->window()->show();
  gross->window()->activateWindow();
  QApplication::processEvents();
  ASSERT_TRUE(gross->Doc()->IsNew());
  EXPECT_EQ(Focused(gross), CTsgbFrmView::kFarmer);
  for (int id : {int{CTsgbFrmView::kDriver}, int{CTsgbFrmView::kPlace}, int{CTsgbFrmView::kPrint},
                 int{SM_ID_OK}})
    EXPECT_EQ(tab(gross), id);
  for (int i = 0; i < 4; ++i) tab(gross, Qt::Key_Backtab);
  EXPECT_EQ(Focused(gross), CTsgbFrmView::kFarmer);
  EXPECT_EQ(tab(gross, Qt::Key_Backtab), CTsgbFrmView::kGross);
  gross->Doc()->OnCloseDocument();
  QApplication::processEvents();

  CTsgbFrmView* tare = Open(1);
  ASSERT_NE(tare, nullptr);
  tare->window()->activateWindow();
  QApplication::processEvents();
  EXPECT_EQ(tare->Doc()->m_rec.DH, "00004");
  EXPECT_EQ(Focused(tare), CTsgbFrmView::kVariety);
  EXPECT_EQ(tab(tare), CTsgbFrmView::kRatio);
}

TEST_F(TsgbCardTest, ScalesWithoutPortsAreHiddenAndASendDividesByTheFactor) {
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  for (int id : {CTsgbFrmView::kDisplay1, CTsgbFrmView::kSend1, CTsgbFrmView::kPortLabel1,
                 CTsgbFrmView::kDisplay2, CTsgbFrmView::kSend2, CTsgbFrmView::kPortLabel2})
    EXPECT_TRUE(form->Control(id)->isHidden()) << id;
  ASSERT_TRUE(form->Scale(0)->SetParams(1, "9600,n,8,1,8,0,1000"));
  emit form->Scale(0)->WeightShown(" 12340 ");
  EXPECT_EQ(qobject_cast<QLineEdit*>(form->Control(CTsgbFrmView::kDisplay1))->text(),
            QString(" 12340 "));
  form->TakeScaleWeight(0);
  EXPECT_DOUBLE_EQ(form->Doc()->m_rec.MU[0], 12.34);
  EXPECT_EQ(qobject_cast<QLineEdit*>(form->Control(CTsgbFrmView::kGross))->text().toStdString(),
            "12.340");
  // A lost line empties the display, and 送数 takes nothing after it.
  emit form->Scale(0)->PortLost(1);
  EXPECT_TRUE(qobject_cast<QLineEdit*>(form->Control(CTsgbFrmView::kDisplay1))->text().isEmpty());
  Field(form, CTsgbFrmView::kGross, "7.5");
  form->TakeScaleWeight(0);
  EXPECT_DOUBLE_EQ(form->Doc()->m_rec.MU[0], 7.5);
}

TEST_F(TsgbCardTest, TareChecksAndTheNumberInTheirOrder) {
  Run(kDayOfTickets);
  CTsgbFrmView* tare = Open(1);
  ASSERT_NE(tare, nullptr);
  List(tare)->SelectNumber("00001");
  struct Case {
    const char* tareWeight;
    const char* variety;
    const char* canePrice;
    const char* freightPrice;
    const char* message;
    int focus;
  };
  const Case cases[] = {
      {"30", "101", "300", "20", "净重应为正数！", 0},  // the gross weight is hidden at tare
      {"10", "101", "", "20", "蔗价应为正数！", CTsgbFrmView::kCanePrice},
      {"10", "9", "300", "20", "甘蔗品种不存在！", CTsgbFrmView::kVariety},
      {"10", "101", "300", "", "运价应为正数！", CTsgbFrmView::kFreightPrice},
      {"0", "", "300", "20", "皮重为零\n未录入甘蔗品种\n继续吗？", CTsgbFrmView::kTare},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Ticket(tare, {{CTsgbFrmView::kTare, c.tareWeight},
                  {CTsgbFrmView::kVariety, c.variety},
                  {CTsgbFrmView::kCanePrice, c.canePrice},
                  {CTsgbFrmView::kFreightPrice, c.freightPrice}});
    EXPECT_FALSE(Confirm(tare, {SM_IDNO}));
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
    if (c.focus) {
      EXPECT_EQ(Focused(tare), c.focus);
    }
  }
  EXPECT_EQ(Rows("Select OPR1 From gbSheet Where DH='00001'"), "");

  // A number is digits only; one that is no ticket number is refused.
  CTsgbFrmView* gross = Open(0);
  ASSERT_NE(gross, nullptr);
  List(gross)->SelectNumber("00004");
  gross->Control(CTsgbFrmView::kNumber)->setFocus();
  qobject_cast<QLineEdit*>(gross->Control(CTsgbFrmView::kNumber))->clear();
  Keys(gross, "1a2");
  EXPECT_EQ(qobject_cast<QLineEdit*>(gross->Control(CTsgbFrmView::kNumber))->text(), QString("12"));
  Field(gross, CTsgbFrmView::kNumber, "0");
  EXPECT_FALSE(Confirm(gross));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "单号不正确！");
  EXPECT_EQ(Focused(gross), CTsgbFrmView::kNumber);
  EXPECT_EQ(Rows("Select DH From gbSheet Order By DH"), "00001|00002|00003|00004");
  EXPECT_EQ(Logged(), "");
}

TEST_F(TsgbCardTest, DeleteAndUndoTareAskFirstAndKeepTheListPosition) {
  Run(kDayOfTickets);
  CTsgbFrmView* gross = Open(0);
  ASSERT_NE(gross, nullptr);
  CTsgbListView* list = List(gross);
  list->SelectNumber("00001");
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  list->Delete();
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "真的要删除第00001号过磅单吗？");
  EXPECT_EQ(Rows(list).size(), 5u);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  list->Delete();
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"00002", "00003", "00004", "新单"}));
  EXPECT_EQ(list->List()->FirstSelected(), 0);
  EXPECT_EQ(gross->Doc()->m_rec.DH, "00002");
  EXPECT_EQ(Logged(), "删除：00001");

  // The tare card undoes the tare step, of an unsettled ticket only.
  CTsgbFrmView* tare = Open(1);
  ASSERT_NE(tare, nullptr);
  list = List(tare);
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"00002", "00003", "00004"}));
  list->SelectNumber("00003");
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  list->Delete();
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 2u);
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].text,
            "真的要删除第00003号过磅单的除皮操作吗？");
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "数据操作失败！");
  EXPECT_EQ(list->List()->FirstSelected(), 1);
  EXPECT_EQ(Rows("Select OPR1 From gbSheet Where DH='00003'"), "102");
  list->SelectNumber("00002");
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  list->Delete();
  EXPECT_EQ(list->List()->FirstSelected(), 0);
  EXPECT_EQ(tare->Doc()->m_rec.DH, "00002");
  EXPECT_EQ(tare->Doc()->m_rec.OPR[1], "");
  EXPECT_EQ(Rows("Select OPR1||Cast(MU1 As varchar(12)) From gbSheet Where DH='00002'"), "0.0");
  EXPECT_EQ(Logged(), "删除：00001|取消除皮：00002");
}

// Another station on the same data file stores a ticket while this card saves one: the card
// takes its number inside its write transaction, after the other station's, and stores the
// ticket under the next number at once.
TEST_F(TsgbCardTest, TwoStationsSavingAtOnceNeverShareANumber) {
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  Ticket(form, {{CTsgbFrmView::kFarmer, "10102001"},
                {CTsgbFrmView::kDriver, "003"},
                {CTsgbFrmView::kPlace, "012"},
                {CTsgbFrmView::kGross, "30.5"}});
  std::promise<void> begun;
  std::thread other([this, &begun] {
    CSmDatabase db(0);
    bool open = db.Open(m_path) && db.BeginTrans() &&
                db.ExecuteSQL(
                    "Insert Into gbSheet(T,TH,DH,JN0,JN1,OPR0,OPR1,KNO0,MU0) Values('20160315',"
                    "'080000','00001','','','102','','10102001',20)");
    begun.set_value();
    // Commits once this card waits for the write lock (it raises the wait sign beside the file).
    const int sign = ::open((m_path + "-wait").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    for (int i = 0; open && i < 2000; ++i) {
      if (::flock(sign, LOCK_EX | LOCK_NB) != 0) break;
      ::flock(sign, LOCK_UN);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::close(sign);
    if (open) db.CommitTrans();
  });
  begun.get_future().wait();
  EXPECT_TRUE(Confirm(form)) << CSmMessageService::Instance().LastText();
  other.join();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(Rows("Select DH||' '||Cast(MU0 As varchar(12)) From gbSheet Order By DH"),
            "00001 20.0|00002 30.5");
  EXPECT_EQ(Logged(), "新增：00002");
}

// A delivery from the indicator to a printed ticket, by keyboard alone: the open dialog, the
// codes with the farmer picker, Ctrl+1 for the weight, Enter to "确认(&S)", then the tare with the
// price fills and the print at once.
TEST_F(TsgbCardTest, FromTheIndicatorToAPrintedTicketByKeyboard) {
  PtyIndicator indicator(1000);
  ASSERT_TRUE(indicator.Ready());
  auto* cane = static_cast<CTsDataType*>(m_app.FindDataType(16));
  cane->m_intParams[15] = 1;
  cane->m_strParams[49] = "10";
  cane->m_dblParams[0] = 10;  // floating cane price
  cane->m_dblParams[1] = 2;   // floating freight price
  CTsgbFrmView* gross = Open(0, true);
  ASSERT_NE(gross, nullptr);
  EXPECT_EQ(gross->Doc()->m_date, "20160315");
  QWidget* window = gross->window();
  window->show();
  window->activateWindow();
  QApplication::processEvents();
  auto* display = qobject_cast<QLineEdit*>(gross->Control(CTsgbFrmView::kDisplay1));
  ASSERT_TRUE(gross->Scale(0)->GetPortOpen()) << CSmMessageService::Instance().LastText();
  EXPECT_FALSE(display->isHidden());
  EXPECT_EQ(qobject_cast<QLabel*>(gross->Control(CTsgbFrmView::kPortLabel1))->text(),
            QString("串口1："));
  ASSERT_TRUE(indicator.Show("012340", display)) << display->text().toStdString();

  // An upper-level farmer opens the picker; the picked code stays focused.
  EXPECT_EQ(Focused(gross), CTsgbFrmView::kFarmer);
  Keys(gross, "10102");
  QObject timers;
  OnModalOf(&timers, 952,
            [](QWidget* dlg) { Enter(dlg->focusWidget() ? dlg->focusWidget() : dlg); });
  Enter(gross);
  EXPECT_EQ(qobject_cast<QLineEdit*>(gross->Control(CTsgbFrmView::kFarmer))->text(),
            QString("10102001"));
  EXPECT_EQ(Focused(gross), CTsgbFrmView::kFarmer);
  Enter(gross);
  EXPECT_EQ(Focused(gross), CTsgbFrmView::kDriver);
  Keys(gross, "003");
  Enter(gross);
  EXPECT_EQ(Focused(gross), CTsgbFrmView::kPlace);
  Keys(gross, "012");
  Enter(gross);
  EXPECT_EQ(Focused(gross), CTsgbFrmView::kGross);
  QTest::keyClick(gross->window()->focusWidget(), Qt::Key_1, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(gross->Doc()->m_rec.MU[0], 12.34);
  Enter(gross);
  EXPECT_EQ(Focused(gross), SM_ID_OK);
  SmResetMessages();
  Enter(gross);
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 0u)
      << CSmMessageService::Instance().LastText();
  EXPECT_EQ(Rows("Select DH||' '||T||' '||OPR0||' '||KNO0||' '||KNO1||' '||KNO2||' '||"
                 "Cast(MU0 As varchar(12)) From gbSheet"),
            "00001 20160315 101 10102001 003 012 12.34");
  EXPECT_EQ(Logged(), "新增：00001");
  // The next new ticket starts on its farmer field.
  EXPECT_TRUE(gross->Doc()->IsNew());
  EXPECT_EQ(Focused(gross), CTsgbFrmView::kFarmer);
  gross->Doc()->OnCloseDocument();
  QApplication::processEvents();

  CTsgbFrmView* tare = Open(1, true);
  ASSERT_NE(tare, nullptr);
  tare->window()->activateWindow();
  display = qobject_cast<QLineEdit*>(tare->Control(CTsgbFrmView::kDisplay1));
  ASSERT_TRUE(tare->Scale(0)->GetPortOpen()) << CSmMessageService::Instance().LastText();
  EXPECT_EQ(tare->Doc()->m_rec.DH, "00001");
  ASSERT_TRUE(indicator.Show("002340", display));
  tare->Control(CTsgbFrmView::kVariety)->setFocus();
  QTest::keyClick(tare->window()->focusWidget(), Qt::Key_1, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(tare->Doc()->m_rec.MU[1], 2.34);
  Keys(tare, "101");
  Enter(tare);  // variety
  EXPECT_EQ(Focused(tare), CTsgbFrmView::kTare);
  Enter(tare);  // tare weight
  Enter(tare);  // impurity weight
  EXPECT_EQ(Focused(tare), CTsgbFrmView::kRatio);
  Enter(tare);  // impurity ratio; the cane price fills on entering
  EXPECT_EQ(Focused(tare), CTsgbFrmView::kCanePrice);
  EXPECT_EQ(qobject_cast<QLineEdit*>(tare->Control(CTsgbFrmView::kCanePrice))->text(),
            QString("310"));
  Enter(tare);  // the freight price fills on entering
  EXPECT_EQ(Focused(tare), CTsgbFrmView::kFreightPrice);
  EXPECT_EQ(qobject_cast<QLineEdit*>(tare->Control(CTsgbFrmView::kFreightPrice))->text(),
            QString("22"));
  // A price above zero is never replaced.
  qobject_cast<QLineEdit*>(tare->Control(CTsgbFrmView::kCanePrice))->setText("305");
  tare->Control(CTsgbFrmView::kCanePrice)->setFocus();
  EXPECT_EQ(qobject_cast<QLineEdit*>(tare->Control(CTsgbFrmView::kCanePrice))->text(),
            QString("305"));
  tare->Control(CTsgbFrmView::kFreightPrice)->setFocus();
  Enter(tare);  // freight price: on to the first item field
  EXPECT_EQ(Focused(tare), CTsgbFrmView::kItemBase + 1);
  for (int i = 0; i < 8 && Focused(tare) != SM_ID_OK; ++i) Enter(tare);
  EXPECT_EQ(Focused(tare), SM_ID_OK);
  SmResetMessages();
  const std::string pdf = SmQueueTestPdf("card_keyboard");
  Enter(tare);
  EXPECT_EQ(SmPdfPages(pdf), 1);
  EXPECT_EQ(Rows("Select OPR1||' '||KNO3||' '||Cast(MU1 As varchar(12))||' '||"
                 "Cast(PR0 As varchar(12))||' '||Cast(PR1 As varchar(12))||' '||"
                 "Cast(MY0 As varchar(12))||' '||Cast(MY1 As varchar(12))||' '||"
                 "Cast(MY6 As varchar(12)) From gbSheet"),
            "101 101 2.34 305.0 22.0 3050.0 100.0 220.0");
  EXPECT_EQ(Logged(), "新增：00001|修改除皮操作：00001|打印：00001");
  EXPECT_EQ(Focused(tare), CTsgbFrmView::kTare);
}

// A weighbridge office without a printer: the card's print button offers the print dialog,
// whose PDF output takes the ticket.
TEST_F(TsgbCardTest, ThePrintButtonOffersThePrintDialogWithoutAPrinter) {
  Run({kDayOfTickets[1]});
  CTsgbFrmView* form = Open(2);
  ASSERT_NE(form, nullptr);
  List(form)->SelectRow(0);
  ASSERT_EQ(form->Doc()->m_rec.DH, "00002");
  SmGetPrintHooks().hasDefaultPrinter = [] { return false; };
  SmResetMessages();
  const std::string pdf = SmQueueTestPdf("card_noprinter");
  Press(form, CTsgbFrmView::kPrint);
  SmGetPrintHooks().hasDefaultPrinter = nullptr;
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty())
      << CSmMessageService::Instance().LastText();
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(), std::vector<std::string>{"打印"});
  EXPECT_EQ(SmPdfPages(pdf), 1);
  EXPECT_EQ(Logged(), "打印：00002");
}

// One weighbridge, two windows: the tare card finds the port held by the gross card, says so
// in Chinese and opens without it.
TEST_F(TsgbCardTest, ASecondCardIsToldWhichWindowHoldsThePortAndOpensWithoutIt) {
  PtyIndicator indicator(1);
  ASSERT_TRUE(indicator.Ready());
  CTsgbFrmView* gross = Open(0);
  ASSERT_NE(gross, nullptr);
  ASSERT_TRUE(gross->Scale(0)->GetPortOpen()) << CSmMessageService::Instance().LastText();
  SmResetMessages();
  CTsgbFrmView* tare = Open(1);
  ASSERT_NE(tare, nullptr);
  EXPECT_FALSE(tare->Scale(0)->GetPortOpen());
  EXPECT_TRUE(gross->Scale(0)->GetPortOpen());
  const std::string device = tare->Scale(0)->DeviceName();
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "无法打开串口1（" + device +
                "）：它正被本程序的“称毛重”窗口使用。\n本窗口不连接此串口，请在那个窗口读取重量，"
                "或关闭它后再打开本窗口。");
}

// Cut frames and stray bytes between whole ones: the display keeps the last whole weight and
// 送数 stores only that; before any whole weight 送数 stores nothing.
TEST_F(TsgbCardTest, SendStoresOnlyTheWeightOfAWholeFrame) {
  PtyIndicator indicator(1000);
  ASSERT_TRUE(indicator.Ready());
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(form->Scale(0)->GetPortOpen()) << CSmMessageService::Instance().LastText();
  auto* display = qobject_cast<QLineEdit*>(form->Control(CTsgbFrmView::kDisplay1));
  Field(form, CTsgbFrmView::kGross, "7.5");
  form->TakeScaleWeight(0);
  EXPECT_DOUBLE_EQ(form->Doc()->m_rec.MU[0], 7.5);

  ASSERT_TRUE(indicator.Show("012340", display));
  const std::string stx = "\x02";
  ASSERT_TRUE(indicator.Send(stx + "+0012" + stx + "#@!" + stx + "+00A2340\r" + stx + "+001"));
  const QDeadlineTimer settle(300);
  while (!settle.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(display->text(), QString("012340"));
  form->TakeScaleWeight(0);
  EXPECT_DOUBLE_EQ(form->Doc()->m_rec.MU[0], 12.34);
}

// Each model's frame as its indicator sends it: 送数 stores the weight the display shows (the
// raw mode's and the reversed model's with the indicator's "+"), divided by the port's factor.
TEST_F(TsgbCardTest, SendStoresTheWeightEachModelShows) {
  PtyIndicator indicator(1);
  ASSERT_TRUE(indicator.Ready());
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  CMSComm* scale = form->Scale(0);
  auto* display = qobject_cast<QLineEdit*>(form->Control(CTsgbFrmView::kDisplay1));
  const auto frame = [](int mode, const char* shown) {
    return CSmFrameDecoder::EncodeFrame(mode, shown);
  };
  struct Case {
    int mode;
    std::string frame;
    int factor;
    std::string shown;
    double stored;
  };
  const Case cases[] = {
      {0, "\x02+00015200", 1000, "+00015200", 15.2},
      {0, "\x02-00000120", 1000, "-00000120", -0.12},
      {0, "\x02 15300\r\n", 1000, "15300", 15.3},
      {1, frame(1, "15.400"), 1, "15.400", 15.4},
      {2, frame(2, "015500"), 1000, "015500", 15.5},
      {3, frame(3, "15600.0"), 1000, "15600.0", 15.6},
      {3, frame(3, "0015.700"), 1, "0015.700", 15.7},
      {3, frame(3, "+015.800"), 1, "+015.800", 15.8},
      {4, frame(4, "0015.9"), 1, "0015.9", 15.9},
      {5, frame(5, "016.000"), 1, "016.000", 16.0},
      {6, frame(6, "016100"), 1000, "016100", 16.1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    const size_t length = c.mode == 5 ? c.frame.size() : 1;
    scale->SetPortOpen(false);
    ASSERT_TRUE(scale->SetParams(1, FormatStr("9600,N,8,1,%zu,%d,%d", length, c.mode, c.factor)));
    ASSERT_TRUE(scale->OpenPort()) << CSmMessageService::Instance().LastText();
    ASSERT_TRUE(indicator.SendUntilShown(c.frame, c.shown, display))
        << display->text().toStdString();
    form->TakeScaleWeight(0);
    EXPECT_NEAR(form->Doc()->m_rec.MU[0], c.stored, 1e-9);
  }
  scale->SetPortOpen(false);
}

// The reversed model with and without its sign character: each whole frame is shown and taken;
// frames cut short or run into stray bytes leave the last whole weight.
TEST_F(TsgbCardTest, TheReversedModelsFramesAreTakenWithOrWithoutTheirSign) {
  PtyIndicator indicator(1, 3);
  ASSERT_TRUE(indicator.Ready());
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(form->Scale(0)->GetPortOpen()) << CSmMessageService::Instance().LastText();
  auto* display = qobject_cast<QLineEdit*>(form->Control(CTsgbFrmView::kDisplay1));
  const auto settle = [] {
    const QDeadlineTimer deadline(300);
    while (!deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
  };
  struct Case {
    std::string field;  // a whole frame's weight field, as shown
    std::string cut;    // frames that follow it, none of them whole
    double taken;
  };
  const Case cases[] = {
      {"00012.34", "=43.21=43.2100-0=43.21001=4x.21000=", 12.34},
      {"01250.0", "=0.052=0.05\r\n210=", 1250},
      {"-0012.34", "=43.21009=", -12.34},
      {"+0013.45", "=54.31=54.3100+5=", 13.45},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    ASSERT_TRUE(indicator.Show(c.field, display)) << display->text().toStdString();
    ASSERT_TRUE(indicator.Send(c.cut));
    settle();
    EXPECT_EQ(display->text().toStdString(), c.field);
    form->TakeScaleWeight(0);
    EXPECT_DOUBLE_EQ(form->Doc()->m_rec.MU[0], c.taken);
  }
}

// 文件 ▸ 打印 and 打印预览 reach the card's ticket while the clerk is in the ticket list.
TEST_F(TsgbCardTest, PrintAndPreviewWorkWithTheFocusInTheTicketList) {
  Run({kDayOfTickets[1]});
  CTsgbFrmView* form = Open(2);
  ASSERT_NE(form, nullptr);
  CTsgbListView* list = List(form);
  list->SelectRow(0);
  QApplication::setActiveWindow(form->window());
  list->List()->setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(list->List()->hasFocus());
  CSmCommandManager& commands = CSmCommandManager::Instance();
  for (int id : {SM_ID_FILE_PRINT, SM_ID_FILE_PRINT_PREVIEW}) {
    SCOPED_TRACE(id);
    SmResetMessages();
    EXPECT_TRUE(commands.Update(id));
    const std::string pdf = SmQueueTestPdf(FormatStr("card_from_list%d", id));
    EXPECT_TRUE(commands.Execute(id));
    EXPECT_EQ(SmPdfPages(pdf), 1);
  }
}

TEST_F(TsgbCardTest, TheListMenuRefreshesAndKeepsTheSelection) {
  Run({kDayOfTickets[0], kDayOfTickets[1]});
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  CTsgbListView* list = List(form);
  list->SelectNumber("00002");
  const auto menu = list->List()->CreateContextMenu();
  std::vector<std::string> texts;
  QAction* refresh = nullptr;
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    texts.push_back(action->text().toStdString());
    if (action->text().startsWith("刷新")) refresh = action;
  }
  for (const char* gone : {"新增", "打开", "修改", "剪切", "复制(&C)", "粘贴"}) {
    for (const std::string& text : texts) EXPECT_FALSE(text.starts_with(gone)) << text;
  }
  EXPECT_EQ(texts.front(), "删除(&R)\tDelete");
  ASSERT_NE(refresh, nullptr);
  EXPECT_EQ(texts[1], refresh->text().toStdString());
  // Another station's ticket appears; the ticket selected stays selected.
  Run({kDayOfTickets[3]});
  refresh->trigger();
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"00001", "00002", "00004", "新单"}));
  EXPECT_EQ(list->List()->FirstSelected(), 1);
  EXPECT_EQ(form->Doc()->m_rec.DH, "00002");
}

// On the ticket query card a ticket opens in its tare step; the radio pair chooses the gross
// step, and Delete then asks about the whole ticket.
TEST_F(TsgbCardTest, QueryCardStepFollowsTheSelectionAndTheRadioPair) {
  Run({kDayOfTickets[0]});
  CTsgbFrmView* form = Open(2);
  ASSERT_NE(form, nullptr);
  CTsgbDoc* doc = form->Doc();
  CTsgbListView* list = List(form);
  EXPECT_TRUE(doc->IsNew());
  EXPECT_EQ(doc->m_tare, 0);
  list->SelectNumber("00001");
  EXPECT_EQ(doc->m_tare, 1);
  EXPECT_EQ(doc->m_gross, 0);
  auto* gross = qobject_cast<QRadioButton*>(form->Control(CTsgbFrmView::kGrossStep));
  ASSERT_NE(gross, nullptr);
  EXPECT_FALSE(gross->isHidden());
  gross->click();
  EXPECT_EQ(doc->m_tare, 0);
  EXPECT_EQ(doc->m_gross, 1);
  EXPECT_FALSE(
      form->Control(CTsgbFrmView::kGross)->isHidden());  // the gross weight is editable again
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  list->Delete();
  EXPECT_EQ(CSmMessageService::Instance().Shown().front().text, "真的要删除第00001号过磅单吗？");
  EXPECT_EQ(Rows("Select DH From gbSheet"), "");
  EXPECT_EQ(Logged(), "删除：00001");
  EXPECT_EQ(Rows(list), std::vector<std::string>{"新单"});
  EXPECT_EQ(doc->m_tare, 0);
}

// ---------------------------------------------------------------- two stations, both engines

class TsgbCardStationsTest : public TsgbCardTest, public testing::WithParamInterface<int> {
 protected:
  int Kind() const override { return GetParam(); }
  // Another workstation's connection to the same file or database.
  std::unique_ptr<CSmDatabase> Station() {
    auto db = std::make_unique<CSmDatabase>(GetParam());
    EXPECT_TRUE(db->Open(m_db->GetFileName(), m_db->GetConnInfo())) << db->LastError();
    return db;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsgbCardStationsTest, testing::Values(0, 2));

// Another station deletes the farmer while the card asks whether to go on without a place: the
// card's write transaction finds him gone and stores no ticket.
TEST_P(TsgbCardStationsTest, AFarmerDeletedWhileTheCardAsksGetsNoTicket) {
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  Ticket(form, {{CTsgbFrmView::kFarmer, "10102001"},
                {CTsgbFrmView::kDriver, "003"},
                {CTsgbFrmView::kGross, "30.5"}});
  std::unique_ptr<CSmDatabase> other = Station();
  bool deleted = false;
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  CSmMessageService::Instance().WhileNextShown([&](const std::string& question) {
    EXPECT_EQ(question, "未录入甘蔗砍运地\n继续吗？");
    deleted = CNH(other.get(), "10102001").Delete(true);
  });
  EXPECT_FALSE(form->SaveTicket(true));
  EXPECT_TRUE(deleted);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "农户不存在！");
  EXPECT_EQ(Rows("Select Count(*) From gbSheet"), "0");
  EXPECT_EQ(Logged(), "");
  EXPECT_TRUE(form->Doc()->IsNew());
}

// Another station stores a ticket while this card saves one; it holds its transaction until
// the card waits for it: the card then takes the next number and stores at once.
TEST_P(TsgbCardStationsTest, ATicketStoredMeanwhileMovesTheNumberOn) {
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  Ticket(form, {{CTsgbFrmView::kFarmer, "10102001"},
                {CTsgbFrmView::kDriver, "003"},
                {CTsgbFrmView::kPlace, "012"},
                {CTsgbFrmView::kGross, "30.5"}});
  const std::string file = m_db->GetFileName();
  const CSmConnInfo login = m_db->GetConnInfo();
  const int kind = GetParam();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    close(ready[0]);
    CSmDatabase db(kind);
    CTsgbRec ticket;
    ticket.T = "20160315";
    ticket.DH = "00001";
    ticket.OPR[0] = "102";
    ticket.KNO[0] = "10102001";
    ticket.MU[0] = 20;
    // The other station's save, held open after its insert until this card waits for it.
    const bool stored = db.Open(file, login) && db.BeginTrans() && db.LockSeries("gbSheet.DH") &&
                        ticket.Insert(&db) == 1;
    const char mark = stored ? 'r' : 'x';
    [[maybe_unused]] const ssize_t said = write(ready[1], &mark, 1);
    bool waited = false;
    const int sign = ::open((file + "-wait").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    for (int i = 0; stored && !waited && i < 2000; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (kind != 0) {
        waited = db.QueryInt("Select Count(*) From pg_locks Where Not granted") > 0;
      } else if (::flock(sign, LOCK_EX | LOCK_NB) != 0) {
        waited = true;
      } else {
        ::flock(sign, LOCK_UN);
      }
    }
    _exit(stored && waited && db.CommitTrans() ? 0 : 1);
  }
  close(ready[1]);
  char mark = 0;
  ASSERT_EQ(read(ready[0], &mark, 1), 1);
  close(ready[0]);
  ASSERT_EQ(mark, 'r');
  EXPECT_TRUE(Confirm(form)) << CSmMessageService::Instance().LastText();
  int status = -1;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(Rows("Select DH||' '||Cast(Cast(MU0*10 As Integer) As varchar(12)) From gbSheet "
                 "Order By DH"),
            "00001 200|00002 305");
  EXPECT_EQ(Logged(), "新增：00002");
}

// A card with a ticket typed and weighed but not stored asks before it closes, as the other
// documents do; an untouched card and a stored ticket close without a word.
TEST_F(TsgbCardTest, ClosingACardWithTypedValuesAsks) {
  const auto frameOf = [](CTsgbFrmView* form) { return form->GetParentFrame(); };
  const auto documents = [this] { return m_app.m_docManager.DocumentCount(); };
  CTsgbFrmView* gross = Open(0);
  ASSERT_NE(gross, nullptr);
  SmResetMessages();
  EXPECT_TRUE(frameOf(gross)->close());
  QApplication::processEvents();
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 0u);
  EXPECT_EQ(documents(), 0);

  gross = Open(0);
  ASSERT_NE(gross, nullptr);
  Ticket(gross, {{CTsgbFrmView::kFarmer, "10102001"},
                 {CTsgbFrmView::kDriver, "003"},
                 {CTsgbFrmView::kGross, "30.5"}});
  const std::string question = "当前文档已发生了变化，存盘吗？";
  // 取消 keeps the card and what was typed; 否 drops the ticket.
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDCANCEL);
  EXPECT_FALSE(frameOf(gross)->close());
  EXPECT_EQ(CSmMessageService::Instance().LastText(), question);
  EXPECT_EQ(documents(), 1);
  EXPECT_EQ(gross->Doc()->m_rec.KNO[0], "10102001");
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  EXPECT_TRUE(frameOf(gross)->close());
  QApplication::processEvents();
  EXPECT_EQ(documents(), 0);
  EXPECT_EQ(Rows("Select DH From gbSheet"), "");

  // 是 stores it as 确认 does; a ticket the checks refuse keeps the card open.
  gross = Open(0);
  ASSERT_NE(gross, nullptr);
  Ticket(gross, {{CTsgbFrmView::kFarmer, "10102001"},
                 {CTsgbFrmView::kDriver, "003"},
                 {CTsgbFrmView::kGross, "0"},
                 {CTsgbFrmView::kPlace, "012"}});
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_FALSE(frameOf(gross)->close());
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "毛重应为正数！");
  Field(gross, CTsgbFrmView::kGross, "30.5");
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_TRUE(frameOf(gross)->close());
  QApplication::processEvents();
  EXPECT_EQ(Rows("Select DH||' '||KNO0||' '||KNO2 From gbSheet"), "00001 10102001 012");
  EXPECT_EQ(documents(), 0);
}

// The Window menu lists the open cards as numbered items; 层叠 and both tilings arrange them
// even while they are maximised.
TEST_F(TsgbCardTest, TheWindowMenuListsTheCardsAndArrangesThemFromAnyState) {
  CTsgbFrmView* gross = Open(0);
  CTsgbFrmView* tare = Open(1);
  ASSERT_NE(gross, nullptr);
  ASSERT_NE(tare, nullptr);
  CSmFrameWnd* main = m_app.GetMainWnd();
  ASSERT_NE(main, nullptr);
  main->resize(1000, 700);
  QApplication::processEvents();
  QMenu* windows = nullptr;
  for (QAction* top : main->menuBar()->actions()) {
    if (top->menu() && top->text() == "窗口(&W)") windows = top->menu();
  }
  ASSERT_NE(windows, nullptr);
  emit windows->aboutToShow();
  std::vector<std::string> items;
  for (QAction* action : windows->actions()) {
    if (action->isSeparator()) continue;
    items.push_back(action->text().toStdString() + (action->isChecked() ? " *" : ""));
  }
  const std::string grossTitle = gross->GetParentFrame()->windowTitle().toStdString();
  const std::string tareTitle = tare->GetParentFrame()->windowTitle().toStdString();
  EXPECT_EQ(items, (std::vector<std::string>{"层叠(&C)", "横向平铺(&H)", "纵向平铺(&V)",
                                             "&1 " + grossTitle, "&2 " + tareTitle + " *"}));
  // Listing again does not repeat the windows; choosing one brings it to the front.
  emit windows->aboutToShow();
  EXPECT_EQ(windows->actions().size(), 6);
  windows->actions()[4]->trigger();
  EXPECT_EQ(main->MdiArea()->activeSubWindow(), gross->GetParentFrame());

  QMdiSubWindow* frames[2] = {gross->GetParentFrame(), tare->GetParentFrame()};
  const QRect room = main->MdiArea()->viewport()->rect();
  for (const int id : {SM_ID_WINDOW_CASCADE, SM_ID_WINDOW_TILE_HORZ, SM_ID_WINDOW_TILE_VERT}) {
    SCOPED_TRACE(id);
    for (QMdiSubWindow* frame : frames) frame->showMaximized();
    ASSERT_TRUE(SmExecuteCommand(id));
    QApplication::processEvents();
    for (QMdiSubWindow* frame : frames) EXPECT_FALSE(frame->isMaximized());
    const QRect first = frames[0]->geometry();
    const QRect second = frames[1]->geometry();
    EXPECT_NE(first.topLeft(), second.topLeft());
    if (id == SM_ID_WINDOW_TILE_HORZ) {
      EXPECT_EQ(first.width(), room.width());
      EXPECT_EQ(second.top(), first.bottom() + 1);
    }
    if (id == SM_ID_WINDOW_TILE_VERT) {
      EXPECT_EQ(first.height(), room.height());
      EXPECT_EQ(second.left(), first.right() + 1);
    }
  }
}
