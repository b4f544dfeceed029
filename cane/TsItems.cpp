#include "cane/TsItems.h"

#include <charconv>
#include <climits>

#include "cane/TsDataType.h"
#include "cane/TsParams.h"
#include "core/SmString.h"

namespace {

int ItemParam(int kind, int itemClass, int item) {
  return itemClass == 0 ? kind * 5 + item : 10 + kind * 15 + item;
}

bool ValidList(int kind, int itemClass, int category, int selection) {
  return kind >= 0 && kind < 2 && itemClass >= 0 && itemClass < 2 && category >= 0 &&
         category < 3 && selection >= 0 && selection < 2;
}

const std::vector<int>* ItemList(int kind, int itemClass, int category, int selection) {
  const CTsDataType* type = TsGetDataType();
  if (!type || !ValidList(kind, itemClass, category, selection)) return nullptr;
  return &type->m_itemLists[CTsDataType::ItemListIndex(kind, itemClass, category, selection)];
}

// Sign and formula of a ticket item text; sign 0 and no formula for other categories.
void TicketSign(const std::string& text, int& sign, std::string& formula) {
  sign = 0;
  formula.clear();
  const size_t tab = text.find('\t');
  if (tab == std::string::npos) return;
  const std::string rest = text.substr(tab + 1);
  const char category = rest.empty() ? '\0' : rest[0];
  if (category == '0') {
    const char flag = rest.size() > 1 ? rest[1] : '\0';
    sign = flag == '+' ? 1 : flag == '-' ? -1 : 0;
  } else if (category == '1') {
    sign = -1;
  } else {
    return;
  }
  const size_t formulaTab = rest.find('\t');
  if (formulaTab != std::string::npos && formulaTab >= 2) formula = rest.substr(formulaTab + 1);
}

}  // namespace

bool TsParseItem(const std::string& text, int& category, int& flag, std::string& name,
                 std::string& formula) {
  category = 0;
  flag = 0;
  name.clear();
  formula.clear();
  const size_t tab = text.find('\t');
  if (tab == std::string::npos || tab < 2) return false;
  const std::string rest = text.substr(tab + 1);
  if (rest.size() < 2 || (rest.size() > 2 && rest[2] != '\t')) return false;
  const char k = rest[0];
  const char c = rest[1];
  if (k < '0' || k > '2') return false;
  category = k - '0';
  if (category == 0) flag = c == '-' ? 1 : 0;
  if (category == 1) flag = 1;
  if (category == 2) flag = c >= '0' && c <= '9' ? c - '0' : 0;
  name = text.substr(0, tab);
  if (rest.size() > 3) formula = rest.substr(3);
  return true;
}

std::string TsFormatItem(const std::string& name, int category, int flag,
                         const std::string& formula) {
  if (name.empty()) return {};
  char c = '1';
  if (category == 0) c = flag == 1 ? '-' : '+';
  if (category == 2) c = static_cast<char>('0' + flag);
  return FormatStr("%s\t%d%c\t%s", name.c_str(), category, c, formula.c_str());
}

bool TsClassifyItem(int index, bool& freight, bool& slip, int& category, int& flag, int& itemNo,
                    std::string& name, std::string& formula) {
  freight = slip = false;
  itemNo = 0;
  if (index < 0 || index >= 40) {
    TsParseItem({}, category, flag, name, formula);
    return false;
  }
  slip = index >= 10;
  const int count = TsGetItemCount(slip ? 1 : 0);
  const int within = index - (slip ? 10 : 0);
  freight = within >= count;
  itemNo = within % count;
  return TsParseItem(TsGetStrParam(index), category, flag, name, formula);
}

