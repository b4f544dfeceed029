#pragma once
// The report sheet: one table of a report in memory. Cells are indexed column + row × column
// count, grid points column + row × (column count + 1); lengths are tenths of a millimetre.
// A cell string holds up to four layers separated by the byte 0x01: the master text with its
// inline format codes, the fetch formula, the audit formula and a child table's value.
#include <string>
#include <vector>

#include "app/SmVar.h"
#include "designer/RiloArchive.h"

class CSmDatabase;

// Everything of a sheet but its variables: what assigning a sheet copies.
struct SmRiloFields {
  std::string m_tableName;
  std::string m_reportCode;
  std::string m_noteText;  // summing settings and program, kept in the data file only
  std::string m_reportName;
  std::string m_version;
  std::string m_modifyPassword;
  std::string m_readPassword;
  int m_rows = 0;
  int m_cols = 0;
  std::vector<int> m_rowHeights;
  std::vector<int> m_colWidths;
  std::vector<SmIntPair> m_lineStyles;  // per grid point: left edge, top edge
  std::vector<SmIntPair> m_lineColors;
  std::vector<int> m_backColors;           // per cell
  std::vector<SmIntPair> m_layout3;        // horizontal and vertical layout code
  std::vector<SmIntPair> m_layout4;        // first column and row of the spanning block
  std::vector<SmIntPair> m_layout5;        // last column and row of the spanning block
  std::vector<SmIntPair> m_numberFormats;  // least and most decimals; negative first: text
  std::vector<std::string> m_texts;
  SmIntRect m_margins{200, 250, 200, 200};
  SmIntRect m_titleArea{1, 2, 1, 1};
  SmIntPair m_paper{2100, 2970};  // width, height
  std::vector<int> m_colBreaks;
  std::vector<int> m_rowBreaks;
  int m_pageFlags = 0;  // bit 0 rows first; divided by two non-zero: landscape
  int m_screenFactor = 100;
  int m_printFactor = 100;
  SmIntPair m_currentCell;  // column, row
  SmIntPair m_caret;        // caret index and first shown character of the edited text
  int m_selectMode = 0;     // 0 none, 1 text in the current cell, 2 cell areas
  std::vector<SmIntRect> m_areas;
  SmIntRect m_selectRect;  // anchor column and row, far column and row
  SmIntPair m_textSelect;  // start, end
};

class CRiloData : public SmRiloFields {
 public:
  CRiloData();
  CRiloData(const CRiloData& other);
  // Copies everything but the variables: callers that need them copy them themselves.
  CRiloData& operator=(const CRiloData& other);

  // Writes a block of tab-separated cells, rows ended by LF, into the sheet from (column, row);
  // a block cell of the single byte 0x03 leaves its cell alone. Returns the block of the texts
  // it replaced (0x03 where a cell kept its text): applied at the same place it undoes this.
  std::string ApplyTextBlock(const std::string& text, int column, int row);
  // The block of the other sheet's texts where they differ from this sheet's, over the common
  // area, with their bounding rectangle; empty when none differ.
  std::string DiffText(const CRiloData& other, SmIntRect& rect) const;

  // --- Rows and columns inserted and deleted (designer/RiloRowCol.cpp). Every list of the
  // sheet follows; texts move with their cells and are never rewritten.
  // n rows at `start` (outside the sheet: appended), with the formats of the row at `start` (the
  // last row when appending); a span over that row grows.
  void InsertRows(int start, int n);
  void InsertColumns(int start, int n);
  // Removes `columnCount` columns from `column` and `rowCount` rows from `row`; spans shrink
  // (a span left on one cell becomes plain) and the current cell and the area being dragged
  // move with their cells. A block that does not lie in the sheet changes nothing.
  void DeleteRowsColumns(int column, int row, int columnCount, int rowCount);

  // The comparisons that decide which parts of a stored report are rewritten.
  bool IsHeaderEqual(const CRiloData& other) const;
  bool IsPageEqual(const CRiloData& other) const;
  bool IsBreaksEqual(const CRiloData& other) const;
  bool IsSizesEqual(const CRiloData& other) const;
  bool IsFormatsEqual(const CRiloData& other) const;
  bool IsTextsEqual(const CRiloData& other) const;
  bool IsVarsEqual(const CRiloData& other) const { return m_vars.IsEqual(other.m_vars); }

  // --- Report files: ".QLN" a whole report, ".BSJ" one child table's values.
  // Version text and the two passwords.
  void WriteHeader(CRiloWriter& out) const;
  bool ReadHeader(CRiloReader& in);
  // Column count, row count and the cell texts; negative counts are refused with a message.
  bool WriteCells(CRiloWriter& out) const;
  bool ReadCells(CRiloReader& in);
  bool WriteAll(CRiloWriter& out) const;
  bool ReadAll(CRiloReader& in);
  // The format follows the extension (case ignored); with `headerOnly` only the header is read.
  // A file that cannot be read leaves the sheet as it was.
  bool LoadFile(const std::string& path, bool headerOnly = false);
  // Written beside the target and renamed over it: a failed save leaves the old file intact.
  bool SaveFile(const std::string& path) const;

