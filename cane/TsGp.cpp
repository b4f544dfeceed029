#include "cane/TsGp.h"

#include <cmath>

#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmString.h"

namespace {
const char* const kAny = "\x07*\x08";
}  // namespace

void CGp::Clear() {
  KNO.clear();
  NA.clear();
  NT.clear();
  PR = 0;
}

void CGp::GetRefTables(std::vector<std::string>& jet, std::vector<std::string>& server) const {
  jet.push_back(FormatStr("gbSheet Where KNO3 Like '%s%s'", Text(KNO).c_str(), kAny));
  server.emplace_back();
}

bool CGp::MoveReferences(const CTsCodeRec& old) {
  return ExecuteMove(FormatStr(
      "Update gbSheet Set KNO3='%s'+Mid(KNO3,%d,30) Where KNO3 Like '%s%s'", Text(KNO).c_str(),
      static_cast<int>(old.KNO.size()) + 1, Text(old.KNO).c_str(), kAny));
}

void CGp::DefineColumns(std::vector<CSmDataCol>& columns) const {
  columns.assign(4, {});
  columns[0].Set("代码", "STRING DIGIT", TsGetVarietyCodeLen(), 0, 0);
  columns[1].Set("名称", "MDBSTRING", 60, 0, 0);
  columns[2].Set("备注", "MDBSTRING", 60, 0, 1);
  columns[3].Set("单价", "NUMBER", 14, 2, 1);
  columns[0].sValue = KNO;
  columns[1].sValue = NA;
  columns[2].sValue = NT;
  columns[3].sValue = FormatStr("%.2lf", PR);
}

void CGp::CopyFields(const CTsCodeRec& other, bool codeOnly) {
  if (codeOnly) {
    KNO = other.KNO;
    return;
  }
  const auto& source = static_cast<const CGp&>(other);
  NA = source.NA;
  NT = source.NT;
  PR = source.PR;
}

std::string CGp::GetValueList() const {
  return FormatStr("%.2lf,'%s','%s','%s'", PR, Text(KNO).c_str(), Text(NA).c_str(),
                   Text(NT).c_str());
}

void CGp::ReadRow(CSmQuery& query) {
  PR = query.GetDouble(0);
  KNO = query.GetString(0);
  NA = query.GetString(1);
  NT = query.GetString(2);
}

int CGp::Select(std::vector<CGp>& list, int mode, const std::string& jetWhere,
                const std::string& serverWhere, const std::string& jetOrder,
                const std::string& serverOrder) {
  SelectRows(mode, jetWhere, serverWhere, jetOrder, serverOrder, [&] { list.push_back(*this); });
  return static_cast<int>(list.size());
}

bool CGp::TakeOverParent(const CTsCodeRec& parent) {
  if (!MoveReferences(parent)) return false;
  return m_db->ExecuteSQL(FormatStr("Update GP Set pr=0 where KNO='%s'", Text(parent.KNO).c_str()));
}

// A variety that lands above other varieties is no longer priced.
void CGp::OnCodeChanged() {
  if (std::fabs(PR) <= 0.00001) return;
  const std::string code = Text(KNO);
  if (m_db->QueryInt(FormatStr("Select Count(*) From GP Where KNO Like '%s%s' And KNO<>'%s'",
                               code.c_str(), kAny, code.c_str())) > 0)
    PR = 0;
}
