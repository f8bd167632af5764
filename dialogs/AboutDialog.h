// The About box (resource 10), the same in both programs: the name, the
// version and what the system is, with an OK button.
#pragma once

#include "dialogs/DialogBase.h"

class AboutDialog : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kResource = 10;
    explicit AboutDialog(QWidget* parent);
};
