#include <gtest/gtest.h>
TEST(AppBuild, Links) {}
