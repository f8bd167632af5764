// The sound component's synthesis run into memory instead of a device: the
// same synthesizer, music player, beep and chime as the audio back end, with
// time advanced by render() calls. Used by tests and by ovsound_render to
// hear and measure what the programs play.
#pragma once

#include "sound/Pcm.h"
#include "sound/Sound.h"
#include "sound/SynthEngine.h"

#include <vector>

class RenderBackend : public SoundBackend {
public:
    // `waveDevice` is the format the wave output pretends the device wants.
    explicit RenderBackend(int sampleRate = 44100, const PcmFormat& waveDevice = waveFormat());

    SynthEngine& engine() { return engine_; }

    // Renders the next frames of the synthesizer and appends them to output().
    void render(std::size_t frames);
    void renderMilliseconds(int milliseconds);
    const std::vector<float>& output() const { return output_; }   // interleaved stereo
    void clearOutput() { output_.clear(); }
    std::size_t renderedFrames() const { return renderedFrames_; }

    // The last wave buffer as the device received it, and its format.
    const std::vector<uint8_t>& waveOutput() const { return wave_; }
    const PcmFormat& waveDevice() const { return waveDevice_; }
    int waveWrites() const { return waveWrites_; }

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
    int musicPlay() override;
    void musicClose() override;
    void beep() override;
    void chime() override;

private:
    SynthEngine engine_;
    PcmFormat waveDevice_;
    std::vector<float> output_;
    std::size_t renderedFrames_ = 0;
    std::vector<uint8_t> wave_;
    std::size_t waveEndFrame_ = 0;   // rendered frame at which the buffer has played
    bool waveIsOpen_ = false;
    int waveWrites_ = 0;
    bool midiIsOpen_ = false;
};
