#include "app/SmOpenDataDlg.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "app/SmApp.h"
#include "app/SmBookStore.h"
#include "app/SmDbLoginDlg.h"
#include "app/SmServerYearFile.h"
#include "core/SmDatabase.h"
#include "core/SmOdbcBackend.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmFolderDlg.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr unsigned kOpenDataTemplate = 815;
constexpr int kRefresh = 43112;
constexpr int kConvert = 43161;
constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kSourceRole = Qt::UserRole + 2;
constexpr int kCodeRole = Qt::UserRole + 3;
constexpr int kServerKind = 1;  // data sources are reached through ODBC

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

// Every item below (and with) the item, depth first.
void CollectItems(QTreeWidgetItem* item, std::vector<QTreeWidgetItem*>& out) {
  out.push_back(item);
  for (int i = 0; i < item->childCount(); ++i) CollectItems(item->child(i), out);
}

}  // namespace

// ---------------------------------------------------------------- account-set tree

CBookDirTree::CBookDirTree(CSmOpenDataFileDlg* dlg, QWidget* parent)
    : CSmTreeCtrl(nullptr, parent), m_dlg(dlg) {
  setObjectName(QString::number(CSmOpenDataFileDlg::kTree));
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
  for (const SmServerSource& found : CSmBookStore::ListServerSources(ext)) {
    const QString sourceName = QString::fromStdString(found.name);
    auto* source = new QTreeWidgetItem(top);
    source->setText(0, sourceName);
    source->setData(0, kLevelRole, kAccountSet);
    source->setData(0, kPathRole, sourceName);
    source->setData(0, kSourceRole, sourceName);
    for (const SmServerAccountSet& set : found.sets) {
      const QString code = QString::fromStdString(set.code);
      auto* setItem = new QTreeWidgetItem(source);
      setItem->setText(0, QString::fromStdString(set.code + " " + set.name));
      setItem->setData(0, kLevelRole, kServerSet);
      setItem->setData(0, kPathRole, sourceName + "/" + code);
      setItem->setData(0, kSourceRole, sourceName);
      setItem->setData(0, kCodeRole, code);
      for (int year : set.years) {
        auto* yearItem = new QTreeWidgetItem(setItem);
        yearItem->setText(0, QString::number(year) + QStringLiteral(" 年"));
        yearItem->setData(0, kLevelRole, kYearFile);
        yearItem->setData(0, kPathRole,
                          QString::fromStdString(SmServerDatabaseName(ext, set.code, year)));
        yearItem->setData(0, kSourceRole, sourceName);
        yearItem->setData(0, kCodeRole, code);
      }
    }
  }
}

void CBookDirTree::FillFolders(QTreeWidgetItem* top, const std::string& root,
                               const std::string& ext) {
  top->setText(0, QString::fromStdString(root));
  top->setData(0, kPathRole, QString::fromStdString(root));
  for (const SmFolderBook& book : CSmBookStore::ListFolderBooks(root, ext)) {
    auto* setItem = new QTreeWidgetItem(top);
    setItem->setText(0, QString::fromStdString(book.name));
    setItem->setData(0, kLevelRole, kAccountSet);
    setItem->setData(0, kPathRole, QString::fromStdString(book.path));
    for (const std::string& file : book.files) {
      const QFileInfo info(QString::fromStdString(file));
      auto* fileItem = new QTreeWidgetItem(setItem);
      fileItem->setText(0, info.fileName());
      fileItem->setData(0, kLevelRole, kYearFile);
      fileItem->setData(0, kPathRole, info.filePath());
    }
  }
}

