#include "reports/TsReportRow.h"

#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"

namespace {

const char* const kDirTables[4] = {"NHDir", "DriverDir", "AdrDir", "Gp"};

bool IsLevelled(int kind) {
  return kind == 0 || kind == 3;
}

std::string TrimBlanks(const std::string& code) {
  return TrimRightSet(code, " ");
}

void RoundFrom(std::vector<double>& values, size_t first, int decimals) {
  for (size_t i = first; i < values.size(); ++i) values[i] = RoundTo(values[i], decimals);
}

void RoundAt(std::vector<double>& values, size_t i, int decimals) {
  if (i < values.size()) values[i] = RoundTo(values[i], decimals);
}

}  // namespace

CTsReportRow::CTsReportRow(int nValues) : Values(static_cast<size_t>(std::max(nValues, 0))) {}

CTsReportRow::CTsReportRow(int nTexts, int nValues)
    : Values(static_cast<size_t>(std::max(nValues, 0))),
      Texts(static_cast<size_t>(std::max(nTexts, 0))) {}

void CTsReportRow::Clear() {
  nTag = 0;
  sDate.clear();
  sCode.clear();
  sName.clear();
  for (std::string& text : Texts) text.clear();
  for (double& value : Values) value = 0.0;
}

void CTsReportRow::SetValueCount(int n) {
  Values.resize(static_cast<size_t>(std::max(n, 0)));
  Clear();
}

void CTsReportRow::SetSizes(int nTexts, int nValues) {
  Texts.resize(static_cast<size_t>(std::max(nTexts, 0)));
  SetValueCount(nValues);
}

bool CTsReportRow::AddValues(const CTsReportRow& child, bool wholeCode) {
  if (wholeCode) {
    if (!sCode.empty() && TrimBlanks(sCode) != TrimBlanks(child.sCode)) return false;
  } else if (!child.sCode.starts_with(sCode)) {
    return false;
  }
  if (child.Values.size() != Values.size()) return false;
  for (size_t i = 0; i < Values.size(); ++i) Values[i] += child.Values[i];
  return true;
}

bool CTsReportRow::AddChild(const CTsReportRow& child, bool wholeCode) {
  if (!AddValues(child, wholeCode)) return false;
  const int qty = TsGetQtyPrecision();
  RoundAt(Values, 0, 0);
  RoundAt(Values, 2, 4);
  RoundAt(Values, 3, qty);
  RoundAt(Values, 4, qty);
  RoundFrom(Values, 5, 2);
  return true;
}

bool CTsReportRow::AddChildQty(const CTsReportRow& child, bool wholeCode) {
  if (!AddValues(child, wholeCode)) return false;
  RoundAt(Values, 0, 0);
  RoundAt(Values, 1, TsGetQtyPrecision());
  RoundFrom(Values, 2, 2);
  return true;
}

bool CTsReportRow::AddChildDaily(const CTsReportRow& child, bool wholeCode) {
  if (!AddValues(child, wholeCode)) return false;
  RoundAt(Values, 0, 0);
  for (size_t i = 1; i < 4; ++i) RoundAt(Values, i, TsGetQtyPrecision());
  RoundFrom(Values, 4, 2);
  return true;
}

bool CTsReportRow::AddChildMoney(const CTsReportRow& child, bool wholeCode) {
  if (!AddValues(child, wholeCode)) return false;
  RoundFrom(Values, 0, 2);
  return true;
}

int CTsReportRow::LoadNames(int kind, const std::array<int, 5>& levelLengths, int level,
                            const std::string& codeFilter, std::vector<CTsReportRow>& rows,
                            CSmDatabase* db) {
  if (kind < 0 || kind > 3 || level < 0 || level > 4) return 0;
  const bool levelled = IsLevelled(kind);
  const int length = levelLengths[static_cast<size_t>(level)];
  const std::string key = levelled ? FormatStr("Left(KNO,%d)", length) : "rtrim(KNO)";
  std::string condition = levelled ? FormatStr("Where Len(rtrim(KNO))<=%d", length) : "";
  if (!codeFilter.empty()) {
    condition += condition.empty() ? "Where" : " And";
    condition += " KNO Like '" + db->SqlText(codeFilter) + "\a*\b'";
  }
  Clear();
  CSmQuery query(0, 0, 2, db);
  if (!query.Open(FormatStr("Select %s,rtrim(NA) From %s %s Order By %s", key.c_str(),
                            kDirTables[kind], condition.c_str(), key.c_str()))) {
    return 0;
  }
  for (; !query.IsEOF(); query.MoveNext()) {
    sCode = query.GetString(0);
    sName = query.GetString(1);
    if (levelled) sName = TsLevelIndent(sCode, levelLengths) + sName;
    rows.push_back(*this);
  }
  Clear();
  return static_cast<int>(rows.size());
}

std::array<int, 5> TsGetLevelLengths(bool varieties) {
  const TsIntParam first = varieties ? TsIntParam::VarietyLevel1Len : TsIntParam::FarmerLevel1Len;
  std::array<int, 5> lengths{};
  int sum = 0;
  for (int k = 0; k < 5; ++k) {
    sum += TsGetIntParam(first + k);
    lengths[static_cast<size_t>(k)] = sum;
  }
  return lengths;
}

std::string TsLevelIndent(const std::string& code, const std::array<int, 5>& levelLengths) {
  std::string indent;
  for (int levelLength : levelLengths) {
    if (levelLength >= static_cast<int>(code.size())) break;
    indent += "  ";
  }
  return indent;
}

CTsRollUp::CTsRollUp(std::vector<CTsReportRow>& rows, Member member, bool wholeCode)
    : m_rows(rows), m_member(member), m_wholeCode(wholeCode) {
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string& code = rows[i].sCode;
    m_index[m_wholeCode && !code.empty() ? TrimBlanks(code) : code].push_back(static_cast<int>(i));
  }
}

void CTsRollUp::AddTo(const std::string& code, const CTsReportRow& child) {
  const auto it = m_index.find(code);
  if (it == m_index.end()) return;
  for (int i : it->second) {
    CTsReportRow& row = m_rows[static_cast<size_t>(i)];
    if (m_member == Purchase) {
      row.AddChild(child, m_wholeCode);
    } else if (m_member == Qty) {
      row.AddChildQty(child, m_wholeCode);
    } else if (m_member == Daily) {
      row.AddChildDaily(child, m_wholeCode);
    } else {
      row.AddChildMoney(child, m_wholeCode);
    }
  }
}

void CTsRollUp::Add(const CTsReportRow& child) {
  if (m_wholeCode) {
    AddTo({}, child);
    const std::string code = TrimBlanks(child.sCode);
    if (!code.empty()) AddTo(code, child);
    return;
  }
  for (size_t n = 0; n <= child.sCode.size(); ++n) AddTo(child.sCode.substr(0, n), child);
}
