#include "res/SmResource.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <initializer_list>
#include <map>
#include <string>

#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDesktop.h"
#include "platform/SmDocument.h"
#include "res/SmProgramIconPng.h"

namespace {

struct MenuItem {
  int id;  // 0 separator
  const char* text;
};

struct Popup {
  const char* title;
  std::vector<MenuItem> items;
};

std::vector<Popup> MenuResource(int id) {
  switch (id) {
    case SM_IDR_MAINFRAME:
      return {
          {"文件(&F)",
           {{SM_ID_FILE_NEW, "新建(&N)\tCtrl+N"},
            {SM_ID_FILE_OPEN, "打开(&O)...\tCtrl+O"},
            {0, ""},
            {SM_ID_LOGIN, "操作环境注册 ...\tAlt+1"},
            {SM_ID_PASSWORD, "设置或更改口令"},
            {0, ""},
            {SM_ID_CALCULATOR, "计算器(D)...\tF12"},
            {SM_ID_DATA_CHECK, "数据关系检测..."},
            {0, ""},
            {SM_ID_FILE_PRINT_SETUP, "打印设置(&R)..."},
            {SM_ID_SPECIAL_PRINT, "特殊打印设置 ..."},
            {0, ""},
            {SM_ID_APP_EXIT, "退出(&X)"}}},
          {"系统(&X)",
           {{SM_ID_YEAR_FILE_INFO, "数据文件信息 ..."},
            {SM_ID_NEW_YEAR_FILE, "建立新数据文件 ..."},
            {SM_ID_CARRY_OVER, "年末转账..."},
            {SM_ID_BIZ_MONTHS, "设置业务月 ..."},
            {0, ""},
            {SM_ID_OPERATORS, "操作员及操作权限 ..."},
            {SM_ID_VIEW_LOG, "查看日志 ..."},
            {0, ""},
            {SM_ID_BACKUP, "数据备份 ..."},
            {SM_ID_RESTORE, "数据恢复 ..."},
            {0, ""},
            {SM_ID_EXPORT_INTERFACE, "导出标准接口数据 ..."},
            {SM_ID_SQL_MAINTENANCE, "SQL语言数据维护 ..."}}},
          {"查看(&V)",
           {{SM_ID_TEMPLATE_BOX, "文档模板目录(&M)\tAlt+2"},
            {SM_ID_SHOW_TOOLBAR, "工具栏(&G)"},
            {SM_ID_SHOW_STATUS_BAR, "状态栏(&S)"}}},
          {"帮助(&H)",
           {{SM_ID_HELP, "帮助主题(&H)\tF1"},
            {SM_ID_HOME_PAGE, "访问主页(&W)"},
            {0, ""},
            {SM_ID_APP_ABOUT, "关于本软件(&A)..."}}},
      };
    case SM_IDR_FORM_MENU:
      return {
          {"文件(&F)",
           {{SM_ID_LOGIN, "操作环境注册 ...\tAlt+1"},
            {0, ""},
            {SM_ID_FILE_CLOSE, "关闭(&C)\tCtrl+F4"},
            {SM_ID_FILE_SAVE, "保存(&S)\tCtrl+S"},
            {SM_ID_FILE_SAVE_AS, "另存为(&A)..."},
            {SM_ID_DOC_SAVE_AS_TEXT, "保存为文本文档 ..."},
            {0, ""},
            {SM_ID_FILE_PAGE_SETUP, "页面设置(&U)..."},
            {SM_ID_FILE_PRINT_SETUP, "打印设置(&R)..."},
            {SM_ID_FILE_PRINT, "打印(&P)..."},
            {SM_ID_FILE_PRINT_PREVIEW, "打印预览(&V)"},
            {0, ""},
            {SM_ID_APP_EXIT, "退出(&X)"}}},
          {"编辑(&E)",
           {{SM_ID_EDIT_UNDO, "撤消(&U)"},
            {0, ""},
            {SM_ID_EDIT_CUT, "剪切(&T)"},
            {SM_ID_EDIT_COPY, "复制(&C)"},
            {SM_ID_EDIT_PASTE, "粘贴(&P)"},
            {SM_ID_EDIT_CLEAR, "清除(&L)"},
            {0, ""},
            {SM_ID_EDIT_SELECT_ALL, "全选(&A)"},
            {SM_ID_EDIT_FIND, "查找(&F)..."},
            {SM_ID_EDIT_REPLACE, "替换(&R)..."}}},
          {"窗口(&W)",
           {{SM_ID_WINDOW_CASCADE, "层叠(&C)"},
            {SM_ID_WINDOW_TILE_HORZ, "横向平铺(&H)"},
            {SM_ID_WINDOW_TILE_VERT, "纵向平铺(&V)"}}},
      };
    case SM_IDR_EMPTY_MENU:
      return {{"空菜单", {}}};
    case SM_IDR_GRID_MENU:
      return {{"SmFormMenu",
               {{SM_ID_PRINT_ODD_PAGES, "打印奇数页"},
                {SM_ID_PRINT_EVEN_PAGES, "打印偶数页"},
                {0, ""},
                {SM_ID_EDIT_CUT, "剪切\tCtrl+X"},
                {SM_ID_EDIT_COPY, "复制\tCtrl+C"},
                {SM_ID_EDIT_PASTE, "粘贴\tCtrl+V"},
                {SM_ID_PASTE_INTO_SELECTION, "在多个单元格内粘贴\tCtrl+B"},
                {SM_ID_PASTE_INTO_COLUMN, "将此单元格内容在整栏粘贴\tCtrl+L"},
                {SM_ID_INSERT_ROW_AT, "在当前行处加一空行\tShift+Enter"},
                {SM_ID_INSERT_ROW_AFTER, "在当前行后加一空行\tCtrl+Enter"},
                {SM_ID_GRID_DELETE, "删除\tDel"},
                {SM_ID_EDIT_SELECT_ALL, "全选\tCtrl+A"},
                {0, ""},
                {SM_ID_EDIT_FIND, "查找\tCtrl+F"},
                {SM_ID_EDIT_REPEAT, "查找下一个\tF3"},
                {SM_ID_EDIT_REPLACE, "替换\tCtrl+H"}}}};
    case SM_IDR_FRAME_CONTEXT:
      return {{"",
               {{SM_ID_CALCULATOR, "计算器(D)...\tF12"},
                {SM_ID_LOGIN, "操作环境注册 ...\tAlt+1"},
                {SM_ID_TEMPLATE_BOX, "文档模板目录(&M)\tAlt+2"},
                {SM_ID_SHOW_TOOLBAR, "工具栏(&G)"},
                {SM_ID_SHOW_STATUS_BAR, "状态栏(&S)"},
                {0, ""},
                {SM_ID_HELP, "帮助主题(&H)\tF1"}}}};
    case SM_IDR_CANE_SETTINGS:
      return {{"设置(&S)",
               {{SM_ID_SYS_PARAMS, "系统参数 ..."},
                {0, ""},
                {SM_ID_FARMER_DIR, "农户目录 ..."},
                {SM_ID_PLACE_DIR, "甘蔗砍运地目录 ..."},
                {SM_ID_DRIVER_DIR, "驾驶员目录 ..."},
                {SM_ID_VARIETY_DIR, "甘蔗品种目录 ..."},
                {0, ""},
                {SM_ID_COMM_PORTS, "串口参数 ..."}}}};
    case SM_IDR_RILO_CONTEXT:
      return {{"RBMENU",
               {{SM_ID_EDIT_UNDO, "撤消(&U)\tCtrl+Z"},
                {SM_ID_EDIT_REDO, "恢复撤消(&R)\tCtrl+Y"},
                {0, ""},
                {SM_ID_EDIT_CUT, "剪切(&T)\tCtrl+X"},
                {SM_ID_EDIT_COPY, "复制(&C)\tCtrl+C"},
                {SM_ID_EDIT_PASTE, "粘贴(&P)\tCtrl+V"},
                {0, ""},
                {SM_ID_RILO_CALCULATE, "报表计算...\tF5"},
                {0, ""},
                {SM_ID_RILO_FONT, "字体 ..."},
                {SM_ID_RILO_LINES, "表线、背景色 ..."},
                {SM_ID_RILO_CELL_LAYOUT, "单元格版面 ..."},
                {SM_ID_RILO_NUM_FORMAT, "单元格数值格式..."},
                {0, ""},
                {SM_ID_RILO_CELL_TEXT, "单元格文本编辑 ...\tCtrl+Enter"}}}};
    case SM_IDR_REPORT_MODULE:
      return {
          {"文件(&F)",
           {{SM_ID_FILE_NEW, "新建(&N)\tCtrl+N"},
            {SM_ID_FILE_OPEN, "打开(&O)...\tCtrl+O"},
            {SM_ID_FILE_CLOSE, "关闭(&C)\tCtrl+F4"},
            {0, ""},
            {SM_ID_FILE_SAVE, "保存(&S)\tCtrl+S"},
            {SM_ID_FILE_SAVE_AS, "另存为(&A)..."},
            {SM_ID_RILO_SAVE_TEXT, "保存成文本文档 ..."},
            {0, ""},
            {SM_ID_RILO_STORE_FILE, "表保存格式：文件"},
            {SM_ID_RILO_STORE_DB, "表保存格式：数据库"},
            {0, ""},
            {SM_ID_FILE_PAGE_SETUP, "打印页面设置(&L)..."},
            {SM_ID_FILE_PRINT, "打印(&P)..."},
            {SM_ID_FILE_PRINT_PREVIEW, "打印预览(&V)"},
            {0, ""},
            {SM_ID_APP_EXIT, "退出(&X)"}}},
          {"编辑(&E)",
           {{SM_ID_EDIT_UNDO, "撤消(&U)\tCtrl+Z"},
            {SM_ID_EDIT_REDO, "恢复撤消(&R)\tCtrl+Y"},
            {0, ""},
            {SM_ID_EDIT_CUT, "剪切(&T)\tCtrl+X"},
            {SM_ID_EDIT_COPY, "复制(&C)\tCtrl+C"},
            {SM_ID_EDIT_PASTE, "粘贴(&P)\tCtrl+V"},
            {0, ""},
            {SM_ID_RILO_CELL_TEXT, "单元格文本编辑 ...\tCtrl+Enter"},
            {0, ""},
            {SM_ID_RILO_EDIT_MASTER, "母表正文编辑状态\tF2"},
            {SM_ID_RILO_EDIT_CHILD, "子表正文编辑状态\tF3"},
            {SM_ID_RILO_EDIT_FETCH, "取数公式编辑状态\tF4"},
            {SM_ID_RILO_EDIT_AUDIT, "审核公式编辑状态"},
            {0, ""},
            {SM_ID_RILO_PRINT_BY_ROW, "逐行打印状态(&H)"},
            {SM_ID_RILO_PRINT_BY_COLUMN, "逐栏打印状态(&L)"}}},
          {"查看(&V)",
           {{SM_ID_VIEW_TOOLBAR, "工具栏(&G)"},
            {SM_ID_VIEW_STATUS_BAR, "状态栏(&S)"},
            {SM_ID_RILO_FORMAT_BAR, "对话栏(&D)"}}},
          {"格式(&O)",
           {{SM_ID_RILO_FONT, "字体 ..."},
            {SM_ID_RILO_LINES, "表线、背景色 ..."},
            {SM_ID_RILO_CELL_LAYOUT, "单元格版面 ..."},
            {SM_ID_RILO_NUM_FORMAT, "单元格数值格式..."},
            {0, ""},
            {SM_ID_RILO_INSERT, "增加行、栏 ..."},
            {SM_ID_RILO_DELETE, "删除行、栏 ..."},
            {SM_ID_RILO_SIZES, "设置行高、栏宽 ..."}}},
          {"填制(&R)",
           {{SM_ID_RILO_CALCULATE, "报表计算(&R)...\tF5"},
            {SM_ID_RILO_AUDIT, "报表审核(&S)...\tF7"},
            {SM_ID_RILO_SUM, "报表汇总(&H)...\tF8"},
            {0, ""},
            {SM_ID_RILO_VARIABLES, "变量表..."},
            {SM_ID_RILO_PASSWORDS, "报表加密..."},
            {0, ""},
            {SM_ID_CALCULATOR, "计算器(D)...\tF12"}}},
          {"窗口(&W)",
           {{SM_ID_WINDOW_CASCADE, "层叠(&C)"},
            {SM_ID_WINDOW_TILE_HORZ, "横向平铺(&H)"},
            {SM_ID_WINDOW_TILE_VERT, "纵向平铺(&V)"}}},
          {"帮助(&H)",
           {{SM_ID_HELP, "帮助主题(&H)\tF1"}, {0, ""}, {SM_ID_APP_ABOUT, "关于本软件(&A)..."}}},
      };
    default:
      return {};
  }
}

// A simple drawn glyph: a rounded tile in the colour with a letter or sign on it.
QPixmap DrawGlyph(QColor colour, const QString& sign, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(colour.darker(140));
  painter.setBrush(colour);
  painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 3, 3);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(size - 5);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, sign);
  return pixmap;
}

