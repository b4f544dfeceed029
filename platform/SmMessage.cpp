#include "platform/SmMessage.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/SmDesktop.h"

namespace {

enum FileDialogKind { kOpenFile, kSaveFile, kFolder };

int DefaultAnswer(unsigned flags) {
  const bool second = flags & SM_MB_DEFBUTTON2;
  switch (flags & 0xF) {
    case SM_MB_OKCANCEL:
      return second ? SM_IDCANCEL : SM_IDOK;
    case SM_MB_YESNO:
    case SM_MB_YESNOCANCEL:
      return second ? SM_IDNO : SM_IDYES;
    default:
      return SM_IDOK;
  }
}

QMessageBox::Icon IconOf(unsigned flags) {
  switch (flags & 0xF0) {
    case SM_MB_ICONERROR:
      return QMessageBox::Critical;
    case SM_MB_ICONQUESTION:
      return QMessageBox::Question;
    case SM_MB_ICONWARNING:
      return QMessageBox::Warning;
    case SM_MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return (flags & 0xF) == SM_MB_OK ? QMessageBox::Warning : QMessageBox::Question;
  }
}

struct BoxButton {
  QMessageBox::StandardButton button;
  int answer;
};

std::vector<BoxButton> ButtonsOf(unsigned flags) {
  switch (flags & 0xF) {
    case SM_MB_OKCANCEL:
      return {{QMessageBox::Ok, SM_IDOK}, {QMessageBox::Cancel, SM_IDCANCEL}};
    case SM_MB_YESNO:
      return {{QMessageBox::Yes, SM_IDYES}, {QMessageBox::No, SM_IDNO}};
    case SM_MB_YESNOCANCEL:
      return {{QMessageBox::Yes, SM_IDYES},
              {QMessageBox::No, SM_IDNO},
              {QMessageBox::Cancel, SM_IDCANCEL}};
    default:
      return {{QMessageBox::Ok, SM_IDOK}};
  }
}

// A box as wide as its title needs: Qt sizes a box by its text and leaves the title to the
// window manager, which cuts a title longer than the box down to "Vorn... 软件". A title bar
// centres its title between the window's icon on one side and three buttons on the other, each
// about as wide as the bar is high: the title needs the room of three buttons on either side.
class CSmMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  bool event(QEvent* event) override {
    const bool handled = QMessageBox::event(event);
    // Qt sizes the box anew when it is shown and whenever its layout asks.
    if (event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest) FitTitle();
    return handled;
  }

 private:
  void FitTitle() {
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int barHeight = metrics.height() + 8;
    int wanted = metrics.horizontalAdvance(windowTitle()) + 6 * barHeight;
    if (const QScreen* where = screen())
      wanted = std::min(wanted, where->availableGeometry().width());
    if (width() >= wanted) return;
    const int height = layout() && layout()->hasHeightForWidth()
                           ? layout()->totalHeightForWidth(wanted)
                           : this->height();
    setFixedSize(wanted, height);
    QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
  }
};

int ShowBox(const std::string& text, unsigned flags, const std::string& caption) {
  std::unique_ptr<QMessageBox> box = SmCreateMessageBox(text, flags, caption);
  const std::vector<BoxButton> buttons = ButtonsOf(flags);
  const CSmActiveWindowReturn back;
  const auto pressed = static_cast<QMessageBox::StandardButton>(box->exec());
  for (const BoxButton& b : buttons)
    if (b.button == pressed) return b.answer;
  return buttons.size() > 1 ? SM_IDCANCEL : SM_IDOK;
}

// The detail view's columns of Qt's file dialog.
enum FileColumn { kNameColumn, kSizeColumn, kTypeColumn, kDateColumn };

// Sizes and dates in the program's language. Qt's file model writes them as the system's
// locale does, while the dialog's other texts follow the program's: on a system that is not
// set to Chinese the dialog would read "5.19 KiB", "11 Dec 2026" beside "名称" and "类型".
class CFileListProxy : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    const int column = index.column();
    if (role != Qt::DisplayRole || !files || (column != kSizeColumn && column != kDateColumn))
      return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (column == kDateColumn)
      return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    if (files->isDir(source)) return QIdentityProxyModel::data(index, role);
    return QLocale().formattedDataSize(files->size(source));
  }
};

// Qt sizes the size, type and date columns for short English texts ("mp3Folder"): each is
// widened to its header and its widest entry, and the dialog grows by what the view then lacks.
void FitFileColumns(QFileDialog& dialog, QTreeView& view) {
  QHeaderView* header = view.header();
  const QAbstractItemView& entries = view;  // where the widest entry is asked for
  for (int column : {kSizeColumn, kTypeColumn, kDateColumn}) {
    const int wanted = std::max(header->sectionSizeHint(column), entries.sizeHintForColumn(column));
    if (header->sectionSize(column) < wanted) header->resizeSection(column, wanted);
  }
  int lacking = header->length() - view.viewport()->width();
  if (lacking <= 0) return;
  if (const QScreen* where = dialog.screen())
    lacking = std::min(lacking, where->availableGeometry().width() - dialog.width());
  if (lacking > 0) dialog.resize(dialog.width() + lacking, dialog.height());
}

}  // namespace

void SmPrepareFileDialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setProxyModel(new CFileListProxy(&dialog));
  auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  auto* files = dialog.findChild<QFileSystemModel*>();
  if (!view || !files) return;
  // The entries of a folder arrive after it is shown.
  QObject::connect(files, &QFileSystemModel::directoryLoaded, &dialog,
                   [&dialog, view] { FitFileColumns(dialog, *view); });
  FitFileColumns(dialog, *view);
}

std::unique_ptr<QMessageBox> SmCreateMessageBox(const std::string& text, unsigned flags,
                                                const std::string& caption) {
  std::string title = caption;
  if (title.empty()) title = CSmMessageService::Instance().DefaultCaption();
  if (title.empty()) title = QCoreApplication::applicationName().toStdString();
  auto box = std::make_unique<CSmMessageBox>(IconOf(flags), QString::fromStdString(title),
                                             QString::fromStdString(text), QMessageBox::NoButton,
                                             QApplication::activeWindow());
  const std::vector<BoxButton> buttons = ButtonsOf(flags);
  QMessageBox::StandardButtons all;
  for (const BoxButton& b : buttons) all |= b.button;
  box->setStandardButtons(all);
  const size_t def = (flags & SM_MB_DEFBUTTON2) && buttons.size() > 1 ? 1 : 0;
  box->setDefaultButton(buttons[def].button);
  return box;
}

CSmMessageService& CSmMessageService::Instance() {
  static CSmMessageService service;
  return service;
}

void CSmMessageService::Clear() {
  m_answers.clear();
  m_fileNames.clear();
  m_fileLists.clear();
  m_printFiles.clear();
  m_shown.clear();
  m_printDialogs.clear();
  m_whileShown = {};
}

int CSmMessageService::Show(const std::string& text, unsigned flags, const std::string& caption) {
  int answer = 0;
  if (m_testMode) {
    // Taken out first: what the test does meanwhile may show boxes of its own.
    if (auto whileShown = std::exchange(m_whileShown, {})) whileShown(text);
    if (m_answers.empty()) {
      answer = DefaultAnswer(flags);
    } else {
      answer = m_answers.front();
      m_answers.pop_front();
    }
  } else if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    answer = ShowBox(text, flags, caption);
  } else {
    std::fprintf(stderr, "%s\n", text.c_str());
    answer = DefaultAnswer(flags);
  }
  m_shown.push_back({text, caption, flags, answer});
  return answer;
}

std::string CSmMessageService::AskFileName(int kind, const std::string& caption,
                                           const std::string& dir, const std::string& filter) {
  if (m_testMode || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
    if (m_fileNames.empty()) return {};
    std::string name = m_fileNames.front();
    m_fileNames.pop_front();
    return name;
  }
  QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(caption),
                     QString::fromStdString(dir), QString::fromStdString(filter));
  SmPrepareFileDialog(dialog);
  switch (kind) {
    case kOpenFile:
      dialog.setFileMode(QFileDialog::ExistingFile);
      break;
    case kSaveFile:
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setFileMode(QFileDialog::AnyFile);
      break;
    default:
      dialog.setFileMode(QFileDialog::Directory);
      dialog.setOption(QFileDialog::ShowDirsOnly);
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0).toStdString();
}

std::vector<std::string> CSmMessageService::AskFileNames(const std::string& caption,
                                                         const std::string& dir,
                                                         const std::string& filter,
                                                         const std::string& checkText,
                                                         bool& checked) {
  if (m_testMode || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
    if (m_fileLists.empty()) return {};
    auto [names, box] = m_fileLists.front();
    m_fileLists.pop_front();
    if (!names.empty()) checked = box;
    return names;
  }
  QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(caption),
                     QString::fromStdString(dir), QString::fromStdString(filter));
  SmPrepareFileDialog(dialog);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  auto* box = new QCheckBox(QString::fromStdString(checkText), &dialog);
  box->setChecked(checked);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
  if (dialog.exec() != QDialog::Accepted) return {};
  checked = box->isChecked();
  std::vector<std::string> names;
  for (const QString& name : dialog.selectedFiles()) names.push_back(name.toStdString());
  return names;
}

int SmMessageBox(const std::string& text, unsigned flags, const std::string& caption) {
  return CSmMessageService::Instance().Show(text, flags, caption);
}

std::string SmGetOpenFileName(const std::string& caption, const std::string& dir,
                              const std::string& filter) {
  return CSmMessageService::Instance().AskFileName(kOpenFile, caption, dir, filter);
}

std::string SmGetSaveFileName(const std::string& caption, const std::string& path,
                              const std::string& filter) {
  return CSmMessageService::Instance().AskFileName(kSaveFile, caption, path, filter);
}

std::vector<std::string> SmGetOpenFileNames(const std::string& caption, const std::string& dir,
                                            const std::string& filter, const std::string& checkText,
                                            bool& checked) {
  return CSmMessageService::Instance().AskFileNames(caption, dir, filter, checkText, checked);
}

std::string SmGetExistingDirectory(const std::string& caption, const std::string& dir) {
  return CSmMessageService::Instance().AskFileName(kFolder, caption, dir, {});
}
