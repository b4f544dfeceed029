#pragma once
// The flat icon button of pane captions: drawn flat, raised while the pointer is over it, sunk
// while pressed. At most one flat button of the program is drawn raised at a time.
#include <QIcon>
#include <QToolButton>

class CSmButton : public QToolButton {
  Q_OBJECT
 public:
  explicit CSmButton(QWidget* parent = nullptr);
  ~CSmButton() override;

  void SetIcon(const QIcon& icon, int width, int height);
  void SetFlat(bool flat) { m_flat = flat; }
  bool IsFlat() const { return m_flat; }
  bool IsPressed() const { return m_pressed; }
  // The button drawn raised now, or null.
  static CSmButton* HotButton();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void SetHot(bool hot);

  bool m_pressed = false;
  bool m_flat = true;
  QIcon m_icon;
  QSize m_iconSize;
};
