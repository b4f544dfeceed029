// The voucher page of one household: its cells for every kind, the amount made positive, the
// item taken from the kind's items, unknown households and operators, and the page printed
// whole or onto a pre-printed form.
#include <QImage>
#include <QProcess>
#include <algorithm>
#include <cmath>

#include "tests/common/SmTestPdf.h"
#include "tests/weighing/TsCardLayoutCheck.h"
#include "tests/weighing/TsYfDocTest.h"
#include "ui/SmPrinterService.h"
#include "weighing/TsYfVoucher.h"

namespace {

class TsYfVoucherTest : public TsYfDocTest {
 protected:
  void SetUp() override {
    TsYfDocTest::SetUp();
    if (HasFatalFailure()) return;
    Run({"Update SysTab Set NA='南华糖业有限公司'"});
    m_app.m_env.ReadSysTab(false);
    CSmPrinterService::Instance().Reset();
  }
  void TearDown() override {
    CSmPrinterService::Instance().Reset();
    TsYfDocTest::TearDown();
  }

  // A voucher row of 20160401, number 0007, made by 102.
  static CTsjsRec Voucher(int party, int kind, const char* code) {
    CTsjsRec rec;
    rec.LB = party;
    rec.DB = kind;
    rec.DH = "0007";
    rec.KNO = code;
    rec.T = "20160401";
    rec.OPR[0] = "102";
    return rec;
  }

  std::vector<CSmCardItem> Page(const CTsjsRec& rec, int item) {
    CSmCardLayout layout;
    DrawYfVoucher(rec, item, layout.m_items, m_db);
    return layout.m_items;
  }

  // The words of a printed PDF.
  static std::vector<std::string> Words(const std::string& pdf) {
    std::vector<std::string> words;
    for (const SmPdfWord& w : TsYfPdfWords(pdf)) words.push_back(w.text);
    return words;
  }

