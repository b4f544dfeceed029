#include "ui/SmPrintJob.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>

#include "core/SmCsRecord.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmPrinter.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmDocument.h"
#include "platform/SmMessage.h"
#include "ui/SmFonts.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrinterService.h"
#include "ui/SmPrintingFonts.h"

namespace {

constexpr int kCsTextWidth = 200;  // CSNA and CSVAL
constexpr double kFieldHeightScale = 2.5394735772853;

void ShowStop(const std::string& text) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
}

QMainWindow* MainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* main = qobject_cast<QMainWindow*>(widget)) return main;
  }
  return nullptr;
}

// The main window is disabled while the pages go out.
class MainWindowDisabled {
 public:
  MainWindowDisabled() : m_window(MainWindow()) {
    if (m_window) m_window->setEnabled(false);
  }
  ~MainWindowDisabled() {
    if (m_window) m_window->setEnabled(true);
  }
  MainWindowDisabled(const MainWindowDisabled&) = delete;
  MainWindowDisabled& operator=(const MainWindowDisabled&) = delete;

 private:
  QMainWindow* m_window;
};

// The title of the document being printed: the active document window's, else the main
// window's.
std::string PrintedTitle() {
  QMainWindow* main = MainWindow();
  if (!main) return std::string();
  QMdiArea* area = main->findChild<QMdiArea*>();
  QMdiSubWindow* active = area ? area->activeSubWindow() : nullptr;
  if (!active) return main->windowTitle().toStdString();
  auto* frame = qobject_cast<CSmChildFrame*>(active);
  CSmDocument* doc = frame ? frame->GetActiveDocument() : nullptr;
  if (doc && !doc->GetTitle().empty()) return doc->GetTitle();
  return active->windowTitle().remove("[*]").toStdString();
}

// The job's name for the spooler and the base of the file name proposed for printing to a
// file: the document's title and today's date, without characters a file name cannot hold.
QString PrintJobName() {
  QString title = QString::fromStdString(PrintedTitle()).simplified();
  title.replace(QRegularExpression(R"([\\/:*?"<>|])"), "_");
  if (title.isEmpty()) title = "打印";
  return title + " " + QDate::currentDate().toString("yyyy-MM-dd");
}

// A PDF file named after the job beside the last one written (or in the documents folder),
// numbered where that name is taken, so an earlier job's file is never proposed again.
QString ProposedPrintFile(const QString& lastFile, const QString& jobName) {
  QString folder = lastFile.isEmpty() ? QString() : QFileInfo(lastFile).absolutePath();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  }
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  const QDir dir(folder);
  QString name = dir.filePath(jobName + ".pdf");
  for (int n = 2; QFileInfo::exists(name) || name == lastFile; ++n) {
    name = dir.filePath(QString("%1 (%2).pdf").arg(jobName).arg(n));
  }
  return name;
}

// Names the job after the document; a printer that prints to a file gets a new file proposed.
void NameJob(QPrinter& printer) {
  const QString jobName = PrintJobName();
  printer.setDocName(jobName);
  if (printer.outputFormat() == QPrinter::PdfFormat) {
    printer.setOutputFileName(ProposedPrintFile(printer.outputFileName(), jobName));
  }
}

bool InsertRow(CSmDatabase* db, int group, int number, const std::string& name,
               const std::string& value) {
  CSmCsRecord row(db);
  row.Set(group, number, GbkCut(name, kCsTextWidth),
          GbkCut(value, kCsTextWidth));  // Insert escapes
  return row.Insert(db);
}

}  // namespace

// ---------------------------------------------------------------- print fields

bool CSmPrintField::Load(int group, int number, CSmDatabase* db) {
  CSmCsRecord row(db);
  if (!db || !row.Load(group, number, db)) return false;
  ReadCsRecord(row);
  return true;
}

bool CSmPrintField::Save(int group, CSmDatabase* db) const {
  return db && InsertRow(db, group, m_number, m_name + "\a" + m_content, SettingsText());
}

std::string CSmPrintField::SettingsText() const {
  return FormatStr("%d %d %d %d %d %d %s", m_x, m_y, m_height, m_weight, m_italic,
                   m_underline + 10 * m_width, m_face.c_str());
}

