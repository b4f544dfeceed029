#include "weighing/TsYfDoc.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <utility>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "app/SmOperator.h"
#include "app/SmWorkstation.h"
#include "cane/TsDocTemplates.h"
#include "cane/TsDriverRec.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmDate.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"
#include "weighing/TsSheetOpenDlg.h"
#include "weighing/TsYfOpenDlg.h"
#include "weighing/TsYfView.h"
#include "weighing/TsgbRec.h"

namespace {

constexpr int kAdvanceTemplate = 260;
constexpr int kModule = 16;
constexpr int kVoucherLog = 8;
const char* const kMakeRight = "52";

// Field codes of a group's columns: 10g + the field.
enum Field { kCode = 1, kName = 2, kBalance = 3, kAmount = 4, kNote = 5 };

std::string PartyWord(int party) {
  return party == 1 ? "运户" : "农户";
}

// At most `decimals` decimals, no group separators; blank for zero.
std::string PlainAmount(double value, int decimals) {
  return ReplaceAll(FormatNumber(value, 0, 0, decimals), ",", "");
}

std::string JoinNumbers(const std::vector<std::string>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size(); ++i) text += (i ? "-" : "") + numbers[i];
  return text;
}

std::vector<std::string> SplitNumbers(const std::string& text) {
  std::vector<std::string> numbers;
  const int count = CountChar(text, '-') + 1;
  for (int i = 0; i < count; ++i) numbers.push_back(GetNthField(text, i, '-'));
  return numbers;
}

std::vector<std::string> DefaultOptions() {
  return {"0",
          "2",
          "0",
          "0",
          NowText("%m"),
          "",
          TsProposedWorkDate(),
          TsGetYearStartDate(),
          TsGetYearEndDate(),
          "4",
          "",
          ".000000",
          ".000000",
          "0",
          "1",
          "",
          "",
          "1"};
}

// The length of each farmer code level, counted from the start of the code: [0] 0, [k] the
// length of a code of k levels.
std::vector<size_t> FarmerLevelLengths() {
  std::vector<size_t> lengths = {0};
  for (int i = 0; i < 4; ++i)
    lengths.push_back(lengths.back() + TsGetIntParam(TsIntParam::FarmerLevel1Len + i));
  return lengths;
}

// The code cut to one level less than `level`; empty when no level is left.
std::string UpperLevel(const std::string& code, int level) {
  const std::vector<size_t> lengths = FarmerLevelLengths();
  if (level <= 1 || level >= static_cast<int>(lengths.size()) + 1) return {};
  return code.substr(0, std::min(code.size(), lengths[level - 1]));
}

}  // namespace

// ---------------------------------------------------------------- options and the form

void CTsYfDoc::OnInitDocument() {
  m_extraCount = kGroups;
  m_shown = 0;
  if (m_openModes.size() != kOptionCount) m_openModes = DefaultOptions();
  ReadOptions();
}

void CTsYfDoc::ReadOptions() {
  const std::vector<std::string>& o = m_openModes;
  m_party = StrToIntDef(o[0], 0);
  m_voucherKind = StrToIntDef(o[1], 0);
  m_unreviewedOnly = StrToIntDef(o[2], 0) != 0;
  m_reviewedOnly = StrToIntDef(o[3], 0) != 0;
  m_month = o[4];
  m_region = o[5];
  m_date = o[6];
  m_interestFrom = o[7];
  m_interestTo = o[8];
  m_dailyRate = StrToDouble(o[9]);
  m_numbers = SplitNumbers(o[10]);
  m_rate1 = StrToDouble(o[11]);
  m_rate2 = StrToDouble(o[12]);
  m_item = StrToIntDef(o[13], 0);
  m_openingOnly = StrToIntDef(o[14], 0) != 0;
  m_lower = o[15];
  m_upper = o[16];
  m_whole = StrToIntDef(o[17], 0) != 0;
}

// The options go to the template's list at once, so that a document opened next offers them.
void CTsYfDoc::WriteOptions() {
  WriteDocOpenMode(nFlag, 0, m_openModes);
}

