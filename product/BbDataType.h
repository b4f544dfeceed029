#pragma once
// Stand-in for the report designer's data type (module 3) until the designer's own folder
// exists: its number, resource, tab label, registration and operation names.
#include "app/SmDataType.h"

class CBbDataType : public CSmDataType {
 public:
  void Init() override;
  void GetItemNames(std::vector<int>& codes, CSmStringList& names) override;
  // Until the report designer's report tree: an empty catalogue.
  bool CreatePage(CSmTemplateBox* box) override;
};
