#include "weighing/SmCommPortDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "app/SmWorkstation.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmMenuCommands.h"
#include "weighing/SmMSComm.h"
#include "weighing/SmScaleModels.h"

namespace {

constexpr int kLogCode = 24;
constexpr char kParityLetters[] = "NEO";

CSmEdit* DigitEdit(QWidget* parent, int id) {
  auto* edit = new CSmEdit(parent);
  edit->setObjectName(QString::number(id));
  edit->SetInputType("STRING DIGIT", 6, -1);
  return edit;
}

QComboBox* Combo(QWidget* parent, int id) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::number(id));
  return combo;
}

std::string TextOf(const CSmEdit* edit) {
  return edit->text().toStdString();
}

void SetText(CSmEdit* edit, const std::string& text) {
  edit->setText(QString::fromStdString(text));
}

}  // namespace

// ---------------------------------------------------------------- the list

CSmCommPortList::CSmCommPortList(CSmCommPortDlg* dlg, bool mayChange, QWidget* parent)
    : CSmListCtrl(parent), m_dlg(dlg), m_mayChange(mayChange) {}

void CSmCommPortList::CustomizeContextMenu(QMenu* popup) {
  SmRemoveMenuCommands(popup, {SM_ID_LIST_ADD, SM_ID_LIST_OPEN, SM_ID_LIST_MODIFY, SM_ID_EDIT_CUT,
                               SM_ID_EDIT_COPY, SM_ID_EDIT_PASTE, SM_ID_EDIT_SELECT_ALL});
}

bool CSmCommPortList::IsCommandAvailable(unsigned id) {
  switch (id) {
    case SM_ID_LIST_ADD:
    case SM_ID_LIST_DELETE:
      return m_mayChange;
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_COPY:
    case SM_ID_EDIT_PASTE:
      return false;
    default:
      return true;
  }
}

void CSmCommPortList::Delete() {
  m_dlg->DeletePort();
}

// ---------------------------------------------------------------- the dialog

CSmCommPortDlg::CSmCommPortDlg(QWidget* parent)
    : CSmDlg(806, parent), m_mayChange(HasSmRightCode("0008")) {
  setWindowTitle(QStringLiteral("串口参数设置"));
  m_list = new CSmCommPortList(this, m_mayChange, this);
  m_list->setObjectName(QString::number(kList));
  m_port = DigitEdit(this, kPort);
  m_baud = DigitEdit(this, kBaud);
  m_dataBits = DigitEdit(this, kDataBits);
  m_stopBits = DigitEdit(this, kStopBits);
  m_receiveLength = DigitEdit(this, kReceiveLength);
  m_factor = DigitEdit(this, kFactor);
  m_device = new CSmEdit(this);
  m_device->setObjectName(QString::number(kDeviceEdit));
  m_device->SetInputType("STRING", 260);
  m_parity = Combo(this, kParity);
  m_decode = Combo(this, kDecode);
  m_add = AddButton(kAddButton, QStringLiteral("&N.新增"));
  m_modify = AddButton(SM_ID_OK, QStringLiteral("&M.修改"));
  QPushButton* close = AddButton(SM_ID_CANCEL, QStringLiteral("&X.关闭"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(m_list, 0, 0, 10, 1);
  const struct {
    const char* caption;
    QWidget* field;
    const char* unit;
  } rows[] = {
      {"&D.端 口 号：", m_port, ""},       {"&T.通讯速度：", m_baud, "bit/s"},
      {"&J.校 验 位：", m_parity, ""},     {"&S.数据位数：", m_dataBits, "位"},
      {"&Z.停 止 位：", m_stopBits, "位"}, {"&Q.接收区长：", m_receiveLength, "位"},
      {"&F.解码方式：", m_decode, ""},     {"&C.缩小系数：", m_factor, ""},
      {"&B.设    备：", m_device, ""},
  };
  int row = 0;
  for (const auto& r : rows) {
    auto* label = new QLabel(QString::fromUtf8(r.caption), this);
    label->setBuddy(r.field);
    grid->addWidget(label, row, 1);
    grid->addWidget(r.field, row, 2);
    if (*r.unit) grid->addWidget(new QLabel(QString::fromUtf8(r.unit), this), row, 3);
    ++row;
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_add);
  buttons->addWidget(m_modify);
  buttons->addWidget(close);
  grid->addLayout(buttons, row, 1, 1, 3);
  SetDefaultButton(SM_ID_OK);
  connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (m_list->selectedItems().size() == 1) LoadSelectedPort();
    UpdateButtons();
  });
  connect(m_port, &QLineEdit::textChanged, this, [this] { UpdateDeviceHint(); });
}

void CSmCommPortDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  SetText(m_port, "1");
  SetText(m_baud, "1200");
  SetText(m_dataBits, "8");
  SetText(m_stopBits, "1");
  SetText(m_receiveLength, "18");
  SetText(m_factor, "1");
  m_device->clear();
  UpdateDeviceHint();
  m_parity->clear();
  for (const char* parity : {"N.无", "E.偶校验", "O.奇校验"})
    m_parity->addItem(QString::fromUtf8(parity));
  m_parity->setCurrentIndex(0);
  m_decode->clear();
  std::vector<std::string> models;
  FillScaleModelList(models);
  for (size_t i = 0; i < models.size(); ++i)
    m_decode->addItem(QString::fromStdString(std::to_string(i + 1) + "." + models[i]));
  m_decode->setCurrentIndex(0);
  m_list->Initialize();
  m_list->SetColumns({60}, {"串口号"});
  FillList();
  SelectRow(0);
  UpdateButtons();
}

bool CSmCommPortDlg::OnCommand(unsigned id) {
  if (id == kAddButton) {
    AddPort();
    return true;
  }
  return CSmDlg::OnCommand(id);
}

void CSmCommPortDlg::OnOK() {
  ModifyPort();
}

bool CSmCommPortDlg::WritePort(const std::string& port, const std::string& definition) {
  return WriteCommPort(port, definition);
}

bool CSmCommPortDlg::RemovePort(const std::string& port) {
  return DeleteCommPort(port);
}

void CSmCommPortDlg::FillList() {
  std::vector<std::string> names, definitions;
  LoadCommPorts(names, definitions);
  const QSignalBlocker quiet(m_list);
  m_list->clear();
  for (const std::string& name : names) m_list->AddRow({name});
}

void CSmCommPortDlg::SelectRow(int row) {
  m_list->clearSelection();
  if (row < 0 || row >= m_list->RowCount()) {
    // Without a port to choose the clerk starts on the port number of a new one.
    m_port->setFocus();
    UpdateButtons();
    return;
  }
  QTreeWidgetItem* item = m_list->topLevelItem(row);
  m_list->setCurrentItem(item);
  m_list->scrollToItem(item);
  m_list->setFocus();
  UpdateButtons();
}

std::string CSmCommPortDlg::SelectedPort() const {
  const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
  return selected.size() == 1 ? selected.front()->text(0).toStdString() : std::string();
}

void CSmCommPortDlg::UpdateButtons() {
  m_add->setEnabled(m_mayChange);
  m_modify->setEnabled(m_mayChange && m_list->selectedItems().size() == 1);
}

void CSmCommPortDlg::UpdateDeviceHint() {
  const long port = StrToLongDef(TextOf(m_port), -1);
  m_device->setPlaceholderText(
      port >= 1 ? QString::fromStdString(CMSComm::PlatformDevice(static_cast<int>(port)))
                : QString());
}

void CSmCommPortDlg::LoadSelectedPort() {
  const std::string port = SelectedPort();
  SetText(m_port, port);
  SetText(m_device, ReadCommDevice(port));
  std::string definition;
  if (!ReadCommPort(port, definition)) return;
  auto field = [&definition](int n) { return GetNthField(definition, n, ','); };
  SetText(m_baud, field(0));
  const std::string parity = field(1);
  const size_t index =
      parity.size() == 1 ? std::string(kParityLetters).find(parity[0]) : std::string::npos;
  m_parity->setCurrentIndex(index == std::string::npos ? -1 : static_cast<int>(index));
  SetText(m_dataBits, field(2));
  SetText(m_stopBits, field(3));
  SetText(m_receiveLength, field(4));
  const int mode = StrToIntDef(field(5), -1);
  m_decode->setCurrentIndex(mode >= 0 && mode < m_decode->count() ? mode : -1);
  SetText(m_factor, field(6));
}

