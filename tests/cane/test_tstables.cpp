// The module's six tables on the data file and on the server: what a new file gets, read back
// through the catalogue, and how an older file is brought up to date at log-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/SmServerYearFile.h"
#include "cane/TsTables.h"
#include "cane/TsWeighingService.h"
#include "core/SmDatabase.h"
#include "core/SmSqlDialect.h"
#include "core/SmString.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/core/test_server_fixture.h"

namespace {

const char* const kTables[] = {"NHDir", "AdrDir", "DriverDir", "GP", "gbSheet", "jsSheet"};

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string Repeat(const char* format, int count) {
  std::string text;
  for (int n = 0; n < count; ++n) text += FormatStr(format, n);
  return text;
}

// The columns of a new file in table order: "C" and the width for a text, "I" an integer, "N"
// and the server's precision and scale for a number.
const std::map<std::string, std::string> kNewColumns = {
    {"NHDir",
     "KNO C15,NA C30,TEL C20,BKNO C30,BKHO C30,BKNA C30,NT C60,CS0 N10.4,CS1 N10.4,CS2 N10.4,"
     "CS3 N10.4,"},
    {"AdrDir",
     "KNO C5,NA C40,QY C15,NT C60,JL N10.4,YPR N10.2,CS0 N10.4,CS1 N10.4,CS2 N10.4,CS3 N10.4,"},
    {"DriverDir", "KNO C5,NA C40,PNO C10,TEL C20,ADR C40,NT C60,WG0 C10,WG1 C10,"},
    {"GP", "KNO C15,NA C60,NT C60,PR N12.2,"},
    {"gbSheet", "T C8,TH C6,DH C8," + Repeat("OPR%d C3,", 8) +
                    "JT0 C8,JT1 C8,JN0 C8,JN1 C8,KNO0 C15,KNO1 C5,KNO2 C5,KNO3 C15," +
                    Repeat("MU%d N12.4,", 4) + "PR0 N12.2,PR1 N12.2," + Repeat("MY%d N12.2,", 12) +
                    "FK I,PRT0 I,PRT1 I,"},
    {"jsSheet",
     "LB C1,DB C1,T C8,TH C6,DH C8,KNO C15,MRY C40,OPR0 C3,OPR1 C3,MU0 N12.4,MU1 N12.4," +
         Repeat("MY%d N12.2,", 15) + "FK I,"},
};

// Index name, then its table and columns as the engine holds them (lower case).
const std::vector<std::pair<std::string, std::string>> kNewIndexes = {
    {"NHDir", "nhdir(kno)"},         {"AdrDir", "adrdir(kno)"},
    {"DriverDir", "driverdir(kno)"}, {"GP", "gp(kno)"},
    {"gbSheet0", "gbsheet(t)"},      {"gbSheet1", "gbsheet(kno0)"},
    {"gbSheet2", "gbsheet(kno1)"},   {"gbSheet3", "gbsheet(kno2)"},
    {"gbSheet4", "gbsheet(kno3)"},   {"gbSheet5", "gbsheet(jt0)"},
    {"gbSheet6", "gbsheet(jt1)"},    {"gbSheet7", "gbsheet(dh)"},
    {"gbSheet8", "gbsheet(jn0)"},    {"gbSheet9", "gbsheet(jn1)"},
    {"jsSheet0", "jssheet(t)"},      {"jsSheet1", "jssheet(kno)"},
    {"jsSheet2", "jssheet(dh)"},
};

// A stand-in for the weighing documents that records the slip repairs asked of it.
class CRecordingWeighing : public CTsWeighingService {
 public:
  explicit CRecordingWeighing(std::vector<int>* repaired) : m_repaired(repaired) {}
  bool SlipRepair(int kind, CSmDatabase*) override {
    m_repaired->push_back(kind);
    return true;
  }
  int PriceStats(int, const std::string&, double*, double*, CSmDatabase*) override { return 0; }
  void Reprice(bool, int, double, const std::string&, CSmDatabase*) override {}
  bool LoadOpening(int, const std::string&, TsSlipAmounts&, CSmDatabase*) override { return true; }
  bool SetOpening(bool, int, const std::string&, const TsSlipAmounts&, CSmDatabase*) override {
    return true;
  }
  bool GetChildOpenings(const std::string&, const std::vector<std::string>&,
                        std::vector<TsSlipAmounts>&, CSmDatabase*) override {
    return true;
  }
  bool GetDriverOpenings(const std::vector<std::string>&, std::vector<TsSlipAmounts>&,
                         CSmDatabase*) override {
    return true;
  }
  bool CarryOverBalances(CSmDatabase*, CSmDatabase*) override { return true; }

