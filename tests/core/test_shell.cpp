// Special folders and the association of the data-file extension.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/SmRegKey.h"
#include "core/SmShell.h"
#include "tests/common/SmTestMain.h"

namespace {

std::string Default(const std::string& key) {
  std::string text;
  CSmRegKey().Open(SM_HKEY_CLASSES_ROOT, key, "", text);
  return text;
}

TEST(Shell, RegisterFileTypeWritesTheFourValuesAndRepeatsTheSame) {
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(RegisterFileType("tsd", "甘蔗结算数据文件", "/opt/cane/canemill"));
    EXPECT_EQ(Default(".tsd"), "tsdFile");
    EXPECT_EQ(Default("tsdFile"), "甘蔗结算数据文件");
    EXPECT_EQ(Default("tsdFile\\DefaultIcon"), "/opt/cane/canemill,1");
    EXPECT_EQ(Default("tsdFile\\shell\\open\\command"), "/opt/cane/canemill \"%1\"");
    std::vector<std::string> names, data;
    ASSERT_TRUE(CSmRegKey().GetValueList(SM_HKEY_CLASSES_ROOT, "tsdFile", names, data));
    EXPECT_EQ(names, std::vector<std::string>{""});  // the unnamed value only
  }
#ifndef Q_OS_WIN
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  QFile entry(data + "/applications/tsdFile.desktop");
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(entry.readAll());
  EXPECT_TRUE(text.contains("Exec=\"/opt/cane/canemill\" %f"));
  EXPECT_TRUE(text.contains("MimeType=application/x-tsd;"));
  EXPECT_TRUE(QFile::exists(data + "/mime/packages/tsdFile.xml"));
#endif
}

// A launch finds the type registered and writes nothing; a changed program path is written.
TEST(Shell, RegisterFileTypeWritesOnlyWhatChanged) {
  ASSERT_TRUE(RegisterFileType("tsd", "甘蔗结算数据文件", "/opt/cane/canemill"));
  std::vector<QString> files{QString::fromStdString(CSmRegKey::StoreFile(SM_HKEY_CLASSES_ROOT))};
#ifndef Q_OS_WIN
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  files.push_back(data + "/applications/tsdFile.desktop");
  files.push_back(data + "/mime/packages/tsdFile.xml");
#endif
  const QDateTime old(QDate(2001, 1, 1), QTime(0, 0));
  auto stampOld = [&] {
    for (const QString& f : files) {
      QFile file(f);
      ASSERT_TRUE(file.open(QIODevice::ReadWrite));
      ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
  };
  auto modified = [](const QString& f) { return QFileInfo(f).lastModified(); };
  stampOld();
  ASSERT_TRUE(RegisterFileType("tsd", "甘蔗结算数据文件", "/opt/cane/canemill"));
  for (const QString& f : files) EXPECT_EQ(modified(f), old) << f.toStdString();

  ASSERT_TRUE(RegisterFileType("tsd", "甘蔗结算数据文件", "/opt/cane2/canemill"));
  EXPECT_EQ(Default("tsdFile\\shell\\open\\command"), "/opt/cane2/canemill \"%1\"");
  EXPECT_NE(modified(files[0]), old);
#ifndef Q_OS_WIN
  EXPECT_NE(modified(files[1]), old);
  EXPECT_EQ(modified(files[2]), old);  // the type's description and pattern are the same
#endif
}

TEST(Shell, UnnamedValueIsAValueOfItsOwn) {
  CSmRegKey key;
  ASSERT_TRUE(key.SetValue(SM_HKEY_CURRENT_USER, "Software\\t", "", "default"));
  ASSERT_TRUE(key.SetValue(SM_HKEY_CURRENT_USER, "Software\\t", "named", "n"));
  std::string text;
  EXPECT_TRUE(key.Open(SM_HKEY_CURRENT_USER, "Software\\t", "", text));
  EXPECT_EQ(text, "default");
  EXPECT_TRUE(key.DeleteValue(SM_HKEY_CURRENT_USER, "Software\\t", ""));
  EXPECT_FALSE(key.Open(SM_HKEY_CURRENT_USER, "Software\\t", "", text));
  EXPECT_TRUE(key.Open(SM_HKEY_CURRENT_USER, "Software\\t", "named", text));
}

TEST(Shell, SpecialFolders) {
  EXPECT_EQ(GetSpecialFolder(SM_FOLDER_CURRENT),
            QDir::toNativeSeparators(QDir::current().canonicalPath()).toStdString());
  const std::string temp = GetSpecialFolder(SM_FOLDER_TEMP);
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), QDir::separator().toLatin1());
  // The test home has no desktop folder until one is made.
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  QDir(desktop).removeRecursively();
  EXPECT_EQ(GetSpecialFolder(SM_FOLDER_DESKTOP), "");
  ASSERT_TRUE(QDir().mkpath(desktop));
  EXPECT_EQ(GetSpecialFolder(SM_FOLDER_DESKTOP),
            QDir::toNativeSeparators(QDir(desktop).canonicalPath()).toStdString());
  EXPECT_EQ(GetSpecialFolder(42), "");
#ifndef Q_OS_WIN
  for (int kind : {SM_FOLDER_WINDOWS, SM_FOLDER_SYSTEM, SM_FOLDER_COMMON_FILES}) {
    EXPECT_EQ(GetSpecialFolder(kind), "") << kind;
  }
  EXPECT_FALSE(RegisterComServer("/usr/lib/libc.so.6"));
  EXPECT_FALSE(UnregisterComServer("/usr/lib/libc.so.6"));
#endif
}

}  // namespace
