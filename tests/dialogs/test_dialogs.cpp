// The dialog toolkit: faces, frames and pictures drawn where the geometry puts them; what the dialogs
// change on OK and what Cancel leaves; where the text windows and their buttons stand, what clicks do.
#include "DialogTestSupport.h"
#include "dialogs/Buttons.h"
#include "dialogs/EventListDialog.h"
#include "dialogs/Frames.h"
#include "dialogs/HelpLauncher.h"
#include "dialogs/OptionDialogs.h"
#include "dialogs/Pictures.h"
#include "dialogs/TextWindows.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <set>

namespace {

QImage grabbed(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Bounding box of the red (button label) or, with `red` false, dark (text) pixels in an area.
QRect inkBox(const QImage& image, const QRect& area, bool red = true) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (red ? c.red() > 200 && c.green() < 80 && c.blue() < 80 : c.lightness() < 60) box |= QRect(x, y, 1, 1);
        }
    return box;
}
QRect redBox(const QImage& image, int top, int bottom) { return inkBox(image, QRect(0, top, image.width(), bottom - top)); }
bool hasInk(const QImage& image, const QRect& r) { return !inkBox(image, r, false).isEmpty(); }

struct Px {
    int x, y;
    QColor colour;
};
void expectPixels(const QImage& image, std::initializer_list<Px> pixels, int tag = 0) {
    for (const Px& p : pixels) EXPECT_EQ(image.pixelColor(p.x, p.y), p.colour) << p.x << "," << p.y << " #" << tag;
}

struct Parent : QWidget {
    QFont font{QStringLiteral("DejaVu Sans"), -1};
    Parent() { font.setPixelSize(12), setFont(font); }
};
const QColor kBlack(Qt::black), kBlue(Qt::blue), kWhite = ovcolors::white, kGrey = ovcolors::grey, kLight = ovcolors::lightGrey;

QLineEdit* field(const QWidget* dialog, int id) { return findControlAs<QLineEdit>(dialog, id); }

TextMeasure oneLine(int n) {   // a text of one line, n pixels wide in the large font
    return [=](bool large, int w) {
        const int t = large ? n : n * 2 / 3;
        return QSize(std::min(t, w), (t + w - 1) / w * (large ? 20 : 13));
    };
}
TextWindowLayout layout(int form, const TextMeasure& m, int average = 7) {
    return layoutTextWindow(form, m, QRect(0, 0, 1024, 768), 16, 2, average);
}
QRect screenRect() { return QGuiApplication::primaryScreen()->geometry(); }
const Settings kSettings;   // buttons twice the text height, no right-button restart

}   // namespace

TEST(ButtonFace, BevelIsThreePixelsBelowFortyAndFourFromPressingSwapsItAndClicksReportTheCommand) {
    for (const auto& [h, b] : {std::pair{39, 3}, std::pair{40, 4}}) {
        EXPECT_EQ(buttonBevelWidth(h), b);
        Parent parent;
        FaceButton button(&parent, Command::Pause, QString(), 0, 0, 100, h);
        const QImage image = grabbed(button);
        expectPixels(image,
                     {{0, h / 2, kWhite},
                      {b - 1, h / 2, kWhite},
                      {b, h / 2, kLight},
                      {50, b - 1, kWhite},
                      {50, b, kLight},
                      {99 - b, h / 2, kLight},
                      {100 - b, h / 2, kGrey},
                      {99, h / 2, kGrey},
                      {50, h - b, kGrey}},
                     h);
    }
    Parent parent;
    FaceButton button(&parent, Command::Pause, QStringLiteral("Pause"), 20, 30, 100, 30);
    const QImage up = grabbed(button);
    button.setDown(true);
    const QImage down = grabbed(button);
    expectPixels(down, {{1, 15, kGrey}, {98, 15, kWhite}});
    EXPECT_TRUE(!redBox(up, 0, 30).isEmpty() && redBox(down, 0, 30) == redBox(up, 0, 30).translated(1, 1));   // the text moves too
    QImage surface(200, 100, QImage::Format_RGB32);   // painted into another surface: at its place, unpressed
    surface.fill(Qt::black);
    QPainter p(&surface);
    button.paintInto(p);
    p.end();
    expectPixels(surface, {{19, 45, kBlack}, {20, 45, kWhite}, {119, 45, kGrey}, {120, 45, kBlack}});
    EXPECT_EQ(redBox(surface, 30, 60), redBox(up, 0, 30).translated(20, 30));
    button.setDown(false);
    EXPECT_EQ(grabbed(button), up);
    // A click reports the command; a right click asks for the restart only when set to, and goes to the parent when unset.
    std::vector<Command> fromButton;
    QObject::connect(&button, &FaceButton::command, [&](Command id) { fromButton.push_back(id); });
    button.click();
    struct Owner : QWidget {
        int right = 0;
        void mousePressEvent(QMouseEvent* e) override { right += e->button() == Qt::RightButton; }
    };
    for (std::optional<bool> restart : {std::optional<bool>(), std::optional(false), std::optional(true)}) {
        Owner owner;
        FaceButton told(&owner, Command::Repeat, QStringLiteral("Pause"), 20, 30, 100, 30, restart);
        int restarts = 0;
        QObject::connect(&told, &FaceButton::restartRequested, [&] { ++restarts; });
        mouseClick(&told, Qt::RightButton, QPoint(5, 5));
        EXPECT_EQ(std::pair(restarts, owner.right), std::pair(restart == true ? 1 : 0, restart ? 0 : 1));
    }
    EXPECT_EQ(fromButton, std::vector<Command>{Command::Pause});
}

