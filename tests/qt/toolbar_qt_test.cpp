// The toolbar painted by Qt from the embedded button table.

#include "app/toolbar.h"

#include "platform/qt/button_table_image.h"
#include "platform/qt/qimage_surface.h"
#include "sound/playback.h"
#include "sound/tempo.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qte {
namespace {

TEST(ToolbarQt, PaintsTheEmbeddedPictures)
{
    const QImage tableImage = loadButtonTableImage();
    ASSERT_FALSE(tableImage.isNull());
    const QImageSurface table(tableImage);
    PlayState play;
    play.playButtonDown = 1;
    NoteLengthState length;
    length.noteLengthIndex = 3;
    length.noteLengthModifier = 1;
    QImageSurface window(800, 70);
    drawToolbar(window, table, play, length);
    if (const char* out = std::getenv("QTE_TOOLBAR_PNG"))
        window.image().save(QString::fromLocal8Bit(out));

    struct Probe {
        const char* name;
        int x, y;   // in the window
        int sx, sy; // in the table
    };
    const Probe probes[] = {
        {"pressed play", 27, 20, 166, 30},  {"loop up", 67, 20, 201, 10},
        {"stop", 107, 20, 236, 10},         {"tempo", 190, 15, 299, 5},
        {"eighth chosen", 540, 30, 219, 411}, {"quarter not chosen", 570, 30, 240, 450},
        {"dot chosen", 677, 36, 300, 417},  {"triplet not chosen", 736, 30, 331, 450},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(window.pixel(p.x, p.y), table.pixel(p.sx, p.sy));
    }
    EXPECT_EQ(window.pixel(5, 5), kToolbarFrameColour);
    EXPECT_EQ(window.pixel(755, 54), kToolbarFrameColour);
}

} // namespace
} // namespace qte
