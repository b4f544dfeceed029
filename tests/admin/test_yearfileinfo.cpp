// The data file information dialog: required fields, the background picture check, and what OK
// writes and logs for each kind of change, including a SYSTAB row another station changed.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include "admin/SmYearFileInfoDlg.h"
#include "app/SmWorkstation.h"
#include "core/SmRegKey.h"
#include "tests/admin/test_admin_fixture.h"

namespace {

class YearFileInfoTest : public AdminFileTest {
 protected:
  void SetUp() override {
    AdminFileTest::SetUp();
    if (HasFatalFailure()) return;
    SaveFrameBackground(0, "", "");
    m_dlg = std::make_unique<CSmYearFileInfoDlg>(m_app);
    m_dlg->show();
    SmResetMessages();
  }
  void Set(int id, const std::string& text) {
    m_dlg->findChild<QLineEdit*>(QString::number(id))->setText(QString::fromStdString(text));
  }
  std::string Stored(const char* column) {
    return TrimChars(m_db->QueryCountString(FormatStr("Max(%s) From SYSTAB", column)));
  }
  long LogRows() { return m_db->QueryCountInt("Count(*) From SmLog"); }
  CSmMessageService& Boxes() { return CSmMessageService::Instance(); }

  std::unique_ptr<CSmYearFileInfoDlg> m_dlg;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, YearFileInfoTest, testing::Values(0, 2));

TEST_P(YearFileInfoTest, RequiredFieldsAndThePictureAreChecked) {
  const struct {
    int id;
    const char* text;
    const char* message;
  } cases[] = {
      {CSmYearFileInfoDlg::kUnitEdit, " \t ", "主体名不能为空！"},
      {CSmYearFileInfoDlg::kT1Edit, "", "法人代表名不能为空！"},
      {CSmYearFileInfoDlg::kSupervisorEdit, "  ", "业务主管名不能为空！"},
      {CSmYearFileInfoDlg::kPictureFileEdit, "/无此图.bmp", "背景图像文件</无此图.bmp>不存在！"},
  };
  const std::string unit = Stored("NA");
  for (const auto& c : cases) {
    m_dlg->show();
    Set(CSmYearFileInfoDlg::kUnitEdit, "糖厂");
    Set(CSmYearFileInfoDlg::kT1Edit, "甲");
    Set(CSmYearFileInfoDlg::kSupervisorEdit, "乙");
    Set(CSmYearFileInfoDlg::kPictureFileEdit, "");
    Set(c.id, c.text);
    SmResetMessages();
    EXPECT_FALSE(m_dlg->SaveInfo()) << c.message;
    EXPECT_EQ(Boxes().LastText(), c.message);
  }
  EXPECT_EQ(Stored("NA"), unit);
  EXPECT_TRUE(LogNotes(2).empty());

  // An empty picture text in picture mode needs no file; OK without a change writes nothing.
  CSmYearFileInfoDlg same(m_app);
  same.show();
  const long rows = LogRows();
  SmResetMessages();
  EXPECT_TRUE(same.SaveInfo());
  EXPECT_TRUE(Boxes().Shown().empty());
  EXPECT_EQ(LogRows(), rows);
}

// A new workstation has no picture of its own: the default one beside the program is missing,
// and a new unit name is saved all the same.
TEST_P(YearFileInfoTest, TheUnitNameIsSavedWhileTheUntouchedDefaultPictureIsMissing) {
  CSmRegKey().DeleteValue(SM_HKEY_CURRENT_USER, m_app.GetSmRegKey(), "BackGround_0");
  CSmYearFileInfoDlg dlg(m_app);
  dlg.show();
  const std::string picture =
      dlg.findChild<QLineEdit*>(QString::number(CSmYearFileInfoDlg::kPictureFileEdit))
          ->text()
          .toStdString();
  ASSERT_FALSE(picture.empty());
  ASSERT_FALSE(QFileInfo::exists(QString::fromStdString(picture)));
  dlg.findChild<QLineEdit*>(QString::number(CSmYearFileInfoDlg::kUnitEdit))->setText("新华糖厂");
  SmResetMessages();
  EXPECT_TRUE(dlg.SaveInfo()) << Boxes().LastText();
  EXPECT_TRUE(Boxes().Shown().empty());
  EXPECT_EQ(Stored("NA"), "新华糖厂");
  EXPECT_EQ(LogNotes(2), std::vector<std::string>{"修改了数据文件信息"});
}

TEST_P(YearFileInfoTest, EachChangeIsWrittenAndLogged) {
  // The log switch alone: switched on, it is stored and a new work session starts; SYSTAB and
  // its log line stay.
  m_app.m_env.SetLogOn(0);
  ASSERT_TRUE(m_app.m_env.SaveLogSwitch());
  CSmYearFileInfoDlg logDlg(m_app);
  logDlg.show();
  logDlg.findChild<QRadioButton*>(QString::number(CSmYearFileInfoDlg::kLogOn))->setChecked(true);
  const size_t sessions = LogNotes(0).size();
  EXPECT_TRUE(logDlg.SaveInfo());
  EXPECT_TRUE(m_app.m_env.IsLogOn());
  EXPECT_EQ(TrimChars(m_db->QueryCountString("Max(CsVal) From SysCsTab Where Cs=0 And CsN=0")),
            "1");
  EXPECT_EQ(LogNotes(0).size(), sessions + 1);
  EXPECT_TRUE(LogNotes(2).empty());

  // The identity: the row and the environment take the new texts.
  CSmYearFileInfoDlg info(m_app);
  info.show();
  info.findChild<QLineEdit*>(QString::number(CSmYearFileInfoDlg::kUnitEdit))->setText("南方糖厂");
  info.findChild<QLineEdit*>(QString::number(CSmYearFileInfoDlg::kIdCodeEdit))->setText("X01");
  EXPECT_TRUE(info.SaveInfo());
  EXPECT_EQ(Stored("NA"), "南方糖厂");
  EXPECT_EQ(Stored("AN"), "X01");
  EXPECT_EQ(m_app.m_env.GetUnitName(), "南方糖厂");
  EXPECT_EQ(LogNotes(2), std::vector<std::string>{"修改了数据文件信息"});

  // The background scheme: stored for the next start, logged and announced.
  QTemporaryDir dir;
  const std::string picture = dir.path().toStdString() + "/背景.bmp";
  ASSERT_TRUE(QFile(QString::fromStdString(picture)).open(QIODevice::WriteOnly));
  CSmYearFileInfoDlg back(m_app);
  back.show();
  back.findChild<QLineEdit*>(QString::number(CSmYearFileInfoDlg::kPictureFileEdit))
      ->setText(QString::fromStdString(picture));
  SmResetMessages();
  EXPECT_TRUE(back.SaveInfo());
  EXPECT_EQ(Boxes().LastText(), "您修改了程序框架背景方案，下次启动软件时方可生效！");
  int mode = 1;
  std::string stored;
  std::string page;
  LoadFrameBackground(mode, stored, page, false);
  EXPECT_EQ(stored, picture);
  EXPECT_EQ(LogNotes(2), (std::vector<std::string>{"修改了数据文件信息", "修改了背景方案"}));
}

TEST_P(YearFileInfoTest, ARowChangedByAnotherStationIsNotOverwritten) {
  ASSERT_TRUE(m_db->ExecuteSQL("Update SYSTAB Set NA='别处改的'"));
  const std::string unit = m_app.m_env.GetUnitName();
  Set(CSmYearFileInfoDlg::kUnitEdit, "这里改的");
  SmResetMessages();
  EXPECT_FALSE(m_dlg->SaveInfo());
  EXPECT_NE(Boxes().LastText().find("文件信息已被另一工作站修改"), std::string::npos);
  EXPECT_EQ(Stored("NA"), "别处改的");
  EXPECT_EQ(m_app.m_env.GetUnitName(), unit);
  EXPECT_TRUE(LogNotes(2).empty());
}
