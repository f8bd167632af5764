#include "dialogs/StationComponentsDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <cstdio>
#include <functional>

// --- Rules ----------------------------------------------------------------

ComponentStates componentStates(const StationRecord& station) {
    ComponentStates s{};
    for (std::size_t p = 0; p < 3; ++p) {
        if (!station.available[p])
            s[p] = kComponentNotAvailable;
        else
            s[p] = station.selected[p] ? kComponentUsed : kComponentNotUsed;
    }
    return s;
}

BoxLook lookOfState(int state) {
    switch (state) {
    case kComponentUsed: return BoxLook::Checked;
    case kComponentNotAvailable: return BoxLook::Indeterminate;
    default: return BoxLook::Unchecked;
    }
}

BoxLook nextBoxLook(BoxLook look) {
    switch (look) {
    case BoxLook::Unchecked: return BoxLook::Checked;
    case BoxLook::Checked: return BoxLook::Indeterminate;
    default: return BoxLook::Unchecked;
    }
}

int stateAfterClick(int state, BoxLook look) {
    if (state == kComponentNotAvailable) return kComponentNotAvailable;
    return look == BoxLook::Checked ? kComponentUsed : kComponentNotUsed;
}

void applyComponentStates(const ComponentStates& states, StationRecord& station) {
    for (std::size_t p = 0; p < 3; ++p)
        if (states[p] != kComponentNotAvailable) station.selected[p] = states[p] == kComponentUsed;
}

void applyToAllStations(const ComponentStates& states, std::vector<StationRecord>& stations) {
    for (StationRecord& s : stations)
        for (std::size_t p = 0; p < 3; ++p)
            if (states[p] != kComponentNotAvailable && s.available[p])
                s.selected[p] = states[p] == kComponentUsed;
}

namespace {
std::string printed(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}
}   // namespace

std::string formatCoordinate(float degrees) { return printed("%-8.3f", degrees); }

std::string formatArc(float degrees) { return printed("%-8.1f deg", degrees); }

std::string stationLine(const StationRecord& station) {
    // Names come blank-padded to 8 characters from the seismogram header,
    // and some headers put blanks before the name too.
    std::string name = station.stationName;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    name.erase(0, std::min(name.find_first_not_of(' '), name.size()));
    if (station.description.empty()) return name;
    return name + ": " + station.description;
}

// --- Dialog ---------------------------------------------------------------

namespace {

// A three-state box whose click follows nextBoxLook and then hands the new
// look to the dialog, which settles the box on the component's state.
class ComponentBox : public QCheckBox {
public:
    ComponentBox(const QString& text, QWidget* parent, std::function<void()> clicked)
        : QCheckBox(text, parent), clicked_(std::move(clicked)) {
        setTristate(true);
    }

protected:
    void nextCheckState() override {
        const BoxLook now = checkState() == Qt::Checked            ? BoxLook::Checked
                            : checkState() == Qt::PartiallyChecked ? BoxLook::Indeterminate
                                                                   : BoxLook::Unchecked;
        setLook(nextBoxLook(now));
        clicked_();
    }

public:
    void setLook(BoxLook look) {
        setCheckState(look == BoxLook::Checked         ? Qt::Checked
                      : look == BoxLook::Indeterminate ? Qt::PartiallyChecked
                                                       : Qt::Unchecked);
    }
    BoxLook look() const {
        return checkState() == Qt::Checked            ? BoxLook::Checked
               : checkState() == Qt::PartiallyChecked ? BoxLook::Indeterminate
                                                      : BoxLook::Unchecked;
    }

private:
    std::function<void()> clicked_;
};

}   // namespace

StationComponentsDialog::StationComponentsDialog(QWidget* parent, const StationRecord& station,
                                                 std::vector<StationRecord>& stations, float arc,
                                                 float backAzimuth)
    : DialogBase(parent, tr("Station Components"), 180, 181, kHelpTopic), stations_(stations) {
    auto label = [this](const QString& text, int id, int x, int y, int w, int h) {
        auto* l = new QLabel(text, this);
        place(l, id, x, y, w, h);
        return l;
    };
    label(QString::fromStdString(stationLine(station)), kStationLineId, 3, 6, 157, 8);
    label(tr("Latitude:"), 0, 3, 21, 70, 10);
    label(QString::fromStdString(formatCoordinate(station.latitude)), kLatitudeId, 75, 23, 52, 11);
    label(tr("Longitude:"), 0, 3, 36, 70, 10);
    label(QString::fromStdString(formatCoordinate(station.longitude)), kLongitudeId, 75, 37, 52,
          11);
    label(tr("Great-Circle Arc:"), 0, 3, 51, 70, 10);
    label(QString::fromStdString(formatArc(arc)), kArcId, 75, 51, 52, 11);
    label(tr("Back Azimuth:"), 0, 3, 66, 70, 10);
    label(QString::fromStdString(formatArc(backAzimuth)), kBackAzimuthId, 75, 65, 52, 11);

    states_ = componentStates(station);
    const char* names[3] = {"Z", "N-S", "E-W"};
    const int ids[3] = {kZId, kNId, kEId};
    const int geometry[3][4] = {{6, 89, 26, 15}, {6, 110, 28, 16}, {6, 131, 28, 16}};
    for (int p = 0; p < 3; ++p) {
        auto* box = new ComponentBox(tr(names[p]), this, [this, p] { boxClicked(p); });
        place(box, ids[p], geometry[p][0], geometry[p][1], geometry[p][2], geometry[p][3]);
        box->setLook(lookOfState(states_[static_cast<std::size_t>(p)]));
        boxes_[static_cast<std::size_t>(p)] = box;
    }

    thisStation_ = new QRadioButton(tr("This Station"), this);
    place(thisStation_, kThisStationId, 5, 158, 60, 12);
    allStationsRadio_ = new QRadioButton(tr("All Stations"), this);
    place(allStationsRadio_, kAllStationsId, 73, 158, 60, 12);
    thisStation_->setChecked(true);

    addStockButton(kIdOk, 116, 93, 50, 14);
    addStockButton(kIdCancel, 116, 116, 50, 14);
    addStockButton(kIdHelp, 116, 138, 50, 14);
}

QString StationComponentsDialog::valueText(int id) const {
    auto* l = findControlAs<QLabel>(this, id);
    return l ? l->text() : QString();
}

void StationComponentsDialog::boxClicked(int place) {
    auto* box = static_cast<ComponentBox*>(boxes_[static_cast<std::size_t>(place)]);
    int& state = states_[static_cast<std::size_t>(place)];
    state = stateAfterClick(state, box->look());
    box->setLook(lookOfState(state));
}

void StationComponentsDialog::onOk() {
    if (allStationsRadio_->isChecked()) {
        allStations_ = true;
        applyToAllStations(states_, stations_);
    }
    accept();
}
