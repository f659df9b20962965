#include "matrix/matrix_painter.h"

#include "config/note_names.h"
#include "matrix/matrix_edit.h"
#include "matrix/matrix_view.h"
#include "platform/image_surface.h"
#include "tune/tempo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qte {
namespace {

int truncInt(float v)
{
    if (!(v > -1.0e9f)) return v != v ? 0 : -1000000000;
    if (!(v < 1.0e9f)) return 1000000000;
    return static_cast<int>(v);
}

int mod12(int p)
{
    return ((p % 12) + 12) % 12;
}

bool isBlackKey(int pitch)
{
    switch (mod12(pitch)) {
    case 1:
    case 3:
    case 6:
    case 8:
    case 10: return true;
    default: return false;
    }
}

int blackKeyWidth(int keyStripWidth)
{
    return truncInt(static_cast<float>(keyStripWidth - 1) * 0.66f);
}

// The time under the mouse as the painter and the gestures read it.
float mouseColumns(const MatrixView& v, int mouseX)
{
    return static_cast<float>(mouseX - v.keyStripWidth) / static_cast<float>(v.unitWidth);
}

// A block from x(start) to x(end), clipped to the grid. The grid line at
// its start stays visible, and a block shorter than a pixel still shows one.
void fillBlock(const MatrixView& v, Surface& s, int xStart, int xEnd, int top, int bottom, Colour c)
{
    const int left = std::max(xStart, v.gridLeft());
    const int right = std::max(std::min(xEnd, v.gridRight()), left + 2);
    s.fillRect({left + 1, top, right, bottom}, c);
}

// Start of a note the time falls strictly inside, else the time itself.
float toNoteStart(const Tune& t, float time)
{
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[i];
        if (n.startUnits >= time) break;
        if (n.startUnits < time && time < n.endUnits) return n.startUnits;
    }
    return time;
}

// End of a note the time falls strictly inside, else the time itself.
float toNoteEnd(const Tune& t, float time)
{
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[i];
        if (n.startUnits >= time) break;
        if (n.startUnits < time && time < n.endUnits) return n.endUnits;
    }
    return time;
}

} // namespace

Colour MatrixColours::noteColour(std::int32_t kind, std::int32_t selectedFlag) const
{
    if (selectedFlag) return selected;
    switch (static_cast<NoteKind>(kind)) {
    case NoteKind::Special: return special;
    case NoteKind::FreqDefine: return freqDefine;
    default: return white;
    }
}

MatrixPainter::MatrixPainter() : m_blank(264, 412), m_backBitmap(0, 0) {}

void followMouse(MatrixContext& ctx)
{
    const MatrixView& v = ctx.view;
    MatrixEditState& e = ctx.edit;
    Tune& t = ctx.tune;
    const float S = v.firstUnit();
    const float mx = mouseColumns(v, e.mouseX);

    if (!ctx.play.playing) e.hoverPitch = v.yToPitch(e.mouseY);

    if (e.pressedText >= 1 && e.pressedText <= t.textCount) {
        float time = ctx.keys.ctrlDown
                         ? mx + S
                         // The grid snaps a text to a whole unit.
                         // NOLINTNEXTLINE(bugprone-integer-division)
                         : static_cast<float>((e.mouseX - v.keyStripWidth) / v.unitWidth) + S;
        time = toNoteStart(t, time);
        TextRecord& text = t.textList[e.pressedText];
        text.timeUnits = time;
        text.timeMs = unitsToMs(time, t.msPerUnit);
    }

    if (e.drawingItem) {
        NoteRecord& item = e.pendingItem;
        const float start = item.startUnits;
        const float fromStart = mx - (start - S);
        const float length = ctx.options.newNoteUnits;
        float end;
        if (drawingStyle(ctx.options.styleMode) != StyleMode::Continuous) {
            end = start + length;
        } else if (!ctx.keys.ctrlDown && fromStart > 0.0f && length > 0.0f) {
            end = start + (std::trunc(fromStart / length) + 1.0f) * length;
        } else {
            end = S + mx;
        }
        e.pendingDrawnEnd = end;
        item.endUnits = item.pitch >= 1 ? end : toNoteEnd(t, end);
    }

    if (t.selectionMode == 1) {
        const int r = (v.rowHeight / 2 + e.mouseY - kGridTop) / v.rowHeight;
        e.bandCurrentUnits = mx + S;
        e.bandCurrentPitch = v.topPitch() - r;
    }
}