// A glyph icon drawn when it is first shown, not when it is made.
QIcon Glyph(QColor colour, const QString& sign, int size = 16) {
  return SmLazyIcon([colour, sign, size] { return QIcon(DrawGlyph(colour, sign, size)); }, size,
                    true);
}

// Caption button images: a cross, a bar pointing left and a bar pointing up.
QIcon PaneImage(int index, int width) {
  QPixmap pixmap(width, width);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QPen(Qt::black, 1.6));
  const int m = 3;
  const int e = width - 1 - m;
  if (index == 0) {
    painter.drawLine(m, m, e, e);
    painter.drawLine(m, e, e, m);
  } else if (index == 1) {
    painter.drawLine(m, width / 2, e, width / 2);
    painter.drawLine(m, m, m, e);
  } else {
    painter.drawLine(width / 2, m, width / 2, e);
    painter.drawLine(m, m, e, m);
  }
  return QIcon(pixmap);
}

// An arrow head at `tip` pointing along (dx, dy), 5 pixels long.
void AddArrowHead(QPainterPath& path, QPointF tip, double dx, double dy) {
  const QPointF back = tip - QPointF(dx, dy) * 5;
  const QPointF side(-dy * 4, dx * 4);
  path.moveTo(tip);
  path.lineTo(back + side);
  path.lineTo(back - side);
  path.closeSubpath();
}