bool CBookDirTree::SelectFile(const std::string& file, const std::string& source) {
  if (file.empty() || topLevelItemCount() == 0) return false;
  std::vector<QTreeWidgetItem*> items;
  CollectItems(topLevelItem(0), items);
  const QString key = PathKey(file);
  for (QTreeWidgetItem* item : items) {
    if (LevelOf(item) != kYearFile || PathKey(PathOf(item)) != key) continue;
    if (!source.empty() && item->data(0, kSourceRole).toString().toStdString() != source) continue;
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

bool CBookDirTree::IsDataSourceSelected() const {
  return m_kind != 0 && LevelOf(currentItem()) == kAccountSet;
}

std::string CBookDirTree::SelectedDataSource() const {
  const QTreeWidgetItem* item = currentItem();
  if (m_kind == 0 || !item) return {};
  return item->data(0, kSourceRole).toString().toStdString();
}

std::string CBookDirTree::SelectedServerCode() const {
  const QTreeWidgetItem* item = currentItem();
  if (m_kind == 0 || !item) return {};
  return item->data(0, kCodeRole).toString().toStdString();
}

std::vector<std::string> CBookDirTree::ServerCodes(const std::string& source) const {
  std::vector<std::string> codes;
  if (m_kind == 0 || topLevelItemCount() == 0) return codes;
  const QTreeWidgetItem* top = topLevelItem(0);
  for (int i = 0; i < top->childCount(); ++i) {
    const QTreeWidgetItem* node = top->child(i);
    if (PathOf(node) != source) continue;
    for (int k = 0; k < node->childCount(); ++k)
      codes.push_back(node->child(k)->data(0, kCodeRole).toString().toStdString());
  }
  return codes;
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
    case SM_ID_LIST_DELETE:
      return GetSelection(folder, file) || IsDataSourceSelected();
    case SM_ID_LIST_MODIFY:
      return IsDataSourceSelected();
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_COPY:
    case SM_ID_EDIT_PASTE:
      return false;
    case kConvert:
      return GetSelection(folder, file);
    case SM_ID_EDIT_FIND:
      return m_dlg->CanSearchBooks();
    default:
      return true;
  }
}

void CBookDirTree::Add() {
  m_dlg->OnNewFile();
}

void CBookDirTree::Open() {
  if (IsDataSourceSelected()) {
    m_dlg->OnSetDataSourceUser();
    return;
  }
  m_dlg->OnOK();
}

void CBookDirTree::Modify() {
  m_dlg->OnConfigureDataSource();
}

void CBookDirTree::Delete() {
  m_dlg->OnDelete();
}

bool CBookDirTree::OnCommand(int id) {
  if (id == SM_ID_EDIT_FIND) {
    m_dlg->OnSearchBooks();
    return true;
  }
  if (id == kConvert) {
    m_dlg->OnConvert();
    return true;
  }
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
  // Takes every character the password dialog lets an operator set.
  auto* password = new CSmEdit(this);
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
  if (QWidget* button = Control(kSearchButton)) button->setEnabled(CanSearchBooks());
  RefillTree();
}

void CSmOpenDataFileDlg::OnSelectionChanged() {
  std::string folder;
  std::string file;
  if (!m_tree->GetSelection(folder, file) || file == m_loadedFile) return;
  m_loadedFile = file;
  m_operatorCombo->clear();
  CSmEnvironment copy(m_env);
  if (!copy.OpenFile(folder, file, CSmBookStore::kAdministrator, false)) return;
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
      OnSearchBooks();
      return true;
    default:
      return CSmAppDlg::OnCommand(id);
  }
}

bool CSmOpenDataFileDlg::CanSearchBooks() const {
  return m_env.GetDatabaseKind() == 0 && App() && App()->HasBookSearch();
}

void CSmOpenDataFileDlg::OnSearchBooks() {
  if (!CanSearchBooks()) return;
  const std::string file = App()->RunBookSearch(this);
  if (file.empty() || m_tree->SelectFile(file)) return;
  // A set outside the folder shown: show the folder that holds it.
  QDir root = QFileInfo(QString::fromStdString(file)).absoluteDir();
  root.cdUp();
  m_rootDir = TrimSlashes(root.absolutePath().toStdString());
  m_env.SetRootDir(m_rootDir);
  RefillTree();
  m_tree->SelectFile(file);
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
  SmNewYearFileRequest request;
  request.kind = m_env.GetDatabaseKind();
  if (request.kind == 0) {
    // The selected account set (or year file) gets the new year; else a new account set.
    const QTreeWidgetItem* item = m_tree->currentItem();
    request.dataFile = CBookDirTree::LevelOf(item) >= CBookDirTree::kAccountSet
                           ? CBookDirTree::PathOf(item)
                           : NewAccountSetFolder();
    RunNewYearFile(request);
    return;
  }
  if (CBookDirTree::LevelOf(m_tree->currentItem()) == CBookDirTree::kTop) {
    OnNewDataSource();
    return;
  }
  request.server = m_tree->SelectedDataSource();
  {
    CSmDatabase master(kServerKind);
    if (request.server.empty() ||
        !master.Open("master", CSmBookStore::DataSourceLogin(request.server))) {
      SmMessageBox("无法打开此数据源！", SM_MB_OK | SM_MB_ICONERROR);
      return;
    }
  }
  // The selected account set gets its next year; otherwise a new set is proposed.
  const std::string code = m_tree->SelectedServerCode();
  if (!code.empty()) request.dataFile = ModuleExt() + code;
  RunNewYearFile(request);
}

