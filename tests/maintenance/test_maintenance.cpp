// The maintenance program: each command of the window runs its dialog through a recorded hook and is
// checked by what lands in the files; and the event editor and preference decisions it rests on.
#include "../dialogs/DialogTestSupport.h"
#include "../import/LocalDataCentre.h"
#include "data/Seismogram.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/Buttons.h"
#include "dialogs/EventListDialog.h"
#include "dialogs/HelpLauncher.h"
#include "dialogs/OptionDialogs.h"
#include "fileio/Logging.h"
#include "maintenance/DownloadDialog.h"
#include "maintenance/EventEditor.h"
#include "maintenance/ImportDialog.h"
#include "maintenance/MaintenanceWindow.h"
#include "maintenance/Preferences.h"
#include "maintenance/TextEditorLauncher.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>

#include <sys/stat.h>

namespace {

// An "OV.INI" as a save writes it, every key without a control away from its default.
const QByteArray kSettingsFile =
    "WORKING DIRECTORY: exhibit\r\nTITLE BAR: YES\r\nMENU BAR: NO\r\nLABEL PHASES ON CROSS-SECTION: YES\r\n"
    "LABEL PHASES ON EARTH VIEW: NO\r\nLABEL PHASES ON SEISMOGRAM: YES\r\nALL PHASES ON CROSS-SECTION: NO\r\n"
    "P* PHASES ON CROSS-SECTION: NO\r\nS* PHASES ON CROSS-SECTION: NO\r\nSPECIFIED PHASES ON CROSS-SECTION: YES\r\n"
    "BASE LEVEL MIDI: YES\r\nINITIAL TIMEOUT: 120\r\nTIMEOUT: 60\r\nSECONDS TO PAUSE AT END: 5\r\nCAN EXIT: NO\r\n"
    "EXIT LABEL: Leave the show\r\nTUTORIAL EVENT: 1989101800.evt\r\nTUTORIAL: YES\r\nSELECT COMPONENTS: NO\r\n"
    "SELECT VIEW: YES\r\nRUN SCRIPT: YES\r\nRIGHT BUTTON RESTART: YES\r\nSHOW EVENT INFORMATION: NO\r\n"
    "SHOW WELCOME SCREEN: YES\r\nSLIDER: NO\r\nEXIT WHEN DONE: YES\r\nAUDIO: EQ\r\nVIEW: XS\r\n"
    "BUTTON HEIGHT: 1.5\r\nWIDE LAYOUT: YES\r\nPHASE: PKP\r\nPHASE: ScS\r\n";
const QByteArray kEventFile = "EVENT NAME: Test quake\r\nEVENT LATITUDE:    37.0400\r\nEVENT LONGITUDE:  -121.8800\r\n"
                              "EVENT DEPTH:       18.0\r\nEVENT MAGNITUDE:    7.1\r\nEVENT DATE: 1995/06/15\r\n"
                              "ORIGIN TIME: 12:04:15.2\r\nTIME ACCELERATION: 50\r\nTIME WINDOW: 900\r\nTIME LIMIT: 3600\r\n"
                              "VIEW ANGLE: 100\r\nSTATION FILE: BKS.Z\r\nSTATION FILE: CMB.N\r\n";
const QString kIni = QStringLiteral("OV.INI"), kEvent = QStringLiteral("1995061512.evt");

ino_t inodeOf(const QString& name) {
    struct stat st {};
    return ::stat(name.toLocal8Bit().constData(), &st) == 0 ? st.st_ino : 0;
}

void expectLines(const QByteArray& file, std::initializer_list<const char*> lines) {
    for (const char* line : lines) EXPECT_TRUE(file.contains(QByteArray(line) + "\r\n")) << line;
}

// One window over a scratch directory, every desktop call recorded. The script acts on each dialog the
// window runs; one it leaves open counts as cancelled.
struct Harness {
    ScratchDirectory dir;
    Settings settings;
    Sound sound{makeSilentBackend()};   // ovm opens no MIDI output: the View dialog clicks in silence
    MessageLog messages;
    std::function<void(QDialog&)> script;
    int dialogsRun = 0;
    std::function<QString()> chooser = [] { return QString(); };
    QStringList launched, questions;
    bool launchWorks = true, answer = false;
    std::unique_ptr<MaintenanceWindow> window;

