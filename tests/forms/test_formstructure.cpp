// Document structure files: the forms of chosen kinds written to a file and read back into a
// data file of the same or another year, on the data file and on the server; the questions for
// kinds that exist; files with nothing to load; the temporary data file always removed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <functional>

#include "admin/SmAdminCommands.h"
#include "app/SmServerYearFile.h"
#include "core/SmRegKey.h"
#include "forms/SmFormStructure.h"
#include "forms/SmTemplateList.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/core/test_server_fixture.h"
#include "tests/forms/test_listmodule.h"

namespace {

using Kinds = std::vector<std::pair<int, int>>;

class FormStructureTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    m_code = FormatStr("%04zu", std::hash<std::string>{}(test->name()) % 10000);
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\StructTest");
    // The temporary data files go to a folder of this test's own, to see that none stays.
    m_temp = SmTestHome() + "/temp" + m_code;
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_temp)));
    if (const char* before = std::getenv("TMPDIR")) m_tmpdir = before;
    setenv("TMPDIR", m_temp.c_str(), 1);
    ASSERT_TRUE(m_app.InitInstance({}));
    SmInstallAdminCommands(m_app);
    m_app.m_moduleInfo.m_ext = GetParam() == 0 ? "tsd" : "tsf";
    ASSERT_NO_FATAL_FAILURE(OpenYear(2016));
    m_module = m_app.Module(16);
    m_list = m_module->TemplateList();
    ASSERT_NE(m_list, nullptr);
    m_list->Refresh();
  }
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
    if (m_tmpdir.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", m_tmpdir.c_str(), 1);
  }

  // A new data file of the year, of the unit "某单位", opened as the application's.
  void OpenYear(int year) {
    if (GetParam() == 0) {
      const std::string path = SmCreateTestDataFile(year, SmTestHome() + "/" + m_code);
      ASSERT_TRUE(m_app.m_env.OpenFile("", path, "101", true));
    } else {
      ASSERT_FALSE(SmPgEnv("SM_PG_PORT").empty()) << "run the tests through make test";
      const CSmConnInfo login = SmPgLogin(GetParam());
      std::string name = SmServerDatabaseName(m_app.GetDataFileExt(), m_code, year);
      {
        CSmDatabase master(GetParam());
        ASSERT_TRUE(master.Open("master", login)) << "cannot reach the test server";
        master.ExecuteSQL("Drop Database If Exists " + name + " With (FORCE)", {}, 128, false);
      }
      ASSERT_TRUE(SmCreateServerYearFile(m_app, GetParam(), login, m_code, year, &name));
      m_app.m_env.SetKind(GetParam());
      ASSERT_TRUE(m_app.m_env.WriteDbLogin(login));
      ASSERT_TRUE(m_app.m_env.OpenFile(login.server, name, "101", true))
          << CSmMessageService::Instance().LastText();
    }
    m_db = m_app.m_env.GetDatabase();
    ASSERT_TRUE(m_db->ExecuteSQL("Update SysTab Set NA='某单位'"));
    m_app.m_env.GetUnitName(true);
  }

  void Select(const Kinds& kinds) {
    m_list->clearSelection();
    for (const auto& [templateNumber, kindNumber] : kinds) {
      const int row = m_list->RowOf(templateNumber, kindNumber);
      ASSERT_GE(row, 0) << templateNumber << "-" << kindNumber;
      m_list->topLevelItem(row)->setSelected(true);
    }
  }
  void Export(const std::string& file) {
    SmResetMessages();
    CSmMessageService::Instance().QueueFileName(file);
    ASSERT_TRUE(m_list->IsCommandEnabled(SM_ID_EXPORT_STRUCTURE));
    m_list->OnCommand(SM_ID_EXPORT_STRUCTURE);
  }
  void Import(const std::string& file, std::vector<int> answers = {}) {
    SmResetMessages();
    CSmMessageService::Instance().QueueFileName(file);
    for (int answer : answers) CSmMessageService::Instance().QueueAnswer(answer);
    m_list->OnCommand(SM_ID_IMPORT_STRUCTURE);
  }

  static std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const auto& box : CSmMessageService::Instance().Shown()) texts.push_back(box.text);
    return texts;
  }
  bool TempIsEmpty() const { return QDir(QString::fromStdString(m_temp)).isEmpty(); }
  std::string Title(int templateNumber, int kindNumber) {
    CSmFormDef def;
    def.Attach(m_db, templateNumber, kindNumber);
    return def.LoadList() ? def.sFna : "(none)";
  }
  int PageRow(int templateNumber, int kindNumber) {
    CSmPrintInfo print;
    print.Load(m_db, templateNumber, std::to_string(kindNumber));
    return print.PageRow;
  }
  std::string StructExt() const { return m_app.GetDataFileExt() + "templ"; }

  ListApp m_app{"StructTest"};
  std::string m_code;
  std::string m_temp;
  std::string m_tmpdir;
  CSmDatabase* m_db = nullptr;
  ListModule* m_module = nullptr;
  CSmTemplateList* m_list = nullptr;
};

