#include "import/MiniSeedWriter.h"

#include <libmseed.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

void appendRecord(char* record, int length, void* into) {
    static_cast<std::string*>(into)->append(record, std::size_t(length));
}

void copyCode(char (&dst)[11], const std::string& code) {
    std::memset(dst, 0, sizeof dst);
    std::memcpy(dst, code.data(), std::min(code.size(), sizeof dst - 1));
}

}   // namespace

std::string packMiniSeed(const TraceSegment& segment, MiniSeedEncoding encoding, int recordLength) {
    if (segment.samples.empty() || !(segment.sampleRate > 0) || !std::isfinite(segment.startTime)
        || recordLength < MINRECLEN || recordLength > MAXRECLEN
        || (recordLength & (recordLength - 1)) != 0)
        return {};
    const std::size_t n = segment.samples.size();
    std::vector<int32_t> ints;
    std::vector<float> floats;
    std::vector<double> doubles;
    MSRecord* msr = msr_init(nullptr);
    if (!msr) return {};
    switch (encoding) {
    case MiniSeedEncoding::Steim1:
    case MiniSeedEncoding::Steim2:
    case MiniSeedEncoding::Int32:
        ints.resize(n);
        for (std::size_t k = 0; k < n; ++k) {
            const double v = segment.samples[k];
            if (!std::isfinite(v) || std::fabs(v) > 2147483647.0) {
                msr_free(&msr);
                return {};
            }
            ints[k] = int32_t(std::lround(v));
        }
        msr->datasamples = ints.data();
        msr->sampletype = 'i';
        msr->encoding = encoding == MiniSeedEncoding::Steim1   ? DE_STEIM1
                        : encoding == MiniSeedEncoding::Steim2 ? DE_STEIM2
                                                               : DE_INT32;
        break;
    case MiniSeedEncoding::Float32:
        floats.assign(segment.samples.begin(), segment.samples.end());
        msr->datasamples = floats.data();
        msr->sampletype = 'f';
        msr->encoding = DE_FLOAT32;
        break;
    case MiniSeedEncoding::Float64:
        doubles = segment.samples;
        msr->datasamples = doubles.data();
        msr->sampletype = 'd';
        msr->encoding = DE_FLOAT64;
        break;
    }
    copyCode(msr->network, segment.id.network);
    copyCode(msr->station, segment.id.station);
    copyCode(msr->location, segment.id.location);
    copyCode(msr->channel, segment.id.channel);
    msr->dataquality = 'D';
    msr->starttime = hptime_t(std::llround(segment.startTime * HPTMODULUS));
    msr->samprate = segment.sampleRate;
    msr->reclen = recordLength;
    msr->byteorder = 1;
    msr->numsamples = int64_t(n);
    msr->sequence_number = 1;
    // Blockette 1001 carries the microseconds the fixed header's 100 us
    // clock cannot; libmseed fills it for every record it packs.
    struct blkt_1001_s b1001 {};
    if (!msr_addblockette(msr, reinterpret_cast<char*>(&b1001), sizeof b1001, 1001, 0)) {
        msr->datasamples = nullptr;
        msr_free(&msr);
        return {};
    }

    std::string out;
    int64_t packed = 0;
    const int records = msr_pack(msr, appendRecord, &out, &packed, 1, 0);
    msr->datasamples = nullptr;   // owned by the vectors above
    msr_free(&msr);
    if (records < 0 || packed != int64_t(n)) return {};
    return out;
}
