#include "app/ringdata_commands.h"

#include "app/dialog_commands.h"
#include "app/editor_context.h"
#include "app/file_commands.h"
#include "io/file_store.h"
#include "io/messages.h"
#include "tune/ringdata_edit.h"
#include "tune/tone_generator.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace qte {

namespace {

constexpr std::string_view kAddTitle = "Add to Ringdata.h";
constexpr std::string_view kRemoveTitle = "Remove from Ringdata.h";

ToneTextOptions textOptions(const EditorContext& ctx)
{
    return {ctx.settings.writeTempo != 0, ctx.settings.addDefaultParts != 0};
}

// Notes the tone text cannot name are asked about, as a save of a tone file
// asks.
bool unnamedNotesAccepted(EditorContext& ctx, std::string_view title)
{
    const std::string unnamed = UnnamedNotesWarning(ctx.tune(), ctx.noteNames);
    return unnamed.empty() ||
           ctx.platform.messages.show("\"" + ctx.ringdataPath + "\": " + unnamed, title,
                                      MessageButtons::OkCancel) == MessageAnswer::Ok;
}

// The entry of that name, preferring entry hint when it is one of them.
std::int32_t entryNamed(const TuneCatalogue& catalogue, std::string_view name, std::int32_t hint)
{
    if (hint >= 1 && hint <= catalogue.tuneCount &&
        SameDefinitionName(catalogue.entries[static_cast<std::size_t>(hint)].name, name))
        return hint;
    return FindDefinition(catalogue, name);
}

// The top row back within the list after its length changed.
void clampCatalogueScroll(EditorContext& ctx)
{
    (void)scrollCatalogue(ctx.catalogueView, ctx.catalogue.tuneCount, ScrollCode::EndScroll, 0);
}

// Runs edit on the opened Ringdata.h and returns the name of the definition
// written. Once written, the catalogue is the scan of the new bytes and
// keeps its scroll position. A failure is reported; a file that changed on
// disk is offered to be read again.
std::optional<std::string> applyToRingdata(EditorContext& ctx, std::string_view title,
                                           const std::function<RingdataEdit(std::string)>& edit)
{
    const std::string path = ctx.ringdataPath;
    const ScannedFile* scanned = ctx.ringdataScan ? &*ctx.ringdataScan : nullptr;
    AppliedEdit applied = ApplyRingdataEdit(ctx.platform.files, path, scanned, edit);
    if (applied.outcome == EditOutcome::ChangedOnDisk) {
        if (ctx.platform.messages.show(applied.message + " Read it again?", title,
                                       MessageButtons::YesNo) == MessageAnswer::Yes)
            (void)rescanRingdata(ctx);
        return std::nullopt;
    }
    if (applied.outcome != EditOutcome::Written) {
        ctx.platform.messages.showError(applied.message);
        return std::nullopt;
    }
    auto next = std::make_unique<TuneCatalogue>();
    if (!ScanRingdataFile(*applied.edit.bytes, *next).ok()) {
        // Not expected of bytes the edit made; the file on disk decides.
        (void)rescanRingdata(ctx);
        return std::nullopt;
    }
    ctx.catalogue = *next;
    ctx.ringdataScan = applied.written;
    clampCatalogueScroll(ctx);
    return std::move(applied.edit.name);
}

} // namespace

bool savesIntoRingdata(const EditorContext& ctx)
{
    const TuneOrigin& origin = ctx.document.origin();
    return !ctx.ringdataPath.empty() && origin.ringdataPath == ctx.ringdataPath &&
           origin.catalogueEntry >= 1 && origin.catalogueEntry <= ctx.catalogue.tuneCount;
}

void followLoadedEntry(EditorContext& ctx)
{
    TuneOrigin origin = ctx.document.origin();
    if (origin.catalogueEntry < 1 || origin.ringdataPath != ctx.ringdataPath) return;
    const std::int32_t now = entryNamed(ctx.catalogue, origin.sourceName, origin.catalogueEntry);
    if (now == origin.catalogueEntry) return;
    origin.catalogueEntry = now;
    if (now == 0) origin.ringdataPath.clear(); // its definition is gone
    ctx.document.setOrigin(std::move(origin));
}

