#pragma once
// The document of one report window: the sheet being edited and its saved copy, where the
// report lives (a file or the data file), which table is open (the master, or one child table
// laid over it as the fourth cell layer), the layer being edited and the change flags. The
// template opens reports with their passwords; the file dialog takes several files at once.
#include <array>
#include <string>
#include <vector>

#include "designer/RiloData.h"
#include "designer/RiloRichText.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDocument.h"

inline constexpr double kRiloScreenScale = 0.379147;

// Kinds of edit steps.
enum : int {
  SM_RILO_STEP_CELL = 0,        // a cell's whole string before the change
  SM_RILO_STEP_TYPING = 1,      // as 0 while characters typed into the cell join it
  SM_RILO_STEP_BLOCK = 2,       // a block of cell texts (CRiloData::ApplyTextBlock)
  SM_RILO_STEP_SIZES = 3,       // "0 column width" and "1 row height" lines
  SM_RILO_STEP_FORMATS = 4,     // "list cell a b" lines of the three layout lists
  SM_RILO_STEP_LINES = 5,       // line styles (0), line colours (1), background colours (2)
  SM_RILO_STEP_NUMFORMAT = 6,   // "column row min max" lines
  SM_RILO_STEP_STRUCTURE = 10,  // rows or columns inserted or deleted; whole sheet copies
  SM_RILO_STEP_CALCULATE = 102,
  SM_RILO_STEP_AUDIT = 103,
};

// One undoable edit: where the caret and the cell were, the layer being edited, the kind and
// the text that sets the sheet back (or forward).
struct SmRiloEditStep {
  int caret = 0;
  int column = 0;
  int row = 0;
  int editMode = 0;
  int kind = 0;
  std::string text;
};

// Where a report is kept.
enum : int { SM_RILO_FILE = 0, SM_RILO_DB = 1 };

// The painting data of one cell.
struct SmRiloCellFormat {
  std::array<int, 4> lineStyles{};  // left, top, right, bottom
  std::array<int, 4> lineColors{};
  int backColor = 0;
  SmIntPair layout3;
  SmIntPair layout4;
  SmIntPair layout5;
};

// Line settings of a rectangle. Sides: 0 top, 1 bottom, 2 left, 3 right edge, 4 inner lines.
// Styles 0 none, 1 thin, 2 thick, 3 dashed. A flag tells, when read, whether every line (cell)
// has the value and, when applied, whether the value is written.
struct SmRiloLineSettings {
  std::array<int, 5> style{};
  std::array<bool, 5> styleFlag{};
  std::array<int, 5> color{};
  std::array<bool, 5> colorFlag{};
  int back = 0;
  bool backFlag = false;
};

// The nine line presets of the format menu (0 to 8) as settings to apply.
SmRiloLineSettings RiloLinePreset(int preset);

class CRiloDoc : public CSmDocument {
 public:
  bool OnNewDocument() override;
  bool OnOpenDocument(const std::string& path) override;
  bool OnSaveDocument(const std::string& path) override;
  void OnCloseDocument() override;
  // Titles over 30 GBK bytes keep their first 28 bytes and "...".
  void SetTitle(const std::string& title) override;
  // Titles the window by where the report lives.
  void SetPathName(const std::string& path, bool addToRecent = false);
  bool IsModified() const override;

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // --- Saving (designer/RiloDocSave.cpp).
  // Save, save as and save as text; false when the id is none of them.
  bool OnSaveCommand(int id);
  bool OnUpdateSaveCommand(int id, CSmCmdUI& ui);
  // Asks before a changed report closes; false keeps it open.
  bool SaveModified() override;
  std::string SaveQuestion() const;
  // Saves where the report is kept, or asks where when that place is gone or read-only.
  bool DoFileSave();
  // Files: to `path` (none: ask for one). Data file: report `nNo` (below 0: ask for the number
  // and names). True on success; a failed save leaves the document modified.
  bool DoSave(const std::string& path, int nNo, bool replace = true);
  // Writes the child table's values (with a child open) and, without one or with `master`, the
  // whole report to its files.
  bool SaveToFiles(bool master);
  // Replays the recorded row and column changes on every child table, then saves the master.
  // In the data file everything runs in one transaction.
  bool SaveWithStructureChanges();
  // True (after a message) when other windows hold the same report.
  bool CheckOpenReports() const;
  // Applies the recorded changes to a child table; shows why it could not and returns false.
  bool ApplyStructureChanges(const std::string& label, CRiloData& child) const;
  // Why a child table does not take the changes (ShowStructureError says each).
  enum StructureError : int {
    kStructureUnreadable = -1,
    kStructureBadCounts = -2,
    kStructureBadStart = -3,
    kStructureDeletionTooLarge = -4,
    kStructureSizesDiffer = -5,
  };
  static void ShowStructureError(const std::string& label, int code);
  // The default file name of save as text (no folder).
  std::string TextFileName() const;
  // Writes every cell's text (the master's, else the child's) tab-separated, a row a line, in
  // GBK with CR LF. False (after a message) when the file cannot be written.
  bool WriteTextFile(const std::string& path) const;
  void SaveAsText();

