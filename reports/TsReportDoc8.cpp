#include "reports/TsReportDoc8.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"
#include "weighing/TsSlipOps.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsRec.h"

namespace {

constexpr int kModule = 16;
constexpr const char* kPayRight = "33";  // "蔗款结算单付款"

struct BankDetails {
  std::string name, number, account, accountName;
};

// The farmers with a bank account by code.
std::map<std::string, BankDetails> LoadBankFarmers(CSmDatabase* db) {
  std::map<std::string, BankDetails> farmers;
  std::vector<std::string> columns[5];
  db->QueryStrings(
      "Select rtrim(KNO),rtrim(NA),rtrim(BkNO),rtrim(BkHO),rtrim(BkNA) From NHDir Where "
      "BkHO<>''",
      columns, 5);
  for (size_t i = 0; i < columns[0].size(); ++i) {
    if (TrimChars(columns[3][i]).empty()) continue;
    farmers[TrimChars(columns[0][i])] = {columns[1][i], columns[2][i], columns[3][i],
                                         columns[4][i]};
  }
  return farmers;
}

std::string TicketStatement(const TsBankQuery& q, CSmDatabase* db) {
  std::string sql = "Select Count(distinct JN0),sum(MU0-MU1-MU2)," + TsSettlementTicketSums(0) +
                    "rtrim(KNO0) " +
                    FormatStr("From gbSheet Where JT0>='%s' And JT0<='%s' And JN0<>''",
                              db->SqlText(q.sDateFrom).c_str(), db->SqlText(q.sDateTo).c_str());
  sql += q.nBatch > 0 ? FormatStr(" And FK=%d And OPR4<>''", q.nBatch)
                      : std::string(" And OPR2<>'' And OPR4=''");
  return sql + TsPrefixCondition("KNO0", q.sFilter[0], db) + " Group By KNO0 Order By KNO0";
}

std::string DeductionStatement(const TsBankQuery& q, CSmDatabase* db) {
  std::string sql = "Select " + TsSettlementSlipSums(0) +
                    FormatStr(
                        "KNO From jsSheet Where lb='0' And DB='0' And DH<>'' And T>='%s' And "
                        "T<='%s'",
                        db->SqlText(q.sDateFrom).c_str(), db->SqlText(q.sDateTo).c_str());
  sql +=
      q.nBatch > 0 ? FormatStr(" And FK=%d And Opr1<>''", q.nBatch) : std::string(" And Opr1=''");
  return sql + TsPrefixCondition("KNO", q.sFilter[0], db) + " Group By KNO Order By KNO";
}

std::string Trimmed(const std::string& text) {
  return TrimChars(text);
}

std::string BatchNote(int batch, const std::string& region, const std::string& from,
                      const std::string& to) {
  return FormatStr("%d-->%s(%s～%s)", batch, region.c_str(), from.c_str(), to.c_str());
}

// The lock that makes batch numbers one after another when stations record at once: the data
// file's write transaction holds it already.
bool LockBatchNumbers(CSmDatabase* db) {
  if (db->GetKind() == 0) return true;
  return db->OnPostgres() ? db->ExecuteSQL("Lock Table SysCsTab In Share Row Exclusive Mode")
                          : db->ExecuteSQL(
                                "Select Count(*) From SysCsTab With (TablockX,HoldLock) Where "
                                "Cs=4160");
}

// A bank query of the choices given one by one.
TsBankQuery BankQuery(int batch, const std::string& dateFrom, const std::string& dateTo,
                      const std::string (&oprCode)[2], const std::string& region, int level) {
  TsBankQuery q(batch, dateFrom, dateTo, region);
  for (int k = 0; k < 2; ++k) q.sOprCode[k] = oprCode[k];
  q.nLevel = level;
  return q;
}

}  // namespace

TsBankQuery::TsBankQuery(int batch, const std::string& dateFrom, const std::string& dateTo,
                         const std::string& region)
    : nBatch(batch) {
  sDateFrom = dateFrom;
  sDateTo = dateTo;
  sFilter[0] = region;
}

