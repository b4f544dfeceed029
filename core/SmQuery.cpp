#include "core/SmQuery.h"

#include <string>

#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "platform/SmMessage.h"

namespace {

const char kExecError[] = "执行下列SQL语句时出错！\n";
const char kNotOpen[] = "执行下列SQL语句时数据库未打开！\n";

void TrimTrailingSpace(std::string& s) {
  size_t end = s.size();
  while (end > 0 &&
         (s[end - 1] == ' ' || s[end - 1] == '\t' || s[end - 1] == '\r' || s[end - 1] == '\n'))
    --end;
  s.resize(end);
}

void ReportRange(const char* what, int pos) {
  SmMessageBox("执行查询时，第" + std::to_string(pos) + "个" + what + "超界！", SM_MB_ICONERROR);
}

}  // namespace

CSmQuery::CSmQuery(int intCount, int doubleCount, int stringCount, CSmDatabase* db) {
  SetColumnCounts(intCount, doubleCount, stringCount, db);
}

CSmQuery::~CSmQuery() = default;

void CSmQuery::SetColumnCounts(int intCount, int doubleCount, int stringCount, CSmDatabase* db) {
  m_cursor.reset();
  m_eof = true;
  m_db = db;
  m_kind = db ? db->GetKind() : 0;
  m_ints.assign(std::max(intCount, 0), 0);
  m_doubles.assign(std::max(doubleCount, 0), 0.0);
  m_strings.assign(std::max(stringCount, 0), std::string());
  // Default names are those Jet gives unnamed computed columns: Expr1000, Expr1001 ...
  int position = 1000;
  const size_t counts[3] = {m_ints.size(), m_doubles.size(), m_strings.size()};
  for (int type = 0; type < 3; ++type) {
    m_names[type].clear();
    for (size_t k = 0; k < counts[type]; ++k)
      m_names[type].push_back("Expr" + std::to_string(position++));
  }
}

void CSmQuery::SetFieldName(int type, int index, const std::string& name) {
  if (m_kind != 0 || index < 0) return;
  std::vector<std::string>& names = m_names[type == 0 ? 0 : type == 1 ? 1 : 2];
  if (names.size() <= static_cast<size_t>(index)) names.resize(index + 1);
  names[index] = name;
}

void CSmQuery::SetFieldNames(int type, const std::vector<std::string>& names) {
  if (m_kind != 0) return;
  m_names[type == 0 ? 0 : type == 1 ? 1 : 2] = names;
}

void CSmQuery::ResetValues() {
  std::fill(m_ints.begin(), m_ints.end(), 0);
  std::fill(m_doubles.begin(), m_doubles.end(), 0.0);
  std::fill(m_strings.begin(), m_strings.end(), std::string());
}

// The engine's reason stands beside the statement on every kind; a lock another workstation
// holds past the wait is said in plain words.
void CSmQuery::ReportError(const std::string& translated, const std::string& engineError) {
  // A run stopped by a full disk has said why; what it left unmade is not read.
  if (m_db && m_db->Stopped()) return;
  std::string shown;
  if (engineError.find("database is locked") != std::string::npos ||
      engineError.find("[55P03]") != std::string::npos)
    shown = std::string(kSmBusyText) + "\n";
  if (!engineError.empty()) shown += engineError + "\n";
  SmMessageBox(shown + kExecError + translated);
}

bool CSmQuery::Open(const std::string& jet, const std::string& server) {
  m_cursor.reset();
  m_eof = true;
  ResetValues();
  const std::string& text = server.empty() ? jet : server;
  const std::string translated = CSmDatabase::TranslateSQL(m_kind != 0, m_kind == 0 ? jet : text);
  CSmDbBackend* backend = m_db && m_db->IsOpen() ? m_db->Backend() : nullptr;
  if (!backend) {
    if (m_kind != 2) SmMessageBox(kNotOpen + translated);
    return false;
  }
  std::string error;
  std::unique_ptr<CSmDbCursor> cursor = backend->Query(translated, &error);
  const int declared = static_cast<int>(m_ints.size() + m_doubles.size() + m_strings.size());
  if (cursor && cursor->ColumnCount() < declared) {
    error = "the statement returns fewer columns than declared";
    cursor.reset();
  }
  if (!cursor) {
    ReportError(translated, error);
    return false;
  }
  m_cursor = std::move(cursor);
  m_translated = translated;
  m_eof = !m_cursor->Next();
  if (!m_cursor->Error().empty()) {
    ReportError(translated, m_cursor->Error());
    m_cursor.reset();
    return false;
  }
  return m_eof || FillRow();
}

bool CSmQuery::FillRow() {
  // A null reads as 0, 0.0 or an empty text on every back end.
  m_cursor->GetRow(m_ints, m_doubles, m_strings);
  for (std::string& v : m_strings) {
    if (m_kind == 1 && m_textWidth >= 0) v = GbkCut(v, m_textWidth);
    TrimTrailingSpace(v);
  }
  return true;
}

void CSmQuery::MoveNext() {
  if (m_eof || !m_cursor) return;
  m_eof = !m_cursor->Next();
  if (!m_eof) {
    FillRow();
    return;
  }
  ResetValues();
  // A row that cannot be read is not the end of the rows: say so rather than stop quietly.
  if (!m_cursor->Error().empty()) ReportError(m_translated, m_cursor->Error());
}

void CSmQuery::Close() {
  m_cursor.reset();
  m_eof = true;
}

long CSmQuery::GetInt(int pos) {
  if (pos < 0 || static_cast<size_t>(pos) >= m_ints.size()) {
    ReportRange("整数值", pos);
    return 0;
  }
  return m_ints[pos];
}

double CSmQuery::GetDouble(int pos) {
  if (pos < 0 || static_cast<size_t>(pos) >= m_doubles.size()) {
    ReportRange("数值", pos);
    return 0.0;
  }
  return m_doubles[pos];
}

const std::string& CSmQuery::GetString(int pos) {
  if (pos < 0 || static_cast<size_t>(pos) >= m_strings.size()) {
    ReportRange("字符串值", pos);
    return m_empty;
  }
  return m_strings[pos];
}
