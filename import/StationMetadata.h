// Station coordinates and sensor orientations from the files data centres
// serve beside the seismograms: the FDSN station text format (channel or
// station level, "#Network|Station|...") and StationXML.
#pragma once

#include "import/Recording.h"

#include <string>
#include <string_view>
#include <vector>

// One entry per channel and epoch. A station-level text, and a StationXML
// station without channels, give one entry per station with an empty
// location and channel: it stands for every channel of that station (its
// site name and coordinates). StationXML channels carry their station's site
// name. Lines or elements without a usable network, station, latitude and
// longitude are left out; error says why when nothing is left.
std::vector<ChannelMetadata> parseStationText(std::string_view text, std::string& error);
std::vector<ChannelMetadata> parseStationXml(std::string_view xml, std::string& error);

// Either of the two, chosen from the content.
std::vector<ChannelMetadata> readStationMetadata(std::string_view bytes, std::string& error);
