// A walk through every window a clerk with every right reaches from the menus and the template
// box: the main window, each document window of the cane page, a report window and the dialogs
// of the Settings, System and Help menus. Each fails on a key used twice (menu titles, the
// items of one menu, and the buttons and labelled fields of the window together), on a label
// or button whose text is wider than the control, and on a window without the program's icon.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>
#include <functional>
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

class Findings {
 public:
  void Add(const std::string& where, const std::string& what) {
    m_lines.push_back(where + "：" + what);
  }
  // Every key of the list given to one thing only.
  void Keys(const std::string& where, const std::vector<QString>& texts) {
    std::map<QChar, QString> owners;
    for (const QString& text : texts) {
      const QChar key = Mnemonic(text);
      if (key.isNull()) continue;
      const auto [found, fresh] = owners.emplace(key, text);
      if (!fresh) {
        Add(where, "Alt+" + QString(key).toStdString() + " 同时用于“" +
                       found->second.toStdString() + "”和“" + text.toStdString() + "”");
      }
    }
  }
  // The items of a menu and of its submenus, each menu for itself.
  void Menu(const std::string& where, QMenu* menu) {
    std::vector<QString> texts;
    for (QAction* action : menu->actions()) {
      if (action->isSeparator() || !action->isVisible()) continue;
      texts.push_back(action->text());
      if (action->menu()) Menu(where + "▸" + Plain(action->text()).toStdString(), action->menu());
    }
    Keys(where + "▸" + Plain(menu->title()).toStdString(), texts);
  }
  // The menu bar's titles and every menu of it.
  void Bar(const std::string& where, QMenuBar* bar, std::vector<QString>& titles) {
    for (QAction* action : bar->actions()) {
      if (!action->menu() || !action->isVisible()) continue;
      titles.push_back(action->text());
      Menu(where, action->menu());
    }
  }
  // The buttons and labelled fields of the window (with the menu bar's titles when it has one),
  // the texts wider than their controls and the window's icon.
  void Window(const std::string& where, QWidget* window, QMenuBar* bar = nullptr) {
    std::vector<QString> texts;
    if (bar) Bar(where, bar, texts);
    for (QWidget* child : window->findChildren<QWidget*>()) {
      if (!child->isVisibleTo(window) || child->window() != window->window()) continue;
      // Tool bar buttons show their pictures only; their keys are the menus' keys.
      if (qobject_cast<QToolButton*>(child)) continue;
      if (auto* button = qobject_cast<QAbstractButton*>(child)) {
        texts.push_back(button->text());
        Clip(where, button);
      } else if (auto* label = qobject_cast<QLabel*>(child)) {
        if (label->buddy()) texts.push_back(label->text());
        Clip(where, label);
      }
    }
    Keys(where, texts);
    const QIcon icon = window->windowIcon();
    if (icon.isNull() || icon.cacheKey() != SmProgramIcon().cacheKey()) {
      Add(where, "窗口没有程序的图标");
    }
  }
  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
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
      m_last = modal;
      m_ticks = 0;
      ++m_seen;
      m_findings.Window("对话框“" + modal->windowTitle().toStdString() + "”", modal);
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
  // The active document window with the main window's menu bar.
  void CheckDocumentWindow(const std::string& name) {
    QApplication::processEvents();
    CSmFrameWnd* main = m_app.GetMainWnd();
    QMdiSubWindow* child = main->MdiArea()->activeSubWindow();
    if (!child) {
      m_findings.Add(name, "没有打开文档窗口");
      return;
    }
    m_findings.Window("文档窗口“" + name + "”", child, main->menuBar());
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
  QApplication::processEvents();
  m_findings.Window("主窗口", main, main->menuBar());

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
