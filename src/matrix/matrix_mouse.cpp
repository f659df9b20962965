#include "matrix/matrix_mouse.h"

#include "io/messages.h"
#include "matrix/matrix_edit.h"
#include "matrix/matrix_painter.h"
#include "matrix/matrix_view.h"
#include "platform/tick.h"
#include "tune/tune.h"

#include <algorithm>
#include <cmath>

namespace qte {
namespace {

constexpr int kLowestNotePitch = 1;
constexpr int kHighestNotePitch = 108;

void call(const std::function<void()>& f)
{
    if (f) f();
}

void sound(const MatrixServices& svc, const NoteRecord& note)
{
    if (svc.sound) svc.sound(note);
}

void say(MatrixServices& svc, std::string_view text)
{
    if (svc.messages) svc.messages->showError(text);
}

std::uint32_t now(const MatrixServices& svc)
{
    return svc.clock ? svc.clock->nowMs() : 0;
}

// Mouse values shared by the handlers.
struct Mouse {
    MatrixHit hit;
    float time = 0.0f; // units under the mouse
    float timeMs = 0.0f;
    int pitch = 0;
};

Mouse readMouse(const MatrixContext& ctx)
{
    Mouse m;
    m.hit = hitTest(ctx.view, ctx.edit.mouseX, ctx.edit.mouseY);
    m.time = m.hit.units;
    m.timeMs = m.time * ctx.tune.msPerUnit;
    m.pitch = m.hit.pitch;
    return m;
}

float toNoteStart(const Tune& t, float time)
{
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[i];
        if (n.startUnits >= time) break;
        if (time < n.endUnits) return n.startUnits;
    }
    return time;
}

// A strip's start time: free with Ctrl, else the whole unit, and never
// inside a note.
float stripStart(const MatrixContext& ctx, float time)
{
    return toNoteStart(ctx.tune, ctx.keys.ctrlDown ? time : std::trunc(time));
}

void startRubberBand(MatrixContext& ctx, const Mouse& m)
{
    ctx.tune.selectionMode = 1;
    ctx.edit.bandAnchorUnits = m.time;
    ctx.edit.bandAnchorPitch = m.pitch;
    ctx.edit.bandCurrentUnits = m.time;
    ctx.edit.bandCurrentPitch = m.pitch;
}

void startResize(MatrixContext& ctx, MatrixServices& svc, int index)
{
    MatrixEditState& e = ctx.edit;
    e.pendingItem = ctx.tune.noteTable[index];
    e.pendingDrawnEnd = e.pendingItem.endUnits;
    e.resizeOriginal = e.pendingItem;
    e.resizing = true;
    DeleteNoteAt(ctx.tune, index);
    e.drawingItem = true;
    e.stepName = kStepResizeNote;
    call(svc.repaint);
}

bool anySelected(const Tune& t)
{
    for (int i = 1; i <= t.noteCount; ++i)
        if (t.noteTable[i].selected) return true;
    return false;
}

enum class NoteHit { None, EndZone, Body };

// The first note on the mouse row that has started by the mouse time and
// not ended; end zone by the given tolerance in ms.
NoteHit findNote(const Tune& t, const Mouse& m, bool selectionPresent, int unitWidth, int& index)
{
    const float mpu = t.msPerUnit;
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[i];
        if (n.pitch != m.pitch || static_cast<float>(n.startMs) > m.timeMs) continue;
        // Whole pixels per unit, as the zones were always measured.
        // NOLINTNEXTLINE(bugprone-integer-division)
        const float zone = selectionPresent ? static_cast<float>(25 / unitWidth) * mpu
                                            : (5.0f / static_cast<float>(unitWidth)) * mpu;
        // NOLINTNEXTLINE(bugprone-integer-division)
        const float tol = std::min(zone, static_cast<float>(n.durationMs / 4));
        const float end = static_cast<float>(n.endMs);
        if (end - tol <= m.timeMs && m.timeMs < end) {
            index = i;
            return NoteHit::EndZone;
        }
        if (end <= m.timeMs) continue;
        index = i;
        return NoteHit::Body;
    }
    return NoteHit::None;
}

