#include "forms/SmThirdView.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <tuple>

#include "app/SmApp.h"
#include "core/SmClipboard.h"
#include "core/SmDate.h"
#include "core/SmString.h"
#include "forms/SmDoc.h"
#include "platform/SmCommandIds.h"
#include "res/SmResource.h"
#include "ui/SmPrintJob.h"
#include "ui/SmToolTip.h"

namespace {

constexpr int kHintTool = 0;  // the first tool: a cell's hint under the mouse
constexpr int kTipsTool = 1;  // the second: the usage tips over the title band
constexpr int kFarAway = 10000;
const char* const kTipHead = "<al_c>提示<br><hr=100%><br><al_l>";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool ClipboardHasText() {
  std::string text;
  return GetClipboardText(text) && !text.empty();
}

CSmEnvironment* Environment() {
  CSmApp* app = SmGetApp();
  return app ? &app->m_env : nullptr;
}

std::string UnitName() {
  CSmEnvironment* env = Environment();
  return env ? env->GetUnitName() : std::string();
}

}  // namespace

const char* const CThirdView::kTipsText =
    "⒈使用“文件/文档属性”菜单，可以：<br>"
    "　①修改文档的标题；<br>"
    "　②修改“序号”，改变文档的排列顺序；<br>"
    "　③修改表头、表尾的显示内容和位置；<br>"
    "　④修改正文栏头的行数、内容，可设置多层栏头；<br>"
    "　⑤可以增加、删除表栏，修改栏属性；<br>"
    "⒉使用“文件/页面设置”菜单，可以：<br>"
    "　①设置文档的字体、行距、表线颜色；<br>"
    "　②设置打印纸张的大小、四边距、进纸方向；<br>"
    "⒊使用鼠标可能改变表格的行距、栏宽，但应该调出“页面设置”框保存。<br>"
    "⒋按下鼠标右键可以调出右键功能菜单。<br>"
    "⒌在文档可编辑时，双击鼠标左键、按F2键可以调出对象列表框供选择（若有的话）。<br>"
    "⒍当录入的内容不正确时，按Enter键可以调出对象列表框供选择（若有的话）。<br>"
    "⒎可以套打文档。打印文档时，可以使用右键菜单，选择打印奇数页或偶数页。<br>"
    "⒏可以将文档保存成文本文档，若文件的扩展名为xls，即保存成Excel文档。<br>"
    "⒐在录入数值型单元格时，可以按F12键调出计算器进行计算。<br>"
    "⒑在录入、操作文档时，请注意使用快捷键。";

CThirdView::CThirdView(QWidget* parent) : CSmFormView(parent) {}

CThirdView::~CThirdView() = default;

CSmDoc* CThirdView::GetFormDoc() const {
  return dynamic_cast<CSmDoc*>(GetDocument());
}

void CThirdView::OnInitialUpdate() {
  CSmFormView::OnInitialUpdate();
  DropList();
  if (!m_tips) m_tipsActive = GetTips();
}

// ---------------------------------------------------------------- layout

void CThirdView::ResetLayout() {
  CSmFormView::ResetLayout();
  HideDropList(false);
  CSmDoc* doc = GetFormDoc();
  if (!doc || doc->m_formDef.m_cols.empty()) return;
  const CSmFormDef& def = doc->m_formDef;
  m_printMode = std::to_string(def.nForm);
  InitLayout(static_cast<int>(doc->m_rows.size()), def.nTopNum, m_nFormFootLines,
             def.GetNoteRowCount(0, true), def.GetNoteRowCount(1, true));
  SetColumnCount(doc->m_shownCount);
  for (auto* cells : {&m_footCells, &m_headCells}) {
    const int side = cells == &m_footCells ? 1 : 0;
    for (const CSmFormHeadNote& note : def.m_headNotes) {
      if (note.bIsTail != side || !note.bIsSystem) continue;
      if (note.nRow < 0 || note.nRow >= static_cast<int>(cells->size())) continue;
      (*cells)[note.nRow].push_back({note.nColPecent % 100 * 10, note.nColPecent / 100});
    }
  }
}

// ---------------------------------------------------------------- drawing

