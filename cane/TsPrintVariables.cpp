// The print variables of the ticket and the two slips and the page defaults of the reports.
#include "cane/TsDataType.h"
#include "cane/TsParams.h"
#include "core/SmString.h"
#include "ui/SmPrintInfo.h"

namespace {

void AddTicketVariables(CSmPrintVarList& rows) {
  auto add = [&rows](const std::string& caption, const std::string& text) {
    rows.push_back({caption, text, ""});
  };
  add("提示", "以下是过磅单打印时可选用的变量，请按需要定义它们的打印位置。");
  add("农户", "(#nhh)#nhm");
  for (int level = 0; level < 5; ++level) {
    add(FormatStr("%d级农户区划名", level + 1), FormatStr("#qhnh%d", level));
  }
  const char* const kFixed[][2] = {
      {"驾驶员", "(#yhh)#yhm"},
      {"砍运地", "(#cdh)#cdm"},
      {"甘蔗品种", "(#zph)#zpm"},
      {"毛重操作员", "(#mah)#mam"},
      {"除皮操作员", "(#pih)#pim"},
      {"单号", "#dh"},
      {"过磅时间", "#yy年#mm月#dd日#HH:#MM:#SS"},
      {"打印时间", "#py年#pm月#pd日#pH日#pM分#pS秒"},
      {"限载数", "#xzx～#xzs"},
      {"运距", "#yj公里"},
      {"毛重数", "#mz"},
      {"皮重数", "#pz"},
      {"扣质检", "#zz"},
      {"杂质比", "#zb"},
      {"净重数", "#sl"},
      {"含杂质净重数", "#ysl"},
      {"蔗价", "#djz"},
      {"运价", "#djy"},
      {"蔗款(小写)", "#jez"},
      {"蔗款(大写)", "#dxz"},
      {"运费(小写)", "#jey"},
      {"运费(大写)", "#dxy"},
      {"蔗款合计(小写)", "#hjz"},
      {"蔗款合计(大写)", "#hjdz"},
      {"运费合计(小写)", "#hjy"},
      {"运费合计(大写)", "#hjdy"},
  };
  for (const auto& row : kFixed) add(row[0], row[1]);
  const int items = TsGetItemCount(0);
  for (int n = 1; n <= items; ++n) {
    add(FormatStr("应(代)扣(补)蔗款项目%d", n), FormatStr("#gbz%02d", n));
  }
  for (int n = 1; n <= items; ++n) {
    add(FormatStr("应(代)扣(补)运费项目%d", n), FormatStr("#gby%02d", n));
  }
}

void AddSlipVariables(CSmPrintVarList& rows) {
  auto add = [&rows](const std::string& caption, const std::string& text) {
    rows.push_back({caption, text, ""});
  };
  add("提示", "以下是结算单打印时可选用的变量，请按需要定义它们的打印位置。");
  const char* const kFixed[][2] = {
      {"结算人", "(#jd)#jm"},
      {"结算员", "(#jcd)#jcm"},
      {"付款员", "(#jfd)#jfm"},
      {"复核员", "(#jhd)#jhm"},
      {"单号", "#dh"},
      {"结算时间", "#yy年#mm月#dd日"},
      {"打印时间", "#py年#pm月#pd日#pH日#pM分#pS秒"},
      {"毛重数", "#mz"},
      {"皮重数", "#pz"},
      {"扣质检", "#zz"},
      {"净重数", "#sl"},
      {"含杂质净重数", "#ysl"},
      {"杂质比", "#zb"},
      {"单价", "#dj"},
      {"价款(小写)", "#je"},
      {"价款(大写)", "#dxje"},
      {"应扣(补)合计", "#ykh"},
      {"代扣款合计", "#dkh"},
      {"扣预付款合计", "#yfh"},
      {"应付款(小写)", "#fky"},
      {"应付款(大写)", "#dfky"},
      {"实付款(小写)", "#fks"},
      {"实付款(大写)", "#dfks"},
  };
  for (const auto& row : kFixed) add(row[0], row[1]);
  for (int n = 1; n <= TsGetItemCount(0); ++n) {
    add(FormatStr("过磅单单列款项%d", n), FormatStr("#gb%02d", n));
  }
  for (int n = 1; n <= TsGetItemCount(1); ++n) {
    add(FormatStr("结算单单列款项%d", n), FormatStr("#js%02d", n));
  }
  add("过磅单数", "#ds");
}

}  // namespace

void CTsDataType::GetPrintVariables(int group, CSmPrintVarList& rows) {
  if (group < 0) {
    rows.push_back({"9601", "过磅单", ""});
    rows.push_back({"9602", "蔗款结算单", ""});
    rows.push_back({"9603", "运费结算单", ""});
    return;
  }
  if (group == 9601) {
    AddTicketVariables(rows);
  } else if (group == 9602 || group == 9603) {
    AddSlipVariables(rows);
  } else {
    return;
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i][2] = FormatStr("300 %d 14 400 0 0 宋体", 400 + 60 * static_cast<int>(i));
  }
}

void CTsDataType::OnNotify(int flag, const std::string& /*text*/, void* data) {
  // Tickets (255) and settlements (256) keep the portrait defaults.
  if (flag <= 256 || !data) return;
  auto* info = static_cast<CSmPrintInfo*>(data);
  info->PageRow = 22;
  info->PageWidth = 2100;
  info->PageLength = 2970;
  info->PageLeft = 150;
  info->PageTop = 250;
  info->PageRight = 100;
  info->PageBottom = 200;
  info->PageCopies = 0;  // landscape
  info->m_fonts[2].height = -12;
}