std::string CTsYfDoc::TitleOf(int kind, int party) {
  const std::string word = PartyWord(party);
  switch (kind) {
    case 1:
      return word + "退预付款单";
    case 2:
      return "预付" + word + "款单";
    case 3:
      return "委托代扣" + word + "款单";
    case 4:
      return word + "预付款计息单";
    case 5:
      return "甘蔗种植面积预估单";
    case 6:
      return "甘蔗种植产量预估单";
    default:
      return {};
  }
}

void CTsYfDoc::DefineTitle(CSmFormDef& def) {
  const std::string title = TitleOf(m_voucherKind, m_party);
  if (!title.empty()) def.sFna = title;
  def.nTopNum = std::max(def.nTopNum, 1);  // one heading row for the column captions
}

void CTsYfDoc::DefineColumns(CSmFormDef& def) {
  const bool money = m_voucherKind >= 1 && m_voucherKind <= 4;
  const char* caption = m_voucherKind == 5 ? "面积(亩)" : m_voucherKind == 6 ? "产量(吨)" : "金额";
  const int less = money ? 2 : 0;
  const int more = money ? 2 : m_voucherKind == 5 ? 4 : TsGetQtyPrecision();
  const int limit = m_voucherKind == 2 ? 2 : 3;
  def.m_cols.clear();
  for (int g = 0; g < kGroups; ++g) {
    const int shown = g < limit ? 100 : 0;
    const auto add = [&](int field, int type, int fact, int l, int m, const std::string& spec) {
      def.InsertCol(static_cast<int>(def.m_cols.size()), 10 * g + field + type, fact, l, m, spec);
    };
    add(kCode, 0, 909, 0, 0, "户码/STRING DIGIT/LEFT");
    add(kName, shown, 909, 0, 0, "户名/MDBSTRING/LEFT");
    add(kBalance, shown, 1010, 2, 2, "当前余额/NUMBER/RIGHT");
    add(kAmount, shown, 1010, less, more, FormatStr("%s/NUMBER/RIGHT", caption));
    add(kNote, shown, 1040, 0, 0, "备注/MDBSTRING/LEFT");
  }
  ApplyColumnVisibility(def);
}

int CTsYfDoc::GetColumnVisibility(const CSmFormDef& def, int column) {
  const int code = def.m_cols[column].FieldCode();
  if (code == kName || code == kAmount) return 1;
  if (code % 10 == kBalance) return m_voucherKind == 2 ? 2 : 0;
  return 2;
}

void CTsYfDoc::DefineHeadNotes(CSmFormDef& def) {
  struct Note {
    int tail, position;
    const char* name;
    const char* words;
  };
  static const Note notes[] = {
      {0, 0, "区域", ""},          {0, 45, "单据时间", ""},      {0, 70, "款项", ""},
      {0, 92, "单号", ""},         {1, 0, "主体名", "系统生成"}, {1, 60, "复核", "系统生成"},
      {1, 80, "制单", "系统生成"}, {1, 49, "页码", "第 #pp 页"},
  };
  def.m_headNotes.clear();
  for (const Note& note : notes) {
    def.m_headNotes.emplace_back();
    def.m_headNotes.back().Set(note.tail, 0, note.position, 1, 0, note.name, note.words);
  }
}

CTsYfDoc::GroupColumns CTsYfDoc::Group(int g) const {
  GroupColumns group;
  group.index = g;
  group.code = FindShownColumn(10 * g + kCode);
  group.name = FindShownColumn(10 * g + kName);
  group.balance = FindShownColumn(10 * g + kBalance);
  group.amount = FindShownColumn(10 * g + kAmount);
  group.note = FindShownColumn(10 * g + kNote);
  return group;
}

// ---------------------------------------------------------------- state

bool CTsYfDoc::IsReadOnly() {
  if (!HasSmRight(kModule, kMakeRight)) return true;
  if (!m_openMode) return false;
  return !m_header.OPR[1].empty() || m_header.OPR[0] != TsOperatorNo();
}

int CTsYfDoc::ApplyParams(const std::vector<std::string>& params) {
  if (params.size() != 3) return 0;
  m_party = StrToIntDef(params[0], 0);
  m_voucherKind = StrToIntDef(params[1], 0);
  m_numbers = {params[2]};
  m_shown = 0;
  ChooseKindNumber();
  return 1;
}

