#include "core/SmTableCopy.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

bool CSmTableRecordset::Open(const std::string& jet, const std::string& server) {
  m_cursor.reset();
  m_columns.clear();
  m_eof = true;
  const int kind = m_db->GetKind();
  const std::string translated =
      CSmDatabase::TranslateSQL(kind != 0, kind == 0 || server.empty() ? jet : server);
  CSmDbBackend* backend = m_db->IsOpen() ? m_db->Backend() : nullptr;
  if (!backend) {
    SmMessageBox("执行下列SQL语句时数据库未打开！\n" + translated, SM_MB_ICONERROR);
    return false;
  }
  std::string error;
  m_cursor = backend->Query(translated, &error);
  if (m_cursor) {
    m_eof = !m_cursor->Next();
    error = m_cursor->Error();
    if (!error.empty()) m_cursor.reset();
  }
  if (!m_cursor) {
    m_eof = true;
    // The engine's reason stands beside the statement.
    SmMessageBox((error.empty() ? "" : error + "\n") + "执行下列SQL语句时出错！\n" + translated,
                 SM_MB_ICONERROR);
    return false;
  }
  return true;
}

void CSmTableRecordset::MoveNext() {
  if (!m_eof && m_cursor) m_eof = !m_cursor->Next();
}

int CSmTableRecordset::Column(const std::string& name) const {
  if (!m_cursor || m_eof) return -1;
  // The columns are looked up by name for every value of every row: their positions are
  // read once.
  if (m_columns.empty()) {
    for (int k = 0; k < m_cursor->ColumnCount(); ++k)
      m_columns.emplace(MakeUpperCopy(m_cursor->ColumnName(k)), k);
  }
  const auto it = m_columns.find(MakeUpperCopy(name));
  return it == m_columns.end() ? -1 : it->second;
}

long long CSmTableRecordset::GetInt(const std::string& column) const {
  return GetIntAt(Column(column));
}

double CSmTableRecordset::GetDouble(const std::string& column) const {
  return GetDoubleAt(Column(column));
}

std::string CSmTableRecordset::GetString(const std::string& column) const {
  return GetStringAt(Column(column));
}

long long CSmTableRecordset::GetIntAt(int c) const {
  return !HasValue(c) ? 0 : m_cursor->GetInt(c);
}

double CSmTableRecordset::GetDoubleAt(int c) const {
  return !HasValue(c) ? 0.0 : m_cursor->GetDouble(c);
}

std::string CSmTableRecordset::GetStringAt(int c) const {
  if (!HasValue(c)) return {};
  return TrimRightSet(m_cursor->GetText(c), " \t\r\n");
}

bool CSmTableRecordset::HasValue(int c) const {
  return c >= 0 && m_cursor && !m_eof && c < m_cursor->ColumnCount() && !m_cursor->IsNull(c);
}

std::vector<unsigned char> CSmTableRecordset::GetBinary(const std::string& column) const {
  const int c = Column(column);
  return c < 0 || m_cursor->IsNull(c) ? std::vector<unsigned char>() : m_cursor->GetBlob(c);
}

bool CSmTableRecordset::AddNew() {
  if (!m_db->IsOpen() || m_table.empty()) return false;
  m_row.clear();
  m_adding = true;
  return true;
}

bool CSmTableRecordset::SetValue(const std::string& column, const SmDbValue& value) {
  if (!m_adding) return false;
  m_row.emplace_back(column, value);
  return true;
}

bool CSmTableRecordset::Update() {
  if (!m_adding) return false;
  m_adding = false;
  std::string names, marks;
  std::vector<SmDbValue> values;
  for (const auto& [name, value] : m_row) {
    names += (names.empty() ? "" : ",") + name;
    marks += marks.empty() ? "?" : ",?";
    values.push_back(value);
  }
  const std::string sql = "Insert Into " + m_table + "(" + names + ") Values(" + marks + ")";
  return m_db->ExecuteBound(sql, {}, values, false);
}

namespace {

std::vector<std::string> ColumnsOf(CSmDatabase* db, const std::string& table) {
  std::vector<std::string> arrays[4];
  std::vector<std::string> all;
  if (db->GetTableColumns(table, arrays) == 0) return all;
  for (const auto& a : arrays) all.insert(all.end(), a.begin(), a.end());
  return all;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& n : names)
    if (MakeUpperCopy(n) == MakeUpperCopy(name)) return true;
  return false;
}

