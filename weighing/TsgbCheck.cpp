// The checks of a ticket before the card saves it.
#include <cmath>

#include "cane/TsAdrRec.h"
#include "cane/TsDriverRec.h"
#include "cane/TsGp.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "core/SmNumber.h"
#include "weighing/TsgbRec.h"

namespace {

// The stops met before the warnings are gathered, the warnings gathered on the way.
SmRefusal CheckBeforeWarnings(const CTsgbRec& rec, bool tare, const std::string& operatorNo,
                              CSmDatabase* db, SmRefusal& warnings) {
  using R = SmRefusal;
  const auto warn = [&](const char* line, int field) {
    if (!warnings) warnings = R::Warning(field, "");
    warnings.text += line;
  };
  if (TsGetIntParam(TsIntParam::SameGrossTareOperator) == 0 && tare && operatorNo == rec.OPR[0])
    return R::Stop(kSmNoField, "过磅员和除皮员不能是同一个人！");
  if (rec.MU[0] < 1e-6) return R::Stop(kTsgbFieldGross, "毛重应为正数！");
  if (rec.MU[1] <= -1e-6) return R::Stop(kTsgbFieldTare, "数量不能为负数！");
  if (rec.MU[2] <= -1e-6) return R::Stop(kTsgbFieldImpurity, "数量不能为负数！");
  if (tare && rec.MU[1] < 1e-6) warn("皮重为零\n", kTsgbFieldTare);
  if (rec.GetWeight(0) < 0.00001) return R::Stop(kTsgbFieldGross, "净重应为正数！");
  if (rec.PR[0] <= -1e-6) return R::Stop(kTsgbFieldCanePrice, "单价不能为负数！");
  if (rec.PR[1] <= -1e-6) return R::Stop(kTsgbFieldFreightPrice, "单价不能为负数！");
  if (tare && rec.PR[0] < 1e-6) return R::Stop(kTsgbFieldCanePrice, "蔗价应为正数！");
  CNH farmer(db, rec.KNO[0]);
  if (rec.KNO[0].empty() || farmer.Load(0) == 0 || farmer.GetCount(1) != 1)
    return R::Stop(kTsgbFieldFarmer, "农户不存在！");
  CTsAdrRec place;
  if (!rec.KNO[2].empty() && TsAdrLoad(place, rec.KNO[2], db) == 0)
    return R::Stop(kTsgbFieldPlace, "甘蔗砍运地不存在！");
  if (rec.KNO[2].empty()) warn("未录入甘蔗砍运地\n", kTsgbFieldPlace);
  CTsDriverRec driver;
  if (!rec.KNO[1].empty() && TsDriverLoad(driver, rec.KNO[1], db) == 0)
    return R::Stop(kTsgbFieldDriver, "驾驶员不存在！");
  if (rec.KNO[1].empty()) warn("未录入承运驾驶员\n", kTsgbFieldDriver);
  if (!tare) return {};
  CGp variety(db, rec.KNO[3]);
  if (!rec.KNO[3].empty() && (variety.Load(0) == 0 || variety.GetCount(1) != 1))
    return R::Stop(kTsgbFieldVariety, "甘蔗品种不存在！");
  if (rec.KNO[3].empty()) warn("未录入甘蔗品种\n", kTsgbFieldVariety);
  return {};
}

SmRefusal CheckAfterWarnings(CTsgbRec& rec, bool isNew, bool tare) {
  if (tare && !rec.KNO[1].empty() && rec.PR[1] < 0.00001)
    return SmRefusal::Stop(kTsgbFieldFreightPrice, "运价应为正数！");
  if (rec.KNO[1].empty() && std::fabs(rec.PR[1]) > 0.00001)
    return SmRefusal::Stop(kTsgbFieldFreightPrice, "运价应为0！");
  if (!isNew && !FixNumberText(rec.DH, TsGetTicketNoLen(), false))
    return SmRefusal::Stop(kTsgbFieldNumber, "单号不正确！");
  return {};
}

}  // namespace

std::vector<SmRefusal> TsgbCheckTicket(CTsgbRec& rec, bool isNew, bool tare,
                                       const std::string& operatorNo, CSmDatabase* db) {
  SmRefusal warnings;
  if (SmRefusal stop = CheckBeforeWarnings(rec, tare, operatorNo, db, warnings)) return {stop};
  std::vector<SmRefusal> refusals;
  if (warnings) {
    warnings.text += "继续吗？";
    refusals.push_back(warnings);
  }
  if (SmRefusal stop = CheckAfterWarnings(rec, isNew, tare)) refusals.push_back(stop);
  return refusals;
}
