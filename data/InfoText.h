// Information texts ("*.INF") with their small mark-up, and the tutorial script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The display text of a file ("\r\n" line breaks), or nothing when the file
// cannot be opened.
std::optional<std::string> readInfoText(const std::string& path);
// The same, from text already in memory.
std::string formatInfoText(const std::string& fileContents);

// Whether the text's first "<" opens `tagWord` (without regard to case). The
// value between double quotes (at most 16 characters) goes to `value`; a tag
// with a value and a closing ">" is removed from `text`.
bool findTag(std::string& text, const std::string& tagWord, std::string& value);

struct TutorialStep {
    std::string textFile;   // at most 15 characters
    uint32_t showAt = 0;
    uint32_t stayFor = 0;
};

using TutorialScript = std::vector<TutorialStep>;

TutorialScript& theTutorialScript();

// Fills `script` from "tutorial.txt" in `dir`; a missing file leaves it empty.
void readTutorialScript(TutorialScript& script, const std::string& dir = ".");
TutorialScript parseTutorialScript(const std::string& fileContents);
