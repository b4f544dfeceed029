#pragma once
// The grid every table document is shown in: cells read and written through the document, the
// document's checks after each edit with refused cells drawn in blue, the head and foot note
// cells, and the total rows of the form foot: "合计" on screen, and in print the page's total
// with the running total "累计" from the first row to the end of the page.
#include <string>
#include <vector>

#include "forms/SmThirdView.h"

class CForthView : public CThirdView {
  Q_OBJECT
 public:
  explicit CForthView(QWidget* parent = nullptr);

  // ---- own operations
  // Asked before any cell is drawn; true when the derived view drew it.
  virtual bool OwnerDrawCell(CSmFormDC& /*dc*/, int /*row*/, int /*column*/,
                             const std::string& /*region*/) {
    return false;
  }
  // The foot lines of every number column.
  virtual void DrawNumberColumnLines(CSmFormDC& dc);
  // The left and right lines of a column through the form-foot rows.
  virtual void DrawColumnFootLines(int column, CSmFormDC& dc);
  virtual void DrawTotalLines(CSmFormDC& dc) { DrawNumberColumnLines(dc); }
  virtual void DrawTotals(CSmFormDC& dc);
  // The totals are drawn again with the next paint of the window.
  virtual void RedrawTotals();
  virtual void AddRowToTotals(int row, std::vector<double>& totals);
  // The value of every summed column over the form-foot rows first to last.
  virtual void DrawTotalRow(int first, int last, const std::vector<std::string>& values,
                            CSmFormDC& dc);

  // ---- overridden operations
  // Takes the document's connection and kind for the print settings and lays the grid out.
  void OnInitialUpdate() override;
  void GetCell(int row, int column, const std::string& region, std::string& text, std::string& type,
               int& limit1, int& limit2, void* extra = nullptr) override;
  void SetCell(int row, int column, const std::string& region, const std::string& text) override;
  void AddRows(int n) override;
  void InsertRows(int at, int last, int count) override;
  void ResetLayout() override;
  void OnCellChanged(const std::string& text, int row, int column,
                     const std::string& region) override;
  bool ValidateCurrentCell() override;
  std::string GetCellHint(int row, int column, const std::string& region) override;
  SmColorRef GetCellTextColor(int column, int row, const std::string& region) override;
  void DrawCell(CSmFormDC& dc, int row, int column, const std::string& region) override;
  void DrawHeadFootNotes(CSmFormDC& dc) override;
  void DrawTitle(CSmFormDC& dc) override;
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // Reads the document's rows again and shows them (43112).
  void Reread();
  // Closes the document and opens a new (57600) or a stored (57601) one of its kind.
  void ReopenKind(int id);

  int TotalRows() const { return m_nFormFootLines; }
  // The total rows draw their numbers without "," when set; the table's cells keep it.
  bool m_bTotalsNoGrouping = false;

 private:
  // The note of the document's definition a head or foot cell shows, or null.
  const CSmFormHeadNote* NoteOfCell(int row, int column, const std::string& region) const;
  std::string NumberText(double value, int column) const;
  // The total of the rows [from, to) as a row of texts, computed columns evaluated on it.
  std::vector<std::string> TotalsRow(int from, int to);
  void DrawTotalLabel(CSmFormDC& dc, const std::string& label, int first, int last);

  bool m_formulasBroken = false;
};
