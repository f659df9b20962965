#pragma once
// Reads the firmware tone text of one ringing tone back into the tune, and
// derives the polite section and the FREQ_DEFINE values from its texts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/scan.h"
#include "config/text_config.h"
#include "tune/tune.h"

namespace qte {

constexpr int kMaxSourceLines = 1000;
constexpr std::size_t kMaxSourceLineChars = 129; // without the line end
constexpr std::int32_t kDefaultNoteTimeMs = 300;

// The lines of one tone definition as a loader stored them.
struct SourceLines {
    std::vector<std::string> sourceLines; // line k (1-based) is sourceLines[k - 1]
    // Only lines strictly between these two (1-based) become free texts.
    std::int32_t bodyOpenLine = 0;
    std::int32_t bodyCloseLine = 0;
    // File line number of the line before stored line 1, so that messages
    // name the line of the file.
    std::int32_t firstLineOffset = 0;

    [[nodiscard]] std::int32_t sourceLineCount() const
    {
        return static_cast<std::int32_t>(sourceLines.size());
    }
};

// Kept for the whole run: a NOTE_TIME define changes it for later parses.
struct ParserState {
    std::int32_t noteTimeMs = kDefaultNoteTimeMs;
};

// What a read tells its caller. error is empty on success; warnings are
// sentences for the user. A read that stops early still leaves what it read.
struct ToneTextResult {
    std::string error;
    std::vector<std::string> warnings;

    [[nodiscard]] bool ok() const { return error.empty(); }
};

// Replaces the tune's items and tempo by those read from the source lines
// (the last stored line, normally "};", is never read). toneName, toneId
// and, once a note is read, noteNameSet stay. On a line the parser cannot
// read it stops there, keeps the items read before, finalizes them like a
// complete tune and returns the error naming the line.
[[nodiscard]] ToneTextResult ParseToneText(Tune& tune, const SourceLines& source,
                                           ParserState& state, const TextConfig& config,
                                           const NoteNameTable& names);

// The first prefix the token begins with, 0 when none does.
[[nodiscard]] std::int32_t FindNoteNameSet(std::string_view token, const TextConfig& config);

struct ToneNameClass {
    enum class Kind { Unrecognised, Pause, Note };
    Kind kind = Kind::Unrecognised;
    NoteKind noteKind = NoteKind::Normal;
    std::int32_t pitch = 0;
    // Unrecognised because it is a number no pitch can hold.
    bool numberTooLarge = false;
};

// The first argument of a TONE line. A number v names FREQ_DEFINE value v,
// pitch 71 + v, whatever the table holds, so that the text reads back as
// written; a number beyond 32 bits, or whose pitch is, is unrecognised.
// While the tune has no note yet it also chooses tune.noteNameSet from the
// token.
[[nodiscard]] ToneNameClass ClassifyToneName(std::string_view token, Tune& tune,
                                             const TextConfig& config, const NoteNameTable& names);

// The typical note length in ms: the smallest length that at least half of
// the first 50 notes do not exceed. 0 for a tune without notes; 32000 when
// the lengths below 32000 ms are too few to reach half.
[[nodiscard]] std::int32_t EstimateBaseLength(const Tune& tune);

// Recomputes the FreqDefineTable and the polite section from the texts and
// keeps Special and FreqDefine pitches within their tables.
void ScanTexts(Tune& tune, const TextConfig& config);

// Reads the "(value)" groups of a space-free FREQ_DEFINE text into table,
// from entry 0; returns how many groups counted.
std::int32_t ReadFreqDefineGroups(std::string_view spaceFreeText, FreqDefineTable& table);

// Removes every space (code 32); tabs and line ends stay.
void RemoveSpaces(std::string& text);
void TrimLeadingSpaces(std::string& text);

} // namespace qte
