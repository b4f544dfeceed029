// The clerk's road through the whole program by keyboard alone, as on the first day at a new
// mill: the first start without any data file, the account set and its year file, the log-in,
// a parameter, a farmer, a ticket weighed from the indicator and tared, its slip settled, paid
// and reviewed from the slip list, a report opened beside the card from the template box, the
// document windows in turn and each closed. Every step is keys sent where the keyboard's focus
// is (or to the open menu); after it the test looks at where the focus went and, where the step
// stores something, at what the data file holds.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QKeySequence>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "admin/SmNewYearFileDlg.h"
#include "app/SmMainFrm.h"
#include "app/SmOpenDataDlg.h"
#include "cane/TsFarmerCardDlg.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsSysParamEditDlg.h"
#include "core/SmDatabase.h"
#include "forms/SmTemplateList.h"
#include "platform/SmMessage.h"
#include "product/TsApp.h"
#include "reports/TsReportQueryDlg.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestRows.h"
#include "tests/weighing/PtyIndicator.h"
#include "ui/SmDlgPosStore.h"
#include "weighing/SmFrameDecoder.h"
#include "weighing/TsSheetOpenDlg.h"
#include "weighing/TsgbFrmView.h"
#include "weighing/TsjsFrmView.h"

namespace {

class RoadApp : public CTsApp {
 public:
  void RunUpdater() override {}
};

// A key as the clerk presses it ("Alt+S", "Ctrl+Shift+F6", "Return"), or one character typed.
struct Stroke {
  // Implicit, so that a step's keys read as the clerk's: {"Home", "Return"}.
  Stroke(const char* key) : key(QKeySequence(QString::fromUtf8(key))[0]) {}  // NOLINT
  explicit Stroke(QChar typed) : text(typed) {}
  QKeyCombination key;
  QString text;
};
using Strokes = std::vector<Stroke>;

Strokes Typed(const char* text) {
  Strokes strokes;
  for (QChar c : QString::fromUtf8(text)) strokes.emplace_back(c);
  return strokes;
}

Strokes Times(int count, const char* key) {
  return Strokes(static_cast<size_t>(count), Stroke(key));
}

Strokes Keys(std::initializer_list<Strokes> parts) {
  Strokes all;
  for (const Strokes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Where the keyboard's focus is, as the clerk sees it: the window (a dialog by its title, a
// message box by its text, a document window by its title, the template box, an open menu) and
// the field in it (a control by its id, else by its kind; a button with its text; a menu's
// highlighted item).
struct Focus {
  std::string window;
  std::string field;
  bool operator==(const Focus&) const = default;
};

void PrintTo(const Focus& focus, std::ostream* out) {
  *out << "“" << focus.window << "” › " << focus.field;
}

std::string WindowOf(QWidget* widget) {
  if (auto* box = qobject_cast<QMessageBox*>(widget->window()))
    return "框：" + box->text().toStdString();
  for (QWidget* up = widget; up; up = up->parentWidget()) {
    if (auto* child = qobject_cast<QMdiSubWindow*>(up)) return child->windowTitle().toStdString();
    if (qobject_cast<QDockWidget*>(up)) return "模板目录";
  }
  if (qobject_cast<CSmMainFrm*>(widget->window())) return "主窗口";
  return widget->window()->windowTitle().toStdString();
}

std::string FieldOf(QWidget* widget) {
  std::string field = widget->objectName().isEmpty() ? widget->metaObject()->className()
                                                     : widget->objectName().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(widget))
    field += "“" + button->text().toStdString() + "”";
  return field;
}

Focus FocusNow() {
  if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
    const QAction* item = menu->activeAction();
    return {"菜单“" + menu->title().toStdString() + "”",
            item ? item->text().toStdString() : "（无）"};
  }
  if (QWidget* focus = QApplication::focusWidget()) return {WindowOf(focus), FieldOf(focus)};
  // No field has it: in the active window (which leaves the keys nowhere), or in no window.
  QWidget* active = QApplication::activeWindow();
  return {active ? WindowOf(active) : "（无）", "（无）"};
}

std::function<Focus()> At(std::string window, std::string field) {
  return [focus = Focus{std::move(window), std::move(field)}] { return focus; };
}

std::function<Focus()> At(std::string window, int id) {
  return At(std::move(window), IdName(id));
}

// One step of the clerk: keys, then where the focus is to be; what the data file holds then.
struct Step {
  Step(std::string name, Strokes keys, std::function<Focus()> focus)
      : name(std::move(name)), keys(std::move(keys)), focus(std::move(focus)) {}
  // The rows of a query of one text column, trimmed and joined by "|".
  Step Stores(std::string query, std::string rows) && {
    stored = {std::move(query), std::move(rows)};
    return std::move(*this);
  }
  // What the clerk waits to see before the keys.
  Step Seeing(std::function<bool()> seen) && {
    ready = std::move(seen);
    return std::move(*this);
  }
  // What happens in the world before the keys.
  Step Meanwhile(std::function<void()> happening) && {
    before = std::move(happening);
    return std::move(*this);
  }
  // The offscreen platform makes every window it shows active and, unlike a window manager,
  // makes none active again when the active one closes: after the keys the road activates the
  // window a window manager would (the dialog still open, else the main window) when no window
  // is active.
  Step ActivatedByWindowManager() && {
    windowManager = true;
    return std::move(*this);
  }

