#pragma once
// Where the keyboard goes in a report window: the main window's focus is what it gives back
// when it is active again, after a dialog or a file box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <string>

#include "designer/RiloDoc.h"
#include "designer/RiloView.h"
#include "platform/SmDocument.h"

// The report's sheet holds the main window's focus, and a digit typed once the window is
// active again lands in the edited layer of its current cell.
inline void ExpectKeysReachTheSheet(CSmFrameWnd& frame, CRiloDoc& doc) {
  ASSERT_FALSE(doc.Views().empty());
  CSmChildFrame* child = doc.Views().front()->GetParentFrame();
  ASSERT_NE(child, nullptr);
  auto* sheet = dynamic_cast<CRiloView*>(child->GetActiveView());
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(frame.focusWidget(), sheet);
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  EXPECT_EQ(focus, sheet) << focus->metaObject()->className();
  const SmIntPair cell = doc.m_sheet.m_currentCell;
  const auto plain = [&] {
    return CRiloDoc::StripCodes(doc.GetLayerText(cell.first, cell.second, doc.m_editMode));
  };
  const std::string before = plain();
  QTest::keyClick(focus, Qt::Key_7);
  const std::string after = plain();
  EXPECT_EQ(after.size(), before.size() + 1) << after;
  EXPECT_EQ(std::count(after.begin(), after.end(), '7'),
            std::count(before.begin(), before.end(), '7') + 1);
}
