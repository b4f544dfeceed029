#pragma once
// Command ids. Every command has one number; its QAction carries the number as objectName and
// data, so that tests find it without depending on menus or toolbars.

// Standard commands of the window system.
enum : int {
  SM_ID_OK = 1,
  SM_ID_CANCEL = 2,
  SM_ID_ENTER = 3,  // Enter on a control that is not a push button
  SM_ID_FILE_NEW = 57600,
  SM_ID_FILE_OPEN = 57601,
  SM_ID_FILE_CLOSE = 57602,
  SM_ID_FILE_SAVE = 57603,
  SM_ID_FILE_SAVE_AS = 57604,
  SM_ID_FILE_PAGE_SETUP = 57605,
  SM_ID_FILE_PRINT_SETUP = 57606,
  SM_ID_FILE_PRINT = 57607,
  SM_ID_FILE_PRINT_DIRECT = 57608,
  SM_ID_FILE_PRINT_PREVIEW = 57609,
  SM_ID_EDIT_CLEAR = 57632,
  SM_ID_EDIT_COPY = 57634,
  SM_ID_EDIT_CUT = 57635,
  SM_ID_EDIT_FIND = 57636,
  SM_ID_EDIT_PASTE = 57637,
  SM_ID_EDIT_REPEAT = 57640,  // find next
  SM_ID_EDIT_REPLACE = 57641,
  SM_ID_EDIT_SELECT_ALL = 57642,
  SM_ID_EDIT_UNDO = 57643,
  SM_ID_EDIT_REDO = 57644,
  SM_ID_WINDOW_CASCADE = 57650,
  SM_ID_WINDOW_TILE_HORZ = 57651,
  SM_ID_WINDOW_TILE_VERT = 57652,
  SM_ID_APP_ABOUT = 57664,
  SM_ID_APP_EXIT = 57665,
  SM_ID_HELP_FINDER = 57667,
  SM_ID_HELP = 57670,
  SM_ID_VIEW_TOOLBAR = 59392,
  SM_ID_VIEW_STATUS_BAR = 59393,
};

// Shared commands of lists, trees and dialogs.
enum : int {
  SM_ID_CALCULATOR = 43002,
  SM_ID_LIST_ADD = 43004,
  SM_ID_LIST_OPEN = 43005,
  SM_ID_LIST_MODIFY = 43006,
  SM_ID_LIST_DELETE = 43007,
  SM_ID_VIEW_LARGEICON = 43008,
  SM_ID_VIEW_SMALLICON = 43009,
  SM_ID_VIEW_LIST = 43010,
  SM_ID_VIEW_DETAILS = 43011,
  SM_ID_GO_BACK = 43012,
  SM_ID_GO_FORWARD = 43013,
  SM_ID_DLG_BACKGROUND = 43022,
  SM_ID_WORD_SAVE = 43023,
  SM_ID_WORD_DELETE = 43024,
  SM_ID_LIST_INVERT_SELECTION = 43025,
};

// Commands of table documents.
enum : int {
  SM_ID_CARD_FORM_PRINT = 43400,    // a card printed onto pre-printed forms
  SM_ID_CARD_FORM_PREVIEW = 43408,  // its preview
  SM_ID_OVERLAY_PRINT = 43400,      // 43400 in a form grid: cell contents only
  SM_ID_GRID_DELETE = 43007,        // 43007 in a form grid: the selected cells or text
  SM_ID_PASTE_INTO_SELECTION = 43401,
  SM_ID_PASTE_INTO_COLUMN = 43402,
  SM_ID_INSERT_ROW_AT = 43403,
  SM_ID_INSERT_ROW_AFTER = 43404,
  SM_ID_DOC_PROPERTIES = 43405,
  SM_ID_FORM_DEFAULTS = 43406,  // the document's defaults in a form settings list
  SM_ID_ADD_TEMPLATE = 43407,
  SM_ID_DOC_SAVE_AS_TEXT = 43409,
  SM_ID_EXPORT_STRUCTURE = 43410,
  SM_ID_IMPORT_STRUCTURE = 43411,
  SM_ID_SHOW_DROP_LIST = 43137,  // the current cell's list of choices
  SM_ID_PRINT_ODD_PAGES = 43412,
  SM_ID_PRINT_EVEN_PAGES = 43413,
  SM_ID_DOC_LOAD_TEXT = 43414,
  SM_ID_OVERLAY_PREVIEW = 43408,  // 43408 in a form grid: preview of the overlay print
  SM_ID_DOC_REREAD = 43112,       // reads the document's rows again
};

// Right-click menus of lists, dialogs, trees and word combo boxes.
enum : int {
  SM_IDR_LIST_MENU = 300,
  SM_IDR_DIALOG_MENU = 301,
  SM_IDR_TREE_MENU = 302,
  SM_IDR_WORD_MENU = 320,
};

// Commands of the application (File and System menus) and the cane module's Settings menu.
enum : int {
  SM_ID_LOGIN = 43100,
  SM_ID_OPERATORS = 43104,
  SM_ID_PASSWORD = 43105,
  SM_ID_NEW_YEAR_FILE = 43107,
  SM_ID_YEAR_FILE_INFO = 43108,
  SM_ID_CARRY_OVER = 43109,
  SM_ID_BIZ_MONTHS = 43110,
  SM_ID_VIEW_LOG = 43115,
  SM_ID_BACKUP = 43117,
  SM_ID_RESTORE = 43118,
  SM_ID_DATA_CHECK = 43123,
  SM_ID_SPECIAL_PRINT = 43124,
  SM_ID_SQL_MAINTENANCE = 43130,
  SM_ID_EXPORT_INTERFACE = 43132,
  SM_ID_COMM_PORTS = 43133,
  SM_ID_VAR_DEFAULTS = 43134,  // "取默认值" of the variable list
  SM_ID_FARMER_DIR = 44600,
  SM_ID_SYS_PARAMS = 44601,
  SM_ID_PLACE_DIR = 44602,
  SM_ID_DRIVER_DIR = 44603,
  SM_ID_VARIETY_DIR = 44604,
  SM_ID_FARMER_ADVANCE_TOTALS = 44606,  // "显示预付款合计数" of the farmer list
  SM_ID_BATCH_PARAMS = 44610,           // "成批修改参数" of the farmer and place lists
};