  std::string name;
  Strokes keys;
  std::function<Focus()> focus;
  std::optional<std::pair<std::string, std::string>> stored;
  std::function<bool()> ready;
  std::function<void()> before;
  bool windowManager = false;
};

// Walks the steps from timers: a key that opens a dialog or a box returns only when it closes,
// so the keys after it are sent from a timer of its own inside the dialog's loop. A key goes to
// the open menu, else to the focused widget; while a dialog opens the road waits until the
// focus is in it. A step that does not come where it should within its time is a failure, and
// the road goes on; one whose keys find no focus to go to ends the road.
class CKeyRoad {
 public:
  using Reader = std::function<std::string(const std::string&)>;
  CKeyRoad(std::vector<Step> steps, Reader read)
      : m_steps(std::move(steps)), m_read(std::move(read)) {}

  void Start() {
    m_deadline = QDeadlineTimer(kStepMillis);
    NewTicker();
  }
  // Runs an event loop until the road is walked or has ended.
  void WalkRest() {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
      if (Done()) loop.quit();
    });
    poll.start(20);
    if (!Done()) loop.exec();
  }
  bool Walked() const { return m_step == m_steps.size() && !m_stopped; }

 private:
  static constexpr int kStepMillis = 5000;

  bool Done() const { return m_step == m_steps.size() || m_stopped; }

  // A timer does not fire again while its own call runs, and that call may be inside the loop
  // of the dialog its key opened: each key gets a fresh timer for what follows it.
  void NewTicker() {
    auto& ticker = m_tickers.emplace_back(std::make_unique<QTimer>());
    ticker->setInterval(10);
    QObject::connect(ticker.get(), &QTimer::timeout, ticker.get(), [this, t = ticker.get()] {
      if (Done()) {
        t->stop();
      } else {
        Advance(t);
      }
    });
    ticker->start();
  }

  void Advance(QTimer* ticker) {
    const Step& step = m_steps[m_step];
    if (m_key == 0 && !m_begun) {
      m_begun = true;
      if (step.before) step.before();
    }
    if (m_key == 0 && step.ready && !step.ready()) {
      if (m_deadline.hasExpired()) Stop("没有等到按键的时候");
      return;
    }
    if (m_key < step.keys.size()) {
      QWidget* target = KeyTarget();
      if (!target) {
        if (m_deadline.hasExpired()) Stop("焦点不在任何字段上，按键无处可去");
        return;
      }
      const Stroke stroke = step.keys[m_key++];
      ticker->stop();
      NewTicker();
      Press(target, stroke);
      return;
    }
    if (step.windowManager && !QApplication::activeWindow()) {
      QWidget* modal = QApplication::activeModalWidget();
      (modal ? modal : SmGetApp()->GetMainWnd())->activateWindow();
    }
    // A button's key clicks it a moment later, as a click with the mouse shows: the data file
    // is read until it holds the rows, too.
    const Focus now = FocusNow();
    const Focus expected = step.focus();
    const std::string rows = step.stored ? m_read(step.stored->first) : std::string();
    const bool stored = !step.stored || rows == step.stored->second;
    if ((!(now == expected) || !stored) && !m_deadline.hasExpired()) return;
    EXPECT_EQ(now, expected) << "step " << step.name;
    if (step.stored) {
      EXPECT_EQ(rows, step.stored->second) << "step " << step.name;
    }
    ++m_step;
    m_key = 0;
    m_begun = false;
    m_deadline = QDeadlineTimer(kStepMillis);
  }

  // The open menu's highlighted item, else the focused widget; none while a dialog that opened
  // does not have the focus yet.
  static QWidget* KeyTarget() {
    if (QWidget* popup = QApplication::activePopupWidget())
      return popup->focusWidget() ? popup->focusWidget() : popup;
    QWidget* focus = QApplication::focusWidget();
    QWidget* modal = QApplication::activeModalWidget();
    if (!focus || (modal && focus->window() != modal)) return nullptr;
    return focus;
  }

  // The key's press and release; a key that closes its window has no release to go to.
  static void Press(QWidget* target, const Stroke& stroke) {
    const QPointer<QWidget> alive = target;
    if (!stroke.text.isEmpty()) {
      QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, stroke.text, Qt::NoModifier);
      if (alive) {
        QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, stroke.text, Qt::NoModifier);
      }
      return;
    }
    QTest::keyPress(target, stroke.key.key(), stroke.key.keyboardModifiers());
    if (alive) QTest::keyRelease(target, stroke.key.key(), stroke.key.keyboardModifiers());
  }

  // Ends the road where it cannot go on; the dialogs still open are closed so that the test
  // ends.
  void Stop(const std::string& why) {
    ADD_FAILURE() << "step " << m_steps[m_step].name << "：" << why << "；焦点在 "
                  << testing::PrintToString(FocusNow());
    m_stopped = true;
    QTimer::singleShot(0, [] {
      for (int i = 0; i < 10; ++i) {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
      }
    });
  }

  std::vector<Step> m_steps;
  Reader m_read;
  std::vector<std::unique_ptr<QTimer>> m_tickers;
  size_t m_step = 0;
  size_t m_key = 0;
  bool m_begun = false;
  bool m_stopped = false;
  QDeadlineTimer m_deadline;
};

