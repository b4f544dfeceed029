#include "ui/SmListPrint.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <numeric>

#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFontDlg.h"
#include "ui/SmFonts.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"

namespace {

constexpr int kCsTextWidth = 200;  // CSNA and CSVAL
constexpr double kDotsPerTenthMmPerDpi = 0.003937824;

QColor ToQColor(SmColorRef c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

void ShowStop(const std::string& text) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
}

}  // namespace

SmLogFont SmDefaultLogFont(const char* face, int height) {
  SmLogFont font;
  CSmUtil().InitDefaultLogFont(font);
  font.faceName = face;
  font.height = height;
  return font;
}

std::string SmLogFontMember(const SmLogFont& f, int j) {
  const int numbers[] = {f.height,        f.width,        f.escapement,    f.orientation,
                         f.weight,        f.italic,       f.underline,     f.strikeOut,
                         f.charSet,       f.outPrecision, f.clipPrecision, f.quality,
                         f.pitchAndFamily};
  return j < 13 ? std::to_string(numbers[j]) : f.faceName;
}

void SmSetLogFontMember(SmLogFont& f, int j, const std::string& text) {
  if (j == 13) {
    f.faceName = text;
    return;
  }
  const int v = StrToIntDef(text, 0);
  int* const numbers[] = {&f.height,        &f.width,        &f.escapement,    &f.orientation,
                          &f.weight,        nullptr,         nullptr,          nullptr,
                          &f.charSet,       &f.outPrecision, &f.clipPrecision, &f.quality,
                          &f.pitchAndFamily};
  if (j == 5) f.italic = v != 0;
  if (j == 6) f.underline = v != 0;
  if (j == 7) f.strikeOut = v != 0;
  if (numbers[j]) *numbers[j] = v;
}

namespace {

// Every stored item of a layout with its text: (item, value).
std::vector<std::pair<int, std::string>> StoredItems(const CSmListPrintSettings& s,
                                                     bool onlyChanged) {
  const CSmListPrintSettings fresh;
  std::vector<std::pair<int, std::string>> items;
  for (int i = 0; i < 4; ++i) items.emplace_back(i, std::to_string(s.rowHeights[i]));
  items.emplace_back(10, s.title);
  items.emplace_back(11, s.header);
  items.emplace_back(12, s.footer);
  for (int i = 0; i < 4; ++i) items.emplace_back(20 + i, std::to_string(s.margins[i]));
  const auto add = [&](int item, int value, int freshValue) {
    if (!onlyChanged || value != freshValue) items.emplace_back(item, std::to_string(value));
  };
  const bool turned = s.landscape != 0;
  add(30, turned ? s.paperLength : s.paperWidth, fresh.paperWidth);
  add(31, turned ? s.paperWidth : s.paperLength, fresh.paperLength);
  for (int i = 0; i < 4; ++i) {
    add(40 + i, static_cast<int>(s.colors[i]), static_cast<int>(fresh.colors[i]));
  }
  add(50, s.landscape, fresh.landscape);
  for (int k = 0; k < 4; ++k) {
    for (int j = 0; j <= 13; ++j) {
      const std::string value = SmLogFontMember(s.fonts[k], j);
      if (!onlyChanged || value != SmLogFontMember(fresh.fonts[k], j)) {
        items.emplace_back(100 * (k + 1) + j, value);
      }
    }
  }
  return items;
}

void SetItem(CSmListPrintSettings& s, int item, const std::string& value) {
  const int number = StrToIntDef(value, 0);
  if (item >= 0 && item <= 3) s.rowHeights[item] = number;
  if (item == 10) s.title = value;
  if (item == 11) s.header = value;
  if (item == 12) s.footer = value;
  if (item >= 20 && item <= 23) s.margins[item - 20] = number;
  if (item >= 4 && item <= 7) s.margins[item - 4] = number;
  if (item == 30 || item == 8) s.paperWidth = number;
  if (item == 31 || item == 9) s.paperLength = number;
  if (item >= 40 && item <= 43) s.colors[item - 40] = static_cast<SmColorRef>(number);
  if (item == 50) s.landscape = number;
  const int k = item / 100;
  const int j = item % 100;
  if (k >= 1 && k <= 4 && j <= 13) SmSetLogFontMember(s.fonts[k - 1], j, value);
}

}  // namespace

// ---------------------------------------------------------------- settings