// A cursor of black shapes with a white outline, so that it shows on any background.
QCursor OutlinedCursor(const QPainterPath& path, QPoint hotSpot) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.strokePath(path, QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.fillPath(path, Qt::black);
  painter.strokePath(path, QPen(Qt::black, 1));
  painter.end();
  return QCursor(pixmap, hotSpot.x(), hotSpot.y());
}

// Two parallel lines with arrows leading away from them: across the lines when `vertical`
// (a row gap), else sideways (a column width).
QCursor BorderCursor(bool vertical) {
  QPainterPath path;
  const auto line = [&path](QPointF from, QPointF to) {
    path.moveTo(from);
    path.lineTo(to);
  };
  const auto flip = [vertical](double x, double y) {
    return vertical ? QPointF(y, x) : QPointF(x, y);
  };
  line(flip(14.5, 6), flip(14.5, 26));
  line(flip(17.5, 6), flip(17.5, 26));
  line(flip(5, 16), flip(14.5, 16));
  line(flip(17.5, 16), flip(27, 16));
  AddArrowHead(path, flip(3, 16), vertical ? 0 : -1, vertical ? -1 : 0);
  AddArrowHead(path, flip(29, 16), vertical ? 0 : 1, vertical ? 1 : 0);
  return OutlinedCursor(path, QPoint(16, 16));
}

