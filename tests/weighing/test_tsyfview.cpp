// The advance voucher's grid: which cells take typing, household codes looked up as they are
// typed, the household picker and the note copied from above, stepping between the opened
// vouchers with the save question, the context menu, and the voucher pages printed and
// previewed from the selected households.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>
#include <algorithm>
#include <map>
#include <utility>

#include "tests/common/SmTestPdf.h"
#include "tests/weighing/TsYfDocTest.h"
#include "ui/SmListPageSetup.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"
#include "weighing/TsYfView.h"

namespace {

// Records the texts drawn into the TEXT cells on the screen and the beeps.
class CTestYfView : public CTsYfView {
 public:
  void DrawCellText(int row, int column, CSmFormDC& dc, const std::string& text,
                    const std::string& align, const std::string& region, int offsetY,
                    bool wrap) override {
    if (region == "TEXT" && !dc.printing) drawn[{row, column}] = text;
    CTsYfView::DrawCellText(row, column, dc, text, align, region, offsetY, wrap);
  }
  // The text the cell shows after a paint.
  std::string Shown(int row, int column) {
    drawn.clear();
    grab();
    return drawn[{row, column}];
  }
  // Types the text one character a key press, as an input method delivers Chinese.
  void Keys(const QString& text) {
    for (const QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(this, &press);
    }
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(this, static_cast<Qt::Key>(key), modifiers);
  }
  // The ids of the context menu down to the cut item, 0 for a separator.
  std::vector<int> MenuHead() {
    std::vector<int> ids;
    const std::unique_ptr<QMenu> menu = CreateContextMenu();
    for (QAction* action : menu->actions()) {
      const int id = action->isSeparator() ? 0 : action->data().toInt();
      if (id == SM_ID_EDIT_CUT) break;
      if (id != SM_ID_PRINT_ODD_PAGES && id != SM_ID_PRINT_EVEN_PAGES) ids.push_back(id);
    }
    return ids;
  }
  bool MenuEnabled(int id) {
    const std::unique_ptr<QMenu> menu = CreateContextMenu();
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator() && action->data().toInt() == id) return action->isEnabled();
    }
    return false;
  }

  std::map<std::pair<int, int>, std::string> drawn;
  int beeps = 0;

 protected:
  void QuestionBeep() override { ++beeps; }
};

class TsYfViewTest : public TsYfDocTest {
 protected:
  void SetUp() override {
    TsYfDocTest::SetUp();
    if (HasFatalFailure()) return;
    CSmPrinterService::Instance().Reset();
    m_hooks = SmGetPrintHooks();
  }
  void TearDown() override {
    SmGetPrintHooks() = m_hooks;
    CSmPrinterService::Instance().Reset();
    TsYfDocTest::TearDown();
  }

  static std::unique_ptr<CTestYfView> Show(CTsYfDoc& doc) {
    auto view = std::make_unique<CTestYfView>();
    doc.AddView(view.get());
    view->OnInitialUpdate();
    view->resize(1100, 400);
    view->show();
    view->setFocus();
    return view;
  }

  // A new farmer advance of the region 10101: 10101001 and 10101002 on the first line,
  // 10101003 on the second; code columns hidden, names 0 and 4, notes 3 and 7.
  std::unique_ptr<CTsYfDoc> NewAdvance() {
    auto doc = NewDoc(0);
    doc->m_region = "10101";
    Make(*doc, 0, 2);
    return doc;
  }

  // Empties a cell by the keyboard.
  static void Clear(CTestYfView& view, const CTsYfDoc& doc, int row, int column) {
    view.SetCurrentCell(row, column, 0, "TEXT");
    view.Key(Qt::Key_End);
    for (int i = 0; i < 40 && !doc.m_rows[row][column].empty(); ++i) view.Key(Qt::Key_Backspace);
  }

  // The hidden name of group g in a row.
  static std::string HiddenName(const CTsYfDoc& doc, int row, int g) {
    return doc.m_rows[row][doc.m_shownCount + g];
  }

  SmPrintHooks m_hooks;
};

