#include "reports/TsReportDoc6.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <algorithm>
#include <unordered_map>

#include "app/SmApp.h"
#include "cane/TsDriverRec.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kTransporterTemplate = 270;
constexpr int kTypeIds[2] = {CTsReportQueryDlg6::kOpeningBalance,
                             CTsReportQueryDlg6::kClosingBalance};
constexpr int kIncludeUnreviewed = 1039;

int LinkCount(int kind) {
  return kind == 0 ? TsGetLinkParamCount(0) : 0;
}

int AdvanceCount(int kind) {
  return TsGetKindItemCount(kind, 1, 2, 0);
}

int AdvanceItem(int kind, int n) {
  return TsGetKindItemIndex(kind, 1, 2, 0, n);
}

// Farmer rows down to the level, each with its telephone, note and linked parameters; every
// region row counts the full-length farmers under it.
void LoadFarmers(const TsBalanceQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
                 CSmDatabase* db) {
  const std::array<int, 5> lengths = TsGetLevelLengths(false);
  const int length = lengths[static_cast<size_t>(std::clamp(q.nLevel, 0, 4))];
  const int full = lengths[4];
  const int links = LinkCount(0);
  std::vector<CNH> farmers;
  CNH reader(db, {});
  reader.Select(farmers, 0,
                FormatStr("Where KNO Like '%s\a*\b' And Len(rtrim(KNO))<=%d",
                          db->SqlText(q.sFilter[0]).c_str(), length));
  for (const CNH& farmer : farmers) {
    work.Clear();
    work.sCode = TrimRightSet(farmer.KNO, " ");
    work.sName = TsLevelIndent(work.sCode, lengths) + farmer.NA;
    work.Texts[0] = farmer.TEL;
    work.Texts[1] = farmer.NT;
    for (int p = 0; p < links; ++p) {
      const int j = TsGetLinkParamIndex(0, p);
      if (j >= 0 && j < 4) work.Values[static_cast<size_t>(2 + p)] = farmer.cs[j];
    }
    rows.push_back(work);
  }
  std::unordered_map<std::string, size_t> regions;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (static_cast<int>(rows[i].sCode.size()) < full) regions[rows[i].sCode] = i;
  }
  if (regions.empty()) return;
  std::vector<std::string> codes[1];
  db->QueryStrings(FormatStr("Select rtrim(KNO) From NHDir Where KNO Like '%s\a*\b'",
                             db->SqlText(q.sFilter[0]).c_str()),
                   codes, 1);
  for (std::string code : codes[0]) {
    code = TrimRightSet(code, " ");
    if (static_cast<int>(code.size()) != full) continue;
    for (int n = 0; n < full; ++n) {
      const auto it = regions.find(code.substr(0, static_cast<size_t>(n)));
      if (it != regions.end()) rows[it->second].Values[0] += 1;
    }
  }
}

void LoadTransporters(CTsReportRow& work, std::vector<CTsReportRow>& rows, CSmDatabase* db) {
  std::vector<CTsDriverRec> drivers;
  TsDriverLoadAll(drivers, db);
  for (const CTsDriverRec& driver : drivers) {
    work.Clear();
    work.sCode = TrimRightSet(driver.KNO, " ");
    work.sName = driver.NA;
    work.Texts[0] = driver.PNO;
    work.Texts[1] = driver.TEL;
    work.Texts[2] = driver.ADR;
    if (!driver.WG0.empty() || !driver.WG1.empty())
      work.Texts[3] = FormatStr("%s～%s", driver.WG0.c_str(), driver.WG1.c_str());
    work.Texts[4] = driver.NT;
    work.Values[0] = 1;
    rows.push_back(work);
  }
}

std::string BalanceStatement(const TsBalanceQuery& q, CSmDatabase* db) {
  const int kind = q.nRowKind;
  std::string sql = "Select ";
  for (int n = 0; n < AdvanceCount(kind); ++n)
    sql += FormatStr("-sum(MY%d),", AdvanceItem(kind, n));
  sql += FormatStr("rtrim(KNO) From jsSheet Where LB='%d'", kind);
  if (q.nBalanceType == 0) sql += " And DH=''";
  if (kind == 0) sql += TsPrefixCondition("KNO", q.sFilter[0], db);
  if (q.nBalanceType == 1 && !q.bIncludeUnreviewed) sql += " And OPR1<>''";
  return sql + " Group By KNO Order By KNO";
}

}  // namespace

int TsBalanceTextCount(int kind) {
  return kind == 1 ? 5 : 2;
}

int TsBalanceValueCount(int kind) {
  const int items = AdvanceCount(kind);
  return 2 + LinkCount(kind) + items + (items > 1 ? 1 : 0);
}

