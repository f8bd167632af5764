#include "dialogs/Buttons.h"
#include "dialogs/Frames.h"
#include "dialogs/OptionDialogs.h"
#include "dialogs/Pictures.h"
#include "DialogTestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

bool checked(const QWidget* dialog, int id) {
    auto* b = findControlAs<QAbstractButton>(dialog, id);
    return b && b->isChecked();
}

void press(const QWidget* dialog, int id) {
    auto* b = findControlAs<QAbstractButton>(dialog, id);
    ASSERT_NE(b, nullptr) << id;
    b->click();
}

QString field(const QWidget* dialog, int id) {
    auto* e = findControlAs<QLineEdit>(dialog, id);
    return e ? e->text() : QStringLiteral("<none>");
}

}  // namespace

TEST(DialogUnits, ControlsArePlacedFromTheDialogFont) {
    Settings s;
    RunState run;
    SpeedDialog dialog(nullptr, run);
    const DialogUnits u = DialogUnits::of(dialogFont());
    EXPECT_EQ(dialog.units().baseX, u.baseX);
    EXPECT_EQ(findControl(&dialog, kIdOk)->geometry(), u.rect(61, 10, 50, 14));
    EXPECT_EQ(findControl(&dialog, 111)->geometry().topLeft(), QPoint(u.x(8), u.y(9 + 120)));
    EXPECT_EQ(dialog.size(), QSize(u.x(126), u.y(148)));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Relative Speed"));
}

TEST(AudioDialog, EveryLabelFitsItsButton) {
    Settings s;
    AudioDialog dialog(nullptr, s);
    for (int id = 174; id <= 177; ++id) {
        auto* radio = findControlAs<QRadioButton>(&dialog, id);
        ASSERT_NE(radio, nullptr) << id;
        EXPECT_LE(radio->sizeHint().width(), radio->width()) << radio->text().toStdString();
        EXPECT_LE(radio->geometry().right(), dialog.width()) << id;
    }
}

