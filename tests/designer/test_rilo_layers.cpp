// Cell layers: what each layer reads and shows, the rules for writing master and child texts,
// whole-sheet copies, and the number formats and sums of the selection.
#include <gtest/gtest.h>

#include "designer/RiloDoc.h"
#include "tests/designer/rilo_codes.h"

namespace {

// A document whose sheet holds the texts, `cols` to a row.
void Fill(CRiloDoc& doc, int cols, const std::vector<std::string>& texts) {
  doc.m_sheet.m_cols = cols;
  doc.m_sheet.m_rows = static_cast<int>(texts.size()) / cols;
  doc.m_sheet.m_texts = texts;
  doc.m_sheet.m_numberFormats.assign(texts.size(), {2, 2});
}

TEST(RiloLayers, ReadingLayers) {
  EXPECT_EQ(CRiloDoc::GetLayerPlain("abc", 1), "");
  EXPECT_EQ(CRiloDoc::GetLayerPlain("abc", 0), "abc");
  EXPECT_EQ(CRiloDoc::GetCellLayer("abc", 1, true), "abc");  // no formula: the master text
  EXPECT_EQ(CRiloDoc::GetCellLayer("abc", 1, false), "abc");

  const std::string cell = Coded("~G~Q255|甘蔗\x01sum(A1:A2)\x01\x01");
  EXPECT_EQ(CRiloDoc::GetCellLayer(cell, 1, true), Coded("~G~Q255|sum(A1:A2)"));
  EXPECT_EQ(CRiloDoc::GetCellLayer(cell, 1, false), "sum(A1:A2)");
  EXPECT_EQ(CRiloDoc::GetCellLayer(cell, 2, true), Coded("~G~Q255|甘蔗"));
  EXPECT_EQ(CRiloDoc::GetCellLayer(cell, 0, false), "甘蔗");
  EXPECT_EQ(CRiloDoc::GetLayerPlain(cell, 0), "甘蔗");
  EXPECT_EQ(CRiloDoc::GetLayerPlain(cell, 3), "");
  EXPECT_EQ(CRiloDoc::PrefixCodes(Coded("~G甘~H"), "x"), Coded("~Gx"));

  CRiloDoc doc;
  Fill(doc, 1, {cell});
  EXPECT_EQ(doc.GetLayerText(0, 0, 0), Coded("~G~Q255|甘蔗"));
  EXPECT_EQ(doc.GetLayerText(0, 0, 2), Coded("~G~Q255|"));
  EXPECT_EQ(doc.GetLayerText(1, 0, 0), "");  // outside the sheet
}

TEST(RiloLayers, WritingLayers) {
  struct Case {
    const char* cell;
    const char* text;
    int k;
    const char* result;
  } cases[] = {
      {"abc", "x", 2, "abc\x01\x01x"},
      {",", "5", 3,
       ",\x01\x01\x01"
       "5"},  // a master of commas only takes a child text
      {"x", "5", 3, "x\x01\x01\x01"},
      {"a\x01p\x01g\x01v", "b", 0, "b\x01p\x01g"},  // master text drops the child text
      {",\x01p\x01g\x01v", "b", 0, "b\x01p\x01g\x01v"},
      {"~G, \x01p\x01g\x01v", "b", 0, "b\x01p\x01g"},  // a blank is master content
      {"a\x01p\x01g\x01v", "h", 2, "a\x01p\x01h\x01v"},
      {"~Ga\x01p", "~Hsum()", 1, "~Ga\x01sum()"},  // only the master keeps codes
      {"a\x01p", "~Gb", 0, "~Gb\x01p"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CRiloDoc::SetCellLayer(Coded(c.cell), Coded(c.text), c.k), Coded(c.result))
        << c.cell << " " << c.k;
  }

  CRiloDoc doc;
  Fill(doc, 2, {"a", ""});
  doc.m_editMode = 3;
  doc.SetLayerText(0, 0, "9");
  doc.SetLayerText(1, 0, "9");
  doc.SetLayerText(2, 0, "9");
  EXPECT_EQ(doc.m_sheet.m_texts, (std::vector<std::string>{"a\x01\x01\x01",
                                                           "\x01\x01\x01"
                                                           "9"}));
}

TEST(RiloLayers, DisplayTextWithTheNumberFormat) {
  CRiloDoc doc;
  Fill(doc, 3, {"3.014", "abc", Coded("~G-1234.5"), "3.014", "-", "0"});
  doc.m_sheet.m_numberFormats[3] = {-1, 2};  // a text cell
  struct Case {
    int column;
    int row;
    bool codes;
    const char* shown;
  } cases[] = {
      {0, 0, true, "3.01"},      {1, 0, true, "abc"},   {2, 0, true, "~G-1234.50"},
      {2, 0, false, "-1234.50"}, {0, 1, true, "3.014"}, {1, 1, true, "-"},
      {2, 1, true, ""},  // zero is shown blank
  };
  for (const Case& c : cases) {
    EXPECT_EQ(doc.GetDisplayText(c.column, c.row, c.codes, true), Coded(c.shown))
        << c.column << "," << c.row;
  }
  EXPECT_EQ(doc.GetDisplayText(0, 0, true, false), "3.014");

  doc.m_sheet.m_texts[0] += "\x01sum(A1)";
  doc.m_editMode = 1;
  EXPECT_EQ(doc.GetDisplayText(0, 0, true, true), "sum(A1)");
  EXPECT_EQ(doc.GetDisplayText(1, 0, true, true), "abc");  // no formula: the master text
}

TEST(RiloLayers, WholeSheetCopies) {
  CRiloDoc doc;
  Fill(doc, 2, {Coded("~G甘"), "x\x01sum()", ",", "\x01\x01\x01v"});
  std::vector<std::string> texts;
  doc.GetAllCellTexts(texts, 0);
  EXPECT_EQ(texts, (std::vector<std::string>{"甘", "x", ",", ""}));
  doc.GetAllCellTexts(texts, 3);
  EXPECT_EQ(texts, (std::vector<std::string>{"", "", "", "v"}));

  const std::vector<std::string> before = doc.m_sheet.m_texts;
  doc.ApplyCellTexts({"1", "2", "3"}, 0);  // one short
  EXPECT_EQ(doc.m_sheet.m_texts, before);

  doc.ApplyCellTexts({"蔗", "y", "z", "w"}, 0);
  EXPECT_EQ(doc.m_sheet.m_texts,
            (std::vector<std::string>{Coded("~G蔗"), "y\x01sum()", "z", "w\x01\x01\x01v"}));
  doc.ApplyCellTexts({"1", "2", "3", "4"}, 3);
  EXPECT_EQ(doc.m_sheet.m_texts[0], Coded("~G蔗\x01\x01\x01"));  // under master content
  EXPECT_EQ(doc.m_sheet.m_texts[3], "w\x01\x01\x01");
}

TEST(RiloLayers, SelectionSumsAndNumberFormats) {
  CRiloDoc doc;
  Fill(doc, 2, {"1.5", "abc", "", " 2 ", "-", "3"});
  doc.m_sheet.m_selectMode = 2;
  doc.m_sheet.m_areas = {{1, 2, 0, 0}};  // corners in any order
  doc.m_sheet.m_selectRect = {1, 2, 1, 2};
  EXPECT_EQ(doc.SelectionSumText(), "1.5+2+3+3");  // the dragged area adds its cell again
  doc.m_sheet.m_selectMode = 0;
  EXPECT_EQ(doc.SelectionSumText(), "");

  // Number formats: the current cell alone outside area selection.
  doc.m_sheet.m_currentCell = {1, 0};
  EXPECT_EQ(doc.SetSelectionNumFormat(0, 4, 1), "1 0 2 2\n");
  EXPECT_EQ(doc.SetSelectionNumFormat(0, 4, 0), "");
  SmIntPair format;
  bool uniform = false;
  doc.GetSelectionNumFormat(format, uniform);
  EXPECT_EQ(format, (SmIntPair{0, 4}));
  EXPECT_TRUE(uniform);

  doc.m_sheet.m_selectMode = 2;
  doc.m_sheet.m_areas = {{0, 0, 1, 1}};
  doc.m_sheet.m_selectRect = {0, 0, 0, 0};
  doc.GetSelectionNumFormat(format, uniform);
  EXPECT_FALSE(uniform);
  const std::vector<SmIntPair> original = doc.m_sheet.m_numberFormats;
  const std::string undo = doc.SetSelectionNumFormat(-1, 0, 1);
  EXPECT_EQ(undo, "0 0 2 2\n1 0 0 4\n0 1 2 2\n1 1 2 2\n");
  const std::string redo = doc.ApplyNumFormatText(undo);
  EXPECT_EQ(doc.m_sheet.m_numberFormats, original);
  doc.ApplyNumFormatText(redo);
  EXPECT_EQ(doc.m_sheet.m_numberFormats[3], (SmIntPair{-1, 0}));

  // A missing pair reads as 2 and 2; lines outside the sheet are skipped.
  EXPECT_EQ(doc.ApplyNumFormatText("1 1\n9 9 0 0\n"), "1 1 -1 0\n");
  EXPECT_EQ(doc.m_sheet.m_numberFormats[3], (SmIntPair{2, 2}));

  // Cells beyond the format array grow it.
  doc.m_sheet.m_numberFormats.resize(2);
  doc.m_sheet.m_selectRect = {0, 2, 0, 2};
  doc.m_sheet.m_areas.clear();
  EXPECT_EQ(doc.SetSelectionNumFormat(1, 3, 1), "0 2 2 2\n");
  EXPECT_EQ(doc.m_sheet.m_numberFormats.size(), 5u);
  EXPECT_EQ(doc.m_sheet.m_numberFormats[4], (SmIntPair{1, 3}));
}

}  // namespace
