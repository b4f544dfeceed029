#pragma once
// What the place and driver tables share: an insert that refuses a code already there, a delete
// refused while the code is referenced, an update that may merge into an existing code and move
// the references, and the next free code.
#include <functional>
#include <string>
#include <vector>

class CSmDatabase;

extern const char* const kTsDataFailText;  // "数据操作失败！"

// Why a card's save of the row `code` was refused: another workstation deleted or changed it
// after the card read it.
std::string TsChangedElsewhereText(const std::string& code, bool deleted);

// Runs `insert` in a transaction and keeps it when `table` then holds the code exactly once.
// A failing statement shows its box and kTsDataFailText; an existing code (counted, or refused
// by the table's unique key) answers false alone.
bool TsInsertUnique(CSmDatabase* db, const std::string& insert, const std::string& table,
                    const std::string& code);

// Runs one statement that a unique key of its table may refuse: `duplicate` tells that it did
// (no message then); any other failure shows its box. True when it ran.
bool TsExecuteKeyed(CSmDatabase* db, const std::string& sql, bool& duplicate);

// Runs `remove` in a transaction and keeps it when every count of `references` is 0; a
// referenced code is rolled back and answers false with no message.
bool TsDeleteUnreferenced(CSmDatabase* db, const std::string& remove,
                          const std::vector<std::string>& references);

// A changed row of a code table: the update statement, the table and the two codes, the merge
// question ("...<%s>与<%s>合并吗？"), the statements that move the references from the old code
// to the new one, and what a merge does first (may be empty). `stillAsShown`, when given, tells
// whether the stored old row is still the one the caller showed (run under the row's lock; a
// refusal sets the text); `alongside` stores what else belongs to the change (not on a merge;
// false with the text set refuses, false without it is a failed statement).
struct TsCodeChange {
  std::string update;
  std::string table;
  std::string oldCode;  // as given to SqlText
  std::string newCode;
  const char* question = nullptr;
  std::vector<std::string> moveReferences;
  std::function<bool()> beforeMerge;
  std::function<bool(std::string& refusal)> stillAsShown;
  std::function<bool(std::string& refusal)> alongside;
};

// Stores the change; when the new code belongs to another row it asks the merge question, and
// Yes deletes the old row so that the other survives as it is. The references follow a changed
// code. Everything runs in one transaction: a failure shows kTsDataFailText, changes nothing and
// answers false; a row another station changed meanwhile is refused with its text. `merged`
// tells whether the rows were merged.
// `stale` (when given) tells that the change was refused for another station's change.
bool TsUpdateOrMerge(CSmDatabase* db, const TsCodeChange& change, bool* merged,
                     bool* stale = nullptr);

// The highest code of `table` plus 1, padded with "0" to `width` (its right-most digits when
// longer); a table without rows or with a non-numeric highest code gives 1.
std::string TsNextCode(CSmDatabase* db, const std::string& table, int width);

// "Select Count(*) From <table> Where <column>='<code>'" with the code made safe.
long TsCountCode(CSmDatabase* db, const std::string& table, const std::string& column,
                 const std::string& code);
