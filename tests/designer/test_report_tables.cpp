// The report tables of a data file: their creation and the upgrade of older files, and a report
// sheet written to them and read back, on the data file and on the server.
#include "designer/RiloData.h"
#include "tests/designer/report_db_fixture.h"
#include "tests/designer/rilo_compare.h"

namespace {

const char* const kReportTables[] = {"bbInfo",  "bbInfo1", "bbInfo2", "bbInfo3",
                                     "bbInfo4", "bbInfo5", "bbInfo6", "bbInfo7"};
const char kUpgradeText[] = "需要为“报表的多级化”而升级本年度数据";

class CreateTablesTest : public ReportDbTest {
 protected:
  void CreateTables() {
    SmResetMessages();
    FindSmDataType(3)->CreateTables(m_db);
  }
  void ExpectAllTables() {
    for (const char* table : kReportTables) {
      EXPECT_TRUE(m_db->TableExists(table)) << table;
      // The engines keep an index named like its table under a name of its own.
      EXPECT_TRUE(m_db->IndexExists(std::string(table) + "_ix")) << table;
    }
  }
};

INSTANTIATE_TEST_SUITE_P(Kinds, CreateTablesTest, testing::Values(0, 2));

TEST_P(CreateTablesTest, FileWithoutReportTablesGetsThemWithoutUpgrade) {
  // The test file was made by an application with the report designer: the tables are there.
  ExpectAllTables();
  for (const char* table : kReportTables) ASSERT_TRUE(Run(std::string("Drop Table ") + table));
  ASSERT_TRUE(Run("Create Table FMT1(n Long)"));
  CreateTables();
  ExpectAllTables();
  EXPECT_TRUE(ShownTexts().empty());
  EXPECT_TRUE(m_db->TableExists("FMT1"));  // only a file that had report tables drops them
}

TEST_P(CreateTablesTest, CurrentLayoutOnlyDropsTheOldestStorage) {
  ASSERT_TRUE(Run("Insert into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(1,'','甲','')"));
  CreateTables();
  for (const char* table : {"FMT1", "FMT2", "FMT3", "SheetTab"})
    ASSERT_TRUE(Run(std::string("Create Table ") + table + "(n Long)"));
  CreateTables();
  for (const char* table : {"FMT1", "FMT2", "FMT3", "SheetTab"})
    EXPECT_FALSE(m_db->TableExists(table)) << table;
  EXPECT_TRUE(ShownTexts().empty());
  EXPECT_EQ(Count("Count(*) From bbInfo7"), 1);
}

TEST_P(CreateTablesTest, SingleLevelLayoutIsUpgradedOnce) {
  ASSERT_TRUE(Run("Drop Table bbInfo7"));
  ASSERT_TRUE(Run("Drop Table bbInfo6"));
  ASSERT_TRUE(Run("Create Table bbInfo6(nNo Long,nSubNo Long,nx Long,ny Long,sValue char(250))"));
  for (const char* row : {"(1,3,1,1,'a')", "(1,3,2,1,'b')", "(1,12,1,1,'c')", "(2,1,1,1,'d')"})
    ASSERT_TRUE(Run(std::string("Insert Into bbInfo6(nNo,nSubNo,nx,ny,sValue) Values") + row));
  for (const char* row : {"(1,'收购表')", "(2,'运费表')", "(3,'空表')"})
    ASSERT_TRUE(Run(std::string("Insert Into bbInfo(nNo,sNa) Values") + row));

  CreateTables();
  ASSERT_EQ(ShownTexts(), std::vector<std::string>{kUpgradeText});
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].flags, SM_MB_OK | SM_MB_ICONINFORMATION);
  EXPECT_EQ(Strings("Select rtrim(sNa) From bbInfo7 Where sSubNo='' Order By nNo"),
            (std::vector<std::string>{"收购表", "运费表", "空表"}));
  EXPECT_EQ(Strings("Select rtrim(sSubNo) From bbInfo7 Where nNo=1 And sSubNo<>'' Order By "
                    "sSubNo"),
            (std::vector<std::string>{"12", "3"}));
  EXPECT_EQ(Strings("Select rtrim(sNa) From bbInfo7 Where nNo=2 And sSubNo='1'"),
            std::vector<std::string>{"月"});
  EXPECT_EQ(Strings("Select rtrim(sValue) From bbInfo6 Where nNo=1 And sSubNo='3' Order By nx"),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(m_db->TableExists("bbInfotmp"));

  CreateTables();
  EXPECT_TRUE(ShownTexts().empty());
  EXPECT_EQ(Count("Count(*) From bbInfo7"), 6);
}

