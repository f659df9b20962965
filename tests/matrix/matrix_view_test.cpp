#include "matrix/matrix_view.h"

#include "tune/tempo.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace qte {
namespace {

MatrixView laidOut(const Tune& tune, int w, int h, int unitWidth = 11, int rowHeight = 12)
{
    MatrixView v;
    applyStoredZoom(v, unitWidth, rowHeight);
    LayoutMatrix(v, tune, w, h);
    return v;
}

TEST(MatrixView, LayoutCountsColumnsRowsAndBars)
{
    struct Case {
        const char* name;
        int keyStrip, width, height, unitWidth, rowHeight;
        int columns, rows;
    };
    const Case cases[] = {
        {"keys", 67, 800, 600, 11, 12, (800 - 67) / 11 + 1, (600 - 24 - 65) / 12},
        {"no keys", 0, 800, 600, 11, 12, 800 / 11 + 1, (600 - 24 - 65) / 12},
        {"very high window", 67, 800, 5000, 11, 12, (800 - 67) / 11 + 1, 108},
        {"zero window", 0, 0, 0, 11, 12, 1, 1},
        {"narrower than the keys", 67, 20, 30, 11, 12, 1, 1},
    };
    Tune tune;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MatrixView v;
        v.keyStripWidth = c.keyStrip;
        applyStoredZoom(v, c.unitWidth, c.rowHeight);
        LayoutMatrix(v, tune, c.width, c.height);
        EXPECT_EQ((std::pair{v.visibleUnits, v.visibleRows}), (std::pair{c.columns, c.rows}));
        // An empty tune: two screens of room.
        EXPECT_EQ(v.horizontalBar, (ScrollSetting{0, 2 * c.columns, c.columns, 0, false}));
        EXPECT_EQ(v.verticalBar, (ScrollSetting{1, 108, c.rows, v.verticalPos, false}));
        // The bottom pitch stays unless that would put the top row above 108.
        if (110 - c.rows - 69 >= 1) {
            EXPECT_EQ(v.lowestPitch, 69);
        } else {
            EXPECT_EQ(v.topPitch(), 108);
        }
        EXPECT_GE(v.verticalPos, 1);
        EXPECT_LE(v.verticalPos, 108);
    }
}

TEST(MatrixView, ZoomStepsAndFloors)
{
    Tune tune;
    MatrixView v = laidOut(tune, 800, 600, 11, 12); // exact 10.5 / 11.5
    EXPECT_TRUE(ZoomX(v, tune, ZoomDirection::Out));
    EXPECT_FLOAT_EQ(v.unitWidthExact, 9.45f);
    EXPECT_EQ(v.unitWidth, 9);
    EXPECT_EQ(v.visibleUnits, (800 - 67) / 9 + 1) << "a zoom lays out again";
    EXPECT_FALSE(ZoomX(v, tune, ZoomDirection::Out));
    EXPECT_EQ(v.unitWidth, 9);
    EXPECT_TRUE(ZoomX(v, tune, ZoomDirection::In));
    EXPECT_EQ(v.unitWidth, static_cast<int>(9.45f + 1.05f + 0.5f));

    MatrixView y = laidOut(tune, 800, 600, 11, 4); // rowHeightExact 3.5
    EXPECT_FALSE(ZoomY(y, tune, ZoomDirection::Out));
    EXPECT_EQ(y.rowHeight, 4);
    EXPECT_TRUE(ZoomY(y, tune, ZoomDirection::In));
    EXPECT_EQ(y.rowHeight, 6);
    MatrixView y2 = laidOut(tune, 800, 600, 11, 12);
    EXPECT_TRUE(ZoomY(y2, tune, ZoomDirection::Out));
    EXPECT_EQ(y2.rowHeight, 10);

    // Zooming in stops at the limits however often it is asked.
    for (int i = 0; i < 1000; ++i) {
        (void)ZoomX(v, tune, ZoomDirection::In);
        (void)ZoomY(y, tune, ZoomDirection::In);
    }
    EXPECT_LE(v.unitWidth, kMaxUnitWidthZoom);
    EXPECT_LE(y.rowHeight, kMaxRowHeightZoom);
    EXPECT_GE(v.visibleUnits, 1);
    EXPECT_GE(y.visibleRows, 1);
    EXPECT_FALSE(ZoomX(v, tune, ZoomDirection::In));

    // A stored zoom is brought inside the limits.
    applyStoredZoom(v, 0, -3);
    EXPECT_EQ((std::pair{v.unitWidth, v.rowHeight}), (std::pair{1, 1}));
    applyStoredZoom(v, 100000, 100000);
    EXPECT_EQ((std::pair{v.unitWidth, v.rowHeight}),
              (std::pair{kMaxUnitWidthZoom, kMaxRowHeightZoom}));
    EXPECT_FLOAT_EQ(v.unitWidthExact, kMaxUnitWidthZoom - 0.5f);
}

