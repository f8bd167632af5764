// The maintenance window over a scratch directory: every command runs its
// dialog through a recorded hook; what lands in the files is checked.
// Also the preference decisions it rests on, without a window.
#include "dialogs/EventListDialog.h"
#include "dialogs/HelpLauncher.h"
#include "dialogs/OptionDialogs.h"
#include "dialogs/Buttons.h"
#include "maintenance/EventEditor.h"
#include "maintenance/MaintenanceWindow.h"
#include "maintenance/Preferences.h"
#include "maintenance/TextEditorLauncher.h"
#include "../dialogs/DialogTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QRadioButton>

#include <sys/stat.h>

namespace {

// An "OV.INI" in the form a save writes, with every key that the
// maintenance program has no control for away from its default.
const QByteArray kSettingsFile =
    "WORKING DIRECTORY: exhibit\r\nTITLE BAR: YES\r\nMENU BAR: NO\r\nLABEL PHASES ON CROSS-SECTION: YES\r\n"
    "LABEL PHASES ON EARTH VIEW: NO\r\nLABEL PHASES ON SEISMOGRAM: YES\r\nALL PHASES ON CROSS-SECTION: NO\r\n"
    "P* PHASES ON CROSS-SECTION: NO\r\nS* PHASES ON CROSS-SECTION: NO\r\nSPECIFIED PHASES ON CROSS-SECTION: YES\r\n"
    "BASE LEVEL MIDI: YES\r\nINITIAL TIMEOUT: 120\r\nTIMEOUT: 60\r\nSECONDS TO PAUSE AT END: 5\r\nCAN EXIT: NO\r\n"
    "EXIT LABEL: Leave the show\r\nTUTORIAL EVENT: 1989101800.evt\r\nTUTORIAL: YES\r\nSELECT COMPONENTS: NO\r\n"
    "SELECT VIEW: YES\r\nRUN SCRIPT: YES\r\nRIGHT BUTTON RESTART: YES\r\nSHOW EVENT INFORMATION: NO\r\n"
    "SHOW WELCOME SCREEN: YES\r\nSLIDER: NO\r\nEXIT WHEN DONE: YES\r\nAUDIO: EQ\r\nVIEW: XS\r\n"
    "BUTTON HEIGHT: 1.5\r\nPHASE: PKP\r\nPHASE: ScS\r\n";

const QByteArray kEventFile =
    "EVENT NAME: Test quake\r\nEVENT LATITUDE:    37.0400\r\nEVENT LONGITUDE:  -121.8800\r\n"
    "EVENT DEPTH:       18.0\r\nEVENT MAGNITUDE:    7.1\r\nEVENT DATE: 1995/06/15\r\n"
    "ORIGIN TIME: 12:04:15.2\r\nTIME ACCELERATION: 50\r\nTIME WINDOW: 900\r\nTIME LIMIT: 3600\r\n"
    "VIEW ANGLE: 100\r\nSTATION FILE: BKS.Z\r\nSTATION FILE: CMB.N\r\n";

ino_t inodeOf(const QString& name) {
    struct stat st {};
    return ::stat(name.toLocal8Bit().constData(), &st) == 0 ? st.st_ino : 0;
}

QByteArray lineOf(const QByteArray& file, const QByteArray& key) {
    for (const QByteArray& line : file.split('\n'))
        if (line.startsWith(key)) return line.trimmed();
    return {};
}

// Every line is in the file.
void expectLines(const QByteArray& file, std::initializer_list<const char*> lines) {
    for (const char* line : lines) EXPECT_TRUE(file.contains(QByteArray(line) + "\r\n")) << line;
}

// One window over a scratch directory, with every desktop call recorded.
// `script` acts on each dialog the window runs; one it leaves open counts
// as cancelled.
struct Harness {
    ScratchDirectory dir;
    Settings settings;
    MessageLog messages;
    std::function<void(QDialog&)> script;
    int dialogsRun = 0;
    std::function<QString()> chooser = [] { return QString(); };
    QStringList launched;
    bool launchWorks = true;
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
        hooks.chooseInformationFile = [this](QWidget*) { return chooser(); };
        hooks.launchEditor = [this](const QString& path) { launched.append(path); return launchWorks; };
        window = std::make_unique<MaintenanceWindow>(settings, hooks);
    }
    void run(int command, std::function<void(QDialog&)> s) {
        script = std::move(s);
        window->runCommand(command);
    }
    // Opens `fileName` from the event list, edits it and confirms.
    void openAndEdit(const QString& fileName, std::function<void(EventEditorDialog&)> edit) {
        run(maintenance::kOpen, [fileName, edit](QDialog& d) {
            if (auto* list = qobject_cast<EventListDialog*>(&d)) {
                const auto items = list->list()->findItems(fileName, Qt::MatchExactly);
                ASSERT_EQ(items.size(), 1);
                list->list()->setCurrentItem(items[0]);
                press(list, kIdOk);
            } else if (auto* editor = qobject_cast<EventEditorDialog*>(&d)) {
                edit(*editor);
                press(editor, kIdOk);
            }
        });
    }
};

