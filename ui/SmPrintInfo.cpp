#include "ui/SmPrintInfo.h"

#include <QGuiApplication>
#include <QPalette>
#include <utility>

#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "ui/SmPrintHooks.h"

namespace {

constexpr const char* kFontColumns =
    "nFlag,sFieldMode,nOrd,"
    "lfHeight,lfWidth,lfEscapement,lfOrientation,"
    "lfWeight,lfItalic,lfUnderline,lfStrikeOut,"
    "lfCharSet,lfOutPrecision,lfClipPrecision,"
    "lfQuality,lfPitchAndFamily,"
    "lfFaceName";
constexpr const char* kFontValueColumns =
    "lfHeight,lfWidth,lfEscapement,lfOrientation,lfWeight,lfItalic,lfUnderline,lfStrikeOut,"
    "lfCharSet,lfOutPrecision,lfClipPrecision,lfQuality,lfPitchAndFamily";
constexpr const char* kPageColumns =
    "nFlag,sFieldMode,"
    "AllPage,SelectPage,MaxPage,FromPage,ToPage,"
    "PageRow,PageWidth,PageLength,PageLeft,PageTop,"
    "PageRight,PageBottom,PageCopies,TopicColor,HeadColor,"
    "TextColor,TailColor,OutBox,FormLine";
constexpr const char* kPageValueColumns =
    "AllPage,SelectPage,MaxPage,FromPage,ToPage,PageRow,PageWidth,PageLength,PageLeft,PageTop,"
    "PageRight,PageBottom,PageCopies,TopicColor,HeadColor,TextColor,TailColor,OutBox,FormLine";
constexpr int kModeWidth = 20;
constexpr int kFaceWidth = 60;

SmColorRef WindowTextColor() {
  if (!QGuiApplication::instance()) return 0;
  const QColor c = QGuiApplication::palette().color(QPalette::WindowText);
  return static_cast<SmColorRef>(c.red()) | static_cast<SmColorRef>(c.green()) << 8 |
         static_cast<SmColorRef>(c.blue()) << 16;
}

// "CREATE TABLE name(columns lastType)" with every column LONG but the mode text.
void CreateTable(CSmDatabase* db, const char* table, const char* columns, const char* lastType) {
  if (!db || db->TableExists(table)) return;
  std::string list = ReplaceAll(columns, ",", " LONG,");
  list = ReplaceAll(list, "sFieldMode LONG", "sFieldMode CHAR(20)");
  const std::string jet = FormatStr("CREATE TABLE %s(%s %s)", table, list.c_str(), lastType);
  db->ExecuteSQL(jet, ReplaceAll(jet, "LONG", "INT"));
}

std::array<int, 13> FontNumbers(const SmLogFont& f) {
  return {f.height,        f.width,     f.escapement,    f.orientation, f.weight,
          f.italic,        f.underline, f.strikeOut,     f.charSet,     f.outPrecision,
          f.clipPrecision, f.quality,   f.pitchAndFamily};
}

void SetFontNumbers(SmLogFont& f, const std::vector<long>& v) {
  f.height = v[0];
  f.width = v[1];
  f.escapement = v[2];
  f.orientation = v[3];
  f.weight = v[4];
  // The byte members are stored as unsigned numbers.
  f.italic = (v[5] & 0xFF) != 0;
  f.underline = (v[6] & 0xFF) != 0;
  f.strikeOut = (v[7] & 0xFF) != 0;
  f.charSet = v[8] & 0xFF;
  f.outPrecision = v[9] & 0xFF;
  f.clipPrecision = v[10] & 0xFF;
  f.quality = v[11] & 0xFF;
  f.pitchAndFamily = v[12] & 0xFF;
}

bool SameFont(const SmLogFont& a, const SmLogFont& b) {
  return FontNumbers(a) == FontNumbers(b) && a.faceName == b.faceName;
}

// Runs the statements in one transaction; the first failure rolls everything back.
bool RunInTransaction(CSmDatabase* db, const std::vector<std::string>& statements) {
  if (!db->BeginTrans()) return false;
  for (const std::string& statement : statements) {
    if (!db->ExecuteSQL(statement)) {
      db->Rollback();
      return false;
    }
  }
  return db->CommitTrans();
}

}  // namespace

