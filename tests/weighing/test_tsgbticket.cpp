// The ticket on the card and on paper: the layout's cells for the defined items, one ticket's
// values in them, the print variables of group 9601, and the three print styles read back
// from the printed PDF.
#include <gtest/gtest.h>

#include <QFile>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <ctime>

#include "core/SmCsRecord.h"
#include "forms/SmCardLayout.h"
#include "tests/cane/TsFileTest.h"
#include "tests/common/SmTestPdf.h"
#include "tests/weighing/TsCardLayoutCheck.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrintJob.h"
#include "ui/SmPrinterService.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsgbTicketLayout.h"
#include "weighing/TsgbTicketPrint.h"

namespace {

constexpr double kPointsPerTenthMm = 72.0 / 254.0;

// Farmer 10102001 under three regions, driver 003, place 012, variety 101, gross operator 102
// (the taring operator 109 is unknown). Cane items: 补助款 +200, 扣义运 -10, 扣限载 -5 and the
// withholding 扣修路费 -20; freight items: 放空补助 0, 超载扣运费 -12.5.
CTsgbRec Delivery() {
  CTsgbRec rec;
  rec.T = "20161203";
  rec.TH = "083005";
  rec.DH = "0001";
  rec.OPR[0] = "102";
  rec.OPR[1] = "109";
  rec.KNO[0] = "10102001";
  rec.KNO[1] = "003";
  rec.KNO[2] = "012";
  rec.KNO[3] = "101";
  rec.MU[0] = 30.5;
  rec.MU[1] = 10.2;
  rec.MU[2] = 0.3;
  rec.MU[3] = 1.5;
  rec.PR[0] = 300;
  rec.PR[1] = 20;
  rec.MY = {6000, 200, 10, 5, 20, 0, 406, 0, 12.5, 0, 0, 0};
  return rec;
}

// A printer that keeps what is drawn on it: the number of lines and the texts.
class RecordingEngine : public QPaintEngine {
 public:
  RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
  bool begin(QPaintDevice* /*device*/) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState& /*state*/) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawLines(const QLineF* /*lines*/, int count) override { lines += count; }
  void drawLines(const QLine* /*lines*/, int count) override { lines += count; }
  void drawRects(const QRectF*, int) override {}
  void drawRects(const QRect*, int) override {}
  void drawPath(const QPainterPath&) override {}
  void drawTextItem(const QPointF& /*p*/, const QTextItem& item) override {
    texts.push_back(item.text().toStdString());
  }
  Type type() const override { return QPaintEngine::User; }

  int lines = 0;
  std::vector<std::string> texts;
};

class RecordingPrinter : public QPaintDevice {
 public:
  int devType() const override { return QInternal::Printer; }
  QPaintEngine* paintEngine() const override { return &engine; }
  mutable RecordingEngine engine;

 protected:
  int metric(PaintDeviceMetric metric) const override {
    switch (metric) {
      case PdmWidth:
        return 2480;
      case PdmHeight:
        return 3508;
      case PdmWidthMM:
        return 210;
      case PdmHeightMM:
        return 297;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return 300;
      case PdmDepth:
        return 32;
      default:
        return QPaintDevice::metric(metric);
    }
  }
};

}  // namespace

class TsgbTicketTest : public TsFileTest {
 protected:
  void SetUp() override {
    TsFileTest::SetUp();
    if (HasFatalFailure()) return;
    CSmPrinterService::Instance().Reset();
    m_hooks = SmGetPrintHooks();
    Run({"Insert Into NHDir(KNO,NA) Values('1','某镇')",
         "Insert Into NHDir(KNO,NA) Values('101','东乡')",
         "Insert Into NHDir(KNO,NA) Values('10102','西村')",
         "Insert Into NHDir(KNO,NA) Values('10102001','张三')",
         "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('003','李四','25','')",
         "Insert Into AdrDir(KNO,NA,jl,ypr) Values('012','北坡',12.5,20)",
         "Insert Into GP(KNO,NA,pr) Values('101','桂糖',300)",
         "Update OPR Set NA='王磅' Where OPNO='102'"});
  }
  void TearDown() override {
    SmGetPrintHooks() = m_hooks;
    CSmPrinterService::Instance().Reset();
    TsFileTest::TearDown();
  }

