#include "designer/BbDataType.h"

#include <algorithm>
#include <span>

#include "app/SmApp.h"
#include "app/SmTemplateBox.h"
#include "app/SmVar.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "designer/RiloDoc.h"
#include "designer/RiloTree.h"
#include "platform/SmMessage.h"

void CBbDataType::Init() {
  m_number = 3;
  m_resourceId = 304;
  m_tabLabel = "报表";
  Register(std::make_unique<CRiloDocTemplate>());
  CSmDataType::Init();
}

void CBbDataType::GetItemNames(std::vector<int>& codes, CSmStringList& names) {
  codes.push_back(0);
  names.emplace_back("报表目录");
  codes.push_back(1);
  names.emplace_back("保存报表");
}

bool CBbDataType::CreatePage(CSmTemplateBox* box) {
  auto* tree = new CRiloTree(GetSmDatabase(), box->PageParent());
  m_page = tree;
  tree->Refill();
  return true;
}

void CBbDataType::RefreshPage() {
  CRiloTree* tree = CRiloTree::Page();
  if (!tree) return;
  // The page was made before the first log-in: it reads the data file opened now.
  tree->SetDatabase(GetSmDatabase());
  tree->Refill();
}

void CBbDataType::OnFileNew() {
  if (CRiloTree* tree = CRiloTree::Page()) tree->AddChosen();
}

void CBbDataType::OnFileOpen() {
  if (CRiloTree* tree = CRiloTree::Page()) tree->OpenChosen();
}

namespace {

struct SmDefaultVar {
  const char* name;
  const char* fileExpression;    // on a data file
  const char* serverExpression;  // on a server database; null: the same as on a data file
  int type;
  const char* note;
};

// A data file's name ends in the four-digit year and its four-character extension; a server
// database's name is seven characters and the year.
constexpr SmDefaultVar kDefaultVars[] = {
    {"#z", "zw()", nullptr, SM_VAR_TEXT, "当前年度文件名"},
    {"#z1", "zw()+\"\\..\\\"+str(#n-1)+right(zw(),4)", "left(zw(),7)+str(#n-1)", SM_VAR_TEXT,
     "上年年度文件名"},
    {"#z2", "\"账套路径\"+right(zw(),9)", "left(zw(),3)+\"账套号\"+#n", SM_VAR_TEXT,
     "某一账套的当前年度文件名"},
    {"#d", "dir()", nullptr, SM_VAR_TEXT, "当前报表名"},
    {"#d1", "#z1+str(dir(),len(zw()))", "#z1+str(dir(),11)", SM_VAR_TEXT,
     "上年此表名(数据库格式的报表用)"},
    {"#c", "col()", nullptr, SM_VAR_NUMBER, "当前表栏"},
    {"#r", "row()", nullptr, SM_VAR_NUMBER, "当前表行"},
    {"#n", "val(left(right(zw(),8),4))", "val(right(zw(),4))", SM_VAR_NUMBER, "当前年"},
    {"#y", "dirn()", nullptr, SM_VAR_NUMBER, "当前月(此级表序号为月份数)"},
    {"#h", "dirn(1)", nullptr, SM_VAR_NUMBER, "当前表号(一级子表用)"},
    {"#m", "day(#n,#y)", nullptr, SM_VAR_NUMBER, "当前月的月末日"},
    {"#ymd", "str(#n)+\"年 \"+#y+\"月 \"+#m+日", nullptr, SM_VAR_TEXT,
     "年、月、月末日，常用于负债表"},
    {"#ym", "str(#n)+\"年 \"+#y+月", nullptr, SM_VAR_TEXT, "年、月，常用于月报表的报告期"},
    {"#u", "char(col())+row()", nullptr, SM_VAR_TEXT, "当前单元格坐标"},
    {"#t", "get(#u)", nullptr, SM_VAR_ANY, "当前单元格内容"},
    {"#tc", "get(参照栏号+row())", nullptr, SM_VAR_ANY, "取参照栏中对应单元格的内容"},
    {"#tr", "get(char(col())+参照行号)", nullptr, SM_VAR_ANY, "取参照行中对应单元格的内容"},
    {"#sr", "sum(char(col())+起始行号+:+char(col())+终止行号)", nullptr, SM_VAR_NUMBER,
     "起止行固定纵向求和"},
    {"#sc", "sum(起始栏号+row()+:+终止栏号+row())", nullptr, SM_VAR_NUMBER, "起止栏固定横向求和"},
    {"#v", "char(horz())+vert()", nullptr, SM_VAR_TEXT, "组函数当前单元格坐标"},
    {"#k", "len(trim(get(#v)))=0", nullptr, SM_VAR_NUMBER, "组函数当前单元格内容为空"},
    {"#y1", "\"1:\"+dirt()", nullptr, SM_VAR_TEXT, "第一期至当期(取累计数时常用于作报告期)"},
    {"#y2", "str(3*(dirn()-1)+1)+\":\"+str(3*dirn())", nullptr, SM_VAR_TEXT,
     "季报报告期变量(当前表号为季数)"},
    {"#ty", "iif(#y<10,num(#y),iif(#y=10,\"十\",\"十\"+right(num(#y),2)))", nullptr, SM_VAR_TEXT,
     "月份转换变量"},
    {"#jc", "iif(dir(2)=zw(),1,iif(dir(3)=zw(),2,iif(dir(4)=zw(),3,4)))", nullptr, SM_VAR_NUMBER,
     "子表级次(1、2、3、4)"},
};

// Only where the data file holds BmYs: the functions they call come from another module.
constexpr SmDefaultVar kUnitVars[] = {
    {"#dw", "iif(bbxh(1)<=2,dwzm(9,bbxh(1),bbxh(2),bbxh(3),bbxh(4),bbxh(5),bbxh(6)),\" \")",
     nullptr, SM_VAR_TEXT, "由子表序号产生的单位代码"},
    {"#dwa", "iif(bbxh(1)>2,co(),dwzma(#dw))", nullptr, SM_VAR_TEXT, "编表单位名称"},
};

void AddDefaults(CSmVarTable& vars, std::span<const SmDefaultVar> rows, bool server) {
  for (const SmDefaultVar& row : rows) {
    const char* expression =
        server && row.serverExpression ? row.serverExpression : row.fileExpression;
    vars.Add(CSmVar(row.name, expression, row.type, row.note));
  }
}

}  // namespace

