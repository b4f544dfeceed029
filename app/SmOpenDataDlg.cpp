#include "app/SmOpenDataDlg.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/SmApp.h"
#include "app/SmNewYearFileDlg.h"
#include "app/SmServerYearFile.h"
#include "core/SmDatabase.h"
#include "core/SmOdbcBackend.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFolderDlg.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr unsigned kOpenDataTemplate = 815;
constexpr int kPasswordEdit = 1049;
constexpr int kTree = 1050;
constexpr int kOperatorCombo = 1051;
constexpr int kNewButton = 1075;
constexpr int kKindCombo = 1090;
constexpr int kModuleCombo = 1093;
constexpr int kSearchButton = 1141;
constexpr int kRootButton = 1303;
constexpr int kRefresh = 43112;
constexpr int kConvert = 43161;
constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kSourceRole = Qt::UserRole + 2;
const char* const kServerMissing = "SQL Server 数据库的新建在本机尚不可用！";

// Paths compared ignoring case and slash direction.
QString PathKey(const std::string& path) {
  QString key = QString::fromStdString(path);
  key.replace('\\', '/');
  while (key.size() > 1 && key.endsWith('/')) key.chop(1);
  return key.toLower();
}

std::string TrimSlashes(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

bool IsYearTitle(const QString& title) {
  if (title.size() != 4) return false;
  for (QChar c : title) {
    if (!c.isDigit()) return false;
  }
  return true;
}

// Every item below (and with) the item, depth first.
void CollectItems(QTreeWidgetItem* item, std::vector<QTreeWidgetItem*>& out) {
  out.push_back(item);
  for (int i = 0; i < item->childCount(); ++i) CollectItems(item->child(i), out);
}

}  // namespace

// ---------------------------------------------------------------- account-set tree

CBookDirTree::CBookDirTree(CSmOpenDataFileDlg* dlg, QWidget* parent)
    : CSmTreeCtrl(nullptr, parent), m_dlg(dlg) {
  setObjectName(QString::number(kTree));
}

int CBookDirTree::LevelOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, kLevelRole).toInt() : -1;
}

std::string CBookDirTree::PathOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, kPathRole).toString().toStdString() : std::string();
}

void CBookDirTree::Fill(int kind, const std::string& root, const std::string& ext) {
  std::vector<QString> expanded;
  QString selected;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    std::vector<QTreeWidgetItem*> items;
    CollectItems(topLevelItem(i), items);
    for (QTreeWidgetItem* item : items) {
      if (item->isExpanded()) expanded.push_back(PathKey(PathOf(item)));
    }
  }
  if (currentItem()) selected = PathKey(PathOf(currentItem()));
  clear();
  m_kind = kind;
  m_root = root;
  m_ext = ext;
  auto* top = new QTreeWidgetItem(this);
  top->setData(0, kLevelRole, kTop);
  if (kind != 0) {
    top->setText(0, QStringLiteral("数据源"));
    FillServer(top, ext);
  } else {
    FillFolders(top, root, ext);
  }
  top->setExpanded(true);
  std::vector<QTreeWidgetItem*> items;
  CollectItems(top, items);
  for (QTreeWidgetItem* item : items) {
    const QString key = PathKey(PathOf(item));
    if (std::find(expanded.begin(), expanded.end(), key) != expanded.end()) item->setExpanded(true);
    if (!selected.isEmpty() && key == selected) setCurrentItem(item);
  }
}

void CBookDirTree::FillServer(QTreeWidgetItem* top, const std::string& ext) {
  std::vector<std::string> names;
  std::vector<std::string> drivers;
  ListOdbcDataSources(names, drivers);
  for (const std::string& name : names) {
    auto* source = new QTreeWidgetItem(top);
    source->setText(0, QString::fromStdString(name));
    source->setData(0, kLevelRole, kAccountSet);
    source->setData(0, kPathRole, QString::fromStdString(name));
    CSmConnInfo login(1);
    login.server = name;
    CSmEnvironment().ReadDbLogin(login);
    std::vector<SmServerAccountSet> sets;
    SmListServerAccountSets(1, login, ext, sets);
    for (const SmServerAccountSet& set : sets) {
      auto* setItem = new QTreeWidgetItem(source);
      setItem->setText(0, QString::fromStdString(set.code + " " + set.name));
      setItem->setData(0, kLevelRole, kServerSet);
      setItem->setData(0, kPathRole, QString::fromStdString(name + "/" + set.code));
      for (int year : set.years) {
        auto* yearItem = new QTreeWidgetItem(setItem);
        yearItem->setText(0, QString::number(year) + QStringLiteral(" 年"));
        yearItem->setData(0, kLevelRole, kYearFile);
        yearItem->setData(0, kPathRole,
                          QString::fromStdString(SmServerDatabaseName(ext, set.code, year)));
        yearItem->setData(0, kSourceRole, QString::fromStdString(name));
      }
    }
  }
}

