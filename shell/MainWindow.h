// The one top-level window of `ov`. It owns the clock and maps the Qt timers,
// activation changes and the close query onto it, implements what the clock
// asks of the screens, views, pop-ups and sound, and carries out the commands
// of the menu, the panes, the pop-ups and the world map.
#pragma once

#include "dialogs/Commands.h"
#include "dialogs/TextWindows.h"
#include "shell/InputMonitor.h"
#include "shell/LayoutGeometry.h"
#include "shell/SimulationClock.h"
#include "shell/ViewLayout.h"
#include "shell/WelcomeWindow.h"
#include "views/WorldMapWindow.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>

class QDialog;
class Sound;
class QStackedLayout;

// Writes a picture as a BMP file through a temporary file in the same
// directory that replaces the old file only when complete.
bool writeBitmapFile(const QImage& image, const QString& path);

class MainWindow : public QMainWindow, public ClockHost, public WorldMapHost {
    Q_OBJECT
public:
    MainWindow(Settings& settings, Sound& sound, RunState& run, EventCatalogue& catalogue,
               const TutorialScript& script);
    ~MainWindow() override;

    SimulationClock& clock() { return clock_; }
    WelcomeWindow* welcomeWindow() const { return welcome_; }
    WorldMapWindow* worldMapWindow() const { return worldMap_; }
    ViewLayout* viewLayout() const { return layout_; }
    InfoWindow* infoWindow() const { return info_; }
    TutorialWindow* tutorialPopup() const { return tutorial_; }
    QWidget* clientArea() const { return clientArea_; }
    const PaneGeometry& paneGeometry() const { return geometry_; }

    // Shows the window as the settings say: frameless full screen, or
    // maximised with its caption.
    void showAsConfigured();

    // The command table. Commands from panes and pop-ups arrive through
    // postCommand, after the message that sent them has finished.
    void command(Command id);
    void postCommand(Command id);
    // The bar's buttons, and the right click on the bar.
    void barCommand(Command id);

    // This window's message boxes go here; tests replace it (an empty
    // function restores the message box).
    using MessageShower =
        std::function<void(QWidget*, const QString& text, const QString& caption)>;
    void setMessageShower(MessageShower shower) { messageShower_ = std::move(shower); }
    // Runs a modal dialog of a menu command; tests replace it (default: exec).
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }
    // The file name "Make bitmap..." asks for; tests replace it (default: a
    // file dialog).
    using SaveNameAsker = std::function<QString(QWidget*)>;
    void setSaveNameAsker(SaveNameAsker asker) { saveNameAsker_ = std::move(asker); }

    // --- ClockHost
    uint32_t milliseconds() override;
    bool armTimer(int id, int ms) override;
    void disarmTimer(int id) override;
    bool inputWaiting() override;
    void showMessage(const std::string& text, const std::string& caption) override;
    bool loadEvent(const std::string& eventFile) override;
    void scriptAdvancing(const std::string& eventFile) override;
    void measureCharacterCell() override;
    bool worldMapExists() override { return worldMap_ != nullptr; }
    void buildLayout(ViewMode mode) override;
    void destroyWelcome() override;
    void showWorldMapScreen(uint32_t userTimeout) override;
    void exitProgram() override;
    void pauseLabelChanged(bool paused) override;
    void arrangeViews() override;
    const std::vector<EventView*>& views() override;
    void showTime(float t) override;
    void readSpeed() override;
    void openInfoWindow(const std::string& path) override;
    bool infoWindowExists() override { return !info_.isNull(); }
    void disposeInfoWindow() override;
    void openTutorialWindow(const std::string& file, int form, int position) override;
    TutorialAnswer tutorialWindow() override;
    void disposeTutorialWindow() override;
    bool popupOpen() override;
    void playMusic(const std::string& file) override;
    void stopMusic() override;
    void openMidi() override;
    void closeMidi() override;
    void click() override;
    bool runViewDialog() override;
    void saveSettings() override;

    // --- WorldMapHost
    void worldMapReady() override { clock_.setScreenReady(); }
    void chooseEvent(int catalogueIndex, const std::string& fileName) override;
    void worldMapCommand(Command id) override { postCommand(id); }
    void closeMainPopups() override { clock_.closePopups(); }
    void leaveTutorialMode() override { clock_.clearTutorial(); }
    void showInformation(const std::string& file) override;

protected:
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void createMenu();
    void setClient(QWidget* client);
    void dropClient(QWidget* client);
    void makeBitmap();
    int runDialog(QDialog& dialog);
    void runDialogCommand(Command id);
    // postCommand for the screens and pop-ups; a command still on its way
    // when this window is gone is dropped.
    std::function<void(Command)> commandRoute();
    void doExit();

    Settings& settings_;
    Sound& sound_;
    RunState& run_;
    EventCatalogue& catalogue_;
    const TutorialScript& script_;
    SimulationClock clock_;
    QElapsedTimer elapsed_;
    InputMonitor input_;
    std::array<QBasicTimer, 5> timers_;
    QWidget* clientArea_ = nullptr;
    QStackedLayout* stack_ = nullptr;
    QPointer<WelcomeWindow> welcome_;
    QPointer<WorldMapWindow> worldMap_;
    QPointer<ViewLayout> layout_;
    QPointer<InfoWindow> info_;
    QPointer<TutorialWindow> tutorial_;
    PaneGeometry geometry_;
    bool exiting_ = false;
    int midiState_ = -1;   // the last result of opening the MIDI output, for the log
    MessageShower messageShower_;
    DialogRunner dialogRunner_;
    SaveNameAsker saveNameAsker_;
};