int FillBankPayment(const TsBankQuery& q, CTsReportRow& work, std::vector<CTsReportRow>& rows,
                    CSmDatabase* db) {
  const TsSettlementItems items(0);
  CSmQuery tickets(1, items.c00 + items.c01 + 2, 1, db);
  if (!tickets.Open(TicketStatement(q, db))) return 0;
  const std::map<std::string, BankDetails> farmers = LoadBankFarmers(db);
  for (; !tickets.IsEOF(); tickets.MoveNext()) {
    TsReadSettlementTicket(tickets, items, work);
    const auto farmer = farmers.find(Trimmed(work.sCode));
    // Farmers without a bank account are not paid through the bank.
    if (farmer == farmers.end()) continue;
    work.sName = farmer->second.name;
    work.Texts = {farmer->second.number, farmer->second.account, farmer->second.accountName};
    rows.push_back(work);
  }

  CSmQuery deductions(0, items.c11 + items.c12, 1, db);
  if (!deductions.Open(DeductionStatement(q, db))) return 0;
  CTsRollUp rollUp(rows, CTsRollUp::Qty, true);
  for (; !deductions.IsEOF(); deductions.MoveNext()) {
    TsReadSettlementSlip(deductions, items, work);
    work.sCode = Trimmed(work.sCode);
    rollUp.Add(work);
  }
  for (CTsReportRow& row : rows) ComputeSettlementTotals(row, 0);
  return static_cast<int>(rows.size());
}

bool TsBankBatchOverlaps(const std::string& batchName, const std::string& from,
                         const std::string& to, const std::string& region) {
  const std::string batchFrom = batchName.substr(0, std::min<size_t>(8, batchName.size()));
  const std::string batchTo = batchName.size() > 8 ? batchName.substr(8, 8) : std::string();
  const std::string batchRegion = batchName.size() > 16 ? Trimmed(batchName.substr(16)) : "";
  if (batchFrom > to || from > batchTo) return false;
  return batchRegion.empty() || region.empty() || batchRegion.starts_with(region) ||
         region.starts_with(batchRegion);
}

int TsRecordBankBatch(const std::string& from, const std::string& to, const std::string& region,
                      CSmDatabase* db) {
  int batch = 0;
  const bool recorded = SmRunInTransaction(db, [&] {
    if (!LockBatchNumbers(db)) return false;
    batch = static_cast<int>(db->QueryCountInt("Max(CsN) From SysCsTab Where Cs=4160")) + 1;
    if (!TsSlipBankMark(0, 0, batch, from, to, region, db) ||
        !CTsjsRec::MarkBankBatch(0, batch, from, to, region, db))
      return false;
    CSmCsRecord row(db);
    row.Set(kTsBankBatchCs, batch, from + to + region, TsOperatorNo());
    return row.Insert();
  });
  return recorded ? batch : 0;
}

// ---------------------------------------------------------------- CTsReportDoc8

CTsReportDoc8::CTsReportDoc8() : CTsReportDoc2(std::make_unique<TsBankQuery>()) {}

void CTsReportDoc8::OnInitDocument() {
  CTsReportDoc::OnInitDocument();
  bankQuery.nBatch = StrToIntDef(m_openModes[11], 0);
  nSettleKind = 0;
  nRowKind = 0;
}

void CTsReportDoc8::OnCloseDocument() {
  m_openModes.resize(kTsReportVarCount);
  m_openModes[11] = std::to_string(bankQuery.nBatch);
  CTsReportDoc::OnCloseDocument();  // may destroy this document
}

void CTsReportDoc8::DefineTitle(CSmFormDef& def) {
  def.sFna = "银行代付蔗款报表";
  def.nOpen = 0;
  def.nTopNum = 3;
}

void CTsReportDoc8::DefineColumns(CSmFormDef& def) {
  DefineSettlementColumns(def);
  def.InsertCol(2, 103, 1616, 0, 0, "银行\\户码/STRING/MID");
  def.InsertCol(3, 104, 1616, 0, 0, "银行\\账号/STRING/MID");
  def.InsertCol(4, 105, 606, 0, 0, "银行\\户名/STRING/LEFT");
  ApplyColumnVisibility(def);
}

