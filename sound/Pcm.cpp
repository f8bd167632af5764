#include "sound/Pcm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Stores one sample in [-1, 1] at `out` in the given kind.
inline void storeSample(float v, SampleKind kind, uint8_t* out) {
    v = std::clamp(v, -1.0f, 1.0f);
    switch (kind) {
    case SampleKind::UInt8: *out = uint8_t(std::lround(v * 127.0f) + 128); break;
    case SampleKind::Int16: {
        const int16_t s = int16_t(std::lround(v * 32767.0f));
        std::memcpy(out, &s, 2);
        break;
    }
    case SampleKind::Int32: {
        const int32_t s = int32_t(std::llround(double(v) * 2147483647.0));
        std::memcpy(out, &s, 4);
        break;
    }
    case SampleKind::Float: std::memcpy(out, &v, 4); break;
    }
}

inline float unsigned8(uint8_t v) { return (float(v) - 128.0f) / 128.0f; }

void putLe(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(char((v >> (8 * i)) & 0xff));
}

}   // namespace

int PcmFormat::bytesPerSample() const {
    switch (kind) {
    case SampleKind::UInt8: return 1;
    case SampleKind::Int16: return 2;
    case SampleKind::Int32: return 4;
    case SampleKind::Float: return 4;
    }
    return 1;
}

PcmFormat waveFormat() { return PcmFormat{kWaveRate, 1, SampleKind::UInt8}; }

std::size_t convertedWaveSize(std::size_t count, int fromRate, const PcmFormat& to) {
    if (count == 0 || fromRate <= 0 || to.sampleRate <= 0 || to.channels <= 0) return 0;
    const uint64_t frames = (uint64_t(count) * uint64_t(to.sampleRate) + uint64_t(fromRate) - 1)
                            / uint64_t(fromRate);
    return std::size_t(frames) * std::size_t(to.bytesPerFrame());
}

void convertWave(const uint8_t* in, std::size_t count, int fromRate, const PcmFormat& to,
                 uint8_t* out) {
    const std::size_t bytes = convertedWaveSize(count, fromRate, to);
    if (bytes == 0) return;
    const std::size_t frames = bytes / std::size_t(to.bytesPerFrame());
    const int sampleBytes = to.bytesPerSample();
    if (to.sampleRate == fromRate && to.kind == SampleKind::UInt8 && to.channels == 1) {
        std::memcpy(out, in, count);   // already the device's format
        return;
    }
    const double step = double(fromRate) / double(to.sampleRate);
    for (std::size_t f = 0; f < frames; ++f) {
        const double position = double(f) * step;
        const std::size_t i = std::min(std::size_t(position), count - 1);
        const double fraction = position - double(i);
        const float a = unsigned8(in[i]);
        const float b = i + 1 < count ? unsigned8(in[i + 1]) : a;
        const float v = float(a + (b - a) * fraction);
        for (int c = 0; c < to.channels; ++c)
            storeSample(v, to.kind, out + (f * to.channels + c) * sampleBytes);
    }
}

std::vector<uint8_t> convertWave(const uint8_t* in, std::size_t count, int fromRate,
                                 const PcmFormat& to) {
    std::vector<uint8_t> out(convertedWaveSize(count, fromRate, to));
    if (!out.empty()) convertWave(in, count, fromRate, to, out.data());
    return out;
}

void convertStereoFloat(const float* in, std::size_t frames, const PcmFormat& to, uint8_t* out) {
    const int sampleBytes = to.bytesPerSample();
    for (std::size_t f = 0; f < frames; ++f) {
        const float left = in[2 * f], right = in[2 * f + 1];
        uint8_t* frame = out + f * std::size_t(to.bytesPerFrame());
        if (to.channels == 1) {
            storeSample(0.5f * (left + right), to.kind, frame);
            continue;
        }
        storeSample(left, to.kind, frame);
        storeSample(right, to.kind, frame + sampleBytes);
        for (int c = 2; c < to.channels; ++c) storeSample(0.0f, to.kind, frame + c * sampleBytes);
    }
}

