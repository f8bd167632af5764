#include "Music.h"

#include "Midi.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint16_t kTicksPerQuarter = 480;
constexpr uint32_t kTempo = 500000;   // 120 beats per minute

// General MIDI programs (0-based) and the percussion channel.
constexpr uint8_t kVibraphone = 11;
constexpr uint8_t kOrchestralHarp = 46;
constexpr uint8_t kStringEnsemble = 48;
constexpr uint8_t kAcousticBass = 32;
constexpr uint8_t kFlute = 73;
constexpr uint8_t kContrabass = 43;
constexpr uint8_t kTimpani = 47;
constexpr uint8_t kDrums = 9;

uint32_t beats(double b) { return static_cast<uint32_t>(b * kTicksPerQuarter + 0.5); }

struct Chord {
    uint8_t bass;
    std::array<uint8_t, 3> tones;
};
constexpr Chord kAm{45, {57, 60, 64}};
constexpr Chord kF{41, {57, 60, 65}};
constexpr Chord kC{48, {55, 60, 64}};
constexpr Chord kG{43, {55, 59, 62}};
constexpr Chord kEm{40, {55, 59, 64}};

struct MelodyNote {
    uint8_t key;   // 0 is a rest
    double beats;
};

constexpr int kBars = 16;
const Chord kProgression[kBars] = {kAm, kF, kC,  kG,  kAm, kF, kC, kG,
                                   kF,  kG, kEm, kAm, kF,  kG, kC, kC};

const std::vector<MelodyNote> kMelody[kBars] = {
    {{76, 1.5}, {74, 0.5}, {72, 1}, {69, 1}},
    {{72, 1}, {77, 1.5}, {76, 0.5}, {72, 1}},
    {{79, 2}, {76, 1}, {72, 1}},
    {{74, 3}, {0, 1}},
    {{76, 1.5}, {74, 0.5}, {72, 1}, {69, 1}},
    {{72, 1}, {77, 1}, {81, 1.5}, {79, 0.5}},
    {{79, 1}, {76, 1}, {72, 1}, {76, 1}},
    {{74, 2}, {71, 1}, {74, 1}},
    {{72, 1.5}, {74, 0.5}, {77, 2}},
    {{79, 1.5}, {77, 0.5}, {74, 2}},
    {{76, 1}, {79, 1}, {83, 2}},
    {{81, 3}, {79, 1}},
    {{77, 1.5}, {76, 0.5}, {74, 1}, {72, 1}},
    {{74, 1}, {79, 1}, {74, 1}, {71, 1}},
    {{72, 2}, {76, 1}, {79, 1}},
    {{84, 6}},   // the last note rings on past the bar
};

void setUpChannel(MidiTrack& t, const char* name, uint8_t channel, uint8_t program, uint8_t volume,
                  uint8_t pan) {
    t.trackName(0, name);
    t.programChange(0, channel, program);
    t.controlChange(0, channel, 7, volume);
    t.controlChange(0, channel, 10, pan);
    t.controlChange(0, channel, 91, 60);   // reverb send
}

}   // namespace

