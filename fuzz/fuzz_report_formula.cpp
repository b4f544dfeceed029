// Formulas of report cells as the report evaluator reads them: cell and region references,
// report sources in the data file and in files, group functions with conditions and the report
// variables, on child 3 of report 12. Every formula ends in a value or an error.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/SmApp.h"
#include "designer/BbDataType.h"
#include "designer/CaculateChild.h"
#include "designer/RiloData.h"
#include "fuzz/SmFuzzSupport.h"

namespace {

// A sheet of `rows` x `cols` with the given texts and plain formats.
CRiloData Sheet(int rows, int cols, std::vector<std::string> texts) {
  CRiloData sheet;
  sheet.m_rows = rows;
  sheet.m_cols = cols;
  const size_t cells = static_cast<size_t>(rows * cols);
  texts.resize(cells);
  sheet.m_texts = texts;
  sheet.m_rowHeights.assign(static_cast<size_t>(rows), 70);
  sheet.m_colWidths.assign(static_cast<size_t>(cols), 300);
  sheet.m_lineStyles.assign(static_cast<size_t>((rows + 1) * (cols + 1)), {0, 0});
  sheet.m_lineColors = sheet.m_lineStyles;
  sheet.m_backColors.assign(cells, 0xFFFFFF);
  sheet.m_layout3.assign(cells, {0, 0});
  sheet.m_layout4 = sheet.m_layout3;
  sheet.m_layout5 = sheet.m_layout3;
  sheet.m_numberFormats.assign(cells, {2, 2});
  return sheet;
}

const std::vector<std::string> kCells = {"1", "2", "3", "1,000", "-4.50", "abc"};

struct Reports {
  CSmApp app;
  Reports() {
    app.AdoptDataType(std::make_unique<CBbDataType>())->Init();
    SmFuzzOpenDataFile(app);
    CSmDatabase* db = app.GetDatabase();
    std::vector<std::string> values;
    for (const std::string& v : kCells) values.push_back("\x01\x01\x01" + v);
    CRiloData master = Sheet(3, 2, {"a", "=b", "c"});
    CRiloData child = Sheet(3, 2, values);
    child.m_tableName = "三月";
    if (!master.SaveToDb(12, {}, false, db) || !child.SaveToDb(12, "3", false, db))
      SmFuzzFail("cannot store the reports");
    // The same child as a file beside the data file.
    if (!child.SaveFile(SmFuzzHome() + "/data/12.QLN")) SmFuzzFail("cannot write the report");
    SmFuzzResetMessages();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Reports reports;
  const std::string formula(reinterpret_cast<const char*>(data), size);
  CCaculateChild calc;
  calc.m_defaultSource.SetSource(CCaculateChild::GetAppDataFileName() + "\\12\\3", 3, 2, kCells);
  calc.m_defaultSource.m_nCol = 1;
  calc.m_defaultSource.m_nRow = 2;
  reports.app.m_dataTypes.front()->GetDefaultVars(calc.m_vars);
  std::string result;
  int type = 0;
  calc.Evaluate(formula, result, type);
  int code = 0;
  int position = 0;
  std::string message;
  calc.GetErrorInfo(code, message, position);
  SmFuzzResetMessages();
  return 0;
}
