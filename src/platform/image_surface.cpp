#include "platform/image_surface.h"

#include <algorithm>
#include <cstdlib>

namespace qte {

ImageSurface::ImageSurface(int width, int height)
{
    resize(width, height);
}

void ImageSurface::resize(int width, int height)
{
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    m_pixels.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height),
                    toRgb32(0));
    m_texts.clear();
}

void ImageSurface::fillClipped(int left, int top, int right, int bottom, std::uint32_t word)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_width);
    bottom = std::min(bottom, m_height);
    if (left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = m_pixels.data() + static_cast<std::size_t>(y) * m_width;
        std::fill(row + left, row + right, word);
    }
}

void ImageSurface::fillRect(const Rect& r, Colour c)
{
    fillClipped(r.left, r.top, r.right, r.bottom, toRgb32(c));
}

void ImageSurface::frameRect(const Rect& r, Colour c)
{
    if (r.empty()) return;
    const std::uint32_t w = toRgb32(c);
    fillClipped(r.left, r.top, r.right, r.top + 1, w);
    fillClipped(r.left, r.bottom - 1, r.right, r.bottom, w);
    fillClipped(r.left, r.top, r.left + 1, r.bottom, w);
    fillClipped(r.right - 1, r.top, r.right, r.bottom, w);
}

void ImageSurface::setPixel(int x, int y, Colour c)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    m_pixels[static_cast<std::size_t>(y) * m_width + x] = toRgb32(c);
}

Colour ImageSurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return fromRgb32(m_pixels[static_cast<std::size_t>(y) * m_width + x]);
}

void ImageSurface::line(int x1, int y1, int x2, int y2, Colour pen)
{
    const std::uint32_t w = toRgb32(pen);
    // Straight lines are the common case (grid, frames): fill them as spans.
    if (y1 == y2) {
        if (x1 <= x2)
            fillClipped(x1, y1, x2, y1 + 1, w);
        else
            fillClipped(x2 + 1, y1, x1 + 1, y1 + 1, w);
        return;
    }
    if (x1 == x2) {
        if (y1 <= y2)
            fillClipped(x1, y1, x1 + 1, y2, w);
        else
            fillClipped(x1, y2 + 1, x1 + 1, y1 + 1, w);
        return;
    }
    // Bresenham from the start point; the end point itself is left out.
    const long dx = std::labs(static_cast<long>(x2) - x1);
    const long dy = -std::labs(static_cast<long>(y2) - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    long err = dx + dy;
    long x = x1;
    long y = y1;
    while (x != x2 || y != y2) {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height)
            m_pixels[static_cast<std::size_t>(y) * m_width + x] = w;
        const long e2 = 2 * err;
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

void ImageSurface::text(int x, int y, std::string_view s, Colour foreground, Colour background,
                        bool opaque)
{
    if (opaque && !s.empty()) {
        const long right = static_cast<long>(x) + static_cast<long>(s.size()) * kFontCellWidth;
        fillClipped(x, y, static_cast<int>(std::min<long>(right, 1L << 30)), y + kFontCellHeight,
                    toRgb32(background));
    }
    m_texts.push_back({x, y, std::string(s), foreground, background, opaque});
}

void ImageSurface::blit(int dx, int dy, int w, int h, const Surface& source, int sx, int sy)
{
    if (w <= 0 || h <= 0) return;
    // Clip against both images; pixels from outside the source are black.
    const auto* image = dynamic_cast<const ImageSurface*>(&source);
    for (int row = 0; row < h; ++row) {
        const int ty = dy + row;
        if (ty < 0) continue;
        if (ty >= m_height) break;
        const int fy = sy + row;
        std::uint32_t* out = m_pixels.data() + static_cast<std::size_t>(ty) * m_width;
        const int from = std::max(0, -dx);
        const int to = std::min(w, m_width - dx);
        for (int col = from; col < to; ++col) {
            const int fx = sx + col;
            std::uint32_t v;
            if (image) {
                v = (fx >= 0 && fy >= 0 && fx < image->m_width && fy < image->m_height)
                        ? image->m_pixels[static_cast<std::size_t>(fy) * image->m_width + fx]
                        : toRgb32(0);
            } else {
                v = toRgb32(source.pixel(fx, fy));
            }
            out[dx + col] = v;
        }
    }
}

void ImageSurface::stretchBlit(const Rect& dst, const Surface& source, const Rect& src)
{
    if (dst.empty() || src.empty()) return;
    const int dw = dst.width();
    const int dh = dst.height();
    const int top = std::max(dst.top, 0);
    const int bottom = std::min(dst.bottom, m_height);
    const int left = std::max(dst.left, 0);
    const int right = std::min(dst.right, m_width);
    // Nearest source pixel, the way STRETCH_DELETESCANS picks it.
    for (int y = top; y < bottom; ++y) {
        const long fy = src.top + static_cast<long>(y - dst.top) * src.height() / dh;
        std::uint32_t* out = m_pixels.data() + static_cast<std::size_t>(y) * m_width;
        for (int x = left; x < right; ++x) {
            const long fx = src.left + static_cast<long>(x - dst.left) * src.width() / dw;
            out[x] = toRgb32(source.pixel(static_cast<int>(fx), static_cast<int>(fy)));
        }
    }
}

} // namespace qte
