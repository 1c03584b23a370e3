// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

#include "editing/Random.h"
#include "editing/TextNumber.h"

namespace quarl {
namespace {

TEST(TextNumberTest, RoundsHalvesToEven) {
    EXPECT_EQ(ReadRoundedNumber("2.5"), 2);
    EXPECT_EQ(ReadRoundedNumber("3.5"), 4);
    EXPECT_EQ(ReadRoundedNumber("3.50001"), 4);
    EXPECT_EQ(ReadRoundedNumber("2.50001"), 3);
    EXPECT_EQ(ReadRoundedNumber("2.51"), 3);
    EXPECT_EQ(ReadRoundedNumber("2.50"), 2);
    EXPECT_EQ(ReadRoundedNumber("3.50"), 4);
    EXPECT_EQ(ReadRoundedNumber("76.500001"), 77);
    EXPECT_EQ(ReadRoundedNumber("2.4999"), 2);
    EXPECT_EQ(ReadRoundedNumber("-2.5"), -2);
    EXPECT_EQ(ReadRoundedNumber("-3.5"), -4);
    EXPECT_EQ(ReadRoundedNumber("0.5"), 0);
    EXPECT_EQ(ReadRoundedNumber(".5"), 0);
    EXPECT_EQ(ReadRoundedNumber("7."), 7);
    EXPECT_EQ(ReadRoundedNumber("  +300 \t"), 300);
    EXPECT_EQ(ReadRoundedNumber("0000000000012"), 12);
    EXPECT_EQ(ReadRoundedNumber("254.7"), 255);
}

TEST(TextNumberTest, RefusesWhatIsNoNumber) {
    for (const char* text : {"", " ", "abc", "1a", "1.2.3", "--1", "+", ".", "1 2", "0x10", "1e3",
                             "\u22121", "12345678901", "4294967296"}) {
        EXPECT_FALSE(ReadRoundedNumber(text)) << text;
    }
}

TEST(TextNumberTest, BytesLieInZeroTo255) {
    EXPECT_EQ(ReadByte("255.4"), 255);
    EXPECT_FALSE(ReadByte("255.5")) << "rounds to 256";
    EXPECT_EQ(ReadByte("-0.4"), 0);
    EXPECT_FALSE(ReadByte("-1"));
    EXPECT_FALSE(ReadByte("300"));
}

TEST(RandomTest, DefaultValuesStayBelowOne) {
    DefaultRandom random;
    float lowest = 1, highest = 0;
    for (int i = 0; i < 100000; ++i) {
        const float r = random.Next();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_LT(lowest, 0.001f);
    EXPECT_GT(highest, 0.999f);
}

}  // namespace
}  // namespace quarl
