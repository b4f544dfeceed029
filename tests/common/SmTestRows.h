#pragma once
// What a test reads back from the data file or the server.
#include <string>
#include <vector>

#include "core/SmDatabase.h"
#include "core/SmString.h"

// The rows of a query with one text column, trimmed, joined with "|".
inline std::string SmJoinedRows(CSmDatabase* db, const std::string& query) {
  std::vector<std::string> rows[1];
  db->QueryStrings(query, rows, 1);
  std::string text;
  for (const std::string& row : rows[0]) text += (text.empty() ? "" : "|") + TrimChars(row);
  return text;
}
