#include "reports/TsReportDoc4.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

#include "app/SmApp.h"
#include "cane/TsItems.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kTransporterTemplate = 267;
constexpr int kValueCount = 4;

int WithholdingCount(int kind) {
  return TsGetKindItemCount(kind, 1, 1, 0);
}

int AdvanceCount(int kind) {
  return TsGetKindItemCount(kind, 1, 2, 0);
}

bool AllAdvances(int kind, int category, int index) {
  return category == 2 && index >= AdvanceCount(kind);
}

// The amount of the followed item in a jsSheet row; empty when there is no such item.
std::string MoneyExpression(const TsMovementQuery& q) {
  const int kind = q.nSettleKind;
  if (!AllAdvances(kind, q.nItemCategory, q.nItemIndex)) {
    const int item = TsGetKindItemIndex(kind, 1, q.nItemCategory, 0, q.nItemIndex);
    return item < 0 ? std::string() : FormatStr("MY%d", item);
  }
  std::string sum;
  for (int n = 0; n < AdvanceCount(kind); ++n)
    sum += FormatStr("+MY%d", TsGetKindItemIndex(kind, 1, 2, 0, n));
  return sum.empty() ? sum : "(" + sum.substr(1) + ")";
}

// 1 for the rows of the opening balance, of the period's advances (and withholdings) and of
// what the period took back, else 0.
std::array<std::string, 3> Selectors(const std::string& from, CSmDatabase* db) {
  const char* conditions[3] = {"DH='' Or T<'%s'", "DH<>'' And T>='%s' And db>'1'",
                               "DH<>'' And T>='%s' And db<'2'"};
  const std::string date = db->SqlText(from);
  std::array<std::string, 3> selectors;
  for (int s = 0; s < 3; ++s) {
    const std::string condition = FormatStr(conditions[s], date.c_str());
    selectors[static_cast<size_t>(s)] =
        db->GetKind() == 0 ? FormatStr("iif(%s,1,0)", condition.c_str())
                           : FormatStr("case when %s then 1 else 0 end", condition.c_str());
  }
  return selectors;
}

std::string MovementStatement(const TsMovementQuery& q, const std::string& money,
                              const std::string& key, CSmDatabase* db) {
  std::string sql = "Select ";
  for (const std::string& selector : Selectors(q.sDateFrom, db))
    sql += FormatStr("sum(%s*%s),", money.c_str(), selector.c_str());
  sql += FormatStr("%s From jsSheet Where lb='%d' And T<='%s'", key.c_str(), q.nSettleKind,
                   db->SqlText(q.sDateTo).c_str());
  if (!q.bIncludeUnreviewed) sql += " And OPR1<>''";
  if (q.nSettleKind == 0) sql += TsPrefixCondition("KNO", q.sFilter[0], db);
  return sql + FormatStr(" Group By %s Order By %s", key.c_str(), key.c_str());
}

}  // namespace

int FillAdvanceMovement(const TsMovementQuery& q, CTsReportRow& work,
                        std::vector<CTsReportRow>& rows, CSmDatabase* db) {
  const bool farmers = q.nSettleKind == 0;
  const std::array<int, 5> lengths = TsGetLevelLengths(false);
  const int level = std::clamp(q.nLevel, 0, 4);
  const std::string key =
      farmers ? FormatStr("Left(KNO,%d)", lengths[static_cast<size_t>(level)]) : "KNO";
  work.LoadNames(q.nSettleKind, lengths, level, farmers ? q.sFilter[0] : std::string(), rows, db);
  const std::string money = MoneyExpression(q);
  if (money.empty()) return 0;

  // Transporter codes are flat: a code that begins another is another household.
  CTsRollUp rollUp(rows, CTsRollUp::Money, !farmers);
  CSmQuery movements(0, 3, 1, db);
  if (!movements.Open(MovementStatement(q, money, key, db))) return 0;
  for (; !movements.IsEOF(); movements.MoveNext()) {
    work.Clear();
    work.sCode = TrimRightSet(movements.GetString(0), " ");
    std::vector<double>& v = work.Values;
    v[0] = -movements.GetDouble(0);
    v[1] = -movements.GetDouble(1);
    v[2] = movements.GetDouble(2);
    v[3] = v[1] + v[0] - v[2];
    rollUp.Add(work);
  }
  return static_cast<int>(rows.size());
}

// ---------------------------------------------------------------- CTsReportDoc4

CTsReportDoc4::CTsReportDoc4() : CTsReportDoc(std::make_unique<TsMovementQuery>()) {}

void CTsReportDoc4::OnInitDocument() {
  nSettleKind = nFlag == kTransporterTemplate ? 1 : 0;
  CTsReportDoc::OnInitDocument();
  for (int k = 1; k < 4; ++k) sFilter[k].clear();
  nRowKind = nSettleKind;
  query.nItemCategory = StrToIntDef(m_openModes[12], 0);
  query.nItemIndex = StrToIntDef(m_openModes[13], 0);
  query.bIncludeUnreviewed = StrToIntDef(m_openModes[11], 0);
}

void CTsReportDoc4::DefineTitle(CSmFormDef& def) {
  def.sFna = nSettleKind == 1 ? "运户预付(代扣)款余额及发生额表" : "农户预付(代扣)款余额及发生额表";
  def.nOpen = 0;
  def.nTopNum = 3;
}

