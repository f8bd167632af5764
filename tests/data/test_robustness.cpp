// Every reader fed junk: random bytes and random key lines (fixed seeds), very
// long lines, NUL bytes and damaged seismograms. Each gives its documented
// default or an empty result, keeps its fields within their lengths and never
// reads past the data.
#include "DataTestSupport.h"
#include "data/EventFile.h"
#include "data/InfoText.h"
#include "data/RunSetup.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

#include <random>

using namespace testdata;

namespace {

std::vector<std::string> junkInputs()
{
    std::vector<std::string> inputs = {"", std::string(10000, 'A'), "EVENT NAME: " + std::string(10000, 'n'),
                                       "STATION FILE: " + std::string(10000, 's') + "\nEVENT DEPTH: 1e38\n",
                                       std::string("EVENT DATE: 1990\0/01/01\nTITLE BAR: Y\0ES\n", 40),
                                       std::string(5000, '\0'), "<PRE>\n" + std::string(3000, '<') + "\n</PRE"};
    std::mt19937 random(20240601u);
    const char* keys[] = {"EVENT LATITUDE: ", "EVENT DATE: ", "ORIGIN TIME: ", "TIME WINDOW: ", "STATION FILE: ",
                          "PHASE: ", "TIMEOUT: ", "BUTTON HEIGHT: ", "AUDIO: ", "EXIT LABEL: ", "EVENT NAME: "};
    const char alphabet[] = "0123456789.-+e:/ \tYESNOabc\xff";
    for (int n = 0; n < 80; ++n) {
        std::string s;
        if (n % 2 == 0)   // random bytes
            for (std::size_t c = random() % 4000; c > 0; --c)
                s += static_cast<char>(random());
        else   // lines of the keys the readers know, with random values
            for (int line = 0; line < 30; ++line) {
                s += keys[random() % std::size(keys)];
                for (std::size_t c = random() % 120; c > 0; --c)
                    s += alphabet[random() % (sizeof alphabet - 1)];
                s += (random() % 4 == 0) ? "" : (random() % 2) ? "\n" : "\r\n";
            }
        inputs.push_back(s);
    }
    return inputs;
}

} // namespace

TEST(Robustness, TextReadersKeepFieldsWithinTheirLengths)
{
    TempDir dir;
    for (const std::string& input : junkInputs()) {
        writeFile(dir / "junk.evt", input);
        const EventRecord r = readEventFile(dir / "junk.evt");
        EXPECT_TRUE(r.name.size() <= kEventNameMax && r.dateText.size() <= kDateTextMax &&
                    r.originTimeText.size() <= kDateTextMax && !r.dateDisplay.empty());
        for (const ComponentRecord& c : r.stationFiles)
            EXPECT_LE(c.fileName.size(), kComponentFileNameMax);
        Settings s;
        parseSettingsText(s, input);
        EXPECT_TRUE(s.workingDirectory.size() <= kWorkingDirectoryMax && s.exitLabel.size() <= kExitLabelMax &&
                    s.tutorialEvent.size() <= kTutorialEventMax && static_cast<unsigned>(s.audio) <= 3u);
        for (const std::string& p : s.phases)
            EXPECT_LE(p.size(), kPhaseNameMax);
        EXPECT_TRUE(std::isfinite(s.buttonHeight) && s.buttonHeight > 0);
        Settings back;   // whatever was read can be written and read back unchanged
        parseSettingsText(back, settingsText(s));
        EXPECT_EQ(settingsText(back), settingsText(s));
        std::string text = formatInfoText(input), value;
        findTag(text, "more", value);
        EXPECT_LE(value.size(), 16u);
        writeFile(dir / "tutorial.txt", input);
        TutorialScript script;
        readTutorialScript(script, dir.path());
        for (const TutorialStep& step : script)
            EXPECT_LE(step.textFile.size(), 15u);
        const StationRecord station = parseStationLine(input);
        EXPECT_TRUE(station.stationName.size() <= 8u && station.description.size() <= 31u);
    }
}

TEST(Robustness, SeismogramReaderNeverTrustsTheHeader)
{
    TempDir dir;
    std::mt19937 random(7u);
    SacHeader base = stationHeader("RAND", 1, 2);
    base.i[NPTS] = 64;
    const std::string valid = encodeSac(base, std::vector<float>(64, 0.5f));
    std::vector<std::string> files = junkInputs();
    const std::size_t junkCount = files.size();   // none of these is a seismogram
    for (int n = 0; n < 300; ++n) {
        // Flip random bytes, sometimes in NPTS itself, and cut at random.
        std::string file = valid;
        for (int f = 1 + static_cast<int>(random() % 8); f > 0; --f)
            file[random() % 3 == 0 ? 316 + random() % 4 : random() % file.size()] = static_cast<char>(random());
        if (random() % 3 == 0)
            file.resize(random() % file.size());
        files.push_back(file);
    }
    for (std::size_t n = 0; n < files.size(); ++n) {
        writeFile(dir / "r.sac", files[n]);
        KSAC k;
        k.loadSamples = true;
        k.readForRun(dir / "r.sac", RunContext{});
        ASSERT_GE(k.npts(), 0);
        EXPECT_LE(static_cast<std::size_t>(k.npts()) * 4 + kSacHeaderBytes, std::max(files[n].size(), kSacHeaderBytes));
        EXPECT_EQ(k.samples.size(), static_cast<std::size_t>(k.npts()));
        EXPECT_LE(k.componentCode.size(), 7u);
        if (files[n].size() < kSacHeaderBytes || n < junkCount)
            EXPECT_EQ(k.npts(), 0);
    }
}

TEST(Robustness, LoadRunAndStationListWithJunkEverywhere)
{
    TempDir dir;
    const auto inputs = junkInputs();
    std::mt19937 random(99u);
    for (int n = 0; n < 30; ++n) {
        for (const char* name : {"P.JB", "S.JB", "PP.JB", "SS.JB", "ZURIVI.STA", "E/A.BHZ"})
            writeFile(dir / name, inputs[random() % inputs.size()]);
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
}
