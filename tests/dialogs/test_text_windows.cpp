#include "dialogs/Buttons.h"
#include "dialogs/TextWindows.h"
#include "DialogTestSupport.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

// A text of one line, `natural` pixels wide in the large font.
TextMeasure oneLine(int natural, int lineHeight = 20) {
    return [=](bool large, int width) {
        const int w = large ? natural : natural * 2 / 3;
        const int lines = (w + width - 1) / width;
        return QSize(std::min(w, width), lines * (large ? lineHeight : lineHeight * 2 / 3));
    };
}

// A long text whose wrapped height falls as the width grows (area model).
TextMeasure longText(int area, int lineHeight) {
    return [=](bool large, int width) {
        const int a = large ? area : area / 2;
        const int lh = large ? lineHeight : lineHeight * 2 / 3;
        const int lines = (a / lh + width - 1) / width;
        return QSize(width, lines * lh);
    };
}

const QRect kScreen(0, 0, 1024, 768);

QRect screenRect() { return QGuiApplication::primaryScreen()->geometry(); }

}  // namespace

TEST(TextFit, ShortLineNeedsOneWideningForInformationThreeForTutorial) {
    EXPECT_EQ(fitTextSize(oneLine(140), true, 4), QSize(176, 120));
    EXPECT_EQ(fitTextSize(oneLine(140), true, 5), QSize(212, 120));   // 176, 193, 212
    const QSize info = fitTextSize(oneLine(140), true, 4);
    EXPECT_GT(info.width(), info.height());
    EXPECT_NEAR(double(info.width()) / info.height(), 4.0 / 3, 0.15);
}

TEST(TextFit, WideningStopsAtTheRatioOrAfterTenSteps) {
    std::vector<QSize> seen;   // width asked for, size measured
    const TextMeasure base = longText(40000, 20);
    const TextMeasure recording = [&](bool large, int width) {
        const QSize m = base(large, width);
        seen.push_back(QSize(width, std::max(120, m.height())));
        return m;
    };
    const QSize fitted = fitTextSize(recording, true, 4);
    ASSERT_GE(seen.size(), 2u);
    int expected = 160;
    for (const QSize& s : seen) {
        expected = expected * 11 / 10;   // 10 % wider each time, whole pixels
        EXPECT_EQ(s.width(), expected);
    }
    EXPECT_EQ(fitted, seen.back());
    EXPECT_GE(fitted.width(), fitted.height() * 4 / 3);
    const QSize before = seen[seen.size() - 2];
    EXPECT_LT(before.width(), before.height() * 4 / 3);

    // A huge text: ten widenings from 160 and no more.
    seen.clear();
    const TextMeasure huge = [&](bool, int width) {
        seen.push_back(QSize(width, 0));
        return QSize(width, 100000);
    };
    EXPECT_EQ(fitTextSize(huge, true, 4), QSize(409, 100000));
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(seen.back().width(), 409);   // 176, 193, 212, ..., 372, 409
}

TEST(TextFit, LongWordWidensTheRectangle) {
    const TextMeasure word = [](bool, int width) { return QSize(std::max(width, 300), 20); };
    EXPECT_EQ(fitTextSize(word, true, 4), QSize(300, 120));
}

TEST(TextLayout, InformationWindowIsCentredWithItsButtonRowBelow) {
    const TextWindowLayout l = layoutTextWindow(kFormInformation, oneLine(140), kScreen, 16, 2, 7);
    EXPECT_TRUE(l.largeFont);
    EXPECT_EQ(l.textRect, QRect(10, 10, 176 + 16, 120 + 16));
    const int W = 176 + 36, H = 120 + 36;
    EXPECT_EQ(l.windowRect, QRect((1024 - W) / 2, (768 - H) / 2, W, H + 32 + 10));
}

TEST(TextLayout, TutorialWindowStandsTenPixelsFromTheRightAndTop) {
    const TextWindowLayout l =
        layoutTextWindow(kFormAutomaticTutorial, oneLine(140), kScreen, 16, 1.5f, 7);
    EXPECT_EQ(l.windowRect.x() + l.windowRect.width(), 1024 - 10);
    EXPECT_EQ(l.windowRect.y(), 10);
    EXPECT_EQ(l.textRect, QRect(10, 10 + 32, 212 + 16, 120 + 16));
    EXPECT_EQ(l.windowRect.height(), 120 + 36 + 32 + 24 + 10);
}

