#include "weighing/TsSlipLayout.h"

#include <cmath>
#include <vector>

#include "app/SmOperator.h"
#include "cane/TsCaneContext.h"
#include "cane/TsDriverRec.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmCardLayout.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsgbTicketLayout.h"
#include "weighing/TsjsRec.h"

namespace {

constexpr int kWidth = 2100;
constexpr int kRow = 81;
constexpr int kNone = 0;
constexpr int kSingle = 1;
constexpr int kDouble = 2;

struct Rules {
  int left = kNone;
  int top = kNone;
  int right = kNone;
  int bottom = kNone;
};

// One heading group of the slip: (class, category) of the items, in the order they are shown.
struct ItemGroup {
  int itemClass;
  int category;
};
constexpr ItemGroup kGroups[] = {{0, 0}, {0, 1}, {1, 1}, {1, 2}};

int HeadingCount(int kind) {
  int count = 0;
  for (const ItemGroup& g : kGroups) count += TsGetKindItemCount(kind, g.itemClass, g.category, 1);
  return count;
}

void AddCell(CSmCardLayout& layout, const std::string& text, int left, int band, int right,
             const Rules& rules, int align, bool marked) {
  CSmCardItem& item = layout.m_items.emplace_back();
  item.Set(text, left, band * kRow, right, (band + 1) * kRow, rules.left, rules.top, rules.right,
           rules.bottom, marked, 1, 1, align, 0, 2, 2, true);
}

void AddTopRows(CSmCardLayout& layout) {
  AddCell(layout, "过磅单：", 0, 0, 233, {}, kSmCardAlignLeft, false);
  AddCell(layout, "", 233, 0, 466, {}, kSmCardAlignLeft, true);
  AddCell(layout, "№", 1400, 0, 1633, {}, kSmCardAlignRight, false);
  AddCell(layout, "", 1633, 0, kWidth, {}, kSmCardAlignLeft, false);
  const Rules bottom{kNone, kNone, kNone, kDouble};
  AddCell(layout, "客户名称：", 1166, 1, 1400, bottom, kSmCardAlignLeft, false);
  AddCell(layout, "", 1400, 1, kWidth, bottom, kSmCardAlignLeft, true);
}

std::vector<std::string> Headings(int kind, int columns) {
  std::vector<std::string> headings(static_cast<size_t>(2 * columns));
  headings[0] = "蔗重(吨)";
  headings[1] = "单价";
  headings[2] = kind == 0 ? "蔗款" : "运费";
  size_t at = 3;
  for (const ItemGroup& g : kGroups) {
    for (int n = 0; n < TsGetKindItemCount(kind, g.itemClass, g.category, 1); ++n, ++at) {
      const std::string name = TsGetKindItemName(kind, g.itemClass, g.category, 1, n);
      if (at < headings.size()) headings[at] = g.category == 2 ? "扣" + name : name;
    }
  }
  return headings;
}

// Two pairs of a heading row over its value row, each pair ruled as one block.
void AddGrid(CSmCardLayout& layout, int kind, int columns) {
  const std::vector<std::string> headings = Headings(kind, columns);
  for (int row = 0; row < 4; ++row) {
    const bool value = row % 2 == 1;
    for (int c = 0; c < columns; ++c) {
      const Rules rules{c == 0 ? kDouble : kSingle, value ? kSingle : kDouble,
                        c == columns - 1 ? kDouble : kNone, value ? kDouble : kNone};
      const std::string text = value ? std::string() : headings[(row / 2) * columns + c];
      AddCell(layout, text, c * kWidth / columns, 2 + row, (c + 1) * kWidth / columns, rules,
              kSmCardAlignCenter, value);
    }
  }
}

void AddPaymentRow(CSmCardLayout& layout) {
  AddCell(layout, "实付款大写(人民币)：", 0, 6, 466, {kDouble, kDouble, kNone, kDouble},
          kSmCardAlignLeft, false);
  AddCell(layout, "", 466, 6, 1400, {kNone, kDouble, kNone, kDouble}, kSmCardAlignLeft, true);
  AddCell(layout, "实付款", 1400, 6, 1633, {kSingle, kDouble, kNone, kDouble}, kSmCardAlignCenter,
          false);
  AddCell(layout, "", 1633, 6, kWidth, {kSingle, kDouble, kDouble, kDouble}, kSmCardAlignCenter,
          true);
}

void AddSignatureRow(CSmCardLayout& layout) {
  const char* labels[] = {"付款单位：", "收款：", "审核：", "付款：", "结算："};
  const Rules top{kNone, kDouble, kNone, kNone};
  for (int n = 0; n < 5; ++n) {
    AddCell(layout, labels[n], 420 * n, 7, 420 * n + 210, top, kSmCardAlignRight, false);
    AddCell(layout, "", 420 * n + 210, 7, 420 * n + 420, top, kSmCardAlignLeft, true);
  }
}

void AddDateRow(CSmCardLayout& layout) {
  const char* units[] = {"年", "月", "日"};
  const int bounds[] = {1680, 1800, 1860, 1920, 1980, 2040, 2100};
  for (int n = 0; n < 6; ++n) {
    AddCell(layout, n % 2 == 0 ? "" : units[n / 2], bounds[n], 8, bounds[n + 1], {},
            kSmCardAlignCenter, n % 2 == 0);
  }
  AddCell(layout, "", 0, 8, 1680, {}, kSmCardAlignLeft, false);
}

void SetText(CSmCardLayout& layout, int index, std::string text) {
  if (index >= 0 && index < static_cast<int>(layout.m_items.size()))
    layout.m_items[static_cast<size_t>(index)].sText = std::move(text);
}

// Rounded first: an amount that rounds to zero reads "0.00", never blank or "-0.00".
std::string Money(double value) {
  return TsgbNumberText(RoundTo(value, 2) + 0.0, 2, 2);
}

std::string Cut(const std::string& text, size_t from, size_t length) {
  return from < text.size() ? text.substr(from, length) : std::string();
}

std::string OperatorName(const std::string& code, CSmDatabase* db) {
  CSmOperator op;
  return !code.empty() && op.LoadByCode(code, db) ? op.Na : std::string();
}

void FillHousehold(const std::string& code, int kind, int columns, CSmCardLayout& layout,
                   CSmDatabase* db) {
  for (int cell : {5, 4 * columns + 13, 4 * columns + 26}) SetText(layout, cell, "");
  if (kind == 1) {
    CTsDriverRec driver;
    if (code.empty() || TsDriverLoad(driver, code, db) <= 0) return;
    SetText(layout, 5, driver.NA);
    SetText(layout, 4 * columns + 13, driver.NA);
    return;
  }
  CNH farmer(db, code);
  std::string levels;
  std::vector<std::string> codes;
  std::vector<std::string> names;
  if (!code.empty()) farmer.GetLevelNames(levels, codes, names);
  SetText(layout, 5, code + "\\" + levels);
  if (code.empty() || farmer.Load(0) <= 0) return;
  SetText(layout, 4 * columns + 13, farmer.NA);
  if (!farmer.BkHO.empty()) {
    SetText(layout, 4 * columns + 26,
            FormatStr("注：户码(%s)，账号(%s)，户名(%s)", farmer.BkNO.c_str(), farmer.BkHO.c_str(),
                      farmer.BkNA.c_str()));
  }
}

// The item amounts in heading order: the slip's ticket items, then its deductions.
std::vector<double> ItemAmounts(const CTsgbRec& sums, int kind, const CTsjsRec& deductions) {
  std::vector<double> amounts;
  for (const ItemGroup& g : kGroups) {
    for (int n = 0; n < TsGetKindItemCount(kind, g.itemClass, g.category, 1); ++n) {
      const int item = TsGetKindItemIndex(kind, g.itemClass, g.category, 1, n);
      if (g.itemClass == 0) {
        amounts.push_back(sums.MY[static_cast<size_t>(TsTicketMoneyColumn(kind, item))]);
      } else {
        amounts.push_back(item < static_cast<int>(deductions.MY.size())
                              ? deductions.MY[static_cast<size_t>(item)]
                              : 0.0);
      }
    }
  }
  return amounts;
}

}  // namespace

