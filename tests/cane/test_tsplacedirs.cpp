// The place and driver directories and their cards: columns, the right to change, the card's
// checks and log lines, re-pricing after a freight-price change, merges, opening balances.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

#include "cane/TsDriverDirDlg.h"
#include "cane/TsPlaceDirDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/cane/TsDirTest.h"
#include "ui/SmEdit.h"

namespace {

class TsPlaceDirsTest : public TsDirTest {
 protected:
  void SetUp() override {
    TsDirTest::SetUp();
    AddSampleFarmers();
    m_type->m_intParams[5] = 3;  // driver code length
    m_type->m_intParams[6] = 3;  // place code length
    m_type->m_strParams[25] = "油费\t21";
    m_type->m_strParams[27] = "路费\t21";
    TsBuildItemTables();
    m_app.m_env.SetRights("1603 1604 ");
    AddPlace("001", "河边", "1", 50);
    AddPlace("002", "山脚", "2", 40);
    AddPlace("003", "坡地", "", 30);
  }
  void AddPlace(const std::string& code, const std::string& name, const std::string& region,
                double price) {
    Run(
        {FormatStr("Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
                   "Values('%s','%s','%s','',12,%g,0,0.5,0,0)",
                   code.c_str(), name.c_str(), region.c_str(), price)});
  }
  void AddTicket(const std::string& number, const std::string& place, const std::string& driver,
                 double freight) {
    Run({FormatStr(
        "Insert Into gbSheet(DH,KNO1,KNO2,OPR1,JN1,PR1) Values('%s','%s','%s','101','',%g)",
        number.c_str(), driver.c_str(), place.c_str(), freight)});
  }
  static void Set(QWidget* dlg, int id, const std::string& text) {
    Find<CSmEdit>(dlg, id)->setText(QString::fromStdString(text));
  }
  static std::string Get(QWidget* dlg, int id) {
    return Find<CSmEdit>(dlg, id)->text().toStdString();
  }
  void AddDriver(const std::string& code, const std::string& name) {
    Run({"Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) Values('" + code + "','" + name +
         "','','','','','','')"});
  }
  static std::string LastBox() { return CSmMessageService::Instance().LastText(); }
  static std::vector<std::string> MenuIds(CSmListCtrl* list) {
    std::vector<std::string> ids;
    const std::unique_ptr<QMenu> menu = list->CreateContextMenu();
    for (QAction* action : menu->actions()) ids.push_back(action->objectName().toStdString());
    return ids;
  }
  static bool Has(const std::vector<std::string>& ids, int id) {
    return std::find(ids.begin(), ids.end(), std::to_string(id)) != ids.end();
  }
};

TEST_F(TsPlaceDirsTest, PlaceListColumnsFollowTheNamedParameters) {
  {
    CTsPlaceDirDlg dlg(false, m_db, "002");
    dlg.show();
    ASSERT_EQ(dlg.List()->columnCount(), 7);
    EXPECT_EQ(dlg.List()->headerItem()->text(6).toStdString(), "运距");
    EXPECT_EQ(dlg.SelectedCode(), "002");
    const QTreeWidgetItem* row = dlg.List()->topLevelItem(0);
    EXPECT_EQ(row->text(2).toStdString(), "1 东区");
    EXPECT_EQ(row->text(4).toStdString(), "50.00");
    EXPECT_EQ(row->text(6).toStdString(), "0.5");
    const auto ids = MenuIds(dlg.List());
    EXPECT_TRUE(Has(ids, SM_ID_BATCH_PARAMS));
    for (int id : {SM_ID_EDIT_CUT, SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE, SM_ID_EDIT_SELECT_ALL})
      EXPECT_FALSE(Has(ids, id)) << id;
  }
  m_type->m_strParams[45].clear();
  TsBuildItemTables();
  CTsPlaceDirDlg dlg(false, m_db, "");
  dlg.show();
  EXPECT_EQ(dlg.List()->columnCount(), 6);
  EXPECT_FALSE(Has(MenuIds(dlg.List()), SM_ID_BATCH_PARAMS));
  CTsPlaceCardDlg card(1, "", m_db);
  card.show();
  EXPECT_EQ(Find<CSmEdit>(&card, CTsPlaceCardDlg::kFirstParam), nullptr);
}

TEST_F(TsPlaceDirsTest, PlaceCardChecksItsFieldsAndLogs) {
  struct Case {
    const char* code;
    const char* name;
    const char* region;
    const char* refusal;
  };
  const Case cases[] = {
      {"0", "田头", "", "代码不合适，请重输！"},
      {"7", "", "", "名称不能为空，请重输！"},
      {"7", "田头", "9", "所在区域不存在，请重输！"},
      {"7", "田头", "101", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    SmResetMessages();
    CTsPlaceCardDlg card(1, "", m_db);
    card.show();
    EXPECT_EQ(Get(&card, CTsPlaceCardDlg::kCode), "004");
    Set(&card, CTsPlaceCardDlg::kCode, c.code);
    Set(&card, CTsPlaceCardDlg::kName, c.name);
    Set(&card, CTsPlaceCardDlg::kRegion, c.region);
    card.OnOK();
    EXPECT_EQ(card.result() == QDialog::Accepted, c.refusal == nullptr);
    if (c.refusal) {
      EXPECT_EQ(LastBox(), c.refusal);
    }
  }
  EXPECT_EQ(Rows("Select QY From AdrDir Where KNO='007'"), "101");
  // A code longer than the code length cannot be typed.
  CTsPlaceCardDlg longer(1, "", m_db);
  longer.show();
  Set(&longer, CTsPlaceCardDlg::kCode, "1234");
  EXPECT_EQ(Get(&longer, CTsPlaceCardDlg::kCode), "123");
  EXPECT_EQ(Logged(1602), "新增：007 - 田头");

  CTsPlaceCardDlg card(0, "007", m_db);
  card.show();
  EXPECT_EQ(Find<QLabel>(&card, CTsPlaceCardDlg::kRegionName)->text().toStdString(), "东区/一村");
  Set(&card, CTsPlaceCardDlg::kName, "田尾");
  card.OnOK();
  EXPECT_EQ(Logged(1602), "新增：007 - 田头|修改：007(田头) --> 007(田尾)");
}

TEST_F(TsPlaceDirsTest, AddingStartsFromTheSelectedPlaceAndComesBack) {
  CTsPlaceDirDlg dlg(false, m_db, "001");
  dlg.show();
  CModalScript script;
  std::vector<std::string> shown;
  script.Then(955, [&](QWidget* card) {
    for (int id : {CTsPlaceCardDlg::kCode, CTsPlaceCardDlg::kName, CTsPlaceCardDlg::kRegion,
                   CTsPlaceCardDlg::kPrice})
      shown.push_back(Get(card, id));
    Press(card, SM_ID_OK);
  });
  script.Then(955, Cancel);
  dlg.List()->OnCommand(SM_ID_LIST_ADD);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(shown, (std::vector<std::string>{"004", "河边", "1", ""}));
  EXPECT_EQ(dlg.SelectedCode(), "004");
}

TEST_F(TsPlaceDirsTest, FreightPriceChangeOffersToRepriceOpenTickets) {
  AddTicket("00001", "001", "", 50);
  AddTicket("00002", "001", "", 52);
  struct Case {
    int answer;
    bool called, add;
    double price;
  };
  const Case cases[] = {
      {SM_IDYES, true, true, 5}, {SM_IDNO, true, false, 55}, {SM_IDCANCEL, false, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    SmResetMessages();
    m_weighing->reprices.clear();
    Run({"Update AdrDir Set ypr=50 Where KNO='001'"});
    CSmMessageService::Instance().QueueAnswer(c.answer);
    CTsPlaceCardDlg card(0, "001", m_db);
    card.show();
    Set(&card, CTsPlaceCardDlg::kPrice, "55");
    card.OnOK();
    EXPECT_EQ(card.result(), QDialog::Accepted);
    EXPECT_NE(LastBox().find("选择“是”，将单价调增5.00；"), std::string::npos);
    ASSERT_EQ(m_weighing->reprices.size(), c.called ? 1u : 0u);
    if (!c.called) continue;
    EXPECT_EQ(m_weighing->reprices[0].add, c.add);
    EXPECT_EQ(m_weighing->reprices[0].kind, 1);
    EXPECT_DOUBLE_EQ(m_weighing->reprices[0].price, c.price);
  }
  SmResetMessages();
  CTsPlaceCardDlg rename(0, "001", m_db);
  rename.show();
  Set(&rename, CTsPlaceCardDlg::kName, "河滩");
  rename.OnOK();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(TsPlaceDirsTest, MergedPlacesAreNotRepricedAndADeclinedMergeChangesNothing) {
  AddTicket("00001", "002", "", 40);
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  CTsPlaceCardDlg declined(0, "002", m_db);
  declined.show();
  Set(&declined, CTsPlaceCardDlg::kCode, "1");
  declined.OnOK();
  EXPECT_EQ(LastBox(), "代码不合适，操作数据库失败！");
  EXPECT_TRUE(declined.isVisible());
  EXPECT_EQ(Rows("Select KNO From AdrDir Order By KNO"), "001|002|003");

  m_weighing->reprices.clear();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  CTsPlaceCardDlg merge(0, "002", m_db);
  merge.show();
  Set(&merge, CTsPlaceCardDlg::kCode, "1");
  Set(&merge, CTsPlaceCardDlg::kPrice, "45");
  merge.OnOK();
  EXPECT_EQ(merge.result(), QDialog::Accepted);
  EXPECT_EQ(Rows("Select KNO From AdrDir Order By KNO"), "001|003");
  EXPECT_EQ(Rows("Select KNO2 From gbSheet"), "001");
  EXPECT_TRUE(m_weighing->reprices.empty());
}

TEST_F(TsPlaceDirsTest, PickerListsTheFarmersRegionsFirst) {
  CTsPlaceDirDlg dlg(true, m_db, "");
  dlg.SetFarmerCode("20101001");
  dlg.show();
  EXPECT_EQ(dlg.List()->topLevelItem(0)->text(0).toStdString(), "002");
  EXPECT_EQ(dlg.List()->topLevelItem(1)->text(0).toStdString(), "001");
  dlg.SelectCode("003");
  dlg.List()->OnCommand(SM_ID_LIST_OPEN);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Place().NA, "坡地");
}

TEST_F(TsPlaceDirsTest, DeletingRefusesReferencedRecordsAndLogsTheOthers) {
  AddTicket("00001", "001", "", 50);
  CTsPlaceDirDlg places(false, m_db, "001");
  places.show();
  places.List()->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(LastBox(), "该地已被引用，不能删除！");
  places.SelectCode("003");
  places.List()->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(places.SelectedCode(), "002");
  EXPECT_EQ(Logged(1602), "删除：003");

  Run({"Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) Values('001','王','','','','','','')",
       "Update gbSheet Set KNO1='001'"});
  CTsDriverDirDlg drivers(false, m_db, "001");
  drivers.show();
  drivers.List()->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(LastBox(), "该驾驶员已被引用，不能删除！");
}

TEST_F(TsPlaceDirsTest, WithoutTheRightOnlyPickingWorks) {
  m_app.m_env.SetRights("");
  CTsPlaceDirDlg dlg(true, m_db, "001");
  dlg.show();
  for (unsigned id :
       std::initializer_list<unsigned>{SM_ID_LIST_ADD, SM_ID_LIST_MODIFY, SM_ID_LIST_DELETE})
    EXPECT_FALSE(dlg.List()->IsCommandEnabled(id)) << id;
  dlg.List()->OnCommand(SM_ID_LIST_ADD);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  dlg.OnOK();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Place().KNO, "001");
}

TEST_F(TsPlaceDirsTest, DriverCardChecksTheLoadLimits) {
  struct Case {
    const char* lower;
    const char* upper;
    const char* refusal;
    const char* stored;
  };
  const Case cases[] = {
      {"30", "20", "限载数倒置，请重输！", nullptr}, {"0", "", "限载数应大于0，请重输！", nullptr},
      {"", "0", "限载数应大于0，请重输！", nullptr}, {"30", "", nullptr, "30|"},
      {"25.500", "40", nullptr, "25.5|40"},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lower);
    SmResetMessages();
    CTsDriverCardDlg card(1, "", m_db);
    card.show();
    Set(&card, CTsDriverCardDlg::kCode, std::to_string(++number));
    Set(&card, CTsDriverCardDlg::kName, "司机");
    Set(&card, CTsDriverCardDlg::kLowerLimit, c.lower);
    Set(&card, CTsDriverCardDlg::kUpperLimit, c.upper);
    card.OnOK();
    EXPECT_EQ(card.result() == QDialog::Accepted, c.refusal == nullptr);
    if (c.refusal) {
      EXPECT_EQ(LastBox(), c.refusal);
    }
    if (!c.stored) continue;
    const std::string where = FormatStr(" From DriverDir Where KNO='%03d'", number);
    EXPECT_EQ(Rows("Select WG0" + where) + "|" + Rows("Select WG1" + where), c.stored);
  }
  CTsDriverCardDlg unnamed(1, "", m_db);
  unnamed.show();
  unnamed.OnOK();
  EXPECT_EQ(LastBox(), "姓名不能为空，请重输！");
}

TEST_F(TsPlaceDirsTest, DriverOpeningBalancesAndTotals) {
  CTsDriverCardDlg card(1, "", m_db);
  card.show();
  ASSERT_EQ(card.AdvanceFieldCount(), 2);
  Set(&card, CTsDriverCardDlg::kName, "王师傅");
  Find<CSmEdit>(&card, CTsDriverCardDlg::kNote)->setFocus();
  QApplication::processEvents();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&card, &enter);
  EXPECT_EQ(card.focusWidget(), Find<CSmEdit>(&card, CTsDriverCardDlg::kFirstAdvance));
  Set(&card, CTsDriverCardDlg::kFirstAdvance + 1, "88.5");
  card.OnOK();
  ASSERT_EQ(card.result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(m_weighing->openings["001"][2], 88.5);
  CTsDriverCardDlg again(0, "001", m_db);
  again.show();
  EXPECT_EQ(Get(&again, CTsDriverCardDlg::kFirstAdvance + 1), "88.5");

  CTsDriverDirDlg picker(true, m_db, "");
  picker.show();
  EXPECT_EQ(picker.List()->columnCount(), 8);
  EXPECT_FALSE(Has(MenuIds(picker.List()), SM_ID_FARMER_ADVANCE_TOTALS));
  // The stand-in has no driver openings: the totals list the items without amounts.
  CTsDriverDirDlg dlg(false, m_db, "");
  dlg.show();
  EXPECT_EQ(dlg.List()->columnCount(), 10);
  EXPECT_TRUE(Has(MenuIds(dlg.List()), SM_ID_FARMER_ADVANCE_TOTALS));
  dlg.List()->OnCommand(SM_ID_FARMER_ADVANCE_TOTALS);
  EXPECT_EQ(LastBox(), "当前驾驶员预付款合计数为：\n\n    油费：\n    路费：\n    合计：");
}

TEST_F(TsPlaceDirsTest, AMergedDriverKeepsTheMergedOpeningRow) {
  Run({"Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) Values('001','王','','','','','','')",
       "Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) "
       "Values('002','李','','','','','','')"});
  TsSlipAmounts amounts{};
  amounts[0] = 10;
  m_weighing->openings["001"] = amounts;
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  CTsDriverCardDlg card(0, "002", m_db);
  card.show();
  Set(&card, CTsDriverCardDlg::kCode, "1");
  card.OnOK();
  EXPECT_EQ(card.result(), QDialog::Accepted);
  EXPECT_EQ(Rows("Select KNO From DriverDir"), "001");
  EXPECT_DOUBLE_EQ(m_weighing->openings["001"][0], 10);
}

TEST_F(TsPlaceDirsTest, EachDirectoryNeedsItsOwnRightToChange) {
  AddDriver("001", "王");
  struct Case {
    const char* rights;
    bool places, drivers;
  };
  const Case cases[] = {{"1604 ", false, true}, {"1603 ", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rights);
    m_app.m_env.SetRights(c.rights);
    CTsPlaceDirDlg places(true, m_db, "001");
    CTsDriverDirDlg drivers(true, m_db, "001");
    const std::pair<CTsRecordDirDlg*, bool> dirs[] = {{&places, c.places}, {&drivers, c.drivers}};
    for (const auto& [dlg, allowed] : dirs) {
      SCOPED_TRACE(dlg->objectName().toStdString());
      dlg->show();
      for (unsigned id :
           std::initializer_list<unsigned>{SM_ID_LIST_ADD, SM_ID_LIST_MODIFY, SM_ID_LIST_DELETE})
        EXPECT_EQ(dlg->List()->IsCommandEnabled(id), allowed) << id;
      const auto ids = MenuIds(dlg->List());
      for (int id : {SM_ID_EDIT_CUT, SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE, SM_ID_EDIT_SELECT_ALL})
        EXPECT_FALSE(Has(ids, id)) << id;
      dlg->OnOK();
      EXPECT_EQ(dlg->result(), QDialog::Accepted);
    }
    EXPECT_EQ(drivers.Driver().NA, "王");
  }
}

TEST_F(TsPlaceDirsTest, DriverChangesAreLoggedUnderTheirOwnCode) {
  CTsDriverCardDlg added(1, "", m_db);
  added.show();
  Set(&added, CTsDriverCardDlg::kName, "王师傅");
  added.OnOK();
  ASSERT_EQ(added.result(), QDialog::Accepted);
  CTsDriverCardDlg renamed(0, "001", m_db);
  renamed.show();
  Set(&renamed, CTsDriverCardDlg::kCode, "2");
  Set(&renamed, CTsDriverCardDlg::kName, "王二");
  renamed.OnOK();
  ASSERT_EQ(renamed.result(), QDialog::Accepted);
  CTsDriverDirDlg dlg(false, m_db, "002");
  dlg.show();
  dlg.List()->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(Rows("Select KNO From DriverDir"), "");
  EXPECT_EQ(Logged(1603), "新增：001 - 王师傅|修改：001(王师傅) --> 002(王二)|删除：002");
  EXPECT_EQ(Logged(1602), "");
}

TEST_F(TsPlaceDirsTest, EnterFromTheLastDriverFieldReachesOK) {
  struct Case {
    bool items;
    int last;
  };
  for (const Case c :
       {Case{true, CTsDriverCardDlg::kFirstAdvance + 1}, Case{false, CTsDriverCardDlg::kNote}}) {
    SCOPED_TRACE(c.last);
    if (!c.items) {
      m_type->m_strParams[25].clear();
      m_type->m_strParams[27].clear();
      TsBuildItemTables();
    }
    CTsDriverCardDlg card(1, "", m_db);
    card.show();
    Set(&card, CTsDriverCardDlg::kName, "王师傅");
    Find<CSmEdit>(&card, c.last)->setFocus();
    QApplication::processEvents();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&card, &enter);
    ASSERT_NE(card.focusWidget(), nullptr);
    EXPECT_EQ(card.focusWidget()->objectName().toStdString(), "1");
    QApplication::sendEvent(&card, &enter);
    EXPECT_EQ(card.result(), QDialog::Accepted);
  }
  EXPECT_EQ(Rows("Select KNO From DriverDir Order By KNO"), "001|002");
}

