#include "platform/SmCommand.h"

#include <QAction>
#include <QMenu>
#include <QWidget>
#include <algorithm>

namespace {
constexpr int kToolBarUpdateMs = 250;
}

CSmCommandManager& CSmCommandManager::Instance() {
  static CSmCommandManager manager;
  return manager;
}

CSmCommandManager::CSmCommandManager() {
  m_timer.setInterval(kToolBarUpdateMs);
  connect(&m_timer, &QTimer::timeout, this, &CSmCommandManager::UpdateToolBars);
}

QAction* CSmCommandManager::Action(int id) {
  auto found = m_actions.find(id);
  if (found != m_actions.end()) return found->second;
  auto* action = new QAction(this);
  action->setObjectName(QString::number(id));
  action->setData(id);
  connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
  m_actions.emplace(id, action);
  return action;
}

QString SmStripMnemonics(const QString& text) {
  QString plain;
  plain.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;  // "&&" stands for one "&"
    plain += text[i];
  }
  return plain;
}

QAction* CSmCommandManager::Register(int id, const std::string& text) {
  QAction* action = Action(id);
  const QString all = QString::fromStdString(text);
  const qsizetype tab = all.indexOf('\t');
  action->setText(tab < 0 ? all : all.left(tab));
  if (tab >= 0) action->setShortcut(QKeySequence(all.mid(tab + 1)));
  // The prompt in the status bar and the tool tip read the text without its mnemonic marks.
  action->setStatusTip(SmStripMnemonics(action->text()));
  action->setToolTip(action->statusTip());
  return action;
}

int CSmCommandManager::CommandId(const QAction* action) {
  if (!action) return 0;
  bool ok = false;
  const int id = action->data().toInt(&ok);
  return ok && action->objectName() == QString::number(id) ? id : 0;
}

std::vector<CSmCmdTarget*> CSmCommandManager::Route() const {
  std::vector<CSmCmdTarget*> chain;
  for (auto it = m_front.rbegin(); it != m_front.rend(); ++it) (*it)->AppendRoute(chain);
  if (m_main) m_main->AppendRoute(chain);
  if (m_app) chain.push_back(m_app);
  // A target reached twice is asked once, at its first place.
  std::vector<CSmCmdTarget*> route;
  for (CSmCmdTarget* target : chain) {
    if (std::find(route.begin(), route.end(), target) == route.end()) route.push_back(target);
  }
  return route;
}

void CSmCommandManager::PopTarget(CSmCmdTarget* target) {
  auto found = std::find(m_front.rbegin(), m_front.rend(), target);
  if (found != m_front.rend()) m_front.erase(std::next(found).base());
}

bool CSmCommandManager::Execute(int id) {
  // A disabled command is not run, even from a key that bypasses the menu.
  if (!Update(id)) return false;
  for (CSmCmdTarget* target : Route()) {
    if (target->OnCommand(id)) return true;
  }
  return false;
}

bool CSmCommandManager::SendToMain(int id) {
  if (m_main && m_main->OnCommand(id)) return true;
  return m_app && m_app->OnCommand(id);
}

bool CSmCommandManager::Update(int id) {
  CSmCmdUI ui(id);
  for (CSmCmdTarget* target : Route()) {
    if (target->OnUpdateCommand(id, ui)) break;
  }
  QAction* action = Action(id);
  action->setEnabled(ui.Enabled());
  if (ui.Check()) {
    action->setCheckable(true);
    action->setChecked(*ui.Check() != 0);
  }
  if (ui.Text()) {
    action->setText(QString::fromStdString(*ui.Text()));
    action->setStatusTip(SmStripMnemonics(action->text()));
    action->setToolTip(action->statusTip());
  }
  return ui.Enabled();
}

void CSmCommandManager::UpdateWidgetActions(QWidget* widget) {
  if (!widget) return;
  for (QAction* action : widget->actions()) {
    const int id = CommandId(action);
    if (id != 0) Update(id);
  }
}

void CSmCommandManager::AttachMenu(QMenu* menu) {
  connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateWidgetActions(menu); });
}

void CSmCommandManager::AttachToolBar(QWidget* bar) {
  m_bars.emplace_back(bar);
  if (!m_timer.isActive()) m_timer.start();
}

void CSmCommandManager::UpdateToolBars() {
  std::erase_if(m_bars, [](const QPointer<QWidget>& bar) { return bar.isNull(); });
  for (const QPointer<QWidget>& bar : m_bars) UpdateWidgetActions(bar);
  if (m_bars.empty()) m_timer.stop();
}

void CSmCommandManager::Reset() {
  m_app = nullptr;
  m_main = nullptr;
  m_front.clear();
  m_bars.clear();
  m_timer.stop();
}
