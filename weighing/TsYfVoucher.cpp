#include "weighing/TsYfVoucher.h"

#include <QPainter>
#include <algorithm>
#include <utility>

#include "app/SmOperator.h"
#include "cane/TsCaneContext.h"
#include "cane/TsDriverRec.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "core/SmNumber.h"
#include "core/SmString.h"

namespace {

constexpr int kVoucherCells = 16;
constexpr int kTitleHeight = 100;

// What changes with the voucher kind: the party words of the household, the mill and the
// handler, and the sign that makes the stored amount positive.
struct KindWords {
  const char* household;
  const char* mill;
  const char* handler;
  int sign;
};

KindWords WordsOf(int kind) {
  static const KindWords words[] = {
      {"付款", "收款", "收款", 1},  {"收款", "付款", "付款", -1}, {"付款", "受托", "经办", -1},
      {"付息", "计息", "计息", -1}, {"收款", "收款", "付", 1},    {"付款", "付款", "收", 1},
  };
  return kind >= 1 && kind <= 6 ? words[kind - 1] : KindWords{"", "", "", 1};
}

struct CellFrame {
  int left, top, right, bottom;
  int lines[4];
  int align;
  bool marked;
};

// The cells' places; the texts come from the voucher.
const CellFrame kFrames[kVoucherCells] = {
    {450, 0, 1050, 80, {0, 0, 0, 2}, kSmCardAlignCenter, true},
    {1050, 0, 1200, 80, {0, 0, 0, 2}, kSmCardAlignRight, false},
    {1200, 0, 1500, 80, {0, 0, 0, 2}, kSmCardAlignCenter, false},
    {0, 80, 300, 160, {2, 2, 1, 1}, kSmCardAlignCenter, false},
    {300, 80, 1500, 160, {1, 2, 2, 1}, kSmCardAlignLeft, true},
    {0, 160, 300, 240, {2, 1, 1, 1}, kSmCardAlignCenter, false},
    {300, 160, 1500, 240, {1, 1, 2, 1}, kSmCardAlignLeft, true},
    {0, 240, 300, 320, {2, 1, 1, 2}, kSmCardAlignCenter, false},
    {300, 240, 1200, 320, {1, 1, 1, 2}, kSmCardAlignLeft, true},
    {1200, 240, 1500, 320, {1, 1, 2, 2}, kSmCardAlignLeft, true},
    {0, 320, 150, 400, {0, 2, 0, 0}, kSmCardAlignLeft, false},
    {150, 320, 750, 400, {0, 2, 0, 0}, kSmCardAlignLeft, true},
    {750, 320, 875, 400, {0, 2, 0, 0}, kSmCardAlignLeft, false},
    {875, 320, 1125, 400, {0, 2, 0, 0}, kSmCardAlignLeft, true},
    {1125, 320, 1250, 400, {0, 2, 0, 0}, kSmCardAlignLeft, false},
    {1250, 320, 1500, 400, {0, 2, 0, 0}, kSmCardAlignLeft, true},
};

std::string Part(const std::string& text, size_t from, size_t count = std::string::npos) {
  return from < text.size() ? text.substr(from, count) : std::string();
}

std::string Household(const CTsjsRec& rec, CSmDatabase* db) {
  const std::string code = TrimChars(rec.KNO);
  std::string name;
  if (rec.LB == 1) {
    CTsDriverRec driver;
    if (TsDriverLoad(driver, code, db) > 0) name = driver.NA;
  } else {
    std::vector<std::string> codes, names;
    CNH(db, code).GetLevelNames(name, codes, names);
  }
  return FormatStr("(%s)%s", code.c_str(), name.c_str());
}

// "(number)name" of an operator; an unknown one by the number alone, none empty.
std::string Operator(const std::string& number, CSmDatabase* db) {
  if (number.empty()) return {};
  CSmOperator op;
  if (!op.LoadByCode(number, db)) op.Na.clear();
  return FormatStr("(%s)%s", number.c_str(), op.Na.c_str());
}

}  // namespace

