#include "cane/TsCardFields.h"

#include <QGridLayout>
#include <QLabel>
#include <cmath>

#include "app/SmOpLog.h"
#include "cane/TsCodeTable.h"
#include "cane/TsWeighingService.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmWaitWnd.h"

CSmEdit* TsAddCardField(QWidget* dlg, QGridLayout* grid, int row, int col, int id,
                        const std::string& caption, const std::string& type, int limit,
                        int decimals) {
  auto* edit = new CSmEdit(dlg);
  edit->setObjectName(QString::number(id));
  edit->SetInputType(type, limit, decimals);
  if (type != "NUMBER") edit->setMaxLength(limit);
  auto* label = new QLabel(QString::fromStdString(caption), dlg);
  label->setBuddy(edit);
  grid->addWidget(label, row, 2 * col);
  grid->addWidget(edit, row, 2 * col + 1);
  return edit;
}

QLabel* TsUnitLabel(const QString& unit, QWidget* dlg) {
  auto* label = new QLabel(unit, dlg);
  label->setContentsMargins(0, 0, 2, 0);
  return label;
}

bool TsFixOwnPart(std::string& own, int length) {
  std::string fixed = own;
  if (FixNumberText(fixed, length, false) && static_cast<int>(fixed.size()) == length &&
      StrToLongDef(own, 0) > 0) {
    own = fixed;
    return true;
  }
  SmMessageBox("代码不合适!", SM_MB_ICONERROR);
  return false;
}

bool TsCheckName(const std::string& name) {
  if (!TrimChars(name).empty()) return true;
  SmMessageBox("名称不能为空，请重输!", SM_MB_ICONERROR);
  return false;
}

bool TsCheckCodeAndName(CSmEdit* own, CSmEdit* name, int length) {
  std::string code = own->text().toStdString();
  if (!TsFixOwnPart(code, length)) {
    own->setFocus();
    return false;
  }
  own->setText(QString::fromStdString(code));
  if (TsCheckName(name->text().toStdString())) return true;
  name->setFocus();
  return false;
}

QWidget* TsEnterTarget(QWidget* dlg, QWidget* note, QWidget* firstGenerated, QWidget* code) {
  QWidget* focus = dlg->focusWidget();
  if (focus == note && firstGenerated) return firstGenerated;
  // The field after the focused one in tab order, skipping what cannot take the focus.
  QWidget* next = SmNextTabField(focus, nullptr);
  return next && next == code ? dlg->findChild<QWidget*>(QStringLiteral("1")) : nullptr;
}

std::string TsFieldNumber(double value, int decimals) {
  return ReplaceAll(FormatNumber(value, 0, 0, decimals), ",", "");
}

namespace {

constexpr double kPriceTolerance = 0.000001;
const char* const kBackupAdvice = "，建议务必先作一次数据备份，并请所有在线用户停止工作！";

// Asks the question; false when the tickets stay as they are, else whether the difference is
// added (`add`) or the new price set.
bool AskRepricing(const TsRepricing& texts, bool mixed, double oldPrice, double newPrice,
                  bool& add) {
  add = false;
  const char* word = newPrice - oldPrice > kPriceTolerance ? "增" : "减";
  if (!mixed) {
    const std::string question =
        FormatStr(texts.sameQuestion, oldPrice, newPrice) + "若选择“是”" + kBackupAdvice;
    return SmMessageBox(question, SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) == SM_IDYES;
  }
  const std::string question =
      std::string(texts.mixedHead) + texts.mixedScope +
      FormatStr("选择“是”，将单价调%s%.2lf；\n", word, std::fabs(newPrice - oldPrice)) +
      FormatStr("选择“否”，将单价统一调成%.2lf；\n", newPrice) + "选择“取消”，不作处理。\n" +
      "若你选择了处理过磅单的单价" + kBackupAdvice;
  const int answer = SmMessageBox(question, SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION);
  add = answer == SM_IDYES;
  return answer == SM_IDYES || answer == SM_IDNO;
}

}  // namespace

void TsOfferRepricing(const TsRepricing& texts, int kind, const std::string& code,
                      const std::string& name, double oldPrice, double newPrice, int logCode,
                      CSmDatabase* db) {
  if (std::fabs(newPrice - oldPrice) < kPriceTolerance) return;
  CTsWeighingService* service = TsGetWeighingService();
  double lowest = 0, highest = 0;
  if (!service || service->PriceStats(kind, code, &lowest, &highest, db) <= 0) return;
  bool add = false;
  if (!AskRepricing(texts, std::fabs(highest - lowest) >= kPriceTolerance, oldPrice, newPrice, add))
    return;
  {
    CSmWaitWnd wait;
    service->Reprice(add, kind, add ? newPrice - oldPrice : newPrice, code, db);
  }
  const std::string change =
      add ? FormatStr("调%s%.2lf；", newPrice - oldPrice > kPriceTolerance ? "增" : "减",
                      std::fabs(newPrice - oldPrice))
          : FormatStr("调至%.2lf；", newPrice);
  CSmOpLog(logCode, FormatStr("%s(%s)调价：%s", code.c_str(), name.c_str(), change.c_str()));
}

bool TsStoreShownOpenings(int party, const std::string& code, const std::vector<int>& items,
                          const TsSlipAmounts& shown, const TsSlipAmounts& typed,
                          const std::string& shownCode, std::string& failure, CSmDatabase* db) {
  CTsWeighingService* service = TsGetWeighingService();
  if (!service || items.empty()) return true;
  TsSlipAmounts stored{};
  if (!service->LoadOpening(party, code, stored, db)) return false;
  for (const int item : items) {
    if (std::fabs(stored[item] - shown[item]) <= 0.005) continue;
    failure = TsChangedElsewhereText(shownCode, false);
    return false;
  }
  return service->SetOpening(false, party, code, typed, db);
}

bool TsRefuseSave(bool stale, QWidget* code) {
  // A change another station made has been said already.
  return SmShowRefusal(SmRefusal::Stop(kSmNoField, stale ? "" : "代码不合适，操作数据库失败！"),
                       code);
}