TEST(ButtonFace, TwoWordsGoOnTwoLinesOnlyOnATallButtonAndALongLabelIsCut) {
    Parent parent;
    const QFontMetrics fm(parent.font);
    const auto width = [&](const char* s) { return fm.boundingRect(QString::fromLatin1(s)).width(); };
    const int tall = 2 * fm.height() + 11, cy = 5 + (tall - 10) / 2;   // higher than two lines
    FaceButton high(&parent, Command::WorldMenu, QStringLiteral("World Menu"), 0, 0, 120, tall);
    const QRect upper = redBox(grabbed(high), 0, cy), lower = redBox(grabbed(high), cy, tall);
    EXPECT_NEAR(upper.width() + lower.width(), width("World") + width("Menu"), 3);
    EXPECT_TRUE(std::abs(upper.center().x() - 60) <= 2 && std::abs(lower.center().x() - 60) <= 2) << upper.x() << " " << lower.x();
    const int low = 2 * fm.height() + 10;   // exactly two lines: not enough
    FaceButton flat(&parent, Command::WorldMenu, QStringLiteral("World Menu"), 0, 0, 120, low);
    const QRect all = redBox(grabbed(flat), 0, low);   // one line, its baseline at the centre + ascent / 2
    EXPECT_TRUE(std::abs(all.width() - width("World Menu")) <= 3
                && std::abs(all.bottom() - (5 + (low - 10) / 2 + fm.ascent() / 2 - 1)) <= 1)
        << all.width() << " " << all.bottom();
    FaceButton longer(&parent, Command::Pause, QString(40, QLatin1Char('x')), 0, 0, 50, 20);
    EXPECT_EQ(longer.label() + longer.text(), QString(60, QLatin1Char('x')));   // the label cut to 30
}

TEST(ButtonFace, TabReachesEveryButtonWithAMarkAndSpaceOrEnterPressesIt) {
    // A key as the application delivers it: the focus widget first decides whether it keeps the key from
    // the window's accelerators (the override accepted), then gets the press and the release.
    const auto typeKey = [](int key) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
        QKeyEvent override(QEvent::ShortcutOverride, key, Qt::NoModifier), press(QEvent::KeyPress, key, Qt::NoModifier),
            release(QEvent::KeyRelease, key, Qt::NoModifier);
        override.ignore();
        for (QKeyEvent* e : {&override, &press, &release}) QApplication::sendEvent(target, e);
        return override.isAccepted();
    };
    QWidget window;
    window.resize(400, 100);
    std::vector<int> pressed;
    const auto record = [&](auto id) { pressed.push_back(static_cast<int>(id)); };   // a command or a control id
    auto* face1 = new FaceButton(&window, Command::Pause, QStringLiteral("Pause"), 10, 10, 80, 32);
    auto* face2 = new FaceButton(&window, Command::WorldMenu, QStringLiteral("World Menu"), 100, 10, 80, 44);
    auto* picture = new PictureButton(&window, 101, 9, 200, 0, 100, 76);
    const std::vector<QAbstractButton*> all{face1, face2, picture};
    QObject::connect(face1, &FaceButton::command, record), QObject::connect(face2, &FaceButton::command, record);
    QObject::connect(picture, &PictureButton::command, record);
    window.show();
    QApplication::setActiveWindow(&window);
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &window);
    // A focus the window handed out by itself shows nothing and presses nothing: Enter is left to the accelerator.
    EXPECT_TRUE(!typeKey(Qt::Key_Return) && !typeKey(Qt::Key_Space) && pressed.empty());
    std::set<QAbstractButton*> reached;
    for (int i = 0; i < 4; ++i) {
        typeKey(Qt::Key_Tab);
        auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        ASSERT_NE(focused, nullptr);
        reached.insert(focused);
        for (QAbstractButton* b : all) {   // the dotted mark just inside the bevels of the focused button only
            const QImage image = grabbed(*b);
            const QRect mark = focusMarkRect(b->rect());
            EXPECT_EQ(std::pair(image.pixelColor(mark.topLeft()) == kBlack, image.pixelColor(mark.right() - 1, mark.bottom()) == kBlack),
                      std::pair(b == focused, b == focused));
        }
        const int id = static_cast<int>(focused == face1 ? Command::Pause : focused == face2 ? Command::WorldMenu : Command::ViewEarth);
        pressed.clear();
        EXPECT_TRUE(typeKey(Qt::Key_Return));   // kept from the accelerator
        typeKey(Qt::Key_Space);
        EXPECT_EQ(pressed, (std::vector<int>{id, id}));
    }
    EXPECT_EQ(reached.size(), all.size());
    QWidget* before = QApplication::focusWidget();   // a click moves no focus and leaves the mark where it was
    for (QAbstractButton* b : all)
        if (b != before) mouseClick(b, Qt::LeftButton, QPoint(20, 20));
    EXPECT_EQ(QApplication::focusWidget(), before);
}