void CSmPrintField::ReadCsRecord(const CSmCsRecord& row) {
  *this = CSmPrintField();
  m_number = static_cast<int>(row.CsN);
  const size_t bell = row.CsNa.find('\a');
  if (bell == std::string::npos) {
    m_content = row.CsNa;
  } else {
    m_name = row.CsNa.substr(0, bell);
    m_content = row.CsNa.substr(bell + 1);
  }
  int combined = m_underline + 10 * m_width;
  int* const numbers[] = {&m_x, &m_y, &m_height, &m_weight, &m_italic, &combined};
  std::string rest = row.CsVal;
  size_t read = 0;
  for (int* number : numbers) {
    const size_t blank = rest.find(' ');
    if (blank == std::string::npos) break;
    std::sscanf(rest.substr(0, blank).c_str(), "%d", number);
    rest.erase(0, rest.find_first_not_of(' ', blank + 1));
    ++read;
  }
  if (read == std::size(numbers) && !rest.empty()) m_face = rest;
  m_width = combined / 10;
  m_underline = combined % 10;
}

int CSmPrintField::LoadGroup(int group, std::vector<CSmPrintField>& fields, CSmDatabase* db) {
  if (!db) return static_cast<int>(fields.size());
  CSmCsRecord reader(db);
  CSmCsRecordArray rows;
  reader.LoadGroup(group, &rows, db);
  if (rows.empty() && CreateDefaults(group, db)) reader.LoadGroup(group, &rows, db);
  std::stable_sort(rows.begin(), rows.end(),
                   [](const CSmCsRecord& a, const CSmCsRecord& b) { return a.CsN < b.CsN; });
  for (const CSmCsRecord& row : rows) {
    if (row.CsN <= 0) continue;
    CSmPrintField field;
    field.ReadCsRecord(row);
    fields.push_back(field);
  }
  return static_cast<int>(fields.size());
}

bool CSmPrintField::CreateDefaults(int group, CSmDatabase* db) {
  if (!db) return false;
  return SmRunInTransaction(db, [&] {
    if (!CSmCsRecord(db).DeleteGroup(group, db)) return false;
    CSmPrintVarList groups;
    SmGetPrintVariables(-1, groups);
    for (const auto& [number, caption, value] : groups) {
      if (std::atoi(number.c_str()) == group && !InsertRow(db, group, 0, caption, value)) {
        return false;
      }
    }
    CSmPrintVarList defaults;
    SmGetPrintVariables(group, defaults);
    std::string settings;
    for (size_t i = 0; i < defaults.size(); ++i) {
      const auto& [name, content, value] = defaults[i];
      if (!value.empty() || i == 0) settings = value;  // an empty text repeats the previous one
      if (!InsertRow(db, group, static_cast<int>(i) + 1, name + "\a" + content, settings)) {
        return false;
      }
    }
    return true;
  });
}

std::vector<std::string> SplitPrintLines(const std::string& text, int width) {
  const size_t limit = width <= 0 ? GbkSize(text) : static_cast<size_t>(std::max(width, 2));
  std::vector<std::string> lines;
  std::string rest = text;
  while (GbkSize(rest) > limit) {
    std::string head = GbkCut(rest, limit);
    rest.erase(0, head.size());
    lines.push_back(std::move(head));
  }
  lines.push_back(rest);
  return lines;
}

// ---------------------------------------------------------------- the print job

void CSmPrintJob::AddFieldValue(const std::string& name, const std::string& text) {
  m_varNames.push_back(name);
  m_varTexts.push_back(text);
}

bool CSmPrintJob::Print(int commandId) {
  const CSmPrintingFonts fonts;  // pages are measured and drawn with the printing fonts
  CSmPrintState state;
  state.direct = commandId == SM_ID_FILE_PRINT_DIRECT;
  state.preview = commandId == SM_ID_FILE_PRINT_PREVIEW;
  if (!OnPreparePrinting(state)) return false;
  QPrinter& printer = CSmPrinterService::Instance().Printer();
  if (!state.preview) return RunPages(printer, state);
  bool printed = false;
  const CSmScreenFonts screen;  // the preview window and the windows behind it
  SmPrintPreview(printer, [&](QPrinter* target) { printed = RunPages(*target, state); });
  return printed;
}

bool CSmPrintJob::DoPreparePrinting(CSmPrintState& state) {
  state.maxPage = std::max(state.maxPage, state.minPage);
  state.fromPage = state.minPage;
  state.toPage = state.maxPage;
  QPrinter& printer = CSmPrinterService::Instance().Printer();
  state.printer = &printer;
  NameJob(printer);
  if (state.preview) return true;
  printer.setPrintRange(QPrinter::AllPages);
  // Without a printer even a direct print offers the print dialog, with its PDF output.
  const bool direct = state.direct && SmHasDefaultPrinter();
  {
    const CSmScreenFonts screen;  // the windows behind the dialog keep their look
    if (!SmPrintDialog(printer, direct, state.minPage, state.maxPage)) return false;
  }
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    state.fromPage = printer.fromPage();
    state.toPage = printer.toPage();
  }
  return true;
}

