// The report document: opening reports from files and from the data file with their passwords,
// child tables laid over their masters, titles, the modified test, and the report data type's
// ways of opening reports and its carry-over.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMdiArea>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "designer/BbDataType.h"
#include "designer/RiloDoc.h"
#include "platform/SmDocument.h"
#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"
#include "tests/designer/report_db_fixture.h"
#include "tests/designer/rilo_doc_helpers.h"
#include "tests/designer/rilo_pwd_script.h"

namespace {

std::string Layer(const CRiloDoc& doc, int cell, int layer) {
  return QString::fromStdString(doc.m_sheet.m_texts.at(static_cast<size_t>(cell)))
      .section(QChar('\x01'), layer, layer)
      .toStdString();
}

size_t OpenReports() {
  return ReportTemplate()->Documents().size();
}

class RiloDocTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.AdoptDataType(std::make_unique<CBbDataType>())->Init();
    m_frame.MakeMain();
    m_dir =
        SmTestHome() + "/rilodoc/" + testing::UnitTest::GetInstance()->current_test_info()->name();
    QDir(QString::fromStdString(m_dir)).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_dir + "/月报")));
  }
  void TearDown() override { ReportTemplate()->CloseAllDocuments(); }

  std::string Save(const CRiloData& sheet, const std::string& name) {
    const std::string path = m_dir + "/" + name;
    EXPECT_TRUE(sheet.SaveFile(path));
    return path;
  }
  static CRiloDoc* Open(const std::string& path, bool readOnly = false) {
    return CBbDataType::OpenReport(path, false, -1, {}, readOnly);
  }

  CSmApp m_app;
  CSmFrameWnd m_frame;
  std::string m_dir;
};

TEST_F(RiloDocTest, MissingReportFileOpensAsANewReportTitledByItsName) {
  const std::string path = m_dir + "/年报.QLN";
  CRiloDoc* doc = Open(path);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->GetTitle(), "年报.QLN");
  EXPECT_EQ(doc->m_path, path);
  EXPECT_EQ(doc->m_childOpen, 0);
  EXPECT_EQ(doc->m_sheet.m_vars.m_nSoft, 3);
  EXPECT_GT(doc->m_sheet.m_vars.GetSize(), 0);  // the report defaults
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(RiloDocTest, RefusedFilesOpenNoWindow) {
  ASSERT_NE(Open(Save(Sheet(2, 2, "m"), "月报.QLN")), nullptr);
  const std::string orphan = Save(Sheet(2, 2, "c"), "孤表.BSJ");
  const std::string other = m_dir + "/月报.TXT";
  QFile truncated(QString::fromStdString(m_dir + "/坏表.QLN"));
  ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
  truncated.write("Rilo-> 1.0", 10);
  truncated.close();
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {orphan, orphan + "\n\n无母表文件!"},
      {other, other + "\n\n该文件名无效!"},
      {m_dir + "/坏表.QLN", "打开文档失败。"},
  };
  for (const auto& c : cases) {
    SmResetMessages();
    EXPECT_EQ(Open(c.path), nullptr) << c.path;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
    EXPECT_EQ(OpenReports(), 1u) << c.path;
    EXPECT_EQ(m_frame.MdiArea()->subWindowList().size(), 1);
  }
}

TEST_F(RiloDocTest, SmallerChildFillsTheCommonAreaAfterTheQuestion) {
  CRiloData masterSheet = Sheet(3, 3, "m");
  masterSheet.m_texts[0] = "";  // value cells: blank or commas only
  masterSheet.m_texts[7] = ",";
  const std::string master = Save(masterSheet, "月报.QLN");
  const std::string child = Save(Sheet(2, 4, "c"), "月报/3.BSJ");

  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  EXPECT_EQ(Open(child), nullptr);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            master + ":3栏,3行\n" + child + ":2栏,4行\n\n该表和母表的栏、行数目不相等,打开吗?");
  EXPECT_EQ(OpenReports(), 0u);

  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  CRiloDoc* doc = Open(child);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_path, master);
  EXPECT_EQ(doc->m_childOpen, 1);
  EXPECT_EQ(doc->m_editMode, 3);
  EXPECT_EQ(doc->GetTitle(), "3.BSJ");
  EXPECT_EQ(Layer(*doc, 0, 0), "");
  EXPECT_EQ(Layer(*doc, 0, 3), "c00");
  EXPECT_EQ(Layer(*doc, 1 + 2 * 3, 3), "c12");
  EXPECT_EQ(Layer(*doc, 1, 3), "");           // a child value never covers master text
  EXPECT_EQ(Layer(*doc, 2, 3), "");           // column 2: the child has none
  EXPECT_EQ(doc->m_sheet.m_texts[2], "m20");  // and the master cell is untouched
}

