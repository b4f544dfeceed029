#pragma once
// The farmer directory (NHDir): a tree of codes whose upper levels are regions and whose lowest
// level is the farmer who delivers cane. Weighing tickets, farmers' money documents and the
// regions of places refer to farmer codes. Level lengths are the integer parameters 0-4.
#include <memory>
#include <string>
#include <vector>

#include "cane/TsCodeRec.h"
#include "core/SmDbBackend.h"

class CNH : public CTsCodeRec {
 public:
  CNH() = default;
  CNH(CSmDatabase* db, const std::string& code) { SetKey(db, code); }

  std::unique_ptr<CTsCodeRec> Clone() const override { return std::make_unique<CNH>(*this); }
  void Clear() override;
  void GetRefTables(std::vector<std::string>& jet, std::vector<std::string>& server) const override;
  bool MoveReferences(const CTsCodeRec& old) override;
  void DefineColumns(std::vector<CSmDataCol>& columns) const override;

  void Copy(const CNH& other) { *this = other; }
  void CopyFields(const CTsCodeRec& other, bool codeOnly) override;
  std::string GetColumnList() const override;
  std::string GetValueList() const override;
  // The values of GetColumnList as GetValueList writes them, for binding.
  void GetValues(std::vector<SmDbValue>& values) const;
  // Rows of NHDir appended to the list; the list's count.
  int Select(std::vector<CNH>& list, int mode, const std::string& jetWhere = {},
             const std::string& serverWhere = {}, const std::string& jetOrder = {},
             const std::string& serverOrder = {});

  // The names of the farmer's levels, region first, joined with "/"; `codes` and `names` get
  // one entry per level. The number of rows of the farmer's subtree (0 without a row).
  int GetLevelNames(std::string& out, std::vector<std::string>& codes,
                    std::vector<std::string>& names);
  // The code of every level of `code`, shortest first; their count.
  int SplitLevels(const std::string& code, std::vector<std::string>& codes) const;
  // The lowest-level rows under one code, or under each code of a list (appended).
  int SelectLeaves(const std::string& code, std::vector<CNH>& list);
  int CollectLeaves(const std::vector<std::string>& codes, std::vector<CNH>& list);
  // Smallest and largest value of farmer-linked parameter n over the leaves of the codes (0
  // and 0 without leaves); the number of leaves.
  int GetParamRange(int n, const std::vector<std::string>& codes, double range[2]);
  // Writes farmer-linked parameter n of every leaf of the codes.
  bool SetParam(int n, const std::vector<std::string>& codes, double value);

  std::string TEL, BkNO, BkHO, BkNA, NT;
  double cs[4] = {0, 0, 0, 0};

 protected:
  const char* TableName() const override { return "NHDir"; }
  TsIntParam FirstLevelParam() const override { return TsIntParam::FarmerLevel1Len; }
  int NumberCount() const override { return 4; }
  int TextCount() const override { return 7; }
  void ReadRow(CSmQuery& query) override;
};
