#include "weighing/TsgbRec.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "cane/TsAdrRec.h"
#include "cane/TsDriverRec.h"
#include "cane/TsGp.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

namespace {

constexpr int kMoneyColumns = 12;
constexpr double kSame = 1e-6;

// The texts of a row in column order (after the numbers), as pointers into `rec`.
template <class Rec>
auto Texts(Rec& rec) {
  return std::array<decltype(&rec.T), 19>{
      &rec.T,      &rec.DH,     &rec.OPR[0], &rec.OPR[1], &rec.OPR[2], &rec.OPR[3], &rec.OPR[4],
      &rec.OPR[5], &rec.OPR[6], &rec.OPR[7], &rec.JT[0],  &rec.JT[1],  &rec.JN[0],  &rec.JN[1],
      &rec.KNO[0], &rec.KNO[1], &rec.KNO[2], &rec.KNO[3], &rec.TH};
}

bool Near(double a, double b) {
  return std::fabs(a - b) <= kSame;
}

std::string SelectText(const std::string& where, const std::string& order) {
  std::string sql = "Select " + CTsgbRec::ColumnList() + " From gbSheet " + where;
  if (!order.empty()) sql += " " + order;
  return sql;
}

// A stable key of a ticket number for the server's transaction lock.
int NumberKey(const std::string& dh) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : TrimRightSet(dh, " ")) hash = (hash ^ c) * 16777619u;
  return static_cast<int>(hash);
}

std::string InsertText(const CTsgbRec& rec, CSmDatabase* db) {
  std::string sql = "Insert Into gbSheet(" + CTsgbRec::ColumnList() + ") Values(";
  sql += FormatStr("%d,%d,%d,", rec.PRT[0], rec.PRT[1], rec.FK);
  for (double mu : rec.MU) sql += FormatStr("%.4lf,", mu);
  for (double pr : rec.PR) sql += FormatStr("%.2lf,", pr);
  sql += rec.ItemValueList();
  for (const std::string* text : Texts(rec)) sql += ",'" + db->SqlText(*text) + "'";
  return sql + ")";
}

}  // namespace

void CTsgbRec::Clear() {
  for (std::string* text : Texts(*this)) text->clear();
  for (double& mu : MU) mu = 0;
  PR[0] = PR[1] = 0;
  MY.assign(2 * (TsGetItemCount(0) + 1), 0);
  FK = PRT[0] = PRT[1] = 0;
}

bool CTsgbRec::IsEqual(const CTsgbRec& other) const {
  const auto mine = Texts(*this);
  const auto theirs = Texts(other);
  for (size_t i = 0; i < mine.size(); ++i)
    if (*mine[i] != *theirs[i]) return false;
  for (int i = 0; i < 4; ++i)
    if (!Near(MU[i], other.MU[i])) return false;
  if (!Near(PR[0], other.PR[0]) || !Near(PR[1], other.PR[1])) return false;
  if (MY.size() != kMoneyColumns || other.MY.size() != kMoneyColumns) return false;
  for (int i = 0; i < kMoneyColumns; ++i)
    if (!Near(MY[i], other.MY[i])) return false;
  return FK == other.FK && PRT[0] == other.PRT[0] && PRT[1] == other.PRT[1];
}

std::string CTsgbRec::ColumnList() {
  return "PRT0,PRT1,FK,MU0,MU1,MU2,MU3,PR0,PR1," + ItemColumnList() +
         ",T,DH,OPR0,OPR1,OPR2,OPR3,OPR4,OPR5,OPR6,OPR7,JT0,JT1,JN0,JN1,KNO0,KNO1,KNO2,KNO3,TH";
}

std::string CTsgbRec::ItemColumnList() {
  std::string text;
  for (int i = 0; i < kMoneyColumns; ++i) text += FormatStr(",MY%d", i);
  return text.substr(1);
}

std::string CTsgbRec::ItemValueList() const {
  std::string text;
  for (double my : MY) text += FormatStr(",%.2lf", my + 0.0);
  return text.empty() ? text : text.substr(1);
}

void CTsgbRec::BindColumns(CSmQuery& query) {
  query.SetFieldNames(0, {"PRT0", "PRT1", "FK"});
  std::vector<std::string> numbers{"MU0", "MU1", "MU2", "MU3", "PR0", "PR1"};
  for (int i = 0; i < kMoneyColumns; ++i) numbers.push_back(FormatStr("MY%d", i));
  query.SetFieldNames(1, numbers);
  query.SetFieldNames(2, {"T", "DH", "OPR0", "OPR1", "OPR2", "OPR3", "OPR4", "OPR5", "OPR6", "OPR7",
                          "JT0", "JT1", "JN0", "JN1", "KNO0", "KNO1", "KNO2", "KNO3", "TH"});
}

