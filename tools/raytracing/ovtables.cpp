// ovtables <model> <outdir>: builds the travel-time tables and the
// cross-section's ray-path tables from an Earth model, and pictures of the
// cross-section for a person to look at.
#include "EarthModel.h"
#include "RayPathTables.h"
#include "TravelTimeTables.h"
#ifdef OV_WITH_PNG
#include "CrossSectionPng.h"
#endif

#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ovtables <model> <outdir>\n");
        return 2;
    }
    const std::string outDir = argv[2];
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&]() {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    auto say = [&](const std::string& s) {
        std::printf("[%6.2f s] %s\n", elapsed(), s.c_str());
        std::fflush(stdout);
    };
    EarthModel model = loadEarthModel(argv[1]);
    if (model.empty()) {
        std::fprintf(stderr, "ovtables: no usable model in %s\n", argv[1]);
        return 1;
    }
    say("model: " + std::to_string(model.nodes.size()) + " rows");
    if (!writeTravelTimeTables(model, outDir)) {
        std::fprintf(stderr, "ovtables: cannot write the travel-time tables\n");
        return 1;
    }
    say("travel-time tables P.JB S.JB PP.JB SS.JB written");
    RayPathOptions options;
    for (auto [depth, name] : {std::pair{0.0f, "OV0"}, std::pair{600.0f, "OV600"}}) {
        say(std::string("ray paths ") + name + ":");
        if (!writeRayPathTables(model, depth, name, outDir, options, say)) {
            std::fprintf(stderr, "ovtables: cannot write %s\n", name);
            return 1;
        }
        say(std::string(name) + ".INX / " + name + ".BIN written");
#ifdef OV_WITH_PNG
        std::string base = outDir + "/" + name;
        if (!drawCrossSectionPng(base + ".INX", base + ".BIN", {300, 600, 1200}, options.timeStep,
                                 depth, outDir + "/" + name + "-fronts.png"))
            std::fprintf(stderr, "ovtables: cannot draw %s-fronts.png\n", name);
        else
            say(std::string(name) + "-fronts.png drawn");
#endif
    }
    say("done");
    return 0;
}
