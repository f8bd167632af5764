// Option dialogs, the event list and the help launcher: what they show, what
// they change on OK and what Cancel leaves alone.
#include "dialogs/Buttons.h"
#include "dialogs/EventListDialog.h"
#include "dialogs/Frames.h"
#include "dialogs/HelpLauncher.h"
#include "dialogs/OptionDialogs.h"
#include "dialogs/Pictures.h"
#include "DialogTestSupport.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace {

QString field(const QWidget* dialog, int id) { return findControlAs<QLineEdit>(dialog, id)->text(); }
void setField(const QWidget* dialog, int id, const char* text) {
    findControlAs<QLineEdit>(dialog, id)->setText(QString::fromLatin1(text));
}

struct HelpRecorder {
    std::vector<QUrl> opened;
    QStringList messages;
    bool openSucceeds = true;
    HelpRecorder() {
        setHelpOpener([this](const QUrl& url) { opened.push_back(url); return openSucceeds; });
        setHelpMessage([this](QWidget*, const QString& text) { messages << text; });
    }
    ~HelpRecorder() { setHelpOpener({}); setHelpMessage({}); }
};

}  // namespace

TEST(DialogUnits, ControlsArePlacedFromTheDialogFont) {
    RunState run;
    SpeedDialog dialog(nullptr, run);
    const DialogUnits u = DialogUnits::of(dialogFont());
    EXPECT_EQ(findControl(&dialog, kIdOk)->geometry(), u.rect(61, 10, 50, 14));
    EXPECT_EQ(findControl(&dialog, 111)->geometry().topLeft(), QPoint(u.x(8), u.y(9 + 120)));
    EXPECT_EQ(dialog.size(), QSize(u.x(126), u.y(148)));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Relative Speed"));
    EXPECT_EQ(dialog.grab().toImage().pixelColor(2, 2), QColor(192, 192, 192));
}

