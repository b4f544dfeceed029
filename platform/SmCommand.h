#pragma once
// The command layer: every command is a number with one QAction. A triggered action is routed
// along a chain of targets (active view, its document, its child frame, the main frame, the
// application); the first target that handles it wins. Before a menu shows, and on a short timer
// for toolbars, the same chain is asked to update each action (enable, check, text).
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

// What an update handler may change on a command.
class CSmCmdUI {
 public:
  explicit CSmCmdUI(int id) : m_id(id) {}
  int Id() const { return m_id; }

  void Enable(bool on = true) { m_enabled = on; }
  // 0 unchecked, 1 checked.
  void SetCheck(int check = 1) { m_check = check; }
  void SetText(const std::string& text) { m_text = text; }

  bool Enabled() const { return m_enabled; }
  const std::optional<int>& Check() const { return m_check; }
  const std::optional<std::string>& Text() const { return m_text; }

 private:
  int m_id;
  bool m_enabled = true;
  std::optional<int> m_check;
  std::optional<std::string> m_text;
};

// Anything that handles commands.
class CSmCmdTarget {
 public:
  virtual ~CSmCmdTarget() = default;

  // True when the command was handled here.
  virtual bool OnCommand(int /*id*/) { return false; }
  // True when this target decides the command's state (and has set it in `ui`).
  virtual bool OnUpdateCommand(int /*id*/, CSmCmdUI& /*ui*/) { return false; }
  // Appends the targets a command visits from here on. The default is this target alone; a
  // frame puts its active view, document and child frame in front of itself.
  virtual void AppendRoute(std::vector<CSmCmdTarget*>& route) { route.push_back(this); }
};

class CSmCommandManager : public QObject {
  Q_OBJECT
 public:
  static CSmCommandManager& Instance();

  // The action of a command, created on first use (objectName and data are the id).
  QAction* Action(int id);
  // Creates or updates a command's action with its menu text ("text\tshortcut" sets the key).
  QAction* Register(int id, const std::string& text);
  // The command of an action, or 0 when it is none of ours.
  static int CommandId(const QAction* action);

  // The application ends every route; the main frame starts it.
  void SetAppTarget(CSmCmdTarget* app) { m_app = app; }
  void SetMainTarget(CSmCmdTarget* frame) { m_main = frame; }
  CSmCmdTarget* AppTarget() const { return m_app; }
  CSmCmdTarget* MainTarget() const { return m_main; }
  // The route: the innermost scoped target first (CSmRouteScope), then the main frame's chain,
  // then the application.
  std::vector<CSmCmdTarget*> Route() const;
  void PushTarget(CSmCmdTarget* target) { m_front.push_back(target); }
  void PopTarget(CSmCmdTarget* target);

  // Routes a command; false when no target handled it.
  bool Execute(int id);
  // Sends a command to the main frame itself and then the application, past the scoped targets
  // and the active view; false when neither handled it.
  bool SendToMain(int id);
  // Runs the update of one command on its action; returns whether it is enabled.
  bool Update(int id);
  // Updates every action of the menu before it shows.
  void AttachMenu(QMenu* menu);
  // Updates every action of the widget (a toolbar) on a short timer.
  void AttachToolBar(QWidget* bar);
  // Updates the actions of every attached toolbar now (what the timer does).
  void UpdateToolBars();
  void UpdateWidgetActions(QWidget* widget);

  // Forgets the targets and stops the timer (tests, shutdown).
  void Reset();

 private:
  CSmCommandManager();

  std::map<int, QAction*> m_actions;
  CSmCmdTarget* m_app = nullptr;
  CSmCmdTarget* m_main = nullptr;
  std::vector<CSmCmdTarget*> m_front;
  std::vector<QPointer<QWidget>> m_bars;
  QTimer m_timer;
};

// While it lives, commands (and their updates) go to `target` before the usual route: a modal
// dialog or the owner of a right-click menu puts itself in front this way.
class CSmRouteScope {
 public:
  explicit CSmRouteScope(CSmCmdTarget* target) : m_target(target) {
    CSmCommandManager::Instance().PushTarget(target);
  }
  ~CSmRouteScope() { CSmCommandManager::Instance().PopTarget(m_target); }
  CSmRouteScope(const CSmRouteScope&) = delete;
  CSmRouteScope& operator=(const CSmRouteScope&) = delete;

 private:
  CSmCmdTarget* m_target;
};

// Short forms for the common calls.
// A menu text without its mnemonic marks: "打开(&O)..." reads "打开(O)...", "&&" one "&".
QString SmStripMnemonics(const QString& text);

inline QAction* SmCommandAction(int id) {
  return CSmCommandManager::Instance().Action(id);
}
inline bool SmExecuteCommand(int id) {
  return CSmCommandManager::Instance().Execute(id);
}
