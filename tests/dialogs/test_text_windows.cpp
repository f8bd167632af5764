// Information and tutorial windows: the fitted text rectangle, where the
// window and its buttons stand, what the buttons and clicks do.
#include "dialogs/Buttons.h"
#include "dialogs/TextWindows.h"
#include "DialogTestSupport.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace {

// A text of one line, `natural` pixels wide in the large font.
TextMeasure oneLine(int natural) {
    return [=](bool large, int width) {
        const int w = large ? natural : natural * 2 / 3;
        return QSize(std::min(w, width), (w + width - 1) / width * (large ? 20 : 13));
    };
}
TextWindowLayout layout(int form, const TextMeasure& m, int average = 7) {
    return layoutTextWindow(form, m, QRect(0, 0, 1024, 768), 16, 2, average);
}
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
    std::vector<int> widths;   // a long text: widened until 4:3 is reached, no further
    const QSize fitted = fitTextSize([&](bool, int w) { widths.push_back(w); return QSize(w, (2000 + w - 1) / w * 20); }, true, 4);
    ASSERT_GE(widths.size(), 2u);
    for (std::size_t i = 0, expected = 160; i < widths.size(); ++i) EXPECT_EQ(widths[i], int(expected = expected * 11 / 10));
    EXPECT_EQ(fitted.width(), widths.back());
    EXPECT_GE(fitted.width(), fitted.height() * 4 / 3);
    const int w = widths[widths.size() - 2];
    EXPECT_LT(w, std::max(120, (2000 + w - 1) / w * 20) * 4 / 3);
    widths.clear();   // a huge text: ten widenings from 160 and no more
    EXPECT_EQ(fitTextSize([&](bool, int w) { widths.push_back(w); return QSize(w, 100000); }, true, 4), QSize(409, 100000));
    EXPECT_EQ(widths.size(), 10u);
    EXPECT_EQ(fitTextSize([](bool, int w) { return QSize(std::max(w, 300), 20); }, true, 4), QSize(300, 120));   // long word
}

TEST(TextLayout, PlacesTheWindowAndFallsBackToTheNormalFontWhenTooBig) {
    TextWindowLayout l = layout(kFormInformation, oneLine(140));   // centred
    EXPECT_TRUE(l.largeFont);
    EXPECT_EQ(l.textRect, QRect(10, 10, 176 + 16, 120 + 16));
    EXPECT_EQ(l.windowRect, QRect((1024 - 212) / 2, (768 - 156) / 2, 212, 156 + 32 + 10));
    l = layoutTextWindow(kFormAutomaticTutorial, oneLine(140), QRect(0, 0, 1024, 768), 16, 1.5f, 7);
    EXPECT_EQ(l.windowRect.right(), 1024 - 10 - 1);   // tutorials stand top right
    EXPECT_EQ(l.windowRect.y(), 10);
    EXPECT_EQ(l.textRect, QRect(10, 10 + 32, 212 + 16, 120 + 16));
    EXPECT_EQ(l.windowRect.height(), 120 + 36 + 32 + 24 + 10);
    // 0.9 of 1024 is 921.6 for information, 0.8 (819.2) for the tutorials.
    l = layout(kFormInformation, [](bool large, int w) { return large ? QSize(std::max(w, 930), 60) : QSize(std::max(w, 600), 40); });
    EXPECT_FALSE(l.largeFont);
    EXPECT_EQ(l.fitted, QSize(600, 120));
    const TextMeasure n = [](bool, int w) { return QSize(std::max(w, 900), 60); };
    EXPECT_TRUE(layout(kFormInformation, n).largeFont);
    EXPECT_FALSE(layout(kFormBrowsedTutorial, n).largeFont);
    l = layout(kFormInformation, [](bool large, int w) { return QSize(w, large ? 700 : 500); });   // too high
    EXPECT_FALSE(l.largeFont);
    EXPECT_EQ(l.fitted.height(), 500);
    l = layout(kFormInformation, [](bool, int w) { return QSize(w, 900); });   // shown anyway, top at 10
    EXPECT_FALSE(l.largeFont);
    EXPECT_EQ(l.fitted.height(), 900);
    EXPECT_EQ(l.windowRect.topLeft(), QPoint((1024 - l.windowRect.width()) / 2, 10));
}

