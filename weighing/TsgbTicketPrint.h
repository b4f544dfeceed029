#pragma once
// Putting a ticket on paper: the card layout printed whole or onto a pre-printed form, or the
// print variables of print group 9601 at the places the user gave them.
#include <string>
#include <utility>
#include <vector>

class CSmCardLayout;
class CSmDatabase;
class CTsgbRec;

using TsPrintPairs = std::vector<std::pair<std::string, std::string>>;

// Print styles of a document (second digit of its print setting).
enum : int { kTsPrintWhole = 0, kTsPrintOnForm = 1, kTsPrintAtPositions = 2 };

// Appends a code variable and a name variable of the operator (the name empty when unknown).
void TsAddPrintOperator(TsPrintPairs& pairs, const char* codeName, const char* nameName,
                        const std::string& code, CSmDatabase* db);
// Appends the print time "#py" to "#pS" from the connection's clock.
void TsAddPrintTime(TsPrintPairs& pairs, CSmDatabase* db);
// The print variables of the ticket with their texts, in the order the print job replaces
// them. Names of missing master data are empty.
TsPrintPairs TsgbTicketPrintVars(const CTsgbRec& rec, CSmDatabase* db);
// Prints the ticket's variables at the positions of print group 9601 on the current printer,
// without a dialog; false when nothing was printed (a group without fields says so).
bool TsgbPrintByTemplate(const CTsgbRec& rec, CSmDatabase* db);
// Prints the layout once on the current printer without a dialog, in pre-printed-form mode
// (no rules, only the marked cells) when `formMode`; false when nothing was printed.
bool TsPrintCardLayout(CSmCardLayout& layout, bool formMode);
// Prints the ticket in the style (whole layout, onto a form, or at the print group's
// positions) and, only when the pages went out, logs the print under the ticket's number.
bool TsgbPrintTicket(int style, const CTsgbRec& rec, CSmCardLayout& layout, CSmDatabase* db);
