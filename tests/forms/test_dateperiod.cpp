// Periods: completion, day counts (exact and with thirty-day months) and captions.
#include <gtest/gtest.h>

#include "forms/SmDatePeriod.h"

namespace {

TEST(DatePeriod, CompletesYearsAndMonths) {
  struct Case {
    const char *from, *to, *wantFrom, *wantTo;
    bool ok;
  } const cases[] = {
      {"2016", "2016", "20160101", "20161231", true},
      {"201602", "201602", "20160201", "20160229", true},
      {"20160215", "201702", "20160215", "20170228", true},
      {"20161", "2016", "20161", "20161231", false},
  };
  for (const Case& c : cases) {
    std::string from = c.from, to = c.to;
    EXPECT_EQ(CompletePeriod(from, to), c.ok) << c.from;
    EXPECT_EQ(from, c.wantFrom);
    EXPECT_EQ(to, c.wantTo);
  }
}

TEST(DatePeriod, CountsDays) {
  struct Case {
    const char* name;
    const char *from, *to;
    bool thirty;
    int days;
  } const cases[] = {
      {"31 Jan to 28 Feb, thirty-day months", "20160131", "20160228", true, 28},
      {"15 Jan to 15 Mar, thirty-day months", "20160115", "20160315", true, 60},
      {"15 Jan to 15 Mar, exact (leap year)", "20160115", "20160315", false, 60},
      {"exact across years", "20151231", "20170101", false, 367},
      {"thirty-day months across years", "20151130", "20160115", true, 46},
      {"reversed", "20160315", "20160115", true, -60},
      {"reversed exact", "20160201", "20160101", false, -31},
      {"equal", "20160315", "20160315", false, 0},
      {"a whole year", "2016", "2016", false, 365},
      {"five digits", "20161", "20161231", false, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(DaysBetween(c.from, c.to, c.thirty), c.days) << c.name;
  EXPECT_EQ(DaysBetweenDates(2000, 2, 28, 2000, 3, 1), 2);
  EXPECT_EQ(DaysBetweenDates(1900, 2, 28, 1900, 3, 1), 1);
}

TEST(DatePeriod, WritesCaptions) {
  struct Case {
    const char *from, *to, *sep;
    bool compact;
    const char* caption;
  } const cases[] = {
      {"2016", "2016", "", true, "2016年"},
      {"2016", "2016", "-", true, "2016"},
      {"201601", "201606", "", true, "2016年01月～06月"},
      {"201601", "201606", ".", true, "2016.01～06"},
      {"20160301", "", "", true, "2016年03月01日"},
      {"20160301", "20160301", "-", true, "2016-03-01"},
      {"201602", "201602", "", true, "2016年02月"},
      {"2015", "2016", "", true, "2015年～2016年"},
      {"2015", "2016", "/", true, "2015～2016"},
      {"201511", "201602", "", true, "2015年11月～2016年02月"},
      {"20160303", "20160320", "", true, "2016年03月03日～20日"},
      {"20160303", "20160320", "-", true, "2016-03-03～20"},
      {"20160303", "20160420", "", true, "2016年03月03日～04月20日"},
      {"20151203", "20160420", "-", true, "2015-12-03～2016-04-20"},
      {"20160303", "20160420", "", false, "2016年03月03日～2016年04月20日"},
      {"201603", "", "", false, "2016年03月"},
      {"2016031", "20160420", "", true, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatPeriodCaption(c.from, c.to, c.sep, c.compact), c.caption)
        << c.from << " " << c.to << " '" << c.sep << "'";
  }
}

}  // namespace
