// The headless image and the Qt image must give the same pixels, so that
// pixel tests written against one (tests/platform pins the headless one
// edge by edge) hold for what the editor shows.
#include "platform/image_surface.h"
#include "platform/qt/qimage_surface.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace qte {
namespace {

void fillPattern(Surface& s)
{
    for (int y = 0; y < s.height(); y += 3)
        for (int x = 0; x < s.width(); x += 5)
            s.fillRect({x, y, x + 3, y + 2}, rgbColour(std::uint32_t(x * 7), std::uint32_t(y * 11),
                                                       std::uint32_t(x + y)));
}

TEST(SurfaceAgreement, HeadlessAndQtImagesMatchPixelForPixel)
{
    std::mt19937 random(7);
    auto coord = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    auto colour = [&] {
        return rgbColour(std::uint32_t(coord(0, 255)), std::uint32_t(coord(0, 255)),
                         std::uint32_t(coord(0, 255)));
    };
    auto rect = [&] {
        return Rect{coord(-10, 70), coord(-10, 50), coord(-10, 70), coord(-10, 50)};
    };
    struct Case {
        const char* name;
        std::function<void(Surface&, const Surface& source)> draw;
    };
    const Case cases[] = {
        {"fills", [&](Surface& s, const Surface&) { s.fillRect(rect(), colour()); }},
        {"frames", [&](Surface& s, const Surface&) { s.frameRect(rect(), colour()); }},
        {"lines",
         [&](Surface& s, const Surface&) {
             s.line(coord(-20, 80), coord(-20, 60), coord(-20, 80), coord(-20, 60), colour());
         }},
        {"blits",
         [&](Surface& s, const Surface& source) {
             s.blit(coord(-10, 60), coord(-10, 40), coord(0, 30), coord(0, 30), source,
                    coord(-10, 30), coord(-10, 20));
         }},
        {"stretch blits",
         [&](Surface& s, const Surface& source) {
             const int l = coord(-10, 50), t = coord(-10, 30);
             const int sl = coord(-5, 20), st = coord(-5, 15);
             s.stretchBlit({l, t, l + coord(1, 40), t + coord(1, 40)}, source,
                           {sl, st, sl + coord(1, 30), st + coord(1, 20)});
         }},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageSurface headlessSource(32, 24);
        QImageSurface qtSource(32, 24);
        fillPattern(headlessSource);
        fillPattern(qtSource);

        const std::mt19937 start = random;
        ImageSurface headless(64, 48);
        for (int i = 0; i < 40; ++i)
            c.draw(headless, headlessSource);
        random = start; // the same operations on both
        QImageSurface qt(64, 48);
        for (int i = 0; i < 40; ++i)
            c.draw(qt, qtSource);

        int differing = 0;
        int drawn = 0; // so that the comparison means something
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                differing += headless.pixel(x, y) != qt.pixel(x, y);
                drawn += qt.pixel(x, y) != 0;
            }
        EXPECT_EQ(differing, 0);
        EXPECT_GT(drawn, 50);
    }
}

} // namespace
} // namespace qte
