#pragma once
// "农户目录" (template 952): the farmer directory one level at a time, with the advance
// balances and the farmer-linked parameters of each row in maintenance mode, the advance totals
// of the level and the batch change of a linked parameter; and the farmer picker (mode 1 a
// farmer, mode 2 any code).
#include <string>
#include <vector>

#include "cane/TsCodeDirDlg.h"

class CTsFarmerDirDlg : public CTsCodeDirDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kList = 1004,
    kParentText = 1005,
    kAdd = 1006,
    kModify = 1007,
    kRemove = 1008,
    kDown = 1009,
    kBack = 1057,
  };

  CTsFarmerDirDlg(CSmDatabase* db, int mode, const std::string& startCode,
                  QWidget* parent = nullptr);

  // The advance totals of the rows listed, one per cane advance item.
  const std::vector<double>& AdvanceTotals() const { return m_totals; }
  // The text of the advance totals box.
  std::string AdvanceTotalsText() const;

  bool OnExtraCommand(unsigned id) override;
  void SetupColumns() override;
  void FillList() override;
  void AddContextMenuItems(QMenu* popup) override;
  bool IsCommandEnabled(unsigned id) override;
  Qt::Alignment GetColumnFormat(int column) override;
  unsigned GetClipboardFormat() override { return 536; }

 protected:
  bool RunCard(std::string& code, bool add) override;
  int CodeLevel(const std::string& code) const override;
  int LevelCount() const override;
  int LevelLength(int level) const override;
  int FullCodeLength() const override;

 private:
  // The selected farmers get one linked parameter; the list is filled again.
  void ChangeParams();
  bool ShowsAmounts() const { return PickMode() == 0; }

  std::vector<double> m_totals;
};
