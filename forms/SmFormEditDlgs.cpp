#include "forms/SmFormEditDlgs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmDoc.h"
#include "forms/SmFormDef.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDocument.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmSpinCtrl.h"

namespace {

const char* const kScaleNames[] = {"百万分之一", "十万分之一", "万分之一", "千分之一", "百分之一",
                                   "十分之一",   "原数",       "十倍",     "百倍",     "千倍",
                                   "万倍",       "十万倍",     "百万倍"};
constexpr int kScaleOffset = 6;
constexpr int kScaleCount = 13;

// A column spec is stored in 200 bytes.
constexpr size_t kSpecBytes = 200;
constexpr int kMaxWidth = 60;
constexpr int kMaxDecimals = 4;

QString Text(const QLineEdit* edit) {
  return edit->text();
}

std::string Trimmed(const QLineEdit* edit) {
  return TrimChars(Text(edit).toStdString());
}

}  // namespace

std::string SmScaleName(int exponent) {
  const int at = exponent + kScaleOffset;
  return at >= 0 && at < kScaleCount ? kScaleNames[at] : std::string();
}

void SmSpinField::SetEnabled(bool on) {
  edit->setEnabled(on);
  spin->setEnabled(on);
}

// ---------------------------------------------------------------- common

CSmFormEditDlg::CSmFormEditDlg(unsigned templateId, CSmDoc& doc, CSmFormDef& def, int index,
                               bool isNew, QWidget* parent)
    : CSmDlg(templateId, parent), m_doc(doc), m_def(def), m_index(index), m_isNew(isNew) {}

SmSpinField CSmFormEditDlg::MakeSpin(int editId, int spinId) {
  SmSpinField field;
  field.edit = new CSmEdit(this);
  field.edit->setObjectName(QString::number(editId));
  field.edit->SetInputType("STRING DIGIT", 4);
  field.edit->setMaximumWidth(60);
  field.spin = new CSmSpinCtrl(field.edit, this);
  field.spin->setObjectName(QString::number(spinId));
  return field;
}

bool CSmFormEditDlg::Refuse(const std::string& text, int controlId) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONWARNING);
  if (QWidget* control = Control(controlId)) control->setFocus();
  return false;
}

bool CSmFormEditDlg::CheckSpin(const SmSpinField& field, const std::string& text, int& value) {
  value = field.spin->Value(field.spin->Lower() - 1);
  if (field.spin->InRange(value)) return true;
  return Refuse(text, field.edit->objectName().toInt());
}

QRadioButton* CSmFormEditDlg::MakeRadio(int id, const char* text, QButtonGroup* group) {
  auto* button = new QRadioButton(QString::fromUtf8(text), this);
  button->setObjectName(QString::number(id));
  group->addButton(button);
  return button;
}

void CSmFormEditDlg::AddOkCancel(QGridLayout* grid, int row) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  QPushButton* ok = AddButton(SM_ID_OK, QStringLiteral("确定"));
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("取消")));
  grid->addLayout(buttons, row, 0, 1, grid->columnCount());
}

namespace {

QHBoxLayout* SpinRow(const SmSpinField& field) {
  auto* row = new QHBoxLayout;
  row->setSpacing(0);
  row->addWidget(field.edit);
  row->addWidget(field.spin);
  row->addStretch();
  return row;
}

QLabel* Label(QWidget* parent, const char* text) {
  return new QLabel(QString::fromUtf8(text), parent);
}

}  // namespace

// ---------------------------------------------------------------- column dialog