TEST_P(CreateTablesTest, FailedUpgradeKeepsTheChildValues) {
  ASSERT_TRUE(Run("Drop Table bbInfo7"));
  ASSERT_TRUE(Run("Drop Table bbInfo6"));
  ASSERT_TRUE(Run("Create Table bbInfo6(nNo Long,nSubNo Long,nx Long,ny Long,sValue char(250))"));
  ASSERT_TRUE(Run("Insert Into bbInfo6(nNo,nSubNo,nx,ny,sValue) Values(1,3,1,1,'a')"));
  ASSERT_TRUE(Run("Create Table bbInfotmp(n Long)"));  // makes the first step fail
  CreateTables();
  ASSERT_EQ(ShownTexts().size(), 2u);
  EXPECT_TRUE(IsSqlError(ShownTexts()[1]));
  EXPECT_EQ(Strings("Select rtrim(sValue) From bbInfo6 Where nNo=1 And nSubNo=3"),
            std::vector<std::string>{"a"});
  EXPECT_FALSE(m_db->TableExists("bbInfo7"));
}

// ---------------------------------------------------------------- a report in the tables

// Three rows, two columns, every kind of stored value with some off their defaults.
CRiloData SampleSheet() {
  CRiloData s;
  s.m_rows = 3;
  s.m_cols = 2;
  s.m_reportName = "收购日报";
  s.m_tableName = s.m_reportName;
  s.m_reportCode = "R'01";
  s.m_modifyPassword = "w1";
  s.m_readPassword = "r'1";
  s.m_rowHeights = {70, 80, 90};
  s.m_colWidths = {300, 0};
  s.m_lineStyles.assign(12, {1, 1});
  s.m_lineStyles[5] = {0, 2};
  s.m_lineColors.assign(12, {0, 0});
  s.m_lineColors[11] = {255, 0};
  s.m_backColors.assign(6, 0xFFFFFF);
  s.m_backColors[1] = 0xFF;
  s.m_layout3.assign(6, {0, 0});
  s.m_layout3[2] = {1, 2};
  s.m_layout4.assign(6, {0, 0});
  s.m_layout4[3] = {1, 1};
  s.m_layout5.assign(6, {0, 0});
  s.m_layout5[3] = {2, 2};
  s.m_numberFormats.assign(6, {2, 2});
  s.m_numberFormats[4] = {0, 0};
  s.m_noteText = "求和 1:12";
  s.m_texts = {"单位\x01\x01",
               "a'b\x01=A1+B1*2\x01"
               "A1>0",
               "\x01\x01",
               "x\x01Mid('x',1)\x01",
               "\x1BO12\x1C金额\x01\x01",
               "\x01sum(A1:A2)\x01"};
  s.m_margins = {100, 200, 300, 400};
  s.m_titleArea = {1, 2, 3, 4};
  s.m_paper = {2100, 2970};
  s.m_pageFlags = 3;
  s.m_screenFactor = 120;
  s.m_printFactor = 90;
  s.m_colBreaks = {1};
  s.m_rowBreaks = {2};
  s.m_vars.Add(CSmVar("#a", "1+1", 4, "甲"));
  return s;
}

// A child table's sheet: the sample with a fourth layer of values.
CRiloData SampleChild() {
  CRiloData child = SampleSheet();
  child.m_tableName = "一月";
  for (size_t i = 0; i < child.m_texts.size(); ++i)
    child.m_texts[i] += i == 1   ? "\x01"
                                   "1'5"
                        : i == 4 ? "\x01"
                                   "20"
                                 : "\x01";
  return child;
}

class RiloDbTest : public ReportDbTest {
 protected:
  CRiloData Load(int nNo, const std::string& subNo = {}, bool infoOnly = false) {
    CRiloData sheet;
    EXPECT_TRUE(sheet.LoadFromDb(nNo, subNo, infoOnly, m_db));
    return sheet;
  }
};

INSTANTIATE_TEST_SUITE_P(Kinds, RiloDbTest, testing::Values(0, 2));

