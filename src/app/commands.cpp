#include "app/commands.h"

#include "app/dialog_commands.h"
#include "app/editor_context.h"
#include "app/file_commands.h"
#include "app/menu.h"
#include "app/playback_commands.h"
#include "app/ringdata_commands.h"
#include "app/steps.h"
#include "io/messages.h"
#include "platform/dialogs.h"
#include "platform/window.h"

#include <cmath>
#include <optional>
#include <string>

namespace qte {

namespace {

Child childOfViewCommand(int id)
{
    switch (id) {
    case cmd::ViewRingdata: return Child::RingdataView;
    case cmd::ViewTones: return Child::TunesInRingdata;
    default: return Child::MatrixEdit;
    }
}

void toggleChild(EditorContext& ctx, int id)
{
    Window& w = ctx.child(childOfViewCommand(id));
    w.setVisible(!w.isVisible());
}

void zoom(EditorContext& ctx, bool horizontal, ZoomDirection direction)
{
    if (horizontal)
        ZoomX(ctx.matrixView, ctx.tune(), direction);
    else
        ZoomY(ctx.matrixView, ctx.tune(), direction);
    layoutMatrixWindow(ctx);
    ctx.child(Child::MatrixEdit).invalidate(true);
}

void chooseStyle(EditorContext& ctx, StyleMode style)
{
    ctx.settings.styleMode = static_cast<std::int32_t>(style);
    setNoteLength(ctx.noteLength, ctx.noteLength.noteLengthIndex, ctx.noteLength.noteLengthModifier,
                  ctx.settings.styleMode, ctx.tune().msPerUnit);
}

void newTune(EditorContext& ctx)
{
    if (!confirmDiscard(ctx, "Discard current tune?", "New tune")) return;
    openEmptyTune(ctx);
    if (const TextConfigReload reload = reloadTextConfig(ctx); reload.readError)
        ctx.platform.messages.showError(reload.readError->message);
    else if (reload.missing)
        tellNoConfig(ctx);
    (void)runSettingsDialog(ctx);
    // The name given here belongs to the new tune: nothing is unsaved yet.
    openTune(ctx, ctx.tune(), ctx.document.origin());
    repaintToolbar(ctx);
}

void exitCommand(EditorContext& ctx)
{
    if (confirmDiscard(ctx, "Ready to quit?", "Confirm exit")) ctx.quitRequested = true;
}

void deleteCommand(EditorContext& ctx)
{
    if (ctx.tune().selectionMode == 2) {
        ctx.document.change(kStepDelete, [](Tune& t) { DeleteSelectedNotes(t); });
        return;
    }
    if (ctx.tune().selectionMode != 0) return;
    if (ctx.platform.messages.show("Clear all?", "Confirm delete", MessageButtons::OkCancel) !=
        MessageAnswer::Ok)
        return;
    ScrollHorizontal(ctx.matrixView, ScrollCode::Top, 0);
    ctx.document.change(kStepClearAll, [](Tune& t) { ClearItems(t); });
}

void chooseLength(EditorContext& ctx, std::int32_t index, std::int32_t modifier)
{
    ctx.noteLength.noteLengthIndex = index;
    setNoteLength(ctx.noteLength, index, modifier, ctx.settings.styleMode, ctx.tune().msPerUnit);
    repaintToolbar(ctx);
}

struct TransposeStep {
    int command;
    std::int32_t semitones;
    const char* step;
};
constexpr TransposeStep kTransposeSteps[] = {
    {cmd::OctaveUp, 12, "Transpose octave up"},
    {cmd::OctaveDown, -12, "Transpose octave down"},
    {cmd::SemitoneUp, 1, "Transpose semitone up"},
    {cmd::SemitoneDown, -1, "Transpose semitone down"},
};

void transpose(EditorContext& ctx, const TransposeStep& t)
{
    std::string refusal;
    ctx.document.change(t.step, [&](Tune& tune) { refusal = Transpose(tune, t.semitones); });
    if (!refusal.empty()) ctx.platform.messages.showError(refusal);
}

void undoOrRedo(EditorContext& ctx, bool undo)
{
    // The matrix's selection and rubber band belong to the tune they were made on.
    ctx.matrixEdit.pressedText = 0;
    if (undo)
        (void)ctx.document.undo();
    else
        (void)ctx.document.redo();
}

void toggleModifier(EditorContext& ctx, std::int32_t modifier)
{
    const std::int32_t next = ctx.noteLength.noteLengthModifier == modifier ? 0 : modifier;
    chooseLength(ctx, ctx.noteLength.noteLengthIndex, next);
}

// The last note's start in the middle of the Matrix edit window.
void scrollToLastNote(EditorContext& ctx)
{
    const NoteRecord& last = ctx.tune().noteTable[ctx.tune().noteCount];
    const auto target = static_cast<std::int32_t>(
        std::trunc(static_cast<float>(last.startMs) / ctx.tune().msPerUnit));
    ScrollHorizontal(ctx.matrixView, ScrollCode::ThumbTrack,
                     target - ctx.matrixView.visibleUnits / 2);
    repaintMatrix(ctx);
    ctx.platform.mainWindow.invalidate(false);
}

} // namespace

void runCommand(EditorContext& ctx, int id)
{
    if (!isCommandEnabled(ctx, id)) return;
    switch (id) {
    case cmd::NewTune: newTune(ctx); break;
    case cmd::OpenRingingTone: openRingingToneCommand(ctx); break;
    case cmd::OpenRingdata: openRingdataCommand(ctx); break;
    case cmd::Save: saveCommand(ctx); break;
    case cmd::SaveAs: saveAsCommand(ctx); break;
    case cmd::Revert: revertCommand(ctx); break;
    case cmd::AddToRingdata: addToRingdataCommand(ctx); break;
    case cmd::RemoveFromRingdata: removeFromRingdataCommand(ctx); break;
    case cmd::Exit: exitCommand(ctx); break;
    case cmd::Undo: undoOrRedo(ctx, true); break;
    case cmd::Redo: undoOrRedo(ctx, false); break;
    case cmd::Copy:
        CopySelection(ctx.tune(), ctx.matrixEdit);
        ctx.keys.ctrlDown = false;
        break;
    case cmd::Cut:
        ctx.document.change(kStepCut, [&ctx](Tune& t) { CutSelection(t, ctx.matrixEdit); });
        ctx.keys.ctrlDown = false;
        break;
    case cmd::Paste: {
        // Notes taken up by a move still in progress would be lost.
        if (ctx.matrixEdit.clipboardCount < 1 ||
            (ctx.matrixEdit.dragCount > 0 && !ctx.matrixEdit.dragIsPaste))
            break;
        // Only the selection changes here; the click that drops the notes
        // is the step.
        bool pasted = true;
        ctx.document.change(kStepPaste,
                            [&](Tune& t) { pasted = PasteClipboard(t, ctx.matrixEdit); });
        if (!pasted) ctx.platform.messages.showError(kPasteTooLarge);
        break;
    }
    case cmd::SelectAll: ctx.document.change("Select All", [](Tune& t) { SelectAll(t); }); break;
    case cmd::StaccatoAll:
        ctx.document.change(kStepStaccato, [](Tune& t) { StaccatoAll(t); });
        break;
    case cmd::Unselect: ctx.document.change("Unselect", [](Tune& t) { ClearSelection(t); }); break;
    case cmd::OctaveUp:
    case cmd::OctaveDown:
    case cmd::SemitoneUp:
    case cmd::SemitoneDown:
        for (const TransposeStep& t : kTransposeSteps)
            if (t.command == id) transpose(ctx, t);
        break;
    case cmd::Delete: deleteCommand(ctx); break;
    case cmd::ZoomXIn: zoom(ctx, true, ZoomDirection::In); break;
    case cmd::ZoomXOut: zoom(ctx, true, ZoomDirection::Out); break;
    case cmd::ZoomYIn: zoom(ctx, false, ZoomDirection::In); break;
    case cmd::ZoomYOut: zoom(ctx, false, ZoomDirection::Out); break;
    case cmd::ViewMatrix:
    case cmd::ViewRingdata:
    case cmd::ViewTones: toggleChild(ctx, id); break;
    case cmd::Settings: (void)runSettingsDialog(ctx); break;
    case cmd::AddDefaultParts:
        ctx.settings.addDefaultParts = ctx.settings.addDefaultParts ? 0 : 1;
        refreshViews(ctx);
        break;
    case cmd::PlayPolitely: ctx.settings.playPolitely = ctx.settings.playPolitely ? 0 : 1; break;
    case cmd::SoundNotes:
        ctx.editorOptions.soundNotes = ctx.editorOptions.soundNotes ? 0 : 1;
        break;
    case cmd::StyleNatural: chooseStyle(ctx, StyleMode::Natural); break;
    case cmd::StyleContinuous: chooseStyle(ctx, StyleMode::Continuous); break;
    case cmd::StyleStaccato: chooseStyle(ctx, StyleMode::Staccato); break;
    case cmd::KindNormal: ctx.newNoteKind = static_cast<std::int32_t>(NoteKind::Normal); break;
    case cmd::KindSpecial: ctx.newNoteKind = static_cast<std::int32_t>(NoteKind::Special); break;
    case cmd::KindFreqDefine:
        ctx.newNoteKind = static_cast<std::int32_t>(NoteKind::FreqDefine);
        break;
    case cmd::About: ctx.platform.dialogs.runAbout(aboutText()); break;
    case cmd::Play: playCommand(ctx); break;
    case cmd::ArrangeWindows: ctx.arrangeRequested = true; break;
    case cmd::ToggleDot: toggleModifier(ctx, 1); break;
    case cmd::ToggleDoubleDot: toggleModifier(ctx, 2); break;
    case cmd::ToggleTriplet: toggleModifier(ctx, 3); break;
    case cmd::ClearModifier: chooseLength(ctx, ctx.noteLength.noteLengthIndex, 0); break;
    case cmd::ScrollToLastNote: scrollToLastNote(ctx); break;
    case cmd::ScrollToStart: scrollMatrix(ctx, ScrollBar::Horizontal, ScrollCode::Top); break;
    case cmd::ScrollLeft: scrollMatrix(ctx, ScrollBar::Horizontal, ScrollCode::LineUp); break;
    case cmd::ScrollRight: scrollMatrix(ctx, ScrollBar::Horizontal, ScrollCode::LineDown); break;
    case cmd::ScrollUp: scrollMatrix(ctx, ScrollBar::Vertical, ScrollCode::LineUp); break;
    case cmd::ScrollDown:
        // The keys keep the bottom row at pitch 1 or above.
        if (ctx.matrixView.lowestPitch > 1)
            scrollMatrix(ctx, ScrollBar::Vertical, ScrollCode::LineDown);
        break;
    default:
        if (id >= cmd::NoteLength1 && id <= cmd::NoteLength6)
            chooseLength(ctx, id - cmd::NoteLength1 + 1, ctx.noteLength.noteLengthModifier);
        break;
    }
}

bool isCommandEnabled(const EditorContext& ctx, int id)
{
    switch (id) {
    case cmd::Undo: return ctx.document.canUndo();
    case cmd::Redo: return ctx.document.canRedo();
    case cmd::AddToRingdata: return !ctx.ringdataPath.empty();
    case cmd::RemoveFromRingdata: return savesIntoRingdata(ctx);
    default: return true;
    }
}

std::optional<std::string> commandLabel(const EditorContext& ctx, int id)
{
    const auto named = [](const char* what, const std::string& step) {
        return step.empty() ? std::string(what) : std::string(what) + " " + step;
    };
    switch (id) {
    case cmd::Undo: return named("Undo", ctx.document.undoName());
    case cmd::Redo: return named("Redo", ctx.document.redoName());
    default: return std::nullopt;
    }
}

bool isCommandChecked(const EditorContext& ctx, int id)
{
    switch (id) {
    case cmd::ViewMatrix:
    case cmd::ViewRingdata:
    case cmd::ViewTones: return ctx.child(childOfViewCommand(id)).isVisible();
    case cmd::StyleNatural: return ctx.settings.styleMode == static_cast<int>(StyleMode::Natural);
    case cmd::StyleContinuous:
        return ctx.settings.styleMode == static_cast<int>(StyleMode::Continuous);
    case cmd::StyleStaccato: return ctx.settings.styleMode == static_cast<int>(StyleMode::Staccato);
    case cmd::KindNormal: return ctx.newNoteKind == static_cast<int>(NoteKind::Normal);
    case cmd::KindSpecial: return ctx.newNoteKind == static_cast<int>(NoteKind::Special);
    case cmd::KindFreqDefine: return ctx.newNoteKind == static_cast<int>(NoteKind::FreqDefine);
    case cmd::AddDefaultParts: return ctx.settings.addDefaultParts != 0;
    case cmd::PlayPolitely: return ctx.settings.playPolitely != 0;
    case cmd::SoundNotes: return ctx.editorOptions.soundNotes != 0;
    default: return false;
    }
}

bool confirmClose(EditorContext& ctx)
{
    return confirmDiscard(ctx, "Ready to quit?", "Confirm exit");
}

void modifierKey(EditorContext& ctx, ModifierKey key, bool down)
{
    bool& flag = key == ModifierKey::Shift ? ctx.keys.shiftDown : ctx.keys.ctrlDown;
    if (flag != down) ctx.child(Child::MatrixEdit).invalidate(false);
    flag = down;
}

void modifiersHeld(EditorContext& ctx, ModifierKeys held)
{
    if (held.shiftDown != ctx.keys.shiftDown || held.ctrlDown != ctx.keys.ctrlDown)
        ctx.child(Child::MatrixEdit).invalidate(false);
    ctx.keys = held;
}

} // namespace qte
