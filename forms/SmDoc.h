#pragma once
// The table document: rows of cell texts under the columns of a form definition kept in the
// data file, a valid/invalid flag per cell, the editable head and foot notes, and the hooks
// through which application documents fill, check and save their rows. Grid views read and
// write cells only through the operations here. A table document never reads or writes a file.
#include <initializer_list>
#include <string>
#include <vector>

#include "forms/SmDocKind.h"
#include "forms/SmFormDef.h"
#include "platform/SmDocument.h"

class CSmDatabase;
class CSmFormView;
class CSmVarCaculate;

class CSmDoc : public CSmDocument {
 public:
  // Per definition column, what its spec string says.
  struct Column {
    std::string align;
    std::string type;
    int editWidth = 0;
    int more = 0;
    int less = 0;
    int kind = 0;
    int scale = 0;
    int total = 0;
    std::string formula;  // after range expansion and column substitution
    int wrap = 0;
  };
  // The editable notes of one note row of a side.
  struct NoteRow {
    std::vector<int> notes;  // indexes into the definition's notes
    std::vector<std::string> texts;
    std::string flags;
  };

  CSmDoc() = default;

  // ---- class-library operations
  // The title is always the kind's name, cut to 28 bytes and "..." when longer than 30.
  void SetTitle(const std::string& title) override;
  bool OnNewDocument() override { return CSmDocument::OnNewDocument(); }
  bool OnOpenDocument(const std::string& path) override;
  void OnCloseDocument() override;
  bool SaveModified() override;
  virtual bool DoFileSave();

  // ---- own hooks, with their defaults
  virtual void InitDocument();
  virtual void OnInitDocument() {}
  virtual void LoadFormDef();
  virtual void DefineTitle(CSmFormDef& /*def*/) {}
  virtual void DefineColumns(CSmFormDef& def) { ApplyColumnVisibility(def); }
  virtual void AdjustFormDef(CSmFormDef& /*def*/) {}
  virtual int ApplyColumnVisibility(CSmFormDef& def);
  // 1 shows the column, 0 hides it, 2 leaves it.
  virtual int GetColumnVisibility(const CSmFormDef& /*def*/, int /*column*/) { return 2; }
  virtual void DefineHeadNotes(CSmFormDef& /*def*/) {}
  virtual bool IsReadOnly() { return true; }
  virtual int ApplyParams(const std::vector<std::string>& /*params*/) { return 0; }
  // False cancels the opening.
  virtual bool LoadRows(int /*openMode*/) { return true; }
  virtual void AppendBlankRow() { AppendRow(); }
  virtual void Refresh() {}
  // The shown computed columns with their prepared formulas, in the order they run.
  virtual bool PrepareColumnFormulas(CSmVarCaculate& calc, std::vector<int>& columns,
                                     std::vector<std::string>& formulas);
  // Runs the prepared formulas over one row; returns the number of cells written.
  virtual int EvalRowFormulas(CSmVarCaculate& calc, const std::vector<int>& columns,
                              const std::vector<std::string>& formulas, int row);
  // The same over a row of cells that is not one of the document's (a total row).
  int EvalCellFormulas(CSmVarCaculate& calc, const std::vector<int>& columns,
                       const std::vector<std::string>& formulas, std::vector<std::string>& cells);
  virtual void ComputeFormulaColumns();
  virtual int RescaleNumberColumns();
  virtual int NewRow(std::vector<std::string>& cells, std::string& flags);
  virtual void AppendRow();
  virtual void MakeDefaultTopWords(CSmFormDef& def);
  virtual void OnFormDefReady(CSmFormDef& /*def*/) {}
  virtual void AddColumnTopWords(CSmFormDef& def, std::initializer_list<int> codes);
  virtual bool Save(int /*saveAs*/) { return true; }
  // True when closing should ask; `prompt` is the question (empty: the usual one).
  virtual bool GetSavePrompt(std::string& prompt) {
    prompt.clear();
    return false;
  }
  virtual bool AllowPropertySheet() { return true; }
  // Region "TEXT" is the table body, "HEAD" the head notes, any other the foot notes.
  virtual void GetCell(int row, int column, const std::string& region, std::string& text,
                       std::string& type, int& width, int& decimals);
  virtual void SetCell(int row, int column, const std::string& region, const std::string& text);
  // Appends n rows, or removes the last -n (one empty row stays at least).
  virtual void AddRows(int n);
  // Keeps the number of rows: n > 0 removes the n rows after row `after` and inserts n at `at`;
  // n < 0 inserts -n rows after row `after` and removes the -n rows from `at` + n.
  virtual void InsertRows(int at, int after, int n);
  // The name a text file of the rows is proposed under, after its folder.
  virtual std::string GetTextFileName();
  // Asked before a text file of the rows is written; false refuses the writing.
  virtual bool OnSaveAsText(const std::string& /*fileName*/) { return true; }
  // Asked by the settings sheet before it saves each kind of change of the definition: -1 any
  // change (asked first), 0 columns (`index` the first differing one, -1 when the counts
  // differ), 1 header blocks, 2 notes, 3 title, 4 header rows, 5 form number, 6 page totals.
  virtual bool AllowFormChange(int /*change*/, int /*index*/, const CSmFormDef& /*before*/,
                               const CSmFormDef& /*after*/) {
    return true;
  }
  // Whether the settings sheet lets the user give the form another number: the module's own
  // forms keep theirs, copies made by the users may move.
  virtual bool AllowFormNumberChange() { return m_kind.bUserForm; }
  virtual int FindAnchorColumn();
  virtual std::string GetCountText() { return {}; }
  virtual std::string ComposeHint(const std::string& first, const std::string& second);
  virtual std::string GetNoteHint(const CSmFormHeadNote& /*note*/) { return {}; }
  virtual std::string GetColumnHint(int /*column*/) { return {}; }
  // A hidden extra cell that receives a value derived from the shown column, or -1.
  virtual int GetLinkedColumn(int /*column*/) { return -1; }
  virtual bool SetCellValue(int row, int column, const std::string& text);
  virtual bool ValidateCell(int /*row*/, int /*column*/, const std::string& /*text*/,
                            std::string& /*linked*/) {
    return true;
  }
  // Validates every cell of the non-empty rows; with `show` the result is shown in a box.
  virtual bool CheckAllCells(bool show);
  virtual void SaveAsText();

