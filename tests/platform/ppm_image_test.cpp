// The PPM reader behind the plain copy of the button table.

#include "support/ppm_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

namespace qte {
namespace {

TEST(PpmImage, ReadsPixelsAfterAHeaderWithComments)
{
    std::string bytes = "P6\n# drawn by us\n2 1\n255\n";
    bytes += std::string("\x10\x20\x30\xff\x00\x80", 6);
    const PpmResult r = readPpmImage(std::string_view(bytes));
    ASSERT_TRUE(r.image) << r.error;
    EXPECT_EQ((std::pair{r.image->width(), r.image->height()}), (std::pair{2, 1}));
    EXPECT_EQ(r.image->pixel(0, 0), rgbColour(0x10, 0x20, 0x30));
    EXPECT_EQ(r.image->pixel(1, 0), rgbColour(0xff, 0x00, 0x80));
}

TEST(PpmImage, RefusesWhatItCannotRead)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"empty", "", "Not a binary PPM image."},
        {"text ppm", "P3\n1 1\n255\n0 0 0\n", "Not a binary PPM image."},
        {"no height", "P6\n1\n", "The PPM image header is damaged."},
        {"zero width", std::string("P6 0 1 255\n"), "The PPM image size is out of range."},
        {"huge", std::string("P6 99999 1 255\n"), "The PPM image size is out of range."},
        {"16 bit", std::string("P6 1 1 65535\n\0\0\0\0\0\0", 19),
         "Only PPM images with 8 bits per channel are read."},
        {"short", std::string("P6 2 2 255\n\0\0\0", 14),
         "The PPM image ends before its last pixel."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PpmResult r = readPpmImage(std::string_view(c.bytes));
        EXPECT_FALSE(r.image);
        EXPECT_EQ(r.error, c.error);
    }
    const PpmResult missing = readPpmImage(std::filesystem::path("no-such-image.ppm"));
    EXPECT_FALSE(missing.image);
    EXPECT_NE(missing.error.find("no-such-image.ppm"), std::string::npos);
}

} // namespace
} // namespace qte
