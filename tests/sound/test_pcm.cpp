// Wave format conversion, the beep and chime generators, the WAV writer, and
// the programs' audio back end on a machine without an audio device.
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "sound/AudioBackend.h"
#include "sound/Pcm.h"
#include "sound/Sound.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// Little-endian integer of `size` bytes at `offset`.
long le(const void* data, std::size_t offset, std::size_t size) {
    int64_t v = 0;
    std::memcpy(&v, static_cast<const char*>(data) + offset, size);
    return size == 2 ? long(int16_t(v)) : long(v);
}
long s16(const std::vector<uint8_t>& bytes, std::size_t index) { return le(bytes.data(), 2 * index, 2); }

TEST(PcmWave, ConvertedToTheDeviceFormatKeepingDurationLevelsAndNonsenseGivesNothing) {
    std::vector<uint8_t> in(72000);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i * 7);
    EXPECT_EQ(convertWave(in.data(), in.size(), kWaveRate, waveFormat()), in);   // passed unchanged
    const uint8_t levels[3] = {128, 0, 255};                                     // silence and the extremes (+127/128 of full scale)
    const auto out = convertWave(levels, 3, kWaveRate, PcmFormat{kWaveRate, 1, SampleKind::Int16});
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(std::pair(s16(out, 0), s16(out, 1)), std::pair(0L, -32767L));
    EXPECT_NEAR(s16(out, 2), 32511, 2);

    // 72 000 samples are 4.5 s at any device rate; in between, interpolated.
    const PcmFormat stereo48{48000, 2, SampleKind::Int16};
    EXPECT_EQ(convertedWaveSize(in.size(), kWaveRate, stereo48), std::size_t(4.5 * 48000) * 4);
    EXPECT_EQ(convertedWaveSize(in.size(), kWaveRate, PcmFormat{44100, 1, SampleKind::Float}), 198450u * 4);
    const uint8_t ramp[2] = {128, 192};   // 0 then +0.5
    const auto up = convertWave(ramp, 2, kWaveRate, stereo48);
    ASSERT_EQ(up.size(), 6u * 4);
    EXPECT_EQ(std::pair(s16(up, 0), s16(up, 2)), std::pair(0L, s16(up, 3)));   // same signal on both channels
    EXPECT_NEAR(s16(up, 2), 32767 / 6, 2);
    EXPECT_NEAR(s16(up, 6), 16384, 2);
    EXPECT_NEAR(s16(up, 10), 16384, 2);   // held after the last sample
    EXPECT_EQ(convertedWaveSize(0, kWaveRate, waveFormat()) + convertedWaveSize(1, 0, waveFormat())
                  + convertedWaveSize(1, kWaveRate, PcmFormat{0, 1, SampleKind::Int16}),
              0u);
    EXPECT_TRUE(convertWave(levels, 1, kWaveRate, PcmFormat{16000, 0, SampleKind::Int16}).empty());

    // Stereo float frames become device samples, clipped.
    const float frames[6] = {0.5f, -0.5f, 2.0f, 2.0f, -0.25f, -0.75f};
    std::vector<uint8_t> mono(3 * 2), quad(3 * 4), bytes(2);
    convertStereoFloat(frames, 3, PcmFormat{44100, 1, SampleKind::Int16}, mono.data());
    EXPECT_EQ((std::vector<long>{s16(mono, 0), s16(mono, 1), s16(mono, 2)}), (std::vector<long>{0, 32767, -16384}));
    convertStereoFloat(frames, 1, PcmFormat{44100, 4, SampleKind::Int16}, quad.data());
    EXPECT_EQ((std::vector<long>{s16(quad, 0), s16(quad, 1), s16(quad, 2)}), (std::vector<long>{16384, -16384, 0}));
    convertStereoFloat(frames, 1, PcmFormat{44100, 2, SampleKind::UInt8}, bytes.data());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{128 + 64, 128 - 64}));
}