const auto kOk = [](QDialog& d) { press(&d, kIdOk); };
const auto kCancel = [](QDialog& d) { press(&d, kIdCancel); };
const QString kIni = QStringLiteral("OV.INI");

}  // namespace

TEST(MaintenanceWindow, CarriesTheMenuWithExitInBothPlacesAndHelp) {
    Harness h;
    EXPECT_EQ(h.window->windowTitle(), QStringLiteral("Orvanta Maintenance"));
    QStringList titles;
    for (QAction* a : h.window->menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&Earthquakes", "&Preferences", "&Help", "E&xit"}));
    EXPECT_EQ(h.window->actionsFor(maintenance::kExit).size(), 2);
    for (int id : {803, 804, 1, 806, 807, 808, 813, 815, 817, 816, 809, 810})
        EXPECT_EQ(h.window->actionsFor(id).size(), 1) << id;
    EXPECT_EQ(h.window->actionsFor(815)[0]->text(), QStringLiteral("Time&out..."));
    h.window->show();
    h.window->actionsFor(maintenance::kExit)[1]->trigger();
    EXPECT_FALSE(h.window->isVisible());

    QList<QUrl> opened;
    setHelpOpener([&](const QUrl& url) { opened.append(url); return true; });
    h.dir.write(QStringLiteral("help/1020.html"), "<html></html>");
    h.window->runCommand(maintenance::kHelp);
    setHelpOpener({});
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].toLocalFile().endsWith(QStringLiteral("help/1020.html")));
}

TEST(MaintenanceWindow, OkRewritesTheFileAndKeysWithoutAControlSurviveEverySave) {
    Harness h(kSettingsFile);
    const ino_t before = inodeOf(kIni);
    h.run(maintenance::kControls, kOk);
    EXPECT_NE(inodeOf(kIni), before);   // written again, the same bytes
    EXPECT_EQ(readFile(kIni), kSettingsFile);
    h.run(maintenance::kControls, [](QDialog& d) {
        findControlAs<QCheckBox>(&d, 761)->setChecked(false);   // Title bar
        findControlAs<QCheckBox>(&d, 102)->setChecked(true);    // Show Slider
        press(&d, kIdOk);
    });
    h.run(maintenance::kAudio, [](QDialog& d) { press(&d, 175); press(&d, kIdOk); });
    h.run(maintenance::kView, [](QDialog& d) { qobject_cast<ViewDialog*>(&d)->button(557)->click(); });
    const QByteArray file = readFile(kIni);
    expectLines(file, {"TITLE BAR: NO", "SLIDER: YES", "AUDIO: PC", "VIEW: 3D"});
    for (const QByteArray key : {"WORKING DIRECTORY:", "BASE LEVEL MIDI:", "EXIT LABEL:", "TUTORIAL EVENT:",
                                 "EXIT WHEN DONE:", "BUTTON HEIGHT:"})
        EXPECT_EQ(lineOf(file, key), lineOf(kSettingsFile, key)) << key.constData();
    EXPECT_EQ(file.count("PHASE: "), 2);
    EXPECT_EQ(h.dialogsRun, 4);
    EXPECT_TRUE(h.messages.texts.isEmpty());
}

TEST(MaintenanceWindow, CancelWritesNothingButTheViewPictureCancelStillSaves) {
    Harness h(kSettingsFile);
    const ino_t before = inodeOf(kIni);
    for (int id : {1, 806, 807})
        h.run(id, [](QDialog& d) {
            if (auto* controls = qobject_cast<ControlsDialog*>(&d)) controls->box(0)->setChecked(false);
            press(&d, kIdCancel);
        });
    for (int id : {813, 815, 817})
        h.run(id, [](QDialog& d) {
            findControlAs<QLineEdit>(&d, kNumberEditId)->setText(QStringLiteral("999"));
            press(&d, kIdCancel);
        });
    EXPECT_EQ(h.dialogsRun, 6);
    EXPECT_EQ(inodeOf(kIni), before);
    EXPECT_EQ(h.settings.userTimeout, 60u);
    EXPECT_TRUE(h.settings.titleBar);
    h.run(maintenance::kView, [](QDialog& d) { qobject_cast<ViewDialog*>(&d)->button(kIdCancel)->click(); });
    EXPECT_NE(inodeOf(kIni), before);
    EXPECT_EQ(readFile(kIni), kSettingsFile);
}