TEST(TextLayout, ShortWindowsAreWidenedToTheirButtonRowAndNoButtonsTouch) {
    // At 10 pixels a character Previous | Cancel | Next need 3 x 120 + 40.
    EXPECT_EQ(buttonRowWidth(kFormBrowsedTutorial, 10), 400);
    EXPECT_EQ(buttonRowWidth(kFormAutomaticTutorial, 10), 270);
    EXPECT_EQ(buttonRowWidth(kFormInformation, 10), 230);
    for (int form : {kFormInformation, kFormAutomaticTutorial, kFormBrowsedTutorial})
        for (int average : {6, 7, 10, 14}) {
            const TextWindowLayout l = layout(form, oneLine(140), average);
            const QSize window = l.windowRect.size();
            const bool info = form == kFormInformation;
            SCOPED_TRACE(testing::Message() << form << " " << average);
            EXPECT_EQ(window.width(), std::max(buttonRowWidth(form, average), info ? 212 : 248));
            EXPECT_EQ(l.textRect.width(), window.width() - 20);
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
    EXPECT_EQ(window.backButton()->x(), 10);
    EXPECT_EQ(window.backButton()->geometry().bottom() + 1, window.height() - 10);
    EXPECT_FALSE(window.done());
    window.backButton()->click();
    EXPECT_TRUE(window.done() && !window.isVisible());
    EXPECT_EQ(sound.clicks(), 1u);
}

TEST(InfoWindow, IsCentredAndPaintsItsTextPlate) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("3D.INF"), "The globe shows the waves.\r\n");
    InfoWindow window(nullptr, QStringLiteral("3D.INF"));
    const TextWindowLayout& l = window.layout();
    const QRect screen = screenRect(), r = l.textRect;
    EXPECT_EQ(window.geometry(), l.windowRect);
    EXPECT_EQ(l.windowRect.x(), std::max(10, (screen.width() - l.windowRect.width()) / 2));
    EXPECT_EQ(l.windowRect.y(), std::max(10, (screen.height() - l.windowRect.height() + l.buttonRowHeight) / 2));
    const QImage image = window.grab().toImage();
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
    EXPECT_EQ(window.moreButton()->geometry().right() + 1, window.width() - 10);
    window.moreButton()->click();
    QPointer<InfoWindow> followUp = window.followUp();
    ASSERT_FALSE(followUp.isNull());
    EXPECT_TRUE(followUp->isVisible());
    EXPECT_EQ(followUp->text(), QStringLiteral("Second page."));   // found whatever the case
    EXPECT_EQ(followUp->moreButton(), nullptr);
    window.moreButton()->click();   // replaces the follow-up rather than leaving it behind
    EXPECT_TRUE(followUp.isNull());
    followUp = window.followUp();
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
                EXPECT_FALSE(window->isVisible());
                EXPECT_EQ(window->done(), !tutorial);   // a tutorial page gets no answer
            }
            EXPECT_EQ(commands, restart ? std::vector<int>{202} : std::vector<int>{});
        }
}

TEST(TutorialWindow, PositionsShowTheirButtonsAndTheWindowStandsTopRight) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("STEP1.INF"), "Watch the P wave.\r\n");
    const auto buttons = [](int form, int position) {
        TutorialWindow w(nullptr, QStringLiteral("STEP1.INF"), form, position);
        std::vector<QRect> shown;   // Next, Previous, Cancel, Continue
        for (int id : {kIdNext, kIdPrevious, kIdTutorialCancel, kIdContinue})
            shown.push_back(w.button(id) ? w.button(id)->geometry().translated(-w.width(), -w.height()) : QRect());
        return shown;
    };
    const QRect none;
    const std::vector<QRect> first = buttons(kFormBrowsedTutorial, kTutorialFirst);
    EXPECT_EQ(first[0].right(), -11);   // Next at the right edge
    EXPECT_EQ(first[1], none);
    EXPECT_EQ(first[3], none);
    const std::vector<QRect> last = buttons(kFormBrowsedTutorial, kTutorialLast);
    EXPECT_EQ(last[0], none);
    EXPECT_EQ(last[2].x() - last[1].x(), last[1].width() + 10);   // Cancel beside Previous
    const std::vector<QRect> automatic = buttons(kFormAutomaticTutorial, 0);
    EXPECT_NE(automatic[3], none);
    EXPECT_EQ(automatic[0], none);
    TutorialWindow window(nullptr, QStringLiteral("STEP1.INF"), kFormAutomaticTutorial);
    EXPECT_EQ(window.geometry().right(), screenRect().width() - 11);
    EXPECT_EQ(window.geometry().y(), 10);
    // The heading plate: a sunken panel from x 9 with the text in it.
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.pixelColor(9, 15), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(window.width() - 8, 15), QColor(255, 255, 255));
    EXPECT_TRUE(hasInk(image, QRect(window.width() / 2 - 20, 8, 40, 22)));
}

TEST(TutorialWindow, ButtonsSetDoneAndTheirFlagAndDoNotOverlapInAWideFont) {
    ScratchDirectory dir;
    RecordedClicks sound;
    const std::pair<int, int> cases[] = {{kIdNext, kTutorialMiddle}, {kIdPrevious, kTutorialMiddle},
                                         {kIdTutorialCancel, kTutorialFirst}, {kIdContinue, -1}};
    for (const auto& [id, position] : cases) {
        TutorialWindow window(nullptr, QStringLiteral("S.INF"), position < 0 ? kFormAutomaticTutorial : kFormBrowsedTutorial,
                              std::max(position, 0));
        window.show();
        window.button(id)->click();
        EXPECT_TRUE(window.done() && !window.isVisible()) << id;
        EXPECT_EQ(std::vector<bool>({window.nextFlag(), window.previousFlag(), window.cancelFlag(), window.continueFlag()}),
                  std::vector<bool>({id == kIdNext, id == kIdPrevious, id == kIdTutorialCancel, id == kIdContinue}));
    }
    EXPECT_EQ(sound.clicks(), 4u);
    const QFont saved = QApplication::font();
    QFont wide = saved;
    wide.setPixelSize(24);
    QApplication::setFont(wide);
    {
        TutorialWindow window(nullptr, QStringLiteral("S.INF"), kFormBrowsedTutorial, kTutorialMiddle);
        const QRect previous = window.button(kIdPrevious)->geometry(),
                    cancel = window.button(kIdTutorialCancel)->geometry(), next = window.button(kIdNext)->geometry();
        EXPECT_LT(previous.right(), cancel.left());
        EXPECT_LT(cancel.right() + 5, next.left());
        EXPECT_EQ(next.right() + 1, window.width() - 10);
    }
    QApplication::setFont(saved);
}