CSmColumnDlg::CSmColumnDlg(CSmDoc& doc, CSmFormDef& def, int index, bool isNew, QWidget* parent)
    : CSmFormEditDlg(854, doc, def, index, isNew, parent) {
  setWindowTitle(QStringLiteral("栏属性修改"));
  m_name = new CSmEdit(this);
  m_name->setObjectName(QString::number(kName));
  m_name->SetInputType("MDBSTRING", 50);
  m_formula = new CSmEdit(this);
  m_formula->setObjectName(QString::number(kFormula));
  m_formula->SetInputType("MDBSTRING", 180);
  m_formula->setMinimumWidth(360);
  m_order = MakeSpin(kOrder, kOrderSpin);
  m_width = MakeSpin(kWidth, kWidthSpin);
  m_editWidth = MakeSpin(kEditWidth, kEditWidthSpin);
  m_less = MakeSpin(kLess, kLessSpin);
  m_more = MakeSpin(kMore, kMoreSpin);
  auto combo = [this](int id) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString::number(id));
    return box;
  };
  m_kind = combo(kKind);
  m_scale = combo(kScale);
  m_total = combo(kTotal);
  auto* values = new QButtonGroup(this);
  m_number = MakeRadio(kNumber, "数值", values);
  m_text = MakeRadio(kText, "文字", values);
  auto* aligns = new QButtonGroup(this);
  m_left = MakeRadio(kLeft, "居左", aligns);
  m_middle = MakeRadio(kMiddle, "居中", aligns);
  m_right = MakeRadio(kRight, "居右", aligns);
  m_wrap = new QCheckBox(QStringLiteral("自动折行"), this);
  m_wrap->setObjectName(QString::number(kWrap));

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label(this, "栏  序："), 0, 0);
  grid->addLayout(SpinRow(m_order), 0, 1);
  grid->addWidget(Label(this, "栏类型："), 0, 2);
  grid->addWidget(m_kind, 0, 3);
  grid->addWidget(Label(this, "栏名称："), 1, 0);
  grid->addWidget(m_name, 1, 1, 1, 3);
  grid->addWidget(Label(this, "栏公式："), 2, 0);
  grid->addWidget(m_formula, 2, 1, 1, 3);
  grid->addWidget(Label(this, "值类型："), 3, 0);
  auto* valueRow = new QHBoxLayout;
  valueRow->addWidget(m_number);
  valueRow->addWidget(m_text);
  valueRow->addStretch();
  grid->addLayout(valueRow, 3, 1);
  grid->addWidget(Label(this, "对齐方式："), 3, 2);
  auto* alignRow = new QHBoxLayout;
  alignRow->addWidget(m_left);
  alignRow->addWidget(m_middle);
  alignRow->addWidget(m_right);
  grid->addLayout(alignRow, 3, 3);
  grid->addWidget(Label(this, "显示宽度："), 4, 0);
  grid->addLayout(SpinRow(m_width), 4, 1);
  grid->addWidget(Label(this, "编辑宽度："), 4, 2);
  grid->addLayout(SpinRow(m_editWidth), 4, 3);
  grid->addWidget(Label(this, "至少小数位："), 5, 0);
  grid->addLayout(SpinRow(m_less), 5, 1);
  grid->addWidget(Label(this, "至多小数位："), 5, 2);
  grid->addLayout(SpinRow(m_more), 5, 3);
  grid->addWidget(Label(this, "放缩因子："), 6, 0);
  grid->addWidget(m_scale, 6, 1);
  grid->addWidget(Label(this, "合计栏："), 6, 2);
  grid->addWidget(m_total, 6, 3);
  grid->addWidget(m_wrap, 7, 1);
  AddOkCancel(grid, 8);

  connect(m_text, &QRadioButton::toggled, this, [this](bool on) { OnValueType(on); });
  connect(m_less.edit, &QLineEdit::editingFinished, this, [this] { OnLeaveLess(); });
  connect(m_more.edit, &QLineEdit::editingFinished, this, [this] { OnLeaveMore(); });
}

void CSmColumnDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  const int count = static_cast<int>(m_def.m_cols.size());
  m_order.spin->SetRange(1, count + (m_isNew ? 1 : 0));
  m_order.spin->SetPos(m_index + 1);

  const CSmFormCol column = m_index >= 0 && m_index < count ? m_def.m_cols[m_index] : CSmFormCol();
  int widthMax = kMaxWidth, editMax = kMaxWidth;
  if (!m_isNew && column.FieldCode() != 0) {
    CSmFormDef defaults = m_def;
    defaults.m_cols.clear();
    m_doc.DefineColumns(defaults);
    if (m_index < static_cast<int>(defaults.m_cols.size())) {
      const int fact = defaults.m_cols[m_index].nFact;
      widthMax = fact / 100;
      editMax = fact % 100;
    }
  }
  m_width.spin->SetRange(1, widthMax);
  m_editWidth.spin->SetRange(1, editMax);
  m_less.spin->SetRange(0, kMaxDecimals);
  m_more.spin->SetRange(0, kMaxDecimals);

  CSmColSpec spec = column.ParseSpec();
  int fact = column.nFact, less = column.nLess, more = column.nMore;
  if (m_isNew) {
    spec.type = "NUMBER";
    spec.align = "RIGHT";
    spec.kind = 1;
    fact = 10 * 100 + 10;
    less = more = 2;
  }
  m_colKind = spec.kind;
  m_name->setText(QString::fromStdString(spec.caption));
  m_formula->setText(QString::fromStdString(spec.formula));
  m_width.edit->setText(QString::number(fact / 100));
  m_editWidth.edit->setText(QString::number(fact % 100));
  m_less.edit->setText(QString::number(less));
  m_more.edit->setText(QString::number(more));

  const bool fixed = !m_isNew && spec.kind == 0;
  if (fixed) {
    m_kind->addItem(QStringLiteral("固定栏"));
    m_kind->setCurrentIndex(0);
  } else {
    m_kind->addItems({QStringLiteral("公式栏"), QStringLiteral("运算栏")});
    m_kind->setCurrentIndex(std::clamp(spec.kind, 1, 2) - 1);
  }
  m_kind->setEnabled(!fixed);
  m_formula->setEnabled(!fixed);
  m_number->setEnabled(!fixed);
  m_text->setEnabled(!fixed);

  for (const char* name : kScaleNames) m_scale->addItem(QString::fromUtf8(name));
  m_scale->setCurrentIndex(spec.scale + kScaleOffset);
  m_total->addItems(
      {QStringLiteral("不需要"), QStringLiteral("垂直求和产生"), QStringLiteral("水平运算产生")});
  m_total->setCurrentIndex(spec.total);

  const bool text = !spec.type.starts_with("NUMBER");
  QSignalBlocker block(m_text);
  (text ? m_text : m_number)->setChecked(true);
  if (spec.align.empty() || spec.align == "LEFT") {
    m_left->setChecked(true);
  } else if (spec.align == "RIGHT") {
    m_right->setChecked(true);
  } else {
    m_middle->setChecked(true);
  }
  m_wrap->setChecked(spec.wrap != 0);
  UpdateTextControls();
  // Opens at the bottom-right corner of the main window.
  if (QWidget* main = CSmFrameWnd::Main()) {
    adjustSize();
    const QRect frame = main->frameGeometry();
    move(frame.right() - frameGeometry().width(), frame.bottom() - frameGeometry().height());
  }
}

bool CSmColumnDlg::IsText() const {
  return m_text->isChecked();
}

void CSmColumnDlg::OnValueType(bool text) {
  if (!text) m_total->setCurrentIndex(0);
  UpdateTextControls();
}

void CSmColumnDlg::UpdateTextControls() {
  const bool number = !IsText();
  m_less.SetEnabled(number);
  m_more.SetEnabled(number);
  m_scale->setEnabled(number);
  m_total->setEnabled(number);
}

void CSmColumnDlg::OnLeaveLess() {
  const int less = m_less.spin->Value(0);
  m_more.spin->SetRange(less, kMaxDecimals);
  if (m_more.spin->Value(0) < less) m_more.spin->SetPos(less);
}

void CSmColumnDlg::OnLeaveMore() {
  m_less.spin->SetRange(0, m_more.spin->Value(kMaxDecimals));
}

