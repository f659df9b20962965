#include "sound/renderer.h"

#include "config/frequency_table.h"
#include "config/text_config.h"
#include "tune/tune.h"
#include "tune/tune_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace qte {
namespace {

using B = test::TuneBuilder;

struct Fixture {
    TextConfig config;
    NoteFrequencyTable hz = BuildNoteFrequencies(DefaultFrequencyTable());

    RenderResult render(Tune& tune, bool politely = false) const
    {
        return renderTune(tune, config, hz, RenderOptions{politely});
    }
};

using Ranges = std::vector<std::pair<std::int64_t, std::int64_t>>;

// Where sound is: [begin, end) ranges of samples that are not silence.
Ranges soundingRanges(const std::vector<std::uint8_t>& pcm)
{
    Ranges ranges;
    for (std::int64_t i = 0; i < static_cast<std::int64_t>(pcm.size()); ++i) {
        if (pcm[i] == kSilenceSample) continue;
        if (!ranges.empty() && ranges.back().second == i)
            ranges.back().second = i + 1;
        else
            ranges.emplace_back(i, i + 1);
    }
    return ranges;
}

// The sounding ranges as "begin-end" text.
std::string sounding(const std::vector<std::uint8_t>& pcm)
{
    std::string s;
    for (auto [b, e] : soundingRanges(pcm))
        s += (s.empty() ? "" : " ") + std::to_string(b) + "-" + std::to_string(e);
    return s;
}

// The sample count and where the sound is, or how the rendering failed.
std::string rendered(const RenderResult& r)
{
    static const char* const failures[] = {"", "nothing", "out of memory", "overrun", "too long"};
    std::string s = r.ok() ? "" : std::string(failures[static_cast<int>(r.status) % 5]) + ", ";
    s += std::to_string(r.sampleCount) + " samples";
    if (!r.ok()) return s;
    if (r.pcm.size() != r.sampleCount + kPcmSlackBytes)
        s += " in a block of " + std::to_string(r.pcm.size());
    return s + ": " + sounding(r.pcm);
}

// The samples in [begin, end) are the square wave of hz at their absolute
// positions.
void expectWave(const std::vector<std::uint8_t>& pcm, std::int64_t begin, std::int64_t end,
                std::int32_t hz)
{
    const double w = static_cast<double>(phaseStep(hz));
    for (std::int64_t x = begin; x < end; ++x) {
        const std::uint8_t want = std::sin(static_cast<double>(x) * w) >= 0.0 ? 138 : 118;
        if (pcm[x] != want) {
            ADD_FAILURE() << "sample " << x << " is " << int(pcm[x]) << ", not " << int(want);
            return;
        }
    }
}

TEST(Renderer, EmptyTuneRendersNothing)
{
    const Fixture f;
    for (bool politely : {false, true}) {
        Tune tune;
        EXPECT_EQ(rendered(f.render(tune, politely)), "nothing, 0 samples") << politely;
    }
}

TEST(Renderer, SingleNoteAfterSilence)
{
    const Fixture f;
    Tune tune = B().note(500, 1000, 69).build();
    tune.noteTable[0].endMs = 77; // the scratch record is reset
    const RenderResult r = f.render(tune);
    EXPECT_EQ(rendered(r), "44099 samples: 22049-44098"); // trunc(1000 * 44.1f)
    expectWave(r.pcm, 22049, 44098, 440);
    EXPECT_EQ(phaseStep(440), static_cast<float>(440.0 * 0.00014247586659621447));
    EXPECT_EQ(tune.noteTable[0].endMs, 0);
}

// A note heard on its own is the note a tune starting with it renders.
TEST(Renderer, NoteSoundIsTheNoteAsATuneRendersIt)
{
    const Fixture f;
    Tune tune = B().note(0, 300, 69).build();
    const RenderResult r = f.render(tune);
    const std::vector<std::uint8_t> alone = renderNoteSound(440, 300);
    ASSERT_EQ(alone.size(), r.sampleCount); // 300 x 44.1f, truncated: 13229
    EXPECT_TRUE(std::equal(alone.begin(), alone.end(), r.pcm.begin()));
    for (const auto& [hz, ms] : {std::pair(0, 300), std::pair(440, 0), std::pair(-5, 300)})
        EXPECT_TRUE(renderNoteSound(hz, ms).empty()) << hz << " Hz, " << ms << " ms";
    EXPECT_EQ(renderNoteSound(440, 1'000'000).size(), 60'000u * 441 / 10 - 1);
}

TEST(Renderer, ASelectionPlaysItsNotesAndATail)
{
    const Fixture f;
    struct Case {
        B tune;
        int selectionMode;
        const char* want;
        std::vector<std::int32_t> hz; // of each sounding range
    };
    Case cases[] = {
        {B().note(0, 1000, 60), 0, "44099 samples: 0-44099", {262}},
        // (1000 + 100) * 44.1f
        {B().note(0, 1000, 60, NoteKind::Normal, true), 2, "48509 samples: 0-44100", {262}},
        // 100 + (400 - 100) + 100 ms
        {B().note(0, 100, 69, NoteKind::Normal, true)
             .note(100, 200, 72)
             .note(300, 400, 76, NoteKind::Normal, true),
         2,
         "22049 samples: 0-4410 13230-17640",
         {440, 659}},
        // a rubber band being drawn plays nothing
        {B().note(0, 100, 69, NoteKind::Normal, true), 1, "nothing, 0 samples", {}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.want);
        Tune tune = c.tune.build();
        tune.selectionMode = c.selectionMode;
        const RenderResult r = f.render(tune);
        EXPECT_EQ(rendered(r), c.want);
        const Ranges ranges = soundingRanges(r.pcm);
        for (std::size_t i = 0; i < c.hz.size() && i < ranges.size(); ++i)
            expectWave(r.pcm, ranges[i].first, ranges[i].second, c.hz[i]);
    }
}

TEST(Renderer, RepeatBlocksArePlayedOut)
{
    const Fixture f;
    struct Case {
        std::vector<std::pair<int, int>> notes;
        int repeatStart, repeatEnd, repetitions, tailMs;
        std::uint32_t samples;
        const char* sound;
        int firstNote;
    };
    // 100 ms = 4409 samples, 50 ms = 2204.
    const Case cases[] = {
        // three times around two notes
        {{{0, 100}, {100, 200}}, 0, 250, 3, 50, 33074, "0-8818 11022-19840 22044-30862", 1},
        // a block with silence at both ends
        {{{0, 100}, {200, 300}, {300, 400}},
         150,
         450,
         2,
         50,
         33074,
         "0-4409 8818-17636 22044-30862",
         2},
        // once is no repeat
        {{{0, 100}, {100, 200}}, 0, 200, 1, 0, 8819, "0-8818", 1},
        // zero repetitions play once; the estimate counts no negative repetition, so no overrun
        {{{0, 100}, {100, 200}}, 0, 200, 0, 0, 8819, "0-8818", 1},
        // a block starting inside a note
        {{{0, 100}, {100, 200}, {200, 300}}, 50, 300, 2, 0, 24254, "0-13227 15431-24249", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sound);
        B notes;
        for (auto [s, e] : c.notes)
            notes.note(s, e, 69);
        Tune tune = notes.repeat(c.repeatStart, c.repeatEnd, c.repetitions).build();
        tune.tailMs = c.tailMs;
        const RenderResult r = f.render(tune);
        ASSERT_TRUE(r.ok()) << r.message;
        EXPECT_EQ(r.sampleCount, c.samples);
        EXPECT_EQ(sounding(r.pcm), c.sound);
        for (auto [b, e] : soundingRanges(r.pcm))
            expectWave(r.pcm, b, e, 440);
        EXPECT_EQ(tune.repeatList[1].firstNote, c.firstNote);
        EXPECT_EQ(tune.repeatList[1].playsLeft, std::min(c.repetitions, 1));
    }
}

TEST(Renderer, PolitePrefix)
{
    const Fixture f;
    Tune tune = B().note(100, 300, 69).note(300, 500, 72).note(500, 700, 74).build();
    const RenderResult r = f.render(tune, true);
    // 700 ms of tune, the fixed lead and trail, and the opening up to note 2.
    EXPECT_EQ(rendered(r), std::to_string(30869 + 137591 + 132299 + 22049) +
                               " samples: 0-5291 141999-159637 296345-322802");
    EXPECT_EQ(tune.politeNoteCount, 2);
    expectWave(r.pcm, 0, 5291, 440);
    expectWave(r.pcm, 141999, 150818, 440);
    expectWave(r.pcm, 150818, 159637, 523);
    expectWave(r.pcm, 296345, 305164, 440);
    expectWave(r.pcm, 313983, 322802, 587);
}

TEST(Renderer, TheTunesOwnPoliteSection)
{
    const Fixture f;
    Tune tune = B().note(100, 300, 69).note(300, 500, 72).note(500, 700, 74).build();
    tune.politeDefined = 1;
    tune.politeFirstNote = 1;
    tune.politeLastNote = 1;
    tune.politeNoteCount = 1;

    const RenderResult r = f.render(tune, false);
    EXPECT_EQ(rendered(r), "26459 samples: 0-17638"); // 700 - 100 ms
    expectWave(r.pcm, 0, 8819, 523);
    // Played politely the section is part of the tune and no prefix is added.
    EXPECT_EQ(rendered(f.render(tune, true)), "30869 samples: 4409-30866");
    // A section naming notes that do not exist is ignored.
    tune.politeFirstNote = 7;
    EXPECT_EQ(rendered(f.render(tune, false)), "30869 samples: 4409-30866");
}

TEST(Renderer, FrequencyByKind)
{
    Fixture f;
    f.config.customNoteFreq[0] = 1000;
    f.config.customNoteFreq[1] = 1500;
    f.config.customNoteFreq[2] = 2000; // beyond the count: not a custom note
    Tune tune;
    tune.freqDefineTable[0] = 300;
    tune.freqDefineTable[1] = 310;
    tune.freqDefineTable[2] = 320;
    struct Case {
        const char* name;
        NoteKind kind;
        std::int32_t pitch;
        std::int32_t hz;
        std::int32_t freqDefines = 2, customNotes = 2;
    };
    const Case cases[] = {
        {"normal", NoteKind::Normal, 69, 440},
        {"normal below the table", NoteKind::Normal, -1, 0},
        {"normal above the table", NoteKind::Normal, 128, 0},
        {"first custom note", NoteKind::Special, 72, 1000},
        {"second custom note", NoteKind::Special, 73, 1500},
        {"custom note beyond the count", NoteKind::Special, 74, 0},
        {"custom note below the first", NoteKind::Special, 71, 0},
        {"CUSTOMNOTES never given", NoteKind::Special, 72, 0, 2, -1},
        {"first FREQ_DEFINE value", NoteKind::FreqDefine, 72, 300},
        {"second FREQ_DEFINE value", NoteKind::FreqDefine, 73, 310},
        {"FREQ_DEFINE beyond the count", NoteKind::FreqDefine, 74, 0},
        {"FREQ_DEFINE below the first", NoteKind::FreqDefine, 71, 0},
        {"no FREQ_DEFINE values", NoteKind::FreqDefine, 72, 0, 0},
        {"unknown kind", static_cast<NoteKind>(7), 69, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tune.freqDefineCount = c.freqDefines;
        f.config.customNoteCount = c.customNotes;
        NoteRecord n;
        n.pitch = c.pitch;
        n.kind = static_cast<std::int32_t>(c.kind);
        EXPECT_EQ(noteFrequency(tune, n, f.config, f.hz), c.hz);
    }
}

TEST(Renderer, NoteWithoutFrequencyIsConstantHigh)
{
    const Fixture f;
    Tune tune = B().note(0, 100, 72, NoteKind::FreqDefine).build();
    const RenderResult r = f.render(tune);
    ASSERT_TRUE(r.ok());
    for (std::int64_t x = 0; x < 4409; ++x)
        ASSERT_EQ(r.pcm[x], kHighSample) << x;
    EXPECT_EQ(r.pcm[4409], kSilenceSample);
}

TEST(Renderer, OverrunStopsTheRendering)
{
    // Note 2 starts inside note 1, so the sound runs past the estimate.
    const Fixture f;
    Tune tune = B().note(0, 1000, 69).note(500, 600, 69).build();
    const RenderResult r = f.render(tune);
    EXPECT_EQ(rendered(r), "overrun, 0 samples");
    EXPECT_EQ(r.message, "There has been access violation while writing sound buffer!.");
    EXPECT_EQ(r.title, "Noooooo! This shouln't be possible!");
    // What fits up to the estimate was written, nothing after it.
    ASSERT_EQ(r.pcm.size(), 26459u + kPcmSlackBytes);
    EXPECT_EQ(sounding(r.pcm), "0-26460");
}

TEST(Renderer, HostileTunesStaySafe)
{
    const Fixture f;
    {
        SCOPED_TRACE("a repeat of two billion");
        Tune tune = B().note(0, 1000, 69).repeat(0, 1000, 2'000'000'000).build();
        const RenderResult r = f.render(tune);
        EXPECT_EQ(rendered(r), "too long, 0 samples");
        EXPECT_FALSE(r.message.empty());
        EXPECT_TRUE(r.pcm.empty());
    }
    {
        SCOPED_TRACE("a silent repeat that never ends");
        Tune tune = B().note(0, 0, 69).note(0, 100, 69).repeat(0, 0, 2'000'000'000).build();
        EXPECT_EQ(f.render(tune).status, RenderStatus::TooLong);
    }
    {
        SCOPED_TRACE("extreme times");
        Tune tune = B().note(std::numeric_limits<std::int32_t>::min(), -5, 69)
                        .note(std::numeric_limits<std::int32_t>::max() - 10,
                              std::numeric_limits<std::int32_t>::max(), 69)
                        .build();
        tune.tailMs = std::numeric_limits<std::int32_t>::max();
        EXPECT_EQ(f.render(tune).status, RenderStatus::TooLong);
    }
    {
        SCOPED_TRACE("negative times move the position back but never out of the block");
        Tune tune = B().note(-2000, -1000, 69).note(0, 100, 69).build();
        const RenderResult r = f.render(tune);
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(r.sampleCount, 4409u);
    }
    {
        SCOPED_TRACE("counts beyond the lists");
        Tune tune = B().note(0, 100, 69).build();
        tune.noteCount = 5000;
        tune.repeatCount = -3;
        tune.freqDefineCount = 400;
        tune.noteTable[kMaxNotes].endMs = 100;
        EXPECT_TRUE(f.render(tune).ok());
        tune.noteCount = -7;
        tune.repeatCount = 1000;
        EXPECT_EQ(f.render(tune).status, RenderStatus::Nothing);
    }
}

// Random small tunes with random working fields, counts and kinds: every
// rendering ends in a status, and a rendered block is as long as it says.
TEST(Renderer, RandomTunesNeverBreakTheBlock)
{
    Fixture f;
    f.config.customNoteCount = 3;
    f.config.customNoteFreq = {1200, 0, -50};
    std::mt19937 rng(11);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        B b;
        const int notes = pick(0, 12);
        std::int32_t t = pick(-50, 200);
        for (int i = 0; i < notes; ++i) {
            const std::int32_t start = t + pick(-100, 300);
            t = start + pick(-20, 400);
            b.note(start, t, pick(-5, 140), static_cast<NoteKind>(pick(0, 3)), pick(0, 1) == 1);
        }
        for (int r = pick(0, 3); r > 0; --r) {
            const std::int32_t start = pick(-100, t + 100);
            b.repeat(start, start + pick(-50, 1500), pick(-1, 4));
        }
        Tune tune = b.build();
        for (int r = 1; r <= tune.repeatCount; ++r)
            tune.repeatList[r].firstNote = pick(-3, 20);
        tune.tailMs = pick(-100, 500);
        tune.selectionMode = pick(0, 3);
        tune.politeDefined = pick(0, 1);
        tune.politeFirstNote = pick(-1, notes + 1);
        tune.politeLastNote = pick(-1, notes + 1);
        tune.freqDefineCount = pick(-1, 31);
        const RenderResult r = f.render(tune, pick(0, 1) == 1);
        if (r.ok()) {
            EXPECT_EQ(r.pcm.size(), r.sampleCount + kPcmSlackBytes);
            for (std::uint8_t v : r.pcm) {
                ASSERT_TRUE(v == kSilenceSample || v == kHighSample || v == kLowSample);
            }
        } else {
            EXPECT_EQ(r.sampleCount, 0u);
            EXPECT_TRUE(r.status == RenderStatus::Nothing ||
                        r.status == RenderStatus::BufferOverrun)
                << static_cast<int>(r.status);
        }
    }
}

// The run-filling generator must give exactly the per-sample definition for
// every pitch of the table, at the start of a tune and late in a long one.
TEST(SquareWave, RunsMatchTheDefinition)
{
    const NoteFrequencyTable table = BuildNoteFrequencies(DefaultFrequencyTable());
    std::vector<std::int32_t> freqs(table.begin(), table.end());
    // Custom frequencies: the top of the fast range, beyond it, and odd ones.
    for (std::int32_t hz : {1, 7, 7018, 7019, 11025, 22050, 30000, -440})
        freqs.push_back(hz);
    const std::int64_t windows[][2] = {
        {0, 150'000}, {13'150'000, 13'250'000}, {kMaxRenderSamples - 100'000, kMaxRenderSamples}};
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::int64_t> noteLength(1, 6000);
    std::vector<std::uint8_t> fast, reference;
    for (std::int32_t hz : freqs) {
        SCOPED_TRACE(hz);
        const float w = phaseStep(hz);
        for (const auto& window : windows) {
            const std::int64_t n = window[1] - window[0];
            fast.assign(n, 0);
            reference.assign(n, 0);
            squareWaveReference(reference.data(), window[0], n, w);
            // Notes of random lengths, each starting where the last ended.
            for (std::int64_t at = 0; at < n;) {
                const std::int64_t len = std::min(noteLength(rng), n - at);
                squareWave(fast.data() + at, window[0] + at, len, w);
                at += len;
            }
            ASSERT_EQ(fast, reference) << "window from " << window[0];
        }
    }
}

} // namespace
} // namespace qte
