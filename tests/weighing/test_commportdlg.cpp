// The serial-port settings dialog: definitions stored in the workstation settings, refused
// entries, modify order, deleting, and the dialog without the right.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/SmApp.h"
#include "app/SmWorkstation.h"
#include "core/SmDatabase.h"
#include "core/SmRegKey.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"
#include "tests/weighing/FakeIndicator.h"
#include "ui/SmEdit.h"
#include "weighing/SmCommPortDlg.h"
#include "weighing/SmMSComm.h"

namespace {

class PortApp : public CSmApp {
 public:
  bool InitInstance(const std::vector<std::string>&) override { return true; }
};

// Records the order of the settings calls and fails the ones it is told to.
class RecordingPortDlg : public CSmCommPortDlg {
 public:
  std::vector<std::string> calls;
  bool failWrite = false;
  std::string failRemoveOf;  // a port that cannot be removed

 protected:
  bool WritePort(const std::string& port, const std::string& definition) override {
    calls.push_back("write " + port);
    return !failWrite && CSmCommPortDlg::WritePort(port, definition);
  }
  bool RemovePort(const std::string& port) override {
    calls.push_back("remove " + port);
    return port != failRemoveOf && CSmCommPortDlg::RemovePort(port);
  }
};

using Ports = std::vector<std::pair<std::string, std::string>>;

class CommPortDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    app.m_moduleInfo.m_docType = "Zorv";
    app.m_env.SetRights("0008 ");
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, app.GetSmRegKey() + "\\SmComm");
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, app.GetSmRegKey() + "\\SmCommDevice");
  }

  static Ports Stored() {
    std::vector<std::string> names, definitions;
    LoadCommPorts(names, definitions);
    Ports ports;
    for (size_t i = 0; i < names.size(); ++i) ports.emplace_back(names[i], definitions[i]);
    return ports;
  }
  static void Store(const Ports& ports) {
    for (const auto& [name, definition] : ports) ASSERT_TRUE(WriteCommPort(name, definition));
  }

  static void Type(CSmCommPortDlg& dlg, int id, const std::string& text) {
    auto* edit = qobject_cast<CSmEdit*>(dlg.Control(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(QString::fromStdString(text));
  }
  static std::string Field(CSmCommPortDlg& dlg, int id) {
    return qobject_cast<CSmEdit*>(dlg.Control(id))->text().toStdString();
  }
  static QComboBox* Combo(CSmCommPortDlg& dlg, int id) {
    return qobject_cast<QComboBox*>(dlg.Control(id));
  }
  static CSmCommPortList* List(CSmCommPortDlg& dlg) {
    return qobject_cast<CSmCommPortList*>(dlg.Control(CSmCommPortDlg::kList));
  }
  static QPushButton* Button(CSmCommPortDlg& dlg, int id) {
    return qobject_cast<QPushButton*>(dlg.Control(id));
  }
  static std::vector<std::string> Rows(CSmCommPortDlg& dlg) {
    std::vector<std::string> rows;
    CSmCommPortList* list = List(dlg);
    for (int i = 0; i < list->RowCount(); ++i)
      rows.push_back(list->topLevelItem(i)->text(0).toStdString());
    return rows;
  }
  static std::string Selected(CSmCommPortDlg& dlg) {
    std::vector<std::string> texts;
    List(dlg)->GetSelectedTexts(texts);
    return texts.size() == 1 ? texts[0] : "(" + std::to_string(texts.size()) + ")";
  }
  static void Select(CSmCommPortDlg& dlg, const std::string& port) {
    CSmCommPortList* list = List(dlg);
    list->clearSelection();
    list->FindText(port, false);
  }
  static std::string LastMessage() { return CSmMessageService::Instance().LastText(); }

  PortApp app;
};

TEST_F(CommPortDlgTest, NoEntryIsCutAndThePortsHaveNoCheckBoxes) {
  Store({{"1", "9600,N,8,1,12,0,10"}});
  CSmCommPortDlg dlg;
  dlg.show();
  for (int id : {CSmCommPortDlg::kParity, CSmCommPortDlg::kDecode}) {
    QComboBox* combo = Combo(dlg, id);
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i) {
      widest = std::max(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
    }
    EXPECT_GE(combo->width(), widest) << id;
  }
  ASSERT_EQ(List(dlg)->RowCount(), 1);
  EXPECT_FALSE(List(dlg)->topLevelItem(0)->data(0, Qt::CheckStateRole).isValid());
}

TEST_F(CommPortDlgTest, OpeningGivesTheDefaultsAndLoadsTheFirstPort) {
  {
    CSmCommPortDlg dlg;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle().toStdString(), "串口参数设置");
    EXPECT_EQ(Rows(dlg), std::vector<std::string>{});
    const std::pair<int, const char*> defaults[] = {
        {CSmCommPortDlg::kPort, "1"},           {CSmCommPortDlg::kBaud, "1200"},
        {CSmCommPortDlg::kDataBits, "8"},       {CSmCommPortDlg::kStopBits, "1"},
        {CSmCommPortDlg::kReceiveLength, "18"}, {CSmCommPortDlg::kFactor, "1"}};
    for (const auto& [id, text] : defaults) EXPECT_EQ(Field(dlg, id), text) << id;
    EXPECT_EQ(Combo(dlg, CSmCommPortDlg::kParity)->currentText().toStdString(), "N.无");
    ASSERT_EQ(Combo(dlg, CSmCommPortDlg::kDecode)->count(), 7);
    EXPECT_EQ(Combo(dlg, CSmCommPortDlg::kDecode)->currentText().toStdString(), "1.裸码");
    EXPECT_EQ(Combo(dlg, CSmCommPortDlg::kDecode)->itemText(6).toStdString(), "7.宁波柯力D2008");
    EXPECT_TRUE(Button(dlg, CSmCommPortDlg::kAddButton)->isEnabled());
    EXPECT_FALSE(Button(dlg, SM_ID_OK)->isEnabled());  // no row selected
  }
  // A stored value without seven fields loads only its port number.
  Store({{"1", "4800,O,7,2,12,5,100"}, {"3", "9600,N,8,1,18,0"}});
  CSmCommPortDlg dlg;
  dlg.show();
  EXPECT_EQ(Selected(dlg), "1");
  EXPECT_TRUE(Button(dlg, SM_ID_OK)->isEnabled());
  const std::pair<int, const char*> loaded[] = {
      {CSmCommPortDlg::kPort, "1"},           {CSmCommPortDlg::kBaud, "4800"},
      {CSmCommPortDlg::kDataBits, "7"},       {CSmCommPortDlg::kStopBits, "2"},
      {CSmCommPortDlg::kReceiveLength, "12"}, {CSmCommPortDlg::kFactor, "100"}};
  for (const auto& [id, text] : loaded) EXPECT_EQ(Field(dlg, id), text) << id;
  EXPECT_EQ(Combo(dlg, CSmCommPortDlg::kParity)->currentIndex(), 2);
  EXPECT_EQ(Combo(dlg, CSmCommPortDlg::kDecode)->currentIndex(), 5);
  Select(dlg, "3");
  EXPECT_EQ(Field(dlg, CSmCommPortDlg::kPort), "3");
  EXPECT_EQ(Field(dlg, CSmCommPortDlg::kBaud), "4800");
}

