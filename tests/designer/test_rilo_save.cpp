// Saving reports: the save dialog's proposals and checks, the question before closing, files
// and the data file, row and column changes carried over to every child table, save as text,
// and the report tree of the template box.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTreeWidgetItem>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmString.h"
#include "designer/BbDataType.h"
#include "designer/RiloDoc.h"
#include "designer/RiloRowColDlg.h"
#include "designer/RiloSaveDlg.h"
#include "designer/RiloTree.h"
#include "designer/RiloView.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDocument.h"
#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"
#include "tests/designer/report_db_fixture.h"
#include "tests/designer/rilo_codes.h"
#include "tests/designer/rilo_doc_helpers.h"
#include "tests/designer/rilo_focus.h"

namespace {

// Closes every report window without the question before closing.
void CloseReports() {
  for (const auto& doc : ReportTemplate()->Documents())
    static_cast<CRiloDoc*>(doc.get())->m_readOnly = 1;
  ReportTemplate()->CloseAllDocuments();
}

// Inserts `count` empty columns at `column` as the view does, and records the change.
void InsertColumns(CRiloDoc& doc, int column, int count) {
  CRiloData& s = doc.m_sheet;
  std::vector<std::string> cells;
  for (int r = 0; r < s.m_rows; ++r)
    for (int c = 0; c < s.m_cols + count; ++c)
      cells.push_back(c < column ? s.m_texts[static_cast<size_t>(c + r * s.m_cols)]
                      : c < column + count
                          ? std::string()
                          : s.m_texts[static_cast<size_t>(c - count + r * s.m_cols)]);
  s.m_cols += count;
  s.m_texts = cells;
  s.m_colWidths.resize(static_cast<size_t>(s.m_cols), 200);
  doc.m_structureChanges.push_back({column, 0, count, 0});
}

void DeleteColumns(CRiloDoc& doc, int column, int count) {
  CRiloData& s = doc.m_sheet;
  std::vector<std::string> cells;
  for (int r = 0; r < s.m_rows; ++r)
    for (int c = 0; c < s.m_cols; ++c)
      if (c < column || c >= column + count)
        cells.push_back(s.m_texts[static_cast<size_t>(c + r * s.m_cols)]);
  s.m_cols -= count;
  s.m_texts = cells;
  s.m_colWidths.resize(static_cast<size_t>(s.m_cols));
  doc.m_structureChanges.push_back({column, 0, -count, 0});
}

// Inserts (or deletes) through the report window's command and its row and column dialog, from
// the one-based row and the column letters.
void ChangeThroughView(CRiloDoc& doc, bool insert, const char* row, const char* column,
                       const char* rows, const char* columns) {
  auto* view = dynamic_cast<CRiloView*>(doc.Views().front());
  ASSERT_NE(view, nullptr);
  CModalScript script;
  script.Then(825, [&](QWidget* dlg) {
    Type(dlg, CRiloRowColDlg::kStartRowEdit, row);
    Type(dlg, CRiloRowColDlg::kStartColumnEdit, column);
    Type(dlg, CRiloRowColDlg::kRowCountEdit, rows);
    Type(dlg, CRiloRowColDlg::kColumnCountEdit, columns);
    Press(dlg, SM_ID_OK);
  });
  view->OnCommand(insert ? SM_ID_RILO_INSERT : SM_ID_RILO_DELETE);
  ASSERT_TRUE(script.Done());
}

void Undo(CRiloDoc& doc) {
  dynamic_cast<CRiloView*>(doc.Views().front())->ApplyHistory(true);
}

std::vector<std::string> Row(const CRiloData& sheet, int row) {
  return {sheet.m_texts.begin() + row * sheet.m_cols,
          sheet.m_texts.begin() + (row + 1) * sheet.m_cols};
}

std::string ReadBytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("?");
}

}  // namespace

// ---------------------------------------------------------------- files

class RiloFileSaveTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.AdoptDataType(std::make_unique<CBbDataType>())->Init();
    m_frame.MakeMain();
    m_dir =
        SmTestHome() + "/rilosave/" + testing::UnitTest::GetInstance()->current_test_info()->name();
    QDir(QString::fromStdString(m_dir)).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_dir + "/月报/1")));
  }
  void TearDown() override {
    CloseReports();
    QFile::setPermissions(QString::fromStdString(m_dir + "/月报.QLN"),
                          QFile::ReadOwner | QFile::WriteOwner);
  }

  std::string Save(const CRiloData& sheet, const std::string& name) {
    const std::string path = m_dir + "/" + name;
    EXPECT_TRUE(sheet.SaveFile(path));
    return path;
  }
  static CRiloDoc* Open(const std::string& path) {
    return CBbDataType::OpenReport(path, false, -1, {}, false);
  }
  static CRiloData Load(const std::string& path) {
    CRiloData sheet;
    EXPECT_TRUE(sheet.LoadFile(path)) << path;
    return sheet;
  }

  CSmApp m_app;
  CSmFrameWnd m_frame;
  std::string m_dir;
};

TEST_F(RiloFileSaveTest, InsertedColumnsReachEveryChildFileBeforeTheMaster) {
  const std::string master = Save(Sheet(4, 2, "m"), "月报.QLN");
  const std::vector<std::string> children = {Save(Sheet(4, 2, "a"), "月报.BSJ"),
                                             Save(Sheet(4, 2, "b"), "月报/1.BSJ"),
                                             Save(Sheet(4, 2, "c"), "月报/1/2.BSJ")};
  CRiloDoc* doc = Open(master);
  ASSERT_NE(doc, nullptr);
  InsertColumns(*doc, 3, 2);
  EXPECT_EQ(doc->SaveQuestion(),
            "当前报表：\n\n  " + master + "\n\n    的行栏数已被改变，存盘吗？");
  ASSERT_TRUE(doc->DoFileSave());
  for (const std::string& path : children) {
    const CRiloData child = Load(path);
    const std::string p = path == children[0] ? "a" : path == children[1] ? "b" : "c";
    EXPECT_EQ(child.m_cols, 6) << path;
    EXPECT_EQ(Row(child, 1),
              (std::vector<std::string>{p + "01", p + "11", p + "21", "", "", p + "31"}))
        << path;
  }
  EXPECT_EQ(Load(master).m_cols, 6);
  EXPECT_TRUE(doc->m_structureChanges.empty());
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(RiloFileSaveTest, AnInsertionSavedAndThenUndoneReachesTheChildFilesBothTimes) {
  const std::string master = Save(Sheet(3, 2, "m"), "月报.QLN");
  const std::vector<std::string> children = {Save(Sheet(3, 2, "a"), "月报/1.BSJ"),
                                             Save(Sheet(3, 2, "b"), "月报/1/2.BSJ")};
  CRiloDoc* doc = Open(master);
  ASSERT_NE(doc, nullptr);
  ASSERT_NO_FATAL_FAILURE(ChangeThroughView(*doc, true, "2", "B", "1", "1"));
  ASSERT_TRUE(doc->DoFileSave());
  for (const std::string& path : children) {
    SCOPED_TRACE(path);
    const CRiloData child = Load(path);
    const std::string p = path == children[0] ? "a" : "b";
    ASSERT_EQ(child.m_rows, 3);
    EXPECT_EQ(Row(child, 0), (std::vector<std::string>{p + "00", "", p + "10", p + "20"}));
    EXPECT_EQ(Row(child, 1), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(Row(child, 2), (std::vector<std::string>{p + "01", "", p + "11", p + "21"}));
  }
  Undo(*doc);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->m_structureChanges, (std::vector<SmIntRect>{{1, 1, -1, -1}}));
  ASSERT_TRUE(doc->DoFileSave());
  for (const std::string& path : children) {
    const std::string p = path == children[0] ? "a" : "b";
    const CRiloData child = Load(path);
    EXPECT_EQ(child.m_texts, Sheet(3, 2, p).m_texts) << path;
  }
  const CRiloData saved = Load(master);
  ASSERT_EQ(saved.m_texts.size(), 6u);
  EXPECT_EQ(CRiloDoc::GetLayerPlain(saved.m_texts[3], 0), "m01");
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(RiloFileSaveTest, ADeletionPastAChildsLastColumnLeavesThatChild) {
  const std::string master = Save(Sheet(5, 1, "m"), "月报.QLN");
  const std::string narrow = Save(Sheet(4, 1, "n"), "月报/1/9.BSJ");
  const std::string wide = Save(Sheet(5, 1, "w"), "月报/2.BSJ");
  CRiloDoc* doc = Open(master);
  ASSERT_NE(doc, nullptr);
  DeleteColumns(*doc, 3, 2);
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_TRUE(Shown(narrow + "\n\n删除区域过大，修改失败！"));
  EXPECT_EQ(Load(narrow).m_cols, 4);
  EXPECT_EQ(Row(Load(wide), 0), (std::vector<std::string>{"w00", "w10", "w20"}));
  EXPECT_EQ(Load(master).m_cols, 3);
}

TEST_F(RiloFileSaveTest, AChildOpenElsewhereIsListedAndNothingIsWritten) {
  const std::string master = Save(Sheet(4, 1, "m"), "月报.QLN");
  const std::string child = Save(Sheet(4, 1, "c"), "月报/1.BSJ");
  CRiloDoc* doc = Open(master);
  ASSERT_NE(Open(child), nullptr);
  InsertColumns(*doc, 1, 1);
  EXPECT_FALSE(doc->DoFileSave());
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "    请关闭下列已打开的报表后，\n才可以将当前的报表存盘！\n\n    " + child);
  EXPECT_EQ(Load(master).m_cols, 4);
  EXPECT_EQ(Load(child).m_cols, 4);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->m_structureChanges.size(), 1u);
}

