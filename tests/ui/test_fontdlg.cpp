// The font dialog's starting choices and result codes, and the colour popup.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

#include "ui/SmColorPopup.h"
#include "ui/SmFontDlg.h"

namespace {

const std::string kEsc(1, kSmFormatEsc);

SmLogFont Font(const char* face, int height, int weight) {
  SmLogFont font;
  CSmUtil().InitDefaultLogFont(font);
  font.faceName = face;
  font.height = height;
  font.weight = weight;
  return font;
}

bool Has(const std::string& codes, char letter) {
  return SmHasFormatCode(codes, letter);
}

void Choose(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

}  // namespace

TEST(FormatCodes, LettersInsideValuesAreNoCodes) {
  struct Case {
    std::string codes;
    char letter;
    bool has;
  };
  const Case cases[] = {
      {kEsc + "H", 'H', true},
      {kEsc + "H", 'G', false},
      {"H", 'H', false},
      {kEsc + "OGothic\x1c" + kEsc + "B", 'G', false},
      {kEsc + "OGothic\x1c" + kEsc + "B", 'B', true},
      {kEsc + "P12\x1c", 'P', true},
      {kEsc + "Q255", 'G', false},  // a value without its end
  };
  for (const Case& c : cases) EXPECT_EQ(Has(c.codes, c.letter), c.has) << c.codes;
}

TEST(FontDlg, MixedBoldIsKeptAndGivesNoBoldCode) {
  CSmFontDlg dlg(Font("宋体", 14, 700), 0x000000, kEsc + "H", nullptr);
  EXPECT_EQ(dlg.StyleChoice(CSmFontDlg::kBold), CSmFontDlg::kKeep);
  EXPECT_EQ(dlg.StyleChoice(CSmFontDlg::kItalic), CSmFontDlg::kRemove);
  SmLogFont font;
  SmColorRef color = 1;
  std::string codes;
  dlg.GetLogFont(font, color, codes);
  EXPECT_FALSE(Has(codes, 'G'));
  EXPECT_FALSE(Has(codes, 'H'));
  EXPECT_EQ(codes, kEsc + "B" + kEsc + "D" + kEsc + "F");
  EXPECT_EQ(font.weight, 700);  // left as it came
  EXPECT_EQ(color, 0u);
}

TEST(FontDlg, KeepingTheColourShowsAWhiteSwatchAndGivesNoColourCode) {
  CSmFontDlg dlg(Font("宋体", 14, 400), 0x0000FF, "", nullptr);
  EXPECT_FALSE(dlg.ColorKept());
  EXPECT_EQ(dlg.SwatchColor(), 0x0000FFu);
  // The size chosen, then "保持原状" in the popup.
  Choose(dlg.findChild<QComboBox*>(QString::number(CSmFontDlg::kSize)), "16");
  dlg.TakePopupResult(true, false, 0);
  EXPECT_TRUE(dlg.ColorKept());
  EXPECT_EQ(dlg.SwatchColor(), 0xFFFFFFu);
  EXPECT_EQ(dlg.SwatchText().toStdString(), "保持原状");
  SmLogFont font;
  SmColorRef color = 0;
  std::string codes;
  dlg.GetLogFont(font, color, codes);
  EXPECT_FALSE(Has(codes, 'Q'));
  EXPECT_TRUE(Has(codes, 'P'));
  EXPECT_EQ(font.height, 16);
  // Cancelling the popup changes nothing.
  dlg.TakePopupResult(false, true, 0x00FF00);
  EXPECT_TRUE(dlg.ColorKept());
}

TEST(FontDlg, BoldRedAndAFaceReadBackAsTheirCodes) {
  CSmFontDlg dlg(Font("宋体", -14, 700), 0x000000, "", nullptr);
  auto* face = dlg.findChild<QComboBox*>(QString::number(CSmFontDlg::kFace));
  EXPECT_EQ(face->currentText().toStdString(), "宋体");  // kept though it may not be installed
  Choose(face, "Noto Sans CJK SC");
  dlg.TakePopupResult(true, true, 0x0000FF);
  SmLogFont font;
  SmColorRef color = 0;
  std::string codes;
  dlg.GetLogFont(font, color, codes);
  EXPECT_EQ(codes, kEsc + "O" + kEsc + "Q" + kEsc + "G" + kEsc + "B" + kEsc + "D" + kEsc + "F");
  EXPECT_EQ(font.faceName, "Noto Sans CJK SC");
  EXPECT_EQ(font.weight, 700);
  EXPECT_EQ(font.height, -14);  // no size chosen
  EXPECT_EQ(color, 0x0000FFu);
}

TEST(ColorPopup, OpensAboveTheSwatchNearTheScreenBottom) {
  EXPECT_EQ(CSmColorPopup::PlaceTop(100, 200, 24, 768), 100);
  EXPECT_EQ(CSmColorPopup::PlaceTop(700, 200, 24, 768), 700 - 200 - 30);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  CSmColorPopup popup(-1, 10, screen.bottom() - 5, 24, nullptr);
  popup.show();
  EXPECT_LT(popup.geometry().bottom(), screen.bottom() - 5 - 24);
  popup.hide();
}

TEST(ColorPopup, HighlightsTheCurrentColourAndChoosesACell) {
  EXPECT_EQ(CSmColorPopup(0x0000FF, 0, 0, 20).Highlighted(), 5);
  EXPECT_EQ(CSmColorPopup(0x123456, 0, 0, 20).Highlighted(), -1);
  EXPECT_EQ(CSmColorPopup(-1, 0, 0, 20).Highlighted(), -1);
  CSmColorPopup popup(-1, 0, 0, 20);
  popup.ChooseCell(13);
  EXPECT_TRUE(popup.ColorChosen());
  EXPECT_EQ(popup.Color(), 0xFF0000u);  // blue, red in the low byte
  EXPECT_STREQ(CSmColorPopup::ColorName(13), "蓝色");
}
