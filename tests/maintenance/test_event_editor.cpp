// The event editor: texts shown for a record, the range checks, what the
// texts write back, and the dialog that types, checks and confirms them.
#include "maintenance/EventEditor.h"
#include "../dialogs/DialogTestSupport.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>

namespace {

EventRecord sampleEvent() {
    EventRecord r = newEventRecord();
    r.name = "Loma Prieta";
    r.latitude = 37.04f;
    r.longitude = -121.88f;
    r.depth = 18;
    r.magnitude = 7.1f;
    r.year = 1989, r.month = 10, r.day = 18, r.hour = 0, r.minute = 4, r.second = 15.2f;
    r.timeAcceleration = 50, r.timeWindow = 900, r.timeLimit = 3600, r.viewAngle = 225;
    refreshEventTexts(r);
    return r;
}

void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &key);
    }
}

}  // namespace

TEST(EditorTexts, ShowTheRecordInTheFormatsOfTheForm) {
    const EventEditorTexts t = editorTextsFrom(sampleEvent());
    const std::vector<std::string> expected{"Loma Prieta", "37.040  ", "-121.880", "18.0  ", "7.1 ", "1989", "10",
                                            "18", "0", "4", "15.2", "50", "15", "60"};
    EXPECT_EQ(std::vector<std::string>(t.text.begin(), t.text.end()), expected);
    EXPECT_EQ(t.viewIndex, 5);   // 225 degrees, "135W"
    EventRecord early = newEventRecord();
    early.year = 987;
    EXPECT_EQ(editorTextsFrom(early).text[kFieldYear], "0987");
    // The view angle is brought into one turn and rounded down to an eighth.
    for (const auto& [angle, index] : {std::pair{0, 0}, {100, 2}, {-45, 7}, {359, 7}, {540, 4}, {-721, 7}})
        EXPECT_EQ(viewAngleIndex(angle), index) << angle;
    EXPECT_EQ(viewAngleIndex(INT32_MIN), viewAngleIndex(INT32_MIN % 360 + 360));
    EXPECT_STREQ(kViewAngleLabels[2], "90E");
}

TEST(EditorChecks, RangedValueTakesTheLeadingNumberAndSaturates) {
    for (const auto& [text, value] : {std::pair{"", 0}, {"abc", 0}, {"12abc", 12}, {"  -42", -42}, {"+7", 7}, {"-", 0}})
        EXPECT_EQ(rangedValue(text), value) << text;
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
    const auto f = checkEditorTexts(t);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(std::tuple(f->field, f->low, f->high), std::tuple(int(kFieldMonth), 1L, 12L));
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
    EXPECT_EQ(rangeMessage(-100, 100), "Value is not in the range -100 to 100.");
}

TEST(EditorApply, WritesEveryFieldAndTheDerivedTexts) {
    EventRecord r = newEventRecord();
    EventEditorTexts t = editorTextsFrom(r);
    t.viewIndex = 6;
    t.text = {"Northridge quake", "12.5N", " -118.537", "18.4", "6.7", "1994", "1", "17", "12", "30", "55.4",
              "-20", "45", "120"};
    applyEditorTexts(r, t);
    EXPECT_EQ(r.name, "Northridge quake");
    EXPECT_FLOAT_EQ(r.latitude, 12.5f);
    EXPECT_FLOAT_EQ(r.longitude, -118.537f);
    EXPECT_FLOAT_EQ(r.depth, 18.4f);
    EXPECT_FLOAT_EQ(r.magnitude, 6.7f);
    EXPECT_FLOAT_EQ(r.second, 55.4f);
    EXPECT_EQ(std::tuple(r.year, r.month, r.day, r.hour, r.minute), std::tuple(1994, 1, 17, 12, 30));
    EXPECT_EQ(std::tuple(r.timeAcceleration, r.timeWindow, r.timeLimit, r.viewAngle), std::tuple(-20, 2700, 7200, 270));
    EXPECT_EQ(r.fileName, "1994011712.evt");
    EXPECT_EQ(r.dateText, "1994/01/17");
    EXPECT_EQ(r.originTimeText, "12:30:55.4");
    EXPECT_EQ(r.dateDisplay, "Jan. 17, 1994");
}

TEST(EditorApply, TextsWithoutANumberLeaveTheirFieldsAndNamesAreCutOnACharacter) {
    EventRecord r = sampleEvent();
    r.hour = 5;
    refreshEventTexts(r);
    EventEditorTexts t = editorTextsFrom(r);
    t.text[kFieldHour] = t.text[kFieldSecond] = "";
    t.text[kFieldLatitude] = "north";
    t.text[kFieldSpeed] = "-";
    t.text[kFieldName] = std::string(38, 'a') + "\xC3\xA9" + "b";   // "...aéb"
    ASSERT_FALSE(checkEditorTexts(t).has_value());   // empty hour and "-" count as 0
    applyEditorTexts(r, t);
    EXPECT_EQ(r.hour, 5);
    EXPECT_EQ(r.fileName, "1989101805.evt");
    EXPECT_FLOAT_EQ(r.latitude, 37.04f);
    EXPECT_FLOAT_EQ(r.second, 15.2f);
    EXPECT_EQ(r.timeAcceleration, 50);
    EXPECT_EQ(r.name, std::string(38, 'a'));
}