 private:
  std::vector<int>* m_repaired;
};

class TsTablesTest : public TsFileTest {
 protected:
  // Another new file in place of this test's one.
  void Fresh() {
    TearDown();
    m_db.Close();
    SetUp();
  }

  // What the log-in does to the module's tables, with the boxes it showed.
  std::vector<std::string> LogIn() {
    SmResetMessages();
    m_app.AfterOpen(&m_db);
    return Shown();
  }

  std::string First(const std::string& query) {
    std::vector<std::string> rows[1];
    m_db.QueryStrings(query, rows, 1);
    return rows[0].empty() ? "no row" : TrimChars(rows[0][0]);
  }

  // Precision and scale of the number columns on the server (upper-case names).
  std::map<std::string, std::string> NumberScales(const std::string& table) {
    std::map<std::string, std::string> scales;
    if (GetParam() == 0) return scales;
    std::vector<std::string> rows[2];
    m_db.QueryStrings(
        "Select upper(column_name),Cast(numeric_precision As varchar(4))||'.'||"
        "Cast(numeric_scale As varchar(4)) From information_schema.columns Where "
        "table_name=lower('" +
            table + "') And data_type='numeric'",
        rows, 2);
    for (size_t k = 0; k < rows[0].size(); ++k) scales[TrimChars(rows[0][k])] = rows[1][k];
    return scales;
  }

  // The table's columns in the catalogue's order, written as kNewColumns writes them.
  std::string Columns(const std::string& table) {
    std::vector<SmDbColumn> columns;
    if (!m_db.Backend()->GetColumns(table, columns)) return "no table";
    std::map<std::string, std::string> scales = NumberScales(table);
    std::string text;
    for (const SmDbColumn& c : columns) {
      const std::string name = MakeUpperCopy(c.name);
      text += name +
              (c.kind == SM_COL_TEXT      ? " C" + std::to_string(c.width)
               : c.kind == SM_COL_INTEGER ? std::string(" I")
               : c.kind == SM_COL_NUMBER  ? " N" + scales[name]
                                          : std::string(" ?")) +
              ",";
    }
    return text;
  }

  // A new file's columns as this engine shows them (the data file gives no precision).
  std::string NewColumns(const std::string& table) {
    std::string text = kNewColumns.at(table);
    if (GetParam() != 0) return text;
    std::string bare;
    for (size_t k = 0; k < text.size(); ++k) {
      bare += text[k];
      if (text[k] == 'N' && k > 0 && text[k - 1] == ' ')
        while (k + 1 < text.size() && text[k + 1] != ',') ++k;
    }
    return bare;
  }

  static std::vector<std::string> Sorted(const std::string& columns) {
    std::vector<std::string> list;
    for (size_t start = 0, comma; (comma = columns.find(',', start)) != std::string::npos;
         start = comma + 1)
      list.push_back(columns.substr(start, comma - start));
    std::sort(list.begin(), list.end());
    return list;
  }

  // "table(columns)" of an index, lower case; empty when there is none.
  std::string IndexOf(const std::string& name) {
    // An index named like its table carries the derived name on both engines.
    std::string stored = name;
    for (const char* table : kTables)
      if (SmSqlSameName(name, table)) stored = name + "_ix";
    std::vector<std::string> rows[2];
    if (GetParam() == 0)
      m_db.QueryStrings("Select tbl_name,sql From sqlite_master Where type='index' And name='" +
                            stored + "' COLLATE NOCASE",
                        rows, 2);
    else
      m_db.QueryStrings("Select tablename,indexdef From pg_indexes Where lower(indexname)=lower('" +
                            stored + "')",
                        rows, 2);
    if (rows[0].size() != 1) return {};
    const std::string def = rows[1][0];
    const size_t open = def.rfind('(');
    return Lower(TrimChars(rows[0][0]) + def.substr(open));
  }