NoteRecord draggedPlacement(const MatrixContext& ctx, int k)
{
    const MatrixView& v = ctx.view;
    const MatrixEditState& e = ctx.edit;
    const float S = v.firstUnit();
    const float mx = mouseColumns(v, e.mouseX);
    const int r = (e.mouseY - kGridTop) / v.rowHeight;
    const float a = S + e.dragOffsets[1].unitOffset + mx;
    const float delta = a - SnapDown(ctx.tune, a, ctx.options.styleMode);

    NoteRecord n = e.dragBuffer[k];
    if (ctx.keys.shiftDown) {
        n.endUnits = n.startUnits + n.durationUnits;
    } else {
        float start = S + e.dragOffsets[k].unitOffset + mx;
        if (!ctx.keys.ctrlDown) start -= delta;
        n.endUnits = start + n.durationUnits;
        n.startUnits = std::max(start, 0.0f);
    }
    n.pitch = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        e.dragOffsets[k].pitchOffset + v.topPitch() - r, INT32_MIN, INT32_MAX));
    return n;
}

void MatrixPainter::RepaintMatrix(MatrixContext& ctx, Surface& target)
{
    followMouse(ctx);
    if (ctx.options.drawKeys && ctx.view.keyStripWidth > 0) PaintKeys(ctx, target);
    paintRuler(ctx, target);
    paintGridLines(ctx, target);
    paintStripFrames(ctx, target);
    paintVibraGaps(ctx, target);
    paintTextGaps(ctx, target);
    paintCells(ctx, target);
    PaintItems(ctx, target);
    paintRepeatBars(ctx, target);
    paintRubberBand(ctx, target);
    paintPlayLine(ctx, target);
    UpdateHorizontalRange(ctx.view, ctx.tune);
}

void MatrixPainter::paintRuler(const MatrixContext& ctx, Surface& s) const
{
    const MatrixView& v = ctx.view;
    const int L = v.keyStripWidth, W = v.unitWidth;
    s.fillRect({L - 10, kRulerTop, v.gridRight(), kRulerBottom}, m_colours.background);
    char label[16];
    for (int i = 0; i < v.visibleUnits; ++i) {
        const int c = v.scrollUnits + i;
        const int x = i * W + L;
        if (c % 4 == 0) {
            const int n = std::snprintf(label, sizeof label, "%d", c / 4);
            const std::string_view text(label, static_cast<std::size_t>(std::max(n, 0)));
            s.text(text.size() == 1 ? x - 3 : x - 8, 23, text, m_colours.white,
                   m_colours.background, true);
        } else {
            const int top = c % 2 == 0 ? 30 : 35;
            s.fillRect({x, top, x + 2, 37}, m_colours.white);
        }
    }
}

void MatrixPainter::paintGridLines(const MatrixContext& ctx, Surface& s) const
{
    const MatrixView& v = ctx.view;
    const int L = v.keyStripWidth, W = v.unitWidth, h = v.rowHeight;
    for (int j = 0; j <= v.visibleRows; ++j)
        s.line(L, j * h + kGridTop, v.gridRight(), j * h + kGridTop, m_colours.gridPen);
    for (int i = 0; i <= v.visibleUnits; ++i) {
        const int c = v.scrollUnits + i;
        Colour brush;
        if (c % 8 == 0)
            brush = m_colours.gridEvery8;
        else if (c % 4 == 0)
            brush = m_colours.gridEvery4;
        else if (c % 2 == 0)
            brush = m_colours.gridEvery2;
        else if (c % 2 == 1)
            brush = m_colours.gridOdd;
        else
            continue; // negative odd units
        s.fillRect({i * W + L, kGridTop, i * W + L + 1, v.gridBottom()}, brush);
    }
}

