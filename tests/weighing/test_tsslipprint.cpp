// The settlement slip on the card and on paper: the layout's cells for the defined items, one
// slip's values in them, the print variables of groups 9602 and 9603, the re-print check and
// the three print styles read back from the printed PDF.
#include <gtest/gtest.h>

#include <algorithm>

#include "cane/TsParams.h"
#include "forms/SmCardLayout.h"
#include "platform/SmMessage.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmTestPdf.h"
#include "tests/weighing/TsCardLayoutCheck.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"
#include "weighing/TsSlipLayout.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsSlipPrint.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsgbTicketLayout.h"
#include "weighing/TsjsRec.h"

namespace {

// Two tickets of farmer 10102001 (bank account 62001) on cane slip 0007 of 20161203, settled
// by 102, paid by 109 (unknown). Cane items at their defaults: 补助款 +394, 扣义运 -20,
// 扣限载 -0, withholding 扣修路费 -39.4: total 12154.60.
CTsgbRec CaneSums() {
  CTsgbRec sums;
  sums.JN[0] = "0007";
  sums.JT[0] = "20161203";
  sums.KNO[0] = "10102001";
  sums.OPR[2] = "102";
  sums.OPR[4] = "109";
  sums.MU[0] = 60;
  sums.MU[1] = 20;
  sums.MU[2] = 0.6;
  sums.PR[0] = 300;
  sums.MY = {11820, 394, 20, 0, 39.4, 0, 0, 0, 0, 0, 0, 0};
  return sums;
}

// 扣贷款 100, 预付款 2000, 化肥款 54.6: the payment is 10000.00.
CTsjsRec CaneDeductions() {
  CTsjsRec deductions;
  deductions.MY[0] = 100;
  deductions.MY[1] = 2000;
  deductions.MY[4] = 54.6;
  return deductions;
}

}  // namespace

class TsSlipPrintTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    CSmPrinterService::Instance().Reset();
    m_hooks = SmGetPrintHooks();
    Run({"Insert Into NHDir(KNO,NA) Values('1','某镇')",
         "Insert Into NHDir(KNO,NA) Values('101','东乡')",
         "Insert Into NHDir(KNO,NA) Values('10102','西村')",
         "Insert Into NHDir(KNO,NA,BkNO,BkHO,BkNA) Values('10102001','张三','A1','62001','张大')",
         "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('003','李四','','')",
         "Update OPR Set NA='王结' Where OPNO='102'"});
    CSmDatabase* app = m_app.m_env.Connection();
    ASSERT_TRUE(app->Open(m_db.GetFileName(), m_db.GetConnInfo())) << app->LastError();
    m_app.m_env.SetLogOn(1);
    m_app.m_opLog.m_enabled = 1;
  }
  void TearDown() override {
    m_app.m_env.Close();
    SmGetPrintHooks() = m_hooks;
    CSmPrinterService::Instance().Reset();
    TsFileTest::TearDown();
  }

  // Freight keeps 放空补助, 超载扣运费 and 养路费: three headings.
  void ThreeFreightHeadings() {
    for (int i = 26; i < 40; ++i) m_type->m_strParams[static_cast<size_t>(i)].clear();
    m_type->BuildItemTables();
  }

  CSmCardLayout Filled(const CTsgbRec& sums, int kind, const CTsjsRec& deductions) {
    CSmCardLayout layout;
    TsSlipBuildLayout(kind, layout);
    TsSlipFillLayout(sums, kind, 2, deductions, layout, &m_db);
    return layout;
  }

  std::string Logged() { return Rows("Select sNote From SmLog Where nTaskID=1606 Order By sT"); }

  SmPrintHooks m_hooks;
};

INSTANTIATE_TEST_SUITE_P(DataFile, TsSlipPrintTest, testing::Values(0));

// ---------------------------------------------------------------- the layout