  // No ticket items of either kind.
  void NoItems() {
    for (int i = 0; i < 10; ++i) m_type->m_strParams[i].clear();
    m_type->BuildItemTables();
  }

  CSmCardLayout Filled(const CTsgbRec& rec) {
    CSmCardLayout layout;
    TsgbBuildTicketLayout(layout);
    TsgbFillTicketLayout(rec, layout, &m_db);
    return layout;
  }

  SmPrintHooks m_hooks;
};

INSTANTIATE_TEST_SUITE_P(DataFile, TsgbTicketTest, testing::Values(0));

// ---------------------------------------------------------------- the layout

TEST_P(TsgbTicketTest, LayoutGrowsWithTheDefinedItems) {
  CSmCardLayout layout;
  TsgbBuildTicketLayout(layout);
  // Four cane items (A = 5) and two freight items (B = 3): W = 6 × 7 × 5.
  ASSERT_EQ(layout.m_items.size(), 52u);
  EXPECT_EQ(layout.m_items.back().rcItem.right, 210);
  EXPECT_EQ(Texts(layout, 24, 7), (std::vector<std::string>{"吨蔗价", "蔗款", "补助款", "扣义运",
                                                            "扣限载", "扣修路费", "蔗款合计"}));
  EXPECT_EQ(Texts(layout, 38, 5),
            (std::vector<std::string>{"吨运价", "运费", "放空补助", "超载扣运费", "运费合计"}));

  ExpectCells(layout, {
                          {0, "№：", {160, 0, 170, 1}, {0, 0, 0, 2}, kSmCardAlignRight, false},
                          {1, "", {170, 0, 210, 1}, {0, 0, 0, 2}, kSmCardAlignCenter, false},
                          {2, "", {75, 0, 85, 1}, {0, 0, 0, 2}, kSmCardAlignCenter, true},
                          {7, "日", {125, 0, 160, 1}, {0, 0, 0, 2}, kSmCardAlignLeft, false},
                          {8, "交蔗单位", {0, 1, 35, 2}, {2, 2, 0, 0}, kSmCardAlignCenter, false},
                          {9, "", {35, 1, 140, 2}, {1, 2, 0, 0}, kSmCardAlignLeft, true},
                          {11, "", {175, 1, 210, 2}, {1, 2, 2, 0}, kSmCardAlignLeft, true},
                          {13, "", {35, 2, 70, 3}, {1, 1, 0, 0}, kSmCardAlignLeft, true},
                          {17, "", {175, 2, 210, 3}, {1, 1, 2, 0}, kSmCardAlignCenter, true},
                          {18, "皮重(吨)", {0, 3, 35, 4}, {2, 1, 0, 2}, kSmCardAlignCenter, false},
                          {23, "", {175, 3, 210, 4}, {1, 1, 2, 2}, kSmCardAlignCenter, true},
                          {24, "吨蔗价", {0, 4, 30, 5}, {2, 2, 0, 0}, kSmCardAlignCenter, false},
                          {37, "", {180, 5, 210, 6}, {1, 1, 2, 2}, kSmCardAlignCenter, true},
                          {43, "", {0, 7, 42, 8}, {2, 1, 0, 2}, kSmCardAlignCenter, true},
                          {48, "毛重：", {90, 8, 110, 9}, {0, 2, 0, 0}, kSmCardAlignRight, false},
                          {49, "", {110, 8, 175, 9}, {0, 2, 0, 0}, kSmCardAlignLeft, true},
                          {51, "", {185, 8, 210, 9}, {0, 2, 0, 0}, kSmCardAlignLeft, true},
                      });

  NoItems();
  TsgbBuildTicketLayout(layout);
  ASSERT_EQ(layout.m_items.size(), 36u);
  EXPECT_EQ(layout.m_items.back().rcItem.right, 24);
  EXPECT_EQ(Texts(layout, 24, 2), (std::vector<std::string>{"吨蔗价", "蔗款"}));
  EXPECT_EQ(Texts(layout, 28, 2), (std::vector<std::string>{"吨运价", "运费"}));
  EXPECT_EQ(layout.m_items[27].rcItem, (CSmCardRect{12, 5, 24, 6}));
}

