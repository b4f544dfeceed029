#include "app/SmVar.h"

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

namespace {

// Widths of the SMVAR columns in GBK bytes.
constexpr size_t kNameWidth = 10;
constexpr size_t kExpressionWidth = 200;
constexpr size_t kNoteWidth = 60;

}  // namespace

CSmVar::CSmVar(std::string name, std::string expression, int type, std::string note)
    : m_name(std::move(name)),
      m_expression(std::move(expression)),
      m_type(type),
      m_note(std::move(note)) {}

bool CSmVar::operator==(const CSmVar& other) const {
  return m_name == other.m_name && m_expression == other.m_expression && m_type == other.m_type &&
         m_note == other.m_note;
}

bool CSmVarTable::Find(const std::string& name, CSmVar& var) const {
  for (const CSmVar& v : m_vars) {
    if (v.m_name != name) continue;
    var = v;
    return true;
  }
  return false;
}

void CSmVarTable::SetDefaults() {
  if (m_nSoft != 0) {
    if (CSmDataType* type = FindSmDataType(m_nSoft)) type->GetDefaultVars(*this);
    return;
  }
  m_nNo = 0;
  Add(CSmVar("#z", "zw()", SM_VAR_TEXT, "当前账务数据文件名"));
  Add(CSmVar("#y", "pzt(1)", SM_VAR_NUMBER, "当前业务月"));
  Add(CSmVar("#y1", "\"1:\"+str(pzt(1))", SM_VAR_TEXT, "一月至当前业务月"));
}

bool CSmVarTable::LoadFromDb(CSmDatabase* db) {
  if (!db) return false;
  CSmQuery query(1, 0, 3, db);
  query.SetFieldName(0, 0, "NTYPE");
  // An expression of 200 Chinese characters takes 600 bytes on the server.
  query.SetTextWidth(1024);
  if (!query.Open(FormatStr("SELECT NTYPE,RTRIM(SVAR),RTRIM(SEXP),RTRIM(SNOTE) FROM SMVAR \t\t"
                            "Where nSoft=%d And nNo=%d Order By SVAR",
                            m_nSoft, m_nNo))) {
    return false;
  }
  for (; !query.IsEOF(); query.MoveNext()) {
    Add(CSmVar(query.GetString(0), query.GetString(1), static_cast<int>(query.GetInt(0)),
               query.GetString(2)));
  }
  return true;
}

bool CSmVarTable::CheckWidths() const {
  for (const CSmVar& v : m_vars) {
    std::string what;
    if (GbkSize(v.m_name) > kNameWidth) {
      what = "变量名超过10个字节";
    } else if (GbkSize(v.m_expression) > kExpressionWidth) {
      what = "公式超过200个字节";
    } else if (GbkSize(v.m_note) > kNoteWidth) {
      what = "说明超过60个字节";
    }
    if (what.empty()) continue;
    SmMessageBox("变量“" + v.m_name + "”的" + what + "，不能保存！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  return true;
}

// The texts go in as bound values: a quote or a "|" of an expression is stored as typed.
bool CSmVarTable::SaveToDb(CSmDatabase* db) const {
  if (!db || !CheckWidths()) return false;
  if (!db->BeginTrans()) return false;
  bool ok =
      db->ExecuteSQL(FormatStr("DELETE FROM SMVAR Where nSoft=%d And nNo=%d", m_nSoft, m_nNo));
  for (size_t i = 0; ok && i < m_vars.size(); ++i) {
    const CSmVar& v = m_vars[i];
    ok = db->ExecuteBound(
        "INSERT INTO SMVAR(nSoft,nNo,SVAR,SEXP,SNOTE,NTYPE) \t\t\tVALUES(?,?,?,?,?,?)", {},
        {SmDbValue::OfInt(m_nSoft), SmDbValue::OfInt(m_nNo), SmDbValue::OfText(v.m_name),
         SmDbValue::OfText(v.m_expression), SmDbValue::OfText(v.m_note),
         SmDbValue::OfInt(v.m_type)});
  }
  if (ok) ok = db->CommitTrans();
  if (!ok) db->Rollback();
  return ok;
}
