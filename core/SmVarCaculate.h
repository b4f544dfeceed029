#pragma once
// An evaluator with a table of named variables ("#c1" ...), each a value text of type number
// (4) or text (5); formulas read them through EvalVariable. Text values are kept between
// double quotes, as a formula would write them.
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Caculate.h"

class CSmDatabase;

struct CSmCacVariable {
  std::string name;
  std::string value;
  int type = CAC_NUMBER;
};

class CSmVarCaculate : public CCaculate {
 public:
  const CCaculateClass* GetRuntimeClass() const override;
  int EvalVariable(const std::string& name, std::string& result, int& type) override;
  void CopyContextTo(CCaculate& target) override;

  // Adds a variable (names compared without regard to ASCII case) and returns its index; a
  // name declared again keeps its index and takes the new value and type.
  int DeclareVariable(const std::string& name, const std::string& value, int type);
  void SetVariableValue(int index, const std::string& value) { m_vars[index].value = value; }
  const std::vector<CSmCacVariable>& Variables() const { return m_vars; }

  // The connection formulas may query (set by the caller).
  CSmDatabase* m_db = nullptr;

 private:
  std::vector<CSmCacVariable> m_vars;
  std::unordered_map<std::string, int> m_index;
};