  // Everything an upgrade could touch: the columns of the six tables, the module's parameter
  // rows and the stored forms.
  std::string Snapshot() {
    std::string text;
    for (const char* table : kTables) text += std::string(table) + ": " + Columns(table) + "\n";
    std::vector<std::string> rows[2];
    m_db.QueryStrings("Select Cast(CsN As Char(4)),CsVal From SysCsTab Where Cs=9130 Order By CsN",
                      rows, 2);
    for (size_t k = 0; k < rows[0].size(); ++k)
      text += TrimChars(rows[0][k]) + "=" + TrimChars(rows[1][k]) + "\n";
    return text + "forms " + std::to_string(m_db.QueryInt("Select Count(*) From SmFormList"));
  }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, TsTablesTest, testing::Values(0, 2));

TEST_P(TsTablesTest, NewFileGetsTheSixTablesWithTheirIndexesAndNoParameterRows) {
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  for (const char* table : kTables) EXPECT_EQ(Columns(table), NewColumns(table)) << table;
  for (const auto& [index, definition] : kNewIndexes) EXPECT_EQ(IndexOf(index), definition);
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From SysCsTab Where Cs=9130"), 0);

  // The next log-in finds nothing to do.
  const std::string before = Snapshot();
  EXPECT_TRUE(LogIn().empty());
  EXPECT_EQ(Snapshot(), before);
}

namespace {

// One upgrade step: how the test makes the older file, the box the step shows (none for the
// time columns) and a check of the rows it carried.
struct OlderFile {
  const char* name;
  std::vector<std::string> older;
  const char* box;
  std::string query;  // first value of its first row after the upgrade
  std::string expected;
};

std::vector<std::string> DropColumns(const std::string& table,
                                     std::initializer_list<const char*> columns) {
  std::vector<std::string> statements;
  for (const char* column : columns)
    statements.push_back("Alter Table " + table + " Drop Column " + column);
  return statements;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<OlderFile> OlderFiles() {
  std::vector<std::string> noteColumns;
  for (const char* table : {"NHDir", "AdrDir", "DriverDir", "GP"}) {
    noteColumns.push_back(std::string("Alter Table ") + table + " Drop Column NT");
    noteColumns.push_back(std::string("Alter Table ") + table + " Add NOTE CHAR(60)");
  }
  noteColumns.push_back("Insert Into GP(KNO,NA,NOTE,PR) Values('1','甘蔗品种','老品种',0)");
  return {
      {"NoteColumns", noteColumns, "数据升级：A、S版本字段一致性！",
       "Select rtrim(NT) From GP Where KNO='1'", "老品种"},
      {"SlipSummaryAndItems",
       Join({DropColumns("jsSheet", {"MRY", "MY10", "MY11", "MY12", "MY13", "MY14"}),
             {"Insert Into jsSheet(LB,DB,T,TH,DH,KNO,OPR0,OPR1,MU0,MU1,MY0,FK) "
              "Values('0','1','20160105','','00001','0101','101','',0,0,12.5,0)"}}),
       "数据升级：增加预付款摘要及项目！",
       "Select Count(*) From jsSheet Where MRY='' And MY10=0 And MY14=0 And MY0=12.5", "1"},
      {"ContactColumns",
       Join({DropColumns("NHDir", {"TEL", "NT"}),
             DropColumns("AdrDir", {"QY", "NT"}),
             DropColumns("DriverDir", {"TEL", "ADR", "NT"}),
             {"Insert Into DriverDir(KNO,NA,PNO,WG0,WG1) Values('D01','赵六','','','')"}}),
       "数据升级：为农户、运户、砍运地增加项目！",
       "Select Count(*) From DriverDir Where TEL='' And ADR='' And NT=''", "1"},
      {"VarietyNote",
       Join({DropColumns("GP", {"NT"}), {"Insert Into GP(KNO,NA,PR) Values('1','甘蔗品种',0)"}}),
       "数据升级：为甘蔗品种增加备注！", "Select Count(*) From GP Where NT=''", "1"},
      {"BankColumns",
       Join({DropColumns("NHDir", {"BkNO", "BkHO", "BkNA"}),
             {"Insert Into NHDir(KNO,NA,TEL,NT,cs0,cs1,cs2,cs3) "
              "Values('01','李四','','',0,0,0,0)"}}),
       "数据升级：为农户增加银行接口信息！", "Select rtrim(BkNA) From NHDir", "李四"},
      {"PaymentBatchMarks",
       Join({DropColumns("gbSheet", {"FK"}),
             DropColumns("jsSheet", {"FK"}),
             {"Insert Into jsSheet(LB,DB,T,DH,KNO) Values('1','2','20160105','00001','D01')"}}),
       "数据升级：为结算单增加银行接口单据信息！", "Select Count(*) From jsSheet Where FK=0", "1"},
      {"PrintMarks",
       Join({DropColumns("gbSheet", {"PRT0", "PRT1"}),
             {"Insert Into gbSheet(T,TH,DH,KNO0,FK) Values('20160105','','00001','01',0)"}}),
       "数据升级：为结算单增加打印标志！", "Select Count(*) From gbSheet Where PRT0=0 And PRT1=0",
       "1"},
      {"TimeColumns",
       Join({DropColumns("gbSheet", {"TH"}),
             DropColumns("jsSheet", {"TH"}),
             {"Insert Into gbSheet(T,DH,KNO0,FK) Values('20160105','00001','01',0)"}}),
       nullptr, "Select Count(*) From gbSheet Where TH=''", "1"},
  };
}

}  // namespace

// Each step on its own older file: its box once, the new file's columns, the rows carried;
// the next log-in shows nothing and changes nothing.
TEST_P(TsTablesTest, EachUpgradeStepBringsAnOlderFileUpToDateOnce) {
  std::map<std::string, std::vector<std::string>> newColumns;
  for (const char* table : kTables) newColumns[table] = Sorted(Columns(table));
  for (const OlderFile& file : OlderFiles()) {
    SCOPED_TRACE(file.name);
    ASSERT_NO_FATAL_FAILURE(Fresh());
    ASSERT_NO_FATAL_FAILURE(Run(file.older));
    std::vector<std::string> expectedBoxes;
    if (file.box) expectedBoxes.push_back(file.box);
    EXPECT_EQ(LogIn(), expectedBoxes);
    for (const char* table : kTables) EXPECT_EQ(Sorted(Columns(table)), newColumns[table]);
    EXPECT_EQ(First(file.query), file.expected);

    const std::string upgraded = Snapshot();
    EXPECT_TRUE(LogIn().empty());
    EXPECT_EQ(Snapshot(), upgraded);
  }
}

// The slip items grew from 10 to 15 per kind: the stored slip-item texts move with them.
TEST_P(TsTablesTest, SlipSummaryStepMovesTheSlipItemParametersOnce) {
  std::vector<std::string> older =
      DropColumns("jsSheet", {"MRY", "MY10", "MY11", "MY12", "MY13", "MY14"});
  for (int n : {10, 19, 20, 29, 30, 41, 48})
    older.push_back(
        FormatStr("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9130,%d,'参数','项目%d\t2%d')",
                  200 + n, n, n % 2));
  older.push_back("Insert Into SmFormList(nFlag,nForm,sFna,nOpen,nTopNum) Values(260,1,'',0,0)");
  older.push_back("Insert Into SmFormList(nFlag,nForm,sFna,nOpen,nTopNum) Values(255,1,'',0,0)");
  ASSERT_NO_FATAL_FAILURE(Run(older));

  EXPECT_EQ(LogIn(), std::vector<std::string>{"数据升级：增加预付款摘要及项目！"});
  // Cane slip items 11-20 move by 5, freight slip items and the texts after them by 10.
  const std::map<int, int> moved = {{10, 10}, {19, 19}, {20, 25}, {29, 34},
                                    {30, 40}, {41, 51}, {48, 58}};
  for (const auto& [from, to] : moved)
    EXPECT_EQ(First(FormatStr("Select CsVal From SysCsTab Where Cs=9130 And CsN=%d", 200 + to)),
              FormatStr("项目%d\t2%d", from, from % 2))
        << from;
  EXPECT_EQ(First("Select Count(*) From SysCsTab Where Cs=9130"), "7");
  EXPECT_EQ(m_type->m_strParams[25], "项目20\t20");
  EXPECT_EQ(m_type->m_strParams[51], "项目41\t21");
  EXPECT_EQ(First("Select Count(*) From SmFormList Where nFlag=260"), "0");
  EXPECT_EQ(First("Select Count(*) From SmFormList Where nFlag=255"), "1");

  const std::string upgraded = Snapshot();
  EXPECT_TRUE(LogIn().empty());
  EXPECT_EQ(Snapshot(), upgraded);
}

// Every log-in of an up-to-date file repairs the cane slips, then the freight slips, when the
// weighing documents are there; without them it does nothing at all.
TEST_P(TsTablesTest, UpToDateFileRunsOnlyTheSlipRepair) {
  const std::string before = Snapshot();
  EXPECT_TRUE(LogIn().empty());
  EXPECT_EQ(Snapshot(), before);

  std::vector<int> repaired;
  m_type->SetWeighingService(std::make_unique<CRecordingWeighing>(&repaired));
  EXPECT_EQ(TsGetWeighingService(), m_type->WeighingService());
  EXPECT_TRUE(LogIn().empty());
  EXPECT_EQ(repaired, (std::vector<int>{0, 1}));
  EXPECT_EQ(Snapshot(), before);
}

// A file from before the ticket and slip numbers had indexes gets them at log-in, without a box.
TEST_P(TsTablesTest, TicketAndSlipNumberIndexesAreAddedQuietly) {
  const std::pair<const char*, const char*> added[] = {{"gbSheet7", "gbsheet(dh)"},
                                                       {"gbSheet8", "gbsheet(jn0)"},
                                                       {"gbSheet9", "gbsheet(jn1)"},
                                                       {"jsSheet2", "jssheet(dh)"}};
  for (const auto& [name, columns] : added) {
    std::string error;
    ASSERT_TRUE(m_db.Backend()->Execute(std::string("DROP INDEX ") + name, &error)) << error;
    ASSERT_EQ(m_db.IndexExists(name), 0);
  }
  EXPECT_TRUE(LogIn().empty());
  for (const auto& [name, columns] : added) EXPECT_EQ(IndexOf(name), columns) << name;
}

// Files whose tickets still live in TsSheet are not converted: they are refused as they are.
TEST_P(TsTablesTest, OldestFormatIsRefusedAndLeftAsItIs) {
  ASSERT_NO_FATAL_FAILURE(Run({"Drop Table GP", "Drop Table gbSheet", "Drop Table jsSheet",
                               "Alter Table NHDir Add yf Double",
                               "Create Table TsSheet(T0 CHAR(8),DH1 CHAR(8),KNO CHAR(15),MY0 "
                               "Double)",
                               "Insert Into TsSheet(T0,DH1,KNO,MY0) Values('20160105','1','01',5)",
                               "Create Table TsP0(T CHAR(8),KNO CHAR(15),MY Double)",
                               "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9130,0,'a','7')"}));
  std::vector<int> repaired;
  m_type->SetWeighingService(std::make_unique<CRecordingWeighing>(&repaired));
  const std::string before = Snapshot() + Columns("TsSheet") + Columns("TsP0");

  EXPECT_EQ(LogIn(), std::vector<std::string>{kTsOldFormatText});
  EXPECT_EQ(Snapshot() + Columns("TsSheet") + Columns("TsP0"), before);
  EXPECT_FALSE(m_db.TableExists("GP"));
  EXPECT_EQ(First("Select Count(*) From TsSheet"), "1");
  EXPECT_TRUE(repaired.empty());
  EXPECT_EQ(m_type->m_intParams[0], 1);  // not read in the current layout
}

// A statement that fails inside a step takes the whole step back and stops the upgrade, so that
// the step runs whole at the next log-in and moves the parameters only once.
TEST_P(TsTablesTest, FailedStepIsRolledBackAndRunsWholeNextTime) {
  ASSERT_NO_FATAL_FAILURE(Run(
      Join({DropColumns("jsSheet", {"MRY", "MY10", "MY11", "MY13", "MY14"}),  // MY12 is in the way
            DropColumns("gbSheet", {"PRT0", "PRT1"}),
            {"Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9130,230,'参数','运费\t21')",
             "Insert Into SmFormList(nFlag,nForm,sFna,nOpen,nTopNum) Values(260,1,'',0,0)"}})));
  std::vector<int> repaired;
  m_type->SetWeighingService(std::make_unique<CRecordingWeighing>(&repaired));
  const std::string before = Snapshot();

  const std::vector<std::string> boxes = LogIn();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "数据升级：增加预付款摘要及项目！");
  EXPECT_NE(boxes[1].find("执行下列SQL语句时出错！"), std::string::npos) << boxes[1];
  EXPECT_NE(boxes[1].find("MY12"), std::string::npos) << boxes[1];
  EXPECT_EQ(Snapshot(), before);  // nothing of the step, and no later step
  EXPECT_TRUE(repaired.empty());

