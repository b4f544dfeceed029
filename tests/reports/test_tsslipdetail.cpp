// The ticket detail list on fixture tickets: the where clause of its choices, which tickets the
// states select, the row of one ticket, the columns per number of items, and the batch
// recalculation with its save on the data file and on the server.
#include <gtest/gtest.h>

#include <QCheckBox>

#include "cane/TsItems.h"
#include "core/SmString.h"
#include "forms/SmFormDef.h"
#include "platform/SmCommandIds.h"
#include "reports/TsReportDoc7.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmModalScript.h"
#include "tests/reports/TsReportDirs.h"

namespace {

struct Slip {
  const char* number;
  const char* date = "20160310";
  const char* opr[8] = {"102", "103", "", "", "", "", "", ""};
  const char* jn[2] = {"", ""};
  const char* farmer = "10101001";
  double gross = 30, tare = 10, impurity = 0.5;
  double my1 = 0;  // the stored first cane item
};

class TsSlipDetailTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run(TsReportDirectoryRows());
  }

  void Store(const std::vector<Slip>& slips) {
    for (const Slip& s : slips) {
      std::string oprs;
      for (const char* opr : s.opr) oprs += FormatStr("'%s',", opr);
      Run({FormatStr(
          "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,"
          "KNO0,KNO1,KNO2,KNO3,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,"
          "MY10,MY11,FK,PRT0,PRT1) Values('%s','080000','%s',%s'','','%s','%s','%s','12','012',"
          "'101',%g,%g,%g,2.5,500,20,9750,%.6f,0,0,4,0,390,1.5,0,0,0,0,0,0,0)",
          s.date, s.number, oprs.c_str(), s.jn[0], s.jn[1], s.farmer, s.gross, s.tare, s.impurity,
          s.my1)});
    }
  }

  // Ticket items: cane category 0 "补助款" 20 per ton and "扣义运", category 1 "扣修路费";
  // freight category 0 "放空补助"; no freight withholding.
  void Items(const char* subsidy = "补助款\t0+\t20*#sl") {
    for (int i = 0; i < 10; ++i) m_type->m_strParams[i].clear();
    m_type->m_strParams[0] = subsidy;
    m_type->m_strParams[1] = "扣义运\t0-\t#sl*2";
    m_type->m_strParams[3] = "扣修路费\t1-\t#sl*1";
    m_type->m_strParams[5] = "放空补助\t0+\t#sl*3";
    m_type->BuildItemTables();
  }

  std::string Numbers(const TsSlipQuery& q) {
    std::vector<CTsgbRec> tickets;
    std::vector<TsSlipNames> names;
    const int count = LoadSlipTickets(q, tickets, names, &m_db);
    std::string numbers;
    for (const CTsgbRec& t : tickets) numbers += (numbers.empty() ? "" : " ") + t.DH;
    EXPECT_EQ(count, static_cast<int>(tickets.size()));
    return numbers;
  }

  static TsSlipQuery March() {
    TsSlipQuery q;
    q.sDateFrom = "20160301";
    q.sDateTo = "20160331";
    return q;
  }

  // The first cane item of every ticket by number.
  std::string Subsidies() {
    std::vector<CTsgbRec> tickets;
    CTsgbRec().Select("", "Order By DH", tickets, &m_db);
    std::string text;
    for (const CTsgbRec& t : tickets) text += FormatStr("%s%.6f", text.empty() ? "" : "|", t.MY[1]);
    return text;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsSlipDetailTest, testing::Values(0, 2));

}  // namespace