void MatrixPainter::paintStripFrames(const MatrixContext& ctx, Surface& s) const
{
    const MatrixView& v = ctx.view;
    const int L = v.keyStripWidth, h = v.rowHeight, R = v.visibleRows;
    for (int k = 0; k < 2; ++k) {
        const int off = k * (h + 10);
        s.line(L, R * h + 50 + off, v.gridRight(), R * h + 50 + off, m_colours.gridPen);
        s.line(L, (R + 1) * h + 50 + off, v.gridRight(), (R + 1) * h + 50 + off, m_colours.gridPen);
        const bool empty = k == 0 ? ctx.tune.vibraCount == 0 : ctx.tune.textCount == 0;
        if (empty)
            s.fillRect({L, R * h + 51 + off, v.gridRight(), (R + 1) * h + 50 + off},
                       m_colours.background);
    }
}

void MatrixPainter::paintVibraGaps(const MatrixContext& ctx, Surface& s) const
{
    const Tune& t = ctx.tune;
    const MatrixView& v = ctx.view;
    if (t.vibraCount < 1) return;
    const int top = v.vibraTop() + 1, bottom = v.vibraBottom();
    const float S = v.firstUnit(), E = v.endUnit();
    const Colour black = m_colours.background;
    int i = 1;
    while (i <= t.vibraCount && !(t.vibraList[i].endUnits > S))
        ++i;
    if (i > t.vibraCount || t.vibraList[i].startUnits >= E) {
        s.fillRect({v.gridLeft(), top, v.gridRight(), bottom}, black);
        return;
    }
    if (t.vibraList[i].startUnits > S)
        s.fillRect({v.gridLeft(), top, v.unitsToX(t.vibraList[i].startUnits), bottom}, black);
    while (i + 1 <= t.vibraCount && t.vibraList[i + 1].startUnits < E) {
        s.fillRect({v.unitsToX(t.vibraList[i].endUnits), top,
                    v.unitsToX(t.vibraList[i + 1].startUnits), bottom},
                   black);
        ++i;
    }
    if (E > t.vibraList[i].endUnits)
        s.fillRect({v.unitsToX(t.vibraList[i].endUnits), top, v.gridRight(), bottom}, black);
}

void MatrixPainter::paintTextGaps(const MatrixContext& ctx, Surface& s) const
{
    const Tune& t = ctx.tune;
    const MatrixView& v = ctx.view;
    if (t.textCount < 1) return;
    const int top = v.textTop() + 1, bottom = v.textBottom();
    const float S = v.firstUnit(), E = v.endUnit();
    const float marker = 20.0f / static_cast<float>(v.unitWidth);
    const Colour black = m_colours.background;
    int i = 1;
    while (i <= t.textCount && !(t.textList[i].timeUnits + marker > S))
        ++i;
    if (i > t.textCount || t.textList[i].timeUnits >= E) {
        s.fillRect({v.gridLeft(), top, v.gridRight(), bottom}, black);
        return;
    }
    if (t.textList[i].timeUnits > S)
        s.fillRect({v.gridLeft(), top, v.unitsToX(t.textList[i].timeUnits), bottom}, black);
    while (i + 1 <= t.textCount && t.textList[i + 1].timeUnits < E) {
        s.fillRect({v.unitsToX(t.textList[i].timeUnits) + 20, top,
                    v.unitsToX(t.textList[i + 1].timeUnits), bottom},
                   black);
        ++i;
    }
    if (E > t.textList[i].timeUnits + marker)
        s.fillRect({v.unitsToX(t.textList[i].timeUnits) + 20, top, v.gridRight(), bottom}, black);
}

