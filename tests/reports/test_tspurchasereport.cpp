// The purchase and freight statistics on fixture tickets: which tickets count, the levels and
// their roll-up, the quantity range on single households, the estimates and rates, the freight
// weight, flat driver codes and a kind without ticket items.
#include <gtest/gtest.h>

#include <map>

#include "cane/TsDataType.h"
#include "core/SmString.h"
#include "reports/TsReportDoc1.h"
#include "tests/cane/TsFileTest.h"
#include "tests/reports/TsReportDirs.h"

namespace {

// Per row: code, name and the values that matter to a case.
struct Line {
  std::string code, name;
  double count, rate, area, output, weight, price, amount, payable;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& l) {
  return out << l.code << " " << l.name << " n=" << l.count << " rate=" << l.rate
             << " area=" << l.area << " out=" << l.output << " w=" << l.weight << " pr=" << l.price
             << " amt=" << l.amount << " pay=" << l.payable;
}

class TsPurchaseReportTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run(TsReportDirectoryRows());
    Run({
        // farmer, driver, gross, tare, impurity, cane amount, items 1 and 2, freight, item 7
        Ticket("20160301", "000001", "103", "10101001", "1", 30, 10, 0.5, 9750, 20, 5, 400, 10),
        Ticket("20160302", "000002", "103", "10101002", "12", 25, 10, 0, 7500, 0, 0, 300, 0),
        Ticket("20160303", "000003", "103", "20101001", "12", 70, 10, 0, 30000, 0, 0, 1200, 0),
        Ticket("20160304", "000004", "104", "20101001", "1", 60, 10, 0, 25000, 0, 0, 1000, 0),
        Ticket("20160305", "000005", "", "10101001", "1", 40, 0, 0, 0, 0, 0, 0, 0),
        Ticket("20160401", "000006", "103", "10101001", "1", 15, 10, 0, 2500, 0, 0, 100, 0),
        // area and output estimates of the farmers
        "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1,MY0,FK) "
        "Values('0','6','20160310','01','000001','20101001','','102','',2.5,100,0,0)",
        "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1,MY0,FK) "
        "Values('0','5','20160310','01','000002','10101001','','102','',1.25,0,0,0)",
    });
  }

  static std::string Ticket(const char* date, const char* number, const char* tare,
                            const char* farmer, const char* driver, double gross, double tareWt,
                            double impurity, double amount, double item1, double item2,
                            double freight, double item7) {
    return FormatStr(
        "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,"
        "KNO0,KNO1,KNO2,KNO3,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,"
        "MY10,MY11,FK,PRT0,PRT1) Values('%s','080000','%s','102','%s','','','','','','','','',"
        "'','','%s','%s','012','101',%g,%g,%g,0,500,20,%g,%g,%g,0,0,0,%g,%g,0,0,0,0,0,0,0)",
        date, number, tare, farmer, driver, gross, tareWt, impurity, amount, item1, item2, freight,
        item7);
  }

  TsPurchaseQuery Query(int kind = 0, int rowKind = 0, int level = 0) {
    TsPurchaseQuery q;
    q.nSettleKind = kind;
    q.sDateFrom = "20160301";
    q.sDateTo = "20160331";
    q.nRowKind = rowKind;
    q.nLevel = level;
    return q;
  }

  std::vector<Line> Fill(const TsPurchaseQuery& q) {
    CTsReportRow work(TsPurchaseValueCount(q.nSettleKind));
    std::vector<CTsReportRow> rows;
    m_count = FillPurchase(q, work, rows, &m_db);
    m_values = rows.empty() ? 0 : rows[0].Values.size();
    std::vector<Line> lines;
    for (const CTsReportRow& r : rows) {
      const auto& v = r.Values;
      lines.push_back({r.sCode, r.sName, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v.back()});
    }
    return lines;
  }

  int m_count = 0;
  size_t m_values = 0;
};

INSTANTIATE_TEST_SUITE_P(Engines, TsPurchaseReportTest, testing::Values(0, 2));

}  // namespace

