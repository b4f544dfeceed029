#include "cane/TsParams.h"

#include <cctype>
#include <cstdio>

#include "app/SmApp.h"  // FindSmDataType
#include "cane/TsCaneContext.h"
#include "cane/TsDataType.h"
#include "core/SmCsRecord.h"
#include "core/SmDate.h"
#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "core/SmWiring.h"

namespace {

constexpr TsIntParam kFarmerLevels = TsIntParam::FarmerLevel1Len;
constexpr TsIntParam kVarietyLevels = TsIntParam::VarietyLevel1Len;
constexpr int kFarmerLinkName1 = static_cast<int>(TsStrParam::FarmerLinkName1);
constexpr int kPlaceLinkName1 = static_cast<int>(TsStrParam::PlaceLinkName1);
constexpr int kYearStart = static_cast<int>(TsStrParam::YearStartMonth);
constexpr int kPrintSettings = static_cast<int>(TsStrParam::TicketPrint);

// Defaults of the item texts 0-39 that are not empty.
const std::pair<int, const char*> kDefaultItems[] = {
    {0, "补助款\t0+\t10*#sl"},
    {1, "扣义运\t0-\t#sl*#ccs1"},
    {2, "扣限载\t0-\tiif(#sl<#xzx,(#xzx-#sl)*#djy,iif(#sl>#xzs,(#sl-#xzs)*10,0))"},
    {3, "扣修路费\t1-\t#sl*#ncs1"},
    {5, "放空补助\t0+\tiif(#sl<#xzx,(#xzx-#sl)*#djy,0)"},
    {6, "超载扣运费\t0-\tiif(#sl>#xzs,(#sl-#xzs)*#djy,0)"},
    {10, "扣贷款\t11"},
    {11, "预付款\t21"},
    {12, "周转金\t21"},
    {13, "蔗种款\t20"},
    {14, "化肥款\t21"},
    {25, "养路费\t11"},
    {26, "修车费\t11"},
    {27, "预付款\t21"},
    {28, "油款\t21"},
    {29, "修理费\t21"},
};

int LevelSum(TsIntParam first) {
  int sum = 0;
  for (int k = 0; k < 5; ++k) sum += TsGetIntParam(first + k);
  return sum;
}

int LevelCount(TsIntParam first) {
  for (int k = 0; k < 5; ++k) {
    if (TsGetIntParam(first + k) <= 0) return k;
  }
  return 5;
}

// The number of levels a code of this length spans; 0 when it ends within a level.
int CodeLevel(TsIntParam first, std::string_view code) {
  const int length = static_cast<int>(GbkSize(code));
  int sum = 0;
  for (int k = 0; k < 5; ++k) {
    if (length == sum) return k;
    sum += TsGetIntParam(first + k);
  }
  return 0;
}

// The module the parameters are read from; none is a wiring fault.
const CTsDataType* ParamsOf(const CTsDataType* type) {
  if (!type) SmWiringFault("cane parameters read with no cane module loaded");
  return type;
}

int IntParamOf(const CTsDataType* type, int i) {
  if (!ParamsOf(type) || i < 0 || i >= static_cast<int>(type->m_intParams.size())) return 0;
  return type->m_intParams[i];
}

double DblParamOf(const CTsDataType* type, int i) {
  if (!ParamsOf(type) || i < 0 || i >= static_cast<int>(type->m_dblParams.size())) return 0;
  return type->m_dblParams[i];
}

std::string StrParamOf(const CTsDataType* type, int i) {
  if (!ParamsOf(type) || i < 0 || i >= static_cast<int>(type->m_strParams.size())) return {};
  return type->m_strParams[i];
}

std::string StartMonthOrParam(const TsCaneContext& context, const std::string& xmm) {
  return xmm.empty() ? TsGetStrParam(context, TsStrParam::YearStartMonth) : xmm;
}

int DigitOf(const std::string& text, size_t position) {
  return position < text.size() ? StrToIntDef(text.substr(position, 1), 0) : 0;
}

}  // namespace

// ---------------------------------------------------------------- the working copy

