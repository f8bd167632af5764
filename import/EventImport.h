// Turning recordings from a data centre into an event of an installation: the
// event file named by date and hour, its folder of big-endian SAC files
// named short ("ANMO.BHZ"), the stations added to "ZURIVI.STA" and an
// "EVT.INF" that says where the recordings come from.
//
// Nothing is lost: the event is built in a staging folder inside the
// installation and moved into place only when complete. An existing event of
// the same name is replaced only when asked, and then kept until the new one
// is complete. A failure or a cancel leaves the installation as it was.
//
// The work runs in two steps that a dialog can show apart: scanImport reads
// the inputs and decides what would be imported (nothing is written), then
// writeImport processes the traces and writes the event. runImport does both.
#pragma once

#include "import/Recording.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// Seconds of recording kept before the origin.
constexpr double kImportLeadSeconds = 120;
// First selection: vertical components spread over distance.
constexpr std::size_t kImportSelectedMax = 8;

struct ImportRequest {
    std::vector<std::string> inputs;   // files and folders (read with their subfolders)
    std::string installation = ".";    // the folder with OV.INI, the events, ZURIVI.STA
    std::string name;                  // event name; empty: the place, else the date
    EventInfo event;                   // values the user gave; they win over the files
    std::string stationFile;           // station text or StationXML; may be empty
    std::string prefer;                // "LOC.BAND", "BAND" or "LOC." (see parsePreference)
    std::string dataCentre;            // credited in EVT.INF; may be empty
    double sampleRate = 20;            // samples per second written
    double timeLimit = 3600;           // seconds after the origin kept and played
    bool replace = false;              // an existing event of the same name may go
};

// One input file: used, or skipped and why.
struct ImportFileLine {
    std::string path;
    bool used = false;
    std::string what;   // used: what it gave ("2 channels", "station metadata"); else why not
};

// One station as it will be imported (or why it will not).
struct ImportStation {
    std::string network, station, location, band;   // the sensor used: "00", "BH"
    std::string siteName;
    double latitude = 0, longitude = 0;
    double distance = -1;     // degrees from the epicentre; -1 when it is not known
    double sampleRate = 0;    // of the recording
    std::string components;   // scanned: the sensor's channels ("Z12"); written: "ZNE", "Z"...
    bool selected = false;    // its Z is in the event's first selection
    std::vector<std::string> notes;   // components left out, gaps filled...
    std::string skipped;              // non-empty: the station is not imported, and why
};

struct ImportReport {
    std::vector<ImportFileLine> files;
    std::vector<ImportStation> stations;
    std::vector<std::string> warnings;
    EventInfo event;            // the values used: the request's, else the files'
    std::string eventName;      // as written to the event file
    std::string createdEvent;   // "2011031105.evt" once the event is in place
    std::string error;          // why nothing was (or would be) imported
    bool cancelled = false;
    bool ok() const { return error.empty(); }
};

// Progress from 0 to 1 with a short description of the step. Called from the
// thread that runs the import; the cancel flag may be set from any thread.
using ImportProgress = std::function<void(double fraction, const std::string& step)>;

// Everything read from the inputs; held between the two steps.
struct ImportScan {
    ImportReport report;
    std::vector<FileContents> recordings;     // the waveform files, in input order
    std::vector<ChannelMetadata> metadata;    // from station files (request's first)
    std::vector<EventInfo> fileEvents;        // from event files
    std::vector<ImportFileLine> otherFiles;   // lines of the files that are not recordings
    std::vector<std::string> readWarnings;    // what the readers left out of files they used
};

// Reads every input and fills report.files, report.event (request values
// over SAC headers over event files), report.stations (with distances when
// the epicentre is known) and report.error when nothing could be imported.
// Writes nothing.
ImportScan scanImport(const ImportRequest& request, const ImportProgress& progress = {},
                      const std::atomic<bool>* cancel = nullptr);

// Decides again from what `scan` read, after the request was edited (event
// values, preference, rate, limit): report.event, stations, file lines and
// error. Reads and writes nothing; quick.
void updateImportPlan(const ImportRequest& request, ImportScan& scan);

// Processes and writes what `scan` found, with the request's event values
// (they may have been edited since the scan). On success report.createdEvent
// names the new event file.
ImportReport writeImport(const ImportRequest& request, ImportScan scan,
                         const ImportProgress& progress = {},
                         const std::atomic<bool>* cancel = nullptr);

ImportReport runImport(const ImportRequest& request, const ImportProgress& progress = {},
                       const std::atomic<bool>* cancel = nullptr);

// The event file name an origin time gives ("2011031105.evt").
std::string importedEventFileName(double originTime);
