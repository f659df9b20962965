#pragma once
// Geometry of the "Matrix edit" piano roll: which units and pitches are on
// screen, where each band of the window lies, the zoom steps and the two
// scroll bars. Painting and mouse editing place everything through these.

#include "platform/scroll.h"
#include "platform/surface.h"

#include <cstdint>

namespace qte {

struct Tune;

constexpr int kKeyStripWidth = 67; // with "Draw keys" on
constexpr int kMaxVisibleRows = 108;
constexpr int kInitialLowestPitch = 69;

// Fixed vertical bands of the client area (y grows downwards).
constexpr int kRepeatStripTop = 15; // filled 15..23
constexpr int kRepeatStripBottom = 24;
constexpr int kRepeatHitTop = 5; // the mouse reacts from 5 to 25
constexpr int kRepeatHitBottom = 25;
constexpr int kRulerTop = 25;
constexpr int kRulerBottom = 39;
constexpr int kGridTop = 40;

// Zoom steps and limits. Zooming in stops where one unit or one row would
// no longer fit a screen.
constexpr float kUnitWidthStep = 1.05f;
constexpr float kUnitWidthFloor = 10.0f;
constexpr float kRowHeightStep = 2.0f;
constexpr float kRowHeightFloor = 4.0f;
constexpr int kMaxUnitWidthZoom = 400;
constexpr int kMaxRowHeightZoom = 200;

struct MatrixView {
    std::int32_t keyStripWidth = kKeyStripWidth;
    std::int32_t unitWidth = 11;
    float unitWidthExact = 10.5f;
    std::int32_t rowHeight = 12;
    float rowHeightExact = 11.5f;
    std::int32_t visibleUnits = 1;
    std::int32_t visibleRows = 1;
    std::int32_t scrollUnits = 0;
    std::int32_t lowestPitch = kInitialLowestPitch;
    std::int32_t verticalPos = 0;

    // The client area and both bars as the window should show them.
    int clientWidth = 0;
    int clientHeight = 0;
    ScrollSetting horizontalBar{0, 500, 10, 0, false};
    ScrollSetting verticalBar{1, kMaxVisibleRows, 10, 0, false};

    // Band edges (fill rectangles: right and bottom exclusive).
    [[nodiscard]] int gridLeft() const { return keyStripWidth; }
    [[nodiscard]] int gridRight() const { return keyStripWidth + visibleUnits * unitWidth; }
    [[nodiscard]] int gridBottom() const { return kGridTop + visibleRows * rowHeight; }
    [[nodiscard]] int vibraTop() const { return visibleRows * rowHeight + 50; }
    [[nodiscard]] int vibraBottom() const { return (visibleRows + 1) * rowHeight + 50; }
    [[nodiscard]] int textTop() const { return (visibleRows + 1) * rowHeight + 60; }
    [[nodiscard]] int textBottom() const { return (visibleRows + 2) * rowHeight + 60; }
    [[nodiscard]] int topPitch() const { return lowestPitch + visibleRows - 1; }
    [[nodiscard]] float firstUnit() const { return static_cast<float>(scrollUnits); }
    [[nodiscard]] float endUnit() const { return static_cast<float>(scrollUnits + visibleUnits); }

    // x of a time in units: trunc(W * (u - S) + L).
    [[nodiscard]] int unitsToX(float units) const;
    // x of a time in ms: trunc((ms / msPerUnit - S) * W + L).
    [[nodiscard]] int msToX(std::int32_t ms, float msPerUnit) const;
    // The time under pixel column x, in units (not snapped).
    [[nodiscard]] float xToUnits(int x) const;
    [[nodiscard]] bool pitchVisible(int pitch) const
    {
        return pitch >= lowestPitch && pitch < lowestPitch + visibleRows;
    }
    // Top of the row of a pitch.
    [[nodiscard]] int pitchToY(int pitch) const
    {
        return (lowestPitch + visibleRows - 1 - pitch) * rowHeight + kGridTop;
    }
    // The pitch of the row under y (y - 40 divided by the row height).
    [[nodiscard]] int yToPitch(int y) const
    {
        return lowestPitch + visibleRows - 1 - (y - kGridTop) / rowHeight;
    }

    // The cell of a whole unit and a pitch, grid lines included.
    [[nodiscard]] Rect cellRect(int unit, int pitch) const;
};

// What lies under a client pixel.
enum class MatrixRegion {
    None,        // the key strip, the ruler, between bands, or outside the client
    Grid,        // the note grid rows (x may run to the client's right edge)
    VibraStrip,  // the vibra segment strip
    TextStrip,   // the free text strip
    RepeatStrip, // the mouse band 5..25 of the repeat strip
};

struct MatrixHit {
    MatrixRegion region = MatrixRegion::None;
    float units = 0.0f;      // the time under x, S + (x - L) / W
    std::int32_t unit = 0;   // that time's whole unit
    std::int32_t pitch = 0;  // the pitch of the row under y
    bool insideGrid = false; // x within the grid's columns, L..L + C*W
};

// The inverse of cellRect: a cell's pixels hit its unit and pitch.
[[nodiscard]] MatrixHit hitTest(const MatrixView& view, int x, int y);

// Sets the key strip from the "Draw keys" option.
void applyDrawKeys(MatrixView& view, bool drawKeys);

// Loads the zoom kept in the settings; values outside 1 .. the zoom limits
// are brought inside them.
void applyStoredZoom(MatrixView& view, std::int32_t unitWidth, std::int32_t rowHeight);

// Lays the view out for a client area: visible columns and rows, both bars,
// and the vertical position that keeps the bottom pitch where it was. Any
// size is accepted; at least one column and one row stay visible.
void LayoutMatrix(MatrixView& view, const Tune& tune, int clientWidth, int clientHeight);

enum class ZoomDirection { In, Out };
// One zoom step, then a new layout. Returns whether the zoom changed.
bool ZoomX(MatrixView& view, const Tune& tune, ZoomDirection direction);
bool ZoomY(MatrixView& view, const Tune& tune, ZoomDirection direction);
// A time zoom step that keeps the unit under pixel column x (taken at the
// grid's left edge when left of it) under that column, as near as a whole
// scroll position allows.
bool ZoomXAt(MatrixView& view, const Tune& tune, ZoomDirection direction, int x);

// Scroll-bar messages; return whether the code was handled (then repaint).
bool ScrollHorizontal(MatrixView& view, ScrollCode code, std::int32_t trackPosition);
bool ScrollVertical(MatrixView& view, ScrollCode code, std::int32_t trackPosition);

// The horizontal range after a repaint: two screens past the last item of
// any list.
void UpdateHorizontalRange(MatrixView& view, const Tune& tune);

// Snaps a time back to the latest whole unit, note end or (Natural style)
// note end + 20 ms lying after trunc(u) and before u.
[[nodiscard]] float SnapDown(const Tune& tune, float units, std::int32_t styleMode);

} // namespace qte
