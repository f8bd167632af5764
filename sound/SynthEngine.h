// The synthesizer behind the MIDI output, the music player and the two
// system sounds: a FluidSynth synthesizer with a General MIDI SoundFont, its
// MIDI file player, and a few voices that play the beep and the chime.
// It renders on demand into float frames, so the same engine feeds an audio
// device or memory. No toolkit; every call is safe from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_player_t fluid_player_t;

// Error codes of openMusic and startMusic.
enum MusicError : int {
    kMusicOk = 0,
    kMusicNoSynthesizer = 1,   // no audio output or no instruments
    kMusicFileNotFound = 2,
    kMusicNotMidi = 3,   // not a Standard MIDI File, or too large
    kMusicRefused = 4,   // the player did not accept the file
};

// The General MIDI SoundFont of the installation, or "" when there is none.
std::string findSoundFont();

class SynthEngine {
public:
    explicit SynthEngine(int sampleRate, const std::string& soundFont = findSoundFont());
    ~SynthEngine();
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;

    int sampleRate() const { return sampleRate_; }
    // True when the SoundFont loaded: MIDI and music can sound.
    bool hasInstruments() const { return soundFontId_ >= 0; }

    // A short MIDI message packed as status | data1 << 8 | data2 << 16.
    void shortMessage(uint32_t packed);
    // Every note on every channel off (what resetting a MIDI output does).
    void allNotesOff();

    // Loads a Standard MIDI File (found case-insensitively) into a new
    // player, replacing any music held before; starts it; stops it at once,
    // silencing its notes and restoring the synthesizer's defaults.
    int openMusic(const std::string& path);
    int startMusic();
    void closeMusic();
    bool musicOpen() const;
    bool musicPlaying() const;

    // Starts the beep or the chime. Requests that come within a few
    // milliseconds of the same sound's start merge with it; later ones
    // strike again over the ringing sound.
    void beep();
    void chime();

    // Renders `frames` interleaved stereo frames (nominal full scale ±1).
    void render(float* stereo, std::size_t frames);
    // Nothing sounds and nothing is about to: no voice, no tone, no music.
    bool quiet() const;

private:
    struct ToneVoice {
        const std::vector<float>* tone = nullptr;
        std::size_t position = 0;
    };
    void startTone(const std::vector<float>& tone);
    void closeMusicLocked();

    mutable std::mutex mutex_;
    int sampleRate_;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_player_t* player_ = nullptr;
    std::vector<uint8_t> musicData_;
    int soundFontId_ = -1;
    std::vector<float> beep_, chime_;
    std::array<ToneVoice, 4> tones_{};
};
