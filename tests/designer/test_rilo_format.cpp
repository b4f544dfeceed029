// The format commands of the report window: character formats of texts and cells, cell layout
// with spanning blocks, table lines and their presets, and the enabling of the commands; every
// change undone and redone.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QMenu>
#include <memory>

#include "platform/SmCommandIds.h"
#include "tests/common/SmModalScript.h"
#include "tests/designer/rilo_view_fixture.h"

namespace {

class RiloFormatTest : public RiloViewTest {
 protected:
  CRiloData& S() { return m_doc->m_sheet; }
  size_t Index(int column, int row) { return static_cast<size_t>(column + row * S().m_cols); }
  SmIntPair& Layout(int column, int row) { return S().m_layout3[Index(column, row)]; }
  void SelectArea(int left, int top, int right, int bottom) {
    S().m_selectMode = 2;
    S().m_selectRect = {left, top, right, bottom};
  }
  void SelectCell(int column, int row) {
    S().m_selectMode = 0;
    S().m_currentCell = {column, row};
  }
  void Run(int id) { m_view->OnCommand(id); }
  // Undo then redo of the last step bring back `before` and then `after`.
  template <typename Get>
  void ExpectUndoRedo(Get get, const decltype(get())& before) {
    const auto after = get();
    m_view->ApplyHistory(true);
    EXPECT_EQ(get(), before);
    m_view->ApplyHistory(false);
    EXPECT_EQ(get(), after);
  }
};

// ---------------------------------------------------------------- character formats

TEST_F(RiloFormatTest, BoldOnATextRunRecordsACellStepAndOnCellsABlockStep) {
  CRiloData sheet = Sheet(3, 3);
  sheet.m_texts[0] = "甘蔗abc\x01=A2";
  sheet.m_texts[1] = "xy";
  Open(sheet);
  SelectCell(0, 0);
  S().m_selectMode = 1;
  S().m_textSelect = {0, 4};  // the two Chinese characters
  Run(SM_ID_RILO_BOLD);
  EXPECT_EQ(S().m_texts[0],
            "\x1bG甘蔗\x1bH"
            "abc\x01=A2");
  ASSERT_EQ(m_doc->m_undo.size(), 1u);
  EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_CELL);
  ExpectUndoRedo([&] { return S().m_texts[0]; }, std::string("甘蔗abc\x01=A2"));

  Open(sheet);
  SelectArea(0, 0, 1, 0);
  Run(SM_ID_RILO_BOLD);
  EXPECT_EQ(S().m_texts[0], "\x1bG甘蔗abc\x01=A2");  // the formula layer stays
  EXPECT_EQ(S().m_texts[1], "\x1bGxy");
  EXPECT_EQ(m_doc->m_fontStates[0], 1);
  ASSERT_EQ(m_doc->m_undo.size(), 1u);
  EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_BLOCK);
  ExpectUndoRedo([&] { return S().m_texts; }, sheet.m_texts);
  // Pressed again on cells that are all bold, it turns bold off.
  SelectArea(0, 0, 1, 0);
  Run(SM_ID_RILO_BOLD);
  EXPECT_EQ(S().m_texts[1], "xy");
}

// Formulas and child table values are stored without character formats: in their edit states
// the font commands are greyed, so bold neither shows nor vanishes, and the face and size
// lists change nothing; the master text of the same window takes them.
TEST_F(RiloFormatTest, CharacterFormatsOnlyInTheMasterText) {
  CRiloData sheet = Sheet(3, 3);
  sheet.m_texts[0] = "标题\x01\x01\x01";
  sheet.m_texts[1] =
      "\x01\x01\x01"
      "55";
  Open(sheet);
  m_doc->m_childOpen = 1;
  CSmCommandManager& commands = CSmCommandManager::Instance();
  const int fontCommands[] = {SM_ID_RILO_BOLD, SM_ID_RILO_ITALIC, SM_ID_RILO_UNDERLINE,
                              SM_ID_RILO_FONT};
  for (int mode : {0, 1, 2, 3}) {
    m_doc->m_editMode = mode;
    for (int id : fontCommands) EXPECT_EQ(commands.Update(id), mode == 0) << mode << " " << id;
    const std::unique_ptr<QMenu> menu = m_view->CreateContextMenu();
    EXPECT_EQ(menu->findChild<QAction*>(QString::number(SM_ID_RILO_FONT))->isEnabled(), mode == 0);
  }
  // The button as the clerk finds it: brought up to date, then clicked.
  const auto pressBold = [&] {
    commands.Update(SM_ID_RILO_BOLD);
    SmCommandAction(SM_ID_RILO_BOLD)->trigger();
  };
  m_doc->m_editMode = 3;
  SelectArea(0, 0, 1, 0);
  pressBold();
  m_view->OnFaceChosen("黑体");
  m_view->OnSizeChosen("20");
  EXPECT_TRUE(S().IsTextsEqual(sheet));
  EXPECT_EQ(m_doc->m_fontStates[0], 0);
  EXPECT_TRUE(m_doc->m_undo.empty());

  m_doc->m_editMode = 0;
  SelectArea(0, 0, 1, 0);
  pressBold();
  EXPECT_EQ(S().m_texts[0], "\x1bG标题\x01\x01");
  EXPECT_EQ(m_doc->m_fontStates[0], 1);
}

