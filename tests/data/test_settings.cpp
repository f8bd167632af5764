// "OV.INI": defaults, key matching rules, flag precedence and round trips.
#include "DataTestSupport.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

using testdata::TempDir;
using testdata::readFile;
using testdata::writeFile;

namespace {

Settings parse(const std::string& text)
{
    Settings s;
    parseSettingsText(s, text);
    return s;
}

} // namespace

TEST(Settings, MissingFileGivesTheDefaults)
{
    TempDir dir;
    Settings s;
    s.titleBar = true;
    s.phases = {"P"};
    s.clockTickMs = 90;
    loadSettings(s, dir / "OV.INI");
    EXPECT_TRUE(s.workingDirectory.empty());
    EXPECT_FALSE(s.titleBar);
    EXPECT_TRUE(s.menuBar);
    EXPECT_TRUE(s.showWelcomeScreen);
    EXPECT_EQ(s.audio, AudioMode::Chime);
    EXPECT_EQ(s.view, ViewMode::All);
    EXPECT_EQ(s.secondsToPauseAtEnd, 1u);
    EXPECT_EQ(s.exitLabel, "Exit");
    EXPECT_FLOAT_EQ(s.buttonHeight, 2.0f);
    EXPECT_TRUE(s.phases.empty());
    EXPECT_EQ(s.clockTickMs, 500);
}

TEST(Settings, AudioAndViewWordsInAnyCase)
{
    EXPECT_EQ(parse("AUDIO: chime\n").audio, AudioMode::Chime);
    EXPECT_EQ(parse("AUDIO: pc\n").audio, AudioMode::PC);
    EXPECT_EQ(parse("AUDIO: LOUD\n").audio, AudioMode::Chime);
    EXPECT_EQ(parse("AUDIO: NONE\nAUDIO: LOUD\n").audio, AudioMode::None);
    EXPECT_EQ(parse("VIEW: xs\n").view, ViewMode::CrossSection);
    EXPECT_EQ(parse("VIEW: 3D\n").view, ViewMode::Globe3D);
}

TEST(Settings, CrossSectionSelectionIsMadeExclusive)
{
    Settings s = parse("ALL PHASES ON CROSS-SECTION: YES\nP* PHASES ON CROSS-SECTION: YES\n");
    EXPECT_TRUE(s.allPhasesOnCrossSection);
    EXPECT_FALSE(s.pPhasesOnCrossSection);
    s = parse("P* PHASES ON CROSS-SECTION: YES\nS* PHASES ON CROSS-SECTION: YES\n"
              "SPECIFIED PHASES ON CROSS-SECTION: YES\n");
    EXPECT_TRUE(s.pPhasesOnCrossSection);
    EXPECT_FALSE(s.sPhasesOnCrossSection);
    EXPECT_TRUE(s.specifiedPhasesOnCrossSection);
}

TEST(Settings, FlagsOnlyMoveAwayFromTheirDefault)
{
    EXPECT_FALSE(parse("CAN EXIT: NO\nCAN EXIT: YES\n").canExit);
    EXPECT_TRUE(parse("RUN SCRIPT: YES\nRUN SCRIPT: NO\n").runScript);
    // Anything but YES clears a flag whose default is YES.
    EXPECT_FALSE(parse("SLIDER: maybe\n").slider);
    EXPECT_TRUE(parse("TITLE BAR: yes\n").titleBar);
}

TEST(Settings, KeyCaseBlanksAndShortLines)
{
    EXPECT_TRUE(parse("can exit: NO\n").canExit);   // keys must be upper case
    EXPECT_EQ(parse("exit label:  Leave now \n").exitLabel, " Leave now ");
    EXPECT_TRUE(parse("TITLE BAR:YES\n").titleBar);
    EXPECT_EQ(parse("EXIT LABEL: " + std::string(30, 'q') + "\n").exitLabel, std::string(23, 'q'));
    Settings s = parse("VIEW\nXS\n");
    EXPECT_EQ(s.view, ViewMode::All);
    // A numeric key with a word instead of a number changes nothing.
    s = parse("TIMEOUT: soon\nINITIAL TIMEOUT: 30\nSECONDS TO PAUSE AT END: 0\nTIMEOUT: 45\n");
    EXPECT_EQ(s.userTimeout, 45u);
    EXPECT_EQ(s.initialTimeout, 30u);
    EXPECT_EQ(s.secondsToPauseAtEnd, 0u);
    EXPECT_FLOAT_EQ(parse("BUTTON HEIGHT: 1.5\n").buttonHeight, 1.5f);
    EXPECT_FLOAT_EQ(parse("BUTTON HEIGHT: -3\n").buttonHeight, 2.0f);
    EXPECT_FLOAT_EQ(parse("BUTTON HEIGHT: nan\n").buttonHeight, 2.0f);
}

