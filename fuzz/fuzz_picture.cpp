// Pictures ("earth%d.bmp", "WORLD.SAV", "OVINIT.BMP") as the program loads
// and draws them: stretched smoothly into the globe's box, and unscaled in the
// middle of the welcome screen.
#include "FuzzSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const std::string path = fuzz::scratchPath("earth0.bmp");
    fuzz::writeBytes(path, data, size);

    const QImage picture(QString::fromStdString(path));
    if (picture.isNull() || picture.height() == 0 || picture.width() == 0)
        return 0;

    // The globe: the whole picture stretched into the globe's box.
    static QImage working(120, 90, QImage::Format_RGB32);
    {
        QPainter p(&working);
        p.fillRect(working.rect(), Qt::black);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(10, 5, 100, 80), picture);
    }
    // The welcome screen: unscaled, centred (the picture may be larger).
    static QImage screen(96, 64, QImage::Format_RGB32);
    {
        QPainter p(&screen);
        p.fillRect(screen.rect(), Qt::black);
        p.drawImage((screen.width() - picture.width()) / 2,
                    (screen.height() - picture.height()) / 2, picture);
    }
    return 0;
}
