#pragma once
// "驾驶员目录" (template 956): every driver with his plate, load limits and, in directory mode,
// his opening advance balances per freight advance item with their totals; maintained through
// the driver card (957) under the right "1604", or a picker of one driver.
#include <string>
#include <vector>

#include "cane/TsDriverRec.h"
#include "cane/TsRecordDirDlg.h"
#include "cane/TsWeighingService.h"
#include "ui/SmPosDlg.h"

class CSmEdit;

class CTsDriverDirDlg : public CTsRecordDirDlg {
  Q_OBJECT
 public:
  CTsDriverDirDlg(bool picker, CSmDatabase* db, const std::string& code, QWidget* parent = nullptr);

  // After a pick, the chosen driver.
  const CTsDriverRec& Driver() const { return m_rec; }
  // The text of the advance totals box.
  std::string AdvanceTotalsText() const;

  void SetupColumns() override;
  void FillList() override;
  Qt::Alignment GetColumnFormat(int column) override;
  unsigned GetIconId() const override { return 614; }
  void AddMenuItems(QMenu* popup, QAction* before) override;
  bool OnExtraCommand(unsigned id) override;
  bool IsCommandAvailable(unsigned id) override;
  bool RunCard(std::string& code, bool add) override;
  bool DeleteRecord(const std::string& code) override;
  std::string DeleteRefusal() const override { return "该驾驶员已被引用，不能删除！"; }
  bool LoadPicked(const std::string& code) override;

 private:
  bool ShowsAmounts() const;

  CTsDriverRec m_rec;
  std::vector<double> m_totals;
};

class CTsDriverCardDlg : public CSmPosDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls); the advances follow kFirstAdvance, the upper
  // weight limit follows the lower one.
  enum ControlId : int {
    kFirstAdvance = 1003,
    kCode = 1057,
    kName = 1058,
    kPlate = 1059,
    kLowerLimit = 1060,
    kUpperLimit = 1061,
    kPhone = 1062,
    kAddress = 1063,
    kNote = 1064,
  };

  // Mode 1 add, 0 modify the driver `code`.
  CTsDriverCardDlg(int mode, const std::string& code, CSmDatabase* db, QWidget* parent = nullptr);

  // After OK, the saved driver.
  const CTsDriverRec& Driver() const { return m_rec; }
  int AdvanceFieldCount() const { return static_cast<int>(m_advances.size()); }

  bool ValidateAndSave() override;

 protected:
  void OnInitDialog() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // A load limit as a number with up to four decimals; false when it is not above 0.
  // `stale`: refused (and said so) because another station changed the row the card showed.
  bool Save(const CTsDriverRec& rec, bool& stale);

  int m_mode;
  std::string m_oldCode;
  CSmDatabase* m_db;
  CTsDriverRec m_rec;
  // Modify mode: the driver and his opening balances as the card showed them.
  CTsDriverRec m_shown;
  TsSlipAmounts m_shownOpenings{};
  CSmEdit* m_code;
  CSmEdit* m_name;
  CSmEdit* m_note;
  CSmEdit* m_limits[2];
  std::vector<CSmEdit*> m_advances;
};
