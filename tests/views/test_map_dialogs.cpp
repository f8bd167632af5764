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
    EXPECT_EQ((std::vector<int>{stateAfterClick(0, BoxLook::Checked), stateAfterClick(1, BoxLook::Indeterminate),
                                stateAfterClick(1, BoxLook::Unchecked)}),
              (std::vector<int>{1, 0, 0}));
    applyComponentStates(ComponentStates{0, 1, 2}, s);
    EXPECT_EQ(s.selected, (Used{false, true, false}));

    std::vector<StationRecord> list = {station("FULL", true, true, true), station("ZONLY", true, false, false),
                                       station("ZN", true, true, false)};
    applyToAllStations(ComponentStates{0, 1, 0}, list);   // N-S only, chosen at a full station; ZONLY has no N to set
    EXPECT_EQ((std::vector<Used>{list[0].selected, list[1].selected, list[2].selected}),
              (std::vector<Used>{{false, true, false}, {false, false, false}, {false, true, false}}));
    list[0].selected = {true, false, true};
    applyToAllStations(ComponentStates{0, 2, 2}, list);   // chosen at a Z-only station: N and E kept
    EXPECT_EQ(list[0].selected, (Used{false, false, true}));
}

TEST(StationComponentsFormat, ValuesAreFormattedAsShown) {
    EXPECT_EQ(formatCoordinate(5.25f) + formatCoordinate(-122.2356f) + formatArc(123.46f), "5.250   -122.236123.5    deg");
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
    d.componentBox(1)->click(), d.componentBox(2)->click(), d.componentBox(2)->click();   // missing ones stay indeterminate
    EXPECT_EQ(std::pair(d.componentBox(1)->checkState(), d.componentBox(2)->checkState()),
              std::pair(Qt::PartiallyChecked, Qt::PartiallyChecked));
    for (int i = 0; i < 4; ++i) {   // Z toggles between used and not used
        z->click();
        EXPECT_EQ(z->checkState(), i % 2 == 0 ? Qt::Unchecked : Qt::Checked);
    }
    EXPECT_EQ(d.states(), (ComponentStates{1, 2, 2}));

    findControlAs<QPushButton>(&d, kIdCancel)->click();   // Cancel changes nothing
    EXPECT_EQ(std::tuple(d.result(), zonly[0].selected), std::tuple(int(QDialog::Rejected), Used{true, false, false}));
}

TEST(EventInformation, ValuesAreFormattedAsShownAndTheButtonsDecide) {
    EventRecord e;
    std::tie(e.name, e.dateText, e.originTimeText) = std::tuple("Loma Prieta", "1989/10/18", "00:04:15.2");
    std::tie(e.latitude, e.longitude, e.depth, e.magnitude) = std::tuple(-33.5f, 121.875f, 10.4f, 6.96f);
    const auto v = eventInformationValues(e);   // depth in whole kilometres
    EXPECT_EQ(std::vector<std::string>(v.begin(), v.end()),
              (std::vector<std::string>{"Loma Prieta", "1989/10/18", "00:04:15.2", "-33.500 ", "121.875 ", "10      ", "7.0     "}));
    for (auto [button, result, select] : {std::tuple{int(EventInformationDialog::kGoId), QDialog::Accepted, false},
                                          {int(EventInformationDialog::kSelectStationsId), QDialog::Accepted, true},
                                          {int(kIdCancel), QDialog::Rejected, false}}) {
        EventInformationDialog d(nullptr, e);
        EXPECT_EQ(d.valueText(604), "10      ");
        EXPECT_TRUE(findControlAs<QPushButton>(&d, EventInformationDialog::kGoId)->isDefault());
        findControlAs<QPushButton>(&d, button)->click();
        EXPECT_EQ(std::tuple(d.result(), d.selectStations()), std::tuple(int(result), select)) << button;
    }
}

}   // namespace