bool CSmPrintJob::RunPages(QPrinter& printer, CSmPrintState& state) {
  const CSmPrintingFonts fonts;
  state.printer = &printer;
  QPainter painter;
  if (!painter.begin(&printer)) {
    OnEndPrinting(painter, state);
    ShowStop("无法启动打印作业。");
    return false;
  }
  MainWindowDisabled disabled;
  OnBeginPrinting(painter, state);
  const int from = std::clamp(state.fromPage, state.minPage, state.maxPage);
  const int to = std::clamp(state.toPage, state.minPage, state.maxPage);
  const int step = to < from ? -1 : 1;
  bool ok = true;
  for (int page = from; page != to + step; page += step) {
    state.currentPage = page;
    OnPrepareDC(painter, state);
    if (!state.continuePrinting) break;
    if (page != from && !printer.newPage()) {
      ok = false;
      break;
    }
    state.drawRect = QRect(0, 0, printer.width(), printer.height());
    OnPrint(painter, state);
  }
  if (!ok) printer.abort();
  painter.end();
  OnEndPrinting(painter, state);
  return ok;
}

bool CSmPrintJob::OnPreparePrinting(CSmPrintState& state) {
  if (!m_db || m_group < 0) return false;
  m_fields.clear();
  if (CSmPrintField::LoadGroup(m_group, m_fields, m_db) == 0) {
    ShowStop("未定义打印字域！");
    return false;
  }
  LoadPaperSize(m_group, m_db);
  SmPageRequest request;
  request.width = m_paperWidth;
  request.height = m_paperLength;
  if (!SmGetPrinterDC(request)) return false;
  state.minPage = 1;
  state.maxPage = 1;
  return DoPreparePrinting(state);
}

void CSmPrintJob::OnPrint(QPainter& painter, CSmPrintState& /*state*/) {
  for (CSmPrintField& field : m_fields) {
    for (size_t i = 0; i < m_varNames.size(); ++i) {
      field.m_content = ReplaceAll(field.m_content, m_varNames[i], m_varTexts[i]);
    }
    DrawField(painter, field);
  }
}

void CSmPrintJob::DrawField(QPainter& painter, const CSmPrintField& field) {
  const QPaintDevice* device = painter.device();
  if (!device || device->widthMM() <= 0 || device->heightMM() <= 0) return;
  const double sx = device->width() * 0.1 / device->widthMM();
  const double sy = device->height() * 0.1 / device->heightMM();
  SmLogFont logFont;
  CSmUtil().InitDefaultLogFont(logFont);
  logFont.height = static_cast<int>(field.m_height * sy * kFieldHeightScale);
  logFont.weight = field.m_weight;
  logFont.italic = field.m_italic != 0;
  logFont.underline = field.m_underline != 0;
  logFont.faceName = field.m_face;
  const QFont font = SmMakeFont(logFont, logFont.height);
  const QFontMetrics metrics(font, const_cast<QPaintDevice*>(device));
  const int x = static_cast<int>(field.m_x * sx);
  const int y = static_cast<int>(field.m_y * sy);
  const int lineHeight = metrics.height();
  const std::vector<std::string> lines = SplitPrintLines(field.m_content, field.m_width);
  const int n = static_cast<int>(lines.size());
  painter.save();
  painter.setFont(font);
  for (int i = 0; i < n; ++i) {
    const int top = y - (n - 1) * lineHeight / 2 + i * lineHeight;
    painter.drawText(x, top + metrics.ascent(), QString::fromStdString(lines[i]));
  }
  painter.restore();
}

void CSmPrintJob::LoadPaperSize(int group, CSmDatabase* db) {
  CSmCsRecord row(db);
  if (!db || !row.Load(group, 0, db)) return;
  std::sscanf(row.CsVal.c_str(), "%d%d", &m_paperWidth, &m_paperLength);
}

bool CSmPrintJob::SavePaperSize(int group, CSmDatabase* db) const {
  if (!db) return false;
  return SmRunInTransaction(db, [&] {
    return CSmCsRecord(db).Delete(group, 0, db) &&
           InsertRow(db, group, 0, "纸张尺寸", FormatStr("%d %d", m_paperWidth, m_paperLength));
  });
}
