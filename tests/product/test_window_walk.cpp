// A walk through every window a clerk with every right reaches from the menus and the template
// box: the main window, each document window of the cane page, a report window and the dialogs
// of the Settings, System and Help menus. Each fails on a key used twice (menu titles, the
// items of one menu, the buttons and labelled fields of the window and every shortcut live in
// it together), on a text cut or drawn elided, on a window without the program's icon, on a
// Tab stop the clerk cannot see, on a card or dialog whose Tab order does not follow where its
// fields stand, and on a document window or dialog that opens without the focus on a field.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "app/SmMainFrm.h"
#include "app/SmOpenDataDlg.h"
#include "app/SmTemplateBox.h"
#include "cane/TsDataType.h"
#include "cane/TsDriverDirDlg.h"
#include "cane/TsFarmerCardDlg.h"
#include "cane/TsParams.h"
#include "cane/TsPlaceDirDlg.h"
#include "cane/TsVarietyCardDlg.h"
#include "core/SmDatabase.h"
#include "designer/RiloTree.h"
#include "forms/SmCardView.h"
#include "forms/SmTemplateList.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "product/TsApp.h"
#include "res/SmResource.h"
#include "tests/app/test_login_fixture.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/reports/TsReportDirs.h"
#include "tests/reports/TsReportLines.h"
#include "ui/SmDlg.h"
#include "ui/SmFieldFocus.h"

namespace {

class WalkApp : public CTsApp {
 public:
  void RunUpdater() override {}
};

// The key a text gives with Alt ("保存(&S)" gives S); a null character when none.
QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return text[i + 1].toUpper();
  }
  return {};
}

QString Plain(const QString& text) {
  QString plain = text;
  plain.replace(QRegularExpression("&(?!&)"), "");
  return plain.replace("&&", "&");
}

// A key of a window, the text it is known by and what it belongs to: one command reached from
// a menu and a tool bar, say, owns its key once.
struct OwnedKey {
  QKeySequence key;
  QString text;
  const QObject* owner;
};

// The Alt key of a text with a mnemonic; nothing without one.
std::vector<OwnedKey> AltKeyOf(const QString& text, const QObject* owner) {
  const QChar key = Mnemonic(text);
  if (key.isNull()) return {};
  return {{QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(key.unicode()))), text, owner}};
}

std::vector<OwnedKey> ShortcutsOf(const QAction* action) {
  std::vector<OwnedKey> keys;
  if (!action->isVisible()) return keys;
  for (const QKeySequence& key : action->shortcuts()) keys.push_back({key, action->text(), action});
  return keys;
}

// What a widget is to the clerk, for a finding.
std::string Named(const QWidget* widget) {
  QString text;
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) text = Plain(button->text());
  std::string name = widget->metaObject()->className();
  if (!widget->objectName().isEmpty()) name += " " + widget->objectName().toStdString();
  if (!text.isEmpty()) name += "“" + text.toStdString() + "”";
  return name;
}

// Where a widget stands inside `within`.
QRect PlaceIn(const QWidget* widget, const QWidget* within) {
  return QRect(widget->mapTo(within, QPoint(0, 0)), widget->size());
}

// The Tab stops below `within` in the order Tab visits them.
std::vector<QWidget*> TabStops(const QWidget* within) {
  std::vector<QWidget*> stops;
  QWidget* top = within->window();
  for (QWidget* w = top->nextInFocusChain(); w && w != top; w = w->nextInFocusChain()) {
    if ((w == within || within->isAncestorOf(w)) && SmTakesTabNow(w)) stops.push_back(w);
  }
  return stops;
}

// A Tab stop the clerk sees the focus on: a field, not the area around other fields or an empty
// area, and not lying under another widget. One scrolled out of sight comes into view with Tab.
bool Seen(QWidget* stop) {
  for (const char* area :
       {"QScrollArea", "QMdiArea", "QMdiSubWindow", "QDockWidget", "QStackedWidget", "QSplitter"}) {
    if (stop->inherits(area)) return false;
  }
  const QMetaObject* kind = stop->metaObject();
  if (kind == &QWidget::staticMetaObject || kind == &QFrame::staticMetaObject) return false;
  for (QWidget* inner : stop->findChildren<QWidget*>()) {
    if (SmTakesTabNow(inner)) return false;
  }
  const QRegion shown = stop->visibleRegion();
  if (shown.isEmpty()) {
    for (QWidget* up = stop->parentWidget(); up; up = up->parentWidget()) {
      if (qobject_cast<QScrollArea*>(up)) return true;
    }
    return false;
  }
  QWidget* top = stop->window();
  QWidget* hit = top->childAt(stop->mapTo(top, shown.boundingRect().center()));
  return hit == stop || stop->isAncestorOf(hit);
}

