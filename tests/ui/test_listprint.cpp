// Lists printed as ruled tables over pages, their layouts in SysCsTab and the page setup.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>

#include "core/SmCsRecord.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmTestPdf.h"
#include "tests/core/test_db_fixture.h"
#include "ui/SmListCtrl.h"
#include "ui/SmListPageSetup.h"
#include "ui/SmListPrint.h"
#include "ui/SmPrinterService.h"

namespace {

// A list of `rows` rows that names its own print key and title.
class PrintableList : public CSmListCtrl {
 public:
  explicit PrintableList(int rows) {
    SetColumns({60, 120, 80}, {"编号", "姓名", "重量"});
    for (int i = 1; i <= rows; ++i) {
      AddRow({std::to_string(i), std::to_string(1000 + i), std::to_string(i * 10)});
    }
  }
  bool GetPrintInfo(int& key, std::string& title) override {
    key = 77;
    title = "过磅记录";
    return true;
  }
};

class ListPrintTest : public DataFileTest {
 protected:
  void SetUp() override {
    DataFileTest::SetUp();
    CSmPrinterService::Instance().Reset();
    m_pdf = SmTestHome() + "/list.pdf";
    QFile::remove(QString::fromStdString(m_pdf));
  }
  void TearDown() override { CSmPrinterService::Instance().Reset(); }

  // A layout of 40 item rows per page with one header and one footer line.
  void SaveFortyLineLayout(const std::string& footer = "   第 %0/%1 页") {
    CSmListPrintSettings s;
    s.key = 77;
    s.title = "过磅记录";
    s.rowHeights[CSmListPrintSettings::kBody] = 50;
    s.margins[3] = 440;
    s.footer = footer;
    ASSERT_TRUE(s.Save(&m_db));
  }
  bool PrintList(CSmListCtrl& list) {
    list.SetDatabase(&m_db);
    CSmMessageService::Instance().QueuePrintFile(m_pdf);
    list.Print();
    return QFile::exists(QString::fromStdString(m_pdf));
  }
  const SmPdfWord* Find(const std::vector<SmPdfWord>& words, const std::string& text, int page) {
    for (const SmPdfWord& w : words) {
      if (w.text == text && w.page == page) return &w;
    }
    return nullptr;
  }

  std::string m_pdf;
};

}  // namespace

