#pragma once
// The money vouchers of the households (returns of advances, advances, entrusted withholdings,
// interest, area and output estimates) as a table document: one line carries up to four
// households side by side, each in a group of five columns (code, name, balance, amount, note).
// A new voucher is filled with every household of the party; an opened one is read from
// jsSheet. Saving replaces the voucher's rows under its number, or gives a new voucher the next
// number of its kind.
#include <initializer_list>
#include <string>
#include <vector>

#include "forms/SmDoc.h"
#include "weighing/TsjsRec.h"

class CTsYfDoc : public CSmDoc {
 public:
  static constexpr int kGroups = 4;
  static constexpr int kOptionCount = 18;

  // The shown column of each field of a group, -1 when it is not shown.
  struct GroupColumns {
    int index = 0;
    int code = -1;
    int name = -1;
    int balance = -1;
    int amount = -1;
    int note = -1;
    // A group without a shown name or amount takes no household.
    bool Usable() const { return name >= 0 && amount >= 0; }
    // Whether one of the group's shown columns lies in [first, last].
    bool Within(int first, int last) const {
      for (int column : {code, name, balance, amount, note}) {
        if (column >= 0 && column >= first && column <= last) return true;
      }
      return false;
    }
  };

  void OnInitDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  int GetColumnVisibility(const CSmFormDef& def, int column) override;
  void DefineHeadNotes(CSmFormDef& def) override;
  bool IsReadOnly() override;
  // Party, kind and number of one voucher to show; any other count of texts is refused (0).
  int ApplyParams(const std::vector<std::string>& params) override;
  bool LoadRows(int openMode) override;
  void AppendBlankRow() override;
  void Refresh() override;
  // Writes the voucher and tells the clerk its number, households and total.
  bool Save(int saveAs) override;
  bool GetSavePrompt(std::string& prompt) override;
  void OnCloseDocument() override;

  GroupColumns Group(int g) const;
  // Whether the code names a driver (transporters) or one farmer of the last level.
  bool IsHousehold(const std::string& code) const { return FindHousehold(code, nullptr); }
  // The same, with the household's name into `name` when it is found.
  bool FindHousehold(const std::string& code, std::string* name) const;
  // The households of the lines [firstRow, lastRow] of the groups with a column among the shown
  // columns [firstColumn, lastColumn], as rows of the shown voucher; zero amounts and unknown
  // households are left out.
  int CollectRows(int firstRow, int lastRow, int firstColumn, int lastColumn,
                  std::vector<CTsjsRec>& rows) const;
  // The proposed advance of a farmer from his estimated output and current balance.
  static double ProposeAdvance(double rate1, double rate2, double output, double balance,
                               const std::string& lower, const std::string& upper, bool whole);
  // The voucher's title for a kind and party ("预付农户款单"); empty outside 1-6.
  static std::string TitleOf(int kind, int party);
  // The text of a household's cell: its code (or, without a code column, its name cell).
  std::string CodeOf(int row, const GroupColumns& group) const;
  int Sign() const;
  int ItemCategory() const { return m_voucherKind == 3 ? 1 : 2; }
  // The item number of the chosen money item, -1 when the index is past the defined items.
  int ItemNumber() const;
  std::string ShownNumber() const;

  int m_party = 0;
  int m_voucherKind = 2;
  bool m_unreviewedOnly = false;
  bool m_reviewedOnly = false;
  std::string m_month;
  std::string m_region;
  std::string m_date;
  std::string m_interestFrom;
  std::string m_interestTo;
  double m_dailyRate = 4;
  std::vector<std::string> m_numbers;
  int m_shown = 0;
  double m_rate1 = 0;
  double m_rate2 = 0;
  int m_item = 0;
  bool m_openingOnly = true;
  std::string m_lower;
  std::string m_upper;
  bool m_whole = true;
  CTsjsRec m_header;
  // Region, date, money item, number, maker and reviewer.
  std::string m_notes[6];

 protected:
  // The number a new voucher takes (the next of its kind); empty when none fits.
  virtual std::string NextNumber();

 private:
  void ReadOptions();
  void WriteOptions();
  // "预付农户款 0003号已保存：2户，合计1000.00元。"
  std::string SavedText(const std::string& number, const std::vector<CTsjsRec>& rows) const;
  void ChooseKindNumber() { m_kind.nNumber = m_voucherKind + 6 * m_party; }
  bool ChooseVoucher();
  bool ChooseNewVoucher();
  struct Household {
    std::string code;
    std::string name;
    std::string amount;
    std::string note;
  };
  std::vector<GroupColumns> UsableGroups() const;
  // The households into the lines, one to each usable group in turn.
  void LayOut(const std::vector<Household>& households);
  void RecoverItem(const std::vector<CTsjsRec>& rows);
  void RecoverRegion(const std::vector<CTsjsRec>& rows);
  void MakeNotes();
  void FillBalances(bool propose);
  std::string ProposedInterest(const std::string& code) const;
  // Writes the rows in place of the stored voucher, or under a new number; false when nothing
  // was written.
  bool WriteVoucher(std::vector<CTsjsRec>& rows, std::string& number);
};

// Writes the rows of voucher `number` of a party and kind in one transaction, in place of the
// stored voucher of that number with `replace`; the stations saving one number take turns.
// False, with nothing changed, when a statement fails or the number is taken ("单号重号！").
bool TsWriteVoucher(int party, int kind, bool replace, const std::string& number,
                    std::vector<CTsjsRec>& rows, CSmDatabase* db);

// Installs the advance document as the document of template 260.
void TsInstallAdvanceDoc();
