#include "dialogs/OptionDialogs.h"

#include "dialogs/Buttons.h"
#include "sound/Sound.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

// --- Decisions --------------------------------------------------------------

namespace {

// A relative speed as a whole number cut toward zero, kept inside int range.
int wholeSpeed(float speed) {
    if (std::isnan(speed)) return 0;
    const double t = std::trunc(double(speed));
    if (t > 1e6) return 1000000;
    if (t < -1e6) return -1000000;
    return int(t);
}

}   // namespace

int speedButtonFor(float speed) {
    const int whole = wholeSpeed(speed);
    for (std::size_t i = 0; i < kRelativeSpeeds.size(); ++i)
        if (kRelativeSpeeds[i] <= whole) return int(i);
    return -1;
}

int timeWindowButtonFor(int seconds) {
    const int minutes = seconds / 60;
    for (std::size_t i = 0; i < kTimeWindowMinutes.size(); ++i)
        if (kTimeWindowMinutes[i] >= minutes) return int(i);
    return -1;
}

int timeWindowMinutesOnOk(int checkedIndex, int seconds) {
    if (checkedIndex >= 0 && checkedIndex < int(kTimeWindowMinutes.size()))
        return kTimeWindowMinutes[std::size_t(checkedIndex)];
    return seconds / 60;
}

PhasesChoice phasesChoiceFrom(const Settings& s) {
    PhasesChoice c;
    c.labelEarth = s.labelPhasesOnEarth;
    c.labelCrossSection = s.labelPhasesOnCrossSection;
    c.labelSeismogram = s.labelPhasesOnSeismogram;
    c.all = s.allPhasesOnCrossSection;
    c.p = s.pPhasesOnCrossSection;
    c.s = s.sPhasesOnCrossSection;
    c.specified = s.specifiedPhasesOnCrossSection;
    for (std::size_t i = 0; i < c.fields.size() && i < s.phases.size(); ++i)
        c.fields[i] = s.phases[i];
    return c;
}

void applyPhasesChoice(Settings& s, const PhasesChoice& c) {
    s.labelPhasesOnEarth = c.labelEarth;
    s.labelPhasesOnCrossSection = c.labelCrossSection;
    s.labelPhasesOnSeismogram = c.labelSeismogram;
    s.allPhasesOnCrossSection = c.all;
    s.pPhasesOnCrossSection = c.p;
    s.sPhasesOnCrossSection = c.s;
    s.specifiedPhasesOnCrossSection = c.specified;
    s.phases.clear();
    for (const std::string& field : c.fields)
        if (!field.empty()) appendPhase(s.phases, field.substr(0, kPhaseFieldMax).c_str());
}

QSize viewButtonSize(const DialogUnits& u) {
    // Never smaller than the largest picture with the margins it has on a
    // button of standard size (6 left and right, 5 above, 4 below), so a
    // small or odd system font cannot clip a picture.
    const int w = (u.baseX * 165 / 4) * 2 / 5;
    const int h = (u.baseY * 132 / 8) * 3 / 8;
    return QSize(std::max(w, kViewPictureSize.width() + 12),
                 std::max(h, kViewPictureSize.height() + 9));
}

DialogUnits systemDialogUnits() { return DialogUnits::of(QApplication::font()); }

// --- Radio buttons ----------------------------------------------------------

namespace {

// Radio buttons that the program checks freely (set-up may show several or
// none) while a click checks the clicked one and clears the others.
void makeGroup(const std::vector<QRadioButton*>& group, std::function<void(int)> onClick = {}) {
    for (QRadioButton* r : group) r->setAutoExclusive(false);
    for (std::size_t i = 0; i < group.size(); ++i) {
        QObject::connect(group[i], &QRadioButton::clicked, group[i], [group, i, onClick] {
            for (std::size_t j = 0; j < group.size(); ++j) group[j]->setChecked(j == i);
            if (onClick) onClick(int(i));
        });
    }
}

template <std::size_t N>
int firstChecked(const std::array<QRadioButton*, N>& group) {
    for (std::size_t i = 0; i < N; ++i)
        if (group[i]->isChecked()) return int(i);
    return -1;
}

}   // namespace

// --- AudioDialog ------------------------------------------------------------

