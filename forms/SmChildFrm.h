#pragma once
// Child frames of document windows: always maximised, and for form documents a toolbar, a
// four-pane status bar, the keys of the frame's resource and a menu bar made of the form menu,
// the module's Settings menu and the main menu.
#include <vector>

#include "platform/SmDocument.h"
#include "res/SmResource.h"

class QKeyEvent;
class QMainWindow;
class QMenu;
class QSplitter;
class QStatusBar;
class QToolBar;

class CSmChildFrm : public CSmChildFrame {
  Q_OBJECT
 public:
  using CSmChildFrame::CSmChildFrame;

  // Maximises the frame in the MDI area, then activates it.
  void ActivateFrame() override;

  int m_resourceId = 0;  // the template's resource, set before the frame is created
};

class CFormChildFrm : public CSmChildFrm {
  Q_OBJECT
 public:
  using CSmChildFrm::CSmChildFrm;

  // The toolbar, the status bar and the keys of the frame's resource; false when a bar fails.
  bool Create() override;
  void SetContent(QWidget* content) override;
  // Replaces the main frame's menus by the frame's own (nothing when they are there already).
  void OnUpdateFrameMenu(QMenuBar* bar) override;

  // True when the key was one of the frame's keys and its command was given.
  virtual bool PreTranslateMessage(QKeyEvent* event);

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  QToolBar* ToolBar() const { return m_toolBar; }
  QStatusBar* StatusBar() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  QMainWindow* Inner() const { return m_inner; }

 private:
  // File, Edit, View, Window and Help, made on first use.
  void LoadMenus();

  QMainWindow* m_inner = nullptr;
  QToolBar* m_toolBar = nullptr;
  std::vector<SmAccelerator> m_accelerators;
  std::vector<QMenu*> m_menus;
};

// A frame showing a list and a card side by side; the editing keys go to the focused field and
// commands to the view that holds the focus. F6 and Shift+F6 go to the next and the previous
// pane, where the focus last was in it; Tab from a pane's last field goes on to the next pane's
// first, Shift+Tab from its first field back to the previous pane's last.
class CFormChildFrm1 : public CFormChildFrm {
  Q_OBJECT
 public:
  using CFormChildFrm::CFormChildFrm;

  bool Create() override;
  void SetContent(QWidget* content) override;
  bool PreTranslateMessage(QKeyEvent* event) override;
  bool OnCommand(int id) override;

  QSplitter* Splitter() const { return m_splitter; }
  // Moves the focus to the next (or previous) pane; false when there is no other pane.
  bool FocusNextPane(bool forward);

 private:
  // The open panes, left to right, and the one holding `widget` (-1 for none).
  std::vector<QWidget*> Panes() const;
  int PaneOf(const QWidget* widget) const;
  // Tab (or Shift+Tab) on a pane's last (or first) field; true when the focus crossed over.
  bool CrossPane(bool forward);

  QSplitter* m_splitter = nullptr;
};