TEST_P(RiloDbTest, SavedReportHoldsItsRowsAndLoadsBackEqual) {
  CRiloData sheet = SampleSheet();
  ASSERT_TRUE(sheet.SaveToDb(7, {}, false, m_db));
  EXPECT_TRUE(ShownTexts().empty());
  EXPECT_EQ(Strings("Select rtrim(sNa) From bbInfo Where nNo=7"),
            std::vector<std::string>{"收购日报"});
  EXPECT_EQ(Strings("Select rtrim(sizePaper) From bbInfo1 Where nNo=7"),
            std::vector<std::string>{"2970 2100"});  // landscape: height first
  EXPECT_EQ(Count("Count(*) From bbInfo2 Where nNo=7"), 2);
  EXPECT_EQ(Count("Count(*) From bbInfo3 Where nNo=7"), 5);  // every size, also a zero
  // Seven values off their defaults and one note chunk.
  EXPECT_EQ(Count("Count(*) From bbInfo4 Where nNo=7"), 8);
  EXPECT_EQ(Strings("Select rtrim(sValue) From bbInfo4 Where nNo=7 And sFlg='0'"),
            std::vector<std::string>{"0 2"});
  EXPECT_EQ(Count("Count(*) From bbInfo5 Where nNo=7"), 8);  // the non-empty layers
  EXPECT_EQ(Strings("Select rtrim(sValue) From bbInfo5 Where nNo=7 And nx=2 And ny=1 Order By "
                    "sFlg"),
            (std::vector<std::string>{"a\x0F"
                                      "b",
                                      "=A1+B1*2", "A1>0"}));
  EXPECT_EQ(Strings("Select rtrim(srptNo) From bbInfo7 Where nNo=7 And sSubNo=''"),
            std::vector<std::string>{"R'01"});
  EXPECT_EQ(Count("Count(*) From SMVAR Where nSoft=3 And nNo=7"), 1);
  EXPECT_EQ(Count("Count(*) From bbInfo6"), 0);

  ExpectSameReport(Load(7), sheet);
}

TEST_P(RiloDbTest, NoteIsStoredInChunksCutBetweenCharacters) {
  const std::string ascii = std::string(26, 'x') + " " + std::string(33, 'y');  // 60 bytes
  std::string chinese;
  for (int i = 0; i < 20; ++i) chinese += "甲";  // 40 GBK bytes: 27 falls inside a character
  const struct {
    std::string note;
    std::vector<std::string> chunks;
  } cases[] = {
      {ascii,
       {ascii.substr(0, 27) + " \x0F", ascii.substr(27, 27) + " \x0F", ascii.substr(54) + " \x0F"}},
      {chinese, {chinese.substr(0, 14 * 3) + " \x0F", chinese.substr(14 * 3) + " \x0F"}},
  };
  for (const auto& c : cases) {
    CRiloData sheet = SampleSheet();
    sheet.m_noteText = c.note;
    ASSERT_TRUE(sheet.SaveToDb(7, {}, false, m_db));
    EXPECT_EQ(Strings("Select rtrim(sValue) From bbInfo4 Where nNo=7 And sFlg='7' And nx=0 "
                      "Order By ny"),
              c.chunks);
    EXPECT_EQ(Load(7).m_noteText, c.note);
  }
}

TEST_P(RiloDbTest, DefaultFormatsStoreNoRows) {
  CRiloData sheet = SampleSheet();
  sheet.m_lineStyles.assign(12, {1, 1});
  sheet.m_lineColors.assign(12, {0, 0});
  sheet.m_backColors.assign(6, 0xFFFFFF);
  for (auto* list : {&sheet.m_layout3, &sheet.m_layout4, &sheet.m_layout5}) list->assign(6, {0, 0});
  sheet.m_numberFormats.assign(6, {2, 2});
  sheet.m_noteText.clear();
  ASSERT_TRUE(sheet.SaveToDb(7, {}, false, m_db));
  EXPECT_EQ(Count("Count(*) From bbInfo4 Where nNo=7"), 0);
  ExpectSameReport(Load(7), sheet);
}