  // By storage: the data file's report numbered m_nNo, or the file at `path`.
  bool OpenReport(const std::string& path);
  bool OpenFromDb();
  bool OpenFromFile(const std::string& path);
  // Edit mode 0, no child table, the report defaults as variables, nothing changed.
  void ResetForNew();
  void ResetEditState();
  SmRiloCellFormat GetCellFormat(int column, int row) const;

  // --- Format codes of a cell's master text (designer/RiloRichText.h). Positions are plain
  // GBK positions; no operation splits a character.
  // The raw position of a plain position (see CSmUtil::RawTextPos).
  static int RawTextPos(std::string& text, int& position);
  static std::string StripCodes(std::string_view text);
  // The state at a plain position: every code before the character that stands there applied,
  // from `start` (default: the default state) and `color` when given.
  static SmRiloTextState StateAt(std::string_view text, int position,
                                 const SmRiloTextState* start = nullptr,
                                 const SmColor* color = nullptr);
  // The shortest codes that turn state a into b: colour, height, face, italic, underline,
  // strike-out, weight, in that order.
  static std::string CodesBetween(const SmRiloTextState& a, const SmRiloTextState& b);
  // Every run of codes rewritten by CodesBetween; codes at the end of a text are dropped.
  static std::string NormalizeCodes(std::string_view text);
  // Whether the code set holds the code (for "A" to "H" its opposite counts as well).
  static bool HasCode(std::string_view codeSet, char code);
  // The text without the codes the set holds.
  static std::string DropCodes(std::string_view text, std::string_view codeSet);
  // Appends to the set each code at the head of `codes` whose escape and letter it lacks.
  static void AddMissingCodes(std::string& codeSet, std::string_view codes);
  // The set with its face, height and colour codes carrying the state's values.
  static std::string UpdateValueCodes(std::string_view codeSet, const SmRiloTextState& state);
  // The text with the codes of the set applied to the plain range [start, end); what follows
  // the range keeps its format and the leading codes are rewritten shortest.
  static std::string FormatCellText(std::string_view text, int start, int end,
                                    const SmRiloTextState& state, std::string_view codeSet);
  // Removes the plain range from the text and returns it as plain text; what follows keeps
  // its format.
  static std::string CutRange(std::string& text, int start, int end);
  // Inserts at the position and moves it behind the inserted plain text.
  static void InsertAtCaret(std::string& text, std::string_view insert, int& position);
  // Removes whole characters of at least |n| bytes after (n > 0) or before (n < 0) the
  // position, keeping the codes, then normalises the codes.
  static void DeleteChars(std::string& text, int& position, int n);
  // Prepares a text for distributed alignment: gap codes between words and around Chinese
  // characters. Returns their number.
  static int InsertGapCodes(std::string& text);

  // --- Cell layers: 0 master text (the only one with codes), 1 fetch formula, 2 audit
  // formula, 3 child table text, separated by the byte 0x01.
  // With codes: layer k behind the master's leading codes, or the master text where layer k is
  // empty. Without: layer k, or the master's plain text where it is empty.
  static std::string GetCellLayer(std::string_view cell, int k, bool withCodes);
  // The string with layer k replaced: a child text under master content is stored empty,
  // master text written over a child text drops it, only the master keeps codes.
  static std::string SetCellLayer(std::string_view cell, std::string_view text, int k);
  // The master's leading codes followed by the text.
  static std::string PrefixCodes(std::string_view master, std::string_view text);
  // Layer k without codes; "" when the string has no layer k.
  static std::string GetLayerPlain(std::string_view cell, int k);
  // Layer 0 as stored for k = 0, else layer k behind the master's leading codes.
  std::string GetLayerText(int column, int row, int k) const;
  // What the cell shows in the edit layer; with the number format a number of a number cell is
  // written with the cell's decimals.
  std::string GetDisplayText(int column, int row, bool withCodes, bool withNumFormat) const;
  void SetLayerText(int column, int row, const std::string& text);
  // Every cell's layer k as plain text, column + row x columns.
  void GetAllCellTexts(std::vector<std::string>& texts, int k) const;
  // Writes every text into layer k of its cell (layer 0 behind the cell's leading codes); an
  // array that does not hold exactly one text per cell changes nothing. A cell that already reads
  // its text (master and child plain, as shown) is left as it is.
  void ApplyCellTexts(const std::vector<std::string>& texts, int k);

