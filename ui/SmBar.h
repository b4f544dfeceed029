#pragma once
// A resizable pane docked at an edge of the main window: a double-line gripper, two caption
// buttons (hide 43020, dock/float 43021) and three remembered sizes, one for the top and bottom
// edges, one for the left and right edges and one while floating. The pane's contents go into
// `Client()`; `OnLayout` runs after every change of its place or size.
#include <QDockWidget>
#include <QIcon>
#include <QSize>
#include <vector>

class QMainWindow;
class CSmButton;

// Dock bar ids: where a pane sits.
enum : int {
  SM_DOCKBAR_TOP = 59419,
  SM_DOCKBAR_LEFT = 59420,
  SM_DOCKBAR_RIGHT = 59421,
  SM_DOCKBAR_BOTTOM = 59422,
  SM_DOCKBAR_FLOAT = 59423,
};

class CSmBar : public QDockWidget {
  Q_OBJECT
 public:
  explicit CSmBar(QWidget* parent = nullptr);
  ~CSmBar() override;

  // Names the pane (objectName = id), sets the title and all three sizes to width x height.
  bool Create(QMainWindow* frame, int id, const QString& title, int width, int height);
  // Caption images: 0 hide, 1 float while docked left/right, 2 while docked top/bottom.
  // Returns the previous list.
  std::vector<QIcon> SetImageList(std::vector<QIcon> images);

  QWidget* Client() const { return m_client; }
  CSmButton* CaptionButton(int id) const;
  bool HasGripper() const;
  // The dock bar the pane sits at (SM_DOCKBAR_FLOAT when floating).
  int DockBarId() const;
  bool IsFloating() const { return DockBarId() == SM_DOCKBAR_FLOAT; }
  bool IsHorizontal() const;

  // Remembered sizes: the height counts while docked top/bottom, the width while docked
  // left/right, both while floating.
  QSize m_minSize{32, 32};
  QSize m_horzSize{200, 200};
  QSize m_vertSize{200, 200};
  QSize m_floatSize{200, 200};

  // Puts the pane at a dock bar (or floating) with its remembered size for that place.
  void DockAt(int dockBarId);
  // Carries out 43020 (hide) and 43021 (dock/float); false for other commands.
  bool OnCommand(int id);

 protected:
  virtual void OnLayout() {}
  // Gives the pane the remembered size of the place it sits at.
  void ApplyRememberedSize();
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Caption;
  void OnPlaceChanged();
  QMainWindow* Frame() const;

  QWidget* m_client;
  Caption* m_caption;
  std::vector<QIcon> m_images;
  int m_lastDockBar = 0;
  bool m_inPlaceChange = false;
  bool m_shownOnce = false;
};
