// The main window of ovm, "Orvanta Maintenance": an empty client area under
// the menu M_COMMANDS, from which the operator edits "OV.INI" and the event
// files of the current directory and opens information texts in the system
// text editor. Every confirmed change is saved at once.
#pragma once

#include "data/EventFile.h"
#include "data/Settings.h"
#include "import/FdsnClient.h"
#include "maintenance/Messages.h"

#include <QMainWindow>

#include <functional>
#include <string>

class QAction;
class QDialog;
class Sound;

namespace maintenance {
// Command ids of the menu M_COMMANDS.
constexpr int kNew = 803, kOpen = 804, kExit = 805, kImportRecordings = 820,
              kDownloadEarthquake = 821;
constexpr int kControls = 1, kPhases = 806, kAudio = 807, kView = 808;
constexpr int kInitialTimeout = 813, kTimeout = 815, kPauseAtEnd = 817;
constexpr int kEditInformation = 816;
constexpr int kHelp = 809, kAbout = 810, kViewLog = 822;
constexpr int kHelpTopic = 1020;
}   // namespace maintenance

// What the window asks of the desktop. Each empty member gets the real
// behaviour; tests replace them so that nothing blocks or starts a program.
struct MaintenanceHooks {
    // Runs a modal dialog and returns its result (default: exec()).
    std::function<int(QDialog&)> runDialog;
    // Tells the user something (default: a message box).
    MessageFunction message;
    // Asks a yes-or-no question (default: a question box).
    QuestionFunction ask;
    // Asks for an information text to edit; empty when none was chosen
    // (default: the open-file dialog).
    std::function<QString(QWidget* parent)> chooseInformationFile;
    // Starts the text editor on a path; false when it could not start
    // (default: launchTextEditor).
    std::function<bool(const QString& path)> launchEditor;
    // The data centre the download dialog shows first and its time-outs
    // (default: the first public one, the usual time-outs).
    FdsnServer dataCentre;
};

class MaintenanceWindow : public QMainWindow {
    Q_OBJECT
public:
    // Edits `settings` (loaded by the caller) and saves it to `settingsPath`,
    // relative to the current directory. The View dialog's pictures click in
    // `sound`.
    MaintenanceWindow(Settings& settings, Sound& sound, MaintenanceHooks hooks = {},
                      std::string settingsPath = "OV.INI");

    // Runs one menu command.
    void runCommand(int id);
    // The menu entries that issue `id`, in menu order.
    QList<QAction*> actionsFor(int id) const;

private:
    void buildMenu();
    bool save();
    // `openedPath` is the file the record was read from (empty for a new one).
    void editEvent(EventRecord& record, const std::string& openedPath);
    void newEvent();
    void openEvent();
    void importRecordings();
    void downloadEarthquake();
    void openNewEvent(const std::string& path);
    void controls();
    void phases();
    void audio();
    void view();
    void numberInput(int id);
    void editInformation();
    void viewLog();
    void about();

    Settings& settings_;
    Sound& sound_;
    MaintenanceHooks hooks_;
    std::string settingsPath_;
};
