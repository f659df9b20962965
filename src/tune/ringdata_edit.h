#pragma once
// A Ringdata.h as a workspace: a tune written back into one of its tone
// definitions, added as a new one, or a definition taken out, with every
// other byte of the file kept, line ends included. The edits are pure: the
// file's bytes and their scan go in, the new bytes come out.
// ApplyRingdataEdit reads the file, checks it against what was scanned,
// runs an edit and writes the result atomically.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/text_config.h"
#include "io/file_store.h"
#include "io/files.h"
#include "tune/ringdata_file.h"
#include "tune/tone_generator.h"
#include "tune/tune.h"

namespace qte {

// What the readers take of a definition: its lines after the "{" line, up
// to and including the "};" line.
constexpr int kMaxDefinitionLines = kMaxSourceLines;

// Whether two definition names are the same, each with or without its "[]".
[[nodiscard]] bool SameDefinitionName(std::string_view a, std::string_view b);
// The first catalogue entry (1-based) of that name; 0 when there is none.
[[nodiscard]] int FindDefinition(const TuneCatalogue& catalogue, std::string_view name);

// A tone definition ready to go into a Ringdata.h.
struct DefinitionText {
    std::string text;                  // whole lines, each ending in "\n"
    std::string name;                  // as the catalogue lists it
    std::int32_t lineCount = 0;        // lines of text
    std::int32_t openLine = 0;         // 1-based: its "{" line within text
    std::string error;                 // why it cannot go into a file; empty when it can
    std::vector<std::string> warnings; // what the generator cut
    [[nodiscard]] bool ok() const { return error.empty(); }
};

// Checks a tone text as a definition: it must read back as exactly one
// definition with its "};" line, and the readers must hold its lines. With
// a name, that name (with the "[]" the text gives its own name) is written
// where the catalogue reads the name; without one, the text keeps its own.
[[nodiscard]] DefinitionText DefinitionFromText(std::string text, std::string_view name = {});

// The tune's tone text as a definition. config is config.cfg as read: its
// header placeholders are filled in here from the tune's name and ID.
[[nodiscard]] DefinitionText DefinitionTextOf(const Tune& tune, const TextConfig& config,
                                              const NoteNameTable& names,
                                              const ToneTextOptions& options,
                                              std::string_view name = {});

enum class DefinitionAction {
    Replaced, // a definition's lines gave way to new ones
    Appended, // a new definition after the last one
    Removed,  // a definition's lines (and a blank line beside them) taken out
};

struct RingdataEdit {
    std::optional<std::string> bytes; // the whole new file; nothing when refused
    std::string error;                // why nothing was done, to follow "Cannot ... \"file\": "
    DefinitionAction action = DefinitionAction::Replaced;
    std::string name; // the definition, as the catalogue lists it
    // Its lines, from the first of its header to the last of its footer: in
    // the new file; for a removal, the lines it had.
    std::int32_t firstLine = 0;
    std::int32_t lastLine = 0;
    // For a replacement, the lines it had before.
    std::int32_t oldFirstLine = 0;
    std::int32_t oldLastLine = 0;
    std::vector<std::string> warnings; // what the generator cut
    [[nodiscard]] bool ok() const { return bytes.has_value(); }
};

// "replaced tone_chime[]: lines 25-41 (were 25-37)", "appended ...: lines
// 80-92", "removed ...: lines 25-37".
[[nodiscard]] std::string DescribeEdit(const RingdataEdit& edit);

// The edits on the bytes of a Ringdata.h and its scan (ScanRingdataFile of
// the same bytes). They take the bytes by value and change them in place,
// so that a caller done with them (std::move) spares a copy of the file. A definition's lines run
// from the first line of its header, when the lines above its "{" line are what config.cfg's header
// writes (placeholders standing for any text), or else from the line the
// catalogue reads its name from, down to its "};" line and the footer lines
// config.cfg writes after that. New lines take the file's line end (that of
// its first line), and a file whose last line has no line end keeps it so.
// config is config.cfg as read, placeholders and all.

// Definition n (1-based) replaced by text; refused when text names another
// definition of the file.
[[nodiscard]] RingdataEdit ReplaceDefinition(std::string bytes, const TuneCatalogue& catalogue,
                                             int n, const DefinitionText& text,
                                             const TextConfig& config);
// text as a new definition after the last one: before a final "#endif" and
// what follows it when the file ends with one, else before the blank lines
// that end the file; a blank line separates it from what stands before.
// Refused when its name is taken or the file holds as many definitions as a
// catalogue lists.
[[nodiscard]] RingdataEdit AppendDefinition(std::string bytes, const TuneCatalogue& catalogue,
                                            const DefinitionText& text);
// Definition n taken out, with the blank line before it (or, when there is
// none, the one after it).
[[nodiscard]] RingdataEdit RemoveDefinition(std::string bytes, const TuneCatalogue& catalogue,
                                            int n, const TextConfig& config);

// The editor's Save of a tune loaded from definition n: the tune goes back
// into it under the definition's own name.
[[nodiscard]] RingdataEdit SaveTuneInDefinition(std::string bytes, const TuneCatalogue& catalogue,
                                                int n, const Tune& tune, const TextConfig& config,
                                                const NoteNameTable& names,
                                                const ToneTextOptions& options);
// "Add to Ringdata.h": the tune appended under the name config.cfg's header
// gives it.
[[nodiscard]] RingdataEdit AddTuneAsDefinition(std::string bytes, const TuneCatalogue& catalogue,
                                               const Tune& tune, const TextConfig& config,
                                               const NoteNameTable& names,
                                               const ToneTextOptions& options);
// The tune as the definition called name (empty: the name config.cfg's
// header gives it): that definition replaced in place, or appended when the
// file has none of that name.
[[nodiscard]] RingdataEdit PutTuneInRingdata(std::string bytes, const TuneCatalogue& catalogue,
                                             const Tune& tune, const TextConfig& config,
                                             const NoteNameTable& names,
                                             const ToneTextOptions& options,
                                             std::string_view name = {});

// What was scanned, to tell later whether the file is still that one.
struct ScannedFile {
    std::uintmax_t size = 0;
    std::uint64_t hash = 0;
    std::optional<FileStamp> stamp; // the file system's, when it had one
};

[[nodiscard]] std::uint64_t HashBytes(std::string_view bytes);
[[nodiscard]] ScannedFile FingerprintOf(std::string_view bytes,
                                        const std::optional<FileStamp>& stamp);
// Whether bytes and stamp (taken before they were read) are the file that
// was scanned: same size, same hash, same modification time.
[[nodiscard]] bool StillAsScanned(const ScannedFile& scanned, std::string_view bytes,
                                  const std::optional<FileStamp>& stamp);

enum class EditOutcome {
    Written,       // the new bytes are in the file
    CannotRead,    // the file could not be read
    ChangedOnDisk, // the file is not the one scanned; nothing was written
    Refused,       // the edit was refused; nothing was written
    CannotWrite,   // the write failed; the file is as it was
};

struct AppliedEdit {
    EditOutcome outcome = EditOutcome::CannotRead;
    RingdataEdit edit;   // what was done, or why not
    std::string message; // a sentence naming the file, for every outcome but Written
    ScannedFile written; // Written: the fingerprint of the new file
};

// Reads path from the store, checks it against scanned (when given), runs
// edit on its bytes and writes the result through the store (atomically).
// Modification times are the store's.
[[nodiscard]] AppliedEdit
ApplyRingdataEdit(FileStore& store, const std::filesystem::path& path, const ScannedFile* scanned,
                  const std::function<RingdataEdit(std::string bytes)>& edit);

} // namespace qte