TEST_P(TsSlipDetailTest, ConditionOfStatesOperatorsFiltersAndRange) {
  struct Case {
    const char* name;
    std::function<void(TsSlipQuery&)> set;
    const char* tail;
  };
  const Case cases[] = {
      {"all", [](TsSlipQuery&) {}, ""},
      {"untared", [](TsSlipQuery& q) { q.nWeighState = 0; }, " And OPR1=''"},
      {"tared", [](TsSlipQuery& q) { q.nWeighState = 1; }, " And OPR1<>''"},
      {"cane unsettled", [](TsSlipQuery& q) { q.nSettleState[0] = 0; }, " And rtrim(JN0)=''"},
      {"freight unpaid", [](TsSlipQuery& q) { q.nSettleState[1] = 1; },
       " And OPR3<>'' And OPR5=''"},
      {"cane unreviewed", [](TsSlipQuery& q) { q.nSettleState[0] = 2; },
       " And OPR4<>'' And OPR6=''"},
      {"freight reviewed", [](TsSlipQuery& q) { q.nSettleState[1] = 3; }, " And OPR7<>''"},
      {"operators in group order",
       [](TsSlipQuery& q) {
         q.sOperator[3] = "105";
         q.sOperator[6] = "104";
         q.sOperator[0] = "102";
       },
       " And OPR0='102' And OPR6='104' And OPR3='105'"},
      {"filters",
       [](TsSlipQuery& q) {
         q.sFilter[0] = "101";
         q.sFilter[3] = "1";
       },
       " And KNO0 Like '101\a*\b' And KNO3 Like '1\a*\b'"},
      {"lower limit", [](TsSlipQuery& q) { q.sQtyRange[0] = "20"; }, " And MU0-MU1-MU2>=20"},
      {"upper limit only", [](TsSlipQuery& q) { q.sQtyRange[1] = "19.5"; },
       " And MU0-MU1-MU2<=19.5"},
      {"operator quoted", [](TsSlipQuery& q) { q.sOperator[1] = "1'2"; }, " And OPR1='1''2'"},
  };
  for (const Case& c : cases) {
    TsSlipQuery q = March();
    c.set(q);
    EXPECT_EQ(TsSlipConditions(q, &m_db),
              std::string("Where T>='20160301' And T<='20160331'") + c.tail)
        << c.name;
  }
}

TEST_P(TsSlipDetailTest, StatesSelectTheirTicketsInDateAndNumberOrder) {
  Store({
      {.number = "000005", .opr = {"102", "", "", "", "", "", "", ""}, .tare = 0},  // untared
      {.number = "000002"},                                                         // tared
      {.number = "000003", .opr = {"102", "103", "104", "", "", "", "", ""}, .jn = {"00001", ""}},
      {.number = "000004",
       .opr = {"102", "103", "104", "105", "106", "", "", ""},
       .jn = {"00002", "00003"}},
      {.number = "000001",
       .date = "20160311",
       .opr = {"102", "103", "104", "", "106", "", "107", ""},
       .jn = {"00004", ""},
       .farmer = "20101001",
       .gross = 60},
      {.number = "000006", .date = "20160401"},
  });
  struct Case {
    const char* name;
    std::function<void(TsSlipQuery&)> set;
    const char* numbers;
  };
  const Case cases[] = {
      {"all of March", [](TsSlipQuery&) {}, "000002 000003 000004 000005 000001"},
      {"untared", [](TsSlipQuery& q) { q.nWeighState = 0; }, "000005"},
      {"tared", [](TsSlipQuery& q) { q.nWeighState = 1; }, "000002 000003 000004 000001"},
      {"cane unsettled", [](TsSlipQuery& q) { q.nSettleState[0] = 0; }, "000002 000005"},
      {"cane settled unpaid", [](TsSlipQuery& q) { q.nSettleState[0] = 1; }, "000003"},
      {"cane paid unreviewed", [](TsSlipQuery& q) { q.nSettleState[0] = 2; }, "000004"},
      {"cane reviewed", [](TsSlipQuery& q) { q.nSettleState[0] = 3; }, "000001"},
      {"freight settled unpaid", [](TsSlipQuery& q) { q.nSettleState[1] = 1; }, "000004"},
      {"cane payer", [](TsSlipQuery& q) { q.sOperator[4] = "106"; }, "000004 000001"},
      {"farmer prefix", [](TsSlipQuery& q) { q.sFilter[0] = "201"; }, "000001"},
      {"net weight from 20", [](TsSlipQuery& q) { q.sQtyRange[0] = "20"; }, "000005 000001"},
      {"net weight up to 19.5", [](TsSlipQuery& q) { q.sQtyRange[1] = "19.5"; },
       "000002 000003 000004"},
  };
  for (const Case& c : cases) {
    TsSlipQuery q = March();
    c.set(q);
    EXPECT_EQ(Numbers(q), c.numbers) << c.name;
  }
}

