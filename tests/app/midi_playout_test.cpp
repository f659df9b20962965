// A MIDI file plays the tune's repeat blocks as the editor's renderer plays
// them: each note-on of the written file falls where the rendered sound of
// a note begins. Here because it needs both the formats and the sound.

#include "config/frequency_table.h"
#include "config/text_config.h"
#include "editor_fixture.h"
#include "formats/midi_file.h"
#include "sound/renderer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace qte {
namespace {

// The note-on times of a format 0 file as we write it, in ticks: the
// header, the track name, the tempo, then events of three bytes.
std::vector<std::uint32_t> noteOnTicks(const std::string& bytes)
{
    std::vector<std::uint32_t> ticks;
    std::size_t p = 22;
    std::uint32_t now = 0;
    while (p < bytes.size()) {
        std::uint32_t delta = 0;
        unsigned char b = 0;
        do {
            b = static_cast<unsigned char>(bytes[p++]);
            delta = (delta << 7) | (b & 0x7Fu);
        } while ((b & 0x80u) != 0);
        now += delta;
        const auto status = static_cast<unsigned char>(bytes[p]);
        if (status == 0xFF) {
            p += 3 + static_cast<unsigned char>(bytes[p + 2]);
            continue;
        }
        if ((status & 0xF0) == 0x90) ticks.push_back(now);
        p += 3;
    }
    return ticks;
}

// The samples where a stretch of sound begins after silence.
std::vector<std::int64_t> soundStarts(const RenderResult& r)
{
    std::vector<std::int64_t> starts;
    bool silent = true;
    for (std::uint32_t i = 0; i < r.sampleCount; ++i) {
        const bool now = r.pcm[i] == kSilenceSample;
        if (silent && !now) starts.push_back(i);
        silent = now;
    }
    return starts;
}

TEST(MidiPlayout, NoteOnsFallWhereTheRendererSoundsTheNotes)
{
    // Notes of 4 units with a unit of silence after each, at 120 bpm.
    struct Block {
        float start, end;
        std::int32_t repetitions;
    };
    struct Case {
        const char* name;
        int notes;
        std::vector<Block> blocks;
    };
    const Case cases[] = {
        {"no block", 6, {}},
        {"one block of three", 6, {{5, 15, 3}}},
        {"two blocks", 8, {{0, 10, 2}, {20, 30, 2}}},
        {"a block that starts inside a note", 6, {{7, 20, 2}}},
        {"a block over the last note", 4, {{10, 20, 3}}},
        {"a block played once", 4, {{0, 20, 1}}},
    };
    const TextConfig config;
    const NoteFrequencyTable hz = BuildNoteFrequencies(DefaultFrequencyTable());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto tune = std::make_unique<Tune>();
        tune->tempoBpm = 120;
        tune->msPerUnit = 62.5f;
        for (int i = 0; i < c.notes; ++i)
            test::setSpan(*tune, tune->noteTable[++tune->noteCount], 5.0f * static_cast<float>(i),
                          4.0f)
                .pitch = 69 + i;
        for (const Block& b : c.blocks) {
            RepeatRecord& r = tune->repeatList[++tune->repeatCount];
            test::setSpan(*tune, r, b.start, b.end - b.start);
            r.repetitions = b.repetitions;
        }
        const ExportResult midi = ExportMidi(*tune);
        ASSERT_TRUE(midi.ok()) << midi.error;
        const RenderResult sound = renderTune(*tune, config, hz, RenderOptions{});
        ASSERT_TRUE(sound.ok());

        const std::vector<std::uint32_t> ons = noteOnTicks(midi.bytes);
        const std::vector<std::int64_t> starts = soundStarts(sound);
        ASSERT_EQ(ons.size(), starts.size());
        for (std::size_t i = 0; i < ons.size(); ++i) {
            // 12 ticks a unit of 62.5 ms; 44.1 samples a ms.
            const double ms = ons[i] / 12.0 * 62.5;
            EXPECT_NEAR(static_cast<double>(starts[i]), ms * 44.1, 44.1) << "note-on " << i;
        }
    }
}

} // namespace
} // namespace qte