bool CTsYfDoc::GetSavePrompt(std::string& prompt) {
  prompt.clear();
  return IsModifiedEditable();
}

void CTsYfDoc::OnCloseDocument() {
  m_kind.nNumber = 0;
  CSmDoc::OnCloseDocument();
}

std::string CTsYfDoc::ShownNumber() const {
  return m_shown >= 0 && m_shown < static_cast<int>(m_numbers.size()) ? m_numbers[m_shown]
                                                                      : std::string();
}

int CTsYfDoc::Sign() const {
  return m_voucherKind == 1 || m_voucherKind >= 5 ? 1 : -1;
}

int CTsYfDoc::ItemNumber() const {
  if (m_item >= TsGetKindItemCount(m_party, 1, ItemCategory(), 0)) return -1;
  return TsGetKindItemIndex(m_party, 1, ItemCategory(), 0, m_item);
}

// ---------------------------------------------------------------- choosing the voucher

bool CTsYfDoc::LoadRows(int openMode) {
  m_shown = 0;
  if (!(openMode ? ChooseVoucher() : ChooseNewVoucher())) return false;
  ChooseKindNumber();
  WriteOptions();
  return true;
}

bool CTsYfDoc::ChooseVoucher() {
  CTsYfOpenDlg dlg(m_party, m_voucherKind, m_unreviewedOnly, m_reviewedOnly, m_month, m_numbers,
                   m_db, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  m_party = dlg.Party();
  m_voucherKind = dlg.Kind();
  m_unreviewedOnly = dlg.UnreviewedOnly();
  m_reviewedOnly = dlg.ReviewedOnly();
  m_month = dlg.Month();
  m_numbers = dlg.Numbers();
  m_openModes[0] = FormatStr("%d", m_party);
  m_openModes[1] = FormatStr("%d", m_voucherKind);
  m_openModes[2] = FormatStr("%d", m_unreviewedOnly ? 1 : 0);
  m_openModes[3] = FormatStr("%d", m_reviewedOnly ? 1 : 0);
  m_openModes[4] = m_month;
  m_openModes[10] = JoinNumbers(m_numbers);
  if (m_party == 0 && m_voucherKind == 2 && !m_numbers.empty()) {
    m_header.TsjsSelect(FormatStr("Where LB='%d' And DB='%d' And DH='%s'", m_party, m_voucherKind,
                                  m_db->SqlText(m_numbers.front()).c_str()),
                        m_db);
  }
  return true;
}

bool CTsYfDoc::ChooseNewVoucher() {
  if (!HasSmRight(kModule, kMakeRight)) {
    SmMessageBox("您无单据制作权！", SM_MB_ICONERROR);
    return false;
  }
  // The date chosen before stays where the open file's year holds it.
  CTsSheetOpenDlg dlg(TsNearestYearDay(m_date), CSmFrameWnd::Main(), m_db);
  dlg.m_mode = m_voucherKind;
  dlg.m_party = m_party;
  dlg.m_region = m_region;
  dlg.m_interestFrom = m_interestFrom;
  dlg.m_interestTo = m_interestTo;
  dlg.m_dailyRate = m_dailyRate;
  dlg.m_advancePerTon = m_rate1;
  dlg.m_advanceAtMost = m_rate2;
  dlg.m_item = m_item;
  dlg.m_openingOnly = m_openingOnly ? 1 : 0;
  dlg.m_totalFrom = m_lower;
  dlg.m_totalTo = m_upper;
  dlg.m_dropCents = m_whole ? 1 : 0;
  if (dlg.DoModal() != SM_IDOK) return false;
  m_voucherKind = dlg.m_mode;
  m_party = dlg.m_party;
  m_region = dlg.m_region;
  m_date = dlg.m_date;
  m_interestFrom = dlg.m_interestFrom;
  m_interestTo = dlg.m_interestTo;
  m_dailyRate = dlg.m_dailyRate;
  m_rate1 = dlg.m_advancePerTon;
  m_rate2 = dlg.m_advanceAtMost;
  m_item = dlg.m_item;
  m_openingOnly = dlg.m_openingOnly != 0;
  m_lower = dlg.m_totalFrom;
  m_upper = dlg.m_totalTo;
  m_whole = dlg.m_dropCents != 0;
  std::vector<std::string>& o = m_openModes;
  o[0] = FormatStr("%d", m_party);
  o[1] = FormatStr("%d", m_voucherKind);
  o[5] = m_region;
  o[6] = m_date;
  o[7] = m_interestFrom;
  o[8] = m_interestTo;
  o[9] = FormatStr("%lf", m_dailyRate);
  o[11] = FormatStr("%.*lf", TsGetQtyPrecision(), m_rate1);
  o[12] = FormatStr("%.2lf", m_rate2);
  o[13] = FormatStr("%d", m_item);
  o[14] = FormatStr("%d", m_openingOnly ? 1 : 0);
  o[15] = m_lower;
  o[16] = m_upper;
  o[17] = FormatStr("%d", m_whole ? 1 : 0);
  m_numbers = {std::string()};
  return true;
}

// ---------------------------------------------------------------- filling

std::vector<CTsYfDoc::GroupColumns> CTsYfDoc::UsableGroups() const {
  std::vector<GroupColumns> groups;
  for (int g = 0; g < kGroups; ++g) {
    const GroupColumns group = Group(g);
    if (group.Usable()) groups.push_back(group);
  }
  return groups;
}

void CTsYfDoc::LayOut(const std::vector<Household>& households) {
  const std::vector<GroupColumns> groups = UsableGroups();
  if (groups.empty()) return;
  for (size_t i = 0; i < households.size(); ++i) {
    const size_t slot = i % groups.size();
    if (slot == 0) AppendRow();
    std::vector<std::string>& cells = m_rows.back();
    const GroupColumns& group = groups[slot];
    const Household& household = households[i];
    if (group.code >= 0) cells[group.code] = household.code;
    cells[group.name] = group.code >= 0 ? household.name : household.code;
    cells[m_shownCount + group.index] = household.name;
    cells[group.amount] = household.amount;
    if (group.note >= 0) cells[group.note] = household.note;
  }
}

void CTsYfDoc::AppendBlankRow() {
  const CSmWaitWnd busy;
  m_header.Clear();
  m_header.LB = m_party;
  m_header.DB = m_voucherKind;
  m_header.T = m_date;
  m_header.OPR[0] = TsOperatorNo();
  m_rows.clear();
  m_rowFlags.clear();

  std::vector<Household> households;
  if (m_party == 1) {
    std::vector<CTsDriverRec> drivers;
    TsDriverLoadAll(drivers, m_db);
    for (const CTsDriverRec& driver : drivers)
      households.push_back({TrimChars(driver.KNO), driver.NA, {}, {}});
  } else {
    std::vector<std::string> rows[2];
    m_db->QueryStrings(FormatStr("Select rtrim(KNO),NA From NHDir Where KNO Like '%s\a*\b' Order "
                                 "By KNO",
                                 m_db->SqlText(m_region).c_str()),
                       rows, 2);
    // A code that the next one extends is a region: only the last level takes vouchers.
    for (size_t i = 0; i < rows[0].size(); ++i) {
      const std::string code = TrimChars(rows[0][i]);
      if (i + 1 < rows[0].size() && TrimChars(rows[0][i + 1]).starts_with(code)) continue;
      households.push_back({code, TrimChars(rows[1][i]), {}, {}});
    }
  }
  if (m_voucherKind == 4) {
    for (Household& household : households) household.amount = ProposedInterest(household.code);
  }
  LayOut(households);
  MakeNotes();
  FillBalances(true);
}

std::string CTsYfDoc::ProposedInterest(const std::string& code) const {
  const double interest = CTsjsRec::QueryHistory(
      m_party, ItemNumber(), m_interestFrom, m_interestTo, m_dailyRate, m_openingOnly, code, m_db);
  return PlainAmount(interest, 2);
}

double CTsYfDoc::ProposeAdvance(double rate1, double rate2, double output, double balance,
                                const std::string& lower, const std::string& upper, bool whole) {
  double a = RoundTo(rate1 * output, 2);
  const double cap = RoundTo(rate2 * output, 2);
  if (cap < a + balance) a = cap - balance;
  if (a < 0.0001) a = 0;
  if (!lower.empty() && a < StrToDouble(lower)) a = 0;
  if (!upper.empty() && StrToDouble(upper) < a) a = StrToDouble(upper);
  if (whole) a = std::trunc(a);
  return a;
}

std::string CTsYfDoc::CodeOf(int row, const GroupColumns& group) const {
  const std::vector<std::string>& cells = m_rows[row];
  const int column = group.code >= 0 ? group.code : group.name;
  return column >= 0 && column < static_cast<int>(cells.size()) ? TrimChars(cells[column])
                                                                : std::string();
}

void CTsYfDoc::FillBalances(bool propose) {
  if (m_voucherKind != 2 && m_voucherKind != 6) return;
  std::vector<CTsjsRec> sums;
  CTsjsRec reader;
  reader.GetSumsExcept(m_party, m_voucherKind, m_region, m_header.T, m_header.DH, sums, m_db);
  std::map<std::string, const CTsjsRec*> byCode;
  for (const CTsjsRec& sum : sums) byCode.emplace(TrimChars(sum.KNO), &sum);
  const bool proposals = propose && m_party == 0;
  for (const GroupColumns& group : UsableGroups()) {
    for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
      const std::string code = CodeOf(row, group);
      const auto found = code.empty() ? byCode.end() : byCode.find(code);
      if (found == byCode.end()) continue;
      const CTsjsRec& sum = *found->second;
      if (group.balance >= 0) m_rows[row][group.balance] = PlainAmount(sum.MY[0], 2);
      if (!proposals) continue;
      const double amount =
          m_voucherKind == 2
              ? ProposeAdvance(m_rate1, m_rate2, sum.MU[1], sum.MY[0], m_lower, m_upper, m_whole)
              : RoundTo(m_rate1 * sum.MU[0], TsGetQtyPrecision());
      m_rows[row][group.amount] = PlainAmount(amount, 4);
    }
  }
}

