// ovm: maintains an exhibit installation: the current directory when it holds
// "OV.INI", else the user's own installation. Reads "OV.INI" from there,
// edits it and the event files, and never changes directory for good.
#include "data/Settings.h"
#include "fileio/Logging.h"
#include "fileio/UserInstallation.h"
#include "maintenance/MaintenanceWindow.h"
#include "sound/Sound.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const InstallationChoice where = enterInstallation();
    startLogging("ovm", QDir::currentPath().toStdString());
    if (!where.error.empty()) qCWarning(lcRunSetup) << where.error.c_str();

    Settings& settings = theSettings();
    if (!loadSettings(settings))
        qCWarning(lcRunSetup)
            << "OV.INI could not be read (missing or unreadable): default settings";

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Orvanta Maintenance"));
    // The maintenance program never opens the MIDI output, so the View
    // dialog's picture buttons call click() without a sound.

    MaintenanceWindow window(settings, theSound());
    window.show();
    // Package checks start the program once and want it to end by itself.
    if (std::getenv("ORVANTA_EXIT_AFTER_START")) {
        std::printf("ovm: working in %s\n", qPrintable(QDir::currentPath()));
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    }
    const int result = app.exec();

    settings.phases.clear();
    stopLogging(result);
    return result;
}
