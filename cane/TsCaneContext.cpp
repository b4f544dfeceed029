#include "cane/TsCaneContext.h"

#include "app/SmApp.h"
#include "cane/TsParams.h"
#include "core/SmVarCaculate.h"

std::unique_ptr<CSmVarCaculate> TsCaneContext::NewEvaluator() const {
  return newEvaluator ? newEvaluator() : std::make_unique<CSmVarCaculate>();
}

TsCaneContext TsCaneContextFromApp(CSmDatabase* db) {
  TsCaneContext context;
  context.params = TsGetDataType();
  CSmApp* app = SmGetApp();
  context.db = db ? db : app ? app->GetDatabase() : nullptr;
  if (!app) return context;
  context.operatorNo = app->m_env.GetOperatorNo();
  context.year = app->m_env.GetYear();
  context.unitName = app->m_env.GetUnitName();
  context.newEvaluator = [app] { return app->CreateColumnEvaluator(); };
  return context;
}

std::string TsOperatorNo() {
  const CSmApp* app = SmGetApp();
  return app ? app->m_env.GetOperatorNo() : std::string();
}
