// Helpers of the maintenance tests: each test runs in a scratch directory
// that is the current directory while it lives, and messages are recorded
// instead of shown.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

class ScratchDirectory {
public:
    ScratchDirectory() : old_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~ScratchDirectory() { QDir::setCurrent(old_); }
    QString path() const { return QDir(dir_.path()).canonicalPath(); }
    void write(const QString& name, const QByteArray& contents) const {
        const QString full = QDir(dir_.path()).filePath(name);
        QDir().mkpath(QFileInfo(full).path());
        QFile f(full);
        f.open(QIODevice::WriteOnly);
        f.write(contents);
    }

private:
    QTemporaryDir dir_;
    QString old_;
};

inline QByteArray readFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Collects the texts of the messages the code under test would show.
struct MessageLog {
    QStringList texts;
    auto function() {
        return [this](QWidget*, const QString& text) { texts.append(text); };
    }
};
