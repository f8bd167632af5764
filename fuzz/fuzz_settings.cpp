// "OV.INI": any bytes give settings whose texts keep their lengths, and the
// settings written back read in as the same settings.
#include "FuzzSupport.h"
#include "data/Settings.h"

FUZZ_TARGET(fuzzSettings)(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Settings s;
    parseSettingsText(s, text);

    FUZZ_CHECK(s.workingDirectory.size() <= kWorkingDirectoryMax && s.exitLabel.size() <= kExitLabelMax
               && s.tutorialEvent.size() <= kTutorialEventMax);
    for (const std::string& phase : s.phases) FUZZ_CHECK(phase.size() <= kPhaseNameMax);
    FUZZ_CHECK(s.buttonHeight > 0 && static_cast<unsigned>(s.audio) <= 3 && static_cast<unsigned>(s.view) <= 2);
    // At most one of the three cross-section selections.
    FUZZ_CHECK(int(s.allPhasesOnCrossSection) + int(s.pPhasesOnCrossSection) + int(s.sPhasesOnCrossSection) <= 1);

    // What the maintenance program saves must read back unchanged.
    const std::string saved = settingsText(s);
    Settings again;
    parseSettingsText(again, saved);
    FUZZ_CHECK(settingsText(again) == saved);
    return 0;
}
