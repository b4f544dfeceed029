// Report variables in SMVAR, on the data file and on the server: load order, the built-in
// defaults of module 0, texts that need quoting, refused widths and a failed save.
#include <gtest/gtest.h>

#include "app/SmApp.h"
#include "app/SmVar.h"
#include "core/SmDatabase.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/core/test_server_fixture.h"

namespace {

class VarTableTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_db.SetKind(GetParam());
    if (GetParam() == 0) {
      const std::string path = SmCreateTestDataFile(2026);
      ASSERT_TRUE(m_db.Open(path));
    } else {
      ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(m_db, SmServerTestName("smvar")));
      m_app.CreateSystemTables(&m_db);
    }
    ASSERT_TRUE(m_db.TableExists("SMVAR"));
  }

  CSmVarTable Stored(int soft, int no) {
    CSmVarTable vars;
    vars.m_nSoft = soft;
    vars.m_nNo = no;
    EXPECT_TRUE(vars.LoadFromDb(&m_db));
    return vars;
  }
  std::vector<std::string> Names(const CSmVarTable& vars) {
    std::vector<std::string> names;
    for (int i = 0; i < vars.GetSize(); ++i) names.push_back(vars.GetAt(i).m_name);
    return names;
  }

  CSmApp m_app;
  CSmDatabase m_db;
};

INSTANTIATE_TEST_SUITE_P(Kinds, VarTableTest, testing::Values(0, 2));

TEST_P(VarTableTest, LoadsOrderedByNameAndOnlyItsOwnModuleAndNumber) {
  CSmVarTable vars;
  vars.m_nSoft = 3;
  vars.m_nNo = 7;
  vars.Add(CSmVar("#c", "col()", SM_VAR_NUMBER, "栏"));
  vars.Add(CSmVar("#a", "zw()", SM_VAR_TEXT, ""));
  vars.Add(CSmVar("#b", "get(#u)", SM_VAR_ANY, "当前单元格内容"));
  ASSERT_TRUE(vars.SaveToDb(&m_db));
  CSmVarTable other;
  other.m_nSoft = 3;
  other.m_nNo = 8;
  other.Add(CSmVar("#x", "1", SM_VAR_NUMBER, ""));
  ASSERT_TRUE(other.SaveToDb(&m_db));

  const CSmVarTable loaded = Stored(3, 7);
  EXPECT_EQ(Names(loaded), (std::vector<std::string>{"#a", "#b", "#c"}));
  EXPECT_EQ(loaded.GetAt(1), CSmVar("#b", "get(#u)", SM_VAR_ANY, "当前单元格内容"));
  EXPECT_EQ(loaded.GetAt(0).m_note, "");

  // Saving again replaces the rows of (3, 7) and leaves (3, 8) alone.
  vars.RemoveAll();
  vars.Add(CSmVar("#d", "row()", SM_VAR_NUMBER, ""));
  ASSERT_TRUE(vars.SaveToDb(&m_db));
  EXPECT_EQ(Names(Stored(3, 7)), std::vector<std::string>{"#d"});
  EXPECT_EQ(Names(Stored(3, 8)), std::vector<std::string>{"#x"});
}

TEST_P(VarTableTest, ModuleZeroDefaultsFollowTheStoredVariables) {
  CSmVarTable vars;
  vars.m_nNo = 5;
  vars.Add(CSmVar("#q", "1+1", SM_VAR_NUMBER, ""));
  ASSERT_TRUE(vars.SaveToDb(&m_db));
  CSmVarTable loaded = Stored(0, 5);
  loaded.SetDefaults();
  EXPECT_EQ(loaded.m_nNo, 0);
  ASSERT_EQ(Names(loaded), (std::vector<std::string>{"#q", "#z", "#y", "#y1"}));
  EXPECT_EQ(loaded.GetAt(1), CSmVar("#z", "zw()", SM_VAR_TEXT, "当前账务数据文件名"));
  EXPECT_EQ(loaded.GetAt(2), CSmVar("#y", "pzt(1)", SM_VAR_NUMBER, "当前业务月"));
  EXPECT_EQ(loaded.GetAt(3), CSmVar("#y1", R"("1:"+str(pzt(1)))", SM_VAR_TEXT, "一月至当前业务月"));
  EXPECT_EQ(loaded.GetAt(3).m_expression.size(), 16u);
}

TEST_P(VarTableTest, QuotesAndBarsAreStoredAsTyped) {
  CSmVarTable vars;
  const CSmVar quoted("#s", R"(iif(#y=1,'a''b',"|")|#k)", SM_VAR_TEXT, "O'Brien 的|说明");
  vars.Add(quoted);
  ASSERT_TRUE(vars.SaveToDb(&m_db));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  const CSmVarTable loaded = Stored(0, 0);
  ASSERT_EQ(loaded.GetSize(), 1);
  EXPECT_EQ(loaded.GetAt(0), quoted);
}