  // --- Number formats and sums of the selection: in area selection the listed areas and the
  // area being dragged, otherwise the current cell.
  // The current cell's pair, and whether every selected cell has the same.
  void GetSelectionNumFormat(SmIntPair& format, bool& uniform) const;
  // With apply, gives the selected cells the pair and returns "column row min max\n" of the old
  // pair of each cell that changed; "" without apply.
  std::string SetSelectionNumFormat(int minimum, int maximum, int apply);
  // Sets the pairs of a text of such lines (a missing value reads as 2) and returns the text
  // that sets back what it changed.
  std::string ApplyNumFormatText(const std::string& text);
  // The numbers of the selected cells joined by "+"; "" in cell mode.
  std::string SelectionSumText() const;

  // --- Selection (designer/RiloSelection.cpp). Column -1 or row -1 stands for a header: a row
  // header is selected when an area spans all columns over the row, a column header when one
  // spans all rows, the corner when one covers the sheet. Only in area selection.
  bool IsCellSelected(int column, int row) const;
  // A press on a cell: without Shift and Ctrl the extra areas are dropped (true when there were
  // any, so the caller repaints); with Ctrl alone the area being dragged joins them and the cell
  // anchors a new one; with Shift nothing.
  bool AddAreaOnCtrl(int column, int row, bool shift, bool ctrl);
  // Keeps the corners of the area being dragged inside the sheet.
  void ClampCurrentCell();

  // --- Format commands of the selection (designer/RiloFormat.cpp).
  // The format at the start of the text selection (or the caret) of the edited cell, or at the
  // start of the current cell in area selection, and the codes of the attributes that differ
  // from it anywhere in the selection.
  void GetCurrentFormat(SmRiloTextState& state, std::string& mixedCodes) const;
  // Sets the bold, italic and underline states and the layout codes the format bar shows.
  void RefreshFormatState();
  // The codes that turn every part of the selected texts into `state`; empty without a text
  // selection outside area selection.
  void CollectChangeCodes(const SmRiloTextState& state, std::string& codeSet) const;
  // Applies the codes to the whole text of every selected cell (area selection) or to the text
  // selection of the edited cell, recording one undo step when a text changed. True in area
  // selection.
  bool ApplyFormatToSelection(const SmRiloTextState& state, const std::string& codes);
  // The step that sets the texts of the selection back: a block step of the rectangle around
  // every area, or the current cell's string.
  SmRiloEditStep PushAreaUndo() const;

  // Layout codes of the selection; see SmRiloLayout for the codes.
  void GetSelectionLayout(SmIntPair& codes, bool& hUniform, bool& vUniform, bool& noSpanning) const;
  bool SetSelectionLayout(int horizontal, int vertical, bool applyH, bool applyV);
  void ClearSpansInRect(const SmIntRect& rect, bool applyH, bool applyV);
  void ClearBlock(int column, int row, bool applyH, bool applyV);
  void ApplyLayoutRect(int horizontal, int vertical, const SmIntRect& rect, bool applyH,
                       bool applyV);

  // Lines and background of the selection's rectangle; false on an empty sheet or with extra
  // areas.
  bool GetSelectionLines(SmRiloLineSettings& settings) const;
  void SetSelectionLines(const SmRiloLineSettings& settings);
  // The selection's rectangle: the normalised area being dragged, or the current cell.
  SmIntRect SelectionRect() const;
  // Sizes dragged with the mouse, from pixels at the sheet's zoom: one column's width (or one
  // row's height), or those of every selected column (`row` -1) or row (`column` -1) when the
  // dragged boundary lies in an area selection without extra areas.
  void SetSizeFromPixels(bool column, int index, int pixels);
  void SetSelectedSizesFromPixels(int column, int row, int pixels);
  // Lines "list index a b" that set every sizes, layout or lines entry differing from `before`
  // back to its value there.
  std::string SettingsUndoText(int kind, const CRiloData& before) const;

  // --- Edit history (designer/RiloUndo.cpp).
  // Pushes a step onto the undo stack (forward) or the redo stack; a new edit clears the redo
  // side; with `takePosition` the step takes the caret and the current cell. The change flags
  // move by one up (forward) or down.
  void RecordStep(SmRiloEditStep step, bool takePosition, bool forward, bool newEdit);
  // The top step of the undo (or redo) stack, removed; false when it is empty.
  bool PopStep(bool undo, SmRiloEditStep& step);
  // Characters typed next start a new step.
  void CloseTypingRun();
  // Undoes (or redoes) the top step and records its opposite on the other side; false when
  // there was none or it changed nothing.
  bool ApplyStep(bool undo);
  // Applies lines of a sizes, formats or lines step; returns the lines that set them back.
  std::string ApplySettingsText(int kind, const std::string& text);

