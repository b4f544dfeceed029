// The column, header-block and note pages: row texts, check boxes the document forces,
// delete, copy and paste, and the edit dialogs with every refusal and what OK stores.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <functional>

#include "forms/SmFormEditDlgs.h"
#include "forms/SmPublicPages.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmModalScript.h"
#include "tests/forms/test_publicsheet_fixture.h"
#include "ui/SmSpinCtrl.h"

namespace {

class EditDlgTest : public PublicSheetTest {
 protected:
  void SetUp() override {
    PublicSheetTest::SetUp();
    m_def = m_doc.m_formDef;
  }
  // Two header rows: row 1 has a block per column, row 2 only one over column 1.
  void TwoHeaderRows() {
    m_def.nTopNum = 2;
    m_def.m_topWords.resize(5);
    m_def.m_topWords[4].Set(1, 2, 1, 2, "甲");
  }
  static void Set(QWidget* dlg, int id, const char* text) {
    Type(dlg, id, QString::fromUtf8(text));
  }
  static std::string Text(QWidget* dlg, int id) {
    return Control<QLineEdit>(dlg, id)->text().toStdString();
  }
  static void Check(QWidget* dlg, int id) { Control<QAbstractButton>(dlg, id)->setChecked(true); }

  CSmFormDef m_def;
};

TEST(ColumnRowTexts, ShowEveryPartOfTheSpec) {
  struct Case {
    int fact, less, more;
    const char* spec;
    std::vector<std::string> texts;  // from "栏类型" on
  } const cases[] = {
      {1210,
       0,
       2,
       "万/NUMBER/RIGHT/010/4",
       {"固定栏", "数值", "居右", "12", "10", "0", "2", "万倍", "√↓", ""}},
      {810,
       1,
       3,
       "十万/NUMBER//021/5/#c1+#c2",
       {"公式栏", "数值", "居左", "8", "10", "1", "3", "十万倍", "√→", ""}},
      {1010,
       2,
       2,
       "百万/NUMBER/MID/002/6",
       {"运算栏", "数值", "居中", "10", "10", "2", "2", "百万倍", "", ""}},
      {2020,
       0,
       0,
       "名/STRING/LEFT/110/-6",
       {"固定栏", "文字", "居左", "20", "20", "0", "0", "百万分之一", "", "√"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec);
    CSmFormCol col;
    col.Set(101, c.fact, c.less, c.more, c.spec);
    const std::vector<std::string> texts = CSmColumnList::RowTexts(col, 4);
    EXPECT_EQ(texts[0], "5");
    EXPECT_EQ(std::vector<std::string>(texts.begin() + 3, texts.end()), c.texts);
  }
}

TEST_F(EditDlgTest, EveryRefusalNamesItsFieldAndChangesNothing) {
  using Edit = std::function<void(QWidget*)>;
  struct Case {
    const char* name;
    int dialog;  // 854, 856 or 858
    int index;
    bool isNew;
    Edit edit;
    std::string message;
    int focus;
  };
  const std::string longFormula(180, 'x');
  const Case cases[] = {
      {"blank name", 854, 3, false, [](QWidget* d) { Set(d, CSmColumnDlg::kName, "  "); },
       "栏名不能为空，重输！", CSmColumnDlg::kName},
      {"order past the end", 854, 3, false, [](QWidget* d) { Set(d, CSmColumnDlg::kOrder, "5"); },
       "栏顺序号超界！", CSmColumnDlg::kOrder},
      {"width 61", 854, 3, false, [](QWidget* d) { Set(d, CSmColumnDlg::kWidth, "61"); },
       "显示宽度超界！", CSmColumnDlg::kWidth},
      {"wider than the default", 854, 0, false,
       [](QWidget* d) { Set(d, CSmColumnDlg::kWidth, "13"); }, "显示宽度超界！",
       CSmColumnDlg::kWidth},
      {"edit width 0", 854, 3, false, [](QWidget* d) { Set(d, CSmColumnDlg::kEditWidth, "0"); },
       "编辑宽度超界！", CSmColumnDlg::kEditWidth},
      {"least decimals 5", 854, 3, false, [](QWidget* d) { Set(d, CSmColumnDlg::kLess, "5"); },
       "至少保留小数位数不合适！", CSmColumnDlg::kLess},
      {"most below least", 854, 3, false, [](QWidget* d) { Set(d, CSmColumnDlg::kMore, "1"); },
       "最多保留小数位数不合适！", CSmColumnDlg::kMore},
      {"no column kind", 854, 3, false,
       [](QWidget* d) { Control<QComboBox>(d, CSmColumnDlg::kKind)->setCurrentIndex(-1); },
       "未选择栏类型！", CSmColumnDlg::kKind},
      {"no scale", 854, 3, false,
       [](QWidget* d) { Control<QComboBox>(d, CSmColumnDlg::kScale)->setCurrentIndex(-1); },
       "未选择放缩因子！", CSmColumnDlg::kScale},
      {"spec over 200 bytes", 854, 3, false,
       [&](QWidget* d) {
         Set(d, CSmColumnDlg::kName, "一二三四五六七八九十一二三四五六七八九十一二三四五");
         Type(d, CSmColumnDlg::kFormula, QString::fromStdString(longFormula));
       },
       "公式长度超界！", CSmColumnDlg::kFormula},
      {"left column 5", 856, 0, false, [](QWidget* d) { Set(d, CSmTopWordDlg::kCol1, "5"); },
       "左上角栏坐标超界！", CSmTopWordDlg::kCol1},
      {"top row 3", 856, 0, false, [](QWidget* d) { Set(d, CSmTopWordDlg::kRow1, "3"); },
       "左上角行坐标超界！", CSmTopWordDlg::kRow1},
      {"right column 0", 856, 0, false, [](QWidget* d) { Set(d, CSmTopWordDlg::kCol2, "0"); },
       "右下角栏坐标超界！", CSmTopWordDlg::kCol2},
      {"bottom row 3", 856, 0, false, [](QWidget* d) { Set(d, CSmTopWordDlg::kRow2, "3"); },
       "右下角行坐标超界！", CSmTopWordDlg::kRow2},
      {"columns 3 to 1", 856, 0, false,
       [](QWidget* d) {
         Set(d, CSmTopWordDlg::kCol1, "3");
         Set(d, CSmTopWordDlg::kCol2, "1");
       },
       "单元块定义不合适！", CSmTopWordDlg::kCol2},
      {"blank block name", 856, 0, false, [](QWidget* d) { Set(d, CSmTopWordDlg::kName, " "); },
       "栏名不能为空！", CSmTopWordDlg::kName},
      {"overlapping", 856, 0, false, [](QWidget* d) { Set(d, CSmTopWordDlg::kCol2, "2"); },
       "当前定义的单元块与已定义的重叠！", CSmTopWordDlg::kCol1},
      {"line 16", 858, 2, true, [](QWidget* d) { Set(d, CSmHeadNoteDlg::kLine, "16"); },
       "显示行次超界！", CSmHeadNoteDlg::kLine},
      {"position 100", 858, 2, true, [](QWidget* d) { Set(d, CSmHeadNoteDlg::kPosition, "100"); },
       "栏位置超界！", CSmHeadNoteDlg::kPosition},
      {"system note longer than its default", 858, 0, false,
       [](QWidget* d) { Set(d, CSmHeadNoteDlg::kLength, "13"); }, "编辑框长度不合适！",
       CSmHeadNoteDlg::kLength},
      {"blank hint", 858, 2, true, [](QWidget* d) { Set(d, CSmHeadNoteDlg::kWords, "内容"); },
       "字域提示不能为空，重输！", CSmHeadNoteDlg::kNote},
      {"blank content", 858, 2, true, [](QWidget* d) { Set(d, CSmHeadNoteDlg::kNote, "提示"); },
       "显示内容不能为空，重输！", CSmHeadNoteDlg::kWords},
      {"taken place", 858, 2, true,
       [](QWidget* d) {
         Set(d, CSmHeadNoteDlg::kNote, "提示");
         Set(d, CSmHeadNoteDlg::kWords, "内容");
         Set(d, CSmHeadNoteDlg::kPosition, "60");
       },
       "该字域的位置已存在!", CSmHeadNoteDlg::kPosition},
      {"taken hint", 858, 2, true,
       [](QWidget* d) {
         Set(d, CSmHeadNoteDlg::kNote, "单位");
         Set(d, CSmHeadNoteDlg::kWords, "内容");
         Set(d, CSmHeadNoteDlg::kPosition, "30");
       },
       "该字域提示已存在!", CSmHeadNoteDlg::kNote},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmResetMessages();
    m_def = m_doc.m_formDef;
    if (c.dialog == 856) TwoHeaderRows();
    const CSmFormDef before = m_def;
    std::unique_ptr<CSmDlg> dlg;
    if (c.dialog == 854) dlg = std::make_unique<CSmColumnDlg>(m_doc, m_def, c.index, c.isNew);
    if (c.dialog == 856) dlg = std::make_unique<CSmTopWordDlg>(m_doc, m_def, c.index, c.isNew);
    if (c.dialog == 858) dlg = std::make_unique<CSmHeadNoteDlg>(m_doc, m_def, c.index, c.isNew);
    dlg->show();
    c.edit(dlg.get());
    dlg->OnOK();
    EXPECT_NE(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(Shown(), std::vector<std::string>{c.message});
    ASSERT_NE(dlg->focusWidget(), nullptr);
    EXPECT_EQ(dlg->focusWidget()->objectName().toInt(), c.focus);
    EXPECT_TRUE(m_def == before);
  }
}

TEST_F(EditDlgTest, ANewColumnStartsAsANumberFormulaColumn) {
  CSmColumnDlg dlg(m_doc, m_def, 1, true);
  dlg.show();
  EXPECT_EQ(Control<QComboBox>(&dlg, CSmColumnDlg::kKind)->currentText().toStdString(), "公式栏");
  EXPECT_TRUE(Control<QAbstractButton>(&dlg, CSmColumnDlg::kNumber)->isChecked());
  EXPECT_TRUE(Control<QAbstractButton>(&dlg, CSmColumnDlg::kRight)->isChecked());
  for (int id : {CSmColumnDlg::kWidth, CSmColumnDlg::kEditWidth})
    EXPECT_EQ(Text(&dlg, id), "10") << id;
  for (int id : {CSmColumnDlg::kLess, CSmColumnDlg::kMore}) EXPECT_EQ(Text(&dlg, id), "2") << id;
  EXPECT_EQ(Text(&dlg, CSmColumnDlg::kName), "重量");  // the caption of the selected row's column
  EXPECT_EQ(Control<CSmSpinCtrl>(&dlg, CSmColumnDlg::kOrderSpin)->Upper(), 5);
  Set(&dlg, CSmColumnDlg::kName, "扣杂");
  Set(&dlg, CSmColumnDlg::kFormula, "#c2*0.05");
  dlg.OnOK();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  ASSERT_EQ(m_def.m_cols.size(), 5u);
  const CSmFormCol& made = m_def.m_cols[1];
  EXPECT_EQ(made.nType, 100);
  EXPECT_EQ(made.nFact, 1010);
  EXPECT_EQ(made.sFormula, "扣杂/NUMBER/RIGHT/011/0/#c2*0.05");
  EXPECT_EQ(dlg.FinalIndex(), 1);
}

TEST_F(EditDlgTest, WhatTheColumnDialogStores) {
  struct Case {
    const char* name;
    int index;
    bool isNew;
    std::function<void(QWidget*)> edit;
    int at;  // where the column stands afterwards
    std::string spec;
  } const cases[] = {
      {"total kind 2 on a formula column becomes 1", 3, false,
       [](QWidget* d) { Control<QComboBox>(d, CSmColumnDlg::kKind)->setCurrentIndex(0); }, 3,
       "单价/NUMBER/RIGHT/011/0/#c3/#c2"},
      {"a computed column keeps total kind 2", 3, false,
       [](QWidget* d) { Control<QComboBox>(d, CSmColumnDlg::kKind)->setCurrentIndex(1); }, 3,
       "单价/NUMBER/RIGHT/022/0/#c3/#c2"},
      {"text saves as MDBSTRING without totals", 1, true,
       [](QWidget* d) {
         Set(d, CSmColumnDlg::kName, "备注");
         Check(d, CSmColumnDlg::kText);
         Check(d, CSmColumnDlg::kLeft);
       },
       1, "备注/MDBSTRING/LEFT/001/0/"},
      {"order 1 moves the last column first", 3, false,
       [](QWidget* d) { Set(d, CSmColumnDlg::kOrder, "1"); }, 0, "单价/NUMBER/RIGHT/011/0/#c3/#c2"},
      {"scale and wrap", 2, false,
       [](QWidget* d) {
         Control<QComboBox>(d, CSmColumnDlg::kScale)->setCurrentIndex(10);
         Check(d, CSmColumnDlg::kWrap);
         Check(d, CSmColumnDlg::kMiddle);
       },
       2, "金额/NUMBER/MID/110/4/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_def = m_doc.m_formDef;
    CSmColumnDlg dlg(m_doc, m_def, c.index, c.isNew);
    dlg.show();
    c.edit(&dlg);
    dlg.OnOK();
    ASSERT_EQ(dlg.result(), QDialog::Accepted) << CSmMessageService::Instance().LastText();
    EXPECT_EQ(dlg.FinalIndex(), c.at);
    EXPECT_EQ(m_def.m_cols[c.at].sFormula, c.spec);
    if (c.at != 0) continue;
    // The moved column went first and the others shifted right by one.
    std::vector<std::string> order;
    for (const CSmFormCol& col : m_def.m_cols) order.push_back(col.GetCaption());
    EXPECT_EQ(order, (std::vector<std::string>{"单价", "户名", "重量", "金额"}));
  }
}

TEST_F(EditDlgTest, AFixedColumnKeepsItsKindAndTypeAndChoosingNumbersClearsTheTotal) {
  CSmColumnDlg fixed(m_doc, m_def, 0, false);
  fixed.show();
  EXPECT_FALSE(Control<QComboBox>(&fixed, CSmColumnDlg::kKind)->isEnabled());
  EXPECT_EQ(Control<QComboBox>(&fixed, CSmColumnDlg::kKind)->currentText().toStdString(), "固定栏");
  EXPECT_FALSE(Control<QLineEdit>(&fixed, CSmColumnDlg::kFormula)->isEnabled());
  EXPECT_FALSE(Control<QComboBox>(&fixed, CSmColumnDlg::kTotal)->isEnabled());  // a text column
  EXPECT_EQ(Control<CSmSpinCtrl>(&fixed, CSmColumnDlg::kWidthSpin)->Upper(), 12);
  CSmColumnDlg formula(m_doc, m_def, 3, false);
  formula.show();
  Check(&formula, CSmColumnDlg::kText);
  Check(&formula, CSmColumnDlg::kNumber);
  EXPECT_EQ(Control<QComboBox>(&formula, CSmColumnDlg::kTotal)->currentIndex(), 0);
  Set(&formula, CSmColumnDlg::kLess, "3");
  emit Control<QLineEdit>(&formula, CSmColumnDlg::kLess)->editingFinished();
  EXPECT_EQ(Text(&formula, CSmColumnDlg::kMore), "3");
  EXPECT_EQ(Control<CSmSpinCtrl>(&formula, CSmColumnDlg::kMoreSpin)->Lower(), 3);
}

TEST_F(EditDlgTest, BlocksStartInTheFirstFreeCellAndAFullHeaderTakesNoMore) {
  TwoHeaderRows();
  CSmTopWordDlg dlg(m_doc, m_def, 5, true);
  dlg.show();
  EXPECT_EQ(Text(&dlg, CSmTopWordDlg::kCol1), "2");
  EXPECT_EQ(Text(&dlg, CSmTopWordDlg::kRow1), "2");
  Set(&dlg, CSmTopWordDlg::kName, " 小计 ");
  Set(&dlg, CSmTopWordDlg::kCol2, "4");
  dlg.OnOK();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  ASSERT_EQ(m_def.m_topWords.size(), 6u);
  EXPECT_EQ(m_def.m_topWords.back(), (CSmFormTopWord{2, 2, 4, 2, "小计"}));

  CSmTopWordList list(m_doc, m_def, nullptr);
  list.Fill();
  SmResetMessages();
  list.OnCommand(SM_ID_LIST_ADD);
  EXPECT_EQ(Shown(), std::vector<std::string>{"栏头单元块已被定义完毕！"});
  EXPECT_EQ(m_def.m_topWords.size(), 6u);
}

TEST_F(EditDlgTest, OneHeaderRowDisablesTheRowFields) {
  CSmTopWordDlg dlg(m_doc, m_def, 0, false);
  dlg.show();
  EXPECT_FALSE(dlg.Control(CSmTopWordDlg::kRow1)->isEnabled());
  EXPECT_FALSE(dlg.Control(CSmTopWordDlg::kRow2)->isEnabled());
  dlg.OnOK();  // unchanged: closes at once
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_TRUE(Shown().empty());
}

TEST_F(EditDlgTest, NotesKeepWhatTheSystemOwns) {
  CSmHeadNoteDlg system(m_doc, m_def, 0, false);
  system.show();
  EXPECT_FALSE(system.Control(CSmHeadNoteDlg::kNote)->isEnabled());
  EXPECT_FALSE(system.Control(CSmHeadNoteDlg::kWords)->isEnabled());
  EXPECT_TRUE(system.Control(CSmHeadNoteDlg::kLength)->isEnabled());
  EXPECT_EQ(Control<CSmSpinCtrl>(&system, CSmHeadNoteDlg::kLengthSpin)->Upper(), 12);
  Set(&system, CSmHeadNoteDlg::kLength, "8");
  Set(&system, CSmHeadNoteDlg::kLine, "2");
  Check(&system, CSmHeadNoteDlg::kTail);
  Check(&system, CSmHeadNoteDlg::kNoUse);
  system.OnOK();
  ASSERT_EQ(system.result(), QDialog::Accepted);
  EXPECT_EQ(m_def.m_headNotes[0], (CSmFormHeadNote{1, 1, 800, 0, 1, "单位", "甘蔗收购站"}));

  CSmHeadNoteDlg made(m_doc, m_def, 2, true);
  made.show();
  EXPECT_FALSE(made.Control(CSmHeadNoteDlg::kLength)->isEnabled());
  EXPECT_EQ(Text(&made, CSmHeadNoteDlg::kLine), "1");
  Set(&made, CSmHeadNoteDlg::kNote, "备注");
  Set(&made, CSmHeadNoteDlg::kWords, "自定义");
  Set(&made, CSmHeadNoteDlg::kPosition, "99");
  made.OnOK();
  ASSERT_EQ(made.result(), QDialog::Accepted);
  EXPECT_EQ(m_def.m_headNotes.back(), (CSmFormHeadNote{0, 0, 99, 1, 0, "备注", "自定义"}));

  // Hints are stored in 20 bytes: the field takes no more.
  CSmHeadNoteDlg longHint(m_doc, m_def, 3, true);
  longHint.show();
  Set(&longHint, CSmHeadNoteDlg::kNote, "一二三四五六七八九十");
  Set(&longHint, CSmHeadNoteDlg::kNote, "一二三四五六七八九十一");
  EXPECT_EQ(Text(&longHint, CSmHeadNoteDlg::kNote), "一二三四五六七八九十");
}

TEST_F(EditDlgTest, ForcedColumnsKeepTheirCheckBoxes) {
  m_doc.m_forced = {{0, 1}, {1, 0}};
  CSmColumnList list(m_doc, m_def, nullptr);
  list.Fill();
  EXPECT_EQ(m_def.m_cols[1].nType, 2);
  EXPECT_FALSE(list.GetCheck(1));
  list.SetCheck(0, false);
  EXPECT_TRUE(list.GetCheck(0));
  EXPECT_EQ(m_def.m_cols[0].nType, 101);
  list.SetCheck(2, false);
  EXPECT_EQ(m_def.m_cols[2].nType, 3);
  list.SetCheck(2, true);
  EXPECT_EQ(m_def.m_cols[2].nType, 103);
}

TEST_F(EditDlgTest, DeleteSparesSystemNotesAndColumnsWithFieldCodes) {
  CSmColumnList columns(m_doc, m_def, nullptr);
  columns.Fill();
  columns.SelectRows(0, 1);
  columns.OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(m_def.m_cols.size(), 4u);
  columns.SelectRows(3, 1);
  columns.OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(m_def.m_cols.size(), 3u);
  EXPECT_EQ(columns.FirstSelected(), 2);

  CSmHeadNoteList notes(m_doc, m_def, nullptr);
  m_def.m_headNotes.push_back({0, 1, 0, 1, 0, "备注", "自定义"});
  notes.Fill();
  notes.SelectRows(0, 1);
  notes.OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(m_def.m_headNotes.size(), 3u);
  notes.SelectRows(2, 1);
  notes.OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(m_def.m_headNotes.size(), 2u);
  EXPECT_EQ(notes.RowCount(), 2);
}

TEST_F(EditDlgTest, PastedTextsAppendWholeBlocksAndNotesOnly) {
  CSmTopWordList blocks(m_doc, m_def, nullptr);
  blocks.Fill();
  SmCopyRowsToClipboard(541, blocks.Source(), false, {"甲", "1,1,2,1", "乙"});
  blocks.Paste();
  EXPECT_EQ(m_def.m_topWords.size(), 4u);
  SmCopyRowsToClipboard(541, blocks.Source(), false, {"合计", "1,1,2,1"});
  blocks.Paste();
  ASSERT_EQ(m_def.m_topWords.size(), 5u);
  EXPECT_EQ(m_def.m_topWords.back(), (CSmFormTopWord{1, 1, 2, 1, "合计"}));
  EXPECT_EQ(blocks.FirstSelected(), 4);

  CSmHeadNoteList notes(m_doc, m_def, nullptr);
  notes.Fill();
  notes.SelectRows(0, 2);
  notes.OnCommand(SM_ID_EDIT_COPY);
  notes.OnCommand(SM_ID_EDIT_PASTE);
  ASSERT_EQ(m_def.m_headNotes.size(), 4u);
  EXPECT_EQ(m_def.m_headNotes[2], m_def.m_headNotes[0]);
  EXPECT_EQ(m_def.m_headNotes[3], m_def.m_headNotes[1]);
  SmCopyRowsToClipboard(542, notes.Source(), false, {"a", "b", "0", "0", "0", "1"});
  notes.Paste();
  EXPECT_EQ(m_def.m_headNotes.size(), 4u);
}

TEST_F(EditDlgTest, ListMenusAndAddThroughTheDialog) {
  CSmColumnList columns(m_doc, m_def, nullptr);
  columns.Fill();
  auto menu = columns.CreateContextMenu();
  std::vector<unsigned> ids;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) ids.push_back(action->data().toUInt());
  }
  EXPECT_EQ(ids.at(1), static_cast<unsigned>(SM_ID_FORM_DEFAULTS));
  for (int gone :
       std::vector<int>{SM_ID_LIST_OPEN, SM_ID_EDIT_CUT, SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE}) {
    EXPECT_EQ(std::count(ids.begin(), ids.end(), static_cast<unsigned>(gone)), 0) << gone;
  }
  CSmTopWordList blocks(m_doc, m_def, nullptr);
  EXPECT_FALSE(blocks.IsCommandEnabled(SM_ID_EDIT_CUT));

  columns.SelectRows(3, 1);
  CModalScript script;
  script.Then(854, [](QWidget* d) {
    Set(d, CSmColumnDlg::kName, "运费");
    Set(d, CSmColumnDlg::kOrder, "1");
    Press(d, SM_ID_OK);
  });
  columns.OnCommand(SM_ID_LIST_ADD);
  EXPECT_TRUE(script.Done());
  ASSERT_EQ(m_def.m_cols.size(), 5u);
  EXPECT_EQ(m_def.m_cols[0].GetCaption(), "运费");
  EXPECT_EQ(columns.FirstSelected(), 0);
  EXPECT_EQ(columns.topLevelItem(0)->text(1).toStdString(), "运费");
}

}  // namespace