TEST_F(RiloFormatTest, MixedAttributesReachTheFontDialogAndItsCodesTheSelection) {
  CRiloData sheet = Sheet(3, 3);
  sheet.m_texts[0] =
      "\x1bG"
      "ab";
  sheet.m_texts[1] = "cd";
  Open(sheet);
  SelectArea(0, 0, 1, 0);
  SmRiloTextState state;
  std::string mixed;
  m_doc->GetCurrentFormat(state, mixed);
  EXPECT_TRUE(CRiloDoc::HasCode(mixed, 'G'));
  EXPECT_FALSE(CRiloDoc::HasCode(mixed, 'A'));

  CModalScript script;
  script.Then(830, [](QWidget* dlg) { Press(dlg, SM_ID_OK); });  // OK with nothing chosen
  Run(SM_ID_RILO_FONT);
  EXPECT_TRUE(script.Done());
  EXPECT_TRUE(m_doc->m_undo.empty());

  // Italic with the bold kept: only the italic code reaches the cells.
  SmRiloTextState italic = state;
  italic.font.italic = true;
  m_view->ApplyFormat(italic,
                      "\x1b"
                      "A");
  EXPECT_EQ(S().m_texts[0],
            "\x1b"
            "A\x1bG"
            "ab");
  EXPECT_EQ(S().m_texts[1],
            "\x1b"
            "Acd");
}

TEST_F(RiloFormatTest, FaceAndSizeListsApplyTheirValueCodes) {
  CRiloData sheet = Sheet(2, 2);
  sheet.m_texts[0] = "ab";
  Open(sheet);
  SelectArea(0, 0, 0, 0);
  m_view->OnFaceChosen("黑体");
  // The frame's size list reaches the active pane.
  m_childFrame->SetActiveView(m_view);
  m_childFrame->FormatBar()->SizeCombo()->textActivated("20");
  const SmRiloTextState state = CRiloDoc::StateAt(S().m_texts[0], 0);
  EXPECT_EQ(state.font.faceName, "黑体");
  EXPECT_EQ(state.font.height, 20);
  EXPECT_EQ(m_doc->m_undo.size(), 2u);
}

// ---------------------------------------------------------------- cell layout

TEST_F(RiloFormatTest, LayoutButtonsChangeOneDirectionAndNoStepWhenNothingChanges) {
  Open(Sheet(4, 4));
  for (int c = 0; c < 2; ++c) Layout(c, 0) = Layout(c, 1) = {2, 0};
  SelectArea(1, 1, 0, 0);
  Run(SM_ID_RILO_ALIGN_CENTER);
  EXPECT_TRUE(m_doc->m_undo.empty());

  Layout(0, 0) = {1, 0};
  const std::vector<SmIntPair> before = S().m_layout3;
  Run(SM_ID_RILO_ROWS_TOP);
  EXPECT_EQ(Layout(0, 0), SmIntPair(1, 2));  // the horizontal codes stay
  EXPECT_EQ(Layout(1, 1), SmIntPair(2, 2));
  EXPECT_EQ(m_doc->m_layoutCodes.second, 2);
  Run(SM_ID_RILO_ALIGN_LEFT);
  EXPECT_EQ(Layout(0, 0), SmIntPair(0, 2));  // the vertical codes stay
  EXPECT_EQ(Layout(2, 2), SmIntPair(0, 0));  // outside the selection
  ASSERT_EQ(m_doc->m_undo.size(), 2u);
  EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_FORMATS);
  m_view->ApplyHistory(true);
  ExpectUndoRedo([&] { return S().m_layout3; }, before);
}

