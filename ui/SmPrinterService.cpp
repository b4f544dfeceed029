#include "ui/SmPrinterService.h"

#include <QPrinterInfo>

#include "platform/SmMessage.h"
#include "ui/SmPrintHooks.h"

CSmPrinterService& CSmPrinterService::Instance() {
  static CSmPrinterService service;
  return service;
}

QPrinter& CSmPrinterService::Printer() {
  if (m_printer) return *m_printer;
  m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (CSmMessageService::Instance().TestMode() || QPrinterInfo::availablePrinters().isEmpty()) {
    m_printer->setOutputFormat(QPrinter::PdfFormat);
  }
  return *m_printer;
}

bool CSmPrinterService::Prepare(const SmPageRequest& request) {
  SmPrinterMetrics metrics;
  if (!TestPrinterSetup(Printer(), request, metrics)) return false;
  m_metrics = metrics;
  return true;
}

bool CSmPrinterService::Setup() {
  return SmPrintSetupDialog(Printer());
}

void CSmPrinterService::Reset() {
  m_printer.reset();
  m_metrics = {};
}

SmPrintHooks& SmGetPrintHooks() {
  static SmPrintHooks hooks;
  return hooks;
}

bool SmGetPrinterDC(const SmPageRequest& request) {
  const SmPrintHooks& hooks = SmGetPrintHooks();
  return hooks.getPrinterDC ? hooks.getPrinterDC(request)
                            : CSmPrinterService::Instance().Prepare(request);
}

int SmGetPrintVariables(int group, CSmPrintVarList& rows) {
  const SmPrintHooks& hooks = SmGetPrintHooks();
  return hooks.getPrintVariables ? hooks.getPrintVariables(group, rows) : 0;
}

void SmNotifyPrintDefaults(int flag, const std::string& mode, CSmPrintInfo* info) {
  const SmPrintHooks& hooks = SmGetPrintHooks();
  if (hooks.notifyTypes) hooks.notifyTypes(flag, mode, info);
}

void SmWritePrintLog(int code, const std::string& note) {
  const SmPrintHooks& hooks = SmGetPrintHooks();
  if (hooks.writeLog) hooks.writeLog(code, note);
}

bool SmHasDefaultPrinter() {
  const SmPrintHooks& hooks = SmGetPrintHooks();
  if (hooks.hasDefaultPrinter) return hooks.hasDefaultPrinter();
  return CSmMessageService::Instance().TestMode() || !QPrinterInfo::availablePrinters().isEmpty();
}
