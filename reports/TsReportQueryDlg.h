#pragma once
// The query dialogs of the statistical reports: the period, the operators of the weighing
// steps, code filters of farmer, driver, place and variety with their pickers, what the rows
// are and the level farmers and varieties are summed to. OK checks the dates, their order and
// the level before the dialog closes.
#include <functional>
#include <string>
#include <vector>

#include "reports/TsReportQuery.h"
#include "ui/SmDlg.h"

class QCheckBox;
class QLayoutItem;
class QComboBox;
class QRadioButton;
class CSmDatabase;
class CSmEdit;

// What the purchase report sums: the settlement kind (0 cane, 1 freight) and the choices of
// its query dialog, the shared ones with untared tickets only and the net-weight range of a row.
struct TsPurchaseQuery : TsReportQuery {
  int bUntaredOnly = 0;
  std::string sQtyRange[2];
};

// A purchase query of the choices given one by one.
TsPurchaseQuery TsMakePurchaseQuery(int settleKind, const std::string& dateFrom,
                                    const std::string& dateTo, const std::string (&oprCode)[2],
                                    const std::string (&filter)[4], int rowKind, int level,
                                    int untaredOnly, const std::string& qtyFrom,
                                    const std::string& qtyTo);

// A bound of a number range as a plain number with up to 6 decimals; "0" for a text that is
// no number or a magnitude below 1e-7.
std::string PlainBound(const std::string& text);
// Reads both bounds of a number range (either may be empty) as numbers written plainly with up
// to 6 decimals, a text that is no number becoming "0"; a lower bound above the upper one is
// exchanged with it.
void NormalizeRange(std::string& lower, std::string& upper);

// Hides every widget of a layout item, nested layouts included.
void TsHideLayoutItem(QLayoutItem* item);
// Gives the labels whose buddy is the control `buddyId` the text.
void TsRelabelBuddy(QWidget* dlg, int buddyId, const char* text);

class CTsReportQueryDlg : public CSmAppDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls). A date's month and day follow its year.
  enum ControlId : int {
    kDateFrom = 1020,
    kDateFromMonth = 1021,
    kDateFromDay = 1022,
    kDateTo = 1023,
    kDateToMonth = 1024,
    kDateToDay = 1025,
    kKindFarmer = 1026,
    kRangeFrom = 1027,
    kKindTransporter = 1028,
    kGrossOperator = 1029,
    kTareOperator = 1030,
    kLevel = 1031,
    kFarmerFilter = 1032,
    kTransporterFilter = 1033,
    kSkipEmpty = 1034,
    kPlaceFilter = 1035,
    kVarietyFilter = 1036,
    kKindPlace = 1037,
    kKindVariety = 1038,
    kUntaredOnly = 1039,
    kRangeTo = 1040,
    kPickFarmer = 1090,
    kPickTransporter = 1091,
    kPickPlace = 1092,
    kPickVariety = 1093,
  };

  CTsReportQueryDlg(CSmDatabase* db, const std::string& title, const std::string& dateFrom,
                    const std::string& dateTo, const std::string (&oprCode)[2],
                    const std::string (&filter)[4], int rowKind, int level, int skipEmpty,
                    unsigned templateId, QWidget* parent = nullptr);
  ~CTsReportQueryDlg() override;

  bool OnCommand(unsigned id) override;
  bool ValidateAndSave() override;

  // The state, read back by the report after OK.
  std::string m_dateFrom;
  std::string m_dateTo;
  std::string m_oprCode[2];
  std::string m_filter[4];
  int m_rowKind = 0;
  int m_level = -1;
  int m_skipEmpty = 1;

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;
  // The checks of OK, each saying what is wrong and focusing the control: a date (0 start,
  // 1 end) within the accounting year, the start not after the end, a level for farmers and
  // varieties.
  bool CheckDate(int which);
  bool CheckRange();
  bool CheckLevel();
  // The base part of OK: the start date, the operators, the level.
  bool ValidateBase();
  // One date only: the end date's row is hidden and the start date is the date.
  void UseSingleDate();
  // The row of the dialog's own controls, below the common ones.
  QWidget* OwnRow() const { return m_ownRow; }
  // Hides the common controls, with their labels, at the grid cells `hide` answers true to:
  // rows 0-1 the dates, 2 the operators, 3-4 the four code filters (columns 0-1 farmer, 2-3
  // driver, then place and variety), 5 the row kinds, 6 the level and "去空行".
  void HideCommon(const std::function<bool(int row, int column)>& hide);
  // Shows m_dateFrom and m_dateTo in the date edits; enables or disables every date edit.
  void ShowDates();
  void EnableDates(bool enable);
  // Only the dates (with `dates`), the farmer region with its picker, the level and "去空行"
  // stay of the common controls, with the buttons; the region's label becomes `regionLabel`.
  void KeepRegionAndLevel(bool dates, const char* regionLabel);
  // The region, its picker and the level serve farmers only.
  void EnableRegionForFarmers();
  // Says what is wrong, focuses `field` and fails.
  static bool RefuseAt(QWidget* field, const char* text);

 private:
  void BuildControls();
  void OnRowKind();
  void Pick(int which);

  CSmDatabase* m_db;
  CSmEdit* m_dateEdits[2][3];
  std::vector<QWidget*> m_endDateWidgets;
  QComboBox* m_operators[2];
  CSmEdit* m_filterEdits[4];
  QRadioButton* m_kinds[4];
  QComboBox* m_levels;
  QCheckBox* m_skip;
  QWidget* m_ownRow;
};

