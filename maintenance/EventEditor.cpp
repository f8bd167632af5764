#include "maintenance/EventEditor.h"

#include "fileio/FileSystem.h"
#include "fileio/TextInput.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <system_error>

using namespace textinput;

const std::array<EditorFieldInfo, kEditorFieldCount> kEditorFields = {{
    {701, 40, false, 0, 0},       // name
    {702, 12, false, 0, 0},       // latitude
    {703, 12, false, 0, 0},       // longitude
    {704, 8, false, 0, 0},        // depth
    {705, 6, false, 0, 0},        // magnitude
    {706, 6, true, 1000, 2100},   // year
    {707, 4, true, 1, 12},        // month
    {708, 4, true, 1, 31},        // day
    {717, 4, true, 0, 24},        // hour
    {719, 4, true, 0, 59},        // minute
    {718, 6, false, 0, 0},        // second
    {720, 8, true, -100, 100},    // speed
    {721, 8, true, 5, 60},        // time window, minutes
    {709, 8, true, 5, 180},       // time limit, minutes
}};

const std::array<const char*, kViewAngleCount> kViewAngleLabels = {"0",   "45E",  "90E", "135E",
                                                                   "180", "135W", "90W", "45W"};

namespace {

// "%-w.df": the number left-aligned in a field of w characters.
std::string leftFixed(float value, int width, int decimals) {
    std::string text = formatFixed(value, 0, decimals);
    if (static_cast<int>(text.size()) < width) text.append(width - text.size(), ' ');
    return text;
}

std::string intText(long value, const char* format = "%ld") {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The name keeps at most 39 bytes, cut on a character boundary.
std::string cutName(const std::string& name) {
    if (name.size() <= kEventNameMax) return name;
    std::size_t end = kEventNameMax;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

}   // namespace

int viewAngleIndex(int32_t angle) {
    int32_t a = angle % 360;
    if (a < 0) a += 360;
    return a / 45;
}

EventEditorTexts editorTextsFrom(const EventRecord& r) {
    EventEditorTexts t;
    t.viewIndex = viewAngleIndex(r.viewAngle);
    t.text[kFieldName] = r.name;
    t.text[kFieldLatitude] = leftFixed(r.latitude, 8, 3);
    t.text[kFieldLongitude] = leftFixed(r.longitude, 8, 3);
    t.text[kFieldDepth] = leftFixed(r.depth, 6, 1);
    t.text[kFieldMagnitude] = leftFixed(r.magnitude, 4, 1);
    t.text[kFieldYear] = intText(r.year, "%04ld");
    // Month, day, hour and minute are never negative in a sound file; a
    // broken one shows its number as it is rather than wrapped around.
    t.text[kFieldMonth] = intText(r.month);
    t.text[kFieldDay] = intText(r.day);
    t.text[kFieldHour] = intText(r.hour);
    t.text[kFieldMinute] = intText(r.minute);
    t.text[kFieldSecond] = leftFixed(r.second, 4, 1);
    t.text[kFieldSpeed] = intText(r.timeAcceleration);
    t.text[kFieldTimeWindow] = intText(r.timeWindow / 60);
    t.text[kFieldTimeLimit] = intText(r.timeLimit / 60);
    return t;
}

long rangedValue(std::string_view text) {
    std::size_t p = 0;
    while (p < text.size() && isBlank(text[p])) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    constexpr long kLimit = 1000000000L;   // far outside every range
    long value = 0;
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p)
        value = std::min(kLimit, value * 10 + (text[p] - '0'));
    return negative ? -value : value;
}

std::optional<RangeFailure> checkEditorTexts(const EventEditorTexts& texts) {
    for (int i = 0; i < kEditorFieldCount; ++i) {
        const EditorFieldInfo& f = kEditorFields[i];
        if (!f.ranged) continue;
        const long v = rangedValue(texts.text[i]);
        if (v < f.low || v > f.high) return RangeFailure{EditorField(i), f.low, f.high};
    }
    return std::nullopt;
}

std::optional<std::string> replaceQuestion(const EventRecord& edited, const std::string& openedPath,
                                           const std::string& dir) {
    // The name the save gives the file (the date texts follow the numbers).
    EventRecord named = edited;
    refreshEventTexts(named);
    const std::string target = joinPath(dir, named.fileName);
    if (!fileExists(target)) return std::nullopt;
    if (!openedPath.empty()) {
        std::error_code ec;
        const std::filesystem::path a(resolvePath(target));
        const std::filesystem::path b(resolvePath(joinPath(dir, openedPath)));
        if (std::filesystem::equivalent(a, b, ec)) return std::nullopt;
    }
    const EventRecord existing = readEventFile(target);
    return "An event file " + named.fileName + " already exists (" + existing.name
           + "). Replace it?";
}

std::string rangeMessage(long low, long high) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "Value is not in the range %ld to %ld.", low, high);
    return buffer;
}

