#pragma once
// Standard MIDI Files (*.mid, *.midi). Reading takes one melody line, the
// notes of one channel of one track, of a file of format 0 or 1; writing
// gives format 0: one track, the tune played as the renderer plays it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "formats/format_result.h"

namespace qte {

struct Tune;
struct NoteLengthState;

// Ticks per quarter note written; a unit, a thirty-second note, is 12 ticks.
constexpr int kMidiWrittenDivision = 96;
constexpr int kMidiTicksPerUnit = kMidiWrittenDivision / 8;
// General MIDI keeps this channel (counted from 1) for drums.
constexpr int kMidiDrumChannel = 10;
// The tempo a file has until its first tempo event.
constexpr std::uint32_t kMidiDefaultMicrosPerQuarter = 500000;
// Notes one export may write, repeat blocks played out, before it is
// refused as runaway.
constexpr std::int64_t kMidiMaxWrittenNotes = 1000000;

// One melody line of a file: the notes of one channel of one track.
struct MidiLine {
    int track = 0;   // from 1, in the order of the file's track chunks
    int channel = 0; // from 1
    int notes = 0;   // notes with a length
    std::string trackName;

    [[nodiscard]] bool drums() const { return channel == kMidiDrumChannel; }
};

// Which line to read; 0 leaves the choice to the reader. A track alone
// takes its channel with the most notes outside the drums; a channel alone
// the track with the most notes on it.
struct MidiLineChoice {
    int track = 0;
    int channel = 0;

    [[nodiscard]] bool made() const { return track != 0 || channel != 0; }
    friend bool operator==(const MidiLineChoice&, const MidiLineChoice&) = default;
};

struct MidiLines {
    std::vector<MidiLine> lines; // every line with notes, drums too, by track then channel
    std::string error;           // why the file cannot be read; lines is then empty

    [[nodiscard]] bool ok() const { return error.empty(); }
};

// The lines of a file, or the error ImportMidi would give for it.
[[nodiscard]] MidiLines ListMidiLines(std::string_view bytes);

// The lines a user chooses from: those outside the drum channel.
[[nodiscard]] std::vector<MidiLine> MelodyLines(const std::vector<MidiLine>& lines);

// The line read without a choice: the one with the most notes outside the
// drums, the first of equals; nothing when every note is a drum's.
[[nodiscard]] const MidiLine* DefaultMidiLine(const std::vector<MidiLine>& lines);

// "track 2, channel 1 (\"Piano\", 120 notes)".
[[nodiscard]] std::string DescribeMidiLine(const MidiLine& line);

// Replaces the tune's notes with the chosen line and takes the file's first
// tempo as the tune's (through setTempo, which also updates length for
// styleMode). Chords become one line, the highest sounding note winning.
// A time that falls on the unit grid at the tune's tempo is kept in units,
// any other in milliseconds, as times from text are. The track's name, or
// the first track's, names the tone. Warnings tell what was dropped and,
// without a choice, which line of several was read. On error the tune and
// length are left as they were. Never reads outside bytes; the caller
// records the file and regenerates the tone text.
[[nodiscard]] FormatResult ImportMidi(std::string_view bytes, Tune& tune, NoteLengthState& length,
                                      std::int32_t styleMode, MidiLineChoice choice);
[[nodiscard]] FormatResult ImportMidi(std::string_view bytes, Tune& tune,
                                      MidiLineChoice choice = {});

// Reads the file, then ImportMidi. A file that cannot be read is an error
// naming it.
[[nodiscard]] FormatResult ImportMidiFile(const std::filesystem::path& path, Tune& tune,
                                          NoteLengthState& length, std::int32_t styleMode,
                                          MidiLineChoice choice);

// The tune as a format 0 file: the tone name as the track name, a tempo
// event from tempoBpm, a note-on and a note-off for every note played, at
// its units times kMidiTicksPerUnit (repeat blocks played out), the free
// texts as markers. Vibra segments and notes no MIDI key names are left
// out with a warning. Fails, with no bytes, when more than
// kMidiMaxWrittenNotes notes would be played.
[[nodiscard]] ExportResult ExportMidi(const Tune& tune);

// ExportMidi, then the bytes written atomically to path. On any failure the
// file is not touched.
[[nodiscard]] ExportResult ExportMidiFile(const Tune& tune, const std::filesystem::path& path);

} // namespace qte
