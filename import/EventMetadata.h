// Earthquake parameters from the files data centres serve: the FDSN event
// text format ("#EventID|Time|Latitude|...") and QuakeML 1.2.
#pragma once

#include "import/Recording.h"

#include <string>
#include <string_view>
#include <vector>

// One entry per event, in the order of the file, each value only where the
// file gives a valid one (depth in km; QuakeML's metres converted). QuakeML
// events take their preferred origin and magnitude, else the first; the
// first description text is the place. error says why when no event is left.
std::vector<EventInfo> parseEventText(std::string_view text, std::string& error);
std::vector<EventInfo> parseQuakeMl(std::string_view xml, std::string& error);

// Either of the two, chosen from the content.
std::vector<EventInfo> readEventMetadata(std::string_view bytes, std::string& error);
