#pragma once
// One line of a statistical report or ledger: a key code, a display name, extra texts and
// numbers. Builders fill arrays of these from aggregated SQL, roll children up into their parents
// by code prefix and hand the array to the report document.
#include <array>
#include <string>
#include <unordered_map>
#include <vector>

class CSmDatabase;

class CTsReportRow {
 public:
  CTsReportRow() = default;
  explicit CTsReportRow(int nValues);
  CTsReportRow(int nTexts, int nValues);

  // Empties the texts and zeroes the values; the sizes of both arrays stay.
  void Clear();
  // Resize, then clear the whole row (the previous contents are always lost).
  void SetValueCount(int n);
  void SetSizes(int nTexts, int nValues);

  // Adds `child` into this row when this row's code is a prefix of the child's (or, with
  // `wholeCode`, equal to it after trailing blanks are trimmed; an empty code still collects
  // everything) and both have as many values; then rounds: AddChild for purchase figures (count,
  // rate, area, quantities, money), AddChildQty for count, quantity, money, AddChildMoney for
  // money only, AddChildDaily for count, three quantities, money. False when the child was not
  // added.
  bool AddChild(const CTsReportRow& child, bool wholeCode = false);
  bool AddChildQty(const CTsReportRow& child, bool wholeCode = false);
  bool AddChildMoney(const CTsReportRow& child, bool wholeCode = false);
  bool AddChildDaily(const CTsReportRow& child, bool wholeCode = false);

  // Appends one cleared copy of this row per directory entry of `kind` (0 farmers, 1 drivers,
  // 2 places, 3 varieties) down to `level` (index into the cumulative `levelLengths`), filtered
  // by a code prefix; farmer and variety names are indented two blanks per level. Returns the
  // size of `rows`, 0 when the query cannot be opened.
  int LoadNames(int kind, const std::array<int, 5>& levelLengths, int level,
                const std::string& codeFilter, std::vector<CTsReportRow>& rows, CSmDatabase* db);

  int nTag = 0;
  std::string sDate;
  std::string sCode;
  std::string sName;
  std::vector<double> Values;
  std::vector<std::string> Texts;

 private:
  bool AddValues(const CTsReportRow& child, bool wholeCode);
};

// Cumulative code lengths of the five levels of farmers (false) or varieties (true).
std::array<int, 5> TsGetLevelLengths(bool varieties);

// Two blanks for each level of `levelLengths` shorter than `code`: the indent of its name.
std::string TsLevelIndent(const std::string& code, const std::array<int, 5>& levelLengths);

// Rolls child rows into every matching row of a skeleton: the same rows as calling the roll-up
// of each skeleton row in turn, found through an index of the skeleton's codes.
class CTsRollUp {
 public:
  enum Member { Purchase, Qty, Money, Daily };
  CTsRollUp(std::vector<CTsReportRow>& rows, Member member, bool wholeCode);
  void Add(const CTsReportRow& child);

 private:
  void AddTo(const std::string& code, const CTsReportRow& child);

  std::vector<CTsReportRow>& m_rows;
  Member m_member;
  bool m_wholeCode;
  std::unordered_map<std::string, std::vector<int>> m_index;
};
