#include "cane/TsNH.h"

#include <algorithm>

#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "ui/SmPrintJob.h"

namespace {
const char* const kAny = "\x07*\x08";
}  // namespace

void CNH::Clear() {
  for (std::string* text : {&KNO, &NA, &TEL, &BkNO, &BkHO, &BkNA, &NT}) text->clear();
  std::fill(std::begin(cs), std::end(cs), 0.0);
}

void CNH::GetRefTables(std::vector<std::string>& jet, std::vector<std::string>& server) const {
  const std::string code = Text(KNO);
  jet.push_back(FormatStr("gbSheet Where KNO0 Like '%s%s'", code.c_str(), kAny));
  jet.push_back(FormatStr("jsSheet Where LB='0' And KNO Like '%s%s'", code.c_str(), kAny));
  jet.push_back(FormatStr("AdrDir Where QY Like '%s%s'", code.c_str(), kAny));
  server.resize(jet.size());
}

bool CNH::MoveReferences(const CTsCodeRec& old) {
  const std::string code = Text(KNO);
  const std::string from = Text(old.KNO);
  const int start = static_cast<int>(old.KNO.size()) + 1;
  const char* const statements[] = {
      "Update gbSheet Set KNO0='%s'+Mid(KNO0,%d,30) Where KNO0 Like '%s%s'",
      "Update jsSheet Set KNO='%s'+Mid(KNO,%d,30) Where LB='0' And KNO Like '%s%s'",
      "Update AdrDir Set QY='%s'+Mid(QY,%d,30) Where QY Like '%s%s'",
  };
  for (const char* statement : statements) {
    if (!ExecuteMove(FormatStr(statement, code.c_str(), start, from.c_str(), kAny))) return false;
  }
  return true;
}

void CNH::DefineColumns(std::vector<CSmDataCol>& columns) const {
  columns.assign(11, {});
  columns[0].Set("代码", "STRING DIGIT", TsGetFarmerCodeLen(), 0, 0);
  columns[1].Set("名称", "MDBSTRING", 30, 0, 0);
  columns[2].Set("电话", "MDBSTRING", 20, 0, 1);
  columns[3].Set("银行户码", "MDBSTRING", 30, 0, 1);
  columns[4].Set("银行账号", "MDBSTRING", 30, 0, 1);
  columns[5].Set("银行户名", "MDBSTRING", 30, 0, 1);
  columns[6].Set("备注", "MDBSTRING", 60, 0, 1);
  const std::string* texts[] = {&KNO, &NA, &TEL, &BkNO, &BkHO, &BkNA, &NT};
  for (int k = 0; k < 7; ++k) columns[k].sValue = *texts[k];
  for (int k = 0; k < 4; ++k) {
    columns[7 + k].Set(FormatStr("参数%d", k + 1), "NUMBER", 14, 4, 1);
    columns[7 + k].sValue = FormatStr("%.4lf", cs[k]);
  }
}

void CNH::CopyFields(const CTsCodeRec& other, bool codeOnly) {
  if (codeOnly) {
    KNO = other.KNO;
    return;
  }
  const auto& source = static_cast<const CNH&>(other);
  NA = source.NA;
  TEL = source.TEL;
  BkNO = source.BkNO;
  BkHO = source.BkHO;
  BkNA = source.BkNA;
  NT = source.NT;
  std::copy(std::begin(source.cs), std::end(source.cs), std::begin(cs));
}

std::string CNH::GetColumnList() const {
  return "CS0,CS1,CS2,CS3,KNO,NA,TEL,BkNO,BkHO,BkNA,NT";
}

std::string CNH::GetValueList() const {
  return FormatStr("%.4lf,%.4lf,%.4lf,%.4lf,'%s','%s','%s','%s','%s','%s','%s'", cs[0], cs[1],
                   cs[2], cs[3], Text(KNO).c_str(), Text(NA).c_str(), Text(TEL).c_str(),
                   Text(BkNO).c_str(), Text(BkHO).c_str(), Text(BkNA).c_str(), Text(NT).c_str());
}

void CNH::GetValues(std::vector<SmDbValue>& values) const {
  values.clear();
  for (double value : cs) values.push_back(SmDbValue::OfDouble(PrintedValue(value, 4)));
  for (const std::string* text : {&KNO, &NA, &TEL, &BkNO, &BkHO, &BkNA, &NT})
    values.push_back(SmDbValue::OfText(m_db->StoredText(*text)));
}

