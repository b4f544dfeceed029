// The form grid over a 200,000-row table: one paint, a page down, the thumb to the middle and to
// the end (each followed by its paint), beside the same visible texts and grid lines drawn with
// bare QPainter calls on the same image. The ratio of the two is the grid's cost per paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "forms/SmFormView.h"
#include "platform/SmMessage.h"

namespace {

constexpr int kRows = 200000;
constexpr int kColumns = 6;

std::string CellText(int row, int column) {
  return column == 0 ? std::to_string(row + 1) : "甘蔗" + std::to_string(row * 7 + column);
}

class BenchView : public CSmFormView {
 public:
  BenchView() {
    ResetViewState();
    m_screenMargins = {10, 10, 10, 10};
    SetColumnCount(kColumns);
    InitLayout(kRows, 1, 1, 0, 0);
    resize(1000, 700);
    show();
  }
  void DrawCell(CSmFormDC& dc, int row, int column, const std::string& region) override {
    DrawCellText(row, column, dc, CellText(row, column), column == 0 ? "RIGHT" : "LEFT", region, 0,
                 false);
  }
  void Paint(QImage& image) { render(&image); }
};

// What one paint of the grid puts on the image, drawn directly: the page's cell texts with
// their opaque bands, the row lines and the column lines.
struct BarePage {
  std::vector<QRect> cells;
  std::vector<QLine> lines;
  QFont font;
  int ascent = 0;
};

BarePage MeasurePage(BenchView& view) {
  BarePage page;
  CSmFormDC& dc = view.ScreenDC();
  page.font = view.GetRegionFont("TEXT", dc).font;
  page.ascent = view.GetRegionFont("TEXT", dc).ascent;
  const int first = view.GetFirstVisibleRow();
  const int rows = view.GetPageRows();
  for (int r = first; r < first + rows; ++r) {
    for (int c = 0; c < kColumns; ++c) page.cells.push_back(view.GetCellRect(r, c, "TEXT", dc));
  }
  const int left = view.GetColumnLineX(0, dc, "TEXT", 0);
  const int right = view.GetColumnLineX(kColumns, dc, "TEXT", 0);
  for (int r = first; r <= first + rows; ++r) {
    const int y = view.GetRowLineY(r, dc, "TEXT");
    page.lines.emplace_back(left, y, right, y);
  }
  const int top = view.GetRowLineY(first, dc, "TEXT");
  const int bottom = view.GetRowLineY(first + rows, dc, "TEXT");
  for (int c = 0; c <= kColumns; ++c) {
    const int x = view.GetColumnLineX(c, dc, "TEXT", 0);
    page.lines.emplace_back(x, top, x, bottom);
  }
  return page;
}

void BarePaint(QImage& image, const BarePage& page, int first) {
  QPainter painter(&image);
  painter.fillRect(image.rect(), Qt::white);
  painter.setPen(Qt::black);
  painter.drawLines(page.lines.data(), static_cast<int>(page.lines.size()));
  painter.setFont(page.font);
  for (size_t i = 0; i < page.cells.size(); ++i) {
    const QRect& cell = page.cells[i];
    const int row = first + static_cast<int>(i) / kColumns;
    painter.fillRect(cell, Qt::white);
    painter.drawText(cell.left() + 4, cell.top() + page.ascent,
                     QString::fromStdString(CellText(row, static_cast<int>(i) % kColumns)));
  }
}

// The scroll steps of one round: a paint, a page down, the thumb to the middle, to the end.
void Round(BenchView& view, QImage& image) {
  view.OnVScroll(SmScroll::kTop);
  view.Paint(image);
  view.OnVScroll(SmScroll::kPageDown);
  view.Paint(image);
  view.OnVScroll(SmScroll::kThumb, kRows / 2);
  view.Paint(image);
  view.OnVScroll(SmScroll::kBottom);
  view.Paint(image);
}

void BM_FormViewPaintAndScroll(benchmark::State& state) {
  BenchView view;
  QImage image(view.size(), QImage::Format_RGB32);
  for (auto _ : state) Round(view, image);
}

void BM_BareQPainter(benchmark::State& state) {
  BenchView view;
  QImage image(view.size(), QImage::Format_RGB32);
  const int pageRows = view.GetPageRows();
  std::vector<std::pair<int, BarePage>> pages;
  for (int first : {0, pageRows, kRows / 2, kRows - pageRows}) {
    view.OnVScroll(SmScroll::kThumb, first);
    pages.emplace_back(first, MeasurePage(view));
  }
  for (auto _ : state) {
    for (const auto& [first, page] : pages) BarePaint(image, page, first);
  }
}

BENCHMARK(BM_FormViewPaintAndScroll)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BareQPainter)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  CSmMessageService::Instance().SetTestMode(true);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
