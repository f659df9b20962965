#include "app/tune_windows.h"

#include "app/editor_context.h"
#include "app/file_commands.h"
#include "app/playback_commands.h"
#include "app/steps.h"
#include "io/file_store.h"
#include "io/messages.h"
#include "playback/playback.h"
#include "tune/ringdata_file.h"
#include "tune/tone_parser.h"
#include "tunewindows/edit_dialogs.h"

#include <algorithm>
#include <memory>

namespace qte {

namespace {

// The text line that shows note n, or -1.
std::int32_t lineOfNote(const ToneText& text, std::int32_t n)
{
    const std::int32_t count = std::min(text.toneTextLineCount, kMaxToneTextLines);
    for (std::int32_t l = 0; l < count; ++l) {
        const LineInfo& info = text.lineInfo[static_cast<std::size_t>(l)];
        if (info.itemKind == static_cast<std::uint8_t>(LineItemKind::Note) && info.itemIndex == n)
            return l;
    }
    return -1;
}

// A strip's run is one step, whatever its OKs did.
template <class Run> void asStep(EditorContext& ctx, const char* step, Run run)
{
    ctx.document.beginStep();
    run();
    ctx.document.commitStep(step);
}

void editNoteLine(EditorContext& ctx, std::int32_t line, std::int32_t n)
{
    if (n < 1 || n > ctx.tune().noteCount) return;
    asStep(ctx, kStepEditNote, [&] {
        (void)ctx.platform.dialogs.runNote(
            noteDialogFields(ctx.tune(), n),
            [&ctx, line, n](const NoteDialogFields& f) { return applyNoteEdit(ctx, line, n, f); });
    });
}

void editPauseLine(EditorContext& ctx, std::int32_t line)
{
    asStep(ctx, kStepEditPause, [&] {
        (void)ctx.platform.dialogs.runPause(
            pauseDialogField(ctx.toneText, line),
            [&ctx, line](std::string_view f) { return applyPauseEdit(ctx, line, f); });
    });
}

// An emptied text is removed; either way the texts are read again for
// FREQ_DEFINE and the polite section.
void editTextLine(EditorContext& ctx, std::int32_t t)
{
    if (t < 1 || t > ctx.tune().textCount) return;
    asStep(ctx, kStepEditText, [&] {
        Tune& tune = ctx.document.editable();
        ctx.platform.dialogs.runText(tune.textList[t].text, [&tune, t](std::string_view f) {
            if (applyTextDialog(tune, t, f)) DeleteTextAt(tune, t);
            return true;
        });
        ScanTexts(tune, ctx.textConfig);
    });
}

// Whether the file still lists entry n as the catalogue has it.
bool stillListed(std::string_view bytes, const TuneCatalogue& catalogue, std::int32_t n)
{
    auto now = std::make_unique<TuneCatalogue>();
    if (!ScanRingdataFile(bytes, *now).ok() || n > now->tuneCount) return false;
    const CatalogueEntry& was = catalogue.entries[static_cast<std::size_t>(n)];
    const CatalogueEntry& is = now->entries[static_cast<std::size_t>(n)];
    return was.name == is.name && was.firstLine == is.firstLine && was.lastLine == is.lastLine;
}

} // namespace

void ringdataMouseMove(EditorContext& ctx, int x, int y)
{
    ctx.ringdataView.textMouseX = x;
    ctx.ringdataView.textMouseY = y;
}

void ringdataLeftDown(EditorContext& ctx)
{
    ctx.activeChild = Child::RingdataView;
}

void ringdataRightDown(EditorContext& ctx)
{
    if (ctx.playState.playing != 0) return;
    const std::int32_t line = ringdataLineAtMouse(ctx.ringdataView);
    if (line < 0 || line >= std::min(ctx.toneText.toneTextLineCount, kMaxToneTextLines)) return;
    const LineInfo info = ctx.toneText.lineInfo[static_cast<std::size_t>(line)];
    switch (static_cast<LineItemKind>(info.itemKind)) {
    case LineItemKind::Note: editNoteLine(ctx, line, info.itemIndex); break;
    case LineItemKind::Pause: editPauseLine(ctx, line); break;
    case LineItemKind::FreeText: editTextLine(ctx, info.itemIndex); break;
    default: break;
    }
}

void ringdataScroll(EditorContext& ctx, ScrollBar bar, ScrollCode code, std::int32_t position)
{
    const bool handled =
        bar == ScrollBar::Horizontal
            ? scrollRingdataHorizontally(ctx.ringdataView, code, position)
            : scrollRingdataVertically(ctx.ringdataView, ctx.toneText, code, position);
    if (handled) repaintToneText(ctx);
}

void ringdataWheel(EditorContext& ctx, int up, int left, bool shift, int linesPerNotch)
{
    const RingdataView& view = ctx.ringdataView;
    const int across = shift && left == 0 ? up : left;
    if (across != 0)
        ringdataScroll(ctx, ScrollBar::Horizontal, ScrollCode::ThumbTrack,
                       view.textLeftColumn - across * linesPerNotch);
    if (up != 0 && !(shift && left == 0))
        ringdataScroll(ctx, ScrollBar::Vertical, ScrollCode::ThumbTrack,
                       view.textTopLine - up * linesPerNotch);
}

bool applyNoteEdit(EditorContext& ctx, std::int32_t line, std::int32_t noteIndex,
                   const NoteDialogFields& fields)
{
    std::string refusal;
    ctx.document.change(kStepEditNote, [&](Tune& t) {
        refusal = EditNoteLine(t, ctx.toneText, noteIndex, line, fields,
                               std::max(0, ctx.textConfig.customNoteCount));
    });
    if (refusal.empty()) return true;
    ctx.platform.messages.showError(refusal);
    return false;
}

bool applyPauseEdit(EditorContext& ctx, std::int32_t line, std::string_view field)
{
    std::string refusal;
    ctx.document.change(kStepEditPause,
                        [&](Tune& t) { refusal = EditPauseLine(t, ctx.toneText, line, field); });
    if (refusal.empty()) return true;
    ctx.platform.messages.showError(refusal);
    return false;
}

void followPlayLine(EditorContext& ctx)
{
    const std::int32_t note = ctx.playState.playing != 0 ? ctx.playState.currentNote : 0;
    const bool sounding = note >= 1 && note <= ctx.tune().noteCount;
    const std::int32_t followed = sounding ? note : 0;
    if (followed == ctx.followedNote) return;
    ctx.followedNote = followed;
    // The regeneration shows the sounding note in the selected colour.
    regenerateToneText(ctx);
    if (!sounding) return;
    const std::int32_t line = lineOfNote(ctx.toneText, note);
    RingdataView& view = ctx.ringdataView;
    if (line < 0 || (line >= view.textTopLine && line < view.textTopLine + view.textVisibleLines))
        return;
    scrollRingdataVertically(view, ctx.toneText, ScrollCode::ThumbTrack,
                             line - view.textVisibleLines / 2);
    repaintToneText(ctx);
}

void catalogueMouseMove(EditorContext& ctx, int x, int y)
{
    ctx.catalogueView.catalogueMouseX = x;
    ctx.catalogueView.catalogueMouseY = y;
}

void catalogueLeftDown(EditorContext& ctx)
{
    ctx.activeChild = Child::TunesInRingdata;
    const auto entry = catalogueEntryAtMouse(ctx.catalogueView, ctx.catalogue.tuneCount);
    if (!entry || !confirmDiscard(ctx, "Discard current tune?", "Tunes in Ringdata")) return;
    stopSound(ctx);
    (void)loadCatalogueEntry(ctx, *entry);
}

void catalogueScroll(EditorContext& ctx, ScrollCode code, std::int32_t position)
{
    if (scrollCatalogue(ctx.catalogueView, ctx.catalogue.tuneCount, code, position))
        repaintCatalogue(ctx);
}

void catalogueWheel(EditorContext& ctx, int up, int linesPerNotch)
{
    if (up != 0)
        catalogueScroll(ctx, ScrollCode::ThumbTrack,
                        ctx.catalogueView.catalogueTopRow - up * linesPerNotch);
}

bool loadCatalogueEntry(EditorContext& ctx, std::int32_t n)
{
    if (n < 1 || n > ctx.catalogue.tuneCount) return false;
    const std::string& name = ctx.catalogue.entries[static_cast<std::size_t>(n)].name;
    const FileReadResult file = ctx.platform.files.read(ctx.ringdataPath);
    if (!file.bytes) {
        ctx.platform.messages.showError("Cannot load " + name + ": " + file.error.message);
        return false;
    }
    if (!stillListed(*file.bytes, ctx.catalogue, n)) {
        ctx.platform.messages.showError("Cannot load " + name + ": \"" + ctx.ringdataPath +
                                        "\" has changed since it was opened and no longer holds "
                                        "it where it was listed. Open the file again.");
        return false;
    }
    auto next = std::make_unique<Tune>(ctx.tune());
    const ToneTextResult result = LoadCatalogueTune(*next, ctx.catalogue, n, *file.bytes,
                                                    ctx.parserState, ctx.textConfig, ctx.noteNames);
    // The definition was found, so an error here is a parse that stopped
    // part way: what was read before it is kept, as a file open keeps it.
    ctx.settings.addDefaultParts = 0;
    TuneOrigin origin;
    origin.sourceName = name;
    origin.ringdataPath = ctx.ringdataPath;
    origin.catalogueEntry = n;
    openTune(ctx, *next, std::move(origin));
    if (!result.ok()) ctx.platform.messages.showError(name + ": " + result.error);
    showWarnings(ctx, result.warnings, name);
    return true;
}

} // namespace qte
