// Toolbar drawing from the button table, and its click rectangles.

#include "app/toolbar.h"

#include "platform/image_surface.h"
#include "playback/playback.h"
#include "support/ppm_image.h"
#include "support/testsupport.h"
#include "tune/tempo.h"

#include <gtest/gtest.h>

#include <string>

namespace qte {
namespace {

// (47, 20) lies between the Play and Loop pictures, (170, 20) on index 4 of
// the strip, which does nothing, and (492, 45) on a note value key wider
// than its 21-pixel picture.
TEST(Toolbar, HitTestRectangles)
{
    using K = ToolbarHitKind;
    struct Case {
        int x, y;
        ToolbarHitKind kind;
        int index;
    };
    const Case cases[] = {
        {10, 10, K::Play, 0},       {47, 20, K::Play, 0},       {49, 30, K::Play, 0},
        {50, 20, K::Loop, 0},       {89, 20, K::Loop, 0},       {90, 20, K::Stop, 0},
        {130, 20, K::Pause, 0},     {169, 20, K::Pause, 0},     {170, 20, K::None, 0},
        {179, 20, K::None, 0},      {180, 20, K::Tempo, 0},     {200, 20, K::Tempo, 0},
        {216, 30, K::Tempo, 0},     {217, 20, K::None, 0},      {444, 20, K::None, 0},
        {9, 20, K::None, 0},        {10, 9, K::None, 0},        {10, 31, K::None, 0},
        {470, 10, K::NoteValue, 1}, {492, 45, K::NoteValue, 1}, {493, 20, K::None, 0},
        {500, 20, K::NoteValue, 2}, {620, 49, K::NoteValue, 6}, {642, 10, K::NoteValue, 6},
        {643, 10, K::None, 0},      {470, 50, K::None, 0},      {470, 9, K::None, 0},
        {670, 10, K::Modifier, 1},  {686, 49, K::Modifier, 1},  {687, 20, K::None, 0},
        {700, 20, K::Modifier, 2},  {746, 20, K::Modifier, 3},  {747, 20, K::None, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(toolbarHitTest(c.x, c.y), (ToolbarHit{c.kind, c.index}));
    }
}

class ToolbarPixels : public testing::Test {
protected:
    void SetUp() override
    {
        PpmResult r = readPpmImage(test::resourcePath("buttontable.ppm"));
        ASSERT_TRUE(r.image) << r.error;
        table = std::move(*r.image);
    }
    // Every pixel of the picture's destination is the table's pixel.
    void expectCopied(const ToolbarPicture& p, const ImageSurface& target)
    {
        int wrong = 0;
        for (int y = 0; y < p.destination.height(); ++y)
            for (int x = 0; x < p.destination.width(); ++x)
                wrong += target.pixel(p.destination.left + x, p.destination.top + y) !=
                         table.pixel(p.sourceX + x, p.sourceY + y);
        EXPECT_EQ(wrong, 0);
    }
    ImageSurface table{0, 0};
};

TEST_F(ToolbarPixels, EveryPictureComesFromItsPlace)
{
    struct Case {
        const char* name;
        std::int32_t playDown, loop, pauseDown, index, modifier;
    };
    const Case cases[] = {
        {"idle", 0, 0, 0, 1, 0},
        {"playing, looping, paused", 1, 1, 1, 4, 2},
        {"whole note triplet", 1, 0, 0, 6, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayState play;
        play.playButtonDown = c.playDown;
        play.loopPlayback = c.loop;
        play.pauseButtonDown = c.pauseDown;
        NoteLengthState length;
        length.noteLengthIndex = c.index;
        length.noteLengthModifier = c.modifier;

        ImageSurface target(800, 70);
        drawToolbar(target, table, play, length);

        const ToolbarPicture playPic = transportPicture(ToolbarItem::Play, play);
        EXPECT_EQ(playPic.destination, (Rect{10, 10, 45, 30}));
        EXPECT_EQ(playPic.sourceY, c.playDown ? 20 : 0);
        for (ToolbarItem item : {ToolbarItem::Play, ToolbarItem::Loop, ToolbarItem::Stop,
                                 ToolbarItem::Pause, ToolbarItem::Tempo})
            expectCopied(transportPicture(item, play), target);
        EXPECT_EQ(transportPicture(ToolbarItem::Tempo, play).destination, (Rect{180, 10, 217, 30}));
        EXPECT_EQ(transportPicture(ToolbarItem::Stop, play).sourceY, 0);

        for (int i = 1; i <= 6; ++i) {
            const ToolbarPicture p = noteValuePicture(i, length);
            EXPECT_EQ(p.destination, (Rect{470 + 30 * (i - 1), 10, 491 + 30 * (i - 1), 49}));
            EXPECT_EQ(p.sourceY, i == c.index ? 391 : 430);
            expectCopied(p, target);
        }
        for (int j = 1; j <= 3; ++j) {
            const ToolbarPicture p = modifierPicture(j, length);
            EXPECT_EQ(p.sourceX, 293 + 16 * (j - 1));
            EXPECT_EQ(p.sourceY, j == c.modifier ? 391 : 430);
            expectCopied(p, target);
        }

        // The frames, one pixel inside their rectangles; nothing beyond, and
        // black between the groups.
        const Colour grey = kToolbarFrameColour, black = rgbColour(0, 0, 0);
        const std::tuple<int, int, Colour> points[] = {
            {5, 5, grey},     {221, 34, grey}, {100, 5, grey},  {5, 20, grey},
            {460, 5, grey},   {755, 54, grey}, {600, 54, grey}, {756, 55, black},
            {300, 20, black}, {6, 6, black},   {222, 35, black}};
        for (const auto& [x, y, colour] : points)
            EXPECT_EQ(target.pixel(x, y), colour) << x << "," << y;
    }
}

// The pictures the key strip of the matrix takes are drawn, lit and unlit.
TEST_F(ToolbarPixels, KeyStripPicturesAreInTheTable)
{
    struct Picture {
        const char* name;
        Rect normal;
        int litX;
    };
    const Picture pictures[] = {
        {"C/F key", {0, 394, 64, 402}, 66},     {"D/G/A key", {0, 385, 64, 393}, 66},
        {"E/B key", {0, 376, 64, 384}, 66},     {"black key", {0, 405, 41, 411}, 42},
        {"vibra label", {0, 363, 65, 375}, 66}, {"text label", {132, 363, 197, 375}, 198},
    };
    const Colour unused = table.pixel(356, 494);
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.name);
        int drawn = 0;
        int lit = 0;
        for (int y = p.normal.top; y < p.normal.bottom; ++y)
            for (int x = p.normal.left; x < p.normal.right; ++x) {
                drawn += table.pixel(x, y) != unused;
                lit += table.pixel(x, y) != table.pixel(x - p.normal.left + p.litX, y);
            }
        EXPECT_EQ(drawn, p.normal.width() * p.normal.height());
        EXPECT_GT(lit, p.normal.width() * p.normal.height() / 2);
    }
}

} // namespace
} // namespace qte