bool acceptsWhileTyping(const EditorFieldInfo& field, char16_t c) {
    if (!field.ranged) return true;
    if (c >= u'0' && c <= u'9') return true;
    if (c == u'+') return true;
    return c == u'-' && field.low < 0;
}

void applyEditorTexts(EventRecord& r, const EventEditorTexts& t) {
    const auto readF = [&](EditorField f, float& field) {
        std::size_t pos = 0;
        readFloat(t.text[f], pos, field);
    };
    const auto readD = [&](EditorField f, int32_t& field) {
        std::size_t pos = 0;
        readInt(t.text[f], pos, field);
    };
    // "%u" into a signed field: a text whose number is not a count leaves it.
    const auto readU = [&](EditorField f, int32_t& field) {
        std::size_t pos = 0;
        uint32_t v = 0;
        if (readUnsigned(t.text[f], pos, v) && v <= uint32_t(INT32_MAX)) field = int32_t(v);
    };

    r.viewAngle = 45 * std::clamp(t.viewIndex, 0, kViewAngleCount - 1);
    r.name = cutName(t.text[kFieldName]);
    readF(kFieldLatitude, r.latitude);
    readF(kFieldLongitude, r.longitude);
    readF(kFieldDepth, r.depth);
    readF(kFieldMagnitude, r.magnitude);
    readD(kFieldYear, r.year);
    readU(kFieldMonth, r.month);
    readU(kFieldDay, r.day);
    readU(kFieldHour, r.hour);
    readU(kFieldMinute, r.minute);
    readF(kFieldSecond, r.second);
    refreshEventTexts(r);

    // Minutes become seconds; a count too large for the seconds field (only
    // possible for texts that were never range-checked) leaves it.
    const auto readMinutes = [&](EditorField f, int32_t& seconds) {
        int32_t minutes = 0;
        std::size_t pos = 0;
        if (readInt(t.text[f], pos, minutes) && minutes <= INT32_MAX / 60
            && minutes >= INT32_MIN / 60)
            seconds = minutes * 60;
    };
    readMinutes(kFieldTimeWindow, r.timeWindow);
    readMinutes(kFieldTimeLimit, r.timeLimit);
    readD(kFieldSpeed, r.timeAcceleration);
}

// --- Dialog -----------------------------------------------------------------

