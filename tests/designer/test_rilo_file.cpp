// The report files: a child table (.BSJ) and a whole report (.QLN) against bytes written out by
// hand, text prefixes, landscape paper, default variables, refused and damaged files and saves
// that fail without touching the old file.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <climits>
#include <functional>

#include "app/SmApp.h"
#include "core/SmGbk.h"
#include "designer/BbDataType.h"
#include "designer/RiloData.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"
#include "tests/designer/rilo_compare.h"

namespace {

// Bytes from hex digits; blanks are ignored.
std::string Hex(std::string_view digits) {
  std::string bytes;
  int high = -1;
  for (char c : digits) {
    if (c == ' ') continue;
    const int v = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    if (high < 0) {
      high = v;
    } else {
      bytes.push_back(static_cast<char>(high * 16 + v));
      high = -1;
    }
  }
  return bytes;
}

// A child table of two columns and one row: "a" and "表".
const std::string kSmallBsj =
    Hex("02000000"   // column count
        "01000000"   // row count
        "01 61"      // "a"
        "02 b1ed");  // "表"

// A whole report of two columns and one row with formats, lines, a break, a selected area and
// one variable with a Chinese note.
const std::string kSmallQln =
    Hex("0a 52696c6f2d3e20312e30"  // "Rilo-> 1.0"
        "01 6d"                    // modify password "m"
        "00"                       // read password ""
        "02000000 01000000"        // 2 columns, 1 row
        "03 610162"                // "a", 0x01, fetch formula "b"
        "06 1b4f311c1415"          // format code O with "1" ended by 0x1C, page number, page count
        // layout pairs 3, 4, 5 of cell 0, then of cell 1
        "01000000 02000000  00000000 00000000  01000000 00000000"
        "00000000 00000000  00000000 00000000  00000000 00000000"
        "ffffff00 00ff0000"                     // background colours
        "ffffffff 00000000  02000000 02000000"  // number formats: text; 2 and 2
        // line styles of the six grid points
        "01000000 01000000  02000000 01000000  01000000 00000000"
        "00000000 02000000  00000000 03000000  00000000 00000000"
        // line colours of the six grid points
        "ff000000 00000000  c0c0c000 c0c0c000  c0c0c000 c0c0c000"
        "c0c0c000 c0c0c000  c0c0c000 c0c0c000  c0c0c000 c0c0c000"
        "2c010000 c2010000"  // column widths 300, 450
        "46000000"           // row height 70
        "5a000000"           // print factor 90
        "64000000"           // screen factor 100
        "01000000 00000000"  // current cell (1, 0)
        "02000000 00000000"  // caret
        "02000000"           // selection mode: cell areas
        "00000000 01000000"  // text selection
        "00000000 00000000"  // anchor
        "01000000 00000000"  // far corner
        "01000000"           // one selected area
        "00000000 00000000 01000000 00000000"
        "c8000000 fa000000 c8000000 c8000000"         // margins 200 250 200 200
        "01000000 02000000 01000000 01000000"         // title area
        "34080000 9a0b0000"                           // paper 2100 x 2970, portrait
        "01000000 00000000"                           // one column break after column 1
        "00000000"                                    // no row breaks
        "01000000"                                    // page flags: rows first
        "01000000"                                    // one variable
        "02 2361 04 7a772829 05000000 04 c4eab7dd");  // "#a" "zw()" 5 "年份"

CRiloData SmallSheet() {
  CRiloData s;
  s.m_modifyPassword = "m";
  s.m_cols = 2;
  s.m_rows = 1;
  s.m_texts = {
      "a\x01"
      "b",
      "\x1bO1\x1c\x14\x15"};
  s.m_layout3 = {{1, 2}, {0, 0}};
  s.m_layout4 = {{0, 0}, {0, 0}};
  s.m_layout5 = {{1, 0}, {0, 0}};
  s.m_backColors = {0xFFFFFF, 0x00FF00};
  s.m_numberFormats = {{-1, 0}, {2, 2}};
  s.m_lineStyles = {{1, 1}, {2, 1}, {1, 0}, {0, 2}, {0, 3}, {0, 0}};
  s.m_lineColors.assign(6, {0xC0C0C0, 0xC0C0C0});
  s.m_lineColors[0] = {0xFF, 0};
  s.m_colWidths = {300, 450};
  s.m_rowHeights = {70};
  s.m_printFactor = 90;
  s.m_currentCell = {1, 0};
  s.m_caret = {2, 0};
  s.m_selectMode = 2;
  s.m_textSelect = {0, 1};
  s.m_selectRect = {0, 0, 1, 0};
  s.m_areas = {{0, 0, 1, 0}};
  s.m_colBreaks = {0};
  s.m_pageFlags = 1;
  s.m_vars.Add(CSmVar("#a", "zw()", SM_VAR_TEXT, "年份"));
  return s;
}

void ExpectSameSheet(const CRiloData& a, const CRiloData& b) {
  ExpectSameReport(a, b);
  EXPECT_EQ(a.m_currentCell, b.m_currentCell);
  EXPECT_EQ(a.m_caret, b.m_caret);
  EXPECT_EQ(a.m_selectMode, b.m_selectMode);
  EXPECT_EQ(a.m_textSelect, b.m_textSelect);
  EXPECT_EQ(a.m_selectRect, b.m_selectRect);
  EXPECT_EQ(a.m_areas, b.m_areas);
}

class RiloFileTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.AdoptDataType(std::make_unique<CBbDataType>())->Init();
    m_dir = SmTestHome() + "/rilo/" + testing::UnitTest::GetInstance()->current_test_info()->name();
    QDir(QString::fromStdString(m_dir)).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_dir)));
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = m_dir + "/" + name;
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }
  std::string Read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const SmShownMessage& m : CSmMessageService::Instance().Shown()) texts.push_back(m.text);
    return texts;
  }

  CSmApp m_app;
  std::string m_dir;
};

