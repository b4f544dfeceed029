#pragma once
// The evaluator bound to the application's data: report variables from a variable table, the
// report sources that cell-reading functions read ("bb", "qln", "bsj", "rownum", "colnum"), the
// data file's name ("zw"), the SYSTAB texts of a data file ("co"), and every other function
// name offered to the application's module data types. Used for one calculation run, audit,
// test or check; nested evaluators receive a copy of the context.
//
// Error codes of its own: -200 bad cell or region reference ... -213 a calculation stopped by
// the user (GetErrorInfo has the texts).
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/SmVar.h"
#include "core/SmVarCaculate.h"
#include "designer/SmCalcContext.h"

class CSmDatabase;

constexpr int CAC_ERR_REGION = -200;
constexpr int CAC_ERR_NO_DEFAULT = -201;
constexpr int CAC_ERR_NO_REPORT = -202;
constexpr int CAC_ERR_TWO_FILES = -203;
constexpr int CAC_ERR_OPEN_DB = -206;
constexpr int CAC_ERR_DEFAULT_NAME = -211;
constexpr int CAC_ERR_DEFAULT_FILE = -212;
// A calculation the user stopped.
constexpr int CAC_ERR_CANCELLED = -213;

class CCaculateChild : public CSmVarCaculate {
 public:
  CCaculateChild();
  ~CCaculateChild() override;

  const CCaculateClass* GetRuntimeClass() const override;
  int GetErrorInfo(int& code, std::string& message, int& position) override;
  int EvalVariable(const std::string& name, std::string& result, int& type) override;
  int EvalFunction(const std::string& name, const std::string& args, std::string& result,
                   int& type) override;
  void CopyContextTo(CCaculate& target) override;
  void TakeErrorFrom(const CCaculate& other) override;
  // Without a default source: loads the report the variable "#d" names.
  int Prepare() override;

  // Makes the named report the current source (from the sources held, else loaded relative to
  // the default source's name); -202 when it cannot be loaded.
  bool SetTable(const std::string& name);
  // Chooses the connection data functions query for the data file `file`.
  bool SelectDatabase(const std::string& file);
  bool SelectDatabaseOrFail(const std::string& file);
  // "A1" or "A1:C5" into 0-based corners; -200 for a bad reference.
  bool SplitArg(const std::string& region, int& col1, int& row1, int& col2, int& row2);

  // The connection data functions query: the one chosen, else the application's.
  CSmDatabase* GetCurrentDatabase() const;
  // The application's data file name written with "\".
  static std::string GetAppDataFileName();
  // A nested evaluation of `text` in this context; its failure is taken over. A number wanted
  // must evaluate to a number (-14).
  bool EvalArg(const std::string& text, std::string& result, int& type, bool wantNumber = false);
  // The whole number of a number text, truncated; a number outside int range fails with -19.
  bool IntFromNumber(const std::string& number, int& value);
  void SetErrorCode(int code) { SetError(code); }

  // Writes a computed value into the default source without copying its cells.
  void SetDefaultCellText(int col, int row, const std::string& text);

  // --- Long calculations. `report` shows how far the calculation is; it is called at most a
  // few times a second from inside it (between cells, at cells a group function visits and at
  // variables), and its answer false stops the calculation: from then on every evaluation of
  // this evaluator and its nested ones fails with -213. An empty `report` ends the reporting.
  void SetProgress(std::function<bool()> report);
  // False, with -213 set, once the calculation is stopped; reports when it is due.
  bool KeepGoing();

  // --- Group functions inside group functions. While the outermost "sum" or "count" runs, a
  // nested one whose arguments use neither vert() nor horz() (nor a variable that does) gives
  // the same total at every cell the outer one visits: it is computed once and kept.
  struct GroupTotal {
    std::string result;
    bool visited = false;  // it visited a cell: vert() and horz() give the last one after it
    int row = 0;
    int col = 0;
  };
  // Counts a group function for as long as it runs.
  class GroupScope {
   public:
    explicit GroupScope(CCaculateChild& calc);
    ~GroupScope();
    GroupScope(const GroupScope&) = delete;
    GroupScope& operator=(const GroupScope&) = delete;
    // Whether another group function runs around this one.
    bool Nested() const;

   private:
    CCaculateChild& m_calc;
  };
  // Whether a text reads the visiting cell: vert(), horz(), or a variable that does.
  bool UsesGroupCell(const std::string& text) const;
  // The kept total of a nested group function (its name and argument text), or null.
  const GroupTotal* FindGroupTotal(const std::string& call) const;
  void KeepGroupTotal(const std::string& call, GroupTotal total);

  CSmVarTable m_vars;
  CSmCalcContext m_defaultSource;
  CSmCalcContext m_currentSource;
  // Sources loaded earlier. Nested evaluators share the slots, so that a report one of them
  // loads is found again by the others and by the evaluator that made them.
  struct CacheSlots {
    std::array<CSmCalcContext, 5> m_slots;
    size_t m_next = 0;  // the slot the next source goes to, in turn
  };
  std::shared_ptr<CacheSlots> m_cache;
  int m_nGroupRow = 0;  // cell the running "sum" or "count" visits, 0-based
  int m_nGroupCol = 0;

  // What one calculation shares with the nested evaluators it makes.
  struct CalcRun {
    std::function<bool()> report;
    std::chrono::steady_clock::time_point nextReport;
    unsigned ticks = 0;
    bool stopped = false;
    int groupDepth = 0;  // group functions running
    std::unordered_map<std::string, GroupTotal> totals;
  };

 private:
  // A report reference argument of the source functions; "" stands for the default source.
  bool SourceArgument(const std::string& args, std::string& name);
  bool CallSourceFunction(const std::string& name, const std::string& args, std::string& result,
                          int& type);
  bool CallCo(const std::string& args, std::string& result, int& type);
  void KeepInCache(const CSmCalcContext& source);
  const CSmCalcContext* FindInCache(const std::string& name) const;
  // Makes a held source of that name current; false when none is held.
  bool SelectHeld(const std::string& name);
  bool OpenConnection(std::unique_ptr<CSmDatabase>& conn, std::string& openFile,
                      const std::string& file, bool reuse);
  CalcRun& Run();
  bool UsesGroupCell(const std::string& text, std::vector<std::string>& seen) const;

  std::shared_ptr<CalcRun> m_run;

  std::unique_ptr<CSmDatabase> m_conn1;  // the data file named by "#z"
  std::unique_ptr<CSmDatabase> m_conn2;  // any other data file
  std::string m_sConn1File;
  std::string m_sConn2File;
  CSmDatabase* m_pCurrentConn = nullptr;  // not owned
  std::string m_sCurrentFile;
  // The variable whose evaluation went deeper than the evaluator takes (a variable that
  // refers to itself), named in the message.
  std::string m_sLoopVariable;
};
