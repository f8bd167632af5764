// Helpers shared by the dialog tests: a scratch directory that is also the
// current directory, a recorded click sound, and synthetic mouse clicks.
#pragma once

#include "sound/RecordingBackend.h"
#include "sound/Sound.h"
#include "data/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>
#include <string>

// Makes a temporary directory the current one while it lives.
class ScratchDirectory {
public:
    ScratchDirectory() : old_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~ScratchDirectory() { QDir::setCurrent(old_); }
    QString path() const { return dir_.path(); }
    QString write(const QString& name, const QByteArray& contents) const {
        const QString full = dir_.filePath(name);
        QDir().mkpath(QFileInfo(full).path());
        QFile f(full);
        f.open(QIODevice::WriteOnly);
        f.write(contents);
        return full;
    }

private:
    QTemporaryDir dir_;
    QString old_;
};

// Routes the sound component to a recording back end with MIDI open, so
// each click shows up as MIDI messages.
class RecordedClicks {
public:
    RecordedClicks() {
        theSound().setBackend(std::make_unique<RecordingBackend>(log_));
        Settings s;
        theSound().openMidi(s);
        base_ = log_.midiMessages.size();
    }
    ~RecordedClicks() {
        theSound().closeMidi();
        theSound().setBackend(makeSilentBackend());
    }
    // Each click sends three short messages (volume, note off, note on).
    std::size_t clicks() const { return (log_.midiMessages.size() - base_) / 3; }

private:
    RecordingBackend::Log log_;
    std::size_t base_ = 0;
};

inline void mouseClick(QWidget* w, Qt::MouseButton button, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                      button, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// Runs queued deliveries (commands sent to the main window).
inline void deliverQueued() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}
