#pragma once
// One row of jsSheet: a money document of a household (party LB 0 farmer, 1 driver), a
// settlement's deduction row, or the household's opening balance (empty number DH). Balances are
// never stored: an item's balance is minus the sum of the item over the household's rows, so
// advances and opening balances are stored negative.
#include <string>
#include <vector>

class CSmDatabase;
class CSmQuery;

// "MY0,MY1,...,MY14", "sum(MY0),...,sum(MY14)".
std::string TsjsItemColumns();
std::string TsjsSumColumnList();

class CTsjsRec {
 public:
  static constexpr int kItemCount = 15;

  CTsjsRec() { Clear(); }
  void Clear();

  // "FK,<items>,MU0,MU1,LB,DB,T,DH,KNO,MRY,OPR0,OPR1,TH": whole rows are read with 1 integer,
  // 17 number and 9 text columns.
  static std::string ColumnList();
  // The item amounts times `sign`, two decimals each, separated by ",".
  std::string TsjsItemValues(double sign) const;
  static void BindColumns(CSmQuery& query);
  void ReadRow(CSmQuery& query);

  // Writes this record as one row, the time of writing from the connection: 1 written, 0 skipped
  // (every amount zero), -1 failed (the connection has shown why).
  int Insert(int option, CSmDatabase* db);

  // Replaces the household's opening row by one holding this record's advance items (stored
  // negative); all-zero advances leave no row. With `ask`, an existing opening row is only
  // replaced when the user says Yes. False when declined or when a statement failed (nothing
  // changed then).
  bool SetOpening(bool ask, int party, const std::string& code, CSmDatabase* db);
  // The same with the row written by the operator `operatorNo`.
  bool SetOpening(bool ask, int party, const std::string& code, const std::string& operatorNo,
                  CSmDatabase* db);
  // The household's opening balance as positive item amounts; without an opening row the
  // record is left unchanged. False when the rows cannot be read.
  bool LoadOpening(int party, const std::string& code, CSmDatabase* db);
  // Per child code of the farmer `code`, the opening balances of the farmers under it; zero
  // amounts for a child without any.
  static bool GetChildOpenings(const std::string& code, const std::vector<std::string>& children,
                               std::vector<CTsjsRec>& openings, CSmDatabase* db);
  // Per driver code, in the list's order, its opening balance.
  static bool GetDriverOpenings(const std::vector<std::string>& drivers,
                                std::vector<CTsjsRec>& openings, CSmDatabase* db);

  // Writes into the new year's file one opening row per household with its advance balances of
  // the old year, each going to the item its formula names. The parameters of the old file
  // apply meanwhile; those of the application's connection are loaded again afterwards.
  static bool CarryOverBalances(CSmDatabase* source, CSmDatabase* target);

  // The sum of the item amounts; of the slip items of a kind and category.
  double GetTotal() const;
  double SumKind(int kind, int category) const;

  // The first row under a whole where clause into this record; false when there is none or it
  // cannot be read.
  bool TsjsSelect(const std::string& where, CSmDatabase* db);
  // The rows under the clauses, each read into this record and copied to `list` (emptied
  // first); their number.
  int Query(const std::string& where, const std::string& order, std::vector<CTsjsRec>& list,
            CSmDatabase* db);
  // Writes this settlement deduction row in a transaction of its own; false, with nothing
  // stored, when it is all zero, fails, or its number is taken ("单号重号！").
  bool InsertChecked(CSmDatabase* db);
  // Writes the rows of one voucher (they share LB, DB and DH) in one transaction; all-zero
  // rows are skipped. False, with nothing stored, when a row fails or the number is taken.
  static bool InsertDocument(std::vector<CTsjsRec>& rows, CSmDatabase* db);
  // Deletes a settlement's deduction row (kind 0; none is fine) or an unreviewed voucher;
  // false ("该单已被复核，或已被删除！") when the voucher is reviewed, gone, or the delete fails.
  static bool DeleteDocument(int party, int kind, const std::string& number, CSmDatabase* db);
  // Marks (takes back) the payment of a deduction row (kind 0) or the review of a voucher by
  // the operator at work; rows in a bank batch are left alone, a review only its reviewer
  // takes back. True when the statement ran.
  static bool Review(int party, int kind, const std::string& number, CSmDatabase* db);
  static bool CancelReview(int party, int kind, const std::string& number, CSmDatabase* db);
  // The same for the operator `operatorNo`.
  static bool Review(int party, int kind, const std::string& number, const std::string& operatorNo,
                     CSmDatabase* db);
  static bool CancelReview(int party, int kind, const std::string& number,
                           const std::string& operatorNo, CSmDatabase* db);
  // Puts the unpaid deduction rows of the party dated from-to, not in a batch, into bank
  // batch `batch` (farmers only with a bank account, and with `prefix` only under that code);
  // unmarking takes the batch's rows out again. True when the statement ran.
  static bool MarkBankBatch(int party, int batch, const std::string& from, const std::string& to,
                            const std::string& prefix, CSmDatabase* db);
  // The same with the rows marked by the operator `operatorNo`.
  static bool MarkBankBatch(int party, int batch, const std::string& from, const std::string& to,
                            const std::string& prefix, const std::string& operatorNo,
                            CSmDatabase* db);
  static bool UnmarkBankBatch(int party, int batch, const std::string& from, const std::string& to,
                              const std::string& prefix, CSmDatabase* db);
  // The vouchers (distinct DH, T, OPR0, OPR1, in number order) of a party and kind, opening rows
  // never; `month` ("mm", empty for all) is taken in the accounting year of the open file. Each
  // is read into this record and copied to `list` (emptied first); their number.
  int QueryDocumentList(const std::string& month, int party, int kind, bool unreviewedOnly,
                        bool reviewedOnly, std::vector<CTsjsRec>& list, CSmDatabase* db);
  // Per household of the party (under `prefix` for farmers) up to `date`: summed area MU0,
  // output MU1 and the advance balance MY0, leaving voucher (`kind`, `number`) out; each read
  // into this record and copied to `list` (emptied first); their number.
  int GetSumsExcept(int party, int kind, const std::string& prefix, const std::string& date,
                    const std::string& number, std::vector<CTsjsRec>& list, CSmDatabase* db);
  // Interest on the household's balance of item `item` (all items for a negative number) from
  // `from` to `to` at `rate` per 10,000 a day; rows dated on or after `to` do not count, nor
  // does a balance at or below zero. With `openingOnly` only the opening row counts.
  static double QueryHistory(int party, int item, const std::string& from, const std::string& to,
                             double rate, bool openingOnly, const std::string& code,
                             CSmDatabase* db);
  // The summed item amounts of all rows of the household, as stored (minus the balances);
  // the record is left as it was when the household has no row. False when unreadable.
  bool GetHouseholdSums(int party, const std::string& code, CSmDatabase* db);

  int LB = 0;
  int DB = 0;
  std::string T;
  std::string TH;
  std::string DH;
  std::string KNO;
  std::string MRY;
  std::string OPR[2];
  double MU[2] = {0, 0};
  std::vector<double> MY;
  int FK = 0;

 private:
  bool HasAdvance(int party) const;
  bool IsZero() const;
  // The advance balances of a summed household row moved to the items that take them.
  void MoveAdvancesForCarry();
};