void DrawYfVoucher(const CTsjsRec& rec, int item, std::vector<CSmCardItem>& items,
                   CSmDatabase* db) {
  DrawYfVoucher(rec, item, items, TsCaneContextFromApp(db));
}

void DrawYfVoucher(const CTsjsRec& rec, int item, std::vector<CSmCardItem>& items,
                   const TsCaneContext& context) {
  CSmDatabase* db = context.db;
  items.assign(kVoucherCells, CSmCardItem());
  const KindWords words = WordsOf(rec.DB);
  const int category = rec.DB == 3 ? 1 : 2;
  const int number = TsGetKindItemIndex(rec.LB, 1, category, 0, item);
  const double stored =
      number >= 0 && number < static_cast<int>(rec.MY.size()) ? rec.MY[number] : 0.0;
  const double amount = words.sign * stored;
  const std::string texts[kVoucherCells] = {
      FormatStr("%s年 %s月 %s日", Part(rec.T, 0, 4).c_str(), Part(rec.T, 4, 2).c_str(),
                Part(rec.T, 6).c_str()),
      "№",
      rec.DH,
      FormatStr("%s单位", words.household),
      Household(rec, db),
      "摘要",
      TsGetKindItemName(rec.LB, 1, category, 0, item),
      "金额(大写)",
      AmountInWords(amount),
      FormatNumber(amount, 0, 2, 2),
      FormatStr("%s单位：", words.mill),
      context.unitName,
      "复核：",
      Operator(rec.OPR[1], db),
      FormatStr("%s：", words.handler),
      Operator(rec.OPR[0], db),
  };
  for (int i = 0; i < kVoucherCells; ++i) {
    const CellFrame& f = kFrames[i];
    const int first = i == 2 || i == 3 || i == 5 || i == 7 ? 1 : 0;
    items[i].Set(texts[i], f.left, f.top, f.right, f.bottom, f.lines[0], f.lines[1], f.lines[2],
                 f.lines[3], f.marked, first, 1, f.align, 0, 2, 2, true);
  }
}

// ---------------------------------------------------------------- CTsYfPageSetup

std::string CTsYfPageSetup::TitleOf(int kind) {
  switch (kind) {
    case 2:
      return "付款凭证";
    case 3:
      return "受托代扣款通知书";
    case 4:
      return "计息单";
    default:
      return "收款凭证";
  }
}

void CTsYfPageSetup::LoadPageSetup(int kind, CSmDatabase* db) {
  m_layout.LoadPageSetup(db, SettingsKey(kind), kTitleHeight, TitleOf(kind));
}

bool CTsYfPageSetup::PageSetup(int kind, CSmDatabase* db, QWidget* parent) {
  LoadPageSetup(kind, db);
  return m_layout.PageSetup(db, parent);
}

void CTsYfPageSetup::SetVouchers(std::vector<CTsjsRec> vouchers, int item, CSmDatabase* db) {
  m_vouchers = std::move(vouchers);
  m_item = item;
  m_db = db;
  if (m_vouchers.empty()) return;
  DrawYfVoucher(m_vouchers.front(), m_item, m_layout.m_items, m_db);
  LoadPageSetup(m_vouchers.front().DB, m_db);
  m_layout.ComputeScale();
}

bool CTsYfPageSetup::OnPreparePrinting(CSmPrintState& state) {
  if (m_vouchers.empty() || !m_layout.PreparePrinting(state)) return false;
  state.minPage = 1;
  state.maxPage = static_cast<int>(m_vouchers.size());
  return DoPreparePrinting(state);
}

// Each page is its voucher: the cells are filled for it before it is drawn.
void CTsYfPageSetup::OnPrepareDC(QPainter& /*painter*/, CSmPrintState& state) {
  const int page = state.currentPage - 1;
  if (page < 0 || page >= static_cast<int>(m_vouchers.size())) {
    state.continuePrinting = false;
    return;
  }
  DrawYfVoucher(m_vouchers[page], m_item, m_layout.m_items, m_db);
}

void CTsYfPageSetup::OnPrint(QPainter& painter, CSmPrintState& /*state*/) {
  m_layout.Draw(painter, m_formMode);
}