TEST_F(RiloFileTest, SmallChildTableLoadsAndSavesToTheSameBytes) {
  CRiloData sheet;
  ASSERT_TRUE(sheet.LoadFile(Write("1.BSJ", kSmallBsj)));
  EXPECT_EQ(sheet.m_cols, 2);
  EXPECT_EQ(sheet.m_rows, 1);
  EXPECT_EQ(sheet.m_texts, (std::vector<std::string>{"a", "表"}));
  const std::string copy = m_dir + "/copy.bsj";
  ASSERT_TRUE(sheet.SaveFile(copy));
  EXPECT_EQ(Read(copy), kSmallBsj);
  EXPECT_TRUE(Shown().empty());
}

TEST_F(RiloFileTest, SmallWholeReportLoadsAndSavesToTheSameBytes) {
  CRiloData sheet;
  ASSERT_TRUE(sheet.LoadFile(Write("月报.QLN", kSmallQln)));
  ExpectSameSheet(sheet, SmallSheet());
  EXPECT_EQ(sheet.m_texts[1], "\x1bO1\x1c\x14\x15");
  const std::string copy = m_dir + "/copy.QLN";
  ASSERT_TRUE(SmallSheet().SaveFile(copy));
  EXPECT_EQ(Read(copy), kSmallQln);
  ASSERT_TRUE(sheet.SaveFile(copy));
  EXPECT_EQ(Read(copy), kSmallQln);
  EXPECT_TRUE(Shown().empty());
}

TEST_F(RiloFileTest, FullSheetWithLongTextsReadsBackEqual) {
  CRiloData sheet;
  sheet.m_rows = 900;
  sheet.m_cols = 60;
  const size_t cells = 900 * 60;
  sheet.m_texts.resize(cells);
  for (size_t i = 0; i < cells; ++i) {
    sheet.m_texts[i] = i % 7 == 0
                           ? std::string(300, 'x') + "表\x01sum(A1:A9)\x01" + std::to_string(i)
                           : std::to_string(i);
  }
  sheet.m_layout3.assign(cells, {1, 1});
  sheet.m_layout4.assign(cells, {});
  sheet.m_layout5.assign(cells, {});
  sheet.m_backColors.assign(cells, 0xFFFFFF);
  sheet.m_numberFormats.assign(cells, {0, 6});
  sheet.m_lineStyles.assign(901 * 61, {1, 2});
  sheet.m_lineColors.assign(901 * 61, {0, 0xC0C0C0});
  sheet.m_colWidths.assign(60, 300);
  sheet.m_rowHeights.assign(900, 70);
  sheet.m_rowBreaks = {49, 99};
  sheet.m_vars.Add(CSmVar("#q", std::string(400, 'q'), SM_VAR_ANY, "长公式"));
  const std::string path = m_dir + "/full.QLN";
  ASSERT_TRUE(sheet.SaveFile(path));
  CRiloData back;
  ASSERT_TRUE(back.LoadFile(path));
  ExpectSameSheet(back, sheet);
}

