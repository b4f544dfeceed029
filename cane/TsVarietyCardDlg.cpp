#include "cane/TsVarietyCardDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/SmOpLog.h"
#include "cane/TsCardFields.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"

namespace {

constexpr int kLogCode = 1604;

std::string Text(const CSmEdit* edit) {
  return edit->text().toStdString();
}

}  // namespace

CTsVarietyCardDlg::CTsVarietyCardDlg(CSmDatabase* db, const std::string& parentCode,
                                     const std::string& code, bool add, QWidget* parent)
    : CSmPosDlg(964, nullptr, parent),
      m_db(db),
      m_parentCode(parentCode),
      m_code(code),
      m_add(add),
      m_rec(db, code) {
  setObjectName(QStringLiteral("964"));
  const int level = TsGetVarietyCodeLevel(parentCode);
  m_ownLength = level > 4 ? 0 : TsGetIntParam(TsIntParam::VarietyLevel1Len + level);
  auto* grid = new QGridLayout(this);
  auto* codeText = new QLabel(QString::fromStdString(parentCode), this);
  codeText->setObjectName(QStringLiteral("1069"));
  grid->addWidget(new QLabel(QStringLiteral("代    码："), this), 0, 0);
  auto* codeRow = new QHBoxLayout;
  codeRow->addWidget(codeText);
  m_own = new CSmEdit(this);
  m_own->setObjectName(QStringLiteral("1066"));
  m_own->SetInputType("STRING DIGIT", m_ownLength);
  m_own->setMaxLength(m_ownLength > 0 ? m_ownLength : 1);
  codeRow->addWidget(m_own, 1);
  grid->addLayout(codeRow, 0, 1);
  m_name = TsAddCardField(this, grid, 1, 0, kName, "名    称：", "MDBSTRING", 60);
  m_price = TsAddCardField(this, grid, 2, 0, kPrice, "吨 蔗 价：", "NUMBER", 12, 2);
  grid->addWidget(TsUnitLabel(QStringLiteral("元／吨"), this), 2, 2);
  m_note = TsAddCardField(this, grid, 3, 0, 1070, "备    注：", "MDBSTRING", 60);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")));
  grid->addLayout(buttons, 4, 0, 1, 3);
}

void CTsVarietyCardDlg::OnInitDialog() {
  CSmPosDlg::OnInitDialog();
  if (m_add) {
    setWindowTitle(QStringLiteral("增加"));
    m_rec.Clear();
    m_rec.KNO = CGp(m_db, m_parentCode).GetNextCode();
  } else {
    setWindowTitle(QStringLiteral("修改"));
    m_rec.Load(0);
    m_shown = m_rec;
    m_name->setText(QString::fromStdString(m_rec.NA));
    m_note->setText(QString::fromStdString(m_rec.NT));
    m_price->setText(QString::fromStdString(TsFieldNumber(m_rec.PR, 2)));
    const std::string count = FormatStr("Select Count(*) From GP Where KNO Like '%s\x07*\x08'",
                                        m_db->SqlText(m_rec.KNO).c_str());
    if (m_db->QueryInt(count) >= 2) m_price->setEnabled(false);
  }
  m_own->setText(QString::fromStdString(m_rec.KNO.substr(m_parentCode.size())));
  m_own->setFocus();
}

bool CTsVarietyCardDlg::ValidateAndSave() {
  if (!TsCheckCodeAndName(m_own, m_name, m_ownLength)) return false;
  const std::string own = Text(m_own);
  // A variety is saved over the row the card showed, or not at all.
  const CGp old = m_shown;
  if (!Save(m_parentCode + own, old)) {
    m_own->setFocus();
    return false;
  }
  if (!m_add) OfferRepricing(old);
  return true;
}

bool CTsVarietyCardDlg::Save(const std::string& newCode, const CGp& old) {
  CGp rec = m_rec;
  rec.m_db = m_db;
  rec.KNO = newCode;
  rec.NA = Text(m_name);
  rec.NT = Text(m_note);
  rec.PR = StrToDouble(Text(m_price));
  if (m_add) {
    if (!rec.Insert(true)) return false;
    CSmOpLog(kLogCode, FormatStr("新增：%s - %s", rec.KNO.c_str(), rec.NA.c_str()));
  } else {
    if (!rec.ChangeCode(old, true)) return false;
    CSmOpLog(kLogCode, FormatStr("修改：%s(%s) --> %s(%s)", old.KNO.c_str(), old.NA.c_str(),
                                 rec.KNO.c_str(), rec.NA.c_str()));
  }
  m_rec = rec;
  return true;
}

void CTsVarietyCardDlg::OfferRepricing(const CGp& old) {
  CGp saved = m_rec;
  if (saved.GetCount(1) != 1) return;
  const TsRepricing texts{"目前属于品种的未结过磅单的蔗价不完全一致，",
                          "请对“属于该品种的所有未结过磅单”作出以下选择：\n",
                          "是否要将目前所有未结过磅单的该品种的蔗价从%.2lf元调到%.2lf元？\n"};
  TsOfferRepricing(texts, 0, m_rec.KNO, m_rec.NA, old.PR, m_rec.PR, kLogCode, m_db);
}
