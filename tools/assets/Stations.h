// Stations of the Global Seismographic Network that the installation knows:
// written to the station list "ZURIVI.STA" and used by the builder of the
// demonstration earthquakes to make seismograms.
#pragma once

#include <cstddef>
#include <span>
#include <string>

struct GsnStation {
    const char* code;          // station code, at most 5 characters
    const char* network;       // network code: "IU", "II", "GT"
    const char* description;   // place, at most 31 characters
    double latitude;           // degrees, north positive
    double longitude;          // degrees, east positive
};

std::span<const GsnStation> gsnStations();

// One line of the station list: the code in columns 0-7, the description in
// columns 8-38, a blank, then latitude and longitude each followed directly
// by its hemisphere letter (e.g. "34.9459N 106.4572W").
std::string stationLine(const GsnStation& station);
