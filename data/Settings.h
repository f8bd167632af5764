// The preferences of both programs and their file "OV.INI".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "seismology/TravelTimes.h"

enum class AudioMode : int { None = 0, PC = 1, EQ = 2, Chime = 3 };
enum class ViewMode : int { All = 0, Globe3D = 1, CrossSection = 2 };

// The specified phases, in file order; each name at most 80 characters.
using PhaseList = std::vector<std::string>;

constexpr std::size_t kWorkingDirectoryMax = 63;
constexpr std::size_t kExitLabelMax = 23;
constexpr std::size_t kTutorialEventMax = 15;
constexpr std::size_t kPhaseNameMax = 80;

struct Settings {
    std::string workingDirectory;
    bool titleBar = false;
    bool menuBar = true;
    bool labelPhasesOnCrossSection = false;
    bool labelPhasesOnEarth = false;
    bool labelPhasesOnSeismogram = false;
    bool allPhasesOnCrossSection = false;
    bool pPhasesOnCrossSection = false;
    bool sPhasesOnCrossSection = false;
    bool specifiedPhasesOnCrossSection = false;
    bool baseLevelMidi = false;
    uint32_t initialTimeout = 0;
    uint32_t userTimeout = 0;
    uint32_t secondsToPauseAtEnd = 1;
    bool canExit = true;
    std::string exitLabel = "Exit";
    std::string tutorialEvent;
    bool tutorialEnabled = false;
    bool tutorialMode = false;
    bool selectComponents = true;
    bool selectView = true;
    bool runScript = false;
    bool rightButtonRestart = false;
    bool showEventInformation = true;
    bool showWelcomeScreen = true;
    bool slider = true;
    bool exitWhenDone = false;
    AudioMode audio = AudioMode::Chime;
    ViewMode view = ViewMode::All;
    float buttonHeight = 2;
    // YES: on a screen wider than 4:3, view mode ALL gives the seismograms a
    // band of at least 40 % of the height, with the globe and cross-section
    // as equal squares side by side under it.
    bool wideLayout = false;
    PhaseList phases;

    // Tuned tick interval of the simulation clock; 500 ms after loading, not stored.
    int32_t clockTickMs = 500;
};

// The one process-wide record both programs read.
Settings& theSettings();

// Resets `s` to the defaults, then reads the settings file at `path` when it
// exists; odd lines are ignored. False when the file could not be read
// (missing or unreadable): the defaults then stand.
bool loadSettings(Settings& s, const std::string& path = "OV.INI");

// Parses settings text (as loadSettings does after reading the file) into `s`,
// which must already hold the defaults.
void parseSettingsText(Settings& s, const std::string& text);

// The file contents saveSettings writes ("\r\n" line ends).
std::string settingsText(const Settings& s);

// Writes the settings file atomically. False when it could not be written;
// the old file is then unchanged.
bool saveSettings(const Settings& s, const std::string& path = "OV.INI");

bool isYes(const std::string& word);
const char* yesNoText(bool flag);

const char* audioModeWord(AudioMode mode);   // "NONE", "PC", "EQ", "CHIME"
const char* viewModeWord(ViewMode mode);     // "ALL", "3D", "XS"

// Appends a phase name (cut to 80 characters); a null name adds nothing.
void appendPhase(PhaseList& list, const char* name);

// The cross-section's phase selection of the settings; views `s.phases`, so
// it is valid while `s` lives and its list is unchanged.
PhaseSelection crossSectionPhases(const Settings& s);
