#pragma once
// Frequencies of the 128 pitches: a built-in table that midihz.ini can
// override entry by entry, and the whole-hertz values the synthesizer plays.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "io/files.h"

namespace qte {

constexpr int kPitchCount = 128;

// Hz by pitch 0..127.
using FrequencyTable = std::array<double, kPitchCount>;
// Whole Hz by pitch: the table entry rounded half up (noteFrequencyHz).
using NoteFrequencyTable = std::array<std::int32_t, kPitchCount>;

// A midihz.ini line is read as at most this many characters; the rest of a
// longer line is read as the next line.
constexpr std::size_t kFrequencyLineChars = 254;

// The editor's own tuning: 0 below pitch 13, 4187.01 Hz above 108.
[[nodiscard]] FrequencyTable DefaultFrequencyTable();

// Applies every "pitch,frequency" line of midihz.ini text to table. Lines
// that do not have that shape, and pitches outside 0..127, change nothing;
// a later line for the same pitch wins. Returns how many lines were applied.
int LoadFrequencyTable(FrequencyTable& table, std::string_view bytes);
// Text, not a file name (a string would otherwise also convert to a path).
inline int LoadFrequencyTable(FrequencyTable& table, const std::string& bytes)
{
    return LoadFrequencyTable(table, std::string_view(bytes));
}
inline int LoadFrequencyTable(FrequencyTable& table, const char* bytes)
{
    return LoadFrequencyTable(table, std::string_view(bytes));
}

struct FrequencyFileResult {
    int linesApplied = 0;
    std::optional<FileError> error; // the file could not be read; table unchanged
};

// The same from a file. A missing file is no fault of the user's: the
// caller keeps the defaults and need not report the error.
FrequencyFileResult LoadFrequencyTable(FrequencyTable& table, const std::filesystem::path& path);

// trunc(entry + 0.5) for every pitch. An entry that is not a number gives 0;
// entries beyond the 32-bit range are held at its ends.
[[nodiscard]] NoteFrequencyTable BuildNoteFrequencies(const FrequencyTable& table);

} // namespace qte
