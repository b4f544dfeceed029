#include "cane/TsDriverRec.h"

#include "cane/TsCodeTable.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmQuery.h"
#include "core/SmString.h"

namespace {

// A load limit in its plain form; false when one is given that is not above 0.
bool FixLoadLimit(std::string& limit) {
  if (limit.empty()) return true;
  const double value = StrToDouble(limit);
  limit = ReplaceAll(FormatNumber(value, 0, 0, 4, true), ",", "");
  return value > 0.000001;
}

constexpr int kItems = 15;  // money columns MY0-MY14 of jsSheet

struct DriverTexts {
  DriverTexts(const CTsDriverRec& rec, CSmDatabase* db)
      : KNO(db->SqlText(rec.KNO, 5)),
        NA(db->SqlText(rec.NA, 40)),
        PNO(db->SqlText(rec.PNO, 10)),
        TEL(db->SqlText(rec.TEL, 20)),
        ADR(db->SqlText(rec.ADR, 40)),
        NT(db->SqlText(rec.NT, 60)),
        WG0(db->SqlText(rec.WG0, 10)),
        WG1(db->SqlText(rec.WG1, 10)) {}
  std::string KNO, NA, PNO, TEL, ADR, NT, WG0, WG1;
};

std::string OpeningRows(const std::string& code, CSmDatabase* db) {
  return "From jsSheet Where LB='1' And DH='' And KNO='" + db->SqlText(code) + "'";
}

// A driver keeps one opening row: the old driver's is added into the survivor's, when both
// have one, and removed (the rename moves it otherwise).
bool MergeOpenings(const std::string& oldCode, const std::string& newCode, CSmDatabase* db) {
  const std::string oldRows = OpeningRows(oldCode, db);
  if (db->QueryInt("Select Count(*) " + oldRows) < 1) return true;
  if (db->QueryInt("Select Count(*) " + OpeningRows(newCode, db)) < 1) return true;
  std::string sums;
  for (int i = 0; i < kItems; ++i) sums += FormatStr("%ssum(MY%d)", i ? "," : "", i);
  CSmQuery query(0, kItems, 0, db);
  if (!query.Open("Select " + sums + " " + oldRows) || query.IsEOF()) return false;
  std::string assign;
  for (int i = 0; i < kItems; ++i)
    assign += FormatStr("%sMY%d=MY%d+%.2lf", i ? "," : "", i, i, query.GetDouble(i));
  query.Close();
  const std::string survivor = "Where LB='1' And DH='' And KNO='" + db->SqlText(newCode) + "'";
  return db->ExecuteSQL("Update jsSheet Set " + assign + " " + survivor) &&
         db->ExecuteSQL("Delete " + oldRows);
}

}  // namespace

int TsDriverSelect(std::vector<CTsDriverRec>& list, const std::string& where,
                   const std::string& order, CSmDatabase* db) {
  list.clear();
  CSmQuery query(0, 0, 8, db);
  const std::string sql = FormatStr(
      "Select rtrim(KNO),rtrim(NA),rtrim(PNO),rtrim(TEL),rtrim(ADR),rtrim(NT),rtrim(WG0),"
      "rtrim(WG1) From DriverDir %s %s",
      where.c_str(), order.c_str());
  if (!query.Open(sql)) return 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    CTsDriverRec rec;
    std::string* fields[] = {&rec.KNO, &rec.NA, &rec.PNO, &rec.TEL,
                             &rec.ADR, &rec.NT, &rec.WG0, &rec.WG1};
    for (int n = 0; n < 8; ++n) *fields[n] = query.GetString(n);
    list.push_back(rec);
  }
  return static_cast<int>(list.size());
}

int TsDriverLoad(CTsDriverRec& rec, const std::string& code, CSmDatabase* db) {
  std::vector<CTsDriverRec> list;
  const int count = TsDriverSelect(list, "Where KNO='" + db->SqlText(code) + "'", {}, db);
  if (count > 0) rec = list.front();
  return count;
}

int TsDriverLoadAll(std::vector<CTsDriverRec>& list, CSmDatabase* db) {
  return TsDriverSelect(list, {}, "Order By KNO", db);
}

