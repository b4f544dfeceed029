// The report module's formula functions: where the current table lies in the report catalogue
// ("bbxh", "dir", "dirt", "dirn", "bbna"), the current cell ("row", "col", "char"), the group
// functions over cell ranges ("sum", "count", "horz", "vert"), one cell ("get") and the page
// placeholders ("page", "totalpage").
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmPath.h"
#include "core/SmString.h"
#include "core/SmUtil.h"
#include "designer/BbDataType.h"
#include "designer/CaculateChild.h"

namespace {

constexpr int kDone = 1;
constexpr int kFailed = -1;

bool IsBlank(const std::string& text) {
  return TrimChars(text).empty();
}

std::string Arg(const std::string& args, int n) {
  int start = 0;
  int end = 0;
  return CCaculate::GetArg(args, n, start, end);
}

// An argument evaluated as a number, as an integer ("" is 0); -19 beyond int range.
bool IntArg(CCaculateChild& calc, const std::string& text, int& value) {
  std::string number;
  int type = CAC_NUMBER;
  return calc.EvalArg(text, number, type, true) && calc.IntFromNumber(number, value);
}

// The number a cell's text reads as with "%lf" (0 when none); a number too large for a double
// fails with the evaluator's number error rather than giving a total of "inf" or "nan".
bool CellNumber(CCaculateChild& calc, const std::string& text, double& value) {
  value = 0;
  if (std::sscanf(text.c_str(), "%lf", &value) != 1) value = 0;
  if (std::isfinite(value)) return true;
  calc.SetErrorCode(CAC_ERR_NUMBER);
  return false;
}

// Whether a number text reads as the whole number 0 (its integer part, as "%d" reads it).
bool ReadsAsZero(const std::string& text) {
  return std::strtoll(text.c_str(), nullptr, 10) == 0;
}

// The folder part with "\" (texts of formulas keep it).
std::string FolderOf(const std::string& path) {
  return SmBackslashPath(GetPathFolder(path));
}

// "dir": the table path (the default source's name, or the second argument) less `levels`
// trailing parts.
bool Dir(CCaculateChild& calc, const std::string& args, std::string& result) {
  if (CCaculate::CountArgs(args) > 2) {
    calc.SetErrorCode(CAC_ERR_TOO_MANY_ARGS);
    return false;
  }
  int levels = 0;
  if (!IsBlank(Arg(args, 0)) && !IntArg(calc, Arg(args, 0), levels)) return false;
  std::string path = calc.m_defaultSource.m_sName;
  const std::string pathArg = Arg(args, 1);
  int type = CAC_STRING;
  if (!IsBlank(pathArg) && !calc.EvalArg(pathArg, path, type)) return false;
  // Past the first component the path stays empty: no need to go on counting.
  for (int k = 0; k < levels && !path.empty(); ++k) path = FolderOf(path);
  result = path;
  return true;
}

bool Dirt(CCaculateChild& calc, const std::string& args, std::string& result) {
  std::string path;
  if (!Dir(calc, args, path)) return false;
  const std::string folder = FolderOf(path);
  if (folder.empty()) {
    result = path.starts_with('\\') ? path.substr(1) : path;
  } else {
    result = SmBackslashPath(path).substr(folder.size() + 1);
  }
  return true;
}

int CallBbxh(CCaculateChild& calc, const std::string& args, std::string& result, int& type) {
  if (CCaculate::CountArgs(args) >= 2) {
    calc.SetErrorCode(CAC_ERR_TOO_MANY_ARGS);
    return kFailed;
  }
  int n = 0;
  if (!IsBlank(args) && !IntArg(calc, args, n)) return kFailed;
  std::string path;
  if (!Dir(calc, std::string(), path)) return kFailed;
  const std::string file = CCaculateChild::GetAppDataFileName();
  const std::string rest = path.size() > file.size() ? path.substr(file.size() + 1) : "";
  result = n < 0 ? std::string() : GetNthField(rest, n, '\\');
  type = CAC_NOTHING;
  return kDone;
}

int CallBbna(CCaculateChild& calc, const std::string& args, std::string& result, int& type) {
  if (CCaculate::CountArgs(args) > 1) {
    calc.SetErrorCode(CAC_ERR_TOO_MANY_ARGS);
    return kFailed;
  }
  std::string path;
  int pathType = CAC_STRING;
  if (IsBlank(args) ? !Dir(calc, std::string(), path) : !calc.EvalArg(args, path, pathType))
    return kFailed;
  std::string file;
  std::string subPath;
  int year = 0;
  if (CSmUtil().ParseReportPath(path, file, year, subPath) != 1) return kFailed;
  const std::string number = GetNthField(subPath, 0, '\\');
  const long long nNo = std::strtoll(number.c_str(), nullptr, 10);
  if (nNo < INT_MIN || nNo > INT_MAX) {
    calc.SetErrorCode(CAC_ERR_ARG_RANGE);
    return kFailed;
  }
  const size_t slash = subPath.find('\\');
  const std::string child = slash == std::string::npos ? std::string() : subPath.substr(slash + 1);
  CSmApp* app = SmGetApp();
  CSmDatabase* db = app ? app->GetDatabase() : nullptr;
  result.clear();
  if (db && db->IsOpen())
    result = db->QueryCountString(FormatStr("Max(sNa) From bbinfo7 Where nNo=%d And sSubNo='%s'",
                                            static_cast<int>(nNo), db->SqlText(child).c_str()));
  type = CAC_STRING;
  return kDone;
}

// The cells of one range of one source, summed or counted; `visited` is set when a cell was.
bool RangeTotal(CCaculateChild& calc, std::string source, int col1, int row1, int col2, int row2,
                std::string condition, bool sum, double& total, bool& visited) {
  if (source.empty()) {
    if (!calc.m_defaultSource.m_bLoaded) {
      calc.SetErrorCode(CAC_ERR_NO_DEFAULT);
      return false;
    }
    source = calc.m_defaultSource.m_sName;
  }
  if (IsBlank(condition)) condition = "1";
  if (!calc.SetTable(source)) return false;
  const CSmCalcContext& table = calc.m_currentSource;
  const int left = std::max(std::min(col1, col2), 0);
  const int right = std::min(std::max(col1, col2), table.m_nCols - 1);
  const int top = std::max(std::min(row1, row2), 0);
  const int bottom = std::min(std::max(row1, row2), table.m_nRows - 1);
  total = 0;
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right; ++c) {
      if (!calc.KeepGoing()) return false;
      calc.m_nGroupRow = r;
      calc.m_nGroupCol = c;
      visited = true;
      if (condition != "1") {
        std::string value;
        int type = CAC_NUMBER;
        if (!calc.EvalArg(condition, value, type)) return false;
        if (type != CAC_NUMBER) {
          calc.SetErrorCode(CAC_ERR_TYPE);
          return false;
        }
        if (ReadsAsZero(value)) continue;
      }
      double value = 1;
      if (sum && !CellNumber(calc, table.GetCellText(c, r), value)) return false;
      total += value;
    }
  }
  return true;
}

