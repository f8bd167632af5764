// The real synthesis (FluidSynth with the General MIDI SoundFont, the music
// player, the beep and chime, the wave path) rendered into memory and measured.
// A sound counts as audible when its RMS is above -40 dBFS; silence is below
// -70 dBFS.
#include "fileio/FileSystem.h"
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "sound/RenderBackend.h"
#include "sound/Sound.h"

#if OV_HAVE_ASSETS
#include "Music.h"
#endif

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

constexpr double kAudible = -40.0;
constexpr double kSilent = -70.0;
constexpr int kRate = 44100;

struct Rig {
    RenderBackend* backend = new RenderBackend(kRate);
    Sound sound{std::unique_ptr<SoundBackend>(backend)};
    double level(std::size_t fromFrame, std::size_t toFrame) const {
        const auto& out = backend->output();
        toFrame = std::min(toFrame, out.size() / 2);
        if (fromFrame >= toFrame) return -1000;
        return rmsDbfs(out.data() + 2 * fromFrame, 2 * (toFrame - fromFrame));
    }
    double levelAll() const { return level(0, backend->output().size() / 2); }
};

std::size_t ms(int milliseconds) { return std::size_t(kRate) * std::size_t(milliseconds) / 1000; }

// A folder of its own for each test's files.
std::string tempFolder(const std::string& name) {
    const std::string dir = ::testing::TempDir() + "ovsound_" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A format-0 file: a string chord held for three seconds at 120 beats per minute.
std::vector<uint8_t> threeSecondChord() {
    std::vector<uint8_t> track = {
        0x00, 0xC0, 48,                 // program: string ensemble
        0x00, 0x90, 48, 100, 0x00, 0x90, 55, 100, 0x00, 0x90, 60, 100,
        0x8B, 0x20, 0x80, 48, 64,       // 6 quarters (1440 ticks) later
        0x00, 0x80, 55, 64, 0x00, 0x80, 60, 64,
        0x00, 0xFF, 0x2F, 0x00};
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0,
                                 'M', 'T', 'r', 'k', 0, 0, 0, uint8_t(track.size())};
    for (uint8_t byte : track) file.push_back(byte);
    return file;
}

std::vector<uint8_t> quakeMusic() {
#if OV_HAVE_ASSETS
    return quakeRumbleBytes();
#else
    return threeSecondChord();
#endif
}

// Renders until the player is done (at most `limitMs`); returns the playing time in ms.
int playToEnd(Rig& rig, int limitMs) {
    int elapsed = 0;
    while (elapsed < limitMs && rig.backend->engine().musicPlaying()) {
        rig.backend->renderMilliseconds(10);
        elapsed += 10;
    }
    return elapsed;
}

}  // namespace