// A zoom at the mouse keeps the time under the mouse where it was, to half
// a unit (the scroll position is whole); left of the grid it is the grid's
// left edge that stays, and at the start nothing scrolls before time 0.
TEST(MatrixView, ZoomAtAColumnKeepsTheTimeUnderIt)
{
    Tune tune;
    tune.noteCount = 1;
    tune.noteTable[1].endMs = 46875; // 1000 units
    struct Case {
        const char* name;
        ZoomDirection direction;
        int scroll, x;
        bool atStart;
    };
    const Case cases[] = {
        {"in, right of the middle", ZoomDirection::In, 200, 600, false},
        {"out, near the right edge", ZoomDirection::Out, 200, 780, false},
        {"in, on the key strip", ZoomDirection::In, 200, 10, false},
        {"out, at the very start", ZoomDirection::Out, 0, 400, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MatrixView v = laidOut(tune, 800, 600);
        ASSERT_TRUE(ScrollHorizontal(v, ScrollCode::ThumbTrack, c.scroll));
        const int x = std::max(c.x, v.gridLeft());
        const float anchor = v.xToUnits(x);
        const int width = v.unitWidth;
        ASSERT_TRUE(ZoomXAt(v, tune, c.direction, c.x));
        EXPECT_NE(v.unitWidth, width);
        if (c.atStart) {
            EXPECT_EQ(v.scrollUnits, 0);
        } else {
            EXPECT_NEAR(v.xToUnits(x), anchor, 0.5f);
        }
    }
}

// Any window size keeps the bottom pitch while it can and a scroll position
// the bar allows.
TEST(MatrixView, ResizeKeepsTheBottomPitchAndPullsTheScrollPositionIntoRange)
{
    Tune tune;
    tune.noteCount = 1;
    tune.noteTable[1].endMs = 46875; // 1000 units
    MatrixView v = laidOut(tune, 1920, 1080);
    ASSERT_TRUE(ScrollHorizontal(v, ScrollCode::ThumbTrack, 1000000));
    EXPECT_EQ(v.scrollUnits, v.horizontalBar.maximum - v.visibleUnits + 1);
    const std::pair<int, int> sizes[] = {{800, 200},     {800, 400}, {800, 900}, {800, 1300},
                                         {800, 3000},    {800, 190}, {1, 1},     {100, 50},
                                         {30000, 20000}, {-5, -5}};
    for (auto [w, h] : sizes) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        v.lowestPitch = 40;
        LayoutMatrix(v, tune, w, h);
        const int pos = 110 - v.visibleRows - 40;
        if (pos >= 1 && pos <= 108) {
            EXPECT_EQ(v.lowestPitch, 40);
        }
        EXPECT_GE(v.scrollUnits, 0);
        EXPECT_LE(v.scrollUnits, v.horizontalBar.maximum - v.visibleUnits + 1);
        EXPECT_EQ(v.horizontalBar.position, v.scrollUnits);
        EXPECT_GE(v.visibleRows, 1);
        EXPECT_LE(v.visibleRows, 108);
        EXPECT_GE(v.topPitch(), 1);
        EXPECT_LE(v.topPitch(), 108);
    }
}