TEST_F(RiloFileTest, TextPrefixesByLength) {
  struct Case {
    std::string text;
    std::string prefix;
  };
  const Case cases[] = {
      {"", Hex("00")},
      {std::string(254, 'a'), Hex("fe")},
      {std::string(255, 'a'), Hex("ff ff00")},
      {[] {
         std::string s;
         for (int i = 0; i < 127; ++i) s += "表";
         return s;
       }(),
       Hex("fe")},
      {std::string(65533, 'a'), Hex("ff fdff")},
      {std::string(65534, 'a'), Hex("ff ffff feff0000")},
      {std::string(70000, 'a'), Hex("ff ffff 70110100")},
  };
  for (const Case& c : cases) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CRiloWriter out(buffer);
    out.WriteText(c.text);
    ASSERT_TRUE(out.Flush());
    const std::string bytes = buffer.data().toStdString();
    EXPECT_EQ(bytes.substr(0, c.prefix.size()), c.prefix) << c.text.size();
    EXPECT_EQ(bytes.size(), c.prefix.size() + GbkSize(c.text));
    CRiloReader in(bytes);
    std::string back;
    EXPECT_TRUE(in.ReadText(back));
    EXPECT_EQ(back, c.text);
    EXPECT_EQ(in.Left(), 0u);
  }
}

TEST_F(RiloFileTest, LandscapePaperIsStoredHeightFirst) {
  CRiloData sheet;
  sheet.m_rows = 1;
  sheet.m_cols = 1;
  sheet.m_texts = {""};
  sheet.m_pageFlags = 3;
  sheet.m_vars.Add(CSmVar("#a", "1", SM_VAR_NUMBER, ""));
  const std::string path = m_dir + "/wide.QLN";
  ASSERT_TRUE(sheet.SaveFile(path));
  // The tail: paper, two empty break lists, page flags, the variable count and one variable
  // of 3 + 2 + 4 + 1 bytes.
  const std::string bytes = Read(path);
  EXPECT_EQ(bytes.substr(bytes.size() - 10 - 16 - 8, 8), Hex("9a0b0000 34080000"));
  CRiloData back;
  ASSERT_TRUE(back.LoadFile(path));
  EXPECT_EQ(back.m_paper, (SmIntPair{2100, 2970}));
  EXPECT_EQ(back.m_pageFlags, 3);
}

TEST_F(RiloFileTest, ReportWithoutVariablesGetsTheDefaults) {
  CRiloData sheet;
  sheet.m_rows = 1;
  sheet.m_cols = 1;
  sheet.m_texts = {"x"};
  const std::string path = m_dir + "/novars.qln";
  ASSERT_TRUE(sheet.SaveFile(path));
  CRiloData back;
  ASSERT_TRUE(back.LoadFile(path));
  ASSERT_EQ(back.m_vars.GetSize(), 25);
  EXPECT_EQ(back.m_vars.GetAt(0).m_name, "#z");
  EXPECT_EQ(back.m_vars.GetAt(24).m_name, "#jc");
}

