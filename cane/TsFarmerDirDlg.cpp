#include "cane/TsFarmerDirDlg.h"

#include <QAction>
#include <QMenu>
#include <cmath>

#include "cane/TsBatchParamDlg.h"
#include "cane/TsFarmerCardDlg.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "cane/TsWeighingService.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmColumnFit.h"

namespace {

constexpr TsCodeDirIds kIds{CTsFarmerDirDlg::kList,   CTsFarmerDirDlg::kParentText,
                            CTsFarmerDirDlg::kAdd,    CTsFarmerDirDlg::kModify,
                            CTsFarmerDirDlg::kRemove, CTsFarmerDirDlg::kDown,
                            CTsFarmerDirDlg::kBack};

int AdvanceCount() {
  return TsGetKindItemCount(0, 1, 2, 0);
}

// The amount of a total: blank when it is zero.
std::string TotalText(double total) {
  return std::fabs(total) > 0.00001 ? FormatStr("%.2f元", total) : std::string();
}

}  // namespace

CTsFarmerDirDlg::CTsFarmerDirDlg(CSmDatabase* db, int mode, const std::string& startCode,
                                 QWidget* parent)
    : CTsCodeDirDlg(952, kIds, db, mode, startCode, "02", 1, std::make_unique<CNH>(), parent) {
  setWindowTitle(QStringLiteral("农户目录"));
}

int CTsFarmerDirDlg::CodeLevel(const std::string& code) const {
  return TsGetFarmerCodeLevel(code);
}

int CTsFarmerDirDlg::LevelCount() const {
  return TsGetFarmerLevelCount();
}

int CTsFarmerDirDlg::LevelLength(int level) const {
  return TsGetIntParam(TsIntParam::FarmerLevel1Len + level);
}

int CTsFarmerDirDlg::FullCodeLength() const {
  return TsGetFarmerCodeLen();
}

void CTsFarmerDirDlg::SetupColumns() {
  CTsCodeDirDlg::SetupColumns();
  std::vector<int> widths = {100, 120, 100, 120, 120, 100, 120};
  std::vector<std::string> captions = {"代码",     "名称",     "电话", "银行户码",
                                       "银行账号", "银行户名", "备注"};
  if (ShowsAmounts()) {
    for (int n = 0; n < AdvanceCount(); ++n) {
      widths.push_back(90);
      captions.push_back(TsGetKindItemName(0, 1, 2, 0, n));
    }
    for (int n = 0; n < TsGetLinkParamCount(0); ++n) {
      widths.push_back(90);
      captions.push_back(TsGetLinkParamName(0, n));
    }
  }
  List()->SetColumns(widths, captions);
}

Qt::Alignment CTsFarmerDirDlg::GetColumnFormat(int column) {
  return column > 3 ? Qt::AlignRight : Qt::AlignLeft;
}

void CTsFarmerDirDlg::FillList() {
  ShowParent();
  std::vector<CNH> rows;
  CNH(Database(), CurrentCode()).Select(rows, 2);
  const int items = ShowsAmounts() ? AdvanceCount() : 0;
  const int params = ShowsAmounts() ? TsGetLinkParamCount(0) : 0;
  std::vector<TsSlipAmounts> sums(rows.size(), TsSlipAmounts{});
  CTsWeighingService* service = TsGetWeighingService();
  if (items > 0 && service && !rows.empty()) {
    std::vector<std::string> codes;
    for (const CNH& row : rows) codes.push_back(row.KNO);
    service->GetChildOpenings(CurrentCode(), codes, sums, Database());
    sums.resize(rows.size(), TsSlipAmounts{});
  }
  CSmCodeList* list = List();
  list->clear();
  m_totals.assign(items, 0.0);
  for (size_t r = 0; r < rows.size(); ++r) {
    const CNH& row = rows[r];
    std::vector<std::string> texts = {row.KNO,  row.NA,   row.TEL, row.BkNO,
                                      row.BkHO, row.BkNA, row.NT};
    for (int n = 0; n < items; ++n) {
      const double amount = sums[r][TsGetKindItemIndex(0, 1, 2, 0, n)];
      texts.push_back(FormatStr("%.2f", amount));
      m_totals[n] = RoundTo(m_totals[n] + amount, 2);
    }
    for (int n = 0; n < params; ++n)
      texts.push_back(FormatNumber(row.cs[TsGetLinkParamIndex(0, n)], 0, 0, 4));
    list->AddRow(texts, 0);
  }
  SmWidenColumnsToContents(list, {3, 4, 5});  // the bank's code, account and name
  list->setFocus();
}

std::string CTsFarmerDirDlg::AdvanceTotalsText() const {
  std::string text = "当前农户预付款合计数为：\n";
  double sum = 0;
  for (size_t n = 0; n < m_totals.size(); ++n) {
    text += "\n    " + TsGetKindItemName(0, 1, 2, 0, static_cast<int>(n)) + "：" +
            TotalText(m_totals[n]);
    sum += m_totals[n];
  }
  return text + "\n    合计：" + TotalText(sum);
}

bool CTsFarmerDirDlg::OnExtraCommand(unsigned id) {
  if (id == SM_ID_FARMER_ADVANCE_TOTALS) {
    SmMessageBox(AdvanceTotalsText(), SM_MB_ICONINFORMATION);
    return false;
  }
  if (id == SM_ID_BATCH_PARAMS) {
    ChangeParams();
    return false;
  }
  return true;
}

void CTsFarmerDirDlg::ChangeParams() {
  std::vector<std::string> codes;
  List()->GetSelectedTexts(codes);
  CTsBatchParamDlg dlg(0, codes, Database(), this);
  dlg.DoModal();
  FillList();
  List()->clearSelection();
  List()->SelectTexts(codes);
}

void CTsFarmerDirDlg::AddContextMenuItems(QMenu* popup) {
  QAction* cut = nullptr;
  for (QAction* action : popup->actions()) {
    if (action->data().toUInt() == SM_ID_EDIT_CUT) cut = action;
  }
  bool added = false;
  auto add = [&](unsigned id, const char* text) {
    auto* action = new QAction(QString::fromUtf8(text), popup);
    action->setObjectName(QString::number(id));
    action->setData(id);
    popup->insertAction(cut, action);
    added = true;
  };
  if (ShowsAmounts() && AdvanceCount() > 0) add(SM_ID_FARMER_ADVANCE_TOTALS, "显示预付款合计数");
  if (TsGetLinkParamCount(0) > 0) add(SM_ID_BATCH_PARAMS, "成批修改参数");
  if (added) popup->insertSeparator(cut);
}

bool CTsFarmerDirDlg::IsCommandEnabled(unsigned id) {
  if (id == SM_ID_FARMER_ADVANCE_TOTALS) return ShowsAmounts() && AdvanceCount() > 0;
  if (id == SM_ID_BATCH_PARAMS)
    return CanMaintain() && TsGetLinkParamCount(0) > 0 && !List()->selectedItems().isEmpty();
  return CTsCodeDirDlg::IsCommandEnabled(id);
}

bool CTsFarmerDirDlg::RunCard(std::string& code, bool add) {
  CTsFarmerCardDlg card(Database(), CurrentCode(), code, add, this);
  if (card.DoModal() != SM_IDOK) return false;
  code = card.Farmer().KNO;
  return true;
}
