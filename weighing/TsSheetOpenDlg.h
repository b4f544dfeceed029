#pragma once
// "打开过磅单" (template 960): what a cane document asks before it opens. The weighing card
// (mode -1) and the settlement card (mode 0) take only the working date; the money documents
// (modes 1-6: return of advance, advance, withholding, interest, area and output estimate)
// also the party, the money item, the region and their amounts and interest period. The mode
// decides the title, which controls show and are enabled, the height and the checks on OK.
#include <string>

#include "ui/SmDlg.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class CSmDatabase;
class CSmEdit;

class CTsSheetOpenDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kYear = 1003,
    kMonth = 1004,
    kDay = 1005,
    kRate = 1006,
    kInterestFrom = 1007,
    kInterestTo = 1010,
    kKindReceipt = 1092,
    kKindPayment = 1093,
    kKindWithholding = 1094,
    kFarmer = 1095,
    kTransporter = 1096,
    kRegion = 1097,
    kPickRegion = 1098,
    kKindInterest = 1101,
    kPerTon = 1103,
    kAtMost = 1105,
    kKindArea = 1106,
    kKindEstimate = 1107,
    kItems = 1108,
    kTotalFrom = 1110,
    kTotalTo = 1111,
    kOpeningOnly = 1114,
    kDropCents = 1115,
  };

  // Works on the application's connection unless `db` is given.
  CTsSheetOpenDlg(const std::string& date, QWidget* parent = nullptr, CSmDatabase* db = nullptr);

  // Mode, party and enabling from the radios; item list, visibility, height and title.
  void UpdateState();
  bool ValidateAndSave() override;
  bool OnCommand(unsigned id) override;

  // The dialog's title for a mode and party.
  static std::string TitleOf(int mode, int party);

  std::string m_date;
  int m_mode = -1;
  int m_party = 0;
  int m_kindChoosable = 1;
  int m_item = 0;
  std::string m_region;
  double m_advancePerTon = 0;
  double m_advanceAtMost = 0;
  std::string m_totalFrom;
  std::string m_totalTo;
  int m_dropCents = 1;
  double m_dailyRate = 0;
  std::string m_interestFrom;
  std::string m_interestTo;
  int m_openingOnly = 0;

 protected:
  void OnInitDialog() override;

 private:
  void BuildControls();
  QWidget* DateRow(int firstId, CSmEdit** edits);
  void FillItems(int category);
  void CutHeight();
  // The date of three edits after the checks of the year (within `years` of the business
  // year), month and day; empty after saying what is wrong.
  std::string CheckedDate(CSmEdit* const* edits, int years);
  bool CheckRegion();
  bool CheckItem();
  void NormaliseTotals();
  int ItemCategory() const { return m_mode == 3 ? 1 : 2; }

  CSmDatabase* m_db;
  QWidget* m_page;
  CSmEdit* m_dateEdits[3];
  CSmEdit* m_fromEdits[3];
  CSmEdit* m_toEdits[3];
  QButtonGroup* m_kinds;
  QRadioButton* m_farmer;
  QRadioButton* m_transporter;
  QComboBox* m_items;
  QLabel* m_regionLabel;
  CSmEdit* m_regionEdit;
  QWidget* m_regionPicker;
  QLabel* m_perTonLabel;
  CSmEdit* m_perTon;
  QLabel* m_atMostLabel;
  CSmEdit* m_atMost;
  QLabel* m_totalLabel;
  CSmEdit* m_totalEdits[2];
  QLabel* m_totalDash;
  QCheckBox* m_dropCentsCheck;
  CSmEdit* m_rate;
  QCheckBox* m_openingOnlyCheck;
  QWidget* m_interestGroup;
  QWidget* m_okButton;
  QWidget* m_cancelButton;
};
