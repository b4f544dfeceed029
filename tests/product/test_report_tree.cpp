// The report page of the template box as a clerk uses it: a report saved in the designer is
// listed after the save, after a refresh and after a new log-in, and opens from the tree, from
// 文件 ▸ 打开 and from a report window's 打开; when nothing can be opened the clerk is told why.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTreeWidget>

#include "app/SmMainFrm.h"
#include "app/SmOpenDataDlg.h"
#include "app/SmTemplateBox.h"
#include "designer/BbDataType.h"
#include "designer/RiloDoc.h"
#include "designer/RiloSaveDlg.h"
#include "designer/RiloTree.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "product/TsApp.h"
#include "tests/app/test_login_fixture.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/designer/rilo_doc_helpers.h"

namespace {

class TreeApp : public CTsApp {
 public:
  void RunUpdater() override {}
};

class ReportTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    const std::string root = SmTestHome() + "/report-tree";
    QDir(QString::fromStdString(root)).removeRecursively();
    m_file = SmCreateTestDataFile(2026, root + "/001");
    ASSERT_FALSE(m_file.empty());
  }
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
  }

  // Logs in to the test file as `opno` through the log-in dialog.
  void LogInAs(const QString& opno) {
    OnModalOf(&m_timers, 815, [&, opno](QWidget* dlg) {
      ASSERT_TRUE(static_cast<CSmOpenDataFileDlg*>(dlg)->Tree()->SelectFile(m_file));
      ChooseOperator(dlg, opno);
      Click(dlg, SM_ID_OK);
    });
  }

  // The texts of the tree's nodes, depth first.
  static std::vector<std::string> Nodes(const CRiloTree& tree) {
    std::vector<std::string> texts;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
      texts.push_back(item->text(0).toStdString());
      for (int i = 0; i < item->childCount(); ++i) walk(item->child(i));
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(tree.topLevelItem(i));
    return texts;
  }

  // The open report documents.
  std::vector<CRiloDoc*> Reports() {
    std::vector<CRiloDoc*> docs;
    for (const auto& t : m_app.m_docManager.Templates())
      for (const auto& doc : t->Documents())
        if (auto* rilo = dynamic_cast<CRiloDoc*>(doc.get())) docs.push_back(rilo);
    return docs;
  }

  void SelectPage(int page) {
    m_app.ShowTemplateBox(true);
    CSmMainFrm::TemplateBoxOf(m_app.GetMainWnd())->SelectPage(page);
  }
  void ShowReportPage() { SelectPage(1); }

  TreeApp m_app;
  std::string m_file;
  QObject m_timers;
};

}  // namespace

TEST_F(ReportTreeTest, ASavedReportIsListedAfterEveryLogInAndOpensFromTheTreeAndTheMenus) {
  LogInAs("102");
  ASSERT_TRUE(m_app.InitInstance({m_file}));
  CRiloTree* tree = CRiloTree::Page();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(Nodes(*tree), std::vector<std::string>{"我的报表"});

  // A new report from the root of the tree, saved into the data file.
  ShowReportPage();
  tree->setCurrentItem(tree->topLevelItem(0));
  SmExecuteCommand(SM_ID_FILE_NEW);
  ASSERT_EQ(Reports().size(), 1u);
  CRiloDoc* doc = Reports().front();
  doc->m_sheet = Sheet(2, 1, "收购量");
  CModalScript script;
  script.Then(832, [](QWidget* dlg) {
    Control<QLineEdit>(dlg, CRiloSaveDlg::kMasterName)->setText("甘蔗收购月报");
    Click(dlg, SM_ID_OK);
  });
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_EQ(Nodes(*tree), (std::vector<std::string>{"我的报表", "(1)甘蔗收购月报"}));
  EXPECT_TRUE(tree->RunCommand(SM_ID_RILO_TREE_REFRESH));
  EXPECT_EQ(Nodes(*tree), (std::vector<std::string>{"我的报表", "(1)甘蔗收购月报"}));
  m_app.m_docManager.CloseAllDocuments();
  QApplication::processEvents();

  // A new log-in lists it again, and 文件 ▸ 打开 opens the chosen report.
  LogInAs("102");
  ASSERT_TRUE(m_app.LogIn(""));
  tree = CRiloTree::Page();
  ASSERT_EQ(Nodes(*tree), (std::vector<std::string>{"我的报表", "(1)甘蔗收购月报"}));
  ShowReportPage();
  tree->setCurrentItem(tree->topLevelItem(0)->child(0));
  SmResetMessages();
  SmExecuteCommand(SM_ID_FILE_OPEN);
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_EQ(Reports().front()->m_nNo, 1);
  EXPECT_EQ(CRiloDoc::GetLayerPlain(Reports().front()->m_sheet.m_texts.front(), 0), "收购量00");
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());

  // In the report window 打开 with only the root chosen says what to do, with no other page
  // of the template box in the way.
  SelectPage(0);
  tree->setCurrentItem(tree->topLevelItem(0));
  SmExecuteCommand(SM_ID_FILE_OPEN);
  EXPECT_EQ(Reports().size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "请先在模板框“报表”页的报表目录中选择要打开的报表！");
  // The tree's own open (double click, Enter) opens the chosen one.
  m_app.m_docManager.CloseAllDocuments();
  QApplication::processEvents();
  tree->setCurrentItem(tree->topLevelItem(0)->child(0));
  EXPECT_TRUE(tree->RunCommand(SM_ID_LIST_OPEN));
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_EQ(Reports().front()->m_nNo, 1);
}

TEST_F(ReportTreeTest, TheAdministratorIsToldWhyReportsDoNotOpen) {
  LogInAs("101");
  ASSERT_TRUE(m_app.InitInstance({m_file}));
  ShowReportPage();
  SmResetMessages();
  SmExecuteCommand(SM_ID_FILE_OPEN);
  SmExecuteCommand(SM_ID_FILE_NEW);
  EXPECT_TRUE(Reports().empty());
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 2u);
  for (const SmShownMessage& shown : CSmMessageService::Instance().Shown())
    EXPECT_EQ(shown.text, "系统操作员“101”不能打开或新建报表，请以其他操作员注册！");
}
