// What the owner of the event views hands each of them: the settings they
// follow, the sound their arrivals play on, the character cell their texts
// are measured in, and whether an event's views are up (pictures are only
// rebuilt and shown then).
#pragma once

#include <QSize>

#include <functional>

class Sound;
struct Settings;

struct ViewContext {
    const Settings& settings;
    Sound& sound;
    QSize cell;                         // extent of the letter "N" in the window's font
    std::function<bool()> eventShown;   // none installed: no event is shown

    bool eventShownNow() const { return eventShown && eventShown(); }
};