    explicit Harness(const QByteArray& ini = QByteArray(), const QByteArray& event = QByteArray(), FdsnServer centre = {}) {
        if (!ini.isNull()) dir.write(kIni, ini);
        if (!event.isNull()) dir.write(kEvent, event);
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
        hooks.dataCentre = std::move(centre);
        window = std::make_unique<MaintenanceWindow>(settings, sound, hooks);
    }
    void run(int command, std::function<void(QDialog&)> s) {
        script = std::move(s);
        window->runCommand(command);
    }
    // Opens the event from the list, edits it and confirms.
    void edit(std::function<void(EventEditorDialog&)> change) {
        run(maintenance::kOpen, [change](QDialog& d) {
            if (auto* list = qobject_cast<EventListDialog*>(&d)) list->list()->setCurrentRow(0);
            if (auto* editor = qobject_cast<EventEditorDialog*>(&d)) change(*editor);
            press(&d, kIdOk);
        });
    }
};
const auto kOk = [](QDialog& d) { press(&d, kIdOk); };
const auto kCancel = [](QDialog& d) { press(&d, kIdCancel); };

EventRecord sampleEvent() {
    EventRecord r = newEventRecord();
    r.name = "Loma Prieta", r.latitude = 37.04f, r.longitude = -121.88f, r.depth = 18, r.magnitude = 7.1f;
    r.year = 1989, r.month = 10, r.day = 18, r.hour = 0, r.minute = 4, r.second = 15.2f;
    r.timeAcceleration = 50, r.timeWindow = 900, r.timeLimit = 3600, r.viewAngle = 225;
    refreshEventTexts(r);
    return r;
}

}   // namespace

TEST(MaintenanceWindow, CarriesTheMenuWithExitInBothPlacesAndHelpAndReportsAFailedSave) {
    Harness h;
    QStringList titles;
    for (QAction* a : h.window->menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&Earthquakes", "&Preferences", "&Help", "E&xit"}));
    EXPECT_EQ(h.window->actionsFor(maintenance::kExit).size(), 2);
    bool sameAbout = false;   // the About box of the display program
    h.run(maintenance::kAbout, [&](QDialog& d) { sameAbout = qobject_cast<AboutDialog*>(&d) != nullptr; });
    EXPECT_TRUE(sameAbout);
    h.window->show();
    h.window->actionsFor(maintenance::kExit)[1]->trigger();   // Exit in its menu and on the bar
    EXPECT_FALSE(h.window->isVisible());
    QList<QUrl> opened;
    setHelpOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    h.dir.write(QStringLiteral("help/1020.html"), "<html></html>");
    h.window->runCommand(maintenance::kHelp);
    setHelpOpener({});
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(h.dir.path() + QStringLiteral("/help/1020.html"))});
    ASSERT_TRUE(QDir().mkdir(kIni));   // a folder in the way of the new settings file: reported, the program goes on
    h.dir.write(QStringLiteral("OV.INI/keep"), "old");
    h.run(maintenance::kControls, kOk);
    h.window->runCommand(maintenance::kControls);
    EXPECT_TRUE(h.messages.texts.size() == 2 && h.messages.texts[0].startsWith("Unable to save the settings")
                && readFile(QStringLiteral("OV.INI/keep")) == "old");
}

TEST(MaintenanceWindow, CancelWritesNothingOkRewritesAndKeysWithoutAControlSurviveEverySave) {
    Harness h(kSettingsFile);
    const ino_t before = inodeOf(kIni);
    for (int id : {1, 806, 807, 813, 815, 817})
        h.run(id, [](QDialog& d) {
            if (auto* controls = qobject_cast<ControlsDialog*>(&d)) controls->box(0)->setChecked(false);
            if (auto* edit = findControlAs<QLineEdit>(&d, kNumberEditId)) edit->setText("999");
            press(&d, kIdCancel);
        });
    EXPECT_TRUE(inodeOf(kIni) == before && h.settings.userTimeout == 60u && h.settings.titleBar);
    // The Cancel picture of the view choice saves; the file is written again, the same bytes.
    h.run(maintenance::kView, [](QDialog& d) { qobject_cast<ViewDialog*>(&d)->button(kIdCancel)->click(); });
    EXPECT_TRUE(inodeOf(kIni) != before && readFile(kIni) == kSettingsFile);
    h.run(maintenance::kControls, [](QDialog& d) {
        findControlAs<QCheckBox>(&d, 761)->setChecked(false);           // Title bar
        findControlAs<QCheckBox>(&d, 102)->setChecked(true);            // Show Slider
        qobject_cast<ControlsDialog*>(&d)->box(8)->setChecked(false);   // the stored tutorial setting, not the running one
        press(&d, kIdOk);
    });
    h.run(maintenance::kAudio, [](QDialog& d) {
        press(&d, 175);
        press(&d, kIdOk);
    });
    h.run(maintenance::kView, [](QDialog& d) { qobject_cast<ViewDialog*>(&d)->button(557)->click(); });
    QByteArray expected = kSettingsFile;
    expected.replace("TITLE BAR: YES", "TITLE BAR: NO").replace("SLIDER: NO", "SLIDER: YES").replace("TUTORIAL: YES", "TUTORIAL: NO");
    expected.replace("AUDIO: EQ", "AUDIO: PC").replace("VIEW: XS", "VIEW: 3D");
    EXPECT_TRUE(readFile(kIni) == expected && h.dialogsRun == 10 && h.messages.texts.isEmpty()) << readFile(kIni).toStdString();
}

