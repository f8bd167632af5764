// Opens the help page of a topic in the desktop's browser.
#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// "<current directory>/help/<topic>.html"; topic 0 is the contents page.
QString helpPagePath(int topic);
// The message shown when the page is missing or cannot be opened.
QString helpFailureMessage(const QString& pagePath);

// Opens the page; false when that failed. Default: QDesktopServices::openUrl.
using HelpOpener = std::function<bool(const QUrl&)>;
// Shows the failure message. Default: a message box without caption, OK only.
using HelpMessage = std::function<void(QWidget* parent, const QString& text)>;
// Replace either for tests; an empty function restores the default.
void setHelpOpener(HelpOpener opener);
void setHelpMessage(HelpMessage message);

// Does not wait for the browser and keeps nothing of it.
void openHelp(QWidget* parent, int topic);
