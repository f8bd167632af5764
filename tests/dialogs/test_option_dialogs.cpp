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

QLineEdit* field(const QWidget* dialog, int id) { return findControlAs<QLineEdit>(dialog, id); }

}  // namespace

TEST(AudioDialog, ShowsTheModeChangesItOnlyWhenConfirmedAndEveryLabelFits) {
    Settings s;
    s.audio = AudioMode::Chime;
    for (bool ok : {false, true}) {
        AudioDialog dialog(nullptr, s);
        for (int id = 174; id <= 177; ++id) {
            auto* radio = findControlAs<QRadioButton>(&dialog, id);
            EXPECT_EQ(radio->isChecked(), id == 177) << id;
            EXPECT_LE(radio->sizeHint().width(), radio->width()) << id;
            EXPECT_LE(radio->geometry().right(), dialog.width()) << id;
        }
        press(&dialog, 175);
        EXPECT_FALSE(checked(&dialog, 177));
        press(&dialog, ok ? kIdOk : kIdCancel);
        EXPECT_EQ(s.audio, AudioMode::Chime);   // the opener applies
        if (ok) dialog.apply();
    }
    EXPECT_EQ(s.audio, AudioMode::PC);
}

TEST(ViewDialog, EveryPictureClicksSetsItsViewAndCloses) {
    Settings s;
    s.view = ViewMode::CrossSection;
    RecordedClicks sound;
    const std::pair<int, ViewMode> choices[] = {{kIdCancel, ViewMode::CrossSection}, {557, ViewMode::Globe3D},
                                                {556, ViewMode::All}, {558, ViewMode::CrossSection}};
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
    for (const auto& [base, size] : {std::pair{QPoint(8, 16), QSize(132, 99)}, {QPoint(10, 20), QSize(164, 123)},
                                     {QPoint(6, 13), QSize(132, 99)}, {QPoint(1, 1), QSize(132, 99)}}) {
        DialogUnits u;
        u.baseX = base.x(), u.baseY = base.y();
        EXPECT_EQ(viewButtonSize(u), size) << base.x();
    }
    EXPECT_EQ(PictureButton::bitmapOffset(QSize(99, 80), QSize(120, 90)), QPoint(-10, -4));
    Settings s;
    ViewDialog dialog(nullptr, s);
    const QSize size = viewButtonSize(dialog.units());
    EXPECT_EQ(dialog.button(kIdCancel)->geometry(), QRect(QPoint(size.width() + 10, size.height() + 10), size));
    EXPECT_EQ(dialog.button(557)->geometry().topLeft(), QPoint(5, size.height() + 10));
    for (const auto& [id, number] : {std::pair{556, 5}, {557, 7}, {558, 6}, {kIdCancel, 9}}) {
        PictureButton* button = dialog.button(id);
        EXPECT_TRUE(dialog.rect().contains(button->geometry())) << id;
        const QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage bitmap = picture(number).convertToFormat(QImage::Format_RGB32);
        const QPoint at = PictureButton::bitmapOffset(button->size(), bitmap.size()), last = bitmap.rect().bottomRight();
        EXPECT_TRUE(at.x() >= 6 && at.y() >= 5 && image.height() - at.y() - bitmap.height() >= 4) << id;
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
    EXPECT_EQ(field(&dialog, 111)->text() + field(&dialog, 117)->text() + field(&dialog, 118)->text(),
              QStringLiteral("PH1PH7PH8"));
    // Field 117 lies below field 118 in the right-hand column.
    EXPECT_GT(field(&dialog, 117)->y(), field(&dialog, 118)->y());
    EXPECT_EQ(field(&dialog, 117)->x(), field(&dialog, 115)->x());
    press(&dialog, kIdOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(s.phases.size(), 8u);
    EXPECT_EQ(s.phases[7], "PH8");
    EXPECT_TRUE(s.pPhasesOnCrossSection && s.labelPhasesOnSeismogram && !s.sPhasesOnCrossSection);
}

TEST(PhasesDialog, OneChoiceAtATimeEmptyFieldsCloseUpAndCancelKeepsEverything) {
    Settings s;
    s.allPhasesOnCrossSection = s.specifiedPhasesOnCrossSection = true;   // set up may hold several
    appendPhase(s.phases, "Pdiff");
    for (bool ok : {false, true}) {
        PhasesDialog dialog(nullptr, s);
        EXPECT_TRUE(checked(&dialog, 104) && checked(&dialog, 107) && field(&dialog, 111)->text() == "Pdiff");
        field(&dialog, 111)->setText(QStringLiteral("PcP"));
        field(&dialog, 113)->setText(QStringLiteral("sS"));
        field(&dialog, 116)->setText(QString(20, QLatin1Char('P')));
        press(&dialog, 106);
        press(&dialog, 106);   // a second click leaves it checked
        press(&dialog, 107);
        press(&dialog, 102);
        press(&dialog, ok ? kIdOk : kIdCancel);
    }
    EXPECT_EQ(s.phases, (PhaseList{"PcP", "sS", std::string(15, 'P')}));   // case kept, gaps closed
    EXPECT_TRUE(s.specifiedPhasesOnCrossSection && s.labelPhasesOnEarth);
    EXPECT_FALSE(s.allPhasesOnCrossSection || s.sPhasesOnCrossSection);
}

TEST(SpeedDialog, ChecksTheNextLowerSpeedKeepsTheWholeNumberAndCancelChangesNothing) {
    struct Case { float speed; int button, click; float kept; bool ok; };
    const Case cases[] = {{30, 2, 0, 30, true}, {7.9f, 4, 0, 7, true}, {-7, 7, 0, -7, true}, {100, 0, 0, 100, true},
                          {0.5f, 5, 0, 0, true}, {-150, -1, 0, -150, true}, {1000, 0, 0, 1000, true},
                          {20, 2, 110, -50, true}, {20, 2, 110, 20, false}};
    for (const Case& c : cases) {
        RunState run;
        run.timeAcceleration = c.speed;
        SpeedDialog dialog(nullptr, run);
        for (int i = 0; i < 11; ++i) EXPECT_EQ(checked(&dialog, 101 + i), i == c.button) << c.speed;
        if (c.click) press(&dialog, c.click);
        press(&dialog, c.ok ? kIdOk : kIdCancel);
        if (dialog.result() == QDialog::Accepted) dialog.apply();
        EXPECT_EQ(run.timeAcceleration, c.kept) << c.speed;
    }
    EXPECT_EQ(speedButtonFor(std::numeric_limits<float>::quiet_NaN()), 5);
    // Controls stand where the dialog units of the dialog font put them.
    RunState run;
    SpeedDialog dialog(nullptr, run);
    const DialogUnits u = DialogUnits::of(dialogFont());
    EXPECT_EQ(findControl(&dialog, kIdOk)->geometry(), u.rect(61, 10, 50, 14));
    EXPECT_EQ(findControl(&dialog, 111)->geometry().topLeft(), QPoint(u.x(8), u.y(9 + 120)));
    EXPECT_EQ(dialog.size(), QSize(u.x(126), u.y(148)));
    EXPECT_EQ(dialog.grab().toImage().pixelColor(2, 2), QColor(192, 192, 192));
}

TEST(TimeWindowDialog, ChecksTheNextLongerWindowAndSetsMinutesTimesSixty) {
    struct Case { int seconds, button, click, afterOk; };
    for (const Case& c : {Case{1800, 4, 0, 1800}, {100, 0, 0, 300}, {5400, -1, 0, 5400}, {3600, 6, 0, 3600},
                          {601, 1, 0, 600}, {0, 0, 0, 300}, {5400, -1, 562, 3600}}) {
        RunState run;
        run.timeWindow = int16_t(c.seconds);
        TimeWindowDialog dialog(nullptr, run);
        for (int i = 0; i < 7; ++i) EXPECT_EQ(checked(&dialog, 556 + i), i == c.button) << c.seconds;
        if (c.click) press(&dialog, c.click);
        press(&dialog, kIdOk);
        dialog.apply();
        EXPECT_EQ(run.timeWindow, c.afterOk) << c.seconds;
    }
}

TEST(HelpLauncher, OpensTheTopicPageOrShowsTheMessageAndDialogsStayOpen) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("a.evt"), "x");
    std::vector<QString> opened;
    QStringList messages;
    bool openSucceeds = true;
    setHelpOpener([&](const QUrl& url) { opened.push_back(url.toLocalFile()); return openSucceeds; });
    setHelpMessage([&](QWidget*, const QString& text) { messages << text; });
    openHelp(nullptr, 1024);   // no page: nothing to open
    EXPECT_EQ(messages, QStringList{QStringLiteral("Problem opening %1/help/1024.html or the help viewer").arg(dir.path())});
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
        press(dialog.get(), kIdHelp);
        EXPECT_EQ(opened.back(), dir.path() + QStringLiteral("/help/%1.html").arg(topic));
        EXPECT_EQ(dialog->result(), 0);   // still open: neither accepted nor rejected
    }
    EXPECT_EQ(static_cast<EventListDialog*>(cases.back().first.get())->list()->count(), 1);
    EXPECT_EQ(opened.size(), 5u);
    openSucceeds = false;
    openHelp(nullptr, 1002);
    EXPECT_EQ(messages.size(), 2);
    setHelpOpener({});
    setHelpMessage({});
}

