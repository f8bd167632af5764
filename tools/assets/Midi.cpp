#include "Midi.h"

#include <algorithm>
#include <fstream>

namespace {

enum Rank { kMeta = 0, kControl = 1, kNoteOff = 2, kNoteOn = 3 };

void appendBig32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void appendBig16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

std::vector<uint8_t> metaEvent(uint8_t type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> b{0xFF, type};
    appendVarLen(b, static_cast<uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

}   // namespace

void appendVarLen(std::vector<uint8_t>& out, uint32_t value) {
    value &= 0x0FFFFFFF;
    uint8_t groups[4];
    int n = 0;
    do {
        groups[n++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && n < 4);
    while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

void MidiTrack::add(uint32_t tick, int rank, std::vector<uint8_t> bytes) {
    events_.push_back({tick, rank, events_.size(), std::move(bytes)});
}

void MidiTrack::trackName(uint32_t tick, const std::string& name) {
    add(tick, kMeta, metaEvent(0x03, std::vector<uint8_t>(name.begin(), name.end())));
}

void MidiTrack::tempo(uint32_t tick, uint32_t us) {
    add(tick, kMeta,
        metaEvent(0x51, {static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8),
                         static_cast<uint8_t>(us)}));
}

void MidiTrack::timeSignature(uint32_t tick, uint8_t numerator, uint8_t denominatorPower) {
    add(tick, kMeta, metaEvent(0x58, {numerator, denominatorPower, 24, 8}));
}

void MidiTrack::programChange(uint32_t tick, uint8_t channel, uint8_t program) {
    add(tick, kControl,
        {static_cast<uint8_t>(0xC0 | (channel & 0x0F)), static_cast<uint8_t>(program & 0x7F)});
}

void MidiTrack::controlChange(uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value) {
    add(tick, kControl,
        {static_cast<uint8_t>(0xB0 | (channel & 0x0F)), static_cast<uint8_t>(controller & 0x7F),
         static_cast<uint8_t>(value & 0x7F)});
}

void MidiTrack::noteOn(uint32_t tick, uint8_t channel, uint8_t key, uint8_t velocity) {
    add(tick, kNoteOn,
        {static_cast<uint8_t>(0x90 | (channel & 0x0F)), static_cast<uint8_t>(key & 0x7F),
         static_cast<uint8_t>(velocity & 0x7F)});
}

void MidiTrack::noteOff(uint32_t tick, uint8_t channel, uint8_t key) {
    add(tick, kNoteOff,
        {static_cast<uint8_t>(0x80 | (channel & 0x0F)), static_cast<uint8_t>(key & 0x7F), 64});
}

void MidiTrack::note(uint32_t start, uint32_t length, uint8_t channel, uint8_t key,
                     uint8_t velocity) {
    if (length == 0) length = 1;
    noteOn(start, channel, key, velocity);
    noteOff(start + length, channel, key);
}

uint32_t MidiTrack::lastTick() const {
    uint32_t last = 0;
    for (const Event& e : events_) last = std::max(last, e.tick);
    return last;
}

std::vector<uint8_t> MidiTrack::chunk(uint32_t endTick) const {
    std::vector<const Event*> order;
    order.reserve(events_.size());
    for (const Event& e : events_) order.push_back(&e);
    std::sort(order.begin(), order.end(), [](const Event* a, const Event* b) {
        if (a->tick != b->tick) return a->tick < b->tick;
        if (a->rank != b->rank) return a->rank < b->rank;
        return a->seq < b->seq;
    });
    std::vector<uint8_t> body;
    uint32_t now = 0;
    for (const Event* e : order) {
        appendVarLen(body, e->tick - now);
        now = e->tick;
        body.insert(body.end(), e->bytes.begin(), e->bytes.end());
    }
    appendVarLen(body, std::max(endTick, now) - now);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});

    std::vector<uint8_t> out{'M', 'T', 'r', 'k'};
    appendBig32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

MidiTrack& MidiFile::addTrack() {
    tracks_.emplace_back();
    return tracks_.back();
}

std::vector<uint8_t> MidiFile::bytes(uint32_t endTick) const {
    std::vector<uint8_t> out{'M', 'T', 'h', 'd'};
    appendBig32(out, 6);
    appendBig16(out, tracks_.size() == 1 ? 0 : 1);
    appendBig16(out, static_cast<uint16_t>(tracks_.size()));
    appendBig16(out, division_);
    for (const MidiTrack& t : tracks_) {
        const std::vector<uint8_t> c = t.chunk(endTick);
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}
