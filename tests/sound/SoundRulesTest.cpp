// The sound component's rules, checked through the recording back end.
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "sound/RecordingBackend.h"
#include "sound/Sound.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Rig {
    RecordingBackend::Log log;
    RecordingBackend* backend = nullptr;
    Sound sound{nullptr};
    Rig() {
        auto b = std::make_unique<RecordingBackend>(log);
        backend = b.get();
        sound.setBackend(std::move(b));
    }
};

uint8_t statusOf(uint32_t packed) { return uint8_t(packed & 0xff); }

}  // namespace

TEST(SoundMidi, ClickUsesPercussionChannelTenByDefault) {
    Rig rig;
    Settings settings;
    ASSERT_EQ(rig.sound.openMidi(settings), 0);
    rig.log.midiMessages.clear();
    rig.sound.click();
    ASSERT_EQ(rig.log.midiMessages.size(), 3u);
    EXPECT_EQ(rig.log.midiMessages[0], 0x5a07b9u);   // volume 90 on channel 10
    EXPECT_EQ(statusOf(rig.log.midiMessages[1]), 0x89);
    EXPECT_EQ(rig.log.midiMessages[2], 0x7f4d99u);   // note 77, velocity 127
}

TEST(SoundMidi, BaseLevelMidiUsesChannelSixteen) {
    Rig rig;
    Settings settings;
    settings.baseLevelMidi = true;
    ASSERT_EQ(rig.sound.openMidi(settings), 0);
    EXPECT_EQ(rig.log.midiMessages.front(), 0x0000cfu);   // program change to 0
    rig.log.midiMessages.clear();
    rig.sound.click();
    ASSERT_EQ(rig.log.midiMessages.size(), 3u);
    EXPECT_EQ(statusOf(rig.log.midiMessages[0]), 0xbf);
    EXPECT_EQ(statusOf(rig.log.midiMessages[1]), 0x8f);
    EXPECT_EQ(statusOf(rig.log.midiMessages[2]), 0x9f);
}

TEST(SoundMidi, ChannelIsChosenOnceAtFirstUse) {
    Rig rig;
    Settings settings;
    rig.sound.openMidi(settings);
    rig.sound.closeMidi();
    settings.baseLevelMidi = true;
    rig.sound.openMidi(settings);
    rig.log.midiMessages.clear();
    rig.sound.click();
    EXPECT_EQ(statusOf(rig.log.midiMessages.back()), 0x99);
}

TEST(SoundMidi, ClickIsSilentWhileMidiIsClosedAndOpenReportsMissingDevice) {
    Rig rig;
    Settings settings;
    rig.sound.click();
    EXPECT_TRUE(rig.log.midiMessages.empty());
    rig.backend->midiDevices = 0;
    EXPECT_EQ(rig.sound.openMidi(settings), 1);
    rig.backend->midiDevices = 1;
    rig.backend->midiOpens = false;
    EXPECT_EQ(rig.sound.openMidi(settings), 2);
    EXPECT_FALSE(rig.sound.midiIsOpen());
}

TEST(SoundMidi, CloseSilencesLastNoteThenResets) {
    Rig rig;
    Settings settings;
    rig.sound.openMidi(settings);
    rig.sound.click();
    rig.log.operations.clear();
    rig.sound.closeMidi();
    ASSERT_EQ(rig.log.operations.size(), 3u);
    EXPECT_EQ(rig.log.operations[0], "midiShortMessage 0x404d89");   // note off 77, velocity 64
    EXPECT_EQ(rig.log.operations[1], "midiReset");
    EXPECT_EQ(rig.log.operations[2], "midiClose");
}

TEST(SoundWave, SecondSoundIsDroppedWhileFirstPlaysAndPlaysOnceDone) {
    Rig rig;
    std::vector<uint8_t> first(100, 128), second(72000, 128);
    rig.sound.playWave(first.data(), first.size());
    rig.sound.playWave(second.data(), second.size());
    ASSERT_EQ(rig.log.waveWrites.size(), 1u);
    rig.backend->waveFinished = true;
    rig.sound.playWave(second.data(), second.size());
    ASSERT_EQ(rig.log.waveWrites.size(), 2u);
    EXPECT_EQ(rig.log.waveWrites[1], 72000u);   // 4.5 s at 16 000 bytes per second
}

TEST(SoundWave, MissingDeviceIsRetriedAtTheNextSound) {
    Rig rig;
    rig.backend->waveAvailable = false;
    uint8_t buffer[4] = {0, 1, 2, 3};
    rig.sound.playWave(buffer, 4);
    EXPECT_TRUE(rig.log.waveWrites.empty());
    rig.backend->waveAvailable = true;
    rig.sound.playWave(buffer, 4);
    EXPECT_EQ(rig.log.waveWrites.size(), 1u);
}

TEST(SoundArrival, EachModeMakesItsSound) {
    Rig rig;
    Settings settings;
    KSAC seismogram;
    seismogram.soundBuffer.assign(400, 128);
    settings.audio = AudioMode::None;
    rig.sound.playArrivalSound(settings, seismogram);
    EXPECT_TRUE(rig.log.operations.empty());
    settings.audio = AudioMode::PC;
    rig.sound.playArrivalSound(settings, seismogram);
    rig.sound.playArrivalSound(settings, seismogram);
    settings.audio = AudioMode::Chime;
    rig.sound.playArrivalSound(settings, seismogram);
    settings.audio = AudioMode::EQ;
    rig.sound.playArrivalSound(settings, seismogram);
    EXPECT_EQ(rig.log.operations,
              (std::vector<std::string>{"beep", "beep", "chime", "waveOpen", "waveWrite 400"}));
}

