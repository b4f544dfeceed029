#pragma once
// Checks on a built card layout: the texts of a run of cells and cells given by their place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/SmCardLayout.h"

// The texts of `count` cells from `from` (fewer where the layout ends).
inline std::vector<std::string> Texts(const CSmCardLayout& layout, size_t from, size_t count) {
  std::vector<std::string> texts;
  for (size_t i = from; i < from + count && i < layout.m_items.size(); ++i)
    texts.push_back(layout.m_items[i].sText);
  return texts;
}

// A cell as the layout must hold it.
struct TsExpectedCell {
  size_t index;
  const char* text;
  CSmCardRect rect;
  int lines[4];  // left, top, right, bottom
  int align;
  bool marked;
};

inline void ExpectCells(const CSmCardLayout& layout, const std::vector<TsExpectedCell>& cells) {
  for (const TsExpectedCell& c : cells) {
    SCOPED_TRACE(c.index);
    ASSERT_LT(c.index, layout.m_items.size());
    const CSmCardItem& item = layout.m_items[c.index];
    EXPECT_EQ(item.sText, c.text);
    EXPECT_EQ(item.rcItem, c.rect);
    EXPECT_EQ((std::vector<int>{item.nLineLeft, item.nLineTop, item.nLineRight, item.nLineBottom}),
              std::vector<int>(c.lines, c.lines + 4));
    EXPECT_EQ(item.nAlign, c.align);
    EXPECT_EQ(item.bIsUse, c.marked);
  }
}
