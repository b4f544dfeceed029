// Workstation settings kept under the program key or beside the program file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include "app/SmApp.h"
#include "app/SmWorkstation.h"
#include "core/SmRegKey.h"
#include "tests/common/SmTestMain.h"

namespace {

class WorkstationApp : public CSmApp {
 public:
  bool InitInstance(const std::vector<std::string>&) override { return true; }
  std::string GetProgramPath() const override { return SmTestHome() + "/bin/canemill.exe"; }
};

class WorkstationTest : public testing::Test {
 protected:
  void SetUp() override {
    app.m_moduleInfo.m_docType = "Zorv";
    QDir().mkpath(QString::fromStdString(SmTestHome() + "/bin"));
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\Zorv");
  }
  void WriteProgramFile(const std::string& suffix, const QByteArray& bytes) {
    QFile file(QString::fromStdString(SmTestHome() + "/bin/canemill" + suffix));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }
  WorkstationApp app;
};

TEST_F(WorkstationTest, SettingsWrittenUnderTheProgramKeySurviveARestart) {
  ASSERT_TRUE(WriteCommPort("COM1", "9600,N,8,1,12,0,10"));
  ASSERT_TRUE(WriteDocOpenMode(255, 1, {"2", "0", "1"}));
  ASSERT_TRUE(SaveFrameBackground(1, "/pic/a.jpg", "http://example.org/"));
  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, app.GetSmRegKey(), "SoftUp", "1");

  // The store keeps nothing open: a fresh settings object on the file is what the next start
  // of the program sees.
  QSettings file(QString::fromStdString(CSmRegKey::StoreFile(SM_HKEY_CURRENT_USER)),
                 QSettings::IniFormat);
  EXPECT_EQ(file.value("Software/reduvor/Zorv/5.0/SmComm/COM1").toString(), "9600,N,8,1,12,0,10");
  EXPECT_EQ(file.value("Software/reduvor/Zorv/5.0/DocOpenMode/255/1/2").toString(), "1");
  EXPECT_EQ(file.value("Software/reduvor/Zorv/5.0/BackGround").toString(), "1");

  std::string definition;
  EXPECT_TRUE(ReadCommPort("COM1", definition));
  EXPECT_EQ(definition, "9600,N,8,1,12,0,10");
  std::vector<std::string> modes;
  EXPECT_EQ(ReadDocOpenModes(255, 1, modes), 3);
  EXPECT_EQ(modes, (std::vector<std::string>{"2", "0", "1"}));
  int mode = 0;
  std::string picture, page;
  EXPECT_TRUE(LoadFrameBackground(mode, picture, page, true));
  EXPECT_EQ(mode, 1);
  EXPECT_EQ(picture, "/pic/a.jpg");
  EXPECT_EQ(page, "http://example.org/");
  EXPECT_EQ(ReadUpdaterFlag(), 1);
}

TEST_F(WorkstationTest, UpdaterFlagIsThreeWhenMissing) {
  EXPECT_EQ(ReadUpdaterFlag(), 3);
}

TEST_F(WorkstationTest, SerialPortNeedsExactlySevenFields) {
  struct Case {
    std::string value;
    bool accepted;
  };
  const Case cases[] = {{"9600,N,8,1,12,0,10", true},
                        {"9600,N,8,1,12,0", false},
                        {"9600,N,8,1,12,0,10,1", false},
                        {"", false}};
  for (const Case& c : cases) {
    WriteCommPort("ttyS0", c.value);
    std::string definition;
    EXPECT_EQ(ReadCommPort("ttyS0", definition), c.accepted) << c.value;
  }
  std::string definition;
  EXPECT_FALSE(ReadCommPort("ttyS9", definition));

  WriteCommPort("COM2", "1200,E,7,2,8,1,1");
  std::vector<std::string> names, definitions;
  EXPECT_EQ(LoadCommPorts(names, definitions), 2);
  EXPECT_EQ(names, (std::vector<std::string>{"COM2", "ttyS0"}));
  EXPECT_TRUE(DeleteCommPort("COM2"));
  EXPECT_EQ(LoadCommPorts(names, definitions), 1);
}

