#include "import/MiniSeedReader.h"

#include <libmseed.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {

// A file that decodes to more samples than this stops there: it keeps a
// damaged or hostile file from taking all memory (this is over two days of
// one channel at 200 samples/s).
constexpr std::size_t kMaxSamplesPerFile = std::size_t(1) << 26;
constexpr std::size_t kMaxLibraryMessages = 3;

// libmseed reports through a global log function; while a file is read its
// messages are collected here instead of being printed.
thread_local std::vector<std::string>* collectedMessages = nullptr;

void collectMessage(char* text) {
    if (!collectedMessages || !text || collectedMessages->size() >= kMaxLibraryMessages) return;
    std::string s(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    collectedMessages->push_back(s);
}

// The library's log function is set once for the process (setting it is not
// thread-safe); each reading thread collects into its own list.
class MessageRoute {
public:
    explicit MessageRoute(std::vector<std::string>& into) {
        static std::once_flag routed;
        std::call_once(routed, [] { ms_loginit(collectMessage, "", collectMessage, ""); });
        collectedMessages = &into;
    }
    ~MessageRoute() { collectedMessages = nullptr; }
};

struct RecordFree {
    MSRecord* msr = nullptr;
    ~RecordFree() { msr_free(&msr); }
};

bool validHeaderAt(std::string_view buf, std::size_t offset) {
    if (offset + 48 > buf.size()) return false;
    const char* x = buf.data() + offset;
    for (int i = 0; i < 6; ++i)
        if (!std::isdigit(static_cast<unsigned char>(x[i])) && x[i] != ' ' && x[i] != '\0')
            return false;
    if (!MS_ISDATAINDICATOR(x[6]) || (x[7] != ' ' && x[7] != '\0')
        || static_cast<unsigned char>(x[24]) > 23 || static_cast<unsigned char>(x[25]) > 59
        || static_cast<unsigned char>(x[26]) > 60)
        return false;
    // Start year and day in either byte order: this keeps junk from being
    // handed to libmseed at almost every byte.
    const auto* u = reinterpret_cast<const unsigned char*>(x);
    for (bool big : {true, false}) {
        const int year = big ? u[20] << 8 | u[21] : u[21] << 8 | u[20];
        const int day = big ? u[22] << 8 | u[23] : u[23] << 8 | u[22];
        if (year >= 1900 && year <= 2100 && day >= 1 && day <= 366) return true;
    }
    return false;
}

// Whether the data section of a parsed record holds the samples its header
// claims. libmseed 2 decodes fixed-size samples by the header's count without
// looking at the record's length, so a damaged count would read past it.
bool samplesFit(const MSRecord& r) {
    if (!r.fsdh || r.fsdh->data_offset < 48 || r.fsdh->data_offset >= r.reclen || r.samplecnt < 0)
        return false;
    const double bytes = double(r.reclen - r.fsdh->data_offset);
    double perByte = 0;   // most samples one byte of the encoding holds
    switch (r.encoding) {
    case DE_ASCII: perByte = 1; break;
    case DE_INT16:
    case DE_GEOSCOPE163:
    case DE_GEOSCOPE164:
    case DE_CDSN:
    case DE_SRO:
    case DE_DWWSSN: perByte = 0.5; break;
    case DE_GEOSCOPE24: perByte = 1.0 / 3; break;
    case DE_INT32:
    case DE_FLOAT32: perByte = 0.25; break;
    case DE_FLOAT64: perByte = 0.125; break;
    case DE_STEIM1: perByte = 60.0 / 64; break;    // 15 words of 4 differences a frame
    case DE_STEIM2: perByte = 105.0 / 64; break;   // 15 words of up to 7
    default: return false;
    }
    return double(r.samplecnt) <= std::floor(bytes * perByte);
}

std::string at(std::size_t offset) { return "at byte " + std::to_string(offset); }

}   // namespace

bool looksLikeMiniSeed(std::string_view bytes) {
    if (bytes.size() < 48) return false;
    return validHeaderAt(bytes, 0);
}

