// ovbuild: assembles a complete working installation into one directory:
// the travel-time and ray-path tables computed from the velocity model, the
// pictures, music, station list, texts and help pages, the demonstration
// earthquakes with their seismograms, the tutorial and the settings file.
//
//   ovbuild <outdir> [--model path] [--earth-image path]
//
// The output is the same, byte for byte, on every run.

#include "Assets.h"
#include "CrossSectionPng.h"
#include "DemoEvents.h"
#include "EarthModel.h"
#include "RayPathTables.h"
#include "Stations.h"
#include "TravelTimeTables.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#ifndef OV_DEFAULT_MODEL
#define OV_DEFAULT_MODEL "jb-model.txt"
#endif

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void usage() {
    std::fprintf(stderr, "usage: ovbuild <outdir> [--model path] [--earth-image path]\n");
}

std::vector<DemoStation> demoStations() {
    std::vector<DemoStation> stations;
    for (const GsnStation& g : gsnStations())
        stations.push_back({g.code, g.network, static_cast<float>(g.latitude),
                            static_cast<float>(g.longitude), g.description});
    return stations;
}

}   // namespace

int main(int argc, char** argv) {
    std::string outDir, modelPath = OV_DEFAULT_MODEL, earthImage = kDefaultEarthImage;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--model" || arg == "--earth-image") && i + 1 < argc)
            (arg == "--model" ? modelPath : earthImage) = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && outDir.empty())
            outDir = arg;
        else {
            usage();
            return 2;
        }
    }
    if (outDir.empty()) {
        usage();
        return 2;
    }

    const Clock::time_point start = Clock::now();
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (!std::filesystem::is_directory(outDir, ec)) {
        std::fprintf(stderr, "ovbuild: cannot create %s\n", outDir.c_str());
        return 1;
    }
    const EarthModel model = loadEarthModel(modelPath);
    if (model.empty()) {
        std::fprintf(stderr, "ovbuild: cannot read the velocity model %s\n", modelPath.c_str());
        return 1;
    }
    std::printf("Building the installation in %s from %s\n", outDir.c_str(), modelPath.c_str());
    std::fflush(stdout);

    bool ok = true;
    // The deep ray-path table is the longest job and needs nothing else:
    // it runs on a second thread while the rest is built.
    bool deepOk = false;
    double deepSeconds = 0;
    std::thread deep([&] {
        const Clock::time_point t = Clock::now();
        deepOk = writeRayPathTables(model, 600.0f, "OV600", outDir);
        deepSeconds = secondsSince(t);
    });

    Clock::time_point t = Clock::now();
    if (!writeTravelTimeTables(model, outDir)) {
        std::fprintf(stderr, "ovbuild: travel-time tables failed\n");
        ok = false;
    } else {
        std::printf("  travel-time tables P.JB S.JB PP.JB SS.JB  %.1f s\n", secondsSince(t));
    }
    std::fflush(stdout);

    t = Clock::now();
    if (!writeRayPathTables(model, 0.0f, "OV0", outDir)) {
        std::fprintf(stderr, "ovbuild: ray-path tables OV0 failed\n");
        ok = false;
    } else {
        std::printf("  ray-path tables OV0.INX OV0.BIN  %.1f s\n", secondsSince(t));
    }
    std::fflush(stdout);

    // The demonstration events need the travel-time tables.
    if (ok) {
        const std::vector<DemoStation> stations = demoStations();
        for (const DemoEvent& event : demoEvents()) {
            t = Clock::now();
            std::string error;
            if (!writeDemoEvent(event, stations, model, outDir, error)) {
                std::fprintf(stderr, "ovbuild: %s: %s\n", event.name, error.c_str());
                ok = false;
                continue;
            }
            std::printf("  event %s  %-24s M%.1f %5.0f km  %.1f s\n",
                        demoEventFileName(event).c_str(), event.name, event.magnitude, event.depth,
                        secondsSince(t));
            std::fflush(stdout);
        }
        std::string error;
        if (!writeTutorial(tutorialEvent(), stations, model, outDir, error)) {
            std::fprintf(stderr, "ovbuild: tutorial: %s\n", error.c_str());
            ok = false;
        } else {
            std::printf("  tutorial.txt and its pages for %s\n",
                        demoEventFileName(tutorialEvent()).c_str());
        }
        if (!writeDemoSettings(outDir)) {
            std::fprintf(stderr, "ovbuild: cannot write OV.INI\n");
            ok = false;
        } else {
            std::printf("  OV.INI (tutorial event %s)\n",
                        demoEventFileName(tutorialEvent()).c_str());
        }
        std::fflush(stdout);
    }

    t = Clock::now();
    if (!writeAllAssets(outDir, earthImage)) {
        std::fprintf(stderr, "ovbuild: pictures, music or texts failed\n");
        ok = false;
    } else {
        std::printf("  pictures, music, station list, texts and help  %.1f s\n", secondsSince(t));
    }
    std::fflush(stdout);

    deep.join();
    if (!deepOk) {
        std::fprintf(stderr, "ovbuild: ray-path tables OV600 failed\n");
        ok = false;
    } else {
        std::printf("  ray-path tables OV600.INX OV600.BIN  %.1f s (in parallel)\n", deepSeconds);
    }

    // Pictures of the cross-section fronts at 300, 600 and 1200 s, for a
    // person to check the ray-path tables by eye.
    const std::vector<int> frontTimes = {300, 600, 1200};
    const struct {
        const char* base;
        double depth;
        bool built;
    } pictures[] = {{"OV0", 0.0, ok}, {"OV600", 600.0, deepOk}};
    for (const auto& picture : pictures) {
        if (!picture.built) continue;
        const std::string base = outDir + "/" + picture.base;
        const std::string png = base + "-fronts.png";
        if (drawCrossSectionPng(base + ".INX", base + ".BIN", frontTimes, 10, picture.depth, png))
            std::printf("  cross-section drawing %s-fronts.png\n", picture.base);
        else
            std::fprintf(stderr, "ovbuild: cannot draw %s\n", png.c_str());
    }
    std::printf("%s in %.1f s\n", ok ? "Installation complete" : "Installation INCOMPLETE",
                secondsSince(start));
    return ok ? 0 : 1;
}