TEST_P(TsSlipPrintTest, DefaultItemsGiveSixColumnsAndTheirHeadings) {
  // Cane: four ticket items and four slip items of flag 1 (蔗种款 has flag 0): C = 6.
  CSmCardLayout layout;
  TsSlipBuildLayout(0, layout);
  ASSERT_EQ(TsSlipGridColumns(0), 6);
  ASSERT_EQ(layout.m_items.size(), 51u);
  EXPECT_EQ(Texts(layout, 6, 6),
            (std::vector<std::string>{"蔗重(吨)", "单价", "蔗款", "补助款", "扣义运", "扣限载"}));
  EXPECT_EQ(Texts(layout, 18, 6), (std::vector<std::string>{"扣修路费", "扣贷款", "扣预付款",
                                                            "扣周转金", "扣化肥款", ""}));
  EXPECT_EQ(TsSlipItemCell(0, 0), 15);
  EXPECT_EQ(TsSlipItemCell(0, 3), 24);

  ExpectCells(
      layout,
      {
          {0, "过磅单：", {0, 0, 233, 81}, {0, 0, 0, 0}, kSmCardAlignLeft, false},
          {1, "", {233, 0, 466, 81}, {0, 0, 0, 0}, kSmCardAlignLeft, true},
          {3, "", {1633, 0, 2100, 81}, {0, 0, 0, 0}, kSmCardAlignLeft, false},
          {5, "", {1400, 81, 2100, 162}, {0, 0, 0, 2}, kSmCardAlignLeft, true},
          {6, "蔗重(吨)", {0, 162, 350, 243}, {2, 2, 0, 0}, kSmCardAlignCenter, false},
          {17, "", {1750, 243, 2100, 324}, {1, 1, 2, 2}, kSmCardAlignCenter, true},
          {24, "", {0, 405, 350, 486}, {2, 1, 0, 2}, kSmCardAlignCenter, true},
          {30, "实付款大写(人民币)：", {0, 486, 466, 567}, {2, 2, 0, 2}, kSmCardAlignLeft, false},
          {31, "", {466, 486, 1400, 567}, {0, 2, 0, 2}, kSmCardAlignLeft, true},
          {33, "", {1633, 486, 2100, 567}, {1, 2, 2, 2}, kSmCardAlignCenter, true},
          {34, "付款单位：", {0, 567, 210, 648}, {0, 2, 0, 0}, kSmCardAlignRight, false},
          {43, "", {1890, 567, 2100, 648}, {0, 2, 0, 0}, kSmCardAlignLeft, true},
          {44, "", {1680, 648, 1800, 729}, {0, 0, 0, 0}, kSmCardAlignCenter, true},
          {49, "日", {2040, 648, 2100, 729}, {0, 0, 0, 0}, kSmCardAlignCenter, false},
          {50, "", {0, 648, 1680, 729}, {0, 0, 0, 0}, kSmCardAlignLeft, false},
      });
}

TEST_P(TsSlipPrintTest, ThreeHeadingsGiveThreeColumnsWithItemsInTheSecondRows) {
  ThreeFreightHeadings();
  CTsgbRec sums;
  sums.JN[1] = "0003";
  sums.KNO[1] = "003";
  sums.MU[0] = 10;
  sums.PR[1] = 20;
  sums.MY = {0, 0, 0, 0, 0, 0, 200, 5, 8, 0, 0, 0};
  CTsjsRec deductions;
  deductions.MY[0] = 197;
  const CSmCardLayout layout = Filled(sums, 1, deductions);
  ASSERT_EQ(layout.m_items.size(), 39u);
  EXPECT_EQ(Texts(layout, 6, 3), (std::vector<std::string>{"蔗重(吨)", "单价", "运费"}));
  EXPECT_EQ(Texts(layout, 12, 3), (std::vector<std::string>{"放空补助", "超载扣运费", "养路费"}));
  EXPECT_EQ(Texts(layout, 9, 3), (std::vector<std::string>{"10.000", "20.00", "200.00"}));
  EXPECT_EQ(Texts(layout, 15, 3), (std::vector<std::string>{"5.00", "8.00", "197.00"}));
  // Freight: the driver's name as household and payee; 200 + 5 - 8 - 197 = 0.
  EXPECT_EQ(layout.m_items[5].sText, "李四");
  EXPECT_EQ(layout.m_items[25].sText, "李四");
  EXPECT_EQ(layout.m_items[21].sText, "0.00");

  // A payable just under 0.001 in magnitude still reads 0.00.
  sums.MY[6] = 200.0009;
  EXPECT_EQ(Filled(sums, 1, deductions).m_items[21].sText, "0.00");
  sums.MY[6] = 200.002;
  EXPECT_EQ(Filled(sums, 1, deductions).m_items[21].sText, "0.00");
  sums.MY[6] = 200.006;
  EXPECT_EQ(Filled(sums, 1, deductions).m_items[21].sText, "0.01");
}