int FillHouseholdBalance(const TsBalanceQuery& q, CTsReportRow& work,
                         std::vector<CTsReportRow>& rows, CSmDatabase* db) {
  const int kind = q.nRowKind;
  const size_t first = rows.size();
  if (kind == 1) {
    LoadTransporters(work, rows, db);
  } else {
    LoadFarmers(q, work, rows, db);
  }
  // The roll-ups round every value from the third to cents: the linked parameters are put
  // back afterwards.
  const size_t links = static_cast<size_t>(LinkCount(kind));
  std::vector<std::vector<double>> params;
  for (size_t i = first; i < rows.size(); ++i) {
    params.emplace_back(rows[i].Values.begin() + 2, rows[i].Values.begin() + 2 + links);
  }
  // Transporter codes are flat: a code that begins another is another household.
  const bool flat = kind == 1;
  std::vector<CTsReportRow> households(rows.begin() + static_cast<long>(first), rows.end());
  rows.resize(first);
  {
    CTsRollUp rollUp(households, CTsRollUp::Qty, flat);
    CSmQuery delivering(0, 0, 1, db);
    std::string sql = FormatStr("Select Distinct rtrim(KNO%d) From gbSheet", kind);
    if (kind == 0 && !q.sFilter[0].empty())
      sql += FormatStr(" Where KNO0 Like '%s\a*\b'", db->SqlText(q.sFilter[0]).c_str());
    if (delivering.Open(sql)) {
      work.Clear();
      work.Values[1] = 1;
      for (; !delivering.IsEOF(); delivering.MoveNext()) {
        work.sCode = delivering.GetString(0);
        rollUp.Add(work);
      }
    }
    const int items = AdvanceCount(kind);
    const size_t at = 2 + links;
    CSmQuery balances(0, items, 1, db);
    if (balances.Open(BalanceStatement(q, db))) {
      for (; !balances.IsEOF(); balances.MoveNext()) {
        work.Clear();
        double sum = 0;
        for (int n = 0; n < items; ++n) {
          const double value = balances.GetDouble(n);
          work.Values[at + static_cast<size_t>(n)] = value;
          sum += value;
        }
        if (items > 1) work.Values[at + static_cast<size_t>(items)] = RoundTo(sum, 2);
        work.sCode = TrimRightSet(balances.GetString(0), " ");
        rollUp.Add(work);
      }
    }
  }
  for (size_t i = 0; i < households.size(); ++i) {
    std::copy(params[i].begin(), params[i].end(), households[i].Values.begin() + 2);
    rows.push_back(std::move(households[i]));
  }
  return static_cast<int>(rows.size());
}

// ---------------------------------------------------------------- CTsReportDoc6

CTsReportDoc6::CTsReportDoc6() : CTsReportDoc(std::make_unique<TsBalanceQuery>()) {}

void CTsReportDoc6::OnInitDocument() {
  CTsReportDoc::OnInitDocument();
  query.nBalanceType = StrToIntDef(m_openModes[11], 0);
  query.bIncludeUnreviewed = StrToIntDef(m_openModes[12], 0);
  nRowKind = nFlag == kTransporterTemplate ? 1 : 0;
}

void CTsReportDoc6::OnCloseDocument() {
  m_openModes.resize(kTsReportVarCount);
  m_openModes[11] = std::to_string(query.nBalanceType);
  m_openModes[12] = std::to_string(query.bIncludeUnreviewed);
  CTsReportDoc::OnCloseDocument();  // may destroy this document
}

void CTsReportDoc6::DefineTitle(CSmFormDef& def) {
  def.sFna = query.nRowKind == 1 ? "运户及其预付款余额表" : "农户及其预付款余额表";
  def.nOpen = 0;
  def.nTopNum = 3;
}

void CTsReportDoc6::DefineColumns(CSmFormDef& def) {
  const bool transporters = query.nRowKind == 1;
  def.m_cols.clear();
  auto add = [&def](int type, int fact, int less, int more, const std::string& spec) {
    def.InsertCol(static_cast<int>(def.m_cols.size()), type, fact, less, more, spec);
  };
  add(1, 606, 0, 0, "代码/STRING/LEFT");
  add(2, 1515, 0, 0, "名称/STRING/LEFT");
  if (transporters) add(103, 1212, 0, 0, "车牌号/STRING/LEFT");
  add(104, 1212, 0, 0, "电话/STRING/LEFT");
  if (transporters) {
    add(105, 2020, 0, 0, "住址/STRING/LEFT");
    add(106, 707, 0, 0, "载重量/STRING/LEFT");
  }
  add(110, 505, 0, 0, "户\\数/NUMBER/MID");
  add(111, 505, 0, 0, FormatStr("%s蔗\\户数/NUMBER/MID", transporters ? "运" : "交"));
  for (int p = 0; p < LinkCount(query.nRowKind); ++p) {
    add(120 + TsGetLinkParamIndex(0, p), 606, 0, 4,
        SplitTextEvenly(6, TsGetLinkParamName(0, p)) + "/NUMBER/RIGHT/00");
  }
  const int items = AdvanceCount(query.nRowKind);
  for (int n = 0; n < items; ++n) {
    add(140 + AdvanceItem(query.nRowKind, n), 1212, 2, 2,
        SplitTextEvenly(8, TsGetKindItemName(query.nRowKind, 1, 2, 0, n)) + "/NUMBER/RIGHT");
  }
  if (items > 1) add(160, 1515, 2, 2, "合  计/NUMBER/RIGHT");
  add(109, 1616, 0, 0, "备注/STRING/LEFT");
  ApplyColumnVisibility(def);
}

