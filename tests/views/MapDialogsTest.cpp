// The Event Information and Station Components dialogs: their rules, their
// formatted values and their controls.
#include "dialogs/StationComponentsDialog.h"
#include "views/EventInformationDialog.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

using Used = std::array<bool, 3>;

StationRecord station(const std::string& name, bool z, bool n, bool e) {
    StationRecord s;
    s.stationName = name;
    s.available = s.selected = {z, n, e};
    for (std::size_t p = 0; p < 3; ++p)
        if (s.available[p]) s.componentFile[p] = name + ".BH" + "ZNE"[p];
    return s;
}

TEST(StationComponentRules, StatesFollowAvailabilityAndUseAndAllStationsSetsOnlyWhatEachHas) {
    StationRecord s = station("ANMO", true, true, false);
    s.selected[1] = false;
    EXPECT_EQ(componentStates(s), (ComponentStates{1, 0, 2}));
    const BoxLook looks[] = {BoxLook::Unchecked, BoxLook::Checked, BoxLook::Indeterminate};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lookOfState(i), looks[i]);
        EXPECT_EQ(nextBoxLook(looks[i]), looks[(i + 1) % 3]);   // clicks cycle the box
        EXPECT_EQ(stateAfterClick(2, looks[i]), 2);             // a missing one stays missing
    }
    // An available component only ever becomes used or not used.
    EXPECT_EQ(stateAfterClick(0, BoxLook::Checked), 1);
    EXPECT_EQ(stateAfterClick(1, BoxLook::Indeterminate), 0);
    EXPECT_EQ(stateAfterClick(1, BoxLook::Unchecked), 0);
    applyComponentStates(ComponentStates{0, 1, 2}, s);
    EXPECT_EQ(s.selected, (Used{false, true, false}));

    std::vector<StationRecord> list = {station("FULL", true, true, true), station("ZONLY", true, false, false),
                                       station("ZN", true, true, false)};
    applyToAllStations(ComponentStates{0, 1, 0}, list);   // N-S only, chosen at a full station
    EXPECT_EQ(list[0].selected, (Used{false, true, false}));
    EXPECT_EQ(list[1].selected, (Used{false, false, false}));   // no N to set
    EXPECT_EQ(list[2].selected, (Used{false, true, false}));
    list[0].selected = {true, false, true};
    applyToAllStations(ComponentStates{0, 2, 2}, list);   // chosen at a Z-only station: N and E kept
    EXPECT_EQ(list[0].selected, (Used{false, false, true}));
}

TEST(StationComponentsFormat, ValuesAreFormattedAsShown) {
    EXPECT_EQ(formatCoordinate(-33.5f), "-33.500 ");
    EXPECT_EQ(formatCoordinate(5.25f), "5.250   ");
    EXPECT_EQ(formatCoordinate(-122.2356f), "-122.236");
    EXPECT_EQ(formatArc(123.46f), "123.5    deg");
    StationRecord s = station("ANMO    ", true, false, false);
    s.description = "Albuquerque, New Mexico";
    for (const char* padded : {"ANMO    ", "  ANMO  "}) {   // as seismogram headers hold it
        s.stationName = padded;
        EXPECT_EQ(stationLine(s), "ANMO: Albuquerque, New Mexico");
    }
    s.description.clear();
    EXPECT_EQ(stationLine(s), "ANMO");
}

TEST(StationComponentsDialogTest, BoxesFollowTheThreeStateRules) {
    std::vector<StationRecord> zonly = {station("ZONLY", true, false, false)};
    StationComponentsDialog d(nullptr, zonly[0], zonly, 12.34f, 271.0f);
    EXPECT_TRUE(d.thisStationButton()->isChecked());
    QCheckBox* z = d.componentBox(0);
    d.componentBox(1)->click();   // a missing component stays indeterminate
    d.componentBox(2)->click();
    d.componentBox(2)->click();
    EXPECT_EQ(d.componentBox(1)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(d.componentBox(2)->checkState(), Qt::PartiallyChecked);
    for (int i = 0; i < 4; ++i) {   // Z toggles between used and not used
        z->click();
        EXPECT_EQ(z->checkState(), i % 2 == 0 ? Qt::Unchecked : Qt::Checked);
    }
    EXPECT_EQ(d.states(), (ComponentStates{1, 2, 2}));

    findControlAs<QPushButton>(&d, kIdCancel)->click();   // Cancel changes nothing
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(zonly[0].selected, (Used{true, false, false}));
}

TEST(EventInformation, ValuesAreFormattedAsShownAndTheButtonsDecide) {
    EventRecord e;
    e.name = "Loma Prieta";
    e.dateText = "1989/10/18";
    e.originTimeText = "00:04:15.2";
    e.latitude = -33.5f;
    e.longitude = 121.875f;
    e.depth = 10.4f;
    e.magnitude = 6.96f;
    const auto v = eventInformationValues(e);   // depth in whole kilometres
    EXPECT_EQ(std::vector<std::string>(v.begin(), v.end()),
              (std::vector<std::string>{"Loma Prieta", "1989/10/18", "00:04:15.2", "-33.500 ", "121.875 ",
                                        "10      ", "7.0     "}));
    for (auto [button, result, select] : {std::tuple{int(EventInformationDialog::kGoId), QDialog::Accepted, false},
                                          {int(EventInformationDialog::kSelectStationsId), QDialog::Accepted, true},
                                          {int(kIdCancel), QDialog::Rejected, false}}) {
        EventInformationDialog d(nullptr, e);
        EXPECT_EQ(d.valueText(604), "10      ");
        EXPECT_TRUE(findControlAs<QPushButton>(&d, EventInformationDialog::kGoId)->isDefault());
        findControlAs<QPushButton>(&d, button)->click();
        EXPECT_EQ(d.result(), result) << button;
        EXPECT_EQ(d.selectStations(), select) << button;
    }
}

}  // namespace
