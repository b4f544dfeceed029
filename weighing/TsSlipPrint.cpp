#include "weighing/TsSlipPrint.h"

#include <cmath>
#include <ctime>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "cane/TsDriverRec.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmPrintJob.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsgbTicketLayout.h"
#include "weighing/TsjsRec.h"

namespace {

constexpr int kSlipPrintGroup = 9602;  // + kind
constexpr int kLogGroup = 16;
constexpr int kLogSlips = 6;  // + kind

// Rounded first: an amount that rounds to zero reads "0.00", never blank or "-0.00".
std::string Money(double value) {
  return TsgbNumberText(RoundTo(value, 2) + 0.0, 2, 2);
}

std::string Cut(const std::string& text, size_t from, size_t length = std::string::npos) {
  return from < text.size() ? text.substr(from, length) : std::string();
}

std::string HouseholdName(const std::string& code, int kind, CSmDatabase* db) {
  if (code.empty()) return {};
  if (kind == 1) {
    CTsDriverRec driver;
    return TsDriverLoad(driver, code, db) > 0 ? driver.NA : std::string();
  }
  std::string name;
  std::vector<std::string> codes;
  std::vector<std::string> names;
  CNH(db, code).GetLevelNames(name, codes, names);
  return name;
}

void AddDates(TsPrintPairs& pairs, const CTsgbRec& sums, int kind, CSmDatabase* db) {
  pairs.emplace_back("#dh", sums.JN[kind]);
  pairs.emplace_back("#yy", Cut(sums.JT[kind], 0, 4));
  pairs.emplace_back("#mm", Cut(sums.JT[kind], 4, 2));
  pairs.emplace_back("#dd", Cut(sums.JT[kind], 6));
  TsAddPrintTime(pairs, db);
}

void AddWeights(TsPrintPairs& pairs, const CTsgbRec& sums) {
  pairs.emplace_back("#mz", TsWeightText(sums.MU[0]));
  pairs.emplace_back("#pz", TsWeightText(sums.MU[1]));
  pairs.emplace_back("#zz", TsWeightText(sums.MU[2]));
  pairs.emplace_back("#sl", TsWeightText(sums.GetWeight(0)));
  pairs.emplace_back("#ysl", TsWeightText(sums.GetWeight(1)));
  const double cane = sums.MU[0] - sums.MU[1];
  const double ratio = std::fabs(cane) < 1e-6 ? 0.0 : sums.MU[2] * 100 / cane;
  pairs.emplace_back("#zb", TsgbNumberText(ratio, 0, 4));
}

void AddMoney(TsPrintPairs& pairs, const CTsgbRec& sums, int kind, const CTsjsRec& deductions) {
  const double base = sums.MY[static_cast<size_t>(TsTicketMoneyColumn(kind, -1))];
  pairs.emplace_back("#dj", Money(sums.PR[kind]));
  pairs.emplace_back("#je", Money(base));
  pairs.emplace_back("#dxje", AmountInWords(RoundTo(base, 2)));
  const double withheld = sums.SumItems(kind, 1);
  pairs.emplace_back("#ykh", Money(-sums.SumItems(kind, 0)));
  pairs.emplace_back("#dkh", Money(deductions.SumKind(kind, 1) - withheld));
  pairs.emplace_back("#yfh", Money(deductions.SumKind(kind, 2)));
  const double payable = sums.GetTotal(kind) - withheld;
  pairs.emplace_back("#fky", Money(payable));
  pairs.emplace_back("#dfky", AmountInWords(RoundTo(payable, 2)));
  const double net = sums.GetTotal(kind) - deductions.GetTotal();
  pairs.emplace_back("#fks", std::fabs(net) < 0.0001 ? "0.00" : Money(net));
  pairs.emplace_back("#dfks", AmountInWords(RoundTo(net, 2)));
  for (int item = 0; item < TsGetItemCount(0); ++item)
    pairs.emplace_back(FormatStr("#gb%s", IntToFixedStr(item + 1, 2).c_str()),
                       Money(sums.MY[static_cast<size_t>(TsTicketMoneyColumn(kind, item))]));
  for (int item = 0; item < CTsjsRec::kItemCount; ++item)
    pairs.emplace_back(FormatStr("#js%s", IntToFixedStr(item + 1, 2).c_str()),
                       Money(deductions.MY[static_cast<size_t>(item)]));
}

}  // namespace

TsPrintPairs TsSlipPrintVars(const CTsgbRec& sums, int kind, int tickets,
                             const CTsjsRec& deductions, CSmDatabase* db) {
  TsPrintPairs pairs;
  pairs.emplace_back("#jd", sums.KNO[kind]);
  pairs.emplace_back("#jm", HouseholdName(sums.KNO[kind], kind, db));
  TsAddPrintOperator(pairs, "#jcd", "#jcm", sums.OPR[2 + kind], db);
  TsAddPrintOperator(pairs, "#jfd", "#jfm", sums.OPR[4 + kind], db);
  TsAddPrintOperator(pairs, "#jhd", "#jhm", sums.OPR[6 + kind], db);
  AddDates(pairs, sums, kind, db);
  AddWeights(pairs, sums);
  AddMoney(pairs, sums, kind, deductions);
  pairs.emplace_back("#ds", FormatStr("%d", tickets));
  return pairs;
}

bool TsSlipPrintByTemplate(const CTsgbRec& sums, int kind, int tickets, const CTsjsRec& deductions,
                           CSmDatabase* db) {
  CSmPrintJob job(db, kSlipPrintGroup + kind);
  for (const auto& [name, text] : TsSlipPrintVars(sums, kind, tickets, deductions, db))
    job.AddFieldValue(name, text);
  return job.Print(SM_ID_FILE_PRINT_DIRECT);
}

bool TsSlipReprintCheck(int kind, const std::string& number, CSmDatabase* db) {
  const int printed = TsSlipGetPrintCount(kind, number, db);
  if (printed > 0) {
    if (!HasSmRight(16, kind == 0 ? "35" : "45")) {
      SmMessageBox("不能重复打印结算单！", SM_MB_ICONERROR);
      return false;
    }
    const std::string question = FormatStr("该结算单已经打印了%d次，还要重复打印吗?", printed);
    if (SmMessageBox(question, SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES) return false;
  }
  return TsSlipIncPrintCount(kind, number, db);
}

bool TsSlipPrint(int style, const CTsgbRec& sums, int kind, int tickets, const CTsjsRec& deductions,
                 CSmCardLayout& layout, CSmDatabase* db) {
  const char* note = "自定位打印：%s";
  bool printed = false;
  if (style == kTsPrintWhole || style == kTsPrintOnForm) {
    printed = TsPrintCardLayout(layout, style == kTsPrintOnForm);
    note = style == kTsPrintOnForm ? "套打：%s" : "打印：%s";
  } else {
    printed = TsSlipPrintByTemplate(sums, kind, tickets, deductions, db);
  }
  if (printed) CSmOpLog(kLogGroup, kLogSlips + kind, FormatStr(note, sums.JN[kind].c_str()));
  return printed;
}
