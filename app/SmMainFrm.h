#pragma once
// The main window: menu 128, toolbar, status bar, the docking template box and a client area
// that shows a picture or a page behind the document windows.
#include <memory>
#include <string>

#include "platform/SmDocument.h"
#include "ui/SmMdiClient.h"

class QLabel;
class QMenu;
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
  // Dims "CAP" and "NUM" while Caps Lock and Num Lock are off.
  void UpdateLockPanes();
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

 protected:
  bool CreateStatusBar();
  bool CreateToolBar();
  bool CreateTemplateBox();
  bool CreateClient();
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  std::unique_ptr<CMdiClient> m_mdiClient;
  CSmTemplateBox* m_templateBox = nullptr;
  QToolBar* m_toolBar = nullptr;
  QMenu* m_fileMenu = nullptr;
  QMenu* m_systemMenu = nullptr;
  std::string m_docType;
};
