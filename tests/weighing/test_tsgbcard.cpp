// The weighing card: opened through its template after the open dialog, a new ticket weighed
// and stored, its tare taken on the tare card, the checks of saving, and changes and deletes
// that must not write or log when the stored ticket is not what the card shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

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
#include "ui/SmPrinterService.h"
#include "weighing/SmMSComm.h"
#include "weighing/TsgbDoc.h"
#include "weighing/TsgbFrmView.h"

namespace {

class WeighApp : public CSmApp {
 public:
  void GetModuleInfos(std::vector<CSmModuleInfo>& infos) override {
    CSmModuleInfo info;
    info.m_id = 9;
    info.m_docType = "WeighCardTest";
    info.m_title = "甘蔗结算";
    info.m_types = " 16 ";
    infos.push_back(info);
  }
  void CreateDataTypes() override { AdoptDataType(std::make_unique<CTsDataType>())->Init(); }
  void RunUpdater() override {}
  bool CheckDataEngine() override { return true; }
  bool LogIn(const std::string&) override { return true; }

 protected:
  bool RegisterDataFileType() override { return true; }
};

class TsgbCardTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmPrinterService::Instance().Reset();
    TsInstallWeighingCard();
    ASSERT_TRUE(m_app.InitInstance({}));
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    m_app.m_env.SetRights("1620 1621 1622 1623 1624 1627 ");
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
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
    TsSetDocClasses(255, {});
    CSmPrinterService::Instance().Reset();
  }
  void Run(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) ASSERT_TRUE(m_db->ExecuteSQL(sql)) << sql;
  }
  std::string Rows(const std::string& query) {
    std::vector<std::string> rows[1];
    m_db->QueryStrings(query, rows, 1);
    std::string text;
    for (const std::string& row : rows[0]) text += (text.empty() ? "" : "|") + TrimChars(row);
    return text;
  }
  std::string Logged() { return Rows("Select sNote From SmLog Where nTaskID=1605 Order By sT"); }

  // Opens a kind of the weighing card; the open dialog is answered with OK on 20160315.
  CTsgbFrmView* Open(int kind) {
    for (const auto& t : m_app.m_docManager.Templates()) {
      auto* found = dynamic_cast<CSmDocTemplate*>(t.get());
      if (!found || found->m_number != 255) continue;
      QObject timers;
      OnModalOf(&timers, 960, [](QWidget* dlg) {
        Type(dlg, 1003, "2016");
        Type(dlg, 1004, "03");
        Type(dlg, 1005, "15");
        Press(dlg, SM_ID_OK);
      });
      CSmChildFrame* frame = found->OpenDocumentOfKind(found->m_kinds[kind], 0, true, false);
      QApplication::processEvents();
      return frame ? frame->findChild<CTsgbFrmView*>() : nullptr;
    }
    return nullptr;
  }
  static CTsgbListView* List(CTsgbFrmView* form) {
    return dynamic_cast<CTsgbListView*>(TsFindCardView(form->GetDocument(), 0));
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

  WeighApp m_app;
  CSmDatabase* m_db = nullptr;
};

}  // namespace

TEST_F(TsgbCardTest, GrossThenTareStoresOneTicket) {
  CTsgbFrmView* gross = Open(0);
  ASSERT_NE(gross, nullptr);
  CTsgbDoc* doc = gross->Doc();
  EXPECT_EQ(doc->m_date, "20160315");
  EXPECT_EQ(Rows(List(gross)), std::vector<std::string>{"新单"});
  EXPECT_TRUE(doc->IsNew());
  EXPECT_FALSE(gross->Control(1081)->isVisible());
  Field(gross, 1079, "10102001");
  Field(gross, 1085, "003");
  Field(gross, 1084, "30.5");
  EXPECT_TRUE(Confirm(gross, {SM_IDYES}));
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
  Field(tare, 1090, "101");
  Field(tare, 1086, "10.2");
  Field(tare, 1089, "300");
  Field(tare, 1083, "20");
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
      {"10102001", "003", "012", "0", "", "毛重应为正数！", 1084},
      {"10102", "003", "012", "30", "", "农户不存在！", 1079},
      {"10102001", "003", "999", "30", "", "甘蔗砍运地不存在！", 1082},
      {"10102001", "009", "012", "30", "", "驾驶员不存在！", 1085},
      {"10102001", "", "012", "30", "5", "运价应为0！", 0},  // the price is hidden at gross
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Field(form, 1079, c.farmer);
    Field(form, 1085, c.driver);
    Field(form, 1082, c.place);
    Field(form, 1084, c.gross);
    Field(form, 1083, c.freightPrice);
    EXPECT_FALSE(Confirm(form, {SM_IDYES}));
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
    QWidget* focus = form->window()->focusWidget();
    if (c.focus) {
      EXPECT_EQ(focus ? focus->objectName().toInt() : 0, c.focus);
    }
  }
  // A warning answered with No stores nothing.
  Field(form, 1085, "");
  Field(form, 1083, "");
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
  EXPECT_TRUE(form->Control(1081)->isVisible());
  // Unchanged: nothing written, nothing logged.
  EXPECT_FALSE(Confirm(form));
  EXPECT_EQ(Logged(), "");
  // A new number.
  Field(form, 1081, "7");
  EXPECT_TRUE(Confirm(form));
  EXPECT_EQ(Rows("Select DH From gbSheet Order By DH"), "00002|00007");
  EXPECT_EQ(Logged(), "修改毛重操作：00001 --> 00007");

  // Another station tared the ticket meanwhile: the card writes nothing.
  list->SelectNumber("00007");
  Run({"Update gbSheet Set OPR1='102' Where DH='00007'"});
  Field(form, 1084, "31");
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
    EXPECT_EQ(!form->Control(1081)->isHidden(), c.numberShown);
    EXPECT_EQ(!form->Control(1084)->isHidden(), c.grossShown);
    EXPECT_EQ(!form->Control(1086)->isHidden(), c.tareShown);
    EXPECT_EQ(!form->Control(1135)->isHidden(), c.stepsShown);
    EXPECT_EQ(form->Control(SM_ID_OK)->isEnabled(), c.canSave);
  }
  // Without the right to enter tickets there is no new-ticket row.
  m_app.m_env.SetRights("1624 ");
  EXPECT_EQ(Rows(List(Open(0))), (std::vector<std::string>{"00001", "00002", "00003"}));
}

TEST_F(TsgbCardTest, ScalesWithoutPortsAreHiddenAndASendDividesByTheFactor) {
  CTsgbFrmView* form = Open(0);
  ASSERT_NE(form, nullptr);
  for (int id : {1091, 1092, 1074, 1093, 1094, 1075})
    EXPECT_TRUE(form->Control(id)->isHidden()) << id;
  ASSERT_TRUE(form->Scale(0)->SetParams(1, "9600,n,8,1,8,0,1000"));
  qobject_cast<QLineEdit*>(form->Control(1091))->setText(" 12340 ");
  form->TakeScaleWeight(0);
  EXPECT_DOUBLE_EQ(form->Doc()->m_rec.MU[0], 12.34);
  EXPECT_EQ(qobject_cast<QLineEdit*>(form->Control(1084))->text().toStdString(), "12.34");
}
