#pragma once
// Printers and papers: the device scale all printing uses, a printer's printable area and its
// papers, choosing a paper by size (a custom size when none fits) and the check that a printer,
// paper and margins are usable before a job starts. Lengths are in tenths of a millimetre unless
// said otherwise. Failures are told in a message box with the stop icon and a false result.
#include <string>
#include <vector>

class QPaintDevice;
class QPageSize;
class QPrinter;

// One axis of a printer's page, thousandths of a millimetre.
struct SmPrinterArea {
  int physical = 0;   // paper size
  int printable = 0;  // printable size
  int start = 0;      // unprintable offset at the left or top
  int end = 0;        // unprintable margin at the right or bottom, never below 0
};

// The page a print job asks for; -1 means "not set". Width and height in portrait terms,
// both -1 to list the printer's papers.
struct SmPageRequest {
  int width = -1;
  int height = -1;
  int left = -1;
  int top = -1;
  int right = -1;
  int bottom = -1;
  bool landscape = false;
};

// What a checked printer reports for the page as oriented.
struct SmPrinterMetrics {
  int physicalWidth = 0;
  int physicalHeight = 0;
  int printableWidth = 0;
  int printableHeight = 0;
  int leftOffset = 0;
  int topOffset = 0;
  int rightMargin = 0;
  int bottomMargin = 0;
  int dpiX = 0;
  int dpiY = 0;
};

// One paper a printer offers: its name, its page-size id and its size in portrait terms.
struct SmPaper {
  std::string name;
  int id = 0;
  int width = 0;
  int height = 0;
};

// Device pixels per quarter millimetre (at least 1); 1 for anything that is not a printer.
int PixelsPerQuarterMm(const QPaintDevice* device);

// The printable area of the printer's current page, one record per axis.
void GetPrinterArea(const QPrinter& printer, SmPrinterArea& horizontal, SmPrinterArea& vertical);

// The papers of the printer (every standard size for a printer that writes PDF files).
std::vector<SmPaper> GetPrinterPapers(const QPrinter& printer);

// Shows the printer's papers in one message: "宽×长(mm)\t名称\n" and one line per paper.
void ListPrinterPapers(const QPrinter& printer);

// The first paper within 1 mm of the size (or the custom size a printer lists); when none fits
// a custom paper of that size where the printer takes one, else "该打印机不支持这种规格的纸张！".
bool SelectPrinterPaper(const std::vector<SmPaper>& papers, bool customAllowed, int width,
                        int height, QPageSize& paper);

// Sets the paper and orientation on the printer and reads its metrics.
bool CreatePrinterDC(QPrinter& printer, const QPageSize& paper, bool landscape,
                     SmPrinterMetrics& metrics);

// The size and margin check of a request against what the printer reports: "" when usable,
// else the message ("打印机不支持这种规格的纸张！", "左边距太小！" ...).
std::string CheckPrinterPage(const SmPageRequest& request, const SmPrinterMetrics& metrics);

// Chooses the paper of the request on the printer and checks it; false (with the message
// shown) when the printer, the paper or the margins will not do. Width and height both -1
// list the papers instead and give false.
bool TestPrinterSetup(QPrinter& printer, const SmPageRequest& request, SmPrinterMetrics& metrics);
