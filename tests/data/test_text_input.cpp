// Formatted-input matching, bounded piece reading and number formatting.
#include "fileio/TextInput.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace textinput;
using namespace std::string_literals;

TEST(TextInput, KeysWordsAndNumbers)
{
    struct Case { std::string line; bool match; const char* word; };
    const Case cases[] = {
        {"TITLE BAR:YES", true, "YES"}, {"TITLE   BAR:  \t NO extra", true, "NO"},   // a blank matches
        {"TITLEBAR: X", true, "X"}, {" TITLE BAR: YES", false, ""}, {"title bar: YES", false, ""},  // any run
        {"TITLE BAR YES", false, ""}, {"TITLE BAR: ", false, ""},
        {"TITLE BAR: 1994\0" "060900"s, true, "1994"},   // a NUL byte ends the value
    };
    for (const Case& c : cases) {
        std::string word = "unchanged";
        EXPECT_EQ(scanWord(c.line, "TITLE BAR: ", word), c.match) << c.line;
        EXPECT_EQ(word, c.match ? c.word : "unchanged") << c.line;
    }
    int32_t i = 7;
    EXPECT_TRUE(scanInt("A: +12.9x", "A: ", i));
    EXPECT_EQ(i, 12);   // the number stops at the first character that is not a digit
    for (const char* junk : {"A: abc", "A: 99999999999", "A: -"})
        EXPECT_FALSE(scanInt(junk, "A: ", i)) << junk;
    uint32_t u = 5;
    EXPECT_TRUE(scanUnsigned("A: 4294967295", "A: ", u));
    EXPECT_EQ(u, 4294967295u);
    EXPECT_FALSE(scanUnsigned("A: -1", "A: ", u) || scanUnsigned("A: 4294967296", "A: ", u));
    float f = 1;
    for (auto [text, value] : {std::pair{"A: 33.5km", 33.5f}, {"A: -.25", -0.25f}, {"A: 1e2", 100.0f}}) {
        EXPECT_TRUE(scanFloat(text, "A: ", f)) << text;
        EXPECT_FLOAT_EQ(f, value);
    }
    for (const char* junk : {"A: nan", "A: inf", "A: 1e999", "A: .", "A: ", "A: 1e39"})
        EXPECT_FALSE(scanFloat(junk, "A: ", f)) << junk;
    EXPECT_EQ(std::make_tuple(i, u, f), std::make_tuple(12, 4294967295u, 100.0f));   // kept on failure
}

TEST(TextInput, PiecesFormattingInAnyLocaleAndRanges)
{
    PieceReader reader("abcdef\nxy\n\nlast", 5);   // at most 4 characters a piece
    std::vector<std::string> pieces;
    for (std::string_view p; reader.next(p);)
        pieces.emplace_back(p);
    EXPECT_EQ(pieces, (std::vector<std::string>{"abcd", "ef\n", "xy\n", "\n", "last"}));
    EXPECT_EQ(textMode("a\r\nb\rc\r\n"), "a\nb\rc\n");

    const std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* l : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"})
        if (std::setlocale(LC_ALL, l))
            break;
    EXPECT_EQ(formatFixed(12.5, 10, 4) + formatFixed(-3.25, 6, 1) + formatFixed(5.0, 4, 1, '0'),
              "   12.5000  -3.205.0");   // half to even, as printf
    EXPECT_EQ(formatGeneral(2.0) + " " + formatGeneral(1.5), "2 1.5");
    float f = 0;
    EXPECT_TRUE(scanFloat("X: 1.5", "X: ", f));
    EXPECT_FLOAT_EQ(f, 1.5f);
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_EQ(std::make_tuple(truncToInt(15.9), truncToInt(-15.9), truncToInt(1e30), truncToInt(NAN)),
              std::make_tuple(15, -15, 0, 0));
    EXPECT_EQ(std::make_tuple(clampToShort(40000), clampToShort(-40000)), std::make_tuple(32767, -32768));
}
