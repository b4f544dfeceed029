#include "cane/TsSysParamEditDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "app/SmApp.h"
#include "cane/TsDataType.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kLinkParamFirst = static_cast<int>(TsStrParam::FarmerLinkName1);
constexpr int kStartMonth = static_cast<int>(TsStrParam::YearStartMonth);
constexpr int kMaxCodeTotal = 15;

struct IntRange {
  int min;
  int max;
};

IntRange RangeOf(int number) {
  if (number <= 4 || (number >= 7 && number <= 11)) return {0, 4};
  if (number <= 6) return {2, 5};
  if (number == 12) return {3, 8};
  if (number == 13) return {0, 4};
  return {0, 1};
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::string TextOf(const QLineEdit* edit) {
  return edit->text().toStdString();
}

std::string Trimmed(const QLineEdit* edit) {
  return TrimChars(TextOf(edit));
}

QLabel* Label(QWidget* parent, int id) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::number(id));
  return label;
}

CSmEdit* Edit(QWidget* parent, int id) {
  auto* edit = new CSmEdit(parent);
  edit->setObjectName(QString::number(id));
  return edit;
}

QComboBox* Combo(QWidget* parent, int id) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::number(id));
  return combo;
}

void Fill(QComboBox* combo, std::initializer_list<const char*> entries, int selection) {
  combo->clear();
  for (const char* entry : entries) combo->addItem(QString::fromUtf8(entry));
  combo->setCurrentIndex(selection >= 0 && selection < combo->count() ? selection : -1);
}

// The item number (from 0) of a 1-based text, or -1 when it is empty or not in 1..count.
int ItemNumberOf(const std::string& text, int count) {
  const int n = text.empty() ? 0 : StrToIntDef(text, 0);
  return n >= 1 && n <= count ? n - 1 : -1;
}

}  // namespace

CTsSysParamEditDlg::CTsSysParamEditDlg(int kind, int number, const std::string& name,
                                       const std::string& value, QWidget* parent)
    : CSmPosDlg(951, nullptr, parent),
      m_type(TsGetDataType()),
      m_db(GetSmDatabase()),
      m_kind(kind),
      m_number(number),
      m_name(name),
      m_value(value) {
  setWindowTitle(QStringLiteral("修改系统参数："));
  m_nameShown = new QLineEdit(this);
  m_nameShown->setObjectName(QString::number(kNameShown));
  m_nameShown->setReadOnly(true);
  m_numberLabel = Label(this, kNumberLabel);
  m_nameLabel = Label(this, kNameLabel);
  m_formulaLabel = Label(this, kFormulaLabel);
  m_categoryLabel = Label(this, kCategoryLabel);
  m_numberEdit = Edit(this, kNumberEdit);
  m_nameEdit = Edit(this, kNameEdit);
  m_formulaEdit = Edit(this, kFormulaEdit);
  m_combo1 = Combo(this, kFirstCombo);
  m_combo2 = Combo(this, kSecondCombo);
  m_note = Label(this, kNote);
  m_note->setWordWrap(true);
  LayOutControls();
}

