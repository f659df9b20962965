// The embedded button table and its plain PPM copy are the same picture.

#include "platform/qt/button_table_image.h"
#include "platform/qt/qimage_surface.h"
#include "support/ppm_image.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace qte {
namespace {

TEST(ButtonTable, EmbeddedImageMatchesThePpmCopy)
{
    const QImage png = loadButtonTableImage();
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.width(), kButtonTableWidth);
    EXPECT_EQ(png.height(), kButtonTableHeight);

    const PpmResult ppm = readPpmImage(test::resourcePath("buttontable.ppm"));
    ASSERT_TRUE(ppm.image) << ppm.error;
    // Both ways the editor takes the picture: as a headless copy, and as the
    // Qt image the toolbar is painted from.
    const ImageSurface fromPng = imageSurfaceFrom(png);
    const QImageSurface qtTable(png);
    ASSERT_EQ(ppm.image->width(), fromPng.width());
    ASSERT_EQ(ppm.image->height(), fromPng.height());
    int differing = 0;
    for (int y = 0; y < fromPng.height(); ++y)
        for (int x = 0; x < fromPng.width(); ++x)
            differing += (ppm.image->pixel(x, y) != fromPng.pixel(x, y)) +
                         (ppm.image->pixel(x, y) != qtTable.pixel(x, y));
    EXPECT_EQ(differing, 0);
}

TEST(ButtonTable, PngIsTwentyFourBitColour)
{
    const std::string bytes = test::readFileOrDie(test::resourcePath("buttontable.png"));
    ASSERT_GT(bytes.size(), 26u);
    // IHDR: bit depth 8, colour type 2 (RGB, no alpha).
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(static_cast<unsigned char>(bytes[24]), 8);
    EXPECT_EQ(static_cast<unsigned char>(bytes[25]), 2);
}

} // namespace
} // namespace qte