TEST(EventEditorDialog, ShowsTheFieldsAndTypingDropsWhatAFieldCannotTake) {
    EventRecord r = sampleEvent();
    r.viewAngle = 100;
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Edit Event"));
    for (const EditorFieldInfo& f : kEditorFields) ASSERT_NE(findControl(&d, f.id), nullptr) << f.id;
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 701)->text(), QStringLiteral("Loma Prieta"));
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 702)->text(), QStringLiteral("37.040  "));
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 709)->text(), QStringLiteral("60"));
    EXPECT_EQ(findControlAs<QLineEdit>(&d, 706)->maxLength(), 5);
    for (int i = 0; i < kViewAngleCount; ++i) {
        auto* radio = findControlAs<QRadioButton>(&d, kFirstViewAngleId + i);
        EXPECT_EQ(radio->text(), QString::fromLatin1(kViewAngleLabels[i]));
        EXPECT_EQ(radio->isChecked(), i == 2) << i;   // 100 degrees shows "90E"
    }
    const std::tuple<EditorField, const char*, const char*> typed[] = {
        {kFieldYear, "1a9-9 6", "1996"}, {kFieldSpeed, "-5x0", "-50"}, {kFieldLatitude, "12.5N", "12.5N"},
        {kFieldYear, "+\u0663", "+"}, {kFieldName, "", ""}};
    for (const auto& [field, keys, shown] : typed) {
        d.field(field)->clear();
        typeText(d.field(field), QString::fromUtf8(keys));
        EXPECT_EQ(d.field(field)->text(), QString::fromUtf8(shown)) << keys;
    }
    typeText(d.field(kFieldName), QString(45, QLatin1Char('x')));
    EXPECT_EQ(d.field(kFieldName)->text(), QString(39, QLatin1Char('x')));
}

TEST(EventEditorDialog, AnOutOfRangeValueKeepsTheDialogOpenWithTheFocusOnIt) {
    EventRecord r = newEventRecord();
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    d.field(kFieldYear)->setText(QStringLiteral("2200"));
    d.field(kFieldTimeWindow)->setText(QStringLiteral("90"));
    press(&d, kIdOk);
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(log.texts, QStringList{"Value is not in the range 1000 to 2100."});
    EXPECT_EQ(d.focusWidget(), d.field(kFieldYear));
    d.field(kFieldYear)->setText(QStringLiteral("1990"));
    press(&d, kIdOk);
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(log.texts.value(1), QStringLiteral("Value is not in the range 5 to 60."));
    EXPECT_EQ(d.focusWidget(), d.field(kFieldTimeWindow));
    d.field(kFieldTimeWindow)->setText(QStringLiteral("30"));
    d.field(kFieldTimeLimit)->setText(QStringLiteral("120"));
    d.viewAngleButton(3)->setChecked(true);
    press(&d, kIdOk);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(log.texts.size(), 2);
    d.apply(r);
    EXPECT_EQ(std::tuple(r.timeWindow, r.timeLimit, r.viewAngle), std::tuple(1800, 7200, 135));
}

TEST(EventEditorDialog, ConfirmingUntouchedKeepsEveryValueEvenOnesWiderThanTheirField) {
    EventRecord r = sampleEvent();
    r.depth = 123456789.0f;   // "123456792.0" does not fit 7 characters
    r.latitude = -89.9999f;
    const EventRecord before = r;
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    EXPECT_EQ(d.field(kFieldDepth)->text(), QStringLiteral("123456792.0"));
    press(&d, kIdOk);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    d.apply(r);
    EXPECT_FLOAT_EQ(r.depth, before.depth);
    EXPECT_FLOAT_EQ(r.latitude, -90.0f);   // shown and kept with three decimals
    EXPECT_EQ(std::tuple(r.name, r.viewAngle, r.timeWindow, r.timeLimit, r.originTimeText, r.fileName),
              std::tuple(before.name, 225, before.timeWindow, before.timeLimit, before.originTimeText,
                         std::string("1989101800.evt")));
}

TEST(EventEditorDialog, CancelKeepsNoTexts) {
    EventRecord r = newEventRecord();
    MessageLog log;
    EventEditorDialog d(nullptr, r, log.function());
    d.field(kFieldYear)->setText(QStringLiteral("2000"));
    press(&d, kIdCancel);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_TRUE(d.confirmedTexts().text[kFieldYear].empty());
    EXPECT_TRUE(log.texts.isEmpty());
}
