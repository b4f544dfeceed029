// The report evaluator: the report module's formula functions on child 3 of report 12, report
// sources read from ".QLN" and ".BSJ" files and from the data file (each loaded once), the
// source and connection functions, variables that refer to themselves, and adding sources.
#include <QDir>
#include <QTemporaryDir>

#include "core/SmPath.h"
#include "designer/CaculateChild.h"
#include "designer/RiloData.h"
#include "tests/designer/report_db_fixture.h"

namespace {

struct Result {
  bool ok = false;
  std::string text;
  int type = 0;
  int error = 0;
  std::string message;
};

Result Eval(CCaculateChild& calc, const std::string& formula) {
  Result r;
  r.ok = calc.Evaluate(formula, r.text, r.type);
  int position = 0;
  calc.GetErrorInfo(r.error, r.message, position);
  return r;
}

// A sheet of `rows` × `cols` with the given texts.
CRiloData Sheet(int rows, int cols, std::vector<std::string> texts) {
  CRiloData sheet;
  sheet.m_rows = rows;
  sheet.m_cols = cols;
  texts.resize(static_cast<size_t>(rows * cols));
  sheet.m_texts = texts;
  sheet.m_rowHeights.assign(static_cast<size_t>(rows), 70);
  sheet.m_colWidths.assign(static_cast<size_t>(cols), 300);
  sheet.m_lineStyles.assign(static_cast<size_t>((rows + 1) * (cols + 1)), {0, 0});
  sheet.m_lineColors = sheet.m_lineStyles;
  sheet.m_backColors.assign(texts.size(), 0xFFFFFF);
  sheet.m_layout3.assign(texts.size(), {0, 0});
  sheet.m_layout4 = sheet.m_layout3;
  sheet.m_layout5 = sheet.m_layout3;
  sheet.m_numberFormats.assign(texts.size(), {2, 2});
  return sheet;
}

// The cells of child 3 of report 12:  A1 "1"  B1 "2" / A2 "3"  B2 "1,000" / A3 "-4.50"  B3 "abc".
const std::vector<std::string> kCells = {"1", "2", "3", "1,000", "-4.50", "abc"};

class CaculateChildTest : public ReportDbTest {
 protected:
  void SetUp() override {
    ReportDbTest::SetUp();
    m_app.m_env.SetConnInfo(m_db->GetConnInfo());
  }
  std::string Zw() { return CCaculateChild::GetAppDataFileName(); }
  // An evaluator on child 3 of report 12, the current cell B3, with the report's variables.
  void OnChild(CCaculateChild& calc) {
    calc.m_defaultSource.SetSource(Zw() + "\\12\\3", 3, 2, kCells);
    calc.m_defaultSource.m_nCol = 1;
    calc.m_defaultSource.m_nRow = 2;
    FindSmDataType(3)->GetDefaultVars(calc.m_vars);
  }
  // Report 12 and its child 3 (values in the fourth layer) stored in the data file.
  void StoreChild(CSmDatabase* db, const std::vector<std::string>& values) {
    std::vector<std::string> texts;
    for (const std::string& v : values) texts.push_back("\x01\x01\x01" + v);
    ASSERT_TRUE(Sheet(3, 2, {}).SaveToDb(12, {}, false, db));
    CRiloData child = Sheet(3, 2, texts);
    child.m_tableName = "三月";
    ASSERT_TRUE(child.SaveToDb(12, "3", false, db));
  }
  std::string Folder() { return GetPathFolder(m_db->GetFileName()); }
  // The SYSTAB row of a data file (a fresh server database has none).
  static void SetSysTab(CSmDatabase& db, const std::string& values) {
    ASSERT_TRUE(db.ExecuteSQL("Delete From SYSTAB"));
    ASSERT_TRUE(db.ExecuteSQL("Insert Into SYSTAB(NA,KJ,T1) Values(" + values + ")"));
  }
};

INSTANTIATE_TEST_SUITE_P(Kinds, CaculateChildTest, testing::Values(0, 2));

struct Case {
  std::string formula;
  bool ok;
  std::string text;  // result, or a text the message holds on failure
  int type;          // result type, or the error code on failure
};

void ExpectCase(CCaculateChild& calc, const Case& c) {
  const Result r = Eval(calc, c.formula);
  EXPECT_EQ(r.ok, c.ok) << c.formula << " " << r.message;
  if (c.ok) {
    EXPECT_EQ(r.text, c.text) << c.formula;
    EXPECT_EQ(r.type, c.type) << c.formula;
  } else {
    EXPECT_EQ(r.error, c.type) << c.formula;
    EXPECT_NE(r.message.find(c.text), std::string::npos) << c.formula << " " << r.message;
  }
}

TEST_P(CaculateChildTest, FunctionsOnAChildTable) {
  const Case cases[] = {
      {"bbxh()", true, "12", 100},
      {"bbxh(1)", true, "3", 100},
      {"bbxh(2)", true, "", 100},
      {"bbxh(1,2)", false, "函数参数数目过多！", -12},
      {"dir(1,zw()+\"\\12\")=zw()", true, "1", 4},  // a master's folder is the data file
      {"dirt()", true, "3", 5},
      {"dirn()", true, "3", 4},
      {"dirt(1)", true, "12", 5},
      {"dirn(0,\"a\\x1\")", false, "数据类型不匹配！", -14},
      {"#jc", true, "1", 4},
      {"dir(2)=zw()", true, "1", 4},
      {"char(0)", true, "", 5},
      {"char(28)", true, "AB", 5},
      {"char(53)", true, "BA", 5},
      {"#u", true, "B3", 5},
      {"row()+col()", true, "5", 4},
      {"sum(A1:B2)", true, "7.000000", 4},
      {"sum(\"B2:A1\")", true, "7.000000", 4},
      {"sum(A1:C9)", true, "2.500000", 4},  // clamped to the table
      {"sum(A1;A2:A3)", true, "-0.500000", 4},
      {"count(A1:B3,,0)", true, "0.000000", 4},
      {"count(A1:B3,,vert()=2)", true, "2.000000", 4},
      {"count(A1:B3,,#k)", true, "0.000000", 4},
      {"horz()+vert()", true, "2", 4},  // before any group function
      {"count(A1:B3,,\"x\")", false, "数据类型不匹配！", -14},
      {"get(A1:B2)", false, "报表区域参数出错！", -200},
      {"get(A1;B1)", false, "报表区域参数出错！", -200},
      {"get(A1,a;b)", false, "文件名参数不能多于两个文件！", -203},
      {"get(B2)", true, "1,000", 5},
      {"get(A3)", true, "-4.5", 4},
      {"#t", true, "abc", 5},
      {"get(A0)", false, "报表区域参数出错！", -200},
      {"get(a1)", false, "报表区域参数出错！", -200},
      {"get(AAA1)", false, "报表区域参数出错！", -200},
      {"get(A1000)", false, "报表区域参数出错！", -200},
      {"page()", true, "\x14", 5},
      {"totalpage()", true, "\x15", 5},
      {"page(1)", false, "函数参数数目过多！", -12},
      {"SUM(A1)", false, "函数名出错！", -7},
      {"bb(a;b)", false, "文件名参数不能多于两个文件！", -203},
      {"bb(\";\")", false, "无此报表！", -202},  // quoted: a name, and no such report
      {"rownum()*10+colnum()", true, "32", 4},
      {"bsj()", true, "3", 5},
      {"qln()", true, "12", 5},
      {"zw()=dir(2)", true, "1", 4},
      {"#t4", false, "数据类型不匹配！", -14},
      {"#t100", true, "x", 5},
  };
  for (const Case& c : cases) {
    CCaculateChild calc;
    OnChild(calc);
    calc.m_vars.Add(CSmVar("#t4", "\"x\"", SM_VAR_NUMBER, ""));
    calc.m_vars.Add(CSmVar("#t100", "\"x\"", SM_VAR_ANY, ""));
    ExpectCase(calc, c);
  }
}

// Numbers past the int range, in arguments and report references, and arguments that asked for
// billions of steps: each is the evaluator's error or its plain result, at once. The first one
// ended the program.
TEST_P(CaculateChildTest, HostileNumbersGiveTheEvaluatorsError) {
  const Case cases[] = {
      {"bb(\"\\99999999999\")", false, "无此报表！", -202},
      {"bb(zw()+\"\\99999999999\\3\")", false, "无此报表！", -202},
      {"bbna(\"\\99999999999\")", false, "函数参数超出范围！", CAC_ERR_ARG_RANGE},
      {"char(99999999999)", false, "函数参数超出范围！", CAC_ERR_ARG_RANGE},
      {"char(-2147483648)", true, "", 5},
      {"char(-99999999999*99999999999)", false, "函数参数超出范围！", CAC_ERR_ARG_RANGE},
      {"bbxh(-99999999999)", false, "函数参数超出范围！", CAC_ERR_ARG_RANGE},
      {"dir(2147483647)", true, "", 5},
      {"dirt(99999999999)", false, "函数参数超出范围！", CAC_ERR_ARG_RANGE},
      {"co(99999999999)", false, "函数参数超出范围！", CAC_ERR_ARG_RANGE},
      {"count(A1:B3,,99999999999)", true, "6.000000", 4},
      {"count(A1:B3,,0.9)", true, "0.000000", 4},
  };
  for (const Case& c : cases) {
    CCaculateChild calc;
    OnChild(calc);
    ExpectCase(calc, c);
  }
  // Cells holding numbers past a double's range gave totals of "inf" or "nan", or nothing.
  const Case cells[] = {
      {"get(A1)", false, "数字出错！", -3},
      {"sum(A1:B1)", false, "数字出错！", -3},
      {"sum(C1:D1)", false, "数字出错！", -3},  // each one fits, their total does not
      {"get(E1)", true, "1e999", 5},            // no number text
  };
  for (const Case& c : cells) {
    CCaculateChild calc;
    const std::string big(400, '9');
    const std::string huge = "1" + std::string(308, '0');
    calc.m_defaultSource.SetSource("大数", 1, 5, {big, "-" + big, huge, huge, "1e999"});
    ExpectCase(calc, c);
  }
}

// A group function inside the condition of another that does not read the visiting cell is
// computed once and kept while the outer one runs, with the same total and the same cell for
// vert() and horz() after it; one that does read it, also through a variable, is computed at
// every cell. A1 1, B1 2 / A2 3, B2 "1,000" / A3 -4.50, B3 "abc".
TEST_P(CaculateChildTest, NestedGroupFunctionsKeepTheirTotalsAndTheirLastCell) {
  const Case cases[] = {
      {"count(A1:B3,,count(A1:B3,,count(A1:B3)>0)>0)", true, "6.000000", 4},
      {"count(A1:B3,,count(A2:B2)+vert()=4)", true, "6.000000", 4},  // vert() of A2:B2's end
      {"count(A1:B3,,count(A1:A3)+horz()=4)", true, "6.000000", 4},  // horz() of column A
      {"count(A1:B3,,count(C5:D9)+vert()=2)", true, "2.000000", 4},  // visits nothing
      {"sum(A1:B3,,sum(A1:A3)<vert())", true, "2.500000", 4},
      {"count(A1:B3,,count(A1:B3,,vert()<=2)=4)", true, "6.000000", 4},
      {"count(A1:B3,,sum(#rg)>2)", true, "2.000000", 4},    // the range follows the outer row
      {"count(A1:B3,,sum(#deep)>2)", true, "2.000000", 4},  // through two variables
      {"count(A1:B3,,count(A1:B3,,\"x\")>0)", false, "数据类型不匹配！", -14},
  };
  for (const Case& c : cases) {
    CCaculateChild calc;
    OnChild(calc);
    calc.m_vars.Add(CSmVar("#rg", "\"A\"+vert()", SM_VAR_TEXT, ""));
    calc.m_vars.Add(CSmVar("#deep", "#rg", SM_VAR_ANY, ""));
    ExpectCase(calc, c);
  }
  // Four levels over 900 cells: 900 to the fourth power conditions when each level is
  // computed at every cell of the one around it.
  CCaculateChild calc;
  calc.m_defaultSource.SetSource("大表", 30, 30, std::vector<std::string>(900, "1"));
  const Result r =
      Eval(calc, "count(A1:AD30,,count(A1:AD30,,count(A1:AD30,,count(A1:AD30)>0)>0)>0)");
  EXPECT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.text, "900.000000");
}

