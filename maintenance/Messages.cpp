#include "maintenance/Messages.h"

#include <QMessageBox>

void showMessageBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvanta Maintenance"), text,
                    QMessageBox::Ok, parent);
    box.exec();
}