TEST(TextLayout, TooWideForTheLargeFontFallsBackToTheNormalSize) {
    // 0.9 of 1024 is 921.6: a text measured 930 wide in the large font.
    const TextMeasure m = [](bool large, int width) {
        return large ? QSize(std::max(width, 930), 60) : QSize(std::max(width, 600), 40);
    };
    TextWindowLayout l = layoutTextWindow(kFormInformation, m, kScreen, 16, 2, 7);
    EXPECT_FALSE(l.largeFont);
    EXPECT_EQ(l.fitted, QSize(600, 120));
    // 0.8 of 1024 is 819.2 for the tutorial forms: 900 is too wide there only.
    const TextMeasure n = [](bool, int width) { return QSize(std::max(width, 900), 60); };
    EXPECT_TRUE(layoutTextWindow(kFormInformation, n, kScreen, 16, 2, 7).largeFont);
    EXPECT_FALSE(layoutTextWindow(kFormBrowsedTutorial, n, kScreen, 16, 2, 7).largeFont);
    // Too high: more than 0.8 of the screen height.
    const TextMeasure tall = [](bool large, int width) { return QSize(width, large ? 700 : 500); };
    l = layoutTextWindow(kFormInformation, tall, kScreen, 16, 2, 7);
    EXPECT_FALSE(l.largeFont);
    EXPECT_EQ(l.fitted.height(), 500);
    // Too big even so: shown with the last fit, its top kept at y 10.
    const TextMeasure huge = [](bool, int width) { return QSize(width, 900); };
    l = layoutTextWindow(kFormInformation, huge, kScreen, 16, 2, 7);
    EXPECT_FALSE(l.largeFont);
    EXPECT_EQ(l.fitted.height(), 900);
    EXPECT_EQ(l.windowRect.y(), 10);
    EXPECT_GE(l.windowRect.x(), 10);
}

TEST(TextLayout, ShortWindowsAreWidenedToTheirButtonRow) {
    // With an average character width of 10 the tutorial buttons are 120 wide:
    // Previous | Cancel | Next need 3 x 120 + 40 pixels, more than the 248 a
    // one-line page gets.
    EXPECT_EQ(buttonRowWidth(kFormBrowsedTutorial, 10), 400);
    EXPECT_EQ(buttonRowWidth(kFormAutomaticTutorial, 10), 270);
    EXPECT_EQ(buttonRowWidth(kFormInformation, 10), 230);
    for (int form : {kFormInformation, kFormAutomaticTutorial, kFormBrowsedTutorial}) {
        for (int average : {6, 7, 10, 14}) {
            const TextWindowLayout l =
                layoutTextWindow(form, oneLine(140), kScreen, 16, 2, average);
            const QSize window = l.windowRect.size();
            EXPECT_EQ(window.width(), std::max(buttonRowWidth(form, average),
                                               form == kFormInformation ? 212 : 248))
                << form << " " << average;
            EXPECT_EQ(l.textRect.width(), window.width() - 20) << form << " " << average;
            if (form != kFormInformation) {
                EXPECT_EQ(l.windowRect.right(), 1024 - 10 - 1) << form << " " << average;
            }
            // No two buttons touch, and each keeps 10 pixels from the edges.
            std::vector<QRect> rects;
            if (form == kFormInformation) {
                for (const ButtonPlace& p : infoButtonPlaces(window, 16, average, 2, true))
                    rects.push_back(p.rect);
            } else {
                for (int position : {kTutorialFirst, kTutorialMiddle, kTutorialLast})
                    for (const ButtonPlace& p :
                         tutorialButtonPlaces(window, 16, average, form, position))
                        rects.push_back(p.rect);
            }
            const QRect inner(10, 0, window.width() - 20, window.height());
            for (std::size_t i = 0; i < rects.size(); ++i) {
                EXPECT_TRUE(inner.contains(rects[i])) << form << " " << average;
                for (std::size_t j = 0; j < rects.size(); ++j) {
                    if (rects[i] == rects[j]) continue;
                    EXPECT_FALSE(rects[i].adjusted(-5, 0, 5, 0).intersects(rects[j]))
                        << form << " " << average;
                }
            }
        }
    }
}