void CTsDataType::BuildItemTables() {
  for (auto& list : m_itemLists) list.clear();
  for (int kind = 0; kind < 2; ++kind) {
    for (int itemClass = 0; itemClass < 2; ++itemClass) {
      const int count = TsGetItemCount(itemClass);
      for (int item = 0; item < count; ++item) {
        const int index = ItemParam(kind, itemClass, item);
        const std::string text =
            index < static_cast<int>(m_strParams.size()) ? m_strParams[index] : std::string();
        const size_t tab = text.find('\t');
        if (tab == std::string::npos || tab < 1 || tab + 1 >= text.size()) continue;
        const char k = text[tab + 1];
        if (k < '0' || k > '2') continue;
        const int category = k - '0';
        m_itemLists[ItemListIndex(kind, itemClass, category, 0)].push_back(item);
        const char flag = tab + 2 < text.size() ? text[tab + 2] : '\0';
        if (category == 2 && flag == '0') continue;
        m_itemLists[ItemListIndex(kind, itemClass, category, 1)].push_back(item);
      }
      if (itemClass != 0) continue;
      for (int item = 0; item < count; ++item) {
        const int index = ItemParam(kind, 0, item);
        TicketSign(index < static_cast<int>(m_strParams.size()) ? m_strParams[index] : "",
                   m_ticketSigns[kind][item], m_ticketFormulas[kind][item]);
      }
    }
  }
  for (int side = 0; side < 2; ++side) {
    m_linkParams[side].clear();
    for (int j = 0; j < 4; ++j) {
      const size_t index = 40 + 4 * side + j;
      if (index < m_strParams.size() && !m_strParams[index].empty()) {
        m_linkParams[side].push_back(j);
      }
    }
  }
}

void TsBuildItemTables() {
  if (CTsDataType* type = TsGetDataType()) type->BuildItemTables();
}

int TsGetKindItemCount(int kind, int itemClass, int category, int selection) {
  const std::vector<int>* list = ItemList(kind, itemClass, category, selection);
  return list ? static_cast<int>(list->size()) : 0;
}

int TsGetKindItemIndex(int kind, int itemClass, int category, int selection, int n) {
  const std::vector<int>* list = ItemList(kind, itemClass, category, selection);
  if (!list || n < 0 || n >= static_cast<int>(list->size())) return -1;
  return (*list)[n];
}

std::string TsGetKindItemName(int kind, int itemClass, int category, int selection, int n) {
  const int item = TsGetKindItemIndex(kind, itemClass, category, selection, n);
  if (item < 0) return {};
  const std::string text = TsGetStrParam(ItemParam(kind, itemClass, item));
  return text.substr(0, text.find('\t'));
}

std::string TsGetKindItemFormula(int kind, int itemClass, int category, int selection, int n) {
  const int item = TsGetKindItemIndex(kind, itemClass, category, selection, n);
  if (item < 0) return {};
  int parsedCategory = 0;
  int flag = 0;
  std::string name;
  std::string formula;
  TsParseItem(TsGetStrParam(ItemParam(kind, itemClass, item)), parsedCategory, flag, name, formula);
  return formula;
}

bool TsGetAdvanceCarryNumber(int kind, int n, std::string& formula, int& number) {
  formula = TrimChars(TsGetKindItemFormula(kind, 1, 2, 0, n));
  if (formula.empty()) {
    number = TsGetKindItemIndex(kind, 1, 2, 0, n) + 1;
    return true;
  }
  if (!IsAllDigits(formula)) return false;
  const char* end = formula.data() + formula.size();
  if (std::from_chars(formula.data(), end, number).ec != std::errc()) number = INT_MAX;
  return true;
}

int TsGetTicketItemSign(int kind, int i) {
  const CTsDataType* type = TsGetDataType();
  if (!type || kind < 0 || kind > 1 || i < 0 || i > 4) return 0;
  return type->m_ticketSigns[kind][i];
}

std::string TsGetTicketItemFormula(int kind, int i) {
  const CTsDataType* type = TsGetDataType();
  if (!type || kind < 0 || kind > 1 || i < 0 || i > 4) return {};
  return type->m_ticketFormulas[kind][i];
}

int TsGetLinkParamCount(int side) {
  const CTsDataType* type = TsGetDataType();
  if (!type || side < 0 || side > 1) return 0;
  return static_cast<int>(type->m_linkParams[side].size());
}

int TsGetLinkParamIndex(int side, int n) {
  if (n < 0 || n >= TsGetLinkParamCount(side)) return -1;
  return TsGetDataType()->m_linkParams[side][n];
}

std::string TsGetLinkParamName(int side, int n) {
  const int j = TsGetLinkParamIndex(side, n);
  return j < 0 ? std::string() : TsGetStrParam(TsStrParam::FarmerLinkName1 + 4 * side + j);
}

int TsTicketMoneyColumn(int kind, int item) {
  return 6 * kind + 1 + item;
}