// The dialog opens on its list (on the port number while no port is defined); Tab goes
// through the fields from top to bottom, then the buttons. Each label's key (Alt with its
// letter) takes the clerk to its field.
TEST_F(CommPortDlgTest, TabFollowsTheFieldsAndEachLabelHasItsKey) {
  {
    CSmCommPortDlg empty;
    empty.show();
    EXPECT_EQ(empty.focusWidget(), empty.Control(CSmCommPortDlg::kPort));
  }
  Store({{"1", "9600,N,8,1,12,0,10"}});
  CSmCommPortDlg dlg;
  dlg.show();
  dlg.activateWindow();
  QApplication::processEvents();
  const auto focused = [&dlg] {
    return dlg.focusWidget() ? dlg.focusWidget()->objectName().toInt() : 0;
  };
  EXPECT_EQ(focused(), CSmCommPortDlg::kList);
  using enum CSmCommPortDlg::ControlId;
  const int road[] = {kPort,          kBaud,        kParity, kDataBits,   kStopBits,
                      kReceiveLength, kDecode,      kFactor, kDeviceEdit, kAddButton,
                      SM_ID_OK,       SM_ID_CANCEL, kList};
  for (int id : road) {
    QTest::keyClick(dlg.focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focused(), id);
  }
  const std::pair<Qt::Key, int> keys[] = {
      {Qt::Key_D, kPort},     {Qt::Key_T, kBaud},     {Qt::Key_J, kParity},
      {Qt::Key_S, kDataBits}, {Qt::Key_Z, kStopBits}, {Qt::Key_Q, kReceiveLength},
      {Qt::Key_F, kDecode},   {Qt::Key_C, kFactor},   {Qt::Key_B, kDeviceEdit}};
  for (const auto& [key, id] : keys) {
    QTest::keyClick(dlg.focusWidget(), key, Qt::AltModifier);
    EXPECT_EQ(focused(), id) << QKeySequence(key).toString().toStdString();
  }
}

