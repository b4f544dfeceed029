// The application grid over a 200,000-row document with two total rows: a paint, a page down
// with its paint, a typed cell, ten rows deleted at the top, a whole-column paste and a
// 200,000-line text load, each with its paint, beside summing the rows directly (what every
// paint of the totals has to do at least). Then the log query dialog listing a month for one
// operator in a season's log (2,000 sessions, 200,000 log rows) beside the same question put to
// the bare SQLite C API.
#include <sqlite3.h>

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_farmers.h"
#include "bench/bench_program.h"
#include "bench/bench_purchase_doc.h"
#include "core/SmClipboard.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "forms/SmDoc.h"
#include "forms/SmForthView.h"
#include "forms/SmLogQueryDlg.h"

namespace {

constexpr int kRounds = 3;
constexpr int kRows = 200000;
constexpr int kTasks = 2000;
constexpr int kLogRows = 200000;

// Name, weight, price and the computed amount.
class BenchDoc : public CBenchPurchaseDoc {
 public:
  BenchDoc() : CBenchPurchaseDoc("单价/NUMBER/RIGHT/000", "金额/NUMBER/RIGHT/012/0/#c2*#c3") {}
  bool IsReadOnly() override { return false; }
  void Fill() {
    FillRows(kRows, [](int i) -> std::vector<std::string> {
      return {"农户" + std::to_string(i), std::to_string(i % 97 + 1) + ".5", "0.42", ""};
    });
    ComputeFormulaColumns();
  }
};

class BenchView : public CForthView {
 public:
  explicit BenchView(BenchDoc& doc) {
    doc.AddView(this);
    ResetViewState();
    m_nFormFootLines = 2;
    ResetLayout();
    resize(1000, 700);
    show();
    UpdateScrollSizes(false);
  }
  void Paint(QImage& image) { render(&image); }
  void DeleteTopRows(int count) {
    SetCurrentCell(0, 0, 0, "TEXT");
    DeleteWholeRows({0, 0, Columns() - 1, count - 1});
  }
  void SyncRows() {
    m_nTextRows = static_cast<int>(GetFormDoc()->m_rows.size());
    UpdateScrollSizes(false);
  }
};

double SumDirectly(const BenchDoc& doc) {
  double total = 0;
  for (const auto& cells : doc.m_rows) total += StrToDouble(ReplaceAll(cells[1], ",", ""));
  return total;
}

struct GridTimes {
  double paint = 0, pageDown = 0, typed = 0, deleted = 0, pasted = 0, loaded = 0, bare = 0;
};

template <class Work>
double Timed(Work work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return BenchSeconds(start);
}

void GridRound(const std::string& textFile, GridTimes& best) {
  BenchDoc doc;
  doc.InitDocument();
  doc.LoadFormDef();
  doc.Fill();
  BenchView view(doc);
  QImage image(view.size(), QImage::Format_RGB32);
  BenchKeepBest(best.paint, Timed([&] { view.Paint(image); }));
  BenchKeepBest(best.pageDown, Timed([&] {
                  view.OnVScroll(SmScroll::kPageDown);
                  view.Paint(image);
                }));
  BenchKeepBest(best.typed, Timed([&] {
                  view.SetCurrentCell(3, 1, 0, "TEXT");
                  view.TypeText("7");
                  view.SetCurrentCell(4, 1, 0, "TEXT");
                  view.Paint(image);
                }));
  BenchKeepBest(best.deleted, Timed([&] {
                  view.DeleteTopRows(10);
                  view.Paint(image);
                }));
  SetClipboardText("12.5\n");
  BenchKeepBest(best.pasted, Timed([&] {
                  view.SetCurrentCell(0, 2, 0, "TEXT");
                  view.PasteIntoColumn();
                  view.Paint(image);
                }));
  CSmMessageService::Instance().QueueFileName(textFile);
  BenchKeepBest(best.loaded, Timed([&] {
                  view.SetCurrentCell(0, 0, 0, "TEXT");
                  view.LoadTextFile();
                  view.SyncRows();
                  view.Paint(image);
                }));
  double sum = 0;
  BenchKeepBest(best.bare, Timed([&] { sum = SumDirectly(doc); }));
  if (sum <= 0) std::printf("nothing summed\n");
  doc.RemoveView(&view);
}

bool FillLog(CSmDatabase& db) {
  if (!db.BeginTrans()) return false;
  bool ok = true;
  const int rowsPerTask = kLogRows / kTasks;
  for (int t = 1; t <= kTasks && ok; ++t) {
    // Sessions spread over a season from October to March, ten a day.
    const int day = (t - 1) / 10;
    const int month = 10 + day / 30;
    const std::string date =
        FormatStr("%04d%02d%02d", month > 12 ? 2017 : 2016, (month - 1) % 12 + 1, day % 30 + 1);
    ok = db.ExecuteBound(
        "Insert Into SmTask(nTask,nThreadID,sT1,sT2,sComputer,sUser) Values(?,1,?,?,?,'clerk')", {},
        {SmDbValue::OfInt(t), SmDbValue::OfText(date + "080000"),
         SmDbValue::OfText(date + "170000"), SmDbValue::OfText(FormatStr("称重机%d", t % 4))});
    const std::string op = FormatStr("司磅员%d(%03d)", t % 8, 100 + t % 8);
    for (int r = 0; r < rowsPerTask && ok; ++r) {
      ok = db.ExecuteBound(
          "Insert Into SmLog(nTask,sOp,sT,nTaskID,sNote) Values(?,?,?,?,?)", {},
          {SmDbValue::OfInt(t), SmDbValue::OfText(op),
           SmDbValue::OfText(date + FormatStr("08%02d%02d", r / 60, r % 60)),
           SmDbValue::OfInt(r == 0 ? 0 : 1600 + r % 5), SmDbValue::OfText("新增：磅单")});
    }
  }
  return ok && db.CommitTrans();
}

const char* const kOperator = "司磅员3(103)";

double ThroughDialog(int& rows) {
  CSmOpLog none;
  CSmLogQueryDlg dlg(none, "201612  ", "", "", "");
  dlg.show();
  QApplication::processEvents();
  const double seconds = Timed([&] { dlg.OnChoose(1068, kOperator); });
  rows = dlg.List()->RowCount();
  return seconds;
}

double ThroughBareEngine(const std::string& path, int& rows) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK)
    return -1;
  const std::string sql = std::string(
                              "Select nThreadID,nTask,rtrim(sT1),rtrim(sT2),rtrim(sComputer),"
                              "rtrim(sUser) From SmTask Where substr(sT1,1,6)='201612' And nTask "
                              "In (Select nTask From SmLog Where sOp='") +
                          kOperator + "' And nTaskID>=0 And nTaskID<100) Order By nTask";
  const double seconds = Timed([&] {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) ++rows;
    sqlite3_finalize(stmt);
  });
  sqlite3_close(db);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const CBenchFolder folder("sm_bench_forth");
  CBenchProgram program(argc, argv);
  const std::string path = BenchYearFile(program.App(), folder);
  if (path.empty()) return 1;
  CSmDatabase* db = program.App().m_env.Connection();
  if (!db->Open(path) || !FillLog(*db)) {
    std::printf("could not fill the data file\n");
    return 1;
  }
  const std::string textFile = folder / "rows.txt";
  {
    QFile file(QString::fromStdString(textFile));
    if (!file.open(QIODevice::WriteOnly)) return 1;
    for (int i = 0; i < kRows; ++i)
      file.write(QByteArray("NH\t") + QByteArray::number(i % 50) + "\t0.4\r\n");
  }

  GridTimes grid;
  double ours = 0, bare = 0;
  int rowsOurs = 0, rowsBare = 0;
  for (int round = 0; round < kRounds; ++round) {
    GridRound(textFile, grid);
    BenchKeepBest(ours, ThroughDialog(rowsOurs));
    BenchKeepBest(bare, ThroughBareEngine(path, rowsBare));
  }
  std::printf(
      "application grid, 200,000 rows, two total rows, best of %d (seconds; ratio to "
      "summing the rows directly, %.4f s)\n",
      kRounds, grid.bare);
  const std::pair<const char*, double> steps[] = {{"paint", grid.paint},
                                                  {"page down", grid.pageDown},
                                                  {"typed cell", grid.typed},
                                                  {"delete ten top rows", grid.deleted},
                                                  {"whole-column paste", grid.pasted},
                                                  {"200,000-line text load", grid.loaded}};
  for (const auto& [name, seconds] : steps) {
    std::printf("  %-24s %8.4f s   ratio %8.2f\n", name, seconds,
                grid.bare > 0 ? seconds / grid.bare : 0);
  }
  std::printf("log query dialog, one operator in a month of 2,000 sessions / 200,000 rows\n");
  std::printf("  CSmLogQueryDlg %8.4f s   bare SQLite %8.4f s   ratio %6.2f\n", ours, bare,
              bare > 0 ? ours / bare : 0);
  std::printf("  rows: %d and %d\n", rowsOurs, rowsBare);
  return rowsOurs == rowsBare && rowsOurs > 0 ? 0 : 1;
}