// An item of a ";"-list evaluated (any type) and trimmed.
bool ListItem(CCaculateChild& calc, const std::string& list, int k, std::string& value) {
  int type = CAC_STRING;
  value.clear();
  const std::string item = GetNthField(list, k, ';', '"');
  if (!calc.EvalArg(item, value, type)) return false;
  value = TrimChars(value);
  return true;
}

// The total over every source and range; `visited` is set when a cell was.
bool GroupTotal(CCaculateChild& calc, bool sum, const std::string& args, std::string& result,
                bool& visited) {
  const std::string ranges = Arg(args, 0);
  const std::string sources = Arg(args, 1);
  const std::string condition = Arg(args, 2);
  double total = 0;
  for (int s = 0; s < CountChar(sources, ';', '"'); ++s) {
    for (int k = 0; k < CountChar(ranges, ';', '"'); ++k) {
      std::string source;
      std::string range;
      int col1 = 0, row1 = 0, col2 = 0, row2 = 0;
      double part = 0;
      if (!ListItem(calc, sources, s, source) || !ListItem(calc, ranges, k, range) ||
          !calc.SplitArg(range, col1, row1, col2, row2) ||
          !RangeTotal(calc, source, col1, row1, col2, row2, condition, sum, part, visited))
        return false;
      total += part;
    }
  }
  if (!std::isfinite(total)) {
    calc.SetErrorCode(CAC_ERR_NUMBER);
    return false;
  }
  result = FormatStr("%lf", total);
  return true;
}

// "sum" and "count". Inside another group function, one that does not read the visiting cell
// comes out the same at every cell visited: its total, and the cell vert() and horz() give
// after it, are kept and used again.
int CallSumCount(CCaculateChild& calc, bool sum, const std::string& args, std::string& result,
                 int& type) {
  if (!calc.CheckArgRange(args, 1, 3)) return kFailed;
  const CCaculateChild::GroupScope scope(calc);
  const bool keep = scope.Nested() && !calc.UsesGroupCell(args);
  const std::string call = keep ? (sum ? "sum(" : "count(") + args : std::string();
  if (const CCaculateChild::GroupTotal* kept = keep ? calc.FindGroupTotal(call) : nullptr) {
    result = kept->result;
    type = CAC_NUMBER;
    if (kept->visited) {
      calc.m_nGroupRow = kept->row;
      calc.m_nGroupCol = kept->col;
    }
    return kDone;
  }
  bool visited = false;
  if (!GroupTotal(calc, sum, args, result, visited)) return kFailed;
  type = CAC_NUMBER;
  if (keep) calc.KeepGroupTotal(call, {result, visited, calc.m_nGroupRow, calc.m_nGroupCol});
  return kDone;
}

