#include "ui/SmListCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmString.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmCalcDlg.h"
#include "ui/SmDlg.h"
#include "ui/SmFindDlg.h"
#include "ui/SmListPrint.h"

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
  return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

const char* const kCutWord = "剪切";
const char* const kCopyWord = "复制";

struct MenuItem {
  unsigned id;
  const char* text;
};

const MenuItem kMenu300[] = {
    {SM_ID_LIST_ADD, "新增(&N)...\tCtrl+N"},
    {SM_ID_LIST_OPEN, "打开(&O)...\tCtrl+O"},
    {SM_ID_LIST_MODIFY, "修改(&S)...\tCtrl+M"},
    {SM_ID_LIST_DELETE, "删除(&R)\tDelete"},
    {0, nullptr},
    {SM_ID_EDIT_CUT, "剪切(&T)\tCtrl+X"},
    {SM_ID_EDIT_COPY, "复制(&C)\tCtrl+C"},
    {SM_ID_EDIT_PASTE, "粘贴(&P)\tCtrl+V"},
    {SM_ID_EDIT_SELECT_ALL, "全选(&A)\tCtrl+A"},
    {SM_ID_LIST_INVERT_SELECTION, "反向选择(&F)\tCtrl+R"},
    {SM_ID_EDIT_FIND, "查找(&F)\tCtrl+F"},
    {SM_ID_EDIT_REPEAT, "查找下一个(&E)\tF3"},
    {0, nullptr},
    {SM_ID_HELP, "帮助(&H)\tF1"},
    {SM_ID_CALCULATOR, "计算器(&B)\tF12"},
    {0, nullptr},
    {SM_ID_FILE_PRINT, "打印 ...\tCtrl+P"},
    {SM_ID_FILE_PAGE_SETUP, "打印页面设置 ..."},
    {SM_ID_FILE_PRINT_SETUP, "打印机设置 ..."},
    {0, nullptr},
    {SM_ID_VIEW_LARGEICON, "大图标(&G)"},
    {SM_ID_VIEW_SMALLICON, "小图标(&M)"},
    {SM_ID_VIEW_LIST, "列表(&L)"},
    {SM_ID_VIEW_DETAILS, "详细资料(&D)"},
};

}  // namespace

std::string SmSourceConnectText(const SmListSource& s) {
  if (s.kind == 1) return "DSN=" + s.server + ";UID=" + s.user + ";DATABASE=" + s.database;
  return "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=" + s.user +
         ";Initial Catalog=" + s.database + ";Data Source=" + s.server;
}

SmListSource SmParseSourceConnectText(int kind, const std::string& text) {
  const CSmConnInfo info = CSmDatabase::ParseConnectString(text, kind);
  SmListSource s;
  s.kind = kind;
  s.server = info.server;
  s.user = info.user;
  s.password = info.password;
  s.database = info.database;
  return s;
}

int SmList_GetFirstSelected(const QTreeWidget* list) {
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    if (list->topLevelItem(i)->isSelected()) return i;
  return -1;
}

void SmList_SelectAll(QTreeWidget* list) {
  for (int i = 0; i < list->topLevelItemCount(); ++i) list->topLevelItem(i)->setSelected(true);
}

CSmListCtrl::CSmListCtrl(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { Open(); });
}

CSmListCtrl::~CSmListCtrl() = default;

void CSmListCtrl::Initialize() {
  m_clipboardFormat = GetClipboardFormat();
  CreateImageLists();
}

void CSmListCtrl::CreateImageLists() {
  const std::vector<unsigned> ids = GetIconIds();
  if (ids.empty()) return;
  m_icons.clear();
  for (unsigned id : ids) m_icons.emplace_back(QStringLiteral(":/icons/%1.png").arg(id));
}

void CSmListCtrl::SetColumns(const std::vector<int>& widths,
                             const std::vector<std::string>& captions) {
  QStringList labels;
  for (const std::string& caption : captions) labels << QString::fromStdString(caption);
  setColumnCount(static_cast<int>(captions.size()));
  setHeaderLabels(labels);
  for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
    // A column starts at least as wide as its title, so that no title is cut.
    if (i < static_cast<int>(widths.size()))
      setColumnWidth(i, std::max(widths[i], header()->sectionSizeHint(i)));
    headerItem()->setTextAlignment(i, GetColumnFormat(i) | Qt::AlignVCenter);
  }
  m_columnCount = static_cast<int>(captions.size());
}

