// Report files as the designer opens them: ".QLN" a whole report, ".BSJ" a child table's values.
// A file that loads is paged for printing, then opened in a report window that is drawn and
// typed into, as a user opening a file sent to them would.
#include <QApplication>
#include <QKeyEvent>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/SmApp.h"
#include "designer/BbDataType.h"
#include "designer/RiloChildFrm.h"
#include "designer/RiloData.h"
#include "designer/RiloDoc.h"
#include "designer/RiloPrint.h"
#include "designer/RiloView.h"
#include "fuzz/SmFuzzSupport.h"
#include "platform/SmDocument.h"

namespace {

struct Designer {
  CSmApp app;
  CSmFrameWnd frame;
  CRiloDocTemplate* docTemplate = nullptr;
  Designer() {
    app.AdoptDataType(std::make_unique<CBbDataType>())->Init();
    frame.MakeMain();
    frame.resize(900, 700);
    frame.show();
    for (const auto& t : app.m_docManager.Templates())
      if (auto* rilo = dynamic_cast<CRiloDocTemplate*>(t.get())) docTemplate = rilo;
    if (!docTemplate) SmFuzzFail("no report template");
  }
};

void Key(QWidget* view, int key, const QString& text = {}) {
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(view, &event);
}

void Page(const CRiloData& sheet) {
  for (const bool byRow : {false, true}) {
    CRiloPager pager(sheet, byRow, !byRow);
    int across = 0;
    int down = 0;
    pager.PageCounts(sheet.m_printFactor, across, down);
    if (across > 0 && down > 0) pager.PageRange(sheet.m_printFactor, across - 1, down - 1);
  }
}

void OpenInWindow(Designer& designer, const std::string& path) {
  CRiloDoc* doc = designer.docTemplate->OpenReportDocument({path, SM_RILO_FILE, -1, {}, 0});
  if (!doc) return;
  auto* frame = dynamic_cast<CRiloChildFrm*>(doc->Views().front()->GetParentFrame());
  if (!frame) SmFuzzFail("a report window without its frame");
  CRiloView* view = frame->Splitter()->Pane(0, 0);
  view->resize(600, 400);
  view->OnUpdate(nullptr, 0);
  view->grab();
  Key(view, 0, "1");
  Key(view, Qt::Key_Right);
  Key(view, Qt::Key_Down);
  Key(view, Qt::Key_Return);
  view->grab();
  designer.docTemplate->CloseAllDocuments();
  // Closed windows delete themselves later; with no event loop running they would pile up and be
  // torn down only at exit, after Qt's font cache is gone.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Lives until the process ends: torn down from the exit handlers, its windows would reach Qt
  // globals that are already gone.
  static Designer& designer = *new Designer;
  if (size == 0) return 0;
  // The first byte chooses the kind of file and whether only its header is read.
  const bool whole = !(data[0] & 1);
  const bool headerOnly = data[0] & 2;
  const std::string path =
      SmFuzzWriteFile(whole ? "input.QLN" : "input.BSJ",
                      std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  CRiloData sheet;
  if (sheet.LoadFile(path, headerOnly) && whole && !headerOnly) {
    Page(sheet);
    OpenInWindow(designer, path);
  }
  SmFuzzResetMessages();
  return 0;
}