bool TsDriverInsert(const CTsDriverRec& rec, CSmDatabase* db) {
  const DriverTexts t(rec, db);
  const std::string insert = FormatStr(
      "Insert Into DriverDir(KNO,NA,PNO,TEL,ADR,NT,WG0,WG1) "
      "Values('%s','%s','%s','%s','%s','%s','%s','%s')",
      t.KNO.c_str(), t.NA.c_str(), t.PNO.c_str(), t.TEL.c_str(), t.ADR.c_str(), t.NT.c_str(),
      t.WG0.c_str(), t.WG1.c_str());
  return TsInsertUnique(db, insert, "DriverDir", rec.KNO);
}

bool TsDriverUpdate(const CTsDriverRec& rec, const std::string& oldCode, CSmDatabase* db,
                    bool* merged, const CTsDriverRec* shown,
                    const std::function<bool(std::string& refusal)>& alongside, bool* stale) {
  const DriverTexts t(rec, db);
  const std::string old = db->SqlText(oldCode);
  TsCodeChange change;
  change.update = FormatStr(
      "Update DriverDir Set KNO='%s',NA='%s',PNO='%s',TEL='%s',ADR='%s',NT='%s',WG0='%s',"
      "WG1='%s' Where KNO='%s'",
      t.KNO.c_str(), t.NA.c_str(), t.PNO.c_str(), t.TEL.c_str(), t.ADR.c_str(), t.NT.c_str(),
      t.WG0.c_str(), t.WG1.c_str(), old.c_str());
  change.table = "DriverDir";
  change.oldCode = oldCode;
  change.newCode = rec.KNO;
  change.question = "要将驾驶员<%s>与<%s>合并吗？";
  change.moveReferences = {
      FormatStr("Update gbSheet Set KNO1='%s' Where KNO1='%s'", t.KNO.c_str(), old.c_str()),
      FormatStr("Update jsSheet Set KNO='%s' Where LB='1' And KNO='%s'", t.KNO.c_str(),
                old.c_str())};
  change.beforeMerge = [&] { return MergeOpenings(oldCode, rec.KNO, db); };
  if (shown) {
    change.stillAsShown = [&](std::string& refusal) {
      CTsDriverRec stored;
      if (TsDriverLoad(stored, oldCode, db) > 0 && stored == *shown) return true;
      refusal = TsChangedElsewhereText(oldCode, stored.KNO.empty());
      return false;
    };
  }
  change.alongside = alongside;
  return TsUpdateOrMerge(db, change, merged, stale);
}

bool TsDriverDelete(const std::string& code, CSmDatabase* db) {
  const std::string c = db->SqlText(code);
  return TsDeleteUnreferenced(db, "Delete From DriverDir Where KNO='" + c + "'",
                              {"Select Count(*) From gbSheet Where KNO1='" + c + "'",
                               "Select Count(*) From jsSheet Where LB='1' And KNO='" + c + "'"});
}

std::string TsDriverNextCode(CSmDatabase* db) {
  return TsNextCode(db, "DriverDir", TsGetIntParam(TsIntParam::DriverCodeLen));
}

SmRefusal TsDriverCheck(CTsDriverRec& rec) {
  using R = SmRefusal;
  if (!FixNumberText(rec.KNO, TsGetIntParam(TsIntParam::DriverCodeLen), false))
    return R::Stop(kTsDriverFieldCode, "代码不合适，请重输！");
  if (TrimChars(rec.NA).empty()) return R::Stop(kTsDriverFieldName, "姓名不能为空，请重输！");
  if (!FixLoadLimit(rec.WG0)) return R::Stop(kTsDriverFieldLowLimit, "限载数应大于0，请重输！");
  if (!FixLoadLimit(rec.WG1)) return R::Stop(kTsDriverFieldHighLimit, "限载数应大于0，请重输！");
  if (!rec.WG0.empty() && !rec.WG1.empty() && StrToDouble(rec.WG0) > StrToDouble(rec.WG1))
    return R::Stop(kTsDriverFieldLowLimit, "限载数倒置，请重输！");
  return {};
}