TEST_F(RiloFileTest, RefusedFilesLeaveTheSheetAsItWas) {
  std::string foreign = kSmallQln;
  foreign[10] = '1';  // "Rilo-> 1.1"
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"foreign.QLN", foreign, {"非Vornel报表软件！"}},
      {"nocols.BSJ", Hex("00000000 01000000"), {"空文件！"}},
      {"norows.BSJ", Hex("01000000 ffffffff"), {"空文件！"}},
      {"empty.QLN", "", {}},
      {"other.TXT", kSmallBsj, {}},
      // Counts past the designer's limits are refused before anything is sized, naming the
      // file; so are counts that the bytes left cannot hold.
      {"huge.BSJ",
       Hex("60ea0000 0a000000 00"),
       {m_dir + "/huge.BSJ\n\n报表有10行、60000栏，超出报表的范围（最多900行、60栏），不能打开！"}},
      {"overflow.BSJ",
       Hex("ffffff7f ffffff7f 00"),
       {m_dir +
        "/overflow.BSJ\n\n报表有2147483647行、2147483647栏，超出报表的范围（最多900行、60栏），"
        "不能打开！"}},
      {"cells.BSJ", Hex("3c000000 84030000 00"), {"打开文档失败。"}},
      {"prefix.BSJ", Hex("01000000 01000000 ff feff"), {"打开文档失败。"}},
      {"longtext.BSJ", Hex("01000000 01000000 ff ffff ffffff7f 41"), {"打开文档失败。"}},
      {"vars.QLN",
       kSmallQln.substr(0, kSmallQln.size() - 21) + Hex("ffffff0f"),
       {"打开文档失败。"}},
      {"areas.QLN",
       [] {
         std::string s = kSmallQln;
         s[s.find(Hex("01000000 00000000 00000000 01000000 00000000 c8000000"))] = '\x7f';
         return s;
       }(),
       {"打开文档失败。"}},
  };
  for (const Case& c : cases) {
    SmResetMessages();
    CRiloData sheet = SmallSheet();
    sheet.m_vars = SmallSheet().m_vars;
    EXPECT_FALSE(sheet.LoadFile(Write(c.name, c.bytes))) << c.name;
    EXPECT_EQ(Shown(), c.shown) << c.name;
    ExpectSameSheet(sheet, SmallSheet());
  }
}

// Values the program never writes, from a damaged or crafted file: the file is refused with a
// message naming it and the value, and the sheet stays as it was. Each of them made the view,
// printing or the formulas loop for minutes, overflow or run out of memory.
TEST_F(RiloFileTest, ValuesOutOfTheirRangeRefuseTheFileNamingIt) {
  struct Case {
    const char* item;
    std::function<void(CRiloData&)> damage;
  };
  const Case cases[] = {
      {"第1行的行高", [](CRiloData& s) { s.m_rowHeights[0] = -70; }},
      {"B栏的栏宽", [](CRiloData& s) { s.m_colWidths[1] = INT_MAX; }},
      {"页面边距", [](CRiloData& s) { s.m_margins.left = -1; }},
      {"纸张大小", [](CRiloData& s) { s.m_paper.second = 2000000000; }},
      {"固定参照行、栏", [](CRiloData& s) { s.m_titleArea.right = -2000000000; }},
      {"固定参照行、栏", [](CRiloData& s) { s.m_titleArea.top = 901; }},
      {"打印缩放比例", [](CRiloData& s) { s.m_printFactor = 0; }},
      {"显示比例", [](CRiloData& s) { s.m_screenFactor = 100000; }},
      {"栏分页线",
       [](CRiloData& s) {
         s.m_colBreaks = {INT_MIN, 1};
       }},
      {"行分页线", [](CRiloData& s) { s.m_rowBreaks.assign(5000, 0); }},
      {"表格线",
       [](CRiloData& s) {
         s.m_lineStyles[3] = {0, 9};
       }},
      {"单元格A1的版面",
       [](CRiloData& s) {
         s.m_layout3[0] = {8, 0};
       }},
      {"单元格B1的跨栏、跨行范围",
       [](CRiloData& s) {
         s.m_layout3[1] = {6, 0};
         s.m_layout5[1] = {2000000000, 0};
       }},
      {"单元格A1的跨栏、跨行范围",
       [](CRiloData& s) {
         s.m_layout3[0] = {0, 4};
         s.m_layout4[0] = {0, -5};
       }},
      {"单元格B1的小数位数",
       [](CRiloData& s) {
         s.m_numberFormats[1] = {2, 2000000000};
       }},
  };
  const std::string path = m_dir + "/损坏.QLN";
  for (const Case& c : cases) {
    SmResetMessages();
    CRiloData damaged = SmallSheet();
    c.damage(damaged);
    ASSERT_TRUE(damaged.SaveFile(path)) << c.item;
    CRiloData sheet = SmallSheet();
    sheet.m_vars = SmallSheet().m_vars;
    EXPECT_FALSE(sheet.LoadFile(path)) << c.item;
    EXPECT_EQ(Shown(), std::vector<std::string>{path + "\n\n报表文件已损坏：" + c.item +
                                                "不合理，不能打开！"});
    ExpectSameSheet(sheet, SmallSheet());
  }
}

