#include "weighing/TsgbTicketLayout.h"

#include <cmath>
#include <vector>

#include "app/SmOperator.h"
#include "cane/TsAdrRec.h"
#include "cane/TsDriverRec.h"
#include "cane/TsGp.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmCardLayout.h"
#include "weighing/TsgbRec.h"

namespace {

constexpr int kNone = 0;
constexpr int kSingle = 1;
constexpr int kDouble = 2;

struct Lines {
  int left = kNone;
  int top = kNone;
  int right = kNone;
  int bottom = kNone;
};

// The four rules of cell (row, column) of a ruled block of `rows` × `columns`: single lines
// between cells, double ones around the block.
Lines BlockLines(int row, int rows, int column, int columns) {
  return {column == 0 ? kDouble : kSingle, row == 0 ? kDouble : kSingle,
          column == columns - 1 ? kDouble : kNone, row == rows - 1 ? kDouble : kNone};
}

void AddCell(CSmCardLayout& layout, const std::string& text, int left, int row, int right,
             const Lines& lines, int align, bool marked) {
  CSmCardItem& item = layout.m_items.emplace_back();
  item.Set(text, left, row, right, row + 1, lines.left, lines.top, lines.right, lines.bottom,
           marked, 1, 1, align, 0, 2, 2, true);
}

// The defined ticket items of the kind in the order the card shows them: deductions and
// subsidies, then withholdings.
std::vector<int> TicketItems(int kind) {
  std::vector<int> items;
  for (int category = 0; category < 2; ++category) {
    for (int n = 0; n < TsGetKindItemCount(kind, 0, category, 0); ++n)
      items.push_back(TsGetKindItemIndex(kind, 0, category, 0, n));
  }
  return items;
}

std::vector<std::string> TicketItemNames(int kind) {
  std::vector<std::string> names;
  for (int category = 0; category < 2; ++category) {
    for (int n = 0; n < TsGetKindItemCount(kind, 0, category, 0); ++n)
      names.push_back(TsGetKindItemName(kind, 0, category, 0, n));
  }
  return names;
}

void AddDateRow(CSmCardLayout& layout, int width) {
  const auto x = [width](int fortySeconds) { return width * fortySeconds / 42; };
  const Lines bottom{kNone, kNone, kNone, kDouble};
  AddCell(layout, "№：", x(32), 0, x(34), bottom, kSmCardAlignRight, false);
  AddCell(layout, "", x(34), 0, width, bottom, kSmCardAlignCenter, false);
  const char* labels[] = {"年", "月"};
  for (int k = 0; k < 2; ++k) {
    AddCell(layout, "", x(15 + 4 * k), 0, x(17 + 4 * k), bottom, kSmCardAlignCenter, true);
    AddCell(layout, labels[k], x(17 + 4 * k), 0, x(19 + 4 * k), bottom, kSmCardAlignCenter, false);
  }
  AddCell(layout, "", x(23), 0, x(25), bottom, kSmCardAlignCenter, true);
  AddCell(layout, "日", x(25), 0, x(32), bottom, kSmCardAlignLeft, false);
}

// Rows 1 to 3: captions with their values, ruled as one block.
void AddPartyRows(CSmCardLayout& layout, int width) {
  const int sixth = width / 6;
  const char* row1[] = {"交蔗单位", "", "驾驶员", ""};
  const int bounds1[] = {0, sixth, 4 * sixth, 5 * sixth, width};
  for (int c = 0; c < 4; ++c) {
    const bool value = c % 2 == 1;
    AddCell(layout, row1[c], bounds1[c], 1, bounds1[c + 1], BlockLines(0, 3, c, 4),
            value ? kSmCardAlignLeft : kSmCardAlignCenter, value);
  }
  const char* labels[2][3] = {{"砍运地点", "甘蔗品种", "毛重(吨)"},
                              {"皮重(吨)", "扣质检(吨)", "净重(吨)"}};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 6; ++c) {
      const bool value = c % 2 == 1;
      const bool weight = r == 1 || c == 5;
      const int align = !value || weight ? kSmCardAlignCenter : kSmCardAlignLeft;
      AddCell(layout, value ? "" : labels[r][c / 2], c * sixth, 2 + r, (c + 1) * sixth,
              BlockLines(r + 1, 3, c, 6), align, value);
    }
  }
}

// The heading and value rows of a kind's money block.
void AddMoneyRows(CSmCardLayout& layout, int width, int kind) {
  std::vector<std::string> headings = {kind == 0 ? "吨蔗价" : "吨运价",
                                       kind == 0 ? "蔗款" : "运费"};
  for (std::string& name : TicketItemNames(kind)) headings.push_back(std::move(name));
  if (headings.size() > 2) headings.push_back(kind == 0 ? "蔗款合计" : "运费合计");
  const int columns = static_cast<int>(headings.size());
  const int cell = width / columns;
  const int row = 4 + 2 * kind;
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < columns; ++c) {
      AddCell(layout, r == 0 ? headings[c] : "", c * cell, row + r, (c + 1) * cell,
              BlockLines(r, 2, c, columns), kSmCardAlignCenter, r == 1);
    }
  }
}

void AddFooterRow(CSmCardLayout& layout, int width) {
  const auto x = [width](int fortySeconds) { return width * fortySeconds / 42; };
  const Lines top{kNone, kDouble, kNone, kNone};
  AddCell(layout, "毛重：", x(18), 8, x(22), top, kSmCardAlignRight, false);
  AddCell(layout, "", x(22), 8, x(35), top, kSmCardAlignLeft, true);
  AddCell(layout, "除皮：", x(32), 8, x(37), top, kSmCardAlignRight, false);
  AddCell(layout, "", x(37), 8, width, top, kSmCardAlignLeft, true);
}

