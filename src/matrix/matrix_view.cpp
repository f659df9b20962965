#include "matrix/matrix_view.h"

#include "tune/tempo.h"
#include "tune/tune.h"

#include <algorithm>
#include <cmath>

namespace qte {
namespace {

// Truncation toward zero, saturating far outside any screen.
int truncToInt(double v)
{
    if (!(v > -1.0e9)) return v != v ? 0 : -1000000000;
    if (!(v < 1.0e9)) return 1000000000;
    return static_cast<int>(v);
}

} // namespace

int MatrixView::unitsToX(float units) const
{
    return truncToInt(static_cast<float>(unitWidth) * (units - static_cast<float>(scrollUnits)) +
                      static_cast<float>(keyStripWidth));
}

int MatrixView::msToX(std::int32_t ms, float msPerUnit) const
{
    return truncToInt((static_cast<float>(ms) / msPerUnit - static_cast<float>(scrollUnits)) *
                          static_cast<float>(unitWidth) +
                      static_cast<float>(keyStripWidth));
}

float MatrixView::xToUnits(int x) const
{
    return static_cast<float>(scrollUnits) +
           static_cast<float>(x - keyStripWidth) / static_cast<float>(unitWidth);
}

Rect MatrixView::cellRect(int unit, int pitch) const
{
    const int i = unit - scrollUnits;
    const int top = pitchToY(pitch);
    return {i * unitWidth + keyStripWidth, top, (i + 1) * unitWidth + keyStripWidth,
            top + rowHeight};
}

MatrixHit hitTest(const MatrixView& view, int x, int y)
{
    MatrixHit hit;
    hit.units = view.xToUnits(x);
    hit.unit = truncToInt(std::floor(hit.units));
    hit.pitch = view.yToPitch(y);
    hit.insideGrid = x >= view.gridLeft() && x <= view.gridRight();
    if (x < view.gridLeft() || x > view.clientWidth) return hit;
    if (y >= kGridTop && y <= view.gridBottom())
        hit.region = MatrixRegion::Grid;
    else if (y >= view.vibraTop() && y <= view.vibraBottom())
        hit.region = MatrixRegion::VibraStrip;
    else if (y >= view.textTop() && y <= view.textBottom())
        hit.region = MatrixRegion::TextStrip;
    else if (y >= kRepeatHitTop && y <= kRepeatHitBottom)
        hit.region = MatrixRegion::RepeatStrip;
    return hit;
}

void applyDrawKeys(MatrixView& view, bool drawKeys)
{
    view.keyStripWidth = drawKeys ? kKeyStripWidth : 0;
}

void applyStoredZoom(MatrixView& view, std::int32_t unitWidth, std::int32_t rowHeight)
{
    view.unitWidth = std::clamp(unitWidth, 1, kMaxUnitWidthZoom);
    view.rowHeight = std::clamp(rowHeight, 1, kMaxRowHeightZoom);
    view.unitWidthExact = static_cast<float>(view.unitWidth) - 0.5f;
    view.rowHeightExact = static_cast<float>(view.rowHeight) - 0.5f;
}

void LayoutMatrix(MatrixView& view, const Tune& tune, int clientWidth, int clientHeight)
{
    view.clientWidth = std::max(0, clientWidth);
    view.clientHeight = std::max(0, clientHeight);
    view.unitWidth = std::clamp(view.unitWidth, 1, kMaxUnitWidthZoom);
    view.rowHeight = std::clamp(view.rowHeight, 1, kMaxRowHeightZoom);
    const int w = view.unitWidth;
    const int h = view.rowHeight;

    view.visibleUnits = std::max(1, (view.clientWidth - view.keyStripWidth) / w + 1);
    view.visibleRows = std::clamp((view.clientHeight - 2 * h - 65) / h, 1, kMaxVisibleRows);

    const double lastEnd = static_cast<double>(tune.lastNoteEndMs()) / tune.msPerUnit;
    view.horizontalBar.minimum = 0;
    view.horizontalBar.maximum = truncToInt(lastEnd + 2.0 * view.visibleUnits);
    view.horizontalBar.page = view.visibleUnits;

    view.verticalBar.minimum = 1;
    view.verticalBar.maximum = kMaxVisibleRows;
    view.verticalBar.page = view.visibleRows;

    // The line-up scroll that follows takes one off the position, which this
    // start value allows for, so the bottom pitch stays.
    view.verticalPos = std::max(0, kMaxVisibleRows + 3 - view.visibleRows - view.lowestPitch);
    ScrollVertical(view, ScrollCode::LineUp, 0);
    // A horizontal position the new page no longer allows is pulled back.
    ScrollHorizontal(view, ScrollCode::EndScroll, 0);
}

bool ZoomX(MatrixView& view, const Tune& tune, ZoomDirection direction)
{
    if (direction == ZoomDirection::In) {
        if (view.unitWidth >= kMaxUnitWidthZoom) return false;
        view.unitWidthExact += kUnitWidthStep;
    } else {
        if (view.unitWidthExact <= kUnitWidthFloor) return false;
        view.unitWidthExact -= kUnitWidthStep;
    }
    view.unitWidth = std::clamp(truncToInt(view.unitWidthExact + 0.5f), 1, kMaxUnitWidthZoom);
    LayoutMatrix(view, tune, view.clientWidth, view.clientHeight);
    return true;
}

bool ZoomY(MatrixView& view, const Tune& tune, ZoomDirection direction)
{
    if (direction == ZoomDirection::In) {
        if (view.rowHeight >= kMaxRowHeightZoom) return false;
        view.rowHeightExact += kRowHeightStep;
    } else {
        if (view.rowHeightExact <= kRowHeightFloor) return false;
        view.rowHeightExact -= kRowHeightStep;
    }
    view.rowHeight = std::clamp(truncToInt(view.rowHeightExact + 0.5f), 1, kMaxRowHeightZoom);
    LayoutMatrix(view, tune, view.clientWidth, view.clientHeight);
    return true;
}

bool ZoomXAt(MatrixView& view, const Tune& tune, ZoomDirection direction, int x)
{
    x = std::max(x, view.gridLeft());
    const float anchor = view.xToUnits(x);
    if (!ZoomX(view, tune, direction)) return false;
    const float left =
        anchor - static_cast<float>(x - view.gridLeft()) / static_cast<float>(view.unitWidth);
    ScrollHorizontal(view, ScrollCode::ThumbTrack, truncToInt(std::lround(left)));
    return true;
}

bool ScrollHorizontal(MatrixView& view, ScrollCode code, std::int32_t trackPosition)
{
    ScrollSetting& bar = view.horizontalBar;
    long pos = bar.position;
    bool handled = true;
    switch (code) {
    case ScrollCode::LineUp: pos -= 1; break;
    case ScrollCode::LineDown: pos += 1; break;
    case ScrollCode::PageUp: pos -= bar.page; break;
    case ScrollCode::PageDown: pos += bar.page; break;
    case ScrollCode::ThumbTrack: pos = trackPosition; break;
    case ScrollCode::Top: pos = 0; break;
    default: handled = false; break;
    }
    pos = std::min<long>(pos, static_cast<long>(bar.maximum) - view.visibleUnits + 1);
    pos = std::max<long>(pos, bar.minimum);
    view.scrollUnits = static_cast<std::int32_t>(pos);
    bar.position = view.scrollUnits;
    return handled;
}

bool ScrollVertical(MatrixView& view, ScrollCode code, std::int32_t trackPosition)
{
    ScrollSetting& bar = view.verticalBar;
    long pos = view.verticalPos;
    bool handled = true;
    switch (code) {
    case ScrollCode::LineUp: pos -= 1; break;
    case ScrollCode::LineDown: pos += 1; break;
    case ScrollCode::PageUp: pos -= bar.page; break;
    case ScrollCode::PageDown: pos += bar.page; break;
    case ScrollCode::ThumbTrack: pos = trackPosition; break;
    default: handled = false; break;
    }
    pos = std::clamp<long>(pos, 1, kMaxVisibleRows);
    view.verticalPos = static_cast<std::int32_t>(pos);
    view.lowestPitch = kMaxVisibleRows + 2 - view.visibleRows - view.verticalPos;
    bar.position = view.verticalPos;
    return handled;
}

void UpdateHorizontalRange(MatrixView& view, const Tune& tune)
{
    const double room = 2.0 * view.visibleUnits;
    double last = room + tune.noteTable[std::clamp(tune.noteCount, 0, kMaxNotes)].endUnits;
    last =
        std::max(last, room + tune.vibraList[std::clamp(tune.vibraCount, 0, kMaxVibras)].endUnits);
    last = std::max(last, room + tune.textList[std::clamp(tune.textCount, 0, kMaxTexts)].timeUnits);
    last = std::max(last,
                    room + tune.repeatList[std::clamp(tune.repeatCount, 0, kMaxRepeats)].endUnits);
    view.horizontalBar.minimum = 0;
    view.horizontalBar.maximum = truncToInt(last);
}

float SnapDown(const Tune& tune, float units, std::int32_t styleMode)
{
    float c = std::trunc(units);
    const bool natural = drawingStyle(styleMode) == StyleMode::Natural;
    const float natural20 = 20.0f / tune.msPerUnit;
    const int last = std::clamp(tune.noteCount, 0, kMaxNotes);
    for (int i = 0; i <= last; ++i) {
        const float e = tune.noteTable[i].endUnits;
        if (units - e > 0.0f && units - e < units - c) c = e;
        if (natural) {
            const float e2 = e + natural20;
            if (units - e2 > 0.0f && units - e2 < units - c) c = e2;
        }
    }
    return c;
}

} // namespace qte
