#pragma once
// The report's page setup: paper, margins, the fixed title rows and columns, manual row and
// column breaks, print scale, orientation and page order. Lengths are kept in tenths of a
// millimetre and shown in millimetres or centimetres; every value is checked before OK.
#include <array>
#include <vector>

#include "designer/RiloArchive.h"
#include "ui/SmDlg.h"

class CRiloData;
class CRiloView;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

// The page settings as the dialog shows them: the paper's width is the width across the
// printed page (exchanged for landscape).
struct SmRiloPageSettings {
  SmIntRect margins;
  SmIntRect titles;  // fixed columns left, rows top, columns right, rows bottom
  SmIntPair paper;
  std::vector<int> colBreaks;
  std::vector<int> rowBreaks;
  int scale = 100;
  bool acrossFirst = false;
  bool landscape = false;
};

SmRiloPageSettings RiloPageSettings(const CRiloData& sheet);
// Writes the settings back; the sheet always keeps the portrait width and height.
void RiloApplyPageSettings(const SmRiloPageSettings& settings, CRiloData& sheet);
// Command 57605 on the view's report: the dialog, and on OK the settings written back and the
// report counted as changed.
bool RiloPageSetup(CRiloView* view);

class CRiloPageSetupDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls); the spin arrows of a length have ids of
  // their own.
  enum ControlId : int {
    kPaperWidth = 1005,
    kPaperWidthSpin = 1006,
    kPaperLength = 1007,
    kTopMargin = 1008,
    kBottomMargin = 1009,
    kLeftMargin = 1010,
    kRightMargin = 1011,
    kTopMarginSpin = 1012,
    kBottomMarginSpin = 1013,
    kLeftMarginSpin = 1014,
    kRightMarginSpin = 1015,
    kPaperLengthSpin = 1016,
    kTopTitle = 1017,
    kBottomTitle = 1018,
    kLeftTitle = 1019,
    kRightTitle = 1020,
    kTopTitleSpin = 1021,
    kBottomTitleSpin = 1022,
    kLeftTitleSpin = 1023,
    kRightTitleSpin = 1024,
    kRowFirst = 1025,
    kAcrossFirst = 1026,
    kRowBreaks = 1032,
    kColumnBreaks = 1033,
    kCentimetres = 1035,
    kMillimetres = 1036,
    kPortrait = 1037,
    kLandscape = 1038,
    kPicture = 1043,
    kPreview = 1044,
    kWidthLine = 1048,
    kLengthLine = 1049,
    kOrientationGroup = 1059,
    kOrderGroup = 1060,
    kScale = 1190,
  };

  CRiloPageSetupDlg(const SmRiloPageSettings& settings, const std::vector<int>& rowHeights,
                    const std::vector<int>& colWidths, QWidget* parent = nullptr);

  // After OK.
  SmRiloPageSettings m_settings;

  // One click on spin `id` (1006, 1016, 1012 to 1015, 1021 to 1024); false (a beep) at a limit.
  bool Step(int id, bool up);
  void SetUnit(bool millimetres);
  QString WidthLine() const;
  QString LengthLine() const;

 protected:
  bool ValidateAndSave() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum Length { kWidth, kLength, kTop, kBottom, kLeft, kRight };
  enum Title { kFixedTop, kFixedBottom, kFixedLeft, kFixedRight };
  QLineEdit* LengthEdit(int length) const { return m_lengths[static_cast<size_t>(length)]; }
  QLineEdit* TitleEdit(int title) const { return m_titleEdits[static_cast<size_t>(title)]; }
  // The lengths from their fields in tenths; with `confirming` also the titles, breaks and scale.
  void ReadControls(bool confirming);
  void ShowLength(int length, int tenths);
  void UpdateLines();
  // An edited length: the picture and lines renewed while the paper still holds its margins.
  void OnLengthEdited(int length);
  void OnOrderChosen(bool acrossFirst);
  bool Refuse(const char* text, QWidget* focus);
  int Tenths(int length) const;
  // An edit with its label and spin at (row, column) of the grid.
  QLineEdit* AddField(QWidget* group, QGridLayout* grid, const char* label, int editId, int spinId,
                      int row, int column);
  // The length fields from `first` to `last` in a group of their own.
  QWidget* BuildLengthGroup(const QString& caption, int first, int last);
  void BuildUnitButtons(QWidget* paperGroup);
  QWidget* BuildTitleGroup();
  QWidget* BuildBreakLists();

  int m_rows;
  int m_cols;
  int m_heightSum = 0;
  int m_widthSum = 0;
  bool m_millimetres = true;
  std::array<QLineEdit*, 6> m_lengths{};
  std::array<QLineEdit*, 4> m_titleEdits{};
  QRadioButton* m_mm = nullptr;
  QRadioButton* m_cm = nullptr;
  QRadioButton* m_portrait = nullptr;
  QRadioButton* m_landscape = nullptr;
  QRadioButton* m_rowFirst = nullptr;
  QRadioButton* m_acrossFirst = nullptr;
  QListWidget* m_rowList = nullptr;
  QListWidget* m_colList = nullptr;
  QComboBox* m_scale = nullptr;
  QLabel* m_widthLine = nullptr;
  QLabel* m_lengthLine = nullptr;
  QWidget* m_picture = nullptr;
  QWidget* m_orderPicture = nullptr;
};