bool CTsReportDoc8::LoadRows(int /*openMode*/) {
  CTsReportQueryDlg8 dlg(m_db, m_kind.sName, bankQuery, CSmFrameWnd::Main());
  if (dlg.DoModal() != SM_IDOK) return false;
  bankQuery = dlg.m_query;
  return true;
}

void CTsReportDoc8::Refresh() {
  CSmWaitWnd busy;
  const std::vector<int> valueCodes = SettlementValueCodes();
  CTsReportRow work(3, static_cast<int>(valueCodes.size()));
  std::vector<CTsReportRow> rows;
  FillBankPayment(bankQuery, work, rows, m_db);
  FillFromRows({3, 4, 5}, valueCodes, rows);
}

std::string CTsReportDoc8::GetCountText() {
  if (IsEmptyDoc()) return {};
  int households = 0;
  for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
    if (!IsRowEmpty(row)) ++households;
  }
  return FormatStr("%d户", households);
}

void CTsReportDoc8::SaveAsText() {
  UpdateAllViews(nullptr, kTsReportReread);
  CTsReportDoc2::SaveAsText();
  UpdateAllViews(nullptr, kTsReportReread);
}

bool CTsReportDoc8::OnUpdateCommand(int id, CSmCmdUI& ui) {
  if (id != SM_ID_DOC_SAVE_AS_TEXT) return CTsReportDoc2::OnUpdateCommand(id, ui);
  ui.Enable(HasSmRight(kModule, kPayRight));
  return true;
}

bool CTsReportDoc8::OnSaveAsText(const std::string& /*fileName*/) {
  return SaveBankBatch();
}

