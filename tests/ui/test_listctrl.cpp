#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include "core/SmDatabase.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"
#include "ui/SmDlg.h"
#include "ui/SmFindDlg.h"
#include "ui/SmListCtrl.h"

namespace {

// A list that records what the scheme asked of it.
class RecordingList : public CSmListCtrl {
 public:
  RecordingList() {
    SetColumns({60, 120}, {"编号", "姓名"});
    Initialize();
  }
  void InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool sameSource,
                        CSmDatabase& source) override {
    pasted = rows;
    pastedCut = cut;
    pastedSame = sameSource;
    fromKind = source.GetKind();
    fromFile = source.GetFileName(false);
  }
  void Add() override { calls += "add;"; }
  void Delete() override { calls += "delete;"; }
  void Open() override { calls += "open;"; }
  void Forward() override { calls += "forward;"; }

  std::vector<std::string> pasted;
  bool pastedCut = false, pastedSame = false;
  int fromKind = -1;
  std::string fromFile;
  std::string calls;
};

void FillNames(CSmListCtrl& list) {
  for (const auto& [code, name] : std::vector<std::pair<const char*, const char*>>{
           {"001", "李四"}, {"002", "王五"}, {"003", "张三"}, {"004", "赵六"}})
    list.AddRow({code, name});
}

void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, QString text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
}

// An empty data file under the test home.
std::string DataFile(const std::string& name) {
  const std::string path = SmTestHome() + "/" + name;
  QFile file(QString::fromStdString(path));
  file.open(QIODevice::WriteOnly);
  return path;
}

std::string ClipboardText(unsigned format = 512) {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  const QString mime = QString("application/x-sm-list-%1").arg(format);
  return data && data->hasFormat(mime) ? data->data(mime).toStdString() : std::string();
}

}  // namespace

