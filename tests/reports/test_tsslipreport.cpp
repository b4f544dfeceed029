// The ticket detail list opened from its template: its query dialog with the conflicting
// choices, the rows and the total line, the choices kept for the next opening, and the batch
// recalculation from the view with its rights, questions, marked cells and save.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <set>

#include "app/SmApp.h"
#include "cane/TsDataType.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "reports/TsReportDoc1.h"
#include "reports/TsReportDoc7.h"
#include "reports/TsReportQueryDlg.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "tests/common/TsCaneTestApp.h"
#include "tests/reports/TsReportDirs.h"

namespace {

class TsSlipReportTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    TsInstallReports();
    ASSERT_TRUE(m_app.Start(2016, "1626 1625 "));
    m_app.m_opLog.m_enabled = 1;
    m_db = m_app.m_env.GetDatabase();
    auto* cane = static_cast<CTsDataType*>(m_app.FindDataType(16));
    for (int i = 0; i < 10; ++i) cane->m_strParams[i].clear();
    cane->m_strParams[0] = "补助款\t0+\t10*#sl";
    cane->m_strParams[1] = "扣义运\t0-\t#sl*2";
    cane->BuildItemTables();
    m_cane = cane;
    Run(TsReportDirectoryRows());
    Run({Ticket("000001", "10101001", "", 195), Ticket("000002", "10101002", "", 195),
         Ticket("000003", "20101001", "00001", 195)});
  }
  void TearDown() override { m_app.Stop({257, 258, 268, 269, 270, 271}); }
  void Run(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) ASSERT_TRUE(m_db->ExecuteSQL(sql)) << sql;
  }
  // A tared ticket of 19.5 net on 10 March, settled for cane on slip `jn` by 104.
  static std::string Ticket(const char* number, const char* farmer, const char* jn, double my1) {
    return FormatStr(
        "Insert Into gbSheet(T,TH,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,"
        "KNO0,KNO1,KNO2,KNO3,MU0,MU1,MU2,MU3,PR0,PR1,MY0,MY1,MY2,MY3,MY4,MY5,MY6,MY7,MY8,MY9,"
        "MY10,MY11,FK,PRT0,PRT1) Values('20160310','080000','%s','102','102','%s','','','','','',"
        "'','','%s','','%s','12','012','101',30,10,0.5,0,500,20,9750,%g,39,0,0,0,390,0,0,0,0,0,0,"
        "0,0)",
        number, *jn ? "104" : "", jn, farmer, my1);
  }

  // March 2016, every state and operator, no range (the choices stay from test to test).
  static void March(QWidget* dlg) {
    const char* texts[] = {"2016", "03", "01", "2016", "03", "31", "", ""};
    using D = CTsReportQueryDlg7;
    const int ids[] = {D::kDateFrom,    D::kDateFromMonth, D::kDateFromDay, D::kDateTo,
                       D::kDateToMonth, D::kDateToDay,     D::kRangeFrom,   D::kRangeTo};
    for (size_t i = 0; i < std::size(ids); ++i) Type(dlg, ids[i], texts[i]);
    for (int id : {D::kWeighAll, D::kCaneAll, D::kFreightAll})
      Control<QRadioButton>(dlg, id)->setChecked(true);
    const int operators[] = {D::kWeigher,      D::kTarer,          D::kCaneSettler,
                             D::kCanePayer,    D::kCaneReviewer,   D::kFreightSettler,
                             D::kFreightPayer, D::kFreightReviewer};
    for (int id : operators) Control<QComboBox>(dlg, id)->setCurrentIndex(0);
  }
  CTsReportView7* Open(std::function<void(QWidget*)> answer) {
    CSmChildFrame* frame = m_app.OpenFromTemplate(271, 0, 1, 974, std::move(answer));
    return frame ? frame->findChild<CTsReportView7*>() : nullptr;
  }
  CTsReportView7* OpenMarch() {
    return Open([](QWidget* dlg) {
      March(dlg);
      Press(dlg, SM_ID_OK);
    });
  }
  static CTsReportDoc7* Doc(CTsReportView7* view) {
    return dynamic_cast<CTsReportDoc7*>(view->ReportDoc());
  }
  static std::string Cell(CTsReportDoc7* doc, int row, int code) {
    const int column = doc->FindShownColumn(code);
    return column < 0 ? "?" : doc->m_rows[row][column];
  }
  // The shown columns of a row whose cells are marked, by field code.
  static std::vector<int> Marked(CTsReportDoc7* doc, int row) {
    std::vector<int> codes;
    const std::string& flags = doc->m_rowFlags[row];
    for (size_t k = 0; k < flags.size(); ++k) {
      if (flags[k] != '0')
        codes.push_back(doc->m_formDef.m_cols[doc->m_shownColumns[k]].FieldCode());
    }
    return codes;
  }
  // Runs the recalculation command with the answers queued and the item dialog answered by
  // `items` (not shown: nullptr).
  void Recalculate(CTsReportView7* view, std::vector<int> answers,
                   std::function<void(QWidget*)> items = {}) {
    for (int answer : answers) CSmMessageService::Instance().QueueAnswer(answer);
    QObject owner;
    if (items) OnModalOf(&owner, 975, std::move(items));
    EXPECT_TRUE(view->OnCommand(kTsGenerateAdvances));
    QApplication::processEvents();
  }
  std::string Logged() {
    std::vector<std::string> notes[1];
    m_db->QueryStrings("Select sNote From SmLog Where nTaskID=1605", notes, 1);
    std::string text;
    for (const std::string& note : notes[0]) text += TrimChars(note) + ";";
    return text;
  }

  TsCaneTestApp m_app{"SlipReportTest"};
  CSmDatabase* m_db = nullptr;
  CTsDataType* m_cane = nullptr;
};

}  // namespace