void pressGrid(MatrixContext& ctx, MatrixServices& svc, const Mouse& m, bool again)
{
    Tune& t = ctx.tune;
    MatrixEditState& e = ctx.edit;
    if (t.selectionMode == 1) return;
    int i = 0;
    const bool selection = t.selectionMode == 2;
    const NoteHit hit = findNote(t, m, selection, ctx.view.unitWidth, i);
    if (hit == NoteHit::EndZone) {
        startResize(ctx, svc, i);
        return;
    }
    if (hit == NoteHit::None) {
        startRubberBand(ctx, m);
        return;
    }
    NoteRecord& n = t.noteTable[i];
    if (!selection) {
        e.dragBuffer[1] = n;
        e.dragOffsets[1] = {n.startUnits - m.time, 0};
        e.dragCount = 1;
        e.dragIsPaste = false;
        n.selected = 1;
        DeleteSelectedNotes(t);
        call(svc.repaint);
        return;
    }
    if (n.selected) {
        if (ctx.keys.ctrlDown) {
            n.selected = 0;
            if (!anySelected(t)) t.selectionMode = 0;
        } else {
            e.dragCount = 0;
            e.dragIsPaste = false;
            for (int k = 1; k <= t.noteCount; ++k) {
                const NoteRecord& s = t.noteTable[k];
                if (!s.selected) continue;
                ++e.dragCount;
                e.dragBuffer[e.dragCount] = s;
                e.dragOffsets[e.dragCount] = {s.startUnits - m.time,
                                              std::int64_t{s.pitch} - m.pitch};
            }
            DeleteSelectedNotes(t);
            call(svc.repaint);
        }
    } else if (ctx.keys.ctrlDown) {
        n.selected = 1;
    } else if (!again) {
        ClearSelection(t);
        pressGrid(ctx, svc, m, true);
        return;
    }
    call(svc.repaint);
}

// Inserts the item being drawn, by what its pitch says it is. A resized
// note whose new shape cannot be inserted gets its old shape back.
void finishPending(MatrixContext& ctx, MatrixServices& svc)
{
    Tune& t = ctx.tune;
    MatrixEditState& e = ctx.edit;
    const NoteRecord& item = e.pendingItem;
    int inserted = 0;
    if (item.endUnits > item.startUnits) {
        if (item.pitch >= kLowestNotePitch) {
            inserted = InsertNote(t, item, ctx.options.customNoteCount);
            if (!inserted && t.noteCount >= kMaxNotes) say(svc, kNoteListFull);
            if (inserted) e.stepName = e.resizing ? kStepResizeNote : kStepDrawNote;
        } else if (item.pitch == kPendingVibra) {
            inserted = InsertVibra(t, item);
            if (!inserted && t.vibraCount >= kMaxVibras) say(svc, kVibraListFull);
            if (inserted) e.stepName = kStepDrawVibra;
        } else if (item.pitch == kPendingRepeat) {
            inserted = InsertRepeat(t, item.startUnits, item.endUnits);
            if (!inserted && t.repeatCount >= kMaxRepeats) say(svc, kRepeatListFull);
            if (inserted) e.stepName = kStepDrawRepeat;
        }
    }
    if (!inserted && e.resizing) (void)InsertNote(t, e.resizeOriginal, ctx.options.customNoteCount);
    e.resizing = false;
    e.drawingItem = false;
}

void dropNotes(MatrixContext& ctx, MatrixServices& svc)
{
    Tune& t = ctx.tune;
    MatrixEditState& e = ctx.edit;
    if (t.noteCount + e.dragCount > kMaxNotes) {
        // They stay at the mouse, so the user can make room and click again.
        say(svc, kPasteTooLarge);
        return;
    }
    e.stepName = e.dragIsPaste ? std::string(kStepPasteNotes) : moveStep(e.dragCount);
    // A moved note that lands on another pitch is heard there, once.
    NoteRecord moved;
    for (int k = 1; k <= e.dragCount; ++k) {
        NoteRecord n = draggedPlacement(ctx, k);
        if (ctx.keys.shiftDown) {
            n.startUnits = e.dragBuffer[k].startUnits;
            n.endUnits = e.dragBuffer[k].endUnits;
        }
        if (n.noteKind() == NoteKind::Normal)
            n.pitch = std::clamp(n.pitch, kLowestNotePitch, kHighestNotePitch);
        if (!(n.endUnits > 0.0f)) continue;
        const int i = InsertNote(t, n, ctx.options.customNoteCount);
        if (i && t.noteTable[i].selected) t.selectionMode = 2;
        if (i && !e.dragIsPaste && moved.pitch == 0 && n.pitch != e.dragBuffer[k].pitch)
            moved = t.noteTable[i];
    }
    e.dragCount = 0;
    e.dragIsPaste = false;
    if (moved.pitch != 0) sound(svc, moved);
}