// One line with arrows leading away from it: across the line when `vertical` (a row border),
// else sideways (a column border).
QCursor SingleBorderCursor(bool vertical) {
  QPainterPath path;
  const auto flip = [vertical](double x, double y) {
    return vertical ? QPointF(y, x) : QPointF(x, y);
  };
  path.moveTo(flip(16, 6));
  path.lineTo(flip(16, 26));
  path.moveTo(flip(5, 16));
  path.lineTo(flip(27, 16));
  AddArrowHead(path, flip(3, 16), vertical ? 0 : -1, vertical ? -1 : 0);
  AddArrowHead(path, flip(29, 16), vertical ? 0 : 1, vertical ? 1 : 0);
  return OutlinedCursor(path, QPoint(16, 16));
}

// A thick cross over cells.
QCursor CellCursor() {
  QPainterPath path;
  path.addRect(QRectF(13, 5, 6, 22));
  path.addRect(QRectF(5, 13, 22, 6));
  path.setFillRule(Qt::WindingFill);
  return OutlinedCursor(path.simplified(), QPoint(16, 16));
}

// A thick arrow ending at `tip`, pointing along (dx, dy).
QCursor ArrowCursor(QPointF tip, double dx, double dy) {
  QPainterPath path;
  const QPointF unit = QPointF(dx, dy) / std::hypot(dx, dy);
  const QPointF side(-unit.y(), unit.x());
  const QPointF neck = tip - unit * 8;
  const QPointF tail = tip - unit * 20;
  path.moveTo(tip);
  path.lineTo(neck + side * 7);
  path.lineTo(neck + side * 2.5);
  path.lineTo(tail + side * 2.5);
  path.lineTo(tail - side * 2.5);
  path.lineTo(neck - side * 2.5);
  path.lineTo(neck - side * 7);
  path.closeSubpath();
  return OutlinedCursor(path, tip.toPoint());
}

// The report window's keys; they reach the view as commands.
std::vector<SmAccelerator> ReportAccelerators() {
  return {{QKeyCombination(Qt::Key_F2), SM_ID_RILO_EDIT_MASTER},
          {QKeyCombination(Qt::Key_F3), SM_ID_RILO_EDIT_CHILD},
          {QKeyCombination(Qt::Key_F4), SM_ID_RILO_EDIT_FETCH},
          {QKeyCombination(Qt::Key_F5), SM_ID_RILO_CALCULATE},
          {QKeyCombination(Qt::Key_F7), SM_ID_RILO_AUDIT},
          {QKeyCombination(Qt::Key_F8), SM_ID_RILO_SUM},
          {QKeyCombination(Qt::Key_F12), SM_ID_CALCULATOR},
          {QKeyCombination(Qt::Key_F1), SM_ID_HELP},
          {Qt::SHIFT | Qt::Key_F1, SM_ID_CONTEXT_HELP},
          {QKeyCombination(Qt::Key_F6), SM_ID_NEXT_PANE},
          {Qt::SHIFT | Qt::Key_F6, SM_ID_PREV_PANE},
          {Qt::CTRL | Qt::Key_C, SM_ID_EDIT_COPY},
          {Qt::CTRL | Qt::Key_Insert, SM_ID_EDIT_COPY},
          {Qt::CTRL | Qt::Key_X, SM_ID_EDIT_CUT},
          {Qt::SHIFT | Qt::Key_Delete, SM_ID_EDIT_CUT},
          {Qt::CTRL | Qt::Key_V, SM_ID_EDIT_PASTE},
          {Qt::SHIFT | Qt::Key_Insert, SM_ID_EDIT_PASTE},
          {Qt::CTRL | Qt::Key_Z, SM_ID_EDIT_UNDO},
          {Qt::ALT | Qt::Key_Backspace, SM_ID_EDIT_UNDO},
          {Qt::CTRL | Qt::Key_Y, SM_ID_EDIT_REDO},
          {Qt::CTRL | Qt::Key_N, SM_ID_FILE_NEW},
          {Qt::CTRL | Qt::Key_O, SM_ID_FILE_OPEN},
          {Qt::CTRL | Qt::Key_S, SM_ID_FILE_SAVE},
          {Qt::CTRL | Qt::Key_P, SM_ID_FILE_PRINT},
          {Qt::CTRL | Qt::Key_F4, SM_ID_FILE_CLOSE},
          {Qt::ALT | Qt::Key_F4, SM_ID_APP_EXIT},
          {Qt::ALT | Qt::Key_2, SM_ID_TEMPLATE_BOX},
          {Qt::CTRL | Qt::Key_Return, SM_ID_RILO_CELL_TEXT},
          {Qt::CTRL | Qt::Key_Enter, SM_ID_RILO_CELL_TEXT}};
}

