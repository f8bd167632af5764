// "Event Information": the particulars of an event touched on the world map,
// with GO (start it), Select Stations (choose components on the map), Cancel
// and Help.
#pragma once

#include "data/EventFile.h"
#include "dialogs/DialogBase.h"

#include <array>
#include <string>

// The seven value texts in the order name, date, time, latitude, longitude,
// depth, magnitude ("%-8.3f" for the coordinates, "%-8.0f" for the depth in
// whole kilometres, "%-8.1f" for the magnitude).
std::array<std::string, 7> eventInformationValues(const EventRecord& event);

class EventInformationDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1016;
    static constexpr int kGoId = 1, kSelectStationsId = 606;
    // Value controls in the order of eventInformationValues.
    static constexpr std::array<int, 7> kValueIds{601, 602, 603, 556, 557, 604, 605};

    EventInformationDialog(QWidget* parent, const EventRecord& event);

    // Closed with "Select Stations" (the result is then Accepted too).
    bool selectStations() const { return selectStations_; }
    QString valueText(int id) const;

private:
    bool selectStations_ = false;
};