void CBbDataType::GetDefaultVars(CSmVarTable& vars) {
  CSmApp* app = SmGetApp();
  CSmDatabase* db = app ? app->GetDatabase() : nullptr;
  const bool server = db ? db->GetKind() != 0 : (app && app->GetDatabaseKind() != 0);
  AddDefaults(vars, kDefaultVars, server);
  if (db && db->TableExists("BmYs")) AddDefaults(vars, kUnitVars, server);
}

namespace {

// The report tables as a new data file gets them; the server spells "Long" as "INT".
constexpr const char* kCreateReportTables[] = {
    "Create Table bbInfo(\tnNo Long,\tsNa Char(60),\tsCopyRight Char(10),\tsWritePsd Char(20),"
    "\tsReadPsd Char(20),\tnRowNum Long,\tnColNum Long)",
    "Create Index bbInfo On bbInfo(nNo)",
    "Create Table bbInfo1(\tnNo Long,\trectBound char(30),\trectStatic char(30),"
    "\tsizePaper char(12),\tbIsRowFirst Long,\tnScrFact Long,\tnLpFact Long)",
    "Create Index bbInfo1 On bbInfo1(nNo)",
    "Create Table bbInfo2(nNo Long,sFlg Char(1),sValue Char(20))",
    "Create Index bbInfo2 On bbInfo2(nNo,sFlg)",
    "Create Table bbInfo3(nNo Long,sFlg Char(1),nxy Long,nValue Long)",
    "Create Index bbInfo3 On bbInfo3(nNo,sFlg,nxy)",
    "Create Table bbInfo4(nNo Long,sFlg Char(1),nx Long,ny Long,sValue char(30))",
    "Create Index bbInfo4 On bbInfo4(nNo,sFlg,nx,ny)",
    "Create Table bbInfo5(nNo Long,sFlg Char(1),nx Long,ny Long,sValue char(250))",
    "Create Index bbInfo5 On bbInfo5(nNo,sFlg,nx,ny)",
    "Create Table bbInfo6(nNo Long,sSubNo char(15),nx Long,ny Long,sValue char(250))",
    "Create Index bbInfo6 On bbInfo6(nNo,sSubNo,nx,ny)",
    "Create Table bbInfo7(nNo Long,sSubNo char(15),sNa Char(60),srptNo Char(20))",
    "Create Index bbInfo7 On bbInfo7(nNo,sSubNo)",
};

// Older files numbered child tables by an integer and had no catalogue: the child values move
// to text paths of one level, and every master and child table gets its catalogue entry.
constexpr const char* kUpgradeToLevels[] = {
    "Create Table bbInfotmp(nNo Long,nSubNo Long,nx Long,ny Long,sValue char(250))",
    "Insert Into bbInfotmp(nNo,nSubNo,nx,ny,sValue) Select nNo,nSubNo,nx,ny,sValue From bbInfo6",
    "Drop Table bbInfo6",
    "Create Table bbInfo6(nNo Long,sSubNo char(15),nx Long,ny Long,sValue char(250))",
    "Insert Into bbInfo6(nNo,sSubNo,nx,ny,sValue) Select nNo,Left(nSubNo,15),nx,ny,sValue From "
    "bbInfotmp",
    "Drop Table bbInfotmp",
    "Create Index bbInfo6 On bbInfo6(nNo,sSubNo,nx,ny)",
    "Create Table bbInfo7(nNo Long,sSubNo char(15),sNa Char(60),srptNo Char(20))",
    "Insert Into bbInfo7(nNo,sSubNo,sNa,srptNo) Select nNo,'',sNa,'' From bbInfo",
    "Insert Into bbInfo7(nNo,sSubNo,sNa,srptNo) Select distinct nNo,sSubNo,'月','' From bbInfo6",
    "Create Index bbInfo7 On bbInfo7(nNo,sSubNo)",
};

constexpr const char* kDropOldestStorage[] = {"Drop Table FMT1", "Drop Table FMT2",
                                              "Drop Table FMT3", "Drop Table SheetTab"};

bool RunDdl(CSmDatabase* db, const std::string& jet) {
  const bool create = jet.starts_with("Create Table");
  return db->ExecuteSQL(jet, create ? ReplaceAll(jet, "Long", "INT") : std::string());
}

// The whole upgrade or nothing: a step that fails would otherwise drop the child values it was
// about to move.
void UpgradeToLevels(CSmDatabase* db) {
  SmMessageBox("需要为“报表的多级化”而升级本年度数据", SM_MB_OK | SM_MB_ICONINFORMATION);
  SmRunInTransaction(db, [db] {
    return std::all_of(std::begin(kUpgradeToLevels), std::end(kUpgradeToLevels),
                       [db](const char* sql) { return RunDdl(db, sql); });
  });
}

}  // namespace

