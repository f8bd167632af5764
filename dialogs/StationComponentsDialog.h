// "Station Components": where a station lies, how far it is from the event,
// and which of its components Z, N-S and E-W are played, for this station or
// for every station of the event.
#pragma once

#include "data/RunSetup.h"
#include "dialogs/DialogBase.h"

#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QRadioButton;

// --- Rules, free of widgets -----------------------------------------------

// State of one component in the dialog.
constexpr int kComponentNotUsed = 0;
constexpr int kComponentUsed = 1;
constexpr int kComponentNotAvailable = 2;

using ComponentStates = std::array<int, 3>;   // Z, N, E

// The look of a three-state box.
enum class BoxLook { Unchecked, Checked, Indeterminate };

// Not available: 2; otherwise 1 when the station plays it, 0 when not.
ComponentStates componentStates(const StationRecord& station);
BoxLook lookOfState(int state);
// What a click makes of a three-state box: unchecked, checked, indeterminate, unchecked...
BoxLook nextBoxLook(BoxLook look);
// The state after a click that gave the box `look`: a component that is not
// available stays so; otherwise checked means used, anything else not used.
int stateAfterClick(int state, BoxLook look);
// Sets the used flag of every available component of `station` from the states.
void applyComponentStates(const ComponentStates& states, StationRecord& station);
// "All Stations": every station of the list gets, for each component the
// dialog's station has, used = (state is 1) where that station has the component.
void applyToAllStations(const ComponentStates& states, std::vector<StationRecord>& stations);

// "%-8.3f": a latitude or longitude, sign kept, padded with blanks to 8.
std::string formatCoordinate(float degrees);
// "%-8.1f deg": the great-circle arc and the back azimuth.
std::string formatArc(float degrees);
// "%s: %s": station name (without its padding) and description; the name
// alone when there is no description.
std::string stationLine(const StationRecord& station);

// --- Dialog ---------------------------------------------------------------

class StationComponentsDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1022;
    static constexpr int kStationLineId = 611, kLatitudeId = 612, kLongitudeId = 614, kArcId = 613,
                         kBackAzimuthId = 186;
    static constexpr int kZId = 181, kNId = 182, kEId = 183;
    static constexpr int kThisStationId = 184, kAllStationsId = 185;

    // `stations` is the event's station list, changed by OK with "All Stations".
    StationComponentsDialog(QWidget* parent, const StationRecord& station,
                            std::vector<StationRecord>& stations, float arc, float backAzimuth);

    const ComponentStates& states() const { return states_; }
    bool allStations() const { return allStations_; }
    // Applies the dialog's choices to the station (the opener calls it after OK).
    void applyTo(StationRecord& station) const { applyComponentStates(states_, station); }

    QCheckBox* componentBox(int place) const { return boxes_[static_cast<std::size_t>(place)]; }
    QRadioButton* thisStationButton() const { return thisStation_; }
    QRadioButton* allStationsButton() const { return allStationsRadio_; }
    // The text of a static value (by its control id).
    QString valueText(int id) const;

protected:
    void onOk() override;

private:
    void boxClicked(int place);

    std::vector<StationRecord>& stations_;
    ComponentStates states_{};
    std::array<QCheckBox*, 3> boxes_{};
    QRadioButton* thisStation_ = nullptr;
    QRadioButton* allStationsRadio_ = nullptr;
    bool allStations_ = false;
};
