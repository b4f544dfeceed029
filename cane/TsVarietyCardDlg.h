#pragma once
// The variety card (template 964): a variety's code below its parent, name, price per ton and
// note. A variety with entries below it has no price. When a lowest-level variety's price
// changes, the tared tickets of the variety not yet on a cane slip can be re-priced with it.
#include <string>

#include "cane/TsGp.h"
#include "ui/SmPosDlg.h"

class CSmEdit;

class CTsVarietyCardDlg : public CSmPosDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int { kName = 1067, kPrice = 1068 };

  CTsVarietyCardDlg(CSmDatabase* db, const std::string& parentCode, const std::string& code,
                    bool add, QWidget* parent = nullptr);

  // After OK, the saved variety with its full code.
  const CGp& Variety() const { return m_rec; }

  bool ValidateAndSave() override;

 protected:
  void OnInitDialog() override;

 private:
  bool Save(const std::string& newCode, const CGp& old);
  // Offers to carry a price change over to the variety's unsettled tickets.
  void OfferRepricing(const CGp& old);

  CSmDatabase* m_db;
  std::string m_parentCode;
  std::string m_code;
  bool m_add;
  int m_ownLength;
  CGp m_rec;
  CGp m_shown;  // modify mode: the variety as the card showed it
  CSmEdit* m_own;
  CSmEdit* m_name;
  CSmEdit* m_price;
  CSmEdit* m_note;
};