TEST(MaintenanceWindow, NumberInputsStoreTheLeadingNumberAndRefuseNegatives) {
    Harness h(kSettingsFile);
    for (const auto& [command, text] : {std::pair{815, "12abc"}, {813, "300"}, {817, " 0"}})
        h.run(command, [t = text](QDialog& d) {
            findControlAs<QLineEdit>(&d, kNumberEditId)->setText(t);
            press(&d, kIdOk);
        });
    expectLines(readFile(kIni), {"TIMEOUT: 12", "INITIAL TIMEOUT: 300", "SECONDS TO PAUSE AT END: 0"});
    // A negative number is refused with a message, the focus on the field; a longer stored value is kept whole.
    h.settings.userTimeout = 4000000000u;
    h.run(815, [](QDialog& d) {
        auto* edit = findControlAs<QLineEdit>(&d, kNumberEditId);
        EXPECT_EQ(d.windowTitle() + edit->text(), QStringLiteral("User Timeout4000000000"));
        edit->setText(QStringLiteral("-5"));
        press(&d, kIdOk);
        EXPECT_EQ(d.focusWidget(), edit);
    });
    h.run(815, kOk);
    EXPECT_EQ(h.messages.texts, QStringList{"Value is not in the range 0 to 4294967295."});
    expectLines(readFile(kIni), {"TIMEOUT: 4000000000"});
    for (const auto& [text, value] :
         std::initializer_list<std::pair<const char*, std::optional<uint32_t>>>{{"90", 90},
                                                                                {"abc", 0},
                                                                                {"", 0},
                                                                                {"  +7", 7},
                                                                                {"-0", 0},
                                                                                {"4294967295", 4294967295u},
                                                                                {"-1", {}},
                                                                                {"4294967296", {}},
                                                                                {"99999999999999999999999", {}}})
        EXPECT_EQ(numberInputValue(text), value) << text;
}

TEST(MaintenanceWindow, NewEventIsWrittenWithTheDefaultsOnlyWhenConfirmedAndReplacesAnotherOnlyAfterAsking) {
    Harness h;
    h.run(maintenance::kNew, kCancel);
    h.run(maintenance::kControls, kCancel);
    EXPECT_TRUE(QDir().entryList(QDir::Files).isEmpty());
    h.run(maintenance::kNew, kOk);
    const QByteArray file = readFile(QStringLiteral("1990010100.evt"));
    expectLines(file, {"EVENT NAME: Event Name", "EVENT LATITUDE:     0.0000", "EVENT DEPTH:        0.0", "EVENT MAGNITUDE:    0.0",
                       "EVENT DATE: 1990/01/01", "ORIGIN TIME: 00:00:00.0", "TIME ACCELERATION: 20", "TIME WINDOW: 1800",
                       "TIME LIMIT: 1800", "VIEW ANGLE: 180"});
    EXPECT_TRUE(!file.contains("STATION FILE") && QDir().entryList(QDir::Files).size() == 1);   // nothing else, no OV.INI
    h.run(maintenance::kPhases, kOk);   // the first confirmed preference creates the file
    expectLines(readFile(kIni), {"SHOW WELCOME SCREEN: YES"});
    ASSERT_TRUE(QDir().remove(QStringLiteral("1990010100.evt")) && QDir().mkdir(QStringLiteral("1990010100.evt")));
    h.run(maintenance::kNew, kOk);
    EXPECT_EQ(h.messages.texts, QStringList{"Unable to write the event file 1990010100.evt."});
    h.dir.write(QStringLiteral("1995061512.EVT"), kEventFile);
    // A new event on the date and hour of the stored one; after No the form comes back as it was
    // typed (name and year recorded at each showing), and the operator gives up.
    QStringList shown;
    const auto newEvent = [&](QDialog& d) {
        auto* e = qobject_cast<EventEditorDialog*>(&d);
        shown.append(e->field(kFieldName)->text() + "/" + e->field(kFieldYear)->text());
        if (shown.size() > 1) return press(e, kIdCancel);
        e->field(kFieldName)->setText(QStringLiteral("New quake"));
        for (auto [f, t] : {std::pair{kFieldYear, "1995"}, {kFieldMonth, "6"}, {kFieldDay, "15"}, {kFieldHour, "12"}})
            e->field(f)->setText(QString::fromLatin1(t));
        press(e, kIdOk);
    };
    const QStringList question{"An event file 1995061512.evt already exists (Test quake). Replace it?"};
    h.run(maintenance::kNew, newEvent);
    EXPECT_TRUE(h.questions == question && shown == (QStringList{"Event Name/1990", "New quake/1995"})) << shown.join(" ").toStdString();
    EXPECT_EQ(readFile(QStringLiteral("1995061512.EVT")), kEventFile);
    shown.clear(), h.questions.clear(), h.answer = true;   // Yes replaces it, whatever the case of the stored name
    h.run(maintenance::kNew, newEvent);
    EXPECT_TRUE(shown.size() == 1 && h.questions == question && QDir().entryList(QDir::Files) == QStringList({"1995061512.EVT", "OV.INI"}));
    expectLines(readFile(QStringLiteral("1995061512.EVT")), {"EVENT NAME: New quake"});
    h.questions.clear();   // saving the opened event under its own name asks nothing
    h.edit([](EventEditorDialog& e) { e.field(kFieldMagnitude)->setText(QStringLiteral("9.1")); });
    EXPECT_TRUE(h.questions.isEmpty());
    expectLines(readFile(QStringLiteral("1995061512.EVT")), {"EVENT MAGNITUDE:    9.1"});
}