void CTsgbRec::ReadRow(CSmQuery& query) {
  PRT[0] = static_cast<int>(query.GetInt(0));
  PRT[1] = static_cast<int>(query.GetInt(1));
  FK = static_cast<int>(query.GetInt(2));
  for (int i = 0; i < 4; ++i) MU[i] = query.GetDouble(i);
  PR[0] = query.GetDouble(4);
  PR[1] = query.GetDouble(5);
  MY.resize(kMoneyColumns);
  for (int i = 0; i < kMoneyColumns; ++i) MY[i] = query.GetDouble(6 + i);
  const auto texts = Texts(*this);
  for (size_t i = 0; i < texts.size(); ++i) *texts[i] = query.GetString(static_cast<int>(i));
}

int CTsgbRec::Load(const std::string& where, CSmDatabase* db) {
  CSmQuery query(3, 18, 19, db);
  BindColumns(query);
  if (!query.Open(SelectText(where, {})) || query.IsEOF()) return 0;
  ReadRow(query);
  return 1;
}

int CTsgbRec::Select(const std::string& where, const std::string& order,
                     std::vector<CTsgbRec>& list, CSmDatabase* db) {
  list.clear();
  return ReadEach(
      where, order, [&list](CTsgbRec& row) { list.push_back(row); }, db);
}

int CTsgbRec::ReadEach(const std::string& where, const std::string& order,
                       const std::function<void(CTsgbRec&)>& onRow, CSmDatabase* db) {
  CSmQuery query(3, 18, 19, db);
  BindColumns(query);
  if (!query.Open(SelectText(where, order))) return 0;
  int count = 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    ReadRow(query);
    onRow(*this);
    ++count;
  }
  return count;
}

int CTsgbRec::Insert(CSmDatabase* db) {
  if (TH.empty()) TH = db->GetServerTime("%H%M%S");
  const std::string sql = InsertText(*this, db);
  if (!db->BeginTrans()) return 0;
  if (!TsLockDocNo(kTsTicketNumbers, DH, db) || !db->ExecuteSQL(sql)) {
    db->Rollback();
    return 0;
  }
  if (db->QueryInt("Select Count(*) From gbSheet Where DH='" + db->SqlText(DH) + "'") != 1) {
    db->Rollback();
    SmMessageBox("单号重，不能修改！", SM_MB_ICONERROR);
    return 0;
  }
  return db->CommitTrans() ? 1 : 0;
}

int CTsgbRec::InsertNew(bool tare, CSmDatabase* db, int* missing) {
  const std::string typed = DH;
  int gone = -1;
  const bool stored = SmRunInTransaction(db, [&] {
    if (!db->LockSeries("gbSheet.DH")) return false;
    gone = TsgbCheckCodes(*this, tare, db);
    if (gone >= 0) return false;
    DH = TsNextDocNo(0, -1, db);
    return !DH.empty() && Insert(db) == 1;
  });
  if (missing) *missing = gone;
  if (!stored) DH = typed;
  return stored ? 1 : 0;
}

int CTsgbRec::Rewrite(const CTsgbRec& old, bool tare, CSmDatabase* db, bool* stale, int* missing) {
  bool changed = false;
  int gone = -1;
  const std::string where = "Where DH='" + db->SqlText(old.DH) + "'";
  const bool stored = SmRunInTransaction(db, [&] {
    // Another station may have tared, settled or deleted the ticket since it was selected.
    CTsgbRec current;
    if (!db->LockRows("gbSheet", "DH", where)) return false;
    changed = current.Load(where, db) == 0 || current != old;
    if (changed) return false;
    gone = TsgbCheckCodes(*this, tare, db);
    if (gone >= 0) return false;
    return TsgbDelete(2, old.DH, db) && db->RowsChanged() > 0 && Insert(db);
  });
  if (stale) *stale = changed;
  if (missing) *missing = gone;
  return stored ? 1 : 0;
}

int TsgbCheckCodes(const CTsgbRec& rec, bool tare, CSmDatabase* db) {
  const auto where = [db](const std::string& code) {
    return "Where KNO='" + db->SqlText(code) + "'";
  };
  // A lowest-level code of a code tree: its row and no row below it.
  const auto leaf = [](CTsCodeRec&& row) { return row.Load(0) > 0 && row.GetCount(1) == 1; };
  const char* const tables[] = {"NHDir", "DriverDir", "AdrDir", "GP"};
  for (int k = 0; k < 4; ++k) {
    const std::string& code = rec.KNO[k];
    if (code.empty() ? k != 0 : (k == 3 && !tare)) continue;
    if (code.empty()) return 0;  // no farmer
    if (!db->LockRows(tables[k], "KNO", where(code))) return kTsgbCodesFailed;
    CTsAdrRec place;
    CTsDriverRec driver;
    const bool there = k == 0   ? leaf(CNH(db, code))
                       : k == 1 ? TsDriverLoad(driver, code, db) > 0
                       : k == 2 ? TsAdrLoad(place, code, db) > 0
                                : leaf(CGp(db, code));
    if (!there) return k;
  }
  return -1;
}

