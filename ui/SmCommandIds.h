#pragma once
// Command ids shared by the lists, trees and dialogs of the toolkit, with the numbers of the
// platform's standard commands where the toolkit uses them.
enum : unsigned {
  SM_IDOK_CMD = 1,
  SM_IDCANCEL_CMD = 2,
  SM_ID_ENTER = 3,  // Enter on a control that is not a push button
  SM_ID_CALCULATOR = 43002,
  SM_ID_ADD = 43004,
  SM_ID_OPEN = 43005,
  SM_ID_MODIFY = 43006,
  SM_ID_DELETE = 43007,
  SM_ID_VIEW_LARGEICON = 43008,
  SM_ID_VIEW_SMALLICON = 43009,
  SM_ID_VIEW_LIST = 43010,
  SM_ID_VIEW_DETAILS = 43011,
  SM_ID_BACK = 43012,
  SM_ID_FORWARD = 43013,
  SM_ID_DLG_BACKGROUND = 43022,
  SM_ID_SAVE_WORD = 43023,
  SM_ID_DELETE_WORD = 43024,
  SM_ID_INVERT_SELECTION = 43025,
  SM_ID_FILE_PAGE_SETUP = 57605,
  SM_ID_FILE_PRINT_SETUP = 57606,
  SM_ID_FILE_PRINT = 57607,
  SM_ID_EDIT_COPY = 57634,
  SM_ID_EDIT_CUT = 57635,
  SM_ID_EDIT_FIND = 57636,
  SM_ID_EDIT_PASTE = 57637,
  SM_ID_EDIT_REPEAT = 57640,
  SM_ID_EDIT_SELECT_ALL = 57642,
  SM_ID_HELP_FINDER = 57670,
};
