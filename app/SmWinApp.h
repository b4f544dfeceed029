#pragma once
// The program's application object at the window-system level: the current-application
// pointer, the document templates, the command-line parse and the main frame it owns. It ends
// every command route.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/SmCommand.h"
#include "platform/SmDocument.h"

struct SmPageRequest;

// What the command line asks for.
enum SmShellCommand : int {
  SM_SHELL_FILE_NEW = 0,   // a plain start
  SM_SHELL_FILE_OPEN = 1,  // open the file named
  SM_SHELL_OTHER = 2,      // print, register, embedding ...: the program does not run
};

// Reads the arguments after the program name: one file name opens it; the flags of printing,
// registering and embedding ("-p", "-pt", "-dde", "-Embedding", "-Automation", "-Register",
// "-Unregister" ...) ask for something else; other flags are ignored.
SmShellCommand SmParseCommandLine(const std::vector<std::string>& args, std::string& file);

class CSmWinApp : public CSmCmdTarget {
 public:
  CSmWinApp();
  ~CSmWinApp() override;
  CSmWinApp(const CSmWinApp&) = delete;
  CSmWinApp& operator=(const CSmWinApp&) = delete;

  // The one application object of the process, or null.
  static CSmWinApp* Current();

  // Start-up with the arguments after the program name; false ends the program.
  virtual bool InitInstance(const std::vector<std::string>& args) = 0;
  // Shutdown; returns the exit code.
  virtual int ExitInstance() { return 0; }

  // Print variables of the modules; the count of rows.
  virtual int GetPrintVariables(int /*group*/, std::vector<std::array<std::string, 3>>& /*rows*/) {
    return 0;
  }

  // The printer prepared for the page of the request (the print setup's printer, else the
  // default one); false when there is no printer or the page does not fit it.
  virtual bool GetPrinterDC(const SmPageRequest& request);

  CSmFrameWnd* GetMainWnd() const { return m_mainWnd.get(); }
  void SetMainWnd(std::unique_ptr<CSmFrameWnd> frame);
  // Full path of the program file and its folder (no trailing separator).
  virtual std::string GetProgramPath() const;
  virtual std::string GetProgramFolder() const;

  CSmDocManager m_docManager;

 protected:
  std::unique_ptr<CSmFrameWnd> m_mainWnd;
};

inline CSmWinApp* SmGetWinApp() {
  return CSmWinApp::Current();
}
