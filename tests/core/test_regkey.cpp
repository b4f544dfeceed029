#include <gtest/gtest.h>

#include <QFileInfo>

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
  EXPECT_TRUE(key.Open(SM_HKEY_CURRENT_USER, kBase + "\\a\\b\\c", "名称", text));
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

TEST(RegKey, NamesSortInCodePageOrderOrAsNumbers) {
  const std::string sub = kBase + "\\sort2";
  CSmRegKey key;
  // In the code page 啊 (B0A1) comes before 吧 (B0C9), the reverse of their Unicode order.
  for (const char* n : {"吧", "啊", "2x", "1"}) key.SetValue(SM_HKEY_CURRENT_USER, sub, n, n);
  std::vector<std::string> names, data;
  ASSERT_TRUE(key.GetValueList(SM_HKEY_CURRENT_USER, sub, names, data, 1));
  EXPECT_EQ(names, (std::vector<std::string>{"1", "2x", "啊", "吧"}));
  EXPECT_EQ(data, names);
  // Names that are not numbers, "2x" among them, count as 0.
  ASSERT_TRUE(key.GetValueList(SM_HKEY_CURRENT_USER, sub, names, data, 2));
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names.back(), "1");
  EXPECT_EQ(data, names);
}

TEST(RegKey, SlashAndPercentBelongToTheName) {
  const std::string sub = kBase + "\\scales\\1/2号";
  CSmRegKey key;
  ASSERT_TRUE(key.SetValue(SM_HKEY_CURRENT_USER, sub, "1/2号磅", "9600,N,8,1,12,0,1"));
  ASSERT_TRUE(key.SetValue(SM_HKEY_CURRENT_USER, sub, "50%", "a\\b"));
  std::vector<std::string> names, data;
  ASSERT_TRUE(key.GetValueList(SM_HKEY_CURRENT_USER, sub, names, data, 1));
  EXPECT_EQ(names, (std::vector<std::string>{"1/2号磅", "50%"}));
  EXPECT_EQ(data, (std::vector<std::string>{"9600,N,8,1,12,0,1", "a\\b"}));
  std::vector<std::string> keys;
  ASSERT_TRUE(key.GetSubKeyList(SM_HKEY_CURRENT_USER, kBase + "\\scales", keys));
  EXPECT_EQ(keys, std::vector<std::string>{"1/2号"});
  EXPECT_FALSE(CSmRegKey::KeyExists(SM_HKEY_CURRENT_USER, kBase + "\\scales\\1"));

  EXPECT_TRUE(key.DeleteValue(SM_HKEY_CURRENT_USER, sub, "1/2号磅"));
  ASSERT_TRUE(key.GetValueList(SM_HKEY_CURRENT_USER, sub, names, data));
  EXPECT_EQ(names, std::vector<std::string>{"50%"});
  EXPECT_TRUE(key.DeleteKeyTree(SM_HKEY_CURRENT_USER, kBase + "\\scales"));
  EXPECT_FALSE(CSmRegKey::KeyExists(SM_HKEY_CURRENT_USER, sub));
}

TEST(RegKey, StoreIsReadableByTheUserOnly) {
  ASSERT_TRUE(CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, kBase, "DBPass", "secret"));
  const QFileInfo file(QString::fromStdString(CSmRegKey::StoreFile(SM_HKEY_CURRENT_USER)));
  EXPECT_EQ((file.permissions() & 0x0077).toInt(), 0) << "group/other bits on the settings file";
  EXPECT_EQ((QFileInfo(file.absolutePath()).permissions() & 0x0077).toInt(), 0);
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
