#pragma once
// The farmer card (template 953): a farmer's code below his parent, name, telephone, bank
// account and note; a farmer without entries below him also gets his opening advance balances
// and his farmer-linked parameters. Saving inserts or rewrites him (a changed code moves his
// subtree and everything that refers to it) and logs the change.
#include <string>
#include <vector>

#include "cane/TsNH.h"
#include "cane/TsWeighingService.h"
#include "ui/SmPosDlg.h"

class CSmEdit;
class QGridLayout;

class CTsFarmerCardDlg : public CSmPosDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls); the advances and link parameters follow
  // kFirstAdvance in their order.
  enum ControlId : int {
    kFirstAdvance = 1003,
    kCodeText = 1011,
    kOwnPart = 1012,
    kName = 1013,
    kNote = 1015,
  };

  // `code` is the farmer to modify, or (when adding) the selected code, unused.
  CTsFarmerCardDlg(CSmDatabase* db, const std::string& parentCode, const std::string& code,
                   bool add, QWidget* parent = nullptr);

  // After OK, the saved farmer with his full code.
  const CNH& Farmer() const { return m_rec; }
  int OwnPartLength() const { return m_ownLength; }
  int AdvanceFieldCount() const { return static_cast<int>(m_advanceFields.size()); }
  int ParamFieldCount() const { return static_cast<int>(m_paramFields.size()); }

  bool ValidateAndSave() override;

 protected:
  void OnInitDialog() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // When shown, the advance fields and then the parameter fields, two per row below the note;
  // then the buttons.
  void CreateExtraFields(bool shown);
  void ShowOpenings(const TsSlipAmounts& amounts);
  // The field Enter moves to from the focused one, or null for the dialog's own rule.
  QWidget* EnterTarget();
  bool Save(const std::string& newCode);

  CSmDatabase* m_db;
  std::string m_parentCode;
  std::string m_code;
  bool m_add;
  int m_ownLength;
  CNH m_rec;
  // Modify mode: the farmer and his opening balances as the card showed them.
  CNH m_shown;
  TsSlipAmounts m_shownOpenings{};
  QGridLayout* m_grid;   // the farmer's own fields
  QGridLayout* m_extra;  // balances and parameters, two a row
  CSmEdit* m_own;
  CSmEdit* m_name;
  CSmEdit* m_note;
  std::vector<CSmEdit*> m_advanceFields;
  std::vector<CSmEdit*> m_paramFields;
};