TEST_P(CaculateChildTest, WithoutADefaultReport) {
  CCaculateChild calc;
  ASSERT_TRUE(calc.Prepare());  // no "#d": nothing to load
  Result r = Eval(calc, "bb()");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, -202);
  EXPECT_EQ(r.message, "无此报表！");
  r = Eval(calc, "sum(A1)");
  EXPECT_EQ(r.error, -201);
  EXPECT_EQ(r.message, "未设置默认报表！");

  // "#d" naming a report that is not there, or failing itself.
  calc.m_vars.Add(CSmVar("#d", "\"x.QLN\"", SM_VAR_TEXT, ""));
  EXPECT_FALSE(calc.Prepare());
  EXPECT_EQ(calc.GetErrorCode(), -211);
  CCaculateChild other;
  other.m_vars.Add(CSmVar("#d", "1/0", SM_VAR_TEXT, ""));
  EXPECT_FALSE(other.Prepare());
  EXPECT_EQ(other.GetErrorCode(), -212);
}

TEST_P(CaculateChildTest, SelfReferringVariableFailsNamingIt) {
  CCaculateChild calc;
  calc.m_vars.Add(CSmVar("#a", "#b+1", SM_VAR_NUMBER, ""));
  calc.m_vars.Add(CSmVar("#b", "#a", SM_VAR_ANY, ""));
  calc.m_vars.Add(CSmVar("#self", "#self", SM_VAR_ANY, ""));
  Result r = Eval(calc, "1+#a");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, CAC_ERR_NESTING);
  EXPECT_TRUE(r.message == "#a：公式嵌套层数过多！" || r.message == "#b：公式嵌套层数过多！")
      << r.message;
  r = Eval(calc, "#self");
  EXPECT_EQ(r.message, "#self：公式嵌套层数过多！");
}

