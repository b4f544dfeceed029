#include <gtest/gtest.h>

#include "core/SmQuery.h"
#include "core/SmSqlDialectSqlite.h"
#include "tests/core/test_db_fixture.h"
#include "tests/core/test_sql_corpus_runner.h"

namespace {

class SqlSqlite : public DataFileTest {
 protected:
  void SetUp() override {
    DataFileTest::SetUp();
    for (const char* sql :
         {"CREATE TABLE gbSheet(T CHAR(8),TH CHAR(6),DH CHAR(8),KNO0 CHAR(15),KNO3 CHAR(15),"
          "MU0 Double,PRT0 Long)",
          "CREATE TABLE jsSheet(LB CHAR(1),DB CHAR(1),T CHAR(8),DH CHAR(8),KNO CHAR(15))",
          "CREATE TABLE SmFormHeadNote(nFlag Long,nForm Long,bIsTail Long,nRow Long,"
          "nColPecent Long,bIsUse Long,bIsSystem Long,sNote Char(20),sWords Char(200))"})
      EXPECT_TRUE(m_db.ExecuteSQL(sql));
    m_backend = static_cast<CSmSqliteBackend*>(m_db.Backend());
  }
  std::string Adapt(const std::string& jet) {
    return m_backend->Adapt(CSmDatabase::TranslateSQL(false, jet)).value_or("(refused)");
  }
  std::string Text(const std::string& expr, const std::string& from = "") {
    CSmQuery q(0, 0, 1, &m_db);
    EXPECT_TRUE(q.Open("Select " + expr + from)) << expr;
    return q.GetString(0);
  }
  CSmSqliteBackend* m_backend = nullptr;
};

}  // namespace

// What the adaptation writes: each `+` decided from its operands.
TEST_F(SqlSqlite, ConcatenationIsDecidedFromTheOperands) {
  struct Case {
    const char* jet;
    const char* sqlite;
  };
  const Case cases[] = {
      {"Select '01'+'02'", "Select '01'||'02'"},
      {"Select Min(T+'-'+DH) From gbSheet Where OPR1=''",
       "Select Min(T||'-'||DH) From gbSheet Where OPR1=''"},
      {"Select Min(LB+DB+T+'-'+DH) From jsSheet Where DB>'0'",
       "Select Min(LB||DB||T||'-'||DH) From jsSheet Where DB>'0'"},
      {"Update gbSheet Set KNO0='01'+Mid(KNO0,3,30) Where KNO0 Like '02*'",
       "Update gbSheet Set KNO0='01'||Mid(KNO0,3,30) Where KNO0 Like '02%'"},
      {"Update jsSheet Set KNO=Left(KNO,2)+'0'+Mid(KNO,3,30) Where Len(rtrim(KNO))>2",
       "Update jsSheet Set KNO=jet_left(KNO,2)||'0'||Mid(KNO,3,30) Where Len(rtrim(KNO))>2"},
      {"Update gbSheet Set PRT0=1+PRT0 Where DH='x+y'",
       "Update gbSheet Set PRT0=1+PRT0 Where DH='x+y'"},
      {"Select nRow,Right(100+nColPecent,2) From SmFormHeadNote",
       "Select nRow,jet_right(100+nColPecent,2) From SmFormHeadNote"},
      {"Select Count(*) From gbSheet Where Left(KNO0,3+1)='001\\'",
       "Select Count(*) From gbSheet Where jet_left(KNO0,3+1)='001\\'"},
      {"Select MU0+1, MU0*2+T, T+MU0 From gbSheet", "Select MU0+1, MU0*2+T, T+MU0 From gbSheet"},
      {"Select 'a'+CStr(Val(Left(T,4))+1)+(DH) From gbSheet",
       "Select 'a'||CStr(Val(jet_left(T,4))+1)||(DH) From gbSheet"},
      {"Select g.T+'/'+g.DH From gbSheet g", "Select g.T||'/'||g.DH From gbSheet g"},
      {"Select T & DH From gbSheet", "Select T || DH From gbSheet"},
      {"Select Cast(Cast(left(T,4) As INT)+3 As Char(4))+right(Rtrim(T),4) From gbSheet",
       "Select Cast(Cast(jet_left(T,4) As INT)+3 As Char(4))||jet_right(Rtrim(T),4) From gbSheet"},
      {"Select iif(MU0>0,T,'-')+DH From gbSheet", "Select iif(MU0>0,T,'-')||DH From gbSheet"},
  };
  for (const Case& c : cases) EXPECT_EQ(Adapt(c.jet), c.sqlite);
}

