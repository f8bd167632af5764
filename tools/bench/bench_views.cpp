// Times the three views of a run: the layout of view mode ALL at a screen
// size, an event of the demo installation, 1,000 ticks spread over the
// whole run, offscreen software rendering. Prints the median, the 99th
// percentile and the maximum milliseconds per tick for the globe, the
// cross-section, the seismograms, the window's repaint of what changed, and
// all of them together.
//
//   bench_views [installation dir] [event file] [width height]
//
// Without an installation dir the build's own demo installation is used: the
// "demo" folder of the nearest folder above the program that has one
// (build/demo for build/tools/bench/bench_views).
//
// BENCH_VIEWS_TICKS=n runs n ticks instead (e.g. under callgrind, whose
// instruction counts per tick do not depend on the machine's load);
// BENCH_VIEWS_PNG=1 saves the screen at three moments into /tmp.
//
// Without an event file the event listing the most seismograms is used.
// All phase labels are on; the sound back end is silent.
#include "data/RunSetup.h"
#include "data/Settings.h"
#include "shell/LayoutGeometry.h"
#include "shell/ViewLayout.h"
#include "sound/Sound.h"
#include "views/CrossSectionView.h"
#include "views/DrawText.h"
#include "views/GlobeView.h"
#include "views/SeismogramView.h"
#include "views/ViewPane.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Series {
    const char* name;
    std::vector<double> values;
    void print() const {
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        const auto pick = [&](double q) {
            return v[std::min(v.size() - 1, std::size_t(q * double(v.size())))];
        };
        std::printf("  %-14s median %7.3f ms   p99 %7.3f ms   max %7.3f ms\n", name, pick(0.5),
                    pick(0.99), v.back());
    }
};

int countStations(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    int n = 0;
    while (std::getline(in, line))
        if (line.rfind("STATION FILE:", 0) == 0) ++n;
    return n;
}

