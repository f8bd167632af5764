// The event information editor ("Edit Event"): one form over one
// EventRecord. The texts of the form, the range checks done on OK and the
// apply step are plain functions; EventEditorDialog is the thin window.
#pragma once

#include "data/EventFile.h"
#include "dialogs/DialogBase.h"
#include "maintenance/Messages.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QLineEdit;
class QRadioButton;

// The text fields of the form, in the order the ranges are checked.
enum EditorField : int {
    kFieldName,
    kFieldLatitude,
    kFieldLongitude,
    kFieldDepth,
    kFieldMagnitude,
    kFieldYear,
    kFieldMonth,
    kFieldDay,
    kFieldHour,
    kFieldMinute,
    kFieldSecond,
    kFieldSpeed,
    kFieldTimeWindow,
    kFieldTimeLimit,
    kEditorFieldCount
};

struct EditorFieldInfo {
    int id;           // control id
    int capacity;     // characters that can be typed, plus one
    bool ranged;      // checked on OK and filtered while typing
    long low, high;   // accepted range of a ranged field
};

extern const std::array<EditorFieldInfo, kEditorFieldCount> kEditorFields;

// View-angle radio buttons: ids 730..737 for 0, 45, ..., 315 degrees.
constexpr int kFirstViewAngleId = 730;
constexpr int kViewAngleCount = 8;
extern const std::array<const char*, kViewAngleCount> kViewAngleLabels;

// Everything the form shows: one text per field and the chosen view angle.
struct EventEditorTexts {
    std::array<std::string, kEditorFieldCount> text;
    int viewIndex = 0;   // 0..7, the one set radio button
};

// The radio button for an angle: brought into 0..359, then divided by 45
// (100 gives 2, "90E"; -45 gives 7, "45W").
int viewAngleIndex(int32_t angle);

// The texts shown for a record.
EventEditorTexts editorTextsFrom(const EventRecord& record);

// A ranged field's number: leading blanks, an optional sign, then the digits
// up to the first other character; no digits (or an empty text) gives 0.
// Saturates far outside every range instead of overflowing.
long rangedValue(std::string_view text);

struct RangeFailure {
    EditorField field;
    long low, high;
};
// The first ranged field, in table order, whose value lies outside its range.
std::optional<RangeFailure> checkEditorTexts(const EventEditorTexts& texts);

// Saving `edited` writes the file named after its date and hour. When another
// event file (not `openedPath`, the file the record was read from; empty for
// a new event) already holds that name, the question to ask first: "An event
// file NAME already exists (EVENT NAME). Replace it?". Names are compared
// the way files are found, without regard to case; `dir` is where both lie.
std::optional<std::string> replaceQuestion(const EventRecord& edited, const std::string& openedPath,
                                           const std::string& dir = "");

// "Value is not in the range %ld to %ld."
std::string rangeMessage(long low, long high);

// True when `c` may be typed into the field (digits, "+", and "-" where the
// range admits negative numbers); unranged fields take anything.
bool acceptsWhileTyping(const EditorFieldInfo& field, char16_t c);

// Writes the confirmed texts into the record: view angle, name, the numbers
// (a text without a number leaves its field as it was), the derived texts,
// then time window, time limit and speed.
void applyEditorTexts(EventRecord& record, const EventEditorTexts& texts);

class EventEditorDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1005;
    static constexpr int kHelpId = 760;

    // Shows `record` (owned by the caller). Range messages go to `message`.
    EventEditorDialog(QWidget* parent, const EventRecord& record, MessageFunction message);

    // What the controls hold now.
    EventEditorTexts currentTexts() const;
    // The texts kept when the dialog was confirmed.
    const EventEditorTexts& confirmedTexts() const { return confirmed_; }
    // Applies the confirmed texts to `record` (after OK).
    void apply(EventRecord& record) const { applyEditorTexts(record, confirmed_); }

    QLineEdit* field(EditorField f) const { return fields_[f]; }
    QRadioButton* viewAngleButton(int index) const { return angles_[index]; }

protected:
    void onOk() override;

private:
    std::array<QLineEdit*, kEditorFieldCount> fields_{};
    std::array<QRadioButton*, kViewAngleCount> angles_{};
    EventEditorTexts confirmed_;
    MessageFunction message_;
};