// The weight on the display of the weighing card in the active document window.
std::function<bool()> DisplayShows(const char* weight) {
  return [weight] {
    auto* main = qobject_cast<CSmFrameWnd*>(SmGetApp()->GetMainWnd());
    CSmChildFrame* child = main ? main->GetActiveChild() : nullptr;
    auto* card = child ? child->findChild<CTsgbFrmView*>() : nullptr;
    auto* display =
        card ? qobject_cast<QLineEdit*>(card->Control(CTsgbFrmView::kDisplay1)) : nullptr;
    return display && display->text() == QString(weight);
  };
}

// The program runs in a home of its own (its settings, its data folder, its port) and shows
// its boxes as real windows, answered by keys like its dialogs.
class KeyboardRoadTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    ASSERT_TRUE(m_home.isValid());
    const std::string home = m_home.path().toStdString();
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"HOME", home},
                                      {"XDG_CONFIG_HOME", home + "/.config"},
                                      {"XDG_DATA_HOME", home + "/.local/share"}}) {
      const char* old = std::getenv(name);
      m_saved.emplace_back(name, old ? old : "");
      setenv(name, value.c_str(), 1);
    }
    // Made once its home is set: it takes its data folder from there.
    m_app = std::make_unique<RoadApp>();
    CSmMessageService::Instance().SetTestMode(false);
  }
  void TearDown() override {
    CSmMessageService::Instance().SetTestMode(true);
    if (m_app) {
      m_app->m_docManager.CloseAllDocuments();
      QApplication::processEvents();
      m_app->ExitInstance();
      m_app.reset();
    }
    for (const auto& [name, value] : m_saved) setenv(name.c_str(), value.c_str(), 1);
  }

  // The year file the first start made, in the first account set.
  std::string DataFile() const {
    const QDir set(m_home.path() + "/Vornel数据/001");
    const QStringList files = set.entryList({"*.tsd"}, QDir::Files);
    return files.isEmpty() ? std::string() : set.filePath(files.front()).toStdString();
  }
  // The rows of a query, read from the data file on a connection of the test's own.
  std::string Read(const std::string& query) const {
    CSmDatabase db;
    if (!db.Open(DataFile())) return "（数据文件打不开）";
    return SmJoinedRows(&db, query);
  }

  QTemporaryDir m_home;
  std::vector<std::pair<std::string, std::string>> m_saved;
  std::unique_ptr<RoadApp> m_app;
};

}  // namespace