TEST_F(RiloFileSaveTest, AReadOnlyReportFileAsksForANewName) {
  const std::string master = Save(Sheet(2, 1, "m"), "月报.QLN");
  CRiloDoc* doc = Open(master);
  ASSERT_NE(doc, nullptr);
  doc->m_sheet.m_texts[0] = "新";
  doc->m_changes[0] = 1;
  ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(master), QFile::ReadOwner));
  EXPECT_FALSE(doc->DoFileSave());  // the file dialog cancelled
  const std::string copy = m_dir + "/副本";
  CSmMessageService::Instance().QueueFileName(copy);
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_EQ(doc->m_path, copy + ".QLN");
  EXPECT_EQ(CRiloDoc::GetLayerPlain(Load(copy + ".QLN").m_texts[0], 0), "新");
  EXPECT_EQ(Load(master).m_texts[0], "m00");
}

TEST_F(RiloFileSaveTest, TheQuestionBeforeClosing) {
  CRiloDoc* empty = Open({});
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->SaveModified());  // a new report without rows asks nothing
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());

  const std::string master = Save(Sheet(2, 1, "m"), "月报.QLN");
  CRiloDoc* doc = Open(master);
  ASSERT_NE(doc, nullptr);
  doc->m_sheet.m_texts[0] = "改";
  doc->m_changes[0] = 1;
  auto& messages = CSmMessageService::Instance();
  messages.QueueAnswer(SM_IDCANCEL);
  EXPECT_FALSE(doc->SaveModified());
  EXPECT_EQ(messages.LastText(), "当前报表：\n\n  " + master + "\n\n    已被改变，存盘吗？");
  messages.QueueAnswer(SM_IDNO);
  EXPECT_TRUE(doc->SaveModified());
  EXPECT_EQ(Load(master).m_texts[0], "m00");

  ASSERT_TRUE(QDir(QString::fromStdString(m_dir)).removeRecursively());  // the save fails
  messages.QueueAnswer(SM_IDYES);
  EXPECT_FALSE(doc->SaveModified());
  EXPECT_TRUE(doc->IsModified());
  messages.QueueAnswer(SM_IDYES);
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_dir)));
  EXPECT_TRUE(doc->SaveModified());
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(RiloFileSaveTest, SaveAsTextOffersTheReportNameAndExportsChildValues) {
  const std::string master = Save(Sheet(2, 2, "m"), "月报.QLN");
  CRiloDoc* doc = Open(master);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->TextFileName(), "××表.TXT");
  doc->m_sheet.m_reportName = "月报";
  EXPECT_EQ(doc->TextFileName(), "月报.TXT");
  doc->m_subNo = "3\\1";
  doc->m_sheet.m_tableName = "一月";
  EXPECT_EQ(doc->TextFileName(), "月报(3-1一月).TXT");

  doc->m_sheet.m_texts[1] = CRiloDoc::SetCellLayer("", "12", 3);
  doc->m_sheet.m_texts[2] = Coded("~O黑体|粗体");  // format codes are not exported
  const std::string text = m_dir + "/月报.TXT";
  ASSERT_TRUE(doc->WriteTextFile(text));
  std::string expected;
  ASSERT_TRUE(Utf8ToGbk("m00\t12\r\n粗体\tm11\r\n", expected));
  EXPECT_EQ(ReadBytes(text), expected);

  EXPECT_FALSE(doc->WriteTextFile(m_dir + "/无此目录/月报.TXT"));
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            m_dir + "/无此目录/月报.TXT\n\n无法写入该文件！");
}

