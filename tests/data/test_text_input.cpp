// Formatted-input matching, bounded piece reading and number formatting.
#include "fileio/TextInput.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace textinput;

TEST(TextInput, NumbersParseLikeFormattedInputAndRejectJunk) {
    int32_t i = 7;   // the number stops at the first character that is not a digit
    EXPECT_TRUE(scanInt("A: +12.9x", "A: ", i) && i == 12);
    for (const char* junk : {"A: abc", "A: 99999999999", "A: -"}) EXPECT_FALSE(scanInt(junk, "A: ", i)) << junk;
    uint32_t u = 5;
    EXPECT_TRUE(scanUnsigned("A: 4294967295", "A: ", u) && u == 4294967295u);
    EXPECT_FALSE(scanUnsigned("A: -1", "A: ", u) || scanUnsigned("A: 4294967296", "A: ", u));
    float f = 1;
    for (auto [text, value] : {std::pair{"A: 33.5km", 33.5f}, {"A: -.25", -0.25f}, {"A: 1e2", 100.0f}})
        EXPECT_TRUE(scanFloat(text, "A: ", f) && f == value) << text << " " << f;
    for (const char* junk : {"A: nan", "A: inf", "A: 1e999", "A: .", "A: ", "A: 1e39"}) EXPECT_FALSE(scanFloat(junk, "A: ", f)) << junk;
    EXPECT_EQ(std::make_tuple(i, u, f), std::make_tuple(12, 4294967295u, 100.0f));   // kept on failure
}

TEST(TextInput, FormattingIgnoresTheProgramLocaleAndStaysInRange) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* l : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"})
        if (std::setlocale(LC_ALL, l)) break;
    EXPECT_EQ(formatFixed(12.5, 10, 4) + formatFixed(-3.25, 6, 1) + formatFixed(5.0, 4, 1, '0'),
              "   12.5000  -3.205.0");   // half to even, as printf
    float f = 0;
    EXPECT_TRUE(scanFloat("X: 1.5", "X: ", f) && f == 1.5f);
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_EQ(std::make_tuple(truncToInt(15.9), truncToInt(-15.9), truncToInt(1e30), truncToInt(NAN)), std::make_tuple(15, -15, 0, 0));
    EXPECT_EQ(std::make_tuple(clampToShort(40000), clampToShort(-40000)), std::make_tuple(32767, -32768));
}
