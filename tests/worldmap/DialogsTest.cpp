// The Event Information and Station Components dialogs: their rules, their
// formatted values and their controls.
#include "dialogs/StationComponentsDialog.h"
#include "seismology/SphericalGeometry.h"
#include "views/EventInformationDialog.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

StationRecord station(const std::string& name, bool z, bool n, bool e) {
    StationRecord s;
    s.stationName = name;
    s.available = {z, n, e};
    s.selected = {z, n, e};
    for (std::size_t p = 0; p < 3; ++p)
        if (s.available[p]) s.componentFile[p] = name + ".BH" + "ZNE"[p];
    return s;
}

TEST(StationComponentRules, StatesFollowAvailabilityAndUse) {
    StationRecord s = station("ANMO", true, true, false);
    s.selected[1] = false;
    EXPECT_EQ(componentStates(s), (ComponentStates{1, 0, 2}));
    EXPECT_EQ(lookOfState(0), BoxLook::Unchecked);
    EXPECT_EQ(lookOfState(1), BoxLook::Checked);
    EXPECT_EQ(lookOfState(2), BoxLook::Indeterminate);

    // Clicks cycle the box; an available component only ever becomes used
    // or not used, a missing one stays missing.
    EXPECT_EQ(nextBoxLook(BoxLook::Unchecked), BoxLook::Checked);
    EXPECT_EQ(nextBoxLook(BoxLook::Checked), BoxLook::Indeterminate);
    EXPECT_EQ(nextBoxLook(BoxLook::Indeterminate), BoxLook::Unchecked);
    EXPECT_EQ(stateAfterClick(0, BoxLook::Checked), 1);
    EXPECT_EQ(stateAfterClick(1, BoxLook::Indeterminate), 0);
    EXPECT_EQ(stateAfterClick(1, BoxLook::Unchecked), 0);
    for (BoxLook look : {BoxLook::Unchecked, BoxLook::Checked, BoxLook::Indeterminate})
        EXPECT_EQ(stateAfterClick(2, look), 2);

    applyComponentStates(ComponentStates{0, 1, 2}, s);
    EXPECT_EQ(s.selected, (std::array<bool, 3>{false, true, false}));
}

