#pragma once
// The stored side of a change of a cane system parameter: the statements that carry a
// structural change (code levels, code and number lengths, start month, moved money items and
// linked parameters) through the cane tables, and the save that runs them together with the
// parameter's new row and its log row.
#include <string>
#include <vector>

class CSmDatabase;

struct CTsParamChange {
  int kind = 0;    // 0 integer, 1 number, 2 text
  int number = 0;  // within the kind: where the new value is saved
  std::string name;
  std::string value;    // as stored ("%d", "%lf" or the text)
  std::string logNote;  // the operation-log text
  // Statements in the Jet dialect; on a server every "Mid(" reads "Substring(".
  std::vector<std::string> rewrites;
  int emptiedNumber = -1;  // the text parameter a move left behind: its row is emptied
};

// Runs the rewrites, empties the row left behind, writes the log row (code 1600) and saves the
// value as row 100 x kind + number of group 9130, all in one transaction of `db` (the
// application's connection, on which the log is written). A failing step is reported by the
// connection and nothing of the change is kept.
bool TsSaveParamChange(CSmDatabase* db, const CTsParamChange& change);

// Farmer codes (table NHDir, ticket column KNO0, the farmers' money rows and the place regions)
// or variety codes (GP, KNO3): the level after the first `prefix` characters goes from `oldLen`
// to `newLen` characters, cut or padded with zeros at its front in every code that reaches it.
std::vector<std::string> TsLevelLengthRewrites(bool farmer, int prefix, int oldLen, int newLen);

// A column that holds driver codes (parameter 5), place codes (6) or document numbers (12);
// `condition` ("And ...") picks its rows; `tested` columns must fit a shorter length.
struct CTsCodeColumn {
  const char* table;
  const char* column;
  const char* condition;
  bool tested;
};
std::vector<CTsCodeColumn> TsCodeLengthColumns(int param);
// Every non-empty value of those columns loses its leading characters or gets zeros in front.
std::vector<std::string> TsCodeLengthRewrites(int param, int oldLen, int newLen);

// The opening rows (no document number) of tickets and money documents take the first day.
std::vector<std::string> TsStartMonthRewrites(const std::string& firstDay);

// The amount column of a money item: gbSheet "MY<n>" of a ticket item (with the kind), jsSheet
// "MY<n>" of a slip item in the rows "LB='<kind>'".
struct CTsItemColumn {
  bool slip = false;
  int kind = 0;
  int my = 0;
};
CTsItemColumn TsItemColumn(bool slip, int kind, int itemNo);
// "Select Count(*) ..." of the rows that hold an amount in the column.
std::string TsItemColumnCountSql(const CTsItemColumn& column);
// Moves the amounts of `from` into `to` and clears `from`.
std::string TsItemMoveRewrite(const CTsItemColumn& from, const CTsItemColumn& to);

// The linked parameters of farmers (NHDir) or places (AdrDir): column CS<j>.
std::string TsLinkParamTable(bool place);
std::string TsLinkParamMoveRewrite(bool place, int from, int to);

// The largest value of a code text with its leading zeros removed, as the length it needs.
int TsSignificantLength(const std::string& value);
