// The operation log as a document and its query dialog: the stored built-in definition, the
// rows and head notes of a session, the dialog's period, filters, choosing and deleting
// sessions, on the data file and on the server.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>

#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmRegKey.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "forms/SmLogDoc.h"
#include "forms/SmLogQueryDlg.h"
#include "forms/SmSaveAsText.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "tests/core/test_server_fixture.h"
#include "tests/forms/test_formapp.h"

namespace {

class LogModule : public CFormDataType {
 public:
  LogModule(int number, int resource) {
    m_number = number;
    m_resourceId = resource;
    m_tabLabel = number == 16 ? "甘蔗结算" : "报表";
  }
  void Init() override {
    Register(nullptr);
    CFormDataType::Init();
  }
  void GetItemNames(std::vector<int>& codes, CSmStringList& names) override {
    codes = {1, 2};
    names = {"系统参数", "农户目录"};
  }
};

// Sessions 1 to 4 besides the running one (the last): 1 on 2016-10-31 by 王五 on "称重机",
// 2 on 2016-11-05 by 李四 on "财务'室", 3 on 2016-11-20 by 王五 and 1601 on "称重机", 4 on
// 2016-12-19 with two rows of one time (codes 13 and 14), ended.
struct SessionRow {
  int task;
  const char* op;
  const char* time;
  int code;
  const char* note;
};
constexpr SessionRow kLogRows[] = {
    {1, "王五(102)", "20161031080000", 0, "操作员：王五(102) 开始工作"},
    {2, "李四(103)", "20161105090000", 0, "操作员：李四(103) 开始工作"},
    {3, "王五(102)", "20161120100000", 0, "操作员：王五(102) 开始工作"},
    {3, "王五(102)", "20161120100500", 1601, "修改：0101"},
    {4, "管理员(101)", "20161219083005", 13, "新建文档：收购单"},
    {4, "管理员(101)", "20161219083005", 14, "打开文档：结算单"},
};

class LogTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\LogTest");
    ASSERT_TRUE(m_app.InitInstance({}));
    if (GetParam() == 0) {
      ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    } else {
      m_app.m_env.SetKind(1);
      ASSERT_NO_FATAL_FAILURE(
          SmFreshServerDatabase(*m_app.m_env.Connection(), SmServerTestName("log")));
      m_app.CreateSystemTables(m_app.m_env.Connection());
      m_app.AfterOpen(m_app.m_env.Connection());
    }
    m_db = m_app.m_env.GetDatabase();
    ASSERT_NE(m_db, nullptr);
    m_app.m_env.SetOperatorNo("101");
    m_app.m_env.SetOperatorName("管理员");
    m_app.m_env.SetLogOn(1);
    m_app.m_opLog.m_enabled = 1;
    const char* tasks[][4] = {{"1", "20161031080000", "20161031090000", "称重机"},
                              {"2", "20161105090000", "20161105100000", "财务'室"},
                              {"3", "20161120100000", "20161120110000", "称重机"},
                              {"4", "20161219083005", "20161219091000", "称重机"}};
    for (const auto& t : tasks) {
      ASSERT_TRUE(m_db->ExecuteSQL(FormatStr(
          "Insert Into SmTask(nTask,nThreadID,sT1,sT2,sComputer,sUser) Values(%s,77,'%s','%s',"
          "'%s','clerk')",
          t[0], t[1], t[2], m_db->SqlText(t[3]).c_str())));
    }
    for (const SessionRow& row : kLogRows) {
      ASSERT_TRUE(m_db->ExecuteSQL(
          FormatStr("Insert Into SmLog(nTask,sOp,sT,nTaskID,sNote) Values(%d,'%s','%s',%d,'%s')",
                    row.task, row.op, row.time, row.code, row.note)));
    }
    for (const char* op : {"王五(102)", "李四(103)"}) {
      ASSERT_TRUE(m_db->ExecuteSQL(FormatStr("Insert Into SmLogOp(sOp) Values('%s')", op)));
    }
    m_app.m_opLog.StartWork();
    ASSERT_EQ(m_app.m_opLog.nTask, 5);
    QApplication::processEvents();
  }
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
  }
  CSmDocTemplate* LogTemplate() {
    for (const auto& t : m_app.m_docManager.Templates()) {
      auto* found = dynamic_cast<CSmDocTemplate*>(t.get());
      if (found && found->m_number == kSmLogTemplate) return found;
    }
    return nullptr;
  }
  CSmLogDoc* OpenedDoc() {
    const auto& docs = LogTemplate()->Documents();
    return docs.empty() ? nullptr : dynamic_cast<CSmLogDoc*>(docs.front().get());
  }
  // Opens the log from the System menu and chooses the session of the month in the query
  // dialog (which closes when it cannot be chosen).
  CSmLogDoc* OpenSession(const char* month, int task) {
    CModalScript script;
    script.Then(859, [month, task](QWidget* dlg) {
      auto* query = static_cast<CSmLogQueryDlg*>(dlg);
      query->OnChoose(CSmLogQueryDlg::kYearId, "2016");
      query->OnChoose(CSmLogQueryDlg::kMonthId, month);
      query->List()->SelectTask(task);
      Click(dlg, SM_ID_OK);
      if (dlg->isVisible()) Click(dlg, SM_ID_CANCEL);
    });
    // "查看日志 ..." of the main menu, as the administrator.
    QAction* action = SmCommandAction(SM_ID_VIEW_LOG);
    EXPECT_TRUE(InMenus(m_app.Frame()->menuBar()->actions(), action));
    EXPECT_TRUE(CSmCommandManager::Instance().Update(SM_ID_VIEW_LOG));
    action->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(script.Done());
    return OpenedDoc();
  }
  static bool InMenus(const QList<QAction*>& actions, QAction* wanted) {
    for (QAction* action : actions) {
      if (action == wanted) return true;
      if (action->menu() && InMenus(action->menu()->actions(), wanted)) return true;
    }
    return false;
  }
  int Count(const std::string& sql) { return static_cast<int>(m_db->QueryInt(sql)); }
  std::vector<std::string> Notes(int code) {
    std::vector<std::string> notes;
    m_db->QueryStrings(FormatStr("Select rtrim(sNote) From SmLog Where nTaskID=%d", code), &notes,
                       1);
    return notes;
  }

  SmFormTestApp<LogModule> m_app{"LogTest"};
  CSmDatabase* m_db = nullptr;
};

