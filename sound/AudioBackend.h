// The sound back end of the programs: the wave output on a Qt Multimedia
// audio sink, the MIDI output, the music player and the beep and chime on a
// FluidSynth synthesizer rendered into a second audio sink. Install it once
// a QApplication exists:
//     theSound().setBackend(makeAudioBackend());
// Without an audio output device every operation is silent and safe: the
// wave output and the MIDI output report that they cannot open, music
// reports an error code, and nothing is printed.
#pragma once

#include "sound/Sound.h"

#include <memory>

std::unique_ptr<SoundBackend> makeAudioBackend();

// True when the system has a default audio output (false without a Qt application).
bool audioOutputPresent();
