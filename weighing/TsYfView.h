#pragma once
// The grid of an advance voucher: households edited line by line (four groups of code, name,
// balance, amount and note), codes checked against the farmer or driver directory as they are
// typed, the household directory as the picker (F2), stepping between the vouchers the
// document opened (Ctrl+PgUp, Ctrl+PgDn), and besides the grid's own print one voucher page
// per selected household.
#include <string>

#include "forms/SmForthView.h"
#include "weighing/TsYfVoucher.h"

class CTsYfDoc;

enum : int {
  kTsVoucherPageSetup = 44611,
  kTsPrintVouchers = 44612,
  kTsPreviewVouchers = 44613,
};

class CTsYfView : public CForthView {
  Q_OBJECT
 public:
  explicit CTsYfView(QWidget* parent = nullptr) : CForthView(parent) {}

  CTsYfDoc* YfDoc() const;

  // ---- overridden operations
  // A new voucher counts as changed until it is saved.
  void ResetLayout() override;
  // TEXT cells but the balances; a name cell only in a group without a code column.
  bool IsCellEditable(int row, int column, const std::string& region) override;
  // A household cell looks its household up; an amount redraws the totals.
  void OnCellChanged(const std::string& text, int row, int column,
                     const std::string& region) override;
  void GetNoteValue(CSmFormHeadNote& note) override;
  void AddContextMenuItems(QMenu& menu) override;
  bool IsCommandAllowed(int id) override;
  // A household cell that is empty or names no household opens the picker and is not valid.
  bool ValidateCurrentCell() override;
  // The household directory as picker; on a note cell the note above is copied instead.
  void ShowDropListAtCurrent() override;
  // A name cell shows the household's name, its code while no name is known.
  bool OwnerDrawCell(CSmFormDC& dc, int row, int column, const std::string& region) override;
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // ---- own operations
  // Shows the next (or previous) voucher of the document, the first after the last.
  void StepVoucher(bool next);
  // The page settings of the current kind's voucher pages (44611).
  void VoucherPageSetup();
  // One voucher page per household of the selected cells, printed (44612) or previewed
  // (44613, the first household only).
  void PrintVouchers(bool preview);
  // Set while voucher pages are printed or previewed.
  bool VoucherPrinting() const { return m_voucherPrinting; }
  const CTsYfPageSetup& PageSetupOfVouchers() const { return m_pageSetup; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The question beep of a code that names no household.
  virtual void QuestionBeep();

 private:
  // The group and the field (1 code, 2 name, 3 balance, 4 amount, 5 note) of a shown column.
  struct CellRole {
    int group = -1;
    int field = 0;
  };
  CellRole RoleOf(int column) const;
  // A code cell, or the name cell of a group without a code column.
  bool TakesHousehold(const CellRole& role) const;
  // The household's name into the group's hidden cell, the cell flagged when none is found.
  void LookUpHousehold(int row, int column);
  // The code chosen in the party's directory, empty when cancelled.
  std::string PickHousehold(const std::string& start);

  CTsYfPageSetup m_pageSetup;
  bool m_voucherPrinting = false;
};
