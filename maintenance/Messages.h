// How the maintenance program tells the user something: every message goes
// through a MessageFunction, so tests can record messages instead of
// blocking on a message box.
#pragma once

#include <QString>

#include <functional>

class QWidget;

using MessageFunction = std::function<void(QWidget* parent, const QString& text)>;

// The ordinary message box: the program's name as caption, OK only.
void showMessageBox(QWidget* parent, const QString& text);

// Asks a yes-or-no question; true for Yes.
using QuestionFunction = std::function<bool(QWidget* parent, const QString& text)>;

// The ordinary question box: Yes and No, No the default.
bool askQuestionBox(QWidget* parent, const QString& text);