  // ---- helpers
  bool UpdateReadOnly();
  // Ordinal among the shown columns of the column with the field code, or -1.
  int FindShownColumn(int code, const CSmFormDef* def = nullptr) const;
  int FindColumn(int code, const CSmFormDef* def = nullptr) const;
  // The shown columns with the listed codes, in definition order: their codes and the shown
  // ordinal of the first. True when they lie side by side, or when none is shown.
  bool PickColumns(const CSmFormDef& def, int& position, std::vector<int>& codes,
                   std::initializer_list<int> listed) const;
  bool IsRowEmpty(int row) const;
  bool IsEmptyDoc() const;
  // The first of the document's views that is a `View`, for code that drives a document from
  // outside (the tests); the document's own code keeps the views that hand themselves over.
  template <class View>
  View* FindViewOfClass() const {
    for (CSmView* view : Views()) {
      if (auto* found = dynamic_cast<View*>(view)) return found;
    }
    return nullptr;
  }
  // A grid view hands itself over when it joins the document; the document keeps its grid views
  // in the order they joined and forgets each when it leaves.
  void AddFormView(CSmFormView* view);
  // Whether the document or one of its grid views has unsaved edits and the document may
  // save them.
  bool IsModifiedEditable();
  // The document and its grid views count as saved.
  void ClearEditMarks();

  // ---- commands
  // The form settings sheet of this document, modally; the first view lays itself out again.
  void ShowPropertySheet();
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // ---- state
  CSmDatabase* m_db = nullptr;
  int m_module = 0;
  int nFlag = 0;
  CSmDocKind m_kind;
  int m_pageSum = 0;
  int m_openMode = 0;
  bool m_readOnly = true;
  CSmFormDef m_formDef;
  std::vector<NoteRow> m_noteRows[2];  // 0 head, 1 foot
  std::vector<std::string> m_openModes;

  int m_shownCount = 0;
  int m_extraCount = 0;
  std::vector<int> m_shownWidths;
  std::vector<int> m_shownColumns;  // definition index of each shown column
  std::vector<int> m_linkedCells;
  std::vector<Column> m_columns;  // one per definition column

  std::vector<std::vector<std::string>> m_rows;
  std::vector<std::string> m_rowFlags;

 protected:
  void OnViewRemoved(CSmView* view) override;

 private:
  const Column& ShownColumn(int shown) const { return m_columns[m_shownColumns[shown]]; }
  bool IsNumberColumn(int shown) const;
  NoteRow* NoteRowOf(int side, int row);
  void ClearLayout();
  void ExpandColumnReferences();
  void LayOutNotes();

  std::vector<CSmFormView*> m_formViews;
};

// Whether some document has a window (a view in a frame).
bool SmDocumentWindowsOpen();
// The first document window hides the main frame's toolbar, status bar and template box.
void SmHideBarsForDocuments();
// After a document closed and no document window is left: the main frame's bars and the
// template box come back, its current page is selected again and takes the focus.
void SmRestoreBarsWithoutDocuments();

// The longest formula the column references of a definition may build.
constexpr size_t kSmMaxColumnFormula = 4000;
