#pragma once
// One weighing ticket: one row of gbSheet. A ticket is gross only while OPR1 is empty, tared
// once it is set, and settled in kind k (0 cane payment, 1 freight) once JN<k> is set. MY<6k>
// is the base amount of kind k and MY<6k+1+j> its ticket item j (TsTicketMoneyColumn).
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cane/TsCaneContext.h"  // TsOperatorNo
#include "core/SmRefusal.h"

class CSmDatabase;
class CSmQuery;
class CSmVarCaculate;

// Per kind (0, 1) and category (0, 1): one flag per defined ticket item, in their order.
using TsChosenItems = std::array<std::array<std::vector<bool>, 2>, 2>;

// The columns of gbSheet, one field each here under the same name (the table is made in
// cane/TsTables.cpp). Kind k is 0 for the cane payment, 1 for the freight.
//   T, TH        weighing date "yyyymmdd" (the card's working date); time of first saving
//                "hhmmss"
//   DH           ticket number, zero-padded to the ticket-number length
//   OPR0, OPR1   operator of the gross weighing; of the tare step (empty: gross only)
//   OPR[2+k]     who settled the ticket on the slip of kind k (OPR2, OPR3)
//   OPR[4+k]     who paid that slip (OPR4, OPR5)
//   OPR[6+k]     who reviewed it (OPR6, OPR7)
//   JT[k], JN[k] date and number of the slip of kind k (JN empty: not settled in that kind)
//   KNO0         farmer code (NHDir)
//   KNO1         driver code (DriverDir); may be empty
//   KNO2         cutting/transport place code (AdrDir)
//   KNO3         variety code (GP); given in the tare step
//   MU0-MU3      gross, tare and impurity weight in tons; impurity ratio in percent
//   PR0, PR1     cane price, freight price, yuan per ton
//   MY0-MY11     amounts: MY[6k] the base amount of kind k, MY[6k+1+j] its ticket item j (0-4)
//   FK           bank payment batch number (0: in none)
//   PRT0, PRT1   how often the slip of kind 0, 1 holding the ticket was printed
class CTsgbRec {
 public:
  CTsgbRec() { Clear(); }

  // Texts empty, numbers 0, twelve zero amounts.
  void Clear();
  // Field by field; texts byte for byte, numbers within 1e-6, and the amounts only when both
  // records hold exactly twelve.
  bool IsEqual(const CTsgbRec& other) const;
  bool operator!=(const CTsgbRec& other) const { return !IsEqual(other); }

  // The columns of a whole row: 3 integers, 18 numbers, 19 texts, in that order.
  static std::string ColumnList();
  // "MY0,...,MY11".
  static std::string ItemColumnList();
  // The amounts with two decimals each, separated by ",".
  std::string ItemValueList() const;
  static void BindColumns(CSmQuery& query);
  void ReadRow(CSmQuery& query);

  // The first row of gbSheet under a whole where clause ("Where DH='...'"): 1, or 0 with the
  // record unchanged when there is none or it cannot be read.
  int Load(const std::string& where, CSmDatabase* db);
  // The rows under the clauses, each read into this record and copied to `list` (emptied
  // first); their number.
  int Select(const std::string& where, const std::string& order, std::vector<CTsgbRec>& list,
             CSmDatabase* db);
  // The same row by row: each read into this record (every field anew) and handed to `onRow`,
  // which may change or move it; their number.
  int ReadEach(const std::string& where, const std::string& order,
               const std::function<void(CTsgbRec&)>& onRow, CSmDatabase* db);
  // Writes the ticket as a new row in a transaction of its own, stamping an empty TH with the
  // connection's clock. A number another row holds already is refused ("单号重，不能修改！")
  // and nothing is stored. 1 when stored, else 0.
  int Insert(CSmDatabase* db);
  // Stores this new ticket under the next ticket number: the number is taken inside the write
  // transaction while the number series is locked, so that two stations saving at once get two
  // numbers; DH holds it afterwards. Its codes are checked in the same transaction
  // (TsgbCheckCodes; `missing` gets what TsgbCheckCodes found, -1 when all are there). 1 when
  // stored; else 0 with nothing stored and DH as it was.
  int InsertNew(bool tare, CSmDatabase* db, int* missing = nullptr);
  // Stores this ticket over the stored ticket `old` (as the card selected it) in one
  // transaction: the stored row is locked and must still be `old` (else `stale` is set), the
  // codes are checked as for a new ticket (`missing`), then the old row goes (TsgbDelete mode 2)
  // and this one is inserted. 1 when stored; else 0 with the stored ticket unchanged.
  int Rewrite(const CTsgbRec& old, bool tare, CSmDatabase* db, bool* stale = nullptr,
              int* missing = nullptr);
  // Writes the chosen ticket items of this (recomputed) ticket over the stored ones where they
  // differ by 0.00001 or more, leaving alone the kinds the stored ticket is settled in. 1 when
  // every update ran; those that ran stay when one fails.
  int UpdateItems(const TsChosenItems& chosen, CSmDatabase* db) const;

