// The adaptation of server statements for PostgreSQL, on statements alone (no server).
#include <gtest/gtest.h>

#include "core/SmOdbcBackend.h"
#include "core/SmRegKey.h"
#include "core/SmSqlDialectPg.h"

namespace {

// A schema of one table: NHDir(KNO text, CS0 number).
class CSchema : public CSmSqlSchema {
 public:
  bool IsTable(std::string_view name) override { return SmSqlSameName(name, "NHDir"); }
  SmSqlType ColumnType(std::string_view table, std::string_view column) override {
    if (!IsTable(table)) return SmSqlType::Unknown;
    if (SmSqlSameName(column, "KNO")) return SmSqlType::Text;
    if (SmSqlSameName(column, "CS0")) return SmSqlType::Number;
    return SmSqlType::Unknown;
  }
};

}  // namespace

TEST(SqlPg, StatementsAreAdaptedOnTheirTokens) {
  const std::pair<const char*, const char*> cases[] = {
      // concatenation of texts, number + stays
      {"Select '00'+KNO,CS0+1 From NHDir", "Select '00'||KNO,CS0+1 From NHDir"},
      // functions PostgreSQL names differently or types differently
      {"Select Len(KNO) From NHDir", "Select length(CAST(KNO AS text)) From NHDir"},
      {"Select Substring(KNO,5,30) From NHDir", "Select substr(CAST(KNO AS text),5,30) From NHDir"},
      {"Select Right(100+CS0,2) From NHDir", "Select right(CAST(100+CS0 AS text),2) From NHDir"},
      {"Select Sum(iif(KNO='1',CS0,0)) From NHDir",
       "Select Sum((CASE WHEN KNO='1' THEN CS0 ELSE 0 END)) From NHDir"},
      {"Select getdate(),IsNull(KNO,'') From NHDir",
       "Select LOCALTIMESTAMP,COALESCE(KNO,'') From NHDir"},
      // nothing inside literals, and a name like a function without a call stays
      {"Select 'Len(x)+y', Left From NHDir", "Select 'Len(x)+y', Left From NHDir"},
      // LIKE: a backslash is an ordinary character
      {"Select 1 From NHDir Where KNO Like '3\\%'",
       "Select 1 From NHDir Where KNO Like '3\\%' ESCAPE ''"},
      // index names and column types
      {"Create Index NHDir On NHDir(KNO)", "Create Index NHDir_ix On NHDir(KNO)"},
      {"Create Index gb0 On NHDir(KNO)", "Create Index gb0 On NHDir(KNO)"},
      {"Drop Index NHDir On NHDir", "Drop Index NHDir_ix"},
      {"Drop Index NHDir.NHDir", "Drop Index NHDir_ix"},
      {"Drop Index NHDir.gb0", "Drop Index gb0"},
      {"Create Table T(A Long,B Double,C Char(4),D Image)",
       "Create Table T(A integer,B double precision,C Char(4),D bytea)"},
      {"Alter Table OPR Alter Column PSD Char(120)",
       "Alter Table OPR Alter Column PSD TYPE Char(120)"},
      // calls inside calls, each written once
      {"Select iif(Len(Mid(KNO,1,2))>1,InStr(KNO,'a'),CStr(CS0)) From NHDir",
       "Select (CASE WHEN length(CAST(substr(CAST(KNO AS text),1,2) AS text))>1 THEN "
       "strpos(CAST(KNO AS text),CAST('a' AS text)) ELSE CAST(CS0 AS text) END) From NHDir"},
      {"Select Val(UCase(KNO)),Count(IsNull(KNO,Lower(KNO))) From NHDir",
       "Select COALESCE(CAST(substring(CAST(upper(CAST(KNO AS text)) AS text) from "
       "'^ *([-+]?[0-9]*\\.?[0-9]+)') AS double precision),0),Count(COALESCE(KNO,lower(CAST(KNO "
       "AS text)))) From NHDir"},
      // a call with a count that has no other form, and an unclosed call, stay as written
      {"Select iif(KNO='1',1), Len(KNO From NHDir", "Select iif(KNO='1',1), Len(KNO From NHDir"},
      {"Select 1 From NHDir Where KNO Like 'a' And (KNO Like 'b')",
       "Select 1 From NHDir Where KNO Like 'a' ESCAPE '' And (KNO Like 'b' ESCAPE '')"},
  };
  CSchema schema;
  for (auto [in, out] : cases) EXPECT_EQ(SmAdaptSqlForPg(in, &schema), out) << in;
}

// Deeply nested statements come out whole (their cost is measured in bench/), up to the bound
// of the nesting the adaptation follows.
TEST(SqlPg, DeepNestingIsAdaptedWhole) {
  std::string in = "Select 1 From NHDir Where KNO='0'";
  std::string out = in;
  const int levels = kSmSqlMaxNesting - 2;  // iif's and Len's brackets within the last
  for (int i = 0; i < levels; ++i) {
    in += " And (iif(KNO='1',KNO+'a',Len(KNO))>''";
    out += " And ((CASE WHEN KNO='1' THEN KNO||'a' ELSE length(CAST(KNO AS text)) END)>''";
  }
  in.append(levels, ')');
  out.append(levels, ')');
  CSchema schema;
  EXPECT_EQ(SmAdaptSqlForPg(in, &schema), out);
}

TEST(SqlPg, ServerIsRecognisedByTheDriversName) {
  EXPECT_TRUE(SmIsPostgres("PostgreSQL"));
  EXPECT_FALSE(SmIsPostgres("Microsoft SQL Server"));
  EXPECT_FALSE(SmIsPostgres(""));
}

TEST(SqlPg, ServerByNameTakesTheDriverOfTheWorkstationSetting) {
  SmSetOdbcSettingsKey("Software\\reduvor\\Test");
  CSmRegKey key;
  key.DeleteValue(SM_HKEY_CURRENT_USER, "Software\\reduvor\\Test", "OdbcDriver");
  EXPECT_EQ(SmOdbcDriverName(), "PostgreSQL Unicode");
  CSmConnInfo info(2);
  info.server = "db1,5433";
  info.user = "sa";
  info.password = "a;b";
  CSmOdbcBackend backend(2);
  backend.SetConnInfo(info);
  EXPECT_EQ(backend.ConnectionString("tsd00012016"),
            "DRIVER={PostgreSQL Unicode};SERVER=db1;PORT=5433;DATABASE=tsd00012016;UID=sa;"
            "PWD={a;b}");
  ASSERT_TRUE(key.SetValue(SM_HKEY_CURRENT_USER, "Software\\reduvor\\Test", "OdbcDriver",
                           "ODBC Driver 18 for SQL Server"));
  info.server = "(local)";
  info.password = "pw";
  backend.SetConnInfo(info);
  EXPECT_EQ(backend.ConnectionString("master"),
            "DRIVER={ODBC Driver 18 for SQL Server};SERVER=localhost;DATABASE=master;UID=sa;"
            "PWD=pw");
  // Kind 1 keeps the data source's connection string.
  CSmOdbcBackend dsn(1);
  info.server = "MQIS";
  dsn.SetConnInfo(info);
  EXPECT_EQ(dsn.ConnectionString("cane"), "DSN=MQIS;UID=sa;PWD=pw;DATABASE=cane");
  SmSetOdbcSettingsKey("Software\\reduvor");
}