TEST(AudioDialog, ShowsTheModeChangesItOnlyWhenConfirmedAndEveryLabelFits) {
    Settings s;
    s.audio = AudioMode::Chime;
    {
        AudioDialog dialog(nullptr, s);
        for (int id = 174; id <= 177; ++id) {
            auto* radio = findControlAs<QRadioButton>(&dialog, id);
            ASSERT_NE(radio, nullptr) << id;
            EXPECT_EQ(radio->isChecked(), id == 177) << id;
            EXPECT_LE(radio->sizeHint().width(), radio->width()) << id;
            EXPECT_LE(radio->geometry().right(), dialog.width()) << id;
        }
        press(&dialog, 174);
        EXPECT_FALSE(checked(&dialog, 177));
        press(&dialog, kIdCancel);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(s.audio, AudioMode::Chime);
    AudioDialog dialog(nullptr, s);
    press(&dialog, 175);
    press(&dialog, kIdOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(s.audio, AudioMode::Chime);   // the opener applies
    dialog.apply();
    EXPECT_EQ(s.audio, AudioMode::PC);
}

TEST(ViewDialog, EveryPictureClicksSetsItsViewAndCloses) {
    Settings s;
    s.view = ViewMode::CrossSection;
    RecordedClicks sound;
    const std::pair<int, ViewMode> choices[] = {{kIdCancel, ViewMode::CrossSection},
        {557, ViewMode::Globe3D}, {556, ViewMode::All}, {558, ViewMode::CrossSection}};
    for (const auto& [id, mode] : choices) {
        ViewDialog dialog(nullptr, s);
        dialog.button(id)->click();
        EXPECT_EQ(s.view, mode) << id;
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << id;   // Cancel too: it saves
    }
    EXPECT_EQ(sound.clicks(), 4u);
}

TEST(ViewDialog, ButtonsComeFromTheBaseUnitsButNeverClipAPicture) {
    // Small units would clip the 120 x 90 miniatures: the buttons keep the
    // picture plus 6 pixels left and right, 5 above and 4 below.
    const std::pair<QPoint, QSize> sizes[] = {{{8, 16}, {132, 99}}, {{10, 20}, {164, 123}},
                                              {{6, 13}, {132, 99}}, {{1, 1}, {132, 99}}};
    for (const auto& [base, size] : sizes) {
        DialogUnits u;
        u.baseX = base.x();
        u.baseY = base.y();
        EXPECT_EQ(viewButtonSize(u), size) << base.x();
    }
    EXPECT_EQ(PictureButton::bitmapOffset(QSize(132, 99), QSize(120, 90)), QPoint(6, 5));
    EXPECT_EQ(PictureButton::bitmapOffset(QSize(99, 80), QSize(120, 90)), QPoint(-10, -4));

    Settings s;
    ViewDialog dialog(nullptr, s);
    const QSize size = viewButtonSize(dialog.units());
    EXPECT_EQ(dialog.button(kIdCancel)->geometry(),
              QRect(size.width() + 10, size.height() + 10, size.width(), size.height()));
    EXPECT_EQ(dialog.button(557)->geometry().topLeft(), QPoint(5, size.height() + 10));
    for (const auto& [id, number] : {std::pair{556, 5}, std::pair{557, 7}, std::pair{558, 6},
                                     std::pair{kIdCancel, 9}}) {
        PictureButton* button = dialog.button(id);
        EXPECT_TRUE(QRect(QPoint(0, 0), dialog.size()).contains(button->geometry())) << id;
        const QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage bitmap = picture(number).convertToFormat(QImage::Format_RGB32);
        const QPoint at = PictureButton::bitmapOffset(button->size(), bitmap.size());
        EXPECT_TRUE(at.x() >= 6 && at.y() >= 5 && image.height() - at.y() - bitmap.height() >= 4) << id;
        const QPoint last(bitmap.width() - 1, bitmap.height() - 1);
        EXPECT_EQ(image.pixelColor(at), bitmap.pixelColor(0, 0)) << id;
        EXPECT_EQ(image.pixelColor(at + last), bitmap.pixelColor(last)) << id;
        const int midY = image.height() / 2, midX = image.width() / 2;
        EXPECT_EQ(image.pixelColor(at.x() - 1, midY), ovcolors::lightGrey) << id;
        EXPECT_EQ(image.pixelColor(0, midY), ovcolors::white) << id;
        EXPECT_EQ(image.pixelColor(midX, 0), ovcolors::white) << id;
        EXPECT_EQ(image.pixelColor(image.width() - 1, midY), ovcolors::grey) << id;
        EXPECT_EQ(image.pixelColor(midX, image.height() - 1), ovcolors::grey) << id;
    }
}

TEST(PhasesDialog, ShowsFlagsAndTheFirstEightPhasesAndKeepsThemOnOk) {
    Settings s;
    s.labelPhasesOnEarth = s.labelPhasesOnSeismogram = s.pPhasesOnCrossSection = true;
    for (int i = 1; i <= 10; ++i) appendPhase(s.phases, ("PH" + std::to_string(i)).c_str());
    PhasesDialog dialog(nullptr, s);
    for (int id = 101; id <= 107; ++id) EXPECT_EQ(checked(&dialog, id), id == 101 || id == 102 || id == 105) << id;
    EXPECT_EQ(field(&dialog, 111), QStringLiteral("PH1"));
    EXPECT_EQ(field(&dialog, 117), QStringLiteral("PH7"));
    EXPECT_EQ(field(&dialog, 118), QStringLiteral("PH8"));
    // Field 117 lies below field 118 in the right-hand column.
    EXPECT_GT(findControl(&dialog, 117)->y(), findControl(&dialog, 118)->y());
    EXPECT_EQ(findControl(&dialog, 117)->x(), findControl(&dialog, 115)->x());
    press(&dialog, kIdOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(s.phases.size(), 8u);
    EXPECT_EQ(s.phases[7], "PH8");
    EXPECT_TRUE(s.pPhasesOnCrossSection && s.labelPhasesOnSeismogram && !s.sPhasesOnCrossSection);
}

TEST(PhasesDialog, EmptyFieldsCloseUpLongNamesAreCutAndCancelKeepsEverything) {
    Settings s;
    appendPhase(s.phases, "Pdiff");
    {
        PhasesDialog dialog(nullptr, s);
        setField(&dialog, 111, "ScS");
        press(&dialog, 104);
        press(&dialog, kIdCancel);
    }
    EXPECT_EQ(s.phases, PhaseList{"Pdiff"});
    EXPECT_FALSE(s.allPhasesOnCrossSection);
    PhasesDialog dialog(nullptr, s);
    setField(&dialog, 111, "PcP");
    setField(&dialog, 113, "sS");
    setField(&dialog, 116, "PPPPPPPPPPPPPPPPPPPP");
    press(&dialog, 107);
    press(&dialog, 102);
    press(&dialog, kIdOk);
    EXPECT_EQ(s.phases, (PhaseList{"PcP", "sS", std::string(15, 'P')}));   // case kept, gaps closed
    EXPECT_TRUE(s.specifiedPhasesOnCrossSection && s.labelPhasesOnEarth);
}

TEST(PhasesDialog, ClickingAChoiceClearsTheOthersButSetUpKeepsSeveral) {
    Settings s;
    s.allPhasesOnCrossSection = s.specifiedPhasesOnCrossSection = true;
    PhasesDialog dialog(nullptr, s);
    EXPECT_TRUE(checked(&dialog, 104) && checked(&dialog, 107));
    press(&dialog, 106);
    press(&dialog, 106);   // a second click leaves it checked
    const PhasesChoice shown = dialog.currentChoice();
    EXPECT_TRUE(shown.s);
    EXPECT_FALSE(shown.all || shown.p || shown.specified);
}

TEST(SpeedDialog, ChecksTheNextLowerSpeedKeepsTheWholeNumberAndCancelChangesNothing) {
    struct Case { float speed; int button, click; float kept; bool ok; };
    const Case cases[] = {{30, 2, -1, 30, true}, {7.9f, 4, -1, 7, true}, {-7, 7, -1, -7, true},
                          {100, 0, -1, 100, true}, {0.5f, 5, -1, 0, true}, {-150, -1, -1, -150, true},
                          {1000, 0, -1, 1000, true}, {20, 2, 110, -50, true}, {20, 2, 110, 20, false}};
    for (const Case& c : cases) {
        RunState run;
        run.timeAcceleration = c.speed;
        SpeedDialog dialog(nullptr, run);
        for (int i = 0; i < 11; ++i) EXPECT_EQ(checked(&dialog, 101 + i), i == c.button) << c.speed;
        if (c.click > 0) press(&dialog, c.click);
        press(&dialog, c.ok ? kIdOk : kIdCancel);
        EXPECT_EQ(dialog.result(), c.ok ? QDialog::Accepted : QDialog::Rejected);
        if (c.ok) dialog.apply();
        EXPECT_EQ(run.timeAcceleration, c.kept) << c.speed;
    }
    EXPECT_EQ(speedButtonFor(std::numeric_limits<float>::quiet_NaN()), 5);
}

TEST(TimeWindowDialog, ChecksTheNextLongerWindowAndSetsMinutesTimesSixty) {
    struct Case { int seconds, button, click, afterOk; };
    const Case cases[] = {{1800, 4, 0, 1800}, {100, 0, 0, 300}, {5400, -1, 0, 5400}, {3600, 6, 0, 3600},
                          {601, 1, 0, 600}, {0, 0, 0, 300}, {5400, -1, 562, 3600}};
    for (const Case& c : cases) {
        RunState run;
        run.timeWindow = int16_t(c.seconds);
        TimeWindowDialog dialog(nullptr, run);
        for (int i = 0; i < 7; ++i) EXPECT_EQ(checked(&dialog, 556 + i), i == c.button) << c.seconds;
        if (c.click) press(&dialog, c.click);
        press(&dialog, kIdOk);
        dialog.apply();
        EXPECT_EQ(run.timeWindow, c.afterOk) << c.seconds;
    }
    RunState run;
    TimeWindowDialog dialog(nullptr, run);
    EXPECT_EQ(findControlAs<QAbstractButton>(&dialog, 559)->text(), QStringLiteral(" 20 Minutes"));
}

TEST(HelpLauncher, OpensTheTopicPageOrShowsTheMessage) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("help/1002.html"), "audio");
    HelpRecorder help;
    openHelp(nullptr, 1002);
    ASSERT_EQ(help.opened.size(), 1u);
    EXPECT_EQ(help.opened[0], QUrl::fromLocalFile(dir.path() + QStringLiteral("/help/1002.html")));
    EXPECT_TRUE(help.messages.empty());
    openHelp(nullptr, 1024);   // no page: nothing to open
    EXPECT_EQ(help.opened.size(), 1u);
    EXPECT_EQ(help.messages, QStringList{QStringLiteral("Problem opening %1 or the help viewer")
                                             .arg(dir.path() + QStringLiteral("/help/1024.html"))});
    help.openSucceeds = false;
    openHelp(nullptr, 1002);
    EXPECT_EQ(help.opened.size(), 2u);
    EXPECT_EQ(help.messages.size(), 2);
}

TEST(HelpLauncher, DialogHelpButtonsOpenTheirTopicsAndStayOpen) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("a.evt"), "x");
    HelpRecorder help;
    Settings s;
    RunState run;
    std::vector<std::pair<std::unique_ptr<DialogBase>, int>> cases;
    cases.emplace_back(std::make_unique<AudioDialog>(nullptr, s), 1002);
    cases.emplace_back(std::make_unique<PhasesDialog>(nullptr, s), 1019);
    cases.emplace_back(std::make_unique<SpeedDialog>(nullptr, run), 1024);
    cases.emplace_back(std::make_unique<TimeWindowDialog>(nullptr, run), 1024);
    cases.emplace_back(std::make_unique<EventListDialog>(nullptr), 1013);
    for (auto& [dialog, topic] : cases) {
        dir.write(QStringLiteral("help/%1.html").arg(topic), "x");
        help.opened.clear();
        press(dialog.get(), kIdHelp);
        ASSERT_EQ(help.opened.size(), 1u) << topic;
        EXPECT_TRUE(help.opened[0].toLocalFile().endsWith(QStringLiteral("/%1.html").arg(topic)));
        EXPECT_EQ(dialog->result(), 0);   // still open: neither accepted nor rejected
    }
    EXPECT_EQ(static_cast<EventListDialog*>(cases.back().first.get())->list()->count(), 1);
}

