// The option dialogs: AudioDialog, ViewDialog and PhasesDialog (settings of
// both programs) and SpeedDialog and TimeWindowDialog (the running display of
// ov). Each reads its start state when it is made and changes the shared
// records only when confirmed; none saves the settings file (the opener does).
//
// Use: construct, exec(); after QDialog::Accepted call apply() where the
// class has one (AudioDialog, SpeedDialog, TimeWindowDialog). ViewDialog and
// PhasesDialog write the settings themselves before closing with Accepted.
#pragma once

#include "data/RunSetup.h"
#include "data/Settings.h"
#include "dialogs/DialogBase.h"

#include <QSize>

#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class PictureButton;
class Sound;

// --- Decisions, free of widgets -------------------------------------------

// Relative speeds offered, in button order (ids 101..111).
constexpr std::array<int, 11> kRelativeSpeeds{100, 50, 20, 10, 5, 0, -5, -10, -20, -50, -100};
// Time windows offered in minutes, in button order (ids 556..562).
constexpr std::array<int, 7> kTimeWindowMinutes{5, 10, 15, 20, 30, 45, 60};

// Index of the speed button checked at set-up (the first value <= the speed
// cut to a whole number), or -1 when none is.
int speedButtonFor(float speed);
// Index of the time-window button checked at set-up (the first value >= the
// window's whole minutes), or -1 when none is.
int timeWindowButtonFor(int seconds);
// Minutes kept on OK: the first checked button's value, or the set-up minutes.
int timeWindowMinutesOnOk(int checkedIndex, int seconds);

// What the Phases dialog shows and returns. Fields in id order 111..118.
struct PhasesChoice {
    bool labelEarth = false, labelCrossSection = false, labelSeismogram = false;
    bool all = false, p = false, s = false, specified = false;
    std::array<std::string, 8> fields;
};
constexpr std::array<int, 8> kPhaseFieldIds{111, 112, 113, 114, 115, 116, 117, 118};
constexpr int kPhaseFieldMax = 15;
PhasesChoice phasesChoiceFrom(const Settings& settings);
void applyPhasesChoice(Settings& settings, const PhasesChoice& choice);

// The largest picture on the ViewDialog's buttons (the miniatures 5, 6, 7).
constexpr QSize kViewPictureSize(120, 90);
// Sizes of the ViewDialog's picture buttons from the system dialog base
// units: 2/5 of 165 and 3/8 of 132 dialog units, but at least the largest
// picture plus 12 across and 9 down (132 x 99).
QSize viewButtonSize(const DialogUnits& units);
// Dialog base units of the system font (the standard interface font).
DialogUnits systemDialogUnits();

// --- Dialogs --------------------------------------------------------------

class AudioDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1002;
    AudioDialog(QWidget* parent, Settings& settings);
    int chosenIndex() const { return chosen_; }   // 0..3 after OK
    void apply();                                 // settings.audio = chosen

protected:
    void onOk() override;

private:
    Settings& settings_;
    std::array<QRadioButton*, 4> radios_{};
    int chosen_;
};

class ViewDialog : public DialogBase {
    Q_OBJECT
public:
    // A chosen picture clicks in `sound`.
    ViewDialog(QWidget* parent, Settings& settings, Sound& sound);
    // Ids 556 (both), 557 (Earth), 558 (cross-section), 2 (Cancel picture).
    PictureButton* button(int id) const;

private:
    void choose(int id);
    Settings& settings_;
    Sound& sound_;
};

class PhasesDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1019;
    PhasesDialog(QWidget* parent, Settings& settings);
    PhasesChoice currentChoice() const;   // what the controls show now

protected:
    void onOk() override;

private:
    Settings& settings_;
};

class SpeedDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1024;
    SpeedDialog(QWidget* parent, RunState& run);
    int keptSpeed() const { return kept_; }
    void apply();   // run.timeAcceleration = kept speed

private:
    RunState& run_;
    int kept_;
};

class TimeWindowDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1024;
    TimeWindowDialog(QWidget* parent, RunState& run);
    int minutes() const { return minutes_; }
    void apply();   // run.timeWindow = minutes * 60

protected:
    void onOk() override;

private:
    RunState& run_;
    int minutes_;
};