TEST_P(TsgbTicketTest, FilledTicketShowsItsValuesInTheirCells) {
  const CSmCardLayout layout = Filled(Delivery());
  struct Value {
    size_t index;
    const char* text;
  };
  const Value values[] = {
      {1, "0001"},       {2, "2016"},        {4, "12"},
      {6, "03"},         {7, "日 08:30:05"}, {9, "(10102001)某镇/东乡/西村/张三"},
      {11, "(003)李四"}, {13, "北坡"},       {15, "桂糖"},
      {17, "30.500"},    {19, "10.200"},     {21, "0.300(1.5％)"},
      {23, "20.000"},    {31, "300.00"},     {32, "6000.00"},
      {33, "200.00"},    {36, "20.00"},      {37, "6165.00"},
      {43, "20.00"},     {44, "406.00"},     {45, "0.00"},
      {46, "12.50"},     {47, "393.50"},     {49, "王磅"},
      {51, ""},
  };
  for (const Value& v : values) EXPECT_EQ(layout.m_items[v.index].sText, v.text) << v.index;

  // No time, no impurity ratio, master data that is missing: empty names, the codes kept.
  CTsgbRec bare = Delivery();
  bare.TH.clear();
  bare.MU[3] = 0;
  bare.KNO[0] = "10109999";
  bare.KNO[1] = "009";
  bare.KNO[2] = "099";
  bare.KNO[3] = "";
  bare.OPR[0] = "";
  const CSmCardLayout missing = Filled(bare);
  EXPECT_EQ(missing.m_items[7].sText, "日");
  EXPECT_EQ(missing.m_items[9].sText, "(10109999)");
  EXPECT_EQ(missing.m_items[11].sText, "(009)");
  EXPECT_EQ(missing.m_items[13].sText, "");
  EXPECT_EQ(missing.m_items[15].sText, "");
  EXPECT_EQ(missing.m_items[21].sText, "0.300");
  EXPECT_EQ(missing.m_items[49].sText, "");
}

// ---------------------------------------------------------------- the print variables

TEST_P(TsgbTicketTest, PrintVariablesOfATicketInTheirOrderAndForms) {
  const TsPrintPairs pairs = TsgbTicketPrintVars(Delivery(), &m_db);
  std::vector<std::string> names;
  for (const auto& pair : pairs) names.push_back(pair.first);
  const std::vector<std::string> expected = {
      "#nhh",   "#nhm",   "#qhnh0", "#qhnh1", "#qhnh2", "#qhnh3", "#qhnh4", "#yhh",   "#yhm",
      "#xzx",   "#xzs",   "#cdh",   "#cdm",   "#yj",    "#zph",   "#zpm",   "#mah",   "#mam",
      "#pih",   "#pim",   "#dh",    "#yy",    "#mm",    "#dd",    "#HH",    "#MM",    "#SS",
      "#py",    "#pm",    "#pd",    "#pH",    "#pM",    "#pS",    "#mz",    "#pz",    "#zz",
      "#zb",    "#sl",    "#ysl",   "#djz",   "#djy",   "#jez",   "#dxz",   "#jey",   "#dxy",
      "#hjz",   "#hjdz",  "#hjy",   "#hjdy",  "#gbz01", "#gbz02", "#gbz03", "#gbz04", "#gbz05",
      "#gby01", "#gby02", "#gby03", "#gby04", "#gby05"};
  EXPECT_EQ(names, expected);

  const auto value = [&](const std::string& name) {
    for (const auto& [n, text] : pairs) {
      if (n == name) return text;
    }
    return std::string("?");
  };
  const std::pair<const char*, const char*> table[] = {
      {"#nhh", "10102001"}, {"#nhm", "某镇/东乡/西村/张三"},
      {"#qhnh0", "某镇"},   {"#qhnh3", "张三"},
      {"#qhnh4", ""},       {"#yhm", "李四"},
      {"#xzx", "25"},       {"#xzs", ""},
      {"#cdm", "北坡"},     {"#yj", "12.5"},
      {"#zpm", "桂糖"},     {"#mam", "王磅"},
      {"#pih", "109"},      {"#pim", ""},
      {"#dh", "0001"},      {"#yy", "2016"},
      {"#mm", "12"},        {"#dd", "03"},
      {"#HH", "08"},        {"#MM", "30"},
      {"#SS", "05"},        {"#mz", "30.500"},
      {"#zz", "0.300"},     {"#zb", "1.5"},
      {"#sl", "20.000"},    {"#ysl", "20.300"},
      {"#djz", "300.00"},   {"#djy", "20.00"},
      {"#jez", "6000.00"},  {"#dxz", "陆仟元整"},
      {"#jey", "406.00"},   {"#hjz", "6165.00"},
      {"#hjy", "393.50"},   {"#hjdy", "叁佰玖拾叁元伍角整"},
      {"#gbz01", "200.00"}, {"#gbz04", "20.00"},
      {"#gbz05", "0.00"},   {"#gby01", "0.00"},
      {"#gby02", "12.50"},  {"#gby03", "0.00"},
  };
  for (const auto& [name, text] : table) EXPECT_EQ(value(name), text) << name;
  char year[8];
  const std::time_t now = std::time(nullptr);
  std::strftime(year, sizeof year, "%Y", std::localtime(&now));
  EXPECT_EQ(value("#py"), year);
  EXPECT_EQ(value("#pS").size(), 2u);
}

