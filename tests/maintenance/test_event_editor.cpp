#include "maintenance/EventEditor.h"
#include "MaintenanceTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

EventRecord sampleEvent() {
    EventRecord r = newEventRecord();
    r.name = "Loma Prieta";
    r.latitude = 37.04f;
    r.longitude = -121.88f;
    r.depth = 18;
    r.magnitude = 7.1f;
    r.year = 1989;
    r.month = 10;
    r.day = 18;
    r.hour = 0;
    r.minute = 4;
    r.second = 15.2f;
    r.timeAcceleration = 50;
    r.timeWindow = 900;
    r.timeLimit = 3600;
    r.viewAngle = 225;
    refreshEventTexts(r);
    return r;
}

void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

void clickOk(EventEditorDialog& d) {
    auto* ok = findControlAs<QPushButton>(&d, kIdOk);
    ASSERT_NE(ok, nullptr);
    ok->click();
}

}  // namespace

// --- Texts, checks and apply, without a window ---------------------------------

TEST(EditorTexts, ShowTheRecordInTheFormatsOfTheForm) {
    const EventEditorTexts t = editorTextsFrom(sampleEvent());
    EXPECT_EQ(t.text[kFieldName], "Loma Prieta");
    EXPECT_EQ(t.text[kFieldLatitude], "37.040  ");
    EXPECT_EQ(t.text[kFieldLongitude], "-121.880");
    EXPECT_EQ(t.text[kFieldDepth], "18.0  ");
    EXPECT_EQ(t.text[kFieldMagnitude], "7.1 ");
    EXPECT_EQ(t.text[kFieldYear], "1989");
    EXPECT_EQ(t.text[kFieldMonth], "10");
    EXPECT_EQ(t.text[kFieldHour], "0");
    EXPECT_EQ(t.text[kFieldMinute], "4");
    EXPECT_EQ(t.text[kFieldSecond], "15.2");
    EXPECT_EQ(t.text[kFieldSpeed], "50");
    EXPECT_EQ(t.text[kFieldTimeWindow], "15");
    EXPECT_EQ(t.text[kFieldTimeLimit], "60");
    EXPECT_EQ(t.viewIndex, 5);   // 225 degrees, "135W"

    EventRecord early = newEventRecord();
    early.year = 987;
    EXPECT_EQ(editorTextsFrom(early).text[kFieldYear], "0987");
}

TEST(EditorTexts, ViewAngleIsBroughtIntoOneTurnAndRoundedDownToAnEighth) {
    EXPECT_EQ(viewAngleIndex(0), 0);
    EXPECT_EQ(viewAngleIndex(100), 2);
    EXPECT_EQ(viewAngleIndex(-45), 7);
    EXPECT_EQ(viewAngleIndex(359), 7);
    EXPECT_EQ(viewAngleIndex(360 + 180), 4);
    EXPECT_EQ(viewAngleIndex(-721), 7);
    EXPECT_EQ(viewAngleIndex(INT32_MIN), viewAngleIndex(INT32_MIN % 360 + 360));
    EXPECT_STREQ(kViewAngleLabels[viewAngleIndex(100)], "90E");
}

TEST(EditorChecks, RangedValueTakesTheLeadingNumberLikeAtol) {
    EXPECT_EQ(rangedValue(""), 0);
    EXPECT_EQ(rangedValue("abc"), 0);
    EXPECT_EQ(rangedValue("12abc"), 12);
    EXPECT_EQ(rangedValue("  -42"), -42);
    EXPECT_EQ(rangedValue("+7"), 7);
    EXPECT_EQ(rangedValue("-"), 0);
    // Far too many digits saturate instead of wrapping into a valid range.
    EXPECT_GT(rangedValue("99999999999999999999999"), 2100);
    EXPECT_LT(rangedValue("-99999999999999999999999"), -100);
}

TEST(EditorChecks, FirstFailingFieldInTableOrderWithItsBounds) {
    EventEditorTexts t = editorTextsFrom(newEventRecord());
    EXPECT_FALSE(checkEditorTexts(t).has_value());

    t.text[kFieldTimeLimit] = "181";
    t.text[kFieldDay] = "0";
    t.text[kFieldMonth] = "13";
    auto f = checkEditorTexts(t);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->field, kFieldMonth);
    EXPECT_EQ(f->low, 1);
    EXPECT_EQ(f->high, 12);

    t.text[kFieldMonth] = "12";
    EXPECT_EQ(checkEditorTexts(t)->field, kFieldDay);
    t.text[kFieldDay] = "31";   // whatever the month
    EXPECT_EQ(checkEditorTexts(t)->field, kFieldTimeLimit);
    t.text[kFieldTimeLimit] = "180";
    t.text[kFieldHour] = "24";   // the hour admits 24
    t.text[kFieldSpeed] = "-100";
    EXPECT_FALSE(checkEditorTexts(t).has_value());
    t.text[kFieldSpeed] = "-101";
    EXPECT_EQ(checkEditorTexts(t)->field, kFieldSpeed);
    t.text[kFieldSpeed] = "";   // an empty field counts as 0
    t.text[kFieldYear] = "";
    EXPECT_EQ(checkEditorTexts(t)->field, kFieldYear);

    EXPECT_EQ(rangeMessage(1000, 2100), "Value is not in the range 1000 to 2100.");
    EXPECT_EQ(rangeMessage(-100, 100), "Value is not in the range -100 to 100.");
}