void CBookDirTree::FillFolders(QTreeWidgetItem* top, const std::string& root,
                               const std::string& ext) {
  top->setText(0, QString::fromStdString(root));
  top->setData(0, kPathRole, QString::fromStdString(root));
  const QDir rootDir(QString::fromStdString(root));
  for (const QFileInfo& set :
       rootDir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    auto* setItem = new QTreeWidgetItem(top);
    setItem->setText(0, set.fileName());
    setItem->setData(0, kLevelRole, kAccountSet);
    setItem->setData(0, kPathRole, set.filePath());
    const QDir setDir(set.filePath());
    for (const QFileInfo& file : setDir.entryInfoList(QDir::Files, QDir::Name)) {
      if (file.suffix().compare(QString::fromStdString(ext), Qt::CaseInsensitive) != 0) continue;
      if (!IsYearTitle(file.completeBaseName())) continue;
      auto* fileItem = new QTreeWidgetItem(setItem);
      fileItem->setText(0, file.fileName());
      fileItem->setData(0, kLevelRole, kYearFile);
      fileItem->setData(0, kPathRole, file.filePath());
    }
  }
}

bool CBookDirTree::SelectFile(const std::string& file) {
  if (file.empty() || topLevelItemCount() == 0) return false;
  std::vector<QTreeWidgetItem*> items;
  CollectItems(topLevelItem(0), items);
  const QString key = PathKey(file);
  for (QTreeWidgetItem* item : items) {
    if (LevelOf(item) != kYearFile || PathKey(PathOf(item)) != key) continue;
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent()) up->setExpanded(true);
    setCurrentItem(item);
    return true;
  }
  return false;
}

bool CBookDirTree::GetSelection(std::string& folder, std::string& file) const {
  const QTreeWidgetItem* item = currentItem();
  if (LevelOf(item) != kYearFile) return false;
  file = PathOf(item);
  if (m_kind != 0) {
    folder = item->data(0, kSourceRole).toString().toStdString();
    return !file.empty();
  }
  folder = PathOf(item->parent());
  const QFileInfo info(QString::fromStdString(file));
  return info.exists() && !info.isDir();
}

std::string CBookDirTree::SelectedAccountSet() const {
  const QTreeWidgetItem* item = currentItem();
  if (LevelOf(item) == kYearFile) item = item->parent();
  return LevelOf(item) == kAccountSet ? item->text(0).toStdString() : std::string();
}

void CBookDirTree::CustomizeContextMenu(QMenu* popup) {
  QAction* separatorAfterDelete = nullptr;
  for (QAction* action : popup->actions()) {
    const int id = action->data().toInt();
    if (id == SM_ID_EDIT_CUT || id == SM_ID_EDIT_COPY || id == SM_ID_EDIT_PASTE) {
      popup->removeAction(action);
    } else if (id == SM_ID_LIST_MODIFY && m_kind == 0) {
      popup->removeAction(action);
    } else if (id == SM_ID_LIST_MODIFY) {
      action->setText(QStringLiteral("配置(&M)\tCtrl+M"));
    }
  }
  for (QAction* action : popup->actions()) {
    if (action->isSeparator()) {
      separatorAfterDelete = action;
      break;
    }
  }
  const QString convert = QStringLiteral("转换成%1数据文件 ...")
                              .arg(m_kind != 0 ? QStringLiteral("Access") : "SQL Server");
  auto add = [&](int id, const QString& text) {
    auto* action = new QAction(text, popup);
    action->setData(id);
    popup->insertAction(separatorAfterDelete, action);
  };
  add(kConvert, convert);
  popup->insertSeparator(separatorAfterDelete);
  add(kRefresh, QStringLiteral("刷新"));
  add(SM_ID_EDIT_FIND, QStringLiteral("搜索 ..."));
}

bool CBookDirTree::IsCommandAvailable(int id) {
  std::string folder;
  std::string file;
  switch (id) {
    case SM_ID_LIST_OPEN:
      return GetSelection(folder, file);
    case SM_ID_LIST_DELETE:
    case kConvert:
    case SM_ID_LIST_MODIFY:
    case SM_ID_EDIT_FIND:
      // Deleting, converting and searching belong to the data file administration, and the
      // server's data sources to the server back end: neither is part of this program yet.
      return false;
    default:
      return true;
  }
}

void CBookDirTree::Add() {
  m_dlg->OnNewFile();
}

void CBookDirTree::Open() {
  m_dlg->OnOK();
}

bool CBookDirTree::OnCommand(int id) {
  if (id != kRefresh) return false;
  CSmWaitWnd wait;
  m_dlg->RefillTree();
  return true;
}