TEST(MaintenanceWindow, OpenedEventEditsFollowTheFormAndBadOnesWriteNothing) {
    Harness h(QByteArray(), kEventFile);
    h.run(maintenance::kOpen, kCancel);   // no editor after a cancelled list
    h.edit([](EventEditorDialog& e) { e.field(kFieldTimeWindow)->setText(QStringLiteral("90")); });
    EXPECT_TRUE(h.dialogsRun == 3 && readFile(kEvent) == kEventFile);
    EXPECT_EQ(h.messages.texts, QStringList{"Value is not in the range 5 to 60."});
    h.edit([&](EventEditorDialog& e) {
        EXPECT_TRUE(e.viewAngleButton(2)->isChecked());   // 100 degrees shows "90E"
        e.field(kFieldHour)->clear();                     // passes, keeps the hour
        e.field(kFieldLatitude)->setText(QStringLiteral("12.5N"));
        e.field(kFieldTimeWindow)->setText(QStringLiteral("60"));
        e.viewAngleButton(6)->setChecked(true);
    });
    expectLines(readFile(kEvent), {"EVENT LATITUDE:    12.5000", "ORIGIN TIME: 12:04:15.2", "TIME WINDOW: 3600", "TIME LIMIT: 3600",
                                   "VIEW ANGLE: 270", "STATION FILE: BKS.Z", "STATION FILE: CMB.N"});
    h.edit([](EventEditorDialog& e) { e.field(kFieldYear)->setText(QStringLiteral("1996")); });   // a new file, the old one stays
    const QByteArray moved = readFile(QStringLiteral("1996061512.evt"));
    expectLines(moved, {"EVENT NAME: Test quake", "EVENT DATE: 1996/06/15", "EVENT LONGITUDE:  -121.8800"});
    EXPECT_TRUE(moved.count("STATION FILE: ") == 2 && QDir().entryList(QDir::Files).size() == 2 && h.messages.texts.size() == 1);
}

TEST(MaintenanceWindow, SeismogramNamesAreWrittenBackWholeAndTooLongOnesRefused) {
    const QByteArray longest = "KIP." + QByteArray(250, 'X') + "E";   // 255 characters
    for (const QByteArray& name : {QByteArray("IU.ANMO.00.BHZ.M.2011.070.054624.SAC"), longest, longest + "Z"}) {
        const QByteArray file = kEventFile + "STATION FILE: " + name + "\r\n";
        Harness h(QByteArray(), file);
        h.edit([](EventEditorDialog& e) { e.field(kFieldYear)->setText(QStringLiteral("1996")); });
        const QByteArray written = readFile(QStringLiteral("1996061512.evt"));
        EXPECT_EQ(readFile(kEvent), file);
        if (name.size() <= 255)
            EXPECT_TRUE(h.messages.texts.isEmpty() && written.contains("\nSTATION FILE: " + name + "\r\n")) << name.size();
        else   // refused before the form opens, never cut
            EXPECT_TRUE(h.dialogsRun == 1 && written.isEmpty() && h.messages.texts.size() == 1
                        && h.messages.texts[0].contains("256 characters") && h.messages.texts[0].contains("at most 255"));
    }
}

