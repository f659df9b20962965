#pragma once
// Renders the tune, the way the phone's buzzer plays it, into one block of
// 8-bit mono PCM at 44,100 samples per second: square waves for notes,
// silence between them, repeat blocks played out and, on request, a polite
// prefix in front.

#include <cstdint>
#include <string>
#include <vector>

#include "config/frequency_table.h"

namespace qte {

struct Tune;
struct NoteRecord;
struct TextConfig;

constexpr std::int32_t kSampleRate = 44100;
// The block is this much longer than the sound it holds.
constexpr std::size_t kPcmSlackBytes = 1000;
constexpr std::uint8_t kSilenceSample = 128;
constexpr std::uint8_t kHighSample = 138;
constexpr std::uint8_t kLowSample = 118;

// Single precision on purpose: the lengths and pitches of the sound follow
// from these exact values. 44.1f is 44.099998474121094; the phase step is
// 2 pi / 44100 worked out in single precision from a single-precision pi,
// 0.00014247586659621447, one step above the nearest float to the true value.
constexpr float kSamplesPerMs = 44.1f;
constexpr float kPhaseStepPerHz = 2.0f * 3.14159265f / 44100.0f;

// Longest sound rendered: one hour. Longer tunes are refused.
constexpr std::int64_t kMaxRenderSamples = std::int64_t{kSampleRate} * 3600;

struct RenderOptions {
    bool playPolitely = false; // the "Play Politely" setting
};

enum class RenderStatus {
    Rendered,      // sampleCount samples are ready
    Nothing,       // the tune has nothing to play: no notes or no sound
    OutOfMemory,   // the block could not be allocated
    BufferOverrun, // the sound ran past its estimated length; rendering stopped
    TooLong,       // more than kMaxRenderSamples, or a repeat that never ends
};

struct RenderResult {
    RenderStatus status = RenderStatus::Nothing;
    // pcmBuffer: sampleCount + kPcmSlackBytes samples, silence where nothing
    // sounds. After an overrun it keeps what was written.
    std::vector<std::uint8_t> pcm;
    // pcmSampleCount: the samples to play or save; 0 unless Rendered.
    std::uint32_t sampleCount = 0;
    // For a failure: the message box text and title the editor shows.
    std::string message;
    std::string title;

    [[nodiscard]] bool ok() const { return status == RenderStatus::Rendered; }
};

// Renders the tune. Writes only the playback working fields: each repeat's
// firstNote and playsLeft, politeNoteCount, and the end time of the scratch
// note record 0 (set to 0). The result owns its block, so a block being
// played is never touched.
[[nodiscard]] RenderResult renderTune(Tune& tune, const TextConfig& config,
                                      const NoteFrequencyTable& noteFrequencyHz,
                                      const RenderOptions& options);

// The whole-hertz frequency a note sounds at; 0 for a custom note or
// FREQ_DEFINE value that does not exist, and for unknown kinds.
[[nodiscard]] std::int32_t noteFrequency(const Tune& tune, const NoteRecord& note,
                                         const TextConfig& config,
                                         const NoteFrequencyTable& noteFrequencyHz);

// One note on its own, as a tune sounds it: the samples of ms milliseconds
// (at most a minute) of the square wave of hz from position 0. Empty for a
// frequency or length of 0 or below: nothing to hear.
[[nodiscard]] std::vector<std::uint8_t> renderNoteSound(std::int32_t hz, std::int32_t ms);

// The phase step of a frequency, rounded to single precision.
[[nodiscard]] float phaseStep(std::int32_t hz);

// The square-wave sample at absolute buffer position x: 138 where
// sin(x * w) >= 0, else 118. The definition the fast generator must match.
[[nodiscard]] std::uint8_t squareSampleAt(std::int64_t x, float w);

// Writes the samples of positions first .. first + count - 1 into out[0..count).
// squareWaveReference calls squareSampleAt for each; squareWave finds the
// sign changes and fills the runs between them, with the same result.
void squareWaveReference(std::uint8_t* out, std::int64_t first, std::int64_t count, float w);
void squareWave(std::uint8_t* out, std::int64_t first, std::int64_t count, float w);

} // namespace qte
