#include "dialogs/HelpLauncher.h"
#include "dialogs/OptionDialogs.h"
#include "DialogTestSupport.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

struct HelpRecorder {
    std::vector<QUrl> opened;
    std::vector<QString> messages;
    bool openSucceeds = true;
    HelpRecorder() {
        setHelpOpener([this](const QUrl& url) { opened.push_back(url); return openSucceeds; });
        setHelpMessage([this](QWidget*, const QString& text) { messages.push_back(text); });
    }
    ~HelpRecorder() {
        setHelpOpener({});
        setHelpMessage({});
    }
};

}  // namespace

TEST(HelpLauncher, OpensTheTopicPageOfTheCurrentDirectory) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("help/0.html"), "contents");
    dir.write(QStringLiteral("help/1002.html"), "audio");
    HelpRecorder help;
    openHelp(nullptr, 0);
    openHelp(nullptr, 1002);
    ASSERT_EQ(help.opened.size(), 2u);
    EXPECT_EQ(help.opened[0], QUrl::fromLocalFile(QDir(dir.path()).filePath("help/0.html")));
    EXPECT_EQ(help.opened[1], QUrl::fromLocalFile(QDir(dir.path()).filePath("help/1002.html")));
    EXPECT_TRUE(help.messages.empty());
}

TEST(HelpLauncher, MissingPageOrFailedOpenShowsTheMessage) {
    ScratchDirectory dir;
    HelpRecorder help;
    openHelp(nullptr, 1024);
    EXPECT_TRUE(help.opened.empty());   // nothing to open
    ASSERT_EQ(help.messages.size(), 1u);
    EXPECT_EQ(help.messages[0], QStringLiteral("Problem opening %1 or the help viewer")
                                    .arg(QDir(dir.path()).filePath("help/1024.html")));

    dir.write(QStringLiteral("help/1024.html"), "speed");
    help.openSucceeds = false;
    openHelp(nullptr, 1024);
    EXPECT_EQ(help.opened.size(), 1u);
    EXPECT_EQ(help.messages.size(), 2u);
}

TEST(HelpLauncher, DialogHelpButtonsOpenTheirTopicsAndStayOpen) {
    ScratchDirectory dir;
    HelpRecorder help;
    Settings s;
    RunState run;
    struct Case { std::unique_ptr<DialogBase> dialog; int topic; };
    std::vector<Case> cases;
    cases.push_back({std::make_unique<AudioDialog>(nullptr, s), 1002});
    cases.push_back({std::make_unique<PhasesDialog>(nullptr, s), 1019});
    cases.push_back({std::make_unique<SpeedDialog>(nullptr, run), 1024});
    cases.push_back({std::make_unique<TimeWindowDialog>(nullptr, run), 1024});
    for (Case& c : cases) {
        dir.write(QStringLiteral("help/%1.html").arg(c.topic), "x");
        help.opened.clear();
        findControlAs<QPushButton>(c.dialog.get(), kIdHelp)->click();
        ASSERT_EQ(help.opened.size(), 1u) << c.topic;
        EXPECT_TRUE(help.opened[0].toLocalFile().endsWith(QStringLiteral("/%1.html").arg(c.topic)));
        EXPECT_EQ(c.dialog->result(), 0);
    }
}
