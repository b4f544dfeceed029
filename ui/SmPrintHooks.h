#pragma once
// What the print code needs of the application, set by it at start-up: the printer prepared
// for a page, the modules' print variables and their print defaults. Until the application
// sets them the printer service prepares the printer, there are no print variables and the
// defaults stay as they are.
#include <array>
#include <functional>
#include <string>
#include <vector>

struct SmPageRequest;
class CSmPrintInfo;

// Rows of print variables or print fields: three texts each.
using CSmPrintVarList = std::vector<std::array<std::string, 3>>;

struct SmPrintHooks {
  // The application's printer with the paper of the request; false when there is none.
  std::function<bool(const SmPageRequest&)> getPrinterDC;
  // Rows of the modules' print variables for a group (-1: the groups); the count of rows.
  std::function<int(int group, CSmPrintVarList& rows)> getPrintVariables;
  // Lets the modules change the default settings of a document kind and mode.
  std::function<void(int flag, const std::string& mode, CSmPrintInfo* info)> notifyTypes;
  // Writes an operation-log row of the current work session.
  std::function<void(int code, const std::string& note)> writeLog;
  // Whether the machine has a printer (unset: the system's printers are asked; in test mode
  // it has one).
  std::function<bool()> hasDefaultPrinter;
};

// The hooks in force; assigning a default-made SmPrintHooks restores the defaults.
SmPrintHooks& SmGetPrintHooks();
bool SmGetPrinterDC(const SmPageRequest& request);
int SmGetPrintVariables(int group, CSmPrintVarList& rows);
void SmNotifyPrintDefaults(int flag, const std::string& mode, CSmPrintInfo* info);
void SmWritePrintLog(int code, const std::string& note);
bool SmHasDefaultPrinter();