TEST_P(FormStructureTest, ExportedKindsComeBackIntoAnotherYearsEmptyDataFile) {
  StoreForm(m_db, 255, 0, "收购单", 40);
  StoreForm(m_db, 257, 0, "统计表");
  StoreForm(m_db, 257, 1, "月报表", 36);
  CSmStoredForm before[2];
  ASSERT_TRUE(SmLoadStoredForm(m_db, 255, 0, before[0]));
  ASSERT_TRUE(SmLoadStoredForm(m_db, 257, 1, before[1]));
  const int rows[] = {StoredRows(m_db, 255, 0), StoredRows(m_db, 257, 1)};
  const std::string home = QDir::homePath().toStdString();
  EXPECT_EQ(SmStructureFileProposal(m_app, true), home + "/某单位文档结构." + StructExt());

  // A name typed without an extension gets the structure file's.
  const std::string folder = SmTestHome() + "/out" + m_code;
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  const std::string file = folder + "/forms." + StructExt();
  Select({{255, 0}, {257, 1}});
  Export(folder + "/forms");
  EXPECT_EQ(Shown(), std::vector<std::string>{"已成功地将文档结构卸出到文件：" + file + "！"});
  EXPECT_TRUE(QFile::exists(QString::fromStdString(file)));
  EXPECT_TRUE(TempIsEmpty());
  EXPECT_EQ(SmStructureFileProposal(m_app, true), folder + "/某单位文档结构." + StructExt());
  EXPECT_EQ(SmStructureFileProposal(m_app, false), home + "/某单位文档结构." + StructExt());

  ASSERT_NO_FATAL_FAILURE(OpenYear(2017));
  m_list->Refresh();
  ASSERT_EQ(StoredRows(m_db, 257, 1), 0);
  // The kinds are the module's own: replacing their forms is asked.
  Import(file, {SM_IDYES, SM_IDYES});
  EXPECT_EQ(Shown(), (std::vector<std::string>{"收购单\n\n　　已存在，覆盖吗？",
                                               "月报表\n\n　　已存在，覆盖吗？",
                                               "已成功地从文件：" + file + "中载入文档结构！"}));
  EXPECT_EQ(StoredRows(m_db, 255, 0), rows[0]);
  EXPECT_EQ(StoredRows(m_db, 257, 1), rows[1]);
  EXPECT_EQ(Title(257, 0), "(none)");
  CSmStoredForm after[2];
  ASSERT_TRUE(SmLoadStoredForm(m_db, 255, 0, after[0]));
  ASSERT_TRUE(SmLoadStoredForm(m_db, 257, 1, after[1]));
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(after[i].def == before[i].def) << i;
    EXPECT_EQ(after[i].print, before[i].print) << i;
  }
  EXPECT_EQ(PageRow(257, 1), 36);
  EXPECT_TRUE(TempIsEmpty());
  EXPECT_EQ(SmStructureFileProposal(m_app, false), file);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FormStructureTest, testing::Values(0, 2));

class FormStructureFileTest : public FormStructureTest {};

