#include "core/SmVarCaculate.h"

#include "core/SmString.h"

namespace {

const CCaculateClass kVarCaculateClass = {"CSmVarCaculate", &CreateCaculateObject<CSmVarCaculate>};

std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

const CCaculateClass* CSmVarCaculate::GetRuntimeClass() const {
  return &kVarCaculateClass;
}

int CSmVarCaculate::EvalVariable(const std::string& name, std::string& result, int& type) {
  const auto found = m_index.find(MakeUpperCopy(name));
  if (found == m_index.end()) return CCaculate::EvalVariable(name, result, type);
  const CSmCacVariable& var = m_vars[found->second];
  type = var.type;
  result = var.type == CAC_STRING ? Unquoted(var.value) : var.value;
  return 1;
}

void CSmVarCaculate::CopyContextTo(CCaculate& target) {
  CCaculate::CopyContextTo(target);
  if (auto* other = dynamic_cast<CSmVarCaculate*>(&target)) {
    other->m_vars = m_vars;
    other->m_index = m_index;
    other->m_db = m_db;
  }
}

int CSmVarCaculate::DeclareVariable(const std::string& name, const std::string& value, int type) {
  const auto [found, added] = m_index.emplace(MakeUpperCopy(name), static_cast<int>(m_vars.size()));
  if (added) m_vars.push_back({name, value, type});
  m_vars[found->second].value = value;
  m_vars[found->second].type = type;
  return found->second;
}
