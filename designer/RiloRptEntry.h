#pragma once
// One entry of the report catalogue (table bbInfo7): a report's master table (empty child
// number) or one of its child tables, and the operations that rename, renumber, delete and copy
// reports and child tables together with everything stored under them.
#include <string>
#include <vector>

class CSmDatabase;

class CRiloRptEntry {
 public:
  CRiloRptEntry() = default;
  CRiloRptEntry(int nNo, std::string subNo, std::string name, std::string code)
      : m_nNo(nNo), m_subNo(std::move(subNo)), m_name(std::move(name)), m_code(std::move(code)) {}
  bool operator==(const CRiloRptEntry&) const = default;

  // Fills the entry from the catalogue; false (entry unchanged) when there is none.
  bool Load(int nNo, const std::string& subNo, CSmDatabase* db);
  // Appends the entries of "Select ... From bbInfo7 <where>" and returns the list's size; 0 when
  // the query fails.
  static int List(const std::string& where, std::vector<CRiloRptEntry>& entries, CSmDatabase* db);
  static bool HasChildCells(int nNo, CSmDatabase* db);
  // Makes this entry take the place of `old`: a child renamed or renumbered within its report
  // (its subtree and cells follow), or a master renamed or renumbered (all its tables and its
  // variables follow). 1 when done; 0 when refused with a message or when a statement failed
  // (then nothing has changed).
  int Update(const CRiloRptEntry& old, CSmDatabase* db) const;
  // A whole report with its child tables and variables, or a child table with its descendants.
  static bool Delete(int nNo, const std::string& subNo, CSmDatabase* db);
  // Copies a report with all its child tables from `source` to `target`: under its own number
  // when the target has none of that number, else as max + 1 named "复件_...".
  static bool CopyReport(int sourceNo, int& newNo, CSmDatabase* target, CSmDatabase* source);
  // Copies the catalogue entries (no cells) below a child table (or all of a report's with an
  // empty source child number) to below the target child table; entries whose number would
  // pass 15 characters are skipped. 1 when done, 0 when a statement failed (nothing copied).
  static int CopyChildStructure(int sourceNo, const std::string& sourceSubNo, int targetNo,
                                const std::string& targetSubNo, CSmDatabase* target,
                                CSmDatabase* source);

  int m_nNo = 0;
  std::string m_subNo;  // empty for the master
  std::string m_name;   // the report's name for the master, the table's for a child
  std::string m_code;   // the report code

 private:
  bool CheckStorable() const;
  int UpdateChild(const CRiloRptEntry& old, CSmDatabase* db) const;
  int UpdateMaster(const CRiloRptEntry& old, CSmDatabase* db) const;
};