void MatrixPainter::paintCells(const MatrixContext& ctx, Surface& s) const
{
    const Tune& t = ctx.tune;
    const MatrixView& v = ctx.view;
    const int L = v.keyStripWidth, W = v.unitWidth, h = v.rowHeight;
    const float mpu = t.msPerUnit;
    const auto rowColour = [&](int r) {
        return ctx.options.unnamedRow(v.topPitch() - r) ? m_colours.unnamedRow
                                                        : m_colours.background;
    };
    if (t.noteCount < 1) {
        for (int r = 0; r < v.visibleRows; ++r)
            for (int i = 0; i < v.visibleUnits; ++i)
                s.fillRect({i * W + L + 1, r * h + 41, (i + 1) * W + L, (r + 1) * h + 40},
                           rowColour(r));
        return;
    }
    // Every row's cursor would first run past the notes ending before the
    // view; find that point once.
    const float viewStartMs = v.firstUnit() * mpu;
    int first = 1;
    {
        int lo = 1, hi = t.noteCount + 1;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (static_cast<float>(t.noteTable[mid].endMs) >= viewStartMs)
                hi = mid;
            else
                lo = mid + 1;
        }
        first = lo;
    }
    for (int r = 0; r < v.visibleRows; ++r) {
        const int p = v.topPitch() - r;
        const int top = r * h + 41, bottom = (r + 1) * h + 40;
        const Colour black = rowColour(r);
        int cursor = first;
        for (int i = 0; i < v.visibleUnits; ++i) {
            const int c = v.scrollUnits + i;
            const float cellStart = static_cast<float>(c) * mpu;
            const float cellEnd = static_cast<float>(c + 1) * mpu;
            while (cursor <= t.noteCount &&
                   static_cast<float>(t.noteTable[cursor].endMs) < cellStart)
                ++cursor;
            const int left = i * W + L + 1, right = (i + 1) * W + L;
            if (cursor <= t.noteCount && t.noteTable[cursor].pitch == p) {
                const NoteRecord& n = t.noteTable[cursor];
                const float s0 = static_cast<float>(n.startMs);
                const float e0 = static_cast<float>(n.endMs);
                if (s0 <= cellStart && e0 >= cellEnd) continue; // covered by the note
                if (s0 < cellStart && cellStart < e0 && e0 < cellEnd) {
                    const int cut =
                        truncInt((e0 / mpu - static_cast<float>(c)) * static_cast<float>(W) - 1.0f);
                    s.fillRect({i * W + L + cut + 1, top, right, bottom}, black);
                    continue;
                }
            }
            s.fillRect({left, top, right, bottom}, black);
        }
    }
}

void MatrixPainter::PaintItems(const MatrixContext& ctx, Surface& s) const
{
    paintNotes(ctx, s);
    paintVibras(ctx, s);
    paintTexts(ctx, s);
    paintRepeatStrip(ctx, s);
    paintDragged(ctx, s);
    paintPending(ctx, s);
}

void MatrixPainter::paintNotes(const MatrixContext& ctx, Surface& s) const
{
    const Tune& t = ctx.tune;
    const MatrixView& v = ctx.view;
    const float mpu = t.msPerUnit;
    const float startMs = v.firstUnit() * mpu, endMs = v.endUnit() * mpu;
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[i];
        if (static_cast<float>(n.startMs) > endMs) break;
        if (static_cast<float>(n.endMs) > startMs && static_cast<float>(n.startMs) < endMs &&
            v.pitchVisible(n.pitch))
            fillBlock(v, s, v.unitsToX(n.startUnits), v.unitsToX(n.endUnits),
                      v.pitchToY(n.pitch) + 1, v.pitchToY(n.pitch) + v.rowHeight,
                      m_colours.noteColour(n.kind, n.selected));
    }
}

void MatrixPainter::paintVibras(const MatrixContext& ctx, Surface& s) const
{
    const Tune& t = ctx.tune;
    const MatrixView& v = ctx.view;
    const float S = v.firstUnit(), E = v.endUnit();
    for (int i = 1; i <= t.vibraCount; ++i) {
        const VibraRecord& b = t.vibraList[i];
        if (b.startUnits > E) break;
        if (b.endUnits > S && b.startUnits < E)
            fillBlock(v, s, v.unitsToX(b.startUnits), v.unitsToX(b.endUnits), v.vibraTop() + 1,
                      v.vibraBottom(), m_colours.white);
    }
}

