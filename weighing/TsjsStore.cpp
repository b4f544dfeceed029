// The money rows of the households (jsSheet): reading, writing vouchers and settlement
// deduction rows under a guarded number, deleting, reviewing and the bank batch marks.
#include <functional>

#include "cane/TsItems.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "forms/SmDatePeriod.h"
#include "platform/SmMessage.h"
#include "weighing/TsgbRec.h"
#include "weighing/TsjsRec.h"

namespace {

// Rows of the voucher (or deduction row) of `rec`'s party, type and number.
long CountNumber(const CTsjsRec& rec, CSmDatabase* db) {
  return db->QueryInt(
      FormatStr("Select Count(*) From jsSheet Where LB='%d' And DB='%d' And DH='%s'", rec.LB,
                rec.DB, db->SqlText(rec.DH).c_str()));
}

bool LockNumber(const CTsjsRec& rec, CSmDatabase* db) {
  return TsLockDocNo(kTsVoucherNumbers + 10 * rec.LB + rec.DB, rec.DH, db);
}

// Runs `work` in a transaction; when it finds the number taken the box comes after the
// rollback, so it holds no lock on the file.
bool WriteUnderNumber(CSmDatabase* db, const std::function<bool(bool& taken)>& work) {
  bool taken = false;
  if (SmRunInTransaction(db, [&] { return work(taken); })) return true;
  if (taken) SmMessageBox("单号重号！", SM_MB_ICONERROR);
  return false;
}

std::string BankFilter(int party, const std::string& from, const std::string& to,
                       const std::string& prefix, CSmDatabase* db) {
  std::string where =
      FormatStr(" And T>='%s' And T<='%s'", db->SqlText(from).c_str(), db->SqlText(to).c_str());
  if (party != 0) return where;
  if (!prefix.empty()) where += " And KNO Like '" + db->SqlText(prefix) + "\a*\b'";
  return where + " And KNO In (Select KNO From NHDir Where BkHO<>'')";
}

}  // namespace

double CTsjsRec::GetTotal() const {
  double total = 0;
  for (double my : MY) total += my;
  return total;
}

double CTsjsRec::SumKind(int kind, int category) const {
  double sum = 0;
  for (int n = 0; n < TsGetKindItemCount(kind, 1, category, 0); ++n) {
    const int item = TsGetKindItemIndex(kind, 1, category, 0, n);
    if (item >= 0 && item < static_cast<int>(MY.size())) sum += MY[item];
  }
  return sum;
}

bool CTsjsRec::TsjsSelect(const std::string& where, CSmDatabase* db) {
  CSmQuery query(1, kItemCount + 2, 9, db);
  BindColumns(query);
  if (!query.Open("Select " + ColumnList() + " From jsSheet " + where) || query.IsEOF())
    return false;
  ReadRow(query);
  return true;
}

int CTsjsRec::Query(const std::string& where, const std::string& order, std::vector<CTsjsRec>& list,
                    CSmDatabase* db) {
  list.clear();
  CSmQuery query(1, kItemCount + 2, 9, db);
  BindColumns(query);
  std::string sql = "Select " + ColumnList() + " From jsSheet " + where;
  if (!order.empty()) sql += " " + order;
  if (!query.Open(sql)) return 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    ReadRow(query);
    list.push_back(*this);
  }
  return static_cast<int>(list.size());
}

bool CTsjsRec::InsertChecked(CSmDatabase* db) {
  return WriteUnderNumber(db, [&](bool& taken) {
    if (!LockNumber(*this, db) || Insert(1, db) != 1) return false;
    taken = CountNumber(*this, db) != 1;
    return !taken;
  });
}

bool CTsjsRec::InsertDocument(std::vector<CTsjsRec>& rows, CSmDatabase* db) {
  if (rows.empty()) return true;
  return WriteUnderNumber(db, [&](bool& taken) {
    if (!LockNumber(rows.front(), db)) return false;
    long written = 0;
    for (CTsjsRec& row : rows) {
      const int result = row.Insert(1, db);
      if (result < 0) return false;
      written += result;
    }
    taken = CountNumber(rows.front(), db) != written;
    return !taken;
  });
}

