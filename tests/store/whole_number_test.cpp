#include <gtest/gtest.h>

#include "store/cruise_store.h"

TEST(WholeNumber, OnlyOnePlainFiniteDecimalNumberIsANumber) {
    double v = -1;
    EXPECT_TRUE(store::WholeNumber(" 12.5 ", v));
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_TRUE(store::WholeNumber("-0.5", v));
    EXPECT_DOUBLE_EQ(v, -0.5);
    EXPECT_TRUE(store::WholeNumber("1e3", v));
    EXPECT_DOUBLE_EQ(v, 1000);
    for (const char* bad : {"", "  ", "inf", "nan", "-infinity", "0x10", "12 acres", "1e400", ".", "1,5"}) {
        EXPECT_FALSE(store::WholeNumber(bad, v)) << bad;
        EXPECT_EQ(v, 0) << bad;  // never left holding a value that is not a number
    }
}
