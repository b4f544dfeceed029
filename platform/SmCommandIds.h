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
  SM_ID_CONTEXT_HELP = 57669,
  SM_ID_HELP = 57670,
  SM_ID_NEXT_PANE = 57680,
  SM_ID_PREV_PANE = 57681,
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

// Commands of the settlement list and the voucher list (their right-click menus). A command has
// one action and so one text: none of these shares its number with a menu item, which it would
// rename and whose clicks it would take (44604 is 甘蔗品种目录 of the Settings menu).
enum : int {
  SM_ID_SLIP_PAY = 44607,  // "付款" of the selected slips
  SM_ID_SLIP_PAY_CANCEL = 44608,
  SM_ID_REVIEW = 44614,  // "复核" of the selected slips or vouchers
  SM_ID_REVIEW_CANCEL = 44605,
};

// Commands and format-bar controls of the report window.
enum : int {
  SM_ID_RILO_FACE_COMBO = 1070,  // also the separators of the format bar
  SM_ID_RILO_SIZE_COMBO = 1071,
  SM_ID_RILO_ZOOM_COMBO = 1072,
  SM_ID_RILO_BOLD = 32787,
  SM_ID_RILO_STORE_DB = 32850,  // "表保存格式：数据库"
  SM_ID_RILO_NO_BORDER = 33354,
  SM_ID_RILO_SAVE_TEXT = 33358,
  SM_ID_RILO_MONTH_TABLES = 33355,  // the report tree's generated child tables
  SM_ID_RILO_QUARTER_TABLES = 33356,
  SM_ID_RILO_UNIT_TABLES = 33357,
  SM_ID_RILO_TREE_REFRESH = 43112,
  SM_ID_RILO_OPEN_FILES = 43350,
  SM_ID_RILO_PASTE_STRUCTURE = 43351,
  SM_ID_RILO_CELL_TEXT = 33359,
  SM_ID_RILO_VARIABLES = 43119,
  SM_ID_RILO_FONT = 43301,
  SM_ID_RILO_INSERT = 43302,
  SM_ID_RILO_LINES = 43303,
  SM_ID_RILO_CELL_LAYOUT = 43304,
  SM_ID_RILO_SIZES = 43305,
  SM_ID_RILO_FORMAT_BAR = 43306,  // "对话栏(&D)": shows and hides the format bar
  SM_ID_RILO_ITALIC = 43308,
  SM_ID_RILO_UNDERLINE = 43309,
  SM_ID_RILO_ALIGN_LEFT = 43310,
  SM_ID_RILO_ALIGN_CENTER = 43311,
  SM_ID_RILO_ALIGN_RIGHT = 43312,
  SM_ID_RILO_EDIT_MASTER = 43313,
  SM_ID_RILO_EDIT_CHILD = 43314,
  SM_ID_RILO_EDIT_AUDIT = 43315,
  SM_ID_RILO_EDIT_FETCH = 43316,
  SM_ID_RILO_DELETE = 43317,
  SM_ID_RILO_NUM_FORMAT = 43318,
  SM_ID_RILO_CALCULATE = 43319,
  SM_ID_RILO_AUDIT = 43320,
  SM_ID_RILO_SUM = 43323,
  SM_ID_RILO_PASSWORDS = 43324,
  SM_ID_RILO_PRINT_BY_ROW = 43325,
  SM_ID_RILO_PRINT_BY_COLUMN = 43326,
  SM_ID_RILO_DISTRIBUTE = 43327,
  SM_ID_RILO_SPAN_LEFT = 43328,
  SM_ID_RILO_SPAN_CENTER = 43329,
  SM_ID_RILO_SPAN_RIGHT = 43330,
  SM_ID_RILO_SPAN_DISTRIBUTE = 43331,
  SM_ID_RILO_ROWS_TOP = 43332,
  SM_ID_RILO_ROWS_BOTTOM = 43333,
  SM_ID_RILO_VERTICAL_CENTER = 43334,
  SM_ID_RILO_ROWS_CENTER = 43335,
  SM_ID_RILO_LINES_FIRST = 43336,  // 43336 to 43343: the table-line presets 0 to 7
  SM_ID_RILO_LINES_LAST = 43343,
  SM_ID_RILO_STORE_FILE = 43349,  // "表保存格式：文件"
};
