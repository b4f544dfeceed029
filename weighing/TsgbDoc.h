#pragma once
// The weighing card: one window per working date and kind ("称毛重", "除皮", "过磅单") with the
// ticket list of the date beside the ticket form. The document holds the current ticket, its
// copy as it was selected and the step being edited.
#include <string>

#include "forms/SmCardDoc.h"
#include "weighing/TsCardListView.h"
#include "weighing/TsgbRec.h"

class CSmView;

inline constexpr int kTsRefresh = 43112;
inline constexpr const char* kTsNewTicket = "新单";

class CTsgbDoc : public CTsCardDoc {
 public:
  void OnInitDocument() override;
  // The open dialog gives the working date; false (cancelled) drops the document.
  bool LoadRows(int openMode) override;
  // The card shows the current ticket as it prints.
  void Refresh() override;
  std::string GetCardTitle(int /*mode*/) override { return "糖厂甘蔗过磅单"; }
  int GetCardTitleHeight(int /*mode*/) override { return 2; }
  // A ticket typed or weighed on the card and not yet stored is not dropped without a word:
  // closing asks as every document does, and 是 stores it as 确认 does (without printing).
  bool GetSavePrompt(std::string& prompt) override;
  bool Save(int saveAs) override;

  // Takes the selected rows' numbers (none, one or several) as the current ticket.
  void SelectTicket(const std::vector<std::string>& numbers);
  bool IsNew() const { return m_rec.DH == kTsNewTicket; }

  std::string m_date;
  CTsgbRec m_rec;
  CTsgbRec m_selected;
  int m_canSave = 0;
  int m_queryKind = 0;
  int m_tare = 0;
  int m_gross = 1;
};

class CTsgbListView : public CTsCardListView {
  Q_OBJECT
 public:
  void OnInitialUpdate() override;
  void GetColumns(std::vector<int>& widths, std::vector<std::string>& captions) override;
  std::vector<unsigned> GetIconIds() override { return {700, 669, 619, 711, 676}; }
  void LoadRows() override;
  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  void Delete() override;
  void OnSelectionChanged() override;
  bool OnCommand(int id) override;

  CTsgbDoc* Doc() const;
};

// Installs the weighing card as the documents of template 255.
void TsInstallWeighingCard();