TEST(EditorChecks, TypingFilterTakesDigitsPlusAndMinusOnlyWhereNegativesFit) {
    const EditorFieldInfo& year = kEditorFields[kFieldYear];
    const EditorFieldInfo& speed = kEditorFields[kFieldSpeed];
    const EditorFieldInfo& latitude = kEditorFields[kFieldLatitude];
    EXPECT_TRUE(acceptsWhileTyping(year, u'7'));
    EXPECT_TRUE(acceptsWhileTyping(year, u'+'));
    EXPECT_FALSE(acceptsWhileTyping(year, u'-'));
    EXPECT_FALSE(acceptsWhileTyping(year, u'a'));
    EXPECT_FALSE(acceptsWhileTyping(year, u' '));
    EXPECT_FALSE(acceptsWhileTyping(year, u'\u0663'));   // an Arabic-Indic three
    EXPECT_TRUE(acceptsWhileTyping(speed, u'-'));
    EXPECT_TRUE(acceptsWhileTyping(latitude, u'N'));
}

TEST(EditorApply, WritesEveryFieldAndTheDerivedTexts) {
    EventRecord r = newEventRecord();
    EventEditorTexts t = editorTextsFrom(r);
    t.viewIndex = 6;
    t.text[kFieldName] = "Northridge quake";
    t.text[kFieldLatitude] = "12.5N";
    t.text[kFieldLongitude] = " -118.537";
    t.text[kFieldDepth] = "18.4";
    t.text[kFieldMagnitude] = "6.7";
    t.text[kFieldYear] = "1994";
    t.text[kFieldMonth] = "1";
    t.text[kFieldDay] = "17";
    t.text[kFieldHour] = "12";
    t.text[kFieldMinute] = "30";
    t.text[kFieldSecond] = "55.4";
    t.text[kFieldSpeed] = "-20";
    t.text[kFieldTimeWindow] = "45";
    t.text[kFieldTimeLimit] = "120";
    applyEditorTexts(r, t);
    EXPECT_EQ(r.viewAngle, 270);
    EXPECT_EQ(r.name, "Northridge quake");
    EXPECT_FLOAT_EQ(r.latitude, 12.5f);
    EXPECT_FLOAT_EQ(r.longitude, -118.537f);
    EXPECT_FLOAT_EQ(r.depth, 18.4f);
    EXPECT_FLOAT_EQ(r.magnitude, 6.7f);
    EXPECT_EQ(r.year, 1994);
    EXPECT_EQ(r.month, 1);
    EXPECT_EQ(r.day, 17);
    EXPECT_EQ(r.hour, 12);
    EXPECT_EQ(r.minute, 30);
    EXPECT_FLOAT_EQ(r.second, 55.4f);
    EXPECT_EQ(r.fileName, "1994011712.evt");
    EXPECT_EQ(r.dateText, "1994/01/17");
    EXPECT_EQ(r.originTimeText, "12:30:55.4");
    EXPECT_EQ(r.dateDisplay, "Jan. 17, 1994");
    EXPECT_EQ(r.timeAcceleration, -20);
    EXPECT_EQ(r.timeWindow, 2700);
    EXPECT_EQ(r.timeLimit, 7200);
}

TEST(EditorApply, TextsWithoutANumberLeaveTheirFields) {
    EventRecord r = sampleEvent();
    r.hour = 5;
    refreshEventTexts(r);
    EventEditorTexts t = editorTextsFrom(r);
    t.text[kFieldHour] = "";
    t.text[kFieldLatitude] = "north";
    t.text[kFieldSecond] = "";
    t.text[kFieldSpeed] = "-";
    ASSERT_FALSE(checkEditorTexts(t).has_value());   // empty hour and "-" count as 0
    applyEditorTexts(r, t);
    EXPECT_EQ(r.hour, 5);
    EXPECT_EQ(r.fileName, "1989101805.evt");
    EXPECT_FLOAT_EQ(r.latitude, 37.04f);
    EXPECT_FLOAT_EQ(r.second, 15.2f);
    EXPECT_EQ(r.timeAcceleration, 50);
}

TEST(EditorApply, LongNamesAreCutOnACharacterBoundary) {
    EventRecord r = newEventRecord();
    EventEditorTexts t = editorTextsFrom(r);
    t.text[kFieldName] = std::string(38, 'a') + "\xC3\xA9" + "b";   // "...aé b"
    applyEditorTexts(r, t);
    EXPECT_EQ(r.name, std::string(38, 'a'));
}

// --- The dialog ------------------------------------------------------------------

