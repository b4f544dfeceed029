#pragma once
// Edits a font with its text colour and can leave any attribute as it is, for a selection whose
// items have different fonts. It receives a font, a colour and the format codes of the
// attributes that are mixed, and gives back the font, the colour and the codes of the
// attributes that were set.
//
// Format codes are byte 27 (ESC) and a letter: "G"/"H" bold on and off, "A"/"B" italic,
// "C"/"D" underline, "E"/"F" strike-out, "O" face, "P" size and "Q" colour; inside texts the
// last three carry a value ended by byte 28.
#include <array>
#include <string>

#include "core/SmUtil.h"
#include "ui/SmDlg.h"
#include "ui/SmPrintInfo.h"

class QComboBox;
class QCheckBox;
class QTabBar;
class QWidget;

inline constexpr char kSmFormatEsc = 27;
inline constexpr char kSmFormatValueEnd = 28;

// Whether a text of format codes holds ESC `letter`; the values of "O", "P" and "Q" are
// skipped, so a letter inside a face name is no code.
bool SmHasFormatCode(const std::string& codes, char letter);

class CSmFontDlg : public CSmDlg {
  Q_OBJECT
 public:
  enum Style { kBold, kItalic, kUnderline, kStrikeOut };
  enum Choice { kApply, kRemove, kKeep };
  // Control ids (object names of the controls); the three choice boxes follow in Choice order.
  enum ControlId : int {
    kFace = 1000,
    kSize = 1001,
    kApplyCheck = 1007,
    kRemoveCheck = 1008,
    kKeepCheck = 1009,
    kStyleTabs = 1010,
    kPreview = 1016,
    kColorButton = 1032,
    kSwatch = 1033,
  };

  CSmFontDlg(const SmLogFont& font, SmColorRef color, const std::string& mixedCodes,
             QWidget* parent = nullptr);

  // The font, the colour and the codes of what was set.
  void GetLogFont(SmLogFont& font, SmColorRef& color, std::string& codes) const;

  Choice StyleChoice(Style style) const { return m_choice[style]; }
  // The swatch: the colour, or white with "保持原状" while the colour is kept.
  bool ColorKept() const { return !m_colorNotKept; }
  SmColorRef SwatchColor() const { return m_colorNotKept ? m_color : 0xFFFFFF; }
  QString SwatchText() const { return m_colorNotKept ? QString() : QStringLiteral("保持原状"); }
  // What the colour popup ended with (OK or not, a colour chosen, the colour).
  void TakePopupResult(bool ok, bool chosen, SmColorRef color);

 protected:
  void OnInitDialog() override;
  bool OnCommand(unsigned id) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetChoice(Choice choice);
  void RefreshChecks();
  void OpenColorPopup();
  QFont PreviewFont() const;
  void PaintSwatch(QWidget* swatch);
  void PaintPreview(QWidget* preview);

  SmLogFont m_font;
  SmColorRef m_inColor;
  SmColorRef m_color;
  std::string m_codes;
  std::array<Choice, 4> m_choice{};
  bool m_faceChosen = false;
  bool m_sizeChosen = false;
  bool m_colorChanged = false;
  bool m_colorNotKept = true;

  QComboBox* m_face = nullptr;
  QComboBox* m_size = nullptr;
  QTabBar* m_tabs = nullptr;
  std::array<QCheckBox*, 3> m_checks{};
  QWidget* m_swatch = nullptr;
  QWidget* m_preview = nullptr;
};
