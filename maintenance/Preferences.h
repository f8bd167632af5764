// The preferences that only the maintenance program edits: the eleven kiosk
// switches ("Controls") and the three time-out number inputs.
#pragma once

#include "data/Settings.h"
#include "dialogs/DialogBase.h"
#include "maintenance/Messages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

class QCheckBox;
class QLineEdit;

// --- Controls -----------------------------------------------------------------

struct ControlSwitch {
    int id;
    const char* label;
    int y;   // dialog units
    bool Settings::*field;
};
constexpr int kControlSwitchCount = 12;
extern const std::array<ControlSwitch, kControlSwitchCount> kControlSwitches;

using ControlStates = std::array<bool, kControlSwitchCount>;
ControlStates controlStatesFrom(const Settings& settings);
void applyControlStates(Settings& settings, const ControlStates& states);

class ControlsDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1015;
    ControlsDialog(QWidget* parent, Settings& settings);
    QCheckBox* box(int index) const { return boxes_[index]; }

protected:
    // Every field becomes the state of its box; the opener saves.
    void onOk() override;

private:
    Settings& settings_;
    std::array<QCheckBox*, kControlSwitchCount> boxes_{};
};

// --- Number inputs --------------------------------------------------------------

constexpr int kNumberPromptId = 4091;
constexpr int kNumberEditId = 4090;
constexpr int kNumberInputChars = 7;   // the text buffer holds 8 with its zero
constexpr uint32_t kNumberInputMax = UINT32_MAX;

struct NumberInputInfo {
    int command;
    const char* title;
    const char* prompt;
    uint32_t Settings::*field;
};
extern const std::array<NumberInputInfo, 3> kNumberInputs;
// The number input of command 813, 815 or 817; null for any other.
const NumberInputInfo* numberInputFor(int command);

// The number typed into a time-out input: leading blanks skipped, an optional
// sign, then the digits up to the first other character; a text without
// digits gives 0 ("12abc" gives 12, "abc" 0). A negative number, or one too
// large for the field, gives no value: a time-out cannot be negative, and
// wrapping "-1" round to four thousand million seconds would silently turn
// it into "never".
std::optional<uint32_t> numberInputValue(std::string_view text);

class NumberInputDialog : public DialogBase {
    Q_OBJECT
public:
    NumberInputDialog(QWidget* parent, const QString& title, const QString& prompt, uint32_t value,
                      MessageFunction message);
    QLineEdit* edit() const { return edit_; }
    // The value kept on OK.
    uint32_t value() const { return value_; }

protected:
    // A text that gives no value shows the range message and keeps the
    // dialog open with the focus in the field.
    void onOk() override;

private:
    QLineEdit* edit_;
    uint32_t value_;
    MessageFunction message_;
};