TEST(FramesAndPictures, BevelFramePanelSurroundSeparatorAndTheStockPictures) {
    QImage image(140, 60, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter p(&image);
    drawBevelFrame(p, QRect(5, 5, 40, 20), kLight, 0);   // l5 t5 r45 b25
    drawBevelPanel(p, QRect(60, 0, 40, 30), kLight, false, 2, 3);
    drawSunkenSurround(p, QRect(110, 10, 20, 20));
    drawSeparatorLine(p, QRect(0, 40, 40, 10));
    p.end();
    expectPixels(image, {{5, 15, kBlack},   {45, 15, kBlack}, {20, 7, kWhite},  {7, 15, kWhite}, {8, 15, kLight},   {20, 23, kBlack},
                         {43, 15, kBlack},  {20, 15, kLight}, {50, 15, kBlue},  {60, 15, kGrey}, {99, 15, kWhite},  {62, 15, kLight},
                         {64, 15, kLight},  {65, 15, kBlue},  {108, 15, kGrey}, {120, 8, kGrey}, {120, 31, kLight}, {131, 20, kLight},
                         {110, 20, kBlack}, {20, 47, kWhite}, {20, 46, kBlue}});
    EXPECT_TRUE(picture(5).size() == QSize(120, 90) && picture(8).isNull() && picture(9).pixelColor(23, 36) == Qt::red);   // X of Cancel
    EXPECT_TRUE(picture(7).pixelColor(20, 45) == Qt::blue && picture(7).pixelColor(99, 1) == QColor(192, 192, 192));       // globe, buttons
    for (int n : {kStarIcon, kStarIconDown})   // a magenta star on a clear ground
        EXPECT_TRUE(picture(n).pixelColor(0, 0).alpha() == 0 && picture(n).pixelColor(16, 17) == QColor(255, 0, 255)) << n;
    EXPECT_NE(picture(kStarIcon), picture(kStarIconDown));
}

TEST(AudioDialog, ShowsTheModeAppliesTheChoiceWhenAskedAndEveryLabelFits) {
    Settings s;
    s.audio = AudioMode::Chime;
    AudioDialog dialog(nullptr, s);
    for (int id = 174; id <= 177; ++id) {
        auto* radio = findControlAs<QRadioButton>(&dialog, id);
        EXPECT_EQ(radio->isChecked(), id == 177) << id;
        EXPECT_TRUE(radio->sizeHint().width() <= radio->width() && radio->geometry().right() <= dialog.width()) << id;
    }
    press(&dialog, 175);
    press(&dialog, kIdOk);
    EXPECT_TRUE(!checked(&dialog, 177) && dialog.result() == QDialog::Accepted && s.audio == AudioMode::Chime);   // the opener applies
    dialog.apply();
    EXPECT_EQ(s.audio, AudioMode::PC);
}

TEST(ViewDialog, EveryPictureShowsWholeClicksSetsItsViewAndCloses) {
    Settings s;
    s.view = ViewMode::CrossSection;
    RecordedClicks sound;
    for (const auto& [id, mode] :
         {std::pair{kIdCancel, ViewMode::CrossSection}, {557, ViewMode::Globe3D}, {556, ViewMode::All}, {558, ViewMode::CrossSection}}) {
        ViewDialog dialog(nullptr, s, sound.sound);
        dialog.button(id)->click();
        EXPECT_TRUE(s.view == mode && dialog.result() == QDialog::Accepted) << id;   // Cancel too: it saves
    }
    EXPECT_EQ(sound.clicks(), 4u);
    // Small units would clip the 120 x 90 miniatures: the buttons keep 6 pixels left and right, 5 above, 4 below.
    for (const auto& [x, y, size] :
         {std::tuple{8, 16, QSize(132, 99)}, {10, 20, QSize(164, 123)}, {6, 13, QSize(132, 99)}, {1, 1, QSize(132, 99)}})
        EXPECT_EQ(viewButtonSize(DialogUnits{x, y}), size) << x;
    ViewDialog dialog(nullptr, s, sound.sound);
    const QSize size = viewButtonSize(dialog.units());
    EXPECT_TRUE(dialog.button(kIdCancel)->geometry() == QRect(QPoint(size.width() + 10, size.height() + 10), size)
                && dialog.button(557)->geometry().topLeft() == QPoint(5, size.height() + 10));
    for (const auto& [id, number] : {std::pair{556, 5}, {557, 7}, {558, 6}, {kIdCancel, 9}}) {
        PictureButton* button = dialog.button(id);
        EXPECT_TRUE(dialog.rect().contains(button->geometry())) << id;
        const QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage bitmap = picture(number).convertToFormat(QImage::Format_RGB32);
        const QPoint at = PictureButton::bitmapOffset(button->size(), bitmap.size()), last = bitmap.rect().bottomRight();
        EXPECT_TRUE(at.x() >= 6 && at.y() >= 5 && image.height() - at.y() - bitmap.height() >= 4) << id;
        const int midY = image.height() / 2, midX = image.width() / 2;   // the whole picture, face and bevel around it
        expectPixels(image,
                     {{at.x(), at.y(), bitmap.pixelColor(0, 0)},
                      {at.x() + last.x(), at.y() + last.y(), bitmap.pixelColor(last)},
                      {at.x() - 1, midY, kLight},
                      {0, midY, kWhite},
                      {midX, 0, kWhite},
                      {image.width() - 1, midY, kGrey},
                      {midX, image.height() - 1, kGrey}},
                     id);
    }
}

TEST(PhasesDialog, ShowsAndKeepsTheFlagsAndPhasesOnlyOnOk) {
    Settings s;
    s.labelPhasesOnEarth = s.labelPhasesOnSeismogram = s.pPhasesOnCrossSection = true;
    for (int i = 1; i <= 10; ++i) appendPhase(s.phases, ("PH" + std::to_string(i)).c_str());
    PhasesDialog dialog(nullptr, s);
    for (int id = 101; id <= 107; ++id) EXPECT_EQ(checked(&dialog, id), id == 101 || id == 102 || id == 105) << id;
    EXPECT_EQ(field(&dialog, 111)->text() + field(&dialog, 117)->text() + field(&dialog, 118)->text(), QStringLiteral("PH1PH7PH8"));
    EXPECT_TRUE(field(&dialog, 117)->y() > field(&dialog, 118)->y() && field(&dialog, 117)->x() == field(&dialog, 115)->x());   // 117 last
    press(&dialog, kIdOk);
    EXPECT_TRUE(dialog.result() == QDialog::Accepted && s.phases.size() == 8u && s.phases.back() == "PH8");
    EXPECT_TRUE(s.pPhasesOnCrossSection && s.labelPhasesOnSeismogram && !s.sPhasesOnCrossSection);
    // One choice at a time; empty fields close up, long names are cut; Cancel keeps everything.
    s = Settings();
    s.allPhasesOnCrossSection = s.specifiedPhasesOnCrossSection = true;   // set up may hold several
    appendPhase(s.phases, "Pdiff");
    for (bool ok : {false, true}) {
        PhasesDialog dialog(nullptr, s);
        EXPECT_TRUE(checked(&dialog, 104) && checked(&dialog, 107) && field(&dialog, 111)->text() == "Pdiff");
        field(&dialog, 111)->setText(QStringLiteral("PcP"));
        field(&dialog, 113)->setText(QStringLiteral("sS"));
        field(&dialog, 116)->setText(QString(20, QLatin1Char('P')));
        for (int id : {107, 106, 106, 102, ok ? kIdOk : kIdCancel}) press(&dialog, id);   // a second click leaves it checked
    }
    EXPECT_EQ(s.phases, (PhaseList{"PcP", "sS", std::string(15, 'P')}));   // case kept, gaps closed
    EXPECT_TRUE(s.sPhasesOnCrossSection && s.labelPhasesOnEarth && !s.allPhasesOnCrossSection && !s.specifiedPhasesOnCrossSection);
}

TEST(SpeedAndTimeWindowDialogs, CheckTheNearestChoiceAndKeepTheValueOnlyOnOk) {
    // The speed checks the next lower value and keeps the whole number; the window the next longer, in minutes.
    struct Case {
        float value;
        int button, click;
        float kept;
        bool ok = true;
    };
    const auto check = [](auto* type, auto field, int first, int count, std::initializer_list<Case> cases) {
        for (const Case& c : cases) {
            RunState run;
            run.*field = std::remove_reference_t<decltype(run.*field)>(c.value);
            std::remove_pointer_t<decltype(type)> dialog(nullptr, run);
            for (int i = 0; i < count; ++i) EXPECT_EQ(checked(&dialog, first + i), i == c.button) << c.value;
            if (c.click) press(&dialog, c.click);
            press(&dialog, c.ok ? kIdOk : kIdCancel);
            if (dialog.result() == QDialog::Accepted) dialog.apply();
            EXPECT_EQ(float(run.*field), c.kept) << c.value;
        }
    };
    check((SpeedDialog*)nullptr, &RunState::timeAcceleration, 101, 11,
          {{30, 2, 0, 30},
           {7.9f, 4, 0, 7},
           {-7, 7, 0, -7},
           {100, 0, 0, 100},
           {0.5f, 5, 0, 0},
           {-150, -1, 0, -150},
           {1000, 0, 0, 1000},
           {20, 2, 110, -50},
           {20, 2, 110, 20, false}});
    check((TimeWindowDialog*)nullptr, &RunState::timeWindow, 556, 7,
          {{1800, 4, 0, 1800},
           {100, 0, 0, 300},
           {5400, -1, 0, 5400},
           {3600, 6, 0, 3600},
           {601, 1, 0, 600},
           {0, 0, 0, 300},
           {5400, -1, 562, 3600}});
    EXPECT_EQ(speedButtonFor(std::numeric_limits<float>::quiet_NaN()), 5);
}

TEST(HelpLauncher, OpensTheTopicPageOrShowsTheMessageAndDialogsStayOpen) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("a.evt"), "x");
    QStringList opened, messages;
    bool openSucceeds = true;
    setHelpOpener([&](const QUrl& url) {
        opened << url.toLocalFile();
        return openSucceeds;
    });
    setHelpMessage([&](QWidget*, const QString& text) { messages << text; });
    openHelp(nullptr, 1024);   // no page: nothing to open
    EXPECT_EQ(messages, QStringList{QStringLiteral("Problem opening %1/help/1024.html or the help viewer").arg(dir.path())});
    Settings s;
    RunState run;
    EventListDialog events(nullptr);
    AudioDialog audio(nullptr, s);
    PhasesDialog phases(nullptr, s);
    SpeedDialog speed(nullptr, run);
    TimeWindowDialog window(nullptr, run);
    for (const auto& [dialog, topic] :
         {std::pair<DialogBase*, int>{&audio, 1002}, {&phases, 1019}, {&speed, 1024}, {&window, 1024}, {&events, 1013}}) {
        dir.write(QStringLiteral("help/%1.html").arg(topic), "x");
        press(dialog, kIdHelp);
        EXPECT_TRUE(opened.back() == dir.path() + QStringLiteral("/help/%1.html").arg(topic) && dialog->result() == 0)
            << topic;   // still open
    }
    openSucceeds = false;
    openHelp(nullptr, 1002);   // a failed opening is reported too, without the hook in a box of its own
    setHelpMessage({});
    QTimer::singleShot(0, &events, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) messages << box->text(), box->accept();
    });
    openHelp(nullptr, 1002);
    setHelpOpener({});
    EXPECT_TRUE(opened.size() == 7 && messages.size() == 3 && messages[2] == messages[1] && events.list()->count() == 1);
}

TEST(EventList, ListsEventFilesLowerCasedAndSortedAndReturnsTheChoice) {
    ScratchDirectory dir;
    EventListDialog empty(nullptr);
    press(&empty, kIdOk);
    EXPECT_TRUE(empty.result() == QDialog::Accepted && empty.chosenName().empty() && listEventFiles("no-such-folder").empty());
    for (const char* name :
         {"B.EVT", "kobe-mainshock-1995.evt", "1990010100.Evt", "notes.txt", "evt", "folder.evt/inside.txt"})   // a folder is not an event
        dir.write(QString::fromLatin1(name), "x");
    EventListDialog dialog(nullptr);
    QStringList shown;
    for (int i = 0; i < dialog.list()->count(); ++i) shown << dialog.list()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"1990010100.evt", "b.evt", "kobe-mainshock-1995.evt"}));
    for (int how : {0, 1, 2}) {   // OK, a double click, Cancel
        EventListDialog d(nullptr);
        d.list()->setCurrentRow(2 - how);
        if (how == 1)
            emit d.list()->itemDoubleClicked(d.list()->currentItem());
        else
            press(&d, how == 0 ? kIdOk : kIdCancel);
        EXPECT_EQ(d.chosenName() + std::to_string(d.result()), how == 0 ? "kobe-mainshock-1995.evt1" : how == 1 ? "b.evt1" : "0");
    }
}

TEST(TextLayout, WidensTenPercentAtATimePlacesTheWindowAndFallsBackToTheNormalFontWhenTooBig) {
    EXPECT_EQ(fitTextSize(oneLine(140), true, 4), QSize(176, 120));   // one widening
    EXPECT_EQ(fitTextSize(oneLine(140), true, 5), QSize(212, 120));   // 176, 193, 212
    // A long text stops at 4:3 (176, 193, 212, 233, 256), a huge one after ten widenings (..., 372, 409).
    EXPECT_EQ(fitTextSize([](bool, int w) { return QSize(w, (2000 + w - 1) / w * 20); }, true, 4), QSize(256, 160));
    std::vector<int> widths;
    EXPECT_EQ(fitTextSize(
                  [&](bool, int w) {
                      widths.push_back(w);
                      return QSize(w, 100000);
                  },
                  true, 4),
              QSize(409, 100000));
    EXPECT_EQ(widths.size(), 10u);
    EXPECT_EQ(fitTextSize([](bool, int w) { return QSize(std::max(w, 300), 20); }, true, 4), QSize(300, 120));   // long word
    TextWindowLayout l = layout(kFormInformation, oneLine(140));                                                 // centred
    EXPECT_TRUE(l.largeFont && l.textRect == QRect(10, 10, 176 + 16, 120 + 16));
    EXPECT_EQ(l.windowRect, QRect((1024 - 212) / 2, (768 - 156) / 2, 212, 156 + 32 + 10));
    l = layoutTextWindow(kFormAutomaticTutorial, oneLine(140), QRect(0, 0, 1024, 768), 16, 1.5f, 7);   // top right
    EXPECT_EQ(l.windowRect, QRect(1024 - 10 - 248, 10, 248, 120 + 36 + 32 + 24 + 10));
    EXPECT_EQ(l.textRect, QRect(10, 10 + 32, 212 + 16, 120 + 16));
    // 0.9 of 1024 is 921.6 for information, 0.8 (819.2) for the tutorials.
    l = layout(kFormInformation, [](bool large, int w) { return large ? QSize(std::max(w, 930), 60) : QSize(std::max(w, 600), 40); });
    EXPECT_TRUE(!l.largeFont && l.fitted == QSize(600, 120));
    const TextMeasure n = [](bool, int w) { return QSize(std::max(w, 900), 60); };
    EXPECT_TRUE(layout(kFormInformation, n).largeFont && !layout(kFormBrowsedTutorial, n).largeFont);
    l = layout(kFormInformation, [](bool large, int w) { return QSize(w, large ? 700 : 500); });   // too high
    EXPECT_TRUE(!l.largeFont && l.fitted.height() == 500);
    l = layout(kFormInformation, [](bool, int w) { return QSize(w, 900); });   // shown anyway, top at 10
    EXPECT_TRUE(!l.largeFont && l.fitted.height() == 900 && l.windowRect.topLeft() == QPoint((1024 - l.windowRect.width()) / 2, 10));
}

TEST(TextLayout, ShortWindowsAreWidenedToTheirButtonRowAndNoButtonsTouch) {
    // At 10 pixels a character Previous | Cancel | Next need 3 x 120 + 40.
    EXPECT_EQ(std::vector<int>({buttonRowWidth(kFormBrowsedTutorial, 10), buttonRowWidth(kFormAutomaticTutorial, 10),
                                buttonRowWidth(kFormInformation, 10)}),
              std::vector<int>({400, 270, 230}));
    for (int form : {kFormInformation, kFormAutomaticTutorial, kFormBrowsedTutorial})
        for (int average : {6, 7, 10, 14}) {
            const TextWindowLayout l = layout(form, oneLine(140), average);
            const QSize window = l.windowRect.size();
            const bool info = form == kFormInformation;
            SCOPED_TRACE(testing::Message() << form << " " << average);
            EXPECT_TRUE(window.width() == std::max(buttonRowWidth(form, average), info ? 212 : 248)
                        && l.textRect.width() == window.width() - 20);
            std::vector<QRect> rects;
            for (int position : {kTutorialFirst, kTutorialMiddle, kTutorialLast})
                for (const ButtonPlace& p :
                     info ? infoButtonPlaces(window, 16, average, 2, true) : tutorialButtonPlaces(window, 16, average, form, position))
                    rects.push_back(p.rect);
            for (const QRect& a : rects) {
                EXPECT_TRUE(QRect(10, 0, window.width() - 20, window.height()).contains(a));
                for (const QRect& b : rects) EXPECT_TRUE(a == b || !a.adjusted(-5, 0, 5, 0).intersects(b));
            }
        }
}

TEST(InfoWindow, ShowsTheFileCentredOnItsPlateOrSaysItIsMissingAndBackCloses) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("U.INF"), "Caf\xC3\xA9\r\n");
    dir.write(QStringLiteral("L.INF"), "Caf\xE9 au lait d\xE9j\xE0");   // not UTF-8: read as Latin-1, to the last letter
    RecordedClicks sound;
    const auto info = [&](const QString& name) { return InfoWindow(nullptr, kSettings, sound.sound, name).text(); };
    EXPECT_EQ(info(QStringLiteral("U.INF")) + info(QStringLiteral("L.INF")), QStringLiteral("Caf\u00e9Caf\u00e9 au lait d\u00e9j\u00e0"));
    EXPECT_EQ(info(QString(150, QLatin1Char('n'))).size(), 99);   // "File nnn... not found", cut
    InfoWindow window(nullptr, kSettings, sound.sound, QStringLiteral("GONE.INF"));
    window.show();
    EXPECT_TRUE(window.text() == "File GONE.INF not found" && !window.moreButton() && !window.done());
    EXPECT_EQ(window.backButton()->geometry().bottomLeft(), QPoint(10, window.height() - 11));
    window.backButton()->click();
    EXPECT_TRUE(window.done() && !window.isVisible() && sound.clicks() == 1u);
    dir.write(QStringLiteral("3D.INF"), "The globe shows the waves.\r\n");
    InfoWindow shown(nullptr, kSettings, sound.sound, QStringLiteral("3D.INF"));
    const TextWindowLayout& l = shown.layout();
    const QRect screen = screenRect(), r = l.textRect;   // centred above its button row
    EXPECT_EQ(shown.pos(), QPoint(std::max(10, (screen.width() - shown.width()) / 2),
                                  std::max(10, (screen.height() - shown.height() + l.buttonRowHeight) / 2)));
    const QImage image = shown.grab().toImage();
    // Yellow plate, black upper-left and white lower-right edges, grey window.
    for (const auto& [at, colour] : {std::pair{QPoint(r.x() + 3, r.bottom() - 3), QColor(255, 255, 0)},
                                     {QPoint(r.x(), r.center().y()), QColor(0, 0, 0)},
                                     {QPoint(r.right(), r.center().y()), QColor(255, 255, 255)},
                                     {QPoint(r.center().x(), r.bottom()), QColor(255, 255, 255)},
                                     {QPoint(5, 5), QColor(192, 192, 192)}})
        EXPECT_EQ(image.pixelColor(at), colour) << at.x() << "," << at.y();
    EXPECT_TRUE(hasInk(image, r.adjusted(8, 6, -8, -6)));   // black text inside the plate
}

TEST(InfoWindow, MoreOpensTheFollowUpBesideTheFirstFileAndBackClosesBoth) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("quake/FIRST.INF"), "First page.\r\n<more \"NEXT.INF\">\r\n");
    dir.write(QStringLiteral("quake/next.inf"), "Second page.\r\n");
    RecordedClicks sound;
    InfoWindow window(nullptr, kSettings, sound.sound, QStringLiteral("quake/FIRST.INF"));
    window.setCommandHandler([](Command) {});   // handed on to the follow-up
    window.show();
    EXPECT_TRUE(window.moreFile() == "NEXT.INF" && !window.text().contains(QLatin1Char('<')));
    EXPECT_EQ(window.moreButton()->geometry().right() + 1, window.width() - 10);
    window.moreButton()->click();
    QPointer<InfoWindow> followUp = window.followUp();
    ASSERT_FALSE(followUp.isNull());
    EXPECT_TRUE(followUp->isVisible() && !followUp->moreButton() && followUp->text() == "Second page."
                && followUp->commandHandler());   // found whatever the case
    window.moreButton()->click();                 // replaces the follow-up rather than leaving it behind
    EXPECT_TRUE(followUp.isNull() && !(followUp = window.followUp()).isNull());
    window.backButton()->click();
    EXPECT_TRUE(followUp.isNull() && window.done() && !window.isVisible() && sound.clicks() == 3u);
}