void CSmListCtrl::AddRow(const std::vector<std::string>& texts, int image) {
  auto* item = new QTreeWidgetItem(this);
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) {
    item->setText(i, QString::fromStdString(texts[i]));
    // Centred in the row like the first column's icon, not at the cell's top.
    item->setTextAlignment(i, GetColumnFormat(i) | Qt::AlignVCenter);
  }
  if (image >= 0 && image < static_cast<int>(m_icons.size())) item->setIcon(0, m_icons[image]);
  // A row reads as unchecked; its check box shows only once a check is set on it.
}

void CSmListCtrl::SetCheck(int row, bool checked) {
  if (QTreeWidgetItem* item = topLevelItem(row))
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

bool CSmListCtrl::GetCheck(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item && item->checkState(0) == Qt::Checked;
}

int CSmListCtrl::FirstSelected() const {
  return SmList_GetFirstSelected(this);
}

int CSmListCtrl::FindText(const std::string& text, bool sorted) {
  const int count = RowCount();
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i) {
    const std::string row = topLevelItem(i)->text(0).toStdString();
    if (sorted ? GbkCompare(row, text) >= 0 : row == text) found = i;
  }
  if (found < 0 && sorted && count > 0) found = count - 1;
  if (found < 0) return -1;
  QTreeWidgetItem* item = topLevelItem(found);
  scrollToItem(item);
  selectionModel()->setCurrentIndex(indexFromItem(item), QItemSelectionModel::NoUpdate);
  item->setSelected(true);
  return found;
}

int CSmListCtrl::SelectTexts(const std::vector<std::string>& texts) {
  std::vector<std::string> left = texts;
  int found = 0;
  for (int i = 0; i < RowCount() && !left.empty(); ++i) {
    QTreeWidgetItem* item = topLevelItem(i);
    const auto it = std::find(left.begin(), left.end(), item->text(0).toStdString());
    if (it == left.end()) continue;
    left.erase(it);
    ++found;
    scrollToItem(item);
    selectionModel()->setCurrentIndex(indexFromItem(item), QItemSelectionModel::NoUpdate);
    item->setSelected(true);
  }
  return found;
}

int CSmListCtrl::GetSelectedTexts(std::vector<std::string>& texts) const {
  texts.clear();
  for (int i = 0; i < RowCount(); ++i)
    if (topLevelItem(i)->isSelected()) texts.push_back(topLevelItem(i)->text(0).toStdString());
  return static_cast<int>(texts.size());
}

int CSmListCtrl::GetClipboardRows(std::vector<std::string>& rows) const {
  return GetSelectedTexts(rows);
}

namespace {

QString ClipboardMimeType(unsigned format) {
  return QStringLiteral("application/x-sm-list-%1").arg(format);
}

}  // namespace

bool SmClipboardHasRows(unsigned format) {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  return data && data->hasFormat(ClipboardMimeType(format));
}

void SmCopyRowsToClipboard(unsigned format, const SmListSource& own, bool cut,
                           const std::vector<std::string>& rows) {
  int kind = 0;
  std::string source;
  if (own.open) {
    kind = own.kind;
    // The password stays out of the clipboard; a paste takes it from the saved data source.
    source = kind == 0 ? own.file : SmSourceConnectText(own);
  }
  std::string text = std::to_string(kind) + (cut ? kCutWord : kCopyWord) + source + "\n";
  for (const std::string& row : rows) text += row + "\n";
  auto data = std::make_unique<QMimeData>();
  data->setData(ClipboardMimeType(format), QByteArray::fromStdString(text));
  QApplication::clipboard()->setMimeData(data.release());
}