int TsSlipGridColumns(int kind) {
  const int headings = HeadingCount(kind);
  return headings > 3 ? (headings - 2) / 2 + 3 : 3;
}

int TsSlipItemCell(int kind, int n) {
  const int columns = TsSlipGridColumns(kind);
  return n < columns - 3 ? columns + 9 + n : 3 * columns + 6 + (n - (columns - 3));
}

void TsSlipBuildLayout(int kind, CSmCardLayout& layout) {
  const int columns = TsSlipGridColumns(kind);
  layout.m_items.clear();
  AddTopRows(layout);
  AddGrid(layout, kind, columns);
  AddPaymentRow(layout);
  AddSignatureRow(layout);
  AddDateRow(layout);
}

void TsSlipFillLayout(const CTsgbRec& sums, int kind, int tickets, const CTsjsRec& deductions,
                      CSmCardLayout& layout, CSmDatabase* db) {
  TsSlipFillLayout(sums, kind, tickets, deductions, layout, TsCaneContextFromApp(db));
}

void TsSlipFillLayout(const CTsgbRec& sums, int kind, int tickets, const CTsjsRec& deductions,
                      CSmCardLayout& layout, const TsCaneContext& context) {
  CSmDatabase* db = context.db;
  const int c = TsSlipGridColumns(kind);
  SetText(layout, 1, FormatStr("%d份", tickets));
  SetText(layout, 3, sums.JN[kind]);
  FillHousehold(sums.KNO[kind], kind, c, layout, db);
  SetText(layout, c + 6, TsWeightText(sums.GetWeight(kind)));
  SetText(layout, c + 7, Money(sums.PR[kind]));
  SetText(layout, c + 8, Money(sums.MY[static_cast<size_t>(TsTicketMoneyColumn(kind, -1))]));
  const std::vector<double> amounts = ItemAmounts(sums, kind, deductions);
  for (size_t n = 0; n < amounts.size(); ++n)
    SetText(layout, TsSlipItemCell(kind, static_cast<int>(n)), Money(amounts[n]));
  const double payable = sums.GetTotal(kind) - deductions.GetTotal();
  SetText(layout, 4 * c + 7, AmountInWords(RoundTo(payable, 2)));
  SetText(layout, 4 * c + 9, std::fabs(payable) < 0.001 ? "0.00" : Money(payable));
  SetText(layout, 4 * c + 11, context.unitName);
  const std::pair<int, int> operators[] = {{15, 6}, {17, 4}, {19, 2}};
  for (const auto& [cell, column] : operators)
    SetText(layout, 4 * c + cell, OperatorName(sums.OPR[column + kind], db));
  const std::string& date = sums.JT[kind];
  SetText(layout, 4 * c + 20, Cut(date, 0, 4));
  SetText(layout, 4 * c + 22, Cut(date, 4, 2));
  SetText(layout, 4 * c + 24, Cut(date, 6, 2));
}
