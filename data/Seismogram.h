// Seismogram files in the SAC binary format (big-endian) and the per-run
// values derived from them.
#pragma once

#include "seismology/TravelTimes.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr float kSacUndefined = -12345.0f;
constexpr int32_t kSacUndefinedInt = -12345;
constexpr std::size_t kSacHeaderBytes = 632;

// Float header words used by the system.
enum SacFloat {
    DELTA = 0,
    DEPMIN = 1,
    DEPMAX = 2,
    B = 5,
    E = 6,
    STLA = 31,
    STLO = 32,
    EVLA = 35,
    EVLO = 36,
    EVDP = 38,
    MAG = 39,
    GCARC = 53,
    DEPMEN = 56,
    CMPAZ = 57,
    CMPINC = 58
};
// Integer header words (index from the first integer).
enum SacInt {
    NZYEAR = 0,
    NZJDAY = 1,
    NZHOUR = 2,
    NZMIN = 3,
    NZSEC = 4,
    NZMSEC = 5,
    NVHDR = 6,
    NPTS = 9,
    IFTYPE = 15,
    LEVEN = 35,
    SAC_INT27 = 27
};
// Text header fields: KSTNM 0, KEVNM 1 (16 bytes), then 8-byte fields.
enum SacText { KSTNM = 0, KEVNM = 1, KCMPNM = 19, KNETWK = 20 };

// The 632-byte header, numbers in host order.
struct SacHeader {
    std::array<float, 70> f{};
    std::array<int32_t, 40> i{};
    std::array<char, 192> k{};   // 23 text fields, no terminators

    void setUndefined();                                 // every field undefined
    std::string text(int index) const;                   // raw field text (8 or 16 bytes)
    void setText(int index, const std::string& value);   // padded with blanks
};

// Big-endian file image of a header and samples (tools and tests write SAC).
std::string encodeSac(const SacHeader& header, const std::vector<float>& samples);

// What a run supplies to derive a seismogram's values.
struct RunContext {
    double originSeconds = 0;
    float eventLatitude = 0, eventLongitude = 0;
    const TravelTimeTable* tables[4] = {nullptr, nullptr, nullptr, nullptr};   // P, S, PP, SS
};

struct KSAC {
    SacHeader header;
    bool ownsSamples = false;
    float stationLatitude = 0, stationLongitude = 0, eventLatitude = 0, eventLongitude = 0;
    std::string description;
    std::string stationName;
    std::string componentCode;
    std::string label;
    std::string fileName;
    int32_t month = 0, day = 0;
    float startTime = 0, endTime = 0;
    std::array<int32_t, 4> arrivalTimes{};
    // Trace state kept by the seismogram view.
    int32_t baseline = 0;
    int32_t lastDrawn = 0;
    bool loadSamples = false;
    std::vector<float> samples;
    std::vector<int16_t> traceBuffer;
    std::vector<uint8_t> soundBuffer;

    int32_t npts() const { return header.i[NPTS]; }

    // Reads the header and, with loadSamples, the samples. A missing file, a
    // file in the wrong byte order, a negative count or a file shorter than
    // its header or its samples all give NPTS = 0.
    void readSAC(const std::string& path);
    // Header all undefined, NPTS 0, readSAC, then the run values when NPTS != 0.
    void readForRun(const std::string& path, const RunContext& run);
};

bool isLeapYear(int year);
int dayOfYear(int year, int month, int day);
void monthAndDay(int dayOfYear, int year, int32_t& month, int32_t& day);
double secondsSince1901(int year, int month, int day, int hour, int minute, int second,
                        int millisecond);