TEST_P(RiloDbTest, ChildTableOverItsMasterAndAlone) {
  ASSERT_TRUE(SampleSheet().SaveToDb(7, {}, false, m_db));
  CRiloData child = SampleChild();
  ASSERT_TRUE(child.SaveToDb(7, "3/1", false, m_db));
  EXPECT_EQ(Strings("Select rtrim(sSubNo) From bbInfo6 Where nNo=7 Order By nx"),
            (std::vector<std::string>{"3\\1", "3\\1"}));
  EXPECT_EQ(Strings("Select rtrim(sValue) From bbInfo6 Where nNo=7 And nx=2 And ny=1"),
            std::vector<std::string>{"1\x0F"
                                     "5"});
  EXPECT_EQ(Strings("Select rtrim(sNa) From bbInfo7 Where nNo=7 And sSubNo='3\\1'"),
            std::vector<std::string>{"一月"});

  // The master's layers stay its own.
  ExpectSameReport(Load(7), SampleSheet());
  CRiloData over = Load(7, "3\\1");
  EXPECT_EQ(over.m_texts, child.m_texts);
  EXPECT_EQ(over.m_tableName, "一月");
  const std::vector<std::string> values = {"", "1'5", "", "", "20", ""};
  CRiloData alone = Load(7, "3\\1", true);
  EXPECT_EQ(alone.m_texts, values);

  CRiloData ref;
  ASSERT_TRUE(ref.LoadRefFromDb("\\7\\3\\1", m_db));
  EXPECT_EQ(ref.m_texts, values);
  EXPECT_EQ(ref.m_rows, 3);
  EXPECT_FALSE(ref.LoadRefFromDb("x.QLN", m_db));
}

TEST_P(RiloDbTest, ChangedSaveRewritesOnlyWhatDiffers) {
  CRiloData saved = SampleChild();
  ASSERT_TRUE(SampleSheet().SaveToDb(7, {}, false, m_db));
  ASSERT_TRUE(saved.SaveToDb(7, "3", false, m_db));
  // A marker row in each table: a table that is rewritten loses it.
  for (const char* row : {"Insert into bbInfo(nNo,sNa) Values(7,'mark')",
                          "Insert into bbInfo1(nNo,rectBound) Values(7,'mark')",
                          "Insert into bbInfo2(nNo,sFlg,sValue) Values(7,'9','mark')",
                          "Insert into bbInfo3(nNo,sFlg,nxy,nValue) Values(7,'9',99,99)",
                          "Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(7,'9',99,99,'mark')",
                          "Insert into bbInfo5(nNo,sFlg,nx,ny,sValue) Values(7,'9',99,99,'mark')",
                          "Insert into bbInfo6(nNo,sSubNo,nx,ny,sValue) Values(7,'3',99,99,'mark')",
                          "Update bbInfo7 Set sNa='mark' Where nNo=7",
                          "Insert into SMVAR(nSoft,nNo,SVAR) Values(3,7,'#mark')"})
    ASSERT_TRUE(Run(row));

  CRiloData edited = saved;
  edited.m_vars = saved.m_vars;
  edited.m_texts[1] =
      "a'b\x01=A1+B1*2\x01"
      "A1>0\x01"
      "99";
  ASSERT_TRUE(edited.SaveChangedToDb(saved, true, 7, "3", m_db));
  for (const char* table : {"bbInfo", "bbInfo1", "bbInfo2", "bbInfo4"}) {
    EXPECT_EQ(Count(std::string("Count(*) From ") + table + " Where nNo=7 And " +
                    (std::string(table) == "bbInfo"    ? "sNa"
                     : std::string(table) == "bbInfo1" ? "rectBound"
                                                       : "sValue") +
                    "='mark'"),
              1)
        << table;
  }
  EXPECT_EQ(Count("Count(*) From bbInfo3 Where nxy=99"), 1);
  EXPECT_EQ(Count("Count(*) From SMVAR Where SVAR='#mark'"), 1);
  EXPECT_EQ(Count("Count(*) From bbInfo5 Where sValue='mark'"), 0);
  EXPECT_EQ(Count("Count(*) From bbInfo6 Where sValue='mark'"), 0);
  EXPECT_EQ(Strings("Select rtrim(sNa) From bbInfo7 Where nNo=7 Order By sSubNo"),
            (std::vector<std::string>{"mark", "一月"}));
  EXPECT_EQ(Strings("Select rtrim(sValue) From bbInfo6 Where nNo=7 And nx=2 And ny=1"),
            std::vector<std::string>{"99"});

  // Without a valid copy everything is written.
  ASSERT_TRUE(edited.SaveChangedToDb(saved, false, 7, "3", m_db));
  EXPECT_EQ(Count("Count(*) From bbInfo2 Where sValue='mark'"), 0);
  EXPECT_EQ(Count("Count(*) From SMVAR Where SVAR='#mark'"), 0);
}

