// The format codes of a cell's master text: states, the shortest codes between them, and the
// edits that keep each character's format, over texts holding Chinese characters.
#include <gtest/gtest.h>

#include "designer/RiloDoc.h"
#include "tests/designer/rilo_codes.h"

namespace {

SmRiloTextState RedBold() {
  SmRiloTextState state = RiloDefaultState();
  state.color = 255;
  state.font.weight = 700;
  return state;
}

TEST(RiloCodes, StateAtAppliesTheCodesBeforeThePosition) {
  struct Case {
    const char* text;
    int position;
    int weight;
    int height;
    unsigned color;
  } cases[] = {
      {"~G甘~H蔗", 0, 700, 14, 0},      // the leading codes apply at 0
      {"~G甘~H蔗", 2, 400, 14, 0},      // codes standing at the position apply
      {"~G甘~H蔗", 1, 400, 14, 0},      // inside a character: after it
      {"~P20|甘~P|蔗", 4, 400, 20, 0},  // an empty value changes nothing
      {"~Qab", 3, 400, 14, 0},          // no end byte: "Q" is text
      {"~Qx|甘", 2, 400, 14, 0},        // a colour that is no number
      {"甘~Q255|~Ga", 9, 700, 14, 255},
      // Values past any the program writes read as no number.
      {"~P99999999999|甘", 2, 400, 14, 0},
      {"~P5000|甘", 2, 400, 14, 0},
      {"~Q-99999999999|甘", 2, 400, 14, 0},
  };
  for (const Case& c : cases) {
    const SmRiloTextState state = CRiloDoc::StateAt(Coded(c.text), c.position);
    EXPECT_EQ(state.font.weight, c.weight) << c.text << " at " << c.position;
    EXPECT_EQ(state.font.height, c.height) << c.text << " at " << c.position;
    EXPECT_EQ(state.color, c.color) << c.text << " at " << c.position;
  }
  EXPECT_EQ(CRiloDoc::StripCodes(Coded("~Qab甘~")), "Qab甘");
  EXPECT_EQ(CRiloDoc::StripCodes(Coded("~Qab~O黑体|甘")),
            "甘");  // a value runs to the next end byte

  const SmRiloTextState start = RedBold();
  const SmColor blue = 0xFF0000;
  const SmRiloTextState from = CRiloDoc::StateAt(Coded("~Ha"), 1, &start, &blue);
  EXPECT_EQ(from.font.weight, 400);
  EXPECT_EQ(from.color, blue);
}

TEST(RiloCodes, CodesBetweenIsShortestInAFixedOrder) {
  const SmRiloTextState plain = RiloDefaultState();
  EXPECT_EQ(CRiloDoc::CodesBetween(plain, plain), "");
  EXPECT_EQ(CRiloDoc::CodesBetween(plain, RedBold()), Coded("~Q255|~G"));
  EXPECT_EQ(CRiloDoc::CodesBetween(RedBold(), plain), Coded("~Q0|~H"));

  SmRiloTextState all = RedBold();
  all.font.height = 20;
  all.font.faceName = "黑体";
  all.font.italic = all.font.underline = all.font.strikeOut = true;
  EXPECT_EQ(CRiloDoc::CodesBetween(plain, all), Coded("~Q255|~P20|~O黑体|~A~C~E~G"));
  EXPECT_EQ(CRiloDoc::CodesBetween(all, RiloDefaultState()), Coded("~Q0|~P14|~O宋体|~B~D~F~H"));
}

TEST(RiloCodes, NormalizeCodesDropsRedundantAndTrailingCodes) {
  struct Case {
    const char* text;
    const char* normal;
  } cases[] = {
      {"~G~H甘蔗", "甘蔗"},   {"~Q255|~Q0|甘", "甘"},
      {"a~Gb~Gc", "a~Gbc"},   {"~H~Q255|~G甘", "~Q255|~G甘"},
      {"甘~G~H蔗~G", "甘蔗"},  // codes that format nothing
      {"~G", "~G"},            // an empty cell keeps its format
      {"~Z甘", "Z甘"},         // an unknown letter is text
  };
  for (const Case& c : cases) EXPECT_EQ(CRiloDoc::NormalizeCodes(Coded(c.text)), Coded(c.normal));
}

TEST(RiloCodes, CodeSets) {
  EXPECT_TRUE(CRiloDoc::HasCode(Coded("~A"), 'B'));  // the opposite counts
  EXPECT_TRUE(CRiloDoc::HasCode(Coded("~Q1|"), 'Q'));
  EXPECT_FALSE(CRiloDoc::HasCode(Coded("~G~Q1|"), 'A'));
  EXPECT_FALSE(CRiloDoc::HasCode(Coded("~P1|"), 'Q'));

  EXPECT_EQ(CRiloDoc::DropCodes(Coded("a~Q255|b~Gc~Ad"), Coded("~H")), Coded("a~Q255|bc~Ad"));

  std::string set = Coded("~G");
  CRiloDoc::AddMissingCodes(set, Coded("~G~Q255|~A"));
  EXPECT_EQ(set, Coded("~G~Q255|~A"));

  SmRiloTextState state = RedBold();
  state.font.height = 20;
  state.font.faceName = "黑体";
  EXPECT_EQ(CRiloDoc::UpdateValueCodes(Coded("~G~Q0|~P9|~O|"), state),
            Coded("~G~Q255|~P20|~O黑体|"));
}

TEST(RiloCodes, FormatCellTextKeepsTheFormatAfterTheRange) {
  SmRiloTextState bold = RiloDefaultState();
  bold.font.weight = 700;
  SmRiloTextState normal = RiloDefaultState();
  SmRiloTextState red = RiloDefaultState();
  red.color = 255;
  SmRiloTextState blue = RiloDefaultState();
  blue.color = 0xFF0000;
  struct Case {
    const char* text;
    int start;
    int end;
    SmRiloTextState state;
    const char* codes;
    const char* result;
  } cases[] = {
      {"甘蔗abc", 2, 5, bold, "~G", "甘~G蔗a~Hbc"},
      {"甘蔗abc", 5, 2, bold, "~G", "甘~G蔗a~Hbc"},  // ends in either order
      {"~Q255|甘蔗ab", 0, 2, blue, "~Q0|", "~Q16711680|甘~Q255|蔗ab"},
      // the leading run is rewritten shortest and in order
      {"~G甘蔗", 0, 4, red, "~Q0|", "~Q255|~G甘蔗"},
      // codes of the set inside the range go; others stay
      {"a~Gb~Hc~Ad", 0, 3, normal, "~H", "abc~Ad"},
      {"甘蔗", 1, 3, bold, "~G", "甘~G蔗"},  // never half a character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CRiloDoc::FormatCellText(Coded(c.text), c.start, c.end, c.state, Coded(c.codes)),
              Coded(c.result))
        << c.text << " " << c.start << "-" << c.end;
  }
}

