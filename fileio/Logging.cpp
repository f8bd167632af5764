#include "fileio/Logging.h"

#include "fileio/LogFile.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcClock, "orvanta.clock", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRunSetup, "orvanta.runsetup", QtInfoMsg)
Q_LOGGING_CATEGORY(lcViews, "orvanta.views", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSound, "orvanta.sound", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWorldMap, "orvanta.worldmap", QtInfoMsg)
Q_LOGGING_CATEGORY(lcImport, "orvanta.import", QtInfoMsg)
Q_LOGGING_CATEGORY(lcNetwork, "orvanta.network", QtInfoMsg)

namespace {

LogFile& theLogFile() {
    static LogFile file;
    return file;
}

QtMessageHandler previousHandler = nullptr;
bool handlerInstalled = false;
bool stderrIsTerminal = false;
bool terminalShowsInfo = true;
const char* programName = "orvanta";

const char* levelName(QtMsgType type) {
    switch (type) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "critical";
    case QtFatalMsg: return "fatal";
    }
    return "info";
}

void writeMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const char* category = context.category && *context.category ? context.category : "default";
    const QByteArray text = message.toUtf8();
    LogFile& file = theLogFile();
    file.write(category, levelName(type),
               std::string_view(text.constData(), std::size_t(text.size())));
    // A terminal shows the messages as they come; without one (a kiosk's
    // session) they go only to the file, unless the file cannot be written.
    const bool forTerminal = terminalShowsInfo || (type != QtDebugMsg && type != QtInfoMsg);
    if (forTerminal && (stderrIsTerminal || file.quiet())) {
        std::fprintf(stderr, "%s: %s %s: %s\n", programName, category, levelName(type),
                     text.constData());
        std::fflush(stderr);
    }
    if (type == QtFatalMsg && previousHandler) previousHandler(type, context, message);
}

}   // namespace

std::string logFolder(const std::string& installationDir) {
    return installationDir.empty() ? std::string("log") : installationDir + "/log";
}

void startLogging(const char* program, const std::string& installationDir, bool terminalInfo) {
    programName = program;
    stderrIsTerminal = ::isatty(STDERR_FILENO) == 1;
    terminalShowsInfo = terminalInfo;
    theLogFile().open(logFolder(installationDir), program);
    if (!handlerInstalled) {
        previousHandler = qInstallMessageHandler(writeMessage);
        handlerInstalled = true;
    }
    qCInfo(lcClock).noquote() << QStringLiteral("%1 2.1 started in %2 (Qt %3)")
                                     .arg(QString::fromUtf8(program),
                                          QString::fromStdString(installationDir),
                                          QString::fromLatin1(qVersion()));
}

void stopLogging(int exitCode) {
    if (!handlerInstalled) return;
    qCInfo(lcClock).noquote() << QStringLiteral("%1 exits with status %2")
                                     .arg(QString::fromUtf8(programName))
                                     .arg(exitCode);
    qInstallMessageHandler(previousHandler);
    handlerInstalled = false;
    theLogFile().close();
}