void CTsReportDoc6::DefineHeadNotes(CSmFormDef& def) {
  CTsReportDoc::DefineHeadNotes(def);
  std::erase_if(def.m_headNotes,
                [](const CSmFormHeadNote& note) { return note.sNote == "报告期"; });
}

bool CTsReportDoc6::LoadRows(int /*openMode*/) {
  CTsReportQueryDlg6 dlg(m_db, m_kind.sName, query, bSkipEmpty, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  query = dlg.m_query;
  bSkipEmpty = dlg.m_skipEmpty;
  sHeading[0] = FormatStr("报表类别：期%s余额表", query.nBalanceType == 1 ? "末" : "初");
  return true;
}

void CTsReportDoc6::Refresh() {
  CSmWaitWnd busy;
  const int kind = query.nRowKind;
  std::vector<int> textCodes = kind == 1 ? std::vector<int>{3, 4, 5, 6, 9} : std::vector<int>{4, 9};
  std::vector<int> valueCodes = {0, 1};
  for (int p = 0; p < LinkCount(kind); ++p) valueCodes.push_back(TsGetLinkParamIndex(0, p) + 10);
  const int items = AdvanceCount(kind);
  for (int n = 0; n < items; ++n) valueCodes.push_back(AdvanceItem(kind, n) + 30);
  if (items > 1) valueCodes.push_back(50);
  CTsReportRow work(static_cast<int>(textCodes.size()), static_cast<int>(valueCodes.size()));
  std::vector<CTsReportRow> rows;
  FillHouseholdBalance(query, work, rows, m_db);
  FillFromRows(textCodes, valueCodes, rows);
}

// ---------------------------------------------------------------- CTsReportQueryDlg6

CTsReportQueryDlg6::CTsReportQueryDlg6(CSmDatabase* db, const std::string& title,
                                       const TsBalanceQuery& q, int skipEmpty, QWidget* parent)
    : CTsReportQueryDlg(db, title, {}, {}, {}, {q.sFilter[0], {}, {}, {}}, q.nRowKind, q.nLevel,
                        skipEmpty, 973, parent),
      m_query(q) {
  KeepOwnControls();
  auto* row = new QHBoxLayout(OwnRow());
  row->setContentsMargins(0, 0, 0, 0);
  auto* typeLabel = new QLabel(QStringLiteral("&1.报表类型："), OwnRow());
  row->addWidget(typeLabel);
  auto* types = new QButtonGroup(this);
  const char* typeTexts[2] = {"期初余额表", "期末余额表"};
  for (int k = 0; k < 2; ++k) {
    m_types[k] = new QRadioButton(QString::fromUtf8(typeTexts[k]), OwnRow());
    m_types[k]->setObjectName(QString::number(kTypeIds[k]));
    types->addButton(m_types[k], k);
    row->addWidget(m_types[k]);
  }
  typeLabel->setBuddy(m_types[0]);
  m_unreviewed = new QCheckBox(QStringLiteral("含未复核单据"), OwnRow());
  m_unreviewed->setObjectName(QString::number(kIncludeUnreviewed));
  row->addWidget(m_unreviewed);
  row->addStretch();
  DoDataExchange(false);
}

// Only the region with its picker, the level and "去空行" stay of the common controls.
void CTsReportQueryDlg6::KeepOwnControls() {
  KeepRegionAndLevel(false, "&Q.区    域：");
  TsRelabelBuddy(this, kLevel, "&C.级    次：");
}

void CTsReportQueryDlg6::OnInitDialog() {
  CTsReportQueryDlg::OnInitDialog();
  EnableRegionForFarmers();
  m_types[m_query.nBalanceType == 1 ? 1 : 0]->setFocus();
}

void CTsReportQueryDlg6::DoDataExchange(bool save) {
  CTsReportQueryDlg::DoDataExchange(save);
  if (save) {
    m_query.nBalanceType = m_types[1]->isChecked() ? 1 : 0;
    m_query.bIncludeUnreviewed = m_unreviewed->isChecked() ? 1 : 0;
    m_query.sFilter[0] = m_filter[0];
    m_query.nLevel = m_level;
    return;
  }
  m_types[m_query.nBalanceType == 1 ? 1 : 0]->setChecked(true);
  m_unreviewed->setChecked(m_query.bIncludeUnreviewed != 0);
}

bool CTsReportQueryDlg6::ValidateAndSave() {
  DoDataExchange(true);
  return m_rowKind == 1 || CheckLevel();
}
