#pragma once
// The application's printer: chosen in the print setup or the print dialog, prepared for the
// paper a job asks for, and the unprintable offsets found then, which printing subtracts.
#include <QPrinter>
#include <memory>

#include "core/SmPrinter.h"

class CSmPrinterService {
 public:
  static CSmPrinterService& Instance();

  // The printer, made on first use: the default printer, or a PDF writer where the machine
  // has no printer (always in test mode).
  QPrinter& Printer();
  // Sets the paper of the request on the printer and checks it with its margins; the request
  // of width and height -1 lists the printer's papers instead (false).
  bool Prepare(const SmPageRequest& request);
  // The print setup of the printer.
  bool Setup();
  // Unprintable offsets of the last prepared page, 0.1 mm.
  int LeftOffset() const { return m_metrics.leftOffset; }
  int TopOffset() const { return m_metrics.topOffset; }
  const SmPrinterMetrics& Metrics() const { return m_metrics; }
  // Forgets the printer (tests, a changed printer list).
  void Reset();

 private:
  CSmPrinterService() = default;

  std::unique_ptr<QPrinter> m_printer;
  SmPrinterMetrics m_metrics;
};