// The query dialog as the document builds it, shown but not modal.
std::unique_ptr<CSmLogQueryDlg> ShowDialog(const std::string& period, int task = 0,
                                           const std::string& operation = {}) {
  CSmOpLog current;
  current.nTask = task;
  auto dlg = std::make_unique<CSmLogQueryDlg>(current, period, "", "", operation);
  dlg->show();
  QApplication::processEvents();
  return dlg;
}

// Chooses an entry of a combo box as the user does.
void Choose(CSmLogQueryDlg& dlg, int id, const QString& text) {
  auto* combo = Control<QComboBox>(&dlg, id);
  const int index = combo->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, LogTest, testing::Values(0, 1));

TEST_P(LogTest, FirstOpeningStoresTheDefinitionAndShowsTheSession) {
  CSmLogDoc* doc = OpenSession("12", 4);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(Count("Select Count(*) From SmFormList Where nFlag=990 And nForm=0"), 1);
  ASSERT_EQ(doc->m_formDef.m_cols.size(), 14u);
  EXPECT_EQ(doc->m_shownCount, 4);
  EXPECT_EQ(doc->m_formDef.m_headNotes.size(), 16u);
  EXPECT_EQ(Count("Select Count(*) From SmLog Where nTaskID=14 And nTask=5 And "
                  "sNote='打开文档：操作日志'"),
            1);
  // Same time: the higher operation code first.
  ASSERT_EQ(doc->m_rows.size(), 2u);
  EXPECT_EQ(doc->m_rows[0], (std::vector<std::string>{"08:30:05", "管理员(101)",
                                                      GetOperationName(14), "打开文档：结算单"}));
  EXPECT_EQ(doc->m_rows[1][3], "新建文档：收购单");
  EXPECT_EQ(doc->m_openModes, (std::vector<std::string>{"201612  ", "", "", "", "4"}));

  auto* view = doc->FindViewOfClass<CSmLogView>();
  ASSERT_NE(view, nullptr);
  const std::pair<const char*, const char*> notes[] = {
      {"操作时间", "2016年12月19日08:30:05至09:10:00"},
      {"任务号", "4"},
      {"线程号", "-77"},
      {"机器名", "称重机"},
      {"用户名", "clerk"},
  };
  for (const auto& [hint, text] : notes) {
    CSmFormHeadNote note;
    note.Set(0, 0, 0, 1, 0, hint, "系统生成");
    view->GetNoteValue(note);
    EXPECT_EQ(note.sWords, text) << hint;
  }
  // A session still running.
  CSmOpLog running = doc->m_task;
  running.sT2 = running.sT1;
  EXPECT_EQ(SmLogSessionTime(running), "2016年12月19日08:30:05至 ?");
}