  // Net weight of the kind: gross less tare less impurity; the freight weight keeps the
  // impurity unless freight is priced net of it.
  double GetWeight(int kind) const;
  // Base amount of the kind plus its signed ticket items.
  double GetTotal(int kind) const;
  // Net weight of the kind times its price, to the cent.
  double BaseAmount(int kind) const;
  // The base amounts of both kinds: BaseAmount once tared, 0 on a gross ticket.
  void SetBaseAmounts(bool tare);
  // Works out what follows from the fields the clerk keyed, against the ticket as it was
  // (`before`): a changed impurity ratio gives the impurity ((gross - tare) x ratio %, to the
  // quantity precision), then the base amounts; when a weight, price or base amount moved, a
  // tared ticket recomputes its items. True when something moved.
  bool Recompute(const CTsgbRec& before, bool tare, CSmDatabase* db);
  // Signed sum of the defined ticket items of the kind and category.
  double SumItems(int kind, int category) const;
  // Sets the price of the kind (or raises it by `price` when `add`), works out its base
  // amount and recomputes the items of every kind not yet on a slip.
  void SetPrice(bool add, int kind, double price, CSmDatabase* db);
  // Works ticket item j (0-4) of the kind out from its formula; a missing formula, or one the
  // evaluator cannot read, leaves the stored amount.
  void ComputeItem(int kind, int item, CSmDatabase* db);
  void ComputeItems(CSmDatabase* db);
  // The same with the connection and evaluator of a context.
  void ComputeItems(const TsCaneContext& context);
  // Re-prices every tared ticket of the variety (kind 0) or place (kind 1) `code` not yet on
  // a slip of that kind; each ticket is rewritten in a transaction of its own.
  static void Reprice(bool add, int kind, double price, const std::string& code, CSmDatabase* db);

  std::string T;
  std::string TH;
  std::string DH;
  std::string OPR[8];
  std::string JT[2];
  std::string JN[2];
  std::string KNO[4];
  double MU[4] = {0, 0, 0, 0};
  double PR[2] = {0, 0};
  std::vector<double> MY;
  int FK = 0;
  int PRT[2] = {0, 0};
};

// Works ticket items out from their formulas, for one ticket or a batch of many, with what
// does not change from ticket to ticket taken once: the evaluator, the item formulas, and the
// farmers, drivers and places the formulas read, each loaded once per code.
class CTsgbItemCalc {
 public:
  explicit CTsgbItemCalc(const TsCaneContext& context);
  ~CTsgbItemCalc();
  CTsgbItemCalc(const CTsgbItemCalc&) = delete;
  CTsgbItemCalc& operator=(const CTsgbItemCalc&) = delete;

  // Ticket item j (0-4) of the kind from its formula; a missing formula, or one the evaluator
  // cannot read, leaves the stored amount.
  void Compute(CTsgbRec& rec, int kind, int item);

 private:
  struct Farmer {
    double cs[4] = {0, 0, 0, 0};
  };
  struct Driver {
    std::string low;
    std::string high;
  };
  struct Place {
    double cs[4] = {0, 0, 0, 0};
    double jl = 0;
  };

  // The formula with the values of the ticket and its master data written in.
  std::string FormulaText(const CTsgbRec& rec, const std::string& formula);
  const Farmer* FindFarmer(const std::string& code);
  const Driver* FindDriver(const std::string& code);
  const Place* FindPlace(const std::string& code);

