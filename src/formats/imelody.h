#pragma once
// iMelody ring tones (*.imy), the text format of EMS phones: a BEGIN:IMELODY
// block of header lines (VERSION, FORMAT, NAME, BEAT, STYLE, VOLUME) and one
// MELODY line of notes, rests, vibration and light commands and repeat
// blocks "(" ... "@n)".
//
// Pitch: the octave prefix *n (0 to 8) tunes the a of that octave to 55 Hz
// times 2 to the n, and an octave runs from c up to b, so *n c is MIDI pitch
// 24 + 12n and *3a is pitch 69, 440 Hz. A prefix holds for the notes after
// it; before the first one the octave is *4 (a = 880 Hz).

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "formats/format_result.h"

namespace qte {

struct Tune;
struct NoteLengthState;

constexpr int kIMelodyDefaultOctave = 4;
constexpr int kIMelodyMaxOctave = 8;
constexpr std::int32_t kIMelodyDefaultBeat = 120;
constexpr std::int32_t kIMelodyMinBeat = 25;
constexpr std::int32_t kIMelodyMaxBeat = 900;
// Pitches the octave prefixes reach: *0c up to *8b.
constexpr std::int32_t kIMelodyLowestPitch = 24;
constexpr std::int32_t kIMelodyHighestPitch = kIMelodyLowestPitch + 12 * 9 - 1;

// STYLE:S0 .. S2, the sounding part of a note as OTA's styles have it.
enum class IMelodyStyle : std::uint8_t {
    Natural = 0,    // 20 ms short of its value
    Continuous = 1, // its full value
    Staccato = 2,   // a third of its value, at most 50 ms
};

// The MIDI pitch of note index (0 c .. 11 b) in octave *n.
[[nodiscard]] constexpr std::int32_t IMelodyPitch(int octave, int noteIndex)
{
    return kIMelodyLowestPitch + 12 * octave + noteIndex;
}

// The tune as an iMelody file with CRLF line ends: the tone name, the tempo
// as BEAT (kept within 25 to 900), the style most notes have, vibra segments
// as vibeon/vibeoff and repeat blocks as "(" ... "@n)". What the format
// cannot hold (free texts, pitches outside *0c to *8b, lengths that are no
// note value) is reported in warnings.
[[nodiscard]] ExportResult ExportIMelody(const Tune& tune);

// ExportIMelody, then the bytes written atomically to path. On any failure
// the file is not touched.
[[nodiscard]] ExportResult ExportIMelodyFile(const Tune& tune, const std::filesystem::path& path);

// Replaces the tune's notes, vibra segments and repeat blocks with the
// file's, takes its name and its BEAT as the tempo (through setTempo, which
// also updates length for styleMode). VOLUME, light and backlight commands
// are skipped; "@0", for ever, becomes the largest count a block takes, with
// a warning. Elements that cannot be read are skipped with a warning that
// names the line. On error the tune and length are left as they were. Never
// reads outside bytes; the caller records the file and regenerates the tone
// text.
[[nodiscard]] FormatResult ImportIMelody(std::string_view bytes, Tune& tune,
                                         NoteLengthState& length, std::int32_t styleMode);
[[nodiscard]] FormatResult ImportIMelody(std::string_view bytes, Tune& tune);

// Reads the file, then ImportIMelody. A file that cannot be read is an
// error naming it.
[[nodiscard]] FormatResult ImportIMelodyFile(const std::filesystem::path& path, Tune& tune,
                                             NoteLengthState& length, std::int32_t styleMode);

} // namespace qte