TEST_F(TsPlaceDirsTest, DriverMergeMovesHisTicketsAndDocumentsOnlyAfterYes) {
  AddDriver("001", "王");
  AddDriver("002", "李");
  AddTicket("00001", "001", "002", 50);
  Run({"Insert Into jsSheet(LB,DB,DH,KNO,MY2) Values('1','2','J0001','002',30)",
       "Insert Into jsSheet(LB,DB,DH,KNO,MY2) Values('0','2','J0002','002',40)"});
  const auto state = [this] {
    return Rows("Select KNO||NA From DriverDir Order By KNO") + "/" +
           Rows("Select KNO1 From gbSheet") + "/" +
           Rows("Select LB||rtrim(KNO) From jsSheet Order By DH");
  };
  const std::string before = state();
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  CTsDriverCardDlg declined(0, "002", m_db);
  declined.show();
  Set(&declined, CTsDriverCardDlg::kCode, "1");
  declined.OnOK();
  EXPECT_EQ(LastBox(), "代码不合适，操作数据库失败！");
  EXPECT_TRUE(declined.isVisible());
  EXPECT_EQ(state(), before);
  EXPECT_EQ(Logged(1603), "");

  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  CTsDriverCardDlg merge(0, "002", m_db);
  merge.show();
  Set(&merge, CTsDriverCardDlg::kCode, "1");
  merge.OnOK();
  EXPECT_EQ(merge.result(), QDialog::Accepted);
  EXPECT_EQ(state(), "001王/001/1001|0002");
}

}  // namespace