// A copy to the server sends many rows per statement: as many as this many bound values take.
constexpr size_t kBatchValues = 10000;
constexpr size_t kBatchRows = 1000;
// On PostgreSQL a batch is one statement whose values are whole columns (ColumnInsertText).
constexpr size_t kColumnBatchRows = 5000;

// "Insert Into table(list) Values(?,..),(?,..)" for `rows` rows of `columns` values.
std::string BatchInsertText(const std::string& table, const std::string& list, size_t columns,
                            size_t rows) {
  std::string row = "(";
  for (size_t c = 0; c < columns; ++c) row += c == 0 ? "?" : ",?";
  row += ")";
  std::string text = "Insert Into " + table + "(" + list + ") Values";
  text.reserve(text.size() + rows * (row.size() + 1));
  for (size_t r = 0; r < rows; ++r) {
    if (r > 0) text += ',';
    text += row;
  }
  return text;
}

// "Insert Into table(list) Select unnest(?::_int8),unnest(?::_numeric),unnest(?::_text)": one
// array parameter per column, unpacked side by side into rows (in the select list, so that
// the rows stream into the table rather than being gathered first). The server reads each
// element as it reads a single bound value: whole numbers as bigint, real numbers as the
// decimal the driver writes for a bound double, texts as they are.
std::string ColumnInsertText(const std::string& table, const std::string& list,
                             const std::vector<std::string>* groups) {
  std::string arrays;
  for (int kind = 0; kind < 3; ++kind) {
    const char* type = kind == 0   ? "unnest(?::_int8)"
                       : kind == 1 ? "unnest(?::_numeric)"
                                   : "unnest(?::_text)";
    for (size_t k = 0; k < groups[kind].size(); ++k)
      arrays += (arrays.empty() ? "" : ",") + std::string(type);
  }
  return "Insert Into " + table + "(" + list + ") Select " + arrays;
}

// A real number with the 17 significant digits the driver sends for a bound double, so that a
// decimal column rounds it to its scale exactly as it rounds a bound value.
void AppendDecimal(std::string& out, double v) {
  if (std::isnan(v)) {
    out += "NaN";
  } else if (std::isinf(v)) {
    out += v < 0 ? "-Infinity" : "Infinity";
  } else {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    out.append(buf, r.ptr);
  }
}

// One batch of rows as it is bound: value after value for "Values(..),(..)", or one array
// literal per column for ColumnInsertText.
class CRowBatch {
 public:
  CRowBatch(size_t columns, bool byColumn) : m_columns(columns), m_byColumn(byColumn) {}

  void AddInt(long long v) {
    if (!m_byColumn) return Add(SmDbValue::OfInt(v));
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    NextElement().append(buf, r.ptr);
  }
  void AddDouble(double v) {
    if (!m_byColumn) return Add(SmDbValue::OfDouble(v));
    AppendDecimal(NextElement(), v);
  }
  // Texts go in double quotes with `"` and `\` escaped, so that braces, commas, blanks and
  // the word NULL stay texts.
  void AddText(std::string v) {
    if (!m_byColumn) return Add(SmDbValue::OfText(std::move(v)));
    std::string& array = NextElement();
    array += '"';
    for (char c : v) {
      if (c == '"' || c == '\\') array += '\\';
      array += c;
    }
    array += '"';
  }
  size_t Rows() const { return m_count / m_columns; }
  // The bound values of the rows added since the last call.
  std::vector<SmDbValue> Take() {
    std::vector<SmDbValue> out;
    if (m_byColumn) {
      for (std::string& a : m_arrays) out.push_back(SmDbValue::OfText(std::move(a += '}')));
      m_arrays.clear();
    } else {
      out.swap(m_values);
    }
    m_count = 0;
    return out;
  }

 private:
  void Add(SmDbValue v) {
    m_values.push_back(std::move(v));
    ++m_count;
  }
  // The array of the next value's column, ready for its element.
  std::string& NextElement() {
    if (m_arrays.empty()) m_arrays.assign(m_columns, "{");
    std::string& array = m_arrays[m_count++ % m_columns];
    if (array.size() > 1) array += ',';
    return array;
  }

  size_t m_columns;
  bool m_byColumn;
  size_t m_count = 0;
  std::vector<SmDbValue> m_values;
  std::vector<std::string> m_arrays;
};

