#pragma once
// The purchase detail document the timed programs over the application grid fill: farmer's
// name, weight, price and amount.
#include <string>
#include <utility>
#include <vector>

#include "forms/SmDoc.h"

class CBenchPurchaseDoc : public CSmDoc {
 public:
  // `price` and `amount` describe the last two columns.
  CBenchPurchaseDoc(std::string price, std::string amount)
      : m_price(std::move(price)), m_amount(std::move(amount)) {
    nFlag = 262;
    m_kind.nNumber = 1;
    m_kind.sName = "收购明细";
  }
  void DefineTitle(CSmFormDef& def) override {
    def.sFna = "收购明细";
    def.nTopNum = 1;
  }
  void DefineColumns(CSmFormDef& def) override {
    def.InsertCol(0, 101, 1010, 0, 0, "户名/STRING/LEFT");
    def.InsertCol(1, 102, 1010, 0, 2, "重量/NUMBER/RIGHT");
    def.InsertCol(2, 103, 1010, 2, 2, m_price);
    def.InsertCol(3, 104, 1010, 2, 2, m_amount);
  }

 protected:
  // Empties the document and adds `count` rows, each set by `row(i)`.
  template <class F>
  void FillRows(int count, F row) {
    m_rows.clear();
    m_rowFlags.clear();
    for (int i = 0; i < count; ++i) {
      AppendRow();
      m_rows.back() = row(i);
    }
  }

 private:
  std::string m_price;
  std::string m_amount;
};
