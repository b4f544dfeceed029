// The report tree's clipboard between two data files, the log line of a saved child table, and
// the report window's alternate editing keys and Page Down.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTreeWidgetItem>

#include "app/SmApp.h"
#include "core/SmClipboard.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "designer/BbDataType.h"
#include "designer/RiloChildFrm.h"
#include "designer/RiloDoc.h"
#include "designer/RiloTree.h"
#include "designer/RiloView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDocument.h"
#include "tests/common/SmTestMain.h"
#include "tests/designer/report_db_fixture.h"
#include "tests/designer/rilo_view_fixture.h"

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
    CRiloData sheet = Sheet(2, 1);
    sheet.m_texts = {"m0", "m1"};
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

// ---------------------------------------------------------------- keys of the report window

class RiloGapsKeysTest : public RiloViewTest {
 protected:
  void Key(int key, Qt::KeyboardModifiers mods) {
    QKeyEvent event(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(m_view, &event);
  }
  std::string Cell(int column, int row) const {
    return m_doc->m_sheet.m_texts.at(static_cast<size_t>(column + row * m_doc->m_sheet.m_cols));
  }
  // The one cell selected and current.
  void SelectCell(int column, int row) {
    m_view->SetCurrentCell(column, row);
    m_doc->m_sheet.m_selectMode = 2;
    m_doc->m_sheet.m_selectRect = {column, row, column, row};
  }
};

TEST_F(RiloGapsKeysTest, AlternateKeysCopyCutPasteAndUndo) {
  CRiloData sheet = Sheet(4, 4);
  sheet.m_texts[0] = "a";
  Open(sheet);
  SetClipboardText("x");
  SelectCell(0, 0);
  Key(Qt::Key_Insert, Qt::ControlModifier);
  std::string clip;
  ASSERT_TRUE(GetClipboardText(clip));
  EXPECT_EQ(clip, "a\n");
  m_doc->m_sheet.m_selectMode = 0;
  m_view->SetCurrentCell(1, 1);
  Key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(Cell(1, 1), "a");
  Key(Qt::Key_Backspace, Qt::AltModifier);
  EXPECT_EQ(Cell(1, 1), "");
  SetClipboardText("x");
  SelectCell(0, 0);
  Key(Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(Cell(0, 0), "");
  ASSERT_TRUE(GetClipboardText(clip));
  EXPECT_EQ(clip, "a\n");
}

TEST_F(RiloGapsKeysTest, PageDownMovesByThePanesHeightAndScrollsItsPaneRow) {
  Open(Sheet(4, 200));
  CRiloSplitter* splitter = m_childFrame->Splitter();
  splitter->setSizes({300, 300});
  splitter->Row(0)->setSizes({300, 300});
  splitter->Row(1)->setSizes({300, 300});
  QApplication::processEvents();
  m_view->SetCurrentCell(0, 0);
  const int height = m_view->ClientRect().height();
  ASSERT_GT(height, 100);
  Key(Qt::Key_PageDown, Qt::NoModifier);
  const int row = m_doc->m_sheet.m_currentCell.second;
  int moved = 0;
  for (int r = 0; r < row; ++r) moved += m_view->RowExtent(r);
  // At least the pane's rows below its column header, by no more than one row past its height.
  EXPECT_GE(moved, height - m_view->ColumnHeaderHeight());
  EXPECT_LT(moved - m_view->RowExtent(row - 1), height);
  EXPECT_GT(m_view->FirstRow(), 0);
  EXPECT_EQ(splitter->Pane(0, 1)->FirstRow(), m_view->FirstRow());
  EXPECT_EQ(splitter->Pane(1, 0)->FirstRow(), 0);
}

}  // namespace
