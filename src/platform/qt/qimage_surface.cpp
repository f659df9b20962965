#include "platform/qt/qimage_surface.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstdlib>

namespace qte {

namespace {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 15;

Rect clipped(const Rect& r, int w, int h)
{
    return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, w), std::min(r.bottom, h)};
}

} // namespace

QImageSurface::QImageSurface(int width, int height)
    : m_image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32)
{
    m_image.fill(qRgb(0, 0, 0));
}

QImageSurface::QImageSurface(const QImage& image)
    : m_image(image.convertToFormat(QImage::Format_RGB32))
{}

void QImageSurface::setPixel(int x, int y, QRgb c)
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) return;
    reinterpret_cast<QRgb*>(m_image.scanLine(y))[x] = c;
}

Colour QImageSurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) return 0;
    return fromQRgb(reinterpret_cast<const QRgb*>(m_image.constScanLine(y))[x]);
}

void QImageSurface::fillRect(const Rect& r, Colour c)
{
    const Rect k = clipped(r, width(), height());
    if (k.empty()) return;
    const QRgb q = toQRgb(c);
    for (int y = k.top; y < k.bottom; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        std::fill(row + k.left, row + k.right, q);
    }
}

void QImageSurface::frameRect(const Rect& r, Colour c)
{
    if (r.empty()) return;
    fillRect({r.left, r.top, r.right, r.top + 1}, c);
    fillRect({r.left, r.bottom - 1, r.right, r.bottom}, c);
    fillRect({r.left, r.top, r.left + 1, r.bottom}, c);
    fillRect({r.right - 1, r.top, r.right, r.bottom}, c);
}

void QImageSurface::line(int x1, int y1, int x2, int y2, Colour pen)
{
    // Bresenham, stopping one pixel short of the end point as LineTo does.
    const QRgb q = toQRgb(pen);
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1;
    int y = y1;
    while (x != x2 || y != y2) {
        setPixel(x, y, q);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

QFont QImageSurface::editorFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(13); // ascent + descent of the metric-compatible faces fill the 15-pixel cell
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void QImageSurface::text(int x, int y, std::string_view s, Colour foreground, Colour background,
                         bool opaque)
{
    if (s.empty()) return;
    const int n = static_cast<int>(s.size());
    if (opaque) fillRect({x, y, x + n * kCellWidth, y + kCellHeight}, background);
    QPainter painter(&m_image);
    const QFont font = editorFont();
    painter.setFont(font);
    painter.setPen(QColor(toQRgb(foreground)));
    const QFontMetrics metrics(font);
    const int baseline = y + (kCellHeight - metrics.height()) / 2 + metrics.ascent();
    // One cell per character, whatever advance the face has.
    for (int i = 0; i < n; ++i) {
        const QChar ch = QChar::fromLatin1(s[static_cast<std::size_t>(i)]);
        if (ch == QLatin1Char(' ')) continue;
        painter.drawText(x + i * kCellWidth, baseline, QString(ch));
    }
}

void QImageSurface::blit(int dx, int dy, int w, int h, const Surface& source, int sx, int sy)
{
    if (w <= 0 || h <= 0) return;
    // A copy within this surface reads the pixels before any is written.
    if (&source == this) {
        const QImageSurface copy(m_image);
        blit(dx, dy, w, h, copy, sx, sy);
        return;
    }
    // Clipped against this surface; pixels from outside the source are black.
    const auto* image = dynamic_cast<const QImageSurface*>(&source);
    const int top = std::max(dy, 0);
    const int bottom = std::min(dy + h, height());
    const int left = std::max(dx, 0);
    const int right = std::min(dx + w, width());
    for (int y = top; y < bottom; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        const int fy = sy + (y - dy);
        const QRgb* from = image && fy >= 0 && fy < image->height()
                               ? reinterpret_cast<const QRgb*>(image->m_image.constScanLine(fy))
                               : nullptr;
        for (int x = left; x < right; ++x) {
            const int fx = sx + (x - dx);
            if (image)
                row[x] = from && fx >= 0 && fx < image->width() ? from[fx] : qRgb(0, 0, 0);
            else
                row[x] = toQRgb(source.pixel(fx, fy));
        }
    }
}

void QImageSurface::stretchBlit(const Rect& dst, const Surface& source, const Rect& src)
{
    if (dst.empty() || src.empty()) return;
    if (&source == this) {
        const QImageSurface copy(m_image);
        stretchBlit(dst, copy, src);
        return;
    }
    // Nearest source pixel by whole-number scaling of the offset, as a
    // stretch that deletes scans picks it.
    const Rect k = clipped(dst, width(), height());
    for (int y = k.top; y < k.bottom; ++y) {
        const long long fy =
            src.top + static_cast<long long>(y - dst.top) * src.height() / dst.height();
        QRgb* row = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        for (int x = k.left; x < k.right; ++x) {
            const long long fx =
                src.left + static_cast<long long>(x - dst.left) * src.width() / dst.width();
            row[x] = toQRgb(source.pixel(static_cast<int>(fx), static_cast<int>(fy)));
        }
    }
}

void QImageSurface::resize(int w, int h)
{
    w = std::max(w, 1);
    h = std::max(h, 1);
    if (w == width() && h == height()) return;
    QImage next(w, h, QImage::Format_RGB32);
    next.fill(qRgb(0, 0, 0));
    QPainter painter(&next);
    painter.drawImage(0, 0, m_image);
    painter.end();
    m_image = next;
}

} // namespace qte
