#pragma once
// The docking template box ("文档模板目录"): one tab per data type that the selected module
// descriptor shows, each tab showing the page window that belongs to its data type. Choosing a
// tab merges the module's Settings menu into the main menu.
#include <QPointer>
#include <string>

#include "ui/SmBar.h"

class QTabWidget;
class CSmDataType;
class CSmMainFrm;

class CSmTemplateBox : public CSmBar {
  Q_OBJECT
 public:
  // Control ids (object names): the tab control, and the edit of the module name dialog (818).
  enum ControlId : int {
    kTabControl = 1300,
    kModuleNameEdit = 1064,
  };

  explicit CSmTemplateBox(QWidget* parent = nullptr);

  // Makes the tab control (kTabControl) and lets every registered data type make its page; the
  // first data type that fails fails the creation.
  bool Create(CSmMainFrm* frame);

  // Deletes the tabs and adds one per data type with a page, in registration order.
  void RebuildTabs();
  void AddPage(CSmDataType* type);
  // Shows the n-th page (counting data types with a page) and rebuilds the main menu.
  void SelectPage(int page);
  // Shows the box and gives the focus to its current page (the document kinds or the report
  // tree), where the next key goes.
  void FocusPage();
  // Whether the focus is in the box.
  bool HasFocusInside() const;
  // Command 43122: renames the selected module's tab.
  void OnRenamePage();
  // Sets the selected tab's label (what the rename does after its dialog).
  void RenamePage(const std::string& label);

  int GetSelectedPage() const { return m_page; }
  int GetPageCount() const;
  QTabWidget* TabControl() const { return m_tabs; }
  QWidget* CurrentPage() const { return m_current; }
  // The parent for the page windows the data types make.
  QWidget* PageParent() const { return Client(); }

  // "TemplateBoxState": "%d %d %d" of the size in the current orientation (floating counts as
  // vertical) and the dock bar.
  std::string StateText() const;
  // Applies a saved state against the frame's client size: a width or height outside one sixth
  // (inclusive) to five sixths (exclusive) of the client's gives 250 x 150.
  void ApplyState(const std::string& state, QSize clientSize);

 protected:
  void OnLayout() override;

 private:
  void RebuildMenu(CSmDataType* type);

  QTabWidget* m_tabs = nullptr;
  int m_page = -1;
  QPointer<QWidget> m_current;
};
