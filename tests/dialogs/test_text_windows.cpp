// Information and tutorial windows: the fitted text rectangle, where the
// window and its buttons stand, what the buttons and clicks do.
#include "dialogs/Buttons.h"
#include "dialogs/TextWindows.h"
#include "DialogTestSupport.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <map>

namespace {

// A text of one line, `natural` pixels wide in the large font.
TextMeasure oneLine(int natural) {
    return [=](bool large, int width) {
        const int w = large ? natural : natural * 2 / 3;
        return QSize(std::min(w, width), (w + width - 1) / width * (large ? 20 : 13));
    };
}

const QRect kScreen(0, 0, 1024, 768);
QRect screenRect() { return QGuiApplication::primaryScreen()->geometry(); }

bool hasInk(const QImage& image, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelColor(x, y).lightness() < 60) return true;
    return false;
}

}  // namespace

TEST(TextFit, WidensTenPercentAtATimeToTheRatioOrTenSteps) {
    EXPECT_EQ(fitTextSize(oneLine(140), true, 4), QSize(176, 120));   // one widening
    EXPECT_EQ(fitTextSize(oneLine(140), true, 5), QSize(212, 120));   // 176, 193, 212
    // A long text (area model): widened until 4:3 is reached, no further.
    std::vector<QSize> seen;
    const QSize fitted = fitTextSize([&](bool, int width) {
        const QSize m(width, (2000 + width - 1) / width * 20);
        seen.push_back(QSize(width, std::max(120, m.height())));
        return m;
    }, true, 4);
    ASSERT_GE(seen.size(), 2u);
    int expected = 160;
    for (const QSize& s : seen) EXPECT_EQ(s.width(), expected = expected * 11 / 10);
    EXPECT_EQ(fitted, seen.back());
    EXPECT_GE(fitted.width(), fitted.height() * 4 / 3);
    EXPECT_LT(seen[seen.size() - 2].width(), seen[seen.size() - 2].height() * 4 / 3);
    // A huge text: ten widenings from 160 and no more; a long word widens.
    int calls = 0;
    EXPECT_EQ(fitTextSize([&](bool, int w) { ++calls; return QSize(w, 100000); }, true, 4), QSize(409, 100000));
    EXPECT_EQ(calls, 10);
    EXPECT_EQ(fitTextSize([](bool, int w) { return QSize(std::max(w, 300), 20); }, true, 4), QSize(300, 120));
}

TEST(TextLayout, InformationIsCentredTutorialsStandTenPixelsFromTheRightAndTop) {
    TextWindowLayout l = layoutTextWindow(kFormInformation, oneLine(140), kScreen, 16, 2, 7);
    EXPECT_TRUE(l.largeFont);
    EXPECT_EQ(l.textRect, QRect(10, 10, 176 + 16, 120 + 16));
    const int W = 176 + 36, H = 120 + 36;
    EXPECT_EQ(l.windowRect, QRect((1024 - W) / 2, (768 - H) / 2, W, H + 32 + 10));
    l = layoutTextWindow(kFormAutomaticTutorial, oneLine(140), kScreen, 16, 1.5f, 7);
    EXPECT_EQ(l.windowRect.x() + l.windowRect.width(), 1024 - 10);
    EXPECT_EQ(l.windowRect.y(), 10);
    EXPECT_EQ(l.textRect, QRect(10, 10 + 32, 212 + 16, 120 + 16));
    EXPECT_EQ(l.windowRect.height(), 120 + 36 + 32 + 24 + 10);
}

TEST(TextLayout, TooBigForTheLargeFontFallsBackToTheNormalSize) {
    // 0.9 of 1024 is 921.6 for information, 0.8 (819.2) for the tutorials.
    TextWindowLayout l = layoutTextWindow(kFormInformation, [](bool large, int width) {
        return large ? QSize(std::max(width, 930), 60) : QSize(std::max(width, 600), 40);
    }, kScreen, 16, 2, 7);
    EXPECT_FALSE(l.largeFont);
    EXPECT_EQ(l.fitted, QSize(600, 120));
    const TextMeasure n = [](bool, int width) { return QSize(std::max(width, 900), 60); };
    EXPECT_TRUE(layoutTextWindow(kFormInformation, n, kScreen, 16, 2, 7).largeFont);
    EXPECT_FALSE(layoutTextWindow(kFormBrowsedTutorial, n, kScreen, 16, 2, 7).largeFont);
    // Too high: more than 0.8 of the screen height.
    l = layoutTextWindow(kFormInformation, [](bool large, int w) { return QSize(w, large ? 700 : 500); },
                         kScreen, 16, 2, 7);
    EXPECT_FALSE(l.largeFont);
    EXPECT_EQ(l.fitted.height(), 500);
    // Too big even so: shown with the last fit, its top kept at y 10.
    l = layoutTextWindow(kFormInformation, [](bool, int w) { return QSize(w, 900); }, kScreen, 16, 2, 7);
    EXPECT_FALSE(l.largeFont);
    EXPECT_EQ(l.fitted.height(), 900);
    EXPECT_EQ(l.windowRect.y(), 10);
    EXPECT_GE(l.windowRect.x(), 10);
}

