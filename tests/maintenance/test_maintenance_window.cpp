#include "dialogs/AboutDialog.h"
#include "dialogs/EventListDialog.h"
#include "dialogs/HelpLauncher.h"
#include "dialogs/OptionDialogs.h"
#include "dialogs/Buttons.h"
#include "maintenance/EventEditor.h"
#include "maintenance/MaintenanceWindow.h"
#include "maintenance/Preferences.h"
#include "MaintenanceTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// An "OV.INI" in the form a save writes, with every key that ovm has no
// control for away from its default.
const QByteArray kSettingsFile =
    "WORKING DIRECTORY: exhibit\r\n"
    "TITLE BAR: YES\r\n"
    "MENU BAR: NO\r\n"
    "LABEL PHASES ON CROSS-SECTION: YES\r\n"
    "LABEL PHASES ON EARTH VIEW: NO\r\n"
    "LABEL PHASES ON SEISMOGRAM: YES\r\n"
    "ALL PHASES ON CROSS-SECTION: NO\r\n"
    "P* PHASES ON CROSS-SECTION: NO\r\n"
    "S* PHASES ON CROSS-SECTION: NO\r\n"
    "SPECIFIED PHASES ON CROSS-SECTION: YES\r\n"
    "BASE LEVEL MIDI: YES\r\n"
    "INITIAL TIMEOUT: 120\r\n"
    "TIMEOUT: 60\r\n"
    "SECONDS TO PAUSE AT END: 5\r\n"
    "CAN EXIT: NO\r\n"
    "EXIT LABEL: Leave the show\r\n"
    "TUTORIAL EVENT: 1989101800.evt\r\n"
    "TUTORIAL: YES\r\n"
    "SELECT COMPONENTS: NO\r\n"
    "SELECT VIEW: YES\r\n"
    "RUN SCRIPT: YES\r\n"
    "RIGHT BUTTON RESTART: YES\r\n"
    "SHOW EVENT INFORMATION: NO\r\n"
    "SHOW WELCOME SCREEN: YES\r\n"
    "SLIDER: NO\r\n"
    "EXIT WHEN DONE: YES\r\n"
    "AUDIO: EQ\r\n"
    "VIEW: XS\r\n"
    "BUTTON HEIGHT: 1.5\r\n"
    "WIDE LAYOUT: YES\r\n"
    "PHASE: PKP\r\n"
    "PHASE: ScS\r\n";

ino_t inodeOf(const QString& name) {
    struct stat st {};
    return ::stat(name.toLocal8Bit().constData(), &st) == 0 ? st.st_ino : 0;
}

QByteArray lineOf(const QByteArray& file, const QByteArray& key) {
    for (const QByteArray& line : file.split('\n'))
        if (line.startsWith(key)) return line.trimmed();
    return {};
}

void press(QWidget* dialog, int id) {
    auto* b = findControlAs<QAbstractButton>(dialog, id);
    ASSERT_NE(b, nullptr) << id;
    b->click();
}

// One window over a scratch directory, with every desktop call recorded.
// `script` acts on each dialog the window runs; a dialog it leaves open
// counts as cancelled.
struct Harness {
    ScratchDirectory dir;
    Settings settings;
    MessageLog messages;
    std::function<void(QDialog&)> script;
    int dialogsRun = 0;
    std::function<QString()> chooser = [] { return QString(); };
    QStringList launched;
    bool launchWorks = true;
    QStringList questions;
    bool answer = false;
    std::unique_ptr<MaintenanceWindow> window;

    explicit Harness(const QByteArray& ini = QByteArray()) {
        if (!ini.isNull()) dir.write(QStringLiteral("OV.INI"), ini);
        loadSettings(settings);
        MaintenanceHooks hooks;
        hooks.runDialog = [this](QDialog& d) {
            ++dialogsRun;
            if (script) script(d);
            return d.result();
        };
        hooks.message = messages.function();
        hooks.ask = [this](QWidget*, const QString& text) {
            questions.append(text);
            return answer;
        };
        hooks.chooseInformationFile = [this](QWidget*) { return chooser(); };
        hooks.launchEditor = [this](const QString& path) {
            launched.append(path);
            return launchWorks;
        };
        window = std::make_unique<MaintenanceWindow>(settings, hooks);
    }
};

