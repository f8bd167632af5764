// Picks one event file of a directory by name ("Event Selection").
#pragma once

#include "dialogs/DialogBase.h"

#include <string>
#include <vector>

class QListWidget;

// The names of the regular files of `dir` ending in ".evt" (any case),
// lower-cased and sorted.
std::vector<std::string> listEventFiles(const std::string& dir = ".");

class EventListDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1013;
    static constexpr int kListId = 162;

    explicit EventListDialog(QWidget* parent, const std::string& dir = ".");
    // The chosen file name after OK (empty when nothing was selected).
    const std::string& chosenName() const { return chosen_; }
    QListWidget* list() const { return list_; }

protected:
    void onOk() override;

private:
    QListWidget* list_;
    std::string chosen_;
};
