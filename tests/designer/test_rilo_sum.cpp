// Report summing: the settings and program kept in the note text, the program's reading and its
// runs over data files and server databases, the summing dialog and the view's command.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <string>
#include <vector>

#include "app/SmServerYearFile.h"
#include "core/SmPath.h"
#include "designer/RiloSumDlg.h"
#include "designer/RiloSumProgram.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmModalScript.h"
#include "tests/designer/report_sources_fixture.h"
#include "tests/designer/rilo_view_fixture.h"

namespace {

// Runs the program with a runner that records each block as "key=value@line;..." and adds no
// reference; returns the error.
std::string Blocks(const std::string& program, std::vector<std::string>& blocks) {
  std::vector<std::string> refs;
  return RiloRunSumProgram(
      program,
      [&blocks](const SmRiloSumBlock& block, std::vector<std::string>&) {
        std::string text;
        for (size_t k = 0; k < 5; ++k)
          if (!block.values[k].empty() || block.lines[k])
            text += std::to_string(k) + "=" + block.values[k] + "@" +
                    std::to_string(block.lines[k]) + ";";
        blocks.push_back(text);
        return std::string();
      },
      refs);
}

}  // namespace

TEST(RiloSumNote, SettingsPrefixOnlyWhenNotTheDefaults) {
  EXPECT_EQ(RiloSumNote({0, 2, 1}, "开始"), "开始");
  EXPECT_EQ(RiloSumNote({3, 0, 1}, "开始"), "301\x1B开始");
  EXPECT_EQ(RiloSumNote({0, 2, 0}, ""), "020\x1B");

  SmRiloSumSettings settings;
  std::string program;
  RiloReadSumNote("301\x1B开始\r\n结束", settings, program);
  EXPECT_EQ(settings.scale, 3);
  EXPECT_EQ(settings.decimals, 0);
  EXPECT_EQ(settings.clear, 1);
  EXPECT_EQ(program, "开始\r\n结束");
  // The escape byte elsewhere: the program still starts after it, the settings stay default.
  RiloReadSumNote("31\x1Bxyz", settings, program);
  EXPECT_TRUE(settings.IsDefault());
  EXPECT_EQ(program, "xyz");
  RiloReadSumNote("开始 文件 tsd", settings, program);
  EXPECT_TRUE(settings.IsDefault());
  EXPECT_EQ(program, "开始 文件 tsd");
}

TEST(RiloSumProgram, TemplateNamesTheTypeCodeAndReadsAsOneEmptyBlock) {
  const std::string program = RiloSumProgramTemplate("tsd");
  EXPECT_EQ(program.substr(0, program.find("//")), "开始\r\n  文件 tsd ");
  std::vector<std::string> blocks;
  EXPECT_EQ(Blocks(program, blocks), "");
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0], "0=tsd@2;1=@3;2=@4;3=@5;4=@6;");
}

TEST(RiloSumProgram, ValuesRunOverLinesAndCommentsAreSkipped) {
  std::vector<std::string> blocks;
  const std::string program =
      "/* 两个\r块 */开始 年度 2014:\r\n  2016 // 年份\n\t母表号 9:10 子表号 a\\#xh;.\n结束\r"
      "开始 文件 abc 结束\n账套 d:/x";  // a key outside a block, and an unclosed block: dropped
  EXPECT_EQ(Blocks(program, blocks), "");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0], "2=2014:2016@2;3=9:10@4;4=a\\#xh;.@4;");
  EXPECT_EQ(blocks[1], "0=abc@6;");
}