void CTsDataType::GetParamNames(CSmStringList& intNames, CSmStringList& numberNames,
                                CSmStringList& textNames) const {
  intNames.clear();
  numberNames.clear();
  textNames.clear();
  for (int k = 1; k <= 5; ++k) intNames.push_back(FormatStr("农户%d级代码长度", k));
  intNames.emplace_back("驾驶员代码长度");
  intNames.emplace_back("甘蔗砍运地代码长度");
  for (int k = 1; k <= 5; ++k) intNames.push_back(FormatStr("甘蔗品种%d级代码长度", k));
  intNames.emplace_back("过磅单号长度");
  intNames.emplace_back("数量精度");
  intNames.emplace_back("运费计价重量去杂吗(0否、1是)");
  intNames.emplace_back("过磅单的毛、皮员可相同吗(0否、1是)");

  numberNames = {"浮动蔗价(元/吨)", "浮动运费(元/吨)"};

  const std::pair<const char*, int> textGroups[] = {
      {"按过磅单计算的蔗款项目%d", 5},  {"按过磅单计算的运费项目%d", 5},
      {"按结算单清算的蔗款项目%d", 15}, {"按结算单清算的运费项目%d", 15},
      {"与农户关联的参数%d名称", 4},    {"与砍运地关联的参数%d名称", 4}};
  for (const auto& [format, count] : textGroups) {
    for (int k = 1; k <= count; ++k) textNames.push_back(FormatStr(format, k));
  }
  textNames.emplace_back("年初月(xmm,x取0为上年,1为本年,mm为月份)");
  textNames.emplace_back("过磅单打印");
  textNames.emplace_back("农户结算单打印");
  textNames.emplace_back("运费结算单打印");
}

void CTsDataType::SetDefaultParams() {
  m_intParams = {1, 2, 2, 3, 0, 3, 3, 1, 2, 0, 0, 0, 5, 3, 0, 0};
  m_dblParams.assign(kDblParamCount, 0.0);
  m_strParams.assign(kStrParamCount, std::string());
  for (const auto& [index, text] : kDefaultItems) m_strParams[index] = text;
  m_strParams[kFarmerLinkName1] = "修路费系数(元/吨)";
  m_strParams[kPlaceLinkName1] = "义运系数(元/吨)";
  m_strParams[kYearStart] = "011";
  for (int n = 0; n < 3; ++n) m_strParams[kPrintSettings + n] = "00";
  BuildItemTables();
}

void CTsDataType::LoadParams(CSmDatabase* db) {
  if (!db) db = TsCaneContextFromApp().db;
  CSmCsRecordArray rows;
  if (db) CSmCsRecord(db).LoadGroup(kParamGroup, &rows, db);
  for (const CSmCsRecord& row : rows) {
    const long n = row.CsN;
    if (n >= 200 && n < 300 && n - 200 < static_cast<long>(m_strParams.size())) {
      m_strParams[n - 200] = row.CsVal;
    } else if (n >= 100 && n < 200 && n - 100 < static_cast<long>(m_dblParams.size())) {
      std::sscanf(row.CsVal.c_str(), "%lf", &m_dblParams[n - 100]);
    } else if (n >= 0 && n < 100 && n < static_cast<long>(m_intParams.size())) {
      std::sscanf(row.CsVal.c_str(), "%d", &m_intParams[n]);
    }
  }
  BuildItemTables();
}

// ---------------------------------------------------------------- accessors

CTsDataType* TsGetDataType() {
  return dynamic_cast<CTsDataType*>(FindSmDataType(16));
}

int TsGetIntParam(int i) {
  return IntParamOf(TsGetDataType(), i);
}
double TsGetDblParam(int i) {
  return DblParamOf(TsGetDataType(), i);
}
std::string TsGetStrParam(int i) {
  return StrParamOf(TsGetDataType(), i);
}
int TsGetIntParam(TsIntParam param) {
  return TsGetIntParam(static_cast<int>(param));
}
double TsGetDblParam(TsDblParam param) {
  return TsGetDblParam(static_cast<int>(param));
}
std::string TsGetStrParam(TsStrParam param) {
  return TsGetStrParam(static_cast<int>(param));
}
int TsGetIntParam(const TsCaneContext& context, TsIntParam param) {
  return IntParamOf(context.params, static_cast<int>(param));
}
double TsGetDblParam(const TsCaneContext& context, TsDblParam param) {
  return DblParamOf(context.params, static_cast<int>(param));
}
std::string TsGetStrParam(const TsCaneContext& context, TsStrParam param) {
  return StrParamOf(context.params, static_cast<int>(param));
}