bool CTsReportDoc8::SaveBankBatch() {
  if (IsEmptyDoc()) {
    SmMessageBox("空文档！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  // A saved batch written again is the same batch: nothing more is paid.
  const TsBankQuery& q = bankQuery;
  if (q.nBatch > 0) return true;
  const std::string& region = q.sFilter[0];
  CSmCsRecordArray batches;
  CSmCsRecord(m_db).LoadGroup(kTsBankBatchCs, &batches);
  for (const CSmCsRecord& batch : batches) {
    if (!TsBankBatchOverlaps(batch.CsNa, q.sDateFrom, q.sDateTo, region)) continue;
    const std::string question =
        FormatStr("当前报表与第%ld期报表有重合部份，还要保存吧？", batch.CsN);
    if (SmMessageBox(question, SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES) return false;
  }
  const int batch = TsRecordBankBatch(q.sDateFrom, q.sDateTo, region, m_db);
  if (batch <= 0) {
    SmMessageBox("修改单据的收款属性失败！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  bankQuery.nBatch = batch;
  CSmOpLog(16, 6, "报给银行付款数据：" + BatchNote(batch, region, q.sDateFrom, q.sDateTo));
  return true;
}

// ---------------------------------------------------------------- CTsReportQueryDlg8

CTsReportQueryDlg8::CTsReportQueryDlg8(CSmDatabase* db, const std::string& title,
                                       const std::string& dateFrom, const std::string& dateTo,
                                       int batch, const std::string (&oprCode)[2],
                                       const std::string& region, int level, QWidget* parent)
    : CTsReportQueryDlg8(db, title, BankQuery(batch, dateFrom, dateTo, oprCode, region, level),
                         parent) {}

CTsReportQueryDlg8::CTsReportQueryDlg8(CSmDatabase* db, const std::string& title,
                                       const TsBankQuery& q, QWidget* parent)
    : CTsReportQueryDlg(db, title, q.sDateFrom, q.sDateTo, q.sOprCode, {q.sFilter[0], {}, {}, {}},
                        0, std::clamp(q.nLevel, 0, 4), 0, 976, parent),
      m_query(q),
      m_db(db) {
  // The period and the region of farmers stay of the common controls.
  HideCommon([](int row, int column) { return row == 2 || (row == 3 && column >= 2) || row > 3; });
  TsRelabelBuddy(this, kDateFrom, "&F.从");
  TsRelabelBuddy(this, kDateTo, "&T.到");
  TsRelabelBuddy(this, kFarmerFilter, "&Q.区域：");
  auto* box = new QGroupBox(QStringLiteral("已付单据"), OwnRow());
  auto* column = new QVBoxLayout(box);
  column->addWidget(new QLabel(QStringLiteral("序号     操作员     复核员"), box));
  auto* line = new QHBoxLayout;
  m_batches = new QComboBox(box);
  m_batches->setObjectName(QString::number(kBatchList));
  m_batches->setMinimumWidth(220);
  line->addWidget(m_batches, 1);
  m_delete = AddButton(kDeleteBatch, QStringLiteral("&D.删除"));
  m_review = AddButton(kReviewBatch, QStringLiteral("&R.复核"));
  for (QPushButton* button : {m_delete, m_review}) {
    button->setParent(box);
    button->setAutoDefault(false);
    line->addWidget(button);
  }
  column->addLayout(line);
  auto* row = new QHBoxLayout(OwnRow());
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(box);
  connect(m_batches, &QComboBox::activated, this, [this](int) { OnBatchCloseUp(); });
}

void CTsReportQueryDlg8::OnInitDialog() {
  CTsReportQueryDlg::OnInitDialog();
  FillBatchList();
  SelectBatch(m_query.nBatch);
}

void CTsReportQueryDlg8::FillBatchList() {
  m_batches->clear();
  CSmCsRecordArray made, reviewed;
  CSmCsRecord(m_db).LoadGroup(kTsBankBatchCs, &made);
  CSmCsRecord(m_db).LoadGroup(kTsBankReviewCs, &reviewed);
  m_batches->addItem(QStringLiteral("新单"));
  for (const CSmCsRecord& batch : made) {
    std::string text = FormatStr("%-5ld--- %s", batch.CsN, Trimmed(batch.CsVal).c_str());
    for (const CSmCsRecord& review : reviewed) {
      if (review.CsN == batch.CsN) text += " --- " + Trimmed(review.CsVal);
    }
    m_batches->addItem(QString::fromStdString(text));
  }
}

void CTsReportQueryDlg8::SelectBatch(int batch) {
  int index = 0;
  for (int i = 1; batch > 0 && i < m_batches->count(); ++i) {
    if (StrToIntDef(LeftOfBlank(m_batches->itemText(i).toStdString()), 0) == batch) index = i;
  }
  SelectIndex(index);
}

void CTsReportQueryDlg8::SelectIndex(int index) {
  m_batches->setCurrentIndex(index);
  m_current = -1;
  OnBatchCloseUp();
}

void CTsReportQueryDlg8::OnBatchCloseUp() {
  const int index = m_batches->currentIndex();
  const int chosen =
      index <= 0 ? 0 : StrToIntDef(LeftOfBlank(m_batches->currentText().toStdString()), 0);
  if (chosen == m_current) return;
  m_current = chosen;
  m_maker.clear();
  m_reviewer.clear();
  if (m_current > 0) {
    CSmCsRecord batch(m_db);
    if (batch.Load(kTsBankBatchCs, m_current)) {
      DoDataExchange(true);
      m_dateFrom = batch.CsNa.substr(0, std::min<size_t>(8, batch.CsNa.size()));
      m_dateTo = batch.CsNa.size() > 8 ? batch.CsNa.substr(8, 8) : std::string();
      m_filter[0] = batch.CsNa.size() > 16 ? Trimmed(batch.CsNa.substr(16)) : std::string();
      m_maker = Trimmed(batch.CsVal);
      ShowDates();
      DoDataExchange(false);
      CSmCsRecord review(m_db);
      if (review.Load(kTsBankReviewCs, m_current)) m_reviewer = Trimmed(review.CsVal);
    } else {
      m_current = 0;
      m_batches->setCurrentIndex(0);
    }
  }
  m_query.nBatch = m_current;
  const bool fresh = m_current < 1;
  EnableDates(fresh);
  for (int id : {1032, 1090}) {
    if (QWidget* control = findChild<QWidget*>(QString::number(id))) control->setEnabled(fresh);
  }
  const std::string me = TsOperatorNo();
  const bool reviewed = !m_reviewer.empty();
  m_delete->setEnabled(!fresh && HasSmRight(kModule, kPayRight) && m_maker == me && !reviewed);
  m_review->setEnabled(!fresh && HasSmRight(kModule, "34") && (!reviewed || m_reviewer == me));
  m_review->setText(reviewed ? QStringLiteral("&R.删核") : QStringLiteral("&R.复核"));
}

void CTsReportQueryDlg8::OnDeleteBatch() {
  if (m_batches->currentIndex() < 0 || m_current < 1) return;
  const int batch = m_current;
  CSmCsRecord row(m_db);
  auto refuse = [](const char* text) { SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR); };
  if (row.Load(kTsBankReviewCs, batch)) return refuse("该单据已被复核！");
  if (!row.Load(kTsBankBatchCs, batch)) return refuse("该单据已不存在！");
  if (Trimmed(row.CsVal) != TsOperatorNo()) return refuse("非你所作单据，不能删除！");
  const bool deleted = SmRunInTransaction(m_db, [&] {
    return TsSlipBankUnmark(0, 0, batch, m_dateFrom, m_dateTo, m_filter[0], m_db) &&
           CTsjsRec::UnmarkBankBatch(0, batch, m_dateFrom, m_dateTo, m_filter[0], m_db) &&
           row.Delete(kTsBankBatchCs, batch) && row.Delete(kTsBankReviewCs, batch);
  });
  if (!deleted) return refuse("删除单据失败！");
  CSmOpLog(16, 6, "删除银行付款数据：" + BatchNote(batch, m_filter[0], m_dateFrom, m_dateTo));
  const int index = m_batches->currentIndex();
  FillBatchList();
  SelectIndex(std::min(index, m_batches->count() - 1));
}

void CTsReportQueryDlg8::OnReviewBatch() {
  if (m_batches->currentIndex() < 0 || m_current < 1) return;
  const int batch = m_current;
  const std::string me = TsOperatorNo();
  CSmCsRecord row(m_db);
  auto refuse = [](const char* text) { SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR); };
  if (!row.Load(kTsBankBatchCs, batch)) return refuse("该单据已不存在！");
  const bool reviewed = row.Load(kTsBankReviewCs, batch);
  if (reviewed && Trimmed(row.CsVal) != me) return refuse("非你所核单据，不能由你取消复核！");
  const bool done = SmRunInTransaction(m_db, [&] {
    if (reviewed) {
      return TsSlipBankUnmark(0, 1, batch, m_dateFrom, m_dateTo, m_filter[0], m_db) &&
             row.Delete(kTsBankReviewCs, batch);
    }
    if (!TsSlipBankMark(0, 1, batch, m_dateFrom, m_dateTo, m_filter[0], m_db)) return false;
    row.Set(kTsBankReviewCs, batch, "", me);
    return row.Insert();
  });
  if (!done) return refuse("操作单据失败！");
  CSmOpLog(16, 6,
           FormatStr("%s复核银行付款数据：", reviewed ? "取消" : "") +
               BatchNote(batch, m_filter[0], m_dateFrom, m_dateTo));
  FillBatchList();
  SelectBatch(batch);
}

bool CTsReportQueryDlg8::OnCommand(unsigned id) {
  if (id == kDeleteBatch) {
    OnDeleteBatch();
    return true;
  }
  if (id == kReviewBatch) {
    OnReviewBatch();
    return true;
  }
  return CTsReportQueryDlg::OnCommand(id);
}

bool CTsReportQueryDlg8::ValidateAndSave() {
  if (!CTsReportQueryDlg::ValidateAndSave()) return false;
  m_query.nBatch = std::max(m_current, 0);
  m_query.sDateFrom = m_dateFrom;
  m_query.sDateTo = m_dateTo;
  m_query.sFilter[0] = m_filter[0];
  return true;
}
