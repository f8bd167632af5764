#include "data/Seismogram.h"

#include "fileio/FileSystem.h"
#include "fileio/TextInput.h"
#include "seismology/SphericalGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace {

constexpr std::size_t kFloatWords = 70;
constexpr std::size_t kIntWords = 40;
constexpr std::size_t kTextBytes = 192;
static_assert(kFloatWords * 4 + kIntWords * 4 + kTextBytes == kSacHeaderBytes);

// Seismogram files larger than this are not read (about 256 million samples).
constexpr std::size_t kMaxSacBytes = std::size_t(1) << 30;

const int kDaysBefore[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

uint32_t loadBigEndian(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
}

void storeBigEndian(uint32_t v, std::string& out) {
    out.push_back(static_cast<char>(v >> 24));
    out.push_back(static_cast<char>(v >> 16));
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v));
}

float wordToFloat(uint32_t w) {
    float f;
    std::memcpy(&f, &w, 4);
    return f;
}

uint32_t floatToWord(float f) {
    uint32_t w;
    std::memcpy(&w, &f, 4);
    return w;
}

std::size_t textOffset(int index) {
    if (index == 0) return 0;
    if (index == 1) return 8;
    return 24 + static_cast<std::size_t>(index - 2) * 8;
}

std::size_t textLength(int index) { return index == 1 ? 16 : 8; }

