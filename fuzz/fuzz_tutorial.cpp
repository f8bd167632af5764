// The tutorial script "tutorial.txt": every step read names a text file of
// at most 15 characters.
#include "FuzzSupport.h"
#include "data/InfoText.h"

FUZZ_TARGET(fuzzTutorial)(const uint8_t* data, std::size_t size) {
    static const std::string dir = fuzz::scratchDir();
    fuzz::writeBytes(fuzz::scratchPath("tutorial.txt"), data, size);
    TutorialScript script;
    readTutorialScript(script, dir);
    for (const TutorialStep& step : script) FUZZ_CHECK(!step.textFile.empty() && step.textFile.size() <= 15);

    const TutorialScript parsed = parseTutorialScript(std::string(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(parsed.size() == script.size());
    return 0;
}
