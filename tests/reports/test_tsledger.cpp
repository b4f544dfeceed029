// The household ledger: the value positions of each kind, the rows of tickets, settlements,
// money documents, the opening balance and the year's total worked out by hand, the orphaned
// settlement deduction; then the ledger opened from its template through the household picker.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <algorithm>
#include <functional>

#include "cane/TsDataType.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "cane/TsRecordDirDlg.h"
#include "core/SmString.h"
#include "forms/SmCodeListDlg.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "reports/TsBookDoc.h"
#include "reports/TsReportDoc1.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestPdf.h"
#include "tests/common/TsCaneTestApp.h"
#include "ui/SmPrinterService.h"

namespace {

struct Line {
  int tag;
  std::string date, code, name;
  std::vector<double> values;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& l) {
  out << l.tag << " " << l.date << " " << l.code << " " << l.name;
  for (double v : l.values) out << " " << v;
  return out;
}

// A tared ticket: weights, cane price and amounts MY0-MY4, freight amount MY6, the cane and the
// freight slip numbers.
struct Ticket {
  const char *number, *date, *farmer, *driver;
  double gross, tare, impurity, price, amount, items[4], freight;
  const char *caneSlip, *freightSlip;

  std::string Sql() const {
    return FormatStr(
        "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,"
        "KNO0,KNO1,KNO2,KNO3,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,"
        "MY10,MY11,FK,PRT0,PRT1) Values('%s','080000','%s','102','103','','','','','','','','',"
        "'%s','%s','%s','%s','012','101',%g,%g,%g,0,%g,20,%g,%g,%g,%g,%g,0,%g,0,0,0,0,0,0,0,0)",
        date, number, caneSlip, freightSlip, farmer, driver, gross, tare, impurity, price, amount,
        items[0], items[1], items[2], items[3], freight);
  }
};

// A money row: party, type, date, number, household, note and the amounts of items MY0-MY4.
std::string Money(int party, int type, const char* date, const char* number, const char* code,
                  const char* note, std::array<double, 5> items) {
  return FormatStr(
      "Insert Into jsSheet(LB,DB,T,TH,DH,KNO,MRY,OPR0,OPR1,MU0,MU1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,"
      "MY7,MY8,MY9,MY10,MY11,MY12,MY13,MY14,FK) Values('%d','%d','%s','000000','%s','%s','%s',"
      "'101','',0,0,%.2f,%.2f,%.2f,%.2f,%.2f,0,0,0,0,0,0,0,0,0,0,0)",
      party, type, date, number, code, note, items[0], items[1], items[2], items[3], items[4]);
}

// 张三 (10101001): an opening balance, two tickets settled together with a loan withheld and an
// advance deducted, an advance between the tickets; a withholding voucher and an estimate that
// the ledger leaves out. 李四 (10101002): one unsettled ticket. Driver 12 carried both tickets
// of 张三, the first on freight slip 0002.
const std::vector<std::string> kFixture = {
    "Insert Into NHDir(KNO,NA) Values('1','东镇')",
    "Insert Into NHDir(KNO,NA) Values('101','一村')",
    "Insert Into NHDir(KNO,NA) Values('10101','一组')",
    "Insert Into NHDir(KNO,NA) Values('10101001','张三')",
    "Insert Into NHDir(KNO,NA) Values('10101002','李四')",
    "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('12','乙车','','')",
    Ticket{"000001",
           "20160301",
           "10101001",
           "12",
           30,
           10,
           0,
           500,
           10000,
           {200, 100, 0, 40},
           400,
           "0001",
           "0002"}
        .Sql(),
    Ticket{"000002",
           "20160303",
           "10101001",
           "12",
           25,
           10,
           1,
           500,
           7000,
           {0, 70, 0, 28},
           300,
           "0001",
           ""}
        .Sql(),
    Ticket{"000003", "20160304", "10101002", "", 12, 2, 0, 500, 5000, {0, 0, 0, 0}, 0, "", ""}
        .Sql(),
    Money(0, 0, "20160305", "0001", "10101001", "", {300, 500, 0, 0, 0}),
    Money(0, 2, "20151001", "", "10101001", "", {0, -1000, 0, 0, -200}),
    Money(0, 2, "20160302", "0005", "10101001", "春耕", {0, 0, -800, 0, 0}),
    Money(0, 3, "20160302", "0006", "10101001", "", {-50, 0, 0, 0, 0}),
    Money(0, 5, "20160302", "0007", "10101001", "", {0, 0, 0, 0, 0}),
};

class TsLedgerTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    Run(kFixture);
  }

  std::vector<Line> Fill(int kind, const std::string& code) {
    std::vector<CTsReportRow> rows;
    const int count = FillLedger(kind, code, rows, &m_db);
    EXPECT_EQ(count, static_cast<int>(rows.size()));
    std::vector<Line> lines;
    for (const CTsReportRow& r : rows)
      lines.push_back({r.nTag, r.sDate, r.sCode, r.sName, r.Values});
    return lines;
  }
};

