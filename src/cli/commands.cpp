#include "cli/commands.h"

#include "formats/file_kinds.h"
#include "io/file_store.h"
#include "io/files.h"
#include "tune/ringdata_edit.h"
#include "tune/ringdata_file.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <memory>
#include <new>
#include <set>
#include <system_error>

namespace qte::cli {

namespace {

// about names the tune when a command handles several.
void printWarnings(const std::vector<std::string>& warnings, std::ostream& err,
                   const std::string& about = {})
{
    for (const std::string& w : warnings)
        err << "warning: " << (about.empty() ? "" : about + ": ") << w << "\n";
}

int fail(std::ostream& err, const std::string& message)
{
    err << "error: " << message << "\n";
    return 1;
}

// The commands run inside this, so that an allocation failure or any other
// exception ends as a message and status 1, also when they are called from
// another program.
template <class F> int guarded(std::ostream& err, F&& command)
{
    try {
        return command();
    } catch (const std::bad_alloc&) {
        return fail(err, "out of memory.");
    } catch (const std::exception& e) {
        return fail(err, e.what());
    } catch (...) {
        return fail(err, "unexpected failure.");
    }
}

ToolConfig loadConfig(const CommandOptions& options, std::ostream& err)
{
    // --config names the one folder; otherwise the current directory comes
    // first, as the editor's start directory does.
    const ConfigFolders folders =
        options.configFolder.empty()
            ? ConfigFolders{std::filesystem::current_path(), options.dataFolder}
            : ConfigFolders{options.configFolder, {}};
    ToolConfig config = LoadToolConfig(folders);
    // The reader's warnings name config.cfg themselves.
    printWarnings(config.warnings, err);
    return config;
}

// Reads the tune of file; prints its warnings, and the error when there is
// no tune.
ReadTuneResult readTune(const std::filesystem::path& file, const CommandOptions& options,
                        const ToolConfig& config, std::ostream& err)
{
    ReadTuneResult read = ReadTuneFile(file, options.choice, config, options.tune);
    printWarnings(read.warnings, err);
    if (!read.tune) (void)fail(err, read.error);
    return read;
}

} // namespace

int runList(const std::filesystem::path& file, std::ostream& out, std::ostream& err)
{
    return guarded(err, [&] {
        auto catalogue = std::make_unique<TuneCatalogue>();
        const ToneTextResult r = ScanRingdataFile(file, *catalogue);
        printWarnings(r.warnings, err);
        if (!r.ok()) return fail(err, r.error);
        if (catalogue->tuneCount == 0) {
            err << "\"" << file.string() << "\" holds no tone definitions.\n";
            return 0;
        }
        std::size_t nameWidth = 0;
        for (int i = 1; i <= catalogue->tuneCount; ++i) {
            nameWidth =
                std::max(nameWidth, catalogue->entries[static_cast<std::size_t>(i)].name.size());
        }
        const std::size_t indexWidth = std::to_string(catalogue->tuneCount).size();
        for (int i = 1; i <= catalogue->tuneCount; ++i) {
            const CatalogueEntry& e = catalogue->entries[static_cast<std::size_t>(i)];
            const std::string index = std::to_string(i);
            out << std::string(indexWidth - index.size(), ' ') << index << "  " << e.name
                << std::string(nameWidth - e.name.size(), ' ') << "  lines " << e.firstLine << "-"
                << e.lastLine << "\n";
        }
        return 0;
    });
}

int runText(const std::filesystem::path& file, const CommandOptions& options, std::ostream& out,
            std::ostream& err)
{
    return guarded(err, [&] {
        const ToolConfig config = loadConfig(options, err);
        const ReadTuneResult read = readTune(file, options, config, err);
        if (!read.tune) return 1;
        const GeneratedToneText generated = ToneTextOf(*read.tune, config, options.tune);
        printWarnings(generated.warnings, err);
        out << ToneTextBytes(generated.text);
        return read.parseError.empty() ? 0 : fail(err, read.parseError);
    });
}

int runInfo(const std::filesystem::path& file, const CommandOptions& options, std::ostream& out,
            std::ostream& err)
{
    return guarded(err, [&] {
        const ToolConfig config = loadConfig(options, err);
        const ReadTuneResult read = readTune(file, options, config, err);
        if (!read.tune) return 1;
        Tune& tune = *read.tune;
        // The generator works out how far markers and texts reach past the
        // last note; what it says about the text is no matter here.
        (void)ToneTextOf(tune, config, options.tune);
        const std::int32_t lengthMs = tune.lastNoteEndMs() + std::max(0, tune.tailMs);
        out << "name:    " << tune.toneName << "\n"
            << "ID:      " << tune.toneId << "\n"
            << "tempo:   " << tune.tempoBpm << " bpm\n"
            << "notes:   " << tune.noteCount << "\n"
            << "vibras:  " << tune.vibraCount << "\n"
            << "repeats: " << tune.repeatCount << "\n"
            << "texts:   " << tune.textCount << "\n"
            << "length:  " << lengthMs << " ms\n";
        return read.parseError.empty() ? 0 : fail(err, read.parseError);
    });
}

namespace {

// Writes the tune as kind to out, atomically; false after printing why not.
bool writeTune(Tune& tune, FileKind kind, const std::filesystem::path& out,
               const ToolConfig& config, const TuneOptions& options, std::ostream& err,
               const std::string& about = {})
{
    TuneBytesResult bytes = TuneFileBytes(tune, kind, config, options);
    printWarnings(bytes.warnings, err, about);
    if (!bytes.bytes) {
        (void)fail(err, "Cannot save \"" + out.string() + "\": " + bytes.error);
        return false;
    }
    if (const auto error = writeFileAtomically(out, *bytes.bytes)) {
        std::error_code ec;
        const bool kept = std::filesystem::is_regular_file(out, ec);
        (void)fail(err, error->message + (kept ? " (the old file is unchanged)" : ""));
        return false;
    }
    return true;
}

std::string unwritableKind(const std::string& what)
{
    return what + ": tunetool writes .h, .ota, .rtx, .evt, .wav, .mid and .imy files.";
}

// A file name made of the tune's name: letters, digits, '_', '-' and '.'
// kept, anything else '_'; numbered when an earlier tune took it.
std::string exportFileName(const std::string& name, FileKind kind, std::set<std::string>& taken)
{
    std::string base;
    for (const char c : name) {
        const bool plain =
            std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.';
        base += plain ? c : '_';
    }
    if (base.empty() || base.front() == '.') base = "tune" + base;
    std::string file = base + fileKindExtension(kind);
    for (int n = 2; !taken.insert(file).second; ++n)
        file = base + "-" + std::to_string(n) + fileKindExtension(kind);
    return file;
}

} // namespace

int runConvert(const std::filesystem::path& in, const std::filesystem::path& out,
               const CommandOptions& options, std::ostream& err)
{
    return guarded(err, [&] {
        const FileKind outKind = kindOfFile(out);
        if (outKind == FileKind::None) return fail(err, unwritableKind("\"" + out.string() + "\""));
        const ToolConfig config = loadConfig(options, err);
        const ReadTuneResult read = readTune(in, options, config, err);
        if (!read.tune) return 1;
        if (!read.parseError.empty()) return fail(err, read.parseError + " Nothing was written.");
        return writeTune(*read.tune, outKind, out, config, options.tune, err) ? 0 : 1;
    });
}

int runExport(const std::vector<std::filesystem::path>& files, const std::filesystem::path& folder,
              const std::string& kindName, const CommandOptions& options, std::ostream& out,
              std::ostream& err)
{
    return guarded(err, [&] {
        const std::string extension = kindName.starts_with('.') ? kindName : "." + kindName;
        const FileKind kind = fileKindOfName(extension);
        if (kind == FileKind::None) return fail(err, unwritableKind("\"" + kindName + "\""));
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec || !std::filesystem::is_directory(folder, ec)) {
            return fail(err, "Cannot make the folder \"" + folder.string() +
                                 "\": " + (ec ? ec.message() : "a file has that name") + ".");
        }
        const ToolConfig config = loadConfig(options, err);
        std::set<std::string> taken;
        int written = 0;
        int failed = 0;
        for (const std::filesystem::path& file : files) {
            const auto fileWarnings = ForEachTune(
                file, config, options.tune, [&](const std::string& name, ReadTuneResult& read) {
                    printWarnings(read.warnings, err, name);
                    if (!read.tune) {
                        ++failed;
                        (void)fail(err, read.error);
                        return;
                    }
                    if (!read.parseError.empty()) {
                        ++failed;
                        (void)fail(err, read.parseError + " " + name + " was not written.");
                        return;
                    }
                    const std::filesystem::path target = folder / exportFileName(name, kind, taken);
                    if (!writeTune(*read.tune, kind, target, config, options.tune, err, name)) {
                        ++failed;
                        return;
                    }
                    ++written;
                    out << file.string() << ": " << name << " -> " << target.string() << "\n";
                });
            printWarnings(fileWarnings, err, file.string());
        }
        if (failed > 0) {
            return fail(err, std::to_string(failed) + " of " + std::to_string(failed + written) +
                                 " tunes were not written.");
        }
        return 0;
    });
}