void CThirdView::DrawRegionText(CSmFormDC& dc, int row, const std::string& region,
                                const std::string& text, const std::string& align) {
  DrawHeaderText(row, dc, text, align, region);
}

void CThirdView::DrawCellString(int row, int position, CSmFormDC& dc, const std::string& text,
                                const std::string& region) {
  DrawCellText(row, position, dc, text, "PERCENT", region, 0, false);
}

void CThirdView::DrawTitle(CSmFormDC& dc) {
  CSmDoc* doc = GetFormDoc();
  if (!doc || GetPageRows(dc) <= 0) return;
  const std::string title = ReplaceAll(doc->m_formDef.sFna, "#name", UnitName());
  DrawRegionText(dc, 0, "TOPIC", title, "MID");
  // The notes are drawn once, by DrawHeadFootNotes, which runs for every page.
  DrawTextBlock(dc, doc->m_formDef.m_topWords, "FORMHEAD");
}

void CThirdView::DrawNotes(CSmFormDC& dc) {
  CSmDoc* doc = GetFormDoc();
  if (!doc) return;
  std::vector<CSmFormHeadNote> notes;
  for (const CSmFormHeadNote& stored : doc->m_formDef.m_headNotes) {
    CSmFormHeadNote note = stored;
    ExpandVariables(dc, note);
    GetNoteValue(note);
    if (note.sWords.empty() || note.bIsSystem) continue;
    if (dc.printing && m_bOverlay && !note.bIsUse) continue;
    notes.push_back(std::move(note));
  }
  // Left to right along each line; a note that would run into the one before it on its line
  // starts after it (on a narrow page a long value meets the next label). Printing onto
  // preprinted paper keeps every position.
  std::stable_sort(notes.begin(), notes.end(), [](const auto& a, const auto& b) {
    return std::tie(a.bIsTail, a.nRow, a.nColPecent) < std::tie(b.bIsTail, b.nRow, b.nColPecent);
  });
  const bool keepPositions = dc.printing && m_bOverlay;
  const QMargins margins = GetMargins(dc);
  const double printable = GetPageSize(dc).width() - margins.left() - margins.right();
  const CSmFormHeadNote* before = nullptr;
  int end = 0;  // the right edge of the note before on the line, in pixels
  for (const CSmFormHeadNote& note : notes) {
    const std::string region = note.bIsTail ? "FOOT" : "HEAD";
    int position = note.nColPecent % 100 * 10;
    const bool sameLine = before && before->bIsTail == note.bIsTail && before->nRow == note.nRow;
    const int gap = GetRegionFont(region, dc).unit;
    if (!keepPositions && sameLine && printable > 0) {
      const int left = margins.left() + static_cast<int>(std::lround(printable * position * 0.001));
      if (left < end + gap) {
        position = static_cast<int>(std::ceil((end + gap - margins.left()) * 1000.0 / printable));
      }
    }
    DrawCellString(note.nRow, position, dc, note.sWords, region);
    end = margins.left() + static_cast<int>(std::lround(printable * position * 0.001)) +
          GetTextWidth(note.sWords, region, dc);
    before = &note;
  }
}

void CThirdView::ExpandVariables(CSmFormDC& dc, CSmFormHeadNote& note) {
  const std::string& name = note.sNote;
  if (StartsWith(name, "页码") || StartsWith(name, "套打页码")) {
    ExpandPageNumbers(dc, note);
    return;
  }
  CSmEnvironment* env = Environment();
  if (StartsWith(name, "主体名")) {
    note.sWords = env ? env->GetUnitName() : std::string();
  } else if (StartsWith(name, "主管名")) {
    note.sWords = env ? env->GetSupervisor() : std::string();
  } else if (StartsWith(name, "操作员")) {
    note.sWords = env ? env->GetOperatorName() + "(" + env->GetOperatorNo() + ")" : std::string();
  } else if (StartsWith(name, "当前时间")) {
    std::string text = ReplaceAll(note.sWords, "#yy", NowText("%Y"));
    text = ReplaceAll(text, "#mm", NowText("%m"));
    text = ReplaceAll(text, "#dd", NowText("%d"));
    note.sWords = ReplaceAll(text, "#fy", std::to_string(env ? env->GetYear() : 0));
  }
}

