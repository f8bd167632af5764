#include "maintenance/MaintenanceWindow.h"

#include "dialogs/AboutDialog.h"
#include "dialogs/DialogBase.h"
#include "dialogs/EventListDialog.h"
#include "dialogs/HelpLauncher.h"
#include "dialogs/OptionDialogs.h"
#include "dialogs/Pictures.h"
#include "fileio/LogFile.h"
#include "fileio/Logging.h"
#include "maintenance/DownloadDialog.h"
#include "maintenance/EventEditor.h"
#include "maintenance/ImportDialog.h"
#include "maintenance/Preferences.h"
#include "maintenance/TextEditorLauncher.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace maintenance;

namespace {

QString chooseInformationFileDefault(QWidget* parent) {
    return QFileDialog::getOpenFileName(
        parent, QObject::tr("Edit Information"), QString(),
        QObject::tr("Information Files (*.INF *.inf *.Inf);;All Files (*)"));
}

}   // namespace

MaintenanceWindow::MaintenanceWindow(Settings& settings, Sound& sound, MaintenanceHooks hooks,
                                     std::string settingsPath)
    : settings_(settings), sound_(sound), hooks_(std::move(hooks)),
      settingsPath_(std::move(settingsPath)) {
    if (!hooks_.runDialog) hooks_.runDialog = [](QDialog& d) { return d.exec(); };
    if (!hooks_.message) hooks_.message = showMessageBox;
    if (!hooks_.ask) hooks_.ask = askQuestionBox;
    if (!hooks_.chooseInformationFile) hooks_.chooseInformationFile = chooseInformationFileDefault;
    if (!hooks_.launchEditor) hooks_.launchEditor = launchTextEditor;

    setWindowTitle(tr("Orvanta Maintenance"));
    setWindowIcon(QIcon(QPixmap::fromImage(picture(kStarIcon))));
    setCentralWidget(new QWidget);
    buildMenu();
}

void MaintenanceWindow::buildMenu() {
    struct Item {
        const char* text;
        int id;   // 0: separator
    };
    const auto addMenu = [this](const char* title, std::initializer_list<Item> items) {
        QMenu* menu = menuBar()->addMenu(tr(title));
        for (const Item& item : items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(tr(item.text));
            action->setData(item.id);
            const int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        }
    };
    addMenu("&Earthquakes", {{"&New", kNew},
                             {"&Open", kOpen},
                             {"&Import Recordings...", kImportRecordings},
                             {"&Download Earthquake...", kDownloadEarthquake},
                             {nullptr, 0},
                             {"E&xit", kExit}});
    addMenu("&Preferences", {{"&Controls...", kControls},
                             {"&Phases...", kPhases},
                             {"&Audio...", kAudio},
                             {"&View...", kView},
                             {"&Initial Timeout...", kInitialTimeout},
                             {"Time&out...", kTimeout},
                             {"&Pause at End...", kPauseAtEnd},
                             {"&Edit Information...", kEditInformation}});
    addMenu("&Help", {{"&Orvanta Help", kHelp}, {"View &Log...", kViewLog}, {"&About", kAbout}});
    addMenu("E&xit", {{"E&xit", kExit}});
}

QList<QAction*> MaintenanceWindow::actionsFor(int id) const {
    QList<QAction*> found;
    for (QAction* top : menuBar()->actions())
        if (top->menu())
            for (QAction* a : top->menu()->actions())
                if (!a->isSeparator() && a->data().toInt() == id) found.append(a);
    return found;
}

void MaintenanceWindow::runCommand(int id) {
    switch (id) {
    case kNew: newEvent(); break;
    case kOpen: openEvent(); break;
    case kImportRecordings: importRecordings(); break;
    case kDownloadEarthquake: downloadEarthquake(); break;
    case kExit: close(); break;
    case kControls: controls(); break;
    case kPhases: phases(); break;
    case kAudio: audio(); break;
    case kView: view(); break;
    case kInitialTimeout:
    case kTimeout:
    case kPauseAtEnd: numberInput(id); break;
    case kEditInformation: editInformation(); break;
    case kHelp: openHelp(this, kHelpTopic); break;
    case kViewLog: viewLog(); break;
    case kAbout: about(); break;
    default: break;
    }
}

bool MaintenanceWindow::save() {
    if (saveSettings(settings_, settingsPath_)) return true;
    qCWarning(lcRunSetup) << "the settings could not be saved to" << settingsPath_.c_str();
    // The old file is still whole (the save writes a new file and renames
    // it); the change stays in memory and goes out with the next save.
    hooks_.message(this, tr("Unable to save the settings to %1. The file was left as it was.")
                             .arg(QString::fromStdString(settingsPath_)));
    return false;
}

// --- Events -------------------------------------------------------------------