TEST(EventList, ListsEventFilesLowerCasedAndSortedAndReturnsTheChoice) {
    ScratchDirectory dir;
    EXPECT_TRUE(listEventFiles(".").empty());
    EXPECT_TRUE(listEventFiles("no-such-folder").empty());
    {
        EventListDialog empty(nullptr);
        press(&empty, kIdOk);
        EXPECT_EQ(empty.chosenName(), "");
    }
    for (const char* name : {"B.EVT", "kobe-mainshock-1995.evt", "1990010100.Evt", "notes.txt", "evt",
                             "folder.evt/inside.txt"})   // a folder is not an event
        dir.write(QString::fromLatin1(name), "x");
    EventListDialog dialog(nullptr);
    QStringList shown;
    for (int i = 0; i < dialog.list()->count(); ++i) shown << dialog.list()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"1990010100.evt", "b.evt", "kobe-mainshock-1995.evt"}));
    EXPECT_EQ(findControl(&dialog, EventListDialog::kListId), dialog.list());
    for (int how : {0, 1, 2}) {   // OK, a double click, Cancel
        EventListDialog d(nullptr);
        d.list()->setCurrentRow(2 - how);
        if (how == 1) emit d.list()->itemDoubleClicked(d.list()->currentItem());
        else press(&d, how == 0 ? kIdOk : kIdCancel);
        EXPECT_EQ(d.result(), how == 2 ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(d.chosenName(), how == 0 ? "kobe-mainshock-1995.evt" : how == 1 ? "b.evt" : "");
    }
}
