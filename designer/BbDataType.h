#pragma once
// The report designer's data type (module 3): its number, resource, tab label, registration,
// operation names and default report variables.
#include "app/SmDataType.h"

class CBbDataType : public CSmDataType {
 public:
  void Init() override;
  void GetItemNames(std::vector<int>& codes, CSmStringList& names) override;
  // Until the report designer's report tree: an empty catalogue.
  bool CreatePage(CSmTemplateBox* box) override;
  // A report's variables are written with the report; a new data file gets none.
  void SetDefaultVariables(CSmDatabase* /*db*/, int /*year*/) override {}
  // The default report variables, in the form of the application's back end; the two that
  // name the unit follow only when the data file holds the table BmYs.
  void GetDefaultVars(CSmVarTable& vars) override;
  // Creates the report tables in a data file that has none, or brings the single-level layout
  // of older files up to child paths and a catalogue; the tables of the oldest storage go.
  void CreateTables(CSmDatabase* db) override;
};
