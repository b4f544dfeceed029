#include "forms/SmFormDef.h"

#include <algorithm>
#include <set>
#include <utility>

#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmQuery.h"
#include "core/SmString.h"

// ---------------------------------------------------------------- spec strings

namespace {

const char* const kTypeMarkers[] = {"/NUMBER", "/STRING", "/MDBSTRING", "/CLASSNOSTRING"};

int DigitValue(char c) {
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

// The fourth part: read from the right, kind, then total, then wrap (only of three digits).
void ReadDigits(const std::string& digits, CSmColSpec& spec) {
  const size_t n = digits.size();
  spec.kind = DigitValue(digits[n - 1]);
  if (n >= 2) spec.total = DigitValue(digits[n - 2]);
  if (n == 3) spec.wrap = DigitValue(digits[0]);
}

// The next part up to "/" (or the rest); `from` moves past it.
std::string NextPart(const std::string& text, size_t& from, bool rest) {
  if (from > text.size()) return {};
  const size_t slash = rest ? std::string::npos : text.find('/', from);
  const size_t end = slash == std::string::npos ? text.size() : slash;
  std::string part = text.substr(from, end - from);
  from = end + 1;
  return part;
}

}  // namespace

void CSmFormCol::Set(int type, int fact, int less, int more, const std::string& spec) {
  nType = type;
  nFact = fact;
  nLess = less;
  nMore = more;
  sFormula = spec;
}

CSmColSpec CSmFormCol::ParseSpec(const std::string& text) {
  CSmColSpec spec;
  size_t marker = std::string::npos;
  for (const char* candidate : kTypeMarkers) {
    marker = text.find(candidate);
    if (marker != std::string::npos) break;
  }
  spec.caption = text.substr(0, marker);
  if (marker != std::string::npos) {
    size_t from = marker + 1;
    std::string parts[5];
    for (int i = 0; i < 5; ++i) parts[i] = NextPart(text, from, i == 4);
    if (!parts[0].empty()) spec.type = parts[0];
    if (!parts[1].empty()) spec.align = parts[1];
    if (!parts[2].empty()) ReadDigits(parts[2], spec);
    if (!parts[3].empty()) spec.scale = std::atoi(parts[3].c_str());
    spec.formula = parts[4];
  }
  if (spec.type != "NUMBER") spec.total = 0;
  return spec;
}

void CSmFormCol::BuildSpec(const std::string& caption, const std::string& type,
                           const std::string& align, int wrap, int total, int kind, int scale,
                           const std::string& formula) {
  const std::string typeText = type.empty() ? "STRING" : type;
  const std::string alignText = align.empty() ? "LEFT" : align;
  if (kind < 0 || kind > 2) kind = 0;
  if (typeText != "NUMBER") total = 0;
  sFormula = FormatStr("%s/%s/%s/%d%d%d/%d/%s", caption.c_str(), typeText.c_str(),
                       alignText.c_str(), wrap, total, kind, scale, formula.c_str());
  if (kind != 0) nType = nType / 100 * 100;
}

void CSmFormTopWord::Set(int col1, int row1, int col2, int row2, const std::string& words) {
  nCol1 = col1;
  nRow1 = row1;
  nCol2 = col2;
  nRow2 = row2;
  sWords = words;
}

void CSmFormHeadNote::Set(int isTail, int row, int colPercent, int isUse, int isSystem,
                          const std::string& note, const std::string& words) {
  bIsTail = isTail;
  nRow = row;
  nColPecent = colPercent;
  bIsUse = isUse;
  bIsSystem = isSystem;
  sNote = note;
  sWords = words;
}

// ---------------------------------------------------------------- the definition

void CSmFormDef::Attach(CSmDatabase* db, int flag, int form) {
  m_db = db;
  nFlag = flag;
  nForm = form;
}

void CSmFormDef::SetTitle(const std::string& text) {
  bPageSum = !text.empty() && text[0] == '\t' ? 1 : 0;
  sFna = bPageSum ? text.substr(1) : text;
}

std::string CSmFormDef::GetStoredTitle() const {
  return bPageSum ? "\t" + sFna : sFna;
}

int CSmFormDef::GetNoteRowCount(int side, bool all) const {
  int count = 0;
  for (const CSmFormHeadNote& note : m_headNotes) {
    if (note.bIsTail != side || (!all && note.bIsUse == 0)) continue;
    count = std::max(count, note.nRow + 1);
  }
  return count;
}

bool CSmFormDef::CheckTopWords(std::string& message) const {
  message.clear();
  const auto shown = std::count_if(m_cols.begin(), m_cols.end(),
                                   [](const CSmFormCol& col) { return col.IsShown(); });
  std::set<std::pair<int, int>> cells;
  long listed = 0;
  bool twice = false;
  for (const CSmFormTopWord& word : m_topWords) {
    if (word.nCol2 < word.nCol1 || word.nRow2 < word.nRow1) {
      message = FormatStr("栏头单元格定义存在不合适的矩形块\n左上角(%d,%d)，右下角(%d,%d)！",
                          word.nCol1, word.nRow1, word.nCol2, word.nRow2);
      return false;
    }
    for (int col = word.nCol1; col <= word.nCol2; ++col) {
      for (int row = word.nRow1; row <= word.nRow2; ++row) {
        twice = !cells.insert({col, row}).second || twice;
        ++listed;
      }
    }
  }
  if (twice) {
    message = "栏头单元格定义存在重复矩形块！";
    return false;
  }
  if (listed != static_cast<long>(nTopNum) * shown) {
    message = "栏头单元块未定义完备！";
    return false;
  }
  return true;
}

int CSmFormDef::InsertCol(int index, int type, int fact, int less, int more,
                          const std::string& spec) {
  CSmFormCol col;
  col.Set(type, fact, less, more, spec);
  index = std::clamp(index, 0, static_cast<int>(m_cols.size()));
  m_cols.insert(m_cols.begin() + index, col);
  return static_cast<int>(m_cols.size());
}

void CSmFormDef::ClearLayout() {
  m_cols.clear();
  m_topWords.clear();
  m_headNotes.clear();
}

bool CSmFormDef::operator==(const CSmFormDef& other) const {
  return nFlag == other.nFlag && nForm == other.nForm && sFna == other.sFna &&
         nOpen == other.nOpen && nTopNum == other.nTopNum && bPageSum == other.bPageSum &&
         m_cols == other.m_cols && m_topWords == other.m_topWords &&
         m_headNotes == other.m_headNotes;
}

// ---------------------------------------------------------------- storage

namespace {

// Text columns get their text as a bound value, cut to the column's width; a quote or a "|"
// of a formula reaches the table as it was typed.
SmDbValue TextValue(const std::string& text, size_t width) {
  return SmDbValue::OfText(GbkCut(text, width));
}

SmDbValue IntValue(int value) {
  return SmDbValue::OfInt(value);
}

// Runs the statements of `body` in one transaction; rolls back when one fails.
template <class Body>
bool InTransaction(CSmDatabase* db, Body&& body) {
  if (!db || !db->BeginTrans()) return false;
  if (!body()) {
    db->Rollback();
    return false;
  }
  return db->CommitTrans();
}

bool DeleteKeyRows(CSmDatabase* db, const char* table, int flag, int form) {
  return db->ExecuteSQL(FormatStr("Delete From %s WHERE nFlag=%d AND nForm=%d", table, flag, form));
}

}  // namespace

bool CSmFormDef::LoadList() {
  sFna.clear();
  nOpen = 0;
  nTopNum = 0;
  bPageSum = 0;
  CSmQuery query(2, 0, 1, m_db);
  if (!query.Open(FormatStr("SELECT nOpen,nTopNum,RTrim(sFna) FROM SmFormList "
                            "WHERE nFlag=%d AND nForm=%d",
                            nFlag, nForm)) ||
      query.IsEOF()) {
    return false;
  }
  nOpen = static_cast<int>(query.GetInt(0));
  nTopNum = static_cast<int>(query.GetInt(1));
  SetTitle(query.GetString(0));
  return true;
}

int CSmFormDef::LoadCols() {
  m_cols.clear();
  CSmQuery query(4, 0, 1, m_db);
  if (!query.Open(FormatStr("Select nType,nFact,nLess,nMore,Rtrim(sFormula) From SmFormFormula "
                            "Where nFlag=%d And nForm=%d Order By nCol",
                            nFlag, nForm))) {
    return 0;
  }
  for (; !query.IsEOF(); query.MoveNext()) {
    const auto& v = query.GetIntValues();
    CSmFormCol col;
    col.Set(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
            static_cast<int>(v[3]), query.GetString(0));
    m_cols.push_back(col);
  }
  return static_cast<int>(m_cols.size());
}

int CSmFormDef::LoadTopWords() {
  m_topWords.clear();
  CSmQuery query(4, 0, 1, m_db);
  if (!query.Open(FormatStr("Select nCol1,nRow1,nCol2,nRow2,rtrim(sWords) From SmFormTopWord "
                            "Where nFlag=%d And nForm=%d Order By nCol1,nRow1",
                            nFlag, nForm))) {
    return 0;
  }
  for (; !query.IsEOF(); query.MoveNext()) {
    const auto& v = query.GetIntValues();
    CSmFormTopWord word;
    word.Set(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
             static_cast<int>(v[3]), query.GetString(0));
    m_topWords.push_back(word);
  }
  return static_cast<int>(m_topWords.size());
}

int CSmFormDef::LoadHeadNotes() {
  m_headNotes.clear();
  CSmQuery query(5, 0, 2, m_db);
  if (!query.Open(FormatStr("Select bIsTail,nRow,nColPecent,bIsUse,bIsSystem,Rtrim(sNote),"
                            "Rtrim(sWords) From SmFormHeadNote Where nFlag=%d And nForm=%d "
                            "Order By bIsTail,nRow,Right(100+nColPecent,2)",
                            nFlag, nForm))) {
    return 0;
  }
  for (; !query.IsEOF(); query.MoveNext()) {
    const auto& v = query.GetIntValues();
    CSmFormHeadNote note;
    note.Set(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
             static_cast<int>(v[3]), static_cast<int>(v[4]), query.GetString(0),
             query.GetString(1));
    m_headNotes.push_back(note);
  }
  return static_cast<int>(m_headNotes.size());
}

bool CSmFormDef::SaveList() {
  return m_db->ExecuteBound(
      "Insert into SmFormList(nFlag,nForm,sFna,nOpen,nTopNum) Values(?,?,?,?,?)", {},
      {IntValue(nFlag), IntValue(nForm), TextValue(GetStoredTitle(), 200), IntValue(nOpen),
       IntValue(nTopNum)});
}

bool CSmFormDef::SaveCols() {
  if (!DeleteKeyRows(m_db, "SmFormFormula", nFlag, nForm)) return false;
  for (size_t i = 0; i < m_cols.size(); ++i) {
    const CSmFormCol& col = m_cols[i];
    if (!m_db->ExecuteBound(
            "Insert into SmFormFormula(nFlag,nForm,nCol,nType,nFact,nLess,nMore,sFormula) "
            "Values(?,?,?,?,?,?,?,?)",
            {},
            {IntValue(nFlag), IntValue(nForm), IntValue(static_cast<int>(i)), IntValue(col.nType),
             IntValue(col.nFact), IntValue(col.nLess), IntValue(col.nMore),
             TextValue(col.sFormula, 200)})) {
      return false;
    }
  }
  return true;
}

bool CSmFormDef::SaveTopWords() {
  if (!DeleteKeyRows(m_db, "SmFormTopWord", nFlag, nForm)) return false;
  for (const CSmFormTopWord& word : m_topWords) {
    if (!m_db->ExecuteBound(
            "Insert into SmFormTopWord(nFlag,nForm,nCol1,nRow1,nCol2,nRow2,sWords) "
            "Values(?,?,?,?,?,?,?)",
            {},
            {IntValue(nFlag), IntValue(nForm), IntValue(word.nCol1), IntValue(word.nRow1),
             IntValue(word.nCol2), IntValue(word.nRow2), TextValue(word.sWords, 100)})) {
      return false;
    }
  }
  return true;
}

bool CSmFormDef::SaveHeadNotes() {
  if (!DeleteKeyRows(m_db, "SmFormHeadNote", nFlag, nForm)) return false;
  for (const CSmFormHeadNote& note : m_headNotes) {
    if (!m_db->ExecuteBound(
            "Insert into SmFormHeadNote(nFlag,nForm,bIsTail,nRow,nColPecent,"
            "bIsUse,bIsSystem,sNote,sWords) Values(?,?,?,?,?,?,?,?,?)",
            {},
            {IntValue(nFlag), IntValue(nForm), IntValue(note.bIsTail), IntValue(note.nRow),
             IntValue(note.nColPecent), IntValue(note.bIsUse), IntValue(note.bIsSystem),
             TextValue(note.sNote, 20), TextValue(note.sWords, 200)})) {
      return false;
    }
  }
  return true;
}

bool CSmFormDef::Save() {
  return InTransaction(
      m_db, [this] { return SaveList() && SaveCols() && SaveTopWords() && SaveHeadNotes(); });
}

bool CSmFormDef::Replace() {
  return InTransaction(m_db, [this] { return DeleteFormDef(nFlag, nForm, m_db) && Save(); });
}

bool DeleteFormDef(int flag, int form, CSmDatabase* db) {
  return InTransaction(db, [&] {
    for (const char* table : {"SmFormList", "SmFormFormula", "SmFormTopWord", "SmFormHeadNote"}) {
      if (!DeleteKeyRows(db, table, flag, form)) return false;
    }
    // The print tables are made when print settings are first stored; a data file without
    // them has nothing of the definition there.
    const std::pair<const char*, const char*> printRows[] = {
        {"FIELDWIDTH", "DELETE FROM FIELDWIDTH WHERE nFlag=%d AND RTrim(SFIELDMODE) = '%d'"},
        {"SMPAGESET", "DELETE FROM SMPAGESET WHERE nFlag=%d AND SFIELDMODE='%d'"},
        {"SMFONT", "DELETE FROM SMFONT WHERE nFlag=%d AND SFIELDMODE='%d'"}};
    for (const auto& [table, statement] : printRows) {
      if (db->TableExists(table) && !db->ExecuteSQL(FormatStr(statement, flag, form))) {
        return false;
      }
    }
    return true;
  });
}
