#include "ui/SmDlg.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

#include "core/SmShell.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDesktop.h"
#include "platform/SmMessage.h"
#include "ui/SmCalcDlg.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmListCtrl.h"
#include "ui/SmToolTip.h"
#include "ui/SmWordCB.h"

namespace {
std::string& ProgramFilePath() {
  static std::string path;
  return path;
}
CSmApp* g_runningApp = nullptr;

// Feeds the events of the application to a dialog's hint balloon, as the dialog's message
// pre-translation would.
class HintRelay : public QObject {
 public:
  HintRelay(CSmToolTip* tip, QObject* parent) : QObject(parent), m_tip(tip) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    m_tip->RelayEvent(watched, event);
    return false;
  }

 private:
  CSmToolTip* m_tip;
};

// The kinds of control that carry hints: edits, combo boxes, lists and buttons.
bool IsHintControl(QWidget* widget) {
  return qobject_cast<QLineEdit*>(widget) || qobject_cast<QTextEdit*>(widget) ||
         qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
         qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QAbstractButton*>(widget);
}
}  // namespace

std::string SmProgramFilePath() {
  if (ProgramFilePath().empty()) return QCoreApplication::applicationFilePath().toStdString();
  return ProgramFilePath();
}
void SmSetProgramFilePath(const std::string& path) {
  ProgramFilePath() = path;
}

void SmShowHelp() {
  SmMessageBox("本系统没有帮助文件。", SM_MB_OK | SM_MB_ICONINFORMATION);
}

CSmApp* SmRunningApp() {
  return g_runningApp;
}
void SmSetRunningApp(CSmApp* app) {
  g_runningApp = app;
}

CSmDlg::CSmDlg(unsigned templateId, QWidget* parent, unsigned iconId)
    : QDialog(parent), m_templateId(templateId), m_iconId(iconId) {
  setObjectName(QString::number(templateId));
}

CSmDlg::~CSmDlg() = default;

int CSmDlg::DoModal() {
  return exec() == QDialog::Accepted ? 1 : 2;
}

int CSmDlg::exec() {
  const CSmActiveWindowReturn back;
  return QDialog::exec();
}

QWidget* CSmDlg::Control(int id) const {
  return findChild<QWidget*>(QString::number(id));
}

QPushButton* CSmDlg::AddButton(unsigned id, const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(QString::number(id));
  connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
  return button;
}

void CSmDlg::showEvent(QShowEvent* event) {
  if (!m_initDone) {
    m_initDone = true;
    OnInitDialog();
    FitControlsToTexts();
    SmOrderTabByPosition(this);
  }
  QDialog::showEvent(event);
}

void CSmDlg::FitControlsToTexts() {
  // Drop-down lists are filled when the dialog opens, after its layout measured them empty:
  // they follow their entries from now on, and the dialog grows where a text would be cut.
  for (QComboBox* combo : findChildren<QComboBox*>()) {
    // Typed entries (remembered words) keep the width the dialog gave them.
    if (!combo->isEditable()) combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  }
  if (!layout()) return;
  layout()->activate();
  resize(size().expandedTo(layout()->minimumSize()));
}

void CSmDlg::OnInitDialog() {
  if (!QApplication::windowIcon().isNull()) setWindowIcon(QApplication::windowIcon());
  LoadPicture();
  SetupToolTips();
}

std::string CSmDlg::PictureBase() const {
  const std::string path = SmProgramFilePath();
  if (path.size() <= 4) return {};
  return path.substr(0, path.size() - 4);
}

std::string CSmDlg::UserPicturePath() const {
  const std::string folder = GetUserDataFolder();
  const std::string base = PictureBase();
  if (folder.empty() || base.empty()) return {};
  const QString title = QFileInfo(QString::fromStdString(base)).fileName();
  return folder + "/" + title.toStdString() + "_Dlg" + std::to_string(m_templateId) + ".bmp";
}