TEST_P(CaculateChildTest, SourcesFromFilesAndTheDataFileLoadOnce) {
  QTemporaryDir dir;
  const std::string folder = SmBackslashPath(dir.path().toStdString());
  const std::string qln = folder + "\\R.QLN";
  const std::string bsj = folder + "\\R\\1\\c.BSJ";
  ASSERT_TRUE(QDir().mkpath(dir.path() + "/R/1"));
  ASSERT_TRUE(Sheet(1, 2, {"\x1BG5\x01=1+1\x01", "x\x1BH\x01"}).SaveFile(SmNativePath(qln)));
  ASSERT_TRUE(Sheet(2, 1, {"7", "8.25"}).SaveFile(SmNativePath(bsj)));
  ASSERT_NO_FATAL_FAILURE(StoreChild(m_db, {"10", "20", "30", "", "", ""}));

  CCaculateChild calc;
  calc.m_vars.Add(CSmVar("#q", "\"" + qln + "\"", SM_VAR_TEXT, ""));
  calc.m_vars.Add(CSmVar("#b", "\"" + bsj + "\"", SM_VAR_TEXT, ""));
  calc.m_vars.Add(CSmVar("#g", "get(A1,#q)+get(B1,#q)", SM_VAR_ANY, ""));
  const auto read = [&] {
    return std::vector<std::string>{Eval(calc, "#g").text, Eval(calc, "sum(A1:A2,#b)").text,
                                    Eval(calc, "sum(A1:B2,zw()+\"\\12\\3\")").text,
                                    Eval(calc, "get(A2,zw()+\"\\12\\3\")").text};
  };
  const std::vector<std::string> expected = {"5x", "15.250000", "60.000000", "30"};
  EXPECT_EQ(read(), expected);

  // The sources change under the run: what was read stays, even what nested evaluators read.
  ASSERT_TRUE(Sheet(1, 2, {"9", "9"}).SaveFile(SmNativePath(qln)));
  ASSERT_TRUE(Sheet(2, 1, {"9", "9"}).SaveFile(SmNativePath(bsj)));
  ASSERT_NO_FATAL_FAILURE(StoreChild(m_db, {"9", "9", "9", "9", "9", "9"}));
  EXPECT_EQ(read(), expected);

  // A new run reads them again.
  CCaculateChild fresh;
  EXPECT_EQ(Eval(fresh, "sum(A1:B2,zw()+\"\\12\\3\")").text, "36.000000");
  EXPECT_EQ(Eval(fresh, "get(B1,\"" + qln + "\")").text, "9");
}

