#include "sound/RenderBackend.h"

RenderBackend::RenderBackend(int sampleRate, const PcmFormat& waveDevice)
    : engine_(sampleRate), waveDevice_(waveDevice) {}

void RenderBackend::render(std::size_t frames) {
    const std::size_t start = output_.size();
    output_.resize(start + 2 * frames);
    engine_.render(output_.data() + start, frames);
    renderedFrames_ += frames;
}

void RenderBackend::renderMilliseconds(int milliseconds) {
    if (milliseconds > 0)
        render(std::size_t(engine_.sampleRate()) * std::size_t(milliseconds) / 1000);
}

bool RenderBackend::waveOpen() {
    waveIsOpen_ = true;
    return true;
}

void RenderBackend::waveWrite(const uint8_t* data, std::size_t count) {
    if (!waveIsOpen_) return;
    wave_ = convertWave(data, count, kWaveRate, waveDevice_);
    ++waveWrites_;
    // The buffer plays in real time; render() calls are the clock.
    waveEndFrame_ = renderedFrames_
                    + (count * std::size_t(engine_.sampleRate()) + kWaveRate - 1) / kWaveRate;
}

bool RenderBackend::waveDone() { return renderedFrames_ >= waveEndFrame_; }
void RenderBackend::waveReset() { waveEndFrame_ = renderedFrames_; }

void RenderBackend::waveClose() {
    waveEndFrame_ = renderedFrames_;
    waveIsOpen_ = false;
}

int RenderBackend::midiDeviceCount() { return engine_.hasInstruments() ? 1 : 0; }

bool RenderBackend::midiOpen() {
    midiIsOpen_ = engine_.hasInstruments();
    return midiIsOpen_;
}

void RenderBackend::midiShortMessage(uint32_t packed) {
    if (midiIsOpen_) engine_.shortMessage(packed);
}

void RenderBackend::midiReset() {
    if (midiIsOpen_) engine_.allNotesOff();
}

void RenderBackend::midiClose() { midiIsOpen_ = false; }
int RenderBackend::musicOpen(const std::string& path) { return engine_.openMusic(path); }
int RenderBackend::musicPlay() { return engine_.startMusic(); }
void RenderBackend::musicClose() { engine_.closeMusic(); }
void RenderBackend::beep() { engine_.beep(); }
void RenderBackend::chime() { engine_.chime(); }
