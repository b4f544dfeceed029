// Saving chosen columns of a table document as a text file: the column page and its stored
// choice, the preview, the proposed name, and finishing with its refusals, the file's bytes,
// the stored rows and the log row.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/SmApp.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmString.h"
#include "forms/SmDoc.h"
#include "forms/SmSaveAsText.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "ui/SmEdit.h"

namespace {

// Three columns: a name, a weight and an amount; the hook answers as told and records the name.
class TextDoc : public CSmDoc {
 public:
  TextDoc() {
    nFlag = 260;
    m_kind.nNumber = 3;
    m_kind.sName = "收购统计表";
  }
  void DefineTitle(CSmFormDef& def) override {
    def.sFna = "收购统计表";
    def.nTopNum = 1;
  }
  void DefineColumns(CSmFormDef& def) override {
    def.InsertCol(0, 101, 1208, 0, 0, "户名/STRING/LEFT");
    def.InsertCol(1, 102, 1010, 2, 2, "重量/NUMBER/RIGHT");
    def.InsertCol(2, 103, 1210, 2, 2, "金额/NUMBER/RIGHT");
  }
  bool OnSaveAsText(const std::string& fileName) override {
    m_hookAsked = fileName;
    return m_hookAgrees;
  }
  void Open(const std::vector<std::vector<std::string>>& rows) {
    InitDocument();
    LoadFormDef();
    SetTitle({});
    m_rows.clear();
    m_rowFlags.clear();
    for (const auto& row : rows) {
      AppendRow();
      for (size_t c = 0; c < row.size(); ++c) m_rows.back()[c] = row[c];
    }
  }

  bool m_hookAgrees = true;
  std::string m_hookAsked;
};

const std::vector<std::vector<std::string>> kRows = {
    {"张三", "1.50", "300.00"}, {"李四", "", "12.00"}, {"", "2.00", ""}};

std::string Gbk(const std::string& utf8) {
  std::string gbk;
  EXPECT_TRUE(Utf8ToGbk(utf8, gbk));
  return gbk;
}

std::string ReadBytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll().toStdString();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class SaveAsTextTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    m_db = m_app.m_env.GetDatabase();
    m_app.m_env.SetLogOn(1);
    m_app.m_opLog.m_enabled = 1;
    m_doc.m_db = m_db;
    m_doc.Open(kRows);
    ASSERT_TRUE(m_dir.isValid());
  }

  std::string Path(const std::string& name) const {
    return QDir(m_dir.path()).filePath(QString::fromStdString(name)).toStdString();
  }
  // The wizard shown on its first page with the columns checked.
  std::unique_ptr<CSaveAsTextSheet> Wizard(const std::vector<int>& checked) {
    auto sheet = std::make_unique<CSaveAsTextSheet>(m_doc);
    sheet->show();
    CSaveAsTextColList* list = sheet->Page1()->List();
    for (int row = 0; row < list->RowCount(); ++row) list->SetCheck(row, false);
    for (int row : checked) list->SetCheck(row, true);
    return sheet;
  }
  static bool CanPress(CSaveAsTextSheet& sheet, QWizard::WizardButton which) {
    QAbstractButton* b = sheet.button(which);
    return b->isVisible() && b->isEnabled();
  }
  // To page 3 with the file name typed, then Finish.
  static void Finish(CSaveAsTextSheet& sheet, const std::string& path) {
    sheet.next();
    sheet.next();
    ASSERT_EQ(sheet.currentPage(), sheet.Page3());
    Control<CSmEdit>(&sheet, CSaveAsTextSheet::kFileName)->setText(QString::fromStdString(path));
    Click(&sheet, CSaveAsTextSheet::kFinish);
  }
  std::string Stored(long cs, long csN, const std::string& name) {
    return CSmCsRecord(m_db).LoadByName(cs, csN, name);
  }
  long Count(const std::string& sql) { return m_db->QueryInt(sql); }
  std::vector<std::string> LogNotes() {
    std::vector<std::string> notes;
    m_db->QueryStrings("Select rtrim(sNote) From SmLog Where nTaskID=27", &notes, 1);
    return notes;
  }

  CSmApp m_app;
  CSmDatabase* m_db = nullptr;
  TextDoc m_doc;
  QTemporaryDir m_dir;
};

TEST(SaveAsTextChoice, IndexesAreMatchedWithASpaceOnEachSide) {
  EXPECT_EQ(SmTextColumnChoice({0, 2, 5}), " 0 2 5 ");
  EXPECT_EQ(SmTextColumnChoice({}), " ");
  struct Case {
    const char* stored;
    int index;
    bool chosen;
  };
  for (const Case& c : {Case{" 10 ", 1, false}, Case{" 10 ", 0, false}, Case{" 10 ", 10, true},
                        Case{" 0 2 ", 2, true}, Case{"0 2", 0, true}, Case{"0 2", 2, true},
                        Case{" 12 ", 2, false}, Case{"", 0, false}}) {
    EXPECT_EQ(SmTextColumnChosen(c.stored, c.index), c.chosen) << c.stored << c.index;
  }
}

