#include <gtest/gtest.h>

#include "core/SmDate.h"
#include "core/SmNumber.h"

TEST(Date, DaysInMonth) {
  struct Case {
    int year, month, days;
  } cases[] = {{1900, 2, 28}, {2000, 2, 29},  {2016, 2, 29}, {2017, 2, 28},
               {2017, 4, 30}, {2017, 12, 31}, {2017, 0, -1}, {2017, 13, -1}};
  for (const Case& c : cases) EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << c.month;
}

TEST(Date, ChineseDates) {
  EXPECT_EQ(DateToChineseText("20161219", ""), "2016年12月19日");
  EXPECT_EQ(DateToChineseText("20161219", "-"), "2016-12-19");
  EXPECT_EQ(DateToChineseText("201612", ""), "2016年12月");
  EXPECT_EQ(DateToChineseText("201612", "."), "2016.12");
  EXPECT_EQ(DateToChineseText("2016", ""), "2016年");
  EXPECT_EQ(DateToChineseText("", ""), "");
}

TEST(Date, NowAndYmdTexts) {
  const std::string now = NowText("%Y%m%d%H%M%S");
  EXPECT_EQ(now.size(), 14u);
  EXPECT_EQ(StrToIntDef(now.substr(4, 2), 0) >= 1, true);
  EXPECT_EQ(FormatYmd(std::time(nullptr)), now.substr(0, 8));
}
