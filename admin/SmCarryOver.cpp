#include "admin/SmCarryOver.h"

#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>

#include "app/SmApp.h"
#include "app/SmDataType.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kAttempts = 10;

struct ItemCode {
  CSmDataType* type;
  int subCode;
  int item;
};

ItemCode SplitCode(CSmApp& app, int code) {
  return {app.FindDataType(code / 1000), (code / 100) % 10, code % 100};
}

// The year of a candidate as the dialog shows it: a file's first four name characters, a
// server database's name after its prefix and sequence number.
std::string YearTextOf(int kind, const std::string& candidate) {
  if (kind != 0) return candidate.size() > 7 ? candidate.substr(7) : std::string();
  const size_t slash = candidate.find_last_of("/\\");
  return candidate.substr(slash == std::string::npos ? 0 : slash + 1, 4);
}

// -1 when some item refuses, 1 when some asks, else 0; `text` collects their lines.
int CheckItems(CSmApp& app, const SmCarryOverItems& items, const std::vector<size_t>& rows,
               CSmDatabase* source, CSmDatabase* target, std::string& text) {
  bool refused = false, asks = false;
  for (size_t row : rows) {
    const ItemCode code = SplitCode(app, items.codes[row]);
    if (!code.type) continue;
    std::string message;
    const int answer = code.type->CanCarryOver(code.subCode, code.item, items.captions[row],
                                               items.tables[row], source, target, message);
    if (answer == 0) continue;
    refused = refused || answer < 0;
    asks = asks || answer > 0;
    if (!message.empty()) text += message + "\n";
  }
  return refused ? -1 : (asks ? 1 : 0);
}

}  // namespace

void SmCarryOverItems::Load(CSmApp& app) {
  app.ListCarryOverItems(codes, captions, tables);
}

SmCarryOverSource SmFindCarryOverSource(const CSmEnvironment& current, int year,
                                        const std::string& ext) {
  SmCarryOverSource found;
  CSmDatabase* target = current.GetDatabase();
  if (!target) return found;
  const int kind = current.GetDatabaseKind();
  std::string candidate = current.GetDataFileName();
  for (int attempt = 0; attempt < kAttempts; ++attempt, --year) {
    if (kind == 0) {
      candidate = FormatStr("%s/%d.%s", current.GetDataFolder().c_str(), year, ext.c_str());
    } else if (!StepTrailingNumber(candidate, false)) {
      continue;
    }
    if (!target->DatabaseExists(candidate)) continue;
    auto env = std::make_unique<CSmEnvironment>(current);
    if (!env->OpenFile(current.GetConnInfo().server, candidate, "101", false)) continue;
    found.env = std::move(env);
    found.yearText = YearTextOf(kind, candidate);
    return found;
  }
  return found;
}

SmCarryOverResult SmRunCarryOver(CSmApp& app, const SmCarryOverItems& items,
                                 const std::vector<size_t>& rows, CSmDatabase* source,
                                 CSmDatabase* target, QLabel* status, unsigned doneFlags,
                                 QProgressBar* progress) {
  std::string text;
  const int check = CheckItems(app, items, rows, source, target, text);
  if (check < 0) {
    SmMessageBox(text + "不能执行结转！", SM_MB_OK | SM_MB_ICONERROR);
    return SmCarryOverResult::Refused;
  }
  if (check > 0 &&
      SmMessageBox(text + "继续吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION) != SM_IDYES) {
    return SmCarryOverResult::Declined;
  }
  std::string failed, taken;
  if (progress) {
    progress->setRange(0, static_cast<int>(rows.size()));
    progress->setValue(0);
  }
  int done = 0;
  for (size_t row : rows) {
    // Every item counts, carried or not; the work runs on this thread, so the bar is drawn at
    // once rather than when the run is over.
    const auto step = qScopeGuard([&] {
      if (!progress) return;
      progress->setValue(++done);
      progress->repaint();
    });
    const ItemCode code = SplitCode(app, items.codes[row]);
    if (!code.type) continue;
    bool empty = true;
    // The item goes in whole, into tables that are still empty: another station carrying the
    // same item over at the same moment takes its turn on the lock and then finds the rows.
    const bool carried = SmRunInTransaction(target, [&] {
      if (!target->LockSeries("carry over " + items.tables[row])) return false;
      empty = target->TablesAreEmpty(items.tables[row]);
      return empty && code.type->CarryOver(code.subCode, code.item, source, target, status);
    });
    if (!empty) {
      taken += FormatStr("%s：已有记录，不能结转！\n", items.captions[row].c_str());
    } else if (!carried) {
      failed += items.captions[row] + "\n";
    }
  }
  if (status) status->clear();
  if (!taken.empty() && failed.empty()) {
    SmMessageBox(taken + "这些项目没有结转！", SM_MB_OK | SM_MB_ICONERROR);
    return SmCarryOverResult::Refused;
  }
  if (!failed.empty()) {
    SmMessageBox(taken + "下列项目结转失败：\n" + failed, SM_MB_OK | SM_MB_ICONERROR);
    return SmCarryOverResult::Failed;
  }
  SmMessageBox("结转完毕！", SM_MB_OK | doneFlags);
  return SmCarryOverResult::Done;
}

SmCarryOverResult SmCarryOverAll(CSmApp& app, CSmDatabase* source, CSmDatabase* target) {
  SmCarryOverItems items;
  items.Load(app);
  std::vector<size_t> rows(items.size());
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = i;
  CSmWaitWnd wait;
  wait.Show();
  return SmRunCarryOver(app, items, rows, source, target, nullptr, SM_MB_ICONINFORMATION);
}