TEST_P(TsSlipDetailTest, RowOfOneTicketWithNamesOperatorsAndItems) {
  Items();
  Store({{.number = "000003",
          .opr = {"102", "103", "102", "", "", "", "", ""},
          .jn = {"00001", ""},
          .my1 = 390}});
  std::vector<CTsgbRec> tickets;
  std::vector<TsSlipNames> names;
  ASSERT_EQ(LoadSlipTickets(March(), tickets, names, &m_db), 1);
  ASSERT_EQ(names.size(), 1u);
  // Two cane items and a withholding, one freight item: 18 + 4 values.
  ASSERT_EQ(TsSlipValueCount(), 22);
  CTsReportRow row(14, TsSlipValueCount());
  TsSlipDetailRow(tickets[0], names[0], row);
  EXPECT_EQ(row.sCode, "10101001");
  EXPECT_EQ(row.sName, "张三");
  EXPECT_EQ(row.Texts,
            (std::vector<std::string>{"03", "10", "000003", "12", "乙车", "101", "桂糖", "012",
                                      "北坡", "102", "103", "102-   ", "   -   ", "   -   "}));
  // Net 19.5 (freight 20 with the impurity); cane 9750 with +390 and -0, withheld 4; freight
  // 390 with +1.5.
  const std::vector<double> expected = {30, 10, 0.5, 2.5, 19.5,  500, 9750,  390, 10140, -4, 10136,
                                        20, 20, 390, 1.5, 391.5, 0,   391.5, 390, 0,     4,  1.5};
  ASSERT_EQ(row.Values.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_NEAR(row.Values[i], expected[i], 1e-9) << "value " << i;
}

TEST_P(TsSlipDetailTest, ItemColumnsWithTheirTotalsAndFirstVisibility) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, const char*>> items;
    std::vector<int> codes;  // field codes of the item part of the cane columns, as shown or not
  };
  // nType below 100: hidden at first.
  const Case cases[] = {
      {"one category-0 item", {{0, "补助款\t0+\t1"}}, {160, 138}},
      {"two category-0 items, one withholding",
       {{0, "补助款\t0+\t1"}, {1, "扣义运\t0-\t1"}, {2, "扣修路费\t1-\t1"}},
       {160, 161, 37, 138, 170, 140}},
      {"two withholdings", {{3, "甲\t1-\t1"}, {4, "乙\t1-\t1"}}, {170, 171, 39, 140}},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < 10; ++i) m_type->m_strParams[i].clear();
    for (const auto& [index, text] : c.items) m_type->m_strParams[index] = text;
    m_type->BuildItemTables();
    CTsReportDoc7 doc;
    CSmFormDef def;
    doc.DefineColumns(def);
    std::vector<int> codes;
    bool inItems = false;
    for (const CSmFormCol& col : def.m_cols) {
      if (col.FieldCode() == 36) inItems = true;
      if (col.FieldCode() == 13) break;
      if (inItems && col.FieldCode() != 36) codes.push_back(col.nType);
    }
    EXPECT_EQ(codes, c.codes) << c.name;
  }
  // Freight withholdings: the total starts shown.
  for (int i = 0; i < 10; ++i) m_type->m_strParams[i].clear();
  m_type->m_strParams[8] = "甲\t1-\t1";
  m_type->m_strParams[9] = "乙\t1-\t1";
  m_type->BuildItemTables();
  CTsReportDoc7 doc;
  CSmFormDef def;
  doc.DefineColumns(def);
  std::vector<int> types;
  for (const CSmFormCol& col : def.m_cols) types.push_back(col.nType);
  const std::vector<int> expected = {110, 111, 112, 1,   102, 130, 131, 132, 33,  134,
                                     135, 136, 13,  114, 151, 152, 190, 191, 155, 156,
                                     15,  16,  17,  18,  119, 120, 121, 122, 123};
  EXPECT_EQ(types, expected);
}