// ---------------------------------------------------------------- the data file

class RiloDbSaveTest : public ReportDbTest {
 protected:
  void SetUp() override {
    ReportDbTest::SetUp();
    m_frame.MakeMain();
    m_app.m_env.SetLogOn(1);
    m_app.m_opLog.m_enabled = 1;
  }
  void TearDown() override {
    CloseReports();
    m_app.m_env.SetOperatorNo({});
  }

  // Report 12 "月报" of 4 x 1 cells with children 3 and 3\1 holding values.
  void StoreReport() {
    CRiloData master = Sheet(4, 1, "m");
    master.m_reportName = "月报";
    ASSERT_TRUE(master.SaveToDb(12, {}, false, m_db));
    for (const std::string subNo : {"3", "3\\1"}) {
      CRiloData child = master;
      child.m_tableName = "月";
      for (int c = 0; c < 4; ++c)
        child.m_texts[static_cast<size_t>(c)] += "\x01\x01\x01" + subNo + std::to_string(c);
      ASSERT_TRUE(child.SaveToDb(12, subNo, false, m_db));
    }
    SmResetMessages();
  }
  std::vector<std::string> ChildValues(const std::string& subNo) {
    return Strings(
        FormatStr("Select rtrim(sValue) From bbInfo6 Where nNo=12 And sSubNo='%s' "
                  "Order by nx",
                  subNo.c_str()));
  }
  std::vector<std::string> LogNotes(int code) {
    return Strings(FormatStr("Select rtrim(sNote) From SmLog Where nTaskID=%d", code));
  }
  static CRiloDoc* OpenDb(int nNo, const std::string& subNo = {}) {
    return CBbDataType::OpenReport({}, true, nNo, subNo, false);
  }

  CSmFrameWnd m_frame;
};

TEST_P(RiloDbSaveTest, SaveDialogProposesNumbersAndNames) {
  {
    CRiloSaveDlg dlg(SM_RILO_SAVE_MASTER, -1, {});
    EXPECT_EQ(dlg.m_masterNoText, "1");  // an empty catalogue
  }
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  ASSERT_TRUE(Run("Insert Into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(12,'3\\7','乙表','')"));
  ASSERT_TRUE(Run("Insert Into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(12,'10','十','')"));
  ASSERT_TRUE(Run("Insert Into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(12,'3\\1\\4','深','')"));
  ASSERT_TRUE(Run("Update bbInfo7 Set sNa='甲表' Where nNo=12 And sSubNo='3\\1'"));
  CRiloSaveDlg child(SM_RILO_SAVE_CHILD, 12, "3");
  EXPECT_EQ(child.m_child.m_subNo, "3\\8");
  EXPECT_EQ(child.m_child.m_name,
            CRiloSaveDlg::LastSiblingName(12, "3", m_db));  // the larger of 甲表 and 乙表
  EXPECT_TRUE(child.m_child.m_name == "甲表" || child.m_child.m_name == "乙表");
  EXPECT_EQ(CRiloSaveDlg(SM_RILO_SAVE_CHILD, 12, {}).m_child.m_subNo, "11");  // 10 after 3
  CRiloSaveDlg both(SM_RILO_SAVE_BOTH, 12, {});
  EXPECT_EQ(both.m_masterNoText, "13");
  EXPECT_EQ(both.m_child.m_subNo, "1");  // report 13 has no children
  EXPECT_EQ(both.m_child.m_name, "月");
  CRiloSaveDlg slash(SM_RILO_MODIFY_CHILD, 12, "3/1");
  EXPECT_EQ(slash.m_given.m_subNo, "3\\1");
  EXPECT_EQ(slash.m_child.m_name, "甲表");
  EXPECT_EQ(slash.m_master.m_name, "月报");
}