// On the printed page each head note of a line begins after the one before it ends: "任务号："
// and its number, "机器名：" and the station's name stay apart.
TEST_P(LogTest, HeadNotesOfALineNeverRunIntoEachOther) {
  CSmLogDoc* doc = OpenSession("12", 4);
  ASSERT_NE(doc, nullptr);
  auto* view = doc->FindViewOfClass<CSmLogView>();
  ASSERT_NE(view, nullptr);
  const std::string pdf = SmQueueTestPdf("log_notes");
  view->OnCommand(SM_ID_FILE_PRINT);
  std::vector<SmPdfWord> words;
  for (const SmPdfWord& word : SmPdfWords(pdf)) {
    if (word.page == 1) words.push_back(word);
  }
  for (const char* label : {"任务号：", "线程号：", "机器名：", "用户名："}) {
    const auto found = std::find_if(words.begin(), words.end(), [&](const SmPdfWord& word) {
      return word.text.starts_with(label);
    });
    ASSERT_NE(found, words.end()) << label;
    EXPECT_EQ(found->text, label);  // not run together with its value
    for (const SmPdfWord& other : words) {
      const bool sameLine = std::abs(other.yMin - found->yMin) < 2;
      if (&other == &*found || !sameLine || other.xMin < found->xMin) continue;
      EXPECT_GE(other.xMin, found->xMax) << label << " meets " << other.text;
    }
  }
}

TEST_P(LogTest, AShownDateColumnReadsWithDots) {
  CSmLogDoc* doc = OpenSession("11", 3);
  ASSERT_NE(doc, nullptr);
  CSmFormDef def = doc->m_formDef;
  for (CSmFormCol& col : def.m_cols) {
    if (col.FieldCode() == 5) col.nType = 105;
  }
  ASSERT_TRUE(def.Save());
  m_app.m_docManager.CloseAllDocuments();
  QApplication::processEvents();
  doc = OpenSession("11", 3);
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(doc->m_shownCount, 5);
  EXPECT_EQ(doc->m_rows[0][0], "2016.11.20");
  EXPECT_EQ(doc->m_rows[1][3], "系统参数");  // the module's name of code 1601
}

TEST_P(LogTest, ClosingTheDialogOpensNothing) {
  CModalScript script;
  script.Then(859, [](QWidget* dlg) { Click(dlg, SM_ID_CANCEL); });
  SmExecuteCommand(SM_ID_VIEW_LOG);
  QApplication::processEvents();
  EXPECT_EQ(OpenedDoc(), nullptr);
  m_app.m_env.SetLogOn(0);
  SmExecuteCommand(SM_ID_VIEW_LOG);
  EXPECT_TRUE(Shown("日志开关未打开！"));
  EXPECT_EQ(OpenedDoc(), nullptr);
}

TEST_P(LogTest, PeriodAndFilters) {
  auto dlg = ShowDialog("20161031");
  CSmLogTaskList* list = dlg->List();
  EXPECT_EQ(list->Tasks(), std::vector<int>{1});
  EXPECT_EQ(list->topLevelItem(0)->text(1).toStdString(), "2016.10.31 08:00:00");
  // Day 31 and then a month of 30 days: the whole month.
  Choose(*dlg, CSmLogQueryDlg::kMonthId, "11");
  EXPECT_EQ(dlg->Period(), "201611  ");
  EXPECT_EQ(Control<QComboBox>(dlg.get(), CSmLogQueryDlg::kDayId)->currentText(), "");
  EXPECT_EQ(Control<QComboBox>(dlg.get(), CSmLogQueryDlg::kDayId)->count(), 31);
  EXPECT_EQ(list->Tasks(), (std::vector<int>{2, 3}));
  // Module 0 without an operation: codes 0 to 99.
  EXPECT_EQ(list->LogCondition(), "Where nTaskID>=0 And nTaskID<100");
  Choose(*dlg, CSmLogQueryDlg::kOperatorId, "王五(102)");
  EXPECT_EQ(list->Tasks(), std::vector<int>{3});
  Choose(*dlg, CSmLogQueryDlg::kOperatorId, "");
  Choose(*dlg, CSmLogQueryDlg::kComputerId, "财务'室");
  EXPECT_EQ(list->Tasks(), std::vector<int>{2});
  Choose(*dlg, CSmLogQueryDlg::kComputerId, "");
  Choose(*dlg, CSmLogQueryDlg::kModuleId, "16 甘蔗结算");
  EXPECT_EQ(list->LogCondition(), "Where nTaskID>=1600 And nTaskID<1700");
  EXPECT_EQ(list->Tasks(), std::vector<int>{3});
  Choose(*dlg, CSmLogQueryDlg::kOperationId, "1602 农户目录");
  EXPECT_EQ(list->Tasks(), std::vector<int>{});
  Choose(*dlg, CSmLogQueryDlg::kOperationId, "1601 系统参数");
  EXPECT_EQ(list->Tasks(), std::vector<int>{3});
  Choose(*dlg, CSmLogQueryDlg::kDayId, "20");
  EXPECT_EQ(dlg->Period(), "20161120");
  EXPECT_EQ(list->TaskCondition(), "Where Left(sT1,8)='20161120'");
  EXPECT_EQ(dlg->Operation(), "1601 系统参数");
}