TEST(StationComponentRules, AllStationsSetsOnlyWhatEachStationHas) {
    // Only N-S chosen at a station with all three components.
    std::vector<StationRecord> list = {station("FULL", true, true, true),
                                       station("ZONLY", true, false, false),
                                       station("ZN", true, true, false)};
    applyToAllStations(ComponentStates{0, 1, 0}, list);
    EXPECT_EQ(list[0].selected, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(list[1].selected, (std::array<bool, 3>{false, false, false}));   // no N to set
    EXPECT_EQ(list[2].selected, (std::array<bool, 3>{false, true, false}));

    // Chosen at a station with only Z: N and E of the others stay as they were.
    std::vector<StationRecord> other = {station("FULL", true, true, true),
                                        station("ZONLY", true, false, false)};
    other[0].selected = {true, false, true};
    applyToAllStations(ComponentStates{0, 2, 2}, other);
    EXPECT_EQ(other[0].selected, (std::array<bool, 3>{false, false, true}));
    EXPECT_EQ(other[1].selected, (std::array<bool, 3>{false, false, false}));
}

TEST(StationComponentsFormat, ValuesAreFormattedAsShown) {
    EXPECT_EQ(formatCoordinate(-33.5f), "-33.500 ");
    EXPECT_EQ(formatCoordinate(5.25f), "5.250   ");
    EXPECT_EQ(formatCoordinate(-122.2356f), "-122.236");
    EXPECT_EQ(formatArc(0), "0.0      deg");
    EXPECT_EQ(formatArc(123.46f), "123.5    deg");
    StationRecord s = station("ANMO", true, false, false);
    s.description = "Albuquerque, New Mexico";
    EXPECT_EQ(stationLine(s), "ANMO: Albuquerque, New Mexico");
    for (const char* padded : {"ANMO    ", "  ANMO  "}) {   // as seismogram headers hold it
        s.stationName = padded;
        EXPECT_EQ(stationLine(s), "ANMO: Albuquerque, New Mexico");
    }
    s.description.clear();
    EXPECT_EQ(stationLine(s), "ANMO");

    // A station at the event: arc 0.0.
    const GreatCircle gc = greatCircle(34.9f, -106.5f, 34.9f, -106.5f);
    EXPECT_EQ(formatArc(gc.distance), "0.0      deg");
}

TEST(StationComponentsDialogTest, BoxesFollowTheThreeStateRules) {
    std::vector<StationRecord> list = {station("ZONLY", true, false, false)};
    StationComponentsDialog d(nullptr, list[0], list, 12.34f, 271.0f);
    EXPECT_EQ(d.windowTitle(), "Station Components");
    EXPECT_EQ(d.valueText(StationComponentsDialog::kLatitudeId), "0.000   ");
    EXPECT_EQ(d.valueText(StationComponentsDialog::kArcId), "12.3     deg");
    EXPECT_EQ(d.valueText(StationComponentsDialog::kBackAzimuthId), "271.0    deg");
    EXPECT_TRUE(d.thisStationButton()->isChecked());
    EXPECT_FALSE(d.allStationsButton()->isChecked());

    QCheckBox* z = d.componentBox(0);
    QCheckBox* n = d.componentBox(1);
    QCheckBox* e = d.componentBox(2);
    EXPECT_EQ(z->checkState(), Qt::Checked);
    EXPECT_EQ(n->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(e->checkState(), Qt::PartiallyChecked);

    // A missing component stays in the indeterminate look.
    n->click();
    e->click();
    e->click();
    EXPECT_EQ(n->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(e->checkState(), Qt::PartiallyChecked);
    // Z toggles between used and not used, never indeterminate.
    for (int i = 0; i < 4; ++i) {
        z->click();
        EXPECT_EQ(z->checkState(), i % 2 == 0 ? Qt::Unchecked : Qt::Checked);
        EXPECT_EQ(d.states()[0], i % 2 == 0 ? 0 : 1);
    }
    EXPECT_EQ(d.states(), (ComponentStates{1, 2, 2}));
}

TEST(StationComponentsDialogTest, OkWithAllStationsChangesTheWholeList) {
    std::vector<StationRecord> list = {station("FULL", true, true, true),
                                       station("ZONLY", true, false, false)};
    StationComponentsDialog d(nullptr, list[0], list, 0, 0);
    d.componentBox(0)->click();   // Z off
    d.componentBox(2)->click();   // E off
    d.allStationsButton()->click();
    findControlAs<QPushButton>(&d, kIdOk)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(d.allStations());
    EXPECT_EQ(list[0].selected, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(list[1].selected, (std::array<bool, 3>{false, false, false}));

    // Cancel changes nothing, "This Station" leaves the list to the opener.
    std::vector<StationRecord> kept = {station("FULL", true, true, true),
                                       station("ZN", true, true, false)};
    StationComponentsDialog c(nullptr, kept[0], kept, 0, 0);
    c.componentBox(1)->click();
    findControlAs<QPushButton>(&c, kIdCancel)->click();
    EXPECT_EQ(c.result(), QDialog::Rejected);
    EXPECT_EQ(kept[0].selected, (std::array<bool, 3>{true, true, true}));

    StationComponentsDialog t(nullptr, kept[0], kept, 0, 0);
    t.componentBox(1)->click();
    findControlAs<QPushButton>(&t, kIdOk)->click();
    EXPECT_FALSE(t.allStations());
    EXPECT_EQ(kept[1].selected, (std::array<bool, 3>{true, true, false}));
    t.applyTo(kept[0]);
    EXPECT_EQ(kept[0].selected, (std::array<bool, 3>{true, false, true}));
}

TEST(EventInformation, ValuesAreFormattedAsShown) {
    EventRecord e;
    e.name = "Loma Prieta";
    e.dateText = "1989/10/18";
    e.originTimeText = "00:04:15.2";
    e.latitude = -33.5f;
    e.longitude = 121.875f;
    e.depth = 10.4f;
    e.magnitude = 6.96f;
    const auto v = eventInformationValues(e);
    EXPECT_EQ(v[0], "Loma Prieta");
    EXPECT_EQ(v[1], "1989/10/18");
    EXPECT_EQ(v[2], "00:04:15.2");
    EXPECT_EQ(v[3], "-33.500 ");
    EXPECT_EQ(v[4], "121.875 ");
    EXPECT_EQ(v[5], "10      ");   // whole kilometres
    EXPECT_EQ(v[6], "7.0     ");

    EventInformationDialog d(nullptr, e);
    EXPECT_EQ(d.windowTitle(), "Event Information");
    EXPECT_EQ(d.valueText(556), "-33.500 ");
    EXPECT_EQ(d.valueText(604), "10      ");
    auto* go = findControlAs<QPushButton>(&d, EventInformationDialog::kGoId);
    ASSERT_NE(go, nullptr);
    EXPECT_EQ(go->text(), "GO");
    EXPECT_TRUE(go->isDefault());
    EXPECT_EQ(findControlAs<QPushButton>(&d, 606)->text(), "Select Stations");
    ASSERT_NE(findControlAs<QPushButton>(&d, kIdHelp), nullptr);

    go->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.selectStations());

    EventInformationDialog s(nullptr, e);
    findControlAs<QPushButton>(&s, 606)->click();
    EXPECT_EQ(s.result(), QDialog::Accepted);
    EXPECT_TRUE(s.selectStations());

    EventInformationDialog c(nullptr, e);
    findControlAs<QPushButton>(&c, kIdCancel)->click();
    EXPECT_EQ(c.result(), QDialog::Rejected);
    EXPECT_FALSE(c.selectStations());
}

}  // namespace
