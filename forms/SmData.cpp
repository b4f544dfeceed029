#include "forms/SmData.h"

#include <cmath>
#include <cstring>

#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmString.h"

namespace {

// The wildcard of LIKE patterns, marked for the translation into the engine's form.
const char* const kAny = "\x07*\x08";

bool SameNameNoCase(const std::string& a, const std::string& b) {
  return MakeUpperCopy(a) == MakeUpperCopy(b);
}

}  // namespace

void CSmDataCol::Set(const std::string& caption, const std::string& inputType, int editLen,
                     int decimals, int mayEmpty) {
  sCaption = caption;
  sInputType = inputType;
  nEditLen = editLen;
  nDecimals = decimals;
  bMayEmpty = mayEmpty;
}

void CSmData::Clear() {
  for (int& v : m_ints) v = 0;
  for (double& v : m_dbls) v = 0;
  for (std::string& v : m_strs) v.clear();
}

bool CSmData::IsJet() const {
  return !m_db || m_db->GetKind() == 0;
}

CSmDataColumns CSmData::DescribeColumns() {
  PrepareColumns();
  CSmDataColumns c;
  c.nInts = static_cast<int>(m_ints.size());
  c.nDbls = static_cast<int>(m_dbls.size());
  c.nStrs = static_cast<int>(m_strs.size());
  const int total = c.nInts + c.nDbls + c.nStrs;
  c.keys.assign(total, 0);
  c.names.assign(total, {});
  DefineTable(c.sTable, c.names);
  c.names.resize(total);
  for (int i = 0; i < total; ++i) {
    std::string name = TrimChars(c.names[i]);
    const bool isInt = i < c.nInts;
    const bool isText = i >= c.nInts + c.nDbls;
    const int textPos = i - c.nInts - c.nDbls;
    if (!name.empty() && name[0] == '#') {
      c.keys[i] = 1;
      const size_t second = name.find('#', 1);
      if (c.nCodeCol < 0 && second != std::string::npos) {
        if (isText) {
          c.nCodeCol = textPos;
          c.sSeparator = name.substr(1, second - 1);
        }
        name.erase(0, second + 1);
      } else {
        name.erase(0, 1);
      }
    } else if (!name.empty() && name[0] == '?' && c.nNameCol < 0) {
      name.erase(0, 1);
      if (isText) c.nNameCol = textPos;
    } else if (!name.empty() && name[0] == '|' && c.nLevelCol < 0) {
      name.erase(0, 1);
      if (isInt) c.nLevelCol = i;
    }
    c.names[i] = name;
  }
  return c;
}

std::string CSmData::GetColumnList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ",") + name;
  return list;
}

void CSmData::BindColumns(CSmQuery& query, const CSmDataColumns& c) {
  for (int i = 0; i < static_cast<int>(c.names.size()); ++i) {
    if (i < c.nInts)
      query.SetFieldName(0, i, c.names[i]);
    else if (i < c.nInts + c.nDbls)
      query.SetFieldName(1, i - c.nInts, c.names[i]);
    else
      query.SetFieldName(2, i - c.nInts - c.nDbls, c.names[i]);
  }
}

// The condition of key column `column` in `mode`; empty when it sets no condition.
std::string CSmData::KeyText(const CSmDataColumns& c, int column, int mode) const {
  const std::string& name = c.names[column];
  if (column < c.nInts) return FormatStr("%s=%d", name.c_str(), m_ints[column]);
  if (column < c.nInts + c.nDbls)
    return FormatStr("%s=%lf", name.c_str(), m_dbls[column - c.nInts]);
  const int textPos = column - c.nInts - c.nDbls;
  const std::string value = m_db ? m_db->SqlText(m_strs[textPos]) : m_strs[textPos];
  if (textPos != c.nCodeCol || mode == 0) return FormatStr("%s='%s'", name.c_str(), value.c_str());
  const char* sep = c.sSeparator.c_str();
  const std::string level = c.nLevelCol >= 0 ? c.names[c.nLevelCol] : std::string();
  if (value.empty()) {
    if (mode == 1) return {};
    if (!level.empty()) return level + "=1";
    // Without a level column the top-level codes are those without a separator.
    return FormatStr("%s Not Like '%s%s%s'", name.c_str(), kAny, sep, kAny);
  }
  if (mode == 1)
    return FormatStr("(%s='%s' Or %s Like '%s%s%s')", name.c_str(), value.c_str(), name.c_str(),
                     value.c_str(), sep, kAny);
  if (!level.empty())
    return FormatStr("%s Like '%s%s%s' And  %s=%d", name.c_str(), value.c_str(), sep, kAny,
                     level.c_str(), CountChar(m_strs[textPos], '-') + 1);
  return FormatStr("%s Like '%s%s%s' And %s Not Like '%s%s%s%s%s'", name.c_str(), value.c_str(),
                   sep, kAny, name.c_str(), value.c_str(), sep, kAny, sep, kAny);
}

std::string CSmData::BuildWhere(const CSmDataColumns& c, int mode) const {
  std::string where;
  for (int i = 0; i < static_cast<int>(c.keys.size()); ++i) {
    if (!c.keys[i]) continue;
    const std::string condition = KeyText(c, i, mode);
    if (condition.empty()) continue;
    where += (where.empty() ? "Where " : " And ") + condition;
  }
  return CSmDatabase::TranslateSQL(!IsJet(), where);
}

