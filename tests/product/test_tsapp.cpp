// The product's application: its descriptor, version, data types in registration order, their
// rights and operation names, and a whole start-up.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "cane/TsDataType.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "product/TsApp.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "weighing/TsWeighingDocs.h"

namespace {

class ProductApp : public CTsApp {
 public:
  bool LogIn(const std::string& file) override {
    logInFile = file;
    return true;
  }
  void RunUpdater() override {}
  std::string logInFile = "-";
};

TEST(TsApp, DescriptorVersionAndRegistryKey) {
  ProductApp app;
  app.SelectModuleInfo();
  EXPECT_EQ(app.GetSmModuleId(), 9);
  EXPECT_EQ(app.GetDataFileExt(), "tsd");
  EXPECT_EQ(app.GetDataFileCaption(), "Vornel糖厂甘蔗结算数据文件");
  EXPECT_EQ(app.GetDocType(), "Zorv");
  EXPECT_EQ(app.GetProductTitle(), "Vornel糖厂甘蔗结算软件");
  EXPECT_EQ(app.m_moduleInfo.m_types, " 16 3 ");
  EXPECT_EQ(app.GetVersionText(), "A5.0.15");
  EXPECT_EQ(app.GetProgramKeyText(), "A5.0");
  EXPECT_EQ(app.GetSmRegKey(), "Software\\reduvor\\Zorv\\5.0");
  app.m_env.SetDatabaseKind(2);
  EXPECT_EQ(app.GetVersionText(), "S5.0.15");
}

TEST(TsApp, CaneModuleFirstThenReports) {
  ProductApp app;
  app.SelectModuleInfo();
  app.CreateDataTypes();
  ASSERT_EQ(app.m_dataTypes.size(), 2u);
  EXPECT_EQ(app.m_dataTypes[0]->m_number, 16);
  EXPECT_EQ(app.m_dataTypes[1]->m_number, 3);
  EXPECT_EQ(FindSmDataType(16), app.m_dataTypes[0]);
  EXPECT_EQ(FindSmDataType(16)->m_tabLabel, "甘蔗结算");
  EXPECT_EQ(FindSmDataType(3)->m_tabLabel, "报表");
  EXPECT_EQ(FindSmDataType(3)->m_resourceId, 304);

  CSmPrintVarList rows;
  EXPECT_EQ(app.GetPrintVariables(-1, rows), 3);
  EXPECT_EQ(rows[0], (std::array<std::string, 3>{"9601", "过磅单", ""}));
  EXPECT_EQ(rows[2], (std::array<std::string, 3>{"9603", "运费结算单", ""}));
}

TEST(TsApp, CaneRightsBecomeModuleSixteenCodes) {
  ProductApp app;
  app.CreateDataTypes();
  CSmStringList items, names;
  FindSmDataType(16)->GetDocumentRights(items, names);
  ASSERT_EQ(items.size(), 41u);
  EXPECT_EQ(SmRightCode(16, items.front()), "1601");
  EXPECT_EQ(names.front(), "系统参数");
  EXPECT_EQ(SmRightCode(16, items.back()), "1673");
  const auto at = [&items](const char* code) {
    return std::find(items.begin(), items.end(), code) - items.begin();
  };
  EXPECT_EQ(at("27"), at("23") + 1);
  EXPECT_EQ(at("24"), at("27") + 1);
  EXPECT_EQ(at("71"), at("62") + 1);
  EXPECT_EQ(at("63"), at("71") + 1);

  CSmStringList codes;
  names.clear();
  FindSmDataType(16)->GetExtraRights(codes, names);
  EXPECT_EQ(codes, CSmStringList{"0008"});
  EXPECT_EQ(names, CSmStringList{"串口参数"});

  app.m_env.SetRights("0001 1601 1620 ");
  EXPECT_TRUE(HasSmRight(16, "01"));
  EXPECT_TRUE(HasSmRight(16, "20"));
  EXPECT_FALSE(HasSmRight(16, "02"));
  EXPECT_FALSE(HasSmRight(3, "01"));
}

TEST(TsApp, OperationNamesOfBothModules) {
  ProductApp app;
  app.CreateDataTypes();
  std::vector<int> codes;
  CSmStringList names;
  FindSmDataType(16)->GetItemNames(codes, names);
  ASSERT_EQ(names.size(), 9u);
  EXPECT_EQ(codes[5], 5);
  EXPECT_EQ(names[5], "过磅单");
  EXPECT_EQ(names[8], "预付款单据");
  codes.clear();
  names.clear();
  FindSmDataType(16)->GetLogTaskNames(codes, names);
  EXPECT_EQ(codes, std::vector<int>{24});
  EXPECT_EQ(names, CSmStringList{"串口参数"});
}

TEST(TsApp, SystemMenuLosesBusinessMonthsAndExport) {
  ProductApp app;
  QMenu menu;
  for (int id : {SM_ID_YEAR_FILE_INFO, SM_ID_BIZ_MONTHS, SM_ID_EXPORT_INTERFACE, SM_ID_BACKUP}) {
    menu.addAction(SmCommandAction(id));
  }
  app.AdjustSystemMenu(&menu);
  std::vector<int> left;
  for (QAction* action : menu.actions()) left.push_back(CSmCommandManager::CommandId(action));
  EXPECT_EQ(left, (std::vector<int>{SM_ID_YEAR_FILE_INFO, SM_ID_BACKUP}));
}

TEST(TsApp, StartUpAssociatesTheDataFileAndHandsTheFileToTheLogIn) {
  ProductApp app;
  ASSERT_TRUE(app.InitInstance({"/data/甘蔗/2026.tsd"}));
  EXPECT_EQ(app.logInFile, "/data/甘蔗/2026.tsd");
  ASSERT_NE(app.GetMainWnd(), nullptr);
  EXPECT_EQ(app.GetMainWnd()->windowTitle().toStdString(), "Vornel糖厂甘蔗结算软件");
  std::string value;
  EXPECT_TRUE(CSmRegKey().Open(SM_HKEY_CLASSES_ROOT, ".tsd", "", value));
  EXPECT_EQ(value, "tsdFile");
  EXPECT_TRUE(CSmRegKey().Open(SM_HKEY_CLASSES_ROOT, "tsdFile", "", value));
  EXPECT_EQ(value, "Vornel糖厂甘蔗结算数据文件");
  EXPECT_TRUE(CSmRegKey().Open(SM_HKEY_CURRENT_USER, app.GetSmRegKey(), "DaoJet", value));
  EXPECT_EQ(value, "1");
  EXPECT_EQ(app.ExitInstance(), 0);
}

TEST(TsApp, LogInRepairsDisagreeingSlipsThroughTheWeighingDocuments) {
  ProductApp app;
  app.SelectModuleInfo();
  app.CreateDataTypes();
  auto* cane = dynamic_cast<CTsDataType*>(FindSmDataType(16));
  ASSERT_NE(cane, nullptr);
  EXPECT_NE(dynamic_cast<CTsWeighingDocs*>(cane->WeighingService()), nullptr);

  const std::string path = SmCreateTestDataFile(2016);
  CSmDatabase db;
  ASSERT_TRUE(db.Open(path));
  ASSERT_TRUE(db.ExecuteSQL(
      "Insert Into gbSheet(DH,JN0,KNO0,OPR2,OPR4,FK) Values('0001','0001','0101','101','102',3)"));
  ASSERT_TRUE(db.ExecuteSQL(
      "Insert Into gbSheet(DH,JN0,KNO0,OPR2,OPR4,FK) Values('0002','0001','0101','101','',0)"));
  app.AfterOpen(&db);
  std::vector<std::string> rows[1];
  db.QueryStrings("Select rtrim(OPR4)||'/'||Cast(FK As varchar(4)) From gbSheet", rows, 1);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"102/0", "102/0"}));
}

}  // namespace
