#pragma once
// Writing chosen columns of a table document to a plain text file: a three-page wizard that
// picks the columns (remembered per document kind and form), shows the text and names the file
// (the last one remembered per data file). The file is GBK, one line per row, the values
// separated by a tab, every line ended by CR LF.
#include <QWizard>
#include <QWizardPage>
#include <functional>
#include <string>
#include <vector>

#include "ui/SmListCtrl.h"

class QPlainTextEdit;
class CSmDoc;
class CSmEdit;

// The parameter rows: the chosen columns per kind and form, the last file written.
constexpr long kSmTextColumnsCs = 1358;
constexpr long kSmLastTextFileCs = 9139;
constexpr long kSmLastTextFileCsN = 2;

// " 0 2 5 " style text of a choice, and whether column `index` is in such a text.
std::string SmTextColumnChoice(const std::vector<int>& columns);
bool SmTextColumnChosen(const std::string& choice, int index);
// The text of the document's rows for the shown columns listed: the values of a row separated
// by a tab, an empty cell of a number column as "0", each row ended by `lineEnd`.
std::string SmBuildSaveAsText(const CSmDoc& doc, const std::vector<int>& columns,
                              const std::string& lineEnd);
// Writes the text as a GBK text file through a temporary file in the same folder, which takes
// the name's place only when all was written; `agree` is asked once the temporary file is
// open. 0 written, 1 not created or not written (nothing changed), 2 `agree` refused.
int SmWriteTextFileSafely(const std::string& path, const std::string& text,
                          const std::function<bool()>& agree);

// The shown columns of the document with the texts of the settings column list.
class CSaveAsTextColList : public CSmListCtrl {
  Q_OBJECT
 public:
  CSaveAsTextColList(CSmDoc& doc, QWidget* parent);

  // One row per shown column, checked when its index is in the stored choice.
  void Fill(const std::string& choice);
  std::vector<int> CheckedColumns() const;

  bool IsCommandEnabled(unsigned id) override;
  bool OnCommand(unsigned id) override;
  void CustomizeContextMenu(QMenu* popup) override;
  Qt::Alignment GetColumnFormat(int column) override;
  std::vector<unsigned> GetIconIds() override { return {626}; }

 signals:
  void ChecksChanged();

 private:
  CSmDoc& m_doc;
};

class CSaveAsTextPage1 : public QWizardPage {
  Q_OBJECT
 public:
  CSaveAsTextPage1(CSmDoc& doc, QWidget* parent = nullptr);
  bool isComplete() const override;
  bool validatePage() override { return isComplete(); }
  CSaveAsTextColList* List() const { return m_list; }

 private:
  CSmDoc& m_doc;
  CSaveAsTextColList* m_list;
};

class CSaveAsTextPage2 : public QWizardPage {
  Q_OBJECT
 public:
  CSaveAsTextPage2(CSmDoc& doc, QWidget* parent = nullptr);
  // Builds the preview and the file text from the columns checked on page 1.
  void BuildText(const std::vector<int>& columns, std::string& fileText);
  QPlainTextEdit* Preview() const { return m_preview; }

 private:
  CSmDoc& m_doc;
  QPlainTextEdit* m_preview;
};

class CSaveAsTextPage3 : public QWizardPage {
  Q_OBJECT
 public:
  CSaveAsTextPage3(CSmDoc& doc, QWidget* parent = nullptr);
  void initializePage() override;
  // Finish: writes the file, stores the choice and the path, logs; false keeps the wizard.
  bool validatePage() override;
  void OnBrowse();

  std::string m_fileName;
  std::string m_tips;
  std::string m_fileText;
  std::string m_choice;

 private:
  std::string ProposedFileName() const;
  void StoreChoiceAndPath();

  CSmDoc& m_doc;
  CSmEdit* m_name;
  bool m_named = false;
};

class CSaveAsTextSheet : public QWizard {
  Q_OBJECT
 public:
  // Control ids (object names of the controls) of the pages and the wizard's buttons.
  enum ControlId : int {
    kTips = 1004,
    kFileName = 1005,
    kBrowse = 1032,
    kNext = 12324,
    kFinish = 12325,
  };

  CSaveAsTextSheet(CSmDoc& doc, QWidget* parent = nullptr);

  CSaveAsTextPage1* Page1() const { return m_page1; }
  CSaveAsTextPage2* Page2() const { return m_page2; }
  CSaveAsTextPage3* Page3() const { return m_page3; }

 private:
  CSaveAsTextPage1* m_page1;
  CSaveAsTextPage2* m_page2;
  CSaveAsTextPage3* m_page3;
};

// The folder of the last text file written in this run, else the home folder.
std::string SmTextFileFolder();