void CThirdView::ExpandPageNumbers(CSmFormDC& dc, CSmFormHeadNote& note) {
  std::string text = note.sWords;
  note.sWords.clear();
  if (!dc.printing) return;
  if (!StartsWith(note.sNote, m_bOverlay ? "套打页码" : "页码")) return;
  const int pageRows = GetPageRows(dc);
  int pages = 0;
  int page = 0;
  if (pageRows >= 1) {
    pages = (m_nTextRows - 1) / pageRows + 1;
    page = dc.firstRow / pageRows + 1;
  }
  if (text.empty()) text = m_bOverlay ? "#pp" : "第 #pp 页";
  text = ReplaceAll(text, "#pp", std::to_string(page));
  note.sWords = ReplaceAll(text, "#pt", std::to_string(pages));
}

// ---------------------------------------------------------------- odd and even pages

void CThirdView::OnPrepareDC(CSmFormDC& dc, CSmPrintState* info) {
  CSmFormView::OnPrepareDC(dc, info);
  if (!dc.printing || !info || m_oddEven == 0 || !info->continuePrinting) return;
  const int to = std::min(std::max(info->toPage, info->minPage), info->maxPage);
  const int from = std::min(std::max(info->fromPage, info->minPage), info->maxPage);
  const int step = to < from ? -1 : 1;
  const int end = to + step;
  const bool fromOdd = from % 2 != 0;
  const int shift = (m_oddEven == 1) != fromOdd ? step : 0;
  const int page = 2 * info->currentPage - from + shift;
  if (step > 0 ? page >= end : page <= end) {
    info->continuePrinting = false;
    return;
  }
  dc.firstRow = GetPageRows(dc) * (page - 1);
}

// ---------------------------------------------------------------- commands

bool CThirdView::IsCommandEnabled(int id) {
  const bool oneRegion = m_anchor.region == m_current.region;
  const bool text = m_current.region == "TEXT";
  const bool copy =
      oneRegion && (m_anchor.row != m_current.row || m_anchor.column != m_current.column ||
                    m_anchor.caret != m_current.caret);
  bool enabled = true;
  switch (id) {
    case SM_ID_GRID_DELETE:
      enabled = m_bEditable && oneRegion;
      break;
    case SM_ID_PASTE_INTO_SELECTION:
    case SM_ID_PASTE_INTO_COLUMN:
      enabled = m_bEditable && text && m_nTextRows > 1 && ClipboardHasText();
      break;
    case SM_ID_EDIT_PASTE:
      enabled = m_bEditable && ClipboardHasText();
      break;
    case SM_ID_INSERT_ROW_AT:
    case SM_ID_INSERT_ROW_AFTER:
    case SM_ID_EDIT_REPLACE:
      enabled = m_bEditable && text;
      break;
    case SM_ID_EDIT_CUT:
      enabled = m_bEditable && copy;
      break;
    case SM_ID_EDIT_COPY:
      enabled = copy;
      break;
    case SM_ID_EDIT_REPEAT:
      enabled = !m_findText.empty();
      break;
    default:
      break;
  }
  return enabled && IsCommandAllowed(id);
}

std::unique_ptr<QMenu> CThirdView::CreateContextMenu() {
  auto menu = std::make_unique<QMenu>(this);
  for (const auto& [id, text] : SmMenuItems(SM_IDR_GRID_MENU)) {
    if (id == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromStdString(text));
    action->setObjectName(QString::number(id));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id = id] { OnCommand(id); });
  }
  AddContextMenuItems(*menu);
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    const int id = action->data().toInt();
    if (id == SM_ID_PRINT_ODD_PAGES || id == SM_ID_PRINT_EVEN_PAGES) {
      action->setCheckable(true);
      action->setChecked(m_oddEven == (id == SM_ID_PRINT_ODD_PAGES ? 1 : 2));
    }
    action->setEnabled(IsCommandEnabled(id));
  }
  return menu;
}

void CThirdView::contextMenuEvent(QContextMenuEvent* event) {
  HideDropList(false);
  const std::unique_ptr<QMenu> menu = CreateContextMenu();
  menu->exec(event->globalPos());
}

