// Text and copies within one image on Qt; its other drawing is held to the
// headless image's pixels in surface_agreement_test.cpp.
#include "platform/qt/qimage_surface.h"

#include <QFontInfo>
#include <gtest/gtest.h>

namespace qte {
namespace {

TEST(QImageSurface, TextFillsFixedCellsOfTheEditorFont)
{
    const QFontInfo info(QImageSurface::editorFont());
    EXPECT_TRUE(info.fixedPitch()) << info.family().toStdString();

    QImageSurface s(100, 40);
    const Colour black = rgbColour(0, 0, 0);
    const Colour white = rgbColour(255, 255, 255);
    const Colour grey = rgbColour(100, 100, 100);
    s.text(8, 10, "AB", white, grey, true);
    // The opaque background covers exactly two cells of 8 x 15.
    EXPECT_EQ(s.pixel(8, 10), grey);
    EXPECT_EQ(s.pixel(23, 24), grey);
    EXPECT_EQ(s.pixel(24, 10), black);
    EXPECT_EQ(s.pixel(8, 25), black);
    auto inkIn = [&](int left) {
        int ink = 0;
        for (int y = 10; y < 25; ++y)
            for (int x = left; x < left + 8; ++x)
                ink += s.pixel(x, y) == white;
        return ink;
    };
    EXPECT_GT(inkIn(8), 5);
    EXPECT_GT(inkIn(16), 5);

    // Transparent text leaves the background alone.
    s.text(40, 10, "-", white, grey, false);
    EXPECT_EQ(s.pixel(40, 10), black);
    EXPECT_GT(inkIn(40), 0);
}

TEST(QImageSurface, BlitWithinTheSurfaceReadsThePixelsBeforeItWrites)
{
    QImageSurface s(4, 1);
    s.fillRect({0, 0, 1, 1}, rgbColour(255, 0, 0));
    s.blit(1, 0, 3, 1, s, 0, 0);
    EXPECT_EQ(s.pixel(1, 0), rgbColour(255, 0, 0));
    EXPECT_EQ(s.pixel(2, 0), rgbColour(0, 0, 0));
}

} // namespace
} // namespace qte
