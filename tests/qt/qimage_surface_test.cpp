#include "platform/qt/qimage_surface.h"

#include <QFontInfo>
#include <gtest/gtest.h>

namespace qte {
namespace {

constexpr Colour kBlack = rgbColour(0, 0, 0);
constexpr Colour kRed = rgbColour(255, 0, 0);
constexpr Colour kGreen = rgbColour(20, 200, 125);

struct Probe {
    const char* name;
    int x, y;
    Colour expected;
};

void checkProbes(const Surface& s, std::initializer_list<Probe> probes)
{
    for (const Probe& p : probes) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(s.pixel(p.x, p.y), p.expected) << "at " << p.x << "," << p.y;
    }
}

TEST(QImageSurface, FillAndFrameKeepTheExclusiveEdges)
{
    QImageSurface s(40, 40);
    s.fillRect({2, 3, 6, 5}, kRed);
    s.frameRect({10, 10, 15, 14}, kGreen);
    s.fillRect({30, 30, 30, 35}, kRed); // empty: nothing
    s.fillRect({-5, 38, 3, 60}, kGreen); // clipped at the edges
    checkProbes(s, {{"fill top left", 2, 3, kRed},
                    {"fill bottom right", 5, 4, kRed},
                    {"fill right edge excluded", 6, 3, kBlack},
                    {"fill bottom edge excluded", 2, 5, kBlack},
                    {"frame corner", 10, 10, kGreen},
                    {"frame far corner", 14, 13, kGreen},
                    {"frame inside", 12, 12, kBlack},
                    {"frame right edge excluded", 15, 10, kBlack},
                    {"empty fill", 30, 30, kBlack},
                    {"clipped fill", 0, 39, kGreen},
                    {"outside reads 0", -1, 0, 0}});
}

TEST(QImageSurface, LinesStopShortOfTheEndPoint)
{
    QImageSurface s(40, 40);
    s.line(0, 20, 5, 20, kRed);
    s.line(30, 0, 30, 4, kGreen);
    s.line(0, 30, 4, 34, kRed);
    s.line(20, 10, 16, 10, kGreen); // right to left
    s.line(8, 8, 8, 8, kRed);       // zero length: nothing
    checkProbes(s, {{"horizontal start", 0, 20, kRed},
                    {"horizontal last", 4, 20, kRed},
                    {"horizontal end point", 5, 20, kBlack},
                    {"vertical last", 30, 3, kGreen},
                    {"vertical end point", 30, 4, kBlack},
                    {"diagonal middle", 2, 32, kRed},
                    {"diagonal last", 3, 33, kRed},
                    {"diagonal end point", 4, 34, kBlack},
                    {"leftward start", 20, 10, kGreen},
                    {"leftward last", 17, 10, kGreen},
                    {"leftward end point", 16, 10, kBlack},
                    {"zero length", 8, 8, kBlack}});
}

TEST(QImageSurface, BlitsClipAndStretchBlitsScale)
{
    QImageSurface source(4, 4);
    source.fillRect({0, 0, 2, 2}, kRed);
    source.fillRect({2, 2, 4, 4}, kGreen);

    QImageSurface s(20, 20);
    s.blit(-1, -1, 4, 4, source, 0, 0); // source (1,1) lands on (0,0)
    s.blit(10, 10, 2, 2, source, 2, 2);
    s.stretchBlit({12, 0, 20, 8}, source, {0, 0, 4, 4});
    checkProbes(s, {{"clipped blit", 0, 0, kRed},
                    {"clipped blit green part", 1, 1, kGreen},
                    {"plain blit", 11, 11, kGreen},
                    {"plain blit outside", 12, 12, kBlack},
                    {"stretched red quadrant", 15, 3, kRed},
                    {"stretched black quadrant", 16, 3, kBlack},
                    {"stretched green quadrant", 16, 4, kGreen},
                    {"stretched green far corner", 19, 7, kGreen},
                    {"stretched beyond", 19, 8, kBlack}});

    // A copy within the same surface reads the pixels before it writes.
    s.blit(1, 0, 3, 1, s, 0, 0);
    EXPECT_EQ(s.pixel(1, 0), kRed);
}

TEST(QImageSurface, TextFillsFixedCellsOfTheEditorFont)
{
    const QFontInfo info(QImageSurface::editorFont());
    EXPECT_TRUE(info.fixedPitch()) << info.family().toStdString();

    QImageSurface s(100, 40);
    const Colour white = rgbColour(255, 255, 255);
    const Colour grey = rgbColour(100, 100, 100);
    s.text(8, 10, "AB", white, grey, true);
    // The opaque background covers exactly two cells of 8 x 15.
    checkProbes(s, {{"cell corner", 8, 10, grey},
                    {"last cell far corner", 23, 24, grey},
                    {"after the cells", 24, 10, kBlack},
                    {"below the cells", 8, 25, kBlack}});
    auto inkIn = [&](int left) {
        int ink = 0;
        for (int y = 10; y < 25; ++y)
            for (int x = left; x < left + 8; ++x) ink += s.pixel(x, y) == white;
        return ink;
    };
    EXPECT_GT(inkIn(8), 5);
    EXPECT_GT(inkIn(16), 5);

    // Transparent text leaves the background alone.
    s.text(40, 10, "-", white, grey, false);
    EXPECT_EQ(s.pixel(40, 10), kBlack);
    EXPECT_GT(inkIn(40), 0);
}

} // namespace
} // namespace qte
