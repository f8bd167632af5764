// Reader of SAC binary seismograms as data centres write them: either byte
// order (found from the header), header version 6 or 7 (7 adds a footer of
// double-precision times and coordinates after the samples), evenly spaced
// time series only.
#pragma once

#include "import/Recording.h"

#include <optional>
#include <string>
#include <string_view>

enum class SacByteOrder { Big, Little };

// The byte order in which the first 632 bytes read as a SAC header (header
// version 6 or 7 and a sample count that is not negative); nullopt when they
// read as one in neither.
std::optional<SacByteOrder> sacByteOrder(std::string_view bytes);

// One segment with the samples, the channel's coordinates and orientation when
// the header has them, and the event values the header holds (origin from the
// O marker, depth in km). Any bytes give either that or a reason in error.
FileContents readSac(std::string_view bytes, std::string path);