// A script for the event list and then the editor.
std::function<void(QDialog&)> openAndEdit(const QString& fileName,
                                          std::function<void(EventEditorDialog&)> edit) {
    return [fileName, edit](QDialog& d) {
        if (auto* list = qobject_cast<EventListDialog*>(&d)) {
            const auto items = list->list()->findItems(fileName, Qt::MatchExactly);
            ASSERT_EQ(items.size(), 1) << fileName.toStdString();
            list->list()->setCurrentItem(items[0]);
            press(list, kIdOk);
        } else if (auto* editor = qobject_cast<EventEditorDialog*>(&d)) {
            edit(*editor);
            press(editor, kIdOk);
        }
    };
}

const QByteArray kEventFile =
    "EVENT NAME: Test quake\r\n"
    "EVENT LATITUDE:    37.0400\r\n"
    "EVENT LONGITUDE:  -121.8800\r\n"
    "EVENT DEPTH:       18.0\r\n"
    "EVENT MAGNITUDE:    7.1\r\n"
    "EVENT DATE: 1995/06/15\r\n"
    "ORIGIN TIME: 12:04:15.2\r\n"
    "TIME ACCELERATION: 50\r\n"
    "TIME WINDOW: 900\r\n"
    "TIME LIMIT: 3600\r\n"
    "VIEW ANGLE: 100\r\n"
    "STATION FILE: BKS.Z\r\n"
    "STATION FILE: CMB.N\r\n";

}  // namespace

// --- The window and its menu ------------------------------------------------------

TEST(MaintenanceWindow, CarriesTheMenuWithExitInBothPlaces) {
    Harness h;
    EXPECT_EQ(h.window->windowTitle(), QStringLiteral("Orvanta Maintenance"));
    QStringList titles;
    for (QAction* a : h.window->menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&Earthquakes", "&Preferences", "&Help", "E&xit"}));
    EXPECT_EQ(h.window->actionsFor(maintenance::kExit).size(), 2);
    for (int id : {803, 804, 1, 806, 807, 808, 813, 815, 817, 816, 809, 810})
        EXPECT_EQ(h.window->actionsFor(id).size(), 1) << id;
    EXPECT_EQ(h.window->actionsFor(815)[0]->text(), QStringLiteral("Time&out..."));

    // About shows the same box as the display program.
    bool sameAbout = false;
    h.script = [&](QDialog& d) { sameAbout = qobject_cast<AboutDialog*>(&d) != nullptr; };
    h.window->runCommand(maintenance::kAbout);
    EXPECT_TRUE(sameAbout);
    h.script = {};

    h.window->show();
    h.window->actionsFor(maintenance::kExit)[1]->trigger();
    EXPECT_FALSE(h.window->isVisible());
}

TEST(MaintenanceWindow, HelpOpensTopic1020) {
    Harness h;
    QList<QUrl> opened;
    setHelpOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    setHelpMessage([](QWidget*, const QString&) {});
    h.dir.write(QStringLiteral("help/1020.html"), "<html></html>");
    h.window->runCommand(maintenance::kHelp);
    setHelpOpener({});
    setHelpMessage({});
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].toLocalFile().endsWith(QStringLiteral("help/1020.html")));
}

// --- Controls and the other preference dialogs ----------------------------------

TEST(MaintenanceWindow, ControlsOkWithoutChangeRewritesTheSameFile) {
    Harness h(kSettingsFile);
    const ino_t before = inodeOf(QStringLiteral("OV.INI"));
    h.script = [](QDialog& d) {
        ASSERT_NE(qobject_cast<ControlsDialog*>(&d), nullptr);
        press(&d, kIdOk);
    };
    h.window->runCommand(maintenance::kControls);
    EXPECT_EQ(h.dialogsRun, 1);
    EXPECT_NE(inodeOf(QStringLiteral("OV.INI")), before);   // written again
    EXPECT_EQ(readFile(QStringLiteral("OV.INI")), kSettingsFile);
    EXPECT_TRUE(h.messages.texts.isEmpty());
}