TEST(TextLayout, ShortWindowsAreWidenedToTheirButtonRowAndNoButtonsTouch) {
    // With an average character width of 10 the tutorial buttons are 120
    // wide: Previous | Cancel | Next need 3 x 120 + 40 pixels.
    EXPECT_EQ(buttonRowWidth(kFormBrowsedTutorial, 10), 400);
    EXPECT_EQ(buttonRowWidth(kFormAutomaticTutorial, 10), 270);
    EXPECT_EQ(buttonRowWidth(kFormInformation, 10), 230);
    for (int form : {kFormInformation, kFormAutomaticTutorial, kFormBrowsedTutorial})
        for (int average : {6, 7, 10, 14}) {
            const TextWindowLayout l = layoutTextWindow(form, oneLine(140), kScreen, 16, 2, average);
            const QSize window = l.windowRect.size();
            const bool info = form == kFormInformation;
            SCOPED_TRACE(testing::Message() << form << " " << average);
            EXPECT_EQ(window.width(), std::max(buttonRowWidth(form, average), info ? 212 : 248));
            EXPECT_EQ(l.textRect.width(), window.width() - 20);
            if (!info) EXPECT_EQ(l.windowRect.right(), 1024 - 10 - 1);
            std::vector<QRect> rects;
            for (int position : {kTutorialFirst, kTutorialMiddle, kTutorialLast})
                for (const ButtonPlace& p : info ? infoButtonPlaces(window, 16, average, 2, true)
                                                 : tutorialButtonPlaces(window, 16, average, form, position))
                    rects.push_back(p.rect);
            for (const QRect& a : rects) {
                EXPECT_TRUE(QRect(10, 0, window.width() - 20, window.height()).contains(a));
                for (const QRect& b : rects)
                    if (a != b) EXPECT_FALSE(a.adjusted(-5, 0, 5, 0).intersects(b));
            }
        }
}

TEST(TextLayout, ButtonsPerFormAndPosition) {
    const auto layout = [](std::vector<ButtonPlace> places) {
        std::map<QString, QRect> out;
        for (const ButtonPlace& p : places) out[p.label] = p.rect;
        return out;
    };
    using Places = std::map<QString, QRect>;
    const QRect back(10, 158, 70, 32), more(220, 158, 70, 32);
    EXPECT_EQ(layout(infoButtonPlaces(QSize(300, 200), 16, 7, 2, false)), (Places{{"Back", back}}));
    EXPECT_EQ(layout(infoButtonPlaces(QSize(300, 200), 16, 7, 2, true)), (Places{{"Back", back}, {"More...", more}}));
    EXPECT_EQ(infoButtonPlaces(QSize(300, 200), 16, 7, 2, true)[1].id, kIdMore);
    const int width = 12 * 7, y = 250 - 32 - 10;
    const QRect right(400 - width - 10, y, width, 32), left(10, y, width, 32), beside(width + 20, y, width, 32);
    const auto tutorial = [&](int form, int position) {
        return layout(tutorialButtonPlaces(QSize(400, 250), 16, 7, form, position));
    };
    EXPECT_EQ(tutorial(kFormAutomaticTutorial, 1), (Places{{"Continue", right}, {"Cancel", left}}));
    EXPECT_EQ(tutorial(kFormBrowsedTutorial, kTutorialFirst), (Places{{"Next", right}, {"Cancel", left}}));
    EXPECT_EQ(tutorial(kFormBrowsedTutorial, kTutorialMiddle),
              (Places{{"Next", right}, {"Previous", left}, {"Cancel", beside}}));
    EXPECT_EQ(tutorial(kFormBrowsedTutorial, kTutorialLast), (Places{{"Previous", left}, {"Cancel", beside}}));
}

