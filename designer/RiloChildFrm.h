#pragma once
// The report window: a maximised child frame with its own status bar, the report module's
// toolbar, the format bar and a splitter of up to 2 x 2 report views of one document.
#include <QFont>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <vector>

#include "forms/SmChildFrm.h"
#include "res/SmResource.h"

class QComboBox;
class QMainWindow;
class QMenu;
class QStatusBar;
class CRiloView;

// The format bar: font face, size and zoom lists and the format buttons of toolbar 411.
class CRiloFormatBar : public QToolBar {
  Q_OBJECT
 public:
  explicit CRiloFormatBar(QWidget* parent = nullptr);

  // The buttons by position and the three lists; false when a part cannot be made.
  bool Create();
  // Fills the lists while they are empty: the screen's font families, the sixteen sizes and the
  // zoom steps (step i stands for i x 25 + 25 percent).
  void FillCombos();

  QComboBox* FaceCombo() const { return m_face; }
  QComboBox* SizeCombo() const { return m_size; }
  QComboBox* ZoomCombo() const { return m_zoom; }

 private:
  QComboBox* AddCombo(int id, int width, bool editable, bool sorted);

  QComboBox* m_face = nullptr;
  QComboBox* m_size = nullptr;
  QComboBox* m_zoom = nullptr;
  QFont m_font;
};

// Two rows of two panes; the second row and column start closed and open when their handle
// is dragged out. Panes of one column keep one width.
class CRiloSplitter : public QSplitter {
  Q_OBJECT
 public:
  explicit CRiloSplitter(QWidget* parent = nullptr);

  // Pane (row, column), row x 2 + column.
  CRiloView* Pane(int row, int column) const;
  QSplitter* Row(int row) const { return m_rows[static_cast<size_t>(row)]; }
  // Whether pane (row, column) shows: a collapsed pane keeps a pixel or none.
  bool PaneIsOpen(int row, int column) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Only the panes that show are Tab stops; a collapsed one would take the keyboard unseen.
  void UpdatePaneStops();

  std::vector<QSplitter*> m_rows;
};

class CRiloChildFrm : public CSmChildFrm {
  Q_OBJECT
 public:
  using CSmChildFrm::CSmChildFrm;
  ~CRiloChildFrm() override;

  // The status bar, the standard toolbar and the format bar in that order, then the keys of
  // resource 304; false when one of them fails.
  bool Create() override;
  // Maximised and active like every document window, with the keyboard in its sheet. Left to
  // itself the window would give the keyboard to the first control it holds, the format bar's
  // face list, and the main window would give it back there after every dialog.
  void ActivateFrame() override;
  // The client: the splitter of report views.
  QWidget* CreateClient();
  void SetContent(QWidget* content) override;
  // Puts the report menus into the main frame's menu bar.
  void OnUpdateFrameMenu(QMenuBar* bar) override;

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  QStatusBar* StatusBar() const;
  QToolBar* ToolBar() const { return m_toolBar; }
  CRiloFormatBar* FormatBar() const { return m_formatBar; }
  CRiloSplitter* Splitter() const { return m_splitter; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool CreateStatusBar();
  bool CreateToolBar();
  bool CreateFormatBar();
  void FocusNextPane(bool forward);
  // The bar a show/hide command works on, or null.
  QWidget* BarOf(int id) const;

  QMainWindow* m_inner = nullptr;
  QToolBar* m_toolBar = nullptr;
  CRiloFormatBar* m_formatBar = nullptr;
  CRiloSplitter* m_splitter = nullptr;
  std::vector<SmAccelerator> m_accelerators;
  std::vector<QMenu*> m_menus;
};