TEST(MaintenanceWindow, KeysWithoutAControlSurviveEverySave) {
    Harness h(kSettingsFile);
    h.script = [](QDialog& d) {
        findControlAs<QCheckBox>(&d, 761)->setChecked(false);   // Title bar
        findControlAs<QCheckBox>(&d, 102)->setChecked(true);    // Show Slider
        press(&d, kIdOk);
    };
    h.window->runCommand(maintenance::kControls);
    h.script = [](QDialog& d) { press(&d, 175); press(&d, kIdOk); };   // Audio: PC
    h.window->runCommand(maintenance::kAudio);
    h.script = [](QDialog& d) { qobject_cast<ViewDialog*>(&d)->button(557)->click(); };
    h.window->runCommand(maintenance::kView);

    const QByteArray file = readFile(QStringLiteral("OV.INI"));
    EXPECT_EQ(lineOf(file, "TITLE BAR:"), "TITLE BAR: NO");
    EXPECT_EQ(lineOf(file, "SLIDER:"), "SLIDER: YES");
    EXPECT_EQ(lineOf(file, "AUDIO:"), "AUDIO: PC");
    EXPECT_EQ(lineOf(file, "VIEW:"), "VIEW: 3D");
    for (const QByteArray key : {"WORKING DIRECTORY:", "BASE LEVEL MIDI:", "EXIT LABEL:",
                                 "TUTORIAL EVENT:", "EXIT WHEN DONE:", "BUTTON HEIGHT:"})
        EXPECT_EQ(lineOf(file, key), lineOf(kSettingsFile, key)) << key.constData();
    EXPECT_EQ(file.count("PHASE: "), 2);
}

TEST(MaintenanceWindow, CancelWritesNothingButTheViewPictureCancelStillSaves) {
    Harness h(kSettingsFile);
    const ino_t before = inodeOf(QStringLiteral("OV.INI"));
    h.script = [](QDialog& d) {
        if (auto* controls = qobject_cast<ControlsDialog*>(&d)) controls->box(0)->setChecked(false);
        press(&d, kIdCancel);
    };
    for (int id : {1, 806, 807}) h.window->runCommand(id);
    h.script = [](QDialog& d) {
        auto* edit = findControlAs<QLineEdit>(&d, kNumberEditId);
        ASSERT_NE(edit, nullptr);
        edit->setText(QStringLiteral("999"));
        press(&d, kIdCancel);
    };
    for (int id : {813, 815, 817}) h.window->runCommand(id);
    EXPECT_EQ(h.dialogsRun, 6);
    EXPECT_EQ(inodeOf(QStringLiteral("OV.INI")), before);
    EXPECT_EQ(readFile(QStringLiteral("OV.INI")), kSettingsFile);
    EXPECT_EQ(h.settings.userTimeout, 60u);
    EXPECT_TRUE(h.settings.titleBar);

    h.script = [](QDialog& d) { qobject_cast<ViewDialog*>(&d)->button(kIdCancel)->click(); };
    h.window->runCommand(maintenance::kView);
    EXPECT_NE(inodeOf(QStringLiteral("OV.INI")), before);
    EXPECT_EQ(readFile(QStringLiteral("OV.INI")), kSettingsFile);
}

TEST(MaintenanceWindow, WithoutAFileTheFirstConfirmedDialogCreatesIt) {
    Harness h;
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("OV.INI")));
    h.script = [](QDialog& d) { press(&d, kIdCancel); };
    h.window->runCommand(maintenance::kControls);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("OV.INI")));
    h.script = [](QDialog& d) { press(&d, kIdOk); };
    h.window->runCommand(maintenance::kPhases);
    EXPECT_EQ(lineOf(readFile(QStringLiteral("OV.INI")), "SHOW WELCOME SCREEN:"),
              "SHOW WELCOME SCREEN: YES");
}

