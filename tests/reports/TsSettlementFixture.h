#pragma once
// Settled tickets and slip deduction rows shared by the settlement and bank payment reports:
// 张三 (10101001) has two tickets on the unpaid slip 000001 with a loan and an advance
// deducted, 李四 (10101002) one ticket on slip 000002 paid by 103, 王五 (20101001) one on the
// unpaid slip 000003 of settler 104; tickets outside the period or unsettled do not count.
// The freight of 张三's first ticket is settled to 乙车 (12).
#include <string>
#include <vector>

#include "core/SmString.h"

struct TsSettledTicket {
  const char* number;
  const char* farmer;
  const char* driver;
  double gross, tare;
  double amount, subsidy, haul, overload, road;  // MY0 and the cane ticket items MY1-MY4
  const char* slipDate;
  const char* slip;
  const char* settler;
  const char* payer;
  double freight, emptyRun;  // MY6, MY7
  const char* freightSlip;
};

inline std::string TsSettledTicketRow(const TsSettledTicket& t) {
  const bool freight = t.freightSlip[0] != '\0';
  return FormatStr(
      "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,"
      "KNO0,KNO1,KNO2,KNO3,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,"
      "MY10,MY11,FK,PRT0,PRT1) Values('20160301','080000','%s','102','103','%s','%s','%s','','',"
      "'','%s','%s','%s','%s','%s','%s','012','101',%g,%g,0,0,500,20,%g,%g,%g,%g,%g,0,%g,%g,0,0,0,"
      "0,0,0,0)",
      t.number, t.settler, freight ? "102" : "", t.payer, t.slipDate, freight ? "20160310" : "",
      t.slip, t.freightSlip, t.farmer, t.driver, t.gross, t.tare, t.amount, t.subsidy, t.haul,
      t.overload, t.road, t.freight, t.emptyRun);
}

// A deduction row of a slip: party 0 farmers, 1 drivers; `item` is its MY column.
inline std::string TsDeductionRow(int party, const char* slip, const char* household,
                                  const char* date, const char* settler, const char* payer,
                                  int item, double amount) {
  std::string columns, values;
  for (int i = 0; i < 15; ++i) {
    columns += FormatStr(",MY%d", i);
    values += FormatStr(",%.2f", i == item ? amount : 0.0);
  }
  return FormatStr(
      "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1%s,FK) Values('%d','0','%s',"
      "'000000','%s','%s','','%s','%s',0,0%s,0)",
      columns.c_str(), party, date, slip, household, settler, payer, values.c_str());
}

inline std::vector<std::string> TsSettlementRows() {
  std::vector<std::string> rows;
  const TsSettledTicket tickets[] = {
      {"000001", "10101001", "12", 30, 10, 10000, 20, 5, 0, 3, "20160310", "000001", "102", "", 400,
       10, "000001"},
      {"000002", "10101001", "1", 20, 10, 5000, 0, 0, 0, 0, "20160310", "000001", "102", "", 0, 0,
       ""},
      {"000003", "10101002", "1", 25, 10, 7500, 0, 0, 0, 0, "20160312", "000002", "102", "103", 0,
       0, ""},
      {"000004", "20101001", "1", 70, 10, 30000, 0, 0, 100, 0, "20160315", "000003", "104", "", 0,
       0, ""},
      {"000005", "20101001", "1", 50, 10, 20000, 0, 0, 0, 0, "", "", "", "", 0, 0, ""},
      {"000006", "10101001", "1", 40, 10, 15000, 0, 0, 0, 0, "20160401", "000004", "102", "", 0, 0,
       ""},
  };
  for (const TsSettledTicket& t : tickets) rows.push_back(TsSettledTicketRow(t));
  // 扣贷款 is MY0 of a farmer's slip, 预付款 MY1, 周转金 MY2; 养路费 MY0 of a driver's.
  rows.push_back(TsDeductionRow(0, "000001", "10101001", "20160310", "102", "", 0, 50));
  rows.push_back(TsDeductionRow(0, "000001", "10101001", "20160310", "102", "", 1, 100));
  rows.push_back(TsDeductionRow(0, "000002", "10101002", "20160312", "102", "103", 1, 30));
  rows.push_back(TsDeductionRow(0, "000003", "20101001", "20160315", "104", "", 2, 200));
  rows.push_back(TsDeductionRow(0, "", "10101001", "20160310", "102", "", 1, 999));
  rows.push_back(TsDeductionRow(0, "000004", "10101001", "20160401", "102", "", 1, 77));
  rows.push_back(TsDeductionRow(1, "000001", "12", "20160310", "102", "", 0, 8));
  return rows;
}
