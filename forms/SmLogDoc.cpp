#include "forms/SmLogDoc.h"

#include <cstdlib>

#include "app/SmApp.h"
#include "core/SmDate.h"
#include "core/SmString.h"
#include "forms/SmLogQueryDlg.h"
#include "platform/SmDocument.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr size_t kRememberedTexts = 5;

struct LogColumn {
  int code;
  const char* spec;
  bool shown;
  int width;
};

constexpr LogColumn kLogColumns[] = {
    {2, "年/STRING/MID", false, 4},
    {3, "月/STRING/MID", false, 2},
    {4, "日/STRING/MID", false, 2},
    {5, "年月日/STRING/MID", false, 10},
    {6, "月日/STRING/MID", false, 5},
    {7, "时分秒/STRING/MID", true, 8},
    {8, "时分/STRING/MID", false, 5},
    {9, "时/STRING/MID", false, 2},
    {10, "分/STRING/MID", false, 2},
    {11, "秒/STRING/MID", false, 2},
    {20, "操作员/MDBSTRING/LEFT", true, 11},
    {21, "操作模块号/MDBSTRING/MID", false, 5},
    {22, "操作模块/MDBSTRING/LEFT", true, 14},
    {23, "操作内容/MDBSTRING/LEFT", true, 50},
};

struct LogNote {
  int tail;
  int row;
  int position;
  int overlay;
  const char* hint;
  const char* text;
};

constexpr LogNote kLogNotes[] = {
    {0, 0, 0, 0, "任务号前导", "任务号："},  {0, 0, 8, 1, "任务号", "系统生成"},
    {0, 1, 0, 0, "线程前导", "线程号："},    {0, 1, 8, 1, "线程号", "系统生成"},
    {0, 0, 70, 0, "机器名前导", "机器名："}, {0, 0, 78, 1, "机器名", "系统生成"},
    {0, 1, 70, 0, "用户名前导", "用户名："}, {0, 1, 78, 1, "用户名", "系统生成"},
    {0, 0, 48, 1, "页码", "第 #pp 页"},      {0, 0, 49, 1, "套打页码", "#pp"},
    {0, 1, 35, 1, "操作时间", "系统生成"},   {1, 0, 0, 0, "主体名", "系统生成"},
    {1, 0, 60, 0, "主管前导", "主管："},     {1, 0, 66, 1, "主管名", "系统生成"},
    {1, 0, 80, 1, "制表员前导", "制表："},   {1, 0, 86, 1, "操作员(制表)", ""},
};

// Characters [from, from + count) of a time text, empty where the text is short.
std::string Part(const std::string& time, size_t from, size_t count) {
  return from < time.size() ? time.substr(from, count) : std::string();
}

// The cell of a log row in the column of the field code.
std::string LogCell(int code, const CSmLogRow& row) {
  const std::string& t = row.sT;
  switch (code) {
    case 2:
      return Part(t, 0, 4);
    case 3:
      return Part(t, 4, 2);
    case 4:
      return Part(t, 6, 2);
    case 5:
      return Part(t, 0, 4) + "." + Part(t, 4, 2) + "." + Part(t, 6, 2);
    case 6:
      return Part(t, 4, 2) + "." + Part(t, 6, 2);
    case 7:
      return Part(t, 8, 2) + ":" + Part(t, 10, 2) + ":" + Part(t, 12, 2);
    case 8:
      return Part(t, 8, 2) + ":" + Part(t, 10, 2);
    case 9:
      return Part(t, 8, 2);
    case 10:
      return Part(t, 10, 2);
    case 11:
      return Part(t, 12, 2);
    case 20:
      return row.sOp;
    case 21:
      return std::to_string(row.nTaskID);
    case 22:
      return row.sName;
    case 23:
      return row.sNote;
    default:
      return {};
  }
}

}  // namespace

