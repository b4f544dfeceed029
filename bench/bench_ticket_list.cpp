// The weighing card's ticket list refilled for one day of a season's data file (1,000 tickets a
// day), as after every save: the list view's own fill (tickets, then the driver's and the
// farmer's name of each row) beside one hand-written join through the bare SQLite C API into
// a list of the same rows, on a copy of the same file.
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_bare.h"
#include "bench/bench_season.h"
#include "core/SmDatabase.h"
#include "weighing/TsgbDoc.h"

namespace {

const int kYear = 2016;
const int kRounds = 20;

double FillThroughView(CTsgbListView& view, int& rows) {
  const auto start = std::chrono::steady_clock::now();
  for (int n = 0; n < kRounds; ++n) view.LoadRows();
  rows = view.List()->RowCount();
  return BenchElapsed(start);
}

double FillThroughBare(CBenchBare& db, const std::string& day, QTreeWidget& list, int& rows) {
  const std::string sql =
      "Select g.DH,d.NA,n.NA,g.JN1,g.JN0,g.OPR1 From gbSheet g Left Join DriverDir d On "
      "d.KNO=g.KNO1 Left Join NHDir n On n.KNO=g.KNO0 Where g.T='" +
      day + "' Order By g.DH";
  const auto start = std::chrono::steady_clock::now();
  for (int n = 0; n < kRounds; ++n) {
    list.clear();
    db.Run(sql, [&](sqlite3_stmt* s) {
      auto* item = new QTreeWidgetItem(&list);
      for (int c = 0; c < 5; ++c)
        item->setText(c, QString::fromStdString(CBenchBare::Column(s, c)));
    });
  }
  rows = list.topLevelItemCount();
  return BenchElapsed(start);
}

}  // namespace

int main(int argc, char** argv) {
  CBenchSeason season(argc, argv, "bench_ticket_list");
  TsSeasonShape shape;
  shape.tickets = 120000;  // 1,000 a day
  const std::string path = season.MakeFile(kYear, shape);
  if (path.empty()) return 1;
  const std::string bare = season.BareCopy(path);
  CSmDatabase db;
  CBenchBare engine(bare);
  if (!db.Open(path) || !engine.IsOpen()) return 1;

  CTsgbDoc doc;
  doc.m_db = &db;
  doc.m_date = TsSeasonDay(kYear, 60);
  CTsgbListView view;
  doc.AddView(&view);
  view.CSmListView::OnInitialUpdate();
  QTreeWidget list;
  list.setColumnCount(5);

  // The best of three rounds each, taken in turns.
  double timeView = 1e9;
  double timeBare = 1e9;
  int rowsView = 0;
  int rowsBare = 0;
  for (int round = 0; round < 3; ++round) {
    timeBare = std::min(timeBare, FillThroughBare(engine, doc.m_date, list, rowsBare));
    timeView = std::min(timeView, FillThroughView(view, rowsView));
  }
  doc.RemoveView(&view);
  if (rowsView != rowsBare || rowsView == 0) {
    std::printf("bench_ticket_list: the fills differ (%d and %d rows)\n", rowsView, rowsBare);
    return 1;
  }
  std::printf(
      "bench_ticket_list: refill a day's list (%d tickets): view %.2f ms, bare SQLite "
      "join %.2f ms, ratio %.2f\n",
      rowsView, timeView * 1000 / kRounds, timeBare * 1000 / kRounds, timeView / timeBare);
  return 0;
}
