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
#include "tune/ringdata_file.h"
#include "tune/tone_generator.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>

namespace qte {

namespace {

const std::array<FileKindInfo, 7> kKinds = {{
    {FileKind::Ringdata, {"Ringdata.h files", "*.h"}, {"Ringdata.h file", "*.h"}},
    {FileKind::Ota, {"OTA files", "*.ota"}, {"OTA file", "*.ota"}},
    {FileKind::Rtx, {"Rttl/Rtx files", "*.rtx"}, {"Rttl/Rtx file", "*.rtx"}},
    {FileKind::Event, {"Event files", "*.evt"}, {"Event file", "*.evt"}},
    {FileKind::Wave, {}, {"Wave file", "*.wav"}},
    {FileKind::Midi, {"MIDI files", "*.mid *.midi"}, {"MIDI file", "*.mid"}},
    {FileKind::IMelody, {"iMelody files", "*.imy"}, {"iMelody file", "*.imy"}},
}};

// The line of a MIDI file to open: the one line it has, or the one the user
// picks when it has several. Nothing when the file cannot be read (the
// error is shown) or the user cancels.
std::optional<MidiLineChoice> chooseMidiLine(EditorContext& ctx, const std::string& path,
                                             std::string_view bytes)
{
    const MidiLines found = ListMidiLines(bytes);
    if (!found.ok()) {
        ctx.platform.messages.showError("Cannot open \"" + path + "\": " + found.error);
        return std::nullopt;
    }
    const std::vector<MidiLine> melodies = MelodyLines(found.lines);
    if (melodies.size() < 2) return MidiLineChoice{};
    std::vector<std::string> items;
    int initial = 0;
    const MidiLine* preferred = DefaultMidiLine(melodies);
    for (const MidiLine& line : melodies) {
        if (&line == preferred) initial = static_cast<int>(items.size());
        items.push_back(DescribeMidiLine(line));
    }
    const std::optional<int> picked = ctx.platform.dialogs.runChoice(
        "Open MIDI file",
        "\"" + fileNamePart(path) + "\" holds " + std::to_string(melodies.size()) +
            " melody lines. Which one should be opened?",
        items, initial);
    if (!picked || *picked < 0 || *picked >= static_cast<int>(melodies.size())) return std::nullopt;
    const MidiLine& line = melodies[static_cast<std::size_t>(*picked)];
    return MidiLineChoice{line.track, line.channel};
}

// The reader of one kind, into a tune that the caller commits on success.
// A tone text that stops parsing part way keeps what was read before the
// line at fault: its error comes back as parseError.
FormatResult importInto(EditorContext& ctx, FileKind kind, std::string_view bytes, Tune& tune,
                        NoteLengthState& length, const MidiLineChoice& midiLine,
                        std::string& parseError)
{
    switch (kind) {
    case FileKind::Ringdata: {
        ToneTextResult r =
            LoadToneFile(tune, bytes, ctx.parserState, ctx.textConfig, ctx.noteNames);
        parseError = std::move(r.error);
        return {{}, std::move(r.warnings)};
    }
    default:
        return ImportExchange(
            kind, bytes, tune, length,
            {ctx.settings.styleMode, ctx.settings.keepNaturalNotes != 0, midiLine});
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
        // The renderer writes only playback's working fields.
        WaveFileResult r = renderWaveFile(ctx.document.editable(), ctx.textConfig,
                                          ctx.noteFrequencyHz, {ctx.settings.playPolitely != 0});
        if (!r.bytes) return {r.error, {}};
        bytes = std::move(*r.bytes);
        return {};
    }
    default: {
        ExportResult r = ExportExchange(kind, ctx.tune());
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
// opens it only when the reader succeeded. Reverting a MIDI file reads the
// line that was opened.
bool loadTune(EditorContext& ctx, const std::string& path, FileKind kind, bool clearFirst)
{
    const FileReadResult file = ctx.platform.files.read(path);
    if (!file.bytes) {
        ctx.platform.messages.showError(file.error.message);
        return false;
    }
    MidiLineChoice midiLine = ctx.midiLine;
    if (kind == FileKind::Midi && clearFirst) {
        const std::optional<MidiLineChoice> chosen = chooseMidiLine(ctx, path, *file.bytes);
        if (!chosen) return false;
        midiLine = *chosen;
    }
    auto next = std::make_unique<Tune>(ctx.tune());
    NoteLengthState length = ctx.noteLength;
    if (clearFirst) ClearTune(*next);
    std::string parseError;
    const FormatResult result =
        importInto(ctx, kind, *file.bytes, *next, length, midiLine, parseError);
    if (!result.ok()) {
        ctx.platform.messages.showError("Cannot open \"" + path + "\": " + result.error);
        return false;
    }
    if (kind == FileKind::Midi) ctx.midiLine = midiLine;
    if (clearFirst) ctx.settings.addDefaultParts = 0;
    ctx.noteLength = length;
    TuneOrigin origin;
    origin.filePath = path;
    origin.fileKind = kind;
    origin.sourceName = fileNamePart(path);
    openTune(ctx, *next, std::move(origin));
    if (!parseError.empty()) ctx.platform.messages.showError("\"" + path + "\": " + parseError);
    showWarnings(ctx, result.warnings, path);
    return true;
}

// A file name made of the tone name: what no file system takes becomes "_".
std::string fileNameOf(const std::string& toneName)
{
    std::string name;
    for (const char c : toneName) {
        const bool refused = static_cast<unsigned char>(c) < 0x20 ||
                             std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        name += refused ? '_' : c;
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
    while (!name.empty() && (name.front() == ' ' || name.front() == '.'))
        name.erase(name.begin());
    return name.empty() ? std::string("tune") : name;
}

// Asks before a file is replaced; a Ringdata.h of several tunes says how
// many it holds.
bool confirmReplace(EditorContext& ctx, const std::string& path)
{
    if (!ctx.platform.files.exists(path)) return true;
    std::string question = fileNamePart(path) + " already exists";
    if (fileKindOfName(fileNamePart(path)) == FileKind::Ringdata) {
        const FileReadResult existing = ctx.platform.files.read(path);
        const std::int32_t tunes = existing.bytes ? CountToneDefinitions(*existing.bytes) : 0;
        if (tunes > 1)
            question +=
                " and holds " + std::to_string(tunes) + " tunes; only this one would be left";
    }
    question += ". Replace it?";
    return ctx.platform.messages.show(question, "Save as", MessageButtons::YesNo) ==
           MessageAnswer::Yes;
}

// Writes and records where the tune now is. A WAV file cannot be read back,
// so what is unsaved stays unsaved.
bool writeAndRecord(EditorContext& ctx, const std::string& path, FileKind kind)
{
    if (!writeTuneFile(ctx, path, kind)) return false;
    TuneOrigin origin = ctx.document.origin();
    const bool sameFile = origin.filePath == path;
    origin.filePath = path;
    origin.fileKind = kind;
    if (kind == FileKind::Ringdata) origin.sourceName = fileNamePart(path);
    if (!sameFile) {
        origin.ringdataPath.clear();
        origin.catalogueEntry = 0;
    }
    if (kind == FileKind::Wave)
        ctx.document.setOrigin(std::move(origin));
    else
        ctx.document.markSaved(std::move(origin));
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

FileKind kindToOpen(const std::string& path, FileKind filterKind)
{
    const FileKind named = fileKindOfName(fileNamePart(path));
    return canOpen(named) ? named : filterKind;
}

FileKind kindToSave(const std::string& path, FileKind filterKind)
{
    const FileKind named = fileKindOfName(fileNamePart(path));
    return canSave(named) ? named : filterKind;
}

std::string saveAsStartPath(const EditorContext& ctx)
{
    const TuneOrigin& origin = ctx.document.origin();
    std::string last = origin.filePath;
    if (last.empty()) last = origin.ringdataPath;
    if (last.empty()) last = ctx.dialogPath;
    const std::filesystem::path folder = std::filesystem::path(last).parent_path();
    return (folder / fileNameOf(ctx.tune().toneName)).string();
}

bool openTuneFile(EditorContext& ctx, const std::string& path, FileKind kind)
{
    if (!canOpen(kind)) {
        ctx.platform.messages.showError("Cannot open \"" + path +
                                        "\": this kind of file cannot be read.");
        return false;
    }
    return loadTune(ctx, path, kind, true);
}

bool writeTuneFile(EditorContext& ctx, const std::string& path, FileKind kind)
{
    if (kind == FileKind::Ringdata) {
        const std::string unnamed = UnnamedNotesWarning(ctx.tune(), ctx.noteNames);
        if (!unnamed.empty() &&
            ctx.platform.messages.show("\"" + path + "\": " + unnamed, "Save",
                                       MessageButtons::OkCancel) != MessageAnswer::Ok)
            return false;
    }
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

bool confirmDiscard(EditorContext& ctx, std::string_view question, std::string_view title,
                    bool offerSave)
{
    if (!ctx.document.isModified()) return true;
    if (!offerSave)
        return ctx.platform.messages.show(question, title, MessageButtons::OkCancel) ==
               MessageAnswer::Ok;
    switch (ctx.platform.messages.show(question, title, MessageButtons::SaveDiscardCancel)) {
    case MessageAnswer::Save: return saveTune(ctx);
    case MessageAnswer::Discard: return true;
    default: return false;
    }
}

void openRingingToneCommand(EditorContext& ctx)
{
    if (!confirmDiscard(ctx, "Discard current tune?", "Open ringing tone")) return;
    const std::vector<FileKind> kinds = openableKinds();
    const auto choice = ctx.platform.fileDialogs.openFile(
        filtersOf(kinds, &FileKindInfo::openFilter), ctx.dialogPath);
    if (choice) {
        ctx.dialogPath = choice->path;
        // The old tune must not play on under the new one's play clock.
        stopSound(ctx);
        openTuneFile(ctx, choice->path,
                     kindToOpen(choice->path, kindOfChoice(kinds, choice->filterIndex)));
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

bool saveTune(EditorContext& ctx)
{
    const TuneOrigin& origin = ctx.document.origin();
    if (origin.filePath.empty()) return saveTuneAs(ctx);
    if (origin.fileKind == FileKind::None) return false;
    const std::string path = origin.filePath;
    return writeAndRecord(ctx, path, origin.fileKind);
}

bool saveTuneAs(EditorContext& ctx)
{
    if (ctx.tune().toneId.empty() && runSettingsDialog(ctx) != DialogResult::Ok) return false;
    const std::vector<FileKind> kinds = savableKinds();
    const auto choice = ctx.platform.fileDialogs.saveFile(
        filtersOf(kinds, &FileKindInfo::saveFilter), saveAsStartPath(ctx));
    if (!choice) return false;
    ctx.dialogPath = choice->path;
    const FileKind kind = kindToSave(choice->path, kindOfChoice(kinds, choice->filterIndex));
    std::string path = choice->path;
    appendExtension(path, fileKindExtension(kind));
    if (!confirmReplace(ctx, path)) return false;
    return writeAndRecord(ctx, path, kind);
}

void saveCommand(EditorContext& ctx)
{
    (void)saveTune(ctx);
}

void saveAsCommand(EditorContext& ctx)
{
    (void)saveTuneAs(ctx);
}

void revertCommand(EditorContext& ctx)
{
    const TuneOrigin origin = ctx.document.origin();
    if (origin.filePath.empty()) return;
    if (!confirmDiscard(ctx, "Discard changes?", "Revert", false)) return;
    if (origin.fileKind == FileKind::Wave) {
        ctx.platform.messages.show("Cannot load wav file.", "Kind of impossible",
                                   MessageButtons::Ok);
    } else if (canOpen(origin.fileKind)) {
        (void)loadTune(ctx, origin.filePath, origin.fileKind, false);
    }
}

} // namespace qte
