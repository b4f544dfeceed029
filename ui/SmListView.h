#pragma once
// Base of document views that show a list (the ticket and settlement lists beside their
// cards): a report-style list with the command scheme of the list control, its clipboard text,
// find and printing, filled by `GetColumns` and `LoadRows` at the initial update. Unlike the
// list control it has no typed search, no back and forward and no calculator key; its menu
// leaves out find next, help, calculator, print and page setup (F3 still finds the next row);
// Enter and a double click open the row directly; printing needs `GetPrintInfo`.
#include <memory>
#include <string>
#include <vector>

#include "platform/SmDocument.h"
#include "ui/SmListCtrl.h"

class CSmListView;

// The list inside a list view: every overridable operation goes to the view.
class CSmListViewCtrl : public CSmListCtrl {
  Q_OBJECT
 public:
  CSmListViewCtrl(CSmListView* view, QWidget* parent);

  // The list control's own operations, for the view's defaults.
  bool BaseIsCommandEnabled(unsigned id) { return CSmListCtrl::IsCommandEnabled(id); }
  int BaseGetSelectedTexts(std::vector<std::string>& texts) const {
    return CSmListCtrl::GetSelectedTexts(texts);
  }
  bool BaseCopyToClipboard(bool cut) { return CSmListCtrl::CopyToClipboard(cut); }
  int BaseGetClipboardRows(std::vector<std::string>& rows) const {
    return CSmListCtrl::GetClipboardRows(rows);
  }
  int BaseReadClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                        CSmDatabase& source) {
    return CSmListCtrl::ReadClipboard(rows, cut, sameSource, source);
  }
  int BaseInvertSelection() { return CSmListCtrl::InvertSelection(); }
  void BasePaste() { CSmListCtrl::Paste(); }

  int GetSelectedTexts(std::vector<std::string>& texts) const override;
  bool CopyToClipboard(bool cut) override;
  int GetClipboardRows(std::vector<std::string>& rows) const override;
  int ReadClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                    CSmDatabase& source) override;
  void InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool sameSource,
                        CSmDatabase& source) override;
  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandAvailable(unsigned id) override;
  bool IsCommandEnabled(unsigned id) override;
  unsigned GetClipboardFormat() override;
  Qt::Alignment GetColumnFormat(int column) override;
  std::vector<unsigned> GetIconIds() override;
  bool GetPrintInfo(int& key, std::string& title) override;
  void Add() override;
  void Open() override;
  void Modify() override;
  void Delete() override;
  void Cut() override;
  void Copy() override;
  void Paste() override;
  int InvertSelection() override;
  void Print() override;
  void PageSetup() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CSmListView* m_view;
};

// A document that keeps a pointer to its list view (a card document opens the list's menu and
// reloads the list for its card): the list view hands itself over when it joins the document,
// and the document forgets it when it leaves (CSmDocument::OnViewRemoved).
class CSmListViewHost {
 public:
  virtual void SetListView(CSmListView* list) = 0;

 protected:
  ~CSmListViewHost() = default;
};

class CSmListView : public CSmView {
  Q_OBJECT
 public:
  explicit CSmListView(QWidget* parent = nullptr);

  void OnAddedToDocument() override;

  CSmListViewCtrl* List() const { return m_list; }
  void SetDatabase(CSmDatabase* db) { m_list->SetDatabase(db); }

  // Clipboard format, icons, columns and rows.
  void OnInitialUpdate() override;
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;

  // Appends one row; finding and selecting rows by their texts.
  void SetItems(const std::vector<std::string>& texts, int image = -1);
  int FindText(const std::string& text, bool sorted) { return m_list->FindText(text, sorted); }
  int SelectTexts(const std::vector<std::string>& texts) { return m_list->SelectTexts(texts); }

  virtual void GetColumns(std::vector<int>& widths, std::vector<std::string>& captions);
  virtual void LoadRows() {}
  virtual void CustomizeContextMenu(QMenu* /*popup*/) {}
  virtual std::vector<unsigned> GetIconIds() { return {}; }
  virtual Qt::Alignment GetColumnFormat(int /*column*/) { return Qt::AlignLeft; }
  virtual unsigned GetClipboardFormat() { return 512; }
  virtual bool IsCommandAvailable(unsigned /*id*/) { return true; }
  virtual bool IsCommandEnabled(unsigned id);
  virtual bool GetPrintInfo(int& /*key*/, std::string& /*title*/) { return false; }
  virtual int GetSelectedTexts(std::vector<std::string>& texts) const {
    return m_list->BaseGetSelectedTexts(texts);
  }
  virtual bool CopyToClipboard(bool cut) { return m_list->BaseCopyToClipboard(cut); }
  virtual int GetClipboardRows(std::vector<std::string>& rows) const {
    return m_list->BaseGetClipboardRows(rows);
  }
  virtual int ReadClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                            CSmDatabase& source) {
    return m_list->BaseReadClipboard(rows, cut, sameSource, source);
  }
  virtual void InsertPastedRows(const std::vector<std::string>& /*rows*/, bool /*cut*/,
                                bool /*sameSource*/, CSmDatabase& /*source*/) {}
  virtual void OnSelectionChanged() {}
  virtual int InvertSelection() { return m_list->BaseInvertSelection(); }
  virtual void Cut() { CopyToClipboard(true); }
  virtual void Copy() { CopyToClipboard(false); }
  virtual void Paste() { m_list->BasePaste(); }
  virtual void Add() {}
  virtual void Open() { Modify(); }
  virtual void Modify() {}
  virtual void Delete() {}
  // Reloads the rows and selects again the rows that were selected.
  virtual void Refresh();

 private:
  CSmListViewCtrl* m_list;  // owned as a child window
};