TEST_P(TsSlipPrintTest, FilledCaneSlipShowsItsValuesInTheirCells) {
  const CSmCardLayout layout = Filled(CaneSums(), 0, CaneDeductions());
  const std::pair<size_t, const char*> values[] = {
      {1, "2份"},
      {3, "0007"},
      {5, "10102001\\某镇/东乡/西村/张三"},
      {12, "39.400"},
      {13, "300.00"},
      {14, "11820.00"},
      {15, "394.00"},
      {16, "20.00"},
      {17, "0.00"},
      {24, "39.40"},
      {25, "100.00"},
      {26, "2000.00"},
      {27, "0.00"},
      {28, "54.60"},
      {29, ""},
      {31, "壹万元整"},
      {33, "10000.00"},
      {37, "张三"},
      {39, ""},
      {41, ""},
      {43, "王结"},
      {44, "2016"},
      {46, "12"},
      {48, "03"},
      {50, "注：户码(A1)，账号(62001)，户名(张大)"},
  };
  for (const auto& [index, text] : values) EXPECT_EQ(layout.m_items[index].sText, text) << index;

  // An unknown farmer: the code alone, no payee, no note.
  CTsgbRec unknown = CaneSums();
  unknown.KNO[0] = "10109999";
  const CSmCardLayout missing = Filled(unknown, 0, CaneDeductions());
  EXPECT_EQ(missing.m_items[37].sText, "");
  EXPECT_EQ(missing.m_items[50].sText, "");
}

// A weight reads alike on the ticket, on the slip and in their print variables: every decimal
// of the quantity precision, no digit groups, never "-0".
TEST_P(TsSlipPrintTest, AWeightShowsEveryDecimalOfTheQuantityPrecisionWhereverItIsWritten) {
  struct Case {
    int precision;
    double weight;
    const char* text;
  };
  const Case cases[] = {
      {3, 39.4, "39.400"}, {3, 20, "20.000"},      {3, 8.6999999, "8.700"}, {3, 0, "0.000"},
      {3, -1e-9, "0.000"}, {2, 1234.5, "1234.50"}, {0, 8.7, "9"},           {4, 0.00005, "0.0001"},
  };
  const auto value = [](const TsPrintPairs& pairs, const std::string& name) {
    for (const auto& [n, text] : pairs) {
      if (n == name) return text;
    }
    return std::string("?");
  };
  for (const Case& c : cases) {
    m_type->m_intParams[13] = c.precision;
    CTsgbRec ticket = CaneSums();
    ticket.MU[0] = c.weight;
    ticket.MU[1] = ticket.MU[2] = 0;
    EXPECT_EQ(TsWeightText(c.weight), c.text) << c.weight;
    CSmCardLayout card;
    TsgbBuildTicketLayout(card);
    TsgbFillTicketLayout(ticket, card, &m_db);
    EXPECT_EQ(card.m_items[kTsgbCellNet].sText, c.text) << "ticket " << c.weight;
    EXPECT_EQ(value(TsgbTicketPrintVars(ticket, &m_db), "#mz"), c.text) << c.weight;
    const CSmCardLayout slip = Filled(ticket, 0, CaneDeductions());
    EXPECT_EQ(slip.m_items[static_cast<size_t>(TsSlipGridColumns(0) + 6)].sText, c.text)
        << "slip " << c.weight;
    EXPECT_EQ(value(TsSlipPrintVars(ticket, 0, 2, CaneDeductions(), &m_db), "#sl"), c.text)
        << c.weight;
  }
}

// ---------------------------------------------------------------- the print variables

