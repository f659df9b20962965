#pragma once
// OTA ringing-tone messages (*.ota): one basic song of one pattern of note,
// pause, scale, style, tempo and volume instructions.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "formats/format_result.h"

namespace qte {

struct Tune;
struct NoteLengthState;

// Beats per minute of each tempo index.
inline constexpr std::array<std::int32_t, 32> kOtaTempoTable = {
    25,  28,  31,  35,  40,  45,  50,  56,  63,  70,  80,  90,  100, 112, 125, 140,
    160, 180, 200, 225, 250, 285, 320, 355, 400, 450, 500, 565, 635, 715, 800, 900};

enum class OtaInstruction : std::uint8_t {
    PatternHeader = 0,
    Note = 1,
    Scale = 2,
    Style = 3,
    Tempo = 4,
    Volume = 5,
};

enum class OtaStyle : std::uint8_t {
    Natural = 0,    // sounds 20 ms less than its value
    Continuous = 1, // sounds its full value
    Staccato = 2,   // sounds a third of its value, at most 50 ms
};

// Longest title the 4-bit title length can announce.
constexpr std::size_t kOtaMaxTitleChars = 15;
// The 8-bit instruction count.
constexpr int kOtaMaxInstructions = 255;
// Pitches an OTA note can name: C of scale 0 up to H of scale 3.
constexpr std::int32_t kOtaLowestPitch = 60;
constexpr std::int32_t kOtaHighestPitch = 107;

// How a note length is written.
struct OtaLengthCode {
    std::uint8_t duration = 0;  // 0 whole .. 5 thirty-second note
    std::uint8_t specifier = 0; // 0 none, 1 dotted, 2 double dotted, 3 triplet
    OtaStyle style = OtaStyle::Continuous;
};

// The tempo index nearest to bpm; on a tie the lower index.
[[nodiscard]] int NearestTempoIndex(std::int32_t bpm);

// The code of a note lasting lengthUnits: a note value (continuous), or a
// note value less 20 ms (natural). Nothing when the length has no code.
[[nodiscard]] std::optional<OtaLengthCode> ClassifyLength(float lengthUnits, float msPerUnit);

// The tune's notes and tempo as an OTA message titled with the tone name.
// Notes an OTA file cannot hold are left out with a warning and their time
// becomes pause. Fails, with no bytes, when the tune needs more instructions
// than the message can count.
[[nodiscard]] ExportResult ExportOta(const Tune& tune);

// ExportOta, then the bytes written atomically to path. On any failure the
// file is not touched.
[[nodiscard]] ExportResult ExportOtaFile(const Tune& tune, const std::filesystem::path& path);

// Replaces the tune's notes with those of an OTA message and takes its tempo
// (through setTempo, which also updates length for styleMode). On error the
// tune and length are left as they were; warnings do not stop the import.
// Never reads outside bytes. The title is not used; the caller records the
// file and regenerates the tone text.
[[nodiscard]] FormatResult ImportOta(std::string_view bytes, Tune& tune, NoteLengthState& length,
                                     std::int32_t styleMode);
[[nodiscard]] FormatResult ImportOta(std::string_view bytes, Tune& tune);

// Reads the file, then ImportOta. A file that cannot be read is an error
// naming it; nothing is created.
[[nodiscard]] FormatResult ImportOtaFile(const std::filesystem::path& path, Tune& tune,
                                         NoteLengthState& length, std::int32_t styleMode);

} // namespace qte