TEST_F(CommPortDlgTest, AddStoresTheDefinitionAndLogsIt) {
  const std::string file = SmCreateTestDataFile(2016);
  ASSERT_TRUE(app.m_env.OpenFile("", file, "101", false));
  CSmCommPortDlg dlg;
  dlg.show();
  Type(dlg, CSmCommPortDlg::kPort, "02");
  Type(dlg, CSmCommPortDlg::kBaud, "9600");
  Combo(dlg, CSmCommPortDlg::kParity)->setCurrentIndex(1);
  Type(dlg, CSmCommPortDlg::kDataBits, "7");
  Type(dlg, CSmCommPortDlg::kStopBits, "0");  // no stop bits is accepted
  Type(dlg, CSmCommPortDlg::kReceiveLength, "12");
  Combo(dlg, CSmCommPortDlg::kDecode)->setCurrentIndex(3);
  Type(dlg, CSmCommPortDlg::kFactor, "1000");
  Button(dlg, CSmCommPortDlg::kAddButton)->click();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty()) << LastMessage();
  EXPECT_EQ(Stored(), (Ports{{"2", "9600,E,7,0,12,3,1000"}}));
  EXPECT_EQ(Selected(dlg), "2");
  EXPECT_TRUE(dlg.isVisible());

  std::vector<std::string> notes;
  app.m_env.GetDatabase()->QueryStrings("Select sNote From SmLog Where nTaskID=24", &notes, 1);
  EXPECT_EQ(notes, std::vector<std::string>{"新增串口2：9600,E,7,0,12,3,1000"});
  app.m_env.Close();
}

TEST_F(CommPortDlgTest, RefusedEntriesChangeNothing) {
  struct Case {
    int control;
    std::string text;  // typed into the edit; for a combo, "-" clears the choice
    std::string message;
  };
  const Case cases[] = {
      {CSmCommPortDlg::kPort, "0", "数据不正确！"},
      {CSmCommPortDlg::kBaud, "0", "数据不正确！"},
      {CSmCommPortDlg::kBaud, "", "数据不正确！"},
      {CSmCommPortDlg::kDataBits, "0", "数据不正确！"},
      {CSmCommPortDlg::kStopBits, "", "数据不正确！"},
      {CSmCommPortDlg::kReceiveLength, "0", "数据不正确！"},
      {CSmCommPortDlg::kFactor, "0", "数据不正确！"},
      {CSmCommPortDlg::kParity, "-", "未选择数据！"},
      {CSmCommPortDlg::kDecode, "-", "未选择数据！"},
      {CSmCommPortDlg::kPort, "1", "该端口已被定义！"},
      {CSmCommPortDlg::kPort, "01", "该端口已被定义！"},
  };
  const Ports before = {{"1", "1200,N,8,1,18,0,1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.control) + " '" + c.text + "'");
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, app.GetSmRegKey() + "\\SmComm");
    Store(before);
    CSmCommPortDlg dlg;
    dlg.show();
    Type(dlg, CSmCommPortDlg::kPort, "4");
    if (c.text == "-") {
      Combo(dlg, c.control)->setCurrentIndex(-1);
    } else {
      Type(dlg, c.control, c.text);
    }
    SmResetMessages();
    Button(dlg, CSmCommPortDlg::kAddButton)->click();
    EXPECT_EQ(LastMessage(), c.message);
    EXPECT_EQ(Stored(), before);
    // Modifying the selected port with the same fields is refused alike (except a taken number,
    // which is the selected port itself here).
    if (c.message == "该端口已被定义！") continue;
    SmResetMessages();
    Button(dlg, SM_ID_OK)->click();
    EXPECT_EQ(LastMessage(), c.message);
    EXPECT_EQ(Stored(), before);
  }
}