TEST_F(TsSlipReportTest, ConflictingChoicesAreTurnedAndTheChoicesComeBack) {
  struct Case {
    const char* name;
    std::function<void(QWidget*)> choose;
    std::vector<int> checked;  // the radios checked after OK
    bool adjusted;
  };
  auto pick = [](QWidget* dlg, int combo) { Control<QComboBox>(dlg, combo)->setCurrentIndex(1); };
  const Case cases[] = {
      {"cane reviewed with a reviewer",
       [&](QWidget* dlg) {
         Control<QRadioButton>(dlg, CTsReportQueryDlg7::kCaneReviewed)->setChecked(true);
         pick(dlg, CTsReportQueryDlg7::kCaneReviewer);
       },
       {CTsReportQueryDlg7::kWeighAll, CTsReportQueryDlg7::kCaneReviewed,
        CTsReportQueryDlg7::kFreightAll},
       false},
      {"cane unsettled with a payer",
       [&](QWidget* dlg) {
         Control<QRadioButton>(dlg, CTsReportQueryDlg7::kCaneUnsettled)->setChecked(true);
         pick(dlg, CTsReportQueryDlg7::kCanePayer);
       },
       {CTsReportQueryDlg7::kWeighAll, CTsReportQueryDlg7::kCaneAll,
        CTsReportQueryDlg7::kFreightAll},
       true},
      {"untared with a tare operator",
       [&](QWidget* dlg) {
         Control<QRadioButton>(dlg, CTsReportQueryDlg7::kUntared)->setChecked(true);
         pick(dlg, CTsReportQueryDlg7::kTarer);
       },
       {CTsReportQueryDlg7::kWeighAll, CTsReportQueryDlg7::kCaneAll,
        CTsReportQueryDlg7::kFreightAll},
       true},
      {"untared and freight paid",
       [&](QWidget* dlg) {
         Control<QRadioButton>(dlg, CTsReportQueryDlg7::kUntared)->setChecked(true);
         Control<QRadioButton>(dlg, CTsReportQueryDlg7::kFreightUnreviewed)->setChecked(true);
       },
       {CTsReportQueryDlg7::kUntared, CTsReportQueryDlg7::kCaneAll,
        CTsReportQueryDlg7::kFreightAll},
       true},
  };
  const char* conflict = "选择项间有冲突，软件已作调整，请重新配置过滤条件！";
  for (const Case& c : cases) {
    SmResetMessages();
    std::vector<int> checked;
    CTsReportView7* view = Open([&](QWidget* dlg) {
      March(dlg);
      c.choose(dlg);
      Press(dlg, SM_ID_OK);
      for (QRadioButton* radio : dlg->findChildren<QRadioButton*>()) {
        if (radio->isChecked() && !radio->objectName().isEmpty())
          checked.push_back(radio->objectName().toInt());
      }
      if (dlg->isVisible()) Cancel(dlg);
    });
    EXPECT_EQ(checked, c.checked) << c.name;
    EXPECT_EQ(Shown(conflict), c.adjusted) << c.name;
    EXPECT_EQ(view != nullptr, !c.adjusted) << c.name;
    if (view) Doc(view)->OnCloseDocument();
    QApplication::processEvents();
  }

  // The last choices come back: cane reviewed by 102 and a range.
  CTsReportView7* view = Open([](QWidget* dlg) {
    March(dlg);
    Type(dlg, CTsReportQueryDlg::kRangeFrom, "30");
    Type(dlg, CTsReportQueryDlg::kRangeTo, "10");
    Control<QRadioButton>(dlg, CTsReportQueryDlg7::kCaneAll)->setChecked(true);
    Control<QComboBox>(dlg, CTsReportQueryDlg7::kCaneSettler)->setCurrentIndex(1);
    Press(dlg, SM_ID_OK);
  });
  ASSERT_NE(view, nullptr);
  CTsReportDoc7* doc = Doc(view);
  EXPECT_EQ(doc->query.sQtyRange[0], "10");
  EXPECT_EQ(doc->query.sOperator[2], "102");
  doc->chosen[0][0] = {false, true};
  doc->OnCloseDocument();
  QApplication::processEvents();
  std::string lower, settler;
  bool cane = false;
  ASSERT_EQ(
      Open([&](QWidget* dlg) {
        lower = Control<QLineEdit>(dlg, CTsReportQueryDlg::kRangeFrom)->text().toStdString();
        settler =
            Control<QComboBox>(dlg, CTsReportQueryDlg7::kCaneSettler)->currentText().toStdString();
        cane = Control<QRadioButton>(dlg, CTsReportQueryDlg7::kCaneAll)->isChecked();
        Cancel(dlg);
      }),
      nullptr);
  EXPECT_EQ(lower, "10");
  EXPECT_EQ(settler.substr(0, 3), "102");
  EXPECT_TRUE(cane);
}