void CNH::ReadRow(CSmQuery& query) {
  for (int k = 0; k < 4; ++k) cs[k] = query.GetDouble(k);
  std::string* texts[] = {&KNO, &NA, &TEL, &BkNO, &BkHO, &BkNA, &NT};
  for (int k = 0; k < 7; ++k) *texts[k] = query.GetString(k);
}

int CNH::Select(std::vector<CNH>& list, int mode, const std::string& jetWhere,
                const std::string& serverWhere, const std::string& jetOrder,
                const std::string& serverOrder) {
  SelectRows(mode, jetWhere, serverWhere, jetOrder, serverOrder, [&] { list.push_back(*this); });
  return static_cast<int>(list.size());
}

int CNH::SplitLevels(const std::string& code, std::vector<std::string>& codes) const {
  codes.clear();
  const int length = static_cast<int>(code.size());
  for (int k = 0, s = 0; k < 5 && s < length; ++k) {
    s += LevelLength(k);
    if (LevelLength(k) > 0) codes.push_back(code.substr(0, std::min(s, length)));
  }
  return static_cast<int>(codes.size());
}

int CNH::GetLevelNames(std::string& out, std::vector<std::string>& codes,
                       std::vector<std::string>& names) {
  out.clear();
  names.clear();
  SplitLevels(KNO, codes);
  if (KNO.empty() || Load(0) == 0) return 0;
  std::vector<CNH> ancestors;
  std::string where;
  for (size_t k = 0; k + 1 < codes.size(); ++k)
    where += (where.empty() ? "Where " : " Or ") + FormatStr("KNO='%s'", Text(codes[k]).c_str());
  CNH reader(m_db, {});
  if (!where.empty()) reader.Select(ancestors, 0, where);
  for (size_t k = 0; k + 1 < codes.size(); ++k) {
    auto found = std::find_if(ancestors.begin(), ancestors.end(),
                              [&](const CNH& row) { return row.KNO == codes[k]; });
    // A missing ancestor is named by its code.
    names.push_back(found != ancestors.end() ? found->NA : codes[k]);
  }
  names.push_back(NA);
  for (const std::string& name : names) out += (out.empty() ? "" : "/") + name;
  return GetCount(1);
}

int CNH::SelectLeaves(const std::string& code, std::vector<CNH>& list) {
  KNO = code;
  std::vector<CNH> rows;
  Select(rows, 1);
  for (size_t k = 0; k < rows.size(); ++k) {
    const bool hasChild = k + 1 < rows.size() && rows[k + 1].KNO.rfind(rows[k].KNO, 0) == 0;
    if (!hasChild) list.push_back(rows[k]);
  }
  return static_cast<int>(list.size());
}

int CNH::CollectLeaves(const std::vector<std::string>& codes, std::vector<CNH>& list) {
  for (const std::string& code : codes) SelectLeaves(code, list);
  return static_cast<int>(list.size());
}

int CNH::GetParamRange(int n, const std::vector<std::string>& codes, double range[2]) {
  range[0] = range[1] = 0;
  const int j = TsGetLinkParamIndex(0, n);
  std::vector<CNH> leaves;
  if (j < 0 || j > 3 || CollectLeaves(codes, leaves) == 0) return 0;
  range[0] = range[1] = leaves.front().cs[j];
  for (const CNH& leaf : leaves) {
    range[0] = std::min(range[0], leaf.cs[j]);
    range[1] = std::max(range[1], leaf.cs[j]);
  }
  return static_cast<int>(leaves.size());
}

bool CNH::SetParam(int n, const std::vector<std::string>& codes, double value) {
  const int j = TsGetLinkParamIndex(0, n);
  if (j < 0 || j > 3) return false;
  std::vector<CNH> leaves;
  CNH reader(m_db, {});
  reader.CollectLeaves(codes, leaves);
  return SmRunInTransaction(m_db, [&] {
    for (const CNH& leaf : leaves) {
      if (!m_db->ExecuteSQL(FormatStr("Update NHDir Set cs%d=%lf Where KNO='%s'", j, value,
                                      Text(leaf.KNO).c_str())))
        return false;
    }
    return true;
  });
}