// The format bar's prompts: status text and tooltip.
const char* FormatBarText(int id) {
  switch (id) {
    case SM_ID_RILO_FACE_COMBO:
      return "设置字体";
    case SM_ID_RILO_SIZE_COMBO:
      return "设置字体大小";
    case SM_ID_RILO_ZOOM_COMBO:
      return "显示百分比";
    case SM_ID_RILO_BOLD:
      return "字体加粗";
    case SM_ID_RILO_ITALIC:
      return "斜体字";
    case SM_ID_RILO_UNDERLINE:
      return "加下划线";
    case SM_ID_RILO_ALIGN_LEFT:
      return "居左";
    case SM_ID_RILO_ALIGN_CENTER:
      return "居中";
    case SM_ID_RILO_ALIGN_RIGHT:
      return "居右";
    case SM_ID_RILO_DISTRIBUTE:
      return "分散居中";
    case SM_ID_RILO_SPAN_LEFT:
      return "跨栏居左";
    case SM_ID_RILO_SPAN_CENTER:
      return "跨栏居中";
    case SM_ID_RILO_SPAN_RIGHT:
      return "跨栏居右";
    case SM_ID_RILO_SPAN_DISTRIBUTE:
      return "跨栏分散居中";
    case SM_ID_RILO_ROWS_TOP:
      return "跨行靠上";
    case SM_ID_RILO_VERTICAL_CENTER:
      return "垂直居中";
    case SM_ID_RILO_ROWS_BOTTOM:
      return "跨行靠下";
    case SM_ID_RILO_ROWS_CENTER:
      return "跨行居中";
    case SM_ID_RILO_LINES_FIRST:
      return "框粗网细";
    case SM_ID_RILO_LINES_FIRST + 1:
      return "框粗网无";
    case SM_ID_RILO_LINES_FIRST + 2:
      return "框网皆细";
    default:
      return nullptr;
  }
}

// A 16 x 16 picture of text lines: `lefts` and `widths` of the four lines, with a bracket over
// the top when the lines span cells and `rows` when they stand in a block of rows.
QIcon LinesIcon(std::initializer_list<int> lefts, std::initializer_list<int> widths, int top,
                bool spanColumns, bool spanRows) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QPen(QColor(30, 30, 30), 1));
  auto left = lefts.begin();
  auto width = widths.begin();
  for (int y = top; left != lefts.end() && width != widths.end(); ++left, ++width, y += 3)
    painter.drawLine(*left, y, *left + *width - 1, y);
  painter.setPen(QPen(QColor(178, 34, 34), 1));
  if (spanColumns) {
    painter.drawLine(0, 1, 15, 1);
    painter.drawLine(0, 1, 0, 3);
    painter.drawLine(15, 1, 15, 3);
  }
  if (spanRows) {
    painter.drawLine(0, 0, 0, 15);
    painter.drawLine(15, 0, 15, 15);
  }
  return QIcon(pixmap);
}

// A 16 x 16 grid of three by three cells: the frame and the inner lines thick (2), thin (1) or
// none (0).
QIcon GridIcon(int frame, int inner) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  if (inner > 0) {
    painter.setPen(QPen(Qt::black, inner));
    for (int at : {5, 10}) {
      painter.drawLine(at, 1, at, 14);
      painter.drawLine(1, at, 14, at);
    }
  }
  painter.setPen(QPen(Qt::black, frame));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(frame / 2.0, frame / 2.0, 16 - frame, 16 - frame));
  return QIcon(pixmap);
}