TEST(MaintenanceWindow, WithoutAFileTheFirstConfirmedDialogCreatesIt) {
    Harness h;
    h.run(maintenance::kControls, kCancel);
    EXPECT_FALSE(QFileInfo::exists(kIni));
    h.run(maintenance::kPhases, kOk);
    EXPECT_EQ(lineOf(readFile(kIni), "SHOW WELCOME SCREEN:"), "SHOW WELCOME SCREEN: YES");
}

TEST(MaintenanceWindow, NumberInputsStoreTheLeadingNumberAndRefuseNegatives) {
    Harness h(kSettingsFile);
    QString shown, title;
    const auto type = [&](int command, const char* text) {
        h.run(command, [&, text](QDialog& d) {
            auto* edit = findControlAs<QLineEdit>(&d, kNumberEditId);
            shown = edit->text();
            title = d.windowTitle();
            edit->setText(QString::fromLatin1(text));
            press(&d, kIdOk);
        });
        return readFile(kIni);
    };
    expectLines(type(815, "90"), {"TIMEOUT: 90"});
    expectLines(type(815, "12abc"), {"TIMEOUT: 12"});
    EXPECT_EQ(shown, QStringLiteral("90"));   // the dialog starts from the stored value
    expectLines(type(815, "abc"), {"TIMEOUT: 0"});
    expectLines(type(813, "300"), {"INITIAL TIMEOUT: 300"});
    EXPECT_EQ(title, QStringLiteral("Opening Screen Timeout"));
    expectLines(type(817, " 0"), {"SECONDS TO PAUSE AT END: 0"});
    EXPECT_TRUE(h.messages.texts.isEmpty());
    // A negative number is refused with a message; the file keeps 0.
    const QByteArray before = readFile(kIni);
    EXPECT_EQ(type(815, "-5"), before);
    EXPECT_EQ(h.messages.texts.size(), 1);
    EXPECT_EQ(h.settings.userTimeout, 0u);
}

TEST(MaintenanceWindow, AFailedSaveIsReportedAndLeavesTheOldFile) {
    Harness h;
    // A folder in the way: the new file cannot take the place of the old one.
    ASSERT_TRUE(QDir().mkdir(kIni));
    h.dir.write(QStringLiteral("OV.INI/keep"), "old");
    h.run(maintenance::kControls, kOk);
    ASSERT_EQ(h.messages.texts.size(), 1);
    EXPECT_TRUE(h.messages.texts[0].startsWith(QStringLiteral("Unable to save the settings")));
    EXPECT_EQ(readFile(QStringLiteral("OV.INI/keep")), QByteArray("old"));
    h.window->runCommand(maintenance::kControls);   // the program goes on
    EXPECT_EQ(h.messages.texts.size(), 2);
    EXPECT_EQ(h.dialogsRun, 2);
}

TEST(MaintenanceWindow, NewEventIsWrittenWithTheDefaultsOnlyWhenConfirmed) {
    Harness h;
    h.run(maintenance::kNew, kCancel);
    h.run(maintenance::kNew, [](QDialog& d) {
        qobject_cast<EventEditorDialog*>(&d)->field(kFieldYear)->setText(QStringLiteral("2200"));
        press(&d, kIdOk);   // refused: the dialog stays open, the user gives up
    });
    EXPECT_EQ(h.messages.texts, QStringList{"Value is not in the range 1000 to 2100."});
    EXPECT_TRUE(QDir().entryList(QDir::Files).isEmpty());
    h.run(maintenance::kNew, kOk);
    const QByteArray file = readFile(QStringLiteral("1990010100.evt"));
    expectLines(file, {"EVENT NAME: Event Name", "EVENT LATITUDE:     0.0000", "EVENT DEPTH:        0.0",
                       "EVENT MAGNITUDE:    0.0", "EVENT DATE: 1990/01/01", "ORIGIN TIME: 00:00:00.0",
                       "TIME ACCELERATION: 20", "TIME WINDOW: 1800", "TIME LIMIT: 1800", "VIEW ANGLE: 180"});
    EXPECT_FALSE(file.contains("STATION FILE"));
    EXPECT_EQ(QDir().entryList(QDir::Files).size(), 1);   // nothing else, no OV.INI
}

