// Form definitions stored in a data file and on the server: round trips, note order,
// deleting with the print settings, and replacing in one transaction.
#include <gtest/gtest.h>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "forms/SmFormDef.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/core/test_server_fixture.h"
#include "tests/forms/test_formdef_fixture.h"

namespace {

// kind 0: a fresh data file; kinds 1 and 2: a fresh server database with the shell's tables.
class FormStorageTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_db = std::make_unique<CSmDatabase>(GetParam());
    if (GetParam() == 0) {
      ASSERT_TRUE(m_db->Open(SmCreateTestDataFile(2016)));
    } else {
      SmFreshServerDatabase(*m_db, SmServerTestName("forms"));
      m_app.CreateSystemTables(m_db.get());
    }
    SmCreatePrintTables(*m_db);
  }

  CSmFormDef Sample(int flag, int form) {
    CSmFormDef def;
    def.Attach(m_db.get(), flag, form);
    def.SetTitle("\t“甘蔗”收购 O'Neil 表");
    def.nOpen = 1;
    def.nTopNum = 2;
    def.InsertCol(0, 101, 1208, 0, 0, "户名/STRING/LEFT");
    def.InsertCol(1, 102, 1010, 2, 2, "单价/NUMBER/RIGHT/011/0/#c1||#c2 // 'x'");
    def.m_topWords.resize(1);
    def.m_topWords[0].Set(1, 1, 2, 2, "农户'表头");
    def.m_headNotes.resize(2);
    def.m_headNotes[0].Set(0, 0, 1040, 1, 1, "单位", "甘蔗'单位");
    def.m_headNotes[1].Set(0, 0, 1005, 1, 0, "日期", "#日期");
    return def;
  }

  // The sample as it loads: notes in position order.
  CSmFormDef SampleAsLoaded(int flag, int form) {
    CSmFormDef def = Sample(flag, form);
    std::swap(def.m_headNotes[0], def.m_headNotes[1]);
    return def;
  }

  CSmFormDef Loaded(int flag, int form) {
    CSmFormDef def;
    def.Attach(m_db.get(), flag, form);
    def.LoadList();
    def.LoadCols();
    def.LoadTopWords();
    def.LoadHeadNotes();
    return def;
  }

  void AddPrintRows(int flag, const std::string& mode) { SmAddPrintRows(*m_db, flag, mode); }
  long PrintRows(int flag, const std::string& mode) { return SmPrintRows(*m_db, flag, mode); }

  CSmApp m_app;
  std::unique_ptr<CSmDatabase> m_db;
};

TEST_P(FormStorageTest, WholeDefinitionRoundTrips) {
  CSmFormDef def = Sample(260, 3);
  ASSERT_TRUE(def.Save());
  const CSmFormDef loaded = Loaded(260, 3);
  EXPECT_EQ(loaded.bPageSum, 1);
  EXPECT_EQ(loaded.sFna, "“甘蔗”收购 O'Neil 表");
  EXPECT_EQ(loaded.m_cols[1].sFormula, "单价/NUMBER/RIGHT/011/0/#c1||#c2 // 'x'");
  EXPECT_TRUE(loaded == SampleAsLoaded(260, 3));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_P(FormStorageTest, NotesLoadInPositionOrder) {
  CSmFormDef def = Sample(260, 3);  // the note at 40 % is inserted before the one at 5 %
  ASSERT_TRUE(def.Save());
  const CSmFormDef loaded = Loaded(260, 3);
  ASSERT_EQ(loaded.m_headNotes.size(), 2u);
  EXPECT_EQ(loaded.m_headNotes[0].nColPecent, 1005);
  EXPECT_EQ(loaded.m_headNotes[1].nColPecent, 1040);
}

TEST_P(FormStorageTest, UnknownKeyLoadsNothing) {
  CSmFormDef def = Sample(260, 3);
  EXPECT_FALSE(def.LoadList());
  EXPECT_EQ(def.sFna, "");
  EXPECT_EQ(def.nOpen, 0);
  EXPECT_EQ(def.nTopNum, 0);
  EXPECT_EQ(def.bPageSum, 0);
  EXPECT_EQ(def.LoadCols(), 0);
}

TEST_P(FormStorageTest, DeleteTakesThePrintSettingsOfThatKindOnly) {
  ASSERT_TRUE(Sample(260, 3).Save());
  ASSERT_TRUE(Sample(260, 13).Save());
  AddPrintRows(260, "3");
  AddPrintRows(260, "13");
  AddPrintRows(261, "3");
  ASSERT_TRUE(DeleteFormDef(260, 3, m_db.get()));
  EXPECT_FALSE(Loaded(260, 3).LoadList());
  EXPECT_EQ(PrintRows(260, "3"), 0);
  EXPECT_EQ(PrintRows(260, "13"), 3);
  EXPECT_EQ(PrintRows(261, "3"), 3);
  EXPECT_TRUE(Loaded(260, 13) == SampleAsLoaded(260, 13));
}

TEST_P(FormStorageTest, FailedReplaceKeepsTheStoredDefinition) {
  const CSmFormDef stored = Sample(260, 3);
  ASSERT_TRUE(CSmFormDef(stored).Save());
  CSmFormDef changed = Sample(260, 3);
  changed.sFna = "新表";
  changed.m_cols.pop_back();
  m_db->ExecuteSQL("Drop Table SmFormHeadNote");  // the last step of the replace fails
  CSmMessageService::Instance().QueueAnswer(SM_IDOK);
  EXPECT_FALSE(changed.Replace());
  EXPECT_NE(CSmMessageService::Instance().LastText().find("执行下列SQL语句时出错！"),
            std::string::npos);
  CSmFormDef loaded = Loaded(260, 3);
  EXPECT_EQ(loaded.sFna, stored.sFna);
  EXPECT_EQ(loaded.m_cols.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Engines, FormStorageTest, ::testing::Values(0, 2),
                         [](const auto& info) { return info.param == 0 ? "DataFile" : "Server"; });

}  // namespace
