// SQL maintenance: statements run in one transaction and kept only on the user's Yes, refused
// statements, failures rolled back, and scripts read and saved as GBK files.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "admin/SmSqlDlg.h"
#include "core/SmGbk.h"
#include "tests/admin/test_admin_fixture.h"

namespace {

class SqlDlgTest : public AdminFileTest {
 protected:
  std::string Unit() { return TrimChars(m_db->QueryCountString("Max(NA) From SYSTAB")); }
  long Rows() { return m_db->QueryCountInt("Count(*) From SysCsTab Where Cs=9999"); }
  CSmMessageService& Boxes() { return CSmMessageService::Instance(); }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, SqlDlgTest, testing::Values(0, 2));

TEST(SqlStatements, SplitOutsideQuotesAndComments) {
  EXPECT_EQ(SmSplitSqlStatements("update a set b='x;y' -- c;d\n; /* e;f */ delete from g;;  "),
            (std::vector<std::string>{"update a set b='x;y'", "delete from g"}));
  EXPECT_EQ(SmSplitSqlStatements("select \"a;b\" from t"),
            std::vector<std::string>{"select \"a;b\" from t"});
  EXPECT_TRUE(SmSplitSqlStatements(" -- only a note").empty());
  EXPECT_EQ(SmFindRefusedSqlKeyword({"update a set b=1", "commit"}), "COMMIT");
  EXPECT_EQ(SmFindRefusedSqlKeyword({"Attach 'x' as y"}), "ATTACH");
  EXPECT_EQ(SmFindRefusedSqlKeyword({"update vacuums set a=1"}), "");
}

TEST_P(SqlDlgTest, StatementsAreKeptOnlyWhenCommitted) {
  CSmSqlDlg dlg(m_db);
  dlg.SetSqlText("Update SYSTAB Set NA='改过'");
  Boxes().QueueAnswer(SM_IDNO);
  EXPECT_FALSE(dlg.RunSql());
  EXPECT_EQ(Boxes().LastText(), "SQL语句处理完毕！提交吗？");
  EXPECT_NE(Unit(), "改过");
  EXPECT_TRUE(LogNotes(26).empty());

  // Several statements run together; Yes keeps them all and logs the text.
  const std::string script =
      "Insert Into SysCsTab(Cs,CsN,CsNa) Values(9999,1,'a;b');\n"
      "Insert Into SysCsTab(Cs,CsN,CsNa) Values(9999,2,'c');\nUpdate SYSTAB Set NA='改过'";
  dlg.SetSqlText(script);
  Boxes().QueueAnswer(SM_IDYES);
  EXPECT_FALSE(dlg.RunSql());
  EXPECT_EQ(Unit(), "改过");
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(LogNotes(26), std::vector<std::string>{"执行SQL语句：" + script});
}

TEST_P(SqlDlgTest, AFailingOrRefusedScriptChangesNothing) {
  CSmSqlDlg dlg(m_db);
  // The second statement fails: the first is rolled back with it, and nothing is asked.
  dlg.SetSqlText("Insert Into SysCsTab(Cs,CsN) Values(9999,1); Updat SYSTAB Set NA='x'");
  SmResetMessages();
  EXPECT_FALSE(dlg.RunSql());
  ASSERT_FALSE(Boxes().Shown().empty());
  EXPECT_NE(Boxes().LastText().find("执行下列SQL语句时出错！"), std::string::npos);
  EXPECT_NE(Boxes().LastText().find("Updat SYSTAB"), std::string::npos);
  EXPECT_EQ(Rows(), 0);

  // A statement that would end the transaction is refused before anything runs.
  dlg.SetSqlText("Insert Into SysCsTab(Cs,CsN) Values(9999,1); COMMIT");
  SmResetMessages();
  EXPECT_FALSE(dlg.RunSql());
  EXPECT_NE(Boxes().LastText().find("COMMIT"), std::string::npos);
  EXPECT_EQ(Rows(), 0);

  dlg.SetSqlText("  ");
  SmResetMessages();
  EXPECT_FALSE(dlg.RunSql());
  EXPECT_EQ(Boxes().LastText(), "没有要执行的SQL语句！");
  EXPECT_TRUE(LogNotes(26).empty());
}

TEST_P(SqlDlgTest, ScriptsAreReadAndSavedAsGbk) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/修改.sql";
  CSmSqlDlg dlg(m_db);

  SmResetMessages();
  dlg.SaveScript();  // an empty editor asks for no file
  EXPECT_TRUE(Boxes().Shown().empty());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));

  dlg.SetSqlText("Update SYSTAB Set NA='糖厂'\n");
  Boxes().QueueFileName(path);
  dlg.SaveScript();
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  std::string gbk;
  ASSERT_TRUE(Utf8ToGbk("Update SYSTAB Set NA='糖厂'\r\n", gbk));
  EXPECT_EQ(file.readAll().toStdString(), gbk);

  dlg.SetSqlText("");
  Boxes().QueueFileName(path);
  dlg.ReadScript();
  EXPECT_EQ(dlg.GetSqlText(), "Update SYSTAB Set NA='糖厂'\n");

  // A file that cannot be read or written says so and leaves the text.
  SmResetMessages();
  Boxes().QueueFileName(dir.path().toStdString() + "/无.sql");
  dlg.ReadScript();
  EXPECT_EQ(Boxes().LastText(), "不能读取文件“" + dir.path().toStdString() + "/无.sql”！");
  Boxes().QueueFileName(dir.path().toStdString() + "/无/x.sql");
  dlg.SaveScript();
  EXPECT_EQ(Boxes().LastText(), "不能保存文件“" + dir.path().toStdString() + "/无/x.sql”！");
  EXPECT_EQ(dlg.GetSqlText(), "Update SYSTAB Set NA='糖厂'\n");
}