std::string CSmCommPortDlg::PortName() const {
  const long port = StrToLongDef(TextOf(m_port), -1);
  return port >= 1 ? std::to_string(port) : TrimChars(TextOf(m_port));
}

bool CSmCommPortDlg::BuildDefinition(std::string& definition) {
  // An empty field reads as -1, so it is refused like any value out of range. The scale-down
  // factor divides the weight sent from the card, so it is at least 1.
  const struct {
    CSmEdit* edit;
    long least;
  } fields[] = {{m_port, 1},     {m_baud, 1},          {m_dataBits, 1},
                {m_stopBits, 0}, {m_receiveLength, 1}, {m_factor, 1}};
  long values[6];
  for (int i = 0; i < 6; ++i) {
    values[i] = StrToLongDef(TextOf(fields[i].edit), -1);
    if (values[i] >= fields[i].least) continue;
    return SmRefuse("数据不正确！", fields[i].edit);
  }
  for (QComboBox* combo : {m_parity, m_decode}) {
    if (combo->currentIndex() >= 0) continue;
    return SmRefuse("未选择数据！", combo);
  }
  definition =
      FormatStr("%ld,%c,%ld,%ld,%ld,%d,%ld", values[1], kParityLetters[m_parity->currentIndex()],
                values[2], values[3], values[4], m_decode->currentIndex(), values[5]);
  return true;
}

bool CSmCommPortDlg::AddPort() {
  if (!m_mayChange) return false;
  const std::string port = PortName();
  std::string stored;
  if (ReadCommPort(port, stored)) return SmRefuse("该端口已被定义！", m_port);
  std::string definition;
  if (!BuildDefinition(definition)) return false;
  if (!WritePort(port, definition) || !WriteCommDevice(port, TrimChars(TextOf(m_device))))
    return SmRefuse("写入端口数据失败！", m_port);
  FillList();
  SelectRow(m_list->FindText(port, false));
  CSmOpLog(kLogCode, "新增串口" + port + "：" + definition);
  return true;
}

bool CSmCommPortDlg::ModifyPort() {
  if (!m_mayChange) return false;
  std::string definition;
  if (!BuildDefinition(definition)) return false;
  const std::string old = SelectedPort();
  if (old.empty()) return SmRefuse("无唯一的选择项！", m_list);
  const std::string port = PortName();
  std::string stored;
  if (port != old && ReadCommPort(port, stored)) return SmRefuse("该端口已被定义！", m_port);
  std::string oldDefinition;
  ReadCommPort(old, oldDefinition);
  // The new definition is written first, so that a failure never leaves the port undefined;
  // an old port that cannot be removed takes the new one back out.
  bool written = WritePort(port, definition);
  if (written && port != old && !RemovePort(old)) {
    RemovePort(port);
    written = false;
  }
  // The device goes with the port; a renamed port leaves none behind under the old number.
  written = written && WriteCommDevice(port, TrimChars(TextOf(m_device)));
  if (written && port != old) WriteCommDevice(old, "");
  if (!written) return SmRefuse("写入端口数据失败！", m_port);
  FillList();
  SelectRow(m_list->FindText(port, false));
  CSmOpLog(kLogCode, "修改串口：" + old + "-" + oldDefinition + " --> " + port + "-" + definition);
  return true;
}

bool CSmCommPortDlg::DeletePort() {
  if (!m_mayChange) return false;
  const std::string port = SelectedPort();
  if (port.empty()) return false;
  const int row = m_list->FirstSelected();
  if (!RemovePort(port)) return false;
  WriteCommDevice(port, "");
  CSmOpLog(kLogCode, "修改串口：" + port);
  FillList();
  SelectRow(std::min(row, m_list->RowCount() - 1));
  return true;
}
