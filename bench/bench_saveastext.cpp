// Saving a 200,000-row document as a text file through the wizard: building the preview (the
// page that shows the text) and finishing (the file written), beside a bare loop that composes
// the same lines, converts them to GBK and writes the same bytes.
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_bare.h"
#include "bench/bench_farmers.h"
#include "bench/bench_program.h"
#include "bench/bench_purchase_doc.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "forms/SmDoc.h"
#include "forms/SmSaveAsText.h"

namespace {

constexpr int kRounds = 3;
constexpr int kRows = 200000;

// Name, weight, price and amount; every tenth weight is empty.
class BenchDoc : public CBenchPurchaseDoc {
 public:
  BenchDoc() : CBenchPurchaseDoc("单价/NUMBER/RIGHT", "金额/NUMBER/RIGHT") {}
  void Fill() {
    FillRows(kRows, [](int i) -> std::vector<std::string> {
      return {"农户" + std::to_string(i), i % 10 ? std::to_string(i % 97 + 1) + ".5" : "", "0.42",
              std::to_string(i % 97 * 3) + ".21"};
    });
  }
};

std::string ReadAll(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// The bare loop: the same lines composed, converted and written in one go.
double Bare(const BenchDoc& doc, const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  std::string text;
  for (const auto& row : doc.m_rows) {
    for (int c = 0; c < 4; ++c) {
      if (c > 0) text += '\t';
      text += row[c].empty() && c > 0 ? "0" : row[c];
    }
    text += "\r\n";
  }
  std::string gbk;
  Utf8ToGbk(text, gbk);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(gbk.data(), 1, gbk.size(), file);
  std::fclose(file);
  return BenchElapsed(start);
}

}  // namespace

int main(int argc, char** argv) {
  const CBenchFolder folder("sm_bench_text");
  CBenchProgram program(argc, argv);
  const std::string path = BenchYearFile(program.App(), folder);
  if (path.empty()) return 1;
  CSmDatabase* db = program.App().m_env.Connection();
  if (!db->Open(path)) return 1;
  BenchDoc doc;
  doc.m_db = db;
  doc.InitDocument();
  doc.LoadFormDef();
  doc.Fill();

  const std::string ours = folder / "ours.txt";
  const std::string bare = folder / "bare.txt";
  double preview = 0, finish = 0, loop = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::filesystem::remove(ours);
    CSaveAsTextSheet sheet(doc);
    sheet.show();
    for (int column = 0; column < 4; ++column) sheet.Page1()->List()->SetCheck(column, true);
    auto start = std::chrono::steady_clock::now();
    sheet.next();
    BenchKeepBest(preview, BenchElapsed(start));
    sheet.next();
    sheet.findChild<QLineEdit*>("1005")->setText(QString::fromStdString(ours));
    start = std::chrono::steady_clock::now();
    sheet.findChild<QPushButton*>("12325")->click();
    BenchKeepBest(finish, BenchElapsed(start));
    BenchKeepBest(loop, Bare(doc, bare));
  }
  const bool same = !ReadAll(ours).empty() && ReadAll(ours) == ReadAll(bare);
  std::printf(
      "save as text, 200,000 rows of four columns, best of %d (seconds; ratio to a bare "
      "loop writing the same bytes, %.4f s)\n",
      kRounds, loop);
  std::printf("  %-24s %8.4f s   ratio %8.2f\n", "preview page", preview,
              loop > 0 ? preview / loop : 0);
  std::printf("  %-24s %8.4f s   ratio %8.2f\n", "finish (file written)", finish,
              loop > 0 ? finish / loop : 0);
  std::printf("  files the same: %s\n", same ? "yes" : "no");
  return same ? 0 : 1;
}