std::string CSmData::BuildOrderBy(int codeCol, const std::string& separator,
                                  const std::vector<std::string>& names, int mode) const {
  if (mode == 0 || codeCol < 0) return {};
  const std::string& column = names[names.size() - m_strs.size() + codeCol];
  if (mode == 1 || separator.empty()) return "Order By " + column;
  const std::string& value = m_strs[codeCol];
  const int valueLen = static_cast<int>(value.size());
  const int sepLen = static_cast<int>(separator.size());
  if (!IsJet()) {
    const int k = value.empty() ? 0 : valueLen + sepLen;
    return FormatStr("Order By Cast(stuff(%s,1,%d,'') As INT)", column.c_str(), k);
  }
  const int k = value.empty() ? 1 : valueLen + sepLen + 1;
  const std::string m = FormatStr("Mid(%s,%d)", column.c_str(), k);
  const std::string i = FormatStr("Instr(1,%s,'%s',0)", m.c_str(), separator.c_str());
  const std::string e = FormatStr("iif(%s>0,%s,1000)", i.c_str(), i.c_str());
  return FormatStr("Order By Val(Rtrim(Mid(%s,1,%s-1)))", m.c_str(), e.c_str());
}

int CSmData::Select(std::vector<std::unique_ptr<CSmData>>& list, int mode,
                    const std::string& jetWhere, std::string serverWhere,
                    const std::string& jetOrder, std::string serverOrder) {
  if (serverWhere.empty()) serverWhere = jetWhere;
  if (serverOrder.empty()) serverOrder = jetOrder;
  const CSmDataColumns c = DescribeColumns();
  CSmQuery query(c.nInts, c.nDbls, c.nStrs, m_db);
  BindColumns(query, c);
  const std::string base =
      FormatStr("Select %s From %s ", GetColumnList(c.names).c_str(), c.sTable.c_str());
  const std::string where = BuildWhere(c, mode);
  const std::string order = BuildOrderBy(c.nCodeCol, c.sSeparator, c.names, mode);
  const std::string jet =
      base + (jetWhere.empty() ? where : jetWhere) + " " + (jetOrder.empty() ? order : jetOrder);
  const std::string server = base + (serverWhere.empty() ? where : serverWhere) + " " +
                             (serverOrder.empty() ? order : serverOrder);
  if (!query.Open(jet, server)) return 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    m_ints.assign(query.GetIntValues().begin(), query.GetIntValues().end());
    m_dbls = query.GetDoubleValues();
    m_strs = query.GetStringValues();
    std::unique_ptr<CSmData> copy = CreateObject();
    copy->CopyFrom(*this);
    list.push_back(std::move(copy));
  }
  return static_cast<int>(list.size());
}

int CSmData::Load(int mode) {
  std::vector<std::unique_ptr<CSmData>> rows;
  const int count = Select(rows, mode, {}, {}, {}, {});
  if (count > 0) CopyFrom(*rows.front());
  return count;
}

bool CSmData::IsReferencedExcept(const std::vector<std::string>& skipTables) {
  std::vector<std::string> jet, server;
  GetRefTables(jet, server);
  for (size_t k = 0; k < jet.size(); ++k) {
    const std::string& serverEntry = k < server.size() && !server[k].empty() ? server[k] : jet[k];
    const std::string& entry = IsJet() ? jet[k] : serverEntry;
    const std::string table = LeftOfBlank(entry);
    bool skip = false;
    for (const std::string& name : skipTables) skip = skip || SameNameNoCase(name, table);
    if (skip || !m_db) continue;
    if (m_db->QueryInt("Select Count(*) From " + entry) > 0) return true;
  }
  return false;
}

int CSmData::CanDelete(std::string& message) {
  if (!IsReferenced()) return 1;
  const CSmDataColumns c = DescribeColumns();
  const std::string code = c.nCodeCol >= 0 ? m_strs[c.nCodeCol] : std::string();
  message = FormatStr("“%s”已被引用，不能删除！", code.c_str());
  if (c.nCodeCol < 0) return 0;
  const std::string parent = LeftOfLast(code, '-');
  std::unique_ptr<CSmData> sibling = CreateObject();
  sibling->CopyFrom(*this);
  sibling->m_strs[c.nCodeCol] = parent;
  // The parent's direct children, or the top-level codes for a top-level code.
  const int children = sibling->Load(2);
  if (children == 0) {
    message = FormatStr("“%s”已不存在！", code.c_str());
    return 0;
  }
  if (children > 1) return 0;
  if (!parent.empty()) return 2;
  return Load(1) > 1 ? 2 : 0;
}

bool CSmData::IsSameKey(const CSmData& other) {
  const CSmDataColumns c = DescribeColumns();
  for (int i = 0; i < static_cast<int>(c.keys.size()); ++i) {
    if (!c.keys[i]) continue;
    if (i < c.nInts) {
      if (m_ints[i] != other.m_ints[i]) return false;
    } else if (i < c.nInts + c.nDbls) {
      if (std::fabs(m_dbls[i - c.nInts] - other.m_dbls[i - c.nInts]) > 0.0000001) return false;
    } else if (m_strs[i - c.nInts - c.nDbls] != other.m_strs[i - c.nInts - c.nDbls]) {
      return false;
    }
  }
  return true;
}
