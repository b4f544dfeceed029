#pragma once
// The page a form module shows in the template box: one row per document kind of the module's
// templates, greyed where the operator holds no right to the kind. Rows open documents of their
// kind; users add copies of a kind's form ("复件_"), delete such copies and copy and paste
// kinds between data files.
#include <string>
#include <vector>

#include "ui/SmListCtrl.h"

class CFormDataType;
class CSmDocTemplate;
struct CSmDocKind;

class CSmTemplateList : public CSmListCtrl {
 public:
  static constexpr int kControlId = 1301;
  static constexpr unsigned kClipboardFormat = 519;

  CSmTemplateList(CFormDataType* type, QWidget* parent);

  // Reloads the user forms of the module's templates and rebuilds every row.
  void Refresh();
  // 0 icon, 1 report, 2 small icon, 3 list.
  int ViewMode() const { return m_viewMode; }
  void SetViewMode(int mode);

  int TemplateOfRow(int row) const { return m_templates.at(row); }
  // Whether the operator holds the right to the row's kind.
  bool HasRight(int row) const;
  int KindOfRow(int row) const { return m_kinds.at(row); }
  int RowOf(int templateNumber, int kindNumber) const;
  std::vector<int> SelectedRows() const;
  void SelectRows(const std::vector<int>& rows);

  bool OnCommand(unsigned id) override;
  bool IsCommandEnabled(unsigned id) override;
  unsigned GetClipboardFormat() override { return kClipboardFormat; }
  Qt::Alignment GetColumnFormat(int /*column*/) override {
    return Qt::AlignLeft | Qt::AlignVCenter;
  }
  int GetClipboardRows(std::vector<std::string>& rows) const override;
  void InsertPastedRows(const std::vector<std::string>& rows, bool cut, bool sameSource,
                        CSmDatabase& source) override;
  void CustomizeContextMenu(QMenu* popup) override;
  void Add() override;
  void Open() override;
  void Delete() override;
  void Cut() override {}

  // Copies the form of the last kind of the selected row's template as a new kind.
  void AddTemplate();
  // Writes the forms of the selected rows' kinds to a document structure file.
  void ExportStructure();

 private:
  static constexpr int kRightRole = Qt::UserRole + 1;

  bool CommandAllowed(unsigned id);
  void ShowRight(QTreeWidgetItem* item, const CSmDocKind& kind);
  // The kind of the first selected row, or null when none is selected.
  CSmDocTemplate* SelectedKind(CSmDocKind& kind) const;
  bool IsUserFormRow(int row) const;
  void LoadUserForms();
  void PasteKind(int templateNumber, int kindNumber, bool sameSource, CSmDatabase& source,
                 std::vector<std::pair<int, int>>& pasted);

  CFormDataType* m_type;
  int m_module;
  int m_viewMode = 0;
  std::vector<int> m_templates;
  std::vector<int> m_kinds;
};

// The number a new kind of the template takes: the one after `last` that no stored form
// definition of the template holds yet.
int SmNextFreeKindNumber(CSmDatabase* db, int templateNumber, int last);
