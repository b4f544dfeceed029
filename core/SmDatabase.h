#pragma once
// One connection to one data file, whatever engine holds it. Kind 0 is the yearly data file
// (an SQLite file), kind 1 a server database through an ODBC data source, kind 2 a server
// reached by name through an ODBC driver. Every operation switches on the kind; statements
// are written once in the neutral dialect (TranslateSQL) and reach the engine through the
// back end of the kind (SmDbBackend.h).
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/SmConnInfo.h"
#include "core/SmDbBackend.h"
#include "core/SmFileLock.h"

class QFileDevice;

// Why the last statement or transaction step failed, as far as the program acts on it.
enum class SmDbFailure {
  None,
  Busy,            // another workstation holds the lock longer than we wait
  Duplicate,       // a unique key already holds the value
  DiskFull,        // the disk is full, or a file reached the size it may grow to
  ReadOnly,        // the file, its folder or the disk takes no writes
  LostConnection,  // the server dropped the connection (SQLSTATE class 08, 57P01-57P03)
  Damaged,         // a page of the data file is damaged: its engine finds it malformed
  Other,
};

// The kind of failure an engine's reason tells ("[state] message" of the server, SQLite's text).
SmDbFailure SmClassifyDbError(const std::string& error);
// The sentence the user reads for a failure of the kind, on the data file or (`server`) on a
// server database, the system's reason on a line after it (a lost connection is said without
// it); empty for None and Other, where the reason and the failed statement speak alone.
std::string SmFailureMessage(SmDbFailure failure, const std::string& reason, bool server = false);
// The box text of a failed statement: the failure's sentence, the engine's reason and
// "执行下列SQL语句时出错！" with the statement; a lost connection is said in its sentence alone.
std::string SmDbFailureReport(SmDbFailure failure, bool server, const std::string& error,
                              const std::string& statement);
// The sentence put before the driver's own reason when a server cannot be connected to (wrong
// login, unknown host, server not running, no answer in time); empty when the reason is none
// of these.
std::string SmConnectFailureText(const std::string& driverReason);
// `headline`, then that sentence, then the driver's reason, one a line (empty parts left out).
std::string SmConnectFailureReport(const std::string& headline, const std::string& driverReason);

// The text that says a change was not saved because another workstation holds the data file.
extern const char* const kSmBusyText;
// The information given when a connection the server had dropped is open again.
extern const char* const kSmReconnectedText;

// The kind of a failed file open or write (QFile, QSaveFile): a full disk or a read-only file
// or folder, else Other.
SmDbFailure SmFileFailure(const QFileDevice& file);

class CSmDatabase {
 public:
  CSmDatabase() : CSmDatabase(0) {}
  explicit CSmDatabase(int kind);
  virtual ~CSmDatabase();
  CSmDatabase(const CSmDatabase&) = delete;
  CSmDatabase& operator=(const CSmDatabase&) = delete;

  // Stores the kind; neither closes nor opens. A caller that switches engines closes first.
  virtual void SetKind(int kind) { m_kind = kind; }
  int GetKind() const { return m_kind; }

  // Kind 0: `name` is the data file's path (it must exist; the data file has no password).
  // Kinds 1 and 2: `name` is the database. Closes whatever was open first; shows nothing.
  bool Open(const std::string& name, const CSmConnInfo& settings = CSmConnInfo());
  void Close();
  bool IsOpen() const;
  bool Reopen();
  CSmConnInfo GetConnInfo();
  // Kind 0: the data file's path. Server kinds: the database name, or with `nameOnly` false
  // the server's file of the database.
  std::string GetFileName(bool nameOnly = true);

  // Runs one statement that returns no rows. An empty server text means the Jet text. On
  // failure with `report` on, a stop box shows "执行下列SQL语句时出错！\n" and the statement.
  bool ExecuteSQL(const std::string& jet, const std::string& server = {}, int options = 128,
                  bool report = true);
  void SetQueryTimeout(short seconds);
  // The number of rows the last statement run through ExecuteSQL or ExecuteBound inserted,
  // changed or deleted; 0 when it failed or the connection is closed.
  long long RowsChanged() const { return m_backend ? m_backend->RowsChanged() : 0; }

  // Transactions; nested calls nest. A failed statement inside one leaves it to the caller.
  // When another workstation holds the data past the wait, BeginTrans and CommitTrans say so in
  // a box; a failed commit is rolled back, so that nothing stays half-saved.
  //
  // Server kinds: a connection the server has dropped is found by the failure of a statement.
  // Outside a transaction, and for the first statement of one (which has sent nothing yet), it
  // is opened again as the log-in opened it, the user is told so, and the statement runs once
  // more. A statement later in a transaction fails (its change is not saved; the caller rolls
  // back), and the connection is opened again for the next statement outside a transaction.
  bool BeginTrans();
  bool CommitTrans();
  bool Rollback();
  // A transaction that reads one consistent snapshot of every table (ended with Rollback): on
  // the data file a write lock other stations wait for, on the server a read-only repeatable
  // read transaction.
  bool BeginSnapshot();
  // The data file only: its whole content replaced by that of the file at `path`, in place.
  bool CopyDataFileFrom(const std::string& path);

