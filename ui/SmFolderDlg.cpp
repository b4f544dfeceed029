#include "ui/SmFolderDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/SmPathName.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"

namespace {
constexpr unsigned kFolderTemplate = 804;
}  // namespace

CSmFolderDlg::CSmFolderDlg(const std::string& folder, QWidget* parent)
    : CSmDlg(kFolderTemplate, parent), m_folder(folder) {
  setWindowTitle(QStringLiteral("文件夹浏览"));
  m_model = new QFileSystemModel(this);
  m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  m_model->setRootPath(QDir::rootPath());
  m_tree = new QTreeView(this);
  m_tree->setObjectName(QString::number(kFolderTree));
  m_tree->setModel(m_model);
  for (int column = 1; column < m_model->columnCount(); ++column) m_tree->hideColumn(column);
  m_tree->setHeaderHidden(true);
  m_edit = new QLineEdit(QString::fromStdString(folder), this);
  m_edit->setObjectName(QString::number(kFolderEdit));
  ShowStartFolder(QString::fromStdString(folder));
  connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) { m_edit->setText(m_model->filePath(index)); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tree);
  layout->addWidget(m_edit);
  layout->addLayout(buttons);
  resize(360, 420);
}

void CSmFolderDlg::ShowStartFolder(const QString& folder) {
  // The given folder, or the nearest folder above it that exists; the current one when empty.
  QString start = QDir(folder.isEmpty() ? QDir::currentPath() : folder).absolutePath();
  while (!QFileInfo(start).isDir() && !QDir(start).isRoot())
    start = QFileInfo(start).absolutePath();
  const QModelIndex index = m_model->index(start);
  if (!index.isValid()) return;
  for (QModelIndex above = index.parent(); above.isValid(); above = above.parent()) {
    m_tree->expand(above);
  }
  m_tree->expand(index);
  m_tree->setCurrentIndex(index);
  m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
  // The folders load in the background, and every folder above the start folder that loads
  // moves it down: it is kept in view until the user goes elsewhere.
  connect(m_model, &QFileSystemModel::directoryLoaded, this, [this, start](const QString& path) {
    const QString above = path.endsWith('/') ? path : path + '/';
    if (path != start && !start.startsWith(above)) return;
    const QModelIndex at = m_model->index(start);
    if (m_tree->currentIndex() == at) m_tree->scrollTo(at, QAbstractItemView::PositionAtCenter);
  });
}

bool CSmFolderDlg::ValidateAndSave() {
  const std::string folder = m_edit->text().trimmed().toStdString();
  if (folder.empty()) {
    SmMessageBox("没有指定文件夹名！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  CSmPathName name(folder);
  name.CheckNotFile();
  std::string text;
  if (name.GetResultText(text) != 1) {
    SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  m_folder = folder;
  if (!QFileInfo(QString::fromStdString(folder)).isDir() &&
      SmMessageBox("文件夹“" + folder + "”不存在，要创建它吗？",
                   SM_MB_YESNO | SM_MB_ICONQUESTION) == SM_IDYES) {
    name.CreateFolderPath(folder);
  }
  return true;
}
