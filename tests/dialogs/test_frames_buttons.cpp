#include "dialogs/Buttons.h"
#include "dialogs/Frames.h"
#include "dialogs/Pictures.h"
#include "DialogTestSupport.h"

#include <QKeyEvent>
#include <QPainter>

#include <set>

#include <gtest/gtest.h>

namespace {

QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

QImage grabbed(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

bool isLabelRed(const QColor& c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }

// Bounding box of the label's red pixels within rows [top, bottom).
QRect redBox(const QImage& image, int top, int bottom) {
    QRect box;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isLabelRed(image.pixelColor(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

QFont testFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(12);
    return f;
}

struct Parent {
    QWidget widget;
    Parent() {
        widget.resize(400, 300);
        widget.setFont(testFont());
    }
};

}  // namespace

TEST(ButtonFace, BevelIsThreePixelsBelowFortyAndFourFrom) {
    EXPECT_EQ(buttonBevelWidth(39), 3);
    EXPECT_EQ(buttonBevelWidth(40), 4);
    for (const auto& [height, bevel] : {std::pair{39, 3}, std::pair{40, 4}}) {
        Parent parent;
        FaceButton button(&parent.widget, 1000, QString(), 0, 0, 100, height);
        const QImage image = grabbed(button);
        const int mid = height / 2;
        for (int x = 0; x < bevel; ++x) EXPECT_EQ(at(image, x, mid), ovcolors::white) << height;
        EXPECT_EQ(at(image, bevel, mid), ovcolors::lightGrey) << height;
        EXPECT_EQ(at(image, 50, bevel - 1), ovcolors::white) << height;
        EXPECT_EQ(at(image, 50, bevel), ovcolors::lightGrey) << height;
        for (int x = 100 - bevel; x < 100; ++x) EXPECT_EQ(at(image, x, mid), ovcolors::grey) << height;
        EXPECT_EQ(at(image, 100 - bevel - 1, mid), ovcolors::lightGrey) << height;
        EXPECT_EQ(at(image, 50, height - bevel), ovcolors::grey) << height;
    }
}

TEST(ButtonFace, PressingSwapsBevelsAndMovesTheText) {
    Parent parent;
    FaceButton button(&parent.widget, 1000, QStringLiteral("Pause"), 0, 0, 100, 30);
    const QImage up = grabbed(button);
    button.setDown(true);
    const QImage down = grabbed(button);
    EXPECT_EQ(at(down, 1, 15), ovcolors::grey);
    EXPECT_EQ(at(down, 98, 15), ovcolors::white);
    const QRect upBox = redBox(up, 0, 30), downBox = redBox(down, 0, 30);
    ASSERT_FALSE(upBox.isEmpty());
    EXPECT_EQ(downBox, upBox.translated(1, 1));
    button.setDown(false);
    EXPECT_EQ(grabbed(button), up);
}

TEST(ButtonFace, TwoWordsGoOnTwoLinesOnlyOnATallButton) {
    Parent parent;
    const QFontMetrics fm(testFont());
    const int tall = 2 * fm.height() + 11;   // text rectangle higher than two lines
    FaceButton high(&parent.widget, 1027, QStringLiteral("World Menu"), 0, 0, 120, tall);
    QImage image = grabbed(high);
    const int cy = 5 + (tall - 10) / 2;
    const QRect upper = redBox(image, 0, cy), lower = redBox(image, cy, tall);
    ASSERT_FALSE(upper.isEmpty());
    ASSERT_FALSE(lower.isEmpty());
    EXPECT_NEAR(upper.width(), fm.boundingRect(QStringLiteral("World")).width(), 3);
    EXPECT_NEAR(lower.width(), fm.boundingRect(QStringLiteral("Menu")).width(), 3);
    EXPECT_NEAR(upper.center().x(), 60, 2);
    EXPECT_NEAR(lower.center().x(), 60, 2);

    const int low = 2 * fm.height() + 10;   // exactly two lines: not enough
    FaceButton flat(&parent.widget, 1027, QStringLiteral("World Menu"), 0, 0, 120, low);
    image = grabbed(flat);
    const QRect all = redBox(image, 0, low);
    EXPECT_NEAR(all.width(), fm.boundingRect(QStringLiteral("World Menu")).width(), 3);
    EXPECT_LT(all.height(), fm.height());
    // Baseline at the centre plus half the ascent: the letters end there.
    const int baseline = 5 + (low - 10) / 2 + fm.ascent() / 2;
    EXPECT_NEAR(all.bottom(), baseline - 1, 1);
}

TEST(ButtonFace, OnlyTheFirstTwoWordsOfALongLabelAreShown) {
    Parent parent;
    const QFontMetrics fm(testFont());
    FaceButton button(&parent.widget, 1, QStringLiteral("One Two Three"), 0, 0, 160, 60);
    const QImage image = grabbed(button);
    const QRect lower = redBox(image, 30, 60);
    EXPECT_NEAR(lower.width(), fm.boundingRect(QStringLiteral("Two")).width(), 3);
}

TEST(ButtonFace, LabelIsCutToThirtyCharacters) {
    Parent parent;
    FaceButton button(&parent.widget, 1, QString(40, QLatin1Char('x')), 0, 0, 50, 20);
    EXPECT_EQ(button.label().size(), 30);
}

TEST(ButtonFace, PaintIntoDrawsTheUnpressedFaceAtItsRectangle) {
    Parent parent;
    FaceButton button(&parent.widget, 1, QStringLiteral("Info"), 20, 30, 80, 40);
    button.setDown(true);
    QImage surface(200, 100, QImage::Format_RGB32);
    surface.fill(Qt::black);
    QPainter p(&surface);
    button.paintInto(p);
    p.end();
    EXPECT_EQ(at(surface, 19, 50), QColor(Qt::black));
    EXPECT_EQ(at(surface, 20, 50), ovcolors::white);   // unpressed bevel
    EXPECT_EQ(at(surface, 99, 50), ovcolors::grey);
    EXPECT_EQ(at(surface, 100, 50), QColor(Qt::black));
    EXPECT_FALSE(redBox(surface, 30, 70).isEmpty());
}

TEST(ButtonFace, ClickReportsTheCommandAndRightClickFollowsTheSetting) {
    Parent parent;
    FaceButton button(&parent.widget, 1028, QStringLiteral("Repeat"), 0, 0, 80, 30);
    std::vector<int> fromButton, toMain;
    QObject::connect(&button, &FaceButton::command, [&](int id) { fromButton.push_back(id); });
    setMainCommandHandler([&](int id) { toMain.push_back(id); });

    button.click();
    EXPECT_EQ(fromButton, std::vector<int>{1028});

    const bool saved = theSettings().rightButtonRestart;
    theSettings().rightButtonRestart = false;
    mouseClick(&button, Qt::RightButton, QPoint(5, 5));
    deliverQueued();
    EXPECT_TRUE(toMain.empty());
    theSettings().rightButtonRestart = true;
    mouseClick(&button, Qt::RightButton, QPoint(5, 5));
    deliverQueued();
    EXPECT_EQ(toMain, std::vector<int>{202});
    EXPECT_EQ(fromButton.size(), 1u);
    theSettings().rightButtonRestart = saved;
    setMainCommandHandler({});
}

// A key as the application delivers it: the focus widget first decides
// whether it keeps the key from the window's accelerators (the override is
// accepted), then gets the press and the release. True when it kept it.
bool typeKey(int key) {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (!target) return false;
    QKeyEvent override(QEvent::ShortcutOverride, key, Qt::NoModifier);
    override.ignore();
    QApplication::sendEvent(target, &override);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    return override.isAccepted();
}

TEST(ButtonFace, TabReachesEveryButtonWithAMarkAndSpaceOrEnterPressesIt) {
    QWidget window;
    window.resize(400, 100);
    auto* face1 = new FaceButton(&window, 1026, QStringLiteral("Pause"), 10, 10, 80, 32);
    auto* face2 = new FaceButton(&window, 1027, QStringLiteral("World Menu"), 100, 10, 80, 44);
    auto* picture = new PictureButton(&window, 101, 9, 200, 0, 100, 76);
    const std::vector<QAbstractButton*> all{face1, face2, picture};
    std::vector<int> pressed;
    for (auto* f : {face1, face2})
        QObject::connect(f, &FaceButton::command, [&](int id) { pressed.push_back(id); });
    QObject::connect(picture, &PictureButton::command, [&](int id) { pressed.push_back(id); });
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    deliverQueued();
    ASSERT_EQ(QApplication::activeWindow(), &window);

    // A focus handed out by the window itself shows nothing and presses nothing:
    // Enter is left to the window's accelerator.
    EXPECT_FALSE(typeKey(Qt::Key_Return));
    typeKey(Qt::Key_Space);
    EXPECT_TRUE(pressed.empty());

    std::set<QAbstractButton*> reached;
    for (int i = 0; i < 4; ++i) {
        typeKey(Qt::Key_Tab);
        auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        ASSERT_NE(focused, nullptr);
        reached.insert(focused);
        // The dotted mark just inside the bevels of the focused button only.
        for (QAbstractButton* b : all) {
            const QImage image = grabbed(*b);
            const QRect mark = focusMarkRect(b->rect());
            EXPECT_EQ(at(image, mark.left(), mark.top()) == ovcolors::black, b == focused);
            EXPECT_EQ(at(image, mark.right() - 1, mark.bottom()) == ovcolors::black, b == focused);
        }
        const int id = focused == face1 ? 1026 : focused == face2 ? 1027 : 101;
        pressed.clear();
        EXPECT_TRUE(typeKey(Qt::Key_Return));   // kept from the accelerator
        typeKey(Qt::Key_Space);
        EXPECT_EQ(pressed, (std::vector<int>{id, id}));
    }
    EXPECT_EQ(reached.size(), all.size());

    // A click moves no focus and leaves the mark where it was.
    QWidget* before = QApplication::focusWidget();
    for (QAbstractButton* b : all)
        if (b != before) mouseClick(b, Qt::LeftButton, QPoint(20, 20));
    EXPECT_EQ(QApplication::focusWidget(), before);
}

TEST(PictureButton, BitmapIsCentredAndClipped) {
    EXPECT_EQ(PictureButton::bitmapOffset(QSize(132, 99), QSize(120, 90)), QPoint(6, 5));
    EXPECT_EQ(PictureButton::bitmapOffset(QSize(99, 80), QSize(120, 90)), QPoint(-10, -4));

    QWidget parent;
    PictureButton button(&parent, 556, 5, 0, 0, 132, 99);
    const QImage image = grabbed(button);
    const QImage bitmap = picture(5).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(at(image, 6, 5), bitmap.pixelColor(0, 0));
    EXPECT_EQ(at(image, 125, 94), bitmap.pixelColor(119, 89));
    // Left of and below the bitmap the face shows (6 left, 4 below).
    EXPECT_EQ(at(image, 5, 50), ovcolors::lightGrey);
    EXPECT_EQ(at(image, 60, 95), ovcolors::grey);   // lower bevel, 4 rows below the bitmap
    EXPECT_EQ(at(image, 60, 4), ovcolors::lightGrey);
}

TEST(Pictures, HaveTheirSizesAndContent) {
    for (int n : {5, 6, 7}) EXPECT_EQ(picture(n).size(), QSize(120, 90)) << n;
    EXPECT_EQ(picture(9).size(), QSize(96, 72));
    EXPECT_TRUE(picture(8).isNull());
    // A red X on the Cancel picture: its middle crossing is red.
    EXPECT_EQ(picture(9).pixelColor(23, 36), QColor(255, 0, 0));
    for (int n : {kStarIcon, kStarIconDown}) {
        const QImage star = picture(n);
        EXPECT_EQ(star.size(), QSize(32, 32));
        EXPECT_EQ(star.pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(star.pixelColor(31, 31).alpha(), 0);
        EXPECT_EQ(star.pixelColor(16, 17), QColor(255, 0, 255));
    }
    EXPECT_NE(picture(kStarIcon), picture(kStarIconDown));
}

TEST(Frames, BevelFrameOutlineHighlightAndShadow) {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter p(&image);
    drawBevelFrame(p, QRect(5, 5, 40, 20), ovcolors::lightGrey, 0);   // l5 t5 r45 b25
    p.end();
    EXPECT_EQ(at(image, 5, 15), QColor(Qt::black));    // outline left
    EXPECT_EQ(at(image, 45, 15), QColor(Qt::black));   // outline through r
    EXPECT_EQ(at(image, 20, 6), ovcolors::white);
    EXPECT_EQ(at(image, 20, 7), ovcolors::white);
    EXPECT_EQ(at(image, 7, 15), ovcolors::white);
    EXPECT_EQ(at(image, 8, 15), ovcolors::lightGrey);
    EXPECT_EQ(at(image, 20, 23), QColor(Qt::black));
    EXPECT_EQ(at(image, 43, 15), QColor(Qt::black));
    EXPECT_EQ(at(image, 20, 15), ovcolors::lightGrey);
    EXPECT_EQ(at(image, 50, 15), QColor(Qt::blue));
}

TEST(Frames, PanelBandSurroundAndSeparator) {
    QImage image(80, 60, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter p(&image);
    drawBevelPanel(p, QRect(0, 0, 40, 30), ovcolors::lightGrey, false, 2, 3);
    drawSunkenSurround(p, QRect(50, 10, 20, 20));
    drawSeparatorLine(p, QRect(0, 40, 40, 10));
    p.end();
    EXPECT_EQ(at(image, 0, 15), ovcolors::grey);     // sunken: upper-left grey
    EXPECT_EQ(at(image, 39, 15), ovcolors::white);
    EXPECT_EQ(at(image, 2, 15), ovcolors::lightGrey);   // band inside the bevel
    EXPECT_EQ(at(image, 4, 15), ovcolors::lightGrey);
    EXPECT_EQ(at(image, 5, 15), QColor(Qt::blue));      // inside the band: untouched
    EXPECT_EQ(at(image, 48, 15), ovcolors::grey);
    EXPECT_EQ(at(image, 60, 8), ovcolors::grey);
    EXPECT_EQ(at(image, 60, 31), ovcolors::lightGrey);
    EXPECT_EQ(at(image, 71, 20), ovcolors::lightGrey);
    EXPECT_EQ(at(image, 50, 20), QColor(Qt::black));
    EXPECT_EQ(at(image, 20, 47), ovcolors::white);
    EXPECT_EQ(at(image, 20, 46), QColor(Qt::blue));
}
