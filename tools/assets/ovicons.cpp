// Writes the desktop menu icons in the freedesktop icon theme layout:
//   ovicons <folder>  ->  <folder>/hicolor/<N>x<N>/apps/org.orvanta.ov.png
//                         and org.orvanta.ovm.png for every usual size N.
#include "DesktopIcons.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ovicons <folder>\n");
        return 2;
    }
    // Drawing into images needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString top = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(top).arg(size);
        if (!QDir().mkpath(dir)) return 1;
        const struct {
            DesktopIcon which;
            const char* name;
        } icons[] = {{DesktopIcon::Display, "org.orvanta.ov"},
                     {DesktopIcon::Maintenance, "org.orvanta.ovm"}};
        for (const auto& icon : icons) {
            const QString path = QStringLiteral("%1/%2.png").arg(dir, icon.name);
            if (!drawDesktopIcon(icon.which, size).save(path)) {
                std::fprintf(stderr, "ovicons: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