SmListSource SmSourceOf(CSmDatabase* db) {
  SmListSource source;
  if (!db) return source;
  source.open = db->IsOpen();
  source.kind = db->GetKind();
  if (!source.open) return source;
  if (source.kind == 0) {
    source.file = db->GetFileName(false);
    return source;
  }
  const CSmConnInfo info = db->GetConnInfo();
  source.server = info.server;
  source.user = info.user;
  source.password = info.password;
  source.database = info.database;
  return source;
}

void SmOpenClipboardSource(const SmListSource& from, CSmDatabase& source) {
  source.SetKind(from.kind);
  const std::string name = from.kind == 0 ? from.file : from.database;
  if (name.empty()) return;
  CSmConnInfo settings(from.kind);
  if (from.kind != 0) {
    settings.server = from.server;
    settings.user = from.user;
    settings.password = from.password;
    settings.database = from.database;
  }
  source.Open(name, settings);
}

int SmParseClipboardRows(unsigned format, const SmListSource& own, std::vector<std::string>& rows,
                         bool& cut, bool& sameSource, SmListSource& from) {
  rows.clear();
  cut = false;
  sameSource = true;
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (!data || !data->hasFormat(ClipboardMimeType(format))) return 0;
  const std::string text = data->data(ClipboardMimeType(format)).toStdString();
  const size_t end = text.find('\n');
  if (end == std::string::npos || GbkSize(text.substr(0, end)) < 2) return 0;
  const std::string header = text.substr(0, end);

  SmListSource settings;
  std::string body = header;
  const bool hasKind = header[0] >= '0' && header[0] <= '2';
  if (hasKind) {
    settings.kind = header[0] - '0';
    body = header.substr(1);
  }
  const size_t wordEnd = Utf8OffsetOfGbkPos(body, 4);
  const std::string word = body.substr(0, wordEnd);
  const std::string source = body.substr(wordEnd);
  std::string sourceName = source;
  if (!hasKind) settings.kind = source.find('.') == std::string::npos ? 1 : 0;
  if (settings.kind != 0) {
    if (hasKind) {
      settings = SmParseSourceConnectText(settings.kind, source);
      sourceName = settings.database;
    } else if (own.kind != 0) {
      settings = own;
      settings.kind = 1;
    }
    if (settings.password.empty() && own.kind != 0 && EqualNoCase(settings.server, own.server) &&
        EqualNoCase(settings.user, own.user))
      settings.password = own.password;
  }
  cut = word == kCutWord;
  if (own.open) {
    const std::string ownName = own.kind == 0 ? own.file : own.database;
    sameSource = EqualNoCase(sourceName, ownName);
  }
  for (size_t at = end + 1; at < text.size();) {
    const size_t next = text.find('\n', at);
    if (next == std::string::npos) break;  // a last piece without "\n" is not a row
    rows.push_back(text.substr(at, next - at));
    at = next + 1;
  }
  if (cut) QApplication::clipboard()->clear();
  from = settings;
  if (settings.kind == 0)
    from.file = sourceName;
  else
    from.database = sourceName;
  from.open = false;
  return static_cast<int>(rows.size());
}

bool CSmListCtrl::ClipboardHasFormat() const {
  return SmClipboardHasRows(m_clipboardFormat);
}

bool CSmListCtrl::CopyToClipboard(bool cut) {
  std::vector<std::string> rows;
  GetClipboardRows(rows);
  SmCopyRowsToClipboard(m_clipboardFormat, Source(), cut, rows);
  return true;
}

SmListSource CSmListCtrl::Source() const {
  return m_db ? SmSourceOf(m_db) : m_source;
}

int CSmListCtrl::ReadClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                               CSmDatabase& source) {
  SmListSource from;
  const int count = ParseClipboard(rows, cut, sameSource, from);
  if (count > 0) SmOpenClipboardSource(from, source);
  return count;
}

int CSmListCtrl::ParseClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                                SmListSource& from) {
  return SmParseClipboardRows(m_clipboardFormat, Source(), rows, cut, sameSource, from);
}

void CSmListCtrl::Paste() {
  if (!IsCommandEnabled(SM_ID_EDIT_PASTE)) return;
  std::vector<std::string> rows;
  bool cut = false, same = true;
  CSmDatabase from(0);
  if (ReadClipboard(rows, cut, same, from) > 0) InsertPastedRows(rows, cut, same, from);
  from.Close();
}