TEST_P(CaculateChildTest, SourceFunctionsAndTheirTypes) {
  QTemporaryDir dir;
  const std::string folder = SmBackslashPath(dir.path().toStdString());
  ASSERT_TRUE(QDir().mkpath(dir.path() + "/R/1"));
  ASSERT_TRUE(QDir().mkpath(dir.path() + "/S"));
  ASSERT_TRUE(Sheet(1, 1, {}).SaveFile(SmNativePath(folder + "\\R.QLN")));
  ASSERT_TRUE(Sheet(1, 1, {}).SaveFile(SmNativePath(folder + "\\R\\1\\c.BSJ")));
  ASSERT_TRUE(Sheet(1, 1, {}).SaveFile(SmNativePath(folder + "\\S\\d.BSJ")));
  ASSERT_NO_FATAL_FAILURE(StoreChild(m_db, {}));
  ASSERT_NO_FATAL_FAILURE(SetSysTab(*m_db, "'厂','',''"));

  CCaculateChild calc;
  calc.m_defaultSource.SetSource(Zw() + "\\12\\3", 3, 2, kCells);
  FindSmDataType(3)->GetDefaultVars(calc.m_vars);
  const std::string child = folder + "\\R\\1\\c.BSJ";
  const Case cases[] = {
      {"#jc", true, "1", 4},
      {("qln(\"" + child + "\")=\"" + folder + "\\R.QLN\""), true, "1", 4},
      {("qln(\"" + folder + "\\S\\d.BSJ\")"), true, "", 5},  // no master above it
      {("bsj(\"" + child + "\")"), true, child, 5},
      {("bsj(\"" + folder + "\\R.QLN\")"), true, "", 5},
      {("rownum(\"" + child + "\")"), true, "1", 4},
      {("bb(zw()+\"\\12\\3\")"), true, Zw() + "\\12\\3", 5},
      {"colnum(zw()+\"\\12\\3\")", true, "2", 4},
      {"co(0,zw())", true, "厂", 5},
      {"bbna()", true, "三月", 5},
      {"bbna(zw()+\"\\12\\4\")", true, "", 5},
  };
  for (const Case& c : cases) {
    const Result r = Eval(calc, c.formula);
    EXPECT_EQ(r.ok, c.ok) << c.formula << " " << r.message;
    EXPECT_EQ(r.text, c.text) << c.formula;
    EXPECT_EQ(r.type, c.type) << c.formula;
  }
}

