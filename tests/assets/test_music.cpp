#include "Midi.h"
#include "Music.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// A small reader of Standard MIDI Files, written for the tests: it walks
// every chunk and event and fails on anything malformed.
struct ParsedMidi {
    bool ok = false;
    std::string error;
    int format = -1, trackCount = 0, division = 0;
    int tracksRead = 0;
    std::map<uint32_t, uint32_t> tempos;   // tick -> microseconds per quarter
    uint32_t endTick = 0;                  // latest end-of-track
    int notesOn = 0, unmatchedOffs = 0, hangingNotes = 0;
    std::set<int> programs, channels;
    std::set<int> drumKeys;

    double seconds() const
    {
        double s = 0;
        uint32_t tick = 0, tempo = 500000;
        for (auto [t, us] : tempos) {
            if (t > endTick) break;
            s += double(t - tick) * tempo / division / 1e6;
            tick = t;
            tempo = us;
        }
        return s + double(endTick - tick) * tempo / division / 1e6;
    }
};

uint32_t be32(const std::vector<uint8_t>& b, size_t p)
{
    return uint32_t(b[p]) << 24 | uint32_t(b[p + 1]) << 16 | uint32_t(b[p + 2]) << 8 | b[p + 3];
}

bool readVarLen(const std::vector<uint8_t>& b, size_t& p, size_t end, uint32_t& v)
{
    v = 0;
    for (int k = 0; k < 4; ++k) {
        if (p >= end) return false;
        const uint8_t c = b[p++];
        v = (v << 7) | (c & 0x7F);
        if (!(c & 0x80)) return true;
    }
    return false;
}

ParsedMidi parseMidi(const std::vector<uint8_t>& b)
{
    ParsedMidi m;
    auto fail = [&m](const std::string& why) { m.error = why; return m; };
    if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd" || be32(b, 4) != 6)
        return fail("bad header");
    m.format = b[8] << 8 | b[9];
    m.trackCount = b[10] << 8 | b[11];
    m.division = b[12] << 8 | b[13];
    if (m.division == 0 || (m.division & 0x8000)) return fail("bad division");
    size_t p = 14;
    while (p < b.size()) {
        if (p + 8 > b.size() || std::string(b.begin() + long(p), b.begin() + long(p) + 4) != "MTrk")
            return fail("bad chunk at " + std::to_string(p));
        const uint32_t length = be32(b, p + 4);
        const size_t end = p + 8 + length;
        if (end > b.size()) return fail("chunk runs past the file");
        p += 8;
        uint32_t tick = 0;
        uint8_t status = 0;
        bool ended = false;
        std::map<int, int> sounding;   // channel*128+key -> count
        while (p < end) {
            if (ended) return fail("events after end-of-track");
            uint32_t delta;
            if (!readVarLen(b, p, end, delta)) return fail("bad delta");
            tick += delta;
            if (p >= end) return fail("missing event");
            if (b[p] & 0x80) status = b[p++];
            else if (status == 0 || status >= 0xF0) return fail("running status without status");
            if (status == 0xFF) {
                if (p >= end) return fail("bad meta");
                const uint8_t type = b[p++];
                uint32_t len;
                if (!readVarLen(b, p, end, len) || p + len > end) return fail("bad meta length");
                if (type == 0x51) {
                    if (len != 3) return fail("bad tempo");
                    m.tempos[tick] = uint32_t(b[p]) << 16 | uint32_t(b[p + 1]) << 8 | b[p + 2];
                }
                if (type == 0x2F) {
                    if (len != 0) return fail("bad end-of-track");
                    ended = true;
                    m.endTick = std::max(m.endTick, tick);
                }
                p += len;
                status = 0;
                continue;
            }
            if (status == 0xF0 || status == 0xF7) {
                uint32_t len;
                if (!readVarLen(b, p, end, len) || p + len > end) return fail("bad sysex");
                p += len;
                status = 0;
                continue;
            }
            const int kind = status & 0xF0, channel = status & 0x0F;
            const size_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (p + dataBytes > end) return fail("truncated event");
            for (size_t k = 0; k < dataBytes; ++k)
                if (b[p + k] & 0x80) return fail("data byte with high bit");
            const int key = b[p];
            m.channels.insert(channel);
            if (kind == 0xC0) m.programs.insert(key);
            if (kind == 0x90 && b[p + 1] > 0) {
                ++m.notesOn;
                ++sounding[channel * 128 + key];
                if (channel == 9) m.drumKeys.insert(key);
            } else if (kind == 0x80 || (kind == 0x90 && b[p + 1] == 0)) {
                if (sounding[channel * 128 + key] == 0) ++m.unmatchedOffs;
                else --sounding[channel * 128 + key];
            }
            p += dataBytes;
        }
        if (!ended) return fail("track without end-of-track");
        for (auto [k, n] : sounding) m.hangingNotes += n;
        ++m.tracksRead;
    }
    if (m.tracksRead != m.trackCount) return fail("track count differs from the header");
    m.ok = true;
    return m;
}