// ---------------------------------------------------------------- loading

void CTsYfDoc::Refresh() {
  const CSmWaitWnd busy;
  m_rows.clear();
  m_rowFlags.clear();
  m_header.Clear();
  // An empty number marks the opening balances, never a voucher.
  if (ShownNumber().empty()) return;
  std::vector<CTsjsRec> rows;
  CTsjsRec reader;
  reader.Query(FormatStr("Where LB='%d' And DB='%d' And DH='%s'", m_party, m_voucherKind,
                         m_db->SqlText(ShownNumber()).c_str()),
               "Order By KNO", rows, m_db);
  RecoverItem(rows);
  const int item = m_voucherKind <= 4 ? ItemNumber() : -1;
  std::vector<Household> households;
  for (const CTsjsRec& row : rows) {
    m_header = row;
    Household household{TrimChars(row.KNO), {}, {}, row.MRY};
    if (m_party == 1) {
      CTsDriverRec driver;
      if (TsDriverLoad(driver, household.code, m_db) > 0) household.name = driver.NA;
    } else {
      CNH farmer(m_db, household.code);
      if (farmer.Load(0) > 0) household.name = farmer.NA;
    }
    if (m_voucherKind == 5) {
      household.amount = PlainAmount(row.MU[0], 4);
    } else if (m_voucherKind == 6) {
      household.amount = PlainAmount(row.MU[1], TsGetQtyPrecision());
    } else if (item >= 0 && item < static_cast<int>(row.MY.size())) {
      household.amount = PlainAmount(Sign() * row.MY[item], 2);
    }
    households.push_back(std::move(household));
  }
  LayOut(households);
  if (m_party == 0) RecoverRegion(rows);
  MakeNotes();
  FillBalances(false);
}

