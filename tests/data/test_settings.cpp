// "OV.INI": defaults, key matching rules, flag precedence and round trips.
#include "DataTestSupport.h"
#include "data/Settings.h"

#include <gtest/gtest.h>

using namespace testdata;
using namespace std::string_literals;

namespace {

Settings parse(const std::string& text) {
    Settings s;
    parseSettingsText(s, text);
    return s;
}

}   // namespace

TEST(Settings, EveryKeyIsReadAndSavedBackTheSame) {
    const std::string text = "WORKING DIRECTORY: /srv/quakes\r\nTITLE BAR: YES\r\nMENU BAR: NO\r\n"
                             "LABEL PHASES ON CROSS-SECTION: YES\r\nLABEL PHASES ON EARTH VIEW: YES\r\n"
                             "LABEL PHASES ON SEISMOGRAM: YES\r\nALL PHASES ON CROSS-SECTION: NO\r\nP* PHASES ON CROSS-SECTION: NO\r\n"
                             "S* PHASES ON CROSS-SECTION: YES\r\nSPECIFIED PHASES ON CROSS-SECTION: YES\r\nBASE LEVEL MIDI: YES\r\n"
                             "INITIAL TIMEOUT: 60\r\nTIMEOUT: 120\r\nSECONDS TO PAUSE AT END: 0\r\nCAN EXIT: NO\r\n"
                             "EXIT LABEL: Leave  here \r\nTUTORIAL EVENT: 1990010100.EVT\r\nTUTORIAL: YES\r\nSELECT COMPONENTS: NO\r\n"
                             "SELECT VIEW: NO\r\nRUN SCRIPT: YES\r\nRIGHT BUTTON RESTART: YES\r\nSHOW EVENT INFORMATION: NO\r\n"
                             "SHOW WELCOME SCREEN: NO\r\nSLIDER: NO\r\nEXIT WHEN DONE: YES\r\nAUDIO: EQ\r\nVIEW: 3D\r\n"
                             "BUTTON HEIGHT: 1.5\r\nWIDE LAYOUT: YES\r\nPHASE: PKP\r\nPHASE: S*\r\n";
    TempDir dir;
    writeFile(dir / "OV.INI", text);
    Settings s;
    loadSettings(s, dir / "ov.ini");               // found whatever the case
    EXPECT_TRUE(s.tutorialMode && s.wideLayout);   // tutorial mode follows the tutorial switch
    EXPECT_EQ(std::make_tuple(s.view, s.userTimeout, s.buttonHeight), std::make_tuple(ViewMode::Globe3D, 120u, 1.5f));
    ASSERT_TRUE(saveSettings(s, dir / "OV.INI"));
    EXPECT_EQ(readFile(dir / "OV.INI"), text);

    // The defaults, also where the file is missing.
    s.clockTickMs = 90;
    loadSettings(s, dir / "missing.ini");
    EXPECT_EQ(settingsText(s), settingsText(Settings{}));
    EXPECT_TRUE(s.workingDirectory.empty() && s.phases.empty() && !s.titleBar && s.menuBar && s.showWelcomeScreen && !s.wideLayout);
    EXPECT_EQ(std::make_tuple(s.audio, s.view, s.secondsToPauseAtEnd, s.exitLabel, s.buttonHeight, s.clockTickMs),
              std::make_tuple(AudioMode::Chime, ViewMode::All, 1u, std::string("Exit"), 2.0f, 500));
    ASSERT_TRUE(saveSettings(s, dir / "OV.INI"));
    EXPECT_EQ(readFile(dir / "OV.INI").substr(0, 21), "WORKING DIRECTORY: \r\n");
    EXPECT_NE(readFile(dir / "OV.INI").find("BUTTON HEIGHT: 2\r\nWIDE LAYOUT: NO\r\n"), std::string::npos);
}

