// Writes every installation file of the assets library into a folder, so
// that they can be looked at and listened to.
#include "Assets.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ovassets_demo <outdir> [earth-image]\n");
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const std::string out = argv[1];
    const std::string earth = argc > 2 ? argv[2] : kDefaultEarthImage;

    // Each writer in turn, with the time it took.
    bool ok = true;
    double total = 0;
    auto timed = [&](bool (*step)(const std::string&, const std::string&), const std::string& arg) {
        const auto start = std::chrono::steady_clock::now();
        ok = step(out, arg) && ok;
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += s;
        std::printf("  (%.2f s)\n", s);
    };
    timed(writeGlobePictures, earth);
    timed(writeWorldMap, earth);
    timed([](const std::string& d, const std::string&) { return writeWelcomePicture(d); }, {});
    timed([](const std::string& d, const std::string&) { return writeMusic(d); }, {});
    timed([](const std::string& d, const std::string&) { return writeStationList(d); }, {});
    timed([](const std::string& d, const std::string&) { return writeInfoTexts(d); }, {});
    timed([](const std::string& d, const std::string&) { return writeHelpPages(d); }, {});
    std::printf("%s in %.2f s\n", ok ? "done" : "finished with errors", total);
    return ok ? 0 : 1;
}
