#pragma once
// Up and down arrows beside a buddy edit field: they step the number in the field within a
// range, as do the arrow keys in the field. The field keeps whatever is typed into it; callers
// read the text back and check it against the range themselves.
#include <QWidget>

class QLineEdit;

class CSmSpinCtrl : public QWidget {
  Q_OBJECT
 public:
  CSmSpinCtrl(QLineEdit* buddy, QWidget* parent);

  void SetRange(int lower, int upper);
  int Lower() const { return m_lower; }
  int Upper() const { return m_upper; }
  bool InRange(int value) const { return value >= m_lower && value <= m_upper; }
  // Writes the value, brought into the range, into the buddy.
  void SetPos(int value);
  // The buddy's number, or `fallback` when it holds none.
  int Value(int fallback) const;
  QLineEdit* Buddy() const { return m_buddy; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Step(int delta);

  QLineEdit* m_buddy;
  int m_lower = 0;
  int m_upper = 100;
};
