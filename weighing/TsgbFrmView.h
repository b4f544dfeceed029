#pragma once
// The ticket form of the weighing card (template 958): the codes, weights, prices and ticket
// items of the current ticket on the cells of the ticket layout, the live weights of up to two
// indicators, saving with its checks, and printing in the ticket's print style.
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "forms/SmCardView.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class CMSComm;
class CSmEdit;
class CTsgbDoc;

class CTsgbFrmView : public CSmCardFrmView {
  Q_OBJECT
 public:
  // Control ids (object names of the controls); a ticket item's field is kItemBase + its money
  // column.
  enum ControlId : int {
    kNumber = 1081,
    kFarmer = 1079,
    kDriver = 1085,
    kPlace = 1082,
    kVariety = 1090,
    kGross = 1084,
    kTare = 1086,
    kImpurity = 1088,
    kRatio = 1101,
    kCanePrice = 1089,
    kFreightPrice = 1083,
    kDisplay1 = 1091,
    kDisplay2 = 1093,
    kSend1 = 1092,
    kSend2 = 1094,
    kPortLabel1 = 1074,
    kPortLabel2 = 1075,
    kGrossStep = 1134,
    kTareStep = 1135,
    kPrint = 1087,
    kItemBase = 1300,
  };

  CTsgbFrmView();
  ~CTsgbFrmView() override;

  void OnInitialUpdate() override;
  void OnUpdate(CSmView* sender, long hint) override;
  bool OnCommand(int id) override;
  void OnEnterKey() override;
  void OnEnterButton() override { SaveTicket(true); }
  // The document's save (closing with 是): stores the ticket as 确认 does, without printing.
  bool Save(int /*saveAs*/) override { return SaveTicket(false); }

  // 1: the controls into the record; 0: the record into the controls.
  void ExchangeRecord(bool toRecord);
  // The current ticket shown after a selection: record to controls, card, enabling.
  void ShowTicket();
  void UpdateControls();
  void Recalc();
  // Checks and stores the ticket; true when something was written.
  bool SaveTicket(bool print);
  // The weight shown by port i (0, 1) as the gross or the tare weight.
  void TakeScaleWeight(int port);
  void OpenScales();
  // Prints the current ticket in the ticket print style (or at custom positions).
  bool PrintTicket(bool customPositions);
  // The first field of the ticket's typing order that takes the focus now.
  QWidget* FirstField() const override;

  CTsgbDoc* Doc() const;
  CMSComm* Scale(int i) const { return m_scales[i]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CSmEdit* AddEdit(int id, int width = 90);
  QLabel* AddLabel(int id, const char* text);
  void CreateItemFields();
  void PlaceControls() override;
  // Where Enter goes from the field: the next one of the typing order that takes the focus now.
  QWidget* NextEntryField(int id) const;
  void FillPrice(int kind);
  // The port (0, 1) whose send key (Ctrl+1, Ctrl+2) the event is, on this card with the port's
  // send button available; else -1.
  int ScaleOfKey(QObject* watched, QEvent* event) const;
  void OnEnterField(int id);
  // A code field: the code exists as wanted, or the picker offers one; true when it moves on.
  bool CheckCodeOrPick(int id);
  // The control of a ticket field a check names (TsgbField); nullptr for none.
  QWidget* FieldOf(int field) const;
  bool WriteTicket(bool isNew);
  void SetShown(int id, bool enabled, bool shown);

  std::vector<int> m_itemIds;  // 1300 + money column, in group order
  std::vector<int> m_lastItemOfGroup;
  std::vector<int> m_entryOrder;  // the ticket's typing order, for Enter
  int m_firstItemId = 0;
  CMSComm* m_scales[2] = {nullptr, nullptr};
  QString m_weights[2];  // the last whole weight each reader handed over, as its display shows
  bool m_portOpen[2] = {false, false};
  bool m_updating = false;
};
