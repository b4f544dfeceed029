#pragma once
// Read access to the cane module's system parameters. Everything reads them through these
// functions, which find the module as data type 16 (or take it from a cane context); an index
// out of range reads 0 or the empty text. No module loaded is a wiring fault (SmWiring.h) and
// then reads 0 or the empty text too.
#include <string>
#include <string_view>

class CTsDataType;
struct TsCaneContext;

// The integer parameters by what they hold. The five levels of a farmer or variety code follow
// their first: FarmerLevel1Len + k is level k + 1.
enum class TsIntParam : int {
  FarmerLevel1Len = 0,        // 农户1-5级代码长度 (0-4)
  DriverCodeLen = 5,          // 驾驶员代码长度
  PlaceCodeLen = 6,           // 甘蔗砍运地代码长度
  VarietyLevel1Len = 7,       // 甘蔗品种1-5级代码长度 (7-11)
  TicketNoLen = 12,           // 过磅单号长度
  QtyPrecision = 13,          // 数量精度
  FreightNetOfImpurity = 14,  // 运费计价重量去杂吗
  SameGrossTareOperator = 15  // 过磅单的毛、皮员可相同吗
};

// The number parameters; kind 0 cane, 1 freight: FloatingCanePrice + kind.
enum class TsDblParam : int {
  FloatingCanePrice = 0,    // 浮动蔗价(元/吨)
  FloatingFreightPrice = 1  // 浮动运费(元/吨)
};

// The text parameters; the items and linked names of a group follow their first.
enum class TsStrParam : int {
  TicketCaneItem1 = 0,     // 按过磅单计算的蔗款项目1-5 (0-4)
  TicketFreightItem1 = 5,  // 按过磅单计算的运费项目1-5 (5-9)
  SlipCaneItem1 = 10,      // 按结算单清算的蔗款项目1-15 (10-24)
  SlipFreightItem1 = 25,   // 按结算单清算的运费项目1-15 (25-39)
  FarmerLinkName1 = 40,    // 与农户关联的参数1-4名称 (40-43)
  PlaceLinkName1 = 44,     // 与砍运地关联的参数1-4名称 (44-47)
  YearStartMonth = 48,     // 年初月 "xmm"
  TicketPrint = 49,        // 过磅单打印
  CaneSlipPrint = 50,      // 农户结算单打印
  FreightSlipPrint = 51    // 运费结算单打印
};

// The k-th parameter after `first` (a level, an item or a linked name of its group).
constexpr TsIntParam operator+(TsIntParam first, int k) {
  return static_cast<TsIntParam>(static_cast<int>(first) + k);
}
constexpr TsDblParam operator+(TsDblParam first, int k) {
  return static_cast<TsDblParam>(static_cast<int>(first) + k);
}
constexpr TsStrParam operator+(TsStrParam first, int k) {
  return static_cast<TsStrParam>(static_cast<int>(first) + k);
}

CTsDataType* TsGetDataType();
// By number i within its kind: for the lists that walk all parameters.
int TsGetIntParam(int i);
double TsGetDblParam(int i);
std::string TsGetStrParam(int i);
int TsGetIntParam(TsIntParam param);
double TsGetDblParam(TsDblParam param);
std::string TsGetStrParam(TsStrParam param);
// The same from the module a context carries.
int TsGetIntParam(const TsCaneContext& context, TsIntParam param);
double TsGetDblParam(const TsCaneContext& context, TsDblParam param);
std::string TsGetStrParam(const TsCaneContext& context, TsStrParam param);

// Farmer codes: total length, levels in use (the first of length 0, or 5), levels a code spans
// (0 when its length is no level boundary).
int TsGetFarmerCodeLen();
int TsGetFarmerLevelCount();
int TsGetFarmerCodeLevel(std::string_view code);
int TsGetVarietyCodeLen();
int TsGetVarietyLevelCount();
int TsGetVarietyCodeLevel(std::string_view code);

int TsGetTicketNoLen();
// The decimals of quantities: every weight (tonnes) is shown with all of them.
int TsGetQtyPrecision();
// A weight as tickets, slips, the settlement card and the reports show it: every decimal of the
// quantity precision ("8.700", "20.000"), no digit grouping, 0 written out ("0.000").
std::string TsWeightText(double weight);
int TsGetFreightNetOfImpurity();

// The start month "xmm" of the accounting year (x 0: previous calendar year, 1: this one).
std::string TsGetYearStartParam();
// First day ("yyyymmdd") of the accounting year of the open data file's year; an empty `xmm`
// means the stored start month.
std::string TsGetYearStartDate(const std::string& xmm = {});
std::string TsGetYearEndDate();
std::string TsGetYearStartDate(const TsCaneContext& context, const std::string& xmm = {});
std::string TsGetYearEndDate(const TsCaneContext& context);
// The same for a given business year.
std::string TsYearStartDate(int year, const std::string& xmm);
std::string TsYearEndDate(int year, const std::string& xmm);
// The business year whose accounting year (start month "xmm") holds `day` ("yyyymmdd"); a
// start month other than "0mm" or "1mm" with mm from 01 to 12 counts as the calendar year.
int TsBusinessYearOf(const std::string& day, const std::string& xmm);
// The day of the open data file's accounting year nearest to `day`: `day` itself where the
// year holds it, else the year's first or last day.
std::string TsNearestYearDay(const std::string& day);
// The working date a date dialog proposes: today, or the day of the accounting year nearest
// to it.
std::string TsProposedWorkDate();
// The line a refusal of a date outside the accounting year adds: its first and last day.
std::string TsYearRangeText();

// Print setting of n (0 ticket, 1 cane slip, 2 freight slip): when to print (0 no, 1 yes) and
// the style (0 full format, 1 overlay, 2 overlay at user-defined positions).
int TsGetPrintWhen(int n);
int TsGetPrintStyle(int n);

// 5 ticket items (slip 0) or 15 slip items per kind.
int TsGetItemCount(int slip);
