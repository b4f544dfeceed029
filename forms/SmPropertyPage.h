#pragma once
// The pages of the form settings sheet: a page base with hint balloons on its controls, the
// settings page base that asks the document to compose its hints, and the general page (title,
// form number, header rows, totals per printed page).
#include <QWidget>
#include <string>

class QCheckBox;
class QLabel;
class CSmDoc;
class CSmEdit;
class CSmFormDef;
class CSmSpinCtrl;
class CSmToolTip;

class CSmPropertyPage : public QWidget {
  Q_OBJECT
 public:
  CSmPropertyPage(unsigned templateId, const QString& caption, QWidget* parent = nullptr);

  unsigned TemplateId() const { return m_templateId; }
  const QString& Caption() const { return m_caption; }
  QWidget* Control(int id) const;
  // Whether the page was ever the sheet's current page.
  bool WasShown() const { return m_shown; }
  CSmToolTip* ToolTip() const { return m_toolTip; }

  // The sheet makes the page current: the first time the page sets itself up and gets its
  // hint balloons.
  virtual void OnSetActive();
  // The sheet leaves the page: what its controls hold goes back into what it edits.
  virtual void OnKillActive() {}

  virtual void GetControlHint();
  virtual std::string GetStatusHint(int controlId);

 protected:
  virtual void OnInitDialog() {}

 private:
  unsigned m_templateId;
  QString m_caption;
  bool m_shown = false;
  CSmToolTip* m_toolTip = nullptr;  // a child window of the page
};

class CSmPublicPage : public CSmPropertyPage {
  Q_OBJECT
 public:
  // Control ids of the lists on the column, header-block and note pages (object names).
  enum ListId : int {
    kColumnList = 1007,
    kTopWordList = 1008,
    kHeadNoteList = 1009,
  };

  CSmPublicPage(unsigned templateId, const QString& caption, CSmDoc& doc, CSmFormDef& def,
                QWidget* parent = nullptr);

  std::string GetStatusHint(int controlId) override;
  virtual std::string GetPageHint(int controlId);

 protected:
  CSmDoc& m_doc;
  CSmFormDef& m_def;
};

class CSmPublicPage1 : public CSmPublicPage {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kTitle = 1004,
    kHeaderRows = 1005,
    kHeaderRowSpin = 1006,
    kFormNumber = 1011,
    kTemplateNumber = 1012,
    kPageTotal = 1031,
  };

  static constexpr int kMaxHeaderRows = 10;

  CSmPublicPage1(CSmDoc& doc, CSmFormDef& def, QWidget* parent = nullptr);

  void OnSetActive() override;
  void OnKillActive() override;
  CSmSpinCtrl* HeaderRowSpin() const { return m_topSpin; }

 private:
  void Fill();

  CSmEdit* m_title;
  QLabel* m_flag;
  CSmEdit* m_form;
  CSmEdit* m_topNum;
  CSmSpinCtrl* m_topSpin;
  QCheckBox* m_pageSum;
};
