#pragma once
// A drawing surface with the GDI-like operations the editor's windows paint
// with. The windows paint into a kept backing surface, so a repaint can run
// at any time and tests can read pixels back.

#include <cstdint>
#include <string_view>

namespace qte {

// 32-bit colour, red in the low byte, then green, then blue.
using Colour = std::uint32_t;
constexpr Colour rgbColour(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr std::uint32_t redOf(Colour c)
{
    return c & 0xFFu;
}
constexpr std::uint32_t greenOf(Colour c)
{
    return (c >> 8) & 0xFFu;
}
constexpr std::uint32_t blueOf(Colour c)
{
    return (c >> 16) & 0xFFu;
}

// GDI rectangle: right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    [[nodiscard]] int width() const { return right - left; }
    [[nodiscard]] int height() const { return bottom - top; }
    [[nodiscard]] bool empty() const { return right <= left || bottom <= top; }
    [[nodiscard]] bool contains(int x, int y) const
    {
        return x >= left && x < right && y >= top && y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

class Surface {
public:
    virtual ~Surface() = default;

    [[nodiscard]] virtual int width() const = 0;
    [[nodiscard]] virtual int height() const = 0;

    // FillRect with a solid brush.
    virtual void fillRect(const Rect& r, Colour c) = 0;
    // FrameRect: a one-pixel border inside r.
    virtual void frameRect(const Rect& r, Colour c) = 0;
    // MoveTo/LineTo with a one-pixel pen: the end point is not drawn.
    virtual void line(int x1, int y1, int x2, int y2, Colour pen) = 0;
    // TextOut with the editor's fixed font ("Courier New", 15 x 8 pixels).
    // With opaque set the character cells are filled with background first.
    virtual void text(int x, int y, std::string_view s, Colour foreground, Colour background,
                      bool opaque) = 0;
    // BitBlt (SRCCOPY) of w x h pixels from (sx, sy) of source to (dx, dy).
    virtual void blit(int dx, int dy, int w, int h, const Surface& source, int sx, int sy) = 0;
    // StretchBlt of the source rectangle onto the destination rectangle.
    virtual void stretchBlit(const Rect& dst, const Surface& source, const Rect& src) = 0;

    // The colour at (x, y); 0 outside.
    [[nodiscard]] virtual Colour pixel(int x, int y) const = 0;
};

} // namespace qte
