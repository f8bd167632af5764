// Reading helpers for the line-oriented data files: the keyed lines
// ("KEY: value") are matched the way formatted input matches a pattern, and
// long lines are read in bounded pieces. Everything works on text already in
// memory, never reads past it, and parses numbers in the C locale whatever
// locale the program runs in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace textinput {

// Upper-cases ASCII letters only.
std::string toUpper(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
bool isBlank(char c);   // space, tab, line feed, carriage return, vertical tab, form feed

// Text as a text-mode stream gives it: every "\r\n" becomes "\n".
std::string textMode(std::string_view data);

// Splits text into pieces the way a bounded line read does: each piece holds
// at most maxChars - 1 characters and ends after a line feed, or when the
// buffer is full, or at the end of the data. The line feed stays in the piece.
class PieceReader {
public:
    PieceReader(std::string_view data, std::size_t maxChars);
    bool next(std::string_view& piece);

private:
    std::string_view data_;
    std::size_t pos_ = 0;
    std::size_t limit_;
};

// A piece without its trailing line feed.
std::string_view chopLineFeed(std::string_view piece);

// Matches `key` at the start of `line`: every blank in the key matches any
// run of blanks (also none), every other character must be equal. On
// success `pos` is just after the key.
bool matchKey(std::string_view line, std::string_view key, std::size_t& pos);

// Value readers starting at `pos` (leading blanks skipped, as formatted input
// does). On success the value is stored, `pos` moves past it and true is
// returned; otherwise nothing changes. Numbers must fit their type; floats
// must be finite.
bool readInt(std::string_view line, std::size_t& pos, int32_t& value);
bool readUnsigned(std::string_view line, std::size_t& pos, uint32_t& value);
bool readFloat(std::string_view line, std::size_t& pos, float& value);
// The next run of non-blank characters (at least one), ending at a NUL byte.
bool readWord(std::string_view line, std::size_t& pos, std::string& value);
// One character, blanks included (the "%c" conversion).
bool readChar(std::string_view line, std::size_t& pos, char& value);
void skipBlanks(std::string_view line, std::size_t& pos);

// "KEY: %d" and friends: the key, then one value. False when the key does not
// match or the value is not of the kind asked for (the field is unchanged).
bool scanInt(std::string_view line, std::string_view key, int32_t& value);
bool scanUnsigned(std::string_view line, std::string_view key, uint32_t& value);
bool scanFloat(std::string_view line, std::string_view key, float& value);
bool scanWord(std::string_view line, std::string_view key, std::string& value);

// Text cut to at most `max` characters.
std::string cut(std::string_view text, std::size_t max);

// Locale-independent number formatting: "%*.*f" and "%g".
std::string formatFixed(double value, int width, int decimals, char pad = ' ');
std::string formatGeneral(double value);

// Converts a float to a 32-bit integer by truncation; 0 when it is not finite
// or out of range.
int32_t truncToInt(double value);
// Clamps to the 16-bit range.
int16_t clampToShort(int64_t value);

}   // namespace textinput
