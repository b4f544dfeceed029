#include "cane/TsFarmerCardDlg.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "app/SmOpLog.h"
#include "cane/TsCardFields.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"

namespace {

constexpr int kLogCode = 1601;

int AdvanceCount() {
  return TsGetKindItemCount(0, 1, 2, 0);
}

int AdvanceIndex(int n) {
  return TsGetKindItemIndex(0, 1, 2, 0, n);
}

std::string Text(const CSmEdit* edit) {
  return edit->text().toStdString();
}

}  // namespace

CTsFarmerCardDlg::CTsFarmerCardDlg(CSmDatabase* db, const std::string& parentCode,
                                   const std::string& code, bool add, QWidget* parent)
    : CSmPosDlg(953, nullptr, parent),
      m_db(db),
      m_parentCode(parentCode),
      m_code(code),
      m_add(add),
      m_rec(db, code),
      m_grid(new QGridLayout),
      m_extra(new QGridLayout) {
  setObjectName(QStringLiteral("953"));
  const int level = TsGetFarmerCodeLevel(parentCode);
  m_ownLength = level > 4 ? 0 : TsGetIntParam(TsIntParam::FarmerLevel1Len + level);
  auto* codeText = new QLabel(QString::fromStdString(parentCode), this);
  codeText->setObjectName(QString::number(kCodeText));
  m_grid->addWidget(new QLabel(QStringLiteral("代    码："), this), 0, 0);
  auto* codeRow = new QHBoxLayout;
  codeRow->addWidget(codeText);
  m_own = new CSmEdit(this);
  m_own->setObjectName(QString::number(kOwnPart));
  m_own->SetInputType("STRING DIGIT", m_ownLength);
  m_own->setMaxLength(m_ownLength > 0 ? m_ownLength : 1);
  codeRow->addWidget(m_own, 1);
  m_grid->addLayout(codeRow, 0, 1);
  m_grid->setColumnStretch(1, 1);
  m_name = TsAddCardField(this, m_grid, 1, 0, kName, "名    称：", "MDBSTRING", 30);
  TsAddCardField(this, m_grid, 2, 0, 1014, "电    话：", "MDBSTRING", 20);
  TsAddCardField(this, m_grid, 3, 0, 1016, "银行户码：", "MDBSTRING", 30);
  TsAddCardField(this, m_grid, 4, 0, 1017, "银行账号：", "MDBSTRING", 30);
  TsAddCardField(this, m_grid, 5, 0, 1018, "银行户名：", "MDBSTRING", 30);
  m_note = TsAddCardField(this, m_grid, 6, 0, kNote, "备    注：", "MDBSTRING", 60);
  m_extra->setColumnStretch(1, 1);
  m_extra->setColumnStretch(3, 1);
  auto* page = new QVBoxLayout(this);
  page->addLayout(m_grid);
  page->addLayout(m_extra);
  setMinimumWidth(460);
}

void CTsFarmerCardDlg::CreateExtraFields(bool shown) {
  int slot = 0;
  auto place = [&](int id, const std::string& name, int limit, int decimals) {
    CSmEdit* edit = TsAddCardField(this, m_extra, slot / 2, slot % 2, id, name + "：", "NUMBER",
                                   limit, decimals);
    ++slot;
    return edit;
  };
  for (int n = 0; shown && n < AdvanceCount(); ++n)
    m_advanceFields.push_back(place(kFirstAdvance + n, TsGetKindItemName(0, 1, 2, 0, n), 12, 2));
  // The parameters start on a row of their own.
  slot += slot % 2;
  for (int n = 0; shown && n < TsGetLinkParamCount(0); ++n)
    m_paramFields.push_back(
        place(kFirstAdvance + AdvanceCount() + n, TsGetLinkParamName(0, n), 10, 4));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
}

