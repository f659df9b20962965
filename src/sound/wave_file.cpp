#include "sound/wave_file.h"

#include "tune/tone_generator.h"

#include <algorithm>
#include <limits>

namespace qte {

namespace {

void put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFu));
}

void put16(std::string& out, std::uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xFFu));
    out.push_back(static_cast<char>((v >> 8) & 0xFFu));
}

const char* const kNothingToSave = "The tune has no sound to save: add a note first.";

} // namespace

std::string waveFileBytes(std::span<const std::uint8_t> samples)
{
    // The RIFF length field is 32 bits; renderings stay far below it.
    const auto count = static_cast<std::uint32_t>(
        std::min<std::size_t>(samples.size(), std::numeric_limits<std::uint32_t>::max() - 36));
    std::string out;
    out.reserve(kWaveHeaderBytes + count);
    out += "RIFF";
    put32(out, count + 36);
    out += "WAVE";
    out += "fmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, kSampleRate);
    put32(out, kSampleRate); // bytes per second at one byte a sample
    put16(out, 1);           // block alignment
    put16(out, 8);           // bits per sample
    out += "data";
    put32(out, count);
    out.append(reinterpret_cast<const char*>(samples.data()), count);
    return out;
}

WaveFileResult renderWaveFile(Tune& tune, const TextConfig& config,
                              const NoteFrequencyTable& noteFrequencyHz,
                              const RenderOptions& options)
{
    WaveFileResult result;
    // The tail is worked out here, not taken from whoever last set it (a
    // parser keeps a trailing pause the editor's text drops), so every
    // caller writes the same file for the same tune.
    tune.tailMs = TailMsOf(tune);
    const RenderResult sound = renderTune(tune, config, noteFrequencyHz, options);
    if (!sound.ok()) {
        result.error = sound.status == RenderStatus::Nothing ? kNothingToSave : sound.message;
        return result;
    }
    result.bytes = waveFileBytes(std::span(sound.pcm).first(sound.sampleCount));
    return result;
}

std::optional<FileError> writeWaveFile(const std::filesystem::path& path, Tune& tune,
                                       const TextConfig& config,
                                       const NoteFrequencyTable& noteFrequencyHz,
                                       const RenderOptions& options)
{
    const WaveFileResult wave = renderWaveFile(tune, config, noteFrequencyHz, options);
    if (!wave.bytes) {
        return FileError{"Cannot save \"" + path.string() + "\": " + wave.error};
    }
    return writeFileAtomically(path, *wave.bytes);
}

} // namespace qte