void CTsYfDoc::RecoverItem(const std::vector<CTsjsRec>& rows) {
  if (m_voucherKind < 1 || m_voucherKind > 4) return;
  m_item = 0;
  const int count = TsGetKindItemCount(m_party, 1, ItemCategory(), 0);
  for (const CTsjsRec& row : rows) {
    for (int i = 0; i < count; ++i) {
      const int number = TsGetKindItemIndex(m_party, 1, ItemCategory(), 0, i);
      if (number < 0 || number >= static_cast<int>(row.MY.size())) continue;
      if (std::fabs(row.MY[number]) > 1e-6) {
        m_item = i;
        return;
      }
    }
  }
}

void CTsYfDoc::RecoverRegion(const std::vector<CTsjsRec>& rows) {
  m_region.clear();
  if (rows.empty()) return;
  const std::string first = TrimChars(rows.front().KNO);
  m_region = UpperLevel(first, TsGetFarmerCodeLevel(first));
  for (const CTsjsRec& row : rows) {
    const std::string code = TrimChars(row.KNO);
    while (!m_region.empty() && !code.starts_with(m_region))
      m_region = UpperLevel(m_region, TsGetFarmerCodeLevel(m_region));
  }
}

void CTsYfDoc::MakeNotes() {
  for (std::string& note : m_notes) note.clear();
  if (m_party == 0 && !m_region.empty()) {
    CNH region(m_db, m_region);
    std::string full;
    std::vector<std::string> codes, names;
    region.GetLevelNames(full, codes, names);
    m_notes[0] = "区域：" + full;
  }
  const std::string& t = m_header.T;
  const auto part = [&t](size_t from, size_t count) {
    return from < t.size() ? t.substr(from, count) : std::string();
  };
  m_notes[1] =
      FormatStr("%s年 %s月 %s日", part(0, 4).c_str(), part(4, 2).c_str(), part(6, 2).c_str());
  if (m_voucherKind >= 1 && m_voucherKind <= 4)
    m_notes[2] = "款项：" + TsGetKindItemName(m_party, 1, ItemCategory(), 0, m_item);
  m_notes[3] = m_header.DH;
  const char* captions[] = {"制单：", "复核："};
  for (int k = 0; k < 2; ++k) {
    m_notes[4 + k] = captions[k];
    CSmOperator op;
    if (!m_header.OPR[k].empty() && op.LoadByCode(m_header.OPR[k], m_db)) m_notes[4 + k] += op.Na;
  }
}