void CSmListCtrl::SelectAll() {
  SmList_SelectAll(this);
  if (RowCount() > 0)
    selectionModel()->setCurrentIndex(indexFromItem(topLevelItem(0)),
                                      QItemSelectionModel::NoUpdate);
}

int CSmListCtrl::InvertSelection() {
  for (int i = 0; i < RowCount(); ++i) {
    QTreeWidgetItem* item = topLevelItem(i);
    item->setSelected(!item->isSelected());
  }
  return RowCount();
}

bool CSmListCtrl::PrintInfo(int& key, std::string& title) {
  key = 0;
  title.clear();
  if (!Source().open) return false;
  if (GetPrintInfo(key, title)) return true;
  const auto* dlg = qobject_cast<const CSmDlg*>(window());
  if (!dlg) return false;
  key = static_cast<int>(dlg->TemplateId());
  title = dlg->windowTitle().toStdString();
  return true;
}

void CSmListCtrl::Print() {
  int key = 0;
  std::string title;
  if (PrintInfo(key, title)) SmPrintList(this, m_db, key, title);
}

void CSmListCtrl::PageSetup() {
  int key = 0;
  std::string title;
  if (PrintInfo(key, title)) SmListPageSetup(this, m_db, key, title);
}

void CSmListCtrl::PrinterSetup() {
  CSmCommandManager::Instance().SendToMain(SM_ID_FILE_PRINT_SETUP);
}

bool CSmListCtrl::IsCommandEnabled(unsigned id) {
  const int rows = RowCount();
  const bool selected = FirstSelected() >= 0;
  const bool multi = selectionMode() == QAbstractItemView::ExtendedSelection ||
                     selectionMode() == QAbstractItemView::MultiSelection;
  int key = 0;
  std::string title;
  bool pre = true;
  switch (id) {
    case SM_ID_LIST_OPEN:
    case SM_ID_LIST_MODIFY:
    case SM_ID_LIST_DELETE:
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_COPY:
      pre = selected;
      break;
    case SM_ID_EDIT_PASTE:
      pre = ClipboardHasFormat();
      break;
    case SM_ID_EDIT_SELECT_ALL:
    case SM_ID_LIST_INVERT_SELECTION:
      pre = rows > 0 && multi;
      break;
    case SM_ID_EDIT_FIND:
      pre = rows > 0;
      break;
    case SM_ID_EDIT_REPEAT:
      pre = rows > 0 && !m_searchText.empty();
      break;
    case SM_ID_FILE_PRINT:
    case SM_ID_FILE_PAGE_SETUP:
      pre = PrintInfo(key, title);
      break;
    case SM_ID_GO_FORWARD:
      pre = static_cast<int>(selectedItems().size()) == 1;
      break;
    default:
      break;
  }
  return pre && IsCommandAvailable(id);
}

bool CSmListCtrl::OnCommand(unsigned id) {
  switch (id) {
    case SM_ID_LIST_ADD:
      Add();
      break;
    case SM_ID_LIST_OPEN:
      Open();
      break;
    case SM_ID_LIST_MODIFY:
      Modify();
      break;
    case SM_ID_LIST_DELETE:
      Delete();
      break;
    case SM_ID_EDIT_CUT:
      Cut();
      break;
    case SM_ID_EDIT_COPY:
      Copy();
      break;
    case SM_ID_EDIT_PASTE:
      Paste();
      break;
    case SM_ID_EDIT_SELECT_ALL:
      SelectAll();
      break;
    case SM_ID_LIST_INVERT_SELECTION:
      InvertSelection();
      break;
    case SM_ID_EDIT_FIND:
      Find();
      break;
    case SM_ID_EDIT_REPEAT:
      FindNext();
      break;
    case SM_ID_GO_BACK:
      Back();
      break;
    case SM_ID_GO_FORWARD:
      Forward();
      break;
    case SM_ID_FILE_PRINT:
      Print();
      break;
    case SM_ID_FILE_PAGE_SETUP:
      PageSetup();
      break;
    case SM_ID_FILE_PRINT_SETUP:
      PrinterSetup();
      break;
    case SM_ID_HELP:
      SmShowHelp();
      break;
    case SM_ID_CALCULATOR: {
      CSmCalcDlg calc(false, {}, nullptr);
      calc.DoModal();
      break;
    }
    case SM_ID_VIEW_LARGEICON:
      setIconSize(QSize(32, 32));
      header()->hide();
      break;
    case SM_ID_VIEW_SMALLICON:
    case SM_ID_VIEW_LIST:
      setIconSize(QSize(16, 16));
      header()->hide();
      break;
    case SM_ID_VIEW_DETAILS:
      setIconSize(QSize(16, 16));
      header()->show();
      break;
    default:
      return false;
  }
  return true;
}