QIcon FormatBarIcon(int id) {
  switch (id) {
    case SM_ID_RILO_BOLD:
      return SmThemeIcon("format-text-bold", Glyph(QColor(60, 60, 60), "B"));
    case SM_ID_RILO_ITALIC:
      return SmThemeIcon("format-text-italic", Glyph(QColor(60, 60, 60), "I"));
    case SM_ID_RILO_UNDERLINE:
      return SmThemeIcon("format-text-underline", Glyph(QColor(60, 60, 60), "U"));
    case SM_ID_RILO_ALIGN_LEFT:
      return LinesIcon({1, 1, 1, 1}, {14, 9, 12, 7}, 4, false, false);
    case SM_ID_RILO_ALIGN_CENTER:
      return LinesIcon({1, 4, 2, 5}, {14, 8, 12, 6}, 4, false, false);
    case SM_ID_RILO_ALIGN_RIGHT:
      return LinesIcon({1, 6, 3, 8}, {14, 9, 12, 7}, 4, false, false);
    case SM_ID_RILO_DISTRIBUTE:
      return LinesIcon({1, 1, 1, 1}, {14, 14, 14, 14}, 4, false, false);
    case SM_ID_RILO_SPAN_LEFT:
      return LinesIcon({1, 1, 1}, {14, 8, 11}, 6, true, false);
    case SM_ID_RILO_SPAN_CENTER:
      return LinesIcon({1, 4, 2}, {14, 8, 12}, 6, true, false);
    case SM_ID_RILO_SPAN_RIGHT:
      return LinesIcon({1, 7, 4}, {14, 8, 11}, 6, true, false);
    case SM_ID_RILO_SPAN_DISTRIBUTE:
      return LinesIcon({1, 1, 1}, {14, 14, 14}, 6, true, false);
    case SM_ID_RILO_ROWS_TOP:
      return LinesIcon({3, 3}, {10, 10}, 2, false, true);
    case SM_ID_RILO_VERTICAL_CENTER:
      return LinesIcon({3, 3}, {10, 10}, 6, false, false);
    case SM_ID_RILO_ROWS_BOTTOM:
      return LinesIcon({3, 3}, {10, 10}, 10, false, true);
    case SM_ID_RILO_ROWS_CENTER:
      return LinesIcon({3, 3}, {10, 10}, 6, false, true);
    case SM_ID_RILO_LINES_FIRST:
      return GridIcon(2, 1);
    case SM_ID_RILO_LINES_FIRST + 1:
      return GridIcon(2, 0);
    case SM_ID_RILO_LINES_FIRST + 2:
      return GridIcon(1, 1);
    default:
      return {};
  }
}

}  // namespace

std::string SmLoadString(int id) {
  const char* text = FormatBarText(id);
  if (!text) return {};
  return std::string(text) + "\n" + text;
}

QCursor SmLoadCursor(int id) {
  switch (id) {
    case SM_IDC_ROW_GAP:
      return BorderCursor(true);
    case SM_IDC_COLUMN_WIDTH:
      return BorderCursor(false);
    case SM_IDC_ROW_SELECT:
      return ArrowCursor(QPointF(28, 16), 1, 0);
    case SM_IDC_COLUMN_SELECT:
      return ArrowCursor(QPointF(16, 28), 0, 1);
    case SM_IDC_SELECT_ALL:
      return ArrowCursor(QPointF(26, 26), 1, 1);
    case SM_IDC_RILO_ROW_BORDER:
      return SingleBorderCursor(true);
    case SM_IDC_RILO_COLUMN_BORDER:
      return SingleBorderCursor(false);
    case SM_IDC_RILO_CELL:
      return CellCursor();
    default:
      return QCursor(Qt::ArrowCursor);
  }
}

std::vector<QMenu*> SmLoadMenu(int id, QWidget* parent) {
  std::vector<QMenu*> popups;
  CSmCommandManager& commands = CSmCommandManager::Instance();
  for (const Popup& popup : MenuResource(id)) {
    auto* menu = new QMenu(QString::fromUtf8(popup.title), parent);
    for (const MenuItem& item : popup.items) {
      if (item.id == 0) {
        menu->addSeparator();
      } else {
        QAction* action = commands.Register(item.id, item.text);
        if (action->icon().isNull()) action->setIcon(SmLoadIcon(item.id));
        menu->addAction(action);
      }
    }
    commands.AttachMenu(menu);
    if (!popup.items.empty() && popup.items.front().id == SM_ID_WINDOW_CASCADE) {
      QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        if (CSmFrameWnd* main = CSmFrameWnd::Main()) main->ListWindows(menu);
      });
    }
    popups.push_back(menu);
  }
  return popups;
}

std::vector<std::pair<int, std::string>> SmMenuItems(int id) {
  std::vector<std::pair<int, std::string>> items;
  const std::vector<Popup> popups = MenuResource(id);
  if (popups.empty()) return items;
  for (const MenuItem& item : popups.front().items) items.emplace_back(item.id, item.text);
  return items;
}

