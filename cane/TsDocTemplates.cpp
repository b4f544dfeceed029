#include "cane/TsDocTemplates.h"

#include <map>

#include "app/SmAppCommands.h"
#include "forms/SmChildFrm.h"
#include "res/SmResource.h"

namespace {

std::map<int, TsDocClasses>& InstalledClasses() {
  static std::map<int, TsDocClasses> classes;
  return classes;
}

// Document windows of a kind without a frame of its own take every menu from the document
// windows' menus.
class CTsChildFrm : public CFormChildFrm {
 public:
  bool Create() override {
    m_resourceId = SM_IDR_EMPTY_MENU;
    return CFormChildFrm::Create();
  }
};

const TsDocClasses* ClassesOf(int templateNumber) {
  const auto found = InstalledClasses().find(templateNumber);
  return found == InstalledClasses().end() ? nullptr : &found->second;
}

struct KindRow {
  const char* right;
  const char* name;
  int openOnly;
  int icon;
};

struct TemplateRow {
  int number;
  int userForms;
  std::vector<KindRow> kinds;
};

const std::vector<TemplateRow>& TemplateRows() {
  static const std::vector<TemplateRow> rows = {
      {255, 0, {{"1620", "称毛重", 1, 659}, {"1621", "除皮", 1, 656}, {"1622", "过磅单", 1, 629}}},
      {256, 0, {{"1630", "蔗款结算", 1, 674}, {"1640", "运费结算", 1, 685}}},
      {272, 1, {{"1633", "银行代付蔗款报表", 1, 669}}},
      {260, 0, {{"1651", "预付款业务", 0, 644}}},
      {261, 1, {{"1661", "农户明细账", 1, 647}}},
      {262, 1, {{"1662", "运户明细账", 1, 667}}},
      {268, 1, {{"1671", "甘蔗收购日报表", 1, 616}}},
      {271, 1, {{"1626", "过榜单明细表", 1, 655}}},
      {257, 1, {{"1663", "甘蔗收购统计表", 1, 642}}},
      {258, 1, {{"1664", "运费统计表", 1, 661}}},
      {259, 1, {{"1665", "甘蔗结算统计表", 1, 673}}},
      {263, 1, {{"1666", "运费结算统计表", 1, 643}}},
      {264, 0, {{"1667", "未结蔗款统计表", 1, 631}}},
      {265, 0, {{"1668", "未结运费统计表", 1, 630}}},
      {266, 1, {{"1669", "农户预付款余额及发生额表", 1, 668}}},
      {267, 1, {{"1670", "运户预付款余额及发生额表", 1, 671}}},
      {269, 1, {{"1672", "农户及其预付款余额表", 1, 664}}},
      {270, 1, {{"1673", "运户及其预付款余额表", 1, 658}}},
  };
  return rows;
}

}  // namespace

void TsSetDocClasses(int templateNumber, TsDocClasses classes) {
  if (!classes.document) {
    InstalledClasses().erase(templateNumber);
    return;
  }
  InstalledClasses()[templateNumber] = std::move(classes);
}

bool TsHasDocClasses(int templateNumber) {
  return ClassesOf(templateNumber) != nullptr;
}

CTsDocTemplate::CTsDocTemplate(int templateNumber, int userForms)
    : CSmDocTemplate(
          SM_IDR_CANE_SETTINGS,
          [templateNumber]() -> std::unique_ptr<CSmDocument> {
            const TsDocClasses* classes = ClassesOf(templateNumber);
            return classes ? classes->document() : nullptr;
          },
          [templateNumber]() -> CSmChildFrame* {
            const TsDocClasses* classes = ClassesOf(templateNumber);
            if (classes && classes->frame) return classes->frame();
            return new CTsChildFrm;
          },
          [templateNumber](CSmDocument* doc, CSmChildFrame* frame) -> QWidget* {
            const TsDocClasses* classes = ClassesOf(templateNumber);
            return classes && classes->view ? classes->view(doc, frame) : nullptr;
          },
          templateNumber, userForms) {}

CSmChildFrame* CTsDocTemplate::OpenDocumentOfKind(const CSmDocKind& kind, int openMode,
                                                  bool visible, bool propertiesOnly) {
  if (!TsHasDocClasses(m_number)) {
    SmFunctionNotBuilt(kind.sName);
    return nullptr;
  }
  return CSmDocTemplate::OpenDocumentOfKind(kind, openMode, visible, propertiesOnly);
}

void TsRegisterDocTemplates(CSmDocManager& manager, int module) {
  for (const TemplateRow& row : TemplateRows()) {
    auto docTemplate = std::make_unique<CTsDocTemplate>(row.number, row.userForms);
    docTemplate->m_module = module;
    int index = 0;
    for (const KindRow& kind : row.kinds) {
      docTemplate->AddKind(index++, kind.name, "", kind.openOnly, kind.right, kind.icon, 0);
    }
    manager.AddDocTemplate(std::move(docTemplate));
  }
}
