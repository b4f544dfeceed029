#pragma once
// Money items: the text of an item is its name, a tab, the category digit (0 deduction or
// supplement per ticket, 1 withholding, 2 advance) and a flag character, and optionally a tab
// and a formula. Ticket item i of kind k (0 cane, 1 freight) is text parameter 5k + i, slip
// item i is 10 + 15k + i.
#include <string>

// The parts of an item text; false, with zeros and empty texts, when it is not well formed.
// The flag is 1 for "-" of category 0, always 1 for category 1 and the digit for category 2.
bool TsParseItem(const std::string& text, int& category, int& flag, std::string& name,
                 std::string& formula);
// The item text of the parts; the empty text for an empty name.
std::string TsFormatItem(const std::string& name, int category, int flag,
                         const std::string& formula);
// The item of text parameter `index` (0-39): its kind, class, number and parsed parts; false
// when the index is out of range or the text is not well formed.
bool TsClassifyItem(int index, bool& freight, bool& slip, int& category, int& flag, int& itemNo,
                    std::string& name, std::string& formula);
void TsBuildItemTables();

// The item lists per kind (0, 1), class (0 ticket, 1 slip), category (0-2) and selection (0
// all, 1 without the advances not repaid this year). The index is -1 past the list's end.
int TsGetKindItemCount(int kind, int itemClass, int category, int selection);
int TsGetKindItemIndex(int kind, int itemClass, int category, int selection, int n);
std::string TsGetKindItemName(int kind, int itemClass, int category, int selection, int n);
std::string TsGetKindItemFormula(int kind, int itemClass, int category, int selection, int n);
// Where the year-end balance of the n-th advance slip item of a kind goes: `number` (counted
// from 1) is the item itself when its formula is empty, else the item an all-digit formula
// names (INT_MAX when too large); the caller checks that the item exists. False when the
// formula holds anything but digits. `formula` receives the formula trimmed.
bool TsGetAdvanceCarryNumber(int kind, int n, std::string& formula, int& number);

// Sign (+1 added, -1 deducted, 0 none) and formula of ticket item i of a kind.
int TsGetTicketItemSign(int kind, int i);
std::string TsGetTicketItemFormula(int kind, int i);

// The linked parameters in use of a side (0 farmers, 1 places): count, the column number j of
// the n-th (cs<j>, -1 past the end) and its name.
int TsGetLinkParamCount(int side);
int TsGetLinkParamIndex(int side, int n);
std::string TsGetLinkParamName(int side, int n);

// The number of the gbSheet money column MY<n> of a ticket: item -1 is the base amount of the
// kind, items 0-4 its ticket items (cane MY0-MY5, freight MY6-MY11).
int TsTicketMoneyColumn(int kind, int item);
