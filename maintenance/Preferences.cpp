#include "maintenance/Preferences.h"

#include "maintenance/EventEditor.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

const std::array<ControlSwitch, kControlSwitchCount> kControlSwitches = {{
    {761, "Title bar", 9, &Settings::titleBar},
    {103, "Menu Bar", 22, &Settings::menuBar},
    {104, "Can Exit", 35, &Settings::canExit},
    {105, "Can Select View", 48, &Settings::selectView},
    {106, "Run From Script", 61, &Settings::runScript},
    {107, "Display Earthquake Information", 74, &Settings::showEventInformation},
    {108, "Right Button Restarts", 87, &Settings::rightButtonRestart},
    {109, "Show Welcome Screen", 100, &Settings::showWelcomeScreen},
    {110, "Run Tutorial", 113, &Settings::tutorialEnabled},
    {101, "Select Components", 126, &Settings::selectComponents},
    {102, "Show Slider", 139, &Settings::slider},
    {111, "Wide Layout", 152, &Settings::wideLayout},
}};

ControlStates controlStatesFrom(const Settings& settings) {
    ControlStates states{};
    for (int i = 0; i < kControlSwitchCount; ++i) states[i] = settings.*(kControlSwitches[i].field);
    return states;
}

void applyControlStates(Settings& settings, const ControlStates& states) {
    for (int i = 0; i < kControlSwitchCount; ++i) settings.*(kControlSwitches[i].field) = states[i];
}

ControlsDialog::ControlsDialog(QWidget* parent, Settings& settings)
    : DialogBase(parent, tr("Controls"), 241, 166, kHelpTopic), settings_(settings) {
    const ControlStates states = controlStatesFrom(settings);
    for (int i = 0; i < kControlSwitchCount; ++i) {
        const ControlSwitch& c = kControlSwitches[i];
        auto* box = new QCheckBox(tr(c.label));
        place(box, c.id, 9, c.y, 146, 11);
        box->setChecked(states[i]);
        boxes_[i] = box;
    }
    auto* line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    place(line, 0, 174, 4, 2, 158);
    addStockButton(kIdOk, 188, 11, 37, 25);
    addStockButton(kIdCancel, 188, 48, 37, 25);
    addStockButton(kIdHelp, 188, 85, 37, 25);
}

void ControlsDialog::onOk() {
    ControlStates states{};
    for (int i = 0; i < kControlSwitchCount; ++i) states[i] = boxes_[i]->isChecked();
    applyControlStates(settings_, states);
    accept();
}

// --- Number inputs ----------------------------------------------------------

const std::array<NumberInputInfo, 3> kNumberInputs = {{
    {813, "Opening Screen Timeout", "Time in sec", &Settings::initialTimeout},
    {815, "User Timeout", "Specify time in seconds", &Settings::userTimeout},
    {817, "Time to Pause at End", "Specify time in seconds", &Settings::secondsToPauseAtEnd},
}};

const NumberInputInfo* numberInputFor(int command) {
    for (const NumberInputInfo& info : kNumberInputs)
        if (info.command == command) return &info;
    return nullptr;
}

std::optional<uint32_t> numberInputValue(std::string_view text) {
    std::size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r'))) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    uint64_t value = 0;
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p) {
        value = value * 10 + uint64_t(text[p] - '0');
        if (value > kNumberInputMax) return std::nullopt;
    }
    if (negative && value != 0) return std::nullopt;
    return uint32_t(value);
}

NumberInputDialog::NumberInputDialog(QWidget* parent, const QString& title, const QString& prompt,
                                     uint32_t value, MessageFunction message)
    : DialogBase(parent, title, 180, 64, 0), value_(value), message_(std::move(message)) {
    place(new QLabel(prompt), kNumberPromptId, 10, 8, 160, 10);
    edit_ = new QLineEdit;
    const QString shown = QString::number(value);
    // A stored value longer than the field is still shown whole.
    edit_->setMaxLength(std::max<int>(kNumberInputChars, int(shown.size())));
    edit_->setText(shown);
    edit_->selectAll();
    place(edit_, kNumberEditId, 10, 20, 160, 12);
    addStockButton(kIdOk, 47, 42, 40, 14);
    addStockButton(kIdCancel, 93, 42, 40, 14);
    edit_->setFocus();
}

void NumberInputDialog::onOk() {
    const auto v = numberInputValue(edit_->text().toStdString());
    if (!v) {
        if (message_)
            message_(this, QString::fromStdString(rangeMessage(0, long(kNumberInputMax))));
        edit_->setFocus();
        edit_->selectAll();
        return;
    }
    value_ = *v;
    accept();
}
