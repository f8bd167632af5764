#include "shell/InputMonitor.h"

#include <QCoreApplication>
#include <QEvent>

InputMonitor::InputMonitor(std::function<uint32_t()> clock, QObject* parent)
    : QObject(parent), clock_(std::move(clock)) {}

InputMonitor::~InputMonitor() {
    if (installed_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void InputMonitor::install() {
    if (installed_ || !QCoreApplication::instance()) return;
    QCoreApplication::instance()->installEventFilter(this);
    installed_ = true;
}

bool InputMonitor::isUserInput(int type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchEnd: return true;
    default: return false;
    }
}

bool InputMonitor::eventFilter(QObject*, QEvent* event) {
    if (isUserInput(event->type())) noteInput();
    return false;
}