TEST(MatrixView, HorizontalScrollCodesAndClamp)
{
    Tune tune;
    MatrixView v = laidOut(tune, 800, 600); // range 0..2C
    const int c = v.visibleUnits;
    const int top = v.horizontalBar.maximum - c + 1;
    struct Step {
        ScrollCode code;
        int track;
        int expected;
        bool handled;
    };
    const Step steps[] = {
        {ScrollCode::LineDown, 0, 1, true},   {ScrollCode::PageDown, 0, 1 + c, true},
        {ScrollCode::PageDown, 0, top, true}, {ScrollCode::LineUp, 0, top - 1, true},
        {ScrollCode::ThumbTrack, 5, 5, true}, {ScrollCode::ThumbPosition, 9, 5, false},
        {ScrollCode::Top, 0, 0, true},        {ScrollCode::LineUp, 0, 0, true},
        {ScrollCode::PageUp, 0, 0, true},     {ScrollCode::ThumbTrack, 100000, top, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(static_cast<int>(s.code));
        EXPECT_EQ(ScrollHorizontal(v, s.code, s.track), s.handled);
        EXPECT_EQ(v.scrollUnits, s.expected);
        EXPECT_EQ(v.horizontalBar.position, s.expected);
    }
}

TEST(MatrixView, VerticalScrollKeepsTheTopRowAtOrBelow108)
{
    Tune tune;
    MatrixView v = laidOut(tune, 800, 600);
    const int r = v.visibleRows;
    EXPECT_TRUE(ScrollVertical(v, ScrollCode::ThumbTrack, 1));
    EXPECT_EQ(v.lowestPitch, 110 - r - 1);
    EXPECT_EQ(v.topPitch(), 108);
    EXPECT_TRUE(ScrollVertical(v, ScrollCode::LineUp, 0)); // clamped at 1
    EXPECT_EQ(v.verticalPos, 1);
    EXPECT_TRUE(ScrollVertical(v, ScrollCode::PageDown, 0));
    EXPECT_EQ(v.verticalPos, 1 + r);
    EXPECT_TRUE(ScrollVertical(v, ScrollCode::ThumbTrack, 5000));
    EXPECT_EQ(v.verticalPos, 108);
    EXPECT_EQ(v.topPitch(), 1);
    EXPECT_FALSE(ScrollVertical(v, ScrollCode::ThumbPosition, 3));
    EXPECT_EQ(v.verticalPos, 108);
}

TEST(MatrixView, PixelMappingAndCellsAreInverse)
{
    Tune tune;
    MatrixView v = laidOut(tune, 800, 600);
    v.scrollUnits = 7;
    v.lowestPitch = 50;
    const int L = v.keyStripWidth, W = v.unitWidth, h = v.rowHeight, R = v.visibleRows;
    EXPECT_EQ(v.unitsToX(9.5f), static_cast<int>(W * 2.5f + L));
    EXPECT_EQ(v.unitsToX(6.0f), L - W);
    EXPECT_EQ(v.msToX(static_cast<int>(9 * 46.875f), 46.875f),
              static_cast<int>((static_cast<int>(9 * 46.875f) / 46.875f - 7) * W + L));
    EXPECT_TRUE(v.pitchVisible(50));
    EXPECT_FALSE(v.pitchVisible(50 + R));
    EXPECT_FALSE(v.pitchVisible(49));

    struct Cell {
        int unit, pitch;
    };
    const Cell cells[] = {{7, 50}, {8, 51}, {7 + v.visibleUnits - 2, 50 + R - 1}, {20, 60}};
    for (const Cell& c : cells) {
        SCOPED_TRACE(c.unit * 1000 + c.pitch);
        const Rect r = v.cellRect(c.unit, c.pitch);
        EXPECT_EQ(r.width(), W);
        EXPECT_EQ(r.height(), h);
        for (auto [x, y] : {std::pair{r.left, r.top}, std::pair{r.right - 1, r.bottom - 1},
                            std::pair{(r.left + r.right) / 2, (r.top + r.bottom) / 2}}) {
            const MatrixHit hit = hitTest(v, x, y);
            EXPECT_EQ((std::tuple{hit.region, hit.unit, hit.pitch, hit.insideGrid}),
                      (std::tuple{MatrixRegion::Grid, c.unit, c.pitch, true}));
        }
        EXPECT_NE(hitTest(v, r.right, r.top).unit, c.unit);
        EXPECT_NE(hitTest(v, r.left, r.bottom).pitch, c.pitch);
    }
}

TEST(MatrixView, HitTestNamesEachBand)
{
    Tune tune;
    MatrixView v = laidOut(tune, 800, 600);
    const int L = v.keyStripWidth;
    struct Case {
        const char* name;
        int x, y;
        MatrixRegion region;
    };
    const Case cases[] = {
        {"key strip", L - 1, 100, MatrixRegion::None},
        {"ruler", L + 5, 30, MatrixRegion::None},
        {"repeat strip top", L + 5, 5, MatrixRegion::RepeatStrip},
        {"repeat strip bottom", L + 5, 25, MatrixRegion::RepeatStrip},
        {"above repeat strip", L + 5, 4, MatrixRegion::None},
        {"grid top", L, 40, MatrixRegion::Grid},
        {"grid bottom", L, v.gridBottom(), MatrixRegion::Grid},
        {"between grid and vibra", L, v.gridBottom() + 5, MatrixRegion::None},
        {"vibra", L, v.vibraTop(), MatrixRegion::VibraStrip},
        {"vibra end", 800, v.vibraBottom(), MatrixRegion::VibraStrip},
        {"text", L, v.textTop() + 1, MatrixRegion::TextStrip},
        {"right of client", 801, v.textTop() + 1, MatrixRegion::None},
        {"below text", L, v.textBottom() + 1, MatrixRegion::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hitTest(v, c.x, c.y).region, c.region);
    }
    EXPECT_FALSE(hitTest(v, v.gridRight() + 1, 50).insideGrid);
    EXPECT_TRUE(hitTest(v, v.gridRight(), 50).insideGrid);
}

TEST(MatrixView, RangeTakesTheLatestListEnd)
{
    Tune tune;
    tune.noteCount = 1;
    tune.noteTable[1].endMs = 4687; // 99.98 units at 46.875 ms
    MatrixView v = laidOut(tune, 800, 600);
    const int room = 2 * v.visibleUnits;
    // A layout goes by the last note's end in ms, a repaint by every list's end in units.
    EXPECT_EQ(v.horizontalBar.maximum, static_cast<int>(4687 / 46.875 + room));
    tune.noteCount = 0;
    UpdateHorizontalRange(v, tune);
    EXPECT_EQ(v.horizontalBar.maximum, room);
    tune.noteCount = 1;
    tune.noteTable[1].endUnits = 10.5f;
    tune.vibraCount = 1;
    tune.vibraList[1].endUnits = 30.7f;
    tune.textCount = 1;
    tune.textList[1].timeUnits = 20.0f;
    UpdateHorizontalRange(v, tune);
    EXPECT_EQ(v.horizontalBar.maximum, room + 30);
    tune.repeatCount = 1;
    tune.repeatList[1].endUnits = 55.0f;
    UpdateHorizontalRange(v, tune);
    EXPECT_EQ(v.horizontalBar.maximum, room + 55);
}

TEST(MatrixView, SnapDownPicksTheLatestPointBeforeTheTime)
{
    const int natural = static_cast<int>(StyleMode::Natural);
    const int continuous = static_cast<int>(StyleMode::Continuous);
    struct Case {
        const char* name;
        std::vector<float> ends;
        float u;
        int style;
        float expected;
    };
    const Case cases[] = {
        {"later end wins", {5.25f, 5.5f}, 5.7f, continuous, 5.5f},
        {"no end between", {4.5f, 6.0f}, 5.7f, continuous, 5.0f},
        {"whole unit", {4.5f}, 5.0f, continuous, 5.0f},
        {"end at the time", {5.7f}, 5.7f, continuous, 5.0f},
        {"natural before +20", {5.0f}, 5.3f, natural, 5.0f},
        {"not natural", {5.0f}, 5.6f, continuous, 5.0f},
        {"negative time", {}, -1.5f, continuous, -1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tune tune;
        tune.noteCount = static_cast<int>(c.ends.size());
        for (std::size_t i = 0; i < c.ends.size(); ++i)
            tune.noteTable[i + 1].endUnits = c.ends[i];
        EXPECT_FLOAT_EQ(SnapDown(tune, c.u, c.style), c.expected);
    }
    // The scratch record (a copy of the last inserted note) counts too.
    Tune tune;
    tune.noteTable[0].endUnits = 5.4f;
    EXPECT_FLOAT_EQ(SnapDown(tune, 5.9f, continuous), 5.4f);
}

} // namespace
} // namespace qte
