#pragma once
// A drawing surface over a QImage (RGB32): the kept backing image of a
// window, drawn with the GDI rules the editor's painters were written for.
// Painters work in the window's pixels; the image holds `ratio` image
// pixels for each of them, the screen's device pixel ratio, so that text
// and pictures are drawn sharp on a high-DPI screen.

#include "platform/surface.h"

#include <QFont>
#include <QImage>

namespace qte {

class QImageSurface final : public Surface {
public:
    // Black, width x height window pixels at `ratio` image pixels each.
    QImageSurface(int width, int height, qreal ratio = 1.0);
    // The image's pixels, converted to RGB32, at its own device pixel ratio.
    explicit QImageSurface(const QImage& image);

    int width() const override { return m_width; }
    int height() const override { return m_height; }

    void fillRect(const Rect& r, Colour c) override;
    void frameRect(const Rect& r, Colour c) override;
    void line(int x1, int y1, int x2, int y2, Colour pen) override;
    void text(int x, int y, std::string_view s, Colour foreground, Colour background,
              bool opaque) override;
    void blit(int dx, int dy, int w, int h, const Surface& source, int sx, int sy) override;
    void stretchBlit(const Rect& dst, const Surface& source, const Rect& src) override;
    // The colour of the window pixel (x, y): its top left image pixel.
    Colour pixel(int x, int y) const override;

    // A new size or ratio gives a black image: what the painters drew for
    // the old one no longer lies where it belongs.
    void resize(int width, int height, qreal ratio);
    void resize(int width, int height) { resize(width, height, m_ratio); }

    [[nodiscard]] qreal ratio() const { return m_ratio; }
    // The image, with its device pixel ratio set.
    [[nodiscard]] const QImage& image() const { return m_image; }

    // The editor's text font: "Courier New" in a cell of 15 x 8 pixels.
    [[nodiscard]] static QFont editorFont();

private:
    // The image pixel where a window coordinate begins.
    [[nodiscard]] int toImage(int v) const;
    [[nodiscard]] QRect imageRect(const Rect& r) const; // clipped to the image
    void fillImageRect(const QRect& k, QRgb c);

    QImage m_image;
    int m_width = 1;
    int m_height = 1;
    qreal m_ratio = 1.0;
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