AudioDialog::AudioDialog(QWidget* parent, Settings& settings)
    : DialogBase(parent, tr("Audio"), 207, 111, kHelpTopic), settings_(settings),
      chosen_(int(settings.audio)) {
    place(new QLabel(tr("Specify what sound you want")), 0, 8, 10, 104, 12);
    place(new QLabel(tr("when a wave arrives at a station.")), 0, 8, 23, 113, 9);
    const char* labels[4] = {"No Sound", "PC Speaker", "Earthquake sounds", "Chime"};
    // "Earthquake sounds" gets the 76 units of "No Sound": at 54 its label is cut off.
    const int geometry[4][4] = {{6, 40, 76, 13}, {6, 56, 71, 12}, {6, 71, 76, 13}, {6, 87, 77, 11}};
    for (int i = 0; i < 4; ++i) {
        radios_[std::size_t(i)] = new QRadioButton(tr(labels[i]));
        place(radios_[std::size_t(i)], 174 + i, geometry[i][0], geometry[i][1], geometry[i][2],
              geometry[i][3]);
    }
    makeGroup({radios_.begin(), radios_.end()});
    for (int i = 0; i < 4; ++i) radios_[std::size_t(i)]->setChecked(i == int(settings.audio));
    addStockButton(kIdOk, 154, 12, 37, 25);
    addStockButton(kIdCancel, 154, 47, 37, 25);
    addStockButton(kIdHelp, 154, 82, 37, 25);
}

void AudioDialog::onOk() {
    const int i = firstChecked(radios_);
    if (i >= 0) chosen_ = i;
    accept();
}

void AudioDialog::apply() {
    if (chosen_ >= 0 && chosen_ <= 3) settings_.audio = AudioMode(chosen_);
}

// --- ViewDialog -------------------------------------------------------------

ViewDialog::ViewDialog(QWidget* parent, Settings& settings, Sound& sound)
    : DialogBase(parent, tr("Orvanta View"), 186, 132, 0), settings_(settings), sound_(sound) {
    const QSize size = viewButtonSize(systemDialogUnits());
    const int w = size.width(), h = size.height();
    // The dialog grows when its font is small beside the system font.
    setFixedSize(std::max(width(), 2 * w + 15), std::max(height(), 2 * h + 15));
    struct Place {
        int id, bitmap, x, y;
    };
    const Place places[4] = {
        {556, 5, 5, 5}, {557, 7, 5, h + 10}, {558, 6, w + 10, 5}, {kIdCancel, 9, w + 10, h + 10}};
    for (const Place& s : places) {
        auto* button = new PictureButton(this, s.id, s.bitmap, s.x, s.y, w, h);
        button->setProperty("ovControlId", s.id);
        connect(button, &PictureButton::command, this, [this](int id) { choose(id); });
    }
}

PictureButton* ViewDialog::button(int id) const { return findControlAs<PictureButton>(this, id); }

void ViewDialog::choose(int id) {
    sound_.click();
    if (id == 556) settings_.view = ViewMode::All;
    if (id == 557) settings_.view = ViewMode::Globe3D;
    if (id == 558) settings_.view = ViewMode::CrossSection;
    accept();
}

// --- PhasesDialog -----------------------------------------------------------

namespace {
struct FieldPlace {
    int id, x, y;
};
constexpr FieldPlace kFieldPlaces[8] = {{111, 16, 180}, {112, 16, 200}, {113, 16, 220},
                                        {114, 16, 240}, {115, 76, 180}, {116, 76, 200},
                                        {118, 76, 220}, {117, 76, 240}};
}   // namespace

PhasesDialog::PhasesDialog(QWidget* parent, Settings& settings)
    : DialogBase(parent, tr("Phases"), 219, 276, kHelpTopic), settings_(settings) {
    place(new QGroupBox(tr("Label phases on view:")), 110, 9, 11, 109, 74);
    place(new QGroupBox(tr("Which phases to show on cross-section")), 109, 4, 96, 152, 168);
    place(new QCheckBox(tr("Earth")), 102, 21, 31, 83, 10);
    place(new QCheckBox(tr("Cross-Section")), 103, 21, 47, 85, 11);
    place(new QCheckBox(tr("Seismogram")), 105, 21, 63, 84, 11);
    std::vector<QRadioButton*> radios = {new QRadioButton(tr("All")),
                                         new QRadioButton(tr("P plus all phases generated by P")),
                                         new QRadioButton(tr("S plus all phases generated by S")),
                                         new QRadioButton(tr("Those indicated below"))};
    place(radios[0], 104, 16, 108, 60, 13);
    place(radios[1], 101, 16, 126, 132, 9);
    place(radios[2], 106, 16, 140, 124, 17);
    place(radios[3], 107, 16, 160, 104, 13);
    makeGroup(radios);
    for (const FieldPlace& f : kFieldPlaces) {
        auto* edit = new QLineEdit;
        edit->setMaxLength(kPhaseFieldMax);
        place(edit, f.id, f.x, f.y, 31, 12);
    }
    addStockButton(kIdOk, 164, 9, 37, 25);
    addStockButton(kIdCancel, 164, 41, 37, 25);
    addStockButton(kIdHelp, 164, 76, 43, 25);

    const PhasesChoice c = phasesChoiceFrom(settings);
    findControlAs<QCheckBox>(this, 102)->setChecked(c.labelEarth);
    findControlAs<QCheckBox>(this, 103)->setChecked(c.labelCrossSection);
    findControlAs<QCheckBox>(this, 105)->setChecked(c.labelSeismogram);
    radios[0]->setChecked(c.all);
    radios[1]->setChecked(c.p);
    radios[2]->setChecked(c.s);
    radios[3]->setChecked(c.specified);
    for (std::size_t i = 0; i < kPhaseFieldIds.size(); ++i)
        findControlAs<QLineEdit>(this, kPhaseFieldIds[i])
            ->setText(QString::fromStdString(c.fields[i]));
}

