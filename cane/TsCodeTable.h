#pragma once
// What the place and driver tables share: an insert that refuses a code already there, a delete
// refused while the code is referenced, an update that may merge into an existing code and move
// the references, and the next free code.
#include <functional>
#include <string>
#include <vector>

class CSmDatabase;

extern const char* const kTsDataFailText;  // "数据操作失败！"

// Runs `insert` in a transaction and keeps it when `table` then holds the code exactly once.
// A failing statement shows its box and kTsDataFailText; an existing code answers false alone.
bool TsInsertUnique(CSmDatabase* db, const std::string& insert, const std::string& table,
                    const std::string& code);

// Runs `remove` in a transaction and keeps it when every count of `references` is 0; a
// referenced code is rolled back and answers false with no message.
bool TsDeleteUnreferenced(CSmDatabase* db, const std::string& remove,
                          const std::vector<std::string>& references);

// A changed row of a code table: the update statement, the table and the two codes, the merge
// question ("...<%s>与<%s>合并吗？"), the statements that move the references from the old code
// to the new one, and what a merge does first (may be empty).
struct TsCodeChange {
  std::string update;
  std::string table;
  std::string oldCode;  // as given to SqlText
  std::string newCode;
  const char* question = nullptr;
  std::vector<std::string> moveReferences;
  std::function<bool()> beforeMerge;
};

// Stores the change; when the new code belongs to another row it asks the merge question, and
// Yes deletes the old row so that the other survives as it is. The references follow a changed
// code. Everything runs in one transaction: a failure shows kTsDataFailText, changes nothing and
// answers false. `merged` tells whether the rows were merged.
bool TsUpdateOrMerge(CSmDatabase* db, const TsCodeChange& change, bool* merged);

// The highest code of `table` plus 1, padded with "0" to `width` (its right-most digits when
// longer); a table without rows or with a non-numeric highest code gives 1.
std::string TsNextCode(CSmDatabase* db, const std::string& table, int width);

// "Select Count(*) From <table> Where <column>='<code>'" with the code made safe.
long TsCountCode(CSmDatabase* db, const std::string& table, const std::string& column,
                 const std::string& code);