void CSmOpenDataFileDlg::OnConvert() {
  std::string folder;
  std::string file;
  if (!m_tree->GetSelection(folder, file)) return;
  SmNewYearFileRequest request;
  request.convert = true;
  request.sourceFile = file;
  if (m_env.GetDatabaseKind() == 0) {
    request.kind = kServerKind;
    request.server = FirstReachableDataSource();
    if (request.server.empty()) {
      SmMessageBox("没有可以打开的数据源！", SM_MB_OK | SM_MB_ICONERROR);
      return;
    }
  } else {
    // Into a folder of the account set's sequence number under the root folder.
    request.sourceServer = folder;
    const std::string ext = ModuleExt();
    const std::string code = file.size() >= ext.size() + 4 ? file.substr(ext.size(), 4) : file;
    request.dataFile = m_rootDir + "/" + code + "/" + file + "." + ext;
  }
  RunNewYearFile(request);
}

std::string CSmOpenDataFileDlg::NewAccountSetFolder() const {
  for (int number = 1;; ++number) {
    const std::string folder = FormatStr("%s/%03d", m_rootDir.c_str(), number);
    if (!QFileInfo::exists(QString::fromStdString(folder))) return folder;
  }
}

std::string CSmOpenDataFileDlg::FirstReachableDataSource() {
  std::vector<std::string> names;
  ListOdbcDataSourcesOfDriver(names, SmOdbcDriverName());
  for (const std::string& name : names) {
    CSmDatabase master(kServerKind);
    if (master.Open("master", CSmBookStore::DataSourceLogin(name))) return name;
  }
  return {};
}

void CSmOpenDataFileDlg::RunNewYearFile(const SmNewYearFileRequest& request) {
  SmNewYearFileResult made;
  if (!App() || !App()->RunNewYearFile(request, this, &made)) return;
  if (request.kind == 0 && !made.folder.empty()) {
    // The tree shows the account sets under the root: the new file's folder is one of them.
    const QString parent = QFileInfo(QString::fromStdString(made.folder)).absolutePath();
    if (PathKey(parent.toStdString()) != PathKey(m_rootDir)) {
      m_rootDir = TrimSlashes(parent.toStdString());
      m_env.SetRootDir(m_rootDir);
    }
  }
  if (request.kind != m_env.GetDatabaseKind()) {
    m_kindCombo->setCurrentIndex(request.kind != 0 ? 1 : 0);  // refills the tree
  } else {
    RefillTree();
  }
  m_tree->SelectFile(made.file, request.server);
  // The new-file dialog and its boxes have closed one after the other; a window manager does
  // not always give this dialog the keyboard back, so it takes it, on the password.
  activateWindow();
  m_password->setFocus();
}

bool CSmOpenDataFileDlg::AskSetup(const std::string& name, SmDataSourceSetup& setup) {
  for (;;) {
    CSmDbLoginDlg dlg(this);
    dlg.setWindowTitle(QString::fromStdString("数据源“" + name + "”"));
    dlg.SetServer(setup.host, setup.port);
    dlg.SetUser(setup.user);
    dlg.SetPassword(setup.password);
    if (dlg.DoModal() != SM_IDOK) return false;
    setup = {dlg.GetHost(), dlg.GetPort(), dlg.GetUser(), dlg.GetPassword()};
    std::string reason;
    if (CSmBookStore::TryServer(setup, &reason)) return true;
    ShowConnectFailure(reason);  // and the setup is offered again as typed
  }
}

void CSmOpenDataFileDlg::ShowConnectFailure(const std::string& reason) {
  SmMessageBox(SmConnectFailureReport("无法连接此数据源！", reason), SM_MB_OK | SM_MB_ICONERROR);
}