std::vector<int> SmToolBarCommands(int id) {
  switch (id) {
    case SM_IDR_MAINFRAME:
      return {SM_ID_FILE_NEW, SM_ID_FILE_OPEN, 0, SM_ID_LOGIN, 0, SM_ID_CALCULATOR, 0,
              SM_ID_APP_ABOUT};
    case SM_IDR_FORM_MENU:
    case SM_IDR_EMPTY_MENU:
      return {SM_ID_FILE_SAVE,  0, SM_ID_EDIT_CUT,   SM_ID_EDIT_COPY,
              SM_ID_EDIT_PASTE, 0, SM_ID_FILE_PRINT, SM_ID_FILE_PRINT_PREVIEW};
    case SM_IDR_REPORT_MODULE:
      return {SM_ID_FILE_NEW,
              SM_ID_FILE_OPEN,
              SM_ID_FILE_SAVE,
              0,
              SM_ID_EDIT_CUT,
              SM_ID_EDIT_COPY,
              SM_ID_EDIT_PASTE,
              0,
              SM_ID_FILE_PRINT,
              SM_ID_FILE_PRINT_PREVIEW,
              0,
              SM_ID_CALCULATOR};
    case SM_IDR_RILO_FORMAT_BAR:
      // Buttons by position; the three combo boxes stand at their identifiers.
      return {SM_ID_RILO_FACE_COMBO,
              0,
              SM_ID_RILO_SIZE_COMBO,
              0,
              SM_ID_RILO_BOLD,
              SM_ID_RILO_ITALIC,
              SM_ID_RILO_UNDERLINE,
              0,
              SM_ID_RILO_ALIGN_LEFT,
              SM_ID_RILO_ALIGN_CENTER,
              SM_ID_RILO_ALIGN_RIGHT,
              SM_ID_RILO_DISTRIBUTE,
              0,
              SM_ID_RILO_SPAN_LEFT,
              SM_ID_RILO_SPAN_CENTER,
              SM_ID_RILO_SPAN_RIGHT,
              SM_ID_RILO_SPAN_DISTRIBUTE,
              0,
              SM_ID_RILO_ROWS_TOP,
              SM_ID_RILO_VERTICAL_CENTER,
              SM_ID_RILO_ROWS_BOTTOM,
              SM_ID_RILO_ROWS_CENTER,
              0,
              SM_ID_RILO_LINES_FIRST,
              SM_ID_RILO_LINES_FIRST + 1,
              SM_ID_RILO_LINES_FIRST + 2,
              0,
              SM_ID_RILO_ZOOM_COMBO};
    default:
      return {};
  }
}

std::vector<SmAccelerator> SmLoadAccelerators(int id) {
  if (id == SM_IDR_REPORT_MODULE) return ReportAccelerators();
  if (id != SM_IDR_FORM_MENU && id != SM_IDR_EMPTY_MENU) return {};
  return {{QKeyCombination(Qt::Key_F6), SM_ID_NEXT_PANE},
          {Qt::SHIFT | Qt::Key_F6, SM_ID_PREV_PANE},
          {Qt::CTRL | Qt::Key_S, SM_ID_FILE_SAVE},
          {Qt::CTRL | Qt::Key_P, SM_ID_FILE_PRINT},
          {Qt::CTRL | Qt::Key_X, SM_ID_EDIT_CUT},
          {Qt::SHIFT | Qt::Key_Delete, SM_ID_EDIT_CUT},
          {Qt::CTRL | Qt::Key_C, SM_ID_EDIT_COPY},
          {Qt::CTRL | Qt::Key_Insert, SM_ID_EDIT_COPY},
          {Qt::CTRL | Qt::Key_V, SM_ID_EDIT_PASTE},
          {Qt::SHIFT | Qt::Key_Insert, SM_ID_EDIT_PASTE},
          {Qt::CTRL | Qt::Key_Z, SM_ID_EDIT_UNDO},
          {QKeyCombination(Qt::Key_Delete), SM_ID_EDIT_CLEAR},
          {Qt::CTRL | Qt::Key_A, SM_ID_EDIT_SELECT_ALL},
          {Qt::CTRL | Qt::Key_F, SM_ID_EDIT_FIND},
          {Qt::CTRL | Qt::Key_H, SM_ID_EDIT_REPLACE}};
}

int SmAcceleratorCommand(const std::vector<SmAccelerator>& table, const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers =
      event.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  const QKeyCombination key(modifiers, static_cast<Qt::Key>(event.key()));
  for (const SmAccelerator& accelerator : table) {
    if (accelerator.key == key) return accelerator.id;
  }
  return 0;
}

// The carry-over list's icons: an item whose tables are empty in the target, and one whose
// tables already hold rows there.
constexpr int kCarryOverEmptyIcon = 612;
constexpr int kCarryOverHeldIcon = 613;

