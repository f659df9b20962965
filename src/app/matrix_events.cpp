#include "app/matrix_events.h"

#include "app/audition.h"
#include "app/commands.h"
#include "app/editor_context.h"
#include "io/messages.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "tune/tone_parser.h"
#include "tunewindows/edit_dialogs.h"

#include <algorithm>
#include <cstdlib>

namespace qte {

static_assert(kTextFieldChars == kMaxTextChars, "the text strip takes what a record holds");

void EditorMatrixDialogs::editText(Tune& tune, int textIndex)
{
    if (textIndex < 1 || textIndex > tune.textCount) return;
    m_ctx.child(Child::MatrixEdit).releaseMouse();
    m_ctx.platform.dialogs.runText(tune.textList[textIndex].text,
                                   [&tune, textIndex](std::string_view field) {
                                       tune.textList[textIndex].setText(field);
                                       return true;
                                   });
}

void EditorMatrixDialogs::editRepetitions(Tune& tune, int repeatIndex)
{
    if (repeatIndex < 1 || repeatIndex > tune.repeatCount) return;
    m_ctx.child(Child::MatrixEdit).releaseMouse();
    m_ctx.platform.dialogs.runRepetitions(
        tune.repeatList[repeatIndex].repetitions, [this, &tune, repeatIndex](std::string_view f) {
            const std::string refusal = applyRepetitionsField(tune, repeatIndex, f);
            if (refusal.empty()) return true;
            m_ctx.platform.messages.showError(refusal);
            return false;
        });
}

std::string applyRepetitionsField(Tune& tune, int repeatIndex, std::string_view field)
{
    const std::optional<std::int32_t> n = readDialogNumber(field);
    if (!n || *n < kMinRepetitions || *n > kMaxRepetitions)
        return "Number of repetitions must be from " + std::to_string(kMinRepetitions) + " to " +
               std::to_string(kMaxRepetitions) + ".";
    if (repeatIndex >= 1 && repeatIndex <= tune.repeatCount)
        tune.repeatList[repeatIndex].repetitions = *n;
    return {};
}

void matrixWheel(EditorContext& ctx, int x, int up, int left, ModifierKeys held, int linesPerNotch)
{
    MatrixView& view = ctx.matrixView;
    if (held.ctrlDown) {
        const int steps = up != 0 ? up : left;
        bool zoomed = false;
        for (int i = 0; i < std::abs(steps); ++i)
            zoomed =
                ZoomXAt(view, ctx.tune(), steps > 0 ? ZoomDirection::In : ZoomDirection::Out, x) ||
                zoomed;
        if (zoomed) {
            layoutMatrixWindow(ctx);
            ctx.child(Child::MatrixEdit).invalidate(true);
        }
        return;
    }
    const int across = held.shiftDown && left == 0 ? up : left;
    if (across != 0)
        scrollMatrix(ctx, ScrollBar::Horizontal, ScrollCode::ThumbTrack,
                     view.scrollUnits - across * linesPerNotch);
    if (up == 0 || (held.shiftDown && left == 0)) return;
    // Down stops with pitch 1 in the bottom row, as the Down key does.
    std::int32_t position = view.verticalPos - up * linesPerNotch;
    if (up < 0) position = std::min(position, view.verticalPos + std::max(0, view.lowestPitch - 1));
    scrollMatrix(ctx, ScrollBar::Vertical, ScrollCode::ThumbTrack, position);
}

void activateMatrix(EditorContext& ctx)
{
    ctx.activeChild = Child::MatrixEdit;
}

void matrixMouse(EditorContext& ctx, MatrixMouse action, int x, int y, ModifierKeys held)
{
    modifiersHeld(ctx, held);
    // A gesture, from the press that starts it to the event that ends it,
    // is one step: the tune it changes is shown again once, at its end.
    const bool press = action != MatrixMouse::Move;
    if (press && !ctx.gestureStepOpen) {
        ctx.document.beginStep();
        ctx.gestureStepOpen = true;
        ctx.matrixEdit.stepName.clear();
    }
    MatrixSession session(ctx);
    MatrixContext& mc = session.context;
    EditorMatrixDialogs dialogs(ctx);
    BlockEdit window(ctx.child(Child::MatrixEdit), ctx.matrixPainter);
    window.services.messages = &ctx.platform.messages;
    window.services.dialogs = &dialogs;
    window.services.clock = &ctx.platform.tick;
    window.services.textsChanged = [&ctx] { ScanTexts(ctx.document.editable(), ctx.textConfig); };
    window.services.sound = [&ctx](const NoteRecord& note) { auditionNote(ctx, note); };
    window.activate = [&ctx] { activateMatrix(ctx); };
    switch (action) {
    case MatrixMouse::Move: window.onMouseMove(mc, x, y); break;
    case MatrixMouse::LeftDown: window.onLeftDown(mc, x, y); break;
    case MatrixMouse::LeftUp: window.onLeftUp(mc, x, y); break;
    case MatrixMouse::RightDown: window.onRightDown(mc, x, y); break;
    case MatrixMouse::RightUp: window.onRightUp(mc, x, y); break;
    }
    if (ctx.gestureStepOpen && !ctx.matrixEdit.gestureActive(ctx.tune())) {
        ctx.gestureStepOpen = false;
        ctx.document.commitStep(ctx.matrixEdit.stepName);
    }
}

} // namespace qte