TEST_P(TsSlipPrintTest, PrintVariablesOfASlipInTheirOrderAndForms) {
  CTsgbRec sums = CaneSums();
  const TsPrintPairs pairs = TsSlipPrintVars(sums, 0, 2, CaneDeductions(), &m_db);
  std::vector<std::string> names;
  for (const auto& pair : pairs) names.push_back(pair.first);
  std::vector<std::string> expected = {
      "#jd", "#jm", "#jcd",  "#jcm", "#jfd", "#jfm", "#jhd", "#jhm",  "#dh",  "#yy",  "#mm",  "#dd",
      "#py", "#pm", "#pd",   "#pH",  "#pM",  "#pS",  "#mz",  "#pz",   "#zz",  "#sl",  "#ysl", "#zb",
      "#dj", "#je", "#dxje", "#ykh", "#dkh", "#yfh", "#fky", "#dfky", "#fks", "#dfks"};
  for (int n = 1; n <= 5; ++n) expected.push_back(FormatStr("#gb%02d", n));
  for (int n = 1; n <= 15; ++n) expected.push_back(FormatStr("#js%02d", n));
  expected.push_back("#ds");
  EXPECT_EQ(names, expected);

  const auto value = [](const TsPrintPairs& list, const std::string& name) {
    for (const auto& [n, text] : list) {
      if (n == name) return text;
    }
    return std::string("?");
  };
  // 扣义运 and 扣限载 deducted, 补助款 added: 应扣 -374; withholding 39.4 on the tickets
  // besides the slip's 100; payable before the deductions 11820 + 374 - 39.4 - 20 + 20.
  const std::pair<const char*, const char*> table[] = {
      {"#jd", "10102001"},
      {"#jm", "某镇/东乡/西村/张三"},
      {"#jcd", "102"},
      {"#jcm", "王结"},
      {"#jfd", "109"},
      {"#jfm", ""},
      {"#jhd", ""},
      {"#dh", "0007"},
      {"#yy", "2016"},
      {"#dd", "03"},
      {"#mz", "60.000"},
      {"#sl", "39.400"},
      {"#ysl", "40.000"},
      {"#zb", "1.5"},
      {"#dj", "300.00"},
      {"#je", "11820.00"},
      {"#dxje", "壹万壹仟捌佰贰拾元整"},
      {"#ykh", "-374.00"},
      {"#dkh", "139.40"},
      {"#yfh", "2054.60"},
      {"#fky", "12194.00"},
      {"#fks", "10000.00"},
      {"#dfks", "壹万元整"},
      {"#gb01", "394.00"},
      {"#gb04", "39.40"},
      {"#js02", "2000.00"},
      {"#js15", "0.00"},
      {"#ds", "2"},
  };
  for (const auto& [name, text] : table) EXPECT_EQ(value(pairs, name), text) << name;

  // Equal gross and tare: no impurity ratio; deductions equal to the amount: "0.00".
  sums.MU[1] = 60;
  CTsjsRec all;
  all.MY[1] = 12154.6;
  const TsPrintPairs zero = TsSlipPrintVars(sums, 0, 2, all, &m_db);
  EXPECT_EQ(value(zero, "#zb"), "0");
  EXPECT_EQ(value(zero, "#fks"), "0.00");

  // Freight: the driver's name; an empty code no name.
  CTsgbRec freight;
  freight.KNO[1] = "003";
  EXPECT_EQ(value(TsSlipPrintVars(freight, 1, 1, CTsjsRec(), &m_db), "#jm"), "李四");
  freight.KNO[1].clear();
  EXPECT_EQ(value(TsSlipPrintVars(freight, 1, 1, CTsjsRec(), &m_db), "#jm"), "");
}

// ---------------------------------------------------------------- printing

