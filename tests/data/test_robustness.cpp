// Every reader fed junk: random bytes (fixed seeds), very long lines, NUL
// bytes, empty files and files without a final line feed. Each must give its
// documented default or an empty result, keep its fields within their
// lengths, and never read past the data.
#include "DataTestSupport.h"
#include "data/EventCatalogue.h"
#include "data/EventFile.h"
#include "data/InfoText.h"
#include "data/RunSetup.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

#include <random>

using testdata::TempDir;
using testdata::writeFile;

namespace {

std::vector<std::string> junkInputs()
{
    std::vector<std::string> inputs;
    inputs.push_back("");
    inputs.push_back("\n");
    inputs.push_back(std::string(10000, 'A'));
    inputs.push_back("EVENT NAME: " + std::string(10000, 'n'));
    inputs.push_back("STATION FILE: " + std::string(10000, 's') + "\nEVENT DEPTH: 1e38\n");
    inputs.push_back("EXIT LABEL: " + std::string(10000, ' ') + "x");
    inputs.push_back(std::string("EVENT DATE: 1990\0/01/01\nTITLE BAR: Y\0ES\n", 40));
    inputs.push_back(std::string(5000, '\n'));
    inputs.push_back(std::string(5000, '\0'));
    inputs.push_back("<PRE>\n" + std::string(3000, '<') + "\n</PRE");
    inputs.push_back("4294967296 1 X\n1 2 " + std::string(10000, 'f'));
    std::mt19937 random(20240601u);
    for (int n = 0; n < 40; ++n) {
        std::string s(static_cast<std::size_t>(random() % 4000), '\0');
        for (char& c : s)
            c = static_cast<char>(random() & 0xff);
        inputs.push_back(s);
    }
    // Random lines made of the keys the readers know, with random values.
    const char* keys[] = {"EVENT LATITUDE: ", "EVENT DEPTH: ", "EVENT DATE: ", "ORIGIN TIME: ",
                          "TIME WINDOW: ", "STATION FILE: ", "PHASE: ", "TIMEOUT: ",
                          "BUTTON HEIGHT: ", "AUDIO: ", "EXIT LABEL: ", "EVENT NAME: "};
    const char alphabet[] = "0123456789.-+e:/ \tYESNOabc\xff";
    for (int n = 0; n < 40; ++n) {
        std::string s;
        for (int line = 0; line < 30; ++line) {
            s += keys[random() % std::size(keys)];
            const std::size_t len = random() % 120;
            for (std::size_t c = 0; c < len; ++c)
                s += alphabet[random() % (sizeof alphabet - 1)];
            if (random() % 4 != 0)
                s += (random() % 2) ? "\n" : "\r\n";
        }
        inputs.push_back(s);
    }
    return inputs;
}

} // namespace

TEST(Robustness, EventFileReaderKeepsFieldsWithinTheirLengths)
{
    TempDir dir;
    for (const std::string& input : junkInputs()) {
        writeFile(dir / "junk.evt", input);
        const EventRecord r = readEventFile(dir / "junk.evt");
        EXPECT_LE(r.name.size(), kEventNameMax);
        EXPECT_LE(r.dateText.size(), kDateTextMax);
        EXPECT_LE(r.originTimeText.size(), kDateTextMax);
        for (const ComponentRecord& c : r.stationFiles) {
            EXPECT_EQ(c.fileName.find_first_of(std::string(" \t\n\r\0", 5)), std::string::npos);
        }
        EXPECT_FALSE(r.dateDisplay.empty());
    }
    writeFile(dir / "empty.evt", "");
    const EventRecord empty = readEventFile(dir / "empty.evt");
    EXPECT_EQ(empty.timeLimit, 7200);
    EXPECT_TRUE(empty.stationFiles.empty());
}

TEST(Robustness, SettingsReaderKeepsFieldsWithinTheirLengths)
{
    TempDir dir;
    for (const std::string& input : junkInputs()) {
        writeFile(dir / "OV.INI", input);
        Settings s;
        loadSettings(s, dir / "OV.INI");
        EXPECT_LE(s.workingDirectory.size(), kWorkingDirectoryMax);
        EXPECT_LE(s.exitLabel.size(), kExitLabelMax);
        EXPECT_LE(s.tutorialEvent.size(), kTutorialEventMax);
        for (const std::string& p : s.phases) {
            EXPECT_LE(p.size(), kPhaseNameMax);
        }
        EXPECT_GE(static_cast<int>(s.audio), 0);
        EXPECT_LE(static_cast<int>(s.audio), 3);
        EXPECT_TRUE(std::isfinite(s.buttonHeight) && s.buttonHeight > 0);
        EXPECT_EQ(s.clockTickMs, 500);
        // Whatever was read can be written and read back unchanged.
        Settings back;
        parseSettingsText(back, settingsText(s));
        EXPECT_EQ(settingsText(back), settingsText(s));
    }
}