// ---------------------------------------------------------------- dialog

CSmOpenDataFileDlg::CSmOpenDataFileDlg(const CSmEnvironment& env, int moduleId, CSmApp* app,
                                       QWidget* parent)
    : CSmAppDlg(kOpenDataTemplate, app, parent), m_env(env), m_moduleId(moduleId) {
  setWindowTitle(QStringLiteral("打开Vornel数据文件"));
  m_rootDir = TrimSlashes(env.GetRootDir());
  const std::string& file = env.GetDataFileName();
  if (env.GetDatabaseKind() == 0 && !file.empty()) {
    const QString key = PathKey(file);
    if (m_rootDir.empty() || !key.startsWith(PathKey(m_rootDir) + "/")) {
      // The account set's folder holds the file; the folder above it holds the account sets.
      const QDir set = QFileInfo(QString::fromStdString(file)).absoluteDir();
      QDir root = set;
      root.cdUp();
      m_rootDir = TrimSlashes(root.absolutePath().toStdString());
    }
  }
  m_env.SetRootDir(m_rootDir);
  m_opno = env.GetOperatorNo();
  m_startOp = CSmOperator(env.GetOperatorNo(), env.GetOperatorName(), env.GetOperatorPassword());

  m_kindCombo = new QComboBox(this);
  m_kindCombo->setObjectName(QString::number(kKindCombo));
  m_kindCombo->addItems({QStringLiteral("Access 数据库"), QStringLiteral("SQL Server 数据库")});
  m_kindCombo->setCurrentIndex(env.GetDatabaseKind() != 0 ? 1 : 0);
  m_moduleCombo = new QComboBox(this);
  m_moduleCombo->setObjectName(QString::number(kModuleCombo));
  std::vector<CSmModuleInfo> infos;
  if (app) app->GetModuleInfos(infos);
  int chosen = 0;
  for (size_t i = 0; i < infos.size(); ++i) {
    const CSmModuleInfo& info = infos[i];
    const std::string text =
        info.m_suffix.empty() ? info.m_title : info.m_title + "(" + info.m_suffix + "版)";
    m_moduleCombo->addItem(QString::fromStdString(text), info.m_id);
    m_moduleCombo->setItemData(static_cast<int>(i), QString::fromStdString(info.m_ext),
                               Qt::UserRole + 1);
    if (moduleId >= 1 && info.m_id == moduleId) chosen = static_cast<int>(i);
  }
  if (!infos.empty()) m_moduleCombo->setCurrentIndex(chosen);
  m_moduleCombo->setVisible(infos.size() > 1);
  m_operatorCombo = new QComboBox(this);
  m_operatorCombo->setObjectName(QString::number(kOperatorCombo));
  auto* password = new CSmEdit(this);
  password->SetInputType("MDBSTRING");
  password->setEchoMode(QLineEdit::Password);
  password->setMaxLength(kSmPasswordMaxLength);
  password->setObjectName(QString::number(kPasswordEdit));
  m_password = password;
  m_tree = new CBookDirTree(this, this);

  auto* left = new QVBoxLayout;
  left->addWidget(m_kindCombo);
  left->addWidget(m_moduleCombo);
  left->addWidget(m_tree, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel(QStringLiteral("操作员："), this));
  right->addWidget(m_operatorCombo);
  right->addWidget(new QLabel(QStringLiteral("口令："), this));
  right->addWidget(m_password);
  right->addStretch();
  right->addWidget(AddButton(kRootButton, QStringLiteral("&B.账套位置")));
  right->addWidget(AddButton(kSearchButton, QStringLiteral("&F.搜索")));
  right->addWidget(AddButton(kNewButton, QStringLiteral("&N.新建")));
  right->addWidget(AddButton(SM_ID_OK, QStringLiteral("&O.打开")));
  right->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(right);
  resize(520, 360);

  connect(m_kindCombo, &QComboBox::currentIndexChanged, this,
          [this](int index) { OnKindChanged(index); });
  connect(m_moduleCombo, &QComboBox::currentIndexChanged, this, [this] { RefillTree(); });
  connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { OnSelectionChanged(); });
  OnKindChanged(m_kindCombo->currentIndex());
  m_tree->SelectFile(file);
}

std::string CSmOpenDataFileDlg::ModuleExt() const {
  const std::string ext = m_moduleCombo->currentData(Qt::UserRole + 1).toString().toStdString();
  return ext.empty() ? "tsd" : ext;
}

void CSmOpenDataFileDlg::RefillTree() {
  m_tree->Fill(m_env.GetDatabaseKind(), m_rootDir, ModuleExt());
}

