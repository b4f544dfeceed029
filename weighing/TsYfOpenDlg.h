#pragma once
// The voucher list of the advance document: the vouchers of one party and kind, filtered by
// month of the accounting year and by review state, to open, delete, review or take the review
// back in place.
#include <string>
#include <vector>

#include "platform/SmCommandIds.h"
#include "ui/SmDlg.h"
#include "ui/SmListCtrl.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class CSmDatabase;
class CTsYfOpenDlg;

// The list: its commands and their enabling go to the dialog.
class CTsYfSheetList : public CSmListCtrl {
  Q_OBJECT
 public:
  CTsYfSheetList(CTsYfOpenDlg* dlg, QWidget* parent);

  bool OnCommand(unsigned id) override;
  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  std::vector<unsigned> GetIconIds() override;
  void Open() override;
  void Delete() override;

 private:
  CTsYfOpenDlg* m_dlg;
};

class CTsYfOpenDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kListId = 1077,
    kReceiptId = 1081,  // the kinds: receipt, payment, withheld, interest, area, estimate
    kPaymentId = 1082,
    kWithheldId = 1083,
    kFarmersId = 1084,
    kDriversId = 1085,
    kMonthId = 1086,
    kUnreviewedId = 1087,
    kReviewedId = 1088,
    kInterestId = 1089,
    kAreaId = 1090,
    kEstimateId = 1091,
  };

  static constexpr unsigned kReview = SM_ID_REVIEW;
  static constexpr unsigned kCancelReview = SM_ID_REVIEW_CANCEL;

  // `numbers` are selected in the list on opening; after OK they are the chosen vouchers.
  CTsYfOpenDlg(int party, int kind, bool unreviewedOnly, bool reviewedOnly,
               const std::string& month, const std::vector<std::string>& numbers, CSmDatabase* db,
               QWidget* parent = nullptr);

  int Party() const { return m_party; }
  int Kind() const { return m_kind; }
  bool UnreviewedOnly() const { return m_unreviewedOnly; }
  bool ReviewedOnly() const { return m_reviewedOnly; }
  const std::string& Month() const { return m_month; }
  const std::vector<std::string>& Numbers() const { return m_numbers; }
  CTsYfSheetList* List() const { return m_list; }

  bool IsListCommandEnabled(unsigned id);
  void OnDelete();
  // Review (or take back the review of) every selected voucher.
  void OnReview(bool cancel);
  void OnOK() override;

 protected:
  void OnInitDialog() override;

 private:
  QWidget* BuildChoices();
  void FillMonths();
  // Reads the buttons and the month after a change, applies their rules and lists again.
  void OnChange();
  void FillList();
  std::string Caption() const;
  // The caption less its leading "打开": what the log lines call the voucher.
  std::string LogName() const;
  // The only selected row, or -1.
  int OnlySelected() const;
  std::string Cell(int row, int column) const;
  void SelectRow(int row);

  int m_party;
  int m_kind;
  bool m_unreviewedOnly;
  bool m_reviewedOnly;
  std::string m_month;
  std::vector<std::string> m_numbers;
  CSmDatabase* m_db;
  CTsYfSheetList* m_list;  // children of the dialog
  QButtonGroup* m_kinds;
  QButtonGroup* m_parties;
  QCheckBox* m_unreviewed;
  QCheckBox* m_reviewed;
  QComboBox* m_months;
};