TEST(ListCtrl, CopyWritesSourceHeaderAndRowsAndPastesThemBack) {
  const std::string path = DataFile("甘蔗2026.tsd");
  CSmDatabase db(0);
  ASSERT_TRUE(db.Open(path));
  RecordingList from, into;
  from.SetDatabase(&db);
  into.SetDatabase(&db);
  FillNames(from);
  from.topLevelItem(1)->setSelected(true);
  from.topLevelItem(3)->setSelected(true);
  Key(&from, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(ClipboardText(), "0复制" + path + "\n002\n004\n");

  EXPECT_TRUE(into.IsCommandEnabled(57637));
  Key(&into, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(into.pasted, (std::vector<std::string>{"002", "004"}));
  EXPECT_FALSE(into.pastedCut);
  EXPECT_TRUE(into.pastedSame);
  EXPECT_EQ(into.fromKind, 0);
  EXPECT_EQ(into.fromFile, path);  // opened on the file the rows came from

  // Another data file: not the same source. A copy can be pasted again.
  CSmDatabase other(0);
  ASSERT_TRUE(other.Open(DataFile("甘蔗2025.tsd")));
  into.SetDatabase(&other);
  into.OnCommand(57637);
  EXPECT_FALSE(into.pastedSame);
  EXPECT_FALSE(ClipboardText().empty());
}

TEST(ListCtrl, CutPastesOnceAndServerHeaderCarriesNoPassword) {
  SmListSource server;
  server.open = true;
  server.kind = 1;
  server.server = "canedsn";
  server.user = "sa";
  server.password = "s3cret";
  server.database = "Zorv2026";
  RecordingList from, into;
  from.SetSource(server);
  into.SetSource(server);
  FillNames(from);
  from.topLevelItem(0)->setSelected(true);
  Key(&from, Qt::Key_Delete, Qt::ShiftModifier);  // Shift+Delete cuts
  const std::string text = ClipboardText();
  EXPECT_EQ(text, "1剪切DSN=canedsn;UID=sa;DATABASE=Zorv2026\n001\n");
  EXPECT_EQ(text.find("s3cret"), std::string::npos);

  std::vector<std::string> rows;
  bool cut = false, same = false;
  SmListSource parsed;
  EXPECT_EQ(into.ParseClipboard(rows, cut, same, parsed), 1);
  EXPECT_TRUE(cut);
  EXPECT_TRUE(same);
  EXPECT_EQ(parsed.server, "canedsn");
  EXPECT_EQ(parsed.database, "Zorv2026");
  EXPECT_EQ(parsed.password, "s3cret");  // from the list's own saved data source
  EXPECT_FALSE(into.IsCommandEnabled(57637));
  into.pasted.clear();
  into.OnCommand(57637);
  EXPECT_TRUE(into.pasted.empty());
}

TEST(ListCtrl, ClipboardOfAnotherFormatOrShortHeaderPastesNothing) {
  RecordingList list;
  auto data = std::make_unique<QMimeData>();
  data->setData("application/x-sm-list-512", QByteArray("0\nrow\n"));
  QApplication::clipboard()->setMimeData(data.release());
  std::vector<std::string> rows;
  bool cut = false, same = false;
  SmListSource from;
  EXPECT_EQ(list.ParseClipboard(rows, cut, same, from), 0);

  // Older header without a kind digit; a last piece without "\n" is not a row.
  data = std::make_unique<QMimeData>();
  data->setData("application/x-sm-list-512", QByteArray("复制/x/a.tsd\nr1\nr2"));
  QApplication::clipboard()->setMimeData(data.release());
  EXPECT_EQ(list.ParseClipboard(rows, cut, same, from), 1);
  EXPECT_EQ(from.kind, 0);
  EXPECT_EQ(from.file, "/x/a.tsd");

  QApplication::clipboard()->setText("0复制x\nrow\n");
  EXPECT_FALSE(list.IsCommandEnabled(57637));
}

TEST(ListCtrl, TypedPinyinInitialsFindTheName) {
  RecordingList list;
  FillNames(list);
  list.show();
  Key(&list, Qt::Key_Z, Qt::NoModifier, "z");
  Key(&list, Qt::Key_S, Qt::NoModifier, "s");
  EXPECT_EQ(list.SearchText(), "ZS");
  EXPECT_EQ(list.LastFoundRow(), 2);
  EXPECT_EQ(list.selectedItems().size(), 1);
  EXPECT_EQ(list.topLevelItem(2)->text(1), "张三");
  // The only matching row is found again (it is visited last).
  list.FindNext();
  EXPECT_EQ(list.LastFoundRow(), 2);
  // A digit empties the typed text.
  Key(&list, Qt::Key_1, Qt::NoModifier, "1");
  EXPECT_EQ(list.SearchText(), "");
  SmResetMessages();
  Key(&list, Qt::Key_Q, Qt::NoModifier, "q");
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "没有查找到含 “Q”的项！");
}

TEST(ListCtrl, AltOrCtrlWithALetterDoesNotSearch) {
  RecordingList list;
  FillNames(list);
  list.show();
  Key(&list, Qt::Key_Z, Qt::NoModifier, "z");
  const int found = list.LastFoundRow();
  SmResetMessages();
  for (const Qt::KeyboardModifiers mods :
       {Qt::KeyboardModifiers(Qt::AltModifier), Qt::AltModifier | Qt::ShiftModifier}) {
    Key(&list, Qt::Key_Q, mods, "q");
    EXPECT_EQ(list.SearchText(), "Z");
    EXPECT_EQ(list.LastFoundRow(), found);
  }
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "");
}

TEST(ListCtrl, CommandsFollowTheirPreconditions) {
  RecordingList list;
  FillNames(list);
  list.setSelectionMode(QAbstractItemView::SingleSelection);
  auto menu = list.CreateContextMenu();
  auto item = [&](const char* id) { return menu->findChild<QAction*>(id); };
  ASSERT_NE(item("57642"), nullptr);
  EXPECT_FALSE(item("57642")->isEnabled());  // single selection: no select all
  EXPECT_FALSE(item("43025")->isEnabled());
  EXPECT_FALSE(item("57634")->isEnabled());  // nothing selected
  EXPECT_FALSE(item("57607")->isEnabled());  // no print information
  EXPECT_TRUE(item("43004")->isEnabled());
  ASSERT_NE(item("57670"), nullptr);  // help carries the platform's help command id

  list.setSelectionMode(QAbstractItemView::ExtendedSelection);
  list.topLevelItem(0)->setSelected(true);
  EXPECT_TRUE(list.IsCommandEnabled(43013));
  list.topLevelItem(1)->setSelected(true);
  EXPECT_FALSE(list.IsCommandEnabled(43013));  // forward needs exactly one row
  Key(&list, Qt::Key_Right);
  EXPECT_EQ(list.calls, "");

  Key(&list, Qt::Key_Delete);
  Key(&list, Qt::Key_N, Qt::ControlModifier);
  Key(&list, Qt::Key_Return);
  EXPECT_EQ(list.calls, "delete;add;open;");
  EXPECT_EQ(list.InvertSelection(), 4);
  EXPECT_FALSE(list.topLevelItem(0)->isSelected());
  EXPECT_TRUE(list.topLevelItem(3)->isSelected());
}

