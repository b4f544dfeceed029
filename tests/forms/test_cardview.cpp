// Card documents in their views: controls on cells, hint balloons, the Enter keys, the list
// beside the card, closing through the form's answers, the document's form and list as they
// join and leave it, printing onto plain paper and onto pre-printed forms with its log, and the
// page setup the form shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <memory>
#include <set>

#include "app/SmApp.h"
#include "app/SmMainFrm.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "forms/SmCardDoc.h"
#include "forms/SmCardView.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "tests/common/SmDialogChecks.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/common/SmTestPdf.h"
#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"
#include "ui/SmListPageSetup.h"
#include "ui/SmListView.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"
#include "ui/SmToolTip.h"
#include "ui/SmWordCB.h"

namespace {

constexpr int kCardTemplate = 258;  // list and form
constexpr int kViewTemplate = 259;  // the drawn card alone

// What happened, in order, across the test card's hooks.
std::vector<std::string> g_calls;

// A farmer card: two captions with a value cell each. 385 × 195 units under a title of 30 on
// a card of 790 × 470 pixels: two pixels a unit both ways.
class TestCardDoc : public CSmCardDoc {
 public:
  TestCardDoc() {
    const auto add = [this](const char* text, int l, int t, int r, int b, bool forForms) {
      CSmCardItem item;
      item.Set(text, l, t, r, b, 1, 1, 0, 0, forForms, 1, 1, kSmCardAlignCenter, 0, 2, 2, true);
      m_layout.m_items.push_back(item);
    };
    add("NAME", 0, 0, 100, 60, false);
    add("", 100, 0, 385, 60, true);
    add("WEIGHT\\KG", 0, 60, 100, 195, false);
    add("", 100, 60, 385, 195, true);
  }
  void DefineTitle(CSmFormDef& def) override {
    def.sFna = m_kind.sName;
    def.nTopNum = 1;
  }
  void DefineColumns(CSmFormDef& def) override {
    def.InsertCol(0, 101, 1010, 0, 0, "户号/STRING/LEFT");
  }
  void Refresh() override { g_calls.push_back("refresh"); }

  std::string m_name = "ZHANG";
  std::string m_weight = "1200";
};

class TestListView : public CSmListView {
 public:
  void LoadRows() override {
    g_calls.push_back("rows");
    SetItems({"001", "ZHANG"});
  }
};

class TestCardForm : public CSmCardFrmView {
 public:
  TestCardForm() {
    m_name = Edit(1001);
    m_weight = Edit(1002);
    m_words = new CSmWordCB(Form());
    m_words->setObjectName("1003");
    m_combo = new QComboBox(Form());
    m_combo->setObjectName("1004");
    m_list = new CSmListCtrl(Form());
    m_list->setObjectName("1005");
    m_label = new QLabel("LABEL", Form());
    m_label->setObjectName("1006");
    AddButton(SM_ID_OK, "确认(&S)");
    AddButton(SM_ID_CANCEL, "&X.中止");
    AddButton(SM_ID_ENTER, "默认按扭");
  }
  void OnInitialUpdate() override {
    CSmCardFrmView::OnInitialUpdate();
    PlaceControl(m_name, 1, 4, true);
    PlaceControl(m_weight, 3, 4, true);
  }
  std::string GetStatusHint(int controlId) override {
    if (controlId == SM_ID_OK || controlId == 1006) return "按此确认";
    return CSmCardFrmView::GetStatusHint(controlId);
  }
  void ExchangeCardData(bool save) override {
    g_calls.push_back(save ? "in" : "out");
    auto* doc = static_cast<TestCardDoc*>(CardDoc());
    if (save) {
      doc->m_name = m_name->text().toStdString();
      doc->m_weight = m_weight->text().toStdString();
      return;
    }
    m_name->setText(QString::fromStdString(doc->m_name));
    m_weight->setText(QString::fromStdString(doc->m_weight));
  }
  bool GetSavePrompt(std::string& prompt) override {
    prompt = "卡片已修改，存盘吗？";
    return m_changed;
  }
  bool Save(int) override {
    g_calls.push_back("save");
    return m_saveWorks;
  }

