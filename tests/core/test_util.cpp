#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/SmClipboard.h"
#include "core/SmPath.h"
#include "core/SmSystem.h"
#include "core/SmUtil.h"
#include "tests/common/SmTestMain.h"

namespace fs = std::filesystem;

namespace {
void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "x";
}
}  // namespace

TEST(ReportFiles, MasterIsFoundUpwardAndChildrenDownward) {
  const fs::path r = fs::path(SmTestHome()) / "reports";
  fs::remove_all(r);
  Touch(r / "X.QLN");
  Touch(r / "X" / "1" / "c.BSJ");
  Touch(r / "Y.QLN");
  CSmUtil util;
  const std::string child = SmBackslashPath((r / "X" / "1" / "c.BSJ").string());
  EXPECT_EQ(util.FindMasterReportFile(child), (r / "X.QLN").string());
  Touch(r / "X" / "1.QLN");
  EXPECT_EQ(util.FindMasterReportFile(child), (r / "X" / "1.QLN").string());
  fs::remove_all(r / "X");
  fs::remove(r / "X.QLN");
  EXPECT_EQ(util.FindMasterReportFile((r / "Z" / "c.BSJ").string()), "");

  Touch(r / "X" / "2" / "3" / "d.bsj");
  EXPECT_TRUE(util.FindReportDataFile((r / "X.QLN").string()));
  EXPECT_FALSE(util.FindReportDataFile((r / "Y.QLN").string()));
  Touch(r / "Y.BSJ");
  EXPECT_TRUE(util.FindReportDataFile((r / "Y.QLN").string()));

  std::string folder = r.string() + "/";
  EXPECT_TRUE(util.FindFilesRecursive("*.BSJ", folder));  // files of a folder before its subfolders
  EXPECT_EQ(folder, (r / "Y.BSJ").string());
  folder = r.string();
  EXPECT_TRUE(util.FindFilesRecursive("D.*", folder));  // case is ignored
  EXPECT_EQ(folder, (r / "X" / "2" / "3" / "d.bsj").string());
  folder = r.string();
  EXPECT_FALSE(util.FindFilesRecursive("a b.BSJ", folder));
  EXPECT_FALSE(util.FindFilesRecursive("*.XYZ", folder));
}

TEST(ReportFiles, ParseReportPathKinds) {
  CSmUtil util;
  std::string folder, sub;
  int year = -1;
  EXPECT_EQ(util.ParseReportPath("d:\\r\\x.qln", folder, year, sub), 2);
  EXPECT_EQ(year, 0);
  EXPECT_EQ(sub, "");
  EXPECT_EQ(util.ParseReportPath("d:/r/x/1/c.BSJ", folder, year, sub), 3);
  EXPECT_EQ(util.ParseReportPath("d:\\r\\x.txt", folder, year, sub), -2);
  EXPECT_EQ(util.ParseReportPath("D:\\DATA\\2016.tsd\\12\\1\\2", folder, year, sub), 1);
  EXPECT_EQ(folder, SmNativePath("D:\\DATA\\2016.tsd"));
  EXPECT_EQ(year, 2016);
  EXPECT_EQ(sub, "12\\1\\2");
  EXPECT_EQ(util.ParseReportPath("CANE\\12", folder, year, sub), 1);
  EXPECT_EQ(folder, "CANE");
  EXPECT_EQ(year, 0);
  EXPECT_EQ(sub, "12");
}

TEST(ReportFiles, BuildReportPathFormats) {
  CSmUtil util;
  const std::string base = "/sets/甲/2016/X.QLN";
  struct Case {
    const char* reference;
    const char* expected;
  } cases[] = {
      {"Y.QLN", "/sets/甲/2016/Y.QLN"},       {"Y\\1\\c.BSJ", "/sets/甲/2016/Y/1/c.BSJ"},
      {"2015\\Y.QLN", "/sets/甲/2015/Y.QLN"}, {"乙\\2015\\Y.QLN", "/sets/乙/2015/Y.QLN"},
      {"/abs/Y.QLN", "/abs/Y.QLN"},           {"", ""},
  };
  for (const Case& c : cases) {
    std::string reference = c.reference;
    util.BuildReportPath(reference, base);
    EXPECT_EQ(reference, c.expected) << c.reference;
  }
  std::string reference = "2015\\Y.QLN";
  util.BuildReportPath(reference, "X.QLN");
  EXPECT_EQ(reference, SmNativePath("2015\\Y.QLN"));
}