TEST(PcmTones, BeepIsShortAndHighChimeRingsLongerAndBothFadeOut) {
    const auto beep = makeBeep(44100), chime = makeChime(44100);   // their lengths are measured on the synthesizer
    int crossings = 0;                                             // about 988 Hz: odd harmonics add few crossings
    for (std::size_t i = 1; i < beep.size(); ++i) crossings += (beep[i - 1] < 0) != (beep[i] < 0);
    EXPECT_NEAR(crossings / 2.0 / (double(beep.size()) / 44100), 988, 120);
    for (const auto* tone : {&beep, &chime}) {   // not clipped, and no click when it stops
        EXPECT_LT(peakDbfs(tone->data(), tone->size()), 0.0);
        EXPECT_LT(std::fabs(tone->back()), 0.01f);
    }
}

TEST(PcmWavFile, HeaderDescribesTheData) {
    const std::string path = ::testing::TempDir() + "ov_pcm_test.wav";
    const uint8_t data[4] = {1, 2, 3, 4};
    ASSERT_TRUE(writeWavFile(path, PcmFormat{16000, 1, SampleKind::UInt8}, data, 4));
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    ASSERT_EQ(file.size(), 48u);
    EXPECT_EQ(file.substr(0, 4) + file.substr(8, 8) + file.substr(36, 4) + file.substr(44), "RIFFWAVEfmt data\x01\x02\x03\x04");
    // Channels, rate, bytes per second, bits per sample.
    EXPECT_EQ((std::vector<long>{le(file.data(), 22, 2), le(file.data(), 24, 4), le(file.data(), 28, 4), le(file.data(), 34, 2)}),
              (std::vector<long>{1, 16000, 16000, 8}));
    EXPECT_FALSE(writeWavFile("/nonexistent-dir/x.wav", waveFormat(), data, 4));
}

// Every operation through the rules and directly: safe and silent without a device.
void exerciseEverything(Sound& sound) {
    Settings settings;
    KSAC seismogram;
    seismogram.soundBuffer.assign(72000, 90);
    EXPECT_EQ(sound.openMidi(settings), 1);   // no MIDI output device
    sound.click();
    EXPECT_NE(sound.playMusic("OV.MID"), 0);
    EXPECT_FALSE(sound.musicIsOpen());
    for (AudioMode mode : {AudioMode::None, AudioMode::PC, AudioMode::EQ, AudioMode::Chime, AudioMode::EQ})
        settings.audio = mode, sound.playArrivalSound(settings, seismogram);
    sound.stopMusic(), sound.closeMidi(), sound.closeWave();
    SoundBackend& b = sound.backend();
    EXPECT_FALSE(b.waveOpen());
    b.waveWrite(seismogram.soundBuffer.data(), seismogram.soundBuffer.size());
    EXPECT_TRUE(b.waveDone());
    b.waveReset(), b.waveClose(), b.midiReset(), b.midiClose(), b.midiShortMessage(0x7f4d99);
    EXPECT_EQ(std::pair(b.midiDeviceCount(), b.midiOpen()), std::pair(0, false));
    EXPECT_NE(b.musicOpen("EQ.MID"), 0);
    EXPECT_NE(b.musicPlay(), 0);
    b.musicClose(), b.beep(), b.chime();
}

TEST(AudioBackendWithoutDevice, EverythingIsSilentSafeAndQuietWithOrWithoutApplication) {
    // Nothing may be printed; the log's own line about the missing device is
    // wanted, so its categories are off here.
    QLoggingCategory::setFilterRules(QStringLiteral("orvanta.*=false"));
    testing::internal::CaptureStderr();
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_FALSE(audioOutputPresent());
    {
        Sound sound(makeAudioBackend());
        exerciseEverything(sound);
    }
    auto outliving = makeAudioBackend();
    {
        int argc = 1;
        char name[] = "test_sound";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        if (audioOutputPresent()) {
            testing::internal::GetCapturedStderr();
            GTEST_SKIP() << "this machine has an audio output";
        }
        outliving->waveOpen();
        outliving->beep();
        Sound sound(makeAudioBackend());
        exerciseEverything(sound);
        app.processEvents();
    }
    EXPECT_FALSE(outliving->waveOpen());   // its application is gone
    outliving->waveClose(), outliving->musicClose(), outliving.reset();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    QLoggingCategory::setFilterRules(QString());
}

}   // namespace