  // Whether the first page has a dark horizontal run as long as a quarter of its width.
  static bool HasRule(const std::string& pdf) {
    const std::string stem = pdf + "-page";
    QProcess::execute("pdftoppm", {"-r", "50", "-png", "-singlefile", QString::fromStdString(pdf),
                                   QString::fromStdString(stem)});
    const QImage page =
        QImage(QString::fromStdString(stem + ".png")).convertToFormat(QImage::Format_Grayscale8);
    EXPECT_FALSE(page.isNull());
    for (int y = 0; y < page.height(); ++y) {
      int run = 0;
      for (int x = 0; x < page.width(); ++x) {
        run = page.pixelColor(x, y).value() < 128 ? run + 1 : 0;
        if (run >= page.width() / 4) return true;
      }
    }
    return false;
  }
};

TEST_F(TsYfVoucherTest, EveryKindHasItsWordsItemAndPositiveAmount) {
  struct Case {
    int party, kind;
    const char* code;
    int item;
    int stored;  // the item number holding the amount
    double amount;
    const char* words[3];  // cells 3, 10 and 14
    const char* household;
    const char* itemName;
    const char* figures;
  } cases[] = {
      {0,
       1,
       "10101001",
       1,
       2,
       1000,
       {"付款单位", "收款单位：", "收款："},
       "(10101001)东区/一村/一组/张三",
       "种苗款",
       "1,000.00"},
      {0,
       2,
       "10101001",
       1,
       2,
       -1000,
       {"收款单位", "付款单位：", "付款："},
       "(10101001)东区/一村/一组/张三",
       "种苗款",
       "1,000.00"},
      {0,
       3,
       "10101002",
       0,
       1,
       -35.5,
       {"付款单位", "受托单位：", "经办："},
       "(10101002)东区/一村/一组/李四",
       "水费",
       "35.50"},
      {0,
       4,
       "10101002",
       0,
       0,
       -12.34,
       {"付息单位", "计息单位：", "计息："},
       "(10101002)东区/一村/一组/李四",
       "化肥款",
       "12.34"},
      {0,
       5,
       "10101002",
       0,
       0,
       0,
       {"收款单位", "收款单位：", "付："},
       "(10101002)东区/一村/一组/李四",
       "化肥款",
       ""},
      {0,
       6,
       "10101002",
       0,
       0,
       0,
       {"付款单位", "付款单位：", "收："},
       "(10101002)东区/一村/一组/李四",
       "化肥款",
       ""},
      {1,
       2,
       "002",
       0,
       0,
       -500,
       {"收款单位", "付款单位：", "付款："},
       "(002)车主002",
       "油款",
       "500.00"},
      {1, 1, "009", 0, 0, 500, {"付款单位", "收款单位：", "收款："}, "(009)", "油款", "500.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.party << "/" << c.kind);
    CTsjsRec rec = Voucher(c.party, c.kind, c.code);
    // Amounts in the other items must not show.
    for (int i = 0; i < 4; ++i) rec.MY[i] = -7;
    rec.MY[c.stored] = c.amount;
    rec.MU[0] = rec.MU[1] = 3;
    const std::vector<CSmCardItem> page = Page(rec, c.item);
    ASSERT_EQ(page.size(), 16u);
    EXPECT_EQ(page[3].sText, c.words[0]);
    EXPECT_EQ(page[10].sText, c.words[1]);
    EXPECT_EQ(page[14].sText, c.words[2]);
    EXPECT_EQ(page[4].sText, c.household);
    EXPECT_EQ(page[6].sText, c.itemName);
    EXPECT_EQ(page[9].sText, c.figures);
    EXPECT_EQ(page[8].sText, AmountInWords(std::abs(c.amount)));
  }
}

TEST_F(TsYfVoucherTest, CellsKeepTheirPlacesLinesAndMarks) {
  CTsjsRec rec = Voucher(0, 2, "10101001");
  rec.MY[0] = -1000;
  rec.OPR[1] = "103";
  CSmCardLayout layout;
  DrawYfVoucher(rec, 0, layout.m_items, m_db);
  ExpectCells(layout,
              {
                  {0, "2016年 04月 01日", {450, 0, 1050, 80}, {0, 0, 0, 2}, 6, true},
                  {1, "№", {1050, 0, 1200, 80}, {0, 0, 0, 2}, 2, false},
                  {2, "0007", {1200, 0, 1500, 80}, {0, 0, 0, 2}, 6, false},
                  {3, "收款单位", {0, 80, 300, 160}, {2, 2, 1, 1}, 6, false},
                  {4, "(10101001)东区/一村/一组/张三", {300, 80, 1500, 160}, {1, 2, 2, 1}, 0, true},
                  {5, "摘要", {0, 160, 300, 240}, {2, 1, 1, 1}, 6, false},
                  {6, "化肥款", {300, 160, 1500, 240}, {1, 1, 2, 1}, 0, true},
                  {7, "金额(大写)", {0, 240, 300, 320}, {2, 1, 1, 2}, 6, false},
                  {8, "壹仟元整", {300, 240, 1200, 320}, {1, 1, 1, 2}, 0, true},
                  {9, "1,000.00", {1200, 240, 1500, 320}, {1, 1, 2, 2}, 0, true},
                  {10, "付款单位：", {0, 320, 150, 400}, {0, 2, 0, 0}, 0, false},
                  {11, "南华糖业有限公司", {150, 320, 750, 400}, {0, 2, 0, 0}, 0, true},
                  {12, "复核：", {750, 320, 875, 400}, {0, 2, 0, 0}, 0, false},
                  {13, "(103)李出纳", {875, 320, 1125, 400}, {0, 2, 0, 0}, 0, true},
                  {14, "付款：", {1125, 320, 1250, 400}, {0, 2, 0, 0}, 0, false},
                  {15, "(102)王会计", {1250, 320, 1500, 400}, {0, 2, 0, 0}, 0, true},
              });
  for (size_t i = 0; i < layout.m_items.size(); ++i) {
    const CSmCardItem& item = layout.m_items[i];
    const bool first = i == 2 || i == 3 || i == 5 || i == 7;
    EXPECT_EQ((std::vector<int>{item.nOpt1, item.nOpt2, item.nOpt3, item.nOpt4, item.nOpt5}),
              (std::vector<int>{first ? 1 : 0, 1, 0, 2, 2}))
        << i;
    EXPECT_TRUE(item.bNoIndent) << i;
  }

  // Unreviewed: no reviewer; an operator not in the list by the number alone.
  rec.OPR[1].clear();
  rec.OPR[0] = "199";
  DrawYfVoucher(rec, 0, layout.m_items, m_db);
  EXPECT_EQ(layout.m_items[13].sText, "");
  EXPECT_EQ(layout.m_items[15].sText, "(199)");
}

TEST_F(TsYfVoucherTest, PreprintedFormsGetOnlyTheValuesAndNoLines) {
  CTsjsRec rec = Voucher(0, 2, "10101001");
  rec.MY[0] = -1000;
  rec.OPR[1] = "103";
  CTsYfPageSetup page;
  page.SetVouchers({rec}, 0, m_db);
  EXPECT_EQ(page.m_layout.m_title.sText, "付款凭证");

  const std::string whole = SmQueueTestPdf("voucher_whole");
  ASSERT_TRUE(page.Print(SM_ID_FILE_PRINT_DIRECT));
  const std::vector<std::string> all = Words(whole);
  for (const char* text : {"付款凭证", "№", "0007", "收款单位", "摘要", "金额(大写)", "复核：",
                           "壹仟元整", "1,000.00", "(102)王会计"}) {
    EXPECT_NE(std::find(all.begin(), all.end(), text), all.end()) << text;
  }
  EXPECT_TRUE(HasRule(whole));

  page.m_formMode = true;
  const std::string form = SmQueueTestPdf("voucher_form");
  ASSERT_TRUE(page.Print(SM_ID_FILE_PRINT_DIRECT));
  const std::vector<std::string> values = Words(form);
  for (const char* text : {"2016年", "(10101001)东区/一村/一组/张三", "化肥款", "壹仟元整",
                           "1,000.00", "南华糖业有限公司", "(103)李出纳", "(102)王会计"}) {
    EXPECT_NE(std::find(values.begin(), values.end(), text), values.end()) << text;
  }
  for (const char* text : {"付款凭证", "№", "0007", "收款单位", "摘要", "金额(大写)", "复核：",
                           "付款单位：", "付款："}) {
    EXPECT_EQ(std::find(values.begin(), values.end(), text), values.end()) << text;
  }
  EXPECT_FALSE(HasRule(form));
}

}  // namespace