namespace {

// Edits the Ringdata.h target through edit (given its bytes and their scan),
// printing what was done.
int editRingdata(const std::filesystem::path& target, std::ostream& out, std::ostream& err,
                 const std::function<RingdataEdit(std::string, const TuneCatalogue&)>& edit)
{
    if (kindOfFile(target) != FileKind::Ringdata)
        return fail(err, "\"" + target.string() + "\": put and remove change .h files only.");
    DiskFileStore disk;
    auto catalogue = std::make_unique<TuneCatalogue>();
    const AppliedEdit applied = ApplyRingdataEdit(disk, target, nullptr, [&](std::string bytes) {
        printWarnings(ScanRingdataFile(bytes, *catalogue).warnings, err, target.string());
        return edit(std::move(bytes), *catalogue);
    });
    printWarnings(applied.edit.warnings, err);
    if (applied.outcome != EditOutcome::Written) return fail(err, applied.message);
    out << DescribeEdit(applied.edit) << "\n";
    return 0;
}

} // namespace

int runPut(const std::filesystem::path& target, const std::filesystem::path& source,
           const std::string& asName, const CommandOptions& options, std::ostream& out,
           std::ostream& err)
{
    return guarded(err, [&] {
        const ToolConfig config = loadConfig(options, err);
        const ReadTuneResult read = readTune(source, options, config, err);
        if (!read.tune) return 1;
        if (!read.parseError.empty()) return fail(err, read.parseError + " Nothing was written.");
        const ToneTextOptions text{options.tune.writeTempo, options.tune.addDefaultParts};
        return editRingdata(
            target, out, err, [&](std::string bytes, const TuneCatalogue& catalogue) {
                return PutTuneInRingdata(std::move(bytes), catalogue, *read.tune, config.textConfig,
                                         config.noteNames, text, asName);
            });
    });
}

int runRemove(const std::filesystem::path& target, const std::string& name,
              const CommandOptions& options, std::ostream& out, std::ostream& err)
{
    return guarded(err, [&] {
        const ToolConfig config = loadConfig(options, err);
        return editRingdata(
            target, out, err, [&](std::string bytes, const TuneCatalogue& catalogue) {
                const int n = FindDefinition(catalogue, name);
                if (n == 0) {
                    RingdataEdit none;
                    none.error =
                        "it holds no tune named \"" + name + "\"" +
                        (catalogue.tuneCount > 0 ? "; it holds " + CatalogueNames(catalogue)
                                                 : std::string("; it holds none")) +
                        ".";
                    return none;
                }
                return RemoveDefinition(std::move(bytes), catalogue, n, config.textConfig);
            });
    });
}

} // namespace qte::cli