CSmListPrintSettings::CSmListPrintSettings()
    : fonts{SmDefaultLogFont("黑体", 22), SmDefaultLogFont("楷体_GB2312", 14),
            SmDefaultLogFont("楷体_GB2312", 14), SmDefaultLogFont("宋体", 14)} {}

std::vector<std::pair<int, std::string>> SmLoadCsItems(CSmDatabase* db, int group, int key) {
  std::vector<std::pair<int, std::string>> items;
  if (!db) return items;
  CSmCsRecordArray rows;
  CSmCsRecord(db).LoadRows(group, key, &rows, db);
  for (const CSmCsRecord& row : rows) items.emplace_back(StrToIntDef(row.CsNa, -1), row.CsVal);
  return items;
}

bool SmReplaceCsItems(CSmDatabase* db, int group, int key,
                      const std::vector<std::pair<int, std::string>>& items) {
  if (!db) return false;
  return SmRunInTransaction(db, [&] {
    if (!CSmCsRecord(db).Delete(group, key, db)) return false;
    for (const auto& [item, value] : items) {
      CSmCsRecord row(db);
      row.Set(group, key, std::to_string(item), GbkCut(value, kCsTextWidth));  // Insert escapes
      if (!row.Insert(db)) return false;
    }
    return true;
  });
}

bool SmAskFont(QWidget* parent, SmLogFont& font, SmColorRef& color) {
  CSmFontDlg dlg(font, color, {}, parent);
  if (dlg.DoModal() != SM_IDOK) return false;
  std::string codes;
  dlg.GetLogFont(font, color, codes);
  return true;
}

void SmPrintList(QTreeWidget* list, CSmDatabase* db, int key, const std::string& title) {
  CSmListPrintJob job(list, db);
  job.m_settings.key = key;
  job.m_settings.title = title;
  job.Print(SM_ID_FILE_PRINT);
}

void SmListPageSetup(QWidget* parent, CSmDatabase* db, int key, const std::string& title) {
  CSmListPrintPageDlg dlg(key, title, db, parent);
  dlg.DoModal();
}

void CSmListPrintSettings::Load(CSmDatabase* db) {
  for (const auto& [item, value] : SmLoadCsItems(db, kSmListPrintGroup, key)) {
    SetItem(*this, item, value);
  }
  if (landscape) std::swap(paperWidth, paperLength);
}

bool CSmListPrintSettings::Save(CSmDatabase* db) const {
  return SmReplaceCsItems(db, kSmListPrintGroup, key, StoredItems(*this, true));
}

std::string SmExpandPageLine(const std::string& line, int page, int pages) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '%') {
      out += line[i];
    } else if (i + 1 < line.size()) {
      const char next = line[++i];
      if (next == '0') {
        out += std::to_string(page);
      } else if (next == '1') {
        out += std::to_string(pages);
      } else {
        out += next;
      }
    }
  }
  return out;
}

std::vector<std::string> SmSplitPageLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

SmPaperText SmParsePaperText(const std::string& text, int& width, int& length) {
  const size_t first = text.find_first_not_of(" \t");
  const std::string trimmed = first == std::string::npos ? std::string() : text.substr(first);
  size_t digits = 0;
  while (digits < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[digits])))
    ++digits;
  if (digits == 0 || digits > 9) return SmPaperText::kInvalid;
  const int leading = std::stoi(trimmed.substr(0, digits));
  if (trimmed.compare(0, digits, std::to_string(leading)) != 0) return SmPaperText::kInvalid;
  width = leading;
  const size_t next = trimmed.find_first_of("0123456789", digits);
  if (next == std::string::npos) return SmPaperText::kWidthOnly;
  size_t end = next;
  while (end < trimmed.size() && end - next < 9 &&
         std::isdigit(static_cast<unsigned char>(trimmed[end])))
    ++end;
  length = std::stoi(trimmed.substr(next, end - next));
  return SmPaperText::kWidthAndLength;
}

std::string SmCheckPaperText(const std::string& text, bool keepLength, int& width, int& length) {
  int w = 0;
  int l = keepLength ? length : 0;
  if (SmParsePaperText(text, w, l) == SmPaperText::kInvalid) return "未录入有效的纸张宽度！";
  if (w < 500 || l < 500) return "纸张太小！";
  width = w;
  length = l;
  return {};
}

// ---------------------------------------------------------------- the print job

