#include "app/file_commands.h"

#include "app/dialog_commands.h"
#include "app/editor_context.h"
#include "app/playback_commands.h"
#include "formats/file_kinds.h"
#include "formats/format_result.h"
#include "io/file_store.h"
#include "io/messages.h"
#include "platform/window.h"
#include "sound/wave_file.h"

#include <array>
#include <memory>

namespace qte {

namespace {

const std::array<FileKindInfo, 5> kKinds = {{
    {FileKind::Ringdata, {"Ringdata.h files", "*.h"}, {"Ringdata.h file", "*.h"}},
    {FileKind::Ota, {"OTA files", "*.ota"}, {"OTA file", "*.ota"}},
    {FileKind::Rtx, {"Rttl/Rtx files", "*.rtx"}, {"Rttl/Rtx file", "*.rtx"}},
    {FileKind::Event, {"Event files", "*.evt"}, {"Event file", "*.evt"}},
    {FileKind::Wave, {}, {"Wave file", "*.wav"}},
}};

// The reader of one kind, into a tune that the caller commits on success.
// A tone text that stops parsing part way keeps what was read before the
// line at fault: its error comes back as parseError.
FormatResult importInto(EditorContext& ctx, FileKind kind, std::string_view bytes, Tune& tune,
                        NoteLengthState& length, std::string& parseError)
{
    switch (kind) {
    case FileKind::Ringdata: {
        ToneTextResult r =
            LoadToneFile(tune, bytes, ctx.parserState, ctx.textConfig, ctx.noteNames);
        parseError = std::move(r.error);
        return {{}, std::move(r.warnings)};
    }
    default:
        return ImportExchange(kind, bytes, tune, length,
                              {ctx.settings.styleMode, ctx.settings.keepNaturalNotes != 0});
    }
}

// The writer of one kind: the file's bytes, or the reason there are none.
FormatResult exportFrom(EditorContext& ctx, FileKind kind, std::string& bytes)
{
    switch (kind) {
    case FileKind::Ringdata: {
        regenerateToneText(ctx);
        if (std::string error = ToneTextSaveError(ctx.toneText); !error.empty())
            return {std::move(error), {}};
        bytes = ToneTextBytes(ctx.toneText);
        return {};
    }
    case FileKind::Wave: {
        WaveFileResult r = renderWaveFile(ctx.tune, ctx.textConfig, ctx.noteFrequencyHz,
                                          {ctx.settings.playPolitely != 0});
        if (!r.bytes) return {r.error, {}};
        bytes = std::move(*r.bytes);
        return {};
    }
    default: {
        ExportResult r = ExportExchange(kind, ctx.tune);
        bytes = std::move(r.bytes);
        return r;
    }
    }
}

// The kinds' filters as the Open (&FileKindInfo::openFilter) or the Save
// as dialog lists them.
std::vector<FileFilter> filtersOf(const std::vector<FileKind>& kinds,
                                  FileFilter FileKindInfo::*filter)
{
    std::vector<FileFilter> filters;
    filters.reserve(kinds.size());
    for (FileKind k : kinds)
        filters.push_back(fileKindInfo(k).*filter);
    return filters;
}

FileKind kindOfChoice(const std::vector<FileKind>& kinds, int filterIndex)
{
    if (filterIndex < 1 || filterIndex > static_cast<int>(kinds.size())) return kinds.front();
    return kinds[static_cast<std::size_t>(filterIndex - 1)];
}

// Reads path into a copy of the tune (cleared first unless reverting) and
// commits it only when the reader succeeded.
bool loadTune(EditorContext& ctx, const std::string& path, FileKind kind, bool clearFirst)
{
    const FileReadResult file = ctx.platform.files.read(path);
    if (!file.bytes) {
        ctx.platform.messages.showError(file.error.message);
        return false;
    }
    auto next = std::make_unique<Tune>(ctx.tune);
    NoteLengthState length = ctx.noteLength;
    if (clearFirst) ClearTune(*next);
    std::string parseError;
    const FormatResult result = importInto(ctx, kind, *file.bytes, *next, length, parseError);
    if (!result.ok()) {
        ctx.platform.messages.showError("Cannot open \"" + path + "\": " + result.error);
        return false;
    }
    ctx.tune = std::move(*next);
    if (clearFirst) {
        ctx.settings.addDefaultParts = 0;
        afterTuneCleared(ctx);
    }
    ctx.noteLength = length;
    ctx.tune.currentFilePath = path;
    ctx.tune.currentFileKind = static_cast<std::int32_t>(kind);
    ctx.tune.tuneSourceName = fileNamePart(path);
    updateTitles(ctx);
    if (!parseError.empty()) ctx.platform.messages.showError("\"" + path + "\": " + parseError);
    showWarnings(ctx, result.warnings, path);
    return true;
}

} // namespace

const FileKindInfo& fileKindInfo(FileKind kind)
{
    for (const FileKindInfo& k : kKinds)
        if (k.kind == kind) return k;
    static const FileKindInfo none{};
    return none;
}

bool canOpen(FileKind kind)
{
    return kind != FileKind::None && kind != FileKind::Wave;
}
bool canSave(FileKind kind)
{
    return kind != FileKind::None;
}

std::vector<FileKind> openableKinds()
{
    std::vector<FileKind> kinds;
    for (const FileKindInfo& k : kKinds)
        if (canOpen(k.kind)) kinds.push_back(k.kind);
    return kinds;
}

std::vector<FileKind> savableKinds()
{
    std::vector<FileKind> kinds;
    for (const FileKindInfo& k : kKinds)
        if (canSave(k.kind)) kinds.push_back(k.kind);
    return kinds;
}

void appendExtension(std::string& path, const char* ext)
{
    if (path.find('.') == std::string::npos) path += ext;
}

bool openTuneFile(EditorContext& ctx, const std::string& path, FileKind kind)
{
    if (!canOpen(kind)) {
        ctx.platform.messages.showError("Cannot open \"" + path +
                                        "\": this kind of file cannot be read.");
        return false;
    }
    const bool loaded = loadTune(ctx, path, kind, true);
    refreshViews(ctx);
    return loaded;
}

bool writeTuneFile(EditorContext& ctx, const std::string& path, FileKind kind)
{
    std::string bytes;
    const FormatResult result = exportFrom(ctx, kind, bytes);
    if (!result.ok()) {
        ctx.platform.messages.showError("Cannot save \"" + path + "\": " + result.error);
        return false;
    }
    if (const auto error = ctx.platform.files.write(path, bytes)) {
        ctx.platform.messages.showError(error->message);
        return false;
    }
    showWarnings(ctx, result.warnings, path);
    return true;
}

void openRingingToneCommand(EditorContext& ctx)
{
    const std::vector<FileKind> kinds = openableKinds();
    const auto choice = ctx.platform.fileDialogs.openFile(
        filtersOf(kinds, &FileKindInfo::openFilter), ctx.dialogPath);
    if (choice) {
        ctx.dialogPath = choice->path;
        // The old tune must not play on under the new one's play clock.
        stopSound(ctx);
        openTuneFile(ctx, choice->path, kindOfChoice(kinds, choice->filterIndex));
    }
    ctx.platform.mainWindow.invalidate(true);
}

bool openRingdataFile(EditorContext& ctx, const std::string& path)
{
    const FileReadResult file = ctx.platform.files.read(path);
    if (!file.bytes) {
        ctx.platform.messages.showError(file.error.message);
        return false;
    }
    auto next = std::make_unique<TuneCatalogue>();
    const ToneTextResult result = ScanRingdataFile(*file.bytes, *next);
    if (!result.ok()) {
        ctx.platform.messages.showError("Cannot open \"" + path + "\": " + result.error);
        return false;
    }
    ctx.catalogue = *next;
    ctx.catalogueView.catalogueTopRow = 0;
    ctx.ringdataPath = path;
    ctx.ringdataTitle = fileNamePart(path);
    updateTitles(ctx);
    repaintCatalogue(ctx);
    showWarnings(ctx, result.warnings, path);
    return true;
}

void openRingdataCommand(EditorContext& ctx)
{
    const std::vector<FileFilter> filters = {fileKindInfo(FileKind::Ringdata).openFilter};
    if (const auto choice = ctx.platform.fileDialogs.openFile(filters, ctx.dialogPath)) {
        ctx.dialogPath = choice->path;
        openRingdataFile(ctx, choice->path);
    }
    ctx.platform.mainWindow.invalidate(true);
}

void saveCommand(EditorContext& ctx)
{
    if (ctx.tune.currentFilePath.empty()) {
        saveAsCommand(ctx);
        return;
    }
    const auto kind = static_cast<FileKind>(ctx.tune.currentFileKind);
    if (kind != FileKind::None) writeTuneFile(ctx, ctx.tune.currentFilePath, kind);
    refreshViews(ctx);
}

void saveAsCommand(EditorContext& ctx)
{
    if (ctx.tune.toneId.empty() && runSettingsDialog(ctx) != DialogResult::Ok) return;
    const std::vector<FileKind> kinds = savableKinds();
    const auto choice = ctx.platform.fileDialogs.saveFile(
        filtersOf(kinds, &FileKindInfo::saveFilter), ctx.dialogPath);
    if (!choice) return;
    ctx.dialogPath = choice->path;
    const FileKind kind = kindOfChoice(kinds, choice->filterIndex);
    std::string path = choice->path;
    appendExtension(path, fileKindExtension(kind));
    if (writeTuneFile(ctx, path, kind)) {
        ctx.tune.currentFilePath = path;
        ctx.tune.currentFileKind = static_cast<std::int32_t>(kind);
        if (kind == FileKind::Ringdata) {
            ctx.tune.tuneSourceName = fileNamePart(path);
            updateTitles(ctx);
        }
    }
    refreshViews(ctx);
}

void revertCommand(EditorContext& ctx)
{
    if (ctx.tune.currentFilePath.empty()) return;
    if (ctx.platform.messages.show("Discard changes?", "Revert", MessageButtons::OkCancel) !=
        MessageAnswer::Ok)
        return;
    const auto kind = static_cast<FileKind>(ctx.tune.currentFileKind);
    if (kind == FileKind::Wave) {
        ctx.platform.messages.show("Cannot load wav file.", "Kind of impossible",
                                   MessageButtons::Ok);
    } else if (canOpen(kind)) {
        const std::string path = ctx.tune.currentFilePath;
        loadTune(ctx, path, kind, false);
    }
    refreshViews(ctx);
}

} // namespace qte
