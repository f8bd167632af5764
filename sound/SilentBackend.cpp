// A back end for machines without audio: accepts every call and plays nothing.
#include "sound/Sound.h"

namespace {

class SilentBackend : public SoundBackend {
public:
    bool waveOpen() override { return false; }
    void waveWrite(const uint8_t*, std::size_t) override {}
    bool waveDone() override { return true; }
    void waveReset() override {}
    void waveClose() override {}
    int midiDeviceCount() override { return 0; }
    bool midiOpen() override { return false; }
    void midiShortMessage(uint32_t) override {}
    void midiReset() override {}
    void midiClose() override {}
    int musicOpen(const std::string&) override { return 1; }
    int musicPlay() override { return 1; }
    void musicClose() override {}
    void beep() override {}
    void chime() override {}
};

}   // namespace

std::unique_ptr<SoundBackend> makeSilentBackend() { return std::make_unique<SilentBackend>(); }