// A number text with at least one digit.
bool IsNumberValue(const std::string& text) {
  return IsNumberText(text, 0, -1) && text.find_first_of("0123456789") != std::string::npos;
}

int CallGet(CCaculateChild& calc, const std::string& args, std::string& result, int& type) {
  if (!calc.CheckArgRange(args, 1, 2)) return kFailed;
  const std::string cellArg = Arg(args, 0);
  if (CountChar(cellArg, ';', '"') != 1) {
    calc.SetErrorCode(CAC_ERR_REGION);
    return kFailed;
  }
  std::string cell;
  int col1 = 0, row1 = 0, col2 = 0, row2 = 0;
  if (!ListItem(calc, cellArg, 0, cell) || !calc.SplitArg(cell, col1, row1, col2, row2))
    return kFailed;
  if (col1 != col2 || row1 != row2) {
    calc.SetErrorCode(CAC_ERR_REGION);
    return kFailed;
  }
  const std::string sourceArg = Arg(args, 1);
  if (CountChar(sourceArg, ';', '"') > 1) {
    calc.SetErrorCode(CAC_ERR_TWO_FILES);
    return kFailed;
  }
  std::string source = calc.m_defaultSource.m_sName;
  int sourceType = CAC_STRING;
  if (!IsBlank(sourceArg) && !calc.EvalArg(sourceArg, source, sourceType)) return kFailed;
  if (!calc.SetTable(source)) return kFailed;
  const CSmCalcContext& table = calc.m_currentSource;
  if (col1 >= table.m_nCols || row1 >= table.m_nRows) return kFailed;
  const std::string text = table.GetCellText(col1, row1);
  if (!IsNumberValue(text)) {
    result = text;
    type = CAC_STRING;
    return kDone;
  }
  double value = 0;
  if (!CellNumber(calc, text, value)) return kFailed;
  result = ReplaceAll(FormatNumber(value, 0, 0, 6, true), ",", "");
  type = CAC_NUMBER;
  return kDone;
}

// Functions without arguments: the current cell, the group-function cell, the placeholders.
int CallPlain(CCaculateChild& calc, const std::string& name, const std::string& args,
              std::string& result, int& type) {
  if (!calc.CheckArgCount(args, 0)) return kFailed;
  type = CAC_NUMBER;
  if (name == "row") result = FormatStr("%d", calc.m_defaultSource.m_nRow + 1);
  if (name == "col") result = FormatStr("%d", calc.m_defaultSource.m_nCol + 1);
  if (name == "vert") result = FormatStr("%d", calc.m_nGroupRow + 1);
  if (name == "horz") result = FormatStr("%d", calc.m_nGroupCol + 1);
  if (name == "page" || name == "totalpage") {
    result = name == "page" ? "\x14" : "\x15";
    type = CAC_STRING;
  }
  return kDone;
}

int CallChar(CCaculateChild& calc, const std::string& args, std::string& result, int& type) {
  int n = 0;
  if (!calc.CheckArgCount(args, 1) || !IntArg(calc, args, n)) return kFailed;
  result = n > 0 ? ColumnLabel(n - 1) : std::string();
  type = CAC_STRING;
  return kDone;
}

}  // namespace

int CBbDataType::CallFunction(CCaculate* caculate, const std::string& name, const std::string& args,
                              std::string& result, int& type) {
  auto* calc = dynamic_cast<CCaculateChild*>(caculate);
  if (!calc) return 0;
  std::string text;
  if (name == "bbxh") return CallBbxh(*calc, args, result, type);
  if (name == "dir" || name == "dirt" || name == "dirn") {
    if (!(name == "dir" ? Dir(*calc, args, text) : Dirt(*calc, args, text))) return kFailed;
    if (name == "dirn" && !IsAllDigits(text)) {
      calc->SetErrorCode(CAC_ERR_TYPE);
      return kFailed;
    }
    result = text;
    type = name == "dirn" ? CAC_NUMBER : CAC_STRING;
    return kDone;
  }
  if (name == "bbna") return CallBbna(*calc, args, result, type);
  if (IsOneOfText(name, {"vert", "horz", "row", "col", "page", "totalpage"}))
    return CallPlain(*calc, name, args, result, type);
  if (name == "char") return CallChar(*calc, args, result, type);
  if (name == "sum" || name == "count")
    return CallSumCount(*calc, name == "sum", args, result, type);
  if (name == "get") return CallGet(*calc, args, result, type);
  return 0;
}
