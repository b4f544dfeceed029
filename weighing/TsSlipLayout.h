#pragma once
// The settlement slip as the settlement card shows and prints it: a fixed frame around a
// heading grid whose columns grow with the slip's money items. Cells are addressed by position.
#include <string>

class CSmCardLayout;
class CSmDatabase;
class CTsgbRec;
class CTsjsRec;
struct TsCaneContext;

// The number of columns C of the slip's heading grid for kind 0 (cane) or 1 (freight): 3, or
// (X - 2) / 2 + 3 for X > 3 item headings. The layout holds 4C + 27 cells.
int TsSlipGridColumns(int kind);
// The cell of the n-th item amount (ticket items of categories 0 and 1, then slip items of
// categories 1 and 2); the first value row holds C - 3 of them, the rest the second one.
int TsSlipItemCell(int kind, int n);

// Refills the layout with the empty slip of the kind for the current item definitions.
void TsSlipBuildLayout(int kind, CSmCardLayout& layout);
// Writes one slip into the value cells of a layout built for the kind: `sums` holds the slip's
// tickets summed, `deductions` the slip item amounts of its deduction row.
void TsSlipFillLayout(const CTsgbRec& sums, int kind, int tickets, const CTsjsRec& deductions,
                      CSmCardLayout& layout, CSmDatabase* db);
void TsSlipFillLayout(const CTsgbRec& sums, int kind, int tickets, const CTsjsRec& deductions,
                      CSmCardLayout& layout, const TsCaneContext& context);
