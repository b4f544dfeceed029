#pragma once
// What the farmer and the variety card share: labelled edit fields found by their id, the own
// part of a code below its parent, and numbers written into fields.
#include <QString>
#include <string>
#include <vector>

#include "cane/TsWeighingService.h"

class QGridLayout;
class QLabel;
class QWidget;
class CSmDatabase;
class CSmEdit;

// A caption and an edit field with the id and input type in the grid cell pair at (row, 2*col).
CSmEdit* TsAddCardField(QWidget* dlg, QGridLayout* grid, int row, int col, int id,
                        const std::string& caption, const std::string& type, int limit,
                        int decimals = -1);
// The unit after a field ("吨", "元／吨"): a pixel or two of room on its right, where the last
// stroke of some ideographs draws beyond the character's width.
QLabel* TsUnitLabel(const QString& unit, QWidget* dlg);
// Rewrites the own part as digits left-padded with "0" to the length; false (with "代码不合适!"
// shown) when it is not a positive number of exactly that length.
bool TsFixOwnPart(std::string& own, int length);
// False, with "名称不能为空，请重输!" shown, for an empty name.
bool TsCheckName(const std::string& name);
// The own part (fixed) and the name of a card checked in that order; a refusal shows why and puts
// the focus on its field.
bool TsCheckCodeAndName(CSmEdit* own, CSmEdit* name, int length);
// Where Enter moves on a card with generated fields: from the note to the first of them (when
// there is one); to OK (control 1) where the next field in tab order would be the code; null
// for the dialog's own rule.
QWidget* TsEnterTarget(QWidget* dlg, QWidget* note, QWidget* firstGenerated, QWidget* code);
// The texts of the question whether the unsettled tickets of a variety or a place follow its new
// price: the two lines that open the question when their prices differ, and the question (old
// and new price) when they agree.
struct TsRepricing {
  const char* mixedHead;
  const char* mixedScope;
  const char* sameQuestion;
};
// After a price change of the variety (kind 0) or place (kind 1) `code`, asks whether its tared
// tickets not yet settled in the kind take the change, re-prices them through the weighing
// documents and logs it under `logCode`. Nothing is asked when no such ticket exists.
void TsOfferRepricing(const TsRepricing& texts, int kind, const std::string& code,
                      const std::string& name, double oldPrice, double newPrice, int logCode,
                      CSmDatabase* db);
// In a card's save transaction: the stored opening balances of household `code` (party 0
// farmer, 1 driver) must still be those the card showed for the items of its fields; then the
// typed amounts replace them. False, with `failure` naming `shownCode`, when another station
// changed them; false alone when a statement failed.
bool TsStoreShownOpenings(int party, const std::string& code, const std::vector<int>& items,
                          const TsSlipAmounts& shown, const TsSlipAmounts& typed,
                          const std::string& shownCode, std::string& failure, CSmDatabase* db);
// A card's save that failed: the database refusal ("代码不合适，操作数据库失败！") unless the save
// has said already that another station changed the row; the focus goes to the code. False.
bool TsRefuseSave(bool stale, QWidget* code);
// A number with up to `decimals` decimals and no group separators; blank for zero.
std::string TsFieldNumber(double value, int decimals);
