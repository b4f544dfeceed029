// The report tree's clipboard between two data files, the log line of a saved child table.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTreeWidgetItem>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "designer/BbDataType.h"
#include "designer/RiloDoc.h"
#include "designer/RiloTree.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDocument.h"
#include "tests/common/SmTestMain.h"
#include "tests/designer/report_db_fixture.h"
#include "tests/designer/rilo_doc_helpers.h"

namespace {

class RiloGapsDbTest : public ReportDbTest {
 protected:
  void SetUp() override {
    ReportDbTest::SetUp();
    m_frame.MakeMain();
    m_app.m_env.SetLogOn(1);
    m_app.m_opLog.m_enabled = 1;
  }
  void TearDown() override {
    for (const auto& doc : ReportTemplate()->Documents())
      static_cast<CRiloDoc*>(doc.get())->m_readOnly = 1;
    ReportTemplate()->CloseAllDocuments();
  }

  // Report 12 "月报" of 2 x 1 cells with child 3.
  void StoreReport() {
    CRiloData sheet = Sheet(2, 1, "m");
    sheet.m_reportName = "月报";
    ASSERT_TRUE(sheet.SaveToDb(12, {}, false, m_db));
    sheet.m_tableName = "月";
    ASSERT_TRUE(sheet.SaveToDb(12, "3", false, m_db));
  }

  CSmFrameWnd m_frame;
};

TEST_P(RiloGapsDbTest, AChildSaveIsLoggedWithItsChildNumber) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  CRiloDoc* doc = CBbDataType::OpenReport({}, true, 12, "3", false);
  ASSERT_NE(doc, nullptr);
  doc->m_sheet.m_texts[0] = "改";
  doc->m_changes[0] = 1;
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_EQ(Strings("Select rtrim(sNote) From SmLog Where nTaskID=301"),
            std::vector<std::string>{"保存：12\\3"});
}

TEST_P(RiloGapsDbTest, AReportCopiedIntoAnotherDataFileKeepsItsNumberAndNoPassword) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  CRiloTree source(m_db);
  source.m_reselect = CRiloTree::EncodePath(12, {});
  source.Refill();
  ASSERT_TRUE(source.RunCommand(SM_ID_EDIT_COPY));
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  const std::string text = MakeUpperCopy(data->data("application/x-sm-list-531").toStdString());
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find("PASSWORD="), std::string::npos) << text;
  EXPECT_EQ(text.find("PWD="), std::string::npos) << text;

  CSmDatabase other(GetParam());
  ASSERT_NO_FATAL_FAILURE(OpenFresh(other, "rptcopy", 2027));
  CRiloTree target(&other);
  target.Refill();
  ASSERT_TRUE(target.RunCommand(SM_ID_EDIT_PASTE));
  ASSERT_NE(target.currentItem(), nullptr);
  EXPECT_EQ(target.currentItem()->text(0).toStdString(), "(12)月报");
  CRiloData child;
  CRiloData original;
  ASSERT_TRUE(child.LoadFromDb(12, "3", false, &other));
  ASSERT_TRUE(original.LoadFromDb(12, "3", false, m_db));
  EXPECT_EQ(child.m_tableName, "月");
  EXPECT_EQ(child.m_texts, original.m_texts);
  EXPECT_EQ(Strings("Select Count(*) From bbInfo7").front(), "2");  // the source is untouched
  other.Close();
}

INSTANTIATE_TEST_SUITE_P(Engines, RiloGapsDbTest, testing::Values(0, 2));

}  // namespace
