// Reports as stored in the report tables of a data file, as a data file from elsewhere may hold
// them. The input is lines "T|value|value...": T the table (0 bbInfo ... 7 bbInfo7), then its
// columns after nNo in order; a value that is a whole number is stored as a number, anything
// else as a text. A line "C|path" opens that child table instead of the master. Report 1 is
// loaded and paged for printing.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "designer/BbDataType.h"
#include "designer/RiloData.h"
#include "designer/RiloPrint.h"
#include "fuzz/SmFuzzSupport.h"

namespace {

const char* const kInserts[] = {
    "Insert Into bbInfo(nNo,sNa,sCopyRight,sWritePsd,sReadPsd,nRowNum,nColNum) "
    "Values(1,?,?,?,?,?,?)",
    "Insert Into bbInfo1(nNo,rectBound,rectStatic,sizePaper,bIsRowFirst,nScrFact,nLpFact) "
    "Values(1,?,?,?,?,?,?)",
    "Insert Into bbInfo2(nNo,sFlg,sValue) Values(1,?,?)",
    "Insert Into bbInfo3(nNo,sFlg,nxy,nValue) Values(1,?,?,?)",
    "Insert Into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(1,?,?,?,?)",
    "Insert Into bbInfo5(nNo,sFlg,nx,ny,sValue) Values(1,?,?,?,?)",
    "Insert Into bbInfo6(nNo,sSubNo,nx,ny,sValue) Values(1,?,?,?,?)",
    "Insert Into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(1,?,?,?)",
};
constexpr size_t kColumns[] = {6, 6, 2, 3, 4, 4, 4, 3};

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

SmDbValue ValueOf(std::string_view text) {
  long long number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (!text.empty() && ec == std::errc() && end == text.data() + text.size())
    return SmDbValue::OfInt(number);
  return SmDbValue::OfText(std::string(text));
}

struct DataFile {
  CSmApp app;
  CSmDatabase* db = nullptr;
  DataFile() {
    app.AdoptDataType(std::make_unique<CBbDataType>())->Init();
    SmFuzzOpenDataFile(app);
    db = app.GetDatabase();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static DataFile file;
  CSmDatabase& db = *file.db;
  std::string subNo;
  db.BeginTrans();
  for (const char* table :
       {"bbInfo", "bbInfo1", "bbInfo2", "bbInfo3", "bbInfo4", "bbInfo5", "bbInfo6", "bbInfo7"})
    db.ExecuteSQL(std::string("Delete From ") + table);
  for (std::string_view line :
       Split(std::string_view(reinterpret_cast<const char*>(data), size), '\n')) {
    std::vector<std::string_view> fields = Split(line, '|');
    if (fields[0] == "C" && fields.size() > 1) subNo = std::string(fields[1]);
    if (fields[0].size() != 1 || fields[0][0] < '0' || fields[0][0] > '7') continue;
    const size_t table = static_cast<size_t>(fields[0][0] - '0');
    std::vector<SmDbValue> values;
    for (size_t k = 1; k <= kColumns[table]; ++k)
      values.push_back(k < fields.size() ? ValueOf(fields[k]) : SmDbValue{});
    db.ExecuteBound(kInserts[table], {}, values, false);
  }
  db.CommitTrans();
  SmFuzzResetMessages();

  CRiloData sheet;
  if (sheet.LoadFromDb(1, subNo, false, &db)) {
    CRiloPager pager(sheet, false, false);
    int across = 0;
    int down = 0;
    pager.PageCounts(sheet.m_printFactor, across, down);
  }
  CRiloData info;
  info.LoadFromDb(1, subNo, true, &db);
  SmFuzzResetMessages();
  return 0;
}
