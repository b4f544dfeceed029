#include "ui/SmPrintSetDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmListPrint.h"
#include "ui/SmPrintHooks.h"

namespace {

constexpr unsigned kChartCommand = 43019;
constexpr unsigned kRestoreCommand = 43135;
constexpr int kLogCode = 18;
const char* const kFaces[] = {"宋体", "黑体", "楷体_GB2312", "仿宋_GB2312"};

void ShowStop(const std::string& text) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
}

}  // namespace

// ---------------------------------------------------------------- coordinate chart

bool CSmCoordinateChartJob::OnPreparePrinting(CSmPrintState& state) {
  state.minPage = 1;
  state.maxPage = 1;
  return DoPreparePrinting(state);
}

void CSmCoordinateChartJob::OnPrint(QPainter& painter, CSmPrintState& /*state*/) {
  painter.save();
  painter.setPen(QPen(Qt::black, 1));
  for (int x = 50; x <= 1950; x += 50) {
    for (int y = 50; y <= 2350; y += 50) painter.drawRect(x, y, 50, 50);
  }
  for (int n = 200; n <= 2400; n += 200) painter.drawText(0, n - 10, QString::number(n));
  for (int n = 200; n <= 2000; n += 200) painter.drawText(n - 20, 20, QString::number(n));
  painter.restore();
}

// ---------------------------------------------------------------- the field list

CSmPrintFieldList::CSmPrintFieldList(CSmPrintSetDlg* owner) : CSmListCtrl(owner), m_owner(owner) {
  SetColumns(
      {60, 120, 120, 110, 60, 60, 60, 60, 120, 80},
      {"序号", "名称", "内容", "打印坐标", "字高", "字粗", "斜体", "下划线", "字样", "打印宽度"});
  setRootIsDecorated(false);
  setAllColumnsShowFocus(true);
  Initialize();
}

void CSmPrintFieldList::ShowFields(const std::vector<CSmPrintField>& fields) {
  clear();
  for (const CSmPrintField& f : fields) {
    AddRow({std::to_string(f.m_number), f.m_name, f.m_content, FormatStr("(%d,%d)", f.m_x, f.m_y),
            std::to_string(f.m_height), std::to_string(f.m_weight), f.m_italic ? "是" : "否",
            f.m_underline ? "有" : "无", f.m_face, std::to_string(f.m_width)});
  }
}

int CSmPrintFieldList::FieldNumber(int row) const {
  const QTreeWidgetItem* item = row >= 0 ? topLevelItem(row) : nullptr;
  return item ? item->text(0).toInt() : -1;
}

int CSmPrintFieldList::SelectField(int number) {
  for (int row = 0; row < RowCount(); ++row) {
    if (FieldNumber(row) != number) continue;
    clearSelection();
    topLevelItem(row)->setSelected(true);
    setCurrentItem(topLevelItem(row));
    scrollToItem(topLevelItem(row));
    return row;
  }
  return -1;
}

bool CSmPrintFieldList::IsCommandAvailable(unsigned id) {
  return id != SM_ID_EDIT_COPY && id != SM_ID_EDIT_CUT && id != SM_ID_EDIT_PASTE;
}

void CSmPrintFieldList::CustomizeContextMenu(QMenu* popup) {
  QAction* cut = nullptr;
  for (QAction* action : popup->actions()) {
    const unsigned id = action->data().toUInt();
    if (id == SM_ID_EDIT_CUT) cut = action;
  }
  const auto insert = [&](unsigned id, const char* text) {
    auto* action = new QAction(QString::fromUtf8(text), popup);
    action->setObjectName(QString::number(id));
    action->setData(id);
    popup->insertAction(cut, action);
    connect(action, &QAction::triggered, m_owner, [this, id] {
      if (id == kChartCommand) {
        m_owner->PrintChart();
      } else {
        m_owner->RestoreDefaults();
      }
    });
  };
  insert(kChartCommand, "打印坐标图");
  insert(kRestoreCommand, "恢复默认值");
  popup->insertSeparator(cut);
  for (QAction* action : popup->actions()) {
    const unsigned id = action->data().toUInt();
    if (id == SM_ID_EDIT_CUT || id == SM_ID_EDIT_COPY || id == SM_ID_EDIT_PASTE) {
      popup->removeAction(action);
    }
  }
}

void CSmPrintFieldList::Add() {
  m_owner->AddFields();
}

void CSmPrintFieldList::Modify() {
  m_owner->ModifyField();
}

void CSmPrintFieldList::Delete() {
  m_owner->DeleteField();
}

