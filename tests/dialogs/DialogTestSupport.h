// Helpers of the dialog and maintenance tests: a scratch directory that is
// the current one while it lives, recorded clicks and messages, and
// synthetic mouse clicks.
#pragma once

#include "data/Settings.h"
#include "dialogs/DialogBase.h"
#include "sound/RecordingBackend.h"
#include "sound/Sound.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class ScratchDirectory {
public:
    ScratchDirectory() : old_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~ScratchDirectory() { QDir::setCurrent(old_); }
    QString path() const { return QDir(dir_.path()).canonicalPath(); }
    void write(const QString& name, const QByteArray& contents) const {
        QDir().mkpath(QFileInfo(name).path());
        QFile f(name);
        if (f.open(QIODevice::WriteOnly)) f.write(contents);
    }

private:
    QTemporaryDir dir_;
    QString old_;
};

inline QByteArray readFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Routes the sound to a recording back end with MIDI open: each click shows
// up as three short messages (volume, note off, note on).
class RecordedClicks {
public:
    RecordedClicks() {
        theSound().setBackend(std::make_unique<RecordingBackend>(log_));
        theSound().openMidi(Settings());
        base_ = log_.midiMessages.size();
    }
    ~RecordedClicks() {
        theSound().closeMidi();
        theSound().setBackend(makeSilentBackend());
    }
    std::size_t clicks() const { return (log_.midiMessages.size() - base_) / 3; }

private:
    RecordingBackend::Log log_;
    std::size_t base_ = 0;
};

// Collects the texts of the messages the code under test would show.
struct MessageLog {
    QStringList texts;
    auto function() {
        return [this](QWidget*, const QString& text) { texts.append(text); };
    }
};

inline void press(const QWidget* dialog, int id) {
    auto* b = findControlAs<QAbstractButton>(dialog, id);
    ASSERT_NE(b, nullptr) << id;
    b->click();
}

inline bool checked(const QWidget* dialog, int id) { return findControlAs<QAbstractButton>(dialog, id)->isChecked(); }

inline void mouseClick(QWidget* w, Qt::MouseButton button, QPoint at) {
    QMouseEvent ev(QEvent::MouseButtonPress, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                   button, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();   // queued commands
}

// Sets the right-button setting for the life of the object.
struct RightButtonRestart {
    bool saved = theSettings().rightButtonRestart;
    explicit RightButtonRestart(bool on) { theSettings().rightButtonRestart = on; }
    ~RightButtonRestart() { theSettings().rightButtonRestart = saved; }
};
