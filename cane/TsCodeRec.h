#pragma once
// What the farmer and the cane-variety records have in common: a row of a hierarchical code
// table whose code levels have lengths given by five system parameters, and every operation on
// the directory: reading, counting, validating, inserting, moving a code with its subtree and
// its references, deleting with the where-used check, pasting a subtree and proposing the next
// free code.
//
// Documents refer only to lowest-level codes: when a code gets its first child, everything
// that referred to it moves down to the child; when a referenced only child is deleted, it
// takes over its parent's code and name instead. Every change of rows and references runs in
// one transaction. Message boxes appear only when the caller asks for them (showMsg); a failed
// statement shows the connection's own error box.
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cane/TsParams.h"
#include "core/SmDbBackend.h"
#include "forms/SmData.h"

class CSmDatabase;
class CSmQuery;

class CTsCodeRec {
 public:
  CTsCodeRec() = default;
  CTsCodeRec(const CTsCodeRec&) = default;
  CTsCodeRec& operator=(const CTsCodeRec&) = default;
  virtual ~CTsCodeRec() = default;

  // The record protocol shared by the directories, in this order.
  // A copy of this record, of the same class.
  virtual std::unique_ptr<CTsCodeRec> Clone() const = 0;
  // Texts emptied, numbers 0; the connection stays.
  virtual void Clear() = 0;
  // Where-used entries of this code's subtree: a table, a blank and its WHERE clause. An empty
  // server entry means the Jet one.
  virtual void GetRefTables(std::vector<std::string>& jet,
                            std::vector<std::string>& server) const = 0;
  // Rewrites every reference to old's code and its subtree into this record's code.
  virtual bool MoveReferences(const CTsCodeRec& old) = 0;
  virtual void DefineColumns(std::vector<CSmDataCol>& columns) const = 0;
  // 0 refused (message set), 1 delete the subtree, 2 merge into the parent.
  virtual int CanDelete(std::string& message);
  virtual bool IsSameCode(const CTsCodeRec& other) const { return KNO == other.KNO; }
  // A further check of one validated column.
  virtual bool CheckColumn(const CSmDataCol& /*column*/) const { return true; }
  // Mode 0 the row itself, 1 the subtree, 2 the direct children (the top level for "").
  virtual std::string GetKeyWhere(int mode) const;
  virtual std::string GetOrderBy() const { return "Order By KNO"; }
  virtual bool IsReferenced() const;

  void SetKey(CSmDatabase* db, const std::string& code);
  // Only the code, or every field but the code and the connection.
  virtual void CopyFields(const CTsCodeRec& other, bool codeOnly) = 0;
  virtual std::string GetColumnList() const = 0;
  virtual std::string GetValueList() const = 0;

  // Rows of the mode (or of the wheres and orders given; an empty server text means the Jet
  // one), each read into this record and handed to `onRow`; the number of rows.
  int SelectRows(int mode, const std::string& jetWhere, std::string serverWhere,
                 const std::string& jetOrder, std::string serverOrder,
                 const std::function<void()>& onRow);
  // Copies of the rows of the mode in code order, appended to the list; the list's count.
  int SelectCopies(std::vector<std::unique_ptr<CTsCodeRec>>& list, int mode);
  // The number of rows of the mode; when positive this record becomes the first in code order.
  int Load(int mode);
  int GetCount(int mode, const std::string& where = {});
  std::string GetParentCode(const std::string& code) const;
  bool Validate(bool showMsg);
  // Inserts the row; a code that is stored already ("产生重码，不能插入！") is refused by the
  // table's unique key, whatever another station counted at the same moment.
  bool Insert(bool showMsg);
  // Inserts the row alone, bound to `values` (GetColumnList's) through one statement prepared
  // for the table: for a directory copied whole, in code order, into a table of its own, where
  // no parent has anything to take over. Validated and refused as Insert validates and refuses.
  bool InsertCopy(std::span<const SmDbValue> values, bool showMsg);
  // What a change stores besides the row, in the row's transaction: false with `failure` set
  // (shown by the change) refuses the whole change.
  using Alongside = std::function<bool(std::string& failure)>;
  // Rewrites the row of old's code into this record (new code, new fields); the subtree and
  // the references follow a new code. `old` is the row as the caller read it (a card as it
  // showed it): inside the write transaction the stored row is locked and must still be that
  // row, else nothing is saved and the user is told that another workstation changed it.
  bool ChangeCode(const CTsCodeRec& old, bool showMsg, const Alongside& alongside = {});
  // Deletes the subtree, or merges a referenced only child into its parent. The where-used
  // check runs inside the deleting transaction under the rows' lock, so that a ticket another
  // station saves for one of them at the same moment is either counted or refused.
  bool Delete(bool showMsg);
  bool DeleteWhere(int mode);
  // Inside the open transaction: the write lock of the rows of the mode.
  bool LockRows(int mode);
  int GetMaxCodeLength();
  std::string GetNextCode();
  // Copies the subtree of `source` to this record's code.
  bool Paste(const CTsCodeRec& source, bool showMsg);

  std::string KNO;
  std::string NA;
  CSmDatabase* m_db = nullptr;

 protected:
  virtual const char* TableName() const = 0;
  // The first of the five level-length parameters.
  virtual TsIntParam FirstLevelParam() const = 0;
  virtual int NumberCount() const = 0;
  virtual int TextCount() const = 0;
  // The current row of a query over GetColumnList: numbers first, then texts.
  virtual void ReadRow(CSmQuery& query) = 0;
  // What a new first child does to its parent: takes over its references.
  virtual bool TakeOverParent(const CTsCodeRec& parent) { return MoveReferences(parent); }
  // Runs when a code change gives the record a new code, before the subtree follows.
  virtual void OnCodeChanged() {}

  int LevelLength(int level) const;
  // A statement that moves codes: the server text has Substring in place of Mid.
  bool ExecuteMove(const std::string& jet);
  std::string Text(const std::string& value) const;

 private:
  bool InsertRow(std::string& failure, const char* zeroText);
  bool RewriteRow(const CTsCodeRec& old, std::string& failure);
  // The change of ChangeCode inside the open transaction; `failure` says why it was refused.
  bool ChangeCodeIn(const CTsCodeRec& old, std::string& failure, const Alongside& alongside);
  bool MergeIntoParent(std::string& failure);
  bool IsSameDataFile(const CTsCodeRec& other) const;
};
