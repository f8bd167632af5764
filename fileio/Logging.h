// The programs' logging: one Qt logging category per area, and a message
// handler that writes every message to the installation's log file
// ("log/orvanta.log", see LogFile) and to standard error when that is a
// terminal (or when the file cannot be written). Debug messages are off
// unless QT_LOGGING_RULES turns them on, e.g. "orvanta.clock.debug=true".
#pragma once

#include <QLoggingCategory>

#include <string>

Q_DECLARE_LOGGING_CATEGORY(lcClock)      // orvanta.clock: time-outs, script, tutorial, exit
Q_DECLARE_LOGGING_CATEGORY(lcRunSetup)   // orvanta.runsetup: events, stations, settings files
Q_DECLARE_LOGGING_CATEGORY(lcViews)      // orvanta.views: pictures and view files
Q_DECLARE_LOGGING_CATEGORY(lcSound)      // orvanta.sound: audio device, synthesizer, music
Q_DECLARE_LOGGING_CATEGORY(lcWorldMap)   // orvanta.worldmap: the map's time-outs and tutorial
Q_DECLARE_LOGGING_CATEGORY(lcImport)     // orvanta.import: imports and downloads
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)    // orvanta.network: data-centre requests

// The log folder of an installation: "<installation>/log".
std::string logFolder(const std::string& installationDir);

// Installs the message handler writing to logFolder(installationDir) and
// logs the start: program, version, installation folder, Qt version. A
// command-line program that prints its own report passes `terminalInfo`
// false: its terminal then shows only warnings and worse.
void startLogging(const char* program, const std::string& installationDir,
                  bool terminalInfo = true);

// Logs the exit with its status and puts the previous handler back.
void stopLogging(int exitCode);