INSTANTIATE_TEST_SUITE_P(Engines, TsLedgerTest, testing::Values(0, 2));

struct LayoutCase {
  const char* what;
  int kind;
  std::vector<int> emptied;  // text parameters of items taken away
  std::array<int, 9> positions;
};

}  // namespace

TEST_F(TsAppTest, LedgerPositionsFollowTheItemsOfTheKind) {
  const LayoutCase cases[] = {
      // 3 category-0, 1 category-1 ticket items, 1 withholding, 4 advances: 17 values
      {"farmer", 0, {}, {3, 6, 7, 8, 9, 10, 11, 15, 16}},
      // 2 category-0 ticket items, 2 withholdings, 3 advances: 15 values
      {"driver", 1, {}, {3, 5, 6, 6, 8, 9, 10, 13, 14}},
      // no category-0 ticket items: no payable
      {"driver without ticket items", 1, {5, 6}, {3, 3, 3, 3, 5, 6, 7, 10, 11}},
      // one advance item: no advance total
      {"farmer with one advance", 0, {12, 13, 14}, {3, 6, 7, 8, 9, 10, 11, 12, 12}},
      // no advance item: neither advance deducted nor total
      {"driver without advances", 1, {27, 28, 29}, {3, 5, 6, 6, 8, 8, 9, 9, 9}},
  };
  for (const LayoutCase& c : cases) {
    m_type->SetDefaultParams();
    for (int n : c.emptied) m_type->m_strParams[static_cast<size_t>(n)].clear();
    TsBuildItemTables();
    const TsLedgerLayout l(c.kind);
    EXPECT_EQ((std::array<int, 9>{l.P0, l.P1, l.P2, l.P3, l.P4, l.P5, l.P6, l.P7, l.P8}),
              c.positions)
        << c.what;
  }
}

