#include "cane/TsAdrRec.h"

#include <algorithm>
#include <cmath>

#include "cane/TsCodeTable.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"

namespace {

// The values of a statement, texts made safe and cut to their column widths.
struct AdrTexts {
  AdrTexts(const CTsAdrRec& rec, CSmDatabase* db)
      : KNO(db->SqlText(rec.KNO, 5)),
        NA(db->SqlText(rec.NA, 40)),
        QY(db->SqlText(rec.QY, 15)),
        NT(db->SqlText(rec.NT, 60)) {}
  std::string KNO, NA, QY, NT;
};

std::string CodeWhere(const std::string& code, CSmDatabase* db) {
  return "Where KNO='" + db->SqlText(code) + "'";
}

}  // namespace

int TsAdrSelect(std::vector<CTsAdrRec>& list, const std::string& where, const std::string& order,
                CSmDatabase* db) {
  list.clear();
  CSmQuery query(0, 6, 4, db);
  query.SetFieldNames(1, {"jl", "ypr", "cs0", "cs1", "cs2", "cs3"});
  const std::string sql = FormatStr(
      "Select jl,ypr,cs0,cs1,cs2,cs3,rtrim(KNO),rtrim(NA),rtrim(QY),rtrim(NT) From AdrDir %s %s",
      where.c_str(), order.c_str());
  if (!query.Open(sql)) return 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    CTsAdrRec rec;
    rec.KNO = query.GetString(0);
    rec.NA = query.GetString(1);
    rec.QY = query.GetString(2);
    rec.NT = query.GetString(3);
    rec.jl = query.GetDouble(0);
    rec.ypr = query.GetDouble(1);
    for (int j = 0; j < 4; ++j) rec.cs[j] = query.GetDouble(2 + j);
    list.push_back(rec);
  }
  return static_cast<int>(list.size());
}

int TsAdrLoad(CTsAdrRec& rec, const std::string& code, CSmDatabase* db) {
  std::vector<CTsAdrRec> list;
  const int count = TsAdrSelect(list, CodeWhere(code, db), {}, db);
  if (count > 0) rec = list.front();
  return count;
}

int TsAdrLoadAll(std::vector<CTsAdrRec>& list, CSmDatabase* db) {
  return TsAdrSelect(list, {}, "Order By KNO", db);
}

bool TsAdrInsert(const CTsAdrRec& rec, CSmDatabase* db) {
  const AdrTexts t(rec, db);
  const std::string insert = FormatStr(
      "Insert Into AdrDir(KNO,NA,QY,NT,jl,ypr,cs0,cs1,cs2,cs3) "
      "Values('%s','%s','%s','%s',%.2lf,%.2lf,%.4lf,%.4lf,%.4lf,%.4lf)",
      t.KNO.c_str(), t.NA.c_str(), t.QY.c_str(), t.NT.c_str(), rec.jl, rec.ypr, rec.cs[0],
      rec.cs[1], rec.cs[2], rec.cs[3]);
  return TsInsertUnique(db, insert, "AdrDir", rec.KNO);
}

bool TsAdrSame(const CTsAdrRec& a, const CTsAdrRec& b) {
  const auto near = [](double x, double y) { return std::fabs(x - y) <= 1e-6; };
  return a.KNO == b.KNO && a.NA == b.NA && a.QY == b.QY && a.NT == b.NT && near(a.jl, b.jl) &&
         near(a.ypr, b.ypr) && std::equal(a.cs.begin(), a.cs.end(), b.cs.begin(), near);
}

bool TsAdrUpdate(const CTsAdrRec& rec, const std::string& oldCode, CSmDatabase* db, bool* merged,
                 const CTsAdrRec* shown, bool* stale) {
  const AdrTexts t(rec, db);
  const std::string old = db->SqlText(oldCode);
  TsCodeChange change;
  change.update = FormatStr(
      "Update AdrDir Set KNO='%s',NA='%s',QY='%s',NT='%s',jl=%.2lf,ypr=%.2lf,cs0=%.4lf,"
      "cs1=%.4lf,cs2=%.4lf,cs3=%.4lf Where KNO='%s'",
      t.KNO.c_str(), t.NA.c_str(), t.QY.c_str(), t.NT.c_str(), rec.jl, rec.ypr, rec.cs[0],
      rec.cs[1], rec.cs[2], rec.cs[3], old.c_str());
  change.table = "AdrDir";
  change.oldCode = oldCode;
  change.newCode = rec.KNO;
  change.question = "要将甘蔗砍运地<%s>与<%s>合并吗？";
  change.moveReferences = {
      FormatStr("Update gbSheet Set KNO2='%s' Where KNO2='%s'", t.KNO.c_str(), old.c_str())};
  if (shown) {
    change.stillAsShown = [&](std::string& refusal) {
      CTsAdrRec stored;
      if (TsAdrLoad(stored, oldCode, db) > 0 && TsAdrSame(stored, *shown)) return true;
      refusal = TsChangedElsewhereText(oldCode, stored.KNO.empty());
      return false;
    };
  }
  return TsUpdateOrMerge(db, change, merged, stale);
}

bool TsAdrDelete(const std::string& code, CSmDatabase* db) {
  const std::string where = CodeWhere(code, db);
  return TsDeleteUnreferenced(
      db, "Delete From AdrDir " + where,
      {"Select Count(*) From gbSheet Where KNO2='" + db->SqlText(code) + "'"});
}

std::string TsAdrNextCode(CSmDatabase* db) {
  return TsNextCode(db, "AdrDir", TsGetIntParam(TsIntParam::PlaceCodeLen));
}

void TsAdrLinkParamRange(int n, const std::vector<std::string>& codes,
                         std::pair<double, double>& range, CSmDatabase* db) {
  const int j = TsGetLinkParamIndex(1, n);
  range = {0, 0};
  bool found = false;
  for (const std::string& code : codes) {
    CTsAdrRec rec;
    if (j < 0 || j > 3 || TsAdrLoad(rec, code, db) < 1) continue;
    const double value = rec.cs[j];
    range = found ? std::pair(std::min(range.first, value), std::max(range.second, value))
                  : std::pair(value, value);
    found = true;
  }
}

bool TsAdrSetLinkParam(int n, const std::vector<std::string>& codes, double value,
                       CSmDatabase* db) {
  const int j = TsGetLinkParamIndex(1, n);
  if (j < 0 || j > 3) return false;
  return SmRunInTransaction(db, [&] {
    for (const std::string& code : codes) {
      if (!db->ExecuteSQL(FormatStr("Update AdrDir Set cs%d=%lf Where KNO='%s'", j, value,
                                    db->SqlText(code).c_str())))
        return false;
    }
    return true;
  });
}

SmRefusal TsAdrCheck(CTsAdrRec& rec, CSmDatabase* db) {
  if (!FixNumberText(rec.KNO, TsGetIntParam(TsIntParam::PlaceCodeLen), false))
    return SmRefusal::Stop(kTsAdrFieldCode, "代码不合适，请重输！");
  if (TrimChars(rec.NA).empty()) return SmRefusal::Stop(kTsAdrFieldName, "名称不能为空，请重输！");
  if (!rec.QY.empty() && CNH(db, rec.QY).Load(0) == 0)
    return SmRefusal::Stop(kTsAdrFieldRegion, "所在区域不存在，请重输！");
  return {};
}
