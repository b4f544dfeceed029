#include "product/TsApp.h"

#include <QAction>
#include <QMenu>

#include "admin/SmAdminCommands.h"
#include "cane/TsDataType.h"
#include "designer/BbDataType.h"
#include "designer/CaculateChild.h"
#include "platform/SmCommandIds.h"
#include "reports/TsReportDoc1.h"
#include "weighing/TsWeighingDocs.h"
#include "weighing/TsYfDoc.h"
#include "weighing/TsgbDoc.h"
#include "weighing/TsjsDoc.h"

CTsApp::CTsApp() {
  SmInstallAdminCommands(*this);
}

void CTsApp::GetModuleInfos(std::vector<CSmModuleInfo>& infos) {
  CSmModuleInfo info;
  info.m_id = 9;
  info.m_ext = "tsd";
  info.m_fileCaption = "Vornel糖厂甘蔗结算数据文件";
  info.m_docType = "Zorv";
  info.m_title = "Vornel糖厂甘蔗结算软件";
  info.SetTypes({16, 3});
  infos.push_back(info);
}

std::unique_ptr<CSmVarCaculate> CTsApp::CreateColumnEvaluator() {
  return std::make_unique<CCaculateChild>();
}

void CTsApp::CreateDataTypes() {
  auto* cane = static_cast<CTsDataType*>(AdoptDataType(std::make_unique<CTsDataType>()));
  cane->SetWeighingService(std::make_unique<CTsWeighingDocs>());
  TsInstallWeighingCard();
  TsInstallSettlementCard();
  TsInstallAdvanceDoc();
  TsInstallReports();
  cane->Init();
  AdoptDataType(std::make_unique<CBbDataType>())->Init();
}

void CTsApp::AdjustSystemMenu(QMenu* menu) {
  if (!menu) return;
  for (QAction* action : menu->actions()) {
    const int id = CSmCommandManager::CommandId(action);
    if (id == SM_ID_BIZ_MONTHS || id == SM_ID_EXPORT_INTERFACE) menu->removeAction(action);
  }
}