TEST_P(RiloDbTest, NumberWithoutHeaderStillLoads) {
  CRiloData sheet = SampleSheet();
  ASSERT_TRUE(sheet.LoadFromDb(99, {}, false, m_db));
  EXPECT_EQ(sheet.m_reportName, "收购日报");
  EXPECT_EQ(sheet.m_rows, 3);
  EXPECT_EQ(sheet.m_texts, std::vector<std::string>(6, "\x01\x01"));
  EXPECT_EQ(sheet.m_vars.GetSize(), 25);  // the report defaults
}

TEST_P(RiloDbTest, RowsOutsideTheGridAreSkipped) {
  ASSERT_TRUE(SampleSheet().SaveToDb(7, {}, false, m_db));
  ASSERT_TRUE(SampleChild().SaveToDb(7, "3", false, m_db));
  for (const char* row : {"Insert into bbInfo2(nNo,sFlg,sValue) Values(7,'0','-1')",
                          "Insert into bbInfo2(nNo,sFlg,sValue) Values(7,'1','4')",
                          "Insert into bbInfo3(nNo,sFlg,nxy,nValue) Values(7,'1',0,5)",
                          "Insert into bbInfo3(nNo,sFlg,nxy,nValue) Values(7,'1',4,5)",
                          "Insert into bbInfo3(nNo,sFlg,nxy,nValue) Values(7,'0',3,5)",
                          "Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(7,'2',3,1,'255')",
                          "Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(7,'2',0,2,'255')",
                          "Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(7,'0',4,1,'0 0')",
                          "Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(7,'6',1,4,'0 0')",
                          "Insert into bbInfo5(nNo,sFlg,nx,ny,sValue) Values(7,'0',3,1,'bad')",
                          "Insert into bbInfo5(nNo,sFlg,nx,ny,sValue) Values(7,'0',-1,2,'bad')",
                          "Insert into bbInfo5(nNo,sFlg,nx,ny,sValue) Values(7,'1',1,4,'bad')",
                          "Insert into bbInfo6(nNo,sSubNo,nx,ny,sValue) Values(7,'3',3,1,'bad')",
                          "Insert into bbInfo6(nNo,sSubNo,nx,ny,sValue) Values(7,'3',1,0,'bad')"})
    ASSERT_TRUE(Run(row));
  ExpectSameReport(Load(7), SampleSheet());
  EXPECT_EQ(Load(7, "3").m_texts, SampleChild().m_texts);
}

// Rows the program never writes, from a damaged or crafted data file: the report is refused
// with a message naming it, before anything is sized from its counts, and the sheet stays as it
// was; a formula that reads it gets nothing.
TEST_P(RiloDbTest, StoredValuesOutOfTheirRangeRefuseTheReport) {
  const std::string counts =
      "数据文件中的报表7：报表有%s，超出报表的范围（最多900行、60栏），不能打开！";
  const std::string damaged = "数据文件中的报表7已损坏：%s不合理，不能打开！";
  const struct {
    std::vector<std::string> rows;
    std::string message;
  } cases[] = {
      {{"Update bbInfo Set nRowNum=20000,nColNum=20000 Where nNo=7"},
       FormatStr(counts.c_str(), "20000行、20000栏")},
      {{"Update bbInfo Set nRowNum=-5 Where nNo=7"}, FormatStr(counts.c_str(), "-5行、2栏")},
      {{"Update bbInfo Set nColNum=2147483647 Where nNo=7"},
       FormatStr(counts.c_str(), "3行、2147483647栏")},
      {{"Update bbInfo1 Set rectBound='99999999999 0 0 0' Where nNo=7"},
       FormatStr(damaged.c_str(), "页面边距")},
      {{"Update bbInfo1 Set rectStatic='0 0 -2000000000 0' Where nNo=7"},
       FormatStr(damaged.c_str(), "固定参照行、栏")},
      {{"Update bbInfo1 Set nLpFact=0 Where nNo=7"}, FormatStr(damaged.c_str(), "打印缩放比例")},
      {{"Update bbInfo3 Set nValue=-1 Where nNo=7 And sFlg='1' And nxy=2"},
       FormatStr(damaged.c_str(), "第2行的行高")},
      {{"Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(7,'6',2,3,'0 99999')"},
       FormatStr(damaged.c_str(), "单元格B3的小数位数")},
      {{"Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(7,'3',2,3,'4 0')",
        "Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(7,'5',2,3,'70 0')"},
       FormatStr(damaged.c_str(), "单元格B3的跨栏、跨行范围")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    for (const char* table : {"bbInfo", "bbInfo1", "bbInfo2", "bbInfo3", "bbInfo4", "bbInfo5"})
      ASSERT_TRUE(Run(FormatStr("Delete From %s Where nNo=7", table)));
    ASSERT_TRUE(SampleSheet().SaveToDb(7, {}, false, m_db));
    for (const std::string& row : c.rows) ASSERT_TRUE(Run(row));
    SmResetMessages();
    CRiloData sheet = SampleChild();
    EXPECT_FALSE(sheet.LoadFromDb(7, {}, false, m_db));
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{c.message});
    EXPECT_EQ(sheet.m_texts, SampleChild().m_texts);
    EXPECT_EQ(sheet.m_rows, 3);
  }
  // The last case: counts past the limits are not taken by a formula's reference either.
  ASSERT_TRUE(Run("Update bbInfo Set nRowNum=20000,nColNum=20000 Where nNo=7"));
  SmResetMessages();
  CRiloData ref;
  EXPECT_FALSE(ref.LoadRefFromDb("\\7\\3", m_db));
  EXPECT_EQ(ref.m_rows, 0);
  EXPECT_TRUE(ShownTexts().empty());
}