// The "demo" folder with event files in the nearest folder above the
// program; empty when there is none.
QString buildDemoFolder() {
    QDir up(QCoreApplication::applicationDirPath());
    do {
        const QDir demo(up.filePath(QStringLiteral("demo")));
        if (!demo.entryList({QStringLiteral("*.evt"), QStringLiteral("*.EVT")}, QDir::Files)
                 .isEmpty())
            return demo.absolutePath();
    } while (up.cdUp());
    return QString();
}

}   // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : buildDemoFolder();
    if (dir.isEmpty()) {
        std::fprintf(stderr,
                     "no demo installation above %s; build the demo target or name an "
                     "installation\n",
                     qPrintable(QCoreApplication::applicationDirPath()));
        return 1;
    }
    if (!QDir::setCurrent(dir)) {
        std::fprintf(stderr, "cannot enter %s\n", qPrintable(dir));
        return 1;
    }
    std::string event = argc > 2 ? argv[2] : "";
    if (event.empty()) {
        int most = -1;
        for (const QString& f :
             QDir().entryList({QStringLiteral("*.evt")}, QDir::Files, QDir::Name)) {
            const int n = countStations(f.toStdString());
            if (n > most) {
                most = n;
                event = f.toStdString();
            }
        }
    }
    const int width = argc > 4 ? std::atoi(argv[3]) : 1920;
    const int height = argc > 4 ? std::atoi(argv[4]) : 1080;

    Settings& settings = theSettings();
    loadSettings(settings, "OV.INI");
    settings.labelPhasesOnCrossSection = true;
    settings.labelPhasesOnEarth = true;
    settings.labelPhasesOnSeismogram = true;
    RunState& run = theRunState();
    if (!loadRun(run, event)) {
        std::fprintf(stderr, "cannot load %s\n", event.c_str());
        return 1;
    }
    bool shown = false;

    // The event screen as the clock builds it.
    QWidget client;
    client.resize(width, height);
    const QFontMetrics fm(client.font());
    const CharacterCell cell{fm.horizontalAdvance(QLatin1Char('N')), fm.height()};
    ViewLayout layout(
        &client, ViewMode::All, paneGeometry(cell, width), settings, theSound(), run,
        [&] { return shown; }, nullptr);
    client.show();
    QCoreApplication::processEvents();
    GlobeView& globe = *layout.globe();
    CrossSectionView& xs = *layout.crossSection();
    SeismogramView& seis = *layout.seismograms();
    // Through the interface the clock uses: reset for the run, redraw, start.
    const auto setupStart = Clock::now();
    layout.arrange();
    for (EventView* view : layout.views()) {
        std::string text, caption;
        if (!view->resetForRun(text, caption)) {
            std::fprintf(stderr, "%s: %s in %s\n", text.c_str(), caption.c_str(), qPrintable(dir));
            return 1;
        }
    }
    for (EventView* view : layout.views()) view->redraw();
    shown = true;
    for (EventView* view : layout.views()) view->startRun();
    QCoreApplication::processEvents();
    const double setupMs = ms(Clock::now() - setupStart);

    std::printf("event %s: %d seismograms of %d samples (first), time limit %d s, window %d s\n",
                event.c_str(), int(run.seismogramCount),
                run.seismograms.empty() ? 0 : run.seismograms[0]->npts(), int(run.timeLimit),
                int(run.timeWindow));
    std::printf(
        "screen %d x %d: globe %d x %d (R %d), cross-section %d x %d, seismograms %d x %d\n", width,
        height, globe.width(), globe.height(), int(globe.radius()), xs.width(), xs.height(),
        seis.width(), seis.height());
    std::printf("start of the event (layout, pictures, full redraws): %.1f ms\n", setupMs);

    // BENCH_VIEWS_TICKS sets another count (fewer for a run under a profiler).
    const int kTicks = std::max(1, qEnvironmentVariableIntValue("BENCH_VIEWS_TICKS") > 0
                                       ? qEnvironmentVariableIntValue("BENCH_VIEWS_TICKS")
                                       : 1000);
    // 1,000 ticks over the whole run: the acceleration of 20 with the tick
    // interval that spreads them over the time limit.
    const float step = static_cast<float>(run.timeLimit) / kTicks;
    Series sGlobe{"globe", {}}, sXs{"cross-section", {}}, sSeis{"seismograms", {}},
        sPaint{"repaint", {}}, sAll{"all together", {}};
    for (int i = 1; i <= kTicks; ++i) {
        const float t = std::max(10.0f, step * static_cast<float>(i));
        const auto t0 = Clock::now();
        xs.tick(t);
        xs.present();
        const auto t1 = Clock::now();
        globe.tick(t);
        globe.present();
        const auto t2 = Clock::now();
        seis.tick(t);
        const auto t3 = Clock::now();
        // The window system shows the changed areas.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const auto t4 = Clock::now();
        sXs.values.push_back(ms(t1 - t0));
        sGlobe.values.push_back(ms(t2 - t1));
        sSeis.values.push_back(ms(t3 - t2));
        sPaint.values.push_back(ms(t4 - t3));
        sAll.values.push_back(ms(t4 - t0));
        if (std::getenv("BENCH_VIEWS_PNG") && (i == 250 || i == 500 || i == 1000)) {
            const QString name = QStringLiteral("/tmp/bench_views_%1.png").arg(i);
            client.grab().save(name);
        }
    }
    std::printf("%d ticks, %.2f s of earthquake time per tick:\n", kTicks, double(step));
    if (std::getenv("BENCH_VIEWS_SLOWEST")) {
        std::vector<int> order(sAll.values.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = int(i);
        std::sort(order.begin(), order.end(),
                  [&](int a, int b) { return sAll.values[size_t(a)] > sAll.values[size_t(b)]; });
        for (int k = 0; k < 12; ++k) {
            const std::size_t i = std::size_t(order[size_t(k)]);
            std::printf("  slow tick %4zu t=%6.0f: globe %.2f xs %.2f seis %.2f paint %.2f\n",
                        i + 1, double(step) * double(i + 1), sGlobe.values[i], sXs.values[i],
                        sSeis.values[i], sPaint.values[i]);
        }
    }
    for (const Series* s : {&sGlobe, &sXs, &sSeis, &sPaint, &sAll}) s->print();
    return 0;
}