  // One-value queries; an empty server text means the Jet text.
  long QueryInt(const std::string& jet, const std::string& server = {});
  // `jet` is the part after "Select " of one aggregate, e.g. "Max(CsN) From SysCsTab".
  long QueryCountInt(const std::string& jet, const std::string& server = {}, long* count = nullptr);
  std::string QueryCountString(const std::string& jet, const std::string& server = {},
                               long* count = nullptr, int textWidth = 255);
  // Runs `text` with n text columns into arrays[0..n-1]; returns the rows of the first array.
  int QueryStrings(const std::string& text, std::vector<std::string>* arrays, int n);

  // A value made safe for a quoted SQL literal: "|" becomes "｜" on kind 0, the text is cut to
  // `maxBytes` GBK bytes (when not negative) without half characters, quotes are doubled.
  std::string SqlText(const std::string& text, int maxBytes = -1) const;
  // The text such a literal stores, for binding in its place: SqlText without the doubled quotes.
  std::string StoredText(const std::string& text, int maxBytes = -1) const;
  // The current date and time formatted with strftime codes: the server's on server kinds.
  std::string GetServerTime(const std::string& format);

  // The name of the server's machine (empty on the data file or when it cannot be read).
  std::string GetServerMachineName();
  // True for the data file; on a server, when its machine is this computer (names compared
  // without regard to case).
  bool IsServerMachine();
  // True when the server of the open connection is PostgreSQL (its driver says so).
  bool OnPostgres() const;
  // The data file: false when the engine's quick check of every page finds one damaged (what it
  // found is the last error then). A server keeps its own pages: true.
  bool PagesAreWhole();

  // Turns the marked tokens of the neutral dialect into the form of the engine.
  static std::string TranslateSQL(bool server, std::string text);

  static std::string BuildConnectString(const CSmConnInfo& settings, int kind);
  static CSmConnInfo ParseConnectString(const std::string& connect, int kind);
  static std::string GetConnectValue(const std::string& connect, const std::string& key);

  // Takes, inside the open transaction, the lock of a named series (the numbers of one kind of
  // document, a table being carried over): another station's transaction that asks for the
  // same name waits until this one ends. The data file's write transaction holds it already.
  bool LockSeries(const std::string& name);
  // Takes, inside the open transaction, the write lock of the rows of `table` that `where` (a
  // whole clause) selects, so that another station's change or deletion of them waits until
  // this transaction ends, and this one then reads them as they are stored. `column` is one of
  // the table's columns (set to itself). The data file's write transaction holds them already.
  bool LockRows(const std::string& table, const std::string& column, const std::string& where);

  // Runs one statement with `?` parameters bound to values (never pasted into the text).
  // The texts are read, not kept: a statement written out in the call is not copied first.
  bool ExecuteBound(std::string_view jet, std::string_view server,
                    std::span<const SmDbValue> params, bool report = true);
  // The same with the values written out in the call: no list of them is built.
  bool ExecuteBound(std::string_view jet, std::string_view server,
                    std::initializer_list<SmDbValue> params, bool report = true) {
    return ExecuteBound(jet, server, std::span<const SmDbValue>(params.begin(), params.size()),
                        report);
  }

  // --- Catalogue and schema
  // Non-zero when the table exists (on the data file also the engine's own tables).
  int TableExists(const std::string& name);
  // `*length`: a text column's width (4 for an integer, 8 for a number column).
  bool ColumnExists(const std::string& table, const std::string& column, int* length = nullptr);
  // Table names separated by blanks; true when every one holds no row. A table that cannot be
  // counted is reported and counts as not empty.
  bool TablesAreEmpty(const std::string& list);
  int DatabaseExists(const std::string& name);
  // Non-zero when an index of that name exists (names compared without case).
  int IndexExists(const std::string& name);
  // Appends the columns to arrays[0] integer, [1] number, [2] text (widths to `lengths`),
  // [3] binary; 0 for a missing table, an engine table or a column of another kind, else the
  // sum of the four array sizes.
  int GetTableColumns(const std::string& table, std::vector<std::string>* arrays,
                      std::vector<long>* lengths = nullptr);
  int GetUserTables(std::vector<std::string>* names);
  // True when no other program uses the server database (always on the data file).
  bool ListDatabaseUsers(bool report);
  // Kind 0: `name` is the path of a new data file, which must not exist yet. On a server a
  // failed statement is reported, unless the database exists already (LastFailure Duplicate:
  // another workstation made it meanwhile), which is left to the caller to tell.
  bool CreateDatabase(const CSmConnInfo& settings, const std::string& name);
  bool DropDatabase(const CSmConnInfo& settings, const std::string& name);
  bool RecreateDatabase(const CSmConnInfo& settings);
  // The data file has no password: says so and changes nothing (false).
  bool SetDatabasePassword(const std::string& oldPassword, const std::string& newPassword);
  // type 0 integer, 1 number (width, decimals), 2 text (width); every row gets the default
  // ("0" or empty text when none is given).
  bool AddColumn(const std::string& table, const std::string& column, int type, int width,
                 int decimals, const std::string& defaultText = {});