// Farmer values: 0 weight, 1 price, 2 amount, 3 补助款, 4 扣义运, 5 扣限载, 6 应付款, 7 扣修路费,
// 8 扣贷款, 9 扣预付款, 10 实付款, 11 预付款, 12 周转金, 13 蔗种款, 14 化肥款, 15 预付款合计,
// 16 未付款.
TEST_P(TsLedgerTest, FarmerLedgerListsTheYearInDateOrderWithItsTotal) {
  using V = std::vector<double>;
  // The settlement pays 10060 + 6902 less the loan 300 and the advance 500. The total is left
  // with nothing unpaid but the advances: 17030 - 68 - 300 - 500 - 16162 - 1500 = -1500.
  EXPECT_EQ(Fill(0, "10101001"),
            (std::vector<Line>{
                {-2, "20151001", "", "年初余额",
                 V{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1000, 0, 0, 200, 1200, -1200}},
                {-1, "20160301", "000001", "交蔗(已结0001)",
                 V{20, 500, 10000, 200, 100, 0, 10100, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                {2, "20160302", "0005", "预付款(春耕)",
                 V{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 800, 0, 0, 800, 0}},
                {-1, "20160303", "000002", "交蔗(已结0001)",
                 V{14, 500, 7000, 0, 70, 0, 6930, 28, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                {0, "20160303", "0001", "结2张过磅单",
                 V{0, 0, 0, 0, 0, 0, 0, 0, 300, 500, 16162, -500, 0, 0, 0, -500, 0}},
                {-2, TsGetYearEndDate(), "", "本年累计",
                 V{34, 500, 17000, 200, 170, 0, 17030, 68, 300, 500, 16162, 500, 800, 0, 200, 1500,
                   -1500}},
            }));
  // One unsettled ticket alone: no settlement, no total.
  EXPECT_EQ(Fill(0, "10101002"),
            (std::vector<Line>{{-1, "20160304", "000003", "交蔗(未结)",
                                V{10, 500, 5000, 0, 0, 0, 5000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}}));
  EXPECT_EQ(Fill(0, "10101003"), std::vector<Line>{});
}

// Without ticket items the driver ledger has no payable: its unpaid total starts from the
// amount, 700 carried less 400 paid.
TEST_P(TsLedgerTest, DriverLedgerWithoutTicketItemsStartsTheUnpaidFromTheAmount) {
  for (int n : {5, 6}) m_type->m_strParams[static_cast<size_t>(n)].clear();
  TsBuildItemTables();
  using V = std::vector<double>;
  // 0 weight, 1 price, 2 amount, 3 养路费, 4 修车费, 5 扣预付款, 6 实付款, 7 预付款, 8 油款,
  // 9 修理费, 10 预付款合计, 11 未付款.
  EXPECT_EQ(
      Fill(1, "12"),
      (std::vector<Line>{
          {-1, "20160301", "000001", "运蔗(已结0002)", V{20, 20, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
          {0, "20160301", "0002", "结1张过磅单", V{0, 0, 0, 0, 0, 0, 400, 0, 0, 0, 0, 0}},
          {-1, "20160303", "000002", "运蔗(未结)", V{15, 20, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
          {-2, TsGetYearEndDate(), "", "本年累计",
           V{35, 700.0 / 35, 700, 0, 0, 0, 400, 0, 0, 0, 0, 300}},
      }));
}

// With a single advance item there is no advance total: the item's own column is the advance
// balance of the opening row and of the year's total (1000 opened, 500 deducted).
TEST_P(TsLedgerTest, SingleAdvanceItemCountsAsTheAdvanceTotal) {
  for (int n : {12, 13, 14}) m_type->m_strParams[static_cast<size_t>(n)].clear();
  TsBuildItemTables();
  const std::vector<Line> lines = Fill(0, "10101001");
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines.front().values,
            (std::vector<double>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1000, -1000}));
  EXPECT_EQ(lines.back().values, (std::vector<double>{34, 500, 17000, 200, 170, 0, 17030, 68, 300,
                                                      500, 16162, 500, -500}));
}

// A settlement deduction whose tickets are gone: Yes deletes it, any other answer lists it.
TEST_P(TsLedgerTest, OrphanedDeductionIsDeletedOnYesAndListedOtherwise) {
  Run({Money(0, 0, "20160306", "0009", "10101002", "", {0, 60, 0, 0, 0})});
  const std::string question =
      "数据异常：结算单0009的过磅单信息已被删除，但预付款内容仍存在！要删除它吗？";
  for (int answer : {SM_IDNO, SM_IDCANCEL, SM_IDYES}) {
    SmResetMessages();
    CSmMessageService::Instance().QueueAnswer(answer);
    const std::vector<Line> lines = Fill(0, "10101002");
    EXPECT_TRUE(::Shown(question)) << answer;
    const bool kept = answer != SM_IDYES;
    ASSERT_EQ(lines.size(), kept ? 3u : 1u) << answer;
    if (kept) {
      EXPECT_EQ(lines[1].name, "异常记录");
      EXPECT_EQ(lines[1].values[11], -60);
      EXPECT_EQ(lines[1].values[15], -60);
    }
    EXPECT_EQ(Rows("Select DH From jsSheet Where DH='0009'"), kept ? "0009" : "") << answer;
  }
}

// ---------------------------------------------------------------- the ledger window

namespace {

class TsLedgerOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    CSmPrinterService::Instance().Reset();
    TsInstallReports();
    ASSERT_TRUE(m_app.Start(2016, "1661 1662 "));
    CSmDatabase* db = m_app.m_env.GetDatabase();
    for (const std::string& sql : kFixture) ASSERT_TRUE(db->ExecuteSQL(sql)) << sql;
  }
  void TearDown() override { m_app.Stop({257, 258, 268, 269, 270, 261, 262}); }

  CTsBookDoc* Open(int templateNumber, int picker, std::function<void(QWidget*)> answer) {
    CSmChildFrame* frame = m_app.OpenFromTemplate(templateNumber, 0, 1, picker, std::move(answer));
    CTsBookView* view = frame ? frame->findChild<CTsBookView*>() : nullptr;
    return view ? dynamic_cast<CTsBookDoc*>(view->GetFormDoc()) : nullptr;
  }
  // The farmer picker goes down the first row of every level to the first farmer.
  static void PickFirstFarmer(QWidget* dlg) {
    auto* picker = static_cast<CSmCodeListDlg*>(dlg);
    for (int step = 0; step < 4 && picker->isVisible(); ++step) picker->OnOK();
  }
  static std::vector<std::string> Column(const CTsBookDoc* doc, int code) {
    const int k = doc->FindShownColumn(code);
    std::vector<std::string> cells;
    for (const auto& row : doc->m_rows) cells.push_back(k >= 0 ? row[static_cast<size_t>(k)] : "?");
    return cells;
  }

  TsCaneTestApp m_app{"LedgerTest"};
};

std::vector<std::string> Blocks(const CSmFormDef& def) {
  std::vector<std::string> blocks;
  for (const CSmFormTopWord& w : def.m_topWords) {
    blocks.push_back(
        FormatStr("%d,%d-%d,%d %s", w.nCol1, w.nRow1, w.nCol2, w.nRow2, w.sWords.c_str()));
  }
  std::sort(blocks.begin(), blocks.end());
  return blocks;
}

}  // namespace

TEST_F(TsLedgerOpenTest, FarmerLedgerOpensFromThePickerWithTwoHeadingRowsAndPrints) {
  CTsBookDoc* doc = Open(261, 952, PickFirstFarmer);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->sHouseCode, "10101001");
  EXPECT_EQ(doc->sHouseName, "农户：东镇/一村/一组/张三");
  EXPECT_EQ(doc->m_formDef.sFna, "农户明细账");
  EXPECT_EQ(Column(doc, 1), (std::vector<std::string>{"10", "03", "03", "03", "03",
                                                      TsGetYearEndDate().substr(4, 2)}));
  EXPECT_EQ(Column(doc, 3),
            (std::vector<std::string>{"", "过000001", "付0005", "过000002", "结0001", ""}));
  EXPECT_EQ(Column(doc, 10), (std::vector<std::string>{"", "20.000", "", "14.000", "", "34.000"}));
  EXPECT_EQ(Column(doc, 26), (std::vector<std::string>{"-1200.00", "", "", "", "", "-1500.00"}));
  // Every heading cell is covered once: no question about restoring the default headings.
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 0u)
      << CSmMessageService::Instance().LastText();
  const std::string gap4(4, ' '), gap10(10, ' '), gap14(14, ' ');
  EXPECT_EQ(Blocks(doc->m_formDef),
            (std::vector<std::string>{"1,1-1,2 月",
                                      "10,2-10,2 扣限载",
                                      "11,2-11,2 合计",
                                      "12,1-13,1 代" + gap4 + "扣" + gap4 + "款",
                                      "12,2-12,2 扣修路费",
                                      "13,2-13,2 扣贷款",
                                      "14,1-14,2 扣预付款",
                                      "15,1-15,2 实付款",
                                      "16,1-20,1 预" + gap10 + "付" + gap10 + "款",
                                      "16,2-16,2 预付款",
                                      "17,2-17,2 周转金",
                                      "18,2-18,2 蔗种款",
                                      "19,2-19,2 化肥款",
                                      "2,1-2,2 日",
                                      "20,2-20,2 合计",
                                      "21,1-21,2 未付款",
                                      "3,1-3,2 单号",
                                      "4,1-4,2 摘要",
                                      "5,1-11,1 应" + gap14 + "付" + gap14 + "款",
                                      "5,2-5,2 数量",
                                      "6,2-6,2 单价",
                                      "7,2-7,2 价款",
                                      "8,2-8,2 补助款",
                                      "9,2-9,2 扣义运"}));

  auto* view = doc->FindViewOfClass<CTsBookView>();
  ASSERT_NE(view, nullptr);
  const std::string pdf = SmQueueTestPdf("ledger");
  EXPECT_TRUE(view->OnCommand(SM_ID_FILE_PRINT_PREVIEW));
  std::string words;
  for (const SmPdfWord& word : SmPdfWords(pdf)) words += word.text + " ";
  // (the PDF text gives some characters as their radical forms)
  for (const char* text :
       {"明细账", "东镇/", "/张三", "年初余额", "本年累计", "蔗种款", "-1,500.00"})
    EXPECT_NE(words.find(text), std::string::npos) << text << ": " << words;
  doc->OnCloseDocument();
  QApplication::processEvents();

  // The picker starts at the last household; Cancel opens nothing.
  std::string parent;
  EXPECT_EQ(Open(261, 952,
                 [&parent](QWidget* dlg) {
                   parent = static_cast<CSmCodeListDlg*>(dlg)->CurrentCode();
                   static_cast<QDialog*>(dlg)->reject();
                 }),
            nullptr);
  EXPECT_EQ(parent, "10101");
}

TEST_F(TsLedgerOpenTest, DriverLedgerOpensFromTheDriverPickerAndRefreshes) {
  CTsBookDoc* doc = Open(262, 956, [](QWidget* dlg) {
    static_cast<CTsRecordDirDlg*>(dlg)->SelectCode("12");
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->sHouseName, "驾驶员：乙车");
  EXPECT_EQ(doc->m_formDef.sFna, "运户明细账");
  EXPECT_EQ(Column(doc, 4),
            (std::vector<std::string>{"运蔗(已结0002)", "结1张过磅单", "运蔗(未结)", "本年累计"}));
  ASSERT_TRUE(m_app.m_env.GetDatabase()->ExecuteSQL(
      Money(1, 2, "20160302", "0003", "12", "", {0, 0, -90, 0, 0})));
  auto* view = doc->FindViewOfClass<CTsBookView>();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->OnCommand(SM_ID_DOC_REREAD));
  EXPECT_EQ(Column(doc, 4), (std::vector<std::string>{"运蔗(已结0002)", "结1张过磅单", "预付款",
                                                      "运蔗(未结)", "本年累计"}));
  EXPECT_EQ(Column(doc, 3).back(), "");
  // "刷新" comes before select-all in the grid's menu.
  QMenu menu;
  menu.addAction(QStringLiteral("全选"))->setData(SM_ID_EDIT_SELECT_ALL);
  view->AddContextMenuItems(menu);
  ASSERT_EQ(menu.actions().size(), 2);
  EXPECT_EQ(menu.actions()[0]->data().toInt(), SM_ID_DOC_REREAD);
  EXPECT_EQ(menu.actions()[0]->text(), QStringLiteral("刷新"));
}

// Another part of the system opens a household's ledger by its code, without the picker.
TEST_F(TsLedgerOpenTest, OneCodeOpensTheLedgerWithoutThePicker) {
  CTsBookDoc doc;
  doc.m_db = m_app.m_env.GetDatabase();
  doc.nFlag = 261;
  doc.m_kind.nNumber = 0;
  doc.InitDocument();
  for (const std::vector<std::string>& refused :
       {std::vector<std::string>{}, std::vector<std::string>{""},
        std::vector<std::string>{"10101001", "10101002"}})
    EXPECT_EQ(doc.ApplyParams(refused), 0);
  EXPECT_EQ(doc.ApplyParams({"10101002"}), 1);
  doc.LoadFormDef();
  doc.Refresh();
  EXPECT_EQ(doc.sHouseName, "农户：东镇/一村/一组/李四");
  ASSERT_EQ(doc.m_rows.size(), 1u);
  EXPECT_EQ(doc.m_rows[0][static_cast<size_t>(doc.FindShownColumn(4))], "交蔗(未结)");
}
