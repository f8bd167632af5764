// Starts the system text editor on an information text: the program named by
// $VISUAL when it is set, otherwise the desktop's opener (xdg-open). The path
// always travels as one argument of its own, never through a shell, and is
// never shortened.
#pragma once

#include <QString>
#include <QStringList>

struct EditorCommand {
    QString program;
    QStringList arguments;
};

// The command for `path`. `visual` is the value of $VISUAL: when it is not
// blank it is split into words (quotes are honoured, nothing is expanded),
// the first word is the program and the others come before the path. The
// path is made absolute first, so that it can never be taken for an option.
EditorCommand textEditorCommand(const QString& visual, const QString& path);

// Starts the editor without waiting for it; false when it could not start.
bool launchTextEditor(const QString& path);