TEST_P(TsSlipDetailTest, RecalculationSkipsSettledKindsAndSavesInOneTransaction) {
  Items("补助款\t0+\t10*#sl");
  Store({
      {.number = "000001", .my1 = 195},  // stored as the old formula gave it
      {.number = "000002", .my1 = 195},
      {.number = "000003",
       .opr = {"102", "103", "104", "", "", "", "", ""},
       .jn = {"00001", ""},
       .my1 = 195},  // settled for cane: left alone
      // Already the new amount (the server keeps two decimals).
      {.number = "000004", .my1 = GetParam() == 0 ? 390.000004 : 390},
  });
  // A slip number never written is neither open nor on a slip.
  Run({"Update gbSheet Set JN0=Null Where DH='000004'"});
  Items();  // the subsidy is now 20 per ton
  const std::string kept = GetParam() == 0 ? "390.000004" : "390.000000";
  CTsReportDoc7 doc;
  doc.m_db = &m_db;
  doc.OnInitDocument();
  doc.query.sDateFrom = "20160301";
  doc.query.sDateTo = "20160331";
  auto recalculate = [&doc](std::vector<bool> cane0) {
    QObject owner;
    OnModalOf(&owner, 975, [&cane0](QWidget* dlg) {
      size_t i = 0;
      for (QCheckBox* box : dlg->findChildren<QCheckBox*>()) {
        box->setChecked(i < cane0.size() && cane0[i]);
        ++i;
      }
      Press(dlg, SM_ID_OK);
    });
    return doc.Recalculate();
  };
  ASSERT_TRUE(recalculate({true}));
  EXPECT_EQ(doc.nChanged, 2);
  EXPECT_FALSE(doc.IsReadOnly());
  EXPECT_EQ(Shown(), std::vector<std::string>{
                         "重新计算后，有2个过磅单数据发生了变化，请先核对数据是否正确，然后选择“"
                         "保存”功能，更新数据！\n另有1个过磅单已结算，其项目未重新计算。"});

  // A ticket gone in the meantime: nothing is written and the tickets stay pending.
  Run({"Update gbSheet Set DH='000009' Where DH='000002'"});
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_FALSE(doc.Save(0));
  EXPECT_EQ(Subsidies(), "195.000000|195.000000|" + kept + "|195.000000");  // 000002 last
  EXPECT_EQ(doc.nChanged, 2);
  EXPECT_FALSE(doc.IsReadOnly());
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "重新计算的结果没有保存，过磅单均未修改！");

  // Declining writes nothing; Yes writes the changed tickets, but not a kind settled since.
  Run({"Update gbSheet Set DH='000002' Where DH='000009'"});
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  EXPECT_TRUE(doc.Save(0));
  EXPECT_EQ(Subsidies(), "195.000000|195.000000|195.000000|" + kept);
  Run({"Update gbSheet Set JN0='00007',OPR2='104' Where DH='000002'"});
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_TRUE(doc.Save(0));
  EXPECT_EQ(Subsidies(), "390.000000|195.000000|195.000000|" + kept);
  EXPECT_EQ(doc.nChanged, 0);
  EXPECT_TRUE(doc.IsReadOnly());

  // The stored amounts again: no change, nothing held, read only.
  SmResetMessages();
  EXPECT_FALSE(recalculate({true}));
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "重新计算后，所有过磅单数据没有变化！\n另有2个过磅单已结算，其项目未重新计算。");
  EXPECT_TRUE(doc.tickets.empty());
  EXPECT_TRUE(doc.IsReadOnly());
}