TEST_F(TsSlipReportTest, RecalculationMarksTheChangedCellsAndSavesThem) {
  CTsReportView7* view = OpenMarch();
  ASSERT_NE(view, nullptr);
  CTsReportDoc7* doc = Doc(view);
  ASSERT_EQ(doc->m_rows.size(), 3u);
  EXPECT_EQ(doc->GetCountText(), "3户");
  EXPECT_EQ(Cell(doc, 2, 21), "104-   ");
  EXPECT_TRUE(doc->IsReadOnly());
  auto only = [](std::vector<bool> flags) {
    return [flags](QWidget* dlg) {
      size_t i = 0;
      for (QCheckBox* box : dlg->findChildren<QCheckBox*>()) {
        box->setChecked(i < flags.size() && flags[i]);
        ++i;
      }
      Press(dlg, SM_ID_OK);
      if (dlg->isVisible()) Cancel(dlg);
    };
  };

  m_app.m_env.SetRights("1626 ");
  Recalculate(view, {});
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "你无此权限，再见！");
  m_app.m_env.SetRights("1626 1625 ");
  SmResetMessages();
  Recalculate(view, {SM_IDNO}, only({true}));
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_TRUE(CSmMessageService::Instance().LastText().starts_with("成批修改过磅单，虽方便"));
  Recalculate(view, {SM_IDYES}, only({}));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "没有选择需要重新计算的项目！");
  EXPECT_TRUE(doc->IsReadOnly());

  // The subsidy is now 20 per ton: two tickets change, the settled one is left alone.
  m_cane->m_strParams[0] = "补助款\t0+\t20*#sl";
  m_cane->BuildItemTables();
  SmResetMessages();
  Recalculate(view, {SM_IDYES}, only({true}));
  EXPECT_TRUE(
      Shown("重新计算后，有2个过磅单数据发生了变化，请先核对数据是否正确，然后选择“保存”"
            "功能，更新数据！\n另有1个过磅单已结算，其项目未重新计算。"));
  EXPECT_FALSE(doc->IsReadOnly());
  EXPECT_EQ(Cell(doc, 0, 60), "390.00");
  EXPECT_EQ(Cell(doc, 0, 38), "10101.00");
  EXPECT_EQ(Cell(doc, 2, 60), "195.00");
  // The ticket number, the name, the item and the payable after it (the item total is hidden).
  EXPECT_EQ(Marked(doc, 0), (std::vector<int>{12, 2, 60, 38}));
  EXPECT_EQ(Marked(doc, 2), std::vector<int>{});
  // "刷新" keeps the recomputed tickets and their marks.
  EXPECT_TRUE(view->OnCommand(SM_ID_DOC_REREAD));
  EXPECT_EQ(Marked(doc, 1), (std::vector<int>{12, 2, 60, 38}));
  std::string prompt = "?";
  EXPECT_TRUE(doc->GetSavePrompt(prompt));
  EXPECT_EQ(prompt, "");

  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  EXPECT_TRUE(doc->OnCommand(SM_ID_FILE_SAVE));
  EXPECT_TRUE(Shown("真的要保存重新计算的结果吗？"));
  EXPECT_EQ(Logged(), "成批修改了2张过磅单;");
  std::vector<std::string> amounts[1];
  m_db->QueryStrings("Select Cast(MY1*100 As Integer) From gbSheet Order By DH", amounts, 1);
  EXPECT_EQ(amounts[0], (std::vector<std::string>{"39000", "39000", "19500"}));
  EXPECT_TRUE(doc->IsReadOnly());
  EXPECT_FALSE(doc->GetSavePrompt(prompt));

  // Formulas that give the stored amounts change nothing.
  SmResetMessages();
  Recalculate(view, {SM_IDYES}, only({true}));
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "重新计算后，所有过磅单数据没有变化！\n另有1个过磅单已结算，其项目未重新计算。");
  EXPECT_TRUE(doc->IsReadOnly());
  EXPECT_TRUE(doc->tickets.empty());

  // The item choices come back at the next opening.
  doc->OnCloseDocument();
  QApplication::processEvents();
  view = OpenMarch();
  ASSERT_NE(view, nullptr);
  std::vector<bool> checked;
  Recalculate(view, {SM_IDYES}, [&checked](QWidget* dlg) {
    for (QCheckBox* box : dlg->findChildren<QCheckBox*>()) checked.push_back(box->isChecked());
    Cancel(dlg);
  });
  EXPECT_EQ(checked, (std::vector<bool>{true, false}));
}