void CTsReportDoc4::DefineColumns(CSmFormDef& def) {
  struct ColumnSpec {
    int type, fact, less, more;
    const char* spec;
  };
  constexpr ColumnSpec kColumns[] = {
      {1, 606, 0, 0, "代码/STRING/LEFT"},
      {2, 1515, 0, 0, "名称/STRING/LEFT"},
      {110, 1616, 2, 2, "期初余额/NUMBER/RIGHT"},
      {111, 1616, 2, 2, "本期已预付\\或应代扣数/NUMBER/RIGHT"},
      {112, 1616, 2, 2, "本期扣回数/NUMBER/RIGHT"},
      {113, 1616, 2, 2, "期末余额/NUMBER/RIGHT"},
  };
  def.m_cols.clear();
  for (const ColumnSpec& c : kColumns) AppendColumn(def, c.type, c.fact, c.less, c.more, c.spec);
  ApplyColumnVisibility(def);
}

bool CTsReportDoc4::LoadRows(int /*openMode*/) {
  if (WithholdingCount(nSettleKind) + AdvanceCount(nSettleKind) == 0) {
    SmMessageBox("未定义代扣款或预付款项目！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  CTsReportQueryDlg4 dlg(m_db, m_kind.sName, query, bSkipEmpty, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  query = dlg.m_query;
  bSkipEmpty = dlg.m_skipEmpty;
  const TsMovementQuery& q = query;
  m_openModes[11] = std::to_string(q.bIncludeUnreviewed);
  m_openModes[12] = std::to_string(q.nItemCategory);
  m_openModes[13] = std::to_string(q.nItemIndex);
  sHeading[0] =
      AllAdvances(nSettleKind, q.nItemCategory, q.nItemIndex)
          ? "款项：预付款合计"
          : "款项：" + TsGetKindItemName(nSettleKind, 1, q.nItemCategory, 0, q.nItemIndex);
  return true;
}

void CTsReportDoc4::Refresh() {
  CSmWaitWnd busy;
  CTsReportRow work(kValueCount);
  std::vector<CTsReportRow> rows;
  FillAdvanceMovement(query, work, rows, m_db);
  FillFromRows({}, {0, 1, 2, 3}, rows);
}

// ---------------------------------------------------------------- CTsReportQueryDlg4

CTsReportQueryDlg4::CTsReportQueryDlg4(CSmDatabase* db, const std::string& title,
                                       const std::string& dateFrom, const std::string& dateTo,
                                       const std::string& region, int rowKind, int level,
                                       int skipEmpty, int itemCategory, int itemIndex,
                                       int includeUnreviewed, QWidget* parent)
    : CTsReportQueryDlg4(
          db, title,
          [&] {
            TsMovementQuery q;
            q.sDateFrom = dateFrom;
            q.sDateTo = dateTo;
            q.sFilter[0] = region;
            q.nRowKind = q.nSettleKind = rowKind;
            q.nLevel = level;
            q.nItemCategory = itemCategory;
            q.nItemIndex = itemIndex;
            q.bIncludeUnreviewed = includeUnreviewed;
            return q;
          }(),
          skipEmpty, parent) {}

CTsReportQueryDlg4::CTsReportQueryDlg4(CSmDatabase* db, const std::string& title,
                                       const TsMovementQuery& q, int skipEmpty, QWidget* parent)
    : CTsReportQueryDlg(db, title, q.sDateFrom, q.sDateTo, {}, {q.sFilter[0], {}, {}, {}},
                        q.nSettleKind, q.nLevel, skipEmpty, 968, parent),
      m_query(q) {
  KeepRegionAndLevel(true, "&Q.区域：");
  auto* row = new QHBoxLayout(OwnRow());
  row->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(QStringLiteral("&P.款项名称："), OwnRow());
  row->addWidget(label);
  m_items = new QComboBox(OwnRow());
  m_items->setObjectName(QString::number(kItemCombo));
  m_items->setMinimumContentsLength(12);
  label->setBuddy(m_items);
  row->addWidget(m_items);
  m_unreviewed = new QCheckBox(QStringLiteral("&W.含未复核单据"), OwnRow());
  m_unreviewed->setObjectName(QString::number(kIncludeUnreviewed));
  row->addWidget(m_unreviewed);
  row->addStretch();
}

void CTsReportQueryDlg4::OnInitDialog() {
  CTsReportQueryDlg::OnInitDialog();
  const int kind = m_rowKind;
  m_items->clear();
  for (int category : {1, 2}) {
    for (int n = 0; n < TsGetKindItemCount(kind, 1, category, 0); ++n)
      m_items->addItem(QString::fromStdString(TsGetKindItemName(kind, 1, category, 0, n)));
  }
  if (AdvanceCount(kind) >= 2) m_items->addItem(QStringLiteral("预付款合计"));
  DoDataExchange(false);
  EnableRegionForFarmers();
}

void CTsReportQueryDlg4::DoDataExchange(bool save) {
  CTsReportQueryDlg::DoDataExchange(save);
  if (save) {
    m_query.sDateFrom = m_dateFrom;
    m_query.sDateTo = m_dateTo;
    m_query.sFilter[0] = m_filter[0];
    m_query.nLevel = m_level;
    m_query.bIncludeUnreviewed = m_unreviewed->isChecked() ? 1 : 0;
    return;
  }
  const int position =
      WithholdingCount(m_rowKind) * (m_query.nItemCategory - 1) + m_query.nItemIndex;
  m_items->setCurrentIndex(position >= 0 && position < m_items->count() ? position : -1);
  m_unreviewed->setChecked(m_query.bIncludeUnreviewed != 0);
}

bool CTsReportQueryDlg4::ValidateAndSave() {
  if (!CheckDate(1) || !ValidateBase() || !CheckRange()) return false;
  DoDataExchange(true);
  const int position = m_items->currentIndex();
  if (position < 0) return RefuseAt(m_items, "未选择款项项目！");
  const int withholdings = WithholdingCount(m_rowKind);
  m_query.nItemCategory = position < withholdings ? 1 : 2;
  m_query.nItemIndex = position < withholdings ? position : position - withholdings;
  return true;
}