TEST(MaintenanceWindow, EditInformationStartsTheEditorAndRestoresTheDirectory) {
    Harness h;
    const QString start = QDir::currentPath(), deep = QStringLiteral("texts with blanks/") + QString(120, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep));
    for (const QString& answer : {QStringLiteral("3D.INF"), QString()}) {   // the file dialog moves, answers relatively
        h.chooser = [&] {
            QDir::setCurrent(deep);
            return answer;
        };
        h.window->runCommand(maintenance::kEditInformation);
        EXPECT_EQ(QDir::currentPath(), start);
    }
    EXPECT_EQ(h.launched, QStringList{start + QLatin1Char('/') + deep + QStringLiteral("/3D.INF")});
    h.launchWorks = false, h.chooser = [] { return QStringLiteral("XS.INF"); };
    h.window->runCommand(maintenance::kEditInformation);
    EXPECT_TRUE(h.messages.texts.size() == 1 && h.messages.texts[0].startsWith("Unable to start the text editor"));
}

TEST(TextEditorCommand, PathIsOneWholeArgumentAndNeverShellText) {
    ScratchDirectory dir;
    const QString absolute = dir.path() + QStringLiteral("/a long folder name with blanks; $(rm -rf x) `y` 'q' ").repeated(4) + "/EVT.INF";
    const auto command = [](const QString& editor, const QString& file) {
        const EditorCommand c = textEditorCommand(editor, file);
        return QStringList(c.program) + c.arguments;
    };
    EXPECT_EQ(command(QString(), absolute), (QStringList{"xdg-open", absolute}));
    EXPECT_EQ(command(QStringLiteral("   "), absolute), (QStringList{"xdg-open", absolute}));
    EXPECT_EQ(command(QStringLiteral("\"/opt/my editor/ed\" --new-window"), absolute),
              (QStringList{"/opt/my editor/ed", "--new-window", absolute}));
    EXPECT_EQ(command("gedit", "-n.inf"), (QStringList{"gedit", dir.path() + "/-n.inf"}));   // no option: an absolute path
}

TEST(EventEditor, ShowsTheRecordInTheFormatsOfTheFormAndTypingDropsWhatAFieldCannotTake) {
    EventRecord r = sampleEvent(), early = newEventRecord();
    const EventEditorTexts t = editorTextsFrom(r);
    EXPECT_EQ(std::vector<std::string>(t.text.begin(), t.text.end()),
              (std::vector<std::string>{"Loma Prieta", "37.040  ", "-121.880", "18.0  ", "7.1 ", "1989", "10", "18", "0", "4", "15.2", "50",
                                        "15", "60"}));
    early.year = 987;
    EXPECT_TRUE(t.viewIndex == 5 && editorTextsFrom(early).text[kFieldYear] == "0987");   // 225 degrees is "135W"
    // The view angle is brought into one turn and rounded down to an eighth.
    for (const auto& [angle, index] : {std::pair{0, 0}, {100, 2}, {-45, 7}, {359, 7}, {540, 4}, {-721, 7}})
        EXPECT_EQ(viewAngleIndex(angle), index) << angle;
    EXPECT_EQ(viewAngleIndex(INT32_MIN), viewAngleIndex(INT32_MIN % 360 + 360));
    // The dialog shows them; typing drops what a field cannot take.
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 701)->text() + findControlAs<QLineEdit>(&d, 709)->text(), "Loma Prieta60");
    EXPECT_TRUE(findControlAs<QLineEdit>(&d, 706)->maxLength() == 5 && findControlAs<QRadioButton>(&d, kFirstViewAngleId + 5)->isChecked());
    const std::tuple<EditorField, QString, QString> typed[] = {{kFieldYear, "1a9-9 6", "1996"},
                                                               {kFieldSpeed, "-5x0", "-50"},
                                                               {kFieldLatitude, "12.5N", "12.5N"},
                                                               {kFieldYear, QStringLiteral("+\u0663"), "+"},
                                                               {kFieldName, QString(45, 'x'), QString(39, 'x')}};
    for (const auto& [field, keys, shown] : typed) {
        d.field(field)->clear();
        for (QChar c : keys) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(d.field(field), &key);
        }
        EXPECT_EQ(d.field(field)->text(), shown) << keys.toStdString();
    }
}