TEST(Settings, LongestValuesReadBackWhole)
{
    TempDir dir;
    Settings s;
    s.workingDirectory = std::string(kWorkingDirectoryMax, 'w');
    s.exitLabel = std::string(kExitLabelMax, 'e');
    s.tutorialEvent = std::string(kTutorialEventMax, 't');
    s.phases = {std::string(kPhaseNameMax, 'p')};
    ASSERT_TRUE(saveSettings(s, dir / "OV.INI"));
    Settings back;
    loadSettings(back, dir / "OV.INI");
    EXPECT_EQ(settingsText(back), settingsText(s));
}

TEST(Settings, LongValuesAreCut)
{
    Settings s = parse("WORKING DIRECTORY: C:\\" + std::string(70, 'd') + "\n"
                       "TUTORIAL EVENT: " + std::string(20, 't') + "\n"
                       "PHASE: PKIKP\n");
    EXPECT_EQ(s.workingDirectory.size(), 63u);
    EXPECT_EQ(s.workingDirectory.substr(0, 3), "C:/");   // separators made Linux ones
    EXPECT_EQ(s.tutorialEvent, std::string(15, 't'));
    PhaseList list;
    appendPhase(list, nullptr);
    appendPhase(list, std::string(100, 'P').c_str());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].size(), 80u);
}

TEST(Settings, LongLineIsReadInPiecesEachTreatedAsALine)
{
    // 127 characters of padding, then a key that starts the second piece.
    const std::string line = "X" + std::string(126, ' ') + "TITLE BAR: YES\n";
    EXPECT_TRUE(parse(line).titleBar);
}

TEST(Settings, SaveThenLoadGivesEveryFieldBack)
{
    TempDir dir;
    Settings s;
    s.workingDirectory = "/srv/quakes";
    s.titleBar = true;
    s.menuBar = false;
    s.labelPhasesOnCrossSection = true;
    s.labelPhasesOnEarth = true;
    s.labelPhasesOnSeismogram = true;
    s.sPhasesOnCrossSection = true;
    s.specifiedPhasesOnCrossSection = true;
    s.baseLevelMidi = true;
    s.initialTimeout = 60;
    s.userTimeout = 120;
    s.secondsToPauseAtEnd = 0;
    s.canExit = false;
    s.exitLabel = "Leave  here ";
    s.tutorialEvent = "1990010100.EVT";
    s.tutorialEnabled = true;
    s.tutorialMode = false;
    s.selectComponents = false;
    s.selectView = false;
    s.runScript = true;
    s.rightButtonRestart = true;
    s.showEventInformation = false;
    s.showWelcomeScreen = false;
    s.slider = false;
    s.exitWhenDone = true;
    s.audio = AudioMode::EQ;
    s.view = ViewMode::Globe3D;
    s.buttonHeight = 1.5f;
    s.wideLayout = true;
    for (int n = 0; n < 10; ++n)
        s.phases.push_back("PH" + std::to_string(n));
    ASSERT_TRUE(saveSettings(s, dir / "OV.INI"));

    const std::string text = readFile(dir / "OV.INI");
    EXPECT_NE(text.find("BUTTON HEIGHT: 1.5\r\n"), std::string::npos);
    EXPECT_NE(text.find("AUDIO: EQ\r\n"), std::string::npos);
    EXPECT_NE(text.find("BUTTON HEIGHT: 1.5\r\nWIDE LAYOUT: YES\r\nPHASE: PH0\r\n"),
              std::string::npos);
    EXPECT_EQ(text.rfind("PHASE: PH9\r\n"), text.size() - 12);

    Settings back;
    loadSettings(back, dir / "ov.ini");   // found whatever the case
    s.tutorialMode = true;                // comes back as tutorialEnabled
    EXPECT_EQ(back.workingDirectory, s.workingDirectory);
    EXPECT_EQ(back.exitLabel, s.exitLabel);
    EXPECT_EQ(back.tutorialEvent, s.tutorialEvent);
    EXPECT_EQ(back.phases, s.phases);
    EXPECT_EQ(settingsText(back), settingsText(s));
    EXPECT_TRUE(back.tutorialMode);
    EXPECT_EQ(back.audio, AudioMode::EQ);
    EXPECT_EQ(back.view, ViewMode::Globe3D);
    EXPECT_FLOAT_EQ(back.buttonHeight, 1.5f);
    EXPECT_TRUE(back.wideLayout);
    EXPECT_EQ(back.userTimeout, 120u);
    EXPECT_FALSE(back.menuBar);
    EXPECT_TRUE(back.sPhasesOnCrossSection);
}

TEST(Settings, DefaultsRoundTripWithEmptyWorkingDirectory)
{
    TempDir dir;
    ASSERT_TRUE(saveSettings(Settings{}, dir / "OV.INI"));
    const std::string text = readFile(dir / "OV.INI");
    EXPECT_EQ(text.substr(0, 21), "WORKING DIRECTORY: \r\n");
    EXPECT_NE(text.find("BUTTON HEIGHT: 2\r\nWIDE LAYOUT: NO\r\n"), std::string::npos);
    Settings back;
    back.workingDirectory = "stale";
    loadSettings(back, dir / "OV.INI");
    EXPECT_EQ(settingsText(back), settingsText(Settings{}));
}