TEST_F(RiloDocTest, FilePasswordsAndAMissingChildKeepReadOnly) {
  CRiloData sheet = Sheet(2, 2, "m");
  sheet.m_modifyPassword = "Abc";
  sheet.m_readPassword = "r1";
  Save(sheet, "月报.QLN");
  const std::string child = m_dir + "/月报/5.BSJ";

  {
    CModalScript script;
    script.Then(835, GivePassword("abc"));  // wrong case: refused, the dialog stays
    script.Then(835, GivePassword("Abc"));
    CRiloDoc* doc = Open(child);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(doc->m_readOnly, 0);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "输入的密码不正确。密码应区分大小写字母。");
    doc->OnCloseDocument();
  }
  {
    CModalScript script;
    script.Then(835, GivePassword("r1"));  // read-only asks the read password
    CRiloDoc* doc = Open(child, true);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(doc->m_readOnly, 1);  // a child not yet written does not lift read-only
    EXPECT_FALSE(doc->IsModified());
    doc->OnCloseDocument();
  }
  CModalScript script;
  script.Then(835, Cancel);
  EXPECT_EQ(Open(child), nullptr);
  EXPECT_EQ(OpenReports(), 0u);
}

TEST_F(RiloDocTest, TitlesOverThirtyBytesAreCutWithoutHalfACharacter) {
  CRiloDoc doc;
  const struct {
    std::string title;
    std::string shown;
  } cases[] = {
      {"一二三四五六七八九十一二三四五", "一二三四五六七八九十一二三四五"},   // 30 bytes
      {"a一二三四五六七八九十一二三四五", "a一二三四五六七八九十一二三..."},  // 31
      {"一二三四五六七八九十一二三四五六", "一二三四五六七八九十一二三四..."},
  };
  for (const auto& c : cases) {
    doc.SetTitle(c.title);
    EXPECT_EQ(doc.GetTitle(), c.shown) << c.title;
  }
}

TEST_F(RiloDocTest, NewReportsAndTheModifiedTest) {
  CRiloDoc* doc = ReportTemplate()->OpenReportDocument({{}, SM_RILO_DB, -1, {}, 0, true});
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->GetTitle(), "新报表");
  EXPECT_EQ(ReportTemplate()->m_untitledCount, 1);
  EXPECT_FALSE(doc->IsModified());  // no rows and columns yet
  doc->m_sheet.m_rows = 2;
  doc->m_sheet.m_cols = 3;
  EXPECT_TRUE(doc->IsModified());
  doc->m_nNo = 4;
  EXPECT_FALSE(doc->IsModified());
  doc->m_changes[9] = 1;
  EXPECT_TRUE(doc->IsModified());
  doc->m_changes[9] = 0;
  doc->m_structureChanges.push_back({1, 0, -1, 0});
  EXPECT_TRUE(doc->IsModified());
  doc->m_readOnly = 1;
  EXPECT_FALSE(doc->IsModified());

  // Switching the storage retitles the window.
  doc->OnCommand(SM_ID_RILO_STORE_FILE);
  EXPECT_EQ(doc->m_storage, SM_RILO_FILE);
  EXPECT_EQ(doc->GetTitle(), "新报表文件");
  CSmCmdUI ui(SM_ID_RILO_STORE_DB);
  ASSERT_TRUE(doc->OnUpdateCommand(SM_ID_RILO_STORE_DB, ui));
  EXPECT_EQ(ui.Check(), 0);
}

