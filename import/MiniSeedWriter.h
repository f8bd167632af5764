// Packing of a segment into miniSEED 2 records through libmseed, for the
// tests, the import benchmark and the local test data centre.
#pragma once

#include "import/Recording.h"

#include <string>

enum class MiniSeedEncoding { Steim1, Steim2, Int32, Float32, Float64 };

// Big-endian data records of recordLength bytes (a power of two from 128 to
// 1048576) with blockettes 1000 and 1001 (times to the microsecond), data quality 'D'. Integer encodings round
// the samples (Steim-2 holds differences up to 2^29). Empty when the segment
// has no samples, a rate that is not positive, a bad record length, or
// samples the encoding cannot hold.
std::string packMiniSeed(const TraceSegment& segment, MiniSeedEncoding encoding,
                         int recordLength = 4096);