bool CSmPrintInfo::operator==(const CSmPrintInfo& other) const {
  if (Numbers() != other.Numbers() || m_widths != other.m_widths) return false;
  for (size_t i = 0; i < m_fonts.size(); ++i) {
    if (!SameFont(m_fonts[i], other.m_fonts[i])) return false;
  }
  return true;
}

std::array<int, 19> CSmPrintInfo::Numbers() const {
  return {AllPage,
          SelectPage,
          MaxPage,
          FromPage,
          ToPage,
          PageRow,
          PageWidth,
          PageLength,
          PageLeft,
          PageTop,
          PageRight,
          PageBottom,
          PageCopies,
          static_cast<int>(TopicColor),
          static_cast<int>(HeadColor),
          static_cast<int>(TextColor),
          static_cast<int>(TailColor),
          static_cast<int>(OutBox),
          static_cast<int>(FormLine)};
}

void CSmPrintInfo::SetNumbers(const std::array<int, 19>& v) {
  int* const numbers[] = {&AllPage,   &SelectPage, &MaxPage,    &FromPage, &ToPage,
                          &PageRow,   &PageWidth,  &PageLength, &PageLeft, &PageTop,
                          &PageRight, &PageBottom, &PageCopies};
  for (size_t i = 0; i < std::size(numbers); ++i) *numbers[i] = v[i];
  SmColorRef* const colours[] = {&TopicColor, &HeadColor, &TextColor,
                                 &TailColor,  &OutBox,    &FormLine};
  for (size_t i = 0; i < std::size(colours); ++i) {
    *colours[i] = static_cast<SmColorRef>(v[std::size(numbers) + i]);
  }
}

void CSmPrintInfo::Reset() {
  SetNumbers({1, 0, 5, 1, 1, 25, 2100, 2970, 200, 200, 200, 200, 1, 0, 0, 0, 0, 0, 0});
  const SmColorRef text = WindowTextColor();
  TopicColor = HeadColor = TextColor = TailColor = OutBox = FormLine = text;
  const std::pair<const char*, int> faces[] = {
      {"黑体", -29}, {"楷体_GB2312", -14}, {"宋体", -14}, {"楷体_GB2312", -14}};
  for (size_t i = 0; i < m_fonts.size(); ++i) {
    CSmUtil().InitDefaultLogFont(m_fonts[i]);
    m_fonts[i].faceName = faces[i].first;
    m_fonts[i].height = faces[i].second;
  }
  m_mode.clear();
  m_widths.clear();
}

void CSmPrintInfo::LoadDefault(int nFlag, const std::string& sFieldMode) {
  Reset();
  SmNotifyPrintDefaults(nFlag, sFieldMode, this);
  // The modules set the page in portrait terms, as it is stored.
  if (PageCopies == 0) std::swap(PageWidth, PageLength);
}