void MatrixPainter::paintTexts(const MatrixContext& ctx, Surface& s) const
{
    const Tune& t = ctx.tune;
    const MatrixView& v = ctx.view;
    const float S = v.firstUnit(), E = v.endUnit();
    for (int i = 1; i <= t.textCount; ++i) {
        const TextRecord& x = t.textList[i];
        if (x.timeUnits > E) break;
        if (x.timeUnits >= S)
            fillBlock(v, s, v.unitsToX(x.timeUnits), v.unitsToX(x.timeUnits + 0.5f),
                      v.textTop() + 1, v.textBottom(), m_colours.text);
    }
}

void MatrixPainter::paintRepeatStrip(const MatrixContext& ctx, Surface& s) const
{
    const Tune& t = ctx.tune;
    const MatrixView& v = ctx.view;
    s.fillRect({v.gridLeft(), kRepeatStripTop, v.clientWidth, kRepeatStripBottom},
               m_colours.background);
    const float S = v.firstUnit(), E = v.endUnit();
    for (int i = 1; i <= t.repeatCount; ++i) {
        const RepeatRecord& b = t.repeatList[i];
        if (b.startUnits > E) break;
        if (b.endUnits > S && b.startUnits < E)
            fillBlock(v, s, v.unitsToX(b.startUnits), v.unitsToX(b.endUnits), 16, 23,
                      m_colours.repeat);
    }
}

void MatrixPainter::paintDragged(const MatrixContext& ctx, Surface& s) const
{
    const MatrixView& v = ctx.view;
    const float S = v.firstUnit(), E = v.endUnit();
    for (int k = 1; k <= ctx.edit.dragCount; ++k) {
        const NoteRecord n = draggedPlacement(ctx, k);
        if (n.startUnits > E) break;
        if (n.endUnits > S && n.startUnits < E && v.pitchVisible(n.pitch))
            fillBlock(v, s, v.unitsToX(n.startUnits), v.unitsToX(n.endUnits),
                      v.pitchToY(n.pitch) + 1, v.pitchToY(n.pitch) + v.rowHeight,
                      m_colours.noteColour(n.kind, n.selected));
    }
}

void MatrixPainter::paintPending(const MatrixContext& ctx, Surface& s) const
{
    const MatrixEditState& e = ctx.edit;
    if (!e.drawingItem) return;
    const MatrixView& v = ctx.view;
    const NoteRecord& item = e.pendingItem;
    int top, bottom;
    if (item.pitch >= 1) {
        if (!v.pitchVisible(item.pitch)) return;
        top = v.pitchToY(item.pitch) + 1;
        bottom = v.pitchToY(item.pitch) + v.rowHeight - 1;
    } else if (item.pitch == kPendingVibra) {
        top = v.vibraTop();
        bottom = v.vibraBottom();
    } else {
        top = kRepeatStripTop;
        bottom = 23;
    }
    // Its right edge is where the placed item's will be; with no length
    // yet it still shows one pixel wide.
    fillBlock(v, s, v.unitsToX(item.startUnits), v.unitsToX(e.pendingDrawnEnd), top, bottom,
              m_colours.noteColour(item.kind, item.selected));
}

void MatrixPainter::paintRepeatBars(const MatrixContext& ctx, Surface& s) const
{
    const Tune& t = ctx.tune;
    const MatrixView& v = ctx.view;
    const float mpu = t.msPerUnit;
    const float lo = v.firstUnit() * mpu, hi = v.endUnit() * mpu;
    const int L = v.keyStripWidth;
    for (int i = 1; i <= t.repeatCount; ++i) {
        const RepeatRecord& b = t.repeatList[i];
        const float startMs = static_cast<float>(b.startMs), endMs = static_cast<float>(b.endMs);
        if (startMs > hi) break;
        if (lo <= startMs && startMs < hi) {
            const int x = std::max(v.msToX(b.startMs, mpu), L - 3);
            s.fillRect({x, kGridTop, x + 3, v.gridBottom()}, m_colours.repeat);
        }
        if (lo < endMs && endMs < hi) {
            const int x = std::max(v.msToX(b.endMs, mpu), L + 3);
            s.fillRect({x - 3, kGridTop, x, v.gridBottom()}, m_colours.repeat);
        }
    }
}

