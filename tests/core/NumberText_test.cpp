#include "core/NumberText.h"

#include <gtest/gtest.h>

using namespace cvn;

TEST(NumberText, DigitsPaddingHexAndFifteenSignificantDigits) {
    EXPECT_EQ(ZeroPadded(7, 3), "007");
    EXPECT_EQ(ZeroPadded(1234, 3), "1234");
    EXPECT_EQ(ZeroPadded(0, 1), "0");
    EXPECT_EQ(Hex8(0), "0x00000000");
    EXPECT_EQ(Hex8(0xC0DE), "0x0000C0DE");
    EXPECT_EQ(Hex8(0x80004005u), "0x80004005");

    EXPECT_EQ(Significant15(0), "0");
    EXPECT_EQ(Significant15(1024), "1024");
    EXPECT_EQ(Significant15(1.25), "1.25");
    EXPECT_EQ(Significant15(0.1 + 0.2), "0.3") << "0.30000000000000004 rounds at the 15th digit";
    EXPECT_EQ(Significant15(1.2499999999999998), "1.25");
    EXPECT_EQ(Significant15(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(Significant15(17179869183.0 / 1024), "16777215.9990234");
}
