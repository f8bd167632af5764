// Formatted-input matching, bounded piece reading and number formatting.
#include "fileio/TextInput.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

using namespace textinput;

TEST(TextInput, BlankInKeyMatchesAnyRunOfBlanksOrNone)
{
    std::string word;
    EXPECT_TRUE(scanWord("TITLE BAR:YES", "TITLE BAR: ", word));
    EXPECT_EQ(word, "YES");
    EXPECT_TRUE(scanWord("TITLE   BAR:  \t NO", "TITLE BAR: ", word));
    EXPECT_EQ(word, "NO");
    EXPECT_TRUE(scanWord("TITLEBAR: X", "TITLE BAR: ", word));
    // Key characters other than blanks must be equal, at the start of the line.
    EXPECT_FALSE(scanWord(" TITLE BAR: YES", "TITLE BAR: ", word));
    EXPECT_FALSE(scanWord("title bar: YES", "TITLE BAR: ", word));
    EXPECT_FALSE(scanWord("TITLE BAR YES", "TITLE BAR: ", word));
}

TEST(TextInput, ValueIsNextWordAndNothingMatchesWithoutOne)
{
    std::string word = "unchanged";
    EXPECT_TRUE(scanWord("PHASE: PKP extra", "PHASE: ", word));
    EXPECT_EQ(word, "PKP");
    word = "unchanged";
    EXPECT_FALSE(scanWord("PHASE: ", "PHASE: ", word));
    EXPECT_FALSE(scanWord("PHASE:", "PHASE: ", word));
    EXPECT_EQ(word, "unchanged");
}

TEST(TextInput, NumbersParseLikeFormattedInputAndRejectJunk)
{
    int32_t i = 7;
    EXPECT_TRUE(scanInt("VIEW ANGLE: -45", "VIEW ANGLE: ", i));
    EXPECT_EQ(i, -45);
    EXPECT_TRUE(scanInt("VIEW ANGLE: +12.9x", "VIEW ANGLE: ", i));
    EXPECT_EQ(i, 12);   // the number stops at the first character that is not a digit
    EXPECT_FALSE(scanInt("VIEW ANGLE: abc", "VIEW ANGLE: ", i));
    EXPECT_FALSE(scanInt("VIEW ANGLE: 99999999999", "VIEW ANGLE: ", i));
    EXPECT_FALSE(scanInt("VIEW ANGLE: -", "VIEW ANGLE: ", i));
    EXPECT_EQ(i, 12);

    uint32_t u = 5;
    EXPECT_TRUE(scanUnsigned("TIMEOUT: 4294967295", "TIMEOUT: ", u));
    EXPECT_EQ(u, 4294967295u);
    EXPECT_FALSE(scanUnsigned("TIMEOUT: -1", "TIMEOUT: ", u));
    EXPECT_FALSE(scanUnsigned("TIMEOUT: 4294967296", "TIMEOUT: ", u));
    EXPECT_EQ(u, 4294967295u);

    float f = 1;
    EXPECT_TRUE(scanFloat("EVENT DEPTH: 33.5km", "EVENT DEPTH: ", f));
    EXPECT_FLOAT_EQ(f, 33.5f);
    EXPECT_TRUE(scanFloat("EVENT DEPTH: -.25", "EVENT DEPTH: ", f));
    EXPECT_FLOAT_EQ(f, -0.25f);
    EXPECT_TRUE(scanFloat("EVENT DEPTH: 1e2", "EVENT DEPTH: ", f));
    EXPECT_FLOAT_EQ(f, 100.0f);
    for (const char* junk : {"EVENT DEPTH: nan", "EVENT DEPTH: inf", "EVENT DEPTH: 1e999",
                             "EVENT DEPTH: .", "EVENT DEPTH: ", "EVENT DEPTH: 1e39"})
        EXPECT_FALSE(scanFloat(junk, "EVENT DEPTH: ", f)) << junk;
    EXPECT_FLOAT_EQ(f, 100.0f);
}

TEST(TextInput, PiecesAreBoundedAndEndAfterLineFeed)
{
    const std::string data = "abcdef\nxy\n\nlast";
    PieceReader reader(data, 5);   // at most 4 characters a piece
    std::vector<std::string> pieces;
    std::string_view p;
    while (reader.next(p))
        pieces.emplace_back(p);
    EXPECT_EQ(pieces, (std::vector<std::string>{"abcd", "ef\n", "xy\n", "\n", "last"}));
    EXPECT_EQ(chopLineFeed("ef\n"), "ef");
    EXPECT_EQ(textMode("a\r\nb\rc\r\n"), "a\nb\rc\n");
}

TEST(TextInput, FormattingIgnoresTheProgramLocale)
{
    const char* locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"};
    std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* l : locales)
        if (std::setlocale(LC_ALL, l))
            break;
    EXPECT_EQ(formatFixed(12.5, 10, 4), "   12.5000");
    EXPECT_EQ(formatFixed(-3.25, 6, 1), "  -3.2");   // round half to even, as printf
    EXPECT_EQ(formatFixed(5.0, 4, 1, '0'), "05.0");
    EXPECT_EQ(formatGeneral(2.0), "2");
    EXPECT_EQ(formatGeneral(1.5), "1.5");
    float f = 0;
    EXPECT_TRUE(scanFloat("X: 1.5", "X: ", f));
    EXPECT_FLOAT_EQ(f, 1.5f);
    std::setlocale(LC_ALL, previous.c_str());
}

TEST(TextInput, TruncationAndClampingStayInRange)
{
    EXPECT_EQ(truncToInt(15.9), 15);
    EXPECT_EQ(truncToInt(-15.9), -15);
    EXPECT_EQ(truncToInt(1e30), 0);
    EXPECT_EQ(truncToInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(clampToShort(40000), 32767);
    EXPECT_EQ(clampToShort(-40000), -32768);
    EXPECT_EQ(cut("abcdef", 3), "abc");
}
