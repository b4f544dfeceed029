// Docking panes with their caption buttons and remembered sizes, flat buttons, and the page
// behind the document windows of an MDI area.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMouseEvent>
#include <QTextEdit>

#include "tests/common/SmTestMain.h"
#include "ui/SmBar.h"
#include "ui/SmButton.h"
#include "ui/SmMdiClient.h"

namespace {

struct Frame {
  Frame() {
    window.setCentralWidget(new QTextEdit);
    window.resize(900, 600);
    bar = new CSmBar;
    bar->Create(&window, 43101, "文档模板目录", 200, 160);
    bar->DockAt(SM_DOCKBAR_LEFT);
    window.show();
    Settle();
  }
  static void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
  void Mouse(QEvent::Type type, QPoint pos) {
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, pos, window.mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
  }
  // Drags the separator between the central widget and a right pane by dx.
  void DragRightEdge(int dx) {
    const int x = (window.centralWidget()->geometry().right() + bar->geometry().left()) / 2;
    const QPoint start(x, bar->geometry().center().y());
    Mouse(QEvent::MouseButtonPress, start);
    // The frame applies a separator move on its next turn of the event loop.
    Mouse(QEvent::MouseMove, start + QPoint(dx / 2, 0));
    Settle();
    Mouse(QEvent::MouseMove, start + QPoint(dx, 0));
    Settle();
    Mouse(QEvent::MouseButtonRelease, start + QPoint(dx, 0));
    Settle();
  }

  QMainWindow window;
  CSmBar* bar;
};

TEST(SmBar, FloatingHidesTheCaptionButtonsAndTheGripperAndDockingShowsThem) {
  Frame frame;
  CSmBar* bar = frame.bar;
  EXPECT_EQ(bar->objectName(), "43101");
  EXPECT_EQ(bar->DockBarId(), SM_DOCKBAR_LEFT);
  for (int id : {43020, 43021}) ASSERT_TRUE(bar->CaptionButton(id)->isVisible());
  EXPECT_EQ(bar->CaptionButton(43020)->toolTip(), "Hide Docked Window");
  EXPECT_EQ(bar->CaptionButton(43021)->toolTip(), "Minimize Docked Window");
  EXPECT_TRUE(bar->HasGripper());

  bar->CaptionButton(43021)->click();  // float
  Frame::Settle();
  EXPECT_TRUE(bar->IsFloating());
  EXPECT_EQ(bar->DockBarId(), SM_DOCKBAR_FLOAT);
  for (int id : {43020, 43021}) EXPECT_FALSE(bar->CaptionButton(id)->isVisible());
  EXPECT_FALSE(bar->HasGripper());

  bar->DockAt(SM_DOCKBAR_TOP);
  Frame::Settle();
  EXPECT_EQ(bar->DockBarId(), SM_DOCKBAR_TOP);
  EXPECT_TRUE(bar->IsHorizontal());
  for (int id : {43020, 43021}) EXPECT_TRUE(bar->CaptionButton(id)->isVisible());
  // Docked at the top the buttons stand in a column at the left.
  EXPECT_EQ(bar->CaptionButton(43020)->pos(), QPoint(2, 3));
  EXPECT_EQ(bar->CaptionButton(43021)->pos(), QPoint(2, 17));

  bar->CaptionButton(43020)->click();  // hide
  EXPECT_FALSE(bar->isVisible());
}

TEST(SmBar, EachPlaceKeepsItsOwnSize) {
  Frame frame;
  CSmBar* bar = frame.bar;
  EXPECT_EQ(bar->width(), 200);
  frame.window.resizeDocks({bar}, {180}, Qt::Horizontal);
  Frame::Settle();
  ASSERT_EQ(bar->width(), 180);

  bar->DockAt(SM_DOCKBAR_BOTTOM);
  Frame::Settle();
  EXPECT_EQ(bar->m_vertSize.width(), 180);
  EXPECT_EQ(bar->height(), 160);

  bar->DockAt(SM_DOCKBAR_LEFT);
  Frame::Settle();
  EXPECT_EQ(bar->width(), 180);
}

TEST(SmBar, RightPaneGrowsWhenItsEdgeIsDraggedLeftAndStopsAtItsMinimum) {
  Frame frame;
  CSmBar* bar = frame.bar;
  bar->DockAt(SM_DOCKBAR_RIGHT);
  Frame::Settle();
  const int before = bar->width();
  frame.DragRightEdge(-60);
  EXPECT_EQ(bar->width(), before + 60);

  frame.DragRightEdge(bar->width() + 100);
  EXPECT_EQ(bar->width(), 32);
}

TEST(SmButton, OneFlatButtonIsRaisedAtATime) {
  QWidget parent;
  CSmButton first(&parent);
  CSmButton second(&parent);
  parent.show();
  const auto enter = [](CSmButton& button) {
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&button, &event);
  };
  enter(first);
  EXPECT_EQ(CSmButton::HotButton(), &first);
  enter(second);
  EXPECT_EQ(CSmButton::HotButton(), &second);

  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&second, &press);
  EXPECT_TRUE(second.IsPressed());
  EXPECT_EQ(CSmButton::HotButton(), nullptr);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&second, &release);
  EXPECT_FALSE(second.IsPressed());
  EXPECT_EQ(CSmButton::HotButton(), &second);

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&second, &leave);
  EXPECT_EQ(CSmButton::HotButton(), nullptr);
}

// A main window that records the context menus it is asked for.
class MenuWindow : public QMainWindow {
 public:
  std::vector<QPoint> asked;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override { asked.push_back(event->globalPos()); }
};

TEST(MdiClient, PageFillsTheAreaAndARightClickAsksTheMainWindow) {
  MenuWindow window;
  auto* area = new QMdiArea;
  window.setCentralWidget(area);
  window.resize(640, 480);
  CMdiClient client;
  ASSERT_TRUE(client.SubclassWindow(area));
  window.show();
  Frame::Settle();
  CWebBrowser2* browser = client.Browser();
  const QSize inside = area->viewport()->size();
  EXPECT_EQ(browser->geometry(), QRect(-2, -2, inside.width() + 4, inside.height() + 4));

  window.resize(800, 600);
  Frame::Settle();
  EXPECT_EQ(browser->size(), area->viewport()->size() + QSize(4, 4));

  browser->LoadHtml("<html><body><p>甘蔗</p></body></html>");
  EXPECT_EQ(browser->Address(), "about:blank");
  EXPECT_EQ(browser->toPlainText().toStdString(), "甘蔗");

  const QPoint global = browser->mapToGlobal(QPoint(30, 40));
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(30, 40), global);
  QApplication::sendEvent(browser->viewport(), &click);
  ASSERT_EQ(window.asked.size(), 1u);
  EXPECT_EQ(window.asked[0], global);
}

}  // namespace
