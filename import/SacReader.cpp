#include "import/SacReader.h"

#include "data/Seismogram.h"
#include "import/TimeText.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kO = 7;   // origin marker
constexpr int kSTEL = 33;
constexpr int kKHOLE = 2;   // text field index of the location code
constexpr int kIftypeTime = 1;
constexpr std::size_t kFooterWords = 22;   // doubles after the samples in version 7
// Footer positions of the values read from it.
enum Footer { F_DELTA = 0, F_B = 1, F_O = 3, F_EVLO = 16, F_EVLA = 17, F_STLO = 18, F_STLA = 19 };

class Words {
public:
    Words(std::string_view bytes, bool little) : bytes_(bytes), little_(little) {}
    uint32_t u32(std::size_t offset) const {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes_.data() + offset);
        return little_ ? uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16
                             | uint32_t(b[3]) << 24
                       : uint32_t(b[3]) | uint32_t(b[2]) << 8 | uint32_t(b[1]) << 16
                             | uint32_t(b[0]) << 24;
    }
    int32_t i32(std::size_t offset) const { return int32_t(u32(offset)); }
    float f32(std::size_t offset) const {
        const uint32_t w = u32(offset);
        float f;
        std::memcpy(&f, &w, 4);
        return f;
    }
    double f64(std::size_t offset) const {
        const uint64_t hi = u32(offset + (little_ ? 4 : 0)), lo = u32(offset + (little_ ? 0 : 4));
        const uint64_t w = hi << 32 | lo;
        double d;
        std::memcpy(&d, &w, 8);
        return d;
    }

private:
    std::string_view bytes_;
    bool little_;
};

constexpr std::size_t floatAt(int index) { return std::size_t(index) * 4; }
constexpr std::size_t intAt(int index) { return 280 + std::size_t(index) * 4; }
constexpr std::size_t textAt(int index) {
    return index == 0 ? 440 : index == 1 ? 448 : 464 + std::size_t(index - 2) * 8;
}

bool defined(double v) { return std::isfinite(v) && v != double(kSacUndefined); }

// A text field without padding; the undefined marker and non-printable
// bytes give "".
std::string textField(std::string_view bytes, int index) {
    const std::size_t len = index == 1 ? 16 : 8;
    std::string s(bytes.substr(textAt(index), len));
    const std::size_t nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    std::size_t first = 0;
    while (first < s.size() && s[first] == ' ') ++first;
    s.erase(0, first);
    if (s == "-12345" || s == "-12345..") return {};
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
            return {};
    return s;
}

// Samples per second from a single-precision interval: the rate with six
// significant digits when that rate gives back the stored interval exactly
// (0.05 s is stored as 0.0500000007 and means 20 samples/s).
double rateFromInterval(double delta, bool singlePrecision) {
    const double rate = 1.0 / delta;
    if (!singlePrecision) return rate;
    const double magnitude = std::pow(10.0, 5 - std::floor(std::log10(rate)));
    const double rounded = std::round(rate * magnitude) / magnitude;
    return float(1.0 / rounded) == float(delta) ? rounded : rate;
}

}   // namespace

std::optional<SacByteOrder> sacByteOrder(std::string_view bytes) {
    if (bytes.size() < kSacHeaderBytes) return std::nullopt;
    for (bool little : {false, true}) {
        const Words w(bytes, little);
        const int32_t version = w.i32(intAt(NVHDR));
        if ((version == 6 || version == 7) && w.i32(intAt(NPTS)) >= 0)
            return little ? SacByteOrder::Little : SacByteOrder::Big;
    }
    return std::nullopt;
}