bool CSmColumnDlg::ValidateAndSave() {
  const std::string name = Trimmed(m_name);
  if (name.empty()) return Refuse("栏名不能为空，重输！", kName);
  int order = 0, width = 0, editWidth = 0, less = 0, more = 0;
  if (!CheckSpin(m_order, "栏顺序号超界！", order)) return false;
  if (!CheckSpin(m_width, "显示宽度超界！", width)) return false;
  if (!CheckSpin(m_editWidth, "编辑宽度超界！", editWidth)) return false;
  less = m_less.spin->Value(-1);
  if (less < 0 || less > kMaxDecimals) return Refuse("至少保留小数位数不合适！", kLess);
  more = m_more.spin->Value(-1);
  if (!m_more.spin->InRange(more) || more < less) return Refuse("最多保留小数位数不合适！", kMore);
  if (m_kind->currentIndex() < 0) return Refuse("未选择栏类型！", kKind);
  if (m_scale->currentIndex() < 0) return Refuse("未选择放缩因子！", kScale);

  const int count = static_cast<int>(m_def.m_cols.size());
  CSmFormCol column;
  if (!m_isNew && m_index >= 0 && m_index < count) column = m_def.m_cols[m_index];
  if (m_isNew) column.nType = 100;
  column.nFact = width * 100 + editWidth;
  column.nLess = less;
  column.nMore = more;
  CSmColSpec spec = column.ParseSpec();
  if (m_isNew || m_colKind != 0) {
    spec.kind = m_kind->currentIndex() + 1;
    spec.type = IsText() ? "MDBSTRING" : "NUMBER";
  }
  spec.total = IsText() ? 0 : std::max(0, m_total->currentIndex());
  if (spec.total == 2 && spec.kind <= 1) spec.total = 1;
  spec.align = m_left->isChecked() ? "LEFT" : m_middle->isChecked() ? "MID" : "RIGHT";
  spec.scale = m_scale->currentIndex() - kScaleOffset;
  column.BuildSpec(name, spec.type, spec.align, m_wrap->isChecked() ? 1 : 0, spec.total, spec.kind,
                   spec.scale, Text(m_formula).toStdString());
  if (GbkSize(column.sFormula) > kSpecBytes) return Refuse("公式长度超界！", kFormula);

  if (m_isNew) {
    m_def.m_cols.insert(m_def.m_cols.begin() + std::clamp(m_index, 0, count), column);
  } else {
    m_def.m_cols[m_index] = column;
  }
  const int from = m_isNew ? std::clamp(m_index, 0, count) : m_index;
  m_final = order - 1;
  if (m_final != from) {
    const CSmFormCol moved = m_def.m_cols[from];
    m_def.m_cols.erase(m_def.m_cols.begin() + from);
    m_def.m_cols.insert(m_def.m_cols.begin() + m_final, moved);
  }
  return true;
}

// ---------------------------------------------------------------- header block dialog

CSmTopWordDlg::CSmTopWordDlg(CSmDoc& doc, CSmFormDef& def, int index, bool isNew, QWidget* parent)
    : CSmFormEditDlg(856, doc, def, index, isNew, parent) {
  setWindowTitle(QStringLiteral("修改栏名、栏头单元块坐标"));
  m_name = new CSmEdit(this);
  m_name->setObjectName(QString::number(kName));
  m_name->SetInputType("STRING NOT |[]'\"", 50);
  m_name->setMinimumWidth(300);
  m_col1 = MakeSpin(kCol1, kCol1Spin);
  m_row1 = MakeSpin(kRow1, kRow1Spin);
  m_col2 = MakeSpin(kCol2, kCol2Spin);
  m_row2 = MakeSpin(kRow2, kRow2Spin);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label(this, "栏名："), 0, 0);
  grid->addWidget(m_name, 0, 1, 1, 4);
  grid->addWidget(Label(this, "左上角：  栏"), 1, 0);
  grid->addLayout(SpinRow(m_col1), 1, 1);
  grid->addWidget(Label(this, "行"), 1, 2);
  grid->addLayout(SpinRow(m_row1), 1, 3);
  grid->addWidget(Label(this, "右下角：  栏"), 2, 0);
  grid->addLayout(SpinRow(m_col2), 2, 1);
  grid->addWidget(Label(this, "行"), 2, 2);
  grid->addLayout(SpinRow(m_row2), 2, 3);
  AddOkCancel(grid, 3);
}

bool CSmTopWordDlg::FindFreeCell(const CSmFormDef& def, int& col, int& row) {
  const int shown = static_cast<int>(std::count_if(
      def.m_cols.begin(), def.m_cols.end(), [](const CSmFormCol& c) { return c.IsShown(); }));
  for (row = 1; row <= def.nTopNum; ++row) {
    for (col = 1; col <= shown; ++col) {
      const bool taken =
          std::any_of(def.m_topWords.begin(), def.m_topWords.end(), [&](const CSmFormTopWord& w) {
            return w.nCol1 <= col && col <= w.nCol2 && w.nRow1 <= row && row <= w.nRow2;
          });
      if (!taken) return true;
    }
  }
  return false;
}

int CSmTopWordDlg::DoModal() {
  int col = 0, row = 0;
  if (m_isNew && !FindFreeCell(m_def, col, row)) {
    SmMessageBox("栏头单元块已被定义完毕！", SM_MB_OK | SM_MB_ICONINFORMATION);
    return SM_IDCANCEL;
  }
  return CSmDlg::DoModal();
}

void CSmTopWordDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  const int shown = static_cast<int>(std::count_if(
      m_def.m_cols.begin(), m_def.m_cols.end(), [](const CSmFormCol& c) { return c.IsShown(); }));
  const int rows = m_def.nTopNum;
  CSmFormTopWord word;
  if (m_isNew) {
    int col = 1, row = 1;
    FindFreeCell(m_def, col, row);
    word.Set(col, row, col, row, "");
  } else {
    word = m_def.m_topWords[m_index];
  }
  for (SmSpinField* field : {&m_col1, &m_col2}) field->spin->SetRange(1, shown);
  for (SmSpinField* field : {&m_row1, &m_row2}) {
    field->spin->SetRange(1, rows);
    field->SetEnabled(rows != 1);
  }
  m_name->setText(QString::fromStdString(word.sWords));
  m_col1.edit->setText(QString::number(word.nCol1));
  m_row1.edit->setText(QString::number(word.nRow1));
  m_col2.edit->setText(QString::number(word.nCol2));
  m_row2.edit->setText(QString::number(word.nRow2));
}

bool CSmTopWordDlg::Overlaps(int col1, int row1, int col2, int row2) const {
  for (int i = 0; i < static_cast<int>(m_def.m_topWords.size()); ++i) {
    if (!m_isNew && i == m_index) continue;
    const CSmFormTopWord& w = m_def.m_topWords[i];
    if (col1 <= w.nCol2 && w.nCol1 <= col2 && row1 <= w.nRow2 && w.nRow1 <= row2) return true;
  }
  return false;
}

bool CSmTopWordDlg::ValidateAndSave() {
  int col1 = 0, row1 = 0, col2 = 0, row2 = 0;
  if (!CheckSpin(m_col1, "左上角栏坐标超界！", col1)) return false;
  if (!CheckSpin(m_row1, "左上角行坐标超界！", row1)) return false;
  if (!CheckSpin(m_col2, "右下角栏坐标超界！", col2)) return false;
  if (!CheckSpin(m_row2, "右下角行坐标超界！", row2)) return false;
  const std::string name = Trimmed(m_name);
  CSmFormTopWord word;
  word.Set(col1, row1, col2, row2, name);
  if (!m_isNew && word == m_def.m_topWords[m_index]) return true;
  if (col2 < col1 || row2 < row1) return Refuse("单元块定义不合适！", kCol2);
  if (name.empty()) return Refuse("栏名不能为空！", kName);
  if (Overlaps(col1, row1, col2, row2)) return Refuse("当前定义的单元块与已定义的重叠！", kCol1);
  if (m_isNew) {
    m_def.m_topWords.push_back(word);
  } else {
    m_def.m_topWords[m_index] = word;
  }
  return true;
}

// ---------------------------------------------------------------- note dialog

CSmHeadNoteDlg::CSmHeadNoteDlg(CSmDoc& doc, CSmFormDef& def, int index, bool isNew, QWidget* parent)
    : CSmFormEditDlg(858, doc, def, index, isNew, parent) {
  setWindowTitle(QStringLiteral("表头表尾属性修改"));
  // The hint is stored in 20 bytes; it names the note and must stay unique as stored.
  m_note = new CSmEdit(this);
  m_note->setObjectName(QString::number(kNote));
  m_note->SetInputType("STRING NOT |[]'", 20);
  m_words = new CSmEdit(this);
  m_words->setObjectName(QString::number(kWords));
  m_words->SetInputType("STRING NOT |[]'", 50);
  m_words->setMinimumWidth(300);
  m_line = MakeSpin(kLine, kLineSpin);
  m_position = MakeSpin(kPosition, kPositionSpin);
  m_length = MakeSpin(kLength, kLengthSpin);
  auto* sides = new QButtonGroup(this);
  m_head = MakeRadio(kHead, "表头", sides);
  m_tail = MakeRadio(kTail, "表尾", sides);
  auto* uses = new QButtonGroup(this);
  m_use = MakeRadio(kUse, "套打", uses);
  m_noUse = MakeRadio(kNoUse, "不套打", uses);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label(this, "字域提示："), 0, 0);
  grid->addWidget(m_note, 0, 1, 1, 3);
  grid->addWidget(Label(this, "显示内容："), 1, 0);
  grid->addWidget(m_words, 1, 1, 1, 3);
  grid->addWidget(Label(this, "显示行次："), 2, 0);
  grid->addLayout(SpinRow(m_line), 2, 1);
  grid->addWidget(m_head, 2, 2);
  grid->addWidget(m_tail, 2, 3);
  grid->addWidget(Label(this, "栏位置在表宽的"), 3, 0);
  auto* position = SpinRow(m_position);
  position->insertWidget(2, Label(this, "%处"));
  grid->addLayout(position, 3, 1);
  grid->addWidget(m_use, 3, 2);
  grid->addWidget(m_noUse, 3, 3);
  grid->addWidget(Label(this, "编辑框长度："), 4, 0);
  grid->addLayout(SpinRow(m_length), 4, 1);
  AddOkCancel(grid, 5);
}

