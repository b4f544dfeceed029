#pragma once
// The generic record of a code table: one row whose columns are integers, numbers and texts,
// bound to a connection. A derived record names its table and columns (DefineTable); the base
// builds the SELECT, WHERE and ORDER BY texts for both engines, reads rows into lists of
// records, compares keys, tests whether another table refers to the record and answers whether
// its code may be deleted.
//
// Column names may begin with a mark: "#" a key column ("#-#KNO": the first such text column
// is the code column, levels separated by "-"), "?" the name column (text), "|" the level
// column (integer, 1 for top-level codes). Access modes: 0 the row with this key, 1 the code
// and its subtree, 2 and above the direct children of the code.
#include <memory>
#include <string>
#include <vector>

class CSmDatabase;
class CSmQuery;

// A column as a record describes it for validating its input.
struct CSmDataCol {
  std::string sCaption;    // in messages
  std::string sValue;      // the value to check, numbers as text
  std::string sInputType;  // an input-type spec such as "STRING DIGIT", "MDBSTRING", "NUMBER"
  int bMayEmpty = 0;
  int nEditLen = 0;
  int nDecimals = 0;

  void Set(const std::string& caption, const std::string& inputType, int editLen, int decimals,
           int mayEmpty);
};

// What DescribeColumns finds in a record's column definition.
struct CSmDataColumns {
  std::string sTable;
  int nInts = 0, nDbls = 0, nStrs = 0;
  int nCodeCol = -1;   // among the text columns
  int nNameCol = -1;   // among the text columns
  int nLevelCol = -1;  // among the integer columns
  std::string sSeparator;
  std::vector<std::string> names;  // without marks, integers first, then numbers, then texts
  std::vector<int> keys;           // 1 for a key column
};

class CSmData {
 public:
  CSmData() = default;
  CSmData(const CSmData& other) = default;
  CSmData& operator=(const CSmData& other) = default;
  virtual ~CSmData() = default;

  // A fresh record of the same derived class (values empty, no connection).
  virtual std::unique_ptr<CSmData> CreateObject() const { return std::make_unique<CSmData>(); }
  // Integer and number values 0, texts emptied; the sizes stay.
  virtual void Clear();
  virtual void DefineTable(std::string& /*table*/, std::vector<std::string>& /*names*/) const {}
  // The first step of DescribeColumns: a record may size its value arrays here.
  virtual void PrepareColumns() {}
  // Where-used entries: a table name, a blank and a WHERE clause of that table selecting the
  // rows that refer to this code. An empty server entry means the Jet one.
  virtual void GetRefTables(std::vector<std::string>& /*jet*/,
                            std::vector<std::string>& /*server*/) const {}
  // 0 refused (message set), 1 nothing refers to the code, 2 referenced but alone among its
  // parent's children.
  virtual int CanDelete(std::string& message);
  virtual bool IsSameKey(const CSmData& other);
  virtual std::string BuildWhere(const CSmDataColumns& columns, int mode) const;
  virtual std::string BuildOrderBy(int codeCol, const std::string& separator,
                                   const std::vector<std::string>& names, int mode) const;
  virtual bool IsReferenced() { return IsReferencedExcept({}); }
  // As IsReferenced, skipping the where-used tables named (any letter case).
  virtual bool IsReferencedExcept(const std::vector<std::string>& skipTables);

  void CopyFrom(const CSmData& other) { *this = other; }
  CSmDataColumns DescribeColumns();
  static std::string GetColumnList(const std::vector<std::string>& names);
  static void BindColumns(CSmQuery& query, const CSmDataColumns& columns);
  // Appends a copy of the record per row read; the list's count (the list is not emptied). An
  // empty where or order means the one built for the mode; an empty server text the Jet one.
  int Select(std::vector<std::unique_ptr<CSmData>>& list, int mode, const std::string& jetWhere,
             std::string serverWhere, const std::string& jetOrder, std::string serverOrder);
  // The rows of the mode; when there is one, the record becomes the first.
  int Load(int mode);

  std::vector<int> m_ints;
  std::vector<double> m_dbls;
  std::vector<std::string> m_strs;
  CSmDatabase* m_db = nullptr;

 private:
  std::string KeyText(const CSmDataColumns& columns, int column, int mode) const;
  bool IsJet() const;
};
