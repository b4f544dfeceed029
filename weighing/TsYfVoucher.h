#pragma once
// One household's money voucher on paper: a small bordered form with the date and number, the
// household, the money item, the amount in capital numerals and in figures, and the signature
// line of the mill, the reviewer and the maker, under the kind's title ("付款凭证" for an
// advance) and printed with the kind's page settings.
#include <string>
#include <vector>

#include "forms/SmCardLayout.h"
#include "ui/SmPrintJob.h"
#include "weighing/TsjsRec.h"

class CSmDatabase;
struct TsCaneContext;

// The 16 cells of the voucher page of `rec`, whose amount is its money item number `item`
// among the kind's advance items (withholding items for kind 3).
void DrawYfVoucher(const CTsjsRec& rec, int item, std::vector<CSmCardItem>& items, CSmDatabase* db);
void DrawYfVoucher(const CTsjsRec& rec, int item, std::vector<CSmCardItem>& items,
                   const TsCaneContext& context);

// The page of voucher pages: the card layout of one voucher drawn scaled onto each page, one
// page per household voucher.
class CTsYfPageSetup : public CSmPrintJob {
 public:
  // "收款凭证", "付款凭证", "受托代扣款通知书" or "计息单".
  static std::string TitleOf(int kind);
  // The number the page settings of a kind are stored under.
  static int SettingsKey(int kind) { return 2600 + kind; }

  // The stored page settings of the kind, the kind's title when they have none.
  void LoadPageSetup(int kind, CSmDatabase* db);
  // The page setup dialog on the kind's settings; true when they were changed and stored.
  bool PageSetup(int kind, CSmDatabase* db, QWidget* parent);
  // The vouchers to print, one a page, and the money item they show.
  void SetVouchers(std::vector<CTsjsRec> vouchers, int item, CSmDatabase* db);

  bool OnPreparePrinting(CSmPrintState& state) override;
  void OnPrepareDC(QPainter& painter, CSmPrintState& state) override;
  void OnPrint(QPainter& painter, CSmPrintState& state) override;

  CSmCardLayout m_layout;
  std::vector<CTsjsRec> m_vouchers;
  int m_item = 0;
  // Pre-printed forms: only the marked cells, no lines.
  bool m_formMode = false;
};
