#pragma once
// Firmware headers of ring tones: the catalogue of the tone definitions in a
// Ringdata.h, loading one of them, opening and saving a single-tone file.
// Every reader takes the file's bytes; the path overloads read or write the
// file and report a file that cannot be used by name and reason.

#include <array>
#include <concepts>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "config/text_config.h"
#include "tune/tone_parser.h"
#include "tune/tone_text.h"
#include "tune/tune.h"

namespace qte {

// The path overloads take a std::filesystem::path only, so that a string
// argument always means the file's bytes.
template <class P>
concept FilePath = std::same_as<P, std::filesystem::path>;

constexpr int kCatalogueSlots = 1000;
constexpr int kMaxCatalogueTunes = kCatalogueSlots - 1;
// The files are read in lines of at most 254 characters, line end included;
// a longer line is read as several.
constexpr std::size_t kRingdataLineChars = 254;

struct CatalogueEntry {
    std::int32_t firstLine = 0; // 1-based: the line that ends with "{"
    std::int32_t lastLine = 0;  // the line that begins with "};", or the file's last line
    std::string name;           // the array name as the file spells it
};

// Entries 1..tuneCount; entry 0 is unused.
struct TuneCatalogue {
    std::array<CatalogueEntry, kCatalogueSlots> entries{};
    std::int32_t tuneCount = 0;
};

// Fills the catalogue from a Ringdata.h. A definition without its "};" runs
// to the last line of the file (with a warning).
[[nodiscard]] ToneTextResult ScanRingdataFile(std::string_view bytes, TuneCatalogue& catalogue);
// Leaves the catalogue unchanged when the file cannot be read.
[[nodiscard]] ToneTextResult ScanRingdataPath(const std::filesystem::path& path,
                                              TuneCatalogue& catalogue);
template <FilePath P>
[[nodiscard]] ToneTextResult ScanRingdataFile(const P& path, TuneCatalogue& catalogue)
{
    return ScanRingdataPath(path, catalogue);
}

// The stored lines of catalogue entry n: the lines after its "{" line up to
// and including its "};" line, all inside the body.
[[nodiscard]] ToneTextResult ReadCatalogueLines(std::string_view bytes, const CatalogueEntry& entry,
                                                SourceLines& lines);

// The stored lines of a single-tone file, with the last "{" and "};" lines as
// the body's bounds.
[[nodiscard]] ToneTextResult ReadToneFileLines(std::string_view bytes, SourceLines& lines);

// Replaces the tune by catalogue entry n (1-based) of the Ringdata.h whose
// bytes are given: a cleared tune, the entry's lines parsed, the name and ID
// read back from the lines before its body (RecoverHeaderNames). An entry
// the file does not hold leaves the tune unchanged and returns the error; a
// parse that stops early keeps what it read and returns its error.
[[nodiscard]] ToneTextResult LoadCatalogueTune(Tune& tune, const TuneCatalogue& catalogue, int n,
                                               std::string_view ringdataBytes, ParserState& state,
                                               const TextConfig& config,
                                               const NoteNameTable& names);
[[nodiscard]] ToneTextResult LoadCatalogueTunePath(Tune& tune, const TuneCatalogue& catalogue,
                                                   int n, const std::filesystem::path& ringdataPath,
                                                   ParserState& state, const TextConfig& config,
                                                   const NoteNameTable& names);
template <FilePath P>
[[nodiscard]] ToneTextResult LoadCatalogueTune(Tune& tune, const TuneCatalogue& catalogue, int n,
                                               const P& ringdataPath, ParserState& state,
                                               const TextConfig& config, const NoteNameTable& names)
{
    return LoadCatalogueTunePath(tune, catalogue, n, ringdataPath, state, config, names);
}

// Replaces the tune by the single tone definition in the bytes, starting
// from a cleared tune, with the name and ID read back as for a catalogue
// entry.
[[nodiscard]] ToneTextResult LoadToneFile(Tune& tune, std::string_view bytes, ParserState& state,
                                          const TextConfig& config, const NoteNameTable& names);
// Leaves the tune unchanged when the file cannot be read.
[[nodiscard]] ToneTextResult LoadToneFilePath(Tune& tune, const std::filesystem::path& path,
                                              ParserState& state, const TextConfig& config,
                                              const NoteNameTable& names);
template <FilePath P>
[[nodiscard]] ToneTextResult LoadToneFile(Tune& tune, const P& path, ParserState& state,
                                          const TextConfig& config, const NoteNameTable& names)
{
    return LoadToneFilePath(tune, path, state, config, names);
}

// The bytes of a tone file: every line of the text unchanged, in order.
[[nodiscard]] std::string ToneTextBytes(const ToneText& text);

// Why the text cannot be saved as a tone file (empty, or cut short by the
// generator); empty when it can.
[[nodiscard]] std::string ToneTextSaveError(const ToneText& text);

// The number of tone definitions in a file (lines ending in "{"), for
// saying what replacing it would lose.
[[nodiscard]] std::int32_t CountToneDefinitions(std::string_view bytes);

// Writes the tone text atomically; an empty text writes nothing and is
// reported.
[[nodiscard]] ToneTextResult SaveToneText(const std::filesystem::path& path, const ToneText& text);

} // namespace qte
