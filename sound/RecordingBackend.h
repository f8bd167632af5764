// A back end that plays nothing and logs every platform operation with its
// arguments, so tests can check what the sound component asked for.
#pragma once

#include "sound/Sound.h"

#include <string>
#include <vector>

class RecordingBackend : public SoundBackend {
public:
    struct Log {
        std::vector<std::string> operations;   // e.g. "midiShortMessage 0x4d99"
        std::vector<uint32_t> midiMessages;
        std::vector<std::size_t> waveWrites;   // byte counts
        std::vector<std::string> musicFiles;
    };

    // The log outlives the back end (Sound owns the back end).
    explicit RecordingBackend(Log& log) : log_(log) {}

    // Behaviour knobs.
    bool waveAvailable = true;
    bool waveFinished = false;   // what waveDone() answers
    int midiDevices = 1;
    bool midiOpens = true;
    int musicOpenResult = 0;
    int musicQueryResult = 0;   // what musicOutputIsMapper answers
    bool musicToMapper = true;
    int musicPlayResult = 0;

    bool waveOpen() override;
    void waveWrite(const uint8_t* data, std::size_t count) override;
    bool waveDone() override;
    void waveReset() override;
    void waveClose() override;
    int midiDeviceCount() override;
    bool midiOpen() override;
    void midiShortMessage(uint32_t packed) override;
    void midiReset() override;
    void midiClose() override;
    int musicOpen(const std::string& path) override;
    int musicOutputIsMapper(bool& toMapper) override;
    int musicPlay() override;
    void musicClose() override;
    void beep() override;
    void chime() override;

private:
    Log& log_;
};