bool CTsjsRec::DeleteDocument(int party, int kind, const std::string& number, CSmDatabase* db) {
  const std::string n = db->SqlText(number);
  const std::string rows =
      kind == 0 ? FormatStr("From jsSheet Where LB='%d' And DB='0' And DH='%s'", party, n.c_str())
                : FormatStr("From jsSheet Where DB='%d' And DH='%s' And OPR1=''", kind, n.c_str());
  const bool ok = db->ExecuteSQL("Delete " + rows);
  if (ok && (kind == 0 || db->RowsChanged() > 0)) return true;
  SmMessageBox("该单已被复核，或已被删除！", SM_MB_ICONERROR);
  return false;
}

bool CTsjsRec::Review(int party, int kind, const std::string& number, CSmDatabase* db) {
  return Review(party, kind, number, TsOperatorNo(), db);
}

bool CTsjsRec::Review(int party, int kind, const std::string& number, const std::string& operatorNo,
                      CSmDatabase* db) {
  const std::string opr = db->SqlText(operatorNo);
  const std::string n = db->SqlText(number);
  if (kind == 0)
    return db->ExecuteSQL(
        FormatStr("Update jsSheet Set OPR1='%s' Where FK=0 And LB='%d' And DB='0' And DH='%s'",
                  opr.c_str(), party, n.c_str()));
  return db->ExecuteSQL(
      FormatStr("Update jsSheet Set OPR1='%s' Where FK=0 And DB='%d' And DH='%s' And OPR1=''",
                opr.c_str(), kind, n.c_str()));
}

bool CTsjsRec::CancelReview(int party, int kind, const std::string& number, CSmDatabase* db) {
  return CancelReview(party, kind, number, TsOperatorNo(), db);
}

bool CTsjsRec::CancelReview(int party, int kind, const std::string& number,
                            const std::string& operatorNo, CSmDatabase* db) {
  const std::string n = db->SqlText(number);
  if (kind == 0)
    return db->ExecuteSQL(
        FormatStr("Update jsSheet Set OPR1='' Where FK=0 And LB='%d' And DB='0' And DH='%s'", party,
                  n.c_str()));
  return db->ExecuteSQL(
      FormatStr("Update jsSheet Set OPR1='' Where FK=0 And DB='%d' And DH='%s' And OPR1='%s'", kind,
                n.c_str(), db->SqlText(operatorNo).c_str()));
}

bool CTsjsRec::MarkBankBatch(int party, int batch, const std::string& from, const std::string& to,
                             const std::string& prefix, CSmDatabase* db) {
  return MarkBankBatch(party, batch, from, to, prefix, TsOperatorNo(), db);
}

bool CTsjsRec::MarkBankBatch(int party, int batch, const std::string& from, const std::string& to,
                             const std::string& prefix, const std::string& operatorNo,
                             CSmDatabase* db) {
  // Rows of earlier batches and rows paid by hand keep their marks.
  return db->ExecuteSQL(
      FormatStr("Update jsSheet Set FK=%d,OPR1='%s' Where LB='%d' And DB='0' And FK=0 And "
                "OPR1=''",
                batch, db->SqlText(operatorNo).c_str(), party) +
      BankFilter(party, from, to, prefix, db));
}

bool CTsjsRec::UnmarkBankBatch(int party, int batch, const std::string& from, const std::string& to,
                               const std::string& prefix, CSmDatabase* db) {
  return db->ExecuteSQL(
      FormatStr("Update jsSheet Set FK=0,OPR1='' Where FK=%d And LB='%d' And DB='0'", batch,
                party) +
      BankFilter(party, from, to, prefix, db));
}

bool CTsjsRec::GetHouseholdSums(int party, const std::string& code, CSmDatabase* db) {
  CSmQuery query(1, kItemCount, 0, db);
  if (!query.Open(FormatStr("Select Count(*),%s From jsSheet Where LB='%d' And KNO='%s'",
                            TsjsSumColumnList().c_str(), party, db->SqlText(code).c_str())))
    return false;
  if (query.IsEOF() || query.GetInt(0) <= 0) return true;
  MY.assign(kItemCount, 0);
  for (int i = 0; i < kItemCount; ++i) MY[i] = query.GetDouble(i);
  return true;
}

