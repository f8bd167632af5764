#include "dialogs/HelpLauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace {
HelpOpener& opener() {
    static HelpOpener f;
    return f;
}
HelpMessage& message() {
    static HelpMessage f;
    return f;
}
}   // namespace

QString helpPagePath(int topic) {
    return QDir::current().filePath(QStringLiteral("help/%1.html").arg(topic));
}

QString helpFailureMessage(const QString& pagePath) {
    return QStringLiteral("Problem opening %1 or the help viewer").arg(pagePath);
}

void setHelpOpener(HelpOpener f) { opener() = std::move(f); }
void setHelpMessage(HelpMessage f) { message() = std::move(f); }

void openHelp(QWidget* parent, int topic) {
    const QString page = helpPagePath(topic);
    bool opened = false;
    if (QFileInfo(page).isFile()) {
        const QUrl url = QUrl::fromLocalFile(page);
        opened = opener() ? opener()(url) : QDesktopServices::openUrl(url);
    }
    if (opened) return;
    const QString text = helpFailureMessage(page);
    if (message()) {
        message()(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
    box.exec();
}
