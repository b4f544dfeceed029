// The report designer's data type: its registration, operation names and the default report
// variables on a data file and on the server, with and without the table BmYs.
#include <gtest/gtest.h>

#include "app/SmApp.h"
#include "app/SmVar.h"
#include "core/SmDatabase.h"
#include "designer/BbDataType.h"
#include "designer/RiloData.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/core/test_server_fixture.h"

namespace {

struct ExpectedVar {
  const char* name;
  const char* file;
  const char* server;
  int type;
  const char* note;
};

// Written out as the clerk reads them in the variables list.
const ExpectedVar kExpected[] = {
    {"#z", "zw()", "zw()", 5, "当前年度文件名"},
    {"#z1", R"(zw()+"\..\"+str(#n-1)+right(zw(),4))", "left(zw(),7)+str(#n-1)", 5,
     "上年年度文件名"},
    {"#z2", R"("账套路径"+right(zw(),9))", R"(left(zw(),3)+"账套号"+#n)", 5,
     "某一账套的当前年度文件名"},
    {"#d", "dir()", "dir()", 5, "当前报表名"},
    {"#d1", "#z1+str(dir(),len(zw()))", "#z1+str(dir(),11)", 5, "上年此表名(数据库格式的报表用)"},
    {"#c", "col()", "col()", 4, "当前表栏"},
    {"#r", "row()", "row()", 4, "当前表行"},
    {"#n", "val(left(right(zw(),8),4))", "val(right(zw(),4))", 4, "当前年"},
    {"#y", "dirn()", "dirn()", 4, "当前月(此级表序号为月份数)"},
    {"#h", "dirn(1)", "dirn(1)", 4, "当前表号(一级子表用)"},
    {"#m", "day(#n,#y)", "day(#n,#y)", 4, "当前月的月末日"},
    {"#ymd", R"(str(#n)+"年 "+#y+"月 "+#m+日)", R"(str(#n)+"年 "+#y+"月 "+#m+日)", 5,
     "年、月、月末日，常用于负债表"},
    {"#ym", R"(str(#n)+"年 "+#y+月)", R"(str(#n)+"年 "+#y+月)", 5, "年、月，常用于月报表的报告期"},
    {"#u", "char(col())+row()", "char(col())+row()", 5, "当前单元格坐标"},
    {"#t", "get(#u)", "get(#u)", 100, "当前单元格内容"},
    {"#tc", "get(参照栏号+row())", "get(参照栏号+row())", 100, "取参照栏中对应单元格的内容"},
    {"#tr", "get(char(col())+参照行号)", "get(char(col())+参照行号)", 100,
     "取参照行中对应单元格的内容"},
    {"#sr", "sum(char(col())+起始行号+:+char(col())+终止行号)",
     "sum(char(col())+起始行号+:+char(col())+终止行号)", 4, "起止行固定纵向求和"},
    {"#sc", "sum(起始栏号+row()+:+终止栏号+row())", "sum(起始栏号+row()+:+终止栏号+row())", 4,
     "起止栏固定横向求和"},
    {"#v", "char(horz())+vert()", "char(horz())+vert()", 5, "组函数当前单元格坐标"},
    {"#k", "len(trim(get(#v)))=0", "len(trim(get(#v)))=0", 4, "组函数当前单元格内容为空"},
    {"#y1", R"("1:"+dirt())", R"("1:"+dirt())", 5, "第一期至当期(取累计数时常用于作报告期)"},
    {"#y2", R"(str(3*(dirn()-1)+1)+":"+str(3*dirn()))", R"(str(3*(dirn()-1)+1)+":"+str(3*dirn()))",
     5, "季报报告期变量(当前表号为季数)"},
    {"#ty", R"(iif(#y<10,num(#y),iif(#y=10,"十","十"+right(num(#y),2))))",
     R"(iif(#y<10,num(#y),iif(#y=10,"十","十"+right(num(#y),2))))", 5, "月份转换变量"},
    {"#jc", "iif(dir(2)=zw(),1,iif(dir(3)=zw(),2,iif(dir(4)=zw(),3,4)))",
     "iif(dir(2)=zw(),1,iif(dir(3)=zw(),2,iif(dir(4)=zw(),3,4)))", 4, "子表级次(1、2、3、4)"},
    {"#dw", R"(iif(bbxh(1)<=2,dwzm(9,bbxh(1),bbxh(2),bbxh(3),bbxh(4),bbxh(5),bbxh(6))," "))",
     R"(iif(bbxh(1)<=2,dwzm(9,bbxh(1),bbxh(2),bbxh(3),bbxh(4),bbxh(5),bbxh(6))," "))", 5,
     "由子表序号产生的单位代码"},
    {"#dwa", "iif(bbxh(1)>2,co(),dwzma(#dw))", "iif(bbxh(1)>2,co(),dwzma(#dw))", 5, "编表单位名称"},
};

void ExpectDefaults(const CSmVarTable& vars, size_t count, bool server) {
  ASSERT_EQ(vars.GetSize(), static_cast<int>(count));
  for (size_t i = 0; i < count; ++i) {
    const ExpectedVar& e = kExpected[i];
    EXPECT_EQ(vars.GetAt(static_cast<int>(i)),
              CSmVar(e.name, server ? e.server : e.file, e.type, e.note))
        << "row " << i + 1;
  }
}

class ReportApp : public CSmApp {
 public:
  ReportApp() { AdoptDataType(std::make_unique<CBbDataType>())->Init(); }
};

TEST(BbDataType, ModuleThreeWithItsOperationNames) {
  ReportApp app;
  CSmDataType* type = FindSmDataType(3);
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->m_resourceId, 304);
  EXPECT_EQ(type->m_tabLabel, "报表");
  std::vector<int> codes;
  CSmStringList names;
  type->GetItemNames(codes, names);
  EXPECT_EQ(codes, (std::vector<int>{0, 1}));
  EXPECT_EQ(names, (CSmStringList{"报表目录", "保存报表"}));
}

class DefaultVarsTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmDatabase* db = m_app.m_env.Connection();
    m_app.m_env.SetKind(GetParam());
    if (GetParam() == 0) {
      ASSERT_TRUE(db->Open(SmCreateTestDataFile(2026)));
    } else {
      ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(*db, SmServerTestName("bbvars")));
      m_app.CreateSystemTables(db);
    }
  }
  CSmVarTable Defaults() {
    CSmVarTable vars;
    vars.m_nSoft = 3;
    vars.m_nNo = 12;
    vars.SetDefaults();
    return vars;
  }

  ReportApp m_app;
};

INSTANTIATE_TEST_SUITE_P(Kinds, DefaultVarsTest, testing::Values(0, 2));

TEST_P(DefaultVarsTest, TwentyFiveOrWithBmYsTwentySevenInTheFormOfTheBackEnd) {
  const bool server = GetParam() != 0;
  ExpectDefaults(Defaults(), 25, server);
  ASSERT_TRUE(GetSmDatabase()->ExecuteSQL("Create Table BmYs(sBm Char(10))"));
  ExpectDefaults(Defaults(), 27, server);
}

TEST_P(DefaultVarsTest, ReportFileWithoutVariablesReadsTheDefaults) {
  CRiloData sheet;
  sheet.m_rows = 1;
  sheet.m_cols = 1;
  sheet.m_texts = {"x"};
  const std::string path = SmTestHome() + "/novars" + std::to_string(GetParam()) + ".QLN";
  ASSERT_TRUE(sheet.SaveFile(path));
  ASSERT_TRUE(GetSmDatabase()->ExecuteSQL("Create Table BmYs(sBm Char(10))"));
  CRiloData back;
  ASSERT_TRUE(back.LoadFile(path));
  ExpectDefaults(back.m_vars, 27, GetParam() != 0);
}

TEST(DefaultVars, WithoutAnOpenDataFileTheFileForms) {
  ReportApp app;
  CSmVarTable vars;
  vars.m_nSoft = 3;
  vars.SetDefaults();
  ExpectDefaults(vars, 25, false);
}

}  // namespace
