#include "cane/TsPlaceDirDlg.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "app/SmOpLog.h"
#include "cane/TsBatchParamDlg.h"
#include "cane/TsCardFields.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"

namespace {

constexpr int kLogCode = 1602;
constexpr int kPickRegion = 1116;

std::string Text(const CSmEdit* edit) {
  return edit->text().toStdString();
}

// The region column: the code, and its name when the farmer directory has it.
std::string RegionText(const std::string& region, CSmDatabase* db) {
  if (region.empty()) return {};
  CNH farmer(db, region);
  return farmer.Load(0) > 0 ? region + " " + farmer.NA : region;
}

}  // namespace

// ---------------------------------------------------------------- the directory

CTsPlaceDirDlg::CTsPlaceDirDlg(bool picker, CSmDatabase* db, const std::string& code,
                               QWidget* parent)
    : CTsRecordDirDlg(954, picker, db, code, "03", kLogCode, parent) {
  setWindowTitle(QStringLiteral("甘蔗砍运地目录"));
  m_rec.KNO = code;
}

void CTsPlaceDirDlg::SetupColumns() {
  std::vector<int> widths = {70, 150, 170, 60, 60, 120};
  std::vector<std::string> captions = {"代码", "名称", "区域", "运距", "运价", "备注"};
  for (int n = 0; n < TsGetLinkParamCount(1); ++n) {
    widths.push_back(70);
    captions.push_back(TsGetLinkParamName(1, n));
  }
  List()->SetColumns(widths, captions);
}

Qt::Alignment CTsPlaceDirDlg::GetColumnFormat(int column) {
  return column <= 2 || column == 5 ? Qt::AlignLeft : Qt::AlignRight;
}

void CTsPlaceDirDlg::FillList() {
  CSmListCtrl* list = List();
  list->clear();
  std::vector<CTsAdrRec> places;
  TsAdrLoadAll(places, Database());
  if (!m_farmer.empty()) {
    std::stable_partition(places.begin(), places.end(), [this](const CTsAdrRec& place) {
      return !place.QY.empty() && m_farmer.compare(0, place.QY.size(), place.QY) == 0;
    });
  }
  for (const CTsAdrRec& place : places) {
    std::vector<std::string> texts = {place.KNO,
                                      place.NA,
                                      RegionText(place.QY, Database()),
                                      FormatNumber(place.jl, 0, 0, 2, true),
                                      FormatNumber(place.ypr, 0, 2, 2, true),
                                      place.NT};
    for (int n = 0; n < TsGetLinkParamCount(1); ++n)
      texts.push_back(FormatNumber(place.cs[TsGetLinkParamIndex(1, n)], 0, 0, 4, true));
    list->AddRow(texts, 0);
  }
}

void CTsPlaceDirDlg::AddMenuItems(QMenu* popup, QAction* before) {
  if (TsGetLinkParamCount(1) == 0) return;
  auto* action = new QAction(QStringLiteral("成批修改参数"), popup);
  action->setObjectName(QString::number(SM_ID_BATCH_PARAMS));
  action->setData(unsigned(SM_ID_BATCH_PARAMS));
  popup->insertAction(before, action);
  popup->insertSeparator(before);
}

bool CTsPlaceDirDlg::OnExtraCommand(unsigned id) {
  if (id != SM_ID_BATCH_PARAMS) return false;
  ChangeParams();
  return true;
}

void CTsPlaceDirDlg::ChangeParams() {
  std::vector<std::string> codes;
  List()->GetSelectedTexts(codes);
  CTsBatchParamDlg dlg(1, codes, Database(), this);
  dlg.DoModal();
  FillList();
  List()->SelectTexts(codes);
}

bool CTsPlaceDirDlg::RunCard(std::string& code, bool add) {
  CTsPlaceCardDlg card(add ? 1 : 0, add ? std::string() : code, Database(), this);
  if (add && !code.empty()) TsAdrLoad(card.Place(), code, Database());
  if (card.DoModal() != SM_IDOK) return false;
  code = card.Place().KNO;
  return true;
}

bool CTsPlaceDirDlg::DeleteRecord(const std::string& code) {
  return TsAdrDelete(code, Database());
}

bool CTsPlaceDirDlg::LoadPicked(const std::string& code) {
  return TsAdrLoad(m_rec, code, Database()) > 0;
}

// ---------------------------------------------------------------- the card