// The rows show money with its digit groups, as every report does, and the total line without
// them; weights show every decimal of the quantity precision, also where the stored definition
// of an earlier season gives their columns fewer.
TEST_F(TsSlipReportTest, MoneyAsInEveryReportAndWeightsWithTheQuantityDecimals) {
  CTsReportView7* view = OpenMarch();
  ASSERT_NE(view, nullptr);
  Doc(view)->OnCloseDocument();
  QApplication::processEvents();
  Run({"Update SmFormFormula Set nLess=0,nMore=1 Where nFlag=271 And nType In (130,131,132,134)"});
  view = OpenMarch();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(Cell(Doc(view), 0, 34), "19.500");

  const std::string pdf = SmQueueTestPdf("detail");
  EXPECT_TRUE(view->OnCommand(SM_ID_FILE_PRINT_PREVIEW));
  std::set<std::string> words;
  for (const SmPdfWord& word : SmPdfWords(pdf)) words.insert(word.text);
  struct Case {
    const char* what;
    const char* text;
    bool printed;
  };
  // Three tickets of 30 gross, 10 tare, 0.5 impurity and 9750.00 for the cane.
  const Case cases[] = {
      {"gross", "30.000", true},
      {"tare", "10.000", true},
      {"impurity", "0.500", true},
      {"net", "19.500", true},
      {"net with the stored decimals", "19.5", false},
      {"total net", "58.500", true},
      {"cane amount", "9,750.00", true},
      {"cane amount without its groups", "9750.00", false},
      {"total cane amount", "29250.00", true},
      {"total cane amount with its groups", "29,250.00", false},
  };
  for (const Case& c : cases) EXPECT_EQ(words.count(c.text) == 1, c.printed) << c.what;
}
