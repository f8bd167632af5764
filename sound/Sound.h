// Arrival sounds, button clicks and music. One process-wide Sound object
// works through a SoundBackend: the real synthesizer and audio output in the
// programs, a recording back end in tests, silence on machines without audio.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct KSAC;
struct Settings;

// The platform operations the sound component needs.
class SoundBackend {
public:
    virtual ~SoundBackend() = default;
    // Wave output: 8-bit unsigned mono PCM at 16 000 samples/s.
    virtual bool waveOpen() = 0;
    virtual void waveWrite(const uint8_t* data, std::size_t count) = 0;   // asynchronous
    virtual bool waveDone() = 0;   // the last buffer written has been played
    virtual void waveReset() = 0;
    virtual void waveClose() = 0;
    // MIDI output.
    virtual int midiDeviceCount() = 0;
    virtual bool midiOpen() = 0;
    virtual void midiShortMessage(uint32_t packed) = 0;
    virtual void midiReset() = 0;
    virtual void midiClose() = 0;
    // MIDI file player; 0 on success, otherwise an error code.
    virtual int musicOpen(const std::string& path) = 0;
    // Whether the open player sends its music to the synthesizer that serves
    // as MIDI output; music routed anywhere else is not started. 0 on success.
    virtual int musicOutputIsMapper(bool& toMapper) {
        toMapper = true;
        return 0;
    }
    virtual int musicPlay() = 0;
    virtual void musicClose() = 0;
    // Short distinct sounds of the PC and CHIME arrival modes.
    virtual void beep() = 0;
    virtual void chime() = 0;
};

// A back end that plays nothing; every call is safe.
std::unique_ptr<SoundBackend> makeSilentBackend();

class Sound {
public:
    explicit Sound(std::unique_ptr<SoundBackend> backend);
    ~Sound();

    void setBackend(std::unique_ptr<SoundBackend> backend);
    SoundBackend& backend() { return *backend_; }

    void playArrivalSound(const Settings& settings, const KSAC& seismogram);
    void playWave(const uint8_t* buffer, std::size_t count);
    void closeWave();
    int playMusic(const std::string& file);
    void stopMusic();
    int openMidi(const Settings& settings);
    void closeMidi();
    void click();

    bool midiIsOpen() const { return midiOpen_; }
    bool musicIsOpen() const { return musicOpen_; }

    // Packs a short MIDI message into the three low bytes of a word.
    static uint32_t packShortMessage(uint8_t status, uint8_t data1, uint8_t data2);

private:
    std::unique_ptr<SoundBackend> backend_;
    bool waveOpen_ = false;
    bool waveInFlight_ = false;
    bool musicOpen_ = false;
    bool midiOpen_ = false;
    int channel_ = -1;   // chosen at the first MIDI use
    uint8_t lastNote_ = 0;
};

// The process-wide sound component (silent until a program installs a back end).
Sound& theSound();
