#include <gtest/gtest.h>

#include "core/SmDatabase.h"
#include "core/SmSqlDialect.h"
#include "core/SmSqlDialectPg.h"
#include "core/SmSqlDialectSqlite.h"

namespace {

// {07} and {08} in the cases stand for the mark bytes.
std::string Marks(std::string s) {
  for (auto [from, to] : {std::pair<std::string, std::string>{"{07}", "\x07"}, {"{08}", "\x08"}})
    for (size_t p; (p = s.find(from)) != std::string::npos;) s.replace(p, from.size(), to);
  return s;
}

struct TranslateCase {
  const char* input;
  const char* jet;
  const char* server;
};

const TranslateCase kCases[] = {
    {"Alter Table T Add X {07}Numeric(12,2){08}", "Alter Table T Add X Double",
     "Alter Table T Add X Numeric(12,2)"},
    {"Select {07}Mid{08}(NA,2,3) From T", "Select Mid(NA,2,3) From T",
     "Select Substring(NA,2,3) From T"},
    {"Create Table T(N {07}Long{08})", "Create Table T(N Long)", "Create Table T(N INT)"},
    {"Where NA Like 'A{07}?{08}'", "Where NA Like 'A?'", "Where NA Like 'A_'"},
    {"Select Count(*) From GP Where KNO Like '01{07}*{08}'",
     "Select Count(*) From GP Where KNO Like '01*'",
     "Select Count(*) From GP Where KNO Like '01%'"},
    {"Select case when A>0 then 1 else 0 end From T", "Select iif(A>0,1,0) From T",
     "Select case when A>0 then 1 else 0 end From T"},
    {"Select case when A>0 then case when B>0 then 1 else 2 end else 3 end From T",
     "Select iif(A>0,iif(B>0,1,2),3) From T",
     "Select case when A>0 then case when B>0 then 1 else 2 end else 3 end From T"},
    {"Select case when A>0 then 1 end From T", "Select case when A>0 then 1 end From T",
     "Select case when A>0 then 1 end From T"},
    // Plain text, capitals, two decimal tokens, a stray close mark, unknown names.
    {"Select NA From T Where A='x'", "Select NA From T Where A='x'",
     "Select NA From T Where A='x'"},
    {"Select CASE WHEN A>0 THEN 1 ELSE 0 END From T",
     "Select CASE WHEN A>0 THEN 1 ELSE 0 END From T",
     "Select CASE WHEN A>0 THEN 1 ELSE 0 END From T"},
    {"Create Table T(A {07}Numeric(12,2){08},B {07}Numeric(10,4){08})",
     "Create Table T(A Double,B Double)", "Create Table T(A Numeric(12,2),B Numeric(10,4))"},
    {"Select 1{08} From T Where X={07}Numeric(12,2){08}",
     "Select 1{08} From T Where X={07}Numeric(12,2){08}",
     "Select 1{08} From T Where X={07}Numeric(12,2){08}"},
    {"Select {07}Foo{08}(A) From T", "Select {07}Foo{08}(A) From T",
     "Select {07}Foo{08}(A) From T"},
    {"Select 'a{07}*{08}' From T", "Select 'a*' From T", "Select 'a%' From T"},
    // The conditional rewrite leaves literals and longer words alone.
    {"Select case when endno>0 then 'x then y' else ' end' end From T",
     "Select iif(endno>0,'x then y',' end') From T",
     "Select case when endno>0 then 'x then y' else ' end' end From T"},
    {"Select case when A>0 then 1 else 0 end, B endno From T",
     "Select iif(A>0,1,0), B endno From T",
     "Select case when A>0 then 1 else 0 end, B endno From T"},
    {"Select showcase when A then 1 else 0 end From T",
     "Select showcase when A then 1 else 0 end From T",
     "Select showcase when A then 1 else 0 end From T"},
    {"Select 'case when ' , ' then ', ' else ', ' end' From T",
     "Select 'case when ' , ' then ', ' else ', ' end' From T",
     "Select 'case when ' , ' then ', ' else ', ' end' From T"},
};

TEST(TranslateSql, WorkedExamplesAndEdgesBothFlags) {
  for (const TranslateCase& c : kCases) {
    SCOPED_TRACE(c.input);
    const std::string input = Marks(c.input);
    EXPECT_EQ(CSmDatabase::TranslateSQL(false, input), Marks(c.jet));
    EXPECT_EQ(CSmDatabase::TranslateSQL(true, input), Marks(c.server));
  }
}

}  // namespace

