#pragma once
// A report window over a small sheet, for the tests of the view and its commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include "app/SmApp.h"
#include "designer/BbDataType.h"
#include "designer/RiloChildFrm.h"
#include "designer/RiloDoc.h"
#include "designer/RiloView.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

inline constexpr int kWhite = 0xFFFFFF;
inline constexpr int kRed = 0x0000FF;

// A sheet of `cols` x `rows` cells of 20 mm x 7 mm with thin black lines and white cells.
inline CRiloData Sheet(int cols, int rows) {
  CRiloData sheet;
  sheet.m_cols = cols;
  sheet.m_rows = rows;
  sheet.m_colWidths.assign(static_cast<size_t>(cols), 200);
  sheet.m_rowHeights.assign(static_cast<size_t>(rows), 70);
  const size_t cells = static_cast<size_t>(cols * rows);
  const size_t points = static_cast<size_t>((cols + 1) * (rows + 1));
  sheet.m_texts.assign(cells, "");
  sheet.m_backColors.assign(cells, kWhite);
  sheet.m_layout3.assign(cells, {});
  sheet.m_numberFormats.assign(cells, {2, 2});
  sheet.m_lineStyles.assign(points, {1, 1});
  sheet.m_lineColors.assign(points, {});
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      sheet.m_layout4.push_back({c, r});
      sheet.m_layout5.push_back({c, r});
    }
  }
  sheet.m_currentCell = {cols - 1, rows - 1};  // out of the way of the cells under test
  return sheet;
}

inline CRiloDocTemplate* ReportTemplate() {
  for (const auto& docTemplate : SmGetApp()->m_docManager.Templates())
    if (auto* rilo = dynamic_cast<CRiloDocTemplate*>(docTemplate.get())) return rilo;
  return nullptr;
}

inline QRgb Rgb(SmColor color) {
  return qRgb(static_cast<int>(color & 0xFF), static_cast<int>(color >> 8 & 0xFF),
              static_cast<int>(color >> 16 & 0xFF));
}

class RiloViewTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    m_app.AdoptDataType(std::make_unique<CBbDataType>())->Init();
    m_frame.MakeMain();
    m_frame.resize(900, 700);
    m_frame.show();
  }
  void TearDown() override { ReportTemplate()->CloseAllDocuments(); }

  // Opens a new report window over the sheet; the first pane is `m_view`.
  void Open(const CRiloData& sheet, bool readOnly = false) {
    m_doc = ReportTemplate()->OpenReportDocument({{}, SM_RILO_FILE, -1, {}, readOnly ? 1 : 0});
    ASSERT_NE(m_doc, nullptr);
    m_doc->m_sheet = sheet;
    m_childFrame = dynamic_cast<CRiloChildFrm*>(m_doc->Views().front()->GetParentFrame());
    ASSERT_NE(m_childFrame, nullptr);
    m_view = m_childFrame->Splitter()->Pane(0, 0);
    m_view->resize(600, 400);
    m_view->OnUpdate(nullptr, 0);
  }
  QImage Grab() { return m_view->grab().toImage(); }
  void Click(Qt::KeyboardModifiers modifiers, QPoint at) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, at, m_view->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        modifiers);
      QApplication::sendEvent(m_view, &event);
    }
  }
  // Pane pixels of a logical point.
  QPoint Pane(QPoint logical) const { return logical - m_view->ScrollPosition(); }
  // The first x in [from, to) on row y whose pixel has the colour; -1 none.
  static int FirstX(const QImage& image, QRgb color, int from, int to, int y) {
    for (int x = from; x < to; ++x)
      if (image.pixel(x, y) == color) return x;
    return -1;
  }
  // The first x of the cell's text (black pixels) over the cell's middle rows.
  int TextStart(const QImage& image, int column, int row) {
    const QRect cell = m_view->CellRect(column, row).translated(-m_view->ScrollPosition());
    int first = -1;
    for (int y = cell.top() + 3; y < cell.bottom() - 2; ++y) {
      const int x = FirstX(image, qRgb(0, 0, 0), cell.left() + 2, cell.right() - 1, y);
      if (x >= 0 && (first < 0 || x < first)) first = x;
    }
    return first;
  }

  CSmApp m_app;
  CSmFrameWnd m_frame;
  CRiloDoc* m_doc = nullptr;
  CRiloChildFrm* m_childFrame = nullptr;
  CRiloView* m_view = nullptr;
};