// ---------------------------------------------------------------- the field dialog (821)

namespace {

struct FieldEdit {
  int id;
  const char* label;
  const char* spec;
  int limit1, limit2;
};
constexpr FieldEdit kEdits[] = {
    {CSmPrintFieldDlg::kNumber, "序  号：", "NUMBER 1", 4, 0},
    {CSmPrintFieldDlg::kName, "字域名：", "MDBSTRING", 100, -1},
    {CSmPrintFieldDlg::kContent, "内  容：", "MDBSTRING", 100, -1},
    {CSmPrintFieldDlg::kX, "水平：", "NUMBER 1", 5, 0},
    {CSmPrintFieldDlg::kY, "垂直：", "NUMBER 1", 5, 0},
    {CSmPrintFieldDlg::kHeight, "字高：", "NUMBER 1", 4, 0},
    {CSmPrintFieldDlg::kWeight, "字粗：", "NUMBER 100 900", 3, 0},
    {CSmPrintFieldDlg::kWidth, "打印宽度(字符数)：", "NUMBER 0", 3, 0},
};

}  // namespace

int CSmPrintFieldDlg::NextNumber(CSmDatabase* db, int group) {
  const long largest = db->QueryInt(FormatStr("SELECT Max(CsN) From SysCsTab Where Cs=%d", group));
  return largest < 999 ? 1000 : static_cast<int>(largest) + 1;
}

CSmPrintFieldDlg::CSmPrintFieldDlg(CSmDatabase* db, int group, int number, bool add,
                                   QWidget* parent)
    : CSmPosDlg(821, nullptr, parent), m_db(db), m_group(group), m_oldNumber(number), m_add(add) {
  setObjectName("821");
  setWindowTitle(add ? QStringLiteral("增加打印字域") : QStringLiteral("修改打印字域属性"));
  if (add) {
    m_field.m_number = NextNumber(db, group);
  } else {
    m_missing = !m_field.Load(group, number, db);
  }
  auto* grid = new QGridLayout(this);
  const auto addEdit = [&](const FieldEdit& e, int row, int column, const std::string& text) {
    auto* edit = new CSmEdit(this);
    edit->setObjectName(QString::number(e.id));
    edit->SetInputType(e.spec, e.limit1, e.limit2);
    edit->setText(QString::fromStdString(text));
    auto* label = new QLabel(QString::fromUtf8(e.label), this);
    label->setBuddy(edit);
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1, 1, column == 0 ? 3 : 1);
  };
  const CSmPrintField& f = m_field;
  addEdit(kEdits[0], 0, 0, std::to_string(f.m_number));
  addEdit(kEdits[1], 1, 0, f.m_name);
  addEdit(kEdits[2], 2, 0, f.m_content);
  auto* place = new QGroupBox(QStringLiteral("打印位置坐标"), this);
  grid->addWidget(place, 3, 0, 1, 4);
  addEdit(kEdits[3], 4, 0, std::to_string(f.m_x));
  addEdit(kEdits[4], 5, 0, std::to_string(f.m_y));
  auto* face = new QComboBox(this);
  face->setObjectName(QString::number(kFace));
  for (const char* name : kFaces) face->addItem(QString::fromUtf8(name));
  face->setCurrentIndex(face->findText(QString::fromStdString(f.m_face)));
  auto* faceLabel = new QLabel(QStringLiteral("字样名："), this);
  faceLabel->setBuddy(face);
  grid->addWidget(faceLabel, 6, 0);
  grid->addWidget(face, 6, 1, 1, 3);
  auto* italic = new QCheckBox(QStringLiteral("斜体"), this);
  italic->setObjectName(QString::number(kItalic));
  italic->setChecked(f.m_italic != 0);
  auto* underline = new QCheckBox(QStringLiteral("下划线"), this);
  underline->setObjectName(QString::number(kUnderline));
  underline->setChecked(f.m_underline != 0);
  grid->addWidget(italic, 7, 1);
  grid->addWidget(underline, 7, 3);
  addEdit(kEdits[5], 8, 0, std::to_string(f.m_height));
  addEdit(kEdits[6], 9, 0, std::to_string(f.m_weight));
  addEdit(kEdits[7], 10, 0, std::to_string(f.m_width));
  grid->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")), 11, 2);
  grid->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")), 11, 3);
}

void CSmPrintFieldDlg::OnInitDialog() {
  CSmPosDlg::OnInitDialog();
  if (!m_missing) return;
  ShowStop("该字域不存在！");
  QTimer::singleShot(0, this, [this] { QDialog::reject(); });
}