void CSmOpenDataFileDlg::OnKindChanged(int kind) {
  m_env.SetKind(kind);
  if (QWidget* button = Control(kRootButton)) button->setEnabled(kind == 0);
  // The data-file search belongs to the data file administration, not yet part of the program.
  if (QWidget* button = Control(kSearchButton)) button->setEnabled(false);
  RefillTree();
}

void CSmOpenDataFileDlg::OnSelectionChanged() {
  std::string folder;
  std::string file;
  if (!m_tree->GetSelection(folder, file) || file == m_loadedFile) return;
  m_loadedFile = file;
  m_operatorCombo->clear();
  CSmEnvironment copy(m_env);
  if (!copy.OpenFile(folder, file, "101", false)) return;
  CSmOperatorArray operators;
  LoadOperatorList(&operators, copy.GetDatabase(), true);
  copy.Close();
  int remembered = -1;
  for (const CSmOperator& op : operators) {
    if (op.Opno == m_opno) remembered = m_operatorCombo->count();
    m_operatorCombo->addItem(QString::fromStdString(op.Opno + " " + op.Na));
  }
  if (remembered < 0 && m_operatorCombo->count() > 1) remembered = 1;
  if (remembered >= 0) m_operatorCombo->setCurrentIndex(remembered);
  m_password->setFocus();
}

bool CSmOpenDataFileDlg::OnCommand(unsigned id) {
  switch (id) {
    case kRootButton:
      OnRootFolder();
      return true;
    case kNewButton:
      OnNewFile();
      return true;
    case kSearchButton:
      return true;
    default:
      return CSmAppDlg::OnCommand(id);
  }
}

void CSmOpenDataFileDlg::OnRootFolder() {
  CSmFolderDlg dlg(m_rootDir, this);
  if (dlg.DoModal() != SM_IDOK) return;
  const std::string folder = TrimSlashes(dlg.GetFolder());
  if (PathKey(folder) == PathKey(m_rootDir)) return;
  m_rootDir = folder;
  m_env.SetRootDir(folder);
  RefillTree();
}

void CSmOpenDataFileDlg::OnNewFile() {
  if (m_env.GetDatabaseKind() != 0) {
    SmMessageBox(kServerMissing, SM_MB_OK | SM_MB_ICONINFORMATION);
    return;
  }
  CSmNewYearFileDlg dlg(App(), 1, m_rootDir, m_tree->SelectedAccountSet(), this);
  if (dlg.DoModal() != SM_IDOK) return;
  m_rootDir = dlg.GetRootDir();
  m_env.SetRootDir(m_rootDir);
  RefillTree();
  m_tree->SelectFile(dlg.GetFile());
}

bool CSmOpenDataFileDlg::ValidateAndSave() {
  if (m_moduleCombo->currentIndex() < 0 && m_moduleCombo->count() > 0) {
    SmMessageBox("未选择合适版本的软件！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  std::string folder;
  std::string file;
  if (!m_tree->GetSelection(folder, file)) {
    SmMessageBox("不是有效的年度数据文件！", SM_MB_OK | SM_MB_ICONERROR);
    m_tree->setFocus();
    return false;
  }
  const std::string text = m_operatorCombo->currentText().toStdString();
  if (m_operatorCombo->currentIndex() < 0 || text.empty()) {
    SmMessageBox("未选择操作员！", SM_MB_OK | SM_MB_ICONERROR);
    m_operatorCombo->setFocus();
    return false;
  }
  const std::string opno = text.substr(0, text.find(' '));
  if (!m_env.OpenFile(folder, file, opno, true)) {
    m_tree->setFocus();
    return false;
  }
  CSmDatabase* db = m_env.GetDatabase();
  CSmOperator op;
  if (!CheckStoredPasswords(db) || !op.LoadByCode(opno, db)) {
    m_env.Close();
    m_tree->setFocus();
    return false;
  }
  m_env.SetOperatorPassword(op.Psd);
  if (m_env.GetDatabaseKind() == 0) QDir::setCurrent(QString::fromStdString(m_env.GetDataFolder()));
  const std::string typed = m_password->text().toStdString();
  const bool unchanged = typed.empty() && op.Opno == m_startOp.Opno && op.Na == m_startOp.Na &&
                         op.Psd == m_startOp.Psd;
  if (!unchanged && QString::fromStdString(typed).compare(QString::fromStdString(op.Psd),
                                                          Qt::CaseInsensitive) != 0) {
    SmMessageBox("操作员口令不正确！", SM_MB_OK | SM_MB_ICONERROR);
    m_env.Close();
    m_password->setFocus();
    return false;
  }
  const bool taken = m_env.CheckFileStamp(db);
  m_env.Close();
  if (!taken) {
    m_tree->setFocus();
    return false;
  }
  m_opno = opno;
  m_moduleId =
      m_moduleCombo->currentData().isValid() ? m_moduleCombo->currentData().toInt() : m_moduleId;
  return true;
}