TEST_F(SaveAsTextTest, ColumnPageFollowsTheStoredChoiceAndGatesNext) {
  ASSERT_TRUE(
      m_db->ExecuteSQL("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(1358,260,'3',' 2 10 ')"));
  CSaveAsTextSheet sheet(m_doc);
  sheet.show();
  CSaveAsTextColList* list = sheet.Page1()->List();
  ASSERT_EQ(list->RowCount(), 3);
  EXPECT_EQ(list->topLevelItem(1)->text(0).toStdString(), "2");
  EXPECT_EQ(list->topLevelItem(1)->text(1).toStdString(), "重量");
  EXPECT_EQ(list->topLevelItem(1)->text(4).toStdString(), "数值");
  EXPECT_EQ(list->CheckedColumns(), (std::vector<int>{2}));
  EXPECT_TRUE(CanPress(sheet, QWizard::NextButton));
  EXPECT_FALSE(CanPress(sheet, QWizard::BackButton));
  EXPECT_FALSE(CanPress(sheet, QWizard::FinishButton));
  // Unchecking the last checked column takes Next away.
  list->SetCheck(2, false);
  EXPECT_FALSE(CanPress(sheet, QWizard::NextButton));
  list->SetCheck(0, true);
  EXPECT_TRUE(CanPress(sheet, QWizard::NextButton));
  // The trimmed menu starts with what applies to a list of checks.
  std::unique_ptr<QMenu> menu = list->CreateContextMenu();
  EXPECT_EQ(menu->actions().front()->data().toUInt(), SM_ID_LIST_INVERT_SELECTION);
  EXPECT_FALSE(list->IsCommandEnabled(SM_ID_EDIT_COPY));
}

TEST_F(SaveAsTextTest, ADocumentWithoutRowsCannotLeaveTheFirstPage) {
  m_doc.m_rows.clear();
  auto sheet = Wizard({0, 1, 2});
  EXPECT_FALSE(CanPress(*sheet, QWizard::NextButton));
  sheet->next();  // as Enter would
  EXPECT_EQ(sheet->currentPage(), sheet->Page1());
}

TEST_F(SaveAsTextTest, ThePreviewIsRebuiltEachTimeItsPageComesUp) {
  auto sheet = Wizard({0, 1, 2});
  sheet->next();
  ASSERT_EQ(sheet->currentPage(), sheet->Page2());
  EXPECT_TRUE(CanPress(*sheet, QWizard::BackButton));
  EXPECT_TRUE(CanPress(*sheet, QWizard::NextButton));
  EXPECT_EQ(sheet->Page2()->Preview()->toPlainText().toStdString(),
            "张三\t1.50\t300.00\n李四\t0\t12.00\n\t2.00\t0\n");
  sheet->next();
  EXPECT_TRUE(CanPress(*sheet, QWizard::BackButton));
  EXPECT_TRUE(CanPress(*sheet, QWizard::FinishButton));
  EXPECT_FALSE(CanPress(*sheet, QWizard::NextButton));
  sheet->back();
  sheet->back();
  sheet->Page1()->List()->SetCheck(1, false);
  sheet->next();
  EXPECT_EQ(sheet->Page2()->Preview()->toPlainText().toStdString(),
            "张三\t300.00\n李四\t12.00\n\t0\n");
  EXPECT_EQ(sheet->Page3()->m_fileText, "张三\t300.00\n李四\t12.00\n\t0\n");
}

TEST_F(SaveAsTextTest, FinishWritesTheFileStoresTheChoiceAndThePathAndLogs) {
  ASSERT_TRUE(m_db->ExecuteSQL(
      "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(9139,2,'','/elsewhere/old.TXT')"));
  const std::string path = Path("甘蔗收购.TXT");
  auto sheet = Wizard({0, 2});
  sheet->next();
  sheet->next();
  EXPECT_EQ(Control<CSmEdit>(sheet.get(), CSaveAsTextSheet::kFileName)->text().toStdString(),
            "/elsewhere/old.TXT");
  EXPECT_NE(Control<QPlainTextEdit>(sheet.get(), CSaveAsTextSheet::kTips)
                ->toPlainText()
                .indexOf("操 作 提 示"),
            -1);
  Finish(*sheet, path);
  EXPECT_EQ(sheet->result(), QDialog::Accepted);
  EXPECT_EQ(ReadBytes(path), Gbk("张三\t300.00\r\n李四\t12.00\r\n\t0\r\n"));
  EXPECT_EQ(m_doc.m_hookAsked, path);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "保存完毕！");
  EXPECT_EQ(Count("Select Count(*) From SysCsTab Where Cs=1358 And CsN=260 And CsNa='3' And "
                  "CsVal=' 0 2 '"),
            1);
  EXPECT_EQ(Count("Select Count(*) From SysCsTab Where Cs=9139 And CsN=2"), 1);
  EXPECT_EQ(Stored(9139, 2, ""), path);
  EXPECT_EQ(LogNotes(), (std::vector<std::string>{"将“收购统计表”保存成文本文档：" + path}));
  EXPECT_EQ(SmTextFileFolder(), m_dir.path().toStdString());

  // The next run proposes that path and starts from the stored choice; saving again keeps one
  // row of each.
  auto again = std::make_unique<CSaveAsTextSheet>(m_doc);
  again->show();
  EXPECT_EQ(again->Page1()->List()->CheckedColumns(), (std::vector<int>{0, 2}));
  again->next();
  again->next();
  EXPECT_EQ(Control<CSmEdit>(again.get(), CSaveAsTextSheet::kFileName)->text().toStdString(), path);
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  Click(again.get(), CSaveAsTextSheet::kFinish);
  EXPECT_EQ(again->result(), QDialog::Accepted);
  EXPECT_EQ(Count("Select Count(*) From SysCsTab Where Cs=1358 And CsN=260"), 1);
  EXPECT_EQ(Count("Select Count(*) From SysCsTab Where Cs=9139 And CsN=2"), 1);
}

