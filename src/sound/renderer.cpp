#include "sound/renderer.h"

#include "config/text_config.h"
#include "tune/tune.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace qte {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Above this step a half period is under pi samples: the run search would
// not pay, and the plain definition is used.
constexpr double kFastMaxStep = 1.0;

// The polite prefix: a short beep of the first note, silence up to 3.12 s,
// the tune's opening up to 360 ms, then three seconds of silence.
constexpr std::int64_t kPoliteBeepSamples = 5291;
constexpr std::int64_t kPoliteOpeningStart = 137590;
constexpr std::int64_t kPoliteLeadSamples = 137591;
constexpr std::int64_t kPoliteTrailSamples = 132299;
constexpr std::int32_t kPoliteOpeningMs = 360;

// Selection playback ends with this much silence.
constexpr double kSelectionTailMs = 100.0;

// Work limit against repeat blocks that loop without making sound.
constexpr std::int64_t kMaxNotePlays = 20'000'000;

const char* const kOutOfMemoryText = "Out of memory?.";
const char* const kOutOfMemoryTitle = "Yeah right!";
const char* const kOverrunText = "There has been access violation while writing sound buffer!.";
const char* const kOverrunTitle = "Noooooo! This shouln't be possible!";
const char* const kTooLongText = "The tune is too long to play: it would last more than an hour.";
const char* const kTooLongTitle = "Error!";

bool isPositive(std::int64_t x, double w)
{
    return std::sin(static_cast<double>(x) * w) >= 0.0;
}

// samples = trunc(ms * 44.1f), the product in double precision.
std::int64_t msToSamples(std::int64_t ms)
{
    return static_cast<std::int64_t>(static_cast<double>(ms) * static_cast<double>(kSamplesPerMs));
}

// Exact: ms * 44100 / 1000, truncated toward zero.
std::int64_t msToSamplesExact(std::int64_t ms)
{
    return ms * kSampleRate / 1000;
}

// The write position is held far inside 64 bits, however the times of a
// damaged tune add up; such positions lie outside the block anyway.
constexpr std::int64_t kPositionLimit = std::int64_t{1} << 60;

void advance(std::int64_t& pos, std::int64_t by)
{
    pos = std::clamp(pos + by, -kPositionLimit, kPositionLimit);
}

std::int64_t diff(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int64_t>(a) - static_cast<std::int64_t>(b);
}

// The block and the write position of one rendering.
class PcmWriter {
public:
    explicit PcmWriter(std::vector<std::uint8_t>& pcm) : m_pcm(pcm) {}

    // Sounds count samples from position pos; what falls outside the block
    // is not written.
    void sound(std::int64_t pos, std::int64_t count, float w)
    {
        const std::int64_t size = static_cast<std::int64_t>(m_pcm.size());
        const std::int64_t first = std::max<std::int64_t>(pos, 0);
        const std::int64_t last = std::min<std::int64_t>(pos + count, size);
        if (first >= last) return;
        squareWave(m_pcm.data() + first, first, last - first, w);
    }

private:
    std::vector<std::uint8_t>& m_pcm;
};

struct PoliteSection {
    bool skip = false; // the tune's own polite section is left out
    std::int32_t firstNote = 0;
    std::int32_t lastNote = 0;
};

// The polite section the texts defined, if its notes exist.
PoliteSection politeSection(const Tune& tune, const RenderOptions& options, std::int32_t count)
{
    PoliteSection s;
    if (options.playPolitely || tune.politeDefined == 0) return s;
    if (tune.politeFirstNote < 1 || tune.politeFirstNote > count) return s;
    if (tune.politeLastNote < 0 || tune.politeLastNote > count) return s;
    s.skip = true;
    s.firstNote = tune.politeFirstNote;
    s.lastNote = tune.politeLastNote;
    return s;
}