FileContents readMiniSeed(std::string_view bytes, std::string path) {
    FileContents out;
    out.path = std::move(path);
    if (!looksLikeMiniSeed(bytes)) {
        out.error = "not miniSEED (no data record header at the start)";
        return out;
    }
    RecordFree rec;
    const std::string_view buf = bytes;
    // libmseed decodes in place, so each record is parsed from a copy of
    // its bytes: a window that grows until the record fits.
    std::vector<char> window;
    auto parse = [&](std::size_t offset, std::size_t length, int reclen, flag data) {
        window.assign(buf.data() + offset, buf.data() + offset + length);
        return msr_parse(window.data(), int(length), &rec.msr, reclen, data, 0);
    };
    std::vector<std::string> messages;
    MessageRoute route(messages);

    std::map<ChannelId, std::size_t> open;   // channel -> its last segment
    std::size_t offset = 0, total = 0, undecoded = 0, textRecords = 0, records = 0;
    std::size_t skippedBytes = 0, firstSkipped = 0, unnamed = 0;
    while (offset < buf.size()) {
        if (!validHeaderAt(buf, offset)) {
            if (offset + 48 > buf.size()) {
                skippedBytes += buf.size() - offset;
                if (!skippedBytes) firstSkipped = offset;
                break;
            }
            if (!skippedBytes) firstSkipped = offset;
            ++skippedBytes;
            ++offset;
            continue;
        }
        // The header first, the window grown until the record fits.
        const std::size_t remaining = buf.size() - offset;
        const std::size_t most = std::min(remaining, std::size_t(MAXRECLEN));
        std::size_t buflen = std::min(most, std::size_t(512));
        int rc = parse(offset, buflen, -1, 0);
        while (rc > 0 && buflen < most) {
            buflen = std::min(most, std::max(buflen * 2, buflen + std::size_t(rc)));
            rc = parse(offset, buflen, -1, 0);
        }
        // A last record without a stated length fills the rest of the file.
        if (rc > 0 && remaining >= MINRECLEN && (remaining & (remaining - 1)) == 0
            && remaining <= std::size_t(MAXRECLEN))
            rc = parse(offset, remaining, int(remaining), 0);
        if (rc > 0) {
            out.warnings.push_back("truncated record " + at(offset) + " left out");
            break;
        }
        if (rc < 0 || !rec.msr || rec.msr->reclen < MINRECLEN
            || std::size_t(rec.msr->reclen) > remaining) {
            if (!skippedBytes) firstSkipped = offset;
            ++skippedBytes;
            ++offset;
            continue;
        }
        // Then the samples, only when the record can hold as many as its
        // header claims.
        const std::size_t reclen = std::size_t(rec.msr->reclen);
        if (!samplesFit(*rec.msr) || parse(offset, reclen, int(reclen), 1) != 0 || !rec.msr) {
            ++undecoded;
            offset += reclen;
            continue;
        }
        const MSRecord& r = *rec.msr;
        offset += std::size_t(r.reclen);
        if (r.sampletype == 'a') {
            ++textRecords;
            continue;
        }
        if (r.numsamples <= 0 || !r.datasamples) continue;
        if (!(r.samprate > 0) || !std::isfinite(r.samprate) || r.samprate > 1e6 || !r.station[0]
            || !r.channel[0]) {
            ++unnamed;
            continue;
        }
        const std::size_t n = std::size_t(r.numsamples);
        if (total + n > kMaxSamplesPerFile) {
            out.warnings.push_back("more than " + std::to_string(kMaxSamplesPerFile)
                                   + " samples: the rest of the file " + at(offset) + " left out");
            break;
        }
        total += n;
        ++records;

        ChannelId id{r.network, r.station, r.location, r.channel};
        const double start = double(r.starttime) / HPTMODULUS;
        auto it = open.find(id);
        TraceSegment* seg = nullptr;
        if (it != open.end()) {
            TraceSegment& last = out.segments[it->second];
            const double expected = last.startTime + double(last.samples.size()) / last.sampleRate;
            if (std::fabs(r.samprate - last.sampleRate) <= last.sampleRate * 1e-4
                && std::fabs(start - expected) <= 0.5 / last.sampleRate)
                seg = &last;
        }
        if (!seg) {
            open[id] = out.segments.size();
            out.segments.push_back(TraceSegment{id, start, r.samprate, {}});
            seg = &out.segments.back();
            seg->samples.reserve(n);
        }
        const std::size_t base = seg->samples.size();
        seg->samples.resize(base + n);
        double* dst = seg->samples.data() + base;
        switch (r.sampletype) {
        case 'i': {
            const auto* s = static_cast<const int32_t*>(r.datasamples);
            for (std::size_t k = 0; k < n; ++k) dst[k] = s[k];
            break;
        }
        case 'f': {
            const auto* s = static_cast<const float*>(r.datasamples);
            for (std::size_t k = 0; k < n; ++k) dst[k] = std::isfinite(s[k]) ? s[k] : 0.0;
            break;
        }
        case 'd': {
            const auto* s = static_cast<const double*>(r.datasamples);
            for (std::size_t k = 0; k < n; ++k) dst[k] = std::isfinite(s[k]) ? s[k] : 0.0;
            break;
        }
        default:
            seg->samples.resize(base);
            --records;
            ++undecoded;
            break;
        }
    }

    if (skippedBytes)
        out.warnings.push_back(std::to_string(skippedBytes)
                               + " bytes that are not miniSEED records, the first "
                               + at(firstSkipped) + ", left out");
    if (undecoded)
        out.warnings.push_back(std::to_string(undecoded)
                               + " records whose samples could not be decoded left out");
    if (unnamed)
        out.warnings.push_back(std::to_string(unnamed)
                               + " records without a station, channel or sample rate left out");
    if (textRecords) out.warnings.push_back(std::to_string(textRecords) + " text records left out");
    for (const std::string& m : messages) out.warnings.push_back("libmseed: " + m);
    std::erase_if(out.segments, [](const TraceSegment& s) { return s.samples.empty(); });
    if (out.segments.empty()) {
        out.error = records == 0 && undecoded == 0 && textRecords == 0 && unnamed == 0
                        ? "not miniSEED (no record could be read)"
                        : "miniSEED without usable samples";
        if (!out.warnings.empty()) out.error += " (" + out.warnings.front() + ")";
    }
    return out;
}
