#pragma once
// The operation log. The application holds one CSmOpLog as its current work session (table
// SmTask); every subsystem writes a log row (table SmLog) by constructing a temporary one with
// an operation code (group x 100 + item) and a note. Distinct operator texts are kept in
// SmLogOp for the log's query dialog.
#include <string>
#include <vector>

class CSmDatabase;
class CSmOpLog;
class CSmLogRow;
using CSmOpLogArray = std::vector<CSmOpLog>;
using CSmLogRowArray = std::vector<CSmLogRow>;

// Width of the operator text columns in new data files (older files are widened at open).
constexpr int kSmLogOperatorWidth = 40;
// Notes longer than this many bytes are cut and end in "...".
constexpr int kSmLogNoteMax = 230;

class CSmOpLog {
 public:
  CSmOpLog() = default;
  // Write one row at once in the application's current work session.
  CSmOpLog(int code, const std::string& note);
  CSmOpLog(int group, int item, const std::string& note);
  virtual ~CSmOpLog() = default;
  CSmOpLog(const CSmOpLog& other) { CopyFrom(other); }
  CSmOpLog& operator=(const CSmOpLog& other) {
    CopyFrom(other);
    return *this;
  }

  void Write(int code, const std::string& note);
  // Begins a work session in the open data file (only with the log switch on).
  void StartWork();
  // Stores the end time of the session (or removes a row never stored) and logs the end.
  void EndWork();
  // Stores the session again in a data file that has lost it (a restored one): under its own
  // number when the file knows that session, else under the next free one.
  void ResumeWork();

  // SmTask, SmLog (with its index by session) and SmLogOp, when SmTask is missing; an older
  // file without the index gets it.
  static void CreateTables(CSmDatabase* db);
  // The session and its log rows go together or not at all.
  static bool DeleteTask(int task, CSmDatabase* db);
  static int QueryTasks(const std::string& where, const std::string& order, CSmDatabase* db,
                        CSmOpLogArray* rows);
  bool LoadTask(int task, CSmDatabase* db);

  int nTask = 0;
  int nThreadID = 0;
  std::string sT1;
  std::string sT2;
  std::string sComputer;
  std::string sUser;
  int m_enabled = 0;

 private:
  void CopyFrom(const CSmOpLog& other);
  void InsertTask(CSmDatabase* db);
};

class CSmLogRow {
 public:
  virtual ~CSmLogRow() = default;
  static int Query(const std::string& where, const std::string& order, CSmDatabase* db,
                   CSmLogRowArray* rows);
  static int QueryTask(int task, CSmDatabase* db, CSmLogRowArray* rows);
  // " %d " of the session of every row of the condition; an empty condition gives "all" and -1.
  static int ListTaskNumbers(const std::string& condition, std::string& out, CSmDatabase* db);

  int nTask = 0;
  std::string sOp;
  std::string sT;
  int nTaskID = 0;
  std::string sNote;
  std::string sName;  // filled by the log document
};

int FillLogOperationNames(std::vector<std::string>* names, CSmDatabase* db);
int FillLogComputerNames(std::vector<std::string>* names, CSmDatabase* db);
// Name of an operation code: the module's item names for group > 0, else the shell's.
std::string GetOperationName(int code);
// "%s(%s)" of the logged-in operator's name and number.
std::string SmOperatorText();
// The note as stored: an empty note is the operation's name; a long one is cut and ends "...".
std::string SmLogNote(int code, const std::string& note);