int CTsjsRec::QueryDocumentList(const std::string& month, int party, int kind, bool unreviewedOnly,
                                bool reviewedOnly, std::vector<CTsjsRec>& list, CSmDatabase* db) {
  list.clear();
  std::string where = FormatStr("Where LB='%d' And DB='%d' And DH<>''", party, kind);
  if (!month.empty()) {
    // A month before the start month lies in the calendar year after the start.
    const std::string start = TsGetYearStartDate().substr(0, 6);
    const int year = StrToIntDef(start.substr(0, 4), 0) + (month < start.substr(4) ? 1 : 0);
    where += FormatStr(" And Left(T,6)='%04d%s'", year, db->SqlText(month, 2).c_str());
  }
  if (unreviewedOnly) where += " And OPR1=''";
  if (reviewedOnly) where += " And OPR1<>''";
  CSmQuery query(0, 0, 4, db);
  if (!query.Open("Select distinct DH,T,OPR0,OPR1 From jsSheet " + where + " Order By DH"))
    return 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    DH = TrimChars(query.GetString(0));
    T = TrimChars(query.GetString(1));
    OPR[0] = TrimChars(query.GetString(2));
    OPR[1] = TrimChars(query.GetString(3));
    list.push_back(*this);
  }
  return static_cast<int>(list.size());
}

int CTsjsRec::GetSumsExcept(int party, int kind, const std::string& prefix, const std::string& date,
                            const std::string& number, std::vector<CTsjsRec>& list,
                            CSmDatabase* db) {
  list.clear();
  std::string advances;
  for (int n = 0; n < TsGetKindItemCount(party, 1, 2, 0); ++n)
    advances += FormatStr("%ssum(my%d)", n ? "+" : "", TsGetKindItemIndex(party, 1, 2, 0, n));
  // A kind without advance items owes no advance.
  if (advances.empty()) advances = "0";
  std::string sql =
      FormatStr("Select sum(MU0),sum(MU1),%s,rtrim(KNO) From jsSheet Where LB='%d' And T<='%s'",
                advances.c_str(), party, db->SqlText(date).c_str());
  if (!number.empty())
    sql += FormatStr(" And (DB<>'%d' OR DH<>'%s')", kind, db->SqlText(number).c_str());
  if (party == 0 && !prefix.empty()) sql += " And KNO Like '" + db->SqlText(prefix) + "\a*\b'";
  CSmQuery query(0, 3, 1, db);
  if (!query.Open(sql + " Group By KNO")) return 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    MU[0] = query.GetDouble(0);
    MU[1] = query.GetDouble(1);
    MY[0] = 0.0 - query.GetDouble(2);  // no "-0"
    KNO = query.GetString(0);
    list.push_back(*this);
  }
  return static_cast<int>(list.size());
}

double CTsjsRec::QueryHistory(int party, int item, const std::string& from, const std::string& to,
                              double rate, bool openingOnly, const std::string& code,
                              CSmDatabase* db) {
  const std::string amount =
      item < 0 ? ReplaceAll(TsjsItemColumns(), ",", "+") : FormatStr("MY%d", item);
  CSmQuery query(0, 1, 1, db);
  if (!query.Open(FormatStr("Select %s,T From jsSheet Where LB='%d' And KNO='%s' And T<'%s' %s "
                            "Order By T",
                            amount.c_str(), party, db->SqlText(code).c_str(),
                            db->SqlText(to).c_str(), openingOnly ? "And DH=''" : "")))
    return 0;
  double balance = 0;
  double interest = 0;
  std::string last;
  // The balance held since `last` earns up to `date`, counted from the period start.
  const auto accrue = [&](const std::string& date) {
    if (date < from) return;
    if (last < from) last = from;
    const int days = DaysBetween(last, date, false);
    if (balance > 1e-7 && days > 0) interest += days * balance * rate * 0.0001;
  };
  for (; !query.IsEOF(); query.MoveNext()) {
    const std::string date = TrimChars(query.GetString(0));
    accrue(date);
    balance -= query.GetDouble(0);
    last = date;
  }
  accrue(to);
  return RoundTo(interest, 2);
}