TEST_P(RiloDbSaveTest, SaveDialogChecksKeepItOpen) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  const struct {
    int mode;
    const char* masterNo;
    const char* name;
    const char* childNo;
    const char* message;  // null: accepted
  } cases[] = {
      {SM_RILO_SAVE_MASTER, "", "表", "", "母表号不能为空！"},
      {SM_RILO_SAVE_MASTER, "0", "表", "", "母表号应为大于 0 的数！"},
      {SM_RILO_SAVE_BOTH, "20", "", "1", "母表名不能为空！"},
      {SM_RILO_SAVE_BOTH, "20", "表", "", "子表号不能为空！"},
      {SM_RILO_SAVE_CHILD, "12", "", "3\\\\1", "子表号不正确！"},
      {SM_RILO_SAVE_CHILD, "12", "", "\\3", "子表号不正确！"},
      {SM_RILO_SAVE_CHILD, "12", "", "3\\", "子表号不正确！"},
      {SM_RILO_SAVE_CHILD, "12", "", "3\\01", "子表号不正确！"},
      {SM_RILO_SAVE_CHILD, "12", "", "05", "子表号不正确！"},
      {SM_RILO_SAVE_CHILD, "12", "", "4\\1", "该子表无父级！"},
      {SM_RILO_SAVE_CHILD, "12", "", "3\\1\\2", nullptr},
      {SM_RILO_SAVE_BOTH, "20", "新表", "1", nullptr},
  };
  for (const auto& c : cases) {
    SmResetMessages();
    CRiloSaveDlg dlg(c.mode, 12, {});
    Type(&dlg, CRiloSaveDlg::kMasterNo, QString::fromUtf8(c.masterNo));
    Type(&dlg, CRiloSaveDlg::kMasterName, QString::fromUtf8(c.name));
    Type(&dlg, CRiloSaveDlg::kChildNo, QString::fromUtf8(c.childNo));
    Click(&dlg, SM_ID_OK);
    EXPECT_EQ(dlg.result(), c.message ? QDialog::Rejected : QDialog::Accepted) << c.childNo;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message ? c.message : "") << c.childNo;
  }
}

TEST_P(RiloDbSaveTest, ModifyingModesLogOnlyAcceptedChanges) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  ASSERT_TRUE(CRiloData(Sheet(1, 1, "x")).SaveToDb(5, {}, false, m_db));
  CRiloSaveDlg taken(SM_RILO_MODIFY_MASTER, 12, {});
  Type(&taken, CRiloSaveDlg::kMasterNo, "5");
  Click(&taken, SM_ID_OK);
  EXPECT_EQ(taken.result(), QDialog::Rejected);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "该报表已存在！");
  EXPECT_TRUE(LogNotes(300).empty());

  CRiloSaveDlg master(SM_RILO_MODIFY_MASTER, 12, {});
  Type(&master, CRiloSaveDlg::kMasterNo, "14");
  Click(&master, SM_ID_OK);
  EXPECT_EQ(master.result(), QDialog::Accepted);
  CRiloSaveDlg child(SM_RILO_MODIFY_CHILD, 14, "3\\1");
  Type(&child, CRiloSaveDlg::kChildNo, "3\\2");
  Click(&child, SM_ID_OK);
  EXPECT_EQ(child.result(), QDialog::Accepted);
  EXPECT_EQ(Count("Count(*) From bbInfo7 Where nNo=14 And sSubNo='3\\2'"), 1);
  EXPECT_EQ(LogNotes(300),
            (std::vector<std::string>{"修改母表：12-->14", "修改子表：14(3\\1-->3\\2)"}));
}

TEST_P(RiloDbSaveTest, NewAndChangedReportsAreLoggedAfterTheyAreStored) {
  CRiloDoc* doc = CBbDataType::OpenReport({}, true, -1, {}, false);
  ASSERT_NE(doc, nullptr);
  doc->m_sheet = Sheet(2, 1, "m");
  EXPECT_EQ(doc->SaveQuestion(), "新建报表存盘吗？");
  CModalScript script;
  script.Then(832, [](QWidget* dlg) {
    Type(dlg, CRiloSaveDlg::kMasterName, "季报");
    Click(dlg, SM_ID_OK);
  });
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_EQ(doc->m_nNo, 1);
  EXPECT_EQ(Strings("Select rtrim(sNa) From bbInfo7 Where nNo=1"),
            std::vector<std::string>{"季报"});
  doc->m_sheet.m_texts[0] = "改";
  doc->m_changes[0] = 1;
  EXPECT_EQ(doc->SaveQuestion(), "当前报表：\n\n  (1)季报\n\n    已被改变，存盘吗？");
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(LogNotes(300), std::vector<std::string>{"新增：1"});
  EXPECT_EQ(LogNotes(301), std::vector<std::string>{"保存：1"});
}