TEST(TutorialWindow, MiddlePageButtonsDoNotOverlapInAWideFont) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("STEP.INF"), "Short.\r\n");
    const QFont saved = QApplication::font();
    QFont wide = saved;
    wide.setPixelSize(24);
    QApplication::setFont(wide);
    ASSERT_GT(QFontMetrics(QApplication::font()).averageCharWidth(), 6);
    {
        TutorialWindow window(nullptr, QStringLiteral("STEP.INF"), kFormBrowsedTutorial,
                              kTutorialMiddle);
        FaceButton* previous = window.button(kIdPrevious);
        FaceButton* cancel = window.button(kIdTutorialCancel);
        FaceButton* next = window.button(kIdNext);
        ASSERT_TRUE(previous && cancel && next);
        EXPECT_LT(previous->geometry().right(), cancel->geometry().left());
        EXPECT_LT(cancel->geometry().right() + 5, next->geometry().left());
        EXPECT_EQ(next->geometry().right() + 1, window.width() - 10);
        EXPECT_GE(window.width(), 3 * cancel->width() + 40);
    }
    QApplication::setFont(saved);
}

TEST(TextLayout, InfoButtons) {
    auto places = infoButtonPlaces(QSize(300, 200), 16, 7, 2, false);
    ASSERT_EQ(places.size(), 1u);
    EXPECT_EQ(places[0].id, kIdBack);
    EXPECT_EQ(places[0].rect, QRect(10, 200 - 32 - 10, 70, 32));
    places = infoButtonPlaces(QSize(300, 200), 16, 7, 2, true);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[1].label, QStringLiteral("More..."));
    EXPECT_EQ(places[1].rect, QRect(300 - 70 - 10, 158, 70, 32));
}

TEST(TextLayout, TutorialButtonsPerFormAndPosition) {
    const QSize window(400, 250);
    const int width = 12 * 7, y = 250 - 32 - 10;
    auto layout = [&](int form, int position) {
        std::map<QString, QRect> out;
        for (const ButtonPlace& p : tutorialButtonPlaces(window, 16, 7, form, position))
            out[p.label] = p.rect;
        return out;
    };
    const QRect right(400 - width - 10, y, width, 32), left(10, y, width, 32),
        beside(width + 20, y, width, 32);
    EXPECT_EQ(layout(kFormAutomaticTutorial, 1),
              (std::map<QString, QRect>{{"Continue", right}, {"Cancel", left}}));
    EXPECT_EQ(layout(kFormBrowsedTutorial, kTutorialFirst),
              (std::map<QString, QRect>{{"Next", right}, {"Cancel", left}}));
    EXPECT_EQ(layout(kFormBrowsedTutorial, kTutorialMiddle),
              (std::map<QString, QRect>{{"Next", right}, {"Previous", left}, {"Cancel", beside}}));
    EXPECT_EQ(layout(kFormBrowsedTutorial, kTutorialLast),
              (std::map<QString, QRect>{{"Previous", left}, {"Cancel", beside}}));
}

TEST(InfoWindow, MissingFileSaysSoAndBackWorks) {
    ScratchDirectory dir;
    RecordedClicks sound;
    InfoWindow window(nullptr, QStringLiteral("GONE.INF"));
    window.show();
    EXPECT_EQ(window.text(), QStringLiteral("File GONE.INF not found"));
    EXPECT_EQ(window.moreButton(), nullptr);
    ASSERT_NE(window.backButton(), nullptr);
    EXPECT_EQ(window.backButton()->label(), QStringLiteral("Back"));
    EXPECT_FALSE(window.done());
    window.backButton()->click();
    EXPECT_TRUE(window.done());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(sound.clicks(), 1u);
}

TEST(InfoWindow, NotFoundTextIsAtMost99Characters) {
    ScratchDirectory dir;
    InfoWindow window(nullptr, QString(150, QLatin1Char('n')));
    EXPECT_EQ(window.text().size(), 99);
}

