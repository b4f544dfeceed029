#pragma once
// The main window: menu 128, toolbar, status bar, the docking template box and a client area
// that shows a picture or a page behind the document windows.
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "platform/SmDocument.h"
#include "ui/SmMdiClient.h"

class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;
class CSmTemplateBox;

class CSmMainFrm : public CSmFrameWnd {
  Q_OBJECT
 public:
  CSmMainFrm();
  ~CSmMainFrm() override;

  // Menu, status bar, toolbar, template box and client area; false when one fails.
  bool Create();
  // "%s(%s)：%s(%s)" of product title, program key text, unit name and data file name; the
  // status bar's pane 1 shows "操作：%s,%s" with the operator's number and name.
  void UpdateTitle(bool refresh = true);

  CSmTemplateBox* TemplateBox() const { return m_templateBox; }
  static CSmTemplateBox* TemplateBoxOf(CSmFrameWnd* frame);
  QToolBar* ToolBar() const { return m_toolBar; }
  QLabel* StatusPane(int index) const;
  CMdiClient* MdiClient() const { return m_mdiClient.get(); }
  QMenu* FileMenu() const { return m_fileMenu; }
  QMenu* SystemMenu() const { return m_systemMenu; }
  const std::string& DocType() const { return m_docType; }

  // The right-click menu 303 with one item per page when more than one page is shown.
  std::unique_ptr<QMenu> CreateContextMenu();

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // Writes "TemplateBoxState", "TemplateIndex" and every data type's list style.
  void SaveState();

  // Document windows have bars of their own: the first one hides the frame's toolbar and
  // status bar, closing the last shows again those that were shown.
  void HideOwnBars();
  void RestoreOwnBars();

  // Four panes: the stretching message pane, the operator pane (five times as wide as the
  // Num Lock pane), Caps Lock and Num Lock; the panes are named "pane0" to "pane3".
  static void CreateStatusPanes(QStatusBar* bar);
  // The buttons of a toolbar resource with their pictures, tooltips and fly-by help; false
  // when the resource has no toolbar.
  static bool LoadToolBar(QToolBar* bar, int resourceId);

 protected:
  bool CreateStatusBar();
  bool CreateToolBar();
  bool CreateTemplateBox();
  bool CreateClient();
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // The frame's own menus when no document window is active, else the window's menus.
  void OnChildActivated();

 private:
  std::vector<QMenu*> m_menus;  // the frame's own popups, in menu-bar order
  QTimer m_titleTimer;          // brings the title up to date once the windows have settled
  bool m_barsHidden = false;
  bool m_toolBarWasShown = false;
  bool m_statusBarWasShown = false;
  std::unique_ptr<CMdiClient> m_mdiClient;
  CSmTemplateBox* m_templateBox = nullptr;
  QToolBar* m_toolBar = nullptr;
  QMenu* m_fileMenu = nullptr;
  QMenu* m_systemMenu = nullptr;
  std::string m_docType;
};