std::unique_ptr<QMenu> CSmListCtrl::CreateContextMenu() {
  auto menu = std::make_unique<QMenu>(QStringLiteral("列表框右键菜单"));
  for (const MenuItem& item : kMenu300) {
    if (item.id == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromUtf8(item.text));
    action->setObjectName(QString::number(item.id));
    action->setData(item.id);
  }
  CustomizeContextMenu(menu.get());
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    const unsigned id = action->data().toUInt();
    action->setEnabled(IsCommandEnabled(id));
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  }
  return menu;
}

void CSmListCtrl::contextMenuEvent(QContextMenuEvent* event) {
  const bool fromKeys = event->reason() == QContextMenuEvent::Keyboard;
  ShowContextMenu(fromKeys ? KeyboardMenuPoint() : event->globalPos());
}

QPoint CSmListCtrl::KeyboardMenuPoint() const {
  QModelIndex row = currentIndex();
  if (!row.isValid() || !selectionModel()->isRowSelected(row.row(), row.parent())) {
    const QModelIndexList selected = selectionModel()->selectedRows();
    row = selected.isEmpty() ? row : selected.front();
  }
  const QRect cell = row.isValid() ? visualRect(row.siblingAtColumn(0)) : QRect();
  const QPoint at = cell.isValid() && viewport()->rect().intersects(cell)
                        ? QPoint(cell.left() + cell.height(), cell.center().y())
                        : QPoint(0, 0);
  return viewport()->mapToGlobal(at);
}

void CSmListCtrl::ShowContextMenu(const QPoint& globalPos) {
  m_menuPoint = globalPos;
  m_fromMenu = true;
  CreateContextMenu()->exec(globalPos);
}

bool CSmListCtrl::RunIfEnabled(unsigned id) {
  if (IsCommandEnabled(id)) OnCommand(id);
  return true;
}

void CSmListCtrl::keyPressEvent(QKeyEvent* event) {
  m_fromMenu = false;
  const Qt::KeyboardModifiers mods = event->modifiers();
  const bool ctrl = mods & Qt::ControlModifier;
  const bool shift = mods & Qt::ShiftModifier;
  const int key = event->key();
  // Shift+F10 opens the menu at the row, as the menu key does.
  if (key == Qt::Key_F10 && (mods & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
    ShowContextMenu(KeyboardMenuPoint());
    return;
  }
  unsigned id = 0;
  if (ctrl) {
    switch (key) {
      case Qt::Key_C:
      case Qt::Key_Home:
        id = SM_ID_EDIT_COPY;
        break;
      case Qt::Key_V:
        id = SM_ID_EDIT_PASTE;
        break;
      case Qt::Key_X:
        id = SM_ID_EDIT_CUT;
        break;
      case Qt::Key_A:
        id = SM_ID_EDIT_SELECT_ALL;
        break;
      case Qt::Key_F:
        id = SM_ID_EDIT_FIND;
        break;
      case Qt::Key_M:
        id = SM_ID_LIST_MODIFY;
        break;
      case Qt::Key_N:
        id = SM_ID_LIST_ADD;
        break;
      case Qt::Key_O:
        id = SM_ID_LIST_OPEN;
        break;
      case Qt::Key_P:
        id = SM_ID_FILE_PRINT;
        break;
      case Qt::Key_R:
        id = SM_ID_LIST_INVERT_SELECTION;
        break;
      default:
        break;
    }
  } else if (shift && key == Qt::Key_Home) {
    id = SM_ID_EDIT_PASTE;
  } else if (shift && key == Qt::Key_Delete) {
    id = SM_ID_EDIT_CUT;
  } else if (key == Qt::Key_Delete) {
    id = SM_ID_LIST_DELETE;
  } else if (key == Qt::Key_F3) {
    id = SM_ID_EDIT_REPEAT;
  } else if (key == Qt::Key_F12) {
    id = SM_ID_CALCULATOR;
  } else if (key == Qt::Key_F1) {
    id = SM_ID_HELP;
  } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    Open();
    return;
  }
  if (id != 0) {
    RunIfEnabled(id);
    return;
  }
  if (!ctrl && key == Qt::Key_Left) RunIfEnabled(SM_ID_GO_BACK);
  if (!ctrl && key == Qt::Key_Right) RunIfEnabled(SM_ID_GO_FORWARD);
  // Alt+letter belongs to the window's menus and buttons, never to the find.
  const bool held = mods & (Qt::ControlModifier | Qt::AltModifier);
  if (!held && !event->text().isEmpty()) TypedSearch(event->text());
  QTreeWidget::keyPressEvent(event);
}