std::vector<uint8_t> varLen(uint32_t v)
{
    std::vector<uint8_t> out;
    appendVarLen(out, v);
    return out;
}

}  // namespace

TEST(MidiWriter, VariableLengthQuantitiesFollowTheFileFormat)
{
    EXPECT_EQ(varLen(0), (std::vector<uint8_t>{0x00}));
    EXPECT_EQ(varLen(0x40), (std::vector<uint8_t>{0x40}));
    EXPECT_EQ(varLen(0x7F), (std::vector<uint8_t>{0x7F}));
    EXPECT_EQ(varLen(0x80), (std::vector<uint8_t>{0x81, 0x00}));
    EXPECT_EQ(varLen(0x2000), (std::vector<uint8_t>{0xC0, 0x00}));
    EXPECT_EQ(varLen(0x3FFF), (std::vector<uint8_t>{0xFF, 0x7F}));
    EXPECT_EQ(varLen(0x4000), (std::vector<uint8_t>{0x81, 0x80, 0x00}));
    EXPECT_EQ(varLen(0x0FFFFFFF), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(MidiWriter, EventsAreOrderedAndTracksClosed)
{
    MidiFile f(96);
    MidiTrack& t = f.addTrack();
    t.tempo(0, 1000000);   // one quarter per second
    t.note(96, 96, 0, 60, 100);
    t.note(192, 48, 0, 60, 100);   // same key again right at the note-off
    t.programChange(0, 0, 5);
    const std::vector<uint8_t> bytes = f.bytes(400);
    const ParsedMidi m = parseMidi(bytes);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(m.format, 0);
    EXPECT_EQ(m.trackCount, 1);
    EXPECT_EQ(m.notesOn, 2);
    EXPECT_EQ(m.unmatchedOffs, 0);   // the off at 192 comes before the new on
    EXPECT_EQ(m.hangingNotes, 0);
    EXPECT_EQ(m.endTick, 400u);
    EXPECT_NEAR(m.seconds(), 400.0 / 96, 1e-9);
    // A track whose events run past the requested end closes at its last event.
    EXPECT_EQ(parseMidi(f.bytes(10)).endTick, 240u);
}

TEST(Music, WelcomeTuneIsAWellFormedHalfMinute)
{
    const std::vector<uint8_t> bytes = welcomeTuneBytes();
    const ParsedMidi m = parseMidi(bytes);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(m.format, 1);
    EXPECT_GE(m.trackCount, 3);
    EXPECT_GE(m.seconds(), 20.0);
    EXPECT_LE(m.seconds(), 40.0);
    EXPECT_GT(m.notesOn, 100);
    EXPECT_EQ(m.unmatchedOffs, 0);
    EXPECT_EQ(m.hangingNotes, 0);
    EXPECT_GE(m.programs.size(), 3u);   // several General MIDI instruments
    EXPECT_EQ(bytes, welcomeTuneBytes());
}

TEST(Music, QuakeRumbleLastsAboutThreeSecondsWithDrums)
{
    const std::vector<uint8_t> bytes = quakeRumbleBytes();
    const ParsedMidi m = parseMidi(bytes);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_NEAR(m.seconds(), 3.0, 0.3);
    EXPECT_EQ(m.unmatchedOffs, 0);
    EXPECT_EQ(m.hangingNotes, 0);
    EXPECT_TRUE(m.channels.count(9));     // percussion channel
    EXPECT_TRUE(m.drumKeys.count(35));    // bass drum
    EXPECT_EQ(bytes, quakeRumbleBytes());
}
