#pragma once
// Row heights and column widths of a range of rows and columns, in millimetres with one
// decimal; either part can stay as it is.
#include <array>
#include <vector>

#include "designer/RiloArchive.h"
#include "ui/SmDlg.h"

class QCheckBox;
class QLineEdit;

struct SmRiloSizeRequest {
  SmIntRect rect;  // start column, start row, end column, end row
  int width = 0;   // tenths of a millimetre
  int height = 0;
  bool widthUniform = true;
  bool heightUniform = true;
  std::vector<int> widths;  // every column's and row's size, for the totals
  std::vector<int> heights;
};

class CRiloSizeDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls); the spin arrows of a field have ids of their own.
  enum ControlId : int {
    kFirstRow = 1004,
    kLastRow = 1007,
    kRowHeight = 1009,
    kKeepHeights = 1015,
    kKeepWidths = 1016,
    kFirstColumn = 1024,
    kLastColumn = 1027,
    kColumnWidth = 1032,
  };

  explicit CRiloSizeDlg(const SmRiloSizeRequest& request, QWidget* parent = nullptr);

  // After OK.
  SmIntRect m_rect;
  int m_width = 0;
  int m_height = 0;
  bool m_applyWidths = false;
  bool m_applyHeights = false;

  // The field's value one step up or down; false (a beep) at its limit.
  bool Step(int field, bool up);

 protected:
  bool ValidateAndSave() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum Field { kStartRow, kEndRow, kHeight, kStartCol, kEndCol, kWidth };
  QLineEdit* Edit(int field) const { return m_edits[static_cast<size_t>(field)]; }
  // Ticked: the three fields of the part are emptied and disabled; cleared: refilled.
  void KeepPart(bool columns, bool keep);
  void FillPart(bool columns);
  bool InRange(int field) const;
  bool Refuse(const char* text, int field);

  SmRiloSizeRequest m_request;
  int m_rows = 0;
  int m_cols = 0;
  std::array<QLineEdit*, 6> m_edits{};
  std::array<QWidget*, 6> m_spins{};
  QCheckBox* m_keepHeights = nullptr;
  QCheckBox* m_keepWidths = nullptr;
};