TEST_F(RiloDocTest, CellFormatReadsTheGridPointsAroundTheCell) {
  CRiloDoc doc;
  doc.m_sheet.m_cols = 2;
  doc.m_sheet.m_rows = 1;
  doc.m_sheet.m_backColors = {7, 8};
  doc.m_sheet.m_layout3 = {{1, 2}, {3, 4}};
  // Grid points (3 × 2): left edge, top edge.
  doc.m_sheet.m_lineStyles = {{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}, {11, 12}};
  doc.m_sheet.m_lineColors = doc.m_sheet.m_lineStyles;
  const SmRiloCellFormat format = doc.GetCellFormat(1, 0);
  EXPECT_EQ(format.backColor, 8);
  EXPECT_EQ(format.layout3, (SmIntPair{3, 4}));
  EXPECT_EQ(format.lineStyles, (std::array<int, 4>{3, 4, 5, 10}));
  EXPECT_EQ(format.lineColors, format.lineStyles);
}

TEST_F(RiloDocTest, OpenReportFilesOpensEveryChosenFileInOrder) {
  const std::string first = Save(Sheet(1, 1, "a"), "甲.QLN");
  const std::string second = Save(Sheet(1, 1, "b"), "乙.QLN");
  CSmMessageService::Instance().QueueFileNames({second, first}, true);
  CBbDataType::OpenReportFiles();
  const auto& docs = ReportTemplate()->Documents();
  ASSERT_EQ(docs.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    auto* doc = static_cast<CRiloDoc*>(docs[i].get());
    EXPECT_EQ(doc->m_path, i == 0 ? second : first);
    EXPECT_EQ(doc->m_readOnly, 1);
  }

  CBbDataType::OpenReportFiles();  // cancelled
  EXPECT_EQ(docs.size(), 2u);
}

// Filters in the class library's form show each text with its patterns once.
TEST(RiloFileFilter, PatternsShowOnce) {
  const std::pair<const char*, const char*> cases[] = {
      {"Vornel报表文件(*.QLN)|*.QLN||", "Vornel报表文件(*.QLN)"},
      {"Vornel报表文件(*.BSJ;*.QLN)|*.BSJ;*.QLN|Vornel报表子表文件(*.BSJ)|*.BSJ||",
       "Vornel报表文件(*.BSJ *.QLN);;Vornel报表子表文件(*.BSJ)"},
      {"文本文档(*.TXT;*.XLS)|*.TXT;*.XLS||", "文本文档(*.TXT *.XLS)"},
      {"报表|*.BSJ;*.QLN|子表(*.bsj)|*.BSJ||", "报表 (*.BSJ *.QLN);;子表(*.bsj) (*.BSJ)"},
  };
  for (const auto& [filter, shown] : cases) EXPECT_EQ(SmQtFileFilter(filter), shown) << filter;
}

TEST(RiloDocWithoutTemplate, OpenReportSaysTheModuleIsMissing) {
  SmResetMessages();
  CSmApp app;
  EXPECT_EQ(CBbDataType::OpenReport("x.QLN", false, -1, {}, false), nullptr);
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "没有安装报表处理模块！");
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].flags & 0xF0, SM_MB_ICONERROR);
}

// ---------------------------------------------------------------- in the data file

class RiloDocDbTest : public ReportDbTest {
 protected:
  void SetUp() override {
    ReportDbTest::SetUp();
    m_frame.MakeMain();
    CRiloData master = Sheet(2, 2, "m");
    master.m_reportName = "月报";
    master.m_modifyPassword = "w";
    master.m_readPassword = "r";
    ASSERT_TRUE(master.SaveToDb(12, {}, false, m_db));
    CRiloData child = master;
    child.m_tableName = "三月";
    for (std::string& cell : child.m_texts)
      cell +=
          "\x01\x01\x01"
          "9";
    ASSERT_TRUE(child.SaveToDb(12, "3", false, m_db));
    SmResetMessages();
  }
  void TearDown() override { ReportTemplate()->CloseAllDocuments(); }

