#pragma once
// Command ids that the toolkit's dialogs and lists handle themselves: the shared commands of
// lists, trees and dialogs and the numbers of the window system's standard commands they use.
enum : unsigned {
  SM_CMD_OK = 1,
  SM_CMD_CANCEL = 2,
  SM_CMD_ENTER = 3,  // Enter on a control that is not a push button
  SM_CMD_CALCULATOR = 43002,
  SM_CMD_ADD = 43004,
  SM_CMD_OPEN = 43005,
  SM_CMD_MODIFY = 43006,
  SM_CMD_DELETE = 43007,
  SM_CMD_VIEW_LARGEICON = 43008,
  SM_CMD_VIEW_SMALLICON = 43009,
  SM_CMD_VIEW_LIST = 43010,
  SM_CMD_VIEW_DETAILS = 43011,
  SM_CMD_BACK = 43012,
  SM_CMD_FORWARD = 43013,
  SM_CMD_DLG_BACKGROUND = 43022,
  SM_CMD_SAVE_WORD = 43023,
  SM_CMD_DELETE_WORD = 43024,
  SM_CMD_INVERT_SELECTION = 43025,
  SM_CMD_FILE_PAGE_SETUP = 57605,
  SM_CMD_FILE_PRINT_SETUP = 57606,
  SM_CMD_FILE_PRINT = 57607,
  SM_CMD_EDIT_COPY = 57634,
  SM_CMD_EDIT_CUT = 57635,
  SM_CMD_EDIT_FIND = 57636,
  SM_CMD_EDIT_PASTE = 57637,
  SM_CMD_EDIT_REPEAT = 57640,
  SM_CMD_EDIT_SELECT_ALL = 57642,
  SM_CMD_HELP_FINDER = 57670,
};
