#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/SmPath.h"
#include "core/SmPathName.h"
#include "tests/common/SmTestMain.h"

namespace fs = std::filesystem;

namespace {
// A fresh folder under the test home for one test.
std::string FreshFolder(const std::string& name) {
  const fs::path folder = fs::path(SmTestHome()) / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder.string();
}
}  // namespace

TEST(PathText, PartsOfWindowsAndLinuxPaths) {
  struct Case {
    const char* path;
    const char* ext;
    const char* title;
    const char* folder;  // in this system's separators
  } cases[] = {
      {"c:\\data\\2016.tsd", "TSD", "2016", "c:/data"},
      {"c:\\2016.tsd", "TSD", "2016", "c:"},
      {"2016.tsd", "TSD", "2016", ""},
      {"c:\\a.b\\c", "", "c", "c:/a.b"},  // the dot lies in a folder name
      {"c:/data/x.QLN", "QLN", "x", "c:/data"},
      {"/home/u/data/", "", "", "/home/u"},
      {"/home/u/甘蔗.tsd", "TSD", "甘蔗", "/home/u"},
      {"/2016.tsd", "TSD", "2016", ""},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetPathExt(c.path), c.ext) << c.path;
    EXPECT_EQ(GetPathTitle(c.path), c.title) << c.path;
    EXPECT_EQ(GetPathFolder(c.path), SmNativePath(c.folder)) << c.path;
  }
}

TEST(PathText, SubPathIsATextTest) {
  EXPECT_TRUE(IsSubPath("C:\\A", "c:/a/b.tsd"));
  EXPECT_TRUE(IsSubPath("C:\\A\\", "C:\\AB"));  // on text, not on components
  EXPECT_TRUE(IsSubPath("", "/anything"));
  EXPECT_TRUE(IsSubPath("/home/u/", "/home/u"));
  EXPECT_FALSE(IsSubPath("/home/u/data", "/home/u"));
  EXPECT_EQ(SmNativePath("a\\b/c"), "a/b/c");
  EXPECT_TRUE(fs::exists(GetModulePath()));
}

TEST(PathName, SyntaxCodesAndParts) {
  struct Case {
    const char* path;
    int result;
  } cases[] = {
      {"", 0},           {"a?b", -1},          {"a|b", -1},  {"a\"b", -1},     {"\\\\srv", 5},
      {"\\\\\\srv", -1}, {"\\\\srv\\\\x", -1}, {"Q:\\x", 4}, {"C:\\data", 4},  {"..\\a", 1},
      {".\\a", 1},       {".a", -1},           {"a/b", 1},   {"data\\a:b", 4}, {".", 1},
      {"/tmp/x.tsd", 1},
  };
  for (const Case& c : cases) {
    CSmPathName name(c.path);
    EXPECT_EQ(name.result, c.result) << c.path;
  }
  CSmPathName unc("\\\\srv\\share\\x.txt");
  EXPECT_EQ(unc.server, "srv");
  EXPECT_EQ(unc.drive, "share");
  EXPECT_EQ(unc.title, "x");
  EXPECT_EQ(unc.extension, "txt");
  CSmPathName local("a/b/2016.tsd");
  EXPECT_EQ(local.title, "2016");
  EXPECT_EQ(local.extension, "tsd");
  EXPECT_EQ(CSmPathName("Q:\\x").drive, "Q:");
}

TEST(PathName, ResultTexts) {
  CSmPathName name;
  std::string text;
  EXPECT_EQ(name.GetResultText(text), 0);
  EXPECT_EQ(text, "文件名为空！");
  name.SetPath("a*b");
  EXPECT_EQ(name.GetResultText(text), -1);
  EXPECT_EQ(text, "文件名不能包含以下字母！\n\n\t/?*|<>\"");
  name.result = -21;
  name.GetResultText(text);
  EXPECT_EQ(text, "创建文件夹失败！");
  name.result = 99;
  EXPECT_EQ(name.GetResultText(text), 99);
  EXPECT_EQ(text, "");
}

TEST(PathName, CreateFolderPathMakesEveryMissingLevel) {
  const std::string base = FreshFolder("create");
  const std::string windowsStyle = base + "\\a\\b\\c";
  CSmPathName name;
  name.CreateFolderPath(windowsStyle);
  EXPECT_EQ(name.result, 1);
  EXPECT_TRUE(fs::is_directory(base + "/a/b/c"));
  name.CreateFolderPath(base + "/a/b/c/");  // existing: nothing to do
  EXPECT_EQ(name.result, 1);

  std::ofstream(base + "/file.txt") << "x";
  name.CreateFolderPath(base + "/file.txt");
  EXPECT_EQ(name.result, 2);
  name.CreateFolderPath(base + "/file.txt/sub");  // a file in the way
  EXPECT_EQ(name.result, -21);
  EXPECT_FALSE(fs::exists(base + "/file.txt/sub"));
  name.CreateFolderPath("Q:\\data\\x");  // a drive letter names nothing here
  EXPECT_EQ(name.result, 4);
  EXPECT_FALSE(fs::exists("Q:"));
  EXPECT_EQ(FindNonSystemFixedDrive(), 0);
}