TEST_F(TsYfViewTest, OnlyHouseholdAmountAndNoteCellsTakeTyping) {
  auto doc = NewAdvance();
  auto view = Show(*doc);
  const struct {
    int column;
    const char* region;
    bool editable;
  } cases[] = {
      {0, "TEXT", true},   // the name cell takes the code: no code column
      {1, "TEXT", false},  // balance
      {2, "TEXT", true},  {3, "TEXT", true}, {5, "TEXT", false}, {0, "HEAD", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(view->IsCellEditable(0, c.column, c.region), c.editable) << c.column << c.region;

  // With the code column of the first group shown, its name cell is only read.
  doc->m_formDef.m_cols[0].nType = 101;
  ASSERT_TRUE(doc->m_formDef.SaveCols());
  auto shown = NewAdvance();
  auto other = Show(*shown);
  EXPECT_TRUE(other->IsCellEditable(0, 0, "TEXT"));   // code
  EXPECT_FALSE(other->IsCellEditable(0, 1, "TEXT"));  // name
  EXPECT_FALSE(other->IsCellEditable(0, 2, "TEXT"));  // balance
  EXPECT_TRUE(other->IsCellEditable(0, 5, "TEXT"));   // the next group's name, no code column

  // A code typed into the code column puts the name beside it.
  Clear(*other, *shown, 1, 0);
  other->Keys("10102001");
  other->Key(Qt::Key_Right);
  EXPECT_EQ(shown->m_rows[1][1], "赵六");
  EXPECT_EQ(other->Shown(1, 1), "赵六");
}

TEST_F(TsYfViewTest, TypedCodesShowTheirHouseholdOrAreFlaggedAndPicked) {
  auto doc = NewAdvance();
  auto view = Show(*doc);
  EXPECT_EQ(view->Shown(0, 0), "张三");  // names drawn in place of the codes
  EXPECT_EQ(view->Shown(1, 4), "");

  view->SetCurrentCell(1, 4, 0, "TEXT");
  view->Keys("10102001");
  view->Key(Qt::Key_Right);
  EXPECT_EQ(doc->m_rows[1][4], "10102001");
  EXPECT_EQ(HiddenName(*doc, 1, 1), "赵六");
  EXPECT_EQ(doc->m_rowFlags[1][4], '0');
  EXPECT_EQ(view->Shown(1, 4), "赵六");
  EXPECT_EQ(view->beeps, 0);

  // Unknown: flagged in colour, a beep, its code shown; Enter opens the picker and stays. The
  // cell takes no more than a code's nine bytes.
  const struct {
    const char* typed;
    const char* kept;
  } unknown[] = {{"999", "999"}, {"10102", "10102"}, {"张三丰的远房表弟王二麻子", "张三丰的"}};
  for (const auto& [typed, code] : unknown) {
    SCOPED_TRACE(typed);
    view->beeps = 0;
    Clear(*view, *doc, 1, 4);
    view->Keys(QString::fromUtf8(typed));
    view->SetCurrentCell(1, 6, 0, "TEXT");
    EXPECT_EQ(doc->m_rows[1][4], code);
    EXPECT_EQ(doc->m_rowFlags[1][4], '1');
    EXPECT_EQ(view->GetCellTextColor(4, 1, "TEXT"), 0xFF0000u);
    EXPECT_EQ(view->beeps, 1);
    EXPECT_EQ(HiddenName(*doc, 1, 1), "");
    EXPECT_EQ(view->Shown(1, 4), code);

    view->SetCurrentCell(1, 4, 0, "TEXT");
    bool picked = false;
    OnModalOf(&m_timers, 952, [&picked](QWidget* dlg) {
      picked = true;
      static_cast<QDialog*>(dlg)->reject();
    });
    view->Key(Qt::Key_Return);
    EXPECT_TRUE(picked);
    EXPECT_EQ(view->CurrentCell().column, 4);
    EXPECT_EQ(doc->m_rows[1][4], code);
  }

  // A known household passes Enter without the picker; an emptied cell is no longer flagged.
  view->SetCurrentCell(0, 0, 0, "TEXT");
  view->Key(Qt::Key_Return);
  EXPECT_EQ(view->CurrentCell().column, 1);
  Clear(*view, *doc, 1, 4);
  view->SetCurrentCell(1, 6, 0, "TEXT");
  EXPECT_EQ(doc->m_rowFlags[1][4], '0');
}

TEST_F(TsYfViewTest, F2PicksAHouseholdOrCopiesTheNoteAbove) {
  auto doc = NewAdvance();
  auto view = Show(*doc);
  view->SetCurrentCell(1, 4, 0, "TEXT");
  view->Keys("10102");
  // The picker starts in the region typed; Enter there takes its only farmer.
  OnModalOf(&m_timers, 952, [](QWidget* dlg) {
    QTest::keyClick(dlg->focusWidget() ? dlg->focusWidget() : dlg, Qt::Key_Return);
  });
  view->Key(Qt::Key_F2);
  EXPECT_EQ(doc->m_rows[1][4], "10102001");
  EXPECT_EQ(HiddenName(*doc, 1, 1), "赵六");
  EXPECT_EQ(doc->m_rowFlags[1][4], '0');
  EXPECT_TRUE(view->IsModified());

  // Cancelled: the cell keeps its text.
  OnModalOf(&m_timers, 952, [](QWidget* dlg) { static_cast<QDialog*>(dlg)->reject(); });
  view->Key(Qt::Key_F2);
  EXPECT_EQ(doc->m_rows[1][4], "10102001");

  // A note cell takes the note above it instead.
  const std::string note = "春耕化肥借款，按时归还；如遇灾年可延期至下一榨季结算时一并扣回";
  doc->m_rows[0][3] = note;
  view->SetCurrentCell(1, 3, 0, "TEXT");
  view->Key(Qt::Key_F2);
  EXPECT_EQ(doc->m_rows[1][3], note);

  // Transporters pick from the driver directory.
  auto drivers = NewDoc(0);
  Make(*drivers, 1, 2);
  auto driverView = Show(*drivers);
  driverView->SetCurrentCell(1, 4, 0, "TEXT");
  driverView->Keys("003");
  OnModalOf(&m_timers, 956, [](QWidget* dlg) { Press(dlg, SM_ID_OK); });
  driverView->Key(Qt::Key_F2);
  EXPECT_EQ(drivers->m_rows[1][4], "003");
  EXPECT_EQ(HiddenName(*drivers, 1, 1), "车主003");
}

TEST_F(TsYfViewTest, SteppingWrapsAroundAndAsksToSaveFirst) {
  for (const char* number : {"0001", "0002", "0003"})
    Store(0, 2, number, "10101001", "20160110", 0, -100 * std::atoi(number));
  auto doc = Reopen(0, 2, "0001");
  doc->m_numbers = {"0001", "0002", "0003"};
  auto view = Show(*doc);
  EXPECT_TRUE(view->MenuEnabled(SM_ID_GO_FORWARD));
  const struct {
    int key;
    const char* number;
    const char* amount;
  } steps[] = {
      {Qt::Key_PageDown, "0002", "200"}, {Qt::Key_PageDown, "0003", "300"},
      {Qt::Key_PageDown, "0001", "100"}, {Qt::Key_PageUp, "0003", "300"},
      {Qt::Key_PageUp, "0002", "200"},
  };
  for (const auto& s : steps) {
    view->Key(s.key, Qt::ControlModifier);
    EXPECT_EQ(doc->ShownNumber(), s.number);
    EXPECT_EQ(doc->m_rows[0][2], s.amount) << s.number;
    EXPECT_EQ(view->CurrentCell().row, 0);
  }

  // Unsaved changes: Cancel stays with them, No leaves them, Yes saves them.
  view->SetCurrentCell(0, 2, 0, "TEXT");
  view->Key(Qt::Key_End);
  view->Keys("5");
  SmResetMessages();
  CSmMessageService::Instance().QueueAnswer(SM_IDCANCEL);
  view->Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_TRUE(Shown("当前文档已发生了变化，存盘吗？"));
  EXPECT_EQ(doc->ShownNumber(), "0002");
  EXPECT_EQ(doc->m_rows[0][2], "2005");

  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  view->Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(doc->ShownNumber(), "0003");
  EXPECT_EQ(Rows("Select Cast(MY0 As Text) From jsSheet Where DH='0002'"), "-200.0");
  EXPECT_FALSE(view->IsModified());

  view->SetCurrentCell(0, 2, 0, "TEXT");
  view->Key(Qt::Key_End);
  view->Keys("5");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  view->Key(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(doc->ShownNumber(), "0002");
  EXPECT_EQ(Rows("Select Cast(MY0 As Text) From jsSheet Where DH='0003'"), "-3005.0");

  // One number: both commands disabled, the keys do nothing.
  auto single = Reopen(0, 2, "0001");
  auto alone = Show(*single);
  for (int id : {SM_ID_GO_BACK, SM_ID_GO_FORWARD}) {
    EXPECT_FALSE(alone->IsCommandEnabled(id)) << id;
    EXPECT_FALSE(alone->MenuEnabled(id)) << id;
  }
  alone->Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(single->ShownNumber(), "0001");
}

TEST_F(TsYfViewTest, VoucherPrintEntriesOnlyForMoneyKinds) {
  // After the grid's odd and even page items and their separator.
  const std::vector<int> estimates = {0, SM_ID_SHOW_DROP_LIST, 0, SM_ID_GO_BACK, SM_ID_GO_FORWARD,
                                      0};
  std::vector<int> money = estimates;
  money.insert(money.end(), {kTsVoucherPageSetup, kTsPrintVouchers, kTsPreviewVouchers, 0});
  for (int kind = 1; kind <= 6; ++kind) {
    auto doc = NewDoc(0);
    doc->m_region = "10101";
    Make(*doc, 0, kind);
    auto view = Show(*doc);
    EXPECT_EQ(view->MenuHead(), kind <= 4 ? money : estimates) << kind;
    EXPECT_EQ(view->IsCommandEnabled(kTsPrintVouchers), kind <= 4) << kind;
  }
}

TEST_F(TsYfViewTest, SelectedHouseholdsPrintOneVoucherPageEach) {
  Store(0, 2, "0007", "10101001", "20160110", 0, -250);
  Store(0, 2, "0007", "10101002", "20160110", 0, -1000);
  Store(0, 2, "0007", "10101003", "20160110", 0, -1234.5);
  auto doc = Reopen(0, 2, "0007");
  auto view = Show(*doc);
  int prepared = 0;
  bool flagged = false;
  SmGetPrintHooks().getPrinterDC = [&, prepare = m_hooks.getPrinterDC](const SmPageRequest& r) {
    ++prepared;
    flagged = view->VoucherPrinting();
    return prepare ? prepare(r) : SmGetPrinterDC(r);
  };

  // All three: three pages in one print, one print dialog.
  view->OnCommand(SM_ID_EDIT_SELECT_ALL);
  SmResetMessages();
  const std::string all = SmQueueTestPdf("vouchers_all");
  view->OnCommand(kTsPrintVouchers);
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(), std::vector<std::string>{"打印"});
  EXPECT_EQ(SmPdfPages(all), 3);
  std::map<int, std::string> households;
  for (const SmPdfWord& w : TsYfPdfWords(all)) {
    if (w.text.starts_with("(1010")) households[w.page] = w.text;
  }
  EXPECT_EQ(households, (std::map<int, std::string>{{1, "(10101001)东区/一村/一组/张三"},
                                                    {2, "(10101002)东区/一村/一组/李四"},
                                                    {3, "(10101003)东区/一村/一组/王五"}}));
  EXPECT_TRUE(flagged);
  EXPECT_FALSE(view->VoucherPrinting());

  // The first group's column over both lines: its two households only.
  view->SetCurrentCell(0, 2, 0, "TEXT");
  view->Key(Qt::Key_Down, Qt::ShiftModifier);
  const std::string column = SmQueueTestPdf("vouchers_column");
  view->OnCommand(kTsPrintVouchers);
  EXPECT_EQ(SmPdfPages(column), 2);

  // A cancelled print dialog prints nothing: no page is prepared after it.
  SmResetMessages();
  prepared = 0;
  view->OnCommand(kTsPrintVouchers);
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(), std::vector<std::string>{"打印"});
  EXPECT_EQ(prepared, 1);

  // Nothing to print in the selection.
  view->SetCurrentCell(1, 4, 0, "TEXT");
  SmResetMessages();
  view->OnCommand(kTsPrintVouchers);
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "未选择打印区域！");
  EXPECT_TRUE(CSmMessageService::Instance().PrintDialogs().empty());
}

