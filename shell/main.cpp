// The display program `ov`. It reads nothing from the command line: the
// settings come from "OV.INI" in the installation it works in (the directory
// it is started in when that holds one, else the user's own installation),
// everything else from the working directory those settings name.
#include "data/EventCatalogue.h"
#include "data/InfoText.h"
#include "data/RunSetup.h"
#include "data/Settings.h"
#include "fileio/FileSystem.h"
#include "fileio/Logging.h"
#include "fileio/UserInstallation.h"
#include "shell/MainWindow.h"
#include "shell/WelcomeWindow.h"
#include "sound/AudioBackend.h"
#include "sound/Sound.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

// Milliseconds since the kernel started this process, or -1.
double millisecondsSinceProcessStart() {
    std::ifstream in("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long start = 0;
    // Field 3 (state) is the first after the name; starttime is field 22.
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) start = std::strtoull(field.c_str(), nullptr, 10);
    timespec now{};
    if (start == 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (now.tv_sec + now.tv_nsec * 1e-9 - static_cast<double>(start) / ticks) * 1000.0;
}

}   // namespace

int main(int, char** argv) {
    const auto mainEntered = std::chrono::steady_clock::now();

    const InstallationChoice where = enterInstallation();
    std::error_code ec;
    startLogging("ov", std::filesystem::current_path(ec).string());
    if (!where.error.empty()) qCWarning(lcRunSetup) << where.error.c_str();
    if (where.created) qCInfo(lcRunSetup) << "made the user's installation from the demo";

    Settings& settings = theSettings();
    if (!loadSettings(settings, "OV.INI"))
        qCWarning(lcRunSetup)
            << "OV.INI could not be read (missing or unreadable): default settings";
    if (!settings.workingDirectory.empty()) {
        std::filesystem::current_path(resolvePath(settings.workingDirectory), ec);
        if (ec)
            qCWarning(lcRunSetup) << "working directory" << settings.workingDirectory.c_str()
                                  << "not found";
    }
    theCatalogue().scanEvents(".");
    readTutorialScript(theTutorialScript(), ".");
    qCInfo(lcRunSetup).noquote() << QStringLiteral(
                                        "%1 events, %2 tutorial steps; script %3, tutorial %4")
                                        .arg(theCatalogue().count())
                                        .arg(theTutorialScript().size())
                                        .arg(settings.runScript ? "on" : "off",
                                             settings.tutorialEnabled ? "on" : "off");

    int exitCode = 0;
    {
        // Only the program name reaches Qt: the command line is not read.
        int qtArgc = 1;
        char* qtArgv[] = {argv[0], nullptr};
        QApplication app(qtArgc, qtArgv);

        // Real synthesizer and audio output; a machine without an audio
        // device gets a back end that stays silent.
        theSound().setBackend(makeAudioBackend());

        MainWindow window(settings, theSound(), theRunState(), theCatalogue(), theTutorialScript());

        // Measures the start-up, or (for package checks) just proves the
        // program starts, and exits at the first paint of the welcome screen.
        if (std::getenv("ORVANTA_BENCH_STARTUP") || std::getenv("ORVANTA_EXIT_AFTER_START")) {
            window.welcomeWindow()->setFirstPaintHook([mainEntered] {
                const double sinceMain = std::chrono::duration<double, std::milli>(
                                             std::chrono::steady_clock::now() - mainEntered)
                                             .count();
                std::printf(
                    "startup to first welcome paint: %.1f ms since main, %.0f ms since process start\n",
                    sinceMain, millisecondsSinceProcessStart());
                std::fflush(stdout);
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            });
        }

        if (settings.showWelcomeScreen) theSound().playMusic("OV.MID");
        window.showAsConfigured();
        exitCode = app.exec() != 0 ? 1 : 0;
    }

    // Shutdown, in order.
    RunState& run = theRunState();
    theSound().closeWave();
    run.seismograms.clear();
    theCatalogue().clear();
    theTutorialScript().clear();
    theSound().stopMusic();
    theSound().closeMidi();
    for (TravelTimeTable& table : run.tables) table = TravelTimeTable{};
    settings.phases.clear();
    stopLogging(exitCode);
    return exitCode;
}