bool CThirdView::OnCommand(int id) {
  switch (id) {
    case SM_ID_FILE_PRINT:
    case SM_ID_EDIT_FIND:
    case SM_ID_EDIT_REPEAT:
    case SM_ID_CALCULATOR:
    case SM_ID_EDIT_SELECT_ALL:
    case SM_ID_PASTE_INTO_SELECTION:
    case SM_ID_PASTE_INTO_COLUMN:
    case SM_ID_INSERT_ROW_AT:
    case SM_ID_INSERT_ROW_AFTER:
      HideDropList(false);
      break;
    default:
      break;
  }
  switch (id) {
    case SM_ID_SHOW_DROP_LIST:
      ShowDropListAtCurrent();
      return true;
    case SM_ID_PRINT_ODD_PAGES:
      m_oddEven = m_oddEven == 1 ? 0 : 1;
      return true;
    case SM_ID_PRINT_EVEN_PAGES:
      m_oddEven = m_oddEven == 2 ? 0 : 2;
      return true;
    case SM_ID_EDIT_FIND:
    case SM_ID_EDIT_REPEAT:
      Find(id == SM_ID_EDIT_REPEAT);
      return true;
    case SM_ID_EDIT_REPLACE:
      Replace();
      return true;
    case SM_ID_DOC_LOAD_TEXT:
      LoadTextFile();
      return true;
    default:
      return CSmFormView::OnCommand(id);
  }
}

bool CThirdView::OnUpdateCommand(int id, CSmCmdUI& ui) {
  if (id == SM_ID_PRINT_ODD_PAGES || id == SM_ID_PRINT_EVEN_PAGES) {
    ui.SetCheck(m_oddEven == (id == SM_ID_PRINT_ODD_PAGES ? 1 : 2));
    ui.Enable(IsCommandEnabled(id));
    return true;
  }
  if (id == SM_ID_EDIT_FIND || id == SM_ID_EDIT_REPEAT || id == SM_ID_EDIT_REPLACE) {
    ui.Enable(IsCommandEnabled(id));
    return true;
  }
  if (id == SM_ID_DOC_LOAD_TEXT) {
    ui.Enable(m_bEditable);
    return true;
  }
  return CSmFormView::OnUpdateCommand(id, ui);
}

// ---------------------------------------------------------------- tips and hints

bool CThirdView::GetTips() {
  m_tips = new CSmToolTip();
  m_tips->Create(this);  // the view owns the balloon from here
  m_tips->AddTool(this, "", 0, 0, 0, nullptr, kHintTool);
  const int titleBottom = GetRowY(0, ScreenDC(), "HEAD");
  const QRect title(0, 0, kFarAway, std::max(titleBottom, 1));
  m_tips->AddTool(this, std::string(kTipHead) + kTipsText, 0, 0, 0, &title, kTipsTool);
  m_tips->SetNotify(true);
  m_tips->SetDefaultFont();
  m_tips->SetBkEffect(13, 10);
  return true;
}

void CThirdView::ShowCellHint(QPoint point) {
  if (!m_tipsActive || !m_tips || m_mouseMode != 0) return;
  int row = 0, column = 0;
  const QPoint at = point + QPoint(ScreenDC().scrollX, 0);
  const std::string zone = HitTest(at, row, column, false);
  std::string hint;
  if (zone == "TEXT" || zone == "HEAD" || zone == "FOOT") hint = GetCellHint(row, column, zone);
  if (hint.empty()) {
    m_tips->SetToolRect(kHintTool, kFarAway, kFarAway, 2 * kFarAway, 2 * kFarAway);
    return;
  }
  m_tips->SetToolRect(kHintTool, point.x() - 10, point.y() - 10, point.x() + 10, point.y() + 10);
  m_tips->UpdateTipText(kHintTool, kTipHead + hint);
}

void CThirdView::mouseMoveEvent(QMouseEvent* event) {
  ShowCellHint(event->position().toPoint());
  CSmFormView::mouseMoveEvent(event);
}

bool CThirdView::event(QEvent* event) {
  if (m_tipsActive && m_tips) m_tips->RelayEvent(this, event);
  return CSmFormView::event(event);
}
