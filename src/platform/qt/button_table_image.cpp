#include "platform/qt/button_table_image.h"

namespace qte {

QImage loadButtonTableImage()
{
    QImage image(QString::fromLatin1(kButtonTableResource));
    if (image.isNull()) return image;
    return image.convertToFormat(QImage::Format_RGB32);
}

QIcon editorIcon()
{
    QIcon icon;
    for (const int size : {32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/quelo-tune-editor-%1.png").arg(size),
                     QSize(size, size));
    return icon;
}

ImageSurface imageSurfaceFrom(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    ImageSurface surface(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            surface.setPixel(x, y, rgbColour(qRed(row[x]), qGreen(row[x]), qBlue(row[x])));
    }
    return surface;
}

} // namespace qte