QIcon SmLoadIcon(int id) {
  switch (id) {
    case SM_ID_FILE_NEW:
      return SmThemeIcon("document-new", Glyph(QColor(70, 130, 180), "+"));
    case SM_ID_FILE_OPEN:
      return SmThemeIcon("document-open", Glyph(QColor(218, 165, 32), "O"));
    case SM_ID_LOGIN:
      return SmThemeIcon("system-switch-user", Glyph(QColor(46, 139, 87), "1"));
    case SM_ID_CALCULATOR:
      return SmThemeIcon("accessories-calculator", Glyph(QColor(105, 105, 105), "="));
    case SM_ID_APP_ABOUT:
      return SmThemeIcon("help-about", Glyph(QColor(30, 144, 255), "?"));
    case SM_ID_PASSWORD:
      return SmThemeIcon("dialog-password", {});
    case SM_ID_FILE_PRINT_SETUP:
      return SmThemeIcon("document-print", {});
    case SM_ID_OPERATORS:
      return SmThemeIcon("system-users", {});
    case SM_ID_YEAR_FILE_INFO:
      return SmThemeIcon("document-properties", {});
    case SM_ID_APP_EXIT:
      return SmThemeIcon("application-exit", {});
    case SM_ID_HELP:
      return SmThemeIcon("help-contents", {});
    case SM_ID_HOME_PAGE:
      return SmThemeIcon("go-home", {});
    case SM_ID_FILE_SAVE:
      return SmThemeIcon("document-save", Glyph(QColor(25, 25, 112), "S"));
    case SM_ID_EDIT_CUT:
      return SmThemeIcon("edit-cut", Glyph(QColor(205, 92, 92), "X"));
    case SM_ID_EDIT_COPY:
      return SmThemeIcon("edit-copy", Glyph(QColor(72, 118, 255), "C"));
    case SM_ID_EDIT_PASTE:
      return SmThemeIcon("edit-paste", Glyph(QColor(160, 82, 45), "V"));
    case SM_ID_FILE_PRINT:
      return SmThemeIcon("document-print", Glyph(QColor(85, 107, 47), "P"));
    case SM_ID_FILE_PRINT_PREVIEW:
      return SmThemeIcon("document-print-preview", Glyph(QColor(85, 107, 47), "Q"));
    case kCarryOverEmptyIcon:
      return SmThemeIcon("folder", Glyph(QColor(160, 160, 160), "空"));
    case kCarryOverHeldIcon:
      return SmThemeIcon("folder-documents", Glyph(QColor(70, 130, 180), "有"));
    case SM_IDR_MAINFRAME:
      return SmProgramIcon();
    case SM_IDR_CANE_SETTINGS:
      return Glyph(QColor(34, 139, 34), "蔗");
    case SM_IDR_REPORT_MODULE:
      return Glyph(QColor(178, 34, 34), "表");
    default:
      return FormatBarIcon(id);
  }
}

// The theme's icon for what a kind of document is (a weighing card, a settlement, a ledger, a
// report ...); a page with the number deciding its colour where the theme has none.
QIcon SmLoadKindIcon(int id) {
  static const std::map<int, const char*> kThemeNames = {
      {659, "document-new"},
      {656, "document-edit"},
      {629, "view-list-details"},
      {674, "view-financial-account-cash"},
      {685, "view-financial-account"},
      {669, "view-bank"},
      {644, "wallet-open"},
      {647, "view-financial-list"},
      {667, "view-financial-list"},
      {616, "view-calendar-day"},
      {655, "office-report"},
      {642, "view-statistics"},
      {661, "view-statistics"},
      {673, "office-chart-bar"},
      {643, "office-chart-bar"},
      {631, "view-time-schedule"},
      {630, "view-time-schedule"},
      {668, "view-financial-budget"},
      {671, "view-financial-budget"},
      {664, "view-financial-account-savings"},
      {658, "view-financial-account-savings"},
      {130, "view-calendar-list"},
  };
  const int hue = (id * 47) % 360;
  const QIcon drawn = Glyph(QColor::fromHsv(hue, 150, 180), QStringLiteral("文"), 32);
  const auto found = kThemeNames.find(id);
  return SmThemeIcon(found == kThemeNames.end() ? "x-office-document" : found->second, drawn);
}

QIcon SmProgramIcon() {
  static const QIcon icon = SmLazyIcon(
      [] {
        QPixmap picture;
        picture.loadFromData(kSmProgramIconPng, sizeof kSmProgramIconPng, "PNG");
        return QIcon(picture);
      },
      32, true);
  return icon;
}

std::vector<QIcon> SmLoadImageList(int id, int width) {
  if (id != SM_IDB_PANE_BUTTONS) return {};
  return {PaneImage(0, width), PaneImage(1, width), PaneImage(2, width)};
}
