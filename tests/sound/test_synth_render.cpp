// The real synthesis (the General MIDI SoundFont, the music player, the beep
// and chime, the wave path) rendered into memory and measured. A sound counts
// as audible when its RMS is above -40 dBFS; silence is below -70 dBFS.
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "fileio/FileSystem.h"
#include "sound/RenderBackend.h"
#include "sound/Sound.h"

#if OV_HAVE_ASSETS
#include "Music.h"
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace {

constexpr double kAudible = -40.0;
constexpr double kSilent = -70.0;
constexpr int kRate = 44100;

std::size_t ms(int milliseconds) { return std::size_t(kRate) * std::size_t(milliseconds) / 1000; }

struct Rig {
    RenderBackend* backend;
    Sound sound;
    Settings settings;
    explicit Rig(const PcmFormat& wave = waveFormat())
        : backend(new RenderBackend(kRate, wave)), sound(std::unique_ptr<SoundBackend>(backend)) {}
    // RMS of the rendered frames from `fromMs` to `toMs` (or to the end).
    double level(int fromMs = 0, int toMs = 1 << 20) const {
        const auto& out = backend->output();
        const std::size_t to = std::min(ms(toMs), out.size() / 2), from = ms(fromMs);
        return from >= to ? -1000 : rmsDbfs(out.data() + 2 * from, 2 * (to - from));
    }
    void render(int milliseconds) { backend->renderMilliseconds(milliseconds); }
    void arrival(AudioMode mode, const KSAC& seismogram, int times = 1) {
        settings.audio = mode;
        for (int i = 0; i < times; ++i) sound.playArrivalSound(settings, seismogram);
    }
};

// A folder of its own for each test's files.
std::string tempFolder(const std::string& name) {
    const std::string dir = ::testing::TempDir() + "ovsound_" + name;
    std::filesystem::remove_all(dir), std::filesystem::create_directories(dir);
    return dir;
}
std::string writeFile(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = joinPath(dir, name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

// A format-0 file: a string chord held for three seconds at 120 beats per minute.
std::vector<uint8_t> threeSecondChord() {
    std::vector<uint8_t> track = {0x00, 0xC0, 48,  0x00, 0x90, 48,   100, 0x00, 0x90, 55,   100,  0x00,
                                  0x90, 60,   100, 0x8B, 0x20, 0x80, 48,  64,   // 6 quarters (1440 ticks) later
                                  0x00, 0x80, 55,  64,   0x00, 0x80, 60,  64,   0x00, 0xFF, 0x2F, 0x00};
    track.insert(track.begin(),
                 {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, uint8_t(track.size())});
    return track;
}

class SynthRender : public ::testing::Test {
protected:
    void SetUp() override {
        if (findSoundFont().empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
    }
};

TEST_F(SynthRender, ClickIsAudibleOnBothChannelsOnlyWhileMidiIsOpen) {
    for (bool baseLevel : {false, true}) {   // channel 10 or 16
        Rig rig;
        rig.settings.baseLevelMidi = baseLevel;
        ASSERT_EQ(rig.sound.openMidi(rig.settings), 0);
        rig.render(200), rig.sound.click(), rig.render(300);
        EXPECT_TRUE(rig.level(0, 200) < kSilent && rig.level(200, 500) > kAudible) << baseLevel;
    }
    Rig closed;
    closed.sound.click();   // not open yet
    closed.sound.openMidi(closed.settings), closed.sound.closeMidi(), closed.sound.click();
    closed.render(300);
    EXPECT_LT(closed.level(), kSilent);
}

TEST_F(SynthRender, QuakeMusicPlaysAboutThreeSecondsAndStopSilencesAtOnce) {
    const std::string dir = tempFolder("quake");
#if OV_HAVE_ASSETS
    const std::string quake = writeFile(dir, "EQ.MID", quakeRumbleBytes());
#else
    const std::string quake = writeFile(dir, "EQ.MID", threeSecondChord());
#endif
    Rig rig;
    ASSERT_EQ(rig.sound.playMusic(quake), 0);
    // The player reports the end once the last notes have died away; until
    // then every half second sounds, the last louder than -50 dBFS at 2.5 to 4 s.
    int playedMs = 0, soundingMs = 0;
    for (; playedMs < 20000 && rig.backend->engine().musicPlaying(); playedMs += 100) rig.render(100);
    for (int t = 0; t < playedMs; t += 100) soundingMs = rig.level(t, t + 100) > -50.0 ? t + 100 : soundingMs;
    EXPECT_TRUE(soundingMs >= 2500 && soundingMs <= 4000 && playedMs < 20000) << soundingMs << " " << playedMs;
    for (int t = 0; t + 500 <= soundingMs; t += 500) EXPECT_GT(rig.level(t, t + 500), kAudible) << t;

    // Found whatever the case of its name; stopped, silent at once, and the
    // click that follows is played by a synthesizer in its defaults.
    writeFile(dir, "chord.mid", threeSecondChord());
    Rig stop;
    ASSERT_EQ(stop.sound.playMusic(joinPath(dir, "CHORD.MID")), 0);
    stop.render(1000);
    stop.sound.stopMusic();
    EXPECT_FALSE(stop.backend->engine().musicOpen());
    stop.render(500);
    stop.sound.openMidi(stop.settings), stop.sound.click();
    stop.render(300);
    EXPECT_TRUE(stop.level(500, 1000) > kAudible && stop.level(1020, 1500) < -60.0 && stop.level(1500, 1800) > kAudible);
}

TEST_F(SynthRender, MissingForeignOrDamagedMusicFilesPlayNothingAndNeverHang) {
    const std::string dir = tempFolder("bad");
    Rig rig;
    EXPECT_EQ(rig.sound.playMusic(joinPath(dir, "NONE.MID")), kMusicFileNotFound);
    EXPECT_EQ(rig.sound.playMusic(dir), kMusicFileNotFound);   // a folder
    EXPECT_EQ(rig.sound.playMusic(writeFile(dir, "TEXT.MID", std::vector<uint8_t>(40, 'x'))), kMusicNotMidi);
    EXPECT_EQ(rig.sound.playMusic(writeFile(dir, "EMPTY.MID", {})), kMusicNotMidi);
    EXPECT_FALSE(rig.sound.musicIsOpen());
    rig.render(200);
    EXPECT_LT(rig.level(), kSilent);

    // Damaged files: every cut, bytes changed at random, a track longer than the file.
    const std::vector<uint8_t> good = threeSecondChord();
    std::mt19937 random(11);
    for (std::size_t i = 14; i < good.size() + 30; ++i) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + long(std::min(i, good.size())));
        for (int k = 0; i >= good.size() && k < 6; ++k) bytes[14 + random() % (bytes.size() - 14)] = uint8_t(random());
        if (i == good.size() + 29) bytes[21] = 0xff;
        rig.sound.playMusic(writeFile(dir, "EQ.MID", bytes));
        rig.render(100), rig.sound.stopMusic();
    }
    EXPECT_FALSE(rig.sound.musicIsOpen());
}

TEST_F(SynthRender, ArrivalSoundsBeepOnceChimeRingsQuakePlaysWholeAndConverted) {
    KSAC seismogram;
    Rig once, twenty, chime;
    once.arrival(AudioMode::PC, seismogram), once.render(300);
    twenty.arrival(AudioMode::PC, seismogram, 20), twenty.render(300);   // twenty requests sound as one beep
    EXPECT_EQ(once.backend->output(), twenty.backend->output());
    EXPECT_TRUE(once.level(0, 150) > kAudible && once.level(160, 300) < kSilent);

    chime.arrival(AudioMode::Chime, seismogram), chime.render(1200);   // rings longer, struck again over the ringing
    chime.arrival(AudioMode::Chime, seismogram), chime.render(100);
    EXPECT_TRUE(chime.level(0, 300) > kAudible && chime.level(500, 800) > kAudible);
    EXPECT_GT(chime.level(1200, 1300), chime.level(1000, 1100));

    // The earthquake sound: 4.5 s, the whole buffer unchanged, what comes meanwhile dropped.
    seismogram.soundBuffer.resize(72000);
    for (std::size_t i = 0; i < 72000; ++i) seismogram.soundBuffer[i] = uint8_t(128 + 100 * std::sin(double(i) / 10));
    Rig eq;
    eq.arrival(AudioMode::EQ, seismogram, 20);
    EXPECT_EQ(std::pair(eq.backend->waveWrites(), eq.backend->waveOutput()), std::pair(1, seismogram.soundBuffer));
    eq.render(4490), eq.arrival(AudioMode::EQ, seismogram);
    const int writes = eq.backend->waveWrites();
    eq.render(10), eq.arrival(AudioMode::EQ, seismogram);
    EXPECT_EQ(std::pair(writes, eq.backend->waveWrites()), std::pair(1, 2));

    Rig stereo(PcmFormat{48000, 2, SampleKind::Int16});   // a device without 8-bit support
    stereo.arrival(AudioMode::EQ, seismogram);
    EXPECT_EQ(stereo.backend->waveOutput().size(), 216000u * 4);   // 4.5 s converted
}

}   // namespace