TEST(EventEditor, ChecksFindTheFirstFailingFieldInTableOrder) {
    for (const auto& [text, value] : {std::pair{"", 0}, {"abc", 0}, {"12abc", 12}, {"  -42", -42}, {"+7", 7}, {"-", 0}})
        EXPECT_EQ(rangedValue(text), value) << text;
    EXPECT_GT(rangedValue("99999999999999999999999"), 2100);   // saturates instead of wrapping into range
    EXPECT_LT(rangedValue("-99999999999999999999999"), -100);
    EventEditorTexts t = editorTextsFrom(newEventRecord());
    EXPECT_FALSE(checkEditorTexts(t).has_value());
    t.text[kFieldTimeLimit] = "181", t.text[kFieldDay] = "0", t.text[kFieldMonth] = "13";
    const auto f = checkEditorTexts(t);
    EXPECT_TRUE(f && f->field == kFieldMonth && f->low == 1 && f->high == 12);
    // Each step mends the first failure; the day takes 31 whatever the month, the hour 24, an empty field is 0.
    const std::tuple<EditorField, const char*, int> steps[] = {
        {kFieldMonth, "12", kFieldDay}, {kFieldDay, "31", kFieldTimeLimit}, {kFieldTimeLimit, "180", -1}, {kFieldHour, "24", -1},
        {kFieldSpeed, "-100", -1},      {kFieldSpeed, "-101", kFieldSpeed}, {kFieldSpeed, "", -1},        {kFieldYear, "", kFieldYear}};
    for (const auto& [field, text, failing] : steps) {
        t.text[field] = text;
        EXPECT_EQ(checkEditorTexts(t) ? int(checkEditorTexts(t)->field) : -1, failing) << field << " " << text;
    }
}

TEST(EventEditor, ApplyWritesEveryFieldAndTextsWithoutANumberLeaveTheirs) {
    EventRecord r = newEventRecord();
    EventEditorTexts t = editorTextsFrom(r);
    t.viewIndex = 6;
    t.text = {"Northridge quake", "12.5N", " -118.537", "18.4", "6.7", "1994", "1", "17", "12", "30", "55.4", "-20", "45", "120"};
    applyEditorTexts(r, t);
    EXPECT_EQ(std::vector<float>({r.latitude, r.longitude, r.depth, r.magnitude, r.second}),
              std::vector<float>({12.5f, -118.537f, 18.4f, 6.7f, 55.4f}));
    EXPECT_EQ(std::vector<int>({r.year, r.month, r.day, r.hour, r.minute, r.timeAcceleration, r.timeWindow, r.timeLimit, r.viewAngle}),
              std::vector<int>({1994, 1, 17, 12, 30, -20, 2700, 7200, 270}));
    EXPECT_EQ(r.name + r.fileName + r.dateText + r.originTimeText + r.dateDisplay,
              "Northridge quake1994011712.evt1994/01/1712:30:55.4Jan. 17, 1994");
    t = editorTextsFrom(r);
    t.text[kFieldHour] = t.text[kFieldSecond] = "";
    t.text[kFieldLatitude] = "north";
    t.text[kFieldSpeed] = "-";
    t.text[kFieldName] = std::string(38, 'a') + "\xC3\xA9" + "b";   // cut on a character boundary
    ASSERT_FALSE(checkEditorTexts(t).has_value());                  // empty hour and "-" count as 0
    applyEditorTexts(r, t);
    EXPECT_EQ(std::vector<float>({r.latitude, r.second}), std::vector<float>({12.5f, 55.4f}));
    EXPECT_EQ(std::tuple(r.hour, r.timeAcceleration, r.fileName, r.name),
              std::tuple(12, -20, std::string("1994011712.evt"), std::string(38, 'a')));
}

TEST(EventEditor, AnOutOfRangeValueKeepsTheDialogOpenWithTheFocusOnItAndUntouchedValuesAreKept) {
    EventRecord r = sampleEvent();
    r.depth = 123456789.0f;   // "123456792.0" does not fit 7 characters
    r.latitude = -89.9999f;
    const EventRecord before = r;
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    EXPECT_EQ(d.field(kFieldDepth)->text(), QStringLiteral("123456792.0"));
    d.field(kFieldYear)->setText(QStringLiteral("2200"));
    d.field(kFieldTimeWindow)->setText(QStringLiteral("90"));
    for (EditorField failing : {kFieldYear, kFieldTimeWindow}) {
        press(&d, kIdOk);
        EXPECT_TRUE(d.result() != QDialog::Accepted && d.focusWidget() == d.field(failing)) << failing;
        d.field(failing)->setText(QString::fromStdString(editorTextsFrom(before).text[failing]));
    }
    EXPECT_EQ(log.texts, (QStringList{"Value is not in the range 1000 to 2100.", "Value is not in the range 5 to 60."}));
    press(&d, kIdOk);
    d.apply(r);
    EXPECT_TRUE(d.result() == QDialog::Accepted && r.depth == before.depth && r.latitude == -90.0f);   // shown and kept with three decimals
    EXPECT_EQ(std::tuple(r.name, r.viewAngle, r.timeWindow, r.timeLimit, r.originTimeText, r.fileName),
              std::tuple(before.name, 225, before.timeWindow, before.timeLimit, before.originTimeText, std::string("1989101800.evt")));
}