TEST_P(RiloDbTest, TooLongTextsAreRefusedBeforeWriting) {
  ASSERT_TRUE(SampleSheet().SaveToDb(7, {}, false, m_db));
  const std::string text251(251, 'x');
  std::string chinese31;
  for (int i = 0; i < 31; ++i) chinese31 += "蔗";  // 62 GBK bytes
  const struct {
    void (*change)(CRiloData&, const std::string&);
    std::string value;
    std::string subNo;
    const char* message;
  } cases[] = {
      {[](CRiloData& s, const std::string& v) { s.m_texts[3] = "x\x01" + v + "\x01"; }, text251, "",
       "单元格B2的取数公式超过250个字节，不能保存！"},
      {[](CRiloData& s, const std::string& v) { s.m_texts[4] += "\x01" + v; }, text251, "3",
       "单元格A3的子表数值超过250个字节，不能保存！"},
      {[](CRiloData& s, const std::string& v) { s.m_reportName = v; }, chinese31, "",
       "报表名超过60个字节，不能保存！"},
      {[](CRiloData& s, const std::string& v) { s.m_tableName = v; }, chinese31, "3",
       "表名超过60个字节，不能保存！"},
      {[](CRiloData& s, const std::string& v) { s.m_reportCode = v; }, std::string(21, '1'), "",
       "上报表号超过20个字节，不能保存！"},
      {[](CRiloData& s, const std::string& v) { s.m_readPassword = v; }, std::string(21, '1'), "",
       "查看密码超过20个字节，不能保存！"},
      {[](CRiloData&, const std::string&) {}, "", "1\\2\\3\\4\\5\\6\\7\\8\\9",
       "子表号超过15个字符，不能保存！"},
      {[](CRiloData& s, const std::string&) { s.m_rows = 901; }, "", "",
       "报表有901行、2栏，超出报表的范围（最多900行、60栏），不能保存！"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    SmResetMessages();
    CRiloData sheet = SampleSheet();
    sheet.m_texts[0] = "changed\x01\x01";
    c.change(sheet, c.value);
    EXPECT_FALSE(sheet.SaveToDb(7, c.subNo, false, m_db));
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{c.message});
    ExpectSameReport(Load(7), SampleSheet());
    EXPECT_EQ(Count("Count(*) From bbInfo6"), 0);
  }
}

TEST_P(RiloDbTest, FailedStatementRollsTheWholeSaveBack) {
  ASSERT_TRUE(SampleSheet().SaveToDb(7, {}, false, m_db));
  ASSERT_TRUE(Run("Drop Table bbInfo6"));
  CRiloData child = SampleChild();
  child.m_reportName = "改名";
  child.m_texts[0] = "changed\x01\x01\x01";
  SmResetMessages();
  EXPECT_FALSE(child.SaveToDb(7, "3", false, m_db));
  ASSERT_EQ(ShownTexts().size(), 1u);
  EXPECT_TRUE(IsSqlError(ShownTexts()[0]));
  ExpectSameReport(Load(7), SampleSheet());
}

}  // namespace