std::vector<uint8_t> welcomeTuneBytes() {
    MidiFile file(kTicksPerQuarter);
    MidiTrack& conductor = file.addTrack();
    conductor.trackName(0, "Orvanta");
    conductor.tempo(0, kTempo);
    conductor.timeSignature(0, 4, 2);

    MidiTrack& melody = file.addTrack();
    setUpChannel(melody, "Vibraphone", 0, kVibraphone, 100, 64);
    MidiTrack& flute = file.addTrack();
    setUpChannel(flute, "Flute", 4, kFlute, 80, 80);
    MidiTrack& pad = file.addTrack();
    setUpChannel(pad, "Strings", 1, kStringEnsemble, 70, 48);
    MidiTrack& bass = file.addTrack();
    setUpChannel(bass, "Bass", 2, kAcousticBass, 95, 64);
    MidiTrack& harp = file.addTrack();
    setUpChannel(harp, "Harp", 3, kOrchestralHarp, 85, 90);

    const uint32_t bar = beats(4);
    for (int b = 0; b < kBars; ++b) {
        const uint32_t start = b * bar;
        const bool last = b == kBars - 1;
        const Chord& chord = kProgression[b];
        const uint32_t hold = last ? beats(6) : bar;

        double at = 0;
        for (const MelodyNote& n : kMelody[b]) {
            if (n.key != 0) {
                const uint32_t on = start + beats(at);
                const uint32_t length = beats(n.beats * 0.92);
                melody.note(on, length, 0, n.key, 92);
                if (b >= 8) flute.note(on, length, 4, static_cast<uint8_t>(n.key - 12), 70);
            }
            at += n.beats;
        }

        for (uint8_t tone : chord.tones) pad.note(start, hold - 10, 1, tone, b < 2 ? 45 : 58);

        if (last) {
            bass.note(start, hold, 2, chord.bass, 80);
        } else {
            bass.note(start, beats(1.9), 2, chord.bass, 88);
            bass.note(start + beats(2), beats(1.9), 2,
                      static_cast<uint8_t>(b % 2 == 0 ? chord.bass : chord.bass + 7), 76);
        }

        if (b >= 4 && !last) {
            static const int pattern[8] = {0, 1, 2, 1, 0, 1, 2, 1};
            for (int k = 0; k < 8; ++k) {
                const uint8_t key = static_cast<uint8_t>(chord.tones[pattern[k]] + 12);
                harp.note(start + beats(0.5 * k), beats(0.45), 3, key, k % 4 == 0 ? 62 : 50);
            }
        } else if (last) {
            for (int k = 0; k < 3; ++k)   // a rolled closing chord
                harp.note(start + beats(0.12 * k), hold - beats(0.12 * k), 3,
                          static_cast<uint8_t>(chord.tones[k] + 12), 60);
        }
    }
    return file.bytes(kBars * bar + beats(2));
}

std::vector<uint8_t> quakeRumbleBytes() {
    MidiFile file(kTicksPerQuarter);
    MidiTrack& conductor = file.addTrack();
    conductor.trackName(0, "Earthquake");
    conductor.tempo(0, kTempo);
    conductor.timeSignature(0, 3, 2);
    const uint32_t end = beats(6);   // three seconds

    // Loudness envelope: a fast swell over half a second, then a slow decay.
    auto envelope = [end](uint32_t tick) {
        const double t = static_cast<double>(tick) / end;
        const double e = t < 1.0 / 6 ? 0.55 + 0.45 * t * 6 : 1.0 - 0.75 * (t - 1.0 / 6) / (5.0 / 6);
        return std::clamp(e, 0.0, 1.0);
    };

    MidiTrack& strings = file.addTrack();
    setUpChannel(strings, "Contrabass", 0, kContrabass, 127, 64);
    strings.note(0, end - 20, 0, 28, 120);   // E1
    strings.note(0, end - 20, 0, 35, 110);   // B1
    for (uint32_t tick = 0; tick < end; tick += beats(0.25))
        strings.controlChange(tick, 0, 11, static_cast<uint8_t>(40 + 87 * envelope(tick)));

    MidiTrack& timpani = file.addTrack();
    setUpChannel(timpani, "Timpani", 1, kTimpani, 120, 64);
    for (uint32_t tick = 0, k = 0; tick + beats(0.125) <= end - beats(0.5);
         tick += beats(0.125), ++k)
        timpani.note(tick, beats(0.12), 1, k % 2 == 0 ? 40 : 43,
                     static_cast<uint8_t>(30 + 90 * envelope(tick)));

    MidiTrack& drums = file.addTrack();
    drums.trackName(0, "Drums");
    drums.controlChange(0, kDrums, 7, 120);
    drums.note(0, beats(2), kDrums, 49, 112);     // crash cymbal
    drums.note(0, beats(0.5), kDrums, 41, 120);   // low floor tom
    for (uint32_t tick = 0; tick < end - beats(1); tick += beats(0.25))
        drums.note(tick, beats(0.2), kDrums, 35, static_cast<uint8_t>(25 + 100 * envelope(tick)));
    for (double at : {0.5, 1.25, 2.5, 3.75})
        drums.note(beats(at), beats(0.4), kDrums, 41,
                   static_cast<uint8_t>(50 + 70 * envelope(beats(at))));
    return file.bytes(end);
}