TEST(ListCtrl, ListInADialogPrintsUnderTheDialogsKey) {
  CSmDlg dlg(905);
  dlg.setWindowTitle("农户目录");
  auto* list = new RecordingList;
  list->setParent(&dlg);
  FillNames(*list);
  int key = 0;
  std::string title;
  EXPECT_FALSE(list->PrintInfo(key, title));  // closed connection
  SmListSource file;
  file.open = true;
  list->SetSource(file);
  ASSERT_TRUE(list->PrintInfo(key, title));
  EXPECT_EQ(key, 905);
  EXPECT_EQ(title, "农户目录");
  SmResetMessages();
  Key(list, Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());  // no stand-in text
  EXPECT_EQ(CSmMessageService::Instance().PrintDialogs(), std::vector<std::string>{"打印"});
}

TEST(ListCtrl, RowsChecksAndFindingByText) {
  RecordingList list;
  FillNames(list);
  // Rows show no check box until the list uses checks.
  EXPECT_FALSE(list.topLevelItem(0)->data(0, Qt::CheckStateRole).isValid());
  list.SetCheck(1, true);
  EXPECT_TRUE(list.GetCheck(1));
  EXPECT_FALSE(list.GetCheck(0));
  EXPECT_EQ(list.FindText("003", false), 2);
  EXPECT_EQ(list.FindText("0025", true), 2);
  EXPECT_EQ(list.FindText("999", true), 3);
  EXPECT_EQ(list.FindText("999", false), -1);
  CSmListCtrl names;
  for (const char* name : {"阿", "白", "陈"}) names.AddRow({name});
  EXPECT_EQ(names.FindText("把", true), 1);  // code page order: 阿 < 把 < 白
  list.clearSelection();
  EXPECT_EQ(list.SelectTexts({"001", "004", "001", "x"}), 2);
  EXPECT_EQ(SmList_GetFirstSelected(&list), 0);
  std::vector<std::string> texts;
  EXPECT_EQ(list.GetSelectedTexts(texts), 2);
}

// A column narrower than its title starts as wide as the title; a wider one keeps its width.
TEST(ListCtrl, NoColumnTitleIsCut) {
  CSmListCtrl list;
  list.SetColumns({90, 200}, {"修路费系数(元/吨)", "代码"});
  EXPECT_GE(list.columnWidth(0), list.header()->sectionSizeHint(0));
  EXPECT_GT(list.columnWidth(0), 90);
  EXPECT_EQ(list.columnWidth(1), 200);
}

// An empty list that has the focus shows it: Tab never stops on a list that looks the same.
TEST(ListCtrl, AnEmptyListShowsTheFocus) {
  QWidget window;
  auto* list = new CSmListCtrl(&window);
  list->SetColumns({60}, {"串口号"});
  auto* other = new QLineEdit(&window);
  other->move(0, 200);
  window.resize(200, 240);
  window.show();
  window.activateWindow();
  QApplication::processEvents();
  other->setFocus();
  QApplication::processEvents();
  const QImage without = list->grab().toImage();
  list->setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(list->hasFocus());
  EXPECT_NE(list->grab().toImage(), without);
}

TEST(ListCtrl, FindAsksForTextAndSearchesTheFindColumnAsWritten) {
  RecordingList list;
  FillNames(list);
  list.setWindowTitle("蔗农列表");
  list.show();
  QTimer::singleShot(0, [] {
    auto* dlg = qobject_cast<CSmListFindDlg*>(QApplication::activeModalWidget());
    if (!dlg) return;
    static_cast<QComboBox*>(dlg->Control(CSmListFindDlg::kTextCombo))->setEditText("张");
    dlg->OnCommand(SM_ID_OK);
  });
  Key(&list, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(list.SearchText(), "张");
  EXPECT_EQ(list.LastFoundRow(), 2);
  EXPECT_TRUE(list.topLevelItem(2)->isSelected());
  // Find next goes on from the row found and comes round to it again.
  Key(&list, Qt::Key_F3);
  EXPECT_EQ(list.LastFoundRow(), 2);
}
