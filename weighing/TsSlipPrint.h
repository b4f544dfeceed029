#pragma once
// Putting a settlement slip on paper: the slip layout printed whole or onto a pre-printed form,
// or the print variables of print group 9602 (cane) or 9603 (freight) at the places the user
// gave them; and the check that guards printing a slip again.
#include <string>

#include "weighing/TsgbTicketPrint.h"

class CSmCardLayout;
class CSmDatabase;
class CTsgbRec;
class CTsjsRec;

// The print variables of a slip with their texts, in the order the print job replaces them:
// `sums` holds the slip's tickets summed, `deductions` its slip item amounts.
TsPrintPairs TsSlipPrintVars(const CTsgbRec& sums, int kind, int tickets,
                             const CTsjsRec& deductions, CSmDatabase* db);
// Prints the slip's variables at the positions of its print group on the current printer,
// without a dialog; false when nothing was printed.
bool TsSlipPrintByTemplate(const CTsgbRec& sums, int kind, int tickets, const CTsjsRec& deductions,
                           CSmDatabase* db);
// Whether slip `number` may be printed now. A slip printed before needs the re-print right of
// its kind and a Yes to the question; going on counts the print before it runs. False, with
// the counter left alone, when refused or declined.
bool TsSlipReprintCheck(int kind, const std::string& number, CSmDatabase* db);
// Prints the slip in the style (the layout, built and filled for the slip, whole or onto a
// form, or at the print group's positions) and, only when the pages went out, logs the print
// under the slip's number. The re-print check is the caller's.
bool TsSlipPrint(int style, const CTsgbRec& sums, int kind, int tickets, const CTsjsRec& deductions,
                 CSmCardLayout& layout, CSmDatabase* db);