// A kind the module lists or the data file stores is asked about once: yes replaces it, no
// makes it a new kind after the template's last one where the template takes user forms, cancel
// skips it. A template the module lacks is refused; a kind nobody has keeps its number.
TEST_P(FormStructureFileTest, ImportAsksOnceForEachKindThatExists) {
  StoreForm(m_db, 255, 0, "收购单");
  StoreForm(m_db, 255, 7, "收购单七");
  StoreForm(m_db, 257, 0, "统计表");
  StoreForm(m_db, 257, 1, "月报表");
  StoreForm(m_db, 257, 9, "年报表", 44);
  StoreForm(m_db, 300, 0, "报表");
  const std::string file = SmTestHome() + "/asks." + StructExt();
  CSmMessageService::Instance().QueueFileName(file);
  SmExportFormStructure({{255, 0}, {255, 7}, {257, 0}, {257, 1}, {257, 9}, {300, 0}});
  ASSERT_TRUE(QFile::exists(QString::fromStdString(file)))
      << CSmMessageService::Instance().LastText();

  for (int kind : {7, 1}) ASSERT_TRUE(DeleteFormDef(kind == 7 ? 255 : 257, kind, m_db));
  StoreForm(m_db, 255, 7, "收购单七（旧）", 20);
  StoreForm(m_db, 257, 1, "月报表（旧）", 20);
  ASSERT_TRUE(DeleteFormDef(257, 9, m_db));
  ASSERT_TRUE(DeleteFormDef(300, 0, m_db));
  m_list->Refresh();
  Import(file, {SM_IDNO, SM_IDOK, SM_IDYES, SM_IDNO, SM_IDCANCEL});
  EXPECT_EQ(Shown(), (std::vector<std::string>{
                         "收购单\n\n　　已存在，覆盖吗？",
                         "收购单\n\n　　系统不能产生该种文档模扳的复件！",
                         "收购单七（旧）\n\n　　已存在，覆盖吗？",
                         "统计表\n\n　　已存在，覆盖吗？",
                         "月报表\n\n　　已存在，覆盖吗？",
                         "系统不能接受该种文档模扳：300-0！",
                         "已成功地从文件：" + file + "中载入文档结构！",
                     }));
  EXPECT_EQ(CSmMessageService::Instance().Shown().front().flags,
            unsigned{SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION});
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmFormList Where nFlag=255"), 2);
  EXPECT_EQ(Title(255, 7), "收购单七");
  EXPECT_EQ(PageRow(255, 7), 30);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SmFormList Where nFlag=255 And nForm=7"), 1);
  EXPECT_EQ(Title(257, 2), "统计表");  // the copy, shown as a kind of its template
  EXPECT_GE(m_list->RowOf(257, 2), 0);
  EXPECT_EQ(Title(257, 1), "月报表（旧）");
  EXPECT_EQ(PageRow(257, 1), 20);
  EXPECT_EQ(Title(257, 9), "年报表");
  EXPECT_EQ(PageRow(257, 9), 44);
  EXPECT_EQ(Title(300, 0), "(none)");
  EXPECT_TRUE(TempIsEmpty());
}

// Every row of the forms tables, to see that a refused import changes none.
std::vector<std::string> FormRows(CSmDatabase* db) {
  std::vector<std::string> rows[2];
  db->QueryStrings(
      "Select rtrim(sFna),Cast(nForm As Char(12)) From SmFormList Order By nFlag,nForm", rows, 2);
  rows[0].insert(rows[0].end(), rows[1].begin(), rows[1].end());
  return rows[0];
}

TEST_P(FormStructureFileTest, NothingToExportOrLoadChangesNothing) {
  // A kind without a stored form, or a dialog cancelled, writes no file.
  const std::string none = SmTestHome() + "/none." + StructExt();
  Select({{255, 1}});
  Export(none);
  EXPECT_EQ(Shown(), std::vector<std::string>{"没有卸出文档结构！"});
  EXPECT_FALSE(QFile::exists(QString::fromStdString(none)));
  StoreForm(m_db, 255, 1, "过磅单");
  SmResetMessages();
  m_list->OnCommand(SM_ID_EXPORT_STRUCTURE);
  EXPECT_TRUE(Shown().empty());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(none)));
  EXPECT_TRUE(TempIsEmpty());

  const std::string good = SmTestHome() + "/good." + StructExt();
  Export(good);
  QFile file(QString::fromStdString(good));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string whole = file.readAll().toStdString();
  file.close();
  StoreForm(m_db, 255, 1, "过磅单（新）");
  const std::vector<std::string> rows = FormRows(m_db);
  const size_t block = whole.find("SmFormList(");
  ASSERT_NE(block, std::string::npos);
  const size_t count = block + whole.substr(block).find(')') + 1 + 16;
  std::string miscounted = whole;
  miscounted.replace(count, 4, std::string("\xFF\xFF\xFF\x7F", 4));
  std::string overlong = whole;
  overlong[block - 1] = '\xFF';  // the block's name reads as a text of thousands of bytes

  const std::string cases[] = {"",
                               "这不是文档结构文件",
                               whole.substr(0, whole.size() / 2),
                               whole.substr(0, whole.size() - 3),
                               miscounted,
                               overlong};
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes.size());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();
    Import(good);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "没有可载入的文档结构！");
    EXPECT_EQ(FormRows(m_db), rows);
    EXPECT_TRUE(m_db->IsOpen());
    EXPECT_TRUE(TempIsEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(DataFile, FormStructureFileTest, testing::Values(0));

}  // namespace
