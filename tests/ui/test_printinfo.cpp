// Print settings kept per document kind and mode, on the data file and on the server.
#include <gtest/gtest.h>

#include "core/SmQuery.h"
#include "tests/core/test_db_fixture.h"
#include "tests/core/test_server_fixture.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrintInfo.h"

namespace {

// Kind 0 on a data file, kind 2 on the test server.
class PrintInfoTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (GetParam() == 0) {
      m_path = SmFreshDataFile(SmServerTestName("pi"));
      ASSERT_TRUE(m_db.Open(m_path));
    } else {
      m_name = SmServerTestName("pi");
      ASSERT_NO_FATAL_FAILURE(SmFreshServerDatabase(m_db, m_name));
    }
    CSmPrintInfo::CreateSmFontTable(&m_db);
    CSmPrintInfo::CreateSmPageSetTable(&m_db);
    SmResetMessages();
  }
  // A second connection to the same data.
  void Reconnect(CSmDatabase& other) {
    if (GetParam() == 0) {
      ASSERT_TRUE(other.Open(m_path));
    } else {
      ASSERT_TRUE(other.Open(m_name, SmPgLogin(GetParam())));
    }
  }
  long Count(const std::string& sql) { return m_db.QueryInt(sql); }

  CSmDatabase m_db{GetParam()};
  std::string m_path;
  std::string m_name;
};

CSmPrintInfo ChangedSettings() {
  CSmPrintInfo info;
  info.PageCopies = 0;  // landscape: the page as oriented
  info.PageWidth = 2970;
  info.PageLength = 2100;
  info.PageLeft = 150;
  info.PageRow = 22;
  info.TextColor = 0x0000FF;  // red
  info.m_fonts[1].weight = 700;
  info.m_fonts[1].underline = true;
  info.m_fonts[2].faceName = "黑体";
  info.m_fonts[2].height = -12;
  info.m_fonts[3].faceName = "O'Brien";
  info.m_widths = {80, 120, 60};
  return info;
}

const char* kMode = "磅单'列表";

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, PrintInfoTest, testing::Values(0, 2));

TEST_P(PrintInfoTest, SavedSettingsReadBackFromAFreshConnection) {
  const CSmPrintInfo saved = ChangedSettings();
  ASSERT_TRUE(saved.Save(&m_db, 7, kMode));
  // Stored in portrait terms.
  EXPECT_EQ(Count("SELECT PageWidth FROM SMPAGESET WHERE nFlag=7"), 2100);

  CSmDatabase other(GetParam());
  ASSERT_NO_FATAL_FAILURE(Reconnect(other));
  CSmPrintInfo loaded;
  loaded.Load(&other, 7, kMode);
  EXPECT_TRUE(loaded == saved);
  EXPECT_EQ(loaded.PageWidth, 2970);
  EXPECT_EQ(loaded.PageLength, 2100);
  EXPECT_EQ(loaded.m_fonts[2].faceName, "黑体");
  EXPECT_EQ(loaded.m_fonts[3].faceName, "O'Brien");
  EXPECT_EQ(loaded.m_mode, kMode);
  EXPECT_EQ(loaded.TextColor, 0x0000FFu);

  // Another kind, or another mode, has nothing stored: the defaults.
  CSmPrintInfo other7;
  other7.Load(&other, 7, "其他");
  EXPECT_TRUE(other7 == CSmPrintInfo());
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 0u);
}

TEST_P(PrintInfoTest, FontsWithoutAPageRowGiveTheDefaultPage) {
  ASSERT_TRUE(ChangedSettings().Save(&m_db, 3, "A"));
  ASSERT_TRUE(m_db.ExecuteSQL("DELETE FROM SMPAGESET WHERE nFlag=3"));
  CSmPrintInfo loaded;
  loaded.Load(&m_db, 3, "A");
  const CSmPrintInfo defaults;
  EXPECT_EQ(loaded.PageWidth, defaults.PageWidth);
  EXPECT_EQ(loaded.PageCopies, 1);
  EXPECT_EQ(loaded.PageRow, defaults.PageRow);
  EXPECT_EQ(loaded.m_fonts[2].faceName, "黑体");
  EXPECT_EQ(loaded.m_fonts[1].weight, 700);
  EXPECT_EQ(loaded.m_widths, ChangedSettings().m_widths);
}

TEST_P(PrintInfoTest, NoWidthsLeaveNoWidthRows) {
  CSmPrintInfo info = ChangedSettings();
  ASSERT_TRUE(info.Save(&m_db, 5, "B"));
  EXPECT_EQ(Count("SELECT Count(*) FROM FIELDWIDTH WHERE NFLAG=5"), 3);
  info.m_widths.clear();
  ASSERT_TRUE(info.Save(&m_db, 5, "B"));
  EXPECT_EQ(Count("SELECT Count(*) FROM FIELDWIDTH WHERE NFLAG=5"), 0);
  EXPECT_EQ(Count("SELECT Count(*) FROM SMPAGESET WHERE nFlag=5"), 1);
  EXPECT_EQ(Count("SELECT Count(*) FROM SMFONT WHERE nFlag=5"), 4);
}

TEST_P(PrintInfoTest, AFailedSaveKeepsTheStoredSettings) {
  const CSmPrintInfo first = ChangedSettings();
  ASSERT_TRUE(first.Save(&m_db, 9, "C"));
  ASSERT_TRUE(m_db.ExecuteSQL("DROP TABLE FIELDWIDTH"));
  CSmPrintInfo second;
  second.m_widths = {1};
  SmResetMessages();
  EXPECT_FALSE(second.Save(&m_db, 9, "C"));
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 1u);  // the failed statement
  CSmPrintInfo loaded;
  loaded.Load(&m_db, 9, "C");
  EXPECT_EQ(loaded.PageRow, first.PageRow);
  EXPECT_EQ(loaded.m_fonts[2].faceName, "黑体");
}

TEST(PrintInfo, EqualityLeavesOutTheModeAndDefaultsComeFromTheModules) {
  CSmPrintInfo a;
  CSmPrintInfo b;
  b.m_mode = "other";
  EXPECT_TRUE(a == b);
  b.m_widths = {1};
  EXPECT_TRUE(a != b);
  b = a;
  b.m_fonts[0].faceName = "宋体";
  EXPECT_TRUE(a != b);

  SmGetPrintHooks().notifyTypes = [](int flag, const std::string&, CSmPrintInfo* info) {
    if (flag > 256) info->PageRow = 22;
  };
  a.LoadDefault(300, "x");
  b.LoadDefault(12, "x");
  SmGetPrintHooks() = {};
  EXPECT_EQ(a.PageRow, 22);
  EXPECT_EQ(b.PageRow, 25);
}