  QLineEdit* m_name;
  QLineEdit* m_weight;
  CSmWordCB* m_words;
  QComboBox* m_combo;
  CSmListCtrl* m_list;
  QLabel* m_label;
  bool m_changed = false;
  bool m_saveWorks = true;

 private:
  QLineEdit* Edit(int id) {
    auto* edit = new QLineEdit(Form());
    edit->setObjectName(QString::number(id));
    edit->resize(50, 24);
    return edit;
  }
};

class CardModule : public CFormDataType {
 public:
  CardModule() {
    m_number = 16;
    m_resourceId = SM_IDR_CANE_SETTINGS;
    m_tabLabel = "模块16";
  }
  void Init() override {
    Register(nullptr);
    CFormDataType::Init();
    CSmDocManager& manager = SmGetApp()->m_docManager;
    auto form = std::make_unique<CSmDocTemplate>(
        SM_IDR_EMPTY_MENU, [] { return std::make_unique<TestCardDoc>(); },
        [] { return new CFormChildFrm1; },
        [](CSmDocument*, CSmChildFrame* frame) {
          frame->SetContent(new TestListView);
          return new TestCardForm;
        },
        kCardTemplate, 0);
    form->m_module = 16;
    form->AddKind(1, "农户卡片", "", 0, "1601", 1, 0);
    auto drawn = std::make_unique<CSmDocTemplate>(
        SM_IDR_EMPTY_MENU, [] { return std::make_unique<TestCardDoc>(); },
        [] { return new CFormChildFrm; },
        [](CSmDocument*, CSmChildFrame*) { return new CSmCardView; }, kViewTemplate, 0);
    drawn->m_module = 16;
    drawn->AddKind(1, "磅单", "", 0, "1602", 1, 0);
    manager.AddDocTemplate(std::move(form));
    manager.AddDocTemplate(std::move(drawn));
  }
};

class CardApp : public CSmApp {
 public:
  void GetModuleInfos(std::vector<CSmModuleInfo>& infos) override {
    CSmModuleInfo info;
    info.m_id = 9;
    info.m_docType = "CardTest";
    info.m_title = "甘蔗结算";
    info.m_types = " 16 ";
    infos.push_back(info);
  }
  void CreateDataTypes() override { AdoptDataType(std::make_unique<CardModule>())->Init(); }
  void RunUpdater() override {}
  bool CheckDataEngine() override { return true; }
  bool LogIn(const std::string&) override { return true; }

 protected:
  bool RegisterDataFileType() override { return true; }
};

void Key(QWidget* widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
}

// Whether the document's list menu opened (with items) at a point; it is closed again.
bool ListMenuShown(CSmCardDoc& doc) {
  auto shown = std::make_shared<bool>(false);
  QTimer::singleShot(0, [shown] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* menu = qobject_cast<QMenu*>(window);
      if (!menu || !menu->isVisible()) continue;
      *shown = !menu->actions().isEmpty();
      menu->close();
    }
  });
  doc.OnListContextMenu(QPoint(50, 50));
  QApplication::processEvents();
  return *shown;
}

class CardViewTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    g_calls.clear();
    CSmPrinterService::Instance().Reset();
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, "Software\\reduvor\\CardTest");
    ASSERT_TRUE(m_app.InitInstance({}));
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    m_app.m_env.SetOperatorName("管理员");
    m_app.m_opLog.m_enabled = 1;
    m_db = m_app.m_env.GetDatabase();
    m_pdf = SmTestHome() + "/card.pdf";
    QApplication::processEvents();
  }
  void TearDown() override {
    SmGetPrintHooks() = m_hooks;
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
    m_app.ExitInstance();
    CSmPrinterService::Instance().Reset();
  }
  CSmChildFrame* Open(int templateNumber) {
    for (const auto& t : m_app.m_docManager.Templates()) {
      auto* found = dynamic_cast<CSmDocTemplate*>(t.get());
      if (!found || found->m_number != templateNumber) continue;
      CSmChildFrame* frame = found->OpenDocumentOfKind(found->m_kinds[0], 0, true, false);
      QApplication::processEvents();
      if (frame) QApplication::setActiveWindow(frame->window());
      return frame;
    }
    return nullptr;
  }
  TestCardForm* Form(CSmChildFrame* frame) { return frame->findChild<TestCardForm*>(); }
  TestListView* List(CSmChildFrame* frame) { return frame->findChild<TestListView*>(); }
  // A card window with its list and form, and their document.
  struct CardWindow {
    CSmChildFrame* frame = nullptr;
    TestCardForm* form = nullptr;
    TestListView* list = nullptr;
    CSmCardDoc* doc = nullptr;
  };
  CardWindow OpenCard() {
    CardWindow card;
    card.frame = Open(kCardTemplate);
    if (!card.frame) return card;
    card.form = Form(card.frame);
    card.list = List(card.frame);
    card.doc = card.form ? card.form->CardDoc() : nullptr;
    return card;
  }
  std::vector<std::string> PrintLog() {
    std::vector<std::string> notes;
    m_db->QueryStrings("Select sNote From SmLog Where nTaskID=17", &notes, 1);
    return notes;
  }
  // Prints through the command into a fresh PDF; the words printed (none when nothing was).
  std::set<std::string> PrintWords(CSmView* view, int command) {
    QFile::remove(QString::fromStdString(m_pdf));
    CSmMessageService::Instance().QueuePrintFile(m_pdf);
    view->OnCommand(command);
    std::set<std::string> words;
    if (!QFile::exists(QString::fromStdString(m_pdf))) return words;
    for (const SmPdfWord& word : SmPdfWords(m_pdf)) words.insert(word.text);
    return words;
  }

  CardApp m_app;
  CSmDatabase* m_db = nullptr;
  std::string m_pdf;
  SmPrintHooks m_hooks = SmGetPrintHooks();
};

}  // namespace

TEST_F(CardViewTest, ControlsArePlacedOnTheirCells) {
  CSmChildFrame* frame = Open(kCardTemplate);
  ASSERT_NE(frame, nullptr);
  TestCardForm* form = Form(frame);
  ASSERT_NE(form, nullptr);
  // The list view on one side, the card beside it.
  auto* splitter = qobject_cast<CFormChildFrm1*>(frame)->Splitter();
  ASSERT_EQ(splitter->count(), 2);
  EXPECT_EQ(splitter->widget(0), List(frame));
  EXPECT_EQ(form->Form()->size(), QSize(790, 470));
  EXPECT_EQ(form->Layout()->GetItemRect(1), (CSmCardRect{210, 70, 780, 190}));

  struct Case {
    int cell, inset;
    bool stretch;
    int height;
    QRect placed;
  } cases[] = {
      {1, 4, true, 24, {214, 118, 562, 24}},
      {3, 0, false, 24, {210, 313, 50, 24}},
      {0, 10, true, 25, {20, 117, 180, 25}},  // (120 - 25) / 2 rounds down
  };
  QLineEdit edit(form->Form());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    edit.setGeometry(0, 0, 50, c.height);
    form->PlaceControl(&edit, c.cell, c.inset, c.stretch);
    EXPECT_EQ(edit.geometry(), c.placed);
  }
  form->OffsetControl(&edit, 5, 7);
  EXPECT_EQ(edit.geometry(), QRect(5, 7, 180, 25));
  EXPECT_EQ(form->m_name->geometry(), QRect(214, 118, 562, 24));
  // The hidden default button.
  EXPECT_TRUE(form->Control(SM_ID_ENTER)->isHidden());
}

TEST_F(CardViewTest, HintsGoByTheKindOfControl) {
  CSmChildFrame* frame = Open(kCardTemplate);
  ASSERT_NE(frame, nullptr);
  TestCardForm* form = Form(frame);
  CSmToolTip* tip = form->ToolTip();
  ASSERT_NE(tip, nullptr);
  std::map<int, std::string> texts;
  for (int i = 0; i < tip->ToolCount(); ++i) texts[tip->Tool(i).id] = tip->Tool(i).text;
  const std::string head = "<al_c>提示<br><hr=100%><br><al_l>";
  EXPECT_EQ(texts, (std::map<int, std::string>{
                       {SM_ID_OK, head + "按此确认"},
                       {1003, head + SmControlKindHint(form->m_words)},
                       {1004, head + "单击右边的下拉箭头，或按下箭头键，可弹出列表框供选择。"},
                       {1005, head + "按下鼠标右键，可调出操作功能菜单。"},
                   }));
  EXPECT_EQ(SmControlKindHint(form->m_words),
            "鼠标指向右边的下拉箭头，按下鼠标右键，调出操作功能菜单，可保存或删除词组。");
}