void CSmListCtrl::TypedSearch(const QString& typed) {
  const QChar c = typed.at(0);
  const bool letter = c.unicode() < 0x80 && c.isLetter();
  if (!letter) {
    m_searchText.clear();
    return;
  }
  if (!m_typedSearch) m_searchText.clear();
  m_typedSearch = true;
  m_searchText += c.toUpper().toLatin1();
  FindNext();
}

void CSmListCtrl::SelectOnly(int row) {
  clearSelection();
  QTreeWidgetItem* item = topLevelItem(row);
  scrollToItem(item);
  selectionModel()->setCurrentIndex(indexFromItem(item), QItemSelectionModel::NoUpdate);
  item->setSelected(true);
}

void CSmListCtrl::Find() {
  m_typedSearch = false;
  m_searchText.clear();
  if (m_fromMenu) {
    const QPoint point = viewport()->mapFromGlobal(m_menuPoint);
    const int left = RowCount() > 0 ? visualItemRect(topLevelItem(0)).left() : 0;
    const int x = point.x() - left;
    int column = 0, right = 0;
    for (int i = 0; i < columnCount(); ++i) {
      right += columnWidth(i);
      if (right > x) {
        column = i;
        break;
      }
    }
    m_findColumn = column;
  }
  m_lastFound = std::max(0, FirstSelected());
  CSmListFindDlg dlg(m_findColumn, this);
  if (dlg.DoModal() != SM_IDOK) return;
  m_searchText = dlg.Text();
  FindNext();
}

void CSmListCtrl::FindNext() {
  const int count = RowCount();
  if (count == 0) return;
  for (int k = 1; k <= count; ++k) {
    const int row = (m_lastFound + k) % count;
    std::string text = topLevelItem(row)->text(m_findColumn).toStdString();
    if (m_typedSearch) text = PinyinInitials(text);
    if (text.find(m_searchText) == std::string::npos) continue;
    m_lastFound = row;
    SelectOnly(row);
    return;
  }
  SmMessageBox("没有查找到含 “" + m_searchText + "”的项！", SM_MB_OK);
}

void CSmListCtrl::paintEvent(QPaintEvent* event) {
  QTreeWidget::paintEvent(event);
  if (!hasFocus() || currentIndex().isValid()) return;
  QPainter painter(viewport());
  QStyleOptionFocusRect option;
  option.initFrom(this);
  // However the focus came (a click, the window opening), not only by a key.
  option.state |= QStyle::State_KeyboardFocusChange;
  option.rect = viewport()->rect().adjusted(1, 1, -1, -1);
  option.backgroundColor = palette().color(QPalette::Base);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void CSmListCtrl::focusInEvent(QFocusEvent* event) {
  QTreeWidget::focusInEvent(event);
  viewport()->update();
}

void CSmListCtrl::focusOutEvent(QFocusEvent* event) {
  QTreeWidget::focusOutEvent(event);
  viewport()->update();
}
