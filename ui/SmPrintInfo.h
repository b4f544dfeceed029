#pragma once
// The print settings of one printable table or form mode: page size and margins, page range
// choices, orientation, row spacing, six colours, four fonts and the column widths. Kept per
// document kind (`nFlag`) and mode (`sFieldMode`, at most 20 bytes) in SMPAGESET, SMFONT and
// FIELDWIDTH of every data file. Lengths are in 0.1 mm; colours keep red in the low byte.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/SmUtil.h"

class CSmDatabase;

using SmColorRef = std::uint32_t;

class CSmPrintInfo {
 public:
  CSmPrintInfo() { Reset(); }
  virtual ~CSmPrintInfo() = default;
  CSmPrintInfo(const CSmPrintInfo&) = default;
  CSmPrintInfo& operator=(const CSmPrintInfo&) = default;

  // Equal when the numbers, the widths and the fonts are; the mode text is not compared.
  bool operator==(const CSmPrintInfo& other) const;
  bool operator!=(const CSmPrintInfo& other) const { return !(*this == other); }

  // The defaults: A4 portrait, margins of 20 mm, the four standard fonts.
  void Reset();
  // The defaults, then what the modules set for the key.
  void LoadDefault(int nFlag, const std::string& sFieldMode);
  // The stored settings of the key: the page row (or the defaults), the fonts stored, the
  // widths.
  void Load(CSmDatabase* db, int nFlag, const std::string& sFieldMode);
  // Replaces the stored settings of the key in one transaction; false (nothing changed) when
  // a statement fails.
  bool Save(CSmDatabase* db, int nFlag, const std::string& sFieldMode) const;

  // The tables, each only when missing.
  static void CreateSmFontTable(CSmDatabase* db);
  static void CreateSmPageSetTable(CSmDatabase* db);

  int AllPage;
  int SelectPage;
  int MaxPage;
  int FromPage;
  int ToPage;
  int PageRow;  // row spacing
  int PageWidth;
  int PageLength;
  int PageLeft;
  int PageTop;
  int PageRight;
  int PageBottom;
  int PageCopies;  // orientation: 1 portrait, 0 landscape (width and length exchanged)
  SmColorRef TopicColor;
  SmColorRef HeadColor;
  SmColorRef TextColor;
  SmColorRef TailColor;
  SmColorRef OutBox;    // frame lines
  SmColorRef FormLine;  // grid lines
  // Topic, head, text and tail (nOrd 0-3).
  std::array<SmLogFont, 4> m_fonts;
  std::string m_mode;
  std::vector<int> m_widths;

 private:
  // The 19 numbers in column order.
  std::array<int, 19> Numbers() const;
  void SetNumbers(const std::array<int, 19>& values);
};