TEST_F(CardViewTest, EnterMovesOnConfirmsOrReloadsTheListBetweenTheExchanges) {
  CSmChildFrame* frame = Open(kCardTemplate);
  ASSERT_NE(frame, nullptr);
  TestCardForm* form = Form(frame);
  form->m_name->setFocus();
  ASSERT_EQ(ActiveFocus(form), form->m_name);
  form->m_name->setText("LI");
  g_calls.clear();
  Key(form->m_name, Qt::Key_Return);
  EXPECT_EQ(ActiveFocus(form), form->m_weight);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"in", "out"}));
  EXPECT_EQ(static_cast<TestCardDoc*>(form->CardDoc())->m_name, "LI");

  struct Case {
    int focus;
    std::vector<std::string> calls;
  } cases[] = {
      {SM_ID_OK, {"in", "save", "out"}},
      {SM_ID_CANCEL, {"in", "rows", "out"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.focus);
    form->Control(c.focus)->setFocus();
    g_calls.clear();
    Key(form->Control(c.focus), Qt::Key_Return);
    EXPECT_EQ(g_calls, c.calls);
  }

  // A click on the confirm button saves without either exchange.
  g_calls.clear();
  static_cast<QPushButton*>(form->Control(SM_ID_OK))->click();
  EXPECT_EQ(g_calls, std::vector<std::string>{"save"});

  // Enter in the list beside the card is the list's own key.
  g_calls.clear();
  Key(List(frame)->List(), Qt::Key_Return);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(CardViewTest, UnsavedChangesLockTheListAndRefreshTakesTheTypedValues) {
  const auto [frame, form, list, doc] = OpenCard();
  ASSERT_NE(doc, nullptr);
  EXPECT_FALSE(doc->UpdateReadOnly());  // the form answers
  form->m_changed = true;
  form->EnableListView();
  EXPECT_FALSE(list->isEnabled());
  form->m_changed = false;
  form->EnableListView();
  EXPECT_TRUE(list->isEnabled());

  form->m_weight->setText("950");
  g_calls.clear();
  form->RefreshFromDocument();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"in", "refresh"}));
  EXPECT_EQ(static_cast<TestCardDoc*>(doc)->m_weight, "950");

  // The document opens the list's own menu.
  EXPECT_TRUE(ListMenuShown(*doc));
}