namespace {

// A SAC recording as a data centre writes it: one vertical component, the
// event and station in the header, a step at `onset` seconds after the origin.
QByteArray recording(const char* station, float lat, float lon, float onset) {
    SacHeader h;
    h.setUndefined();
    h.i[NVHDR] = 6, h.i[IFTYPE] = 1, h.i[LEVEN] = 1, h.i[NPTS] = 40 * 1500;
    h.i[NZYEAR] = 2011, h.i[NZJDAY] = 70, h.i[NZHOUR] = 5, h.i[NZMIN] = 46, h.i[NZSEC] = 0, h.i[NZMSEC] = 0;
    h.f[DELTA] = 0.025f, h.f[B] = 0, h.f[7] = 24.0f;   // origin marker: 05:46:24
    h.f[STLA] = lat, h.f[STLO] = lon, h.f[EVLA] = 38.3f, h.f[EVLO] = 142.4f, h.f[EVDP] = 24, h.f[MAG] = 9.1f;
    h.f[CMPAZ] = 0, h.f[CMPINC] = 0;
    h.setText(KSTNM, station), h.setText(KCMPNM, "BHZ"), h.setText(KNETWK, "IU");
    std::vector<float> samples(h.i[NPTS]);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = (i * 0.025 > 24 + onset) ? 500.f : 0.f;
    const std::string bytes = encodeSac(h, samples);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

}   // namespace

TEST(MaintenanceWindow, ImportsRecordingsChecksTypedValuesThenOpensTheNewEventInTheEditor) {
    Harness h(kSettingsFile);
    h.dir.write(QStringLiteral("ZURIVI.STA"), QByteArray());
    h.dir.write(QStringLiteral("rec/IU.MAJO.00.BHZ.SAC"), recording("MAJO", 36.55f, 138.20f, 60));
    h.dir.write(QStringLiteral("rec/IU.ANMO.00.BHZ.SAC"), recording("ANMO", 34.95f, -106.46f, 700));
    h.dir.write(QStringLiteral("rec/readme.txt"), "not a recording");
    int rows = -1;
    QString origin, skipped, typedBack;
    bool edited = false;
    h.run(maintenance::kImportRecordings, [&](QDialog& d) {
        if (auto* editor = qobject_cast<EventEditorDialog*>(&d)) {
            edited = true;
            press(editor, kIdOk);
            return;
        }
        auto* dialog = dynamic_cast<ImportDialog*>(&d);
        ASSERT_NE(dialog, nullptr);
        dialog->addInputs({h.dir.path() + QStringLiteral("/rec")});
        dialog->waitForWorker();
        rows = dialog->findChild<QTableWidget*>(QStringLiteral("stations"))->rowCount();
        origin = dialog->findChild<QLineEdit*>(QStringLiteral("origin"))->text();
        skipped = dialog->findChild<QPlainTextEdit*>(QStringLiteral("files"))->toPlainText();
        // A value that is not a number is refused before anything is written.
        auto* depth = dialog->findChild<QLineEdit*>(QStringLiteral("depth"));
        depth->setText(QStringLiteral("deep"));
        dialog->startImport();
        EXPECT_FALSE(dialog->busy());
        depth->setText(QStringLiteral("30"));
        dialog->startImport();
        dialog->waitForWorker();
    });
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(origin, QStringLiteral("2011-03-11T05:46:24.0"));
    EXPECT_TRUE(skipped.contains(QStringLiteral("readme.txt"))) << skipped.toStdString();
    ASSERT_EQ(h.messages.texts.size(), 1);
    EXPECT_TRUE(h.messages.texts[0].contains(QStringLiteral("depth"))) << h.messages.texts[0].toStdString();
    EXPECT_TRUE(edited);
    const EventRecord event = readEventFile("2011031105.evt");
    EXPECT_NEAR(event.depth, 30, 1e-3);   // the typed value, not the header's 24 km
    EXPECT_EQ(event.stationFiles.size(), 2u);
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("2011031105/MAJO.BHZ")));
    EXPECT_TRUE(readFile(QStringLiteral("ZURIVI.STA")).contains("ANMO"));
}

TEST(ImportFields, TypedValuesAreCheckedAndEmptyOnesLeftToTheFiles) {
    ImportRequest r;
    EXPECT_EQ(applyImportFields({}, r), std::nullopt);
    EXPECT_FALSE(r.event.originTime || r.event.latitude || r.event.depthKm);
    EXPECT_EQ(r.sampleRate, 20);
    ImportFields f;
    f.origin = "2011-03-11T05:46:24.1", f.latitude = " 38.3", f.longitude = "142.4", f.rate = "40";
    EXPECT_EQ(applyImportFields(f, r), std::nullopt);
    EXPECT_NEAR(*r.event.originTime, 1299822384.1, 1e-6);
    EXPECT_EQ(*r.event.latitude, 38.3);
    EXPECT_EQ(r.sampleRate, 40);
    // What a scan found comes back as the texts the fields show.
    EXPECT_EQ(importFieldsFrom(r.event, "Tohoku").origin, "2011-03-11T05:46:24.1");
    const std::pair<std::string ImportFields::*, const char*> bad[] = {
        {&ImportFields::origin, "yesterday"}, {&ImportFields::latitude, "91"}, {&ImportFields::longitude, "12E"},
        {&ImportFields::magnitude, "nan"},    {&ImportFields::rate, "0"},      {&ImportFields::limit, "1e9"}};
    for (const auto& [field, text] : bad) {
        ImportFields g;
        g.*field = text;
        const auto problem = applyImportFields(g, r);
        ASSERT_TRUE(problem) << text;
        EXPECT_NE(problem->find(text), std::string::npos) << *problem;
    }
}