// True when the destination is PostgreSQL and takes every column into a column of the same
// kind; otherwise a text could be meant for a number column, which the arrays cannot say.
bool TakesColumns(CSmDatabase* destination, const std::string& table,
                  const std::vector<std::string>* groups) {
  if (!destination->OnPostgres()) return false;
  std::vector<std::string> target[4];
  if (destination->GetTableColumns(table, target) == 0) return false;
  for (int kind = 0; kind < 3; ++kind)
    for (const std::string& c : groups[kind])
      if (!Contains(target[kind], c)) return false;
  return true;
}

// Reads the batches of a copy on a thread of its own, one batch ahead: while the server stores
// a batch, the next is read from the source. Only this thread reads the source until Stop.
class CBatchReader {
 public:
  // Reads the next batch into its argument; the number of rows read, 0 at the end.
  using Read = std::function<size_t(std::vector<SmDbValue>&)>;

  explicit CBatchReader(Read read) : m_read(std::move(read)), m_thread([this] { Run(); }) {}
  ~CBatchReader() { Stop(); }
  CBatchReader(const CBatchReader&) = delete;
  CBatchReader& operator=(const CBatchReader&) = delete;

  // The next batch and its number of rows; 0 when the source has ended.
  size_t Next(std::vector<SmDbValue>& values) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_full || m_ended; });
    if (!m_full) return 0;
    values = std::move(m_values);
    m_full = false;
    m_changed.notify_all();
    return m_rows;
  }
  // Reads no further and waits for the thread: the source is the caller's again.
  void Stop() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
  }

 private:
  void Run() {
    for (;;) {
      std::vector<SmDbValue> values;
      const size_t rows = m_read(values);
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [this] { return !m_full || m_stop; });
      if (m_stop || rows == 0) {
        m_ended = true;
        m_changed.notify_all();
        return;
      }
      m_values = std::move(values);
      m_rows = rows;
      m_full = true;
      m_changed.notify_all();
    }
  }

  Read m_read;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<SmDbValue> m_values;
  size_t m_rows = 0;
  bool m_full = false;
  bool m_ended = false;
  bool m_stop = false;
  std::thread m_thread;  // last: it starts once the rest is ready
};

void ReportReadFailure(const std::string& table, const std::string& select) {
  SmMessageBox(
      FormatStr("复制表[%s]出错！\n", table.c_str()) + "执行下列SQL语句时出错！\n" + select,
      SM_MB_ICONERROR);
}

enum class BatchCopy { Done, Broken, Retry };

// The rows of a copy to the server in multi-row inserts, inside the one transaction. A batch
// that fails rolls everything back and asks for the copy row by row, which finds and reports
// the row as it always did.
BatchCopy CopyInBatches(CSmDatabase* source, CSmDatabase* destination, const std::string& table,
                        const std::string& list, const std::string& select,
                        const std::vector<std::string>* groups) {
  if (!destination->BeginTrans()) return BatchCopy::Retry;
  CSmTableRecordset from(source);
  if (!from.Open(select, {})) {
    destination->Rollback();
    return BatchCopy::Broken;
  }
  const size_t columns = groups[0].size() + groups[1].size() + groups[2].size();
  const bool byColumn = TakesColumns(destination, table, groups);
  const std::string columnInsert = byColumn ? ColumnInsertText(table, list, groups) : "";
  const size_t perBatch =
      byColumn ? kColumnBatchRows : std::clamp<size_t>(kBatchValues / columns, 1, kBatchRows);
  // The statement lists the columns group after group: they are read by position.
  const int ints = static_cast<int>(groups[0].size());
  const int numbers = ints + static_cast<int>(groups[1].size());
  const int all = static_cast<int>(columns);
  CRowBatch batch(columns, byColumn);
  CBatchReader reader([&](std::vector<SmDbValue>& values) {
    for (; !from.IsEOF() && batch.Rows() < perBatch; from.MoveNext()) {
      for (int c = 0; c < ints; ++c) batch.AddInt(from.GetIntAt(c));
      for (int c = ints; c < numbers; ++c) batch.AddDouble(from.GetDoubleAt(c));
      for (int c = numbers; c < all; ++c) batch.AddText(from.GetStringAt(c));
    }
    const size_t rows = batch.Rows();
    values = batch.Take();
    return rows;
  });
  bool written = true;
  std::vector<SmDbValue> values;
  for (size_t rows; written && (rows = reader.Next(values)) > 0;) {
    written = destination->ExecuteBound(
        byColumn ? columnInsert : BatchInsertText(table, list, columns, rows), {}, values, false);
  }
  reader.Stop();
  if (written && !from.ReadFailed())
    return destination->CommitTrans() ? BatchCopy::Done : BatchCopy::Retry;
  destination->Rollback();
  if (written) {
    // The source broke off part way: the copy takes nothing rather than half the table.
    ReportReadFailure(table, select);
    return BatchCopy::Broken;
  }
  return BatchCopy::Retry;
}

}  // namespace

