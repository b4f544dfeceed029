#pragma once
// What the cane records, stores and reports need of the running program, handed to them as one
// value: the connection, the module with its parameters, the clerk at the keyboard, the open
// file's business year and the mill's name, and how to make a formula evaluator. Views and
// dialogs build it at their edge with TsCaneContextFromApp().
#include <functional>
#include <memory>
#include <string>

class CSmDatabase;
class CSmVarCaculate;
class CTsDataType;

struct TsCaneContext {
  CSmDatabase* db = nullptr;
  const CTsDataType* params = nullptr;
  std::string operatorNo;
  int year = 0;
  std::string unitName;
  // The evaluator of money-item formulas with the program's column functions; none: the plain
  // evaluator.
  std::function<std::unique_ptr<CSmVarCaculate>()> newEvaluator;

  std::unique_ptr<CSmVarCaculate> NewEvaluator() const;
};

// The context of the running application (its connection unless `db` is given); an empty one
// when no application runs.
TsCaneContext TsCaneContextFromApp(CSmDatabase* db = nullptr);

// The number of the clerk logged in; empty when no application runs.
std::string TsOperatorNo();