void CSmPrintInfo::Load(CSmDatabase* db, int nFlag, const std::string& sFieldMode) {
  if (!db) return;
  const std::string mode = db->SqlText(sFieldMode, kModeWidth);
  CSmQuery page(19, 0, 0, db);
  if (page.Open(FormatStr("SELECT %s FROM SMPAGESET WHERE nFlag=%d And sFieldMode='%s'",
                          kPageValueColumns, nFlag, mode.c_str())) &&
      !page.IsEOF()) {
    std::array<int, 19> values{};
    for (int i = 0; i < 19; ++i) values[i] = static_cast<int>(page.GetInt(i));
    SetNumbers(values);
    if (PageCopies == 0) std::swap(PageWidth, PageLength);
  } else {
    LoadDefault(nFlag, sFieldMode);
  }

  for (int ord = 0; ord < 4; ++ord) {
    CSmQuery font(13, 0, 1, db);
    if (!font.Open(FormatStr("SELECT %s,rtrim(lfFaceName) FROM SMFONT WHERE nFlag=%d AND "
                             "sFieldMode='%s' AND nOrd=%d",
                             kFontValueColumns, nFlag, mode.c_str(), ord)) ||
        font.IsEOF()) {
      continue;
    }
    SetFontNumbers(m_fonts[ord], font.GetIntValues());
    m_fonts[ord].faceName = font.GetString(0);
  }

  m_widths.clear();
  CSmQuery widths(1, 0, 0, db);
  if (widths.Open(FormatStr(
          "SELECT NWIDTH FROM FIELDWIDTH WHERE NFLAG=%d AND SFIELDMODE='%s' ORDER BY NFIELD", nFlag,
          mode.c_str()))) {
    for (; !widths.IsEOF(); widths.MoveNext()) {
      m_widths.push_back(static_cast<int>(widths.GetInt(0)));
    }
  }
  m_mode = sFieldMode;
}

bool CSmPrintInfo::Save(CSmDatabase* db, int nFlag, const std::string& sFieldMode) const {
  if (!db) return false;
  const std::string mode = db->SqlText(sFieldMode, kModeWidth);
  std::vector<std::string> statements = {
      FormatStr("DELETE FROM SMPAGESET WHERE nFlag=%d AND SFIELDMODE = '%s'", nFlag, mode.c_str()),
      FormatStr("DELETE FROM SMFONT WHERE nFlag=%d AND SFIELDMODE = '%s'", nFlag, mode.c_str())};

  std::array<int, 19> numbers = Numbers();
  if (PageCopies == 0) std::swap(numbers[6], numbers[7]);  // stored in portrait terms
  std::string values = FormatStr("%d,'%s'", nFlag, mode.c_str());
  for (int n : numbers) values += FormatStr(",%d", n);
  statements.push_back(
      FormatStr("INSERT INTO SMPAGESET(%s) VALUES(%s)", kPageColumns, values.c_str()));

  for (int ord = 0; ord < 4; ++ord) {
    const SmLogFont& font = m_fonts[ord];
    std::string fontValues = FormatStr("%d,'%s',%d", nFlag, mode.c_str(), ord);
    for (int n : FontNumbers(font)) fontValues += FormatStr(",%d", n);
    fontValues += ",'" + db->SqlText(font.faceName, kFaceWidth) + "'";
    statements.push_back(
        FormatStr("INSERT INTO SMFONT(%s) VALUES(%s)", kFontColumns, fontValues.c_str()));
  }

  statements.push_back(FormatStr("DELETE FROM FIELDWIDTH WHERE nFlag=%d AND SFIELDMODE = '%s'",
                                 nFlag, mode.c_str()));
  for (size_t i = 0; i < m_widths.size(); ++i) {
    statements.push_back(
        FormatStr("INSERT INTO FIELDWIDTH(NFLAG,SFIELDMODE,NFIELD,NWIDTH) VALUES(%d,'%s',%d,%d)",
                  nFlag, mode.c_str(), static_cast<int>(i), m_widths[i]));
  }
  return RunInTransaction(db, statements);
}

void CSmPrintInfo::CreateSmFontTable(CSmDatabase* db) {
  CreateTable(db, "SMFONT", kFontColumns, "CHAR(60)");
}

void CSmPrintInfo::CreateSmPageSetTable(CSmDatabase* db) {
  if (!db || db->TableExists("SMPAGESET")) return;
  CreateTable(db, "SMPAGESET", kPageColumns, "LONG");
  if (db->TableExists("FIELDWIDTH")) return;
  const std::string jet =
      "CREATE TABLE FIELDWIDTH(NFLAG LONG,SFIELDMODE CHAR(20),NFIELD LONG,NWIDTH LONG)";
  db->ExecuteSQL(jet, ReplaceAll(jet, "LONG", "INT"));
}