// The shared `+` rewrite, without any schema: literals and text functions decide alone, and a
// chain of unknown names that ends up a text was a concatenation from its start.
TEST(SqlConcat, DecidedWithoutSchema) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"Select 'a'+X+'b' From T", "Select 'a'||X||'b' From T"},
      {"Select X+Y From T", "Select X+Y From T"},
      {"Select X+Y+'-'+Z From T", "Select X||Y||'-'||Z From T"},
      {"Select X+1+'a' From T", "Select X+1+'a' From T"},
      {"Select 'a'+(X-1) From T", "Select 'a'+(X-1) From T"},
      {"Select Len(X)+Len(Y), Mid(X,1+2,3)+Y From T",
       "Select Len(X)+Len(Y), Mid(X,1+2,3)||Y From T"},
      {"Select X*2+'1', -X+'1' From T", "Select X*2+'1', -X+'1' From T"},
      {"Select Max(X+'a')+'b' From T Where 'x+y'=Y",
       "Select Max(X||'a')||'b' From T Where 'x+y'=Y"},
      {"Select X From T Where Y In (Select Z+'a' From U)",
       "Select X From T Where Y In (Select Z||'a' From U)"},
      {"Select Cast(X As Char(4))+Y, Cast(X As Long)+Y From T",
       "Select Cast(X As Char(4))||Y, Cast(X As Long)+Y From T"},
  };
  for (const Case& c : cases) {
    std::vector<SmSqlToken> tokens = SmTokenizeSql(c.in);
    EXPECT_TRUE(SmRewriteConcat(tokens, nullptr));
    EXPECT_EQ(SmJoinSqlTokens(tokens), c.out);
  }
}

// The rewrite follows nesting recursively: a statement nested deeper than the bound, however
// it nests, is refused by both engines' adaptations instead of overflowing the stack, and one
// well within it is adapted.
TEST(SqlConcat, NestingPastTheBoundIsRefused) {
  const struct {
    const char* name;
    std::string open, core, close;
  } shapes[] = {
      {"brackets", "(", "X+'a'", ")"},
      {"calls", "Len(", "X+'a'", ")"},
      {"conditions", "iif(X='1',", "X+'a'", ",0)"},
      {"signs", "-", "1+X", ""},
      {"sums", "1+(", "X&'a'", ")"},
  };
  auto nested = [](const auto& shape, int levels) {
    std::string sql = "Select ";
    for (int k = 0; k < levels; ++k) sql += shape.open;
    sql += shape.core;
    for (int k = 0; k < levels; ++k) sql += shape.close;
    return sql + " From T";
  };
  for (const auto& shape : shapes) {
    SCOPED_TRACE(shape.name);
    for (const int levels : {kSmSqlMaxNesting / 2, kSmSqlMaxNesting + 1, 100000}) {
      const std::string sql = nested(shape, levels);
      const bool refused = levels > kSmSqlMaxNesting;
      EXPECT_EQ(SmAdaptSqlTokensForSqlite(sql, nullptr).has_value(), !refused) << levels;
      EXPECT_EQ(SmAdaptSqlForPg(sql, nullptr).has_value(), !refused) << levels;
    }
  }
  EXPECT_EQ(SmSqlTooDeepText(), "语句中的括号、函数或正负号嵌套超过1000层，不能执行！");
}
