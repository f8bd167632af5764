#include "data/EventCatalogue.h"

#include "data/Settings.h"
#include "fileio/FileSystem.h"
#include "fileio/TextInput.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

EventCatalogue& theCatalogue() {
    static EventCatalogue catalogue;
    return catalogue;
}

void EventCatalogue::scanEvents(const std::string& dir) {
    clear();
    const std::string folder = resolvePath(dir.empty() ? std::string(".") : dir);
    std::vector<std::string> names;
    if (!listDirectory(folder, names)) return;
    for (const std::string& name : names) {
        if (name.size() < 4 || !textinput::equalsNoCase(name.substr(name.size() - 4), ".evt"))
            continue;
        const std::string path = joinPath(folder, name);
        std::error_code ec;
        if (std::filesystem::is_directory(std::filesystem::path(path), ec)) continue;
        EventRecord record = readEventFile(path);
        // The entry names its file relative to the directory, even when the
        // file could not be read.
        record.fileName = name;
        add(std::move(record));
    }
}

void EventCatalogue::add(EventRecord record) {
    auto place = std::upper_bound(
        entries_.begin(), entries_.end(), record,
        [](const EventRecord& a, const EventRecord& b) { return a.fileName < b.fileName; });
    entries_.insert(place, std::move(record));
}

int EventCatalogue::findTutorialEvent(const Settings& settings) const {
    if (entries_.empty()) return -1;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (textinput::equalsNoCase(entries_[i].fileName, settings.tutorialEvent))
            return static_cast<int>(i);
    return 0;
}
