// Button faces, frames and pictures: pixels at their computed places.
#include "dialogs/Buttons.h"
#include "dialogs/Frames.h"
#include "dialogs/Pictures.h"
#include "DialogTestSupport.h"

#include <QPainter>

namespace {

QImage grabbed(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Bounding box of the label's red pixels within rows [top, bottom).
QRect redBox(const QImage& image, int top, int bottom) {
    QRect box;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80) box |= QRect(x, y, 1, 1);
        }
    return box;
}

struct Px { int x, y; QColor colour; };
void expectPixels(const QImage& image, std::initializer_list<Px> pixels, int tag = 0) {
    for (const Px& p : pixels) EXPECT_EQ(image.pixelColor(p.x, p.y), p.colour) << p.x << "," << p.y << " #" << tag;
}

struct Parent : QWidget {
    QFont font{QStringLiteral("DejaVu Sans")};
    Parent() {
        font.setPixelSize(12);
        setFont(font);
    }
};
const QColor kBlack(Qt::black), kBlue(Qt::blue), kWhite = ovcolors::white, kGrey = ovcolors::grey,
             kLight = ovcolors::lightGrey;

}  // namespace

TEST(ButtonFace, BevelIsThreePixelsBelowFortyAndFourFromAndPressingSwapsIt) {
    for (const auto& [h, b] : {std::pair{39, 3}, std::pair{40, 4}}) {
        EXPECT_EQ(buttonBevelWidth(h), b);
        Parent parent;
        FaceButton button(&parent, 1000, QString(), 0, 0, 100, h);
        const QImage image = grabbed(button);
        for (int x = 0; x < b; ++x) expectPixels(image, {{x, h / 2, kWhite}, {99 - x, h / 2, kGrey}}, h);
        expectPixels(image, {{b, h / 2, kLight}, {50, b - 1, kWhite}, {50, b, kLight}, {99 - b, h / 2, kLight},
                             {50, h - b, kGrey}}, h);
    }
    Parent parent;
    FaceButton button(&parent, 1000, QStringLiteral("Pause"), 0, 0, 100, 30);
    const QImage up = grabbed(button);
    button.setDown(true);
    const QImage down = grabbed(button);
    expectPixels(down, {{1, 15, kGrey}, {98, 15, kWhite}});
    ASSERT_FALSE(redBox(up, 0, 30).isEmpty());
    EXPECT_EQ(redBox(down, 0, 30), redBox(up, 0, 30).translated(1, 1));   // the text moves too
    button.setDown(false);
    EXPECT_EQ(grabbed(button), up);
}

TEST(ButtonFace, TwoWordsGoOnTwoLinesOnlyOnATallButtonAndTheLabelIsCut) {
    Parent parent;
    const QFontMetrics fm(parent.font);
    const auto width = [&](const char* s) { return fm.boundingRect(QString::fromLatin1(s)).width(); };
    const int tall = 2 * fm.height() + 11, cy = 5 + (tall - 10) / 2;   // higher than two lines
    FaceButton high(&parent, 1027, QStringLiteral("World Menu"), 0, 0, 120, tall);
    const QRect upper = redBox(grabbed(high), 0, cy), lower = redBox(grabbed(high), cy, tall);
    EXPECT_NEAR(upper.width(), width("World"), 3);
    EXPECT_NEAR(lower.width(), width("Menu"), 3);
    EXPECT_NEAR(upper.center().x(), 60, 2);
    EXPECT_NEAR(lower.center().x(), 60, 2);
    const int low = 2 * fm.height() + 10;   // exactly two lines: not enough
    FaceButton flat(&parent, 1027, QStringLiteral("World Menu"), 0, 0, 120, low);
    const QRect all = redBox(grabbed(flat), 0, low);
    EXPECT_NEAR(all.width(), width("World Menu"), 3);
    EXPECT_NEAR(all.bottom(), 5 + (low - 10) / 2 + fm.ascent() / 2 - 1, 1);   // baseline: centre + ascent / 2
    FaceButton three(&parent, 1, QStringLiteral("One Two Three"), 0, 0, 160, 60);
    EXPECT_NEAR(redBox(grabbed(three), 30, 60).width(), width("Two"), 3);   // two words only
    FaceButton longer(&parent, 1, QString(40, QLatin1Char('x')), 0, 0, 50, 20);
    EXPECT_EQ(longer.label(), QString(30, QLatin1Char('x')));
    EXPECT_EQ(longer.text(), longer.label());
}