  CSmDatabase* m_db = nullptr;
  std::unique_ptr<CSmVarCaculate> m_evaluator;
  static constexpr int kItemFormulas = 5;
  std::string m_formulas[2][kItemFormulas];
  // Per code: the record, or none when it is not on file.
  std::unordered_map<std::string, std::optional<Farmer>> m_farmers;
  std::unordered_map<std::string, std::optional<Driver>> m_drivers;
  std::unordered_map<std::string, std::optional<Place>> m_places;
};

// What a ticket's write transaction checks of the codes it names: the farmer (a lowest-level
// code), the place and the driver when given, and in the tare step the variety (a lowest-level
// code) when given. Each row is locked first, so that another station deleting it waits for
// this ticket, or this ticket finds it gone. The index of the first code that is not there
// (as KNO: 0 farmer, 1 driver, 2 place, 3 variety), kTsgbCodesFailed when a statement failed
// (it has said so), else -1.
constexpr int kTsgbCodesFailed = 4;
int TsgbCheckCodes(const CTsgbRec& rec, bool tare, CSmDatabase* db);
// The message of a missing code of that index ("农户不存在！" ...); empty for any other value.
std::string TsgbMissingCodeText(int index);

// The fields of a ticket a check names in its refusal (SmRefusal::field); the codes in their KNO
// order. A refusal without a field (kSmNoField) sends the clerk to the list of tickets.
enum TsgbField : int {
  kTsgbFieldFarmer,
  kTsgbFieldDriver,
  kTsgbFieldPlace,
  kTsgbFieldVariety,
  kTsgbFieldGross,
  kTsgbFieldTare,
  kTsgbFieldImpurity,
  kTsgbFieldCanePrice,
  kTsgbFieldFreightPrice,
  kTsgbFieldNumber,
  kTsgbFieldCount
};
// The checks of a ticket about to be saved by the operator `operatorNo` (new, or in the tare
// step), in the order the clerk meets them: a stop ends them; the warnings (no tare, place,
// driver or variety) are gathered into one box ("...继续吗？") on the first field they name,
// and the checks after them come only once it is passed. Empty when the ticket may be saved.
// The number of a stored ticket is brought to the ticket-number length on the way.
std::vector<SmRefusal> TsgbCheckTicket(CTsgbRec& rec, bool isNew, bool tare,
                                       const std::string& operatorNo, CSmDatabase* db);

// The condition that a ticket is on no slip of the kind: "rtrim(JN<kind>)=''". Most tickets of
// a season in progress are open, yet an engine that keeps no statistics of the values finds an
// empty slip number as rare as a ticket number or a farmer and would look the open tickets up
// through the slip-number index, visiting all of them. The trimmed number is no index's, so the
// ticket, farmer, place or date the statement names finds its tickets; a slip number compares
// after right-trimming in any case.
std::string TsgbOpenCondition(int kind);

// Deletes ticket `dh`, or with mode 1 takes its tare step back. Mode 0 only a ticket that is
// neither tared nor settled, modes 1 and 2 only one not settled, mode 3 any. A ticket that
// does not qualify is left alone and counts as success; 0 ("数据操作失败！") when the
// statement fails.
int TsgbDelete(int mode, const std::string& dh, CSmDatabase* db);
// The statement of TsgbDelete.
std::string TsgbDeleteText(int mode, const std::string& dh, CSmDatabase* db);

// Numbers are counted inside the saving transaction to find one taken twice. On the server the
// count cannot see another station's uncommitted rows, so the stations saving one number of a
// series take turns on a lock held to the end of the transaction (on the data file the write
// transaction already makes them take turns). False when the lock could not be taken.
constexpr int kTsTicketNumbers = 1605;
constexpr int kTsSlipNumbers = 1606;     // + kind
constexpr int kTsVoucherNumbers = 1610;  // + 10 x party + document type
bool TsLockDocNo(int series, const std::string& number, CSmDatabase* db);

// The next number: of a ticket (docKind -1), of a slip of `slipKind` (docKind 0), or of a
// money document of type docKind (jsSheet DB), zero-padded to the ticket-number length. Empty,
// after saying so, when the number no longer fits that length.
std::string TsNextDocNo(int slipKind, int docKind, CSmDatabase* db);
