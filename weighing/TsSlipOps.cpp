#include "weighing/TsSlipOps.h"

#include <string>
#include <vector>

#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "weighing/TsgbRec.h"

bool TsSlipRepair(int kind, CSmDatabase* db) {
  const int k = kind;
  std::vector<std::string> slips[5];
  const std::string select = FormatStr(
      "Select rtrim(JN%d),max(KNO%d),max(OPR%d),max(OPR%d),max(OPR%d) From gbSheet \t\tWhere "
      "JN%d<>'' Group By rtrim(JN%d) Having min(FK)<>max(FK) Or min(KNO%d)<>max(KNO%d) Or "
      "\t\tmin(OPR%d)<>max(OPR%d) Or min(OPR%d)<>max(OPR%d) Or min(OPR%d)<>max(OPR%d)",
      k, k, 2 + k, 4 + k, 6 + k, k, k, k, k, 2 + k, 2 + k, 4 + k, 4 + k, 6 + k, 6 + k);
  const int count = db->QueryStrings(select, slips, 5);
  for (int n = 0; n < count; ++n) {
    std::string values[5];
    for (int c = 0; c < 5; ++c) values[c] = db->SqlText(slips[c][n]);
    const std::string update = FormatStr(
        "Update gbSheet Set FK='0',KNO%d='%s',OPR%d='%s',OPR%d='%s',OPR%d='%s' Where JN%d='%s'", k,
        values[1].c_str(), 2 + k, values[2].c_str(), 4 + k, values[3].c_str(), 6 + k,
        values[4].c_str(), k, values[0].c_str());
    if (!db->ExecuteSQL(update)) return false;
  }
  return true;
}

int TsSlipGetPrintCount(int kind, const std::string& number, CSmDatabase* db) {
  return static_cast<int>(db->QueryCountInt(FormatStr("max(PRT%d) From gbSheet Where JN%d='%s'",
                                                      kind, kind, db->SqlText(number).c_str())));
}

bool TsSlipIncPrintCount(int kind, const std::string& number, CSmDatabase* db) {
  return db->ExecuteSQL(FormatStr("Update gbSheet Set PRT%d=1+PRT%d Where JN%d='%s'", kind, kind,
                                  kind, db->SqlText(number).c_str()));
}

namespace {

bool Refuse(std::string& refusal, const std::string& text) {
  refusal = text;
  return false;
}

bool Stop(const std::string& text) {
  SmMessageBox(text, SM_MB_ICONERROR);
  return false;
}

// Puts the tickets on the slip inside the caller's transaction. On a refusal `refusal` says why;
// it is shown once the transaction is rolled back, so no box holds the file locked.
bool AssignTickets(const CTsgbRec& slip, int kind, const std::vector<std::string>& tickets,
                   CSmDatabase* db, std::string& refusal) {
  const int k = kind;
  const std::string number = db->SqlText(slip.JN[k]);
  const std::string count =
      FormatStr("Select Count(*) From gbSheet Where JN%d='%s'", k, number.c_str());
  if (!TsLockDocNo(kTsSlipNumbers + k, slip.JN[k], db)) return false;
  for (const std::string& dh : tickets) {
    // Only a tared ticket still open in the kind joins, and only one row of that number.
    if (!db->ExecuteSQL(TsSlipAssignText(slip, kind, dh, db))) return false;
    const long long changed = db->RowsChanged();
    if (changed == 0) return Refuse(refusal, FormatStr("过磅单<%s>已结算或被删除！", dh.c_str()));
    if (changed != 1) return Refuse(refusal, "结算单号重号！");
  }
  // Each ticket changed one row: a larger count means the slip held tickets before, made
  // under the same number by another station.
  if (db->QueryInt(count) != static_cast<long>(tickets.size()))
    return Refuse(refusal, "结算单号重号！");
  return true;
}

bool RunCounted(const std::string& sql, CSmDatabase* db, long long* changed) {
  const bool ok = db->ExecuteSQL(sql);
  if (changed) *changed = ok ? db->RowsChanged() : 0;
  return ok;
}

// The date range and, for cane slips, the farmers paid through the bank.
std::string BankFilter(int kind, const std::string& from, const std::string& to,
                       const std::string& prefix, CSmDatabase* db) {
  std::string where = FormatStr(" And JT%d>='%s' And JT%d<='%s'", kind, db->SqlText(from).c_str(),
                                kind, db->SqlText(to).c_str());
  if (kind != 0) return where;
  if (!prefix.empty()) where += " And KNO0 Like '" + db->SqlText(prefix) + "\a*\b'";
  return where + " And KNO0 In (Select KNO From NHDir Where BkHO<>'')";
}

}  // namespace