TEST(EventEditorDialog, ShowsTheFieldsWithTheirIdsAndTheViewAngleRow) {
    EventRecord r = sampleEvent();
    r.viewAngle = 100;
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Edit Event"));
    for (const EditorFieldInfo& f : kEditorFields) ASSERT_NE(findControl(&d, f.id), nullptr) << f.id;
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 701)->text(), QStringLiteral("Loma Prieta"));
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 702)->text(), QStringLiteral("37.040  "));
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 709)->text(), QStringLiteral("60"));
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 701)->maxLength(), 39);
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 706)->maxLength(), 5);
    for (int i = 0; i < kViewAngleCount; ++i) {
        auto* radio = findControlAs<QRadioButton>(&d, kFirstViewAngleId + i);
        ASSERT_NE(radio, nullptr);
        EXPECT_EQ(radio->text(), QString::fromLatin1(kViewAngleLabels[i]));
        EXPECT_EQ(radio->isChecked(), i == 2) << i;   // 100 degrees shows "90E"
    }
    EXPECT_NE(findControl(&d, EventEditorDialog::kHelpId), nullptr);
}

TEST(EventEditorDialog, TypingIntoARangedFieldDropsWhatItCannotTake) {
    EventRecord r = newEventRecord();
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    QLineEdit* year = d.field(kFieldYear);
    year->clear();
    typeText(year, QStringLiteral("1a9-9 6"));
    EXPECT_EQ(year->text(), QStringLiteral("1996"));
    QLineEdit* speed = d.field(kFieldSpeed);
    speed->clear();
    typeText(speed, QStringLiteral("-5x0"));
    EXPECT_EQ(speed->text(), QStringLiteral("-50"));
    QLineEdit* latitude = d.field(kFieldLatitude);
    latitude->clear();
    typeText(latitude, QStringLiteral("12.5N"));
    EXPECT_EQ(latitude->text(), QStringLiteral("12.5N"));
    QLineEdit* name = d.field(kFieldName);
    name->clear();
    typeText(name, QString(45, QLatin1Char('x')));
    EXPECT_EQ(name->text().size(), 39);
}

TEST(EventEditorDialog, AnOutOfRangeYearKeepsTheDialogOpenWithTheFocusOnIt) {
    EventRecord r = newEventRecord();
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    d.field(kFieldYear)->setText(QStringLiteral("2200"));
    d.field(kFieldTimeWindow)->setText(QStringLiteral("90"));
    clickOk(d);
    EXPECT_NE(d.result(), QDialog::Accepted);
    ASSERT_EQ(log.texts.size(), 1);
    EXPECT_EQ(log.texts[0], QStringLiteral("Value is not in the range 1000 to 2100."));
    EXPECT_EQ(d.focusWidget(), d.field(kFieldYear));

    d.field(kFieldYear)->setText(QStringLiteral("1990"));
    clickOk(d);
    EXPECT_NE(d.result(), QDialog::Accepted);
    ASSERT_EQ(log.texts.size(), 2);
    EXPECT_EQ(log.texts[1], QStringLiteral("Value is not in the range 5 to 60."));
    EXPECT_EQ(d.focusWidget(), d.field(kFieldTimeWindow));

    d.field(kFieldTimeWindow)->setText(QStringLiteral("30"));
    d.field(kFieldTimeLimit)->setText(QStringLiteral("120"));
    clickOk(d);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(log.texts.size(), 2);
    d.apply(r);
    EXPECT_EQ(r.timeLimit, 7200);
    EXPECT_EQ(r.timeWindow, 1800);
}

TEST(EventEditorDialog, ConfirmingUntouchedKeepsEveryValueEvenOnesWiderThanTheirField) {
    EventRecord r = sampleEvent();
    r.depth = 123456789.0f;   // "123456792.0" does not fit 7 characters
    r.latitude = -89.9999f;
    const EventRecord before = r;
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    EXPECT_EQ(d.field(kFieldDepth)->text(), QStringLiteral("123456792.0"));
    clickOk(d);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    d.apply(r);
    EXPECT_FLOAT_EQ(r.depth, before.depth);
    EXPECT_FLOAT_EQ(r.latitude, -90.0f);   // shown and kept with three decimals
    EXPECT_EQ(r.name, before.name);
    EXPECT_EQ(r.viewAngle, 225);
    EXPECT_EQ(r.timeWindow, before.timeWindow);
    EXPECT_EQ(r.timeLimit, before.timeLimit);
    EXPECT_EQ(r.originTimeText, before.originTimeText);
    EXPECT_EQ(r.fileName, "1989101800.evt");
}

TEST(EventEditorDialog, CancelKeepsNoTexts) {
    EventRecord r = newEventRecord();
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    d.field(kFieldYear)->setText(QStringLiteral("2000"));
    findControlAs<QPushButton>(&d, kIdCancel)->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_TRUE(d.confirmedTexts().text[kFieldYear].empty());
    EXPECT_TRUE(log.texts.isEmpty());
}