TEST(MaintenanceWindow, NumberInputsStoreTheLeadingNumber) {
    Harness h(kSettingsFile);
    const auto type = [&h](int command, const QString& text) {
        h.script = [text](QDialog& d) {
            findControlAs<QLineEdit>(&d, kNumberEditId)->setText(text);
            press(&d, kIdOk);
        };
        h.window->runCommand(command);
        return readFile(QStringLiteral("OV.INI"));
    };
    EXPECT_EQ(lineOf(type(815, "90"), "TIMEOUT:"), "TIMEOUT: 90");
    EXPECT_EQ(lineOf(type(815, "12abc"), "TIMEOUT:"), "TIMEOUT: 12");
    EXPECT_EQ(lineOf(type(815, "abc"), "TIMEOUT:"), "TIMEOUT: 0");
    EXPECT_EQ(lineOf(type(813, "300"), "INITIAL TIMEOUT:"), "INITIAL TIMEOUT: 300");
    EXPECT_EQ(lineOf(type(817, " 0"), "SECONDS TO PAUSE AT END:"), "SECONDS TO PAUSE AT END: 0");
    EXPECT_TRUE(h.messages.texts.isEmpty());

    // The dialog shows the value it starts from, under the command's title.
    QString shown, title;
    h.script = [&](QDialog& d) {
        shown = findControlAs<QLineEdit>(&d, kNumberEditId)->text();
        title = d.windowTitle();
        press(&d, kIdCancel);
    };
    h.window->runCommand(813);
    EXPECT_EQ(shown, QStringLiteral("300"));
    EXPECT_EQ(title, QStringLiteral("Opening Screen Timeout"));

    // A negative number is refused with a message; the file keeps 0.
    const QByteArray before = readFile(QStringLiteral("OV.INI"));
    EXPECT_EQ(lineOf(type(815, "-5"), "TIMEOUT:"), "TIMEOUT: 0");
    EXPECT_EQ(readFile(QStringLiteral("OV.INI")), before);
    ASSERT_EQ(h.messages.texts.size(), 1);
    EXPECT_EQ(h.settings.userTimeout, 0u);
}

TEST(MaintenanceWindow, AFailedSaveIsReportedAndLeavesTheOldFile) {
    Harness h;
    // A folder in the way: the new file cannot take the place of the old one.
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("OV.INI")));
    h.dir.write(QStringLiteral("OV.INI/keep"), "old");
    h.script = [](QDialog& d) { press(&d, kIdOk); };
    h.window->runCommand(maintenance::kControls);
    ASSERT_EQ(h.messages.texts.size(), 1);
    EXPECT_TRUE(h.messages.texts[0].startsWith(QStringLiteral("Unable to save the settings")));
    EXPECT_TRUE(QFileInfo(QStringLiteral("OV.INI")).isDir());
    EXPECT_EQ(readFile(QStringLiteral("OV.INI/keep")), QByteArray("old"));
    // The program goes on; the next command works as before.
    h.window->runCommand(maintenance::kControls);
    EXPECT_EQ(h.messages.texts.size(), 2);
    EXPECT_EQ(h.dialogsRun, 2);
}

// --- Events -------------------------------------------------------------------------

TEST(MaintenanceWindow, NewEventConfirmedUnchangedIsWrittenWithTheDefaults) {
    Harness h;
    h.script = [](QDialog& d) {
        ASSERT_NE(qobject_cast<EventEditorDialog*>(&d), nullptr);
        press(&d, kIdOk);
    };
    h.window->runCommand(maintenance::kNew);
    const QByteArray file = readFile(QStringLiteral("1990010100.evt"));
    ASSERT_FALSE(file.isEmpty());
    EXPECT_EQ(lineOf(file, "EVENT NAME:"), "EVENT NAME: Event Name");
    EXPECT_EQ(lineOf(file, "EVENT LATITUDE:"), "EVENT LATITUDE:     0.0000");
    EXPECT_EQ(lineOf(file, "EVENT DEPTH:"), "EVENT DEPTH:        0.0");
    EXPECT_EQ(lineOf(file, "EVENT MAGNITUDE:"), "EVENT MAGNITUDE:    0.0");
    EXPECT_EQ(lineOf(file, "EVENT DATE:"), "EVENT DATE: 1990/01/01");
    EXPECT_EQ(lineOf(file, "ORIGIN TIME:"), "ORIGIN TIME: 00:00:00.0");
    EXPECT_EQ(lineOf(file, "TIME ACCELERATION:"), "TIME ACCELERATION: 20");
    EXPECT_EQ(lineOf(file, "TIME WINDOW:"), "TIME WINDOW: 1800");
    EXPECT_EQ(lineOf(file, "TIME LIMIT:"), "TIME LIMIT: 1800");
    EXPECT_EQ(lineOf(file, "VIEW ANGLE:"), "VIEW ANGLE: 180");
    EXPECT_FALSE(file.contains("STATION FILE"));
    EXPECT_EQ(QDir().entryList(QDir::Files).size(), 1);   // nothing else, no OV.INI
}