TEST(SoundMusic, FailedOpenLeavesNothingToStop) {
    Rig rig;
    rig.backend->musicOpenResult = 263;
    EXPECT_EQ(rig.sound.playMusic("EQ.MID"), 263);
    EXPECT_FALSE(rig.sound.musicIsOpen());
    rig.sound.stopMusic();
    EXPECT_EQ(std::count(rig.log.operations.begin(), rig.log.operations.end(), "musicClose"), 0);
    rig.backend->musicOpenResult = 0;
    EXPECT_EQ(rig.sound.playMusic("OV.MID"), 0);
    EXPECT_TRUE(rig.sound.musicIsOpen());
    rig.sound.stopMusic();
    EXPECT_FALSE(rig.sound.musicIsOpen());
    EXPECT_EQ(rig.log.operations.back(), "musicClose");
}

TEST(SoundMusic, PlayFollowsOpenQueryPlayAndClosesOnFailure) {
    Rig rig;
    EXPECT_EQ(rig.sound.playMusic("OV.MID"), 0);
    EXPECT_EQ(rig.log.operations, (std::vector<std::string>{"musicOpen OV.MID", "musicPlay"}));
    rig.sound.stopMusic();

    // The routing query fails: the device is closed and its error returned.
    rig.log.operations.clear();
    rig.backend->musicQueryResult = 277;
    EXPECT_EQ(rig.sound.playMusic("OV.MID"), 277);
    EXPECT_EQ(rig.log.operations, (std::vector<std::string>{"musicOpen OV.MID", "musicClose"}));
    EXPECT_FALSE(rig.sound.musicIsOpen());

    // Starting fails: closed as well.
    rig.log.operations.clear();
    rig.backend->musicQueryResult = 0;
    rig.backend->musicPlayResult = 5;
    EXPECT_EQ(rig.sound.playMusic("EQ.MID"), 5);
    EXPECT_EQ(rig.log.operations, (std::vector<std::string>{"musicOpen EQ.MID", "musicPlay", "musicClose"}));
    EXPECT_FALSE(rig.sound.musicIsOpen());
}

TEST(SoundMusic, MusicNotRoutedToTheSynthesizerIsDeclinedButStaysOpenUntilStopped) {
    Rig rig;
    rig.backend->musicToMapper = false;
    EXPECT_EQ(rig.sound.playMusic("OV.MID"), 0);
    EXPECT_TRUE(rig.sound.musicIsOpen());
    EXPECT_EQ(rig.log.operations, (std::vector<std::string>{"musicOpen OV.MID"}));
    rig.sound.stopMusic();
    EXPECT_EQ(rig.log.operations.back(), "musicClose");
    EXPECT_FALSE(rig.sound.musicIsOpen());
}

TEST(SoundMusic, NewMusicClosesTheOneStillOpen) {
    Rig rig;
    rig.sound.playMusic("OV.MID");
    rig.sound.playMusic("EQ.MID");
    EXPECT_EQ(rig.log.operations, (std::vector<std::string>{"musicOpen OV.MID", "musicPlay", "musicClose",
                                                            "musicOpen EQ.MID", "musicPlay"}));
    rig.sound.stopMusic();
    rig.sound.stopMusic();
    EXPECT_EQ(std::count(rig.log.operations.begin(), rig.log.operations.end(), "musicClose"), 2);
}

// Whether "EQ.MID" plays at the flash is the clock's decision (it asks only
// when the mode is not NONE); the sound component plays whatever music it is
// asked for in every mode, and in mode NONE makes no arrival sound.
TEST(SoundMusic, ModeNoneSilencesArrivalsButNotTheWelcomeMusic) {
    Rig rig;
    Settings settings;
    settings.audio = AudioMode::None;
    KSAC seismogram;
    seismogram.soundBuffer.assign(100, 200);
    rig.sound.playArrivalSound(settings, seismogram);
    EXPECT_TRUE(rig.log.operations.empty());
    EXPECT_EQ(rig.sound.playMusic("OV.MID"), 0);
    EXPECT_EQ(rig.log.musicFiles, (std::vector<std::string>{"OV.MID"}));
}

TEST(SoundWave, CloseResetsAndClosesAndTheNextSoundReopens) {
    Rig rig;
    uint8_t buffer[8] = {};
    rig.sound.closeWave();
    EXPECT_TRUE(rig.log.operations.empty());   // never opened: nothing to close
    rig.sound.playWave(buffer, 8);
    rig.sound.closeWave();
    rig.sound.playWave(buffer, 8);   // nothing in flight after a close
    EXPECT_EQ(rig.log.operations, (std::vector<std::string>{"waveOpen", "waveWrite 8", "waveReset", "waveClose",
                                                            "waveOpen", "waveWrite 8"}));
    rig.sound.playWave(nullptr, 8);
    rig.sound.playWave(buffer, 0);
    EXPECT_EQ(rig.log.waveWrites.size(), 2u);
}
