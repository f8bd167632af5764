#include "data/Settings.h"

#include "fileio/FileSystem.h"
#include "fileio/TextInput.h"

#include <array>
#include <cmath>

using namespace textinput;

namespace {

// Longest line piece: room for the longest key with the longest value the
// program writes (a phase name of 80 characters), so that every saved value
// reads back whole. A longer line is read in pieces, each treated as a line.
constexpr std::size_t kSettingsLineBuffer = 128;

const std::array<const char*, 4> kAudioWords = {"NONE", "PC", "EQ", "CHIME"};
const std::array<const char*, 3> kViewWords = {"ALL", "3D", "XS"};

// A flag key of the file with its default: a flag moves away from its
// default only, so any occurrence that departs from the default wins.
struct FlagKey {
    const char* key;
    bool Settings::*field;
    bool defaultValue;
};

bool applyFlag(std::string_view line, const FlagKey& flag, Settings& s) {
    std::string word;
    if (!scanWord(line, flag.key, word)) return false;
    if (flag.defaultValue) {
        if (!isYes(word)) s.*flag.field = false;
    } else if (isYes(word)) {
        s.*flag.field = true;
    }
    return true;
}

template <std::size_t N>
bool applyWord(std::string_view line, const char* key, const std::array<const char*, N>& words,
               int& index) {
    std::string word;
    if (!scanWord(line, key, word)) return false;
    for (std::size_t i = 0; i < N; ++i) {
        if (equalsNoCase(word, words[i])) {
            index = static_cast<int>(i);
            break;
        }
    }
    return true;
}

void parseLine(Settings& s, std::string_view line) {
    std::string word;
    if (scanWord(line, "WORKING DIRECTORY: ", word)) {
        s.workingDirectory = cut(normalizeSeparators(word), kWorkingDirectoryMax);
        return;
    }
    if (scanWord(line, "PHASE: ", word)) {
        appendPhase(s.phases, word.c_str());
        return;
    }
    static const FlagKey firstFlags[] = {
        {"TITLE BAR: ", &Settings::titleBar, false},
        {"MENU BAR: ", &Settings::menuBar, true},
        {"BASE LEVEL MIDI: ", &Settings::baseLevelMidi, false},
        {"LABEL PHASES ON CROSS-SECTION: ", &Settings::labelPhasesOnCrossSection, false},
    };
    for (const FlagKey& f : firstFlags)
        if (applyFlag(line, f, s)) return;
    if (scanUnsigned(line, "INITIAL TIMEOUT: ", s.initialTimeout)) return;
    if (scanUnsigned(line, "SECONDS TO PAUSE AT END: ", s.secondsToPauseAtEnd)) return;
    if (scanUnsigned(line, "TIMEOUT: ", s.userTimeout)) return;
    static const FlagKey middleFlags[] = {
        {"LABEL PHASES ON EARTH VIEW: ", &Settings::labelPhasesOnEarth, false},
        {"LABEL PHASES ON SEISMOGRAM: ", &Settings::labelPhasesOnSeismogram, false},
        {"ALL PHASES ON CROSS-SECTION: ", &Settings::allPhasesOnCrossSection, false},
        {"P* PHASES ON CROSS-SECTION: ", &Settings::pPhasesOnCrossSection, false},
        {"S* PHASES ON CROSS-SECTION: ", &Settings::sPhasesOnCrossSection, false},
        {"SPECIFIED PHASES ON CROSS-SECTION: ", &Settings::specifiedPhasesOnCrossSection, false},
        {"CAN EXIT: ", &Settings::canExit, true},
    };
    for (const FlagKey& f : middleFlags)
        if (applyFlag(line, f, s)) return;
    // The label may hold blanks and is recognised whatever the key's case.
    if (startsWithNoCase(line, "EXIT LABEL: ")) {
        s.exitLabel = cut(line.substr(12), kExitLabelMax);
        return;
    }
    if (scanWord(line, "TUTORIAL EVENT: ", word)) {
        s.tutorialEvent = cut(word, kTutorialEventMax);
        return;
    }
    static const FlagKey lastFlags[] = {
        {"SELECT COMPONENTS: ", &Settings::selectComponents, true},
        {"SELECT VIEW: ", &Settings::selectView, true},
        {"RUN SCRIPT: ", &Settings::runScript, false},
        {"RIGHT BUTTON RESTART: ", &Settings::rightButtonRestart, false},
        {"SHOW EVENT INFORMATION: ", &Settings::showEventInformation, true},
        {"SHOW WELCOME SCREEN: ", &Settings::showWelcomeScreen, true},
        {"TUTORIAL: ", &Settings::tutorialEnabled, false},
        {"SLIDER: ", &Settings::slider, true},
        {"EXIT WHEN DONE: ", &Settings::exitWhenDone, false},
        {"WIDE LAYOUT: ", &Settings::wideLayout, false},
    };
    for (const FlagKey& f : lastFlags)
        if (applyFlag(line, f, s)) return;
    int index = static_cast<int>(s.audio);
    if (applyWord(line, "AUDIO: ", kAudioWords, index)) {
        s.audio = static_cast<AudioMode>(index);
        return;
    }
    index = static_cast<int>(s.view);
    if (applyWord(line, "VIEW: ", kViewWords, index)) {
        s.view = static_cast<ViewMode>(index);
        return;
    }
    float height = 0;
    if (scanFloat(line, "BUTTON HEIGHT: ", height)) {
        // Buttons need a positive height; other values leave the setting alone.
        if (height > 0) s.buttonHeight = height;
        return;
    }
}

}   // namespace

