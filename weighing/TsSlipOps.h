#pragma once
// Operations on the settlement slips of the tickets. A slip of kind k (0 cane payment, 1
// freight) is the set of tickets carrying the same number in JN<k>.
#include <string>

class CSmDatabase;

// Makes every slip of the kind whose tickets disagree on the bank batch, the household or the
// settler, payer and reviewer uniform: each takes the slip's largest value and the slip leaves
// its bank batch. False when a statement failed (it has been reported); the slips changed
// before it stay changed, the caller decides on the transaction.
bool TsSlipRepair(int kind, CSmDatabase* db);

// How often slip `number` of the kind has been printed (0 for a slip without tickets); each
// print counts on every ticket of the slip.
int TsSlipGetPrintCount(int kind, const std::string& number, CSmDatabase* db);
// Counts one more print of the slip; false when the statement failed (it has been reported).
bool TsSlipIncPrintCount(int kind, const std::string& number, CSmDatabase* db);