void CSmListPrintJob::PrepareColumns() {
  m_settings.Load(m_database);
  m_widths.clear();
  m_alignments.clear();
  m_captions.clear();
  if (m_list) {
    const QTreeWidgetItem* header = m_list->headerItem();
    for (int i = 0; i < m_list->columnCount(); ++i) {
      m_widths.push_back(m_list->columnWidth(i));
      m_captions.push_back(GbkCut(header->text(i).toStdString(), 255));
      const int align = header->textAlignment(i);
      m_alignments.push_back(align & Qt::AlignHCenter ? 2 : (align & Qt::AlignRight ? 1 : 0));
    }
  }
  m_headerLines = SmSplitPageLines(m_settings.header);
  m_footerLines = SmSplitPageLines(m_settings.footer);
}

bool CSmListPrintJob::OnPreparePrinting(CSmPrintState& state) {
  PrepareColumns();
  const CSmListPrintSettings& s = m_settings;
  const int body = s.rowHeights[CSmListPrintSettings::kBody];
  const int usable = s.paperLength - s.margins[1] - s.margins[3] - s.rowHeights[0] -
                     static_cast<int>(m_headerLines.size()) * s.rowHeights[1] -
                     static_cast<int>(m_footerLines.size()) * s.rowHeights[2] - body;
  if (body <= 0 || usable < body) {
    ShowStop("纸张长度太小！");
    return false;
  }
  if (!m_widths.empty() && std::accumulate(m_widths.begin(), m_widths.end(), 0) <= 0) {
    SmMessageBox("列表各列的宽度均为0，只能打印表格的外框。", SM_MB_OK | SM_MB_ICONINFORMATION);
  }
  m_linesPerPage = usable / body;
  const int items = m_list ? m_list->topLevelItemCount() : 0;
  state.minPage = 1;
  state.maxPage = (items - 1) / m_linesPerPage + 1;
  SmPageRequest request;
  request.width = s.landscape ? s.paperLength : s.paperWidth;
  request.height = s.landscape ? s.paperWidth : s.paperLength;
  request.left = s.margins[0];
  request.top = s.margins[1];
  request.right = s.margins[2];
  request.bottom = s.margins[3];
  request.landscape = s.landscape != 0;
  if (!SmGetPrinterDC(request)) return false;
  return DoPreparePrinting(state);
}

void CSmListPrintJob::OnBeginPrinting(QPainter& painter, CSmPrintState& /*state*/) {
  const QPaintDevice* device = painter.device();
  const int dpiX = device->logicalDpiX();
  const double sx = dpiX * kDotsPerTenthMmPerDpi;
  const double sy = device->logicalDpiY() * kDotsPerTenthMmPerDpi;
  const int leftOffset = CSmPrinterService::Instance().LeftOffset();
  const int topOffset = CSmPrinterService::Instance().TopOffset();
  m_device = m_settings;
  CSmListPrintSettings& d = m_device;
  for (int& row : d.rowHeights) row = static_cast<int>(row * sy);
  d.margins[0] = static_cast<int>((m_settings.margins[0] - leftOffset) * sx);
  d.margins[2] = static_cast<int>((m_settings.margins[2] - leftOffset) * sx);
  d.margins[1] = static_cast<int>((m_settings.margins[1] - topOffset) * sy);
  d.margins[3] = static_cast<int>((m_settings.margins[3] - topOffset) * sy);
  for (SmLogFont& font : d.fonts) font.height = font.height * dpiX / 100;
  d.paperWidth = static_cast<int>((m_settings.paperWidth - 2 * leftOffset) * sx);
  d.paperLength = static_cast<int>((m_settings.paperLength - 2 * topOffset) * sy);
  m_pen = PixelsPerQuarterMm(device);
  // Columns share the space between the margins in their screen proportions; columns without
  // any width print as the frame alone.
  const long long sum = std::accumulate(m_widths.begin(), m_widths.end(), 0LL);
  const long long space = std::max(0, d.paperWidth - d.margins[0] - d.margins[2]);
  for (int& width : m_widths) width = sum > 0 ? static_cast<int>(space * width / sum) : 0;
}

