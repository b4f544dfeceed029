#pragma once
// One report source of the formula evaluator: the cell texts of one loaded report table (a
// ".QLN" whole report, a ".BSJ" child table or a table held in a data file), with the cell
// whose formula is being evaluated. Copies share the cells until one of them changes them, so
// that nested evaluators can carry every loaded source cheaply.
#include <memory>
#include <string>
#include <vector>

#include "designer/RiloArchive.h"

class CSmCalcContext {
 public:
  CSmCalcContext() = default;
  virtual ~CSmCalcContext() = default;
  CSmCalcContext(const CSmCalcContext&) = default;
  CSmCalcContext& operator=(const CSmCalcContext&) = default;

  // Loaded, with the name, the current cell cleared and a copy of rows × columns texts.
  void SetSource(const std::string& name, int rows, int cols,
                 const std::vector<std::string>& cells);
  // Loads a ".QLN" or ".BSJ" file, or without extension a table held in a data file (data
  // file, report number, child levels). False, with the source unchanged, when it cannot.
  bool OpenReportFile(const std::string& name);
  // A whole report's cell keeps its master text without format codes; other sources leave it.
  void CheckSource(std::string& text) const;
  // Adds the other source's numbers into this one, cell by cell over the common area. Cells
  // whose first flag (two per cell, indexed like the other's cells) is negative and cells where
  // either text is not a number are skipped; the other's value is scaled by 10^-scale and the
  // sum written with at most `decimals` decimals. The sizes never change.
  void Merge(const CSmCalcContext& other, const std::vector<SmIntPair>& flags, int scale,
             int decimals);

  // The cell's text as formulas read it (CheckSource applied); "" outside the grid.
  std::string GetCellText(int col, int row) const;
  // Replaces one cell's text; copies sharing the cells keep theirs.
  void SetCellText(int col, int row, const std::string& text);
  const std::vector<std::string>& Cells() const;

  int m_bLoaded = 0;
  std::string m_sName;
  int m_nCol = 0;  // the cell whose formula is being evaluated, 0-based
  int m_nRow = 0;
  int m_nRows = 0;
  int m_nCols = 0;

 private:
  std::shared_ptr<std::vector<std::string>> m_cells;
};