TEST_P(RiloDbSaveTest, AReportDeletedMeanwhileOpensTheSaveDialog) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  CRiloDoc* doc = OpenDb(12, "3");
  ASSERT_NE(doc, nullptr);
  doc->m_changes[0] = 1;
  EXPECT_EQ(doc->SaveQuestion(), "当前报表：\n\n  (12)月报\\3\n\n    已被改变，存盘吗？");
  ASSERT_TRUE(Run("Delete From bbInfo Where nNo=12"));
  bool asked = false;
  CModalScript script;
  script.Then(832, [&](QWidget* dlg) {
    asked = dlg->windowTitle() == "新增母、子表";
    Click(dlg, SM_ID_CANCEL);
  });
  EXPECT_FALSE(doc->DoFileSave());
  EXPECT_TRUE(asked);
  EXPECT_TRUE(doc->IsModified());
}

TEST_P(RiloDbSaveTest, InsertedColumnsReachEveryChildInTheDataFile) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  CRiloDoc* doc = OpenDb(12);
  ASSERT_NE(doc, nullptr);
  InsertColumns(*doc, 3, 2);
  EXPECT_EQ(doc->SaveQuestion(), "当前报表：\n\n  (12)月报\n\n    的行栏数已被改变，存盘吗？");
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  for (const std::string subNo : {"3", "3\\1"}) {
    CRiloData child;
    ASSERT_TRUE(child.LoadFromDb(12, subNo, false, m_db));
    ASSERT_EQ(child.m_cols, 6);
    std::vector<std::string> values;
    for (int c = 0; c < 6; ++c) values.push_back(CRiloDoc::GetLayerPlain(child.m_texts[c], 3));
    EXPECT_EQ(values, (std::vector<std::string>{subNo + "0", subNo + "1", subNo + "2", "", "",
                                                subNo + "3"}));
  }
  EXPECT_FALSE(doc->IsModified());
}

TEST_P(RiloDbSaveTest, AnInsertionSavedAndThenUndoneReachesTheChildrenBothTimes) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  CRiloDoc* doc = OpenDb(12);
  ASSERT_NE(doc, nullptr);
  ASSERT_NO_FATAL_FAILURE(ChangeThroughView(*doc, true, "1", "C", "0", "2"));
  ASSERT_TRUE(doc->DoFileSave());
  for (const std::string subNo : {"3", "3\\1"}) {
    CRiloData child;
    ASSERT_TRUE(child.LoadFromDb(12, subNo, false, m_db));
    ASSERT_EQ(child.m_cols, 6);
    EXPECT_EQ(CRiloDoc::GetLayerPlain(child.m_texts[4], 3), subNo + "2");
  }
  Undo(*doc);
  EXPECT_TRUE(doc->IsModified());
  ASSERT_TRUE(doc->DoFileSave());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  for (const std::string subNo : {"3", "3\\1"}) {
    CRiloData child;
    ASSERT_TRUE(child.LoadFromDb(12, subNo, false, m_db));
    ASSERT_EQ(child.m_cols, 4);
    std::vector<std::string> values;
    for (int c = 0; c < 4; ++c) values.push_back(CRiloDoc::GetLayerPlain(child.m_texts[c], 3));
    EXPECT_EQ(values,
              (std::vector<std::string>{subNo + "0", subNo + "1", subNo + "2", subNo + "3"}));
  }
  CRiloData master;
  ASSERT_TRUE(master.LoadFromDb(12, {}, false, m_db));
  EXPECT_EQ(master.m_cols, 4);
  EXPECT_FALSE(doc->IsModified());
}

TEST_P(RiloDbSaveTest, AFailedSaveRollsTheChildrenBackAndStaysModified) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  CRiloDoc* doc = OpenDb(12);
  ASSERT_NE(doc, nullptr);
  const std::vector<std::string> before = ChildValues("3");
  InsertColumns(*doc, 1, 1);
  ASSERT_TRUE(Run("Drop Table bbInfo5"));
  EXPECT_FALSE(doc->DoFileSave());
  EXPECT_EQ(ChildValues("3"), before);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->m_structureChanges.size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "报表未能存入数据文件，所做的修改仍在窗口中。");
}

// ---------------------------------------------------------------- the report tree