TEST_P(CaculateChildTest, CoReadsSystabOfEachDataFile) {
  ASSERT_NO_FATAL_FAILURE(SetSysTab(*m_db, "'本厂','甲','t1'"));
  m_app.m_env.SetOperatorName("张三");
  CSmDatabase other(GetParam());
  CSmDatabase third(GetParam());
  if (GetParam() == 0) {
    ASSERT_TRUE(other.Open(SmCreateTestDataFile(2025, Folder())));
    ASSERT_TRUE(third.Open(SmCreateTestDataFile(2024, Folder())));
  } else {
    ASSERT_NO_FATAL_FAILURE(OpenFresh(other, "co2", 2025));
    ASSERT_NO_FATAL_FAILURE(OpenFresh(third, "co3", 2024));
  }
  ASSERT_NO_FATAL_FAILURE(SetSysTab(other, "'去年','乙',''"));
  ASSERT_NO_FATAL_FAILURE(SetSysTab(third, "'前年','',''"));
  const std::string otherName = SmBackslashPath(other.GetFileName());
  const std::string thirdName = SmBackslashPath(third.GetFileName());
  other.Close();
  third.Close();

  CCaculateChild calc;
  // Without "#z" any file name falls back to the application's connection.
  EXPECT_EQ(Eval(calc, "co(0,\"" + otherName + "\")").text, "本厂");
  EXPECT_EQ(Eval(calc, "co()").error, -6);

  calc.m_vars.Add(CSmVar("#z", "\"" + otherName + "\"", SM_VAR_TEXT, ""));
  const Case cases[] = {
      {("co(0,zw())"), true, "本厂", 5},
      {("co(1,zw())"), true, "甲", 5},
      {("co(2,zw())"), true, "t1", 5},
      {("co(3)"), true, "张三", 5},
      {("co()"), true, "去年", 5},
      {("co(1)"), true, "乙", 5},
      {("co(0,\"" + thirdName + "\")"), true, "前年", 5},
      {("co(0,\"" + thirdName + "x\")"), false, "打开数据库失败！", -206},
  };
  for (const Case& c : cases) {
    const Result r = Eval(calc, c.formula);
    EXPECT_EQ(r.ok, c.ok) << c.formula << " " << r.message;
    EXPECT_EQ(c.ok ? r.text : r.message, c.text) << c.formula;
    EXPECT_EQ(c.ok ? r.type : r.error, c.type) << c.formula;
  }
  if (GetParam() == 0) {
    // "#z1" names last year's file beside this one through "..".
    FindSmDataType(3)->GetDefaultVars(calc.m_vars);
    EXPECT_EQ(Eval(calc, "co(0,#z1)").text, "去年");
  }
}

