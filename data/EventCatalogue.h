// The events of the working directory, sorted by file name (chronological,
// since event files are named after their date and hour).
#pragma once

#include "data/EventFile.h"

#include <string>
#include <vector>

struct Settings;

class EventCatalogue {
public:
    // Empties the catalogue, then reads every "*.evt" file (any case of the
    // extension) of `dir`. Files that cannot be read still get an entry.
    void scanEvents(const std::string& dir = ".");

    // Inserts after every entry whose fileName is not greater (stable).
    void add(EventRecord record);

    int count() const { return static_cast<int>(entries_.size()); }
    EventRecord& at(int index) { return entries_.at(static_cast<std::size_t>(index)); }
    const EventRecord& at(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    void clear() { entries_.clear(); }

    // The position of the first entry whose fileName equals the tutorial event
    // (without regard to case), or 0 when none does. -1 for an empty catalogue.
    int findTutorialEvent(const Settings& settings) const;

private:
    std::vector<EventRecord> entries_;
};

// The one process-wide catalogue of `ov`.
EventCatalogue& theCatalogue();
