#pragma once
// The table lines dialog: style and colour of the four outer edges and of the inner lines of
// the selected rectangle, and the background of its cells, each of which can stay as it is.
#include <array>

#include "designer/RiloDoc.h"
#include "ui/SmDlg.h"

class QRadioButton;

class CRiloLineDlg : public CSmDlg {
  Q_OBJECT
 public:
  static constexpr int kKeep = 4;  // the style choice "保持原状"

  // Control ids (object names of the side and style buttons).
  enum ControlId : int {
    kNoLine = 1002,
    kThinLine = 1003,
    kThickLine = 1004,
    kDashedLine = 1005,
    kInnerLines = 1020,
    kTopSide = 1021,
    kBottomSide = 1022,
    kLeftSide = 1023,
    kRightSide = 1024,
    kKeepStyle = 1025,
  };

  explicit CRiloLineDlg(const SmRiloLineSettings& read, QWidget* parent = nullptr);

  // After OK: the settings to apply.
  SmRiloLineSettings m_result;

  int Side() const { return m_side; }
  int StyleChoice(int side) const { return m_choice[static_cast<size_t>(side)]; }
  // What the colour popup of the side's line colour (or of the background) ended with.
  void TakePopupResult(bool background, bool chosen, SmColor color);

 protected:
  bool ValidateAndSave() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowSide(int side);
  void ChooseStyle(int choice);
  void OpenColorPopup(bool background);
  void PaintSwatch(QWidget* swatch, bool apply, SmColor color);
  void PaintPreview(QWidget* preview);

  std::array<int, 5> m_choice{};
  std::array<SmColor, 5> m_color{};
  std::array<bool, 5> m_colorApply{};
  SmColor m_back = 0;
  bool m_backApply = false;
  int m_side = 0;
  std::array<QRadioButton*, 5> m_styles{};
  QWidget* m_lineSwatch = nullptr;
  QWidget* m_backSwatch = nullptr;
  QWidget* m_preview = nullptr;
};