void CSmDlg::LoadPicture() {
  const std::string base = PictureBase();
  if (base.empty()) return;
  // The user's own choice first, then the pictures that come with the program.
  for (const std::string& file :
       {UserPicturePath(), base + "_Dlg" + std::to_string(m_templateId) + ".bmp",
        base + "_Dlg.bmp"}) {
    if (file.empty() || !QFileInfo::exists(QString::fromStdString(file))) continue;
    if (m_picture.Load(file)) m_pictureMode = 1;
    return;
  }
}

CSmToolTip* SmSetupControlHints(QWidget* host, CSmToolTip* tip,
                                const std::function<std::string(int)>& hintOf) {
  if (!tip) {
    tip = new CSmToolTip;
    tip->Create(host, true);
    qApp->installEventFilter(new HintRelay(tip, tip));
  }
  for (QWidget* widget : host->findChildren<QWidget*>()) {
    if (widget->window() != host->window() || !IsHintControl(widget)) continue;
    bool ok = false;
    const int id = widget->objectName().toInt(&ok);
    if (!ok) continue;
    const std::string hint = hintOf(id);
    if (hint.empty()) continue;
    tip->AddTool(widget, "<al_c>提示<br><hr=100%><br><al_l>" + hint, 0, 0, 0, nullptr, id);
  }
  tip->SetNotify(true);
  tip->SetFont(QApplication::font("QMessageBox"));
  tip->SetBkEffect(13, 10);
  tip->SetBehaviour(CSmToolTip::kRestartOnMove);
  return tip;
}

std::string SmControlKindHint(const QWidget* control) {
  if (qobject_cast<const CSmWordCB*>(control))
    return "鼠标指向右边的下拉箭头，按下鼠标右键，调出操作功能菜单，可保存或删除词组。";
  if (qobject_cast<const QComboBox*>(control))
    return "单击右边的下拉箭头，或按下箭头键，可弹出列表框供选择。";
  if (qobject_cast<const CSmListCtrl*>(control)) return "按下鼠标右键，可调出操作功能菜单。";
  return {};
}

void CSmDlg::SetupToolTips() {
  m_toolTip = SmSetupControlHints(this, m_toolTip, [this](int id) { return GetControlHint(id); });
}

std::string CSmDlg::GetControlHint(int controlId) const {
  return SmControlKindHint(Control(controlId));
}

void CSmDlg::OnOK() {
  UpdateData(true);
  if (!ValidateAndSave()) return;
  EndOK();
}

void CSmDlg::EndOK() {
  UpdateData(true);
  QDialog::accept();
}

void CSmDlg::OnCancel() {
  QDialog::reject();
}

void CSmDlg::SetDefaultButton(unsigned id) {
  m_defaultId = id;
  if (auto* button = qobject_cast<QPushButton*>(Control(static_cast<int>(id))))
    button->setDefault(true);
}

void CSmDlg::OnEnter() {
  QWidget* focus = focusWidget();
  if (auto* button = qobject_cast<QPushButton*>(focus); button && focus->objectName() != "1") {
    button->click();
    return;
  }
  if (m_enterMovesFocus && !(focus && focus->objectName() == "1")) {
    focusNextChild();
    return;
  }
  OnOK();
}

void CSmDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    OnCommand(SM_ID_HELP);
    return;
  }
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || event->modifiers() & ~Qt::KeypadModifier) {
    QDialog::keyPressEvent(event);
    return;
  }
  auto* own =
      m_defaultId ? qobject_cast<QPushButton*>(Control(static_cast<int>(m_defaultId))) : nullptr;
  if (own && own->isEnabled() && own->isVisible()) {
    own->click();  // a dialog that sets its own default button
    return;
  }
  OnEnter();
}

bool CSmDlg::OnCommand(unsigned id) {
  switch (id) {
    case SM_ID_OK:
      OnOK();
      return true;
    case SM_ID_CANCEL:
      OnCancel();
      return true;
    case SM_ID_ENTER:
      OnEnter();
      return true;
    case SM_ID_CALCULATOR: {
      CSmCalcDlg calc(false, {}, nullptr);
      calc.DoModal();
      return true;
    }
    case SM_ID_DLG_BACKGROUND:
      OnChangeBackground();
      return true;
    case SM_ID_HELP:
      SmShowHelp();
      return true;
    default:
      return false;
  }
}

