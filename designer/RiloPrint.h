#pragma once
// Printing a report sheet across and down pages. The body (the columns and rows between the
// fixed title columns and rows) is cut into pages that fit the paper less its margins at the
// print scale; every page repeats the titles. Under the column-by-column (row-by-row) print
// order each body column (row) is printed as a strip of its own between its own titles, and
// the manual breaks of that direction are ignored. Lengths are tenths of a millimetre.
#include "designer/RiloData.h"

class CRiloView;

// The body columns and rows [c0, c1) x [r0, r1).
struct SmRiloPageRange {
  int c0 = 0;
  int r0 = 0;
  int c1 = 0;
  int r1 = 0;
  bool operator==(const SmRiloPageRange&) const = default;
};

// The sheet's page settings with the document's print order.
class CRiloPager {
 public:
  CRiloPager(const CRiloData& sheet, bool byRow, bool byColumn)
      : m_sheet(sheet), m_byRow(byRow), m_byColumn(byColumn) {}

  int WidthSum(int c0, int c1) const;
  int HeightSum(int r0, int r1) const;
  // The body; false when it is empty.
  bool BodyRange(SmRiloPageRange& body) const;
  // The space left for the body on the paper as oriented at scale `scale`; false when none.
  bool AvailableSpace(int scale, int& width, int& height) const;
  // Pages across and down at the scale; both 0 when nothing can be printed.
  void PageCounts(int scale, int& across, int& down) const;
  // The body columns and rows of page (across, down); empty when nothing can be printed.
  SmRiloPageRange PageRange(int scale, int across, int down) const;
  // The paper's width and height as printed (exchanged for landscape).
  SmIntPair OrientedPaper() const;

  bool IsColumnBreak(int column) const;
  bool IsRowBreak(int row) const;

 private:
  // The body range [first, end) cut into pages; the starts of the pages in order, and `end`.
  std::vector<int> Cuts(bool rows, int available) const;

  const CRiloData& m_sheet;
  bool m_byRow;
  bool m_byColumn;
};

// Prints the view's report: 57607 with the print dialog, 57609 into the preview (the format
// bar hidden until it closes). True when the pages went out.
bool RiloPrintReport(CRiloView* view, int commandId);
