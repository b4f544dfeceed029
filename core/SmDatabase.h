#pragma once
// One connection to one data file, whatever engine holds it. Kind 0 is the yearly data file
// (an SQLite file), kind 1 a server database through an ODBC data source, kind 2 a server
// reached by name through an ODBC driver. Every operation switches on the kind; statements
// are written once in the neutral dialect (TranslateSQL) and reach the engine through the
// back end of the kind (SmDbBackend.h).
#include <memory>
#include <string>
#include <vector>

#include "core/SmConnInfo.h"
#include "core/SmDbBackend.h"

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

  // Transactions; nested calls nest. A failed statement inside one leaves it to the caller.
  bool BeginTrans();
  bool CommitTrans();
  bool Rollback();

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
  // The current date and time formatted with strftime codes: the server's on server kinds.
  std::string GetServerTime(const std::string& format);

  // Turns the marked tokens of the neutral dialect into the form of the engine.
  static std::string TranslateSQL(bool server, std::string text);

  static std::string BuildConnectString(const CSmConnInfo& settings, int kind);
  static CSmConnInfo ParseConnectString(const std::string& connect, int kind);
  static std::string GetConnectValue(const std::string& connect, const std::string& key);

  // The back end of the open connection (null when closed); used by the query object.
  CSmDbBackend* Backend() const { return m_backend.get(); }
  // The engine's text of the last failed statement (not shown to the user).
  const std::string& LastError() const { return m_lastError; }

 private:
  CSmConnInfo m_settings;
  std::unique_ptr<CSmDbBackend> m_backend;
  int m_kind = 0;
  std::string m_lastError;
};
