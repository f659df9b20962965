#include "matrix/matrix_window.h"

#include "matrix_scene.h"
#include "support/fake_window.h"
#include "tune/tempo.h"

#include <gtest/gtest.h>

#include <memory>

namespace qte {
namespace {

using testing_support::MatrixScene;

struct WindowScene : MatrixScene {
    explicit WindowScene(bool drawKeys = true) : MatrixScene(drawKeys, 480, 360, 10, 12)
    {
        auto surface = std::make_unique<ImageSurface>(480, 360);
        windowImage = surface.get();
        window = std::make_unique<fakes::FakeWindow>(480, 360, std::move(surface));
        block = std::make_unique<BlockEdit>(*window, painter);
        block->services.clock = &clock;
        block->activate = [this] { ++activations; };
        options.styleMode = static_cast<std::int32_t>(StyleMode::Natural);
        options.newNoteUnits = 2.0f;
        MatrixContext c = context();
        block->onSize(c);
    }
    template <class F> void with(F f)
    {
        MatrixContext c = context();
        f(c);
    }

    ImageSurface* windowImage = nullptr;
    std::unique_ptr<fakes::FakeWindow> window;
    std::unique_ptr<BlockEdit> block;
    int activations = 0;
};

TEST(MatrixWindow, SizeAndScrollSetTheBars)
{
    WindowScene w;
    EXPECT_EQ(w.window->scrollBar(ScrollBar::Vertical),
              (ScrollBarState{1, 108, w.view.visibleRows, w.view.verticalPos}));
    EXPECT_EQ(w.window->scrollBar(ScrollBar::Horizontal),
              (ScrollBarState{0, 2 * w.view.visibleUnits, w.view.visibleUnits, 0}));
    EXPECT_GT(w.window->invalidations, 0);
    EXPECT_EQ(w.windowImage->pixel(w.view.keyStripWidth, kGridTop + 2), rgbColour(250, 250, 250))
        << "the window's surface was painted";

    w.window->resize(300, 200);
    w.with([&](MatrixContext& c) { w.block->onSize(c); });
    EXPECT_EQ(w.view.visibleRows, (200 - 24 - 65) / 12);
    EXPECT_EQ(w.window->scrollBar(ScrollBar::Vertical).page, w.view.visibleRows);

    w.with([&](MatrixContext& c) { w.block->onHorizontalScroll(c, ScrollCode::LineDown, 0); });
    EXPECT_EQ(w.view.scrollUnits, 1);
    EXPECT_EQ(w.window->scrollBar(ScrollBar::Horizontal).position, 1);
    // A scroll that moves nothing paints nothing.
    const int painted = w.window->invalidations;
    w.with([&](MatrixContext& c) { w.block->onVerticalScroll(c, ScrollCode::EndScroll, 0); });
    EXPECT_EQ(w.window->invalidations, painted);
}

// After a new size or zoom the bands lie elsewhere; what the old layout
// drew outside the new bands (a strip label, a strip's frame) must not stay.
TEST(MatrixWindow, ANewLayoutLeavesNothingOfTheOldOne)
{
    WindowScene w;
    const int oldVibra = w.view.vibraTop();
    w.windowImage->fillRect({0, 0, 480, 360}, rgbColour(255, 0, 255));
    w.with([&](MatrixContext& c) { w.block->onSize(c); });
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x)
            ASSERT_NE(w.windowImage->pixel(x, y), rgbColour(255, 0, 255)) << x << "," << y;

    // A lower window moves the strips up: the old frames are gone.
    const int x = w.view.keyStripWidth + 5;
    ASSERT_EQ(w.windowImage->pixel(x, oldVibra), rgbColour(150, 150, 150)) << "the vibra frame";
    w.window->resize(480, 250);
    w.with([&](MatrixContext& c) { w.block->onSize(c); });
    ASSERT_LT(w.view.textBottom(), oldVibra);
    EXPECT_EQ(w.windowImage->pixel(x, oldVibra), rgbColour(0, 0, 0));
}

TEST(MatrixWindow, MouseMovesRepaintOnlyWhatIsNeeded)
{
    WindowScene off(false);
    const int before = off.window->invalidations;
    off.with([&](MatrixContext& c) { off.block->onMouseMove(c, 100, 100); });
    EXPECT_EQ(off.window->invalidations, before) << "no keys, no gesture: nothing to paint";
    EXPECT_EQ(off.edit.mouseX, 100);

    WindowScene keys;
    const int k = keys.window->invalidations;
    keys.with([&](MatrixContext& c) { keys.block->onMouseMove(c, 100, keys.yAt(72)); });
    EXPECT_EQ(keys.window->invalidations, k + 1);
    EXPECT_EQ(keys.edit.hoverPitch, 72);
}

TEST(MatrixWindow, ARightDragTakesTheMouseAndShowsTheNoteWhileItIsDrawn)
{
    WindowScene w;
    w.with([&](MatrixContext& c) { w.block->onRightDown(c, w.xAt(4.5f), w.yAt(75)); });
    EXPECT_TRUE(w.window->hasMouseCapture());
    EXPECT_TRUE(w.edit.drawingItem);
    w.with([&](MatrixContext& c) { w.block->onMouseMove(c, w.xAt(9.0f), w.yAt(75)); });
    EXPECT_EQ(w.windowImage->pixel(w.xAt(5.5f), w.yAt(75)), rgbColour(255, 255, 255))
        << "the note being drawn shows during the move";
    w.with([&](MatrixContext& c) { w.block->onRightUp(c, w.xAt(9.0f), w.yAt(75)); });
    EXPECT_FALSE(w.window->hasMouseCapture());
    ASSERT_EQ(w.tune.noteCount, 1);
    EXPECT_FLOAT_EQ(w.tune.noteTable[1].endUnits, 6.0f);
    EXPECT_EQ(w.edit.stepName, "Draw note");
}

TEST(MatrixWindow, DuringPlaybackAClickOnlyActivates)
{
    WindowScene w;
    w.play.playing = true;
    w.with([&](MatrixContext& c) {
        w.block->onRightDown(c, w.xAt(4.5f), w.yAt(75));
        w.block->onRightUp(c, w.xAt(4.5f), w.yAt(75));
        w.block->onLeftDown(c, w.xAt(4.5f), w.yAt(75));
        w.block->onLeftUp(c, w.xAt(4.5f), w.yAt(75));
    });
    EXPECT_EQ(w.tune.noteCount, 0);
    EXPECT_FALSE(w.window->hasMouseCapture());
    EXPECT_EQ(w.activations, 1);
    EXPECT_EQ(w.edit.stepName, "");
}

} // namespace
} // namespace qte