bool saveIntoRingdata(EditorContext& ctx)
{
    if (!savesIntoRingdata(ctx) || !unnamedNotesAccepted(ctx, "Save")) return false;
    const std::int32_t n = ctx.document.origin().catalogueEntry;
    const auto written = applyToRingdata(ctx, "Save", [&ctx, n](std::string bytes) {
        return SaveTuneInDefinition(std::move(bytes), ctx.catalogue, n, ctx.tune(), ctx.textConfig,
                                    ctx.noteNames, textOptions(ctx));
    });
    if (!written) return false;
    TuneOrigin origin = ctx.document.origin();
    origin.catalogueEntry = entryNamed(ctx.catalogue, *written, n);
    ctx.document.markSaved(std::move(origin));
    repaintCatalogue(ctx);
    return true;
}

bool addToRingdata(EditorContext& ctx)
{
    if (ctx.ringdataPath.empty()) {
        ctx.platform.messages.showError(
            "No Ringdata.h is open to add the tune to; open one with \"Open Ringdata.h\".");
        return false;
    }
    // The header names the definition from the tune's name and ID.
    if (ctx.tune().toneId.empty() && runSettingsDialog(ctx) != DialogResult::Ok) return false;
    if (!unnamedNotesAccepted(ctx, kAddTitle)) return false;
    const auto written = applyToRingdata(ctx, kAddTitle, [&ctx](std::string bytes) {
        return AddTuneAsDefinition(std::move(bytes), ctx.catalogue, ctx.tune(), ctx.textConfig,
                                   ctx.noteNames, textOptions(ctx));
    });
    if (!written) return false;
    // The tune is now that definition: marked in the list, saved into it.
    TuneOrigin origin;
    origin.sourceName = *written;
    origin.ringdataPath = ctx.ringdataPath;
    origin.catalogueEntry = entryNamed(ctx.catalogue, *written, ctx.catalogue.tuneCount);
    CatalogueView& view = ctx.catalogueView;
    // Row 0 is never drawn: the entry shows in rows 1 to visible - 1.
    if (origin.catalogueEntry > view.catalogueTopRow + view.catalogueVisibleRows - 1) {
        view.catalogueTopRow = origin.catalogueEntry - view.catalogueVisibleRows + 1;
        clampCatalogueScroll(ctx);
    }
    ctx.document.markSaved(std::move(origin));
    repaintCatalogue(ctx);
    return true;
}

bool removeFromRingdata(EditorContext& ctx)
{
    if (!savesIntoRingdata(ctx)) {
        ctx.platform.messages.showError(
            "The tune was not loaded from the opened Ringdata.h; there is no definition of it "
            "to remove.");
        return false;
    }
    const std::int32_t n = ctx.document.origin().catalogueEntry;
    const std::string name = ctx.catalogue.entries[static_cast<std::size_t>(n)].name;
    if (ctx.platform.messages.show("Remove " + name + " from \"" + ctx.ringdataPath +
                                       "\"? Its lines are taken out of the file; the tune "
                                       "stays in the editor.",
                                   kRemoveTitle, MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    const auto written = applyToRingdata(ctx, kRemoveTitle, [&ctx, n](std::string bytes) {
        return RemoveDefinition(std::move(bytes), ctx.catalogue, n, ctx.textConfig);
    });
    if (!written) return false;
    TuneOrigin origin = ctx.document.origin();
    origin.ringdataPath.clear();
    origin.catalogueEntry = 0;
    ctx.document.setOrigin(std::move(origin));
    repaintCatalogue(ctx);
    return true;
}

bool rescanRingdata(EditorContext& ctx)
{
    const std::int32_t top = ctx.catalogueView.catalogueTopRow;
    const std::string path = ctx.ringdataPath;
    if (path.empty() || !openRingdataFile(ctx, path)) return false;
    ctx.catalogueView.catalogueTopRow = top;
    clampCatalogueScroll(ctx);
    repaintCatalogue(ctx);
    return true;
}

void addToRingdataCommand(EditorContext& ctx)
{
    (void)addToRingdata(ctx);
}

void removeFromRingdataCommand(EditorContext& ctx)
{
    (void)removeFromRingdata(ctx);
}

} // namespace qte