TEST(Settings, KeysWordsFlagsAndNumbers) {
    EXPECT_EQ(std::make_tuple(parse("AUDIO: pc\n").audio, parse("AUDIO: LOUD\n").audio, parse("AUDIO: NONE\nAUDIO: LOUD\n").audio),
              std::make_tuple(AudioMode::PC, AudioMode::Chime, AudioMode::None));
    EXPECT_EQ(std::make_tuple(parse("VIEW: xs\n").view, parse("VIEW\nXS\n").view), std::make_tuple(ViewMode::CrossSection, ViewMode::All));
    // Flags only move away from their default; anything but YES clears one set by default.
    EXPECT_TRUE(!parse("CAN EXIT: NO\nCAN EXIT: YES\n").canExit && parse("RUN SCRIPT: YES\nRUN SCRIPT: NO\n").runScript
                && !parse("SLIDER: maybe\n").slider);
    EXPECT_TRUE(parse("can exit: NO\n").canExit);   // keys must be upper case
    EXPECT_EQ(parse("exit label:  Leave now \n").exitLabel, " Leave now ");
    // A long line is read in pieces, each treated as a line.
    EXPECT_TRUE(parse("X" + std::string(126, ' ') + "TITLE BAR: YES\n").titleBar);
    // A numeric key with a word instead of a number changes nothing.
    const Settings s = parse("TIMEOUT: soon\nINITIAL TIMEOUT: 30\nSECONDS TO PAUSE AT END: 0\nTIMEOUT: 45\n");
    EXPECT_EQ(std::make_tuple(s.userTimeout, s.initialTimeout, s.secondsToPauseAtEnd), std::make_tuple(45u, 30u, 0u));
    EXPECT_EQ(std::make_tuple(parse("BUTTON HEIGHT: -3\n").buttonHeight, parse("BUTTON HEIGHT: nan\n").buttonHeight),
              std::make_tuple(2.0f, 2.0f));
    // One cross-section selection at a time: ALL before P* before S*.
    Settings x = parse("ALL PHASES ON CROSS-SECTION: YES\nP* PHASES ON CROSS-SECTION: YES\n");
    EXPECT_TRUE(x.allPhasesOnCrossSection && !x.pPhasesOnCrossSection);
    x = parse("P* PHASES ON CROSS-SECTION: YES\nS* PHASES ON CROSS-SECTION: YES\nSPECIFIED PHASES ON CROSS-SECTION: YES\n");
    EXPECT_TRUE(x.pPhasesOnCrossSection && !x.sPhasesOnCrossSection && x.specifiedPhasesOnCrossSection);
}

TEST(Settings, LongValuesAreCutNulBytesEndThemAndWhatIsSavedReadsBackTheSame) {
    Settings s = parse("WORKING DIRECTORY: C:\\" + std::string(70, 'd') + "\nTUTORIAL EVENT: " + std::string(20, 't')
                       + "\nEXIT LABEL: " + std::string(30, 'q') + "\n");
    EXPECT_EQ(s.workingDirectory, "C:/" + std::string(60, 'd'));   // separators made Linux ones
    EXPECT_EQ(s.tutorialEvent + "|" + s.exitLabel, std::string(15, 't') + "|" + std::string(23, 'q'));
    PhaseList list;
    appendPhase(list, nullptr);
    appendPhase(list, std::string(100, 'P').c_str());
    EXPECT_EQ(list, PhaseList{std::string(80, 'P')});

    s.workingDirectory = std::string(kWorkingDirectoryMax, 'w');
    s.exitLabel = std::string(kExitLabelMax, 'e');
    s.tutorialEvent = std::string(kTutorialEventMax, 't');
    s.phases = {std::string(kPhaseNameMax, 'p')};
    EXPECT_EQ(settingsText(parse(settingsText(s))), settingsText(s));
    // A NUL byte inside a value ended the value only once it was written back
    // (as a blank), so a saved settings file read back different settings.
    s = parse("TUTORIAL EVENT: \x7f:\x02\0\x90"
              "a\r\nPHASE: P\0KP\r\nWORKING DIRECTORY: /srv\0/x\r\n"s);
    EXPECT_EQ(std::make_tuple(s.tutorialEvent + "|" + s.workingDirectory, s.phases), std::make_tuple("\x7f:\x02|/srv", PhaseList{"P"}));
    EXPECT_EQ(settingsText(parse(settingsText(s))), settingsText(s));
}