// "打开统计表" (template 965) of the purchase statistics: also untared tickets only and a
// range of the net weight of a row.
class CTsReportQueryDlg1 : public CTsReportQueryDlg {
  Q_OBJECT
 public:
  CTsReportQueryDlg1(CSmDatabase* db, const std::string& title, const std::string& dateFrom,
                     const std::string& dateTo, const std::string (&oprCode)[2],
                     const std::string (&filter)[4], int rowKind, int level, int skipEmpty,
                     int untaredOnly, const std::string (&qtyRange)[2], QWidget* parent = nullptr);
  // The same on a query.
  CTsReportQueryDlg1(CSmDatabase* db, const std::string& title, const TsPurchaseQuery& q,
                     int skipEmpty, QWidget* parent = nullptr);

  bool ValidateAndSave() override;

  TsPurchaseQuery m_query;

 protected:
  CTsReportQueryDlg1(CSmDatabase* db, const std::string& title, const std::string& dateFrom,
                     const std::string& dateTo, const std::string (&oprCode)[2],
                     const std::string (&filter)[4], int rowKind, int level, int skipEmpty,
                     int untaredOnly, const std::string (&qtyRange)[2], unsigned templateId,
                     QWidget* parent);
  CTsReportQueryDlg1(CSmDatabase* db, const std::string& title, const TsPurchaseQuery& q,
                     int skipEmpty, unsigned templateId, QWidget* parent);
  void DoDataExchange(bool save) override;

 private:
  QCheckBox* m_untared;
  CSmEdit* m_rangeEdits[2];
};

// "打开甘蔗收购日报表" (template 972) of the daily purchase report: the purchase statistics'
// choices with the report date alone.
class CTsReportQueryDlg5 : public CTsReportQueryDlg1 {
  Q_OBJECT
 public:
  CTsReportQueryDlg5(CSmDatabase* db, const std::string& title, const std::string& date,
                     const std::string (&oprCode)[2], const std::string (&filter)[4], int rowKind,
                     int level, int skipEmpty, int untaredOnly, const std::string (&qtyRange)[2],
                     QWidget* parent = nullptr);
  // The same on a query; its start date is the date.
  CTsReportQueryDlg5(CSmDatabase* db, const std::string& title, const TsPurchaseQuery& q,
                     int skipEmpty, QWidget* parent = nullptr);

  bool ValidateAndSave() override;
};
