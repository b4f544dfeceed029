#include <gtest/gtest.h>

#include "core/SmRegKey.h"

namespace {
const std::string kBase = "Software\\reduvor\\Test\\5.0";
}

TEST(RegKey, MissingValueIsFalseAndEmpty) {
  CSmRegKey key;
  std::string text = "x";
  EXPECT_FALSE(key.Open(SM_HKEY_CURRENT_USER, kBase + "\\none", "v", text));
  EXPECT_EQ(text, "");
}

TEST(RegKey, SetCreatesLevelsAndReadsBackAcrossObjects) {
  EXPECT_TRUE(CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, kBase + "\\a\\b\\c", "名称", "甘蔗"));
  EXPECT_TRUE(CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, kBase + "\\a\\b\\c", "empty", ""));
  std::string text;
  CSmRegKey key;
  EXPECT_TRUE(key.Open(SM_HKEY_CURRENT_USER, kBase + "/a/b/c", "名称", text));
  EXPECT_EQ(text, "甘蔗");
  EXPECT_TRUE(key.Open(SM_HKEY_CURRENT_USER, kBase + "\\a\\b\\c", "empty", text));
  EXPECT_EQ(text, "");
}

TEST(RegKey, ValueListSortsByTextOrNumber) {
  const std::string sub = kBase + "\\sort";
  CSmRegKey key;
  for (const char* n : {"10", "9", "1"})
    key.SetValue(SM_HKEY_CURRENT_USER, sub, n, std::string("d") + n);
  std::vector<std::string> names, data;
  ASSERT_TRUE(key.GetValueList(SM_HKEY_CURRENT_USER, sub, names, data, 2));
  EXPECT_EQ(names, (std::vector<std::string>{"1", "9", "10"}));
  EXPECT_EQ(data, (std::vector<std::string>{"d1", "d9", "d10"}));
  ASSERT_TRUE(key.GetValueList(SM_HKEY_CURRENT_USER, sub, names, data, 1));
  EXPECT_EQ(names, (std::vector<std::string>{"1", "10", "9"}));
}

TEST(RegKey, DeleteKeyRefusesSubkeysAndTreeRemovesAll) {
  const std::string sub = kBase + "\\tree";
  CSmRegKey key;
  key.SetValue(SM_HKEY_CURRENT_USER, sub, "v", "1");
  key.SetValue(SM_HKEY_CURRENT_USER, sub + "\\x\\y", "v", "2");
  EXPECT_FALSE(key.DeleteKey(SM_HKEY_CURRENT_USER, sub));
  std::string text;
  EXPECT_TRUE(key.Open(SM_HKEY_CURRENT_USER, sub, "v", text));
  std::vector<std::string> names;
  ASSERT_TRUE(key.GetSubKeyList(SM_HKEY_CURRENT_USER, sub, names));
  EXPECT_EQ(names, std::vector<std::string>{"x"});
  EXPECT_TRUE(key.DeleteKeyTree(SM_HKEY_CURRENT_USER, sub));
  EXPECT_FALSE(CSmRegKey::KeyExists(SM_HKEY_CURRENT_USER, sub));
  EXPECT_FALSE(key.DeleteKeyTree(SM_HKEY_CURRENT_USER, sub));
}
