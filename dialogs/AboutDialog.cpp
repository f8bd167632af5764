#include "dialogs/AboutDialog.h"

#include <QLabel>

AboutDialog::AboutDialog(QWidget* parent) : DialogBase(parent, tr("About Orvanta"), 160, 70, 0) {
    place(new QLabel(tr("Orvanta")), 0, 10, 8, 140, 10);
    place(new QLabel(tr("Version %1").arg(QStringLiteral("2.1"))), 0, 10, 20, 140, 10);
    place(new QLabel(tr("An educational seismology display")), 0, 10, 32, 140, 10);
    addStockButton(kIdOk, 60, 48, 40, 14);
}
