#pragma once
// Lists printed as ruled tables: the layout of each list (title, page-header and page-footer
// lines, four fonts and colours, row heights, margins and paper) kept in SysCsTab group 9002 per
// list print key, the print job that lays the rows over pages, and the layout's page setup
// dialog. Lengths are in 0.1 mm, font heights in hundredths of an inch.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "ui/SmDlg.h"
#include "ui/SmPrintInfo.h"
#include "ui/SmPrintJob.h"

class QComboBox;
class QRadioButton;
class QTreeWidget;
class CSmDatabase;

inline constexpr int kSmListPrintGroup = 9002;

// The layout of one list. Paper width and length are those of the page as oriented.
struct CSmListPrintSettings {
  enum Part { kTitle, kHeader, kFooter, kBody };

  CSmListPrintSettings();

  // Reads the rows of (9002, key) over the record's values.
  void Load(CSmDatabase* db);
  // Replaces the key's rows in one transaction; false (nothing changed) when a statement fails.
  bool Save(CSmDatabase* db) const;

  std::string title;
  std::string header;
  std::string footer = "   第 %0/%1 页";
  std::array<SmLogFont, 4> fonts;
  std::array<SmColorRef, 4> colors{};
  std::array<int, 4> rowHeights{120, 80, 80, 80};
  std::array<int, 4> margins{200, 200, 200, 200};  // left, top, right, bottom
  int paperWidth = 2100;
  int paperLength = 2970;
  int landscape = 0;
  int key = 0;
};

// The system's default font with a face and height.
SmLogFont SmDefaultLogFont(const char* face, int height);
// Member j of a font as stored (0 height, 1 width, 2 escapement, 3 orientation, 4 weight,
// 5 italic, 6 underline, 7 strike-out, 8 character set, 9 output precision, 10 clip precision,
// 11 quality, 12 pitch and family, 13 face), and set back from its text.
std::string SmLogFontMember(const SmLogFont& font, int j);
void SmSetLogFontMember(SmLogFont& font, int j, const std::string& text);

// A header or footer line for page `page` of `pages`: "%0" the page, "%1" the page count, a
// "%" before any other character removed with the character kept, a final "%" removed.
std::string SmExpandPageLine(const std::string& line, int page, int pages);
// The text cut at each "\r\n"; the rest after the last separator is always a line.
std::vector<std::string> SmSplitPageLines(const std::string& text);

// A paper text such as "1840 x 2600 16开": the width is its leading integer, the length the
// next integer after it. kInvalid when the text does not begin with a number.
enum class SmPaperText { kInvalid, kWidthOnly, kWidthAndLength };
SmPaperText SmParsePaperText(const std::string& text, int& width, int& length);
// The check of a paper box: "" with width and length set, else the message
// ("未录入有效的纸张宽度！", "纸张太小！"). A text holding only a width keeps the length given
// when `keepLength`, else the length is 0.
std::string SmCheckPaperText(const std::string& text, bool keepLength, int& width, int& length);

// The items of (group, key) of SysCsTab: item number (CsNa) and value text (CsVal).
std::vector<std::pair<int, std::string>> SmLoadCsItems(CSmDatabase* db, int group, int key);
// Replaces the rows of (group, key) by the items in one transaction; false (nothing changed)
// when a statement fails.
bool SmReplaceCsItems(CSmDatabase* db, int group, int key,
                      const std::vector<std::pair<int, std::string>>& items);
// The font dialog on a font and colour; true with both changed when it was answered OK.
bool SmAskFont(QWidget* parent, SmLogFont& font, SmColorRef& color);
// A list printed under its print key and title, and the page setup of its layout.
void SmPrintList(QTreeWidget* list, CSmDatabase* db, int key, const std::string& title);
void SmListPageSetup(QWidget* parent, CSmDatabase* db, int key, const std::string& title);

// The papers offered in the paper boxes of the page setups ("2100 x 2970 A4纸" ...).
const std::vector<std::string>& SmPaperTexts();
void SmFillPaperBox(QComboBox* box);
// Selects the first paper beginning with "<width> x <length>", else shows " 自定义".
void SmShowPaper(QComboBox* box, int width, int length);

class CSmListPrintJob : public CSmPrintJob {
 public:
  CSmListPrintJob(QTreeWidget* list, CSmDatabase* db) : m_list(list), m_database(db) {}

  bool OnPreparePrinting(CSmPrintState& state) override;
  void OnBeginPrinting(QPainter& painter, CSmPrintState& state) override;
  void OnPrint(QPainter& painter, CSmPrintState& state) override;

  int LinesPerPage() const { return m_linesPerPage; }

  CSmListPrintSettings m_settings;
  std::vector<int> m_widths;
  std::vector<int> m_alignments;  // 0 left, 1 right, 2 centre
  std::vector<std::string> m_captions;
  std::vector<std::string> m_headerLines;
  std::vector<std::string> m_footerLines;

 private:
  void PrepareColumns();
  // Draws the text in the band at its text top, clipped to the band.
  void DrawBandText(QPainter& painter, const QRect& band, int part, const std::string& text,
                    int alignment) const;
  int DrawLines(QPainter& painter, int top, int part, const std::vector<std::string>& lines,
                const CSmPrintState& state) const;
  void DrawTable(QPainter& painter, int top, const CSmPrintState& state) const;

  QTreeWidget* m_list;
  CSmDatabase* m_database;
  int m_linesPerPage = 1;
  // Device units, set when printing begins.
  CSmListPrintSettings m_device;
  int m_pen = 1;
};

// Page setup of a list's layout (template 947).
class CSmListPrintPageDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kTitle = 1015,
    kHeader = 1016,
    kFooter = 1017,
    kPaper = 1019,
    kTitleHeight = 1021,
    kHeaderHeight = 1022,
    kLeftMargin = 1023,
    kTopMargin = 1024,
    kBottomMargin = 1025,
    kRightMargin = 1026,
    kConfirm = 1027,
    kTitleFont = 1028,  // the four font buttons in a row
    kHeaderFont = 1029,
    kBodyFont = 1030,
    kFooterFont = 1031,
    kBodyHeight = 1032,
    kFooterHeight = 1033,
    kPortrait = 1034,
    kLandscape = 1035,
  };

  CSmListPrintPageDlg(int key, const std::string& title, CSmDatabase* db,
                      QWidget* parent = nullptr);

  const CSmListPrintSettings& Settings() const { return m_settings; }
  // The font dialog of a part answered: its font and colour are taken.
  void TakeFont(int part, const SmLogFont& font, SmColorRef color);

  bool OnCommand(unsigned id) override;

 protected:
  bool ValidateAndSave() override;

 private:
  void ShowSettings();
  bool Refuse(const char* text, int focusId);
  void ChooseFont(int part);
  int Number(int id) const;

  CSmListPrintSettings m_settings;
  CSmDatabase* m_db;
  QComboBox* m_paper = nullptr;
  QRadioButton* m_portrait = nullptr;
  QRadioButton* m_landscape = nullptr;
};
