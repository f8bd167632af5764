// The programs' audio back end on a machine without an audio device: every
// operation is safe and silent, and nothing is printed.
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "sound/AudioBackend.h"
#include "sound/Sound.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

// Collects what is written to the standard error stream while it lives.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        file_ = std::tmpfile();
        saved_ = dup(2);
        dup2(fileno(file_), 2);
    }
    std::string finish() {
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        std::string text;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) text.push_back(char(c));
        std::fclose(file_);
        return text;
    }

private:
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

// Drives every operation through the rules and directly.
void exerciseEverything(Sound& sound) {
    Settings settings;
    KSAC seismogram;
    seismogram.soundBuffer.assign(72000, 90);
    EXPECT_EQ(sound.openMidi(settings), 1);   // no MIDI output device
    sound.click();
    EXPECT_NE(sound.playMusic("OV.MID"), 0);
    EXPECT_FALSE(sound.musicIsOpen());
    for (AudioMode mode : {AudioMode::None, AudioMode::PC, AudioMode::EQ, AudioMode::Chime}) {
        settings.audio = mode;
        for (int i = 0; i < 3; ++i) sound.playArrivalSound(settings, seismogram);
    }
    sound.stopMusic();
    sound.closeMidi();
    sound.closeWave();

    SoundBackend& b = sound.backend();
    EXPECT_FALSE(b.waveOpen());
    b.waveWrite(seismogram.soundBuffer.data(), seismogram.soundBuffer.size());
    EXPECT_TRUE(b.waveDone());
    b.waveReset();
    b.waveClose();
    EXPECT_EQ(b.midiDeviceCount(), 0);
    EXPECT_FALSE(b.midiOpen());
    b.midiShortMessage(0x7f4d99);
    b.midiReset();
    b.midiClose();
    EXPECT_NE(b.musicOpen("EQ.MID"), 0);
    EXPECT_NE(b.musicPlay(), 0);
    b.musicClose();
    b.beep();
    b.chime();
}

}  // namespace

TEST(AudioBackendWithoutDevice, EverythingIsSilentSafeAndQuiet) {
    int argc = 1;
    char name[] = "test_sound";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    StderrCapture capture;
    const bool present = audioOutputPresent();
    if (present) {
        capture.finish();
        GTEST_SKIP() << "this machine has an audio output";
    }
    {
        Sound sound(makeAudioBackend());
        exerciseEverything(sound);
        app.processEvents();
    }
    EXPECT_EQ(capture.finish(), "");
}

TEST(AudioBackendWithoutDevice, WithoutAnApplicationEverythingIsSafe) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_FALSE(audioOutputPresent());
    Sound sound(makeAudioBackend());
    StderrCapture capture;
    exerciseEverything(sound);
    EXPECT_EQ(capture.finish(), "");
}

TEST(AudioBackendWithoutDevice, BackendOutlivingTheApplicationIsSafe) {
    auto backend = makeAudioBackend();
    {
        int argc = 1;
        char name[] = "test_sound";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        backend->waveOpen();
        backend->beep();
    }
    EXPECT_FALSE(backend->waveOpen());
    backend->waveClose();
    backend->musicClose();
    backend.reset();
}
