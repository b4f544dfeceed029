#include "cane/TsDataType.h"

#include <QMenu>

#include "app/SmApp.h"
#include "cane/TsDocTemplates.h"
#include "cane/TsParams.h"
#include "cane/TsWeighingService.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"

CTsDataType::CTsDataType() = default;
CTsDataType::~CTsDataType() = default;

void CTsDataType::Init() {
  m_number = 16;
  m_resourceId = 324;
  m_tabLabel = "甘蔗结算";
  Register(nullptr);
  if (CSmApp* app = SmGetApp()) TsRegisterDocTemplates(app->m_docManager, m_number);
  SetDefaultParams();
  CFormDataType::Init();
}

void CTsDataType::SetWeighingService(std::unique_ptr<CTsWeighingService> service) {
  m_weighing = std::move(service);
}

CTsWeighingService* TsGetWeighingService() {
  CTsDataType* type = TsGetDataType();
  return type ? type->WeighingService() : nullptr;
}

void CTsDataType::GetDocumentRights(CSmStringList& codes, CSmStringList& names) {
  static const char* const kRights[][2] = {
      {"01", "系统参数"},
      {"02", "农户目录"},
      {"03", "甘蔗砍运地目录"},
      {"04", "驾驶员目录"},
      {"05", "甘蔗品种目录"},
      {"20", "称毛重"},
      {"21", "除皮"},
      {"22", "过磅单查询"},
      {"23", "录入过磅单"},
      {"27", "手工录入过磅数"},
      {"24", "过磅单修改删除"},
      {"25", "过磅单重新成批计算"},
      {"26", "过榜单明细表"},
      {"30", "蔗款结算单查询"},
      {"31", "蔗款结算单制作"},
      {"32", "蔗款结算单修改删除"},
      {"33", "蔗款结算单付款"},
      {"34", "蔗款结算单复核"},
      {"35", "重复打印蔗款结算单"},
      {"40", "运费结算单查询"},
      {"41", "运费结算单制作"},
      {"42", "运费结算单修改删除"},
      {"43", "运费结算单付款"},
      {"44", "运费结算单复核"},
      {"45", "重复打印运费结算单"},
      {"51", "预付款单据查询"},
      {"52", "预付款业务"},
      {"54", "预付款单据复核"},
      {"61", "农户明细账"},
      {"62", "运户明细账"},
      {"71", "甘蔗收购日报表"},
      {"63", "甘蔗收购统计表"},
      {"64", "运费统计表"},
      {"65", "甘蔗结算统计表"},
      {"66", "运费结算统计表"},
      {"67", "未结蔗款统计表"},
      {"68", "未结运费统计表"},
      {"69", "农户预付款余额及发生额表"},
      {"70", "运户预付款余额及发生额表"},
      {"72", "农户及其预付款余额表"},
      {"73", "运户及其预付款余额表"},
  };
  for (const auto& right : kRights) {
    codes.emplace_back(right[0]);
    names.emplace_back(right[1]);
  }
}

void CTsDataType::GetExtraRights(CSmStringList& codes, CSmStringList& names) {
  codes.emplace_back("0008");
  names.emplace_back("串口参数");
}

void CTsDataType::GetLogTaskNames(std::vector<int>& codes, CSmStringList& names) {
  codes.push_back(24);
  names.emplace_back("串口参数");
}

void CTsDataType::GetItemNames(std::vector<int>& codes, CSmStringList& names) {
  static const char* const kNames[] = {"系统参数",   "农户目录",     "甘蔗砍运地目录",
                                       "驾驶员目录", "甘蔗品种目录", "过磅单",
                                       "蔗款结算单", "运费结算单",   "预付款单据"};
  int code = 0;
  for (const char* name : kNames) {
    codes.push_back(code++);
    names.emplace_back(name);
  }
}

void CTsDataType::GetCodeReferences(const std::string& column, CSmStringList& tables,
                                    CSmStringList& columns, CSmStringList& jetConditions,
                                    CSmStringList& serverConditions) {
  if (column != "OPR") return;
  auto add = [&](const char* table, const std::string& col, const std::string& condition) {
    tables.emplace_back(table);
    columns.push_back(col);
    jetConditions.push_back(condition);
    serverConditions.emplace_back();
  };
  for (int n = 0; n < 8; ++n) {
    add("gbSheet", FormatStr("OPR%d", n), {});
    if (n > 1) continue;
    add("jsSheet", FormatStr("OPR%d", n), {});
    add("SysCsTab", "CsVal", FormatStr("Cs=416%d", n));
  }
}

void CTsDataType::AfterCopySystemTables(CSmDatabase* /*source*/, CSmDatabase* target) {
  if (target) target->ExecuteSQL("Delete From SYSCSTAB Where CS=4160 Or CS=4161");
}
