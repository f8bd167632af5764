// Client of the FDSN web services (fdsnws-event, -station and -dataselect,
// version 1) of a seismological data centre, and the one-step download of an
// earthquake with its recordings into an installation.
//
// Every call blocks: it runs its own event loop on the calling thread, so it
// works from the command line, from tests and from a dialog's worker thread
// alike. A QCoreApplication must exist. Progress goes to a callback on the
// calling thread; the cancel flag may be set from any thread and aborts the
// transfer in flight at once.
#pragma once

#include "import/EventImport.h"
#include "import/Recording.h"

#include <atomic>
#include <set>
#include <string>
#include <vector>

// A public data centre: its name (credited in the event) and base URLs
// ("https://host[:port][/prefix]", without "/fdsnws/..."). eventUrl serves the
// event search when the centre has no event service of its own.
struct FdsnCentre {
    std::string name;
    std::string baseUrl;
    std::string eventUrl;   // empty: baseUrl
};

// The large public data centres, the default first.
const std::vector<FdsnCentre>& fdsnCentres();

// How to talk to one data centre.
struct FdsnServer {
    std::string baseUrl;            // stations and waveforms (and events when eventUrl is empty)
    std::string eventUrl;           // event search and lookup; empty: baseUrl
    int connectTimeoutMs = 20000;   // until the request is on its way
    int idleTimeoutMs = 60000;      // longest silence of the server after that
    int tries = 3;                  // on time-outs, dropped connections and 5xx
    int backoffMs = 2000;           // wait before the second try, doubled for each next one
};

// The User-Agent sent with every request.
std::string fdsnUserAgent();

// Turns what a user typed ("geofon.gfz.de", "http://host:8080/") into a base
// URL without a trailing slash; empty when it is not an http(s) URL.
std::string normalizeBaseUrl(const std::string& text);

struct FdsnEvents {
    std::vector<EventInfo> events;   // newest first
    std::string error;               // empty: the answer was read (it may hold no event)
    bool cancelled = false;
};

// Events from startTime to endTime (epoch seconds) of at least minMagnitude,
// newest first.
FdsnEvents fdsnSearchEvents(const FdsnServer& server, double startTime, double endTime,
                            double minMagnitude, const ImportProgress& progress = {},
                            const std::atomic<bool>* cancel = nullptr);
// One event by the data centre's id; error when it is not known there.
FdsnEvents fdsnFetchEvent(const FdsnServer& server, const std::string& eventId,
                          const ImportProgress& progress = {},
                          const std::atomic<bool>* cancel = nullptr);

struct FdsnStations {
    std::vector<ChannelMetadata> channels;   // active at the origin time
    std::string text;                        // the answer as served (FDSN station text)
    std::string error;
    bool cancelled = false;
};

// Channels of `networks` ("IU,II") and `channels` ("BH?,HH?") recording from
// two minutes before the origin to timeLimit seconds after it.
FdsnStations fdsnFetchStations(const FdsnServer& server, double originTime, double timeLimit,
                               const std::string& networks = "IU,II",
                               const std::string& channels = "BH?,HH?",
                               const ImportProgress& progress = {},
                               const std::atomic<bool>* cancel = nullptr);

// A station chosen for download, with the channels of the one sensor asked for.
struct FdsnStationChoice {
    std::string network, station;
    double distance = 0, azimuth = 0;   // degrees from the epicentre
    bool known = false;                 // already in the installation's station list
    std::vector<ChannelMetadata> channels;
};

// Up to maxStations stations spread over distance (bands of 20 degrees) and
// azimuth (sectors of 45 degrees): each next one from the least used band and
// sector, stations with a vertical component first, then those whose code is
// in `knownStations` (upper case), then the nearest. Per station one sensor
// (location and band) as the import would take it. In the order chosen.
std::vector<FdsnStationChoice> chooseStations(const std::vector<ChannelMetadata>& channels,
                                              double latitude, double longitude,
                                              std::size_t maxStations,
                                              const std::set<std::string>& knownStations);

// The station codes of an installation's "ZURIVI.STA" (upper case); empty
// when it has none.
std::set<std::string> installedStationCodes(const std::string& installation);

// The dataselect request line of a channel: "NET STA LOC CHA START END",
// "--" for an empty location.
std::string dataselectLine(const ChannelId& id, double startTime, double endTime);

struct FdsnWaveforms {
    std::vector<std::string> files;    // miniSEED written, one per answered request
    std::vector<std::string> noData;   // request lines the centre had no data for
    std::vector<std::string> failed;   // request lines whose requests failed
    std::vector<std::string> errors;   // why, one per failed request
    bool cancelled = false;
};

// POSTs `lines` to the dataselect service and writes each answer, checked to
// be miniSEED, to a file "part-N.mseed" in `folder`. A request the centre finds
// too large (413) is split in halves; 204 and 404 mean no data.
FdsnWaveforms fdsnFetchWaveforms(const FdsnServer& server, const std::vector<std::string>& lines,
                                 const std::string& folder, const ImportProgress& progress = {},
                                 const std::atomic<bool>* cancel = nullptr);

struct FdsnDownloadRequest {
    FdsnServer server;
    std::string centreName;   // credited in the event; empty: the base URL's host
    std::string eventId;
    std::string networks = "IU,II";
    std::string channels = "BH?,HH?";
    std::size_t maxStations = 30;
    std::string installation = ".";
    std::string name;   // event name; empty: the place
    double sampleRate = 20;
    double timeLimit = 3600;
    bool replace = false;
    std::string scratchParent;   // where the scratch folder goes; empty: the system's temp folder
};

struct FdsnDownloadReport {
    ImportReport import;   // the import's report; import.error says why it failed
    std::vector<FdsnStationChoice> chosen;
    std::vector<std::string> noData;     // "NET.STA" of chosen stations that gave no recording
    std::vector<std::string> failures;   // requests that failed, and why
    bool ok() const { return import.ok() && !import.createdEvent.empty(); }
};

// The event by id, its stations, the choice, the waveforms into a scratch
// folder outside the installation (with the station text), then the import
// with the event's values. The scratch folder is removed afterwards; a
// failure or a cancel at any point leaves the installation unchanged.
FdsnDownloadReport downloadEarthquake(const FdsnDownloadRequest& request,
                                      const ImportProgress& progress = {},
                                      const std::atomic<bool>* cancel = nullptr);

// Whether the installation already holds this earthquake: the event file of
// its date and hour with an origin within a second of it.
bool eventInstalled(const std::string& installation, const EventInfo& event);
