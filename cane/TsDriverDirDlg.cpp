#include "cane/TsDriverDirDlg.h"

#include <QAction>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <cmath>

#include "app/SmOpLog.h"
#include "cane/TsCardFields.h"
#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "cane/TsWeighingService.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"

namespace {

constexpr int kLogCode = 1603;

int AdvanceCount() {
  return TsGetKindItemCount(1, 1, 2, 0);
}

int AdvanceIndex(int n) {
  return TsGetKindItemIndex(1, 1, 2, 0, n);
}

std::string Text(const CSmEdit* edit) {
  return edit->text().toStdString();
}

// A load limit as the list shows it: "0" as it is, any other text as a number.
std::string LimitText(const std::string& limit) {
  return limit == "0" ? limit : FormatNumber(StrToDouble(limit), 0, 0, 4, true);
}

std::string TotalText(double total) {
  return std::fabs(total) > 0.00001 ? FormatStr("%.2f元", total) : std::string();
}

}  // namespace

// ---------------------------------------------------------------- the directory

CTsDriverDirDlg::CTsDriverDirDlg(bool picker, CSmDatabase* db, const std::string& code,
                                 QWidget* parent)
    : CTsRecordDirDlg(956, picker, db, code, "04", kLogCode, parent) {
  setWindowTitle(QStringLiteral("驾驶员目录"));
  m_rec.KNO = code;
}

bool CTsDriverDirDlg::ShowsAmounts() const {
  return !IsPicker() && AdvanceCount() > 0;
}

void CTsDriverDirDlg::SetupColumns() {
  std::vector<int> widths = {70, 200, 95, 95, 100, 70, 70, 100};
  std::vector<std::string> captions = {"代码", "姓名",     "车牌号",   "电话",
                                       "住址", "载重下限", "载重上限", "备注"};
  for (int n = 0; !IsPicker() && n < AdvanceCount(); ++n) {
    widths.push_back(70);
    captions.push_back(TsGetKindItemName(1, 1, 2, 0, n));
  }
  List()->SetColumns(widths, captions);
}

Qt::Alignment CTsDriverDirDlg::GetColumnFormat(int column) {
  return column <= 4 || column == 7 ? Qt::AlignLeft : Qt::AlignRight;
}

void CTsDriverDirDlg::FillList() {
  CSmListCtrl* list = List();
  list->clear();
  std::vector<CTsDriverRec> drivers;
  TsDriverLoadAll(drivers, Database());
  const int items = IsPicker() ? 0 : AdvanceCount();
  std::vector<TsSlipAmounts> amounts(drivers.size(), TsSlipAmounts{});
  if (items > 0 && !drivers.empty()) {
    std::vector<std::string> codes;
    for (const CTsDriverRec& driver : drivers) codes.push_back(driver.KNO);
    if (CTsWeighingService* service = TsGetWeighingService())
      service->GetDriverOpenings(codes, amounts, Database());
    amounts.resize(drivers.size(), TsSlipAmounts{});
  }
  m_totals.assign(items, 0.0);
  for (size_t d = 0; d < drivers.size(); ++d) {
    const CTsDriverRec& driver = drivers[d];
    std::vector<std::string> texts = {driver.KNO,
                                      driver.NA,
                                      driver.PNO,
                                      driver.TEL,
                                      driver.ADR,
                                      LimitText(driver.WG0),
                                      LimitText(driver.WG1),
                                      driver.NT};
    for (int n = 0; n < items; ++n) {
      const double amount = amounts[d][AdvanceIndex(n)];
      texts.push_back(FormatStr("%.2f", amount));
      m_totals[n] = RoundTo(m_totals[n] + amount, 2);
    }
    list->AddRow(texts, 0);
  }
}

std::string CTsDriverDirDlg::AdvanceTotalsText() const {
  std::string text = "当前驾驶员预付款合计数为：\n";
  double sum = 0;
  for (size_t n = 0; n < m_totals.size(); ++n) {
    text += "\n    " + TsGetKindItemName(1, 1, 2, 0, static_cast<int>(n)) + "：" +
            TotalText(m_totals[n]);
    sum += m_totals[n];
  }
  return text + "\n    合计：" + TotalText(sum);
}

void CTsDriverDirDlg::AddMenuItems(QMenu* popup, QAction* before) {
  if (!ShowsAmounts()) return;
  auto* action = new QAction(QStringLiteral("显示预付款合计数"), popup);
  action->setObjectName(QString::number(SM_ID_FARMER_ADVANCE_TOTALS));
  action->setData(unsigned(SM_ID_FARMER_ADVANCE_TOTALS));
  popup->insertAction(before, action);
  popup->insertSeparator(before);
}

