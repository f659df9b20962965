#include "platform/qt/qimage_surface.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qte {

namespace {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 15;

QImage blackImage(int w, int h, qreal ratio)
{
    QImage image(std::max(1, static_cast<int>(std::ceil(w * ratio))),
                 std::max(1, static_cast<int>(std::ceil(h * ratio))), QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    image.setDevicePixelRatio(ratio);
    return image;
}

qreal usableRatio(qreal ratio)
{
    return ratio > 0.0 && std::isfinite(ratio) ? ratio : 1.0;
}

} // namespace

QImageSurface::QImageSurface(int width, int height, qreal ratio)
    : m_width(std::max(width, 1)), m_height(std::max(height, 1)), m_ratio(usableRatio(ratio))
{
    m_image = blackImage(m_width, m_height, m_ratio);
}

QImageSurface::QImageSurface(const QImage& image)
    : m_image(image.convertToFormat(QImage::Format_RGB32)),
      m_ratio(usableRatio(image.devicePixelRatio()))
{
    m_image.setDevicePixelRatio(m_ratio);
    m_width = std::max(1, static_cast<int>(std::lround(m_image.width() / m_ratio)));
    m_height = std::max(1, static_cast<int>(std::lround(m_image.height() / m_ratio)));
}

int QImageSurface::toImage(int v) const
{
    return static_cast<int>(std::lround(v * m_ratio));
}

QRect QImageSurface::imageRect(const Rect& r) const
{
    const int left = std::max(toImage(std::max(r.left, 0)), 0);
    const int top = std::max(toImage(std::max(r.top, 0)), 0);
    const int right = std::min(toImage(std::min(r.right, m_width)), m_image.width());
    const int bottom = std::min(toImage(std::min(r.bottom, m_height)), m_image.height());
    if (right <= left || bottom <= top) return {};
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void QImageSurface::fillImageRect(const QRect& k, QRgb c)
{
    if (k.isEmpty()) return;
    for (int y = k.top(); y <= k.bottom(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        std::fill(row + k.left(), row + k.right() + 1, c);
    }
}

Colour QImageSurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    const int ix = std::min(toImage(x), m_image.width() - 1);
    const int iy = std::min(toImage(y), m_image.height() - 1);
    return fromQRgb(reinterpret_cast<const QRgb*>(m_image.constScanLine(iy))[ix]);
}

void QImageSurface::fillRect(const Rect& r, Colour c)
{
    fillImageRect(imageRect(r), toQRgb(c));
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
        fillImageRect(imageRect({x, y, x + 1, y + 1}), q);
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
    // The image's ratio makes the painter draw in window pixels at the
    // image's resolution.
    QPainter painter(&m_image);
    const QFont font = editorFont();
    painter.setFont(font);
    painter.setPen(QColor(toQRgb(foreground)));
    painter.setClipRect(QRect(0, 0, m_width, m_height));
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
    stretchBlit({dx, dy, dx + w, dy + h}, source, {sx, sy, sx + w, sy + h});
}

void QImageSurface::stretchBlit(const Rect& dst, const Surface& source, const Rect& src)
{
    if (dst.empty() || src.empty()) return;
    // A copy within this surface reads the pixels before any is written.
    if (&source == this) {
        const QImageSurface copy(m_image);
        stretchBlit(dst, copy, src);
        return;
    }
    // Each image pixel takes the source pixel its offset scales to, by
    // whole numbers as a stretch that deletes scans picks it. A source that
    // is an image too is read at its own resolution; pixels outside the
    // source are black.
    const auto* image = dynamic_cast<const QImageSurface*>(&source);
    const qreal sourceRatio = image ? image->m_ratio : 1.0;
    auto scaled = [](int v, qreal ratio) { return static_cast<long long>(std::lround(v * ratio)); };
    const long long dLeft = toImage(dst.left), dTop = toImage(dst.top);
    const long long dWidth = std::max<long long>(1, toImage(dst.right) - dLeft);
    const long long dHeight = std::max<long long>(1, toImage(dst.bottom) - dTop);
    const long long sLeft = scaled(src.left, sourceRatio), sTop = scaled(src.top, sourceRatio);
    const long long sWidth = scaled(src.right, sourceRatio) - sLeft;
    const long long sHeight = scaled(src.bottom, sourceRatio) - sTop;
    const QRect k = imageRect(dst);
    if (k.isEmpty() || sWidth <= 0 || sHeight <= 0) return;
    for (int y = k.top(); y <= k.bottom(); ++y) {
        const long long fy = sTop + (y - dTop) * sHeight / dHeight;
        QRgb* row = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        const QRgb* from =
            image && fy >= 0 && fy < image->m_image.height()
                ? reinterpret_cast<const QRgb*>(image->m_image.constScanLine(static_cast<int>(fy)))
                : nullptr;
        for (int x = k.left(); x <= k.right(); ++x) {
            const long long fx = sLeft + (x - dLeft) * sWidth / dWidth;
            if (image) {
                row[x] = from && fx >= 0 && fx < image->m_image.width() ? from[fx] : qRgb(0, 0, 0);
            } else {
                row[x] = toQRgb(source.pixel(static_cast<int>(fx), static_cast<int>(fy)));
            }
        }
    }
}

void QImageSurface::resize(int w, int h, qreal ratio)
{
    w = std::max(w, 1);
    h = std::max(h, 1);
    ratio = usableRatio(ratio);
    if (w == m_width && h == m_height && ratio == m_ratio) return;
    m_width = w;
    m_height = h;
    m_ratio = ratio;
    m_image = blackImage(w, h, ratio);
}

} // namespace qte