// ---------------------------------------------------------------- checking and saving

bool CTsYfDoc::FindHousehold(const std::string& code, std::string* name) const {
  if (code.empty()) return false;
  if (m_party == 1) {
    CTsDriverRec driver;
    if (TsDriverLoad(driver, code, m_db) <= 0) return false;
    if (name) *name = driver.NA;
    return true;
  }
  CNH farmer(m_db, code);
  if (farmer.GetCount(1) != 1) return false;
  if (name) *name = farmer.Load(0) > 0 ? farmer.NA : std::string();
  return true;
}

int CTsYfDoc::CollectRows(int firstRow, int lastRow, int firstColumn, int lastColumn,
                          std::vector<CTsjsRec>& rows) const {
  rows.clear();
  const int item = ItemNumber();
  for (int row = std::max(firstRow, 0); row <= lastRow && row < static_cast<int>(m_rows.size());
       ++row) {
    for (const GroupColumns& group : UsableGroups()) {
      if (!group.Within(firstColumn, lastColumn)) continue;
      const std::string code = CodeOf(row, group);
      if (code.empty() || !IsHousehold(code)) continue;
      CTsjsRec rec = m_header;
      rec.KNO = code;
      rec.MY.assign(CTsjsRec::kItemCount, 0);
      rec.MU[0] = rec.MU[1] = 0;
      const double x = Sign() * RoundTo(StrToDouble(TrimChars(m_rows[row][group.amount])), 2);
      if (std::fabs(x) < 1e-6) continue;
      if (m_voucherKind >= 5) {
        rec.MU[m_voucherKind - 5] = x;
      } else if (item >= 0 && item < CTsjsRec::kItemCount) {
        rec.MY[item] = x;
      } else {
        continue;  // no item to hold the amount
      }
      rec.MRY = group.note >= 0 ? m_rows[row][group.note] : std::string();
      rows.push_back(rec);
    }
  }
  return static_cast<int>(rows.size());
}