void CTsSysParamEditDlg::LayOutControls() {
  auto* grid = new QGridLayout(this);
  grid->addWidget(m_nameShown, 0, 0, 1, 3);
  const bool combosOnFirstRow = m_kind == 2 && m_number >= kStartMonth;
  grid->addWidget(m_numberLabel, 1, 0);
  if (!combosOnFirstRow) grid->addWidget(m_numberEdit, 1, 1, 1, 2);
  grid->addWidget(m_nameLabel, 2, 0);
  grid->addWidget(m_nameEdit, 2, 1, 1, 2);
  grid->addWidget(m_formulaLabel, 3, 0);
  grid->addWidget(m_formulaEdit, 3, 1, 1, 2);
  grid->addWidget(m_categoryLabel, 4, 0);
  const int comboRow = combosOnFirstRow ? 1 : 4;
  grid->addWidget(m_combo1, comboRow, 1);
  grid->addWidget(m_combo2, comboRow, 2);
  grid->addWidget(m_note, 5, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  grid->addLayout(buttons, 6, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  m_numberLabel->setBuddy(combosOnFirstRow ? static_cast<QWidget*>(m_combo1) : m_numberEdit);
  m_nameLabel->setBuddy(m_nameEdit);
  m_formulaLabel->setBuddy(m_formulaEdit);
  m_categoryLabel->setBuddy(m_combo1);
  m_nameShown->setMinimumWidth(360);
}

void CTsSysParamEditDlg::OnInitDialog() {
  CSmPosDlg::OnInitDialog();
  m_nameShown->setText(Q(m_name));
  m_numberEdit->SetInputType(m_kind == 1 ? "NUMBER" : "STRING DIGIT", m_kind == 1 ? 8 : 2);
  m_nameEdit->SetInputType("MDBSTRING", 250);
  m_formulaEdit->SetInputType("MDBSTRING", 250);
  m_numberLabel->setText(QStringLiteral("&1.数值："));
  m_nameLabel->setText(QStringLiteral("&2.名称："));
  m_formulaLabel->setText(QStringLiteral("&3.公式："));
  m_categoryLabel->setText(QStringLiteral("&4.类别："));
  if (m_kind == 0) m_numberEdit->setText(Q(FormatStr("%d", TsGetIntParam(m_number))));
  if (m_kind == 1) m_numberEdit->setText(Q(SmNumberToExprText(TsGetDblParam(m_number))));
  if (m_kind != 2) {
    ShowRows(false, false, false);
  } else if (m_number < kLinkParamFirst) {
    LayOutItem();
  } else if (m_number < kStartMonth) {
    LayOutLinkParam();
  } else if (m_number == kStartMonth) {
    LayOutStartMonth();
  } else {
    LayOutPrintSetting();
  }
  if (m_numberEdit->isVisible()) {
    m_numberEdit->setFocus();
    m_numberEdit->selectAll();
  } else {
    m_combo1->setFocus();
  }
}

void CTsSysParamEditDlg::ShowRows(bool name, bool formula, bool combos) {
  const bool combosOnFirstRow = m_kind == 2 && m_number >= kStartMonth;
  m_numberEdit->setVisible(!combosOnFirstRow);
  for (QWidget* w : std::initializer_list<QWidget*>{m_nameLabel, m_nameEdit}) w->setVisible(name);
  for (QWidget* w : std::initializer_list<QWidget*>{m_formulaLabel, m_formulaEdit})
    w->setVisible(formula);
  m_categoryLabel->setVisible(combos && !combosOnFirstRow);
  for (QWidget* w : std::initializer_list<QWidget*>{m_combo1, m_combo2}) {
    w->setVisible(combos);
    w->setEnabled(combos);
  }
  m_note->setVisible(combos && !combosOnFirstRow);
}

void CTsSysParamEditDlg::LayOutItem() {
  bool freight = false, slip = false;
  int category = 0, flag = 0, itemNo = 0;
  std::string name, formula;
  const bool parsed =
      TsClassifyItem(m_number, freight, slip, category, flag, itemNo, name, formula);
  m_numberLabel->setText(QStringLiteral("&1.序号："));
  m_numberEdit->setText(QString::number(itemNo + 1));
  m_nameEdit->setText(Q(name));
  m_formulaEdit->setText(Q(formula));
  ShowRows(true, true, true);
  Fill(m_combo1, {"应扣(补)项目", "代扣项目", "预付款项目"}, parsed ? category : -1);
  FillItemChoices(parsed ? category : -1);
  if (parsed && category != 1) m_combo2->setCurrentIndex(flag);
  connect(m_combo1, &QComboBox::currentIndexChanged, this, &CTsSysParamEditDlg::OnCategoryChanged);
}

void CTsSysParamEditDlg::FillItemChoices(int category) {
  m_shownCategory = category;
  const bool choices = category == 0 || category == 2;
  m_combo2->setVisible(choices);
  m_combo2->setEnabled(choices);
  if (category == 0) Fill(m_combo2, {"补助", "扣除"}, -1);
  if (category == 2) Fill(m_combo2, {"本年不偿还", "本年偿还"}, -1);
  if (!choices) m_combo2->clear();
  m_note->setText(category == 2 ? QStringLiteral("注：在“公式”处可录入一个预付款项目序号，"
                                                 "表示年末余额转入的项目。不录入时，表示"
                                                 "自结转。")
                                : QString());
  m_note->setVisible(category == 2);
}

void CTsSysParamEditDlg::OnCategoryChanged() {
  if (m_combo1->currentIndex() != m_shownCategory) FillItemChoices(m_combo1->currentIndex());
}

void CTsSysParamEditDlg::LayOutLinkParam() {
  m_numberLabel->setText(QStringLiteral("&1.序号："));
  m_numberEdit->setText(QString::number((m_number - kLinkParamFirst) % 4 + 1));
  m_nameEdit->setText(Q(m_value));
  ShowRows(true, false, false);
}

void CTsSysParamEditDlg::LayOutStartMonth() {
  m_numberLabel->setText(QStringLiteral("&1.始月："));
  ShowRows(false, false, true);
  const int year = m_value.empty() ? -1 : StrToIntDef(m_value.substr(0, 1), -1);
  const int month = m_value.size() < 3 ? 0 : StrToIntDef(m_value.substr(1, 2), 0);
  Fill(m_combo1, {"上年", "本年"}, year);
  Fill(m_combo2,
       {"01月", "02月", "03月", "04月", "05月", "06月", "07月", "08月", "09月", "10月", "11月",
        "12月"},
       month - 1);
}

void CTsSysParamEditDlg::LayOutPrintSetting() {
  m_numberLabel->setText(QStringLiteral("&1.方式："));
  ShowRows(false, false, true);
  const int when = m_value.empty() ? -1 : StrToIntDef(m_value.substr(0, 1), -1);
  const int style = m_value.size() < 2 ? -1 : StrToIntDef(m_value.substr(1, 1), -1);
  if (m_number == 49) {
    Fill(m_combo1, {"除皮时不打印", "除皮时打印"}, when);
  } else {
    Fill(m_combo1, {"结算时不打印", "结算时打印"}, when);
  }
  Fill(m_combo2, {"全格式", "一般套打", "自定位套打"}, style);
}

// ---------------------------------------------------------------- validate and save

bool CTsSysParamEditDlg::ValidateAndSave() {
  if (!m_type || !m_db) return false;
  // Compare with what is stored, not with what was read when the list was filled.
  m_type->SetDefaultParams();
  m_type->LoadParams(m_db);
  m_change = {};
  m_change.kind = m_kind;
  m_change.number = m_number;
  m_change.name = m_name;
  Outcome outcome = Outcome::Refused;
  if (m_kind == 0) outcome = ChangeInteger();
  if (m_kind == 1) outcome = ChangeNumber();
  if (m_kind == 2) outcome = ChangeText();
  if (outcome != Outcome::Accepted) return outcome == Outcome::Unchanged;
  bool saved = false;
  {
    CSmWaitWnd busy;
    if (!m_change.rewrites.empty()) busy.Show();
    saved = TsSaveParamChange(m_db, m_change);
  }
  // A failed save kept nothing: the old value stays and the dialog stays open.
  m_type->SetDefaultParams();
  m_type->LoadParams(m_db);
  if (!saved) return false;
  m_number = m_change.number;
  return true;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::ChangeNumber() {
  const std::string typed = TextOf(m_numberEdit);
  const double value = StrToDouble(typed);
  const double old = TsGetDblParam(m_number);
  if (std::fabs(value - old) < 1e-6) return Outcome::Unchanged;
  if (!Confirm()) return Outcome::Refused;
  m_change.value = FormatStr("%lf", value);
  m_change.logNote = FormatStr("修改%s：%s --> %s", m_name.c_str(), SmNumberToExprText(old).c_str(),
                               typed.c_str());
  return Outcome::Accepted;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::ChangeInteger() {
  const std::string typed = TextOf(m_numberEdit);
  const int value = StrToIntDef(typed, 0);
  const int old = TsGetIntParam(m_number);
  if (value == old) return Outcome::Unchanged;
  const IntRange range = RangeOf(m_number);
  if (value < range.min || value > range.max) {
    return Refuse(
        FormatStr("%s\n\n\t其值范围应在：%d～%d之间！", m_name.c_str(), range.min, range.max),
        kNumberEdit);
  }
  Outcome outcome = Outcome::Accepted;
  if (m_number <= 4) {
    outcome = ChangeLevelLength(true, m_number, old, value);
  } else if (m_number >= 7 && m_number <= 11) {
    outcome = ChangeLevelLength(false, m_number - 7, old, value);
  } else if (m_number == 5 || m_number == 6 || m_number == 12) {
    outcome = ChangeCodeLength(old, value);
  } else if (!Confirm()) {
    outcome = Outcome::Refused;
  }
  if (outcome != Outcome::Accepted) return outcome;
  m_change.value = FormatStr("%d", value);
  m_change.logNote = FormatStr("修改%s：%d --> %s", m_name.c_str(), old, typed.c_str());
  return Outcome::Accepted;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::ChangeLevelLength(bool farmer, int level,
                                                                  int oldLen, int newLen) {
  const TsIntParam first = farmer ? TsIntParam::FarmerLevel1Len : TsIntParam::VarietyLevel1Len;
  int total = 0;
  int prefix = 0;
  for (int k = 0; k < 5; ++k) {
    const int length = k == level ? newLen : TsGetIntParam(first + k);
    total += length;
    if (k < level) prefix += length;
  }
  if (total > kMaxCodeTotal)
    return Refuse(FormatStr("“%s”的码长值过大！", m_name.c_str()), kNumberEdit);
  const char* table = farmer ? "NHDir" : "GP";
  if (newLen == 0) {
    for (int k = level + 1; k < 5; ++k) {
      if (TsGetIntParam(first + k) != 0) return Refuse("该级代码长不能为0！", kNumberEdit);
    }
    if (Count(FormatStr("Select Count(*) From %s Where Len(rtrim(KNO))>%d", table, total)) != 0)
      return Refuse("该级代码已被使用，不能为0！", kNumberEdit);
  }
  if (newLen < oldLen) {
    const std::string jet = FormatStr("Max(Mid(KNO,%d,%d)) From %s Where Len(rtrim(KNO))=%d",
                                      prefix + 1, oldLen, table, prefix + oldLen);
    const std::string largest = m_db->QueryCountString(jet, ReplaceAll(jet, "Mid(", "Substring("));
    if (TsSignificantLength(largest) > newLen)
      return Refuse(FormatStr("“%s”的码长值过小！", m_name.c_str()), kNumberEdit);
  }
  if (!Confirm()) return Outcome::Refused;
  m_change.rewrites = TsLevelLengthRewrites(farmer, prefix, oldLen, newLen);
  return Outcome::Accepted;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::ChangeCodeLength(int oldLen, int newLen) {
  if (newLen < oldLen) {
    for (const CTsCodeColumn& column : TsCodeLengthColumns(m_number)) {
      if (!column.tested) continue;
      const std::string largest =
          m_db->QueryCountString(FormatStr("Max(%s) From %s", column.column, column.table));
      if (TsSignificantLength(largest) > newLen)
        return Refuse(FormatStr("“%s”的码长值过小！", m_name.c_str()), kNumberEdit);
    }
  }
  if (!Confirm()) return Outcome::Refused;
  m_change.rewrites = TsCodeLengthRewrites(m_number, oldLen, newLen);
  return Outcome::Accepted;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::ChangeText() {
  Outcome outcome = Outcome::Refused;
  if (m_number < kLinkParamFirst) {
    outcome = ChangeItem();
  } else if (m_number < kStartMonth) {
    outcome = ChangeLinkParam();
  } else if (m_number == kStartMonth) {
    outcome = ChangeStartMonth();
  } else {
    outcome = ChangePrintSetting();
  }
  if (outcome != Outcome::Accepted) return outcome;
  // After a move the text in memory at the new number is what the item replaces.
  m_change.logNote = FormatStr("修改%s：%s --> %s", m_name.c_str(),
                               TsGetStrParam(m_change.number).c_str(), m_change.value.c_str());
  return Outcome::Accepted;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::ChangeStartMonth() {
  const int year = m_combo1->currentIndex();
  const int month = m_combo2->currentIndex();
  if (year < 0 || year > 1) return Refuse("未选择所属年！", kFirstCombo);
  if (month < 0 || month > 11) return Refuse("未选择有效月份！", kSecondCombo);
  const std::string value = FormatStr("%d%d%d", year, month >= 9 ? 1 : 0, (month + 1) % 10);
  if (value == TsGetStrParam(TsStrParam::YearStartMonth)) return Outcome::Unchanged;
  const std::string firstDay = TsGetYearStartDate(value);
  for (const char* sheet : {"gb", "js"}) {
    if (Count(FormatStr("Select Count(*) From %sSheet Where DH<>'' And T<='%s'", sheet,
                        firstDay.c_str())) != 0)
      return Refuse("新指定的年初月前已有单据！", kFirstCombo);
  }
  if (!Confirm()) return Outcome::Refused;
  m_change.rewrites = TsStartMonthRewrites(firstDay);
  m_change.value = value;
  return Outcome::Accepted;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::ChangeItem() {
  bool freight = false, slip = false;
  int oldCategory = 0, oldFlag = 0, oldNo = 0;
  std::string oldName, oldFormula;
  TsClassifyItem(m_number, freight, slip, oldCategory, oldFlag, oldNo, oldName, oldFormula);
  const int newNo = ItemNumberOf(Trimmed(m_numberEdit), TsGetItemCount(slip ? 1 : 0));
  if (newNo < 0) return Refuse("序号超界！", kNumberEdit);
  const int category = m_combo1->currentIndex();
  if (!slip && category == 2)
    return Refuse("按过磅单计算的项目不能选择“预付款”项目！", kFirstCombo);
  if (slip && category == 0)
    return Refuse("按结算单清算的项目不能选择“应扣(补)”项目！", kFirstCombo);
  if (category < 0 || category > 2) return Refuse("未选择类别！", kFirstCombo);
  const int choice = m_combo2->currentIndex();
  if (category != 1 && choice < 0) return Refuse("未选择第二类别！", kSecondCombo);
  const int flag = category == 1 ? 1 : choice;
  const std::string name = Trimmed(m_nameEdit);
  std::string formula = Trimmed(m_formulaEdit);

  const int kind = freight ? 1 : 0;
  const CTsItemColumn column = TsItemColumn(slip, kind, oldNo);
  const bool recategorised = category != oldCategory || (category == 0 && flag != oldFlag);
  if ((name.empty() || recategorised) && Count(TsItemColumnCountSql(column)) != 0) {
    if (name.empty()) return Refuse("此项目已有数据，不能删除！", kNameEdit);
    return Refuse("此项目已有数据，不能改变类别！",
                  category != oldCategory ? kFirstCombo : kSecondCombo);
  }
  if (name.empty()) formula.clear();
  const CTsItemColumn target = TsItemColumn(slip, kind, newNo);
  if (newNo != oldNo && Count(TsItemColumnCountSql(target)) != 0)
    return Refuse("目标项目已有数据，不能改变项目序号！", kNumberEdit);
  if (newNo == oldNo && name == oldName && formula == oldFormula && category == oldCategory &&
      (category == 1 || flag == oldFlag))
    return Outcome::Unchanged;
  if (!Confirm()) return Outcome::Refused;
  if (newNo != oldNo) {
    m_change.rewrites.push_back(TsItemMoveRewrite(column, target));
    MoveTo(m_number + newNo - oldNo);
  }
  m_change.value = TsFormatItem(name, category, flag, formula);
  return Outcome::Accepted;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::ChangeLinkParam() {
  const bool place = m_number >= kLinkParamFirst + 4;
  const int oldNo = (m_number - kLinkParamFirst) % 4;
  const int newNo = ItemNumberOf(Trimmed(m_numberEdit), 4);
  if (newNo < 0) return Refuse("序号超界！", kNumberEdit);
  const std::string name = Trimmed(m_nameEdit);
  const std::string table = TsLinkParamTable(place);
  if (newNo != oldNo &&
      Count(FormatStr("Select Count(*) From %s Where CS%d<>0", table.c_str(), newNo)) != 0 &&
      SmMessageBox("目标项目已有数据，要覆盖它吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) !=
          SM_IDYES) {
    m_numberEdit->setFocus();
    return Outcome::Refused;
  }
  if (newNo == oldNo && name == TsGetStrParam(m_number)) return Outcome::Unchanged;
  if (!Confirm()) return Outcome::Refused;
  if (newNo != oldNo) {
    m_change.rewrites.push_back(TsLinkParamMoveRewrite(place, oldNo, newNo));
    MoveTo(m_number + newNo - oldNo);
  }
  m_change.value = name;
  return Outcome::Accepted;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::ChangePrintSetting() {
  const int when = m_combo1->currentIndex();
  const int style = m_combo2->currentIndex();
  if (when < 0 || when > 1) return Refuse("未选择打印时候！", kFirstCombo);
  if (style < 0 || style > 2) return Refuse("未选择打印方式！", kSecondCombo);
  m_change.value = FormatStr("%d%d", when, style);
  if (m_change.value == TsGetStrParam(m_number)) return Outcome::Unchanged;
  return Confirm() ? Outcome::Accepted : Outcome::Refused;
}

bool CTsSysParamEditDlg::Confirm() {
  return SmMessageBox(
             "    系统参数值不要随意改动，确需改动时，\n"
             "应停止其他所有人的操作，否则，将会导致系\n"
             "统混乱、修改失败或修改不完整！继续吗？",
             SM_MB_YESNO | SM_MB_ICONQUESTION) == SM_IDYES;
}

CTsSysParamEditDlg::Outcome CTsSysParamEditDlg::Refuse(const std::string& text, int focusId) {
  SmRefuse(text, focusId ? Control(focusId) : nullptr);
  return Outcome::Refused;
}

void CTsSysParamEditDlg::MoveTo(int number) {
  m_change.emptiedNumber = m_number;
  m_change.number = number;
}

long CTsSysParamEditDlg::Count(const std::string& sql) {
  return m_db->QueryInt(sql);
}
