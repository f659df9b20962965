#include "app/commands.h"

#include "app/dialog_commands.h"
#include "app/editor_context.h"
#include "app/file_commands.h"
#include "app/menu.h"
#include "app/playback_commands.h"
#include "io/messages.h"
#include "platform/dialogs.h"
#include "platform/window.h"

#include <cmath>

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
        ZoomX(ctx.matrixView, ctx.tune, direction);
    else
        ZoomY(ctx.matrixView, ctx.tune, direction);
    layoutMatrixWindow(ctx);
    ctx.child(Child::MatrixEdit).invalidate(true);
}

void chooseStyle(EditorContext& ctx, StyleMode style)
{
    ctx.settings.styleMode = static_cast<std::int32_t>(style);
    setNoteLength(ctx.noteLength, ctx.noteLength.noteLengthIndex, ctx.noteLength.noteLengthModifier,
                  ctx.settings.styleMode, ctx.tune.msPerUnit);
}

void newTune(EditorContext& ctx)
{
    if (ctx.tune.hasItems() &&
        ctx.platform.messages.show("Discard current tune?", "New tune", MessageButtons::OkCancel) !=
            MessageAnswer::Ok)
        return;
    clearEditorTune(ctx);
    ctx.tune.currentFileKind = static_cast<std::int32_t>(FileKind::None);
    if (const TextConfigReload reload = reloadTextConfig(ctx); reload.readError)
        ctx.platform.messages.showError(reload.readError->message);
    else if (reload.missing)
        tellNoConfig(ctx);
    (void)runSettingsDialog(ctx);
    repaintMatrix(ctx);
    regenerateToneText(ctx);
    repaintToolbar(ctx);
}

void exitCommand(EditorContext& ctx)
{
    if (ctx.platform.messages.show("Ready to quit?", "Confirm exit", MessageButtons::OkCancel) ==
        MessageAnswer::Ok)
        ctx.quitRequested = true;
}

void deleteCommand(EditorContext& ctx)
{
    if (ctx.tune.selectionMode == 2) {
        DeleteSelectedNotes(ctx.tune);
        refreshViews(ctx);
        return;
    }
    if (ctx.tune.selectionMode != 0) return;
    if (ctx.platform.messages.show("Clear all?", "Confirm delete", MessageButtons::OkCancel) !=
        MessageAnswer::Ok)
        return;
    clearEditorTune(ctx);
    ScrollHorizontal(ctx.matrixView, ScrollCode::Top, 0);
    regenerateToneText(ctx);
    repaintMatrix(ctx);
}

void chooseLength(EditorContext& ctx, std::int32_t index, std::int32_t modifier)
{
    ctx.noteLength.noteLengthIndex = index;
    setNoteLength(ctx.noteLength, index, modifier, ctx.settings.styleMode, ctx.tune.msPerUnit);
    repaintToolbar(ctx);
}

void toggleModifier(EditorContext& ctx, std::int32_t modifier)
{
    const std::int32_t next = ctx.noteLength.noteLengthModifier == modifier ? 0 : modifier;
    chooseLength(ctx, ctx.noteLength.noteLengthIndex, next);
}

// The last note's start in the middle of the Matrix edit window.
void scrollToLastNote(EditorContext& ctx)
{
    const NoteRecord& last = ctx.tune.noteTable[ctx.tune.noteCount];
    const auto target = static_cast<std::int32_t>(
        std::trunc(static_cast<float>(last.startMs) / ctx.tune.msPerUnit));
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
    case cmd::Exit: exitCommand(ctx); break;
    case cmd::Copy:
        CopySelection(ctx.tune, ctx.matrixEdit);
        ctx.keys.ctrlDown = false;
        break;
    case cmd::Cut:
        CutSelection(ctx.tune, ctx.matrixEdit);
        ctx.keys.ctrlDown = false;
        refreshViews(ctx);
        break;
    case cmd::Paste:
        // Notes taken up by a move still in progress would be lost.
        if (ctx.matrixEdit.clipboardCount < 1 ||
            (ctx.matrixEdit.dragCount > 0 && !ctx.matrixEdit.dragIsPaste))
            break;
        if (!PasteClipboard(ctx.tune, ctx.matrixEdit)) {
            ctx.platform.messages.showError(kPasteTooLarge);
            break;
        }
        repaintMatrix(ctx);
        regenerateToneText(ctx);
        break;
    case cmd::SelectAll:
        SelectAll(ctx.tune);
        repaintMatrix(ctx);
        regenerateToneText(ctx);
        break;
    case cmd::StaccatoAll:
        StaccatoAll(ctx.tune);
        regenerateToneText(ctx);
        repaintMatrix(ctx);
        break;
    case cmd::Unselect:
        ClearSelection(ctx.tune);
        repaintMatrix(ctx);
        regenerateToneText(ctx);
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
        regenerateToneText(ctx);
        repaintMatrix(ctx);
        break;
    case cmd::PlayPolitely: ctx.settings.playPolitely = ctx.settings.playPolitely ? 0 : 1; break;
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

bool isCommandEnabled(const EditorContext&, int id)
{
    switch (id) {
    default: return true;
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
    default: return false;
    }
}

std::string commandText(const EditorContext&, int)
{
    return {};
}

bool confirmClose(EditorContext& ctx)
{
    if (!ctx.tune.hasItems()) return true;
    return ctx.platform.messages.show("Ready to quit?", "Confirm exit", MessageButtons::OkCancel) ==
           MessageAnswer::Ok;
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
