// The printing dialogs of the message service: Qt's print, print setup and preview dialogs, or
// in test mode a recorded caption and a PDF file the test named.
#include <QApplication>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <utility>

#include "platform/SmMessage.h"

namespace {

bool ShowsWindows() {
  return !CSmMessageService::Instance().TestMode() &&
         qobject_cast<QApplication*>(QCoreApplication::instance());
}

bool RunPrintDialog(QPrinter& printer, const QString& caption, bool setup, int minPage,
                    int maxPage) {
  QPrintDialog dialog(&printer, QApplication::activeWindow());
  dialog.setMinMax(minPage, maxPage);
  dialog.setWindowTitle(caption);
  if (setup) {
    // Only the printer, its paper and orientation are chosen here, nothing is printed.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>()) {
      if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText("确定");
    }
  }
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

bool CSmMessageService::RecordPrintDialog(const std::string& caption, QPrinter& printer,
                                          bool prints) {
  if (!caption.empty()) {
    m_printDialogs.push_back(caption);
    if (auto whileShown = std::exchange(m_whileShown, {})) whileShown(caption);
  }
  if (!prints) return true;
  if (m_printFiles.empty()) return false;
  if (printer.outputFormat() != QPrinter::PdfFormat) printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(m_printFiles.front()));
  m_printFiles.pop_front();
  return true;
}

bool SmPrintDialog(QPrinter& printer, bool direct, int minPage, int maxPage) {
  if (!ShowsWindows()) {
    return CSmMessageService::Instance().RecordPrintDialog(direct ? "" : "打印", printer, true);
  }
  // Printing directly needs a printer; without one the dialog lets the user choose, for
  // example its PDF output and the file's name.
  if (direct && printer.outputFormat() == QPrinter::NativeFormat && printer.isValid()) {
    return true;
  }
  return RunPrintDialog(printer, "打印", false, minPage, maxPage);
}

bool SmPrintSetupDialog(QPrinter& printer) {
  if (!ShowsWindows()) {
    return CSmMessageService::Instance().RecordPrintDialog("打印设置", printer, false);
  }
  return RunPrintDialog(printer, "打印设置", true, 1, 1);
}

bool SmPrintPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
  if (!ShowsWindows()) {
    if (!CSmMessageService::Instance().RecordPrintDialog("打印预览", printer, true)) return false;
    paint(&printer);
    return true;
  }
  QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
  dialog.setWindowTitle("打印预览");
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, paint);
  return dialog.exec() == QDialog::Accepted;
}