TEST(MaintenanceWindow, NewEventCancelledOrRefusedWritesNothing) {
    Harness h;
    h.script = [](QDialog& d) { press(&d, kIdCancel); };
    h.window->runCommand(maintenance::kNew);
    h.script = [](QDialog& d) {
        qobject_cast<EventEditorDialog*>(&d)->field(kFieldYear)->setText(QStringLiteral("2200"));
        press(&d, kIdOk);   // refused: the dialog stays open, the user gives up
    };
    h.window->runCommand(maintenance::kNew);
    ASSERT_EQ(h.messages.texts.size(), 1);
    EXPECT_EQ(h.messages.texts[0], QStringLiteral("Value is not in the range 1000 to 2100."));
    EXPECT_TRUE(QDir().entryList(QDir::Files).isEmpty());
}

TEST(MaintenanceWindow, ChangingTheYearWritesANewFileAndKeepsTheOld) {
    Harness h;
    h.dir.write(QStringLiteral("1995061512.EVT"), kEventFile);
    h.script = openAndEdit(QStringLiteral("1995061512.evt"), [](EventEditorDialog& e) {
        e.field(kFieldYear)->setText(QStringLiteral("1996"));
    });
    h.window->runCommand(maintenance::kOpen);
    EXPECT_EQ(readFile(QStringLiteral("1995061512.EVT")), kEventFile);
    const QByteArray file = readFile(QStringLiteral("1996061512.evt"));
    ASSERT_FALSE(file.isEmpty());
    EXPECT_EQ(lineOf(file, "EVENT NAME:"), "EVENT NAME: Test quake");
    EXPECT_EQ(lineOf(file, "EVENT DATE:"), "EVENT DATE: 1996/06/15");
    EXPECT_EQ(lineOf(file, "ORIGIN TIME:"), "ORIGIN TIME: 12:04:15.2");
    EXPECT_EQ(lineOf(file, "EVENT LONGITUDE:"), "EVENT LONGITUDE:  -121.8800");
    EXPECT_EQ(lineOf(file, "TIME WINDOW:"), "TIME WINDOW: 900");
    EXPECT_EQ(lineOf(file, "TIME LIMIT:"), "TIME LIMIT: 3600");
    // The view angle of 100 degrees was shown as "90E" and is saved as 90.
    EXPECT_EQ(lineOf(file, "VIEW ANGLE:"), "VIEW ANGLE: 90");
    EXPECT_EQ(file.count("STATION FILE: "), 2);
    EXPECT_TRUE(file.contains("STATION FILE: BKS.Z") && file.contains("STATION FILE: CMB.N"));
}

TEST(MaintenanceWindow, OpenedEventEditsFollowTheForm) {
    Harness h;
    h.dir.write(QStringLiteral("1995061512.evt"), kEventFile);
    bool shown90E = false;
    h.script = openAndEdit(QStringLiteral("1995061512.evt"), [&](EventEditorDialog& e) {
        shown90E = e.viewAngleButton(2)->isChecked();
        e.field(kFieldHour)->clear();   // passes, keeps the hour
        e.field(kFieldLatitude)->setText(QStringLiteral("12.5N"));
        e.field(kFieldTimeWindow)->setText(QStringLiteral("60"));
        e.field(kFieldTimeLimit)->setText(QStringLiteral("120"));
        e.viewAngleButton(6)->setChecked(true);
    });
    h.window->runCommand(maintenance::kOpen);
    EXPECT_TRUE(shown90E);
    EXPECT_TRUE(h.messages.texts.isEmpty());
    const QByteArray file = readFile(QStringLiteral("1995061512.evt"));
    EXPECT_EQ(lineOf(file, "EVENT LATITUDE:"), "EVENT LATITUDE:    12.5000");
    EXPECT_EQ(lineOf(file, "ORIGIN TIME:"), "ORIGIN TIME: 12:04:15.2");
    EXPECT_EQ(lineOf(file, "TIME WINDOW:"), "TIME WINDOW: 3600");
    EXPECT_EQ(lineOf(file, "TIME LIMIT:"), "TIME LIMIT: 7200");
    EXPECT_EQ(lineOf(file, "VIEW ANGLE:"), "VIEW ANGLE: 270");
    EXPECT_EQ(QDir().entryList(QDir::Files).size(), 1);
}

