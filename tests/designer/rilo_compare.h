#pragma once
// Two report sheets equal under every comparison that decides what a save rewrites.
#include <gtest/gtest.h>

#include "designer/RiloData.h"

inline void ExpectSameReport(const CRiloData& a, const CRiloData& b) {
  EXPECT_TRUE(a.IsHeaderEqual(b));
  EXPECT_TRUE(a.IsPageEqual(b));
  EXPECT_TRUE(a.IsBreaksEqual(b));
  EXPECT_TRUE(a.IsSizesEqual(b));
  EXPECT_TRUE(a.IsFormatsEqual(b));
  EXPECT_TRUE(a.IsTextsEqual(b));
  EXPECT_TRUE(a.IsVarsEqual(b));
}