class Findings {
 public:
  void Add(const std::string& where, const std::string& what) {
    m_lines.push_back(where + "：" + what);
  }
  // Every key of the list given to one thing only.
  void Keys(const std::string& where, const std::vector<OwnedKey>& keys) {
    std::map<QString, OwnedKey> owners;
    for (const OwnedKey& key : keys) {
      const QString name = key.key.toString(QKeySequence::PortableText);
      const auto [found, fresh] = owners.emplace(name, key);
      if (fresh || found->second.owner == key.owner) continue;
      Add(where, name.toStdString() + " 同时用于“" + Plain(found->second.text).toStdString() +
                     "”和“" + Plain(key.text).toStdString() + "”");
    }
  }
  // The items of a menu and of its submenus, each menu for itself.
  void Menu(const std::string& where, QMenu* menu) {
    std::vector<OwnedKey> keys;
    for (QAction* action : menu->actions()) {
      if (action->isSeparator() || !action->isVisible()) continue;
      for (const OwnedKey& key : AltKeyOf(action->text(), action)) keys.push_back(key);
      if (action->menu()) Menu(where + "▸" + Plain(action->text()).toStdString(), action->menu());
    }
    Keys(where + "▸" + Plain(menu->title()).toStdString(), keys);
  }
  // The menu bar's titles and every menu of it, and the shortcuts of all their items.
  void Bar(const std::string& where, QMenuBar* bar, std::vector<OwnedKey>& keys) {
    for (QAction* action : bar->actions()) {
      if (!action->menu() || !action->isVisible()) continue;
      for (const OwnedKey& key : AltKeyOf(action->text(), action)) keys.push_back(key);
      Menu(where, action->menu());
      MenuShortcuts(action->menu(), keys);
    }
  }
  // The buttons and labelled fields of the window (with the menu bar's titles when it has one)
  // and every shortcut live in its top-level window, the texts cut or elided, and the icon.
  void Window(const std::string& where, QWidget* window, QMenuBar* bar = nullptr) {
    std::vector<OwnedKey> keys;
    if (bar) Bar(where, bar, keys);
    for (QWidget* child : window->findChildren<QWidget*>()) {
      if (!child->isVisibleTo(window) || child->window() != window->window()) continue;
      // Tool bar buttons show their pictures only; their keys are the menus' keys.
      if (qobject_cast<QToolButton*>(child)) continue;
      if (auto* button = qobject_cast<QAbstractButton*>(child)) {
        for (const OwnedKey& key : AltKeyOf(button->text(), button)) keys.push_back(key);
        Clip(where, button);
      } else if (auto* label = qobject_cast<QLabel*>(child)) {
        if (label->buddy()) {
          for (const OwnedKey& key : AltKeyOf(label->text(), label)) keys.push_back(key);
        }
        Clip(where, label);
      } else if (auto* tabs = qobject_cast<QTabBar*>(child)) {
        Elided(where, tabs);
      } else if (auto* header = qobject_cast<QHeaderView*>(child)) {
        Elided(where, header);
      } else if (auto* combo = qobject_cast<QComboBox*>(child)) {
        Elided(where, combo);
      }
    }
    LiveShortcuts(window->window(), keys);
    Keys(where, keys);
    Overlaps(where, window);
    const QIcon icon = window->windowIcon();
    if (icon.isNull() || icon.cacheKey() != SmProgramIcon().cacheKey()) {
      Add(where, "窗口没有程序的图标");
    }
    if (auto* child = qobject_cast<QMdiSubWindow*>(window); child && !child->isMaximized()) {
      Elided(where, child);
    }
  }
  // Every Tab stop of the window's focus chain is a field the clerk sees.
  void Stops(const std::string& where, QWidget* window) {
    for (QWidget* stop : TabStops(window->window())) {
      if (!Seen(stop)) Add(where, "Tab 停在看不见的 " + Named(stop) + " 上");
    }
  }
  // Tab goes through the fields below `within` as they stand: each next field stands on a
  // later row, or on the same row further right (fields share a row when their tops differ by
  // less than half the lower one's height). The buttons in the column of OK and Cancel, when
  // it stands right of all fields, come after them, top to bottom.
  void Order(const std::string& where, QWidget* within) {
    const std::vector<QWidget*> stops = TabStops(within);
    int rightmost = std::numeric_limits<int>::min();
    for (QWidget* stop : stops) {
      if (!qobject_cast<QPushButton*>(stop))
        rightmost = std::max(rightmost, PlaceIn(stop, within).right());
    }
    std::vector<QRect> heads;
    for (QWidget* stop : stops) {
      const QRect place = PlaceIn(stop, within);
      const bool okOrCancel = stop->objectName() == "1" || stop->objectName() == "2";
      if (okOrCancel && qobject_cast<QPushButton*>(stop) && place.left() > rightmost)
        heads.push_back(place);
    }
    const auto command = [&](QWidget* stop) {
      const QRect place = PlaceIn(stop, within);
      if (!qobject_cast<QPushButton*>(stop) || place.left() <= rightmost) return false;
      return std::any_of(heads.begin(), heads.end(), [&](const QRect& head) {
        return place.left() <= head.right() && head.left() <= place.right();
      });
    };
    for (size_t i = 1; i < stops.size(); ++i) {
      const QRect a = PlaceIn(stops[i - 1], within);
      const QRect b = PlaceIn(stops[i], within);
      const bool sameRow = std::abs(b.top() - a.top()) < std::min(a.height(), b.height()) / 2;
      const bool back = command(stops[i - 1]) == command(stops[i])
                            ? (sameRow && b.left() < a.left()) || (!sameRow && b.top() < a.top())
                            : command(stops[i - 1]);
      if (back) Add(where, "Tab 从 " + Named(stops[i - 1]) + " 跳回到 " + Named(stops[i]));
    }
  }
  // The window opened with the focus on a field of its own that the clerk sees.
  void Opened(const std::string& where, QWidget* window, QWidget* focus) {
    if (!focus || !window->isAncestorOf(focus)) {
      Add(where, "打开时焦点不在窗口里的字段上，在 " + (focus ? Named(focus) : "别处"));
    } else if (!SmTakesTabNow(focus) || !Seen(focus)) {
      Add(where, "打开时焦点在看不见的 " + Named(focus) + " 上");
    } else if (auto* view = qobject_cast<QAbstractItemView*>(focus);
               view && !view->currentIndex().isValid()) {
      // A list shows the focus on its current row only.
      Add(where, "打开时焦点在没有当前行的 " + Named(focus) + " 上");
    }
  }
  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
  static void MenuShortcuts(QMenu* menu, std::vector<OwnedKey>& keys) {
    for (QAction* action : menu->actions()) {
      for (const OwnedKey& key : ShortcutsOf(action)) keys.push_back(key);
      if (action->menu() && action->isVisible()) MenuShortcuts(action->menu(), keys);
    }
  }
  // The actions with shortcuts on the window's shown widgets (the card's own, a tool bar's)
  // and its enabled QShortcuts.
  static void LiveShortcuts(QWidget* top, std::vector<OwnedKey>& keys) {
    std::vector<QWidget*> widgets = {top};
    for (QWidget* widget : top->findChildren<QWidget*>()) {
      if (widget->window() == top && widget->isVisible()) widgets.push_back(widget);
    }
    for (QWidget* widget : widgets) {
      for (QAction* action : widget->actions()) {
        for (const OwnedKey& key : ShortcutsOf(action)) keys.push_back(key);
      }
    }
    for (QShortcut* shortcut : top->findChildren<QShortcut*>()) {
      if (!shortcut->isEnabled()) continue;
      for (const QKeySequence& key : shortcut->keys())
        keys.push_back({key, "快捷键 " + shortcut->objectName(), shortcut});
    }
  }
  void Clip(const std::string& where, QLabel* label) {
    if (label->text().isEmpty() || label->wordWrap() || Qt::mightBeRichText(label->text())) return;
    const QString text = label->buddy() ? Plain(label->text()) : label->text();
    int widest = 0;
    for (const QString& line : text.split('\n'))
      widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
    if (widest > label->contentsRect().width() + 1) {
      Clipped(where, text, widest, label->width());
    } else if (label->frameShape() == QFrame::NoFrame && InkAtRightEdge(label)) {
      // A glyph that draws a pixel beyond its advance loses its last stroke at the edge.
      Add(where, "“" + text.toStdString() + "”的最后一笔被切掉");
    }
  }
  static bool InkAtRightEdge(QLabel* label) {
    const QImage image = label->grab().toImage();
    if (image.isNull()) return false;
    const int x = image.width() - 1;
    const int paper = qGray(label->palette().color(label->backgroundRole()).rgb());
    for (int y = 0; y < image.height(); ++y) {
      if (std::abs(qGray(image.pixel(x, y)) - paper) > 96) return true;
    }
    return false;
  }
  void Clip(const std::string& where, QAbstractButton* button) {
    if (button->text().isEmpty()) return;
    const QString text = Plain(button->text());
    int need = button->fontMetrics().horizontalAdvance(text);
    if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
      need = button->sizeHint().width();
    } else if (!button->icon().isNull()) {
      need += button->iconSize().width() + 4;
    }
    if (need > button->width() + 1) Clipped(where, text, need, button->width());
  }
  // Two shown fields lying one over the other: the lower one is cut.
  void Overlaps(const std::string& where, QWidget* window) {
    std::vector<QWidget*> fields;
    for (QWidget* child : window->findChildren<QWidget*>()) {
      const bool field = (child->focusPolicy() & Qt::TabFocus) && !child->focusProxy();
      if (field && child->isVisibleTo(window) && child->window() == window->window())
        fields.push_back(child);
    }
    for (size_t i = 0; i < fields.size(); ++i) {
      for (size_t j = i + 1; j < fields.size(); ++j) {
        QWidget* a = fields[i];
        QWidget* b = fields[j];
        if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
        if (PlaceIn(a, window).intersects(PlaceIn(b, window)))
          Add(where, Named(a) + " 和 " + Named(b) + " 重叠");
      }
    }
  }
  // A tab whose text is drawn elided.
  void Elided(const std::string& where, QTabBar* tabs) {
    if (tabs->elideMode() == Qt::ElideNone) return;
    for (int i = 0; i < tabs->count(); ++i) {
      const QRect rect = tabs->tabRect(i);
      const int icon = tabs->tabIcon(i).isNull() ? 0 : tabs->iconSize().width() + 4;
      const int need = tabs->fontMetrics().horizontalAdvance(Plain(tabs->tabText(i))) + icon +
                       tabs->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, tabs);
      if (rect.isValid() && need > rect.width()) ElidedText(where, tabs->tabText(i));
    }
  }
  // A column title drawn elided.
  void Elided(const std::string& where, QHeaderView* header) {
    QAbstractItemModel* model = header->model();
    if (!model || header->orientation() != Qt::Horizontal) return;
    for (int section = 0; section < header->count(); ++section) {
      if (header->isSectionHidden(section) || header->sectionSize(section) == 0) continue;
      const QString title = model->headerData(section, Qt::Horizontal).toString();
      if (!title.isEmpty() && header->sectionSizeHint(section) > header->sectionSize(section))
        ElidedText(where, title);
    }
  }
  // The choice a closed drop-down list shows, drawn elided.
  void Elided(const std::string& where, QComboBox* combo) {
    if (combo->currentText().isEmpty() || combo->isEditable()) return;
    QStyleOptionComboBox option;
    option.initFrom(combo);
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    const int icon =
        combo->itemIcon(combo->currentIndex()).isNull() ? 0 : combo->iconSize().width() + 4;
    if (combo->fontMetrics().horizontalAdvance(combo->currentText()) + icon > field.width() + 1)
      ElidedText(where, combo->currentText());
  }
  // A document window's title drawn elided in its own caption.
  void Elided(const std::string& where, QMdiSubWindow* child) {
    const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
    // The caption holds the icon and the three buttons besides the title.
    const int room = child->width() - 4 * child->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    if (title.horizontalAdvance(child->windowTitle()) > room) {
      ElidedText(where, child->windowTitle());
    }
  }
  void ElidedText(const std::string& where, const QString& text) {
    Add(where, "“" + Plain(text).toStdString() + "”显示不全");
  }
  void Clipped(const std::string& where, const QString& text, int need, int width) {
    Add(where, "“" + text.toStdString() + "”需要 " + std::to_string(need) + " 像素，只有 " +
                   std::to_string(width));
  }

  std::vector<std::string> m_lines;
};