TEST(InfoWindow, IsCentredAndPaintsItsTextPlate) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("3D.INF"), "The globe shows the waves.\r\n");
    InfoWindow window(nullptr, QStringLiteral("3D.INF"));
    const TextWindowLayout& l = window.layout();
    const QRect screen = screenRect();
    EXPECT_EQ(window.geometry(), l.windowRect);
    const int preButtonHeight = l.windowRect.height() - l.buttonRowHeight;
    EXPECT_EQ(l.windowRect.x(), std::max(10, (screen.width() - l.windowRect.width()) / 2));
    EXPECT_EQ(l.windowRect.y(), std::max(10, (screen.height() - preButtonHeight) / 2));
    EXPECT_GE(l.fitted.width(), l.fitted.height() * 4 / 3);
    EXPECT_EQ(window.text(), QStringLiteral("The globe shows the waves."));

    const QImage image = window.grab().toImage();
    const QRect r = l.textRect;
    EXPECT_EQ(image.pixelColor(r.x() + 3, r.bottom() - 3), QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(r.x(), r.center().y()), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(r.right(), r.center().y()), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(r.center().x(), r.bottom()), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(192, 192, 192));
    // Black text inside the plate.
    bool ink = false;
    for (int y = r.y() + 6; y < r.bottom() - 6 && !ink; ++y)
        for (int x = r.x() + 8; x < r.right() - 8 && !ink; ++x)
            ink = image.pixelColor(x, y).lightness() < 60;
    EXPECT_TRUE(ink);
}

TEST(InfoWindow, MoreOpensTheFollowUpAndBackClosesBoth) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("FIRST.INF"), "First page.\r\n<more \"NEXT.INF\">\r\n");
    dir.write(QStringLiteral("next.inf"), "Second page.\r\n");
    RecordedClicks sound;
    InfoWindow window(nullptr, QStringLiteral("FIRST.INF"));
    window.show();
    EXPECT_EQ(window.moreFile(), QStringLiteral("NEXT.INF"));
    EXPECT_FALSE(window.text().contains(QLatin1Char('<')));
    ASSERT_NE(window.moreButton(), nullptr);
    const QRect more = window.moreButton()->geometry();
    EXPECT_EQ(more.right() + 1, window.width() - 10);

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
    EXPECT_EQ(window.followUp(), nullptr);
    EXPECT_TRUE(window.done());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(sound.clicks(), 3u);
}

TEST(InfoWindow, FollowUpIsAlsoLookedForBesideTheFirstFile) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("quake/EVT.INF"), "About the event. <more \"EVT2.INF\">\r\n");
    dir.write(QStringLiteral("quake/EVT2.INF"), "More about it.\r\n");
    InfoWindow window(nullptr, QStringLiteral("quake/EVT.INF"));
    window.more();
    ASSERT_NE(window.followUp(), nullptr);
    EXPECT_EQ(window.followUp()->text(), QStringLiteral("More about it."));
}

TEST(InfoWindow, ClicksOnTheWindowActAsBackAndRightClickSendsMap) {
    ScratchDirectory dir;
    const bool saved = theSettings().rightButtonRestart;
    std::vector<int> commands;
    {
        InfoWindow window(nullptr, QStringLiteral("X.INF"));
        window.show();
        mouseClick(&window, Qt::LeftButton, QPoint(20, 20));
        EXPECT_TRUE(window.done());
        EXPECT_FALSE(window.isVisible());
    }
    for (bool restart : {false, true}) {
        theSettings().rightButtonRestart = restart;
        InfoWindow window(nullptr, QStringLiteral("X.INF"));
        window.setCommandHandler([&](int id) { commands.push_back(id); });
        window.show();
        mouseClick(&window, Qt::RightButton, QPoint(20, 20));
        deliverQueued();
        EXPECT_TRUE(window.done());
    }
    EXPECT_EQ(commands, std::vector<int>{202});
    theSettings().rightButtonRestart = saved;
}