void CTsFarmerCardDlg::OnInitDialog() {
  CSmPosDlg::OnInitDialog();
  // A farmer with entries below him has neither balances nor parameters of his own.
  CreateExtraFields(m_add || m_rec.GetCount(1) == 1);
  CTsWeighingService* service = TsGetWeighingService();
  TsSlipAmounts amounts{};
  if (m_add) {
    setWindowTitle(QStringLiteral("增加"));
    CNH parent(m_db, m_parentCode);
    m_rec.Clear();
    m_rec.KNO = parent.GetNextCode();
    m_own->setText(QString::fromStdString(m_rec.KNO.substr(m_parentCode.size())));
    // A first child takes over what referred to its parent, its opening balances included.
    if (!m_parentCode.empty() && parent.GetCount(2) == 0 && service)
      service->LoadOpening(0, m_parentCode, amounts, m_db);
  } else {
    setWindowTitle(QStringLiteral("修改"));
    m_rec.Load(0);
    m_shown = m_rec;
    m_own->setText(QString::fromStdString(m_rec.KNO.substr(m_parentCode.size())));
    const std::pair<int, const std::string*> texts[] = {{1013, &m_rec.NA},   {1014, &m_rec.TEL},
                                                        {1016, &m_rec.BkNO}, {1017, &m_rec.BkHO},
                                                        {1018, &m_rec.BkNA}, {1015, &m_rec.NT}};
    for (const auto& [id, value] : texts)
      static_cast<CSmEdit*>(Control(id))->setText(QString::fromStdString(*value));
    for (size_t n = 0; n < m_paramFields.size(); ++n) {
      const double value = m_rec.cs[TsGetLinkParamIndex(0, static_cast<int>(n))];
      m_paramFields[n]->setText(QString::fromStdString(TsFieldNumber(value, 4)));
    }
    if (service && !m_advanceFields.empty()) service->LoadOpening(0, m_rec.KNO, amounts, m_db);
    m_shownOpenings = amounts;
  }
  ShowOpenings(amounts);
  m_own->setFocus();
}

void CTsFarmerCardDlg::ShowOpenings(const TsSlipAmounts& amounts) {
  for (size_t n = 0; n < m_advanceFields.size(); ++n) {
    const double amount = amounts[AdvanceIndex(static_cast<int>(n))];
    m_advanceFields[n]->setText(QString::fromStdString(TsFieldNumber(amount, 2)));
  }
}

QWidget* CTsFarmerCardDlg::EnterTarget() {
  QWidget* first = !m_advanceFields.empty() ? m_advanceFields.front()
                   : !m_paramFields.empty() ? m_paramFields.front()
                                            : nullptr;
  return TsEnterTarget(this, m_note, first, m_own);
}

void CTsFarmerCardDlg::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  QWidget* target = enter && !qobject_cast<QPushButton*>(focusWidget()) ? EnterTarget() : nullptr;
  if (!target) {
    CSmPosDlg::keyPressEvent(event);
    return;
  }
  target->setFocus();
}

bool CTsFarmerCardDlg::ValidateAndSave() {
  if (!TsCheckCodeAndName(m_own, m_name, m_ownLength)) return false;
  const std::string own = Text(m_own);
  if (!Save(m_parentCode + own)) {
    m_own->setFocus();
    return false;
  }
  return true;
}

bool CTsFarmerCardDlg::Save(const std::string& newCode) {
  CNH rec = m_rec;
  rec.m_db = m_db;
  rec.KNO = newCode;
  rec.NA = Text(m_name);
  rec.TEL = Text(static_cast<CSmEdit*>(Control(1014)));
  rec.BkNO = Text(static_cast<CSmEdit*>(Control(1016)));
  rec.BkHO = Text(static_cast<CSmEdit*>(Control(1017)));
  rec.BkNA = Text(static_cast<CSmEdit*>(Control(1018)));
  rec.NT = Text(m_note);
  TsSlipAmounts amounts{};
  for (size_t n = 0; n < m_advanceFields.size(); ++n)
    amounts[AdvanceIndex(static_cast<int>(n))] = StrToDouble(Text(m_advanceFields[n]));
  for (size_t n = 0; n < m_paramFields.size(); ++n)
    rec.cs[TsGetLinkParamIndex(0, static_cast<int>(n))] = StrToDouble(Text(m_paramFields[n]));
  if (!m_add) {
    // The row and the balances are saved over what the card showed, or not at all.
    std::vector<int> items;
    for (size_t n = 0; n < m_advanceFields.size(); ++n)
      items.push_back(AdvanceIndex(static_cast<int>(n)));
    // The balances moved with the farmer's code already.
    const auto openings = [&](std::string& failure) {
      return TsStoreShownOpenings(0, rec.KNO, items, m_shownOpenings, amounts, m_shown.KNO, failure,
                                  m_db);
    };
    if (!rec.ChangeCode(m_shown, true, openings)) return false;
    CSmOpLog(kLogCode, FormatStr("修改：%s(%s) --> %s(%s)", m_shown.KNO.c_str(), m_shown.NA.c_str(),
                                 rec.KNO.c_str(), rec.NA.c_str()));
    m_rec = rec;
    return true;
  }
  if (!rec.Insert(true)) return false;
  CSmOpLog(kLogCode, FormatStr("新增：%s - %s", rec.KNO.c_str(), rec.NA.c_str()));
  m_rec = rec;
  if (CTsWeighingService* service = TsGetWeighingService(); service && !m_advanceFields.empty())
    service->SetOpening(true, 0, rec.KNO, amounts, m_db);
  return true;
}