TEST_P(TsSlipDetailTest, RecalculatedRowsFollowTheirTicketsWithFewStatements) {
  Items("补助款\t0+\t10*#sl");
  Store({{.number = "000001", .my1 = 195}, {.number = "000003", .my1 = 195}});
  // An older file whose farmer is kept twice, so that it could get no unique key on its codes.
  Run({"Drop Index NHDir_KNO", "Insert Into NHDir(KNO,NA) Values('10101001','')"});
  CTsReportDoc7 doc;
  doc.m_db = &m_db;
  doc.OnInitDocument();
  doc.LoadFormDef();
  doc.query.sDateFrom = "20160301";
  doc.query.sDateTo = "20160331";
  auto refresh = [&] {
    const long long before = m_db.StatementsSent();
    doc.Refresh();
    return m_db.StatementsSent() - before;
  };
  const long long listed = refresh();
  ASSERT_EQ(doc.m_rows.size(), 2u);
  EXPECT_EQ(doc.m_rows[1][doc.FindShownColumn(2)], "张三");
  // Per row: ticket number, the first cane item, the first freight item, and whether the row
  // has marks.
  auto rows = [&doc] {
    const int number = doc.FindShownColumn(12), cane = doc.FindShownColumn(60),
              freight = doc.FindShownColumn(80);
    std::string text;
    for (size_t r = 0; r < doc.m_rows.size(); ++r) {
      const bool marked = doc.m_rowFlags[r].find('1') != std::string::npos;
      text += FormatStr("%s%s %s %s%s", text.empty() ? "" : "|", doc.m_rows[r][number].c_str(),
                        doc.m_rows[r][cane].c_str(), doc.m_rows[r][freight].c_str(),
                        marked ? " *" : "");
    }
    return text;
  };
  auto choose = [&doc](int kind) {
    for (int k = 0; k < 2; ++k) {
      for (int category = 0; category < 2; ++category)
        doc.chosen[k][category].assign(TsGetKindItemCount(k, 0, category, 0), false);
    }
    doc.chosen[kind][0][0] = true;
  };

  // Another station weighs a ticket between the two and settles the freight of the last: the
  // recomputed amounts still land on their own rows.
  Store({{.number = "000002", .my1 = 195}});
  Run({"Update gbSheet Set JN1='00001',OPR3='104' Where DH='000003'"});
  Items();  // the subsidy is now 20 per ton
  choose(0);
  int leftAlone = -1;
  long long before = m_db.StatementsSent();
  EXPECT_EQ(doc.RecalculateTickets(leftAlone), 3);
  EXPECT_EQ(m_db.StatementsSent() - before, 2);
  EXPECT_EQ(leftAlone, 0);
  refresh();
  EXPECT_EQ(rows(), "000001 390.00 1.50 *|000002 390.00 1.50 *|000003 390.00 1.50 *");

  // Recalculated again for the freight item instead: the subsidies shown are the stored ones
  // again, and the ticket settled for freight keeps its row as stored.
  choose(1);
  before = m_db.StatementsSent();
  EXPECT_EQ(doc.RecalculateTickets(leftAlone), 2);
  EXPECT_EQ(m_db.StatementsSent() - before, 2);
  EXPECT_EQ(leftAlone, 1);
  refresh();
  EXPECT_EQ(rows(), "000001 195.00 58.50 *|000002 195.00 58.50 *|000003 195.00 1.50");

  // A refresh while they wait reads the other rows again, the recomputed tickets as they were.
  Run({"Update gbSheet Set MY1=1 Where DH In ('000001','000003')"});
  refresh();
  EXPECT_EQ(rows(), "000001 195.00 58.50 *|000002 195.00 58.50 *|000003 1.00 1.50");

  // The list sends as many statements for twenty more tickets.
  std::vector<std::string> numbers;
  for (int i = 0; i < 20; ++i) numbers.push_back(FormatStr("%06d", 100 + i));
  std::vector<Slip> more;
  for (const std::string& number : numbers) more.push_back({.number = number.c_str()});
  Store(more);
  doc.bReload = 1;
  EXPECT_EQ(refresh(), listed);
  EXPECT_EQ(doc.m_rows.size(), 23u);

  // Recalculated right after a reading: only the rows of the changed tickets are made again,
  // each found by its number whatever order the tickets were read in, and nothing is read.
  choose(0);
  EXPECT_EQ(doc.RecalculateTickets(leftAlone), 23);
  EXPECT_EQ(refresh(), 0);
  const int cane = doc.FindShownColumn(60);
  auto allRecomputedAndMarked = [&] {
    for (size_t r = 0; r < doc.m_rows.size(); ++r) {
      EXPECT_EQ(doc.m_rows[r][cane], "390.00") << r;
      EXPECT_NE(doc.m_rowFlags[r].find('1'), std::string::npos) << r;
    }
  };
  allRecomputedAndMarked();

  // Rows moved in the grid since the reading are still found by their numbers.
  doc.bReload = 1;
  refresh();
  std::swap(doc.m_rows[0], doc.m_rows[22]);
  std::swap(doc.m_rowFlags[0], doc.m_rowFlags[22]);
  EXPECT_EQ(doc.RecalculateTickets(leftAlone), 23);
  EXPECT_EQ(refresh(), 0);
  allRecomputedAndMarked();
}

TEST_P(TsSlipDetailTest, ManyTicketsAreSavedInBatchesAndOneGoneIsNamed) {
  Items("补助款\t0+\t10*#sl");
  std::vector<std::string> numbers;
  for (int i = 0; i < 70; ++i) numbers.push_back(FormatStr("%06d", 100 + i));
  std::vector<Slip> slips;
  for (const std::string& number : numbers) slips.push_back({.number = number.c_str(), .my1 = 195});
  Store(slips);
  Items();
  CTsReportDoc7 doc;
  doc.m_db = &m_db;
  doc.OnInitDocument();
  doc.query = March();
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category)
      doc.chosen[kind][category].assign(TsGetKindItemCount(kind, 0, category, 0), false);
  }
  doc.chosen[0][0][0] = true;
  int leftAlone = 0;
  ASSERT_EQ(doc.RecalculateTickets(leftAlone), 70);
  auto all = [](const char* amount) {
    std::string text;
    for (int i = 0; i < 70; ++i) text += (i ? "|" : "") + std::string(amount);
    return text;
  };

  // Gone from the middle of the second batch: the first batch is not kept either.
  Run({"Update gbSheet Set DH='999999' Where DH='000150'"});
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_FALSE(doc.Save(0));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"真的要保存重新计算的结果吗？",
                                               "<000150>号单据已不存在，修改失败！",
                                               "重新计算的结果没有保存，过磅单均未修改！"}));
  Run({"Update gbSheet Set DH='000150' Where DH='999999'"});
  EXPECT_EQ(Subsidies(), all("195.000000"));

  const long long before = m_db.StatementsSent();
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_TRUE(doc.Save(0));
  EXPECT_LT(m_db.StatementsSent() - before, 10);
  EXPECT_EQ(Subsidies(), all("390.000000"));
}
