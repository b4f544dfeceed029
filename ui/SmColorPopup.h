#pragma once
// The small 16-colour picker that opens below a colour swatch: a click on a colour chooses it,
// "保持原状" ends with no colour chosen (keep what each item has), "取消选择" cancels. The arrow
// keys move between the colours and Enter chooses one.
#include <QDialog>
#include <array>

#include "ui/SmPrintInfo.h"

class CSmColorPopup : public QDialog {
  Q_OBJECT
 public:
  // The colours in cell order: the left column 0-7, the right 8-15 (red in the low byte).
  static const std::array<SmColorRef, 16>& Palette();
  // Their names, in the same order.
  static const char* ColorName(int cell);

  // `current` is -1 for none; the popup opens at (left, top), or above the control of
  // `height` when it would pass the bottom of the screen.
  CSmColorPopup(long long current, int left, int top, int height, QWidget* parent = nullptr);

  // SM_IDOK or SM_IDCANCEL.
  int DoModal();
  bool ColorChosen() const { return m_chosen; }
  SmColorRef Color() const { return m_color; }
  int Highlighted() const { return m_highlight; }

  // The top of a popup of `popupHeight` opened at `top` below a control of `controlHeight`.
  static int PlaceTop(int top, int popupHeight, int controlHeight, int screenBottom);
  // The cell at a point of the colour frame, or -1.
  int CellAt(const QPoint& point) const;
  // Chooses the colour of a cell and ends with OK.
  void ChooseCell(int cell);
  void SetHighlight(int cell);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QRect CellRect(int cell) const;
  void PaintCells(QWidget* frame);

  QWidget* m_frame = nullptr;
  int m_left;
  int m_top;
  int m_controlHeight;
  int m_highlight = -1;
  SmColorRef m_color = 0;
  bool m_chosen = false;
};