TEST(TutorialWindow, BrowsedPositionsShowTheirButtons) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("STEP1.INF"), "Watch the P wave.\r\n");
    TutorialWindow first(nullptr, QStringLiteral("STEP1.INF"), kFormBrowsedTutorial, kTutorialFirst);
    EXPECT_NE(first.button(kIdNext), nullptr);
    EXPECT_NE(first.button(kIdTutorialCancel), nullptr);
    EXPECT_EQ(first.button(kIdPrevious), nullptr);
    EXPECT_EQ(first.button(kIdContinue), nullptr);
    EXPECT_EQ(first.button(kIdNext)->geometry().right() + 1, first.width() - 10);

    TutorialWindow last(nullptr, QStringLiteral("STEP1.INF"), kFormBrowsedTutorial, kTutorialLast);
    EXPECT_EQ(last.button(kIdNext), nullptr);
    ASSERT_NE(last.button(kIdPrevious), nullptr);
    EXPECT_EQ(last.button(kIdPrevious)->x(), 10);
    EXPECT_EQ(last.button(kIdTutorialCancel)->x(), last.button(kIdPrevious)->width() + 20);

    TutorialWindow automatic(nullptr, QStringLiteral("STEP1.INF"), kFormAutomaticTutorial);
    EXPECT_NE(automatic.button(kIdContinue), nullptr);
    EXPECT_NE(automatic.button(kIdTutorialCancel), nullptr);
    EXPECT_EQ(automatic.button(kIdNext), nullptr);

    const QRect screen = screenRect();
    EXPECT_EQ(first.geometry().x() + first.width(), screen.width() - 10);
    EXPECT_EQ(first.geometry().y(), 10);
}

TEST(TutorialWindow, ButtonsSetDoneAndTheirFlag) {
    ScratchDirectory dir;
    RecordedClicks sound;
    const std::pair<int, int> cases[] = {{kIdNext, kTutorialMiddle}, {kIdPrevious, kTutorialMiddle},
                                         {kIdTutorialCancel, kTutorialFirst}};
    for (const auto& [id, position] : cases) {
        TutorialWindow window(nullptr, QStringLiteral("S.INF"), kFormBrowsedTutorial, position);
        window.show();
        window.button(id)->click();
        EXPECT_TRUE(window.done());
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.nextFlag(), id == kIdNext);
        EXPECT_EQ(window.previousFlag(), id == kIdPrevious);
        EXPECT_EQ(window.cancelFlag(), id == kIdTutorialCancel);
        EXPECT_FALSE(window.continueFlag());
    }
    TutorialWindow window(nullptr, QStringLiteral("S.INF"), kFormAutomaticTutorial);
    window.button(kIdContinue)->click();
    EXPECT_TRUE(window.continueFlag() && window.done());
    EXPECT_EQ(sound.clicks(), 4u);
}

TEST(TutorialWindow, ClickIntoTheTextClosesWithoutAnAnswer) {
    ScratchDirectory dir;
    const bool saved = theSettings().rightButtonRestart;
    theSettings().rightButtonRestart = true;
    std::vector<int> commands;
    TutorialWindow window(nullptr, QStringLiteral("S.INF"), kFormAutomaticTutorial);
    window.setCommandHandler([&](int id) { commands.push_back(id); });
    window.show();
    mouseClick(&window, Qt::LeftButton, window.layout().textRect.center());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.done());
    window.show();
    mouseClick(&window, Qt::RightButton, window.layout().textRect.center());
    deliverQueued();
    EXPECT_FALSE(window.done());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(commands, std::vector<int>{202});
    theSettings().rightButtonRestart = saved;
}

TEST(TutorialWindow, PaintsTheHeadingPlate) {
    ScratchDirectory dir;
    TutorialWindow window(nullptr, QStringLiteral("S.INF"), kFormAutomaticTutorial);
    const QImage image = window.grab().toImage();
    // Sunken panel from x 9: grey upper-left bevel, white lower-right bevel.
    EXPECT_EQ(image.pixelColor(9, 15), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(window.width() - 8, 15), QColor(255, 255, 255));
    bool ink = false;
    for (int x = window.width() / 2 - 20; x < window.width() / 2 + 20 && !ink; ++x)
        for (int y = 8; y < 30 && !ink; ++y) ink = image.pixelColor(x, y).lightness() < 60;
    EXPECT_TRUE(ink);
}