std::vector<float> makeBeep(int sampleRate) {
    // 150 ms at 988 Hz, odd harmonics for a square-ish buzz, soft edges.
    const int n = sampleRate * 150 / 1000;
    const int edge = std::max(1, sampleRate * 5 / 1000);
    std::vector<float> out(std::size_t(std::max(n, 0)));
    const double w = 2 * kPi * 988.0 / sampleRate;
    for (int i = 0; i < n; ++i) {
        const double t = w * i;
        double v = std::sin(t) + std::sin(3 * t) / 3 + std::sin(5 * t) / 5;
        const double envelope = std::min({1.0, double(i) / edge, double(n - 1 - i) / (4.0 * edge)});
        out[std::size_t(i)] = float(0.3 * v * envelope);
    }
    return out;
}

std::vector<float> makeChime(int sampleRate) {
    // Two bell strokes, E6 then B5, each with a few inharmonic partials
    // that die away faster the higher they are.
    struct Stroke {
        double start, frequency;
    };
    const Stroke strokes[] = {{0.0, 1318.5}, {0.16, 987.8}};
    const struct {
        double ratio, amplitude, decay;
    } partials[] = {{1.0, 1.0, 0.45}, {2.76, 0.35, 0.18}, {5.40, 0.15, 0.08}, {0.5, 0.25, 0.6}};
    const int n = sampleRate * 1100 / 1000;
    std::vector<float> out(std::size_t(std::max(n, 0)), 0.0f);
    const double attack = 0.003;
    for (const Stroke& s : strokes) {
        const int first = int(s.start * sampleRate);
        for (int i = first; i < n; ++i) {
            const double t = double(i - first) / sampleRate;
            double v = 0;
            for (const auto& p : partials)
                v += p.amplitude * std::exp(-t / p.decay)
                     * std::sin(2 * kPi * s.frequency * p.ratio * t);
            const double rise = std::min(1.0, t / attack);
            const double fade = std::min(1.0, double(n - 1 - i) / (0.02 * sampleRate));
            out[std::size_t(i)] += float(0.22 * v * rise * fade);
        }
    }
    return out;
}

bool writeWavFile(const std::string& path, const PcmFormat& format, const uint8_t* data,
                  std::size_t bytes) {
    if (bytes > std::numeric_limits<uint32_t>::max() - 64 || format.channels <= 0) return false;
    std::string head;
    const uint32_t blockAlign = uint32_t(format.bytesPerFrame());
    putLe(head, 0x46464952, 4);   // "RIFF"
    putLe(head, uint32_t(36 + bytes), 4);
    putLe(head, 0x45564157, 4);   // "WAVE"
    putLe(head, 0x20746d66, 4);   // "fmt "
    putLe(head, 16, 4);
    putLe(head, format.kind == SampleKind::Float ? 3 : 1, 2);
    putLe(head, uint32_t(format.channels), 2);
    putLe(head, uint32_t(format.sampleRate), 4);
    putLe(head, uint32_t(format.sampleRate) * blockAlign, 4);
    putLe(head, blockAlign, 2);
    putLe(head, uint32_t(format.bytesPerSample() * 8), 2);
    putLe(head, 0x61746164, 4);   // "data"
    putLe(head, uint32_t(bytes), 4);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(head.data(), std::streamsize(head.size()));
    if (bytes) file.write(reinterpret_cast<const char*>(data), std::streamsize(bytes));
    return bool(file);
}

double rmsDbfs(const float* samples, std::size_t count) {
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += double(samples[i]) * samples[i];
    if (count == 0 || sum <= 0) return -std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(sum / double(count));
}

double peakDbfs(const float* samples, std::size_t count) {
    double peak = 0;
    for (std::size_t i = 0; i < count; ++i) peak = std::max(peak, double(std::fabs(samples[i])));
    if (peak <= 0) return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(peak);
}
