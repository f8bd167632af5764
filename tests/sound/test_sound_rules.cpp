// The sound component's rules, checked through the recording back end.
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "sound/RecordingBackend.h"
#include "sound/Sound.h"

#include <gtest/gtest.h>

namespace {

using Ops = std::vector<std::string>;
using Midi = std::vector<uint32_t>;

struct Rig {
    RecordingBackend::Log log;
    RecordingBackend* backend = new RecordingBackend(log);
    Sound sound{std::unique_ptr<SoundBackend>(backend)};
    Settings settings;
    Midi click() {
        log.midiMessages.clear();
        sound.click();
        return log.midiMessages;
    }
};

TEST(SoundMidi, ClickChannelIsChosenAtFirstOpenAndCloseSilencesTheNote) {
    Rig rig;
    EXPECT_EQ(rig.click(), Midi{});   // closed: silent
    ASSERT_EQ(rig.sound.openMidi(rig.settings), 0);
    // Volume 90, a note off, note 77 at velocity 127, on percussion channel 10.
    EXPECT_EQ(rig.click(), (Midi{0x5a07b9u, 0x7f0089u, 0x7f4d99u}));
    rig.log.operations.clear();
    rig.sound.closeMidi();
    EXPECT_EQ(rig.log.operations, (Ops{"midiShortMessage 0x404d89", "midiReset", "midiClose"}));
    rig.settings.baseLevelMidi = true;   // the channel stays what it was first
    rig.sound.openMidi(rig.settings);
    EXPECT_EQ(rig.click().back(), 0x7f4d99u);

    Rig base;   // base-level MIDI: channel 16, its program set to 0
    base.settings.baseLevelMidi = true;
    ASSERT_EQ(base.sound.openMidi(base.settings), 0);
    EXPECT_EQ(base.log.midiMessages.front(), 0x0000cfu);
    EXPECT_EQ(base.click(), (Midi{0x5a07bfu, 0x7f008fu, 0x7f4d9fu}));

    Rig missing;   // no device, or one that does not open
    missing.backend->midiDevices = 0;
    EXPECT_EQ(missing.sound.openMidi(missing.settings), 1);
    std::tie(missing.backend->midiDevices, missing.backend->midiOpens) = std::tuple(1, false);
    EXPECT_EQ(std::pair(missing.sound.openMidi(missing.settings), missing.sound.midiIsOpen()), std::pair(2, false));
}

TEST(SoundWave, OneSoundAtATimeClosedOnRequestRetriedWithoutDeviceAndEachArrivalModeItsSound) {
    Rig rig;
    std::vector<uint8_t> first(100, 128), second(72000, 128);
    rig.sound.closeWave();   // never opened: nothing to close
    rig.backend->waveAvailable = false;
    rig.sound.playWave(first.data(), first.size());
    rig.backend->waveAvailable = true;
    rig.sound.playWave(first.data(), first.size());
    rig.sound.playWave(second.data(), second.size());   // dropped while the first plays
    rig.backend->waveFinished = true;
    rig.sound.playWave(second.data(), second.size());
    rig.backend->waveFinished = false;
    rig.sound.closeWave();
    rig.sound.playWave(first.data(), 8);   // nothing in flight after a close
    rig.sound.playWave(nullptr, 8);
    rig.sound.playWave(first.data(), 0);
    EXPECT_EQ(rig.log.operations, (Ops{"waveOpen failed", "waveOpen", "waveWrite 100", "waveWrite 72000", "waveReset", "waveClose",
                                       "waveOpen", "waveWrite 8"}));

    Rig arrivals;
    KSAC seismogram;
    seismogram.soundBuffer.assign(400, 128);
    for (AudioMode mode : {AudioMode::None, AudioMode::PC, AudioMode::PC, AudioMode::Chime, AudioMode::EQ}) {
        arrivals.settings.audio = mode;
        arrivals.sound.playArrivalSound(arrivals.settings, seismogram);
    }
    EXPECT_EQ(arrivals.log.operations, (Ops{"beep", "beep", "chime", "waveOpen", "waveWrite 400"}));
}

TEST(SoundMusic, PlayOpensQueriesAndPlaysAndClosesOnAnyFailure) {
    // Results of open, routing query and play, whether routed to the synthesizer;
    // what playMusic returns, the operations it makes, whether music stays open.
    const std::tuple<int, int, int, bool, int, Ops, bool> cases[] = {
        {0, 0, 0, true, 0, {"musicOpen OV.MID", "musicPlay"}, true},
        {263, 0, 0, true, 263, {"musicOpen OV.MID"}, false},
        {0, 277, 0, true, 277, {"musicOpen OV.MID", "musicClose"}, false},
        {0, 0, 5, true, 5, {"musicOpen OV.MID", "musicPlay", "musicClose"}, false},
        {0, 0, 0, false, 0, {"musicOpen OV.MID"}, true}};   // declined, open until stopped
    for (const auto& [open, query, play, toMapper, result, ops, stillOpen] : cases) {
        Rig rig;
        std::tie(rig.backend->musicOpenResult, rig.backend->musicQueryResult, rig.backend->musicPlayResult,
                 rig.backend->musicToMapper) = std::tuple(open, query, play, toMapper);
        EXPECT_EQ(rig.sound.playMusic("OV.MID"), result);
        EXPECT_EQ(rig.log.operations, ops) << result;
        EXPECT_EQ(rig.sound.musicIsOpen(), stillOpen) << result;
        rig.sound.stopMusic();
        rig.sound.stopMusic();
        EXPECT_EQ(rig.log.operations.size(), ops.size() + stillOpen) << result;
        EXPECT_EQ(rig.log.operations.back(), stillOpen ? "musicClose" : ops.back()) << result;
        EXPECT_FALSE(rig.sound.musicIsOpen());
    }
    Rig rig;   // new music closes the one still open
    rig.sound.playMusic("OV.MID");
    rig.sound.playMusic("EQ.MID");
    EXPECT_EQ(rig.log.operations, (Ops{"musicOpen OV.MID", "musicPlay", "musicClose", "musicOpen EQ.MID", "musicPlay"}));
}

}   // namespace
