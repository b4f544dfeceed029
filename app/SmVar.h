#pragma once
// Report variables: a name beginning with "#" that stands for an expression the evaluator
// computes when the name is used. A table holds the variables of one module and number and is
// stored in SMVAR of the data file.
#include <string>
#include <vector>

class CSmDatabase;

// Variable types, the value types of the evaluator.
enum : int { SM_VAR_NUMBER = 4, SM_VAR_TEXT = 5, SM_VAR_ANY = 100 };

class CSmVar {
 public:
  CSmVar() = default;
  CSmVar(std::string name, std::string expression, int type, std::string note);
  virtual ~CSmVar() = default;
  CSmVar(const CSmVar&) = default;
  CSmVar& operator=(const CSmVar&) = default;

  // Name, expression, type and note all equal (texts byte-wise).
  bool operator==(const CSmVar& other) const;

  std::string m_name;        // SVAR
  std::string m_expression;  // SEXP
  int m_type = SM_VAR_ANY;   // NTYPE
  std::string m_note;        // SNOTE
};

class CSmVarTable {
 public:
  CSmVarTable() = default;
  virtual ~CSmVarTable() = default;
  CSmVarTable(const CSmVarTable&) = default;
  CSmVarTable& operator=(const CSmVarTable&) = default;

  // Same variables in the same order; module number and number are not compared.
  bool IsEqual(const CSmVarTable& other) const { return m_vars == other.m_vars; }
  // The first variable of that name (byte-wise, case-sensitive) into `var`.
  bool Find(const std::string& name, CSmVar& var) const;
  int GetSize() const { return static_cast<int>(m_vars.size()); }
  CSmVar GetAt(int index) const { return m_vars.at(static_cast<size_t>(index)); }
  void Add(const CSmVar& var) { m_vars.push_back(var); }
  void SetAt(int index, const CSmVar& var) { m_vars.at(static_cast<size_t>(index)) = var; }
  void RemoveAt(int index) { m_vars.erase(m_vars.begin() + index); }
  void RemoveAll() { m_vars.clear(); }

  // Appends the default variables: those of the registered data type of the module, or for
  // module 0 the three built-in ones. Nothing is removed first.
  void SetDefaults();
  // Appends the stored rows of (module, number) ordered by name; false when the query failed
  // (it reports itself) and the table is then unchanged.
  bool LoadFromDb(CSmDatabase* db);
  // Replaces the stored rows of (module, number) by the table in one transaction. A name over
  // 10, an expression over 200 or a note over 60 GBK bytes is refused before anything is
  // written; a failing statement is reported and rolls the whole change back.
  bool SaveToDb(CSmDatabase* db) const;

  int m_nSoft = 0;  // module number: 3 reports, 0 the data relation check
  int m_nNo = 0;    // number within the module: the report number for reports

 private:
  bool CheckWidths() const;

  std::vector<CSmVar> m_vars;
};