std::unique_ptr<QMenu> CSmDlg::CreateContextMenu() {
  auto menu = std::make_unique<QMenu>(QStringLiteral("对话框右键菜单"));
  const std::pair<unsigned, const char*> items[] = {
      {SM_ID_HELP, "帮助(&H)\tF1"},
      {SM_ID_CALCULATOR, "计算器\tF12"},
      {SM_ID_DLG_BACKGROUND, "改变背景图案..."},
  };
  for (const auto& [id, text] : items) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::number(id));
    action->setData(id);
  }
  CustomizeContextMenu(menu.get());
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    const unsigned id = action->data().toUInt();
    action->setEnabled(IsMenuCommandEnabled(id));
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  }
  return menu;
}

void CSmDlg::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() != QContextMenuEvent::Mouse || !rect().contains(event->pos())) {
    QDialog::contextMenuEvent(event);
    return;
  }
  CreateContextMenu()->exec(event->globalPos());
}

void CSmDlg::OnChangeBackground() {
  if (PictureBase().empty()) return;
  // Kept in the user's data folder: the program's own folder may be read-only.
  const std::string target = UserPicturePath();
  const std::string chosen =
      SmGetOpenFileName("选择对话框背景图案", target, "位图文件(*.bmp);;所有文件 (*)");
  if (chosen.empty()) return;
  if (target.empty()) {
    SmMessageBox("拷贝文件失败！", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  const QString from = QString::fromStdString(chosen);
  const QString to = QString::fromStdString(target);
  if (from.compare(to, Qt::CaseInsensitive) == 0) return;
  // Copy beside the target first so that a failed copy keeps the old picture.
  const QString temp = to + ".new";
  QFile::remove(temp);
  if (!QFile::copy(from, temp) || (QFile::exists(to) && !QFile::remove(to)) ||
      !QFile::rename(temp, to)) {
    QFile::remove(temp);
    SmMessageBox("拷贝文件失败！", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  if (m_picture.Load(target)) m_pictureMode = 1;
  update();
}

void CSmDlg::paintEvent(QPaintEvent* event) {
  if (m_picture.IsNull()) {
    QDialog::paintEvent(event);
    return;
  }
  QPainter painter(this);
  const int w = m_picture.Width(), h = m_picture.Height();
  if (m_pictureMode == 1) {
    m_picture.StretchDraw(painter, 0, 0, width(), height());
  } else if (m_pictureMode == 2) {
    m_picture.DrawAt(painter, (width() - w) / 2, (height() - h) / 2);
  } else {
    for (int y = 0; y < height(); y += h)
      for (int x = 0; x < width(); x += w) m_picture.DrawAt(painter, x, y);
  }
}

CSmAppDlg::CSmAppDlg(unsigned templateId, CSmApp* app, QWidget* parent, unsigned iconId)
    : CSmDlg(templateId, parent, iconId), m_app(app ? app : SmRunningApp()) {}

void CSmAppDlg::FillOperatorCombo(QComboBox* combo,
                                  const std::vector<std::pair<std::string, std::string>>& operators,
                                  const std::string& current, bool allowEmpty) {
  combo->clear();
  if (allowEmpty) combo->addItem(QString());
  for (const auto& [code, name] : operators) {
    if (code == "101") continue;
    combo->addItem(QString::fromStdString(code + name));
  }
  const QString head = QString::fromStdString(current);
  // Without a code the first entry: the empty one where there is one.
  int select = 0;
  for (int i = 0; !head.isEmpty() && i < combo->count(); ++i) {
    if (combo->itemText(i).startsWith(head)) {
      select = i;
      break;
    }
  }
  if (combo->count() > 0) combo->setCurrentIndex(select);
}

bool CSmAppDlg::GetSelectedOperator(QComboBox* combo, std::string& code, bool allowEmpty) {
  const int index = combo->currentIndex();
  if (index >= 0) {
    code = combo->itemText(index).left(3).toStdString();
    return true;
  }
  code.clear();
  if (allowEmpty) return true;
  return SmRefuse("未选择操作员！", combo);
}
