#include <gtest/gtest.h>
TEST(Tmp, Works) { EXPECT_EQ(sizeof(void*) == 4 || sizeof(void*) == 8, true); }