TEST_F(CommPortDlgTest, ModifyRewritesOrRenamesThePort) {
  Store({{"1", "1200,N,8,1,18,0,1"}, {"2", "2400,N,8,1,18,0,1"}});
  CSmCommPortDlg dlg;
  dlg.show();
  Select(dlg, "1");
  Type(dlg, CSmCommPortDlg::kBaud, "4800");
  Button(dlg, SM_ID_OK)->click();
  EXPECT_EQ(Stored(), (Ports{{"1", "4800,N,8,1,18,0,1"}, {"2", "2400,N,8,1,18,0,1"}}));
  EXPECT_TRUE(dlg.isVisible());

  Type(dlg, CSmCommPortDlg::kPort, "2");
  Button(dlg, SM_ID_OK)->click();
  EXPECT_EQ(LastMessage(), "该端口已被定义！");

  SmResetMessages();
  Type(dlg, CSmCommPortDlg::kPort, "5");
  Type(dlg, CSmCommPortDlg::kFactor, "10");
  Button(dlg, SM_ID_OK)->click();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty()) << LastMessage();
  EXPECT_EQ(Stored(), (Ports{{"2", "2400,N,8,1,18,0,1"}, {"5", "4800,N,8,1,18,0,10"}}));
  EXPECT_EQ(Selected(dlg), "5");

  List(dlg)->clearSelection();
  Button(dlg, SM_ID_OK)->click();  // disabled without one selected row
  EXPECT_FALSE(Button(dlg, SM_ID_OK)->isEnabled());
  dlg.OnOK();  // Enter
  EXPECT_EQ(LastMessage(), "无唯一的选择项！");
}

TEST_F(CommPortDlgTest, ModifyWritesTheNewDefinitionBeforeRemovingTheOld) {
  const Ports before = {{"1", "1200,N,8,1,18,0,1"}};
  struct Case {
    bool failWrite;
    std::string failRemoveOf;
    std::vector<std::string> calls;
    Ports after;
  };
  const Case cases[] = {
      {false, "", {"write 3", "remove 1"}, {{"3", "9600,N,8,1,18,0,1"}}},
      {true, "", {"write 3"}, before},
      {false, "1", {"write 3", "remove 1", "remove 3"}, before},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.failWrite) + c.failRemoveOf);
    CSmRegKey().DeleteKeyTree(SM_HKEY_CURRENT_USER, app.GetSmRegKey() + "\\SmComm");
    Store(before);
    SmResetMessages();
    RecordingPortDlg dlg;
    dlg.failWrite = c.failWrite;
    dlg.failRemoveOf = c.failRemoveOf;
    dlg.show();
    Type(dlg, CSmCommPortDlg::kPort, "3");
    Type(dlg, CSmCommPortDlg::kBaud, "9600");
    EXPECT_EQ(dlg.ModifyPort(), c.after != before);
    EXPECT_EQ(dlg.calls, c.calls);
    EXPECT_EQ(Stored(), c.after);
    if (c.after == before) {
      EXPECT_EQ(LastMessage(), "写入端口数据失败！");
    }
  }
}

