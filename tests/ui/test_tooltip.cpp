#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>
#include <functional>

#include "ui/SmToolTip.h"

namespace {

// Runs the event loop until the condition holds or `ms` pass.
bool Eventually(const std::function<bool()>& condition, int ms = 3000) {
  QDeadlineTimer deadline(ms);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return true;
}

void Spin(int ms) {
  Eventually([] { return false; }, ms);
}

// Feeds the application's events to the balloon, as a host's event filter does.
class Relay : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (tip) tip->RelayEvent(watched, event);
    return false;
  }
  CSmToolTip* tip = nullptr;
};

// A window with two fields side by side, each a tool of the balloon; the pointer is moved with
// the platform cursor, which delivers real mouse moves.
class Balloon : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.setGeometry(100, 100, 300, 120);
    m_first = new QLineEdit(&m_host);
    m_first->setGeometry(10, 10, 100, 30);
    m_second = new QLineEdit(&m_host);
    m_second->setGeometry(150, 10, 100, 30);
    m_host.show();
    m_host.activateWindow();
    m_tip = new CSmToolTip;
    ASSERT_TRUE(m_tip->Create(&m_host));
    m_tip->AddTool(m_first, "first", 0, 0, 0, nullptr, 1000);
    m_tip->AddTool(m_second, "<b>second</b>", 0, 0, 0, nullptr, 1001);
    m_tip->SetBehaviour(CSmToolTip::kRestartOnMove);
    m_relay.tip = m_tip;
    qApp->installEventFilter(&m_relay);
    Eventually([] { return QApplication::activeWindow() != nullptr; });
  }
  void TearDown() override { qApp->removeEventFilter(&m_relay); }

  void MoveTo(QWidget* widget, QPoint at = {50, 15}) {
    QCursor::setPos(widget->mapToGlobal(at));
    QCoreApplication::processEvents();
  }
  void MoveToHost(QPoint at) {
    QCursor::setPos(m_host.mapToGlobal(at));
    QCoreApplication::processEvents();
  }
  bool Shows(int id) {
    return Eventually([&] { return m_tip->isVisible() && m_tip->CurrentTip().id == id; });
  }

  QWidget m_host;
  QLineEdit* m_first;
  QLineEdit* m_second;
  CSmToolTip* m_tip;  // owned by the host
  Relay m_relay;
};

}  // namespace

TEST_F(Balloon, ShowsAfterTheDelayAndSwitchesAtOnceBetweenTools) {
  MoveTo(m_first);
  EXPECT_FALSE(m_tip->isVisible());
  EXPECT_EQ(m_tip->PendingIndex(), 0);
  ASSERT_TRUE(Shows(1000));
  EXPECT_EQ(m_tip->ShownIndex(), 0);

  MoveTo(m_second);
  EXPECT_TRUE(m_tip->isVisible()) << "a shown tip switches to the next tool without waiting";
  EXPECT_EQ(m_tip->CurrentTip().id, 1001);
}

TEST_F(Balloon, ClickOrKeyHidesAndTheNextTipWaitsAgain) {
  MoveTo(m_first);
  ASSERT_TRUE(Shows(1000));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 15),
                    m_first->mapToGlobal(QPointF(50, 15)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(m_first, &press);
  EXPECT_FALSE(m_tip->isVisible());

  MoveTo(m_second);
  EXPECT_FALSE(m_tip->isVisible()) << "after a click the next tip waits for the delay";
  ASSERT_TRUE(Shows(1001));

  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(m_second, &key);
  EXPECT_FALSE(m_tip->isVisible());
  MoveTo(m_second, {60, 16});
  EXPECT_FALSE(m_tip->isVisible());
  EXPECT_TRUE(Shows(1001));
}

TEST_F(Balloon, WithoutHideDelayTheTipStaysUntilThePointerLeaves) {
  m_tip->SetDelay(3, 50);
  MoveTo(m_first);
  ASSERT_TRUE(Shows(1000));
  Spin(700);
  EXPECT_TRUE(m_tip->isVisible());
  MoveToHost({130, 90});  // between the fields
  EXPECT_FALSE(m_tip->isVisible());
  EXPECT_EQ(m_tip->ShownIndex(), -1);

  m_tip->SetDelay(2, 100);
  MoveTo(m_first);
  ASSERT_TRUE(Shows(1000));
  EXPECT_TRUE(Eventually([&] { return !m_tip->isVisible(); })) << "the hide delay ends the tip";
}

TEST_F(Balloon, NotificationMayChangeTheTipBeforeItShows) {
  m_tip->SetDelay(3, 10);
  m_tip->SetNotify(true);
  QRect seen;
  QObject::connect(m_tip, &CSmToolTip::TipNotify, [&](const QPoint&, SmToolInfo* info) {
    seen = info->hotRect;
    info->text = "changed";
  });
  MoveTo(m_second);
  ASSERT_TRUE(Shows(1001));
  EXPECT_EQ(m_tip->CurrentTip().text, "changed");
  EXPECT_EQ(seen, QRect(150, 10, 100, 30)) << "hot rectangle in the host's coordinates";
  EXPECT_TRUE(m_tip->Tool(1).hotRect.isEmpty());
}