// ---------------------------------------------------------------- printing

class TsgbTicketPrintTest : public TsgbTicketTest {
 protected:
  void SetUp() override {
    TsgbTicketTest::SetUp();
    if (HasFatalFailure()) return;
    CSmDatabase* app = m_app.m_env.Connection();
    ASSERT_TRUE(app->Open(m_db.GetFileName(), m_db.GetConnInfo())) << app->LastError();
    m_app.m_env.SetLogOn(1);
    m_app.m_opLog.m_enabled = 1;
  }
  void TearDown() override {
    m_app.m_env.Close();
    TsgbTicketTest::TearDown();
  }
  std::string Logged() { return Rows("Select sNote From SmLog Where nTaskID=1605 Order By sT"); }
  static std::vector<std::string> Words(const std::string& pdf) {
    std::vector<std::string> words;
    for (const SmPdfWord& w : SmPdfWords(pdf)) words.push_back(w.text);
    return words;
  }
  static bool Has(const std::vector<std::string>& words, const std::string& text) {
    return std::find(words.begin(), words.end(), text) != words.end();
  }
};

INSTANTIATE_TEST_SUITE_P(DataFile, TsgbTicketPrintTest, testing::Values(0));

TEST_P(TsgbTicketPrintTest, WholeLayoutAndPrePrintedFormPrintTheirCells) {
  CSmCardLayout layout;
  const std::string whole = SmQueueTestPdf("ticket_whole");
  ASSERT_TRUE(TsgbPrintTicket(kTsPrintWhole, Delivery(), layout, &m_db));
  EXPECT_EQ(SmPdfPages(whole), 1);
  const std::vector<std::string> all = Words(whole);
  for (const char* text : {"交蔗单位", "(10102001)某镇/东乡/西村/张三", "0001", "蔗款合计",
                           "6165.00", "393.50", "王磅", "0.300(1.5％)"})
    EXPECT_TRUE(Has(all, text)) << text;

  const std::string form = SmQueueTestPdf("ticket_form");
  ASSERT_TRUE(TsgbPrintTicket(kTsPrintOnForm, Delivery(), layout, &m_db));
  const std::vector<std::string> marked = Words(form);
  for (const char* text : {"(10102001)某镇/东乡/西村/张三", "6165.00", "393.50", "王磅", "2016"})
    EXPECT_TRUE(Has(marked, text)) << text;
  for (const char* text : {"交蔗单位", "蔗款合计", "0001", "№："})
    EXPECT_FALSE(Has(marked, text)) << text;
  EXPECT_EQ(Logged(), "打印：0001|套打：0001");
}

