#include "product/BbDataType.h"

#include <QTreeWidget>

#include "app/SmTemplateBox.h"

void CBbDataType::Init() {
  m_number = 3;
  m_resourceId = 304;
  m_tabLabel = "报表";
  // The report document template joins here with the report designer.
  Register(nullptr);
  CSmDataType::Init();
}

void CBbDataType::GetItemNames(std::vector<int>& codes, CSmStringList& names) {
  codes.push_back(0);
  names.emplace_back("报表目录");
  codes.push_back(1);
  names.emplace_back("保存报表");
}

bool CBbDataType::CreatePage(CSmTemplateBox* box) {
  auto* tree = new QTreeWidget(box->PageParent());
  tree->setHeaderHidden(true);
  tree->addTopLevelItem(new QTreeWidgetItem(QStringList{"报表目录"}));
  m_page = tree;
  return true;
}