CTsPlaceCardDlg::CTsPlaceCardDlg(int mode, const std::string& code, CSmDatabase* db,
                                 QWidget* parent)
    : CSmPosDlg(955, nullptr, parent), m_mode(mode), m_oldCode(code), m_db(db) {
  setObjectName(QStringLiteral("955"));
  auto* grid = new QGridLayout(this);
  m_code = TsAddCardField(this, grid, 0, 0, kCode, "&D.代码：", "STRING DIGIT",
                          TsGetIntParam(TsIntParam::PlaceCodeLen));
  m_name = TsAddCardField(this, grid, 1, 0, kName, "&M.名称：", "MDBSTRING", 40);
  m_region = TsAddCardField(this, grid, 2, 0, kRegion, "&Q.区域：", "STRING DIGIT", 15);
  grid->addWidget(AddButton(kPickRegion, QStringLiteral("&B")), 2, 2);
  m_regionName = new QLabel(this);
  m_regionName->setObjectName(QString::number(kRegionName));
  grid->addWidget(m_regionName, 3, 1, 1, 2);
  m_distance = TsAddCardField(this, grid, 4, 0, kDistance, "&L.运距：", "NUMBER", 10, 2);
  grid->addWidget(TsUnitLabel(QStringLiteral("公里"), this), 4, 2);
  m_price = TsAddCardField(this, grid, 5, 0, kPrice, "&P.运价：", "NUMBER", 10, 2);
  grid->addWidget(TsUnitLabel(QStringLiteral("元/吨"), this), 5, 2);
  m_note = TsAddCardField(this, grid, 6, 0, kNote, "&Z.备注：", "MDBSTRING", 60);
  for (int n = 0; n < TsGetLinkParamCount(1) && n < 4; ++n) {
    m_params.push_back(TsAddCardField(this, grid, 7 + n, 0, kFirstParam + n,
                                      TsGetLinkParamName(1, n) + "：", "NUMBER", 10, 4));
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&S.确认")));
  buttons->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&x.取消")));
  grid->addLayout(buttons, 11, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  connect(m_region, &QLineEdit::textChanged, this, [this] { ShowRegionName(); });
}

void CTsPlaceCardDlg::OnInitDialog() {
  CSmPosDlg::OnInitDialog();
  if (m_mode == 1) {
    setWindowTitle(QStringLiteral("增加"));
    m_rec.KNO = TsAdrNextCode(m_db);
  } else {
    setWindowTitle(QStringLiteral("修改"));
    TsAdrLoad(m_rec, m_oldCode, m_db);
    m_shown = m_rec;
    m_distance->setText(QString::fromStdString(TsFieldNumber(m_rec.jl, 2)));
    m_price->setText(QString::fromStdString(TsFieldNumber(m_rec.ypr, 2)));
    for (size_t n = 0; n < m_params.size(); ++n) {
      const double value = m_rec.cs[TsGetLinkParamIndex(1, static_cast<int>(n))];
      m_params[n]->setText(QString::fromStdString(TsFieldNumber(value, 4)));
    }
  }
  m_code->setText(QString::fromStdString(m_rec.KNO));
  m_name->setText(QString::fromStdString(m_rec.NA));
  m_region->setText(QString::fromStdString(m_rec.QY));
  m_note->setText(QString::fromStdString(m_rec.NT));
  ShowRegionName();
  m_code->setFocus();
}

void CTsPlaceCardDlg::ShowRegionName() {
  std::string names;
  CNH region(m_db, Text(m_region));
  std::vector<std::string> codes, levelNames;
  if (!region.KNO.empty()) region.GetLevelNames(names, codes, levelNames);
  m_regionName->setText(QString::fromStdString(names));
}

bool CTsPlaceCardDlg::OnCommand(unsigned id) {
  if (id != kPickRegion) return CSmPosDlg::OnCommand(id);
  PickRegion();
  return true;
}

void CTsPlaceCardDlg::PickRegion() {
  CTsFarmerDirDlg picker(m_db, 2, Text(m_region), this);
  if (picker.DoModal() != SM_IDOK) return;
  m_region->setText(QString::fromStdString(picker.CurrentCode()));
  ShowRegionName();
  m_region->setFocus();
}

bool CTsPlaceCardDlg::ValidateAndSave() {
  CTsAdrRec rec = m_rec;
  rec.KNO = Text(m_code);
  rec.NA = Text(m_name);
  rec.QY = Text(m_region);
  const SmRefusal refusal = TsAdrCheck(rec, m_db);
  // As TsAdrField counts them.
  CSmEdit* const fields[] = {m_code, m_name, m_region};
  if (refusal) return SmShowRefusal(refusal, fields[refusal.field]);
  rec.NT = Text(m_note);
  rec.jl = StrToDouble(Text(m_distance));
  rec.ypr = StrToDouble(Text(m_price));
  rec.cs = {};
  for (size_t n = 0; n < m_params.size(); ++n)
    rec.cs[TsGetLinkParamIndex(1, static_cast<int>(n))] = StrToDouble(Text(m_params[n]));
  bool stale = false;
  return Save(rec, stale) || TsRefuseSave(stale, m_code);
}

bool CTsPlaceCardDlg::Save(const CTsAdrRec& rec, bool& stale) {
  if (m_mode == 1) {
    if (!TsAdrInsert(rec, m_db)) return false;
    m_rec = rec;
    CSmOpLog(kLogCode, FormatStr("新增：%s - %s", rec.KNO.c_str(), rec.NA.c_str()));
    return true;
  }
  // The place is saved over the row the card showed, or not at all.
  const CTsAdrRec& old = m_shown;
  bool merged = false;
  if (!TsAdrUpdate(rec, m_oldCode, m_db, &merged, &m_shown, &stale)) return false;
  m_rec = rec;
  CSmOpLog(kLogCode, FormatStr("修改：%s(%s) --> %s(%s)", old.KNO.c_str(), old.NA.c_str(),
                               rec.KNO.c_str(), rec.NA.c_str()));
  // A merged place keeps the survivor's own price: its tickets are not re-priced.
  if (merged) return true;
  const TsRepricing texts{"目前属于该砍运地的未结过磅单的运费单价不完全一致，",
                          "请对“属于该砍运地的所有未结过磅单”作出以下选择：\n",
                          "是否要将目前所有未结过磅单的该砍运地的运费单价从%.2lf元调到%.2lf元？\n"};
  TsOfferRepricing(texts, 1, rec.KNO, rec.NA, old.ypr, rec.ypr, kLogCode, m_db);
  return true;
}
