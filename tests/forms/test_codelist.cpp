// The code-list dialog over a small dash-separated code tree kept in memory: where it opens,
// picking, going down and back, the add loop, deleting and the clipboard rules of pasting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <deque>
#include <set>

#include "core/SmDatabase.h"
#include "forms/SmCodeListDlg.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

struct PasteCall {
  std::string source, oldCode, newCode;
  bool move;
};

class CTestCodeDlg : public CSmCodeListDlg {
 public:
  CTestCodeDlg(CSmDatabase* db, int mode, std::set<std::string> codes)
      : CSmCodeListDlg(900, 1004, db, mode), codes(std::move(codes)) {}

  void SetupColumns() override { List()->SetColumns({100}, {"代码"}); }
  void FillList() override {
    List()->clear();
    for (const std::string& code : codes) {
      if (GetParentCode(code) == CurrentCode()) List()->AddRow({code});
    }
  }
  bool CodeExists(const std::string& code) override { return codes.count(code) > 0; }
  bool IsLowestLevel(const std::string& code) override {
    for (const std::string& other : codes) {
      if (GetParentCode(other) == code) return false;
    }
    return true;
  }
  bool IsCodeReferenced(const std::string& code) override { return referenced.count(code) > 0; }
  bool CanGoDown(const std::string& code) override { return !IsLowestLevel(code); }
  bool EditCode(std::string& code, bool add) override {
    if (!add || toAdd.empty()) return false;
    code = toAdd.front();
    toAdd.pop_front();
    codes.insert(code);
    return true;
  }
  bool CanDelete(const std::string& code) override { return refused.count(code) == 0; }
  void DeleteCode(const std::string& code) override { codes.erase(code); }
  bool CopyOrMoveCode(CSmDatabase* source, const std::string& oldCode, std::string& newCode,
                      bool move) override {
    calls.push_back({source->GetFileName(false), oldCode, newCode, move});
    if (move) codes.erase(oldCode);
    codes.insert(newCode);
    return true;
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < List()->RowCount(); ++i)
      rows.push_back(List()->topLevelItem(i)->text(0).toStdString());
    return rows;
  }
  std::vector<std::string> Selected() const {
    std::vector<std::string> texts;
    List()->GetSelectedTexts(texts);
    return texts;
  }
  void Select(const std::vector<std::string>& texts) {
    List()->clearSelection();
    List()->SelectTexts(texts);
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(List(), &press);
  }

  std::set<std::string> codes;
  std::set<std::string> referenced, refused;
  std::deque<std::string> toAdd;
  std::vector<PasteCall> calls;
};

const std::set<std::string> kTree = {"A", "A-1", "A-2", "B", "B-1", "B-1-1", "C"};

class CodeListTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_file = SmCreateTestDataFile(2016);
    ASSERT_TRUE(m_db.Open(m_file));
  }
  // Shows the dialog (not modal) with the preselected code.
  std::unique_ptr<CTestCodeDlg> Open(int mode, const std::string& start,
                                     std::set<std::string> codes = kTree) {
    auto dlg = std::make_unique<CTestCodeDlg>(&m_db, mode, std::move(codes));
    dlg->SetCurrentCode(start);
    dlg->show();
    return dlg;
  }

  std::string m_file;
  CSmDatabase m_db;
};