RenderResult failure(RenderStatus status, const char* text, const char* title)
{
    RenderResult r;
    r.status = status;
    r.message = text;
    r.title = title;
    return r;
}

} // namespace

float phaseStep(std::int32_t hz)
{
    return static_cast<float>(static_cast<double>(hz) * static_cast<double>(kPhaseStepPerHz));
}

std::uint8_t squareSampleAt(std::int64_t x, float w)
{
    return isPositive(x, static_cast<double>(w)) ? kHighSample : kLowSample;
}

void squareWaveReference(std::uint8_t* out, std::int64_t first, std::int64_t count, float w)
{
    for (std::int64_t i = 0; i < count; ++i)
        out[i] = squareSampleAt(first + i, w);
}

void squareWave(std::uint8_t* out, std::int64_t first, std::int64_t count, float w)
{
    if (count <= 0) return;
    const double step = static_cast<double>(w);
    if (!(step > 0.0) || step > kFastMaxStep || first < 0) {
        squareWaveReference(out, first, count, w);
        return;
    }
    // A run of equal samples covers half a period: at most this many.
    const std::int64_t maxRun = static_cast<std::int64_t>(std::floor(kPi / step)) + 1;
    const std::int64_t end = first + count;
    std::int64_t x = first;
    bool high = isPositive(x, step);
    while (x < end) {
        // Predict the first position of the next half period, then settle it
        // on the definition: same sign just before it, the other sign at it.
        const double k = std::floor(static_cast<double>(x) * step / kPi) + 1.0;
        std::int64_t b = static_cast<std::int64_t>(std::ceil(k * kPi / step));
        if (b <= x) b = x + 1;
        bool settled = false;
        for (int tries = 0; tries < 4 && !settled; ++tries) {
            if (b - 1 > x && isPositive(b - 1, step) != high)
                --b;
            else if (isPositive(b, step) == high)
                ++b;
            else
                settled = true;
        }
        if (!settled || b - x > maxRun) {
            b = x + 1;
            while (b < end && isPositive(b, step) == high)
                ++b;
        }
        const std::int64_t stop = std::min(b, end);
        std::memset(out + (x - first), high ? kHighSample : kLowSample,
                    static_cast<std::size_t>(stop - x));
        x = stop;
        high = !high;
    }
}

std::vector<std::uint8_t> renderNoteSound(std::int32_t hz, std::int32_t ms)
{
    constexpr std::int32_t kLongestMs = 60'000;
    if (hz <= 0 || ms <= 0) return {};
    std::vector<std::uint8_t> pcm(static_cast<std::size_t>(msToSamples(std::min(ms, kLongestMs))));
    squareWave(pcm.data(), 0, static_cast<std::int64_t>(pcm.size()), phaseStep(hz));
    return pcm;
}

std::int32_t noteFrequency(const Tune& tune, const NoteRecord& note, const TextConfig& config,
                           const NoteFrequencyTable& noteFrequencyHz)
{
    switch (note.noteKind()) {
    case NoteKind::Normal:
        if (note.pitch < 0 || note.pitch >= kPitchCount) return 0;
        return noteFrequencyHz[static_cast<std::size_t>(note.pitch)];
    case NoteKind::Special: {
        // pitch 72 is the first custom note.
        const std::int64_t index = static_cast<std::int64_t>(note.pitch) - 72;
        const std::int64_t known = std::min<std::int64_t>(config.customNoteCount, kMaxCustomNotes);
        if (index < 0 || index >= known) return 0;
        return config.customNoteFreq[static_cast<std::size_t>(index)];
    }
    case NoteKind::FreqDefine: {
        // pitch 72 plays the first FREQ_DEFINE value, stored at entry 0.
        const std::int64_t number = static_cast<std::int64_t>(note.pitch) - 71;
        const std::int64_t known = std::min<std::int64_t>(tune.freqDefineCount, kFreqDefineSlots);
        if (number < 1 || number > known) return 0;
        return tune.freqDefineTable[static_cast<std::size_t>(number - 1)];
    }
    }
    return 0;
}