Settings& theSettings() {
    static Settings settings;
    return settings;
}

bool isYes(const std::string& word) { return equalsNoCase(word, "YES"); }

const char* yesNoText(bool flag) { return flag ? "YES" : "NO"; }

const char* audioModeWord(AudioMode mode) {
    const int i = static_cast<int>(mode);
    return (i >= 0 && i < 4) ? kAudioWords[static_cast<std::size_t>(i)] : "CHIME";
}

const char* viewModeWord(ViewMode mode) {
    const int i = static_cast<int>(mode);
    return (i >= 0 && i < 3) ? kViewWords[static_cast<std::size_t>(i)] : "ALL";
}

void appendPhase(PhaseList& list, const char* name) {
    if (name == nullptr) return;
    list.push_back(cut(name, kPhaseNameMax));
}

PhaseSelection crossSectionPhases(const Settings& s) {
    PhaseSelection sel;
    sel.all = s.allPhasesOnCrossSection;
    sel.pOnly = s.pPhasesOnCrossSection;
    sel.sOnly = s.sPhasesOnCrossSection;
    sel.specified = s.specifiedPhasesOnCrossSection;
    sel.phases = s.phases;
    return sel;
}

void parseSettingsText(Settings& s, const std::string& text) {
    const std::string data = textMode(text);
    PieceReader reader(data, kSettingsLineBuffer);
    std::string_view piece;
    while (reader.next(piece)) {
        // Shorter lines (counting the line feed) cannot hold a key and a value.
        if (piece.size() < 5) continue;
        parseLine(s, chopLineFeed(piece));
    }
    // One cross-section selection at a time: ALL before P* before S*.
    if (s.allPhasesOnCrossSection) {
        s.pPhasesOnCrossSection = false;
        s.sPhasesOnCrossSection = false;
    }
    if (s.pPhasesOnCrossSection) {
        s.allPhasesOnCrossSection = false;
        s.sPhasesOnCrossSection = false;
    }
    if (s.sPhasesOnCrossSection) {
        s.allPhasesOnCrossSection = false;
        s.pPhasesOnCrossSection = false;
    }
    s.tutorialMode = s.tutorialEnabled;
}

bool loadSettings(Settings& s, const std::string& path) {
    s = Settings{};
    s.phases.clear();
    s.clockTickMs = 500;
    std::string text;
    const bool read = readWholeFile(path, text, std::size_t(1) << 24);
    if (read) parseSettingsText(s, text);
    s.tutorialMode = s.tutorialEnabled;
    return read;
}

std::string settingsText(const Settings& s) {
    std::string t;
    auto line = [&t](const char* key, const std::string& value) {
        std::string v = value;
        for (char& c : v)
            if (c == '\n' || c == '\r' || c == '\0') c = ' ';
        t += key;
        t += ": ";
        t += v;
        t += "\r\n";
    };
    auto flag = [&line](const char* key, bool value) { line(key, yesNoText(value)); };
    line("WORKING DIRECTORY", s.workingDirectory);
    flag("TITLE BAR", s.titleBar);
    flag("MENU BAR", s.menuBar);
    flag("LABEL PHASES ON CROSS-SECTION", s.labelPhasesOnCrossSection);
    flag("LABEL PHASES ON EARTH VIEW", s.labelPhasesOnEarth);
    flag("LABEL PHASES ON SEISMOGRAM", s.labelPhasesOnSeismogram);
    flag("ALL PHASES ON CROSS-SECTION", s.allPhasesOnCrossSection);
    flag("P* PHASES ON CROSS-SECTION", s.pPhasesOnCrossSection);
    flag("S* PHASES ON CROSS-SECTION", s.sPhasesOnCrossSection);
    flag("SPECIFIED PHASES ON CROSS-SECTION", s.specifiedPhasesOnCrossSection);
    flag("BASE LEVEL MIDI", s.baseLevelMidi);
    line("INITIAL TIMEOUT", std::to_string(s.initialTimeout));
    line("TIMEOUT", std::to_string(s.userTimeout));
    line("SECONDS TO PAUSE AT END", std::to_string(s.secondsToPauseAtEnd));
    flag("CAN EXIT", s.canExit);
    line("EXIT LABEL", s.exitLabel);
    line("TUTORIAL EVENT", s.tutorialEvent);
    flag("TUTORIAL", s.tutorialEnabled);
    flag("SELECT COMPONENTS", s.selectComponents);
    flag("SELECT VIEW", s.selectView);
    flag("RUN SCRIPT", s.runScript);
    flag("RIGHT BUTTON RESTART", s.rightButtonRestart);
    flag("SHOW EVENT INFORMATION", s.showEventInformation);
    flag("SHOW WELCOME SCREEN", s.showWelcomeScreen);
    flag("SLIDER", s.slider);
    flag("EXIT WHEN DONE", s.exitWhenDone);
    line("AUDIO", audioModeWord(s.audio));
    line("VIEW", viewModeWord(s.view));
    line("BUTTON HEIGHT", formatGeneral(s.buttonHeight));
    flag("WIDE LAYOUT", s.wideLayout);
    for (const std::string& phase : s.phases) line("PHASE", phase);
    return t;
}

bool saveSettings(const Settings& s, const std::string& path) {
    return writeFileAtomically(path, settingsText(s));
}
