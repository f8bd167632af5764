// The programs' audio back end on a machine without an audio device: every
// operation is safe and silent, and nothing is printed.
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "sound/AudioBackend.h"
#include "sound/Sound.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

// Drives every operation through the rules and directly.
void exerciseEverything(Sound& sound) {
    Settings settings;
    KSAC seismogram;
    seismogram.soundBuffer.assign(72000, 90);
    EXPECT_EQ(sound.openMidi(settings), 1);   // no MIDI output device
    sound.click();
    EXPECT_NE(sound.playMusic("OV.MID"), 0);
    EXPECT_FALSE(sound.musicIsOpen());
    for (AudioMode mode : {AudioMode::None, AudioMode::PC, AudioMode::EQ, AudioMode::Chime, AudioMode::EQ}) {
        settings.audio = mode;
        sound.playArrivalSound(settings, seismogram);
    }
    sound.stopMusic(), sound.closeMidi(), sound.closeWave();
    SoundBackend& b = sound.backend();
    EXPECT_FALSE(b.waveOpen());
    b.waveWrite(seismogram.soundBuffer.data(), seismogram.soundBuffer.size());
    EXPECT_TRUE(b.waveDone());
    b.waveReset(), b.waveClose(), b.midiReset(), b.midiClose(), b.midiShortMessage(0x7f4d99);
    EXPECT_EQ(b.midiDeviceCount(), 0);
    EXPECT_FALSE(b.midiOpen());
    EXPECT_NE(b.musicOpen("EQ.MID"), 0);
    EXPECT_NE(b.musicPlay(), 0);
    b.musicClose(), b.beep(), b.chime();
}

TEST(AudioBackendWithoutDevice, EverythingIsSilentSafeAndQuietWithOrWithoutApplication) {
    testing::internal::CaptureStderr();   // nothing may be printed
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
    outliving->waveClose();
    outliving->musicClose();
    outliving.reset();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
