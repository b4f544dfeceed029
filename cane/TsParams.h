#pragma once
// Read access to the cane module's system parameters. Everything reads them through these
// functions, which find the module as data type 16; an index out of range, or no module, reads
// 0 or the empty text.
#include <string>
#include <string_view>

class CTsDataType;

CTsDataType* TsGetDataType();
int TsGetIntParam(int i);
double TsGetDblParam(int i);
std::string TsGetStrParam(int i);

// Farmer codes: total length, levels in use (the first of length 0, or 5), levels a code spans
// (0 when its length is no level boundary).
int TsGetFarmerCodeLen();
int TsGetFarmerLevelCount();
int TsGetFarmerCodeLevel(std::string_view code);
int TsGetVarietyCodeLen();
int TsGetVarietyLevelCount();
int TsGetVarietyCodeLevel(std::string_view code);

int TsGetTicketNoLen();
int TsGetQtyPrecision();
int TsGetFreightNetOfImpurity();

// The start month "xmm" of the accounting year (x 0: previous calendar year, 1: this one).
std::string TsGetYearStartParam();
// First day ("yyyymmdd") of the accounting year of the open data file's year; an empty `xmm`
// means the stored start month.
std::string TsGetYearStartDate(const std::string& xmm = {});
std::string TsGetYearEndDate();
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
