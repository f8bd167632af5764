// A look over an installation for what would keep an event from playing:
// event files that do not load, seismogram files that are missing or do not
// read, stations missing from "ZURIVI.STA", implausible times, and folders
// an interrupted import left behind. Reads only.
#pragma once

#include <string>
#include <vector>

struct InstallationProblem {
    std::string where;   // the event file, or the installation itself
    std::string what;    // the problem and what to do about it
};

// Every problem found in the installation folder `dir`; empty when it is
// sound. `events` receives the number of event files looked at.
std::vector<InstallationProblem> checkInstallation(const std::string& dir,
                                                   std::size_t* events = nullptr);
