#pragma once
// The cane variety directory (GP): a tree of variety codes whose lowest level carries the price
// per ton a ticket of that variety is paid at. Tickets refer to varieties (gbSheet KNO3). Level
// lengths are the integer parameters 7-11.
#include <memory>
#include <string>
#include <vector>

#include "cane/TsCodeRec.h"

class CGp : public CTsCodeRec {
 public:
  CGp() = default;
  CGp(CSmDatabase* db, const std::string& code) { SetKey(db, code); }

  std::unique_ptr<CTsCodeRec> Clone() const override { return std::make_unique<CGp>(*this); }
  void Clear() override;
  void GetRefTables(std::vector<std::string>& jet, std::vector<std::string>& server) const override;
  bool MoveReferences(const CTsCodeRec& old) override;
  void DefineColumns(std::vector<CSmDataCol>& columns) const override;

  void Copy(const CGp& other) { *this = other; }
  void CopyFields(const CTsCodeRec& other, bool codeOnly) override;
  std::string GetColumnList() const override { return "pr,KNO,NA,NT"; }
  std::string GetValueList() const override;
  int Select(std::vector<CGp>& list, int mode, const std::string& jetWhere = {},
             const std::string& serverWhere = {}, const std::string& jetOrder = {},
             const std::string& serverOrder = {});

  std::string NT;
  double PR = 0;

 protected:
  const char* TableName() const override { return "GP"; }
  TsIntParam FirstLevelParam() const override { return TsIntParam::VarietyLevel1Len; }
  int NumberCount() const override { return 1; }
  int TextCount() const override { return 3; }
  void ReadRow(CSmQuery& query) override;
  // Only the lowest level is priced: a parent that gets its first child loses its price.
  bool TakeOverParent(const CTsCodeRec& parent) override;
  void OnCodeChanged() override;
};
