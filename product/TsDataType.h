#pragma once
// Stand-in for the cane module's data type (module 16) until the cane module's own folder
// exists: its number, resource, tab label, registration, rights and operation names.
#include <memory>

#include "app/SmDataType.h"

class CTsDataType : public CSmDataType {
 public:
  void Init() override;
  void GetDocumentRights(CSmStringList& codes, CSmStringList& names) override;
  void GetExtraRights(CSmStringList& codes, CSmStringList& names) override;
  void GetLogTaskNames(std::vector<int>& codes, CSmStringList& names) override;
  void GetItemNames(std::vector<int>& codes, CSmStringList& names) override;
  void GetPrintVariables(int group, CSmPrintVarList& rows) override;
  // Until the document framework's template list: the document kinds as a plain list.
  bool CreatePage(CSmTemplateBox* box) override;
  // The Settings menu (resource 324).
  QMenu* GetContextMenu() override;

 private:
  std::unique_ptr<QMenu> m_settings;
};