TEST(InfoWindow, ShowsTheFileOrSaysItIsMissingAndBackCloses) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("U.INF"), "Caf\xC3\xA9\r\n");
    dir.write(QStringLiteral("L.INF"), "Caf\xE9 au lait\r\n");   // not UTF-8: read as Latin-1
    RecordedClicks sound;
    EXPECT_EQ(InfoWindow(nullptr, QStringLiteral("U.INF")).text(), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(InfoWindow(nullptr, QStringLiteral("L.INF")).text(), QStringLiteral("Caf\u00e9 au lait"));
    EXPECT_EQ(InfoWindow(nullptr, QString(150, QLatin1Char('n'))).text().size(), 99);
    InfoWindow window(nullptr, QStringLiteral("GONE.INF"));
    window.show();
    EXPECT_EQ(window.text(), QStringLiteral("File GONE.INF not found"));
    EXPECT_EQ(window.moreButton(), nullptr);
    EXPECT_EQ(window.backButton()->label(), QStringLiteral("Back"));
    EXPECT_FALSE(window.done());
    window.backButton()->click();
    EXPECT_TRUE(window.done());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(sound.clicks(), 1u);
}

TEST(InfoWindow, IsCentredAndPaintsItsTextPlate) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("3D.INF"), "The globe shows the waves.\r\n");
    InfoWindow window(nullptr, QStringLiteral("3D.INF"));
    const TextWindowLayout& l = window.layout();
    const QRect screen = screenRect();
    EXPECT_EQ(window.geometry(), l.windowRect);
    EXPECT_EQ(l.windowRect.x(), std::max(10, (screen.width() - l.windowRect.width()) / 2));
    EXPECT_EQ(l.windowRect.y(), std::max(10, (screen.height() - l.windowRect.height() + l.buttonRowHeight) / 2));
    EXPECT_GE(l.fitted.width(), l.fitted.height() * 4 / 3);
    const QImage image = window.grab().toImage();
    const QRect r = l.textRect;
    EXPECT_EQ(image.pixelColor(r.x() + 3, r.bottom() - 3), QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(r.x(), r.center().y()), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(r.right(), r.center().y()), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(r.center().x(), r.bottom()), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(192, 192, 192));
    EXPECT_TRUE(hasInk(image, r.adjusted(8, 6, -8, -6)));   // black text inside the plate
}

TEST(InfoWindow, MoreOpensTheFollowUpBesideTheFirstFileAndBackClosesBoth) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("quake/FIRST.INF"), "First page.\r\n<more \"NEXT.INF\">\r\n");
    dir.write(QStringLiteral("quake/next.inf"), "Second page.\r\n");
    RecordedClicks sound;
    InfoWindow window(nullptr, QStringLiteral("quake/FIRST.INF"));
    window.show();
    EXPECT_EQ(window.moreFile(), QStringLiteral("NEXT.INF"));
    EXPECT_FALSE(window.text().contains(QLatin1Char('<')));
    ASSERT_NE(window.moreButton(), nullptr);
    EXPECT_EQ(window.moreButton()->geometry().right() + 1, window.width() - 10);
    window.moreButton()->click();
    QPointer<InfoWindow> followUp = window.followUp();
    ASSERT_FALSE(followUp.isNull());
    EXPECT_TRUE(followUp->isVisible());
    EXPECT_EQ(followUp->text(), QStringLiteral("Second page."));   // found whatever the case
    EXPECT_EQ(followUp->moreButton(), nullptr);
    // A second "More..." replaces the follow-up rather than leaving it behind.
    window.moreButton()->click();
    EXPECT_TRUE(followUp.isNull());
    followUp = window.followUp();
    ASSERT_FALSE(followUp.isNull());
    window.backButton()->click();
    EXPECT_TRUE(followUp.isNull());
    EXPECT_TRUE(window.done() && !window.isVisible());
    EXPECT_EQ(sound.clicks(), 3u);
}

TEST(TextWindows, ClicksOnTheWindowCloseItAndRightClickSendsMap) {
    ScratchDirectory dir;
    for (bool tutorial : {false, true})
        for (bool restart : {false, true}) {
            RightButtonRestart setting(restart);
            std::vector<int> commands;
            std::unique_ptr<TextWindow> window;
            if (tutorial) window = std::make_unique<TutorialWindow>(nullptr, QStringLiteral("S.INF"), kFormAutomaticTutorial);
            else window = std::make_unique<InfoWindow>(nullptr, QStringLiteral("S.INF"));
            window->setCommandHandler([&](int id) { commands.push_back(id); });
            for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
                window->show();
                mouseClick(window.get(), button, window->layout().textRect.center());
                deliverQueued();
                EXPECT_FALSE(window->isVisible());
                EXPECT_EQ(window->done(), !tutorial);   // a tutorial page gets no answer
            }
            EXPECT_EQ(commands, restart ? std::vector<int>{202} : std::vector<int>{});
        }
}

