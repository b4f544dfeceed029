#pragma once
// Operations on the settlement slips of the tickets. A slip of kind k (0 cane payment, 1
// freight) is the set of tickets carrying the same number in JN<k>.
#include <functional>
#include <string>
#include <vector>

#include "core/SmRefusal.h"

class CSmDatabase;
class CTsgbRec;
class CTsjsRec;

// One slip of a date as the settlement card lists it.
struct TsSlipLine {
  std::string number;
  std::string household;
  std::string settler;
  std::string payer;  // the payer's number, with "(银付<batch>)" when paid through the bank
  std::string reviewer;
  int prints = 0;
};

// The slips of the kind dated `date`, in number order; their count (0 when unreadable).
int TsSlipList(int kind, const std::string& date, std::vector<TsSlipLine>& slips, CSmDatabase* db);
// "Where ..." of the household's tared tickets not yet on a slip of the kind (KNO<kind> the
// farmer or the driver): those a new slip of the household may take.
std::string TsSlipOpenTicketsWhere(int kind, const std::string& household, CSmDatabase* db);
// The update that puts ticket `dh` on the slip `slip` carries, when it is tared and still open
// in the kind.
std::string TsSlipAssignText(const CTsgbRec& slip, int kind, const std::string& dh,
                             CSmDatabase* db);
// Puts the tared tickets `tickets`, unsettled in the kind, on the slip whose number, date and
// settler `slip` carries (JN, JT, OPR of the kind), in one transaction: all of them or none.
// The slip must not hold a ticket yet. `alsoWrite`, when given, runs in the same transaction
// after the tickets; when it fails nothing is kept, and the refusal it gives is shown. 1 when
// made, else 0 after saying why.
int TsSlipMakeCheck(const CTsgbRec& slip, int kind, const std::vector<std::string>& tickets,
                    CSmDatabase* db,
                    const std::function<bool(std::string& refusal)>& alsoWrite = {});
// Releases the unpaid tickets of the slip. 0 when a statement failed or paid tickets remain
// ("该单已付款，或已被删除！"); a number without tickets counts as released.
int TsSlipCancel(int kind, const std::string& number, CSmDatabase* db);
// Step 0 payment, 1 review, by the operator at work, of the slip's tickets outside bank
// batches whose previous step is done; clearing takes back only the operator's own mark (and a
// payment only while unreviewed). True when the statement ran; `changed` receives the number
// of tickets changed (0 when none was in the state).
bool TsSlipSetStep(int kind, int step, const std::string& number, CSmDatabase* db,
                   long long* changed = nullptr);
bool TsSlipClearStep(int kind, int step, const std::string& number, CSmDatabase* db,
                     long long* changed = nullptr);
// The same for the operator `operatorNo`.
bool TsSlipSetStep(int kind, int step, const std::string& number, const std::string& operatorNo,
                   CSmDatabase* db, long long* changed = nullptr);
bool TsSlipClearStep(int kind, int step, const std::string& number, const std::string& operatorNo,
                     CSmDatabase* db, long long* changed = nullptr);
// Mode 0 pays the settled, unpaid slips of the kind dated from-to through bank batch `batch`;
// mode 1 reviews the paid, unreviewed tickets of the batch. Cane slips only of farmers with a
// bank account, and with `prefix` only under that farmer code. Unmarking takes back the
// operator's own marks (a payment only while unreviewed). True when the statement ran.
bool TsSlipBankMark(int kind, int mode, int batch, const std::string& from, const std::string& to,
                    const std::string& prefix, CSmDatabase* db);
bool TsSlipBankUnmark(int kind, int mode, int batch, const std::string& from, const std::string& to,
                      const std::string& prefix, CSmDatabase* db);
// The same for the operator `operatorNo`.
bool TsSlipBankMark(int kind, int mode, int batch, const std::string& from, const std::string& to,
                    const std::string& prefix, const std::string& operatorNo, CSmDatabase* db);
bool TsSlipBankUnmark(int kind, int mode, int batch, const std::string& from, const std::string& to,
                      const std::string& prefix, const std::string& operatorNo, CSmDatabase* db);

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

// The slip items of the kind that take a deduction: categories 1 and 2 of flag 1, in that order.
std::vector<int> TsjsDeductionItems(int kind);
// The deductions (MY per slip item) of a new slip of the kind for `household`, whose tickets
// come to `slipTotal`, before it is made: none negative ("数据不正确！"), none above what the
// household's money documents leave to deduct ("“<item>”扣多了！"), and together not above the
// slip's total ("实付款不能为负数！", on no field). The field is the slip item's MY column.
SmRefusal TsjsCheckDeductions(int kind, const std::string& household, const CTsjsRec& deductions,
                              double slipTotal, CSmDatabase* db);