TEST_F(SaveAsTextTest, WithoutAStoredNameTheFolderTitleAndTxtAreProposed) {
  auto sheet = Wizard({0});
  sheet->next();
  sheet->next();
  EXPECT_EQ(Control<CSmEdit>(sheet.get(), CSaveAsTextSheet::kFileName)->text().toStdString(),
            SmTextFileFolder() + "/收购统计表.TXT");
  // Browsing gives the chosen name, with ".TXT" when it has no extension.
  CSmMessageService::Instance().QueueFileName(Path("结算"));
  Click(sheet.get(), CSaveAsTextSheet::kBrowse);
  EXPECT_EQ(Control<CSmEdit>(sheet.get(), CSaveAsTextSheet::kFileName)->text().toStdString(),
            Path("结算.TXT"));
  CSmMessageService::Instance().QueueFileName("");
  Click(sheet.get(), CSaveAsTextSheet::kBrowse);
  EXPECT_EQ(Control<CSmEdit>(sheet.get(), CSaveAsTextSheet::kFileName)->text().toStdString(),
            Path("结算.TXT"));
}

// Every refusal keeps the wizard on its last page, leaves what was on the disk, and stores and
// logs nothing.
TEST_F(SaveAsTextTest, RefusalsChangeNothing) {
  const std::string existing = Path("旧.TXT");
  const std::string locked = Path("只读");
  ASSERT_TRUE(QDir(m_dir.path()).mkdir("只读"));
  QFile::setPermissions(QString::fromStdString(locked), QFile::ReadOwner | QFile::ExeOwner);
  const bool runsAsRoot = QFile(QString::fromStdString(locked + "/x")).open(QIODevice::WriteOnly);
  struct Case {
    const char* what;
    std::string path;
    std::vector<int> answers;
    bool hookAgrees;
    const char* message;
  };
  const Case cases[] = {
      {"folder", m_dir.path().toStdString(), {}, true, "文件名对应一个存在的文件夹！"},
      {"overwrite no", existing, {SM_IDNO}, true, "该文件名对应的文件已存在，覆盖吗？"},
      {"overwrite cancel", existing, {SM_IDCANCEL}, true, "该文件名对应的文件已存在，覆盖吗？"},
      {"hook refuses", existing, {SM_IDYES}, false, "该文件名对应的文件已存在，覆盖吗？"},
      {"no such folder", Path("无此目录/新.TXT"), {}, true, "创建文件失败！"},
      {"read-only folder", locked + "/新.TXT", {}, true, "创建文件失败！"},
      {"not convertible", Path("新.TXT"), {}, true, "创建文件失败！"},
  };
  for (const Case& c : cases) {
    if (runsAsRoot && std::string(c.what) == "read-only folder") continue;
    SmResetMessages();
    WriteBytes(existing, "old text");
    for (int answer : c.answers) CSmMessageService::Instance().QueueAnswer(answer);
    m_doc.m_hookAgrees = c.hookAgrees;
    m_doc.m_rows[0][0] = std::string(c.what) == "not convertible" ? "张三\xff" : "张三";
    auto sheet = Wizard({0, 1});
    Finish(*sheet, c.path);
    EXPECT_EQ(sheet->currentPage(), sheet->Page3()) << c.what;
    EXPECT_TRUE(sheet->isVisible()) << c.what;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.message) << c.what;
    EXPECT_EQ(ReadBytes(existing), "old text") << c.what;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("新.TXT")))) << c.what;
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << c.what;
    EXPECT_EQ(Count("Select Count(*) From SysCsTab Where Cs=1358 Or Cs=9139"), 0) << c.what;
    EXPECT_TRUE(LogNotes().empty()) << c.what;
  }
  QFile::setPermissions(QString::fromStdString(locked),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace
