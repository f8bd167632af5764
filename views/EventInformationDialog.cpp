#include "views/EventInformationDialog.h"

#include "dialogs/HelpLauncher.h"

#include <QLabel>
#include <QPushButton>

#include <cstdio>

namespace {
std::string printed(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}
}   // namespace

std::array<std::string, 7> eventInformationValues(const EventRecord& event) {
    return {event.name,
            event.dateText,
            event.originTimeText,
            printed("%-8.3f", event.latitude),
            printed("%-8.3f", event.longitude),
            printed("%-8.0f", event.depth),
            printed("%-8.1f", event.magnitude)};
}

EventInformationDialog::EventInformationDialog(QWidget* parent, const EventRecord& event)
    : DialogBase(parent, tr("Event Information"), 205, 129, kHelpTopic) {
    auto button = [this](const QString& text, int id, int y) {
        auto* b = new QPushButton(text, this);
        place(b, id, 134, y, 64, 14);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* go = button(tr("GO"), kGoId, 6);
    go->setDefault(true);
    connect(go, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton* select = button(tr("Select Stations"), kSelectStationsId, 25);
    connect(select, &QPushButton::clicked, this, [this] {
        selectStations_ = true;
        accept();
    });
    connect(button(tr("Cancel"), kIdCancel, 44), &QPushButton::clicked, this, &QDialog::reject);
    connect(button(tr("Help"), kIdHelp, 63), &QPushButton::clicked, this,
            [this] { openHelp(this, kHelpTopic); });

    const char* captions[7] = {
        "Name:", "Date:", "Time:", "Latitude:", "Longitude:", "Depth:", "Magnitude:"};
    const std::array<std::string, 7> values = eventInformationValues(event);
    for (int i = 0; i < 7; ++i) {
        const int y = 8 + 17 * i;   // 8, 25, 42, 59, 76, 93, 110
        place(new QLabel(tr(captions[i]), this), 0, 5, y, 50, 12);
        place(new QLabel(QString::fromStdString(values[static_cast<std::size_t>(i)]), this),
              kValueIds[static_cast<std::size_t>(i)], 62, y, 61, 10);
    }
    if (parent) move(parent->mapToGlobal(QPoint(units().x(8), units().y(21))));
}

QString EventInformationDialog::valueText(int id) const {
    auto* l = findControlAs<QLabel>(this, id);
    return l ? l->text() : QString();
}
