#include "cli/tune_files.h"

#include "formats/file_kinds.h"
#include "io/file_store.h"
#include "io/files.h"
#include "sound/wave_file.h"
#include "tune/ringdata_edit.h"
#include "tune/ringdata_file.h"
#include "tune/tempo.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <utility>

namespace qte::cli {

namespace {

std::string quotedName(const std::filesystem::path& path)
{
    return "\"" + path.string() + "\"";
}

std::string withoutBrackets(std::string_view name)
{
    if (name.size() >= 2 && name.substr(name.size() - 2) == "[]") name.remove_suffix(2);
    return std::string(name);
}

// The 1-based catalogue entry the choice names, 0 when there is none.
int chosenEntry(const TuneCatalogue& catalogue, const TuneChoice& choice)
{
    if (choice.index)
        return *choice.index >= 1 && *choice.index <= catalogue.tuneCount ? *choice.index : 0;
    return FindDefinition(catalogue, *choice.name);
}

void takeLoaded(ReadTuneResult& result, const std::filesystem::path& path, ToneTextResult& loaded)
{
    for (std::string& w : loaded.warnings)
        result.warnings.push_back(std::move(w));
    if (!loaded.ok()) result.parseError = quotedName(path) + ": " + loaded.error;
}

// Tune n, known to exist, of the scanned Ringdata.h in bytes.
void loadEntry(ReadTuneResult& result, const std::filesystem::path& path, std::string_view bytes,
               const TuneCatalogue& catalogue, int n, const ToolConfig& config)
{
    ParserState state;
    result.tune = std::make_unique<Tune>();
    // The entry exists, so an error can only be the parser's.
    ToneTextResult loaded = LoadCatalogueTune(*result.tune, catalogue, n, bytes, state,
                                              config.textConfig, config.noteNames);
    takeLoaded(result, path, loaded);
}

// The bytes as one tone definition.
void loadToneFile(ReadTuneResult& result, const std::filesystem::path& path, std::string_view bytes,
                  const ToolConfig& config)
{
    ParserState state;
    result.tune = std::make_unique<Tune>();
    ToneTextResult loaded =
        LoadToneFile(*result.tune, bytes, state, config.textConfig, config.noteNames);
    takeLoaded(result, path, loaded);
}

void readToneText(ReadTuneResult& result, const std::filesystem::path& path, std::string_view bytes,
                  const TuneChoice& choice, const ToolConfig& config)
{
    auto catalogue = std::make_unique<TuneCatalogue>();
    ToneTextResult scan = ScanRingdataFile(bytes, *catalogue);
    if (!choice.made()) {
        if (catalogue->tuneCount > 1) {
            result.error =
                quotedName(path) + " holds " + std::to_string(catalogue->tuneCount) +
                " tunes; pick one with --tune NAME or --index N: " + CatalogueNames(*catalogue) +
                ".";
            return;
        }
        loadToneFile(result, path, bytes, config);
        return;
    }
    const int n = chosenEntry(*catalogue, choice);
    if (n == 0) {
        const std::string which = choice.index ? "number " + std::to_string(*choice.index)
                                               : "named \"" + *choice.name + "\"";
        result.error = quotedName(path) + " holds no tune " + which +
                       (catalogue->tuneCount > 0 ? "; it holds " + CatalogueNames(*catalogue)
                                                 : std::string("; it holds none")) +
                       ".";
        return;
    }
    result.warnings = std::move(scan.warnings);
    loadEntry(result, path, bytes, *catalogue, n, config);
}

} // namespace

std::string CatalogueNames(const TuneCatalogue& catalogue)
{
    std::string names;
    for (int i = 1; i <= catalogue.tuneCount; ++i) {
        if (i > 1) names += ", ";
        names += std::to_string(i) + " " + catalogue.entries[static_cast<std::size_t>(i)].name;
    }
    return names;
}

ToolConfig LoadToolConfig(const ConfigFolders& folders)
{
    ToolConfig config;
    DiskFileStore disk;
    const ConfigFileRead text = readConfigFile(disk, folders, "config.cfg");
    config.warnings =
        LoadTextConfig(config.textConfig, text.bytes ? std::string_view(*text.bytes) : "").warnings;
    if (text.error)
        config.warnings.push_back(text.error->message + ": the tone text uses built-in defaults");
    else if (text.missing())
        config.warnings.push_back(missingConfigMessage(folders));
    FrequencyTable table = DefaultFrequencyTable();
    // A missing midihz.ini keeps the built-in tuning, as in the editor.
    const ConfigFileRead frequencies = readConfigFile(disk, folders, "midihz.ini");
    if (frequencies.bytes) (void)LoadFrequencyTable(table, *frequencies.bytes);
    config.noteFrequencyHz = BuildNoteFrequencies(table);
    return config;
}

FileKind kindOfFile(const std::filesystem::path& path)
{
    return fileKindOfName(path.filename().string());
}

ReadTuneResult ReadTuneFile(const std::filesystem::path& path, const TuneChoice& choice,
                            const ToolConfig& config, const TuneOptions& options)
{
    ReadTuneResult result;
    const FileKind kind = kindOfFile(path);
    if (kind == FileKind::None || kind == FileKind::Wave) {
        result.error =
            quotedName(path) + ": tunetool reads .h, .ota, .rtx, .evt, .mid and .imy files.";
        return result;
    }
    if (choice.made() && kind != FileKind::Ringdata) {
        result.error = quotedName(path) + ": --tune and --index choose a tune of a .h file.";
        return result;
    }
    if (options.midiLine.made() && kind != FileKind::Midi) {
        result.error = quotedName(path) + ": --track and --channel choose a line of a .mid file.";
        return result;
    }
    const FileReadResult file = readWholeFile(path);
    if (!file.bytes) {
        result.error = file.error.message;
        return result;
    }
    const std::string_view bytes = *file.bytes;
    if (kind == FileKind::Ringdata) {
        readToneText(result, path, bytes, choice, config);
        return result;
    }

    auto tune = std::make_unique<Tune>();
    NoteLengthState length;
    FormatResult imported =
        ImportExchange(kind, bytes, *tune, length,
                       {options.styleMode, options.keepNaturalNotes, options.midiLine});
    result.warnings = std::move(imported.warnings);
    if (!imported.ok()) {
        result.error = quotedName(path) + ": " + imported.error;
        return result;
    }
    result.tune = std::move(tune);
    return result;
}

std::vector<std::string>
ForEachTune(const std::filesystem::path& path, const ToolConfig& config, const TuneOptions& options,
            const std::function<void(const std::string& name, ReadTuneResult& read)>& take)
{
    const std::string stem = path.stem().string();
    if (kindOfFile(path) != FileKind::Ringdata) {
        ReadTuneResult read = ReadTuneFile(path, {}, config, options);
        take(stem, read);
        return {};
    }
    const FileReadResult file = readWholeFile(path);
    if (!file.bytes) {
        ReadTuneResult read;
        read.error = file.error.message;
        take(stem, read);
        return {};
    }
    auto catalogue = std::make_unique<TuneCatalogue>();
    ToneTextResult scan = ScanRingdataFile(*file.bytes, *catalogue);
    if (catalogue->tuneCount <= 1) {
        ReadTuneResult read;
        loadToneFile(read, path, *file.bytes, config);
        take(stem, read);
        return {};
    }
    for (int n = 1; n <= catalogue->tuneCount; ++n) {
        ReadTuneResult read;
        loadEntry(read, path, *file.bytes, *catalogue, n, config);
        take(withoutBrackets(catalogue->entries[static_cast<std::size_t>(n)].name), read);
    }
    return std::move(scan.warnings);
}

GeneratedToneText ToneTextOf(Tune& tune, const ToolConfig& config, const TuneOptions& options)
{
    return GenerateToneText(tune, config.textConfig, config.noteNames,
                            {options.writeTempo, options.addDefaultParts});
}

TuneBytesResult TuneFileBytes(Tune& tune, FileKind kind, const ToolConfig& config,
                              const TuneOptions& options)
{
    TuneBytesResult result;
    auto take = [&result](ExportResult r) {
        result.warnings = std::move(r.warnings);
        if (r.ok())
            result.bytes = std::move(r.bytes);
        else
            result.error = std::move(r.error);
    };
    switch (kind) {
    case FileKind::Ringdata: {
        GeneratedToneText generated = ToneTextOf(tune, config, options);
        result.warnings = std::move(generated.warnings);
        // Written all the same: the caller says so, and the notes show as
        // unknown names in the text.
        if (std::string unnamed = UnnamedNotesWarning(tune, config.noteNames); !unnamed.empty())
            result.warnings.push_back(std::move(unnamed));
        result.error = ToneTextSaveError(generated.text);
        if (result.error.empty()) result.bytes = ToneTextBytes(generated.text);
        break;
    }
    case FileKind::Ota:
    case FileKind::Rtx:
    case FileKind::Event:
    case FileKind::Midi:
    case FileKind::IMelody: take(ExportExchange(kind, tune)); break;
    case FileKind::Wave: {
        WaveFileResult r =
            renderWaveFile(tune, config.textConfig, config.noteFrequencyHz, {options.playPolitely});
        result.bytes = std::move(r.bytes);
        result.error = std::move(r.error);
        break;
    }
    case FileKind::None:
        result.error = "tunetool writes .h, .ota, .rtx, .evt, .wav, .mid and .imy files.";
        break;
    }
    return result;
}

} // namespace qte::cli