TEST_F(SqlSqlite, ConcatenationGivesJetResults) {
  ASSERT_TRUE(
      m_db.ExecuteSQL("Insert Into gbSheet(T,TH,DH,KNO0,MU0,PRT0) "
                      "Values('20250101','01','00000012','0102',1.5,1)"));
  ASSERT_TRUE(
      m_db.ExecuteSQL("Insert Into jsSheet(LB,DB,T,DH,KNO) Values('0','1','20250102','7','01')"));
  EXPECT_EQ(Text("'01'+'02'"), "0102");
  EXPECT_EQ(Text("Min(T+'-'+DH)", " From gbSheet"), "20250101-00000012");
  EXPECT_EQ(Text("Min(LB+DB+T+'-'+DH)", " From jsSheet"), "0120250102-7");
  EXPECT_EQ(Text("'00'+DH", " From gbSheet"), "0000000012");
  ASSERT_TRUE(m_db.ExecuteSQL("Update gbSheet Set KNO0=Left(KNO0,2)+'0'+Mid(KNO0,3,30)"));
  EXPECT_EQ(Text("KNO0", " From gbSheet"), "01002");
  ASSERT_TRUE(m_db.ExecuteSQL("Update gbSheet Set PRT0=1+PRT0"));
  EXPECT_EQ(m_db.QueryInt("Select PRT0 From gbSheet"), 2);
  EXPECT_EQ(Text("Right(100+7,2)"), "07");
}

TEST_F(SqlSqlite, LikeWildcardsAndPlainPercent) {
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into gbSheet(KNO0) Values('01%5')"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into gbSheet(KNO0) Values('0125')"));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From gbSheet Where KNO0 Like '01*'"), 2);
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From gbSheet Where KNO0 Like '01?5'"), 2);
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From gbSheet Where KNO0 Like '01%*'"), 1);
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From gbSheet Where KNO0 Not Like '01_5'"), 2);
  EXPECT_EQ(Adapt("Select 1 Where 'x*' Like 'x*' And '*'='*'"),
            "Select 1 Where 'x*' Like 'x%' And '*'='*'");
  // A pattern built from parts.
  EXPECT_EQ(Adapt("Select Count(*) From gbSheet Where KNO0 Like Left(KNO3,2)+'%*' Or T=''"),
            "Select Count(*) From gbSheet Where KNO0 Like jet_left(KNO3,2)||'\\%%' ESCAPE '\\' "
            "Or T=''");
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From gbSheet Where KNO0 Like Left(KNO0,2)+'%*'"), 1);
}

