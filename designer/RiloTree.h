#pragma once
// The report module's page in the template box: the reports of the open data file under
// "我的报表", each child table under its parent. From it reports are opened, child tables added,
// entries renamed, renumbered and deleted, month and quarter tables generated, and reports or
// child structures copied between data files through the clipboard.
#include <string>
#include <vector>

#include "ui/SmTreeCtrl.h"

class CRiloTree : public CSmTreeCtrl {
  Q_OBJECT
 public:
  explicit CRiloTree(CSmDatabase* db, QWidget* parent = nullptr);

  // The report module's tree, when its page was made.
  static CRiloTree* Page();
  // Refills the page with the entry of the path texts selected.
  static void RefillPage(const std::vector<std::string>& path);

  unsigned GetClipboardFormat() override { return 531; }
  void CustomizeContextMenu(QMenu* popup) override;
  bool IsCommandEnabled(int id) override;
  bool IsCommandAvailable(int id) override;
  // The selected item's numbers from the report down; the level count (0 the root), -1 when
  // nothing is selected or a text holds no ")".
  int GetItemPathTexts(std::vector<std::string>& texts) const;
  static void DecodePath(const std::vector<std::string>& texts, int& nNo, std::string& subNo);
  static std::vector<std::string> EncodePath(int nNo, const std::string& subNo);
  int GetClipboardRows(std::vector<std::string>& rows) const override;

  void Delete() override;
  void Add() override;
  void Modify() override;
  void Open() override;
  void Paste() override { PasteReport(false); }
  bool OnCommand(int id) override;
  void Refill();
  // 打开 and 新建 from the File menu and the report window: the tree's open and add on its
  // chosen entry, or a message that says why they cannot run.
  void OpenChosen();
  void AddChosen();

  std::vector<std::string> m_reselect;

 private:
  void AddChildren(QTreeWidgetItem* parent, int nNo, const std::string& subNo);
  void Reselect();
  void Refresh();
  bool ConfirmModify(int nNo, const std::string& subNo, std::string& name);
  void GenerateChildren(int id);
  void PasteReport(bool structure);
  bool HasUnitTable();
  // Shows why command `id` cannot run now; false when it can.
  bool ExplainRefusal(int id);
};