void CSmListPrintJob::DrawBandText(QPainter& painter, const QRect& band, int part,
                                   const std::string& text, int alignment) const {
  const SmLogFont& font = m_device.fonts[part];
  const int fontHeight = std::abs(font.height);
  const int textTop = band.top() + (band.height() - fontHeight) / 2;
  painter.save();
  painter.setClipRect(band);
  painter.fillRect(band, Qt::white);
  painter.setFont(SmMakeFont(font, std::max(1, fontHeight)));
  painter.setPen(ToQColor(m_device.colors[part]));
  const Qt::Alignment horizontal =
      alignment == 2 ? Qt::AlignHCenter : (alignment == 1 ? Qt::AlignRight : Qt::AlignLeft);
  painter.drawText(QRect(band.left(), textTop, band.width(), std::max(band.height(), fontHeight)),
                   horizontal | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                   QString::fromStdString(text));
  painter.restore();
}

int CSmListPrintJob::DrawLines(QPainter& painter, int top, int part,
                               const std::vector<std::string>& lines,
                               const CSmPrintState& state) const {
  const CSmListPrintSettings& d = m_device;
  const int row = d.rowHeights[part];
  for (const std::string& line : lines) {
    const QRect band(d.margins[0], top, d.paperWidth - d.margins[2] - d.margins[0], row);
    DrawBandText(painter, band, part, SmExpandPageLine(line, state.currentPage, state.maxPage), 0);
    top += row;
  }
  return top;
}

