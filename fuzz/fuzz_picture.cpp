// Pictures ("earth%d.bmp", "WORLD.SAV", "OVINIT.BMP") as the program loads
// and draws them: stretched smoothly into the globe's box, and unscaled in the
// middle of the welcome screen.
#include "FuzzSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("earth0.bmp");
    fuzz::writeBytes(path, data, size);

    const QImage picture(QString::fromStdString(path));
    if (picture.isNull() || picture.height() == 0 || picture.width() == 0) return 0;

    static QImage working(120, 90, QImage::Format_RGB32), screen(96, 64, QImage::Format_RGB32);
    QPainter globe(&working), welcome(&screen);
    globe.fillRect(working.rect(), Qt::black);   // the globe: the whole picture stretched into its box
    globe.setRenderHint(QPainter::SmoothPixmapTransform);
    globe.drawImage(QRect(10, 5, 100, 80), picture);
    welcome.fillRect(screen.rect(), Qt::black);   // the welcome screen: unscaled, centred (maybe larger)
    welcome.drawImage((screen.width() - picture.width()) / 2, (screen.height() - picture.height()) / 2, picture);
    return 0;
}