TEST(MaintenanceWindow, ANinetyMinuteWindowIsRefusedAndNothingIsWritten) {
    Harness h;
    h.dir.write(QStringLiteral("1995061512.evt"), kEventFile);
    h.script = openAndEdit(QStringLiteral("1995061512.evt"), [](EventEditorDialog& e) {
        e.field(kFieldTimeWindow)->setText(QStringLiteral("90"));
    });
    h.window->runCommand(maintenance::kOpen);
    ASSERT_EQ(h.messages.texts.size(), 1);
    EXPECT_EQ(h.messages.texts[0], QStringLiteral("Value is not in the range 5 to 60."));
    EXPECT_EQ(readFile(QStringLiteral("1995061512.evt")), kEventFile);
}

TEST(MaintenanceWindow, OpenCancelledDoesNotRunTheEditor) {
    Harness h;
    h.dir.write(QStringLiteral("1995061512.evt"), kEventFile);
    h.script = [](QDialog& d) { press(&d, kIdCancel); };
    h.window->runCommand(maintenance::kOpen);
    EXPECT_EQ(h.dialogsRun, 1);
}

TEST(MaintenanceWindow, AnEventFileThatCannotBeWrittenIsReported) {
    Harness h;
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("1990010100.evt")));
    h.script = [](QDialog& d) { press(&d, kIdOk); };
    h.window->runCommand(maintenance::kNew);
    ASSERT_EQ(h.messages.texts.size(), 1);
    EXPECT_EQ(h.messages.texts[0], QStringLiteral("Unable to write the event file 1990010100.evt."));
    EXPECT_TRUE(QFileInfo(QStringLiteral("1990010100.evt")).isDir());
}

TEST(MaintenanceWindow, ReplacingAnotherEventAsksFirstAndNoReturnsToTheForm) {
    Harness h;
    h.dir.write(QStringLiteral("1995061512.EVT"), kEventFile);
    // A new event on the date and hour of the stored one; after No the form
    // comes back as it was typed, and the operator gives up.
    QStringList shown;   // name and year as each run of the form shows them
    h.script = [&](QDialog& d) {
        auto* e = qobject_cast<EventEditorDialog*>(&d);
        ASSERT_NE(e, nullptr);
        shown.append(e->field(kFieldName)->text() + "/" + e->field(kFieldYear)->text());
        if (shown.size() > 1) {
            press(e, kIdCancel);
            return;
        }
        e->field(kFieldName)->setText(QStringLiteral("New quake"));
        for (auto [f, t] : {std::pair{kFieldYear, "1995"}, {kFieldMonth, "6"}, {kFieldDay, "15"},
                            {kFieldHour, "12"}})
            e->field(f)->setText(QString::fromLatin1(t));
        press(e, kIdOk);
    };
    const QString question =
        QStringLiteral("An event file 1995061512.evt already exists (Test quake). Replace it?");
    h.answer = false;
    h.window->runCommand(maintenance::kNew);
    EXPECT_EQ(h.questions, QStringList{question});
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Event Name/1990"),
                                  QStringLiteral("New quake/1995")}));
    EXPECT_EQ(readFile(QStringLiteral("1995061512.EVT")), kEventFile);

    // Yes replaces it (whatever the case of the stored name).
    shown.clear();
    h.questions.clear();
    h.answer = true;
    h.window->runCommand(maintenance::kNew);
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(h.questions, QStringList{question});
    EXPECT_EQ(QDir().entryList(QDir::Files).size(), 1);
    EXPECT_EQ(lineOf(readFile(QStringLiteral("1995061512.EVT")), "EVENT NAME:"),
              "EVENT NAME: New quake");

    // Saving the event that was opened under its own name asks nothing.
    h.questions.clear();
    h.script = openAndEdit(QStringLiteral("1995061512.evt"), [](EventEditorDialog& e) {
        e.field(kFieldMagnitude)->setText(QStringLiteral("9.1"));
    });
    h.window->runCommand(maintenance::kOpen);
    EXPECT_TRUE(h.questions.isEmpty());
    EXPECT_EQ(lineOf(readFile(QStringLiteral("1995061512.EVT")), "EVENT MAGNITUDE:"),
              "EVENT MAGNITUDE:    9.1");
}

