#pragma once
// A drawing surface over a QImage (RGB32): the kept backing image of a
// window, drawn with the GDI rules the editor's painters were written for.

#include "platform/surface.h"

#include <QFont>
#include <QImage>

namespace qte {

class QImageSurface final : public Surface {
public:
    QImageSurface(int width, int height);
    explicit QImageSurface(const QImage& image); // converted to RGB32

    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }

    void fillRect(const Rect& r, Colour c) override;
    void frameRect(const Rect& r, Colour c) override;
    void line(int x1, int y1, int x2, int y2, Colour pen) override;
    void text(int x, int y, std::string_view s, Colour foreground, Colour background,
              bool opaque) override;
    void blit(int dx, int dy, int w, int h, const Surface& source, int sx, int sy) override;
    void stretchBlit(const Rect& dst, const Surface& source, const Rect& src) override;
    Colour pixel(int x, int y) const override;

    // Keeps what fits of the old picture; new area is black.
    void resize(int width, int height);

    [[nodiscard]] const QImage& image() const { return m_image; }

    // The editor's text font: "Courier New" in a cell of 15 x 8 pixels.
    [[nodiscard]] static QFont editorFont();

private:
    void setPixel(int x, int y, QRgb c);

    QImage m_image;
};

[[nodiscard]] inline QRgb toQRgb(Colour c)
{
    return qRgb(int(redOf(c)), int(greenOf(c)), int(blueOf(c)));
}
[[nodiscard]] inline Colour fromQRgb(QRgb c)
{
    return rgbColour(std::uint32_t(qRed(c)), std::uint32_t(qGreen(c)), std::uint32_t(qBlue(c)));
}

} // namespace qte