class RiloTreeTest : public RiloDbSaveTest {
 protected:
  void SetUp() override {
    RiloDbSaveTest::SetUp();
    m_tree = std::make_unique<CRiloTree>(m_db);
  }
  void Select(int nNo, const std::string& subNo) {
    m_tree->m_reselect = CRiloTree::EncodePath(nNo, subNo);
    m_tree->Refill();
  }
  std::vector<std::string> Texts(const QTreeWidgetItem* item) {
    std::vector<std::string> texts;
    for (int i = 0; i < item->childCount(); ++i)
      texts.push_back(item->child(i)->text(0).toStdString());
    return texts;
  }
  std::string Selected() {
    std::vector<std::string> texts;
    m_tree->GetItemPathTexts(texts);
    int nNo = -1;
    std::string subNo;
    CRiloTree::DecodePath(texts, nNo, subNo);
    return std::to_string(nNo) + (subNo.empty() ? "" : "\\" + subNo);
  }
  std::unique_ptr<CRiloTree> m_tree;
};

TEST_P(RiloTreeTest, RefillShowsReportsAndChildrenInNumericOrder) {
  m_tree->Refill();
  ASSERT_EQ(m_tree->topLevelItemCount(), 1);
  EXPECT_EQ(m_tree->topLevelItem(0)->text(0).toStdString(), "我的报表");
  EXPECT_EQ(m_tree->topLevelItem(0)->childCount(), 0);

  ASSERT_NO_FATAL_FAILURE(StoreReport());
  for (const char* subNo : {"10", "2", "3\\10", "3\\2"})
    ASSERT_TRUE(Run(
        FormatStr("Insert Into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(12,'%s','表','')", subNo)));
  Select(12, "3\\5");  // missing: the next higher one at its level
  const QTreeWidgetItem* report = m_tree->topLevelItem(0)->child(0);
  EXPECT_EQ(report->text(0).toStdString(), "(12)月报");
  EXPECT_EQ(Texts(report), (std::vector<std::string>{"(2)表", "(3)月", "(10)表"}));
  EXPECT_EQ(Texts(report->child(1)), (std::vector<std::string>{"(1)月", "(2)表", "(10)表"}));
  EXPECT_EQ(Selected(), "12\\3\\10");
  Select(12, "3\\2");
  EXPECT_EQ(Selected(), "12\\3\\2");
  m_tree->m_reselect.clear();
  m_tree->Refill();
  EXPECT_EQ(Selected(), "12");
}

// The child table that 新增 opens over its master has the keyboard in its sheet.
TEST_P(RiloTreeTest, AnAddedChildTableHasTheKeyboardInItsSheet) {
  CRiloData master = Sheet(2, 1, "m");
  master.m_texts[1].clear();  // a cell that takes a child value
  master.m_reportName = "月报";
  ASSERT_TRUE(master.SaveToDb(12, {}, false, m_db));
  Select(12, {});
  m_frame.show();
  CModalScript script;
  script.Then(832, [](QWidget* dlg) { Press(dlg, SM_ID_OK); });
  EXPECT_TRUE(m_tree->RunCommand(SM_ID_LIST_ADD));
  EXPECT_TRUE(script.Done());
  ASSERT_EQ(ReportTemplate()->Documents().size(), 1u);
  auto* child = static_cast<CRiloDoc*>(ReportTemplate()->Documents().front().get());
  EXPECT_EQ(child->m_subNo, "1");
  EXPECT_EQ(child->m_editMode, 3);
  child->m_sheet.m_currentCell = {1, 0};
  ExpectKeysReachTheSheet(m_frame, *child);
}

TEST_P(RiloTreeTest, DeletingAMasterOrAChildIsLogged) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  ASSERT_TRUE(CRiloData(Sheet(1, 1, "x")).SaveToDb(7, {}, false, m_db));
  ASSERT_TRUE(CRiloData(Sheet(1, 1, "x")).SaveToDb(7, "3", false, m_db));
  ASSERT_TRUE(CRiloData(Sheet(1, 1, "x")).SaveToDb(7, "3\\1", false, m_db));
  auto& messages = CSmMessageService::Instance();
  Select(7, "3\\1");
  messages.QueueAnswer(SM_IDNO);
  EXPECT_TRUE(m_tree->RunCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(messages.LastText(), "真的要删除此表吗？");
  messages.QueueAnswer(SM_IDYES);
  m_tree->RunCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(Texts(m_tree->topLevelItem(0)->child(0)->child(0)), std::vector<std::string>{});
  Select(7, {});
  messages.QueueAnswer(SM_IDYES);
  m_tree->RunCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(Texts(m_tree->topLevelItem(0)), std::vector<std::string>{"(12)月报"});
  EXPECT_EQ(Count("Count(*) From bbInfo7 Where nNo=7"), 0);
  EXPECT_EQ(LogNotes(300), (std::vector<std::string>{"删除：7\\3\\1", "删除：7"}));
}