void CBbDataType::CreateTables(CSmDatabase* db) {
  if (!db) return;
  if (!db->TableExists("bbInfo1")) {
    for (const char* sql : kCreateReportTables) RunDdl(db, sql);
    return;
  }
  if (!db->TableExists("bbInfo7")) UpgradeToLevels(db);
  if (!db->TableExists("FMT1")) return;
  for (const char* sql : kDropOldestStorage) RunDdl(db, sql);
}

void CBbDataType::ListCarryOverItems(std::vector<int>& codes, CSmStringList& captions,
                                     CSmStringList& tables) {
  codes.push_back(0);
  captions.emplace_back("报表表样");
  tables.emplace_back("bbInfo bbInfo1");
}

bool CBbDataType::CarryOver(int subCode, int item, CSmDatabase* source, CSmDatabase* target,
                            QLabel* /*status*/) {
  if (subCode * 100 + item != 0) return true;
  // The child tables' cells stay behind: the new year starts with empty child tables.
  static constexpr const char* kTables[] = {"bbInfo",  "bbInfo1", "bbInfo2", "bbInfo3",
                                            "bbInfo4", "bbInfo5", "bbInfo7"};
  return SmRunInTransaction(target, [source, target] {
    return std::all_of(std::begin(kTables), std::end(kTables), [source, target](const char* t) {
      return CSmDatabase::CopyTable(source, target, t);
    });
  });
}

CRiloDoc* CBbDataType::OpenReport(const std::string& path, bool fromDb, int nNo,
                                  const std::string& subNo, bool readOnly) {
  CSmApp* app = SmGetApp();
  if (app) {
    for (const auto& docTemplate : app->m_docManager.Templates()) {
      auto* rilo = dynamic_cast<CRiloDocTemplate*>(docTemplate.get());
      if (!rilo) continue;
      return rilo->OpenReportDocument(
          {path, fromDb ? SM_RILO_DB : SM_RILO_FILE, nNo, subNo, readOnly ? 1 : 0, true});
    }
  }
  SmMessageBox("没有安装报表处理模块！", SM_MB_OK | SM_MB_ICONERROR);
  return nullptr;
}

void CBbDataType::OpenReportFiles() {
  CRiloFileDialog dialog("打开报表文件", std::string("Vornel报表文件(*.BSJ;*.QLN)|*.BSJ;*.QLN|") +
                                             "Vornel报表子表文件(*.BSJ)|*.BSJ|" +
                                             "Vornel报表文件(*.QLN)|*.QLN||");
  if (!dialog.DoModal()) return;
  for (const std::string& path : dialog.m_names)
    OpenReport(path, false, -1, {}, dialog.m_readOnly != 0);
}