TEST(MaintenanceWindow, ChangingTheYearWritesANewFileAndKeepsTheOld) {
    Harness h;
    h.dir.write(QStringLiteral("1995061512.EVT"), kEventFile);
    h.openAndEdit(QStringLiteral("1995061512.evt"),
                  [](EventEditorDialog& e) { e.field(kFieldYear)->setText(QStringLiteral("1996")); });
    EXPECT_EQ(readFile(QStringLiteral("1995061512.EVT")), kEventFile);
    const QByteArray file = readFile(QStringLiteral("1996061512.evt"));
    // The view angle of 100 degrees was shown as "90E" and is saved as 90.
    expectLines(file, {"EVENT NAME: Test quake", "EVENT DATE: 1996/06/15", "ORIGIN TIME: 12:04:15.2",
                       "EVENT LONGITUDE:  -121.8800", "TIME WINDOW: 900", "TIME LIMIT: 3600", "VIEW ANGLE: 90",
                       "STATION FILE: BKS.Z", "STATION FILE: CMB.N"});
    EXPECT_EQ(file.count("STATION FILE: "), 2);
}

TEST(MaintenanceWindow, OpenedEventEditsFollowTheFormAndBadOnesWriteNothing) {
    Harness h;
    h.dir.write(QStringLiteral("1995061512.evt"), kEventFile);
    h.run(maintenance::kOpen, kCancel);
    EXPECT_EQ(h.dialogsRun, 1);   // no editor after a cancelled list
    h.openAndEdit(QStringLiteral("1995061512.evt"),
                  [](EventEditorDialog& e) { e.field(kFieldTimeWindow)->setText(QStringLiteral("90")); });
    EXPECT_EQ(h.messages.texts, QStringList{"Value is not in the range 5 to 60."});
    EXPECT_EQ(readFile(QStringLiteral("1995061512.evt")), kEventFile);
    bool shown90E = false;
    h.openAndEdit(QStringLiteral("1995061512.evt"), [&](EventEditorDialog& e) {
        shown90E = e.viewAngleButton(2)->isChecked();
        e.field(kFieldHour)->clear();   // passes, keeps the hour
        e.field(kFieldLatitude)->setText(QStringLiteral("12.5N"));
        e.field(kFieldTimeWindow)->setText(QStringLiteral("60"));
        e.field(kFieldTimeLimit)->setText(QStringLiteral("120"));
        e.viewAngleButton(6)->setChecked(true);
    });
    EXPECT_TRUE(shown90E);
    EXPECT_EQ(h.messages.texts.size(), 1);
    expectLines(readFile(QStringLiteral("1995061512.evt")),
                {"EVENT LATITUDE:    12.5000", "ORIGIN TIME: 12:04:15.2", "TIME WINDOW: 3600", "TIME LIMIT: 7200",
                 "VIEW ANGLE: 270"});
    EXPECT_EQ(QDir().entryList(QDir::Files).size(), 1);
}

TEST(MaintenanceWindow, AnEventFileThatCannotBeWrittenIsReported) {
    Harness h;
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("1990010100.evt")));
    h.run(maintenance::kNew, kOk);
    EXPECT_EQ(h.messages.texts, QStringList{"Unable to write the event file 1990010100.evt."});
}

TEST(MaintenanceWindow, EditInformationStartsTheEditorAndRestoresTheDirectory) {
    Harness h;
    const QString start = QDir::currentPath();
    const QString deep = QStringLiteral("texts with blanks/") + QString(120, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep));
    // The file dialog moves to the folder it chose from and answers relatively.
    for (const QString answer : {QStringLiteral("3D.INF"), QString()}) {
        h.chooser = [&] { QDir::setCurrent(deep); return answer; };
        h.window->runCommand(maintenance::kEditInformation);
        EXPECT_EQ(QDir::currentPath(), start);
    }
    EXPECT_EQ(h.launched, QStringList{start + QLatin1Char('/') + deep + QStringLiteral("/3D.INF")});
    EXPECT_TRUE(h.messages.texts.isEmpty());
    h.launchWorks = false;
    h.chooser = [] { return QStringLiteral("XS.INF"); };
    h.window->runCommand(maintenance::kEditInformation);
    ASSERT_EQ(h.messages.texts.size(), 1);
    EXPECT_TRUE(h.messages.texts[0].startsWith(QStringLiteral("Unable to start the text editor")));
}