// Looks at each modal window that comes up (once it is laid out), then closes it: `accept`
// answers it as the clerk's OK, else it is cancelled. One that stays is cancelled after a while.
class ModalWatch {
 public:
  // `choose` picks the first row of each list and the first entry of each unset box before OK.
  ModalWatch(Findings& findings, bool accept, bool choose = false)
      : m_findings(findings), m_accept(accept), m_choose(choose) {
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Tick(); });
    m_timer.start();
  }
  int Seen() const { return m_seen; }

 private:
  void Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    if (modal != m_last) {
      // Looked at once it is the window the keys go to (or after a while).
      if (!modal->isActiveWindow() && ++m_waits < 20) return;
      m_waits = 0;
      m_last = modal;
      m_ticks = 0;
      ++m_seen;
      const std::string where = "对话框“" + modal->windowTitle().toStdString() + "”";
      m_findings.Window(where, modal);
      m_findings.Stops(where, modal);
      m_findings.Opened(where, modal, modal->focusWidget());
      if (qobject_cast<CSmDlg*>(modal)) m_findings.Order(where, modal);
      Answer(modal);
      return;
    }
    if (++m_ticks > 50) {
      Close(modal);
    } else if (m_choose && m_ticks % 5 == 0) {
      // A directory's OK opens the chosen group first; the row is chosen in the group again.
      Answer(modal);
    }
  }
  void Answer(QWidget* modal) {
    if (!m_accept || !modal->findChild<QPushButton*>(QString::number(SM_ID_OK))) {
      Close(modal);
      return;
    }
    if (m_choose) ChooseFirstRows(modal);
    Press(modal, SM_ID_OK);
  }
  static void ChooseFirstRows(QWidget* modal) {
    for (auto* view : modal->findChildren<QAbstractItemView*>()) {
      QAbstractItemModel* model = view->model();
      if (!view->isVisible() || !model || model->rowCount() == 0 || !view->selectionModel())
        continue;
      if (view->selectionModel()->hasSelection()) continue;
      view->setCurrentIndex(model->index(0, 0));
      view->selectionModel()->select(
          model->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    for (auto* box : modal->findChildren<QComboBox*>()) {
      if (box->isVisible() && box->currentIndex() < 0 && box->count() > 0) box->setCurrentIndex(0);
    }
  }
  static void Close(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
  }

  Findings& m_findings;
  bool m_accept;
  bool m_choose;
  QTimer m_timer;
  QPointer<QWidget> m_last;
  int m_ticks = 0;
  int m_waits = 0;
  int m_seen = 0;
};

class WindowWalkTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    const std::string root = SmTestHome() + "/window-walk";
    QDir(QString::fromStdString(root)).removeRecursively();
    m_file = SmCreateTestDataFile(2026, root + "/001");
    ASSERT_FALSE(m_file.empty());
  }
  void TearDown() override {
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
  }

  // Farmers, drivers and a farmer's advance voucher, for the kinds that open only on a row.
  void Seed() {
    CSmDatabase* db = m_app.m_env.Connection();
    std::vector<std::string> rows = TsReportDirectoryRows();
    // The advance voucher list opens on this month of the accounting year.
    const int startYear = std::stoi(TsGetYearStartDate().substr(0, 4));
    const std::string month = QDate::currentDate().toString("MM01").toStdString();
    for (int year : {startYear, startYear + 1}) {
      const std::string date = std::to_string(year) + month;
      const std::string number = "00000" + std::to_string(year - startYear + 1);
      rows.push_back(TsMoneyRow('0', '2', date.c_str(), number.c_str(), "10101001", 1, -50, ""));
    }
    for (const std::string& sql : rows) ASSERT_TRUE(db->ExecuteSQL(sql)) << sql;
  }
  // Logs in as a clerk (the administrator opens no reports) with every right of the cane page.
  void LogIn() {
    OnModalOf(&m_timers, 815, [this](QWidget* dlg) {
      ASSERT_TRUE(static_cast<CSmOpenDataFileDlg*>(dlg)->Tree()->SelectFile(m_file));
      ChooseOperator(dlg, "102");
      Click(dlg, SM_ID_OK);
    });
    ASSERT_TRUE(m_app.InitInstance({m_file}));
    Seed();
    CSmStringList codes, names;
    m_cane = FindSmDataType(16);
    m_cane->GetDocumentRights(codes, names);
    std::string rights;
    for (const std::string& code : codes) rights += SmRightCode(16, code) + " ";
    m_cane->GetExtraRights(codes, names);
    for (const std::string& code : codes) rights += code + " ";
    m_app.m_env.SetRights(rights);
    m_cane->RefreshPage();
  }
  void SelectPage(int page) {
    m_app.ShowTemplateBox(true);
    CSmMainFrm::TemplateBoxOf(m_app.GetMainWnd())->SelectPage(page);
    QApplication::processEvents();
  }
  // The active document window with the main window's menu bar; a card's fields besides.
  void CheckDocumentWindow(const std::string& name) {
    QApplication::processEvents();
    CSmFrameWnd* main = m_app.GetMainWnd();
    QMdiSubWindow* child = main->MdiArea()->activeSubWindow();
    if (!child) {
      m_findings.Add(name, "没有打开文档窗口");
      return;
    }
    const std::string where = "文档窗口“" + name + "”";
    m_findings.Window(where, child, main->menuBar());
    m_findings.Stops(where, main);
    QWidget* focus = main->focusWidget();
    m_findings.Opened(where, child, focus);
    auto* card = child->findChild<CSmCardFrmView*>();
    if (!card) return;
    m_findings.Order(where, card->Form());
    if (focus && !card->Form()->isAncestorOf(focus)) {
      m_findings.Add(where, "卡片打开时焦点不在卡片的字段上，在 " + Named(focus));
    }
  }
  // The main window without documents has the focus on the cane page's list, on a row.
  void CheckFocusOnTemplateList(const std::string& where) {
    CSmFrameWnd* main = m_app.GetMainWnd();
    QWidget* focus = main->focusWidget();
    m_findings.Opened(where, main, focus);
    auto* list = dynamic_cast<CSmTemplateList*>(m_cane->m_page.data());
    if (focus != list) {
      m_findings.Add(where, "焦点不在模板目录上，在 " + (focus ? Named(focus) : "别处"));
    } else if (list->selectedItems().isEmpty() || !list->currentItem()) {
      m_findings.Add(where, "模板目录没有选中的行");
    }
  }
  // Runs a command; the number of dialogs it brought up.
  int Run(int id, bool accept) {
    ModalWatch watch(m_findings, accept);
    SmExecuteCommand(id);
    QApplication::processEvents();
    return watch.Seen();
  }

  WalkApp m_app;
  std::string m_file;
  QObject m_timers;
  CSmDataType* m_cane = nullptr;
  Findings m_findings;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace

TEST_F(WindowWalkTest, EveryWindowHasUniqueKeysWholeTextsAndTheProgramsIcon) {
  LogIn();
  CSmFrameWnd* main = m_app.GetMainWnd();
  ASSERT_NE(main, nullptr);
  main->resize(1280, 900);
  main->activateWindow();
  QApplication::processEvents();
  m_findings.Window("主窗口", main, main->menuBar());
  m_findings.Stops("主窗口", main);
  CheckFocusOnTemplateList("主窗口");

  // Every document window of the cane page, opened as the clerk opens it.
  SelectPage(0);
  auto* list = dynamic_cast<CSmTemplateList*>(m_cane->m_page.data());
  ASSERT_NE(list, nullptr);
  int opened = 0;
  for (int row = 0; row < list->RowCount(); ++row) {
    const std::string name = list->topLevelItem(row)->text(0).toStdString();
    SelectPage(0);
    list->clearSelection();
    list->topLevelItem(row)->setSelected(true);
    SmResetMessages();
    int dialogs = 0;
    {
      ModalWatch watch(m_findings, true);
      SmExecuteCommand(SM_ID_FILE_OPEN);
      QApplication::processEvents();
      dialogs = watch.Seen();
    }
    if (m_app.m_docManager.DocumentCount() == 0) {
      // Some kinds open only once a row is chosen in their open dialog, which was looked at.
      if (dialogs == 0) {
        m_findings.Add(name, "没有打开：" + CSmMessageService::Instance().LastText());
        continue;
      }
      // Some kinds open only once a row is chosen in their open dialog: the first row of the
      // seeded directories and vouchers, as the clerk chooses it.
      SmResetMessages();
      ModalWatch watch(m_findings, true, true);
      SmExecuteCommand(SM_ID_FILE_OPEN);
      QApplication::processEvents();
      if (m_app.m_docManager.DocumentCount() == 0) {
        m_findings.Add(name, "选了第一行也没有打开：" + CSmMessageService::Instance().LastText());
        continue;
      }
    }
    ++opened;
    CheckDocumentWindow(name);
    // New in the window is greyed or it does something the clerk sees.
    if (CSmCommandManager::Instance().Update(SM_ID_FILE_NEW)) {
      const int before = m_app.m_docManager.DocumentCount();
      m_app.ShowTemplateBox(false);
      Run(SM_ID_FILE_NEW, false);
      if (m_app.m_docManager.DocumentCount() == before && !m_app.IsTemplateBoxVisible()) {
        m_findings.Add(name, "新建没有反应");
      }
    }
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
  }
  EXPECT_EQ(opened, list->RowCount());
  // The last document closed, the focus is back on the template list.
  m_findings.Stops("关了文档的主窗口", main);
  CheckFocusOnTemplateList("关了文档的主窗口");

  // A new report window from the report page.
  SelectPage(1);
  CRiloTree* tree = CRiloTree::Page();
  ASSERT_NE(tree, nullptr);
  tree->setCurrentItem(tree->topLevelItem(0));
  ASSERT_TRUE(CSmCommandManager::Instance().Update(SM_ID_FILE_NEW));
  SmExecuteCommand(SM_ID_FILE_NEW);
  ASSERT_EQ(m_app.m_docManager.DocumentCount(), 1);
  CheckDocumentWindow("新报表");
  m_app.m_docManager.CloseAllDocuments();
  QApplication::processEvents();

  // The cards of the directories, as 增加 and 修改 bring them up.
  CSmDatabase* db = m_app.m_env.Connection();
  std::vector<std::function<std::unique_ptr<CSmDlg>()>> cards = {
      [db] { return std::make_unique<CTsDriverCardDlg>(1, "", db); },
      [db] { return std::make_unique<CTsDriverCardDlg>(0, "12", db); },
      [db] { return std::make_unique<CTsFarmerCardDlg>(db, "10101", "", true); },
      [db] { return std::make_unique<CTsFarmerCardDlg>(db, "10101", "10101001", false); },
      [db] { return std::make_unique<CTsVarietyCardDlg>(db, "1", "", true); },
      [db] { return std::make_unique<CTsPlaceCardDlg>(1, "", db); },
  };
  for (const auto& make : cards) {
    ModalWatch watch(m_findings, false);
    make()->DoModal();
    EXPECT_EQ(watch.Seen(), 1);
  }

  // The dialogs of the Settings, System and Help menus and the calculator, as the
  // administrator, who has the System menu's commands.
  m_app.m_env.SetOperatorNo("101");
  SelectPage(0);
  std::vector<int> commands;
  for (QMenu* menu : {m_cane->GetContextMenu(), static_cast<CSmMainFrm*>(main)->SystemMenu()}) {
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
      const int id = CSmCommandManager::CommandId(action);
      if (id != 0) commands.push_back(id);
    }
  }
  commands.push_back(SM_ID_APP_ABOUT);
  commands.push_back(SM_ID_CALCULATOR);
  int dialogs = 0;
  for (const int id : commands) {
    SmResetMessages();
    dialogs += Run(id, false);
  }
  EXPECT_GE(dialogs, 14);
  EXPECT_EQ(Joined(m_findings.Lines()), "");
}
