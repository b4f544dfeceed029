#include "cane/TsVarietyDirDlg.h"

#include "cane/TsGp.h"
#include "cane/TsParams.h"
#include "cane/TsVarietyCardDlg.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

namespace {

constexpr TsCodeDirIds kIds{CTsVarietyDirDlg::kList,   CTsVarietyDirDlg::kParentText,
                            CTsVarietyDirDlg::kAdd,    CTsVarietyDirDlg::kModify,
                            CTsVarietyDirDlg::kRemove, CTsVarietyDirDlg::kDown,
                            CTsVarietyDirDlg::kBack};
constexpr int kPriceColumn = 2;

}  // namespace

CTsVarietyDirDlg::CTsVarietyDirDlg(CSmDatabase* db, int mode, const std::string& startCode,
                                   QWidget* parent)
    : CTsCodeDirDlg(963, kIds, db, mode, startCode, "05", 4, std::make_unique<CGp>(), parent) {
  setWindowTitle(QStringLiteral("甘蔗品种目录"));
}

int CTsVarietyDirDlg::CodeLevel(const std::string& code) const {
  return TsGetVarietyCodeLevel(code);
}

int CTsVarietyDirDlg::LevelCount() const {
  return TsGetVarietyLevelCount();
}

int CTsVarietyDirDlg::LevelLength(int level) const {
  return TsGetIntParam(TsIntParam::VarietyLevel1Len + level);
}

int CTsVarietyDirDlg::FullCodeLength() const {
  return TsGetVarietyCodeLen();
}

void CTsVarietyDirDlg::SetupColumns() {
  CTsCodeDirDlg::SetupColumns();
  List()->SetColumns({100, 160, 90, 180}, {"代码", "名称", "吨蔗价\t", "备注"});
}

Qt::Alignment CTsVarietyDirDlg::GetColumnFormat(int column) {
  return column == kPriceColumn ? Qt::AlignRight : Qt::AlignLeft;
}

void CTsVarietyDirDlg::FillList() {
  ShowParent();
  std::vector<CGp> rows;
  CGp(Database(), CurrentCode()).Select(rows, 2);
  CSmCodeList* list = List();
  list->clear();
  for (const CGp& row : rows) {
    const std::string price = IsLowestLevel(row.KNO) ? FormatStr("%.2f", row.PR) : std::string();
    list->AddRow({row.KNO, row.NA, price, row.NT}, 0);
  }
  list->setFocus();
}

bool CTsVarietyDirDlg::RunCard(std::string& code, bool add) {
  CTsVarietyCardDlg card(Database(), CurrentCode(), code, add, this);
  if (card.DoModal() != SM_IDOK) return false;
  code = card.Variety().KNO;
  return true;
}