TEST_F(Balloon, ToolsOfOneWindowReplaceOrAddByRectangle) {
  m_tip->AddTool(m_first, "again");
  ASSERT_EQ(m_tip->ToolCount(), 2);
  EXPECT_EQ(m_tip->Tool(0).text, "again");

  const QRect left(0, 0, 150, 120), wide(0, 0, 300, 120);
  m_tip->AddTool(&m_host, "left part", 0, 0, 0, &left, 7);
  m_tip->AddTool(&m_host, "whole", 0, 0, 0, &wide, 8);
  ASSERT_EQ(m_tip->ToolCount(), 4);
  m_tip->SetDelay(3, 10);
  MoveToHost({20, 90});
  EXPECT_TRUE(Shows(7)) << "the first tool in list order containing the point wins";
  MoveToHost({200, 90});
  EXPECT_TRUE(Shows(8));
}

TEST_F(Balloon, NearTheScreenEdgesTheBalloonFlipsInside) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  m_host.move(screen.right() - 260, screen.bottom() - 60);
  QCoreApplication::processEvents();
  m_tip->SetDelay(3, 10);
  MoveTo(m_second, {90, 20});
  ASSERT_TRUE(Shows(1001));
  EXPECT_EQ(m_tip->TipDirection(), 0) << "above and to the left of the pointer";
  EXPECT_TRUE(screen.contains(m_tip->geometry()))
      << m_tip->geometry().x() << "," << m_tip->geometry().y() << " " << m_tip->width() << "x"
      << m_tip->height() << " in " << screen.width() << "x" << screen.height();
}

TEST(SmToolTip, PlacementMirrorsAtTheScreenEdges) {
  const QRect screen(0, 0, 800, 600);
  const QSize size(200, 100);
  struct Case {
    const char* why;
    QPoint point;
    QSize size;
    int direction;
    QRect rect;
    int finalDirection;
  };
  const Case cases[] = {
      {"room below right", {100, 100}, size, 3, {84, 100, 200, 100}, 3},
      {"right edge: to the left", {750, 100}, size, 3, {566, 100, 200, 100}, 2},
      {"bottom edge: above", {100, 550}, size, 3, {84, 450, 200, 100}, 1},
      {"corner: above left", {750, 550}, size, 3, {566, 450, 200, 100}, 0},
      {"left edge from the left direction", {50, 300}, size, 0, {34, 200, 200, 100}, 1},
      {"close to the left edge", {5, 100}, size, 3, {0, 100, 200, 100}, 3},
      {"fits nowhere: mirrored both ways", {400, 300}, {900, 700}, 3, {-484, -400, 900, 700}, 0},
  };
  for (const Case& c : cases) {
    int direction = c.direction;
    EXPECT_EQ(CSmToolTip::PlaceTip(c.point, c.size, direction, screen, 16, {}), c.rect) << c.why;
    EXPECT_EQ(direction, c.finalDirection) << c.why;
  }
  int direction = 2;
  EXPECT_EQ(CSmToolTip::PlaceTip({400, 300}, size, direction, screen, 16, {4, 4}),
            QRect(220, 304, 200, 100))
      << "the shadow moves a balloon left of the point";
  direction = 3;
  EXPECT_EQ(CSmToolTip::PlaceTip({795, 300}, size, direction, screen, 16, {4, 4}),
            QRect(600, 304, 200, 100))
      << "but not past the screen's edge";
}

TEST(SmToolTip, TextureOfEffect13StaysInItsClampedRangeWithItsNoise) {
  CSmPalBitmap texture;
  std::minstd_rand random(7);
  CSmToolTip::MakeTexture(texture, 64, 48, 13, 10, 0xFFFFFF, 0x808080, 0x000000, random);
  ASSERT_EQ(texture.Width(), 64);
  // The top left and bottom right corners lie in the clamped parts: within 10 of 245 or 10.
  for (const QPoint corner : {QPoint(0, 0), QPoint(63, 47)}) {
    const int value = texture.Pixel(corner.x(), corner.y());
    EXPECT_TRUE(value <= 20 || value >= 235) << corner.x() << "," << corner.y() << ": " << value;
  }
  int low = 255, high = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      low = std::min<int>(low, texture.Pixel(x, y));
      high = std::max<int>(high, texture.Pixel(x, y));
    }
  EXPECT_LE(low, 20);
  EXPECT_GE(high, 235);
  EXPECT_EQ(texture.PaletteEntry(255), qRgb(255, 255, 255)) << "the last entry is the background";
}

TEST_F(Balloon, MovingInsideTheShownToolRestartsOnlyWithBehaviour1) {
  m_tip->SetDelay(3, 50);
  MoveTo(m_first);
  ASSERT_TRUE(Shows(1000));
  MoveTo(m_first, {60, 16});
  EXPECT_FALSE(m_tip->isVisible()) << "each move inside hides the tip";
  EXPECT_TRUE(Shows(1000)) << "and it shows again once the pointer rests";

  m_tip->SetBehaviour(0);
  MoveTo(m_second);
  ASSERT_TRUE(Shows(1001));
  MoveTo(m_second, {60, 16});
  EXPECT_FALSE(m_tip->isVisible());
  Spin(300);
  EXPECT_FALSE(m_tip->isVisible()) << "without behaviour 1 it waits until the pointer leaves";
  MoveTo(m_first);
  EXPECT_TRUE(Shows(1000));
}