bool CSmDatabase::CopyTable(CSmDatabase* source, CSmDatabase* destination, const std::string& table,
                            const std::string& jetFilter, const std::string& serverFilter,
                            long* failedRows) {
  if (failedRows) *failedRows = 0;
  if (!source || !destination || !source->TableExists(table) || !destination->TableExists(table))
    return false;
  // The filter runs on the source: the source's dialect.
  const std::string filter =
      source->GetKind() == 0 || serverFilter.empty() ? jetFilter : serverFilter;
  std::vector<std::string> groups[4];
  if (source->GetTableColumns(table, groups) == 0) return false;
  const std::vector<std::string> target = ColumnsOf(destination, table);
  if (target.empty()) return false;
  // Columns the destination lacks are not copied.
  std::string list;
  for (auto& group : groups) {
    std::erase_if(group, [&](const std::string& c) { return !Contains(target, c); });
    for (const std::string& c : group) list += (list.empty() ? "" : ",") + c;
  }
  if (list.empty()) return false;
  const std::string select =
      FormatStr("Select %s From %s %s", list.c_str(), table.c_str(), filter.c_str());
  // Binary columns left empty are not written at all, which one statement for many rows
  // cannot say: such tables go row by row. So does a copy within one connection, whose rows
  // cannot be read beside the server's work on them.
  if (destination->GetKind() != 0 && groups[3].empty() && source != destination) {
    switch (CopyInBatches(source, destination, table, list, select, groups)) {
      case BatchCopy::Done:
        return true;
      case BatchCopy::Broken:
        return false;
      case BatchCopy::Retry:
        break;
    }
  }

  CSmTableRecordset from(source);
  if (!from.Open(select, {})) return false;
  CSmTableRecordset to(destination);
  to.OpenForInsert(table);

  const bool inTransaction = destination->BeginTrans();
  bool reporting = true;
  long failed = 0;
  for (; !from.IsEOF(); from.MoveNext()) {
    const bool started = to.AddNew();
    bool intact = true;
    std::string report;
    auto put = [&](const std::string& column, const SmDbValue& value, const std::string& shown) {
      const bool written = !started || to.SetValue(column, value);
      intact = intact && written;
      report += FormatStr("%s%s：%s\n", written ? "" : "×", column.c_str(), shown.c_str());
    };
    for (const std::string& c : groups[0]) {
      const SmDbValue v = SmDbValue::OfInt(from.GetInt(c));
      put(c, v, std::to_string(v.i));
    }
    for (const std::string& c : groups[1]) {
      const SmDbValue v = SmDbValue::OfDouble(from.GetDouble(c));
      put(c, v, FormatStr("%lf", v.d));
    }
    for (const std::string& c : groups[2]) {
      const SmDbValue v = SmDbValue::OfText(from.GetString(c));
      put(c, v, v.text);
    }
    for (const std::string& c : groups[3]) {
      const SmDbValue v = SmDbValue::OfBlob(from.GetBinary(c));
      if (v.blob.empty()) {
        report += FormatStr("%s：无\n", c.c_str());  // nothing written: the column stays empty
        continue;
      }
      put(c, v, "二进制流");
    }
    if (started && to.Update() && intact) continue;
    ++failed;
    // A failed statement spoils the server's transaction: the copy ends there and takes
    // nothing rather than run on against a transaction that can only roll back.
    if (destination->GetKind() != 0 && inTransaction) {
      destination->Rollback();
      SmMessageBox(FormatStr("复制表[%s]出错！\n", table.c_str()) + report, SM_MB_ICONERROR);
      if (failedRows) *failedRows = failed;
      return false;
    }
    if (!reporting && started) continue;
    const int answer =
        SmMessageBox(FormatStr("复制表[%s]出错！\n", table.c_str()) + report + "继续报错吗？",
                     SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION | SM_MB_DEFBUTTON2);
    if (answer == SM_IDNO) reporting = false;
  }
  if (failedRows) *failedRows = failed;
  if (!from.ReadFailed()) {
    if (inTransaction) destination->CommitTrans();
    return failed == 0;
  }
  // The source broke off part way: the copy takes nothing rather than half the table.
  if (inTransaction) destination->Rollback();
  ReportReadFailure(table, select);
  return false;
}