void SetText(CSmCardLayout& layout, int index, std::string text) {
  if (index >= 0 && index < static_cast<int>(layout.m_items.size()))
    layout.m_items[static_cast<size_t>(index)].sText = std::move(text);
}

std::string OperatorName(const std::string& code, CSmDatabase* db) {
  CSmOperator op;
  if (code.empty() || !op.LoadByCode(code, db)) return {};
  return op.Na;
}

std::string Bracketed(const std::string& code, const std::string& name) {
  return code.empty() ? std::string() : "(" + code + ")" + name;
}

std::string FarmerFullName(const std::string& code, CSmDatabase* db) {
  if (code.empty()) return {};
  std::string name;
  std::vector<std::string> codes;
  std::vector<std::string> names;
  CNH(db, code).GetLevelNames(name, codes, names);
  return name;
}

std::string DriverName(const std::string& code, CSmDatabase* db) {
  CTsDriverRec driver;
  return !code.empty() && TsDriverLoad(driver, code, db) > 0 ? driver.NA : std::string();
}

std::string PlaceName(const std::string& code, CSmDatabase* db) {
  CTsAdrRec place;
  return !code.empty() && TsAdrLoad(place, code, db) > 0 ? place.NA : std::string();
}

std::string VarietyName(const std::string& code, CSmDatabase* db) {
  CGp variety(db, code);
  return !code.empty() && variety.Load(0) > 0 ? variety.NA : std::string();
}

void FillMoneyRow(const CTsgbRec& rec, CSmCardLayout& layout, int first, int kind) {
  const auto money = [](double value) { return TsgbNumberText(value, 2, 2); };
  SetText(layout, first, money(rec.PR[kind]));
  SetText(layout, first + 1, money(rec.MY[TsTicketMoneyColumn(kind, -1)]));
  const std::vector<int> items = TicketItems(kind);
  for (size_t n = 0; n < items.size(); ++n)
    SetText(layout, first + 2 + static_cast<int>(n),
            money(rec.MY[TsTicketMoneyColumn(kind, items[n])]));
  if (!items.empty())
    SetText(layout, first + 2 + static_cast<int>(items.size()), money(rec.GetTotal(kind)));
}

}  // namespace

std::string TsgbNumberText(double value, int minDecimals, int maxDecimals) {
  return ReplaceAll(FormatNumber(value, 0, minDecimals, maxDecimals, true), ",", "");
}

int TsgbMoneyCellCount(int kind) {
  const int items = TsGetKindItemCount(kind, 0, 0, 0) + TsGetKindItemCount(kind, 0, 1, 0);
  return items > 0 ? items + 3 : 2;
}

void TsgbBuildTicketLayout(CSmCardLayout& layout) {
  const int width = 6 * TsgbMoneyCellCount(0) * TsgbMoneyCellCount(1);
  layout.m_items.clear();
  AddDateRow(layout, width);
  AddPartyRows(layout, width);
  AddMoneyRows(layout, width, 0);
  AddMoneyRows(layout, width, 1);
  AddFooterRow(layout, width);
}

void TsgbFillTicketLayout(const CTsgbRec& rec, CSmCardLayout& layout, CSmDatabase* db) {
  SetText(layout, kTsgbCellNumber, rec.DH);
  SetText(layout, kTsgbCellYear, rec.T.substr(0, 4));
  SetText(layout, kTsgbCellMonth, rec.T.size() > 4 ? rec.T.substr(4, 2) : "");
  SetText(layout, kTsgbCellDay, rec.T.size() > 6 ? rec.T.substr(6, 2) : "");
  std::string day = "日";
  if (!rec.TH.empty()) {
    day += " " + rec.TH.substr(0, 2) + ":" + (rec.TH.size() > 2 ? rec.TH.substr(2, 2) : "") + ":" +
           (rec.TH.size() > 4 ? rec.TH.substr(4) : "");
  }
  SetText(layout, kTsgbCellDayLabel, day);
  SetText(layout, kTsgbCellFarmer, Bracketed(rec.KNO[0], FarmerFullName(rec.KNO[0], db)));
  SetText(layout, kTsgbCellDriver, Bracketed(rec.KNO[1], DriverName(rec.KNO[1], db)));
  SetText(layout, kTsgbCellPlace, PlaceName(rec.KNO[2], db));
  SetText(layout, kTsgbCellVariety, VarietyName(rec.KNO[3], db));
  SetText(layout, kTsgbCellGross, TsWeightText(rec.MU[0]));
  SetText(layout, kTsgbCellTare, TsWeightText(rec.MU[1]));
  std::string impurity = TsWeightText(rec.MU[2]);
  if (std::fabs(rec.MU[3]) > 0.00001) impurity += "(" + TsgbNumberText(rec.MU[3], 0, 4) + "％)";
  SetText(layout, kTsgbCellImpurity, impurity);
  SetText(layout, kTsgbCellNet, TsWeightText(rec.GetWeight(0)));
  const int cane = TsgbMoneyCellCount(0);
  FillMoneyRow(rec, layout, kTsgbCellMoney + cane, 0);
  FillMoneyRow(rec, layout, kTsgbCellMoney + 2 * cane + TsgbMoneyCellCount(1), 1);
  const int last = static_cast<int>(layout.m_items.size()) - 1;
  SetText(layout, last - 2, OperatorName(rec.OPR[0], db));
  SetText(layout, last, OperatorName(rec.OPR[1], db));
}
