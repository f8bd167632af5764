// Where the programs find the installation they work in.
//
// Started inside an installation (a folder holding "OV.INI"), a program works
// there, as it always has. Started anywhere else, for example from the
// desktop menu, it works in the user's own installation under the user's data
// folder ("$XDG_DATA_HOME/orvanta", by default "~/.local/share/orvanta"),
// which the first start copies from the demo installation shipped with the
// programs. An existing user installation is never written over: an upgrade
// of the programs changes only the shipped copy.
#pragma once

#include <string>

struct InstallationChoice {
    std::string directory;   // where to work; empty: stay where started
    bool created = false;    // the user installation was made just now
    std::string error;       // why the user installation could not be made
};

// The decision, from plain values so that tests need no environment:
// `startDir` is the current directory, `dataHome` the user's data folder,
// `shippedDemo` the demo installation that came with the programs (empty or
// missing when running from a build tree).
InstallationChoice chooseInstallation(const std::string& startDir, const std::string& dataHome,
                                      const std::string& shippedDemo);

// $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share; empty
// when neither is known.
std::string userDataHome();

// The demo installation shipped beside the running program:
// "<program folder>/../share/orvanta/demo". Empty when that folder is missing.
std::string shippedDemoDirectory();

// chooseInstallation for this process, changing into the chosen folder.
// Returns the choice so that callers can tell the user about an error.
InstallationChoice enterInstallation();