std::string TsgbMissingCodeText(int index) {
  static const char* const kTexts[] = {"农户不存在！", "驾驶员不存在！", "甘蔗砍运地不存在！",
                                       "甘蔗品种不存在！"};
  return index >= 0 && index < 4 ? kTexts[index] : "";
}

int CTsgbRec::UpdateItems(const TsChosenItems& chosen, CSmDatabase* db) const {
  CTsgbRec stored;
  if (!stored.Load("Where DH='" + db->SqlText(DH) + "'", db)) {
    SmMessageBox(FormatStr("<%s>号单据已不存在，修改失败！", DH.c_str()), SM_MB_ICONINFORMATION);
    return 0;
  }
  bool ok = true;
  for (int kind = 0; kind < 2; ++kind) {
    if (!stored.JN[kind].empty()) continue;  // on a slip by now: its amounts were paid
    for (int category = 0; category < 2; ++category) {
      const std::vector<bool>& flags = chosen[kind][category];
      const int count = TsGetKindItemCount(kind, 0, category, 0);
      for (int n = 0; n < count && n < static_cast<int>(flags.size()); ++n) {
        if (!flags[n]) continue;
        const int column = TsTicketMoneyColumn(kind, TsGetKindItemIndex(kind, 0, category, 0, n));
        if (std::fabs(MY[column] - stored.MY[column]) < 0.00001) continue;
        ok = db->ExecuteSQL(FormatStr("Update gbSheet Set MY%d=%lf Where DH='%s'", column,
                                      MY[column], db->SqlText(DH).c_str())) &&
             ok;
      }
    }
  }
  if (!ok) SmMessageBox(FormatStr("修改<%s>号单据失败！", DH.c_str()), SM_MB_ICONINFORMATION);
  return ok ? 1 : 0;
}

std::string TsgbOpenCondition(int kind) {
  return FormatStr("rtrim(JN%d)=''", kind);
}

std::string TsgbDeleteText(int mode, const std::string& dh, CSmDatabase* db) {
  const std::string unsettled = " And " + TsgbOpenCondition(0) + " And " + TsgbOpenCondition(1);
  const std::string number = db->SqlText(dh);
  std::string sql;
  if (mode == 1) {
    sql = "Update gbSheet Set OPR1='',KNO3='',MU1=0,MU2=0,MU3=0,PR1=0";
    for (int i = 0; i < kMoneyColumns; ++i) sql += FormatStr(",MY%d=0", i);
    return sql + " Where DH='" + number + "'" + unsettled;
  }
  sql = "Delete From gbSheet Where DH='" + number + "'";
  if (mode != 3) sql += unsettled;
  if (mode == 0) sql += " And OPR1=''";
  return sql;
}

int TsgbDelete(int mode, const std::string& dh, CSmDatabase* db) {
  if (db->ExecuteSQL(TsgbDeleteText(mode, dh, db))) return 1;
  SmMessageBox("数据操作失败！", SM_MB_ICONERROR);
  return 0;
}

bool TsLockDocNo(int series, const std::string& number, CSmDatabase* db) {
  if (!db->OnPostgres()) return true;
  return db->ExecuteSQL(
      FormatStr("Select pg_advisory_xact_lock(%d,%d)", series, NumberKey(number)));
}

std::string TsNextDocNo(int slipKind, int docKind, CSmDatabase* db) {
  std::string max;
  if (docKind == -1) {
    max = "Max(DH) From gbSheet";
  } else if (docKind == 0) {
    max = FormatStr("Max(JN%d) From gbSheet", slipKind);
  } else {
    max = FormatStr("Max(DH) From jsSheet Where DB='%d'", docKind);
  }
  // Max alone, so that the engine reads it off the end of the number's index.
  CSmQuery query(0, 0, 1, db);
  const bool read = query.Open("Select " + max) && !query.IsEOF();
  const long next = StrToLongDef(read ? query.GetString(0) : std::string(), 0) + 1;
  std::string text;
  const int width = TsGetTicketNoLen();
  if (next > 0 && next <= std::numeric_limits<int>::max() &&
      IntToFixedText(static_cast<int>(next), text, width, true))
    return text;
  SmMessageBox(FormatStr("新单号%ld超出了%d位，请先加大系统参数“过磅单号长度”。", next, width),
               SM_MB_ICONERROR);
  return {};
}
