#pragma once
// The kinds of tune file by their extensions, and the readers and writers
// of the exchange kinds (OTA, RTTTL/RTX, event files, MIDI, iMelody), in one
// place for the editor and tunetool. Tone text and WAV need the text configuration and
// are handled by their own modules.

#include <string_view>

#include "formats/format_result.h"
#include "formats/midi_file.h"
#include "tune/tempo.h"
#include "tune/tune.h"

namespace qte {

// ".h", ".ota", ".rtx", ".evt", ".wav", ".mid", ".imy"; "" for None.
[[nodiscard]] const char* fileKindExtension(FileKind kind);
// The kind of a file name's extension, in any case (".midi" is MIDI too);
// None when unknown.
[[nodiscard]] FileKind fileKindOfName(std::string_view fileName);

[[nodiscard]] bool isExchangeKind(FileKind kind);

// What the editor keeps in config.dat that reading a file depends on.
struct ExchangeReadOptions {
    std::int32_t styleMode = 0; // a StyleMode value
    bool keepNaturalNotes = false;
    MidiLineChoice midiLine; // the line of a MIDI file; none for the default
};

// Reads an exchange kind into tune; see each importer for what stays on
// error. Any other kind is an error.
[[nodiscard]] FormatResult ImportExchange(FileKind kind, std::string_view bytes, Tune& tune,
                                          NoteLengthState& length,
                                          const ExchangeReadOptions& options);
// The bytes of an exchange kind holding the tune; any other kind is an error.
[[nodiscard]] ExportResult ExportExchange(FileKind kind, const Tune& tune);

} // namespace qte
