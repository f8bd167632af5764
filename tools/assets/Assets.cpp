#include "Assets.h"

#include "Midi.h"
#include "Music.h"
#include "Pictures.h"
#include "Stations.h"
#include "Texts.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string pathIn(const std::string& dir, const std::string& name) {
    return (fs::path(dir) / name).string();
}

bool makeDirectory(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    return fs::is_directory(dir, ec);
}

bool writeText(const std::string& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f << text;
    return static_cast<bool>(f);
}

void report(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "wrote" : "FAILED to write", what.c_str());
    std::fflush(stdout);
}

}   // namespace

void ensureGuiApplication() {
    if (QGuiApplication::instance() != nullptr) return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "ovassets";
    static char* argv[] = {name, nullptr};
    // Deliberately never destroyed: it must outlive every image drawn with it.
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

bool writeGlobePictures(const std::string& outDir, const std::string& earthImagePath) {
    const QImage source = loadEarthImage(earthImagePath);
    if (source.isNull() || !makeDirectory(outDir)) {
        report(false, "globe pictures (cannot read " + earthImagePath + ")");
        return false;
    }
    const EquirectSampler earth(source);
    bool ok = true;
    for (int angle = 0; angle < 360; angle += 45) {
        const std::string name = "earth" + std::to_string(angle) + ".bmp";
        ok = saveBmp24(renderGlobe(earth, angle, 1024), pathIn(outDir, name)) && ok;
    }
    report(ok, "earth0.bmp ... earth315.bmp (8 globe pictures, 1024 x 1024)");
    return ok;
}

bool writeWorldMap(const std::string& outDir, const std::string& earthImagePath) {
    const QImage source = loadEarthImage(earthImagePath);
    if (source.isNull() || !makeDirectory(outDir)) {
        report(false, "WORLD.SAV (cannot read " + earthImagePath + ")");
        return false;
    }
    const QImage map = renderWorldMap(EquirectSampler(source), 2048);
    const bool ok = saveBmp24(map, pathIn(outDir, "WORLD.SAV"));
    report(ok, "WORLD.SAV (world map, " + std::to_string(map.width()) + " x "
                   + std::to_string(map.height()) + ")");
    return ok;
}

bool writeWelcomePicture(const std::string& outDir) {
    ensureGuiApplication();
    const bool ok = makeDirectory(outDir)
                    && saveBmp24(renderWelcome(), pathIn(outDir, "OVINIT.BMP"));
    report(ok, "OVINIT.BMP (welcome picture, 800 x 600)");
    return ok;
}

bool writeMusic(const std::string& outDir) {
    const bool ok = makeDirectory(outDir)
                    && writeBytes(pathIn(outDir, "OV.MID"), welcomeTuneBytes())
                    && writeBytes(pathIn(outDir, "EQ.MID"), quakeRumbleBytes());
    report(ok, "OV.MID and EQ.MID (music)");
    return ok;
}

bool writeStationList(const std::string& outDir) {
    std::string text;
    for (const GsnStation& s : gsnStations()) text += stationLine(s) + "\n";
    const bool ok = makeDirectory(outDir) && writeText(pathIn(outDir, "ZURIVI.STA"), text);
    report(ok, "ZURIVI.STA (" + std::to_string(gsnStations().size()) + " stations)");
    return ok;
}

bool writeInfoTexts(const std::string& outDir) {
    bool ok = makeDirectory(outDir);
    const std::vector<NamedText> texts = infoTexts();
    for (const NamedText& t : texts) ok = writeText(pathIn(outDir, t.name), t.contents) && ok;
    report(ok, std::to_string(texts.size()) + " information texts (*.INF)");
    return ok;
}

bool writeHelpPages(const std::string& outDir) {
    bool ok = makeDirectory(outDir);
    const std::vector<NamedText> pages = helpPages();
    for (const NamedText& p : pages) ok = writeText(pathIn(outDir, p.name), p.contents) && ok;
    report(ok, std::to_string(pages.size()) + " help pages (help/*.html)");
    return ok;
}

bool writeAllAssets(const std::string& outDir, const std::string& earthImagePath) {
    bool ok = writeGlobePictures(outDir, earthImagePath);
    ok = writeWorldMap(outDir, earthImagePath) && ok;
    ok = writeWelcomePicture(outDir) && ok;
    ok = writeMusic(outDir) && ok;
    ok = writeStationList(outDir) && ok;
    ok = writeInfoTexts(outDir) && ok;
    ok = writeHelpPages(outDir) && ok;
    return ok;
}
