#include "maintenance/Preferences.h"
#include "maintenance/TextEditorLauncher.h"
#include "MaintenanceTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <set>

TEST(Controls, TwelveDistinctSwitchesEachBoundToItsOwnField) {
    std::set<int> ids;
    for (const ControlSwitch& c : kControlSwitches) ids.insert(c.id);
    EXPECT_EQ(ids.size(), 12u);

    // Switching one box at a time moves exactly its own field.
    for (int i = 0; i < kControlSwitchCount; ++i) {
        Settings s;
        const ControlStates before = controlStatesFrom(s);
        ControlStates changed = before;
        changed[i] = !changed[i];
        applyControlStates(s, changed);
        EXPECT_EQ(s.*(kControlSwitches[i].field), changed[i]) << kControlSwitches[i].label;
        const ControlStates after = controlStatesFrom(s);
        for (int j = 0; j < kControlSwitchCount; ++j)
            if (j != i) {
                EXPECT_EQ(after[j], before[j]) << i << " moved " << j;
            }
    }
    // The stored tutorial setting is switched, not the running tutorial.
    Settings s;
    ControlStates states = controlStatesFrom(s);
    states[8] = true;
    applyControlStates(s, states);
    EXPECT_TRUE(s.tutorialEnabled);
    EXPECT_FALSE(s.tutorialMode);
}

TEST(Controls, DialogShowsTheFlagsAndWritesThemOnlyOnOk) {
    Settings s;
    s.titleBar = true;
    s.slider = false;
    {
        ControlsDialog d(nullptr, s);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Controls"));
        auto* title = findControlAs<QCheckBox>(&d, 761);
        auto* slider = findControlAs<QCheckBox>(&d, 102);
        auto* menu = findControlAs<QCheckBox>(&d, 103);
        ASSERT_TRUE(title && slider && menu);
        EXPECT_EQ(title->text(), QStringLiteral("Title bar"));
        EXPECT_TRUE(title->isChecked());
        EXPECT_FALSE(slider->isChecked());
        EXPECT_TRUE(menu->isChecked());
        menu->setChecked(false);
        findControlAs<QPushButton>(&d, kIdCancel)->click();
        EXPECT_TRUE(s.menuBar);
    }
    ControlsDialog d(nullptr, s);
    findControlAs<QCheckBox>(&d, 103)->setChecked(false);
    findControlAs<QCheckBox>(&d, 761)->setChecked(false);
    findControlAs<QPushButton>(&d, kIdOk)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(s.menuBar);
    EXPECT_FALSE(s.titleBar);
    EXPECT_FALSE(s.slider);
}

TEST(NumberInput, TakesTheLeadingNumberAndRefusesNegativesAndOverflow) {
    EXPECT_EQ(numberInputValue("90"), 90u);
    EXPECT_EQ(numberInputValue("12abc"), 12u);
    EXPECT_EQ(numberInputValue("abc"), 0u);
    EXPECT_EQ(numberInputValue(""), 0u);
    EXPECT_EQ(numberInputValue("  +7"), 7u);
    EXPECT_EQ(numberInputValue("-0"), 0u);
    EXPECT_EQ(numberInputValue("4294967295"), 4294967295u);
    EXPECT_FALSE(numberInputValue("-5").has_value());
    EXPECT_FALSE(numberInputValue("-1").has_value());
    EXPECT_FALSE(numberInputValue("4294967296").has_value());
    EXPECT_FALSE(numberInputValue("99999999999999999999999").has_value());
}

TEST(NumberInput, CommandsHaveTheirTitlesPromptsAndFields) {
    ASSERT_NE(numberInputFor(813), nullptr);
    EXPECT_STREQ(numberInputFor(813)->title, "Opening Screen Timeout");
    EXPECT_STREQ(numberInputFor(813)->prompt, "Time in sec");
    EXPECT_EQ(numberInputFor(813)->field, &Settings::initialTimeout);
    EXPECT_STREQ(numberInputFor(815)->title, "User Timeout");
    EXPECT_EQ(numberInputFor(815)->field, &Settings::userTimeout);
    EXPECT_STREQ(numberInputFor(817)->title, "Time to Pause at End");
    EXPECT_EQ(numberInputFor(817)->field, &Settings::secondsToPauseAtEnd);
    EXPECT_EQ(numberInputFor(816), nullptr);
}

TEST(NumberInput, DialogRefusesANegativeNumberAndStaysOpen) {
    MessageLog log;
    NumberInputDialog d(nullptr, QStringLiteral("User Timeout"),
                        QStringLiteral("Specify time in seconds"), 30, log.function());
    EXPECT_EQ(d.windowTitle(), QStringLiteral("User Timeout"));
    EXPECT_EQ(findControlAs<QLabel>(&d, kNumberPromptId)->text(),
              QStringLiteral("Specify time in seconds"));
    QLineEdit* edit = findControlAs<QLineEdit>(&d, kNumberEditId);
    ASSERT_EQ(edit, d.edit());
    EXPECT_EQ(edit->text(), QStringLiteral("30"));
    EXPECT_EQ(edit->maxLength(), 7);

    edit->setText(QStringLiteral("-5"));
    findControlAs<QPushButton>(&d, kIdOk)->click();
    EXPECT_NE(d.result(), QDialog::Accepted);
    ASSERT_EQ(log.texts.size(), 1);
    EXPECT_EQ(log.texts[0], QStringLiteral("Value is not in the range 0 to 4294967295."));
    EXPECT_EQ(d.focusWidget(), edit);
    EXPECT_EQ(d.value(), 30u);

    edit->setText(QStringLiteral("45"));
    findControlAs<QPushButton>(&d, kIdOk)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.value(), 45u);
}

TEST(NumberInput, AStoredValueLongerThanTheFieldIsShownWholeAndKept) {
    MessageLog log;
    NumberInputDialog d(nullptr, QStringLiteral("t"), QStringLiteral("p"), 4000000000u,
                        log.function());
    EXPECT_EQ(d.edit()->text(), QStringLiteral("4000000000"));
    findControlAs<QPushButton>(&d, kIdOk)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.value(), 4000000000u);
}

TEST(TextEditorCommand, PathIsOneWholeArgumentAndNeverShellText) {
    ScratchDirectory dir;
    const QString longName = QStringLiteral("a long folder name with blanks; $(rm -rf x) `y` 'q' ")
                                 .repeated(4) + QStringLiteral("/EVT.INF");
    const QString absolute = dir.path() + QLatin1Char('/') + longName;
    ASSERT_GT(absolute.size(), 200);

    EditorCommand c = textEditorCommand(QString(), absolute);
    EXPECT_EQ(c.program, QStringLiteral("xdg-open"));
    EXPECT_EQ(c.arguments, QStringList{absolute});

    c = textEditorCommand(QStringLiteral("   "), absolute);
    EXPECT_EQ(c.program, QStringLiteral("xdg-open"));

    c = textEditorCommand(QStringLiteral("\"/opt/my editor/ed\" --new-window"), absolute);
    EXPECT_EQ(c.program, QStringLiteral("/opt/my editor/ed"));
    EXPECT_EQ(c.arguments, (QStringList{QStringLiteral("--new-window"), absolute}));

    // A relative name that looks like an option becomes an absolute path.
    c = textEditorCommand(QStringLiteral("gedit"), QStringLiteral("-n.inf"));
    EXPECT_EQ(c.arguments, QStringList{dir.path() + QStringLiteral("/-n.inf")});
}