TEST_P(VarTableTest, OverlongTextsAreRefusedBeforeAnythingIsWritten) {
  CSmVarTable vars;
  vars.Add(CSmVar("#keep", "1", SM_VAR_NUMBER, ""));
  ASSERT_TRUE(vars.SaveToDb(&m_db));
  struct Case {
    CSmVar var;
    const char* message;
  };
  const Case cases[] = {
      {CSmVar("#abcdefghij", "1", 4, ""), "变量“#abcdefghij”的变量名超过10个字节，不能保存！"},
      {CSmVar("#长名字变量", "1", 4, ""), "变量“#长名字变量”的变量名超过10个字节，不能保存！"},
      {CSmVar("#e", std::string(201, '1'), 4, ""), "变量“#e”的公式超过200个字节，不能保存！"},
      {CSmVar("#n", "1", 4, std::string(30, 'x') + "一二三四五六七八九十一二三四五六"),
       "变量“#n”的说明超过60个字节，不能保存！"},
  };
  for (const Case& c : cases) {
    SmResetMessages();
    CSmVarTable bad;
    bad.Add(CSmVar("#ok", "2", SM_VAR_NUMBER, ""));
    bad.Add(c.var);
    EXPECT_FALSE(bad.SaveToDb(&m_db)) << c.message;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message);
    EXPECT_EQ(Names(Stored(0, 0)), std::vector<std::string>{"#keep"});
  }
  // At the limits: 10, 200 and 60 bytes are taken.
  CSmVarTable full;
  full.Add(CSmVar("#名字变量1", std::string(200, '1'), 4, std::string(60, 'x')));
  EXPECT_TRUE(full.SaveToDb(&m_db));
  EXPECT_EQ(Stored(0, 0).GetAt(0), full.GetAt(0));
}

TEST(VarTable, FailedInsertRollsTheDeleteBack) {
  SmResetMessages();
  CSmApp app;
  CSmDatabase db;
  ASSERT_TRUE(db.Open(SmCreateTestDataFile(2026)));
  CSmVarTable vars;
  vars.Add(CSmVar("#old", "1", SM_VAR_NUMBER, ""));
  ASSERT_TRUE(vars.SaveToDb(&db));
  ASSERT_TRUE(
      db.ExecuteSQL("Create Trigger NoBad Before Insert On SMVAR When NEW.SVAR='#bad' "
                    "Begin Select Raise(Abort,'refused'); End"));
  CSmVarTable changed;
  changed.Add(CSmVar("#new", "2", SM_VAR_NUMBER, ""));
  changed.Add(CSmVar("#bad", "3", SM_VAR_NUMBER, ""));
  EXPECT_FALSE(changed.SaveToDb(&db));
  EXPECT_NE(CSmMessageService::Instance().LastText().find("执行下列SQL语句时出错！"),
            std::string::npos);
  CSmVarTable loaded;
  ASSERT_TRUE(loaded.LoadFromDb(&db));
  EXPECT_TRUE(loaded.IsEqual(vars));
}

// A module's defaults reach a new data file through its data type; module 3's table of its
// own stays empty there.
class DefaultingType : public CSmDataType {
 public:
  DefaultingType() { m_number = 7; }
  void GetDefaultVars(CSmVarTable& vars) override {
    vars.Add(CSmVar("#w", "week()", SM_VAR_NUMBER, "周"));
  }
};

TEST_P(VarTableTest, DataTypeWritesItsDefaultsOverGroupZero) {
  DefaultingType type;
  m_app.m_dataTypes = {&type};
  CSmVarTable old;
  old.m_nSoft = 7;
  old.Add(CSmVar("#old", "1", SM_VAR_NUMBER, ""));
  ASSERT_TRUE(old.SaveToDb(&m_db));
  type.SetDefaultVariables(&m_db, 2026);
  m_app.m_dataTypes.clear();
  const CSmVarTable stored = Stored(7, 0);
  ASSERT_EQ(stored.GetSize(), 1);
  EXPECT_EQ(stored.GetAt(0), CSmVar("#w", "week()", SM_VAR_NUMBER, "周"));
}

TEST(VarTable, CopiesAreDeepAndFindIsExact) {
  CSmVarTable a;
  a.m_nSoft = 3;
  a.m_nNo = 9;
  a.Add(CSmVar("#a", "1", SM_VAR_NUMBER, ""));
  CSmVarTable b = a;
  b.SetAt(0, CSmVar("#a", "2", SM_VAR_NUMBER, ""));
  EXPECT_EQ(b.m_nSoft, 3);
  EXPECT_EQ(b.m_nNo, 9);
  EXPECT_FALSE(a.IsEqual(b));
  CSmVar found;
  EXPECT_TRUE(a.Find("#a", found));
  EXPECT_EQ(found.m_expression, "1");
  EXPECT_FALSE(a.Find("#A", found));
  b = a;
  b.m_nNo = 1;
  EXPECT_TRUE(a.IsEqual(b));
}

}  // namespace
