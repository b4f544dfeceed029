#pragma once
// Ties the program into the desktop: special folders and the association of the data-file
// extension with the program.
#include <string>

// There are no COM servers on this system: both always answer false.
bool RegisterComServer(const std::string& path);
bool UnregisterComServer(const std::string& path);

// Kinds of GetSpecialFolder.
enum SmSpecialFolder : int {
  SM_FOLDER_WINDOWS = 0,
  SM_FOLDER_SYSTEM = 1,
  SM_FOLDER_PROGRAM_FILES = 2,
  SM_FOLDER_DESKTOP = 3,
  SM_FOLDER_START_MENU = 4,
  SM_FOLDER_PROGRAMS = 5,
  SM_FOLDER_TEMP = 6,  // ends with a separator
  SM_FOLDER_CURRENT = 7,
  SM_FOLDER_COMMON_FILES = 8,
};

// The folder's full path, or an empty text when the system has no such folder (or it does not
// exist). The Windows, system, program files and common files folders exist only on Windows.
std::string GetSpecialFolder(int kind);

// The program's folder for the user's own files (the engine test file, chosen pictures):
// "reduvor/<name>" in the user's data folder, the name set by the application (its document
// type). Made on first use and kept readable by the user only; empty when it cannot be made.
void SetUserDataFolderName(const std::string& name);
std::string GetUserDataFolder();

// Associates files ".ext" with the program: the four registry-shaped values under the classes
// root (".ext" -> "extFile", "extFile" -> description, "extFile\DefaultIcon" -> "program,1",
// "extFile\shell\open\command" -> "program \"%1\""), and on a freedesktop system also a MIME type
// and a desktop entry in the user's data folder. Every write is tried; true when all succeeded.
bool RegisterFileType(const std::string& ext, const std::string& description,
                      const std::string& programPath);