TEST(Robustness, InfoTextAndTutorialReaders)
{
    TempDir dir;
    for (const std::string& input : junkInputs()) {
        writeFile(dir / "X.INF", input);
        const auto text = readInfoText(dir / "X.INF");
        ASSERT_TRUE(text.has_value());
        std::string t = *text, value;
        findTag(t, "more", value);
        EXPECT_LE(value.size(), 16u);
        writeFile(dir / "tutorial.txt", input);
        TutorialScript script;
        readTutorialScript(script, dir.path());
        for (const TutorialStep& step : script) {
            EXPECT_LE(step.textFile.size(), 15u);
        }
        const StationRecord s = parseStationLine(input);
        EXPECT_LE(s.stationName.size(), 8u);
        EXPECT_LE(s.description.size(), 31u);
    }
    writeFile(dir / "tutorial.txt", std::string(10000, '9') + " 1 A\n5 6 B.INF");
    TutorialScript script;
    readTutorialScript(script, dir.path());
    ASSERT_EQ(script.size(), 1u);   // the long line is junk in pieces; the last line counts
    EXPECT_EQ(script[0].textFile, "B.INF");
}

TEST(Robustness, SeismogramReaderNeverTrustsTheHeader)
{
    TempDir dir;
    std::mt19937 random(7u);
    SacHeader base = testdata::stationHeader("RAND", 1, 2);
    base.i[NPTS] = 64;
    const std::string valid = encodeSac(base, std::vector<float>(64, 0.5f));
    for (int n = 0; n < 300; ++n) {
        std::string file = valid;
        // Flip random bytes, sometimes in NPTS itself, and cut at random.
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int f = 0; f < flips; ++f) {
            const std::size_t at = (random() % 3 == 0) ? 316 + random() % 4 : random() % file.size();
            file[at] = static_cast<char>(random() & 0xff);
        }
        if (random() % 3 == 0)
            file.resize(random() % file.size());
        writeFile(dir / "r.sac", file);
        KSAC k;
        k.loadSamples = true;
        k.readForRun(dir / "r.sac", RunContext{});
        ASSERT_GE(k.npts(), 0);
        if (file.size() < kSacHeaderBytes) {
            EXPECT_EQ(k.npts(), 0);
        }
        EXPECT_LE(static_cast<std::size_t>(k.npts()) * 4 + kSacHeaderBytes,
                  std::max(file.size(), kSacHeaderBytes));
        if (k.npts() > 0) {
            EXPECT_EQ(k.samples.size(), static_cast<std::size_t>(k.npts()));
            EXPECT_LE(k.componentCode.size(), 7u);
        } else {
            EXPECT_TRUE(k.samples.empty());
        }
    }
    for (const std::string& input : junkInputs()) {
        writeFile(dir / "j.sac", input);
        KSAC k;
        k.loadSamples = true;
        k.readForRun(dir / "j.sac", RunContext{});
        EXPECT_EQ(k.npts(), 0);
    }
}

TEST(Robustness, LoadRunAndStationListWithJunkEverywhere)
{
    TempDir dir;
    const auto inputs = junkInputs();
    std::mt19937 random(99u);
    for (int n = 0; n < 30; ++n) {
        for (const char* name : {"P.JB", "S.JB", "PP.JB", "SS.JB", "ZURIVI.STA"})
            writeFile(dir / name, inputs[random() % inputs.size()]);
        writeFile(dir / "E/A.BHZ", inputs[random() % inputs.size()]);
        writeFile(dir / "E.EVT", inputs[random() % inputs.size()] +
                                     "\nEVENT DEPTH: 100\nORIGIN TIME: 1:2:3\nSTATION FILE: A.BHZ\n");
        RunState run;
        run.directory = dir.path();
        ASSERT_TRUE(loadRun(run, "E.EVT"));
        EXPECT_EQ(run.seismogramCount, 0);
        EXPECT_LE(run.name.size(), kEventNameMax);
        EventRecord event;
        event.fileName = "E.EVT";
        EXPECT_TRUE(buildStationList(event, nullptr, dir.path()).empty());
    }
    EventCatalogue catalogue;
    catalogue.scanEvents(dir.path());
    EXPECT_EQ(catalogue.count(), 1);
}
