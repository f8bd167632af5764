// The installation files that are neither seismological tables nor
// earthquakes. Each writer puts its files into `outDir` (created when
// missing), prints one progress line to standard output and returns whether
// every file was written. Output is the same, byte for byte, on every run.
#pragma once

#include <string>

// Equirectangular Earth picture of the xplanet-images package.
inline constexpr const char* kDefaultEarthImage = "/usr/share/xplanet/images/earth.jpg";

// "earth0.bmp" ... "earth315.bmp": the globe seen from above the equator at
// the central longitudes 0, 45, ..., 315, 1024 x 1024, 24-bit.
bool writeGlobePictures(const std::string& outDir,
                        const std::string& earthImagePath = kDefaultEarthImage);
// "WORLD.SAV": the Mercator world map (a BMP) in the frame of the world map
// window: 360 degrees from 65 E, 70 S to 75 N, 2048 pixels wide.
bool writeWorldMap(const std::string& outDir,
                   const std::string& earthImagePath = kDefaultEarthImage);
// "OVINIT.BMP": the picture of the welcome screen. Needs fonts, so a
// QGuiApplication must exist; one is made (offscreen) when there is none.
bool writeWelcomePicture(const std::string& outDir);
// "OV.MID" (welcome tune) and "EQ.MID" (the rumble of the epicentre flash).
bool writeMusic(const std::string& outDir);
// "ZURIVI.STA": the station list.
bool writeStationList(const std::string& outDir);
// "3D.INF", "XS.INF", "SEIS.INF", "MAP_EV.INF", "MAP_ST.INF" and the
// further texts their "More..." buttons lead to.
bool writeInfoTexts(const std::string& outDir);
// "help/<topic>.html" for every help topic the programs open, with
// "help/0.html" as the contents.
bool writeHelpPages(const std::string& outDir);

// All of the above; true when every one succeeded.
bool writeAllAssets(const std::string& outDir,
                    const std::string& earthImagePath = kDefaultEarthImage);

// Makes sure a QGuiApplication exists (needed for text drawing); creates a
// process-wide one on the offscreen platform when there is none.
void ensureGuiApplication();