TEST(EventList, ListsEventFilesLowerCasedAndSortedAndReturnsTheChoice) {
    ScratchDirectory dir;
    for (const char* name : {"B.EVT", "kobe-mainshock-1995.evt", "1990010100.Evt", "notes.txt", "evt",
                             "folder.evt/inside.txt"})   // a folder is not an event
        dir.write(QString::fromLatin1(name), "x");
    EventListDialog dialog(nullptr);
    QStringList shown;
    for (int i = 0; i < dialog.list()->count(); ++i) shown << dialog.list()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"1990010100.evt", "b.evt", "kobe-mainshock-1995.evt"}));
    EXPECT_EQ(findControl(&dialog, EventListDialog::kListId), dialog.list());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Event Selection"));
    // OK, a double click and Cancel, each on a fresh dialog.
    for (int how : {0, 1, 2}) {
        EventListDialog d(nullptr);
        d.list()->setCurrentRow(2 - how);
        if (how == 1) emit d.list()->itemDoubleClicked(d.list()->currentItem());
        else press(&d, how == 0 ? kIdOk : kIdCancel);
        EXPECT_EQ(d.result(), how == 2 ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(d.chosenName(), how == 0 ? "kobe-mainshock-1995.evt" : how == 1 ? "b.evt" : "");
    }
}

TEST(EventList, EmptyOrMissingDirectoryGivesAnEmptyList) {
    ScratchDirectory dir;
    EXPECT_TRUE(listEventFiles(".").empty());
    EXPECT_TRUE(listEventFiles("no-such-folder").empty());
    EventListDialog dialog(nullptr);
    EXPECT_EQ(dialog.list()->count(), 0);
    press(&dialog, kIdOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenName(), "");
}
