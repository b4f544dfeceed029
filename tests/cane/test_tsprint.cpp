// Print variables of the ticket and slips and the page defaults of the cane reports.
#include <gtest/gtest.h>

#include <map>

#include "core/SmDatabase.h"
#include "tests/cane/TsTestApp.h"
#include "tests/common/SmTestDataFile.h"
#include "ui/SmPrintInfo.h"

TEST_F(TsAppTest, PrintTemplatesAndTheirVariables) {
  CSmPrintVarList templates;
  m_type->GetPrintVariables(-5, templates);
  const CSmPrintVarList expected = {
      {"9601", "过磅单", ""}, {"9602", "蔗款结算单", ""}, {"9603", "运费结算单", ""}};
  EXPECT_EQ(templates, expected);

  CSmPrintVarList ticket;
  m_type->GetPrintVariables(9601, ticket);
  ASSERT_EQ(ticket.size(), 43u);
  EXPECT_EQ(ticket.front()[2], "300 400 14 400 0 0 宋体");
  EXPECT_EQ(ticket.back()[2], "300 2920 14 400 0 0 宋体");
  const std::map<size_t, std::array<std::string, 2>> ticketRows = {
      {2, {"1级农户区划名", "#qhnh0"}},
      {6, {"5级农户区划名", "#qhnh4"}},
      {14, {"打印时间", "#py年#pm月#pd日#pH日#pM分#pS秒"}},
      {15, {"限载数", "#xzx～#xzs"}},
      {33, {"应(代)扣(补)蔗款项目1", "#gbz01"}},
      {42, {"应(代)扣(补)运费项目5", "#gby05"}}};
  for (const auto& [i, row] : ticketRows) {
    EXPECT_EQ(ticket[i][0], row[0]) << i;
    EXPECT_EQ(ticket[i][1], row[1]) << i;
  }

  CSmPrintVarList cane;
  CSmPrintVarList freight;
  m_type->GetPrintVariables(9602, cane);
  m_type->GetPrintVariables(9603, freight);
  ASSERT_EQ(cane.size(), 45u);
  EXPECT_EQ(cane, freight);
  EXPECT_EQ(cane[28][1], "#gb05");
  EXPECT_EQ(cane[43][0], "结算单单列款项15");
  EXPECT_EQ(cane[43][1], "#js15");
  EXPECT_EQ(cane[44][1], "#ds");
  EXPECT_EQ(cane[44][2], "300 3040 14 400 0 0 宋体");

  CSmPrintVarList other;
  m_type->GetPrintVariables(9000, other);
  EXPECT_TRUE(other.empty());
}

TEST_F(TsAppTest, ReportKindsDefaultToLandscapeA4) {
  CSmPrintInfo portrait;
  for (int kind : {255, 256}) {
    CSmPrintInfo info;
    info.LoadDefault(kind, "x");
    EXPECT_TRUE(info == portrait) << kind;
  }

  CSmDatabase db;
  ASSERT_TRUE(db.Open(SmCreateTestDataFile(2016)));
  CSmPrintInfo::CreateSmFontTable(&db);
  CSmPrintInfo::CreateSmPageSetTable(&db);
  CSmPrintInfo fromDefaults;
  fromDefaults.LoadDefault(257, "x");
  CSmPrintInfo fromFile;  // no stored row: the defaults, turned once
  fromFile.Load(&db, 272, "x");
  for (const CSmPrintInfo* info : {&fromDefaults, &fromFile}) {
    EXPECT_EQ(info->PageWidth, 2970);
    EXPECT_EQ(info->PageLength, 2100);
    EXPECT_EQ(info->PageCopies, 0);
    EXPECT_EQ(
        (std::array<int, 4>{info->PageLeft, info->PageTop, info->PageRight, info->PageBottom}),
        (std::array<int, 4>{150, 250, 100, 200}));
    EXPECT_EQ(info->PageRow, 22);
    EXPECT_EQ(info->m_fonts[2].height, -12);
    EXPECT_EQ(info->m_fonts[1].height, -14);
  }

  // Saved and loaded again it stays landscape.
  ASSERT_TRUE(fromDefaults.Save(&db, 257, "x"));
  CSmPrintInfo saved;
  saved.Load(&db, 257, "x");
  EXPECT_EQ(saved.PageWidth, 2970);
  EXPECT_EQ(saved.PageLength, 2100);
}