int CSmPrintFieldDlg::Number(int id) const {
  return StrToIntDef(static_cast<QLineEdit*>(Control(id))->text().toStdString(), 0);
}

bool CSmPrintFieldDlg::Refuse(const char* text, int focusId) {
  ShowStop(text);
  Control(focusId)->setFocus();
  return false;
}

bool CSmPrintFieldDlg::StoreField(const CSmPrintField& field) {
  return SmRunInTransaction(m_db, [&] {
    if (!m_add && !CSmCsRecord(m_db).Delete(m_group, m_oldNumber, m_db)) return false;
    return field.Save(m_group, m_db);
  });
}

bool CSmPrintFieldDlg::ValidateAndSave() {
  if (m_missing) return false;
  CSmPrintField field = m_field;
  field.m_number = Number(kNumber);
  if (m_add && field.m_number < 1000) {
    return Refuse("用户自定义字域的序号应不小于1000！", kNumber);
  }
  field.m_name = static_cast<QLineEdit*>(Control(kName))->text().toStdString();
  field.m_content = static_cast<QLineEdit*>(Control(kContent))->text().toStdString();
  field.m_x = Number(kX);
  field.m_y = Number(kY);
  field.m_height = Number(kHeight);
  field.m_weight = Number(kWeight);
  field.m_width = Number(kWidth);
  const QString face = static_cast<QComboBox*>(Control(kFace))->currentText();
  if (!face.isEmpty()) field.m_face = face.toStdString();
  field.m_italic = static_cast<QCheckBox*>(Control(kItalic))->isChecked() ? 1 : 0;
  field.m_underline = static_cast<QCheckBox*>(Control(kUnderline))->isChecked() ? 1 : 0;
  if (m_add || field.m_number != m_oldNumber) {
    const long taken = m_db->QueryInt(
        FormatStr("Select Count(*) From SysCsTab Where Cs=%d And CsN=%d", m_group, field.m_number));
    if (taken > 0) return Refuse("字域序号重复！", kNumber);
  }
  if (!StoreField(field)) return false;
  m_field = field;
  SmWritePrintLog(kLogCode,
                  m_add ? FormatStr("增加：%d(%d)", m_group, field.m_number)
                        : FormatStr("修改：%d(%d-->%d)", m_group, m_oldNumber, field.m_number));
  return true;
}

// ---------------------------------------------------------------- the settings dialog (819)

CSmPrintSetDlg::CSmPrintSetDlg(CSmDatabase* db, QWidget* parent) : CSmDlg(819, parent), m_db(db) {
  setObjectName("819");
  setWindowTitle(QStringLiteral("特殊打印设置"));
  SetEnterMovesFocus(false);
  auto* grid = new QGridLayout(this);
  m_groups = new QComboBox(this);
  m_groups->setObjectName(QString::number(kGroups));
  auto* groupLabel = new QLabel(QStringLiteral("&L.打印项目："), this);
  groupLabel->setBuddy(m_groups);
  grid->addWidget(groupLabel, 0, 0);
  grid->addWidget(m_groups, 0, 1, 1, 4);
  m_list = new CSmPrintFieldList(this);
  m_list->setObjectName(QString::number(kFieldList));
  m_list->SetDatabase(db);
  m_list->setMinimumSize(640, 260);
  grid->addWidget(m_list, 1, 0, 1, 5);
  m_paper = new QComboBox(this);
  m_paper->setObjectName(QString::number(kPaper));
  m_paper->setEditable(true);
  m_paper->setEnabled(false);
  SmFillPaperBox(m_paper);
  auto* paperLabel = new QLabel(QStringLiteral("&P.纸张尺寸："), this);
  paperLabel->setBuddy(m_paper);
  grid->addWidget(paperLabel, 2, 0);
  grid->addWidget(m_paper, 2, 1, 1, 2);
  m_paperButton = AddButton(kPaperButton, QStringLiteral("纸张"));
  m_cancelPaper = AddButton(kCancelPaper, QStringLiteral("取消"));
  m_cancelPaper->hide();
  for (QPushButton* button : {m_paperButton, m_cancelPaper}) button->setAutoDefault(false);
  grid->addWidget(m_paperButton, 2, 3);
  grid->addWidget(m_cancelPaper, 2, 4);

  CSmPrintVarList groups;
  SmGetPrintVariables(-1, groups);
  for (const auto& [number, caption, value] : groups) {
    m_groups->addItem(QString::fromStdString(FormatStr("%-5s%s", number.c_str(), caption.c_str())));
  }
  m_groups->setCurrentIndex(m_groups->count() > 0 ? 0 : -1);
  connect(m_groups, &QComboBox::activated, this, [this] { ChangeGroup(); });
  ChangeGroup();
}