int TsSlipList(int kind, const std::string& date, std::vector<TsSlipLine>& slips, CSmDatabase* db) {
  const int k = kind;
  slips.clear();
  CSmQuery query(2, 0, 5, db);
  const std::string sql = FormatStr(
      "Select min(FK),max(PRT%d),rtrim(JN%d),max(KNO%d),max(OPR%d),max(OPR%d),max(OPR%d) From "
      "gbSheet \t\tWhere JT%d='%s' Group By rtrim(JN%d) Order By rtrim(JN%d)",
      k, k, k, 2 + k, 4 + k, 6 + k, k, db->SqlText(date).c_str(), k, k);
  if (!query.Open(sql)) return 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    TsSlipLine line;
    const long batch = query.GetInt(0);
    line.prints = static_cast<int>(query.GetInt(1));
    line.number = query.GetString(0);
    line.household = query.GetString(1);
    line.settler = query.GetString(2);
    line.payer = query.GetString(3) + (batch > 0 ? FormatStr("(银付%ld)", batch) : "");
    line.reviewer = query.GetString(4);
    slips.push_back(line);
  }
  return static_cast<int>(slips.size());
}

std::string TsSlipOpenTicketsWhere(int kind, const std::string& household, CSmDatabase* db) {
  return FormatStr("Where KNO%d='%s' And OPR1<>'' And ", kind, db->SqlText(household).c_str()) +
         TsgbOpenCondition(kind);
}

std::string TsSlipAssignText(const CTsgbRec& slip, int kind, const std::string& dh,
                             CSmDatabase* db) {
  const int k = kind;
  return FormatStr(
             "Update gbSheet Set FK=0,JT%d='%s',JN%d='%s',OPR%d='%s' Where DH='%s' And "
             "OPR1<>'' And ",
             k, db->SqlText(slip.JT[k]).c_str(), k, db->SqlText(slip.JN[k]).c_str(), 2 + k,
             db->SqlText(slip.OPR[2 + k]).c_str(), db->SqlText(dh).c_str()) +
         TsgbOpenCondition(k);
}

int TsSlipMakeCheck(const CTsgbRec& slip, int kind, const std::vector<std::string>& tickets,
                    CSmDatabase* db, const std::function<bool(std::string& refusal)>& alsoWrite) {
  if (tickets.empty()) return Stop("未选择供结算的过磅单！");
  std::string refusal;
  if (SmRunInTransaction(db, [&] {
        return AssignTickets(slip, kind, tickets, db, refusal) &&
               (!alsoWrite || alsoWrite(refusal));
      }))
    return 1;
  if (!refusal.empty()) Stop(refusal);
  return 0;
}

int TsSlipCancel(int kind, const std::string& number, CSmDatabase* db) {
  const int k = kind;
  const std::string n = db->SqlText(number);
  if (!db->ExecuteSQL(FormatStr("Update gbSheet Set JN%d='',JT%d='',OPR%d='' Where JN%d='%s' And "
                                "OPR%d=''",
                                k, k, 2 + k, k, n.c_str(), 4 + k)))
    return 0;
  if (!db->QueryCountString(
             FormatStr("max(OPR%d) From gbSheet Where JN%d='%s'", 2 + k, k, n.c_str()))
           .empty()) {
    return Stop("该单已付款，或已被删除！");
  }
  return 1;
}

