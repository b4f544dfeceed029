#pragma once
// The boundary between the connection (CSmDatabase) and one engine. Each kind of connection
// has one back end; every statement of that kind goes through it, and nothing else in the
// program talks to the engine. Statements reach the back end already translated for its
// dialect (TranslateSQL); engine-specific adaptation happens inside the back end.
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/SmConnInfo.h"

// The rows of one open SELECT, read by position.
class CSmDbCursor {
 public:
  virtual ~CSmDbCursor() = default;
  // Moves to the next row (the first on the first call); false at the end or on an error
  // (then `Error()` is not empty).
  virtual bool Next() = 0;
  virtual int ColumnCount() const = 0;
  virtual std::string ColumnName(int column) const = 0;
  virtual bool IsNull(int column) const = 0;
  // A null value reads as 0, 0.0, an empty text or no bytes.
  virtual long long GetInt(int column) const = 0;
  virtual double GetDouble(int column) const = 0;
  virtual std::string GetText(int column) const = 0;
  virtual std::vector<unsigned char> GetBlob(int column) const = 0;
  // The whole current row at once: the integer columns first, then the numbers, then the texts,
  // each read as GetInt, GetDouble and GetText read it.
  virtual void GetRow(std::span<long> ints, std::span<double> doubles,
                      std::span<std::string> texts) const;
  virtual const std::string& Error() const = 0;
};

// The states a back end's failure text begins with when a write was refused because the disk is
// full (or a file reached the size it may grow to), or because the file, its folder or the disk
// is read-only: the server's own SQLSTATEs, which the data file's back end gives as well.
inline constexpr const char* kSmDiskFullState = "[53100]";
inline constexpr const char* kSmReadOnlyState = "[25006]";

// Column kinds of the catalogue.
enum SmColumnKind {
  SM_COL_INTEGER = 0,
  SM_COL_NUMBER = 1,
  SM_COL_TEXT = 2,
  SM_COL_BINARY = 3,
  SM_COL_OTHER = 4
};

struct SmDbColumn {
  std::string name;
  SmColumnKind kind = SM_COL_OTHER;
  int width = 0;  // declared width of a text column
};

// A value to bind to a statement parameter (`?`).
struct SmDbValue {
  enum Type { Null, Int, Double, Text, Blob } type = Null;
  long long i = 0;
  double d = 0;
  std::string text;
  std::vector<unsigned char> blob;

  static SmDbValue OfInt(long long v) {
    SmDbValue x;
    x.type = Int;
    x.i = v;
    return x;
  }
  static SmDbValue OfDouble(double v) {
    SmDbValue x;
    x.type = Double;
    x.d = v;
    return x;
  }
  static SmDbValue OfText(std::string v) {
    SmDbValue x;
    x.type = Text;
    x.text = std::move(v);
    return x;
  }
  static SmDbValue OfBlob(std::vector<unsigned char> v) {
    SmDbValue x;
    x.type = Blob;
    x.blob = std::move(v);
    return x;
  }
};

class CSmDbBackend {
 public:
  virtual ~CSmDbBackend() = default;
  // The login of the server kinds, set before Open and Create (the data file needs none).
  virtual void SetConnInfo(const CSmConnInfo& settings) { (void)settings; }
  // The server product as the driver names it (SQL_DBMS_NAME); empty for the data file.
  virtual std::string DbmsName() const { return {}; }
  virtual bool Open(const std::string& name) = 0;
  // Why the last Open or Create failed, as the driver says it; empty when it does not say.
  virtual std::string ConnectError() const { return {}; }
  // Creates a new, empty database and leaves it open; false when it exists already.
  virtual bool Create(const std::string& name) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual std::string Name() const = 0;  // the data file's path or the database name
  virtual void SetQueryTimeout(int seconds) = 0;

  // Runs one statement that returns no rows; false with `error` set on failure.
  virtual bool Execute(const std::string& sql, std::string* error,
                       std::span<const SmDbValue> params = {}) = 0;
  // The number of rows the last successful Execute inserted, changed or deleted (0 after a
  // failure or a statement that changes no rows).
  virtual long long RowsChanged() const = 0;
  // Opens a SELECT; null with `error` set on failure.
  virtual std::unique_ptr<CSmDbCursor> Query(const std::string& sql, std::string* error) = 0;

  virtual bool BeginTrans() = 0;
  virtual bool CommitTrans() = 0;
  virtual bool Rollback() = 0;
  // Replaces the whole content of the open data file with that of another file of the same
  // engine, in place, so that other connections to it see the new content (the data file kind).
  virtual bool CopyFileIn(const std::string& path, std::string* error) {
    (void)path;
    if (error) *error = "not a data file";
    return false;
  }
  // The engine's reason why the last transaction step failed (empty when it gives none).
  virtual std::string TransError() const { return {}; }

  // Catalogue: user tables (and, with `withSystem`, the engine's own) and their columns.
  virtual bool GetTables(std::vector<std::string>& names, bool withSystem) = 0;
  virtual bool GetColumns(const std::string& table, std::vector<SmDbColumn>& columns) = 0;
};

// The back end of a kind: kind 0 is the embedded data file, kinds 1 and 2 the server through
// ODBC.
std::unique_ptr<CSmDbBackend> SmCreateDbBackend(int kind);
