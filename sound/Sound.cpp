// The rules of the sound component on top of any back end: one wave buffer in
// flight, MIDI short messages on one percussion voice, music kept apart from
// the MIDI output.
#include "sound/Sound.h"

#include "data/Seismogram.h"
#include "data/Settings.h"

namespace {

constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kVolumeController = 7;
constexpr uint8_t kClickNote = 77;   // wood block on the percussion channel
constexpr uint8_t kClickVolume = 90;

}   // namespace

Sound::Sound(std::unique_ptr<SoundBackend> backend)
    : backend_(backend ? std::move(backend) : makeSilentBackend()) {}

Sound::~Sound() = default;

void Sound::setBackend(std::unique_ptr<SoundBackend> backend) {
    closeWave();
    stopMusic();
    closeMidi();
    backend_ = backend ? std::move(backend) : makeSilentBackend();
}

uint32_t Sound::packShortMessage(uint8_t status, uint8_t data1, uint8_t data2) {
    return uint32_t(status) | (uint32_t(data1) << 8) | (uint32_t(data2) << 16);
}

void Sound::playArrivalSound(const Settings& settings, const KSAC& seismogram) {
    switch (settings.audio) {
    case AudioMode::None: break;
    case AudioMode::PC: backend_->beep(); break;
    case AudioMode::EQ:
        if (!seismogram.soundBuffer.empty())
            playWave(seismogram.soundBuffer.data(), seismogram.soundBuffer.size());
        break;
    case AudioMode::Chime: backend_->chime(); break;
    }
}

void Sound::playWave(const uint8_t* buffer, std::size_t count) {
    if (!buffer || count == 0) return;
    if (!waveOpen_) waveOpen_ = backend_->waveOpen();
    if (!waveOpen_) return;
    if (waveInFlight_) {
        // One buffer at a time: a sound that comes while another plays is dropped.
        if (!backend_->waveDone()) return;
        waveInFlight_ = false;
    }
    backend_->waveWrite(buffer, count);
    waveInFlight_ = true;
}

void Sound::closeWave() {
    if (!waveOpen_) return;
    backend_->waveReset();
    backend_->waveClose();
    waveOpen_ = false;
    waveInFlight_ = false;
}

int Sound::playMusic(const std::string& file) {
    // A new piece replaces one still open, which could otherwise never be stopped.
    stopMusic();
    int error = backend_->musicOpen(file);
    if (error != 0) return error;
    musicOpen_ = true;
    bool toMapper = false;
    error = backend_->musicOutputIsMapper(toMapper);
    if (error == 0 && !toMapper) return 0;   // declined; closed by the next stopMusic
    if (error == 0) error = backend_->musicPlay();
    if (error != 0) {
        backend_->musicClose();
        musicOpen_ = false;
    }
    return error;
}

void Sound::stopMusic() {
    if (musicOpen_) backend_->musicClose();
    musicOpen_ = false;
}

int Sound::openMidi(const Settings& settings) {
    if (midiOpen_) return 0;
    if (channel_ < 0) channel_ = settings.baseLevelMidi ? 15 : 9;
    if (backend_->midiDeviceCount() <= 0) return 1;
    if (!backend_->midiOpen()) return 2;
    midiOpen_ = true;
    backend_->midiShortMessage(packShortMessage(uint8_t(kProgramChange + channel_), 0, 0));
    return 0;
}

void Sound::closeMidi() {
    if (!midiOpen_) return;
    backend_->midiShortMessage(packShortMessage(uint8_t(kNoteOff + channel_), lastNote_, 64));
    backend_->midiReset();
    backend_->midiClose();
    midiOpen_ = false;
}

void Sound::click() {
    if (!midiOpen_) return;
    const uint8_t ch = uint8_t(channel_);
    backend_->midiShortMessage(
        packShortMessage(uint8_t(kControlChange + ch), kVolumeController, kClickVolume));
    backend_->midiShortMessage(packShortMessage(uint8_t(kNoteOff + ch), lastNote_, 127));
    backend_->midiShortMessage(packShortMessage(uint8_t(kNoteOn + ch), kClickNote, 127));
    lastNote_ = kClickNote;
}

Sound& theSound() {
    static Sound sound(makeSilentBackend());
    return sound;
}
