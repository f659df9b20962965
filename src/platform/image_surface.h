#pragma once
// A Surface over a plain pixel array, for painting without a window system:
// the headless backing image of pixel tests and benchmarks. Text is not
// rasterised; opaque text fills its character cells and every call is kept
// in texts() so tests can check what was written where.

#include "platform/surface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qte {

// The editor's fixed font cell.
constexpr int kFontCellWidth = 8;
constexpr int kFontCellHeight = 15;

struct TextCall {
    int x = 0;
    int y = 0;
    std::string text;
    Colour foreground = 0;
    Colour background = 0;
    bool opaque = false;
};

class ImageSurface final : public Surface {
public:
    // A black image; negative sizes give an empty one.
    ImageSurface(int width, int height);

    [[nodiscard]] int width() const override { return m_width; }
    [[nodiscard]] int height() const override { return m_height; }

    void fillRect(const Rect& r, Colour c) override;
    void frameRect(const Rect& r, Colour c) override;
    void line(int x1, int y1, int x2, int y2, Colour pen) override;
    void text(int x, int y, std::string_view s, Colour foreground, Colour background,
              bool opaque) override;
    void blit(int dx, int dy, int w, int h, const Surface& source, int sx, int sy) override;
    void stretchBlit(const Rect& dst, const Surface& source, const Rect& src) override;
    [[nodiscard]] Colour pixel(int x, int y) const override;

    // Sets one pixel; outside the image nothing happens.
    void setPixel(int x, int y, Colour c);
    // Drops the content and the recorded texts; the new image is black.
    void resize(int width, int height);

    // Rows of RGB32 words (0xffRRGGBB), width() words per row, top row first.
    [[nodiscard]] const std::uint32_t* bits() const { return m_pixels.data(); }
    [[nodiscard]] const std::vector<TextCall>& texts() const { return m_texts; }
    void clearTexts() { m_texts.clear(); }

    [[nodiscard]] static std::uint32_t toRgb32(Colour c)
    {
        return 0xFF000000u | (redOf(c) << 16) | (greenOf(c) << 8) | blueOf(c);
    }
    [[nodiscard]] static Colour fromRgb32(std::uint32_t v)
    {
        return rgbColour((v >> 16) & 0xFFu, (v >> 8) & 0xFFu, v & 0xFFu);
    }

private:
    void fillClipped(int left, int top, int right, int bottom, std::uint32_t word);

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
    std::vector<TextCall> m_texts;
};

} // namespace qte