TEST_F(RiloFormatTest, SpanningCodesMakeBlocksAndReapplyingResetsTheOldBlock) {
  Open(Sheet(5, 3));
  SelectArea(0, 0, 3, 1);
  ASSERT_TRUE(m_doc->SetSelectionLayout(6, 4, true, true));
  EXPECT_EQ(S().m_layout4[Index(2, 1)], SmIntPair(0, 0));
  EXPECT_EQ(S().m_layout5[Index(2, 1)], SmIntPair(3, 1));

  // Part of the block: both of its rows are reset first, then the part is a block alone.
  SelectArea(1, 0, 2, 0);
  ASSERT_TRUE(m_doc->SetSelectionLayout(6, 0, true, false));
  EXPECT_EQ(Layout(0, 1).first, 0);
  EXPECT_EQ(Layout(3, 0).first, 0);
  EXPECT_EQ(S().m_layout4[Index(3, 1)].first, 0);
  EXPECT_EQ(Layout(1, 0).first, 6);
  EXPECT_EQ(S().m_layout4[Index(2, 0)].first, 1);
  EXPECT_EQ(S().m_layout5[Index(1, 0)].first, 2);

  // The single current cell gets centre and its block goes.
  SelectCell(2, 0);
  ASSERT_TRUE(m_doc->SetSelectionLayout(6, 0, true, false));
  EXPECT_EQ(Layout(2, 0).first, 2);
  EXPECT_EQ(Layout(1, 0).first, 0);
  EXPECT_EQ(S().m_layout5[Index(1, 0)].first, 0);
  EXPECT_FALSE(m_doc->SetSelectionLayout(2, 0, true, false));
}

TEST_F(RiloFormatTest, CtrlSelectionsTakePlainCodesOnlyAndReadMixedCodes) {
  Open(Sheet(5, 5));
  SelectArea(3, 3, 4, 4);
  S().m_areas = {{0, 0, 1, 0}};
  const CRiloData before = S();
  EXPECT_FALSE(m_doc->SetSelectionLayout(6, 0, true, false));
  EXPECT_TRUE(S().IsFormatsEqual(before));
  EXPECT_TRUE(m_doc->SetSelectionLayout(1, 0, true, false));
  EXPECT_EQ(Layout(0, 0).first, 1);
  EXPECT_EQ(Layout(4, 4).first, 1);
  EXPECT_EQ(Layout(2, 2).first, 0);

  Layout(4, 4).second = 2;
  SmIntPair codes;
  bool hUniform = false;
  bool vUniform = true;
  bool noSpanning = false;
  m_doc->GetSelectionLayout(codes, hUniform, vUniform, noSpanning);
  EXPECT_EQ(codes.first, 1);
  EXPECT_TRUE(hUniform);
  EXPECT_FALSE(vUniform);
  EXPECT_TRUE(noSpanning);
}

// ---------------------------------------------------------------- table lines

struct PresetCase {
  int id;
  int outer;  // -1 unchanged
  bool outerBlack;
  int inner;  // -1 unchanged
};

TEST_F(RiloFormatTest, LinePresetsSetEdgesAndInnerLinesOfTheRectangle) {
  constexpr int kGrey = 0x808080;
  const PresetCase cases[] = {
      {43336, 2, true, 1},   {43337, 2, true, 0},   {43338, 1, true, 1},
      {43339, 2, true, -1},  {43340, 1, true, -1},  {43341, -1, false, 2},
      {43342, -1, false, 1}, {43343, -1, false, 0}, {33354, 0, false, 0},
  };
  CRiloData sheet = Sheet(5, 5);
  sheet.m_lineStyles.assign(sheet.m_lineStyles.size(), {3, 3});
  sheet.m_lineColors.assign(sheet.m_lineColors.size(), {kGrey, kGrey});
  for (size_t i = 0; i < sheet.m_backColors.size(); ++i)
    sheet.m_backColors[i] = static_cast<int>(i);
  for (const PresetCase& c : cases) {
    SCOPED_TRACE(c.id);
    Open(sheet);
    SelectArea(3, 3, 1, 1);
    Run(c.id);
    for (int r = 0; r <= 5; ++r) {
      for (int col = 0; col <= 5; ++col) {
        const size_t node = static_cast<size_t>(col + r * 6);
        // Vertical line down from the node, then the horizontal line right from it.
        for (bool vertical : {true, false}) {
          const bool inRows = vertical ? r >= 1 && r <= 3 : r >= 1 && r <= 4;
          const bool inCols = vertical ? col >= 1 && col <= 4 : col >= 1 && col <= 3;
          const bool edge = vertical ? col == 1 || col == 4 : r == 1 || r == 4;
          int style = 3;
          int color = kGrey;
          if (inRows && inCols) {
            const int wanted = edge ? c.outer : c.inner;
            const bool black = edge ? c.outerBlack : c.inner >= 0;
            if (wanted >= 0) style = wanted;
            if (black) color = 0;
          }
          const SmIntPair s = S().m_lineStyles[node];
          const SmIntPair k = S().m_lineColors[node];
          EXPECT_EQ(vertical ? s.first : s.second, style) << r << "," << col << " " << vertical;
          EXPECT_EQ(vertical ? k.first : k.second, color) << r << "," << col << " " << vertical;
        }
      }
    }
    EXPECT_EQ(S().m_backColors, sheet.m_backColors);
    ASSERT_EQ(m_doc->m_undo.size(), 1u);
    EXPECT_EQ(m_doc->m_undo.back().kind, SM_RILO_STEP_LINES);
    ExpectUndoRedo([&] { return S().m_lineStyles; }, sheet.m_lineStyles);
    ExpectUndoRedo([&] { return S().m_lineColors; }, sheet.m_lineColors);
  }
}

