#include "Midi.h"
#include "Music.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

// A strict reader of Standard MIDI Files written for the tests: it walks
// every chunk and event and fails on anything malformed.
struct ParsedMidi {
    std::string error;   // empty when the file is well formed
    int format = -1, trackCount = 0, division = 0, notesOn = 0, unmatchedOffs = 0, hangingNotes = 0;
    std::map<uint32_t, uint32_t> tempos;   // tick -> microseconds per quarter
    uint32_t endTick = 0;                  // latest end-of-track
    std::set<int> programs, channels, drumKeys;

    double seconds() const {
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

ParsedMidi parseMidi(const std::vector<uint8_t>& b) {
    ParsedMidi m;
    const auto be = [&b](size_t p, int n) { uint32_t v = 0; while (n--) v = v << 8 | b[p++]; return v; };
    const auto varLen = [&b](size_t& p, size_t end, uint32_t& v) {
        v = 0;
        for (int k = 0; k < 4 && p < end; ++k) {
            v = (v << 7) | (b[p] & 0x7F);
            if (!(b[p++] & 0x80)) return true;
        }
        return false;
    };
    auto fail = [&m](const std::string& why) { m.error = why; return m; };
    if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd" || be(4, 4) != 6) return fail("header");
    m.format = int(be(8, 2)), m.trackCount = int(be(10, 2)), m.division = int(be(12, 2));
    if (m.division == 0 || (m.division & 0x8000)) return fail("division");
    int tracksRead = 0;
    for (size_t p = 14; p < b.size(); ++tracksRead) {
        if (p + 8 > b.size() || std::string(b.begin() + long(p), b.begin() + long(p) + 4) != "MTrk") return fail("chunk");
        const size_t end = p + 8 + be(p + 4, 4);
        if (end > b.size()) return fail("chunk runs past the file");
        uint32_t tick = 0, delta, len;
        uint8_t status = 0;
        bool ended = false;
        std::map<int, int> sounding;   // channel * 128 + key -> count
        for (p += 8; p < end;) {
            if (ended) return fail("events after end-of-track");
            if (!varLen(p, end, delta) || p >= end) return fail("delta");
            tick += delta;
            if (b[p] & 0x80) status = b[p++];
            else if (status == 0 || status >= 0xF0) return fail("running status without status");
            if (status == 0xFF) {
                const uint8_t type = p < end ? b[p++] : 0;
                if (!varLen(p, end, len) || p + len > end) return fail("meta length");
                if (type == 0x51 && len != 3) return fail("tempo");
                if (type == 0x51) m.tempos[tick] = be(p, 3);
                if (type == 0x2F && len != 0) return fail("end-of-track");
                if (type == 0x2F) ended = true, m.endTick = std::max(m.endTick, tick);
                p += len;
                status = 0;
                continue;
            }
            const int kind = status & 0xF0, channel = status & 0x0F;
            const size_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (kind == 0xF0 || p + dataBytes > end) return fail("event");
            if ((b[p] | b[p + dataBytes - 1]) & 0x80) return fail("data byte with high bit");
            const int key = b[p];
            m.channels.insert(channel);
            if (kind == 0xC0) m.programs.insert(key);
            if (kind == 0x90 && b[p + 1] > 0) {
                ++m.notesOn;
                ++sounding[channel * 128 + key];
                if (channel == 9) m.drumKeys.insert(key);
            } else if (kind == 0x80 || kind == 0x90) {
                if (sounding[channel * 128 + key] == 0) ++m.unmatchedOffs;
                else --sounding[channel * 128 + key];
            }
            p += dataBytes;
        }
        if (!ended) return fail("track without end-of-track");
        for (auto [k, n] : sounding) m.hangingNotes += n;
    }
    return tracksRead == m.trackCount ? m : fail("track count differs from the header");
}

}  // namespace

TEST(MidiWriter, VariableLengthQuantitiesFollowTheFileFormat) {
    const std::pair<uint32_t, std::vector<uint8_t>> cases[] = {
        {0, {0x00}}, {0x40, {0x40}}, {0x7F, {0x7F}}, {0x80, {0x81, 0x00}}, {0x2000, {0xC0, 0x00}},
        {0x3FFF, {0xFF, 0x7F}}, {0x4000, {0x81, 0x80, 0x00}}, {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}};
    for (const auto& [value, bytes] : cases) {
        std::vector<uint8_t> out;
        appendVarLen(out, value);
        EXPECT_EQ(out, bytes) << value;
    }
}

TEST(MidiWriter, EventsAreOrderedAndTracksClosed) {
    MidiFile f(96);
    MidiTrack& t = f.addTrack();
    t.tempo(0, 1000000);   // one quarter per second
    t.note(96, 96, 0, 60, 100);
    t.note(192, 48, 0, 60, 100);   // same key again right at the note-off
    t.programChange(0, 0, 5);
    const ParsedMidi m = parseMidi(f.bytes(400));
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(std::tuple(m.format, m.trackCount, m.notesOn), std::tuple(0, 1, 2));
    EXPECT_EQ(m.unmatchedOffs + m.hangingNotes, 0);   // the off at 192 comes before the new on
    EXPECT_EQ(m.endTick, 400u);
    EXPECT_NEAR(m.seconds(), 400.0 / 96, 1e-9);
    // A track whose events run past the requested end closes at its last event.
    EXPECT_EQ(parseMidi(f.bytes(10)).endTick, 240u);
}

TEST(Music, WelcomeTuneAndQuakeRumbleAreWellFormedAndRepeatable) {
    const std::vector<uint8_t> tune = welcomeTuneBytes(), rumble = quakeRumbleBytes();
    const ParsedMidi m = parseMidi(tune), r = parseMidi(rumble);
    ASSERT_EQ(m.error + r.error, "");
    EXPECT_EQ(m.format, 1);
    EXPECT_GE(m.trackCount, 3);
    EXPECT_GE(m.seconds(), 20.0);
    EXPECT_LE(m.seconds(), 40.0);
    EXPECT_GT(m.notesOn, 100);
    EXPECT_GE(m.programs.size(), 3u);   // several General MIDI instruments
    EXPECT_NEAR(r.seconds(), 3.0, 0.3);
    EXPECT_TRUE(r.channels.count(9) && r.drumKeys.count(35));   // bass drum on the percussion channel
    EXPECT_EQ(m.unmatchedOffs + m.hangingNotes + r.unmatchedOffs + r.hangingNotes, 0);
    EXPECT_EQ(tune, welcomeTuneBytes());
    EXPECT_EQ(rumble, quakeRumbleBytes());
}
