// What an input file of an import is, found from its content (never from its
// name), and reading it within a size limit.
#pragma once

#include "import/Recording.h"

#include <cstddef>
#include <string>
#include <string_view>

enum class InputKind { Sac, MiniSeed, StationText, StationXml, EventText, QuakeMl, Unknown };

// Files larger than this are not read: no seismogram of one event comes near.
constexpr std::size_t kMaxInputFileBytes = std::size_t(512) << 20;

// The kind of the file that starts with these bytes (the first few kilobytes
// are enough).
InputKind detectInputKind(std::string_view head);

// A short name of a kind for messages ("SAC", "StationXML", ...).
const char* inputKindName(InputKind kind);

// The bytes of a regular file and its kind; error says why not (missing, a
// folder, over the size limit, unreadable).
struct LoadedFile {
    InputKind kind = InputKind::Unknown;
    std::string bytes;
    std::string error;
};
LoadedFile loadInputFile(const std::string& path);

// A waveform file read: SAC or miniSEED. Any other file gives the reason in
// error ("not SAC or miniSEED", "a station list, not a seismogram", ...).
FileContents readInputFile(const std::string& path);
