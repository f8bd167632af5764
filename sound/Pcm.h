// Plain PCM helpers shared by the audio back end and the offline renderer:
// sample formats, conversion of the 8-bit wave buffers and of the
// synthesizer's float output into whatever a device accepts, the two short
// system sounds, and a WAV file writer for listening to what was rendered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class SampleKind { UInt8, Int16, Int32, Float };

struct PcmFormat {
    int sampleRate = 16000;
    int channels = 1;
    SampleKind kind = SampleKind::UInt8;

    int bytesPerSample() const;
    int bytesPerFrame() const { return bytesPerSample() * channels; }
    bool operator==(const PcmFormat&) const = default;
};

// The wave output's own format: 8-bit unsigned mono at 16 000 samples/s.
constexpr int kWaveRate = 16000;
PcmFormat waveFormat();

// Size in bytes of `count` 8-bit samples at `fromRate` after conversion.
std::size_t convertedWaveSize(std::size_t count, int fromRate, const PcmFormat& to);

// Converts 8-bit unsigned mono samples at `fromRate` into `to` (linear
// interpolation between samples when the rates differ, the same signal on
// every channel). `out` must hold convertedWaveSize() bytes.
void convertWave(const uint8_t* in, std::size_t count, int fromRate, const PcmFormat& to,
                 uint8_t* out);
std::vector<uint8_t> convertWave(const uint8_t* in, std::size_t count, int fromRate,
                                 const PcmFormat& to);

// Writes `frames` interleaved stereo float frames (full scale ±1, clipped)
// into `out` in format `to`, whose rate must be the rate they were rendered
// at. Mono takes the mean of the two channels; further channels stay silent.
void convertStereoFloat(const float* in, std::size_t frames, const PcmFormat& to, uint8_t* out);

// The PC mode's beep: a short square-ish tone. The chime mode's chime: two
// bell strokes falling a fourth. Mono, full scale ±1, at `sampleRate`.
std::vector<float> makeBeep(int sampleRate);
std::vector<float> makeChime(int sampleRate);

// A RIFF/WAVE file of raw PCM `data` in `format` (UInt8, Int16 or Int32
// integer PCM; Float as IEEE float). False when it cannot be written.
bool writeWavFile(const std::string& path, const PcmFormat& format, const uint8_t* data,
                  std::size_t bytes);

// Level of a stretch of float samples, in dB relative to full scale (-inf for silence).
double rmsDbfs(const float* samples, std::size_t count);
double peakDbfs(const float* samples, std::size_t count);