TEST(ListPrintText, PageLinesExpandTheirPageNumbers) {
  struct Case {
    const char* line;
    const char* printed;
  } cases[] = {
      {"   第 %0/%1 页", "   第 2/3 页"},
      {"合计%", "合计"},
      {"%a%b%%", "ab%"},
      {"100%0", "1002"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(SmExpandPageLine(c.line, 2, 3), c.printed) << c.line;
  EXPECT_EQ(SmSplitPageLines(""), std::vector<std::string>{""});
  EXPECT_EQ(SmSplitPageLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b", ""}));
}

TEST(ListPrintText, PaperTexts) {
  struct Case {
    const char* text;
    SmPaperText kind;
    int width, length;
  } cases[] = {
      {"1840 x 2600 16开", SmPaperText::kWidthAndLength, 1840, 2600},
      {"  2100*2970", SmPaperText::kWidthAndLength, 2100, 2970},
      {"2410", SmPaperText::kWidthOnly, 2410, -1},
      {" 自定义", SmPaperText::kInvalid, -1, -1},
      {"0012 x 500", SmPaperText::kInvalid, -1, -1},
      {"x 2100", SmPaperText::kInvalid, -1, -1},
  };
  for (const Case& c : cases) {
    int width = -1;
    int length = -1;
    EXPECT_EQ(SmParsePaperText(c.text, width, length), c.kind) << c.text;
    EXPECT_EQ(width, c.width) << c.text;
    EXPECT_EQ(length, c.length) << c.text;
  }
}

TEST_F(ListPrintTest, LayoutsReadBackFromAFreshConnection) {
  CSmListPrintSettings s;
  s.key = 5;
  s.title = "蔗农'列表";
  s.header = "单位：吨|\r\n制表人 'x'";
  s.fonts[CSmListPrintSettings::kTitle].height = 14;
  s.fonts[CSmListPrintSettings::kBody].faceName = "O'Brien";
  s.colors[CSmListPrintSettings::kFooter] = 0x0000FF;
  s.landscape = 1;
  s.paperWidth = 2970;  // as oriented
  s.paperLength = 2100;
  ASSERT_TRUE(s.Save(&m_db));
  // Margins are always stored; unchanged font members and the A4 paper (portrait terms) are
  // not.
  EXPECT_EQ(m_db.QueryInt("SELECT COUNT(*) FROM SysCsTab WHERE Cs=9002 AND CsN=5"), 15);
  EXPECT_EQ(m_db.QueryInt("SELECT COUNT(*) FROM SysCsTab WHERE Cs=9002 AND CsNa='30'"), 0);

  CSmDatabase other;
  ASSERT_TRUE(other.Open(m_path));
  CSmListPrintSettings loaded;
  loaded.key = 5;
  loaded.title = "handed over";
  loaded.Load(&other);
  EXPECT_EQ(loaded.title, s.title);
  EXPECT_EQ(loaded.header, "单位：吨｜\r\n制表人 'x'");  // the data file keeps no "|"
  EXPECT_EQ(loaded.fonts[CSmListPrintSettings::kTitle].height, 14);
  EXPECT_EQ(loaded.fonts[CSmListPrintSettings::kTitle].faceName, "黑体");
  EXPECT_EQ(loaded.fonts[CSmListPrintSettings::kBody].faceName, "O'Brien");
  EXPECT_EQ(loaded.colors[CSmListPrintSettings::kFooter], 0x0000FFu);
  EXPECT_EQ(loaded.paperWidth, 2970);
  EXPECT_EQ(loaded.paperLength, 2100);
  EXPECT_EQ(loaded.margins[0], 200);
}

TEST_F(ListPrintTest, AFailedSaveKeepsTheStoredLayout) {
  SaveFortyLineLayout();
  ASSERT_TRUE(
      m_db.ExecuteSQL("CREATE TRIGGER no_footer BEFORE INSERT ON SysCsTab WHEN NEW.CsNa='12' "
                      "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
  CSmListPrintSettings changed;
  changed.key = 77;
  changed.title = "新标题";
  EXPECT_FALSE(changed.Save(&m_db));
  CSmListPrintSettings loaded;
  loaded.key = 77;
  loaded.Load(&m_db);
  EXPECT_EQ(loaded.title, "过磅记录");
  EXPECT_EQ(loaded.margins[3], 440);
}

TEST_F(ListPrintTest, ALongListPrintsOverPagesWithFullHeightTables) {
  SaveFortyLineLayout();
  PrintableList list(95);
  ASSERT_TRUE(PrintList(list));
  EXPECT_EQ(SmPdfPages(m_pdf), 3);
  const std::vector<SmPdfWord> words = SmPdfWords(m_pdf);
  for (int page = 1; page <= 3; ++page) {
    EXPECT_NE(Find(words, "过磅记录", page), nullptr) << page;
    EXPECT_NE(Find(words, "姓名", page), nullptr) << page;
    EXPECT_NE(Find(words, std::to_string(page) + "/3", page), nullptr) << page;
  }
  EXPECT_NE(Find(words, "1040", 1), nullptr);
  EXPECT_NE(Find(words, "1041", 2), nullptr);
  EXPECT_NE(Find(words, "1095", 3), nullptr);
  EXPECT_EQ(Find(words, "1096", 3), nullptr);
  // The last page's table is as high as the others: its footer sits where theirs does.
  const SmPdfWord* first = Find(words, "1/3", 1);
  const SmPdfWord* last = Find(words, "3/3", 3);
  ASSERT_TRUE(first && last);
  EXPECT_NEAR(first->yMin, last->yMin, 0.5);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(ListPrintTest, AnEmptyListPrintsOnePageWithItsCaptions) {
  SaveFortyLineLayout("end% %1 %x end%");
  PrintableList list(0);
  ASSERT_TRUE(PrintList(list));
  EXPECT_EQ(SmPdfPages(m_pdf), 1);
  const std::vector<SmPdfWord> words = SmPdfWords(m_pdf);
  EXPECT_NE(Find(words, "编号", 1), nullptr);
  EXPECT_NE(Find(words, "x", 1), nullptr);
  EXPECT_NE(Find(words, "end", 1), nullptr);
  EXPECT_EQ(Find(words, "end%", 1), nullptr);
}

TEST_F(ListPrintTest, TooLittlePaperPrintsNothing) {
  CSmListPrintSettings s;
  s.key = 77;
  s.margins[1] = 1400;
  s.margins[3] = 1400;
  ASSERT_TRUE(s.Save(&m_db));
  PrintableList list(3);
  EXPECT_FALSE(PrintList(list));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "纸张长度太小！");
  EXPECT_TRUE(CSmMessageService::Instance().PrintDialogs().empty());
}

TEST_F(ListPrintTest, ColumnsWithoutWidthPrintTheFrameAndSaySo) {
  PrintableList list(2);
  list.header()->setMinimumSectionSize(0);
  list.header()->setStretchLastSection(false);
  for (int i = 0; i < 3; ++i) list.setColumnWidth(i, 0);
  ASSERT_TRUE(PrintList(list));
  EXPECT_EQ(SmPdfPages(m_pdf), 1);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "列表各列的宽度均为0，只能打印表格的外框。");
  EXPECT_NE(Find(SmPdfWords(m_pdf), "过磅记录", 1), nullptr);
}

// ---------------------------------------------------------------- page setup 947

namespace {

void SetText(CSmDlg& dlg, int id, const QString& text) {
  static_cast<QLineEdit*>(dlg.Control(id))->setText(text);
}

}  // namespace

TEST_F(ListPrintTest, PageSetupRefusesPapersThatDoNotFit) {
  struct Case {
    const char* paper;
    const char* left;
    const char* top;
    const char* message;
    int focus;
  } cases[] = {
      {"自定义", "200", "200", "未录入有效的纸张宽度！", CSmListPrintPageDlg::kPaper},
      {"499 x 2970", "200", "200", "纸张太小！", CSmListPrintPageDlg::kPaper},
      {"2100 x 499", "200", "200", "纸张太小！", CSmListPrintPageDlg::kPaper},
      {"600 x 2970", "401", "200", "纸张宽度无法与纸边距匹配！", CSmListPrintPageDlg::kLeftMargin},
      {"2100 x 600", "200", "401", "纸张长度无法与纸边距匹配！", CSmListPrintPageDlg::kTopMargin},
  };
  for (const Case& c : cases) {
    SmResetMessages();
    CSmListPrintPageDlg dlg(77, "过磅记录", &m_db);
    dlg.show();
    static_cast<QComboBox*>(dlg.Control(CSmListPrintPageDlg::kPaper))
        ->setEditText(QString::fromUtf8(c.paper));
    SetText(dlg, CSmListPrintPageDlg::kLeftMargin, c.left);
    SetText(dlg, CSmListPrintPageDlg::kTopMargin, c.top);
    dlg.OnCommand(CSmListPrintPageDlg::kConfirm);
    EXPECT_TRUE(dlg.isVisible()) << c.paper;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message) << c.paper;
    ASSERT_NE(dlg.focusWidget(), nullptr) << c.paper;
    EXPECT_EQ(dlg.focusWidget()->objectName().toInt(), c.focus) << c.paper;
  }
  EXPECT_EQ(m_db.QueryInt("SELECT COUNT(*) FROM SysCsTab WHERE Cs=9002"), 0);
}

TEST_F(ListPrintTest, PageSetupKeepsThePaperChosen) {
  {
    CSmListPrintPageDlg dlg(77, "过磅记录", &m_db);
    auto* paper = static_cast<QComboBox*>(dlg.Control(CSmListPrintPageDlg::kPaper));
    EXPECT_EQ(paper->currentText(), "2100 x 2970 A4纸");
    paper->setCurrentIndex(paper->findText("1840 x 2600 16开"));
    static_cast<QRadioButton*>(dlg.Control(CSmListPrintPageDlg::kLandscape))->setChecked(true);
    dlg.TakeFont(CSmListPrintSettings::kTitle, SmDefaultLogFont("宋体", 14), 0xFF);
    dlg.OnCommand(CSmListPrintPageDlg::kConfirm);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
  }
  CSmListPrintPageDlg again(77, "过磅记录", &m_db);
  EXPECT_EQ(static_cast<QComboBox*>(again.Control(CSmListPrintPageDlg::kPaper))->currentText(),
            "1840 x 2600 16开");
  EXPECT_TRUE(
      static_cast<QRadioButton*>(again.Control(CSmListPrintPageDlg::kLandscape))->isChecked());
  EXPECT_EQ(again.Settings().paperWidth, 2600);  // as oriented
  EXPECT_EQ(again.Settings().fonts[CSmListPrintSettings::kTitle].height, 14);
  EXPECT_EQ(again.Settings().colors[CSmListPrintSettings::kTitle], 0xFFu);

  // Only a width: the length stays.
  static_cast<QComboBox*>(again.Control(CSmListPrintPageDlg::kPaper))->setEditText("2000");
  static_cast<QRadioButton*>(again.Control(CSmListPrintPageDlg::kPortrait))->setChecked(true);
  again.OnCommand(CSmListPrintPageDlg::kConfirm);
  CSmListPrintSettings loaded;
  loaded.key = 77;
  loaded.Load(&m_db);
  EXPECT_EQ(loaded.paperWidth, 2000);
  EXPECT_EQ(loaded.paperLength, 2600);
}

// ---------------------------------------------------------------- card page setup 970

TEST_F(ListPrintTest, CardPageSetupRefusesWithItsTextsAndFocus) {
  struct Case {
    const char* paper;
    const char* left;
    const char* screenWidth;
    const char* message;
    int focus;
  } cases[] = {
      {" 自定义", "200", "600", "未录入有效的纸张宽度！", CSmListPageSetupDlg::kPaper},
      {"2100", "200", "600", "纸张太小！",
       CSmListPageSetupDlg::kPaper},  // a width alone has no length
      {"2100 x 499", "200", "600", "纸张太小！", CSmListPageSetupDlg::kPaper},
      {"600 x 2970", "401", "600", "纸张宽度无法与纸边距匹配！", CSmListPageSetupDlg::kLeftMargin},
      {"2100 x 2970", "200", "49", "屏幕尺寸太小！", CSmListPageSetupDlg::kScreenWidth},
  };
  for (const Case& c : cases) {
    SmResetMessages();
    CSmListPageSetup setup;
    setup.key = 12;
    CSmListPageSetupDlg dlg(&setup, &m_db);
    dlg.show();
    static_cast<QComboBox*>(dlg.Control(CSmListPageSetupDlg::kPaper))
        ->setEditText(QString::fromUtf8(c.paper));
    SetText(dlg, CSmListPageSetupDlg::kLeftMargin, c.left);
    SetText(dlg, CSmListPageSetupDlg::kScreenWidth, c.screenWidth);
    SetText(dlg, CSmListPageSetupDlg::kScreenHeight, "600");
    dlg.OnCommand(CSmListPageSetupDlg::kConfirm);
    EXPECT_TRUE(dlg.isVisible()) << c.paper;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message) << c.paper;
    ASSERT_NE(dlg.focusWidget(), nullptr) << c.paper;
    EXPECT_EQ(dlg.focusWidget()->objectName().toInt(), c.focus) << c.paper;
  }
  EXPECT_EQ(m_db.QueryInt("SELECT COUNT(*) FROM SysCsTab WHERE Cs=9003"), 0);
}

TEST_F(ListPrintTest, CardPageSetupsReadBackFromAFreshConnection) {
  CSmListPageSetup setup;
  setup.key = 12;
  {
    CSmListPageSetupDlg dlg(&setup, &m_db);
    SetText(dlg, CSmListPageSetupDlg::kTitle, "磅单卡片");
    SetText(dlg, CSmListPageSetupDlg::kScreenWidth, "800");
    SetText(dlg, CSmListPageSetupDlg::kScreenHeight, "600");
    auto* paper = static_cast<QComboBox*>(dlg.Control(CSmListPageSetupDlg::kPaper));
    paper->setCurrentIndex(paper->findText("1840 x 2600 16开"));
    static_cast<QRadioButton*>(dlg.Control(CSmListPageSetupDlg::kLandscape))->setChecked(true);
    dlg.TakeFont(0, SmDefaultLogFont("宋体", 24), 0);
    dlg.OnCommand(CSmListPageSetupDlg::kConfirm);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
  }
  EXPECT_EQ(setup.paperWidth, 2600);  // as oriented
  // Margins left at 200 are not stored.
  EXPECT_EQ(m_db.QueryInt("SELECT COUNT(*) FROM SysCsTab WHERE Cs=9003 AND CsNa='20'"), 0);

  CSmDatabase other;
  ASSERT_TRUE(other.Open(m_path));
  CSmListPageSetup loaded;
  loaded.key = 12;
  loaded.LoadFromCsTab(&other);
  EXPECT_EQ(loaded.title, "磅单卡片");
  EXPECT_EQ(loaded.titleFont.faceName, "宋体");
  EXPECT_EQ(loaded.bodyFont.faceName, "宋体");
  EXPECT_EQ(loaded.margins[0], 200);
  EXPECT_EQ(loaded.screenWidth, 800);
  EXPECT_EQ(loaded.landscape, 1);
  EXPECT_EQ(loaded.paperWidth, 2600);
  EXPECT_EQ(loaded.paperLength, 1840);
  CSmListPageSetupDlg again(&loaded, &other);
  EXPECT_EQ(static_cast<QComboBox*>(again.Control(CSmListPageSetupDlg::kPaper))->currentText(),
            "1840 x 2600 16开");
}
