#pragma once
// "甘蔗砍运地目录" (template 954): every cutting/transport place with its region, distance,
// freight price and place-linked parameters; maintained through the place card (955) under the
// right "1603", or a picker of one place that may list the places of a farmer's regions first.
#include <string>
#include <vector>

#include "cane/TsAdrRec.h"
#include "cane/TsRecordDirDlg.h"
#include "ui/SmPosDlg.h"

class QLabel;
class CSmEdit;

class CTsPlaceDirDlg : public CTsRecordDirDlg {
  Q_OBJECT
 public:
  CTsPlaceDirDlg(bool picker, CSmDatabase* db, const std::string& code, QWidget* parent = nullptr);

  // The places of the regions this farmer code begins with are listed first.
  void SetFarmerCode(const std::string& code) { m_farmer = code; }
  // After a pick, the chosen place.
  const CTsAdrRec& Place() const { return m_rec; }

  void SetupColumns() override;
  void FillList() override;
  Qt::Alignment GetColumnFormat(int column) override;
  unsigned GetIconId() const override { return 606; }
  void AddMenuItems(QMenu* popup, QAction* before) override;
  bool OnExtraCommand(unsigned id) override;
  bool RunCard(std::string& code, bool add) override;
  bool DeleteRecord(const std::string& code) override;
  std::string DeleteRefusal() const override { return "该地已被引用，不能删除！"; }
  bool LoadPicked(const std::string& code) override;

 private:
  void ChangeParams();

  CTsAdrRec m_rec;
  std::string m_farmer;
};

class CTsPlaceCardDlg : public CSmPosDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls); the link parameters follow kFirstParam.
  enum ControlId : int {
    kCode = 1057,
    kName = 1058,
    kDistance = 1059,
    kPrice = 1060,
    kFirstParam = 1061,
    kRegion = 1065,
    kNote = 1067,
    kRegionName = 1068,
  };

  // Mode 1 add, 0 modify the place `code`.
  CTsPlaceCardDlg(int mode, const std::string& code, CSmDatabase* db, QWidget* parent = nullptr);

  // The place being edited: before an add it may hold the place the new one starts from; after
  // OK the saved place.
  CTsAdrRec& Place() { return m_rec; }

  bool ValidateAndSave() override;
  bool OnCommand(unsigned id) override;

 protected:
  void OnInitDialog() override;

 private:
  void ShowRegionName();
  void PickRegion();
  // `stale`: refused (and said so) because another station changed the row the card showed.
  bool Save(const CTsAdrRec& rec, bool& stale);

  int m_mode;
  std::string m_oldCode;
  CSmDatabase* m_db;
  CTsAdrRec m_rec;
  CTsAdrRec m_shown;  // modify mode: the place as the card showed it
  CSmEdit* m_code;
  CSmEdit* m_name;
  CSmEdit* m_region;
  QLabel* m_regionName;
  CSmEdit* m_distance;
  CSmEdit* m_price;
  CSmEdit* m_note;
  std::vector<QLabel*> m_paramCaptions;
  std::vector<CSmEdit*> m_params;
};