int TsGetFarmerCodeLen() {
  return LevelSum(kFarmerLevels);
}
int TsGetFarmerLevelCount() {
  return LevelCount(kFarmerLevels);
}
int TsGetFarmerCodeLevel(std::string_view code) {
  return CodeLevel(kFarmerLevels, code);
}
int TsGetVarietyCodeLen() {
  return LevelSum(kVarietyLevels);
}
int TsGetVarietyLevelCount() {
  return LevelCount(kVarietyLevels);
}
int TsGetVarietyCodeLevel(std::string_view code) {
  return CodeLevel(kVarietyLevels, code);
}

int TsGetTicketNoLen() {
  return TsGetIntParam(TsIntParam::TicketNoLen);
}
int TsGetQtyPrecision() {
  return TsGetIntParam(TsIntParam::QtyPrecision);
}
std::string TsWeightText(double weight) {
  const int decimals = TsGetQtyPrecision();
  const double rounded = RoundTo(weight, decimals) + 0.0;  // never "-0.000"
  if (rounded == 0.0) return FormatStr("%.*f", decimals, 0.0);
  return FormatNumberPlain(rounded, decimals, decimals);
}
int TsGetFreightNetOfImpurity() {
  return TsGetIntParam(TsIntParam::FreightNetOfImpurity);
}

std::string TsGetYearStartParam() {
  return TsGetStrParam(TsStrParam::YearStartMonth);
}

std::string TsGetYearStartDate(const std::string& xmm) {
  return TsGetYearStartDate(TsCaneContextFromApp(), xmm);
}

std::string TsGetYearEndDate() {
  return TsGetYearEndDate(TsCaneContextFromApp());
}

std::string TsGetYearStartDate(const TsCaneContext& context, const std::string& xmm) {
  return TsYearStartDate(context.year, StartMonthOrParam(context, xmm));
}

std::string TsGetYearEndDate(const TsCaneContext& context) {
  return TsYearEndDate(context.year, TsGetStrParam(context, TsStrParam::YearStartMonth));
}

std::string TsYearStartDate(int year, const std::string& xmm) {
  const int x = DigitOf(xmm, 0);
  const std::string mm = xmm.size() > 1 ? xmm.substr(1) : std::string();
  return FormatStr("%d%s01", year + x - 1, mm.c_str());
}

std::string TsYearEndDate(int year, const std::string& xmm) {
  const int x = DigitOf(xmm, 0);
  const int mm = xmm.size() > 1 ? StrToIntDef(xmm.substr(1), 0) : 0;
  const int endYear = mm <= 1 ? year + x - 1 : year + x;
  const int endMonth = mm <= 1 ? 12 : mm - 1;
  return FormatStr("%d", endYear * 10000 + endMonth * 100 + DaysInMonth(endYear, endMonth));
}

int TsBusinessYearOf(const std::string& day, const std::string& xmm) {
  const int year = StrToIntDef(day.substr(0, 4), 0);
  const int month = day.size() >= 6 ? StrToIntDef(day.substr(4, 2), 0) : 0;
  const bool valid = xmm.size() == 3 && (xmm[0] == '0' || xmm[0] == '1') &&
                     std::isdigit(static_cast<unsigned char>(xmm[1])) &&
                     std::isdigit(static_cast<unsigned char>(xmm[2]));
  const int x = valid ? xmm[0] - '0' : 0;
  const int mm = valid ? StrToIntDef(xmm.substr(1), 0) : 0;
  if (mm < 1 || mm > 12) return year;
  // The year begins on the first of month mm of the calendar year Y + x - 1.
  return month >= mm ? year - x + 1 : year - x;
}

std::string TsNearestYearDay(const std::string& day) {
  const std::string first = TsGetYearStartDate();
  const std::string last = TsGetYearEndDate();
  if (day < first) return first;
  if (day > last) return last;
  return day;
}

std::string TsProposedWorkDate() {
  return TsNearestYearDay(NowText("%Y%m%d"));
}

std::string TsYearRangeText() {
  return "本蔗年：" + DateToChineseText(TsGetYearStartDate(), "") + "～" +
         DateToChineseText(TsGetYearEndDate(), "");
}

int TsGetPrintWhen(int n) {
  return n >= 0 && n < 3 ? DigitOf(TsGetStrParam(TsStrParam::TicketPrint + n), 0) : 0;
}

int TsGetPrintStyle(int n) {
  return n >= 0 && n < 3 ? DigitOf(TsGetStrParam(TsStrParam::TicketPrint + n), 1) : 0;
}

int TsGetItemCount(int slip) {
  return slip == 0 ? 5 : 15;
}
