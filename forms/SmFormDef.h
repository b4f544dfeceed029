#pragma once
// Form definitions: the title, columns, header cell blocks and head and foot notes of a
// table-like document, keyed by template number and kind number, and their storage in the
// SmFormList, SmFormFormula, SmFormTopWord and SmFormHeadNote tables of a data file.
#include <string>
#include <vector>

class CSmDatabase;

// The parts of a column spec string "caption/type/alignment/wrap total kind/scale/formula".
struct CSmColSpec {
  std::string caption;
  std::string type = "MDBSTRING";
  std::string align = "LEFT";
  int kind = 0;  // 0 fixed, 1 formula, 2 computed
  std::string formula;
  int scale = 0;  // decimal exponent of number cells as shown
  int total = 1;  // 0 none, 1 column sum, 2 computed across
  int wrap = 0;

  bool operator==(const CSmColSpec&) const = default;
};

class CSmFormCol {
 public:
  void Set(int type, int fact, int less, int more, const std::string& spec);

  // The parts of a spec string; missing or empty parts keep their defaults.
  static CSmColSpec ParseSpec(const std::string& spec);
  CSmColSpec ParseSpec() const { return ParseSpec(sFormula); }
  std::string GetCaption() const { return ParseSpec().caption; }
  // Writes the spec string; a formula or computed column loses its field code.
  void BuildSpec(const std::string& caption, const std::string& type, const std::string& align,
                 int wrap, int total, int kind, int scale, const std::string& formula);

  int FieldCode() const { return nType % 100; }
  bool IsShown() const { return nType >= 100; }

  bool operator==(const CSmFormCol&) const = default;

  int nType = 0;  // field code + 100 when shown
  int nFact = 0;  // display width * 100 + edit width
  int nLess = 0;
  int nMore = 0;
  std::string sFormula;
};

class CSmFormTopWord {
 public:
  void Set(int col1, int row1, int col2, int row2, const std::string& words);
  bool operator==(const CSmFormTopWord&) const = default;

  int nCol1 = 0;
  int nRow1 = 0;
  int nCol2 = 0;
  int nRow2 = 0;
  std::string sWords;
};

class CSmFormHeadNote {
 public:
  void Set(int isTail, int row, int colPercent, int isUse, int isSystem, const std::string& note,
           const std::string& words);
  bool operator==(const CSmFormHeadNote&) const = default;

  int bIsTail = 0;
  int nRow = 0;
  int nColPecent = 0;  // edit length * 100 + position in percent
  int bIsUse = 0;
  int bIsSystem = 0;
  std::string sNote;
  std::string sWords;
};

class CSmFormDef {
 public:
  void Attach(CSmDatabase* db, int flag, int form);

  // A leading tab sets the page-sum option and is taken off the title.
  void SetTitle(const std::string& text);
  std::string GetStoredTitle() const;

  // Greatest note row + 1 on one side (0 head, 1 foot), of the notes printed on pre-printed
  // forms unless `all` is set.
  int GetNoteRowCount(int side, bool all) const;
  // Whether the header blocks cover every header cell of the shown columns exactly once;
  // `message` says what is wrong.
  bool CheckTopWords(std::string& message) const;
  int InsertCol(int index, int type, int fact, int less, int more, const std::string& spec);
  void ClearLayout();

  // ---- storage
  bool LoadList();
  int LoadCols();
  int LoadTopWords();
  int LoadHeadNotes();
  // Each saver writes its rows inside the caller's transaction; false when a statement failed.
  bool SaveList();
  bool SaveCols();
  bool SaveTopWords();
  bool SaveHeadNotes();
  // Writes the whole definition (list row, columns, blocks, notes) in one transaction; on
  // failure nothing of it stays written.
  bool Save();
  // Deletes what is stored under the definition's keys (DeleteFormDef) and writes the whole
  // definition, in one transaction; on failure the stored definition stays as it was.
  bool Replace();

  bool operator==(const CSmFormDef& other) const;

  CSmDatabase* m_db = nullptr;
  int nFlag = 0;
  int nForm = 0;
  std::string sFna;
  int nOpen = 0;
  int nTopNum = 0;
  int bPageSum = 0;
  std::vector<CSmFormCol> m_cols;
  std::vector<CSmFormTopWord> m_topWords;
  std::vector<CSmFormHeadNote> m_headNotes;
};

// Removes a whole definition with its column widths, page setup and fonts, in one transaction;
// false (nothing removed) when a statement fails.
bool DeleteFormDef(int flag, int form, CSmDatabase* db);