TEST_P(RiloTreeTest, GeneratedMonthAndQuarterTables) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  std::string deep;
  for (int level = 1; level <= 7; ++level) {  // 1 to 1\2\3\4\5\6\7 (13 characters)
    deep += (level > 1 ? "\\" : "") + std::to_string(level);
    ASSERT_TRUE(
        Run("Insert Into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(12,'" + deep + "','深','')"));
  }
  Select(12, {});
  m_tree->RunCommand(SM_ID_RILO_MONTH_TABLES);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "该表已有子表！");
  Select(12, "3\\1");
  m_tree->RunCommand(SM_ID_RILO_MONTH_TABLES);
  EXPECT_EQ(Strings("Select rtrim(sNa) From bbInfo7 Where nNo=12 And sSubNo Like "
                    "'3\\1\\\x07*\x08'"),
            std::vector<std::string>(12, "月"));
  EXPECT_EQ(Texts(m_tree->currentItem()).back(), "(12)月");
  Select(12, deep);
  SmResetMessages();
  m_tree->RunCommand(SM_ID_RILO_MONTH_TABLES);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "该表子表的长度不够！");
  m_tree->RunCommand(SM_ID_RILO_QUARTER_TABLES);
  EXPECT_EQ(Texts(m_tree->currentItem()),
            (std::vector<std::string>{"(1)季", "(2)季", "(3)季", "(4)季"}));
}

TEST_P(RiloTreeTest, OperatorOneHundredAndOneFindsTheCommandsDisabled) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  Select(12, "3");
  m_app.m_env.SetOperatorNo("101");
  for (int id :
       std::vector<int>{SM_ID_LIST_ADD, SM_ID_LIST_OPEN, SM_ID_LIST_MODIFY, SM_ID_LIST_DELETE,
                        SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE, SM_ID_RILO_MONTH_TABLES,
                        SM_ID_RILO_QUARTER_TABLES, SM_ID_RILO_PASTE_STRUCTURE})
    EXPECT_FALSE(m_tree->IsCommandAvailable(id)) << id;
  for (int id : std::vector<int>{SM_ID_RILO_TREE_REFRESH, SM_ID_HELP, SM_ID_CALCULATOR})
    EXPECT_TRUE(m_tree->IsCommandAvailable(id)) << id;
  m_app.m_env.SetOperatorNo("102");
  EXPECT_TRUE(m_tree->IsCommandEnabled(SM_ID_LIST_MODIFY));
  EXPECT_FALSE(m_tree->IsCommandEnabled(SM_ID_EDIT_CUT));
}

TEST_P(RiloTreeTest, APastedReportOfTheSameFileBecomesACopy) {
  ASSERT_NO_FATAL_FAILURE(StoreReport());
  Select(12, {});
  ASSERT_TRUE(m_tree->RunCommand(SM_ID_EDIT_COPY));
  ASSERT_TRUE(m_tree->RunCommand(SM_ID_EDIT_PASTE));
  EXPECT_EQ(Selected(), "13");
  EXPECT_EQ(m_tree->currentItem()->text(0).toStdString(), "(13)复件_月报");
  EXPECT_EQ(Count("Count(*) From bbInfo7 Where nNo=13 And sSubNo='3\\1'"), 1);

  Select(13, "3");
  ASSERT_TRUE(m_tree->RunCommand(SM_ID_EDIT_COPY));
  Select(12, "3\\1");
  m_tree->RunCommand(SM_ID_RILO_PASTE_STRUCTURE);
  EXPECT_EQ(Count("Count(*) From bbInfo7 Where nNo=12 And sSubNo='3\\1\\1'"), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, RiloDbSaveTest, testing::Values(0, 2));
INSTANTIATE_TEST_SUITE_P(Engines, RiloTreeTest, testing::Values(0, 2));
