// The daily purchase report on fixture tickets: which tickets count in the day, month and year,
// the ticket count up to the date, the quantity range on single households, flat driver codes
// and the weight net of impurity for freight too.
#include <gtest/gtest.h>

#include "cane/TsDataType.h"
#include "core/SmString.h"
#include "reports/TsReportDoc5.h"
#include "tests/cane/TsFileTest.h"
#include "tests/reports/TsReportDirs.h"

namespace {

struct Line {
  std::string code, name;
  std::vector<double> values;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& l) {
  out << l.code << " " << l.name;
  for (double v : l.values) out << " " << v;
  return out;
}

class TsDailyReportTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run(TsReportDirectoryRows());
    Run({
        // date, number, tare operator, farmer, driver, gross, tare, impurity, amount, freight
        Ticket("20160315", "000001", "103", "10101001", "1", 30, 10, 0.5, 9750, 400),
        Ticket("20160301", "000002", "103", "10101002", "12", 25, 10, 0, 7500, 300),
        Ticket("20160210", "000003", "103", "20101001", "12", 70, 10, 0, 30000, 1200),
        Ticket("20160316", "000004", "104", "20101001", "1", 60, 10, 0, 25000, 1000),
        Ticket("20160315", "000005", "", "10101001", "1", 40, 0, 0, 0, 0),
    });
  }

  static std::string Ticket(const char* date, const char* number, const char* tare,
                            const char* farmer, const char* driver, double gross, double tareWt,
                            double impurity, double amount, double freight) {
    return FormatStr(
        "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,"
        "KNO0,KNO1,KNO2,KNO3,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,"
        "MY10,MY11,FK,PRT0,PRT1) Values('%s','080000','%s','102','%s','','','','','','','','',"
        "'','','%s','%s','012','101',%g,%g,%g,0,500,20,%g,0,0,0,0,0,%g,0,0,0,0,0,0,0,0)",
        date, number, tare, farmer, driver, gross, tareWt, impurity, amount, freight);
  }

  static TsPurchaseQuery Query(int rowKind = 0, int level = 0) {
    TsPurchaseQuery q;
    q.sDateFrom = "20160315";
    q.nRowKind = rowKind;
    q.nLevel = level;
    return q;
  }

  std::vector<Line> Fill(const TsPurchaseQuery& q) {
    CTsReportRow work(10);
    std::vector<CTsReportRow> rows;
    m_count = FillDaily(q, work, rows, &m_db);
    std::vector<Line> lines;
    for (const CTsReportRow& r : rows) lines.push_back({r.sCode, r.sName, r.Values});
    return lines;
  }

  int m_count = 0;
};

INSTANTIATE_TEST_SUITE_P(Engines, TsDailyReportTest, testing::Values(0, 2));

}  // namespace

TEST_P(TsDailyReportTest, DayMonthAndYearColumnsAndTheCountUpToTheDate) {
  // 张三 weighed on the date, 李四 on the first of the month, 王五 in February and once after
  // the date; the untared ticket counts nowhere.
  EXPECT_EQ(Fill(Query()),
            (std::vector<Line>{
                {"1", "东镇", {2, 19.5, 34.5, 34.5, 9750, 17250, 17250, 400, 700, 700}},
                {"2", "西镇", {1, 0, 0, 60, 0, 0, 30000, 0, 0, 1200}},
            }));
  EXPECT_EQ(m_count, 2);
  const std::vector<Line> lines = Fill(Query(0, 3));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[4], (Line{"10101002", "      李四", {1, 0, 15, 15, 0, 7500, 7500, 0, 300, 300}}));
  // Untared only and a tare operator.
  TsPurchaseQuery q = Query();
  q.bUntaredOnly = 1;
  EXPECT_EQ(Fill(q)[0].values, (std::vector<double>{1, 40, 40, 40, 0, 0, 0, 0, 0, 0}));
  q = Query();
  q.sOprCode[1] = "104";
  EXPECT_EQ(Fill(q)[1].values[0], 0);  // the ticket of the 16th is after the date
}

TEST_P(TsDailyReportTest, QuantityRangeOnWholeHouseholdsUpToTheDate) {
  struct Case {
    const char* lower;
    const char* upper;
    double east, west;  // year weights of the two towns
  };
  const Case cases[] = {
      {"16", "", 19.5, 60},  // 李四 (15) out
      {"", "50", 34.5, 0},   // only the upper bound, after " Having": 王五 (60) out
      {"16", "50", 19.5, 0},
  };
  for (const Case& c : cases) {
    TsPurchaseQuery q = Query();
    q.sQtyRange[0] = c.lower;
    q.sQtyRange[1] = c.upper;
    const std::vector<Line> lines = Fill(q);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].values[3], c.east) << c.lower << ".." << c.upper;
    EXPECT_EQ(lines[1].values[3], c.west) << c.lower << ".." << c.upper;
  }
}

TEST_P(TsDailyReportTest, DriversIgnoreTheLevelAndWeightsStayNetOfImpurity) {
  const std::vector<Line> drivers = Fill(Query(1, 0));
  EXPECT_EQ(drivers, (std::vector<Line>{
                         {"1", "甲车", {1, 19.5, 19.5, 19.5, 9750, 9750, 9750, 400, 400, 400}},
                         {"12", "乙车", {2, 0, 15, 75, 0, 7500, 37500, 0, 300, 1500}},
                     }));
  EXPECT_EQ(Fill(Query(1, 3)), drivers);
  // The freight weight parameter does not apply to this report.
  m_type->m_intParams[14] = 1 - m_type->m_intParams[14];
  EXPECT_EQ(Fill(Query(1, 0)), drivers);
}
