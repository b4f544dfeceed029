#pragma once
// The form settings sheet of a table document: four pages (general, columns, header blocks,
// notes) that edit a copy of the document's form definition. OK checks the copy, lets the
// document veto each kind of change, moves what is stored under the old form number to a new
// one, saves the definition with its print settings kept, refreshes the template list and logs
// the change. Cancel writes nothing; the document's own definition is never touched.
#include <QDialog>
#include <string>
#include <vector>

#include "forms/SmFormDef.h"

class QTabWidget;
class CSmDoc;
class CSmPropertyPage;
class CSmPublicPage1;
class CSmPublicPage2;
class CSmPublicPage3;
class CSmPublicPage4;

class CSmPublicSheet : public QDialog {
  Q_OBJECT
 public:
  CSmPublicSheet(CSmDoc& doc, const std::string& caption, QWidget* parent = nullptr,
                 int firstPage = 0);
  ~CSmPublicSheet() override;

  int DoModal();
  void OnOK();
  void accept() override { OnOK(); }

  CSmPublicPage1* Page1() const { return m_page1; }
  CSmPublicPage2* Page2() const { return m_page2; }
  CSmPublicPage3* Page3() const { return m_page3; }
  CSmPublicPage4* Page4() const { return m_page4; }
  CSmPropertyPage* Page(int index) const;
  void SetActivePage(int index);
  CSmFormDef& EditedDef() { return m_def; }
  const CSmFormDef& UneditedDef() const { return m_oldDef; }

 private:
  void OnPageChanged(int index);
  // The checks and vetoes before anything is written; false keeps the sheet open.
  bool CheckEdits();
  bool CheckFormNumber();
  bool AllowPartChanges();
  // Renumbers, replaces the stored definition and keeps its print settings, in one
  // transaction.
  bool Store();
  void SelectInTemplateList();

  CSmDoc& m_doc;
  CSmFormDef m_def;
  CSmFormDef m_oldDef;
  QTabWidget* m_tabs;
  CSmPublicPage1* m_page1;
  CSmPublicPage2* m_page2;
  CSmPublicPage3* m_page3;
  CSmPublicPage4* m_page4;
  int m_current = -1;
};
