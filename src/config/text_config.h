#pragma once
// The shape of the generated tone text, read from config.cfg, and the fixed
// note names.

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace qte {

constexpr int kMaxPrefixes = 20;
constexpr int kMaxHeaderLines = 20;
constexpr int kMaxFooterLines = 10;
constexpr int kMaxDefaultLines = 15;
constexpr int kMaxCustomNotes = 30;

constexpr std::size_t kMaxPrefixChars = 99;
constexpr std::size_t kMaxMarkerChars = 48;
constexpr std::size_t kMaxHeaderChars = 254;
constexpr std::size_t kMaxFooterChars = 99;
constexpr std::size_t kMaxDefaultChars = 99;
constexpr std::size_t kMaxCustomNameChars = 49;

// Block counts and customNoteCount are -1 while their block was never
// opened; any count below 1 means an empty block.
struct TextConfig {
    std::array<std::string, kMaxPrefixes> noteNamePrefix{};
    std::int32_t noteNamePrefixCount = 0;

    std::string vibraOnText;
    std::string vibraOffText;
    std::string repeatOpenText;
    std::string repeatCloseText;
    std::string politeMarkerText;

    std::array<std::string, kMaxHeaderLines> headerLines{};
    std::int32_t headerLineCount = -1;
    std::array<std::string, kMaxFooterLines> footerLines{};
    std::int32_t footerLineCount = -1;
    std::array<std::string, kMaxDefaultLines> defaultStartLines{};
    std::int32_t defaultStartLineCount = -1;
    std::array<std::string, kMaxDefaultLines> defaultEndLines{};
    std::int32_t defaultEndLineCount = -1;

    std::array<std::int32_t, kMaxCustomNotes> customNoteFreq{};
    std::array<std::string, kMaxCustomNotes> customNoteName{};
    std::int32_t customNoteCount = -1;
};

// Pitch (0..127) to the identifier of a Normal note, comma included.
using NoteNameTable = std::array<std::string, 128>;

[[nodiscard]] NoteNameTable BuildNoteNameTable();

// What a read of config.cfg dropped, as sentences for the user; the file
// format itself has no errors.
struct TextConfigResult {
    std::vector<std::string> warnings;
};

// Reads config.cfg's bytes into config: the block counts restart at -1; the
// prefixes, single-line texts and custom notes change only as far as the
// file supplies them. Line ends may be LF or CR LF.
TextConfigResult LoadTextConfig(TextConfig& config, std::string_view bytes);
// A file that cannot be read is not reported: the counts are reset and the
// rest stays.
TextConfigResult LoadTextConfigFile(TextConfig& config, const std::filesystem::path& path);

// Replaces the placeholders of the header lines: "*ID*" by the ID, "*Name*"
// by the name, "*name*" and "*NAME*" by the name in lower or upper case.
void SubstituteHeaderPlaceholders(TextConfig& config, std::string_view toneName,
                                  std::string_view toneId);
// The same for one line, cut to what a header line holds.
[[nodiscard]] std::string SubstitutePlaceholders(std::string_view line, std::string_view toneName,
                                                 std::string_view toneId);

// The tone name and ID a definition was written with, read back from its
// own lines (the ones up to its "{" line) by matching them against the
// header lines of config.cfg as the file has them, placeholders and all.
// A run of spaces in a header line matches any run, or none; a matched line
// may end in the "{" that opens the body. toneName comes from "*Name*",
// else from "*name*" or "*NAME*"; each is empty when no line gave it.
struct HeaderNames {
    std::string toneName;
    std::string toneId;
};
[[nodiscard]] HeaderNames RecoverHeaderNames(const TextConfig& config,
                                             const std::vector<std::string_view>& lines);

} // namespace qte
