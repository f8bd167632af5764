#include "maintenance/TextEditorLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

EditorCommand textEditorCommand(const QString& visual, const QString& path) {
    const QString file = QFileInfo(path).absoluteFilePath();
    const QStringList words = QProcess::splitCommand(visual);
    if (words.isEmpty()) return {QStringLiteral("xdg-open"), {file}};
    EditorCommand command{words.first(), words.mid(1)};
    command.arguments.append(file);
    return command;
}

bool launchTextEditor(const QString& path) {
    const QString visual = QProcessEnvironment::systemEnvironment().value(QStringLiteral("VISUAL"));
    const EditorCommand command = textEditorCommand(visual, path);
    return QProcess::startDetached(command.program, command.arguments);
}