TEST_F(CardViewTest, ClosingAsksTheFormAndAFailedSaveKeepsTheCard) {
  struct Case {
    bool changed;
    int answer;
    bool saveWorks;
    bool closes;
    std::vector<std::string> calls;
  } cases[] = {
      {false, 0, true, true, {}},
      {true, SM_IDNO, true, true, {}},
      {true, SM_IDYES, true, true, {"save"}},
      {true, SM_IDYES, false, false, {"save"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.changed << c.answer << c.saveWorks);
    SmResetMessages();
    CSmChildFrame* frame = Open(kCardTemplate);
    ASSERT_NE(frame, nullptr);
    TestCardForm* form = Form(frame);
    form->m_changed = c.changed;
    form->m_saveWorks = c.saveWorks;
    if (c.answer) CSmMessageService::Instance().QueueAnswer(c.answer);
    g_calls.clear();
    frame->close();
    QApplication::processEvents();
    EXPECT_EQ(m_app.m_docManager.DocumentCount(), c.closes ? 0 : 1);
    EXPECT_EQ(g_calls, c.calls);
    const auto& shown = CSmMessageService::Instance().Shown();
    EXPECT_EQ(shown.size(), c.changed ? 1u : 0u);
    if (c.changed) {
      EXPECT_EQ(shown.front().text, "卡片已修改，存盘吗？");
    }
    m_app.m_docManager.CloseAllDocuments();
    QApplication::processEvents();
  }

  // Without a form view the card is read-only and closes without a question.
  SmResetMessages();
  CSmChildFrame* drawn = Open(kViewTemplate);
  ASSERT_NE(drawn, nullptr);
  auto* doc = dynamic_cast<CSmCardDoc*>(drawn->GetActiveDocument());
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(doc->UpdateReadOnly());
  std::string prompt;
  EXPECT_FALSE(doc->GetSavePrompt(prompt));
  EXPECT_TRUE(doc->Save(0));
  drawn->close();
  QApplication::processEvents();
  EXPECT_EQ(m_app.m_docManager.DocumentCount(), 0);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(CardViewTest, TheDocumentAsksItsOwnFormAndListAndForgetsEachThatLeaves) {
  const auto [frame, form, list, doc] = OpenCard();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->CardForm(), form);
  EXPECT_EQ(doc->ListView(), list);

  // The form's answers are the document's.
  form->m_changed = true;
  form->m_saveWorks = false;
  std::string prompt;
  EXPECT_TRUE(doc->GetSavePrompt(prompt));
  EXPECT_EQ(prompt, "卡片已修改，存盘吗？");
  EXPECT_FALSE(doc->Save(0));
  CSmCmdUI print(SM_ID_FILE_PRINT);
  EXPECT_TRUE(doc->OnUpdateCommand(SM_ID_FILE_PRINT, print));

  // The form goes while the list stays: the document is read-only with nothing to save, and
  // leaves printing alone.
  delete form;
  QApplication::processEvents();
  EXPECT_EQ(doc->CardForm(), nullptr);
  EXPECT_TRUE(doc->UpdateReadOnly());
  EXPECT_FALSE(doc->GetSavePrompt(prompt));
  EXPECT_TRUE(doc->Save(0));
  EXPECT_FALSE(doc->OnUpdateCommand(SM_ID_FILE_PRINT, print));
  EXPECT_FALSE(doc->OnCommand(SM_ID_FILE_PRINT));

  // A list that leaves is forgotten (its menu is not opened), and taken again when it rejoins.
  doc->RemoveView(list);
  EXPECT_EQ(doc->ListView(), nullptr);
  EXPECT_FALSE(ListMenuShown(*doc));
  doc->AddView(list);
  EXPECT_EQ(doc->ListView(), list);

  // Closing asks nothing now.
  g_calls.clear();
  frame->close();
  QApplication::processEvents();
  EXPECT_EQ(m_app.m_docManager.DocumentCount(), 0);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(CardViewTest, FormModePreviewThenPrintRulesAgainAndOnlyRealPrintsAreLogged) {
  CSmChildFrame* frame = Open(kCardTemplate);
  ASSERT_NE(frame, nullptr);
  TestCardForm* form = Form(frame);
  // Onto pre-printed forms: neither the title nor the captions, which are on the form.
  EXPECT_EQ(PrintWords(form, SM_ID_CARD_FORM_PREVIEW), std::set<std::string>{});
  EXPECT_TRUE(QFile::exists(QString::fromStdString(m_pdf)));
  EXPECT_FALSE(form->bFormMode);
  EXPECT_TRUE(PrintLog().empty());

  const std::set<std::string> plain = PrintWords(form, SM_ID_FILE_PRINT);
  EXPECT_TRUE(plain.count("NAME") && plain.count("WEIGHT") && plain.count("KG"));
  EXPECT_EQ(PrintLog(), std::vector<std::string>{"打印“农户卡片”"});
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs().back(), "打印");

  EXPECT_EQ(PrintWords(form, SM_ID_CARD_FORM_PRINT), std::set<std::string>{});
  EXPECT_TRUE(QFile::exists(QString::fromStdString(m_pdf)));
  EXPECT_FALSE(form->bFormMode);
  EXPECT_EQ(PrintLog().size(), 2u);
}

TEST_F(CardViewTest, ACancelledDialogOrAPrinterThatFailsPrintsAndLogsNothing) {
  CSmChildFrame* frame = Open(kCardTemplate);
  ASSERT_NE(frame, nullptr);
  TestCardForm* form = Form(frame);
  // No file queued: the print dialog is cancelled.
  form->OnCommand(SM_ID_FILE_PRINT);
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(), std::vector<std::string>{"打印"});
  EXPECT_TRUE(PrintLog().empty());

  SmResetMessages();
  SmGetPrintHooks().getPrinterDC = [](const SmPageRequest&) { return false; };
  EXPECT_TRUE(PrintWords(form, SM_ID_FILE_PRINT).empty());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(m_pdf)));
  EXPECT_TRUE(CSmMessageService::Instance().PrintDialogs().empty());
  EXPECT_TRUE(PrintLog().empty());
}