TEST_F(CodeListTest, OpensOnTheLevelOfThePreselectedCode) {
  struct Case {
    int mode;
    const char* start;
    const char* parent;
    std::vector<std::string> selected;
  };
  const Case cases[] = {
      {0, "", "", {"A"}},
      {0, "Z-9", "", {"A"}},  // no such code: the top level, row 0
      {0, "B-1", "B", {"B-1"}},
      {1, "B-1", "B-1", {"B-1-1"}},  // a region to pick from: its children
      {2, "B-1", "B", {"B-1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    auto dlg = Open(c.mode, c.start);
    EXPECT_EQ(dlg->CurrentCode(), c.parent);
    EXPECT_EQ(dlg->Selected(), c.selected);
  }
}

TEST_F(CodeListTest, PickModeOneGoesDownIntoRegionsAndPicksLeaves) {
  auto dlg = Open(1, "");
  dlg->Select({"B"});
  dlg->Key(Qt::Key_Return);
  EXPECT_EQ(dlg->CurrentCode(), "B");
  EXPECT_TRUE(dlg->isVisible());
  dlg->Key(Qt::Key_Return);  // B-1 has children
  EXPECT_EQ(dlg->Rows(), std::vector<std::string>{"B-1-1"});
  dlg->Key(Qt::Key_Return);
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_EQ(dlg->CurrentCode(), "B-1-1");

  auto any = Open(2, "");
  any->Select({"B"});
  any->OnOK();  // Enter on the dialog
  EXPECT_EQ(any->result(), QDialog::Accepted);
  EXPECT_EQ(any->CurrentCode(), "B");
}

TEST_F(CodeListTest, BackAndForwardFollowTheirAvailability) {
  auto dlg = Open(0, "");
  CSmCodeList* list = dlg->List();
  EXPECT_FALSE(list->IsCommandEnabled(SM_ID_GO_BACK));
  dlg->Select({"C"});
  EXPECT_FALSE(list->IsCommandEnabled(SM_ID_GO_FORWARD));  // a leaf
  dlg->Select({"A", "B"});
  EXPECT_FALSE(list->IsCommandEnabled(SM_ID_GO_FORWARD));  // two rows
  dlg->Select({"B"});
  dlg->Key(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(dlg->CurrentCode(), "B");
  EXPECT_EQ(dlg->Selected(), std::vector<std::string>{"B-1"});
  EXPECT_TRUE(list->IsCommandEnabled(SM_ID_GO_BACK));
  dlg->Key(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(dlg->CurrentCode(), "");
  EXPECT_EQ(dlg->Selected(), std::vector<std::string>{"B"});

  const auto menu = list->CreateContextMenu();
  std::vector<std::string> ids;
  for (QAction* action : menu->actions()) ids.push_back(action->objectName().toStdString());
  const auto back = std::find(ids.begin(), ids.end(), std::to_string(SM_ID_GO_BACK));
  ASSERT_NE(back, ids.end());
  EXPECT_EQ(*(back + 1), std::to_string(SM_ID_GO_FORWARD));
  EXPECT_EQ(*(back + 3), std::to_string(SM_ID_EDIT_CUT));
}

TEST_F(CodeListTest, AddingGoesOnUntilTheCardIsCancelled) {
  auto dlg = Open(0, "A-1");
  dlg->toAdd = {"A-3", "A-4"};
  dlg->List()->OnCommand(SM_ID_LIST_ADD);
  EXPECT_EQ(dlg->Rows(), (std::vector<std::string>{"A-1", "A-2", "A-3", "A-4"}));
  EXPECT_EQ(dlg->Selected(), std::vector<std::string>{"A-4"});
}

TEST_F(CodeListTest, DeletingEveryChildGoesBackAndRefusedCodesStaySelected) {
  auto dlg = Open(0, "A-1");
  dlg->Select({"A-1", "A-2"});
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  dlg->List()->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(dlg->Rows().size(), 2u);

  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  dlg->List()->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(dlg->CurrentCode(), "");
  EXPECT_EQ(dlg->Selected(), std::vector<std::string>{"A"});

  dlg->refused = {"B"};
  dlg->Select({"B", "C"});
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  dlg->List()->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(dlg->Rows(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(dlg->Selected(), std::vector<std::string>{"B"});
}

TEST_F(CodeListTest, CutIntoItsOwnSubtreeOrLevelIsRefused) {
  for (const char* target : {"B", "B-1", ""}) {
    SCOPED_TRACE(target);
    SmResetMessages();
    auto dlg = Open(0, "");
    dlg->SetCurrentCode(target);
    dlg->Paste({"B"}, true, true, m_db);
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "不能剪切：B");
    EXPECT_TRUE(dlg->calls.empty());
    EXPECT_EQ(dlg->codes, kTree);
  }
  // Into another level it moves; a copy may stay on its own level.
  auto dlg = Open(0, "A-1");
  dlg->Paste({"B-1"}, true, true, m_db);
  dlg->Paste({"C"}, false, true, m_db);
  ASSERT_EQ(dlg->calls.size(), 2u);
  EXPECT_EQ(dlg->calls[0].newCode, "A-1");  // the test tree takes any code
  EXPECT_TRUE(dlg->calls[0].move);
  EXPECT_EQ(dlg->calls[1].newCode, "A-C");
  EXPECT_FALSE(dlg->calls[1].move);
}

TEST_F(CodeListTest, PasteUnderAReferencedLeafIsRefused) {
  auto dlg = Open(0, "");
  dlg->SetCurrentCode("C");
  dlg->referenced = {"C"};
  dlg->Paste({"A-1"}, false, true, m_db);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "该项为最低级且已被引用，不能在此粘贴！");
  EXPECT_TRUE(dlg->calls.empty());
}

TEST_F(CodeListTest, CutRowsFromAnotherDataFileAreCopied) {
  CSmDatabase other;
  const std::string otherFile = SmCreateTestDataFile(2016, SmTestHome() + "/other");
  ASSERT_TRUE(other.Open(otherFile));
  auto source = std::make_unique<CTestCodeDlg>(&other, 0, kTree);
  source->SetCurrentCode("A-1");
  source->show();
  source->Select({"A-1", "A-2"});
  source->List()->OnCommand(SM_ID_EDIT_CUT);

  auto dlg = Open(0, "B-1");
  dlg->SetCurrentCode("C");
  dlg->List()->OnCommand(SM_ID_EDIT_PASTE);
  ASSERT_EQ(dlg->calls.size(), 2u);
  for (const PasteCall& call : dlg->calls) {
    EXPECT_FALSE(call.move);
    EXPECT_EQ(call.source, otherFile);
  }
  EXPECT_EQ(dlg->calls[1].newCode, "C-2");
  EXPECT_EQ(dlg->Selected(), (std::vector<std::string>{"C-1", "C-2"}));
}

}  // namespace