void CSmOpenDataFileDlg::OnNewDataSource() {
  const std::string name = CSmBookStore::NewDataSourceName();
  SmDataSourceSetup setup{"localhost", {}, "sa", {}};
  if (!AskSetup(name, setup)) return;
  if (!CSmBookStore::SaveDataSource(name, setup, true)) {
    SmMessageBox("建立数据源“" + name + "”失败！", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  RefillTree();
}

void CSmOpenDataFileDlg::OnConfigureDataSource() {
  if (!m_tree->IsDataSourceSelected()) return;
  const std::string name = m_tree->SelectedDataSource();
  SmDataSourceSetup setup = CSmBookStore::ReadSetup(name);
  if (!AskSetup(name, setup)) return;
  if (!CSmBookStore::SaveDataSource(name, setup, false)) {
    SmMessageBox("配置数据源“" + name + "”失败！", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  RefillTree();
}

void CSmOpenDataFileDlg::OnSetDataSourceUser() {
  if (!m_tree->IsDataSourceSelected()) return;
  CSmConnInfo login = CSmBookStore::DataSourceLogin(m_tree->SelectedDataSource());
  CSmDbLoginDlg dlg(this);
  dlg.SetUser(login.user);
  dlg.SetPassword(login.password);
  if (dlg.DoModal() != SM_IDOK) return;
  login.user = dlg.GetUser();
  login.password = dlg.GetPassword();
  {
    CSmDatabase master(kServerKind);
    if (!master.Open("master", login)) {
      ShowConnectFailure(master.LastError());
      return;
    }
  }
  CSmEnvironment().WriteDbLogin(login);
  // Its account sets can be listed now.
  RefillTree();
}

void CSmOpenDataFileDlg::OnDelete() {
  if (m_tree->IsDataSourceSelected()) {
    DeleteDataSource();
  } else {
    DeleteYearFile();
  }
}

void CSmOpenDataFileDlg::DeleteDataSource() {
  if (CSmBookStore::DeleteDataSource(m_tree->SelectedDataSource())) RefillTree();
}

std::string CSmOpenDataFileDlg::ChosenOperator() const {
  const std::string text = m_operatorCombo->currentText().toStdString();
  if (m_operatorCombo->currentIndex() < 0) return {};
  return text.substr(0, text.find(' '));
}

void CSmOpenDataFileDlg::DeleteYearFile() {
  std::string folder;
  std::string file;
  if (!m_tree->GetSelection(folder, file)) return;
  using Refused = CSmBookStore::Refused;
  switch (CSmBookStore::DeleteYearFile(m_env, folder, file, ChosenOperator(),
                                       m_password->text().toStdString())) {
    case Refused::No:
      m_loadedFile.clear();
      m_operatorCombo->clear();
      RefillTree();
      return;
    case Refused::Operator:
      m_operatorCombo->setFocus();
      return;
    case Refused::Password:
      m_password->setFocus();
      return;
    case Refused::File:
      m_tree->setFocus();
      return;
    case Refused::Declined:
      return;
  }
}

void CSmOpenDataFileDlg::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  // Enter after the password logs in.
  if (enter && !(event->modifiers() & ~Qt::KeypadModifier) && focusWidget() == m_password) {
    OnOK();
    return;
  }
  CSmAppDlg::keyPressEvent(event);
}

bool CSmOpenDataFileDlg::ValidateAndSave() {
  if (m_moduleCombo->currentIndex() < 0 && m_moduleCombo->count() > 0) {
    SmMessageBox("未选择合适版本的软件！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  std::string folder;
  std::string file;
  if (!m_tree->GetSelection(folder, file)) return SmRefuse("不是有效的年度数据文件！", m_tree);
  if (m_operatorCombo->count() == 0) {
    // The file gave no operators when it was selected: say why it does not open.
    CSmEnvironment copy(m_env);
    const bool opened = copy.OpenFile(folder, file, CSmBookStore::kAdministrator, true);
    copy.Close();
    if (!opened) {
      m_tree->setFocus();
      return false;
    }
  }
  const std::string opno = ChosenOperator();
  if (opno.empty()) return SmRefuse("未选择操作员！", m_operatorCombo);
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
  m_env.SetOperatorPassword(op.StoredPassword());
  if (m_env.GetDatabaseKind() == 0) QDir::setCurrent(QString::fromStdString(m_env.GetDataFolder()));
  const std::string typed = m_password->text().toStdString();
  const bool unchanged = typed.empty() && op.Opno == m_startOp.Opno && op.Na == m_startOp.Na &&
                         op.StoredPassword() == m_startOp.Psd;  // the stored form
  if (!unchanged && !op.CheckPassword(typed, db)) {
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