TEST_F(RiloFormatTest, LineStateOfSingleCellsMixedEdgesAndCtrlSelections) {
  CRiloData sheet = Sheet(4, 4);
  sheet.m_lineStyles[static_cast<size_t>(2 + 1 * 5)].second = 2;  // one thick piece of a top
  Open(sheet);
  SelectCell(1, 1);
  SmRiloLineSettings read;
  ASSERT_TRUE(m_doc->GetSelectionLines(read));
  EXPECT_FALSE(read.styleFlag[4]);
  EXPECT_FALSE(read.colorFlag[4]);

  SelectArea(1, 1, 2, 2);
  ASSERT_TRUE(m_doc->GetSelectionLines(read));
  EXPECT_FALSE(read.styleFlag[0]);
  EXPECT_TRUE(read.styleFlag[1]);
  EXPECT_TRUE(read.backFlag);
  // Applying what was read with its flags leaves the mixed top edge as it is.
  m_doc->SetSelectionLines(read);
  EXPECT_EQ(S().m_lineStyles, sheet.m_lineStyles);

  S().m_areas = {{0, 0, 0, 0}};
  EXPECT_FALSE(m_doc->GetSelectionLines(read));
  Run(SM_ID_RILO_NO_BORDER);
  EXPECT_EQ(S().m_lineStyles, sheet.m_lineStyles);
  EXPECT_TRUE(m_doc->m_undo.empty());
}

// ---------------------------------------------------------------- enabling and mouse sizes

TEST_F(RiloFormatTest, CommandsAreEnabledByRowsColumnsAndReadOnly) {
  const auto enabled = [&](int id) {
    CSmCmdUI ui(id);
    m_view->OnUpdateCommand(id, ui);
    return ui.Enabled();
  };
  Open(Sheet(59, 899));
  EXPECT_TRUE(enabled(SM_ID_RILO_INSERT));
  Open(Sheet(60, 3));
  EXPECT_FALSE(enabled(SM_ID_RILO_INSERT));
  Open(Sheet(3, 900));
  EXPECT_FALSE(enabled(SM_ID_RILO_INSERT));
  Open(Sheet(3, 3), true);
  EXPECT_TRUE(enabled(SM_ID_RILO_SIZES));
  for (int id : std::initializer_list<int>{SM_ID_RILO_FONT, SM_ID_RILO_LINES, SM_ID_RILO_NUM_FORMAT,
                                           SM_ID_RILO_INSERT, SM_ID_RILO_DELETE,
                                           int{SM_ID_RILO_LINES_FIRST}})
    EXPECT_FALSE(enabled(id)) << id;
  Open(CRiloData());
  EXPECT_FALSE(enabled(SM_ID_RILO_SIZES));
}

TEST_F(RiloFormatTest, DraggedSizesComeFromPixelsAtTheZoom) {
  Open(Sheet(4, 4));
  S().m_screenFactor = 200;
  m_doc->SetSizeFromPixels(true, 6, 152);  // past the end: the widths grow
  EXPECT_EQ(S().m_colWidths.size(), 7u);
  EXPECT_EQ(S().m_colWidths[5], 0);
  EXPECT_EQ(S().m_colWidths[6], static_cast<int>(152 / (200 * kRiloScreenScale * 0.01)));

  SelectArea(0, 2, 3, 1);
  m_doc->SetSelectedSizesFromPixels(-1, 3, 76);  // a row outside: nothing
  EXPECT_EQ(S().m_rowHeights[1], 70);
  m_doc->SetSelectedSizesFromPixels(-1, 2, 76);
  EXPECT_EQ(S().m_rowHeights[1], 100);
  EXPECT_EQ(S().m_rowHeights[2], 100);
  EXPECT_EQ(S().m_rowHeights[3], 70);
}

}  // namespace