TEST(AudioDialog, ShowsTheModeAndChangesItOnlyWhenConfirmed) {
    Settings s;
    s.audio = AudioMode::Chime;
    {
        AudioDialog dialog(nullptr, s);
        EXPECT_TRUE(checked(&dialog, 177));
        EXPECT_FALSE(checked(&dialog, 174) || checked(&dialog, 175) || checked(&dialog, 176));
        press(&dialog, 174);
        EXPECT_FALSE(checked(&dialog, 177));
        press(&dialog, kIdCancel);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(s.audio, AudioMode::Chime);
    }
    AudioDialog dialog(nullptr, s);
    press(&dialog, 175);
    press(&dialog, kIdOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(s.audio, AudioMode::Chime);   // the opener applies
    dialog.apply();
    EXPECT_EQ(s.audio, AudioMode::PC);
}

TEST(ViewDialog, EveryPictureClicksAndClosesWithOk) {
    Settings s;
    s.view = ViewMode::CrossSection;
    RecordedClicks sound;
    {
        ViewDialog dialog(nullptr, s);
        const QSize size = viewButtonSize(dialog.units());
        ASSERT_NE(dialog.button(kIdCancel), nullptr);
        EXPECT_EQ(dialog.button(kIdCancel)->geometry(),
                  QRect(size.width() + 10, size.height() + 10, size.width(), size.height()));
        EXPECT_EQ(dialog.button(557)->geometry().topLeft(), QPoint(5, size.height() + 10));
        dialog.button(kIdCancel)->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(s.view, ViewMode::CrossSection);
        EXPECT_EQ(sound.clicks(), 1u);
    }
    const std::pair<int, ViewMode> choices[] = {
        {557, ViewMode::Globe3D}, {556, ViewMode::All}, {558, ViewMode::CrossSection}};
    for (const auto& [id, mode] : choices) {
        ViewDialog dialog(nullptr, s);
        dialog.button(id)->click();
        EXPECT_EQ(s.view, mode) << id;
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(sound.clicks(), 4u);
}

TEST(ViewDialog, ButtonSizesComeFromTheBaseUnitsButNeverClipAPicture) {
    DialogUnits u;
    u.baseX = 8;
    u.baseY = 16;
    EXPECT_EQ(viewButtonSize(u), QSize(132, 99));
    u.baseX = 10;
    u.baseY = 20;
    EXPECT_EQ(viewButtonSize(u), QSize(164, 123));
    // Smaller units would clip the 120 x 90 miniatures: the buttons keep
    // the picture plus 6 pixels left and right, 5 above and 4 below.
    u.baseX = 6;
    u.baseY = 13;
    EXPECT_EQ(viewButtonSize(u), QSize(132, 99));
    u.baseX = 1;
    u.baseY = 1;
    EXPECT_EQ(viewButtonSize(u), QSize(132, 99));
    for (int n : {5, 6, 7, 9}) {
        EXPECT_LE(picture(n).width(), kViewPictureSize.width()) << n;
        EXPECT_LE(picture(n).height(), kViewPictureSize.height()) << n;
    }
}

TEST(ViewDialog, EveryButtonShowsItsWholePictureAndBevel) {
    Settings s;
    ViewDialog dialog(nullptr, s);
    const QRect inside(QPoint(0, 0), dialog.size());
    for (const auto& [id, number] : {std::pair{556, 5}, std::pair{557, 7}, std::pair{558, 6},
                                     std::pair{kIdCancel, 9}}) {
        PictureButton* button = dialog.button(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(inside.contains(button->geometry())) << id;
        const QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage bitmap = picture(number).convertToFormat(QImage::Format_RGB32);
        const QPoint at = PictureButton::bitmapOffset(button->size(), bitmap.size());
        // The picture's corners all show, and at least 6 / 5 / 4 pixels of face
        // are left around a miniature: the bevel is untouched.
        EXPECT_GE(at.x(), 6) << id;
        EXPECT_GE(at.y(), 5) << id;
        EXPECT_GE(image.height() - at.y() - bitmap.height(), 4) << id;
        EXPECT_EQ(image.pixelColor(at), bitmap.pixelColor(0, 0)) << id;
        EXPECT_EQ(image.pixelColor(at + QPoint(bitmap.width() - 1, bitmap.height() - 1)),
                  bitmap.pixelColor(bitmap.width() - 1, bitmap.height() - 1))
            << id;
        const int midY = image.height() / 2, midX = image.width() / 2;
        EXPECT_EQ(image.pixelColor(0, midY), ovcolors::white) << id;
        EXPECT_EQ(image.pixelColor(midX, 0), ovcolors::white) << id;
        EXPECT_EQ(image.pixelColor(image.width() - 1, midY), ovcolors::grey) << id;
        EXPECT_EQ(image.pixelColor(midX, image.height() - 1), ovcolors::grey) << id;
    }
}

TEST(PhasesDialog, ShowsFlagsAndTheFirstEightPhases) {
    Settings s;
    s.labelPhasesOnEarth = true;
    s.labelPhasesOnSeismogram = true;
    s.pPhasesOnCrossSection = true;
    for (int i = 1; i <= 10; ++i) appendPhase(s.phases, ("PH" + std::to_string(i)).c_str());
    PhasesDialog dialog(nullptr, s);
    EXPECT_TRUE(checked(&dialog, 102));
    EXPECT_FALSE(checked(&dialog, 103));
    EXPECT_TRUE(checked(&dialog, 105));
    EXPECT_TRUE(checked(&dialog, 101));
    EXPECT_FALSE(checked(&dialog, 104) || checked(&dialog, 106) || checked(&dialog, 107));
    EXPECT_EQ(field(&dialog, 111), QStringLiteral("PH1"));
    EXPECT_EQ(field(&dialog, 117), QStringLiteral("PH7"));
    EXPECT_EQ(field(&dialog, 118), QStringLiteral("PH8"));
    // Field 117 lies below field 118 in the right-hand column.
    EXPECT_GT(findControl(&dialog, 117)->y(), findControl(&dialog, 118)->y());
    EXPECT_EQ(findControl(&dialog, 117)->x(), findControl(&dialog, 115)->x());

    press(&dialog, kIdOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(s.phases.size(), 8u);
    EXPECT_EQ(s.phases[6], "PH7");
    EXPECT_EQ(s.phases[7], "PH8");
    EXPECT_TRUE(s.pPhasesOnCrossSection);
    EXPECT_TRUE(s.labelPhasesOnSeismogram);
}

TEST(PhasesDialog, EmptyFieldsCloseUpAndCancelKeepsEverything) {
    Settings s;
    appendPhase(s.phases, "Pdiff");
    {
        PhasesDialog dialog(nullptr, s);
        findControlAs<QLineEdit>(&dialog, 111)->setText(QStringLiteral("ScS"));
        press(&dialog, 104);
        press(&dialog, kIdCancel);
        ASSERT_EQ(s.phases.size(), 1u);
        EXPECT_EQ(s.phases[0], "Pdiff");
        EXPECT_FALSE(s.allPhasesOnCrossSection);
    }
    PhasesDialog dialog(nullptr, s);
    findControlAs<QLineEdit>(&dialog, 111)->setText(QStringLiteral("PcP"));
    findControlAs<QLineEdit>(&dialog, 113)->setText(QStringLiteral("sS"));
    press(&dialog, 107);
    press(&dialog, 102);
    press(&dialog, kIdOk);
    EXPECT_EQ(s.phases, (PhaseList{"PcP", "sS"}));   // case kept, gap closed
    EXPECT_TRUE(s.specifiedPhasesOnCrossSection);
    EXPECT_TRUE(s.labelPhasesOnEarth);
}

TEST(PhasesDialog, ClickingAChoiceClearsTheOthersButSetUpKeepsSeveral) {
    Settings s;
    s.allPhasesOnCrossSection = true;
    s.specifiedPhasesOnCrossSection = true;
    PhasesDialog dialog(nullptr, s);
    EXPECT_TRUE(checked(&dialog, 104));
    EXPECT_TRUE(checked(&dialog, 107));
    PhasesChoice shown = dialog.currentChoice();
    EXPECT_TRUE(shown.all && shown.specified);
    press(&dialog, 106);
    shown = dialog.currentChoice();
    EXPECT_TRUE(shown.s);
    EXPECT_FALSE(shown.all || shown.p || shown.specified);
    press(&dialog, 106);   // a second click leaves it checked
    EXPECT_TRUE(checked(&dialog, 106));
}

TEST(PhasesChoice, LongNamesAreCutToFifteenOnApply) {
    Settings s;
    PhasesChoice c;
    c.fields[3] = std::string(20, 'P');
    applyPhasesChoice(s, c);
    ASSERT_EQ(s.phases.size(), 1u);
    EXPECT_EQ(s.phases[0], std::string(15, 'P'));
}

TEST(SpeedDialog, ChecksTheNextLowerSpeedAndKeepsTheWholeNumber) {
    struct Case { float speed; int button; int kept; };
    const Case cases[] = {{30, 2, 30}, {7.9f, 4, 7}, {-7, 7, -7}, {100, 0, 100},
                          {0.5f, 5, 0}, {-150, -1, -150}, {1000, 0, 1000}};
    for (const Case& c : cases) {
        EXPECT_EQ(speedButtonFor(c.speed), c.button) << c.speed;
        RunState run;
        run.timeAcceleration = c.speed;
        SpeedDialog dialog(nullptr, run);
        for (int i = 0; i < 11; ++i) EXPECT_EQ(checked(&dialog, 101 + i), i == c.button) << c.speed;
        press(&dialog, kIdOk);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        dialog.apply();
        EXPECT_EQ(run.timeAcceleration, float(c.kept)) << c.speed;
    }
    EXPECT_EQ(speedButtonFor(std::numeric_limits<float>::quiet_NaN()), 5);
}

TEST(SpeedDialog, AClickKeepsItsValueAndCancelChangesNothing) {
    RunState run;
    run.timeAcceleration = 20;
    {
        SpeedDialog dialog(nullptr, run);
        press(&dialog, 110);   // "-50"
        EXPECT_EQ(dialog.keptSpeed(), -50);
        press(&dialog, kIdCancel);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(run.timeAcceleration, 20.0f);
    }
    SpeedDialog dialog(nullptr, run);
    press(&dialog, 110);
    press(&dialog, kIdOk);
    dialog.apply();
    EXPECT_EQ(run.timeAcceleration, -50.0f);
}

TEST(TimeWindowDialog, ChecksTheNextLongerWindow) {
    struct Case { int seconds; int button; int afterOk; };
    const Case cases[] = {{1800, 4, 1800}, {100, 0, 300}, {5400, -1, 5400},
                          {3600, 6, 3600}, {601, 1, 600}, {0, 0, 300}};
    for (const Case& c : cases) {
        EXPECT_EQ(timeWindowButtonFor(c.seconds), c.button) << c.seconds;
        RunState run;
        run.timeWindow = int16_t(c.seconds);
        TimeWindowDialog dialog(nullptr, run);
        for (int i = 0; i < 7; ++i) EXPECT_EQ(checked(&dialog, 556 + i), i == c.button) << c.seconds;
        press(&dialog, kIdOk);
        dialog.apply();
        EXPECT_EQ(run.timeWindow, c.afterOk) << c.seconds;
    }
}

TEST(TimeWindowDialog, ChosenButtonSetsMinutesTimesSixty) {
    RunState run;
    run.timeWindow = 5400;
    TimeWindowDialog dialog(nullptr, run);
    EXPECT_EQ(findControlAs<QAbstractButton>(&dialog, 559)->text(), QStringLiteral(" 20 Minutes"));
    press(&dialog, 562);
    press(&dialog, kIdOk);
    EXPECT_EQ(dialog.minutes(), 60);
    dialog.apply();
    EXPECT_EQ(run.timeWindow, 3600);
}