void MaintenanceWindow::editEvent(EventRecord& record, const std::string& openedPath) {
    EventEditorDialog dialog(this, record, hooks_.message);
    EventRecord edited;
    for (;;) {
        dialog.setResult(QDialog::Rejected);
        if (hooks_.runDialog(dialog) != QDialog::Accepted) return;
        edited = record;
        dialog.apply(edited);
        // Named after the date and hour: a changed date or hour gives a new
        // file and the file that was opened stays as it was. Another event
        // already stored under that name is replaced only when the operator
        // says so; otherwise the form comes back with what was typed.
        const std::optional<std::string> question = replaceQuestion(edited, openedPath);
        if (!question || hooks_.ask(this, QString::fromStdString(*question))) break;
    }
    record = std::move(edited);
    if (writeEventFileByDate(record)) {
        qCInfo(lcRunSetup) << "event file" << record.fileName.c_str() << "saved";
        return;
    }
    qCWarning(lcRunSetup) << "event file" << record.fileName.c_str() << "could not be written";
    hooks_.message(
        this,
        tr("Unable to write the event file %1.").arg(QString::fromStdString(record.fileName)));
}

void MaintenanceWindow::newEvent() {
    EventRecord record = newEventRecord();
    editEvent(record, std::string());
}

void MaintenanceWindow::openEvent() {
    EventListDialog list(this);
    if (hooks_.runDialog(list) != QDialog::Accepted) return;
    const std::string path = list.chosenName();
    EventRecord record = readEventFile(path);
    // A seismogram file name is written back whole or not at all: a cut name
    // would find no file and the station's trace would vanish from the run.
    for (const ComponentRecord& c : record.stationFiles) {
        if (c.fileName.size() <= kComponentFileNameMax) continue;
        hooks_.message(this, tr("The event file %1 lists a seismogram file name of %2 characters "
                                "(%3...). Names may be at most %4 characters long. Rename the "
                                "file and correct its STATION FILE line, then open the event "
                                "again.")
                                 .arg(QString::fromStdString(path))
                                 .arg(c.fileName.size())
                                 .arg(QString::fromStdString(c.fileName.substr(0, 40)))
                                 .arg(kComponentFileNameMax));
        return;
    }
    editEvent(record, path);
}

void MaintenanceWindow::importRecordings() {
    ImportDialog dialog(this, ".", hooks_.message);
    if (hooks_.runDialog(dialog) != QDialog::Accepted || dialog.createdEvent().empty()) return;
    openNewEvent(dialog.createdEvent());
}

void MaintenanceWindow::downloadEarthquake() {
    DownloadDialog dialog(this, ".", hooks_.message, hooks_.dataCentre);
    if (hooks_.runDialog(dialog) != QDialog::Accepted || dialog.createdEvent().empty()) return;
    openNewEvent(dialog.createdEvent());
}

// A new event opens in the editor, to name it, choose its view and speed.
void MaintenanceWindow::openNewEvent(const std::string& path) {
    EventRecord record = readEventFile(path);
    editEvent(record, path);
}

// --- Preferences --------------------------------------------------------------

void MaintenanceWindow::controls() {
    ControlsDialog dialog(this, settings_);
    if (hooks_.runDialog(dialog) == QDialog::Accepted) save();
}

void MaintenanceWindow::phases() {
    PhasesDialog dialog(this, settings_);
    if (hooks_.runDialog(dialog) == QDialog::Accepted) save();
}

void MaintenanceWindow::audio() {
    AudioDialog dialog(this, settings_);
    if (hooks_.runDialog(dialog) != QDialog::Accepted) return;
    dialog.apply();
    save();
}

void MaintenanceWindow::view() {
    const ViewMode before = settings_.view;
    {
        ViewDialog dialog(this, settings_, sound_);
        hooks_.runDialog(dialog);
    }
    // Every way out of the dialog leads to a save, even the Cancel picture.
    save();
    if (settings_.view != before) centralWidget()->update();
}

void MaintenanceWindow::numberInput(int id) {
    const NumberInputInfo* info = numberInputFor(id);
    if (!info) return;
    uint32_t& field = settings_.*(info->field);
    NumberInputDialog dialog(this, tr(info->title), tr(info->prompt), field, hooks_.message);
    if (hooks_.runDialog(dialog) != QDialog::Accepted) return;
    field = dialog.value();
    save();
}

void MaintenanceWindow::editInformation() {
    // The whole path, however long: the directory is restored afterwards
    // whether or not a file was chosen, since a file dialog may change it.
    const QString before = QDir::currentPath();
    const QString chosen = hooks_.chooseInformationFile(this);
    // A relative answer is relative to the directory of the moment.
    const QString path = chosen.isEmpty() ? QString() : QFileInfo(chosen).absoluteFilePath();
    if (QDir::currentPath() != before) QDir::setCurrent(before);
    if (path.isEmpty()) return;
    if (!hooks_.launchEditor(path))
        hooks_.message(this, tr("Unable to start the text editor for %1.").arg(path));
}

// The newest lines of the log of this installation, read-only, the end in view.
void MaintenanceWindow::viewLog() {
    const std::string text = LogFile::readTail(logFolder(QDir::currentPath().toStdString()));
    QDialog dialog(this);
    dialog.setWindowTitle(tr("Log"));
    auto* view = new QPlainTextEdit(&dialog);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setPlainText(text.empty() ? tr("No log yet.")
                                    : QString::fromUtf8(text.data(), qsizetype(text.size())));
    view->moveCursor(QTextCursor::End);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(view);
    layout->addWidget(buttons);
    dialog.resize(900, 500);
    hooks_.runDialog(dialog);
}

void MaintenanceWindow::about() {
    AboutDialog dialog(this);
    hooks_.runDialog(dialog);
}
