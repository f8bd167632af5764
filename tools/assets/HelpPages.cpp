#include "Texts.h"

#include <string>

namespace {

const char* const kStyle =
    "body{font-family:'DejaVu Sans',Arial,sans-serif;max-width:46em;margin:1.5em auto;"
    "padding:0 1em;line-height:1.45;color:#1a1a1a;background:#fbfbf7}"
    "h1{font-family:'Liberation Serif',serif;color:#7a2a10;border-bottom:2px solid #d9a441}"
    "h2{font-size:1.1em;color:#7a2a10;margin-top:1.4em}"
    "table{border-collapse:collapse;margin:.6em 0}"
    "th,td{border:1px solid #bbb;padding:.25em .6em;text-align:left;vertical-align:top}"
    "th{background:#eee3c8}.nav{font-size:.9em;margin-bottom:1em}"
    ".note{background:#fff4d6;border-left:4px solid #d9a441;padding:.4em .8em}";

struct Topic {
    int number;
    const char* title;
    const char* body;
};

const Topic kTopics[] = {
    {1002, "Audio: the sound at each arrival", R"(
<p>The <b>Audio</b> dialog (menu <i>Options &gt; Audio...</i> in Orvanta, and
<i>Preferences &gt; Audio...</i> in Orvanta Maintenance) chooses the sound that
is made when a seismic wave reaches a station on the seismogram view.</p>
<table>
<tr><th>Choice</th><th>What visitors hear</th></tr>
<tr><td>No Sound</td><td>Nothing.</td></tr>
<tr><td>PC Speaker</td><td>A short plain beep.</td></tr>
<tr><td>Earthquake sounds</td><td>The station's own recording, speeded up until it can be
heard (16,000 samples per second). A new arrival is silent while the previous one
still plays.</td></tr>
<tr><td>Chime</td><td>A short chime.</td></tr>
</table>
<p>Sounds are made only when <i>Seismogram</i> is ticked under
<i>Label phases on view</i> in the Phases dialog, because the sound goes with the
arrival mark drawn on the seismogram.</p>
<p>With <b>No Sound</b> the earthquake rumble at the start of each run is silent too;
the welcome music still plays when the welcome screen is switched on.</p>
<p><b>OK</b> keeps the choice and saves it in the settings file OV.INI;
<b>Cancel</b> leaves everything as it was.</p>
)"},
    {1005, "Edit Event: describing an earthquake", R"(
<p>Orvanta Maintenance shows the <b>Edit Event</b> form for <i>Earthquakes &gt; New</i>
and <i>Earthquakes &gt; Open</i>. It holds everything the exhibit needs to know about
one earthquake; the list of seismogram files of the event is kept as it is.</p>
<table>
<tr><th>Field</th><th>Meaning</th><th>Accepted</th></tr>
<tr><td>Event Name</td><td>Name shown on the map and in the views</td><td>up to 39 characters</td></tr>
<tr><td>Latitude, Longitude</td><td>Epicentre in degrees; south and west are negative</td><td>any number</td></tr>
<tr><td>Depth</td><td>Depth of the focus in km</td><td>any number</td></tr>
<tr><td>Magnitude</td><td>Size of the earthquake; also sets the length of the flash</td><td>any number</td></tr>
<tr><td>Year, Month, Day</td><td>Date of the origin time (UTC)</td><td>1000&ndash;2100, 1&ndash;12, 1&ndash;31</td></tr>
<tr><td>Hour, Minute, Second</td><td>Origin time (UTC)</td><td>0&ndash;24, 0&ndash;59, any</td></tr>
<tr><td>View Angle</td><td>Longitude at the middle of the globe view</td><td>0, 45E &hellip; 45W</td></tr>
<tr><td>Speed</td><td>Seconds of earthquake time per second of display</td><td>&minus;100 to 100</td></tr>
<tr><td>Time Window</td><td>Length of the seismogram window, in minutes</td><td>5 to 60</td></tr>
<tr><td>Time limit</td><td>The run ends at this time after the origin, in minutes</td><td>5 to 180</td></tr>
</table>
<p>When a number is out of range, a message gives the allowed range and the field
is selected so it can be corrected.</p>
<p class="note">The event file is named after the date and hour, for example
1990010100.evt for 1 January 1990, hour 00. Changing the date or hour of an opened
event therefore writes a new file and leaves the old one in place; delete the old
file if it is no longer wanted. When another event is already stored under that name,
you are asked before it is replaced; <b>No</b> brings the form back with what you typed,
so you can choose another hour. The seismograms stay in the folder named after the
original file.</p>
<p>Seismogram file names may be up to 255 characters long. An event file that lists a
longer one is not opened: rename the file and correct its STATION FILE line first.</p>
)"},
    {1013, "Event Selection: picking an earthquake from the list", R"(
<p>The <b>Event Selection</b> dialog lists every event file (<i>*.evt</i>) in the
exhibit's working directory, in lower case. Because the files are named after the
date and hour of the earthquake, the list is in date order.</p>
<ul>
<li>Select a name and press <b>OK</b>, or double-click the name.</li>
<li>In Orvanta (<i>Earthquakes &gt; List</i>) the chosen earthquake starts from the
beginning.</li>
<li>In Orvanta Maintenance (<i>Earthquakes &gt; Open</i>) the chosen event opens in
the Edit Event form.</li>
<li><b>Cancel</b> closes the list; a running earthquake goes on where it was.</li>
</ul>
<p>The list is read afresh each time the dialog opens, so event files made with
Orvanta Maintenance appear in it at once.</p>
)"},
    {1015, "Controls: how the exhibit behaves", R"(
<p>The <b>Controls</b> dialog of Orvanta Maintenance (<i>Preferences &gt; Controls...</i>)
switches the features that make Orvanta suitable for a classroom or for an
unattended museum kiosk. Changes are saved in OV.INI at once and take effect the
next time Orvanta starts.</p>
<table>
<tr><th>Switch</th><th>When ticked</th></tr>
<tr><td>Title bar</td><td>Orvanta runs in a normal window with a caption; otherwise it fills the whole screen.</td></tr>
<tr><td>Menu Bar</td><td>The menu (Earthquakes, Options, Help) is shown. Switch it off in a kiosk.</td></tr>
<tr><td>Can Exit</td><td>Exit buttons are shown on the map and beside the views.</td></tr>
<tr><td>Can Select View</td><td>Visitors get a Views button to choose globe, cross-section or both.</td></tr>
<tr><td>Run From Script</td><td>Every earthquake of the working directory is played in turn, without visitors.</td></tr>
<tr><td>Display Earthquake Information</td><td>The event's description (EVT.INF in its folder) is shown when a run starts.</td></tr>
<tr><td>Right Button Restarts</td><td>A right click returns to the world map.</td></tr>
<tr><td>Show Welcome Screen</td><td>The welcome picture with music and a Start button is shown first.</td></tr>
<tr><td>Run Tutorial</td><td>Visitors get a Tutorial button that steps through the tutorial pages.</td></tr>
<tr><td>Select Components</td><td>Touching an earthquake on the map first shows its details, with the choice of stations and components.</td></tr>
<tr><td>Show Slider</td><td>A speed slider stands beside the views.</td></tr>
<tr><td>Wide Layout</td><td>For wide screens (16:9 and the like): when the globe, the
cross-section and the seismograms are shown together, the seismograms take a band of at
least 40&nbsp;% of the screen's height across the top, and the globe and the cross-section
stand side by side under it as two squares of the same size, centred, with grey panels at
the sides. On a screen no wider than 4:3 nothing changes. Untick it to keep the classic
arrangement: seismograms above a large globe on the left.</td></tr>
</table>
<p>The time-outs are set with <i>Preferences &gt; Initial Timeout</i>, <i>Timeout</i>
and <i>Pause at End</i>; see <a href="1020.html">Orvanta Maintenance</a>.</p>
)"},
    {1016, "Event Information: before an earthquake starts", R"(
<p>When <i>Select Components</i> is switched on, touching an earthquake on the world
map opens the <b>Event Information</b> window. It shows the name, date and time
(UTC) of the earthquake, the latitude and longitude of its epicentre (south and west
negative), its depth in kilometres and its magnitude.</p>
<table>
<tr><th>Button</th><th>Effect</th></tr>
<tr><td>GO</td><td>Starts the earthquake with the stations chosen before.</td></tr>
<tr><td>Select Stations</td><td>The map shows the stations that have seismograms of this
earthquake, so that visitors can choose which of them to play (see
<a href="1022.html">Station Components</a>).</td></tr>
<tr><td>Cancel</td><td>Back to the map of earthquakes.</td></tr>
</table>
)"},
    {1019, "Phases: labels and waves in the views", R"(
<p>The <b>Phases</b> dialog (menu <i>Options &gt; Phases...</i>, or
<i>Preferences &gt; Phases...</i> in Orvanta Maintenance) decides where the waves are
labelled and which waves the cross-section shows.</p>
<h2>Label phases on view</h2>
<ul>
<li><b>Earth</b>: the names P, PP, S, SS and Surface are written beside the circles on
the globe.</li>
<li><b>Cross-Section</b>: the wave names are written on the fronts inside the Earth.</li>
<li><b>Seismogram</b>: arrival marks are drawn on the seismograms, and the arrival
sound of the Audio dialog is played.</li>
</ul>
<h2>Which phases to show on cross-section</h2>
<ul>
<li><b>All</b>: every wave of the tables.</li>
<li><b>P plus all phases generated by P</b>: waves whose name begins with P (P, PP,
PcP, PKP, PKIKP &hellip;).</li>
<li><b>S plus all phases generated by S</b>: waves whose name begins with S.</li>
<li><b>Those indicated below</b>: only the waves typed into the eight fields, for
example P, S, PKP, SKS. Empty fields are skipped.</li>
</ul>
<p><b>OK</b> saves the choice in OV.INI; <b>Cancel</b> changes nothing.</p>
)"},
    {1020, "Orvanta Maintenance", R"(
<p><b>Orvanta Maintenance</b> sets up an Orvanta exhibit. It reads and writes the
settings file OV.INI and the event files of the folder it is started in when that
folder holds OV.INI; started from the desktop menu, it works in your own copy of the
exhibit, the folder <code>orvanta</code> in your data folder (usually
<code>~/.local/share/orvanta</code>), the same one Orvanta uses. Orvanta reads them when it starts, so restart Orvanta after making changes.</p>
<h2>Earthquakes menu</h2>
<ul>
<li><b>New</b>: describe a new earthquake in the <a href="1005.html">Edit Event</a> form.</li>
<li><b>Open</b>: choose an event file from the <a href="1013.html">list</a> and edit it.</li>
<li><b>Import Recordings...</b>: bring a real earthquake's recordings from a data centre
into the exhibit: see <a href="1050.html">Import Recordings</a>.</li>
<li><b>Download Earthquake...</b>: fetch a recent earthquake with its recordings from a
data centre: see <a href="1051.html">Download Earthquake</a>.</li>
<li><b>Exit</b>: close Orvanta Maintenance.</li>
</ul>
<h2>Preferences menu</h2>
<table>
<tr><th>Item</th><th>Sets</th></tr>
<tr><td>Controls...</td><td>The kiosk switches: see <a href="1015.html">Controls</a>.</td></tr>
<tr><td>Phases...</td><td>Labels and cross-section waves: see <a href="1019.html">Phases</a>.</td></tr>
<tr><td>Audio...</td><td>The arrival sound: see <a href="1002.html">Audio</a>.</td></tr>
<tr><td>View...</td><td>Which views are shown: globe and cross-section with seismograms, globe only,
or cross-section only. Touch a picture to choose.</td></tr>
<tr><td>Initial Timeout...</td><td>Seconds after which the welcome screen moves on by itself
(0: it waits for Start).</td></tr>
<tr><td>Timeout...</td><td>Seconds without a visitor after which pop-up windows close and the
world map starts an earthquake by itself (0: never).</td></tr>
<tr><td>Pause at End...</td><td>Seconds the finished run stays on screen before the exhibit
goes on.</td></tr>
<tr><td>Edit Information...</td><td>Opens an information text (*.INF) in the text editor.</td></tr>
</table>
<h2>Information texts</h2>
<p>The Info buttons of the views show 3D.INF (globe), XS.INF (cross-section) and
SEIS.INF (seismograms); the map's Information button shows MAP_EV.INF or MAP_ST.INF;
each earthquake's folder holds EVT.INF. Lines of a text flow together into
paragraphs and an empty line starts a new paragraph. Lines between a line
<code>&lt;PRE&gt;</code> and a line <code>&lt;/PRE&gt;</code> are shown as they are,
for tables. A line <code>&lt;more "NEXT.INF"&gt;</code> gives the window a
<i>More...</i> button that shows NEXT.INF.</p>
<h2>The log</h2>
<p>Orvanta, Orvanta Maintenance and ovimport note what happened in the file
<code>log/orvanta.log</code> of the exhibit: each start and exit, every earthquake
started (with the seismograms loaded and any left out, and why), time-outs, tutorial
pages, the sound output found, files that could not be read or saved, imports and
downloads. <b>Help &gt; View Log...</b> shows its newest lines. At 1 MB the file is
renamed <code>orvanta.log.1</code> (older ones become .2 and .3, the oldest is
deleted), so the log never fills the disk.</p>
)"},
    {1022, "Station Components: choosing recordings", R"(
<p>On the map of stations, touching a station opens <b>Station Components</b>. The
top lines give the station's name, place, latitude and longitude, its distance from
the earthquake along the Earth's surface (the great-circle arc, in degrees; one
degree is 111 km) and the back azimuth, the compass direction from the station
towards the earthquake.</p>
<p>A seismometer records three components: <b>Z</b> (up and down), <b>N-S</b>
(north and south) and <b>E-W</b> (east and west). Tick a component to play it;
a greyed box means the station has no recording of that component.</p>
<ul>
<li><b>This Station</b>: the choice applies to this station only.</li>
<li><b>All Stations</b>: the same components are chosen at every station of this
earthquake that has them.</li>
</ul>
<p><b>OK</b> saves the choice in the event file at once, so it is kept for the next
visitor; on the map the chosen components turn red. <b>Cancel</b> changes nothing.
Touch the earthquake's star to start it.</p>
)"},
    {1024, "Relative Speed and Time Window", R"(
<h2>Relative Speed</h2>
<p>The <b>Relative Speed</b> dialog (<i>Options &gt; Speed...</i>) sets how many seconds
of earthquake time pass in one second of display. At 20, ten minutes of the earthquake
take thirty seconds. 0 stops the clock, and negative speeds run time backwards so that
the waves shrink back towards the epicentre. The speed lasts until the next earthquake
starts with the speed of its own event file.</p>
<h2>Time Window</h2>
<p>The <b>Time Window</b> dialog (<i>Options &gt; Time window...</i>) sets how many
minutes of recording the seismogram view shows across its width, from 5 minutes to
1 hour. A short window shows the details of the first waves; a long one shows the
whole earthquake, surface waves included. When the traces reach the right edge, the
window moves on by half its width.</p>
<p>Neither choice is saved in OV.INI; each earthquake's event file holds its own
speed and time window.</p>
)"},
    {1050, "Import Recordings: real earthquakes from data centres", R"(
<p><i>Earthquakes &gt; Import Recordings...</i> in Orvanta Maintenance turns the
recordings of a real earthquake into an earthquake the exhibit plays. Seismological
data centres serve recordings as <b>miniSEED</b> files (one file may hold many
stations and components) or as <b>SAC</b> files, one per component.</p>
<h2>Steps</h2>
<ol>
<li><b>Add Files...</b> or <b>Add Folder...</b>: the recordings of one earthquake. A
folder is read with its subfolders. Files that are neither SAC nor miniSEED are
listed below the table with the reason they are skipped; the rest is used.</li>
<li>When the recordings do not say where their stations are (miniSEED never does),
give a <b>Station file</b>: the data centre's station list as FDSN station text or
StationXML, at channel level so that the sensors' orientations are known. A QuakeML
or FDSN event text file added with the recordings fills in the earthquake.</li>
<li>Check the table: each station with the sensor used (location and band), its
distance from the epicentre in degrees, the components it gives (Z, N, E), the
sample rate of the recording and notes: components left out, gaps filled, or why
the station is skipped. Up to eight vertical components spread over distance are
chosen to be shown first.</li>
<li>Check the <b>event values</b> read from the files and correct or complete them:
origin time in UTC (<code>YYYY-MM-DDTHH:MM:SS.s</code>), latitude and longitude in
degrees (south and west negative), depth in km, magnitude, and the name the map
shows.</li>
<li><b>Import</b>. The bar shows the progress; <b>Cancel</b> stops at once and leaves
the exhibit exactly as it was. The new earthquake then opens in the
<a href="1005.html">Edit Event</a> form.</li>
</ol>
<h2>What the import does</h2>
<ul>
<li>Per station one sensor: 20&ndash;40 samples per second broadband (BH) first,
then high-rate broadband (HH), then the others; location "" before "00", "10"...</li>
<li>Gaps of up to 10 s are bridged; longer ones are filled with the trace's mean
and noted. The mean is removed, horizontal components are turned to north and
east when their orientation is known (else left out, with a note), and every trace
is filtered and resampled to 20 samples per second without moving the onsets of
the waves. The traces run from 2 minutes before the origin to the time limit
(3600 s unless changed).</li>
<li>The earthquake's file is named by date and hour; its folder holds one SAC file
per component, named like <code>ANMO.BHZ</code>. New stations are added to the
station list ZURIVI.STA; existing lines stay as they are. The event's EVT.INF says
that the seismograms are recorded and credits the networks they come from, as
data centres ask.</li>
<li>An earthquake already stored for the same date and hour is replaced only with
<b>Replace</b> ticked, and then only once the new one is complete.</li>
</ul>
<p class="note">The same import runs from the command line:
<code>ovimport --stations stations.txt recordings/</code>. See <code>man ovimport</code>.</p>
)"},
    {1051, "Download Earthquake: today's earthquake from a data centre", R"(
<p><i>Earthquakes &gt; Download Earthquake...</i> in Orvanta Maintenance fetches a
recent earthquake with the recordings of stations around the world from a
seismological data centre, over the internet, and adds it to the exhibit. Visitors
often ask about an earthquake on the day it happens: this is the quickest way to
show it.</p>
<h2>Steps</h2>
<ol>
<li>Choose the <b>data centre</b>. The list holds the large public ones; choose
<i>Other</i> and type the address of any centre that offers the standard FDSN web
services (for example <code>https://service.example.org</code>).</li>
<li><b>Find Earthquakes</b> lists the earthquakes of the last days (30 unless
changed) of at least the smallest magnitude (6 unless changed), newest first, with
their time in UTC, place, magnitude and depth; the map beside the list shows where
they were.</li>
<li>Choose one. The line under the list says how many stations will come: up to the
<b>most stations</b> (30), from the <b>networks</b> given (IU and II, the global
networks, unless changed), spread over distance and direction, stations the exhibit
already knows first.</li>
<li><b>Download</b>. The bar shows the progress; <b>Cancel</b> stops at once and
leaves the exhibit exactly as it was. The recordings are then imported as with
<a href="1050.html">Import Recordings</a>, the data centre and networks are credited
in the event's information, and the new earthquake opens in the
<a href="1005.html">Edit Event</a> form.</li>
</ol>
<p>Stations that gave no recording are left out and counted in a message. An
earthquake already stored for the same date and hour is replaced only with
<b>Replace</b> ticked.</p>
<p class="note">The same download runs from the command line and can run every day
by itself: <code>ovimport --fdsn ADDRESS --latest</code>. See <code>man ovimport</code>.</p>
)"},
};

const char* const kContents = R"(
<p>Orvanta plays back real earthquakes. After a flash at the epicentre, a clock runs
in fast motion while the waves spread over a globe and through a cross-section of the
Earth, and the seismograms of the stations are drawn as the waves reach them. The
earthquakes that come with Orvanta have computed seismograms, made from the same
model of the Earth as the travel-time tables; real recordings can be added to an
exhibit.</p>
<h2>What visitors see</h2>
<ul>
<li><b>Welcome screen</b>: a picture with music and a <i>Start</i> button (or the Enter key).</li>
<li><b>World map</b>: one label per earthquake; touching a label chooses it. Its
<i>Information</i> button explains the map.</li>
<li><b>The run</b>: the globe, the cross-section and the seismograms, each with an
<i>Info</i> button. Beside them stand the buttons <i>World Menu</i> (back to the map),
<i>Repeat</i>, <i>Pause</i>/<i>Resume</i>, <i>Views</i>, <i>Tutorial</i> and
<i>Event Info</i>, and the speed slider, as the exhibit is set up.</li>
</ul>
<h2>Menus of Orvanta</h2>
<table>
<tr><th>Menu</th><th>Items</th></tr>
<tr><td>Earthquakes</td><td>List (choose from all event files), Map (back to the world map), Exit</td></tr>
<tr><td>Options</td><td>Phases, Speed, Audio, View (Earth, Cross-Section, Both with Seismograms),
Time window, Select View, Make bitmap (save a picture of the screen), Run from Script
(play every earthquake in turn), Restart</td></tr>
<tr><td>Help</td><td>Help contents (this page), About</td></tr>
</table>
<h2>Help pages</h2>
<ul>
<li><a href="1002.html">Audio</a></li>
<li><a href="1019.html">Phases</a></li>
<li><a href="1024.html">Relative Speed and Time Window</a></li>
<li><a href="1013.html">Event Selection</a></li>
<li><a href="1016.html">Event Information</a></li>
<li><a href="1022.html">Station Components</a></li>
<li><a href="1020.html">Orvanta Maintenance</a></li>
<li><a href="1015.html">Controls</a></li>
<li><a href="1005.html">Edit Event</a></li>
<li><a href="1050.html">Import Recordings</a></li>
<li><a href="1051.html">Download Earthquake</a></li>
</ul>
<p class="note">The exhibit is set up with Orvanta Maintenance, started in the
exhibit's working directory. Changes take effect when Orvanta is started again.</p>
)";

std::string page(const std::string& title, const std::string& body, bool withNav) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    html += title;
    html += "</title>\n<style>";
    html += kStyle;
    html += "</style>\n</head>\n<body>\n";
    if (withNav) html += "<p class=\"nav\"><a href=\"0.html\">Contents</a></p>\n";
    html += "<h1>" + title + "</h1>";
    html += body;
    html += "</body>\n</html>\n";
    return html;
}

}   // namespace

std::vector<int> helpTopics() {
    std::vector<int> topics{0};
    for (const Topic& t : kTopics) topics.push_back(t.number);
    return topics;
}

std::vector<NamedText> helpPages() {
    std::vector<NamedText> pages;
    pages.push_back({"help/0.html", page("Orvanta Help", kContents, false)});
    for (const Topic& t : kTopics)
        pages.push_back(
            {"help/" + std::to_string(t.number) + ".html", page(t.title, t.body, true)});
    return pages;
}