// The cursor and the selection are only where the user left them: outside the sheet they are
// moved into it rather than refused.
TEST_F(RiloFileTest, CursorAndSelectionOutsideTheSheetAreMovedIntoIt) {
  CRiloData damaged = SmallSheet();
  damaged.m_currentCell = {5000, -3};
  damaged.m_caret = {900, 800};
  damaged.m_selectMode = 7;
  damaged.m_textSelect = {-1, 99};
  damaged.m_selectRect = {-9, 0, INT_MAX, 40};
  damaged.m_areas = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}};
  const std::string path = m_dir + "/cursor.QLN";
  ASSERT_TRUE(damaged.SaveFile(path));
  CRiloData sheet;
  ASSERT_TRUE(sheet.LoadFile(path));
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(sheet.m_currentCell, (SmIntPair{1, 0}));
  EXPECT_EQ(sheet.m_caret, (SmIntPair{6, 6}));  // B1 holds six bytes
  EXPECT_EQ(sheet.m_selectMode, 0);
  EXPECT_EQ(sheet.m_textSelect, (SmIntPair{0, 6}));
  EXPECT_EQ(sheet.m_selectRect, (SmIntRect{0, 0, 1, 0}));
  EXPECT_EQ(sheet.m_areas, (std::vector<SmIntRect>{{0, 0, 1, 0}}));
  // More areas than the sheet has cells are no selection at all.
  damaged.m_areas.assign(3, {0, 0, 0, 0});
  ASSERT_TRUE(damaged.SaveFile(path));
  ASSERT_TRUE(sheet.LoadFile(path));
  EXPECT_TRUE(sheet.m_areas.empty());
}

TEST_F(RiloFileTest, EveryTruncationOfAReportIsRefused) {
  for (size_t size = 1; size < kSmallQln.size(); ++size) {
    SmResetMessages();
    CRiloData sheet;
    EXPECT_FALSE(sheet.LoadFile(Write("cut.QLN", kSmallQln.substr(0, size)))) << size;
    EXPECT_EQ(Shown(), std::vector<std::string>{"打开文档失败。"}) << size;
    EXPECT_EQ(sheet.m_rows, 0);
  }
  SmResetMessages();
  CRiloData missing;
  EXPECT_FALSE(missing.LoadFile(m_dir + "/none.QLN"));
  EXPECT_EQ(Shown(), std::vector<std::string>{"打开文档失败。"});
}

TEST_F(RiloFileTest, HeaderOnlyReadsVersionAndPasswords) {
  CRiloData sheet;
  ASSERT_TRUE(sheet.LoadFile(Write("h.QLN", kSmallQln), true));
  EXPECT_EQ(sheet.m_modifyPassword, "m");
  EXPECT_EQ(sheet.m_rows, 0);
}

TEST_F(RiloFileTest, FailedSavesKeepTheOldFile) {
  const std::string old = Write("keep.QLN", "old bytes");
  CRiloData negative;
  negative.m_rows = -1;
  CRiloData badText = SmallSheet();
  badText.m_texts[0] = "\xff\xfe";  // no character of any code page
  CRiloData wide;
  wide.m_rows = 1;
  wide.m_cols = 61;
  struct Case {
    const CRiloData* sheet;
    std::string path;
    const char* message;
  };
  const Case cases[] = {
      {&negative, old, "空文件，不予存盘"},
      {&wide, old, "报表有1行、61栏，超出报表的范围（最多900行、60栏），不能保存！"},
      {&badText, old, "保存文档失败。"},
      {&badText, m_dir + "/keep.bsj", "保存文档失败。"},
      {&negative, m_dir + "/nofolder/new.QLN", "无效的文件名。"},
      {&negative, m_dir + "/keep.TXT", "无效的文件名。"},
  };
  for (const Case& c : cases) {
    SmResetMessages();
    EXPECT_FALSE(c.sheet->SaveFile(c.path)) << c.path;
    EXPECT_EQ(Shown(), std::vector<std::string>{c.message}) << c.path;
  }
  EXPECT_EQ(Read(old), "old bytes");
  EXPECT_EQ(Read(m_dir + "/keep.bsj"), "<missing>");
  EXPECT_EQ(Read(m_dir + "/keep.TXT"), "<missing>");
  EXPECT_EQ(QDir(QString::fromStdString(m_dir)).entryList(QDir::Files).size(), 1);
}

}  // namespace
