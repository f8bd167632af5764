// Reader of miniSEED 2 files through libmseed: records of any length it
// detects, every encoding it decodes, any number of channels and records per
// file. Contiguous records of a channel are joined into one segment; a gap or
// an overlap starts a new one.
#pragma once

#include "import/Recording.h"

#include <string>
#include <string_view>

// Whether the bytes start with a miniSEED data record header.
bool looksLikeMiniSeed(std::string_view bytes);

// Segments of every channel in the bytes. Bytes between records that are not
// a record, records whose samples do not decode, text records and a truncated
// last record are left out and listed in warnings; a file without a single
// usable record gives a reason in error. libmseed's own messages never reach
// the terminal: the first of them are kept in the warnings.
FileContents readMiniSeed(std::string_view bytes, std::string path);
