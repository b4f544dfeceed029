#pragma once
// Modeless progress window (template 801) with a percentage bar.
#include <QDialog>

class QLabel;

class CSmProgressDlg : public QDialog {
  Q_OBJECT
 public:
  CSmProgressDlg();

  // Creates the window with the parent; a step count below 1 counts as 1.
  bool Create(int steps, QWidget* parent = nullptr);
  // Position 1, shown.
  void Show();
  // Draws the bar, then advances the position by one, never beyond the step count.
  void Step();
  void Hide() { hide(); }

  int Steps() const { return m_steps; }
  int Position() const { return m_pos; }
  int Percent() const { return m_pos * 100 / m_steps; }

 protected:
  virtual void DrawBar(QPainter& painter);
  void paintEvent(QPaintEvent* event) override;

 private:
  int m_steps = 100;
  int m_pos = 1;
  QColor m_barColor{0, 0, 128};
  QLabel* m_area;
};
