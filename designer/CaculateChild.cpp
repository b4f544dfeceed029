#include "designer/CaculateChild.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmPath.h"
#include "core/SmString.h"
#include "core/SmUtil.h"

namespace {

const CCaculateClass kCaculateChildClass = {"CCaculateChild",
                                            &CreateCaculateObject<CCaculateChild>};

bool SameNoCase(const std::string& a, const std::string& b) {
  return MakeUpperCopy(SmBackslashPath(a)) == MakeUpperCopy(SmBackslashPath(b));
}

// One or two capital letters and one to three digits of a row from 1.
bool ParseCell(const std::string& text, int& col, int& row) {
  size_t letters = 0;
  while (letters < text.size() && text[letters] >= 'A' && text[letters] <= 'Z') ++letters;
  const std::string digits = text.substr(letters);
  if (letters < 1 || letters > 2 || digits.empty() || digits.size() > 3 || !IsAllDigits(digits))
    return false;
  const int number = std::atoi(digits.c_str());
  if (number < 1) return false;
  col = ColumnIndex(text.substr(0, letters));
  row = number - 1;
  return true;
}

// The last "\"-separated part of a name, without its extension.
std::string LastPart(const std::string& name) {
  const std::string path = SmBackslashPath(name);
  std::string part = path.substr(path.rfind('\\') + 1);
  const size_t dot = part.rfind('.');
  if (dot != std::string::npos) part.resize(dot);
  return part;
}

std::string FolderPart(const std::string& name) {
  const std::string path = SmBackslashPath(name);
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

CCaculateChild::CCaculateChild() = default;

CCaculateChild::~CCaculateChild() = default;

const CCaculateClass* CCaculateChild::GetRuntimeClass() const {
  return &kCaculateChildClass;
}

int CCaculateChild::GetErrorInfo(int& code, std::string& message, int& position) {
  const int answer = CSmVarCaculate::GetErrorInfo(code, message, position);
  static const char* const texts[] = {
      "报表区域参数出错！",
      "未设置默认报表！",
      "无此报表！",
      "文件名参数不能多于两个文件！",
      "",
      "",
      "打开数据库失败！",
      "月参数出错！",
      "不能使用块参数！",
      "不能使用并列参数！",
      "同类分录出错！",
      "默认表名出错！",
      "默认账务文件名出错！",
      "计算已取消！",
  };
  if (code <= CAC_ERR_REGION && code >= CAC_ERR_CANCELLED && *texts[CAC_ERR_REGION - code])
    message = texts[CAC_ERR_REGION - code];
  if (code == CAC_ERR_NESTING && !m_sLoopVariable.empty())
    message = m_sLoopVariable + "：" + message;
  return answer;
}

bool CCaculateChild::EvalArg(const std::string& text, std::string& result, int& type,
                             bool wantNumber) {
  return EvalSubExpr(text, result, &type, wantNumber, 0);
}

bool CCaculateChild::IntFromNumber(const std::string& number, int& value) {
  const double read = std::trunc(StrToDouble(TrimChars(number)));
  if (!(read >= INT_MIN && read <= INT_MAX)) {
    SetError(CAC_ERR_ARG_RANGE);
    return false;
  }
  value = static_cast<int>(read);
  return true;
}

int CCaculateChild::EvalVariable(const std::string& name, std::string& result, int& type) {
  // Variables that use variables can make a short formula take very long.
  if (!KeepGoing()) return 0;
  CSmVar var;
  if (!m_vars.Find(name, var)) return CSmVarCaculate::EvalVariable(name, result, type);
  std::string value;
  int valueType = CAC_NUMBER;
  if (!EvalSubExpr(var.m_expression, value, &valueType, false, 1)) {
    // The first variable past the deepest nesting is one that refers to itself.
    if (GetErrorCode() == CAC_ERR_NESTING && m_sLoopVariable.empty()) m_sLoopVariable = name;
    return 0;
  }
  if (var.m_type != SM_VAR_ANY && valueType != var.m_type) {
    SetError(CAC_ERR_TYPE);
    return 0;
  }
  result = value;
  type = valueType;
  return 1;
}

int CCaculateChild::EvalFunction(const std::string& name, const std::string& args,
                                 std::string& result, int& type) {
  if (IsOneOfText(name, {"bb", "zw", "qln", "bsj", "rownum", "colnum"}))
    return CallSourceFunction(name, args, result, type) ? 1 : 0;
  if (name == "co") return CallCo(args, result, type) ? 1 : 0;
  if (CSmApp* app = SmGetApp()) {
    const int answer = app->CallFunction(this, name, args, result, type);
    if (answer == 1) return 1;
    if (answer != 0) return 0;  // the module has set the error
  }
  return CSmVarCaculate::EvalFunction(name, args, result, type);
}

void CCaculateChild::CopyContextTo(CCaculate& target) {
  CSmVarCaculate::CopyContextTo(target);
  auto* other = dynamic_cast<CCaculateChild*>(&target);
  if (!other) return;
  other->m_nGroupRow = m_nGroupRow;
  other->m_nGroupCol = m_nGroupCol;
  other->m_vars = m_vars;
  other->m_defaultSource = m_defaultSource;
  other->m_currentSource = m_currentSource;
  if (!m_cache) m_cache = std::make_shared<CacheSlots>();
  other->m_cache = m_cache;
  other->m_run = m_run ? m_run : (m_run = std::make_shared<CalcRun>());
}

void CCaculateChild::TakeErrorFrom(const CCaculate& other) {
  CSmVarCaculate::TakeErrorFrom(other);
  const auto* child = dynamic_cast<const CCaculateChild*>(&other);
  if (child && !child->m_sLoopVariable.empty()) m_sLoopVariable = child->m_sLoopVariable;
}

int CCaculateChild::Prepare() {
  if (!CSmVarCaculate::Prepare()) return 0;
  if (m_defaultSource.m_bLoaded) return 1;
  std::string name;
  int type = CAC_STRING;
  if (!EvalArg("#d", name, type)) {
    if (GetErrorCode() != CAC_ERR_VARIABLE) {
      SetError(CAC_ERR_DEFAULT_FILE);
      return 0;
    }
    SetError(0);  // no default report
    return 1;
  }
  if (!m_defaultSource.OpenReportFile(name)) {
    SetError(CAC_ERR_DEFAULT_NAME);
    return 0;
  }
  return 1;
}

// ---------------------------------------------------------------- sources

const CSmCalcContext* CCaculateChild::FindInCache(const std::string& name) const {
  if (!m_cache) return nullptr;
  for (const CSmCalcContext& slot : m_cache->m_slots) {
    if (slot.m_bLoaded && slot.m_sName == name) return &slot;
  }
  return nullptr;
}

void CCaculateChild::KeepInCache(const CSmCalcContext& source) {
  // The default source is always held as such; a copy kept here would be stale.
  if (!source.m_bLoaded || source.m_sName == m_defaultSource.m_sName || FindInCache(source.m_sName))
    return;
  if (!m_cache) m_cache = std::make_shared<CacheSlots>();
  m_cache->m_slots[m_cache->m_next] = source;
  m_cache->m_next = (m_cache->m_next + 1) % m_cache->m_slots.size();
}

bool CCaculateChild::SelectHeld(const std::string& name) {
  if (m_currentSource.m_bLoaded && name == m_currentSource.m_sName) {
    if (m_defaultSource.m_bLoaded && name == m_defaultSource.m_sName)
      m_currentSource = m_defaultSource;
    return true;
  }
  const CSmCalcContext* held = m_defaultSource.m_bLoaded && name == m_defaultSource.m_sName
                                   ? &m_defaultSource
                                   : FindInCache(name);
  if (!held) return false;
  KeepInCache(m_currentSource);
  m_currentSource = *held;
  return true;
}

bool CCaculateChild::SetTable(const std::string& name) {
  bool found = !name.empty() && SelectHeld(name);
  if (!found && !name.empty()) {
    // A report file is named relative to the default report; a table of a data file by its
    // data file's name.
    std::string path = name;
    if (!GetPathExt(name).empty()) {
      CSmUtil().BuildReportPath(path, m_defaultSource.m_sName);
      path = SmBackslashPath(path);
    }
    found = path != name && SelectHeld(path);
    CSmCalcContext loaded;
    if (!found && loaded.OpenReportFile(path)) {
      KeepInCache(m_currentSource);
      KeepInCache(loaded);  // nested evaluators find it again too
      m_currentSource = loaded;
      found = true;
    }
  }
  if (!found) {
    SetError(CAC_ERR_NO_REPORT);
    return false;
  }
  if (!m_defaultSource.m_bLoaded) m_defaultSource = m_currentSource;
  return true;
}

void CCaculateChild::SetDefaultCellText(int col, int row, const std::string& text) {
  // The current source may be a copy of the default source sharing its cells; it is selected
  // again from the default source when it is next wanted.
  if (m_currentSource.m_bLoaded && m_currentSource.m_sName == m_defaultSource.m_sName)
    m_currentSource = CSmCalcContext();
  m_defaultSource.SetCellText(col, row, text);
}

bool CCaculateChild::SplitArg(const std::string& region, int& col1, int& row1, int& col2,
                              int& row2) {
  const size_t colon = region.find(':');
  const bool ok = colon == std::string::npos ? ParseCell(region, col1, row1)
                                             : ParseCell(region.substr(0, colon), col1, row1) &&
                                                   ParseCell(region.substr(colon + 1), col2, row2);
  if (!ok) {
    SetError(CAC_ERR_REGION);
    return false;
  }
  if (colon == std::string::npos) {
    col2 = col1;
    row2 = row1;
  }
  return true;
}

bool CCaculateChild::SourceArgument(const std::string& args, std::string& name) {
  name = m_defaultSource.m_sName;
  if (CountArgs(args) == 0) return true;
  if (CountChar(args, ';', '"') > 1) {
    SetError(CAC_ERR_TWO_FILES);
    return false;
  }
  std::string value;
  int type = CAC_STRING;
  if (!EvalArg(args, value, type)) return false;
  if (!TrimChars(value).empty()) name = value;
  return true;
}

bool CCaculateChild::CallSourceFunction(const std::string& name, const std::string& args,
                                        std::string& result, int& type) {
  if (name == "zw") {
    if (!CheckArgCount(args, 0)) return false;
    result = GetAppDataFileName();
    type = CAC_STRING;
    return true;
  }
  std::string source;
  if (!CheckArgRange(args, 0, 1) || !SourceArgument(args, source) || !SetTable(source))
    return false;
  const std::string& current = m_currentSource.m_sName;
  type = CAC_STRING;
  if (name == "bb") {
    result = current;
    return true;
  }
  if (name == "rownum" || name == "colnum") {
    result = FormatStr("%d", name == "rownum" ? m_currentSource.m_nRows : m_currentSource.m_nCols);
    type = CAC_NUMBER;
    return true;
  }
  const std::string ext = GetPathExt(current);
  const bool qln = name == "qln";
  if (ext == "QLN") {
    result = qln ? current : std::string();
  } else if (ext == "BSJ") {
    result = qln ? SmBackslashPath(CSmUtil().FindMasterReportFile(current)) : current;
  } else if (ext.empty()) {
    result = qln ? LastPart(FolderPart(current)) : LastPart(current);
  } else {
    SetError(CAC_ERR_DEFAULT_FILE);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- long calculations

namespace {

constexpr auto kReportInterval = std::chrono::milliseconds(250);
// The clock is read once in so many steps: a step can be as short as a cell added.
constexpr unsigned kTicksPerClockRead = 64;

}  // namespace

CCaculateChild::CalcRun& CCaculateChild::Run() {
  if (!m_run) m_run = std::make_shared<CalcRun>();
  return *m_run;
}

void CCaculateChild::SetProgress(std::function<bool()> report) {
  CalcRun& run = Run();
  run.report = std::move(report);
  run.nextReport = std::chrono::steady_clock::now() + kReportInterval;
  run.ticks = 0;
  run.stopped = false;
}

bool CCaculateChild::KeepGoing() {
  if (!m_run || !m_run->report) return true;
  CalcRun& run = *m_run;
  if (!run.stopped && ++run.ticks % kTicksPerClockRead == 0) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= run.nextReport) {
      run.stopped = !run.report();
      run.nextReport = std::chrono::steady_clock::now() + kReportInterval;
    }
  }
  if (run.stopped) SetError(CAC_ERR_CANCELLED);
  return !run.stopped;
}

CCaculateChild::GroupScope::GroupScope(CCaculateChild& calc) : m_calc(calc) {
  ++m_calc.Run().groupDepth;
}

CCaculateChild::GroupScope::~GroupScope() {
  CalcRun& run = m_calc.Run();
  // The totals kept hold only while the outermost group function runs.
  if (--run.groupDepth == 0) run.totals.clear();
}

bool CCaculateChild::GroupScope::Nested() const {
  return m_calc.Run().groupDepth > 1;
}

bool CCaculateChild::UsesGroupCell(const std::string& text) const {
  std::vector<std::string> seen;
  return UsesGroupCell(text, seen);
}

bool CCaculateChild::UsesGroupCell(const std::string& text, std::vector<std::string>& seen) const {
  if (text.find("vert") != std::string::npos || text.find("horz") != std::string::npos) return true;
  for (size_t at = text.find('#'); at != std::string::npos; at = text.find('#', at + 1)) {
    size_t end = at + 1;
    while (end < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
      ++end;
    const std::string name = text.substr(at, end - at);
    if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
    seen.push_back(name);
    CSmVar var;
    if (m_vars.Find(name, var) && UsesGroupCell(var.m_expression, seen)) return true;
  }
  return false;
}

const CCaculateChild::GroupTotal* CCaculateChild::FindGroupTotal(const std::string& call) const {
  if (!m_run) return nullptr;
  const auto found = m_run->totals.find(call);
  return found == m_run->totals.end() ? nullptr : &found->second;
}

void CCaculateChild::KeepGroupTotal(const std::string& call, GroupTotal total) {
  Run().totals[call] = std::move(total);
}

// ---------------------------------------------------------------- connections

std::string CCaculateChild::GetAppDataFileName() {
  CSmApp* app = SmGetApp();
  CSmDatabase* db = app ? app->GetDatabase() : nullptr;
  return db && db->IsOpen() ? SmBackslashPath(db->GetFileName()) : std::string();
}

CSmDatabase* CCaculateChild::GetCurrentDatabase() const {
  if (m_pCurrentConn) return m_pCurrentConn;
  CSmApp* app = SmGetApp();
  return app ? app->GetDatabase() : nullptr;
}

bool CCaculateChild::OpenConnection(std::unique_ptr<CSmDatabase>& conn, std::string& openFile,
                                    const std::string& file, bool reuse) {
  if (reuse && conn && conn->IsOpen() && SameNoCase(openFile, file)) return true;
  CSmApp* app = SmGetApp();
  CSmDatabase* appDb = app ? app->GetDatabase() : nullptr;
  if (!appDb) return false;
  const int kind = appDb->GetKind();
  conn = std::make_unique<CSmDatabase>(kind);
  openFile = file;
  // Texts of formulas write paths with "\"; the file is named the system's way only here.
  return conn->Open(kind == 0 ? SmOpenFilePath(file) : file, app->m_env.GetConnInfo());
}

bool CCaculateChild::SelectDatabase(const std::string& file) {
  CSmApp* app = SmGetApp();
  if (app && app->GetDatabase() && SameNoCase(file, GetAppDataFileName())) {
    m_pCurrentConn = app->GetDatabase();
    m_sCurrentFile = file;
    return true;
  }
  if (m_pCurrentConn && SameNoCase(file, m_sCurrentFile)) return true;
  std::string named;
  int type = CAC_STRING;
  if (!EvalArg("#z", named, type)) {
    if (GetErrorCode() != CAC_ERR_VARIABLE) {
      SetError(CAC_ERR_DEFAULT_NAME);
      return false;
    }
    SetError(0);  // without "#z" the application's connection serves
    return true;
  }
  const bool first = SameNoCase(file, named);
  std::unique_ptr<CSmDatabase>& conn = first ? m_conn1 : m_conn2;
  m_pCurrentConn = nullptr;
  if (!OpenConnection(conn, first ? m_sConn1File : m_sConn2File, file, first)) return false;
  m_pCurrentConn = conn.get();
  m_sCurrentFile = file;
  return true;
}

bool CCaculateChild::SelectDatabaseOrFail(const std::string& file) {
  if (SelectDatabase(file)) return true;
  SetError(CAC_ERR_OPEN_DB);
  return false;
}

bool CCaculateChild::CallCo(const std::string& args, std::string& result, int& type) {
  if (!CheckArgRange(args, 0, 2)) return false;
  int start = 0;
  int end = 0;
  std::string number;
  int numberType = CAC_NUMBER;
  if (!EvalArg(GetArg(args, 0, start, end), number, numberType, true)) return false;
  std::string fileArg = GetArg(args, 1, start, end);
  if (TrimChars(fileArg).empty()) fileArg = "#z";
  std::string file;
  int fileType = CAC_STRING;
  int n = 0;
  if (!IntFromNumber(number, n) || !EvalArg(fileArg, file, fileType) || !SelectDatabaseOrFail(file))
    return false;
  type = CAC_STRING;
  result.clear();
  CSmApp* app = SmGetApp();
  if (n == 3) {
    if (app) result = app->m_env.GetOperatorName();
    return true;
  }
  CSmDatabase* db = GetCurrentDatabase();
  if (!db || !db->IsOpen()) return true;
  std::vector<std::string> columns[3];
  if (db->QueryStrings("SELECT rtrim(NA),rtrim(KJ),rtrim(T1) FROM SYSTAB", columns, 3) == 0)
    return true;
  result = columns[n == 1 ? 1 : n == 2 ? 2 : 0][0];
  return true;
}