FileContents readSac(std::string_view bytes, std::string path) {
    FileContents out;
    out.path = std::move(path);
    const auto order = sacByteOrder(bytes);
    if (!order) {
        out.error = "not a SAC file (no header version 6 or 7 in either byte order)";
        return out;
    }
    const Words w(bytes, *order == SacByteOrder::Little);
    const int32_t version = w.i32(intAt(NVHDR));
    const std::size_t npts = std::size_t(w.i32(intAt(NPTS)));
    const std::size_t available = (bytes.size() - kSacHeaderBytes) / 4;
    if (npts == 0) {
        out.error = "SAC file without samples";
        return out;
    }
    if (npts > available) {
        out.error = "truncated SAC file: the header gives " + std::to_string(npts)
                    + " samples, the file holds " + std::to_string(available);
        return out;
    }
    const int32_t iftype = w.i32(intAt(IFTYPE));
    if (iftype != kSacUndefinedInt && iftype != kIftypeTime) {
        out.error = "SAC file is not a time series (spectrum or x-y data)";
        return out;
    }
    if (w.i32(intAt(LEVEN)) == 0) {
        out.error = "SAC file with unevenly spaced samples";
        return out;
    }

    // Version 7 keeps the times and coordinates in double precision after
    // the samples; without the footer the single-precision header serves.
    const std::size_t footer = kSacHeaderBytes + npts * 4;
    const bool hasFooter = version == 7 && bytes.size() >= footer + kFooterWords * 8;
    if (version == 7 && !hasFooter)
        out.warnings.push_back("header version 7 without its footer: single-precision times used");
    auto value = [&](int headerIndex, int footerIndex) -> double {
        if (hasFooter && footerIndex >= 0) {
            const double d = w.f64(footer + std::size_t(footerIndex) * 8);
            if (defined(d)) return d;
        }
        return w.f32(floatAt(headerIndex));
    };

    const double delta = value(DELTA, F_DELTA);
    if (!defined(delta) || delta <= 1e-6 || delta > 1e4) {
        out.error = "SAC file without a usable sampling interval (DELTA)";
        return out;
    }
    const int32_t msec = w.i32(intAt(NZMSEC));
    const auto reference = msec < 0 || msec > 999
                               ? std::nullopt
                               : epochFromDayOfYear(w.i32(intAt(NZYEAR)), w.i32(intAt(NZJDAY)),
                                                    w.i32(intAt(NZHOUR)), w.i32(intAt(NZMIN)),
                                                    w.i32(intAt(NZSEC)) + msec / 1000.0);
    if (!reference) {
        out.error = "SAC file without a valid reference time (NZYEAR..NZMSEC)";
        return out;
    }
    const double begin = value(B, F_B);
    if (!defined(begin) || std::fabs(begin) > 1e9) {
        out.error = "SAC file without a begin time (B)";
        return out;
    }

    ChannelId id{textField(bytes, KNETWK), textField(bytes, KSTNM), textField(bytes, kKHOLE),
                 textField(bytes, KCMPNM)};
    if (id.station.empty() || id.channel.empty()) {
        out.error = id.station.empty() ? "SAC file without a station name (KSTNM)"
                                       : "SAC file without a component name (KCMPNM)";
        return out;
    }

    TraceSegment seg;
    seg.id = id;
    seg.startTime = *reference + begin;
    seg.sampleRate = rateFromInterval(delta, !hasFooter);
    seg.samples.resize(npts);
    std::size_t bad = 0;
    for (std::size_t n = 0; n < npts; ++n) {
        const float v = w.f32(kSacHeaderBytes + n * 4);
        bad += !std::isfinite(v);
        seg.samples[n] = std::isfinite(v) ? v : 0.0;
    }
    if (bad) out.warnings.push_back(std::to_string(bad) + " samples not a number, set to 0");
    out.segments.push_back(std::move(seg));

    const double stla = value(STLA, F_STLA), stlo = value(STLO, F_STLO);
    if (defined(stla) && defined(stlo) && std::fabs(stla) <= 90 && std::fabs(stlo) <= 360) {
        ChannelMetadata meta;
        meta.id = id;
        meta.latitude = stla;
        meta.longitude = stlo > 180 ? stlo - 360 : stlo;
        const double stel = w.f32(floatAt(kSTEL));
        meta.elevation = defined(stel) && std::fabs(stel) < 1e4 ? stel : 0;
        const double az = w.f32(floatAt(CMPAZ)), inc = w.f32(floatAt(CMPINC));
        if (defined(az) && std::fabs(az) <= 360) meta.azimuth = az < 0 ? az + 360 : az;
        if (defined(inc) && inc >= 0 && inc <= 180)
            meta.dip = inc - 90;   // inclination from up, dip from horizontal down
        out.channels.push_back(std::move(meta));
    }

    EventInfo& ev = out.event;
    const double o = value(kO, F_O);
    if (defined(o) && std::fabs(o) < 1e9) ev.originTime = *reference + o;
    const double evla = value(EVLA, F_EVLA), evlo = value(EVLO, F_EVLO);
    if (defined(evla) && defined(evlo) && std::fabs(evla) <= 90 && std::fabs(evlo) <= 360) {
        ev.latitude = evla;
        ev.longitude = evlo > 180 ? evlo - 360 : evlo;
    }
    // No earthquake is deeper than about 700 km: a depth over 1000 was
    // written in metres.
    const double evdp = w.f32(floatAt(EVDP));
    if (defined(evdp) && evdp >= -10 && evdp < 1e6) ev.depthKm = evdp > 1000 ? evdp / 1000 : evdp;
    const double mag = w.f32(floatAt(MAG));
    if (defined(mag) && mag > -5 && mag < 12) ev.magnitude = mag;
    ev.place = textField(bytes, KEVNM);
    return out;
}