PhasesChoice PhasesDialog::currentChoice() const {
    PhasesChoice c;
    auto checked = [this](int id) {
        auto* b = findControlAs<QAbstractButton>(this, id);
        return b && b->isChecked();
    };
    c.labelEarth = checked(102);
    c.labelCrossSection = checked(103);
    c.labelSeismogram = checked(105);
    c.all = checked(104);
    c.p = checked(101);
    c.s = checked(106);
    c.specified = checked(107);
    for (std::size_t i = 0; i < kPhaseFieldIds.size(); ++i)
        c.fields[i] = findControlAs<QLineEdit>(this, kPhaseFieldIds[i])->text().toStdString();
    return c;
}

void PhasesDialog::onOk() {
    applyPhasesChoice(settings_, currentChoice());
    accept();
}

// --- SpeedDialog ------------------------------------------------------------

SpeedDialog::SpeedDialog(QWidget* parent, RunState& run)
    : DialogBase(parent, tr("Relative Speed"), 126, 148, kHelpTopic), run_(run),
      kept_(wholeSpeed(run.timeAcceleration)) {
    std::vector<QRadioButton*> radios;
    for (std::size_t i = 0; i < kRelativeSpeeds.size(); ++i) {
        auto* r = new QRadioButton(QString::number(kRelativeSpeeds[i]));
        place(r, 101 + int(i), 8, 9 + 12 * int(i), 40, 10);
        radios.push_back(r);
    }
    makeGroup(radios, [this](int i) { kept_ = kRelativeSpeeds[std::size_t(i)]; });
    const int initial = speedButtonFor(run.timeAcceleration);
    for (int i = 0; i < int(radios.size()); ++i) radios[std::size_t(i)]->setChecked(i == initial);
    addStockButton(kIdOk, 61, 10, 50, 14);
    addStockButton(kIdCancel, 61, 35, 50, 14);
    addStockButton(kIdHelp, 61, 61, 50, 14);
}

void SpeedDialog::apply() { run_.timeAcceleration = float(kept_); }

// --- TimeWindowDialog -------------------------------------------------------

TimeWindowDialog::TimeWindowDialog(QWidget* parent, RunState& run)
    : DialogBase(parent, tr("Time Window Dialog"), 165, 171, kHelpTopic), run_(run),
      minutes_(run.timeWindow / 60) {
    place(new QLabel(tr("Set seismogram time window")), 0, 9, 9, 113, 18);
    const char* labels[7] = {"5 Minutes",  "10 Minutes", "15 Minutes", " 20 Minutes",
                             "30 Minutes", "45 Minutes", "1 Hour"};
    std::vector<QRadioButton*> radios;
    for (int i = 0; i < 7; ++i) {
        auto* r = new QRadioButton(tr(labels[i]));
        place(r, 556 + i, 10, 33 + 20 * i, 60, 12);
        radios.push_back(r);
    }
    makeGroup(radios);
    const int initial = timeWindowButtonFor(run.timeWindow);
    for (int i = 0; i < 7; ++i) radios[std::size_t(i)]->setChecked(i == initial);
    addStockButton(kIdOk, 98, 41, 50, 14);
    addStockButton(kIdCancel, 98, 59, 50, 14);
    addStockButton(kIdHelp, 98, 77, 50, 14);
}

void TimeWindowDialog::onOk() {
    int checked = -1;
    for (int i = 0; i < 7 && checked < 0; ++i) {
        auto* r = findControlAs<QRadioButton>(this, 556 + i);
        if (r && r->isChecked()) checked = i;
    }
    minutes_ = timeWindowMinutesOnOk(checked, run_.timeWindow);
    accept();
}

void TimeWindowDialog::apply() { run_.timeWindow = int16_t(minutes_ * 60); }
