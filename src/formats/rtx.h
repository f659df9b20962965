#pragma once
// RTTTL/RTX ringing tones (*.rtx): one line "name:d=4,o=5,b=160:" followed by
// comma-separated elements such as "8c#.6" or "4p".

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "formats/format_result.h"

namespace qte {

struct Tune;
struct NoteLengthState;

// What the header gives when a setting is missing (the usual RTTTL defaults).
constexpr int kRtxDefaultDuration = 4;
constexpr int kRtxDefaultOctave = 6;
constexpr std::int32_t kRtxDefaultTempo = 63;
// Longest duration number read (a sixty-fourth note).
constexpr int kRtxMaxDuration = 64;
// Characters of the tone name written into the header.
constexpr std::size_t kRtxMaxNameChars = 9;
// Elements one export may write before it is refused as runaway.
constexpr int kRtxMaxElements = 100000;

// A length as a note value: duration code d (0 whole .. 5 thirty-second),
// written as the number 2^d, optionally dotted.
struct RtxLength {
    int durationCode = 0;
    bool dotted = false;

    [[nodiscard]] int durationNumber() const { return 1 << durationCode; }
    // The part of the length this value covers.
    [[nodiscard]] float units() const;
};

// The longest note value, dotted or plain, that fits into lengthUnits (with
// an allowance of a thousandth of a whole note). Nothing when the length is
// not above a thirty-second note.
[[nodiscard]] std::optional<RtxLength> ClassifyRtxLength(float lengthUnits);

// The tune as one RTX line (no line end; every element ends with ","). Notes
// whose pitch no RTX name reaches keep their time as pauses, with a warning.
// Fails, with no bytes, when the tune needs more than kRtxMaxElements.
[[nodiscard]] ExportResult ExportRtx(const Tune& tune);

// ExportRtx, then the bytes written atomically to path. On any failure the
// file is not touched.
[[nodiscard]] ExportResult ExportRtxFile(const Tune& tune, const std::filesystem::path& path);

// Replaces the tune's notes, name and ID with the file's and sets its tempo
// (through setTempo, which also updates length for styleMode). Reads what
// ExportRtx writes and the usual RTTTL spellings ("b", upper case, missing
// settings, no final ","). Elements that cannot be read keep their time as
// pauses and are reported in warnings. On error the tune and length are left
// as they were. Never reads outside bytes. The caller records the file and
// regenerates the tone text.
[[nodiscard]] FormatResult ImportRtx(std::string_view bytes, Tune& tune, NoteLengthState& length,
                                     std::int32_t styleMode, bool keepNaturalNotes);
[[nodiscard]] FormatResult ImportRtx(std::string_view bytes, Tune& tune);

// Reads the file, then ImportRtx. A file that cannot be read is an error
// naming it.
[[nodiscard]] FormatResult ImportRtxFile(const std::filesystem::path& path, Tune& tune,
                                         NoteLengthState& length, std::int32_t styleMode,
                                         bool keepNaturalNotes);

} // namespace qte