  // --- Reports in the data file: the tables bbInfo to bbInfo7 and the variables in SMVAR. A
  // child number is a backslash path ("3\1"), empty for the master.
  // Reads the report, with a child number the child's values laid over the master as the fourth
  // layer; `infoOnly` reads the header only (and a child's values alone). A number without a
  // stored header still loads: the header keeps its values.
  bool LoadFromDb(int nNo, const std::string& subNo, bool infoOnly, CSmDatabase* db);
  // Writes every table of the report (with a child number also the child's values: the whole
  // cell with `childAlone`, else the fourth layer) in one transaction. A text too long for its
  // column is refused with a message before anything is written; a failed statement rolls the
  // whole save back. False in both cases.
  bool SaveToDb(int nNo, const std::string& subNo, bool childAlone, CSmDatabase* db);
  // As SaveToDb, but with a valid saved copy only the parts that differ from it are rewritten;
  // a child's values always are.
  bool SaveChangedToDb(const CRiloData& saved, bool savedValid, int nNo, const std::string& subNo,
                       CSmDatabase* db);
  // Reads the child table a formula names by its catalogue path (data file, report number,
  // child number; without a data file the given connection's) as values only. False for any
  // other reference or when the data file cannot be opened.
  bool LoadRefFromDb(const std::string& reference, CSmDatabase* db);

  // One table each. Readers skip stored rows that lie outside the sheet's counts; ReadInfo takes
  // no counts past the designer's limits.
  bool ReadInfo(int nNo, CSmDatabase* db);
  bool ReadLayout(int nNo, CSmDatabase* db);
  bool ReadBreaks(int nNo, CSmDatabase* db);
  bool ReadSizes(int nNo, CSmDatabase* db);
  bool ReadFormats(int nNo, CSmDatabase* db);
  bool ReadTexts(int nNo, CSmDatabase* db);
  bool ReadChildCells(int nNo, const std::string& subNo, bool alone, CSmDatabase* db);
  bool ReadCatalogEntry(int nNo, const std::string& subNo, CSmDatabase* db);
  // Writers replace the report's rows of their table; false at the first failed statement.
  bool WriteInfo(int nNo, CSmDatabase* db) const;
  bool WriteLayout(int nNo, CSmDatabase* db) const;
  bool WriteBreaks(int nNo, CSmDatabase* db) const;
  bool WriteSizes(int nNo, CSmDatabase* db) const;
  bool WriteFormats(int nNo, CSmDatabase* db) const;
  bool WriteTexts(int nNo, CSmDatabase* db) const;
  bool WriteChildCells(int nNo, const std::string& subNo, bool alone, CSmDatabase* db) const;
  bool WriteCatalogEntry(int nNo, const std::string& subNo, CSmDatabase* db) const;

  // --- What a stored sheet may hold. Files and report tables are checked against it when
  // they are read, so that the view, printing and formulas never meet a value they cannot take.
  // Designer limits: rows and columns of one table.
  static constexpr int kMaxRows = 900;
  static constexpr int kMaxCols = 60;
  // Row heights, column widths, margins and paper, tenths of a millimetre.
  static constexpr int kMaxLength = 100000;
  // Screen and print factors, per cent.
  static constexpr int kMinFactor = 10;
  static constexpr int kMaxFactor = 400;
  // Whether a sheet of that many rows and columns stays within the designer's limits.
  static bool FitsLimits(long long rows, long long cols);
  // "报表有%d行、%d栏，超出..." for counts past the limits.
  static std::string LimitsText(long long rows, long long cols);
  // The first stored value out of its range, named for a message ("第3行的行高"); empty when every
  // value is one the program can take. The cursor and the selection are not looked at: they
  // are clamped.
  std::string UnreasonableValue() const;
  // Moves the current cell, the caret, the text selection, the area being dragged and the
  // listed areas into the sheet; an unknown selection mode becomes "none".
  void ClampCursor();

  CSmVarTable m_vars;

  static constexpr const char* kVersion = "Rilo-> 1.0";

 private:
  bool IsLandscape() const { return m_pageFlags / 2 != 0; }
  int CellCount() const { return m_rows * m_cols; }
  int PointCount() const { return (m_rows + 1) * (m_cols + 1); }
  // Every list as long as the counts ask; missing entries read as they did: zero.
  void FitLists();
  // Says which text is too long for its column; true when every one fits.
  bool CheckStorable(const std::string& subNo, bool childAlone) const;
  // Appends the value of each row (column, row, text) to its cell; rows outside are skipped.
  bool AppendCellRows(const std::string& sql, CSmDatabase* db);
  // 1 the header was read, 0 the report has none, -1 its counts pass the designer's limits (the
  // sheet is left as it was and `refusal` says so).
  int ReadInfoRow(int nNo, CSmDatabase* db, std::string* refusal = nullptr);
  bool WriteParts(const CRiloData* saved, int nNo, const std::string& subNo, bool childAlone,
                  CSmDatabase* db);
};