TEST_F(SqlSqlite, JetFunctions) {
  struct Case {
    const char* expr;
    const char* value;
  };
  const Case cases[] = {
      {"Mid('甘蔗结算',2,2)", "蔗结"},
      {"Mid('abcdef',3)", "cdef"},
      {"Mid('abc',9,2)", ""},
      {"Left('甘蔗abc',3)", "甘蔗a"},
      {"Right('abc甘蔗',3)", "c甘蔗"},
      {"Right('ab',5)", "ab"},
      {"Len('甘蔗ab')", "4"},
      {"InStr('abcabc','ca')", "3"},
      {"InStr(4,'abcabc','b')", "5"},
      {"InStr('abc','z')", "0"},
      {"Val(' 12.5kg')", "12.5"},
      {"Val('x1')", "0.0"},
      {"CStr(1.5)", "1.5"},
      {"CStr(12)", "12"},
      {"UCase('ab')", "AB"},
      {"CStr(Val('0042')+1)", "43"},
      {"iif(1>0,'y','n')", "y"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(c.expr), c.value) << c.expr;
  EXPECT_EQ(ShownCount(), 0u);
}

TEST_F(SqlSqlite, IndexNamedLikeItsTable) {
  for (const char* sql : {"CREATE TABLE NHDir(KNO CHAR(15),NA CHAR(30))",
                          "CREATE INDEX NHDir ON NHDir(KNO)", "Create Index NHDir1 On NHDir(NA)"})
    ASSERT_TRUE(m_db.ExecuteSQL(sql));
  EXPECT_EQ(Adapt("Drop Index NHDir On NHDir"), "Drop Index " + SmSqliteIndexName("NHDir"));
  EXPECT_EQ(Adapt("Create Index GP On gp(KNO)"),
            "Create Index " + SmSqliteIndexName("GP") + " On gp(KNO)");
  ASSERT_TRUE(m_db.ExecuteSQL("Drop Index NHDir On NHDir"));
  ASSERT_TRUE(m_db.ExecuteSQL("Drop Index NHDir1 On NHDir"));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From sqlite_master Where type='index'"), 1);  // SysCsTab
}

TEST_F(SqlSqlite, ColumnTypesKeepTheirKinds) {
  ASSERT_TRUE(m_db.ExecuteSQL("Create Table K(N Long,D Double,S CHAR(5),X \x07Numeric(12,2)\x08)"));
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into K Values('12','2.50',3,'1.25')"));
  CSmQuery q(0, 0, 4, &m_db);
  ASSERT_TRUE(q.Open("Select typeof(N),typeof(D),typeof(S),typeof(X) From K"));
  EXPECT_EQ(q.GetStringValues(), (std::vector<std::string>{"integer", "real", "text", "real"}));
  // Texts compare without regard to case, as on Jet; `Cast(.. As Char(4))` is left alone.
  ASSERT_TRUE(m_db.ExecuteSQL("Alter Table K Add C Char(3)"));
  ASSERT_TRUE(m_db.ExecuteSQL("Update K Set C='Dx'"));
  EXPECT_EQ(m_db.QueryInt("Select Count(*) From K Where C='dX' And Cast(N As Char(4))='12'"), 1);
  EXPECT_EQ(Adapt("Create Table P(A Char(3),B Long)"),
            "Create Table P(A Char(3) COLLATE NOCASE,B INTEGER)");
}

// A statement nested past the bound of the adaptation fails with its reason and the statement in
// one box, runs nothing, and the connection goes on.
TEST_F(SqlSqlite, StatementNestedTooDeepFailsWithItsReason) {
  ASSERT_TRUE(m_db.ExecuteSQL("Insert Into jsSheet(LB,T) Values('1','a')"));
  const std::string deep = std::string(100000, '(') + "T+'x'" + std::string(100000, ')');
  SmResetMessages();
  EXPECT_FALSE(m_db.ExecuteSQL("Update jsSheet Set T=" + deep));
  ASSERT_EQ(ShownCount(), 1u);
  EXPECT_TRUE(
      Shown().starts_with(SmSqlTooDeepText() + "\n执行下列SQL语句时出错！\nUpdate jsSheet"));
  CSmQuery query(0, 0, 1, &m_db);
  EXPECT_FALSE(query.Open("Select " + deep + " From jsSheet"));
  EXPECT_EQ(Text("T+'y'", " From jsSheet"), "ay");
}

// The quick check lets a statement pass as it stands only where the adaptation would leave it
// so: over every statement of the corpus and a few that hide words and signs in literals.
TEST(SqlSqliteQuickCheck, NeverPassesAStatementTheAdaptationChanges) {
  std::vector<std::string> statements = {
      "Select 'a+b&c' From T",
      "Select [Left],\"Right\" From T",
      "Select KNO From GP Where NA='Like'",
      "Select 1left(x) From T",
      "Select a From T Where b Like 'x*'",
      "  drop Index GP On GP",
      "Select a+b From T",
      "Select 'it''s' From T Where c Like 'x?'",
      "Select x From T Where 'unclosed",
  };
  std::ifstream in(std::filesystem::path(SM_CORE_TEST_DATA) / "sql_corpus.txt");
  ASSERT_TRUE(in.good());
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    statements.push_back(SmUnescapeCorpusLine(line.substr(0, line.find(" ==> "))));
  }
  int passed = 0;
  for (const std::string& jet : statements) {
    const std::string sql = CSmDatabase::TranslateSQL(false, jet);
    if (SmSqliteNeedsAdapting(sql)) continue;
    ++passed;
    EXPECT_EQ(SmAdaptSqlTokensForSqlite(sql, nullptr), sql);
  }
  EXPECT_GT(passed, 100);  // most statements need nothing
}