RenderResult renderTune(Tune& tune, const TextConfig& config,
                        const NoteFrequencyTable& noteFrequencyHz, const RenderOptions& options)
{
    const std::int32_t count = std::clamp(tune.noteCount, 0, kMaxNotes);
    const std::int32_t repeats = std::clamp(tune.repeatCount, 0, kMaxRepeats);
    auto& notes = tune.noteTable;
    auto& reps = tune.repeatList;
    const auto wOf = [&](const NoteRecord& n) {
        return phaseStep(noteFrequency(tune, n, config, noteFrequencyHz));
    };

    // 1. Repeats: where each block's notes begin.
    notes[0].endMs = 0;
    for (std::int32_t r = 1; r <= repeats; ++r) {
        RepeatRecord& rep = reps[r];
        rep.playsLeft = rep.repetitions;
        std::int32_t first = 0;
        for (std::int32_t i = 1; i <= count && first == 0; ++i) {
            if (notes[i - 1].endMs <= rep.startMs && notes[i].startMs >= rep.startMs) first = i;
        }
        // A block that starts inside a note repeats from the next note that
        // begins in it, or from the last note.
        for (std::int32_t i = 1; i <= count && first == 0; ++i) {
            if (notes[i].startMs >= rep.startMs) first = i;
        }
        if (first == 0) first = count;
        rep.firstNote = first;
    }

    if (count == 0) return {};
    const NoteRecord& last = notes[count];
    const PoliteSection polite = politeSection(tune, options, count);

    // 2. Length estimate in ms.
    double lengthMs = 0.0;
    if (tune.selectionMode == 0) {
        lengthMs = static_cast<double>(last.endMs) + tune.tailMs;
        if (polite.skip) lengthMs -= notes[polite.firstNote].startMs;
        for (std::int32_t r = 1; r <= repeats; ++r) {
            const RepeatRecord& rep = reps[r];
            if (polite.skip && rep.endMs <= notes[polite.lastNote].endMs) continue;
            // A block played once or less, or of no length, adds nothing.
            const double block =
                std::max<double>(0.0, static_cast<double>(diff(rep.endMs, rep.startMs)));
            const double extra = std::max<double>(0.0, static_cast<double>(rep.repetitions) - 1.0);
            lengthMs += block * extra;
        }
    } else if (tune.selectionMode == 2) {
        const NoteRecord* previous = nullptr;
        for (std::int32_t i = 1; i <= count; ++i) {
            const NoteRecord& n = notes[i];
            if (n.selected == 0) continue;
            lengthMs += previous ? static_cast<double>(diff(n.endMs, previous->endMs))
                                 : static_cast<double>(n.durationMs);
            previous = &n;
        }
        lengthMs += kSelectionTailMs;
    }
    double samples = std::max(0.0, lengthMs) * static_cast<double>(kSamplesPerMs);

    // 3. Polite prefix.
    const bool prefix = options.playPolitely && tune.politeDefined == 0;
    std::int32_t opening = count;
    if (prefix) {
        for (std::int32_t i = 1; i <= count; ++i) {
            if (notes[i].endMs >= kPoliteOpeningMs) {
                opening = i;
                break;
            }
        }
        tune.politeNoteCount = opening;
        samples = std::trunc(samples) +
                  static_cast<double>(kPoliteLeadSamples + kPoliteTrailSamples) +
                  std::trunc(std::max(0.0, static_cast<double>(notes[opening].endMs) *
                                               static_cast<double>(kSamplesPerMs)));
    }
    if (samples > static_cast<double>(kMaxRenderSamples)) {
        return failure(RenderStatus::TooLong, kTooLongText, kTooLongTitle);
    }
    const std::int64_t sampleCount = static_cast<std::int64_t>(samples);
    if (sampleCount == 0) return {};

    // 4. The block, all silence.
    RenderResult result;
    try {
        result.pcm.assign(static_cast<std::size_t>(sampleCount) + kPcmSlackBytes, kSilenceSample);
    } catch (const std::bad_alloc&) {
        return failure(RenderStatus::OutOfMemory, kOutOfMemoryText, kOutOfMemoryTitle);
    }
    PcmWriter out(result.pcm);

    // 5. The first repeat block the main pass watches.
    std::int32_t current = 0;
    if (repeats > 0) {
        current = 1;
        if (polite.skip) {
            current = 0;
            for (std::int32_t r = 1; r <= repeats && current == 0; ++r) {
                if (reps[r].startMs >= notes[polite.lastNote].endMs) current = r;
            }
        }
        if (current > 0 && reps[current].startUnits >= last.endUnits) current = 0;
    }

    // 6. The prefix.
    std::int64_t pos = 0;
    if (prefix) {
        out.sound(0, kPoliteBeepSamples, wOf(notes[1]));
        pos = kPoliteOpeningStart;
        for (std::int32_t i = 1; i <= opening; ++i) {
            advance(pos, msToSamples(diff(notes[i].startMs, notes[i - 1].endMs)));
            const std::int64_t n = msToSamples(notes[i].durationMs);
            out.sound(pos, n, wOf(notes[i]));
            advance(pos, n);
        }
        advance(pos, kPoliteTrailSamples);
    }

    if (tune.selectionMode == 0) {
        // 7. The tune, with its repeats played out.
        std::int64_t plays = 0;
        bool jumped = false;
        std::int32_t j = polite.skip ? polite.lastNote + 1 : 1;
        while (j <= count) {
            if (++plays > kMaxNotePlays) {
                return failure(RenderStatus::TooLong, kTooLongText, kTooLongTitle);
            }
            const NoteRecord& note = notes[j];
            if (!jumped) advance(pos, msToSamples(diff(note.startMs, notes[j - 1].endMs)));
            jumped = false;
            const std::int64_t n = msToSamples(note.durationMs);
            // No sample may lie beyond the estimate.
            if (n > 0 && pos + n - 1 > sampleCount) {
                out.sound(pos, sampleCount + 1 - pos, wOf(note));
                result.status = RenderStatus::BufferOverrun;
                result.message = kOverrunText;
                result.title = kOverrunTitle;
                return result;
            }
            out.sound(pos, n, wOf(note));
            advance(pos, n);
            if (current > 0) {
                RepeatRecord& rep = reps[current];
                const bool endsHere =
                    j < count ? rep.endMs <= notes[j + 1].startMs : rep.endMs >= note.endMs;
                if (endsHere && rep.playsLeft > 1) {
                    advance(pos, msToSamples(diff(rep.endMs, note.endMs)));
                    --rep.playsLeft;
                    advance(pos, msToSamples(diff(notes[rep.firstNote].startMs, rep.startMs)));
                    j = rep.firstNote;
                    jumped = true;
                    continue;
                }
                if (endsHere) {
                    ++current;
                    if (current > repeats || reps[current].startUnits >= last.endUnits) current = 0;
                }
            }
            ++j;
        }
    } else if (tune.selectionMode == 2) {
        // 8. The selected notes, one after the other.
        const NoteRecord* previous = nullptr;
        for (std::int32_t i = 1; i <= count; ++i) {
            const NoteRecord& n = notes[i];
            if (n.selected == 0) continue;
            if (previous) advance(pos, msToSamplesExact(diff(n.startMs, previous->endMs)));
            const std::int64_t len = msToSamplesExact(n.durationMs);
            out.sound(pos, len, wOf(n));
            advance(pos, len);
            previous = &n;
        }
    }

    result.status = RenderStatus::Rendered;
    result.sampleCount = static_cast<std::uint32_t>(sampleCount);
    return result;
}

} // namespace qte
