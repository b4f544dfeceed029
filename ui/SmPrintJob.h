#pragma once
// Printing outside views: the page sequence (prepare, choose the printer, begin, per page
// prepare and draw, end) with hooks for jobs that draw their own pages, and, unchanged, the
// print-field job that prints the fields of one print group of SysCsTab at their positions
// with the "#" print variables replaced. Lengths are in 0.1 mm.
#include <string>
#include <vector>

#include <QRect>

#include "core/SmDatabase.h"

class CSmCsRecord;
class CSmDatabase;
class QPainter;
class QPrinter;

// One positioned field of a print group: row CsN of group Cs, CsNa "name\acontent", CsVal
// "x y height weight italic underline+10*width face".
class CSmPrintField {
 public:
  // The field of row (group, number); false when there is no such row.
  bool Load(int group, int number, CSmDatabase* db);
  // Inserts the field's row (an older row is deleted by the caller).
  bool Save(int group, CSmDatabase* db) const;
  // Reads a row over the defaults; a malformed value keeps the defaults of what is not read.
  void ReadCsRecord(const CSmCsRecord& row);
  // The value text of the field's row.
  std::string SettingsText() const;

  // The fields of the group in number order (a group without any row is first filled from the
  // modules' definitions); the count.
  static int LoadGroup(int group, std::vector<CSmPrintField>& fields, CSmDatabase* db);
  // Replaces the group's rows by its caption and the modules' default fields.
  static bool CreateDefaults(int group, CSmDatabase* db);

  std::string m_name;
  std::string m_content;
  int m_number = 0;
  int m_x = 0;
  int m_y = 0;  // the middle of the text block
  int m_height = 14;
  int m_weight = 400;
  int m_italic = 0;
  int m_underline = 0;
  int m_width = 0;  // characters per line in GBK bytes; 0 no wrapping
  std::string m_face = "宋体";
};

// The text cut into lines of at most `width` GBK bytes without splitting a character (a width
// of 1 counts as 2, 0 or less as the whole text).
std::vector<std::string> SplitPrintLines(const std::string& text, int width);

// The state of one run of the page sequence.
struct CSmPrintState {
  QPrinter* printer = nullptr;
  bool direct = false;   // no print dialog
  bool preview = false;  // into the preview window
  int minPage = 1;
  int maxPage = 0;
  int fromPage = 1;
  int toPage = 1;
  int currentPage = 1;
  bool continuePrinting = true;
  QRect drawRect;  // the page in device units
};

class CSmPrintJob {
 public:
  CSmPrintJob() = default;
  // The print-field job of one print group.
  CSmPrintJob(CSmDatabase* db, int group) : m_group(group), m_db(db) {}
  virtual ~CSmPrintJob() = default;
  CSmPrintJob(const CSmPrintJob&) = delete;
  CSmPrintJob& operator=(const CSmPrintJob&) = delete;

  // Every occurrence of `name` in the fields' contents prints as `text`.
  void AddFieldValue(const std::string& name, const std::string& text);
  // 57607 with the print dialog, 57608 directly on the printer, 57609 into the preview; true
  // when the pages went out.
  virtual bool Print(int commandId);

  virtual bool OnPreparePrinting(CSmPrintState& state);
  // The print dialog, or for direct printing and preview the printer as it stands.
  virtual bool DoPreparePrinting(CSmPrintState& state);
  virtual void OnPrepareDC(QPainter& /*painter*/, CSmPrintState& /*state*/) {}
  virtual void OnBeginPrinting(QPainter& /*painter*/, CSmPrintState& /*state*/) {}
  virtual void OnPrint(QPainter& painter, CSmPrintState& state);
  virtual void OnEndPrinting(QPainter& /*painter*/, CSmPrintState& /*state*/) {}

  // Row 0 of the group: "纸张尺寸" with "width length".
  void LoadPaperSize(int group, CSmDatabase* db);
  bool SavePaperSize(int group, CSmDatabase* db) const;

  // Draws one field on the painter's device at its position.
  static void DrawField(QPainter& painter, const CSmPrintField& field);

  int m_paperWidth = 2100;
  int m_paperLength = 2970;
  std::vector<CSmPrintField> m_fields;
  std::vector<std::string> m_varNames;
  std::vector<std::string> m_varTexts;
  int m_group = -1;
  CSmDatabase* m_db = nullptr;

 private:
  // The pages on the printer; false when the document could not start or was aborted.
  bool RunPages(QPrinter& printer, CSmPrintState& state);
};