bool CTsDriverDirDlg::OnExtraCommand(unsigned id) {
  if (id != SM_ID_FARMER_ADVANCE_TOTALS) return false;
  if (ShowsAmounts()) SmMessageBox(AdvanceTotalsText(), SM_MB_ICONINFORMATION);
  return true;
}

bool CTsDriverDirDlg::IsCommandAvailable(unsigned id) {
  switch (id) {
    case SM_ID_LIST_MODIFY:
    case SM_ID_LIST_DELETE:
      return CanMaintain();
    case SM_ID_FARMER_ADVANCE_TOTALS:
      return ShowsAmounts();
    default:
      return CTsRecordDirDlg::IsCommandAvailable(id);
  }
}

bool CTsDriverDirDlg::RunCard(std::string& code, bool add) {
  CTsDriverCardDlg card(add ? 1 : 0, add ? std::string() : code, Database(), this);
  if (card.DoModal() != SM_IDOK) return false;
  code = card.Driver().KNO;
  return true;
}

bool CTsDriverDirDlg::DeleteRecord(const std::string& code) {
  return TsDriverDelete(code, Database());
}

bool CTsDriverDirDlg::LoadPicked(const std::string& code) {
  return TsDriverLoad(m_rec, code, Database()) > 0;
}

// ---------------------------------------------------------------- the card

CTsDriverCardDlg::CTsDriverCardDlg(int mode, const std::string& code, CSmDatabase* db,
                                   QWidget* parent)
    : CSmPosDlg(957, nullptr, parent), m_mode(mode), m_oldCode(code), m_db(db) {
  setObjectName(QStringLiteral("957"));
  auto* page = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  page->addLayout(grid);
  m_code = TsAddCardField(this, grid, 0, 0, kCode, "&D.代  码：", "STRING DIGIT",
                          TsGetIntParam(TsIntParam::DriverCodeLen));
  m_name = TsAddCardField(this, grid, 1, 0, kName, "&M.姓  名：", "MDBSTRING", 40);
  TsAddCardField(this, grid, 2, 0, kPlate, "&L.车牌号：", "MDBSTRING", 10);
  TsAddCardField(this, grid, 3, 0, kPhone, "&H.电  话：", "MDBSTRING", 20);
  TsAddCardField(this, grid, 4, 0, kAddress, "&A.住  址：", "MDBSTRING", 40);
  auto* limits = new QHBoxLayout;
  for (int k = 0; k < 2; ++k) {
    m_limits[k] = new CSmEdit(this);
    m_limits[k]->setObjectName(QString::number(kLowerLimit + k));
    m_limits[k]->SetInputType("NUMBER 0", 12, 4);
    limits->addWidget(m_limits[k]);
    limits->addWidget(TsUnitLabel(QString::fromUtf8(k == 0 ? "～" : "吨"), this));
  }
  auto* limitLabel = new QLabel(QStringLiteral("&P.载重限制："), this);
  limitLabel->setBuddy(m_limits[0]);
  grid->addWidget(limitLabel, 5, 0);
  grid->addLayout(limits, 5, 1);
  m_note = TsAddCardField(this, grid, 6, 0, kNote, "&Z.备  注：", "MDBSTRING", 60);
  grid->setColumnStretch(1, 1);
  auto* advances = new QGridLayout;
  advances->setColumnStretch(1, 1);
  advances->setColumnStretch(3, 1);
  page->addLayout(advances);
  for (int n = 0; n < AdvanceCount(); ++n) {
    m_advances.push_back(TsAddCardField(this, advances, n / 2, n % 2, kFirstAdvance + n,
                                        TsGetKindItemName(1, 1, 2, 0, n) + "：", "NUMBER", 12, 2));
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&x.取消")));
  page->addLayout(buttons);
}

void CTsDriverCardDlg::OnInitDialog() {
  CSmPosDlg::OnInitDialog();
  TsSlipAmounts amounts{};
  if (m_mode == 1) {
    setWindowTitle(QStringLiteral("增加"));
    m_rec.KNO = TsDriverNextCode(m_db);
  } else {
    setWindowTitle(QStringLiteral("修改"));
    TsDriverLoad(m_rec, m_oldCode, m_db);
    if (CTsWeighingService* service = TsGetWeighingService())
      service->LoadOpening(1, m_rec.KNO, amounts, m_db);
    m_shown = m_rec;
    m_shownOpenings = amounts;
  }
  const std::pair<int, const std::string*> texts[] = {
      {kCode, &m_rec.KNO},       {kName, &m_rec.NA},     {kPlate, &m_rec.PNO},
      {kPhone, &m_rec.TEL},      {kAddress, &m_rec.ADR}, {kLowerLimit, &m_rec.WG0},
      {kUpperLimit, &m_rec.WG1}, {kNote, &m_rec.NT}};
  for (const auto& [id, value] : texts)
    static_cast<CSmEdit*>(Control(id))->setText(QString::fromStdString(*value));
  for (size_t n = 0; n < m_advances.size(); ++n) {
    const double amount = amounts[AdvanceIndex(static_cast<int>(n))];
    m_advances[n]->setText(QString::fromStdString(TsFieldNumber(amount, 2)));
  }
  m_code->setFocus();
}

void CTsDriverCardDlg::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  QWidget* first = m_advances.empty() ? nullptr : m_advances.front();
  QWidget* target = enter && !qobject_cast<QPushButton*>(focusWidget())
                        ? TsEnterTarget(this, m_note, first, m_code)
                        : nullptr;
  if (!target) {
    CSmPosDlg::keyPressEvent(event);
    return;
  }
  target->setFocus();
}

