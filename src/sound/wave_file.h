#pragma once
// WAV export: the rendered tune as a RIFF/WAVE file, 8-bit mono PCM at
// 44,100 Hz, behind a 44-byte header.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "config/frequency_table.h"
#include "io/files.h"
#include "sound/renderer.h"

namespace qte {

struct Tune;
struct TextConfig;

constexpr std::size_t kWaveHeaderBytes = 44;

// Header and samples of a WAV file holding samples.
[[nodiscard]] std::string waveFileBytes(std::span<const std::uint8_t> samples);

struct WaveFileResult {
    std::optional<std::string> bytes; // the file's bytes, or nothing with error set
    std::string error;
};

// Renders the tune as playback would (selection, polite prefix, the tail
// the tone text gives it) into a block of its own and returns the file's
// bytes: the one rendering behind the editor's and tunetool's WAV files. A
// tune with nothing to play, or a failed rendering, gives an error instead
// of an empty file.
[[nodiscard]] WaveFileResult renderWaveFile(Tune& tune, const TextConfig& config,
                                            const NoteFrequencyTable& noteFrequencyHz,
                                            const RenderOptions& options);

// The same written atomically to path. Returns the error, or nothing on
// success; after a failure an existing file at path is left as it was.
[[nodiscard]] std::optional<FileError> writeWaveFile(const std::filesystem::path& path, Tune& tune,
                                                     const TextConfig& config,
                                                     const NoteFrequencyTable& noteFrequencyHz,
                                                     const RenderOptions& options);

} // namespace qte