TEST_P(LogTest, OpenNeedsExactlyOneSession) {
  auto dlg = ShowDialog("201611  ", 3);
  EXPECT_EQ(dlg->List()->SelectedTasks(), std::vector<int>{3});  // the document's session
  dlg->List()->clearSelection();
  Click(dlg.get(), SM_ID_OK);
  EXPECT_TRUE(dlg->isVisible());
  SmList_SelectAll(dlg->List());
  Click(dlg.get(), SM_ID_OK);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_FALSE(dlg->List()->IsCommandEnabled(SM_ID_LIST_OPEN));
  dlg->List()->SelectTask(2);
  EXPECT_TRUE(dlg->List()->IsCommandEnabled(SM_ID_LIST_OPEN));
  Click(dlg.get(), SM_ID_OK);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dlg->SelectedTask(), 2);
}

TEST_P(LogTest, DeletingKeepsTheCurrentSessionAndLogsTheOthers) {
  m_db->ExecuteSQL("Update SmTask Set sT1='20161105120000' Where nTask=5");
  auto dlg = ShowDialog("201611  ");
  CSmLogTaskList* list = dlg->List();
  ASSERT_EQ(list->Tasks(), (std::vector<int>{2, 3, 5}));
  SmList_SelectAll(list);
  list->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_TRUE(Shown("不能删除当前任务！"));
  EXPECT_EQ(list->Tasks(), std::vector<int>{5});
  EXPECT_EQ(Count("Select Count(*) From SmTask Where nTask In (2,3)"), 0);
  EXPECT_EQ(Count("Select Count(*) From SmLog Where nTask In (2,3)"), 0);
  EXPECT_EQ(Count("Select Count(*) From SmTask"), 3);
  EXPECT_EQ(Notes(11), std::vector<std::string>{"清除任务：2 3"});
}

TEST_P(LogTest, ASessionWhoseLogRowsCannotGoStays) {
  std::string error;
  if (GetParam() == 0) {
    ASSERT_TRUE(m_db->Backend()->Execute(
        "CREATE TRIGGER sm_fail BEFORE DELETE ON SmLog BEGIN SELECT RAISE(ABORT,'injected'); END",
        &error))
        << error;
  } else {
    ASSERT_TRUE(m_db->Backend()->Execute(
        "CREATE OR REPLACE FUNCTION sm_fail() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION "
        "'injected'; END $$ LANGUAGE plpgsql",
        &error))
        << error;
    ASSERT_TRUE(m_db->Backend()->Execute(
        "CREATE TRIGGER sm_fail BEFORE DELETE ON SmLog FOR EACH ROW EXECUTE FUNCTION sm_fail()",
        &error))
        << error;
  }
  EXPECT_FALSE(CSmOpLog::DeleteTask(3, m_db));
  EXPECT_EQ(Count("Select Count(*) From SmTask Where nTask=3"), 1);
  EXPECT_EQ(Count("Select Count(*) From SmLog Where nTask=3"), 2);
}

TEST_P(LogTest, SavesChosenColumnsAsAGbkTextFile) {
  CSmLogDoc* doc = OpenSession("12", 4);
  ASSERT_NE(doc, nullptr);
  QTemporaryDir dir;
  const std::string path = QDir(dir.path()).filePath("日志.txt").toStdString();
  CModalScript script;
  script.Then(847, [&path](QWidget* dlg) {
    auto* sheet = static_cast<CSaveAsTextSheet*>(dlg);
    CSaveAsTextColList* list = sheet->Page1()->List();
    for (int row = 0; row < list->RowCount(); ++row) list->SetCheck(row, row == 0 || row == 3);
    Click(dlg, CSaveAsTextSheet::kNext);
    Click(dlg, CSaveAsTextSheet::kNext);
    Control<QLineEdit>(dlg, CSaveAsTextSheet::kFileName)->setText(QString::fromStdString(path));
    Click(dlg, CSaveAsTextSheet::kFinish);
    if (dlg->isVisible()) Click(dlg, SM_ID_CANCEL);
  });
  SmExecuteCommand(SM_ID_DOC_SAVE_AS_TEXT);
  EXPECT_TRUE(script.Done());
  std::string expected;
  ASSERT_TRUE(Utf8ToGbk(
      "08:30:05\t打开文档：结算单\r\n" + doc->m_rows[1][0] + "\t新建文档：收购单\r\n", expected));
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().toStdString(), expected);
  EXPECT_EQ(Notes(27), (std::vector<std::string>{"将“操作日志”保存成文本文档：" + path}));
}
