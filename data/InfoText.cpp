#include "data/InfoText.h"

#include "fileio/FileSystem.h"
#include "fileio/TextInput.h"

using namespace textinput;

namespace {

// Pieces of an information text hold at most this many characters.
constexpr std::size_t kPieceChars = 99;
constexpr std::size_t kTutorialLineBuffer = 40;
constexpr std::size_t kTagValueMax = 16;
constexpr std::size_t kTextFileMax = std::size_t(1) << 24;

enum class Joiner { None, Word, Sentence };

// Whether the first "<" of the piece opens the tag (prefix, any case).
bool opensTag(std::string_view piece, std::string_view tagWord) {
    const std::size_t lt = piece.find('<');
    return lt != std::string_view::npos && startsWithNoCase(piece.substr(lt + 1), tagWord);
}

}   // namespace

std::string formatInfoText(const std::string& fileContents) {
    const std::string data = textMode(fileContents);
    PieceReader reader(data, kPieceChars + 1);
    std::string text;
    Joiner joiner = Joiner::None;
    bool preformatted = false;
    bool previousWasFull = false;
    std::string_view raw;
    while (reader.next(raw)) {
        const bool hadLineFeed = !raw.empty() && raw.back() == '\n';
        const std::string_view piece = chopLineFeed(raw);
        // A line of exactly the piece length leaves only its line feed for the
        // next read; that is the end of the same line, not an empty line.
        if (previousWasFull && piece.empty() && hadLineFeed) {
            previousWasFull = false;
            continue;
        }
        previousWasFull = !hadLineFeed && piece.size() == kPieceChars;

        if (opensTag(piece, "PRE")) {
            preformatted = true;
            continue;
        }
        if (opensTag(piece, "/PRE")) {
            preformatted = false;
            text += "\r\n";
            joiner = Joiner::None;
            continue;
        }
        if (preformatted) {
            text += "\r\n";
            text += piece;
            continue;
        }
        if (piece.size() >= kPieceChars) joiner = Joiner::None;
        if (piece.empty()) {
            text += "\r\n\r\n";
            joiner = Joiner::None;
            continue;
        }
        if (joiner == Joiner::Word)
            text += " ";
        else if (joiner == Joiner::Sentence)
            text += "  ";
        text += piece;
        const char last = piece.back();
        if (last == '.' || last == '!' || last == '?')
            joiner = Joiner::Sentence;
        else if (piece.size() == kPieceChars)
            joiner = Joiner::None;
        else
            joiner = Joiner::Word;
    }
    return text;
}

std::optional<std::string> readInfoText(const std::string& path) {
    std::string data;
    if (path.empty() || !readWholeFile(path, data, kTextFileMax)) return std::nullopt;
    return formatInfoText(data);
}

bool findTag(std::string& text, const std::string& tagWord, std::string& value) {
    value.clear();
    const std::size_t lt = text.find('<');
    if (lt == std::string::npos
        || !startsWithNoCase(std::string_view(text).substr(lt + 1), tagWord))
        return false;
    const std::size_t open = text.find('"', lt);
    if (open == std::string::npos) return true;
    const std::size_t close = text.find('"', open + 1);
    // A quote that is never closed gives no value and leaves the text alone.
    if (close == std::string::npos) return true;
    value = cut(std::string_view(text).substr(open + 1, close - open - 1), kTagValueMax);
    const std::size_t gt = text.find('>', close + 1);
    if (gt != std::string::npos) text = text.substr(0, lt) + text.substr(gt + 1);
    return true;
}

TutorialScript& theTutorialScript() {
    static TutorialScript script;
    return script;
}

TutorialScript parseTutorialScript(const std::string& fileContents) {
    TutorialScript script;
    const std::string data = textMode(fileContents);
    PieceReader reader(data, kTutorialLineBuffer);
    std::string_view piece;
    while (reader.next(piece)) {
        const std::string_view line = chopLineFeed(piece);
        // "%u %u %s": a step needs all three.
        TutorialStep step;
        std::size_t pos = 0;
        std::string file;
        if (!readUnsigned(line, pos, step.showAt)) continue;
        skipBlanks(line, pos);
        if (!readUnsigned(line, pos, step.stayFor)) continue;
        if (!readWord(line, pos, file)) continue;
        step.textFile = cut(file, 15);
        script.push_back(std::move(step));
    }
    return script;
}

void readTutorialScript(TutorialScript& script, const std::string& dir) {
    script.clear();
    std::string data;
    if (readWholeFile(joinPath(dir, "tutorial.txt"), data, kTextFileMax))
        script = parseTutorialScript(data);
}