void CSmListPrintJob::DrawTable(QPainter& painter, int top, const CSmPrintState& state) const {
  const CSmListPrintSettings& d = m_device;
  const int left = d.margins[0];
  const int right = d.paperWidth - d.margins[2];
  const int row = d.rowHeights[CSmListPrintSettings::kBody];
  const int bottom = top + (m_linesPerPage + 1) * row;
  painter.save();
  painter.setPen(QPen(Qt::black, m_pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  const QRect frame(QPoint(left, top), QPoint(right, bottom));
  painter.drawRect(frame.adjusted(-m_pen, -m_pen, m_pen, m_pen));
  painter.drawRect(frame);
  for (int y = top + row; y < bottom; y += row) painter.drawLine(left, y, right, y);
  std::vector<int> edges{left};
  for (int width : m_widths) {
    edges.push_back(edges.back() + width);
    painter.drawLine(edges.back(), top, edges.back(), bottom);
  }
  painter.restore();

  const auto cell = [&](size_t column, int tableRow) {
    const QRect whole(QPoint(edges[column], top + tableRow * row),
                      QPoint(edges[column + 1], top + (tableRow + 1) * row));
    return whole.adjusted(m_pen + 4, m_pen, -5, -(m_pen + 4));
  };
  const int body = CSmListPrintSettings::kBody;
  for (size_t c = 0; c < m_widths.size(); ++c) {
    DrawBandText(painter, cell(c, 0), body, m_captions[c], 2);
  }
  const int items = m_list ? m_list->topLevelItemCount() : 0;
  for (int r = 0; r < m_linesPerPage; ++r) {
    const int index = (state.currentPage - 1) * m_linesPerPage + r;
    if (index >= items) break;
    const QTreeWidgetItem* item = m_list->topLevelItem(index);
    for (size_t c = 0; c < m_widths.size(); ++c) {
      DrawBandText(painter, cell(c, r + 1), body, item->text(static_cast<int>(c)).toStdString(),
                   m_alignments[c]);
    }
  }
}

void CSmListPrintJob::OnPrint(QPainter& painter, CSmPrintState& state) {
  const CSmListPrintSettings& d = m_device;
  painter.save();
  const QRect title(d.margins[0], d.margins[1], d.paperWidth - d.margins[2] - d.margins[0],
                    d.rowHeights[0]);
  DrawBandText(painter, title, CSmListPrintSettings::kTitle, d.title, 2);
  const int tableTop =
      DrawLines(painter, title.bottom() + 1, CSmListPrintSettings::kHeader, m_headerLines, state);
  DrawTable(painter, tableTop, state);
  const int tableBottom = tableTop + (m_linesPerPage + 1) * d.rowHeights[3];
  DrawLines(painter, tableBottom + 2 * m_pen, CSmListPrintSettings::kFooter, m_footerLines, state);
  painter.restore();
}

// ---------------------------------------------------------------- page setup (947)

namespace {

// Row heights then margins: (control id, index into the record's eight numbers).
constexpr int kNumberIds[] = {
    CSmListPrintPageDlg::kTitleHeight,  CSmListPrintPageDlg::kHeaderHeight,
    CSmListPrintPageDlg::kFooterHeight, CSmListPrintPageDlg::kBodyHeight,
    CSmListPrintPageDlg::kLeftMargin,   CSmListPrintPageDlg::kTopMargin,
    CSmListPrintPageDlg::kRightMargin,  CSmListPrintPageDlg::kBottomMargin};
const char* const kNumberCaptions[] = {"标题行高", "页头行高", "页脚行高", "正文行高",
                                       "左边距",   "上边距",   "右边距",   "下边距"};

int& NumberOf(CSmListPrintSettings& s, int index) {
  return index < 4 ? s.rowHeights[index] : s.margins[index - 4];
}

}  // namespace

void SmFillPaperBox(QComboBox* box) {
  for (const std::string& text : SmPaperTexts()) box->addItem(QString::fromStdString(text));
}

void SmShowPaper(QComboBox* box, int width, int length) {
  const QString size = QString("%1 x %2").arg(width).arg(length);
  int chosen = -1;
  for (int i = 0; i < box->count() && chosen < 0; ++i) {
    if (box->itemText(i).startsWith(size)) chosen = i;
  }
  box->setCurrentIndex(chosen);
  if (chosen < 0) box->setEditText(QStringLiteral(" 自定义"));
}

const std::vector<std::string>& SmPaperTexts() {
  static const std::vector<std::string> texts = {
      "3556 x 2794 宽行打印纸", "2100 x 2970 A4纸", "2970 x 4200 A3纸", "1480 x 2100 A5纸",
      "1820 x 2570 B5纸",       "2600 x 3680 8开",  "1840 x 2600 16开", "1400 x 2030 大32开"};
  return texts;
}

CSmListPrintPageDlg::CSmListPrintPageDlg(int key, const std::string& title, CSmDatabase* db,
                                         QWidget* parent)
    : CSmDlg(947, parent), m_db(db) {
  setObjectName("947");
  setWindowTitle(QStringLiteral("列表视图打印页面设置"));
  m_settings.key = key;
  m_settings.title = title;
  m_settings.Load(db);

  auto* grid = new QGridLayout(this);
  const auto label = [&](const char* text, QWidget* buddy, int row, int column) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    l->setBuddy(buddy);
    grid->addWidget(l, row, column);
  };
  auto* titleEdit = new CSmEdit(this);
  titleEdit->setObjectName(QString::number(kTitle));
  titleEdit->SetInputType("MDBSTRING", 200, -1);
  label("标题(&T)", titleEdit, 0, 0);
  grid->addWidget(titleEdit, 0, 1, 1, 5);
  const auto textBox = [&](int id, const char* caption, int row) {
    auto* box = new QPlainTextEdit(this);
    box->setObjectName(QString::number(id));
    box->setTabChangesFocus(true);
    box->setFixedHeight(56);
    connect(box, &QPlainTextEdit::textChanged, box, [box] {
      if (box->toPlainText().size() <= 200) return;
      QTextCursor cursor = box->textCursor();
      box->setPlainText(box->toPlainText().left(200));
      cursor.movePosition(QTextCursor::End);
      box->setTextCursor(cursor);
    });
    label(caption, box, row, 0);
    grid->addWidget(box, row, 1, 1, 5);
  };
  textBox(kHeader, "页头(&H)", 1);
  textBox(kFooter, "页脚(&F)", 2);
  m_paper = new QComboBox(this);
  m_paper->setObjectName(QString::number(kPaper));
  m_paper->setEditable(true);
  SmFillPaperBox(m_paper);
  label("纸张(&P)", m_paper, 3, 0);
  grid->addWidget(m_paper, 3, 1, 1, 3);
  m_portrait = new QRadioButton(QStringLiteral("纵向(正常)"), this);
  m_portrait->setObjectName(QString::number(kPortrait));
  m_landscape = new QRadioButton(QStringLiteral("横向"), this);
  m_landscape->setObjectName(QString::number(kLandscape));
  grid->addWidget(m_portrait, 3, 4);
  grid->addWidget(m_landscape, 3, 5);
  for (int i = 0; i < 8; ++i) {
    auto* edit = new CSmEdit(this);
    edit->setObjectName(QString::number(kNumberIds[i]));
    edit->SetInputType("STRING DIGIT", 3, -1);
    label(kNumberCaptions[i], edit, 4 + i % 4, i < 4 ? 0 : 2);
    grid->addWidget(edit, 4 + i % 4, i < 4 ? 1 : 3);
  }
  const char* const fontCaptions[] = {"标题", "页头", "正文", "页脚"};
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(AddButton(kTitleFont + i, QString::fromUtf8(fontCaptions[i])), 4 + i, 5);
  }
  auto* note =
      new QLabel(QStringLiteral("    注：行高、纸张和纸边距的度量单位均为0.1毫米。"), this);
  grid->addWidget(note, 8, 0, 1, 6);
  grid->addWidget(AddButton(kConfirm, QStringLiteral("&S.确认")), 9, 4);
  grid->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")), 9, 5);
  ShowSettings();
}