// The printed page takes its own fonts; the card on the screen keeps its look behind the print
// and preview dialogs and after them.
TEST_F(CardViewTest, TheCardKeepsItsScreenLookWhileThePrintOrPreviewDialogIsUp) {
  CSmChildFrame* frame = Open(kCardTemplate);
  ASSERT_NE(frame, nullptr);
  TestCardForm* form = Form(frame);
  // The card as drawn, without the controls standing on it (their carets blink).
  const auto card = [form] {
    QImage image(form->Form()->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    form->Form()->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
  };
  const QImage before = card();
  for (int command : {SM_ID_FILE_PRINT, SM_ID_FILE_PRINT_PREVIEW}) {
    QImage during;
    std::string dialog;
    CSmMessageService::Instance().WhileNextShown([&](const std::string& caption) {
      dialog = caption;
      during = card();
    });
    EXPECT_TRUE(PrintWords(form, command).count("NAME")) << command;
    EXPECT_EQ(dialog, command == SM_ID_FILE_PRINT ? "打印" : "打印预览");
    EXPECT_TRUE(during == before) << dialog;
    EXPECT_TRUE(card() == before) << dialog;
  }
}

TEST_F(CardViewTest, TheDrawnCardPrintsWithRulesAndKeepsItsOwnSetup) {
  CSmChildFrame* frame = Open(kViewTemplate);
  ASSERT_NE(frame, nullptr);
  auto* view = frame->findChild<CSmCardView*>();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Layout()->m_title.sText, "磅单");
  EXPECT_EQ(view->Surface()->size(), QSize(790, 470));
  const std::set<std::string> words = PrintWords(view, SM_ID_FILE_PRINT);
  EXPECT_TRUE(words.count("NAME") && words.count("KG"));
  EXPECT_EQ(PrintLog(), std::vector<std::string>{"打印“磅单”"});
}

TEST_F(CardViewTest, APageSetupStoredThroughTheDialogIsWhatTheFormShowsNext) {
  CSmChildFrame* frame = Open(kCardTemplate);
  ASSERT_NE(frame, nullptr);
  TestCardForm* form = Form(frame);
  QTimer::singleShot(0, [] {
    auto* dlg = qobject_cast<CSmListPageSetupDlg*>(QApplication::activeModalWidget());
    if (!dlg) return;
    static_cast<QLineEdit*>(dlg->Control(CSmListPageSetupDlg::kTitle))->setText("新农户卡片");
    static_cast<QLineEdit*>(dlg->Control(CSmListPageSetupDlg::kScreenWidth))->setText("600");
    static_cast<QLineEdit*>(dlg->Control(CSmListPageSetupDlg::kScreenHeight))->setText("400");
    dlg->OnCommand(CSmListPageSetupDlg::kConfirm);
  });
  form->OnCommand(SM_ID_FILE_PAGE_SETUP);
  EXPECT_EQ(form->Layout()->nSetupKey, kCardTemplate * 10);
  EXPECT_EQ(form->Layout()->m_title.sText, "新农户卡片");
  EXPECT_EQ(form->Form()->size(), QSize(600, 400));

  CSmListPageSetup stored;
  stored.key = kCardTemplate * 10;
  stored.LoadFromCsTab(m_db);
  EXPECT_EQ(stored.title, "新农户卡片");
  EXPECT_EQ(stored.screenWidth, 600);

  // A later update shows what is stored, not what was put into the layout meanwhile.
  form->Layout()->m_cardWidth = 700;
  form->OnUpdate(nullptr, 0);
  EXPECT_EQ(form->Form()->size(), QSize(600, 400));
}