class SynthRender : public ::testing::Test {
protected:
    void SetUp() override {
        if (findSoundFont().empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
    }
};

TEST_F(SynthRender, ClickIsAudibleAndNothingSoundsBeforeIt) {
    Rig rig;
    Settings settings;
    ASSERT_EQ(rig.sound.openMidi(settings), 0);
    rig.backend->renderMilliseconds(200);
    EXPECT_LT(rig.levelAll(), kSilent);
    rig.sound.click();
    rig.backend->renderMilliseconds(300);
    const double click = rig.level(ms(200), ms(500));
    EXPECT_GT(click, kAudible) << "click RMS " << click << " dBFS";
    EXPECT_LT(peakDbfs(rig.backend->output().data(), rig.backend->output().size()), 0.0);   // not clipped
}

TEST_F(SynthRender, BaseLevelClickOnChannelSixteenIsAudibleToo) {
    Rig rig;
    Settings settings;
    settings.baseLevelMidi = true;
    ASSERT_EQ(rig.sound.openMidi(settings), 0);
    rig.sound.click();
    rig.backend->renderMilliseconds(300);
    EXPECT_GT(rig.levelAll(), kAudible);
}

TEST_F(SynthRender, ClosedMidiMakesNoClickAndCloseSilencesTheVoice) {
    Rig rig;
    Settings settings;
    rig.sound.click();   // not open yet
    rig.backend->renderMilliseconds(300);
    EXPECT_LT(rig.levelAll(), kSilent);
    rig.sound.openMidi(settings);
    rig.sound.closeMidi();
    rig.sound.click();
    rig.backend->renderMilliseconds(300);
    EXPECT_LT(rig.levelAll(), kSilent);
}

TEST_F(SynthRender, QuakeMusicPlaysAboutThreeSeconds) {
    const std::string dir = tempFolder("quake");
    writeFile(joinPath(dir, "EQ.MID"), quakeMusic());
    Rig rig;
    ASSERT_EQ(rig.sound.playMusic(joinPath(dir, "EQ.MID")), 0);
    // The player reports the end once the last notes have died away.
    const int playedMs = playToEnd(rig, 20000);
    EXPECT_LT(playedMs, 20000);
    // Sounding time: up to the end of the last 100 ms that is louder than -50 dBFS.
    int soundingMs = 0;
    for (int t = 0; t < playedMs; t += 100)
        if (rig.level(ms(t), ms(t + 100)) > -50.0) soundingMs = t + 100;
    EXPECT_GE(soundingMs, 2500);
    EXPECT_LE(soundingMs, 4000);
    // Every half second of it sounds, and the whole is clearly audible.
    for (int t = 0; t + 500 <= soundingMs; t += 500)
        EXPECT_GT(rig.level(ms(t), ms(t + 500)), kAudible) << "at " << t << " ms";
    const double level = rig.level(0, ms(soundingMs));
    EXPECT_GT(level, kAudible) << "EQ.MID RMS " << level << " dBFS";
    RecordProperty("soundingMs", soundingMs);
    rig.sound.stopMusic();
}

TEST_F(SynthRender, MusicFilesAreFoundWhateverTheirCase) {
    const std::string dir = tempFolder("case");
    writeFile(joinPath(dir, "eq.mid"), threeSecondChord());
    Rig rig;
    EXPECT_EQ(rig.sound.playMusic(joinPath(dir, "EQ.MID")), 0);
    rig.backend->renderMilliseconds(500);
    EXPECT_GT(rig.levelAll(), kAudible);
}

TEST_F(SynthRender, StopMusicSilencesAtOnce) {
    const std::string dir = tempFolder("stop");
    writeFile(joinPath(dir, "EQ.MID"), threeSecondChord());
    Rig rig;
    ASSERT_EQ(rig.sound.playMusic(joinPath(dir, "EQ.MID")), 0);
    rig.backend->renderMilliseconds(1000);
    EXPECT_GT(rig.level(ms(500), ms(1000)), kAudible);
    rig.sound.stopMusic();
    EXPECT_FALSE(rig.backend->engine().musicOpen());
    rig.backend->renderMilliseconds(500);
    const double after = rig.level(ms(1000) + ms(20), ms(1500));
    EXPECT_LT(after, -60.0) << "after stop " << after << " dBFS";
    // The click that follows the music is played by a synthesizer in its defaults.
    Settings settings;
    rig.sound.openMidi(settings);
    rig.sound.click();
    rig.backend->renderMilliseconds(300);
    EXPECT_GT(rig.level(ms(1500), ms(1800)), kAudible);
}

TEST_F(SynthRender, MissingOrForeignMusicFilesReportAnErrorAndPlayNothing) {
    const std::string dir = tempFolder("bad");
    writeFile(joinPath(dir, "TEXT.MID"), {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!', '!'});
    writeFile(joinPath(dir, "EMPTY.MID"), {});
    Rig rig;
    EXPECT_EQ(rig.sound.playMusic(joinPath(dir, "NONE.MID")), kMusicFileNotFound);
    EXPECT_EQ(rig.sound.playMusic(joinPath(dir, "TEXT.MID")), kMusicNotMidi);
    EXPECT_EQ(rig.sound.playMusic(joinPath(dir, "EMPTY.MID")), kMusicNotMidi);
    EXPECT_EQ(rig.sound.playMusic(dir), kMusicFileNotFound);   // a folder
    EXPECT_FALSE(rig.sound.musicIsOpen());
    rig.backend->renderMilliseconds(200);
    EXPECT_LT(rig.levelAll(), kSilent);
}

TEST_F(SynthRender, DamagedMidiFilesNeverHangOrCrashThePlayer) {
    const std::string dir = tempFolder("damaged");
    const std::vector<uint8_t> good = threeSecondChord();
    std::mt19937 random(11);
    std::vector<std::vector<uint8_t>> files;
    for (std::size_t cut = 14; cut < good.size(); cut += 5) files.emplace_back(good.begin(), good.begin() + long(cut));
    for (int i = 0; i < 30; ++i) {
        std::vector<uint8_t> bytes = good;
        for (int k = 0; k < 6; ++k) bytes[14 + random() % (bytes.size() - 14)] = uint8_t(random());
        files.push_back(bytes);
    }
    std::vector<uint8_t> noise(300);
    for (auto& b : noise) b = uint8_t(random());
    std::copy(good.begin(), good.begin() + 22, noise.begin());
    noise[21] = 0xff;   // a track length far beyond the file
    files.push_back(noise);
    Rig rig;
    const std::string path = joinPath(dir, "EQ.MID");
    for (const auto& bytes : files) {
        writeFile(path, bytes);
        rig.sound.playMusic(path);
        // Either refused, or finished within the time the file can describe.
        rig.backend->renderMilliseconds(100);
        rig.sound.stopMusic();
    }
    EXPECT_FALSE(rig.sound.musicIsOpen());
}

TEST_F(SynthRender, TwentyRequestsOfOneArrivalSoundAsOneBeep) {
    Settings settings;
    KSAC seismogram;
    settings.audio = AudioMode::PC;
    Rig once, twenty;
    once.sound.playArrivalSound(settings, seismogram);
    for (int i = 0; i < 20; ++i) twenty.sound.playArrivalSound(settings, seismogram);
    once.backend->renderMilliseconds(300);
    twenty.backend->renderMilliseconds(300);
    EXPECT_EQ(once.backend->output(), twenty.backend->output());
    EXPECT_GT(once.level(0, ms(150)), kAudible);
    EXPECT_LT(once.level(ms(160), ms(300)), kSilent);   // short
}

TEST_F(SynthRender, ChimeIsAudibleAndRingsLongerThanTheBeep) {
    Settings settings;
    KSAC seismogram;
    settings.audio = AudioMode::Chime;
    Rig rig;
    rig.sound.playArrivalSound(settings, seismogram);
    rig.backend->renderMilliseconds(1200);
    EXPECT_GT(rig.level(0, ms(300)), kAudible);
    EXPECT_GT(rig.level(ms(500), ms(800)), kAudible);
    // A later request strikes again over the ringing.
    rig.sound.playArrivalSound(settings, seismogram);
    rig.backend->renderMilliseconds(100);
    EXPECT_GT(rig.level(ms(1200), ms(1300)), rig.level(ms(1000), ms(1100)));
}

TEST_F(SynthRender, EarthquakeSoundPlaysFourAndAHalfSecondsAndDropsWhatComesMeanwhile) {
    Settings settings;
    settings.audio = AudioMode::EQ;
    KSAC seismogram;
    seismogram.soundBuffer.resize(72000);
    for (std::size_t i = 0; i < 72000; ++i) seismogram.soundBuffer[i] = uint8_t(128 + 100 * std::sin(double(i) / 10));
    Rig rig;
    for (int i = 0; i < 20; ++i) rig.sound.playArrivalSound(settings, seismogram);
    EXPECT_EQ(rig.backend->waveWrites(), 1);
    EXPECT_EQ(rig.backend->waveOutput(), seismogram.soundBuffer);   // the whole buffer, unchanged
    rig.backend->renderMilliseconds(4490);
    rig.sound.playArrivalSound(settings, seismogram);
    EXPECT_EQ(rig.backend->waveWrites(), 1);
    rig.backend->renderMilliseconds(10);
    rig.sound.playArrivalSound(settings, seismogram);
    EXPECT_EQ(rig.backend->waveWrites(), 2);
}

TEST_F(SynthRender, WavePathConvertsForADeviceWithoutEightBitSupport) {
    Settings settings;
    settings.audio = AudioMode::EQ;
    KSAC seismogram;
    seismogram.soundBuffer.assign(16000, 255);
    RenderBackend* backend = new RenderBackend(kRate, PcmFormat{48000, 2, SampleKind::Int16});
    Sound sound{std::unique_ptr<SoundBackend>(backend)};
    sound.playArrivalSound(settings, seismogram);
    EXPECT_EQ(backend->waveOutput().size(), 48000u * 4);   // one second
}
