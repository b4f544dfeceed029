#pragma once
// Menus, toolbar and pictures of the program, kept as code: a menu resource is a list of
// popups whose items are the commands' shared actions (platform/SmCommand.h).
#include <QCursor>
#include <QIcon>
#include <QKeyCombination>
#include <string>
#include <utility>
#include <vector>

class QKeyEvent;
class QMenu;
class QWidget;

// Resource ids.
enum : int {
  SM_IDR_MAINFRAME = 128,      // main menu (File, System, View, Help) and toolbar
  SM_IDR_FRAME_CONTEXT = 303,  // right-click menu of the main frame's client area
  SM_IDR_REPORT_MODULE = 304,  // report window: menu, keys, standard toolbar; the module's tab icon
  SM_IDR_RILO_CONTEXT = 305,   // "RBMENU": right-click menu of the report view
  SM_IDR_FORM_MENU = 307,      // File, Edit and Window menus of document windows; their keys
  SM_IDR_EMPTY_MENU = 308,     // "空菜单": frames that take every menu from 307 and 128
  SM_IDR_CANE_SETTINGS = 324,  // the cane module's Settings menu and tab icon
  SM_IDR_GRID_MENU = 330,      // "SmFormMenu": right-click menu of the form grid
  SM_IDR_RILO_FORMAT_BAR = 411,  // the report window's format bar
  SM_IDB_PANE_BUTTONS = 1001,    // caption buttons of docking panes (13 pixels per image)
};

// Mouse cursors of the form grid.
enum : int {
  SM_IDC_ROW_GAP = 350,        // on a row line: drag the row gap
  SM_IDC_COLUMN_WIDTH = 351,   // on a column line: drag the column's width
  SM_IDC_ROW_SELECT = 352,     // left of a row: select the row
  SM_IDC_COLUMN_SELECT = 353,  // on a column's caption: select the column
  SM_IDC_SELECT_ALL = 354,     // on the table's top-left corner: select everything
};

// Mouse cursors of the report view; a border whose next row or column is hidden shows 350 or
// 351.
enum : int {
  SM_IDC_RILO_ROW_BORDER = 356,     // on a row border: drag the row's height
  SM_IDC_RILO_COLUMN_BORDER = 357,  // on a column border: drag the column's width
  SM_IDC_RILO_CELL = 358,           // over cells and header cells
};

// Commands of the main frame, its panes and the template box.
enum : int {
  SM_ID_PANE_HIDE = 43020,
  SM_ID_PANE_FLOAT = 43021,
  SM_ID_TEMPLATE_BOX = 43101,
  SM_ID_SHOW_TOOLBAR = 43120,
  SM_ID_SHOW_STATUS_BAR = 43121,
  SM_ID_RENAME_PAGE = 43122,
  SM_ID_SELECT_PAGE_FIRST = 43139,  // 43139 to 43148 select page 0 to 9
  SM_ID_SELECT_PAGE_LAST = 43148,
  SM_ID_HOME_PAGE = 43160,
};

// The popups of a menu resource, titled, owned by `parent`; empty for an unknown id.
std::vector<QMenu*> SmLoadMenu(int id, QWidget* parent);
// The items of a menu resource's first popup: command and text, command 0 for a separator. For
// menus whose owner builds its own actions.
std::vector<std::pair<int, std::string>> SmMenuItems(int id);
// The commands of a toolbar resource in order, 0 for a separator.
std::vector<int> SmToolBarCommands(int id);
// One key of an accelerator table and the command it gives.
struct SmAccelerator {
  QKeyCombination key;
  int id;
};
// The accelerator table of a resource; empty for an unknown id.
std::vector<SmAccelerator> SmLoadAccelerators(int id);
// The command a key press gives in the table (Ctrl, Shift and Alt count); 0 when none.
int SmAcceleratorCommand(const std::vector<SmAccelerator>& table, const QKeyEvent& event);
// A string resource: for a toolbar button the status prompt and the tooltip, separated by a line
// feed; "" for an unknown id.
std::string SmLoadString(int id);
// The picture of a toolbar button, menu item or module's tab: the desktop theme's icon where
// the theme has it, else a drawn one (16 x 16); empty for a menu item without a picture.
QIcon SmLoadIcon(int id);
// The picture of a document kind in the template list (its icon number).
QIcon SmLoadKindIcon(int id);
// The program's own icon: the main window, every dialog and every document window show it.
QIcon SmProgramIcon();
// A cursor resource (drawn, 32 x 32, black with a white outline); the arrow for an unknown id.
QCursor SmLoadCursor(int id);
// The images of a strip bitmap, `width` pixels each.
std::vector<QIcon> SmLoadImageList(int id, int width);