TEST(CalcContext, MergeAddsNumbersOnlyAndKeepsTheSize) {
  CSmCalcContext total;
  CSmCalcContext part;
  part.SetSource("p", 2, 2, {"100", "abc", "1,5", "250"});
  total.Merge(part, {}, 0, 2);  // an empty total takes the first part
  EXPECT_EQ(total.Cells(), part.Cells());

  CSmCalcContext wide;
  wide.SetSource("w", 3, 3, {"1.005", "2", "3", "4", "", "6", "7", "8", "9"});
  // Flags per cell of the added source: the second cell's first flag skips it.
  total.Merge(wide, {{0, 0}, {-1, 0}, {0, 0}, {0, 0}, {0, 0}}, 1, 2);
  EXPECT_EQ(total.m_nRows, 2);
  EXPECT_EQ(total.m_nCols, 2);
  // 100 + 0.1005 with two decimals; "abc" and "1,5" are no numbers; 250 + empty (0).
  EXPECT_EQ(total.Cells(), (std::vector<std::string>{"100.1", "abc", "1,5", "250"}));
  EXPECT_EQ(wide.m_nRows, 3);

  CSmCalcContext unloaded;
  total.Merge(unloaded, {}, 0, 2);
  EXPECT_EQ(total.Cells(), (std::vector<std::string>{"100.1", "abc", "1,5", "250"}));

  // A sum past a double's range leaves the cell as it was.
  const std::string big(400, '9');
  CSmCalcContext huge;
  huge.SetSource("h", 2, 2, {big, "1", "2", "3"});
  total.Merge(huge, {}, 0, 2);
  EXPECT_EQ(total.Cells(), (std::vector<std::string>{"100.1", "abc", "1,5", "253"}));
}

TEST(CalcContext, WholeReportCellsKeepTheirMasterTextOnly) {
  CSmCalcContext report;
  report.SetSource("x\\R.qln", 1, 1, {"\x1BG12\x1BH\x01=A1\x01"});
  EXPECT_EQ(report.GetCellText(0, 0), "12");
  CSmCalcContext child;
  child.SetSource("x\\R.BSJ", 1, 1, {"\x1BG12\x01"});
  EXPECT_EQ(child.GetCellText(0, 0), "\x1BG12\x01");
  EXPECT_EQ(child.GetCellText(1, 0), "");
}

}  // namespace