void CSmHeadNoteDlg::OnInitDialog() {
  CSmDlg::OnInitDialog();
  m_line.spin->SetRange(1, kMaxLine);
  m_position.spin->SetRange(0, kMaxPosition);
  if (m_isNew) {
    m_line.spin->SetPos(1);
    m_position.spin->SetPos(0);
    m_length.spin->SetRange(0, 10);
    m_length.spin->SetPos(0);
    m_length.SetEnabled(false);
    m_head->setChecked(true);
    m_use->setChecked(true);
    return;
  }
  const CSmFormHeadNote& note = m_def.m_headNotes[m_index];
  if (note.bIsSystem) {
    CSmFormDef defaults = m_def;
    defaults.m_headNotes.clear();
    m_doc.DefineHeadNotes(defaults);
    const auto& notes = defaults.m_headNotes;
    auto found = std::find_if(notes.begin(), notes.end(),
                              [&](const CSmFormHeadNote& n) { return n.sNote == note.sNote; });
    if (found == notes.end()) found = notes.begin();
    const int longest = found == notes.end() ? note.nColPecent / 100 : found->nColPecent / 100;
    m_length.spin->SetRange(1, longest);
    m_note->setEnabled(false);
    m_words->setEnabled(false);
  } else {
    m_length.spin->SetRange(0, 50);
    m_length.SetEnabled(false);
  }
  m_note->setText(QString::fromStdString(note.sNote));
  m_words->setText(QString::fromStdString(note.sWords));
  (note.bIsTail ? m_tail : m_head)->setChecked(true);
  m_line.edit->setText(QString::number(note.nRow + 1));
  m_position.edit->setText(QString::number(note.nColPecent % 100));
  m_length.edit->setText(QString::number(note.nColPecent / 100));
  (note.bIsUse ? m_use : m_noUse)->setChecked(true);
}

bool CSmHeadNoteDlg::ValidateAndSave() {
  const std::string hint = Trimmed(m_note);
  const std::string words = Trimmed(m_words);
  int line = 0, position = 0, length = 0;
  if (!CheckSpin(m_line, "显示行次超界！", line)) return false;
  if (!CheckSpin(m_position, "栏位置超界！", position)) return false;
  if (!CheckSpin(m_length, "编辑框长度不合适！", length)) return false;
  if (hint.empty()) return Refuse("字域提示不能为空，重输！", kNote);
  if (words.empty()) return Refuse("显示内容不能为空，重输！", kWords);
  const int tail = m_tail->isChecked() ? 1 : 0;
  auto& notes = m_def.m_headNotes;
  for (int i = 0; i < static_cast<int>(notes.size()); ++i) {
    const CSmFormHeadNote& other = notes[i];
    if (m_isNew && other.bIsTail == tail && other.nRow == line - 1 &&
        other.nColPecent % 100 == position) {
      return Refuse("该字域的位置已存在!", kPosition);
    }
  }
  for (int i = 0; i < static_cast<int>(notes.size()); ++i) {
    if (!m_isNew && i == m_index) continue;
    if (notes[i].sNote == hint) return Refuse("该字域提示已存在!", kNote);
  }
  CSmFormHeadNote note;
  const int system = m_isNew ? 0 : notes[m_index].bIsSystem;
  note.Set(tail, line - 1, position + length * 100, m_use->isChecked() ? 1 : 0, system, hint,
           words);
  if (m_isNew) {
    notes.push_back(note);
  } else {
    notes[m_index] = note;
  }
  return true;
}
