// A small writer of Standard MIDI Files: tracks collect timed events, the
// file serialises them with variable-length delta times.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Appends `value` (at most 0x0FFFFFFF) as a MIDI variable-length quantity.
void appendVarLen(std::vector<uint8_t>& out, uint32_t value);

class MidiTrack {
public:
    void trackName(uint32_t tick, const std::string& name);
    void tempo(uint32_t tick, uint32_t microsecondsPerQuarter);
    void timeSignature(uint32_t tick, uint8_t numerator, uint8_t denominatorPower);
    void programChange(uint32_t tick, uint8_t channel, uint8_t program);
    void controlChange(uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value);
    void noteOn(uint32_t tick, uint8_t channel, uint8_t key, uint8_t velocity);
    void noteOff(uint32_t tick, uint8_t channel, uint8_t key);
    // A note-on at `start` and its note-off `length` ticks later.
    void note(uint32_t start, uint32_t length, uint8_t channel, uint8_t key, uint8_t velocity);
    // Tick of the last event.
    uint32_t lastTick() const;
    // The "MTrk" chunk: events in time order (at equal times meta events,
    // then controllers, then note-offs, then note-ons, each kind in the
    // order added), closed by end-of-track at `endTick` or the last event.
    std::vector<uint8_t> chunk(uint32_t endTick) const;

private:
    struct Event {
        uint32_t tick;
        int rank;     // order of kinds at equal ticks
        size_t seq;   // order of addition
        std::vector<uint8_t> bytes;
    };
    void add(uint32_t tick, int rank, std::vector<uint8_t> bytes);
    std::vector<Event> events_;
};

class MidiFile {
public:
    explicit MidiFile(uint16_t ticksPerQuarter) : division_(ticksPerQuarter) {}
    // The reference stays valid when further tracks are added.
    MidiTrack& addTrack();
    // Format 1 (format 0 for a single track); every track ends at `endTick`
    // or at its own last event when that is later.
    std::vector<uint8_t> bytes(uint32_t endTick) const;
    uint16_t division() const { return division_; }

private:
    uint16_t division_;
    std::deque<MidiTrack> tracks_;
};

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