void releaseRubberBand(MatrixContext& ctx, const Mouse& m)
{
    Tune& t = ctx.tune;
    MatrixEditState& e = ctx.edit;
    const float lo = std::min(e.bandAnchorUnits, m.time);
    const float hi = std::max(e.bandAnchorUnits, m.time);
    const int pmin = std::min(e.bandAnchorPitch, m.pitch);
    const int pmax = std::max(e.bandAnchorPitch, m.pitch);
    e.bandAnchorUnits = lo;
    e.bandCurrentUnits = hi;
    e.bandAnchorPitch = pmin;
    e.bandCurrentPitch = pmax;
    const bool ctrl = ctx.keys.ctrlDown;
    if (pmin == pmax) {
        if (!ctrl) ClearSelection(t);
    } else {
        const float LO = t.msPerUnit * lo, HI = t.msPerUnit * hi;
        for (int i = 1; i <= t.noteCount; ++i) {
            NoteRecord& n = t.noteTable[i];
            const float s = static_cast<float>(n.startMs), en = static_cast<float>(n.endMs);
            const bool inside =
                n.pitch > pmin && n.pitch <= pmax &&
                ((LO <= s && s <= HI) || (LO <= en && en <= HI) || (s <= LO && en >= HI));
            if (inside)
                n.selected = ctrl ? !n.selected : 1;
            else if (!ctrl)
                n.selected = 0;
        }
    }
    if (anySelected(t))
        t.selectionMode = 2;
    else if (ctrl)
        t.selectionMode = 0;
    else
        ClearSelection(t);
}

// Re-sorts a text whose time was moved; returns its new index.
int resortText(Tune& t, int index)
{
    if (index < 1 || index > t.textCount) return 0;
    t.textList[0] = t.textList[index];
    const TextRecord moved = t.textList[0];
    std::move(t.textList.begin() + index + 1, t.textList.begin() + t.textCount + 1,
              t.textList.begin() + index);
    int j = 1;
    while (j < t.textCount && t.textList[j].timeMs < moved.timeMs)
        ++j;
    std::move_backward(t.textList.begin() + j, t.textList.begin() + t.textCount,
                       t.textList.begin() + t.textCount + 1);
    t.textList[j] = moved;
    return j;
}

template <class List> int findSpan(const List& list, int count, float time)
{
    for (int i = 1; i <= count; ++i)
        if (list[i].startUnits <= time && time < list[i].endUnits) return i;
    return 0;
}

int findText(const Tune& t, float time)
{
    for (int i = 1; i <= t.textCount; ++i)
        if (t.textList[i].timeUnits <= time && time < t.textList[i].timeUnits + 0.5f) return i;
    return 0;
}

// A press on the key strip beside the grid rows sounds the key's pitch.
void pressKey(const MatrixContext& ctx, const MatrixServices& svc, const Mouse& m)
{
    const MatrixView& v = ctx.view;
    const int x = ctx.edit.mouseX, y = ctx.edit.mouseY;
    if (x < 0 || x >= v.gridLeft() || y < kGridTop || y >= v.gridBottom()) return;
    if (m.pitch < kLowestNotePitch || m.pitch > kHighestNotePitch) return;
    NoteRecord key;
    key.pitch = m.pitch;
    key.kind = static_cast<std::int32_t>(NoteKind::Normal);
    sound(svc, key);
}

} // namespace

void LeftPress(MatrixContext& ctx, MatrixServices& svc)
{
    MatrixEditState& e = ctx.edit;
    e.pressTick = now(svc);
    const Mouse m = readMouse(ctx);
    pressKey(ctx, svc, m);
    if (e.dragCount == 0 && !e.drawingItem && m.hit.region == MatrixRegion::Grid &&
        m.hit.insideGrid)
        pressGrid(ctx, svc, m, false);
    if (m.hit.region == MatrixRegion::TextStrip) e.pressedText = findText(ctx.tune, m.time);
}

