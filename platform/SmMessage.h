#pragma once
// The one way the program talks to the user in a modal box: messages, questions and file
// dialogs. In test mode nothing is shown; answers come from a queue and every box is recorded.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QFileDialog;
class QMessageBox;
class QPrinter;

// Button and icon flags, and the answers, with the numbers the program was written against.
enum : unsigned {
  SM_MB_OK = 0x0,
  SM_MB_OKCANCEL = 0x1,
  SM_MB_YESNOCANCEL = 0x3,
  SM_MB_YESNO = 0x4,
  SM_MB_ICONERROR = 0x10,
  SM_MB_ICONQUESTION = 0x20,
  SM_MB_ICONWARNING = 0x30,
  SM_MB_ICONINFORMATION = 0x40,
  SM_MB_DEFBUTTON2 = 0x100,
};
enum : int { SM_IDOK = 1, SM_IDCANCEL = 2, SM_IDYES = 6, SM_IDNO = 7 };

struct SmShownMessage {
  std::string text;
  std::string caption;
  unsigned flags = 0;
  int answer = 0;
};

// Shows a modal message box and returns the button pressed (SM_IDOK, SM_IDYES ...).
int SmMessageBox(const std::string& text, unsigned flags = SM_MB_OK,
                 const std::string& caption = {});

// The box SmMessageBox shows, not yet shown: the flags' icon and buttons, titled `caption` or,
// when it is empty, the program's title (CSmMessageService::SetDefaultCaption).
std::unique_ptr<QMessageBox> SmCreateMessageBox(const std::string& text, unsigned flags,
                                                const std::string& caption = {});

// Makes a file dialog as every file dialog of the program is: Qt's own, in the language of its
// translation also where the system's locale is another (sizes and dates of the files), and
// with its detail view's columns as wide as their texts.
void SmPrepareFileDialog(QFileDialog& dialog);

// File and folder dialogs; an empty result means cancelled. `filter` is a Qt filter text
// such as "数据文件 (*.tsd);;所有文件 (*)".
std::string SmGetOpenFileName(const std::string& caption, const std::string& dir,
                              const std::string& filter);
std::string SmGetSaveFileName(const std::string& caption, const std::string& path,
                              const std::string& filter);
std::string SmGetExistingDirectory(const std::string& caption, const std::string& dir);
// An open dialog for one or more existing files with one check box (`checkText`), which starts
// as `checked` and gives its state back when the user confirms. The names in the order chosen;
// none when cancelled.
std::vector<std::string> SmGetOpenFileNames(const std::string& caption, const std::string& dir,
                                            const std::string& filter, const std::string& checkText,
                                            bool& checked);

// Printing dialogs on the printer given. In test mode nothing shows: the dialog's caption is
// recorded, and a printer that is to print writes the PDF file queued with QueuePrintFile (with
// none queued the dialog counts as cancelled).
// The print dialog ("打印") offering the pages from minPage to maxPage, or with `direct`
// none: the printer prints as it stands.
bool SmPrintDialog(QPrinter& printer, bool direct, int minPage = 1, int maxPage = 1);
// The print setup of the printer ("打印设置"): printer, paper and orientation.
bool SmPrintSetupDialog(QPrinter& printer);
// The print preview ("打印预览"); `paint` draws the pages onto the printer it is given.
bool SmPrintPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint);

class CSmMessageService {
 public:
  static CSmMessageService& Instance();

  // In test mode no window is shown: message answers and file names come from the queues;
  // with an empty queue a box answers its default button and a file dialog is cancelled.
  void SetTestMode(bool on) { m_testMode = on; }
  bool TestMode() const { return m_testMode; }

  void QueueAnswer(int answer) { m_answers.push_back(answer); }
  void QueueFileName(const std::string& name) { m_fileNames.push_back(name); }
  // The answer of the next several-file dialog: the names and the check box's state.
  void QueueFileNames(std::vector<std::string> names, bool checked) {
    m_fileLists.push_back({std::move(names), checked});
  }
  void QueuePrintFile(const std::string& path) { m_printFiles.push_back(path); }
  // Test mode: `action` runs once, with the box's text, while the next box waits for its
  // answer (a test acts there as another workstation would while the user reads the box); a
  // printing dialog counts as a box, with its caption as the text.
  void WhileNextShown(std::function<void(const std::string&)> action) {
    m_whileShown = std::move(action);
  }

  // The title of boxes shown without a caption of their own: the program's title.
  void SetDefaultCaption(const std::string& caption) { m_defaultCaption = caption; }
  const std::string& DefaultCaption() const { return m_defaultCaption; }

  const std::vector<SmShownMessage>& Shown() const { return m_shown; }
  std::string LastText() const { return m_shown.empty() ? std::string() : m_shown.back().text; }
  // Captions of the printing dialogs shown, in order.
  const std::vector<std::string>& PrintDialogs() const { return m_printDialogs; }
  void Clear();

  int Show(const std::string& text, unsigned flags, const std::string& caption);
  std::string AskFileName(int kind, const std::string& caption, const std::string& dir,
                          const std::string& filter);
  std::vector<std::string> AskFileNames(const std::string& caption, const std::string& dir,
                                        const std::string& filter, const std::string& checkText,
                                        bool& checked);
  // Records a printing dialog; in test mode points the printer at the next queued PDF file
  // when `prints`, false when none is queued.
  bool RecordPrintDialog(const std::string& caption, QPrinter& printer, bool prints);

 private:
  CSmMessageService() = default;

  bool m_testMode = false;
  std::string m_defaultCaption;
  std::deque<int> m_answers;
  std::deque<std::string> m_fileNames;
  std::deque<std::pair<std::vector<std::string>, bool>> m_fileLists;
  std::deque<std::string> m_printFiles;
  std::function<void(const std::string&)> m_whileShown;
  std::vector<SmShownMessage> m_shown;
  std::vector<std::string> m_printDialogs;
};