TEST_P(TsPurchaseReportTest, TaredTicketsOfThePeriodByFarmerAtTheFirstAndLastLevel) {
  // Cane: net of impurity; payable = amount + supplement - deductions; 王五 delivered 110
  // against an estimate of 100; 张三 has an estimate of area only.
  EXPECT_EQ(Fill(Query()), (std::vector<Line>{
                               {"1", "东镇", 2, 0, 1.25, 0, 34.5, 500, 17250, 17265},
                               {"2", "西镇", 2, 10, 2.5, 100, 110, 500, 55000, 55000},
                           }));
  EXPECT_EQ(m_count, 2);
  EXPECT_EQ(m_values, 11u);  // three cane ticket items and the payable
  EXPECT_EQ(Fill(Query(0, 0, 3)),
            (std::vector<Line>{
                {"1", "东镇", 2, 0, 1.25, 0, 34.5, 500, 17250, 17265},
                {"101", "  一村", 2, 0, 1.25, 0, 34.5, 500, 17250, 17265},
                {"10101", "    一组", 2, 0, 1.25, 0, 34.5, 500, 17250, 17265},
                {"10101001", "      张三", 1, 0, 1.25, 0, 19.5, 500, 9750, 9765},
                {"10101002", "      李四", 1, 0, 0, 0, 15, 500, 7500, 7500},
                {"2", "西镇", 2, 10, 2.5, 100, 110, 500, 55000, 55000},
                {"201", "  三村", 2, 10, 2.5, 100, 110, 500, 55000, 55000},
                {"20101", "    三组", 2, 10, 2.5, 100, 110, 500, 55000, 55000},
                {"20101001", "      王五", 2, 10, 2.5, 100, 110, 500, 55000, 55000},
            }));
}

TEST_P(TsPurchaseReportTest, OperatorsUntaredOnlyAndFilters) {
  TsPurchaseQuery q = Query();
  q.sOprCode[1] = "104";
  EXPECT_EQ(Fill(q)[1].weight, 50);
  EXPECT_EQ(Fill(q)[0].count, 0);
  // Untared only ignores the tare operator.
  q.bUntaredOnly = 1;
  std::vector<Line> lines = Fill(q);
  EXPECT_EQ(lines[0].count, 1);
  EXPECT_EQ(lines[0].weight, 40);
  EXPECT_EQ(lines[1].count, 0);
  q = Query();
  q.sFilter[0] = "2";
  lines = Fill(q);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].code, "2");
  q = Query();
  q.sFilter[1] = "12";  // a driver filter on a farmer report
  lines = Fill(q);
  EXPECT_EQ(lines[0].weight, 15);
  EXPECT_EQ(lines[1].weight, 60);
}

TEST_P(TsPurchaseReportTest, QuantityRangeKeepsSingleHouseholdsAndTheirParentsSumOnlyThose) {
  TsPurchaseQuery q = Query();
  q.sQtyRange[0] = "16";
  std::vector<Line> lines = Fill(q);
  EXPECT_EQ(lines[0].count, 1);  // 张三 19.5 in, 李四 15 out
  EXPECT_EQ(lines[0].weight, 19.5);
  EXPECT_EQ(lines[1].weight, 110);
  q.sQtyRange[1] = "100";
  lines = Fill(q);
  EXPECT_EQ(lines[0].weight, 19.5);
  EXPECT_EQ(lines[1].weight, 0);
  EXPECT_EQ(lines[1].output, 100);  // the estimate is not ranged
}

TEST_P(TsPurchaseReportTest, FreightByDriverWithFlatCodesAndWeightWithImpurity) {
  ASSERT_EQ(m_type->m_intParams[14], 0);
  // "1" does not collect "12"; the freight weight keeps the impurity (20 for the first ticket).
  EXPECT_EQ(Fill(Query(1, 1, 2)), (std::vector<Line>{
                                      {"1", "甲车", 2, 0, 0, 0, 70, 20, 1400, 1410},
                                      {"12", "乙车", 2, 0, 0, 0, 75, 20, 1500, 1500},
                                  }));
  EXPECT_EQ(m_values, 10u);
  m_type->m_intParams[14] = 1;
  EXPECT_EQ(Fill(Query(1, 1, 2))[0].weight, 69.5);
}

TEST_P(TsPurchaseReportTest, WithoutTicketItemsRowsHaveSevenValues) {
  for (int i = 0; i < 5; ++i) m_type->m_strParams[i].clear();
  m_type->BuildItemTables();
  const std::vector<Line> lines = Fill(Query(0, 3, 1));
  EXPECT_EQ(m_values, 7u);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].code, "101");
  EXPECT_EQ(lines[1].weight, 144.5);
  EXPECT_EQ(lines[1].payable, 72250);  // the last value is the amount
}