bool TsSlipSetStep(int kind, int step, const std::string& number, CSmDatabase* db,
                   long long* changed) {
  return TsSlipSetStep(kind, step, number, TsOperatorNo(), db, changed);
}

bool TsSlipSetStep(int kind, int step, const std::string& number, const std::string& operatorNo,
                   CSmDatabase* db, long long* changed) {
  const int mark = 4 + kind + 2 * step;
  return RunCounted(FormatStr("Update gbSheet Set OPR%d='%s' Where Fk=0 And JN%d='%s' And "
                              "OPR%d<>'' And OPR%d=''",
                              mark, db->SqlText(operatorNo).c_str(), kind,
                              db->SqlText(number).c_str(), mark - 2, mark),
                    db, changed);
}

bool TsSlipClearStep(int kind, int step, const std::string& number, CSmDatabase* db,
                     long long* changed) {
  return TsSlipClearStep(kind, step, number, TsOperatorNo(), db, changed);
}

bool TsSlipClearStep(int kind, int step, const std::string& number, const std::string& operatorNo,
                     CSmDatabase* db, long long* changed) {
  const int mark = 4 + kind + 2 * step;
  std::string sql =
      FormatStr("Update gbSheet Set OPR%d='' Where Fk=0 And JN%d='%s' And OPR%d='%s'", mark, kind,
                db->SqlText(number).c_str(), mark, db->SqlText(operatorNo).c_str());
  if (step == 0) sql += FormatStr(" And OPR%d=''", 6 + kind);
  return RunCounted(sql, db, changed);
}

bool TsSlipBankMark(int kind, int mode, int batch, const std::string& from, const std::string& to,
                    const std::string& prefix, CSmDatabase* db) {
  return TsSlipBankMark(kind, mode, batch, from, to, prefix, TsOperatorNo(), db);
}

bool TsSlipBankMark(int kind, int mode, int batch, const std::string& from, const std::string& to,
                    const std::string& prefix, const std::string& operatorNo, CSmDatabase* db) {
  const std::string opr = db->SqlText(operatorNo);
  std::string sql;
  if (mode == 0) {
    sql = FormatStr("Update gbSheet Set FK=%d,OPR%d='%s' Where OPR%d<>'' And OPR%d=''", batch,
                    4 + kind, opr.c_str(), 2 + kind, 4 + kind);
  } else {
    const int mark = 4 + kind + 2 * mode;
    sql = FormatStr("Update gbSheet Set OPR%d='%s' Where FK=%d And OPR%d<>'' And OPR%d=''", mark,
                    opr.c_str(), batch, mark - 2, mark);
  }
  return db->ExecuteSQL(sql + BankFilter(kind, from, to, prefix, db));
}

bool TsSlipBankUnmark(int kind, int mode, int batch, const std::string& from, const std::string& to,
                      const std::string& prefix, CSmDatabase* db) {
  return TsSlipBankUnmark(kind, mode, batch, from, to, prefix, TsOperatorNo(), db);
}

bool TsSlipBankUnmark(int kind, int mode, int batch, const std::string& from, const std::string& to,
                      const std::string& prefix, const std::string& operatorNo, CSmDatabase* db) {
  const std::string opr = db->SqlText(operatorNo);
  std::string sql;
  if (mode == 0) {
    sql = FormatStr("Update gbSheet Set FK=0,OPR%d='' Where FK=%d And OPR%d='%s' And OPR%d=''",
                    4 + kind, batch, 4 + kind, opr.c_str(), 6 + kind);
  } else {
    const int mark = 4 + kind + 2 * mode;
    sql = FormatStr("Update gbSheet Set OPR%d='' Where FK=%d And OPR%d='%s'", mark, batch, mark,
                    opr.c_str());
  }
  return db->ExecuteSQL(sql + BankFilter(kind, from, to, prefix, db));
}
