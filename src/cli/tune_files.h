#pragma once
// Tune files of every kind for tunetool: the kind from the file name, one
// tune read from a file, a tune turned into the bytes of a kind. The calls
// are the editor's own importers and exporters, with the options the editor
// keeps in config.dat passed in explicitly.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/config_folders.h"
#include "config/frequency_table.h"
#include "config/text_config.h"
#include "formats/midi_file.h"
#include "tune/ringdata_file.h"
#include "tune/tone_generator.h"
#include "tune/tune.h"

namespace qte::cli {

// Which tune of a .h file holding several definitions.
struct TuneChoice {
    std::optional<std::string> name; // a catalogue name, with or without its "[]"
    std::optional<int> index;        // 1-based

    [[nodiscard]] bool made() const { return name || index; }
};

// The editor's config.dat options that change what is read or written.
struct TuneOptions {
    bool writeTempo = true;       // "Write tempo"
    bool addDefaultParts = false; // "Add default parts"
    bool playPolitely = false;    // "Play Politely", for WAV
    std::int32_t styleMode = 0;   // a StyleMode value, for OTA and RTX reading
    bool keepNaturalNotes = false;
    MidiLineChoice midiLine; // the line of a MIDI file; none for the default
};

// config.cfg and midihz.ini, read as the editor reads them: from the start
// folder, else from the data folder. A missing file leaves the built-in
// values; a missing or unreadable config.cfg is a warning.
struct ToolConfig {
    TextConfig textConfig;
    NoteNameTable noteNames = BuildNoteNameTable();
    NoteFrequencyTable noteFrequencyHz = BuildNoteFrequencies(DefaultFrequencyTable());
    std::vector<std::string> warnings; // what config.cfg's reader dropped, or why there was none
};

[[nodiscard]] ToolConfig LoadToolConfig(const ConfigFolders& folders);

// The kind of a file from its extension, in any case; None when unknown.
[[nodiscard]] FileKind kindOfFile(const std::filesystem::path& path);

struct ReadTuneResult {
    std::unique_ptr<Tune> tune; // null when nothing could be read, with error set
    std::string error;
    // A tone text that stopped at a line it could not read: tune holds what
    // came before that line.
    std::string parseError;
    std::vector<std::string> warnings;
};

// "1 tone_morning[], 2 tone_chime[]": the catalogue's tunes by number.
[[nodiscard]] std::string CatalogueNames(const TuneCatalogue& catalogue);

// Reads the one tune of path. A .h file with several definitions needs a
// choice; a choice is refused for the other kinds, as is a MIDI line for
// any kind but MIDI. Errors name the file.
[[nodiscard]] ReadTuneResult ReadTuneFile(const std::filesystem::path& path,
                                          const TuneChoice& choice, const ToolConfig& config,
                                          const TuneOptions& options);

// Every tune of path, one at a time: each tune of a Ringdata.h holding
// several, named as the catalogue names it without "[]", or the one tune of
// any other file, named by the file's stem. The file is read once. Returns
// the warnings about the file as a whole (a catalogue cut short).
std::vector<std::string>
ForEachTune(const std::filesystem::path& path, const ToolConfig& config, const TuneOptions& options,
            const std::function<void(const std::string& name, ReadTuneResult& read)>& take);

// The tone text of the tune, with config.cfg's header placeholders filled
// in from its name and ID. Sets tune.tailMs, as the generator does.
[[nodiscard]] GeneratedToneText ToneTextOf(Tune& tune, const ToolConfig& config,
                                           const TuneOptions& options);

struct TuneBytesResult {
    std::optional<std::string> bytes; // nothing when the tune cannot be written, with error set
    std::string error;
    std::vector<std::string> warnings;
};

// The bytes of a file of kind holding the tune. A tone text the generator
// had to cut is refused; notes the tone text cannot name are a warning.
[[nodiscard]] TuneBytesResult TuneFileBytes(Tune& tune, FileKind kind, const ToolConfig& config,
                                            const TuneOptions& options);

} // namespace qte::cli