TEST(ButtonFace, PaintIntoDrawsTheUnpressedFaceAndClicksReportTheCommand) {
    Parent parent;
    FaceButton button(&parent, 1028, QStringLiteral("Info"), 20, 30, 80, 40);
    button.setDown(true);
    QImage surface(200, 100, QImage::Format_RGB32);
    surface.fill(Qt::black);
    QPainter p(&surface);
    button.paintInto(p);
    p.end();
    expectPixels(surface, {{19, 50, kBlack}, {20, 50, kWhite}, {99, 50, kGrey}, {100, 50, kBlack}});
    EXPECT_FALSE(redBox(surface, 30, 70).isEmpty());
    // A click reports the command; a right click sends Map only when set to.
    std::vector<int> fromButton, toMain;
    QObject::connect(&button, &FaceButton::command, [&](int id) { fromButton.push_back(id); });
    setMainCommandHandler([&](int id) { toMain.push_back(id); });
    button.click();
    for (bool restart : {false, true}) {
        RightButtonRestart setting(restart);
        mouseClick(&button, Qt::RightButton, QPoint(5, 5));
    }
    EXPECT_EQ(fromButton, std::vector<int>{1028});
    EXPECT_EQ(toMain, std::vector<int>{202});
    setMainCommandHandler({});
}

TEST(Pictures, HaveTheirSizesAndContent) {
    for (int n : {5, 6, 7}) EXPECT_EQ(picture(n).size(), QSize(120, 90)) << n;
    EXPECT_EQ(picture(9).size(), QSize(96, 72));
    EXPECT_TRUE(picture(8).isNull());
    EXPECT_EQ(picture(9).pixelColor(23, 36), QColor(255, 0, 0));   // the red X of Cancel
    for (int n : {kStarIcon, kStarIconDown}) {
        EXPECT_EQ(picture(n).pixelColor(0, 0).alpha() + picture(n).pixelColor(31, 31).alpha(), 0);
        EXPECT_EQ(picture(n).pixelColor(16, 17), QColor(255, 0, 255));
    }
    EXPECT_NE(picture(kStarIcon), picture(kStarIconDown));
}

TEST(Frames, BevelFramePanelSurroundAndSeparator) {
    QImage image(140, 60, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter p(&image);
    drawBevelFrame(p, QRect(5, 5, 40, 20), kLight, 0);   // l5 t5 r45 b25
    drawBevelPanel(p, QRect(60, 0, 40, 30), kLight, false, 2, 3);
    drawSunkenSurround(p, QRect(110, 10, 20, 20));
    drawSeparatorLine(p, QRect(0, 40, 40, 10));
    p.end();
    expectPixels(image, {{5, 15, kBlack}, {45, 15, kBlack}, {20, 7, kWhite}, {7, 15, kWhite}, {8, 15, kLight},
                         {20, 23, kBlack}, {43, 15, kBlack}, {20, 15, kLight}, {50, 15, kBlue},
                         {60, 15, kGrey}, {99, 15, kWhite}, {62, 15, kLight}, {64, 15, kLight}, {65, 15, kBlue},
                         {108, 15, kGrey}, {120, 8, kGrey}, {120, 31, kLight}, {131, 20, kLight}, {110, 20, kBlack},
                         {20, 47, kWhite}, {20, 46, kBlue}});
}
