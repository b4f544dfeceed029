#pragma once
// The page layout of a card document printed scaled onto a page: title, title and body fonts
// with their colours, margins, paper, orientation and the card's size on the screen, kept in
// SysCsTab group 9003 per document kind, and its dialog (template 970).
#include <array>
#include <string>

#include "ui/SmDlg.h"
#include "ui/SmPrintInfo.h"

class QComboBox;
class QRadioButton;
class CSmDatabase;

inline constexpr int kSmCardPageGroup = 9003;

struct CSmListPageSetup {
  CSmListPageSetup();

  // Reads the rows of (9003, key) over the current values.
  void LoadFromCsTab(CSmDatabase* db);
  // Replaces the key's rows in one transaction; false (nothing changed) when a statement fails.
  bool Save(CSmDatabase* db) const;

  std::string title;
  SmLogFont titleFont;
  SmLogFont bodyFont;
  SmColorRef titleColor = 0;
  SmColorRef bodyColor = 0;
  std::array<int, 4> margins{200, 200, 200, 200};  // left, top, right, bottom
  int paperWidth = 2100;                           // as oriented
  int paperLength = 2970;
  int screenWidth = 0;  // pixels
  int screenHeight = 0;
  int landscape = 0;
  int key = 0;
};

class CSmListPageSetupDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kTitle = 1015,
    kPaper = 1019,
    kLeftMargin = 1023,
    kTopMargin = 1024,
    kBottomMargin = 1025,
    kRightMargin = 1026,
    kConfirm = 1027,
    kTitleFont = 1028,
    kScreenWidth = 1029,
    kBodyFont = 1030,
    kScreenHeight = 1031,
    kPortrait = 1034,
    kLandscape = 1035,
  };

  CSmListPageSetupDlg(CSmListPageSetup* setup, CSmDatabase* db, QWidget* parent = nullptr);

  // A font dialog answered: the title's (0) or the body's (1) font and colour are taken.
  void TakeFont(int which, const SmLogFont& font, SmColorRef color);

  bool OnCommand(unsigned id) override;

 protected:
  bool ValidateAndSave() override;

 private:
  bool Refuse(const std::string& text, int focusId);
  int Number(int id) const;

  CSmListPageSetup* m_setup;
  CSmListPageSetup m_edited;
  CSmDatabase* m_db;
  QComboBox* m_paper = nullptr;
  QRadioButton* m_portrait = nullptr;
  QRadioButton* m_landscape = nullptr;
};