std::string SmLogSessionTime(const CSmOpLog& task) {
  const std::string& t1 = task.sT1;
  std::string text = Part(t1, 0, 4) + "年" + Part(t1, 4, 2) + "月" + Part(t1, 6, 2) + "日" +
                     Part(t1, 8, 2) + ":" + Part(t1, 10, 2) + ":" + Part(t1, 12, 2) + "至";
  const std::string& t2 = task.sT2;
  if (t2 > t1) return text + Part(t2, 8, 2) + ":" + Part(t2, 10, 2) + ":" + Part(t2, 12, 2);
  return text + " ?";
}

// ---------------------------------------------------------------- CSmLogDoc

void CSmLogDoc::OnInitDocument() {
  if (m_openModes.size() != kRememberedTexts) {
    m_openModes.assign(kRememberedTexts, std::string());
    m_openModes[0] = NowText("%Y%m") + "  ";
  }
  m_period = m_openModes[0];
  m_computer = m_openModes[1];
  m_operator = m_openModes[2];
  m_operation = m_openModes[3];
  m_task.nTask = std::atoi(m_openModes[4].c_str());
}

void CSmLogDoc::DefineTitle(CSmFormDef& def) {
  def.sFna = "操作日志";
  def.nTopNum = 1;
}

void CSmLogDoc::DefineColumns(CSmFormDef& def) {
  def.m_cols.clear();
  for (const LogColumn& column : kLogColumns) {
    const int type = column.code + (column.shown ? 100 : 0);
    def.InsertCol(static_cast<int>(def.m_cols.size()), type, column.width * 100 + column.width, 0,
                  0, column.spec);
  }
}

void CSmLogDoc::DefineHeadNotes(CSmFormDef& def) {
  def.m_headNotes.clear();
  for (const LogNote& note : kLogNotes) {
    def.m_headNotes.emplace_back();
    def.m_headNotes.back().Set(note.tail, note.row, note.position, note.overlay, 0, note.hint,
                               note.text);
  }
}

bool CSmLogDoc::LoadRows(int /*openMode*/) {
  CSmApp* app = SmGetApp();
  if (!app || !app->m_env.IsLogOn()) {
    SmMessageBox("日志开关未打开！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  CSmLogQueryDlg dlg(m_task, m_period, m_computer, m_operator, m_operation, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  if (!m_task.LoadTask(dlg.SelectedTask(), m_db)) return false;
  m_period = dlg.Period();
  m_computer = dlg.Computer();
  m_operator = dlg.Operator();
  m_operation = dlg.Operation();
  m_openModes = {m_period, m_computer, m_operator, m_operation, std::to_string(m_task.nTask)};
  return true;
}

void CSmLogDoc::Refresh() {
  const CSmWaitCursor busy;
  m_rows.clear();
  m_rowFlags.clear();
  CSmLogRowArray rows;
  CSmLogRow::QueryTask(m_task.nTask, m_db, &rows);
  std::vector<int> codes;
  for (int index : m_shownColumns) codes.push_back(m_formDef.m_cols[index].FieldCode());
  for (CSmLogRow& row : rows) {
    row.sName = GetOperationName(row.nTaskID);
    AppendRow();
    std::vector<std::string>& cells = m_rows.back();
    for (size_t k = 0; k < codes.size() && k < cells.size(); ++k) cells[k] = LogCell(codes[k], row);
  }
}

// ---------------------------------------------------------------- CSmLogView

void CSmLogView::GetNoteValue(CSmFormHeadNote& note) {
  auto* doc = dynamic_cast<CSmLogDoc*>(GetDocument());
  if (!doc) return;
  const CSmOpLog& task = doc->m_task;
  const std::string& hint = note.sNote;
  if (hint == "操作时间") {
    note.sWords = SmLogSessionTime(task);
  } else if (hint == "任务号") {
    note.sWords = std::to_string(task.nTask);
  } else if (hint == "线程号") {
    note.sWords = std::to_string(-task.nThreadID);
  } else if (hint == "机器名") {
    note.sWords = task.sComputer;
  } else if (hint == "用户名") {
    note.sWords = task.sUser;
  }
}
