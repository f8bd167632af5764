#include "sound/SynthEngine.h"

#include "fileio/FileSystem.h"
#include "sound/Pcm.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kMaxMusicBytes = std::size_t(4) << 20;
// Requests for the same system sound closer than this merge into one.
constexpr int kMergeMilliseconds = 30;

// FluidSynth reports through log handlers that print to the terminal; the
// programs keep quiet about sound, so every level is routed to nothing.
void silenceFluidLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = 0; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

}   // namespace

std::string findSoundFont() {
    static const char* const candidates[] = {
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/soundfonts/default.sf2",
    };
    for (const char* path : candidates)
        if (fileExists(path)) return path;
    return {};
}

SynthEngine::SynthEngine(int sampleRate, const std::string& soundFont)
    : sampleRate_(std::clamp(sampleRate, 8000, 192000)) {
    silenceFluidLog();
    beep_ = makeBeep(sampleRate_);
    chime_ = makeChime(sampleRate_);
    settings_ = new_fluid_settings();
    if (!settings_) return;
    fluid_settings_setnum(settings_, "synth.sample-rate", double(sampleRate_));
    fluid_settings_setnum(settings_, "synth.gain", 0.5);
    fluid_settings_setint(settings_, "synth.threadsafe-api", 1);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    fluid_settings_setint(settings_, "synth.polyphony", 128);
    // The player advances with the samples rendered, so music keeps time with
    // the device that pulls the samples, and with offline rendering too.
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    synth_ = new_fluid_synth(settings_);
    if (!synth_ || soundFont.empty()) return;
    const int id = fluid_synth_sfload(synth_, soundFont.c_str(), 1);
    soundFontId_ = id == FLUID_FAILED ? -1 : id;
}

SynthEngine::~SynthEngine() {
    std::lock_guard lock(mutex_);
    closeMusicLocked();
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

void SynthEngine::shortMessage(uint32_t packed) {
    std::lock_guard lock(mutex_);
    if (!synth_) return;
    const int status = int(packed & 0xff);
    const int data1 = int((packed >> 8) & 0x7f);
    const int data2 = int((packed >> 16) & 0x7f);
    const int channel = status & 0x0f;
    switch (status & 0xf0) {
    case 0x80: fluid_synth_noteoff(synth_, channel, data1); break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(synth_, channel, data1);
        else
            fluid_synth_noteon(synth_, channel, data1, data2);
        break;
    case 0xA0: fluid_synth_key_pressure(synth_, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(synth_, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(synth_, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth_, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7)); break;
    default: break;   // system messages and running status are not short messages here
    }
}

void SynthEngine::allNotesOff() {
    std::lock_guard lock(mutex_);
    if (synth_) fluid_synth_all_notes_off(synth_, -1);
}

int SynthEngine::openMusic(const std::string& path) {
    std::lock_guard lock(mutex_);
    closeMusicLocked();
    if (!synth_ || !hasInstruments()) return kMusicNoSynthesizer;
    std::string bytes;
    if (!fileExists(path)) return kMusicFileNotFound;
    if (!readWholeFile(path, bytes, kMaxMusicBytes)) return kMusicNotMidi;
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0) return kMusicNotMidi;
    musicData_.assign(bytes.begin(), bytes.end());
    player_ = new_fluid_player(synth_);
    if (!player_
        || fluid_player_add_mem(player_, musicData_.data(), musicData_.size()) != FLUID_OK) {
        closeMusicLocked();
        return kMusicRefused;
    }
    return kMusicOk;
}

int SynthEngine::startMusic() {
    std::lock_guard lock(mutex_);
    if (!player_) return kMusicRefused;
    return fluid_player_play(player_) == FLUID_OK ? kMusicOk : kMusicRefused;
}

void SynthEngine::closeMusic() {
    std::lock_guard lock(mutex_);
    closeMusicLocked();
}

void SynthEngine::closeMusicLocked() {
    if (!player_) return;
    fluid_player_stop(player_);
    // The player lets go of its notes in a later timer call, which runs as
    // samples are rendered: a few blocks are rendered (and thrown away,
    // 12 ms) before the player goes. Deleted straight away it would leave
    // its held notes sounding.
    float block[2 * 512];
    fluid_synth_write_float(synth_, 512, block, 0, 2, block, 1, 2);
    delete_fluid_player(player_);
    player_ = nullptr;
    musicData_.clear();
    // Cut what the music left ringing, reverberation included, and give the
    // clicks that follow a synthesizer without the music's programs and
    // controllers.
    fluid_synth_all_sounds_off(synth_, -1);
    fluid_synth_system_reset(synth_);
}

bool SynthEngine::musicOpen() const {
    std::lock_guard lock(mutex_);
    return player_ != nullptr;
}

bool SynthEngine::musicPlaying() const {
    std::lock_guard lock(mutex_);
    return player_ && fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING;
}

void SynthEngine::beep() { startTone(beep_); }
void SynthEngine::chime() { startTone(chime_); }

void SynthEngine::startTone(const std::vector<float>& tone) {
    std::lock_guard lock(mutex_);
    const std::size_t merge = std::size_t(sampleRate_) * kMergeMilliseconds / 1000;
    ToneVoice* free = nullptr;
    ToneVoice* oldest = &tones_[0];
    for (ToneVoice& voice : tones_) {
        if (voice.tone == &tone && voice.position < merge) return;
        if (!voice.tone && !free) free = &voice;
        if (voice.position > oldest->position) oldest = &voice;
    }
    ToneVoice* voice = free ? free : oldest;
    voice->tone = &tone;
    voice->position = 0;
}

void SynthEngine::render(float* stereo, std::size_t frames) {
    std::lock_guard lock(mutex_);
    if (synth_) {
        fluid_synth_write_float(synth_, int(frames), stereo, 0, 2, stereo, 1, 2);
    } else {
        std::fill(stereo, stereo + 2 * frames, 0.0f);
    }
    for (ToneVoice& voice : tones_) {
        if (!voice.tone) continue;
        const std::vector<float>& tone = *voice.tone;
        const std::size_t n = std::min(frames, tone.size() - std::min(voice.position, tone.size()));
        for (std::size_t i = 0; i < n; ++i) {
            const float v = tone[voice.position + i];
            stereo[2 * i] += v;
            stereo[2 * i + 1] += v;
        }
        voice.position += n;
        if (voice.position >= tone.size()) voice = ToneVoice{};
    }
}

bool SynthEngine::quiet() const {
    std::lock_guard lock(mutex_);
    for (const ToneVoice& voice : tones_)
        if (voice.tone) return false;
    if (player_ && fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING) return false;
    return !synth_ || fluid_synth_get_active_voice_count(synth_) == 0;
}
