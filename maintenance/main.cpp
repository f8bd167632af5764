// ovm: maintains an exhibit installation in the current directory. Reads
// "OV.INI" from there, edits it and the event files, and never changes
// directory for good.
#include "data/Settings.h"
#include "maintenance/MaintenanceWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    Settings& settings = theSettings();
    loadSettings(settings);

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Orvanta Maintenance"));
    // The maintenance program never opens the MIDI output, so the View
    // dialog's picture buttons call click() without a sound.

    MaintenanceWindow window(settings);
    window.show();
    const int result = app.exec();

    settings.phases.clear();
    return result;
}
