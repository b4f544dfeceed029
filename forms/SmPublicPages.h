#pragma once
// The column, header-block and note pages of the form settings sheet, each a list of one array
// of the definition being edited, with add, modify and delete through the edit dialogs, copy
// and paste of blocks and notes, and the document's defaults ("取默认值(De&f)").
#include <string>
#include <vector>

#include "forms/SmPropertyPage.h"
#include "ui/SmListCtrl.h"

class CSmDoc;
class CSmFormDef;

// The base of the three lists: the document and the edited definition, single selection, the
// defaults command as the second menu entry and open as modify.
class CSmFormPartList : public CSmListCtrl {
  Q_OBJECT
 public:
  CSmFormPartList(CSmDoc& doc, CSmFormDef& def, QWidget* parent);

  virtual void Fill() = 0;
  // Replaces the list's array with the document's defaults and refills.
  virtual void LoadDefaults() = 0;

  bool OnCommand(unsigned id) override;
  bool IsCommandEnabled(unsigned id) override;
  void CustomizeContextMenu(QMenu* popup) override;
  void Open() override { Modify(); }
  void Cut() override {}

  // Scrolls to, selects and focuses the rows.
  void SelectRows(int first, int count);

 protected:
  // The commands this list takes off its menu (and never runs).
  virtual std::vector<unsigned> RemovedCommands() const = 0;
  bool OneSelected() const;

  CSmDoc& m_doc;
  CSmFormDef& m_def;
};

class CSmColumnList : public CSmFormPartList {
  Q_OBJECT
 public:
  CSmColumnList(CSmDoc& doc, CSmFormDef& def, QWidget* parent);

  static std::vector<std::string> RowTexts(const class CSmFormCol& column, int position);

  void Fill() override;
  void LoadDefaults() override;
  bool IsCommandEnabled(unsigned id) override;
  Qt::Alignment GetColumnFormat(int column) override;
  std::vector<unsigned> GetIconIds() override { return {626}; }
  void Add() override;
  void Modify() override;
  void Delete() override;

 protected:
  std::vector<unsigned> RemovedCommands() const override;

 private:
  void Edit(int index, bool isNew);
  void OnCheckChanged(int row);

  bool m_filling = false;
};

class CSmTopWordList : public CSmFormPartList {
  Q_OBJECT
 public:
  CSmTopWordList(CSmDoc& doc, CSmFormDef& def, QWidget* parent);

  void Fill() override;
  void LoadDefaults() override;
  bool IsCommandEnabled(unsigned id) override;
  Qt::Alignment GetColumnFormat(int column) override;
  std::vector<unsigned> GetIconIds() override { return {627}; }
  unsigned GetClipboardFormat() override { return 541; }
  int GetClipboardRows(std::vector<std::string>& rows) const override;
  void InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool sameSource,
                        CSmDatabase& source) override;
  void Add() override;
  void Modify() override;
  void Delete() override;

 protected:
  std::vector<unsigned> RemovedCommands() const override;
};

class CSmHeadNoteList : public CSmFormPartList {
  Q_OBJECT
 public:
  CSmHeadNoteList(CSmDoc& doc, CSmFormDef& def, QWidget* parent);

  void Fill() override;
  void LoadDefaults() override;
  bool IsCommandEnabled(unsigned id) override;
  Qt::Alignment GetColumnFormat(int column) override;
  std::vector<unsigned> GetIconIds() override { return {628}; }
  unsigned GetClipboardFormat() override { return 542; }
  int GetClipboardRows(std::vector<std::string>& rows) const override;
  void InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool sameSource,
                        CSmDatabase& source) override;
  void Add() override;
  void Modify() override;
  void Delete() override;

 protected:
  std::vector<unsigned> RemovedCommands() const override;
};

// A settings page showing one list; the list is refilled whenever the page becomes current.
class CSmListPage : public CSmPublicPage {
  Q_OBJECT
 public:
  CSmListPage(unsigned templateId, const QString& caption, CSmDoc& doc, CSmFormDef& def,
              QWidget* parent);
  void OnSetActive() override;
  CSmFormPartList* List() const { return m_list; }

 protected:
  void SetList(CSmFormPartList* list);

 private:
  CSmFormPartList* m_list = nullptr;
};

class CSmPublicPage2 : public CSmListPage {
  Q_OBJECT
 public:
  CSmPublicPage2(CSmDoc& doc, CSmFormDef& def, QWidget* parent = nullptr);
};

class CSmPublicPage3 : public CSmListPage {
  Q_OBJECT
 public:
  CSmPublicPage3(CSmDoc& doc, CSmFormDef& def, QWidget* parent = nullptr);
};

class CSmPublicPage4 : public CSmListPage {
  Q_OBJECT
 public:
  CSmPublicPage4(CSmDoc& doc, CSmFormDef& def, QWidget* parent = nullptr);
};
