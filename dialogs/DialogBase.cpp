#include "dialogs/DialogBase.h"

#include "dialogs/HelpLauncher.h"

#include <QFontMetrics>
#include <QPalette>
#include <QPushButton>
#include <QVariant>

namespace {
const char* const kIdProperty = "ovControlId";
}

DialogUnits DialogUnits::of(const QFont& font) {
    const QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.baseX = qMax(1, (letters / 26 + 1) / 2);
    units.baseY = qMax(1, fm.height());
    return units;
}

QFont dialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    return font;
}

QWidget* findControl(const QWidget* dialog, int id) {
    if (!dialog) return nullptr;
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        const QVariant v = child->property(kIdProperty);
        if (v.isValid() && v.toInt() == id) return child;
    }
    return nullptr;
}

DialogBase::DialogBase(QWidget* parent, const QString& title, int w, int h, int helpTopic)
    : QDialog(parent), helpTopic_(helpTopic) {
    setWindowTitle(title);
    setFont(dialogFont());
    units_ = DialogUnits::of(font());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    pal.setColor(QPalette::Button, QColor(192, 192, 192));
    setPalette(pal);
    setAutoFillBackground(true);
    setFixedSize(units_.x(w), units_.y(h));
}

void DialogBase::place(QWidget* control, int id, int x, int y, int w, int h) {
    control->setParent(this);
    control->setGeometry(units_.rect(x, y, w, h));
    if (id != 0) control->setProperty(kIdProperty, id);
}

QPushButton* DialogBase::addStockButton(int id, int x, int y, int w, int h) {
    const QString text = id == kIdOk ? tr("OK") : id == kIdCancel ? tr("Cancel") : tr("Help");
    auto* button = new QPushButton(text, this);
    place(button, id, x, y, w, h);
    button->setAutoDefault(false);
    if (id == kIdOk) {
        button->setDefault(true);
        connect(button, &QPushButton::clicked, this, [this] { onOk(); });
    } else if (id == kIdCancel) {
        connect(button, &QPushButton::clicked, this, &QDialog::reject);
    } else {
        connect(button, &QPushButton::clicked, this, [this] { openHelp(this, helpTopic_); });
    }
    return button;
}