void LeftRelease(MatrixContext& ctx, MatrixServices& svc)
{
    Tune& t = ctx.tune;
    MatrixEditState& e = ctx.edit;
    const Mouse m = readMouse(ctx);
    const bool longPress = now(svc) - e.pressTick >= kLongPressMs;

    const int pressed = e.pressedText;
    e.pressedText = 0;
    if (pressed >= 1 && pressed <= t.textCount) {
        // A moved text goes back into time order, however short the press.
        const int index = resortText(t, pressed);
        e.stepName = kStepMoveText;
        if (!longPress && svc.dialogs) {
            svc.dialogs->editText(t, index);
            e.stepName = kStepEditTextStrip;
            if (t.textList[index].text.empty()) DeleteTextAt(t, index);
            call(svc.repaint);
        }
        call(svc.textsChanged);
    }
    if (!longPress && m.hit.region == MatrixRegion::RepeatStrip) {
        const int block = findSpan(t.repeatList, t.repeatCount, m.time);
        if (block && svc.dialogs) {
            svc.dialogs->editRepetitions(t, block);
            e.stepName = kStepRepetitions;
        }
    }

    if (e.drawingItem) {
        finishPending(ctx, svc);
        call(svc.repaint);
        return;
    }
    if (e.dragCount > 0) {
        dropNotes(ctx, svc);
        call(svc.repaint);
        return;
    }
    if (t.selectionMode == 1) releaseRubberBand(ctx, m);
    call(svc.repaint);
}

void RightPress(MatrixContext& ctx, MatrixServices& svc)
{
    Tune& t = ctx.tune;
    MatrixEditState& e = ctx.edit;
    if (t.selectionMode > 0) {
        ClearSelection(t);
        call(svc.repaint);
        return;
    }
    ClearSelection(t);
    const Mouse m = readMouse(ctx);
    switch (m.hit.region) {
    case MatrixRegion::Grid: {
        int hit = 0;
        for (int i = 1; i <= t.noteCount && !hit; ++i) {
            const NoteRecord& n = t.noteTable[i];
            if (n.pitch == m.pitch && static_cast<float>(n.startMs) <= m.timeMs &&
                m.timeMs < static_cast<float>(n.endMs))
                hit = i;
        }
        if (hit) {
            DeleteNoteAt(t, hit);
            e.stepName = kStepDeleteNote;
        } else if (m.pitch >= kLowestNotePitch && !e.drawingItem && e.dragCount == 0) {
            // Rows under pitch 1 take no notes.
            NoteRecord n;
            n.pitch = m.pitch;
            n.startUnits = ctx.keys.ctrlDown ? m.time : SnapDown(t, m.time, ctx.options.styleMode);
            n.endUnits = n.startUnits + 1.0f;
            n.selected = 0;
            n.kind = ctx.options.newNoteKind;
            e.pendingItem = n;
            e.pendingDrawnEnd = n.endUnits;
            e.resizing = false;
            e.drawingItem = true;
            sound(svc, n);
        }
        break;
    }
    case MatrixRegion::VibraStrip: {
        if (const int hit = findSpan(t.vibraList, t.vibraCount, m.time)) {
            DeleteVibraAt(t, hit);
            e.stepName = kStepDeleteVibra;
        } else if (!e.drawingItem) {
            NoteRecord v;
            v.pitch = kPendingVibra;
            v.startUnits = stripStart(ctx, m.time);
            v.endUnits = m.time;
            e.pendingItem = v;
            e.pendingDrawnEnd = v.endUnits;
            e.resizing = false;
            e.drawingItem = true;
        }
        break;
    }
    case MatrixRegion::TextStrip: {
        if (const int hit = findText(t, m.time)) {
            DeleteTextAt(t, hit);
            e.stepName = kStepDeleteText;
        } else if (!InsertText(t, stripStart(ctx, m.time))) {
            say(svc, kTextListFull);
        } else {
            e.stepName = kStepAddText;
        }
        call(svc.textsChanged);
        break;
    }
    case MatrixRegion::RepeatStrip: {
        if (const int hit = findSpan(t.repeatList, t.repeatCount, m.time)) {
            DeleteRepeatAt(t, hit);
            e.stepName = kStepDeleteRepeat;
        } else if (!e.drawingItem) {
            NoteRecord& b = e.pendingItem;
            b.pitch = kPendingRepeat;
            b.startUnits = stripStart(ctx, m.time);
            b.endUnits = m.time;
            b.selected = 0;
            e.pendingDrawnEnd = b.endUnits;
            e.resizing = false;
            e.drawingItem = true;
        }
        break;
    }
    case MatrixRegion::None: break;
    }
    call(svc.repaint);
}

void RightRelease(MatrixContext& ctx, MatrixServices& svc)
{
    if (!ctx.edit.drawingItem) return;
    finishPending(ctx, svc);
    call(svc.repaint);
}

} // namespace qte