TEST(TutorialWindow, PositionsShowTheirButtonsAndTheWindowStandsTopRight) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("STEP1.INF"), "Watch the P wave.\r\n");
    const auto buttons = [](const TutorialWindow& w) {
        std::vector<int> shown;
        for (int id : {kIdNext, kIdPrevious, kIdTutorialCancel, kIdContinue})
            if (w.button(id)) shown.push_back(id);
        return shown;
    };
    TutorialWindow first(nullptr, QStringLiteral("STEP1.INF"), kFormBrowsedTutorial, kTutorialFirst);
    EXPECT_EQ(buttons(first), (std::vector<int>{kIdNext, kIdTutorialCancel}));
    EXPECT_EQ(first.button(kIdNext)->geometry().right() + 1, first.width() - 10);
    TutorialWindow last(nullptr, QStringLiteral("STEP1.INF"), kFormBrowsedTutorial, kTutorialLast);
    EXPECT_EQ(buttons(last), (std::vector<int>{kIdPrevious, kIdTutorialCancel}));
    EXPECT_EQ(last.button(kIdPrevious)->x(), 10);
    EXPECT_EQ(last.button(kIdTutorialCancel)->x(), last.button(kIdPrevious)->width() + 20);
    TutorialWindow automatic(nullptr, QStringLiteral("STEP1.INF"), kFormAutomaticTutorial);
    EXPECT_EQ(buttons(automatic), (std::vector<int>{kIdTutorialCancel, kIdContinue}));
    EXPECT_EQ(first.geometry().x() + first.width(), screenRect().width() - 10);
    EXPECT_EQ(first.geometry().y(), 10);
    // The heading plate: a sunken panel from x 9 with the text in it.
    const QImage image = automatic.grab().toImage();
    EXPECT_EQ(image.pixelColor(9, 15), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(automatic.width() - 8, 15), QColor(255, 255, 255));
    EXPECT_TRUE(hasInk(image, QRect(automatic.width() / 2 - 20, 8, 40, 22)));
}

TEST(TutorialWindow, MiddlePageButtonsDoNotOverlapInAWideFont) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("STEP.INF"), "Short.\r\n");
    const QFont saved = QApplication::font();
    QFont wide = saved;
    wide.setPixelSize(24);
    QApplication::setFont(wide);
    {
        TutorialWindow window(nullptr, QStringLiteral("STEP.INF"), kFormBrowsedTutorial, kTutorialMiddle);
        const QRect previous = window.button(kIdPrevious)->geometry(),
                    cancel = window.button(kIdTutorialCancel)->geometry(), next = window.button(kIdNext)->geometry();
        EXPECT_LT(previous.right(), cancel.left());
        EXPECT_LT(cancel.right() + 5, next.left());
        EXPECT_EQ(next.right() + 1, window.width() - 10);
        EXPECT_GE(window.width(), 3 * cancel.width() + 40);
    }
    QApplication::setFont(saved);
}

TEST(TutorialWindow, ButtonsSetDoneAndTheirFlag) {
    ScratchDirectory dir;
    RecordedClicks sound;
    const std::pair<int, int> cases[] = {{kIdNext, kTutorialMiddle}, {kIdPrevious, kTutorialMiddle},
                                         {kIdTutorialCancel, kTutorialFirst}, {kIdContinue, -1}};
    for (const auto& [id, position] : cases) {
        TutorialWindow window(nullptr, QStringLiteral("S.INF"),
                              position < 0 ? kFormAutomaticTutorial : kFormBrowsedTutorial, std::max(position, 0));
        window.show();
        window.button(id)->click();
        EXPECT_TRUE(window.done() && !window.isVisible()) << id;
        EXPECT_EQ(window.nextFlag(), id == kIdNext);
        EXPECT_EQ(window.previousFlag(), id == kIdPrevious);
        EXPECT_EQ(window.cancelFlag(), id == kIdTutorialCancel);
        EXPECT_EQ(window.continueFlag(), id == kIdContinue);
    }
    EXPECT_EQ(sound.clicks(), 4u);
}