  ASSERT_NO_FATAL_FAILURE(Run({"Alter Table jsSheet Drop Column MY12"}));
  EXPECT_EQ(LogIn(), (std::vector<std::string>{"数据升级：增加预付款摘要及项目！",
                                               "数据升级：为结算单增加打印标志！"}));
  EXPECT_EQ(First("Select Count(*) From SysCsTab Where Cs=9130 And CsN=240"), "1");
  EXPECT_EQ(First("Select Count(*) From SmFormList Where nFlag=260"), "0");
  EXPECT_TRUE(m_db.ColumnExists("jsSheet", "MY12"));
  EXPECT_TRUE(m_db.ColumnExists("gbSheet", "PRT1"));
  EXPECT_EQ(repaired, (std::vector<int>{0, 1}));
}

// Two stations adding one code at once are kept apart by a key of the code table; an older
// file gets the keys when it opens, once the codes stored twice in it are named and put right.
TEST_P(TsTablesTest, CodeTablesGetTheirKeysAfterCodesStoredTwiceAreNamed) {
  for (const char* index : {"NHDir_KNO", "GP_KNO", "AdrDir_KNO", "DriverDir_KNO"})
    EXPECT_EQ(m_db.IndexExists(index), 1) << index;
  std::string error;
  for (const char* index : {"nhdir_kno", "adrdir_kno"})
    ASSERT_TRUE(m_db.Backend()->Execute(std::string("DROP INDEX ") + index, &error)) << error;
  const char* const farmer =
      "Insert Into NHDir(KNO,NA,TEL,BkNO,BkHO,BkNA,NT,cs0,cs1,cs2,cs3) "
      "Values('101','%s','','','','','',0,0,0,0)";
  const char* const place =
      "Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
      "Values('001','%s','','',0,0,0,0,0,0)";
  Run({FormatStr(farmer, "一村"), FormatStr(farmer, "x"), FormatStr(place, "河边"),
       FormatStr(place, "x")});
  const char* const advice = "\n请删去重复的行，以免两个工作站再写入重复的行。";
  EXPECT_EQ(LogIn(), (std::vector<std::string>{
                         std::string("表NHDir中有重复的农户代码：101") + advice,
                         std::string("表AdrDir中有重复的甘蔗砍运地代码：001") + advice}));
  EXPECT_EQ(m_db.IndexExists("NHDir_KNO"), 0);

  Run({"Delete From NHDir Where NA='x'", "Delete From AdrDir Where NA='x'"});
  EXPECT_TRUE(LogIn().empty());
  EXPECT_EQ(IndexOf("NHDir_KNO"), "nhdir(kno)");
  EXPECT_FALSE(m_db.ExecuteSQL(FormatStr(place, "y"), {}, 128, false));
  EXPECT_EQ(m_db.LastFailure(), SmDbFailure::Duplicate);
}