TEST(TextWindows, ClicksOnTheWindowCloseItAndRightClickSendsMap) {
    ScratchDirectory dir;
    RecordedClicks sound;
    for (bool tutorial : {false, true})
        for (bool restart : {false, true}) {
            Settings s;
            s.rightButtonRestart = restart;
            std::vector<Command> commands;
            std::unique_ptr<TextWindow> window(
                tutorial ? static_cast<TextWindow*>(new TutorialWindow(nullptr, s, sound.sound, QStringLiteral("S.INF"), 1))
                         : new InfoWindow(nullptr, s, sound.sound, QStringLiteral("S.INF")));
            window->setCommandHandler([&](Command id) { commands.push_back(id); });
            mouseClick(window->findChild<FaceButton*>(), Qt::RightButton, QPoint(5, 5));   // a button sends it too
            for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
                window->show();
                mouseClick(window.get(), button, window->layout().textRect.center());
                EXPECT_TRUE(!window->isVisible() && window->done() == !tutorial);   // a tutorial page gets no answer
            }
            EXPECT_EQ(commands, std::vector<Command>(restart ? 2 : 0, Command::Map));
        }
}

TEST(TutorialWindow, PositionsShowTheirButtonsWhichSetTheirFlagAndNoneOverlapInAWideFont) {
    ScratchDirectory dir;
    RecordedClicks sound;                              // each button closes the window and sets its own flag only
    const auto shown = [&](int form, int position) {   // which of Next, Previous, Cancel, Continue
        TutorialWindow w(nullptr, kSettings, sound.sound, QStringLiteral("S.INF"), form, position);
        std::string out;
        for (Command id : {Command::TutorialNext, Command::TutorialPrevious, Command::TutorialCancel, Command::TutorialContinue})
            out += w.button(id) ? "x" : ".";
        return out;
    };
    EXPECT_EQ(shown(kFormBrowsedTutorial, kTutorialFirst) + shown(kFormBrowsedTutorial, kTutorialLast) + shown(kFormAutomaticTutorial, 0),
              "x.x..xx...xx");
    TutorialWindow window(nullptr, kSettings, sound.sound, QStringLiteral("S.INF"), kFormBrowsedTutorial, kTutorialLast);
    EXPECT_TRUE(window.geometry().right() == screenRect().width() - 11 && window.geometry().y() == 10);
    EXPECT_EQ(window.button(Command::TutorialPrevious)->x() + window.button(Command::TutorialCancel)->x(),
              30 + window.button(Command::TutorialPrevious)->width());
    const QImage image = window.grab().toImage();   // the heading: a sunken panel from x 9 with the text in it
    EXPECT_TRUE(image.pixelColor(9, 15) == QColor(128, 128, 128) && image.pixelColor(window.width() - 8, 15) == Qt::white);
    EXPECT_TRUE(hasInk(image, QRect(window.width() / 2 - 20, 8, 40, 22)));
    for (const auto& [id, position] : {std::pair{Command::TutorialNext, kTutorialMiddle},
                                       {Command::TutorialPrevious, kTutorialMiddle},
                                       {Command::TutorialCancel, kTutorialFirst},
                                       {Command::TutorialContinue, -1}}) {
        TutorialWindow w(nullptr, kSettings, sound.sound, QStringLiteral("S.INF"),
                         position < 0 ? kFormAutomaticTutorial : kFormBrowsedTutorial, std::max(position, 0));
        w.show();
        w.button(id)->click();
        EXPECT_TRUE(w.done() && !w.isVisible()) << static_cast<int>(id);
        EXPECT_EQ(std::vector<bool>({w.nextFlag(), w.previousFlag(), w.cancelFlag(), w.continueFlag()}),
                  std::vector<bool>({id == Command::TutorialNext, id == Command::TutorialPrevious, id == Command::TutorialCancel,
                                     id == Command::TutorialContinue}));
    }
    EXPECT_EQ(sound.clicks(), 4u);
    const QFont saved = QApplication::font();
    QFont wide = saved;
    wide.setPixelSize(24);
    QApplication::setFont(wide);
    const TutorialWindow wider(nullptr, kSettings, sound.sound, QStringLiteral("S.INF"), kFormBrowsedTutorial,
                               kTutorialMiddle);   // laid out once, here
    QApplication::setFont(saved);
    const QRect previous = wider.button(Command::TutorialPrevious)->geometry(), cancel = wider.button(Command::TutorialCancel)->geometry(),
                next = wider.button(Command::TutorialNext)->geometry();
    EXPECT_TRUE(previous.right() < cancel.left() && cancel.right() + 5 < next.left() && next.right() + 1 == wider.width() - 10);
}