namespace {

// Refuses every typed or pasted character the field does not take.
class TypingFilter : public QValidator {
public:
    TypingFilter(const EditorFieldInfo& info, QObject* parent) : QValidator(parent), field_(info) {}
    State validate(QString& input, int&) const override {
        for (QChar c : input)
            if (!acceptsWhileTyping(field_, c.unicode())) return Invalid;
        return Acceptable;
    }

private:
    EditorFieldInfo field_;
};

struct FieldPlace {
    const char* label;
    int labelX, labelY, labelW;
    int x, y, w;
};

// Label and field positions in dialog units, in the order of EditorField.
constexpr FieldPlace kPlaces[kEditorFieldCount] = {
    {"Event Name", 3, 8, 60, 67, 6, 96},      {"Latitude", 3, 24, 60, 67, 22, 60},
    {"Longitude", 3, 40, 60, 67, 38, 60},     {"Depth", 3, 56, 60, 67, 54, 35},
    {"Magnitude", 3, 72, 60, 67, 70, 35},     {"Year:", 67, 92, 26, 94, 90, 28},
    {"Month:", 125, 92, 26, 152, 90, 22},     {"Day:", 190, 92, 26, 217, 90, 22},
    {"Hour", 67, 106, 26, 94, 104, 22},       {"Minute:", 125, 106, 26, 152, 104, 22},
    {"Second:", 190, 106, 26, 217, 104, 28},  {"Speed", 3, 142, 60, 67, 140, 28},
    {"Time Window", 3, 160, 60, 67, 158, 28}, {"Time limit", 160, 142, 45, 207, 140, 28},
};

}   // namespace

EventEditorDialog::EventEditorDialog(QWidget* parent, const EventRecord& record,
                                     MessageFunction message)
    : DialogBase(parent, tr("Edit Event"), 316, 176, kHelpTopic), message_(std::move(message)) {
    const EventEditorTexts texts = editorTextsFrom(record);
    for (int i = 0; i < kEditorFieldCount; ++i) {
        const FieldPlace& p = kPlaces[i];
        const EditorFieldInfo& info = kEditorFields[i];
        place(new QLabel(tr(p.label)), 0, p.labelX, p.labelY, p.labelW, 10);
        auto* edit = new QLineEdit;
        const QString shown = QString::fromStdString(texts.text[i]);
        // The capacity limits typing; a stored value is always shown whole,
        // so confirming the form never changes a field nobody touched.
        edit->setMaxLength(std::max<int>(info.capacity - 1, int(shown.size())));
        if (info.ranged) edit->setValidator(new TypingFilter(info, edit));
        edit->setText(shown);
        place(edit, info.id, p.x, p.y, p.w, 12);
        fields_[i] = edit;
    }
    place(new QLabel(tr("(Relative speed)")), 0, 97, 141, 60, 10);
    place(new QLabel(tr("(In minutes)")), 0, 97, 159, 60, 10);
    place(new QLabel(tr("(in minutes)")), 0, 238, 141, 50, 10);

    place(new QLabel(tr("View Angle")), 0, 3, 124, 60, 10);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < kViewAngleCount; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(kViewAngleLabels[i]));
        place(radio, kFirstViewAngleId + i, 68 + 31 * i, 122, 31, 13);
        group->addButton(radio, i);
        angles_[i] = radio;
    }
    angles_[texts.viewIndex]->setChecked(true);

    addStockButton(kIdOk, 248, 15, 50, 14);
    addStockButton(kIdCancel, 248, 35, 50, 14);
    addStockButton(kHelpId, 248, 55, 50, 14);
    fields_[kFieldName]->setFocus();
}

EventEditorTexts EventEditorDialog::currentTexts() const {
    EventEditorTexts t;
    for (int i = 0; i < kEditorFieldCount; ++i) t.text[i] = fields_[i]->text().toStdString();
    t.viewIndex = 0;
    for (int i = 0; i < kViewAngleCount; ++i)
        if (angles_[i]->isChecked()) {
            t.viewIndex = i;
            break;
        }
    return t;
}

void EventEditorDialog::onOk() {
    const EventEditorTexts texts = currentTexts();
    if (const auto failure = checkEditorTexts(texts)) {
        if (message_)
            message_(this, QString::fromStdString(rangeMessage(failure->low, failure->high)));
        QLineEdit* edit = fields_[failure->field];
        edit->setFocus();
        edit->selectAll();
        return;
    }
    confirmed_ = texts;
    accept();
}