TEST_F(WorkstationTest, DocOpenModesRewriteOnlyWhatChangedAndRestartOnANewCount) {
  ASSERT_TRUE(WriteDocOpenMode(256, 0, {"1", "2", "3"}));
  // A value written from outside survives a write of the same count that leaves it alone.
  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, app.GetSmRegKey() + "\\DocOpenMode\\256\\0", "1", "7");
  ASSERT_TRUE(WriteDocOpenMode(256, 0, {"1", "7", "4"}));
  std::vector<std::string> modes;
  EXPECT_EQ(ReadDocOpenModes(256, 0, modes), 3);
  EXPECT_EQ(modes, (std::vector<std::string>{"1", "7", "4"}));

  ASSERT_TRUE(WriteDocOpenMode(256, 0, {"9"}));
  EXPECT_EQ(ReadDocOpenModes(256, 0, modes), 1);
  EXPECT_EQ(modes, std::vector<std::string>{"9"});

  // Names not below the count are ignored.
  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, app.GetSmRegKey() + "\\DocOpenMode\\256\\0", "5", "3");
  EXPECT_EQ(ReadDocOpenModes(256, 0, modes), 2);
  EXPECT_EQ(modes, (std::vector<std::string>{"9", ""}));

  EXPECT_TRUE(DeleteDocOpenModes(256, 0));
  EXPECT_EQ(ReadDocOpenModes(256, 0, modes), 0);
  EXPECT_TRUE(modes.empty());
}

TEST_F(WorkstationTest, DistributorTextFirstLineOrTheRest) {
  struct Case {
    QByteArray file;
    int part;
    std::string text;
  };
  QByteArray gbk;
  gbk.append("\xb8\xca\xd5\xe1\r\nline2");  // "甘蔗" in the Chinese code page
  const Case cases[] = {
      {"代理商\r\n电话 123\r\n", 0, "代理商"},
      {"代理商\r\n电话 123\r\n", 1, "电话 123\r\n"},
      {"\r\nsecond", 0, "Vornel公司"},  // empty first line
      {"one line", 0, "Vornel公司"},    // no line break
      {"one\nline", 1, ""},             // the rest needs two breaks
      {"a\nb\nc", 1, "b\nc"},
      {"a\nb\nc", 5, ""},
      {gbk, 0, "甘蔗"},
  };
  for (const Case& c : cases) {
    WriteProgramFile(".smi", c.file);
    EXPECT_EQ(GetDistributorText(c.part), c.text) << c.file.toStdString() << " " << c.part;
  }
  QFile::remove(QString::fromStdString(SmTestHome() + "/bin/canemill.smi"));
  EXPECT_EQ(GetDistributorText(0), "Vornel公司");
  EXPECT_EQ(GetDistributorText(1), "");
}

TEST_F(WorkstationTest, WebBackgroundWithoutConnectionFallsBackToThePicture) {
  const std::string defaultPicture = SmTestHome() + "/bin/canemill_MainFrm.jpg";
  QFile::remove(QString::fromStdString(defaultPicture));
  SaveFrameBackground(1, defaultPicture, "http://example.org/");
  int mode = 1;
  std::string picture, page;
  EXPECT_FALSE(LoadFrameBackground(mode, picture, page, false));  // no picture file either
  EXPECT_EQ(mode, 0);
  WriteProgramFile("_MainFrm.jpg", "jpeg");
  mode = 1;
  EXPECT_TRUE(LoadFrameBackground(mode, picture, page, false));
  EXPECT_EQ(mode, 0);

  // Nothing stored: the mode stays as passed in and the picture takes its default.
  CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\Zorv");
  QFile::remove(QString::fromStdString(defaultPicture));
  mode = 1;
  EXPECT_FALSE(LoadFrameBackground(mode, picture, page, true));  // no page address
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(picture, defaultPicture);
  mode = 0;
  SaveFrameBackground(0, SmTestHome() + "/bin", "");
  EXPECT_FALSE(LoadFrameBackground(mode, picture, page, true));  // a folder is no picture
}

}  // namespace