void MatrixPainter::paintPlayLine(const MatrixContext& ctx, Surface& s) const
{
    const float mpu = ctx.tune.msPerUnit;
    if (!ctx.play.playing || ctx.play.playPosMs < 0 || !(mpu > 0.0f)) return;
    const MatrixView& v = ctx.view;
    const int x = v.msToX(ctx.play.playPosMs, mpu);
    if (x < v.gridLeft() || x >= v.gridRight()) return;
    s.fillRect({x, kGridTop, x + 1, v.gridBottom()}, m_colours.playLine);
}

void MatrixPainter::paintRubberBand(const MatrixContext& ctx, Surface& s) const
{
    if (ctx.tune.selectionMode != 1) return;
    const MatrixView& v = ctx.view;
    const MatrixEditState& e = ctx.edit;
    const float lo = std::min(e.bandAnchorUnits, e.bandCurrentUnits);
    const float hi = std::max(e.bandAnchorUnits, e.bandCurrentUnits);
    const int pmax = std::max(e.bandAnchorPitch, e.bandCurrentPitch);
    const int pmin = std::min(e.bandAnchorPitch, e.bandCurrentPitch);
    const int left = std::max(v.unitsToX(lo), v.gridLeft());
    int top = v.pitchToY(pmax);
    if (top < kGridTop + 1) top = kGridTop;
    const int right = std::min(v.unitsToX(hi), v.gridRight());
    const int bottom = std::min(v.pitchToY(pmin), v.gridBottom()) + 1;
    s.frameRect({left, top, right, bottom}, m_colours.white);
}

void MatrixPainter::PaintKeys(MatrixContext& ctx, Surface& target)
{
    const MatrixView& v = ctx.view;
    const MatrixEditState& e = ctx.edit;
    const int L = v.keyStripWidth, h = v.rowHeight, R = v.visibleRows;
    if (L <= 0) return;
    if (!ctx.play.playing) ctx.edit.hoverPitch = v.yToPitch(e.mouseY);
    paintKeyStrip(ctx);
    target.blit(0, kGridTop, L - 1, h * R, m_backBitmap, 0, 0);

    paintKeyNames(ctx, target);

    const Surface& pics = pictures();
    const bool vibraLit = e.mouseY > v.vibraTop() && e.mouseY < v.vibraBottom();
    const bool textLit = e.mouseY > v.textTop() && e.mouseY < v.textBottom();
    target.stretchBlit({0, v.vibraTop(), L - 2, v.vibraTop() + h}, pics,
                       vibraLit ? kVibraLabel.lit : kVibraLabel.normal);
    target.stretchBlit({0, v.textTop(), L - 2, v.textTop() + h}, pics,
                       textLit ? kTextLabel.lit : kTextLabel.normal);
}

void MatrixPainter::paintKeyStrip(const MatrixContext& ctx)
{
    const MatrixView& v = ctx.view;
    const MatrixEditState& e = ctx.edit;
    const int L = v.keyStripWidth, h = v.rowHeight, R = v.visibleRows;
    if (m_backBitmap.width() != L || m_backBitmap.height() != h * R) m_backBitmap.resize(L, h * R);

    const int lit = ctx.play.playing ? ctx.play.soundingPitch : e.hoverPitch;
    auto isLit = [&](int p) {
        if (e.drawingItem) return e.pendingItem.pitch >= 1 && e.pendingItem.pitch == p;
        return p == lit;
    };
    const Surface& pics = pictures();
    const float fh = static_cast<float>(h);
    auto tr = [](float f) { return truncInt(f); };

    for (int p = v.lowestPitch; p <= v.lowestPitch + R; ++p) {
        const int base = h * R - (p - v.lowestPitch) * h + 1;
        const float b = static_cast<float>(base);
        const ButtonPicture* pic = nullptr;
        int y = 0, height = 0;
        switch (mod12(p)) {
        case 0: pic = &kWhiteKeyCF, y = tr(b - 1.67f * fh), height = 1 + tr(1.67f * fh); break;
        case 2: pic = &kWhiteKeyDGA, y = tr(b - 1.33f * fh), height = 1 + tr(1.67f * fh); break;
        case 4: pic = &kWhiteKeyEB, y = tr(b - fh), height = 1 + tr(1.67f * fh); break;
        case 5: pic = &kWhiteKeyCF, y = tr(b - 1.75f * fh), height = 1 + tr(1.75f * fh); break;
        case 7: pic = &kWhiteKeyDGA, y = tr(b - 1.5f * fh), height = 1 + tr(1.75f * fh); break;
        case 9: pic = &kWhiteKeyDGA, y = tr(b - 1.25f * fh), height = 1 + tr(1.75f * fh); break;
        case 11: pic = &kWhiteKeyEB, y = tr(b - fh), height = 1 + tr(1.75f * fh); break;
        default: break;
        }
        if (pic)
            m_backBitmap.stretchBlit({0, y, L - 1, y + height}, pics,
                                     isLit(p) ? pic->lit : pic->normal);
    }
    const int blackWidth = blackKeyWidth(L);
    for (int p = v.lowestPitch; p <= v.lowestPitch + R; ++p) {
        const int base = h * R - (p - v.lowestPitch) * h + 1;
        const float b = static_cast<float>(base);
        int y = 0, height = 0;
        switch (mod12(p)) {
        case 1: y = tr(b - 1.33f * fh), height = tr(1.33f * fh); break;
        case 3: y = tr(b - 1.16f * fh), height = tr(1.33f * fh); break;
        case 6: y = tr(b - 1.5f * fh), height = tr(1.4f * fh); break;
        case 8: y = tr(b - 1.16f * fh), height = tr(1.33f * fh); break;
        case 10: y = tr(b - 1.16f * fh), height = tr(1.4f * fh); break;
        default: continue;
        }
        m_backBitmap.stretchBlit({0, y, blackWidth, y + height}, pics,
                                 isLit(p) ? kBlackKey.lit : kBlackKey.normal);
    }
}

bool keyShowsName(int pitch, int rowHeight)
{
    return mod12(pitch) == 0 || rowHeight >= kFontCellHeight;
}

std::string keyLabel(const NoteNameTable& names, int pitch)
{
    std::string name = noteName(names, pitch);
    return name.empty() ? std::to_string(pitch) : name;
}

KeyLabelPlace keyLabelAt(const MatrixView& v, int pitch, std::size_t length)
{
    const int width = static_cast<int>(length) * kFontCellWidth;
    const int right = isBlackKey(pitch) ? blackKeyWidth(v.keyStripWidth) - 2 : v.keyStripWidth - 3;
    // A name taller than its row sits on the row's bottom and reaches up
    // into the white key's wider part; one that fits is centred.
    const int rowTop = v.pitchToY(pitch);
    int y = v.rowHeight >= kFontCellHeight ? rowTop + (v.rowHeight - kFontCellHeight) / 2
                                           : rowTop + v.rowHeight - kFontCellHeight;
    y = std::min(std::max(y, kGridTop), v.gridBottom() - kFontCellHeight);
    return {right - width, y};
}

void MatrixPainter::paintKeyNames(const MatrixContext& ctx, Surface& target) const
{
    const MatrixView& v = ctx.view;
    if (!ctx.options.noteNames || v.gridBottom() - kGridTop < kFontCellHeight) return;
    for (int p = v.lowestPitch; p < v.lowestPitch + v.visibleRows; ++p) {
        if (!keyShowsName(p, v.rowHeight)) continue;
        const std::string label = keyLabel(*ctx.options.noteNames, p);
        const KeyLabelPlace at = keyLabelAt(v, p, label.size());
        if (at.x < 0) continue;
        const Colour ink = isBlackKey(p) ? m_colours.keyNameOnBlack : m_colours.keyNameOnWhite;
        target.text(at.x, at.y, label, ink, m_colours.background, false);
    }
}

} // namespace qte