// The device of a port (a USB adapter, a pseudo-terminal) is set in the dialog, follows the
// port through modify and delete, and is the line the weighing card's reader opens.
TEST_F(CommPortDlgTest, TheDeviceFieldReachesTheReader) {
  FakeIndicator indicator;
  ASSERT_FALSE(indicator.Name().empty());
  CSmCommPortDlg dlg;
  dlg.show();
  auto* device = qobject_cast<CSmEdit*>(dlg.Control(CSmCommPortDlg::kDeviceEdit));
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->text(), QString());
  EXPECT_EQ(device->placeholderText().toStdString(), CMSComm::PlatformDevice(1));
  Type(dlg, CSmCommPortDlg::kPort, "2");
  EXPECT_EQ(device->placeholderText().toStdString(), CMSComm::PlatformDevice(2));
  Type(dlg, CSmCommPortDlg::kReceiveLength, "1");
  Combo(dlg, CSmCommPortDlg::kDecode)->setCurrentIndex(1);
  Type(dlg, CSmCommPortDlg::kDeviceEdit, indicator.Name());
  Button(dlg, CSmCommPortDlg::kAddButton)->click();
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty()) << LastMessage();
  EXPECT_EQ(ReadCommDevice("2"), indicator.Name());

  // The reader of port 2 reads the pseudo-terminal.
  std::string definition;
  ASSERT_TRUE(ReadCommPort("2", definition));
  QLineEdit display;
  CMSComm reader;
  reader.SetTarget(&display);
  ASSERT_TRUE(reader.SetParams(2, definition));
  EXPECT_EQ(reader.DeviceName(), indicator.Name());
  ASSERT_TRUE(reader.OpenPort()) << LastMessage();
  ASSERT_TRUE(indicator.Send("\x02+001234.0\x02"));
  const QDeadlineTimer deadline(5000);
  while (display.text().isEmpty() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(display.text(), QString("1234.0"));
  reader.SetPortOpen(false);

  // A port renumbered takes its device along; an emptied field means the platform's port.
  Select(dlg, "2");
  EXPECT_EQ(device->text().toStdString(), indicator.Name());
  Type(dlg, CSmCommPortDlg::kPort, "4");
  Button(dlg, SM_ID_OK)->click();
  EXPECT_EQ(ReadCommDevice("4"), indicator.Name());
  EXPECT_EQ(ReadCommDevice("2"), "");
  Type(dlg, CSmCommPortDlg::kDeviceEdit, "");
  Button(dlg, SM_ID_OK)->click();
  EXPECT_EQ(ReadCommDevice("4"), "");
  Type(dlg, CSmCommPortDlg::kDeviceEdit, "/dev/ttyUSB0");
  Button(dlg, SM_ID_OK)->click();
  EXPECT_TRUE(List(dlg)->OnCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(ReadCommDevice("4"), "");

  // "&X.关闭" closes the dialog.
  Button(dlg, SM_ID_CANCEL)->click();
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(CommPortDlgTest, DeleteSelectsTheRowAtItsPlaceOrTheOneBefore) {
  Store({{"1", "1200,N,8,1,18,0,1"}, {"2", "1200,N,8,1,18,0,1"}, {"3", "1200,N,8,1,18,0,1"}});
  CSmCommPortDlg dlg;
  dlg.show();
  Select(dlg, "2");
  EXPECT_TRUE(List(dlg)->OnCommand(SM_ID_LIST_DELETE));
  EXPECT_EQ(Rows(dlg), (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(Selected(dlg), "3");
  List(dlg)->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(Selected(dlg), "1");
  List(dlg)->OnCommand(SM_ID_LIST_DELETE);
  EXPECT_EQ(Rows(dlg), std::vector<std::string>{});
  EXPECT_EQ(Stored(), Ports{});
  EXPECT_FALSE(Button(dlg, SM_ID_OK)->isEnabled());
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(CommPortDlgTest, WithoutTheRightThePortsAreOnlyShown) {
  const Ports before = {{"1", "1200,N,8,1,18,0,1"}};
  Store(before);
  app.m_env.SetRights("1601 ");
  CSmCommPortDlg dlg;
  dlg.show();
  EXPECT_EQ(Selected(dlg), "1");
  EXPECT_FALSE(Button(dlg, CSmCommPortDlg::kAddButton)->isEnabled());
  EXPECT_FALSE(Button(dlg, SM_ID_OK)->isEnabled());
  CSmCommPortList* list = List(dlg);
  EXPECT_FALSE(list->IsCommandEnabled(SM_ID_LIST_DELETE));
  EXPECT_FALSE(list->IsCommandEnabled(SM_ID_LIST_ADD));
  Type(dlg, CSmCommPortDlg::kPort, "7");
  EXPECT_FALSE(dlg.AddPort());
  EXPECT_FALSE(dlg.ModifyPort());
  EXPECT_FALSE(dlg.DeletePort());
  EXPECT_EQ(Stored(), before);
}

TEST_F(CommPortDlgTest, ListMenuHasNoClipboardOrEditingEntries) {
  Store({{"1", "1200,N,8,1,18,0,1"}});
  CSmCommPortDlg dlg;
  dlg.show();
  std::unique_ptr<QMenu> menu = List(dlg)->CreateContextMenu();
  std::vector<int> ids;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) ids.push_back(action->data().toInt());
  }
  for (int gone : std::initializer_list<int>{SM_ID_LIST_ADD, SM_ID_LIST_OPEN, SM_ID_LIST_MODIFY,
                                             SM_ID_EDIT_CUT, SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE,
                                             SM_ID_EDIT_SELECT_ALL}) {
    EXPECT_EQ(std::count(ids.begin(), ids.end(), gone), 0) << gone;
  }
  EXPECT_EQ(std::count(ids.begin(), ids.end(), SM_ID_LIST_DELETE), 1);
}

}  // namespace