void CSmListPrintPageDlg::ShowSettings() {
  CSmListPrintSettings& s = m_settings;
  const int width = s.landscape ? s.paperLength : s.paperWidth;
  const int length = s.landscape ? s.paperWidth : s.paperLength;
  static_cast<QLineEdit*>(Control(kTitle))->setText(QString::fromStdString(s.title));
  static_cast<QPlainTextEdit*>(Control(kHeader))
      ->setPlainText(QString::fromStdString(s.header).replace("\r\n", "\n"));
  static_cast<QPlainTextEdit*>(Control(kFooter))
      ->setPlainText(QString::fromStdString(s.footer).replace("\r\n", "\n"));
  for (int i = 0; i < 8; ++i) {
    static_cast<QLineEdit*>(Control(kNumberIds[i]))->setText(QString::number(NumberOf(s, i)));
  }
  SmShowPaper(m_paper, width, length);
  (s.landscape ? m_landscape : m_portrait)->setChecked(true);
}

int CSmListPrintPageDlg::Number(int id) const {
  return StrToIntDef(static_cast<QLineEdit*>(Control(id))->text().toStdString(), 0);
}

bool CSmListPrintPageDlg::OnCommand(unsigned id) {
  if (id == kConfirm) {
    OnOK();
    return true;
  }
  if (id >= kTitleFont && id <= kFooterFont) {
    const int parts[] = {CSmListPrintSettings::kTitle, CSmListPrintSettings::kHeader,
                         CSmListPrintSettings::kBody, CSmListPrintSettings::kFooter};
    ChooseFont(parts[id - kTitleFont]);
    return true;
  }
  return CSmDlg::OnCommand(id);
}

void CSmListPrintPageDlg::ChooseFont(int part) {
  SmLogFont font = m_settings.fonts[part];
  SmColorRef color = m_settings.colors[part];
  if (SmAskFont(this, font, color)) TakeFont(part, font, color);
}

void CSmListPrintPageDlg::TakeFont(int part, const SmLogFont& font, SmColorRef color) {
  m_settings.fonts[part] = font;
  m_settings.colors[part] = color;
}

bool CSmListPrintPageDlg::Refuse(const char* text, int focusId) {
  ShowStop(text);
  if (QWidget* control = Control(focusId)) control->setFocus();
  return false;
}

bool CSmListPrintPageDlg::ValidateAndSave() {
  CSmListPrintSettings s = m_settings;
  s.title = static_cast<QLineEdit*>(Control(kTitle))->text().toStdString();
  const auto lines = [&](int id) {
    return static_cast<QPlainTextEdit*>(Control(id))
        ->toPlainText()
        .replace("\n", "\r\n")
        .toStdString();
  };
  s.header = lines(kHeader);
  s.footer = lines(kFooter);
  for (int i = 0; i < 8; ++i) NumberOf(s, i) = Number(kNumberIds[i]);
  int width = 0;
  int length = s.landscape ? s.paperWidth : s.paperLength;  // portrait terms
  const std::string paper =
      SmCheckPaperText(m_paper->currentText().toStdString(), true, width, length);
  if (!paper.empty()) return Refuse(paper.c_str(), kPaper);
  if (width < s.margins[0] + s.margins[2]) return Refuse("纸张宽度无法与纸边距匹配！", kLeftMargin);
  if (length < s.margins[1] + s.margins[3]) return Refuse("纸张长度无法与纸边距匹配！", kTopMargin);
  s.landscape = m_landscape->isChecked() ? 1 : 0;
  s.paperWidth = s.landscape ? length : width;
  s.paperLength = s.landscape ? width : length;
  if (!s.Save(m_db)) return false;
  m_settings = s;
  return true;
}