void CSmPrintSetDlg::ChangeGroup() {
  const QString entry = m_groups->currentIndex() < 0 ? QString() : m_groups->currentText();
  const int group = entry.isEmpty() ? -1 : StrToIntDef(entry.left(4).toStdString(), -1);
  if (group == m_group) return;
  m_group = group;
  Refill();
}

void CSmPrintSetDlg::Refill() {
  std::vector<CSmPrintField> fields;
  if (m_group >= 0) CSmPrintField::LoadGroup(m_group, fields, m_db);
  m_list->ShowFields(fields);
  CSmPrintJob paper;
  if (m_group >= 0) paper.LoadPaperSize(m_group, m_db);
  SmShowPaper(m_paper, paper.m_paperWidth, paper.m_paperLength);
  m_paperText = m_paper->currentText().toStdString();
}

void CSmPrintSetDlg::AddFields() {
  if (m_group < 0) return;
  for (;;) {
    CSmPrintFieldDlg dlg(m_db, m_group, 0, true, this);
    if (dlg.DoModal() != SM_IDOK) return;
    Refill();
    m_list->SelectField(dlg.Field().m_number);
  }
}

void CSmPrintSetDlg::ModifyField() {
  const int number = m_list->FieldNumber(m_list->FirstSelected());
  if (m_group < 0 || number < 0) return;
  CSmPrintFieldDlg dlg(m_db, m_group, number, false, this);
  if (dlg.DoModal() != SM_IDOK) return;
  Refill();
  m_list->SelectField(dlg.Field().m_number);
}

void CSmPrintSetDlg::DeleteField() {
  const int row = m_list->FirstSelected();
  const int number = m_list->FieldNumber(row);
  if (m_group < 0 || number < 0) return;
  if (!CSmCsRecord(m_db).Delete(m_group, number, m_db)) return;
  Refill();
  const int select = std::min(row, m_list->RowCount() - 1);
  if (select >= 0) m_list->SelectField(m_list->FieldNumber(select));
  SmWritePrintLog(kLogCode, FormatStr("删除：%d(%d)", m_group, number));
}

void CSmPrintSetDlg::RestoreDefaults() {
  if (m_group < 0) return;
  if (SmMessageBox("真的要恢复默认值值？", SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return;
  CSmPrintField::CreateDefaults(m_group, m_db);
  Refill();
}

void CSmPrintSetDlg::PrintChart() {
  CSmCoordinateChartJob chart;
  chart.Print(SM_ID_FILE_PRINT_DIRECT);
}

void CSmPrintSetDlg::PaperButton() {
  if (m_group < 0) return;
  if (!m_editingPaper) {
    m_editingPaper = true;
    m_list->setEnabled(false);
    m_groups->setEnabled(false);
    m_paper->setEnabled(true);
    m_cancelPaper->show();
    m_paperButton->setText(QStringLiteral("确认"));
    m_paper->setFocus();
    return;
  }
  CSmPrintJob paper;
  const std::string message = SmCheckPaperText(m_paper->currentText().toStdString(), false,
                                               paper.m_paperWidth, paper.m_paperLength);
  if (!message.empty()) {
    ShowStop(message);
    m_paper->setFocus();
    return;
  }
  if (!paper.SavePaperSize(m_group, m_db)) return;
  SmShowPaper(m_paper, paper.m_paperWidth, paper.m_paperLength);
  m_paperText = m_paper->currentText().toStdString();
  EndPaperEditing();
}

void CSmPrintSetDlg::EndPaperEditing() {
  m_editingPaper = false;
  m_paper->setEditText(QString::fromStdString(m_paperText));
  m_paper->setEnabled(false);
  m_cancelPaper->hide();
  m_paperButton->setText(QStringLiteral("纸张"));
  m_list->setEnabled(true);
  m_groups->setEnabled(true);
  m_list->setFocus();
}

void CSmPrintSetDlg::OnOK() {
  // Enter changes the selected field; the dialog is closed with Esc or its close box.
  if (!m_editingPaper && m_list->IsCommandEnabled(SM_ID_LIST_MODIFY)) ModifyField();
}

bool CSmPrintSetDlg::OnCommand(unsigned id) {
  switch (id) {
    case kPaperButton:
      PaperButton();
      return true;
    case kCancelPaper:
      EndPaperEditing();
      return true;
    default:
      return CSmDlg::OnCommand(id);
  }
}
