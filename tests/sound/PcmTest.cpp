// Wave format conversion, the beep and chime generators and the WAV writer.
#include "sound/Pcm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

int16_t int16At(const std::vector<uint8_t>& bytes, std::size_t index) {
    int16_t v;
    std::memcpy(&v, bytes.data() + 2 * index, 2);
    return v;
}

// Frequency of a tone estimated from its zero crossings.
double zeroCrossingFrequency(const std::vector<float>& tone, int rate, std::size_t from, std::size_t to) {
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        if ((tone[i - 1] < 0) != (tone[i] < 0)) ++crossings;
    return crossings / 2.0 / (double(to - from) / rate);
}

}  // namespace

TEST(PcmWave, DeviceFormatIsPassedUnchanged) {
    std::vector<uint8_t> in(72000);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i * 7);
    EXPECT_EQ(convertWave(in.data(), in.size(), kWaveRate, waveFormat()), in);
}

TEST(PcmWave, SixteenBitKeepsSilenceAndExtremes) {
    const uint8_t in[3] = {128, 0, 255};
    const auto out = convertWave(in, 3, kWaveRate, PcmFormat{kWaveRate, 1, SampleKind::Int16});
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(int16At(out, 0), 0);
    EXPECT_EQ(int16At(out, 1), -32767);
    EXPECT_NEAR(int16At(out, 2), 32511, 2);   // 127/128 of full scale
}

TEST(PcmWave, ResamplingKeepsTheDurationAndInterpolates) {
    std::vector<uint8_t> in(72000, 128);
    const PcmFormat stereo48{48000, 2, SampleKind::Int16};
    // 72 000 samples are 4.5 s at any device rate.
    EXPECT_EQ(convertedWaveSize(in.size(), kWaveRate, stereo48), std::size_t(4.5 * 48000) * 4);
    EXPECT_EQ(convertedWaveSize(in.size(), kWaveRate, PcmFormat{44100, 1, SampleKind::Float}), 198450u * 4);

    const uint8_t ramp[2] = {128, 192};   // 0 then +0.5
    const auto out = convertWave(ramp, 2, kWaveRate, stereo48);
    ASSERT_EQ(out.size(), 6u * 4);
    EXPECT_EQ(int16At(out, 0), 0);
    EXPECT_EQ(int16At(out, 2), int16At(out, 3));   // same signal on both channels
    EXPECT_NEAR(int16At(out, 2), 32767 / 6, 2);     // a third of the way to 0.5
    EXPECT_NEAR(int16At(out, 6), 16384, 2);
    EXPECT_NEAR(int16At(out, 10), 16384, 2);        // held after the last sample
}

TEST(PcmWave, EmptyOrNonsenseFormatsGiveNothing) {
    const uint8_t in[1] = {1};
    EXPECT_EQ(convertedWaveSize(0, kWaveRate, waveFormat()), 0u);
    EXPECT_EQ(convertedWaveSize(1, 0, waveFormat()), 0u);
    EXPECT_EQ(convertedWaveSize(1, kWaveRate, PcmFormat{0, 1, SampleKind::Int16}), 0u);
    EXPECT_TRUE(convertWave(in, 1, kWaveRate, PcmFormat{16000, 0, SampleKind::Int16}).empty());
}

TEST(PcmFloat, StereoFramesBecomeDeviceSamplesClipped) {
    const float in[6] = {0.5f, -0.5f, 2.0f, 2.0f, -0.25f, -0.75f};
    std::vector<uint8_t> mono(3 * 2);
    convertStereoFloat(in, 3, PcmFormat{44100, 1, SampleKind::Int16}, mono.data());
    EXPECT_EQ(int16At(mono, 0), 0);
    EXPECT_EQ(int16At(mono, 1), 32767);
    EXPECT_EQ(int16At(mono, 2), -16384);
    std::vector<uint8_t> quad(3 * 4);
    convertStereoFloat(in, 1, PcmFormat{44100, 4, SampleKind::Int16}, quad.data());
    EXPECT_EQ(int16At(quad, 0), 16384);
    EXPECT_EQ(int16At(quad, 1), -16384);
    EXPECT_EQ(int16At(quad, 2), 0);
    std::vector<uint8_t> bytes(2);
    convertStereoFloat(in, 1, PcmFormat{44100, 2, SampleKind::UInt8}, bytes.data());
    EXPECT_EQ(bytes[0], 128 + 64);
    EXPECT_EQ(bytes[1], 128 - 64);
}

TEST(PcmTones, BeepIsShortAndHighChimeRingsLongerAndLower) {
    const int rate = 44100;
    const auto beep = makeBeep(rate), chime = makeChime(rate);
    EXPECT_NEAR(double(beep.size()) / rate, 0.15, 0.01);
    EXPECT_GT(double(chime.size()) / rate, 0.8);
    EXPECT_LT(peakDbfs(beep.data(), beep.size()), 0.0);
    EXPECT_LT(peakDbfs(chime.data(), chime.size()), 0.0);
    EXPECT_GT(rmsDbfs(beep.data(), beep.size()), -20.0);
    EXPECT_GT(rmsDbfs(chime.data(), chime.size()), -30.0);
    // Loud at the start, faded to nothing at the end: no click when they stop.
    EXPECT_LT(std::fabs(beep.back()), 0.01f);
    EXPECT_LT(std::fabs(chime.back()), 0.01f);
    EXPECT_NEAR(zeroCrossingFrequency(beep, rate, 0, beep.size()), 988, 120);   // odd harmonics add few crossings
    // The chime still rings where the beep has long stopped.
    EXPECT_GT(rmsDbfs(chime.data() + rate / 2, std::size_t(rate) * 3 / 10), -40.0);
}

TEST(PcmWavFile, HeaderDescribesTheData) {
    const std::string path = ::testing::TempDir() + "ov_pcm_test.wav";
    const uint8_t data[4] = {1, 2, 3, 4};
    ASSERT_TRUE(writeWavFile(path, PcmFormat{16000, 1, SampleKind::UInt8}, data, 4));
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(file.size(), 48u);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
    uint32_t rate, byteRate;
    uint16_t channels, bits;
    std::memcpy(&channels, file.data() + 22, 2);
    std::memcpy(&rate, file.data() + 24, 4);
    std::memcpy(&byteRate, file.data() + 28, 4);
    std::memcpy(&bits, file.data() + 34, 2);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(rate, 16000u);
    EXPECT_EQ(byteRate, 16000u);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(file.substr(36, 4), "data");
    EXPECT_EQ(file.substr(44), std::string("\x01\x02\x03\x04", 4));
    std::remove(path.c_str());
    EXPECT_FALSE(writeWavFile("/nonexistent-dir/x.wav", waveFormat(), data, 4));
}