TEST_P(TsgbTicketPrintTest, PrePrintedFormDrawsNoLineAndOnlyMarkedTexts) {
  CSmCardLayout layout;
  TsgbBuildTicketLayout(layout);
  TsgbFillTicketLayout(Delivery(), layout, &m_db);
  layout.ComputeScale();
  CSmPrintState state;
  ASSERT_TRUE(layout.PreparePrinting(state));
  const auto draw = [&](bool formMode) {
    RecordingPrinter printer;
    QPainter painter(&printer);
    layout.Draw(painter, formMode);
    painter.end();
    return std::make_pair(printer.engine.lines, printer.engine.texts);
  };
  const auto [wholeLines, wholeTexts] = draw(false);
  EXPECT_GT(wholeLines, 52);
  EXPECT_NE(std::find(wholeTexts.begin(), wholeTexts.end(), "交蔗单位"), wholeTexts.end());
  const auto [formLines, formTexts] = draw(true);
  EXPECT_EQ(formLines, 0);
  std::vector<std::string> expected;
  for (const CSmCardItem& item : layout.m_items) {
    if (item.bIsUse && !item.sText.empty()) expected.push_back(item.sText);
  }
  EXPECT_EQ(formTexts, expected);
}

TEST_P(TsgbTicketPrintTest, CustomPositionsPrintTheVariablesAtTheirFields) {
  CSmCardLayout layout;
  const std::string pdf = SmQueueTestPdf("ticket_fields");
  ASSERT_TRUE(TsgbPrintTicket(kTsPrintAtPositions, Delivery(), layout, &m_db));
  const std::vector<SmPdfWord> words = SmPdfWords(pdf);
  // Default fields stand at x 300 and y 400 + 60 × their place in the list.
  const std::pair<const char*, int> fields[] = {{"(10102001)某镇/东乡/西村/张三", 1},
                                                {"(003)李四", 7},
                                                {"0001", 12},
                                                {"20.000", 21},
                                                {"30.500", 17},
                                                {"陆仟元整", 26},
                                                {"393.50", 31}};
  for (const auto& [text, place] : fields) {
    const auto found = std::find_if(words.begin(), words.end(),
                                    [&](const SmPdfWord& w) { return w.text == text; });
    ASSERT_NE(found, words.end()) << text;
    EXPECT_NEAR(found->xMin, 300 * kPointsPerTenthMm, 2.83) << text;
    EXPECT_NEAR(found->yMin, (400 + 60 * place) * kPointsPerTenthMm, 2.83) << text;
  }
  EXPECT_EQ(Logged(), "自定位打印：0001");
}

// Without a printer the print dialog is offered and its PDF output takes the ticket.
TEST_P(TsgbTicketPrintTest, WithoutAPrinterThePrintDialogOffersItsPdfOutput) {
  CSmCardLayout layout;
  SmGetPrintHooks().hasDefaultPrinter = [] { return false; };
  const std::string pdf = SmQueueTestPdf("ticket_noprinter");
  EXPECT_TRUE(TsgbPrintTicket(kTsPrintWhole, Delivery(), layout, &m_db));
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(), std::vector<std::string>{"打印"});
  EXPECT_EQ(SmPdfPages(pdf), 1);
  EXPECT_EQ(Logged(), "打印：0001");
}

TEST_P(TsgbTicketPrintTest, NothingPrintedLogsNothing) {
  CSmCardLayout layout;
  // A print group without fields stops the custom-position print.
  CSmCsRecord row(&m_db);
  row.Set(9601, 0, "纸张尺寸", "2100 2970");
  ASSERT_TRUE(row.Insert());
  const std::string fields = SmQueueTestPdf("ticket_nofields");
  EXPECT_FALSE(TsgbPrintTicket(kTsPrintAtPositions, Delivery(), layout, &m_db));
  EXPECT_EQ(Shown(), std::vector<std::string>{"未定义打印字域！"});
  EXPECT_FALSE(QFile::exists(QString::fromStdString(fields)));

  // A job that cannot start.
  SmGetPrintHooks() = m_hooks;
  SmResetMessages();
  CSmMessageService::Instance().QueuePrintFile(SmTestHome() + "/missing/folder/ticket.pdf");
  EXPECT_FALSE(TsgbPrintTicket(kTsPrintOnForm, Delivery(), layout, &m_db));
  EXPECT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Logged(), "");
}
