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
  CTsgbFrmView();
  ~CTsgbFrmView() override;

  void OnInitialUpdate() override;
  void OnUpdate(CSmView* sender, long hint) override;
  bool OnCommand(int id) override;
  void OnEnterKey() override;
  void OnEnterButton() override { SaveTicket(true); }

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

  CTsgbDoc* Doc() const;
  CMSComm* Scale(int i) const { return m_scales[i]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CSmEdit* AddEdit(int id, int width = 90);
  QLabel* AddLabel(int id, const char* text);
  void CreateItemFields();
  void PlaceControls();
  void FillPrice(int kind);
  // The port (0, 1) whose send key (Alt+1, Alt+2) the event is, on this card with the port's
  // send button available; else -1.
  int ScaleOfKey(QObject* watched, QEvent* event) const;
  void OnEnterField(int id);
  // A code field: the code exists as wanted, or the picker offers one; true when it moves on.
  bool CheckCodeOrPick(int id);
  bool Refuse(int focusId, const std::string& text);
  bool WriteTicket(bool isNew);
  void SetShown(int id, bool enabled, bool shown);

  std::vector<int> m_itemIds;  // 1300 + money column, in group order
  std::vector<int> m_lastItemOfGroup;
  int m_firstItemId = 0;
  CMSComm* m_scales[2] = {nullptr, nullptr};
  QString m_weights[2];  // the last whole weight each reader handed over, as its display shows
  bool m_portOpen[2] = {false, false};
  bool m_updating = false;
};