TEST(Controls, EachSwitchMovesOnlyItsOwnFieldAndTheDialogWritesOnlyOnOk) {
    for (int i = 0; i < kControlSwitchCount; ++i) {
        Settings s;
        ControlStates changed = controlStatesFrom(s);
        changed[i] = !changed[i];
        applyControlStates(s, changed);
        EXPECT_EQ(controlStatesFrom(s), changed) << i;
    }
    // The stored tutorial setting is switched, not the running tutorial.
    Settings s;
    ControlStates states = controlStatesFrom(s);
    states[8] = true;
    applyControlStates(s, states);
    EXPECT_TRUE(s.tutorialEnabled && !s.tutorialMode);

    s.titleBar = true;
    s.slider = false;
    for (bool ok : {false, true}) {
        ControlsDialog d(nullptr, s);
        EXPECT_EQ(findControlAs<QCheckBox>(&d, 761)->text(), QStringLiteral("Title bar"));
        EXPECT_TRUE(checked(&d, 761) && checked(&d, 103) && !checked(&d, 102));
        findControlAs<QCheckBox>(&d, 103)->setChecked(false);
        press(&d, ok ? kIdOk : kIdCancel);
        EXPECT_EQ(s.menuBar, !ok);
    }
}

TEST(NumberInput, TakesTheLeadingNumberAndRefusesNegativesAndOverflow) {
    const std::pair<const char*, std::optional<uint32_t>> cases[] = {
        {"90", 90}, {"12abc", 12}, {"abc", 0}, {"", 0}, {"  +7", 7}, {"-0", 0}, {"4294967295", 4294967295u},
        {"-5", {}}, {"-1", {}}, {"4294967296", {}}, {"99999999999999999999999", {}}};
    for (const auto& [text, value] : cases) EXPECT_EQ(numberInputValue(text), value) << text;
}

TEST(NumberInput, DialogRefusesANegativeNumberStaysOpenAndKeepsALongStoredValue) {
    MessageLog log;
    NumberInputDialog d(nullptr, QStringLiteral("User Timeout"), QStringLiteral("Specify time in seconds"), 30,
                        log.function());
    EXPECT_EQ(findControlAs<QLabel>(&d, kNumberPromptId)->text(), QStringLiteral("Specify time in seconds"));
    QLineEdit* edit = findControlAs<QLineEdit>(&d, kNumberEditId);
    EXPECT_EQ(edit->text(), QStringLiteral("30"));
    EXPECT_EQ(edit->maxLength(), 7);
    edit->setText(QStringLiteral("-5"));
    press(&d, kIdOk);
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(log.texts, QStringList{"Value is not in the range 0 to 4294967295."});
    EXPECT_EQ(d.focusWidget(), edit);
    edit->setText(QStringLiteral("45"));
    press(&d, kIdOk);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.value(), 45u);

    NumberInputDialog wide(nullptr, QStringLiteral("t"), QStringLiteral("p"), 4000000000u, log.function());
    EXPECT_EQ(wide.edit()->text(), QStringLiteral("4000000000"));
    press(&wide, kIdOk);
    EXPECT_EQ(wide.value(), 4000000000u);
}

TEST(TextEditorCommand, PathIsOneWholeArgumentAndNeverShellText) {
    ScratchDirectory dir;
    const QString absolute = dir.path() + QLatin1Char('/') +
        QStringLiteral("a long folder name with blanks; $(rm -rf x) `y` 'q' ").repeated(4) + QStringLiteral("/EVT.INF");
    const QStringList plain{absolute};
    for (const QString& none : {QString(), QStringLiteral("   ")}) {
        const EditorCommand c = textEditorCommand(none, absolute);
        EXPECT_EQ(c.program, QStringLiteral("xdg-open"));
        EXPECT_EQ(c.arguments, plain);
    }
    EditorCommand c = textEditorCommand(QStringLiteral("\"/opt/my editor/ed\" --new-window"), absolute);
    EXPECT_EQ(c.program, QStringLiteral("/opt/my editor/ed"));
    EXPECT_EQ(c.arguments, (QStringList{QStringLiteral("--new-window"), absolute}));
    // A relative name that looks like an option becomes an absolute path.
    c = textEditorCommand(QStringLiteral("gedit"), QStringLiteral("-n.inf"));
    EXPECT_EQ(c.arguments, QStringList{dir.path() + QStringLiteral("/-n.inf")});
}
