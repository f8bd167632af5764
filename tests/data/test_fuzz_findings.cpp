// Inputs found by fuzzing the readers, kept as regression cases: each read
// must give what the file means, and what is written back must read back the
// same.
#include "DataTestSupport.h"
#include "data/EventFile.h"
#include "data/Settings.h"
#include "fileio/TextInput.h"

#include <gtest/gtest.h>

using testdata::TempDir;
using testdata::writeFile;

namespace {

// A string literal with its NUL bytes, without the terminating one.
template <std::size_t N>
std::string bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

} // namespace

// A NUL byte inside a value ended the value only once it was written back
// (as a blank), so a saved settings file read back different settings.
TEST(FuzzFindings, NulByteEndsAWordValue)
{
    std::string word;
    std::size_t pos = 0;
    const std::string line = bytes("TUTORIAL EVENT: 1994\0" "060900 tail");
    ASSERT_TRUE(textinput::scanWord(line, "TUTORIAL EVENT: ", word));
    EXPECT_EQ(word, "1994");
    EXPECT_FALSE(textinput::readWord(bytes("\0abc"), pos, word));
    EXPECT_EQ(pos, 0u);

    Settings s;
    parseSettingsText(s, bytes("TUTORIAL EVENT: \x7f:\x02\0\x90" "a\r\n"
                               "PHASE: P\0KP\r\nWORKING DIRECTORY: /srv\0/x\r\n"));
    EXPECT_EQ(s.tutorialEvent, "\x7f:\x02");
    ASSERT_EQ(s.phases.size(), 1u);
    EXPECT_EQ(s.phases[0], "P");
    EXPECT_EQ(s.workingDirectory, "/srv");

    const std::string saved = settingsText(s);
    Settings again;
    parseSettingsText(again, saved);
    EXPECT_EQ(settingsText(again), saved);
    EXPECT_EQ(again.tutorialEvent, s.tutorialEvent);
}

TEST(FuzzFindings, NulByteEndsEventFileValues)
{
    TempDir dir;
    writeFile(dir / "a.evt", bytes("EVENT DATE: 1994/06/09\0junk\n"
                                   "STATION FILE: ANMO.BHZ\0HRV.BHZ\n"
                                   "STATION FILE: \0\n"));
    const EventRecord r = readEventFile(dir / "a.evt");
    EXPECT_EQ(r.dateText, "1994/06/09");
    EXPECT_EQ(r.year, 1994);
    ASSERT_EQ(r.stationFiles.size(), 1u);
    EXPECT_EQ(r.stationFiles[0].fileName, "ANMO.BHZ");
}