TEST(ReportFiles, RawTextPosSkipsFormatCodes) {
  CSmUtil util;
  struct Case {
    const char* coded;
    int position;
    int raw;
    const char* plain;
    int reached;
  } cases[] = {
      {"\x1bGab\x1bH", 2, 4, "ab", 2},
      {"a\x1bP12\x1c"
       "bc",
       2, 7, "ab", 2},
      {"\x1bO宋体\x1c甘蔗", 2, 9, "甘", 2},  // a face name counts in GBK bytes
      {"甘蔗", 1, 2, "甘", 2},               // a character is never split
      {"a\x1bPxy", 3, 4, "aPx", 3},          // no end byte: the escape alone is skipped
      {"ab", 5, 2, "ab", 2},
      {"\x1bQ255\x1c\x1bGab", 0, 8, "", 0},  // position 0: after the leading codes
      {"\x1b甘蔗", 1, 3, "甘", 2},           // an escape before a Chinese character stands alone
  };
  for (const Case& c : cases) {
    std::string text = c.coded;
    int position = c.position;
    EXPECT_EQ(util.RawTextPos(text, position), c.raw) << c.coded;
    EXPECT_EQ(text, c.plain);
    EXPECT_EQ(position, c.reached);
  }
  SmLogFont font;
  util.InitDefaultLogFont(font);
  EXPECT_EQ(font.height, 14);
  EXPECT_EQ(font.weight, 400);
  EXPECT_EQ(font.charSet, 134);
  EXPECT_EQ(font.pitchAndFamily, 32);
  EXPECT_EQ(font.faceName, "宋体");
}

TEST(Clipboard, TextAndPrivateFormatsRoundTrip) {
  ASSERT_TRUE(SetClipboardText("甘蔗\t12.5\r\n"));
  std::string text = "old";
  ASSERT_TRUE(GetClipboardText(text));
  EXPECT_EQ(text, "甘蔗\t12.5\r\n");

  const unsigned cells = SmRegisterClipboardFormat("GridCells");
  EXPECT_EQ(SmRegisterClipboardFormat("GridCells"), cells);
  EXPECT_FALSE(GetClipboardText(text, cells));  // no data of that format
  EXPECT_EQ(text, "");
  ASSERT_TRUE(
      SetClipboardText("a\x01"
                       "b",
                       cells));
  ASSERT_TRUE(GetClipboardText(text, cells));
  EXPECT_EQ(text,
            "a\x01"
            "b");
  EXPECT_FALSE(SetClipboardText("x", 0xBEEF));  // an unknown format changes nothing
  ASSERT_TRUE(GetClipboardText(text, cells));
}

TEST(System, NamesAndPaletteContrasts) {
  EXPECT_LE(GetComputerNameText().size(), 15u);
  EXPECT_EQ(GetPaletteColor(SmRgb(128, 0, 0), false), SmRgb(0, 255, 255));
  EXPECT_EQ(GetPaletteColor(SmRgb(192, 192, 192), false), SmRgb(128, 128, 128));
  EXPECT_EQ(GetPaletteColor(SmRgb(1, 2, 3), true), SmRgb(1, 2, 3));
  EXPECT_EQ(SmRgb(255, 0, 0), 0xFFu);  // red in the low byte
}

TEST(System, UserNameWithoutTheEnvironmentComesFromTheAccount) {
  const char* const variables[] = {"USER", "LOGNAME", "USERNAME"};
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* variable : variables) {
    if (const char* value = std::getenv(variable)) saved.emplace_back(variable, value);
    unsetenv(variable);
  }
  const std::string name = GetUserNameText();
  setenv("LOGNAME", "甘蔗员", 1);
  const std::string fromVariable = GetUserNameText();
  unsetenv("LOGNAME");
  for (const auto& [variable, value] : saved) setenv(variable.c_str(), value.c_str(), 1);

  const passwd* account = getpwuid(geteuid());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(name, account->pw_name);
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(fromVariable, "甘蔗员");
}