TEST_F(KeyboardRoadTest, FromTheFirstStartToAPaidSlipAndAReportByKeysAlone) {
  // Port 1 of the program's settings reads the indicator, which sends its frames all the time
  // while a lorry is on the weighbridge: first one of 12.34 t.
  m_app->SelectModuleInfo();
  SmSetProgramKey(m_app->GetSmRegKey());
  PtyIndicator indicator(1000);
  ASSERT_TRUE(indicator.Ready());
  std::string weight = "012340";
  QTimer player;
  QObject::connect(&player, &QTimer::timeout,
                   [&] { indicator.Send(CSmFrameDecoder::EncodeFrame(1, weight)); });

  const std::string open = "打开Vornel数据文件";
  const std::string box = "模板目录";
  const std::string templates = IdName(CSmTemplateList::kControlId);
  const std::string yes = "QPushButton“是(&Y)”";
  const std::string gross = "称毛重";
  const std::string tare = "除皮";
  const std::string slip = "蔗款结算";
  const std::string report = "甘蔗收购统计表";
  const std::string list = "CSmListViewCtrl";
  const std::string menu = "菜单“列表框右键菜单”";
  const std::string missing = "未录入甘蔗砍运地\n未录入承运驾驶员\n";
  std::vector<Step> road = {
      // The first start: no account set yet. A new one with its year file, then the log-in.
      {"first-start", {}, At(open, CSmOpenDataFileDlg::kKindCombo)},
      {"new-year-file", {"Alt+N"}, At("建立新年度数据文件", CSmNewYearFileDlg::kPlaceEdit)},
      {"create-question", {"Alt+S"}, At("框：真的要创建吗？", yes)},
      {"created",
       {"Return"},
       [this] {
         return Focus{"框：数据文件“" + DataFile() + "” 创建成功！", "QPushButton“确定”"};
       }},
      {"back-on-password", {"Return"}, At(open, CSmOpenDataFileDlg::kPasswordEdit)},
      Step{"logged-in", {"Alt+O"}, At(box, templates)}.ActivatedByWindowManager(),
      // One clerk weighs gross and tare: parameter 15, 过磅单的毛、皮员可相同吗, becomes 1.
      {"parameters", {"Alt+S", "Return"}, At("系统参数表", "1000")},
      {"parameter-15", Keys({Times(15, "Down"), {"Alt+M"}}),
       At("修改系统参数：", CTsSysParamEditDlg::kNumberEdit)},
      {"parameter-warning", Keys({Typed("1"), {"Alt+S"}}),
       At("框：    系统参数值不要随意改动，确需改动时，\n应停止其他所有人的操作，否则，将会导致系\n"
          "统混乱、修改失败或修改不完整！继续吗？",
          yes)},
      Step{"parameter-stored", {"Alt+Y"}, At("系统参数表", "1000")}.Stores(
          "Select CsVal From SysCsTab Where Cs=9130 And CsN=15", "1"),
      {"parameters-closed", {"Alt+X"}, At(box, templates)},
      // A farmer.
      {"farmers", {"Alt+S", "Down", "Return"}, At("农户目录", CTsFarmerDirDlg::kList)},
      {"add-farmer", {"Alt+A"}, At("增加", CTsFarmerCardDlg::kOwnPart)},
      Step{"farmer-stored", Keys({{"Tab"}, Typed("张三"), {"Alt+S"}}),
           At("增加", CTsFarmerCardDlg::kOwnPart)}
          .Stores("Select rtrim(KNO)||' '||rtrim(NA) From NHDir", "1 张三"),
      Step{"add-closed", {"Escape"}, At("农户目录", CTsFarmerDirDlg::kList)}
          .ActivatedByWindowManager(),
      {"farmers-closed", {"Alt+X"}, At(box, templates)},
      // The gross weight from the indicator; the card asks about the codes not keyed.
      Step{"gross-date", {"Home", "Return"}, At("过磅", CTsSheetOpenDlg::kYear)}.Meanwhile(
          [&player] { player.start(100); }),
      {"gross-card", {"Alt+S"}, At(gross, CTsgbFrmView::kFarmer)},
      Step{"gross-warning", Keys({Typed("1"), {"Ctrl+1", "Alt+S"}}),
           At("框：" + missing + "继续吗？", yes)}
          .Seeing(DisplayShows("012340")),
      Step{"gross-stored", {"Alt+Y"}, At(gross, CTsgbFrmView::kFarmer)}.Stores(
          "Select DH||' '||rtrim(KNO0)||' '||MU0 From gbSheet", "00001 1 12.34"),
      {"file-menu", {"Alt+F"}, At("菜单“文件(&F)”", "关闭(&C)")},
      {"file-menu-closed", {"Escape", "Escape"}, At(gross, CTsgbFrmView::kFarmer)},
      {"gross-closed", {"Ctrl+F4"}, At(box, templates)},
      // The lorry back empty: the tare from the indicator, the cane price typed.
      Step{"tare-date", {"Home", "Down", "Return"}, At("过磅", CTsSheetOpenDlg::kYear)}.Meanwhile(
          [&weight] { weight = "002340"; }),
      {"tare-card", {"Alt+S"}, At(tare, CTsgbFrmView::kVariety)},
      Step{"tare-list", {"Ctrl+1", "F6"}, At(tare, list)}.Seeing(DisplayShows("002340")),
      {"cane-price", Keys({Times(3, "Tab"), Typed("300")}), At(tare, CTsgbFrmView::kCanePrice)},
      {"tare-warning", {"Alt+S"}, At("框：" + missing + "未录入甘蔗品种\n继续吗？", yes)},
      Step{"tare-stored", {"Alt+Y"}, At(tare, CTsgbFrmView::kTare)}.Stores(
          "Select MU1||' '||PR0||' '||rtrim(OPR1) From gbSheet", "2.34 300.0 102"),
      {"tare-closed", {"Ctrl+F4"}, At(box, templates)},
      // The slip of household 1 settled, then paid and reviewed from the slip list; the lorry
      // has left the weighbridge.
      Step{"settle-date",
           {"Home", "Down", "Down", "Down", "Return"},
           At(slip, CTsSheetOpenDlg::kYear)}
          .Meanwhile([&player] { player.stop(); }),
      {"settle-card", {"Alt+S"}, At(slip, CTsjsFrmView::kHousehold)},
      {"household", Keys({Typed("1"), {"Alt+S"}}), At(slip, CTsjsFrmView::kPicker)},
      {"tickets", {"Alt+S"}, At(slip, CTsjsFrmView::kItemBase)},
      Step{"settled", {"Alt+S"}, At(slip, CTsjsFrmView::kHousehold)}.Stores(
          "Select rtrim(JN0)||' '||rtrim(OPR2) From gbSheet", "00001 102"),
      {"slip-list", {"F6", "Up"}, At(slip, list)},
      Step{"paid", {"Alt+K"}, At(slip, list)}.Stores("Select rtrim(OPR4) From gbSheet", "102"),
      {"list-menu", {"Shift+F10"}, At(menu, "（无）")},
      {"review-item", Times(3, "Down"), At(menu, "复核")},
      Step{"reviewed", {"Return"}, At(slip, list)}.Stores("Select rtrim(OPR6) From gbSheet", "102"),
      // A report beside the card, through the template box.
      {"template-box", {"Alt+2"}, At(box, templates)},
      {"report-query", Keys({{"Home"}, Times(11, "Down"), {"Return"}}),
       At("打开" + report, CTsReportQueryDlg::kDateFrom)},
      {"report", {"Alt+O"}, At(report, "CTsReportView")},
      // The windows in turn, each where the clerk left it, then each closed.
      {"next-window", {"Ctrl+F6"}, At(slip, list)},
      {"next-again", {"Ctrl+F6"}, At(report, "CTsReportView")},
      {"previous-window", {"Ctrl+Shift+F6"}, At(slip, list)},
      {"card-closed", {"Ctrl+F4"}, At(report, "CTsReportView")},
      {"report-closed", {"Ctrl+F4"}, At(box, templates)},
  };
  CKeyRoad walk(std::move(road), [this](const std::string& query) { return Read(query); });
  walk.Start();
  // The log-in dialog's loop runs the first steps; the main window's loop the others.
  m_app->InitInstance({});
  walk.WalkRest();
  EXPECT_TRUE(walk.Walked());
}
