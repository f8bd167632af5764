// Helpers of the dialog and maintenance tests: a scratch directory that is the current one while it lives,
// recorded clicks and messages, and synthetic mouse clicks.
#pragma once

#include "data/Settings.h"
#include "dialogs/DialogBase.h"
#include "sound/RecordingBackend.h"
#include "sound/Sound.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

struct ScratchDirectory {
    QTemporaryDir dir;
    QString old = QDir::currentPath();
    ScratchDirectory() { QDir::setCurrent(dir.path()); }
    ~ScratchDirectory() { QDir::setCurrent(old); }
    QString path() const { return QDir(dir.path()).canonicalPath(); }
    void write(const QString& name, const QByteArray& contents) const {
        QDir().mkpath(QFileInfo(name).path());
        QFile f(name);
        if (f.open(QIODevice::WriteOnly)) f.write(contents);
    }
};

inline QByteArray readFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A sound on a recording back end with MIDI open: a click is three messages (volume, note off, on).
struct RecordedClicks {
    RecordingBackend::Log log;
    Sound sound{std::make_unique<RecordingBackend>(log)};
    std::size_t base = (sound.openMidi(Settings()), log.midiMessages.size());
    std::size_t clicks() const { return (log.midiMessages.size() - base) / 3; }
};

// Collects the texts of the messages the code under test would show.
struct MessageLog {
    QStringList texts;
    auto function() {
        return [this](QWidget*, const QString& text) { texts.append(text); };
    }
};

inline void press(const QWidget* dialog, int id) { findControlAs<QAbstractButton>(dialog, id)->click(); }
inline bool checked(const QWidget* dialog, int id) { return findControlAs<QAbstractButton>(dialog, id)->isChecked(); }

// A press of the mouse button, then the queued deliveries (commands to the main window).
inline void mouseClick(QWidget* w, Qt::MouseButton button, QPoint at) {
    QMouseEvent ev(QEvent::MouseButtonPress, QPointF(at), w->mapToGlobal(QPointF(at)), button, button, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}