TEST_F(TsYfViewTest, PreviewShowsTheFirstHouseholdWithTheStoredPageSettings) {
  Store(0, 2, "0007", "10101001", "20160110", 0, -250);
  Store(0, 2, "0007", "10101002", "20160110", 0, -1000);
  auto doc = Reopen(0, 2, "0007");
  auto view = Show(*doc);
  view->OnCommand(SM_ID_EDIT_SELECT_ALL);
  const auto words = [](const std::string& pdf) {
    std::vector<std::string> list;
    for (const SmPdfWord& w : TsYfPdfWords(pdf)) list.push_back(w.text);
    return list;
  };
  const auto has = [](const std::vector<std::string>& list, const char* text) {
    return std::find(list.begin(), list.end(), text) != list.end();
  };
  SmResetMessages();
  const std::string first = SmQueueTestPdf("voucher_preview");
  view->OnCommand(kTsPreviewVouchers);
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(), std::vector<std::string>{"打印预览"});
  EXPECT_EQ(SmPdfPages(first), 1);
  const std::vector<std::string> page = words(first);
  EXPECT_TRUE(has(page, "付款凭证"));
  EXPECT_TRUE(has(page, "(10101001)东区/一村/一组/张三"));
  EXPECT_FALSE(has(page, "(10101002)东区/一村/一组/李四"));
  EXPECT_FALSE(view->VoucherPrinting());

  // The page setup stores the advance's settings under 2602; the preview takes them.
  OnModalOf(&m_timers, 970, [](QWidget* dlg) {
    ::Type(dlg, CSmListPageSetupDlg::kTitle, QString::fromUtf8("预付蔗款凭证"));
    Press(dlg, CSmListPageSetupDlg::kConfirm);
    if (dlg->isVisible()) Press(dlg, SM_ID_CANCEL);
  });
  view->OnCommand(kTsVoucherPageSetup);
  CSmListPageSetup stored;
  stored.key = 2602;
  stored.LoadFromCsTab(m_db);
  EXPECT_EQ(stored.title, "预付蔗款凭证");
  const std::string titled = SmQueueTestPdf("voucher_preview_titled");
  view->OnCommand(kTsPreviewVouchers);
  const std::vector<std::string> again = words(titled);
  EXPECT_TRUE(has(again, "预付蔗款凭证"));
  EXPECT_FALSE(has(again, "付款凭证"));
}

}  // namespace
