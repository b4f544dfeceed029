#pragma once
// "甘蔗品种目录" (template 963): the cane variety directory one level at a time with the price
// per ton of each lowest-level variety; and the variety picker (mode 1 a lowest-level variety,
// mode 2 any code).
#include <string>

#include "cane/TsCodeDirDlg.h"

class CTsVarietyDirDlg : public CTsCodeDirDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kList = 1065,
    kParentText = 1059,
    kAdd = 1060,
    kModify = 1061,
    kRemove = 1062,
    kDown = 1063,
    kBack = 1064,
  };

  CTsVarietyDirDlg(CSmDatabase* db, int mode, const std::string& startCode,
                   QWidget* parent = nullptr);

  void SetupColumns() override;
  void FillList() override;
  Qt::Alignment GetColumnFormat(int column) override;
  unsigned GetClipboardFormat() override { return 545; }

 protected:
  bool RunCard(std::string& code, bool add) override;
  int CodeLevel(const std::string& code) const override;
  int LevelCount() const override;
  int LevelLength(int level) const override;
  int FullCodeLength() const override;
};