TEST(MaintenanceWindow, SeismogramNamesAreWrittenBackWholeAndTooLongOnesRefused) {
    const QByteArray longest = "KIP." + QByteArray(250, 'X') + "E";   // 255 characters
    for (const QByteArray& name : {QByteArray("IU.ANMO.00.BHZ.M.2011.070.054624.SAC"), longest,
                                   longest + "Z"}) {
        SCOPED_TRACE(name.size());
        Harness h;
        const QByteArray file = kEventFile + "STATION FILE: " + name + "\r\n";
        h.dir.write(QStringLiteral("1995061512.evt"), file);
        h.script = openAndEdit(QStringLiteral("1995061512.evt"), [](EventEditorDialog& e) {
            e.field(kFieldYear)->setText(QStringLiteral("1996"));
        });
        h.window->runCommand(maintenance::kOpen);
        const QByteArray written = readFile(QStringLiteral("1996061512.evt"));
        if (name.size() <= 255) {
            EXPECT_TRUE(h.messages.texts.isEmpty());
            EXPECT_TRUE(written.contains("\nSTATION FILE: " + name + "\r\n"));
        } else {
            // Refused before the form opens, never cut.
            EXPECT_EQ(h.dialogsRun, 1);
            ASSERT_EQ(h.messages.texts.size(), 1);
            EXPECT_TRUE(h.messages.texts[0].contains(QStringLiteral("256 characters")));
            EXPECT_TRUE(h.messages.texts[0].contains(QStringLiteral("at most 255")));
            EXPECT_TRUE(written.isEmpty());
        }
        EXPECT_EQ(readFile(QStringLiteral("1995061512.evt")), file);
    }
}

// --- Edit Information ---------------------------------------------------------------

TEST(MaintenanceWindow, EditInformationStartsTheEditorAndRestoresTheDirectory) {
    Harness h;
    const QString start = QDir::currentPath();
    const QString deep = QStringLiteral("texts with blanks/") + QString(120, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep));
    // The file dialog moves to the folder it chose from and answers relatively.
    h.chooser = [&] {
        QDir::setCurrent(deep);
        return QStringLiteral("3D.INF");
    };
    h.window->runCommand(maintenance::kEditInformation);
    EXPECT_EQ(QDir::currentPath(), start);
    ASSERT_EQ(h.launched.size(), 1);
    EXPECT_EQ(h.launched[0], start + QLatin1Char('/') + deep + QStringLiteral("/3D.INF"));
    EXPECT_GT(h.launched[0].size(), 64);   // longer than the old command line, whole
    EXPECT_TRUE(h.messages.texts.isEmpty());

    h.chooser = [&] {
        QDir::setCurrent(deep);
        return QString();
    };
    h.window->runCommand(maintenance::kEditInformation);
    EXPECT_EQ(QDir::currentPath(), start);
    EXPECT_EQ(h.launched.size(), 1);

    h.launchWorks = false;
    h.chooser = [] { return QStringLiteral("XS.INF"); };
    h.window->runCommand(maintenance::kEditInformation);
    EXPECT_EQ(QDir::currentPath(), start);
    ASSERT_EQ(h.messages.texts.size(), 1);
    EXPECT_TRUE(h.messages.texts[0].startsWith(QStringLiteral("Unable to start the text editor")));
}
