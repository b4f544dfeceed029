#pragma once
// The bare engine the timed programs over a data file measure the program against: one SQLite
// connection, statements prepared and stepped by hand.
#include <sqlite3.h>

#include <chrono>
#include <string>

inline double BenchElapsed(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

class CBenchBare {
 public:
  explicit CBenchBare(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      sqlite3_close(m_db);
      m_db = nullptr;
    }
    if (m_db) sqlite3_busy_timeout(m_db, 5000);
  }
  ~CBenchBare() { sqlite3_close(m_db); }
  CBenchBare(const CBenchBare&) = delete;
  CBenchBare& operator=(const CBenchBare&) = delete;
  bool IsOpen() const { return m_db != nullptr; }
  // The connection, for statements prepared once and stepped many times.
  sqlite3* Handle() const { return m_db; }
  // Rows changed by the last statement.
  int Changes() const { return sqlite3_changes(m_db); }

  // Runs a statement; `onRow` sees each row.
  template <class F>
  bool Run(const std::string& sql, F onRow) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return false;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) onRow(stmt);
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
  }
  bool Run(const std::string& sql) {
    return Run(sql, [](sqlite3_stmt*) {});
  }
  // The first column of the last row as a number; -1 when the statement fails or finds none.
  long Count(const std::string& sql) {
    long count = -1;
    return Run(sql, [&](sqlite3_stmt* s) { count = sqlite3_column_int(s, 0); }) ? count : -1;
  }

  static std::string Column(sqlite3_stmt* stmt, int n) {
    const unsigned char* text = sqlite3_column_text(stmt, n);
    return text ? reinterpret_cast<const char*>(text) : "";
  }

 private:
  sqlite3* m_db = nullptr;
};
