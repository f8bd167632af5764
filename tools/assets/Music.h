// The two music files of an installation, composed in code.
#pragma once

#include <cstdint>
#include <vector>

// "OV.MID": the welcome tune, about half a minute, General MIDI, format 1.
std::vector<uint8_t> welcomeTuneBytes();
// "EQ.MID": a low rumble with drums, about three seconds, for the flash
// that marks the epicentre.
std::vector<uint8_t> quakeRumbleBytes();