  // Copies every row of `table` from `source` to the table of the same name on `destination`,
  // column by column and by name; columns the destination lacks are skipped. A row that fails
  // is reported (until the user answers No) and the copy goes on. False when the copy could not
  // start or any row failed; `failedRows` (if given) receives the number of failed rows.
  static bool CopyTable(CSmDatabase* source, CSmDatabase* destination, const std::string& table,
                        const std::string& jetFilter = {}, const std::string& serverFilter = {},
                        long* failedRows = nullptr);

  // The back end of the open connection (null when closed).
  CSmDbBackend* Backend() const { return m_backend.get(); }
  // Opens the rows of a statement already translated for the engine, as ExecuteBound runs a
  // statement (a dropped connection opened again); null with LastError set on failure. The
  // query object reads its rows through this.
  std::unique_ptr<CSmDbCursor> OpenCursor(const std::string& translated);
  // The engine's text of the last failed statement or connection (not shown to the user).
  const std::string& LastError() const { return m_lastError; }
  // Statements sent to the engine through this connection since it was made (a query counts
  // once, whatever rows it returns; transaction steps do not count).
  long long StatementsSent() const { return m_statementsSent; }
  SmDbFailure LastFailure() const { return m_lastFailure; }
  // Shows the failure's sentence with the engine's reason; false, for returning.
  bool ReportBusy() const;
  // Shows the box of the last failed statement, as ExecuteSQL with `report` on would have.
  // A full disk or a read-only file is said in plain words, once per stopped run.
  void ReportLastFailure() const;
  // Whether a run of writes (CSmStopAtFirstFailure) met a full disk or a read-only file.
  bool Stopped() const { return m_stopped; }

 private:
  friend class CSmStopAtFirstFailure;

  static std::vector<std::string> SplitFields(const std::string& list);
  void NoteFailure(const std::string& error);
  bool TransStep(bool (CSmDbBackend::*step)());
  // The back end of `name` opened with the session's settings: the one way both the first open
  // and a reopen after a dropped connection go. Null with m_lastError set on failure.
  std::unique_ptr<CSmDbBackend> OpenBackend(const std::string& name, const CSmConnInfo& settings);
  // Runs one statement through `attempt` (bool(std::string* error)) on the current back end,
  // opening a dropped connection again where that is safe (see BeginTrans).
  template <class Attempt>
  bool RunStatement(Attempt&& attempt);
  bool MayReopen() const;
  // Opens the dropped connection again, in the transactions it was in; says so when it did.
  bool ReopenLost();
  // Kind 0: takes the data file's lock shared; false while another deletes the file.
  bool HoldDataFile(const std::string& path);

  CSmConnInfo m_settings;
  std::unique_ptr<CSmDbBackend> m_backend;
  // Kind 0: held shared while the data file is open, so that it is not deleted under it.
  CSmFileLock m_inUse;
  int m_kind = 0;
  std::string m_lastError;
  std::string m_lastStatement;      // as translated for the engine
  bool m_lastUntranslated = false;  // the last statement ran as it was written
  SmDbFailure m_lastFailure = SmDbFailure::None;
  // Server kinds: the server dropped the connection; it is opened again before the next
  // statement that may.
  bool m_lost = false;
  // Statements run since the outermost transaction began.
  int m_transStatements = 0;
  long long m_statementsSent = 0;
  int m_stopRuns = 0;
  bool m_stopped = false;
  std::string m_stopError;  // the engine's reason for the failure that stopped the run
  mutable bool m_stopReported = false;
};

// A run of many writes on one connection (a new data file, a log-in) that stops at its first
// failed write: while one lives, the first statement that fails for a full disk or a read-only
// file is reported once, and every later statement and transaction on the connection fails at
// once without a word. Reads go on.
class CSmStopAtFirstFailure {
 public:
  explicit CSmStopAtFirstFailure(CSmDatabase& db) : m_db(db) { ++m_db.m_stopRuns; }
  ~CSmStopAtFirstFailure();
  CSmStopAtFirstFailure(const CSmStopAtFirstFailure&) = delete;
  CSmStopAtFirstFailure& operator=(const CSmStopAtFirstFailure&) = delete;
  // True once the run has stopped; the user has been told why (said now if not yet).
  bool Stopped() const;

 private:
  CSmDatabase& m_db;
};

// Runs `work` in one transaction of `db`: committed when it returns true, else rolled back.
bool SmRunInTransaction(CSmDatabase* db, const std::function<bool()>& work);

// A key the engine keeps unique whatever two workstations counted before they wrote: its
// table, index, columns and, for the message, what the columns hold.
struct SmUniqueKey {
  const char* table;
  const char* index;
  const char* columns;
  const char* what;
};
// The upgrade step of older files and databases: each existing table gets its unique key when
// it has none yet. Rows that already hold a value twice keep the key from being made; they are
// named in a warning, and the key is tried again at the next opening.
void SmEnsureUniqueKeys(CSmDatabase* db, std::span<const SmUniqueKey> keys);
