#pragma once
// Base of every dialog: program icon, a background picture chosen per dialog, hints on the
// input controls, the right-click menu 301, Enter moving to the next field, and OK that asks
// `ValidateAndSave` before the dialog closes. Controls are found by their id as objectName.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/SmDib.h"

class QComboBox;
class QMenu;
class QPushButton;
class CSmApp;
class CSmToolTip;

// The program file whose path, less its extension, names the dialog pictures that come with
// the program ("<base>_Dlg<id>.bmp", "<base>_Dlg.bmp"); a picture the user chooses is kept as
// "<title>_Dlg<id>.bmp" in the user's data folder and wins. Defaults to the running program.
std::string SmProgramFilePath();
void SmSetProgramFilePath(const std::string& path);

// Gives a hint balloon (made for the host when `tip` is null) to every edit, combo box, list and
// button below the host, in its window, whose numeric id `hintOf` answers a text for: the text
// under a centred "提示" and a full rule. Returns the balloon.
CSmToolTip* SmSetupControlHints(QWidget* host, CSmToolTip* tip,
                                const std::function<std::string(int)>& hintOf);
// The hint every dialog and form gives by the kind of control: the word combo box's, another
// combo box's and the list control's; none for any other control.
std::string SmControlKindHint(const QWidget* control);

// Answers a help request (menu item or F1): the program comes without a help file, and says so.
void SmShowHelp();

class CSmDlg : public QDialog {
  Q_OBJECT
 public:
  CSmDlg(unsigned templateId, QWidget* parent = nullptr, unsigned iconId = 128);
  ~CSmDlg() override;

  unsigned TemplateId() const { return m_templateId; }
  // Runs the dialog modally; SM_IDOK or SM_IDCANCEL.
  int DoModal();
  // The window the dialog came from is active again when it closes.
  int exec() override;
  void SetEnterMovesFocus(bool on) { m_enterMovesFocus = on; }
  // Makes a button the dialog's own default: Enter anywhere presses it.
  void SetDefaultButton(unsigned id);
  const CSmDib& Picture() const { return m_picture; }
  int PictureMode() const { return m_pictureMode; }

  // The control with the id, or null.
  QWidget* Control(int id) const;
  // Carries out a command of the dialog (buttons, menu 301); false when it is not one.
  virtual bool OnCommand(unsigned id);
  // Menu 301 with every item enabled or greyed; commands go to `OnCommand`.
  std::unique_ptr<QMenu> CreateContextMenu();

  // The hint balloon of the input controls (made by `SetupToolTips`), or null.
  CSmToolTip* ToolTip() const { return m_toolTip; }

  // Slots of derived dialogs.
  virtual void SetupToolTips();
  virtual std::string GetControlHint(int controlId) const;
  virtual bool ValidateAndSave() { return true; }
  virtual void CustomizeContextMenu(QMenu* /*popup*/) {}
  virtual bool IsMenuCommandEnabled(unsigned /*id*/) { return true; }

  virtual void OnOK();
  virtual void OnCancel();
  void accept() override { OnOK(); }
  void reject() override { OnCancel(); }

  // Asks for a new background picture for this dialog (command 43022).
  void OnChangeBackground();

 protected:
  virtual void OnInitDialog();
  virtual void DoDataExchange(bool /*save*/) {}
  void UpdateData(bool save) { DoDataExchange(save); }
  // A push button with the id as objectName; its click is the command `id`.
  QPushButton* AddButton(unsigned id, const QString& text);
  // Ends the dialog with OK without asking again (the class library's OK handling).
  void EndOK();
  // Enter on a control that is not a push button.
  void OnEnter();

  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void LoadPicture();
  std::string PictureBase() const;
  // Sizes the controls to the texts they were given at initialisation, so that none is cut.
  void FitControlsToTexts();
  // Where the user's chosen picture of this dialog is kept (empty without a data folder).
  std::string UserPicturePath() const;

  unsigned m_templateId;
  unsigned m_iconId;
  bool m_enterMovesFocus = true;
  bool m_initDone = false;
  unsigned m_defaultId = 0;
  CSmDib m_picture;
  int m_pictureMode = 1;
  CSmToolTip* m_toolTip = nullptr;  // owned as a child window
};

// The running application object, for dialogs constructed without one.
CSmApp* SmRunningApp();
void SmSetRunningApp(CSmApp* app);

class CSmAppDlg : public CSmDlg {
  Q_OBJECT
 public:
  CSmAppDlg(unsigned templateId, CSmApp* app = nullptr, QWidget* parent = nullptr,
            unsigned iconId = 128);
  CSmApp* App() const { return m_app; }

  // Fills the combo with "<code><name>" per operator (in the order given, the caller reads them
  // ordered by code), leaving out "101", with an empty first entry when allowed; selects the
  // first entry that begins with the current code, else the first.
  static void FillOperatorCombo(QComboBox* combo,
                                const std::vector<std::pair<std::string, std::string>>& operators,
                                const std::string& current, bool allowEmpty);
  // The selected operator's code (its first three characters); without a selection and when
  // empty is not allowed, says "未选择操作员！", focuses the combo and returns false.
  static bool GetSelectedOperator(QComboBox* combo, std::string& code, bool allowEmpty);

 private:
  CSmApp* m_app;
};