  CRiloData m_sheet;
  CRiloData m_saved;    // the sheet as last loaded or saved, variables included
  int m_copyValid = 1;  // 0: the next save writes everything (a new number was chosen)
  int m_editMode = 0;   // 0 master text, 1 fetch formula, 2 audit formula, 3 child values
  // Pixels per 0.1 mm on the screen, the same on every display.
  double m_screenScaleX = kRiloScreenScale;
  double m_screenScaleY = kRiloScreenScale;
  // The format at the caret while a cell is edited.
  SmRiloTextState m_caretState = RiloDefaultState();
  // What the format bar shows: bold, italic and underline, and the uniform horizontal and
  // vertical layout codes of the selection (-1 when mixed).
  std::array<int, 3> m_fontStates{};
  SmIntPair m_layoutCodes{0, 0};
  std::array<int, 10> m_changes{};
  // Print order: row by row or column by column; at most one of them is set.
  int m_printByRow = 0;
  int m_printByColumn = 0;
  std::string m_path;       // the .QLN file; empty for a new report
  std::string m_childPath;  // the open child table's .BSJ file
  int m_childOpen = 0;
  int m_readOnly = 0;
  int m_storage = SM_RILO_FILE;
  int m_nNo = -1;       // the report's number in the data file; -1 not yet stored
  std::string m_subNo;  // the open child table's number in the data file
  // Row and column insertions (positive counts) and deletions since the last save: first
  // column, first row, column count, row count.
  std::vector<SmIntRect> m_structureChanges;
  std::vector<SmRiloEditStep> m_undo;
  std::vector<SmRiloEditStep> m_redo;
  // Sheets before (undo side) and after (redo side) row and column changes.
  std::vector<CRiloData> m_undoSheets;
  std::vector<CRiloData> m_redoSheets;
  static constexpr size_t kMaxUndoSteps = 20;

 private:
  bool AskPassword(const std::string& password, const std::string& name);
  bool AskDbPasswords();
  bool OpenChildFile();
  void SaveCopy();
  void AfterSave();
  void AfterDbSave();
  bool SaveToDbStorage(int nNo);
  // With the wait window: SaveWithStructureChanges, then the saved copy follows the sheet.
  bool SaveReshaped();
  bool HasChildFiles() const;
  // Replays the changes on every child in the data file; false when a statement failed.
  bool ApplyToDbChildren(CSmDatabase* db) const;
  void ApplyToChildFile(const std::string& path) const;
  void ApplyToChildFolder(const std::string& folder) const;
  // Index of a cell in the sheet's arrays; -1 outside the sheet.
  int CellIndex(int column, int row) const;
  // The cells of the listed areas and the area being dragged, area by area, row by row.
  std::vector<SmIntPair> AreaCells() const;
  std::vector<SmIntPair> SelectedCells() const;
  SmIntPair NumFormatAt(int cell) const;
  void SetNumFormatAt(int cell, const SmIntPair& format);
};

// One request to open a report window.
struct SmRiloOpenRequest {
  std::string path;  // file storage: the .QLN or .BSJ file; empty for a new report
  int storage = SM_RILO_FILE;
  int nNo = -1;
  std::string subNo;
  int readOnly = 0;
  bool visible = true;
};

class CRiloDocTemplate : public CSmMultiDocTemplate {
 public:
  static constexpr int kResourceId = 304;
  static constexpr const char* kDocTypeName = "Rilo.Document";

  CRiloDocTemplate();

  // Opens an existing report (data file with a number, or file with a path) or makes a new
  // one, in its own window. Null when nothing was opened; the open windows stay as they were.
  CRiloDoc* OpenReportDocument(const SmRiloOpenRequest& request);

  int m_untitledCount = 0;
};

// The report designer's open dialog: several files and the box "以只读方式打开".
class CRiloFileDialog {
 public:
  CRiloFileDialog(const std::string& title, const std::string& filter)
      : m_title(title), m_filter(filter) {}
  // True when the user chose files.
  bool DoModal();

  int m_readOnly = 0;
  std::vector<std::string> m_names;

 private:
  std::string m_title;
  std::string m_filter;
};

// A filter of the class library's form ("text|patterns|...||") in Qt's form: each text with its
// patterns once, in brackets and separated by blanks ("报表(*.BSJ;*.QLN)|*.BSJ;*.QLN||" gives
// "报表(*.BSJ *.QLN)").
std::string SmQtFileFilter(const std::string& filter);