TEST(RiloCodes, CutAndDeleteKeepTheFormatOfWhatFollows) {
  struct Cut {
    const char* text;
    int start;
    int end;
    const char* removed;
    const char* left;
  } cuts[] = {
      {"~Q255|甘~G蔗ab", 2, 4, "蔗", "~Q255|甘~Gab"},
      {"~G甘蔗ab", 0, 2, "甘", "~G蔗ab"},
      {"ab~Gcd", 4, 1, "bcd", "a"},
      {"甘蔗", 1, 3, "蔗", "甘"},  // a start inside a character moves after it
  };
  for (const Cut& c : cuts) {
    std::string text = Coded(c.text);
    EXPECT_EQ(CRiloDoc::CutRange(text, c.start, c.end), c.removed) << c.text;
    EXPECT_EQ(text, Coded(c.left)) << c.text;
  }

  struct Delete {
    const char* text;
    int position;
    int n;
    const char* left;
    int at;
  } deletes[] = {
      {"甘~G蔗a", 2, 1, "甘~Ga", 2},  // one byte asked, the whole character goes
      {"甘~G蔗a", 2, -1, "~G蔗a", 0}, {"甘~G蔗a", 1, 1, "~G蔗a", 0},  // from inside a character
      {"ab~Gc", 2, 1, "ab", 2},  // the bold code formats nothing any more
      {"a甘b", 0, 3, "b", 0},         {"ab", 0, -1, "ab", 0},
  };
  for (const Delete& c : deletes) {
    std::string text = Coded(c.text);
    int position = c.position;
    CRiloDoc::DeleteChars(text, position, c.n);
    EXPECT_EQ(text, Coded(c.left)) << c.text << " " << c.position << " " << c.n;
    EXPECT_EQ(position, c.at) << c.text << " " << c.position << " " << c.n;
  }
}

TEST(RiloCodes, InsertAtCaretTakesTheFormatBeforeTheCaret) {
  struct Case {
    const char* text;
    int position;
    const char* insert;
    const char* result;
    int after;
  } cases[] = {
      {"~G甘蔗", 0, "ab", "~Gab甘蔗", 2},  // behind the leading codes
      {"~G甘~H蔗", 2, "ab", "~G甘ab~H蔗", 4},
      {"甘蔗", 1, "ab", "甘ab蔗", 4},  // never inside a character
      {"甘", 9, "~Hx", "甘~Hx", 3},
  };
  for (const Case& c : cases) {
    std::string text = Coded(c.text);
    int position = c.position;
    CRiloDoc::InsertAtCaret(text, Coded(c.insert), position);
    EXPECT_EQ(text, Coded(c.result)) << c.text;
    EXPECT_EQ(position, c.after) << c.text;
  }
}

TEST(RiloCodes, GapCodesForDistributedAlignment) {
  struct Case {
    const char* text;
    const char* result;
    int gaps;
  } cases[] = {
      {"ab cd", "ab~Icd", 1},     {"ab   cd", "ab~Icd", 1}, {"ab ", "ab", 0},
      {" ab", "ab", 0},           {"甘蔗", "甘~I蔗", 1},    {"ab甘c", "ab~I甘~Ic", 2},
      {"~Gab cd", "~Gab~Icd", 1}, {"a b~Px", "a~Ib~Px", 1},  // a value code without its end byte
                                                             // stops the work
  };
  for (const Case& c : cases) {
    std::string text = Coded(c.text);
    EXPECT_EQ(CRiloDoc::InsertGapCodes(text), c.gaps) << c.text;
    EXPECT_EQ(text, Coded(c.result)) << c.text;
  }
}

}  // namespace