// A regular file opened for binary reading, found without regard to case.
class SacFile {
public:
    explicit SacFile(const std::string& path) {
        if (path.empty()) return;
        const std::string resolved = resolvePath(path);
        file_ = std::fopen(resolved.c_str(), "rb");
        if (!file_) return;
        struct stat st {};
        if (::fstat(fileno(file_), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
            std::fclose(file_);
            file_ = nullptr;
            return;
        }
        size_ = static_cast<std::size_t>(st.st_size);
    }
    ~SacFile() {
        if (file_) std::fclose(file_);
    }
    SacFile(const SacFile&) = delete;
    SacFile& operator=(const SacFile&) = delete;

    bool ok() const { return file_ != nullptr; }
    std::size_t size() const { return size_; }
    bool read(void* into, std::size_t bytes) { return std::fread(into, 1, bytes, file_) == bytes; }

private:
    std::FILE* file_ = nullptr;
    std::size_t size_ = 0;
};

// The file name part of a path (after its last separator); the path itself
// when it has none.
std::string lastComponent(const std::string& path) {
    const std::size_t sep = path.find_last_of("/\\");
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

}   // namespace

void SacHeader::setUndefined() {
    f.fill(kSacUndefined);
    i.fill(kSacUndefinedInt);
    k.fill(' ');
    for (int n = 0; n < 23; ++n) {
        const std::size_t off = textOffset(n);
        std::memcpy(k.data() + off, "-12345", 6);
    }
}

std::string SacHeader::text(int index) const {
    if (index < 0 || index > 22) return {};
    return std::string(k.data() + textOffset(index), textLength(index));
}

void SacHeader::setText(int index, const std::string& value) {
    if (index < 0 || index > 22) return;
    const std::size_t off = textOffset(index), len = textLength(index);
    for (std::size_t n = 0; n < len; ++n) k[off + n] = n < value.size() ? value[n] : ' ';
}

std::string encodeSac(const SacHeader& header, const std::vector<float>& samples) {
    std::string out;
    out.reserve(kSacHeaderBytes + samples.size() * 4);
    for (float v : header.f) storeBigEndian(floatToWord(v), out);
    for (int32_t v : header.i) storeBigEndian(static_cast<uint32_t>(v), out);
    out.append(header.k.data(), header.k.size());
    for (float v : samples) storeBigEndian(floatToWord(v), out);
    return out;
}

void KSAC::readSAC(const std::string& path) {
    samples.clear();
    traceBuffer.clear();
    soundBuffer.clear();
    ownsSamples = false;
    header.i[NPTS] = 0;

    // The samples are read straight into their array: a run loads tens of
    // megabytes of them and an intermediate copy would double the work.
    SacFile file(path);
    if (!file.ok() || file.size() < kSacHeaderBytes || file.size() > kMaxSacBytes) return;
    char raw[kSacHeaderBytes];
    if (!file.read(raw, kSacHeaderBytes)) return;
    const char* p = raw;
    for (std::size_t n = 0; n < kFloatWords; ++n, p += 4)
        header.f[n] = wordToFloat(loadBigEndian(p));
    for (std::size_t n = 0; n < kIntWords; ++n, p += 4)
        header.i[n] = static_cast<int32_t>(loadBigEndian(p));
    std::memcpy(header.k.data(), p, kTextBytes);

    // Integer 27 is unused by the format and holds the undefined value; read
    // in the wrong byte order it does not.
    const int32_t count = header.i[NPTS];
    if (header.i[SAC_INT27] != kSacUndefinedInt || count < 0) {
        header.i[NPTS] = 0;
        return;
    }
    // A file shorter than its samples is incomplete and not used; checking
    // this first also bounds what is allocated by the file's real size.
    const std::size_t available = (file.size() - kSacHeaderBytes) / 4;
    if (static_cast<std::size_t>(count) > available) {
        header.i[NPTS] = 0;
        return;
    }
    if (!loadSamples || count == 0) return;

    const std::size_t n = static_cast<std::size_t>(count);
    samples.resize(n);
    if (!file.read(samples.data(), n * 4)) {
        samples.clear();
        header.i[NPTS] = 0;
        return;
    }
    // Byte order, with not-a-number and infinite samples (which cannot be
    // scaled or drawn) made 0; then the extremes and the sum over eight
    // independent lanes. Both loops are simple enough to be vectorised.
    float* data = samples.data();
    for (std::size_t j = 0; j < n; ++j) {
        uint32_t w;
        std::memcpy(&w, data + j, 4);
        w = __builtin_bswap32(w);
        w = (w & 0x7f800000u) == 0x7f800000u ? 0u : w;
        std::memcpy(data + j, &w, 4);
    }
    constexpr std::size_t kLanes = 8;
    float maxLane[kLanes], minLane[kLanes];
    double sumLane[kLanes];
    for (std::size_t k = 0; k < kLanes; ++k) {
        maxLane[k] = -1e20f;
        minLane[k] = 1e20f;
        sumLane[k] = 0;
    }
    for (std::size_t j = 0; j < n; j += kLanes) {
        const std::size_t count = std::min(kLanes, n - j);
        for (std::size_t k = 0; k < count; ++k) {
            const float v = data[j + k];
            maxLane[k] = v > maxLane[k] ? v : maxLane[k];
            minLane[k] = v < minLane[k] ? v : minLane[k];
            sumLane[k] += v;
        }
    }
    float maximum = -1e20f, minimum = 1e20f;
    double sum = 0;
    for (std::size_t k = 0; k < kLanes; ++k) {
        maximum = maxLane[k] > maximum ? maxLane[k] : maximum;
        minimum = minLane[k] < minimum ? minLane[k] : minimum;
        sum += sumLane[k];
    }
    header.f[DEPMAX] = maximum;
    header.f[DEPMIN] = minimum;
    header.f[DEPMEN] = static_cast<float>(sum / static_cast<double>(n));
    traceBuffer.assign(n, 0);
    soundBuffer.assign(n, 0);
    ownsSamples = true;
}

void KSAC::readForRun(const std::string& path, const RunContext& run) {
    header.setUndefined();
    header.i[NPTS] = 0;
    readSAC(path);
    if (npts() == 0) return;

    stationLatitude = header.f[STLA];
    stationLongitude = header.f[STLO];
    eventLatitude = header.f[EVLA];
    eventLongitude = header.f[EVLO];

    monthAndDay(header.i[NZJDAY], header.i[NZYEAR], month, day);
    const double reference = secondsSince1901(header.i[NZYEAR], month, day, header.i[NZHOUR],
                                              header.i[NZMIN], header.i[NZSEC], header.i[NZMSEC])
                             - run.originSeconds;
    startTime = static_cast<float>(reference + header.f[B]);
    if (header.f[E] != kSacUndefined)
        endTime = static_cast<float>(reference + header.f[E]);
    else
        endTime = static_cast<float>(reference + static_cast<double>(npts()) * header.f[DELTA]);

    fileName = lastComponent(path);
    const std::size_t dot = fileName.find('.');
    componentCode = dot == std::string::npos ? std::string()
                                             : textinput::cut(fileName.substr(dot + 1), 7);
    // The first word of KSTNM: headers written by hand or by other tools may
    // centre or right-align the name in its eight bytes.
    const std::string kstnm = header.text(KSTNM);
    std::size_t start = 0;
    textinput::skipBlanks(kstnm, start);
    std::size_t end = start;
    while (end < kstnm.size() && !textinput::isBlank(kstnm[end]) && kstnm[end] != '\0') ++end;
    stationName = kstnm.substr(start, end - start);
    label = stationName + "-" + componentCode;

    header.f[EVLA] = run.eventLatitude;
    header.f[EVLO] = run.eventLongitude;
    header.f[GCARC] =
        greatCircle(header.f[STLA], header.f[STLO], run.eventLatitude, run.eventLongitude).distance;
    for (std::size_t n = 0; n < 4; ++n) {
        arrivalTimes[n] = run.tables[n]
                              ? textinput::truncToInt(arrivalTime(*run.tables[n], header.f[GCARC]))
                              : 0;
    }
}

bool isLeapYear(int year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

int dayOfYear(int year, int month, int day) {
    // Months outside the year count from its start or its end.
    const int m = month < 1 ? 1 : (month > 13 ? 13 : month);
    return kDaysBefore[isLeapYear(year) ? 1 : 0][m - 1] + day;
}

void monthAndDay(int dayOfYear, int year, int32_t& month, int32_t& day) {
    const int* counts = kDaysBefore[isLeapYear(year) ? 1 : 0];
    for (int i = 0; i < 12; ++i) {
        if (counts[i] < dayOfYear && counts[i + 1] >= dayOfYear) {
            month = i + 1;
            day = dayOfYear - counts[i];
            return;
        }
    }
    // A day outside the year: counted from 1 January, which keeps the time
    // it stands for.
    month = 1;
    day = dayOfYear;
}

double secondsSince1901(int year, int month, int day, int hour, int minute, int second,
                        int millisecond) {
    const int64_t y = int64_t(year) - 1901;
    const int64_t days = int64_t(dayOfYear(year, month, day)) + 365 * y + y / 4;
    return static_cast<double>(((days * 24 + hour) * 60 + minute) * 60 + second)
           + 0.001 * millisecond;
}