TEST(MaintenanceWindow, DownloadsTheChosenEarthquakeAfterACancelThatLeftEverythingAsItWas) {
    fdsntest::LocalDataCentre centre(fdsntest::dataCentre({}));
    FdsnServer server;
    server.baseUrl = centre.baseUrl(), server.connectTimeoutMs = 5000, server.backoffMs = 20;
    Harness h(kSettingsFile, QByteArray(), server);
    h.dir.write(QStringLiteral("ZURIVI.STA"), "ANMO    Albuquerque, New Mexico, USA    34.9459N 106.4572W\r\n");
    const auto before = fdsntest::snapshot(h.dir.path().toStdString());
    std::vector<std::string> ids;
    int stations = -1;
    bool edited = false;
    std::map<std::string, std::string> afterCancel;
    h.run(maintenance::kDownloadEarthquake, [&](QDialog& d) {
        if (auto* editor = qobject_cast<EventEditorDialog*>(&d)) {
            edited = true;
            press(editor, kIdOk);
            return;
        }
        auto* dialog = dynamic_cast<DownloadDialog*>(&d);
        ASSERT_NE(dialog, nullptr);
        dialog->findEvents();
        dialog->waitForWorker();
        for (const EventInfo& e : dialog->events()) ids.push_back(e.eventId);
        dialog->chooseEvent(0);
        dialog->waitForWorker();
        stations = dialog->stationsToCome();
        dialog->startDownload();   // cancelled at once: nothing may change
        dialog->reject();
        dialog->waitForWorker();
        afterCancel = fdsntest::snapshot(h.dir.path().toStdString());
        dialog->startDownload();
        dialog->waitForWorker();
    });
    EXPECT_EQ(ids, (std::vector<std::string>{"tohoku", "older1"}));   // newest first
    EXPECT_EQ(stations, 6);
    EXPECT_EQ(afterCancel, before);
    EXPECT_TRUE(edited);
    const EventRecord event = readEventFile("2011031105.evt");
    EXPECT_EQ(event.stationFiles.size(), 6u);
    EXPECT_TRUE(readFile(QStringLiteral("2011031105/EVT.INF")).contains("IU")) << "networks credited";
    EXPECT_TRUE(h.messages.texts.isEmpty()) << h.messages.texts.join('|').toStdString();
}

TEST(MaintenanceWindow, ViewLogShowsTheNewestLinesWithTheirCategoryAndLevel) {
    Harness h;
    QString shown;
    bool readOnly = false, atEnd = false;
    const auto look = [&](QDialog& d) {
        auto* view = d.findChild<QPlainTextEdit*>();
        ASSERT_NE(view, nullptr);
        shown = view->toPlainText(), readOnly = view->isReadOnly(), atEnd = view->textCursor().atEnd();
    };
    h.run(maintenance::kViewLog, look);
    EXPECT_EQ(shown, "No log yet.");
    EXPECT_EQ(h.window->actionsFor(maintenance::kViewLog).size(), 1);

    startLogging("ovm", QDir::currentPath().toStdString());
    qCWarning(lcSound) << "no audio output device";
    qCDebug(lcClock) << "every tick";   // debug is off unless asked for
    qCInfo(lcImport) << "created"
                     << "2011031105.evt";
    stopLogging(3);
    qCWarning(lcSound) << "after the end";
    h.run(maintenance::kViewLog, look);
    EXPECT_TRUE(readOnly && atEnd);
    const QStringList lines = shown.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << shown.toStdString();
    const QString stamp = QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}Z ovm\[%1\] )").arg(::getpid());
    const QStringList expected = {"orvanta.clock info: ovm 2.1 started in " + QDir::currentPath() + " (Qt " + qVersion() + ")",
                                  "orvanta.sound warning: no audio output device", "orvanta.import info: created 2011031105.evt",
                                  "orvanta.clock info: ovm exits with status 3"};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(QRegularExpression(stamp + QRegularExpression::escape(expected[i]) + "$").match(lines[i]).hasMatch())
            << lines[i].toStdString();
}