TEST(RiloSumProgram, ErrorsGiveTheLineAndKeepTheReferencesFound) {
  struct Case {
    const char* program;
    const char* error;
    size_t refs;
  } const cases[] = {
      {"开始 结束\r\n\r\nx", "第3行错误：\n\n无先导词！", 1},
      {"开始 结束\n\n结束", "第3行错误：\n\n“结束”无“开始”配对！", 1},
      {"开始\n/* 注释\n*/ 开始", "第3行错误：\n\n“开始”无“”配对！", 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> refs;
    const std::string error = RiloRunSumProgram(
        c.program,
        [](const SmRiloSumBlock&, std::vector<std::string>& found) {
          found.push_back("甲\\1\\a");
          found.push_back("甲\\1\\A");  // the same without regard to case
          return std::string();
        },
        refs);
    EXPECT_EQ(error, c.error) << c.program;
    EXPECT_EQ(refs.size(), c.refs) << c.program;
  }
  // A block's own error ends the run too.
  std::vector<std::string> refs;
  EXPECT_EQ(RiloRunSumProgram(
                "开始 结束 开始 结束",
                [](const SmRiloSumBlock&, std::vector<std::string>& found) {
                  found.push_back("x");
                  return found.size() > 1 ? std::string("停") : std::string();
                },
                refs),
            "停");
  EXPECT_EQ(refs.size(), 1u);  // "x" twice is one reference
}

TEST(RiloSumProgram, ChildPatternsAndTheSourceList) {
  EXPECT_EQ(RiloSumChildPattern(" . ", "1\\02"), "1\\02");
  EXPECT_EQ(RiloSumChildPattern("9\\#xh%", "1\\02"), "9\\02%");
  EXPECT_EQ(RiloSumChildPattern("#XH", "7"), "7");
  // A line keeps the blanks before its end; the last line is trimmed with the text.
  const std::vector<std::string> expected = {"a.BSJ", "b b ", "c"};
  EXPECT_EQ(RiloSplitSumList("\r\n  a.BSJ\r\n\r\n\tb b \rA.bsj\n c \n"), expected);
  EXPECT_TRUE(RiloSplitSumList(" \r\n\t").empty());
}

namespace {

constexpr const char* kChild = "1\\02";

// A child-table cell string holding only the child value.
std::string ChildCell(const std::string& value) {
  return "\x01\x01\x01" + value;
}

// Report 5 with a child table of the values (cols x rows) stored in the data file or database.
void StoreChild(CSmDatabase& db, int cols, int rows, const std::vector<std::string>& values,
                const std::string& subNo = kChild) {
  CRiloData sheet = Sheet(cols, rows);
  ASSERT_TRUE(sheet.SaveToDb(5, {}, false, &db));
  for (size_t i = 0; i < values.size(); ++i) sheet.m_texts[i] = ChildCell(values[i]);
  ASSERT_TRUE(sheet.SaveToDb(5, subNo, false, &db));
}

void SetList(QWidget* dlg, const std::string& list) {
  Press(dlg, CRiloSumDlg::kEditSources);
  Control<QPlainTextEdit>(dlg, CRiloSumDlg::kText)->setPlainText(QString::fromStdString(list));
}

std::string Edited(QWidget* dlg) {
  return Control<QPlainTextEdit>(dlg, CRiloSumDlg::kText)->toPlainText().toStdString();
}

void SpinScale(QWidget* dlg, bool up) {
  const QList<QToolButton*> arrows =
      Find<QWidget>(dlg, CRiloSumDlg::kScaleSpin)->findChildren<QToolButton*>();
  ASSERT_EQ(arrows.size(), 2);
  arrows[up ? 0 : 1]->click();
}

}  // namespace

class RiloSumSourcesTest : public ReportSourcesTest {
 protected:
  // A yearly data file in `folder`, or the server database of set `code`, with report 5.
  std::string MakeYear(const std::string& folder, const std::string& code, int year,
                       const std::string& subNo = kChild) {
    CSmDatabase db(GetParam());
    std::string name;
    if (GetParam() == 0) {
      name = SmCreateTestDataFile(year, folder);
      EXPECT_TRUE(db.Open(name));
    } else {
      name = SmServerDatabaseName("sm", code, year);
      SmFreshServerDatabase(db, name);
      m_app.AfterOpen(&db);
    }
    StoreChild(db, 2, 1, {"1", "2"}, subNo);
    StoreChild(db, 2, 1, {"1", "2"}, "1\\03");
    StoreChild(db, 2, 1, {"1", "2"}, "2\\02");
    return name;
  }

  std::string Run(const std::string& program, std::vector<std::string>& refs) {
    const SmRiloSumTarget target{"tsd", m_db->GetFileName(), 5, kChild};
    return RiloRunSumProgram(
        program,
        [&](const SmRiloSumBlock& block, std::vector<std::string>& found) {
          return GetParam() == 0 ? RiloSumBlockFiles(block, target, found)
                                 : RiloSumBlockServer(block, target, *m_db, found);
        },
        refs);
  }
};

INSTANTIATE_TEST_SUITE_P(Kinds, RiloSumSourcesTest, testing::Values(0, 2));

TEST_P(RiloSumSourcesTest, BlocksListTheMatchingChildTablesOfEachYear) {
  const std::string folder = GetPathFolder(m_db->GetFileName());
  std::vector<std::string> refs;
  if (GetParam() == 0) {
    const std::string y2014 = MakeYear(folder, {}, 2014);
    const std::string y2016 = MakeYear(folder + "/下级", {}, 2016);
    // A data file that cannot be opened: its year is skipped with a message.
    QFile bad(QString::fromStdString(folder + "/2015.tsd"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a data file");
    bad.close();
    EXPECT_EQ(Run("开始 年度 2014:2016 结束", refs), "");
    const std::vector<std::string> expected = {y2014 + "\\5\\1\\02", y2016 + "\\5\\1\\02"};
    EXPECT_EQ(refs, expected);
    EXPECT_TRUE(Shown("打开数据库" + folder + "/2015.tsd失败！"));
    refs.clear();
    // Patterns: the own child number, its last part under another parent, the data file's
    // wildcards kept.
    EXPECT_EQ(Run("开始 账套 " + folder + "/ 年度 2014 子表号 .;#XH;?\\#xh;1\\0* 结束", refs), "");
    const std::vector<std::string> patterns = {y2014 + "\\5\\1\\02", y2014 + "\\5\\2\\02",
                                               y2014 + "\\5\\1\\03"};
    EXPECT_EQ(refs, patterns);
  } else {
    const std::string a = MakeYear({}, "0701", 2014);
    const std::string b = MakeYear({}, "0702", 2015);
    MakeYear({}, "0703", 2014, "9\\02");  // no child table that matches
    EXPECT_EQ(Run("开始 文件 sm 账套 0701:0703 年度 2014:2015 母表号 4:5 结束", refs), "");
    const std::vector<std::string> expected = {a + "\\5\\1\\02", b + "\\5\\1\\02"};
    EXPECT_EQ(refs, expected);
    refs.clear();
    EXPECT_EQ(Run("开始 文件 sm\n 账套 0703:0701 结束", refs), "第2行错误：\n\n账套号错误！");
    EXPECT_EQ(Run("开始 文件 sm 账套 701 结束", refs), "第1行错误：\n\n账套号错误！");
  }
  // The year and report-number errors name the line of their key.
  const std::string set = GetParam() == 0 ? "" : " 文件 sm 账套 0701 ";
  EXPECT_EQ(Run("开始" + set + "\n年度 2016:2014 结束", refs), "第2行错误：\n\n年度错误！");
  EXPECT_EQ(Run("开始" + set + "\n\n年度 16 结束", refs), "第3行错误：\n\n年度错误！");
  EXPECT_EQ(Run("开始" + set + "年度 2014\n母表号 10:9 结束", refs), "第2行错误：\n\n母表号错误！");
}

// The summing dialog driven through its controls from the view's command.
TEST_P(RiloSumSourcesTest, SumsChildTablesIntoTheChildLayerWithOneUndo) {
  QTemporaryDir dir;
  const std::string bsj = dir.path().toStdString() + "/来源.BSJ";
  CRiloData child = Sheet(3, 2);
  child.m_texts = {"1", "2", "3", "4", "5", "6"};
  ASSERT_TRUE(child.SaveFile(bsj));
  // A stored source with one row more than the target.
  StoreChild(*m_db, 3, 3, {"0.3", "1", "1", "1", "1", "1", "9", "9", "9"}, "1\\03");
  const std::string stored = m_db->GetFileName() + "\\5\\1\\03";

  CRiloDoc* doc = ReportTemplate()->OpenReportDocument({{}, SM_RILO_FILE, -1, {}, 0});
  ASSERT_NE(doc, nullptr);
  CRiloData sheet = Sheet(3, 2);
  const std::vector<std::string> values = {"10", "文字", "1,000", "", "3", "7"};
  for (size_t i = 0; i < values.size(); ++i) sheet.m_texts[i] = ChildCell(values[i]);
  sheet.m_numberFormats.assign(6, {0, 2});
  sheet.m_numberFormats[5] = {-1, 0};  // a text-format cell
  sheet.m_reportName = "汇总表";
  doc->m_sheet = sheet;
  doc->m_storage = SM_RILO_DB;
  doc->m_nNo = 5;
  doc->m_subNo = kChild;
  doc->m_childOpen = 1;
  auto* view = dynamic_cast<CRiloView*>(doc->Views().front());
  ASSERT_NE(view, nullptr);
  CModalScript script;
  script.Then(839, [&](QWidget* dlg) {
    EXPECT_EQ(Control<QLabel>(dlg, CRiloSumDlg::kTargetLabel)->text().toStdString(),
              "汇总表\\1\\02");
    Control<QCheckBox>(dlg, CRiloSumDlg::kClear)->setChecked(false);
    SpinScale(dlg, true);
    SetList(dlg, bsj + "\r\n" + stored + "\r\n");
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // the size question
    Press(dlg, SM_ID_OK);
  });
  view->OnCommand(SM_ID_RILO_SUM);
  ASSERT_TRUE(script.Done());
  std::vector<std::string> result;
  doc->GetAllCellTexts(result, 3);
  const std::vector<std::string> expected = {"10.13", "文字", "1,000", "0.5", "3.6", "7"};
  EXPECT_EQ(result, expected);
  EXPECT_EQ(doc->m_editMode, 3);
  EXPECT_NE(ShownTexts().back().find("本报表和目标报表的行、栏不相等"), std::string::npos);
  EXPECT_EQ(doc->m_sheet.m_noteText, "120\x1B" + TrimChars(RiloSumProgramTemplate("tsd")));
  view->ApplyHistory(true);
  EXPECT_EQ(doc->m_sheet.m_texts, sheet.m_texts);
}

class RiloSumDlgTest : public RiloViewTest {
 protected:
  // A child table of a report kept in files, with the values.
  void OpenChild(const std::vector<std::string>& values) {
    CRiloData sheet = Sheet(2, 1);
    for (size_t i = 0; i < values.size(); ++i) sheet.m_texts[i] = ChildCell(values[i]);
    Open(sheet);
    m_doc->m_path = m_dir.path().toStdString() + "/表.QLN";
    m_doc->m_childPath = m_dir.path().toStdString() + "/表/1/c.BSJ";
    m_doc->m_childOpen = 1;
  }
  std::string Source(const std::string& name, const std::vector<std::string>& values) {
    CRiloData sheet = Sheet(2, 1);
    sheet.m_texts = values;
    const std::string path = m_dir.path().toStdString() + "/" + name;
    EXPECT_TRUE(sheet.SaveFile(path));
    return path;
  }
  int RunDlg(std::function<void(QWidget*)> action, std::vector<std::string>* values = nullptr) {
    CRiloSumDlg dlg(*m_doc);
    CModalScript script;
    script.Then(839, action);
    const int answer = dlg.DoModal();
    if (values) *values = dlg.Values();
    return answer;
  }
  QTemporaryDir m_dir;
};

TEST_F(RiloSumDlgTest, StoppedRunsStartAgainFromTheTargetAndTheClearFlagEmptiesNumbers) {
  OpenChild({"5", "x"});
  const std::string a = Source("a.BSJ", {"1.5", "2"});
  const std::string missing = m_dir.path().toStdString() + "/无.BSJ";
  std::vector<std::string> values;
  const int answer = RunDlg(
      [&](QWidget* dlg) {
        Press(dlg, SM_ID_OK);
        EXPECT_TRUE(Shown("无可汇总的报表！"));
        Control<QCheckBox>(dlg, CRiloSumDlg::kClear)->setChecked(false);
        SetList(dlg, a + "\r\n" + missing);
        CSmMessageService::Instance().QueueAnswer(SM_IDNO);
        Press(dlg, SM_ID_OK);  // stops at the missing source: the dialog stays
        EXPECT_TRUE(Shown(missing + "\n无法打开此报表！继续吗？"));
        CSmMessageService::Instance().QueueAnswer(SM_IDYES);
        Press(dlg, SM_ID_OK);  // skips it now
      },
      &values);
  ASSERT_EQ(answer, SM_IDOK);
  EXPECT_EQ(values, (std::vector<std::string>{"6.5", "x"}));  // a.BSJ added once
  // With the clear flag the target's numbers go first; texts stay.
  ASSERT_EQ(
      RunDlg(
          [&](QWidget* dlg) {
            EXPECT_FALSE(
                Control<QCheckBox>(dlg, CRiloSumDlg::kClear)->isChecked());  // kept from the run
            Control<QCheckBox>(dlg, CRiloSumDlg::kClear)->setChecked(true);
            SetList(dlg, a);
            Press(dlg, SM_ID_OK);
          },
          &values),
      SM_IDOK);
  EXPECT_EQ(values, (std::vector<std::string>{"1.5", "x"}));
}

TEST_F(RiloSumDlgTest, CancelAsksToKeepAnEditedProgram) {
  OpenChild({"5", "x"});
  m_doc->m_sheet.m_noteText.clear();
  // The default program opens; unchanged, cancel asks nothing and stores nothing.
  EXPECT_EQ(RunDlg([&](QWidget* dlg) {
              EXPECT_EQ(Edited(dlg), ReplaceAll(RiloSumProgramTemplate("tsd"), "\r\n", "\n"));
              EXPECT_FALSE(Find<QPushButton>(dlg, CRiloSumDlg::kEditProgram)->isEnabled());
              Press(dlg, SM_ID_CANCEL);
            }),
            SM_IDCANCEL);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_FALSE(m_doc->IsModified() && m_doc->m_changes[8]);
  // Changed settings: asked; No keeps nothing, Yes stores the prefix and the program.
  for (const int reply : {SM_IDNO, SM_IDYES}) {
    RunDlg([&](QWidget* dlg) {
      SpinScale(dlg, true);
      SpinScale(dlg, true);
      SpinScale(dlg, true);
      Control<QSpinBox>(dlg, CRiloSumDlg::kDecimals)->setValue(0);
      CSmMessageService::Instance().QueueAnswer(reply);
      Press(dlg, SM_ID_CANCEL);
    });
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "汇总程序被改变，认可吗？");
    EXPECT_EQ(m_doc->m_sheet.m_noteText,
              reply == SM_IDNO ? "" : "301\x1B" + TrimChars(RiloSumProgramTemplate("tsd")));
  }
  EXPECT_TRUE(m_doc->IsModified());
  // Back to the default settings and program: the note text empties again.
  RunDlg([&](QWidget* dlg) {
    EXPECT_EQ(Control<QLineEdit>(dlg, CRiloSumDlg::kScale)->text().toStdString(), "一千倍");
    for (int k = 0; k < 4; ++k) SpinScale(dlg, false);  // the fourth only beeps
    Control<QSpinBox>(dlg, CRiloSumDlg::kDecimals)->setValue(2);
    CSmMessageService::Instance().QueueAnswer(SM_IDYES);
    Press(dlg, SM_ID_CANCEL);
  });
  EXPECT_EQ(m_doc->m_sheet.m_noteText, "");
}
