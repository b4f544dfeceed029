#pragma once
// Operations on the settlement slips of the tickets. A slip of kind k (0 cane payment, 1
// freight) is the set of tickets carrying the same number in JN<k>.
class CSmDatabase;

// Makes every slip of the kind whose tickets disagree on the bank batch, the household or the
// settler, payer and reviewer uniform: each takes the slip's largest value and the slip leaves
// its bank batch. False when a statement failed (it has been reported); the slips changed
// before it stay changed, the caller decides on the transaction.
bool TsSlipRepair(int kind, CSmDatabase* db);