TEST_P(TsSlipPrintTest, ReprintNeedsTheRightOfItsKindAndAYes) {
  Run(
      {"Insert Into gbSheet(DH,T,OPR1,JN0,JN1,PRT0,PRT1) "
       "Values('0001','20161203','101','0007','0002',0,0)"});
  m_app.m_env.SetRights("");
  // A first print asks nothing and counts.
  EXPECT_TRUE(TsSlipReprintCheck(0, "0007", &m_db));
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(TsSlipGetPrintCount(0, "0007", &m_db), 1);

  struct Case {
    int kind;
    const char* rights;
    std::vector<int> answers;
    bool goesOn;
    const char* shown;
  };
  const Case cases[] = {
      {0, "1645 ", {}, false, "不能重复打印结算单！"},
      {0, "1635 ", {SM_IDNO}, false, "该结算单已经打印了1次，还要重复打印吗?"},
      {0, "1635 ", {SM_IDCANCEL}, false, "该结算单已经打印了1次，还要重复打印吗?"},
      {0, "1635 ", {SM_IDYES}, true, "该结算单已经打印了1次，还要重复打印吗?"},
      {0, "1635 ", {SM_IDYES}, true, "该结算单已经打印了2次，还要重复打印吗?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    SmResetMessages();
    for (int answer : c.answers) CSmMessageService::Instance().QueueAnswer(answer);
    m_app.m_env.SetRights(c.rights);
    EXPECT_EQ(TsSlipReprintCheck(c.kind, "0007", &m_db), c.goesOn);
    EXPECT_EQ(Shown(), std::vector<std::string>{c.shown});
  }
  EXPECT_EQ(TsSlipGetPrintCount(0, "0007", &m_db), 3);

  // The freight slip keeps its own count and right.
  SmResetMessages();
  EXPECT_TRUE(TsSlipReprintCheck(1, "0002", &m_db));
  EXPECT_FALSE(TsSlipReprintCheck(1, "0002", &m_db));
  EXPECT_EQ(Shown(), std::vector<std::string>{"不能重复打印结算单！"});
  EXPECT_EQ(TsSlipGetPrintCount(1, "0002", &m_db), 1);
}

TEST_P(TsSlipPrintTest, ThreeStylesPrintTheSlipAndLogOnlyWhatWentOut) {
  const auto words = [](const std::string& pdf) {
    std::vector<std::string> list;
    for (const SmPdfWord& w : SmPdfWords(pdf)) list.push_back(w.text);
    return list;
  };
  const auto has = [](const std::vector<std::string>& list, const std::string& text) {
    return std::find(list.begin(), list.end(), text) != list.end();
  };
  CSmCardLayout layout = Filled(CaneSums(), 0, CaneDeductions());
  const std::string whole = SmQueueTestPdf("slip_whole");
  ASSERT_TRUE(TsSlipPrint(kTsPrintWhole, CaneSums(), 0, 2, CaneDeductions(), layout, &m_db));
  EXPECT_EQ(SmPdfPages(whole), 1);
  const std::vector<std::string> all = words(whole);
  for (const char* text : {"过磅单：", "2份", "0007", "扣预付款", "壹万元整", "10000.00", "王结"})
    EXPECT_TRUE(has(all, text)) << text;

  const std::string form = SmQueueTestPdf("slip_form");
  ASSERT_TRUE(TsSlipPrint(kTsPrintOnForm, CaneSums(), 0, 2, CaneDeductions(), layout, &m_db));
  const std::vector<std::string> marked = words(form);
  for (const char* text : {"2份", "10000.00", "王结", "2016"})
    EXPECT_TRUE(has(marked, text)) << text;
  for (const char* text : {"过磅单：", "扣预付款", "0007"}) EXPECT_FALSE(has(marked, text)) << text;

  const std::string fields = SmQueueTestPdf("slip_fields");
  ASSERT_TRUE(TsSlipPrint(kTsPrintAtPositions, CaneSums(), 0, 2, CaneDeductions(), layout, &m_db));
  const std::vector<std::string> placed = words(fields);
  for (const char* text : {"(10102001)某镇/东乡/西村/张三", "0007", "10000.00", "壹万元整"})
    EXPECT_TRUE(has(placed, text)) << text;
  EXPECT_EQ(Logged(), "打印：0007|套打：0007|自定位打印：0007");

  // No printer: the print dialog's PDF output takes the slip.
  SmGetPrintHooks().hasDefaultPrinter = [] { return false; };
  const std::string none = SmQueueTestPdf("slip_noprinter");
  ASSERT_TRUE(TsSlipPrint(kTsPrintWhole, CaneSums(), 0, 2, CaneDeductions(), layout, &m_db));
  EXPECT_TRUE(has(words(none), "10000.00"));
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs().back(), "打印");
  EXPECT_EQ(Logged(), "打印：0007|套打：0007|自定位打印：0007|打印：0007");
}
