#pragma once
// The cane-settlement module as the shell sees it (module 16): its number, resource, tab label,
// registration, rights and operation names, the hooks of the shell's broadcasts, and the working
// copy of its system parameters with the money-item tables built from them.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "forms/SmFormDataType.h"

class CTsWeighingService;

class CTsDataType : public CFormDataType {
 public:
  static constexpr int kIntParamCount = 16;
  static constexpr int kDblParamCount = 2;
  static constexpr int kStrParamCount = 52;  // 2 x 5 ticket items, 2 x 15 slip items, 12 more
  static constexpr int kParamGroup = 9130;   // SysCsTab group of the stored parameters

  CTsDataType();
  ~CTsDataType() override;

  void Init() override;
  // Loads the parameters of the data file the application has just opened, creates the
  // module's tables in a new file and brings those of an older file up to date (TsTables.cpp).
  void CreateTables(CSmDatabase* db) override;
  void GetDocumentRights(CSmStringList& codes, CSmStringList& names) override;
  void GetExtraRights(CSmStringList& codes, CSmStringList& names) override;
  void GetCodeReferences(const std::string& column, CSmStringList& tables, CSmStringList& columns,
                         CSmStringList& jetConditions, CSmStringList& serverConditions) override;
  // Default page setup of the report and ledger kinds (above 256); `data` is a CSmPrintInfo.
  void OnNotify(int flag, const std::string& text, void* data) override;
  // The bank payment batches (groups 4160, 4161) do not travel with the system tables.
  void AfterCopySystemTables(CSmDatabase* source, CSmDatabase* target) override;
  void GetLogTaskNames(std::vector<int>& codes, CSmStringList& names) override;
  void GetItemNames(std::vector<int>& codes, CSmStringList& names) override;
  // Year-end carry-over (TsCarryOver.cpp): the five items, the check that the old year is
  // closed and the mapping of its advance items, and the copy of one item into the new file.
  void ListCarryOverItems(std::vector<int>& codes, CSmStringList& captions,
                          CSmStringList& tables) override;
  int CanCarryOver(int subCode, int item, const std::string& caption, const std::string& tables,
                   CSmDatabase* source, CSmDatabase* target, std::string& message) override;
  bool CarryOver(int subCode, int item, CSmDatabase* source, CSmDatabase* target,
                 QLabel* status) override;
  // -1: the three print templates; 9601-9603: the template's variables with default layouts.
  void GetPrintVariables(int group, CSmPrintVarList& rows) override;

  // The names of the 16 integer, 2 number and 52 text parameters as the user sees them.
  void GetParamNames(CSmStringList& intNames, CSmStringList& numberNames,
                     CSmStringList& textNames) const;
  // Every parameter at its default, then the item tables rebuilt.
  void SetDefaultParams();
  // Overlays the stored rows of group 9130 (db, or the application's connection when null) on
  // the parameters, then rebuilds the item tables.
  void LoadParams(CSmDatabase* db = nullptr);
  // The item lists, ticket signs and formulas and linked parameters from the current texts.
  void BuildItemTables();
  // Defaults, then the stored parameters of the application's connection when it is open.
  void ReloadAppParams();

  // What the weighing documents provide to the module; null until the application hands it.
  void SetWeighingService(std::unique_ptr<CTsWeighingService> service);
  CTsWeighingService* WeighingService() const { return m_weighing.get(); }

  std::vector<int> m_intParams;
  std::vector<double> m_dblParams;
  CSmStringList m_strParams;

  // Item numbers per kind (0 cane, 1 freight), class (0 ticket, 1 slip), category (0-2) and
  // selection (0 all, 1 without the advances not repaid this year); see ItemListIndex.
  std::array<std::vector<int>, 24> m_itemLists;
  std::array<std::array<int, 5>, 2> m_ticketSigns{};
  std::array<std::array<std::string, 5>, 2> m_ticketFormulas;
  // Numbers j (column cs<j>) of the linked parameters in use: 0 farmers, 1 places.
  std::array<std::vector<int>, 2> m_linkParams;

  static int ItemListIndex(int kind, int itemClass, int category, int selection) {
    return ((kind * 2 + itemClass) * 3 + category) * 2 + selection;
  }

 private:
  std::unique_ptr<CTsWeighingService> m_weighing;
};
