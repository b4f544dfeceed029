#pragma once
// The two views of a card document. `CSmCardView` only draws the card, for looking at and
// printing it. `CSmCardFrmView` is the card's entry form: its controls stand on the card's
// cells, carry hint balloons, and Enter moves through them and confirms the card; it reads,
// refreshes and saves for the document, and prints on plain paper or onto pre-printed forms.
#include <QWidget>
#include <functional>
#include <string>

#include "platform/SmDocument.h"

class CSmCardLayout;
class CSmCardDoc;
class CSmPrintJob;
class CSmToolTip;
class QPushButton;
class QScrollArea;
struct CSmPrintState;

// The scrolled surface a card is drawn on; the form view's controls are its children.
class CSmCardSurface : public QWidget {
  Q_OBJECT
 public:
  CSmCardSurface(std::function<void(QPainter&)> paint, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<void(QPainter&)> m_paint;
};

class CSmCardView : public CSmView {
  Q_OBJECT
 public:
  explicit CSmCardView(QWidget* parent = nullptr);

  // The layout shown: the card document's.
  virtual CSmCardLayout* GetCardLayout(CSmDocument* doc);

  void OnInitialUpdate() override;
  void OnUpdate(CSmView* sender, long hint) override;
  virtual void OnDraw(QPainter& painter);
  // Printer, print dialog and log; false when the print does not start.
  virtual bool OnPreparePrinting(CSmPrintJob& job, CSmPrintState& state);
  bool OnCommand(int id) override;

  CSmCardSurface* Surface() const { return m_surface; }
  CSmCardLayout* Layout() const { return m_layout; }
  // Room for the whole card.
  QSize sizeHint() const override;

  int nCardMode = 0;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  CSmCardLayout* m_layout = nullptr;
  QScrollArea* m_scroll;
  CSmCardSurface* m_surface;
};

class CSmCardFrmView : public CSmView {
  Q_OBJECT
 public:
  explicit CSmCardFrmView(QWidget* parent = nullptr);

  // ---- hooks of the entry forms, with their defaults
  // Gives the controls their hint balloons.
  virtual void GetControlHint();
  // The hint of a control by its kind; a form may answer others (a button's, say).
  virtual std::string GetStatusHint(int controlId);
  virtual CSmCardLayout* GetCardLayout(CSmDocument* doc);
  // Moves the card's values from the controls into the document's record (`save`) or back.
  virtual void ExchangeCardData(bool /*save*/) {}
  // Typed values into the record, the document's refresh and read-only flag, a repaint.
  virtual void RefreshFromDocument();
  virtual bool IsReadOnly() { return false; }
  // True when the card has changes to save; `prompt` is the question to ask.
  virtual bool GetSavePrompt(std::string& prompt) {
    prompt.clear();
    return false;
  }
  virtual bool Save(int /*saveAs*/) { return true; }
  // Enter: values into the record, then confirm (control 1), reload the list (control 2) or
  // move to the next control, then the record back into the controls.
  virtual void OnEnterKey();
  virtual void OnEnterButton() { Save(0); }
  virtual void OnEnterList();
  // The list view is usable unless the card has changes to save.
  virtual void EnableListView();
  // Puts the form's controls on the cells of the card just scaled (each update); the Tab order
  // then follows where they stand.
  virtual void PlaceControls() {}
  // The field a clerk starts typing in: the first in Tab order that takes the focus now.
  virtual QWidget* FirstField() const;
  void FocusFirstField();

  // The form hands itself over to its card document, which asks it its answers.
  void OnAddedToDocument() override;
  void OnInitialUpdate() override;
  void OnUpdate(CSmView* sender, long hint) override;
  virtual void OnDraw(QPainter& painter);
  virtual bool OnPreparePrinting(CSmPrintJob& job, CSmPrintState& state);
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // ---- placing controls on the card
  // Puts the control on cell `index`, `inset` pixels from its left, vertically centred, and
  // with `stretch` as wide as the cell less the insets.
  void PlaceControl(QWidget* control, int index, int inset, bool stretch);
  // Moves the control's top-left corner to (x, y) in the form, keeping its size.
  void OffsetControl(QWidget* control, int x, int y);
  // A push button on the form whose click is the command `id`.
  QPushButton* AddButton(int id, const QString& text);

  // The parent of the form's controls, and a control by its id.
  QWidget* Form() const { return m_surface; }
  QWidget* Control(int id) const;
  // The text of a line-edit control ("" for any other), its setter, and focusing a control.
  std::string FieldText(int id) const;
  void SetFieldText(int id, const std::string& text);
  void FocusControl(int id);
  CSmToolTip* ToolTip() const { return m_toolTip; }
  CSmCardLayout* Layout() const { return m_layout; }
  CSmCardDoc* CardDoc() const;
  // Room for the whole card.
  QSize sizeHint() const override;

  bool bFormMode = false;  // a print or preview onto pre-printed forms is running
  int nCardMode = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  bool Print(int commandId);
  bool PrintInFormMode(int commandId);
  // The id of the form's control that has the focus, or 0.
  int FocusedControlId() const;
  void FocusNextControl();

  CSmCardLayout* m_layout = nullptr;
  CSmToolTip* m_toolTip = nullptr;  // owned by the form
  QScrollArea* m_scroll;
  CSmCardSurface* m_surface;
};
