#include "import/InputFile.h"

#include "import/MiniSeedReader.h"
#include "import/SacReader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <sys/stat.h>

namespace {

std::string lowerPrefix(std::string_view s, std::size_t n) {
    std::string out(s.substr(0, n));
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct File {
    std::FILE* f = nullptr;
    ~File() {
        if (f) std::fclose(f);
    }
};

}   // namespace

InputKind detectInputKind(std::string_view head) {
    // miniSEED first: its record header is a strict signature, while the SAC
    // test only asks for a header version and a count, which the samples of
    // a miniSEED record (a run of 6s or 7s as integers) can also give.
    if (looksLikeMiniSeed(head)) return InputKind::MiniSeed;
    if (sacByteOrder(head)) return InputKind::Sac;
    std::size_t i = head.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (i < head.size() && std::isspace(static_cast<unsigned char>(head[i]))) ++i;
    const std::string text = lowerPrefix(head.substr(std::min(i, head.size())), 4096);
    if (text.starts_with("<")) {
        if (text.find("<fdsnstationxml") != std::string::npos) return InputKind::StationXml;
        if (text.find("quakeml") != std::string::npos) return InputKind::QuakeMl;
        return InputKind::Unknown;
    }
    if (text.starts_with("#")) {
        std::string line = text.substr(1, text.find('\n') - 1);
        std::erase(line, ' ');
        if (line.starts_with("network|station|")) return InputKind::StationText;
        if (line.starts_with("eventid|time|")) return InputKind::EventText;
    }
    return InputKind::Unknown;
}

const char* inputKindName(InputKind kind) {
    switch (kind) {
    case InputKind::Sac: return "SAC";
    case InputKind::MiniSeed: return "miniSEED";
    case InputKind::StationText: return "FDSN station text";
    case InputKind::StationXml: return "StationXML";
    case InputKind::EventText: return "FDSN event text";
    case InputKind::QuakeMl: return "QuakeML";
    case InputKind::Unknown: break;
    }
    return "unknown";
}

LoadedFile loadInputFile(const std::string& path) {
    LoadedFile out;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        out.error = "cannot be found";
        return out;
    }
    if (S_ISDIR(st.st_mode)) {
        out.error = "a folder, not a file";
        return out;
    }
    if (!S_ISREG(st.st_mode)) {
        out.error = "not a regular file";
        return out;
    }
    if (std::size_t(st.st_size) > kMaxInputFileBytes) {
        out.error = "larger than " + std::to_string(kMaxInputFileBytes >> 20) + " MB";
        return out;
    }
    File file{std::fopen(path.c_str(), "rb")};
    if (!file.f) {
        out.error = "cannot be opened";
        return out;
    }
    // Read to the end within the limit: the file may have grown since stat.
    out.bytes.resize(std::size_t(st.st_size));
    std::size_t got = std::fread(out.bytes.data(), 1, out.bytes.size(), file.f);
    out.bytes.resize(got);
    char extra[4096];
    while (std::size_t n = std::fread(extra, 1, sizeof extra, file.f)) {
        if (out.bytes.size() + n > kMaxInputFileBytes) {
            out.bytes.clear();
            out.error = "larger than " + std::to_string(kMaxInputFileBytes >> 20) + " MB";
            return out;
        }
        out.bytes.append(extra, n);
    }
    if (std::ferror(file.f)) {
        out.bytes.clear();
        out.error = "cannot be read";
        return out;
    }
    out.kind = detectInputKind(out.bytes);
    return out;
}

FileContents readInputFile(const std::string& path) {
    LoadedFile file = loadInputFile(path);
    if (!file.error.empty()) {
        FileContents out;
        out.path = path;
        out.error = file.error;
        return out;
    }
    switch (file.kind) {
    case InputKind::Sac: return readSac(file.bytes, path);
    case InputKind::MiniSeed: return readMiniSeed(file.bytes, path);
    default: break;
    }
    FileContents out;
    out.path = path;
    switch (file.kind) {
    case InputKind::StationText:
    case InputKind::StationXml:
        out.error = std::string("a station list (") + inputKindName(file.kind)
                    + "), not a seismogram";
        break;
    case InputKind::EventText:
    case InputKind::QuakeMl:
        out.error = std::string("an event description (") + inputKindName(file.kind)
                    + "), not a seismogram";
        break;
    default: out.error = file.bytes.empty() ? "empty file" : "not SAC or miniSEED"; break;
    }
    return out;
}