bool CTsDriverCardDlg::ValidateAndSave() {
  CTsDriverRec rec;
  rec.KNO = Text(m_code);
  rec.NA = Text(m_name);
  rec.WG0 = Text(m_limits[0]);
  rec.WG1 = Text(m_limits[1]);
  const SmRefusal refusal = TsDriverCheck(rec);
  // The fields show what the check made plain of them, the code once it passed.
  const auto show = [](CSmEdit* field, const std::string& text) {
    if (Text(field) != text) field->setText(QString::fromStdString(text));
  };
  if (!refusal || refusal.field != kTsDriverFieldCode) show(m_code, rec.KNO);
  show(m_limits[0], rec.WG0);
  show(m_limits[1], rec.WG1);
  // As TsDriverField counts them.
  CSmEdit* const fields[] = {m_code, m_name, m_limits[0], m_limits[1]};
  if (refusal) return SmShowRefusal(refusal, fields[refusal.field]);
  rec.PNO = Text(static_cast<CSmEdit*>(Control(kPlate)));
  rec.TEL = Text(static_cast<CSmEdit*>(Control(kPhone)));
  rec.ADR = Text(static_cast<CSmEdit*>(Control(kAddress)));
  rec.NT = Text(m_note);
  bool stale = false;
  return Save(rec, stale) || TsRefuseSave(stale, m_code);
}

bool CTsDriverCardDlg::Save(const CTsDriverRec& rec, bool& stale) {
  TsSlipAmounts amounts{};
  for (size_t n = 0; n < m_advances.size(); ++n)
    amounts[AdvanceIndex(static_cast<int>(n))] = StrToDouble(Text(m_advances[n]));
  CTsWeighingService* service = TsGetWeighingService();
  if (m_mode == 1) {
    if (!TsDriverInsert(rec, m_db)) return false;
    CSmOpLog(kLogCode, FormatStr("新增：%s - %s", rec.KNO.c_str(), rec.NA.c_str()));
    m_rec = rec;
    if (service) service->SetOpening(true, 1, rec.KNO, amounts, m_db);
    return true;
  }
  // The driver and his balances are saved over what the card showed, or not at all. A merge
  // combines the two opening rows itself; the typed amounts were the old driver's.
  std::vector<int> items;
  for (size_t n = 0; n < m_advances.size(); ++n) items.push_back(AdvanceIndex(static_cast<int>(n)));
  const auto openings = [&](std::string& refusal) {
    return TsStoreShownOpenings(1, rec.KNO, items, m_shownOpenings, amounts, m_shown.KNO, refusal,
                                m_db);
  };
  bool merged = false;
  if (!TsDriverUpdate(rec, m_oldCode, m_db, &merged, &m_shown, openings, &stale)) return false;
  CSmOpLog(kLogCode, FormatStr("修改：%s(%s) --> %s(%s)", m_shown.KNO.c_str(), m_shown.NA.c_str(),
                               rec.KNO.c_str(), rec.NA.c_str()));
  m_rec = rec;
  return true;
}
