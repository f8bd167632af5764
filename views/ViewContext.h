// What the owner of the event views hands each of them: the settings they
// follow, the sound their arrivals play on, the character cell their texts
// are measured in, whether an event's views are up (pictures are only
// rebuilt and shown then), and the route of their commands (Info, the Map
// command of a right click) to the main window.
#pragma once

#include "dialogs/Commands.h"

#include <QSize>

#include <functional>

class Sound;
struct Settings;

struct ViewContext {
    const Settings& settings;
    Sound& sound;
    QSize cell;                         // extent of the letter "N" in the window's font
    std::function<bool()> eventShown;   // none installed: no event is shown
    // Delivers after the sender's own event has finished, so the receiver may
    // delete the view; none installed: the command is dropped.
    std::function<void(Command)> mainCommand;

    bool eventShownNow() const { return eventShown && eventShown(); }
    void sendToMain(Command command) const {
        if (mainCommand) mainCommand(command);
    }
};
