#pragma once
// Page setup of a form's print settings: page size, line spacing, header and footer lengths and
// side margins in millimetres with one decimal, orientation, the colours of table and frame
// lines, and the font and colour of the four text regions listed in a small list.
#include <array>
#include <functional>
#include <string>

#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"
#include "ui/SmPrintInfo.h"

class QRadioButton;
class QWidget;

// The regions' fonts: one row each for title, page header, body and page footer; opening a row
// edits that region's font.
class CSmFontList : public CSmListCtrl {
  Q_OBJECT
 public:
  explicit CSmFontList(QWidget* parent = nullptr);
  void ShowFonts(const CSmPrintInfo& info);
  bool IsCommandAvailable(unsigned id) override;
  void Open() override;

  std::function<void()> onOpen;
};

// The name of a colour of the 16-colour palette, else "自定义色".
std::string SmColorName(SmColorRef color);
// "常规", "粗体", "斜体" or "粗斜".
std::string SmFontStyleName(const SmLogFont& font);

class CSmPageSetupDlg : public CSmDlg {
  Q_OBJECT
 public:
  enum Value { kWidth, kLength, kSpacing, kHeader, kFooter, kLeft, kRight };
  // Control ids (object names of the controls); each value has an edit and a spin button.
  enum ControlId : int {
    kFooterSpin = 1000,
    kTableSwatch = 1001,
    kFontList = 1005,
    kPortrait = 1008,
    kLandscape = 1009,
    kTableLineButton = 1010,
    kFrameLineButton = 1011,
    kWidthEdit = 1017,
    kLengthEdit = 1018,
    kHeaderEdit = 1019,
    kFooterEdit = 1020,
    kLeftEdit = 1021,
    kRightEdit = 1022,
    kWidthSpin = 1026,
    kLengthSpin = 1027,
    kHeaderSpin = 1028,
    kLeftSpin = 1030,
    kRightSpin = 1031,
    kSpacingEdit = 1038,
    kSpacingSpin = 1040,
    kDefaultsButton = 1041,
    kFrameSwatch = 1130,
    kPapersButton = 1179,
  };

  CSmPageSetupDlg(CSmPrintInfo* info, int key, QWidget* parent = nullptr);

  // A value's text: only digits and '.', not empty; false otherwise (the value then 0).
  static bool ReadValue(const QString& text, double& value);
  // One step of 0.1 by the value's spin button; false (a beep) when the limits refuse it.
  bool Step(Value value, bool up);
  CSmFontList* FontList() const { return m_fonts; }
  // A region's font dialog answered.
  void TakeFont(int region, const SmLogFont& font, SmColorRef color);

  bool OnCommand(unsigned id) override;

 protected:
  bool ValidateAndSave() override;

 private:
  void ShowValues();
  void ReadValues();
  bool Refuse(const char* text, Value value);
  void OpenRegion();
  void ChooseLineColor(bool frame);
  void SetBusy(bool busy);
  bool eventFilter(QObject* watched, QEvent* event) override;

  CSmPrintInfo* m_info;
  int m_key;
  std::array<double, 7> m_values{};
  std::array<bool, 7> m_valid{};
  CSmFontList* m_fonts = nullptr;
  QRadioButton* m_portrait = nullptr;
  QRadioButton* m_landscape = nullptr;
  QWidget* m_tableSwatch = nullptr;
  QWidget* m_frameSwatch = nullptr;
};
