#include "maintenance/Messages.h"

#include <QMessageBox>

void showMessageBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvanta Maintenance"), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

bool askQuestionBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orvanta Maintenance"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
