#pragma once
// The ticket as the weighing card shows and prints it: a fixed grid of captions and value cells
// whose money rows grow with the defined ticket items. Value cells are addressed by position.
#include <string>

class CSmCardLayout;
class CSmDatabase;
class CTsgbRec;

// Positions of the value cells that do not move with the money items.
enum : int {
  kTsgbCellNumber = 1,
  kTsgbCellYear = 2,
  kTsgbCellMonth = 4,
  kTsgbCellDay = 6,
  kTsgbCellDayLabel = 7,
  kTsgbCellFarmer = 9,
  kTsgbCellDriver = 11,
  kTsgbCellPlace = 13,
  kTsgbCellVariety = 15,
  kTsgbCellGross = 17,
  kTsgbCellTare = 19,
  kTsgbCellImpurity = 21,
  kTsgbCellNet = 23,
  kTsgbCellMoney = 24,  // first cell of the cane heading row
};

// Refills the layout's cells from the current item definitions: 36 fixed cells plus two rows
// of A + 2 cane and B + 2 freight cells, A (B) being the number of defined cane (freight)
// ticket items of categories 0 and 1, plus one for the total, or 0 without items.
void TsgbBuildTicketLayout(CSmCardLayout& layout);
// Writes the ticket's values into the value cells of a layout built for the current items.
// Master data that is missing gives empty names.
void TsgbFillTicketLayout(const CTsgbRec& rec, CSmCardLayout& layout, CSmDatabase* db);

// The number of money cells per row of a kind: A + 2 (cane) or B + 2 (freight).
int TsgbMoneyCellCount(int kind);
// A number as a ticket shows it: no grouping, between the given decimals, zero written out.
std::string TsgbNumberText(double value, int minDecimals, int maxDecimals);