  CSmFrameWnd m_frame;
};

TEST_P(RiloDocDbTest, TitlesAndThePasswordQuestions) {
  {
    CModalScript script;
    script.Then(835, GivePassword("w"));
    CRiloDoc* doc = CBbDataType::OpenReport({}, true, 12, "3", false);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), "(12)月报\\3");
    EXPECT_EQ(doc->m_editMode, 3);
    EXPECT_EQ(Layer(*doc, 0, 3), "9");
    doc->OnCloseDocument();
  }
  {
    // The modify password refused: yes to the question, then the read password.
    CModalScript script;
    script.Then(835, Cancel);
    script.Then(835, GivePassword("r"));
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);
    CRiloDoc* doc = CBbDataType::OpenReport({}, true, 12, {}, false);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(doc->GetTitle(), "(12)月报");
    EXPECT_EQ(doc->m_readOnly, 1);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "你想以只读方式打开此报表吗？");
    EXPECT_EQ(CSmMessageService::Instance().Shown().back().caption, "Vornel软件");
    doc->OnCloseDocument();
  }
  for (int answer : {SM_IDNO, SM_IDYES}) {
    CModalScript script;
    script.Then(835, Cancel);
    script.Then(835, Cancel);
    CSmMessageService::Instance().QueueAnswer(answer);
    EXPECT_EQ(CBbDataType::OpenReport({}, true, 12, {}, false), nullptr) << answer;
  }
  EXPECT_EQ(OpenReports(), 0u);
}

TEST_P(RiloDocDbTest, CarryOverCopiesLayoutsAndCatalogueButNoChildCells) {
  CSmDatabase target(GetParam());
  ASSERT_NO_FATAL_FAILURE(OpenFresh(target, "rptnext", 2027));
  ASSERT_EQ(Count("Count(*) From bbInfo7"), 2);
  ASSERT_GT(Count("Count(*) From bbInfo5"), 0);
  CBbDataType type;
  std::vector<int> codes;
  CSmStringList captions, tables;
  type.ListCarryOverItems(codes, captions, tables);
  EXPECT_EQ(codes, std::vector<int>{0});
  EXPECT_EQ(captions, CSmStringList{"报表表样"});
  EXPECT_EQ(tables, CSmStringList{"bbInfo bbInfo1"});

  const auto count = [&target](const char* table) {
    return target.QueryCountInt(std::string("Count(*) From ") + table);
  };
  EXPECT_TRUE(type.CarryOver(0, 1, m_db, &target, nullptr));
  EXPECT_TRUE(type.CarryOver(1, 0, m_db, &target, nullptr));
  EXPECT_EQ(count("bbInfo"), 0);

  ASSERT_TRUE(type.CarryOver(0, 0, m_db, &target, nullptr));
  for (const char* table : {"bbInfo", "bbInfo1", "bbInfo2", "bbInfo3", "bbInfo4", "bbInfo5"})
    EXPECT_EQ(count(table), m_db->QueryCountInt(std::string("Count(*) From ") + table)) << table;
  EXPECT_EQ(count("bbInfo7"), 2);
  EXPECT_EQ(count("bbInfo6"), 0);
  EXPECT_GT(count("bbInfo5"), 0);
}

TEST_P(RiloDocDbTest, FailedCarryOverKeepsNothing) {
  CSmDatabase target(GetParam());
  ASSERT_NO_FATAL_FAILURE(OpenFresh(target, "rptfail", 2027));
  ASSERT_TRUE(target.ExecuteSQL("Drop Table bbInfo7"));
  SmResetMessages();
  CBbDataType type;
  EXPECT_FALSE(type.CarryOver(0, 0, m_db, &target, nullptr));
  EXPECT_EQ(target.QueryCountInt("Count(*) From bbInfo"), 0);
  EXPECT_EQ(target.QueryCountInt("Count(*) From bbInfo5"), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, RiloDocDbTest, testing::Values(0, 2));

}  // namespace