std::string CTsYfDoc::NextNumber() {
  return TsNextDocNo(m_party, m_voucherKind, m_db);
}

bool CTsYfDoc::WriteVoucher(std::vector<CTsjsRec>& rows, std::string& number) {
  const bool opened = m_openMode != 0;
  if (!opened) {
    // Taken before the transaction: the insert's check finds a number another station took.
    number = NextNumber();
    if (number.empty()) return false;
  }
  return TsWriteVoucher(m_party, m_voucherKind, opened, number, rows, m_db);
}

bool TsWriteVoucher(int party, int kind, bool replace, const std::string& number,
                    std::vector<CTsjsRec>& rows, CSmDatabase* db) {
  for (CTsjsRec& row : rows) row.DH = number;
  bool otherParty = false;
  const bool written = SmRunInTransaction(db, [&] {
    // Both parties count one sequence per kind: the stations saving one number take turns.
    for (int side : {0, 1}) {
      if (!TsLockDocNo(kTsVoucherNumbers + 10 * side + kind, number, db)) return false;
    }
    if (replace && !CTsjsRec::DeleteDocument(party, kind, number, db)) return false;
    if (!CTsjsRec::InsertDocument(rows, db)) return false;
    otherParty = db->QueryInt(FormatStr("Select Count(*) From jsSheet Where LB<>'%d' And "
                                        "DB='%d' And DH='%s'",
                                        party, kind, db->SqlText(number).c_str())) != 0;
    return !otherParty;
  });
  if (otherParty) SmMessageBox("单号重号！", SM_MB_ICONERROR);
  return written;
}

bool CTsYfDoc::Save(int /*saveAs*/) {
  if (UpdateReadOnly()) {
    SmMessageBox("该文档是只读的，不能存盘！", SM_MB_ICONERROR);
    return true;
  }
  std::vector<CTsjsRec> rows;
  CollectRows(0, static_cast<int>(m_rows.size()) - 1, 0, m_shownCount - 1, rows);
  std::string number = m_header.DH;
  if (!WriteVoucher(rows, number)) return false;
  const bool opened = m_openMode != 0;
  m_header.DH = number;
  if (m_shown >= 0 && m_shown < static_cast<int>(m_numbers.size())) {
    m_numbers[m_shown] = number;
  } else {
    m_numbers = {number};
    m_shown = 0;
  }
  DefineTitle(m_formDef);
  m_notes[3] = number;
  if (!opened) {
    m_openModes[10] = number;
    WriteOptions();
  }
  CSmOpLog(kModule, kVoucherLog,
           FormatStr(opened ? "修改%s：%s" : "新增%s：%s", m_formDef.sFna.c_str(), number.c_str()));
  m_openMode = 1;
  UpdateAllViews(nullptr, 0);
  SmMessageBox(SavedText(number, rows), SM_MB_OK | SM_MB_ICONINFORMATION);
  return true;
}

std::string CTsYfDoc::SavedText(const std::string& number,
                                const std::vector<CTsjsRec>& rows) const {
  double total = 0;
  for (const CTsjsRec& row : rows) {
    total += m_voucherKind >= 5 ? row.MU[m_voucherKind - 5]
                                : std::accumulate(row.MY.begin(), row.MY.end(), 0.0);
  }
  total = std::fabs(total);
  const std::string sum = m_voucherKind == 5 ? FormatStr("合计面积%.2lf亩", total)
                          : m_voucherKind == 6
                              ? FormatStr("合计产量%.*lf吨", TsGetQtyPrecision(), total)
                              : FormatStr("合计%.2lf元", total);
  return FormatStr("%s %s号已保存：%d户，%s。", m_formDef.sFna.c_str(), number.c_str(),
                   static_cast<int>(rows.size()), sum.c_str());
}

// ---------------------------------------------------------------- installation

void TsInstallAdvanceDoc() {
  TsSetDocClasses(kAdvanceTemplate, {[] { return std::make_unique<CTsYfDoc>(); }, nullptr,
                                     [](CSmDocument*, CSmChildFrame*) { return new CTsYfView; }});
}
