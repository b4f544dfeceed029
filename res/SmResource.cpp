#include "res/SmResource.h"

#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <string>

#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDesktop.h"

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
           {{SM_ID_TEMPLATE_BOX, "文档模板目录(&M)"},
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
            {SM_ID_FILE_CLOSE, "关闭(&C)"},
            {SM_ID_FILE_SAVE, "保存(&S)"},
            {SM_ID_FILE_SAVE_AS, "另存为(&A)..."},
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
                {SM_ID_TEMPLATE_BOX, "文档模板目录(&M)"},
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
    default:
      return {};
  }
}

// A simple drawn glyph: a rounded tile in the colour with a letter or sign on it.
QIcon Glyph(QColor colour, const QString& sign, int size = 16) {
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
  return QIcon(pixmap);
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

}  // namespace

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
    default:
      return {};
  }
}

std::vector<SmAccelerator> SmLoadAccelerators(int id) {
  if (id != SM_IDR_FORM_MENU && id != SM_IDR_EMPTY_MENU) return {};
  return {{Qt::CTRL | Qt::Key_S, SM_ID_FILE_SAVE},
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
    case SM_IDR_CANE_SETTINGS:
      return Glyph(QColor(34, 139, 34), "蔗");
    case SM_IDR_REPORT_MODULE:
      return Glyph(QColor(178, 34, 34), "表");
    default:
      return {};
  }
}

// A page with the kind's icon number deciding its colour: kinds of one template look alike,
// neighbouring numbers apart.
QIcon SmLoadKindIcon(int id) {
  const int hue = (id * 47) % 360;
  return Glyph(QColor::fromHsv(hue, 150, 180), QStringLiteral("文"), 32);
}

std::vector<QIcon> SmLoadImageList(int id, int width) {
  if (id != SM_IDB_PANE_BUTTONS) return {};
  return {PaneImage(0, width), PaneImage(1, width), PaneImage(2, width)};
}
