#include "platform/image_surface.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace qte {
namespace {

constexpr Colour kRed = rgbColour(255, 0, 0);
constexpr Colour kBlue = rgbColour(0, 0, 255);
constexpr Colour kBlack = rgbColour(0, 0, 0);

// Which pixels of a small image carry colour c, as rows of '#' and '.'.
std::string mask(const ImageSurface& s, Colour c)
{
    std::string out;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x)
            out += s.pixel(x, y) == c ? '#' : '.';
        out += '\n';
    }
    return out;
}

TEST(ImageSurface, FillsFramesAndLinesLeaveOutTheRightAndBottomEdge)
{
    enum Shape { Fill, Frame, Line };
    struct Case {
        const char* name;
        Shape shape;
        int a, b, c, d; // a rectangle, or a line's two end points
        const char* expected;
    };
    const Case cases[] = {
        {"fill", Fill, 1, 1, 3, 3, ".....\n.##..\n.##..\n.....\n"},
        {"fill empty", Fill, 3, 1, 3, 3, ".....\n.....\n.....\n.....\n"},
        {"frame", Frame, 0, 0, 4, 4, "####.\n#..#.\n#..#.\n####.\n"},
        {"line right", Line, 0, 1, 3, 1, ".....\n###..\n.....\n.....\n"},
        {"line left", Line, 3, 1, 0, 1, ".....\n.###.\n.....\n.....\n"},
        {"line up", Line, 2, 3, 2, 0, ".....\n..#..\n..#..\n..#..\n"},
        {"diagonal", Line, 0, 0, 3, 3, "#....\n.#...\n..#..\n.....\n"},
        {"point", Line, 1, 1, 1, 1, ".....\n.....\n.....\n.....\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageSurface s(5, 4);
        if (c.shape == Fill) s.fillRect({c.a, c.b, c.c, c.d}, kRed);
        if (c.shape == Frame) s.frameRect({c.a, c.b, c.c, c.d}, kRed);
        if (c.shape == Line) s.line(c.a, c.b, c.c, c.d, kRed);
        EXPECT_EQ(mask(s, kRed), c.expected);
    }
}

TEST(ImageSurface, PixelsRoundTripAndOutsideReadsZero)
{
    ImageSurface s(3, 2);
    EXPECT_EQ(s.pixel(0, 0), kBlack);
    const Colour odd = rgbColour(12, 34, 56);
    s.setPixel(2, 1, odd);
    EXPECT_EQ(s.pixel(2, 1), odd);
    EXPECT_EQ(s.bits()[5], 0xFF0C2238u); // RGB32 word order
    s.setPixel(3, 1, odd);               // outside: ignored
    EXPECT_EQ(s.pixel(-1, 0), 0u);
    EXPECT_EQ(s.pixel(0, 2), 0u);
    ImageSurface none(-4, 7);
    EXPECT_EQ(none.width(), 0);
    none.fillRect({0, 0, 5, 5}, kRed); // must not touch memory
    EXPECT_EQ(none.pixel(0, 0), 0u);
}

TEST(ImageSurface, TextIsRecordedAndOpaqueFillsItsCells)
{
    ImageSurface s(40, 20);
    s.text(2, 1, "12", kRed, kBlue, true);
    s.text(30, 1, "x", kRed, kBlue, false);
    ASSERT_EQ(s.texts().size(), 2u);
    EXPECT_EQ((std::pair{s.texts()[0].text, s.texts()[0].x}), (std::pair{std::string("12"), 2}));
    EXPECT_EQ(s.pixel(2, 1), kBlue);
    EXPECT_EQ(s.pixel(2 + 2 * kFontCellWidth - 1, kFontCellHeight), kBlue);
    EXPECT_EQ(s.pixel(2 + 2 * kFontCellWidth, 1), kBlack);
    EXPECT_EQ(s.pixel(30, 1), kBlack); // transparent text fills nothing
    s.clearTexts();
    EXPECT_TRUE(s.texts().empty());
}

} // namespace
} // namespace qte
